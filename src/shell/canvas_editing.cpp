// The sheet editor wired to the editing canvas.
#include "shell/canvas_editing.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <wx/cursor.h>
#include <wx/timer.h>

#include "dialogs/item_dialogs.h"
#include "dialogs/nav_dialogs.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "libedit/gui/libedit_windows.h"
#include "libedit/libedit_tools.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "shell/edit_canvas.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/dialog_calls.h"

namespace {

// The window side of a canvas's session.
class CanvasHost : public EditHost {
public:
    explicit CanvasHost(EditCanvas* canvas) : canvas_(canvas) {}

    void redraw() override { canvas_->Redraw(); }
    // The document's bounds index noted what an edit or a selection
    // changed: the canvas draws those rectangles again, and the edit's own.
    void invalidate(const std::vector<Rect>& areas) override {
        for (const Rect& area : areas) sheet_index_damage_rect(canvas_->mySchema, area);
        canvas_->RedrawDamage();
    }
    void redraw_changes() override { canvas_->RedrawDamage(); }
    void xor_items(List* items) override { canvas_->ToggleItemGhost(items); }
    void xor_kept_items(List* items) override { canvas_->ToggleItemsGhost(items); }
    void show_prompt(const char* text) override { canvas_set_prompt(canvas_, text); }
    void show_mode_name(const char* text) override { canvas_set_mode_name(canvas_, text); }
    void show_cursor(int cursor) override {
        wxStockCursor stock = cursor == CURSOR_CROSS    ? wxCURSOR_CROSS
                              : cursor == CURSOR_WAIT   ? wxCURSOR_WAIT
                              : cursor == CURSOR_HAND   ? wxCURSOR_HAND
                              : cursor == CURSOR_SIZING ? wxCURSOR_SIZING
                                                        : wxCURSOR_ARROW;
        canvas_->SetCursor(wxCursor(stock));
    }
    // A cross-hair given up goes at once, not at the next blink.
    void show_crosshair(int, bool on) override {
        if (!on) canvas_->HideBlinkingCross();
    }
    void warp_pointer(Point world) override {
        if (!canvas_->mySchema) return;
        View* view = &canvas_->mySchema->view;
        // The view is brought to what it shows now, moved when the point
        // lies outside it and the move taken at once: the pointer is placed
        // by the transform the next paint draws with.
        canvas_->ApplyView();
        if (view_ensure_visible(view, world)) canvas_->ApplyView();
        Point window = view_to_screen(view, world);
        wxPoint at = canvas_->ToClient(wxPoint(window.x, window.y));
        canvas_->wxWindow::WarpPointer(at.x, at.y);
    }
    // The document is modified at once; its title and status line follow
    // once the edit is drawn (the toolkit takes several milliseconds to
    // show a changed status text, the first edit after opening or saving
    // would wait for it).
    void mark_modified() override {
        if (!canvas_->mySchema) return;
        schema_set_modified(canvas_->mySchema);
        EditCanvas* canvas = canvas_;
        canvas->CallAfter([canvas] {
            if (canvas->mySchema && schema_is_modified(canvas->mySchema))
                canvas_mark_modified(canvas);
        });
    }
    void enable_undo(bool on) override { ::enable_undo(canvas_, on ? 1 : 0); }
    // A box's "./" and "../" names are from the folder of the sheet it is on.
    void open_sheet(const char* file_name, SubSheet* box) override {
        ::open_sheet(name_from_holder(file_name, canvas_file_name(canvas_).c_str()).c_str(), box);
    }
    bool edit_item(SchItem* item, Point p, int code) override {
        return ::edit_item(canvas_, item, p, code);
    }
    void edit_bookmark(int slot) override { ::edit_bookmark(canvas_, slot); }
    void hide_sheet_dialog() override { hide_dialog(canvas_->dialogs.find("file_sheet_load")); }
    void refresh_shortcuts() override { ::shortcuts_refresh(canvas_); }
    void document_replaced(Schema* now) override { canvas_->AdoptDocument(now); }
    void zoom_by(double factor, Point centre) override {
        if (!canvas_->mySchema) return;
        view_set_center(&canvas_->mySchema->view, centre);
        canvas_->ZoomBy(factor);
    }
    void zoom_area(Rect area) override {
        if (!canvas_->mySchema) return;
        view_zoom_rect(&canvas_->mySchema->view, area, false);
        canvas_->RedrawView();
    }
    void zoom_fit() override { canvas_->ZoomFit(); }
    void centre_on(Point world) override {
        if (!canvas_->mySchema) return;
        view_set_center(&canvas_->mySchema->view, world);
        canvas_->RedrawView();
    }

private:
    EditCanvas* canvas_;
};

const ToolMode* base_mode_of(int kind) {
    if (kind == CANVAS_SHEET) return &main_mode;
    if (kind == CANVAS_LIBRARY || kind == CANVAS_TEMPLATE) return &libedit_main_mode;
    return nullptr;
}

bool library_editor_kind(int kind) { return kind == CANVAS_LIBRARY || kind == CANVAS_TEMPLATE; }

MouseInput input_of(const wxMouseEvent& event) {
    MouseInput in;
    wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN)
        in.kind = MOUSE_DOWN;
    else if (type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_UP)
        in.kind = MOUSE_UP;
    else if (type == wxEVT_LEFT_DCLICK)
        in.kind = MOUSE_DCLICK;
    else if (type == wxEVT_MOUSEWHEEL)
        in.kind = MOUSE_WHEEL;
    else if (type == wxEVT_ENTER_WINDOW)
        in.kind = MOUSE_ENTER;
    else if (type == wxEVT_LEAVE_WINDOW)
        in.kind = MOUSE_LEAVE;
    else
        in.kind = MOUSE_MOTION;
    int button = event.GetButton();
    in.button = button == wxMOUSE_BTN_LEFT     ? BUTTON_LEFT
                : button == wxMOUSE_BTN_RIGHT  ? BUTTON_RIGHT
                : button == wxMOUSE_BTN_MIDDLE ? BUTTON_MIDDLE
                                               : BUTTON_NONE;
    in.shift = event.ShiftDown();
    in.ctrl = event.ControlDown();
    in.left_held = event.LeftIsDown();
    in.right_held = event.RightIsDown();
    in.wheel = event.GetWheelRotation();
    in.x = event.GetX();
    in.y = event.GetY();
    return in;
}

}  // namespace

