// The windows of the item dialogs and their one entry and command handler.
#include "dialogs/item_dialogs.h"

#include <wx/button.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/field_form.h"
#include "dialogs/part_form.h"
#include "dialogs/text_form.h"
#include "editor/item_edit.h"
#include "foundation/dialog_calls.h"
#include "foundation/properties.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/text.h"
#include "shell/app.h"
#include "shell/canvas_editing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

EnhancedDialog* text_window = nullptr;
EnhancedDialog* edit_part = nullptr;
EnhancedDialog* edit_field = nullptr;

namespace {

const char* const help_file = "Tessaron.hlp";

FormDialog* as_form(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

List** fonts_of(EditCanvas* canvas) { return &canvas->mySchema->fonts; }

// The canvas as the measuring services know it.
void* measuring_canvas(EditCanvas* canvas) { return static_cast<RenderCanvas*>(canvas); }

// A dialog of the family: modal, on the main frame, buttons in a column with
// "Cancel" after the first and a message line.
FormDialog* new_item_dialog(EnhancedDialog** global, const char* title, const char* window_name,
                            std::vector<FormRow> rows,
                            EnhancedDialog::OnClose on_close = destroy_registered_dialog) {
    FormDialog* dialog =
        new_registered_dialog(global, title, window_name, dialog_style_message, true,
                              Form(std::move(rows)), item_dialog_button, std::move(on_close));
    dialog->BuildRows();
    return dialog;
}

// The main button reads "Change" for an item and "Add" for a new one.
void label_main_button(EnhancedDialog* dialog, long client, bool change) {
    if (wxWindow* button = as_form(dialog)->ButtonFor(client))
        button->SetLabel(change ? "Change" : "Add");
}

// Runs an action of a reacting item on the dialog's form: the items' values
// are read first and the changed form is shown again.
template <class Action>
void on_form(EnhancedDialog* dialog, Action action) {
    if (!dialog) return;
    FormDialog* form_dialog = as_form(dialog);
    form_dialog->Read();
    action(form_dialog->form());
    form_dialog->Fill(false);
}

// --- text -------------------------------------------------------------------------------------
void create_text_window() {
    if (text_window) return;
    new_item_dialog(&text_window, "Tessaron: Add/Edit Text", "text_window", text_window_rows())
        ->Fit();
}

void fill_text_window(EditCanvas* canvas) {
    if (!text_window) return;
    Form& form = as_form(text_window)->form();
    load_text_window(form, fonts_of(canvas));
    if (canvas->current_text)
        text_to_text_window(form, fonts_of(canvas), canvas->current_text, measuring_canvas(canvas));
    label_main_button(text_window, TEXT_CMD_MAIN, canvas->current_text != nullptr);
    as_form(text_window)->Fill();
}

void text_main_button(EditCanvas* canvas) {
    if (!text_window) return;
    FormDialog* dialog = as_form(text_window);
    dialog->Read();
    store_text_window(dialog->form(), fonts_of(canvas));
    // A label may not hold a parenthesis: the dialog stays with its values.
    if (proper_get(TEXT_TYPE) == 1 && label_has_parens()) return;
    if (canvas->current_text)
        props_to_text(editor_session(canvas), canvas->current_text, dialog->form());
    else
        apply_text_window(editor_session(canvas), dialog->form());
    hide_dialog(text_window);
}

void text_font_button(EditCanvas* canvas) {
    if (!text_window) return;
    const int chosen = register_document_font(text_window, fonts_of(canvas), current_text_font);
    on_form(text_window, [&](Form& form) {
        text_window_font_chosen(form, fonts_of(canvas), chosen, measuring_canvas(canvas));
    });
}

// --- part ------------------------------------------------------------------------------------------
// The Edit Part dialog's working state, while the dialog exists.
EditPartState edit_part_state;

void create_edit_part() {
    if (edit_part) return;
    new_item_dialog(&edit_part, "Tessaron: Edit Part", "edit_part", edit_part_rows(),
                    edit_part_closed)
        ->Fit();
}

void fill_edit_part(EditCanvas* canvas) {
    if (!edit_part || !canvas->current_part) return;
    load_edit_part(as_form(edit_part)->form(), edit_part_state, canvas->mySchema,
                   canvas->current_part);
    as_form(edit_part)->Fill();
}

void part_accept(EditCanvas* canvas) {
    if (!edit_part) return;
    FormDialog* dialog = as_form(edit_part);
    dialog->Read();
    if (canvas->current_part)
        accept_edit_part(editor_session(canvas), canvas->current_part, dialog->form(),
                         edit_part_state);
    else
        beep();
    hide_dialog(edit_part);
}

// --- field -----------------------------------------------------------------------------------------
void create_edit_field() {
    if (edit_field) return;
    new_item_dialog(&edit_field, "Tessaron: Edit Field", "edit_field", edit_field_rows())->Fit();
}

void fill_edit_field(EditCanvas* canvas) {
    if (!edit_field) return;
    load_edit_field(as_form(edit_field)->form(), canvas->mySchema, canvas->current_field.part,
                    canvas->current_field.index);
    as_form(edit_field)->Fill();
}

void field_change(EditCanvas* canvas) {
    if (!edit_field) return;
    FormDialog* dialog = as_form(edit_field);
    dialog->Read();
    apply_edit_field(editor_session(canvas), canvas->current_field.part,
                     canvas->current_field.index, dialog->form().text(FF_VALUE));
    hide_dialog(edit_field);
}

// --- the table of the item dialogs ------------------------------------------------------------------
struct ItemDialog {
    int code;
    EnhancedDialog** global;
    const char* window_name;
    void (*build)();
    void (*fill)(EditCanvas* canvas);
};

const ItemDialog item_dialog_table[] = {
    {EDIT_CODE_TEXT, &text_window, "text_window", create_text_window, fill_text_window},
    {EDIT_CODE_PART, &edit_part, "edit_part", create_edit_part, fill_edit_part},
    {EDIT_CODE_FIELD, &edit_field, "edit_field", create_edit_field, fill_edit_field},
};

const ItemDialog* item_dialog_of(int code) {
    for (const ItemDialog& d : item_dialog_table)
        if (d.code == code) return &d;
    return nullptr;
}

// The canvas the open item dialog was opened for (its client word), else
// the current one; null without a document.
EditCanvas* dialog_canvas() {
    EditCanvas* canvas = paint_zone;
    for (const ItemDialog& d : item_dialog_table)
        if (*d.global && (*d.global)->client_word)
            canvas = reinterpret_cast<EditCanvas*>((*d.global)->client_word);
    return canvas && canvas->mySchema ? canvas : nullptr;
}

enum class Route { OPEN, ELSEWHERE, NOTHING };

// Makes the item the canvas's current item of its kind; the routes that
// open another dialog, or none, are taken here.
Route take_current_item(EditCanvas* canvas, SchItem* item, int code) {
    switch (code) {
        case EDIT_CODE_TEXT: {
            Text* text = item ? as_Text(item) : nullptr;
            canvas->current_text = text;
            // A text of the title block is edited as the field it shows.
            if (text && (text->flags & TEXT_TYPE_MASK) == TBLOCK) return Route::NOTHING;
            return Route::OPEN;
        }
        case EDIT_CODE_PART:
            canvas->current_part = item ? as_PlacedPart(item) : nullptr;
            return item ? Route::OPEN : Route::NOTHING;
        case EDIT_CODE_FIELD: {
            // Only a field of a placed part has the dialog.
            canvas->current_field = {};
            if (!item || item->type != PSEUDO_PIN) return Route::NOTHING;
            const PseudoPin* link = as_PseudoPin(item);
            if (link->role != PP_LINK_ATTRIBUTE || !link->father ||
                link->father->type != PARTLIB_ITEM)
                return Route::NOTHING;
            canvas->current_field = {as_PlacedPart(link->father), link->index};
            return Route::OPEN;
        }
        default: return Route::NOTHING;
    }
}

}  // namespace

void edit_part_closed(EnhancedDialog& dialog) {
    edit_part_state = EditPartState{};
    destroy_registered_dialog(dialog);
}

bool edit_item(EditCanvas* canvas, SchItem* item, Point, int code) {
    if (!canvas || !canvas->mySchema) return false;
    const ItemDialog* dialog = item_dialog_of(code);
    if (!dialog) return false;
    switch (take_current_item(canvas, item, code)) {
        case Route::ELSEWHERE: return true;
        case Route::NOTHING: return false;
        case Route::OPEN: break;
    }
    open_dialog({dialog->global, dialog->window_name, dialog->build,
                 [dialog, canvas] { dialog->fill(canvas); }, reinterpret_cast<long>(canvas)});
    return true;
}

void item_dialog_button(long client_word) { item_dialog_command(client_word); }

void item_dialog_command(long id) {
    EditCanvas* canvas = dialog_canvas();
    if (!canvas) return;
    switch (id) {
        // text
        case TEXT_CMD_TYPE:
            on_form(text_window,
                    [&](Form& form) { text_window_type_changed(form, fonts_of(canvas)); });
            break;
        case TEXT_CMD_TEXT: on_form(text_window, text_window_text_changed); break;
        case TEXT_CMD_MAIN: text_main_button(canvas); break;
        case TEXT_CMD_FONT: text_font_button(canvas); break;
        case TEXT_CMD_INTERNAL:
            on_form(text_window,
                    [&](Form& form) { text_window_internal_changed(form, fonts_of(canvas)); });
            break;
        case TEXT_CMD_HELP: show_help(help_file, TEXT_HELP_CONTEXT); break;
        // part
        case PART_CMD_VALUE:
        case PART_CMD_XMIR:
        case PART_CMD_YMIR:
        case PART_CMD_BOXED:
        case PART_CMD_VISIBLE:
        case PART_CMD_POSITION:
        case PART_CMD_DEVICE:
        case PART_CMD_CONVERT:
        case PART_CMD_PIN:
        case PART_CMD_NAME:
        case PART_CMD_FIELD:
        case PART_CMD_PIN_DISPLAY:
            on_form(edit_part, [&](Form& form) {
                edit_part_react(id, form, edit_part_state, canvas->mySchema, canvas->current_part);
            });
            break;
        case PART_CMD_ACCEPT: part_accept(canvas); break;
        case PART_CMD_HELP: show_help(help_file, PART_HELP_CONTEXT); break;
        // field
        case FIELD_CMD_CHANGE: field_change(canvas); break;
        default: break;
    }
}
