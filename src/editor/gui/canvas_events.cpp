// The editing canvas's own part of the sheet editor: its mode stack, mouse
// and key messages turned into session events, the blinking cross-hair, the
// view that follows a drag outside the window and the ghosts of item lists.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "editor/gui/edit_canvas.h"
#include "editor/tool_mode.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/open_table.h"
#include "model/documents/schema.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"

namespace {

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
        h ^= v + MIX_MULTIPLIER + (h << 6) + (h >> 2);
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
