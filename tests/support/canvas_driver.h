#pragma once
// Drives an editing canvas in a real window with mouse and key events sent
// through the display server, and lets the toolkit handle them.
#include <functional>
#include <memory>

#include <wx/gdicmn.h>
#include <wx/uiaction.h>

#include "foundation/geometry.h"

class EditCanvas;

namespace tn_test {

class CanvasDriver {
public:
    explicit CanvasDriver(EditCanvas* canvas);
    ~CanvasDriver();
    CanvasDriver(const CanvasDriver&) = delete;
    CanvasDriver& operator=(const CanvasDriver&) = delete;

    // Lets the toolkit handle what came in for a while / until done.
    void pump(int ms);
    bool pump_until(const std::function<bool()>& done, int ms = 3000);
    // The screen point of a world point of the canvas's document.
    wxPoint screen_of(Point world);
    // Moves the pointer onto a world point in steps over the canvas (motion
    // events on the way, each handled before the next is sent) and waits
    // until the canvas's session saw it there; a test failure when it never
    // does.
    void move(Point world);
    void click(Point world, int button = wxMOUSE_BTN_LEFT);
    void key(int code);

    // How long the toolkit may take to hand an event to a window before the
    // test fails: far beyond what the sanitizer build on a loaded machine
    // needs.
    static constexpr int event_deadline_ms = 30000;

private:
    class MotionWatch;
    // One move of the pointer, seen by the window under it.
    void step_to(wxPoint at);

    EditCanvas* canvas_;
    wxUIActionSimulator sim_;
    std::unique_ptr<MotionWatch> motions_;
};

}  // namespace tn_test
