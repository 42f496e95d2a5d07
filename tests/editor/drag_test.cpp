// Moving a part alone and dragging it with its connections: the drag keeps
// every net it touches whole and its wires straight, carries the power
// symbols and no-connect marks on its pins, and shows the wires it stretches
// in its ghost; each gesture says on the status line what it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "editor/drag.h"
#include "editor/edit_transaction.h"
#include "editor/selection.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

using namespace editor_test;

namespace {

using Segment = std::tuple<int, int, int, int>;

Segment segment_of(const Line* line) {
    Point a = line->pos, b = line->end;
    if (b.x < a.x || (b.x == a.x && b.y < a.y)) std::swap(a, b);
    return {a.x, a.y, b.x, b.y};
}

class DragTest : public EditorTest {
protected:
    std::set<Segment> wires() {
        std::set<Segment> all;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == LINE_ITEM) all.insert(segment_of(as_Line(item)));
        return all;
    }
    int diagonal_wires() {
        int n = 0;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == LINE_ITEM) {
                const Line* line = as_Line(item);
                n += line->pos.x != line->end.x && line->pos.y != line->end.y;
            }
        return n;
    }
    // The nets that have members, by their members.
    std::vector<std::vector<std::string>> member_nets() {
        std::vector<std::vector<std::string>> all = nets();
        all.erase(
            std::remove_if(all.begin(), all.end(), [](const auto& net) { return net.empty(); }),
            all.end());
        return all;
    }
    PlacedPart* part_at(Point at) {
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == PARTLIB_ITEM && item->pos == at) return as_PlacedPart(item);
        return nullptr;
    }
};

// The example's amplifier: its op-amp dragged every way keeps every net
// (its inputs never meet each other or the wires of the other), and no wire
// turns diagonal; Undo gives the sheet back.
TEST_F(DragTest, TheAmplifiersOpAmpDraggedEveryWayKeepsItsNetsAndStraightWires) {
    open_source(TN_TEST_DATA_DIR "/../../examples/amplifier.asc");
    ASSERT_NE(part_at(Point{18000, 12000}), nullptr);
    const auto nets_before = nets();
    ASSERT_TRUE(joined("X1.0:+", "port:IN"));
    ASSERT_TRUE(joined("X1.0:V+", "power:VCC"));
    const auto bytes = saved_bytes();
    // (None puts a pin onto something of another net: a drag cannot help that.)
    for (Point delta : {Point{0, 2000}, Point{0, -2000}, Point{3000, 0}, Point{-2000, 0},
                        Point{2000, 4000}, Point{-3000, -1000}}) {
        SCOPED_TRACE(::testing::Message() << delta.x << "," << delta.y);
        // Undo puts back records of its own: the part is found again.
        PlacedPart* opamp = part_at(Point{18000, 12000});
        select_clear(&session);
        select_add(&session, opamp);
        ASSERT_TRUE(move_selection(&session, delta, true));
        EXPECT_EQ(opamp->pos, (Point{18000 + delta.x, 12000 + delta.y}));
        EXPECT_EQ(nets(), nets_before);
        EXPECT_EQ(diagonal_wires(), 0);
        ASSERT_EQ(undo_sheet(&session), 0);
        EXPECT_EQ(saved_bytes(), bytes);
    }
    // Moved alone, its inverting input lands on the input wire's end.
    select_clear(&session);
    select_add(&session, part_at(Point{18000, 12000}));
    move_selection(&session, Point{0, -2000}, false);
    EXPECT_TRUE(joined("X1.0:-", "port:IN"));
}

TEST_F(DragTest, ThePowerSymbolsAndNoConnectMarksOnAPartsPinsGoWithIt) {
    sheet_test::add_library_part(doc(), "7400");
    PlacedPart* part = new_PlacedPart();
    part->part_name.set("7400");
    part->pos = Point{30000, 10000};
    part->reference.text.set("U1");
    dlist_append(doc()->sheet->items, part);
    Power* ground = new_Power();  // on input A's tip
    ground->name.set("GND");
    ground->pos = Point{27000, 11000};
    dlist_append(doc()->sheet->items, ground);
    NoCon* open = new_NoCon();  // on output Y's tip
    open->pos = Point{37000, 11000};
    dlist_append(doc()->sheet->items, open);
    Power* beside = new_Power();
    beside->name.set("VCC");
    beside->pos = Point{27000, 13000};
    dlist_append(doc()->sheet->items, beside);

    select_add(&session, part);
    ASSERT_TRUE(move_selection(&session, Point{0, 3000}, true));
    EXPECT_EQ(ground->pos, (Point{27000, 14000}));
    EXPECT_EQ(open->pos, (Point{37000, 14000}));
    EXPECT_EQ(beside->pos, (Point{27000, 13000}));
    EXPECT_TRUE(joined("U1.0:A", "power:GND"));
    // Moved alone, the part leaves them.
    ASSERT_TRUE(move_selection(&session, Point{0, 3000}, false));
    EXPECT_EQ(ground->pos, (Point{27000, 14000}));
    EXPECT_EQ(open->pos, (Point{37000, 14000}));
}

