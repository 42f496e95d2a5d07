#include "support/canvas_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <wx/app.h>
#include <wx/utils.h>

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

void CanvasDriver::move(Point world) {
    wxPoint to = screen_of(world);
    wxPoint from = wxGetMousePosition();
    for (int i = 1; i <= 4; ++i) {
        sim_.MouseMove(from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4);
        pump(15);
    }
    // The sanitizer build on a busy machine may take a while to handle them.
    if (!pump_until([&] { return canvas_->editing.pointer == world; }, 5000))
        ADD_FAILURE() << "pointer at " << canvas_->editing.pointer.x << ","
                      << canvas_->editing.pointer.y << " not " << world.x << "," << world.y;
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
