// The view's transform: device constants, zoom, the lazily rebuilt matrices
// and scroll fields, the conversions between world and window, the grid snap
// and the pointer constraint, and zooming and visibility.
#include "model/items/view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "foundation/core.h"
#include "foundation/properties.h"
#include "foundation/services.h"

namespace {

View* no_view(Schema*) { return nullptr; }
bool no_bounds(Schema*, Rect*) { return false; }
int sheet_size_zero(const Schema*) { return 0; }

// The view device and the hooks the document installs.
struct ViewState {
    ViewDocumentHooks document_hooks{no_view, no_bounds, sheet_size_zero};
    ViewDevice device;
} views;

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t trunc32(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(
        std::clamp(std::trunc(v), static_cast<double>(std::numeric_limits<int32_t>::min()),
                   static_cast<double>(std::numeric_limits<int32_t>::max())));
}

const Matrix& point_matrix(const View* v) { return v->printing ? v->print_point : v->point; }
const Matrix& point_inverse(const View* v) {
    return v->printing ? v->print_point_inv : v->point_inv;
}
const Matrix& size_matrix(const View* v) { return v->printing ? v->print_size : v->size; }
const Matrix& size_inverse(const View* v) { return v->printing ? v->print_size_inv : v->size_inv; }

Point apply(const Matrix& m, Point p) {
    Point out;
    matrix_apply(&m, p, &out);
    return out;
}

// The canvas area of the bound window; without a window the last one read.
void read_canvas_area(View* v) {
    if (v->window) services().canvas_visible_rect(v->window, v->area);
}

// Nearest multiple of the step, halves away from zero.
int32_t snap(int32_t c, int64_t step) {
    int64_t q = c >= 1 ? (c + step / 2) / step : (c - step / 2) / step;
    return clamp32(q * step);
}

// The visible world rectangle from the scroll start (in steps): where the
// start is the view's own position, the canvas shows `fine` beyond it.
void set_visible(View* v, int32_t start_x, int32_t start_y) {
    const int64_t x = int64_t{v->step.x} * start_x + (start_x == v->position.x ? v->fine.x : 0);
    const int64_t y = int64_t{v->step.y} * start_y + (start_y == v->position.y ? v->fine.y : 0);
    Point corner = view_to_grid(v, Point{clamp32(x), clamp32(y)});
    Point size = view_size_to_world(v, Point{v->area[2], v->area[3]});
    v->visible = Rect{corner.x, corner.y, size.x, size.y};
}

void build_matrices(View* v) {
    double s = fproper_get(PVIS_SCAL) * 1.0;
    matrix_identity(&v->print_point);
    matrix_identity(&v->print_point_inv);
    matrix_scale(&v->print_point, s, s, &v->print_point_inv);
    matrix_translate_d(&v->print_point, -v->print_origin_x, -v->print_origin_y,
                       &v->print_point_inv);
    matrix_identity(&v->print_size);
    matrix_identity(&v->print_size_inv);
    matrix_scale(&v->print_size, s, s, &v->print_size_inv);

    double sx = v->extent.x * 0.000002;
    double sy = v->extent.y * 0.0000025;
    matrix_identity(&v->point);
    matrix_identity(&v->point_inv);
    matrix_scale(&v->point, sx, sy, &v->point_inv);
    matrix_identity(&v->size);
    matrix_identity(&v->size_inv);
    matrix_scale(&v->size, sx, sy, &v->size_inv);
}

}  // namespace

View::~View() { edges_free(&select_edges, true); }

const ViewDevice& view_device() { return views.device; }

void install_view_document_hooks(const ViewDocumentHooks& hooks) {
    if (hooks.view) views.document_hooks.view = hooks.view;
    if (hooks.bounds) views.document_hooks.bounds = hooks.bounds;
    if (hooks.sheet_size) views.document_hooks.sheet_size = hooks.sheet_size;
}

void reset_view_document_hooks() { views.document_hooks = {no_view, no_bounds, sheet_size_zero}; }

// --- set-up and state -------------------------------------------------------------

void view_init(View* view) {
    view_reset(view);
    view_load_options(view);
    view_reset_device(view);
}

void view_reset_device(View* view) {
    int w = 0, h = 0;
    services().get_display_size(&w, &h);
    views.device.width = w;
    views.device.height = h;
    views.device.pixel_diagonal = std::sqrt(double(w) * w + double(h) * h);
    views.device.screen_diagonal = services().get_screen_diagonal();
    // A screen of no size would only give division by zero further on.
    bool usable = views.device.screen_diagonal > 0.0 && views.device.pixel_diagonal > 0.0;
    views.device.x_factor =
        usable ? views.device.pixel_diagonal * 500000 / (views.device.screen_diagonal * 10000) : 0;
    views.device.y_factor =
        usable ? views.device.pixel_diagonal * 400000 / (views.device.screen_diagonal * 10000) : 0;

    view->dirty = 1;
    view_set_scale(view, 1.0, false);
    view->clip_window.w = view->clip_window.h = 0;
    view->margin_left = view->margin_top = view->margin_right = view->margin_bottom = 0;
    view->print_origin_x = view->print_origin_y = 0.0;
    view->frozen = 0;
}

