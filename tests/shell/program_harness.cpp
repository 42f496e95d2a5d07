#include "shell/program_harness.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "support/test_env.h"

namespace program_test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool wait_until(const std::function<bool()>& done) {
    auto end = Clock::now() + tn_test::program_deadline;
    while (Clock::now() < end) {
        if (done()) return true;
        // Not yet: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::string wait_started(Program& program) {
    const std::string frame = program.WaitWindow("Tessaron Schematic Editor");
    // The program answers the listing of its windows once its start-up is
    // over.
    if (frame.empty() || !program.WaitTopLevel("Tessaron Schematic Editor")) return {};
    return frame;
}

// --- windows, keys and pictures ---------------------------------------------------------

std::vector<long> geometry(const std::string& window) {
    std::string shape = run("xdotool getwindowgeometry --shell " + window);
    std::vector<long> r;
    for (const char* key : {"X=", "Y=", "WIDTH=", "HEIGHT="}) {
        size_t at = shape.find(std::string("\n") + key);
        r.push_back(at == std::string::npos ? -1
                                            : std::atol(shape.c_str() + at + 1 + std::strlen(key)));
    }
    return r;
}

namespace {

// Where the display shows a window's own area: "x y width height" from the
// X server itself. (xdotool's position of a window inside a window
// manager's frame counts the frame's border twice.)
std::vector<long> shown_area(const std::string& window) {
    const std::string info = run("xwininfo -id " + window);
    std::vector<long> r;
    for (const char* key :
         {"Absolute upper-left X:", "Absolute upper-left Y:", "Width:", "Height:"}) {
        const size_t at = info.find(key);
        r.push_back(at == std::string::npos ? -1 : std::atol(info.c_str() + at + std::strlen(key)));
    }
    return r;
}

}  // namespace

bool stands_at(const std::string& window, long x, long y, long width, long height) {
    const std::vector<long> g = shown_area(window);
    return std::labs(g[0] - x) <= 2 && std::labs(g[1] - y) <= 2 && std::labs(g[2] - width) <= 2 &&
           std::labs(g[3] - height) <= 2;
}

bool place_window(const std::string& window, long x, long y, long width, long height) {
    // The window manager places its frame where the window is asked to
    // stand, the window inside it: the move is made again by the offset the
    // frame gave it.
    long to_x = x, to_y = y;
    for (int attempt = 0; attempt < 3; ++attempt) {
        run("xdotool windowmove " + window + " " + std::to_string(to_x) + " " +
            std::to_string(to_y) + " windowsize " + window + " " + std::to_string(width) + " " +
            std::to_string(height));
        if (wait_until([&] {
                const std::vector<long> g = shown_area(window);
                return std::labs(g[2] - width) <= 2 && std::labs(g[3] - height) <= 2 && g[0] >= 0 &&
                       g[1] >= 0;
            }) &&
            stands_at(window, x, y, width, height))
            return true;
        const std::vector<long> g = shown_area(window);
        to_x += x - g[0];
        to_y += y - g[1];
    }
    return wait_until([&] { return stands_at(window, x, y, width, height); });
}

std::optional<tn_test::Control> settled_window(Program& program, const std::string& title) {
    const std::string id = program.WaitWindow(title);
    if (id.empty()) return std::nullopt;
    std::optional<tn_test::Control> window;
    const bool settled = wait_until([&] {
        const std::vector<long> g = shown_area(id);
        window.reset();
        for (const tn_test::Control& c : program.Windows())
            if (c.depth == 0 && c.label == title) window = c;
        return window && std::labs(window->x - g[0]) <= 1 && std::labs(window->y - g[1]) <= 1 &&
               std::labs(window->w - g[2]) <= 1 && std::labs(window->h - g[3]) <= 1;
    });
    if (!settled) {
        const std::vector<long> g = shown_area(id);
        ADD_FAILURE() << title << " stands at " << g[0] << "," << g[1] << " " << g[2] << "x" << g[3]
                      << ", the program has it at "
                      << (window
                              ? std::to_string(window->x) + "," + std::to_string(window->y) + " " +
                                    std::to_string(window->w) + "x" + std::to_string(window->h)
                              : "none");
    }
    return settled ? window : std::nullopt;
}

std::optional<tn_test::Control> nth_control(Program& program, const std::string& window,
                                            const std::string& kind, int n) {
    return program.WaitFor(
        [&](const std::vector<tn_test::Control>& all) -> std::optional<tn_test::Control> {
            bool inside = false;
            int seen = 0;
            for (const tn_test::Control& c : all) {
                if (c.depth == 0) inside = c.label == window;
                if (inside && c.depth > 0 && c.kind == kind && seen++ == n) return c;
            }
            return std::nullopt;
        },
        kind + " " + std::to_string(n) + " in \"" + window + "\"");
}

bool exit_program(Program& program, const std::string& frame) {
    menu(frame, "alt+f", "x");
    int status = -1;
    return program.WaitExit(&status) && status == 0;
}

namespace {

// Gives a window the keyboard through the window manager that the private
// display runs (it raises and focuses the window as a click on it would).
std::string focus(const std::string& window) { return "windowactivate --sync " + window; }

}  // namespace

bool WindowManager::running() const {
    return wait_until([&] {
        return run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
    });
}

void keys(const std::string& window, const std::string& sequence) {
    run("xdotool " + focus(window) + " key --delay 40 " + sequence);
}

size_t shown_windows() {
    const std::string ids = run("xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null");
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), '\n'));
}

