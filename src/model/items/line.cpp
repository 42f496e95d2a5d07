// The line record (a wire or a bus on a sheet): two ends.
#include <algorithm>
#include <cstdlib>

#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"

using namespace items_kit;

Line* new_Line() { return make<Line>(LINE_ITEM); }

void free_Line(Line* line, bool keep_storage) { release(line, keep_storage); }

int read_Line(Line* line, FILE* stream) {
    return read_two_points(line, &line->pos, &line->end, stream);
}

void write_Line(Line* line, FILE* stream, uint32_t mask) {
    write_two_points(line, line->pos, line->end, stream, mask);
}

void awrite_Line(Line* line, FILE* stream, int level) {
    awrite_two_points("(LINE ", line->flags, line->pos, line->end, stream, level);
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
    return pick_ends(view, line, line->pos, line->end, bit, operation, mask);
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
