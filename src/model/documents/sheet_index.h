#pragma once
// The bounds index of a document open in an editor: every item of the
// current sheet's list and of the interface ports list, with the rectangle
// it covers when drawn, its list node and its place in list order. Drawing
// asks it for the items that meet the clip, picking for the items near a
// point, the connectivity refresh for the lines and parts near what an edit
// touched; removing an item and asking whether an item is on the sheet take
// one look-up instead of a walk of the list. An edit costs in proportion to
// what it touches, never to the sheet.
//
// Kept in the document's edit state and made on first use (sheet_index).
// Every change of the two lists and every change of an indexed item's
// geometry goes through the routines below, which keep the index true and
// note the rectangles that must be drawn again (the damage). The index also
// checks, each time it is asked for, that the lists still hold as many
// items as it does and that the current sheet is the one it indexes; when
// not, something changed the lists behind its back and it is made anew.
// A document without an index (batch jobs) pays nothing: the change
// routines then only do the list work.
//
// Rectangles are world units {x, y, w, h}; an item's rectangle is the one
// the drawing layer answers (Services::item_draw_bounds: texts, names and
// pin labels included) joined with its own bounds (bounds_SchItem), so it
// holds every point that picking measures a distance to. An item with
// neither is filed as covering everything.
//
// Cells: a uniform grid whose cell size follows the density of the sheet
// when the index is made; an item is filed in every cell its rectangle
// meets, or, when that would be too many, in a short list of wide items
// that every query looks at. Queries hand out each item once, in list
// order, the ports list before the sheet's items (the order they are drawn
// in).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/geometry.h"

struct DListNode;
struct List;
struct Schema;
struct SchItem;
struct SheetIndex;

// The document's index, made when missing or when the lists changed behind
// its back; null for a document without a sheet.
SheetIndex* sheet_index(Schema* schema);
// Releases an index (null is ignored).
void free_SheetIndex(SheetIndex* index);
// Forgets the document's index; the next use makes it anew, and the whole
// sheet counts as damaged.
void drop_sheet_index(Schema* schema);

// --- changes ---------------------------------------------------------------------------
// Each is a no-op for a document that has no index yet.
//
// An item was appended to the sheet's list or the ports list: `node` is its
// node there.
void sheet_index_added(Schema* schema, List* list, DListNode* node);
// An indexed item's geometry (or what it draws) changed: its rectangle is
// found anew; the old and the new one are damaged.
void sheet_index_changed(Schema* schema, SchItem* item);
// The item's area must be drawn again (its selection changed).
void sheet_index_damage(Schema* schema, SchItem* item);
// Damages a world rectangle.
void sheet_index_damage_rect(Schema* schema, const Rect& rect);
// Takes the item out of the list it stands in (the sheet's or the ports
// list) and out of the index, without releasing it; its area is damaged.
// Answers the list it stood in, or null when it stands in neither (nothing
// done). Makes the index when the document has none.
List* sheet_take_out(Schema* schema, SchItem* item);
// Appends the item to the list (the sheet's or the ports list) and files
// it; the node. Out of memory is fatal.
DListNode* sheet_append(Schema* schema, List* list, SchItem* item);
// Puts a taken-out item back right after `after` (null: at the head) of
// the list, where it stood before (used to take an edit back).
DListNode* sheet_put_back(Schema* schema, List* list, SchItem* after, SchItem* item);
// Puts `now` into `was`'s list node, in its place in the index (used to
// take an edit back with the earlier copy of an item); `was` is left to
// the caller.
void sheet_index_replace(Schema* schema, SchItem* was, SchItem* now);

// --- look-ups ----------------------------------------------------------------------------
// The items whose rectangles meet the rectangle, in list order (ports list
// first). `out` is cleared first.
void sheet_index_query(SheetIndex* index, const Rect& rect, std::vector<SchItem*>* out);
// The list (the sheet's or the ports list) an item stands in, or null.
List* sheet_index_list_of(SheetIndex* index, const SchItem* item);
// The item's node in its list, or null.
DListNode* sheet_index_node(SheetIndex* index, const SchItem* item);
// The item's rectangle; false when the index does not hold it.
bool sheet_index_bounds(SheetIndex* index, const SchItem* item, Rect* out);
// The number of items held.
size_t sheet_index_count(const SheetIndex* index);
// Puts the items in list order (the ports list's first); items the index
// does not hold are left out.
void sheet_index_sort(SheetIndex* index, std::vector<SchItem*>* items);

// --- the connectivity refresh's notes ----------------------------------------------------
// The lines of the sheet's list whose ends are out of the order the
// refresh puts them in (the first end the one with the smaller x, then the
// smaller y), in list order, into *out (cleared first); they are forgotten.
// The index notes them as it files them, when it is made and as lines are
// added or change (an edit that turns a line round tells it through
// sheet_index_changed), so that the refresh finds them without a walk of
// the sheet.
void sheet_index_take_unordered(SheetIndex* index, std::vector<SchItem*>* out);

// --- damage ------------------------------------------------------------------------------
// Moves the damaged rectangles into *out (cleared first); true when the
// whole sheet is damaged (the index was made anew), *out then meaningless.
bool sheet_index_take_damage(Schema* schema, std::vector<Rect>* out);
