// The library editor as a user meets it: the real program started with
// -libedit on the example library, a part got and drawn on, a part made,
// the library saved, and what was saved read back, decompiled and
// compiled again by our own jobs.
//
// Reference images live in tests/data/libedit/; TN_REGENERATE_SHELL=1
// rewrites them (look at every image before committing it).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
using tn_test::Control;
using tn_test::Program;

const char* const main_window = "Tessaron Schematic Editor";
const char* const get_part = "Tessaron: Get Part";
const char* const place_body = "Tessaron: Place Body";

bool wait_until(const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + tn_test::program_deadline;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// The pointer moved onto a screen point (in steps) and a button clicked there.
void click_at(int x, int y, int button = 1) {
    tn_test::run_on_display("xdotool mousemove --sync " + std::to_string(x) + " " +
                            std::to_string(y) + " sleep 0.1 mousemove --sync " +
                            std::to_string(x + 1) + " " + std::to_string(y) + " sleep 0.1 click " +
                            std::to_string(button) + " sleep 0.2");
}

class LibraryProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
        config_set_defaults();
        set_message_formatter(error_message);
        init_Libraries();
        project = dir.path() / "project";
        config = dir.path() / "config";
        fs::create_directories(project);
        fs::create_directories(config / "tessaron");
        fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", project / "parts.clb");
        // Clicks land where they are made: no grid snapping.
        tn_test::write_text((config / "tessaron" / "Quib.ini").string(),
                            "[TESSARON]\nDIR_PROJECT=" + project.string() + "\nDIR_LIBRARY=" +
                                project.string() + "\nBAK_FILE=False\nSTAY_GRID=False\n");
    }
    void TearDown() override { free_open_libraries(); }

    std::string file(const std::string& name) const { return (project / name).string(); }

    void start(Program& program) {
        program.Start({"-libedit", "parts.clb"}, project.string());
        ASSERT_FALSE(program.WaitWindow(main_window).empty());
    }

    // The library window's canvas: the window its child frame holds.
    std::optional<Control> canvas(Program& program) {
        return program.WaitFor(
            [](const std::vector<Control>& controls) -> std::optional<Control> {
                for (size_t i = 0; i + 1 < controls.size(); ++i)
                    if (controls[i].kind == "wxMDIChildFrame" &&
                        controls[i].label.rfind("Library: ", 0) == 0 &&
                        controls[i + 1].depth == controls[i].depth + 1)
                        return controls[i + 1];
                return std::nullopt;
            },
            "the library canvas");
    }

    // Keys go to the window titled so (a modeless dialog has no focus of its
    // own on a display without a window manager).
    void focus(Program& program, const std::string& title) {
        const std::string window = program.WaitWindow(title);
        ASSERT_FALSE(window.empty());
        tn_test::run_on_display("xdotool windowfocus --sync " + window);
    }

    // Get Part with a name typed into "Selected Part:" and Ok pressed.
    void get(Program& program, const std::string& name) {
        program.Menu("alt+p t");
        ASSERT_TRUE(program.WaitTopLevel(get_part));
        focus(program, get_part);
        auto field = program.WaitControl(get_part, "Selected Part:");
        ASSERT_TRUE(field);
        program.TypeInto(*field, name);
        auto ok = program.WaitControl(get_part, "Ok");
        ASSERT_TRUE(ok);
        program.Click(*ok);
    }

    // The canvas showing a part of the library, got by its name (none when
    // it never showed).
    std::optional<Control> got(Program& program, const std::string& name) {
        get(program, name);
        if (!program.WaitGone(get_part)) return std::nullopt;
        return canvas(program);
    }

    // The library as saved, read into a new library (null when unreadable).
    Library* saved() {
        Library* library = new_Library();
        if (load_Library(library, file("parts.clb").c_str(), false) == 0) return library;
        free_Library(library);
        return nullptr;
    }
    // The number of items of a part's body in the saved library; -1 without it.
    int saved_items(const char* part, bool converted) {
        Library* library = saved();
        LibEntry* entry = library ? find_LibEntry(library, part) : nullptr;
        Vectors* body = entry ? (converted ? entry->part->convert : entry->part->normal) : nullptr;
        int n = body ? static_cast<int>(body->items->count) : -1;
        free_Library(library);
        return n;
    }

    tn_test::TempDir dir;
    fs::path project, config;
};

