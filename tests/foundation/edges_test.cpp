#include "foundation/edges.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "foundation/heap.h"

namespace {

using Spans = std::vector<std::pair<int32_t, int32_t>>;

class EdgeListTest : public testing::Test {
protected:
    ~EdgeListTest() override { edges_free(&list_, true); }

    // The outline through the points, closed, with the given add operation.
    void polygon(std::vector<Point> pts, int (*add)(Point, Point, EdgeList*)) {
        for (size_t i = 0; i < pts.size(); ++i)
            ASSERT_EQ(add(pts[i], pts[(i + 1) % pts.size()], &list_), 0);
    }
    void square(int32_t x, int32_t y, int32_t side, int (*add)(Point, Point, EdgeList*)) {
        polygon({{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}}, add);
    }
    Spans spans(int32_t y, int32_t height = 1, bool negative = false) {
        EXPECT_EQ(edges_scan(&list_, y, height), 0);
        Spans out;
        int32_t a, b;
        while (negative ? edges_next_span_neg(&list_, &a, &b) : edges_next_span(&list_, &a, &b))
            out.emplace_back(a, b);
        return out;
    }
    EdgeList list_;
};

TEST_F(EdgeListTest, ARectangleGivesOneSpanFromItsTopLineToAboveItsBottom) {
    square(10, 20, 30, edges_add_line);
    EXPECT_EQ(list_.edge_count, 4u);  // the horizontal sides are kept but never cross
    EXPECT_EQ(spans(19), Spans{});
    EXPECT_EQ(spans(20), (Spans{{10, 40}}));  // through the top ends: counted
    EXPECT_EQ(spans(49), (Spans{{10, 40}}));
    EXPECT_EQ(spans(50), Spans{});  // through the bottom ends: not counted
}

TEST_F(EdgeListTest, OverlappingDirectedSquaresGiveOneSpan) {
    square(0, 0, 20, edges_add_line);
    square(10, 10, 20, edges_add_line);
    EXPECT_EQ(spans(15), (Spans{{0, 30}}));
    EXPECT_EQ(spans(5), (Spans{{0, 20}}));
}

TEST_F(EdgeListTest, OverlappingUndirectedSquaresExcludeTheOverlap) {
    square(0, 0, 20, edges_add_line_nodir);
    square(10, 10, 20, edges_add_line_nodir);
    EXPECT_EQ(list_.edge_count, 4u);  // no horizontal sides
    EXPECT_EQ(spans(15), (Spans{{0, 10}, {20, 30}}));
}

TEST_F(EdgeListTest, SlopedEdgesRoundHalfAwayFromZero) {
    polygon({{0, 0}, {3, 2}, {-3, 2}}, edges_add_line);  // x moves 1.5 per line
    EXPECT_EQ(spans(1), (Spans{{-2, 2}}));
}

TEST_F(EdgeListTest, OppositeSenseCountsNegative) {
    square(0, 0, 10, edges_add_line_nh);
    EXPECT_EQ(list_.edge_count, 2u);
    EXPECT_EQ(spans(5, 1, true), (Spans{{0, 10}}));
    edges_free(&list_, true);
    square(0, 0, 10, edges_add_line_rev);
    EXPECT_EQ(list_.edge_count, 2u);
    EXPECT_EQ(spans(5), (Spans{{0, 10}}));
    EXPECT_EQ(spans(5, 1, true), Spans{});
}

// Bands of several lines reuse the crossings only while nothing starts,
// ends or slopes inside them; each new height scans again from the top.
TEST_F(EdgeListTest, BandsGiveTheSameSpansAsSingleLines) {
    polygon({{0, 0}, {10, 0}, {10, 10}, {20, 10}, {20, 20}, {0, 20}}, edges_add_line);
    for (int32_t height : {1, 3, 5, 10}) {
        for (int32_t y = 0; y < 20; y += height) {
            Spans expected = y < 10 ? Spans{{0, 10}} : Spans{{0, 20}};
            EXPECT_EQ(spans(y, height), expected) << "y " << y << " band " << height;
        }
        EXPECT_EQ(spans(20, height), Spans{});
    }
}

// A circle of radius 100 around the origin from four quarter arcs.
TEST_F(EdgeListTest, ArcsBoundACircle) {
    Point c{0, 0};
    Point pts[] = {{100, 0}, {0, -100}, {-100, 0}, {0, 100}};
    for (int i = 0; i < 4; ++i) ASSERT_EQ(edges_add_arc(pts[i], pts[(i + 1) % 4], c, &list_), 0);
    EXPECT_EQ(spans(60), (Spans{{-80, 80}}));
    EXPECT_EQ(spans(-60), (Spans{{-80, 80}}));
    EXPECT_EQ(spans(0), (Spans{{-100, 100}}));
    EXPECT_EQ(spans(-100), Spans{});  // both arcs meet at the apex
}

TEST_F(EdgeListTest, AnArcCrossingOutsideTheRangeOfItsEndsAddsNothing) {
    edges_add_arc_dir({0, -100}, {10, -50}, {0, 0}, 0, &list_);  // candidates +-66 at y -75
    ASSERT_EQ(edges_scan(&list_, -75, 1), 0);
    EXPECT_EQ(list_.crossing_count, 0u);
}

// An arc whose lower end lies a little outside its circle: the scan line
// just above that end misses the circle, and the crossing is the centre's x.
TEST_F(EdgeListTest, AScanLineJustOutsideTheCircleTouchesItAtTheCentre) {
    edges_add_arc({100, 0}, {0, 110}, {0, 0}, &list_);
    ASSERT_EQ(edges_scan(&list_, 105, 1), 0);
    ASSERT_EQ(list_.crossing_count, 1u);
    EXPECT_EQ(list_.crossings[0].x, 0);
    EXPECT_EQ(list_.crossings[0].winding, 1);
}

TEST_F(EdgeListTest, BoundsOfTheEndPoints) {
    Rect r{1, 2, 3, 4};
    EXPECT_FALSE(edges_bounds(&list_, &r, false));
    EXPECT_TRUE(edges_bounds(&list_, &r, true));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    square(10, 20, 30, edges_add_line);
    EXPECT_TRUE(edges_bounds(&list_, &r, true));
    EXPECT_EQ(r, (Rect{1, 2, 39, 48}));
    EXPECT_TRUE(edges_bounds(&list_, &r, false));
    EXPECT_EQ(r, (Rect{10, 20, 30, 30}));
}

TEST_F(EdgeListTest, ExhaustedMemoryKeepsWhatTheListHad) {
    square(0, 0, 10, edges_add_line_nodir);
    heap_fail_at(1);
    EXPECT_EQ(edges_add_line({0, 0}, {5, 5}, &list_), -1);
    EXPECT_EQ(list_.edge_count, 2u);
    heap_fail_at(1);
    EXPECT_EQ(edges_scan(&list_, 5, 1), -1);  // the first crossing array
    EXPECT_EQ(spans(5), (Spans{{0, 10}}));
    heap_fail_at(1);
    EXPECT_EQ(edges_new(), nullptr);
}

}  // namespace
