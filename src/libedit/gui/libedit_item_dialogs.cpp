// The library editor's dialogs of pins, texts, IEEE symbols, controls, the
// reference prefix and the user fields: their rows, their windows and what
// their buttons do.
#include "libedit/gui/libedit_item_dialogs.h"

#include <string>
#include <vector>

#include <wx/font.h>
#include <wx/window.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/text_form.h"
#include "editor/selection.h"
#include "foundation/dialog_calls.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/libedit.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_pins.h"
#include "libedit/libedit_tools.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "shell/app.h"
#include "shell/canvas_editing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

EnhancedDialog* libedit_addpin = nullptr;
EnhancedDialog* libedit_pinout = nullptr;
EnhancedDialog* libedit_find = nullptr;
EnhancedDialog* libedit_refprefix = nullptr;
EnhancedDialog* libedit_field = nullptr;
EnhancedDialog* libedit_text = nullptr;
EnhancedDialog* libedit_ieee_symb = nullptr;
EnhancedDialog* template_control = nullptr;

namespace {

// The command ids of these dialogs' items.
enum : long {
    PINOUT_TYPE = 20006,
    PINOUT_PINS = 20007,
    PINOUT_CONVERTED = 20008,
    PINOUT_APPLY = 20009,
    IEEE_PLACE = 20010,
    IEEE_CHANGE = 20011,
    IEEE_SYMBOL = 20012,
    TEXT_PLACE_PART = 20013,
    TEXT_INTERNAL = 20014,
    TEXT_FONT = 20015,
    CONTROL_INTERNAL = 20016,
    CONTROL_FONT = 20017,
    TEXT_PLACE_TEMPLATE = 20018,
    TEXT_CHANGE = 20019,
    FIND_PIN = 20021,
    PIN_TYPE_ROW = 20029,
    PIN_ADD = 20030,
    PIN_CHANGE = 20031,
    PREFIX_APPLY = 20040,
    CONTROL_PLACE = 20041,
    CONTROL_CHANGE = 20042,
    FIELDS_OK = 20043,
    FIELDS_VALUE = 20044,
    FIELDS_ROW = 20045,
};

// One entry per line, as the form's choices and radio boxes take them.
std::string lines(const char* const* labels, int count) {
    std::string joined;
    for (int i = 0; i < count; ++i) joined += (i ? "\n" : "") + std::string(labels[i]);
    return joined;
}

const std::string& type_lines() {
    static const std::string joined = lines(pin_type_labels, PIN_TYPE_ROWS);
    return joined;
}
const std::string& shape_lines() {
    static const std::string joined = lines(pin_shape_labels, PIN_SHAPE_ROWS);
    return joined;
}

FormDialog* form_dialog(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

long word_of(EditCanvas* canvas) { return reinterpret_cast<long>(canvas); }

LibEdit* editor(EditCanvas* canvas) {
    editor_session(canvas);  // bound to the document the canvas shows now
    return &canvas->libedit;
}

// The canvas a dialog acts on (a library window, or a title-block window for
// the text and control dialogs), null when none is open.
EditCanvas* owner(EnhancedDialog* dialog) { return libedit_dialog_canvas(dialog, true); }

int picked(const Form& form, int field) {
    const FieldValue& value = form.value(field);
    for (size_t i = 0; i < value.selected.size(); ++i)
        if (value.selected[i]) return static_cast<int>(i);
    return -1;
}

FormDialog* build(EnhancedDialog** global, const char* title, const char* window_name, long style,
                  std::vector<FormRow> rows,
                  EnhancedDialog::OnClose on_close = destroy_registered_dialog) {
    FormDialog* dialog =
        new_registered_dialog(global, title, window_name, style, false, Form(std::move(rows)),
                              libedit_button, std::move(on_close));
    dialog->BuildRows();
    return dialog;
}

// --- Add/Edit Pin -------------------------------------------------------------------------------
// The pin the dialog changes (and the placed part it was picked on); null for a new pin.
PlacedPart* pin_placed = nullptr;
Pin* pin_under_edit = nullptr;

std::vector<FormRow> add_pin_rows(bool existing) {
    return {
        {.kind = RowKind::TEXT,
         .field = AP_NUMBERS,
         .label = "Reference(s)",
         .sample = "012345678900123456789",
         .select_all = true},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT,
         .field = AP_NAME,
         .label = "Name",
         .sample = "012345678900123456789"},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHOICE,
         .field = AP_SHAPE,
         .label = "Shape",
         .sample = shape_lines().c_str()},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::RADIO,
         .field = AP_TYPE,
         .label = "Type",
         .client = PIN_TYPE_ROW,
         .sample = type_lines().c_str(),
         .min = 3},
        {.kind = RowKind::DIALOG_BUTTON,
         .label = existing ? "Change" : "Add",
         .client = existing ? PIN_CHANGE : PIN_ADD},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20055},
    };
}

