// The library editor's dialogs of pins, texts, IEEE symbols, controls, the
// reference prefix and the user fields as windows of their forms
// (libedit/forms/item_forms.h), and what their buttons do.
#include "libedit/gui/libedit_item_dialogs.h"

#include <string>
#include <vector>

#include <wx/font.h>
#include <wx/window.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/font_choice.h"
#include "dialogs/forms/text_form.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "editor/selection.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/libedit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_pins.h"
#include "libedit/libedit_tools.h"
#include "model/documents/placed_part.h"
#include "model/items/part.h"
#include "model/items/text.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"

namespace {

FormDialog* form_dialog(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

// Bound to the document the canvas shows whenever the canvas takes one.
LibEdit* editor(EditCanvas* canvas) { return &canvas->libedit; }

// The dialogs of a library or title-block canvas, each in its slot among
// the canvas's dialogs (null while closed).
EnhancedDialog*& libedit_addpin(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_addpin");
}
EnhancedDialog*& libedit_pinout(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_pinout");
}
EnhancedDialog*& libedit_find(EditCanvas* canvas) { return *canvas->dialogs.slot("libedit_find"); }
EnhancedDialog*& libedit_refprefix(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_refprefix");
}
EnhancedDialog*& libedit_field(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_field");
}
EnhancedDialog*& libedit_text(EditCanvas* canvas) { return *canvas->dialogs.slot("libedit_text"); }
EnhancedDialog*& libedit_ieee_symb(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_ieee_symb");
}
EnhancedDialog*& template_control(EditCanvas* canvas) {
    return *canvas->dialogs.slot("template_control");
}

// What the canvas's item dialogs remember while they are open.
struct ItemDialogState {
    // The pin Add/Edit Pin changes (and the placed part it was picked on);
    // null for a new pin.
    PlacedPart* pin_placed = nullptr;
    Pin* pin_under_edit = nullptr;
    // User Part Fields' values while it is open, one slot per field.
    FieldRows field_rows;
    // The font a new or changed text takes when the internal font is off
    // (the dialog font id), shared by the text and control dialogs.
    int dialog_font = 0;
};
ItemDialogState& state_of(EditCanvas* canvas) { return canvas->dialogs.state<ItemDialogState>(); }

FormDialog* build(EditCanvas* canvas, EnhancedDialog** slot, const char* title,
                  const char* window_name, long style, std::vector<FormRow> rows,
                  EnhancedDialog::OnClose on_close = dialog_release) {
    FormDialog* dialog = new_registered_dialog(
        slot, title, window_name, style, false, Form(std::move(rows)),
        [canvas](long id) { libedit_command(canvas, id); }, std::move(on_close));
    dialog->BuildRows();
    return dialog;
}

// A dialog open for the Change of an item (the button of that id; any
// button for 0) would keep that item's values and Change: it goes, so the
// next opening builds it for what is asked now.
void drop_dialog(EnhancedDialog* dialog, long change) {
    if (dialog && (change == 0 || form_dialog(dialog)->ButtonFor(change))) dialog_release(*dialog);
}

// --- Add/Edit Pin -------------------------------------------------------------------------------

// Add/Edit Pin shows the pin kept (its device's number) or, for a new
// pin, the PIN_* properties; a part of no device has no pin numbers to type.
void pin_dialog_reload(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_addpin(canvas));
    Form& form = dialog->form();
    pin_form_load(
        form, ADD_PIN_FORM,
        state_of(canvas).pin_under_edit && state_of(canvas).pin_placed
            ? pin_fields_of(state_of(canvas).pin_under_edit, state_of(canvas).pin_placed->device)
            : pin_fields_from_properties());
    const Part* part = libedit_part(editor(canvas));
    form.value(AP_NUMBERS).enabled = part && part->devices >= 1;
    dialog->Fill();
}

void pin_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_addpin(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    switch (id) {
        case LE_PIN_TYPE:
            pin_form_type_chosen(form, ADD_PIN_FORM);
            dialog->Fill();
            return;
        case LE_PIN_ADD: {
            const PinFields fields = pin_form_scan(form, ADD_PIN_FORM);
            hide_dialog(libedit_addpin(canvas));
            libedit_add_pin(editor_session(canvas), fields);
            return;
        }
        case LE_PIN_CHANGE: {
            const PinFields fields = pin_form_scan(form, ADD_PIN_FORM);
            // The placed part may have gone with a new layout of the sheet.
            int device = 0;
            for (SchItem* item : list_items<SchItem>(libedit_items(editor(canvas))))
                if (item == state_of(canvas).pin_placed)
                    device = state_of(canvas).pin_placed->device;
            // A pin the part no longer has is not changed.
            libedit_change_pin(editor(canvas), state_of(canvas).pin_under_edit, device, fields);
            hide_dialog(libedit_addpin(canvas));
            return;
        }
        default: return;
    }
}

// --- View/Edit Pinout ----------------------------------------------------------------------------
// The pin of the selected row into the fields below the list (pinout_select).
void pinout_select(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_pinout(canvas));
    if (!dialog || !canvas) return;
    Form& form = dialog->form();
    const int row = form.picked(PO_PINS);
    LibEdit* ed = editor(canvas);
    const Pin* pin = row < 0 ? nullptr : pinout_pin(ed, form.number(PO_CONVERTED) != 0, row);
    const Part* part = libedit_part(ed);
    pin_form_load(form, PINOUT_FORM,
                  pin ? pinout_fields_of(pin, part ? part->devices : 1) : PinFields{});
    dialog->Fill();
}

