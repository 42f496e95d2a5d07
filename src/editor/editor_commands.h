#pragma once
// The sheet editor's menu commands (no window types here: the shell's
// command table runs them on a canvas's session). Their ids are in
// editor/command_ids.h.
#include <cstdint>

#include "editor/command_ids.h"

struct EditSession;

// The Place commands start their modes with the values of the
// configuration properties, as the dialogs that set them will.
//
// Wire, Bus, Line, Circle and Box: the drawing tool drawing that shape
// (kind DRAW_KIND_*, a drawing line, a bus).
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
