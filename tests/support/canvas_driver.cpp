#include "support/canvas_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "editor/gui/edit_canvas.h"
#include "model/documents/schema.h"
#include "model/items/view.h"
#include "toolkit/settling.h"

namespace tn_test {

using Clock = std::chrono::steady_clock;

bool pump_until(const std::function<bool()>& done, int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxTheApp->Yield(true);
        if (done()) return true;
        // Nothing more to handle yet: the display server or a timer is due.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

bool settle() {
    // The first answer only marks the moment: what came in before it is
    // handled once a later one says so.
    toolkit_settled();
    if (pump_until(toolkit_settled)) return true;
    ADD_FAILURE() << "the toolkit never settled";
    return false;
}

// Every button, key and motion event the toolkit hands to a window of this
// process passes here once, before its handlers.
class UiInput::Counter : public wxEventFilter {
public:
    Counter() { wxEvtHandler::AddFilter(this); }
    ~Counter() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN ||
            type == wxEVT_LEFT_DCLICK || type == wxEVT_RIGHT_DCLICK || type == wxEVT_MIDDLE_DCLICK)
            ++counts.button_downs;
        else if (type == wxEVT_LEFT_UP || type == wxEVT_RIGHT_UP || type == wxEVT_MIDDLE_UP)
            ++counts.button_ups;
        else if (type == wxEVT_KEY_DOWN)
            ++counts.key_downs;
        else if (type == wxEVT_KEY_UP)
            ++counts.key_ups;
        else if (type == wxEVT_MOTION || type == wxEVT_ENTER_WINDOW)
            if (auto* window = wxDynamicCast(event.GetEventObject(), wxWindow)) {
                counts.last_motion =
                    window->ClientToScreen(static_cast<wxMouseEvent&>(event).GetPosition());
                ++counts.motions;
            }
        return Event_Skip;
    }
    Counts counts;
};

UiInput::UiInput() : counter_(std::make_unique<Counter>()) {}
UiInput::~UiInput() = default;

void UiInput::sent(const std::function<void()>& send,
                   const std::function<bool(const Counts&)>& arrived, const char* what) {
    const Counts before = counter_->counts;
    send();
    auto since = [&] {
        const Counts& now = counter_->counts;
        return Counts{now.button_downs - before.button_downs, now.button_ups - before.button_ups,
                      now.key_downs - before.key_downs,       now.key_ups - before.key_ups,
                      now.motions - before.motions,           now.last_motion};
    };
    if (!pump_until([&] { return arrived(since()); }))
        ADD_FAILURE() << what << " never reached a window";
    settle();
}

void UiInput::move_to(int x, int y) {
    const wxPoint at(x, y);
    sim_.MouseMove(x, y);
    if (!pump_until([&] { return wxGetMousePosition() == at; }))
        ADD_FAILURE() << "the pointer never reached " << x << "," << y;
}

// The toolkit reports a motion and asks for the next one only once the
// window has handled it; one that comes sooner is dropped for good, and the
// window never learns where the pointer stopped. So each step waits until a
// window has seen the one before.
void UiInput::move_seen(wxPoint at) {
    if (wxGetMousePosition() == at) return;
    sent([&] { sim_.MouseMove(at.x, at.y); },
         [&](const Counts& c) { return c.motions >= 1 && c.last_motion == at; }, "a motion");
}

void UiInput::click_window(wxWindow* window, int dx, int dy) {
    ASSERT_NE(window, nullptr);
    const wxRect r = window->GetScreenRect();
    move_to(r.x + (dx < 0 ? r.width / 2 : dx), r.y + (dy < 0 ? r.height / 2 : dy));
    settle();
    click();
}

void UiInput::click(int button) {
    sent([&] { sim_.MouseClick(button); }, [](const Counts& c) { return c.button_ups >= 1; },
         "a click");
}

void UiInput::double_click() {
    // The second press is the double click: what it opens (a modal
    // dialog) may take the release that follows.
    sent([&] { sim_.MouseDblClick(); }, [](const Counts& c) { return c.button_downs >= 2; },
         "a double click");
}

