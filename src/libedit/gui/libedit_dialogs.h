#pragma once
// The library editor's dialogs on the dialog base (dialogs/form_dialog.h):
// Get Part, Place Body, Part Names, Part Info, Get Vector Definition and its
// options, made from their forms (libedit/forms/part_forms.h, which names
// their fields). Their values and actions are the editor's
// (libedit/libedit_dialogs.h); every button and reacting item reports its
// client id (libedit/forms/dialog_ids.h) to libedit_command with the canvas
// the dialog belongs to. Each dialog is the canvas's own (its `dialogs`,
// which keep its slot, named after its window, and what it remembers) and
// goes with it.
#include "libedit/forms/part_forms.h"

class EditCanvas;
class EnhancedDialog;

// The client ids of the library and template editors' dialogs on the
// canvas they belong to: a Help button shows its page, any other id runs
// its action.
void libedit_command(EditCanvas* canvas, long id);
// The on-close callbacks of Part Names (its close box takes back what it
// did, Ok keeps it) and of the vector options (the library the search kept
// goes, unless it is a window's own).
void names_dialog_close(EditCanvas* canvas, EnhancedDialog& dialog);
void vector_dialog_close(EditCanvas* canvas, EnhancedDialog& dialog);

// The openers of the Place menu's entries (commands 20202, 20209, 20216,
// 20208, 20223) on a library canvas.
void open_get_part(EditCanvas* canvas);
void open_place_body(EditCanvas* canvas);
// Without a part under edit: the bell and "Place Body First !!!".
void open_part_names(EditCanvas* canvas);
void open_part_info(EditCanvas* canvas);
void open_get_vector(EditCanvas* canvas);

// The part under edit changed: Part Info shows it when it is open.
void libedit_partinfo_refresh(EditCanvas* canvas);
// The part's names changed: Part Names lists them again when it is open.
void names_dialog_refill(EditCanvas* canvas);
