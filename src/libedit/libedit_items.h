#pragma once
// The texts, IEEE symbols and title-block controls of the library and
// template windows, the reference prefix and the user fields of the part
// under edit, without the windows: what their dialogs show, how their
// values travel between an item, the properties and the dialog, and what
// their buttons change.
//
// A text of a part or a template is a Text item: attribute byte (bits 0-2
// the orientation code, 0x08 boxed, 0x10 X mirror, 0x20 Y mirror; a
// title-block control has 0xC0 too), X and Y size, font id (0 the internal
// stroke font; 1 an IEEE symbol, whose string is its letter 'A'..'W'; 10
// and above a record of the window's font table).
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/geometry.h"

struct EditSession;
struct LibEdit;
struct List;
struct ModeInstance;
struct Schema;
struct SchItem;
struct Text;
struct ToolMode;

// --- the reference prefix ----------------------------------------------------------------------
// The prefix of the part under edit ("" without a part).
std::string libedit_prefix(const LibEdit* ed);
// Part Reference Prefix's Apply: the prefix stored, the references of the
// editing sheet refreshed. False without a part.
bool libedit_set_prefix(LibEdit* ed, const char* prefix);

// --- the user fields ------------------------------------------------------------------------
// What User Part Fields shows: the names of the user fields (or the one row
// "No Field defined" when none is configured, enabled false) and the
// values of the part's entry, one slot of at most 79 characters each.
struct FieldRows {
    std::vector<std::string> names;
    std::vector<std::string> values;
    bool enabled = false;
};
constexpr size_t FIELD_VALUE_MAX = 79;
FieldRows libedit_field_rows(const LibEdit* ed);
// A value typed into a slot, cut to FIELD_VALUE_MAX characters.
std::string field_value_fitted(const std::string& typed);
// Ok: the values written into every entry naming the part (visible), and
// the placed parts of the editing sheet given a copy of them. False when
// nothing was written (no part, no field).
bool libedit_write_fields(LibEdit* ed, const std::vector<std::string>& values);

// --- rows of the dialogs ----------------------------------------------------------------------
// The 23 IEEE symbols: their labels and letters by row; a letter outside
// 'A'..'W' shows row 0.
extern const char* const ieee_labels[23];
constexpr int IEEE_ROWS = 23;
char ieee_letter_of_row(int row);
int ieee_row_of_letter(int letter);
// The 27 title-block controls of the Controls list: labels and field
// codes by row (-1 for a code outside 1..27).
extern const char* const control_labels[27];
constexpr int CONTROL_ROWS = 27;
int control_code_of_row(int row);
int control_row_of_code(int code);
// What a control of a field shows in a title-block window while the field
// is empty: its label in angle brackets ("<Title>", "<Size>" for the sheet
// size); "" for a code outside 1..27.
std::string control_placeholder(int code);
// The control a row places: its field kind and the text it shows (the
// document's field, its placeholder while that is empty; the sheet size
// always its placeholder). False outside 0..26.
bool template_control_target(const Schema* schema, int row, int* kind, std::string* text);

// --- values of the text and control dialogs --------------------------------------------------------------
struct TextValues {
    std::string text;
    int xsize = 0, ysize = 0;
    int orient_button = 7;
    bool xmirror = false, ymirror = false, boxed = false;
    bool internal_font = true;
    int font = 0;  // the dialog's font id (used when internal_font is off)
};
// The attribute byte (without the type bits) and the font id a new or
// changed text takes (0 with the internal font).
uint8_t text_values_attributes(const TextValues& values);
int text_values_font(const TextValues& values);
// A new text: the TEXT_* properties (template controls: TPL_TEXT_*), the
// internal-font choice of INTERNAL_FONT, and the default font of the
// window kind (FONT_COMMENT in a library, FONT_TITLE in a template).
TextValues text_values_from_properties(bool library);
TextValues control_values_from_properties();
// An existing text or control: its own values; INTERNAL_FONT gives the choice.
TextValues text_values_of(const Text* text);
void text_values_store(const TextValues& values);
void control_values_store(const TextValues& values);
// IEEE: the row and sizes of IEEE_TYPE, IEEE_XSCAL and IEEE_YSCAL, stored back.
struct IeeeValues {
    int row = 0;
    int xsize = 0, ysize = 0;
};
IeeeValues ieee_values_from_properties();
IeeeValues ieee_values_of(const Text* symbol);
void ieee_values_store(const IeeeValues& values);

