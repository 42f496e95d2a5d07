#pragma once
// Picking items on a schema: what lies under a point for the sheet editor,
// the title-block editor and the library editor. The queries answer the
// nearest item, every item within the pick distance with a precedence rule
// (an image beats a text beats everything else), the visible attribute
// texts of a placed part, the pins and graphic pieces of the part being
// edited, and the nearest connection point for snapping a wire.
//
// Results are item lists. Some entries are link records (PseudoPin with a
// PP_LINK_* role, ident.h) that stand for something that is not a record of
// its own: an attribute text of a placed part, a port of a sub-sheet box, a
// marker rectangle of a library document, or the picked pieces of the part
// being edited. A result is given up entry by entry through
// release_picked_entry (edit_state.h), which undoes what a link stands for.
//
// A result list (List* of SchItem*) is owned by the caller; its entries are
// records of the document except the links and the temporaries (state
// 0x0400: attribute leader lines) made here, which release_picked_entry
// frees.
#include <cstdint>

#include "foundation/geometry.h"

struct Attribute;
struct List;
struct Part;
struct PinList;
struct PlacedPart;
struct PseudoPin;
struct SchItem;
struct Schema;
struct Text;

// An item is picked when its distance is below this, in world units.
constexpr double PICK_DISTANCE = 100.0;

// The nearest item of the document: the embedded title block at distance 0
// when the point lies in its rectangle; else the nearer of the root sheet's
// items and the ports (a tie goes to the port). When the winner's distance
// is below the tolerance the hit bit is also ORed into the schema's state.
// Answers the distance, and the winner in *out (1e10 and null when there is
// nothing).
double schema_find_nearest(Schema* schema, Point p, SchItem** out, uint32_t mask, double tolerance,
                           uint32_t hit_bit);

// Appends to the result what pick_SchItem finds among the items of the list
// (only texts and images unless all_types). The result list is made when
// missing and released (set to null) when it stays empty. True when
// anything was added.
bool collect_items_at(Schema* schema, List* items, Point p, List** result, uint32_t mark_bit,
                      bool all_types);
// Appends the item, or the part of it under the point (an attribute text or
// a sub-sheet port as a link record), when it lies within the pick
// distance. Sheets, net identifiers, links and title blocks are never
// picked. True when something was appended.
bool pick_SchItem(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result);
// True when the picking table has a row that picks records of the code.
bool item_is_pickable(int code);
// Reduces the result to one entry of the code when it holds one (every
// other entry released and removed). For texts (7) a text standing inside
// a picked placed part's body or behind an attribute link counts too (see
// pick.cpp). True when the result was reduced.
bool reduce_picks(Schema* schema, List** result, int code);

// Items under the point on a sheet document: the root sheet's items (an
// image, else a text wins), then the title block's items or the title block
// itself, then the ports. True when the result holds anything.
bool schema_select_at(Schema* schema, Point p, List** result, uint32_t mark_bit);
// Items under the point in a title-block document; the title block itself
// when the point lies in its rectangle but on none of its items.
bool titleblock_select_at(Schema* schema, Point p, List** result, uint32_t mark_bit);
// Library editor: a marker rectangle under the point, or the attribute text,
// graphics and pins of the edited part under it. *result gets a new list of
// one link record (null when nothing was hit).
bool pick_part_pieces_at(Schema* schema, Point p, List** result, uint32_t mark_bit);

// A part holding only the given pieces of the placed part's library part,
// in the body of the form the placed part uses: the graphics' nodes are
// moved into that body's item list, the pins' list becomes that form's pin
// list (the other form gets empty ones). Both lists are taken over (*graphics
// and *pins set to null; either may be null for none). The pieces stay the
// records of the part they were picked from: the result is an edit copy,
// released with edit_free_part_copy. A placed part whose library entry is
// missing gives an empty part of one device.
Part* dup_Part_with(Schema* schema, PlacedPart* pl, List** graphics, List** pins);

// The library editor's pick of pieces of the part hit: a link record
// (PP_LINK_PART_PIECES, temporary) to a new placed part at the part hit's
// place, form and device, its attributes hidden, holding dup_Part_with of
// the pieces (the lists are taken over as there). The link owns that
// placed part until release_picked_entry takes it apart.
PseudoPin* new_pieces_link(Schema* schema, PlacedPart* hit, List** graphics, List** pins);

// Appends to *result (made when missing; a List of Pin*) every pin of the
// list within the pick distance of the point, in part coordinates. True
// when any.
bool pick_pins_at(PinList* pins, Point p, List** result, uint32_t mark_bit);
// Walks the placed part's attributes while they are set (state bit 1); the
// first visible one (VIS and property VISIBLE_FIELDS for its index) whose
// text lies within the pick distance is hit: its state bit 1 is cleared and
// a link record (text, placed part, index) is appended, with with_leader
// followed by its leader line. True on a hit.
bool pick_attributes(Schema* schema, PlacedPart* pl, Point p, uint32_t mark_bit, List** result,
                     bool with_leader);
// A new text showing attribute `index` of the placed part in the part
// fonts of the configuration, laid out; the caller owns it. The reference
// of a package of two or more devices gets its device letter unless it
// holds a '?'. Null when memory runs out.
Text* attr_text_item(Schema* schema, PlacedPart* pl, Attribute* attribute, int index);
// The same text filled into *out (a fresh record), not laid out.
void attr_text_fill(Schema* schema, PlacedPart* pl, Attribute* attribute, int index, Text* out);

// The nearest connection point for snapping a wire end: ports, junctions,
// the non-power pins of placed parts, power symbols and sub-sheet ports.
// True with *out set when anything was found.
bool schema_nearest_connection(Schema* schema, Point p, Point* out);
// One item's part of that search: the distance from p to where a wire end
// snaps on the item (a port's, junction's or power symbol's place, the end
// of a part's non-power pin, a sub-sheet port), which goes to *at;
// FAR_AWAY for kinds that offer none.
double item_connection_snap(Schema* schema, SchItem* item, Point p, Point* at);
// The connection end of the non-power pin nearest to the point, the pins
// being in part coordinates about `origin`; *out is in sheet coordinates.
// True when the list held a non-power pin.
bool nearest_part_pin(PinList* pins, Point p, Point origin, Point* out, double* distance);
