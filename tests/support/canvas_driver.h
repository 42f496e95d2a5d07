#pragma once
// Drives windows of the test process with real mouse and key events sent
// through the display server, and lets the toolkit handle them.
//
// Every event sent is waited for: until the toolkit has handed it to a
// window of this process (the release of a button or key counted as it
// passes), then until the toolkit has settled (toolkit/settling.h: its
// events handled, an idle pass, what they changed painted). The next event
// never overtakes it and a test never looks before it was handled. Waits
// are bounded by a deadline far beyond what a healthy run needs; none is a
// fixed sleep.
#include <functional>
#include <memory>

#include <wx/gdicmn.h>
#include <wx/uiaction.h>

#include "foundation/geometry.h"

class EditCanvas;
class wxWindow;

namespace tn_test {

// How long a wait for the toolkit may take before the test fails: long
// enough for the sanitizer build on a loaded machine.
constexpr int toolkit_deadline_ms = 30000;

// Lets the toolkit handle what comes in until done() holds; false when it
// does not by the deadline.
bool pump_until(const std::function<bool()>& done, int ms = toolkit_deadline_ms);
// Lets the toolkit run until it has settled; false at the deadline.
bool settle();

// Real pointer and key events, each handled before the call returns.
class UiInput {
public:
    UiInput();
    ~UiInput();
    UiInput(const UiInput&) = delete;
    UiInput& operator=(const UiInput&) = delete;

    // The pointer moved to a screen point, the display server done with it.
    void move_to(int x, int y);
    // The same, and a window of this process handled the motion there
    // before the call returns (the pointer must end over one).
    void move_seen(wxPoint at);
    // A click in the middle of a window, or at (dx, dy) from its corner.
    void click_window(wxWindow* window, int dx = -1, int dy = -1);
    void click(int button = wxMOUSE_BTN_LEFT);
    // Two clicks of the left button in a row: a double click.
    void double_click();
    void button_down();
    void button_up();
    // A key pressed and released (modifiers as wxUIActionSimulator takes
    // them), held down, let go; text typed into the focused window.
    void key(int code, int modifiers = 0);
    void key_down(int code);
    void key_up(int code);
    void text(const char* typed);

    struct Counts {
        long button_downs = 0, button_ups = 0, key_downs = 0, key_ups = 0;
        long motions = 0;
        wxPoint last_motion;  // on the screen
    };

private:
    class Counter;
    // Sends with `send`, then waits until `arrived` holds for the events
    // counted since (and the toolkit settled); a test failure naming `what`
    // when they never arrive.
    void sent(const std::function<void()>& send, const std::function<bool(const Counts&)>& arrived,
              const char* what);

    wxUIActionSimulator sim_;
    std::unique_ptr<Counter> counter_;
};

// Drives an editing canvas: world points of its document as screen points.
class CanvasDriver {
public:
    explicit CanvasDriver(EditCanvas* canvas) : canvas_(canvas) {}
    CanvasDriver(const CanvasDriver&) = delete;
    CanvasDriver& operator=(const CanvasDriver&) = delete;

    // Lets the toolkit handle what came in for a while: for tests that watch
    // something happen over time (a blink), never to wait for an event.
    void pump(int ms);
    bool pump_until(const std::function<bool()>& done, int ms = toolkit_deadline_ms) {
        return tn_test::pump_until(done, ms);
    }
    // The screen point of a world point of the canvas's document.
    wxPoint screen_of(Point world);
    // Moves the pointer onto a world point in steps over the canvas (motion
    // events on the way, each handled before the next is sent) and waits
    // until the canvas's session saw it there; a test failure when it never
    // does. A paint still due is done first.
    void move(Point world);
    void click(Point world, int button = wxMOUSE_BTN_LEFT);
    // A double click at a world point that need not lie on the grid: the
    // pointer goes to its pixel, and the session sees it there before the
    // grid (EditSession::pointer_exact within a pixel of it).
    void double_click(Point world);
    // The left button pressed at `from`, moved through the middle to `to`
    // and released there; with Ctrl held throughout when `ctrl`.
    void drag(Point from, Point to, bool ctrl = false);
    // A key to the canvas (focused first).
    void key(int code);
    UiInput& input() { return input_; }

private:
    // The pointer moved onto the world point's pixel in steps over the
    // canvas, each motion handled before the next.
    void approach(Point world);

    EditCanvas* canvas_;
    UiInput input_;
};

}  // namespace tn_test