void menu(const std::string& frame, const std::string& opening, const std::string& then) {
    run("xdotool " + focus(frame));
    size_t start = 0;
    while (start < opening.size()) {
        size_t end = opening.find(' ', start);
        if (end == std::string::npos) end = opening.size();
        const std::string key = opening.substr(start, end - start);
        start = end + 1;
        if (key.empty()) continue;
        const size_t before = shown_windows();
        run("xdotool key " + key);
        wait_until([&] { return shown_windows() > before; });
    }
    if (!then.empty()) run("xdotool key --delay 40 " + then);
}

void execute_tool(Program& program, const std::string& frame, const std::string& key,
                  const std::string& title) {
    menu(frame, "alt+t", key);
    ASSERT_TRUE(program.WaitTopLevel(title));
    const std::optional<tn_test::Control> execute = program.WaitControl(title, "Execute");
    ASSERT_TRUE(execute);
    program.Click(*execute);
    ASSERT_TRUE(program.WaitGone(title));
}

void type_text(const std::string& text) {
    std::string quoted;
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    run("xdotool type --delay 20 -- '" + quoted + "'");
}

std::vector<std::string> stacking_order() {
    // xwininfo lists the root's children top first, ids in hexadecimal.
    const std::string tree = run("xwininfo -root -children");
    std::vector<std::string> ids;
    size_t at = 0;
    while ((at = tree.find("\n     0x", at)) != std::string::npos) {
        at += 6;
        ids.insert(ids.begin(), std::to_string(std::strtoul(tree.c_str() + at, nullptr, 16)));
    }
    return ids;
}

bool stands_above(const std::string& upper, const std::string& lower) {
    const std::vector<std::string> order = stacking_order();
    auto up = std::find(order.begin(), order.end(), upper);
    auto low = std::find(order.begin(), order.end(), lower);
    return up != order.end() && low != order.end() && up > low;
}

bool choose_file(const std::string& chooser, const std::string& start, const std::string& name,
                 const std::string& shot) {
    if (!settled_screenshot(chooser, shot)) return false;
    const size_t shown = shown_windows();
    keys(chooser, start);
    type_text(name);
    if (!settled_screenshot(chooser, shot)) return false;
    if (shown_windows() > shown) {
        keys(chooser, "Escape");
        if (!wait_until([&] { return shown_windows() == shown; })) return false;
    }
    keys(chooser, "Return");
    return true;
}

bool settled_screenshot(const std::string& window, const std::string& path,
                        const std::string& differ_from) {
    std::string previous;
    bool settled = wait_until([&] {
        run("import -window " + window + " " + path + " 2>/dev/null");
        std::string now = tn_test::read_text(path);
        bool same = !now.empty() && now == previous &&
                    (differ_from.empty() || now != tn_test::read_text(differ_from));
        previous = now;
        // A window of one colour is one not painted yet (a busy program
        // leaves an exposed window blank for a while), never a settled one.
        return same && run("identify -format %k " + path + " 2>/dev/null") != "1";
    });
    // TN_KEEP_SHOTS=DIR keeps every screenshot for a look after the run.
    if (const char* keep = std::getenv("TN_KEEP_SHOTS")) {
        std::error_code ignored;
        fs::copy_file(path, fs::path(keep) / fs::path(path).filename(),
                      fs::copy_options::overwrite_existing, ignored);
    }
    return settled;
}

