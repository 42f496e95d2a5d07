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

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/items/library.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
using tn_test::Program;
using tn_test::run_on_display;
using Clock = std::chrono::steady_clock;

std::string data_dir() { return TN_TEST_DATA_DIR; }

// A window's place and size on the display: x, y, width, height.
std::vector<long> geometry(const std::string& window) {
    std::string shape = run_on_display("xdotool getwindowgeometry --shell " + window);
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
    run_on_display("xdotool windowfocus --sync " + window + " key --delay 40 " + sequence);
}

// Screenshots of the window until two in a row are equal: the picture has
// settled. `differ_from` (when not empty) must also differ from the result.
bool settled_screenshot(const std::string& window, const std::string& path,
                        const std::string& differ_from = "") {
    std::string previous;
    auto end = Clock::now() + tn_test::program_deadline;
    while (Clock::now() < end) {
        run_on_display("import -window " + window + " " + path + " 2>/dev/null");
        std::string now = tn_test::read_text(path);
        if (!now.empty() && now == previous &&
            (differ_from.empty() || now != tn_test::read_text(differ_from)))
            return true;
        previous = now;
    }
    return false;
}

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

// Compares the canvas area of a screenshot with the reference image.
void expect_matches_reference(const std::string& shot, const std::string& name) {
    const std::string canvas = fs::path(shot).replace_filename("canvas-" + name).string();
    // The canvas of the first child: below the toolbar and the tab, above
    // the status line (the frame is placed and sized by the program).
    run_on_display("convert " + shot + " -crop 980x560+8+120 +repage " + canvas);
    tn_test::expect_matches_reference(canvas, "shell/" + name);
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
        ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
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
