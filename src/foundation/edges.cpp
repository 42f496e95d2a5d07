#include "foundation/edges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "foundation/heap.h"

namespace {

constexpr uint32_t kCrossingGrowth = 50;

int32_t clamp32(double v) {
    return static_cast<int32_t>(
        std::clamp(v, static_cast<double>(std::numeric_limits<int32_t>::min()),
                   static_cast<double>(std::numeric_limits<int32_t>::max())));
}

Edge line_edge(Point a, Point b, uint8_t direction, uint8_t kind) {
    Edge e;
    e.x1 = a.x;
    e.y1 = a.y;
    e.x2 = b.x;
    e.y2 = b.y;
    e.direction = direction;
    e.kind = kind;
    double dx = static_cast<double>(a.x) - b.x;
    e.dx = clamp32(dx);
    if (dx != 0 && a.y != b.y) e.k = dx / (static_cast<double>(a.y) - b.y);
    return e;
}

Edge arc_edge(Point a, Point b, Point centre, uint8_t direction, uint8_t kind) {
    Edge e = line_edge(a, b, direction, kind);
    e.cx = centre.x;
    e.cy = centre.y;
    double rx = static_cast<double>(a.x) - centre.x;
    double ry = static_cast<double>(a.y) - centre.y;
    e.k = rx * rx + ry * ry;
    return e;
}

int add_edge(EdgeList* list, const Edge& e) {
    void* grown = heap_realloc(list->edges, (list->edge_count + size_t{1}) * sizeof(Edge));
    if (!grown) return -1;
    list->edges = static_cast<Edge*>(grown);
    list->edges[list->edge_count++] = e;
    list->reuse = 0;  // the kept crossings do not know the new edge
    return 0;
}

// Adds a crossing at x, keeping one entry per distinct x in x order.
int add_crossing(EdgeList* list, int32_t x, int32_t winding, int32_t undirected) {
    EdgeCrossing* end = list->crossings + list->crossing_count;
    EdgeCrossing* at = std::lower_bound(list->crossings, end, x,
                                        [](const EdgeCrossing& c, int32_t v) { return c.x < v; });
    if (at != end && at->x == x) {
        at->winding += winding;
        at->undirected += undirected;
        return 0;
    }
    size_t index = static_cast<size_t>(at - list->crossings);
    if (list->crossing_count == list->crossing_capacity) {
        uint32_t capacity = list->crossing_capacity + kCrossingGrowth;
        void* grown = heap_realloc(list->crossings, capacity * sizeof(EdgeCrossing));
        if (!grown) return -1;
        list->crossings = static_cast<EdgeCrossing*>(grown);
        list->crossing_capacity = capacity;
    }
    EdgeCrossing* slot = list->crossings + index;
    std::move_backward(slot, list->crossings + list->crossing_count,
                       list->crossings + list->crossing_count + 1);
    *slot = EdgeCrossing{x, winding, undirected};
    ++list->crossing_count;
    return 0;
}

// Where an arc meets scan line y: the candidate on the right of the centre,
// else the one on the left, whichever first lies within the x range of the
// arc's ends. Ends that are not quite on the circle can leave the scan line
// just outside it; it then touches the circle at the centre's x.
bool arc_crossing(const Edge& e, int32_t y, int32_t* x) {
    double dy = static_cast<double>(y) - e.cy;
    double d = e.k - dy * dy;
    double root = d > 0 ? std::sqrt(d) : 0.0;
    double lo = std::min(e.x1, e.x2);
    double hi = std::max(e.x1, e.x2);
    for (double candidate : {e.cx + root, e.cx - root}) {
        double rounded = std::round(candidate);
        if (rounded >= lo && rounded <= hi) {
            *x = static_cast<int32_t>(rounded);
            return true;
        }
    }
    return false;
}

// Undirected crossings count +1, -1, +1 ... in x order (even-odd among
// themselves) and join the winding counts.
void resolve_undirected(EdgeList* list) {
    int32_t sign = 1;
    for (uint32_t i = 0; i < list->crossing_count; ++i) {
        EdgeCrossing& c = list->crossings[i];
        for (int32_t n = 0; n < c.undirected; ++n) {
            c.winding += sign;
            sign = -sign;
        }
        c.undirected = 0;
    }
}

}  // namespace

EdgeList* edges_new() {
    void* block = heap_alloc(sizeof(EdgeList));
    return block ? new (block) EdgeList : nullptr;
}

void edges_free(EdgeList* list, bool keep) {
    if (!list) return;
    heap_free(list->edges);
    heap_free(list->crossings);
    *list = EdgeList{};
    if (!keep) heap_free(list);
}

int edges_add_line(Point p, Point q, EdgeList* list) {
    if (q.y > p.y) return add_edge(list, line_edge(p, q, 0, EDGE_LINE));
    if (q.y < p.y) return add_edge(list, line_edge(q, p, 1, EDGE_LINE));
    return add_edge(list, line_edge(p, q, EDGE_HORIZONTAL, EDGE_LINE));
}

int edges_add_line_nh(Point p, Point q, EdgeList* list) {
    return p.y == q.y ? 0 : edges_add_line(p, q, list);
}

int edges_add_line_rev(Point p, Point q, EdgeList* list) {
    if (p.y == q.y) return 0;
    if (p.y > q.y) return add_edge(list, line_edge(q, p, 0, EDGE_LINE));
    return add_edge(list, line_edge(p, q, 1, EDGE_LINE));
}

int edges_add_line_nodir(Point p, Point q, EdgeList* list) {
    if (p.y == q.y) return 0;
    if (p.y < q.y) return add_edge(list, line_edge(p, q, 0, EDGE_LINE_NODIR));
    return add_edge(list, line_edge(q, p, 0, EDGE_LINE_NODIR));
}

