#include "support/program_driver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include <wx/app.h>
#include <wx/ipc.h>

#include "support/test_env.h"

extern char** environ;

namespace tn_test {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The screen of the private display: TN_SCREEN_SIZE ("1400x1000") when
// set, else the size the test program was built for (TN_SCREEN): the
// programs of program tests have different ones, as users' screens do.
std::string screen_size() {
    if (const char* asked = std::getenv("TN_SCREEN_SIZE"); asked && *asked) return asked;
#ifdef TN_SCREEN
    return TN_SCREEN;
#else
    return "1280x1024";
#endif
}

// An X server of this test program's own, so that windows, focus and keys
// of tests running beside it never meet, with a window manager (openbox) as
// a user's desktop has one: it frames, places and focuses the windows. The
// server must not reset when its last client leaves (a program that has
// just ended, each xdotool call): a program or a query that connects
// during the reset finds no display.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string fd = std::to_string(fds[1]);
        std::string screen = screen_size() + "x24";
        char* argv[] = {const_cast<char*>("Xvfb"),
                        const_cast<char*>("-displayfd"),
                        fd.data(),
                        const_cast<char*>("-screen"),
                        const_cast<char*>("0"),
                        screen.data(),
                        const_cast<char*>("-nolisten"),
                        const_cast<char*>("tcp"),
                        const_cast<char*>("-noreset"),
                        nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv, environ) != 0) pid_ = 0;
        close(fds[1]);
        // The server writes its display number once it accepts clients.
        char number[16] = {};
        ssize_t n = pid_ ? read(fds[0], number, sizeof number - 1) : 0;
        close(fds[0]);
        if (n <= 0) return;
        name_ = ":" + std::to_string(std::atoi(number));
        std::string display = "DISPLAY=" + name_;
        char* manager_argv[] = {const_cast<char*>("openbox"), nullptr};
        char* manager_env[] = {display.data(), nullptr};
        if (posix_spawnp(&manager_, "openbox", nullptr, nullptr, manager_argv, manager_env) != 0)
            manager_ = 0;
        // It manages the display once it has announced itself on the root.
        const auto end = std::chrono::steady_clock::now() + program_deadline;
        while (manager_ > 0 && std::chrono::steady_clock::now() < end &&
               run(display + " xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") ==
                   std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~PrivateDisplay() {
        for (pid_t pid : {manager_, pid_}) {
            if (pid <= 0) continue;
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

private:
    static std::string run(const std::string& command) {
        std::string out;
        FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
        if (!pipe) return out;
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
        return out;
    }

    pid_t pid_ = 0, manager_ = 0;
    std::string name_;
};

// A field of a listing line with its escapes undone.
std::string unescaped(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    }
    return out;
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t end; (end = line.find(separator, start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

bool is_label(const Control& c) { return c.kind == "wxStaticText"; }
bool is_container(const Control& c) { return c.kind == "wxPanel" || c.kind == "wxScrolledWindow"; }

// The window titled `title`: a top-level window, else a pane docked in one
// (a window inside whose label it is, not a static label); its place in
// the listing.
std::optional<size_t> titled(const std::vector<Control>& all, const std::string& title) {
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].depth == 0 && all[i].label == title) return i;
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].depth > 0 && all[i].label == title && !is_label(all[i])) return i;
    return std::nullopt;
}

// The controls inside the window titled `title`, or none.
std::optional<std::vector<Control>> window_controls(const std::vector<Control>& all,
                                                    const std::string& title) {
    const std::optional<size_t> at = titled(all, title);
    if (!at) return std::nullopt;
    std::vector<Control> controls;
    for (size_t j = *at + 1; j < all.size() && all[j].depth > all[*at].depth; ++j)
        controls.push_back(all[j]);
    return controls;
}

// The item a label stands for: the nearest control right below it (labels
// above their items) or right of it on its row (labels beside them).
std::optional<Control> labelled_item(const std::vector<Control>& controls, const Control& label) {
    std::optional<Control> best;
    int best_gap = INT_MAX;
    for (const Control& c : controls) {
        if (is_label(c) || is_container(c) || c.w <= 0) continue;
        int gap = INT_MAX;
        if (c.y >= label.y + label.h - 2 && std::abs(c.x - label.x) <= 4)
            gap = c.y - (label.y + label.h);
        else if (c.x >= label.x + label.w - 2 &&
                 std::abs(c.centre_y() - label.centre_y()) <= c.h / 2)
            gap = c.x - (label.x + label.w);
        if (gap < best_gap) {
            best_gap = gap;
            best = c;
        }
    }
    return best;
}

