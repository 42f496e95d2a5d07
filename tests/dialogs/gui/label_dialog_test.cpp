// The port, power, sheet-net, net-property, sheet and title-block dialogs
// on the example sheet, each opened through edit_item: "Change" and the
// item's values for an item, "Add" and the stored values for a new one;
// Cancel leaves the document byte for byte, the main button marks it
// modified and Undo takes the change back.
#include <gtest/gtest.h>

#include <functional>

#include <wx/app.h>
#include <wx/choice.h>

#include "dialogs/forms/infos_form.h"
#include "dialogs/forms/label_forms.h"
#include "dialogs/item_dialogs.h"
#include "editor/editor_commands.h"
#include "editor/item_edit.h"
#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "item_window_fixture.h"
#include "model/documents/document.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/text.h"
#include "shell/canvas_editing.h"
#include "shell/shell_ops.h"
#include "toolkit/panel_items.h"

using namespace item_window_test;

namespace {

class LabelWindows : public ItemWindows {
protected:
    SubSheet* amplifier() { return as_SubSheet(find_item(SUBSHEET_ITEM)); }
    Port* box_port(const char* name) {
        for (Port* port : list_items<Port>(amplifier()->ports))
            if (std::string(port->name.get()) == name) return port;
        return nullptr;
    }
};

struct Case {
    const char* what;
    int code;
    const char* title;
    long main;
    int name_field;
    const char* name;  // shown for the item
};

TEST_F(LabelWindows, EachItemShowsItsValuesCancelKeepsAndChangeIsUndone) {
    const Case cases[] = {
        {"port", EDIT_CODE_PORT, "Tessaron: Add/Edit Port", PORT_CMD_MAIN, LF_NAME, "SIGNAL"},
        {"power", EDIT_CODE_POWER, "Tessaron: Add/Edit Power", POWER_CMD_MAIN, LF_NAME, "GND"},
        {"sheet net", EDIT_CODE_SHEET_NET, "Tessaron: Add/Edit Net", NET_CMD_MAIN, LF_NAME, "IN"},
        {"sheet", EDIT_CODE_SHEET, "Tessaron: Add/Edit Sheet", SHEET_CMD_MAIN, LF_SHEET_NAME,
         "AMPLIFIER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SchItem* item = c.code == EDIT_CODE_PORT    ? find_item(PORT_ITEM)
                        : c.code == EDIT_CODE_POWER ? find_item(POWER_ITEM)
                        : c.code == EDIT_CODE_SHEET ? static_cast<SchItem*>(amplifier())
                                                    : box_port("IN");
        ASSERT_NE(item, nullptr);
        // Inside the box, away from its ports and border.
        const Point p = c.code == EDIT_CODE_SHEET ? Point{32000, 11000} : Point{};
        const auto before = document_bytes();
        ASSERT_TRUE(run_edit(
            item, c.code,
            [&](FormDialog& dialog) {
                EXPECT_EQ(dialog.GetTitle(), c.title);
                EXPECT_EQ(window_get_label(dialog.ButtonFor(c.main)), "Change");
                EXPECT_EQ(control_get_text(dialog.Item(c.name_field)), c.name);
                control_set_text(dialog.Item(c.name_field), "CHANGED");
                press_closing(dialog, 0);
            },
            p));
        EXPECT_EQ(document_bytes(), before);
        ASSERT_TRUE(run_edit(
            item, c.code,
            [&](FormDialog& dialog) {
                control_set_text(dialog.Item(c.name_field), "CHANGED");
                press_closing(dialog, c.main);
            },
            p));
        EXPECT_TRUE(schema_is_modified(doc()));
        EXPECT_NE(document_bytes(), before);
        menu_command(canvas(), CMD_UNDO, 0);
        EXPECT_EQ(document_bytes(), before);
        schema_clear_modified(doc());
    }
}

// A name longer than the settings keep (31 bytes) is shown and kept whole
// when the item is changed.
TEST_F(LabelWindows, ALongNameIsShownAndKeptWhole) {
    const std::string name = "A_NAME_LONGER_THAN_THE_SETTINGS_KEEP_0123456789";
    const Case cases[] = {
        {"port", EDIT_CODE_PORT, "", PORT_CMD_MAIN, LF_NAME, ""},
        {"power", EDIT_CODE_POWER, "", POWER_CMD_MAIN, LF_NAME, ""},
        {"sheet net", EDIT_CODE_SHEET_NET, "", NET_CMD_MAIN, LF_NAME, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShortString* item_name = nullptr;
        SchItem* item = nullptr;
        if (c.code == EDIT_CODE_PORT) {
            item = find_item(PORT_ITEM);
            item_name = &as_Port(item)->name;
        } else if (c.code == EDIT_CODE_POWER) {
            item = find_item(POWER_ITEM);
            item_name = &as_Power(item)->name;
        } else {
            item = box_port("IN");
            item_name = &as_Port(item)->name;
        }
        ASSERT_NE(item, nullptr);
        item_name->set(name.c_str());
        ASSERT_TRUE(run_edit(item, c.code, [&](FormDialog& dialog) {
            EXPECT_EQ(control_get_text(dialog.Item(c.name_field)), name);
            press_closing(dialog, c.main);
        }));
        EXPECT_EQ(item_name->get(), name);
        schema_clear_modified(doc());
    }
}

TEST_F(LabelWindows, AddOpensWithTheLastValuesAndStartsPlacing) {
    proper_set(NETPROP_TRACKWIDTH, 300, PORT_NAME, "CLK", PORT_TYPE, 0x20, 0);
    ASSERT_TRUE(run_edit(nullptr, EDIT_CODE_NETPROP, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Add/Edit Net Properties");
        EXPECT_EQ(window_get_label(dialog.ButtonFor(NETPROP_CMD_MAIN)), "Add");
        EXPECT_EQ(control_get_text(dialog.Item(LF_TRACK)), "300");
        press_closing(dialog, NETPROP_CMD_MAIN);
    }));
    EditSession* session = editor_session(canvas());
    EXPECT_NE(FindMode(session, &add_netprop_mode), nullptr);
    ASSERT_TRUE(run_edit(nullptr, EDIT_CODE_PORT, [&](FormDialog& dialog) {
        EXPECT_EQ(window_get_label(dialog.ButtonFor(PORT_CMD_MAIN)), "Add");
        EXPECT_EQ(control_get_text(dialog.Item(LF_NAME)), "CLK");
        EXPECT_EQ(control_get_value(dialog.Item(LF_STYLE)), 2);  // Output
        press_closing(dialog, PORT_CMD_MAIN);
    }));
    ModeInstance* placing = FindMode(session, &add_port_mode);
    ASSERT_NE(placing, nullptr);
    EXPECT_STREQ(as_Port(mode_ghost_item(placing))->name.get(), "CLK");
}

TEST_F(LabelWindows, ALongNameTypedForAddIsPlacedWhole) {
    const std::string name = "A_NAME_LONGER_THAN_THE_SETTINGS_KEEP_0123456789";
    EditSession* session = editor_session(canvas());
    ASSERT_TRUE(run_edit(nullptr, EDIT_CODE_PORT, [&](FormDialog& dialog) {
        control_set_text(dialog.Item(LF_NAME), name.c_str());
        press_closing(dialog, PORT_CMD_MAIN);
    }));
    ModeInstance* placing = FindMode(session, &add_port_mode);
    ASSERT_NE(placing, nullptr);
    EXPECT_EQ(as_Port(mode_ghost_item(placing))->name.get(), name);
    ASSERT_TRUE(run_edit(nullptr, EDIT_CODE_POWER, [&](FormDialog& dialog) {
        control_set_text(dialog.Item(LF_NAME), name.c_str());
        press_closing(dialog, POWER_CMD_MAIN);
    }));
    placing = FindMode(session, &add_power_mode);
    ASSERT_NE(placing, nullptr);
    EXPECT_EQ(as_Power(mode_ghost_item(placing))->name.get(), name);
}

TEST_F(LabelWindows, ClicksOnASheetBoxChooseItsDialogByWhereTheyFall) {
    SubSheet* box = amplifier();
    // On the border: nothing opens.
    EXPECT_FALSE(edit_item(canvas(), box, Point{box->pos.x, 12000}, EDIT_CODE_SHEET));
    EXPECT_EQ(canvas()->dialogs.find("file_sheet_load"), nullptr);
    // On a port: the port's dialog.
    Port* port = box_port("OUT");
    ASSERT_NE(port, nullptr);
    bool opened = false;
    script.modal([&](wxDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Add/Edit Net");
        EXPECT_EQ(control_get_text(dynamic_cast<FormDialog&>(dialog).Item(LF_NAME)), "OUT");
        opened = true;
        press_closing(dynamic_cast<FormDialog&>(dialog), 0);
    });
    // Its name, inside the box away from the edge.
    Rect r;
    ASSERT_TRUE(bounds_SubSheetPort(doc(), port, &r, false));
    EXPECT_TRUE(edit_item(canvas(), box,
                          Point{box->pos.x + r.x + r.w / 4, box->pos.y + r.y + r.h / 2},
                          EDIT_CODE_SHEET));
    EXPECT_TRUE(opened);
}

TEST_F(LabelWindows, ATitleBlockTextOpensItsFieldAndOkIsOneUndoableEdit) {
    Text* title = nullptr;
    for (SchItem* item : list_items<SchItem>(doc()->titleblock.fields))
        if (as_Text(item)->field == FIELD_DOCNUMBER) title = as_Text(item);
    ASSERT_NE(title, nullptr);
    const auto before = document_bytes();
    ASSERT_TRUE(run_edit(title, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        EXPECT_EQ(dialog.GetTitle(), "Tessaron: Set Title Block Info");
        EXPECT_EQ(control_get_value(dialog.Item(IF_CONTROLS)), 1);  // Document Number
        EXPECT_EQ(control_get_text(dialog.Item(IF_VALUE)), "EX-0001");
        control_set_text(dialog.Item(IF_VALUE), "EX-0002");
        item_dialog_command(canvas(), INFOS_CMD_VALUE);
        press_closing(dialog, INFOS_CMD_OK);
    }));
    EXPECT_EQ(title->string, "EX-0002");
    EXPECT_STREQ(doc()->docnumber, "EX-0002");
    EXPECT_TRUE(schema_is_modified(doc()));
    menu_command(canvas(), CMD_UNDO, 0);
    EXPECT_EQ(document_bytes(), before);
}

TEST_F(LabelWindows, ALongFieldChosenAfterAShortOneIsShownAndKeptWhole) {
    // The title block shows the title (a long slot) and, here, the revision
    // code (a short one).
    Text* title = nullptr;
    for (SchItem* item : list_items<SchItem>(doc()->titleblock.fields)) {
        Text* control = as_Text(item);
        if (control->field == FIELD_DOCNUMBER) control->field = FIELD_REVCODE;
        if (control->field == FIELD_TITLE) title = control;
    }
    ASSERT_NE(title, nullptr);
    const std::string long_text(100, 'T');
    ASSERT_TRUE(run_edit(title, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        auto* controls = static_cast<wxChoice*>(dialog.Item(IF_CONTROLS));
        const int title_entry = controls->FindString("Title");
        const int revision_entry = controls->FindString("Revision code");
        ASSERT_GE(title_entry, 0);
        ASSERT_GE(revision_entry, 0);
        auto choose = [&](int entry) {
            control_set_value(controls, entry);
            item_dialog_command(canvas(), INFOS_CMD_CONTROL);
        };
        choose(title_entry);
        control_set_text(dialog.Item(IF_VALUE), long_text.c_str());
        item_dialog_command(canvas(), INFOS_CMD_VALUE);
        choose(revision_entry);
        choose(title_entry);
        EXPECT_EQ(control_get_text(dialog.Item(IF_VALUE)), long_text);
        // A keystroke stores what the field shows.
        item_dialog_command(canvas(), INFOS_CMD_VALUE);
        press_closing(dialog, INFOS_CMD_OK);
    }));
    EXPECT_EQ(std::string(doc()->title), long_text);
}

