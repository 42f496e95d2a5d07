#pragma once
// The drawing adapter: every item is drawn through one of these, in world
// units. An adapter either paints into a wxDC (world points mapped by a
// scale and an offset to device pixels, pens, brushes and fonts cached for
// the one drawing pass the adapter lives for) or records what it is asked
// to draw as a list of primitives (the ghost overlay keeps such lists and
// replays them).
//
// Drawing modes, as the callers name them: DRAW_COPY paints the colour as
// it is; DRAW_MERGE paints the colour ORed with the background; DRAW_XOR
// paints the colour XORed with the background (on the overlay: drawing the
// same ghost twice removes it).
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/pen.h>

#include "foundation/font_record.h"
#include "foundation/geometry.h"
#include "foundation/matrix.h"

class wxGraphicsContext;
struct Image;
struct View;
class StrokeBatch;

enum : int { DRAW_XOR = 1, DRAW_COPY = 2, DRAW_MERGE = 3 };

// Colour of the ghosts the tools draw without a colour of their own.
constexpr uint32_t GHOST_COLOUR = 0xFFFFFF;

// One primitive in world units.
struct Prim {
    enum Kind : uint8_t { STRIP, POLYGON, CIRCLE, ARC, TEXT, IMAGE, FILL_RECT, DOTS };
    Kind kind = STRIP;
    uint32_t rgb = 0;
    int32_t width = 0;  // pen width, world units
    bool dashed = false;
    bool filled = false;
    uint8_t clockwise = 0;
    // STRIP, POLYGON, DOTS: the points; CIRCLE: centre, a point on it; ARC:
    // centre, start, end; TEXT: anchor, baseline direction x 1000;
    // FILL_RECT: two corners; IMAGE: the image's four placed corners.
    std::vector<Point> points;
    std::string text;
    Font font{};
    const Image* image = nullptr;  // not owned
    bool operator==(const Prim& other) const;
};

class DrawAdapter {
public:
    // Paints into dc: device = world x (sx, sy) - origin.
    DrawAdapter(wxDC* dc, double sx, double sy, double origin_x, double origin_y,
                uint32_t background);
    // Records into *record.
    explicit DrawAdapter(std::vector<Prim>* record);
    // Measures instead: *bounds grows by the world rectangle of every
    // primitive asked for, pen widths included; *any is set by the first.
    DrawAdapter(Rect* bounds, bool* any);
    DrawAdapter(const DrawAdapter&) = delete;
    DrawAdapter& operator=(const DrawAdapter&) = delete;
    ~DrawAdapter();

    // Painting: the strips are gathered and stroked together, over several
    // threads, before anything else is drawn and when the adapter goes
    // (see StrokeBatch). For a painting of a whole bitmap, nothing clipped
    // (elsewhere they are stroked one by one, the same pixels).
    void gather_strokes();

    void set_mode(int mode) { mode_ = mode; }
    int mode() const { return mode_; }
    uint32_t background() const { return background_; }
    // Printing: the print visibility flags apply (draw_items.cpp).
    bool printing = false;
    // Every line and text in black (a monochrome printer); pictures keep
    // their colours.
    bool monochrome = false;
    // Painting a ghost over the window: whatever the mode, a primitive in
    // GHOST_COLOUR is XORed with the background and any other painted in
    // its own colour, and stroke texts are drawn however small, as a ghost
    // played from its recorded primitives shows them.
    bool ghost = false;
    wxDC* dc() const { return dc_; }
    bool measuring() const { return bounds_ != nullptr; }
    // Measuring: grows the bounds by a world rectangle and the pen's half
    // width around it (a shape measured without being drawn).
    void cover(const Rect& box);
    double scale_x() const { return sx_; }
    double scale_y() const { return sy_; }

    // Pen of the next primitives: colour, world width, dashed.
    void set_pen(uint32_t rgb, int32_t width, bool dashed = false);
    void line(Point a, Point b);
    void strip(const std::vector<Point>& points);
    // One device pixel at each point.
    void dots(const std::vector<Point>& points);
    void polygon(const std::vector<Point>& points, bool filled);
    void circle(Point centre, Point on, bool filled);
    // From start to end around centre, clockwise on the screen when set.
    void arc(Point centre, Point start, Point end, bool clockwise);
    // A text in a document font: `anchor` is the bottom-left corner of the
    // text block, `direction` the baseline direction (world, length 1000).
    void font_text(const std::string& text, const Font& font, Point anchor, Point direction);
    void image(const Image* image, const Point corners[4]);
    // Fills a world rectangle with a colour (erasing).
    void fill_rect(Point a, Point b, uint32_t rgb);

