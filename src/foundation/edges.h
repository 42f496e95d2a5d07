#pragma once
// Edge lists: a closed outline of straight edges and circular arcs turned
// into horizontal spans, one scan line at a time (filled areas, the view's
// selection polygon). Directed edges follow the non-zero winding rule; edges
// added without a direction alternate among themselves (even-odd).
//
// Use: add the outline's edges, then for each scan line from top to bottom
// call edges_scan and take its spans with edges_next_span until it answers
// false. While a band of scan lines meets only vertical straight edges that
// neither start nor end in it, the sorted crossings of the previous scan line
// are reused.
//
// The add operations return 0, or -1 when memory is exhausted (the list then
// keeps what it had; callers end the program through no_memory).
#include <cstdint>

#include "foundation/geometry.h"

enum : uint8_t {
    EDGE_LINE = 1,        // directed straight edge
    EDGE_ARC = 2,         // directed arc
    EDGE_LINE_NODIR = 3,  // straight edge without direction (even-odd)
    EDGE_ARC_NODIR = 4,   // arc without direction (even-odd)
};
// Direction byte: 0 counts +1, 1 counts -1; a horizontal line never crosses.
enum : uint8_t { EDGE_HORIZONTAL = 2 };

struct Edge {
    int32_t x1 = 0, y1 = 0;  // first end (the upper one, y1 <= y2, on ordered edges)
    int32_t x2 = 0, y2 = 0;  // second end
    int32_t cx = 0, cy = 0;  // centre of an arc
    uint8_t direction = 0;
    uint8_t kind = 0;
    int32_t dx = 0;  // x1 - x2 (0: vertical line); clamped to 32 bits
    double k = 0.0;  // line: (x1 - x2) / (y1 - y2); arc: squared radius to the first end
};

struct EdgeCrossing {
    int32_t x = 0;
    int32_t winding = 0;     // +1 / -1 of the directed edges crossing here
    int32_t undirected = 0;  // edges without direction crossing here
};

struct EdgeList {
    uint32_t edge_count = 0;
    Edge* edges = nullptr;  // owned heap array of edge_count
    uint32_t crossing_count = 0;
    uint32_t cursor = 0;      // next crossing a span request examines
    int32_t winding_sum = 0;  // carried between edges_next_span_neg calls
    uint32_t crossing_capacity = 0;
    EdgeCrossing* crossings = nullptr;  // owned heap array, sorted by x
    uint8_t reuse = 0;                  // the last scan's crossings still hold ...
    int32_t band_y = 0;                 // ... for scan lines from band_y
    int32_t band_height = 0;            // to band_y + band_height
};

// A new empty list; none when memory is exhausted.
EdgeList* edges_new();
// Frees the arrays and zeroes the list; frees the list itself too unless
// keep is set (a list embedded in another record).
void edges_free(EdgeList* list, bool keep);

// A line ordered by y: q below p (larger y) gives (p, q, direction 0), q above
// p gives (q, p, direction 1), a horizontal line (p, q, EDGE_HORIZONTAL).
int edges_add_line(Point p, Point q, EdgeList* list);
// As edges_add_line, but a horizontal line is not added.
int edges_add_line_nh(Point p, Point q, EdgeList* list);
// The opposite sense: p at or below q gives (q, p, direction 0), otherwise
// (p, q, direction 1); a horizontal line is not added.
int edges_add_line_rev(Point p, Point q, EdgeList* list);
// A line without direction ordered by y; a horizontal line is not added.
int edges_add_line_nodir(Point p, Point q, EdgeList* list);
// An arc from p to q around centre, ordered by y: q at or above p gives
// (q, p, direction 1), otherwise (p, q, direction 0).
int edges_add_arc(Point p, Point q, Point centre, EdgeList* list);
// As edges_add_arc with the directions exchanged.
int edges_add_arc_rev(Point p, Point q, Point centre, EdgeList* list);
// A directed arc with the ends as passed in; direction 0 counts +1, any
// other value -1.
int edges_add_arc_dir(Point p, Point q, Point centre, int direction, EdgeList* list);
// An arc without direction ordered by y.
int edges_add_arc_nodir(Point p, Point q, Point centre, EdgeList* list);
// An arc without direction with the ends as passed in.
int edges_add_arc_nodir_raw(Point p, Point q, Point centre, EdgeList* list);

// Builds the crossings of scan line y (a scan line through an edge's upper
// end counts it, through its lower end does not); `height` is the distance
// to the next scan line the caller will ask for. The crossings of the last
// scan are reused only for a scan line within its band, so a list may be
// scanned again from the top. 0, or -1 when memory is exhausted.
int edges_scan(EdgeList* list, int32_t y, int32_t height);
// The next span [*x1, *x2] of the scan line under the non-zero rule; false
// when there is none.
bool edges_next_span(EdgeList* list, int32_t* x1, int32_t* x2);
// The next span where the running winding sum is negative.
bool edges_next_span_neg(EdgeList* list, int32_t* x1, int32_t* x2);
// Bounding rectangle of every edge end point: replaces *rect (merge clear)
// or is united with it (merge set); true. An empty list leaves *rect and
// returns merge.
bool edges_bounds(const EdgeList* list, Rect* rect, bool merge);
