#pragma once
// The canvas every document window draws on. It holds the document shown
// (not owned), binds the document's View to the window (scroll position,
// zoom, client size), keeps a backing bitmap of the drawn document and the
// ghost overlay, and paints in its paint handler only: the backing bitmap,
// rebuilt when the zoom, the scroll position or the size changed, or only
// where the document changed, with the ghosts over it.
//
// A sheet is drawn through the document's bounds index
// (model/documents/sheet_index.h): only the items whose rectangles meet
// what is drawn are visited. After an edit the canvas draws again the
// rectangles the index noted as changed (RedrawDamage); a ghost toggled
// refreshes its own rectangle.
//
// The shell's editing canvas derives from it and adds modes, events and
// menus.
#include <cstddef>
#include <functional>
#include <vector>

#include <wx/bitmap.h>
#include <wx/scrolwin.h>

#include "foundation/geometry.h"
#include "render/draw_adapter.h"
#include "render/ghost_overlay.h"

struct List;
struct Schema;
struct SchItem;
struct View;

class RenderCanvas : public wxScrolledCanvas {
public:
    RenderCanvas(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize,
                 long style = wxHSCROLL | wxVSCROLL | wxFULL_REPAINT_ON_RESIZE);
    ~RenderCanvas() override;

    // Shows the document (null: none) and binds its view to this window;
    // the former document's view is unbound. The document stays the
    // caller's.
    void SetDocument(Schema* schema);
    Schema* GetDocument() const { return schema_; }
    // The document's view, or null.
    View* GetView() const;

    // Zoom (clamped as the view does; a power of two unless free), the whole
    // drawing, the centre.
    void SetZoom(double zoom, bool free = false);
    void ZoomAll();
    // The view fitted round a world rectangle (a margin left round it).
    void ZoomRect(const Rect& world);
    void CenterOn(Point world);
    // Takes a new centre or zoom of the view now rather than at the next
    // paint: the scroll bars follow it and the window is drawn again, so
    // that window points converted from here on are where the next paint
    // shows them. True when the view changed.
    bool ApplyView();

    // The document changed in ways nobody noted: its bounds index is made
    // anew and the backing bitmap rebuilt at the next paint.
    void Redraw();
    // The same document seen another way (zoom, centre): the backing bitmap
    // is rebuilt at the next paint.
    void RedrawView();
    // Draws again, at the next paint, the rectangles the document's bounds
    // index noted as changed (edits, the selection); everything when it
    // holds no notes it can vouch for.
    void RedrawDamage();
    // Draws into the backing bitmap now (for tools that paint with
    // DRAW_COPY or DRAW_MERGE) and refreshes the window.
    void PaintOnBacking(const std::function<void(DrawAdapter&)>& paint);
    // Adds a ghost (under the key, 0 none), or removes the equal one shown
    // (see ghost_overlay.h), and refreshes the window. True when it is shown
    // afterwards.
    bool ToggleGhost(std::vector<Prim>&& ghost, uint64_t key = 0);
    // Removes the ghost shown under the key and refreshes its rectangle;
    // false when none is shown under it.
    bool RemoveGhost(uint64_t key);
    // Adds the ghost of a list of items the caller keeps unchanged while it
    // shows, or removes the one of the same list (see ghost_overlay.h), and
    // refreshes its rectangle. True when it is shown afterwards.
    bool ToggleItemsGhost(List* items);
    void ClearGhosts();
    size_t GhostCount() const { return ghosts_.size(); }

    // View start (x, y in scroll steps) and client width and height in
    // pixels, as the view reads them.
    void VisibleRect(int out[4]) const;
    // The view's window units (world points mapped by the view) of a
    // client pixel, and back: the scroll bars' steps and the view's part
    // of a step beyond them (View::fine) between the two.
    wxPoint ToWindowUnits(wxPoint client) const;
    wxPoint ToClient(wxPoint window_units) const;
    // What the window shows: the backing bitmap with the ghosts.
    wxBitmap Snapshot();
    // Paints the window's content into a context of the client's size; with
    // an area (client pixels), the ghosts only where they meet it.
    void PaintInto(wxDC& dc, const wxRect* area = nullptr);
    // An adapter mapping the document's world units to this window's
    // client pixels, drawing into dc.
    DrawAdapter MakeAdapter(wxDC& dc) const;
    // The paints the window has finished so far: a caller that changed the
    // document waits for the count to move to know its change is on screen.
    unsigned long PaintCount() const { return paints_; }

protected:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    // Brings the scroll bars to the view after the view recomputed.
    void SyncScrollbars();
    void RebuildBacking();
    // Draws again the areas of the backing bitmap waiting in pending_.
    void RepaintAreas();
    // The device rectangle of a world one, widened by what pens and faces
    // draw past their points.
    wxRect DeviceRect(const Rect& world) const;
    // Refreshes the part of the window a world rectangle covers.
    void RefreshWorld(const Rect& world);
    // The world rectangle of a device one.
    Rect WorldRect(const wxRect& device) const;
    // Draws the document's items that meet `area` (world) with the grid
    // marks of `grid` through the adapter, the selection over them.
    void DrawThrough(DrawAdapter& adapter, const Rect& area, const Rect& grid);
    // The backing bitmap no longer shows the document as the view now maps it.
    bool BackingStale() const;
    // Takes a scroll position the user chose into the view.
    void FollowScrolling();
    // Brings the view and the scroll bars to one position that both hold
    // (the view recomputed, the bars set); true when the view recomputed.
    bool SettleView();
    // The window unit shown at the client's top-left corner.
    wxPoint ScrollOrigin() const;

private:
    Schema* schema_ = nullptr;
    wxBitmap backing_;
    bool backing_valid_ = false;
    wxPoint backing_start_{-1, -1};
    double backing_zoom_ = 0;
    GhostOverlay ghosts_;
    std::vector<wxRect> pending_;  // areas of the backing to draw again (device pixels)
    std::vector<SchItem*> found_;  // the index's last answer (kept for its storage)
    bool syncing_ = false;
    unsigned long paints_ = 0;
};

// The canvas made last of those still open, or null when none is.
RenderCanvas* any_canvas();
// The canvas a view is bound to, or null.
RenderCanvas* canvas_of_view(const View* view);
