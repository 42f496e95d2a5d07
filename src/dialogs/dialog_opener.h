#pragma once
// How every dialog of the program is made, found again and closed.
//
// A dialog has an owner (toolkit/dialog_owner.h): the window it acts on
// (the canvas's `dialogs`) or the main window (`program_dialogs()`, the
// dialogs of the whole program). It lives in its owner's slot named after
// its window name (null while it does not exist), is built when it is
// opened and missing, and is destroyed whenever it closes (its main button,
// Cancel, Escape or the close box all end in its on-close callback,
// dialog_release, which also empties the slot); the next opening
// builds and fills it anew. A dialog acting on a window knows that window
// from its handler, bound when it is built; it never looks for it.
#include <functional>

#include "dialogs/form_dialog.h"
#include "toolkit/dialog_owner.h"

class EnhancedDialog;
class wxWindow;

// Centres a dialog over the main frame; nothing for null.
void center_dialog(wxWindow* dialog);
// Makes a form dialog on the main frame into the slot (the slot's owner
// then owns it) and centres it. Its on-close callback is
// dialog_release, or one of its own that calls it. The rows are
// not built yet.
FormDialog* new_registered_dialog(EnhancedDialog** slot, const char* title, const char* window_name,
                                  long style, bool modal, Form form, FormDialog::Command command,
                                  EnhancedDialog::OnClose on_close = dialog_release);

struct DialogOpening {
    EnhancedDialog** slot = nullptr;
    const char* window_name = "";
    std::function<void()> build;  // makes *slot (or leaves it null)
    std::function<void()> fill;   // once, after a build that made the dialog
};

// Opens the dialog: when its slot is empty, probes memory (100000 bytes;
// no_memory ends the program when they are not there), builds, centres and
// fills it. Then clears its message line and, when it is not shown, shows
// it unpinned; a modal dialog runs to its end here. A build that made
// nothing writes "No Memory while creating %s\n" with the window name to
// the debug output and shows nothing.
void open_dialog(const DialogOpening& opening);

// The dialogs of the whole program: the main window's (the application's,
// editor/gui/application.h); null while there is none.
DialogOwner* program_dialogs();
