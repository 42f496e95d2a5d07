#pragma once
// The item dialogs as windows of the running shell: the example root sheet
// open in its child window, each dialog opened through edit_item as a
// double click opens it, worked on while its modal loop runs (fields set,
// buttons pressed with real pointer clicks), and the document compared in
// its binary file form before and after.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/form_dialog.h"
#include "shell/shell.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"

struct SchItem;

namespace item_window_test {

class ItemWindows : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Schema* doc() { return child->canvas->mySchema; }
    EditCanvas* canvas() { return child->canvas; }
    // The document's binary file form (its modification date kept as it was).
    std::vector<unsigned char> document_bytes();
    // The first item of the root sheet with that code (and, for texts, that
    // string), or null.
    SchItem* find_item(int code, const char* text = nullptr);

    bool pump_until(const std::function<bool()>& done, int ms = tn_test::toolkit_deadline_ms) {
        return tn_test::pump_until(done, ms);
    }
    // A real click in the middle of a window, the events handled.
    void click(wxWindow* window);
    // Clicks a button of the dialog (found by its client word; 0 for the
    // dialog's Cancel) and waits until the dialog has closed.
    void press_closing(FormDialog& dialog, long client);
    // Opens the item's dialog through edit_item; `act` works in it while it runs.
    // False when no dialog opened.
    bool run_edit(SchItem* item, int code, const std::function<void(FormDialog&)>& act,
                  Point p = Point{});

    tn_test::TempDir dir;
    AskScript script;
    MyFrame* frame = nullptr;
    MyChild* child = nullptr;
    tn_test::UiInput input;
    std::unique_ptr<tn_test::CanvasDriver> driver;  // on the sheet's canvas
};

}  // namespace item_window_test
