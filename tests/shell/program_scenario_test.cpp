// A day's work on the example in the real program, start to restart: a
// resistor placed from the palette, wired to R1, moved with its wire,
// copied and pasted, the paste undone, the sheet saved; the program started
// again on the saved sheet. The saved sheet's nets are those of what was
// drawn, before the restart and after it, and the settings changed before
// the restart are in force after it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;

// Where the new resistor goes, and where the drag takes it; its pins lie a
// grid step below its place.
constexpr Point placed{14000, 19000};
constexpr Point moved{14000, 21000};

class DaysWork : public ExampleProgram {
protected:
    // The example as it should be saved (from the copy of it as it was
    // opened): R1's twin at `moved`, its second pin wired up to R1's (the
    // twin, of the sheet's own earlier resistor, has its pins half a step
    // below its place).
    std::string ExpectedSheet() {
        Schema* schema = nullptr;
        EXPECT_EQ(load_schema_file(&schema, dir.file("original.sch").c_str()), 0);
        PlacedPart* r1 = nullptr;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items))
            if (item->type == PARTLIB_ITEM && item->pos == Point{14000, 13500})
                r1 = as_PlacedPart(item);
        EXPECT_NE(r1, nullptr);
        SchItem* twin = copy_SchItem(schema, r1);
        twin->pos = moved;
        dlist_append(schema->sheet->items, twin);
        Line* wire = new_Line();
        wire->pos = Point{17000, moved.y + 500};
        wire->end = Point{17000, 14000};
        dlist_append(schema->sheet->items, wire);
        const std::string file = dir.file("expected.sch");
        EXPECT_EQ(save_schema_file(schema, file.c_str(), false), 0);
        close_schema(nullptr, &schema);
        return file;
    }
};

TEST_F(DaysWork, EditedSavedAndReopenedAfterARestart) {
    write_ini({"DIR_PROJECT=" + dir.path().string(), "DIR_LIBRARY=" + dir.path().string(),
               "SHOW_PART_PALETTE=False", "NB_PART_PALETTE=1", "PART_PALETTE_LIB_0=parts",
               "PART_PALETTE_PART_0=RES", "PART_PALETTE_CONV_0=False"});
    Open();
    std::filesystem::copy_file(sheet, dir.file("original.sch"));

    // The palette, shown for the first time, places a resistor.
    menu(frame, "alt+v", "p");  // View > Part Palette
    const auto entry = program.WaitControl("Parts", "RES");
    ASSERT_TRUE(entry);
    // The drawing made room for the palette beside it: its points are
    // found again.
    ASSERT_TRUE(settled_screenshot(frame, dir.file("palette.png"), dir.file("opened.png")));
    ASSERT_TRUE(map.Calibrate(frame, marks[0], marks[1]));
    click(ScreenPoint{entry->centre_x(), entry->centre_y()});
    click(map(placed));
    keys(frame, "Escape");

    // A wire from its second pin up to R1's.
    menu(frame, "alt+p", "w");  // Place > Wire
    click(map(Point{17000, placed.y + 1000}));
    click(map(Point{17000, 14000}));
    click(map(Point{17000, 14000}), 3);  // the chain ends
    keys(frame, "Escape Escape");

    // Dragged down with its wire.
    drag(map(Point{15000, placed.y + 1000}), map(Point{15000, moved.y + 1000}), "ctrl");

    // Copied and pasted elsewhere, the paste undone.
    click(map(Point{15000, moved.y + 1000}));
    keys(frame, "ctrl+c");
    keys(frame, "ctrl+v");
    click(map(Point{30000, 24000}));
    keys(frame, "ctrl+z");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 2; }))
        << PlacedParts("RES") << " resistors saved";
    // The saved sheet's nets are those of the sheet as it was meant to be.
    const auto saved = nets_of(sheet), expected = nets_of(ExpectedSheet());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(saved, expected);
    EXPECT_NE(saved, nets_of(dir.file("original.sch")));

    // A place and size of the user's own before the program ends.
    ASSERT_TRUE(place_window(frame, 30, 20, 940, 680));
    ASSERT_TRUE(exit_program(program, frame));

    // Started again on the saved sheet: the settings are those it left.
    Program again(config_dir);
    again.Start({sheet}, dir.path().string());
    const std::string frame_again = wait_started(again);
    ASSERT_FALSE(frame_again.empty());
    EXPECT_TRUE(again.WaitPane("Parts")) << "the palette is closed again";
    EXPECT_TRUE(stands_at(frame_again, 30, 20, 940, 680)) << "the frame is not where it was left";
    EXPECT_FALSE(again.HasWindow("Error")) << "the saved sheet did not open";

    // What the program reopened is what was drawn: its own save of it has
    // the same nets.
    std::filesystem::remove(sheet);
    keys(frame_again, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 2; }))
        << "the reopened sheet was not saved";
    EXPECT_EQ(nets_of(sheet), expected);
}

}  // namespace
