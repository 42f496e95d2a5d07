#pragma once
// The menu commands the sheet editor answers (no window types here, so the
// command table is checked without a display).
//
// Undo 20073, Cut 20074, Copy 20075, Paste 20076, the Place menu (20086 ..
// 20099, 20318), Open Subsheet 20019, the bookmark jumps 20062..20066 and
// marks 20112..20116.
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
    EDITOR_NETPROP = 20318,
};

// True for the ids above.
bool editor_command_available(int id);

struct EditSession;
// Runs an editor command on a sheet session. False when the id is not the
// editor's or the session is not a sheet's. The Place commands start their
// modes with the values of the configuration properties.
bool editor_run_command(EditSession* session, int id);
