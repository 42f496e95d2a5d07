// Drawing wires that connect: a click near a pin off the grid ends on its
// tip, a route to a pin's tip does not run along the pin, and fusing
// collinear wires keeps a wire that met them connected.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/selection.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/items/primitives.h"

using namespace editor_test;

namespace {

class WiringTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        sheet_test::add_library_part(doc(), "7400");
    }
    // The two-device test part: input A's tip 3000 left of its place and
    // 1000 below, output Y's tip 7000 right, power pin VCC 2000 right.
    PlacedPart* place(Point at) {
        PlacedPart* part = new_PlacedPart();
        part->part_name.set("7400");
        part->pos = at;
        part->reference.text.set("U1");
        dlist_append(doc()->sheet->items, part);
        return part;
    }
    // A port whose stub points away from the wire drawn from it: right
    // when `right`, else left.
    void add_port(const char* name, Point at, bool right = false) {
        Port* port = new_Port();
        port->name.set(name);
        port->pos = at;
        if (right) port->flags |= PORT_RIGHT;
        dlist_append(doc()->sheet->items, port);
    }
    // A wire drawn through the clicks, ended by a right click.
    void draw_wire(const std::vector<Point>& clicks) {
        start_graphic_mode(&session, DrawShape{});
        for (Point p : clicks) click(p);
        session_event(&session, EV_RIGHT_UP, clicks.back());
        session_key(&session, TK_ESCAPE);
    }
    bool wire_end_at(Point p) {
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == LINE_ITEM && (as_Line(item)->pos == p || as_Line(item)->end == p))
                return true;
        return false;
    }
    int zero_length_wires() {
        int n = 0;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            n += item->type == LINE_ITEM && as_Line(item)->pos == as_Line(item)->end;
        return n;
    }
};

TEST_F(WiringTest, AClickNearAConnectionOffTheGridEndsTheWireOnIt) {
    place(Point{30500, 10500});  // A's tip (27500, 11500), off the grid both ways
    draw_wire({Point{27000, 12000}, Point{20000, 12000}});
    EXPECT_TRUE(wire_end_at(Point{27500, 11500}));
    EXPECT_FALSE(wire_end_at(Point{27000, 12000}));
    // A grid step away nothing is reached; a drawing line goes where it is
    // clicked.
    draw_wire({Point{26000, 15000}, Point{20000, 15000}});
    EXPECT_TRUE(wire_end_at(Point{26000, 15000}));
    start_graphic_mode(&session, DrawShape{.line = true});
    click(Point{27000, 12000});
    click(Point{27000, 20000});
    session_key(&session, TK_ESCAPE);
    session_key(&session, TK_ESCAPE);
    EXPECT_TRUE(wire_end_at(Point{27000, 12000}));
}

TEST_F(WiringTest, APastedItemKeepsItsPlaceOffTheGrid) {
    PlacedPart* part = place(Point{30500, 10500});
    select_add(&session, part);
    ASSERT_EQ(copy_selection(&session), 0);
    ASSERT_EQ(paste_selection(&session), 0);
    click(Point{60000, 40000});
    SchItem* pasted = static_cast<SchItem*>(doc()->sheet->items->tail->data);
    ASSERT_EQ(pasted->type, PARTLIB_ITEM);
    // As far from the pointer as the original from its nearest grid point.
    EXPECT_EQ(pasted->pos, (Point{59500, 39500}));
}

TEST_F(WiringTest, AWireRoutedToAPinsTipComesToItFromOutside) {
    place(Point{30000, 10000});  // A from its tip (27000, 11000) to (30000, 11000)
    add_port("X", Point{29000, 6000}, true);
    // The pointer gone straight down first, the route turns there: its
    // corner would lie on A, the last leg along it.
    start_graphic_mode(&session, DrawShape{});
    click(Point{29000, 6000});
    session_event(&session, EV_MOTION, Point{29000, 9000});
    click(Point{27000, 11000});
    session_key(&session, TK_ESCAPE);
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(zero_length_wires(), 0);
    EXPECT_TRUE(wire_end_at(Point{27000, 11000}));
    EXPECT_FALSE(wire_end_at(Point{29000, 11000}));
    EXPECT_TRUE(joined("U1.0:A", "port:X"));
}

