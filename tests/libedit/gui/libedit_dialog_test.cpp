// The library editor's dialogs as windows of the running shell, on a copy
// of the example library: each opened from its Place entry, its fields set
// and its buttons pressed with real pointer clicks.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>

#include "dialogs/form_dialog.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/gui/libedit_windows.h"
#include "libedit/libedit.h"
#include "library_window_fixture.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/panel_items.h"

namespace {

namespace fs = std::filesystem;

class LibraryDialogs : public libedit_gui_test::LibraryWindowTest {
protected:
    // Loads a part through Get Part's field and its Ok.
    void get(const char* name) {
        FormDialog* dialog = opened("libedit_part_load", LIBEDIT_CMD_PART);
        ASSERT_NE(dialog, nullptr);
        control_set_text(dialog->Item(GP_SELECTED), name);
        click(dialog->ButtonFor(20022));
        ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_part_load") == nullptr; }));
    }
};

TEST_F(LibraryDialogs, GetPartListsTheLibraryAndLoadsThePartTyped) {
    FormDialog* dialog = opened("libedit_part_load", LIBEDIT_CMD_PART);
    ASSERT_NE(dialog, nullptr);
    auto* parts = static_cast<wxListBox*>(dialog->Item(GP_PARTS));
    EXPECT_EQ(parts->GetCount(), 3u);  // listed at once, the first one chosen
    EXPECT_EQ(control_get_text(dialog->Item(GP_SELECTED)), parts->GetString(0).utf8_string());
    EXPECT_EQ(control_get_text(dialog->Item(GP_COUNT)), "3 Part(s) Found");
    control_set_text(dialog->Item(GP_SELECTED), "RES");
    click(dialog->ButtonFor(20022));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_part_load") == nullptr; }));
    EXPECT_STREQ(libedit_part_name(ed()), "RES");
    EXPECT_TRUE(child->GetTitle().Contains("[RES]"));
}

TEST_F(LibraryDialogs, ANewPartIsAskedForThenPlacedWithItsDevicesAndForm) {
    script.message(ANSWER_YES);
    FormDialog* dialog = opened("libedit_part_load", LIBEDIT_CMD_PART);
    ASSERT_NE(dialog, nullptr);
    control_set_text(dialog->Item(GP_SELECTED), "NEW");
    click(dialog->ButtonFor(20022));
    ASSERT_TRUE(pump_until([&] {
        return dialog_named("libedit_body") != nullptr &&
               dialog_named("libedit_part_load") == nullptr;
    }));
    auto* body = static_cast<FormDialog*>(dialog_named("libedit_body"));
    static_cast<wxChoice*>(body->Item(PB_DEVICES))->SetSelection(3);
    control_set_value(body->Item(PB_CONVERT), 1);
    click(body->ButtonFor(20020));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_body") == nullptr; }));
    ASSERT_STREQ(canvas->ModeName(1), "Add Body");
    session_event(&canvas->editing, EV_MOTION, Point{14000, 13000});
    session_event(&canvas->editing, EV_LEFT_UP, Point{14000, 13000});
    LibEntry* made = find_LibEntry(library(), "NEW");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->part->devices, 3);
    EXPECT_TRUE(made->part->state & PART_CONVERTED);
}

TEST_F(LibraryDialogs, PartNamesCloseBoxTakesTheNamesBackAndOkKeepsThem) {
    get("CAP");
    FormDialog* names = opened("libedit_name", LIBEDIT_CMD_NAMES);
    ASSERT_NE(names, nullptr);
    EXPECT_EQ(control_get_text(names->Item(PN_COUNT)), "1 Name(s) for this part");
    control_set_text(names->Item(PN_NAME), "CAPACITOR");
    click(names->ButtonFor(20003));
    ASSERT_NE(find_LibEntry(library(), "CAPACITOR"), nullptr);
    EXPECT_EQ(control_get_text(names->Item(PN_COUNT)), "2 Name(s) for this part");
    EXPECT_EQ(static_cast<wxListBox*>(names->Item(PN_NAMES))->GetCount(), 2u);
    names->Close();  // the close box
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_name") == nullptr; }));
    EXPECT_EQ(find_LibEntry(library(), "CAPACITOR"), nullptr);

    names = opened("libedit_name", LIBEDIT_CMD_NAMES);
    ASSERT_NE(names, nullptr);
    control_set_text(names->Item(PN_NAME), "CAPACITOR");
    click(names->ButtonFor(20003));
    click(names->ButtonFor(20002));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_name") == nullptr; }));
    EXPECT_NE(find_LibEntry(library(), "CAPACITOR"), nullptr);
}

