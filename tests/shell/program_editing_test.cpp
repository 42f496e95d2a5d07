// The sheet editor of the real program on the example, as a user meets it:
// pointer and keys on the display, the result read back from the saved
// sheet or seen on the screen.
//
// Reference images live in tests/data/shell/ (TN_REGENERATE_SHELL=1 writes
// them; look at every image before committing it).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/paste.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/primitives.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;

// A point of the example sheet: the junction of the filter.
constexpr Point junction{21000, 14000};

using ExampleEditing = ExampleProgram;

// Load Part's OK on the row of a part of the example's library (the first
// library listed) that the pattern finds.
void choose_part(Program& program, const std::string& pattern, const std::string& row) {
    ASSERT_TRUE(program.WaitTopLevel("Load Part"));
    auto libraries = program.WaitControl("Load Part", "Libraries");
    ASSERT_TRUE(libraries);
    libraries->h = 20;  // its first line: parts.clb
    program.Click(*libraries);
    auto field = program.WaitFor(
        [](const std::vector<tn_test::Control>& all) -> std::optional<tn_test::Control> {
            bool inside = false;
            for (const tn_test::Control& c : all) {
                if (c.depth == 0) inside = c.label == "Load Part";
                if (inside && c.kind == "wxTextCtrl") return c;
            }
            return std::nullopt;
        },
        "the pattern of Load Part");
    ASSERT_TRUE(field);
    program.TypeInto(*field, pattern);
    program.Keys("Return");
    auto found = program.WaitControl("Load Part", row);
    ASSERT_TRUE(found);
    program.Click(*found);
    auto ok = program.WaitControl("Load Part", "&OK");
    ASSERT_TRUE(ok);
    program.Click(*ok);
    ASSERT_TRUE(program.WaitGone("Load Part"));
}

// A field's place as the part's layout gives it (its own place forgotten).
Point laid_out(Schema* schema, PlacedPart* pl, int index) {
    Attribute* attribute = pl_get_attribute(pl, index);
    const Point kept = attribute->pos;
    const uint8_t flags = attribute->flags;
    attribute->flags &= static_cast<uint8_t>(~SET);
    pl_place_attribute(schema, schema->library, pl, index);
    const Point place = attribute->pos;
    attribute->pos = kept;
    attribute->flags = flags;
    return place;
}

TEST_F(ExampleEditing, TheStatusLineShowsWhereThePointerIs) {
    Open();
    glide(map(junction));
    expect_region_matches(Shot("position.png"), "190x20+693+699", "status_position.png");
}

// A palette entry places its own part; Place > Part places the part chosen
// in Load Part.
TEST_F(ExampleEditing, APaletteEntryAndPlacePartPlaceTheirParts) {
    write_ini({"DIR_PROJECT=" + dir.path().string(), "DIR_LIBRARY=" + dir.path().string(),
               "SHOW_PART_PALETTE=True", "NB_PART_PALETTE=2", "PART_PALETTE_LIB_0=parts",
               "PART_PALETTE_PART_0=CAP", "PART_PALETTE_CONV_0=False", "PART_PALETTE_LIB_1=parts",
               "PART_PALETTE_PART_1=RES", "PART_PALETTE_CONV_1=False"});
    Open();
    const auto entry = program.WaitControl("Parts", "RES");  // the second entry
    ASSERT_TRUE(entry);
    click(ScreenPoint{entry->centre_x(), entry->centre_y()});
    click(map(Point{30000, 20000}));
    keys(frame, "Escape");
    keys(frame, "ctrl+g");  // Place > Part: the capacitor found by name
    choose_part(program, "CAP", "parts.clb | CAP");
    if (HasFatalFailure()) return;
    click(map(Point{30000, 24000}));
    keys(frame, "Escape");
    EXPECT_FALSE(program.HasWindow("Error")) << "a part was not found";
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 2; })) << PlacedParts("RES");
    EXPECT_EQ(PlacedParts("CAP"), 2);
}

