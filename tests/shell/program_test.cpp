// The real program on the (virtual) display: a sheet of every item kind
// drawn at two zooms, the exit, and a second copy refused.
//
// Reference images live in tests/data/shell/. To regenerate them run the
// tests with TN_REGENERATE_SHELL=1, then look at every image before
// committing it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/program_harness.h"

namespace {

using namespace program_test;

TEST_F(ProgramTest, ASheetOfEveryItemKindIsDrawnAtTwoZoomsAndExitLeavesCleanly) {
    std::string sheet = every_item_sheet();
    Program program(config_dir);
    program.Start({sheet}, dir.path().string());
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
    expect_region_matches(fit, CANVAS_REGION, "every_item_fit.png");

    menu(frame, "alt+v", "i");  // View > Zoom In
    ASSERT_TRUE(settled_screenshot(frame, zoomed, fit)) << "zooming changed nothing";
    expect_region_matches(zoomed, CANVAS_REGION, "every_item_zoom_in.png");

    menu(frame, "alt+f", "x");  // File > Exit: nothing modified, no question
    int status = -1;
    ASSERT_TRUE(program.WaitExit(&status)) << "Exit did not end the program";
    EXPECT_EQ(status, 0);
}

TEST_F(ProgramTest, ASecondCopySaysSoAndLeavesTheFirstRunning) {
    Program first(config_dir);
    first.Start({}, dir.path().string());
    ASSERT_FALSE(first.WaitWindow("Tessaron Schematic Editor").empty());

    Program second(config_dir);
    second.Start({}, dir.path().string());
    std::string warning = second.WaitWindow("WARNING");
    ASSERT_FALSE(warning.empty()) << "the second copy showed no warning";
    keys(warning, "Return");
    int status = -1;
    ASSERT_TRUE(second.WaitExit(&status));
    EXPECT_TRUE(first.Running());
}

// What fails a program test: the toolkit's warnings and criticals, not the
// desktop services' messages nor the toolkit's plain messages.
TEST(ProgramDriver, TheToolkitsWarningsAndCriticalsAreFoundAndNothingElse) {
    const std::string printed =
        "\n(tessaron:101): Gtk-WARNING **: 07:24:40.075: Negative content height -3 "
        "(allocation 1, extents 2x2) while allocating gadget (node entry, owner GtkEntry)\n"
        "\n(tessaron:101): Gtk-CRITICAL **: 07:20:31.157: gtk_box_gadget_distribute: "
        "assertion 'size >= 0' failed in GtkScrollbar\n"
        "(tessaron:101): GLib-GObject-CRITICAL **: 07:20:31.158: g_object_ref: assertion "
        "'G_IS_OBJECT (object)' failed\n"
        "(tessaron:101): dconf-WARNING **: 07:21:00.001: failed to commit changes to dconf\n"
        "(tessaron:101): Gtk-Message: 07:21:00.002: GtkDialog mapped without a transient "
        "parent\n"
        "Assertion failed: a line of the program's own\n";
    const std::vector<std::string> found = tn_test::toolkit_warnings(printed);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_NE(found[0].find("Negative content height"), std::string::npos);
    EXPECT_NE(found[1].find("GtkScrollbar"), std::string::npos);
    EXPECT_NE(found[2].find("GLib-GObject-CRITICAL"), std::string::npos);
}

}  // namespace
