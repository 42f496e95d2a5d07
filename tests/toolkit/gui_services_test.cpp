#include "toolkit/gui_services.h"

#include <gtest/gtest.h>

#include <string>

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "foundation/core.h"
#include "foundation/services.h"
#include "toolkit/wx_test_env.h"

namespace {

struct StyleCase {
    int style;
    long wx;
};
void PrintTo(const StyleCase& c, std::ostream* out) { *out << "style " << c.style; }

class BoxStyle : public testing::TestWithParam<StyleCase> {};

TEST_P(BoxStyle, TranslatesToTheToolkitsBits) {
    EXPECT_EQ(wx_style_from_box_style(GetParam().style), GetParam().wx) << GetParam().style;
}

// The styles the message boxes use (error box = caller's style + OK,
// warning 37, confirm 130, confirm with cancel 134) and the corner cases.
INSTANTIATE_TEST_SUITE_P(
    Styles, BoxStyle,
    testing::Values(StyleCase{0, wxOK}, StyleCase{MB_OK_BUTTON, wxOK},
                    StyleCase{MB_CANCEL_BUTTON, wxOK | wxCANCEL},
                    StyleCase{MB_OK_BUTTON | MB_YES_NO, wxYES_NO},
                    StyleCase{37, wxOK | wxCANCEL | wxICON_EXCLAMATION},
                    StyleCase{130, wxYES_NO | wxICON_QUESTION},
                    StyleCase{134, wxYES_NO | wxCANCEL | wxICON_QUESTION},
                    StyleCase{65, wxOK | wxICON_HAND},
                    StyleCase{257, wxOK | wxICON_INFORMATION},
                    StyleCase{MB_ICON_STOP | MB_ICON_INFORMATION, wxOK | wxICON_HAND}));

TEST(BoxAnswer, TranslatesBackToTheProgramsNumbers) {
    EXPECT_EQ(box_answer_from_wx(wxOK), ANSWER_OK);
    EXPECT_EQ(box_answer_from_wx(wxYES), ANSWER_YES);
    EXPECT_EQ(box_answer_from_wx(wxNO), ANSWER_NO);
    EXPECT_EQ(box_answer_from_wx(wxCANCEL), ANSWER_CANCEL);
}

TEST(FileFlags, OverwritePromptOnlyForSaving) {
    EXPECT_EQ(wx_style_from_file_flags(FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY), wxFD_OPEN);
    EXPECT_EQ(wx_style_from_file_flags(FILE_SELECT_SAVE | FILE_SELECT_OVERWRITE_PROMPT),
              wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    EXPECT_EQ(wx_style_from_file_flags(FILE_SELECT_OPEN | FILE_SELECT_OVERWRITE_PROMPT), wxFD_OPEN);
}

class GuiServices : public testing::Test {
protected:
    void SetUp() override { install_gui_services(); }
    void TearDown() override {
        reset_services();
        debug_enabled = false;
    }
};

TEST_F(GuiServices, MessageBoxShowsTextCaptionAndStyleAndReturnsTheAnswer) {
    wxString text, caption;
    long style = 0;
    int reply = wxID_NO;
    tn_test::ModalAnswer answer([&](wxDialog* d) -> int {
        auto* box = dynamic_cast<wxMessageDialog*>(d);
        if (!box) return wxID_CANCEL;
        text = box->GetMessage();
        caption = box->GetCaption();
        style = box->GetMessageDialogStyle();
        return reply;
    });
    EXPECT_EQ(services().message_box("File exist. Overwrite ?", "Please Confirm", 134), ANSWER_NO);
    EXPECT_EQ(text, "File exist. Overwrite ?");
    EXPECT_EQ(caption, "Please Confirm");
    EXPECT_EQ(style & ~wxCENTRE, wxYES_NO | wxCANCEL | wxICON_QUESTION);
    reply = wxID_CANCEL;
    EXPECT_EQ(services().message_box("q", "Please Confirm", 134), ANSWER_CANCEL);
}

TEST_F(GuiServices, DebugOutputOnlyInDebugModeAndVerbatim) {
    testing::internal::CaptureStderr();
    warning("hidden");
    debug_enabled = true;
    services().debug_write("\b 10%, ");
    // GTK may write its own diagnostics to the same stream meanwhile: look
    // for ours, unchanged, and for the hidden one's absence.
    std::string captured = testing::internal::GetCapturedStderr();
    EXPECT_NE(captured.find("\b 10%, "), std::string::npos);
    EXPECT_EQ(captured.find("hidden"), std::string::npos);
}

TEST(GuiFatalExit, WritesTheTextAndEndsWithStatus1) {
    EXPECT_EXIT(gui_fatal_exit("Windows Fatal Error: Not Enough Memory", false),
                testing::ExitedWithCode(1), "Windows Fatal Error: Not Enough Memory");
}

}  // namespace
