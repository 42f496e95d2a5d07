#include "shell/commands.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/documents/schema.h"
#include "model/items/view.h"

namespace {

constexpr unsigned S = BAR_SHEET;
constexpr unsigned L = BAR_LIBRARY;
constexpr unsigned T = BAR_TEMPLATE;
constexpr unsigned ED = BAR_EDITORS;
constexpr unsigned ALL = BAR_ALL;

const char* const jump_menu = "&Jump";
const char* const mark_menu = "Book &Mark";
const char* const rotate_menu = "&Rotate";

// Menu order is table order. Library and template entries with the same
// meaning as a sheet entry keep their own ids: their handlers differ.
const std::vector<CommandEntry> table = {
    // File
    {CMD_NEW, MENU_FILE, BAR_NONE | S, "&New Sheet\tCtrl+N", "Create a new sheet"},
    {CMD_NEW, MENU_FILE, L, "&New\tCtrl+N", "Start an empty library"},
    {CMD_OPEN, MENU_FILE, ALL, "&Open...\tCtrl+O", "Open a sheet, a library or a title block"},
    {CMD_SAVE, MENU_FILE, S, "&Save\tCtrl+S", "Save the sheet"},
    {CMD_SAVE_AS, MENU_FILE, S, "Save &As...", "Save the sheet under another name"},
    {CMD_LIB_SAVE, MENU_FILE, L, "&Save\tCtrl+S", "Update Current Library"},
    {CMD_LIB_SAVE_AS, MENU_FILE, L, "Save &As...", "Save the library under another name"},
    {CMD_TMPL_SAVE, MENU_FILE, T, "&Save\tCtrl+S", "Save the title block"},
    {CMD_TMPL_SAVE_AS, MENU_FILE, T, "Save &As...", "Save the title block under another name"},
    {CMD_CLOSE, MENU_FILE, ED, "&Close\tCtrl+W", "Close the window"},
    {0, MENU_FILE, ALL, "", ""},
    {CMD_NEW_LIBRARY, MENU_FILE, ALL, "New &Library", "Open an empty library editor"},
    {CMD_OPEN_LIBRARY, MENU_FILE, ALL, "Open L&ibrary...", "Open a library in the library editor"},
    {CMD_NEW_TEMPLATE, MENU_FILE, ALL, "New &Title Block", "Open an empty title-block editor"},
    {CMD_OPEN_TEMPLATE, MENU_FILE, ALL, "Open Title &Block...", "Open a title-block template"},
    {0, MENU_FILE, ED, "", ""},
    {CMD_PRINT, MENU_FILE, ED, "&Print...\tCtrl+P", "Print the window's document"},
    {CMD_PREVIEW_SHEET, MENU_FILE, S, "Print Pre&view...", "Preview the printed sheet"},
    {CMD_PREVIEW_LIBRARY, MENU_FILE, L, "Print Pre&view...", "Preview the printed part"},
    {CMD_PREVIEW_TEMPLATE, MENU_FILE, T, "Print Pre&view...", "Preview the printed title block"},
    {CMD_PRINT_SETUP, MENU_FILE, ALL, "P&rint Setup...", "Choose the printer and the page"},
    {0, MENU_FILE, ALL, "", ""},
    {CMD_EXIT, MENU_FILE, ALL, "E&xit", "Quit the editor"},

    // Edit
    {CMD_UNDO, MENU_EDIT, S | L, "&Undo\tCtrl+Z", "Undo the last change"},
    {20248, MENU_EDIT, T, "&Undo\tCtrl+Z", "Undo the last change"},
    {20074, MENU_EDIT, S | L, "Cu&t\tCtrl+X", "Cut Selected Items"},
    {20075, MENU_EDIT, S | L, "&Copy\tCtrl+C", "Copy Selected Items"},
    {20076, MENU_EDIT, S, "&Paste\tCtrl+V", "Paste"},
    {20078, MENU_EDIT, S | L, "&Move", "Move the selection"},
    {20068, MENU_EDIT, S | L, "&90 Degrees", "Rotate a quarter turn", rotate_menu},
    {20069, MENU_EDIT, S | L, "&180 Degrees", "Rotate a half turn", rotate_menu},
    {20070, MENU_EDIT, S | L, "&270 Degrees", "Rotate three quarter turns", rotate_menu},
    {20071, MENU_EDIT, S | L, "Mirror &X", "Mirror top to bottom", rotate_menu},
    {20072, MENU_EDIT, S | L, "Mirror &Y", "Mirror left to right", rotate_menu},
    {20249, MENU_EDIT, T, "Cu&t\tCtrl+X", "Cut Selected Items"},
    {20250, MENU_EDIT, T, "&Copy\tCtrl+C", "Copy Selected Items"},
    {20251, MENU_EDIT, T, "&Move", "Move the selection"},
    {20255, MENU_EDIT, T, "&90 Degrees", "Rotate a quarter turn", rotate_menu},
    {20256, MENU_EDIT, T, "&180 Degrees", "Rotate a half turn", rotate_menu},
    {20257, MENU_EDIT, T, "&270 Degrees", "Rotate three quarter turns", rotate_menu},
    {20253, MENU_EDIT, T, "Mirror &X", "Mirror top to bottom", rotate_menu},
    {20254, MENU_EDIT, T, "Mirror &Y", "Mirror left to right", rotate_menu},
    {CMD_EDIT_ITEM, MENU_EDIT, S, "Edit &Item...\tCtrl+E", "Edit an item"},
    {20247, MENU_EDIT, S, "Title &Block...", "Set Title Block Info"},
    {0, MENU_EDIT, S, "", ""},
    {CMD_FIND, MENU_EDIT, S, "&Find...\tCtrl+F", "Find a text"},
    {CMD_FIND_TEMPLATE, MENU_EDIT, T, "&Find...", "Find a text"},
    {CMD_FIND, MENU_EDIT, L, "&Find Pin...\tCtrl+F", "Find a pin by its number or name"},
    {CMD_JUMP_XY, MENU_EDIT, S, "&XY Pos...", "Jump to Specified Position", jump_menu},
    {20062, MENU_EDIT, S, "Mark &A", "Jump to a bookmark", jump_menu},
    {20063, MENU_EDIT, S, "Mark &B", "Jump to a bookmark", jump_menu},
    {20064, MENU_EDIT, S, "Mark &C", "Jump to a bookmark", jump_menu},
    {20065, MENU_EDIT, S, "Mark &D", "Jump to a bookmark", jump_menu},
    {20066, MENU_EDIT, S, "Mark &E", "Jump to a bookmark", jump_menu},
    {20112, MENU_EDIT, S, "Mark &A...", "Set a bookmark", mark_menu},
    {20113, MENU_EDIT, S, "Mark &B...", "Set a bookmark", mark_menu},
    {20114, MENU_EDIT, S, "Mark &C...", "Set a bookmark", mark_menu},
    {20115, MENU_EDIT, S, "Mark &D...", "Set a bookmark", mark_menu},
    {20116, MENU_EDIT, S, "Mark &E...", "Set a bookmark", mark_menu},

    // View
    {CMD_ZOOM_IN, MENU_VIEW, ED, "Zoom &In\tCtrl++", "Show more detail"},
    {CMD_ZOOM_OUT, MENU_VIEW, ED, "Zoom &Out\tCtrl+-", "Show more of the drawing"},
    {CMD_ZOOM_FIT, MENU_VIEW, ED, "Zoom &Fit\tCtrl+0", "Fit the drawing into the window"},
    {CMD_ZOOM_ONE, MENU_VIEW, ED, "Zoom &1:1", "Zoom to the natural size"},
    {CMD_REDRAW, MENU_VIEW, ED, "&Redraw", "Draw the window again"},
    {0, MENU_VIEW, ALL, "", ""},
    {CMD_PALETTE, MENU_VIEW, ALL, "Part &Palette", "Show or hide the part palette"},

    // Place (sheet)
    {CMD_PLACE_PART, MENU_PLACE, S, "&Part...\tCtrl+G", "Add Parts"},
    {CMD_WIRE, MENU_PLACE, S, "&Wire", "Add Wires"},
    {20088, MENU_PLACE, S, "B&us", "Add Buses"},
    {20089, MENU_PLACE, S, "&Junction\tCtrl+J", "Add Junctions"},
    {20090, MENU_PLACE, S, "Pow&er...", "Add Power Symbols"},
    {20091, MENU_PLACE, S, "&Net...", "Add Sheet Nets"},
    {20092, MENU_PLACE, S, "P&ort...", "Add Ports"},
    {20093, MENU_PLACE, S, "&Text...", "Add Texts"},
    {20094, MENU_PLACE, S, "No &Connect", "Add No Connect Marks"},
    {20095, MENU_PLACE, S, "&Sheet...", "Add Sheets"},
    {20318, MENU_PLACE, S, "Net P&roperties...", "Add Net Properties"},
    {20119, MENU_PLACE, S, "Title Bloc&k...", "Put a title block file on the sheet"},
    {0, MENU_PLACE, S, "", ""},
    {20097, MENU_PLACE, S, "&Line", "Add Lines"},
    {20098, MENU_PLACE, S, "C&ircle", "Add Circles"},
    {20099, MENU_PLACE, S, "Bo&x", "Add Boxes"},
    {0, MENU_PLACE, S, "", ""},
    {CMD_OPEN_SUBSHEET, MENU_PLACE, S, "&Open Subs&heet", "Descend into Hierarchy"},
    // Place (library)
    {20202, MENU_PLACE, L, "Par&t...", "Get a part of the library"},
    {20208, MENU_PLACE, L, "Part &Info...", "Part information"},
    {20209, MENU_PLACE, L, "&Body...", "Place Body"},
    {20210, MENU_PLACE, L, "&Line", "Add Lines"},
    {20211, MENU_PLACE, L, "&Circle", "Add Circles"},
    {20222, MENU_PLACE, L, "Bo&x", "Add Boxes"},
    {20212, MENU_PLACE, L, "&Arc Center", "Add Arcs by Center"},
    {20213, MENU_PLACE, L, "Arc &End Point", "Add Arcs by End Point"},
    {20220, MENU_PLACE, L, "F&illed Circle", "Add Filled Circles"},
    {20221, MENU_PLACE, L, "&Filled Polygon", "Add Filled Polygons"},
    {20214, MENU_PLACE, L, "&Text...", "Add Texts"},
    {20215, MENU_PLACE, L, "&Pin...", "Add Pins"},
    {20216, MENU_PLACE, L, "&Names...", "Part Names"},
    {20217, MENU_PLACE, L, "&Reference...", "Reference Prefix"},
    {20218, MENU_PLACE, L, "Fiel&d...", "Part Fields"},
    {20223, MENU_PLACE, L, "Get &Vector Def. ...", "Get Vector Definition"},
    {20224, MENU_PLACE, L, "&IEEE...", "Place IEEE Symbols"},
    {20225, MENU_PLACE, L, "&Report Pinout...", "Report Pinout"},
    // Place (title block)
    {20238, MENU_PLACE, T, "&Line", "Add Lines"},
    {20239, MENU_PLACE, T, "&Circle", "Add Circles"},
    {20240, MENU_PLACE, T, "&Box", "Add Boxes"},
    {20241, MENU_PLACE, T, "&Arc Center", "Add Arcs by Center"},
    {20242, MENU_PLACE, T, "Arc &End Point", "Add Arcs by End Point"},
    {20244, MENU_PLACE, T, "F&illed Circle", "Add Filled Circles"},
    {20245, MENU_PLACE, T, "&Filled Polygon", "Add Filled Polygons"},
    {20243, MENU_PLACE, T, "&Text...", "Add Texts"},
    {20247, MENU_PLACE, T, "C&ontrols...", "Title Block Controls"},

    // Tools
    {20184, MENU_TOOLS, ALL, "&ERC...", "Electrical Rule Check"},
    {20185, MENU_TOOLS, ALL, "&Annotate...", "Annotate the references"},
    {20186, MENU_TOOLS, ALL, "&BackAnnotate...", "Back-annotate from a change file"},
    {20191, MENU_TOOLS, ALL, "Bill of &Material...", "Bill of Material"},
    {20200, MENU_TOOLS, ALL, "&Netlist Output...", "Write a netlist"},
    {0, MENU_TOOLS, ALL, "", ""},
    {20197, MENU_TOOLS, ALL, "Compile &Sheet...", "Compile an ASCII sheet"},
    {20196, MENU_TOOLS, ALL, "&Decompile Sheet...", "Write a sheet as ASCII"},
    {20187, MENU_TOOLS, ALL, "Compile &Library...", "Compile an ASCII library"},
    {20188, MENU_TOOLS, ALL, "Decompile L&ibrary...", "Write a library as ASCII"},
    {20189, MENU_TOOLS, ALL, "A&rchive Library...", "Archive the parts of sheets"},
    {20190, MENU_TOOLS, ALL, "Lis&t Library...", "List a library"},
    {20319, MENU_TOOLS, ALL, "Compile &Title Block...", "Compile an ASCII title block"},
    {20320, MENU_TOOLS, ALL, "Decompile Title Bloc&k...", "Write a title block as ASCII"},
    {0, MENU_TOOLS, ALL, "", ""},
    {20193, MENU_TOOLS, ALL, "&OrCAD Converter...", "Import OrCAD SDT files"},

    // Options
    {CMD_SETUP, MENU_OPTIONS, ALL, "&Setup...", "Preferences"},
    {CMD_SHORTCUTS, MENU_OPTIONS, ED, "&ShortCuts...", "Show Actives Keys"},
    {CMD_STATISTICS, MENU_OPTIONS, ED, "&Statistics", "Count the items"},
    {CMD_TIPS, MENU_OPTIONS, ALL, "&Tips...", "Tip of the day"},

    // Window
    {CMD_CASCADE, MENU_WINDOW, ALL, "&Cascade", "Arrange the windows"},
    {CMD_TILE, MENU_WINDOW, ALL, "&Tile", "Arrange the windows side by side"},
    {CMD_LOG_WINDOW, MENU_WINDOW, ALL, "&Log Window", "Show the log window"},

    // Help
    {CMD_HELP_CONTENTS, MENU_HELP, ALL, "&Contents\tF1", "Help contents"},
    {CMD_HELP_SEARCH, MENU_HELP, ALL, "&Search for Help On...", "Search the help"},
    {0, MENU_HELP, ALL, "", ""},
    {CMD_ABOUT, MENU_HELP, ALL, "&About...", "About the editor"},
};

}  // namespace

