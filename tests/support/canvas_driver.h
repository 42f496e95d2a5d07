#pragma once
// Drives an editing canvas in a real window with mouse and key events sent
// through the display server, and lets the toolkit handle them.
#include <functional>

#include <wx/uiaction.h>

#include "foundation/geometry.h"

class EditCanvas;
class wxPoint;

namespace tn_test {

class CanvasDriver {
public:
    explicit CanvasDriver(EditCanvas* canvas) : canvas_(canvas) {}

    // Lets the toolkit handle what came in for a while / until done.
    void pump(int ms);
    bool pump_until(const std::function<bool()>& done, int ms = 3000);
    // The screen point of a world point of the canvas's document.
    wxPoint screen_of(Point world);
    // Moves the pointer onto a world point in steps (motion events on the
    // way) and waits until the canvas's session saw it there; a test
    // failure when it never does.
    void move(Point world);
    void click(Point world, int button = wxMOUSE_BTN_LEFT);
    void key(int code);

private:
    EditCanvas* canvas_;
    wxUIActionSimulator sim_;
};

}  // namespace tn_test
