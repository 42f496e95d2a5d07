// Label numbering, pin sides, pin display bits and the text search.
#include <gtest/gtest.h>

#include <string>

#include "editor/edit_ops.h"
#include "foundation/list.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_fixture.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace sheet_test;

namespace {

struct Increment {
    const char* before;
    int step;
    const char* after;
};

class LabelIncrementTest : public ::testing::TestWithParam<Increment> {};

TEST_P(LabelIncrementTest, StepsTheTrailingNumber) {
    std::string text = GetParam().before;
    label_increment(&text, GetParam().step);
    EXPECT_EQ(text, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Labels, LabelIncrementTest,
                         ::testing::Values(Increment{"D0", 1, "D1"}, Increment{"D9", 1, "D10"},
                                           Increment{"A07", 1, "A8"}, Increment{"BUS12\\", 2, "BUS14\\"},
                                           Increment{"\\", 1, "\\"}, Increment{"CLK", 1, "CLK"},
                                           Increment{"X5", 0, "X5"}, Increment{"X5", -7, "X-2"},
                                           Increment{"", 1, ""}, Increment{"12", 1, "13"},
                                           Increment{"N99999999999999999999", 1, "N2147483648"}));

TEST(PinSideTest, TheEdgeThePointLiesOnGivesTheSide) {
    Rect body{1000, 2000, 4000, 6000};
    Pin pin;
    pin.flags = SHORT | RIGHT;
    struct {
        Point p;
        uint8_t side;
    } cases[] = {{{1000, 3000}, LEFT},   {{5000, 3000}, RIGHT}, {{2000, 2000}, TOP},
                 {{2000, 8000}, BOTTOM}, {{1000, 2000}, LEFT},  {{3000, 5000}, BOTTOM}};
    for (auto& c : cases) {
        pin.drawing = new_Vectors();
        pin_side_from_point(&pin, c.p, body);
        EXPECT_EQ(pin.flags & PIN_SIDE_MASK, c.side);
        EXPECT_EQ(pin.flags & SHORT, SHORT);  // the other bits stay
        EXPECT_EQ(pin.drawing, nullptr);
    }
}

class SearchTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        doc = make_schema();
        for (const char* s : {"CLK", "clk_in", "A.B", "AXB", "R*1", "DATA0", "DATA12"}) add(doc->sheet->items, s);
        add(doc->titleblock.fields, "TITLE");
        add(doc->titleblock.drawing, "Sheet 1");
    }
    void add(List* list, const char* s) {
        Text* text = new_Text();
        text->string = s;
        text->pos = Point{static_cast<int32_t>(list->count) * 1000, 0};
        dlist_append(list, text);
    }
    SchemaPtr doc;
};

TEST_F(SearchTest, PatternsAreAnchoredAndWildcardsOnlyWhenAsked) {
    Schema* s = doc.get();
    EXPECT_EQ(search_sheet_texts(s, "clk", false, false), 1);     // capitals compared, whole text
    EXPECT_EQ(search_sheet_texts(s, "clk", true, false), 0);
    EXPECT_EQ(search_sheet_texts(s, "CLK*", false, false), 0);    // '*' literal without wildcards
    EXPECT_EQ(search_sheet_texts(s, "CLK*", false, true), 2);
    EXPECT_EQ(search_sheet_texts(s, "A.B", false, true), 1);      // '.' is literal
    EXPECT_EQ(search_sheet_texts(s, "A?B", false, true), 2);
    EXPECT_EQ(search_sheet_texts(s, "A?B", false, false), 0);
    EXPECT_EQ(search_sheet_texts(s, "R*1", false, false), 1);
    EXPECT_EQ(search_sheet_texts(s, "DATA?", false, true), 1);
    EXPECT_EQ(search_sheet_texts(s, "*A*", false, true), 4);
    EXPECT_EQ(search_sheet_texts(s, "", false, true), 0);
    EXPECT_EQ(search_title_texts(s, "*t*", false, true), 2);
    EXPECT_EQ(search_title_texts(s, "CLK", false, false), 0);
    EXPECT_TRUE(text_matches("**a**", "xay", false, true));
    EXPECT_FALSE(text_matches("a*b*c", "abx", false, true));
}

TEST_F(SearchTest, MatchesStepCyclicallyFromNoCurrentMatch) {
    Schema* s = doc.get();
    ASSERT_EQ(search_sheet_texts(s, "DATA*", false, true), 2);
    Point p;
    ASSERT_TRUE(match_next(s, &p));
    EXPECT_EQ(p.x, 5000);
    match_next(s, &p);
    EXPECT_EQ(p.x, 6000);
    match_next(s, &p);
    EXPECT_EQ(p.x, 5000);
    match_previous(s, &p);
    EXPECT_EQ(p.x, 6000);
    search_sheet_texts(s, "DATA*", false, true);
    match_previous(s, &p);  // from none: the last
    EXPECT_EQ(p.x, 6000);
    search_sheet_texts(s, "nothing", false, false);
    EXPECT_FALSE(match_next(s, &p));
    EXPECT_EQ(p, (Point{0, 0}));
}

TEST_F(SearchTest, PinDisplayBitsDependOnTheChosenBody) {
    Part* part = add_library_part(doc.get(), "7400");
    init_pin_display(part, false);
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins))
        EXPECT_EQ(pin->flags & (PIN_DISPLAY | PIN_SHOW_NAME | PIN_SHOW_NUMBER), PIN_DISPLAY | PIN_SHOW_NUMBER);
    // A body without drawn items shows the names as well.
    free_Item(static_cast<Item*>(dlist_head(part->normal->items)->data));
    dlist_remove_head(part->normal->items, nullptr);
    init_pin_display(part, false);
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins))
        EXPECT_EQ(pin->flags & PIN_SHOW_NAME, PIN_SHOW_NAME);
    init_pin_display(part, true);  // no converted pins: nothing happens
    init_pin_display(nullptr, false);
}

}  // namespace
