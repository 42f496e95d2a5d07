#include "item_window_fixture.h"

#include <wx/app.h>
#include <wx/weakref.h>

#include "dialogs/item_dialogs.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/items/library.h"
#include "model/items/text.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"

namespace item_window_test {

namespace fs = std::filesystem;

void ItemWindows::SetUp() {
    config_set_defaults();
    if (!lib_list) init_Libraries();
    set_message_formatter(error_message);
    install_program_services();
    proper_set(BAK_FILE, 0, LOGFILE, "", DIR_PROJECT, dir.path().string(), 0);
    script.on_unanswered = [](const AskScript::Question& q) {
        ADD_FAILURE() << "unexpected question: " << q.text;
    };
    for (const char* file : {"root.sch", "amplifier.sch"})
        fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, dir.path() / file);
    frame = new MyFrame("Item dialog test", wxPoint(0, 0), wxSize(900, 700));
    frame->Show();
    child = open_sheet(dir.file("root.sch").c_str(), nullptr);
    ASSERT_NE(child, nullptr);
    driver = std::make_unique<tn_test::CanvasDriver>(child->canvas);
    pump_until([&] { return paint_zone == child->canvas; }, 2000);
    paint_zone = child->canvas;
}

void ItemWindows::TearDown() {
    for (MyChild* c : my_children)
        if (c->canvas && c->canvas->mySchema) schema_clear_modified(c->canvas->mySchema);
    frame->Close(true);
    wxTheApp->ProcessPendingEvents();
    reset_services();
    config_set_defaults();
}

std::vector<unsigned char> ItemWindows::document_bytes() {
    std::string date = doc()->modifdate;
    auto bytes = tn_test::bytes_written([&](FILE* f) { write_Schema(doc(), f, 0); });
    copy_field(doc()->modifdate, sizeof doc()->modifdate, date.c_str());
    return bytes;
}

SchItem* ItemWindows::find_item(int code, const char* text) {
    for (SchItem* item : list_items<SchItem>(doc()->sheet->items)) {
        if (item->type != code) continue;
        if (text && (code != TEXT_ITEM || as_Text(item)->string != text)) continue;
        return item;
    }
    return nullptr;
}

void ItemWindows::click(wxWindow* window) { input.click_window(window); }

void ItemWindows::press_closing(FormDialog& dialog, long client) {
    wxWeakRef<wxDialog> open(&dialog);
    click(client ? dialog.ButtonFor(client) : dialog.FindWindow(wxID_CANCEL));
    EXPECT_TRUE(pump_until([&] { return !open || !open->IsModal(); })) << "the dialog stayed open";
}

bool ItemWindows::run_edit(SchItem* item, int code, const std::function<void(FormDialog&)>& act,
                           Point p) {
    bool acted = false;
    script.modal([&](wxDialog& shown) {
        auto* dialog = dynamic_cast<FormDialog*>(&shown);
        ASSERT_NE(dialog, nullptr);
        acted = true;
        act(*dialog);
    });
    const bool opened = edit_item(canvas(), item, p, code);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(opened, acted);
    return acted;
}

}  // namespace item_window_test
