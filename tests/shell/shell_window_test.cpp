// The shell's windows in this process: the save question when a window
// closes, a failed save, the seam's look-up of open sheets, the log window
// and the status line. Message boxes are answered by the modal hook.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include "editor/gui/edit_canvas.h"
#include "editor/gui/preview_canvas.h"
#include "editor/tool_mode.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/text.h"
#include "render/printing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/test_env.h"
#include "toolkit/wx_test_env.h"

namespace {

using tn_test::ModalAnswer;

class ShellWindows : public testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        if (!lib_list) init_Libraries();
        set_message_formatter(error_message);
        install_program_services();
        proper_set(BAK_FILE, 0, LOGFILE, "", 0);
        frame = new MyFrame("Shell window test", wxDefaultPosition, wxSize(800, 600));
        frame->Show();
        show_log_window();
        sheet = dir.file("sheet.sch");
        Schema* schema = nullptr;
        new_active_schema(&schema);
        ASSERT_EQ(save_schema_file(schema, sheet.c_str(), false), 0);
        close_schema(nullptr, &schema);
    }
    void TearDown() override {
        // Whatever a test left modified closes without a question.
        for (MyChild* child : my_children)
            if (child->canvas && child->canvas->mySchema)
                schema_clear_modified(child->canvas->mySchema);
        frame->Close(true);
        wxTheApp->ProcessPendingEvents();
        set_box_hooks({}, {});
        reset_services();
        config_set_defaults();
    }
    wxString status(int field) { return frame->GetStatusBar()->GetStatusText(field); }

    tn_test::TempDir dir;
    std::string sheet;
    MyFrame* frame = nullptr;
};

// Answers the save question with `reply` and keeps its text.
struct SaveQuestion {
    explicit SaveQuestion(int reply)
        : hook([this, reply](wxDialog* d) {
              if (auto* box = dynamic_cast<wxMessageDialog*>(d)) {
                  texts.push_back(box->GetMessage().utf8_string());
                  captions.push_back(box->GetCaption().utf8_string());
              }
              return reply;
          }) {}
    std::vector<std::string> texts, captions;
    ModalAnswer hook;
};

TEST_F(ShellWindows, ClosingAModifiedSheetAsksAndCancelKeepsItOpenAndModified) {
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    EditCanvas* canvas = child->canvas;
    EXPECT_EQ(paint_zone, canvas);
    canvas_mark_modified(canvas);
    EXPECT_EQ(status(STATUS_MODIFIED), "*MODIFIED*");
    // The whole word shows, in this narrow frame too.
    wxRect field;
    ASSERT_TRUE(frame->GetStatusBar()->GetFieldRect(STATUS_MODIFIED, field));
    EXPECT_GE(field.width, frame->GetStatusBar()->GetTextExtent(wxS("*MODIFIED*")).x);
    EXPECT_TRUE(child->GetTitle().EndsWith(" *"));
    {
        SaveQuestion ask(wxID_CANCEL);
        EXPECT_FALSE(child->Close());
        ASSERT_EQ(ask.texts.size(), 1u);
        EXPECT_EQ(ask.texts[0], "Save Changes to Sheet ?\n" + sheet);
        EXPECT_EQ(ask.captions[0], "Please Confirm");
    }
    wxTheApp->ProcessPendingEvents();
    ASSERT_EQ(my_children.size(), 1u);
    EXPECT_TRUE(schema_is_modified(canvas->mySchema));

    // Exit asks the same; Cancel stops the whole exit.
    {
        SaveQuestion ask(wxID_CANCEL);
        EXPECT_FALSE(close_all_children());
        EXPECT_EQ(ask.texts.size(), 1u);
    }
    EXPECT_EQ(my_children.size(), 1u);
}

