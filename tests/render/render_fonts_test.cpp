#include <gtest/gtest.h>

#include <cstring>

#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/fonts.h"
#include "model/items/text.h"
#include "render/render_fixture.h"
#include "render/render_fonts.h"
#include "render/render_services.h"

namespace render_test {
namespace {

class RenderFontsTest : public RenderTest {
protected:
    void TearDown() override {
        free_Fonts(table);
        RenderTest::TearDown();
    }
    Font* add(int number, int size, const char* face) {
        Font* font = new_Font();
        font->number = number;
        font->size = size;
        font->weight = 400;
        font_set_face(font, face);
        if (!table) table = list_new();
        dlist_append(table, font);
        return font;
    }
    List* table = nullptr;
};

TEST_F(RenderFontsTest, FontForTextRealizesTheRecordOfItsIdOnce) {
    Font* courier = add(3, 100, "Courier");
    int id = 13;
    Font* record = nullptr;
    const int before = realized_font_count();
    const wxFont* font = font_for_text(&table, &id, &record);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(record, courier);
    EXPECT_EQ(id, 13);
    EXPECT_NE(courier->realized, 0u);
    EXPECT_EQ(realized_font_count(), before + 1);
    EXPECT_EQ(font_for_text(&table, &id, &record), font);
    EXPECT_EQ(realized_font_count(), before + 1);
    // Removing the entry destroys its realized font.
    font_remove_entry(&table, 3);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(realized_font_count(), before);
}

TEST_F(RenderFontsTest, ACopiedOrEditedRecordNeverTakesAnotherRecordsFont) {
    Font* first = add(1, 100, "Courier");
    const int before = realized_font_count();
    const wxFont first_font = realize_font(first);
    // A field-by-field copy carries the first record's number.
    Font* copy = add(2, 100, "Courier");
    *copy = *first;
    copy->number = 2;
    copy->size = 240;
    EXPECT_EQ(realize_font(copy).GetFractionalPointSize(), 24.0);
    EXPECT_NE(copy->realized, first->realized);
    EXPECT_EQ(realized_font_count(), before + 2);
    // Releasing the copy leaves the first record's font alone.
    font_remove_entry(&table, 2);
    EXPECT_EQ(realize_font(first), first_font);
    EXPECT_EQ(realized_font_count(), before + 1);
    // An edited record gets its font made again in its own slot.
    first->size = 180;
    EXPECT_EQ(realize_font(first).GetFractionalPointSize(), 18.0);
    EXPECT_EQ(realized_font_count(), before + 1);
}

TEST_F(RenderFontsTest, MissingRecordsGetTheDefaultFontUnderTheirNumberOrTheNextFree) {
    add(1, 100, "Courier");
    int id = 17;  // record 7 is missing
    Font* record = nullptr;
    ASSERT_NE(font_for_text(&table, &id, &record), nullptr);
    EXPECT_EQ(id, 17);
    EXPECT_EQ(record->number, 7);
    EXPECT_EQ(record->size, 100);
    // The default record is found again rather than added twice.
    id = 0;
    Font* again = nullptr;
    ASSERT_NE(font_for_text(&table, &id, &again), nullptr);
    EXPECT_EQ(again, record);
    EXPECT_EQ(id, 17);
    EXPECT_EQ(table->count, 2u);
    // An id beyond the numbers a table gives takes a free number.
    record->size = 240;  // no longer the default
    id = 10 + FONT_NUMBER_MAX + 100;
    ASSERT_NE(font_for_text(&table, &id, &again), nullptr);
    EXPECT_EQ(again->number, 2);
    EXPECT_EQ(id, 12);
}

TEST_F(RenderFontsTest, FontCacheGetFindsOrAddsTheSizedVariant) {
    Font* base = add(1, 100, "Courier");
    Font* same = font_cache_get(&table, base, 100, 0);
    EXPECT_EQ(same, base);
    Font* bigger = font_cache_get(&table, base, 200, 900);
    ASSERT_NE(bigger, nullptr);
    EXPECT_NE(bigger, base);
    EXPECT_EQ(bigger->number, 2);
    EXPECT_EQ(bigger->size, 200);
    EXPECT_EQ(bigger->escapement, 900);
    EXPECT_EQ(bigger->realized, 0u);
    EXPECT_EQ(font_cache_get(&table, base, 200, 900), bigger);
    EXPECT_EQ(table->count, 2u);
}

TEST_F(RenderFontsTest, PurgeKeepsOnlyFontsThatTextsUse) {
    SchemaPtr schema = compile(
        "(SCHEMATIC (SHEET (TEXT 11 (POS 0 0 ) (SIZE 400 600 ) 'used' ) )\n"
        " (FONTS (FONT 11  100 13 0 0 0 400 0 0 0 0 0 0 0 0 'Arial' )\n"
        "        (FONT 12  120 16 0 0 0 400 0 0 0 0 0 0 0 0 'Arial' ) ) )");
    ASSERT_TRUE(schema);
    ASSERT_EQ(schema->fonts->count, 2u);
    purge_unused_fonts(schema.get());
    ASSERT_NE(schema->fonts, nullptr);
    ASSERT_EQ(schema->fonts->count, 1u);
    EXPECT_EQ(list_items<Font>(schema->fonts).begin().operator*()->number, 1);
}

TEST_F(RenderFontsTest, MeasuringNeedsACanvasAndScalesWithThePointSize) {
    add(1, 120, "DejaVu Sans");
    add(2, 240, "DejaVu Sans");
    int id = 11;
    Rect small{}, big{};
    EXPECT_FALSE(text_extent(nullptr, table, nullptr, "Wide text", &id, {0, 0}, &small));
    RenderCanvas* canvas = make_canvas(100, 100);
    ASSERT_TRUE(text_extent(canvas, table, nullptr, "Wide text", &id, {1000, 2000}, &small));
    id = 12;
    ASSERT_TRUE(text_extent(canvas, table, nullptr, "Wide text", &id, {1000, 2000}, &big));
    // A 12-point line is about 12 / 72 inch high: near 1700 world units.
    EXPECT_GT(small.h, 1200);
    EXPECT_LT(small.h, 2600);
    EXPECT_NEAR(double(big.w) / small.w, 2.0, 0.2);
    EXPECT_EQ(small.x, 1000);
    EXPECT_EQ(small.y, 2000 - small.h);
    // A second line doubles the height.
    Rect two{};
    id = 11;
    ASSERT_TRUE(text_extent(canvas, table, nullptr, "Wide text@x", &id, {0, 0}, &two));
    EXPECT_EQ(two.h, 2 * small.h);
    EXPECT_EQ(two.w, small.w);
}

TEST_F(RenderFontsTest, TextBoxesAreMeasuredOnlyOnTheCanvasOfTheDocument) {
    SchemaPtr schema = compile(
        "(SCHEMATIC (SHEET (TEXT 11 (POS 5000 5000 ) (SIZE 400 600 ) 'box' ROT_90 ) )\n"
        " (FONTS (FONT 11  100 13 0 0 0 400 0 0 0 0 0 0 0 0 'DejaVu Sans' ) ) )");
    ASSERT_TRUE(schema);
    SchItem* text = list_items<SchItem>(schema->sheet->items).begin().operator*();
    Rect box{1, 2, 3, 4};
    EXPECT_FALSE(services().sheet_text_box(schema.get(), text, &box));
    EXPECT_EQ(box, (Rect{1, 2, 3, 4}));
    RenderCanvas* canvas = make_canvas(100, 100);
    canvas->SetDocument(schema.get());
    ASSERT_TRUE(services().sheet_text_box(schema.get(), text, &box));
    // Turned a quarter: taller than wide, standing on the anchor.
    EXPECT_GT(box.h, box.w);
    EXPECT_TRUE(box.x == 5000 || box.x + box.w == 5000);
    canvas->SetDocument(nullptr);
}

}  // namespace
}  // namespace render_test
