#include "render/draw_adapter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <wx/dcprint.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include "model/documents/image.h"
#include "render/colour_table.h"
#include "render/dib_image.h"
#include "render/render_fonts.h"
#include "render/stroke_batch.h"

namespace {

constexpr double PI = 3.14159265358979323846;
// Images larger than this on the device are drawn as their outline: a
// bitmap of that size would cost more memory than a drawing pass is worth.
constexpr double MAX_IMAGE_PIXELS = 4096.0;
// Size of the font a context's point scale is measured with.
constexpr double CALIBRATION_POINTS = 100.0;

int32_t clamp32(double v) {
    if (v > 2e9) return 2000000000;
    if (v < -2e9) return -2000000000;
    return static_cast<int32_t>(std::lround(v));
}

}  // namespace

bool Prim::operator==(const Prim& o) const {
    if (kind != o.kind || rgb != o.rgb || width != o.width || dashed != o.dashed ||
        filled != o.filled || clockwise != o.clockwise || points != o.points || text != o.text ||
        image != o.image)
        return false;
    if (kind != TEXT) return true;
    return font.size == o.font.size && font.weight == o.font.weight &&
           font.italic == o.font.italic && std::strcmp(font.face_name, o.font.face_name) == 0;
}

Rect box_of(const Point* points, size_t count) {
    if (count == 0) return Rect{};
    int64_t x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
    for (size_t i = 1; i < count; ++i) {
        x0 = std::min<int64_t>(x0, points[i].x);
        x1 = std::max<int64_t>(x1, points[i].x);
        y0 = std::min<int64_t>(y0, points[i].y);
        y1 = std::max<int64_t>(y1, points[i].y);
    }
    return Rect{int32_t(x0), int32_t(y0), clamp32(double(x1 - x0)), clamp32(double(y1 - y0))};
}

Rect prim_extent(const Prim& prim) {
    if (prim.points.empty()) return Rect{};
    if (prim.kind == Prim::CIRCLE && prim.points.size() >= 2) {
        const Point c = prim.points[0], on = prim.points[1];
        const double r = std::hypot(double(on.x) - c.x, double(on.y) - c.y);
        return Rect{clamp32(c.x - r), clamp32(c.y - r), clamp32(2 * r), clamp32(2 * r)};
    }
    if (prim.kind != Prim::TEXT || prim.points.size() < 2) {
        return box_of(prim.points.data(), prim.points.size());
    }
    // The block stands on its anchor along the baseline direction, its
    // lines stacked up the normal (as paint_text lays it out).
    const Point extent = measure_text_world(prim.font, prim.text.c_str());
    const Point anchor = prim.points[0], dir = prim.points[1];
    const double ux = dir.x / 1000.0, uy = dir.y / 1000.0, nx = uy, ny = -ux;
    const Point corners[4] = {
        anchor,
        {clamp32(anchor.x + ux * extent.x), clamp32(anchor.y + uy * extent.x)},
        {clamp32(anchor.x + nx * extent.y), clamp32(anchor.y + ny * extent.y)},
        {clamp32(anchor.x + ux * extent.x + nx * extent.y),
         clamp32(anchor.y + uy * extent.x + ny * extent.y)},
    };
    return box_of(corners, 4);
}

Point apply_matrix(const Matrix* matrix, Point p) {
    if (!matrix) return p;
    Point out;
    matrix_apply(matrix, p, &out);
    return out;
}

std::vector<Point> arc_points(Point c, Point s, Point e, bool clockwise, double pixels_per_unit) {
    const double r = std::hypot(double(s.x) - c.x, double(s.y) - c.y);
    double a0 = std::atan2(double(s.y) - c.y, double(s.x) - c.x);
    double a1 = std::atan2(double(e.y) - c.y, double(e.x) - c.x);
    // With y growing downwards an increasing angle turns clockwise on the screen.
    double sweep = clockwise ? a1 - a0 : a0 - a1;
    while (sweep <= 0) sweep += 2 * PI;
    const double pixels = r * pixels_per_unit * sweep;
    const int n = std::clamp(static_cast<int>(pixels / 3), 8, 360);
    std::vector<Point> points;
    points.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
        const double a = a0 + (clockwise ? 1 : -1) * sweep * i / n;
        points.push_back({clamp32(c.x + r * std::cos(a)), clamp32(c.y + r * std::sin(a))});
    }
    points.front() = s;
    return points;
}

