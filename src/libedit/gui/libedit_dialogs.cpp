// The library editor's part dialogs as windows of their forms, and the one
// command handler of every library dialog's items.
#include "libedit/gui/libedit_dialogs.h"

#include <string>
#include <vector>

#include <wx/utils.h>

#include "dialogs/dialog_opener.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "editor/gui/preview_canvas.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_item_dialogs.h"
#include "libedit/libedit.h"
#include "libedit/libedit_dialogs.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"
#include "toolkit/panel_items.h"

namespace {

const char* const help_file = "Tessaron.hlp";

// The part dialogs of a library canvas, each in its slot among the
// canvas's dialogs (null while closed).
EnhancedDialog*& libedit_part_load(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_part_load");
}
EnhancedDialog*& libedit_body(EditCanvas* canvas) { return *canvas->dialogs.slot("libedit_body"); }
EnhancedDialog*& libedit_name(EditCanvas* canvas) { return *canvas->dialogs.slot("libedit_name"); }
EnhancedDialog*& libedit_partinfo(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_partinfo");
}
EnhancedDialog*& libedit_vector(EditCanvas* canvas) {
    return *canvas->dialogs.slot("libedit_vector");
}
EnhancedDialog*& vector_definition(EditCanvas* canvas) {
    return *canvas->dialogs.slot("vector_definition");
}

// What the canvas's part dialogs remember while they are open.
struct PartDialogState {
    // Part Names' Ok: cleared by every fill, set by Ok.
    bool names_ok = false;
    // What Get Vector Definition searched last, and the entry its Get chose.
    VectorSearch vector_search;
    LibEntry* vector_entry = nullptr;
    PartDialogState() = default;
    PartDialogState(const PartDialogState&) = delete;
    PartDialogState& operator=(const PartDialogState&) = delete;
    // A library the search read goes with the window.
    ~PartDialogState() { vector_search_drop(&vector_search); }
};
PartDialogState& state_of(EditCanvas* canvas) { return canvas->dialogs.state<PartDialogState>(); }

FormDialog* form_dialog(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

// Bound to the document the canvas shows whenever the canvas takes one.
LibEdit* editor(EditCanvas* canvas) { return &canvas->libedit; }

std::string file_of(EditCanvas* canvas) { return application().file_name(canvas); }

void set_label(FormDialog* dialog, int field, const std::string& text) {
    if (wxWindow* item = dialog->Item(field)) control_set_text(item, text.c_str());
}

void pin_message(EnhancedDialog* dialog, int code, const char* detail) {
    dialog_message_pin(dialog, message_text(nullptr, RuntimeCode{code}, detail).c_str());
}

// --- Get Part ---------------------------------------------------------------------------------
PreviewCanvas* part_preview(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_part_load(canvas));
    wxWindow* area = dialog ? dialog->Item(GP_PREVIEW) : nullptr;
    if (!area || area->GetChildren().empty()) return nullptr;
    return dynamic_cast<PreviewCanvas*>(area->GetChildren().front());
}

void build_get_part(EditCanvas* canvas) {
    FormDialog* dialog = new_registered_dialog(
        &libedit_part_load(canvas), "Tessaron: Get Part", "libedit_part_load", dialog_style_message,
        false, Form(get_part_rows()), [canvas](long id) { libedit_command(canvas, id); });
    dialog->BuildRows();
    new PreviewCanvas(dialog->Item(GP_PREVIEW), 0, 0, 210, 100, 0, 0);
    dialog->Fit();
}

// The picture of the part chosen, from the window's file.
void show_chosen_part(EditCanvas* canvas, FormDialog* dialog) {
    const std::string file = canvas ? file_of(canvas) : std::string();
    preview_show_part(part_preview(canvas), file.c_str(), dialog->form().text(GP_SELECTED).c_str(),
                      0, 1);
}

void part_chosen(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_part_load(canvas));
    dialog->Read();
    if (get_part_chosen(dialog->form()).empty()) return;
    dialog->Fill();
    show_chosen_part(canvas, dialog);
}