// The fields of a pin into a pin dialog (the Add/Edit Pin dialog's or the
// pinout's items).
void pin_dialog_fill(Form& form, const PinFields& fields, int numbers, int name, int type,
                     int shape) {
    form.set_text(numbers, fields.numbers);
    form.set_text(name, fields.name);
    if (fields.type_row >= 0) form.set_number(type, fields.type_row);
    if (fields.shape_row >= 0) form.set_number(shape, fields.shape_row);
    form.value(shape).enabled = form.number(type) != PIN_POWER_ROW;
}

// A pin dialog's fields as typed.
PinFields scan_pin_dialog(const Form& form, int numbers, int name, int type, int shape) {
    PinFields fields;
    fields.numbers = form.text(numbers);
    fields.name = form.text(name);
    fields.type_row = form.number(type);
    fields.shape_row = form.number(shape);
    return fields;
}

// Add/Edit Pin shows the pin kept (its device's number) or, for a new
// pin, the PIN_* properties; a part of no device has no pin numbers to type.
void pin_dialog_reload(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_addpin);
    Form& form = dialog->form();
    const PinFields fields = pin_under_edit && pin_placed
                                 ? pin_fields_of(pin_under_edit, pin_placed->device)
                                 : pin_fields_from_properties();
    pin_dialog_fill(form, fields, AP_NUMBERS, AP_NAME, AP_TYPE, AP_SHAPE);
    const Part* part = libedit_part(editor(canvas));
    form.value(AP_NUMBERS).enabled = part && part->devices >= 1;
    dialog->Fill();
}

void create_libedit_addpin(bool existing) {
    FormDialog* dialog = build(&libedit_addpin, "Tessaron: Add/Edit Pin", "libedit_addpin",
                               dialog_style, add_pin_rows(existing));
    dialog->Fit();
}

void pin_command(long id) {
    FormDialog* dialog = form_dialog(libedit_addpin);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    switch (id) {
        case PIN_TYPE_ROW:
            form.value(AP_SHAPE).enabled = form.number(AP_TYPE) != PIN_POWER_ROW;
            dialog->Fill();
            return;
        case PIN_ADD: {
            const PinFields fields = scan_pin_dialog(form, AP_NUMBERS, AP_NAME, AP_TYPE, AP_SHAPE);
            hide_dialog(libedit_addpin);
            libedit_add_pin(editor_session(canvas), fields);
            return;
        }
        case PIN_CHANGE: {
            const PinFields fields = scan_pin_dialog(form, AP_NUMBERS, AP_NAME, AP_TYPE, AP_SHAPE);
            // The placed part may have gone with a new layout of the sheet.
            int device = 0;
            for (SchItem* item : list_items<SchItem>(libedit_items(editor(canvas))))
                if (item == pin_placed) device = pin_placed->device;
            // A pin the part no longer has is not changed.
            libedit_change_pin(editor(canvas), pin_under_edit, device, fields);
            hide_dialog(libedit_addpin);
            return;
        }
        default: return;
    }
}

// --- View/Edit Pinout ----------------------------------------------------------------------------
std::vector<FormRow> pinout_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::CHECK,
         .field = PO_CONVERTED,
         .label = "Converted Pins",
         .client = PINOUT_CONVERTED},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::PICK,
         .field = PO_PINS,
         .label = "Pins:",
         .client = PINOUT_PINS,
         .min = 400,
         .max = 200},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT, .field = PO_REF, .label = "Ref", .sample = "012345678901234"},
        {.kind = RowKind::TEXT, .field = PO_NAME, .label = "Name", .sample = "012345678901234"},
        {.kind = RowKind::CHOICE,
         .field = PO_TYPE,
         .label = "Type",
         .client = PINOUT_TYPE,
         .sample = type_lines().c_str()},
        {.kind = RowKind::CHOICE,
         .field = PO_SHAPE,
         .label = "Shape",
         .sample = shape_lines().c_str()},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Apply", .client = PINOUT_APPLY},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20048},
    };
}

