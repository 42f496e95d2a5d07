// The Add Body and Add Vectors tools driven by editing events, the body
// size and the arithmetic of arcs.
#include <gtest/gtest.h>

#include <cmath>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"

using namespace libedit_test;

namespace {

class BodyTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        start(2);
    }
};

TEST_F(BodyTest, ANewTwoDevicePartWithItsConvertedFormIsMadeByOneClick) {
    ASSERT_TRUE(libedit_place_body(&ed, 2, true));
    EXPECT_STREQ(ModeName(&session, 1), "Add Body");
    EXPECT_EQ(host.prompt, "Click end Body point");
    // Outlines follow the pointer: two rows of two, shown on the overlay.
    move(Point{16000, 14000});
    EXPECT_EQ(host.shown, 8);
    click(Point{16000, 14000});
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(host.shown, 0);
    Part* part = libedit_part(&ed);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(find_LibEntry(lib(), "noname")->part, part);
    EXPECT_EQ(part->body, (Rect{0, 0, 6000, 4000}));
    EXPECT_EQ(part->devices, 2);
    EXPECT_TRUE(part->state & PART_CONVERTED);
    // An empty converted body keeps the form through a save.
    ASSERT_NE(part->convert, nullptr);
    EXPECT_EQ(count(PARTLIB_ITEM), 4);
    EXPECT_TRUE(schema_is_modified(doc()));
    EXPECT_EQ(lib_host.commands.size(), 0u);
}

TEST_F(BodyTest, ABodyIsNeverSmallerThanItsPinsAndZeroDevicesMakeOne) {
    ASSERT_TRUE(libedit_place_body(&ed, 0, false));
    move(Point{10200, 10300});
    click(Point{10200, 10300});
    Part* part = libedit_part(&ed);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->body, (Rect{0, 0, 1000, 1000}));  // no pins: the floor
    EXPECT_EQ(part->devices, 1);
    EXPECT_EQ(count(PARTLIB_ITEM), 1);

    Part* pinned = add_part("P", 1, 4000, 3000, false);
    script_answers({ANSWER_YES});  // the new part's unsaved edits
    get_part("P");
    EXPECT_EQ(part_pin_extent(&ed, libedit_first_placed(&ed)), (Point{2000, 1500}));
    libedit_replace_body(&ed);
    click(Point{11000, 11000});
    EXPECT_EQ(pinned->body, (Rect{0, 0, 2000, 1500}));
}

TEST_F(BodyTest, TurningTheConvertedFormOffDropsItsPinsAndDrawingAndTheMark) {
    Part* part = add_part("C", 1, 2000, 2000, true);
    part->convert_pins = new_PinList();
    append_or_die(part->convert_pins->pins, new_Pin(1));
    get_part("C");
    ASSERT_EQ(count(PARTLIB_ITEM), 2);
    start_add_body_mode(&session, 1, false);
    click(Point{13000, 13000});
    EXPECT_EQ(part->convert, nullptr);
    EXPECT_EQ(part->convert_pins, nullptr);
    EXPECT_FALSE(part->state & PART_CONVERTED);
    EXPECT_EQ(count(PARTLIB_ITEM), 1);
    // Undo brings the form back with its mark.
    libedit_undo(&ed);
    EXPECT_TRUE(part->state & PART_CONVERTED);
    EXPECT_NE(part->convert, nullptr);
    EXPECT_EQ(count(PARTLIB_ITEM), 2);
}

TEST_F(BodyTest, DevicesShrinkAndGrowEveryPinNumberTable) {
    Part* part = add_part("D", 4, 2000, 2000, false);
    Pin* pin = static_cast<Pin*>(part->normal_pins->pins->head->data);
    part_set_devices(part, 2);
    EXPECT_EQ(part->devices, 2);
    EXPECT_EQ(pin->numbers.size(), 2u);
    EXPECT_STREQ(pin_number(pin, 1), "2");
    part_set_devices(part, 5);
    EXPECT_EQ(pin->numbers.size(), 5u);
    EXPECT_STREQ(pin_number(pin, 1), "2");
    EXPECT_STREQ(pin_number(pin, 4), "");
    part_set_devices(part, 0);
    EXPECT_EQ(part->devices, 1);
    EXPECT_EQ(pin->numbers.size(), 1u);
}