// --- the canvas's part ---------------------------------------------------------------------------------
ModeInstance* EditCanvas::PushMode(const ToolMode* mode) { return ::PushMode(&editing, mode); }
bool EditCanvas::PopMode() { return ::PopMode(&editing); }
ModeInstance* EditCanvas::FindMode(const ToolMode* mode) { return ::FindMode(&editing, mode); }
int EditCanvas::ModeCount() const { return ::ModeCount(&editing); }
const char* EditCanvas::ModeName(int index) const { return ::ModeName(&editing, index); }
const ToolKey* EditCanvas::ModeKeys(int index, int* count, ModeInstance** instance) {
    return ::ModeKeys(&editing, index, count, instance);
}
void EditCanvas::SetCrossHairStyle(int style, bool on) { ::SetCrossHairStyle(&editing, style, on); }
void EditCanvas::SetModeCursor(ModeInstance* instance, int cursor) {
    ::SetModeCursor(&editing, instance, cursor);
}
void EditCanvas::WarpPointer(Point world, Schema*) { ::WarpPointer(&editing, world); }

void EditCanvas::AdoptDocument(Schema* schema) {
    // The session freed the former document itself.
    ClearGhosts();
    mySchema = schema;
    editing.schema = schema;
    SetDocument(mySchema);
    Redraw();
}

bool EditCanvas::WorldPoint(wxPoint window, Point* world, Point* exact) {
    if (!mySchema) return false;
    wxPoint p = ToWindowUnits(window);
    *world = Point{p.x, p.y};
    view_to_world(&mySchema->view, Point{p.x, p.y}, world, mySchema);
    // The screen's inverse matrix alone: the point under the pointer.
    if (exact) matrix_apply(&mySchema->view.point_inv, Point{p.x, p.y}, exact);
    return true;
}

