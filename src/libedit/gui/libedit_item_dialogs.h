#pragma once
// The library editor's dialogs of the items of a part or a title block, on
// the dialog base (dialogs/form_dialog.h): Add/Edit Pin, View/Edit Pinout,
// Find Pin, Part Reference Prefix, User Part Fields, Add/Edit Text,
// Place/Edit IEEE Symbols and Add/Edit Control, made from their forms
// (libedit/forms/item_forms.h, which names their fields). Their values and
// actions are the editor's (libedit/libedit_pins.h, libedit/libedit_items.h);
// every button and reacting item reports its client id to libedit_command,
// which hands the ids of these dialogs to libedit_item_command. Each dialog
// belongs to the canvas it is opened for (its `dialogs`, which keep its
// slot, named after its window, and what it remembers) and goes with it.
#include "libedit/forms/item_forms.h"

class EditCanvas;
class EnhancedDialog;
struct Pin;
struct PlacedPart;
struct SchItem;

// The openers of the Place and Edit menus' entries on a library or
// title-block canvas: View/Edit Pinout, Find Pin, Part Reference Prefix,
// User Part Fields, and Add/Edit Text, Add/Edit Control and Place/Edit
// IEEE Symbols for a new item (a dialog open for the Change of an item is
// made again for the new one).
void open_pinout(EditCanvas* canvas);
void open_find_pin(EditCanvas* canvas);
void open_reference_prefix(EditCanvas* canvas);
void open_part_fields(EditCanvas* canvas);
void open_text_place(EditCanvas* canvas);
void open_control_place(EditCanvas* canvas);
void open_ieee_place(EditCanvas* canvas);
// The client ids of these dialogs' items on their canvas; false for any
// other id.
bool libedit_item_command(EditCanvas* canvas, long id);

// Add/Edit Pin for a pin of the part (Change) or a new one (pin null: Add).
// An open dialog is left as it is; it acts on the pin kept last.
void libedit_open_pin_dialog(EditCanvas* canvas, PlacedPart* placed, Pin* pin);
// An open View/Edit Pinout of the canvas lists the pins of the part under
// edit again (the row chosen kept when the part still has it).
void libedit_pinout_refresh(EditCanvas* canvas);
// The dialog of a text, IEEE symbol or title-block control of the canvas
// (the editor has made it the item under edit).
void libedit_open_item_dialog(EditCanvas* canvas, SchItem* item);
