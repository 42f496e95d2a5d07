#pragma once
// A library window of the running shell on a copy of the example library,
// with what the window tests of the library editor do to its dialogs: open
// one from a menu entry, click its items with real pointer events, and
// answer every question through an AskScript (an unexpected one fails).
#include <gtest/gtest.h>

#include <functional>

#include "shell/shell.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"

class EnhancedDialog;
class FormDialog;
struct LibEdit;
struct Library;

namespace libedit_gui_test {

class LibraryWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    LibEdit* ed();
    Library* library();
    bool pump_until(const std::function<bool()>& done, int ms = tn_test::toolkit_deadline_ms);
    // A real click on a window: in its middle, or at (dx, dy) from its corner.
    void click(wxWindow* window, int dx = -1, int dy = -1);
    // The dialog with that window name of the library window (else of
    // another window), null while none is open.
    EnhancedDialog* dialog_named(const char* window_name);
    // The dialog of that window name a menu command opens, once it is shown.
    FormDialog* opened(const char* window_name, int command);

    tn_test::TempDir dir;
    AskScript script;
    MyFrame* frame = nullptr;
    MyChild* child = nullptr;
    EditCanvas* canvas = nullptr;
    tn_test::UiInput input;
};

}  // namespace libedit_gui_test
