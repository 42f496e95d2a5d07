#pragma once
// The one table of commands: every menu item and accelerator of the main
// frame's menu bars carries a command id 20004..20336, and the frames hand
// that id to menu_command. The table says in which menu bar (by canvas
// kind) and menu an entry stands, its label (with the accelerator after a
// tab, which the accelerator table is built from), its status-line help,
// and whether its handler exists yet: commands whose dialogs or editors come
// later stay in the menus, greyed out.
//
// This file holds no wxWidgets type, so the table is checked without a
// display.
#include <cstdint>
#include <vector>

// Canvas kinds (EditCanvas::kind); 0 is "no child window".
enum : int {
    CANVAS_NONE = 0,
    CANVAS_SHEET = 1,
    CANVAS_LIBRARY = 2,
    CANVAS_TEMPLATE = 3,
    CANVAS_PREVIEW = 4,
};

// Menu bars: one per canvas kind that has a window of its own.
enum : unsigned {
    BAR_NONE = 1u << CANVAS_NONE,
    BAR_SHEET = 1u << CANVAS_SHEET,
    BAR_LIBRARY = 1u << CANVAS_LIBRARY,
    BAR_TEMPLATE = 1u << CANVAS_TEMPLATE,
    BAR_EDITORS = BAR_SHEET | BAR_LIBRARY | BAR_TEMPLATE,
    BAR_ALL = BAR_NONE | BAR_EDITORS,
};

// Command ids that the shell handles or names; the others are in the table
// only.
enum : int {
    CMD_FIRST = 20004,
    CMD_NEW = 20004,
    CMD_OPEN = 20005,
    CMD_SAVE = 20006,
    CMD_SAVE_AS = 20007,
    CMD_PRINT = 20008,
    CMD_PRINT_SETUP = 20009,
    CMD_EXIT = 20010,
    CMD_CLOSE = 20013,
    CMD_OPEN_SUBSHEET = 20019,
    CMD_LIB_SAVE = 20034,
    CMD_LIB_SAVE_AS = 20035,
    CMD_FIND = 20058,
    CMD_JUMP_XY = 20061,
    CMD_JUMP_FIRST = 20062,  // .. 20066, bookmarks A..E
    CMD_UNDO = 20073,
    CMD_EDIT_ITEM = 20082,
    CMD_PLACE_PART = 20086,
    CMD_WIRE = 20087,
    CMD_ZOOM_IN = 20100,
    CMD_ZOOM_OUT = 20101,
    CMD_ZOOM_FIT = 20102,
    CMD_REDRAW = 20103,
    CMD_ZOOM_ONE = 20104,
    CMD_NEW_LIBRARY = 20110,
    CMD_OPEN_LIBRARY = 20111,
    CMD_BOOKMARK_FIRST = 20112,  // .. 20116
    CMD_NEW_TEMPLATE = 20117,
    CMD_OPEN_TEMPLATE = 20118,
    CMD_CASCADE = 20120,
    CMD_TILE = 20121,
    CMD_LOG_WINDOW = 20122,
    CMD_HELP_CONTENTS = 20123,
    CMD_HELP_SEARCH = 20124,
    CMD_ABOUT = 20125,
    CMD_PALETTE = 20126,
    CMD_SETUP = 20146,
    CMD_SHORTCUTS = 20153,
    CMD_TMPL_SAVE = 20235,
    CMD_TMPL_SAVE_AS = 20236,
    CMD_TIPS = 20330,
    CMD_STATISTICS = 20331,
    CMD_PREVIEW_SHEET = 20332,
    CMD_PREVIEW_LIBRARY = 20333,
    CMD_PREVIEW_TEMPLATE = 20334,
    CMD_LAST = 20336,
};

// Menus of the bars, in the order they stand.
enum MenuId : uint8_t {
    MENU_FILE,
    MENU_EDIT,
    MENU_VIEW,
    MENU_PLACE,
    MENU_TOOLS,
    MENU_OPTIONS,
    MENU_WINDOW,
    MENU_HELP,
    MENU_COUNT,
};
// "&File", "&Edit", ...
const char* menu_title(MenuId menu);

struct CommandEntry {
    int id;             // 20004..20336; 0 stands for a separator
    MenuId menu;
    unsigned bars;      // BAR_* where the entry stands
    const char* label;  // menu label, accelerator after '\t'
    const char* help;   // status-line help; may be empty
    const char* submenu = nullptr;  // label of the submenu it stands in
};

// The whole table in menu order (separators included).
const std::vector<CommandEntry>& command_table();
// The first entry of that id, or null.
const CommandEntry* find_command(int id);
// True when menu_command has a handler for the id now; the menus grey out
// every other entry.
bool command_available(int id);

// An accelerator parsed from a label's text after the tab: modifier bits
// (1 Ctrl, 2 Alt, 4 Shift) and the key (an upper-case letter or digit, or
// a function key F1..F12 as 0x1000 + n, or the special keys below).
enum : int { KEY_FUNCTION = 0x1000, KEY_DELETE = 0x2000, KEY_PLUS = '+', KEY_MINUS = '-' };
struct Accelerator {
    int modifiers = 0;
    int key = 0;
};
// False when the label has no accelerator or one this table does not know.
bool parse_accelerator(const char* label, Accelerator* out);
