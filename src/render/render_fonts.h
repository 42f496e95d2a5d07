#pragma once
// Document and configuration fonts realized as wxFont, and text measured in
// them.
//
// A Font record (foundation/font_record.h) is realized once as a wxFont at
// its own point size; the record keeps the registry number of that font in
// its `realized` field (0: not realized). Drawing at a zoom derives a font
// of the size the view needs from the realized one.
//
// Sizes: a record's size is in tenths of a point; world units are 10000 per
// inch, so a font of P points is P x 10000 / 72 world units high. Measuring
// is independent of the screen: it is done on a memory context and scaled
// from that context's resolution to world units.
#include <cstdint>
#include <string>

#include <wx/font.h>

#include "foundation/geometry.h"
#include "model/documents/fonts.h"  // font_cache_get

struct Font;
struct List;
struct Schema;

// The font record of a font id (record id - 10 of the table) in *record,
// realized; a missing record is replaced by the default font record (found
// in the table or added to it, under the id's number, or under the next free
// number for an id of 0 or a number already taken); *font_id is updated to
// the record's id. The record is marked in use (state bit 1). Null (with
// *record null) only when the table has no number left.
const wxFont* font_for_text(List** fonts, int* font_id, Font** record);
// Removes the records of the document's table that no text of the document
// (sheet, title block, part bodies of its library) uses.
void purge_unused_fonts(Schema* schema);
// A logical-font height in device pixels of the screen as points.
int font_device_to_points(int height);

// The default font record of the configuration (face, size, weight and
// flags of the FONT_* properties); the caller frees it.
Font* default_font_record();
// The wxFont realized for a record (realizing it first).
const wxFont& realize_font(Font* record);
// Destroys the realized font of a record and clears its `realized` field.
void release_realized_font(Font* record);
// Removes every record of that number from the table, destroying realized
// fonts first (the table goes with its last record).
void font_remove_entry(List** table, int number);
// Destroys every realized font and the measuring context (end of the
// program, before the toolkit goes); records realize again when next used.
void render_fonts_cleanup();
// Number of fonts currently realized (tests).
int realized_font_count();

// Height of a record in points (its size; its logical height when the size
// is 0; 10 points when both are 0).
double font_points(const Font& record);
// A key telling fonts apart by face, style and size (to a tenth of a point).
std::string font_key(const Font& record, double points);
// The record's font at a point size.
wxFont font_at_points(const Font& record, double points);
// Width and height in world units of a text in a record's font; '@' starts
// a new line. Empty text: width 0, the height of one line.
Point measure_text_world(const Font& record, const char* text);
