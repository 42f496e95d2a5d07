#include "dialogs/dialog_opener.h"

#include <cstdio>
#include <utility>

#include "editor/gui/application.h"
#include "foundation/errors.h"
#include "foundation/services.h"

void center_dialog(wxWindow* dialog) {
    if (!dialog) return;
    if (application().main_window())
        dialog->CentreOnParent();
    else
        dialog->Centre();
}

FormDialog* new_registered_dialog(EnhancedDialog** slot, const char* title, const char* window_name,
                                  long style, bool modal, Form form, FormDialog::Command command,
                                  EnhancedDialog::OnClose on_close) {
    auto* dialog = new FormDialog(application().main_window(), title, window_name, style, modal,
                                  std::move(form), std::move(command), std::move(on_close));
    dialog_take_slot(dialog, slot);
    center_dialog(dialog);
    return dialog;
}

void open_dialog(const DialogOpening& opening) {
    EnhancedDialog** slot = opening.slot;
    if (!*slot) {
        if (!memory_available()) no_memory();
        if (opening.build) opening.build();
        if (*slot) {
            center_dialog(*slot);
            if (opening.fill) opening.fill();
        }
    }
    EnhancedDialog* dialog = *slot;
    if (!dialog) {
        char line[200];
        std::snprintf(line, sizeof line, "No Memory while creating %s\n", opening.window_name);
        services().debug_write(line);
        return;
    }
    dialog->SetMessage("");
    if (!dialog->IsShown()) dialog->Show(true, false);
}

DialogOwner* program_dialogs() { return application().program_dialogs(); }