DrawAdapter::DrawAdapter(wxDC* dc, double sx, double sy, double origin_x, double origin_y,
                         uint32_t background)
    : dc_(dc),
      printer_device_(dc && dc->IsKindOf(wxCLASSINFO(wxPrinterDC))),
      sx_(sx),
      sy_(sy),
      ox_(origin_x),
      oy_(origin_y),
      background_(background) {}

DrawAdapter::DrawAdapter(std::vector<Prim>* record) : record_(record) {}

DrawAdapter::~DrawAdapter() { flush_strokes(); }

void DrawAdapter::gather_strokes() {
    if (dc_ && !batch_) batch_ = std::make_unique<StrokeBatch>();
}

void DrawAdapter::flush_strokes() {
    if (!batch_ || batch_->size() == 0) return;
    if (wxGraphicsContext* gc = dc_->GetGraphicsContext()) batch_->draw(gc->GetNativeContext());
}

DrawAdapter::DrawAdapter(Rect* bounds, bool* any) : bounds_(bounds), any_(any) {}

void DrawAdapter::cover_points(const Point* points, size_t count, int64_t pad) {
    if (count == 0) return;
    Rect box = box_of(points, count);
    pad = std::max<int64_t>(pad, 0);
    const int64_t x0 = box.x - pad, y0 = box.y - pad;
    const int64_t x1 = int64_t{box.x} + box.w + pad, y1 = int64_t{box.y} + box.h + pad;
    const Rect r{clamp32(double(x0)), clamp32(double(y0)), clamp32(double(x1 - x0)),
                 clamp32(double(y1 - y0))};
    if (*any_) {
        rect_union(bounds_, r);
    } else {
        *bounds_ = r;
        *any_ = true;
    }
}

void DrawAdapter::cover(const Rect& box) {
    if (!bounds_) return;
    const Point corners[2] = {{box.x, box.y},
                              {clamp32(double(box.x) + box.w), clamp32(double(box.y) + box.h)}};
    cover_points(corners, 2, (width_ + 1) / 2);
}

wxPoint DrawAdapter::device(Point w) const {
    return wxPoint(clamp32(w.x * sx_ - ox_), clamp32(w.y * sy_ - oy_));
}

uint32_t DrawAdapter::mode_colour(uint32_t rgb) const {
    const int mode = ghost ? (rgb == GHOST_COLOUR ? DRAW_XOR : DRAW_COPY) : mode_;
    if (monochrome) rgb = 0;
    switch (mode) {
        case DRAW_XOR: return (rgb ^ background_) & 0xFFFFFF;
        case DRAW_MERGE: return (rgb | background_) & 0xFFFFFF;
        default: return rgb & 0xFFFFFF;
    }
}

const wxPen& DrawAdapter::pen_for(uint32_t rgb, int32_t width, bool dashed) {
    const int w = std::max(1, static_cast<int>(std::lround(width * sx_)));
    const uint64_t key =
        uint64_t(rgb) | uint64_t(std::min(w, 0xFFFF)) << 24 | uint64_t(dashed) << 40;
    auto it = pens_.find(key);
    if (it != pens_.end()) return it->second;
    wxPen pen(colour_of_rgb(rgb), w, dashed ? wxPENSTYLE_SHORT_DASH : wxPENSTYLE_SOLID);
    pen.SetCap(wxCAP_ROUND);
    return pens_.emplace(key, pen).first->second;
}

const wxBrush& DrawAdapter::brush_for(uint32_t rgb) {
    auto it = brushes_.find(rgb);
    if (it != brushes_.end()) return it->second;
    return brushes_.emplace(rgb, wxBrush(colour_of_rgb(rgb))).first->second;
}