TEST_F(BodyTest, ResizingTheBodyKeepsPinsOnTheirEdges) {
    Part* part = add_part("R", 1, 4000, 3000, false);
    get_part("R");
    libedit_set_body_size(&ed, Rect{10000, 10000, 6000, 5000});
    EXPECT_EQ(part->body.w, 6000);
    EXPECT_EQ(part->body.h, 5000);
    EXPECT_EQ(body_rect(body_box_of(items(), libedit_first_placed(&ed))),
              (Rect{10000, 10000, 6000, 5000}));
    // The left input stays at x 0, the top power pin at y 0.
    Pin* input = static_cast<Pin*>(part->normal_pins->pins->head->data);
    EXPECT_EQ(input->pos, (Point{0, 1500}));
    auto* bottom = new_Pin(1);
    bottom->flags = BOTTOM;
    bottom->pos = Point{1000, 3000};
    append_or_die(part->normal_pins->pins, bottom);
    pins_to_body_sides(&ed);
    EXPECT_EQ(bottom->pos, (Point{1000, 5000}));
}

TEST_F(BodyTest, DraggingABodyCornerInTheBaseModeResizesIt) {
    Part* part = add_part("R", 1, 4000, 3000, false);
    get_part("R");
    session_event(&session, EV_LEFT_DOWN, Point{14000, 13000});
    session_event(&session, EV_LEFT_DRAG, Point{15000, 14000});
    session_event(&session, EV_LEFT_DRAG, Point{17000, 15000});
    session_event(&session, EV_LEFT_UP, Point{17000, 15000});
    EXPECT_EQ(part->body.w, 7000);
    EXPECT_EQ(part->body.h, 5000);
    libedit_undo(&ed);
    EXPECT_EQ(part->body.w, 4000);
    // Elsewhere a drawn-out press selects an area.
    session_event(&session, EV_LEFT_DOWN, Point{0, 0});
    session_event(&session, EV_LEFT_DRAG, Point{30000, 30000});
    session_event(&session, EV_LEFT_UP, Point{30000, 30000});
    EXPECT_TRUE(view_has_select_area(&doc()->view));
    // A double click on the name opens Part Names.
    PlacedPart* placed = libedit_first_placed(&ed);
    session_event(&session, EV_LEFT_DCLICK, placed->value.pos);
    ASSERT_EQ(lib_host.commands.size(), 1u);
    EXPECT_EQ(lib_host.commands[0], LIBEDIT_CMD_NAMES);
}

// --- Add Vectors ------------------------------------------------------------------------------
class VectorsTest : public LibEditTest {
protected:
    void SetUp() override {
        LibEditTest::SetUp();
        proper_set(GEOMETRY, 3, 0);  // one straight line per segment
    }
    // The items of a body with their points in part coordinates.
    List* body(Part* part) { return part->normal ? part->normal->items : nullptr; }
    SchItem* last_item(List* list) { return static_cast<SchItem*>(dlist_tail(list)->data); }
};

