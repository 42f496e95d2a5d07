// The sheet editor of the real program on the example, as a user meets it:
// pointer and keys on the display, the result read back from the saved
// sheet or seen on the screen.
//
// Reference images live in tests/data/shell/ (TN_REGENERATE_SHELL=1 writes
// them; look at every image before committing it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/program_harness.h"

namespace {

using namespace program_test;

const char* const frame_title = "Tessaron Schematic Editor";

// Points of the example sheet: its bookmarks, R1 and the junction.
constexpr Point mark_a{10000, 10000};
constexpr Point mark_b{38000, 22000};
constexpr Point junction{21000, 14000};

class ExampleEditing : public ProgramTest {
protected:
    // Starts the program on the example root sheet and finds where the
    // sheet lies on the screen.
    void Open(const std::vector<std::string>& more_args = {}) {
        sheet = example_sheet({mark_a, mark_b});
        std::vector<std::string> args = {sheet};
        args.insert(args.end(), more_args.begin(), more_args.end());
        program.Start(args);
        frame = program.WaitWindow(frame_title);
        ASSERT_FALSE(frame.empty()) << "the main frame never appeared";
        ASSERT_TRUE(map.Calibrate(frame, mark_a, mark_b)) << "the bookmarks moved no pointer";
    }
    std::string Shot(const std::string& name, const std::string& differ_from = "") {
        std::string path = dir.file(name);
        EXPECT_TRUE(settled_screenshot(frame, path, differ_from));
        return path;
    }

    Program program{dir.file("config"), dir.path().string()};
    std::string sheet;
    std::string frame;
    ScreenMap map;
};

TEST_F(ExampleEditing, TheStatusLineShowsWhereThePointerIs) {
    Open();
    glide(map(junction));
    expect_region_matches(Shot("position.png"), "190x20+710+699", "status_position.png");
}

}  // namespace
