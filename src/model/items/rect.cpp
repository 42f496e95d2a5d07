// The rectangle record (Boite): two opposite corners.
#include <algorithm>
#include <cstdlib>

#include "foundation/binary_stream.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Boite* new_Rect() { return make<Boite>(BOITE_ITEM); }

void free_Rect(Boite* box, bool keep_storage) { release(box, keep_storage); }

int read_Rect(Boite* box, FILE* stream) {
    int result = read_item_tag(stream, item_tag(BOITE_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    result = read_byte(&box->flags, stream);
    result |= read_point(&box->pos, stream);
    result |= read_point(&box->corner, stream);
    result |= read_short(&width, stream);
    if (result != 0) return -1;
    box->width = read_width_rule(width);
    box->state = STATE_NEW;
    return read_item_id(box, stream);
}

void write_Rect(Boite* box, FILE* stream, uint32_t mask) {
    if (!mask_matches(box->state, mask)) return;
    write_byte(item_tag(BOITE_ITEM), stream);
    write_byte(box->flags, stream);
    write_point(box->pos, stream);
    write_point(box->corner, stream);
    write_short(box->width, stream);
    write_item_id(box, stream);
}

void awrite_Rect(Boite* box, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(RECT ", stream);
    write_style_words(box->flags, stream);
    write_POS(box->pos, stream, -1);
    write_POS(box->corner, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
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
