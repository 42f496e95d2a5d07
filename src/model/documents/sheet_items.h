#pragma once
// The sheet item dispatchers: one entry point per action that looks up the
// head's code in the operations table (model/items/item_ops.h) and calls
// the routine of that code (graphic primitives
// 2..9, placed parts 10, nested sheets 11, power symbols, no-connect marks
// and ports 12..14, sub-sheet boxes 15, ERC marks 16, net identifiers and
// link records 19, 20, the title block 21, net-property labels and images
// 22, 23); the item-list routines built on them; the 'l' reference records
// that name items by object id inside a file; and the item counter.
//
// Fills (code 2) are sheet and title-block items like the other primitives:
// title blocks, the paste file and the source grammar carry them.
//
// "schema" is the document: placed parts need its own library, texts its
// fonts. Results of readers: 0, -1 short read, an error code, or 1001
// (NOT_MY_TAG, the byte pushed back).
//
// Reference record ('l'): 'l', code (8), flags (8; absent for code 0),
// object id (32; absent for code 21, the unique title block). Code 0 names a
// pin of a library part by its own id. A list of them ends with 0xE0.
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "model/items/item.h"

struct List;
struct PlacedPart;
struct Schema;
struct Sheet;
struct View;

constexpr uint8_t SHEET_TAG = 0xCB;  // item_tag(SHEET_ITEM)
constexpr uint8_t REF_TAG = 'l';
// State bit of a temporary record (made while nets are built or items
// picked): left out of bounds and reference lists.
constexpr uint32_t STATE_TEMPORARY = 0x0400;

// --- dispatchers --------------------------------------------------------------------
// Peeks the tag, makes the record of its code and lets the code's reader
// consume it. The record stays in *out even on error (the caller releases
// it); 1001 with *out null for a byte that starts no sheet item. A text is
// bound to the schema's fonts right after it is read.
int read_SchItem(Schema* schema, SchItem** out, FILE* stream);
// Nothing for an item that fails the mask, or for a code outside 2..16, 22, 23.
void write_SchItem(Schema* schema, SchItem* item, FILE* stream, uint32_t mask);
void awrite_SchItem(Schema* schema, SchItem* item, FILE* stream, int level);
// Codes 2..16, 19..23; any other: warning "new_SchItem: bad code %d\n", null.
SchItem* new_SchItem(int code);
// Codes 2..16, 19..23 (keep_storage honoured for every code); a null item is
// ignored. The list-walk form below answers 0.
void free_SchItem(Schema* schema, SchItem* item, bool keep_storage);
void matrix_SchItem(SchItem* item, const Matrix* matrix);
bool bounds_SchItem(Schema* schema, SchItem* item, Rect* rect, bool accumulate);
// Never merges: circles, rectangles (with line width), lines, arcs, texts,
// placed parts (body extent without the pin allowance) and links whose two
// targets are placed parts (the first target's extent); false otherwise.
bool extent_SchItem(Schema* schema, SchItem* item, Rect* rect);
void flag_SchItem(SchItem* item);
bool mask_SchItem(uint32_t mask, const SchItem* item);
double distance_SchItem(Schema* schema, SchItem* item, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit);
bool select_SchItem(Schema* schema, View* view, SchItem* item, uint32_t bit, int operation,
                    uint32_t mask);
SchItem* copy_SchItem(Schema* schema, SchItem* item);
// The point the sheet editor places and repeats an item by; (0, 0) for codes
// without one.
void anchor_SchItem(const SchItem* item, Point* out);

// --- nested sheets ----------------------------------------------------------------------
// Code 11, binary tag 0xCB. Of the head only `state` carries meaning; neither
// file form stores the other head fields.
struct Sheet : SchItem {
    List* items = nullptr;  // owned sheet items (codes 2..16, 22, 23); null only once freed
};
Sheet* as_Sheet(SchItem* item);
const Sheet* as_Sheet(const SchItem* item);

// Code 11, state 1, an empty item list; null (nothing left allocated) when
// memory runs out.
Sheet* new_Sheet();
// Releases every item (free_SchItem), the list and, unless keep_storage, the
// sheet. A null sheet is ignored.
void free_Sheet(Schema* schema, Sheet* sheet, bool keep_storage);

// A sheet read from a file stands at most this deep inside other sheets.
constexpr int MAX_SHEET_DEPTH = 16;
// 0xCB, the items, 0xE0; 1001 (byte pushed back) when the tag differs;
// READ_ERROR for a sheet nested deeper than MAX_SHEET_DEPTH.
int read_Sheet(Schema* schema, Sheet* sheet, FILE* stream);
// 0xCB, the items passing the mask, 0xE0. The sheet's own state is not
// tested here (write_SchItem tests it for a nested sheet; a root sheet is
// always written).
void write_Sheet(Schema* schema, Sheet* sheet, FILE* stream, uint32_t mask);
// "(SHEET", the items one level deeper, ")".
void awrite_Sheet(Schema* schema, Sheet* sheet, FILE* stream, int level);
// A nested sheet is its items: each of these is the list form on them
// (flag_Sheet also applies the flag operation to the sheet's own state).
void matrix_Sheet(Sheet* sheet, const Matrix* matrix);
bool bounds_Sheet(Schema* schema, Sheet* sheet, Rect* rect, bool accumulate);
void flag_Sheet(Sheet* sheet);
double distance_Sheet(Schema* schema, Sheet* sheet, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit);
bool select_Sheet(Schema* schema, View* view, Sheet* sheet, uint32_t bit, int operation,
                  uint32_t mask);