    // Plays recorded primitives into this adapter (measuring: measures them).
    void replay(const std::vector<Prim>& prims);
    void replay(const Prim& prim);
    // Device point of a world point.
    wxPoint device(Point world) const;

private:
    void emit(Prim&& prim);
    void measure(const Prim& prim);
    // Measuring: grows the bounds by the points, `pad` world units around.
    void cover_points(const Point* points, size_t count, int64_t pad);
    void paint(const Prim& prim);
    // Painting a line or strip straight away, as paint would its primitive.
    void paint_strip(const Point* points, size_t count);
    // The strip stroked on the context's cairo drawing directly (see the
    // definition); false where that cannot be done.
    bool stroke_native(const wxPen& pen, const Point* points, size_t count);
    // The toolkit's context where strips can be stroked on its cairo
    // drawing directly, else null.
    wxGraphicsContext* native_context() const;
    // Gathering: the strip put in the batch; false where its pen cannot be.
    bool gather_strip(const wxPen& pen, const Point* points, size_t count);
    // Gathering: the dots put in the batch, as one fill; false where they
    // cannot be.
    bool gather_dots(const Prim& prim);
    // The points on the device, x and y in turn (in batch_points_).
    const int32_t* batch_device_points(const Point* points, size_t count);
    // Strokes the strips gathered so far (gather_strokes).
    void flush_strokes();
    uint32_t mode_colour(uint32_t rgb) const;
    const wxPen& pen_for(uint32_t rgb, int32_t width, bool dashed);
    // Sets the context's pen or brush unless it is the one set last (the
    // caches' entries, and the stock transparent ones, never move).
    void use_pen(const wxPen& pen);
    void use_brush(const wxBrush& brush);
    const wxBrush& brush_for(uint32_t rgb);
    const wxFont& font_for(const Font& font, double points);
    double line_pixels_per_point(const Font& font);
    void paint_text(const Prim& prim);
    void paint_image(const Prim& prim);

    wxDC* dc_ = nullptr;
    bool printer_device_ = false;  // a printer: every pen is set (see use_pen)
    std::vector<Prim>* record_ = nullptr;
    Rect* bounds_ = nullptr;  // not owned: measuring
    bool* any_ = nullptr;     // not owned
    double sx_ = 1, sy_ = 1, ox_ = 0, oy_ = 0;
    uint32_t background_ = 0;
    int mode_ = DRAW_COPY;
    uint32_t rgb_ = 0;
    int32_t width_ = 0;
    bool dashed_ = false;
    const wxPen* last_pen_ = nullptr;  // not owned: the context's pen, set by this adapter
    // Not owned: the pen the cairo drawing under the context holds, as the
    // last native stroke left it; null once anything else was drawn since.
    const wxPen* native_pen_ = nullptr;
    const wxBrush* last_brush_ = nullptr;  // not owned
    std::unique_ptr<StrokeBatch> batch_;   // the strips gathered, when gathering
    // Each pen's number in the batch (-1: stroked straight away), read from
    // the context once: the pen is not set on the context again for each
    // strip gathered.
    std::unordered_map<const wxPen*, int> batch_pens_;
    std::vector<int32_t> batch_points_;   // a strip's device points for the batch, reused
    std::vector<wxPoint> device_points_;  // a strip's points on the device, reused
    std::unordered_map<uint64_t, wxPen> pens_;
    std::unordered_map<uint32_t, wxBrush> brushes_;
    std::unordered_map<std::string, wxFont> fonts_;
    std::unordered_map<std::string, double> line_pixels_;
};

// Points of an arc from start to end around centre (world units), enough
// for a smooth curve at `pixels_per_unit`.
std::vector<Point> arc_points(Point centre, Point start, Point end, bool clockwise,
                              double pixels_per_unit);
// The world rectangle a primitive covers (a text's block, a circle's
// square, the points of the others).
Rect prim_extent(const Prim& prim);
// The smallest rectangle holding the points (extent clamped to 32 bits).
Rect box_of(const Point* points, size_t count);
// The point through a matrix; a null matrix leaves it.
Point apply_matrix(const Matrix* matrix, Point p);
