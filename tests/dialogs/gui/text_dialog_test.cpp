// The Add/Edit Text dialog on the example sheet: opened for a text of the
// sheet it reads "Change" and shows the text; Cancel leaves the document
// byte for byte; Change marks it modified and Undo takes it back; opened
// for a new text it reads "Add" and starts the placing of the text.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/textctrl.h>

#include "dialogs/forms/text_form.h"
#include "dialogs/item_dialogs.h"
#include "editor/editor_commands.h"
#include "editor/item_edit.h"
#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "item_window_fixture.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/text.h"
#include "shell/canvas_editing.h"
#include "shell/shell_ops.h"
#include "toolkit/panel_items.h"

using namespace item_window_test;

namespace {

class TextWindow : public ItemWindows {};

TEST_F(TextWindow, CancelLeavesTheDocumentAndChangeIsUndone) {
    SchItem* label = find_item(TEXT_ITEM, "FILT");
    ASSERT_NE(label, nullptr);
    const auto before = document_bytes();
    ASSERT_TRUE(run_edit(label, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Add/Edit Text");
        EXPECT_EQ(window_get_label(dialog.ButtonFor(TEXT_CMD_MAIN)), "Change");
        EXPECT_EQ(control_get_text(dialog.Item(TF_TEXT)), "FILT");
        EXPECT_EQ(control_get_value(dialog.Item(TF_TYPE)), 1);
        control_set_text(dialog.Item(TF_TEXT), "OTHER");
        control_set_text(dialog.Item(TF_XSIZE), "2000");
        press_closing(dialog, 0);
    }));
    EXPECT_EQ(canvas()->dialogs.find("text_window"), nullptr);
    EXPECT_EQ(document_bytes(), before);
    EXPECT_FALSE(schema_is_modified(doc()));

    ASSERT_TRUE(run_edit(label, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        // Typing reaches the form through the text's own reaction.
        auto* text = static_cast<wxTextCtrl*>(dialog.Item(TF_TEXT));
        text->SetFocus();
        text->SelectAll();
        input.text("FILTERED");
        ASSERT_TRUE(pump_until([&] { return text->GetValue() == "FILTERED"; }));
        press_closing(dialog, TEXT_CMD_MAIN);
    }));
    EXPECT_EQ(as_Text(label)->string, "FILTERED");
    EXPECT_EQ(as_Text(label)->flags & TEXT_TYPE_MASK, LABEL);
    EXPECT_TRUE(schema_is_modified(doc()));
    EXPECT_TRUE(child->GetTitle().EndsWith(" *"));
    menu_command(canvas(), CMD_UNDO, 0);
    EXPECT_EQ(document_bytes(), before);
}

TEST_F(TextWindow, AddShowsTheStoredValuesAndStartsPlacingTheText) {
    proper_set(TEXT_TEXT, "D0", TEXT_AUTO, 1, TEXT_TYPE, 1, INTERNAL_FONT, 1, TEXT_ORIENT, 7, 0);
    const auto before = document_bytes();
    ASSERT_TRUE(run_edit(nullptr, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        EXPECT_EQ(window_get_label(dialog.ButtonFor(TEXT_CMD_MAIN)), "Add");
        EXPECT_EQ(control_get_text(dialog.Item(TF_TEXT)), "D0");
        EXPECT_EQ(control_get_value(dialog.Item(TF_AUTO)), 1);
        EXPECT_EQ(control_get_value(dialog.Item(TF_ORIENT)), 7);
        // A parenthesis in a label is refused and the dialog stays.
        control_set_text(dialog.Item(TF_TEXT), "A(0)");
        script.message(ANSWER_OK);
        click(dialog.ButtonFor(TEXT_CMD_MAIN));
        ASSERT_TRUE(pump_until([&] { return script.asked().size() == 2; }));
        EXPECT_EQ(script.asked()[1].text.rfind("Invalid Label!", 0), 0u);
        EXPECT_TRUE(dialog.IsModal());
        control_set_text(dialog.Item(TF_TEXT), "D0");
        press_closing(dialog, TEXT_CMD_MAIN);
    }));
    EditSession* session = editor_session(canvas());
    ModeInstance* placing = FindMode(session, &add_text_mode);
    ASSERT_NE(placing, nullptr);
    EXPECT_EQ(as_Text(mode_ghost_item(placing))->string, "D0");
    EXPECT_EQ(as_Text(mode_ghost_item(placing))->flags & TEXT_TYPE_MASK, LABEL);
    // Nothing is placed before the click.
    EXPECT_EQ(document_bytes(), before);
}

TEST_F(TextWindow, ATitleBlockTextIsNotEditedAsAText) {
    ASSERT_NE(doc()->titleblock.fields, nullptr);
    SchItem* control = static_cast<SchItem*>(doc()->titleblock.fields->head->data);
    ASSERT_EQ(as_Text(control)->flags & TEXT_TYPE_MASK, TBLOCK);
    script.modal([&](wxDialog& shown) {
        EXPECT_NE(shown.GetTitle(), "Tessaron: Add/Edit Text");
        static_cast<wxDialog&>(shown).EndModal(wxID_CANCEL);
    });
    edit_item(canvas(), control, Point{}, EDIT_CODE_TEXT);
    EXPECT_EQ(canvas()->dialogs.find("text_window"), nullptr);
}

}  // namespace