// A pointer that leaps from a palette entry onto the sheet in one motion is
// followed there: the status line shows where it landed, and the click
// there places the entry's part.
TEST_F(ExampleEditing, APointerLeapingOntoTheSheetIsFollowedThere) {
    write_ini({"DIR_PROJECT=" + dir.path().string(), "DIR_LIBRARY=" + dir.path().string(),
               "SHOW_PART_PALETTE=True", "NB_PART_PALETTE=1", "PART_PALETTE_LIB_0=parts",
               "PART_PALETTE_PART_0=RES", "PART_PALETTE_CONV_0=False"});
    Open();
    const auto entry = program.WaitControl("Parts", "RES");
    ASSERT_TRUE(entry);
    program.Click(*entry);
    const Point at{30000, 20000};
    ASSERT_TRUE(map.Aim(program, at, 1000)) << "the status line did not follow the pointer";
    run("xdotool click 1");
    keys(frame, "Escape");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 2; })) << PlacedParts("RES");
}

// A part placed from Load Part shows its reference and value apart, beside
// its body as the library lays them out, not one upon the other at its
// origin. A field drawn out moves alone and stays where it was put; the
// example's parts keep their fields where their author placed them.
TEST_F(ExampleEditing, APlacedPartsTextsAreLaidOutAndAFieldDrawnOutMovesAlone) {
    write_ini({"DIR_PROJECT=" + dir.path().string(), "DIR_LIBRARY=" + dir.path().string()});
    Open();
    keys(frame, "ctrl+g");  // Place > Part
    choose_part(program, "RES", "parts.clb | RES");
    if (HasFatalFailure()) return;
    const Point at{50000, 20000};
    click(map(at));
    keys(frame, "Escape");
    const ScreenPoint corner = map(Point{48000, 17000}), far = map(Point{56000, 24000});
    const std::vector<long> f = geometry(frame);
    expect_region_matches(
        Shot("placed.png"),
        std::to_string(far.x - corner.x) + "x" + std::to_string(far.y - corner.y) + "+" +
            std::to_string(corner.x - f[0]) + "+" + std::to_string(corner.y - f[1]),
        "placed_part_texts.png");
    // R1's value, "10k" below its body, drawn out by four grid steps across
    // and two down.
    drag(map(Point{15000, 15200}), map(Point{19000, 17200}));
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return PlacedParts("RES") == 2; }));

    Schema* schema = nullptr;
    ASSERT_EQ(load_schema_file(&schema, sheet.c_str()), 0);
    PlacedPart *placed = nullptr, *r1 = nullptr;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM) continue;
        if (item->pos == at) placed = as_PlacedPart(item);
        if (item->pos == Point{14000, 13500}) r1 = as_PlacedPart(item);
    }
    ASSERT_TRUE(placed && r1) << "a part moved or was not placed";
    EXPECT_TRUE((placed->reference.flags & SET) && (placed->value.flags & SET));
    EXPECT_FALSE(placed->reference.pos == placed->value.pos);
    EXPECT_FALSE(placed->reference.pos == placed->pos);
    EXPECT_EQ(placed->reference.pos, laid_out(schema, placed, 0));
    EXPECT_EQ(placed->value.pos, laid_out(schema, placed, 1));
    EXPECT_EQ(r1->reference.pos, (Point{14500, 12900})) << "R1's reference moved";
    EXPECT_EQ(r1->value.pos, (Point{18300, 17800}))
        << "the value was not moved by the drag, or not alone";
    EXPECT_TRUE(r1->value.flags & SET);
    close_schema(nullptr, &schema);
}

