// The Preferences and Load Part sheets (with Load Part's preview), the tip
// of the day and the help as a user meets them: the real program on the shipped example, driven with
// real pointer and key events.
//
// Reference images live in tests/data/dialogs/; TN_REGENERATE_SHELL=1
// rewrites them (look at every image before committing it).
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/program_harness.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
using program_test::wait_until;
using tn_test::Control;
using tn_test::Program;

class SheetProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
        project = dir.path() / "project";
        config = dir.path() / "config";
        fs::create_directories(project);
        fs::create_directories(config / "tessaron");
        for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
            fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, project / file);
    }

    void settings(const std::string& more) {
        tn_test::write_text(ini().string(), "[TESSARON]\nDIR_PROJECT=" + project.string() +
                                                "\nDIR_LIBRARY=" + project.string() +
                                                "\nBAK_FILE=False\n" + more);
    }
    fs::path ini() const { return config / "tessaron" / "Quib.ini"; }
    std::string ini_text() const { return tn_test::read_text(ini().string()); }

    void start(Program& program) {
        program.Start({(project / "root.sch").string()}, project.string());
        ASSERT_FALSE(program.WaitWindow("Tessaron Schematic Editor").empty());
        ASSERT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));
    }
    void exit(Program& program) {
        program.Menu("alt+f x");
        int status = -1;
        ASSERT_TRUE(program.WaitExit(&status));
        EXPECT_EQ(status, 0);
    }
    void click(Program& program, const std::string& window, const std::string& label) {
        auto control = program.WaitControl(window, label);
        ASSERT_TRUE(control) << label;
        program.Click(*control);
    }
    // The first control of a kind in a window.
    std::optional<Control> first_of(Program& program, const std::string& window,
                                    const std::string& kind) {
        return program.WaitFor(
            [&](const std::vector<Control>& all) -> std::optional<Control> {
                bool inside = false;
                for (const Control& c : all) {
                    if (c.depth == 0) inside = c.label == window;
                    if (inside && c.depth > 0 && c.kind == kind) return c;
                }
                return std::nullopt;
            },
            kind + " in " + window);
    }
    // Place > Part..., the example's library chosen in Load Part.
    void open_load_part(Program& program) {
        program.Menu("ctrl+g");
        ASSERT_TRUE(program.WaitTopLevel("Load Part"));
        auto libraries = first_of(program, "Load Part", "wxListBox");
        ASSERT_TRUE(libraries);
        Control first = *libraries;  // the first entry: parts.clb
        first.h = 20;
        program.Click(first);
    }
    // The text shown right after a label (a value beside its label).
    std::string value_after(Program& program, const std::string& window, const std::string& label) {
        std::vector<Control> all = program.Windows();
        bool inside = false;
        for (size_t i = 0; i + 1 < all.size(); ++i) {
            if (all[i].depth == 0) inside = all[i].label == window;
            if (inside && all[i].label == label) return all[i + 1].label;
        }
        return "";
    }

    // A click on an empty place right of the title block places the part
    // chosen; Esc; then Options > Statistics counts the parts.
    void place_and_count(Program& program, const std::string& parts) {
        auto canvas = first_of(program, "Tessaron Schematic Editor", "wxMDIChildFrame");
        ASSERT_TRUE(canvas);
        Control spot = *canvas;
        spot.x += spot.w * 3 / 4;
        spot.w = 2;
        spot.y += spot.h * 3 / 4;
        spot.h = 2;
        program.Click(spot);
        program.Keys("Escape");
        program.Menu("alt+o Up Up Return");  // Options > Statistics
        ASSERT_TRUE(program.WaitTopLevel("Statistics"));
        EXPECT_EQ(value_after(program, "Statistics", "Number of Parts"), parts)
            << "the part was not placed";
        click(program, "Statistics", "&Close");
    }

    tn_test::TempDir dir;
    fs::path project, config;
};

