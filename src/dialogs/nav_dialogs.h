#pragma once
// The windows of the navigation dialogs (dialogs/nav_forms.h): Bookmark
// Name, Jump XY Position and Find Text, whose buttons hand their ids to
// tool_dialog_command (always on the current canvas), and the
// Shortcuts dialog with its own handler. Find Text and Shortcuts are
// modeless: they stay open while the user works in a sheet.
class EditCanvas;
class EnhancedDialog;

extern EnhancedDialog* name_tags;
extern EnhancedDialog* jump_xypos;
extern EnhancedDialog* find_text;
extern EnhancedDialog* shortcuts;

// Bookmark Name for a slot 0..4 of the canvas's view (after "Place Book
// Mark" stored the bookmark's place).
void edit_bookmark(EditCanvas* canvas, int slot);
// The Find (match count reset) and Jump XY Position commands.
void open_find_text(EditCanvas* canvas);
void open_jump_xypos(EditCanvas* canvas);

// The match count forgotten (the Add commands and Edit Item start afresh):
// Main Mode's repeat flag off, Find's step buttons off and its count gone.
void reset_match_count(EditCanvas* canvas);

void tool_dialog_callback(long client_word);
void tool_dialog_command(long id);

// The Shortcuts command: the dialog refreshed from the canvas and shown.
void open_shortcuts(EditCanvas* canvas);
// While the dialog exists: both selections cleared and everything listed
// again from the canvas's modes (a mode pushed or popped, a window
// activated or made).
void shortcuts_refresh(EditCanvas* canvas);
void shortcuts_command(long id);
