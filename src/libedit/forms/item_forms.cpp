#include "libedit/forms/item_forms.h"

#include <utility>

#include "editor/tool_mode.h"

namespace {

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

std::string number_text(int value) { return std::to_string(value); }

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

void append_font_rows(std::vector<FormRow>* rows, long internal_client) {
    rows->push_back({.kind = RowKind::NEW_LINE});
    rows->push_back({.kind = RowKind::CHECK,
                     .field = TX_INTERNAL,
                     .label = "Internal Font",
                     .client = internal_client});
    rows->push_back({.kind = RowKind::NEW_LINE});
    rows->push_back({.kind = RowKind::LABEL,
                     .field = TX_FONT_LABEL,
                     .label = "Font : Internal",
                     .sample = "Font : XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX"});
}

}  // namespace

// --- the pin dialogs ----------------------------------------------------------------------------
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
         .client = LE_PIN_TYPE,
         .sample = type_lines().c_str(),
         .min = 3},
        {.kind = RowKind::DIALOG_BUTTON,
         .label = existing ? "Change" : "Add",
         .client = existing ? LE_PIN_CHANGE : LE_PIN_ADD},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_PIN},
    };
}

std::vector<FormRow> pinout_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::CHECK,
         .field = PO_CONVERTED,
         .label = "Converted Pins",
         .client = LE_PINOUT_CONVERTED},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::PICK,
         .field = PO_PINS,
         .label = "Pins:",
         .client = LE_PINOUT_PINS,
         .min = 400,
         .max = 200},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT, .field = PO_REF, .label = "Ref", .sample = "012345678901234"},
        {.kind = RowKind::TEXT, .field = PO_NAME, .label = "Name", .sample = "012345678901234"},
        {.kind = RowKind::CHOICE,
         .field = PO_TYPE,
         .label = "Type",
         .client = LE_PINOUT_TYPE,
         .sample = type_lines().c_str()},
        {.kind = RowKind::CHOICE,
         .field = PO_SHAPE,
         .label = "Shape",
         .sample = shape_lines().c_str()},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Apply", .client = LE_PINOUT_APPLY},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_PINOUT},
    };
}

void pin_form_load(Form& form, const PinForm& pin, const PinFields& fields) {
    form.set_text(pin.numbers, fields.numbers);
    form.set_text(pin.name, fields.name);
    if (fields.type_row >= 0) form.set_number(pin.type, fields.type_row);
    if (fields.shape_row >= 0) form.set_number(pin.shape, fields.shape_row);
    pin_form_type_chosen(form, pin);
}

PinFields pin_form_scan(const Form& form, const PinForm& pin) {
    PinFields fields;
    fields.numbers = form.text(pin.numbers);
    fields.name = form.text(pin.name);
    fields.type_row = form.number(pin.type);
    fields.shape_row = form.number(pin.shape);
    return fields;
}

void pin_form_type_chosen(Form& form, const PinForm& pin) {
    form.value(pin.shape).enabled = form.number(pin.type) != PIN_POWER_ROW;
}

void pinout_listed(Form& form, std::vector<std::string> lines, bool has_converted, int keep_row) {
    if (!has_converted) form.set_number(PO_CONVERTED, 0);
    form.value(PO_CONVERTED).enabled = has_converted;
    const size_t count = lines.size();
    form.set_entries(PO_PINS, std::move(lines));
    if (count) form.select(PO_PINS, static_cast<size_t>(keep_row) < count ? keep_row : 0, true);
}

// --- Find Pin, Part Reference Prefix ------------------------------------------------------------
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
        {.kind = RowKind::DIALOG_BUTTON, .label = "Find", .client = LE_FIND_PIN},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_FIND},
    };
}

bool find_pin_by_name(const Form& form) { return form.number(FP_BY) == 1; }

std::vector<FormRow> reference_prefix_rows() {
    return {
        {.kind = RowKind::TEXT,
         .field = RP_PREFIX,
         .label = "Reference Prefix",
         .sample = "012345678900123456789",
         .select_all = true},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Apply", .client = LE_PREFIX_APPLY},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_PREFIX},
    };
}

// --- User Part Fields ---------------------------------------------------------------------------
std::vector<FormRow> user_fields_rows(const FieldRows& rows) {
    // The choice is as wide as the names it lists, its sample.
    static std::string names;
    names.clear();
    for (const std::string& name : rows.names) names += (names.empty() ? "" : "\n") + name;
    return {
        {.kind = RowKind::CHOICE,
         .field = UF_FIELDS,
         .label = "Fields:  ",
         .client = LE_FIELDS_ROW,
         .sample = names.c_str()},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT,
         .field = UF_VALUE,
         .label = "Value:",
         .client = LE_FIELDS_VALUE,
         .sample = "xxxxxxxxxxxxxxx"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = LE_FIELDS_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_FIELDS},
    };
}

void user_fields_load(Form& form, const FieldRows& rows) {
    form.set_number(UF_FIELDS, 0);
    form.set_text(UF_VALUE, rows.values.empty() ? "" : rows.values[0]);
    form.value(UF_FIELDS).enabled = rows.enabled;
    form.value(UF_VALUE).enabled = rows.enabled;
}

namespace {

// The slot of the field chosen, or null.
template <typename Rows>
auto* chosen_slot(const Form& form, Rows& rows) {
    const int row = form.number(UF_FIELDS);
    return row >= 0 && static_cast<size_t>(row) < rows.values.size() ? &rows.values[row] : nullptr;
}

}  // namespace

