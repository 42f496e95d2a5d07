#pragma once
// The per-document view: how a document's world coordinates (32-bit
// integers, y growing downwards) map to the pixels of the canvas that shows
// it and to the printer; the zoom and centre and the canvas scroll state
// derived from them; the grid snap and the pointer constraint applied to
// every pointer position; the selection area (a polygon with drag handles);
// and the five tags and five saved views stored with the document.
//
// The matrices are recomputed lazily: zoom, centre and window changes mark
// the view dirty, and the next recomputing conversion rebuilds them (only
// while a canvas is bound and the view is not frozen). Window units are the
// canvas's scrolled (virtual) pixels.
//
// The view belongs to the item layer, but three of its operations need the
// document that holds it (the whole drawing's bounds, the sheet size). The
// document layer, built above, fills the hook table below at start-up.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/edges.h"
#include "foundation/geometry.h"
#include "foundation/matrix.h"

struct Schema;

constexpr int VIEW_SLOTS = 5;  // tags and saved views
constexpr double VIEW_MIN_ZOOM = 0.25;
constexpr double VIEW_MAX_ZOOM = 64.0;

// Binary record tags.
constexpr uint8_t TAGS_TAG = 0x60;  // '`'
constexpr uint8_t TAG_ENTRY_TAG = 'a';
constexpr uint8_t SAVED_VIEWS_TAG = 'd';
constexpr uint8_t SAVED_ENTRY_TAG = 'e';

// Handles of the selection area: edge bits in rectangle mode, vertex
// handles 16 + point index otherwise; 0 is no handle.
enum : int {
    HANDLE_LEFT = 1,
    HANDLE_RIGHT = 2,
    HANDLE_TOP = 4,
    HANDLE_BOTTOM = 8,
    HANDLE_VERTEX = 16,
};

// Pointer constraint modes (view_set_clip).
enum : uint8_t {
    CLIP_NONE = 0,
    CLIP_INSIDE = 1,      // inside the rectangle less the margins
    CLIP_VERTICAL = 2,    // on the left or right edge, whichever is nearer
    CLIP_HORIZONTAL = 3,  // on the top or bottom edge, whichever is nearer
    CLIP_OUTLINE = 4,     // on the nearest edge
    CLIP_LEFT = 5,        // on the left edge
    CLIP_TOP = 6,         // on the top edge
};

struct ViewTag {
    uint8_t in_use = 0;
    Point pos;  // world
};

struct ViewSaved {
    uint8_t in_use = 0;
    Point pos;  // world centre
    double scale = 1.0;
};

struct View {
    void* window = nullptr;  // the canvas shown in (not owned); none until bound
    int area[4] = {};        // scroll start x, y (steps), client width, height (pixels)
    Point centre;            // world point in the middle of the canvas
    Point extent;            // kx, ky: zoom x the device factors, truncated
    Point step;              // scroll step: client size / 10
    Point range;             // scroll range in steps: extent / step
    Point origin;            // scroll origin in window units
    Point position;          // scroll position in steps: origin / step
    // The rest of the way to the window unit at the canvas's top-left
    // corner, which the scroll bars' steps cannot hold: that corner is
    // position x step + fine while the canvas stands at `position`, so
    // that the centre is shown exactly in the middle.
    Point fine;
    uint8_t printing = 0;                 // conversions use the print matrices while set
    Matrix point, point_inv;              // screen: world point <-> window point
    Matrix size, size_inv;                // screen: world size <-> window size
    Matrix print_point, print_point_inv;  // printer
    Matrix print_size, print_size_inv;
    double zoom = 1.0;  // VIEW_MIN_ZOOM .. VIEW_MAX_ZOOM
    Rect visible;       // the world rectangle the canvas shows
    Rect clip_window;   // replaces `visible` in visibility tests when w and h are both non-zero
    std::vector<Point> select;  // selection polygon, world points (closed: last = first)
    uint8_t select_active = 0;
    uint8_t select_rect_mode = 0;  // the polygon is a rectangle with edge handles
    uint8_t dirty = 1;             // the matrices must be rebuilt before the next conversion
    Rect constraint;               // pointer constraint rectangle
    int32_t margin_left = 0, margin_top = 0, margin_right = 0, margin_bottom = 0;
    uint8_t constraint_mode = CLIP_NONE;
    EdgeList select_edges;        // sides of the polygon while built (view_make_select_edges)
    uint8_t cursor_in_sheet = 0;  // CURSOR_IN_SHEET: keep the pointer on the sheet
    std::string tag_names[VIEW_SLOTS];
    ViewTag tags[VIEW_SLOTS];
    std::string saved_names[VIEW_SLOTS];
    ViewSaved saved[VIEW_SLOTS];
    double print_origin_x = 0.0;  // subtracted after scaling when printing
    double print_origin_y = 0.0;
    uint8_t frozen = 0;  // the matrices are not rebuilt while set