// Every kind of the example that has a dialog opens it by a double click
// on what the user sees of it: a label lying on its wire, a ground
// symbol's name, a sheet box's name and its inside, the name of a port of
// the box, a part's body and its reference, a port, a comment. The label
// opens through Edit > Edit Item as well.
TEST_F(ExampleEditing, ADoubleClickOnWhatIsSeenOfAnItemOpensItsDialog) {
    struct Row {
        const char* what;
        Point at;
        const char* dialog;
    };
    const Row rows[] = {
        {"the label FILT on its wire", {22600, 13500}, "Tessaron: Add/Edit Text"},
        {"the name of the ground symbol", {21000, 20000}, "Tessaron: Add/Edit Power"},
        {"the name of the sheet box", {27500, 9100}, "Tessaron: Add/Edit Sheet"},
        {"inside the sheet box", {32000, 16500}, "Tessaron: Add/Edit Sheet"},
        {"the name of the box's port IN", {28200, 14000}, "Tessaron: Add/Edit Net"},
        {"R1's body", {15000, 14000}, "Tessaron: Edit Part"},
        {"R1's reference", {15500, 12000}, "Tessaron: Edit Field"},
        {"the port SIGNAL", {7000, 14000}, "Tessaron: Add/Edit Port"},
        {"the title", {5000, 3400}, "Tessaron: Add/Edit Text"},
    };
    Open();
    auto close = [&](const char* dialog) {
        auto cancel = program.WaitControl(dialog, "Cancel");
        ASSERT_TRUE(cancel);
        program.Click(*cancel);
        ASSERT_TRUE(program.WaitGone(dialog));
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        double_click(map(row.at));
        ASSERT_TRUE(program.WaitTopLevel(row.dialog)) << "nothing opened for " << row.what;
        close(row.dialog);
    }
    keys(frame, "ctrl+e");  // Edit > Edit Item: the next click names the item
    click(map(rows[0].at));
    ASSERT_TRUE(program.WaitTopLevel(rows[0].dialog)) << "Edit Item did not take the label";
    close(rows[0].dialog);
}

// A rectangle drawn round a part alone, its body, pins and texts, takes it.
TEST_F(ExampleEditing, ARectangleRoundAPartAloneSelectsIt) {
    Open();
    drag(map(Point{12500, 12000}), map(Point{17500, 16500}));
    keys(frame, "Delete");
    keys(frame, "ctrl+s");
    EXPECT_TRUE(wait_until([&] { return PlacedParts("RES") == 0; }))
        << "the part is still there: the rectangle did not take it";
}

// A part dragged with Ctrl takes its wires along, straight, and keeps every
// net it was on. The ghost shows the part as it is, its reference
// included, and the wires as they will run; the status line says the wires
// follow.
TEST_F(ExampleEditing, DraggingAPartKeepsItsNetsWhole) {
    Open();
    const int nets = Nets(sheet);
    ASSERT_GT(nets, 0);
    glide(map(Point{15000, 14000}));  // R1's body
    run("xdotool keydown ctrl sleep 0.05 mousedown 1");
    glide(map(Point{15000, 16000}));
    glide(map(Point{15000, 18000}));
    const std::string shot = Shot("drag.png");
    EXPECT_FALSE(WaitStatus("Drag: the wires follow").empty());
    run("xdotool mouseup 1 sleep 0.05 keyup ctrl");
    const ScreenPoint corner = map(Point{11000, 15000});
    const ScreenPoint far = map(Point{19000, 20000});
    const std::vector<long> f = geometry(frame);
    expect_region_matches(
        shot,
        std::to_string(far.x - corner.x) + "x" + std::to_string(far.y - corner.y) + "+" +
            std::to_string(corner.x - f[0]) + "+" + std::to_string(corner.y - f[1]),
        "drag_ghost.png");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] {
        return CountSaved([](SchItem* item) {
                   return item->type == PARTLIB_ITEM && item->pos == Point{14000, 17500};
               }) == 1;
    })) << "R1 was not moved";
    EXPECT_EQ(Nets(sheet), nets) << "a net was cut by the drag";
    EXPECT_EQ(slanted_wires(sheet), 0) << "a wire turned slanting";
}

