// The real program on the (virtual) display: started on fixture sheets,
// driven with real key events (xdotool), looked at with screenshots
// (ImageMagick's import) compared with reviewed reference images, stopped
// through its menu. Every wait is for something the program does (a window
// appears, the picture settles, the process ends), bounded by a deadline.
//
// Reference images live in tests/data/shell/. To regenerate them run the
// tests with TN_REGENERATE_SHELL=1, then look at every image before
// committing it.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/items/library.h"
#include "support/test_env.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The deadline of every wait: far beyond what a healthy run needs.
constexpr auto deadline = std::chrono::seconds(30);

std::string data_dir() { return TN_TEST_DATA_DIR; }

// The program and the tools run on an X display of this test program's own,
// so that windows, focus and keys of tests running beside it never meet.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string fd = std::to_string(fds[1]);
        char* argv[] = {const_cast<char*>("Xvfb"),
                        const_cast<char*>("-displayfd"),
                        fd.data(),
                        const_cast<char*>("-screen"),
                        const_cast<char*>("0"),
                        const_cast<char*>("1280x1024x24"),
                        const_cast<char*>("-nolisten"),
                        const_cast<char*>("tcp"),
                        nullptr};
        if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, argv, environ) != 0) pid_ = 0;
        close(fds[1]);
        // The server writes its display number once it accepts clients.
        char number[16] = {};
        ssize_t n = pid_ ? read(fds[0], number, sizeof number - 1) : 0;
        close(fds[0]);
        if (n > 0) name_ = ":" + std::to_string(std::atoi(number));
    }
    ~PrivateDisplay() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = 0;
    std::string name_;
};

PrivateDisplay& display() {
    static PrivateDisplay d;
    return d;
}