bool EditCanvas::WheelZoomOrScroll(const wxMouseEvent& event) {
    if (event.GetEventType() != wxEVT_MOUSEWHEEL || !mySchema) return false;
    if (!event.ControlDown() && !event.ShiftDown()) return false;
    const bool up = event.GetWheelRotation() > 0;
    if (!event.ControlDown()) {
        // Across by as much as the plain wheel scrolls down.
        int x = 0, y = 0;
        GetViewStart(&x, &y);
        Scroll(std::max(0, x + (up ? -3 : 3)), y);
        return true;
    }
    View* view = &mySchema->view;
    const wxPoint at = event.GetPosition();
    const wxPoint units = ToWindowUnits(at);
    const Point world = view_size_to_world(view, Point{units.x, units.y});
    const double zoom = view_get_scale(view);
    const double target = std::clamp(zoom * (up ? 2.0 : 0.5), VIEW_MIN_ZOOM, VIEW_MAX_ZOOM);
    if (target == zoom || view->point.m[0][0] <= 0 || view->point.m[1][1] <= 0) return true;
    // The world point under the pointer stays under it: the view's centre
    // goes where the zoomed window puts its middle, which the view shows
    // exactly there (a sheet's edge may stop it: the view never scrolls
    // before the sheet's corner).
    const double sx = view->point.m[0][0] * target / zoom, sy = view->point.m[1][1] * target / zoom;
    const wxSize size = GetClientSize();
    view_set_center(view,
                    Point{static_cast<int32_t>(std::lround(world.x - (at.x - size.x / 2) / sx)),
                          static_cast<int32_t>(std::lround(world.y - (at.y - size.y / 2) / sy))});
    SetZoom(target, true);
    ApplyView();
    return true;
}

void EditCanvas::OnEvent(wxMouseEvent& event) {
    // The desktop's habits for the wheel: Ctrl zooms about the pointer,
    // Shift scrolls across; the window does not scroll down besides.
    if (WheelZoomOrScroll(event)) return;
    event.Skip();
    if (!mySchema || editing.pile.empty()) return;
    Point window;
    int code = classify_mouse_event(input_of(event), &window);
    if (code == EV_NONE) return;
    if (code == EV_LEFT_DOWN || code == EV_LEFT_DOWN_SHIFT || code == EV_LEFT_DOWN_CTRL) {
        SetFocus();
        if (!HasCapture()) CaptureMouse();
    } else if (code == EV_LEFT_UP && HasCapture()) {
        ReleaseMouse();
    }
    Point world, exact;
    WorldPoint(wxPoint(window.x, window.y), &world, &exact);
    held_ = event.LeftIsDown();
    last_window_ = wxPoint(window.x, window.y);
    session_event(&editing, code, world, exact);
}

void EditCanvas::OnChar(wxKeyEvent& event) {
    int key = event.GetKeyCode();
    if (!mySchema || editing.pile.empty() || !session_key(&editing, key)) event.Skip();
}

void EditCanvas::OnMoveTimer() {
    // While the button is held outside the window, the view follows the
    // pointer and the mode sees the drag go on.
    if (!held_ || !mySchema) return;
    wxSize size = GetClientSize();
    int dx = last_window_.x < 0 ? -1 : last_window_.x >= size.x ? 1 : 0;
    int dy = last_window_.y < 0 ? -1 : last_window_.y >= size.y ? 1 : 0;
    if (dx == 0 && dy == 0) return;
    Point world;
    wxPoint centre(size.x / 2 + dx * size.x / 10, size.y / 2 + dy * size.y / 10);
    WorldPoint(centre, &world);
    view_set_center(&mySchema->view, world);
    RedrawView();
    Point exact;
    if (WorldPoint(last_window_, &world, &exact))
        session_event(&editing, EV_LEFT_DRAG, world, exact);
}

void EditCanvas::OnBlinkTimer() {
    // The cross-hair of a mode that asked for one blinks at the pointer.
    if (!mySchema) return;
    if (!cross_shown_ && !editing.look.crosshair_on) return;
    ToggleBlinkingCross();
}

void EditCanvas::HideBlinkingCross() {
    if (mySchema && cross_shown_) ToggleBlinkingCross();
}