int edges_add_arc(Point p, Point q, Point centre, EdgeList* list) {
    if (q.y <= p.y) return add_edge(list, arc_edge(q, p, centre, 1, EDGE_ARC));
    return add_edge(list, arc_edge(p, q, centre, 0, EDGE_ARC));
}

int edges_add_arc_rev(Point p, Point q, Point centre, EdgeList* list) {
    if (q.y <= p.y) return add_edge(list, arc_edge(q, p, centre, 0, EDGE_ARC));
    return add_edge(list, arc_edge(p, q, centre, 1, EDGE_ARC));
}

int edges_add_arc_dir(Point p, Point q, Point centre, int direction, EdgeList* list) {
    return add_edge(list, arc_edge(p, q, centre, direction == 0 ? 0 : 1, EDGE_ARC));
}

int edges_add_arc_nodir(Point p, Point q, Point centre, EdgeList* list) {
    if (q.y < p.y) return add_edge(list, arc_edge(q, p, centre, 0, EDGE_ARC_NODIR));
    return add_edge(list, arc_edge(p, q, centre, 0, EDGE_ARC_NODIR));
}

int edges_add_arc_nodir_raw(Point p, Point q, Point centre, EdgeList* list) {
    return add_edge(list, arc_edge(p, q, centre, 0, EDGE_ARC_NODIR));
}

int edges_scan(EdgeList* list, int32_t y, int32_t height) {
    int64_t band_end = int64_t{y} + height;
    bool recompute =
        !list->reuse || y < list->band_y || int64_t{y} > int64_t{list->band_y} + list->band_height;
    if (recompute) list->crossing_count = 0;
    bool reuse = true;
    for (uint32_t i = 0; i < list->edge_count; ++i) {
        const Edge& e = list->edges[i];
        if (e.direction == EDGE_HORIZONTAL) continue;
        // The ends as passed in may be in either order on the raw arcs.
        int32_t top = std::min(e.y1, e.y2);
        int32_t bottom = std::max(e.y1, e.y2);
        if (y >= bottom) continue;
        if (y < top) {
            if (top <= band_end) reuse = false;
            continue;
        }
        int32_t x;
        bool directed;
        if (e.kind == EDGE_LINE || e.kind == EDGE_LINE_NODIR) {
            directed = e.kind == EDGE_LINE;
            if (e.dx == 0) {
                x = e.x1;
                if (bottom <= band_end) reuse = false;
            } else {
                reuse = false;
                x = clamp32(std::round(e.x1 + (static_cast<double>(y) - e.y1) * e.k));
            }
        } else if (e.kind == EDGE_ARC || e.kind == EDGE_ARC_NODIR) {
            directed = e.kind == EDGE_ARC;
            reuse = false;
            if (!arc_crossing(e, y, &x)) continue;
        } else {
            continue;
        }
        if (!recompute) continue;
        int result = directed ? add_crossing(list, x, e.direction == 0 ? 1 : -1, 0)
                              : add_crossing(list, x, 0, 1);
        if (result < 0) {
            list->crossing_count = 0;
            list->reuse = 0;
            list->cursor = 0;
            return -1;
        }
    }
    if (recompute) resolve_undirected(list);
    list->reuse = reuse ? 1 : 0;
    list->band_y = y;
    list->band_height = height;
    list->cursor = 0;
    list->winding_sum = 0;
    return 0;
}

bool edges_next_span(EdgeList* list, int32_t* x1, int32_t* x2) {
    const EdgeCrossing* c = list->crossings;
    uint32_t n = list->crossing_count;
    uint32_t i = list->cursor;
    while (i < n && c[i].winding == 0) ++i;
    if (i >= n) {
        list->cursor = n;
        return false;
    }
    int32_t start = c[i].x;
    int32_t sum = c[i].winding;
    for (++i; i < n; ++i) {
        sum += c[i].winding;
        if (sum == 0) break;
    }
    if (i >= n) {
        list->cursor = n;
        return false;
    }
    *x1 = start;
    *x2 = c[i].x;
    list->cursor = i + 1;
    return true;
}

bool edges_next_span_neg(EdgeList* list, int32_t* x1, int32_t* x2) {
    const EdgeCrossing* c = list->crossings;
    uint32_t n = list->crossing_count;
    uint32_t i = list->cursor;
    int32_t sum = list->winding_sum;
    bool found = false;
    for (; i < n && !found; ++i) {
        sum += c[i].winding;
        if (sum < 0) {
            *x1 = c[i].x;
            found = true;
        }
    }
    bool closed = false;
    for (; found && i < n && !closed; ++i) {
        sum += c[i].winding;
        if (sum >= 0) {
            *x2 = c[i].x;
            closed = true;
        }
    }
    list->cursor = i;
    list->winding_sum = sum;
    return closed;
}

bool edges_bounds(const EdgeList* list, Rect* rect, bool merge) {
    if (list->edge_count == 0) return merge;
    int32_t left = std::numeric_limits<int32_t>::max(), top = left;
    int32_t right = std::numeric_limits<int32_t>::min(), bottom = right;
    for (uint32_t i = 0; i < list->edge_count; ++i) {
        const Edge& e = list->edges[i];
        left = std::min({left, e.x1, e.x2});
        right = std::max({right, e.x1, e.x2});
        top = std::min({top, e.y1, e.y2});
        bottom = std::max({bottom, e.y1, e.y2});
    }
    Rect box{left, top, clamp32(static_cast<double>(right) - left),
             clamp32(static_cast<double>(bottom) - top)};
    if (merge)
        rect_union(rect, box);
    else
        *rect = box;
    return true;
}
