#include "dialogs/forms/text_form.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/font_record.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/items/text.h"

namespace {

// The font the dialog's text takes is kept beside the label that names it.
int& font_of(Form& form) { return form.value(TF_FONT_LABEL).number; }

constexpr const char* TYPE_ENTRIES = "Comment\nLabel";
constexpr int TYPE_COMMENT = 0;
constexpr int TYPE_LABEL = 1;

// The font property of a type: labels and comments have their own.
int type_font(int type) { return proper_get(type == TYPE_LABEL ? FONT_LABEL : FONT_COMMENT); }

bool internal(const Form& form) { return form.number(TF_INTERNAL) != 0; }

// Font... is offered for a comment in a document font, mirroring for the
// internal font and for labels.
void enable_by_font(Form& form) {
    const bool document_comment = !internal(form) && form.number(TF_TYPE) == TYPE_COMMENT;
    form.value(TF_FONT_BUTTON).enabled = document_comment;
    form.value(TF_XMIR).enabled = !document_comment;
    form.value(TF_YMIR).enabled = !document_comment;
}

void refresh_label_with_import(Form& form, List** fonts) {
    font_of(form) = type_font(form.number(TF_TYPE));
    form.set_text(TF_FONT_LABEL, font_label(fonts, true, &font_of(form), !internal(form)));
}

std::string decimal(int value) { return std::to_string(value); }

// A size field's value: a text keeps its sizes in 16 bits, and a number
// typed beyond them takes the nearest end instead of wrapping round to
// another (a negative size draws the text mirrored).
int16_t size_of(const std::string& text) {
    return static_cast<int16_t>(std::clamp(leading_number(text), INT16_MIN, INT16_MAX));
}

}  // namespace

std::vector<FormRow> text_window_rows() {
    using K = RowKind;
    return {
        {.kind = K::LABEL, .label = "Scale:"},
        {.kind = K::TEXT,
         .field = TF_XSIZE,
         .label = "X Size:",
         .client = TEXT_CMD_XSIZE,
         .sample = "1234"},
        {.kind = K::TEXT, .field = TF_YSIZE, .label = "Y Size:", .sample = "1234"},
        {.kind = K::NEW_LINE},
        {.kind = K::LABEL, .label = "Orientation:"},
        {.kind = K::BITMAP_RADIO, .field = TF_ORIENT, .sample = COMPASS_CELLS, .min = 3},
        {.kind = K::SUB_PANEL, .min = 4, .max = 2},
        {.kind = K::LABEL, .label = "Attr.:"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = TF_XMIR, .label = "X Mirror"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = TF_YMIR, .label = "Y Mirror"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = TF_BOX, .label = "Boxed"},
        {.kind = K::END_PANEL},
        {.kind = K::RADIO,
         .field = TF_TYPE,
         .label = "Type:",
         .client = TEXT_CMD_TYPE,
         .sample = TYPE_ENTRIES},
        {.kind = K::NEW_LINE},
        {.kind = K::TEXT,
         .field = TF_TEXT,
         .label = "Text:",
         .client = TEXT_CMD_TEXT,
         .sample = "01234567890012345678901234567890123456789",
         .select_all = true},
        {.kind = K::NEW_LINE},
        {.kind = K::CHECK,
         .field = TF_INTERNAL,
         .label = "Internal Font",
         .client = TEXT_CMD_INTERNAL},
        {.kind = K::LABEL,
         .field = TF_FONT_LABEL,
         .label = "Font : Internal",
         .sample = "Font : Times New Roman,12pts,Bold Italic  (120 Points)"},
        {.kind = K::NEW_LINE},
        {.kind = K::CHECK, .field = TF_AUTO, .label = "Auto Inc."},
        {.kind = K::DIALOG_BUTTON, .field = TF_MAIN, .label = "Change", .client = TEXT_CMD_MAIN},
        {.kind = K::DIALOG_BUTTON,
         .field = TF_FONT_BUTTON,
         .label = "Font...",
         .client = TEXT_CMD_FONT},
        {.kind = K::BUTTON_SPACE, .min = 20},
        {.kind = K::DIALOG_BUTTON, .label = "Help", .client = TEXT_CMD_HELP},
    };
}

// --- properties and items ----------------------------------------------------------------------

