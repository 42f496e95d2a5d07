// The Preferences and Load Part sheets and the Statistics box as windows of
// the running shell on the example hierarchy: every page made in the real
// sheet, its controls changed with real clicks and keys, Apply read back
// from the INI file, Cancel returning to the values the sheet found.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include "dialogs/forms/prefs_pages.h"
#include "dialogs/resource_dialogs.h"
#include "editor/tool_mode.h"
#include "foundation/errors.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/cell_tree.h"
#include "toolkit/property_sheet.h"
#include "toolkit/res_dialogs.h"

namespace {

namespace fs = std::filesystem;

class SheetWindows : public testing::Test {
protected:
    void SetUp() override {
        set_config_ini_name(dir.file("Quib.ini").c_str());
        config_init_keys();
        config_set_defaults();
        if (!lib_list) init_Libraries();
        set_message_formatter(error_message);
        install_program_services();
        fs::create_directories(dir.path() / "libs");
        for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
            fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, dir.path() / file);
        for (const char* name : {"analog.clb", "digital.clb", "power.clb"})
            fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", dir.path() / "libs" / name);
        proper_set(BAK_FILE, 0, LOGFILE, "", DIR_PROJECT, dir.path().string(), DIR_LIBRARY,
                   (dir.path() / "libs").string(), SETUP_CURRENT_TAB, 0, 0);
        script.on_unanswered = [](const AskScript::Question& q) {
            ADD_FAILURE() << "unexpected question: " << q.text;
        };
        frame = new MyFrame("Sheet test", wxPoint(0, 0), wxSize(900, 700));
        frame->Show();
        child = open_sheet(dir.file("root.sch").c_str(), nullptr);
        ASSERT_NE(child, nullptr);
    }
    void TearDown() override {
        for (MyChild* c : my_children)
            if (c->canvas && c->canvas->mySchema) schema_clear_modified(c->canvas->mySchema);
        frame->Close(true);
        wxTheApp->ProcessPendingEvents();
        free_open_libraries();
        reset_services();
        config_set_defaults();
        set_config_ini_name(nullptr);
    }

    // Lets the toolkit work until done (the canvas driver's pumping).
    bool pump_until(const std::function<bool()>& done, int ms = 5000) {
        return driver.pump_until(done, ms);
    }
    void click_at(const wxPoint& screen) {
        sim.MouseMove(screen);
        pump_until([] { return false; }, 60);
        sim.MouseClick();
        pump_until([] { return false; }, 60);
    }
    void click(wxWindow* window) {
        ASSERT_NE(window, nullptr);
        // A page just shown may still be laid out and the sheet grown.
        pump_until([] { return false; }, 40);
        ASSERT_TRUE(window->IsShownOnScreen());
        const wxRect r = window->GetScreenRect();
        click_at(wxPoint(r.x + r.width / 2, r.y + r.height / 2));
    }
    // Types into a field as the user does: its text selected and replaced.
    void type_into(wxWindow* field, const std::string& text) {
        click(field);
        static_cast<wxTextCtrl*>(field)->SelectAll();
        sim.Text(text.c_str());
        pump_until([] { return false; }, 100);
    }
    // A row of a list shown as a tree, clicked.
    void click_row(CellTree* tree, int row) {
        const wxRect cell = tree->CellRect(row, tree->GetColumnCount() > 1 ? 1 : 0);
        ASSERT_FALSE(cell.IsEmpty());
        click_at(tree->GetMainWindow()->ClientToScreen(
            wxPoint(cell.x + cell.width / 2, cell.y + cell.height / 2)));
    }
    std::string ini_value(const std::string& key) {
        const std::string text = tn_test::read_text(dir.file("Quib.ini"));
        const size_t at = text.find("\n" + key + "=");
        if (at == std::string::npos) return "";
        const size_t start = at + key.size() + 2;
        return text.substr(start, text.find('\n', start) - start);
    }
    // Runs a tabbed dialog; `act` works in it while it runs.
    void run_sheet(const std::function<void()>& open,
                   const std::function<void(PropertySheet&)>& act) {
        bool acted = false;
        script.modal([&](wxDialog& shown) {
            auto* sheet = dynamic_cast<PropertySheet*>(&shown);
            ASSERT_NE(sheet, nullptr);
            acted = true;
            act(*sheet);
        });
        open();
        EXPECT_TRUE(acted);
        wxTheApp->ProcessPendingEvents();
    }
    void press_closing(PropertySheet& sheet, int id) {
        wxWeakRef<wxDialog> open(&sheet);
        click(sheet.FindWindow(id));
        EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); }))
            << "the sheet stayed open";
    }

    tn_test::TempDir dir;
    AskScript script;
    MyFrame* frame = nullptr;
    MyChild* child = nullptr;
    wxUIActionSimulator sim;
    tn_test::CanvasDriver driver{nullptr};
};

