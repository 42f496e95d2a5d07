// The one door of every question: a script answers each kind in order and
// records what was asked, a question it has no answer for is reported and
// cancelled, and a modal dialog of ours runs its loop while the script acts
// in it.
#include "toolkit/asking.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/colourdata.h>
#include <wx/dialog.h>
#include <wx/fontdata.h>

#include "foundation/services.h"
#include "toolkit/enhanced_dialog.h"
#include "toolkit/file_selectors.h"
#include "toolkit/gui_services.h"
#include "toolkit/wx_test_env.h"

namespace {

using Kind = AskScript::Kind;

class Asking : public testing::Test {
protected:
    void SetUp() override {
        install_gui_services();
        script.on_unanswered = [this](const AskScript::Question& q) {
            unanswered.push_back(q.text);
        };
    }
    void TearDown() override { reset_services(); }

    AskScript script;
    std::vector<std::string> unanswered;
};

TEST_F(Asking, EachKindTakesItsOwnAnswersInOrderAndTheQuestionsAreKept) {
    script.message(ANSWER_NO);
    script.file("/tmp/a.sch");
    script.message(ANSWER_CANCEL);
    script.text("edited.sch");
    script.cancel(Kind::FILE);

    // The services the core calls come through the door.
    EXPECT_EQ(services().message_box("Save Changes ?", "Please Confirm", MB_YES_NO), ANSWER_NO);
    std::string chosen;
    EXPECT_TRUE(services().file_selector("Open Sheet", "C:\\work", nullptr, "sch", "*.sch",
                                         FILE_SELECT_OPEN, nullptr, &chosen));
    EXPECT_EQ(chosen, "/tmp/a.sch");
    EXPECT_EQ(services().message_box("Again ?", "Warning", 37), ANSWER_CANCEL);
    std::string name = "old.sch";
    EXPECT_TRUE(ask_text(nullptr, "The file will be Overwritten", "Warning", &name));
    EXPECT_EQ(name, "edited.sch");
    EXPECT_FALSE(
        services().file_selector("Open", "", nullptr, nullptr, nullptr, 0, nullptr, &chosen));
    EXPECT_EQ(script.pending(), 0u);

    const auto& asked = script.asked();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[0].kind, Kind::MESSAGE);
    EXPECT_EQ(asked[0].caption, "Please Confirm");
    EXPECT_EQ(asked[1].kind, Kind::FILE);
    EXPECT_EQ(asked[1].text, "Open Sheet");
    EXPECT_EQ(asked[1].caption, "*.sch");
    EXPECT_EQ(asked[1].value, "C:/work");  // stored directories may carry DOS separators
    EXPECT_EQ(asked[3].value, "old.sch");
    EXPECT_TRUE(unanswered.empty());
}

TEST_F(Asking, SeveralFiltersReportTheOneChosenAndASaveGetsTheDefaultSuffix) {
    script.file("/lib/opamps.src", 1);
    const char* wildcards[] = {"*.clb", "*.src"};
    const char* names[] = {"Tessaron Libraries", "OrCAD 32 bits"};
    const char* directories[] = {"/lib", "/project"};
    int filter = 2;
    const char* path = filesel_multi("Library to Use/Convert:", "/lib", nullptr, nullptr, &filter,
                                     wildcards, names, directories, 9, nullptr, -1, -1);
    ASSERT_NE(path, nullptr);
    EXPECT_STREQ(path, "/lib/opamps.src");
    EXPECT_EQ(filter, 1);
    EXPECT_EQ(script.asked()[0].caption,
              "Tessaron Libraries (*.clb)|*.clb|OrCAD 32 bits (*.src)|*.src");

    script.file("/project/out");
    FileRequest save;
    save.flags = FILE_SELECT_SAVE;
    save.default_extension = "sch";
    FileAnswer answer;
    ASSERT_TRUE(ask_file(save, &answer));
    EXPECT_EQ(answer.path, "/project/out.sch");
}

TEST_F(Asking, FontsAndColoursAreAnsweredOrCancelled) {
    script.font(wxFont(wxFontInfo(14).FaceName("Sans").Bold()));
    script.cancel(Kind::COLOUR);
    script.colour(wxColour(10, 20, 30));
    wxFontData font;
    ASSERT_TRUE(ask_font(nullptr, &font));
    EXPECT_EQ(font.GetChosenFont().GetPointSize(), 14);
    wxColourData colour;
    colour.SetColour(*wxRED);
    EXPECT_FALSE(ask_colour(nullptr, &colour));
    EXPECT_EQ(colour.GetColour(), *wxRED);
    ASSERT_TRUE(ask_colour(nullptr, &colour));
    EXPECT_EQ(colour.GetColour(), wxColour(10, 20, 30));
}

TEST_F(Asking, AQuestionWithoutAnAnswerIsReportedAndTakesTheSafeAnswer) {
    EXPECT_EQ(services().message_box("Overwrite ?", "Warning", MB_YES_NO), ANSWER_YES);
    std::string chosen = "kept";
    EXPECT_FALSE(
        services().file_selector("Pick", "", nullptr, nullptr, nullptr, 0, nullptr, &chosen));
    EXPECT_EQ(chosen, "kept");
    EXPECT_EQ(unanswered, (std::vector<std::string>{"Overwrite ?", "Pick"}));
    // An answer of another kind is not taken by the wrong question.
    script.text("t");
    EXPECT_EQ(services().message_box("Q", "Error", MB_OK_BUTTON), ANSWER_OK);
    EXPECT_EQ(script.pending(), 1u);
}

TEST_F(Asking, AModalDialogRunsItsLoopWhileTheScriptActsInIt) {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "Tessaron: Modal");
    bool was_modal = false;
    script.modal([&](wxDialog& d) {
        was_modal = d.IsModal() && d.IsShown();
        d.EndModal(wxID_OK);
    });
    EXPECT_EQ(ask_modal(dialog), wxID_OK);
    EXPECT_TRUE(was_modal);
    // An action that leaves the dialog open: the loop still ends.
    script.modal([](wxDialog&) {});
    EXPECT_EQ(ask_modal(dialog), wxID_CANCEL);
    // No action for it: not shown at all, reported.
    EXPECT_EQ(ask_modal(dialog), wxID_CANCEL);
    EXPECT_EQ(unanswered, (std::vector<std::string>{"Tessaron: Modal"}));
    tn_test::destroy_window(dialog);
}

TEST_F(Asking, AModalEnhancedDialogClosedByEscapeRunsItsOnCloseCallback) {
    int closes = 0;
    auto* dialog = new EnhancedDialog(
        nullptr, "Tessaron: Escape", true, -1, -1,
        [&](EnhancedDialog& d) {
            ++closes;
            d.Destroy();
        },
        -1, 0, 0, 0x3C0200, "escape");
    dialog->AddButton("Execute", {}, 20062);
    dialog->Fit();
    // The added Cancel carries the cancel id, which Escape presses.
    auto* cancel = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_CANCEL));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->GetLabel(), "Cancel");
    script.modal([](wxDialog& d) {
        wxKeyEvent escape(wxEVT_CHAR_HOOK);
        escape.m_keyCode = WXK_ESCAPE;
        escape.SetEventObject(&d);
        d.GetEventHandler()->ProcessEvent(escape);
    });
    dialog->Show(true, false);
    EXPECT_EQ(closes, 1);
    wxTheApp->ProcessPendingEvents();
}

}  // namespace
