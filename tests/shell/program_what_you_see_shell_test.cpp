// What the user sees is what the files hold, from a fresh install (an empty
// home folder, no settings) with a window manager: the program started on
// a copy of the example from the project folder, every step a real pointer
// or key event, and after each gesture the saved sheets, the netlists and
// the reports read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;
using tn_test::Control;
namespace fs = std::filesystem;

// The references of the placed parts of a saved sheet, in item order;
// none when the file cannot be read.
std::optional<std::vector<std::string>> saved_references(const std::string& file) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return std::nullopt;
    std::vector<std::string> references;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM)
            references.push_back(pl_get_attribute(as_PlacedPart(item), 0)->text.get());
    close_schema(nullptr, &schema);
    return references;
}

// A placed part of a saved sheet as its fields stand: its orientation
// flags, where its reference and value stand, where the layout puts them
// for its orientation (the settings at their defaults, as the program's
// are), and its body.
struct SavedPart {
    int flags = 0;
    Point reference, value;
    Point laid_reference, laid_value;
    Rect body;
};
std::optional<SavedPart> saved_part(const std::string& file, Point at) {
    Schema* schema = nullptr;
    if (load_schema_file(&schema, file.c_str()) != 0) return std::nullopt;
    std::optional<SavedPart> found;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* pl = as_PlacedPart(item);
        if (pl->pos != at) continue;
        found = SavedPart{pl->flags,
                          pl->reference.pos,
                          pl->value.pos,
                          pl_attribute_place(schema->library, pl, 0),
                          pl_attribute_place(schema->library, pl, 1),
                          {}};
        bool top, left, right, bottom;
        pl_body_sides(schema->library, pl, &found->body, &top, &left, &right, &bottom);
    }
    close_schema(nullptr, &schema);
    return found;
}

// One run of the program as a new user meets it, on a copy of the example
// in build/examples/ of a project folder.
class WhatYouSee : public NewUserProgram {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(NewUserProgram::SetUp());
        CopyExampleProject();
    }

    // A tab (an MDI child) whose title begins with `title` is shown now.
    bool HasTab(const std::string& title) {
        for (const Control& c : program.Windows())
            if (c.depth > 0 && c.label.rfind(title, 0) == 0) return true;
        return false;
    }
};

// A new sheet made beside the example finds the example's library, and
// Save As starts in its folder; Exit with one sheet modified asks before
// any window closes, and Cancel leaves every window open.
TEST_F(WhatYouSee, ANewSheetPlacesAPartAndExitAsksBeforeClosingAnything) {
    ASSERT_NO_FATAL_FAILURE(StartInProject());

    keys(frame, "ctrl+n");  // File > New Sheet
    ASSERT_TRUE(wait_until([&] { return HasTab("Sheet: Untitled"); })) << Listing();
    ASSERT_TRUE(LoadPart("RES")) << "Load Part offers no part of the example's library";
    ASSERT_NO_FATAL_FAILURE(Calibrate());
    ASSERT_NO_FATAL_FAILURE(ClickAt(Point{20000, 10000}));
    keys(frame, "Escape");

    // Save As offers the example's folder: a bare name lands there.
    menu(frame, "alt+f", "a");
    const std::string chooser = program.WaitWindow("Save Sheet As");
    ASSERT_FALSE(chooser.empty());
    ASSERT_TRUE(choose_file(chooser, "ctrl+a", "drawn.sch", dir.file("chooser.png")));
    const std::string drawn = project_file("drawn.sch");
    ASSERT_TRUE(wait_until([&] { return fs::exists(drawn); }))
        << "the new sheet was not saved beside the example";
    EXPECT_TRUE(wait_until([&] { return HasTab("Sheet: drawn.sch"); })) << Listing();
    EXPECT_EQ(saved_references(drawn), std::vector<std::string>{"R?"});

    // A second resistor, not saved; Exit asks about that sheet, and Cancel
    // keeps it open, and the saved root sheet behind it.
    ASSERT_TRUE(LoadPart("RES"));
    ASSERT_NO_FATAL_FAILURE(ClickAt(Point{20000, 16000}));
    keys(frame, "Escape");
    menu(frame, "alt+f", "x");
    std::string question = program.WaitWindow("Please Confirm");
    ASSERT_FALSE(question.empty()) << "Exit did not ask about the modified sheet";
    keys(question, "Escape");  // Cancel
    ASSERT_TRUE(program.WaitGone("Please Confirm"));
    EXPECT_TRUE(HasTab("Sheet: drawn.sch *")) << Listing();
    EXPECT_EQ(saved_references(drawn), std::vector<std::string>{"R?"});

    // The new sheet closed without saving: the root sheet comes forward.
    keys(frame, "ctrl+w");
    question = program.WaitWindow("Please Confirm");
    ASSERT_FALSE(question.empty());
    keys(question, "alt+n");
    EXPECT_TRUE(wait_until([&] { return HasTab("Sheet: root.sch"); }))
        << "Exit closed the saved sheet before asking\n"
        << Listing();
    EXPECT_EQ(saved_references(drawn), std::vector<std::string>{"R?"});
    EXPECT_TRUE(exit_program(program, frame)) << program.Stderr();
}

