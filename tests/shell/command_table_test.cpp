// The command table: which ids have a handler, on which canvas kinds, and
// what the greying makes of a document's state. No window is needed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/view.h"
#include "shell/commands.h"
#include "shell/shell_ops.h"
#include "shell/toolbar.h"

namespace {

constexpr unsigned ANY_KIND = BAR_ALL;

// Every command id the program's menus, buttons and process dialogs use,
// and where it stands when no menu entry says so.
struct Named {
    int first, last;
    const char* what;
    unsigned kinds = 0;  // 0: where the menu layout shows it
};
const Named named_ids[] = {
    // File
    {20004, 20010, "new, open, save, save as, print, print setup, exit"},
    {20013, 20013, "close"},
    {20034, 20035, "library save, save as"},
    {20110, 20111, "new and open library"},
    {20117, 20118, "new and open title block"},
    {20235, 20236, "title block save, save as"},
    {20332, 20334, "print previews"},
    // Edit
    {20019, 20019, "open subsheet"},
    {20058, 20058, "find"},
    {20061, 20066, "jump to a position, to bookmarks A..E"},
    {20068, 20076, "rotate, mirror, undo, cut, copy, paste"},
    {20078, 20078, "move"},
    {20082, 20082, "edit item"},
    {20112, 20116, "set bookmarks A..E"},
    {20248, 20251, "title block undo, cut, copy, move"},
    {20253, 20257, "title block mirror and rotate", BAR_TEMPLATE},
    {20258, 20258, "title block find"},
    // View, Options, Window, Help
    {20100, 20104, "zooms and redraw"},
    {20120, 20126, "cascade, tile, log, help, about, palette"},
    {20146, 20146, "setup"},
    {20153, 20153, "shortcuts"},
    {20330, 20331, "tips, statistics"},
    // Place
    {20086, 20095, "part, wire, bus, junction, power, net, port, text, no connect, sheet"},
    {20097, 20099, "line, circle, box"},
    {20318, 20318, "net properties"},
    {20119, 20119, "title block file put on a sheet"},
    {20202, 20202, "library: get part"},
    {20208, 20218, "library: info, body, drawings, text, pin, names, reference, field"},
    {20220, 20225, "library: filled shapes, box, vectors, IEEE, pinout"},
    {20238, 20245, "title block: drawings and text"},
    {20247, 20247, "title block: controls; on a sheet, its fields"},
    // Tools: the process dialogs and the jobs they send
    {20184, 20191, "ERC, annotate, back-annotate, library jobs, bill of material"},
    {20193, 20193, "OrCAD converter"},
    {20196, 20197, "decompile and compile sheet"},
    {20200, 20200, "netlist output"},
    {20319, 20320, "compile and decompile title block"},
    {20161, 20164, "jobs: decompile, compile sheet, annotate, convert", ANY_KIND},
    {20166, 20167, "jobs: back-annotate, netlist", ANY_KIND},
    {20169, 20170, "jobs: bill of material, ERC", ANY_KIND},
    {20174, 20174, "job: archive library", ANY_KIND},
    {20178, 20180, "jobs: list, compile, decompile library", ANY_KIND},
    {20321, 20322, "jobs: compile and decompile title block", ANY_KIND},
};

// Ids that have no row yet on some canvas kinds where they stand, and
// those kinds: their dialogs bring the rows. The list only shrinks; adding
// a row never needs a change here. The library and title-block windows
// wait for none: every entry of their menus runs.
const std::map<int, unsigned> waiting = {
    {20068, BAR_SHEET}, {20069, BAR_SHEET}, {20070, BAR_SHEET},
    {20071, BAR_SHEET}, {20072, BAR_SHEET}, {20078, BAR_SHEET},
};

// The canvas kinds where an id stands: its menu entries' bars.
unsigned menu_kinds(int id) {
    unsigned kinds = 0;
    for (const CommandEntry& e : command_table())
        if (e.id == id) kinds |= e.bars;
    return kinds;
}

unsigned row_kinds(int id) {
    unsigned kinds = 0;
    for (const CommandRow& row : command_rows())
        if (row.id == id) kinds |= row.kinds;
    return kinds;
}

std::string kind_names(unsigned kinds) {
    static const std::pair<unsigned, const char*> names[] = {{BAR_NONE, "none"},
                                                             {BAR_SHEET, "sheet"},
                                                             {BAR_LIBRARY, "library"},
                                                             {BAR_TEMPLATE, "title block"}};
    std::string text;
    for (const auto& [bar, name] : names)
        if (kinds & bar) text += (text.empty() ? "" : ", ") + std::string(name);
    return text;
}

TEST(CommandRows, EveryNamedIdHasARowWhereverItStandsOrIsWaitingForOne) {
    std::vector<std::pair<int, unsigned>> unhandled;
    std::vector<int> done_waiting;
    for (const Named& n : named_ids) {
        for (int id = n.first; id <= n.last; ++id) {
            SCOPED_TRACE(testing::Message() << id << " (" << n.what << ")");
            const unsigned where = n.kinds ? n.kinds : menu_kinds(id);
            EXPECT_NE(where, 0u) << "named, but no menu shows it";
            const unsigned missing = where & ~row_kinds(id);
            const auto wait = waiting.find(id);
            const unsigned allowed = wait == waiting.end() ? 0u : wait->second;
            if (missing) unhandled.emplace_back(id, missing);
            if (missing & ~allowed)
                ADD_FAILURE() << "no row runs it in: " << kind_names(missing & ~allowed);
            if (wait != waiting.end() && !(missing & allowed)) done_waiting.push_back(id);
        }
    }
    std::string list;
    for (const auto& [id, kinds] : unhandled)
        list += " " + std::to_string(id) + " (" + kind_names(kinds) + ")";
    std::printf("Command ids without a row yet (%zu):%s\n", unhandled.size(), list.c_str());
    // A row that came for a waiting id leaves the id in the list harmlessly;
    // say so, so that the list is pruned.
    for (int id : done_waiting) std::printf("%d has its rows now: drop it from the list\n", id);
}

TEST(CommandRows, RowsAreWellFormedAndNoKindHasTwoHandlersForAnId) {
    std::map<int, unsigned> kinds_of;
    std::set<int> named;
    for (const Named& n : named_ids)
        for (int id = n.first; id <= n.last; ++id) named.insert(id);
    for (const CommandRow& row : command_rows()) {
        SCOPED_TRACE(row.id);
        EXPECT_GE(row.id, CMD_FIRST);
        EXPECT_LE(row.id, CMD_LAST);
        EXPECT_NE(row.run, nullptr);
        EXPECT_NE(row.kinds & BAR_ALL, 0u) << "runs nowhere";
        EXPECT_EQ(row.kinds & ~BAR_ALL, 0u) << "a kind that does not exist";
        EXPECT_EQ(kinds_of[row.id] & row.kinds, 0u) << "two rows for one canvas kind";
        kinds_of[row.id] |= row.kinds;
        EXPECT_TRUE(named.count(row.id)) << "a row for an id nothing sends";
        EXPECT_TRUE(command_available(row.id));
    }
    EXPECT_FALSE(command_available(0));
    EXPECT_FALSE(command_available(CMD_FIRST - 1));
    EXPECT_FALSE(command_available(CMD_LAST + 1));
}

TEST(CommandRows, GreyingFollowsTheCanvasKindAndTheDocument) {
    const CommandState none{};
    EXPECT_TRUE(command_enabled(CMD_OPEN, none));
    EXPECT_TRUE(command_enabled(CMD_NEW, none));
    EXPECT_FALSE(command_enabled(CMD_SAVE, none));
    EXPECT_FALSE(command_enabled(CMD_ZOOM_IN, none));
    EXPECT_FALSE(command_enabled(EDITOR_WIRE, none));

    Schema* schema = nullptr;
    new_active_schema(&schema);
    const CommandState sheet{CANVAS_SHEET, schema};
    const CommandState sheet_without_document{CANVAS_SHEET, nullptr};
    const CommandState library{CANVAS_LIBRARY, schema};
    EXPECT_TRUE(command_enabled(CMD_SAVE, sheet));
    EXPECT_FALSE(command_enabled(CMD_SAVE, sheet_without_document));
    EXPECT_TRUE(command_enabled(EDITOR_WIRE, sheet));
    EXPECT_FALSE(command_enabled(EDITOR_WIRE, library)) << "a sheet's tool on a library";
    EXPECT_TRUE(command_enabled(CMD_ZOOM_IN, library));
    EXPECT_TRUE(command_enabled(CMD_PREVIEW_LIBRARY, library));
    EXPECT_FALSE(command_enabled(CMD_PREVIEW_SHEET, library));
    EXPECT_FALSE(command_enabled(EDITOR_WIRE, CommandState{CANVAS_PREVIEW, schema}));
    EXPECT_FALSE(command_enabled(CMD_OPEN, CommandState{99, schema}));

    // A jump waits for its bookmark; setting the bookmark stays available.
    EXPECT_FALSE(command_enabled(EDITOR_JUMP_FIRST + 2, sheet));
    EXPECT_TRUE(command_enabled(EDITOR_MARK_FIRST + 2, sheet));
    view_set_tag(&schema->view, 2, Point{1000, 2000});
    EXPECT_TRUE(command_enabled(EDITOR_JUMP_FIRST + 2, sheet));
    EXPECT_FALSE(command_enabled(EDITOR_JUMP_FIRST + 3, sheet));
    EXPECT_EQ(command_row(EDITOR_JUMP_FIRST + 2, sheet), command_row(EDITOR_JUMP_FIRST + 2, sheet));
    EXPECT_EQ(command_row(EDITOR_JUMP_FIRST + 3, sheet), nullptr);
    close_schema(nullptr, &schema);
}

// A library window's entries that act on the part under edit wait for one;
// those that bring a part (Get Part, Body, Get Vector Def.) or refuse
// without one in words (Names) do not. A title block's entries never wait,
// and neither window runs the other's ids.
TEST(CommandRows, TheLibraryEntriesThatActOnThePartWaitForOne) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    const CommandState library{CANVAS_LIBRARY, schema};
    const CommandState title_block{CANVAS_TEMPLATE, schema};
    const int on_the_part[] = {LIBEDIT_CMD_PART_INFO,
                               LIBEDIT_CMD_LINE,
                               LIBEDIT_CMD_POLYGON,
                               LIBEDIT_CMD_TEXT,
                               LIBEDIT_CMD_PIN,
                               LIBEDIT_CMD_REFERENCE,
                               LIBEDIT_CMD_FIELDS,
                               LIBEDIT_CMD_IEEE,
                               LIBEDIT_CMD_PINOUT,
                               CMD_FIND,
                               CMD_ROTATE_90,
                               CMD_CUT,
                               CMD_MOVE};
    const int always[] = {CMD_NEW,          CMD_LIB_SAVE,      CMD_UNDO,          LIBEDIT_CMD_PART,
                          LIBEDIT_CMD_BODY, LIBEDIT_CMD_NAMES, LIBEDIT_CMD_VECTOR};
    for (int id : on_the_part) EXPECT_FALSE(command_enabled(id, library)) << id;
    for (int id : always) EXPECT_TRUE(command_enabled(id, library)) << id;