// Options > Setup, the grid in lines on the Drawing page, OK: the next run
// draws lines and shows the page as it was left.
TEST_F(SheetProgram, AGridStyleChosenInSetupHoldsAfterARestart) {
    settings("GRID_STYLE=1\n");
    {
        Program program(config.string());
        start(program);
        program.Menu("alt+o Return");  // Options > Setup...
        ASSERT_TRUE(program.WaitTopLevel("Preferences"));
        // From the first page to the Drawing page with the keyboard.
        click(program, "Preferences", "Current Project Path");
        program.Keys("ctrl+Page_Down");
        auto line = program.WaitControl("Preferences", "Line");
        ASSERT_TRUE(line);
        EXPECT_EQ(line->value, "0");
        program.Click(*line);
        click(program, "Preferences", "&OK");
        ASSERT_TRUE(program.WaitGone("Preferences"));
        exit(program);
    }
    EXPECT_NE(ini_text().find("GRID_STYLE=0"), std::string::npos) << ini_text();
    EXPECT_NE(ini_text().find("SETUP_CURRENT_TAB=1"), std::string::npos) << ini_text();

    Program program(config.string());
    start(program);
    program.Menu("alt+o Return");
    auto sheet = program.WaitTopLevel("Preferences");
    ASSERT_TRUE(sheet);
    auto line = program.WaitControl("Preferences", "Line");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->value, "1") << "the grid style did not hold";
    const std::string shot = dir.file("drawing.png");
    ASSERT_TRUE(program.Screenshot(*sheet, shot));
    tn_test::expect_matches_reference(shot, "dialogs/prefs_drawing_page.png");
    click(program, "Preferences", "&Cancel");
    ASSERT_TRUE(program.WaitGone("Preferences"));
}

