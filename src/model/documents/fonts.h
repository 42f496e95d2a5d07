#pragma once
// Document fonts: the tables of outline-font records that schematics, title
// blocks and libraries keep for their texts. A text names record n of the
// table it is bound to by the font id n + 10 (ids below 10 are the stroke
// fonts). The record itself is foundation/font_record.h; realizing it as a
// window-system font belongs to the rendering side (the service seam).
//
// Binary form, one record per font in table order, no count and no closing
// record (the table ends at the first byte that is not 'k'):
//   'k', number (u32), size (u32), height, width, escapement, orientation,
//   weight (5 x u32), the eight logical-font bytes, face name + NUL, 0xE0.
// ASCII form at level L (nothing for an empty table):
//   "(FONTS " / per record at L+1
//   "(FONT <id>  size height width esc orient weight b1 .. b8 'face' )" / ")"
// The ASCII form carries the font id (number + 10), the binary form the number.
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "foundation/font_record.h"

struct List;
struct Part;

constexpr uint8_t FONT_TAG = 'k';
// Font ids of texts: id - FONT_ID_BASE is the record number.
constexpr int FONT_ID_BASE = 10;
// Numbers a table gives out (font_free_number); records read from a file
// must lie in 0..FONT_NUMBER_MAX.
constexpr int FONT_NUMBER_MAX = 499;
// font_free_number when every number is taken; in a renumbering, "no
// document font any more" (the texts fall back to the plain stroke font).
constexpr int FONT_NUMBER_NONE = -1;

// --- records and tables ----------------------------------------------------------
// Removes every record through the application's font registry
// (services().font_remove_entry, which releases its realized font); the
// table goes with its last record. Null ignored.
void free_Fonts(List* table);
// A new table with a copy of every record (none realized); null for null or
// an empty table. Out of memory ends the program.
List* copy_Fonts(const List* table);
// The top flag operation on every record's state.
void flag_Fonts(List* table);
// First record of that number, or null.
Font* font_find(List* table, int number);
// Smallest number 1..FONT_NUMBER_MAX that no record uses; FONT_NUMBER_NONE
// when every one is used.
int font_free_number(const List* table);
// The record equal to `font` at that size (tenths of a point) and escapement
// (tenths of a degree); added to *fonts (made when null) as a copy with the
// next free number when the table has none. Null when the table has no
// number left.
Font* font_cache_get(List** fonts, const Font* font, int size, int escapement);
// The factor by which a read size becomes a height (0.75 at start).
void set_font_scale(double factor);
double font_scale();

// --- file forms --------------------------------------------------------------------
// Reads records while the next byte is 'k' and appends them to *table
// (made when null). The height becomes size / (10 x scale), truncated; the
// state 1. Results: 0 (the byte after the last record pushed back); -1 for a
// short read; READ_ERROR (5) for a record whose closing byte is not 0xE0 or
// whose number lies outside 0..FONT_NUMBER_MAX (the record is dropped).
int read_Fonts(List** table, FILE* stream);
// Every record whose state shares a bit with the mask (all for mask 0).
void write_Fonts(const List* table, FILE* stream, uint32_t mask);
void awrite_Fonts(const List* table, FILE* stream, int level);

// --- merging and renumbering -------------------------------------------------------
// Old-number -> new-number pairs of one merge. A number not in the map is
// left alone; a new number FONT_NUMBER_NONE sends the texts back to the
// plain stroke font (font id 0).
struct FontRenumbering {
    std::vector<std::pair<int, int>> pairs;
    bool empty() const { return pairs.empty(); }
    // The new number of `old`; false when the map leaves it alone.
    bool lookup(int old_number, int* new_number) const;
    void add(int old_number, int new_number) { pairs.emplace_back(old_number, new_number); }
};
// Rewrites the texts that came with an incoming table; called once per
// merge with the whole map, so that each text is rewritten exactly once.
using FontRenumberFn = void (*)(void* context, const FontRenumbering& map);

// Moves the records of *incoming into *table and leaves *incoming null:
// - no incoming table: nothing; no table: the incoming one becomes it;
// - a record whose number the table holds: dropped when that record is
//   equal (with sizes); else when another record of the table is equal it
//   is dropped and its texts go to that record's number; else it takes
//   font_free_number and is appended;
// - a record whose number is free: dropped when an equal record exists
//   (its texts go to that record's number), else appended as it is.
// The whole old -> new map is built first and renumber (when given) is
// called once with it. Returns 0, or 56 when the table ran out of numbers
// (the records that found none are dropped and their texts mapped to
// FONT_NUMBER_NONE).
int merge_Fonts(List** incoming, List** table, void* context, FontRenumberFn renumber);

// Text items (code 7) of the list, and the texts of both item lists of each
// title-block item (code 21), whose font id - 10 is mapped get the new id.
void renumber_text_fonts(List* items, const FontRenumbering& map);
void renumber_text_fonts(List* items, int old_number, int new_number);
// renumber_text_fonts over a part's normal and converted bodies.
void renumber_part_fonts(Part* part, const FontRenumbering& map);
void renumber_part_fonts(Part* part, int old_number, int new_number);
// The FontRenumberFn form, the context being the Part.
void renumber_part_fonts_cb(void* part, const FontRenumbering& map);
// Binds every text of the list (and of both item lists of every title-block
// item) to the table (set_TextFonts).
void resolve_item_fonts(List* items, List* table);
