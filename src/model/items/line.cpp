// The line record (a wire or a bus on a sheet): two ends.
#include <algorithm>
#include <cstdlib>

#include "foundation/binary_stream.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Line* new_Line() { return make<Line>(LINE_ITEM); }

void free_Line(Line* line, bool keep_storage) { release(line, keep_storage); }

int read_Line(Line* line, FILE* stream) {
    int result = read_item_tag(stream, item_tag(LINE_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    result = read_byte(&line->flags, stream);
    result |= read_point(&line->pos, stream);
    result |= read_point(&line->end, stream);
    result |= read_short(&width, stream);
    if (result != 0) return -1;
    line->width = read_width_rule(width);
    line->state = STATE_NEW;
    return read_item_id(line, stream);
}

void write_Line(Line* line, FILE* stream, uint32_t mask) {
    if (!mask_matches(line->state, mask)) return;
    write_byte(item_tag(LINE_ITEM), stream);
    write_byte(line->flags, stream);
    write_point(line->pos, stream);
    write_point(line->end, stream);
    write_short(line->width, stream);
    write_item_id(line, stream);
}

void awrite_Line(Line* line, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(LINE ", stream);
    write_style_words(line->flags, stream);
    write_POS(line->pos, stream, -1);
    write_POS(line->end, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

void matrix_Line(Line* line, const Matrix* matrix) {
    matrix_apply(matrix, line->pos, &line->pos);
    matrix_apply(matrix, line->end, &line->end);
}

bool bounds_Line(Schema*, Line* line, Rect* rect, bool accumulate) {
    int64_t hw = half_width(line);
    Point a = line->pos, b = line->end;
    return put_bounds(rect,
                      make_rect(int64_t{std::min(a.x, b.x)} - hw, int64_t{std::min(a.y, b.y)} - hw,
                                std::llabs(int64_t{b.x} - a.x) + line->width,
                                std::llabs(int64_t{b.y} - a.y) + line->width),
                      accumulate);
}

void flag_Line(Line* line) { flagop_apply(&line->state); }

double distance_Line(Schema*, Line* line, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(line->state, mask)) return FAR_AWAY;
    double d = std::max(0.0, segment_distance(p, line->pos, line->end) - half_width(line));
    return mark_hit(line, d, tolerance, hit_bit);
}

bool select_Line(Schema*, View* view, Line* line, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, line, mask)) return false;
    bool picked = false;
    if (view_point_in_select(view, line->pos)) {
        mark_picked(line, bit | STATE_FIRST_END, operation);
        picked = true;
    }
    if (view_point_in_select(view, line->end)) {
        mark_picked(line, bit | STATE_SECOND_END, operation);
        picked = true;
    }
    return picked;
}

Line* copy_Line(const Line* line) { return duplicate(line); }

bool compare_Line(const Line* a, const Line* b) {
    return a->pos == b->pos && a->end == b->end && a->flags == b->flags;
}

double segment_distance(Point p, Point a, Point b) {
    double da = point_distance(p, a);
    double db = point_distance(p, b);
    if (da < 1e-5 || db < 1e-5) return 0.0;
    double length = point_distance(a, b);
    if (length < 1e-5) return da;
    double ux = (static_cast<double>(b.x) - a.x) / length;
    double uy = (static_cast<double>(b.y) - a.y) / length;
    double t = ux * (static_cast<double>(p.x) - a.x) + uy * (static_cast<double>(p.y) - a.y);
    if (t >= 1e-5 && t <= length) {
        // The foot of the perpendicular; its offset from p measured along the
        // axis where the direction is steeper keeps the division well away
        // from zero.
        double fx = a.x + t * ux;
        double fy = a.y + t * uy;
        if (std::fabs(ux) >= std::fabs(uy)) return std::fabs(fy - p.y) / std::fabs(ux);
        return std::fabs(fx - p.x) / std::fabs(uy);
    }
    return db < da ? db : da;
}
