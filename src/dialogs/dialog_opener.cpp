#include "dialogs/dialog_opener.h"

#include <cstdio>
#include <utility>

#include "canvas/application.h"
#include "foundation/errors.h"
#include "foundation/services.h"

std::vector<EnhancedDialog**> dialog_list;

void center_dialog(wxWindow* dialog) {
    if (!dialog) return;
    if (application().main_window())
        dialog->CentreOnParent();
    else
        dialog->Centre();
}

void destroy_registered_dialog(EnhancedDialog& dialog) {
    for (auto it = dialog_list.begin(); it != dialog_list.end(); ++it) {
        if (**it == &dialog) {
            **it = nullptr;
            dialog_list.erase(it);
            break;
        }
    }
    dialog.Destroy();
}

void forget_registered_dialogs() {
    for (EnhancedDialog** global : dialog_list) *global = nullptr;
    dialog_list.clear();
}

FormDialog* new_registered_dialog(EnhancedDialog** global, const char* title,
                                  const char* window_name, long style, bool modal, Form form,
                                  FormDialog::Command command, EnhancedDialog::OnClose on_close) {
    auto* dialog = new FormDialog(application().main_window(), title, window_name, style, modal,
                                  std::move(form), std::move(command), std::move(on_close));
    *global = dialog;
    dialog_list.push_back(global);
    center_dialog(dialog);
    return dialog;
}

void open_dialog(const DialogOpening& opening) {
    EnhancedDialog** global = opening.global;
    if (!*global) {
        if (!memory_available()) no_memory();
        if (opening.build) opening.build();
        if (*global) {
            center_dialog(*global);
            if (opening.fill) opening.fill();
        }
    }
    EnhancedDialog* dialog = *global;
    if (!dialog) {
        char line[200];
        std::snprintf(line, sizeof line, "No Memory while creating %s\n", opening.window_name);
        services().debug_write(line);
        return;
    }
    dialog->SetMessage("");
    dialog->client_word = opening.client_word;
    if (!dialog->IsShown()) dialog->Show(true, false);
}