TEST_F(SheetWindows, EveryPreferencesPageIsMadeChangedAppliedAndCancelled) {
    proper_set(GRID_STYLE, 1, SHOW_WERC, 0, EDIT_MODE, 0xFFF, 0);
    run_sheet(show_preferences, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.GetTitle(), "Preferences");
        EXPECT_EQ(sheet.Notebook()->GetPageCount(), 8u);
        EXPECT_EQ(res_dialogs[RES_PREFERENCES].window, &sheet);
        EXPECT_FALSE(res_dialog_begin(RES_PREFERENCES, nullptr)) << "opened twice";
        for (int page = 0; page < PREFS_PAGE_COUNT; ++page) {
            ASSERT_TRUE(sheet.ShowPage(page)) << page;
            EXPECT_NE(sheet.PageWindow(page), nullptr) << page;
        }
        EXPECT_EQ(proper_get(SETUP_CURRENT_TAB), PREFS_PAGE_COUNT - 1);

        // Drawing: the grid in lines, applied.
        sheet.ShowPage(PAGE_DRAWING);
        click(sheet.FindWindow(1117));
        ASSERT_TRUE(pump_until([] { return proper_get(GRID_STYLE) == 0; }));
        type_into(sheet.FindWindow(1102), "250");
        EXPECT_EQ(proper_get(RDELTA_X), 250);
        click(sheet.FindWindow(wxID_APPLY));
        EXPECT_EQ(ini_value("GRID_STYLE"), "0");
        EXPECT_EQ(ini_value("RDELTA_X"), "250");

        // Selection filter and Misc.: changed, not applied.
        sheet.ShowPage(PAGE_SELECT);
        click(sheet.FindWindow(1019));  // Wires
        ASSERT_TRUE(pump_until([] { return proper_get(EDIT_MODE) == (0xFFF & ~0x8); }));
        sheet.ShowPage(PAGE_MISC);
        click(sheet.FindWindow(1005));  // Show ERC Warnings
        ASSERT_TRUE(pump_until([] { return proper_get(SHOW_WERC) == 1; }));
        sheet.ShowPage(PAGE_DRAWING);
        click(sheet.FindWindow(1118));  // dots again, not applied
        ASSERT_TRUE(pump_until([] { return proper_get(GRID_STYLE) == 1; }));
        press_closing(sheet, wxID_CANCEL);
    });
    EXPECT_EQ(proper_get(GRID_STYLE), 0) << "Cancel went back past Apply";
    EXPECT_EQ(proper_get(EDIT_MODE), 0xFFF);
    EXPECT_EQ(proper_get(SHOW_WERC), 0);
    EXPECT_EQ(res_dialogs[RES_PREFERENCES].window, nullptr);
}

TEST_F(SheetWindows, TextAndObjectPagesChooseColoursAndOkStoresEveryPageOpened) {
    proper_set(SETUP_CURRENT_TAB, PAGE_TEXT, 0);
    script.colour(wxColour(255, 0, 0));
    script.colour(wxColour(0, 0, 255));
    run_sheet(show_preferences, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.CurrentPage(), PAGE_TEXT) << "the sheet opens on the page shown last";
        auto* tree = dynamic_cast<CellTree*>(sheet.FindWindow(1098));
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(tree->RowCount(), TEXT_KIND_COUNT);
        EXPECT_EQ(tree->Cell(11, 0), "Border Text");
        click_row(tree, 11);
        ASSERT_TRUE(pump_until([&] { return tree->Selection() == 11; }));
        EXPECT_FALSE(sheet.FindWindow(1094)->IsEnabled()) << "Border Text has no visibility";
        click(sheet.FindWindow(1100));  // Color
        ASSERT_TRUE(pump_until([&] { return proper_get(COLOR_BORDER) == 0x0000FF; }));
        EXPECT_EQ(tree->Colour(11, 2), 0x0000FFu);

        sheet.ShowPage(PAGE_OBJECTS);
        click(sheet.FindWindow(1082));  // the wire's swatch
        ASSERT_TRUE(pump_until([] { return proper_get(COLOR_WIRE) == 0xFF0000; }));
        press_closing(sheet, wxID_OK);
    });
    EXPECT_EQ(ini_value("COLOR_BORDER"), "RGB( 255,   0,   0)");
    EXPECT_EQ(ini_value("COLOR_WIRE"), "RGB(   0,   0, 255)");
    EXPECT_EQ(ini_value("VISIBLE_PINNUM"), "True") << "the Text page was not stored";
}