// Zoom steps double and halve what is shown from wherever the view stands,
// a fit included; Ctrl+wheel zooms about the pointer, Shift+wheel scrolls
// across.
TEST_F(ExampleEditing, ZoomStepsAndTheWheel) {
    // Bookmarks near the junction, in view at twice the fitted zoom.
    OpenMarked(Point{19000, 13000}, Point{23000, 15000});
    const double fitted = map.scale_x();
    auto rescale = [&] {
        EXPECT_TRUE(map.Calibrate(frame, marks[0], marks[1]));
        return map.scale_x() / fitted;
    };
    menu(frame, "alt+v", "i");  // View > Zoom In
    EXPECT_NEAR(rescale(), 2.0, 0.03);
    menu(frame, "alt+v", "f");  // View > Zoom Fit
    EXPECT_NEAR(rescale(), 1.0, 0.03);
    menu(frame, "alt+v", "o");  // View > Zoom Out
    EXPECT_NEAR(rescale(), 0.5, 0.03);

    menu(frame, "alt+v", "f");
    rescale();
    const ScreenPoint at = map(junction);
    glide(at);
    run("xdotool keydown ctrl click 4 keyup ctrl");
    EXPECT_NEAR(rescale(), 2.0, 0.03);
    // Where the pointer was when the wheel turned, not where the view's
    // scroll steps would have put it.
    const ScreenPoint now = map(junction);
    EXPECT_LE(std::abs(now.x - at.x) + std::abs(now.y - at.y), 2)
        << "the junction is no longer under the pointer: " << now.x - at.x << ", " << now.y - at.y;
    // Across: bookmark B, right of the junction, moves left and no higher.
    const ScreenPoint b = map(marks[1]);
    pointer_to(now);
    run("xdotool keydown shift click 5 keyup shift");
    ScreenPoint across;
    ASSERT_TRUE(jump_to_bookmark(frame, "b", &across));
    EXPECT_LT(across.x, b.x - 20) << "Shift+wheel did not scroll to the right";
    EXPECT_EQ(across.y, b.y);
}

// Fit shows the whole drawing, the names of power symbols included.
TEST_F(ProgramTest, FitShowsThePowerNames) {
    const std::string sheet = compiled_sheet("ground", R"((SCHEMATIC
  (SHEET
    (LINE (POS 10000 10000 ) (POS 30000 10000 )  )
    (POWER 'GND' ROT_180 GND1 (POS 30000 10000 )  )
  )
))");
    Program program(config_dir);
    program.Start({sheet}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    const std::string shot = dir.file("fit.png");
    ASSERT_TRUE(settled_screenshot(frame, shot));
    expect_region_matches(shot, CANVAS_REGION, "fit_power_name.png");
}

// Pasted items follow the pointer as a ghost until a click places them;
// Esc drops them.
TEST_F(ExampleEditing, PastedItemsFollowThePointerUntilAClickPlacesThem) {
    Open();
    click(map(Point{15000, 14000}));  // R1
    keys(frame, "ctrl+c");
    glide(map(Point{30000, 22000}));
    keys(frame, "ctrl+v");
    glide(map(Point{44000, 20000}));
    glide(map(Point{45000, 20000}));
    const std::string shot = Shot("ghost.png");
    const ScreenPoint corner = map(Point{42000, 17000}), far = map(Point{50000, 23000});
    const std::vector<long> f = geometry(frame);
    expect_region_matches(
        shot,
        std::to_string(far.x - corner.x) + "x" + std::to_string(far.y - corner.y) + "+" +
            std::to_string(corner.x - f[0]) + "+" + std::to_string(corner.y - f[1]),
        "paste_ghost.png");
    keys(frame, "Escape");
    // A junction marks the save that follows.
    keys(frame, "ctrl+j");
    click(map(Point{30000, 24000}));
    keys(frame, "Escape");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return Junctions() == 2; }));
    EXPECT_EQ(PlacedParts("RES"), 1) << "Esc did not drop the pasted part";

    keys(frame, "ctrl+v");
    glide(map(Point{45000, 20000}));
    click(map(Point{45000, 20000}));
    keys(frame, "ctrl+s");
    // R1's place lies half a step off the grid, its pins on it: so do the
    // pasted copy's.
    auto placed_there = [&] {
        return CountSaved([](SchItem* item) {
            return item->type == PARTLIB_ITEM && item->pos == Point{45000, 19500};
        });
    };
    EXPECT_TRUE(wait_until([&] { return placed_there() == 1; }))
        << "the click placed nothing there";
    EXPECT_EQ(PlacedParts("RES"), 2);
}

