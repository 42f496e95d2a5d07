#include "dialogs/process_dialogs.h"

#include <string>

#include <wx/button.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/forms/process_forms.h"
#include "editor/gui/application.h"
#include "editor/gui/edit_canvas.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_style.h"
#include "toolkit/file_selectors.h"
#include "toolkit/panel_items.h"

namespace {

const char* const help_file = "Tessaron.hlp";

// The slot of the dialog among the program's dialogs (the main frame's).
EnhancedDialog** slot_of(const ProcessDialog& d) { return program_dialogs()->slot(d.window_name); }

// The dialog while it exists; none without a main frame.
FormDialog* dialog_of(const ProcessDialog& d) {
    DialogOwner* owner = program_dialogs();
    return owner ? static_cast<FormDialog*>(owner->find(d.window_name)) : nullptr;
}

FormContext current_document() {
    FormContext context;
    EditCanvas* canvas = application().current_canvas();
    context.has_document = canvas != nullptr;
    if (canvas) context.document_name = application().file_name(canvas);
    return context;
}

void create(const ProcessDialog& d) {
    if (*slot_of(d)) return;
    FormDialog* dialog = new_registered_dialog(slot_of(d), d.title, d.window_name, dialog_style,
                                               true, process_form(d), process_button);
    dialog->BuildRows();
    if (d.kind == ProcessKind::ERC) erc_build_matrix(dialog);
    dialog->Fit();
}

void load(const ProcessDialog& d) {
    FormDialog* dialog = dialog_of(d);
    if (!dialog) return;
    process_load(d, dialog->form(), current_document());
    dialog->Fill();
    if (d.kind == ProcessKind::ERC) erc_load_matrix();
    // A dialog opened with the needed file field empty starts with Execute
    // disabled, as it would be after any change.
    if (d.kind == ProcessKind::CONVERTER) oconv_update_execute();
}

void store(const ProcessDialog& d) {
    FormDialog* dialog = dialog_of(d);
    if (!dialog) return;
    dialog->Read();
    process_store(d, dialog->form());
    if (d.kind == ProcessKind::ERC) erc_store_matrix();
}

void search_file(const ProcessRoute& route) {
    FormDialog* dialog = dialog_of(*route.dialog);
    if (!dialog) return;
    std::string wildcard = suffix_wildcard(route.wildcard_property);
    select_file_into(dialog, dialog->Item(route.field), strproper_get(route.directory_property),
                     wildcard.c_str(), route.message);
}

// The library chooser offers compiled libraries and OrCAD library sources;
// a name the file system cannot hold is refused (error 84).
void oconv_library_search() {
    FormDialog* dialog = dialog_of(process_dialog_of(ProcessKind::CONVERTER));
    if (!dialog) return;
    const std::string library_dir = full_dir_path(DIR_LIBRARY);
    const std::string project_dir = full_dir_path(DIR_PROJECT);
    const char* wildcards[] = {"*.clb", "*.src"};
    const char* names[] = {"Tessaron Libraries", "OrCAD 32 bits"};
    const char* directories[] = {library_dir.c_str(), project_dir.c_str()};
    int filter = 2;
    const char* chosen = filesel_multi(
        "Library to Use/Convert:", dir_in_use(DIR_LIBRARY), nullptr, nullptr, &filter, wildcards,
        names, directories, FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY, dialog, -1, -1);
    if (!chosen || !*chosen) return;
    if (!check_file_name(chosen)) {
        error_box(nullptr, "Error", MB_ICON_STOP, 84, chosen);
        return;
    }
    control_set_text(dialog->Item(PF_LIBRARY), chosen);
    oconv_update_execute();
}

void oconv_schema_search() {
    FormDialog* dialog = dialog_of(process_dialog_of(ProcessKind::CONVERTER));
    if (!dialog) return;
    const std::string suffixes = strproper_get(EXT_ORCSCH);
    const std::string extension = suffixes.empty() ? "" : suffixes.substr(1);
    const std::string wildcard = suffix_wildcard(EXT_ORCSCH);
    std::string chosen;
    if (!services().file_selector("Schematic File:", dir_in_use(DIR_PROJECT), "", extension.c_str(),
                                  wildcard.c_str(), FILE_SELECT_OPEN, dialog, &chosen) ||
        chosen.empty())
        return;
    control_set_text(dialog->Item(PF_SCHEMA), chosen.c_str());
    oconv_update_execute();
}

}  // namespace

bool open_process_dialog(int menu_command) {
    const ProcessDialog* d = process_dialog_for_menu(menu_command);
    if (!d || !program_dialogs()) return false;
    open_dialog({slot_of(*d), d->window_name, [d] { create(*d); }, [d] { load(*d); }});
    return true;
}

void process_button(long client_word) { process_command(client_word); }

void process_command(long id, const JobSink& sink) {
    const ProcessRoute route = process_route(id);
    const ProcessDialog* d = route.dialog;
    switch (route.kind) {
        case ProcessRoute::NONE: break;
        case ProcessRoute::STORE:
            store(*d);
            hide_dialog(dialog_of(*d));
            break;
        case ProcessRoute::EXECUTE:
            process_command(d->store_id, sink);
            if (sink)
                sink(application().current_canvas(), d->job_command, route.argument);
            else
                application().command(application().current_canvas(), d->job_command,
                                      route.argument);
            break;
        case ProcessRoute::SEARCH: search_file(route); break;
        case ProcessRoute::HELP: application().show_help(help_file, d->help_context); break;
        case ProcessRoute::UPDATE_EXECUTE: oconv_update_execute(); break;
        case ProcessRoute::LIBRARY_SEARCH: oconv_library_search(); break;
        case ProcessRoute::SCHEMA_SEARCH: oconv_schema_search(); break;
    }
}

void oconv_update_execute() {
    const ProcessDialog& d = process_dialog_of(ProcessKind::CONVERTER);
    FormDialog* dialog = dialog_of(d);
    if (!dialog) return;
    dialog->Read();
    if (wxWindow* execute = dialog->ButtonFor(d.execute_id))
        execute->Enable(oconv_execute_enabled(dialog->form()));
}
