#pragma once
// The Add/Edit Text dialog of a sheet without its window: its rows, how
// its values travel between a text item, the properties TEXT_* and the
// form, and what Add and Change do (a new text is placed by the sheet's
// "Add Text" mode; a text of the sheet is changed in one edit). Also the
// font label and the character size of a document font, which the
// library editor's text dialogs share.
//
// Values go item -> properties -> dialog when it opens and dialog ->
// properties -> item on Add or Change, so that the last values used are
// the next Add's.
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/forms/form.h"

struct EditSession;
struct List;
struct Schema;
struct Text;

// The fields of the text form.
enum TextField : int {
    TF_XSIZE = 1,
    TF_YSIZE,
    TF_ORIENT,  // the compass (orient_code_of_button)
    TF_XMIR,
    TF_YMIR,
    TF_BOX,
    TF_TYPE,  // 0 Comment, 1 Label
    TF_TEXT,
    TF_INTERNAL,
    TF_FONT_LABEL,
    TF_AUTO,
    TF_MAIN,  // the main button, "Add" or "Change"
    TF_FONT_BUTTON,
};

// Command ids of the text dialog (the item dialogs' family).
enum : long {
    TEXT_CMD_XSIZE = 20006,  // no action
    TEXT_CMD_TYPE = 20009,
    TEXT_CMD_TEXT = 20010,
    TEXT_CMD_MAIN = 20011,
    TEXT_CMD_FONT = 20012,
    TEXT_CMD_INTERNAL = 20013,
    TEXT_CMD_HELP = 20052,
};
constexpr long TEXT_HELP_CONTEXT = 695;

std::vector<FormRow> text_window_rows();

// Properties -> form. The font of the chosen type (FONT_COMMENT or
// FONT_LABEL, ids of the system font list) is brought into the document's
// table and becomes the form's font (text_window_font_id); the font label
// follows.
void load_text_window(Form& form, List** fonts);
// Form -> properties. With Internal Font cleared, the form's font becomes
// the variant of its font at the escapement of the chosen orientation.
void store_text_window(Form& form, List** fonts);
// A text of the sheet -> form: its string, sizes, orientation, mirrors,
// box, type and font. A text in a document font shows the font's character
// size in X Size and Y Size (the text itself is not changed).
void text_to_text_window(Form& form, List** fonts, const Text* text, void* canvas);
// load_text_window, then the string, sizes and attribute byte shown.
void text_values_to_window(Form& form, List** fonts, int xsize, int ysize, uint8_t attributes,
                           const std::string& string);

// The font the form's text takes: 0 the internal stroke font, 10 and
// above record id - 10 of the document's font table. The form keeps it
// while the dialog is open.
int text_window_font_id(const Form& form);
// The attribute byte the form gives: orientation code, mirrors, boxed, and
// 0x80 for a label.
uint8_t text_window_attributes(const Form& form);
// The font a text made from the form takes: 0 for the internal font, else
// the variant of the form's font at the orientation's escapement.
int text_window_font(const Form& form, List** fonts);

// Add: the form stored, then the sheet's "Add Text" mode gets the text
// (started when it does not run, its text replaced when it does).
void apply_text_window(EditSession* session, Form& form);
// Change: the text gets the form's string, attribute byte, font and sizes,
// in one edit of the sheet (undo copy, modified mark, repaint).
void props_to_text(EditSession* session, Text* text, const Form& form);
// True (after error box 83 "Invalid Label!") when the label's text holds a
// parenthesis, which a label may not. The text is the dialog's, whole:
// TEXT_TEXT keeps 127 bytes of it.
bool label_has_parens(const std::string& text);

// What the items that react at once do to the form.
void text_window_type_changed(Form& form, List** fonts);      // 20009
void text_window_text_changed(Form& form);                    // 20010
void text_window_internal_changed(Form& form, List** fonts);  // 20013
// After Font... chose the font of that id: X Size and Y Size take its
// character size, the label names it with its size, mirroring is off.
void text_window_font_chosen(Form& form, List** fonts, int font_id, void* canvas);

// --- fonts of texts ------------------------------------------------------------------------
// The font label of a dialog: "Font : " and the font's description, or
// "Font : Internal" for the internal font (an id below 10, or show
// cleared). With import, *font_id names a font of the system font list,
// which is brought into the table (found or added at its own size and
// escapement) and *font_id becomes its id there; without, *font_id names a
// record of the table.
std::string font_label(List** fonts, bool import, int* font_id, bool show);
// The record of a font id (id - 10) of the table, after the window's font
// service had its say (it may replace a missing record by the default one
// and change the id); null for the internal font or a missing record.
struct Font* text_font_record(List** fonts, int* font_id);
// The character size of a document font: half the width and the height of
// "gM" in it, measured on the canvas. False (sizes untouched) without a
// canvas or a record.
bool font_char_size(void* canvas, List** fonts, int font_id, int* xsize, int* ysize);
// The id of the font's variant at the escapement (tenths of a degree):
// found in the table or added there; the id itself for the internal font or
// a missing record.
int font_at_escapement(List** fonts, int font_id, int escapement);