// The font table of the window: the library's in a library window, the
// document's in a template window.
List** libedit_font_table(const LibEdit* ed);
// The text bound to that table.
void libedit_text_fonts(const LibEdit* ed, Text* text);
// An IEEE symbol: a text in font 1.
bool is_ieee_symbol(const SchItem* item);

// --- changing an item under edit ------------------------------------------------------------------
// The item a dialog changes: the text, IEEE symbol or control set by
// libedit_show_item_dialog, when it is still one of the part's or of the
// title block's; null otherwise.
SchItem* libedit_item_under_edit(const LibEdit* ed);
// A double click, or Edit of one picked item: the item becomes the one
// under edit and the window shows its dialog.
void libedit_show_item_dialog(LibEdit* ed, SchItem* item);
// Add/Edit Text's Change on the text under edit (stored into TEXT_*).
bool libedit_change_text(LibEdit* ed, const TextValues& values);
// IEEE's Change on the symbol under edit (stored into IEEE_*).
bool libedit_change_ieee(LibEdit* ed, const IeeeValues& values);
// Add/Edit Control's Change on the control under edit: the chosen row's
// field (no row, -1: the control keeps its own), sizes, attributes and font.
bool template_change_control(LibEdit* ed, int row, const TextValues& values);

// --- the text's box ---------------------------------------------------------------------------------
// Where a text whose box is `box` must end so that the box stays inside
// `limit`, by its orientation; the box is shortened for the diagonal
// orientations.
void text_box_corner(const Text* text, Rect* box, Point* corner, const Rect& limit);
// The text shrunk (each size at least 50) so that its box lies inside the
// limit; nothing for a text without a box. FIT_NO_ROOM when the limit
// leaves it no room: a size would fall to the floor of 50 from more, a dot
// no one would see (the text is then left at its size).
enum TextFit { FIT_AS_IT_IS, FIT_SHRUNK, FIT_NO_ROOM };
TextFit text_fit_into(Schema* schema, Text* text, const Rect& limit);

// --- the placing tools ------------------------------------------------------------------------------
extern const ToolMode add_ieee_mode;          // "Add IEEE"
extern const ToolMode libedit_add_text_mode;  // "Add Text" (free texts and title-block controls)
// Undo copy and push of "Add IEEE" placing the symbol of that letter;
// without a part under edit the bell and "Place Body First !!!" (null).
ModeInstance* start_add_ieee_mode(EditSession* session, char letter, int xsize, int ysize);
// IEEE's Place: every running "Add IEEE" ended, the values stored, the tool started.
ModeInstance* libedit_place_ieee(EditSession* session, const IeeeValues& values);
// Undo copy and push of "Add Text" placing a text into a body of the part
// (in_part) or into the title block's graphics; in a library window
// without a part the bell and "Place Body First !!!" (null). Sizes are at
// least 50.
ModeInstance* start_libedit_text_mode(EditSession* session, bool in_part, const char* text,
                                      uint8_t flags, int xsize, int ysize, int font);
// Add/Edit Text's Place: the values stored, the tool started.
ModeInstance* libedit_place_text(EditSession* session, bool in_part, const TextValues& values);
// "Add Text" placing the control of a row into the title block's controls;
// without the title block's graphics the bell and "Place Edges First !!!" (null).
ModeInstance* start_template_control_mode(EditSession* session, int row, uint8_t flags, int xsize,
                                          int ysize, int font);
// Add/Edit Control's Place: nothing without a row; else the values stored
// and the tool started.
ModeInstance* template_place_control(EditSession* session, int row, const TextValues& values);
// The orientation steps of the Add Text tool's arrow keys: +45 degrees
// (0, 7, 3, 6, 2, 5, 1, 4) and back.
int orient_code_left(int code);
int orient_code_right(int code);
