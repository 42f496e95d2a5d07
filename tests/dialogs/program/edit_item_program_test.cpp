// Edit Item and Find Text as a user meets them, on a divider of two
// resistors: R1 clicked after Edit > Edit Item, its value changed in Edit
// Part, the sheet saved and netlisted as SPICE from the Tools menu, and
// ngspice solving the new divider; the netlist of the change not saved
// asking first; F1 in Edit Part and Add/Edit Text opening their help
// pages; Find Text putting the pointer on the text it found. Points of the
// sheet are found on the screen through the sheet's bookmarks (the shell's
// program harness).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "connectivity/netlist_test_tools.h"
#include "shell/program_harness.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

using namespace program_test;
using tn_test::Control;

const char* const part_dialog = "Tessaron: Edit Part";
const char* const netlist_dialog = "Tessaron: Netlist Output";

class DividerProgram : public ProgramTest {
protected:
    // The divider of tests/data/dialogs/divider.asc compiled, with its
    // bookmarks A and B for the screen map; the program started on it.
    void Open() { Open(tn_test::read_text(tn_test::data_path("dialogs/divider.asc"))); }
    // ... or the sheet of another source.
    void Open(const std::string& source) {
        write_ini({"DIR_PROJECT=" + dir.path().string(), "BAK_FILE=False", "NB_FIELD_NAME=3",
                   "FIELD_NAME_0=Reference", "FIELD_NAME_1=Value", "FIELD_NAME_2=Footprint"});
        sheet = compiled_sheet("divider", source);
        write_with_bookmarks(sheet, sheet, {mark_a, mark_b});
        program.Start({sheet}, dir.path().string());
        frame = wait_started(program);
        ASSERT_FALSE(frame.empty()) << "the main frame never appeared";
        // The start-up is over (no window it brings forward takes the menu's
        // keys) and the sheet's first paint has fitted its view.
        ASSERT_TRUE(settled_screenshot(frame, dir.file("opened.png")));
        ASSERT_TRUE(map.Calibrate(frame, mark_a, mark_b)) << "the bookmarks moved no pointer";
    }

    std::optional<Control> nth(const std::string& window, const std::string& kind, int n) {
        return nth_control(program, window, kind, n);
    }

    // Chooses an entry of a choice with the keyboard from its top.
    void choose(const Control& choice, int entry) {
        program.Click(choice);
        std::string keys_typed = "Home";
        for (int i = 0; i < entry; ++i) keys_typed += " Down";
        program.Keys(keys_typed + " Return");
    }

    // Edit > Edit Item, a click on R1's body, the value chosen in Edit
    // Part and typed, Accept. The dialog's picture is compared with
    // `reference` when one is named.
    void ChangeR1Value(const std::string& typed, const std::string& reference = "") {
        keys(frame, "ctrl+e");            // Edit > Edit Item: the next click names the item
        click(map(Point{15000, 14000}));  // R1's body
        ASSERT_TRUE(program.WaitTopLevel(part_dialog));
        if (!reference.empty()) {
            const std::string shot = dir.file("part.png");
            ASSERT_TRUE(program.Screenshot(*program.WaitTopLevel(part_dialog), shot));
            tn_test::expect_matches_reference(shot, reference);
        }
        auto field = nth(part_dialog, "wxChoice", 0);
        ASSERT_TRUE(field);
        choose(*field, 1);  // the value
        auto value = program.WaitFor(
            [&](const std::vector<Control>&) -> std::optional<Control> {
                auto v = program.WaitControl(part_dialog, "Value:");
                return v && v->value == "1k" ? v : std::nullopt;
            },
            "the value shown");
        ASSERT_TRUE(value);
        program.TypeInto(*value, typed);
        auto accept = program.WaitControl(part_dialog, "Accept");
        ASSERT_TRUE(accept);
        program.Click(*accept);
        ASSERT_TRUE(program.WaitGone(part_dialog));
    }

    // Tools > Netlist Output: SPICE into `deck` with the value as module,
    // then Execute.
    void StartSpiceNetlist(const std::string& deck) {
        keys(frame, "alt+t n");
        ASSERT_TRUE(program.WaitTopLevel(netlist_dialog));
        auto output = program.WaitControl(netlist_dialog, "Output File:");
        ASSERT_TRUE(output);
        program.TypeInto(*output, deck);
        auto format = program.WaitControl(netlist_dialog, "Format:");
        ASSERT_TRUE(format);
        choose(*format, 3);  // SPICE
        auto module = program.WaitControl(netlist_dialog, "Module:");
        ASSERT_TRUE(module);
        choose(*module, 1);  // the value field
        auto execute = program.WaitControl(netlist_dialog, "Execute");
        ASSERT_TRUE(execute);
        program.Click(*execute);
        ASSERT_TRUE(program.WaitGone(netlist_dialog));
    }

    static constexpr Point mark_a{10000, 12000};
    static constexpr Point mark_b{26000, 16000};
    tn_test::Program program{dir.file("config")};
    std::string sheet;
    std::string frame;
    ScreenMap map;
};

TEST_F(DividerProgram, R1EditedThroughEditItemChangesWhatNgspiceSolves) {
    Open();
    ChangeR1Value("2k", "dialogs/part_dialog.png");
    keys(frame, "ctrl+s");
    ASSERT_TRUE(wait_until([&] {
        return tn_test::read_text(sheet).find("2k") != std::string::npos;
    })) << "the sheet was not saved with the new value";

    const std::string deck = dir.file("divider.cir");
    StartSpiceNetlist(deck);
    ASSERT_TRUE(program.WaitLog("Formatting netlist")) << program.LogText();
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(deck); })) << program.LogText();
    const std::string netlist = tn_test::read_text(deck);
    EXPECT_NE(netlist.find("2k"), std::string::npos) << netlist;
    // 10 V over 2k and 1k: the output sits at a third of it.
    const std::string solved = net_test::run_ngspice(deck);
    EXPECT_TRUE(std::regex_search(solved, std::regex("out\\s+3\\.333", std::regex::icase)))
        << solved;
}