void scan_parts(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_part_load(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    get_part_listed(form, {});
    dialog->Fill();
    std::vector<std::string> names;
    {
        wxBusyCursor searching;
        names = libedit_scan_parts(libedit_library(editor(canvas)), form.text(GP_SELECTED).c_str());
    }
    if (names.empty()) return;
    set_label(dialog, GP_COUNT, parts_found_text(names.size()));
    get_part_listed(form, std::move(names));
    dialog->Fill();
    show_chosen_part(canvas, dialog);
}

void get_part_ok(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_part_load(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    const std::string name = dialog->form().text(GP_SELECTED);
    switch (libedit_get_part(editor(canvas), name.c_str())) {
        case GET_PART_NOTHING:
        case GET_PART_NO: return;  // the dialog stays for another name
        case GET_PART_CREATE:
            hide_dialog(libedit_part_load(canvas));
            canvas->ZoomFit();
            open_place_body(canvas);
            return;
        case GET_PART_LOADED:
        case GET_PART_KEPT:
            hide_dialog(libedit_part_load(canvas));
            canvas->ZoomFit();
            canvas->Redraw();
            return;
    }
}

// --- Place Body --------------------------------------------------------------------------------
void place_body(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_body(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    const int devices = place_body_devices(dialog->form());
    const bool converted = place_body_converted(dialog->form());
    hide_dialog(libedit_body(canvas));
    libedit_place_body(editor(canvas), devices, converted);
}

// --- Part Names ---------------------------------------------------------------------------------
void fill_names(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_name(canvas));
    if (!dialog || !canvas) return;
    LibEdit* ed = editor(canvas);
    state_of(canvas).names_ok = false;
    part_names_listed(dialog->form(), names_dialog_fill(ed));
    dialog->Fill();
    set_label(dialog, PN_COUNT, names_count_text(ed));
}

}  // namespace

void names_dialog_close(EditCanvas* canvas, EnhancedDialog& dialog) {
    // The close box takes back what the dialog did; Ok keeps it.
    const bool ok = state_of(canvas).names_ok;
    dialog_release(dialog);
    names_dialog_finish(editor(canvas), ok);
}

namespace {

void build_part_names(EditCanvas* canvas) {
    FormDialog* dialog = new_registered_dialog(
        &libedit_name(canvas), "Tessaron: Part Names", "libedit_name",
        dialog_style & ~DIALOG_CANCEL_MASK, false, Form(part_names_rows()),
        [canvas](long id) { libedit_command(canvas, id); },
        [canvas](EnhancedDialog& closing) { names_dialog_close(canvas, closing); });
    dialog->BuildRows();
    dialog->Fit();
    names_dialog_open(editor(canvas));
}

void names_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_name(canvas));
    if (!dialog || !canvas) return;
    LibEdit* ed = editor(canvas);
    dialog->Read();
    Form& form = dialog->form();
    const std::string selected = form.picked_entry(PN_NAMES);
    const std::string typed = form.text(PN_NAME);
    switch (id) {
        case LE_NAMES_LIST:
            part_names_chosen(form);
            dialog->Fill();
            break;
        case LE_NAMES_OK:
            state_of(canvas).names_ok = true;
            hide_dialog(libedit_name(canvas));
            break;
        case LE_NAMES_ADD:
            libedit_add_name(ed, typed.c_str());
            application().mark_modified(canvas);
            break;
        case LE_NAMES_DELETE: libedit_delete_name(ed, selected.c_str()); break;
        case LE_NAMES_MODIFY: libedit_rename(ed, selected.c_str(), typed.c_str()); break;
        default: break;
    }
    application().update_title(canvas);
}

// --- Part Info ------------------------------------------------------------------------------------
void show_part_info(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_partinfo(canvas));
    if (!dialog || !canvas) return;
    std::vector<std::string> values = part_info_values(editor(canvas));
    for (size_t i = 0; i < values.size(); ++i)
        set_label(dialog, PI_VALUES + static_cast<int>(i), values[i]);
}

// --- Get Vector Definition ---------------------------------------------------------------------------
// The library kept by the search, when it is still there (the window's
// own library goes with its window).
Library* searched_library(EditCanvas* canvas) {
    if (!state_of(canvas).vector_search.library) return nullptr;
    if (!state_of(canvas).vector_search.own) return state_of(canvas).vector_search.library;
    if (libedit_library(editor(canvas)) == state_of(canvas).vector_search.library)
        return state_of(canvas).vector_search.library;
    state_of(canvas).vector_search = VectorSearch{};
    return nullptr;
}

