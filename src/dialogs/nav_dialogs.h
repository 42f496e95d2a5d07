#pragma once
// The windows of the navigation dialogs (dialogs/forms/nav_forms.h): Bookmark
// Name, Jump XY Position and Find Text, which belong to the canvas they
// are opened for (its `dialogs`: each window has its own) and hand their
// ids to tool_dialog_command on that canvas, and the Shortcuts dialog, one
// for the program (the main window's), which follows the current canvas.
// Find Text and Shortcuts are modeless: they stay open while the user
// works in a sheet.
#include <string>

class EditCanvas;
class EnhancedDialog;

// Bookmark Name for a slot 0..4 of the canvas's view (after "Place Book
// Mark" stored the bookmark's place).
void edit_bookmark(EditCanvas* canvas, int slot);
// The Find (match count reset) and Jump XY Position commands.
void open_find_text(EditCanvas* canvas);
void open_jump_xypos(EditCanvas* canvas);

// The match count forgotten (the Add commands and Edit Item start afresh):
// Main Mode's repeat flag off, Find's step buttons off and its count gone.
void reset_match_count(EditCanvas* canvas);

// The last text searched, which Find Text shows when it opens: the
// program's, kept for the whole run.
std::string& remembered_search_text();

// The ids of the canvas's Bookmark Name, Jump XY Position and Find Text.
void tool_dialog_command(EditCanvas* canvas, long id);

// The Shortcuts command: the dialog refreshed from the canvas and shown.
void open_shortcuts(EditCanvas* canvas);
// While the dialog exists: both selections cleared and everything listed
// again from the canvas's modes (a mode pushed or popped, a window
// activated or made).
void shortcuts_refresh(EditCanvas* canvas);
void shortcuts_command(long id);