    View() = default;
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;
};

// --- device constants ---------------------------------------------------------
// Process-wide, computed by view_reset_device from the display size and the
// assumed screen diagonal (services). One world unit is zoom x pixel
// diagonal / (diagonal inches x 10000) pixels: 10000 units per inch.
struct ViewDevice {
    int width = 0, height = 0;     // display size, pixels
    double pixel_diagonal = 0.0;   // sqrt(w^2 + h^2)
    double screen_diagonal = 0.0;  // inches
    double x_factor = 0.0;         // pixel diagonal x 500000 / (screen diagonal x 10000)
    double y_factor = 0.0;         // pixel diagonal x 400000 / (screen diagonal x 10000)
};
const ViewDevice& view_device();

// --- the document's side ----------------------------------------------------------
// Filled by the document layer. A null slot keeps its default: `view` and
// `bounds` answer none (view_zoom_all and view_zoom_select then do nothing),
// `sheet_size` answers 0.
struct ViewDocumentHooks {
    View* (*view)(Schema* schema) = nullptr;              // the document's view
    bool (*bounds)(Schema* schema, Rect* out) = nullptr;  // the whole drawing; false when empty
    int (*sheet_size)(const Schema* schema) = nullptr;    // index of SIZE_SHEETW / SIZE_SHEETH
};
void install_view_document_hooks(const ViewDocumentHooks& hooks);
void reset_view_document_hooks();

// --- set-up and state ---------------------------------------------------------------
void view_init(View* view);          // view_reset, view_load_options, view_reset_device
void view_reset(View* view);         // centre 0, no polygon, tags and saved views reset
void view_reset_device(View* view);  // device constants; zoom 1, no clip window, margins 0
void view_load_options(View* view);  // CURSOR_IN_SHEET
void view_set_window(View* view, void* window);
void* view_get_window(const View* view);
void view_invalidate(View* view);
void view_set_center(View* view, Point centre);
// Recomputes, maps the window point to world (grid and constraint applied)
// and makes it the centre.
void view_center_on_window_point(View* view, Point window, const Schema* schema);
// PVIS_SCAL while printing, else the zoom.
double view_get_scale(const View* view);
// Clamps to 0.25..64; unless free, lowers to a power of two.
void view_set_scale(View* view, double zoom, bool free);
// Rebuilds the matrices and scroll fields when dirty; true when it did (the
// canvas then resets its scroll bars from the scroll fields). Without a
// window or while frozen: false. The visible rectangle begins at the
// window unit the canvas's top-left corner shows: step x scroll start, and
// `fine` beyond it on an axis where the start is the view's position.
bool view_update_transform(View* view);
// The current point and size matrices (print set while printing).
void view_get_matrices(const View* view, Matrix* point, Matrix* size);

// --- conversions --------------------------------------------------------------------
// "Recomputing" conversions call view_update_transform first.
Point view_to_screen(View* view, Point world);          // recomputing
Point view_scale_point(const View* view, Point world);  // screen: m00 on both axes
Point view_size_to_screen(View* view, Point size);      // recomputing
Point view_size_to_screen_nr(const View* view, Point size);
Point view_size_to_world(const View* view, Point size);
Point view_to_grid(const View* view, Point window);  // inverse point matrix, grid snap
// The step of the grid that pointer positions snap to (GRID_SIZE, a tenth
// of it with STAY_GRID 2), 0 when they do not snap.
int64_t grid_step();
// A world point on the nearest point of that grid (halves away from zero);
// unchanged when positions do not snap.
Point grid_snap(Point world);
// view_to_grid, then view_clip_point; true when the constraint moved it.
bool view_to_world(View* view, Point window, Point* world, const Schema* schema);
// With STAY_GRID on, *window becomes the window position of its snapped and
// constrained world point; true when the constraint moved it.
bool view_snap_point(View* view, Point* window, const Schema* schema);
// The pointer constraint on a world point (see view_set_clip); without a
// constraint and with the cursor-in-sheet flag, the point is kept on the
// sheet of the schema (a null schema has sheet size 0). True when it moved.
bool view_clip_point(const View* view, Point* world, const Schema* schema);
// Mode CLIP_NONE also sets the margins to 0.
void view_set_clip(View* view, const Rect& rect, int mode);
// (left, top) and (right, bottom) margins; stored only while a constraint
// mode is set and left + right < width and top + bottom < height.
void view_set_clip_margins(View* view, Point left_top, Point right_bottom);

