// The windows of the item dialogs and their one entry and command handler.
#include "dialogs/item_dialogs.h"

#include <wx/button.h>
#include <wx/textctrl.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/font_choice.h"
#include "dialogs/forms/field_form.h"
#include "dialogs/forms/infos_form.h"
#include "dialogs/forms/label_forms.h"
#include "dialogs/forms/part_form.h"
#include "dialogs/forms/text_form.h"
#include "editor/edit_transaction.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "editor/item_edit.h"
#include "editor/sheet_modes.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_items.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/text.h"
#include "model/items/view.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"
#include "toolkit/panel_items.h"

namespace {

const char* const help_file = "Tessaron.hlp";

// The canvas's item dialogs, each in its slot among the canvas's dialogs
// (null while closed), and what they remember while they are open.
EnhancedDialog*& dialog_slot(EditCanvas* canvas, const char* window_name) {
    return *canvas->dialogs.slot(window_name);
}
EnhancedDialog*& text_window(EditCanvas* canvas) { return dialog_slot(canvas, "text_window"); }
EnhancedDialog*& edit_part(EditCanvas* canvas) { return dialog_slot(canvas, "edit_part"); }
EnhancedDialog*& edit_field(EditCanvas* canvas) { return dialog_slot(canvas, "edit_field"); }
EnhancedDialog*& wedit_power(EditCanvas* canvas) { return dialog_slot(canvas, "wedit_power"); }
EnhancedDialog*& wedit_port(EditCanvas* canvas) { return dialog_slot(canvas, "wedit_port"); }
EnhancedDialog*& wedit_net(EditCanvas* canvas) { return dialog_slot(canvas, "wedit_net"); }
EnhancedDialog*& edit_netprop(EditCanvas* canvas) { return dialog_slot(canvas, "edit_netprop"); }
EnhancedDialog*& file_sheet_load(EditCanvas* canvas) {
    return dialog_slot(canvas, "file_sheet_load");
}
EnhancedDialog*& edit_infos(EditCanvas* canvas) { return dialog_slot(canvas, "edit_infos"); }

struct ItemDialogState {
    // The items the dialogs change (records of the canvas's document, not
    // owned): what the open dialog changes; null while it adds a new item.
    Text* text = nullptr;
    PlacedPart* part = nullptr;
    Power* power = nullptr;
    SchItem* label = nullptr;  // a port or a net-property label: one reference
    SubSheet* sheet = nullptr;
    Port* net = nullptr;  // a port of a sub-sheet box (a sheet net)
    // A field of a placed part: the part and the field's index (0 the
    // reference, 1 the value, 2.. the user fields); no part for none.
    struct Field {
        PlacedPart* part = nullptr;
        int index = 0;
    } field;
    EditPartState edit_part;  // while Edit Part is open
    InfosState infos;         // while Set Title Block Info is open
};
ItemDialogState& state_of(EditCanvas* canvas) { return canvas->dialogs.state<ItemDialogState>(); }

FormDialog* as_form(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

List** fonts_of(EditCanvas* canvas) { return &canvas->mySchema->fonts; }

// The canvas as the measuring services know it.
void* measuring_canvas(EditCanvas* canvas) { return static_cast<RenderCanvas*>(canvas); }

// A dialog of the family: modal, on the main frame, buttons in a column with
// "Cancel" after the first and a message line.
FormDialog* new_item_dialog(EditCanvas* canvas, EnhancedDialog** slot, const char* title,
                            const char* window_name, std::vector<FormRow> rows,
                            EnhancedDialog::OnClose on_close = dialog_release) {
    FormDialog* dialog = new_registered_dialog(
        slot, title, window_name, dialog_style_message, true, Form(std::move(rows)),
        [canvas](long id) { item_dialog_command(canvas, id); }, std::move(on_close));
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
void create_text_window(EditCanvas* canvas) {
    if (text_window(canvas)) return;
    new_item_dialog(canvas, &text_window(canvas), "Tessaron: Add/Edit Text", "text_window",
                    text_window_rows())
        ->Fit();
}

void fill_text_window(EditCanvas* canvas) {
    if (!text_window(canvas)) return;
    Form& form = as_form(text_window(canvas))->form();
    load_text_window(form, fonts_of(canvas));
    if (state_of(canvas).text)
        text_to_text_window(form, fonts_of(canvas), state_of(canvas).text,
                            measuring_canvas(canvas));
    label_main_button(text_window(canvas), TEXT_CMD_MAIN, state_of(canvas).text != nullptr);
    as_form(text_window(canvas))->Fill();
}

void text_main_button(EditCanvas* canvas) {
    if (!text_window(canvas)) return;
    FormDialog* dialog = as_form(text_window(canvas));
    dialog->Read();
    store_text_window(dialog->form(), fonts_of(canvas));
    // A label may not hold a parenthesis: the dialog stays with its values.
    if (proper_get(TEXT_TYPE) == 1 && label_has_parens(dialog->form().text(TF_TEXT))) return;
    if (state_of(canvas).text)
        props_to_text(editor_session(canvas), state_of(canvas).text, dialog->form());
    else
        apply_text_window(editor_session(canvas), dialog->form());
    hide_dialog(text_window(canvas));
}

void text_font_button(EditCanvas* canvas) {
    if (!text_window(canvas)) return;
    const int chosen =
        register_document_font(text_window(canvas), fonts_of(canvas),
                               text_window_font_id(as_form(text_window(canvas))->form()));
    on_form(text_window(canvas), [&](Form& form) {
        text_window_font_chosen(form, fonts_of(canvas), chosen, measuring_canvas(canvas));
    });
}

// --- part ------------------------------------------------------------------------------------------
void create_edit_part(EditCanvas* canvas) {
    if (edit_part(canvas)) return;
    new_item_dialog(canvas, &edit_part(canvas), "Tessaron: Edit Part", "edit_part",
                    edit_part_rows(),
                    [canvas](EnhancedDialog& dialog) { edit_part_closed(canvas, dialog); })
        ->Fit();
}

void fill_edit_part(EditCanvas* canvas) {
    if (!edit_part(canvas) || !state_of(canvas).part) return;
    load_edit_part(as_form(edit_part(canvas))->form(), state_of(canvas).edit_part, canvas->mySchema,
                   state_of(canvas).part);
    as_form(edit_part(canvas))->Fill();
}

void part_accept(EditCanvas* canvas) {
    if (!edit_part(canvas)) return;
    FormDialog* dialog = as_form(edit_part(canvas));
    dialog->Read();
    if (state_of(canvas).part)
        accept_edit_part(editor_session(canvas), state_of(canvas).part, dialog->form(),
                         state_of(canvas).edit_part);
    else
        beep();
    hide_dialog(edit_part(canvas));
}

// --- field -----------------------------------------------------------------------------------------
void create_edit_field(EditCanvas* canvas) {
    if (edit_field(canvas)) return;
    new_item_dialog(canvas, &edit_field(canvas), "Tessaron: Edit Field", "edit_field",
                    edit_field_rows())
        ->Fit();
}

void fill_edit_field(EditCanvas* canvas) {
    if (!edit_field(canvas)) return;
    load_edit_field(as_form(edit_field(canvas))->form(), canvas->mySchema,
                    state_of(canvas).field.part, state_of(canvas).field.index);
    as_form(edit_field(canvas))->Fill();
}

void field_change(EditCanvas* canvas) {
    if (!edit_field(canvas)) return;
    FormDialog* dialog = as_form(edit_field(canvas));
    dialog->Read();
    apply_edit_field(editor_session(canvas), state_of(canvas).field.part,
                     state_of(canvas).field.index, dialog->form().text(FF_VALUE));
    hide_dialog(edit_field(canvas));
}

// --- the small Add/Edit dialogs ----------------------------------------------------------------------
// The canvas's current port and net-property label share one reference.
Port* current_port(EditCanvas* canvas) {
    SchItem* item = state_of(canvas).label;
    return item && item->type == PORT_ITEM ? as_Port(item) : nullptr;
}
NetProp* current_netprop(EditCanvas* canvas) {
    SchItem* item = state_of(canvas).label;
    return item && item->type == NETPROP_ITEM ? as_NetProp(item) : nullptr;
}

// Builds and fills a small dialog: the item's values (through the
// properties) when there is one, the properties' alone for a new item. The
// item's name is shown whole (the properties keep 31 bytes of it).
void fill_small(EnhancedDialog* dialog, long main, bool change, void (*load)(Form&),
                const char* item_name = nullptr) {
    if (!dialog) return;
    load(as_form(dialog)->form());
    if (item_name) as_form(dialog)->form().set_text(LF_NAME, item_name);
    label_main_button(dialog, main, change);
    as_form(dialog)->Fill();
}

// The name typed in a small dialog.
std::string typed_name(EnhancedDialog* dialog) { return as_form(dialog)->form().text(LF_NAME); }

void create_wedit_port(EditCanvas* canvas) {
    if (!wedit_port(canvas))
        new_item_dialog(canvas, &wedit_port(canvas), "Tessaron: Add/Edit Port", "wedit_port",
                        wedit_port_rows())
            ->Fit();
}
void fill_wedit_port(EditCanvas* canvas) {
    Port* port = current_port(canvas);
    if (port) port_to_props(port);
    fill_small(wedit_port(canvas), PORT_CMD_MAIN, port, load_wedit_port,
               port ? port->name.get() : nullptr);
}

void create_wedit_power(EditCanvas* canvas) {
    if (!wedit_power(canvas))
        new_item_dialog(canvas, &wedit_power(canvas), "Tessaron: Add/Edit Power", "wedit_power",
                        wedit_power_rows())
            ->Fit();
}
void fill_wedit_power(EditCanvas* canvas) {
    Power* power = state_of(canvas).power;
    if (power) power_to_props(power);
    fill_small(wedit_power(canvas), POWER_CMD_MAIN, power, load_wedit_power,
               power ? power->name.get() : nullptr);
}

void create_wedit_net(EditCanvas* canvas) {
    if (!wedit_net(canvas))
        new_item_dialog(canvas, &wedit_net(canvas), "Tessaron: Add/Edit Net", "wedit_net",
                        wedit_net_rows())
            ->Fit();
}
void fill_wedit_net(EditCanvas* canvas) {
    Port* net = state_of(canvas).net;
    if (net) net_to_props(net);
    fill_small(wedit_net(canvas), NET_CMD_MAIN, net, load_wedit_net,
               net ? net->name.get() : nullptr);
}

void create_edit_netprop(EditCanvas* canvas) {
    if (!edit_netprop(canvas))
        new_item_dialog(canvas, &edit_netprop(canvas), "Tessaron: Add/Edit Net Properties",
                        "edit_netprop", edit_netprop_rows())
            ->Fit();
}
void fill_edit_netprop(EditCanvas* canvas) {
    if (NetProp* label = current_netprop(canvas)) netprop_to_props(label);
    fill_small(edit_netprop(canvas), NETPROP_CMD_MAIN, current_netprop(canvas), load_edit_netprop);
}

void fill_file_sheet_load(EditCanvas* canvas) {
    if (!file_sheet_load(canvas)) return;
    sheet_dialog_fill(as_form(file_sheet_load(canvas))->form(), state_of(canvas).sheet);
    sheet_dialog_set_action_label(canvas, state_of(canvas).sheet ? "Change" : "Add");
    as_form(file_sheet_load(canvas))->Fill();
}

// The main button of a small dialog: the form stored into the properties,
// then the item changed from them, or the placing of a new one started.
template <class Change, class Place>
void small_main(EnhancedDialog* dialog, void (*store)(const Form&), Change change, Place place,
                bool has_item) {
    if (!dialog) return;
    as_form(dialog)->Read();
    store(as_form(dialog)->form());
    if (has_item)
        change();
    else
        place();
    hide_dialog(dialog);
}

void sheet_main(EditCanvas* canvas) {
    if (!file_sheet_load(canvas)) return;
    FormDialog* dialog = as_form(file_sheet_load(canvas));
    dialog->Read();
    store_sheet_dialog(dialog->form());
    const std::string name = dialog->form().text(LF_SHEET_NAME);
    const std::string file = dialog->form().text(LF_SHEET_FILE);
    if (state_of(canvas).sheet)
        set_sheet_item_names(editor_session(canvas), state_of(canvas).sheet, file.c_str(),
                             name.c_str());
    else
        start_sheet_mode(editor_session(canvas), name.c_str(), file.c_str());
    hide_dialog(file_sheet_load(canvas));
}

void sheet_open(EditCanvas* canvas) {
    // The box's file opens in its own window; the dialog closes first.
    if (!state_of(canvas).sheet) {
        beep();
        return;
    }
    open_sheet_box(editor_session(canvas), state_of(canvas).sheet);
}

// --- title-block information -----------------------------------------------------------------------
// The Control Value field holds no more than the selected field's slot.
void limit_infos_value(EditCanvas* canvas) {
    FormDialog* dialog = as_form(edit_infos(canvas));
    const InfosState& state = state_of(canvas).infos;
    const int k = dialog->form().number(IF_CONTROLS);
    const int code = k >= 0 && k < static_cast<int>(state.codes.size()) ? state.codes[k] : 0;
    if (auto* text = dynamic_cast<wxTextEntry*>(dialog->Item(IF_VALUE)))
        text->SetMaxLength(static_cast<unsigned long>(infos_field_width(code)));
}

// No limit while the text of another field is put in: the toolkit refuses
// a text longer than the limit in force and would show the field empty.
void unlimit_infos_value(EditCanvas* canvas) {
    if (auto* text = dynamic_cast<wxTextEntry*>(as_form(edit_infos(canvas))->Item(IF_VALUE)))
        text->SetMaxLength(0);
}

void create_edit_infos(EditCanvas* canvas) {
    if (edit_infos(canvas)) return;
    FormDialog* dialog = new_registered_dialog(
        &edit_infos(canvas), "Tessaron: Set Title Block Info", "edit_infos", dialog_style, true,
        Form(edit_infos_rows()), [canvas](long id) { item_dialog_command(canvas, id); },
        [canvas](EnhancedDialog& dialog) { edit_infos_closed(canvas, dialog); });
    dialog->BuildRows();
    dialog->Fit();
}

void fill_infos(EditCanvas* canvas) {
    if (!edit_infos(canvas)) return;
    Form& form = as_form(edit_infos(canvas))->form();
    fill_edit_infos(form, state_of(canvas).infos, canvas->mySchema);
    select_infos_control(form, state_of(canvas).infos, state_of(canvas).text);
    as_form(edit_infos(canvas))->Fill();
    limit_infos_value(canvas);
}

// Get ASCII and Save ASCII: a file chosen, its name checked, the fields
// read from it (one edit) or written to it; the dialog then closes.
void infos_file(EditCanvas* canvas, bool get) {
    if (!edit_infos(canvas)) return;
    const std::string suffixes = strproper_get(EXT_ATPL);
    const std::string suffix = suffixes.substr(0, suffixes.find(','));
    const std::string extension = suffix.empty() ? "" : suffix.substr(1);
    const std::string wildcard = suffix_wildcard(EXT_ATPL);
    const int flags =
        get ? FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY
            : FILE_SELECT_SAVE | FILE_SELECT_OVERWRITE_PROMPT | FILE_SELECT_HIDE_READ_ONLY;
    std::string chosen;
    if (!services().file_selector("Ascii File:", dir_in_use(DIR_PROJECT), "", extension.c_str(),
                                  wildcard.c_str(), flags, edit_infos(canvas), &chosen) ||
        chosen.empty())
        return;
    if (!check_file_name(chosen.c_str())) {
        error_box(nullptr, "Error", MB_ICON_STOP, 84, chosen.c_str());
        return;
    }
    if (get) {
        EditTransaction edit(editor_session(canvas));
        edit.before(&canvas->mySchema->titleblock);
        if (application().title_fields_import(canvas, chosen.c_str()))
            edit.touch(&canvas->mySchema->titleblock);
        else
            edit.abandon();  // nothing was read: nothing changed
    } else {
        application().title_fields_export(canvas, chosen.c_str());
    }
    hide_dialog(edit_infos(canvas));
}

// --- the table of the item dialogs ------------------------------------------------------------------
struct ItemDialog {
    int code;
    const char* window_name;  // names its slot among the canvas's dialogs
    void (*build)(EditCanvas* canvas);
    void (*fill)(EditCanvas* canvas);
};

const ItemDialog item_dialog_table[] = {
    {EDIT_CODE_TEXT, "text_window", create_text_window, fill_text_window},
    {EDIT_CODE_PART, "edit_part", create_edit_part, fill_edit_part},
    {EDIT_CODE_FIELD, "edit_field", create_edit_field, fill_edit_field},
    {EDIT_CODE_POWER, "wedit_power", create_wedit_power, fill_wedit_power},
    {EDIT_CODE_PORT, "wedit_port", create_wedit_port, fill_wedit_port},
    {EDIT_CODE_SHEET, "file_sheet_load", sheet_dialog, fill_file_sheet_load},
    {EDIT_CODE_SHEET_NET, "wedit_net", create_wedit_net, fill_wedit_net},
    {EDIT_CODE_NETPROP, "edit_netprop", create_edit_netprop, fill_edit_netprop},
};

const ItemDialog* item_dialog_of(int code) {
    for (const ItemDialog& d : item_dialog_table)
        if (d.code == code) return &d;
    return nullptr;
}

enum class Route { OPEN, ELSEWHERE, NOTHING };

// Makes the item the canvas's current item of its kind; the routes that
// open another dialog, or none, are taken here.
Route take_current_item(EditCanvas* canvas, SchItem* item, Point p, int code) {
    switch (code) {
        case EDIT_CODE_TEXT: {
            Text* text = item ? as_Text(item) : nullptr;
            state_of(canvas).text = text;
            // A text of the title block is edited as the field it shows.
            if (text && (text->flags & TEXT_TYPE_MASK) == TBLOCK) {
                show_title_block_dialog(canvas, text);
                return Route::ELSEWHERE;
            }
            // A text of a title-block window is the library editor's.
            if (text && canvas->kind == CANVAS_TEMPLATE) {
                libedit_show_item_dialog(&canvas->libedit, text);
                return Route::ELSEWHERE;
            }
            return Route::OPEN;
        }
        case EDIT_CODE_POWER:
            state_of(canvas).power = item ? as_Power(item) : nullptr;
            return Route::OPEN;
        case EDIT_CODE_PORT:
        case EDIT_CODE_NETPROP: state_of(canvas).label = item; return Route::OPEN;
        case EDIT_CODE_SHEET_NET:
            state_of(canvas).net = item ? as_Port(item) : nullptr;
            state_of(canvas).sheet = box_of_port(canvas->mySchema, state_of(canvas).net);
            return Route::OPEN;
        case EDIT_CODE_SHEET: {
            SubSheet* box = item ? as_SubSheet(item) : nullptr;
            state_of(canvas).sheet = box;
            state_of(canvas).net = nullptr;
            if (!box) return Route::OPEN;
            // A click on the box's border opens nothing; on one of its
            // ports, the port's dialog.
            const Point tolerance = view_size_to_world(&canvas->mySchema->view, Point{5, 5});
            if (subsheet_border_hit(box, p, std::max(tolerance.x, tolerance.y)))
                return Route::NOTHING;
            if (Port* port = subsheet_port_at(canvas->mySchema, box, p)) {
                state_of(canvas).net = port;
                start_edit_items(editor_session(canvas), EDIT_OPERATION, port, p,
                                 EDIT_CODE_SHEET_NET);
                return Route::ELSEWHERE;
            }
            return Route::OPEN;
        }
        case EDIT_CODE_PART:
            state_of(canvas).part = item ? as_PlacedPart(item) : nullptr;
            return item ? Route::OPEN : Route::NOTHING;
        case EDIT_CODE_FIELD: {
            // Only a field of a placed part has the dialog.
            state_of(canvas).field = {};
            if (!item || item->type != PSEUDO_PIN) return Route::NOTHING;
            const PseudoPin* link = as_PseudoPin(item);
            if (link->role != PP_LINK_ATTRIBUTE || !link->father ||
                link->father->type != PARTLIB_ITEM)
                return Route::NOTHING;
            state_of(canvas).field = {as_PlacedPart(link->father), link->index};
            return Route::OPEN;
        }
        default: return Route::NOTHING;
    }
}

}  // namespace

void sheet_dialog(EditCanvas* canvas) {
    if (!file_sheet_load(canvas))
        new_item_dialog(canvas, &file_sheet_load(canvas), "Tessaron: Add/Edit Sheet",
                        "file_sheet_load", sheet_dialog_rows())
            ->Fit();
}

void sheet_dialog_set_action_label(EditCanvas* canvas, const char* label) {
    if (!file_sheet_load(canvas)) return;
    if (wxWindow* button = as_form(file_sheet_load(canvas))->ButtonFor(SHEET_CMD_MAIN))
        button->SetLabel(wxString::FromUTF8(label ? label : ""));
}

void edit_infos_closed(EditCanvas* canvas, EnhancedDialog& dialog) {
    state_of(canvas).infos = InfosState{};
    dialog_release(dialog);
}

void show_title_block_dialog(EditCanvas* canvas, Text* text) {
    if (!canvas || !canvas->mySchema) return;
    state_of(canvas).text = text;
    // A title-block window edits its controls in the control dialog.
    if (canvas->kind == CANVAS_TEMPLATE) {
        if (state_of(canvas).text)
            libedit_show_item_dialog(&canvas->libedit, state_of(canvas).text);
        else
            application().command(canvas, TEMPLATE_CMD_CONTROLS, 0);
        return;
    }
    if (canvas->kind != CANVAS_SHEET) return;
    open_dialog({&edit_infos(canvas), "edit_infos", [canvas] { create_edit_infos(canvas); },
                 [canvas] { fill_infos(canvas); }});
}

void edit_part_closed(EditCanvas* canvas, EnhancedDialog& dialog) {
    state_of(canvas).edit_part = EditPartState{};
    dialog_release(dialog);
}

bool edit_item(EditCanvas* canvas, SchItem* item, Point p, int code) {
    if (!canvas || !canvas->mySchema) return false;
    const ItemDialog* dialog = item_dialog_of(code);
    if (!dialog) return false;
    switch (take_current_item(canvas, item, p, code)) {
        case Route::ELSEWHERE: return true;
        case Route::NOTHING: return false;
        case Route::OPEN: break;
    }
    open_dialog({&dialog_slot(canvas, dialog->window_name), dialog->window_name,
                 [dialog, canvas] { dialog->build(canvas); },
                 [dialog, canvas] { dialog->fill(canvas); }});
    return true;
}

void item_dialog_command(EditCanvas* canvas, long id) {
    if (!canvas || !canvas->mySchema) return;
    switch (id) {
        // text
        case TEXT_CMD_TYPE:
            on_form(text_window(canvas),
                    [&](Form& form) { text_window_type_changed(form, fonts_of(canvas)); });
            break;
        case TEXT_CMD_TEXT: on_form(text_window(canvas), text_window_text_changed); break;
        case TEXT_CMD_MAIN: text_main_button(canvas); break;
        case TEXT_CMD_FONT: text_font_button(canvas); break;
        case TEXT_CMD_INTERNAL:
            on_form(text_window(canvas),
                    [&](Form& form) { text_window_internal_changed(form, fonts_of(canvas)); });
            break;
        case TEXT_CMD_HELP: application().show_help(help_file, TEXT_HELP_CONTEXT); break;
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
            on_form(edit_part(canvas), [&](Form& form) {
                edit_part_react(id, form, state_of(canvas).edit_part, canvas->mySchema,
                                state_of(canvas).part);
            });
            break;
        case PART_CMD_ACCEPT: part_accept(canvas); break;
        case PART_CMD_HELP: application().show_help(help_file, PART_HELP_CONTEXT); break;
        // field
        case FIELD_CMD_CHANGE: field_change(canvas); break;
        // port, power, sheet net, net property, sheet
        case PORT_CMD_MAIN: {
            Port* port = current_port(canvas);
            small_main(
                wedit_port(canvas), store_wedit_port,
                [&] {
                    props_to_port(editor_session(canvas), port, typed_name(wedit_port(canvas)));
                },
                [&] {
                    start_port_mode(editor_session(canvas));
                    stamp_name_ghost(editor_session(canvas), &add_port_mode,
                                     typed_name(wedit_port(canvas)).c_str());
                },
                port != nullptr);
            break;
        }
        case POWER_CMD_MAIN:
            small_main(
                wedit_power(canvas), store_wedit_power,
                [&] {
                    props_to_power(editor_session(canvas), state_of(canvas).power,
                                   typed_name(wedit_power(canvas)));
                },
                [&] {
                    start_power_mode(editor_session(canvas), 0);
                    stamp_name_ghost(editor_session(canvas), &add_power_mode,
                                     typed_name(wedit_power(canvas)).c_str());
                },
                state_of(canvas).power != nullptr);
            break;
        case NET_CMD_MAIN:
            small_main(
                wedit_net(canvas), store_wedit_net,
                [&] {
                    props_to_net(editor_session(canvas), state_of(canvas).sheet,
                                 state_of(canvas).net, typed_name(wedit_net(canvas)));
                },
                [&] {
                    start_net_mode(editor_session(canvas));
                    stamp_name_ghost(editor_session(canvas), &add_net_mode,
                                     typed_name(wedit_net(canvas)).c_str());
                },
                state_of(canvas).net != nullptr);
            break;
        case NETPROP_CMD_MAIN: {
            NetProp* label = current_netprop(canvas);
            small_main(
                edit_netprop(canvas), store_edit_netprop,
                [&] { props_to_netprop(editor_session(canvas), label); },
                [&] { start_netprop_mode(editor_session(canvas)); }, label != nullptr);
            break;
        }
        case SHEET_CMD_MAIN: sheet_main(canvas); break;
        case SHEET_CMD_OPEN: sheet_open(canvas); break;
        case PORT_CMD_HELP: application().show_help(help_file, PORT_HELP_CONTEXT); break;
        case POWER_CMD_HELP: application().show_help(help_file, POWER_HELP_CONTEXT); break;
        case NET_CMD_HELP: application().show_help(help_file, NET_HELP_CONTEXT); break;
        case NETPROP_CMD_HELP: application().show_help(help_file, NETPROP_HELP_CONTEXT); break;
        // title-block information
        case INFOS_CMD_OK:
            if (!edit_infos(canvas)) break;
            as_form(edit_infos(canvas))->Read();
            store_edit_infos(editor_session(canvas), state_of(canvas).infos);
            hide_dialog(edit_infos(canvas));
            break;
        case INFOS_CMD_VALUE:
            if (!edit_infos(canvas)) break;
            as_form(edit_infos(canvas))->Read();
            apply_edit_infos(as_form(edit_infos(canvas))->form(), state_of(canvas).infos);
            break;
        case INFOS_CMD_CONTROL:
            if (!edit_infos(canvas)) break;
            unlimit_infos_value(canvas);
            on_form(edit_infos(canvas),
                    [&](Form& form) { show_infos_value(form, state_of(canvas).infos); });
            limit_infos_value(canvas);
            break;
        case INFOS_CMD_GET: infos_file(canvas, true); break;
        case INFOS_CMD_SAVE: infos_file(canvas, false); break;
        default: break;
    }
}