// From empty settings in a file named with -conf: two user field names
// and a library folder set in Setup, a part put on the palette in Load
// Part; at the next start each dialog shows them again, Setup's OK keeps
// them, and the file holds them.
TEST_F(SheetProgram, FieldNamesAPaletteEntryAndALibraryFolderComeBackAfterARestart) {
    const std::string conf = dir.file("mine.ini"), libs = (project / "libs").string();
    // The folder Setup is given holds the library the palette takes from.
    fs::create_directories(libs);
    fs::copy_file(project / "parts.clb", project / "libs" / "parts.clb");
    fs::create_directories(dir.path() / "home");
    auto run_on_conf = [&](Program& program) {
        program.StartAsNewUser({"-conf", conf, (project / "root.sch").string()}, project.string(),
                               (dir.path() / "home").string());
        // The settings hold no TIPS_SHOW: the tip of the day comes first.
        // Clicked only once it stands where the program has it: the window
        // manager may still be placing it.
        ASSERT_TRUE(program_test::settled_window(program, "Tip of the Day"));
        auto tip = program.WaitControl("Tip of the Day", "&Close");
        ASSERT_TRUE(tip);
        program.Click(*tip);
        ASSERT_TRUE(program.WaitGone("Tip of the Day"));
        ASSERT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));
    };
    // The control of a kind in Preferences that stands below `above`.
    auto below = [&](Program& program, const Control& above, const std::string& kind,
                     const std::string& label) {
        return program.WaitFor(
            [&](const std::vector<Control>& all) -> std::optional<Control> {
                bool inside = false;
                for (const Control& c : all) {
                    if (c.depth == 0) inside = c.label == "Preferences";
                    if (inside && c.kind == kind && c.y > above.y &&
                        (label.empty() || c.label == label))
                        return c;
                }
                return std::nullopt;
            },
            kind + " below " + above.label);
    };
    auto palette_page = [&](Program& program) {
        program.Menu("ctrl+g");  // Place > Part...
        ASSERT_TRUE(program.WaitTopLevel("Load Part"));
        // The second tab, right of "Load Part" on the tabs' row.
        auto tabs = first_of(program, "Load Part", "wxNotebook");
        ASSERT_TRUE(tabs);
        Control second = *tabs;
        second.x += 120;
        second.w = 60;
        second.h = 34;
        program.Click(second);
        ASSERT_TRUE(program.WaitControl("Load Part", "Part Palette"));
    };
    {
        Program program(config.string());
        run_on_conf(program);
        program.Menu("alt+o Return");  // Options > Setup...
        ASSERT_TRUE(program.WaitTopLevel("Preferences"));
        auto folder = program.WaitControl("Preferences", "Current Library Path");
        ASSERT_TRUE(folder);
        program.TypeInto(*folder, libs);
        auto add = below(program, *folder, "wxButton", "Add >>");
        ASSERT_TRUE(add);
        program.Click(*add);
        program.Click(*folder);
        for (int page = 1; page <= 5; ++page) program.Keys("ctrl+Page_Down");  // Attribute Names
        auto name = program.WaitControl("Preferences", "Attibute Name:");
        ASSERT_TRUE(name);
        for (const char* field : {"Manufacturer", "Tolerance"}) {
            program.TypeInto(*name, field);
            click(program, "Preferences", "Add");
        }
        ASSERT_TRUE(program.WaitControl("Preferences", "Attribute #2 | Tolerance"));
        click(program, "Preferences", "&OK");
        ASSERT_TRUE(program.WaitGone("Preferences"));

        palette_page(program);
        auto library = program.WaitControl("Load Part", "Library");
        ASSERT_TRUE(library);
        Control first = *library;
        first.h = 20;
        program.Click(first);  // parts.clb, the sheet's folder's library
        auto parts = program.WaitControl("Load Part", "Parts");
        ASSERT_TRUE(parts);
        first = *parts;
        first.h = 20;
        program.Click(first);  // the first part: CAP
        ASSERT_TRUE(wait_until([&] {
            for (const Control& c : program.Windows())
                if (c.kind == "wxListBox" && c.value == "CAP") return true;
            return false;
        }));
        click(program, "Load Part", "Add >>");
        ASSERT_TRUE(program.WaitControl("Load Part", "parts.clb | CAP | N"));
        click(program, "Load Part", "&OK");
        ASSERT_TRUE(program.WaitGone("Load Part"));
        exit(program);
    }
    const std::vector<std::string> kept = {"FIELD_NAME_2=Manufacturer", "FIELD_NAME_3=Tolerance",
                                           "THE_LIB_1=" + libs, "PART_PALETTE_PART_0=CAP"};
    for (const std::string& line : kept)
        EXPECT_NE(tn_test::read_text(conf).find(line + "\n"), std::string::npos) << line;

    Program program(config.string());
    run_on_conf(program);
    program.Menu("alt+o Return");
    ASSERT_TRUE(program.WaitTopLevel("Preferences"));
    // Setup opens on the page last shown in Load Part; the first tab is
    // the File Locations page.
    auto tabs = first_of(program, "Preferences", "wxNotebook");
    ASSERT_TRUE(tabs);
    Control tab = *tabs;
    tab.w = 40;
    tab.h = 34;
    program.Click(tab);
    auto folder = program.WaitControl("Preferences", "Current Library Path");
    ASSERT_TRUE(folder);
    auto folders = below(program, *folder, "wxListBox", "");
    ASSERT_TRUE(folders);
    Control second = *folders;  // its second row, a row's height down
    second.y += 19;
    second.h = 20;
    program.Click(second);
    EXPECT_TRUE(program.WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.kind == "wxListBox" && c.value == libs) return c;
            return std::nullopt;
        },
        "the library folder listed"));
    program.Click(*folder);
    for (int page = 1; page <= 5; ++page) program.Keys("ctrl+Page_Down");  // Attribute Names
    EXPECT_TRUE(program.WaitControl("Preferences", "Attribute #1 | Manufacturer"));
    EXPECT_TRUE(program.WaitControl("Preferences", "Attribute #2 | Tolerance"));
    click(program, "Preferences", "&OK");
    ASSERT_TRUE(program.WaitGone("Preferences"));
    palette_page(program);
    EXPECT_TRUE(program.WaitControl("Load Part", "parts.clb | CAP | N"));
    click(program, "Load Part", "&Cancel");
    ASSERT_TRUE(program.WaitGone("Load Part"));
    exit(program);
    for (const std::string& line : kept)
        EXPECT_NE(tn_test::read_text(conf).find(line + "\n"), std::string::npos)
            << line << " after Setup's OK";
}

