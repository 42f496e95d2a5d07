#pragma once
// Commands: every menu item, accelerator, toolbar and palette button and
// process dialog names what it does by a command id 20004..20336 (one
// enum of them, editor/command_ids.h).
//
// Two tables describe them. The command table (CommandRow, command_rows)
// says what an id does: its handler and where it is available (the canvas
// kinds it runs on and what the document must offer). menu_command runs an
// id by one look-up in it, and the menus and the toolbar grey an entry by
// the same look-up. The menu layout (CommandEntry, command_table) says
// where an id stands in the menu bars: its menu, label (with the
// accelerator after a tab, which the accelerator table is built from) and
// status-line help. An id the layout shows and no row handles stays in the
// menus, greyed out, until its dialog or editor brings its row.
//
// This file holds no wxWidgets type, so both tables are checked without a
// display.
#include <cstdint>
#include <vector>

#include "editor/command_ids.h"
#include "editor/tool_mode.h"

class EditCanvas;
struct Schema;

// Menu bars: one per canvas kind that has a window of its own.
enum : unsigned {
    BAR_NONE = 1u << CANVAS_NONE,
    BAR_SHEET = 1u << CANVAS_SHEET,
    BAR_LIBRARY = 1u << CANVAS_LIBRARY,
    BAR_TEMPLATE = 1u << CANVAS_TEMPLATE,
    BAR_EDITORS = BAR_SHEET | BAR_LIBRARY | BAR_TEMPLATE,
    BAR_ALL = BAR_NONE | BAR_EDITORS,
};

// Arguments that buttons send with their command (menus send 0).
constexpr long ARG_GROUND_BUTTON = 1;  // Power (20090): the toolbar's ground symbol
constexpr long ARG_PALETTE_FIRST = 1;  // Place Part (20086): palette slot + ARG_PALETTE_FIRST

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

// One entry of the menu layout.
struct CommandEntry {
    int id;  // 20004..20336; 0 stands for a separator
    MenuId menu;
    unsigned bars;                  // BAR_* where the entry stands
    const char* label;              // menu label, accelerator after '\t'
    const char* help;               // status-line help; may be empty
    const char* submenu = nullptr;  // label of the submenu it stands in
};

// The whole menu layout in menu order (separators included).
const std::vector<CommandEntry>& command_table();
// The first entry of that id, or null.
const CommandEntry* find_command(int id);

// --- the command table -----------------------------------------------------------------
// What a command's availability depends on: the current canvas's kind
// (CANVAS_NONE without a window) and its document.
struct CommandState {
    int kind = CANVAS_NONE;
    const Schema* document = nullptr;  // not owned
};

// What the dispatcher hands a handler.
struct CommandCall {
    EditCanvas* canvas = nullptr;  // the current canvas; null without one
    int id = 0;
    long argument = 0;  // 0 from menus; a process dialog's or button's value
};

// What a row needs of the document besides its canvas kind.
enum : unsigned {
    NEEDS_NOTHING = 0,
    NEEDS_DOCUMENT = 1u << 0,  // the canvas shows a document
    NEEDS_BOOKMARK = 1u << 1,  // the bookmark the id names (EDITOR_JUMP_FIRST + slot) is set
    NEEDS_PART = 1u << 2,      // a library window has a part under edit
};

struct CommandRow {
    int id;                                // 20004..20336
    void (*run)(const CommandCall& call);  // never null
    unsigned kinds;                        // BAR_* bits: the canvas kinds it runs on
    unsigned needs = NEEDS_NOTHING;
};

// Every row, as the command table lists them (shell/menu_command.cpp). An
// id may have several rows for different canvas kinds (a sheet's Undo and a
// library's), never two for one kind.
const std::vector<CommandRow>& command_rows();
// The one look-up: the row that runs the id in that state, or null (no row
// for the canvas kind, or the document does not offer what it needs).
const CommandRow* command_row(int id, const CommandState& state);
// Greying: true when command_row finds a row.
bool command_enabled(int id, const CommandState& state);
// True when some row handles the id, on whatever canvas kind.
bool command_available(int id);
// The state of a canvas (null: no window).
CommandState command_state(EditCanvas* canvas);

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
