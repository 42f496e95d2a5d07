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