void UiInput::button_down() {
    sent([&] { sim_.MouseDown(); }, [](const Counts& c) { return c.button_downs >= 1; },
         "a button press");
}

void UiInput::button_up() {
    sent([&] { sim_.MouseUp(); }, [](const Counts& c) { return c.button_ups >= 1; },
         "a button release");
}

// Keys are done with when every key pressed since (a modifier the
// simulator adds for a character included) is released again.
void UiInput::key(int code, int modifiers) {
    sent([&] { sim_.Char(code, modifiers); },
         [](const Counts& c) { return c.key_ups >= 1 && c.key_ups >= c.key_downs; }, "a key");
}

void UiInput::key_down(int code) {
    sent([&] { sim_.KeyDown(code); }, [](const Counts& c) { return c.key_downs >= 1; },
         "a key press");
}

void UiInput::key_up(int code) {
    sent([&] { sim_.KeyUp(code); }, [](const Counts& c) { return c.key_ups >= 1; },
         "a key release");
}

void UiInput::text(const char* typed) {
    const long characters = static_cast<long>(std::strlen(typed));
    sent([&] { sim_.Text(typed); },
         [&](const Counts& c) { return c.key_ups >= characters && c.key_ups >= c.key_downs; },
         "typed text");
}

void CanvasDriver::pump(int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

wxPoint CanvasDriver::screen_of(Point world) {
    Point window = view_to_screen(&canvas_->mySchema->view, world);
    return canvas_->ClientToScreen(canvas_->ToClient(wxPoint(window.x, window.y)));
}

void CanvasDriver::approach(Point world) {
    // A paint still due may bring the scroll bars to a new view (a zoom the
    // test set): the target is reckoned from the window as it will stay.
    canvas_->Update();
    const wxPoint to = screen_of(world);
    wxPoint from = wxGetMousePosition();
    // The way in starts on the canvas, next to the target: a pointer already
    // on the target would give no motion event at all, and one elsewhere
    // would give its motion to other windows.
    const wxRect area = canvas_->GetScreenRect();
    if (from == to || !area.Contains(from)) {
        from = to + wxPoint(to.x + 8 < area.GetRight() ? 8 : -8, 0);
        input_.move_seen(from);
    }
    for (int i = 1; i <= 4; ++i)
        input_.move_seen(
            wxPoint(from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4));
}

void CanvasDriver::move(Point world) {
    approach(world);
    const wxPoint to = screen_of(world);
    if (pump_until([&] { return canvas_->editing.pointer == world; })) return;
    const wxPoint mouse = wxGetMousePosition();
    ADD_FAILURE() << "pointer at " << canvas_->editing.pointer.x << ","
                  << canvas_->editing.pointer.y << " not " << world.x << "," << world.y
                  << " (screen " << to.x << "," << to.y << ", mouse " << mouse.x << "," << mouse.y
                  << ")";
}

void CanvasDriver::click(Point world, int button) {
    move(world);
    input_.click(button);
}

void CanvasDriver::double_click(Point world) {
    approach(world);
    // A pixel's reach in world units, and a unit for the rounding.
    const Point pixel = view_size_to_world(&canvas_->mySchema->view, Point{1, 1});
    auto near = [&] {
        const Point at = canvas_->editing.pointer_exact;
        return std::abs(at.x - world.x) <= pixel.x + 1 && std::abs(at.y - world.y) <= pixel.y + 1;
    };
    if (!pump_until(near))
        ADD_FAILURE() << "pointer at " << canvas_->editing.pointer_exact.x << ","
                      << canvas_->editing.pointer_exact.y << " not " << world.x << "," << world.y;
    input_.double_click();
}

void CanvasDriver::drag(Point from, Point to, bool ctrl) {
    move(from);
    if (ctrl) input_.key_down(WXK_CONTROL);
    input_.button_down();
    move(Point{(from.x + to.x) / 2, (from.y + to.y) / 2});
    move(to);
    input_.button_up();
    if (ctrl) input_.key_up(WXK_CONTROL);
}

void CanvasDriver::key(int code) {
    canvas_->SetFocus();
    input_.key(code);
}

}  // namespace tn_test