// The list of the pins of the form chosen; the row kept selected when it is still there.
void fill_pinout(EditCanvas* canvas, int keep_row = 0) {
    FormDialog* dialog = form_dialog(libedit_pinout(canvas));
    if (!dialog || !canvas) return;
    Form& form = dialog->form();
    LibEdit* ed = editor(canvas);
    const Part* part = libedit_part(ed);
    const bool has_converted = part && part->convert_pins;
    const bool converted = has_converted && form.number(PO_CONVERTED) != 0;
    pinout_listed(form, pinout_lines(ed, converted), has_converted, keep_row);
    pinout_select(canvas);
}

void pinout_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_pinout(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    switch (id) {
        case LE_PINOUT_TYPE:
            pin_form_type_chosen(form, PINOUT_FORM);
            dialog->Fill();
            return;
        case LE_PINOUT_PINS: pinout_select(canvas); return;
        case LE_PINOUT_CONVERTED: fill_pinout(canvas); return;
        case LE_PINOUT_APPLY: {
            const int row = form.picked(PO_PINS);
            if (row < 0) return;
            pinout_apply(editor(canvas), form.number(PO_CONVERTED) != 0, row,
                         pin_form_scan(form, PINOUT_FORM));
            fill_pinout(canvas, row);
            return;
        }
        default: return;
    }
}

