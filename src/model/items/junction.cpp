// The junction dot: a point, a size (the head's width) and a shape.
#include "foundation/binary_stream.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Junction* new_Junction() {
    Junction* junction = make<Junction>(JUNCTION_ITEM);
    if (junction) junction->width = SMALL;
    return junction;
}

void free_Junction(Junction* junction, bool keep_storage) {
    if (junction->type == JUNCTION_ITEM) release(junction, keep_storage);
}

int read_Junction(Junction* junction, FILE* stream) {
    int result = read_item_tag(stream, item_tag(JUNCTION_ITEM));
    if (result != 0) return result;
    int16_t size = 0;
    result = read_byte(&junction->flags, stream);
    result |= read_point(&junction->pos, stream);
    result |= read_short(&size, stream);
    return finish_read(junction, result, size, stream);
}

void write_Junction(Junction* junction, FILE* stream, uint32_t mask) {
    if (!mask_matches(junction->state, mask)) return;
    write_byte(item_tag(JUNCTION_ITEM), stream);
    write_byte(junction->flags, stream);
    write_point(junction->pos, stream);
    write_short(junction->width, stream);
    write_item_id(junction, stream);
}

void awrite_Junction(Junction* junction, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(JUNCTION ", stream);
    write_POS(junction->pos, stream, -1);
    std::fputs(junction->width == MEDIUM ? "MEDIUM " : junction->width == LARGE ? "LARGE " : "SMALL ",
               stream);
    switch (junction->flags & JUNCTION_SHAPE_MASK) {
        case CIRCULAR: std::fputs("CIRCULAR ", stream); break;
        case DIAMOND: std::fputs("DIAMOND ", stream); break;
        default: std::fputs("RECTANGLE ", stream); break;
    }
    std::fputs(" )", stream);
    put_newline(stream);
}

void matrix_Junction(Junction* junction, const Matrix* matrix) {
    if (junction->type == JUNCTION_ITEM) matrix_apply(matrix, junction->pos, &junction->pos);
}

bool bounds_Junction(Schema*, Junction* junction, Rect* rect, bool accumulate) {
    int64_t size = junction->width;
    return put_bounds(rect,
                      make_rect(junction->pos.x - size / 2, junction->pos.y - size / 2, size, size),
                      accumulate);
}

void flag_Junction(Junction* junction) { flagop_apply(&junction->state); }

double distance_Junction(Schema*, Junction* junction, Point p, uint32_t mask, double tolerance,
                         uint32_t hit_bit) {
    if (!mask_matches(junction->state, mask)) return FAR_AWAY;
    double d = point_distance(p, junction->pos);
    return mark_hit(junction, d == 0 ? -2.0 : d, tolerance, hit_bit);
}

bool select_Junction(Schema*, View* view, Junction* junction, uint32_t bit, int operation,
                     uint32_t mask) {
    if (!may_pick(view, junction, mask) || !view_point_in_select(view, junction->pos)) return false;
    mark_picked(junction, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Junction* copy_Junction(const Junction* junction) { return duplicate(junction); }

bool compare_Junction(const Junction* a, const Junction* b) {
    return a->pos == b->pos && a->width == b->width && a->flags == b->flags;
}
