// A form's window on the display: items made from the rows, values shown
// and read back, reports of what the user did (and never of a refill), and
// the opener's life cycle of a registered modal dialog.
#include "dialogs/form_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "dialogs/dialog_opener.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "shell/shell.h"
#include "shell/shell_services.h"
#include "toolkit/asking.h"
#include "toolkit/dialog_style.h"
#include "toolkit/flow_panel.h"
#include "toolkit/panel_items.h"
#include "toolkit/wx_test_env.h"

namespace {

enum : int { F_NAME = 1, F_LOUD, F_KIND, F_LINES };

std::vector<FormRow> rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::TEXT,
         .field = F_NAME,
         .label = "Name:",
         .client = 20048,
         .bind = Bind::TEXT,
         .property = SDT_LIBFILE,
         .sample = "0123456789",
         .select_all = true},
        {.kind = RowKind::SUB_PANEL, .min = 8, .max = 0},
        {.kind = RowKind::LABEL, .label = "  "},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::BUTTON, .label = "Search...", .client = 20044},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABELS_BESIDE},
        {.kind = RowKind::CHECK,
         .field = F_LOUD,
         .label = "Verbose Mode",
         .client = 20050,
         .bind = Bind::FLAG,
         .property = SDT_VERBOSE},
        {.kind = RowKind::CHOICE, .field = F_KIND, .label = "Kind:", .sample = "one\ntwo"},
        {.kind = RowKind::SECOND_PANEL},
        {.kind = RowKind::LIST, .field = F_LINES, .label = "Lines:", .min = 120, .max = 80},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Execute", .client = 20075},
        {.kind = RowKind::BUTTON_SPACE, .min = 20},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = 20089},
    };
}

class FormWindow : public testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        install_program_services();
        script.on_unanswered = [](const AskScript::Question& q) {
            ADD_FAILURE() << "unexpected question " << q.text;
        };
    }
    void TearDown() override {
        if (dialog) tn_test::destroy_window(dialog);
        reset_services();
        config_set_defaults();
    }
    FormDialog* make() {
        dialog =
            new FormDialog(nullptr, "Tessaron: Form", "form_test", 0x3C0200, false, Form(rows()),
                           [this](long client) { reported.push_back(client); }, {});
        dialog->BuildRows();
        dialog->Fit();
        return dialog;
    }
    static void click(wxWindow* button) {
        wxCommandEvent event(wxEVT_BUTTON, button->GetId());
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }

    AskScript script;
    FormDialog* dialog = nullptr;
    std::vector<long> reported;
};

TEST_F(FormWindow, RowsBecomeLabelledItemsInTheirPanelsAndButtonsInTheColumn) {
    make();
    auto* name = dynamic_cast<wxTextCtrl*>(dialog->Item(F_NAME));
    auto* loud = dynamic_cast<wxCheckBox*>(dialog->Item(F_LOUD));
    auto* kind = dynamic_cast<wxChoice*>(dialog->Item(F_KIND));
    auto* lines = dynamic_cast<wxListBox*>(dialog->Item(F_LINES));
    ASSERT_TRUE(name && loud && kind && lines);
    EXPECT_EQ(dialog->Item(99), nullptr);
    EXPECT_EQ(loud->GetLabel(), "Verbose Mode");
    EXPECT_EQ(kind->GetCount(), 2u);
    // The label stands above the text, the Search button beside it.
    wxWindow* search = dialog->ButtonFor(20044);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->GetLabel(), "Search...");
    EXPECT_GT(search->GetScreenPosition().x, name->GetScreenRect().GetRight());
    EXPECT_GT(name->GetSize().x, name->GetTextExtent("0123456789").x);
    EXPECT_GT(loud->GetScreenPosition().y, name->GetScreenRect().GetBottom());
    // The list stands on the second panel, below the first.
    EXPECT_GT(lines->GetScreenPosition().y, kind->GetScreenRect().GetBottom());
    // Execute, the Cancel the style adds, a gap, Help.
    wxWindow* execute = dialog->ButtonFor(20075);
    wxWindow* help = dialog->ButtonFor(20089);
    auto* cancel = dialog->FindWindow(wxID_CANCEL);
    ASSERT_TRUE(execute && help && cancel);
    EXPECT_LT(execute->GetPosition().y, cancel->GetPosition().y);
    EXPECT_GE(help->GetPosition().y - cancel->GetRect().GetBottom(), 20);
}

