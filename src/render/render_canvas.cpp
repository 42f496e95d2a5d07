#include "render/render_canvas.h"

#include <algorithm>
#include <cmath>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/draw_items.h"

namespace {

// Device pixels that pens (a pixel at least, round caps), antialiasing and
// faces draw past the points they are given.
constexpr int PEN_MARGIN = 3;

// Every canvas alive, in the order they were made.
std::vector<RenderCanvas*>& live_canvases() {
    static std::vector<RenderCanvas*> canvases;
    return canvases;
}
}  // namespace

RenderCanvas* any_canvas() { return live_canvases().empty() ? nullptr : live_canvases().back(); }

RenderCanvas* canvas_of_view(const View* view) {
    return view ? static_cast<RenderCanvas*>(view_get_window(view)) : nullptr;
}

RenderCanvas::RenderCanvas(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                           long style)
    : wxScrolledCanvas(parent, id, pos, size, style) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // The view decides what is shown at every scroll position; the window
    // is repainted whole rather than shifted.
    EnableScrolling(false, false);
    // Scroll bars that come and go would change the client size, and with it
    // the view's steps, at every zoom.
    SetScrollbars(10, 10, 1000, 1000);
    ShowScrollbars(wxSHOW_SB_ALWAYS, wxSHOW_SB_ALWAYS);
    Bind(wxEVT_PAINT, &RenderCanvas::OnPaint, this);
    Bind(wxEVT_SIZE, &RenderCanvas::OnSize, this);
    live_canvases().push_back(this);
}