// What the ghost shows for an offset is what the drag to it makes, and a
// wire runs through the joint where it was cut keeps its far part there.
TEST_F(DragTest, TheGhostShowsTheWiresTheDragMakes) {
    open_source(TN_TEST_DATA_DIR "/../../examples/root.asc");
    PlacedPart* r1 = part_at(Point{14000, 13500});
    ASSERT_NE(r1, nullptr);
    const auto nets_before = nets();
    select_add(&session, r1);
    const Point delta{0, 4000};
    const std::set<Segment> before = wires();
    std::set<Segment> shown;
    {
        SelectionDrag drag(&session);
        List* ghost = nullptr;
        drag.ghost_wires(delta, &ghost);
        ASSERT_NE(ghost, nullptr);
        for (SchItem* item : list_items<SchItem>(ghost)) {
            shown.insert(segment_of(as_Line(item)));
            free_SchItem(doc(), item, false);
        }
        dlist_free(ghost, LIST_FROM_HEAD, nullptr);
        EXPECT_EQ(wires(), before);  // the sheet is as it was
    }
    ASSERT_TRUE(move_selection(&session, delta, true));
    std::set<Segment> made;
    for (const Segment& s : wires())
        if (!before.count(s)) made.insert(s);
    // The refresh may fuse what the drag made with what stood in line: each
    // wire shown lies on a wire made.
    for (const Segment& s : shown)
        EXPECT_TRUE(std::any_of(made.begin(), made.end(), [&](const Segment& m) {
            return std::get<0>(m) <= std::get<0>(s) && std::get<1>(m) <= std::get<1>(s) &&
                   std::get<2>(m) >= std::get<2>(s) && std::get<3>(m) >= std::get<3>(s) &&
                   (std::get<0>(m) == std::get<2>(m)) == (std::get<0>(s) == std::get<2>(s));
        }));
    EXPECT_FALSE(made.empty());
    EXPECT_EQ(diagonal_wires(), 0);
    EXPECT_EQ(nets(), nets_before);
    // The filter's wire, which runs on through a junction, stays as it was:
    // a bend meets its end.
    EXPECT_TRUE(wires().count(Segment{17000, 14000, 26000, 14000}));
}

// The status line says what the gesture does while the selection follows
// the pointer, and the ghost goes with the release.
TEST_F(DragTest, EachGestureSaysWhatItDoes) {
    open_source(TN_TEST_DATA_DIR "/../../examples/root.asc");
    const Point body{15000, 14000};  // R1's outline
    click(body);
    ASSERT_EQ(selection_count(&session), 1);
    for (int press : {EV_LEFT_DOWN, EV_LEFT_DOWN_CTRL}) {
        host.prompts.clear();
        session_event(&session, press, body);
        session_event(&session, EV_LEFT_DRAG, Point{body.x, body.y + 2000});
        ASSERT_FALSE(host.prompts.empty());
        EXPECT_EQ(host.prompts.back(), press == EV_LEFT_DOWN
                                           ? "Move: wires stay. Ctrl: wires follow"
                                           : "Drag: the wires follow");
        // The drag's ghost shows the part and the two bends to its pins.
        EXPECT_EQ(host.xor_parity, press == EV_LEFT_DOWN ? 1 : 3);
        session_event(&session, EV_LEFT_UP, Point{body.x, body.y + 2000});
        EXPECT_EQ(host.prompts.back(), "");
        EXPECT_EQ(host.xor_parity, 0);
        undo_sheet(&session);
        click(body);
    }
}

