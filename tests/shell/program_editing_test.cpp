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

// A point of the example sheet: the junction of the filter.
constexpr Point junction{21000, 14000};

using ExampleEditing = ExampleProgram;

TEST_F(ExampleEditing, TheStatusLineShowsWhereThePointerIs) {
    Open();
    glide(map(junction));
    expect_region_matches(Shot("position.png"), "190x20+710+699", "status_position.png");
}

// Parts placed from the palette: its entry places its own part, and
// Place > Part the palette's current one.
TEST_F(ExampleEditing, APaletteEntryAndPlacePartPlaceThePalettesPart) {
    write_ini({"DIR_PROJECT=" + dir.path().string(), "DIR_LIBRARY=" + dir.path().string(),
               "SHOW_PART_PALETTE=True", "NB_PART_PALETTE=2", "PART_PALETTE_LIB_0=parts",
               "PART_PALETTE_PART_0=CAP", "PART_PALETTE_CONV_0=False", "PART_PALETTE_LIB_1=parts",
               "PART_PALETTE_PART_1=RES", "PART_PALETTE_CONV_1=False"});
    Open();
    const std::string palette = program.WaitWindow("Parts");
    ASSERT_FALSE(palette.empty());
    const std::vector<long> p = geometry(palette);
    click(ScreenPoint{int(p[0] + p[2] / 2), int(p[1] + p[3] - 12)});  // the second entry, RES
    click(map(Point{30000, 20000}));
    keys(frame, "Escape");
    keys(frame, "ctrl+g");  // Place > Part: RES again
    click(map(Point{30000, 24000}));
    keys(frame, "Escape");
    EXPECT_FALSE(program.HasWindow("Error")) << "a part was not found";
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 3; })) << PlacedParts("RES");
    EXPECT_EQ(PlacedParts("CAP"), 1);
}

}  // namespace