// The pin of the selected row into the fields below the list (pinout_select).
void pinout_select() {
    FormDialog* dialog = form_dialog(libedit_pinout);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    Form& form = dialog->form();
    const int row = picked(form, PO_PINS);
    LibEdit* ed = editor(canvas);
    const Pin* pin = row < 0 ? nullptr : pinout_pin(ed, form.number(PO_CONVERTED) != 0, row);
    if (!pin) {
        pin_dialog_fill(form, PinFields{}, PO_REF, PO_NAME, PO_TYPE, PO_SHAPE);
    } else {
        Part* part = libedit_part(ed);
        pin_dialog_fill(form, pinout_fields_of(pin, part ? part->devices : 1), PO_REF, PO_NAME,
                        PO_TYPE, PO_SHAPE);
    }
    dialog->Fill();
}

// The list of the pins of the form chosen; the row kept selected when it is still there.
void fill_pinout(int keep_row = 0) {
    FormDialog* dialog = form_dialog(libedit_pinout);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    Form& form = dialog->form();
    LibEdit* ed = editor(canvas);
    Part* part = libedit_part(ed);
    const bool has_converted = part && part->convert_pins;
    if (!has_converted) form.set_number(PO_CONVERTED, 0);
    form.value(PO_CONVERTED).enabled = has_converted;
    std::vector<std::string> pins = pinout_lines(ed, form.number(PO_CONVERTED) != 0);
    const size_t count = pins.size();
    form.set_entries(PO_PINS, std::move(pins));
    if (count) form.select(PO_PINS, static_cast<size_t>(keep_row) < count ? keep_row : 0, true);
    pinout_select();
}

void pinout_command(long id) {
    FormDialog* dialog = form_dialog(libedit_pinout);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    switch (id) {
        case PINOUT_TYPE:
            form.value(PO_SHAPE).enabled = form.number(PO_TYPE) != PIN_POWER_ROW;
            dialog->Fill();
            return;
        case PINOUT_PINS: pinout_select(); return;
        case PINOUT_CONVERTED: fill_pinout(); return;
        case PINOUT_APPLY: {
            const int row = picked(form, PO_PINS);
            if (row < 0) return;
            pinout_apply(editor(canvas), form.number(PO_CONVERTED) != 0, row,
                         scan_pin_dialog(form, PO_REF, PO_NAME, PO_TYPE, PO_SHAPE));
            fill_pinout(row);
            return;
        }
        default: return;
    }
}

}  // namespace

void open_pinout(EditCanvas* canvas) {
    open_dialog({&libedit_pinout, "libedit_pinout",
                 [] {
                     FormDialog* dialog = build(&libedit_pinout, "Tessaron: View/Edit Pinout",
                                                "libedit_pinout", dialog_style, pinout_rows());
                     // The pinout's columns line up in a font of one width.
                     dialog->Item(PO_PINS)->SetFont(
                         wxFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE)));
                     dialog->Fit();
                 },
                 [] { fill_pinout(); }, word_of(canvas)});
}

namespace {

// --- Find Pin -------------------------------------------------------------------------------------
std::vector<FormRow> find_pin_rows() {
    return {
        {.kind = RowKind::RADIO,
         .field = FP_BY,
         .label = "Item to Find",
         .sample = "Reference\nName",
         .min = 2},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT,
         .field = FP_TEXT,
         .label = "Name",
         .sample = "12345678901234567890123456789012",
         .select_all = true},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Find", .client = FIND_PIN},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20056},
    };
}

void find_pin() {
    FormDialog* dialog = form_dialog(libedit_find);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const bool by_name = dialog->form().number(FP_BY) == 1;
    const std::string text = dialog->form().text(FP_TEXT);
    hide_dialog(libedit_find);
    libedit_find_pin(editor(canvas), by_name, text.c_str());
}

}  // namespace

void open_find_pin(EditCanvas* canvas) {
    open_dialog({&libedit_find, "libedit_find",
                 [] {
                     FormDialog* dialog = build(&libedit_find, "Tessaron: Find Pin", "libedit_find",
                                                dialog_style, find_pin_rows());
                     dialog->Fit();
                 },
                 [] { form_dialog(libedit_find)->Fill(); }, word_of(canvas)});
}

namespace {

// --- Part Reference Prefix ---------------------------------------------------------------------------
}  // namespace

