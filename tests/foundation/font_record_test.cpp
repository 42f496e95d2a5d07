#include "foundation/font_record.h"

#include <gtest/gtest.h>

#include "foundation/list.h"
#include "foundation/services.h"

namespace {

Font* font(int number, const char* face) {
    Font* f = new_Font();
    f->number = number;
    f->size = 100;
    f->weight = 400;
    font_set_face(f, face);
    return f;
}

TEST(FontRecord, Equality) {
    Font* a = font(1, "Arial");
    Font* b = font(2, "ARIAL");
    b->height = 99;
    b->width = 7;
    EXPECT_TRUE(font_equal(a, b, true));  // numbers, height and width do not count
    EXPECT_FALSE(font_equal(a, a, true));  // a record is not "equal" to itself
    b->size = 120;
    EXPECT_FALSE(font_equal(a, b, true));
    EXPECT_TRUE(font_equal(a, b, false));
    b->italic = 1;
    EXPECT_FALSE(font_equal(a, b, false));
    b->italic = 0;
    b->kind = 1;
    EXPECT_FALSE(font_equal(a, b, false));
    free_Font(a);
    free_Font(b);
}

TEST(FontRecord, FindSameAndRemoveByNumber) {
    List* table = list_new();
    dlist_append(table, font(1, "Arial"));
    dlist_append(table, font(2, "Courier"));
    dlist_append(table, font(1, "Symbol"));
    Font* probe = font(9, "courier");
    EXPECT_EQ(font_find_same(table, probe), table->head->next->data);
    EXPECT_EQ(font_find_same(nullptr, probe), nullptr);

    int released = 0;
    static int* counter;
    counter = &released;
    font_table_remove(&table, 1, [](Font*) { ++*counter; });
    EXPECT_EQ(released, 2);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->count, 1u);
    font_table_remove(&table, 7);  // no such number: nothing changes
    EXPECT_EQ(table->count, 1u);
    services().font_remove_entry(&table, 2);  // the headless service is the same operation
    EXPECT_EQ(table, nullptr);
    font_table_remove(&table, 2);  // none stays none
    free_Font(probe);
}

}  // namespace
