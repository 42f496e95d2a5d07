#pragma once
// The running shell on a copy of the example hierarchy with its root sheet
// open, the project folder the copy's, every question answered by a
// script (a question the test did not expect fails it), and a real pointer
// for the dialogs' buttons.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/weakref.h>

#include "dialogs/form_dialog.h"
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

class ProcessWindows : public testing::Test {
protected:
    void SetUp() override {
        config_set_defaults();
        if (!lib_list) init_Libraries();
        set_message_formatter(error_message);
        install_program_services();
        // The project folder is the one the sheets are in (sub-sheets named
        // without a folder are looked for there).
        proper_set(BAK_FILE, 0, LOGFILE, "", DIR_PROJECT, dir.path().string(), 0);
        script.on_unanswered = [](const AskScript::Question& q) {
            ADD_FAILURE() << "unexpected question: " << q.text << "\nlog:\n"
                          << (log_frame ? log_frame->Text().utf8_string() : "");
        };
        for (const char* file : {"root.sch", "amplifier.sch"})
            std::filesystem::copy_file(std::filesystem::path(TN_EXAMPLES_DIR) / file,
                                       dir.path() / file);
        frame = new MyFrame("Process dialog test", wxPoint(0, 0), wxSize(800, 600));
        frame->Show();
        show_log_window();
        child = open_sheet(file("root.sch").c_str(), nullptr);
        ASSERT_NE(child, nullptr);
    }
    void TearDown() override {
        for (MyChild* c : my_children)
            if (c->canvas && c->canvas->mySchema) schema_clear_modified(c->canvas->mySchema);
        frame->Close(true);
        wxTheApp->ProcessPendingEvents();
        reset_services();
        config_set_defaults();
    }

    std::string file(const std::string& name) const { return dir.file(name); }

    bool pump_until(const std::function<bool()>& done) { return tn_test::pump_until(done); }

    // A real click in the middle of a window, the events handled.
    void click(wxWindow* window) { input.click_window(window); }

    // Clicks a button of the dialog and waits until the dialog has closed.
    void press_closing(FormDialog& dialog, long client) {
        wxWeakRef<wxDialog> open(&dialog);
        click(dialog.ButtonFor(client));
        EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); }))
            << "the dialog stayed open";
    }

    // Opens the dialog of a Tools command; `act` works in it while it runs.
    void run_dialog(int menu, const std::function<void(FormDialog&)>& act) {
        bool acted = false;
        script.modal([&](wxDialog& shown) {
            auto* dialog = dynamic_cast<FormDialog*>(&shown);
            ASSERT_NE(dialog, nullptr);
            acted = true;
            act(*dialog);
        });
        menu_command(paint_zone, menu, 0);
        EXPECT_TRUE(acted);
        wxTheApp->ProcessPendingEvents();
    }

    tn_test::TempDir dir;
    AskScript script;
    MyFrame* frame = nullptr;
    MyChild* child = nullptr;
    tn_test::UiInput input;
};
