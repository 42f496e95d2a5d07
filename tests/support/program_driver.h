#pragma once
// The real program on an X display of the test program's own, driven as a
// user drives it: started with arguments, its windows found by their
// titles, its controls by their labels (in the listing the program sends
// while TN_TEST is set, shell/window_listing.h), pressed and typed into
// with real pointer and key events (xdotool), its log window read, and its
// windows photographed (ImageMagick's import) and compared with reviewed
// reference images.
//
// Every wait is for something the program does (a window appears, a text
// shows in the log, the picture settles, the process ends), bounded by a
// deadline far beyond what a healthy run needs.
//
// The test program links wxWidgets and starts it (toolkit/wx_test_env.cpp):
// the listing comes over the toolkit's own channel.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tn_test {

constexpr auto program_deadline = std::chrono::seconds(30);

// Whether every program the driver runs is installed (Xvfb, xdotool, the
// X utilities, ImageMagick); the failure names the first one missing.
::testing::AssertionResult program_tools_installed();
// The name of the private display (":N"); empty when Xvfb could not start.
// It runs a window manager (openbox), and its screen is TN_SCREEN_SIZE
// ("1400x1000") or the size the test program was built for (1280x1024 for
// the shell's, 1400x1000 for the dialogs' and the library editor's).
const std::string& private_display();
// Runs a shell command with the private display; its standard output, and
// its exit status in *status.
std::string run_on_display(const std::string& command, int* status = nullptr);

// One window of the program's listing.
struct Control {
    int depth = 0;                   // 0 for a top-level window
    std::string kind;                // the toolkit's class: "wxButton", "wxTextCtrl", ...
    std::string label;               // a button's or check box's text, a window's title
    int x = 0, y = 0, w = 0, h = 0;  // on the screen
    bool enabled = false;
    std::string value;  // a text's text, a check box's 0 or 1, a choice's entry
    int centre_x() const { return x + w / 2; }
    int centre_y() const { return y + h / 2; }
};
// The listing's lines as controls.
std::vector<Control> parse_window_listing(const std::string& text);

// One run of the program with a configuration directory of its own.
class Program {
public:
    explicit Program(std::string config_dir);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program with the arguments, in the working directory when
    // one is given. Settings without TIPS_SHOW get TIPS_SHOW=False (and
    // the default project folder, so that the program reads them): a tip
    // box at start would take the keys meant for the frame. TN_PROGRAM_UNDER_TEST=PATH in the environment starts
    // another build instead (an older one, to see a test fail where a fault
    // is not mended).
    void Start(const std::vector<std::string>& args, const std::string& working_dir = "");
    // Starts the program as a new user meets it: its configuration
    // directory and `home` as they are (empty on a fresh install), nothing
    // written into them first; the tip of the day then shows at start.
    void StartAsNewUser(const std::vector<std::string>& args, const std::string& working_dir,
                        const std::string& home);
    // The X id of the largest shown window titled exactly `title` (the
    // toolkit makes small helper windows of the same title), waiting for
    // one to appear; empty when none did.
    std::string WaitWindow(const std::string& title);
    // True when a shown window of the program is titled `title` now.
    bool HasWindow(const std::string& title);
    // True when the process ended within the deadline; *status its status.
    bool WaitExit(int* status);
    bool Running() const;
    void Kill();

    // The program's windows now; empty when it does not answer.
    std::vector<Control> Windows();
    // Waits until `found` gives a control in the listing; none at the
    // deadline (the test then fails with `what`).
    std::optional<Control> WaitFor(
        const std::function<std::optional<Control>(const std::vector<Control>&)>& found,
        const std::string& what);
    // The shown top-level window titled `title`.
    std::optional<Control> WaitTopLevel(const std::string& title);
    // A pane docked in a top-level window (the log, the part palette),
    // shown and titled `title`: now (none when it is not shown), and
    // waiting for it.
    std::optional<Control> Pane(const std::string& title);
    std::optional<Control> WaitPane(const std::string& title);
    // In the top-level window or pane titled `window`: the control whose own
    // label is `label` (a button, a check box), or the control that follows
    // a static label reading `label` (a text field, a choice, a list).
    std::optional<Control> WaitControl(const std::string& window, const std::string& label);
    // Waits until no shown window is titled `title`.
    bool WaitGone(const std::string& title);

    // Real events: a click in the middle of a control; a field's whole text
    // replaced by typing; keys (xdotool's names) to the focused window.
    void Click(const Control& control);
    void TypeInto(const Control& field, const std::string& text);
    void Keys(const std::string& sequence);
    // Opens a menu entry by its keys from the main frame ("alt+t n"); the
    // keys after Alt and a letter wait until the menu is shown.
    void Menu(const std::string& keys);

    // The log pane's text now, and waiting until it holds `text`.
    std::string LogText();
    bool WaitLog(const std::string& text);

    // A picture of a window (its rectangle on the screen) that has settled:
    // two shots in a row are equal.
    bool Screenshot(const Control& window, const std::string& path);

    // What the program wrote to its standard error stream so far.
    std::string Stderr() const;
    // The warnings and criticals of the toolkit (GTK, GDK, GLib's object
    // system, Pango) that this run of the program printed. Every test that
    // started the program fails on them when the Program goes: each is a
    // window of ours that the toolkit could not lay out or draw as made.
    std::vector<std::string> ToolkitWarnings() const;

private:
    std::string Request();
    void Launch(const std::vector<std::string>& args, const std::string& working_dir,
                const std::vector<std::string>& environment);

    std::string config_;
    std::string stderr_path_;  // in the configuration directory
    size_t stderr_start_ = 0;  // where this run's output begins in it (runs append)
    pid_t pid_ = 0;
};

// The toolkit's warnings and criticals among lines of standard error; the
// messages of the desktop's services beside it (the settings store, the
// accessibility bus) are not the program's windows and are left out.
std::vector<std::string> toolkit_warnings(const std::string& stderr_text);

// Compares a picture with the reference image tests/data/<reference>,
// tolerating antialiasing: a pixel counts when its colour differs by more
// than 12 %, and up to one pixel in 500 may. On a failure the picture and
// the difference are kept beside the test program (NAME-actual.png,
// NAME-diff.png, NAME without its suffix). With TN_REGENERATE_SHELL=1 the reference is rewritten
// instead: look at every rewritten image before committing it.
void expect_matches_reference(const std::string& picture, const std::string& reference);

}  // namespace tn_test
