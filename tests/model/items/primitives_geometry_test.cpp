// Geometry of the graphic primitives: bounds, arc extremes, distances and
// hits, transforms, arc stretching and picking.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "model/items/item.h"
#include "model/items/item_streams.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_test;

namespace {

ItemPtr line_of(Point a, Point b, int16_t width = 100) {
    Line* line = new_Line();
    line->pos = a;
    line->end = b;
    line->width = width;
    return ItemPtr(line);
}

ItemPtr arc_of(Point centre, Point start, Point end, uint8_t dir, int16_t width = 100) {
    Arc* arc = new_Arc();
    arc->pos = centre;
    arc->start = start;
    arc->end = end;
    arc->dir = dir;
    arc->width = width;
    return ItemPtr(arc);
}

Rect bounds_of(Item* item) {
    Rect r{-1, -1, -1, -1};
    EXPECT_TRUE(bounds_Item(nullptr, item, &r, false));
    return r;
}

// --- bounds --------------------------------------------------------------------

TEST(Bounds, EveryKindWithItsWidth) {
    ItemPtr circle(new_Item(CIRCLE_ITEM));
    as_Circle(circle.get())->pos = {100, 100};
    as_Circle(circle.get())->on = {103, 104};  // radius 5
    ItemPtr box(new_Item(BOITE_ITEM));
    as_Rect(box.get())->pos = {50, 80};
    as_Rect(box.get())->corner = {10, 20};
    ItemPtr junction(new_Item(JUNCTION_ITEM));
    junction->pos = {1000, 2000};
    ItemPtr poly(new_Item(POLY_ITEM));
    poly->width = 11;
    as_Poly(poly.get())->points = {{5, 7}, {-3, 20}, {8, -1}};
    ItemPtr line = line_of({100, 0}, {0, 40}, 31);
    struct Case {
        Item* item;
        Rect expected;
    } cases[] = {
        {line.get(), {-15, -15, 131, 71}},
        {circle.get(), {45, 45, 110, 110}},
        {box.get(), {-40, -30, 140, 160}},
        {junction.get(), {800, 1800, 400, 400}},
        {poly.get(), {-8, -6, 22, 32}},
    };
    for (const Case& c : cases) EXPECT_EQ(bounds_of(c.item), c.expected) << int(c.item->type);

    Rect plain;
    bounds_Rect(nullptr, as_Rect(box.get()), &plain, false, false);
    EXPECT_EQ(plain, (Rect{10, 20, 40, 60}));
}

TEST(Bounds, AccumulateGrowsAndEmptyRecordsKeepTheRectangle) {
    Rect r{0, 0, 10, 10};
    ItemPtr line = line_of({100, 100}, {200, 100}, 0);
    EXPECT_TRUE(bounds_Item(nullptr, line.get(), &r, true));
    EXPECT_EQ(r, (Rect{0, 0, 200, 100}));

    ItemPtr poly(new_Item(POLY_ITEM));
    ItemPtr fill(new_Item(FILL_ITEM));
    for (Item* empty : {poly.get(), fill.get()}) {
        Rect kept{1, 2, 3, 4};
        EXPECT_FALSE(bounds_Item(nullptr, empty, &kept, false));
        EXPECT_TRUE(bounds_Item(nullptr, empty, &kept, true));
        EXPECT_EQ(kept, (Rect{1, 2, 3, 4}));
    }
    dlist_append(as_Fill(fill.get())->items, line_of({0, 0}, {10, 0}, 2).release());
    dlist_append(as_Fill(fill.get())->items, line_of({0, 50}, {0, 60}, 2).release());
    EXPECT_EQ(bounds_of(fill.get()), (Rect{-1, -1, 12, 62}));
}

// --- arc extremes -------------------------------------------------------------------

struct Extremes {
    int32_t xmin, xmax, ymin, ymax;
};

Extremes extremes_of(const Item* arc) {
    Extremes e;
    boxarc(as_Arc(arc), &e.xmin, &e.xmax, &e.ymin, &e.ymax);
    return e;
}

TEST(Boxarc, QuarterArcAroundTheOriginInBothDirections) {
    const int r = 1000;
    Extremes cw = extremes_of(arc_of({0, 0}, {r, 0}, {0, r}, 1).get());
    EXPECT_EQ(cw.xmin, 0);
    EXPECT_EQ(cw.xmax, r);
    EXPECT_EQ(cw.ymin, 0);
    EXPECT_EQ(cw.ymax, r);
    Extremes ccw = extremes_of(arc_of({0, 0}, {r, 0}, {0, r}, 0).get());
    EXPECT_EQ(ccw.xmin, -r);
    EXPECT_EQ(ccw.xmax, r);
    EXPECT_EQ(ccw.ymin, -r);
    EXPECT_EQ(ccw.ymax, r);
}

TEST(Boxarc, FullCircleAndEndsAtTheCentreTerminate) {
    Extremes full = extremes_of(arc_of({10, 10}, {15, 14}, {15, 14}, 1).get());
    EXPECT_EQ(full.xmin, 10 - 6);
    EXPECT_EQ(full.ymax, 10 + 6);
    for (uint8_t dir : {0, 1}) {
        Extremes to_centre = extremes_of(arc_of({0, 0}, {100, 30}, {0, 0}, dir).get());
        EXPECT_EQ(to_centre.xmin, -104);
        EXPECT_EQ(to_centre.xmax, 104);
        Extremes from_centre = extremes_of(arc_of({0, 0}, {0, 0}, {100, 30}, dir).get());
        EXPECT_EQ(from_centre.xmin, 0);
        Extremes point = extremes_of(arc_of({7, 7}, {7, 7}, {7, 7}, dir).get());
        EXPECT_EQ(point.xmin, 7);
        EXPECT_EQ(point.ymax, 7);
    }
}

// The extremes against a walk along the arc in small steps.
TEST(Boxarc, AgreesWithAWalkAlongTheArc) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> angle(0, 2 * M_PI);
    for (int i = 0; i < 2000; ++i) {
        const double r = 10000, cx = 500, cy = -300;
        double a0 = angle(rng), a1 = angle(rng);
        if (i % 7 == 0) a1 = a0 + (i % 2 ? 0.01 : -0.01);  // same sector, both ways round
        if (i % 11 == 0) a0 = std::round(a0 / (M_PI / 2)) * (M_PI / 2);  // on an axis
        auto at = [&](double a) {
            return Point{static_cast<int32_t>(std::lround(cx + r * std::cos(a))),
                         static_cast<int32_t>(std::lround(cy + r * std::sin(a)))};
        };
        uint8_t dir = i % 2;
        Point s = at(a0), e = at(a1);
        // The same sector and the same x: the format takes it as a full circle.
        if (s == e || (arc_sector({500, -300}, s) == arc_sector({500, -300}, e) && s.x == e.x))
            continue;
        ItemPtr arc = arc_of({500, -300}, s, e, dir);
        Extremes got = extremes_of(arc.get());
        // Walk from the start to the end: increasing angle for direction 1.
        double sweep = dir ? a1 - a0 : a0 - a1;
        sweep = std::fmod(sweep + 4 * M_PI, 2 * M_PI);
        double xmin = std::min(s.x, e.x), xmax = std::max(s.x, e.x);
        double ymin = std::min(s.y, e.y), ymax = std::max(s.y, e.y);
        for (int k = 0; k <= 4000; ++k) {
            double a = a0 + (dir ? 1 : -1) * sweep * k / 4000;
            xmin = std::min(xmin, cx + r * std::cos(a));
            xmax = std::max(xmax, cx + r * std::cos(a));
            ymin = std::min(ymin, cy + r * std::sin(a));
            ymax = std::max(ymax, cy + r * std::sin(a));
        }
        const double slack = 3;
        EXPECT_NEAR(got.xmin, xmin, slack) << i;
        EXPECT_NEAR(got.xmax, xmax, slack) << i;
        EXPECT_NEAR(got.ymin, ymin, slack) << i;
        EXPECT_NEAR(got.ymax, ymax, slack) << i;
    }
}

