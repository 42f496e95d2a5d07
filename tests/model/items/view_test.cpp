// The view's transform: matrices and scroll fields, world and window
// conversions on screen and printer, zoom, grid snap, the pointer constraint
// and visibility.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "model/items/view_fixture.h"

namespace {

TEST_F(ViewTest, ScrollFieldsAndVisibleRectangleFromTheCentre) {
    view_set_center(&view, Point{200000, 150000});
    view.frozen = 1;
    EXPECT_FALSE(view_update_transform(&view));
    view.frozen = 0;
    ASSERT_TRUE(view_update_transform(&view));
    EXPECT_EQ(view.extent, (Point{3459, 2767}));
    EXPECT_EQ(view.step, (Point{80, 60}));
    EXPECT_EQ(view.range, (Point{3459 / 80, 2767 / 60}));
    // The centre is scaled with the x factor on both axes: (1383, 1037).
    EXPECT_EQ(view.origin, (Point{1383 - 400 + 40, 1037 - 300 + 30}));
    EXPECT_EQ(view.position, (Point{12, 12}));
    // The scroll bars stand at 960, 720; the canvas shows the centre in its
    // middle, from the window unit (983, 737) on.
    EXPECT_EQ(view.fine, (Point{23, 17}));
    // Grid snap is on by default (1000 units): 983 / 0.006918 = 142093.
    EXPECT_EQ(view.visible, (Rect{142000, 107000, 115640, 86736}));

    // Clean: the visible rectangle follows the canvas's own scroll start.
    canvas[0] = 0;
    canvas[1] = 1;
    view_set_center(&view, Point{200000, 150000});  // unchanged: stays clean
    EXPECT_FALSE(view_update_transform(&view));
    EXPECT_EQ(view.visible.x, 0);
    EXPECT_EQ(view.visible.y, 9000);  // 60 / 0.0069175 = 8673 -> 9000
    view_set_center(&view, Point{-50000, 10});
    EXPECT_TRUE(view_update_transform(&view));
    EXPECT_EQ(view.origin, (Point{0, 0}));  // never negative
    EXPECT_EQ(view.fine, (Point{0, 0}));
}

struct RoundTrip {
    double zoom;
    Point world;
    Point window;
};

class ScreenRoundTrip : public ViewTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(ScreenRoundTrip, WorldToWindowAndBack) {
    const RoundTrip& row = GetParam();
    proper_set(STAY_GRID, 0, 0);
    view_set_scale(&view, row.zoom, false);
    Point window = view_to_screen(&view, row.world);
    EXPECT_EQ(window, row.window);
    Point back = view_to_grid(&view, window);
    Matrix point, size;
    view_get_matrices(&view, &point, &size);
    // Back within one window unit's worth of world units.
    EXPECT_LE(std::abs(back.x - row.world.x), 1.0 / point.m[0][0] + 1);
    EXPECT_LE(std::abs(back.y - row.world.y), 1.0 / point.m[1][1] + 1);
    // Sizes use the same scale.
    EXPECT_EQ(view_size_to_screen(&view, row.world), row.window);
    EXPECT_EQ(view_size_to_screen_nr(&view, row.world), row.window);
    EXPECT_EQ(view_size_to_world(&view, window), back);
}

INSTANTIATE_TEST_SUITE_P(Zooms, ScreenRoundTrip,
                         ::testing::Values(RoundTrip{1.0, {100000, 200000}, {691, 1383}},
                                           RoundTrip{2.0, {100000, 200000}, {1383, 2767}},
                                           RoundTrip{0.25, {100000, -200000}, {172, -345}},
                                           RoundTrip{64.0, {1000, 1000}, {442, 442}},
                                           RoundTrip{1.0, {-7, 0}, {0, 0}}));

TEST_F(ViewTest, PrintingUsesScaleThenOrigin) {
    proper_set(STAY_GRID, 0, PVIS_SCAL, 2.0, 0);
    view.printing = 1;
    view.print_origin_x = 100;
    view.print_origin_y = 50;
    view_invalidate(&view);
    EXPECT_EQ(view_get_scale(&view), 2.0);
    EXPECT_EQ(view_to_screen(&view, Point{1000, 2000}), (Point{1900, 3950}));
    EXPECT_EQ(view_to_grid(&view, Point{1900, 3950}), (Point{1000, 2000}));
    EXPECT_EQ(view_scale_point(&view, Point{1000, 2000}), (Point{1900, 3950}));
    EXPECT_EQ(view_size_to_screen(&view, Point{10, 20}), (Point{20, 40}));
    EXPECT_EQ(view_size_to_world(&view, Point{20, 40}), (Point{10, 20}));
    Matrix point, size;
    view_get_matrices(&view, &point, &size);
    EXPECT_EQ(point.m[2][0], -100.0);
    view.printing = 0;
    EXPECT_EQ(view_get_scale(&view), 1.0);
    view_get_matrices(&view, &point, &size);
    EXPECT_EQ(point.m[2][0], 0.0);
}

// --- zoom ------------------------------------------------------------------------

struct ScaleRow {
    double asked;
    bool free;
    double zoom;
};

class SetScale : public ViewTest, public ::testing::WithParamInterface<ScaleRow> {};

TEST_P(SetScale, ClampsAndRoundsDownToPowersOfTwo) {
    view_set_scale(&view, GetParam().asked, GetParam().free);
    EXPECT_EQ(view.zoom, GetParam().zoom);
}

INSTANTIATE_TEST_SUITE_P(Limits, SetScale,
                         ::testing::Values(ScaleRow{3.0, false, 2.0}, ScaleRow{3.0, true, 3.0},
                                           ScaleRow{0.1, false, 0.25}, ScaleRow{0.1, true, 0.25},
                                           ScaleRow{100, false, 64}, ScaleRow{0.99, false, 0.5},
                                           ScaleRow{63.9, false, 32}, ScaleRow{64, false, 64}));

struct ZoomRectRow {
    Rect rect;
    bool free;
    double zoom;
    Point centre;
};

class ZoomRect : public ViewTest, public ::testing::WithParamInterface<ZoomRectRow> {};

TEST_P(ZoomRect, FitsTheRectangleEnlarged) {
    const ZoomRectRow& row = GetParam();
    view_zoom_rect(&view, row.rect, row.free);
    EXPECT_DOUBLE_EQ(view.zoom, row.zoom);
    EXPECT_EQ(view.centre, row.centre);
}

// zoom = min(800 x 500000 / (1.2 w x 3459.46), 600 x 400000 / (1.2 h x 2767.57)).
INSTANTIATE_TEST_SUITE_P(
    Rectangles, ZoomRect,
    ::testing::Values(ZoomRectRow{{0, 0, 100000, 50000}, true, 0.96354166666666663, {50000, 25000}},
                      ZoomRectRow{{0, 0, 100000, 50000}, false, 0.5, {50000, 25000}},
                      ZoomRectRow{{-1000, 0, 1000, 1000}, true, 64, {-500, 500}},
                      // An empty axis does not take part; both empty keep the zoom.
                      ZoomRectRow{{0, 0, 0, 50000}, true, 1.4453125, {0, 25000}},
                      ZoomRectRow{{10, 20, 0, 0}, true, 1.0, {10, 20}}));

Schema* const the_doc = reinterpret_cast<Schema*>(0x10);
View* hooked_view = nullptr;
Rect hooked_bounds;
bool has_bounds = false;

TEST_F(ViewTest, ZoomAllAndZoomSelectAskTheDocument) {
    view_zoom_all(the_doc);  // default hooks: no view, nothing happens
    EXPECT_EQ(view.zoom, 1.0);

    ViewDocumentHooks hooks;
    hooks.view = [](Schema* s) { return s == the_doc ? hooked_view : nullptr; };
    hooks.bounds = [](Schema*, Rect* out) {
        *out = hooked_bounds;
        return has_bounds;
    };
    install_view_document_hooks(hooks);
    hooked_view = &view;
    hooked_bounds = Rect{0, 0, 100000, 50000};
    has_bounds = false;
    view_update_transform(&view);
    view_zoom_all(the_doc);
    EXPECT_EQ(view.zoom, 1.0);
    EXPECT_EQ(view.dirty, 1);
    view_zoom_select(the_doc);  // no polygon
    EXPECT_EQ(view.zoom, 1.0);
    has_bounds = true;
    view_zoom_all(the_doc);
    EXPECT_DOUBLE_EQ(view.zoom, 0.96354166666666663);
    EXPECT_EQ(view.centre, (Point{50000, 25000}));
    view_set_select_rect(&view, Rect{0, 0, 200000, 50000});
    view_zoom_select(the_doc);
    EXPECT_DOUBLE_EQ(view.zoom, 0.96354166666666663 / 2);
}

// --- grid snap ---------------------------------------------------------------------

struct SnapRow {
    int stay;
    int grid;
    int32_t in;
    int32_t out;
};

class GridSnap : public ViewTest, public ::testing::WithParamInterface<SnapRow> {};

TEST_P(GridSnap, NearestMultipleHalvesAwayFromZero) {
    const SnapRow& row = GetParam();
    identity_mapping();
    proper_set(STAY_GRID, row.stay, GRID_SIZE, row.grid, 0);
    EXPECT_EQ(view_to_grid(&view, Point{row.in, -row.in}), (Point{row.out, -row.out}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, GridSnap,
    ::testing::Values(SnapRow{1, 100, 149, 100}, SnapRow{1, 100, 150, 200},
                      SnapRow{1, 100, -150, -200}, SnapRow{1, 100, -149, -100},
                      SnapRow{1, 100, 0, 0}, SnapRow{2, 100, 14, 10}, SnapRow{2, 100, 15, 20},
                      SnapRow{0, 100, 149, 149},
                      // A grid below one unit does not snap (and never divides by 0).
                      SnapRow{1, 0, 149, 149}, SnapRow{2, 9, 149, 149}));

// --- pointer constraint --------------------------------------------------------------

struct ClipRow {
    int mode;
    Point in;
    Point out;
};

class Constraint : public ViewTest, public ::testing::WithParamInterface<ClipRow> {};

TEST_P(Constraint, OnA1000By200Rectangle) {
    const ClipRow& row = GetParam();
    view_set_clip(&view, Rect{0, 0, 1000, 200}, row.mode);
    Point p = row.in;
    EXPECT_EQ(view_clip_point(&view, &p, nullptr), !(row.in == row.out));
    EXPECT_EQ(p, row.out);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Constraint,
    ::testing::Values(ClipRow{1, {-50, 300}, {0, 200}}, ClipRow{1, {500, 100}, {500, 100}},
                      ClipRow{2, {100, 50}, {0, 50}}, ClipRow{2, {600, 50}, {1000, 50}},
                      ClipRow{2, {2000, -9}, {1000, 0}}, ClipRow{3, {100, 50}, {100, 0}},
                      ClipRow{3, {100, 150}, {100, 200}}, ClipRow{4, {100, 90}, {100, 0}},
                      ClipRow{4, {10, 100}, {0, 100}}, ClipRow{4, {500, 180}, {500, 200}},
                      ClipRow{5, {600, 50}, {0, 50}}, ClipRow{6, {600, 150}, {600, 0}},
                      // No mode: only the sheet limits (CURSOR_IN_SHEET is on by default).
                      ClipRow{0, {-50, 300}, {0, 300}}));

TEST_F(ViewTest, MarginsShrinkTheConstraintWhenTheyFit) {
    view_set_clip(&view, Rect{0, 0, 1000, 200}, CLIP_INSIDE);
    view_set_clip_margins(&view, Point{10, 20}, Point{30, 40});
    Point p{-5, -5};
    EXPECT_TRUE(view_clip_point(&view, &p, nullptr));
    EXPECT_EQ(p, (Point{10, 20}));
    p = Point{2000, 2000};
    view_clip_point(&view, &p, nullptr);
    EXPECT_EQ(p, (Point{970, 160}));

    // Too wide (left + right not below the width): ignored.
    view_set_clip_margins(&view, Point{500, 0}, Point{500, 0});
    EXPECT_EQ(view.margin_left, 10);

    // Mode 0 drops the margins, and margins need a mode.
    view_set_clip(&view, Rect{0, 0, 1000, 200}, CLIP_NONE);
    EXPECT_EQ(view.margin_left + view.margin_top + view.margin_right + view.margin_bottom, 0);
    view_set_clip_margins(&view, Point{1, 1}, Point{1, 1});
    EXPECT_EQ(view.margin_left, 0);
}

int hooked_sheet_size = 0;

TEST_F(ViewTest, CursorKeptOnTheSheet) {
    proper_set(CURSOR_IN_SHEET, 1, 0);
    view_load_options(&view);
    Point p{-5, 20};
    EXPECT_TRUE(view_clip_point(&view, &p, nullptr));
    EXPECT_EQ(p, (Point{0, 20}));
    // No document: sheet size 0, 9700 x 7200, times 10.
    p = Point{100000, 80000};
    view_clip_point(&view, &p, nullptr);
    EXPECT_EQ(p, (Point{97000, 72000}));

    ViewDocumentHooks hooks;
    hooks.sheet_size = [](const Schema*) { return hooked_sheet_size; };
    install_view_document_hooks(hooks);
    hooked_sheet_size = 2;
    p = Point{300000, 170000};
    view_clip_point(&view, &p, the_doc);
    EXPECT_EQ(p, (Point{202000, 162000}));

    proper_set(CURSOR_IN_SHEET, 0, 0);
    view_load_options(&view);
    p = Point{-5, 20};
    EXPECT_FALSE(view_clip_point(&view, &p, nullptr));
}

TEST_F(ViewTest, ToWorldSnapsThenConstrains) {
    identity_mapping();
    proper_set(STAY_GRID, 1, GRID_SIZE, 100, 0);
    view_set_clip(&view, Rect{0, 0, 1000, 1000}, CLIP_INSIDE);
    Point world;
    EXPECT_TRUE(view_to_world(&view, Point{-149, 20}, &world, nullptr));
    EXPECT_EQ(world, (Point{0, 0}));
    EXPECT_FALSE(view_to_world(&view, Point{351, 449}, &world, nullptr));
    EXPECT_EQ(world, (Point{400, 400}));

    Point window{1351, 449};
    EXPECT_TRUE(view_snap_point(&view, &window, nullptr));
    EXPECT_EQ(window, (Point{1000, 400}));
    proper_set(STAY_GRID, 0, 0);
    window = Point{1351, 449};
    EXPECT_FALSE(view_snap_point(&view, &window, nullptr));
    EXPECT_EQ(window, (Point{1351, 449}));
}

// --- visibility ------------------------------------------------------------------------

TEST_F(ViewTest, VisibilityTests) {
    view.visible = Rect{0, 0, 1000, 500};
    EXPECT_FALSE(view_ensure_visible(&view, Point{1000, 500}));
    EXPECT_TRUE(view_ensure_visible(&view, Point{1001, 0}));
    EXPECT_EQ(view.centre, (Point{1001, 0}));
    EXPECT_TRUE(view_rect_visible(&view, Rect{-100, -100, 100, 100}));  // touches a corner
    EXPECT_FALSE(view_rect_visible(&view, Rect{-100, -100, 99, 500}));
    EXPECT_FALSE(view_rect_visible(&view, Rect{0, 501, 10, 10}));
    view_set_clip_window(&view, Rect{2000, 2000, 10, 10});
    EXPECT_FALSE(view_rect_visible(&view, Rect{0, 0, 10, 10}));
    EXPECT_TRUE(view_rect_visible(&view, Rect{2005, 1990, 1, 10}));
    view_set_clip_window(&view, Rect{2000, 2000, 10, 0});  // one zero side: not set
    EXPECT_TRUE(view_rect_visible(&view, Rect{0, 0, 10, 10}));
}

}  // namespace
