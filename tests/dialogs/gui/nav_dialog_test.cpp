// The navigation dialogs and Shortcuts on the example sheet: a bookmark
// placed is named in its dialog, Jump moves to typed coordinates, Find Text
// (modeless) counts and steps in its own window, Shortcuts follows the
// canvas's modes.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/forms/nav_forms.h"
#include "dialogs/nav_dialogs.h"
#include "editor/editor_commands.h"
#include "editor/sheet_modes.h"
#include "foundation/services.h"
#include "item_window_fixture.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/view.h"
#include "shell/canvas_editing.h"
#include "shell/commands.h"
#include "shell/shell_ops.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/panel_items.h"

using namespace item_window_test;

namespace {

class NavWindows : public ItemWindows {
protected:
    void TearDown() override {
        // The modeless dialogs go with the frame.
        hide_dialog(canvas()->dialogs.find("find_text"));
        hide_dialog(program_dialogs()->find("help_shortcuts"));
        ItemWindows::TearDown();
    }
    FormDialog* form_of(EnhancedDialog* dialog) { return static_cast<FormDialog*>(dialog); }
};

TEST_F(NavWindows, APlacedBookmarkIsNamedInItsDialog) {
    EditSession* session = editor_session(canvas());
    script.modal([&](wxDialog& shown) {
        auto& dialog = dynamic_cast<FormDialog&>(shown);
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Bookmark Name");
        EXPECT_EQ(control_get_text(dialog.Item(NF_BOOKMARK)), "B Tag (In Use)");
        control_set_text(dialog.Item(NF_BOOKMARK), "Filter");
        press_closing(dialog, NAV_CMD_BOOKMARK_OK);
    });
    menu_command(canvas(), EDITOR_MARK_FIRST + 1, 0);
    session_event(session, EV_LEFT_UP, Point{21000, 14000});
    EXPECT_EQ(canvas()->dialogs.find("name_tags"), nullptr);
    Point at;
    bool in_use = false;
    EXPECT_STREQ(view_get_tag(&doc()->view, 1, &at, &in_use), "Filter");
    EXPECT_TRUE(in_use);
    EXPECT_TRUE(schema_is_modified(doc()));
    EXPECT_TRUE(child->GetMenuBar()
                    ->FindItem(EDITOR_JUMP_FIRST + 1)
                    ->GetItemLabelText()
                    .Contains("Filter"));
}

TEST_F(NavWindows, JumpMovesToTheTypedPointAndABadFieldKeepsTheDialog) {
    EditSession* session = editor_session(canvas());
    script.modal([&](wxDialog& shown) {
        auto& dialog = dynamic_cast<FormDialog&>(shown);
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Jump XY Position");
        EXPECT_EQ(control_get_text(dialog.Item(NF_X)), "");
        control_set_text(dialog.Item(NF_X), "2100");
        control_set_text(dialog.Item(NF_Y), "y");
        click(dialog.ButtonFor(NAV_CMD_JUMP));
        EXPECT_TRUE(dialog.IsModal());  // nothing jumped
        control_set_text(dialog.Item(NF_Y), "1400");
        press_closing(dialog, NAV_CMD_JUMP);
    });
    menu_command(canvas(), CMD_JUMP_XY, 0);
    EXPECT_EQ(canvas()->dialogs.find("jump_xypos"), nullptr);
    EXPECT_EQ(session->pointer, (Point{21000, 14000}));
}

TEST_F(NavWindows, FindTextStaysOpenCountsAndSteps) {
    EditSession* session = editor_session(canvas());
    remembered_search_text() = "&SPICE:V*";
    menu_command(canvas(), CMD_FIND, 0);
    ASSERT_NE(canvas()->dialogs.find("find_text"), nullptr);
    FormDialog* dialog = form_of(canvas()->dialogs.find("find_text"));
    EXPECT_FALSE(dialog->IsModal());
    EXPECT_EQ(control_get_text(dialog->Item(NF_SEARCH)), "&SPICE:V*");
    control_set_value(dialog->Item(NF_JOKER), 1);
    click(dialog->ButtonFor(NAV_CMD_FIND));
    ASSERT_TRUE(pump_until([&] { return session->pointer == Point{3000, 25000}; }));
    EXPECT_EQ(control_get_text(dialog->MessageLine()), "2 match");
    EXPECT_TRUE(dialog->ButtonFor(NAV_CMD_NEXT)->IsEnabled());
    click(dialog->ButtonFor(NAV_CMD_NEXT));
    ASSERT_TRUE(pump_until([&] { return session->pointer == Point{3000, 26000}; }));
    EXPECT_TRUE(session->repeat_on);
    // Edit Item (as the Add commands) starts afresh: the count is forgotten.
    menu_command(canvas(), CMD_EDIT_ITEM, 0);
    EXPECT_FALSE(session->repeat_on);
    EXPECT_EQ(control_get_text(dialog->MessageLine()), "   ");
    EXPECT_FALSE(dialog->ButtonFor(NAV_CMD_NEXT)->IsEnabled());
    session_key(session, TK_ESCAPE);
    // Nothing found: the error box, the count 0, no step.
    control_set_text(dialog->Item(NF_SEARCH), "no such text");
    script.message(ANSWER_OK);
    click(dialog->ButtonFor(NAV_CMD_FIND));
    ASSERT_TRUE(pump_until([&] { return script.pending() == 0; }));
    EXPECT_EQ(script.asked().back().text.rfind("Text not found", 0), 0u);
    pump_until([&] { return control_get_text(dialog->MessageLine()) == "0 match"; });
    EXPECT_EQ(control_get_text(dialog->MessageLine()), "0 match");
    EXPECT_FALSE(dialog->ButtonFor(NAV_CMD_NEXT)->IsEnabled());
    // Reopened, it shows the count reset.
    menu_command(canvas(), CMD_FIND, 0);
    EXPECT_EQ(control_get_text(dialog->MessageLine()), "   ");
}

// Two sheet windows, each with its Find Text open: each dialog is its
// window's own, finds in that window alone and keeps its own count, and it
// goes when its window closes while the other stays and still finds.
TEST_F(NavWindows, EachWindowHasItsOwnFindTextWhichGoesWithIt) {
    MyChild* other = open_sheet(dir.file("amplifier.sch").c_str(), nullptr);
    ASSERT_NE(other, nullptr);
    EditCanvas* second = other->canvas;
    remembered_search_text() = "*";
    menu_command(canvas(), CMD_FIND, 0);
    menu_command(second, CMD_FIND, 0);
    auto* mine = form_of(canvas()->dialogs.find("find_text"));
    auto* theirs = form_of(second->dialogs.find("find_text"));
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(mine, theirs);
    EXPECT_TRUE(mine->IsShown());
    EXPECT_TRUE(theirs->IsShown());

    // Find in the second window: its count and its pointer, not the first's.
    const Point first_pointer = editor_session(canvas())->pointer;
    control_set_value(theirs->Item(NF_JOKER), 1);
    click(theirs->ButtonFor(NAV_CMD_FIND));
    ASSERT_TRUE(pump_until([&] { return control_get_text(theirs->MessageLine()) != "   "; }));
    const std::string their_count = control_get_text(theirs->MessageLine());
    EXPECT_NE(their_count, "0 match");
    EXPECT_TRUE(editor_session(second)->repeat_on);
    EXPECT_FALSE(editor_session(canvas())->repeat_on);
    EXPECT_EQ(editor_session(canvas())->pointer, first_pointer);
    EXPECT_EQ(control_get_text(mine->MessageLine()), "   ");

    // The second window closes: its dialog goes with it, the first stays.
    wxWeakRef<wxDialog> theirs_open(theirs);
    schema_clear_modified(second->mySchema);
    other->Close(true);
    ASSERT_TRUE(pump_until([&] { return !theirs_open; }));
    ASSERT_EQ(canvas()->dialogs.find("find_text"), mine);
    EXPECT_TRUE(mine->IsShown());
    paint_zone = canvas();
    control_set_text(mine->Item(NF_SEARCH), "&SPICE:V*");
    control_set_value(mine->Item(NF_JOKER), 1);
    click(mine->ButtonFor(NAV_CMD_FIND));
    ASSERT_TRUE(pump_until([&] { return control_get_text(mine->MessageLine()) == "2 match"; }));
    EXPECT_EQ(editor_session(canvas())->pointer, (Point{3000, 25000}));
}

TEST_F(NavWindows, ShortcutsFollowTheModesOfTheCanvas) {
    menu_command(canvas(), CMD_SHORTCUTS, 0);
    EnhancedDialog* shortcuts = program_dialogs()->find("help_shortcuts");
    ASSERT_NE(shortcuts, nullptr);
    auto* states = static_cast<wxListBox*>(form_of(shortcuts)->Item(NF_STATES));
    ASSERT_EQ(states->GetCount(), 1u);
    EXPECT_EQ(states->GetString(0), "Main Mode");
    EditSession* session = editor_session(canvas());
    start_junction_mode(session);
    ASSERT_EQ(states->GetCount(), 2u);
    EXPECT_EQ(states->GetString(0), "Add Junction");
    PopMode(session);
    EXPECT_EQ(states->GetCount(), 1u);
    // Another document while a mode runs: the modes end, the list follows.
    start_junction_mode(session);
    Schema* other = nullptr;
    new_active_schema(&other);
    canvas()->TakeDocument(other);
    ASSERT_EQ(states->GetCount(), 1u);
    EXPECT_EQ(states->GetString(0), "Main Mode");
    wxWeakRef<wxDialog> open(shortcuts);
    click(form_of(shortcuts)->ButtonFor(SHORTCUTS_CMD_CANCEL));
    EXPECT_TRUE(pump_until([&] { return !open; }));
    EXPECT_EQ(program_dialogs()->find("help_shortcuts"), nullptr);
}

}  // namespace