// The program shows a tip of the day at start unless its settings say
// not to; a test that does not ask for it is a user who turned it off, so
// that no tip box takes the keys meant for the frame. The settings then
// name the project folder as well (as every installed file does), so that
// the program reads them.
void tips_off_unless_set(const std::string& config_dir) {
    const fs::path ini = fs::path(config_dir) / "tessaron" / "Quib.ini";
    std::error_code error;
    std::string text = fs::exists(ini, error) ? read_text(ini.string()) : "";
    if (text.find("\nTIPS_SHOW=") != std::string::npos || text.rfind("TIPS_SHOW=", 0) == 0) return;
    std::string added = "TIPS_SHOW=False\n";
    if (text.find("DIR_PROJECT=") == std::string::npos) added += "DIR_PROJECT=..\\demo\n";
    const std::string section = "[TESSARON]\n";
    const size_t at = text.find(section);
    if (at == std::string::npos)
        text = section + added + text;
    else
        text.insert(at + section.size(), added);
    fs::create_directories(ini.parent_path());
    write_text(ini.string(), text);
}

}  // namespace

const std::string& private_display() {
    static PrivateDisplay display;
    return display.name();
}

std::string run_on_display(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + private_display() + " " + command).c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int s = pclose(pipe);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

std::vector<Control> parse_window_listing(const std::string& text) {
    std::vector<Control> controls;
    for (const std::string& line : split(text, '\n')) {
        std::vector<std::string> f = split(line, '\t');
        if (f.size() < 6) continue;
        Control c;
        c.depth = std::atoi(f[0].c_str());
        c.kind = unescaped(f[1]);
        c.label = unescaped(f[2]);
        if (std::sscanf(f[3].c_str(), "%d %d %d %d", &c.x, &c.y, &c.w, &c.h) != 4) continue;
        c.enabled = f[4] == "1";
        c.value = unescaped(f[5]);
        controls.push_back(c);
    }
    return controls;
}

Program::Program(std::string config_dir) : config_(std::move(config_dir)) {}

std::vector<std::string> toolkit_warnings(const std::string& stderr_text) {
    // GLib writes "(program:pid): DOMAIN-LEVEL **: time: message".
    static const char* const domains[] = {"Gtk",  "Gdk",   "GLib-GObject",
                                          "GLib", "Pango", "GdkPixbuf"};
    std::vector<std::string> found;
    for (const std::string& line : split(stderr_text, '\n')) {
        for (const char* domain : domains) {
            const std::string warning = std::string("): ") + domain + "-WARNING **";
            const std::string critical = std::string("): ") + domain + "-CRITICAL **";
            if (line.find(warning) != std::string::npos ||
                line.find(critical) != std::string::npos) {
                found.push_back(line);
                break;
            }
        }
    }
    return found;
}

Program::~Program() {
    Kill();
    for (const std::string& warning : ToolkitWarnings())
        ADD_FAILURE() << "the program's windows made the toolkit warn:\n" << warning;
}

std::vector<std::string> Program::ToolkitWarnings() const {
    const std::string text = Stderr();
    return toolkit_warnings(text.size() > stderr_start_ ? text.substr(stderr_start_) : "");
}

void Program::Start(const std::vector<std::string>& args, const std::string& working_dir) {
    fs::create_directories(config_);
    tips_off_unless_set(config_);
    // Printing goes to files only: the toolkit then never waits for a print
    // server that a test machine has not.
    fs::create_directories(fs::path(config_) / "gtk-3.0");
    const fs::path gtk_settings = fs::path(config_) / "gtk-3.0" / "settings.ini";
    if (!fs::exists(gtk_settings))
        write_text(gtk_settings.string(), "[Settings]\ngtk-print-backends=file\n");
    Launch(args, working_dir, {});
}

void Program::StartAsNewUser(const std::vector<std::string>& args, const std::string& working_dir,
                             const std::string& home) {
    fs::create_directories(config_);
    Launch(args, working_dir, {"HOME=" + home});
}