void drop_vector_search(EditCanvas* canvas) {
    searched_library(canvas);  // forgets the window's library when it went
    vector_search_drop(&state_of(canvas).vector_search);
    state_of(canvas).vector_entry = nullptr;
}

void fill_get_vector(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_vector(canvas));
    if (!dialog) return;
    int count = 0;
    char** files = list_library_files(&count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(files[i]);
    free_name_array(files, count);
    get_vector_listed(dialog->form(), std::move(names));
    dialog->Fill();
}

void search_vector_parts(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_vector(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    if (get_vector_pattern(form)) dialog->Fill();
    searched_library(canvas);
    const std::string library = form.text(GV_LIBRARY);
    const std::string pattern = form.text(GV_PART);
    std::vector<std::string> names;
    int result = 0;
    {
        wxBusyCursor searching;
        result = libedit_vector_search(editor(canvas), &state_of(canvas).vector_search,
                                       library.c_str(), pattern.c_str(), &names);
    }
    if (result != 0) {
        pin_message(dialog, result, result == LIB_NOT_FOUND ? library.c_str() : pattern.c_str());
        return;
    }
    if (get_vector_parts_found(form, std::move(names))) dialog->Fill();
}

}  // namespace

void vector_dialog_close(EditCanvas* canvas, EnhancedDialog& dialog) {
    dialog_release(dialog);
    drop_vector_search(canvas);
}

namespace {

void open_vector_options(EditCanvas* canvas, const VectorOptions& options) {
    open_dialog(
        {&vector_definition(canvas),
         "vector_definition",
         [canvas] {
             FormDialog* dialog = new_registered_dialog(
                 &vector_definition(canvas), "Tessaron: Get Vector OptionsDefinition",
                 "vector_definition", dialog_style, false, Form(vector_options_rows()),
                 [canvas](long id) { libedit_command(canvas, id); },
                 [canvas](EnhancedDialog& closing) { vector_dialog_close(canvas, closing); });
             dialog->BuildRows();
             dialog->Fit();
         },
         {}});
    FormDialog* dialog = form_dialog(vector_definition(canvas));
    if (!dialog) return;
    vector_options_load(dialog->form(), options);
    dialog->Fill();
}

void get_vector(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(libedit_vector(canvas));
    Library* library = searched_library(canvas);
    if (!dialog || !canvas || !library) return;
    dialog->Read();
    const std::string name = dialog->form().text(GV_PART);
    VectorOptions options;
    LibEntry* entry = nullptr;
    int result = libedit_get_vector(editor(canvas), library, name.c_str(), &entry, &options);
    if (result != 0) {
        pin_message(dialog, result, name.c_str());
        return;
    }
    state_of(canvas).vector_entry = entry;
    open_vector_options(canvas, options);
}

void apply_vector(EditCanvas* canvas) {
    FormDialog* dialog = form_dialog(vector_definition(canvas));
    if (!dialog || !canvas) return;
    dialog->Read();
    const VectorOptions options = vector_options_scan(dialog->form());
    if (state_of(canvas).vector_entry && searched_library(canvas))
        libedit_apply_vector_definition(editor(canvas), state_of(canvas).vector_entry, options);
    hide_dialog(vector_definition(canvas));
    application().mark_modified(canvas);
    application().enable_library_part_menus(canvas);
    canvas->Redraw();
    hide_dialog(libedit_vector(canvas));
}

void vector_command(EditCanvas* canvas, long id) {
    FormDialog* dialog = form_dialog(libedit_vector(canvas));
    if (!dialog) return;
    Form& form = dialog->form();
    switch (id) {
        case LE_VECTOR_LIBRARIES:
            dialog->Read();
            get_vector_library_chosen(form);
            dialog->Fill();
            search_vector_parts(canvas);
            break;
        case LE_VECTOR_LIBRARY_EDITED:
            dialog->Read();
            get_vector_library_typed(form);
            dialog->Fill();
            search_vector_parts(canvas);
            break;
        case LE_VECTOR_PART_EDITED:
        case LE_VECTOR_SEARCH: search_vector_parts(canvas); break;
        case LE_VECTOR_PARTS:
            dialog_message_pin(dialog, "  ");
            dialog->Read();
            get_vector_part_chosen(form);
            dialog->Fill();
            break;
        case LE_VECTOR_GET: get_vector(canvas); break;
        default: break;
    }
}

}  // namespace

