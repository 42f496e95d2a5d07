// The property sheet, the list of rows with levels and colour cells, the
// colour swatch button and the registry of the tabbed dialogs, as real
// windows on the display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/colourdata.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/radiobut.h>

#include "toolkit/asking.h"
#include "toolkit/cell_tree.h"
#include "toolkit/colour_swatch.h"
#include "toolkit/property_sheet.h"
#include "toolkit/res_dialogs.h"
#include "toolkit/wx_test_env.h"

namespace {

class SheetControls : public testing::Test {
protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, "controls", wxPoint(0, 0), wxSize(500, 400));
        frame->Show();
    }
    void TearDown() override { tn_test::destroy_window(frame); }
    wxFrame* frame = nullptr;
};

// Pages are made the first time they show; a page that refuses to be left
// keeps its tab and keeps OK from closing; the start page is clamped.
TEST_F(SheetControls, PropertySheetBuildsPagesLazilyAndHonoursRefusals) {
    std::vector<int> built, applied, helped, refused;
    bool leave = true;
    int oks = 0, cancels = 0;
    PropertySheet::Hooks hooks;
    hooks.build = [&](int page, wxWindow* parent) -> wxWindow* {
        built.push_back(page);
        auto* panel = new wxPanel(parent);
        // The last page is larger than the dialog made for the first.
        panel->SetMinSize(page == 2 ? wxSize(700, 350) : wxSize(200, 100));
        return panel;
    };
    hooks.can_leave = [&](int) { return leave; };
    hooks.refused = [&](int page) { refused.push_back(page); };
    hooks.ok = [&] { ++oks; };
    hooks.cancel = [&] { ++cancels; };
    hooks.apply = [&](int page) { applied.push_back(page); };
    hooks.help = [&](int page) { helped.push_back(page); };

    PropertySheet sheet(frame, "Sheet", {"&One", "&Two", "&Three"}, true, 6, hooks, 1004);
    EXPECT_EQ(sheet.CurrentPage(), 2) << "the start page is clamped to the last";
    EXPECT_EQ(built, std::vector<int>{2});
    EXPECT_EQ(sheet.Notebook()->GetId(), 1004);
    EXPECT_GE(sheet.GetSize().x, 700) << "the dialog fits its page";
    EXPECT_EQ(sheet.PageWindow(0), nullptr);

    EXPECT_TRUE(sheet.ShowPage(0));
    EXPECT_TRUE(sheet.ShowPage(2));
    EXPECT_TRUE(sheet.ShowPage(0));
    EXPECT_EQ(built, (std::vector<int>{2, 0})) << "a page is made once";

    leave = false;
    EXPECT_FALSE(sheet.ShowPage(1));
    EXPECT_EQ(sheet.CurrentPage(), 0);
    sheet.sheet_command(wxID_APPLY);
    sheet.sheet_command(wxID_HELP);
    EXPECT_EQ(applied, std::vector<int>{0});
    EXPECT_EQ(helped, std::vector<int>{0});

    // Run modally: OK refused, then allowed; Cancel is not asked.
    AskScript script;
    script.modal([&](wxDialog&) {
        sheet.sheet_command(wxID_OK);
        EXPECT_TRUE(sheet.IsModal()) << "OK closed a sheet whose page refused";
        leave = true;
        sheet.sheet_command(wxID_OK);
    });
    EXPECT_EQ(ask_modal(&sheet), wxID_OK);
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(refused, (std::vector<int>{0, 0}));
}

TEST_F(SheetControls, CellTreeRowsLevelsCellsAndQuietSelection) {
    auto* tree = new CellTree(
        frame, wxID_ANY, {{"Name", 80}, {"Colour", 40, CellTree::ColumnKind::COLOUR}, {"Note", -1}},
        wxSize(300, 200));
    frame->Layout();
    std::vector<int> selected, activated;
    tree->on_select = [&](int row) { selected.push_back(row); };
    tree->on_activate = [&](int row) { activated.push_back(row); };

    EXPECT_EQ(tree->AddRow({"/"}, 0), 0);
    tree->AddRow({"home"}, 1);
    tree->AddRow({"user"}, 2);
    tree->AddRow({"tmp"}, 1);
    EXPECT_EQ(tree->InsertRow(1, {"etc", "", "first"}, 1), 1);
    ASSERT_EQ(tree->RowCount(), 5);
    EXPECT_EQ(tree->Cell(1, 0), "etc");
    EXPECT_EQ(tree->Cell(1, 2), "first");
    EXPECT_EQ(tree->Parent(3), 2) << "user belongs to home";
    EXPECT_EQ(tree->Parent(4), 0);
    EXPECT_EQ(tree->Parent(0), -1);
    tree->SetColour(2, 1, 0x00FF00);
    EXPECT_EQ(tree->Colour(2, 1), 0x00FF00u);
    tree->SetCell(4, 2, "changed");
    EXPECT_EQ(tree->Cell(4, 2), "changed");
    EXPECT_EQ(tree->Cell(9, 0), "");

    tree->SelectRow(3);
    EXPECT_EQ(tree->Selection(), 3);
    tree->DeleteRow(1);
    EXPECT_EQ(tree->Cell(1, 0), "home");
    tree->SelectRow(-1);
    EXPECT_EQ(tree->Selection(), -1);
    EXPECT_TRUE(selected.empty()) << "the program's own changes were reported";

    // Where a row stands: inside the control, one row below another.
    wxTheApp->Yield();
    const wxRect first = tree->CellRect(0, 0), second = tree->CellRect(1, 0);
    EXPECT_FALSE(first.IsEmpty());
    EXPECT_GT(second.y, first.y);

    tree->Clear();
    EXPECT_EQ(tree->RowCount(), 0);
    EXPECT_EQ(tree->Selection(), -1);
}