// Two library windows, each with its Part Names open: each dialog is its
// window's own and names its own part, and what one does and takes back
// stays in its window.
TEST_F(LibraryDialogs, EachLibraryWindowHasItsOwnPartNames) {
    get("CAP");
    fs::copy_file(dir.path() / "parts.clb", dir.path() / "other.clb");
    MyChild* other = new_library_child(dir.file("other.clb").c_str());
    ASSERT_NE(other, nullptr);
    EditCanvas* first = canvas;
    canvas = paint_zone = other->canvas;
    get("RES");
    FormDialog* theirs = opened("libedit_name", LIBEDIT_CMD_NAMES);
    Library* their_library = library();
    canvas = paint_zone = first;
    FormDialog* mine = opened("libedit_name", LIBEDIT_CMD_NAMES);
    ASSERT_NE(mine, nullptr);
    ASSERT_NE(theirs, nullptr);
    EXPECT_NE(mine, theirs);
    EXPECT_TRUE(mine->IsShown());
    EXPECT_TRUE(theirs->IsShown());

    control_set_text(mine->Item(PN_NAME), "CAPACITOR");
    click(mine->ButtonFor(20003));
    // Both stand over the frame's middle: the user brings the other forward.
    theirs->Raise();
    tn_test::settle();
    control_set_text(theirs->Item(PN_NAME), "RESISTOR");
    click(theirs->ButtonFor(20003));
    ASSERT_NE(find_LibEntry(library(), "CAPACITOR"), nullptr);
    EXPECT_EQ(find_LibEntry(library(), "RESISTOR"), nullptr);
    ASSERT_NE(find_LibEntry(their_library, "RESISTOR"), nullptr);
    EXPECT_EQ(find_LibEntry(their_library, "CAPACITOR"), nullptr);
    EXPECT_EQ(control_get_text(mine->Item(PN_COUNT)), "2 Name(s) for this part");

    // The close box of one takes back its own name alone; the other's Ok
    // keeps its name.
    mine->Close();
    ASSERT_TRUE(pump_until([&] { return first->dialogs.find("libedit_name") == nullptr; }));
    EXPECT_EQ(find_LibEntry(library(), "CAPACITOR"), nullptr);
    EXPECT_NE(find_LibEntry(their_library, "RESISTOR"), nullptr);
    EXPECT_TRUE(theirs->IsShown());
    click(theirs->ButtonFor(20002));
    ASSERT_TRUE(pump_until([&] { return other->canvas->dialogs.find("libedit_name") == nullptr; }));
    EXPECT_NE(find_LibEntry(their_library, "RESISTOR"), nullptr);
}

TEST_F(LibraryDialogs, NamesWithoutAPartRefusesAndPartInfoShowsThePart) {
    script.message(ANSWER_OK);
    menu_command(canvas, LIBEDIT_CMD_NAMES, 0);
    EXPECT_EQ(dialog_named("libedit_name"), nullptr);
    ASSERT_FALSE(script.asked().empty());
    EXPECT_EQ(script.asked().back().text, "Place Body First !!!");

    get("RES");
    FormDialog* info = opened("libedit_partinfo", LIBEDIT_CMD_PART_INFO);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(control_get_text(info->Item(PI_VALUES)), "RES");
    EXPECT_EQ(control_get_text(info->Item(PI_VALUES + 1)), "2000 X 2000   ");
    EXPECT_EQ(control_get_text(info->Item(PI_VALUES + 3)), "2 (0 Powers) ");
    // It follows the part: a new name shows at once.
    libedit_add_name(ed(), "RESISTOR");
    EXPECT_EQ(control_get_text(info->Item(PI_VALUES + 5)), "2");
}

TEST_F(LibraryDialogs, AVectorDefinitionOfTheWindowsOwnLibraryIsMergedIntoThePart) {
    get("RES");
    Part* res = libedit_part(ed());
    const size_t before = res->normal->items->count;
    const size_t cap_items = find_LibEntry(library(), "CAP")->part->normal->items->count;
    FormDialog* vector = opened("libedit_vector", LIBEDIT_CMD_VECTOR);
    ASSERT_NE(vector, nullptr);
    auto* libraries = static_cast<wxListBox*>(vector->Item(GV_LIBRARIES));
    ASSERT_GE(libraries->GetCount(), 1u);
    click(vector->Item(GV_LIBRARIES), 30, 8);  // its first line: parts
    ASSERT_TRUE(pump_until(
        [&] { return static_cast<wxListBox*>(vector->Item(GV_PARTS))->GetCount() == 3; }));
    control_set_text(vector->Item(GV_PART), "CAP");
    click(vector->ButtonFor(20038));
    ASSERT_TRUE(pump_until([&] { return dialog_named("vector_definition") != nullptr; }));
    auto* options = static_cast<FormDialog*>(dialog_named("vector_definition"));
    control_set_value(options->Item(VO_FREE), 0);  // keep the part's own drawing
    click(options->ButtonFor(20039));
    ASSERT_TRUE(pump_until([&] {
        return dialog_named("vector_definition") == nullptr &&
               dialog_named("libedit_vector") == nullptr;
    }));
    EXPECT_EQ(libedit_part(ed()), res);
    EXPECT_EQ(res->normal->items->count, before + cap_items);
    EXPECT_TRUE(schema_is_modified(canvas->mySchema));
}

}  // namespace