const char* menu_title(MenuId menu) {
    static const char* const titles[MENU_COUNT] = {"&File",  "&Edit",    "&View",   "&Place",
                                                   "&Tools", "&Options", "&Window", "&Help"};
    return menu < MENU_COUNT ? titles[menu] : "";
}

const std::vector<CommandEntry>& command_table() { return table; }

const CommandEntry* find_command(int id) {
    if (id == 0) return nullptr;
    for (const CommandEntry& e : table)
        if (e.id == id) return &e;
    return nullptr;
}

namespace {

constexpr int ID_COUNT = CMD_LAST - CMD_FIRST + 1;

// The rows of each id, built once from the command table.
const std::vector<const CommandRow*>& rows_of(int id) {
    static const std::vector<std::vector<const CommandRow*>> index = [] {
        std::vector<std::vector<const CommandRow*>> by_id(ID_COUNT);
        for (const CommandRow& row : command_rows())
            if (row.id >= CMD_FIRST && row.id <= CMD_LAST)
                by_id[row.id - CMD_FIRST].push_back(&row);
        return by_id;
    }();
    static const std::vector<const CommandRow*> none;
    return id >= CMD_FIRST && id <= CMD_LAST ? index[id - CMD_FIRST] : none;
}

bool bookmark_set(int id, const Schema* document) {
    Point at;
    bool in_use = false;
    view_get_tag(&document->view, id - CMD_JUMP_FIRST, &at, &in_use);
    return in_use;
}

bool offers(const CommandRow& row, const CommandState& state) {
    if (!(row.kinds & (1u << state.kind))) return false;
    if ((row.needs & (NEEDS_DOCUMENT | NEEDS_BOOKMARK | NEEDS_PART)) && !state.document)
        return false;
    if ((row.needs & NEEDS_BOOKMARK) && !bookmark_set(row.id, state.document)) return false;
    if ((row.needs & NEEDS_PART) && !schema_get_edit_part(const_cast<Schema*>(state.document)))
        return false;
    return true;
}

}  // namespace

