#pragma once
// Text items (code 7) and the two built-in stroke fonts.
//
// A text is drawn either in a stroke font (font numbers 0..9: 0 the plain
// font, 1..9 the symbol font, 1 meaning IEEE symbols) or in a document font
// (font number n >= 10 names record n - 10 of the font table bound by
// set_TextFonts). Stroke texts are laid out here into chains of Stroke
// polylines, cached in the text (`layout`) and dropped by every change;
// document-font texts are measured on the document's canvas through the
// service seam (services().sheet_text_box) and never hold a layout. Without
// a canvas (headless) a document-font text has no box: no bounds, distance
// 1,000,000, never picked, width 0.
//
// Binary record (big-endian): 0xC7, pen width (16), anchor (2 x 32),
// flags (8), font number (8), character width (16), character height (16),
// the string and its NUL, 'p', field index (32), 'g', object id (32).
// The reader takes 'p' and 'g' as optional, in that order.
//
// ASCII form, one line:
//   (TEXT <font> (POS x y ) (SIZE w h ) 'string' [BOXED ][MX ][MY ][ROT_x ]
//         [LABEL |TBLOCK <field> ])
// A font-1 text whose string is one letter 'A'..'W' writes the IEEE symbol
// name in place of the quoted string.
//
// Font numbers in the binary form: the record keeps only 8 bits. A text
// whose font number lies outside 0..255 cannot be saved faithfully; write_Text
// then writes the font byte 0, gives a debug warning and marks the stream as
// failed, so that the save through AtomicFile::commit reports a write error
// (6) and the old file stays untouched. Nothing is ever wrapped silently.
#include <cstdint>
#include <cstdio>

#include "model/items/item.h"

