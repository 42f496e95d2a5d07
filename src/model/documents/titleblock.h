#pragma once
// The title block (code 21): a frame drawing with text controls whose texts
// show one of the document's 27 identification fields. Every schema embeds
// one; free-standing records exist only on the paste list and as undo
// copies. A title block is also a document of its own, kept in a
// title-block file.
//
// Binary record:  'i', flags (8), bounds (rectangle), [fonts: title-block
//                 file only], the controls as text records, 0xE0, the
//                 drawing as sheet item records (mask 0), 0xE0.
// Title-block file: '@', "Tessaron V2.02  -- 12/21/95  * Title Block File"
//                 and its NUL, 0x1A, the record with its fonts.
// ASCII source:   "(TITLEBLOCK" with "(IDENTIFICATION", "(CONTROLS", the
//                 drawing items and, at the top level, "(FONTS".
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "model/items/item.h"

struct List;
struct Schema;
struct View;

struct TitleBlock : SchItem {
    Rect bounds;              // union of the extents of the two lists
    List* fields = nullptr;   // first list, owned: the controls (texts with flag bits 0xC0)
    List* drawing = nullptr;  // second list, owned: the frame's sheet items
};
TitleBlock* as_TitleBlock(SchItem* item);
const TitleBlock* as_TitleBlock(const SchItem* item);

// Code 21, flags 0, width ("second word") 1, state 1, empty bounds, two new
// empty lists; null when memory runs out.
TitleBlock* new_TitleBlock();
// Sets the head of an embedded record and gives it two new empty lists (a
// list that cannot be made stays null: users take a null list as empty).
void init_TitleBlock(TitleBlock* block);
// Frees both lists with their items, then the record unless it is the
// schema's embedded one or keep_storage is set.
void free_TitleBlock(Schema* schema, TitleBlock* block, bool keep_storage);
// A new record with the same head and bounds and deep copies of both lists;
// null when memory runs out.
TitleBlock* copy_TitleBlock(Schema* schema, const TitleBlock* block);
// Copies head and bounds into the embedded title block and gives it new
// lists holding copies of the record's items (the old lists are released).
void schema_set_titleblock(Schema* schema, const TitleBlock* block);
// Moves the record's head (not its position), bounds and both lists into the
// embedded title block (the old lists are released); the record keeps no
// lists afterwards.
void schema_take_titleblock(Schema* schema, TitleBlock* block);
// Moves every item of both lists through the matrix (a title block moves
// whole) and its bounds with them: the rectangle through the bounds' two
// corners.
void matrix_TitleBlock(TitleBlock* block, const Matrix* matrix);
// Recomputes the embedded title block's bounds from its two lists; false
// (bounds unchanged) when both are empty.
bool titleblock_bounds(Schema* schema);
// False when a non-zero mask shares no bit with the state or the view has
// no selection area; otherwise marks the block (bit | 0x0C) and answers true
// when any corner of its bounds lies in the selection area.
bool select_TitleBlock(View* view, Schema* schema, TitleBlock* block, uint32_t bit, int operation,
                       uint32_t mask);

// The binary record; with_header adds the file header and the schema's
// fonts (a title-block file). Returns 0, or 6 ("Write error") without
// writing anything when the block has no drawing list: a caller writing
// through AtomicFile then keeps the old file.
int write_titleblock_file(Schema* schema, TitleBlock* block, FILE* stream, bool with_header);
// Reads a record (after an optional file header) into the block: 0; 1001
// when the next record is not 'i' (the byte pushed back, block untouched);
// -1 at a premature end; a text or item reader's error. Fonts read with the
// record are merged into the schema's fonts, renumbering the block's texts.
int read_titleblock_file(Schema* schema, TitleBlock* block, FILE* stream);
// The "(TITLEBLOCK" source of the schema's embedded title block at an
// indentation level; "(FONTS" is added at level 0 when the schema has fonts.
void awrite_TitleBlock(Schema* schema, FILE* stream, int indent);

// The header text of the title-block file.
const char* titleblock_file_header();
