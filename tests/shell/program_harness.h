#pragma once
// What the program tests of the shell add to the program driver
// (support/program_driver.h): the pointer on sheet points found through the
// sheet's bookmarks, windows by their X ids (stacking, screenshots of a
// region), and the example sheets with a settings file. Every wait is for
// something the program does, bounded by the driver's deadline.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/geometry.h"

struct SchItem;
#include "support/program_driver.h"
#include "support/test_env.h"

namespace program_test {

using tn_test::Program;
// Runs a shell command on the program's private display; its standard
// output, and its status in *status.
inline std::string run(const std::string& command, int* status = nullptr) {
    return tn_test::run_on_display(command, status);
}
// True once done() holds, looking again every 20 ms until the deadline.
bool wait_until(const std::function<bool()>& done);

// The main frame of a program just started, once its start-up is over (it
// answers the listing of its windows only then, so that no key sent now
// reaches a window the start-up has yet to bring forward); empty when it
// never came.
std::string wait_started(Program& program);
// A window's place and size on the display: x, y, width, height.
std::vector<long> geometry(const std::string& window);
// Moves and sizes a window (as a window manager would for the user) and
// waits until it stands there.
bool place_window(const std::string& window, long x, long y, long width, long height);
// True when the window stands there, within two pixels.
bool stands_at(const std::string& window, long x, long y, long width, long height);
// The window manager (openbox) that the private display runs, as a user's
// desktop has one (support/program_driver.h): it frames, stacks and
// focuses the windows, and `keys` and `menu` bring a window forward
// through it.
class WindowManager {
public:
    // True once it manages the display (it has announced itself on the root).
    bool running() const;
};
// Waits until the shown top-level window titled `title` stands where the
// program thinks it does: a window manager frames and places a new window
// after the program has laid it out, and the program learns its place and
// the size of the frame only then. The window's listing then; none when
// it never came to stand.
std::optional<tn_test::Control> settled_window(Program& program, const std::string& title);
// The n-th (from 0) shown control of a kind in the top-level window titled
// `window`, waited for.
std::optional<tn_test::Control> nth_control(Program& program, const std::string& window,
                                            const std::string& kind, int n);
// File > Exit; true when the program ended with status 0.
bool exit_program(Program& program, const std::string& frame);
// Real key events to the window, focused first.
void keys(const std::string& window, const std::string& sequence);
// The windows shown on the program's display now (menus and pop-ups among
// them).
size_t shown_windows();
// A menu entry by its keys: each key of `opening` ("alt+e j") opens a menu
// or a submenu and the next key waits until that menu is on the screen
// (a key sent earlier would be lost); then the keys of `then` ("a").
void menu(const std::string& frame, const std::string& opening, const std::string& then);
// Tools > the entry of `key`, then Execute in its dialog (titled `title`);
// returns once the dialog is gone.
void execute_tool(Program& program, const std::string& frame, const std::string& key,
                  const std::string& title);
// Types a text into the window that has the focus.
void type_text(const std::string& text);
// In a file chooser: `start` (the keys that open or select its name field),
// the name typed, Return. Each step waits until the chooser has settled (it
// lists the folder and completes names as they are typed); a completion
// left open below the name is closed first, or it would take the Return.
// `shot` is where its pictures go. False when it never settled.
bool choose_file(const std::string& chooser, const std::string& start, const std::string& name,
                 const std::string& shot);
// The top-level windows of the display from the bottom of the stack to its
// top (decimal ids, as xdotool gives them).
std::vector<std::string> stacking_order();
// True when window `upper` stands above window `lower` in the stack.
bool stands_above(const std::string& upper, const std::string& lower);

// Screenshots of the window until two in a row are equal: the picture has
// settled. `differ_from` (when not empty) must also differ from the result.
bool settled_screenshot(const std::string& window, const std::string& path,
                        const std::string& differ_from = "");
// Compares a region (ImageMagick geometry "WxH+X+Y") of a screenshot with
// the reference image tests/data/shell/<name>, tolerating antialiasing. On a
// failure the actual image and the difference image are written beside the
// test program. With TN_REGENERATE_SHELL=1 the reference is written instead.
void expect_region_matches(const std::string& shot, const std::string& region,
                           const std::string& name);
// The canvas of the first child of a frame placed by the program itself
// (no window manager).
constexpr const char* CANVAS_REGION = "980x560+8+120";

// --- the pointer -----------------------------------------------------------------
struct ScreenPoint {
    int x = 0;
    int y = 0;
};
ScreenPoint pointer_location();
void pointer_to(ScreenPoint at);
// Press and release of a button (1 left, 3 right) at a point, the pointer
// moved there in a few steps first.
void click(ScreenPoint at, int button = 1);
// Two presses of the left button at a point, as a double click, the
// pointer moved there in a few steps first.
void double_click(ScreenPoint at);
// Left button pressed at `from`, moved in steps to `to` and released; with
// `modifier` ("ctrl", "shift") held throughout.
void drag(ScreenPoint from, ScreenPoint to, const std::string& modifier = "");
// Pointer moved in steps from where it is to `to`.
void glide(ScreenPoint to);

// The world point the status line's position field shows ("X:1000
// Y:2000"); none while it shows no position.
std::optional<Point> status_position(Program& program);

// Where Edit > Jump to bookmark `letter` ("a" .. "e") puts the pointer;
// false when it did not move it.
bool jump_to_bookmark(const std::string& frame, const char* letter, ScreenPoint* at);

// Where world points of a sheet lie on the screen while the view does not
// change: found by jumping to the sheet's bookmarks A and B (Edit > Jump),
// which move the pointer onto their world points.
class ScreenMap {
public:
    // False when the two bookmarks did not move the pointer apart.
    bool Calibrate(const std::string& frame, Point mark_a, Point mark_b);
    // The same found through Edit > Jump > XY Pos, which puts the pointer
    // on the point typed (points the view shows): nothing in the sheet
    // file is needed.
    bool CalibrateByJump(Program& program, const std::string& frame, Point a, Point b);
    ScreenPoint operator()(Point world) const;
    // Moves the pointer onto the world point and waits until the status
    // line shows the point of the grid (of that step) nearest it, the
    // point a click there gives: false when it never did.
    bool Aim(Program& program, Point world, int32_t grid) const;
    // Screen pixels per world unit across and down.
    double scale_x() const { return sx_; }
    double scale_y() const { return sy_; }

private:
    double sx_ = 0, sy_ = 0, ox_ = 0, oy_ = 0;
};

// Copies a sheet file with bookmarks A, B, ... at the given world points.
void write_with_bookmarks(const std::string& from, const std::string& to,
                          const std::vector<Point>& marks);

// The nets of a sheet file as the net builder finds them: each net the
// sorted list of what it connects (a part's pin by the part's place and the
// pin's name, anything else by its kind and place), the nets sorted; empty
// when the file cannot be read.
std::vector<std::vector<std::string>> nets_of(const std::string& file);
// How nets_of() names a part's pin: by the part's place and the pin's name.
std::string member(Point part, const char* pin);
// The net of a saved sheet that holds `one`; empty when none does.
std::vector<std::string> net_holding(const std::string& file, const std::string& one);
bool holds(const std::vector<std::string>& net, const std::string& one);
// The lines of a sheet file that carry connections (wires and buses) and
// run neither across nor down; -1 when the file cannot be read.
int slanted_wires(const std::string& file);

// The configuration of the test process at its defaults, a temporary
// directory with the program's configuration directory in it, and the
// sheets the tests start the program on.
class ProgramTest : public testing::Test {
protected:
    void SetUp() override;
    // The every-item fixture of the drawing tests, compiled into the
    // temporary directory.
    std::string every_item_sheet();
    // The example hierarchy (root sheet, sub-sheet and the library "parts")
    // copied into the temporary directory, the root sheet with bookmarks at
    // the given points; the root sheet's path.
    std::string example_sheet(const std::vector<Point>& marks = {});
    // A sheet compiled from its source text into the temporary directory.
    std::string compiled_sheet(const std::string& name, const std::string& source);
    // Writes the program's INI file with these "KEY=value" lines.
    void write_ini(const std::vector<std::string>& lines);
    std::string ini_text() const;