// Runs a shell command on the private display; its standard output, and its
// status in *status.
std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(("DISPLAY=" + display().name() + " " + command).c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int s = pclose(pipe);
    if (status) *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

// One run of the program with a configuration directory of its own.
class Program {
public:
    explicit Program(const std::string& config_dir) : config_(config_dir) {}
    ~Program() { Kill(); }

    void Start(const std::vector<std::string>& args) {
        std::vector<std::string> env_text = {"XDG_CONFIG_HOME=" + config_, "NO_AT_BRIDGE=1",
                                             "DISPLAY=" + display().name()};
        for (char** e = environ; *e; ++e) {
            std::string v = *e;
            if (v.rfind("XDG_CONFIG_HOME=", 0) != 0 && v.rfind("DISPLAY=", 0) != 0)
                env_text.push_back(v);
        }
        std::vector<char*> env;
        for (std::string& v : env_text) env.push_back(v.data());
        env.push_back(nullptr);
        std::vector<std::string> argv_text = {TN_PROGRAM};
        argv_text.insert(argv_text.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : argv_text) argv.push_back(a.data());
        argv.push_back(nullptr);
        ASSERT_EQ(posix_spawn(&pid_, TN_PROGRAM, nullptr, nullptr, argv.data(), env.data()), 0);
    }

    // The id of the first visible window titled exactly `title`, waiting for
    // it to appear; empty when it never did.
    // Only this process's windows count. The toolkit makes small helper
    // windows with the same title: the largest is the frame.
    std::string WaitWindow(const std::string& title) {
        std::string ids = run("timeout 30 xdotool search --all --sync --onlyvisible --pid " +
                              std::to_string(pid_) + " --name '^" + title + "$' 2>/dev/null");
        std::string best;
        long best_area = -1;
        size_t start = 0;
        for (size_t end; (end = ids.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string id = ids.substr(start, end - start);
            std::string shape = run("xdotool getwindowgeometry --shell " + id);
            size_t w = shape.find("WIDTH="), h = shape.find("HEIGHT=");
            if (w == std::string::npos || h == std::string::npos) continue;
            long area = std::atol(shape.c_str() + w + 6) * std::atol(shape.c_str() + h + 7);
            if (area > best_area) {
                best_area = area;
                best = id;
            }
        }
        return best;
    }

    // True when the process ended (within the deadline); *status its exit status.
    bool WaitExit(int* status) {
        auto end = Clock::now() + deadline;
        while (Clock::now() < end) {
            int s = 0;
            pid_t r = waitpid(pid_, &s, WNOHANG);
            if (r == pid_) {
                pid_ = 0;
                *status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
                return true;
            }
            // Not ended yet: look again shortly.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    bool Running() const { return pid_ > 0 && kill(pid_, 0) == 0; }

    void Kill() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    std::string config_;
    pid_t pid_ = 0;
};

// A window's place and size on the display: x, y, width, height.
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

// Real key events to the window, focused first (there is no window manager;
// the display is this program's own).
void keys(const std::string& window, const std::string& sequence) {
    run("xdotool windowfocus --sync " + window + " key --delay 40 " + sequence);
}

// Screenshots of the window until two in a row are equal: the picture has
// settled. `differ_from` (when not empty) must also differ from the result.
bool settled_screenshot(const std::string& window, const std::string& path,
                        const std::string& differ_from = "") {
    std::string previous;
    auto end = Clock::now() + deadline;
    while (Clock::now() < end) {
        run("import -window " + window + " " + path + " 2>/dev/null");
        std::string now = tn_test::read_text(path);
        if (!now.empty() && now == previous &&
            (differ_from.empty() || now != tn_test::read_text(differ_from)))
            return true;
        previous = now;
    }
    return false;
}

// Compares the canvas area of a screenshot with the reference image,
// tolerating antialiasing: a pixel counts when its colour differs by more
// than the fuzz, and a few such pixels are allowed. On a failure the actual
// image and the difference image (<name>-actual.png, <name>-diff.png) are
// written beside the test program.
void expect_matches_reference(const std::string& shot, const std::string& name) {
    const std::string canvas = fs::path(shot).replace_filename("canvas-" + name).string();
    // The canvas of the first child: below the toolbar and the tab, above
    // the status line (the frame is placed and sized by the program).
    run("convert " + shot + " -crop 980x560+8+120 +repage " + canvas);
    const std::string reference = data_dir() + "/shell/" + name;
    if (std::getenv("TN_REGENERATE_SHELL")) {
        fs::copy_file(canvas, reference, fs::copy_options::overwrite_existing);
        return;
    }
    ASSERT_TRUE(fs::exists(reference)) << reference << " missing (TN_REGENERATE_SHELL=1)";
    // Beside the test program: the test's own working directory goes with it.
    const fs::path out = tn_test::failure_output_dir();
    const std::string base = fs::path(name).stem().string();
    const std::string diff = (out / (base + "-diff.png")).string();
    int status = 0;
    std::string count = run(
        "compare -metric AE -fuzz 12% " + reference + " " + canvas + " " + diff + " 2>&1", &status);
    long differing = std::atol(count.c_str());
    // 0.2 % of the canvas: antialiased edges, never a missing item.
    EXPECT_LE(differing, 980L * 560 / 500)
        << name << ": " << count << " pixels differ; see " << diff;
    if (differing <= 980L * 560 / 500)
        fs::remove(diff);
    else
        fs::copy_file(canvas, out / (base + "-actual.png"), fs::copy_options::overwrite_existing);
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override {
        config_init();
        config_init_keys();
        if (!lib_list) init_Libraries();
        set_message_formatter(error_message);
        config_write_flag = 0;
        proper_set(COMPSHEET_HIER, 1, BAK_FILE, 0);
        config_dir = dir.file("config");
        fs::create_directories(config_dir);
        for (const char* tool : {"Xvfb", "xdotool", "import", "convert", "compare"})
            ASSERT_TRUE(tn_test::tool_installed(tool));
        ASSERT_FALSE(display().name().empty()) << "no private X display (Xvfb)";
    }

    // The every-item fixture of the drawing tests, compiled into the
    // temporary directory.
    std::string every_item_sheet() {
        std::string source = tn_test::read_text(data_dir() + "/render/every_item.asc");
        const std::string mark = "@DATA@";
        for (size_t at; (at = source.find(mark)) != std::string::npos;)
            source.replace(at, mark.size(), data_dir() + "/render");
        std::string asc = dir.file("every_item.asc"), sheet = dir.file("every_item.sch");
        tn_test::write_text(asc, source);
        EXPECT_EQ(compile_sheets(asc.c_str(), sheet.c_str(), nullptr, nullptr, report), 0);
        return sheet;
    }

    tn_test::TempDir dir;
    std::string config_dir;
};

TEST_F(ProgramTest, ASheetOfEveryItemKindIsDrawnAtTwoZoomsAndExitLeavesCleanly) {
    std::string sheet = every_item_sheet();
    Program program(config_dir);
    program.Start({sheet});
    std::string frame = program.WaitWindow("Tessaron Schematic Editor");
    ASSERT_FALSE(frame.empty()) << "the main frame never appeared";

    // The log window opens in view: beside the frame, not under it.
    std::string log = program.WaitWindow("Tessaron Log");
    ASSERT_FALSE(log.empty()) << "the log window never appeared";
    const std::vector<long> f = geometry(frame), l = geometry(log);
    EXPECT_TRUE(l[0] >= f[0] + f[2] || l[1] >= f[1] + f[3] || l[0] + l[2] <= f[0] ||
                l[1] + l[3] <= f[1])
        << "log at " << l[0] << "," << l[1] << " under the frame";

    std::string fit = dir.file("fit.png"), zoomed = dir.file("zoomed.png");
    ASSERT_TRUE(settled_screenshot(frame, fit));
    expect_matches_reference(fit, "every_item_fit.png");

    keys(frame, "alt+v i");  // View > Zoom In
    ASSERT_TRUE(settled_screenshot(frame, zoomed, fit)) << "zooming changed nothing";
    expect_matches_reference(zoomed, "every_item_zoom_in.png");

    keys(frame, "alt+f x");  // File > Exit: nothing modified, no question
    int status = -1;
    ASSERT_TRUE(program.WaitExit(&status)) << "Exit did not end the program";
    EXPECT_EQ(status, 0);
}

TEST_F(ProgramTest, ASecondCopySaysSoAndLeavesTheFirstRunning) {
    Program first(config_dir);
    first.Start({});
    ASSERT_FALSE(first.WaitWindow("Tessaron Schematic Editor").empty());

    Program second(config_dir);
    second.Start({});
    std::string warning = second.WaitWindow("WARNING");
    ASSERT_FALSE(warning.empty()) << "the second copy showed no warning";
    keys(warning, "Return");
    int status = -1;
    ASSERT_TRUE(second.WaitExit(&status));
    EXPECT_TRUE(first.Running());
}

}  // namespace
