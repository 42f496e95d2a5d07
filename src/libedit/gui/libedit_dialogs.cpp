// The library editor's part dialogs as windows of their forms, and the one
// command handler of every library dialog's items.
#include "libedit/gui/libedit_dialogs.h"

#include <string>
#include <vector>

#include <wx/utils.h>

#include "canvas/application.h"
#include "canvas/edit_canvas.h"
#include "canvas/preview_canvas.h"
#include "dialogs/dialog_opener.h"
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

EnhancedDialog* libedit_part_load = nullptr;
EnhancedDialog* libedit_body = nullptr;
EnhancedDialog* libedit_name = nullptr;
EnhancedDialog* libedit_partinfo = nullptr;
EnhancedDialog* libedit_vector = nullptr;
EnhancedDialog* vector_definition = nullptr;

namespace {

const char* const help_file = "Tessaron.hlp";

// The Part Names dialog's Ok flag: cleared by every fill, set by Ok.
bool names_ok = false;
// What Get Vector Definition searched last, and the entry its Get chose.
VectorSearch vector_search;
LibEntry* vector_entry = nullptr;

FormDialog* form_dialog(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }

bool canvas_alive(EditCanvas* canvas) {
    for (EditCanvas* open : application().canvases())
        if (open == canvas) return true;
    return false;
}

// The library canvas a dialog acts on: the one it was opened for while
// that window is open, else the current library window; null when none.
EditCanvas* canvas_of(EnhancedDialog* dialog, bool template_too = false) {
    auto fits = [template_too](EditCanvas* c) {
        return c->kind == CANVAS_LIBRARY || (template_too && c->kind == CANVAS_TEMPLATE);
    };
    auto* canvas = dialog ? reinterpret_cast<EditCanvas*>(dialog->client_word) : nullptr;
    if (canvas && canvas_alive(canvas) && fits(canvas)) return canvas;
    EditCanvas* current = application().current_canvas();
    return current && fits(current) ? current : nullptr;
}

// Bound to the document the canvas shows whenever the canvas takes one.
LibEdit* editor(EditCanvas* canvas) { return &canvas->libedit; }

long word_of(EditCanvas* canvas) { return reinterpret_cast<long>(canvas); }

std::string file_of(EditCanvas* canvas) { return application().file_name(canvas); }

void set_label(FormDialog* dialog, int field, const std::string& text) {
    if (wxWindow* item = dialog->Item(field)) control_set_text(item, text.c_str());
}

void pin_message(EnhancedDialog* dialog, int code, const char* detail) {
    dialog_message_pin(dialog, message_text(nullptr, RuntimeCode{code}, detail).c_str());
}

// --- Get Part ---------------------------------------------------------------------------------
PreviewCanvas* part_preview() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    wxWindow* area = dialog ? dialog->Item(GP_PREVIEW) : nullptr;
    if (!area || area->GetChildren().empty()) return nullptr;
    return dynamic_cast<PreviewCanvas*>(area->GetChildren().front());
}

void build_get_part() {
    FormDialog* dialog =
        new_registered_dialog(&libedit_part_load, "Tessaron: Get Part", "libedit_part_load",
                              dialog_style_message, false, Form(get_part_rows()), libedit_button);
    dialog->BuildRows();
    new PreviewCanvas(dialog->Item(GP_PREVIEW), 0, 0, 210, 100, 0, 0);
    dialog->Fit();
}

// The picture of the part chosen, from the window's file.
void show_chosen_part(FormDialog* dialog) {
    EditCanvas* canvas = canvas_of(dialog);
    const std::string file = canvas ? file_of(canvas) : std::string();
    preview_show_part(part_preview(), file.c_str(), dialog->form().text(GP_SELECTED).c_str(), 0, 1);
}

void part_chosen() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    dialog->Read();
    if (get_part_chosen(dialog->form()).empty()) return;
    dialog->Fill();
    show_chosen_part(dialog);
}

void scan_parts() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    EditCanvas* canvas = canvas_of(dialog);
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
    show_chosen_part(dialog);
}

void get_part_ok() {
    FormDialog* dialog = form_dialog(libedit_part_load);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const std::string name = dialog->form().text(GP_SELECTED);
    switch (libedit_get_part(editor(canvas), name.c_str())) {
        case GET_PART_NOTHING:
        case GET_PART_NO: return;  // the dialog stays for another name
        case GET_PART_CREATE:
            hide_dialog(libedit_part_load);
            canvas->ZoomFit();
            open_place_body(canvas);
            return;
        case GET_PART_LOADED:
        case GET_PART_KEPT:
            hide_dialog(libedit_part_load);
            canvas->ZoomFit();
            canvas->Redraw();
            return;
    }
}

// --- Place Body --------------------------------------------------------------------------------
void place_body() {
    FormDialog* dialog = form_dialog(libedit_body);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const int devices = place_body_devices(dialog->form());
    const bool converted = place_body_converted(dialog->form());
    hide_dialog(libedit_body);
    libedit_place_body(editor(canvas), devices, converted);
}

