// The placement commands (reuse or replace, undo copies, errors 10 and 82)
// and the add modes placing every item kind by clicks, each undone back to
// the document's bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/selection.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"

using namespace editor_test;

namespace {

SubSheet* add_box(Schema* doc, Point at, const char* file) {
    SubSheet* box = new_SubSheet();
    box->pos = at;
    box->size = Point{6000, 8000};
    box->file_name = file;
    dlist_append(doc->sheet->items, box);
    return box;
}

class PlacementTest : public EditorTest {};

TEST_F(PlacementTest, ARunningPortModeIsReloadedWithoutASecondUndoCopy) {
    proper_set(PORT_NAME, "A0", 0);
    start_port_mode(&session);
    const int points = host.undo_points;
    ModeInstance* running = TopMode(&session);
    session_event(&session, EV_MOTION, Point{1000, 1000});
    // A second Add reloads the running mode and takes no undo point.
    proper_set(PORT_NAME, "B0", 0);
    start_port_mode(&session);
    EXPECT_EQ(host.undo_points, points);
    EXPECT_EQ(TopMode(&session), running);
    EXPECT_EQ(ModeCount(&session), 2);
    EXPECT_STREQ(as_Port(mode_ghost_item(running))->name.get(), "B0");
    EXPECT_EQ(host.xor_parity, 1);  // the ghost shown again with the new values
    auto before = saved_bytes();
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

TEST_F(PlacementTest, JunctionAndNoConnectModesAreReplacedNotStacked) {
    start_junction_mode(&session);
    start_junction_mode(&session);
    EXPECT_EQ(ModeCount(&session), 2);
    start_noconnect_mode(&session);
    start_noconnect_mode(&session);
    EXPECT_EQ(ModeCount(&session), 3);
    start_graphic_mode(&session, DrawShape{});
    start_graphic_mode(&session, DrawShape{});
    EXPECT_EQ(ModeCount(&session), 4);
    EXPECT_TRUE(host.undo_enabled);
}

TEST_F(PlacementTest, GroundButtonPlacesHiddenGndAndKeepsThePowerSettings) {
    proper_set(POWER_TYPE, 0x40, POWER_SENS, 1, POWER_NAME, "VCC", POWER_NAME_ON, 0, 0);
    ground_button(&session);
    click(Point{5000, 5000});
    ASSERT_EQ(count(POWER_ITEM), 1);
    Power* power = as_Power(static_cast<SchItem*>(dlist_tail(doc()->sheet->items)->data));
    EXPECT_STREQ(power->name.get(), "Gnd");
    EXPECT_EQ(power->flags, 0x88 | 2 | POWER_NAME_HIDDEN);
    EXPECT_EQ(*power_kind_byte(TopMode(&session)), 1);
    EXPECT_EQ(proper_get(POWER_TYPE), 0x40);
    EXPECT_EQ(proper_get(POWER_SENS), 1);
    EXPECT_STREQ(strproper_get(POWER_NAME), "VCC");
    EXPECT_EQ(proper_get(POWER_NAME_ON), 0);
    // The dialog's Add now reuses the running mode with kind 0.
    start_power_mode(&session, 0);
    EXPECT_EQ(ModeCount(&session), 2);
    EXPECT_EQ(*power_kind_byte(TopMode(&session)), 0);
    EXPECT_STREQ(as_Power(mode_ghost_item(TopMode(&session)))->name.get(), "VCC");
}

// A name typed in the Add dialogs is longer than the 31 characters the
// settings keep: the placed items carry it whole, and the next one steps it.
TEST_F(PlacementTest, ANameTypedForAddIsPlacedWholeNotCutToTheSetting) {
    const std::string name = "DATA_BUS_FROM_THE_CONTROLLER_TO_THE_DISPLAY_0";
    const std::string next = "DATA_BUS_FROM_THE_CONTROLLER_TO_THE_DISPLAY_1";
    proper_set(PORT_AUTO, 1, 0);

    proper_set(PORT_NAME, name.c_str(), 0);
    start_port_mode(&session);
    stamp_name_ghost(&session, &add_port_mode, name.c_str());
    click(Point{5000, 5000});
    ASSERT_EQ(doc()->ports ? doc()->ports->count : 0u, 1u);
    EXPECT_EQ(static_cast<Port*>(dlist_tail(doc()->ports)->data)->name.get(), name);
    click(Point{9000, 5000});
    ASSERT_EQ(doc()->ports->count, 2u);
    EXPECT_EQ(static_cast<Port*>(dlist_tail(doc()->ports)->data)->name.get(), next);
    // A second Add while the mode runs names the ghost whole too.
    start_port_mode(&session);
    stamp_name_ghost(&session, &add_port_mode, name.c_str());
    EXPECT_EQ(as_Port(mode_ghost_item(TopMode(&session)))->name.get(), name);
    session_key(&session, TK_ESCAPE);

    proper_set(POWER_NAME, name.c_str(), 0);
    start_power_mode(&session, 0);
    stamp_name_ghost(&session, &add_power_mode, name.c_str());
    click(Point{5000, 9000});
    ASSERT_EQ(count(POWER_ITEM), 1);
    EXPECT_EQ(as_Power(static_cast<SchItem*>(dlist_tail(doc()->sheet->items)->data))->name.get(),
              name);
    session_key(&session, TK_ESCAPE);

    SubSheet* box = add_box(doc(), Point{30000, 30000}, "child.sch");
    proper_set(NET_NAME, name.c_str(), 0);
    start_net_mode(&session);
    stamp_name_ghost(&session, &add_net_mode, name.c_str());
    click(Point{30100, 31000});
    ASSERT_EQ(box->ports->count, 1u);
    EXPECT_EQ(static_cast<Port*>(dlist_head(box->ports)->data)->name.get(), name);
}

TEST_F(PlacementTest, AnUnknownPartShowsError10AndPushesNothing) {
    std::string shown;
    Services s;
    s.message_box = [&](const char* text, const char*, int) {
        shown = text;
        return 1;
    };
    install_services(s);
    EXPECT_EQ(start_part_mode(&session, "", "NOSUCHPART", false, false), 10);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_NE(shown.find("NOSUCHPART"), std::string::npos) << shown;
}

// Renewing the document's fonts realizes each record again through the
// handle it holds: a cleared handle would strand its old font in the
// registry at every part placed.
TEST_F(PlacementTest, RenewingTheDocumentFontsKeepsTheirRealizedHandles) {
    Font* font = new_Font();
    font->number = 2;
    font->realized = 5;
    if (!doc()->fonts) doc()->fonts = list_new();
    ASSERT_TRUE(dlist_append(doc()->fonts, font));
    std::vector<int> renewed;
    std::vector<uint32_t> handles;
    Services s = headless_services();
    s.font_for_text = [&](List** table, int* id) {
        renewed.push_back(*id);
        handles.push_back(font_find(*table, *id - FONT_ID_BASE)->realized);
        return 0L;
    };
    install_services(s);
    fonts_realize(doc());
    EXPECT_EQ(renewed, std::vector<int>{FONT_ID_BASE + 2});
    EXPECT_EQ(handles, std::vector<uint32_t>{5u});
}

TEST_F(PlacementTest, EnterSheetOpensTheOnlyBoxOrWaitsForAClick) {
    add_box(doc(), Point{10000, 10000}, "child.sch");
    EXPECT_EQ(enter_sheet_cmd(&session), 0);
    ASSERT_EQ(host.opened.size(), 1u);
    EXPECT_EQ(host.opened[0], "child.sch");
    EXPECT_EQ(ModeCount(&session), 1);

    add_box(doc(), Point{30000, 10000}, "other.sch");
    enter_sheet_cmd(&session);
    EXPECT_EQ(ModeCount(&session), 2);
    enter_sheet_cmd(&session);
    EXPECT_EQ(host.bells, 1);
    click(Point{100, 100});  // outside every box: the prompt says so, the mode waits
    EXPECT_EQ(session.look.prompt, "Click inside a Sheet!");
    EXPECT_EQ(ModeCount(&session), 2);
    click(Point{31000, 12000});
    EXPECT_EQ(host.opened.back(), "other.sch");
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(PlacementTest, OpenSubsheetOutsideEveryBoxAnswers82AndABoxWithoutFileRings) {
    EXPECT_EQ(open_subsheet(&session, Point{0, 0}), 82);
    add_box(doc(), Point{0, 0}, "");
    EXPECT_EQ(open_subsheet(&session, Point{100, 100}), 0);
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.bells, 1);
}

TEST_F(PlacementTest, SheetNetsGoOnABoxEdgeAndRefuseOutside) {
    SubSheet* box = add_box(doc(), Point{10000, 10000}, "child.sch");
    proper_set(NET_NAME, "D0", 0);
    start_net_mode(&session);
    click(Point{1000, 1000});
    EXPECT_EQ(session.look.prompt, "Click inside a Sheet!");
    EXPECT_EQ(box->ports->count, 0u);
    click(Point{15500, 13000});  // nearer the right edge
    ASSERT_EQ(box->ports->count, 1u);
    Port* port = static_cast<Port*>(dlist_head(box->ports)->data);
    EXPECT_EQ(port->pos, (Point{6000, 3000}));
    EXPECT_TRUE(port->flags & PORT_RIGHT);
    EXPECT_STREQ(port->name.get(), "D0");
    click(Point{15500, 13000});  // the same spot is taken
    EXPECT_EQ(box->ports->count, 1u);
    click(Point{10100, 14000});
    ASSERT_EQ(box->ports->count, 2u);
    EXPECT_STREQ(static_cast<Port*>(dlist_tail(box->ports)->data)->name.get(), "D1");
}

// Places one item of a kind by clicks and checks that undo gives back the
// document's bytes.
struct KindCase {
    const char* name;
    void (*start)(EditSession*);
    int code;
    int clicks;
};

class PlaceKindTest : public EditorTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(PlaceKindTest, PlacesByClickAndUndoRestoresTheBytes) {
    add_box(doc(), Point{40000, 40000}, "child.sch");
    GetParam().start(&session);
    auto at = [](int i) { return Point{2000 + 3000 * i, 2000 + 3000 * (i % 2)}; };
    for (int i = 0; i + 1 < GetParam().clicks; ++i) click(at(i));
    // Each placement takes its own undo copy: undo takes back the last one.
    auto before = saved_bytes();
    int had = count(GetParam().code);
    click(at(GetParam().clicks - 1));
    EXPECT_GT(count(GetParam().code), had);
    EXPECT_GT(host.modified, 0);
    EXPECT_TRUE(schema_is_modified(doc()));
    session_key(&session, TK_ESCAPE);
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(host.xor_parity, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    // The items go back into the same document record: the window keeps it.
    EXPECT_EQ(host.replaced, nullptr);
    EXPECT_EQ(count(GetParam().code), had);
    auto after = saved_bytes();
    EXPECT_EQ(after, before);
    for (size_t i = 0; i < std::min(after.size(), before.size()); ++i)
        if (after[i] != before[i]) {
            ADD_FAILURE() << "first difference at byte " << i;
            break;
        }
}

void wire(EditSession* s) { start_graphic_mode(s, DrawShape{}); }
void box(EditSession* s) { start_graphic_mode(s, DrawShape{.kind = DRAW_KIND_BOX, .line = true}); }
void circle(EditSession* s) {
    start_graphic_mode(s, DrawShape{.kind = DRAW_KIND_CIRCLE, .line = true});
}
void power(EditSession* s) { start_power_mode(s, 0); }
void sheet(EditSession* s) { start_sheet_mode(s, "SUB", "sub.sch"); }
void text(EditSession* s) { start_text_tool(s, "NOTE", 0, 100, 150, 0); }

INSTANTIATE_TEST_SUITE_P(
    Kinds, PlaceKindTest,
    ::testing::Values(KindCase{"wire", wire, LINE_ITEM, 3}, KindCase{"box", box, BOITE_ITEM, 2},
                      KindCase{"circle", circle, CIRCLE_ITEM, 2},
                      KindCase{"junction", start_junction_mode, JUNCTION_ITEM, 2},
                      KindCase{"noconnect", start_noconnect_mode, NOCON_ITEM, 1},
                      KindCase{"port", start_port_mode, PORT_ITEM, 2},
                      KindCase{"netprop", start_netprop_mode, NETPROP_ITEM, 1},
                      KindCase{"power", power, POWER_ITEM, 2},
                      KindCase{"sheet", sheet, SUBSHEET_ITEM, 1},
                      KindCase{"text", text, TEXT_ITEM, 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A box drawn with a side of no length is a line, not a box: its two clicks
// place nothing and leave the sheet unmodified, and the tool waits for the
// first point of the next box, which is placed.
TEST_F(PlacementTest, ABoxWithASideOfNoLengthIsNotPlaced) {
    box(&session);
    const auto before = saved_bytes();
    const Point flat[][2] = {{Point{1000, 1000}, Point{6000, 1000}},
                             {Point{1000, 1000}, Point{1000, 6000}}};
    for (const auto& corners : flat) {
        click(corners[0]);
        click(corners[1]);
        EXPECT_EQ(count(BOITE_ITEM), 0) << corners[1].x << "," << corners[1].y;
        EXPECT_EQ(session.look.prompt, "Click the first point");
        EXPECT_EQ(host.xor_parity, 0);
    }
    EXPECT_EQ(host.modified, 0);
    EXPECT_FALSE(schema_is_modified(doc()));
    EXPECT_EQ(saved_bytes(), before);
    click(Point{1000, 1000});
    click(Point{6000, 6000});
    EXPECT_EQ(count(BOITE_ITEM), 1);
    EXPECT_EQ(ModeCount(&session), 2);
}

// Add Sheet places its one box and ends: the next click is Main Mode's and
// places no second box on the first.
TEST_F(PlacementTest, AddSheetEndsAfterItsOnePlacement) {
    sheet(&session);
    session_event(&session, EV_MOTION, Point{10000, 10000});
    click(Point{10000, 10000});
    EXPECT_EQ(count(SUBSHEET_ITEM), 1);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(session.look.mode_name, "Main Mode");
    EXPECT_EQ(host.xor_parity, 0);
    click(Point{30000, 30000});
    EXPECT_EQ(count(SUBSHEET_ITEM), 1);
}

TEST_F(PlacementTest, AWireChainEndsOnRightClickAndTheModeOnTheNext) {
    wire(&session);
    click(Point{0, 0});
    click(Point{5000, 0});
    click(Point{5000, 5000});
    EXPECT_EQ(count(LINE_ITEM), 2);
    session_event(&session, EV_RIGHT_UP, Point{5000, 5000});
    EXPECT_EQ(ModeCount(&session), 2);
    EXPECT_EQ(host.xor_parity, 0);
    session_event(&session, EV_RIGHT_UP, Point{5000, 5000});
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(PlacementTest, RepeatPlacesTheLastItemAgainWithItsLabelStepped) {
    proper_set(PORT_NAME, "IN7", RDELTA_X, 0, RDELTA_Y, 1000, RDELTA_L, 2, 0);
    start_port_mode(&session);
    click(Point{1000, 1000});
    session_key(&session, TK_ESCAPE);
    ASSERT_TRUE(repeat_last_placement(&session));
    ASSERT_EQ(doc()->ports->count, 2u);
    Port* second = static_cast<Port*>(dlist_tail(doc()->ports)->data);
    EXPECT_EQ(second->pos, (Point{1000, 2000}));
    EXPECT_STREQ(second->name.get(), "IN9");
    // The range is what the repeat made: the next one steps on.
    EXPECT_TRUE(session_key(&session, TK_INSERT));
    EXPECT_STREQ(static_cast<Port*>(dlist_tail(doc()->ports)->data)->name.get(), "IN11");
}

}  // namespace

// A text bound to a document font is sized by that font's record, both when
// the tool starts and when its text is replaced; a font id naming no record
// keeps the sizes asked for.
TEST_F(PlacementTest, ATextInADocumentFontTakesTheFontRecordsSize) {
    Font* font = new_Font();
    font->number = 3;
    font->width = 40;
    font->height = 90;
    if (!doc()->fonts) doc()->fonts = list_new();
    ASSERT_TRUE(dlist_append(doc()->fonts, font));
    auto placed = [&] { return static_cast<Text*>(dlist_tail(doc()->sheet->items)->data); };

    ModeInstance* instance = start_text_tool(&session, "A", 0, 100, 150, FONT_ID_BASE + 3);
    click(Point{1000, 1000});
    EXPECT_EQ(placed()->size.width, 40);
    EXPECT_EQ(placed()->size.height, 90);

    text_tool_set(&session, instance, "B", 0, 100, 150, FONT_ID_BASE + 7);
    click(Point{2000, 1000});
    EXPECT_EQ(placed()->string, "B");
    EXPECT_EQ(placed()->size.width, 100);
    EXPECT_EQ(placed()->size.height, 150);

    text_tool_set(&session, instance, "C", 0, 100, 150, FONT_ID_BASE + 3);
    click(Point{3000, 1000});
    EXPECT_EQ(placed()->size.width, 40);
    EXPECT_EQ(placed()->size.height, 90);
}