void user_fields_value_typed(const Form& form, FieldRows* rows) {
    if (std::string* slot = chosen_slot(form, *rows))
        *slot = field_value_fitted(form.text(UF_VALUE));
}

bool user_fields_chosen(Form& form, const FieldRows& rows) {
    const std::string* slot = chosen_slot(form, rows);
    if (slot) form.set_text(UF_VALUE, *slot);
    return slot != nullptr;
}

// --- Add/Edit Text and Add/Edit Control ---------------------------------------------------------
std::vector<FormRow> text_rows(bool library, bool existing, int window_kind) {
    std::vector<FormRow> rows = style_rows("Attr.:", false);
    rows.push_back({.kind = RowKind::NEW_LINE});
    rows.push_back({.kind = RowKind::TEXT,
                    .field = TX_TEXT,
                    .label = "Text:",
                    .sample = "01234567890012345678901234567890123456789",
                    .select_all = true});
    append_font_rows(&rows, LE_TEXT_INTERNAL);
    const long main = existing  ? LE_TEXT_CHANGE
                      : library ? LE_TEXT_PLACE_PART
                                : LE_TEXT_PLACE_TEMPLATE;
    rows.push_back(
        {.kind = RowKind::DIALOG_BUTTON, .label = existing ? "Change" : "Place", .client = main});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                    .field = TX_FONT_BUTTON,
                    .label = "Font...",
                    .client = LE_TEXT_FONT});
    // Help stands only when there is a window whose kind gives its context.
    if (window_kind != CANVAS_NONE) {
        rows.push_back({.kind = RowKind::BUTTON_SPACE, .min = 20});
        rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                        .label = "Help",
                        .client = window_kind == CANVAS_LIBRARY ? LE_HELP_TEXT_LIBRARY
                                                                : LE_HELP_TEXT_TEMPLATE});
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
    append_font_rows(&rows, LE_CONTROL_INTERNAL);
    rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                    .label = existing ? "Change" : "Place",
                    .client = existing ? LE_CONTROL_CHANGE : LE_CONTROL_PLACE});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON,
                    .field = TX_FONT_BUTTON,
                    .label = "Font...",
                    .client = LE_CONTROL_FONT});
    rows.push_back({.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_CONTROL});
    return rows;
}

void text_form_load(Form& form, const TextValues& values, const std::string& font_label) {
    form.set_text(TX_XSIZE, number_text(values.xsize));
    form.set_text(TX_YSIZE, number_text(values.ysize));
    form.set_number(TX_ORIENT, values.orient_button);
    form.set_number(TX_XMIR, values.xmirror ? 1 : 0);
    form.set_number(TX_YMIR, values.ymirror ? 1 : 0);
    form.set_number(TX_BOX, values.boxed ? 1 : 0);
    if (form.has(TX_TEXT)) form.set_text(TX_TEXT, values.text);
    form.set_number(TX_INTERNAL, values.internal_font ? 1 : 0);
    form.set_text(TX_FONT_LABEL, font_label);
    form.value(TX_XMIR).enabled = form.value(TX_YMIR).enabled = values.internal_font;
    form.value(TX_FONT_BUTTON).enabled = !values.internal_font;
}

TextValues text_form_scan(const Form& form, int font) {
    TextValues values;
    values.xsize = leading_number(form.text(TX_XSIZE));
    values.ysize = leading_number(form.text(TX_YSIZE));
    values.orient_button = form.number(TX_ORIENT);
    values.xmirror = form.number(TX_XMIR) != 0;
    values.ymirror = form.number(TX_YMIR) != 0;
    values.boxed = form.number(TX_BOX) != 0;
    if (form.has(TX_TEXT)) values.text = form.text(TX_TEXT);
    values.internal_font = form.number(TX_INTERNAL) != 0;
    values.font = font;
    return values;
}

int control_form_row(const Form& form) { return form.picked(TX_CONTROLS); }

void control_form_listed(Form& form, int code) {
    form.set_entries(TX_CONTROLS,
                     std::vector<std::string>(control_labels, control_labels + CONTROL_ROWS));
    const int row = control_row_of_code(code);
    if (row >= 0) form.select(TX_CONTROLS, static_cast<size_t>(row), true);
}

// --- Place/Edit IEEE Symbols ------------------------------------------------------------------------
std::vector<FormRow> ieee_rows(bool existing) {
    static const std::string symbols = lines(ieee_labels, IEEE_ROWS);
    return {
        {.kind = RowKind::RADIO,
         .field = IE_SYMBOL,
         .label = "IEEE Symbols",
         .client = LE_IEEE_SYMBOL,
         .sample = symbols.c_str(),
         .min = 6},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT, .field = IE_XSIZE, .label = "X Size:", .sample = "12345678"},
        {.kind = RowKind::TEXT, .field = IE_YSIZE, .label = "Y Size:", .sample = "12345678"},
        {.kind = RowKind::DIALOG_BUTTON,
         .label = existing ? "Change" : "Place",
         .client = existing ? LE_IEEE_CHANGE : LE_IEEE_PLACE},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_IEEE},
    };
}

void ieee_form_load(Form& form, const IeeeValues& values) {
    form.set_number(IE_SYMBOL, values.row);
    form.set_text(IE_XSIZE, number_text(values.xsize));
    form.set_text(IE_YSIZE, number_text(values.ysize));
}

IeeeValues ieee_form_scan(const Form& form) {
    IeeeValues values;
    values.row = form.number(IE_SYMBOL);
    values.xsize = leading_number(form.text(IE_XSIZE));
    values.ysize = leading_number(form.text(IE_YSIZE));
    return values;
}