void Program::Launch(const std::vector<std::string>& args, const std::string& working_dir,
                     const std::vector<std::string>& environment) {
    // The desktop's accessibility bridge stays on: the program runs as a
    // user's does.
    std::vector<std::string> env_text = {"XDG_CONFIG_HOME=" + config_,
                                         "DISPLAY=" + private_display(), "TN_TEST=1"};
    env_text.insert(env_text.end(), environment.begin(), environment.end());
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        const std::string key = v.substr(0, v.find('=') + 1);
        bool replaced = key == "XDG_CONFIG_HOME=" || key == "DISPLAY=" || key == "TN_TEST=";
        for (const std::string& given : environment) replaced |= given.rfind(key, 0) == 0;
        if (!replaced) env_text.push_back(v);
    }
    std::vector<char*> env;
    for (std::string& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    const char* other = std::getenv("TN_PROGRAM_UNDER_TEST");
    const std::string program = other && *other ? other : TN_PROGRAM;
    std::vector<std::string> argv_text = {program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    stderr_path_ = config_ + "/program.stderr";
    {
        std::error_code error;
        const auto size = fs::file_size(stderr_path_, error);
        stderr_start_ = error ? 0 : static_cast<size_t>(size);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!working_dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, working_dir.c_str());
    posix_spawn_file_actions_addopen(&actions, 2, stderr_path_.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    ASSERT_EQ(posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), env.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
}

std::string Program::WaitWindow(const std::string& title) {
    // A window found may be gone before its size is asked (the toolkit makes
    // and drops small helper windows of the same title as it opens a
    // dialog): until one found still stands, the search is made again,
    // for 30 s in all.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::seconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) return "";
        std::string ids =
            run_on_display("timeout " + std::to_string(left) +
                           " xdotool search --all --sync --onlyvisible --pid " +
                           std::to_string(pid_) + " --name '^" + title + "$' 2>/dev/null");
        std::string best;
        long best_area = -1;
        for (const std::string& id : split(ids, '\n')) {
            if (id.empty()) continue;
            std::string shape = run_on_display("xdotool getwindowgeometry --shell " + id);
            size_t w = shape.find("WIDTH="), h = shape.find("HEIGHT=");
            if (w == std::string::npos || h == std::string::npos) continue;
            long area = std::atol(shape.c_str() + w + 6) * std::atol(shape.c_str() + h + 7);
            if (area > best_area) {
                best_area = area;
                best = id;
            }
        }
        if (!best.empty()) return best;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool Program::HasWindow(const std::string& title) {
    return !run_on_display("xdotool search --all --onlyvisible --pid " + std::to_string(pid_) +
                           " --name '^" + title + "$' 2>/dev/null")
                .empty();
}

std::string Program::Stderr() const {
    std::error_code ec;
    return fs::exists(stderr_path_, ec) ? read_text(stderr_path_) : std::string();
}

bool Program::WaitExit(int* status) {
    auto end = Clock::now() + program_deadline;
    while (Clock::now() < end) {
        int s = 0;
        if (waitpid(pid_, &s, WNOHANG) == pid_) {
            pid_ = 0;
            *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
            return true;
        }
        // Not ended yet: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool Program::Running() const { return pid_ > 0 && kill(pid_, 0) == 0; }

void Program::Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
}

std::string Program::Request() {
    wxClient client;
    const wxString service = wxString::FromUTF8(config_ + "/tessaron/running.sock");
    std::unique_ptr<wxConnectionBase> connection(
        client.MakeConnection(wxS("localhost"), service, wxS("tessaron")));
    if (!connection) return {};
    size_t size = 0;
    const void* data = connection->Request(wxS("windows"), &size);
    std::string text =
        data && size > 0 ? std::string(static_cast<const char*>(data), size - 1) : "";
    connection->Disconnect();
    return text;
}

std::vector<Control> Program::Windows() { return parse_window_listing(Request()); }

std::optional<Control> Program::WaitFor(
    const std::function<std::optional<Control>(const std::vector<Control>&)>& found,
    const std::string& what) {
    auto end = Clock::now() + program_deadline;
    while (Clock::now() < end && Running()) {
        if (auto control = found(Windows())) return control;
        // The program has not made it yet: ask again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "never appeared: " << what;
    return std::nullopt;
}

std::optional<Control> Program::WaitTopLevel(const std::string& title) {
    return WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.depth == 0 && c.label == title) return c;
            return std::nullopt;
        },
        "window \"" + title + "\"");
}

std::optional<Control> Program::Pane(const std::string& title) {
    const std::vector<Control> all = Windows();
    const std::optional<size_t> at = titled(all, title);
    if (!at || all[*at].depth == 0) return std::nullopt;
    return all[*at];
}

std::optional<Control> Program::WaitPane(const std::string& title) {
    return WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            const std::optional<size_t> at = titled(all, title);
            if (at && all[*at].depth > 0) return all[*at];
            return std::nullopt;
        },
        "pane \"" + title + "\"");
}

std::optional<Control> Program::WaitControl(const std::string& window, const std::string& label) {
    return WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            auto controls = window_controls(all, window);
            if (!controls) return std::nullopt;
            for (const Control& c : *controls)
                if (!is_label(c) && c.label == label) return c;
            for (const Control& c : *controls)
                if (is_label(c) && c.label == label) return labelled_item(*controls, c);
            return std::nullopt;
        },
        "\"" + label + "\" in \"" + window + "\"");
}