void EditCanvas::ToggleBlinkingCross() {
    if (!cross_shown_) cross_at_ = editing.pointer;
    const Rect& seen = mySchema->view.visible;
    Line* lines[2] = {new_Line(), new_Line()};
    List cross;
    for (Line* line : lines) {
        if (!line || !dlist_append(&cross, line)) no_memory();
        line->flags = DRAW;
    }
    lines[0]->pos = Point{seen.x, cross_at_.y};
    lines[0]->end = Point{seen.x + seen.w, cross_at_.y};
    lines[1]->pos = Point{cross_at_.x, seen.y};
    lines[1]->end = Point{cross_at_.x, seen.y + seen.h};
    ToggleItemGhost(&cross);
    cross_shown_ = !cross_shown_;
    while (cross.count) dlist_remove_head(&cross, free_Item_cb);
}

namespace {

// What a ghost of the list shows: its items and where each stands. The
// modes take a ghost away before they change its items, so the same
// fingerprint names the ghost they showed.
uint64_t ghost_key(List* items) {
    auto mix = [](uint64_t h, uint64_t v) {
        h ^= v + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
        return h * 0xBF58476D1CE4E5B9ULL;
    };
    uint64_t h = mix(0x94D049BB133111EBULL, items->count);
    for (SchItem* item : list_items<SchItem>(items)) {
        h = mix(h, reinterpret_cast<uintptr_t>(item));
        h = mix(h, uint64_t(uint8_t(item->type)) << 32 | item->flags);
        h = mix(h, uint64_t(uint32_t(item->pos.x)) << 32 | uint32_t(item->pos.y));
    }
    return h ? h : 1;
}

}  // namespace

void EditCanvas::ToggleItemGhost(List* items) {
    if (!mySchema || !items) return;
    // One ghost for the whole list: drawing the same list again removes it,
    // found by its fingerprint without drawing the items again (a pasted
    // sheet follows the pointer taken away and shown at each motion).
    const uint64_t key = ghost_key(items);
    if (RemoveGhost(key)) return;
    std::vector<Prim> prims;
    DrawAdapter recorder(&prims);
    recorder.set_mode(DRAW_XOR);
    for (SchItem* item : list_items<SchItem>(items))
        draw_item(&recorder, mySchema, item, nullptr, ITEM_COLOURS, STYLE_AS_ITEM);
    ToggleGhost(std::move(prims), key);
}

// --- attach and detach --------------------------------------------------------------------------------
void editor_attach(EditCanvas* canvas) {
    canvas->edit_host = std::make_unique<CanvasHost>(canvas);
    if (library_editor_kind(canvas->kind)) canvas->libedit_host = make_libedit_host(canvas);
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP,
          wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_MOTION, wxEVT_MOUSEWHEEL, wxEVT_ENTER_WINDOW,
          wxEVT_LEAVE_WINDOW})
        canvas->Bind(type, &EditCanvas::OnEvent, canvas);
    canvas->Bind(wxEVT_CHAR, &EditCanvas::OnChar, canvas);
    canvas->blink_timer.Bind(wxEVT_TIMER, [canvas](wxTimerEvent&) { canvas->OnBlinkTimer(); });
    canvas->move_timer.Bind(wxEVT_TIMER, [canvas](wxTimerEvent&) { canvas->OnMoveTimer(); });
    canvas->blink_timer.Start(500);
    canvas->move_timer.Start(100);
    editor_document_changed(canvas);
}

void editor_detach(EditCanvas* canvas) {
    canvas->blink_timer.Stop();
    canvas->move_timer.Stop();
    session_close(&canvas->editing);
}

void editor_document_changed(EditCanvas* canvas) {
    EditSession& session = canvas->editing;
    session_close(&session);
    canvas->ClearGhosts();
    session_init(&session, canvas->mySchema, canvas->kind, nullptr, canvas->edit_host.get());
    if (library_editor_kind(canvas->kind)) {
        // The library editor's copies name records of the document that went.
        libedit_reset(&canvas->libedit);
        libedit_bind(&canvas->libedit, &session, canvas->libedit_host.get());
    }
    if (canvas->mySchema) {
        if (const ToolMode* base = base_mode_of(canvas->kind)) PushMode(&session, base);
    }
}

EditSession* editor_session(EditCanvas* canvas) { return canvas ? &canvas->editing : nullptr; }
