#pragma once
// The forms of the library editor's item dialogs, without their windows:
// Add/Edit Pin, View/Edit Pinout, Find Pin, Part Reference Prefix, User
// Part Fields, Add/Edit Text, Add/Edit Control and Place/Edit IEEE
// Symbols. Each is its rows (dialogs/forms/form.h) and what moves between the
// form and the editor's values (libedit/libedit_pins.h,
// libedit/libedit_items.h); the windows (libedit/gui/libedit_item_dialogs.h)
// show a form, call the editor and show the form again.
#include <string>
#include <vector>

#include "dialogs/forms/form.h"
#include "libedit/forms/dialog_ids.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_pins.h"

// --- the pin dialogs ----------------------------------------------------------------------------
enum : int { AP_NUMBERS = 1, AP_NAME, AP_SHAPE, AP_TYPE };                     // Add/Edit Pin
enum : int { PO_CONVERTED = 1, PO_PINS, PO_REF, PO_NAME, PO_TYPE, PO_SHAPE };  // View/Edit Pinout
// Which fields of a form show a pin: Add/Edit Pin's, or the pinout's below its list.
struct PinForm {
    int numbers, name, type, shape;
};
constexpr PinForm ADD_PIN_FORM{AP_NUMBERS, AP_NAME, AP_TYPE, AP_SHAPE};
constexpr PinForm PINOUT_FORM{PO_REF, PO_NAME, PO_TYPE, PO_SHAPE};

// Add/Edit Pin: Change for a pin of the part, Add for a new one.
std::vector<FormRow> add_pin_rows(bool existing);
std::vector<FormRow> pinout_rows();
// A pin's fields into the form (a row outside the table keeps the one
// shown), and as typed.
void pin_form_load(Form& form, const PinForm& pin, const PinFields& fields);
PinFields pin_form_scan(const Form& form, const PinForm& pin);
// The shape follows the type: a power pin has none to choose.
void pin_form_type_chosen(Form& form, const PinForm& pin);
// The pinout's list: the lines of the pins of the form shown (a part
// without converted pins shows the normal ones, its check box disabled),
// the row kept chosen while it is still there, else the first one.
void pinout_listed(Form& form, std::vector<std::string> lines, bool has_converted, int keep_row);

// --- Find Pin, Part Reference Prefix ------------------------------------------------------------
enum : int { FP_BY = 1, FP_TEXT };
enum : int { RP_PREFIX = 1 };
std::vector<FormRow> find_pin_rows();
// True when the pin is looked for by its name, else by its number.
bool find_pin_by_name(const Form& form);
std::vector<FormRow> reference_prefix_rows();

// --- User Part Fields ---------------------------------------------------------------------------
enum : int { UF_FIELDS = 1, UF_VALUE };
// The choice lists the field names of the rows (as wide as they are).
std::vector<FormRow> user_fields_rows(const FieldRows& rows);
// The first field and its value shown; both disabled when no field is defined.
void user_fields_load(Form& form, const FieldRows& rows);
// The Value typed kept in the slot of the field chosen; a field chosen
// shows its slot (false: no field chosen, nothing shown).
void user_fields_value_typed(const Form& form, FieldRows* rows);
bool user_fields_chosen(Form& form, const FieldRows& rows);

// --- Add/Edit Text and Add/Edit Control ---------------------------------------------------------
enum : int {
    TX_XSIZE = 1,
    TX_YSIZE,
    TX_ORIENT,
    TX_XMIR,
    TX_YMIR,
    TX_BOX,
    TX_TEXT,
    TX_INTERNAL,
    TX_FONT_LABEL,
    TX_CONTROLS,
    TX_FONT_BUTTON,
};
// The text dialog of a library window (library) or a title-block window:
// Change for an item under edit, else Place. Its Help button follows the
// kind of the window current when it is made (0: none, no Help button).
std::vector<FormRow> text_rows(bool library, bool existing, int window_kind);
std::vector<FormRow> control_rows(bool existing);
// The values into the form of the text or control dialog, the font label
// with them; the mirrors are offered with the internal font, Font...
// without it.
void text_form_load(Form& form, const TextValues& values, const std::string& font_label);
// The values as typed (the text dialog's text too), in the font given.
TextValues text_form_scan(const Form& form, int font);
// The control chosen in the Controls list (-1 for none), and the one of an
// existing control chosen (none for a field outside the list).
int control_form_row(const Form& form);
void control_form_listed(Form& form, int code);

// --- Place/Edit IEEE Symbols ------------------------------------------------------------------------
enum : int { IE_SYMBOL = 1, IE_XSIZE, IE_YSIZE };
std::vector<FormRow> ieee_rows(bool existing);
void ieee_form_load(Form& form, const IeeeValues& values);
IeeeValues ieee_form_scan(const Form& form);