    // The editing sheet shows a part.
    Part* part = new_Part();
    ref_Part(part);
    LibEntry* entry = new_LibEntry();
    entry->name.set("U1");
    entry->part = part;
    free_LibEntry(lib_insert_entry(schema->library, entry));
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set("U1");
    append_or_die(schema->sheet->items, placed);
    for (int id : on_the_part) EXPECT_TRUE(command_enabled(id, library)) << id;

    for (int id : {TEMPLATE_CMD_LINE, TEMPLATE_CMD_TEXT, TEMPLATE_CMD_CONTROLS, TEMPLATE_CMD_UNDO,
                   TEMPLATE_EDIT_ROTATE_90, CMD_TMPL_SAVE, CMD_FIND_TEMPLATE})
        EXPECT_TRUE(command_enabled(id, title_block)) << id;
    for (int id : {LIBEDIT_CMD_LINE, LIBEDIT_CMD_PIN, CMD_ROTATE_90, CMD_FIND, CMD_LIB_SAVE})
        EXPECT_FALSE(command_enabled(id, title_block)) << id;
    for (int id : {TEMPLATE_CMD_LINE, TEMPLATE_EDIT_CUT, TEMPLATE_CMD_UNDO, CMD_TMPL_SAVE})
        EXPECT_FALSE(command_enabled(id, library)) << id;
    close_schema(nullptr, &schema);
}

