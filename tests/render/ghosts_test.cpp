#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <wx/dcmemory.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/paste.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/item.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "model/items/view.h"
#include "render/clipboard_image.h"
#include "render/draw_adapter.h"
#include "render/draw_items.h"
#include "render/ghosts.h"
#include "support/test_env.h"

#include <algorithm>
#include "render/render_fixture.h"

namespace render_test {
namespace {

class GhostsTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        schema = load("every_item.asc");
        ASSERT_TRUE(schema);
        canvas = make_canvas(300, 200);
        canvas->SetDocument(schema.get());
    }
    void TearDown() override {
        if (canvas) canvas->SetDocument(nullptr);
        RenderTest::TearDown();
    }
    SchItem* first_of(int code) {
        for (SchItem* item : list_items<SchItem>(schema->sheet->items))
            if (item->type == code) return item;
        return nullptr;
    }
    SchemaPtr schema;
    RenderCanvas* canvas = nullptr;
};

TEST_F(GhostsTest, EachGhostRoutineShowsOnceAndHidesOnTheSecondCall) {
    xor_item_list(canvas, schema->sheet->items);
    EXPECT_EQ(canvas->GhostCount(), 1u);
    xor_item_list(canvas, schema->sheet->items);
    EXPECT_EQ(canvas->GhostCount(), 0u);

    auto* placed = as_PlacedPart(first_of(PARTLIB_ITEM));
    Pin* pin = list_items<Pin>(pl_pins_in_use(schema->library, placed)->pins).begin().operator*();
    xor_pin_on_canvas(canvas, nullptr, placed, pin, 2);
    EXPECT_EQ(canvas->GhostCount(), 1u);
    xor_pin_on_canvas(canvas, nullptr, placed, pin, 2);
    EXPECT_EQ(canvas->GhostCount(), 0u);
    EXPECT_EQ(placed->device, 1);

    Text* text = as_Text(first_of(TEXT_ITEM));
    xor_text_frame(canvas, nullptr, text, DRAW_XOR);
    EXPECT_EQ(canvas->GhostCount(), 1u);
    xor_text_frame(canvas, nullptr, text, DRAW_XOR);
    EXPECT_EQ(canvas->GhostCount(), 0u);
}

// The ghost of a list a tool keeps is drawn from the items at each paint:
// it shows what the ghost of the same items recorded as primitives shows,
// at any zoom (texts too small for the sheet to draw included), on the
// whole window and on a part of it painted alone, and goes without a trace.
TEST_F(GhostsTest, AKeptListsGhostShowsWhatTheirRecordedGhostShows) {
    List* items = schema->sheet->items;
    const wxRect part(40, 30, 120, 90);
    auto pictures = [&] {
        std::vector<wxImage> shots{canvas->Snapshot().ConvertToImage()};
        wxBitmap bitmap(300, 200);
        {
            wxMemoryDC dc(bitmap);
            dc.SetBackground(*wxBLACK_BRUSH);
            dc.Clear();
            dc.SetClippingRegion(part);
            canvas->PaintInto(dc, &part);
        }
        shots.push_back(bitmap.ConvertToImage());
        return shots;
    };
    auto same = [](const wxImage& a, const wxImage& b) {
        return a.GetSize() == b.GetSize() &&
               std::memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
    };
    for (double zoom : {1.0, VIEW_MIN_ZOOM}) {
        SCOPED_TRACE(zoom);
        canvas->SetZoom(zoom);
        canvas->CenterOn({40000, 26000});
        const wxImage plain = canvas->Snapshot().ConvertToImage();
        xor_item_list(canvas, items);
        const std::vector<wxImage> recorded = pictures();
        xor_item_list(canvas, items);
        EXPECT_FALSE(same(recorded[0], plain));
        EXPECT_TRUE(canvas->ToggleItemsGhost(items));
        EXPECT_EQ(canvas->GhostCount(), 1u);
        const std::vector<wxImage> kept = pictures();
        EXPECT_TRUE(same(kept[0], recorded[0]));
        EXPECT_TRUE(same(kept[1], recorded[1]));
        EXPECT_FALSE(canvas->ToggleItemsGhost(items));
        EXPECT_EQ(canvas->GhostCount(), 0u);
        EXPECT_TRUE(same(canvas->Snapshot().ConvertToImage(), plain));
    }
}