TEST_F(LabelWindows, GetAsciiReadsTheFieldsAndLeavesTheDocumentModified) {
    const std::string fields = dir.file("fields.atp");
    tn_test::write_text(fields, "\"DOC-9\",\"B\",\"Read back\",\n");
    Text* title = as_Text(static_cast<SchItem*>(doc()->titleblock.fields->head->data));
    script.file(fields);
    ASSERT_TRUE(run_edit(title, EDIT_CODE_TEXT,
                         [&](FormDialog& dialog) { press_closing(dialog, INFOS_CMD_GET); }));
    EXPECT_STREQ(doc()->docnumber, "DOC-9");
    EXPECT_STREQ(doc()->title, "Read back");
    EXPECT_TRUE(schema_is_modified(doc()));
    // A name the file system cannot hold is refused, and the dialog stays.
    script.file(dir.file("bad|name.atp"));
    script.message(ANSWER_OK);
    ASSERT_TRUE(run_edit(title, EDIT_CODE_TEXT, [&](FormDialog& dialog) {
        click(dialog.ButtonFor(INFOS_CMD_SAVE));
        ASSERT_TRUE(pump_until([&] { return script.pending() == 0; }));
        EXPECT_TRUE(dialog.IsModal());
        press_closing(dialog, 0);
    }));
    EXPECT_EQ(script.asked().back().text.rfind("Invalid File Name:", 0), 0u);
}

}  // namespace
