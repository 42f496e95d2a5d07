#include "library_window_fixture.h"

#include <filesystem>

#include <wx/app.h>

#include "dialogs/form_dialog.h"
#include "foundation/errors.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_windows.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"

namespace libedit_gui_test {

namespace fs = std::filesystem;

void LibraryWindowTest::SetUp() {
    config_set_defaults();
    if (!lib_list) init_Libraries();
    set_message_formatter(error_message);
    install_program_services();
    fs::copy_file(fs::path(TN_EXAMPLES_DIR) / "parts.clb", dir.path() / "parts.clb");
    proper_set(BAK_FILE, 0, DIR_LIBRARY, dir.path().string(), DIR_PROJECT, dir.path().string(), 0);
    script.on_unanswered = [](const AskScript::Question& q) {
        ADD_FAILURE() << "unexpected question: " << q.text;
    };
    frame = new MyFrame("Library dialog test", wxPoint(0, 0), wxSize(900, 700));
    frame->Show();
    child = new_library_child(dir.file("parts.clb").c_str());
    ASSERT_NE(child, nullptr);
    canvas = child->canvas;
    paint_zone = canvas;
}

void LibraryWindowTest::TearDown() {
    for (MyChild* c : my_children)
        if (c->canvas && c->canvas->mySchema) schema_clear_modified(c->canvas->mySchema);
    frame->Close(true);
    wxTheApp->ProcessPendingEvents();
    reset_services();
    config_set_defaults();
}

LibEdit* LibraryWindowTest::ed() { return &canvas->libedit; }

Library* LibraryWindowTest::library() { return canvas->mySchema->library; }

bool LibraryWindowTest::pump_until(const std::function<bool()>& done, int ms) {
    return tn_test::pump_until(done, ms);
}

void LibraryWindowTest::click(wxWindow* window, int dx, int dy) {
    input.click_window(window, dx, dy);
}

EnhancedDialog* LibraryWindowTest::dialog_named(const char* window_name) {
    if (EnhancedDialog* dialog = canvas->dialogs.find(window_name)) return dialog;
    for (MyChild* c : my_children)
        if (EnhancedDialog* dialog = c->canvas ? c->canvas->dialogs.find(window_name) : nullptr)
            return dialog;
    return nullptr;
}

FormDialog* LibraryWindowTest::opened(const char* window_name, int command) {
    menu_command(canvas, command, 0);
    pump_until([&] {
        EnhancedDialog* dialog = dialog_named(window_name);
        return dialog && dialog->IsShown();
    });
    return static_cast<FormDialog*>(dialog_named(window_name));
}

}  // namespace libedit_gui_test
