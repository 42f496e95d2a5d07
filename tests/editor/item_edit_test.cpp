// The edit entry of the sheet editor: what a double click or the click of
// Edit Item's "Find Item" mode edits (and as which kind), the Add commands
// of the Place menu, and the bookmark's name asked after its click.
#include <gtest/gtest.h>

#include "editor/edit_ops.h"
#include "editor/item_edit.h"
#include "editor_fixture.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/view.h"

using namespace editor_test;

namespace {

class ItemEditTest : public EditorTest {
protected:
    Text* add_text(const char* string, Point at, uint8_t flags = 0) {
        Text* text = new_Text();
        text->string = string;
        text->pos = at;
        text->flags = flags;
        text->size = TextSize{600, 900};
        dlist_append(doc()->sheet->items, text);
        return text;
    }
    PlacedPart* add_part(Point at) {
        sheet_test::add_library_part(doc(), "7400");
        PlacedPart* pl = new_PlacedPart();
        pl->part_name.set("7400");
        pl->pos = at;
        pl->reference.text.set("U3");
        pl->reference.flags |= VIS;
        pl->reference.pos = Point{at.x, at.y - 3000};
        pl->value.text.set("7400");
        pl->value.flags |= VIS;
        pl->value.pos = Point{at.x, at.y + 9000};
        dlist_append(doc()->sheet->items, pl);
        return pl;
    }
    // The last edit request the host saw.
    const RecordingHost::Edit& last() { return host.edits.back(); }
};

TEST_F(ItemEditTest, ADoubleClickEditsTheItemUnderItAsItsKind) {
    Text* text = add_text("NOTE", Point{0, 0});
    PlacedPart* pl = add_part(Point{20000, 0});
    Power* power = new_Power();
    power->pos = Point{40000, 0};
    dlist_append(doc()->sheet->items, power);

    session_event(&session, EV_LEFT_DCLICK, Point{100, -300});
    ASSERT_EQ(host.edits.size(), 1u);
    EXPECT_EQ(last().item, text);
    EXPECT_EQ(last().code, EDIT_CODE_TEXT);

    session_event(&session, EV_LEFT_DCLICK, Point{22000, 3000});  // inside the body
    EXPECT_EQ(last().item, pl);
    EXPECT_EQ(last().code, EDIT_CODE_PART);

    session_event(&session, EV_LEFT_DCLICK, Point{40000, 0});
    EXPECT_EQ(last().item, power);
    EXPECT_EQ(last().code, EDIT_CODE_POWER);

    // Nothing there: no dialog.
    session_event(&session, EV_LEFT_DCLICK, Point{90000, 90000});
    EXPECT_EQ(host.edits.size(), 3u);
}

TEST_F(ItemEditTest, AFieldIsEditedAsTheLinkToItsPartAndIndexWhileTheDialogIsOpen) {
    PlacedPart* pl = add_part(Point{20000, 0});
    PseudoPin* seen = nullptr;
    host.on_edit = [&](SchItem* item, int code) {
        ASSERT_EQ(code, EDIT_CODE_FIELD);
        seen = as_PseudoPin(item);
        EXPECT_EQ(seen->role, PP_LINK_ATTRIBUTE);
        EXPECT_EQ(seen->father, pl);
        EXPECT_EQ(seen->index, 1);
        // The link's text shows the field as drawn.
        EXPECT_EQ(as_Text(seen->whoami)->string, "7400");
    };
    // The middle of the value's text as drawn.
    Text* shown = attr_text_item(doc(), pl, &pl->value, 1);
    Rect box;
    ASSERT_TRUE(bounds_Text(doc(), shown, &box, false));
    free_Text(shown, false);
    const Point middle{box.x + box.w / 2, box.y + box.h / 2};
    session_event(&session, EV_LEFT_DCLICK, middle);
    ASSERT_EQ(host.edits.size(), 1u);
    EXPECT_NE(seen, nullptr);
    // The pick was given back: the field can be picked again.
    EXPECT_TRUE(pl->value.state & STATE_NEW);
    session_event(&session, EV_LEFT_DCLICK, middle);
    EXPECT_EQ(host.edits.size(), 2u);
}

TEST_F(ItemEditTest, ASheetBoxAndItsPortsAreEditedThroughTheBox) {
    SubSheet* box = new_SubSheet();
    box->pos = Point{10000, 10000};
    box->size = Point{6000, 8000};
    dlist_append(doc()->sheet->items, box);
    session_event(&session, EV_LEFT_DCLICK, Point{13000, 14000});
    ASSERT_EQ(host.edits.size(), 1u);
    EXPECT_EQ(last().item, box);
    EXPECT_EQ(last().code, EDIT_CODE_SHEET);
    EXPECT_EQ(last().p, (Point{13000, 14000}));
}

TEST_F(ItemEditTest, EditItemWaitsForAClickThatEditsOneItem) {
    // An empty sheet: the bell and "No Item found", no mode.
    EXPECT_EQ(edit_item_cmd(&session, false, EDIT_ITEM_FILTER), 0);
    EXPECT_EQ(host.bells, 1);
    EXPECT_EQ(host.prompts.back(), "No Item found");
    EXPECT_EQ(ModeCount(&session), 1);

    Text* text = add_text("NOTE", Point{0, 0});
    EXPECT_EQ(edit_item_cmd(&session, false, EDIT_ITEM_FILTER), 0);
    EXPECT_TRUE(session.auto_active);
    set_pending_click(&session, CMD_EDIT_ITEM, EDIT_OPERATION);
    EXPECT_FALSE(session.auto_active);
    EXPECT_EQ(session.restart_command, CMD_EDIT_ITEM);
    EXPECT_STREQ(ModeName(&session, ModeCount(&session) - 1), "Find Item");
    // The command again does not stack a second mode.
    edit_item_cmd(&session, false, EDIT_ITEM_FILTER);
    EXPECT_EQ(ModeCount(&session), 2);

    // A click beside everything: the bell, the mode ends.
    click(Point{50000, 50000});
    EXPECT_EQ(host.bells, 2);
    EXPECT_EQ(session.restart_command, 0);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_TRUE(host.edits.empty());

    edit_item_cmd(&session, false, EDIT_ITEM_FILTER);
    set_pending_click(&session, CMD_EDIT_ITEM, EDIT_OPERATION);
    click(Point{100, -300});
    ASSERT_EQ(host.edits.size(), 1u);
    EXPECT_EQ(last().item, text);
    EXPECT_EQ(ModeCount(&session), 1);

    // Esc ends the waiting.
    edit_item_cmd(&session, false, EDIT_ITEM_FILTER);
    session_key(&session, TK_ESCAPE);
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_FALSE(session.auto_active);
}

TEST_F(ItemEditTest, EditItemLeavesTheSelectionAndAPolygonWithoutItemsRings) {
    Text* text = add_text("NOTE", Point{0, 0});
    select_add(&session, text);
    edit_item_cmd(&session, false, EDIT_ITEM_FILTER);
    EXPECT_EQ(selection_count(&session), 0);
    EXPECT_FALSE(text->state & STATE_SELECTED);
    session_key(&session, TK_ESCAPE);

    // A polygon far from every item.
    View* view = &doc()->view;
    ASSERT_TRUE(view_set_select_rect(view, Rect{90000, 90000, 5000, 5000}));
    ASSERT_TRUE(view_has_select_area(view));
    int bells = host.bells;
    EXPECT_EQ(edit_item_cmd(&session, true, 0), 0);
    EXPECT_EQ(host.bells, bells + 1);
    EXPECT_EQ(ModeCount(&session), 1);
}

TEST_F(ItemEditTest, TheAddCommandsAskForANewItemOfTheirKind) {
    using Cmd = void (*)(EditSession*);
    const std::pair<Cmd, int> commands[] = {
        {add_power_cmd, EDIT_CODE_POWER}, {add_net_cmd, EDIT_CODE_SHEET_NET},
        {add_port_cmd, EDIT_CODE_PORT},   {add_text_cmd, EDIT_CODE_TEXT},
        {add_sheet_cmd, EDIT_CODE_SHEET}, {add_netprop_cmd, EDIT_CODE_NETPROP},
    };
    for (const auto& [command, code] : commands) {
        command(&session);
        ASSERT_FALSE(host.edits.empty());
        EXPECT_EQ(last().item, nullptr);
        EXPECT_EQ(last().code, code);
    }
    EXPECT_EQ(host.edits.size(), 6u);
    // Other operations than 7 start nothing.
    EXPECT_FALSE(start_edit_items(&session, 3, nullptr, Point{}, EDIT_CODE_TEXT));
}

TEST_F(ItemEditTest, APlacedBookmarkAsksForItsName) {
    start_bookmark_mode(&session, 2, nullptr);
    click(Point{1000, 2000});
    ASSERT_EQ(host.named_slots.size(), 1u);
    EXPECT_EQ(host.named_slots[0], 2);
    Point at;
    bool in_use = false;
    view_get_tag(&doc()->view, 2, &at, &in_use);
    EXPECT_TRUE(in_use);
    EXPECT_EQ(at, (Point{1000, 2000}));
}

}  // namespace
