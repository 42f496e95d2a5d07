// The real program's settings and files across runs: what one run leaves in
// its settings is in force in the next, saving asks only where a file would
// be replaced unasked, and the log and the standard error stream tell the
// user what they must read and nothing else.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/program_harness.h"

namespace {

using namespace program_test;
namespace fs = std::filesystem;

TEST_F(ProgramTest, WhatOneRunSetsIsInForceInTheNext) {
    const std::string sheet = example_sheet();
    {
        Program first(config_dir);
        first.Start({sheet}, dir.path().string());
        const std::string frame = wait_started(first);
        ASSERT_FALSE(frame.empty());
        menu(frame, "alt+v", "p");  // View > Part Palette
        EXPECT_TRUE(first.WaitPane("Parts")) << "the palette did not open";
        ASSERT_TRUE(place_window(frame, 40, 30, 900, 650));
        ASSERT_TRUE(exit_program(first, frame));
    }
    EXPECT_NE(ini_text().find("DIR_PROJECT="), std::string::npos) << ini_text();

    Program second(config_dir);
    second.Start({sheet}, dir.path().string());
    const std::string frame = wait_started(second);
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(second.WaitPane("Parts")) << "the palette is closed again";
    EXPECT_TRUE(stands_at(frame, 40, 30, 900, 650)) << "the frame is not where it was left";
}

// The example ready for edits.
class ExampleFiles : public ExampleProgram {
protected:
    // Place > Junction, a click at the point, Esc.
    void PlaceJunction(Point at) {
        keys(frame, "ctrl+j");
        click(map(at));
        keys(frame, "Escape");
    }
};

TEST_F(ExampleFiles, SaveWritesItsOwnFileUnaskedAndSaveAsAsksBeforeReplacingAnother) {
    Open();
    ASSERT_EQ(Junctions(), 1);
    PlaceJunction(Point{30000, 20000});
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return Junctions() == 2 || program.HasWindow("Warning"); }));
    EXPECT_FALSE(program.HasWindow("Warning")) << "Save asked before writing the sheet's own file";
    EXPECT_EQ(Junctions(), 2);

    // Another file that exists is replaced only when the user confirms.
    const std::string other = dir.file("amplifier.sch");
    const std::string before = tn_test::read_text(other);
    if (program.HasWindow("Warning")) keys(program.WaitWindow("Warning"), "Escape");
    menu(frame, "alt+f", "a");
    const std::string chooser = program.WaitWindow("Save Sheet As");
    ASSERT_FALSE(chooser.empty());
    // The chooser opens in the sheet's folder.
    ASSERT_TRUE(choose_file(chooser, "ctrl+a", "amplifier.sch", dir.file("chooser.png")));
    const std::string warning = program.WaitWindow("Warning");
    EXPECT_FALSE(warning.empty()) << "Save As replaced another file unasked";
    if (!warning.empty()) keys(warning, "Escape");
    EXPECT_EQ(tn_test::read_text(other), before);
}

// After a job the keys go to the sheet again, not to the log it wrote
// into: Ctrl+S saves the sheet without a click on it first.
TEST_F(ExampleFiles, AfterAJobCtrlSSavesTheSheet) {
    Open();
    PlaceJunction(Point{30000, 20000});
    execute_tool(program, frame, "n", "Tessaron: Netlist Output");
    // Asked about the change not saved: No, the job reads the saved files
    // and the sheet stays changed.
    ASSERT_TRUE(wait_until([&] {
        return program.HasWindow("Please Confirm") ||
               program.LogText().find("Done.") != std::string::npos;
    })) << program.LogText();
    if (program.HasWindow("Please Confirm")) keys(program.WaitWindow("Please Confirm"), "alt+n");
    ASSERT_TRUE(program.WaitLog("Done.")) << program.LogText();
    program.Keys("ctrl+s");  // to whichever window has the keyboard now
    EXPECT_TRUE(wait_until([&] { return Junctions() == 2; })) << "Ctrl+S did not reach the sheet";
}

// The log pane, open, closed by its close button, as a user leaves it
// after reading it.
void close_log(Program& program, const std::string& frame) {
    menu(frame, "alt+w", "l");  // Window > Log Window
    const std::optional<tn_test::Control> close = program.WaitControl("Tessaron Log", "\u00d7");
    ASSERT_TRUE(close);
    program.Click(*close);
    ASSERT_TRUE(wait_until([&] { return !program.Pane("Tessaron Log"); }));
    pointer_to(ScreenPoint{1, 1});  // no tool-tip of the close button left
}