void expect_region_matches(const std::string& shot, const std::string& region,
                           const std::string& name) {
    const std::string cut = fs::path(shot).replace_filename("region-" + name).string();
    run("convert " + shot + " -crop " + region + " +repage " + cut);
    tn_test::expect_matches_reference(cut, "shell/" + name);
}

// --- the pointer ----------------------------------------------------------------------------

ScreenPoint pointer_location() {
    std::string shape = run("xdotool getmouselocation --shell");
    ScreenPoint p;
    size_t x = shape.find("X="), y = shape.find("\nY=");
    if (x != std::string::npos) p.x = std::atoi(shape.c_str() + x + 2);
    if (y != std::string::npos) p.y = std::atoi(shape.c_str() + y + 3);
    return p;
}

void pointer_to(ScreenPoint at) {
    run("xdotool mousemove " + std::to_string(at.x) + " " + std::to_string(at.y));
}

void glide(ScreenPoint to) {
    // Motion events on the way, as a hand gives them.
    const ScreenPoint from = pointer_location();
    std::string steps;
    for (int i = 1; i <= 4; ++i)
        steps += " mousemove " + std::to_string(from.x + (to.x - from.x) * i / 4) + " " +
                 std::to_string(from.y + (to.y - from.y) * i / 4) + " sleep 0.03";
    run("xdotool" + steps);
}

void click(ScreenPoint at, int button) {
    glide(at);
    run("xdotool sleep 0.05 click " + std::to_string(button) + " sleep 0.1");
}

void double_click(ScreenPoint at) {
    glide(at);
    run("xdotool sleep 0.05 click --repeat 2 --delay 80 1 sleep 0.1");
}

void drag(ScreenPoint from, ScreenPoint to, const std::string& modifier) {
    glide(from);
    if (!modifier.empty()) run("xdotool keydown " + modifier);
    run("xdotool sleep 0.05 mousedown 1 sleep 0.05");
    glide(ScreenPoint{(from.x + to.x) / 2, (from.y + to.y) / 2});
    glide(to);
    run("xdotool sleep 0.05 mouseup 1 sleep 0.05");
    if (!modifier.empty()) run("xdotool keyup " + modifier);
}

bool jump_to_bookmark(const std::string& frame, const char* letter, ScreenPoint* at) {
    const ScreenPoint away{1, 1};
    pointer_to(away);
    menu(frame, "alt+e j", letter);
    return wait_until([&] {
        *at = pointer_location();
        return at->x != away.x || at->y != away.y;
    });
}

bool ScreenMap::Calibrate(const std::string& frame, Point mark_a, Point mark_b) {
    ScreenPoint a, b;
    if (!jump_to_bookmark(frame, "a", &a) || !jump_to_bookmark(frame, "b", &b) ||
        mark_a.x == mark_b.x || mark_a.y == mark_b.y)
        return false;
    sx_ = double(b.x - a.x) / (mark_b.x - mark_a.x);
    sy_ = double(b.y - a.y) / (mark_b.y - mark_a.y);
    ox_ = a.x - sx_ * mark_a.x;
    oy_ = a.y - sy_ * mark_a.y;
    return sx_ > 0 && sy_ > 0;
}

std::optional<Point> status_position(Program& program) {
    for (const tn_test::Control& c : program.Windows()) {
        if (c.kind.find("StatusBar") == std::string::npos) continue;
        const size_t at = c.value.find("X:");
        int x = 0, y = 0;
        if (at != std::string::npos && std::sscanf(c.value.c_str() + at, "X:%d Y:%d", &x, &y) == 2)
            return Point{x, y};
    }
    return std::nullopt;
}

