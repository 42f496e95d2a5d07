#pragma once
// Wire routing: the two points of a drawing gesture become one or two
// records by the drawing mode (the GEOMETRY property's value).
#include "model/items/item.h"

enum : int {
    ROUTE_ORTHOGONAL = 0,  // two lines meeting at a corner
    ROUTE_45 = 1,          // a straight line and a 45-degree line
    ROUTE_ARC = 2,         // a straight line and a quarter arc
    ROUTE_ANY = 3,         // one line from start to end
};

// Which leg comes first: set to 0 by every call whose points share their y,
// to 1 by every call whose points share their x (and not their y). One value
// for the whole program, 0 at start.
int wire_side();
void set_wire_side(int side);

bool point_equal(Point a, Point b);

// Routes a gesture from a to b into the caller's records *first and
// *second and sets *count (1 or 2). Only the type, the points and an arc's
// direction byte are written; the head's other fields keep what the caller
// put there. A record that must change between line and arc is replaced by
// a new one of the other kind carrying the same head (the old one is freed);
// a null record is made. Result: 0 when a and b share their x or their y,
// else 1 (two lines), 2 (a line then an arc) or 3 (an arc then a line); a
// mode outside 0..3 changes nothing and answers 0.
int route_Wire(int mode, Point a, Point b, SchItem** first, SchItem** second, int* count);