void open_reference_prefix(EditCanvas* canvas) {
    open_dialog(
        {&libedit_refprefix, "libedit_refprefix",
         [] {
             FormDialog* dialog =
                 build(&libedit_refprefix, "Tessaron: Part Reference Prefix", "libedit_refprefix",
                       dialog_style,
                       {{.kind = RowKind::TEXT,
                         .field = RP_PREFIX,
                         .label = "Reference Prefix",
                         .sample = "012345678900123456789",
                         .select_all = true},
                        {.kind = RowKind::DIALOG_BUTTON, .label = "Apply", .client = PREFIX_APPLY},
                        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20049}});
             dialog->Fit();
         },
         [canvas] {
             LibEdit* ed = editor(canvas);
             if (!libedit_part(ed)) return;
             FormDialog* dialog = form_dialog(libedit_refprefix);
             dialog->form().set_text(RP_PREFIX, libedit_prefix(ed));
             edit_clear_buffer(libedit_schema(ed));
             dialog->Fill();
         },
         word_of(canvas)});
}

namespace {

void apply_prefix() {
    FormDialog* dialog = form_dialog(libedit_refprefix);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const std::string prefix = dialog->form().text(RP_PREFIX);
    hide_dialog(libedit_refprefix);
    libedit_set_prefix(editor(canvas), prefix.c_str());
}

// --- User Part Fields ------------------------------------------------------------------------------
// The values while the dialog is open, one slot per field.
FieldRows field_rows;

// The values kept while the dialog was open go with it.
void field_dialog_close(EnhancedDialog& closing) {
    field_rows = FieldRows{};
    destroy_registered_dialog(closing);
}

}  // namespace

void open_part_fields(EditCanvas* canvas) {
    open_dialog({&libedit_field, "libedit_field",
                 [canvas] {
                     // The choice is as wide as the names it lists.
                     static std::string names;
                     field_rows = libedit_field_rows(editor(canvas));
                     names.clear();
                     for (const std::string& name : field_rows.names)
                         names += (names.empty() ? "" : "\n") + name;
                     FormDialog* dialog = build(
                         &libedit_field, "Tessaron: User Part Fields", "libedit_field",
                         dialog_style,
                         {{.kind = RowKind::CHOICE,
                           .field = UF_FIELDS,
                           .label = "Fields:  ",
                           .client = FIELDS_ROW,
                           .sample = names.c_str()},
                          {.kind = RowKind::NEW_LINE},
                          {.kind = RowKind::TEXT,
                           .field = UF_VALUE,
                           .label = "Value:",
                           .client = FIELDS_VALUE,
                           .sample = "xxxxxxxxxxxxxxx"},
                          {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = FIELDS_OK},
                          {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20046}},
                         field_dialog_close);
                     dialog->Fit();
                 },
                 [] {
                     Form& form = form_dialog(libedit_field)->form();
                     form.set_number(UF_FIELDS, 0);
                     form.set_text(UF_VALUE, field_rows.values.empty() ? "" : field_rows.values[0]);
                     form.value(UF_FIELDS).enabled = field_rows.enabled;
                     form.value(UF_VALUE).enabled = field_rows.enabled;
                     form_dialog(libedit_field)->Fill();
                 },
                 word_of(canvas)});
}

namespace {

void fields_command(long id) {
    FormDialog* dialog = form_dialog(libedit_field);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    const int row = form.number(UF_FIELDS);
    const bool in_rows = row >= 0 && static_cast<size_t>(row) < field_rows.values.size();
    switch (id) {
        case FIELDS_VALUE:
            if (in_rows) field_rows.values[row] = field_value_fitted(form.text(UF_VALUE));
            return;
        case FIELDS_ROW:
            if (!in_rows) return;
            form.set_text(UF_VALUE, field_rows.values[row]);
            dialog->Fill();
            return;
        case FIELDS_OK: {
            if (in_rows) field_rows.values[row] = field_value_fitted(form.text(UF_VALUE));
            const std::vector<std::string> values = field_rows.values;
            hide_dialog(libedit_field);
            libedit_write_fields(editor(canvas), values);
            return;
        }
        default: return;
    }
}

// --- Add/Edit Text and Add/Edit Control ---------------------------------------------------------------
// The font a new or changed text takes when the internal font is off
// (the dialog font id), shared by the text and control dialogs.
int dialog_font = 0;

bool is_control(const SchItem* item) {
    return item && item->type == TEXT_ITEM && (item->flags & TBLOCK) == TBLOCK;
}

std::vector<FormRow> style_rows(const char* attribute_label, bool control) {
    std::vector<FormRow> rows = {
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 2},
        {.kind = RowKind::LABEL, .label = "Scale:"},
        {.kind = RowKind::NEW_LINE, .min = 1},
        {.kind = RowKind::TEXT, .field = TX_XSIZE, .label = "X Size:", .sample = "12345678"},
        {.kind = RowKind::NEW_LINE, .min = 1},
        {.kind = RowKind::TEXT, .field = TX_YSIZE, .label = "Y Size:", .sample = "12345678"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 2},
        {.kind = RowKind::LABEL, .label = "Orientation:"},
        {.kind = RowKind::NEW_LINE, .min = 1},
        {.kind = RowKind::BITMAP_RADIO, .field = TX_ORIENT, .sample = COMPASS_CELLS, .min = 3},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 2},
        {.kind = RowKind::LABEL, .label = attribute_label},
        {.kind = RowKind::NEW_LINE, .min = 1},
        {.kind = RowKind::CHECK, .field = TX_XMIR, .label = "X Mirror"},
        {.kind = RowKind::NEW_LINE, .min = 1},
    };
    // The control dialog lists Boxed before Y Mirror.
    const FormRow ymirror{.kind = RowKind::CHECK, .field = TX_YMIR, .label = "Y Mirror"};
    const FormRow boxed{.kind = RowKind::CHECK, .field = TX_BOX, .label = "Boxed"};
    rows.push_back(control ? boxed : ymirror);
    rows.push_back({.kind = RowKind::NEW_LINE, .min = 1});
    rows.push_back(control ? ymirror : boxed);
    rows.push_back({.kind = RowKind::END_PANEL});
    return rows;
}