// A sheet of op-amps and resistors in a grid, drawn as users draw them:
// supply symbols on the supply pins' drawn ends with a wire over the pin,
// or a wire from where the pin connects; stubs on the other pins, some
// with labels or power symbols; wires between neighbours. The library is
// the amplifier's.
std::string generated_sheet(std::mt19937* rng) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(*rng); };
    std::ostringstream items;
    auto wire = [&](Point a, Point b) {
        items << "    (LINE (POS " << a.x << " " << a.y << " ) (POS " << b.x << " " << b.y
              << " )  )\n";
    };
    auto power = [&](Point at, const char* name, bool down) {
        items << "    (POWER '" << name << "' " << (down ? "ROT_180 GND1" : "NO_ROT BAR")
              << " (POS " << at.x << " " << at.y << " )  )\n";
    };
    auto label = [&](Point at, const std::string& name) {
        items << "    (TEXT 0 (POS " << at.x << " " << at.y << " ) (SIZE 600 900 ) '" << name
              << "' LABEL )\n";
    };
    // The far end of a stub from a pin's end, with what stands there.
    auto stub = [&](Point tip, int dx) {
        const Point end{tip.x + dx, tip.y};
        switch (pick(5)) {
            case 0: return;
            case 1: power(tip, pick(2) ? "GND" : "VCC", pick(2)); return;
            case 2:
                wire(tip, end);
                label(Point{(tip.x + end.x) / 2, tip.y}, "N" + std::to_string(pick(4)));
                return;
            default: wire(tip, end); return;
        }
    };
    int stamp = 1;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) {
            const int x = 6000 + col * 14000, y = 6000 + row * 12000;
            const int number = stamp++;
            if (pick(2)) {
                items << "    (PARTLIB 'parts/LM358' 0x" << std::hex << number << std::dec
                      << " 1.000000 POWEROFF\n      NO_ROT NORMAL_PART DEVICE 0 (POS " << x << " "
                      << y << " )\n      (ATTRIBUTE 'X" << number << "' VIS SET (POS " << x + 4000
                      << " " << y << " )  )\n      (ATTRIBUTE 'LM358' VIS SET (POS " << x + 4000
                      << " " << y + 5000 << " )  )\n    )\n";
                stub(Point{x - 1000, y + 1000}, -2000);
                stub(Point{x - 1000, y + 3000}, -2000);
                stub(Point{x + 5000, y + 2000}, 2000);
                // The supply pins: drawn from (x + 2000, y) and (x + 2000, y + 4000)
                // to where they connect, a step inside.
                if (pick(2)) {
                    power(Point{x + 2000, y}, "VCC", false);
                    wire(Point{x + 2000, y}, Point{x + 2000, y + 1000});
                } else {
                    power(Point{x + 2000, y - 2000}, "VCC", false);
                    wire(Point{x + 2000, y - 2000}, Point{x + 2000, y + 1000});
                }
                if (pick(2)) {
                    power(Point{x + 2000, y + 4000}, "GND", true);
                    wire(Point{x + 2000, y + 4000}, Point{x + 2000, y + 3000});
                }
            } else {
                items << "    (PARTLIB 'parts/RES' 0x" << std::hex << number << std::dec
                      << " 1.000000 POWEROFF\n      NO_ROT NORMAL_PART DEVICE 0 (POS " << x << " "
                      << y << " )\n      (ATTRIBUTE 'R" << number << "' VIS SET (POS " << x << " "
                      << y - 1000 << " )  )\n      (ATTRIBUTE '10k' VIS SET (POS " << x << " "
                      << y + 2000 << " )  )\n    )\n";
                stub(Point{x - 1000, y + 500}, -2000);
                stub(Point{x + 3000, y + 500}, 2000);
            }
            // A wire on to the next cell's left, bent.
            if (col < 3 && pick(2)) {
                const Point a{x + 7000, y + 2000}, b{x + 11000, y + 1000};
                wire(a, Point{b.x, a.y});
                wire(Point{b.x, a.y}, b);
            }
        }
    std::ifstream library(TN_TEST_DATA_DIR "/../../examples/amplifier.asc");
    std::stringstream whole;
    whole << library.rdbuf();
    const std::string text = whole.str();
    const size_t lib = text.find("  (LIB '$ACTIVE$'");
    return "(SCHEMATIC\n  (SHEET\n" + items.str() + "  )\n" + text.substr(lib);
}