// --- the text record's routines ----------------------------------------------------
// Results of read_Text: 0, -1 when the record is cut short (any field,
// the string, or the value after 'p' or 'g'), or NOT_MY_TAG (1001, the byte
// pushed back).
Text* new_Text();
// Code 7, state 1, no layout, string "", font 0, flags 0, the default size,
// width 100, anchor, links, field index and object id 0. A layout the record
// held is freed.
void init_Text(Text* text);
// Frees the string and the layout and, unless keep_storage, the record.
void free_Text(Text* text, bool keep_storage);
int read_Text(Text* text, FILE* stream);
void write_Text(Text* text, FILE* stream, uint32_t mask);
void awrite_Text(Text* text, FILE* stream, int level);
// Transforms the anchor and the strokes of an existing layout; flags and
// size are unchanged.
void matrix_Text(Text* text, const Matrix* matrix);
bool bounds_Text(Schema* doc, Text* text, Rect* rect, bool accumulate);
void flag_Text(Text* text);
double distance_Text(Schema* doc, Text* text, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
bool select_Text(Schema* doc, View* view, Text* text, uint32_t bit, int operation, uint32_t mask);
// Every field copied except the object id (0: the copy is another record and
// gets its own serial when written) and the net links; its own string, and a
// freshly built layout when the source had one.
Text* copy_Text(const Text* text);
// Equal anchors, sizes, flags and strings; font number and width are not compared.
bool compare_Text(const Text* a, const Text* b);

// --- sizes, fonts and measuring -------------------------------------------------------
// Width as given, height = trunc(width x ASPECT_RATIO).
void set_TextSize(TextSize* size, int width);
// set_TextSize with DEFAULT_TEXTW.
void default_TextSize(TextSize* size);
// Height in world units of the system font named by the font number a
// configuration property holds (point size x 1000 / 72), 1000 when there is
// no such font.
int font_height(int property_id);
// Binds the font table that document-font numbers refer to (not owned).
void set_TextFonts(Text* text, List* fonts);
// Characters of the longest line ('@' separates lines; backslashes not counted).
int text_line_width(const char* string);
// 1 + the number of '@', less one when the string ends with '@'.
int text_line_count(const char* string);
// Stroke text: longest line x trunc(character width x SPACING_RATIO);
// document-font text: the width of its canvas box, 0 when there is none.
int text_width(Schema* doc, Text* text);
// The character size that makes the text fill the box between its anchor
// and q, taking its rotation into account. A text without countable
// characters keeps its size.
void fit_TextSize(Point q, const Text* text, TextSize* out);

// --- vocabularies ------------------------------------------------------------------------
// IEEE symbol name of a symbol-font letter 'A'..'W' ("ACTIVE_LOW_L" ..
// "NEGATION"); null for any other character.
const char* ieee_symbol_name(int letter);
// The letter of a symbol name, 0 for an unknown name.
int ieee_symbol_letter(const char* name);
// Title-block field name of an index 1..27 ("DOCNUMBER" .. "SHEETSIZE");
// null outside.
const char* text_field_name(int field);
// The index of a field name, 0 for an unknown name.
int text_field_number(const char* name);
constexpr int TEXT_FIELD_COUNT = 27;

// --- orientation -------------------------------------------------------------------------
// The angle in tenths of a degree of an attribute byte's orientation code
// (bits 0..2: 0 -> 0, 1 -> 2700, 2 -> 1800, 3 -> 900, 4 -> 3150, 5 -> 2250,
// 6 -> 1350, 7 -> 450).
int orient_to_angle(int attributes);
// The dialogs show orientations as a 3 x 3 compass of buttons, indexes
// running down each column from the north-west: 0 NW, 1 W, 2 SW, 3 N,
// 4 the centre, 5 S, 6 NE, 7 E, 8 SE. The code a button stands for (the
// centre, which is never offered, and east both give 0; an index outside
// 0..8 gives 0), and the button showing a code (bits 0..2 of it).
int orient_code_of_button(int button);
int button_of_orient_code(int code);

// --- stroke fonts ----------------------------------------------------------------------
// A glyph is GLYPH_ENTRIES entries {opcode, y step, x step}; steps are signed
// and relative to the pen. Opcode STROKE_MOVE moves, STROKE_DRAW draws,
// GLYPH_END ends the glyph (the entries after it are zero). Coordinates are
// cell units: the cell is 8 wide and 12 high, centred on the character's
// origin, y growing downward; capitals span x -2..2 and y -3..3.
constexpr int GLYPH_ENTRIES = 18;
constexpr int GLYPH_COUNT = 96;  // characters 32..127
enum : int8_t { STROKE_MOVE = 0, STROKE_DRAW = 1, GLYPH_END = 'P' };
constexpr int CELL_WIDTH = 8;
constexpr int CELL_HEIGHT = 12;
// Table 1, the plain font, and table 2, the symbol font ('A'..'W' are the
// IEEE symbols); entry c - 32 draws character c.
extern const int8_t stroke_font_plain[GLYPH_COUNT][GLYPH_ENTRIES][3];
extern const int8_t stroke_font_symbol[GLYPH_COUNT][GLYPH_ENTRIES][3];

// --- stroke chains -------------------------------------------------------------------------
// A new stroke of `count` points (all (0, 0)), kind 1, width 100, sizes 8 and
// 12; null when count is below 2.
Stroke* new_Stroke(int count);
// Frees a whole chain (null is ignored).
void free_Strokes(Stroke* chain);
// Links `chain` in front of the chain *held and stores the result in *held.
void append_Strokes(Stroke** held, Stroke* chain);
// Transforms every point in place; x size = trunc|M(8,0) - M(0,0)|,
// y size = trunc|M(0,12) - M(0,0)|.
void matrix_Strokes(Stroke* chain, const Matrix* matrix);
// Sets (the first time when not accumulating) or merges the extent of every
// stroke; answers whether anything was set or merged, or the accumulate flag.
bool bounds_TextLines(const Stroke* chain, Rect* rect, bool accumulate);
// 0 inside the chain's bounding rectangle (edges included); otherwise the
// smallest distance to a segment less half its pen width, not below 0;
// 1e10 for an empty chain.
double distance_Strokes(const Stroke* chain, Point p);
// True when any stroke point lies in the view's selection area.
bool select_Strokes(View* view, const Stroke* chain);

// --- stroke layout ------------------------------------------------------------------------
// Lays out a string in cell units: glyphs of the plain table for font 0,
// of the symbol table otherwise; a character followed by one backslash is
// drawn with a bar over it, two backslashes draw one backslash, any other
// backslash is skipped; '@' starts a new line; BOXED adds a frame. The
// transform from cell units to world units (advance, mirrors, size,
// rotation, anchor) goes to *matrix (when given); with `transform` the
// chain is returned in world units. Null for a text that draws nothing.
Stroke* text_layout(const char* string, Point anchor, TextSize size, uint8_t flags, int font,
                    int pen_width, Matrix* matrix, bool transform);
// The transform text_layout gives its cell-unit strokes (to *matrix) for
// `string` at `anchor`: a layout in cell units mapped through it point by
// point is the world-unit layout to the bit.
Matrix text_layout_matrix(const char* string, Point anchor, TextSize size, uint8_t flags);
// The character advance in cell units that layouts use now (it follows the
// configuration's spacing ratio).
int text_layout_advance();
// The extent of what text_layout would draw in world units, without
// building the strokes: 1 with *rect set, 0 for a text that draws nothing,
// -1 when the span does not fit a rectangle (bound the strokes instead).
int text_layout_extent(const char* string, Point anchor, TextSize size, uint8_t flags, int font,
                       Rect* rect);
// Puts the strokes of character c (characters outside 33..127 draw as ' ')
// with its cell origin at (x0, y0) at the front of *chain; with `bar` a bar
// over the cell.
void glyph_Strokes(int c, int x0, int y0, int pen_width, bool symbol_table, bool bar,
                   Stroke** chain);
// Puts the closed frame around a layout w cell units wide and h high at the
// front of *chain.
void box_Strokes(int w, int h, int pen_width, Stroke** chain);
// Drops the layout; a stroke text gets it again in world units and its
// matrix is kept in the text.
void layout_Text(Text* text);
// Drops the layout; a stroke text gets it again in cell units, the matrix
// going to *matrix.
void layout_Text_local(Text* text, Matrix* matrix);
