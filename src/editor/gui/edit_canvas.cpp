#include "editor/gui/edit_canvas.h"

#include <cmath>
#include <cstdio>

#include "editor/gui/application.h"
#include "foundation/heap.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/view.h"

bool zoom_fit_pending = false;

EditCanvas::EditCanvas(wxWindow* parent, int kind_)
    : RenderCanvas(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                   wxHSCROLL | wxVSCROLL | wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      kind(kind_) {
    char line[64];
    std::snprintf(line, sizeof line, "Creating EditCanvas %p\n", static_cast<void*>(this));
    services().debug_write(line);
    // Bound after the base's handler, so it runs first.
    Bind(wxEVT_PAINT, &EditCanvas::OnFitPaint, this);
    Bind(wxEVT_MOTION, &EditCanvas::OnMotion, this);
    // A pointer that arrives in one leap (a quick flick, a remote desktop)
    // may bring its entry alone and no motion after it: the entry's point
    // is where it stands.
    Bind(wxEVT_ENTER_WINDOW, &EditCanvas::OnMotion, this);
    application().attach_editor(this);
}

EditCanvas::~EditCanvas() {
    // Its dialogs go first: they act on the document.
    dialogs.destroy_all();
    application().canvas_closing(this);
    application().detach_editor(this);
    SetDocument(nullptr);
    close_schema(nullptr, &mySchema);
    // A closed sheet's memory goes back to the system, not only to the
    // pool: a large sheet would otherwise stay in the process as if open.
    heap_give_back();
}

void EditCanvas::TakeDocument(Schema* schema) {
    if (schema == mySchema) return;
    session_close(&editing);  // the modes may hold records of the document
    SetDocument(nullptr);
    close_schema(nullptr, &mySchema);
    mySchema = schema;
    SetDocument(mySchema);
    application().document_changed(this);
}

void EditCanvas::ZoomBy(double factor) {
    // Exactly the factor from wherever the zoom stands (a fit gives any
    // zoom, not a power of two).
    if (mySchema) SetZoom(view_get_scale(&mySchema->view) * factor, true);
}

void EditCanvas::ZoomFit() { ZoomAll(); }

void EditCanvas::ZoomOne() { SetZoom(1.0); }

bool EditCanvas::OkToClose() { return application().confirm_close(this); }

void EditCanvas::OnFitPaint(wxPaintEvent& event) {
    if ((fit_pending_ || zoom_fit_pending) && mySchema) {
        fit_pending_ = zoom_fit_pending = false;
        ZoomAll();
    }
    event.Skip();
}

void EditCanvas::OnMotion(wxMouseEvent& event) {
    // The position field follows the pointer wherever it goes, snapped and
    // constrained as a click there would be.
    Point world;
    if (!WorldPoint(event.GetPosition(), &world)) return;
    cursor = world;
    if (application().current_canvas() == this) application().show_cursor_position(world);
}

EditSession* editor_session(EditCanvas* canvas) { return canvas ? &canvas->editing : nullptr; }
