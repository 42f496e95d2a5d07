#include "toolkit/enhanced_dialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/stattext.h>

#include "foundation/dialog_calls.h"
#include "foundation/services.h"
#include "toolkit/gui_services.h"
#include "toolkit/wx_test_env.h"

namespace {

class EnhancedDialogTest : public testing::Test {
protected:
    void SetUp() override { install_gui_services(); }
    void TearDown() override {
        reset_services();
        if (dialog) tn_test::destroy_window(dialog);
    }
    std::string message() const { return dialog->MessageLine()->GetLabelText().utf8_string(); }
    EnhancedDialog* dialog = nullptr;
};

TEST_F(EnhancedDialogTest, MessageLineShowsTextAsGivenAndBlanksForNone) {
    dialog = new EnhancedDialog(nullptr, "Tessaron: Test");
    dialog_set_message(dialog, "a & b");  // not a mnemonic
    EXPECT_EQ(message(), "a & b");
    dialog_set_message(dialog, "");
    EXPECT_EQ(message(), "   ");
    dialog_clear_message(dialog);
    EXPECT_EQ(message(), " ");
    EnhancedDialog bare(nullptr, "Tessaron: Bare", {}, false);
    EXPECT_EQ(bare.MessageLine(), nullptr);
    dialog_set_message(&bare, "ignored");
}

TEST_F(EnhancedDialogTest, PinnedDialogStaysOpenUntilShownUnpinned) {
    dialog = new EnhancedDialog(nullptr, "Tessaron: Test");
    dialog->Show(true, false);
    EXPECT_TRUE(dialog_is_shown(dialog));
    dialog_message_pin(dialog, "Invalid Label!");
    EXPECT_EQ(message(), "Invalid Label!");
    hide_dialog(dialog);
    EXPECT_TRUE(dialog_is_shown(dialog));
    dialog->Show(true, false);  // showing resets the pin and the message
    EXPECT_FALSE(dialog->IsPinned());
    EXPECT_EQ(message(), "   ");
    hide_dialog(dialog);
    EXPECT_FALSE(dialog_is_shown(dialog));
}

TEST_F(EnhancedDialogTest, OnCloseCallbackRunsInsteadOfHidingAndMayDestroy) {
    int closes = 0;
    EnhancedDialog* owner = nullptr;
    owner = new EnhancedDialog(nullptr, "Tessaron: Test", [&](EnhancedDialog& d) {
        ++closes;
        d.Destroy();
        owner = nullptr;
    });
    owner->Show(true, false);
    hide_dialog(owner);
    EXPECT_EQ(closes, 1);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(owner, nullptr);
}

TEST_F(EnhancedDialogTest, CloseBoxClosesEvenWhenPinned) {
    dialog = new EnhancedDialog(nullptr, "Tessaron: Test");
    dialog->Show(true, true);
    dialog->Close();
    EXPECT_FALSE(dialog->IsShown());
}

TEST_F(EnhancedDialogTest, ButtonsPassTheirClientWord) {
    dialog = new EnhancedDialog(nullptr, "Tessaron: Test");
    long seen = 0;
    wxButton* ok = dialog->AddButton("OK", [&](EnhancedDialog&, long client) { seen = client; }, 20011);
    wxCommandEvent click(wxEVT_BUTTON, ok->GetId());
    click.SetEventObject(ok);
    ok->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(seen, 20011);
}

}  // namespace
