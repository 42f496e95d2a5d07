// The Edit Part and Edit Field dialogs on the example sheet: opened for R1
// they show its fields; Cancel after typing pin names and switching to the
// converted body leaves the document byte for byte; Accept marks it
// modified and Undo takes it back; a field double-clicked opens Edit Field.
#include <gtest/gtest.h>

#include <wx/app.h>

#include "dialogs/forms/field_form.h"
#include "dialogs/forms/part_form.h"
#include "dialogs/item_dialogs.h"
#include "editor/editor_commands.h"
#include "editor/item_edit.h"
#include "foundation/list.h"
#include "item_window_fixture.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "shell/canvas_editing.h"
#include "shell/shell_ops.h"
#include "toolkit/panel_items.h"

using namespace item_window_test;

namespace {

class PartWindow : public ItemWindows {
protected:
    PlacedPart* r1() {
        for (SchItem* item : list_items<SchItem>(doc()->sheet->items))
            if (item->type == PARTLIB_ITEM &&
                std::string(as_PlacedPart(item)->reference.text.get()) == "R1")
                return as_PlacedPart(item);
        return nullptr;
    }
    // The middle of a field of a part as the sheet draws it.
    Point field_middle(PlacedPart* pl, int index) {
        Text* shown = attr_text_item(doc(), pl, pl_get_attribute(pl, index), index);
        Rect box{};
        EXPECT_TRUE(bounds_Text(doc(), shown, &box, false));
        free_Text(shown, false);
        return Point{box.x + box.w / 2, box.y + box.h / 2};
    }
};

TEST_F(PartWindow, CancelAfterPinEditsOnBothBodiesLeavesTheDocument) {
    PlacedPart* pl = r1();
    ASSERT_NE(pl, nullptr);
    // The resistor gets a converted body, as parts with a De Morgan form have.
    Part* part = pl_get_part(doc()->library, pl);
    ASSERT_NE(part, nullptr);
    part->convert = dup_Vectors(part->normal);
    ref_Vectors(part->convert);
    part->convert_pins = copy_PinList(part->normal_pins, part->devices);
    const auto before = document_bytes();
    ASSERT_TRUE(run_edit(pl, EDIT_CODE_PART, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Edit Part");
        EXPECT_EQ(control_get_text(dialog.Item(EP_VALUE)), "R1");
        EXPECT_EQ(control_get_text(dialog.Item(EP_INFO)),
                  "Part Name: R1 -- Part Value: 10k -- Library: parts");
        EXPECT_TRUE(dialog.Item(EP_CONVERT)->IsEnabled());
        control_set_text(dialog.Item(EP_NAME), "IN");
        item_dialog_command(canvas(), PART_CMD_NAME);
        click(dialog.Item(EP_CONVERT));
        ASSERT_TRUE(pump_until([&] { return control_get_value(dialog.Item(EP_CONVERT)) == 1; }));
        control_set_text(dialog.Item(EP_NAME), "CONV");
        item_dialog_command(canvas(), PART_CMD_NAME);
        click(dialog.Item(EP_CONVERT));
        ASSERT_TRUE(pump_until([&] { return control_get_text(dialog.Item(EP_NAME)) == "IN"; }));
        press_closing(dialog, 0);
    }));
    EXPECT_EQ(canvas()->dialogs.find("edit_part"), nullptr);
    EXPECT_EQ(document_bytes(), before);
    EXPECT_FALSE(schema_is_modified(doc()));
}

TEST_F(PartWindow, AcceptChangesThePartAndUndoTakesItBack) {
    PlacedPart* pl = r1();
    ASSERT_NE(pl, nullptr);
    const auto before = document_bytes();
    ASSERT_TRUE(run_edit(pl, EDIT_CODE_PART, [&](FormDialog& dialog) {
        control_set_value(dialog.Item(EP_FIELD), 1);
        item_dialog_command(canvas(), PART_CMD_FIELD);
        EXPECT_EQ(control_get_text(dialog.Item(EP_VALUE)), "10k");
        control_set_text(dialog.Item(EP_VALUE), "2k");
        control_set_value(dialog.Item(EP_ROTATION), 1);
        press_closing(dialog, PART_CMD_ACCEPT);
    }));
    EXPECT_STREQ(pl->value.text.get(), "2k");
    EXPECT_EQ(pl->flags & PL_ROT_MASK, 1);
    EXPECT_TRUE(schema_is_modified(doc()));
    EXPECT_TRUE(child->GetTitle().EndsWith(" *"));
    menu_command(canvas(), CMD_UNDO, 0);
    EXPECT_EQ(document_bytes(), before);
}

TEST_F(PartWindow, ADoubleClickedFieldOpensEditFieldAndChangeIsUndone) {
    PlacedPart* pl = r1();
    ASSERT_NE(pl, nullptr);
    const auto before = document_bytes();
    bool shown = false;
    script.modal([&](wxDialog& dialog) {
        auto& form_dialog = dynamic_cast<FormDialog&>(dialog);
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Edit Field");
        EXPECT_EQ(control_get_text(form_dialog.Item(FF_VALUE)), "10k");
        control_set_text(form_dialog.Item(FF_VALUE), "4k7");
        shown = true;
        press_closing(form_dialog, FIELD_CMD_CHANGE);
    });
    EXPECT_TRUE(edit_item_at(editor_session(canvas()), field_middle(pl, 1), EDIT_OPERATION));
    EXPECT_TRUE(shown);
    EXPECT_STREQ(pl->value.text.get(), "4k7");
    EXPECT_TRUE(schema_is_modified(doc()));
    menu_command(canvas(), CMD_UNDO, 0);
    EXPECT_EQ(document_bytes(), before);
}

}  // namespace