// F1 inside Edit Part and Add/Edit Text is their Help button: each opens
// its page of the help book (which then holds the input until it is
// closed, as after the button).
TEST_F(DividerProgram, F1InsideEditPartOpensItsHelp) {
    Open();
    keys(frame, "ctrl+e");            // Edit > Edit Item
    click(map(Point{15000, 14000}));  // R1's body
    ASSERT_TRUE(program.WaitTopLevel(part_dialog));
    keys(program.WaitWindow(part_dialog), "F1");
    EXPECT_TRUE(program.WaitTopLevel("Help: Edit Part"));
}

TEST_F(DividerProgram, F1InsideAddEditTextOpensItsHelp) {
    Open();
    const char* const text_dialog = "Tessaron: Add/Edit Text";
    menu(frame, "alt+p", "t");  // Place > Text...
    ASSERT_TRUE(program.WaitTopLevel(text_dialog));
    keys(program.WaitWindow(text_dialog), "F1");
    EXPECT_TRUE(program.WaitTopLevel("Help: Add/Edit Text"));
}

// R1 changed and not saved: the netlist asks first. No writes the netlist
// of the saved sheet and the log says which sheet's changes it did not
// see; Yes saves the sheet and the netlist has the new value.
TEST_F(DividerProgram, ANetlistOfAChangeNotSavedAsksFirstAndSaysWhatItDidNotSee) {
    Open();
    ChangeR1Value("2k");
    const std::string deck = dir.file("divider.cir");
    StartSpiceNetlist(deck);
    std::string question = program.WaitWindow("Please Confirm");
    ASSERT_FALSE(question.empty()) << "no question before the netlist of an unsaved sheet";
    keys(question, "alt+n");
    ASSERT_TRUE(program.WaitLog("Warning:  the job read the saved files: the unsaved changes of " +
                                sheet + " are not in its result"))
        << program.LogText();
    EXPECT_EQ(tn_test::read_text(deck).find("2k"), std::string::npos) << tn_test::read_text(deck);
    EXPECT_EQ(tn_test::read_text(sheet).find("2k"), std::string::npos);

    std::filesystem::remove(deck);
    StartSpiceNetlist(deck);
    question = program.WaitWindow("Please Confirm");
    ASSERT_FALSE(question.empty());
    keys(question, "Return");  // Yes: save and run
    ASSERT_TRUE(wait_until([&] { return std::filesystem::exists(deck); })) << program.LogText();
    EXPECT_NE(tn_test::read_text(deck).find("2k"), std::string::npos) << tn_test::read_text(deck);
    EXPECT_NE(tn_test::read_text(sheet).find("2k"), std::string::npos);
}

// The wire from the input to R1 left out: the SPICE netlist stops at R1's
// open pin, and the box and the log say so, naming the file, the part and
// the pin.
TEST_F(DividerProgram, AnUnconnectedPinStopsTheSpiceNetlistAndIsNamed) {
    std::string source = tn_test::read_text(tn_test::data_path("dialogs/divider.asc"));
    const std::string wire = "    (LINE (POS 10000 14000 ) (POS 13000 14000 )  )\n";
    ASSERT_NE(source.find(wire), std::string::npos);
    source.erase(source.find(wire), wire.size());
    Open(source);
    const std::string deck = dir.file("open.cir");
    StartSpiceNetlist(deck);
    const std::string box = program.WaitWindow("Error");
    EXPECT_FALSE(box.empty()) << program.LogText();
    EXPECT_TRUE(program.WaitLog("*** ERROR *** : Pin not connected generating " + deck +
                                "  (Module=R1, Pin=1)\n"))
        << program.LogText();
    if (!box.empty()) keys(box, "Return");
}

TEST_F(DividerProgram, FindTextPutsThePointerOnTheTextItFound) {
    Open();
    const char* const find_dialog = "Tessaron: Find Text";
    keys(frame, "ctrl+f");
    ASSERT_TRUE(program.WaitTopLevel(find_dialog));
    // A dialog that stays open beside the sheet gets the keyboard when the
    // user turns to it.
    run("xdotool windowfocus --sync " + program.WaitWindow(find_dialog));
    auto field = program.WaitControl(find_dialog, "Text to Search:");
    ASSERT_TRUE(field);
    program.TypeInto(*field, "OUT");
    ASSERT_TRUE(program.WaitFor(
        [&](const std::vector<Control>&) -> std::optional<Control> {
            auto typed = program.WaitControl(find_dialog, "Text to Search:");
            return typed && typed->value == "OUT" ? typed : std::nullopt;
        },
        "the text typed"));
    auto find = program.WaitControl(find_dialog, "Find");
    ASSERT_TRUE(find);
    pointer_to(ScreenPoint{1, 1});
    program.Click(*find);
    // The label OUT stands at (18000, 14000).
    const ScreenPoint expected = map(Point{18000, 14000});
    ScreenPoint at;
    EXPECT_TRUE(wait_until([&] {
        at = pointer_location();
        return std::abs(at.x - expected.x) <= 2 && std::abs(at.y - expected.y) <= 2;
    })) << "pointer at "
        << at.x << "," << at.y << ", text at " << expected.x << "," << expected.y;
    // The dialog stays open beside the sheet, its count shown.
    EXPECT_TRUE(program.WaitTopLevel(find_dialog));
}

}  // namespace
