// The arc record: a centre, a start and an end point at the same distance
// from it, and the direction between them.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

Arc* new_Arc() { return make<Arc>(ARC_ITEM); }

void free_Arc(Arc* arc, bool keep_storage) { release(arc, keep_storage); }

int read_Arc(Arc* arc, FILE* stream) {
    int result = read_item_tag(stream, item_tag(ARC_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    result = read_byte(&arc->flags, stream);
    result |= read_point(&arc->start, stream);
    result |= read_point(&arc->end, stream);
    result |= read_point(&arc->pos, stream);
    result |= read_byte(&arc->dir, stream);
    result |= read_short(&width, stream);
    return finish_read(arc, result, width, stream);
}

void write_Arc(Arc* arc, FILE* stream, uint32_t mask) {
    if (!mask_matches(arc->state, mask)) return;
    write_byte(item_tag(ARC_ITEM), stream);
    write_byte(arc->flags, stream);
    write_point(arc->start, stream);
    write_point(arc->end, stream);
    write_point(arc->pos, stream);
    write_byte(arc->dir, stream);
    write_short(arc->width, stream);
    write_item_id(arc, stream);
}

void awrite_Arc(Arc* arc, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(ARC ", stream);
    write_style_words(arc->flags, stream);
    write_POS(arc->start, stream, -1);
    write_POS(arc->end, stream, -1);
    write_POS(arc->pos, stream, -1);
    std::fputs(arc->dir ? "CW )" : "CCW )", stream);
    put_newline(stream);
}

void matrix_Arc(Arc* arc, const Matrix* matrix) {
    matrix_apply(matrix, arc->start, &arc->start);
    matrix_apply(matrix, arc->end, &arc->end);
    matrix_apply(matrix, arc->pos, &arc->pos);
    if (matrix_is_mirrored(matrix)) std::swap(arc->start, arc->end);
}

int arc_sector(Point centre, Point p) {
    int64_t dx = int64_t{p.x} - centre.x, dy = int64_t{p.y} - centre.y;
    if (dx == 0 && dy == 0) return 255;
    if (dy == 0) return dx > 0 ? 1 : 16;
    if (dx == 0) return dy > 0 ? 4 : 64;
    if (dy > 0) return dx > 0 ? 2 : 8;
    return dx < 0 ? 32 : 128;
}

namespace {

// The sectors an arc passes through, start and end sectors included.
int sector_mask(const Arc* arc) {
    int s = arc_sector(arc->pos, arc->start);
    int e = arc_sector(arc->pos, arc->end);
    bool cw = arc->dir == 1;
    int kind;
    if (s != e) {
        kind = 0;
    } else if (s == 2 || s == 8) {
        kind = arc->end.x < arc->start.x ? 1 : arc->end.x > arc->start.x ? 2 : 3;
    } else if (s == 32 || s == 128) {
        kind = arc->end.x > arc->start.x ? 1 : arc->end.x < arc->start.x ? 2 : 3;
    } else {
        kind = 3;
    }
    switch (kind) {
        case 0: {
            // Step around from s towards e. An end at the centre (255) is in
            // no sector and is never met: eight steps visit every sector.
            int mask = s;
            int sector = s;
            for (int step = 0; step < 8; ++step) {
                sector = cw ? (sector << 1 == 256 ? 1 : sector << 1)
                            : (sector >> 1 == 0 ? 128 : sector >> 1);
                if (sector == e) break;
                mask |= sector;
            }
            return mask | e;
        }
        case 1: return cw ? e : 255;
        case 2: return cw ? 255 : e;
        case 3: return 255;
        default: warning("boxarc: bad code %d\n", kind); return 0;
    }
}

}  // namespace

namespace {

// One extreme of an arc on one axis: the circle's own extreme when the arc
// passes the axis beyond the centre (`beyond`); the centre's coordinate when
// it passes only the crossing axis through the centre (`at_centre`); else
// the nearer of its two ends.
int32_t extreme(bool beyond, bool at_centre, int64_t circle_value, int64_t centre_value,
                int32_t ends_value) {
    if (beyond) return static_cast<int32_t>(circle_value);
    if (at_centre) return static_cast<int32_t>(centre_value);
    return ends_value;
}

}  // namespace

void boxarc(const Arc* arc, int32_t* xmin, int32_t* xmax, int32_t* ymin, int32_t* ymax) {
    int m = sector_mask(arc);
    int64_t r = static_cast<int64_t>(point_distance(arc->pos, arc->start));
    int64_t cx = arc->pos.x, cy = arc->pos.y;
    Point s = arc->start, e = arc->end;
    bool vertical = m & (4 | 64), horizontal = m & (1 | 16);
    *xmin = extreme(m & 16, !(m & (8 | 32)) && vertical, cx - r, cx, std::min(s.x, e.x));
    *xmax = extreme(m & 1, !(m & (2 | 128)) && vertical, cx + r, cx, std::max(s.x, e.x));
    *ymin = extreme(m & 64, !(m & (32 | 128)) && horizontal, cy - r, cy, std::min(s.y, e.y));
    *ymax = extreme(m & 4, !(m & (2 | 8)) && horizontal, cy + r, cy, std::max(s.y, e.y));
}

bool bounds_Arc(Schema*, Arc* arc, Rect* rect, bool accumulate) {
    int32_t x1, x2, y1, y2;
    boxarc(arc, &x1, &x2, &y1, &y2);
    int64_t hw = half_width(arc);
    return put_bounds(rect,
                      make_rect(int64_t{std::min(x1, x2)} - hw, int64_t{std::min(y1, y2)} - hw,
                                std::llabs(int64_t{x2} - x1) + arc->width,
                                std::llabs(int64_t{y2} - y1) + arc->width),
                      accumulate);
}

void flag_Arc(Arc* arc) { flagop_apply(&arc->state); }

namespace {

// The angle of a point around the centre in degrees 0..360, measured
// against the direction of increasing sector (the arc's counter-clockwise
// direction runs through increasing values).
double arc_angle(Point centre, Point p) {
    if (p == centre) return 0.0;
    double a = -std::atan2(static_cast<double>(p.y) - centre.y,
                           static_cast<double>(p.x) - centre.x) *
               57.295827908797776;
    return a < 0 ? a + 360.0 : a;
}

}  // namespace

double distance_Arc(Schema*, Arc* arc, Point p, uint32_t mask, double tolerance,
                    uint32_t hit_bit) {
    if (!mask_matches(arc->state, mask)) return FAR_AWAY;
    Point a = arc->dir == 1 ? arc->end : arc->start;
    Point b = arc->dir == 1 ? arc->start : arc->end;
    int64_t r = static_cast<int64_t>(point_distance(a, arc->pos));
    double aa = arc_angle(arc->pos, a);
    double ab = arc_angle(arc->pos, b);
    double ap = arc_angle(arc->pos, p);
    int64_t d = static_cast<int64_t>(point_distance(p, arc->pos));
    double radial = static_cast<double>(std::llabs(d - r));
    double hw = static_cast<double>(half_width(arc));
    double answer;
    if (std::fabs(aa - ab) < 0.0001) {
        answer = radial;  // a full circle
    } else if (ab >= aa ? (aa <= ap && ap <= ab) : (ap <= ab || ap >= aa)) {
        answer = std::max(0.0, radial - hw);
    } else {
        auto to_end = [&](Point q) {
            return static_cast<double>(static_cast<int64_t>(point_distance(p, q)));
        };
        answer = std::max(0.0, std::min(to_end(arc->start), to_end(arc->end)) - hw);
    }
    return mark_hit(arc, answer, tolerance, hit_bit);
}

bool select_Arc(Schema*, View* view, Arc* arc, uint32_t bit, int operation, uint32_t mask) {
    return pick_ends(view, arc, arc->start, arc->end, bit, operation, mask);
}

Arc* copy_Arc(const Arc* arc) { return duplicate(arc); }

bool compare_Arc(const Arc* a, const Arc* b) {
    return a->start == b->start && a->end == b->end && a->pos == b->pos &&
           a->flags == b->flags && a->dir == b->dir;
}

namespace {

struct Vec {
    double x, y;
};
Vec operator-(Point a, Point b) {
    return {static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y};
}
Vec operator-(Point a, Vec b) { return {a.x - b.x, a.y - b.y}; }
double cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

// The roots of qa t^2 + qb t + qc = 0, the + sqrt one first; a single root
// twice when the equation is linear. False when there is none. A slightly
// negative discriminant (rounding near a half circle) counts as zero.
bool roots(double qa, double qb, double qc, double* plus, double* minus) {
    if (qa == 0) {
        if (qb == 0) return false;
        *plus = *minus = -qc / qb;
        return true;
    }
    double disc = std::sqrt(std::max(0.0, qb * qb - 4 * qa * qc));
    *plus = (-qb + disc) / (2 * qa);
    *minus = (-qb - disc) / (2 * qa);
    return true;
}

bool same_strict_sign(double a, double b) { return (a > 0 && b > 0) || (a < 0 && b < 0); }

}  // namespace

void stretch_Arc(Arc* arc, const Matrix* matrix) {
    uint32_t ends = arc->state & STATE_BOTH_ENDS;
    if (ends == 0) return;
    if (ends == STATE_BOTH_ENDS) {
        matrix_apply(matrix, arc->start, &arc->start);
        matrix_apply(matrix, arc->end, &arc->end);
        matrix_apply(matrix, arc->pos, &arc->pos);
        return;
    }
    Point* moving = ends == STATE_FIRST_END ? &arc->start : &arc->end;
    Point f = ends == STATE_FIRST_END ? arc->end : arc->start;
    Point c = arc->pos;
    Point n;
    matrix_apply(matrix, *moving, &n);
    if (n == f) {
        // Both ends on one point make no arc: move the dragged end aside.
        moving->y = static_cast<int32_t>(int64_t{moving->y} + 10);
        matrix_apply(matrix, *moving, &n);
    }
    Point o = *moving;
    double s0 = cross(f - c, o - c);
    double oc2 = dot(o - c, o - c);
    if (oc2 == 0) {  // no radius to keep an angle of
        *moving = n;
        return;
    }
    // The cosine of the opening angle, kept by the new arc.
    double k = dot(o - c, f - c) / oc2;
    Vec m = {(static_cast<double>(f.x) + n.x) / 2, (static_cast<double>(f.y) + n.y) / 2};
    double nx = n.x, ny = n.y, fx = f.x, fy = f.y;
    Vec plus, minus;
    if (f.x == n.x) {
        // A vertical chord: the centre lies on the horizontal y = m.y.
        double qa = k - 1;
        double qb = nx + fx - 2 * k * nx;
        double qc = -(nx * fx + (ny - m.y) * (fy - m.y) - k * (ny - m.y) * (ny - m.y) - k * nx * nx);
        double x1, x2;
        if (!roots(qa, qb, qc, &x1, &x2)) {
            *moving = n;
            return;
        }
        plus = {x1, m.y};
        minus = {x2, m.y};
    } else {
        // The centre (slope * (y - m.y) + m.x, y) on the chord's bisector.
        double slope = (fy - ny) / (nx - fx);
        double base = m.x - slope * m.y;  // x = slope * y + base
        double a = nx - base, b = fx - base;
        double qa = (k - 1) * (slope * slope + 1);
        double qb = slope * (a + b) + (ny + fy) - 2 * k * a * slope - 2 * k * ny;
        double qc = -(a * b + ny * fy - k * a * a - k * ny * ny);
        double y1, y2;
        if (!roots(qa, qb, qc, &y1, &y2)) {
            *moving = n;
            return;
        }
        plus = {slope * y1 + base, y1};
        minus = {slope * y2 + base, y2};
    }
    Vec centre = same_strict_sign(s0, cross(f - plus, n - plus)) ? plus : minus;
    *moving = n;
    arc->pos = {trunc32(centre.x), trunc32(centre.y)};
}
