// The real program on the (virtual) display: a sheet of every item kind
// drawn at two zooms, the exit, the log and the palette beside the drawing,
// and a second copy refused.
//
// Reference images live in tests/data/shell/. To regenerate them run the
// tests with TN_REGENERATE_SHELL=1, then look at every image before
// committing it.
#include <gtest/gtest.h>

#include <optional>
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

// The log and the part palette stand beside the drawing, inside the frame
// and clear of the status line, at the size the frame starts with and at
// the size the user gives it; the log is shown when there is something to
// read in it, or when asked for.
TEST_F(ProgramTest, TheLogAndThePaletteStandBesideTheDrawingAtEverySize) {
    // A log made taller than the frame in an earlier run.
    write_ini({"SHOW_PART_PALETTE=True", "NB_PART_PALETTE=1", "PART_PALETTE_LIB_0=parts",
               "PART_PALETTE_PART_0=RES", "PART_PALETTE_CONV_0=False", "LOG_HEIGHT=2000"});
    Program program(config_dir);
    program.Start({example_sheet()}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    // Nothing to read yet: the log leaves the room to the drawing until
    // the user asks for it.
    EXPECT_FALSE(program.Pane("Tessaron Log"));
    menu(frame, "alt+w", "l");  // Window > Log Window
    using tn_test::Control;
    auto inside = [](const Control& in, const Control& c) {
        return c.x >= in.x && c.y >= in.y && c.x + c.w <= in.x + in.w && c.y + c.h <= in.y + in.h;
    };
    auto apart = [](const Control& a, const Control& b) {
        return a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
    };
    // What stands where, or why it does not stand beside the drawing.
    auto beside = [&](long width, long height) -> std::string {
        std::optional<Control> main, drawing, status, log, palette;
        for (const Control& c : program.Windows()) {
            if (c.depth == 0 && c.label == "Tessaron Schematic Editor") main = c;
            if (c.kind == "wxMDIClientWindow") drawing = c;
            if (c.kind == "wxStatusBar") status = c;
            if (c.depth == 1 && c.label == "Tessaron Log") log = c;
            if (c.depth == 1 && c.label == "Parts") palette = c;
        }
        if (!main || !drawing || !status) return "the frame is not listed";
        if (!log || !palette) return "the log or the palette is not a pane of the frame";
        if (main->w != width || main->h != height) return "the frame has not its size yet";
        for (const Control* c : {&*drawing, &*status, &*log, &*palette})
            if (!inside(*main, *c)) return c->label + " reaches out of the frame";
        const Control* all[] = {&*drawing, &*status, &*log, &*palette};
        for (const Control* a : all)
            for (const Control* b : all)
                if (a < b && !apart(*a, *b)) return a->kind + " overlaps " + b->kind;
        if (log->y < drawing->y + drawing->h || log->w != main->w)
            return "the log is not below the drawing, across the frame";
        if (palette->x < drawing->x + drawing->w || drawing->w < main->w / 2)
            return "the palette is not right of the drawing";
        if (drawing->h < main->h / 3) return "the log leaves the drawing no room";
        return {};
    };
    EXPECT_TRUE(wait_until([&] { return beside(1000, 720).empty(); })) << beside(1000, 720);
    ASSERT_TRUE(place_window(frame, 20, 10, 1200, 900));
    EXPECT_TRUE(wait_until([&] { return beside(1200, 900).empty(); })) << beside(1200, 900);
    ASSERT_TRUE(place_window(frame, 20, 10, 700, 500));
    EXPECT_TRUE(wait_until([&] { return beside(700, 500).empty(); })) << beside(700, 500);
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