TEST_F(GhostsTest, TheSelectionGhostHoldsOnlySelectedItems) {
    // Nothing selected, no area: nothing to show.
    xor_selection(canvas, schema.get());
    EXPECT_EQ(canvas->GhostCount(), 0u);
    first_of(LINE_ITEM)->state |= STATE_SELECTED;
    xor_selection(canvas, schema.get());
    EXPECT_EQ(canvas->GhostCount(), 1u);
    // Selecting another item makes another drawing: the old ghost is not
    // taken away by the new one.
    first_of(JUNCTION_ITEM)->state |= STATE_SELECTED;
    xor_selection(canvas, schema.get());
    EXPECT_EQ(canvas->GhostCount(), 2u);
    canvas->ClearGhosts();
    EXPECT_EQ(canvas->GhostCount(), 0u);
}

TEST_F(GhostsTest, TheClipboardPictureCoversTheSelectionOnly) {
    wxBitmap picture;
    EXPECT_FALSE(selection_image(schema.get(), &picture));
    EXPECT_FALSE(picture.IsOk());
    // The first wire runs 10000 units (an inch) from (10000, 10000).
    first_of(LINE_ITEM)->state |= STATE_SELECTED;
    ASSERT_TRUE(selection_image(schema.get(), &picture));
    EXPECT_NEAR(picture.GetWidth(), CLIPBOARD_PPI * 1.1, 3);
    const wxImage image = picture.ConvertToImage();
    // Somewhere the dark red of wires stands on the black background.
    bool wire_colour = false;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            wire_colour = wire_colour || (image.GetRed(x, y) > 0x30 && image.GetGreen(x, y) < 0x10);
    EXPECT_TRUE(wire_colour);
}

// What another program gets when it asks, long after the copy: the picture
// drawn from the paste file, the same as the selection's when copied.
TEST_F(GhostsTest, ThePictureDrawnFromThePasteFileIsTheSelectionsPicture) {
    tn_test::TempDir dir;
    const std::string paste = dir.file("copied.#01");
    EXPECT_FALSE(paste_file_image(paste, nullptr));  // no file: no picture
    List* selection = list_new();
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        item->state |= STATE_SELECTED;
        dlist_append(selection, item);
    }
    schema->edit.edit_list = selection;
    FILE* stream = std::fopen(paste.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(write_paste_file(schema.get(), PASTE_SCHEMA, stream), 0);
    std::fclose(stream);
    schema->edit.edit_list = nullptr;
    dlist_free(selection, LIST_FROM_HEAD, nullptr);
    wxBitmap copied, asked;
    ASSERT_TRUE(selection_image(schema.get(), &copied));
    ASSERT_TRUE(paste_file_image(paste, &asked));
    const wxImage a = copied.ConvertToImage(), b = asked.ConvertToImage();
    ASSERT_EQ(a.GetSize(), b.GetSize());
    EXPECT_EQ(std::memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3), 0);
}

}  // namespace
}  // namespace render_test

namespace render_test {
namespace {

TEST_F(GhostsTest, TheTitleBlockIsErasedToTheBackgroundAndDrawnAgain) {
    canvas->SetZoom(1.0);
    canvas->CenterOn({70000, 49000});
    // How far a point on the title block's middle line (60000..80000 at y
    // 48000) stands from the background's colour.
    const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
    auto title_pixel = [&] {
        const wxImage image = canvas->Snapshot().ConvertToImage();
        View* view = canvas->GetView();
        const wxPoint origin = canvas->ToWindowUnits(wxPoint(0, 0));
        const int x = int(70000 * view->point.m[0][0]) - origin.x;
        const int y = int(48000 * view->point.m[1][1]) - origin.y;
        int farthest = 0;
        for (int dy = -1; dy <= 1; ++dy)
            farthest = std::max(
                farthest,
                std::abs(int(image.GetRed(x, y + dy)) - int(background & 0xFF)) +
                    std::abs(int(image.GetGreen(x, y + dy)) - int((background >> 8) & 0xFF)));
        return farthest;
    };
    EXPECT_GT(title_pixel(), 100);  // the frame
    erase_title_block(canvas, nullptr, schema.get());
    EXPECT_EQ(title_pixel(), 0);
    draw_title_block_at(canvas, nullptr, schema.get());
    EXPECT_GT(title_pixel(), 100);
}

}  // namespace
}  // namespace render_test