std::vector<FormRow> font_rows(long internal_client) {
    return {
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHECK,
         .field = TX_INTERNAL,
         .label = "Internal Font",
         .client = internal_client},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL,
         .field = TX_FONT_LABEL,
         .label = "Font : Internal",
         .sample = "Font : XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"},
    };
}

std::vector<FormRow> text_rows(bool library, bool existing) {
    std::vector<FormRow> rows = style_rows("Attr.:", false);
    rows.push_back({.kind = RowKind::NEW_LINE});
    rows.push_back({.kind = RowKind::TEXT,
                    .field = TX_TEXT,
                    .label = "Text:",
                    .sample = "01234567890012345678901234567890123456789",
                    .select_all = true});
    for (const FormRow& row : font_rows(TEXT_INTERNAL)) rows.push_back(row);
    const long main = existing ? TEXT_CHANGE : library ? TEXT_PLACE_PART : TEXT_PLACE_TEMPLATE;
    rows.push_back(
        {.kind = RowKind::DIALOG_BUTTON, .label = existing ? "Change" : "Place", .client = main});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON, .label = "Font...", .client = TEXT_FONT});
    // Help stands only when there is a window whose kind gives its context.
    if (paint_zone) {
        rows.push_back({.kind = RowKind::BUTTON_SPACE, .min = 20});
        rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                        .label = "Help",
                        .client = paint_zone->kind == CANVAS_LIBRARY ? 20051 : 20052});
    }
    return rows;
}

std::vector<FormRow> control_rows(bool existing) {
    std::vector<FormRow> rows = {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK, .field = TX_CONTROLS, .label = "Controls:", .min = 150, .max = 180},
        {.kind = RowKind::LABELS_BESIDE},
    };
    for (const FormRow& row : style_rows("Attribute:", true)) rows.push_back(row);
    for (const FormRow& row : font_rows(CONTROL_INTERNAL)) rows.push_back(row);
    rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                    .label = existing ? "Change" : "Place",
                    .client = existing ? CONTROL_CHANGE : CONTROL_PLACE});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON, .label = "Font...", .client = CONTROL_FONT});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20059});
    return rows;
}

std::string number_text(int value) { return std::to_string(value); }

// The values into the form of the text or control dialog.
void libedit_text_dialog_fill(FormDialog* dialog, EditCanvas* canvas, const TextValues& values,
                              bool import) {
    Form& form = dialog->form();
    form.set_text(TX_XSIZE, number_text(values.xsize));
    form.set_text(TX_YSIZE, number_text(values.ysize));
    form.set_number(TX_ORIENT, values.orient_button);
    form.set_number(TX_XMIR, values.xmirror ? 1 : 0);
    form.set_number(TX_YMIR, values.ymirror ? 1 : 0);
    form.set_number(TX_BOX, values.boxed ? 1 : 0);
    if (form.has(TX_TEXT)) form.set_text(TX_TEXT, values.text);
    form.set_number(TX_INTERNAL, values.internal_font ? 1 : 0);
    dialog_font = values.font;
    List** fonts = libedit_font_table(editor(canvas));
    form.set_text(
        TX_FONT_LABEL,
        fonts ? font_label(fonts, import, &dialog_font, !values.internal_font) : "Font : Internal");
    form.value(TX_XMIR).enabled = form.value(TX_YMIR).enabled = values.internal_font;
    dialog->Fill();
    if (wxWindow* button =
            dialog->ButtonFor(dialog->form().has(TX_TEXT) ? TEXT_FONT : CONTROL_FONT))
        button->Enable(!values.internal_font);
}

