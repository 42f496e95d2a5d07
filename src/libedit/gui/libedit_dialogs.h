#pragma once
// The library editor's dialogs on the dialog base (dialogs/form_dialog.h):
// Get Part, Place Body, Part Names, Part Info, Get Vector Definition and its
// options, made from their forms (libedit/forms/part_forms.h, which names
// their fields). Their values and actions are the editor's
// (libedit/libedit_dialogs.h); every button and reacting item reports its
// client id (libedit/forms/dialog_ids.h) to libedit_command.
#include "libedit/forms/part_forms.h"

class EditCanvas;
class EnhancedDialog;

// The dialogs, null while they do not exist.
extern EnhancedDialog* libedit_part_load;  // "Tessaron: Get Part"
extern EnhancedDialog* libedit_body;       // "Tessaron: Place Body"
extern EnhancedDialog* libedit_name;       // "Tessaron: Part Names"
extern EnhancedDialog* libedit_partinfo;   // "Tessaron: Part Info "
extern EnhancedDialog* libedit_vector;     // "Tessaron: Get Vector Definition"
extern EnhancedDialog* vector_definition;  // "Tessaron: Get Vector OptionsDefinition"

// The window a dialog acts on: the one it was opened for while it is open,
// else the current window of that kind (a library window; with
// template_too a title-block window as well); null when none.
EditCanvas* libedit_dialog_canvas(EnhancedDialog* dialog, bool template_too = false);

// The client ids of the library and template editors' dialogs: a Help
// button shows its page, any other id runs its action.
void libedit_command(long id);
// What every button and reacting item of these dialogs calls with its id.
void libedit_button(long client);
// The on-close callbacks of Part Names (its close box takes back what it
// did, Ok keeps it) and of the vector options (the library the search kept
// goes, unless it is a window's own).
void names_dialog_close(EnhancedDialog& dialog);
void vector_dialog_close(EnhancedDialog& dialog);

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
