#pragma once
// The item dialogs of a sheet: one entry, edit_item, opens the dialog of an
// edit kind (editor/item_edit.h) for an item of the canvas's sheet, or for
// a new item when there is none; the dialog is built, filled from the item
// (through the properties) and shown, modal, and is destroyed when it
// closes. Each dialog belongs to the canvas it was opened for (the canvas's
// `dialogs`, which keep its slot and its working state): two windows never
// share one. Every button and reacting item of these dialogs hands its
// command id to item_dialog_command with that canvas, which runs the
// dialog's action on it and its current item.
//
// The plain forms and what their actions do to the document are in
// dialogs/forms/text_form.h and the other *_form.h files; this file holds the
// windows.
#include "foundation/geometry.h"

class EditCanvas;
class EnhancedDialog;
struct SchItem;
struct Text;

// The on-close callbacks of Edit Part and Set Title Block Info: their
// working state goes with them.
void edit_part_closed(EditCanvas* canvas, EnhancedDialog& dialog);
void edit_infos_closed(EditCanvas* canvas, EnhancedDialog& dialog);

// The canvas's Add/Edit Sheet dialog's builder (its slot "file_sheet_load")
// and the label of its main button ("Add" or "Change").
void sheet_dialog(EditCanvas* canvas);
void sheet_dialog_set_action_label(EditCanvas* canvas, const char* label);

// The title-block dialog of a sheet canvas: Set Title Block Info, filled
// from the document, the field the text shows selected (the first for
// none). On a title-block canvas, the control dialog of the text.
void show_title_block_dialog(EditCanvas* canvas, Text* text);

// Opens the dialog of the edit code for the item (null: a new item of the
// kind). A text of the title block opens the title-block dialog instead.
// False when nothing was opened.
bool edit_item(EditCanvas* canvas, SchItem* item, Point p, int code);

// The command handler of the item dialogs' buttons and reacting items, on
// the canvas the dialog belongs to; nothing without its document.
void item_dialog_command(EditCanvas* canvas, long id);