// The values of the text or control dialog as typed (the text dialog's
// text too).
TextValues scan_libedit_text(FormDialog* dialog) {
    dialog->Read();
    const Form& form = dialog->form();
    TextValues values;
    values.xsize = leading_number(form.text(TX_XSIZE));
    values.ysize = leading_number(form.text(TX_YSIZE));
    values.orient_button = form.number(TX_ORIENT);
    values.xmirror = form.number(TX_XMIR) != 0;
    values.ymirror = form.number(TX_YMIR) != 0;
    values.boxed = form.number(TX_BOX) != 0;
    if (form.has(TX_TEXT)) values.text = form.text(TX_TEXT);
    values.internal_font = form.number(TX_INTERNAL) != 0;
    values.font = dialog_font;
    // A document font is taken at the escapement of the orientation chosen.
    if (!values.internal_font && values.font >= 10) {
        EditCanvas* canvas = owner(dialog);
        if (List** fonts = canvas ? libedit_font_table(editor(canvas)) : nullptr)
            values.font = dialog_font = font_at_escapement(
                fonts, values.font, orient_to_angle(text_values_attributes(values)));
    }
    return values;
}

// "Internal Font" toggled: Font... while it is off, the mirrors while it is on.
void internal_toggled(FormDialog* dialog, int default_font) {
    EditCanvas* canvas = owner(dialog);
    if (!canvas) return;
    TextValues values = scan_libedit_text(dialog);
    values.font = proper_get(default_font);
    libedit_text_dialog_fill(dialog, canvas, values, true);
}

// Font...: the platform's font chooser; the sizes of "gM" in the chosen font.
void font_choose(FormDialog* dialog, int xsize_property, int ysize_property) {
    EditCanvas* canvas = owner(dialog);
    List** fonts = canvas ? libedit_font_table(editor(canvas)) : nullptr;
    if (!fonts) return;
    TextValues values = scan_libedit_text(dialog);
    const int chosen = register_document_font(dialog, fonts, dialog_font);
    values.font = chosen;
    int xsize = values.xsize, ysize = values.ysize;
    if (font_char_size(static_cast<RenderCanvas*>(canvas), fonts, chosen, &xsize, &ysize))
        proper_set(xsize_property, xsize, ysize_property, ysize, 0);
    values.xsize = xsize;
    values.ysize = ysize;
    values.xmirror = values.ymirror = false;
    libedit_text_dialog_fill(dialog, canvas, values, false);
    dialog->form().value(TX_XMIR).enabled = dialog->form().value(TX_YMIR).enabled = false;
    dialog->Fill();
}

// The text or control dialog shows an existing text's own values.
void text_dialog_refill(FormDialog* dialog, EditCanvas* canvas, SchItem* item) {
    libedit_text_dialog_fill(dialog, canvas, text_values_of(as_Text(item)), false);
}

void open_text_dialog(EditCanvas* canvas, SchItem* item) {
    const bool library = canvas->kind == CANVAS_LIBRARY;
    const bool existing = item != nullptr;
    open_dialog({&libedit_text, "libedit_text",
                 [library, existing] {
                     FormDialog* dialog =
                         build(&libedit_text, "Tessaron: Add/Edit Text", "libedit_text",
                               dialog_style_message, text_rows(library, existing));
                     dialog->Fit();
                 },
                 [canvas, item, library] {
                     if (item)
                         text_dialog_refill(form_dialog(libedit_text), canvas, item);
                     else
                         libedit_text_dialog_fill(form_dialog(libedit_text), canvas,
                                                  text_values_from_properties(library), true);
                 },
                 word_of(canvas)});
}

void text_command(long id) {
    FormDialog* dialog = form_dialog(libedit_text);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    switch (id) {
        case TEXT_INTERNAL:
            internal_toggled(dialog, canvas->kind == CANVAS_LIBRARY ? FONT_COMMENT : FONT_TITLE);
            return;
        case TEXT_FONT: font_choose(dialog, TEXT_XSCAL, TEXT_YSCAL); return;
        case TEXT_PLACE_PART:
        case TEXT_PLACE_TEMPLATE: {
            const TextValues values = scan_libedit_text(dialog);
            hide_dialog(libedit_text);
            libedit_place_text(editor_session(canvas), id == TEXT_PLACE_PART, values);
            return;
        }
        case TEXT_CHANGE: {
            const TextValues values = scan_libedit_text(dialog);
            hide_dialog(libedit_text);
            libedit_change_text(editor(canvas), values);
            return;
        }
        default: return;
    }
}