// An edit shows the modified mark in the title and on the status line as it
// is made, so that both reach the screen with the edit's own drawing; a save
// takes the mark away and the next edit brings it back.
TEST_F(ShellWindows, AnEditShowsTheModifiedMarkAtOnceAndASaveTakesItAway) {
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    EditCanvas* canvas = child->canvas;
    wxTheApp->ProcessPendingEvents();
    EXPECT_FALSE(child->GetTitle().EndsWith(" *"));
    EXPECT_EQ(status(STATUS_MODIFIED), "");
    for (int round = 0; round < 2; ++round) {
        canvas->edit_host->mark_modified();
        EXPECT_TRUE(schema_is_modified(canvas->mySchema));
        EXPECT_TRUE(child->GetTitle().EndsWith(" *")) << "round " << round;
        EXPECT_EQ(status(STATUS_MODIFIED), "*MODIFIED*") << "round " << round;
        // The status line's other fields still change as before.
        canvas_set_prompt(canvas, "Pick a point");
        EXPECT_EQ(status(STATUS_PROMPT), "Pick a point");
        canvas_mark_saved(canvas);
        EXPECT_FALSE(child->GetTitle().EndsWith(" *"));
        EXPECT_EQ(status(STATUS_MODIFIED), "");
    }
}

TEST_F(ShellWindows, YesSavesAndClosesNoClosesWithoutSaving) {
    auto stamp = std::filesystem::last_write_time(sheet);
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    canvas_mark_modified(child->canvas);
    {
        SaveQuestion ask(wxID_NO);
        EXPECT_TRUE(child->Close());
    }
    wxTheApp->ProcessPendingEvents();
    EXPECT_TRUE(my_children.empty());
    EXPECT_EQ(std::filesystem::last_write_time(sheet), stamp);

    // A sheet that cannot be read: the error box, and no window is left.
    SaveQuestion error(wxID_OK);
    EXPECT_EQ(open_sheet(dir.file("missing.sch").c_str(), nullptr), nullptr);
    wxTheApp->ProcessPendingEvents();
    EXPECT_TRUE(my_children.empty());
    ASSERT_EQ(error.captions.size(), 1u);
    EXPECT_EQ(error.captions[0], "Error");
}

TEST_F(ShellWindows, AnsweringYesWritesTheSheet) {
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    std::filesystem::remove(sheet);
    canvas_mark_modified(child->canvas);
    {
        SaveQuestion ask(wxID_YES);
        EXPECT_TRUE(child->Close());
    }
    wxTheApp->ProcessPendingEvents();
    EXPECT_TRUE(my_children.empty());
    EXPECT_EQ(get_file_kind(sheet.c_str()), FILE_KIND_SCHEMA);
}