// A line the user must read brings the log pane back below the drawing.
TEST_F(ProgramTest, TheLogComesBackWithMissingHelp) {
    // A copy of the program installed without its help book.
    const std::filesystem::path alone = std::filesystem::path(dir.path()) / "bin" / "tessaron";
    std::filesystem::create_directories(alone.parent_path());
    std::filesystem::copy_file(TN_PROGRAM, alone);
    const char* other = std::getenv("TN_PROGRAM_UNDER_TEST");
    if (!other || !*other) setenv("TN_PROGRAM_UNDER_TEST", alone.c_str(), 1);
    Program program(config_dir);
    program.Start({example_sheet()}, dir.path().string());
    if (!other || !*other) unsetenv("TN_PROGRAM_UNDER_TEST");
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    close_log(program, frame);

    keys(frame, "F1");  // Help > Contents, and no help book is installed
    const std::optional<tn_test::Control> log = program.WaitPane("Tessaron Log");
    ASSERT_TRUE(log) << "the log stayed hidden";
    ASSERT_TRUE(program.WaitLog("Help is not installed"));
    const std::string shot = dir.file("log.png");
    ASSERT_TRUE(settled_screenshot(frame, shot));
    const std::vector<long> f = geometry(frame);
    expect_region_matches(shot,
                          std::to_string(log->w) + "x" + std::to_string(log->h) + "+" +
                              std::to_string(log->x - f[0]) + "+" + std::to_string(log->y - f[1]),
                          "log_help_missing.png");
}

// A job's error brings it back too: the OrCAD conversion of a library
// source that is not there.
TEST_F(ProgramTest, TheLogComesBackWithAJobsError) {
    const std::string missing = dir.file("missing.lib");
    write_ini({"DIR_PROJECT=" + dir.path().string(), "SDT_LIBRARY=True", "SDT_LIBFILE=" + missing,
               "SDT_SCHFILE="});
    Program program(config_dir);
    program.Start({example_sheet()}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    close_log(program, frame);

    execute_tool(program, frame, "o", "Tessaron: OrCAD Converter ");
    EXPECT_TRUE(program.WaitPane("Tessaron Log")) << "the log stayed hidden";
    ASSERT_TRUE(program.WaitLog("*** ERROR")) << program.LogText();
    EXPECT_NE(program.LogText().find(missing), std::string::npos) << program.LogText();
}

// The toolkit has nothing to complain about while the program starts and a
// sheet opens in a second tab, with a window manager and without.
void expect_no_toolkit_warnings(const std::string& config_dir, const std::string& sheet,
                                const std::string& work_dir) {
    Program program(config_dir);
    program.Start({sheet}, work_dir);
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    const std::string one = work_dir + "/one.png", two = work_dir + "/two.png";
    ASSERT_TRUE(settled_screenshot(frame, one));
    keys(frame, "ctrl+n");  // File > New Sheet: a second tab
    ASSERT_TRUE(settled_screenshot(frame, two, one));
    menu(frame, "alt+f", "x");
    int status = -1;
    ASSERT_TRUE(program.WaitExit(&status));
    EXPECT_EQ(program.Stderr().find("Gtk-"), std::string::npos) << program.Stderr();
}

TEST_F(ProgramTest, NoToolkitWarningsAtStartOrWhenATabOpens) {
    expect_no_toolkit_warnings(config_dir, example_sheet(), dir.path().string());
}

TEST_F(ProgramTest, NoToolkitWarningsUnderAWindowManager) {
    WindowManager manager;
    if (!manager.running()) GTEST_SKIP() << "no window manager (openbox) to start";
    expect_no_toolkit_warnings(config_dir, example_sheet(), dir.path().string());
}

// A window manager frames a dialog only as it is shown: a dialog whose
// buttons fill its height (Edit > Jump > XY Pos) keeps the area that holds
// them, opened once and again, and the toolkit never lays a button out in
// less room than it needs.
TEST_F(ProgramTest, ADialogFramedByAWindowManagerKeepsRoomForItsButtons) {
    WindowManager manager;
    ASSERT_TRUE(manager.running()) << "no window manager (openbox) started";
    Program program(config_dir);
    program.Start({example_sheet()}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    const char* const title = "Tessaron: Jump XY Position";
    for (int opening = 0; opening < 2; ++opening) {
        menu(frame, "alt+e j", "x");
        const std::optional<tn_test::Control> dialog = settled_window(program, title);
        ASSERT_TRUE(dialog);
        auto help = program.WaitControl(title, "Help");
        ASSERT_TRUE(help);
        EXPECT_LE(help->y + help->h, dialog->y + dialog->h) << "Help lies outside the dialog";
        EXPECT_GE(help->h, 20) << "Help was squeezed";
        keys(program.WaitWindow(title), "Escape");
        ASSERT_TRUE(program.WaitGone(title));
    }
    EXPECT_TRUE(exit_program(program, frame));
    EXPECT_TRUE(program.ToolkitWarnings().empty()) << program.Stderr();
}

}  // namespace