TEST(CommandRows, ButtonsSendCommandsTheTableKnowsWithTheirArgument) {
    for (int button = TOOL_FIRST; button <= TOOL_LAST; ++button) {
        for (int kind : {CANVAS_NONE, CANVAS_SHEET, CANVAS_LIBRARY, CANVAS_TEMPLATE}) {
            int id = toolbar_command_for(button, kind);
            if (id == 0) continue;
            SCOPED_TRACE(testing::Message() << "button " << button << " kind " << kind);
            EXPECT_TRUE(find_command(id) != nullptr || command_available(id)) << id;
        }
    }
    EXPECT_EQ(toolbar_command_for(TOOL_GROUND, CANVAS_SHEET), 20090);
    EXPECT_EQ(toolbar_argument_for(TOOL_GROUND), ARG_GROUND_BUTTON);
    EXPECT_EQ(toolbar_argument_for(TOOL_WIRE), 0);
    EXPECT_EQ(toolbar_argument_for(PALETTE_FIRST), ARG_PALETTE_FIRST);
    EXPECT_EQ(toolbar_argument_for(PALETTE_FIRST + 4), ARG_PALETTE_FIRST + 4);
    EXPECT_EQ(toolbar_argument_for(PALETTE_FIRST + PALETTE_SLOTS), 0);
}

}  // namespace