// Annotate in the amplifier's window numbers its parts from 1, as it
// numbers the sheet it runs on: its R3 becomes R1, the root's reference. The
// SPICE netlist of the root then names the reference and its two nets, and
// says that the deck of the earlier run was not written; the ERC report
// names the duplicate.
TEST_F(WhatYouSee, ADuplicateReferenceIsNamedByTheNetlistAndTheErcReport) {
    ASSERT_NO_FATAL_FAILURE(StartInProject());
    const std::string deck = project_file("amp.cir");
    ASSERT_NO_FATAL_FAILURE(SpiceNetlist(deck));
    ASSERT_TRUE(wait_until([&] { return fs::exists(deck); })) << program.LogText();
    const std::string earlier = tn_test::read_text(deck);

    menu(frame, "alt+p", "Up Return");  // Place > Open Subsheet
    ASSERT_TRUE(wait_until([&] { return HasTab("Sheet: amplifier.sch"); }));
    menu(frame, "alt+t", "a");
    ASSERT_TRUE(settled_window(program, "Tessaron: Annotate"));
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: Annotate", "Execute"));
    ASSERT_TRUE(program.WaitLog("Annotate: Done")) << program.LogText();
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] {
        auto references = saved_references(project_file("amplifier.sch"));
        return references && std::count(references->begin(), references->end(), "R1");
    })) << "the amplifier's R3 did not become R1";
    keys(frame, "ctrl+w");
    ASSERT_TRUE(wait_until([&] { return HasTab("Sheet: root.sch"); })) << Listing();

    ASSERT_NO_FATAL_FAILURE(SpiceNetlist(deck));
    const std::string box = program.WaitWindow("Error");
    EXPECT_FALSE(box.empty()) << program.LogText();
    EXPECT_TRUE(program.WaitLog("*** ERROR *** : Reference used by two Parts generating " + deck +
                                "  (Module=R1, Nets="))
        << program.LogText();
    EXPECT_TRUE(program.WaitLog("*** WARNING *** : The netlist " + deck +
                                " was not written: it holds an earlier run's netlist."))
        << program.LogText();
    EXPECT_EQ(tn_test::read_text(deck), earlier);
    if (!box.empty()) keys(box, "Return");
    ASSERT_TRUE(program.WaitGone("Error"));

    menu(frame, "alt+t", "e");
    ASSERT_TRUE(settled_window(program, "Tessaron: ERC"));
    auto report_field = program.WaitControl("Tessaron: ERC", "Output File:");
    ASSERT_TRUE(report_field);
    const std::string report = report_field->value;
    ASSERT_NO_FATAL_FAILURE(Press("Tessaron: ERC", "Execute"));
    ASSERT_TRUE(program.WaitLog("already appears in")) << program.LogText();
    ASSERT_TRUE(wait_until([&] {
        return tn_test::read_text(report).find("already appears in") != std::string::npos;
    })) << tn_test::read_text(report);
    // The duplicate is a finding of the report, not a failure of the check:
    // no error box follows the report (one would, at once, on the same turn
    // of the program's loop as the report's last write).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    bool error_box = false;
    while (!error_box && std::chrono::steady_clock::now() < until) {
        error_box = program.HasWindow("Error");
        if (!error_box) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(error_box) << program.LogText();
    if (error_box) keys(program.WaitWindow("Error"), "Return");
}