    tn_test::TempDir dir;
    std::string config_dir;
};

// The program started on the example root sheet, with where its sheet lies
// on the screen found through bookmarks A and B at mark_a and mark_b.
class ExampleProgram : public ProgramTest {
protected:
    static constexpr Point mark_a{10000, 10000};
    static constexpr Point mark_b{38000, 22000};

    void Open(const std::vector<std::string>& more_args = {});
    // The same with bookmarks A and B at other points.
    void OpenMarked(Point a, Point b);
    // The program started on another sheet of the example ("amplifier.sch"),
    // or on a sheet compiled from its source, bookmarks A and B at the marks
    // (which must lie in what the fitted view shows).
    void OpenExampleSheet(const std::string& name);
    void OpenSource(const std::string& name, const std::string& source);
    // The status line's fields joined by " | ", once it holds `text`; empty
    // when it never did.
    std::string WaitStatus(const std::string& text);
    // A settled screenshot of the frame in the temporary directory.
    std::string Shot(const std::string& name, const std::string& differ_from = "");
    // The items of the saved root sheet that `count` accepts; -1 when the
    // file cannot be read.
    int CountSaved(const std::function<bool(SchItem*)>& count) const;
    // ... its placed parts of that library part, and its junctions.
    int PlacedParts(const std::string& part) const;
    int Junctions() const;
    // The number of nets the net builder finds on a sheet file; -1 when it
    // cannot be read.
    static int Nets(const std::string& file);