const wxFont& DrawAdapter::font_for(const Font& font, double points) {
    const std::string key = font_key(font, points);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    return fonts_.emplace(key, font_at_points(font, points)).first->second;
}

void DrawAdapter::set_pen(uint32_t rgb, int32_t width, bool dashed) {
    rgb_ = rgb;
    width_ = width;
    dashed_ = dashed;
}

void DrawAdapter::emit(Prim&& prim) {
    prim.rgb = rgb_;
    prim.width = width_;
    prim.dashed = dashed_;
    if (record_)
        record_->push_back(std::move(prim));
    else if (dc_)
        paint(prim);
}

wxGraphicsContext* DrawAdapter::native_context() const {
    if (printer_device_ || !cairo_calls().found()) return nullptr;
    wxGraphicsContext* gc = dc_->GetGraphicsContext();
    if (!gc || gc->GetRenderer() != wxGraphicsRenderer::GetCairoRenderer() ||
        dc_->GetLogicalFunction() != wxCOPY)
        return nullptr;
    return gc;
}

// A repaint strokes thousands of short strips (each letter of a name is a
// few), and the toolkit makes a path object for each (a cairo context and
// a surface of its own, the path copied over) and frees it again: a sixth
// of the stroking. Here the strip goes straight onto the context's cairo
// drawing with the same points, pen and half-pixel offset the toolkit
// gives it, for the same pixels. The pen is set the toolkit's way, by
// stroking an empty path with it, and stays set until something else is
// drawn (`native_pen_`).
bool DrawAdapter::stroke_native(const wxPen& pen, const Point* points, size_t count) {
    const CairoCalls& cairo = cairo_calls();
    wxGraphicsContext* gc = count < 2 ? nullptr : native_context();
    if (!gc) return false;
    if (native_pen_ != &pen) {
        gc->StrokePath(gc->CreatePath());
        native_pen_ = &pen;
    }
    // Stroked now: after what waits in the batch.
    flush_strokes();
    void* context = gc->GetNativeContext();
    const bool offset = gc->ShouldOffset();
    if (offset) cairo.translate(context, 0.5, 0.5);
    const wxPoint first = device(points[0]);
    cairo.move_to(context, first.x, first.y);
    for (size_t i = 1; i < count; ++i) {
        const wxPoint d = device(points[i]);
        cairo.line_to(context, d.x, d.y);
    }
    cairo.stroke(context);
    if (offset) cairo.translate(context, -0.5, -0.5);
    return true;
}

bool DrawAdapter::gather_strip(const wxPen& pen, const Point* points, size_t count) {
    if (!batch_ || count < 2) return false;
    auto known = batch_pens_.find(&pen);
    if (known == batch_pens_.end()) {
        // The pen as the toolkit sets it on the context, read back once.
        int number = -1;
        if (wxGraphicsContext* gc = native_context()) {
            use_pen(pen);
            gc->StrokePath(gc->CreatePath());
            native_pen_ = &pen;
            number = batch_->take_pen(gc->GetNativeContext(), gc->ShouldOffset());
        }
        known = batch_pens_.emplace(&pen, number).first;
    }
    if (known->second < 0) return false;
    batch_->stroke(known->second, batch_device_points(points, count), count);
    return true;
}

const int32_t* DrawAdapter::batch_device_points(const Point* points, size_t count) {
    batch_points_.clear();
    for (size_t i = 0; i < count; ++i) {
        const wxPoint d = device(points[i]);
        batch_points_.push_back(d.x);
        batch_points_.push_back(d.y);
    }
    return batch_points_.data();
}

bool DrawAdapter::gather_dots(const Prim& prim) {
    wxGraphicsContext* gc = batch_ ? native_context() : nullptr;
    if (!gc || prim.points.empty()) return false;
    // The pen and brush the toolkit's fill of the squares would have (see
    // paint), read back from an empty fill.
    const uint32_t rgb = mode_colour(prim.rgb);
    use_pen(pen_for(rgb, 0, false));
    use_brush(brush_for(rgb));
    gc->FillPath(gc->CreatePath());
    native_pen_ = nullptr;
    const int number = batch_->take_pen(gc->GetNativeContext(), gc->ShouldOffset());
    if (number < 0) return false;
    batch_->dots(number, batch_device_points(prim.points.data(), prim.points.size()),
                 prim.points.size());
    return true;
}

