// The Libedit Edit tool: what it picks, what each command does to items,
// texts and pins of a part body or a title block, the selection area, the
// blinking, and the carrier of picked pins (run under the sanitizers too:
// a carrier's copies and the part's pins are each freed once).
#include <gtest/gtest.h>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_items.h"
#include "libedit_fixture.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace libedit_test;

namespace {

class EditToolTest : public LibEditTest {
protected:
    // A body 4000 x 3000 at (10000, 10000) with its diagonal line, input
    // "A" on the left (at (0, 1500)) and power pin "VCC" on the top.
    Part* body() {
        start(2);
        Part* part = add_part("U1", 1, 4000, 3000, false);
        get_part("U1");
        return part;
    }
    Line* line(Part* part) {
        return as_Line(static_cast<SchItem*>(dlist_head(part->normal->items)->data));
    }
    Pin* pin_a(Part* part) { return static_cast<Pin*>(dlist_head(part->normal_pins->pins)->data); }
    ModeInstance* edit(int command) {
        return start_libedit_edit_mode(&session, session.kind == 2, command);
    }
};

TEST_F(EditToolTest, AHitCountsBelowFiveHundredUnits) {
    Part* part = body();
    PlacedPart* placed = nullptr;
    void* hit = nullptr;
    // The diagonal runs at 3:4 and is 100 wide: 680 units straight below it
    // lie 494 from its edge, 690 lie 502.
    EXPECT_EQ(libedit_hit_test(&ed, true, &placed, &hit, Point{12000, 11500 + 680}), LINE_ITEM);
    EXPECT_EQ(hit, line(part));
    EXPECT_EQ(placed, libedit_first_placed(&ed));
    EXPECT_EQ(libedit_hit_test(&ed, true, &placed, &hit, Point{12000, 11500 + 690}), 127);
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(libedit_hit_test(&ed, true, &placed, &hit, Point{8500, 11600}), 0);
    EXPECT_EQ(hit, pin_a(part));
}

TEST_F(EditToolTest, TemplateIdsAreTheLibrarysCommands) {
    EXPECT_EQ(libedit_edit_command(20249), CMD_CUT);
    EXPECT_EQ(libedit_edit_command(20250), CMD_COPY);
    EXPECT_EQ(libedit_edit_command(20251), CMD_MOVE);
    EXPECT_EQ(libedit_edit_command(20252), 20252);
    EXPECT_EQ(libedit_edit_command(20253), CMD_MIRROR_X);
    EXPECT_EQ(libedit_edit_command(20254), CMD_MIRROR_Y);
    EXPECT_EQ(libedit_edit_command(20255), CMD_ROTATE_90);
    EXPECT_EQ(libedit_edit_command(20256), CMD_ROTATE_180);
    EXPECT_EQ(libedit_edit_command(20257), CMD_ROTATE_270);
    EXPECT_EQ(libedit_edit_command(CMD_COPY), CMD_COPY);
}

TEST_F(EditToolTest, PinsAreNeverTurnedNorMirrored) {
    body();
    ASSERT_NE(edit(CMD_ROTATE_90), nullptr);
    click(Point{8500, 11500});
    EXPECT_EQ(host.bells, 1);
    EXPECT_EQ(last_box_text(), "Cannot do it with Pin(s).");
    EXPECT_STREQ(ModeName(&session, 1), "Libedit Edit");
    EXPECT_FALSE(lib_host.blinking);
    // An area holding a pin is refused the same way and the tool ends.
    right_click(Point{0, 0});
    view_set_select_rect(&doc()->view, Rect{5000, 5000, 20000, 20000});
    EXPECT_EQ(edit(CMD_MIRROR_Y), nullptr);
    EXPECT_EQ(host.bells, 2);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_FALSE(schema_is_modified(doc()));
}

TEST_F(EditToolTest, RotatingAClickedItemBlinksUntilTheConfirmingClick) {
    Part* part = body();
    edit(CMD_ROTATE_90);
    click(Point{12000, 11500});
    EXPECT_TRUE(lib_host.blinking);
    EXPECT_EQ(host.shown, 1);
    libedit_blink_tick(&session);  // the blinking hides and shows it
    EXPECT_EQ(host.shown, 0);
    libedit_blink_tick(&session);
    EXPECT_EQ(host.shown, 1);
    click(Point{30000, 30000});  // anywhere
    EXPECT_FALSE(lib_host.blinking);
    EXPECT_EQ(host.shown, 0);
    // A quarter turn about the line's own centre (2000, 1500).
    Line* l = line(part);
    EXPECT_EQ(l->pos, (Point{3500, -500}));
    EXPECT_EQ(l->end, (Point{500, 3500}));
    EXPECT_TRUE(schema_is_modified(doc()));
    // The tool waits for the next item; Undo brings the line back.
    EXPECT_EQ(ModeCount(&session), 2);
    libedit_undo(&ed);
    EXPECT_EQ(line(part)->pos, (Point{0, 0}));
}

TEST_F(EditToolTest, TextsTurnAndMirrorWithTheDrawing) {
    Part* part = body();
    start_libedit_text_mode(&session, true, "T", 0, 500, 500, 0);
    click(Point{11000, 12000});
    right_click(Point{0, 0});
    Text* text = as_Text(static_cast<SchItem*>(dlist_tail(part->normal->items)->data));
    // Each command picks the text by its middle and confirms anywhere.
    auto on_text = [&](int command) {
        Rect box;
        ASSERT_TRUE(bounds_Text(doc(), text, &box, false));
        edit(command);
        click(Point{10000 + box.x + box.w / 2, 10000 + box.y + box.h / 2});
        click(Point{30000, 30000});
    };
    on_text(CMD_ROTATE_90);
    EXPECT_EQ(text->flags, ROT_90);
    on_text(CMD_MIRROR_X);
    EXPECT_EQ(text->flags, ROT_270 | MX);
    on_text(CMD_MIRROR_Y);
    EXPECT_EQ(text->flags, ROT_90 | MX | MY);
}

TEST_F(EditToolTest, MoveAndCopyActWhereTheUserClicks) {
    Part* part = body();
    edit(CMD_MOVE);
    click(Point{12000, 11500});
    EXPECT_FALSE(lib_host.blinking);
    move(Point{12500, 11800});
    EXPECT_EQ(host.shown, 1);
    click(Point{12500, 11800});
    EXPECT_EQ(line(part)->pos, (Point{500, 300}));
    EXPECT_EQ(line(part)->end, (Point{4500, 3300}));
    edit(CMD_COPY);
    click(Point{12500, 11800});
    click(Point{12000, 11800});
    ASSERT_EQ(part->normal->items->count, 2u);
    Line* copy = as_Line(static_cast<SchItem*>(dlist_tail(part->normal->items)->data));
    EXPECT_EQ(copy->pos, (Point{0, 300}));
    EXPECT_EQ(copy->state & LIBEDIT_PICKED, 0u);
    EXPECT_EQ(line(part)->state & LIBEDIT_PICKED, 0u);
    // A pin moves along its side: the part keeps it, drawn again.
    edit(CMD_MOVE);
    click(Point{8500, 11500});
    click(Point{8500, 12000});
    EXPECT_EQ(pin_a(part)->pos, (Point{0, 2000}));
    EXPECT_EQ(pin_a(part)->state & LIBEDIT_PICKED, 0u);
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);
}

