#include "toolkit/enhanced_dialog.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <vector>

#include "foundation/services.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/dialog_owner.h"
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

// An owner's slot holds its dialog while it exists, whoever ends it: a
// close, the window it belongs to (its parent) or the owner's own end; and
// what two owners' dialogs remember stays apart.
TEST_F(EnhancedDialogTest, AnOwnersSlotIsEmptiedWhenTheDialogGoesAndTheOwnerEndsItsDialogs) {
    struct Remembered {
        int slot = 0;
    };
    wxWeakRef<wxDialog> kept;
    {
        DialogOwner owner, other;
        owner.state<Remembered>().slot = 3;
        EXPECT_EQ(other.state<Remembered>().slot, 0);
        EXPECT_EQ(owner.state<Remembered>().slot, 3);

        // Closed: the slot is empty at once, the dialog goes afterwards.
        auto* closed = new EnhancedDialog(nullptr, "Tessaron: Closed", dialog_release);
        dialog_take_slot(closed, owner.slot("closed"));
        EXPECT_EQ(owner.find("closed"), closed);
        EXPECT_EQ(other.find("closed"), nullptr);
        closed->Show(true, false);
        hide_dialog(closed);
        EXPECT_EQ(owner.find("closed"), nullptr);
        wxTheApp->ProcessPendingEvents();

        // Deleted with its parent: the slot does not keep a dangling dialog.
        auto* frame = new wxFrame(nullptr, wxID_ANY, "parent");
        auto* child = new EnhancedDialog(frame, "Tessaron: Child");
        dialog_take_slot(child, owner.slot("child"));
        delete frame;
        EXPECT_EQ(owner.find("child"), nullptr);

        // Still open when the owner ends: the owner destroys it.
        auto* open = new EnhancedDialog(nullptr, "Tessaron: Open");
        dialog_take_slot(open, other.slot("open"));
        open->Show(true, false);
        kept = open;
    }
    EXPECT_TRUE(!kept || wxTheApp->IsScheduledForDestruction(kept.get()));
    EXPECT_TRUE(!kept || !kept->IsShown());
}

// A window whose dialogs are its children forgets them as it goes (the
// main frame does): its slots are emptied and its dialogs point into it no
// more, so that they go with their parent and the owner's end destroys none.
TEST_F(EnhancedDialogTest, AnOwnerForgetsTheDialogsThatGoWithItsWindow) {
    struct Counted : EnhancedDialog {
        Counted(wxWindow* parent, int* destroyed)
            : EnhancedDialog(parent, "Tessaron: Child"), destroyed_(destroyed) {}
        bool Destroy() override {
            ++*destroyed_;
            return EnhancedDialog::Destroy();
        }
        int* destroyed_;
    };
    int destroyed = 0;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "parent");
    wxWeakRef<wxDialog> child;
    {
        DialogOwner owner;
        auto* dialog = new Counted(frame, &destroyed);
        dialog_take_slot(dialog, owner.slot("child"));
        dialog->Show(true, false);
        child = dialog;
        owner.forget();
        EXPECT_EQ(owner.find("child"), nullptr);
        EXPECT_EQ(dialog->owner_slot, nullptr);
    }
    EXPECT_EQ(destroyed, 0);
    delete frame;
    EXPECT_FALSE(child);
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
    wxButton* ok = dialog->AddButton(
        "OK", [&](EnhancedDialog&, long client) { seen = client; }, 20011);
    wxCommandEvent click(wxEVT_BUTTON, ok->GetId());
    click.SetEventObject(ok);
    ok->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(seen, 20011);
}

}  // namespace

namespace {

std::vector<wxString> button_labels(wxWindow* dialog) {
    std::vector<wxString> labels;
    for (wxWindow* child : dialog->GetChildren())
        if (auto* b = dynamic_cast<wxButton*>(child)) labels.push_back(b->GetLabel());
    return labels;
}

TEST_F(EnhancedDialogTest, CancelStandsWhereTheStyleWordSays) {
    struct Case {
        long style;
        std::vector<wxString> labels;
    };
    for (const Case& c :
         {Case{0x340200, {"Ok", "Cancel", "Help"}}, Case{0x100000, {"Cancel", "Ok", "Help"}},
          Case{0x200000, {"Ok", "Help"}}}) {
        auto* d = new EnhancedDialog(nullptr, "Tessaron: Style", false, -1, -1, {}, -1, 0, 0,
                                     c.style, "style");
        d->AddButton("Ok", {}, 20006);
        d->AddButton("Help", {}, 20020);
        EXPECT_EQ(button_labels(d), c.labels) << std::hex << c.style;
        EXPECT_EQ(d->FindButton(20020)->GetLabel(), "Help");
        EXPECT_EQ(d->FindButton(0), nullptr);  // Cancel is not the caller's button
        EXPECT_EQ(d->FindButton(20099), nullptr);
        tn_test::destroy_window(d);
    }
}

TEST_F(EnhancedDialogTest, ColumnButtonsStandRightOfThePanelAndFitHoldsEverything) {
    dialog =
        new EnhancedDialog(nullptr, "Tessaron: Fit", false, -1, -1, {}, -1, 0, 0, 0x340200, "fit");
    FlowPanel* panel = dialog->UserPanel();
    wxWindow* wide = panel->Add(new wxStaticText(panel, wxID_ANY, "A wide item of the panel"));
    FlowPanel* second = dialog->AddSecondUserPanel();
    EXPECT_EQ(dialog->AddSecondUserPanel(), second);
    second->Add(new wxStaticText(second, wxID_ANY, "second"));
    wxButton* ok = dialog->AddButton("Ok", {}, 1);
    dialog->Fit();
    EXPECT_GT(ok->GetPosition().x, wide->GetPosition().x + wide->GetSize().x);
    EXPECT_GT(second->GetPosition().y, panel->GetPosition().y);
    EXPECT_GE(dialog->GetClientSize().x, ok->GetPosition().x + ok->GetSize().x);
    EXPECT_NE(dialog->MessageLine(), nullptr);
}

TEST_F(EnhancedDialogTest, CancelButtonClosesAPinnedDialog) {
    int closes = 0;
    dialog = new EnhancedDialog(
        nullptr, "Tessaron: Cancel", false, -1, -1,
        [&](EnhancedDialog& d) {
            ++closes;
            d.wxDialog::Show(false);
        },
        -1, 0, 0, 0x3C0200, "cancel");
    EXPECT_EQ(dialog->MessageLine(), nullptr);
    dialog->AddButton("Ok", {}, 1);
    dialog->Show(true, true);
    wxButton* cancel = nullptr;
    for (wxWindow* child : dialog->GetChildren())
        if (auto* b = dynamic_cast<wxButton*>(child); b && b->GetLabel() == "Cancel") cancel = b;
    ASSERT_NE(cancel, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, cancel->GetId());
    click.SetEventObject(cancel);
    cancel->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(dialog->IsShown());
}

}  // namespace