void DrawAdapter::paint_strip(const Point* points, size_t count) {
    const wxPen& pen = pen_for(mode_colour(rgb_), width_, dashed_);
    if (gather_strip(pen, points, count)) return;
    use_pen(pen);
    if (stroke_native(pen, points, count)) return;
    flush_strokes();
    device_points_.clear();
    for (size_t i = 0; i < count; ++i) device_points_.push_back(device(points[i]));
    dc_->DrawLines(static_cast<int>(count), device_points_.data());
}

void DrawAdapter::line(Point a, Point b) {
    const Point ends[2] = {a, b};
    if (bounds_) {
        cover_points(ends, 2, (width_ + 1) / 2);
        return;
    }
    if (dc_ && !record_) {
        paint_strip(ends, 2);
        return;
    }
    Prim p;
    p.points = {a, b};
    emit(std::move(p));
}

void DrawAdapter::strip(const std::vector<Point>& points) {
    if (points.size() < 2) return;
    if (bounds_) {
        cover_points(points.data(), points.size(), (width_ + 1) / 2);
        return;
    }
    if (dc_ && !record_) {
        paint_strip(points.data(), points.size());
        return;
    }
    Prim p;
    p.points = points;
    emit(std::move(p));
}

void DrawAdapter::dots(const std::vector<Point>& points) {
    if (points.empty()) return;
    if (bounds_) {
        cover_points(points.data(), points.size(), 0);
        return;
    }
    Prim p;
    p.kind = Prim::DOTS;
    p.points = points;
    emit(std::move(p));
}

void DrawAdapter::polygon(const std::vector<Point>& points, bool filled) {
    if (points.size() < 2) return;
    if (bounds_) {
        cover_points(points.data(), points.size(), (width_ + 1) / 2);
        return;
    }
    Prim p;
    p.kind = Prim::POLYGON;
    p.filled = filled;
    p.points = points;
    emit(std::move(p));
}

namespace {

// The square around a circle through `on`.
void circle_square(Point c, Point on, Point out[2]) {
    const double r = std::ceil(std::hypot(double(on.x) - c.x, double(on.y) - c.y));
    out[0] = {clamp32(c.x - r), clamp32(c.y - r)};
    out[1] = {clamp32(c.x + r), clamp32(c.y + r)};
}

}  // namespace

void DrawAdapter::circle(Point centre, Point on, bool filled) {
    if (bounds_) {
        Point square[2];
        circle_square(centre, on, square);
        cover_points(square, 2, (width_ + 1) / 2);
        return;
    }
    Prim p;
    p.kind = Prim::CIRCLE;
    p.filled = filled;
    p.points = {centre, on};
    emit(std::move(p));
}

void DrawAdapter::arc(Point centre, Point start, Point end, bool clockwise) {
    if (bounds_) {
        Point square[2];
        circle_square(centre, start, square);
        cover_points(square, 2, (width_ + 1) / 2);
        return;
    }
    Prim p;
    p.kind = Prim::ARC;
    p.clockwise = clockwise;
    p.points = {centre, start, end};
    emit(std::move(p));
}

void DrawAdapter::font_text(const std::string& text, const Font& font, Point anchor,
                            Point direction) {
    if (text.empty()) return;
    if (bounds_) {
        // The block: along the baseline by its width, up by its height
        // (lines stack upwards from the anchor); a quarter of a line round
        // it for what a face draws past its box.
        const Point extent = measure_text_world(font, text.c_str());
        const double ux = direction.x / 1000.0, uy = direction.y / 1000.0;
        const double nx = uy, ny = -ux;
        const Point corners[4] = {
            anchor,
            {clamp32(anchor.x + ux * extent.x), clamp32(anchor.y + uy * extent.x)},
            {clamp32(anchor.x + ux * extent.x + nx * extent.y),
             clamp32(anchor.y + uy * extent.x + ny * extent.y)},
            {clamp32(anchor.x + nx * extent.y), clamp32(anchor.y + ny * extent.y)}};
        cover_points(corners, 4, extent.y / 4 + (width_ + 1) / 2);
        return;
    }
    Prim p;
    p.kind = Prim::TEXT;
    p.text = text;
    p.font = font;
    p.font.realized = 0;
    p.points = {anchor, direction};
    emit(std::move(p));
}

