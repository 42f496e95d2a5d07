#pragma once
// A pane docked at one side of a frame, beside what the frame shows in its
// middle: a caption with its title and a close button above its content,
// and a sash on the side that faces the middle, which the user drags to
// make the pane thicker or thinner. The frame lays its panes and its middle
// out with the toolkit's layout algorithm (wxLayoutAlgorithm) whenever its
// size changes, a pane is shown or hidden, or a sash was dragged
// (dock_pane_dragged).
//
// The pane's label is its title, so that a listing of the windows names it.
#include <functional>

// The toolkit's settings first: the sash headers are empty without them.
#include <wx/defs.h>
#include <wx/laywin.h>

class wxPanel;
class wxSashEvent;

// The least thickness a sash drag leaves a pane.
constexpr int DOCK_PANE_MIN = 60;

class DockPane : public wxSashLayoutWindow {
public:
    // side: wxLAYOUT_BOTTOM, wxLAYOUT_TOP, wxLAYOUT_LEFT or wxLAYOUT_RIGHT;
    // thickness: its height (top, bottom) or width (left, right) in pixels.
    // on_close: what the close button does (the owner hides the pane and
    // lays the frame out again).
    DockPane(wxWindow* parent, const wxString& title, wxLayoutAlignment side, int thickness,
             std::function<void()> on_close);

    // The parent of the pane's content, and the content itself, which fills
    // the pane below its caption.
    wxPanel* Body() const { return body_; }
    void SetContent(wxWindow* content);

    // Its height or width.
    int Thickness() const { return thickness_; }
    void SetThickness(int pixels);
    // Lays it out no thicker than `room` pixels (its own thickness kept for
    // a frame that has more room again), so that a small frame keeps room
    // for its middle.
    void LimitTo(int room);

private:
    bool Across() const;  // docked at the top or the bottom
    wxPanel* body_ = nullptr;
    wxWindow* content_ = nullptr;
    int thickness_ = DOCK_PANE_MIN;
    std::function<void()> on_close_;
};

// A sash of one of the frame's panes was dragged: the pane takes the
// thickness the drag asked for (at least DOCK_PANE_MIN). The pane, or null
// when the drag was out of range or not a pane's.
DockPane* dock_pane_dragged(wxSashEvent& event);
