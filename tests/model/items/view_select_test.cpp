// The rectangle helpers and the view's selection area: the rectangle and
// polygon forms, edge and vertex handles, dragging, growth and the tests the
// hit routines ask.
#include <gtest/gtest.h>

#include "model/items/view_fixture.h"

namespace {

// --- rectangle helpers -----------------------------------------------------------------

TEST(RectHelpers, ContainsAndInside) {
    Rect r{10, 20, 100, 50};
    EXPECT_TRUE(rect_contains_point(r, Point{10, 20}));
    EXPECT_TRUE(rect_contains_point(r, Point{110, 70}));
    EXPECT_FALSE(rect_contains_point(r, Point{111, 70}));
    EXPECT_FALSE(rect_contains_point(r, Point{50, 19}));
    Rect outer{0, 0, 1000, 1000};
    // Bounds widened by a width of 100 (50 each side) still fit.
    EXPECT_TRUE(rect_inside_rect(Rect{-50, -50, 1100, 1100}, outer, 100));
    EXPECT_FALSE(rect_inside_rect(Rect{-50, -50, 1100, 1100}, outer, 99));
    EXPECT_FALSE(rect_inside_rect(Rect{0, 0, 1001, 1000}, outer, 0));
}

TEST(RectHelpers, SegmentRejectedOnlyBeyondOneSide) {
    Rect r{0, 0, 100, 100};
    EXPECT_FALSE(segment_may_cross_rect(Point{-10, -50}, Point{-1, 500}, r));
    EXPECT_FALSE(segment_may_cross_rect(Point{101, 0}, Point{200, 0}, r));
    EXPECT_FALSE(segment_may_cross_rect(Point{0, -1}, Point{50, -300}, r));
    EXPECT_TRUE(segment_may_cross_rect(Point{-10, 50}, Point{110, 50}, r));
    // Both ends outside, on different sides, far from the rectangle: not rejected.
    EXPECT_TRUE(segment_may_cross_rect(Point{-10, 500}, Point{500, -10}, r));
}

struct EdgeRow {
    Point p;
    double tolerance;
    int result;
    double distance;
};

class EdgeDistance : public ::testing::TestWithParam<EdgeRow> {};

TEST_P(EdgeDistance, ToTheOutline) {
    const EdgeRow& row = GetParam();
    double d = -1;
    // Corners in either order give the same answer.
    EXPECT_EQ(rect_edge_distance(row.p, &d, Point{100, 100}, Point{0, 0}, row.tolerance),
              row.result);
    EXPECT_DOUBLE_EQ(d, row.distance);
    EXPECT_EQ(rect_edge_distance(row.p, &d, Rect{0, 0, 100, 100}, row.tolerance), row.result);
}

INSTANTIATE_TEST_SUITE_P(
    Points, EdgeDistance,
    ::testing::Values(EdgeRow{{50, 0}, 0, RECT_EDGE_NEAR, 0}, EdgeRow{{50, 3}, 5, RECT_EDGE_NEAR, 0},
                      EdgeRow{{50, -5}, 5, RECT_EDGE_NEAR, 0},
                      EdgeRow{{90, 50}, 5, RECT_EDGE_INSIDE, 10},
                      EdgeRow{{50, -20}, 5, RECT_EDGE_FAR, 20},
                      EdgeRow{{103, 104}, 1, RECT_EDGE_FAR, 5},
                      // A negative tolerance only tells inside from outside.
                      EdgeRow{{100, 50}, -1, RECT_EDGE_INSIDE, 0}));

// --- selection rectangle ----------------------------------------------------------------

TEST_F(ViewTest, SelectRectActiveFromFiveWindowUnits) {
    identity_mapping();
    EXPECT_TRUE(view_set_select_rect(&view, Rect{100, 100, 5, 5}));
    ASSERT_EQ(view.select.size(), 5u);
    EXPECT_EQ(view_select_point(&view, 2), (Point{105, 105}));
    EXPECT_EQ(view_select_point(&view, 4), view_select_point(&view, 0));
    EXPECT_TRUE(view_has_select_area(&view));
    EXPECT_FALSE(view_set_select_rect(&view, Rect{100, 100, 4, 50}));
    EXPECT_TRUE(view_set_select_rect(&view, Rect{100, 100, -50, -50}));

    // Inactive: every point and rectangle passes.
    view_select_at(&view, Point{7, 7});
    EXPECT_FALSE(view_has_select_area(&view));
    EXPECT_TRUE(view_point_in_select(&view, Point{-99999, 99999}));
    EXPECT_TRUE(view_rect_in_select(&view, Rect{5000, 5000, 1, 1}));
}

TEST_F(ViewTest, SelectRectOnScreenMeasuresWindowUnits) {
    view_update_transform(&view);
    // At zoom 1 a window unit is about 145 world units: 700 is 4.8 units.
    EXPECT_FALSE(view_set_select_rect(&view, Rect{0, 0, 700, 10000}));
    EXPECT_TRUE(view_set_select_rect(&view, Rect{0, 0, 800, 800}));
}

TEST_F(ViewTest, PointAndRectInSelectUseTheBounds) {
    identity_mapping();
    view_set_select_rect(&view, Rect{100, 100, 200, 100});
    Rect b;
    EXPECT_TRUE(view_get_select_bounds(&view, &b));
    EXPECT_EQ(b, (Rect{100, 100, 200, 100}));
    EXPECT_TRUE(view_point_in_select(&view, Point{300, 200}));
    EXPECT_FALSE(view_point_in_select(&view, Point{301, 200}));
    EXPECT_TRUE(view_rect_in_select(&view, Rect{290, 190, 100, 100}));   // one corner in
    EXPECT_FALSE(view_rect_in_select(&view, Rect{0, 0, 1000, 1000}));    // corners all out
    view_select_reset_flags(&view);
    EXPECT_EQ(view.select_rect_mode, 0);
    EXPECT_TRUE(view_point_in_select(&view, Point{301, 200}));
}

TEST_F(ViewTest, ResizeKeepsTheFirstCorner) {
    identity_mapping();
    view_select_at(&view, Point{100, 100});
    view_select_resize_to(&view, Point{40, 300});
    Rect b;
    EXPECT_TRUE(view_get_select_bounds(&view, &b));
    EXPECT_EQ(b, (Rect{40, 100, 60, 200}));
}

struct HandleRow {
    int x, y;
    int handle;
};

class EdgeHandles : public ViewTest, public ::testing::WithParamInterface<HandleRow> {};

// The rectangle (100, 100) - (300, 200), window = world.
TEST_P(EdgeHandles, WithinFiveUnitsOfAnEdge) {
    identity_mapping();
    view_set_select_rect(&view, Rect{100, 100, 200, 100});
    EXPECT_EQ(view_select_handle(&view, GetParam().x, GetParam().y), GetParam().handle);
}

INSTANTIATE_TEST_SUITE_P(
    Points, EdgeHandles,
    ::testing::Values(HandleRow{102, 150, HANDLE_LEFT}, HandleRow{96, 150, HANDLE_LEFT},
                      HandleRow{95, 150, 0}, HandleRow{298, 150, HANDLE_RIGHT},
                      HandleRow{200, 103, HANDLE_TOP}, HandleRow{200, 197, HANDLE_BOTTOM},
                      HandleRow{102, 103, HANDLE_LEFT | HANDLE_TOP},
                      HandleRow{298, 198, HANDLE_RIGHT | HANDLE_BOTTOM},
                      HandleRow{200, 150, 0}, HandleRow{102, 205, 0}, HandleRow{102, 204, 9},
                      HandleRow{305, 104, 0}));

// Near both edges of a rectangle narrower than the reach, the right and the
// bottom edge win.
TEST_F(ViewTest, ThinRectangleGivesTheOppositeEdges) {
    identity_mapping();
    view_set_select_rect(&view, Rect{100, 100, 6, 6});
    EXPECT_EQ(view_select_handle(&view, 103, 103), HANDLE_RIGHT | HANDLE_BOTTOM);
}

TEST_F(ViewTest, DraggingEdgesMovesThem) {
    identity_mapping();
    view_set_select_rect(&view, Rect{100, 100, 200, 100});
    Rect b;
    view_drag_handle(&view, HANDLE_LEFT | HANDLE_BOTTOM, Point{50, 400});
    view_get_select_bounds(&view, &b);
    EXPECT_EQ(b, (Rect{50, 100, 250, 300}));
    view_drag_handle(&view, HANDLE_RIGHT | HANDLE_TOP, Point{60, 90});
    view_get_select_bounds(&view, &b);
    EXPECT_EQ(b, (Rect{50, 90, 10, 310}));
    // Past the opposite edge: the outline turns over and stays whole.
    view_drag_handle(&view, HANDLE_RIGHT, Point{0, 0});
    view_get_select_bounds(&view, &b);
    EXPECT_EQ(b, (Rect{0, 90, 50, 310}));
}

// --- polygon -----------------------------------------------------------------------------

TEST_F(ViewTest, PolygonVertexHandlesAndDragging) {
    identity_mapping();
    EXPECT_EQ(view_select_start(&view, Point{100, 100}), HANDLE_VERTEX + 2);
    EXPECT_EQ(view.select.size(), 3u);
    EXPECT_FALSE(view.select_active);
    EXPECT_EQ(view.select_rect_mode, 0);

    view_drag_handle(&view, HANDLE_VERTEX + 1, Point{300, 100});
    EXPECT_TRUE(view.select_active);
    EXPECT_EQ(view_select_add_vertex(&view), HANDLE_VERTEX + 3);
    view_drag_handle(&view, HANDLE_VERTEX + 2, Point{300, 300});
    view_drag_handle(&view, HANDLE_VERTEX + 0, Point{90, 90});  // the last point follows
    EXPECT_EQ(view_select_point(&view, 3), (Point{90, 90}));
    EXPECT_TRUE(view_has_select_area(&view));

    EXPECT_EQ(view_select_handle(&view, 303, 296), HANDLE_VERTEX + 2);
    EXPECT_EQ(view_select_handle(&view, 85, 95), HANDLE_VERTEX + 0);  // first of the equal ends
    EXPECT_EQ(view_select_handle(&view, 306, 300), 0);
}

TEST_F(ViewTest, PolygonGrowsFivePointsAtATime) {
    view_select_start(&view, Point{0, 0});
    EXPECT_EQ(view.select.capacity(), 5u);
    for (int i = 1; i <= 12; ++i) {
        int handle = view_select_add_vertex(&view);
        view_drag_handle(&view, handle - 1, Point{i * 10, i * i});
        EXPECT_EQ(handle, HANDLE_VERTEX + 2 + i);
        EXPECT_EQ(view.select.capacity() % 5, 0u);
    }
    ASSERT_EQ(view.select.size(), 15u);
    EXPECT_EQ(view.select.capacity(), 15u);
    for (int i = 1; i <= 12; ++i) EXPECT_EQ(view_select_point(&view, i + 1), (Point{i * 10, i * i}));
    EXPECT_EQ(view_select_point(&view, 14), (Point{0, 0}));
}

TEST_F(ViewTest, RemovingVerticesKeepsTheClosingPoint) {
    view_select_start(&view, Point{0, 0});
    view_select_add_vertex(&view);
    view_drag_handle(&view, HANDLE_VERTEX + 1, Point{10, 0});
    view_drag_handle(&view, HANDLE_VERTEX + 2, Point{10, 10});
    view_select_add_vertex(&view);  // 5 points: 0, (10,0), (10,10), 0, 0
    view_drag_handle(&view, HANDLE_VERTEX + 3, Point{0, 10});
    ASSERT_EQ(view.select.size(), 5u);
    view_select_remove_vertex(&view);
    ASSERT_EQ(view.select.size(), 4u);
    EXPECT_EQ(view_select_point(&view, 2), (Point{10, 10}));
    EXPECT_EQ(view_select_point(&view, 3), (Point{0, 0}));
    EXPECT_TRUE(view.select_active);
    view_select_remove_vertex(&view);
    EXPECT_EQ(view.select.size(), 3u);
    EXPECT_FALSE(view.select_active);
}

TEST_F(ViewTest, SelectEdgesFollowTheSides) {
    view_set_select_rect(&view, Rect{0, 0, 100, 50});
    view_make_select_edges(&view);
    EXPECT_EQ(view.select_edges.edge_count, 4u);
    Rect b;
    EXPECT_TRUE(edges_bounds(&view.select_edges, &b, false));
    EXPECT_EQ(b, (Rect{0, 0, 100, 50}));
    ASSERT_EQ(edges_scan(&view.select_edges, 25, 1), 0);
    int32_t x1 = 0, x2 = 0;
    ASSERT_TRUE(edges_next_span(&view.select_edges, &x1, &x2));
    EXPECT_EQ(x1, 0);
    EXPECT_EQ(x2, 100);
    view_make_select_edges(&view);  // built again, not added to
    EXPECT_EQ(view.select_edges.edge_count, 4u);
    view_free_select_edges(&view);
    EXPECT_EQ(view.select_edges.edge_count, 0u);
}

}  // namespace
