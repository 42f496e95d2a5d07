// The process dialogs as windows of the running shell, on the example
// hierarchy: each kind opened from its Tools command, its fields set, and
// Execute (or Unannot, Search, Help) pressed with a real pointer click,
// after which the job has run on the open sheet with the options stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include "dialogs/dialog_opener.h"
#include "dialogs/form_dialog.h"
#include "dialogs/forms/process_forms.h"
#include "dialogs/gui/process_windows_fixture.h"
#include "dialogs/process_dialogs.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/panel_items.h"
#include "toolkit/wx_test_env.h"

namespace {

namespace fs = std::filesystem;

TEST_F(ProcessWindows, ErcMatrixClickedAndExecutedStoresTheMatrixAndWritesTheReport) {
    ASSERT_EQ(proper_get(ERC_TABLE, erc_cell_index(0, 2)), 0);  // in x out: accepted
    run_dialog(20184, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: ERC");
        EXPECT_EQ(control_get_text(dialog.Item(PF_FILE)), file("root.erc"));
        wxWindow* cell = erc_cell_button(erc_cell_index(0, 2));
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(erc_cell_button(erc_cell_index(2, 0)), nullptr);  // above the triangle
        click(cell);
        ASSERT_TRUE(pump_until([&] { return erc_cell_state(cell) == 1; }));
        click(cell);
        ASSERT_TRUE(pump_until([&] { return erc_cell_state(cell) == 2; }));
        press_closing(dialog, 20062);
    });
    EXPECT_EQ(program_dialogs()->find("erc_prop"), nullptr);
    EXPECT_EQ(proper_get(ERC_TABLE, erc_cell_index(0, 2)), 2);
    EXPECT_EQ(proper_get(ERC_TABLE, erc_cell_index(2, 0)), 2);
    EXPECT_STREQ(strproper_get(NETERC_OUTFILE), file("root.erc").c_str());
    std::string report = tn_test::read_text(file("root.erc"));
    EXPECT_EQ(report.rfind("Tessaron ERC Report", 0), 0u) << report;
    EXPECT_TRUE(log_frame->Text().Contains("Creating ERC Report"));
}

TEST_F(ProcessWindows, CancelStoresNothingAndTheNextOpeningProposesTheNameAgain) {
    proper_set(PARTSCH_VERBOSE, 1, 0);
    run_dialog(20196, [&](FormDialog& dialog) {
        control_set_value(dialog.Item(PF_VERBOSE), 0);
        control_set_text(dialog.Item(PF_FILE), "typed.asc");
        wxWeakRef<wxDialog> open(&dialog);
        click(dialog.FindWindow(wxID_CANCEL));
        EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); }));
    });
    EXPECT_EQ(program_dialogs()->find("partsch_prop"), nullptr);
    EXPECT_EQ(proper_get(PARTSCH_VERBOSE), 1);
    run_dialog(20196, [&](FormDialog& dialog) {
        EXPECT_EQ(control_get_text(dialog.Item(PF_FILE)), file("root.asc"));
        EXPECT_EQ(control_get_value(dialog.Item(PF_VERBOSE)), 1);
        press_closing(dialog, 20076);
    });
    // Decompiled with the hierarchy: both sheets.
    EXPECT_TRUE(fs::exists(file("root.asc")));
    EXPECT_TRUE(fs::exists(file("amplifier.asc")));
}

TEST_F(ProcessWindows, UnannotClearsTheReferencesOfTheOpenSheetInPlace) {
    // The sub-sheet is not open: its file is saved, after the question.
    script.message(ANSWER_OK);
    run_dialog(20185, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Annotate");
        press_closing(dialog, 20009);
    });
    EXPECT_EQ(proper_get(ANNO_HIER), 0);
    bool unannotated = false;
    for (SchItem* item : list_items<SchItem>(child->canvas->mySchema->sheet->items))
        if (item->type == PARTLIB_ITEM)
            unannotated |= std::string(as_PlacedPart(item)->reference.text.get()) == "R?";
    EXPECT_TRUE(unannotated);
    EXPECT_TRUE(schema_is_modified(child->canvas->mySchema));
    EXPECT_TRUE(child->GetTitle().EndsWith(" *"));
}

// Annotate saves the sheets it loaded as one set: a single question names
// how many files it replaces; declined, none of them changes.
TEST_F(ProcessWindows, AnnotateAsksOnceForEverySubSheetItWrites) {
    // The root gets two more boxes, over copies of the amplifier.
    Schema* root = child->canvas->mySchema;
    SchItem* box = nullptr;
    for (SchItem* item : list_items<SchItem>(root->sheet->items))
        if (item->type == SUBSHEET_ITEM) box = item;
    ASSERT_NE(box, nullptr);
    for (const char* name : {"amp2.sch", "amp3.sch"}) {
        fs::copy_file(file("amplifier.sch"), file(name));
        SchItem* more = copy_SchItem(root, box);
        as_SubSheet(more)->file_name = name;
        dlist_append(root->sheet->items, more);
    }
    ASSERT_EQ(save_schema_file(root, file("root.sch").c_str(), false), 0);
    const std::string before = tn_test::read_text(file("amp3.sch"));
    for (int answer : {ANSWER_CANCEL, ANSWER_OK}) {
        script.message(answer);
        run_dialog(20185, [&](FormDialog& dialog) {
            control_set_value(dialog.Item(PF_DESCEND), 1);
            press_closing(dialog, 20008);
        });
        EXPECT_EQ(tn_test::read_text(file("amp3.sch")) == before, answer == ANSWER_CANCEL);
    }
    ASSERT_EQ(script.asked().size(), 4u);  // each time the dialog, then one question
    for (size_t at : {1u, 3u}) {
        EXPECT_EQ(script.asked()[at].caption, "Warning");
        EXPECT_EQ(script.asked()[at].text, "The files will be Overwritten\n(Sheets 3)");
    }
}

