// The polyline record: its own array of points (the head's position is not
// used).
#include <algorithm>

#include "foundation/binary_stream.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

constexpr int64_t POINT_BYTES = 8;
// Below this many points a count is taken on trust: a short file then ends
// in a short read, and the array it costs is small.
constexpr int32_t TRUSTED_COUNT = 64;

// Reads `count` points into the array. A count the rest of the stream
// cannot hold is a format error, never an allocation of that size; on a
// stream that cannot tell its size the array grows only with points read.
int read_points(std::vector<Point>* points, int32_t count, FILE* stream) {
    if (count < 0) return READ_ERROR;
    size_t reserve = static_cast<size_t>(count);
    if (count > TRUSTED_COUNT) {
        int64_t left = stream_bytes_left(stream);
        if (left >= 0 && count * POINT_BYTES > left) return READ_ERROR;
        if (left < 0) reserve = TRUSTED_COUNT;
    }
    points->clear();
    points->shrink_to_fit();
    points->reserve(reserve);
    for (int32_t i = 0; i < count; ++i) {
        Point p;
        if (read_point(&p, stream) != 0) return -1;
        points->push_back(p);
    }
    return 0;
}

}  // namespace

Poly* new_Poly() { return make<Poly>(POLY_ITEM); }

void free_Poly(Poly* poly, bool keep_storage) {
    std::vector<Point>().swap(poly->points);
    release(poly, keep_storage);
}

int read_Poly(Poly* poly, FILE* stream) {
    int result = read_item_tag(stream, item_tag(POLY_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    int32_t count = 0;
    result = read_byte(&poly->flags, stream);
    result |= read_short(&width, stream);
    result |= read_long(&count, stream);
    if (result != 0) return -1;
    result = read_points(&poly->points, count, stream);
    if (result != 0) return result;
    return finish_read(poly, 0, width, stream);
}

void write_Poly(Poly* poly, FILE* stream, uint32_t mask) {
    if (!mask_matches(poly->state, mask)) return;
    write_byte(item_tag(POLY_ITEM), stream);
    write_byte(poly->flags, stream);
    write_short(poly->width, stream);
    write_long(static_cast<int32_t>(poly->points.size()), stream);
    for (const Point& p : poly->points) write_point(p, stream);
    write_item_id(poly, stream);
}

void awrite_Poly(Poly* poly, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(POLY %d ", static_cast<int>(poly->points.size()));
    write_style_words(poly->flags, stream);
    put_newline(stream);
    for (const Point& p : poly->points) write_POS(p, stream, level + 1);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

void matrix_Poly(Poly* poly, const Matrix* matrix) {
    for (Point& p : poly->points) matrix_apply(matrix, p, &p);
}

bool bounds_Poly(Schema*, Poly* poly, Rect* rect, bool accumulate) {
    if (poly->points.empty()) return accumulate;
    int32_t xmin = 10000000, ymin = 10000000, xmax = -10000000, ymax = -10000000;
    for (const Point& p : poly->points) {
        xmin = std::min(xmin, p.x);
        ymin = std::min(ymin, p.y);
        xmax = std::max(xmax, p.x);
        ymax = std::max(ymax, p.y);
    }
    int64_t hw = half_width(poly);
    return put_bounds(rect,
                      make_rect(xmin - hw, ymin - hw, int64_t{xmax} - xmin + poly->width,
                                int64_t{ymax} - ymin + poly->width),
                      accumulate);
}

void flag_Poly(Poly* poly) { flagop_apply(&poly->state); }

double distance_Poly(Schema*, Poly* poly, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(poly->state, mask)) return FAR_AWAY;
    if (poly->points.size() < 2) return FAR_AWAY;
    double hw = static_cast<double>(half_width(poly));
    double best = FAR_AWAY;
    for (size_t i = 1; i < poly->points.size(); ++i) {
        double d = segment_distance(p, poly->points[i - 1], poly->points[i]) - hw;
        best = std::min(best, d);
        if (d < 0) break;  // on the line: nothing comes nearer
    }
    return mark_hit(poly, std::max(0.0, best), tolerance, hit_bit);
}

bool select_Poly(Schema*, View* view, Poly* poly, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, poly, mask)) return false;
    bool inside = std::any_of(poly->points.begin(), poly->points.end(),
                              [view](Point p) { return view_point_in_select(view, p); });
    if (!inside) return false;
    mark_picked(poly, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Poly* copy_Poly(const Poly* poly) { return duplicate(poly); }

bool compare_Poly(const Poly* a, const Poly* b) { return a->points == b->points; }
