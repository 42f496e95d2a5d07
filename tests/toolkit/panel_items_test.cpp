#include "toolkit/panel_items.h"

#include <gtest/gtest.h>

#include <string>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "foundation/services.h"
#include "support/test_env.h"
#include "toolkit/enhanced_dialog.h"
#include "toolkit/gui_services.h"
#include "toolkit/wx_test_env.h"

namespace {

class PanelItems : public testing::Test {
protected:
    void TearDown() override {
        reset_services();
        tn_test::destroy_window(dialog);
    }
    EnhancedDialog* dialog = new EnhancedDialog(nullptr, "Tessaron: Items");
    wxPanel* panel = dialog->UserPanel();
    wxTextCtrl* text = new wxTextCtrl(panel, wxID_ANY);
};

TEST_F(PanelItems, ValuesOfCheckBoxChoiceRadioBoxAndSlider) {
    wxString names[] = {"Pin", "Part", "Wire"};
    wxWindow* items[] = {new wxCheckBox(panel, wxID_ANY, "Hidden"),
                         new wxChoice(panel, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, names),
                         new wxRadioBox(panel, wxID_ANY, "Kind", wxDefaultPosition,
                                        wxDefaultSize, 3, names),
                         new wxSlider(panel, wxID_ANY, 0, 0, 50)};
    for (wxWindow* item : items) {
        control_set_value(item, 1);
        EXPECT_EQ(control_get_value(item), 1) << item->GetClassInfo()->GetClassName();
    }
    // An index the item does not have leaves it as it was.
    control_set_value(items[1], 7);
    control_set_value(items[2], 3);
    EXPECT_EQ(control_get_value(items[1]), 1);
    EXPECT_EQ(control_get_value(items[2]), 1);
}

TEST_F(PanelItems, SetTextChangesOnlyADifferentText) {
    control_set_text(text, "R12");
    text->SetInsertionPoint(1);
    control_set_text(text, "R12");
    EXPECT_EQ(text->GetInsertionPoint(), 1);  // untouched
    control_set_text(text, "r12");            // exact comparison: case counts
    EXPECT_EQ(control_get_text(text), "r12");
    auto* message = new wxStaticText(panel, wxID_ANY, "");
    control_set_text(message, "Ω & 2");
    EXPECT_EQ(control_get_text(message), "Ω & 2");
}

TEST_F(PanelItems, FormattingIsBoundedTo1KB) {
    std::string long_text(5000, 'x');
    control_printf(text, "%s", long_text.c_str());
    EXPECT_EQ(control_get_text(text), std::string(1023, 'x'));
    char buffer[4];
    EXPECT_STREQ(control_get_text_into(text, buffer, sizeof buffer), "xxx");
    window_printf(dialog, "Tessaron: %s", "Edit Part");
    EXPECT_EQ(window_get_label(dialog), "Tessaron: Edit Part");
}

TEST_F(PanelItems, StepNumberWritesTheClampedNumberWithTheFormat) {
    std::string written;
    control_set_text(text, "Size 7 pt");
    EXPECT_EQ(control_step_number(text, &written, -2, "%03d", 0, 100), 5);
    EXPECT_EQ(written, "005");
    EXPECT_EQ(control_get_text(text), "005");
}

// The toolkit's own file dialog, answered by the test instead of a user.
TEST_F(PanelItems, SelectFileIntoTakesTheChosenPathOnly) {
    tn_test::TempDir dir;
    std::string path = dir.file("top.sch");
    tn_test::write_text(path, "");
    install_gui_services();
    wxString message, directory, wildcard;
    int reply = wxID_CANCEL;
    tn_test::ModalAnswer answer([&](wxDialog* d) -> int {
        auto* files = dynamic_cast<wxFileDialog*>(d);
        if (!files) return wxID_CANCEL;
        message = files->GetMessage();
        directory = files->GetDirectory();
        wildcard = files->GetWildcard();
        // The native chooser selects the file only once it has read the
        // folder, in the background.
        files->SetPath(wxString::FromUTF8(path));
        for (int i = 0; i < 200 && files->GetPath().empty(); ++i) {
            wxTheApp->Yield(true);
            wxMilliSleep(10);
        }
        return reply;
    });
    std::string dos_dir = dir.path().string() + "\\";
    control_set_text(text, "old.sch");
    select_file_into(dialog, text, dos_dir.c_str(), "*.sch", "Select a sheet");
    EXPECT_EQ(control_get_text(text), "old.sch");
    reply = wxID_OK;
    select_file_into(dialog, text, dos_dir.c_str(), "*.sch", "Select a sheet");
    EXPECT_EQ(control_get_text(text), path);
    EXPECT_EQ(answer.calls, 2);
    EXPECT_EQ(message, "Select a sheet");
    EXPECT_EQ(wildcard, "*.sch");
    EXPECT_EQ(directory.utf8_string().rfind(dir.path().string(), 0), 0u) << directory;
}

}  // namespace
