#pragma once
// The rules of the wire phases of net building for one pair of records:
// phase 3's comparison of two wires (merging collinear ones), phase 5's
// junction rule and wire split, phase 6's end join. They are written once,
// over an `Ops` that stands for the records:
//
//   using Id;                        a line (or, for the end join, an arc)
//   Point first(Id), second(Id)      its ends now (an arc's start and end)
//   uint32_t state(Id)               its state word
//   void mark(Id, bits), clear(Id, bits)
//   void set_ends(Id, Point, Point)  gives a line new ends (it grew)
//   void cut(Id, Point)              moves a line's second end (cut short)
//   Id add_wire(Point, Point)        a stub wire as add_stub_wire makes it
//   void copy_flags(Id to, Id from)  the flag byte
//   void join(Id, Id)                join_chains
//   bool bus_at(Point)
//   bool editor()                    the editor's refresh is running
//
// The net builder applies them to its table of lines; the editor's refresh
// and the literal phases of the tests to the records themselves.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "connectivity/net_build.h"
#include "foundation/geometry.h"

// 2 on the first end, 3 on the second, 1 strictly inside, else 0, with
// exact integer coordinates (point_on_wire with no tolerance).
inline int point_on_segment(Point p, Point a, Point b) {
    if (p == a) return 2;
    if (p == b) return 3;
    int64_t x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y, px = p.x, py = p.y;
    if (x1 == x2) return x1 == px && py > std::min(y1, y2) && py < std::max(y1, y2) ? 1 : 0;
    if (y1 == y2) return y1 == py && px > std::min(x1, x2) && px < std::max(x1, x2) ? 1 : 0;
    if (px < std::min(x1, x2) || px > std::max(x1, x2)) return 0;
    using Wide = __int128;
    int64_t dx = x2 - x1, dy = y2 - y1;
    return Wide(y1) * dx + Wide(px) * dy == Wide(x1) * dy + Wide(py) * dx ? 1 : 0;
}