bool ScreenMap::CalibrateByJump(Program& program, const std::string& frame, Point a, Point b) {
    const char* const title = "Tessaron: Jump XY Position";
    ScreenPoint at[2];
    const Point world[2] = {a, b};
    for (int i = 0; i < 2; ++i) {
        menu(frame, "alt+e j", "x");  // Edit > Jump > XY Pos...
        if (!settled_window(program, title)) return false;
        auto x = program.WaitControl(title, "X Position:");
        auto y = program.WaitControl(title, "Y Position:");
        auto jump = program.WaitControl(title, "Jump");
        if (!x || !y || !jump) return false;
        program.TypeInto(*x, std::to_string(world[i].x));
        program.TypeInto(*y, std::to_string(world[i].y));
        program.Click(*jump);
        if (!program.WaitGone(title)) return false;
        // The pointer leaves the button for the point.
        if (!wait_until([&] {
                at[i] = pointer_location();
                return std::abs(at[i].x - jump->centre_x()) > 2 ||
                       std::abs(at[i].y - jump->centre_y()) > 2;
            })) {
            ADD_FAILURE() << "the pointer stayed on the Jump button";
            return false;
        }
    }
    if (a.x == b.x || a.y == b.y) return false;
    sx_ = double(at[1].x - at[0].x) / (b.x - a.x);
    sy_ = double(at[1].y - at[0].y) / (b.y - a.y);
    ox_ = at[0].x - sx_ * a.x;
    oy_ = at[0].y - sy_ * a.y;
    return sx_ > 0 && sy_ > 0;
}

namespace {

// The grid point nearest a world point (halves away from zero).
Point snapped(Point world, int32_t grid) {
    auto snap = [&](int32_t c) {
        const int32_t q = (std::abs(c) + grid / 2) / grid * grid;
        return c < 0 ? -q : q;
    };
    return Point{snap(world.x), snap(world.y)};
}

}  // namespace

bool ScreenMap::Aim(Program& program, Point world, int32_t grid) const {
    const Point target = snapped(world, grid);
    auto shows = [&](Point p) {
        return wait_until([&] {
            std::optional<Point> shown = status_position(program);
            return shown && *shown == p;
        });
    };
    // A move is known to be taken in once the status line leaves what it
    // showed before it: a point the status line shows already is reached
    // by way of one two steps beside it. The pointer moves on only once
    // the program has taken in the move before (a toolkit that has not yet
    // answered one motion may let the next pass unseen).
    std::optional<Point> now = status_position(program);
    if (!now || *now == target) {
        const Point beside{world.x + 2 * grid, world.y};
        pointer_to((*this)(beside));
        if (!shows(snapped(beside, grid))) return false;
    }
    pointer_to((*this)(world));
    return shows(target);
}

ScreenPoint ScreenMap::operator()(Point world) const {
    return ScreenPoint{static_cast<int>(std::lround(ox_ + sx_ * world.x)),
                       static_cast<int>(std::lround(oy_ + sy_ * world.y))};
}

void write_with_bookmarks(const std::string& from, const std::string& to,
                          const std::vector<Point>& marks) {
    Schema* schema = nullptr;
    ASSERT_EQ(load_schema_file(&schema, from.c_str()), 0) << from;
    for (size_t i = 0; i < marks.size(); ++i)
        view_set_tag(&schema->view, static_cast<int>(i), marks[i]);
    EXPECT_EQ(save_schema_file(schema, to.c_str(), false), 0) << to;
    close_schema(nullptr, &schema);
}

// --- the fixture ---------------------------------------------------------------------------

