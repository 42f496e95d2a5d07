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
    {TEMPLATE_CMD_UNDO, MENU_EDIT, T, "&Undo\tCtrl+Z", "Undo the last change"},
    {CMD_CUT, MENU_EDIT, S | L, "Cu&t\tCtrl+X", "Cut Selected Items"},
    {CMD_COPY, MENU_EDIT, S | L, "&Copy\tCtrl+C", "Copy Selected Items"},
    {CMD_PASTE, MENU_EDIT, S, "&Paste\tCtrl+V", "Paste"},
    {CMD_MOVE, MENU_EDIT, S | L, "&Move", "Move the selection"},
    {CMD_ROTATE_90, MENU_EDIT, S | L, "&90 Degrees", "Rotate a quarter turn", rotate_menu},
    {CMD_ROTATE_180, MENU_EDIT, S | L, "&180 Degrees", "Rotate a half turn", rotate_menu},
    {CMD_ROTATE_270, MENU_EDIT, S | L, "&270 Degrees", "Rotate three quarter turns", rotate_menu},
    {CMD_MIRROR_X, MENU_EDIT, S | L, "Mirror &X", "Mirror top to bottom", rotate_menu},
    {CMD_MIRROR_Y, MENU_EDIT, S | L, "Mirror &Y", "Mirror left to right", rotate_menu},
    {TEMPLATE_EDIT_CUT, MENU_EDIT, T, "Cu&t\tCtrl+X", "Cut Selected Items"},
    {TEMPLATE_EDIT_COPY, MENU_EDIT, T, "&Copy\tCtrl+C", "Copy Selected Items"},
    {TEMPLATE_EDIT_MOVE, MENU_EDIT, T, "&Move", "Move the selection"},
    {TEMPLATE_EDIT_ROTATE_90, MENU_EDIT, T, "&90 Degrees", "Rotate a quarter turn", rotate_menu},
    {TEMPLATE_EDIT_ROTATE_180, MENU_EDIT, T, "&180 Degrees", "Rotate a half turn", rotate_menu},
    {TEMPLATE_EDIT_ROTATE_270, MENU_EDIT, T, "&270 Degrees", "Rotate three quarter turns",
     rotate_menu},
    {TEMPLATE_EDIT_MIRROR_X, MENU_EDIT, T, "Mirror &X", "Mirror top to bottom", rotate_menu},
    {TEMPLATE_EDIT_MIRROR_Y, MENU_EDIT, T, "Mirror &Y", "Mirror left to right", rotate_menu},
    {CMD_EDIT_ITEM, MENU_EDIT, S, "Edit &Item...\tCtrl+E", "Edit an item"},
    {TEMPLATE_CMD_CONTROLS, MENU_EDIT, S, "Title &Block...", "Set Title Block Info"},
    {0, MENU_EDIT, S, "", ""},
    {CMD_FIND, MENU_EDIT, S, "&Find...\tCtrl+F", "Find a text"},
    {CMD_FIND_TEMPLATE, MENU_EDIT, T, "&Find...", "Find a text"},
    {CMD_FIND, MENU_EDIT, L, "&Find Pin...\tCtrl+F", "Find a pin by its number or name"},
    {CMD_JUMP_XY, MENU_EDIT, S, "&XY Pos...", "Jump to Specified Position", jump_menu},
    {EDITOR_JUMP_FIRST, MENU_EDIT, S, "Mark &A", "Jump to a bookmark", jump_menu},
    {EDITOR_JUMP_FIRST + 1, MENU_EDIT, S, "Mark &B", "Jump to a bookmark", jump_menu},
    {EDITOR_JUMP_FIRST + 2, MENU_EDIT, S, "Mark &C", "Jump to a bookmark", jump_menu},
    {EDITOR_JUMP_FIRST + 3, MENU_EDIT, S, "Mark &D", "Jump to a bookmark", jump_menu},
    {EDITOR_JUMP_FIRST + 4, MENU_EDIT, S, "Mark &E", "Jump to a bookmark", jump_menu},
    {EDITOR_MARK_FIRST, MENU_EDIT, S, "Mark &A...", "Set a bookmark", mark_menu},
    {EDITOR_MARK_FIRST + 1, MENU_EDIT, S, "Mark &B...", "Set a bookmark", mark_menu},
    {EDITOR_MARK_FIRST + 2, MENU_EDIT, S, "Mark &C...", "Set a bookmark", mark_menu},
    {EDITOR_MARK_FIRST + 3, MENU_EDIT, S, "Mark &D...", "Set a bookmark", mark_menu},
    {EDITOR_MARK_FIRST + 4, MENU_EDIT, S, "Mark &E...", "Set a bookmark", mark_menu},

    // View
    {CMD_ZOOM_IN, MENU_VIEW, ED, "Zoom &In\tCtrl++", "Show more detail"},
    {CMD_ZOOM_OUT, MENU_VIEW, ED, "Zoom &Out\tCtrl+-", "Show more of the drawing"},
    {CMD_ZOOM_FIT, MENU_VIEW, ED, "Zoom &Fit\tCtrl+0", "Fit the drawing into the window"},
    {CMD_ZOOM_ONE, MENU_VIEW, ED, "Zoom &1:1", "Zoom to the natural size"},
    {CMD_REDRAW, MENU_VIEW, ED, "&Redraw", "Draw the window again"},
    {0, MENU_VIEW, ALL, "", ""},
    {CMD_PALETTE, MENU_VIEW, ALL, "Part &Palette", "Show or hide the part palette"},

    // Place (sheet)
    {EDITOR_PLACE_PART, MENU_PLACE, S, "&Part...\tCtrl+G", "Add Parts"},
    {EDITOR_WIRE, MENU_PLACE, S, "&Wire", "Add Wires"},
    {EDITOR_BUS, MENU_PLACE, S, "B&us", "Add Buses"},
    {EDITOR_JUNCTION, MENU_PLACE, S, "&Junction\tCtrl+J", "Add Junctions"},
    {EDITOR_POWER, MENU_PLACE, S, "Pow&er...", "Add Power Symbols"},
    {EDITOR_NET, MENU_PLACE, S, "&Net...", "Add Sheet Nets"},
    {EDITOR_PORT, MENU_PLACE, S, "P&ort...", "Add Ports"},
    {EDITOR_TEXT, MENU_PLACE, S, "&Text...", "Add Texts"},
    {EDITOR_NOCONNECT, MENU_PLACE, S, "No &Connect", "Add No Connect Marks"},
    {EDITOR_SHEET, MENU_PLACE, S, "&Sheet...", "Add Sheets"},
    {EDITOR_NETPROP, MENU_PLACE, S, "Net P&roperties...", "Add Net Properties"},
    {EDITOR_TITLE_BLOCK, MENU_PLACE, S, "Title Bloc&k...", "Put a title block file on the sheet"},
    {0, MENU_PLACE, S, "", ""},
    {EDITOR_LINE, MENU_PLACE, S, "&Line", "Add Lines"},
    {EDITOR_CIRCLE, MENU_PLACE, S, "C&ircle", "Add Circles"},
    {EDITOR_BOX, MENU_PLACE, S, "Bo&x", "Add Boxes"},
    {0, MENU_PLACE, S, "", ""},
    {EDITOR_OPEN_SUBSHEET, MENU_PLACE, S, "&Open Subs&heet", "Descend into Hierarchy"},
    // Place (library)
    {LIBEDIT_CMD_PART, MENU_PLACE, L, "Par&t...", "Get a part of the library"},
    {LIBEDIT_CMD_PART_INFO, MENU_PLACE, L, "Part &Info...", "Part information"},
    {LIBEDIT_CMD_BODY, MENU_PLACE, L, "&Body...", "Place Body"},
    {LIBEDIT_CMD_LINE, MENU_PLACE, L, "&Line", "Add Lines"},
    {LIBEDIT_CMD_CIRCLE, MENU_PLACE, L, "&Circle", "Add Circles"},
    {LIBEDIT_CMD_BOX, MENU_PLACE, L, "Bo&x", "Add Boxes"},
    {LIBEDIT_CMD_ARC_CENTRE, MENU_PLACE, L, "&Arc Center", "Add Arcs by Center"},
    {LIBEDIT_CMD_ARC_END, MENU_PLACE, L, "Arc &End Point", "Add Arcs by End Point"},
    {LIBEDIT_CMD_FILLED_CIRCLE, MENU_PLACE, L, "F&illed Circle", "Add Filled Circles"},
    {LIBEDIT_CMD_POLYGON, MENU_PLACE, L, "&Filled Polygon", "Add Filled Polygons"},
    {LIBEDIT_CMD_TEXT, MENU_PLACE, L, "&Text...", "Add Texts"},
    {LIBEDIT_CMD_PIN, MENU_PLACE, L, "&Pin...", "Add Pins"},
    {LIBEDIT_CMD_NAMES, MENU_PLACE, L, "&Names...", "Part Names"},
    {LIBEDIT_CMD_REFERENCE, MENU_PLACE, L, "&Reference...", "Reference Prefix"},
    {LIBEDIT_CMD_FIELDS, MENU_PLACE, L, "Fiel&d...", "Part Fields"},
    {LIBEDIT_CMD_VECTOR, MENU_PLACE, L, "Get &Vector Def. ...", "Get Vector Definition"},
    {LIBEDIT_CMD_IEEE, MENU_PLACE, L, "&IEEE...", "Place IEEE Symbols"},
    {LIBEDIT_CMD_PINOUT, MENU_PLACE, L, "&Report Pinout...", "Report Pinout"},
    // Place (title block)
    {TEMPLATE_CMD_LINE, MENU_PLACE, T, "&Line", "Add Lines"},
    {TEMPLATE_CMD_CIRCLE, MENU_PLACE, T, "&Circle", "Add Circles"},
    {TEMPLATE_CMD_BOX, MENU_PLACE, T, "&Box", "Add Boxes"},
    {TEMPLATE_CMD_ARC_CENTRE, MENU_PLACE, T, "&Arc Center", "Add Arcs by Center"},
    {TEMPLATE_CMD_ARC_END, MENU_PLACE, T, "Arc &End Point", "Add Arcs by End Point"},
    {TEMPLATE_CMD_FILLED_CIRCLE, MENU_PLACE, T, "F&illed Circle", "Add Filled Circles"},
    {TEMPLATE_CMD_POLYGON, MENU_PLACE, T, "&Filled Polygon", "Add Filled Polygons"},
    {TEMPLATE_CMD_TEXT, MENU_PLACE, T, "&Text...", "Add Texts"},
    {TEMPLATE_CMD_CONTROLS, MENU_PLACE, T, "C&ontrols...", "Title Block Controls"},

    // Tools
    {CMD_ERC, MENU_TOOLS, ALL, "&ERC...", "Electrical Rule Check"},
    {CMD_ANNOTATE, MENU_TOOLS, ALL, "&Annotate...", "Annotate the references"},
    {CMD_BACKANNOTATE, MENU_TOOLS, ALL, "&BackAnnotate...", "Back-annotate from a change file"},
    {CMD_BILL_OF_MATERIAL, MENU_TOOLS, ALL, "Bill of &Material...", "Bill of Material"},
    {CMD_NETLIST_OUTPUT, MENU_TOOLS, ALL, "&Netlist Output...", "Write a netlist"},
    {0, MENU_TOOLS, ALL, "", ""},
    {CMD_COMPILE_SHEET, MENU_TOOLS, ALL, "Compile &Sheet...", "Compile an ASCII sheet"},
    {CMD_DECOMPILE_SHEET, MENU_TOOLS, ALL, "&Decompile Sheet...", "Write a sheet as ASCII"},
    {CMD_COMPILE_LIBRARY, MENU_TOOLS, ALL, "Compile &Library...", "Compile an ASCII library"},
    {CMD_DECOMPILE_LIBRARY, MENU_TOOLS, ALL, "Decompile L&ibrary...", "Write a library as ASCII"},
    {CMD_ARCHIVE_LIBRARY, MENU_TOOLS, ALL, "A&rchive Library...", "Archive the parts of sheets"},
    {CMD_LIST_LIBRARY, MENU_TOOLS, ALL, "Lis&t Library...", "List a library"},
    {CMD_COMPILE_TITLEBLOCK, MENU_TOOLS, ALL, "Compile &Title Block...",
     "Compile an ASCII title block"},
    {CMD_DECOMPILE_TITLEBLOCK, MENU_TOOLS, ALL, "Decompile Title Bloc&k...",
     "Write a title block as ASCII"},
    {0, MENU_TOOLS, ALL, "", ""},
    {CMD_ORCAD_CONVERTER, MENU_TOOLS, ALL, "&OrCAD Converter...", "Import OrCAD SDT files"},

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
    view_get_tag(&document->view, id - EDITOR_JUMP_FIRST, &at, &in_use);
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
