#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/image.h>

#include "foundation/list.h"
#include "model/items/primitives.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/ghost_overlay.h"
#include "render/render_fixture.h"

namespace render_test {
namespace {

std::vector<Prim> line_ghost(Point a, Point b, uint32_t rgb) {
    std::vector<Prim> ghost;
    DrawAdapter recorder(&ghost);
    recorder.set_pen(rgb, 100);
    recorder.line(a, b);
    return ghost;
}

TEST(GhostOverlayTest, DrawingTheSameGhostTwiceRemovesItAndOthersStay) {
    GhostOverlay overlay;
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 0}, {100, 0}, 0xFFFFFF)));
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 0}, {100, 50}, 0xFFFFFF)));
    EXPECT_EQ(overlay.size(), 2u);
    // Another colour is another drawing.
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 0}, {100, 0}, 0x0000FF)));
    EXPECT_EQ(overlay.size(), 3u);
    EXPECT_FALSE(overlay.toggle(line_ghost({0, 0}, {100, 0}, 0xFFFFFF)));
    EXPECT_EQ(overlay.size(), 2u);
    EXPECT_FALSE(overlay.toggle({}));
    EXPECT_EQ(overlay.size(), 2u);
}

// A ghost shown under a key goes by its key alone; an equal drawing still
// takes it away whatever the key, and no key (0) names none.
TEST(GhostOverlayTest, AKeyedGhostIsTakenAwayByItsKey) {
    GhostOverlay overlay;
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 0}, {100, 0}, 0xFFFFFF), nullptr, nullptr, 7));
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 50}, {100, 50}, 0xFFFFFF), nullptr, nullptr, 8));
    EXPECT_TRUE(overlay.toggle(line_ghost({0, 90}, {100, 90}, 0xFFFFFF)));
    Rect covers{};
    bool any = false;
    EXPECT_FALSE(overlay.remove(9, &covers, &any));
    EXPECT_FALSE(any);
    EXPECT_FALSE(overlay.remove(0));
    EXPECT_EQ(overlay.size(), 3u);
    EXPECT_TRUE(overlay.remove(7, &covers, &any));
    EXPECT_TRUE(any);
    EXPECT_EQ(covers, (Rect{-50, -50, 200, 100}));
    EXPECT_FALSE(overlay.remove(7));
    EXPECT_FALSE(overlay.toggle(line_ghost({0, 50}, {100, 50}, 0xFFFFFF), nullptr, nullptr, 3));
    EXPECT_EQ(overlay.size(), 1u);
}

// A paint of part of the window plays the primitives whose rectangles,
// pen widths included, meet the part; without one, every primitive.
TEST(GhostOverlayTest, APaintOfPartOfTheWindowPlaysWhatMeetsIt) {
    GhostOverlay overlay;
    std::vector<Prim> ghost = line_ghost({0, 0}, {100, 0}, 0xFFFFFF);
    ghost.push_back(line_ghost({0, 300}, {100, 300}, 0xFFFFFF)[0]);
    ghost.push_back(line_ghost({500, 500}, {600, 500}, 0xFFFFFF)[0]);
    ghost[0].width = ghost[2].width = 10;
    ghost[1].width = 100;  // reaches 50 units up, to y 250
    Rect covers{};
    bool any = false;
    EXPECT_TRUE(overlay.toggle(std::vector<Prim>(ghost), &covers, &any));
    EXPECT_TRUE(any);
    EXPECT_EQ(covers, (Rect{-50, -5, 655, 510}));
    const auto played = [&](const Rect* clip) {
        std::vector<Prim> record;
        DrawAdapter recorder(&record);
        overlay.paint(recorder, clip);
        return record;
    };
    const Rect above{0, 200, 200, 60};
    EXPECT_EQ(played(&above), std::vector<Prim>{ghost[1]});
    const Rect between{150, 100, 200, 100};
    EXPECT_TRUE(played(&between).empty());
    EXPECT_EQ(played(nullptr), ghost);
    // Taking it away tells the same rectangle.
    Rect gone{};
    EXPECT_FALSE(overlay.toggle(std::vector<Prim>(ghost), &gone, &any));
    EXPECT_TRUE(any);
    EXPECT_EQ(gone, covers);
}

TEST(GhostOverlayTest, ColourModesCombineWithTheBackground) {
    wxBitmap bitmap(4, 4);
    wxMemoryDC dc(bitmap);
    DrawAdapter adapter(&dc, 1.0, 1.0, 0, 0, 0x00FF00);
    dc.SetBackground(*wxGREEN_BRUSH);
    dc.Clear();
    adapter.set_mode(DRAW_XOR);
    adapter.set_pen(0xFFFFFF, 1);
    adapter.line({0, 0}, {3, 0});
    adapter.set_mode(DRAW_MERGE);
    adapter.set_pen(0x0000FF, 1);
    adapter.line({0, 2}, {3, 2});
    dc.SelectObject(wxNullBitmap);
    wxImage image = bitmap.ConvertToImage();
    // White XOR green is magenta; red merged with green is yellow.
    EXPECT_EQ(wxColour(image.GetRed(1, 0), image.GetGreen(1, 0), image.GetBlue(1, 0)),
              wxColour(255, 0, 255));
    EXPECT_EQ(wxColour(image.GetRed(1, 2), image.GetGreen(1, 2), image.GetBlue(1, 2)),
              wxColour(255, 255, 0));
}

class CanvasGhostTest : public RenderTest {};

TEST_F(CanvasGhostTest, XorDrawingOfAnItemShowsAndHidesItsGhost) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 1000 1000 ) (POS 9000 1000 ) ) ) )");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = make_canvas(200, 150);
    canvas->SetDocument(schema.get());
    SchItem* wire = list_items<SchItem>(schema->sheet->items).begin().operator*();
    const wxBitmap before = canvas->Snapshot();

    draw_item_on_canvas(canvas, nullptr, wire, DRAW_XOR, nullptr, 0xFFFFFF, STYLE_AS_ITEM);
    EXPECT_EQ(canvas->GhostCount(), 1u);
    // The same item moved is another ghost: both show until each is drawn again.
    Matrix moved;
    matrix_translate(&moved, 0, 2000);
    draw_item_on_canvas(canvas, nullptr, wire, DRAW_XOR, &moved, 0xFFFFFF, STYLE_AS_ITEM);
    EXPECT_EQ(canvas->GhostCount(), 2u);
    draw_item_on_canvas(canvas, nullptr, wire, DRAW_XOR, nullptr, 0xFFFFFF, STYLE_AS_ITEM);
    draw_item_on_canvas(canvas, nullptr, wire, DRAW_XOR, &moved, 0xFFFFFF, STYLE_AS_ITEM);
    EXPECT_EQ(canvas->GhostCount(), 0u);

    // Nothing of the ghosts is left in what the window shows.
    const wxImage a = before.ConvertToImage(), b = canvas->Snapshot().ConvertToImage();
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    EXPECT_EQ(0, std::memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3));
    canvas->SetDocument(nullptr);
}

}  // namespace
}  // namespace render_test