// --- Part Names ---------------------------------------------------------------------------------
void fill_names() {
    FormDialog* dialog = form_dialog(libedit_name);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    LibEdit* ed = editor(canvas);
    names_ok = false;
    part_names_listed(dialog->form(), names_dialog_fill(ed));
    dialog->Fill();
    set_label(dialog, PN_COUNT, names_count_text(ed));
}

}  // namespace

void names_dialog_close(EnhancedDialog& dialog) {
    // The close box takes back what the dialog did; Ok keeps it.
    EditCanvas* owner = canvas_of(&dialog);
    const bool ok = names_ok;
    destroy_registered_dialog(dialog);
    if (owner) names_dialog_finish(editor(owner), ok);
}

void libedit_button(long client) { libedit_command(client); }

namespace {

void build_part_names(EditCanvas* canvas) {
    FormDialog* dialog = new_registered_dialog(
        &libedit_name, "Tessaron: Part Names", "libedit_name", dialog_style & ~DIALOG_CANCEL_MASK,
        false, Form(part_names_rows()), libedit_button, names_dialog_close);
    dialog->BuildRows();
    dialog->Fit();
    dialog->client_word = word_of(canvas);
    names_dialog_open(editor(canvas));
}

void names_command(long id) {
    FormDialog* dialog = form_dialog(libedit_name);
    EditCanvas* canvas = canvas_of(dialog);
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
            names_ok = true;
            hide_dialog(libedit_name);
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
    FormDialog* dialog = form_dialog(libedit_partinfo);
    if (!dialog || !canvas) return;
    std::vector<std::string> values = part_info_values(editor(canvas));
    for (size_t i = 0; i < values.size(); ++i)
        set_label(dialog, PI_VALUES + static_cast<int>(i), values[i]);
}

// --- Get Vector Definition ---------------------------------------------------------------------------
// The library kept by the search, when it is still there (the window's
// own library goes with its window).
Library* searched_library() {
    if (!vector_search.library) return nullptr;
    if (!vector_search.own) return vector_search.library;
    EditCanvas* canvas = canvas_of(libedit_vector);
    if (canvas && libedit_library(editor(canvas)) == vector_search.library)
        return vector_search.library;
    vector_search = VectorSearch{};
    return nullptr;
}

void drop_vector_search() {
    searched_library();  // forgets the window's library when it went
    vector_search_drop(&vector_search);
    vector_entry = nullptr;
}

void fill_get_vector() {
    FormDialog* dialog = form_dialog(libedit_vector);
    if (!dialog) return;
    int count = 0;
    char** files = list_library_files(&count);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.emplace_back(files[i]);
    free_name_array(files, count);
    get_vector_listed(dialog->form(), std::move(names));
    dialog->Fill();
}

void search_vector_parts() {
    FormDialog* dialog = form_dialog(libedit_vector);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    Form& form = dialog->form();
    if (get_vector_pattern(form)) dialog->Fill();
    searched_library();
    const std::string library = form.text(GV_LIBRARY);
    const std::string pattern = form.text(GV_PART);
    std::vector<std::string> names;
    int result = 0;
    {
        wxBusyCursor searching;
        result = libedit_vector_search(editor(canvas), &vector_search, library.c_str(),
                                       pattern.c_str(), &names);
    }
    if (result != 0) {
        pin_message(dialog, result, result == LIB_NOT_FOUND ? library.c_str() : pattern.c_str());
        return;
    }
    if (get_vector_parts_found(form, std::move(names))) dialog->Fill();
}

}  // namespace

void vector_dialog_close(EnhancedDialog& dialog) {
    destroy_registered_dialog(dialog);
    drop_vector_search();
}

