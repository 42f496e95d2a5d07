#include <gtest/gtest.h>

#include "foundation/heap.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace {

// Records are pool blocks: the slot of a released record is the next
// record's of its size, whether made new or copied, and a record of another
// size never takes it (it would run over its neighbour).
TEST(RecordPool, ReleasedSlotIsReusedByTheNextRecordOfItsSize) {
    if (!pool_active()) GTEST_SKIP() << "records come from malloc in this build";
    Line* line = new_Line();
    ASSERT_NE(line, nullptr);
    line->end = Point{5, 6};
    Line* slot = line;
    free_Line(line, false);

    Text* text = new_Text();
    ASSERT_NE(text, nullptr);
    EXPECT_NE(static_cast<void*>(text), static_cast<void*>(slot));

    Line* again = new_Line();
    EXPECT_EQ(again, slot);
    EXPECT_EQ(again->end, Point{});  // made afresh, nothing left of the old record
    Line* copy = copy_Line(again);
    free_Line(again, false);
    Line* third = copy_Line(copy);
    EXPECT_EQ(third, slot);
    EXPECT_EQ(third->type, LINE_ITEM);
    free_Line(third, false);
    free_Line(copy, false);
    free_Text(text, false);
}

}  // namespace