// --- Find Pin, Part Reference Prefix -----------------------------------------------------------
void find_pin(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_find(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    const bool by_name = find_pin_by_name(dialog->form());
    const std::string text = dialog->form().text(FP_TEXT);
    hide_dialog(libedit_find(canvas));
    libedit_find_pin(editor(canvas), by_name, text.c_str());
}

void apply_prefix(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_refprefix(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    const std::string prefix = dialog->form().text(RP_PREFIX);
    hide_dialog(libedit_refprefix(canvas));
    libedit_set_prefix(editor(canvas), prefix.c_str());
}

// --- User Part Fields ------------------------------------------------------------------------------
// The values kept while the dialog was open go with it.
void field_dialog_close(EditCanvas* canvas, EnhancedDialog& closing) {
    state_of(canvas).field_rows = FieldRows{};
    dialog_release(closing);
}

void fields_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_field(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    switch (id) {
        case LE_FIELDS_VALUE: user_fields_value_typed(form, &state_of(canvas).field_rows); return;
        case LE_FIELDS_ROW:
            if (user_fields_chosen(form, state_of(canvas).field_rows)) dialog->Fill();
            return;
        case LE_FIELDS_OK: {
            user_fields_value_typed(form, &state_of(canvas).field_rows);
            const std::vector<std::string> values = state_of(canvas).field_rows.values;
            hide_dialog(libedit_field(canvas));
            libedit_write_fields(editor(canvas), values);
            return;
        }
        default: return;
    }
}

// --- Add/Edit Text and Add/Edit Control ---------------------------------------------------------
bool is_control(const SchItem* item) {
    return item && item->type == TEXT_ITEM && (item->flags & TBLOCK) == TBLOCK;
}

// The values into the text or control dialog; the dialog font becomes
// theirs (a document font brought into the window's table with import).
void libedit_text_dialog_fill(FormDialog* dialog, EditCanvas* canvas, const TextValues& values,
                              bool import) {
    state_of(canvas).dialog_font = values.font;
    List** fonts = libedit_font_table(editor(canvas));
    const std::string label =
        fonts ? font_label(fonts, import, &state_of(canvas).dialog_font, !values.internal_font)
              : "Font : Internal";
    text_form_load(dialog->form(), values, label);
    dialog->Fill();
}

// The values of the text or control dialog as typed (the text dialog's
// text too).
TextValues scan_libedit_text(EditCanvas* canvas, FormDialog* dialog) {
    dialog->Read();
    TextValues values = text_form_scan(dialog->form(), state_of(canvas).dialog_font);
    // A document font is taken at the escapement of the orientation chosen.
    if (!values.internal_font && values.font >= 10) {
        if (List** fonts = libedit_font_table(editor(canvas)))
            values.font = state_of(canvas).dialog_font = font_at_escapement(
                fonts, values.font, orient_to_angle(text_values_attributes(values)));
    }
    return values;
}

// "Internal Font" toggled: Font... while it is off, the mirrors while it is on.
void internal_toggled(EditCanvas* canvas, FormDialog* dialog, int default_font) {
    if (!canvas) return;
    TextValues values = scan_libedit_text(canvas, dialog);
    values.font = proper_get(default_font);
    libedit_text_dialog_fill(dialog, canvas, values, true);
}

// Font...: the platform's font chooser; the sizes of "gM" in the chosen font.
void font_choose(EditCanvas* canvas, FormDialog* dialog, int xsize_property, int ysize_property) {
    List** fonts = canvas ? libedit_font_table(editor(canvas)) : nullptr;
    if (!fonts) return;
    TextValues values = scan_libedit_text(canvas, dialog);
    const int chosen = register_document_font(dialog, fonts, state_of(canvas).dialog_font);
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
    open_dialog({&libedit_text(canvas), "libedit_text",
                 [canvas, library, existing] {
                     FormDialog* dialog = build(
                         canvas, &libedit_text(canvas), "Tessaron: Add/Edit Text", "libedit_text",
                         dialog_style_message, text_rows(library, existing, canvas->kind));
                     dialog->Fit();
                 },
                 [canvas, item, library] {
                     if (item)
                         text_dialog_refill(form_dialog(libedit_text(canvas)), canvas, item);
                     else
                         libedit_text_dialog_fill(form_dialog(libedit_text(canvas)), canvas,
                                                  text_values_from_properties(library), true);
                 }});
}

void text_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_text(canvas));
    if (!dialog || !canvas) return;
    switch (id) {
        case LE_TEXT_INTERNAL:
            internal_toggled(canvas, dialog,
                             canvas->kind == CANVAS_LIBRARY ? FONT_COMMENT : FONT_TITLE);
            return;
        case LE_TEXT_FONT: font_choose(canvas, dialog, TEXT_XSCAL, TEXT_YSCAL); return;
        case LE_TEXT_PLACE_PART:
        case LE_TEXT_PLACE_TEMPLATE: {
            const TextValues values = scan_libedit_text(canvas, dialog);
            hide_dialog(libedit_text(canvas));
            libedit_place_text(editor_session(canvas), id == LE_TEXT_PLACE_PART, values);
            return;
        }
        case LE_TEXT_CHANGE: {
            const TextValues values = scan_libedit_text(canvas, dialog);
            hide_dialog(libedit_text(canvas));
            libedit_change_text(editor(canvas), values);
            return;
        }
        default: return;
    }
}

void open_control_dialog(EditCanvas* canvas, SchItem* item) {
    const bool existing = item != nullptr;
    open_dialog({&template_control(canvas), "template_control",
                 [canvas, existing] {
                     FormDialog* dialog =
                         build(canvas, &template_control(canvas), "Tessaron: Add/Edit Control",
                               "template_control", dialog_style_message, control_rows(existing));
                     dialog->Fit();
                 },
                 [canvas, item] {
                     FormDialog* dialog = form_dialog(template_control(canvas));
                     control_form_listed(dialog->form(), item ? as_Text(item)->field : 0);
                     if (item)
                         text_dialog_refill(dialog, canvas, item);
                     else
                         libedit_text_dialog_fill(dialog, canvas, control_values_from_properties(),
                                                  true);
                 }});
}