TEST_F(ShellWindows, AFailedSaveKeepsTheWindowOpenAndModified) {
    tn_test::TempDir gone;
    std::string there = gone.file("sheet.sch");
    std::filesystem::copy_file(sheet, there);
    MyChild* child = open_sheet(there.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    canvas_mark_modified(child->canvas);
    std::filesystem::remove_all(gone.path());  // nowhere to write to
    {
        SaveQuestion ask(wxID_YES);  // Yes to the question, then the error box
        EXPECT_FALSE(child->Close());
        ASSERT_EQ(ask.texts.size(), 2u);
        EXPECT_EQ(ask.captions[1], "Error");
        EXPECT_NE(ask.texts[1].find(there), std::string::npos);
    }
    wxTheApp->ProcessPendingEvents();
    ASSERT_EQ(my_children.size(), 1u);
    EXPECT_TRUE(schema_is_modified(child->canvas->mySchema));
}

TEST_F(ShellWindows, AutosaveCopiesOnlyModifiedSheetsBesideTheirFile) {
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    std::string copy = dir.file("sheet.001");
    autosave_all();
    EXPECT_FALSE(std::filesystem::exists(copy));  // nothing changed, nothing copied
    canvas_mark_modified(child->canvas);
    autosave_all();
    EXPECT_EQ(get_file_kind(copy.c_str()), FILE_KIND_SCHEMA);
    autosave_all();
    EXPECT_TRUE(std::filesystem::exists(dir.file("sheet.002")));
    EXPECT_TRUE(schema_is_modified(child->canvas->mySchema));  // a copy is not a save
}

TEST_F(ShellWindows, FilesDroppedOnTheFrameOpenAsSheets) {
    auto* files = new wxString[1]{wxString::FromUTF8(sheet)};  // the event frees them
    wxDropFilesEvent drop(wxEVT_DROP_FILES, 1, files);
    drop.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(drop);
    ASSERT_EQ(my_children.size(), 1u);
    EXPECT_EQ(canvas_file_name(my_children[0]->canvas), sheet);
}

TEST_F(ShellWindows, OpenSheetsAreFoundByNameIgnoringCase) {
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    void* canvas = nullptr;
    std::string upper = dir.path().string() + "/SHEET.SCH";
    EXPECT_EQ(services().find_open_file(upper.c_str(), &canvas), child->canvas->mySchema);
    EXPECT_EQ(canvas, static_cast<void*>(static_cast<RenderCanvas*>(child->canvas)));
    EXPECT_EQ(services().find_open_file(dir.file("other.sch").c_str(), &canvas), nullptr);
    EXPECT_EQ(canvas, nullptr);
}

// A sheet's title block shows the sheet's fields, its size among them,
// whatever its controls held when saved (a title-block window's "<Size>").
TEST_F(ShellWindows, ATitleBlockShowsTheSheetsSizeAndFieldsWhenOpened) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    schema->sheet_size = 6;
    schema_set_field(schema, FIELD_TITLE, "Filter");
    for (auto [field, shown] : {std::pair{FIELD_SHEETSIZE, "<Size>"}, {FIELD_TITLE, "<Title>"}}) {
        Text* control = new_Text();
        control->flags = TBLOCK;
        control->field = field;
        control->string = shown;
        dlist_append(schema->titleblock.fields, control);
    }
    ASSERT_EQ(save_schema_file(schema, sheet.c_str(), false), 0);
    close_schema(nullptr, &schema);

    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    List* controls = child->canvas->mySchema->titleblock.fields;
    ASSERT_EQ(controls->count, 2u);
    EXPECT_EQ(static_cast<Text*>(controls->head->data)->string, "A3 ");
    EXPECT_EQ(static_cast<Text*>(controls->tail->data)->string, "Filter");
}

TEST_F(ShellWindows, TheLogWindowShowsTextAsPrinted) {
    log_printf("Result of read : %d", 0);
    log_printf(" and more\n");
    EXPECT_TRUE(log_frame->Text().EndsWith("Result of read : 0 and more\n"));
    ASSERT_NE(new_library_child(nullptr), nullptr);
    // Without an installed help book, help says so where the user looks.
    show_help("Tessaron.hlp", 675);
    EXPECT_TRUE(log_frame->Text().Contains("Help is not installed: no help book for Tessaron.hlp"));
    ASSERT_EQ(my_children.size(), 1u);
    EXPECT_EQ(my_children[0]->canvas->kind, CANVAS_LIBRARY);
}

// The pane is made when first needed; what was logged before waits for it,
// and the log still spans the frame's width below the part palette.
TEST_F(ShellWindows, TheLogPaneMadeLateShowsWhatWasLoggedBefore) {
    log_frame->Destroy();
    ASSERT_EQ(log_frame, nullptr);
    log_printf("Before the pane\n");
    EXPECT_EQ(log_frame, nullptr) << "a line alone makes no pane";
    EXPECT_TRUE(log_has_text());
    frame->ShowPalette(true);
    ASSERT_NE(log_frame, nullptr) << "made before the palette";
    EXPECT_FALSE(log_frame->IsShown());
    log_printf("*** ERROR after\n");
    EXPECT_TRUE(log_frame->IsShown()) << "an error line shows it";
    EXPECT_EQ(log_frame->Text(), "Before the pane\n*** ERROR after\n");
    EXPECT_EQ(log_frame->GetSize().x, frame->GetClientSize().x);

    log_frame->Destroy();
    log_printf("*** ERROR at once\n");
    ASSERT_NE(log_frame, nullptr);
    EXPECT_TRUE(log_frame->IsShown());
    EXPECT_EQ(log_frame->Text(), "*** ERROR at once\n");
}