// A wire that joined another end to end stays joined when a third wire
// continues the other in line and the two are fused into one: a junction
// marks where it meets the fused wire. Undo takes both back.
TEST_F(WiringTest, AWireMetEndToEndStaysJoinedWhenTheOtherIsContinued) {
    add_port("W", Point{20000, 20000});
    add_port("S", Point{24000, 25000});
    add_port("E", Point{28000, 20000}, true);
    draw_wire({Point{20000, 20000}, Point{24000, 20000}});
    draw_wire({Point{24000, 20000}, Point{24000, 25000}});
    auto before = saved_bytes();
    draw_wire({Point{24000, 20000}, Point{28000, 20000}});
    EXPECT_EQ(count(LINE_ITEM), 2);  // the first and the third fused
    ASSERT_EQ(count(JUNCTION_ITEM), 1);
    EXPECT_TRUE(joined("port:W", "port:S"));
    EXPECT_TRUE(joined("port:S", "port:E"));
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(count(JUNCTION_ITEM), 0);
    EXPECT_EQ(saved_bytes(), before);
}

}  // namespace

// A wire end put on the middle of another wire, by the wire tool (either
// wire drawn last) or by a move, gets its junction dot: the sheet shows
// the join it holds.
TEST_F(WiringTest, AWireEndOnTheMiddleOfAnotherGetsItsJunction) {
    add_port("W", Point{20000, 20000});
    add_port("E", Point{28000, 20000}, true);
    add_port("S", Point{24000, 25000});
    draw_wire({Point{20000, 20000}, Point{28000, 20000}});
    draw_wire({Point{24000, 25000}, Point{24000, 20000}});
    EXPECT_EQ(count(JUNCTION_ITEM), 1);
    EXPECT_TRUE(joined("port:W", "port:S"));

    add_port("T", Point{36000, 25000});
    add_port("P", Point{30000, 20000});
    add_port("Q", Point{40000, 20000}, true);
    draw_wire({Point{36000, 25000}, Point{36000, 20000}});
    draw_wire({Point{30000, 20000}, Point{40000, 20000}});
    EXPECT_EQ(count(JUNCTION_ITEM), 2);
    EXPECT_TRUE(joined("port:T", "port:Q"));

    add_port("A", Point{44000, 20000});
    add_port("B", Point{52000, 20000}, true);
    add_port("C", Point{48000, 26000});
    draw_wire({Point{44000, 20000}, Point{52000, 20000}});
    draw_wire({Point{48000, 26000}, Point{48000, 23000}});
    ASSERT_FALSE(joined("port:A", "port:C"));
    select_clear(&session);
    for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
        if (item->pos.x == 48000) select_add(&session, item);
    ASSERT_TRUE(move_selection(&session, Point{0, -3000}, false));
    EXPECT_EQ(count(JUNCTION_ITEM), 3);
    EXPECT_TRUE(joined("port:A", "port:C"));
}

// A supply pin connects where it meets the body, not at the end drawn away
// from it: a wire or a power symbol put on that end ends where the pin
// connects (the symbol stays where it was put, joined by a wire along the
// pin), as a wire put on another pin's end ends on it.
TEST_F(WiringTest, AWireOrPowerSymbolOnASupplyPinsDrawnEndConnects) {
    place(
        Point{30000, 10000});  // VCC drawn from (32000, 9000) to where it connects, (32000, 10000)
    add_port("V", Point{32000, 4000});
    draw_wire({Point{32000, 4000}, Point{32000, 9000}});
    EXPECT_TRUE(wire_end_at(Point{32000, 10000}));
    EXPECT_TRUE(joined("U1.0:VCC", "port:V"));

    ASSERT_EQ(undo_sheet(&session), 0);
    proper_set(POWER_TYPE, POWER_BAR, POWER_SENS, 0, POWER_NAME, "VDD", POWER_NAME_ON, 0, 0);
    start_power_mode(&session, 0);
    click(Point{32000, 9000});
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(count(POWER_ITEM), 1);
    EXPECT_TRUE(joined("U1.0:VCC", "power:VDD"));
    // The symbol where it was put, above the pin.
    for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
        if (item->type == POWER_ITEM) {
            EXPECT_EQ(item->pos, (Point{32000, 9000}));
        }
}

// The example's C1 stands upright under the filter node, its second pin
// grounded. A wire routed from below-left to its first pin's end would
// turn under it and run up through the ground, the second pin and the
// body; it turns at the other corner and comes to the pin from the side.
TEST_F(WiringTest, ARouteTurnsClearOfAPartsPinsAndBody) {
    open_source(TN_TEST_DATA_DIR "/../../examples/root.asc");
    draw_wire({Point{18000, 21000}, Point{21000, 15000}});
    EXPECT_TRUE(wire_end_at(Point{18000, 15000}));
    EXPECT_TRUE(joined("C1.0:1", "port:SIGNAL") || joined("C1.0:1", "R1.0:2"));
    EXPECT_FALSE(joined("C1.0:1", "power:GND"));
}
