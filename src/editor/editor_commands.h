#pragma once
// The sheet editor's menu commands (no window types here: the shell's
// command table runs them on a canvas's session).
//
// Undo 20073, Cut 20074, Copy 20075, Paste 20076, the Place menu (20086 ..
// 20099, 20318, Title Block 20119), Open Subsheet 20019, the bookmark jumps
// 20062..20066 and marks 20112..20116.
#include <cstdint>

enum : int {
    EDITOR_OPEN_SUBSHEET = 20019,
    EDITOR_JUMP_FIRST = 20062,
    EDITOR_JUMP_LAST = 20066,
    EDITOR_UNDO = 20073,
    EDITOR_CUT = 20074,
    EDITOR_COPY = 20075,
    EDITOR_PASTE = 20076,
    EDITOR_PLACE_PART = 20086,
    EDITOR_WIRE = 20087,
    EDITOR_BUS = 20088,
    EDITOR_JUNCTION = 20089,
    EDITOR_POWER = 20090,
    EDITOR_NET = 20091,
    EDITOR_PORT = 20092,
    EDITOR_TEXT = 20093,
    EDITOR_NOCONNECT = 20094,
    EDITOR_SHEET = 20095,
    EDITOR_LINE = 20097,
    EDITOR_CIRCLE = 20098,
    EDITOR_BOX = 20099,
    EDITOR_MARK_FIRST = 20112,
    EDITOR_MARK_LAST = 20116,
    EDITOR_TITLE_BLOCK = 20119,
    EDITOR_NETPROP = 20318,
};

struct EditSession;

// The Place commands start their modes with the values of the
// configuration properties, as the dialogs that set them will.
//
// Wire, Bus, Line, Circle and Box: the drawing tool with the shared
// selectors set (kind DRAW_KIND_*, a drawing line, a bus).
void start_drawing_tool(EditSession* session, int kind, bool line, bool bus);
// Part: the part of palette entry `slot` (PART_PALETTE_LIB, PART_PALETTE_PART
// and PART_PALETTE_CONV of that index), power pins shown by PLACE_VPOWER.
void start_part_from_palette(EditSession* session, int slot);
// A bookmark jump (bell when the slot is not set).
void jump_command(EditSession* session, int slot);
// Shows a code other than 0 of a cut, copy or paste in an error box naming
// the paste file (the file those codes concern).
void report_edit_result(int code);
// Place > Title Block: the title block of a title-block file (one the
// title-block editor saved) takes the place of the sheet's own, after the
// question "Ok to remove existing Title Block ?" when the sheet has one;
// its fonts join the document's and its controls show the sheet's fields.
// One edit with a copy of the whole document for Undo. 0 (also when the
// user keeps the old block), or the code of a file that cannot be read, in
// which case the sheet stays as it was.
int place_titleblock_file(EditSession* session, const char* file_name);