void control_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(template_control(canvas));
    if (!dialog || !canvas) return;
    switch (id) {
        case LE_CONTROL_INTERNAL: internal_toggled(canvas, dialog, FONT_TITLE); return;
        case LE_CONTROL_FONT: font_choose(canvas, dialog, TPL_TEXT_XSCAL, TPL_TEXT_YSCAL); return;
        case LE_CONTROL_PLACE: {
            const TextValues values = scan_libedit_text(canvas, dialog);
            const int row = control_form_row(dialog->form());
            if (row < 0) return;  // the dialog stays for a choice
            hide_dialog(template_control(canvas));
            template_place_control(editor_session(canvas), row, values);
            return;
        }
        case LE_CONTROL_CHANGE: {
            const TextValues values = scan_libedit_text(canvas, dialog);
            const int row = control_form_row(dialog->form());
            hide_dialog(template_control(canvas));
            template_change_control(editor(canvas), row, values);
            return;
        }
        default: return;
    }
}

// --- Place/Edit IEEE Symbols ----------------------------------------------------------------------
void open_ieee_dialog(EditCanvas* canvas, SchItem* item) {
    const bool existing = item != nullptr;
    open_dialog({&libedit_ieee_symb(canvas), "libedit_ieee_symb",
                 [canvas, existing] {
                     FormDialog* dialog = build(
                         canvas, &libedit_ieee_symb(canvas), "Tessaron: Place/Edit IEEE Symbols",
                         "libedit_ieee_symb", dialog_style, ieee_rows(existing));
                     dialog->Fit();
                 },
                 [canvas, item] {
                     FormDialog* dialog = form_dialog(libedit_ieee_symb(canvas));
                     ieee_form_load(dialog->form(), item ? ieee_values_of(as_Text(item))
                                                         : ieee_values_from_properties());
                     dialog->Fill();
                 }});
}

void ieee_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_ieee_symb(canvas));
    if (!dialog || !canvas || id == LE_IEEE_SYMBOL) return;
    dialog->Read();
    const IeeeValues values = ieee_form_scan(dialog->form());
    hide_dialog(libedit_ieee_symb(canvas));
    if (id == LE_IEEE_PLACE)
        libedit_place_ieee(editor_session(canvas), values);
    else
        libedit_change_ieee(editor(canvas), values);
}

}  // namespace

// --- openers and the handler ------------------------------------------------------------------------
void libedit_open_pin_dialog(EditCanvas* canvas, PlacedPart* placed, Pin* pin) {
    state_of(canvas).pin_placed = placed;
    state_of(canvas).pin_under_edit = pin;
    // A dialog open for another pin would keep its values and its Change:
    // it is made again for this pin (one open for a new pin serves a new pin).
    drop_dialog(libedit_addpin(canvas), pin ? 0L : long{LE_PIN_CHANGE});
    if (libedit_addpin(canvas)) return;
    const bool existing = pin != nullptr;
    open_dialog({&libedit_addpin(canvas), "libedit_addpin",
                 [canvas, existing] {
                     build(canvas, &libedit_addpin(canvas), "Tessaron: Add/Edit Pin",
                           "libedit_addpin", dialog_style, add_pin_rows(existing))
                         ->Fit();
                 },
                 [canvas] { pin_dialog_reload(canvas); }});
}

void open_pinout(EditCanvas* canvas) {
    open_dialog({&libedit_pinout(canvas), "libedit_pinout",
                 [canvas] {
                     FormDialog* dialog =
                         build(canvas, &libedit_pinout(canvas), "Tessaron: View/Edit Pinout",
                               "libedit_pinout", dialog_style, pinout_rows());
                     // The pinout's columns line up in a font of one width.
                     dialog->Item(PO_PINS)->SetFont(
                         wxFont(wxFontInfo().Family(wxFONTFAMILY_TELETYPE)));
                     dialog->Fit();
                 },
                 [canvas] { fill_pinout(canvas); }});
}

void libedit_pinout_refresh(EditCanvas* canvas) {
    // Its rows and fields belong to the part under edit: another part
    // loaded must not leave the old part's values for Apply to write.
    if (!libedit_pinout(canvas)) return;
    form_dialog(libedit_pinout(canvas))->Read();
    fill_pinout(canvas, form_dialog(libedit_pinout(canvas))->form().picked(PO_PINS));
}