void load_text_window(Form& form, List** fonts) {
    form.set_text(TF_XSIZE, decimal(proper_get(TEXT_XSCAL)));
    form.set_text(TF_YSIZE, decimal(proper_get(TEXT_YSCAL)));
    form.set_number(TF_XMIR, proper_get(TEXT_XMIR) != 0);
    form.set_number(TF_YMIR, proper_get(TEXT_YMIR) != 0);
    form.set_number(TF_BOX, proper_get(TEXT_BOX) != 0);
    form.set_number(TF_INTERNAL, proper_get(INTERNAL_FONT) != 0);
    // The hidden centre of the compass, or a value outside it, shows east.
    const int orient = proper_get(TEXT_ORIENT);
    form.set_number(TF_ORIENT, orient >= 0 && orient < 9 && orient != 4 ? orient : 7);
    // A stored label (1; 2 as older settings wrote it) shows as a label.
    const int type = proper_get(TEXT_TYPE);
    form.set_number(TF_TYPE, type == 1 || type == 2 ? TYPE_LABEL : TYPE_COMMENT);
    enable_by_font(form);
    form.set_text(TF_TEXT, strproper_get(TEXT_TEXT));
    form.set_number(TF_AUTO, proper_get(TEXT_AUTO) != 0);
    form.value(TF_MAIN).enabled = !form.text(TF_TEXT).empty();
    refresh_label_with_import(form, fonts);
}

void store_text_window(Form& form, List** fonts) {
    proper_set(TEXT_XSCAL, size_of(form.text(TF_XSIZE)), TEXT_YSCAL, size_of(form.text(TF_YSIZE)),
               TEXT_XMIR, form.number(TF_XMIR), TEXT_YMIR, form.number(TF_YMIR), TEXT_BOX,
               form.number(TF_BOX), TEXT_ORIENT, form.number(TF_ORIENT), TEXT_TYPE,
               form.number(TF_TYPE), TEXT_TEXT, form.text(TF_TEXT).c_str(), INTERNAL_FONT,
               form.number(TF_INTERNAL), TEXT_AUTO, form.number(TF_AUTO), 0);
    if (!internal(form))
        font_of(form) = font_at_escapement(
            fonts, font_of(form), orient_to_angle(orient_code_of_button(form.number(TF_ORIENT))));
}

void text_values_to_window(Form& form, List** fonts, int xsize, int ysize, uint8_t attributes,
                           const std::string& string) {
    load_text_window(form, fonts);
    form.set_text(TF_TEXT, string);
    form.value(TF_MAIN).enabled = !string.empty();
    form.set_text(TF_XSIZE, decimal(xsize));
    form.set_text(TF_YSIZE, decimal(ysize));
    form.set_number(TF_ORIENT, button_of_orient_code(attributes));
    form.set_number(TF_YMIR, (attributes & MY) != 0);
    form.set_number(TF_XMIR, (attributes & MX) != 0);
    form.set_number(TF_BOX, (attributes & BOXED) != 0);
}

void text_to_text_window(Form& form, List** fonts, const Text* text, void* canvas) {
    int xsize = text->size.width, ysize = text->size.height;
    const bool document_font = text->font >= FONT_ID_BASE;
    proper_set(INTERNAL_FONT, document_font ? 0 : 1, 0);
    if (document_font) {
        font_of(form) = text->font;
        // The font's own character size is what the dialog offers; the
        // text keeps its sizes until Change.
        font_char_size(canvas, fonts, text->font, &xsize, &ysize);
    }
    text_values_to_window(form, fonts, xsize, ysize, text->flags, text->string);
    form.set_number(TF_TYPE, (text->flags & TEXT_TYPE_MASK) == LABEL ? TYPE_LABEL : TYPE_COMMENT);
    enable_by_font(form);
    font_of(form) = text->font;
    form.set_text(TF_FONT_LABEL, font_label(fonts, false, &font_of(form), document_font));
}

int text_window_font_id(const Form& form) { return form.value(TF_FONT_LABEL).number; }

uint8_t text_window_attributes(const Form& form) {
    int flags = orient_code_of_button(form.number(TF_ORIENT));
    if (form.number(TF_XMIR)) flags |= MX;
    if (form.number(TF_YMIR)) flags |= MY;
    if (form.number(TF_BOX)) flags |= BOXED;
    if (form.number(TF_TYPE) == TYPE_LABEL) flags |= LABEL;
    return static_cast<uint8_t>(flags);
}

int text_window_font(const Form& form, List** fonts) {
    if (internal(form)) return 0;
    return font_at_escapement(fonts, text_window_font_id(form),
                              orient_to_angle(text_window_attributes(form)));
}

// --- Add and Change --------------------------------------------------------------------------------