void view_load_options(View* view) {
    view->cursor_in_sheet = proper_get(CURSOR_IN_SHEET) != 0 ? 1 : 0;
}

void view_set_window(View* view, void* window) {
    view->window = window;
    view->dirty = 1;
}

void* view_get_window(const View* view) { return view->window; }

void view_invalidate(View* view) { view->dirty = 1; }

void view_set_center(View* view, Point centre) {
    if (centre == view->centre) return;
    view->centre = centre;
    view->dirty = 1;
}

void view_center_on_window_point(View* view, Point window, const Schema* schema) {
    view_update_transform(view);
    Point world;
    view_to_world(view, window, &world, schema);
    view_set_center(view, world);
}

double view_get_scale(const View* view) {
    return view->printing ? fproper_get(PVIS_SCAL) : view->zoom;
}

void view_set_scale(View* view, double zoom, bool free) {
    zoom = std::clamp(zoom, VIEW_MIN_ZOOM, VIEW_MAX_ZOOM);
    if (std::isnan(zoom)) zoom = 1.0;
    if (!free) {
        double power = VIEW_MIN_ZOOM;
        while (power < VIEW_MAX_ZOOM && zoom >= power * 2) power *= 2;
        zoom = power;
    }
    if (zoom == view->zoom) return;
    view->zoom = zoom;
    view->dirty = 1;
}

bool view_update_transform(View* view) {
    if (!view->window || view->frozen) return false;
    if (!view->dirty) {
        read_canvas_area(view);
        set_visible(view, view->area[0], view->area[1]);
        return false;
    }
    view->dirty = 0;
    read_canvas_area(view);
    view->extent = Point{trunc32(view->zoom * views.device.x_factor),
                         trunc32(view->zoom * views.device.y_factor)};
    view->step = Point{view->area[2] / 10, view->area[3] / 10};
    view->range = Point{view->step.x ? view->extent.x / view->step.x : 0,
                        view->step.y ? view->extent.y / view->step.y : 0};
    build_matrices(view);

    Point c = view_scale_point(view, view->centre);
    int64_t ox = int64_t{c.x} - view->area[2] / 2 + view->step.x / 2;
    int64_t oy = int64_t{c.y} - view->area[3] / 2 + view->step.y / 2;
    view->origin = Point{clamp32(std::max<int64_t>(ox, 0)), clamp32(std::max<int64_t>(oy, 0))};
    view->position = Point{view->step.x ? view->origin.x / view->step.x : 0,
                           view->step.y ? view->origin.y / view->step.y : 0};
    // The scroll bars stand at the nearest step; the window unit that puts
    // the centre in the middle of the canvas (never before the first) is
    // what the canvas shows at its corner.
    const int64_t corner_x = std::max<int64_t>(int64_t{c.x} - view->area[2] / 2, 0);
    const int64_t corner_y = std::max<int64_t>(int64_t{c.y} - view->area[3] / 2, 0);
    view->fine = Point{clamp32(corner_x - int64_t{view->position.x} * view->step.x),
                       clamp32(corner_y - int64_t{view->position.y} * view->step.y)};
    set_visible(view, view->position.x, view->position.y);
    return true;
}

void view_get_matrices(const View* view, Matrix* point, Matrix* size) {
    if (point) *point = point_matrix(view);
    if (size) *size = size_matrix(view);
}

// --- conversions -----------------------------------------------------------------------

Point view_to_screen(View* view, Point world) {
    view_update_transform(view);
    return apply(point_matrix(view), world);
}

Point view_scale_point(const View* view, Point world) {
    if (view->printing) return apply(view->print_point, world);
    double m00 = view->point.m[0][0];
    return Point{trunc32(m00 * world.x), trunc32(m00 * world.y)};
}

Point view_size_to_screen(View* view, Point size) {
    view_update_transform(view);
    return apply(size_matrix(view), size);
}

Point view_size_to_screen_nr(const View* view, Point size) {
    return apply(size_matrix(view), size);
}

Point view_size_to_world(const View* view, Point size) { return apply(size_inverse(view), size); }

int64_t grid_step() {
    int stay = proper_get(STAY_GRID);
    if (stay == 0) return 0;
    int64_t step = proper_get(GRID_SIZE);
    if (stay == 2) step /= 10;
    // A grid below one unit (a GRID_SIZE of 0 in the INI file) does not snap.
    return step < 1 ? 0 : step;
}

Point grid_snap(Point world) {
    const int64_t step = grid_step();
    return step ? Point{snap(world.x, step), snap(world.y, step)} : world;
}

Point view_to_grid(const View* view, Point window) {
    return grid_snap(apply(point_inverse(view), window));
}

bool view_to_world(View* view, Point window, Point* world, const Schema* schema) {
    *world = view_to_grid(view, window);
    return view_clip_point(view, world, schema);
}

bool view_snap_point(View* view, Point* window, const Schema* schema) {
    if (proper_get(STAY_GRID) == 0) return false;
    Point world;
    bool moved = view_to_world(view, *window, &world, schema);
    *window = view_to_screen(view, world);
    return moved;
}