void DrawAdapter::image(const Image* image, const Point corners[4]) {
    if (bounds_) {
        cover_points(corners, 4, (width_ + 1) / 2);
        return;
    }
    Prim p;
    p.kind = Prim::IMAGE;
    p.image = image;
    p.points.assign(corners, corners + 4);
    emit(std::move(p));
}

void DrawAdapter::fill_rect(Point a, Point b, uint32_t rgb) {
    if (bounds_) {
        const Point corners[2] = {a, b};
        cover_points(corners, 2, 0);
        return;
    }
    const uint32_t saved = rgb_;
    rgb_ = rgb;
    Prim p;
    p.kind = Prim::FILL_RECT;
    p.points = {a, b};
    emit(std::move(p));
    rgb_ = saved;
}

void DrawAdapter::measure(const Prim& prim) {
    set_pen(prim.rgb, prim.width, prim.dashed);
    const std::vector<Point>& p = prim.points;
    switch (prim.kind) {
        case Prim::STRIP: strip(p); break;
        case Prim::POLYGON: polygon(p, prim.filled); break;
        case Prim::DOTS: dots(p); break;
        case Prim::CIRCLE:
            if (p.size() == 2) circle(p[0], p[1], prim.filled);
            break;
        case Prim::ARC:
            if (p.size() == 3) arc(p[0], p[1], p[2], prim.clockwise != 0);
            break;
        case Prim::TEXT:
            if (p.size() == 2) font_text(prim.text, prim.font, p[0], p[1]);
            break;
        case Prim::IMAGE:
            if (p.size() == 4) image(prim.image, p.data());
            break;
        case Prim::FILL_RECT:
            if (p.size() == 2) fill_rect(p[0], p[1], prim.rgb);
            break;
    }
}

void DrawAdapter::replay(const std::vector<Prim>& prims) {
    for (const Prim& prim : prims) replay(prim);
}

void DrawAdapter::replay(const Prim& prim) {
    if (bounds_)
        measure(prim);
    else if (record_)
        record_->push_back(prim);
    else if (dc_)
        paint(prim);
}

void DrawAdapter::use_pen(const wxPen& pen) {
    // wxGTK's printer device (3.2 series) remembers the colour it last gave
    // cairo for pens and texts and does not give it again when a brush has
    // changed it since: lines and texts came out in the last brush's
    // colour, white on white. There every pen is set, after one of another
    // colour, which makes it give the one asked for. The toolkit mends it in
    // its later versions.
    if (printer_device_) {
        const wxColour c = pen.GetColour();
        dc_->SetPen(wxPen(wxColour(c.Red() ^ 0xFF, c.Green(), c.Blue()), 1));
        dc_->SetPen(pen);
        last_pen_ = &pen;
        return;
    }
    // Setting a pen makes the context's own pen anew each time: only a
    // different one is set.
    if (&pen == last_pen_) return;
    dc_->SetPen(pen);
    last_pen_ = &pen;
}

void DrawAdapter::use_brush(const wxBrush& brush) {
    if (&brush == last_brush_) return;
    dc_->SetBrush(brush);
    last_brush_ = &brush;
}