TEST_F(SheetWindows, FileLocationsRefusesAMissingFolderAndAddsAnExistingOne) {
    const std::string missing = dir.file("no/such/folder");
    script.message(ANSWER_OK);  // "Some specified Directories does not Exist."
    run_sheet(show_preferences, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.CurrentPage(), PAGE_FILE_LOCATIONS);
        type_into(sheet.FindWindow(1121), missing);
        EXPECT_EQ(strproper_get(DIR_LIBRARY), missing);
        click(sheet.FindWindow(wxID_OK));
        pump_until([] { return false; }, 100);
        EXPECT_TRUE(sheet.IsModal()) << "OK with a missing folder";
        // Typed after a click in the tree: Add >> takes the typed folder.
        auto* tree = dynamic_cast<CellTree*>(sheet.FindWindow(1124));
        ASSERT_NE(tree, nullptr);
        click_row(tree, 0);
        type_into(sheet.FindWindow(1121), dir.path().string());
        EXPECT_EQ(tree->Selection(), -1);
        click(sheet.FindWindow(1119));
        auto* list = dynamic_cast<wxListBox*>(sheet.FindWindow(1123));
        ASSERT_TRUE(pump_until([&] { return list->GetCount() == 2; }));
        EXPECT_EQ(list->GetString(1), dir.path().string());
        press_closing(sheet, wxID_OK);
    });
    ASSERT_EQ(script.asked().size(), 2u);  // the sheet, then the refusal
    EXPECT_EQ(script.asked()[1].text, "Some specified Directories does not Exist.");
    EXPECT_EQ(ini_value("NB_LIB"), "2");
    EXPECT_EQ(ini_value("THE_LIB_1"), dir.path().string());
    EXPECT_EQ(ini_value("DIR_LIBRARY"), dir.path().string());
}

TEST_F(SheetWindows, LoadPartSearchesThreeLibrariesAndOkStartsAddPart) {
    proper_set(SETUP_CURRENT_TAB, 6, 0);  // Preferences shown last on its seventh page
    run_sheet(show_load_part, [&](PropertySheet& sheet) {
        EXPECT_EQ(sheet.GetTitle(), "Load Part");
        EXPECT_EQ(sheet.CurrentPage(), 1) << "the start page is kept to the two there are";
        sheet.ShowPage(0);
        auto* libraries = dynamic_cast<wxListBox*>(sheet.FindWindow(1204));
        ASSERT_NE(libraries, nullptr);
        ASSERT_EQ(libraries->GetCount(), 3u);
        for (unsigned i = 0; i < 3; ++i) libraries->SetSelection(static_cast<int>(i));
        type_into(sheet.FindWindow(1208), "LM*");
        click(sheet.FindWindow(1207));  // Search
        auto* parts = dynamic_cast<CellTree*>(sheet.FindWindow(1205));
        ASSERT_TRUE(pump_until([&] { return parts->RowCount() == 3; }))
            << parts->RowCount() << " rows for \""
            << static_cast<wxTextCtrl*>(sheet.FindWindow(1208))->GetValue() << "\"";
        EXPECT_EQ(parts->Cell(0, 0), "analog.clb");
        EXPECT_EQ(parts->Cell(2, 0), "power.clb");
        EXPECT_EQ(parts->Cell(1, 1), "LM358");
        EXPECT_EQ(static_cast<wxStaticText*>(sheet.FindWindow(1219))->GetLabel(),
                  "3        Part(s) Found");
        click_row(parts, 1);
        ASSERT_TRUE(pump_until([&] { return parts->Selection() == 1; }));
        press_closing(sheet, wxID_OK);
    });
    ASSERT_FALSE(child->canvas->myPile.empty());
    EXPECT_STREQ(child->canvas->myPile.back()->mode->name, "Add Part");
}

TEST_F(SheetWindows, StatisticsCountOverTwoOpenSheets) {
    ASSERT_NE(open_sheet(dir.file("amplifier.sch").c_str(), nullptr), nullptr);
    bool shown = false;
    script.modal([&](wxDialog& box) {
        shown = true;
        EXPECT_EQ(box.GetTitle(), "Statistics");
        // The amplifier sheet is current: its nets, both sheets' parts.
        auto value = [&](int id) {
            return static_cast<wxStaticText*>(box.FindWindow(id))->GetLabel().Trim(false);
        };
        EXPECT_EQ(value(1231), "5");  // R1 and C1, the op-amp and its two resistors
        EXPECT_EQ(value(1233), "1");
        EXPECT_NE(value(1232), "0");
        wxWeakRef<wxDialog> open(&box);
        click(box.FindWindow(1230));
        EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); }));
    });
    show_stats();
    EXPECT_TRUE(shown);
}

}  // namespace