// Place > Part opens Load Part; a pattern finds the op-amp, OK and a click
// on the sheet place it.
TEST_F(SheetProgram, PlacePartFindsAPartByAPatternAndAClickPlacesIt) {
    settings("");
    Program program(config.string());
    start(program);
    program.Menu("alt+o Up Up Return");  // Options > Statistics
    ASSERT_TRUE(program.WaitTopLevel("Statistics"));
    EXPECT_EQ(value_after(program, "Statistics", "Number of Parts"), "       2");
    click(program, "Statistics", "&Close");
    ASSERT_TRUE(program.WaitGone("Statistics"));

    open_load_part(program);
    auto pattern = first_of(program, "Load Part", "wxTextCtrl");
    ASSERT_TRUE(pattern);
    program.TypeInto(*pattern, "LM*");
    program.Keys("Return");
    auto row = program.WaitControl("Load Part", "parts.clb | LM358");
    ASSERT_TRUE(row);
    program.Click(*row);
    click(program, "Load Part", "&OK");
    ASSERT_TRUE(program.WaitGone("Load Part"));

    place_and_count(program, "       3");
}

// A fresh install started as the README's run command starts it: from a
// folder of its own, on the example's root sheet in another, HOME and the
// settings empty. The library folder it is set to names nothing, so the
// sheet's folder serves: Load Part lists the example's library and finds
// its parts, and one is placed.
TEST_F(SheetProgram, AFreshInstallFindsTheLibraryBesideTheSheet) {
    const fs::path checkout = dir.path() / "checkout", home = dir.path() / "home";
    fs::create_directories(checkout);
    fs::create_directories(home);
    Program program(config.string());
    program.StartAsNewUser({(project / "root.sch").string()}, checkout.string(), home.string());
    // Clicked only once it stands where the program has it: the window
    // manager may still be placing it.
    ASSERT_TRUE(program_test::settled_window(program, "Tip of the Day"));
    auto tip = program.WaitControl("Tip of the Day", "&Close");
    ASSERT_TRUE(tip) << "no tip of the day at the first start";
    program.Click(*tip);
    ASSERT_TRUE(program.WaitGone("Tip of the Day"));
    ASSERT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));

    program.Menu("ctrl+g");  // Place > Part...
    ASSERT_TRUE(program.WaitTopLevel("Load Part"));
    auto libraries = program.WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            bool inside = false;
            for (const Control& c : all) {
                if (c.depth == 0) inside = c.label == "Load Part";
                if (inside && c.kind == "wxListBox") return c;
            }
            return std::nullopt;
        },
        "the libraries of Load Part");
    ASSERT_TRUE(libraries);
    Control first = *libraries;
    first.h = 20;
    program.Click(first);
    ASSERT_TRUE(program.WaitFor(
        [&](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.kind == "wxListBox" && c.value == "parts.clb") return c;
            return std::nullopt;
        },
        "parts.clb listed and chosen"));
    auto pattern = first_of(program, "Load Part", "wxTextCtrl");
    ASSERT_TRUE(pattern);
    program.TypeInto(*pattern, "RES");
    program.Keys("Return");
    auto row = program.WaitControl("Load Part", "parts.clb | RES");
    ASSERT_TRUE(row) << "the example's resistor was not found";
    program.Click(*row);
    click(program, "Load Part", "&OK");
    ASSERT_TRUE(program.WaitGone("Load Part"));
    EXPECT_FALSE(program.HasWindow("Error")) << "the part was not found when placed";

    place_and_count(program, "       3");
    // The folder setting keeps its value: the search wrote none.
    const std::string written = fs::exists(ini()) ? ini_text() : "";
    EXPECT_EQ(written.find("DIR_LIBRARY"), std::string::npos) << written;
}