TEST_F(ProcessWindows, BillOfMaterialSearchFillsItsFieldAndExecuteStoresThePageSize) {
    proper_set(NB_FIELD_NAME, 4, 0);
    set_field_name(2, "Footprint");
    set_field_name(3, "Maker");
    script.file(file("merge.asc"));
    run_dialog(20191, [&](FormDialog& dialog) {
        click(dialog.ButtonFor(20025));  // the merge file's Search...
        ASSERT_TRUE(pump_until(
            [&] { return control_get_text(dialog.Item(PF_MERGE_FILE)) == file("merge.asc"); }));
        control_set_text(dialog.Item(PF_WIDTH), "12abc");
        auto* fields = static_cast<wxListBox*>(dialog.Item(PF_FIELDS));
        ASSERT_EQ(fields->GetCount(), 2u);
        fields->SetSelection(1);
        control_set_text(dialog.Item(PF_FILE), file("parts.bom").c_str());
        press_closing(dialog, 20068);
    });
    EXPECT_EQ(proper_get(BOM_WIDTH), 12);
    EXPECT_STREQ(strproper_get(BOM_MERGEFILE), file("merge.asc").c_str());
    EXPECT_EQ(proper_get(BOM_FIELDS, 0), 0);
    EXPECT_EQ(proper_get(BOM_FIELDS, 1), 1);
    EXPECT_TRUE(fs::exists(file("parts.bom")));
    ASSERT_EQ(script.asked().size(), 2u);  // the merge file's chooser
    EXPECT_EQ(script.asked()[1].text, "Merge File:");
}

TEST_F(ProcessWindows, NetlistOutputWritesTheChosenFormatAndHelpSaysWhereItsBookIs) {
    run_dialog(20200, [&](FormDialog& dialog) {
        click(dialog.ButtonFor(20088));  // Help: no book installed yet
        ASSERT_TRUE(pump_until([] { return log_frame->Text().Contains("(context 835)"); }));
        control_set_value(dialog.Item(PF_FORMAT), 0);
        control_set_text(dialog.Item(PF_FILE), file("root.net").c_str());
        press_closing(dialog, 20074);
    });
    EXPECT_STREQ(strproper_get(NETFMT_FORMAT), "TESSARON");
    std::string netlist = tn_test::read_text(file("root.net"));
    EXPECT_EQ(netlist.rfind("( { Tessaron Native Format", 0), 0u) << netlist;
}

TEST_F(ProcessWindows, ConverterExecuteFollowsTheFileItsActionNeeds) {
    proper_set(SDT_LIBRARY, 0, SDT_SCHFILE, "", SDT_LIBFILE, "", 0);
    run_dialog(20193, [&](FormDialog& dialog) {
        wxWindow* execute = dialog.ButtonFor(20075);
        // Loaded with the schematic unnamed: nothing to execute.
        EXPECT_FALSE(execute->IsEnabled());
        auto* schema = static_cast<wxTextCtrl*>(dialog.Item(PF_SCHEMA));
        schema->SetFocus();
        input.text("x");
        ASSERT_TRUE(pump_until([&] { return execute->IsEnabled(); }));
        click(dialog.Item(PF_CONVERT));  // a library to convert, none named
        ASSERT_TRUE(pump_until([&] { return !execute->IsEnabled(); }));
        click(dialog.Item(PF_CONVERT));
        ASSERT_TRUE(pump_until([&] { return execute->IsEnabled(); }));
        // A library whose name the file system cannot hold is refused.
        control_set_text(dialog.Item(PF_LIBRARY), "kept.src");
        script.file("/lib/my parts.src", 1);
        script.message(ANSWER_OK);
        click(dialog.ButtonFor(20044));
        ASSERT_TRUE(pump_until([&] { return script.pending() == 0; }));
        EXPECT_EQ(control_get_text(dialog.Item(PF_LIBRARY)), "kept.src");
        wxWeakRef<wxDialog> open(&dialog);
        click(dialog.FindWindow(wxID_CANCEL));
        EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); }));
    });
    EXPECT_STREQ(strproper_get(SDT_SCHFILE), "");  // cancelled: nothing stored
    ASSERT_EQ(script.asked().size(), 3u);
    EXPECT_EQ(script.asked()[1].text, "Library to Use/Convert:");
    EXPECT_EQ(script.asked()[2].text, "Invalid File Name:\n/lib/my parts.src");
}

TEST_F(ProcessWindows, AJobWithoutADocumentRefusesWithAnErrorBox) {
    child->Close(true);
    wxTheApp->ProcessPendingEvents();
    ASSERT_EQ(paint_zone, nullptr);
    script.message(ANSWER_OK);
    run_dialog(20191, [&](FormDialog& dialog) {
        EXPECT_EQ(control_get_text(dialog.Item(PF_FILE)), "");
        press_closing(dialog, 20068);
    });
    ASSERT_EQ(script.asked().size(), 2u);
    EXPECT_EQ(script.asked()[1].caption, "Error");
    EXPECT_EQ(script.asked()[1].text.rfind("No Schematic Loaded.", 0), 0u)
        << script.asked()[1].text;
}

}  // namespace
