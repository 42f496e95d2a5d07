#include <gtest/gtest.h>

#include <cmath>

#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/view.h"
#include "render/colour_table.h"
#include "render/draw_items.h"
#include "render/render_fixture.h"

namespace render_test {
namespace {

class RenderCanvasTest : public RenderTest {};

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

// How many pixels of the window show the colour.
int pixels_of(RenderCanvas* canvas, uint32_t colour) {
    wxImage image = canvas->Snapshot().ConvertToImage();
    const wxColour want = colour_of_rgb(colour);
    int count = 0;
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x)
            count += image.GetRed(x, y) == want.Red() && image.GetGreen(x, y) == want.Green() &&
                     image.GetBlue(x, y) == want.Blue();
    return count;
}

TEST_F(RenderCanvasTest, TheSelectionStandsOutOnScreenUntilItIsCleared) {
    SchemaPtr schema = compile("(SCHEMATIC (SHEET (LINE (POS 0 0 ) (POS 90000 0 ) ) ) )");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = make_canvas(400, 300);
    canvas->SetDocument(schema.get());
    canvas->ZoomAll();
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

}  // namespace
}  // namespace render_test