const CommandRow* command_row(int id, const CommandState& state) {
    if (state.kind < CANVAS_NONE || state.kind > CANVAS_PREVIEW) return nullptr;
    for (const CommandRow* row : rows_of(id))
        if (offers(*row, state)) return row;
    return nullptr;
}

bool command_enabled(int id, const CommandState& state) {
    return command_row(id, state) != nullptr;
}

bool command_available(int id) { return !rows_of(id).empty(); }

bool parse_accelerator(const char* label, Accelerator* out) {
    const char* tab = label ? std::strchr(label, '\t') : nullptr;
    if (!tab) return false;
    std::string rest = tab + 1;
    Accelerator a;
    for (;;) {
        if (rest.rfind("Ctrl+", 0) == 0) {
            a.modifiers |= 1;
            rest.erase(0, 5);
        } else if (rest.rfind("Alt+", 0) == 0) {
            a.modifiers |= 2;
            rest.erase(0, 4);
        } else if (rest.rfind("Shift+", 0) == 0) {
            a.modifiers |= 4;
            rest.erase(0, 6);
        } else {
            break;
        }
    }
    if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
        a.key = std::toupper(static_cast<unsigned char>(rest[0]));
    } else if (rest == "+" || rest == "-") {
        a.key = rest[0];
    } else if (rest == "Del") {
        a.key = KEY_DELETE;
    } else if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F') {
        int n = std::atoi(rest.c_str() + 1);
        if (n < 1 || n > 12) return false;
        a.key = KEY_FUNCTION + n;
    } else {
        return false;
    }
    *out = a;
    return true;
}