void open_find_pin(EditCanvas* canvas) {
    open_dialog({&libedit_find(canvas), "libedit_find",
                 [canvas] {
                     build(canvas, &libedit_find(canvas), "Tessaron: Find Pin", "libedit_find",
                           dialog_style, find_pin_rows())
                         ->Fit();
                 },
                 [canvas] { form_dialog(libedit_find(canvas))->Fill(); }});
}

void open_reference_prefix(EditCanvas* canvas) {
    open_dialog({&libedit_refprefix(canvas), "libedit_refprefix",
                 [canvas] {
                     build(canvas, &libedit_refprefix(canvas), "Tessaron: Part Reference Prefix",
                           "libedit_refprefix", dialog_style, reference_prefix_rows())
                         ->Fit();
                 },
                 [canvas] {
                     LibEdit* ed = editor(canvas);
                     if (!libedit_part(ed)) return;
                     FormDialog* dialog = form_dialog(libedit_refprefix(canvas));
                     dialog->form().set_text(RP_PREFIX, libedit_prefix(ed));
                     edit_clear_buffer(libedit_schema(ed));
                     dialog->Fill();
                 }});
}

void open_part_fields(EditCanvas* canvas) {
    open_dialog(
        {&libedit_field(canvas), "libedit_field",
         [canvas] {
             state_of(canvas).field_rows = libedit_field_rows(editor(canvas));
             build(canvas, &libedit_field(canvas), "Tessaron: User Part Fields", "libedit_field",
                   dialog_style, user_fields_rows(state_of(canvas).field_rows),
                   [canvas](EnhancedDialog& closing) { field_dialog_close(canvas, closing); })
                 ->Fit();
         },
         [canvas] {
             user_fields_load(form_dialog(libedit_field(canvas))->form(),
                              state_of(canvas).field_rows);
             form_dialog(libedit_field(canvas))->Fill();
         }});
}

void libedit_open_item_dialog(EditCanvas* canvas, SchItem* item) {
    if (!canvas || !item) return;
    // An open dialog only changes the item its Change acts on.
    if (canvas->kind == CANVAS_TEMPLATE && is_control(item)) {
        if (!template_control(canvas)) open_control_dialog(canvas, item);
    } else if (is_ieee_symbol(item)) {
        if (!libedit_ieee_symb(canvas)) open_ieee_dialog(canvas, item);
    } else if (!libedit_text(canvas)) {
        open_text_dialog(canvas, item);
    }
}

void open_text_place(EditCanvas* canvas) {
    editor(canvas)->current_item = nullptr;
    drop_dialog(libedit_text(canvas), LE_TEXT_CHANGE);
    open_text_dialog(canvas, nullptr);
}

void open_control_place(EditCanvas* canvas) {
    editor(canvas)->current_item = nullptr;
    drop_dialog(template_control(canvas), LE_CONTROL_CHANGE);
    open_control_dialog(canvas, nullptr);
}

void open_ieee_place(EditCanvas* canvas) {
    drop_dialog(libedit_ieee_symb(canvas), LE_IEEE_CHANGE);
    open_ieee_dialog(canvas, nullptr);
}

bool libedit_item_command(EditCanvas* canvas, long id) {
    switch (id) {
        case LE_PIN_TYPE:
        case LE_PIN_ADD:
        case LE_PIN_CHANGE: pin_command(canvas, id); return true;
        case LE_PINOUT_TYPE:
        case LE_PINOUT_PINS:
        case LE_PINOUT_CONVERTED:
        case LE_PINOUT_APPLY: pinout_command(canvas, id); return true;
        case LE_FIND_PIN: find_pin(canvas); return true;
        case LE_PREFIX_APPLY: apply_prefix(canvas); return true;
        case LE_FIELDS_OK:
        case LE_FIELDS_VALUE:
        case LE_FIELDS_ROW: fields_command(canvas, id); return true;
        case LE_TEXT_PLACE_PART:
        case LE_TEXT_PLACE_TEMPLATE:
        case LE_TEXT_CHANGE:
        case LE_TEXT_INTERNAL:
        case LE_TEXT_FONT: text_command(canvas, id); return true;
        case LE_CONTROL_PLACE:
        case LE_CONTROL_CHANGE:
        case LE_CONTROL_INTERNAL:
        case LE_CONTROL_FONT: control_command(canvas, id); return true;
        case LE_IEEE_PLACE:
        case LE_IEEE_CHANGE:
        case LE_IEEE_SYMBOL: ieee_command(canvas, id); return true;
        default: return false;
    }
}