TEST_F(VectorsTest, WithoutAPartTheToolRefuses) {
    start(2);
    EXPECT_EQ(start_add_vectors(&session, true, DrawShape{}), nullptr);
    EXPECT_EQ(host.bells, 1);
    EXPECT_EQ(last_box_text(), "Place Body First !!!");
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(VectorsTest, LinesByClicksGoIntoTheBodyInPartCoordinates) {
    start(2);
    Part* part = add_part("L", 1, 4000, 3000, false);
    get_part("L");
    ASSERT_NE(start_add_vectors(&session, true, DrawShape{}), nullptr);
    EXPECT_EQ(host.prompt, "Click Vector start");
    click(Point{40000, 40000});  // on no body
    EXPECT_EQ(host.bells, 1);
    click(Point{11000, 11000});
    EXPECT_EQ(host.prompt, "Click Vector end");
    click(Point{13000, 11000});
    click(Point{13000, 12000});
    EXPECT_EQ(body(part)->count, 1u);  // nothing stored before the right click
    right_click(Point{13000, 12000});
    ASSERT_EQ(body(part)->count, 3u);
    Line* second = as_Line(last_item(body(part)));
    EXPECT_EQ(second->pos, (Point{3000, 1000}));
    EXPECT_EQ(second->end, (Point{3000, 2000}));
    EXPECT_EQ(second->flags & STYLE_MASK, DRAW);
    EXPECT_EQ(host.prompt, "Click Vector start");
    EXPECT_EQ(host.shown, 0);
    // A right click with no figure under way ends the tool.
    right_click(Point{13000, 12000});
    EXPECT_EQ(ModeCount(&session), 1);
    // Undo takes the figure away.
    libedit_undo(&ed);
    EXPECT_EQ(body(part)->count, 1u);
}

TEST_F(VectorsTest, BackSpaceTakesTheLastSegmentBackAndBeepsWithNone) {
    start(2);
    Part* part = add_part("L", 1, 4000, 3000, false);
    get_part("L");
    start_add_vectors(&session, true, DrawShape{});
    session_key(&session, TK_BACK);
    EXPECT_EQ(host.bells, 1);
    click(Point{11000, 11000});
    click(Point{12000, 11000});
    click(Point{12000, 12000});
    session_key(&session, TK_BACK);
    right_click(Point{12000, 11000});
    ASSERT_EQ(body(part)->count, 2u);
    EXPECT_EQ(as_Line(last_item(body(part)))->end, (Point{2000, 1000}));
}

TEST_F(VectorsTest, ABoxAndAFilledPolygonAndATitleBlockLine) {
    start(2);
    Part* part = add_part("B", 1, 4000, 3000, false);
    get_part("B");
    start_add_vectors(&session, true, DrawShape{.kind = DRAW_KIND_BOX});
    click(Point{11000, 11000});
    EXPECT_EQ(host.prompt, "Click second box corner");
    click(Point{12000, 12500});
    right_click(Point{12000, 12500});
    Boite* box = as_Rect(last_item(body(part)));
    EXPECT_EQ(box->pos, (Point{1000, 1000}));
    EXPECT_EQ(box->corner, (Point{2000, 2500}));

    start_add_polygon(&session, true);
    EXPECT_EQ(ModeCount(&session), 2);  // the running tool ended first
    click(Point{11000, 11000});
    click(Point{13000, 11000});
    click(Point{13000, 12000});
    click(Point{11000, 11000});
    right_click(Point{11000, 11000});
    Fill* fill = as_Fill(last_item(body(part)));
    EXPECT_EQ(fill->items->count, 3u);

    LibEdit other_ed;
    EditSession template_session;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    session_init(&template_session, schema, 3, &libedit_main_mode, &host);
    libedit_bind(&other_ed, &template_session, nullptr);
    start_add_vectors(&template_session, false, DrawShape{});
    for (Point p : {Point{100, 100}, Point{900, 100}}) {
        session_event(&template_session, EV_MOTION, p);
        session_event(&template_session, EV_LEFT_UP, p);
    }
    session_event(&template_session, EV_RIGHT_UP, Point{900, 100});
    ASSERT_EQ(schema->titleblock.drawing->count, 1u);
    EXPECT_EQ(as_Line(static_cast<SchItem*>(schema->titleblock.drawing->head->data))->end,
              (Point{900, 100}));
    session_close(&template_session);
    libedit_reset(&other_ed);
    close_schema(nullptr, &schema);
}

// The Place menus' drawing entries: a filled circle fills the circles of
// its own tool only, a filled line is a polygon, each entry ends the tool
// of the one before.
TEST_F(VectorsTest, AFilledEntryFillsOnlyTheFiguresOfItsOwnTool) {
    start(2);
    Part* part = add_part("C", 1, 10000, 10000, false);
    get_part("C");
    auto figure = [&](std::initializer_list<Point> points) {
        for (Point p : points) click(p);
        right_click(*(points.end() - 1));
        return last_item(body(part));
    };
    ASSERT_NE(start_libedit_drawing(&session, true, DRAW_KIND_CIRCLE, true), nullptr);
    SchItem* disc = figure({Point{15000, 15000}, Point{16000, 15000}});
    ASSERT_EQ(disc->type, CIRCLE_ITEM);
    EXPECT_TRUE(disc->flags & FILLED);
    ASSERT_NE(start_libedit_drawing(&session, true, DRAW_KIND_CIRCLE, false), nullptr);
    EXPECT_EQ(ModeCount(&session), 2);
    SchItem* ring = figure({Point{15000, 15000}, Point{16000, 15000}});
    ASSERT_EQ(ring->type, CIRCLE_ITEM);
    EXPECT_FALSE(ring->flags & FILLED);
    ASSERT_NE(start_libedit_drawing(&session, true, DRAW_KIND_LINE, true), nullptr);
    EXPECT_EQ(ModeCount(&session), 2);
    EXPECT_EQ(figure({Point{11000, 11000}, Point{13000, 11000}, Point{13000, 12000}})->type,
              FILL_ITEM);
    ASSERT_NE(start_libedit_drawing(&session, true, DRAW_KIND_BOX, false), nullptr);
    EXPECT_EQ(figure({Point{11000, 11000}, Point{12000, 12000}})->type, BOITE_ITEM);
}

// Each drawing tool keeps the shape it was started with: a box tool started
// in a title-block window meanwhile leaves the library window drawing lines.
TEST_F(VectorsTest, AToolStartedInAnotherWindowLeavesThisOnesShape) {
    start(2);
    Part* part = add_part("L", 1, 4000, 3000, false);
    get_part("L");
    ASSERT_NE(start_libedit_drawing(&session, true, DRAW_KIND_LINE, false), nullptr);

    LibEdit other_ed;
    EditSession template_session;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    session_init(&template_session, schema, CANVAS_TEMPLATE, &libedit_main_mode, &host);
    libedit_bind(&other_ed, &template_session, nullptr);
    ASSERT_NE(start_libedit_drawing(&template_session, false, DRAW_KIND_BOX, false), nullptr);

    click(Point{11000, 11000});
    click(Point{13000, 12000});
    right_click(Point{13000, 12000});
    EXPECT_EQ(last_item(body(part))->type, LINE_ITEM);
    EXPECT_EQ(last_item(body(part))->flags & STYLE_MASK, DRAW);
    session_close(&template_session);
    libedit_reset(&other_ed);
    close_schema(nullptr, &schema);
}

TEST_F(VectorsTest, AnArcByItsEndsIsBentThenStoredInQuarters) {
    start(2);
    Part* part = add_part("A", 1, 10000, 10000, false);
    get_part("A");
    start_add_vectors(&session, true, DrawShape{.kind = DRAW_KIND_ARC_END});
    click(Point{13000, 15000});
    EXPECT_EQ(host.prompt, "Click Arc end");
    click(Point{17000, 15000});
    EXPECT_EQ(host.prompt, "Adjust Arc radius");
    // A right click while bending goes back to the end point.
    right_click(Point{17000, 15000});
    EXPECT_EQ(host.prompt, "Click Arc end");
    click(Point{17000, 15000});
    click(Point{17000, 15000});  // bent by nothing: a half circle
    right_click(Point{17000, 15000});
    ASSERT_EQ(body(part)->count, 3u);  // the part's line and two quarters
    auto* first = as_Arc(static_cast<SchItem*>(dlist_next(dlist_head(body(part)))->data));
    EXPECT_EQ(first->pos, (Point{5000, 5000}));
    for (SchItem* item : list_items<SchItem>(body(part)))
        if (item->type == ARC_ITEM) {
            EXPECT_EQ(item->flags & STYLE_MASK, DRAW);
        }
}

// --- arithmetic of arcs --------------------------------------------------------------------------
TEST(ArcMaths, TheBendNeverReachesAStraightChord) {
    EXPECT_EQ(arc_sweep_step(0, 179), 890);
    EXPECT_EQ(arc_sweep_step(0, 181), 910);
    EXPECT_EQ(arc_sweep_step(0, 180), 910);
    EXPECT_EQ(arc_sweep_step(1000, -20), 910);
    EXPECT_EQ(arc_sweep_step(1700, 100), 1800);
    EXPECT_EQ(arc_sweep_step(50, -100), 0);
    EXPECT_EQ(arc_sweep_step(500, 0), 500);
}

TEST(ArcMaths, CentresEndsAndTheDegenerateChord) {
    Point centre;
    ASSERT_TRUE(arc_centre_for_sweep(Point{0, 0}, Point{2000, 0}, 0, &centre));
    EXPECT_EQ(centre, (Point{1000, 0}));
    ASSERT_TRUE(arc_centre_for_sweep(Point{0, 0}, Point{2000, 0}, 450, &centre));
    EXPECT_EQ(centre, (Point{1000, -999}));
    centre = Point{7, 7};
    EXPECT_FALSE(arc_centre_for_sweep(Point{5, 5}, Point{5, 5}, 450, &centre));
    EXPECT_EQ(centre, (Point{7, 7}));

    EXPECT_EQ(arc_end_toward(Point{0, 0}, Point{1000, 0}, Point{0, 500}), (Point{0, 1000}));
    EXPECT_EQ(arc_end_toward(Point{0, 0}, Point{1000, 0}, Point{-3000, 0}), (Point{-1000, 0}));
    EXPECT_EQ(arc_end_toward(Point{0, 0}, Point{1000, 0}, Point{0, 0}), (Point{1000, 0}));
}

int split(Point start, Point end, int dir, List* out) {
    Arc* arc = new_Arc();
    arc->pos = Point{0, 0};
    arc->start = start;
    arc->end = end;
    arc->dir = static_cast<uint8_t>(dir);
    int n = arc_split_quadrants(arc, out);
    free_Arc(arc, false);
    return n;
}

struct ListOfArcs {
    List list;
    ~ListOfArcs() {
        while (list.count)
            dlist_remove_head(&list, [](void* a) { return free_Item(static_cast<Item*>(a)), 0; });
    }
    Arc* at(int i) {
        DListNode* node = dlist_head(&list);
        while (i-- > 0) node = dlist_next(node);
        return as_Arc(static_cast<SchItem*>(node->data));
    }
};

TEST(ArcMaths, ArcsAreCutAtEveryQuarterIntoFivePiecesAtMost) {
    ListOfArcs full;
    EXPECT_EQ(split(Point{1000, 0}, Point{1000, 0}, 1, &full.list), 4);
    EXPECT_EQ(full.at(0)->start, (Point{1000, 0}));
    EXPECT_EQ(full.at(0)->end, (Point{0, 1000}));
    EXPECT_EQ(full.at(3)->end, (Point{1000, 0}));

    ListOfArcs half;
    EXPECT_EQ(split(Point{1000, 0}, Point{-1000, 0}, 1, &half.list), 2);
    EXPECT_EQ(half.at(0)->end, (Point{0, 1000}));
    EXPECT_EQ(half.at(1)->start, (Point{0, 1000}));
    EXPECT_EQ(half.at(1)->end, (Point{-1000, 0}));
    EXPECT_EQ(half.at(1)->dir, 1);

    ListOfArcs back;  // the other way round the same ends: through 270 degrees
    EXPECT_EQ(split(Point{1000, 0}, Point{-1000, 0}, 0, &back.list), 2);
    EXPECT_EQ(back.at(0)->end, (Point{0, -1000}));

    ListOfArcs almost;  // from 10 to 5 degrees the long way
    const double r = 10000;
    auto at = [&](double degrees) {
        double a = degrees / 57.29577950560105;
        return Point{int32_t(std::trunc(r * std::cos(a))), int32_t(std::trunc(r * std::sin(a)))};
    };
    EXPECT_EQ(split(at(10), at(5), 1, &almost.list), 5);
    ListOfArcs same_angle;  // two ends on one ray at different distances: one whole turn
    EXPECT_EQ(split(Point{1000, 10}, Point{2000, 20}, 1, &same_angle.list), 5);
    ListOfArcs inside;  // within one quarter: one piece
    EXPECT_EQ(split(at(10), at(80), 1, &inside.list), 1);
}

}  // namespace
