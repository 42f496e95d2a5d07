#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <wx/dcmemory.h>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/draw_items.h"
#include "render/render_fixture.h"

namespace render_test {
namespace {

class RenderCanvasTest : public RenderTest {
protected:
    // A canvas of the size showing the whole document.
    RenderCanvas* showing_all(Schema* schema, int width, int height) {
        RenderCanvas* canvas = make_canvas(width, height);
        canvas->SetDocument(schema);
        canvas->ZoomAll();
        return canvas;
    }
};

TEST_F(RenderCanvasTest, TheViewIsBoundToTheCanvasShowingItAndFollowsItsScrollBars) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 90000 60000 ) ) ) )");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = make_canvas(400, 300);
    canvas->SetDocument(schema.get());
    EXPECT_EQ(canvas_of_view(&schema->view), canvas);
    canvas->SetZoom(4.0);
    canvas->CenterOn({45000, 30000});
    canvas->Snapshot();
    View* view = canvas->GetView();
    int area[4];
    services().canvas_visible_rect(canvas, area);
    EXPECT_EQ(area[2], 400);
    EXPECT_EQ(area[3], 300);
    EXPECT_EQ(area[0], view->position.x);
    EXPECT_EQ(area[1], view->position.y);

    // Three steps to the right, two down: the centre moves with them and a
    // later zoom keeps it.
    canvas->Scroll(area[0] + 3, area[1] + 2);
    canvas->Snapshot();
    const double units_per_pixel = 1.0 / view->point.m[0][0];
    EXPECT_EQ(view->position.x, area[0] + 3);
    EXPECT_EQ(view->position.y, area[1] + 2);
    EXPECT_NEAR(view->centre.x, ((area[0] + 3) * view->step.x + 200) * units_per_pixel,
                2 * units_per_pixel);
    EXPECT_NEAR(view->centre.y, ((area[1] + 2) * view->step.y + 150) * units_per_pixel,
                2 * units_per_pixel);
    const Point moved = view->centre;
    canvas->SetZoom(2.0);
    canvas->Snapshot();
    EXPECT_EQ(view->centre, moved);

    // Another document: the first one's view is let go.
    SchemaPtr other = compile("(SCHEMATIC (SHEET ) )");
    canvas->SetDocument(other.get());
    EXPECT_EQ(canvas_of_view(&schema->view), nullptr);
    canvas->SetDocument(nullptr);
    EXPECT_EQ(canvas_of_view(&other->view), nullptr);
}

// A centre past the end of the scroll bars' range: they stop short of the
// position the view asks for, and the view follows them before the first
// paint, so that a later paint (the one the bars' change brings) shows the
// same picture rather than the drawing a step aside.
TEST_F(RenderCanvasTest, TheFirstPaintIsTheOneThatStaysWhereTheScrollBarsStopShort) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 90000 60000 ) ) ) )");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = showing(schema.get(), 400, 300, 0.25, {1000000, 30000});
    const wxImage first = canvas->Snapshot().ConvertToImage();
    View* view = canvas->GetView();
    int area[4];
    canvas->VisibleRect(area);
    EXPECT_EQ(area[0], view->position.x);
    EXPECT_FALSE(view->dirty);
    const wxImage second = canvas->Snapshot().ConvertToImage();
    ASSERT_EQ(first.GetSize(), second.GetSize());
    EXPECT_EQ(0, std::memcmp(first.GetData(), second.GetData(),
                             size_t(first.GetWidth()) * first.GetHeight() * 3));
    canvas->SetDocument(nullptr);  // the document goes before the window
}

// How many pixels of the image the test holds for.
template <class Test>
int pixels_where(const wxImage& image, Test test) {
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x) count += test(x, y);
    return count;
}

// How many pixels of the window show the colour.
int pixels_of(RenderCanvas* canvas, uint32_t colour) {
    wxImage image = canvas->Snapshot().ConvertToImage();
    const wxColour want = colour_of_rgb(colour);
    return pixels_where(image, [&](int x, int y) {
        return image.GetRed(x, y) == want.Red() && image.GetGreen(x, y) == want.Green() &&
               image.GetBlue(x, y) == want.Blue();
    });
}

TEST_F(RenderCanvasTest, TheSelectionStandsOutOnScreenUntilItIsCleared) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 90000 0 ) ) ) )");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = showing_all(schema.get(), 400, 300);
    EXPECT_EQ(pixels_of(canvas, uint32_t(SELECTION_COLOUR)), 0);
    SchItem* line = static_cast<SchItem*>(schema->sheet->items->head->data);
    line->state |= STATE_SELECTED;
    canvas->Redraw();
    EXPECT_GT(pixels_of(canvas, uint32_t(SELECTION_COLOUR)), 50);
    line->state &= ~STATE_SELECTED;
    canvas->Redraw();
    EXPECT_EQ(pixels_of(canvas, uint32_t(SELECTION_COLOUR)), 0);
    canvas->SetDocument(nullptr);
}

