// The rectangle record (Boite): two opposite corners.
#include <algorithm>
#include <cstdlib>

#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Boite* new_Rect() { return make<Boite>(BOITE_ITEM); }

void free_Rect(Boite* box, bool keep_storage) { release(box, keep_storage); }

int read_Rect(Boite* box, FILE* stream) {
    return read_two_points(box, &box->pos, &box->corner, stream);
}

void write_Rect(Boite* box, FILE* stream, uint32_t mask) {
    write_two_points(box, box->pos, box->corner, stream, mask);
}

void awrite_Rect(Boite* box, FILE* stream, int level) {
    awrite_two_points("(RECT ", box->flags, box->pos, box->corner, stream, level);
}

void matrix_Rect(Boite* box, const Matrix* matrix) {
    matrix_apply(matrix, box->pos, &box->pos);
    matrix_apply(matrix, box->corner, &box->corner);
}

namespace {

// The rectangle the two corners span, without the line width.
Rect spanned(const Boite* box) {
    Point a = box->pos, b = box->corner;
    return make_rect(std::min(a.x, b.x), std::min(a.y, b.y), std::llabs(int64_t{b.x} - a.x),
                     std::llabs(int64_t{b.y} - a.y));
}

}  // namespace

bool bounds_Rect(Schema*, Boite* box, Rect* rect, bool accumulate, bool widen) {
    Rect r = spanned(box);
    if (widen) {
        int64_t hw = half_width(box);
        r = make_rect(r.x - hw, r.y - hw, int64_t{r.w} + box->width, int64_t{r.h} + box->width);
    }
    return put_bounds(rect, r, accumulate);
}

void flag_Rect(Boite* box) { flagop_apply(&box->state); }

double distance_Rect(Schema*, Boite* box, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(box->state, mask)) return FAR_AWAY;
    double ignored = 0;
    bool on_outline =
        rect_edge_distance(p, &ignored, box->pos, box->corner, tolerance) == RECT_EDGE_NEAR;
    return mark_hit(box, on_outline ? 0.0 : FAR_AWAY, tolerance, hit_bit);
}

bool rect_corner_in_select(View* view, const Rect& r) { return view_rect_in_select(view, r); }

bool select_Rect(Schema*, View* view, Boite* box, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, box, mask) || !rect_corner_in_select(view, spanned(box))) return false;
    mark_picked(box, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Boite* copy_Rect(const Boite* box) { return duplicate(box); }

bool compare_Rect(const Boite* a, const Boite* b) {
    return a->pos == b->pos && a->corner == b->corner && a->flags == b->flags;
}
