// The view's selection area (a closed polygon of world points with drag
// handles in window units) and the rectangle helpers the hit tests share.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "foundation/core.h"
#include "model/items/view.h"

namespace {

constexpr int HANDLE_REACH = 5;  // window units

// The polygon's storage grows five points at a time.
void make_room(View* v, size_t count) {
    if (v->select.capacity() >= count) return;
    v->select.reserve((count + 4) / 5 * 5);
}

int64_t right_of(const Rect& r) { return int64_t{r.x} + r.w; }
int64_t bottom_of(const Rect& r) { return int64_t{r.y} + r.h; }

int32_t clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

// --- rectangle helpers ---------------------------------------------------------------

bool rect_contains_point(const Rect& rect, Point p) {
    return p.x >= rect.x && p.x <= right_of(rect) && p.y >= rect.y && p.y <= bottom_of(rect);
}

bool rect_inside_rect(const Rect& inner, const Rect& outer, int32_t width) {
    int64_t half = width / 2;
    int64_t x0 = inner.x + half, x1 = right_of(inner) - half;
    int64_t y0 = inner.y + half, y1 = bottom_of(inner) - half;
    auto inside = [&](int64_t x, int64_t y) {
        return x >= outer.x && x <= right_of(outer) && y >= outer.y && y <= bottom_of(outer);
    };
    return inside(x0, y0) && inside(x1, y0) && inside(x0, y1) && inside(x1, y1);
}

bool segment_may_cross_rect(Point a, Point b, const Rect& rect) {
    if (a.x < rect.x && b.x < rect.x) return false;
    if (a.x > right_of(rect) && b.x > right_of(rect)) return false;
    if (a.y < rect.y && b.y < rect.y) return false;
    if (a.y > bottom_of(rect) && b.y > bottom_of(rect)) return false;
    return true;
}

int rect_edge_distance(Point p, double* distance, Point corner1, Point corner2, double tolerance) {
    double x0 = std::min(corner1.x, corner2.x), x1 = std::max(corner1.x, corner2.x);
    double y0 = std::min(corner1.y, corner2.y), y1 = std::max(corner1.y, corner2.y);
    double px = p.x, py = p.y;
    double d;
    bool inside = px >= x0 && px <= x1 && py >= y0 && py <= y1;
    if (inside) {
        d = std::min(std::min(px - x0, x1 - px), std::min(py - y0, y1 - py));
    } else {
        double dx = px < x0 ? x0 - px : (px > x1 ? px - x1 : 0.0);
        double dy = py < y0 ? y0 - py : (py > y1 ? py - y1 : 0.0);
        d = std::hypot(dx, dy);
    }
    if (d <= tolerance) {
        if (distance) *distance = 0.0;
        return RECT_EDGE_NEAR;
    }
    if (distance) *distance = d;
    return inside ? RECT_EDGE_INSIDE : RECT_EDGE_FAR;
}

// --- the polygon ---------------------------------------------------------------------

bool view_set_select_rect(View* view, const Rect& world) {
    int32_t x1 = clamp32(right_of(world)), y1 = clamp32(bottom_of(world));
    view->select.clear();
    make_room(view, 5);
    view->select.push_back(Point{world.x, world.y});
    view->select.push_back(Point{x1, world.y});
    view->select.push_back(Point{x1, y1});
    view->select.push_back(Point{world.x, y1});
    view->select.push_back(Point{world.x, world.y});
    view->select_rect_mode = 1;
    Point size = view_size_to_screen(view, Point{world.w, world.h});
    view->select_active =
        std::llabs(size.x) >= HANDLE_REACH && std::llabs(size.y) >= HANDLE_REACH ? 1 : 0;
    return view->select_active != 0;
}

void view_select_at(View* view, Point world) {
    view_set_select_rect(view, Rect{world.x, world.y, 0, 0});
}

void view_select_resize_to(View* view, Point world) {
    Point first = view->select.empty() ? world : view->select.front();
    view_set_select_rect(view, Rect{first.x, first.y, clamp32(int64_t{world.x} - first.x),
                                    clamp32(int64_t{world.y} - first.y)});
}

bool view_get_select_bounds(const View* view, Rect* out) {
    if (view->select.empty()) {
        *out = Rect{};
    } else {
        int32_t x0 = INT32_MAX, y0 = INT32_MAX, x1 = INT32_MIN, y1 = INT32_MIN;
        for (const Point& p : view->select) {
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x);
            y1 = std::max(y1, p.y);
        }
        *out = Rect{x0, y0, clamp32(int64_t{x1} - x0), clamp32(int64_t{y1} - y0)};
    }
    return view->select_active != 0;
}

bool view_has_select_area(const View* view) {
    return view->select_active && view->select.size() >= 3;
}

Point view_select_point(const View* view, int i) {
    TN_ASSERT(i >= 0 && static_cast<size_t>(i) < view->select.size());
    return view->select[i];
}

