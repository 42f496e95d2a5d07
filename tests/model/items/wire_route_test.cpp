// Wire routing in the four drawing modes, and the ASCII writer helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/item_streams.h"
#include "model/items/primitives.h"
#include "model/items/wire_route.h"

using namespace items_test;

namespace {

// A routed leg: a line's two ends, or an arc's start, end, centre and direction.
struct Leg {
    int type;
    Point a, b, centre;
    int dir;
    friend bool operator==(const Leg&, const Leg&) = default;
};
Leg L(Point a, Point b) { return {LINE_ITEM, a, b, {}, 0}; }
Leg A(Point start, Point end, Point centre, int dir) { return {ARC_ITEM, start, end, centre, dir}; }

std::ostream& operator<<(std::ostream& os, const Leg& leg) {
    return os << (leg.type == LINE_ITEM ? "line " : "arc ") << leg.a.x << "," << leg.a.y << " -> "
              << leg.b.x << "," << leg.b.y << " c " << leg.centre.x << "," << leg.centre.y << " d "
              << leg.dir;
}

Leg leg_of(const SchItem* item) {
    if (item->type == LINE_ITEM) return L(item->pos, as_Line(item)->end);
    const Arc* arc = as_Arc(item);
    return A(arc->start, arc->end, arc->pos, arc->dir);
}

struct Routed {
    int result = -1;
    int count = 0;
    std::vector<Leg> legs;
};

Routed route(int mode, Point a, Point b) {
    SchItem* first = new_Item(LINE_ITEM);
    SchItem* second = new_Item(LINE_ITEM);
    Routed r;
    r.result = route_Wire(mode, a, b, &first, &second, &r.count);
    if (r.count >= 1) r.legs.push_back(leg_of(first));
    if (r.count >= 2) r.legs.push_back(leg_of(second));
    free_Item(first);
    free_Item(second);
    return r;
}

struct Case {
    int side;  // wire_side before the call
    int mode;
    Point a, b;
    int result;
    std::vector<Leg> legs;
};

class Routing : public testing::TestWithParam<Case> {};

TEST_P(Routing, LegsAndResult) {
    const Case& c = GetParam();
    set_wire_side(c.side);
    Routed r = route(c.mode, c.a, c.b);
    EXPECT_EQ(r.result, c.result);
    EXPECT_EQ(r.count, static_cast<int>(c.legs.size()));
    EXPECT_EQ(r.legs, c.legs);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Routing,
    testing::Values(
        Case{0, 0, {0, 0}, {100, 50}, 1, {L({0, 0}, {100, 0}), L({100, 0}, {100, 50})}},
        Case{1, 0, {0, 0}, {100, 50}, 1, {L({0, 0}, {0, 50}), L({0, 50}, {100, 50})}},
        Case{0, 1, {0, 0}, {10, 3}, 1, {L({0, 0}, {7, 0}), L({7, 0}, {10, 3})}},
        Case{1, 1, {0, 0}, {10, 3}, 1, {L({0, 0}, {3, 3}), L({3, 3}, {10, 3})}},
        Case{0, 1, {0, 0}, {10, -3}, 1, {L({0, 0}, {7, 0}), L({7, 0}, {10, -3})}},
        Case{1, 1, {0, 0}, {3, 10}, 1, {L({0, 0}, {0, 7}), L({0, 7}, {3, 10})}},
        Case{0, 1, {0, 0}, {-3, 10}, 1, {L({0, 0}, {-3, 3}), L({-3, 3}, {-3, 10})}},
        Case{0, 2, {0, 0}, {10, 3}, 2, {L({0, 0}, {7, 0}), A({7, 0}, {10, 3}, {7, 3}, 1)}},
        Case{1, 2, {0, 0}, {10, 3}, 3, {A({0, 0}, {3, 3}, {3, 0}, 0), L({3, 3}, {10, 3})}},
        Case{1, 2, {0, 0}, {3, 10}, 2, {L({0, 0}, {0, 7}), A({0, 7}, {3, 10}, {3, 7}, 0)}},
        Case{0, 2, {0, 0}, {-3, 10}, 3, {A({0, 0}, {-3, 3}, {0, 3}, 0), L({-3, 3}, {-3, 10})}},
        Case{0, 3, {0, 0}, {10, 3}, 0, {L({0, 0}, {10, 3})}},
        Case{1, 0, {5, 5}, {5, 5}, 0, {L({5, 5}, {5, 5})}},
        Case{0, 2, {0, 0}, {0, 70}, 0, {L({0, 0}, {0, 70})}}, Case{0, 7, {0, 0}, {10, 3}, 0, {}}));

TEST(Routing, StraightGesturesSetTheSide) {
    set_wire_side(1);
    route(0, {0, 0}, {100, 0});
    EXPECT_EQ(wire_side(), 0);
    route(0, {0, 0}, {0, 70});
    EXPECT_EQ(wire_side(), 1);
    Routed r = route(0, {0, 0}, {100, 50});
    EXPECT_EQ(r.legs[0], L({0, 0}, {0, 50}));
    route(0, {3, 3}, {3, 3});
    EXPECT_EQ(wire_side(), 0) << "equal points share their y first";
}

// Every quarter arc the router makes is a real quarter of a circle in the
// direction it claims.
TEST(Routing, ArcLegsAreQuarterCircles) {
    for (int side : {0, 1}) {
        for (Point b : {Point{40, 17}, Point{-40, 17}, Point{40, -17}, Point{-40, -17},
                        Point{17, 40}, Point{-17, 40}, Point{17, -40}, Point{-17, -40}}) {
            set_wire_side(side);
            Routed r = route(ROUTE_ARC, {0, 0}, b);
            ASSERT_EQ(r.count, 2);
            const Leg& arc = r.legs[r.legs[0].type == ARC_ITEM ? 0 : 1];
            ASSERT_EQ(arc.type, ARC_ITEM);
            double ra = std::hypot(arc.a.x - arc.centre.x, arc.a.y - arc.centre.y);
            double rb = std::hypot(arc.b.x - arc.centre.x, arc.b.y - arc.centre.y);
            EXPECT_EQ(ra, rb);
            // Direction 1 turns from start to end through increasing angle.
            double cross = double(arc.a.x - arc.centre.x) * (arc.b.y - arc.centre.y) -
                           double(arc.a.y - arc.centre.y) * (arc.b.x - arc.centre.x);
            EXPECT_EQ(cross > 0, arc.dir == 1) << b.x << "," << b.y << " side " << side;
            EXPECT_EQ(r.legs.front().a, (Point{0, 0}));
            EXPECT_EQ(r.legs.back().b, b);
        }
    }
}

TEST(Routing, ReplacedRecordsKeepTheirHead) {
    SchItem* first = new_Item(ARC_ITEM);
    first->width = 250;
    first->flags = BUS;
    first->state = 0x8001;
    SchItem* second = nullptr;
    int count = 0;
    set_wire_side(0);
    route_Wire(ROUTE_ORTHOGONAL, {0, 0}, {10, 10}, &first, &second, &count);
    ASSERT_EQ(first->type, LINE_ITEM);
    EXPECT_EQ(first->width, 250);
    EXPECT_EQ(first->flags, BUS);
    EXPECT_EQ(first->state, 0x8001u);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->type, LINE_ITEM);
    free_Item(first);
    free_Item(second);
}

TEST(AsciiHelpers, PointsAndSizesAtALevelOrInline) {
    EXPECT_EQ(text_written([](FILE* f) { write_POS({10, -20}, f, 2); }), "    (POS 10 -20 )\n");
    EXPECT_EQ(text_written([](FILE* f) { write_POS({10, -20}, f, -1); }), "(POS 10 -20 ) ");
    EXPECT_EQ(text_written([](FILE* f) { write_SIZE16({-5, 32767}, f, 0); }), "(SIZE -5 32767 )\n");
    EXPECT_EQ(text_written([](FILE* f) { write_SIZE(INT32_MIN, 7, f, -1); }),
              "(SIZE -2147483648 7 ) ");
    EXPECT_EQ(text_written([](FILE* f) { write_indent(f, 3); }), "      ");
    set_newline_hook([] { return 1; });
    EXPECT_EQ(text_written([](FILE* f) { write_POS({1, 2}, f, 1); }), "  (POS 1 2 )\r\n");
    set_newline_hook(nullptr);
}

}  // namespace