namespace {

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace

void ProgramTest::SetUp() {
    config_init();
    config_init_keys();
    if (!lib_list) init_Libraries();
    set_message_formatter(error_message);
    config_write_flag = 0;
    proper_set(COMPSHEET_HIER, 1, BAK_FILE, 0);
    config_dir = dir.file("config");
    fs::create_directories(config_dir);
    ASSERT_TRUE(tn_test::program_tools_installed());
    ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
}

std::string ProgramTest::every_item_sheet() {
    const std::string data = TN_TEST_DATA_DIR;
    std::string source = tn_test::read_text(data + "/render/every_item.asc");
    const std::string mark = "@DATA@";
    for (size_t at; (at = source.find(mark)) != std::string::npos;)
        source.replace(at, mark.size(), data + "/render");
    return compiled_sheet("every_item", source);
}

std::string ProgramTest::compiled_sheet(const std::string& name, const std::string& source) {
    std::string asc = dir.file(name + ".asc"), sheet = dir.file(name + ".sch");
    tn_test::write_text(asc, source);
    EXPECT_EQ(compile_sheets(asc.c_str(), sheet.c_str(), nullptr, nullptr, report), 0);
    return sheet;
}

std::string ProgramTest::example_sheet(const std::vector<Point>& marks) {
    const fs::path examples = TN_EXAMPLES_DIR;
    for (const char* name : {"amplifier.sch", "parts.clb"})
        fs::copy_file(examples / name, dir.path() / name, fs::copy_options::overwrite_existing);
    const std::string root = dir.file("root.sch");
    write_with_bookmarks((examples / "root.sch").string(), root, marks);
    return root;
}

void ProgramTest::write_ini(const std::vector<std::string>& lines) {
    std::string text = "[TESSARON]\n";
    for (const std::string& line : lines) text += line + "\n";
    fs::create_directories(fs::path(config_dir) / "tessaron");
    tn_test::write_text((fs::path(config_dir) / "tessaron" / "Quib.ini").string(), text);
}

std::string ProgramTest::ini_text() const {
    const fs::path ini = fs::path(config_dir) / "tessaron" / "Quib.ini";
    std::error_code ec;
    return fs::exists(ini, ec) ? tn_test::read_text(ini.string()) : std::string();
}

void ExampleProgram::Open(const std::vector<std::string>& more_args) {
    sheet = example_sheet({marks[0], marks[1]});
    std::vector<std::string> args = {sheet};
    args.insert(args.end(), more_args.begin(), more_args.end());
    StartOn(args);
}

void ExampleProgram::OpenExampleSheet(const std::string& name) {
    example_sheet();
    sheet = dir.file(name);
    write_with_bookmarks((fs::path(TN_EXAMPLES_DIR) / name).string(), sheet, {marks[0], marks[1]});
    StartOn({sheet});
}

void ExampleProgram::OpenSource(const std::string& name, const std::string& source) {
    const std::string compiled = compiled_sheet(name + "_source", source);
    sheet = dir.file(name + ".sch");
    write_with_bookmarks(compiled, sheet, {marks[0], marks[1]});
    StartOn({sheet});
}

std::string ExampleProgram::WaitStatus(const std::string& text) {
    auto bar = program.WaitFor(
        [&](const std::vector<tn_test::Control>& all) -> std::optional<tn_test::Control> {
            for (const tn_test::Control& c : all)
                if (c.kind.find("StatusBar") != std::string::npos &&
                    c.value.find(text) != std::string::npos)
                    return c;
            return std::nullopt;
        },
        "the status line showing \"" + text + "\"");
    return bar ? bar->value : std::string();
}

void ExampleProgram::StartOn(const std::vector<std::string>& args) {
    program.Start(args, dir.path().string());
    frame = wait_started(program);
    ASSERT_FALSE(frame.empty()) << "the main frame never appeared";
    // The sheet fits its view at its first paint, which a busy machine may
    // delay: the bookmarks are jumped to once the picture has settled.
    ASSERT_TRUE(settled_screenshot(frame, dir.file("opened.png")));
    ASSERT_TRUE(map.Calibrate(frame, marks[0], marks[1])) << "the bookmarks moved no pointer";
}

void ExampleProgram::OpenMarked(Point a, Point b) {
    marks[0] = a;
    marks[1] = b;
    Open();
}

std::string ExampleProgram::Shot(const std::string& name, const std::string& differ_from) {
    std::string path = dir.file(name);
    EXPECT_TRUE(settled_screenshot(frame, path, differ_from));
    return path;
}

int ExampleProgram::CountSaved(const std::function<bool(SchItem*)>& count) const {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, sheet.c_str()) != 0) return -1;
    int n = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) n += count(item);
    close_schema(nullptr, &schema);
    return n;
}

int ExampleProgram::PlacedParts(const std::string& part) const {
    return CountSaved([&](SchItem* item) {
        if (item->type != PARTLIB_ITEM) return false;
        // "library/part", with "@version" when the library's part changed.
        std::string name = as_PlacedPart(item)->part_name.get();
        name = name.substr(0, name.find('@'));
        return name.size() >= part.size() + 1 &&
               name.compare(name.size() - part.size() - 1, part.size() + 1, "/" + part) == 0;
    });
}

int ExampleProgram::Junctions() const {
    return CountSaved([](SchItem* item) { return item->type == JUNCTION_ITEM; });
}

std::vector<std::vector<std::string>> nets_of(const std::string& file) {
    std::vector<std::vector<std::string>> nets;
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return nets;
    NetContext* context = new_NetContext();
    if (build_sheet_nets(context, schema) == 0) {
        for (Ident* head : list_items<Ident>(context->islands)) {
            std::vector<std::string> members;
            for (SchItem* m = head->nextconn; m; m = m->next) {
                const PseudoPin* pp = as_PseudoPin(m);
                const SchItem* at = pp->father ? pp->father : pp->whoami;
                std::string member = std::to_string(at ? at->type : 0) + "@" +
                                     std::to_string(at ? at->pos.x : 0) + "," +
                                     std::to_string(at ? at->pos.y : 0);
                if (pp->pin) member += ":" + std::string(pp->pin->name.get());
                members.push_back(member);
            }
            std::sort(members.begin(), members.end());
            nets.push_back(members);
        }
    }
    free_NetContext(schema, context);
    close_schema(nullptr, &schema);
    std::sort(nets.begin(), nets.end());
    return nets;
}