    // Starts the program on `sheet` (already written) and finds where it lies.
    void StartOn(const std::vector<std::string>& args);

    Program program{dir.file("config")};
    std::string sheet;
    std::string frame;
    ScreenMap map;
    Point marks[2] = {mark_a, mark_b};
};

// A user's session in the real program, driven through its windows as a
// user does: controls found by their labels, choices made with the keys,
// the pointer put where the status line shows the world point meant. A
// failure shows the program's windows and its log.
class NewUserProgram : public ProgramTest {
protected:
    // Also the home folder of a fresh install (`dir`/home), and the tools
    // these sessions use: a window manager, ngspice.
    void SetUp() override;
    void TearDown() override;
    // The program started as a new user starts it (home `dir`/home, no
    // settings) in the folder `working_dir` on `args`, under the display's
    // window manager; the tip of the day closed and the main frame found.
    void StartAsNewUser(const std::vector<std::string>& args, const std::string& working_dir);
    // A copy of the project as the README's run command finds it: the
    // example compiled into build/examples/ of a project folder
    // (`dir`/project). StartInProject() starts the program there on its
    // root sheet; project_file() is the path of a file of the example.
    void CopyExampleProject();
    void StartInProject();
    std::string project_file(const char* name) const;
    // The control of the program's windows that `pick` chooses.
    std::optional<tn_test::Control> Find(const std::function<bool(const tn_test::Control&)>& pick,
                                         const std::string& what);
    std::optional<tn_test::Control> Nth(const std::string& window, const std::string& kind, int n);
    void Press(const std::string& window, const std::string& label);
    // Chooses an entry of a choice with the keyboard from its top.
    void Choose(const std::string& window, const std::string& label, int entry);
    // Clicks the entry of a box of `entries` radio buttons, one below the
    // other under its caption, and waits until the box shows it chosen.
    void Pick(const std::string& window, const std::string& label, int entry, int entries,
              const std::string& shown);
    void Type(const std::string& window, const std::string& label, const std::string& text);
    // The pointer on a world point of the sheet in front, as the status
    // line shows it; then a click there.
    void ClickAt(Point world, int button = 1);
    void DoubleClickAt(Point world);
    void Aim(Point world);
    // The sheet in front once the window titled `tab` stands and its
    // drawing has settled, with where its points lie on the screen.
    void FindSheet(const std::string& tab);
    // Where the sheet's points lie on the screen once the frame has
    // settled (Edit > Jump to `calibrate_a` and `calibrate_b`).
    void Calibrate();
    // The program's windows as the listing gives them, for a failure's
    // message.
    std::string Listing();
    // Waits for a question and answers it by its button.
    void Answer(const std::string& title, const std::string& button);
    // Opens a dialog from the frame's menus by keys.
    void MenuDialog(const std::string& opening, const std::string& then, const std::string& title);
    // Place > Part: the library's first entry, then the part `name`, OK;
    // false when Load Part lists no such part.
    bool LoadPart(const std::string& name);
    // Tools > Netlist Output: the SPICE netlist of the sheet in front, the
    // value as module, into `deck`; returns once the dialog is gone.
    void SpiceNetlist(const std::string& deck);

    Program program{dir.file("config")};
    std::string frame;
    ScreenMap map;
    // The example's folder in the project (CopyExampleProject).
    std::filesystem::path examples;
    // Points the fitted view shows, and the grid a fresh install snaps to.
    Point calibrate_a{10000, 6000}, calibrate_b{40000, 28000};
    int32_t grid = 1000;
};

}  // namespace program_test
