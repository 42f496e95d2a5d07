#pragma once
// The editing canvas of a child window: a sheet (CANVAS_SHEET), a library
// part (CANVAS_LIBRARY), a title-block template (CANVAS_TEMPLATE) or a part
// preview (CANVAS_PREVIEW). The canvas owns its
// document `mySchema`; the drawing base shows it. Its interactive modes
// (`myPile`) and their event handling are the sheet editor's (editor/),
// wired to the canvas by the shell (shell/canvas_editing.cpp), which the
// canvas reaches through the application (editor/gui/application.h).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <wx/timer.h>

#include "editor/tool_mode.h"
#include "foundation/geometry.h"
#include "libedit/libedit.h"
#include "render/render_canvas.h"
#include "toolkit/dialog_owner.h"

struct Port;
struct List;
struct Library;
struct PlacedPart;
struct Power;
struct Schema;
struct SchItem;
struct SubSheet;
struct Text;

// The drawing base shows the document and binds its view; the seam's
// canvas word is that base (RenderCanvas*).
class EditCanvas : public RenderCanvas {
public:
    EditCanvas(wxWindow* parent, int kind);
    ~EditCanvas() override;

    int kind;                    // CANVAS_SHEET .. CANVAS_PREVIEW
    Schema* mySchema = nullptr;  // owned
    // The sheet editor's session on this canvas: the mode stack (`myPile`),
    // the undo copy and the repeat range; its host turns the modes'
    // requests into window calls.
    EditSession editing;
    std::vector<std::unique_ptr<ModeInstance>>& myPile = editing.pile;
    std::unique_ptr<EditHost> edit_host;
    wxTimer blink_timer;  // 500 ms: the cross-hair blinks
    wxTimer move_timer;   // 100 ms: the view follows a drag outside the window

    // The library editor's state on a library or template canvas: the
    // load-time copy, the undo copies, the name table, the converted-form
    // byte and the item under edit (libedit/libedit.h); its host turns the
    // editor's requests into window calls.
    LibEdit libedit;
    std::unique_ptr<LibEditHost> libedit_host;
    // The dialogs that act on this canvas (its item, navigation and library
    // dialogs) and what they remember: destroyed with the canvas, never
    // shared with another window.
    DialogOwner dialogs;
    // Repeat range and the prompt and mode name last shown.
    SchItem* repeat_first = nullptr;
    SchItem* repeat_last = nullptr;
    std::string prompt;
    std::string mode_name;
    Point cursor;

    // Takes the document (the canvas then owns it) and shows it; the former
    // one is freed.
    void TakeDocument(Schema* schema);
    // Zoom steps around the window's centre.
    void ZoomBy(double factor);
    void ZoomFit();
    void ZoomOne();
    // The first paint fits the view to the drawing (at the size the window
    // then has), whichever window paints before it.
    void FitOnFirstPaint() { fit_pending_ = true; }

    // The save question; false on Cancel or a failed save.
    bool OkToClose();

    // The mode stack (editor/tool_mode.h).
    ModeInstance* PushMode(const ToolMode* mode);
    bool PopMode();
    ModeInstance* FindMode(const ToolMode* mode);
    int ModeCount() const;
    const char* ModeName(int index) const;
    const ToolKey* ModeKeys(int index, int* count, ModeInstance** instance);
    void SetCrossHairStyle(int style, bool on);
    void SetModeCursor(ModeInstance* instance, int cursor);
    // The toolkit's WarpPointer(x, y) in window pixels stays reachable
    // beside this one, which takes a world point.
    using RenderCanvas::WarpPointer;
    void WarpPointer(Point world, Schema* schema);
    // Mouse messages become editing events of the top mode; keys go to its
    // key table.
    void OnEvent(wxMouseEvent& event);
    // Ctrl+wheel zooms about the pointer, Shift+wheel scrolls across; false
    // for every other event.
    bool WheelZoomOrScroll(const wxMouseEvent& event);
    void OnChar(wxKeyEvent& event);
    void OnMoveTimer();
    void OnBlinkTimer();
    // Takes the blinking cross-hair off the overlay when it is on it.
    void HideBlinkingCross();
    // Shows the items on the ghost overlay, or takes them away when shown.
    void ToggleItemGhost(List* items);
    // Shows a document the editor made (undo), the former one freed already.
    void AdoptDocument(Schema* schema);
    // The world point of a window point (grid and constraint applied);
    // with `exact`, also the point itself, before the grid.
    bool WorldPoint(wxPoint window, Point* world, Point* exact = nullptr);

private:
    bool fit_pending_ = false;
    bool held_ = false;         // the left button is down
    wxPoint last_window_;       // window point of the last mouse message
    bool cross_shown_ = false;  // the blinking cross-hair is on the overlay
    Point cross_at_;
    void ToggleBlinkingCross();
    void OnFitPaint(wxPaintEvent& event);
    void OnMotion(wxMouseEvent& event);
};

// The next paint of a canvas fits its view to the drawing and clears it.
extern bool zoom_fit_pending;

// The canvas's session, on the document the canvas shows (the editor's
// commands run on it); null for a null canvas. A plain read: it never
// closes or opens anything, so that a caller holding a mode or the session
// keeps it across reads. Only taking a document opens the session anew
// (`EditCanvas::TakeDocument`); an undo that replaces the document hands
// it to the canvas (`EditCanvas::AdoptDocument`) in the same session.
EditSession* editor_session(EditCanvas* canvas);