void DrawAdapter::paint(const Prim& prim) {
    if (prim.kind == Prim::DOTS && gather_dots(prim)) return;
    flush_strokes();
    native_pen_ = nullptr;  // what the toolkit draws sets the context anew
    const uint32_t rgb = mode_colour(prim.rgb);
    switch (prim.kind) {
        case Prim::STRIP: {
            use_pen(pen_for(rgb, prim.width, prim.dashed));
            device_points_.clear();
            for (Point p : prim.points) device_points_.push_back(device(p));
            dc_->DrawLines(static_cast<int>(device_points_.size()), device_points_.data());
            break;
        }
        case Prim::POLYGON: {
            use_pen(pen_for(rgb, prim.width, prim.dashed));
            use_brush(prim.filled ? brush_for(rgb) : *wxTRANSPARENT_BRUSH);
            std::vector<wxPoint> pts;
            for (Point p : prim.points) pts.push_back(device(p));
            dc_->DrawPolygon(static_cast<int>(pts.size()), pts.data());
            break;
        }
        case Prim::CIRCLE: {
            use_pen(pen_for(rgb, prim.width, prim.dashed));
            use_brush(prim.filled ? brush_for(rgb) : *wxTRANSPARENT_BRUSH);
            const Point c = prim.points[0], on = prim.points[1];
            const double r = std::hypot(double(on.x) - c.x, double(on.y) - c.y);
            const wxPoint d = device(c);
            // The printer's context draws an ellipse a pixel narrower than
            // asked and scales a unit circle to it: one of a single pixel
            // is scaled to nothing, which leaves cairo in an error state
            // where it drops everything drawn after. Two pixels at least
            // there (what a single pixel shows anyway).
            const int least = printer_device_ ? 2 : 1;
            dc_->DrawEllipse(clamp32(d.x - r * sx_), clamp32(d.y - r * sy_),
                             std::max(least, clamp32(2 * r * sx_)),
                             std::max(least, clamp32(2 * r * sy_)));
            break;
        }
        case Prim::ARC: {
            use_pen(pen_for(rgb, prim.width, prim.dashed));
            std::vector<wxPoint> pts;
            for (Point p : arc_points(prim.points[0], prim.points[1], prim.points[2],
                                      prim.clockwise != 0, std::max(sx_, sy_)))
                pts.push_back(device(p));
            dc_->DrawLines(static_cast<int>(pts.size()), pts.data());
            break;
        }
        case Prim::DOTS:
            use_pen(pen_for(rgb, 0, false));
            if (wxGraphicsContext* gc = dc_->GetGraphicsContext()) {
                // One fill of one-pixel squares where each point would be a fill
                // of its own: the same pixels (the context is offset by half a
                // pixel for a one-pixel pen, as a point is drawn).
                wxGraphicsPath path = gc->CreatePath();
                for (Point p : prim.points) {
                    const wxPoint d = device(p);
                    path.AddRectangle(d.x - 0.5, d.y - 0.5, 1, 1);
                }
                use_brush(brush_for(rgb));
                gc->FillPath(path);
                break;
            }
            for (Point p : prim.points) dc_->DrawPoint(device(p));
            break;
        case Prim::TEXT: paint_text(prim); break;
        case Prim::IMAGE: paint_image(prim); break;
        case Prim::FILL_RECT: {
            use_pen(*wxTRANSPARENT_PEN);
            use_brush(brush_for(prim.rgb & 0xFFFFFF));
            const wxPoint a = device(prim.points[0]), b = device(prim.points[1]);
            dc_->DrawRectangle(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x) + 1,
                               std::abs(b.y - a.y) + 1);
            break;
        }
    }
}

double DrawAdapter::line_pixels_per_point(const Font& font) {
    // How tall a line of this face comes out per point on this very
    // context: screens, memory bitmaps and printers each count points
    // against their own resolution.
    const std::string key = font_key(font, CALIBRATION_POINTS);
    auto it = line_pixels_.find(key);
    if (it != line_pixels_.end()) return it->second;
    dc_->SetFont(font_for(font, CALIBRATION_POINTS));
    wxCoord w = 0, h = 0;
    dc_->GetTextExtent("Xg", &w, &h);
    const double per_point = h > 0 ? h / CALIBRATION_POINTS : 1.0;
    return line_pixels_.emplace(key, per_point).first->second;
}