std::string member(Point part, const char* pin) {
    return "10@" + std::to_string(part.x) + "," + std::to_string(part.y) + ":" + pin;
}

std::vector<std::string> net_holding(const std::string& file, const std::string& one) {
    for (const std::vector<std::string>& net : nets_of(file))
        if (std::count(net.begin(), net.end(), one)) return net;
    return {};
}

bool holds(const std::vector<std::string>& net, const std::string& one) {
    return std::count(net.begin(), net.end(), one) > 0;
}

int slanted_wires(const std::string& file) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return -1;
    int slanted = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != LINE_ITEM || (item->flags & STYLE_MASK) == DRAW) continue;
        const Line* line = as_Line(item);
        slanted += line->pos.x != line->end.x && line->pos.y != line->end.y;
    }
    close_schema(nullptr, &schema);
    return slanted;
}

int ExampleProgram::Nets(const std::string& file) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return -1;
    NetContext* context = new_NetContext();
    int nets = build_sheet_nets(context, schema) == 0 && context->islands
                   ? static_cast<int>(context->islands->count)
                   : -1;
    free_NetContext(schema, context);
    close_schema(nullptr, &schema);
    return nets;
}

// --- a user's session -------------------------------------------------------------------------
using tn_test::Control;

void NewUserProgram::SetUp() {
    ASSERT_NO_FATAL_FAILURE(ProgramTest::SetUp());
    ASSERT_TRUE(tn_test::tool_installed("ngspice"));
    ASSERT_TRUE(tn_test::tool_installed("openbox"));
    fs::create_directories(dir.path() / "home");
}

void NewUserProgram::TearDown() {
    if (!HasFailure() || !program.Running()) return;
    std::fprintf(stderr, "The program's windows:\n%s\nIts log:\n%s\n", Listing().c_str(),
                 program.LogText().c_str());
    if (const char* keep = std::getenv("TN_KEEP_SHOTS"))
        run(std::string("import -window root ") + keep + "/" +
            testing::UnitTest::GetInstance()->current_test_info()->name() + "_failed.png");
}

void NewUserProgram::StartAsNewUser(const std::vector<std::string>& args,
                                    const std::string& working_dir) {
    ASSERT_TRUE(WindowManager().running()) << "no window manager (openbox) started";
    program.StartAsNewUser(args, working_dir, (dir.path() / "home").string());
    ASSERT_NO_FATAL_FAILURE(Answer("Tip of the Day", "&Close"));
    frame = program.WaitWindow("Tessaron Schematic Editor");
    ASSERT_FALSE(frame.empty());
}

void NewUserProgram::CopyExampleProject() {
    examples = dir.path() / "project" / "build" / "examples";
    fs::create_directories(examples);
    for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
        fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, examples / file);
}

void NewUserProgram::StartInProject() {
    StartAsNewUser({"build/examples/root.sch"}, (dir.path() / "project").string());
}

std::string NewUserProgram::project_file(const char* name) const {
    return (examples / name).string();
}

std::optional<Control> NewUserProgram::Find(const std::function<bool(const Control&)>& pick,
                                            const std::string& what) {
    return program.WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (pick(c)) return c;
            return std::nullopt;
        },
        what);
}

std::optional<Control> NewUserProgram::Nth(const std::string& window, const std::string& kind,
                                           int n) {
    return nth_control(program, window, kind, n);
}

void NewUserProgram::Press(const std::string& window, const std::string& label) {
    auto control = program.WaitControl(window, label);
    ASSERT_TRUE(control) << label << " in " << window << "\n" << Listing();
    program.Click(*control);
}

void NewUserProgram::Choose(const std::string& window, const std::string& label, int entry) {
    auto choice = program.WaitControl(window, label);
    ASSERT_TRUE(choice) << label;
    program.Click(*choice);
    std::string keys_typed = "Home";
    for (int i = 0; i < entry; ++i) keys_typed += " Down";
    program.Keys(keys_typed + " Return");
}