// Load Part's preview shows the whole of the part chosen: its body, pins
// and numbers, its reference and its name beside the body, nothing cut.
TEST_F(SheetProgram, LoadPartPreviewsThePartWhole) {
    settings("");
    Program program(config.string());
    start(program);
    open_load_part(program);
    auto search = program.WaitControl("Load Part", "Search");
    ASSERT_TRUE(search);
    program.Click(*search);
    // The preview: the canvas below the parts found.
    auto preview = program.WaitFor(
        [](const std::vector<Control>& all) -> std::optional<Control> {
            bool inside = false;
            for (const Control& c : all) {
                if (c.depth == 0) inside = c.label == "Load Part";
                if (inside && c.kind == "wxWindow" && c.w >= 200 && c.h >= 100) return c;
            }
            return std::nullopt;
        },
        "the preview of Load Part");
    ASSERT_TRUE(preview);
    std::string shown = (dir.path() / "empty.png").string();
    ASSERT_TRUE(program.Screenshot(*preview, shown));
    for (const std::string part : {"RES", "LM358"}) {
        auto row = program.WaitControl("Load Part", "parts.clb | " + part);
        ASSERT_TRUE(row);
        program.Click(*row);
        const std::string shot = (dir.path() / (part + ".png")).string();
        EXPECT_TRUE(wait_until([&] {
            return program.Screenshot(*preview, shot) &&
                   tn_test::read_text(shot) != tn_test::read_text(shown);
        })) << part
            << " is not shown";
        tn_test::expect_matches_reference(shot, "dialogs/preview_" + part + ".png");
        shown = shot;
    }
}

TEST_F(SheetProgram, TheTipOfTheDayShowsAtStartWhenAsked) {
    settings("TIPS_SHOW=True\n");
    Program program(config.string());
    program.Start({}, project.string());
    ASSERT_TRUE(program.WaitTopLevel("Tip of the Day")) << "no tip at start";
    auto show = program.WaitControl("Tip of the Day", "Show Tips on StartUp");
    ASSERT_TRUE(show);
    EXPECT_EQ(show->value, "1");
    program.Click(*show);
    click(program, "Tip of the Day", "&Next Tip");
    click(program, "Tip of the Day", "&Close");
    ASSERT_TRUE(program.WaitGone("Tip of the Day"));
    EXPECT_NE(ini_text().find("TIPS_SHOW=False"), std::string::npos) << ini_text();
}

// F1 opens the page of the mode the sheet is in.
TEST_F(SheetProgram, F1OpensTheHelpPageOfTheCurrentMode) {
    settings("");
    Program program(config.string());
    start(program);
    program.Menu("F1");
    ASSERT_TRUE(program.WaitTopLevel("Help: Editing a sheet"));
    program.Menu("alt+p w");  // Place > Wire
    program.Menu("F1");
    ASSERT_TRUE(program.WaitTopLevel("Help: Drawing wires, buses and graphics"));
}

TEST_F(SheetProgram, TheTextPropertiesPageLooksAsReviewed) {
    settings("SETUP_CURRENT_TAB=2\n");
    Program program(config.string());
    start(program);
    program.Menu("alt+o Return");
    auto sheet = program.WaitTopLevel("Preferences");
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(program.WaitControl("Preferences", "Pin Number | Built-in |  | Yes"));
    const std::string shot = dir.file("text.png");
    ASSERT_TRUE(program.Screenshot(*sheet, shot));
    tn_test::expect_matches_reference(shot, "dialogs/prefs_text_page.png");
    click(program, "Preferences", "&Cancel");
    ASSERT_TRUE(program.WaitGone("Preferences"));
}

}  // namespace