void apply_text_window(EditSession* session, Form& form) {
    if (!session || !session->schema) return;
    List** fonts = &session->schema->fonts;
    store_text_window(form, fonts);
    const std::string string = form.text(TF_TEXT);
    const int xsize = size_of(form.text(TF_XSIZE));
    const int ysize = size_of(form.text(TF_YSIZE));
    const uint8_t attributes = text_window_attributes(form);
    const int font = text_window_font(form, fonts);
    if (ModeInstance* running = FindMode(session, &add_text_mode))
        text_tool_set(session, running, string.c_str(), attributes, xsize, ysize, font);
    else
        start_text_tool(session, string.c_str(), attributes, xsize, ysize, font);
}

void props_to_text(EditSession* session, Text* text, const Form& form) {
    if (!session || !session->schema || !text) return;
    Schema* schema = session->schema;
    const int font = internal(form) ? 0 : text_window_font_id(form);
    EditTransaction edit(session);
    edit.before(text);
    text->string = form.text(TF_TEXT);
    text->flags = text_window_attributes(form);
    text->font = font;
    text->size.width = size_of(form.text(TF_XSIZE));
    text->size.height = size_of(form.text(TF_YSIZE));
    set_TextFonts(text, schema->fonts);
    free_Strokes(text->layout);
    text->layout = nullptr;
    edit.touch(text);
}

bool label_has_parens(const std::string& text) {
    if (text.find_first_of("()") == std::string::npos) return false;
    error_box(nullptr, "Error", MB_ICON_STOP, 83);
    return true;
}

// --- items that react at once ----------------------------------------------------------------------

void text_window_type_changed(Form& form, List** fonts) { refresh_label_with_import(form, fonts); }

void text_window_text_changed(Form& form) {
    form.value(TF_MAIN).enabled = !form.text(TF_TEXT).empty();
}

void text_window_internal_changed(Form& form, List** fonts) {
    const bool document_font = !internal(form);
    form.value(TF_FONT_BUTTON).enabled = document_font;
    form.value(TF_XMIR).enabled = !document_font;
    form.value(TF_YMIR).enabled = !document_font;
    refresh_label_with_import(form, fonts);
}

void text_window_font_chosen(Form& form, List** fonts, int font_id, void* canvas) {
    font_of(form) = font_id;
    int id = font_id;
    const Font* record = font_id >= FONT_ID_BASE ? font_find(*fonts, id - FONT_ID_BASE) : nullptr;
    if (!record) return;
    int xsize = 0, ysize = 0;
    if (font_char_size(canvas, fonts, font_id, &xsize, &ysize)) {
        form.set_text(TF_XSIZE, decimal(xsize));
        form.set_text(TF_YSIZE, decimal(ysize));
    }
    char label[200];
    std::snprintf(label, sizeof label, "Font : %s  (%3d Points)", record->face_name,
                  std::abs(record->size) / 10);
    form.set_text(TF_FONT_LABEL, label);
    form.set_number(TF_XMIR, 0);
    form.set_number(TF_YMIR, 0);
    form.value(TF_XMIR).enabled = false;
    form.value(TF_YMIR).enabled = false;
}

// --- fonts of texts ----------------------------------------------------------------------------------

Font* text_font_record(List** fonts, int* font_id) {
    if (*font_id < FONT_ID_BASE) return nullptr;
    services().font_for_text(fonts, font_id);
    return font_find(*fonts, *font_id - FONT_ID_BASE);
}

std::string font_label(List** fonts, bool import, int* font_id, bool show) {
    const Font* record = nullptr;
    if (*font_id >= FONT_ID_BASE) {
        if (!import) {
            record = text_font_record(fonts, font_id);
        } else if (const Font* system = font_find(system_fonts, *font_id - FONT_ID_BASE)) {
            if (Font* own = font_cache_get(fonts, system, system->size, system->escapement)) {
                *font_id = own->number + FONT_ID_BASE;
                record = own;
            }
        }
    }
    if (record && show) return "Font : " + font_description(record);
    return "Font : Internal";
}

bool font_char_size(void* canvas, List** fonts, int font_id, int* xsize, int* ysize) {
    if (!canvas || font_id < FONT_ID_BASE || !font_find(*fonts, font_id - FONT_ID_BASE))
        return false;
    int id = font_id;
    Rect extent;
    if (!services().text_extent(canvas, *fonts, nullptr, "gM", &id, Point{}, &extent)) return false;
    *xsize = extent.w / 2;
    *ysize = extent.h;
    return true;
}

int font_at_escapement(List** fonts, int font_id, int escapement) {
    int id = font_id;
    const Font* record = text_font_record(fonts, &id);
    if (!record) return font_id;
    const Font* variant = font_cache_get(fonts, record, record->size, escapement);
    return variant ? variant->number + FONT_ID_BASE : id;
}