namespace net_rules {

// Merge of l1 and l2 into the union p..q.
template <class Ops, class Id = typename Ops::Id>
int merge_wires(Ops& ops, Id l1, Id l2, Point p, Point q) {
    ops.join(l1, l2);
    if (!(ops.state(l2) & NET_TEMPORARY) && !ops.editor()) {
        if (ops.state(l1) & NET_TEMPORARY) {
            ops.set_ends(l1, p, q);
            ops.mark(l2, NET_IGNORED);
            return 0;
        }
        Id both = ops.add_wire(p, q);
        ops.join(l1, both);
        ops.mark(l1, NET_IGNORED);
        ops.mark(l2, NET_IGNORED);
        return WIRE_ABSORBED;
    }
    ops.set_ends(l2, p, q);
    ops.mark(l1, NET_IGNORED);
    return WIRE_ABSORBED;
}

// The overlap rule along one axis: l1 = [a1, a2], l2 = [b1, b2].
template <class Ops, class Id = typename Ops::Id>
int overlap_rule(Ops& ops, Id l1, Id l2, int64_t a1, int64_t a2, int64_t b1, int64_t b2) {
    if (a1 >= b1 && a1 <= b2) {
        if (b2 < a2) return merge_wires(ops, l1, l2, ops.first(l2), ops.second(l1));
        ops.join(l1, l2);
        ops.mark(l1, NET_IGNORED);
        return WIRE_ABSORBED;
    }
    if (a1 < b1 && b1 <= a2) {
        if (b2 <= a2) {
            ops.join(l1, l2);
            ops.mark(l2, NET_IGNORED);
            return 0;
        }
        return merge_wires(ops, l1, l2, ops.first(l1), ops.second(l2));
    }
    return 0;
}

// Phase 3's comparison of two wires: 0, or WIRE_ABSORBED when l1 was
// absorbed. May merge, join and add a wire.
template <class Ops, class Id = typename Ops::Id>
int compare_wires(Ops& ops, Id l1, Id l2) {
    using Wide = __int128;
    Point p1 = ops.first(l1), e1 = ops.second(l1), p2 = ops.first(l2), e2 = ops.second(l2);
    int64_t dx1 = int64_t{e1.x} - p1.x, dy1 = int64_t{e1.y} - p1.y;
    int64_t dx2 = int64_t{e2.x} - p2.x, dy2 = int64_t{e2.y} - p2.y;
    if (dx1 == 0 && dx2 == 0) {
        if (p1.x != p2.x) return 0;
        if (p1.y == e2.y && ops.bus_at(p1)) return 0;
        if (p2.y == e1.y && ops.bus_at(e1)) return 0;
        return overlap_rule(ops, l1, l2, p1.y, e1.y, p2.y, e2.y);
    }
    if (dy1 == 0 && dy2 == 0) {
        if (p1.y != p2.y) return 0;
        if (p1.x == e2.x && ops.bus_at(p1)) return 0;
        if (p2.x == e1.x && ops.bus_at(e1)) return 0;
        return overlap_rule(ops, l1, l2, p1.x, e1.x, p2.x, e2.x);
    }
    bool parallel = Wide(dy2) * dx1 == Wide(dy1) * dx2;
    // A single point lies on the other wire's line only when it satisfies
    // that line's equation: test against the direction of the real wire.
    int64_t ux = dx1, uy = dy1;
    if (dx1 == 0 && dy1 == 0) {
        ux = dx2;
        uy = dy2;
    }
    bool one_line = Wide(int64_t{p1.x} - p2.x) * uy == Wide(int64_t{p1.y} - p2.y) * ux;
    if (!parallel || !one_line) return 0;
    return overlap_rule(ops, l1, l2, p1.x, e1.x, p2.x, e2.x);
}

// Splits a wire at a point strictly inside it (phase 5).
template <class Ops, class Id = typename Ops::Id>
void split_wire(Ops& ops, Id wire, Point s) {
    Point e = ops.second(wire);
    Id first = wire;
    if (!(ops.state(wire) & NET_TEMPORARY) && !ops.editor()) {
        first = ops.add_wire(ops.first(wire), s);
        ops.clear(first, NET_SECOND_OPEN);
        ops.join(wire, first);
        ops.mark(wire, NET_IGNORED);
    } else {
        ops.cut(wire, s);
        ops.clear(wire, NET_SECOND_OPEN);
    }
    Id second = ops.add_wire(s, e);
    ops.clear(second, NET_FIRST_OPEN);
    ops.copy_flags(second, wire);
    ops.join(first, second);
}

// Phase 5's junction rule for one junction (its point and state word) and
// one line.
template <class Ops, class Id = typename Ops::Id>
void junction_meets_line(Ops& ops, Point junction, uint32_t* junction_state, Id line) {
    switch (point_on_segment(junction, ops.first(line), ops.second(line))) {
        case 1:
            *junction_state &= ~uint32_t{NET_UNUSED_JUNCTION};
            split_wire(ops, line, junction);
            break;
        case 2:
            ops.clear(line, NET_FIRST_OPEN);
            *junction_state &= ~uint32_t{NET_UNUSED_JUNCTION};
            break;
        case 3:
            ops.clear(line, NET_SECOND_OPEN);
            *junction_state &= ~uint32_t{NET_UNUSED_JUNCTION};
            break;
        default: break;
    }
}

// Phase 6's rule for two records (lines or arcs) in list order: the first
// pair of equal ends decides; no join at a bus.
template <class Ops, class Id = typename Ops::Id>
void join_if_ends_meet(Ops& ops, Id a, Id b) {
    const Point ea[2] = {ops.first(a), ops.second(a)};
    const Point eb[2] = {ops.first(b), ops.second(b)};
    for (const Point& pa : ea)
        for (const Point& pb : eb)
            if (pa == pb) {
                if (!ops.bus_at(pa)) ops.join(a, b);
                return;
            }
}

}  // namespace net_rules
