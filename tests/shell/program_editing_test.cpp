// The sheet editor of the real program on the example, as a user meets it:
// pointer and keys on the display, the result read back from the saved
// sheet or seen on the screen.
//
// Reference images live in tests/data/shell/ (TN_REGENERATE_SHELL=1 writes
// them; look at every image before committing it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
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
        program.Start(args, dir.path().string());
        frame = program.WaitWindow(frame_title);
        ASSERT_FALSE(frame.empty()) << "the main frame never appeared";
        ASSERT_TRUE(map.Calibrate(frame, mark_a, mark_b)) << "the bookmarks moved no pointer";
    }
    std::string Shot(const std::string& name, const std::string& differ_from = "") {
        std::string path = dir.file(name);
        EXPECT_TRUE(settled_screenshot(frame, path, differ_from));
        return path;
    }

    // The placed parts of the saved sheet whose library part has that name.
    int PlacedParts(const std::string& part) {
        Schema* schema = nullptr;
        if (load_schema_file(&schema, sheet.c_str()) != 0) return -1;
        int n = 0;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            // "library/part", with "@version" when the library's part changed.
            std::string name = as_PlacedPart(item)->part_name.get();
            name = name.substr(0, name.find('@'));
            n += name.size() >= part.size() + 1 &&
                 name.compare(name.size() - part.size() - 1, part.size() + 1, "/" + part) == 0;
        }
        close_schema(nullptr, &schema);
        return n;
    }

    Program program{dir.file("config")};
    std::string sheet;
    std::string frame;
    ScreenMap map;
};

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