// Two capacitors placed on the example, one turned a quarter by Edit Part,
// the other turned and mirrored: the reference and value that the layout
// placed beside the upright part, one above the other, stand above and
// below the lying part in the saved sheet, not on one line over each
// other; the picture shows them apart and the pin numbers readable.
TEST_F(WhatYouSee, ATurnedOrMirroredPartsTextsStandApart) {
    ASSERT_NO_FATAL_FAILURE(StartInProject());
    ASSERT_NO_FATAL_FAILURE(Calibrate());
    const Point turned{8000, 18000}, mirrored{14000, 18000};
    for (Point at : {turned, mirrored}) {
        ASSERT_TRUE(LoadPart("CAP"));
        ASSERT_NO_FATAL_FAILURE(ClickAt(at));
        keys(frame, "Escape");
    }
    const std::string dialog = "Tessaron: Edit Part";
    for (Point at : {turned, mirrored}) {
        ASSERT_NO_FATAL_FAILURE(DoubleClickAt(at));
        ASSERT_TRUE(settled_window(program, dialog)) << "a double click on the part opened nothing";
        // The quarter turn: the second cell of the rotations (after the
        // eight of the field's compass).
        auto quarter = nth_control(program, dialog, "wxBitmapToggleButton", 9);
        ASSERT_TRUE(quarter) << Listing();
        program.Click(*quarter);
        if (at == mirrored) {
            // The part's X Mirror, after the field's four check boxes and
            // Visible Power and Convert.
            auto mirror = nth_control(program, dialog, "wxCheckBox", 6);
            ASSERT_TRUE(mirror && mirror->label == "X Mirror") << Listing();
            program.Click(*mirror);
        }
        ASSERT_NO_FATAL_FAILURE(Press(dialog, "Accept"));
        ASSERT_TRUE(program.WaitGone(dialog));
    }
    keys(frame, "ctrl+s");
    std::optional<SavedPart> parts[2];
    ASSERT_TRUE(wait_until([&] {
        parts[0] = saved_part(project_file("root.sch"), turned);
        parts[1] = saved_part(project_file("root.sch"), mirrored);
        return parts[0] && parts[1] && parts[1]->flags & PL_MX;
    })) << "the turned parts were not saved";
    for (const std::optional<SavedPart>& part : parts) {
        SCOPED_TRACE(testing::Message() << "part flags " << part->flags);
        EXPECT_EQ(part->flags & PL_ROT_MASK, 1);
        EXPECT_EQ(part->reference, part->laid_reference);
        EXPECT_EQ(part->value, part->laid_value);
        // Above and below the body.
        EXPECT_EQ(part->reference.x, part->value.x);
        EXPECT_LT(part->reference.y, part->body.y);
        EXPECT_GT(part->value.y, part->body.y + part->body.h);
    }

    const ScreenPoint corner = map(Point{5000, 15000});
    const ScreenPoint far = map(Point{18000, 23500});
    const std::vector<long> f = geometry(frame);
    const std::string shot = dir.file("turned.png");
    ASSERT_TRUE(settled_screenshot(frame, shot));
    expect_region_matches(
        shot,
        std::to_string(far.x - corner.x) + "x" + std::to_string(far.y - corner.y) + "+" +
            std::to_string(corner.x - f[0]) + "+" + std::to_string(corner.y - f[1]),
        "turned_part_texts.png");
    EXPECT_TRUE(exit_program(program, frame));
}

}  // namespace