bool Program::WaitGone(const std::string& title) {
    auto end = Clock::now() + program_deadline;
    while (Clock::now() < end && Running()) {
        bool shown = false;
        for (const Control& c : Windows()) shown |= c.depth == 0 && c.label == title;
        if (!shown) return true;
        // Still closing: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return !Running();
}

void Program::Click(const Control& control) {
    run_on_display("xdotool mousemove --sync " + std::to_string(control.centre_x()) + " " +
                   std::to_string(control.centre_y()) + " click 1");
}

void Program::TypeInto(const Control& field, const std::string& text) {
    Click(field);
    run_on_display("xdotool key --delay 40 ctrl+a BackSpace");
    run_on_display("xdotool type --delay 20 '" + text + "'");
}

void Program::Keys(const std::string& sequence) {
    run_on_display("xdotool key --delay 40 " + sequence);
}

namespace {

// The windows shown at the top of the display (a menu's popup among them).
size_t shown_top_windows() {
    const std::string ids =
        run_on_display("xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null");
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), '\n'));
}

}  // namespace

void Program::Menu(const std::string& keys) {
    std::string frame = WaitWindow("Tessaron Schematic Editor");
    run_on_display("xdotool windowfocus --sync " + frame);
    // Alt and a letter open a menu: the keys after it are the menu's, and
    // go out once its popup is shown (a key sent sooner goes to the frame).
    const size_t space = keys.find(' ');
    if (keys.rfind("alt+", 0) == 0 && space != std::string::npos) {
        const size_t before = shown_top_windows();
        run_on_display("xdotool key " + keys.substr(0, space));
        auto end = Clock::now() + program_deadline;
        while (Clock::now() < end && Running() && shown_top_windows() <= before)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        run_on_display("xdotool key --delay 60 " + keys.substr(space + 1));
        return;
    }
    run_on_display("xdotool key --delay 60 " + keys);
}

std::string Program::LogText() {
    auto log = window_controls(Windows(), "Tessaron Log");
    if (!log) return {};
    for (const Control& c : *log)
        if (c.kind == "wxTextCtrl") return c.value;
    return {};
}

bool Program::WaitLog(const std::string& text) {
    auto end = Clock::now() + program_deadline;
    while (Clock::now() < end && Running()) {
        if (LogText().find(text) != std::string::npos) return true;
        // The job is still running: look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool Program::Screenshot(const Control& window, const std::string& path) {
    const std::string crop = std::to_string(window.w) + "x" + std::to_string(window.h) + "+" +
                             std::to_string(window.x) + "+" + std::to_string(window.y);
    std::string previous;
    auto end = Clock::now() + program_deadline;
    while (Clock::now() < end) {
        run_on_display("import -window root -crop " + crop + " +repage " + path + " 2>/dev/null");
        std::string now = read_text(path);
        if (!now.empty() && now == previous) return true;
        previous = now;
    }
    return false;
}

::testing::AssertionResult program_tools_installed() {
    for (const char* tool : {"Xvfb", "openbox", "xprop", "xdotool", "xwininfo", "import", "convert",
                             "compare", "identify", "timeout"}) {
        ::testing::AssertionResult installed = tool_installed(tool);
        if (!installed) return installed;
    }
    return ::testing::AssertionSuccess();
}

void expect_matches_reference(const std::string& picture, const std::string& reference_name) {
    const std::string reference = std::string(TN_TEST_DATA_DIR) + "/" + reference_name;
    const std::string name = fs::path(reference_name).filename().string();
    if (std::getenv("TN_REGENERATE_SHELL")) {
        fs::create_directories(fs::path(reference).parent_path());
        fs::copy_file(picture, reference, fs::copy_options::overwrite_existing);
        return;
    }
    ASSERT_TRUE(fs::exists(reference)) << reference << " missing (TN_REGENERATE_SHELL=1)";
    // Beside the test program: the test's own working directory goes with it.
    const fs::path out = failure_output_dir();
    const std::string base = fs::path(name).stem().string();
    const std::string diff = (out / (base + "-diff.png")).string();
    std::string size = run_on_display("identify -format '%w %h' " + picture + " 2>/dev/null");
    long w = 0, h = 0;
    std::sscanf(size.c_str(), "%ld %ld", &w, &h);
    std::string count = run_on_display("compare -metric AE -fuzz 12% " + reference + " " + picture +
                                       " " + diff + " 2>&1");
    long differing = std::atol(count.c_str());
    const long allowed = w * h / 500;
    // A picture of another size is no match at all.
    EXPECT_TRUE(w > 0 && count.find("differ") == std::string::npos) << name << ": " << count;
    EXPECT_LE(differing, allowed) << name << ": " << count << " pixels differ; see " << diff;
    if (differing <= allowed && count.find("differ") == std::string::npos)
        fs::remove(diff);
    else
        fs::copy_file(picture, out / (base + "-actual.png"), fs::copy_options::overwrite_existing);
}

}  // namespace tn_test