// --- openers ----------------------------------------------------------------------------------------
void open_get_part(EditCanvas* canvas) {
    const bool building = libedit_part_load(canvas) == nullptr;
    open_dialog({&libedit_part_load(canvas),
                 "libedit_part_load",
                 [canvas] { build_get_part(canvas); },
                 {}});
    if (!building || !libedit_part_load(canvas)) return;
    // Built now: Scan runs at once, an empty pattern listing every part.
    FormDialog* dialog = form_dialog(libedit_part_load(canvas));
    dialog->form().set_text(GP_SELECTED, "");
    dialog->Fill();
    scan_parts(canvas);
}

void open_place_body(EditCanvas* canvas) {
    open_dialog({&libedit_body(canvas),
                 "libedit_body",
                 [canvas] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_body(canvas), "Tessaron: Place Body", "libedit_body",
                         dialog_style, false, Form(place_body_rows()),
                         [canvas](long id) { libedit_command(canvas, id); });
                     dialog->BuildRows();
                     dialog->form().set_number(PB_DEVICES, 1);
                     dialog->Fill();
                     dialog->Fit();
                 },
                 {}});
}

void open_part_names(EditCanvas* canvas) {
    if (!canvas) return;
    if (!libedit_first_placed(editor(canvas))) {
        beep();
        error_box(nullptr, "Error", MB_ICON_STOP, 50001);
        return;
    }
    open_dialog({&libedit_name(canvas), "libedit_name", [canvas] { build_part_names(canvas); },
                 [canvas] { fill_names(canvas); }});
}

void open_part_info(EditCanvas* canvas) {
    if (!canvas || !libedit_first_placed(editor(canvas))) return;
    open_dialog({&libedit_partinfo(canvas),
                 "libedit_partinfo",
                 [canvas] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_partinfo(canvas), "Tessaron: Part Info ", "libedit_partinfo",
                         dialog_style, false, Form(part_info_rows()),
                         [canvas](long id) { libedit_command(canvas, id); });
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 {}});
    show_part_info(canvas);
}

void open_get_vector(EditCanvas* canvas) {
    open_dialog({&libedit_vector(canvas), "libedit_vector",
                 [canvas] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_vector(canvas), "Tessaron: Get Vector Definition",
                         "libedit_vector", dialog_style_message, false, Form(get_vector_rows()),
                         [canvas](long id) { libedit_command(canvas, id); },
                         [canvas](EnhancedDialog& closing) {
                             dialog_release(closing);
                             // Its options use what it found: they go first.
                             if (!vector_definition(canvas)) drop_vector_search(canvas);
                         });
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 [canvas] { fill_get_vector(canvas); }});
}

void libedit_partinfo_refresh(EditCanvas* canvas) {
    if (libedit_partinfo(canvas) && libedit_first_placed(editor(canvas))) show_part_info(canvas);
}

void names_dialog_refill(EditCanvas* canvas) {
    if (libedit_name(canvas)) fill_names(canvas);
}

void libedit_command(EditCanvas* canvas, long id) {
    if (!canvas) return;
    if (long context = libedit_help_context(id, canvas->kind)) {
        application().show_help(help_file, context);
        return;
    }
    switch (id) {
        case LE_NAMES_LIST:
        case LE_NAMES_OK:
        case LE_NAMES_ADD:
        case LE_NAMES_DELETE:
        case LE_NAMES_MODIFY: names_command(canvas, id); break;
        case LE_BODY_PLACE: place_body(canvas); break;
        case LE_PART_OK: get_part_ok(canvas); break;
        case LE_PART_SCAN: scan_parts(canvas); break;
        case LE_PART_LIST: part_chosen(canvas); break;
        case LE_VECTOR_LIBRARIES:
        case LE_VECTOR_PARTS:
        case LE_VECTOR_PART_EDITED:
        case LE_VECTOR_LIBRARY_EDITED:
        case LE_VECTOR_SEARCH:
        case LE_VECTOR_GET: vector_command(canvas, id); break;
        case LE_VECTOR_OPTIONS_OK: apply_vector(canvas); break;
        default: libedit_item_command(canvas, id); break;  // the item dialogs' ids
    }
}
