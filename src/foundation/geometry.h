#pragma once
// Plain world-coordinate records shared by every layer.
#include <cstdint>

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// {x, y, w, h}: the smaller corner and the extent, in world units.
struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Grows *r1 to enclose r2.
void rect_union(Rect* r1, const Rect& r2);
// *out = in with a negative width or height made positive, x or y moved back
// by it, so that (x, y) is the smaller corner.
void rect_normalize(Rect* out, const Rect& in);