RenderCanvas::~RenderCanvas() {
    SetDocument(nullptr);
    auto& live = live_canvases();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

View* RenderCanvas::GetView() const { return schema_ ? &schema_->view : nullptr; }

void RenderCanvas::SetDocument(Schema* schema) {
    if (schema_ && canvas_of_view(&schema_->view) == this) view_set_window(&schema_->view, nullptr);
    schema_ = schema;
    ghosts_.clear();
    if (schema_) {
        // The seam's canvas word is always the RenderCanvas itself, whatever
        // class derives from it.
        view_set_window(&schema_->view, static_cast<void*>(this));
        // The display's factors are process-wide; the first canvas shown
        // computes them when no view did.
        if (view_device().x_factor <= 0) view_reset_device(&schema_->view);
        view_invalidate(&schema_->view);
    }
    Redraw();
}

void RenderCanvas::SetZoom(double zoom, bool free) {
    if (View* v = GetView()) view_set_scale(v, zoom, free);
    RedrawView();
}

void RenderCanvas::ZoomAll() {
    Rect drawing;
    if (schema_ && drawing_extent(schema_, &drawing))
        ZoomRect(drawing);
    else
        RedrawView();
}

void RenderCanvas::ZoomRect(const Rect& world) {
    if (schema_) {
        view_zoom_rect(&schema_->view, world, true);
        view_invalidate(&schema_->view);
    }
    RedrawView();
}

void RenderCanvas::CenterOn(Point world) {
    if (View* v = GetView()) view_set_center(v, world);
    RedrawView();
}

bool RenderCanvas::ApplyView() {
    if (!SettleView()) return false;
    RedrawView();
    return true;
}

bool RenderCanvas::SettleView() {
    View* v = GetView();
    if (!v) return false;
    FollowScrolling();
    bool changed = false;
    // The scroll bars may not take the position the view asks for (it lies
    // past the end of their range): the view then follows where they stand
    // at once, so that the paint about to be made is the one that stays,
    // not one the next paint redraws a step aside. Twice is enough: the
    // second position is one the bars hold.
    for (int round = 0; round < 3 && view_update_transform(v); ++round) {
        changed = true;
        SyncScrollbars();
        FollowScrolling();
    }
    return changed;
}

void RenderCanvas::Redraw() {
    drop_sheet_index(schema_);
    RedrawView();
}

void RenderCanvas::RedrawView() {
    backing_valid_ = false;
    pending_.clear();
    Refresh(false);
}

void RenderCanvas::RedrawDamage() {
    std::vector<Rect> damage;
    if (!schema_ || sheet_index_take_damage(schema_, &damage) || BackingStale()) {
        RedrawView();
        return;
    }
    const wxRect client(GetClientSize());
    for (const Rect& world : damage) {
        wxRect area = DeviceRect(world).Intersect(client);
        if (area.IsEmpty()) continue;
        pending_.push_back(area);
        RefreshRect(area, false);
    }
}

wxRect RenderCanvas::DeviceRect(const Rect& world) const {
    const View* v = GetView();
    if (!v) return wxRect();
    const wxPoint origin = ScrollOrigin();
    const double sx = v->point.m[0][0], sy = v->point.m[1][1];
    auto device = [](double value) {
        return static_cast<int>(std::clamp(std::floor(value), -1e9, 1e9));
    };
    const int x0 = device(world.x * sx - origin.x), y0 = device(world.y * sy - origin.y);
    const int x1 = device((double(world.x) + world.w) * sx - origin.x);
    const int y1 = device((double(world.y) + world.h) * sy - origin.y);
    wxRect r(wxPoint(std::min(x0, x1), std::min(y0, y1)),
             wxPoint(std::max(x0, x1), std::max(y0, y1)));
    return r.Inflate(PEN_MARGIN + 1);
}

Rect RenderCanvas::WorldRect(const wxRect& device) const {
    const View* v = GetView();
    if (!v) return Rect{};
    const wxPoint origin = ScrollOrigin();
    const double sx = v->point.m[0][0], sy = v->point.m[1][1];
    if (sx <= 0 || sy <= 0) return Rect{};
    auto world = [](double value) {
        return static_cast<int32_t>(std::clamp(value, double(INT32_MIN), double(INT32_MAX)));
    };
    const int32_t x0 = world(std::floor((device.x + origin.x) / sx));
    const int32_t y0 = world(std::floor((device.y + origin.y) / sy));
    const int32_t x1 = world(std::ceil((device.GetRight() + 1.0 + origin.x) / sx));
    const int32_t y1 = world(std::ceil((device.GetBottom() + 1.0 + origin.y) / sy));
    return Rect{x0, y0, world(double(x1) - x0), world(double(y1) - y0)};
}

wxPoint RenderCanvas::ScrollOrigin() const {
    wxPoint origin = CalcUnscrolledPosition(wxPoint(0, 0));
    const View* v = GetView();
    if (!v) return origin;
    int x = 0, y = 0;
    GetViewStart(&x, &y);
    // While the scroll bars stand where the view put them, the view shows
    // its centre in the middle, a part of a step beyond them.
    if (x == v->position.x) origin.x += v->fine.x;
    if (y == v->position.y) origin.y += v->fine.y;
    return origin;
}

wxPoint RenderCanvas::ToWindowUnits(wxPoint client) const { return client + ScrollOrigin(); }

wxPoint RenderCanvas::ToClient(wxPoint window_units) const { return window_units - ScrollOrigin(); }

void RenderCanvas::VisibleRect(int out[4]) const {
    int x = 0, y = 0, w = 0, h = 0;
    GetViewStart(&x, &y);
    GetClientSize(&w, &h);
    out[0] = x;
    out[1] = y;
    out[2] = w;
    out[3] = h;
}

DrawAdapter RenderCanvas::MakeAdapter(wxDC& dc) const {
    const wxPoint origin = ScrollOrigin();
    const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
    const View* v = GetView();
    if (!v) return DrawAdapter(&dc, 1.0, 1.0, origin.x, origin.y, background);
    return DrawAdapter(&dc, v->point.m[0][0], v->point.m[1][1], origin.x, origin.y, background);
}

void RenderCanvas::SyncScrollbars() {
    View* v = GetView();
    if (!v || syncing_) return;
    syncing_ = true;
    SetScrollbars(std::max(1, v->step.x), std::max(1, v->step.y), std::max(1, v->range.x),
                  std::max(1, v->range.y), v->position.x, v->position.y, true);
    syncing_ = false;
    // The visible rectangle follows the position the window really took.
    view_update_transform(v);
}

void RenderCanvas::DrawThrough(DrawAdapter& adapter, const Rect& area, const Rect& grid) {
    const View* v = GetView();
    const Rect visible = v->visible;
    SheetIndex* index = schema_->current == schema_->sheet ? sheet_index(schema_) : nullptr;
    if (!index) {
        draw_schema(&adapter, schema_, &visible);
        if (schema_->sheet)
            for (SchItem* item : list_items<SchItem>(schema_->sheet->items))
                if (item->state & STATE_SELECTED)
                    draw_item(&adapter, schema_, item, nullptr, SELECTION_COLOUR, STYLE_AS_ITEM);
        return;
    }
    sheet_index_query(index, area, &found_);
    draw_schema_area(&adapter, schema_, visible, grid, found_);
    // The selection is drawn again in its own colour, on screen only: a
    // user must see what Del, a move or a copy will take.
    for (SchItem* item : found_)
        if ((item->state & STATE_SELECTED) &&
            sheet_index_list_of(index, item) == schema_->sheet->items)
            draw_item(&adapter, schema_, item, nullptr, SELECTION_COLOUR, STYLE_AS_ITEM);
}

void RenderCanvas::RebuildBacking() {
    wxSize size = GetClientSize();
    size.x = std::max(size.x, 1);
    size.y = std::max(size.y, 1);
    if (!backing_.IsOk() || backing_.GetSize() != size) backing_.Create(size);
    wxMemoryDC dc(backing_);
    dc.SetBackground(wxBrush(colour_of_rgb(uint32_t(proper_get(COLOR_BACKG)))));
    dc.Clear();
    pending_.clear();
    if (View* v = GetView()) {
        DrawAdapter adapter = MakeAdapter(dc);
        // The whole bitmap, nothing clipped: the strips are stroked
        // together, band by band on several threads.
        adapter.gather_strokes();
        if (schema_) {
            DrawThrough(adapter, WorldRect(wxRect(size).Inflate(PEN_MARGIN + 1)), v->visible);
            // What was noted before is drawn now.
            std::vector<Rect> drawn;
            sheet_index_take_damage(schema_, &drawn);
        }
        backing_zoom_ = v->zoom;
    }
    backing_start_ = ScrollOrigin();
    backing_valid_ = true;
}

void RenderCanvas::RepaintAreas() {
    std::vector<wxRect> areas;
    areas.swap(pending_);
    if (!schema_ || !GetView()) return;
    wxMemoryDC dc(backing_);
    const wxBrush background(colour_of_rgb(uint32_t(proper_get(COLOR_BACKG))));
    for (const wxRect& area : areas) {
        dc.SetClippingRegion(area);
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(background);
        // A pixel more on each side: the context may be offset by half a
        // pixel, and every pixel of the area must be covered whole.
        dc.DrawRectangle(wxRect(area).Inflate(1));
        {
            DrawAdapter adapter = MakeAdapter(dc);
            DrawThrough(adapter, WorldRect(wxRect(area).Inflate(PEN_MARGIN + 1)),
                        WorldRect(wxRect(area).Inflate(1)));
        }
        dc.DestroyClippingRegion();
    }
}

void RenderCanvas::FollowScrolling() {
    View* v = GetView();
    if (!v || v->dirty || v->step.x <= 0 || v->step.y <= 0) return;
    int x = 0, y = 0;
    GetViewStart(&x, &y);
    if (x == v->position.x && y == v->position.y) return;
    // The user moved the scroll bars: the view's centre follows on the
    // axis they moved, so that the next zoom or recomputation keeps what is
    // shown.
    const int width = v->area[2], height = v->area[3];
    const Point window{static_cast<int32_t>(int64_t{x} * v->step.x + width / 2),
                       static_cast<int32_t>(int64_t{y} * v->step.y + height / 2)};
    const Point scrolled = view_size_to_world(v, window);
    view_set_center(v, Point{x != v->position.x ? scrolled.x : v->centre.x,
                             y != v->position.y ? scrolled.y : v->centre.y});
}

bool RenderCanvas::BackingStale() const {
    const View* v = GetView();
    return !backing_valid_ || !backing_.IsOk() || backing_.GetSize() != GetClientSize() ||
           backing_start_ != ScrollOrigin() || (v && backing_zoom_ != v->zoom);
}

void RenderCanvas::PaintInto(wxDC& dc, const wxRect* area) {
    SettleView();
    if (BackingStale())
        RebuildBacking();
    else if (!pending_.empty())
        RepaintAreas();
    dc.DrawBitmap(backing_, 0, 0);
    if (!ghosts_.empty()) {
        DrawAdapter adapter = MakeAdapter(dc);
        // What lies outside the part of the window painted is left out (the
        // pens' margin around it: world rectangles leave out the pixels).
        if (area && GetView()) {
            const Rect clip = WorldRect(wxRect(*area).Inflate(PEN_MARGIN));
            ghosts_.paint(adapter, &clip);
        } else {
            ghosts_.paint(adapter);
        }
    }
}

void RenderCanvas::PaintOnBacking(const std::function<void(DrawAdapter&)>& paint) {
    SettleView();
    if (BackingStale())
        RebuildBacking();
    else if (!pending_.empty())
        RepaintAreas();
    {
        wxMemoryDC dc(backing_);
        DrawAdapter adapter = MakeAdapter(dc);
        paint(adapter);
    }
    Refresh(false);
}

bool RenderCanvas::ToggleGhost(std::vector<Prim>&& ghost, uint64_t key) {
    Rect box{};
    bool any = false;
    const bool shown = ghosts_.toggle(std::move(ghost), &box, &any, key);
    if (any) RefreshWorld(box);
    return shown;
}

bool RenderCanvas::RemoveGhost(uint64_t key) {
    Rect box{};
    bool any = false;
    if (!ghosts_.remove(key, &box, &any)) return false;
    if (any) RefreshWorld(box);
    return true;
}

bool RenderCanvas::ToggleItemsGhost(List* items) {
    Rect box{};
    bool any = false;
    const bool shown = ghosts_.toggle_items(items, schema_, &box, &any);
    if (any) RefreshWorld(box);
    return shown;
}

void RenderCanvas::RefreshWorld(const Rect& world) {
    // Shown or taken away, a ghost covers its own rectangle only.
    wxRect area = DeviceRect(world).Intersect(wxRect(GetClientSize()));
    if (!area.IsEmpty()) RefreshRect(area, false);
}

void RenderCanvas::ClearGhosts() {
    ghosts_.clear();
    Refresh(false);
}

wxBitmap RenderCanvas::Snapshot() {
    wxSize size = GetClientSize();
    wxBitmap bitmap(std::max(size.x, 1), std::max(size.y, 1));
    wxMemoryDC dc(bitmap);
    PaintInto(dc);
    dc.SelectObject(wxNullBitmap);
    return bitmap;
}

void RenderCanvas::OnPaint(wxPaintEvent&) {
    {
        wxPaintDC dc(this);
        const wxRect area = GetUpdateRegion().GetBox();
        PaintInto(dc, area.IsEmpty() ? nullptr : &area);
    }
    ++paints_;
}

void RenderCanvas::OnSize(wxSizeEvent& event) {
    if (View* v = GetView()) view_invalidate(v);
    backing_valid_ = false;
    Refresh(false);
    event.Skip();
}
