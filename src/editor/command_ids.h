#pragma once
// Every command id of the program: what a menu entry, an accelerator, a
// toolbar or palette button sends, 20004..20336, one name per id.
//
// The sheet, library and title-block windows share the ids of commands
// that mean the same in each (Undo, Cut, Copy, Find, the rotations); the
// title-block window has ids of its own where its menu entries run other
// handlers. What an id does on each canvas kind is the command table's
// (shell/commands.h); which dialog a Tools id opens and which job its
// Execute sends is the process dialogs' table's
// (dialogs/forms/process_forms.h). No window type here: the editors name the
// commands they send back to their window.

enum : int {
    CMD_FIRST = 20004,

    // File
    CMD_NEW = 20004,
    CMD_OPEN = 20005,
    CMD_SAVE = 20006,
    CMD_SAVE_AS = 20007,
    CMD_PRINT = 20008,
    CMD_PRINT_SETUP = 20009,
    CMD_EXIT = 20010,
    CMD_CLOSE = 20013,
    CMD_LIB_SAVE = 20034,
    CMD_LIB_SAVE_AS = 20035,
    CMD_NEW_LIBRARY = 20110,
    CMD_OPEN_LIBRARY = 20111,
    CMD_NEW_TEMPLATE = 20117,
    CMD_OPEN_TEMPLATE = 20118,
    CMD_TMPL_SAVE = 20235,
    CMD_TMPL_SAVE_AS = 20236,
    CMD_PREVIEW_SHEET = 20332,
    CMD_PREVIEW_LIBRARY = 20333,
    CMD_PREVIEW_TEMPLATE = 20334,

    // Edit: the sheet's and the library's
    CMD_FIND = 20058,  // a sheet's Find Text, a library's Find Pin
    CMD_JUMP_XY = 20061,
    EDITOR_JUMP_FIRST = 20062,  // .. 20066, bookmarks A..E
    EDITOR_JUMP_LAST = 20066,
    CMD_ROTATE_90 = 20068,
    CMD_ROTATE_180 = 20069,
    CMD_ROTATE_270 = 20070,
    CMD_MIRROR_X = 20071,  // scale (1, -1)
    CMD_MIRROR_Y = 20072,  // scale (-1, 1)
    CMD_UNDO = 20073,
    CMD_CUT = 20074,
    CMD_COPY = 20075,
    CMD_PASTE = 20076,
    CMD_MOVE = 20078,
    CMD_EDIT_ITEM = 20082,
    EDITOR_MARK_FIRST = 20112,  // .. 20116, setting bookmarks A..E
    EDITOR_MARK_LAST = 20116,
    // Edit: the title block's
    TEMPLATE_CMD_UNDO = 20248,
    TEMPLATE_EDIT_CUT = 20249,
    TEMPLATE_EDIT_COPY = 20250,
    TEMPLATE_EDIT_MOVE = 20251,
    TEMPLATE_EDIT_MIRROR_X = 20253,
    TEMPLATE_EDIT_MIRROR_Y = 20254,
    TEMPLATE_EDIT_ROTATE_90 = 20255,
    TEMPLATE_EDIT_ROTATE_180 = 20256,
    TEMPLATE_EDIT_ROTATE_270 = 20257,
    CMD_FIND_TEMPLATE = 20258,

    // View
    CMD_ZOOM_IN = 20100,
    CMD_ZOOM_OUT = 20101,
    CMD_ZOOM_FIT = 20102,
    CMD_REDRAW = 20103,
    CMD_ZOOM_ONE = 20104,
    CMD_PALETTE = 20126,

    // Place: the sheet's
    EDITOR_OPEN_SUBSHEET = 20019,
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
    EDITOR_TITLE_BLOCK = 20119,
    EDITOR_NETPROP = 20318,
    // Place: the library's
    LIBEDIT_CMD_PART = 20202,
    LIBEDIT_CMD_PART_INFO = 20208,
    LIBEDIT_CMD_BODY = 20209,
    LIBEDIT_CMD_LINE = 20210,
    LIBEDIT_CMD_CIRCLE = 20211,
    LIBEDIT_CMD_ARC_CENTRE = 20212,
    LIBEDIT_CMD_ARC_END = 20213,
    LIBEDIT_CMD_TEXT = 20214,
    LIBEDIT_CMD_PIN = 20215,
    LIBEDIT_CMD_NAMES = 20216,
    LIBEDIT_CMD_REFERENCE = 20217,
    LIBEDIT_CMD_FIELDS = 20218,
    LIBEDIT_CMD_FILLED_CIRCLE = 20220,
    LIBEDIT_CMD_POLYGON = 20221,
    LIBEDIT_CMD_BOX = 20222,
    LIBEDIT_CMD_VECTOR = 20223,
    LIBEDIT_CMD_IEEE = 20224,
    LIBEDIT_CMD_PINOUT = 20225,
    // Place: the title block's (Controls is also a sheet's Edit > Title Block)
    TEMPLATE_CMD_LINE = 20238,
    TEMPLATE_CMD_CIRCLE = 20239,
    TEMPLATE_CMD_BOX = 20240,
    TEMPLATE_CMD_ARC_CENTRE = 20241,
    TEMPLATE_CMD_ARC_END = 20242,
    TEMPLATE_CMD_TEXT = 20243,
    TEMPLATE_CMD_FILLED_CIRCLE = 20244,
    TEMPLATE_CMD_POLYGON = 20245,
    TEMPLATE_CMD_CONTROLS = 20247,

    // Tools: each opens its batch job's process dialog...
    CMD_ERC = 20184,
    CMD_ANNOTATE = 20185,
    CMD_BACKANNOTATE = 20186,
    CMD_COMPILE_LIBRARY = 20187,
    CMD_DECOMPILE_LIBRARY = 20188,
    CMD_ARCHIVE_LIBRARY = 20189,
    CMD_LIST_LIBRARY = 20190,
    CMD_BILL_OF_MATERIAL = 20191,
    CMD_ORCAD_CONVERTER = 20193,
    CMD_DECOMPILE_SHEET = 20196,
    CMD_COMPILE_SHEET = 20197,
    CMD_NETLIST_OUTPUT = 20200,
    CMD_COMPILE_TITLEBLOCK = 20319,
    CMD_DECOMPILE_TITLEBLOCK = 20320,
    // ... whose Execute sends the job command, which runs the job (with or
    // without a window; no menu entry)
    JOB_DECOMPILE_SHEET = 20161,
    JOB_COMPILE_SHEET = 20162,
    JOB_ANNOTATE = 20163,  // argument 1: un-annotate
    JOB_CONVERT = 20164,
    JOB_BACKANNOTATE = 20166,
    JOB_NETLIST = 20167,
    JOB_BOM = 20169,
    JOB_ERC = 20170,
    JOB_ARCHIVE_LIBRARY = 20174,
    JOB_LIST_LIBRARY = 20178,
    JOB_COMPILE_LIBRARY = 20179,
    JOB_DECOMPILE_LIBRARY = 20180,
    JOB_COMPILE_TITLEBLOCK = 20321,
    JOB_DECOMPILE_TITLEBLOCK = 20322,

    // Options, Window, Help
    CMD_CASCADE = 20120,
    CMD_TILE = 20121,
    CMD_LOG_WINDOW = 20122,
    CMD_HELP_CONTENTS = 20123,
    CMD_HELP_SEARCH = 20124,
    CMD_ABOUT = 20125,
    CMD_SETUP = 20146,
    CMD_SHORTCUTS = 20153,
    CMD_TIPS = 20330,
    CMD_STATISTICS = 20331,

    CMD_LAST = 20336,
};