TEST_F(ShellWindows, PromptAndMenusFollowTheCurrentCanvas) {
    wxMenuBar* bar = frame->GetMenuBar();
    EXPECT_EQ(bar->FindItem(EDITOR_WIRE), nullptr);  // no sheet bar without a sheet
    EXPECT_FALSE(bar->FindItem(CMD_SAVE));
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    wxMenuBar* sheet_bar = child->GetMenuBar();
    ASSERT_NE(sheet_bar->FindItem(EDITOR_WIRE), nullptr);
    EXPECT_TRUE(sheet_bar->FindItem(EDITOR_WIRE)->IsEnabled());  // the sheet editor's
    EXPECT_TRUE(sheet_bar->FindItem(CMD_EDIT_ITEM)->IsEnabled());
    EXPECT_TRUE(sheet_bar->FindItem(CMD_SAVE)->IsEnabled());
    canvas_set_prompt(child->canvas, "A prompt far longer than the field can ever show at once");
    EXPECT_EQ(status(STATUS_PROMPT).length(), PROMPT_MAX);
    canvas_set_mode_name(child->canvas, "Main Mode");
    EXPECT_EQ(status(STATUS_MODE), "Main Mode");
}

TEST_F(ShellWindows, TheWindowsPrintJobWritesOnePageAndNamesItsFile) {
    EXPECT_EQ(canvas_print_job(nullptr), nullptr);
    MyChild* child = open_sheet(sheet.c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    std::unique_ptr<PrintJob> job = canvas_print_job(child->canvas);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->title(), "sheet.sch");
    std::string ps = dir.file("sheet.ps");
    ASSERT_TRUE(print_job_to_postscript(*job, ps));
    std::string text = tn_test::read_text(ps);
    EXPECT_EQ(text.rfind("%!PS-Adobe", 0), 0u);
    size_t pages = 0;
    for (size_t at = 0; (at = text.find("\n%%Page:", at)) != std::string::npos; ++at) ++pages;
    EXPECT_EQ(pages, 1u);
    // The names derived from the current window's document.
    std::string suffix = strproper_get(EXT_NETFMT);
    suffix = suffix.substr(0, suffix.find(','));
    EXPECT_EQ(std::string(default_file_name(EXT_NETFMT)), dir.file("sheet") + suffix);
}

TEST_F(ShellWindows, APreviewShowsOnePartOfALibraryOrNothing) {
    std::string library = dir.file("parts.clb");
    ASSERT_EQ(
        compile_library(TN_TEST_DATA_DIR "/../../examples/parts.slb", library.c_str(), nullptr), 0);
    wxFrame* holder = new wxFrame(nullptr, wxID_ANY, "preview");
    auto* preview = new PreviewCanvas(holder, 0, 0, 210, 100, 0, 0);
    holder->Show();
    EXPECT_EQ(preview->kind, CANVAS_PREVIEW);
    EXPECT_TRUE(preview_show_part(preview, library.c_str(), "LM358", 0, 1));
    ASSERT_NE(preview->mySchema, nullptr);
    EXPECT_EQ(preview->mySchema->current->items->count, 1u);
    EXPECT_FALSE(preview_show_part(preview, library.c_str(), "NO_SUCH_PART", 1, 1));
    EXPECT_EQ(preview->mySchema->current->items->count, 0u);
    EXPECT_FALSE(preview_show_part(preview, dir.file("missing.clb").c_str(), "RES", 0, 0));
    tn_test::destroy_window(holder);
}

}  // namespace