TEST(Bounds, ArcTakesItsExtremesAndWidth) {
    EXPECT_EQ(bounds_of(arc_of({0, 0}, {1000, 0}, {0, 1000}, 1, 40).get()),
              (Rect{-20, -20, 1040, 1040}));
}

// --- distances and hits ------------------------------------------------------------------

TEST(SegmentDistance, Cases) {
    struct Case {
        Point p, a, b;
        double expected;
    } cases[] = {
        {{5, 5}, {0, 0}, {10, 0}, 5},     {{5, -5}, {0, 0}, {10, 0}, 5},
        {{0, 7}, {0, 0}, {0, 10}, 0},     {{3, 4}, {0, 0}, {0, 0}, 5},
        {{13, 4}, {0, 0}, {10, 0}, 5},    {{-3, -4}, {0, 0}, {10, 0}, 5},
        {{10, 0}, {0, 0}, {10, 0}, 0},    {{0, 10}, {0, 0}, {10, 10}, std::sqrt(50.0)},
        {{2, 9}, {0, 0}, {3, 10}, std::fabs(3.0 * 9 - 10.0 * 2) / std::sqrt(109.0)},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(segment_distance(c.p, c.a, c.b), c.expected, 1e-9) << c.p.x << "," << c.p.y;
}

TEST(Distance, EveryKind) {
    ItemPtr circle(new_Item(CIRCLE_ITEM));
    as_Circle(circle.get())->on = {100, 0};
    circle->width = 10;
    ItemPtr box(new_Item(BOITE_ITEM));
    as_Rect(box.get())->corner = {100, 100};
    ItemPtr junction(new_Item(JUNCTION_ITEM));
    junction->pos = {50, 50};
    ItemPtr poly(new_Item(POLY_ITEM));
    poly->width = 4;
    as_Poly(poly.get())->points = {{0, 0}, {100, 0}, {100, 100}};
    ItemPtr lone(new_Item(POLY_ITEM));
    as_Poly(lone.get())->points = {{0, 0}};
    ItemPtr arc = arc_of({0, 0}, {100, 0}, {0, 100}, 1, 10);
    ItemPtr full = arc_of({0, 0}, {100, 0}, {100, 0}, 1, 10);
    ItemPtr line = line_of({0, 0}, {100, 0}, 10);
    struct Case {
        Item* item;
        Point p;
        double expected;
    } cases[] = {
        {line.get(), {50, 20}, 15},    {line.get(), {50, 3}, 0},
        {circle.get(), {0, 120}, 15},  {circle.get(), {0, 30}, 65},
        {box.get(), {100, 50}, 0},     {box.get(), {50, 50}, 1e10},
        {box.get(), {300, 50}, 1e10},  {junction.get(), {50, 50}, -2.0},
        {junction.get(), {53, 54}, 5}, {poly.get(), {110, 50}, 8},
        {poly.get(), {50, 1}, 0},      {lone.get(), {0, 0}, 1e10},
        {arc.get(), {71, 71}, 0},      {arc.get(), {30, 30}, 53},
        {arc.get(), {0, -100}, 136},   {full.get(), {0, -120}, 20},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(distance_Item(nullptr, c.item, c.p, 0, 1.0, 0), c.expected)
            << int(c.item->type) << " at " << c.p.x << "," << c.p.y;
    }
}

TEST(Distance, HitBitWithinToleranceAndMaskedRecordsAreFar) {
    const uint32_t hit = 0x100000;
    ItemPtr line = line_of({0, 0}, {100, 0}, 0);
    EXPECT_EQ(distance_Item(nullptr, line.get(), {50, 10}, 0, 9.9, hit), 10);
    EXPECT_EQ(line->state & hit, 0u);
    EXPECT_EQ(distance_Item(nullptr, line.get(), {50, 10}, 0, 10, hit), 10);
    EXPECT_NE(line->state & hit, 0u);

    ItemPtr other = line_of({0, 0}, {100, 0}, 0);
    EXPECT_EQ(distance_Item(nullptr, other.get(), {50, 0}, STATE_SELECTED, 10, hit), 1e10);
    EXPECT_EQ(other->state & hit, 0u);
}

TEST(Distance, FillAsksItsBoundaryAndMarksTheHitItems) {
    const uint32_t hit = 0x40;
    ItemPtr fill(new_Item(FILL_ITEM));
    fill->pos = {500, 500};
    Item* near = line_of({0, 0}, {100, 0}, 0).release();
    Item* far = line_of({0, 900}, {100, 900}, 0).release();
    dlist_append(as_Fill(fill.get())->items, far);
    dlist_append(as_Fill(fill.get())->items, near);
    fill->state |= STATE_SELECTED;
    EXPECT_EQ(distance_Item(nullptr, fill.get(), {50, 5}, STATE_SELECTED, 6, hit), 5);
    EXPECT_NE(near->state & hit, 0u);
    EXPECT_EQ(far->state & hit, 0u);
    EXPECT_NE(fill->state & hit, 0u);

    free_Item(fill.get(), true);  // a fill without a list measures to its seed
    EXPECT_EQ(distance_Item(nullptr, fill.get(), {503, 504}, 0, 0, 0), 5);
}

TEST(Nearest, EmptyListTiesAndJunctionUnderTheCursor) {
    List* list = list_new();
    Item* found = reinterpret_cast<Item*>(0x1);
    EXPECT_EQ(nearest_Item(nullptr, list, {0, 0}, &found, 0, 10, 0), 1e10);
    EXPECT_EQ(found, reinterpret_cast<Item*>(0x1));

    Item* first = line_of({-100, 0}, {100, 0}, 0).release();
    Item* second = line_of({0, -100}, {0, 100}, 0).release();
    dlist_append(list, first);
    dlist_append(list, second);
    EXPECT_EQ(nearest_Item(nullptr, list, {0, 0}, &found, 0, 10, 0), 0);
    EXPECT_EQ(found, first);

    Item* junction = new_Item(JUNCTION_ITEM);
    dlist_append(list, junction);
    EXPECT_EQ(nearest_Item(nullptr, list, {0, 0}, &found, 0, 10, 0), -2.0);
    EXPECT_EQ(found, junction);
    dlist_free(list, LIST_FROM_HEAD, free_Item_cb);
}

// --- transforms ----------------------------------------------------------------------

TEST(Transform, EveryPointMovesAndAMirrorKeepsTheArcSpan) {
    Matrix shift;
    matrix_translate(&shift, 10, -20);
    ItemPtr fill = sample_fill();
    ItemPtr moved(copy_Item(fill.get()));
    matrix_Item(moved.get(), &shift);
    EXPECT_EQ(moved->pos, (Point{20, 0}));
    Rect before = bounds_of(fill.get()), after = bounds_of(moved.get());
    EXPECT_EQ(after, (Rect{before.x + 10, before.y - 20, before.w, before.h}));

    ItemPtr poly = sample_poly();
    matrix_Item(poly.get(), &shift);
    EXPECT_EQ(as_Poly(poly.get())->points[3], (Point{-40, -70020}));

    Matrix mirror;
    matrix_mirror(&mirror, 0);  // x -> -x
    for (uint8_t dir : {0, 1}) {
        ItemPtr arc = arc_of({100, 0}, {200, 0}, {100, 100}, dir, 0);
        Rect original = bounds_of(arc.get());
        matrix_Item(arc.get(), &mirror);
        Arc* a = as_Arc(arc.get());
        EXPECT_EQ(a->pos, (Point{-100, 0}));
        EXPECT_EQ(a->start, (Point{-100, 100})) << "start and end swap";
        EXPECT_EQ(a->end, (Point{-200, 0}));
        EXPECT_EQ(a->dir, dir);
        Rect mirrored = bounds_of(arc.get());
        EXPECT_EQ(mirrored, (Rect{-original.x - original.w, original.y, original.w, original.h}));
    }
}

// --- arc stretching --------------------------------------------------------------------

double opening_cos(const Arc* arc) {
    double ax = arc->start.x - arc->pos.x, ay = arc->start.y - arc->pos.y;
    double bx = arc->end.x - arc->pos.x, by = arc->end.y - arc->pos.y;
    return (ax * bx + ay * by) / (std::hypot(ax, ay) * std::hypot(bx, by));
}
double turn(const Arc* arc) {
    return double(arc->start.x - arc->pos.x) * (arc->end.y - arc->pos.y) -
           double(arc->start.y - arc->pos.y) * (arc->end.x - arc->pos.x);
}

TEST(StretchArc, DraggedEndKeepsTheOpeningAngleAndTurn) {
    struct Case {
        uint32_t picked;
        int dx, dy;
    } cases[] = {
        {STATE_SECOND_END, 300, 50},  {STATE_SECOND_END, 0, 700},  {STATE_FIRST_END, -200, 0},
        {STATE_FIRST_END, 0, 300},    {STATE_SECOND_END, 1000, 0}, {STATE_FIRST_END, 450, -450},
    };
    for (const Case& c : cases) {
        for (Point end : {Point{0, 1000}, Point{-1000, 0}, Point{707, -707}}) {
            ItemPtr item = arc_of({0, 0}, {1000, 0}, end, 1);
            Arc* arc = as_Arc(item.get());
            arc->state |= c.picked;
            double cos_before = opening_cos(arc), turn_before = turn(arc);
            Point fixed = c.picked == STATE_FIRST_END ? arc->end : arc->start;
            Point moving = c.picked == STATE_FIRST_END ? arc->start : arc->end;
            Matrix m;
            matrix_translate(&m, c.dx, c.dy);
            stretch_Arc(arc, &m);
            Point now_fixed = c.picked == STATE_FIRST_END ? arc->end : arc->start;
            Point now_moving = c.picked == STATE_FIRST_END ? arc->start : arc->end;
            EXPECT_EQ(now_fixed, fixed);
            EXPECT_EQ(now_moving, (Point{moving.x + c.dx, moving.y + c.dy}));
            double r1 = std::hypot(arc->start.x - arc->pos.x, arc->start.y - arc->pos.y);
            double r2 = std::hypot(arc->end.x - arc->pos.x, arc->end.y - arc->pos.y);
            EXPECT_NEAR(r1, r2, 2.0) << c.dx << "," << c.dy;
            EXPECT_NEAR(opening_cos(arc), cos_before, 0.01) << c.dx << "," << c.dy;
            if (std::fabs(turn_before) > 1) {  // a half circle has no turn to keep
                EXPECT_GT(turn(arc) * turn_before, 0) << c.dx << "," << c.dy;
            }
        }
    }
}

TEST(StretchArc, NoEndOrBothEndsPicked) {
    Matrix m;
    matrix_translate(&m, 5, 7);
    ItemPtr still = arc_of({0, 0}, {100, 0}, {0, 100}, 1);
    stretch_Arc(as_Arc(still.get()), &m);
    EXPECT_TRUE(compare_Item(still.get(), arc_of({0, 0}, {100, 0}, {0, 100}, 1).get()));
    ItemPtr whole = arc_of({0, 0}, {100, 0}, {0, 100}, 1);
    whole->state |= STATE_BOTH_ENDS;
    stretch_Arc(as_Arc(whole.get()), &m);
    EXPECT_TRUE(compare_Item(whole.get(), arc_of({5, 7}, {105, 7}, {5, 107}, 1).get()));
}

TEST(StretchArc, DegenerateDragsGiveAValidRecord) {
    Matrix onto;  // the end dropped onto the fixed start
    matrix_translate(&onto, 100, -100);
    ItemPtr item = arc_of({0, 0}, {100, 0}, {0, 100}, 1);
    item->state |= STATE_SECOND_END;
    stretch_Arc(as_Arc(item.get()), &onto);
    EXPECT_NE(as_Arc(item.get())->end, as_Arc(item.get())->start);

    ItemPtr flat = arc_of({0, 0}, {100, 0}, {100, 0}, 1);  // opening angle 0
    flat->state |= STATE_SECOND_END;
    Matrix shift;
    matrix_translate(&shift, 0, 50);
    stretch_Arc(as_Arc(flat.get()), &shift);
    EXPECT_EQ(as_Arc(flat.get())->end, (Point{100, 50}));
}

// --- picking -----------------------------------------------------------------------------

class Picking : public testing::Test {
protected:
    void SetUp() override {
        flagop_reset();
        view.select = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
        view.select_active = 1;
    }
    bool pick(Item* item, uint32_t mask = 0) {
        return select_Item(nullptr, &view, item, STATE_SELECTED, FLAGOP_OR, mask);
    }
    View view;
};

TEST_F(Picking, LinesAndArcsPickEachEndOnItsOwn) {
    ItemPtr line = line_of({50, 50}, {500, 50});
    EXPECT_TRUE(pick(line.get()));
    EXPECT_EQ(line->state, STATE_NEW | STATE_SELECTED | STATE_FIRST_END);
    ItemPtr arc = arc_of({0, 0}, {-200, 0}, {0, 90}, 0);
    EXPECT_TRUE(pick(arc.get()));
    EXPECT_EQ(arc->state, STATE_NEW | STATE_SELECTED | STATE_SECOND_END);
    ItemPtr inside = line_of({10, 10}, {20, 20});
    EXPECT_TRUE(pick(inside.get()));
    EXPECT_EQ(inside->state & STATE_BOTH_ENDS, STATE_BOTH_ENDS);
    EXPECT_FALSE(pick(line_of({500, 0}, {600, 0}).get()));
}

TEST_F(Picking, OtherKindsPickAsAWhole) {
    ItemPtr circle(new_Item(CIRCLE_ITEM));
    as_Circle(circle.get())->pos = {50, 50};
    as_Circle(circle.get())->on = {50, 60};
    circle->width = 0;
    ItemPtr big(copy_Item(circle.get()));
    as_Circle(big.get())->on = {50, 120};
    ItemPtr box(new_Item(BOITE_ITEM));
    as_Rect(box.get())->pos = {-50, -50};
    as_Rect(box.get())->corner = {10, 10};
    ItemPtr away(copy_Item(box.get()));
    as_Rect(away.get())->corner = {-10, -10};
    ItemPtr poly = sample_poly();
    ItemPtr junction(new_Item(JUNCTION_ITEM));
    ItemPtr fill(new_Item(FILL_ITEM));
    fill->pos = {101, 0};
    EXPECT_TRUE(pick(circle.get()));
    EXPECT_FALSE(pick(big.get())) << "both corners of the bounds must lie inside";
    EXPECT_TRUE(pick(box.get())) << "one corner inside is enough";
    EXPECT_FALSE(pick(away.get()));
    EXPECT_TRUE(pick(poly.get()));
    EXPECT_TRUE(pick(junction.get()));
    EXPECT_FALSE(pick(fill.get()));
    for (Item* picked : {circle.get(), box.get(), poly.get(), junction.get()})
        EXPECT_EQ(picked->state, STATE_NEW | STATE_SELECTED | STATE_BOTH_ENDS);
}

TEST_F(Picking, NoAreaOrFailedMaskPicksNothing) {
    ItemPtr junction(new_Item(JUNCTION_ITEM));
    EXPECT_FALSE(pick(junction.get(), STATE_WINDOW_SAVE));
    view.select.resize(2);
    EXPECT_FALSE(pick(junction.get()));
    EXPECT_EQ(junction->state, STATE_NEW);
}

}  // namespace
