// One level of undo in the library and template windows.
#include <gtest/gtest.h>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"

using namespace libedit_test;

namespace {

struct PartState {
    Rect body;
    int devices;
    std::string prefix;
    int normal_pins;
    int normal_items;
    int convert_items;  // -1 without a converted drawing
    bool converted;
};

PartState state_of(const Part* p) {
    return {p->body,
            p->devices,
            p->prefix.get(),
            pinlist_count(p->normal_pins),
            p->normal ? static_cast<int>(p->normal->items->count) : -1,
            p->convert ? static_cast<int>(p->convert->items->count) : -1,
            (p->state & PART_CONVERTED) != 0};
}

void expect_same(const PartState& a, const PartState& b) {
    EXPECT_EQ(a.body, b.body);
    EXPECT_EQ(a.devices, b.devices);
    EXPECT_EQ(a.prefix, b.prefix);
    EXPECT_EQ(a.normal_pins, b.normal_pins);
    EXPECT_EQ(a.normal_items, b.normal_items);
    EXPECT_EQ(a.convert_items, b.convert_items);
    EXPECT_EQ(a.converted, b.converted);
}

class UndoTest : public LibEditTest {};

TEST_F(UndoTest, UndoPutsThePartBackIntoTheSameRecordAndASecondUndoChangesNothing) {
    start(2);
    Part* part = add_part("A", 2, 4000, 3000, true);
    get_part("A");
    const PartState before = state_of(part);
    edit_checkpoint(&session);
    EXPECT_TRUE(host.undo_enabled);

    // A pin, the body, the devices, the prefix and both drawings change.
    part->body.w = 8000;
    part_set_devices(part, 3);
    part->prefix.set("Q");
    append_or_die(part->normal_pins->pins, new_Pin(3));
    append_or_die(part->normal->items, new_Circle());
    unref_Vectors(part->convert);
    part->convert = nullptr;
    part->state &= ~PART_CONVERTED;

    libedit_undo(&ed);
    EXPECT_EQ(libedit_part(&ed), part);
    EXPECT_EQ(find_LibEntry(lib(), "A")->part, part);
    expect_same(state_of(part), before);
    EXPECT_FALSE(host.undo_enabled);
    // The sheet shows the restored part: two devices with their converted bodies.
    EXPECT_EQ(count(PARTLIB_ITEM), 4);
    EXPECT_EQ(body_rect(body_box_of(items(), libedit_first_placed(&ed))).w, 4000);

    libedit_undo(&ed);
    EXPECT_EQ(libedit_part(&ed), part);
    expect_same(state_of(part), before);
}

TEST_F(UndoTest, UndoOfTheFirstBodyOfANewPartEmptiesTheSheetAndDropsThePart) {
    start(2);
    ASSERT_TRUE(libedit_place_body(&ed, 2, false));
    move(Point{14000, 12000});
    click(Point{14000, 12000});
    ASSERT_NE(find_LibEntry(lib(), "noname"), nullptr);
    EXPECT_EQ(count(PARTLIB_ITEM), 2);
    libedit_undo(&ed);
    EXPECT_EQ(count(PARTLIB_ITEM), 0);
    EXPECT_EQ(lib_entry_count(lib()), 0u);
    libedit_undo(&ed);
    EXPECT_EQ(lib_entry_count(lib()), 0u);
}

TEST_F(UndoTest, UndoAfterARenameStillFindsThePart) {
    start(2);
    Part* part = add_part("A", 1, 2000, 2000, false);
    get_part("A");
    ASSERT_TRUE(libedit_rename(&ed, "A", "ZZZ"));
    edit_checkpoint(&session);
    part->body.h = 9000;
    libedit_undo(&ed);
    EXPECT_EQ(part->body.h, 2000);
    EXPECT_STREQ(libedit_part_name(&ed), "ZZZ");
}

TEST_F(UndoTest, TemplateUndoBringsBackBothListsAndAnEmptyBlockStaysWritable) {
    start(3);
    TitleBlock& block = doc()->titleblock;
    edit_checkpoint(&session);  // an empty title block
    append_or_die(block.drawing, new_Line());
    append_or_die(block.fields, new_Line());
    template_undo(&ed);
    ASSERT_NE(block.drawing, nullptr);
    ASSERT_NE(block.fields, nullptr);
    EXPECT_EQ(block.drawing->count, 0u);
    EXPECT_EQ(block.fields->count, 0u);

    append_or_die(block.drawing, new_Line());
    edit_checkpoint(&session);
    append_or_die(block.drawing, new_Circle());
    template_undo(&ed);
    ASSERT_EQ(block.drawing->count, 1u);
    EXPECT_EQ(static_cast<SchItem*>(block.drawing->head->data)->type, LINE_ITEM);
    template_undo(&ed);
    EXPECT_EQ(block.drawing->count, 1u);
}

}  // namespace