TEST_F(FormWindow, FillShowsTheValuesAndReadTakesTheItemsBackWithoutReports) {
    make();
    Form& form = dialog->form();
    form.set_text(F_NAME, "parts.src");
    form.set_number(F_LOUD, 1);
    form.set_number(F_KIND, 1);
    form.set_entries(F_LINES, {"a", "b", "c"});
    form.select(F_LINES, 2, true);
    form.value(F_KIND).enabled = false;
    dialog->Fill();
    EXPECT_EQ(control_get_text(dialog->Item(F_NAME)), "parts.src");
    EXPECT_EQ(control_get_value(dialog->Item(F_LOUD)), 1);
    EXPECT_EQ(control_get_value(dialog->Item(F_KIND)), 1);
    EXPECT_FALSE(dialog->Item(F_KIND)->IsEnabled());
    auto* lines = static_cast<wxListBox*>(dialog->Item(F_LINES));
    EXPECT_EQ(lines->GetCount(), 3u);
    EXPECT_TRUE(lines->IsSelected(2));
    EXPECT_TRUE(reported.empty());  // a refill is no user's change

    // What the user does is reported with the item's client word.
    static_cast<wxTextCtrl*>(dialog->Item(F_NAME))->SetValue("other.src");
    auto* loud = static_cast<wxCheckBox*>(dialog->Item(F_LOUD));
    loud->SetValue(false);
    wxCommandEvent toggled(wxEVT_CHECKBOX, loud->GetId());
    toggled.SetEventObject(loud);
    loud->GetEventHandler()->ProcessEvent(toggled);
    lines->SetSelection(0);
    click(dialog->ButtonFor(20044));
    click(dialog->ButtonFor(20075));
    EXPECT_EQ(reported, (std::vector<long>{20048, 20050, 20044, 20075}));

    dialog->Read();
    EXPECT_EQ(form.text(F_NAME), "other.src");
    EXPECT_EQ(form.number(F_LOUD), 0);
    EXPECT_EQ(form.value(F_LINES).selected, (std::vector<bool>{true, false, true}));
}

// A list of many rows is filled another way (its view detached): the rows,
// their selection and a refill with fewer rows all come through.
TEST_F(FormWindow, AListOfManyRowsShowsAndReadsItsRowsAndSelection) {
    make();
    Form& form = dialog->form();
    std::vector<std::string> many;
    for (int i = 0; i < 3000; ++i) many.push_back("P" + std::to_string(i));
    form.set_entries(F_LINES, many);
    form.select(F_LINES, 2999, true);
    form.select(F_LINES, 7, true);
    dialog->Fill();
    auto* lines = static_cast<wxListBox*>(dialog->Item(F_LINES));
    ASSERT_EQ(lines->GetCount(), 3000u);
    EXPECT_EQ(lines->GetString(2999), "P2999");
    lines->Deselect(7);
    dialog->Read();
    std::vector<bool> selected(3000, false);
    selected[2999] = true;
    EXPECT_EQ(form.value(F_LINES).selected, selected);
    form.set_entries(F_LINES, {"x", "y"});
    form.select(F_LINES, 1, true);
    dialog->Fill();
    ASSERT_EQ(lines->GetCount(), 2u);
    EXPECT_EQ(lines->GetString(0), "x");
    EXPECT_TRUE(lines->IsSelected(1));
    EXPECT_TRUE(reported.empty());
}

// --- the opener -----------------------------------------------------------------------------

TEST_F(FormWindow, OpenerBuildsFillsAndShowsAModalDialogThatIsGoneWhenClosed) {
    DialogOwner owner;
    EnhancedDialog** slot = owner.slot("form_test_global");
    int builds = 0, fills = 0;
    proper_set(SDT_LIBFILE, "stored.src", 0);
    DialogOpening opening;
    opening.slot = slot;
    opening.window_name = "form_test_global";
    opening.build = [&] {
        ++builds;
        FormDialog* d =
            new_registered_dialog(slot, "Tessaron: Opened", "form_test_global",
                                  dialog_style_message, true, Form(rows()), [](long) {});
        d->BuildRows();
        d->Fit();
    };
    opening.fill = [&] {
        ++fills;
        auto* d = static_cast<FormDialog*>(*slot);
        d->form().load({});
        d->Fill();
        d->SetMessage("left from the fill");
    };
    bool seen = false;
    script.modal([&](wxDialog& shown) {
        auto* d = dynamic_cast<FormDialog*>(&shown);
        ASSERT_NE(d, nullptr);
        seen = true;
        EXPECT_EQ(d, owner.find("form_test_global"));
        EXPECT_EQ(d->GetName(), "form_test_global");
        EXPECT_EQ(d->MessageLine()->GetLabelText(), "   ");
        EXPECT_EQ(control_get_text(d->Item(F_NAME)), "stored.src");
        EXPECT_EQ(d->owner_slot, slot);
        d->OnCancelButton();
    });
    open_dialog(opening);
    EXPECT_TRUE(seen);
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(fills, 1);
    // Closed: its slot emptied; the next opening builds anew.
    EXPECT_EQ(*slot, nullptr);
    wxTheApp->ProcessPendingEvents();
    script.modal([](wxDialog& shown) { static_cast<EnhancedDialog&>(shown).OnCancelButton(); });
    open_dialog(opening);
    EXPECT_EQ(builds, 2);
    wxTheApp->ProcessPendingEvents();
}

TEST_F(FormWindow, ABuilderThatMakesNothingShowsNothingAndSaysSoInTheDebugOutput) {
    std::string debug;
    Services s;
    s.debug_write = [&](const char* text) { debug += text; };
    install_services(s);
    DialogOwner owner;
    DialogOpening opening;
    opening.slot = owner.slot("form_test_global");
    opening.window_name = "form_test_global";
    opening.build = [] {};
    opening.fill = [] { ADD_FAILURE() << "filled a dialog that does not exist"; };
    open_dialog(opening);
    EXPECT_EQ(debug, "No Memory while creating form_test_global\n");
    EXPECT_TRUE(script.asked().empty());
}

}  // namespace