TEST_F(SheetControls, ColourSwatchAsksFromItsColourAndKeepsAConfirmedOne) {
    auto* swatch = new ColourSwatch(frame, 1082, 0x0000FF);
    std::vector<uint32_t> changes;
    swatch->on_change = [&](uint32_t rgb) { changes.push_back(rgb); };
    AskScript script;
    script.colour(wxColour(0x10, 0x20, 0x30));
    script.cancel(AskScript::Kind::COLOUR);
    auto click = [&] {
        wxCommandEvent event(wxEVT_BUTTON, swatch->GetId());
        event.SetEventObject(swatch);
        swatch->ProcessWindowEvent(event);
    };
    click();
    EXPECT_EQ(swatch->Colour(), 0x302010u);
    click();  // cancelled: unchanged, not reported
    EXPECT_EQ(swatch->Colour(), 0x302010u);
    EXPECT_EQ(changes, std::vector<uint32_t>{0x302010});
    ASSERT_EQ(script.asked().size(), 2u);
}

TEST_F(SheetControls, RegistryRefusesASecondOpeningAndCentresOverTheFrame) {
    EXPECT_EQ(native_dlg_index(frame), -1);
    int owner = 0;
    ASSERT_TRUE(res_dialog_begin(RES_STATS, &owner));
    EXPECT_EQ(res_dialog_current, RES_STATS);
    EXPECT_EQ(res_dialogs[RES_STATS].owner_view, &owner);
    auto* dialog = new wxDialog(frame, wxID_ANY, "Statistics");
    res_dialog_opened(RES_STATS, dialog);
    EXPECT_EQ(native_dlg_index(dialog), RES_STATS);
    EXPECT_FALSE(res_dialog_begin(RES_STATS, nullptr)) << "a second opening";
    EXPECT_EQ(res_dialogs[RES_STATS].owner_view, &owner);
    res_dialog_closed(dialog);
    EXPECT_EQ(res_dialogs[RES_STATS].window, nullptr);
    EXPECT_EQ(native_dlg_index(dialog), -1);
    EXPECT_TRUE(res_dialog_begin(RES_STATS, nullptr));
    dialog->Destroy();

    EXPECT_EQ(res_dialogs[RES_PREFERENCES].page_count, 8);
    EXPECT_EQ(res_dialogs[RES_LOAD_PART].pages[1].help_context, 670);

    // The control helpers: a radio group without a checked button reads as
    // its first.
    auto* boxes = new wxDialog(frame, wxID_ANY, "Controls");
    new wxCheckBox(boxes, 30003, "Show");
    new wxRadioButton(boxes, 1117, "Line", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    new wxRadioButton(boxes, 1118, "Dot");
    new wxRadioButton(boxes, 1119, "Alone", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    check_set(boxes, 30003, true);
    EXPECT_EQ(check_get(boxes, 30003), 1);
    EXPECT_EQ(check_get(boxes, 4711), 0);
    radio_set(boxes, 1, {1117, 1118});
    EXPECT_EQ(radio_get(boxes, {1117, 1118}), 1);
    static_cast<wxRadioButton*>(boxes->FindWindow(1119))->SetValue(false);
    EXPECT_EQ(radio_get(boxes, {1119}), 0);
    boxes->Destroy();

    EXPECT_EQ(center_on_frame(Rect{100, 50, 800, 600}, 200, 101), (Point{400, 299}));
    EXPECT_EQ(center_on_frame(Rect{100, 50, 300, 200}, 500, 400), (Point{100, 50}))
        << "a window larger than the frame stands at its corner";
}

}  // namespace