// A new sheet with the flags, the state and copies of the items; null when
// memory runs out.
Sheet* copy_Sheet(Schema* schema, const Sheet* sheet);

// --- item lists ----------------------------------------------------------------------------
// Reads items until a byte starts none, then consumes that byte, which must
// be the end byte 0xE0 (anything else: READ_ERROR; the end of the stream:
// -1). 0, or the first item error (that item is released; items already
// appended stay).
int read_SchItem_list(Schema* schema, List* list, FILE* stream);
// write_SchItem for each item in order (no end byte).
void write_SchItem_list(Schema* schema, List* list, FILE* stream, uint32_t mask);
void awrite_SchItem_list(Schema* schema, List* list, FILE* stream, int level);
// free_SchItem for each item; the list stays (emptied).
void free_SchItem_items(Schema* schema, List* list);
// free_SchItem for each item except the schema's embedded title block,
// releases the list and clears the pointer.
void free_SchItem_list(Schema* schema, List** list);
// Appends a copy of every source item; a failed copy or append ends in
// no_memory (the copy is released first).
void copy_SchItem_list(Schema* schema, List* destination, List* source);
// Appends a copy; 0, or no_memory.
int list_add_item_copy(Schema* schema, List* list, SchItem* item);
// list_add_item_copy on the sheet's item list; no_memory without a sheet or list.
int sheet_add_item_copy(Schema* schema, Sheet* sheet, SchItem* item);
// Union of bounds_SchItem over the items whose state lacks 0x0400; true when
// any; an empty result leaves the rectangle alone and answers accumulate.
bool bounds_SchItem_list(Schema* schema, List* list, Rect* rect, bool accumulate);
// Union of extent_SchItem; false when none.
bool extent_SchItem_list(Schema* schema, List* list, Rect* rect);
void flag_SchItem_list(List* list);
bool select_SchItem_list(Schema* schema, View* view, List* list, uint32_t bit, int operation,
                         uint32_t mask);
// Smallest distance_SchItem (the first of equally near items); 1e10 and
// *nearest untouched for an empty list.
double nearest_SchItem(Schema* schema, List* list, Point p, SchItem** nearest, uint32_t mask,
                       double tolerance, uint32_t hit_bit);
// The nearest item of a list, whatever its state, and its distance.
inline double nearest_SchItem_list(Schema* schema, List* list, Point p, SchItem** nearest) {
    return nearest_SchItem(schema, list, p, nearest, 0, 0.0, 0);
}
// The sub-sheet box containing the point (first of equals), or null.
SchItem* sheet_subsheet_at(Sheet* sheet, Point p);
bool sheet_has_subsheets(const Sheet* sheet);

// --- reference records ------------------------------------------------------------------------
// Reads 'l' records and appends their targets to the list until a byte is
// not 'l'; that byte must be the end byte 0xE0 (0), any other gives 1001
// (consumed), the end of the stream -1. With a placed part, code 0 names a
// pin and other codes body items of its library part (NORMAL or CONVERT by
// its flag 0x80); without one, 21 is the embedded title block, and the
// others are looked for (by id and code) in the ports list (code 14 only),
// the root sheet's items, then the title block's two lists. A record that resolves to nothing is skipped and the read ends
// with READ_ERROR after the rest of the list. A null list answers 0 and
// reads nothing. With a placed part, `wanted` limits the records taken to
// its pins or to its body items: a list that its writer meant for one kind
// never puts a record of the other kind among them (others are skipped as
// unresolved).
enum class RefKinds { ANY, PINS, BODY_ITEMS };
int read_ref_list(Schema* schema, List* list, FILE* stream, PlacedPart* part,
                  RefKinds wanted = RefKinds::ANY);
// One 'l' record per item passing the mask (link records and temporary
// lines, state 0x0400, skipped), then 0xE0. With pin_mode the list holds
// pins of a library part (code 0, no flags byte). Items without an id get
// one (item_write_id).
void write_ref_list(List* list, FILE* stream, uint32_t mask, bool pin_mode);

// --- counting ------------------------------------------------------------------------------------
enum : int {
    COUNT_PACKAGES = 0,  // placed parts of device 0
    COUNT_PINS = 1,      // pins of all placed parts
    COUNT_JUNCTIONS = 2,
    COUNT_SUBSHEETS = 3,
    COUNT_PORTS = 4,
    COUNT_POWERS = 5,       // power symbols and power pins of placed parts
    COUNT_SHEET_PORTS = 6,  // ports of all sub-sheet boxes
};
// Other kinds and a null list count 0.
int count_SchItems(Schema* schema, List* list, int kind);
