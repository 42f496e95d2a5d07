// Wire routing of the drawing gesture.
#include "model/items/wire_route.h"

#include <cstdlib>

#include "foundation/core.h"

namespace {
int leg_side = 0;
}  // namespace

int wire_side() { return leg_side; }
void set_wire_side(int value) { leg_side = value; }

bool point_equal(Point a, Point b) { return a.x == b.x && a.y == b.y; }

namespace {

// The caller's record as one of the given code, replaced by a new record
// carrying the same head when it is of the other kind.
SchItem* record_of(SchItem** record, int code) {
    SchItem* old = *record;
    if (old && old->type == code) return old;
    SchItem* made = new_Item(code);
    if (!made) no_memory();
    if (old) {
        static_cast<SchItem&>(*made) = *old;  // the head only
        made->type = static_cast<int8_t>(code);
        free_Item(old);
    }
    *record = made;
    return made;
}

void set_line(SchItem** record, Point a, Point b) {
    Line* line = as_Line(record_of(record, LINE_ITEM));
    line->pos = a;
    line->end = b;
}

void set_arc(SchItem** record, Point centre, Point from, Point to, uint8_t dir) {
    Arc* arc = as_Arc(record_of(record, ARC_ITEM));
    arc->pos = centre;
    arc->start = from;
    arc->end = to;
    arc->dir = dir;
}

int sign(int64_t v) { return v < 0 ? -1 : 1; }

// The bend of the 45-degree modes: the corner where the straight leg meets
// the 45-degree leg.
Point bend_45(Point a, Point b, int s) {
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    bool wide = std::llabs(dx) > std::llabs(dy);
    int64_t e = s < 0 ? dx + dy : (wide ? dx - dy : dy - dx);
    if (wide) {
        return leg_side == 1 ? Point{static_cast<int32_t>(b.x - e), b.y}
                             : Point{static_cast<int32_t>(a.x + e), a.y};
    }
    return leg_side == 1 ? Point{a.x, static_cast<int32_t>(a.y + e)}
                         : Point{b.x, static_cast<int32_t>(b.y - e)};
}

}  // namespace

int route_Wire(int mode, Point a, Point b, SchItem** first, SchItem** second, int* count) {
    if (a.y == b.y) {
        leg_side = 0;
        mode = ROUTE_ANY;
    } else if (a.x == b.x) {
        leg_side = 1;
        mode = ROUTE_ANY;
    }
    switch (mode) {
        case ROUTE_ANY:
            set_line(first, a, b);
            *count = 1;
            return 0;
        case ROUTE_ORTHOGONAL: {
            Point c = leg_side == 0 ? Point{b.x, a.y} : Point{a.x, b.y};
            set_line(first, a, c);
            set_line(second, c, b);
            *count = 2;
            return 1;
        }
        case ROUTE_45:
        case ROUTE_ARC: break;
        default: return 0;
    }
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    int s = sign(dx) * sign(dy);
    Point c = bend_45(a, b, s);
    *count = 2;
    if (mode == ROUTE_45) {
        set_line(first, a, c);
        set_line(second, c, b);
        return 1;
    }
    // The 45-degree leg becomes a quarter arc around a corner of the square
    // it spans.
    bool a_straight = a.x == c.x || a.y == c.y;
    Point centre;
    uint8_t dir;
    if (std::llabs(dx) <= std::llabs(dy)) {
        centre = {a_straight ? b.x : a.x, c.y};
        dir = s < 0 ? 1 : 0;
    } else {
        centre = {c.x, a_straight ? b.y : a.y};
        dir = s > 0 ? 1 : 0;
    }
    if (a_straight) {
        set_line(first, a, c);
        set_arc(second, centre, c, b, dir);
        return 2;
    }
    set_arc(first, centre, a, c, static_cast<uint8_t>(dir ^ 1));
    set_line(second, c, b);
    return 3;
}
