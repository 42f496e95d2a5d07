// The sheet editor wired to the editing canvas.
#include "shell/canvas_editing.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <wx/cursor.h>
#include <wx/timer.h>

#include "dialogs/item_dialogs.h"
#include "dialogs/nav_dialogs.h"
#include "editor/gui/edit_canvas.h"
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
    // The title and the status line take the modified mark as the edit is
    // made, before its drawing is asked for: the toolkit lays them out and
    // draws them in the same frame as the edit's damaged area, not one frame
    // later.
    void mark_modified() override { canvas_mark_modified(canvas_); }
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

}  // namespace

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