int view_select_start(View* view, Point world) {
    view->select.clear();
    make_room(view, 3);
    view->select.assign(3, world);
    view->select_active = 0;
    view->select_rect_mode = 0;
    return HANDLE_VERTEX + 2;
}

int view_select_add_vertex(View* view) {
    if (view->select.empty()) return 0;
    make_room(view, view->select.size() + 1);
    view->select.push_back(view->select.front());
    view->select_active = view->select.size() >= 3 ? 1 : 0;
    return HANDLE_VERTEX + static_cast<int>(view->select.size()) - 1;
}

void view_select_remove_vertex(View* view) {
    if (!view->select_active || view->select.size() < 4) return;
    view->select.erase(view->select.end() - 2);
    view->select_active = view->select.size() >= 4 ? 1 : 0;
}

int view_select_handle(View* view, int x, int y) {
    if (view->select.empty()) return 0;
    if (view->select_rect_mode) {
        Rect b;
        view_get_select_bounds(view, &b);
        Point a = view_to_screen(view, Point{b.x, b.y});
        Point c = view_to_screen(view, Point{clamp32(right_of(b)), clamp32(bottom_of(b))});
        int64_t left = int64_t{std::min(a.x, c.x)} - HANDLE_REACH;
        int64_t right = int64_t{std::max(a.x, c.x)} + HANDLE_REACH;
        int64_t top = int64_t{std::min(a.y, c.y)} - HANDLE_REACH;
        int64_t bottom = int64_t{std::max(a.y, c.y)} + HANDLE_REACH;
        // Near both edges of a thin rectangle, the opposite corner's edge
        // (right, bottom) is the one taken.
        int handle = 0;
        if (top < y && y < bottom) {
            if (std::llabs(int64_t{c.x} - x) < HANDLE_REACH)
                handle |= HANDLE_RIGHT;
            else if (std::llabs(int64_t{a.x} - x) < HANDLE_REACH)
                handle |= HANDLE_LEFT;
        }
        if (left < x && x < right) {
            if (std::llabs(int64_t{c.y} - y) < HANDLE_REACH)
                handle |= HANDLE_BOTTOM;
            else if (std::llabs(int64_t{a.y} - y) < HANDLE_REACH)
                handle |= HANDLE_TOP;
        }
        return handle;
    }
    for (size_t i = 0; i < view->select.size(); ++i) {
        Point w = view_to_screen(view, view->select[i]);
        if (std::llabs(int64_t{w.x} - x) <= HANDLE_REACH &&
            std::llabs(int64_t{w.y} - y) <= HANDLE_REACH)
            return HANDLE_VERTEX + static_cast<int>(i);
    }
    return 0;
}

void view_drag_handle(View* view, int handle, Point world) {
    if (handle >= HANDLE_VERTEX) {
        size_t i = static_cast<size_t>(handle - HANDLE_VERTEX);
        if (i >= view->select.size()) return;
        view->select[i] = world;
        view->select.back() = view->select.front();
        view->select_active = view->select.size() >= 3 ? 1 : 0;
        return;
    }
    if ((handle & 0x0F) == 0) return;
    Rect b;
    view_get_select_bounds(view, &b);
    if (handle & HANDLE_LEFT) {
        b.w = clamp32(int64_t{b.w} + b.x - world.x);
        b.x = world.x;
    } else if (handle & HANDLE_RIGHT) {
        b.w = clamp32(int64_t{world.x} - b.x);
    }
    if (handle & HANDLE_TOP) {
        b.h = clamp32(int64_t{b.h} + b.y - world.y);
        b.y = world.y;
    } else if (handle & HANDLE_BOTTOM) {
        b.h = clamp32(int64_t{world.y} - b.y);
    }
    view_set_select_rect(view, b);
}

bool view_rect_in_select(const View* view, const Rect& rect) {
    if (!view_has_select_area(view)) return true;
    Rect b;
    view_get_select_bounds(view, &b);
    int32_t x1 = clamp32(right_of(rect)), y1 = clamp32(bottom_of(rect));
    return rect_contains_point(b, Point{rect.x, rect.y}) || rect_contains_point(b, Point{x1, rect.y}) ||
           rect_contains_point(b, Point{rect.x, y1}) || rect_contains_point(b, Point{x1, y1});
}

bool view_point_in_select(const View* view, Point p) {
    if (!view_has_select_area(view)) return true;
    Rect b;
    view_get_select_bounds(view, &b);
    return rect_contains_point(b, p);
}

void view_clear_select(View* view) {
    view->select.clear();
    view->select.shrink_to_fit();
}

void view_select_reset_flags(View* view) {
    view->select_active = 0;
    view->select_rect_mode = 0;
}

void view_make_select_edges(View* view) {
    view_free_select_edges(view);
    for (size_t i = 0; i + 1 < view->select.size(); ++i)
        if (edges_add_line(view->select[i], view->select[i + 1], &view->select_edges) < 0)
            no_memory();
}

void view_free_select_edges(View* view) { edges_free(&view->select_edges, true); }