namespace {

TEST_F(LibraryDialogs, ClosingAModifiedLibraryAsksAndYesSavesIt) {
    get("CAP");
    libedit_add_name(ed(), "CONDENSER");
    canvas_mark_modified(canvas);
    script.message(ANSWER_YES);
    child->Close();
    ASSERT_TRUE(pump_until([&] { return my_children.empty(); }));
    ASSERT_FALSE(script.asked().empty());
    EXPECT_EQ(script.asked().back().text.rfind("Save Changes to Library ?", 0), 0u);
    Library* saved = new_Library();
    ASSERT_EQ(load_Library(saved, dir.file("parts.clb").c_str(), false), 0);
    EXPECT_NE(find_LibEntry(saved, "CONDENSER"), nullptr);
    free_Library(saved);
}

TEST_F(LibraryDialogs, FilesThatCannotBeReadOpenNoWindowAndSaySo) {
    tn_test::write_text(dir.file("damaged.clb"),
                        "@Tessaron V2.02  -- 12/21/95  * Library File\x1a\x11");
    tn_test::write_text(dir.file("damaged.tbl"), "not a title block");
    const size_t windows = my_children.size();
    script.message(ANSWER_OK);
    EXPECT_EQ(new_library_child(dir.file("damaged.clb").c_str()), nullptr);
    ASSERT_FALSE(script.asked().empty());
    EXPECT_EQ(script.asked().back().text.rfind("Syntax Error in Library.", 0), 0u);
    script.message(ANSWER_OK);
    EXPECT_EQ(new_template_child(dir.file("damaged.tbl").c_str()), nullptr);
    EXPECT_NE(script.asked().back().text.find("damaged.tbl"), std::string::npos);
    wxTheApp->ProcessPendingEvents();
    EXPECT_EQ(my_children.size(), windows);
    EXPECT_EQ(paint_zone, canvas);  // the window that was current stays current
}

}  // namespace

namespace {

TEST_F(LibraryDialogs, ATitleBlockIsDrawnAndSavedAsItsFile) {
    MyChild* block = new_template_child(nullptr);
    ASSERT_NE(block, nullptr);
    EditCanvas* tcanvas = block->canvas;
    paint_zone = tcanvas;
    menu_command(tcanvas, TEMPLATE_CMD_BOX, 0);
    ASSERT_STREQ(tcanvas->ModeName(1), "Add Vectors ,...");
    for (Point p : {Point{1000, 1000}, Point{30000, 20000}}) {
        session_event(&tcanvas->editing, EV_MOTION, p);
        session_event(&tcanvas->editing, EV_LEFT_UP, p);
    }
    session_event(&tcanvas->editing, EV_RIGHT_UP, Point{30000, 20000});
    ASSERT_EQ(tcanvas->mySchema->titleblock.drawing->count, 1u);
    EXPECT_TRUE(schema_is_modified(tcanvas->mySchema));
    // Save without a name asks for one.
    script.file(dir.file("frame.tbl"));
    menu_command(tcanvas, CMD_TMPL_SAVE, 0);
    EXPECT_FALSE(schema_is_modified(tcanvas->mySchema));
    Schema* read = nullptr;
    new_active_schema(&read);
    ASSERT_EQ(load_titleblock_file(dir.file("frame.tbl").c_str(), read), 0);
    EXPECT_EQ(read->titleblock.drawing->count, 1u);
    close_schema(nullptr, &read);
    // Undo after the save brings back the title block as saved.
    append_or_die(tcanvas->mySchema->titleblock.drawing, new_Line());
    menu_command(tcanvas, TEMPLATE_CMD_UNDO, 0);
    EXPECT_EQ(tcanvas->mySchema->titleblock.drawing->count, 1u);
}

}  // namespace