void NewUserProgram::Pick(const std::string& window, const std::string& label, int entry,
                          int entries, const std::string& shown) {
    auto box = program.WaitControl(window, label);
    ASSERT_TRUE(box) << label;
    constexpr int caption = 17;
    Control item = *box;
    item.h = (box->h - caption) / entries;
    item.y = box->y + caption + entry * item.h;
    program.Click(item);
    ASSERT_TRUE(program.WaitFor(
        [&](const std::vector<Control>&) -> std::optional<Control> {
            auto now = program.WaitControl(window, label);
            return now && now->value == shown ? now : std::nullopt;
        },
        label + " " + shown))
        << Listing();
}

void NewUserProgram::Type(const std::string& window, const std::string& label,
                          const std::string& text) {
    auto field = program.WaitControl(window, label);
    ASSERT_TRUE(field) << label;
    program.TypeInto(*field, text);
}

void NewUserProgram::ClickAt(Point world, int button) {
    ASSERT_NO_FATAL_FAILURE(Aim(world));
    run("xdotool click " + std::to_string(button));
}

void NewUserProgram::DoubleClickAt(Point world) {
    ASSERT_NO_FATAL_FAILURE(Aim(world));
    run("xdotool click --repeat 2 --delay 120 1");
}

void NewUserProgram::Aim(Point world) {
    if (map.Aim(program, world, grid)) return;
    const std::optional<Point> shown = status_position(program);
    const ScreenPoint at = map(world);
    FAIL() << "the status line never showed " << world.x << "," << world.y << " at " << at.x << ","
           << at.y << " but " << (shown ? shown->x : -1) << "," << (shown ? shown->y : -1) << "\n"
           << Listing();
}

void NewUserProgram::FindSheet(const std::string& tab) {
    ASSERT_TRUE(Find([&](const Control& c) { return c.label == tab; }, "the window " + tab));
    ASSERT_NO_FATAL_FAILURE(Calibrate());
}

void NewUserProgram::Calibrate() {
    ASSERT_TRUE(settled_screenshot(frame, dir.file("sheet.png")));
    ASSERT_TRUE(map.CalibrateByJump(program, frame, calibrate_a, calibrate_b))
        << "Jump XY did not put the pointer on the sheet\n"
        << Listing();
}

std::string NewUserProgram::Listing() {
    std::string text;
    for (const Control& c : program.Windows())
        text += std::string(c.depth * 2, ' ') + c.kind + " \"" + c.label + "\" " +
                std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.w) + "x" +
                std::to_string(c.h) + " [" + c.value.c_str() + "]\n";
    return text;
}

void NewUserProgram::Answer(const std::string& title, const std::string& button) {
    ASSERT_TRUE(settled_window(program, title)) << program.LogText();
    Press(title, button);
    ASSERT_TRUE(program.WaitGone(title));
}

void NewUserProgram::MenuDialog(const std::string& opening, const std::string& then,
                                const std::string& title) {
    menu(frame, opening, then);
    ASSERT_TRUE(settled_window(program, title)) << "no " << title;
}

bool NewUserProgram::LoadPart(const std::string& name) {
    keys(frame, "ctrl+g");
    if (!settled_window(program, "Load Part")) return false;
    auto libraries = Nth("Load Part", "wxListBox", 0);
    if (!libraries) return false;
    Control first_line = *libraries;
    first_line.h = 20;
    program.Click(first_line);
    auto part = program.WaitControl("Load Part", "parts.clb | " + name);
    if (!part) {
        keys(program.WaitWindow("Load Part"), "Escape");
        return false;
    }
    program.Click(*part);
    Press("Load Part", "&OK");
    return program.WaitGone("Load Part");
}

void NewUserProgram::SpiceNetlist(const std::string& deck) {
    const std::string title = "Tessaron: Netlist Output";
    ASSERT_NO_FATAL_FAILURE(MenuDialog("alt+t", "n", title));
    ASSERT_NO_FATAL_FAILURE(Type(title, "Output File:", deck));
    ASSERT_NO_FATAL_FAILURE(Choose(title, "Format:", 3));  // SPICE
    ASSERT_NO_FATAL_FAILURE(Choose(title, "Module:", 1));  // the value
    ASSERT_NO_FATAL_FAILURE(Press(title, "Execute"));
    ASSERT_TRUE(program.WaitGone(title));
}

}  // namespace program_test