// --- zoom and visibility --------------------------------------------------------------
// Centres on the rectangle and zooms to show it enlarged by 1.2. An axis of
// width or height 0 does not take part in the zoom (both 0: zoom kept).
void view_zoom_rect(View* view, const Rect& rect, bool free);
void view_zoom_all(Schema* schema);
void view_zoom_select(Schema* schema);
// A world point outside the visible rectangle becomes the centre; true then.
bool view_ensure_visible(View* view, Point world);
bool view_point_visible(const View* view, Point world);
bool view_rect_visible(const View* view, const Rect& world);
void view_set_clip_window(View* view, const Rect& rect);

// --- rectangle helpers -------------------------------------------------------------------
// Edges included.
bool rect_contains_point(const Rect& rect, Point p);
// The four corners of `inner`, each moved inwards by width / 2, lie in `outer`.
bool rect_inside_rect(const Rect& inner, const Rect& outer, int32_t width);
// False when both ends lie beyond the same side of the rectangle (a quick
// rejection test); true otherwise.
bool segment_may_cross_rect(Point a, Point b, const Rect& rect);

enum : int { RECT_EDGE_FAR = 0, RECT_EDGE_NEAR = 1, RECT_EDGE_INSIDE = 2 };
// Distance of p to the outline of the rectangle with the two opposite
// corners (in any order): RECT_EDGE_NEAR with *distance 0 when it is within
// the tolerance; RECT_EDGE_INSIDE when p lies inside farther from the outline
// (*distance: to the nearest side); else RECT_EDGE_FAR with the distance to
// the rectangle.
int rect_edge_distance(Point p, double* distance, Point corner1, Point corner2, double tolerance);
// The far corner is summed in 64 bits and kept in the 32-bit range.
inline int rect_edge_distance(Point p, double* distance, const Rect& r, double tolerance) {
    auto far = [](int32_t a, int32_t extent) {
        int64_t v = int64_t{a} + extent;
        return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
    };
    return rect_edge_distance(p, distance, Point{r.x, r.y}, Point{far(r.x, r.w), far(r.y, r.h)},
                              tolerance);
}

// --- selection area ------------------------------------------------------------------------
// Replaces the polygon by the closed outline of the rectangle; rectangle
// mode; active when it measures at least 5 x 5 window units. Returns active.
bool view_set_select_rect(View* view, const Rect& world);
void view_select_at(View* view, Point world);              // an empty, inactive rectangle
void view_select_resize_to(View* view, Point world);       // first corner kept, opposite moved
bool view_get_select_bounds(const View* view, Rect* out);  // returns the active flag
// Active with at least 3 points.
bool view_has_select_area(const View* view);
Point view_select_point(const View* view, int i);
// A new polygon of three copies of the point (inactive, not a rectangle);
// returns the handle of its last point.
int view_select_start(View* view, Point world);
// Appends a copy of the first point; returns the handle of the new last point.
int view_select_add_vertex(View* view);
void view_select_remove_vertex(View* view);
int view_select_handle(View* view, int x, int y);  // window point; 0 when none
void view_drag_handle(View* view, int handle, Point world);
// True without an active area, or when a corner of the rectangle, or the
// point, lies in the polygon's bounding rectangle.
bool view_rect_in_select(const View* view, const Rect& rect);
bool view_point_in_select(const View* view, Point p);
void view_clear_select(View* view);
void view_select_reset_flags(View* view);  // not active, not a rectangle
void view_make_select_edges(View* view);
void view_free_select_edges(View* view);

// --- tags and saved views --------------------------------------------------------------------
// Slots 0..4 (a slot outside is a caller's fault). Tag i is shown as the
// letter 'A' + i, saved view i as the digit '1' + i.
void view_set_tag(View* view, int i, Point world);
void view_set_saved(View* view, int i, Point world, double scale);
void view_set_tag_name(View* view, int i, const char* name);
void view_set_saved_name(View* view, int i, const char* name);
void view_clear_tag(View* view, int i);
void view_clear_saved(View* view, int i);
void view_clear_tags(View* view);
void view_clear_saved_all(View* view);
// The stored name while the slot is in use, else the default ("A ", ...,
// "View 1", ...). The text lives until the name changes. Out-parameters may
// be null.
const char* view_get_tag(const View* view, int i, Point* world, bool* in_use);
const char* view_get_saved(const View* view, int i, Point* world, bool* in_use, double* scale);

// Records of the binary schema file: the slots in use, in slot order.
void write_Tags(const View* view, FILE* stream);
void write_SavedViews(const View* view, FILE* stream);
// 0; NOT_MY_TAG (1001) with the byte pushed back when the record is not
// next; -1 on a short read; 5 (read error) when an entry names a slot
// outside 0..4 (the whole record is still consumed). Only with the result 0
// and apply is the view changed: each entry's name (cut at 127 characters),
// point and scale are stored and its slot marked in use.
int read_Tags(View* view, FILE* stream, bool apply);
int read_SavedViews(View* view, FILE* stream, bool apply);
