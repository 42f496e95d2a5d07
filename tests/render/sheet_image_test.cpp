// Reference images of a sheet holding every item kind that a sheet file
// stores, drawn at two zooms. Regenerate with TN_REGENERATE_RENDER=1 and
// look at every image before committing it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <wx/bitmap.h>
#include <wx/image.h>

#include "model/items/view.h"
#include "render/render_fixture.h"
#include "support/test_env.h"

namespace render_test {
namespace {

class SheetImageTest : public RenderTest {};

TEST_F(SheetImageTest, EveryItemKindAtTwoZooms) {
    SchemaPtr schema = load("every_item.asc");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = showing(schema.get(), 800, 600, 1.0, {42000, 28000});
    expect_matches_reference(canvas->Snapshot(), "every_item_zoom1.png");

    canvas->SetZoom(4.0);
    canvas->CenterOn({14000, 17000});
    expect_matches_reference(canvas->Snapshot(), "every_item_zoom4.png");
    canvas->SetDocument(nullptr);
}

// One part without a body drawing (so that its pin names show beside its
// pin numbers) upright, turned a quarter, turned a half, mirrored, and
// mirrored and turned: every pin number and name reads left to right or
// bottom to top, on its own side of its pin.
TEST_F(SheetImageTest, PinTextsOfTurnedAndMirroredPartsRead) {
    struct Placed {
        const char* orientation;
        Point at;
    };
    const Placed placed[] = {{"NO_ROT", {4000, 4000}},
                             {"ROT_90", {24000, 4000}},
                             {"ROT_180", {38000, 10000}},
                             {"MY NO_ROT", {10000, 18000}},
                             {"MX ROT_90", {24000, 18000}}};
    std::string parts;
    for (const Placed& p : placed)
        parts += "(PARTLIB 'BOX' 0x00000001 1.000000 POWEROFF " + std::string(p.orientation) +
                 " NORMAL_PART DEVICE 0 (POS " + std::to_string(p.at.x) + " " +
                 std::to_string(p.at.y) +
                 " ) (ATTRIBUTE 'U1' (POS 0 0 ) ) (ATTRIBUTE 'BOX' (POS 0 0 ) ) )\n";
    SchemaPtr schema = compile("(SCHEMATIC (SHEET " + parts + R"~( )
  (LIB '$ACTIVE$' (PFXS ) (PARTS (LPART
    (PART (COMMON (TYPE STANDARD 1) (SIZE 6000 6000 ) (REFERENCE 'U' ) )
      (NORMAL (PINS
        (PIN 'IN' IN LEFT (POS 0 3000 ) '1' )
        (PIN 'OUT' OUT RIGHT (POS 6000 3000 ) '2' )
        (PIN 'EN' IN TOP (POS 3000 0 ) '3' )
        (PIN 'CLR' IN BOTTOM (POS 3000 6000 ) '4' ) ) ) )
    (ALIAS (NAME 'BOX' ) ) ) ) ) ))~");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = showing(schema.get(), 800, 600, 2.0, {21000, 14000});
    expect_matches_reference(canvas->Snapshot(), "pin_texts_turned.png");
    canvas->SetDocument(nullptr);
}

// A drawing that no longer matches leaves the two images the README points
// to, beside the test program, after the test has ended.
TEST_F(SheetImageTest, AFailedComparisonLeavesTheActualAndDifferenceImages) {
    wxImage reference;
    ASSERT_TRUE(
        reference.LoadFile(tn_test::data_path("render/every_item_zoom1.png"), wxBITMAP_TYPE_PNG));
    wxImage wrong(reference.GetWidth(), reference.GetHeight());
    wrong.SetRGB(wxRect(0, 0, wrong.GetWidth(), wrong.GetHeight()), 255, 0, 255);
    const std::filesystem::path out = tn_test::failure_output_dir();
    const auto actual = out / "every_item_zoom1-actual.png",
               diff = out / "every_item_zoom1-diff.png";
    std::filesystem::remove(actual);
    std::filesystem::remove(diff);
    // Not a regeneration run, whatever the environment says.
    const char* regenerate = std::getenv("TN_REGENERATE_RENDER");
    const std::string kept = regenerate ? regenerate : "";
    unsetenv("TN_REGENERATE_RENDER");
    EXPECT_NONFATAL_FAILURE(expect_matches_reference(wxBitmap(wrong), "every_item_zoom1.png"),
                            "pixels differ");
    if (regenerate) setenv("TN_REGENERATE_RENDER", kept.c_str(), 1);
    EXPECT_TRUE(std::filesystem::exists(actual)) << actual;
    EXPECT_TRUE(std::filesystem::exists(diff)) << diff;
    std::filesystem::remove(actual);
    std::filesystem::remove(diff);
}

}  // namespace
}  // namespace render_test
