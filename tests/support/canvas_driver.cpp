#include "support/canvas_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "model/documents/schema.h"
#include "model/items/view.h"
#include "shell/edit_canvas.h"

namespace tn_test {

using Clock = std::chrono::steady_clock;

void CanvasDriver::pump(int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool CanvasDriver::pump_until(const std::function<bool()>& done, int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxTheApp->Yield(true);
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

wxPoint CanvasDriver::screen_of(Point world) {
    Point window = view_to_screen(&canvas_->mySchema->view, world);
    return canvas_->ClientToScreen(canvas_->CalcScrolledPosition(wxPoint(window.x, window.y)));
}

// Every motion and entry event the toolkit hands to a window of this process
// passes here, before its handlers: where the pointer was, on the screen.
class CanvasDriver::MotionWatch : public wxEventFilter {
public:
    MotionWatch() { wxEvtHandler::AddFilter(this); }
    ~MotionWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override {
        const wxEventType type = event.GetEventType();
        if (type != wxEVT_MOTION && type != wxEVT_ENTER_WINDOW) return Event_Skip;
        auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
        if (window) {
            last = window->ClientToScreen(static_cast<wxMouseEvent&>(event).GetPosition());
            ++seen;
        }
        return Event_Skip;
    }
    wxPoint last;
    unsigned long seen = 0;
};

CanvasDriver::CanvasDriver(EditCanvas* canvas)
    : canvas_(canvas), motions_(std::make_unique<MotionWatch>()) {}

CanvasDriver::~CanvasDriver() = default;

void CanvasDriver::move(Point world) {
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
        step_to(from);
    }
    for (int i = 1; i <= 4; ++i)
        step_to(wxPoint(from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4));
    if (pump_until([&] { return canvas_->editing.pointer == world; }, event_deadline_ms)) return;
    const wxPoint mouse = wxGetMousePosition();
    ADD_FAILURE() << "pointer at " << canvas_->editing.pointer.x << ","
                  << canvas_->editing.pointer.y << " not " << world.x << "," << world.y
                  << " (screen " << to.x << "," << to.y << ", mouse " << mouse.x << "," << mouse.y
                  << ")";
}

void CanvasDriver::step_to(wxPoint at) {
    if (wxGetMousePosition() == at) return;
    const unsigned long before = motions_->seen;
    sim_.MouseMove(at.x, at.y);
    // The toolkit reports a motion and asks for the next one only once the
    // window has handled it; one that comes sooner is dropped for good, and
    // the window never learns where the pointer stopped. The next step waits
    // until the window has seen this one.
    if (!pump_until([&] { return motions_->seen != before && motions_->last == at; },
                    event_deadline_ms))
        ADD_FAILURE() << "no window saw the pointer at " << at.x << "," << at.y;
}

void CanvasDriver::click(Point world, int button) {
    move(world);
    sim_.MouseClick(button);
    pump(60);
}

void CanvasDriver::key(int code) {
    canvas_->SetFocus();
    sim_.Char(code);
    pump(60);
}

}  // namespace tn_test