void DrawAdapter::paint_text(const Prim& prim) {
    native_pen_ = nullptr;
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        const size_t end = prim.text.find('@', start);
        lines.push_back(prim.text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    // The size that makes a line as tall on this context as it measures in
    // world units.
    const Point extent = measure_text_world(prim.font, prim.text.c_str());
    const double line_height = double(extent.y) / lines.size();
    const double points = line_height * sy_ / line_pixels_per_point(prim.font);
    // Text smaller than this cannot be read: leave it out rather than draw
    // a smudge.
    if (points < 2.0) return;
    dc_->SetFont(font_for(prim.font, points));
    // The printer device colours texts as it last coloured a pen.
    if (printer_device_) use_pen(pen_for(mode_colour(prim.rgb), 0, false));
    dc_->SetTextForeground(colour_of_rgb(mode_colour(prim.rgb)));
    dc_->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const Point anchor = prim.points[0], dir = prim.points[1];
    const double ux = dir.x / 1000.0, uy = dir.y / 1000.0;  // baseline, world
    // Lines stack upwards from the anchor: the normal pointing up the block.
    const double nx = uy, ny = -ux;
    const double degrees = -std::atan2(uy * sy_, ux * sx_) * 180.0 / PI;
    for (size_t i = 0; i < lines.size(); ++i) {
        // Top-left corner of line i: up the block by the lines above the anchor.
        const double up = extent.y - line_height * i;
        const Point top{clamp32(anchor.x + nx * up), clamp32(anchor.y + ny * up)};
        const wxPoint d = device(top);
        dc_->DrawRotatedText(wxString::FromUTF8(lines[i]), d.x, d.y, degrees);
    }
}

void DrawAdapter::paint_image(const Prim& prim) {
    native_pen_ = nullptr;
    wxPoint c[4];
    for (int i = 0; i < 4; ++i) c[i] = device(prim.points[i]);
    const Rect box = box_of(prim.points.data(), 4);
    const wxPoint low = device({box.x, box.y});
    const wxPoint high = device({clamp32(double(box.x) + box.w), clamp32(double(box.y) + box.h)});
    const int minx = low.x, miny = low.y, maxx = high.x, maxy = high.y;
    wxImage picture;
    const bool big = maxx - minx > MAX_IMAGE_PIXELS || maxy - miny > MAX_IMAGE_PIXELS;
    if (!big && prim.image && prim.image->bitmap && dib_to_image(prim.image->bitmap, &picture)) {
        // Corners in order: (0,0), (w,0), (w,h), (0,h) of the picture placed.
        // Map each device pixel of the bounding box back to the picture.
        const double ax = c[1].x - c[0].x, ay = c[1].y - c[0].y;  // picture x axis
        const double bx = c[3].x - c[0].x, by = c[3].y - c[0].y;  // picture y axis
        const double det = ax * by - ay * bx;
        const int w = maxx - minx + 1, h = maxy - miny + 1;
        if (std::abs(det) >= 1.0) {
            wxImage out(w, h);
            out.InitAlpha();
            unsigned char* rgb = out.GetData();
            unsigned char* alpha = out.GetAlpha();
            std::memset(alpha, 0, size_t(w) * h);
            const unsigned char* source = picture.GetData();
            const int pw = picture.GetWidth(), ph = picture.GetHeight();
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const double dx = minx + x + 0.5 - c[0].x, dy = miny + y + 0.5 - c[0].y;
                    const double u = (dx * by - dy * bx) / det, v = (ax * dy - ay * dx) / det;
                    if (u < 0 || u >= 1 || v < 0 || v >= 1) continue;
                    const int sx = std::min(pw - 1, int(u * pw)),
                              sy = std::min(ph - 1, int(v * ph));
                    const size_t at = size_t(y) * w + x;
                    std::memcpy(rgb + 3 * at, source + 3 * (size_t(sy) * pw + sx), 3);
                    alpha[at] = 255;
                }
            }
            dc_->DrawBitmap(wxBitmap(out), minx, miny, true);
            return;
        }
    }
    // No picture (or one too big to hold): its outline.
    use_pen(pen_for(mode_colour(prim.rgb), prim.width, false));
    use_brush(*wxTRANSPARENT_BRUSH);
    dc_->DrawPolygon(4, c);
}