// A paste file holding a title block (as a title-block copy of another
// instance leaves it) pasted on the example: Yes to "Ok to remove existing
// Title Block ?" replaces the old block only once the pasted one is placed.
// A paste dropped with Esc leaves the old block, and Undo after a placed
// paste brings it back.
TEST_F(ExampleEditing, APastedTitleBlockReplacesTheOldOnlyWhenPlaced) {
    Open();
    auto saved_block_items = [&] {
        Schema* schema = nullptr;
        if (load_schema_file(&schema, sheet.c_str()) != 0) return -1;
        int n =
            static_cast<int>(schema->titleblock.fields ? schema->titleblock.fields->count : 0) +
            static_cast<int>(schema->titleblock.drawing ? schema->titleblock.drawing->count : 0);
        close_schema(nullptr, &schema);
        return n;
    };
    ASSERT_EQ(saved_block_items(), 4);  // two controls, the frame and a line
    {
        // A block of one frame, in the program's working folder.
        Schema* other = nullptr;
        new_active_schema(&other);
        Boite* frame_rect = new_Rect();
        frame_rect->flags = DRAW;
        frame_rect->pos = Point{2000, 2000};
        frame_rect->corner = Point{9000, 5000};
        dlist_append(other->titleblock.drawing, frame_rect);
        titleblock_bounds(other);
        other->edit.edit_list = list_new();
        dlist_append(other->edit.edit_list, &other->titleblock);
        FILE* out = std::fopen(dir.file(PASTE_FILE_NAME).c_str(), "wb");
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(write_paste_file(other, PASTE_SCHEMA, out), 0);
        std::fclose(out);
        dlist_free(other->edit.edit_list, LIST_FROM_HEAD, nullptr);
        other->edit.edit_list = nullptr;
        free_Schema(other, false);
    }
    int junctions = Junctions();
    // Each save is marked by a junction placed first.
    auto save_marked = [&](Point at) {
        keys(frame, "ctrl+j");
        click(map(at));
        keys(frame, "Escape");
        keys(frame, "ctrl+s");
        ++junctions;
        return wait_until([&] { return Junctions() == junctions; });
    };
    auto paste_agreed = [&] {
        keys(frame, "ctrl+v");
        const std::string question = program.WaitWindow("Please Confirm");
        if (question.empty()) return false;
        keys(question, "Return");  // Yes
        return true;
    };

    ASSERT_TRUE(paste_agreed()) << "no question before the block is replaced";
    glide(map(Point{45000, 20000}));
    keys(frame, "Escape");
    ASSERT_TRUE(save_marked(Point{30000, 24000}));
    EXPECT_EQ(saved_block_items(), 4) << "a dropped paste erased the title block";

    ASSERT_TRUE(paste_agreed());
    glide(map(Point{45000, 20000}));
    click(map(Point{45000, 20000}));
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] { return saved_block_items() == 1; })) << "the pasted block";
    keys(frame, "ctrl+z");
    ASSERT_TRUE(save_marked(Point{30000, 22000}));
    EXPECT_EQ(saved_block_items(), 4) << "Undo did not bring the old title block back";
}

