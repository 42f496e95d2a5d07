#include "shell/edit_canvas.h"

#include <cmath>
#include <cstdio>

#include <wx/dcclient.h>

#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/view.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

EditCanvas::EditCanvas(wxWindow* parent, int kind_)
    : CanvasBase(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxHSCROLL | wxVSCROLL | wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      kind(kind_) {
    char line[64];
    std::snprintf(line, sizeof line, "Creating EditCanvas %p\n", static_cast<void*>(this));
    services().debug_write(line);
    SetBackgroundColour(*wxWHITE);
    Bind(wxEVT_PAINT, &EditCanvas::OnPaint, this);
    Bind(wxEVT_SIZE, &EditCanvas::OnSize, this);
    Bind(wxEVT_MOTION, &EditCanvas::OnMotion, this);
}

EditCanvas::~EditCanvas() {
    if (paint_zone == this) paint_zone = nullptr;
    close_schema(nullptr, &mySchema);
}

void EditCanvas::SetDocument(Schema* schema) {
    if (schema == mySchema) return;
    close_schema(nullptr, &mySchema);
    mySchema = schema;
    if (mySchema) view_set_window(&mySchema->view, this);
    Redraw();
}

void EditCanvas::Redraw() { Refresh(false); }

void EditCanvas::ZoomBy(double factor) {
    if (!mySchema) return;
    view_set_scale(&mySchema->view, view_get_scale(&mySchema->view) * factor, false);
    Redraw();
}

void EditCanvas::ZoomFit() {
    if (!mySchema) return;
    view_zoom_all(mySchema);
    Redraw();
}

void EditCanvas::ZoomOne() {
    if (!mySchema) return;
    view_set_scale(&mySchema->view, 1.0, false);
    Redraw();
}

bool EditCanvas::OkToClose() { return canvas_confirm_close(this); }

void EditCanvas::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (zoom_fit_pending && mySchema) {
        zoom_fit_pending = false;
        view_zoom_all(mySchema);
    }
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
}

void EditCanvas::OnSize(wxSizeEvent& event) {
    if (mySchema) view_invalidate(&mySchema->view);
    event.Skip();
}

void EditCanvas::OnMotion(wxMouseEvent& event) {
    if (!mySchema) return;
    Point world;
    wxPoint p = CalcUnscrolledPosition(event.GetPosition());
    if (view_to_world(&mySchema->view, Point{p.x, p.y}, &world, mySchema)) {
        cursor = world;
        if (paint_zone == this) canvas_set_cursor_pos(world);
    }
}
