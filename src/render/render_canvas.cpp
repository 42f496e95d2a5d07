#include "render/render_canvas.h"

#include <algorithm>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/draw_items.h"

namespace {
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
    Redraw();
}

void RenderCanvas::ZoomAll() {
    Rect drawing;
    if (schema_ && drawing_extent(schema_, &drawing)) {
        view_zoom_rect(&schema_->view, drawing, true);
        view_invalidate(&schema_->view);
    }
    Redraw();
}

void RenderCanvas::CenterOn(Point world) {
    if (View* v = GetView()) view_set_center(v, world);
    Redraw();
}

void RenderCanvas::Redraw() {
    backing_valid_ = false;
    Refresh(false);
}

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
    const wxPoint origin = CalcUnscrolledPosition(wxPoint(0, 0));
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

void RenderCanvas::RebuildBacking() {
    wxSize size = GetClientSize();
    size.x = std::max(size.x, 1);
    size.y = std::max(size.y, 1);
    if (!backing_.IsOk() || backing_.GetSize() != size) backing_.Create(size);
    wxMemoryDC dc(backing_);
    dc.SetBackground(wxBrush(colour_of_rgb(uint32_t(proper_get(COLOR_BACKG)))));
    dc.Clear();
    if (View* v = GetView()) {
        DrawAdapter adapter = MakeAdapter(dc);
        const Rect visible = v->visible;
        draw_schema(&adapter, schema_, &visible);
        // The selection is drawn again in its own colour, on screen only:
        // a user must see what Del, a move or a copy will take.
        if (schema_ && schema_->sheet)
            for (SchItem* item : list_items<SchItem>(schema_->sheet->items))
                if (item->state & STATE_SELECTED)
                    draw_item(&adapter, schema_, item, nullptr, SELECTION_COLOUR, STYLE_AS_ITEM);
        backing_zoom_ = v->zoom;
    }
    backing_start_ = CalcUnscrolledPosition(wxPoint(0, 0));
    backing_valid_ = true;
}

void RenderCanvas::FollowScrolling() {
    View* v = GetView();
    if (!v || v->dirty || v->step.x <= 0 || v->step.y <= 0) return;
    int x = 0, y = 0;
    GetViewStart(&x, &y);
    if (x == v->position.x && y == v->position.y) return;
    // The user moved the scroll bars: the view's centre follows, so that
    // the next zoom or recomputation keeps what is shown.
    const int width = v->area[2], height = v->area[3];
    const Point window{static_cast<int32_t>(int64_t{x} * v->step.x + width / 2),
                       static_cast<int32_t>(int64_t{y} * v->step.y + height / 2)};
    view_set_center(v, view_size_to_world(v, window));
}

bool RenderCanvas::BackingStale() const {
    const View* v = GetView();
    return !backing_valid_ || !backing_.IsOk() || backing_.GetSize() != GetClientSize() ||
           backing_start_ != CalcUnscrolledPosition(wxPoint(0, 0)) ||
           (v && backing_zoom_ != v->zoom);
}

void RenderCanvas::PaintInto(wxDC& dc) {
    FollowScrolling();
    if (View* v = GetView())
        if (view_update_transform(v)) SyncScrollbars();
    if (BackingStale()) RebuildBacking();
    dc.DrawBitmap(backing_, 0, 0);
    if (!ghosts_.empty()) {
        DrawAdapter adapter = MakeAdapter(dc);
        ghosts_.paint(adapter);
    }
}

void RenderCanvas::PaintOnBacking(const std::function<void(DrawAdapter&)>& paint) {
    FollowScrolling();
    if (View* v = GetView())
        if (view_update_transform(v)) SyncScrollbars();
    if (BackingStale()) RebuildBacking();
    {
        wxMemoryDC dc(backing_);
        DrawAdapter adapter = MakeAdapter(dc);
        paint(adapter);
    }
    Refresh(false);
}

bool RenderCanvas::ToggleGhost(std::vector<Prim>&& ghost) {
    const bool shown = ghosts_.toggle(std::move(ghost));
    Refresh(false);
    return shown;
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
    wxPaintDC dc(this);
    PaintInto(dc);
}

void RenderCanvas::OnSize(wxSizeEvent& event) {
    if (View* v = GetView()) view_invalidate(v);
    backing_valid_ = false;
    Refresh(false);
    event.Skip();
}
