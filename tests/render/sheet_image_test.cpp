// Reference images of a sheet holding every item kind that a sheet file
// stores, drawn at two zooms. Regenerate with TN_REGENERATE_RENDER=1 and
// look at every image before committing it.
#include <gtest/gtest.h>

#include "model/items/view.h"
#include "render/render_fixture.h"

namespace render_test {
namespace {

class SheetImageTest : public RenderTest {};

TEST_F(SheetImageTest, EveryItemKindAtTwoZooms) {
    SchemaPtr schema = load("every_item.asc");
    ASSERT_TRUE(schema);
    RenderCanvas* canvas = make_canvas(800, 600);
    canvas->SetDocument(schema.get());

    canvas->SetZoom(1.0);
    canvas->CenterOn({42000, 28000});
    expect_matches_reference(canvas->Snapshot(), "every_item_zoom1.png");

    canvas->SetZoom(4.0);
    canvas->CenterOn({14000, 17000});
    expect_matches_reference(canvas->Snapshot(), "every_item_zoom4.png");
    canvas->SetDocument(nullptr);
}

}  // namespace
}  // namespace render_test