namespace {

void open_vector_options(EditCanvas* canvas, const VectorOptions& options) {
    open_dialog({&vector_definition,
                 "vector_definition",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &vector_definition, "Tessaron: Get Vector OptionsDefinition",
                         "vector_definition", dialog_style, false, Form(vector_options_rows()),
                         libedit_button, vector_dialog_close);
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
    FormDialog* dialog = form_dialog(vector_definition);
    if (!dialog) return;
    vector_options_load(dialog->form(), options);
    dialog->Fill();
}

void get_vector() {
    FormDialog* dialog = form_dialog(libedit_vector);
    EditCanvas* canvas = canvas_of(dialog);
    Library* library = searched_library();
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
    vector_entry = entry;
    open_vector_options(canvas, options);
}

void apply_vector() {
    FormDialog* dialog = form_dialog(vector_definition);
    EditCanvas* canvas = canvas_of(dialog);
    if (!dialog || !canvas) return;
    dialog->Read();
    const VectorOptions options = vector_options_scan(dialog->form());
    if (vector_entry && searched_library())
        libedit_apply_vector_definition(editor(canvas), vector_entry, options);
    hide_dialog(vector_definition);
    application().mark_modified(canvas);
    application().enable_library_part_menus(canvas);
    canvas->Redraw();
    hide_dialog(libedit_vector);
}

void vector_command(long id) {
    FormDialog* dialog = form_dialog(libedit_vector);
    if (!dialog) return;
    Form& form = dialog->form();
    switch (id) {
        case LE_VECTOR_LIBRARIES:
            dialog->Read();
            get_vector_library_chosen(form);
            dialog->Fill();
            search_vector_parts();
            break;
        case LE_VECTOR_LIBRARY_EDITED:
            dialog->Read();
            get_vector_library_typed(form);
            dialog->Fill();
            search_vector_parts();
            break;
        case LE_VECTOR_PART_EDITED:
        case LE_VECTOR_SEARCH: search_vector_parts(); break;
        case LE_VECTOR_PARTS:
            dialog_message_pin(dialog, "  ");
            dialog->Read();
            get_vector_part_chosen(form);
            dialog->Fill();
            break;
        case LE_VECTOR_GET: get_vector(); break;
        default: break;
    }
}

}  // namespace

// --- openers ----------------------------------------------------------------------------------------
void open_get_part(EditCanvas* canvas) {
    const bool building = libedit_part_load == nullptr;
    open_dialog({&libedit_part_load, "libedit_part_load", build_get_part, {}, word_of(canvas)});
    if (!building || !libedit_part_load) return;
    // Built now: Scan runs at once, an empty pattern listing every part.
    FormDialog* dialog = form_dialog(libedit_part_load);
    dialog->form().set_text(GP_SELECTED, "");
    dialog->Fill();
    scan_parts();
}

void open_place_body(EditCanvas* canvas) {
    open_dialog({&libedit_body,
                 "libedit_body",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_body, "Tessaron: Place Body", "libedit_body", dialog_style, false,
                         Form(place_body_rows()), libedit_button);
                     dialog->BuildRows();
                     dialog->form().set_number(PB_DEVICES, 1);
                     dialog->Fill();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
}

void open_part_names(EditCanvas* canvas) {
    if (!canvas) return;
    if (!libedit_first_placed(editor(canvas))) {
        beep();
        error_box(nullptr, "Error", MB_ICON_STOP, 50001);
        return;
    }
    // Opened for another window: what it did there is kept.
    if (libedit_name && canvas_of(libedit_name) != canvas) {
        names_ok = true;
        hide_dialog(libedit_name);
    }
    open_dialog({&libedit_name, "libedit_name", [canvas] { build_part_names(canvas); }, fill_names,
                 word_of(canvas)});
}

void open_part_info(EditCanvas* canvas) {
    if (!canvas || !libedit_first_placed(editor(canvas))) return;
    open_dialog({&libedit_partinfo,
                 "libedit_partinfo",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_partinfo, "Tessaron: Part Info ", "libedit_partinfo",
                         dialog_style, false, Form(part_info_rows()), libedit_button);
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 {},
                 word_of(canvas)});
    show_part_info(canvas);
}

void open_get_vector(EditCanvas* canvas) {
    open_dialog({&libedit_vector, "libedit_vector",
                 [] {
                     FormDialog* dialog = new_registered_dialog(
                         &libedit_vector, "Tessaron: Get Vector Definition", "libedit_vector",
                         dialog_style_message, false, Form(get_vector_rows()), libedit_button,
                         [](EnhancedDialog& closing) {
                             destroy_registered_dialog(closing);
                             // Its options use what it found: they go first.
                             if (!vector_definition) drop_vector_search();
                         });
                     dialog->BuildRows();
                     dialog->Fit();
                 },
                 fill_get_vector, word_of(canvas)});
}

void libedit_partinfo_refresh(EditCanvas* canvas) {
    if (libedit_partinfo && canvas == canvas_of(libedit_partinfo) &&
        libedit_first_placed(editor(canvas)))
        show_part_info(canvas);
}

void names_dialog_refill(EditCanvas* canvas) {
    if (libedit_name && canvas == canvas_of(libedit_name)) fill_names();
}

EditCanvas* libedit_dialog_canvas(EnhancedDialog* dialog, bool template_too) {
    return canvas_of(dialog, template_too);
}

void libedit_command(long id) {
    EditCanvas* current = application().current_canvas();
    if (long context = libedit_help_context(id, current ? current->kind : 0)) {
        application().show_help(help_file, context);
        return;
    }
    switch (id) {
        case LE_NAMES_LIST:
        case LE_NAMES_OK:
        case LE_NAMES_ADD:
        case LE_NAMES_DELETE:
        case LE_NAMES_MODIFY: names_command(id); break;
        case LE_BODY_PLACE: place_body(); break;
        case LE_PART_OK: get_part_ok(); break;
        case LE_PART_SCAN: scan_parts(); break;
        case LE_PART_LIST: part_chosen(); break;
        case LE_VECTOR_LIBRARIES:
        case LE_VECTOR_PARTS:
        case LE_VECTOR_PART_EDITED:
        case LE_VECTOR_LIBRARY_EDITED:
        case LE_VECTOR_SEARCH:
        case LE_VECTOR_GET: vector_command(id); break;
        case LE_VECTOR_OPTIONS_OK: apply_vector(); break;
        default: libedit_item_command(id); break;  // the item dialogs' ids
    }
}