// Dragged with Ctrl by random offsets, random parts of the shipped example's
// sheets and of generated sheets keep every net as it was, whatever they
// come near (a drop that would join another net is not made). Moved alone,
// a part leaves its wires: its nets are those of a part moved far off,
// unless the status line said that the drop joins another net.
TEST_F(DragTest, DragsKeepEveryNetAndMovesChangeThemOnlyAsTheStatusLineSays) {
    std::mt19937 rng(52);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    tn_test::TempDir dir;
    std::vector<std::string> sources = {TN_TEST_DATA_DIR "/../../examples/amplifier.asc",
                                        TN_TEST_DATA_DIR "/../../examples/root.asc"};
    for (int n = 0; n < 3; ++n) {
        sources.push_back(dir.file("generated" + std::to_string(n) + ".asc"));
        std::ofstream(sources.back()) << generated_sheet(&rng);
    }
    int drags = 0, refused = 0;
    for (const std::string& source : sources) {
        SCOPED_TRACE(source);
        open_source(source);
        std::vector<Point> places;
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == PARTLIB_ITEM) places.push_back(item->pos);
        ASSERT_FALSE(places.empty());
        const auto nets_before = member_nets();
        for (int trial = 0; trial < 25; ++trial) {
            const Point place = places[static_cast<size_t>(pick(static_cast<int>(places.size())))];
            const Point delta{(pick(13) - 6) * 1000, (pick(13) - 6) * 1000};
            if (delta == Point{0, 0}) continue;
            SCOPED_TRACE(::testing::Message()
                         << place.x << "," << place.y << " by " << delta.x << "," << delta.y);
            select_clear(&session);
            select_add(&session, part_at(place));
            if (move_selection(&session, delta, true)) {
                ++drags;
                EXPECT_EQ(member_nets(), nets_before);
                ASSERT_EQ(undo_sheet(&session), 0);
            } else {
                ++refused;
            }
            // The part moved far off, then moved by the offset alone.
            select_clear(&session);
            select_add(&session, part_at(place));
            ASSERT_TRUE(move_selection(&session, Point{2000000, 2000000}, false));
            const auto alone = member_nets();
            ASSERT_EQ(undo_sheet(&session), 0);
            select_clear(&session);
            select_add(&session, part_at(place));
            const bool says_it_joins = SelectionDrag(&session, false).joins_another_net(delta);
            ASSERT_TRUE(move_selection(&session, delta, false));
            if (!says_it_joins) {
                EXPECT_EQ(member_nets(), alone);
            }
            ASSERT_EQ(undo_sheet(&session), 0);
        }
    }
    // Most drops are made (the others would put a pin on another net's wire,
    // or lay a wire no simple bend keeps clear).
    EXPECT_GT(drags, refused);
}

// A square of n by n resistors, each row wired end to end.
std::string resistor_grid(int n) {
    std::ostringstream items;
    for (int row = 0; row < n; ++row)
        for (int col = 0; col < n; ++col) {
            const int x = 6000 + col * 14000, y = 6000 + row * 12000;
            const int number = row * n + col + 1;
            items << "    (PARTLIB 'parts/RES' 0x" << std::hex << number << std::dec
                  << " 1.000000 POWEROFF\n      NO_ROT NORMAL_PART DEVICE 0 (POS " << x << " " << y
                  << " )\n      (ATTRIBUTE 'R" << number << "' VIS SET (POS " << x << " "
                  << y - 1000 << " )  )\n      (ATTRIBUTE '10k' VIS SET (POS " << x << " "
                  << y + 2000 << " )  )\n    )\n";
            if (col + 1 < n)
                items << "    (LINE (POS " << x + 3000 << " " << y + 500 << " ) (POS " << x + 13000
                      << " " << y + 500 << " )  )\n";
        }
    std::ifstream library(TN_TEST_DATA_DIR "/../../examples/amplifier.asc");
    std::stringstream whole;
    whole << library.rdbuf();
    const std::string text = whole.str();
    return "(SCHEMATIC\n  (SHEET\n" + items.str() + "  )\n" +
           text.substr(text.find("  (LIB '$ACTIVE$'"));
}

// Judging a drop copies what lies near the moved items, not all that lies
// between them: two parts at opposite corners copy as much on a large sheet
// as on a small one. A judgement bounded below what it would copy copies
// nothing.
TEST_F(DragTest, JudgingADropCopiesWhatLiesNearTheMovedItemsOnly) {
    tn_test::TempDir dir;
    std::vector<size_t> copied;
    for (int n : {3, 12}) {
        SCOPED_TRACE(n);
        const std::string source = dir.file("grid" + std::to_string(n) + ".asc");
        std::ofstream(source) << resistor_grid(n);
        open_source(source);
        const int far = 6000 + (n - 1) * 14000;
        select_clear(&session);
        select_add(&session, part_at(Point{6000, 6000}));
        select_add(&session, part_at(Point{far, 6000 + (n - 1) * 12000}));
        ASSERT_EQ(selection_count(&session), 2);
        for (bool drag : {false, true}) {
            SelectionDrag judge(&session, drag);
            EXPECT_FALSE(judge.joins_another_net(Point{0, 2000}));
            copied.push_back(judge.copied());
            EXPECT_GT(judge.copied(), 2u);
            EXPECT_EQ(judge.joins_another_net_within(Point{0, 2000}, 2), std::nullopt);
            EXPECT_EQ(judge.copied(), 0u);
        }
    }
    EXPECT_EQ(copied[0], copied[2]);
    EXPECT_EQ(copied[1], copied[3]);
}

}  // namespace