// A sheet that is open already comes forward instead of opening in a second
// window, from its box or through File > Open; a sub-sheet opened from its box
// is fitted. The tabs show which window is in front.
TEST_F(ExampleEditing, OpeningAnOpenSheetBringsItsWindowForward) {
    // File > Open's chooser opens in the project folder, the example's.
    write_ini({"DIR_PROJECT=" + dir.path().string()});
    Open();
    const char* const tabs = "1000x38+0+67";
    menu(frame, "alt+p", "Up Return");  // Place > Open Subsheet
    std::string shot = Shot("sub.png");
    expect_region_matches(shot, CANVAS_REGION, "subsheet_fit.png");
    expect_region_matches(shot, tabs, "tabs_subsheet_in_front.png");

    const std::vector<long> f = geometry(frame);
    click(ScreenPoint{int(f[0] + 70), int(f[1] + 85)});  // the root sheet's tab
    expect_region_matches(Shot("root.png", shot), tabs, "tabs_root_in_front.png");

    menu(frame, "alt+p", "Up Return");  // the sub-sheet again, open already
    expect_region_matches(Shot("again.png", dir.file("root.png")), tabs,
                          "tabs_subsheet_in_front.png");

    // File > Open of the root sheet, open already, brings its tab forward.
    menu(frame, "alt+f", "o");
    const std::string chooser = program.WaitWindow("Open");
    ASSERT_FALSE(chooser.empty());
    ASSERT_TRUE(choose_file(chooser, "ctrl+l", "root.sch", dir.file("chooser.png")));
    // The chooser gone and the program answering again (it may be busy a
    // while after closing it), the frame is painted anew.
    ASSERT_TRUE(wait_until([&] { return !program.HasWindow("Open"); }));
    ASSERT_FALSE(program.Windows().empty());
    expect_region_matches(Shot("opened_again.png", dir.file("again.png")), tabs,
                          "tabs_root_in_front.png");
}

// The saved root sheet's title block (its bounds as the program keeps
// them); none when the file cannot be read.
std::optional<Rect> saved_block(const std::string& file) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return std::nullopt;
    const Rect bounds = schema->titleblock.bounds;
    close_schema(nullptr, &schema);
    return bounds;
}

// Place > Title Block with a title block file made at the template's own
// place, across the circuit: it takes the place of the sheet's own block
// (their lower right corners at one point); a press on its outline drawn
// out moves it, as any item moves.
TEST_F(ExampleEditing, APlacedTitleBlockStandsWhereTheOldOneStoodAndItsOutlineMovesIt) {
    const std::string source = dir.file("frame.txt"), file = dir.file("frame.tbl");
    tn_test::write_text(source,
                        "(TITLEBLOCK\n  (IDENTIFICATION\n    (SHEETSIZE 'A  ' )\n  )\n"
                        "  (RECT DRAW (POS 0 0 ) (POS 12000 4000 ) )\n"
                        "  (LINE DRAW (POS 0 2000 ) (POS 12000 2000 ) )\n)\n");
    ASSERT_EQ(compile_titleblock(source.c_str(), file.c_str(), nullptr), 0);
    Open();
    const std::optional<Rect> old = saved_block(sheet);
    ASSERT_TRUE(old);
    menu(frame, "alt+p", "k");  // Place > Title Block...
    const std::string chooser = program.WaitWindow("Title Block File:");
    ASSERT_FALSE(chooser.empty());
    ASSERT_TRUE(choose_file(chooser, "ctrl+l", "frame.tbl", dir.file("chooser.png")));
    const std::string question = program.WaitWindow("Please Confirm");
    ASSERT_FALSE(question.empty()) << "no question before the sheet's block is replaced";
    keys(question, "Return");  // Yes
    ASSERT_TRUE(program.WaitGone("Please Confirm"));
    std::optional<Rect> placed;
    auto saved_differs = [&](const Rect& from) {
        keys(frame, "ctrl+s");
        return wait_until([&] {
            placed = saved_block(sheet);
            return placed && !(placed->x == from.x && placed->y == from.y && placed->w == from.w &&
                               placed->h == from.h);
        });
    };
    ASSERT_TRUE(saved_differs(*old)) << "the title block was not placed";
    EXPECT_EQ(placed->x + placed->w, old->x + old->w);
    EXPECT_EQ(placed->y + placed->h, old->y + old->h);
    EXPECT_LT(placed->w, 13000) << "it is not the block of the file";

    const Rect at = *placed;
    const Point edge{at.x + at.w / 2, at.y};
    drag(map(edge), map(Point{edge.x - 5000, edge.y - 3000}));
    ASSERT_TRUE(saved_differs(at)) << "a press on its outline did not move the block";
    EXPECT_EQ(placed->w, at.w);
    EXPECT_NEAR(placed->x, at.x - 5000, 1000);
    EXPECT_NEAR(placed->y, at.y - 3000, 1000);
}

}  // namespace