TEST_F(EditToolTest, ACutPinIsFreedOnceAndACancelledOneStays) {
    Part* part = body();
    edit(CMD_MOVE);
    click(Point{8500, 11500});  // the carrier of "A"
    EXPECT_EQ(pin_a(part)->state & LIBEDIT_PICKED, LIBEDIT_PICKED);
    right_click(Point{8500, 11500});  // given up: the carrier goes, the pin stays
    EXPECT_EQ(pin_a(part)->state & LIBEDIT_PICKED, 0u);
    EXPECT_EQ(pinlist_count(part->normal_pins), 2);
    EXPECT_EQ(ModeCount(&session), 2);

    edit(CMD_CUT);
    click(Point{12000, 9500});  // the power pin
    EXPECT_TRUE(lib_host.blinking);
    click(Point{12000, 9500});
    ASSERT_EQ(pinlist_count(part->normal_pins), 1);
    EXPECT_STREQ(pin_a(part)->name.get(), "A");
    edit(CMD_CUT);
    click(Point{8500, 11500});
    click(Point{8500, 11500});
    EXPECT_EQ(part->normal_pins, nullptr);  // its last pin went with it
    right_click(Point{0, 0});
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(EditToolTest, AnAreaIsTakenAtOnceAndTheToolEndsAfterIt) {
    Part* part = body();
    view_set_select_rect(&doc()->view, Rect{9000, 9000, 6000, 5000});
    ASSERT_NE(edit(CMD_CUT), nullptr);
    EXPECT_TRUE(lib_host.blinking);
    click(Point{0, 0});
    EXPECT_EQ(part->normal, nullptr);  // the body's only item
    EXPECT_EQ(part->normal_pins, nullptr);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_FALSE(lib_host.blinking);

    // Without pins a turn of an area happens at once.
    Part* other = add_part("V", 1, 2000, 2000, false);
    free_PinList(other->normal_pins);
    other->normal_pins = nullptr;
    script_answers({ANSWER_YES});  // U1's unsaved edits
    get_part("V");
    view_set_select_rect(&doc()->view, Rect{9000, 9000, 4000, 4000});
    EXPECT_EQ(edit(CMD_ROTATE_180), nullptr);
    Line* turned = line(other);
    EXPECT_EQ(turned->pos, (Point{2000, 2000}));
    EXPECT_EQ(turned->end, (Point{0, 0}));
}

TEST_F(EditToolTest, TemplateCopiesOfControlsStayControls) {
    start(3);
    Line* edge = new_Line();
    edge->end = Point{20000, 0};
    append_or_die(doc()->titleblock.drawing, edge);
    Text* control = new_Text();
    control->flags = TBLOCK;
    control->field = 3;
    control->string = "Title";
    control->pos = Point{5000, 2000};
    append_or_die(doc()->titleblock.fields, control);
    PlacedPart* placed = nullptr;
    void* hit = nullptr;
    EXPECT_EQ(libedit_hit_test(&ed, false, &placed, &hit, Point{10000, 300}), LINE_ITEM);
    EXPECT_EQ(hit, edge);
    ASSERT_NE(edit(TEMPLATE_EDIT_COPY), nullptr);
    click(Point{5000, 2000});
    click(Point{5000, 6000});
    ASSERT_EQ(doc()->titleblock.fields->count, 2u);
    EXPECT_EQ(doc()->titleblock.drawing->count, 1u);
    Text* copy = as_Text(static_cast<SchItem*>(dlist_tail(doc()->titleblock.fields)->data));
    EXPECT_EQ(copy->pos, (Point{5000, 6000}));
    EXPECT_EQ(copy->field, 3);
    edit(TEMPLATE_EDIT_ROTATE_90);
    click(Point{10000, 0});
    click(Point{10000, 0});
    EXPECT_EQ(edge->pos, (Point{10000, -10000}));
    edit(TEMPLATE_EDIT_CUT);
    click(Point{5000, 6000});
    click(Point{5000, 6000});
    EXPECT_EQ(doc()->titleblock.fields->count, 1u);
}

TEST_F(EditToolTest, ADoubleClickOpensTheDialogOfWhatLiesUnderIt) {
    Part* part = body();
    EXPECT_TRUE(libedit_edit_selection(&ed, Point{8500, 11500}));
    ASSERT_EQ(lib_host.edited_pins.size(), 1u);
    EXPECT_EQ(lib_host.edited_pins[0].second, pin_a(part));
    start_add_ieee_mode(&session, 'B', 500, 500);
    click(Point{13000, 11000});
    right_click(Point{0, 0});
    EXPECT_TRUE(libedit_edit_selection(&ed, Point{13000, 11000}));
    ASSERT_EQ(lib_host.edited_texts.size(), 1u);
    EXPECT_EQ(ed.current_item, lib_host.edited_texts[0]);
    EXPECT_FALSE(libedit_edit_selection(&ed, Point{60000, 60000}));
}

}  // namespace