// The device rectangle of a world one as the canvas maps it.
wxRect device_of(RenderCanvas* canvas, const Rect& world) {
    const View* v = canvas->GetView();
    const wxPoint origin = canvas->ToWindowUnits(wxPoint(0, 0));
    const double sx = v->point.m[0][0], sy = v->point.m[1][1];
    const int x0 = int(std::floor(world.x * sx - origin.x));
    const int y0 = int(std::floor(world.y * sy - origin.y));
    const int x1 = int(std::floor((double(world.x) + world.w) * sx - origin.x));
    const int y1 = int(std::floor((double(world.y) + world.h) * sy - origin.y));
    return wxRect(wxPoint(x0, y0), wxPoint(x1, y1));
}

// Every item of the fixture drawn alone, in its colours and in the
// selection's, lights no pixel outside the rectangle the bounds index keeps
// for it (widened by the three pixels the canvas allows for pens and
// faces): a repaint that leaves out the items whose rectangles miss an area
// leaves out nothing drawn there.
TEST_F(RenderCanvasTest, EveryItemDrawsInsideTheRectangleTheIndexKeepsForIt) {
    SchemaPtr schema = load("every_item.asc");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = make_canvas(500, 360);
    canvas->SetDocument(schema.get());
    const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
    const wxColour back = colour_of_rgb(background);
    for (double zoom : {0.0, 2.0, 8.0}) {
        if (zoom == 0.0)
            canvas->ZoomAll();
        else
            canvas->SetZoom(zoom);
        canvas->Snapshot();
        SheetIndex* index = sheet_index(schema.get());
        ASSERT_NE(index, nullptr);
        for (List* list : {schema->ports, schema->sheet->items}) {
            for (SchItem* item : list_items<SchItem>(list)) {
                Rect box{};
                ASSERT_TRUE(sheet_index_bounds(index, item, &box)) << item_name(item->type);
                const wxRect allowed = device_of(canvas, box).Inflate(3);
                for (int64_t colour : {ITEM_COLOURS, SELECTION_COLOUR}) {
                    wxBitmap bitmap(500, 360);
                    {
                        wxMemoryDC dc(bitmap);
                        dc.SetBackground(wxBrush(back));
                        dc.Clear();
                        DrawAdapter adapter = canvas->MakeAdapter(dc);
                        draw_item(&adapter, schema.get(), item, nullptr, colour, STYLE_AS_ITEM);
                    }
                    wxImage image = bitmap.ConvertToImage();
                    int outside = 0;
                    for (int y = 0; y < image.GetHeight(); ++y)
                        for (int x = 0; x < image.GetWidth(); ++x) {
                            const bool lit = image.GetRed(x, y) != back.Red() ||
                                             image.GetGreen(x, y) != back.Green() ||
                                             image.GetBlue(x, y) != back.Blue();
                            outside += lit && !allowed.Contains(x, y);
                        }
                    EXPECT_EQ(outside, 0) << item_name(item->type) << " at zoom " << zoom;
                }
            }
        }
    }
    canvas->SetDocument(nullptr);
}

// Pixels whose colours differ by more than the rounding of antialiased
// edges (a clipped context blends a level apart now and then).
int differing_pixels(const wxImage& a, const wxImage& b) {
    return pixels_where(a, [&](int x, int y) {
        return std::abs(a.GetRed(x, y) - b.GetRed(x, y)) > 2 ||
               std::abs(a.GetGreen(x, y) - b.GetGreen(x, y)) > 2 ||
               std::abs(a.GetBlue(x, y) - b.GetBlue(x, y)) > 2;
    });
}

// After edits the canvas draws again only where the index noted changes;
// the picture is the one a full repaint gives: each item of the fixture in
// turn moved a little, selected, and at last taken out.
TEST_F(RenderCanvasTest, RepaintingWhatChangedGivesTheWholePicture) {
    SchemaPtr schema = load("every_item.asc");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = showing_all(schema.get(), 500, 360);
    canvas->Snapshot();
    std::vector<SchItem*> items;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) items.push_back(item);
    ASSERT_GT(items.size(), 6u);
    auto compare = [&](const char* what, int code) {
        canvas->RedrawDamage();
        wxImage partial = canvas->Snapshot().ConvertToImage();
        canvas->RedrawView();
        wxImage whole = canvas->Snapshot().ConvertToImage();
        EXPECT_EQ(differing_pixels(partial, whole), 0) << what << " " << item_name(code);
    };
    for (SchItem* item : items) {
        Matrix shift;
        matrix_translate(&shift, 700, 300);
        matrix_SchItem(item, &shift);
        sheet_index_changed(schema.get(), item);
        compare("moved", item->type);
        item->state |= STATE_SELECTED;
        sheet_index_damage(schema.get(), item);
        compare("selected", item->type);
    }
    for (SchItem* item : items) {
        const int code = item->type;
        ASSERT_EQ(sheet_take_out(schema.get(), item), schema->sheet->items);
        free_SchItem(schema.get(), item, false);
        compare("taken out", code);
    }
    canvas->SetDocument(nullptr);
}

}  // namespace
}  // namespace render_test
