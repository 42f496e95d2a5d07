// The circle record: a centre and a point on the circle.
#include <algorithm>
#include <cmath>

#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Circle* new_Circle() { return make<Circle>(CIRCLE_ITEM); }

void free_Circle(Circle* circle, bool keep_storage) { release(circle, keep_storage); }

int read_Circle(Circle* circle, FILE* stream) {
    return read_two_points(circle, &circle->on, &circle->pos, stream);
}

void write_Circle(Circle* circle, FILE* stream, uint32_t mask) {
    write_two_points(circle, circle->on, circle->pos, stream, mask);
}

void awrite_Circle(Circle* circle, FILE* stream, int level) {
    awrite_two_points(circle->flags & FILLED ? "(CIRCLE FILLED " : "(CIRCLE ", circle->flags,
                      circle->on, circle->pos, stream, level);
}

void matrix_Circle(Circle* circle, const Matrix* matrix) {
    matrix_apply(matrix, circle->on, &circle->on);
    matrix_apply(matrix, circle->pos, &circle->pos);
}

bool bounds_Circle(Schema*, Circle* circle, Rect* rect, bool accumulate) {
    int64_t r = static_cast<int64_t>(point_distance(circle->pos, circle->on));
    int64_t hw = half_width(circle);
    int64_t size = circle->width + 2 * r;
    return put_bounds(rect, make_rect(circle->pos.x - r - hw, circle->pos.y - r - hw, size, size),
                      accumulate);
}

void flag_Circle(Circle* circle) { flagop_apply(&circle->state); }

double distance_Circle(Schema*, Circle* circle, Point p, uint32_t mask, double tolerance,
                       uint32_t hit_bit) {
    if (!mask_matches(circle->state, mask)) return FAR_AWAY;
    double radius = point_distance(circle->pos, circle->on);
    double d = std::fabs(point_distance(p, circle->pos) - radius) - half_width(circle);
    return mark_hit(circle, std::max(0.0, d), tolerance, hit_bit);
}

bool select_Circle(Schema* doc, View* view, Circle* circle, uint32_t bit, int operation,
                   uint32_t mask) {
    if (!may_pick(view, circle, mask)) return false;
    Rect r;
    bounds_Circle(doc, circle, &r, false);
    Point far_corner = {static_cast<int32_t>(int64_t{r.x} + r.w),
                        static_cast<int32_t>(int64_t{r.y} + r.h)};
    if (!view_point_in_select(view, {r.x, r.y}) || !view_point_in_select(view, far_corner))
        return false;
    mark_picked(circle, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Circle* copy_Circle(const Circle* circle) { return duplicate(circle); }

bool compare_Circle(const Circle* a, const Circle* b) {
    return a->on == b->on && a->pos == b->pos && a->flags == b->flags;
}
