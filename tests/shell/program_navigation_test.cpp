// Moving about a sheet in the real program: Edit > Jump to typed
// coordinates and to a bookmark, and Find Text, to a point the window does
// not show. The view moves so that the point stands in the middle of the
// canvas, the canvas shows it, and the pointer stands on it: a click there
// lands on the point.
//
// Reference images live in tests/data/shell/ (TN_REGENERATE_SHELL=1 writes
// them; look at every image before committing it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "model/items/item.h"
#include "shell/program_harness.h"

namespace {

using namespace program_test;
using tn_test::Control;

// The far corner of a large sheet, where the label FAR stands, and a point
// near its top-left corner.
constexpr Point far_point{381000, 299000};
constexpr Point near_point{10000, 10000};

class LargeSheet : public ExampleProgram {
protected:
    // The E-size sheet with bookmarks A (near) and B (far), the program
    // started on it and its first paint over.
    void OpenLarge() {
        sheet = compiled_sheet("large", R"((SCHEMATIC
  (SHEET
    (TEXT 0 (POS 10000 10000 ) (SIZE 3000 4000 ) 'NEAR' )
    (LINE (POS 350000 300000 ) (POS 380000 300000 )  )
    (LINE (POS 380000 300000 ) (POS 380000 320000 )  )
    (TEXT 0 (POS 381000 299000 ) (SIZE 3000 4000 ) 'FAR' )
  )
  (TITLEBLOCK
    (IDENTIFICATION
      (SHEETSIZE 'E  ' )
      (FILENAME 'large.sch' )
    )
  )
))");
        write_with_bookmarks(sheet, sheet, {near_point, far_point});
        program.Start({sheet}, dir.path().string());
        frame = wait_started(program);
        ASSERT_FALSE(frame.empty()) << "the main frame never appeared";
        ASSERT_TRUE(settled_screenshot(frame, dir.file("opened.png")));
    }

    // View > Zoom 1:1, the picture settled.
    void ZoomOne() {
        menu(frame, "alt+v", "1");
        ASSERT_TRUE(settled_screenshot(frame, dir.file("one.png"), dir.file("opened.png")));
    }

    // The sheet's canvas as the program lists it.
    std::optional<Control> Canvas() {
        return program.WaitFor(
            [](const std::vector<Control>& all) -> std::optional<Control> {
                for (size_t i = 0; i + 1 < all.size(); ++i)
                    if (all[i].kind == "wxMDIChildFrame" && all[i + 1].depth == all[i].depth + 1)
                        return all[i + 1];
                return std::nullopt;
            },
            "the sheet's canvas");
    }

    // Where the pointer stands once it stands in the middle of the canvas
    // (none when it never did).
    std::optional<ScreenPoint> PointerInTheMiddle() {
        const std::optional<Control> canvas = Canvas();
        if (!canvas) return std::nullopt;
        ScreenPoint at;
        if (wait_until([&] {
                at = pointer_location();
                return std::abs(at.x - canvas->centre_x()) <= 3 &&
                       std::abs(at.y - canvas->centre_y()) <= 3;
            }))
            return at;
        ADD_FAILURE() << "the pointer stands at " << at.x << ", " << at.y
                      << ", the canvas's middle at " << canvas->centre_x() << ", "
                      << canvas->centre_y();
        return std::nullopt;
    }

    // The far point is in the middle of the canvas, under the pointer, and
    // drawn there; a junction placed with a click where the pointer stands
    // is saved on it.
    void ExpectFarPointShown() {
        const std::optional<ScreenPoint> middle = PointerInTheMiddle();
        ASSERT_TRUE(middle);
        const ScreenPoint at = *middle;
        const std::string shot = Shot("far.png");
        const std::vector<long> f = geometry(frame);
        expect_region_matches(
            shot,
            "240x100+" + std::to_string(at.x - f[0] - 120) + "+" + std::to_string(at.y - f[1] - 50),
            "jump_far.png");

        keys(frame, "ctrl+j");  // Place > Junction
        click(at);
        keys(frame, "Escape");
        keys(frame, "ctrl+s");
        EXPECT_TRUE(wait_until([&] {
            return CountSaved([](SchItem* item) {
                       return item->type == JUNCTION_ITEM && item->pos == far_point;
                   }) == 1;
        })) << "the click did not land on the point";
    }
};

TEST_F(LargeSheet, JumpXyAtOneToOneShowsThePointAndPutsThePointerOnIt) {
    OpenLarge();
    ZoomOne();
    menu(frame, "alt+e j", "x");  // Edit > Jump > XY Pos...
    const char* const dialog = "Tessaron: Jump XY Position";
    ASSERT_TRUE(program.WaitTopLevel(dialog));
    const std::optional<Control> x = program.WaitControl(dialog, "X Position:");
    const std::optional<Control> y = program.WaitControl(dialog, "Y Position:");
    ASSERT_TRUE(x && y);
    program.TypeInto(*x, std::to_string(far_point.x));
    program.TypeInto(*y, std::to_string(far_point.y));
    const std::optional<Control> jump = program.WaitControl(dialog, "Jump");
    ASSERT_TRUE(jump);
    program.Click(*jump);
    ASSERT_TRUE(program.WaitGone(dialog));
    ExpectFarPointShown();
}

TEST_F(LargeSheet, ABookmarkOutOfViewIsShownWithThePointerOnIt) {
    OpenLarge();
    ZoomOne();
    menu(frame, "alt+e j", "b");  // Edit > Jump > Mark B
    ExpectFarPointShown();
}

TEST_F(LargeSheet, FindTextShowsTheTextItFoundOutOfView) {
    OpenLarge();
    ZoomOne();
    keys(frame, "ctrl+f");  // Edit > Find...
    const char* const dialog = "Tessaron: Find Text";
    ASSERT_TRUE(program.WaitTopLevel(dialog));
    run("xdotool windowfocus --sync " + program.WaitWindow(dialog));
    const std::optional<Control> field = program.WaitControl(dialog, "Text to Search:");
    ASSERT_TRUE(field);
    program.TypeInto(*field, "FAR");
    const std::optional<Control> find = program.WaitControl(dialog, "Find");
    ASSERT_TRUE(find);
    program.Click(*find);
    const std::optional<ScreenPoint> pointer = PointerInTheMiddle();
    ASSERT_TRUE(pointer);
    // The dialog closed, so that it covers nothing of the canvas.
    const std::optional<Control> cancel = program.WaitControl(dialog, "Cancel");
    ASSERT_TRUE(cancel);
    program.Click(*cancel);
    ASSERT_TRUE(program.WaitGone(dialog));
    pointer_to(*pointer);
    ExpectFarPointShown();
}

}  // namespace
