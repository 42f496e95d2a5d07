#pragma once
// How every dialog of the program is made, found again and closed.
//
// A dialog lives in a global variable named after its window name (null
// while it does not exist). It is built when it is opened and missing,
// registered in dialog_list while it exists, and destroyed whenever it
// closes (its main button, Cancel, Escape or the close box all end in its
// on-close callback, destroy_registered_dialog, which also clears the
// variable); the next opening builds and fills it anew.
#include <functional>
#include <vector>

#include "dialogs/form_dialog.h"

class EnhancedDialog;
class wxWindow;

// The variables that hold the existing dialogs; a builder appends its own.
extern std::vector<EnhancedDialog**> dialog_list;
// Centres a dialog over the main frame; nothing for null.
void center_dialog(wxWindow* dialog);
// The on-close callback of the registered dialogs: forgets the dialog's
// variable, deletes the dialog and clears the variable.
void destroy_registered_dialog(EnhancedDialog& dialog);
// The main frame's end: its dialogs, its children, go with it; every
// variable is cleared.
void forget_registered_dialogs();

// Makes a form dialog on the main frame, stores it in *global, registers
// the global and centres the dialog. Its on-close callback is
// destroy_registered_dialog, or one of its own that calls it. The rows are
// not built yet.
FormDialog* new_registered_dialog(EnhancedDialog** global, const char* title,
                                  const char* window_name, long style, bool modal, Form form,
                                  FormDialog::Command command,
                                  EnhancedDialog::OnClose on_close = destroy_registered_dialog);

struct DialogOpening {
    EnhancedDialog** global = nullptr;
    const char* window_name = "";
    std::function<void()> build;  // makes *global (or leaves it null)
    std::function<void()> fill;   // once, after a build that made the dialog
    long client_word = 0;         // given to the dialog before it is shown
};

// Opens the dialog: when its variable is null, probes memory (100000 bytes;
// no_memory ends the program when they are not there), builds, centres and
// fills it. Then clears its message line, sets its client word and, when it
// is not shown, shows it unpinned; a modal dialog runs to its end here. A
// build that made nothing writes "No Memory while creating %s\n" with the
// window name to the debug output and shows nothing.
void open_dialog(const DialogOpening& opening);