void open_control_dialog(EditCanvas* canvas, SchItem* item) {
    const bool existing = item != nullptr;
    open_dialog(
        {&template_control, "template_control",
         [existing] {
             FormDialog* dialog =
                 build(&template_control, "Tessaron: Add/Edit Control", "template_control",
                       dialog_style_message, control_rows(existing));
             dialog->Fit();
         },
         [canvas, item] {
             FormDialog* dialog = form_dialog(template_control);
             Form& form = dialog->form();
             form.set_entries(TX_CONTROLS, std::vector<std::string>(control_labels,
                                                                    control_labels + CONTROL_ROWS));
             if (item) {
                 const int row = control_row_of_code(as_Text(item)->field);
                 if (row >= 0) form.select(TX_CONTROLS, static_cast<size_t>(row), true);
                 text_dialog_refill(dialog, canvas, item);
             } else {
                 libedit_text_dialog_fill(dialog, canvas, control_values_from_properties(), true);
             }
         },
         word_of(canvas)});
}

// The control dialog's values and the row of the control chosen (-1 for none).
TextValues scan_template_control(FormDialog* dialog, int* row) {
    const TextValues values = scan_libedit_text(dialog);
    *row = picked(dialog->form(), TX_CONTROLS);
    return values;
}

void control_command(long id) {
    FormDialog* dialog = form_dialog(template_control);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas) return;
    switch (id) {
        case CONTROL_INTERNAL: internal_toggled(dialog, FONT_TITLE); return;
        case CONTROL_FONT: font_choose(dialog, TPL_TEXT_XSCAL, TPL_TEXT_YSCAL); return;
        case CONTROL_PLACE: {
            int row = -1;
            const TextValues values = scan_template_control(dialog, &row);
            if (row < 0) return;  // the dialog stays for a choice
            hide_dialog(template_control);
            template_place_control(editor_session(canvas), row, values);
            return;
        }
        case CONTROL_CHANGE: {
            int row = -1;
            const TextValues values = scan_template_control(dialog, &row);
            hide_dialog(template_control);
            template_change_control(editor(canvas), row, values);
            return;
        }
        default: return;
    }
}

// --- Place/Edit IEEE Symbols ----------------------------------------------------------------------
void open_ieee_dialog(EditCanvas* canvas, SchItem* item) {
    const bool existing = item != nullptr;
    open_dialog({&libedit_ieee_symb, "libedit_ieee_symb",
                 [existing] {
                     static const std::string symbols = lines(ieee_labels, IEEE_ROWS);
                     FormDialog* dialog = build(
                         &libedit_ieee_symb, "Tessaron: Place/Edit IEEE Symbols",
                         "libedit_ieee_symb", dialog_style,
                         {{.kind = RowKind::RADIO,
                           .field = IE_SYMBOL,
                           .label = "IEEE Symbols",
                           .client = IEEE_SYMBOL,
                           .sample = symbols.c_str(),
                           .min = 6},
                          {.kind = RowKind::NEW_LINE},
                          {.kind = RowKind::TEXT,
                           .field = IE_XSIZE,
                           .label = "X Size:",
                           .sample = "12345678"},
                          {.kind = RowKind::TEXT,
                           .field = IE_YSIZE,
                           .label = "Y Size:",
                           .sample = "12345678"},
                          {.kind = RowKind::DIALOG_BUTTON,
                           .label = existing ? "Change" : "Place",
                           .client = existing ? IEEE_CHANGE : IEEE_PLACE},
                          {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20050}});
                     dialog->Fit();
                 },
                 [item] {
                     FormDialog* dialog = form_dialog(libedit_ieee_symb);
                     const IeeeValues values =
                         item ? ieee_values_of(as_Text(item)) : ieee_values_from_properties();
                     dialog->form().set_number(IE_SYMBOL, values.row);
                     dialog->form().set_text(IE_XSIZE, number_text(values.xsize));
                     dialog->form().set_text(IE_YSIZE, number_text(values.ysize));
                     dialog->Fill();
                 },
                 word_of(canvas)});
}