TEST_F(LibraryProgram, APartGotDrawnOnAndSavedRoundTripsThroughItsSource) {
    const int before = saved_items("RES", false);
    ASSERT_GT(before, 0);
    Program program(config.string());
    start(program);
    auto area = got(program, "RES");
    ASSERT_TRUE(area);
    const std::string shot = (dir.path() / "res.png").string();
    ASSERT_TRUE(program.Screenshot(*area, shot));
    tn_test::expect_matches_reference(shot, "libedit/get_part_res.png");

    // A line across the middle of the body, ended by a right click.
    program.Menu("alt+p l");
    const int cx = area->centre_x(), cy = area->centre_y();
    click_at(cx - 20, cy);
    click_at(cx + 20, cy);
    click_at(cx + 20, cy, 3);
    program.Keys("Escape");
    program.Menu("ctrl+s");
    ASSERT_TRUE(wait_until([&] { return saved_items("RES", false) == before + 1; }))
        << saved_items("RES", false) << " items\n"
        << program.Stderr();

    // Our own jobs: the source holds the line and compiles to the same bytes.
    // The compiler numbers the records' ids in file order from 1, as the
    // example was compiled; the program gave the new line the next id, and
    // RES is the part written last.
    const std::string source = file("parts.slb"), again = file("again.clb");
    ASSERT_EQ(decompile_library(file("parts.clb").c_str(), source.c_str(), nullptr), 0);
    const std::string text = tn_test::read_text(source);
    const size_t res = text.find("(NAME 'RES'");
    ASSERT_NE(res, std::string::npos);
    const size_t block = text.rfind("(LPART", res);
    const size_t line = text.find("(LINE DRAW", block);
    EXPECT_TRUE(block != std::string::npos && line < res) << text;
    reset_object_ids(1);
    ASSERT_EQ(compile_library(source.c_str(), again.c_str(), nullptr), 0);
    EXPECT_EQ(tn_test::read_bytes(again), tn_test::read_bytes(file("parts.clb")));
}

TEST_F(LibraryProgram, ANewTwoDevicePartWithAConvertedFormIsSavedAndReopened) {
    Program program(config.string());
    start(program);
    get(program, "NEWPART");
    // "No such Part. Ok to Create ?": Yes.
    ASSERT_FALSE(program.WaitWindow("Warning").empty());
    program.Keys("Return");
    ASSERT_TRUE(program.WaitTopLevel(place_body));
    focus(program, place_body);
    auto devices = program.WaitControl(place_body, "Device per Pack");
    ASSERT_TRUE(devices);
    program.Click(*devices);
    program.Keys("Home Down Down Return");
    auto convert = program.WaitControl(place_body, "Convert Form");
    ASSERT_TRUE(convert);
    program.Click(*convert);
    auto place = program.WaitControl(place_body, "Place");
    ASSERT_TRUE(place);
    program.Click(*place);
    ASSERT_TRUE(program.WaitGone(place_body));
    // The pointer stands on the body's origin: the body is drawn out from it.
    tn_test::run_on_display(
        "xdotool sleep 0.3 mousemove_relative --sync 60 40 sleep 0.2 click 1 sleep 0.2");
    program.Menu("ctrl+s");
    Library* library = nullptr;
    ASSERT_TRUE(wait_until([&] {
        free_Library(library);
        library = saved();
        return library && find_LibEntry(library, "NEWPART");
    })) << program.Stderr();
    Part* part = find_LibEntry(library, "NEWPART")->part;
    EXPECT_EQ(part->devices, 2);
    EXPECT_NE(part->convert, nullptr) << "the converted form was not kept";
    EXPECT_GT(part->body.w, 0);
    free_Library(library);

    // Reopened: the part loads without the question to create it.
    program.Kill();
    Program again(config.string());
    start(again);
    get(again, "NEWPART");
    ASSERT_TRUE(again.WaitGone(get_part));
    auto area = canvas(again);
    ASSERT_TRUE(area);
    const std::string shot = (dir.path() / "newpart.png").string();
    ASSERT_TRUE(again.Screenshot(*area, shot));
    tn_test::expect_matches_reference(shot, "libedit/new_part_two_devices.png");
}

// Find Pin on a pin the window does not show: the view moves so that the
// pin's end stands in the middle of the canvas, drawn there, with the
// pointer on it.
TEST_F(LibraryProgram, FindPinShowsAPinOutOfViewWithThePointerOnIt) {
    Program program(config.string());
    start(program);
    auto area = got(program, "LM358");
    ASSERT_TRUE(area);
    // Zoomed in on the middle of the editing sheet: the part is out of view.
    for (int i = 0; i < 3; ++i) program.Menu("alt+v i");

    program.Menu("ctrl+f");  // Edit > Find Pin...
    const char* const find = "Tessaron: Find Pin";
    ASSERT_TRUE(program.WaitTopLevel(find));
    focus(program, find);
    auto name = program.WaitControl(find, "Name");
    ASSERT_TRUE(name);
    program.TypeInto(*name, "8");
    auto button = program.WaitControl(find, "Find");
    ASSERT_TRUE(button);
    program.Click(*button);
    ASSERT_TRUE(program.WaitGone(find));
    int x = 0, y = 0;
    ASSERT_TRUE(wait_until([&] {
        const std::string at = tn_test::run_on_display("xdotool getmouselocation --shell");
        std::sscanf(at.c_str(), "X=%d\nY=%d", &x, &y);
        return std::abs(x - area->centre_x()) <= 3 && std::abs(y - area->centre_y()) <= 3;
    })) << "the pointer stands at "
        << x << ", " << y << ", the canvas's middle at " << area->centre_x() << ", "
        << area->centre_y();
    // Pin 8, its number and the top of the op-amp's triangle round it.
    const std::string shot = (dir.path() / "pin.png").string();
    Control around = *area;
    around.x = x - 120;
    around.y = y - 60;
    around.w = 240;
    around.h = 120;
    ASSERT_TRUE(program.Screenshot(around, shot));
    tn_test::expect_matches_reference(shot, "libedit/find_pin.png");
}

}  // namespace
