#pragma once
// The item dialogs of a sheet: one entry, edit_item, opens the dialog of an
// edit kind (editor/item_edit.h) for an item of the canvas's sheet, or for
// a new item when there is none; the dialog is built, filled from the item
// (through the properties) and shown, modal, and is destroyed when it
// closes. Every button and reacting item of these dialogs hands its command
// id to item_dialog_command, which runs the dialog's action on the canvas
// the dialog was opened for (its client word) and that canvas's current item.
//
// The plain forms and what their actions do to the document are in
// dialogs/text_form.h and the other *_form.h files; this file holds the
// windows.
#include "foundation/geometry.h"

class EditCanvas;
class EnhancedDialog;
struct SchItem;

// The dialogs' variables, named after their windows (null while closed).
extern EnhancedDialog* text_window;
extern EnhancedDialog* edit_part;
extern EnhancedDialog* edit_field;
extern EnhancedDialog* wedit_power;
extern EnhancedDialog* wedit_port;
extern EnhancedDialog* wedit_net;
extern EnhancedDialog* edit_netprop;
extern EnhancedDialog* file_sheet_load;
extern EnhancedDialog* edit_infos;

// The on-close callbacks of Edit Part and Set Title Block Info: their
// working state goes with them.
void edit_part_closed(EnhancedDialog& dialog);
void edit_infos_closed(EnhancedDialog& dialog);

// The Add/Edit Sheet dialog's builder (into file_sheet_load) and the label
// of its main button ("Add" or "Change").
void sheet_dialog();
void sheet_dialog_set_action_label(const char* label);

// The title-block dialog of a sheet canvas: Set Title Block Info, filled
// from the document, the field of the canvas's current text selected.
void show_title_block_dialog(EditCanvas* canvas);

// Opens the dialog of the edit code for the item (null: a new item of the
// kind). A text of the title block opens the title-block dialog instead.
// False when nothing was opened.
bool edit_item(EditCanvas* canvas, SchItem* item, Point p, int code);

// The callback of the item dialogs' buttons and reacting items, and their
// command handler (on the canvas the open dialog was opened for).
void item_dialog_button(long client_word);
void item_dialog_command(long id);