bool view_clip_point(const View* view, Point* world, const Schema* schema) {
    const Point before = *world;
    int64_t x = world->x, y = world->y;
    if (view->constraint_mode != CLIP_NONE) {
        const Rect& r = view->constraint;
        int64_t left = r.x, top = r.y;
        int64_t right = int64_t{r.x} + r.w, bottom = int64_t{r.y} + r.h;
        x = std::max(x, left + view->margin_left);
        x = std::min(x, right - view->margin_right);
        y = std::max(y, top + view->margin_top);
        y = std::min(y, bottom - view->margin_bottom);
        int64_t cx = r.x + int64_t{r.w} / 2, cy = r.y + int64_t{r.h} / 2;
        auto to_side = [&] { x = x > cx ? right : left; };
        auto to_top_bottom = [&] { y = y > cy ? bottom : top; };
        switch (view->constraint_mode) {
            case CLIP_VERTICAL: to_side(); break;
            case CLIP_LEFT: x = left; break;
            case CLIP_HORIZONTAL: to_top_bottom(); break;
            case CLIP_TOP: y = top; break;
            case CLIP_OUTLINE: {
                int64_t dx = std::llabs(cx - x), dy = std::llabs(cy - y);
                if (int64_t{r.h} / 2 - dy > int64_t{r.w} / 2 - dx)
                    to_side();
                else
                    to_top_bottom();
                break;
            }
            default: break;  // CLIP_INSIDE: the rectangle only
        }
    } else if (view->cursor_in_sheet) {
        int size = schema ? views.document_hooks.sheet_size(schema) : 0;
        int64_t width = int64_t{proper_get(SIZE_SHEETW, size)} * 10;
        int64_t height = int64_t{proper_get(SIZE_SHEETH, size)} * 10;
        x = std::min(std::max<int64_t>(x, 0), width);
        y = std::min(std::max<int64_t>(y, 0), height);
    }
    *world = Point{clamp32(x), clamp32(y)};
    return !(*world == before);
}

void view_set_clip(View* view, const Rect& rect, int mode) {
    view->constraint = rect;
    view->constraint_mode = static_cast<uint8_t>(mode);
    if (mode == CLIP_NONE)
        view->margin_left = view->margin_top = view->margin_right = view->margin_bottom = 0;
}

void view_set_clip_margins(View* view, Point left_top, Point right_bottom) {
    if (view->constraint_mode == CLIP_NONE) return;
    if (int64_t{left_top.x} + right_bottom.x >= view->constraint.w) return;
    if (int64_t{left_top.y} + right_bottom.y >= view->constraint.h) return;
    view->margin_left = left_top.x;
    view->margin_top = left_top.y;
    view->margin_right = right_bottom.x;
    view->margin_bottom = right_bottom.y;
}

// --- zoom and visibility --------------------------------------------------------------

void view_zoom_rect(View* view, const Rect& rect, bool free) {
    read_canvas_area(view);
    Point centre{clamp32(rect.x + int64_t{rect.w} / 2), clamp32(rect.y + int64_t{rect.h} / 2)};
    // An axis without extent (or without a device factor) does not limit the
    // zoom; with neither, the zoom stays.
    double zoom = std::numeric_limits<double>::infinity();
    if (rect.w > 0 && views.device.x_factor > 0)
        zoom = std::min(zoom, view->area[2] * 500000.0 / (1.2 * rect.w * views.device.x_factor));
    if (rect.h > 0 && views.device.y_factor > 0)
        zoom = std::min(zoom, view->area[3] * 400000.0 / (1.2 * rect.h * views.device.y_factor));
    if (std::isfinite(zoom)) view_set_scale(view, zoom, free);
    view_set_center(view, centre);
}

void view_zoom_all(Schema* schema) {
    View* view = views.document_hooks.view(schema);
    if (!view) return;
    Rect bounds;
    if (views.document_hooks.bounds(schema, &bounds)) view_zoom_rect(view, bounds, true);
    view_invalidate(view);
}

void view_zoom_select(Schema* schema) {
    View* view = views.document_hooks.view(schema);
    if (!view || view->select.empty()) return;
    Rect bounds;
    view_get_select_bounds(view, &bounds);
    view_zoom_rect(view, bounds, true);
}

bool view_ensure_visible(View* view, Point world) {
    if (view_point_visible(view, world)) return false;
    view_set_center(view, world);
    view->dirty = 1;
    return true;
}

bool view_point_visible(const View* view, Point world) {
    return rect_contains_point(view->visible, world);
}

bool view_rect_visible(const View* view, const Rect& world) {
    const Rect& area =
        view->clip_window.w != 0 && view->clip_window.h != 0 ? view->clip_window : view->visible;
    return int64_t{world.x} <= int64_t{area.x} + area.w &&
           int64_t{area.x} <= int64_t{world.x} + world.w &&
           int64_t{world.y} <= int64_t{area.y} + area.h &&
           int64_t{area.y} <= int64_t{world.y} + world.h;
}

void view_set_clip_window(View* view, const Rect& rect) { view->clip_window = rect; }