// The symbol's row and sizes as typed.
IeeeValues scan_ieee_dialog(FormDialog* dialog) {
    dialog->Read();
    IeeeValues values;
    values.row = dialog->form().number(IE_SYMBOL);
    values.xsize = leading_number(dialog->form().text(IE_XSIZE));
    values.ysize = leading_number(dialog->form().text(IE_YSIZE));
    return values;
}

void ieee_command(long id) {
    FormDialog* dialog = form_dialog(libedit_ieee_symb);
    EditCanvas* canvas = owner(dialog);
    if (!dialog || !canvas || id == IEEE_SYMBOL) return;
    const IeeeValues values = scan_ieee_dialog(dialog);
    hide_dialog(libedit_ieee_symb);
    if (id == IEEE_PLACE)
        libedit_place_ieee(editor_session(canvas), values);
    else
        libedit_change_ieee(editor(canvas), values);
}

}  // namespace

// --- openers and the handler ------------------------------------------------------------------------
namespace {

// A dialog open for the Change of an item (the button of that id; any
// button for 0) would keep that item's values and Change: it goes, so the
// next opening builds it for what is asked now.
void drop_dialog(EnhancedDialog* dialog, long change) {
    if (dialog && (change == 0 || form_dialog(dialog)->ButtonFor(change)))
        destroy_registered_dialog(*dialog);
}

}  // namespace

void libedit_open_pin_dialog(EditCanvas* canvas, PlacedPart* placed, Pin* pin) {
    pin_placed = placed;
    pin_under_edit = pin;
    // A dialog open for another pin would keep its values and its Change:
    // it is made again for this pin (one open for a new pin serves a new pin).
    drop_dialog(libedit_addpin, pin ? 0L : long{PIN_CHANGE});
    if (libedit_addpin) return;
    const bool existing = pin != nullptr;
    open_dialog({&libedit_addpin, "libedit_addpin", [existing] { create_libedit_addpin(existing); },
                 [canvas] { pin_dialog_reload(canvas); }, word_of(canvas)});
}

void libedit_pinout_refresh(EditCanvas* canvas) {
    // Its rows and fields belong to the part under edit: another part
    // loaded must not leave the old part's values for Apply to write.
    if (!libedit_pinout || owner(libedit_pinout) != canvas) return;
    form_dialog(libedit_pinout)->Read();
    fill_pinout(picked(form_dialog(libedit_pinout)->form(), PO_PINS));
}

void libedit_open_item_dialog(EditCanvas* canvas, SchItem* item) {
    if (!canvas || !item) return;
    // An open dialog only changes the item its Change acts on.
    if (canvas->kind == CANVAS_TEMPLATE && is_control(item)) {
        if (!template_control) open_control_dialog(canvas, item);
    } else if (is_ieee_symbol(item)) {
        if (!libedit_ieee_symb) open_ieee_dialog(canvas, item);
    } else if (!libedit_text) {
        open_text_dialog(canvas, item);
    }
}

void open_text_place(EditCanvas* canvas) {
    editor(canvas)->current_item = nullptr;
    drop_dialog(libedit_text, TEXT_CHANGE);
    open_text_dialog(canvas, nullptr);
}

void open_control_place(EditCanvas* canvas) {
    editor(canvas)->current_item = nullptr;
    drop_dialog(template_control, CONTROL_CHANGE);
    open_control_dialog(canvas, nullptr);
}

void open_ieee_place(EditCanvas* canvas) {
    drop_dialog(libedit_ieee_symb, IEEE_CHANGE);
    open_ieee_dialog(canvas, nullptr);
}

bool libedit_item_command(long id) {
    switch (id) {
        case PIN_TYPE_ROW:
        case PIN_ADD:
        case PIN_CHANGE: pin_command(id); return true;
        case PINOUT_TYPE:
        case PINOUT_PINS:
        case PINOUT_CONVERTED:
        case PINOUT_APPLY: pinout_command(id); return true;
        case FIND_PIN: find_pin(); return true;
        case PREFIX_APPLY: apply_prefix(); return true;
        case FIELDS_OK:
        case FIELDS_VALUE:
        case FIELDS_ROW: fields_command(id); return true;
        case TEXT_PLACE_PART:
        case TEXT_PLACE_TEMPLATE:
        case TEXT_CHANGE:
        case TEXT_INTERNAL:
        case TEXT_FONT: text_command(id); return true;
        case CONTROL_PLACE:
        case CONTROL_CHANGE:
        case CONTROL_INTERNAL:
        case CONTROL_FONT: control_command(id); return true;
        case IEEE_PLACE:
        case IEEE_CHANGE:
        case IEEE_SYMBOL: ieee_command(id); return true;
        default: return false;
    }
}
