// The library editor's pin, text, symbol, prefix and field dialogs and its
// Add Pin and Edit tools as windows of the running shell, on a copy of the
// example library: dialogs opened from their menu entries, their fields set
// and their buttons pressed, the canvas clicked with real pointer events,
// and every question the tools ask answered through the one door of
// questions (toolkit/asking.h).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "dialogs/form_dialog.h"
#include "dialogs/forms/text_form.h"
#include "dialogs/item_dialogs.h"
#include "editor/item_edit.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/gui/libedit_item_dialogs.h"
#include "libedit/gui/libedit_windows.h"
#include "libedit/libedit.h"
#include "libedit/libedit_dialogs.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_pins.h"
#include "libedit/libedit_tools.h"
#include "library_window_fixture.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "shell/shell_services.h"
#include "support/canvas_driver.h"
#include "support/test_env.h"
#include "toolkit/asking.h"
#include "toolkit/dialog_calls.h"
#include "toolkit/panel_items.h"

namespace {

namespace fs = std::filesystem;

class LibraryItems : public libedit_gui_test::LibraryWindowTest {
protected:
    void SetUp() override {
        LibraryWindowTest::SetUp();
        if (HasFatalFailure()) return;
        // Points land on a grid of 100 units, some three pixels apart.
        proper_set(GRID_SIZE, 100, STAY_GRID, 1, 0);
        driver = std::make_unique<tn_test::CanvasDriver>(canvas);
        // RES: a body 2000 x 2000 from (10000, 10000), pins "1" on the left
        // and "2" on the right at half its height.
        LibEntry* res = find_LibEntry(library(), "RES");
        ASSERT_NE(res, nullptr);
        ASSERT_TRUE(libedit_load_part(ed(), res, false));
        libedit_attach_part(ed(), res, "RES");
        part = res->part;
        driver->pump_until([&] { return canvas->IsShownOnScreen(); });
        // The window fits its view at its first paint: the scale is set after it.
        canvas->Refresh();
        ASSERT_TRUE(driver->pump_until([&] { return !zoom_fit_pending; }));
        view_set_scale(&canvas->mySchema->view, 4.0, false);
        canvas->Redraw();
        tn_test::settle();
        canvas->SetFocus();
    }
    void TearDown() override {
        driver.reset();
        LibraryWindowTest::TearDown();
    }

    int pins() { return pinlist_count(part->normal_pins); }
    Pin* last_pin() { return static_cast<Pin*>(dlist_tail(part->normal_pins->pins)->data); }

    Part* part = nullptr;
    std::unique_ptr<tn_test::CanvasDriver> driver;
};

TEST_F(LibraryItems, APinIsAddedByClicksAndItsNumberAnsweredInTheQuestion) {
    FormDialog* dialog = opened("libedit_addpin", LIBEDIT_CMD_PIN);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ButtonFor(20030)->GetLabel().utf8_string(), "Add");
    control_set_text(dialog->Item(AP_NAME), "W");
    control_set_text(dialog->Item(AP_NUMBERS), "");
    control_set_value(dialog->Item(AP_TYPE), 3);  // "Power" greys the shape
    libedit_command(canvas, 20029);
    EXPECT_FALSE(dialog->Item(AP_SHAPE)->IsEnabled());
    control_set_value(dialog->Item(AP_TYPE), 4);  // "Passive"
    libedit_command(canvas, 20029);
    EXPECT_TRUE(dialog->Item(AP_SHAPE)->IsEnabled());
    click(dialog->ButtonFor(20030));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_addpin") == nullptr; }));
    ASSERT_STREQ(canvas->ModeName(1), "Add Pin");

    driver->click(Point{11000, 12000});  // picks the body; the pin follows on its edge
    script.text("3");
    driver->click(Point{11000, 12000});
    ASSERT_EQ(pins(), 3);
    ASSERT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(script.asked()[0].text, "Add Pin Reference");
    EXPECT_EQ(script.asked()[0].caption, "Reference for Device A");
    EXPECT_EQ(script.asked()[0].value, "3");  // the next free number proposed
    EXPECT_STREQ(last_pin()->name.get(), "W");
    EXPECT_STREQ(pin_number(last_pin(), 0), "3");
    EXPECT_EQ(last_pin()->type, PAS);
    EXPECT_EQ(last_pin()->flags & PIN_SIDE_MASK, BOTTOM);
    EXPECT_TRUE(schema_is_modified(canvas->mySchema));

    // A right click ends the tool and brings the dialog back.
    driver->click(Point{11000, 12000}, wxMOUSE_BTN_RIGHT);
    EXPECT_EQ(canvas->ModeCount(), 1);
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_addpin") != nullptr; }));
    hide_dialog(dialog_named("libedit_addpin"));
}

TEST_F(LibraryItems, ThePinDialogOpenedAgainShowsThePinItIsOpenedFor) {
    PlacedPart* placed = libedit_first_placed(ed());
    Pin* first = static_cast<Pin*>(dlist_head(part->normal_pins->pins)->data);
    libedit_open_pin_dialog(canvas, placed, last_pin());
    ASSERT_TRUE(pump_until([&] {
        return dialog_named("libedit_addpin") && dialog_named("libedit_addpin")->IsShown();
    }));
    auto* dialog = static_cast<FormDialog*>(dialog_named("libedit_addpin"));
    ASSERT_NE(dialog->ButtonFor(20031), nullptr);
    EXPECT_EQ(control_get_text(dialog->Item(AP_NUMBERS)), "2");
    // The menu asks for a new pin: Add, never the Change of the pin before.
    dialog = opened("libedit_addpin", LIBEDIT_CMD_PIN);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ButtonFor(20031), nullptr);
    ASSERT_NE(dialog->ButtonFor(20030), nullptr);
    // Another pin double-clicked meanwhile: its own values and Change.
    libedit_open_pin_dialog(canvas, placed, first);
    ASSERT_TRUE(pump_until([&] {
        return dialog_named("libedit_addpin") && dialog_named("libedit_addpin")->IsShown();
    }));
    dialog = static_cast<FormDialog*>(dialog_named("libedit_addpin"));
    ASSERT_NE(dialog->ButtonFor(20031), nullptr);
    EXPECT_EQ(control_get_text(dialog->Item(AP_NUMBERS)), "1");
    control_set_text(dialog->Item(AP_NAME), "IN");
    click(dialog->ButtonFor(20031));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_addpin") == nullptr; }));
    EXPECT_STREQ(first->name.get(), "IN");
}

TEST_F(LibraryItems, TheTextAndSymbolMenusOpenTheirDialogsForANewItem) {
    ASSERT_NE(part->normal, nullptr);
    auto add = [&](int font, const char* string) {
        Text* text = new_Text();
        text->font = font;
        text->string = string;
        text->size = TextSize{300, 300};
        append_or_die(part->normal->items, text);
        return text;
    };
    libedit_show_item_dialog(ed(), add(0, "T"));
    ASSERT_TRUE(pump_until(
        [&] { return dialog_named("libedit_text") && dialog_named("libedit_text")->IsShown(); }));
    ASSERT_NE(static_cast<FormDialog*>(dialog_named("libedit_text"))->ButtonFor(20019), nullptr);
    FormDialog* dialog = opened("libedit_text", LIBEDIT_CMD_TEXT);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ButtonFor(20019), nullptr);
    EXPECT_NE(dialog->ButtonFor(20013), nullptr);
    hide_dialog(dialog_named("libedit_text"));

    libedit_show_item_dialog(ed(), add(1, "A"));
    ASSERT_TRUE(pump_until([&] {
        return dialog_named("libedit_ieee_symb") && dialog_named("libedit_ieee_symb")->IsShown();
    }));
    ASSERT_NE(static_cast<FormDialog*>(dialog_named("libedit_ieee_symb"))->ButtonFor(20011),
              nullptr);
    dialog = opened("libedit_ieee_symb", LIBEDIT_CMD_IEEE);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->ButtonFor(20011), nullptr);
    EXPECT_NE(dialog->ButtonFor(20010), nullptr);
    hide_dialog(dialog_named("libedit_ieee_symb"));
}

TEST_F(LibraryItems, APartOfNoDeviceHasNoPinNumbersToType) {
    FormDialog* dialog = opened("libedit_addpin", LIBEDIT_CMD_PIN);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Item(AP_NUMBERS)->IsEnabled());
    hide_dialog(dialog_named("libedit_addpin"));
    part->devices = 0;
    dialog = opened("libedit_addpin", LIBEDIT_CMD_PIN);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->Item(AP_NUMBERS)->IsEnabled());
    EXPECT_TRUE(dialog->Item(AP_NAME)->IsEnabled());
    hide_dialog(dialog_named("libedit_addpin"));
    part->devices = 1;
}

TEST_F(LibraryItems, ACancelledNumberLeavesThePartAndTheDocumentAsTheyWere) {
    libedit_add_pin(&canvas->editing, PinFields{"", "X", 0, 0});
    driver->click(Point{11500, 12000});
    script.cancel(AskScript::Kind::TEXT);
    driver->click(Point{11500, 12000});
    EXPECT_EQ(script.asked().size(), 1u);
    EXPECT_EQ(pins(), 2);
    EXPECT_FALSE(schema_is_modified(canvas->mySchema));
    EXPECT_FALSE(child->GetTitle().Contains("*"));
}

// The one test of the real blink timer: a pin picked for cutting blinks
// until the confirming click, which cuts it (and, under the sanitizers,
// frees the carrier's copy and the pin once each).
TEST_F(LibraryItems, APinPickedForCuttingBlinksUntilTheConfirmingClick) {
    menu_command(canvas, CMD_CUT, 0);
    ASSERT_STREQ(canvas->ModeName(1), "Libedit Edit");
    driver->click(Point{9000, 11000});  // pin "1"
    ModeInstance* tool = canvas->FindMode(&libedit_edit_mode);
    ASSERT_NE(tool, nullptr);
    int toggles = 0;
    bool shown = tool->ghost_shown;
    EXPECT_TRUE(shown);
    EXPECT_TRUE(pump_until(
        [&] {
            if (tool->ghost_shown != shown) ++toggles, shown = tool->ghost_shown;
            return toggles >= 3;
        },
        4000))
        << toggles << " toggles";
    driver->click(Point{9000, 11000});
    EXPECT_EQ(pins(), 1);
    EXPECT_STREQ(static_cast<Pin*>(dlist_head(part->normal_pins->pins)->data)->name.get(), "2");
    // The blinking stopped with the click: the tool waits for the next pin.
    shown = tool->ghost_shown;
    driver->pump(1200);
    EXPECT_EQ(tool->ghost_shown, shown);
    EXPECT_FALSE(shown);
    driver->key(WXK_ESCAPE);
    EXPECT_EQ(canvas->ModeCount(), 1);
}

TEST_F(LibraryItems, ThePinoutAppliesTheRowChosenAndFindPinGoesToAPin) {
    FormDialog* pinout = opened("libedit_pinout", LIBEDIT_CMD_PINOUT);
    ASSERT_NE(pinout, nullptr);
    auto* list = static_cast<wxListBox*>(pinout->Item(PO_PINS));
    ASSERT_EQ(list->GetCount(), 2u);
    EXPECT_FALSE(pinout->Item(PO_CONVERTED)->IsEnabled());  // RES has no converted pins
    list->SetSelection(1);
    libedit_command(canvas, 20007);
    EXPECT_EQ(control_get_text(pinout->Item(PO_REF)), "2");
    control_set_text(pinout->Item(PO_REF), "7");
    click(pinout->ButtonFor(20009));
    Pin* second = static_cast<Pin*>(dlist_tail(part->normal_pins->pins)->data);
    EXPECT_STREQ(pin_number(second, 0), "7");
    EXPECT_EQ(list->GetString(1).utf8_string().substr(0, 1), "7");
    hide_dialog(dialog_named("libedit_pinout"));

    FormDialog* find = opened("libedit_find", 20058);
    ASSERT_NE(find, nullptr);
    // Shown, it holds all it needs, its buttons included.
    EXPECT_TRUE(pump_until([&] {
        return find->GetClientSize().y >= find->GetSizer()->GetMinSize().y &&
               find->GetClientSize().x >= find->GetSizer()->GetMinSize().x;
    }));
    control_set_value(find->Item(FP_BY), 0);  // by reference
    control_set_text(find->Item(FP_TEXT), "7");
    click(find->ButtonFor(20021));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_find") == nullptr; }));
    // The pointer stands on the pin: the right one at (12000, 11000).
    const wxPoint want = driver->screen_of(Point{12000, 11000});
    EXPECT_TRUE(pump_until([&] {
        const wxPoint at = wxGetMousePosition();
        return std::abs(at.x - want.x) <= 2 && std::abs(at.y - want.y) <= 2;
    }));
}

TEST_F(LibraryItems, AnOpenPinoutFollowsThePartLoadedSoApplyChangesOnlyWhatItShows) {
    FormDialog* pinout = opened("libedit_pinout", LIBEDIT_CMD_PINOUT);
    ASSERT_NE(pinout, nullptr);
    auto* list = static_cast<wxListBox*>(pinout->Item(PO_PINS));
    ASSERT_EQ(list->GetCount(), 2u);
    list->SetSelection(1);
    libedit_command(canvas, 20007);
    EXPECT_EQ(control_get_text(pinout->Item(PO_REF)), "2");

    ASSERT_EQ(libedit_get_part(ed(), "LM358"), GET_PART_LOADED);
    Part* loaded = libedit_part(ed());
    ASSERT_NE(loaded, part);
    ASSERT_EQ(list->GetCount(), 5u);
    EXPECT_EQ(list->GetSelection(), 1);
    Pin* pin = pinout_pin(ed(), false, 1);
    ASSERT_NE(pin, nullptr);
    EXPECT_EQ(control_get_text(pinout->Item(PO_REF)),
              pinout_fields_of(pin, loaded->devices).numbers);
    EXPECT_EQ(control_get_text(pinout->Item(PO_NAME)), pin->name.get());
    // Apply on the row shown writes the new part's own values back: nothing changes.
    const std::string before = pinout_line(pin, loaded->devices);
    click(pinout->ButtonFor(20009));
    EXPECT_EQ(pinout_line(pinout_pin(ed(), false, 1), loaded->devices), before);
    EXPECT_EQ(pinout_lines(&canvas->libedit, false)[0], list->GetString(0).utf8_string());
    hide_dialog(dialog_named("libedit_pinout"));
}

TEST_F(LibraryItems, ThePrefixAndTheUserFieldsOfThePart) {
    FormDialog* prefix = opened("libedit_refprefix", LIBEDIT_CMD_REFERENCE);
    ASSERT_NE(prefix, nullptr);
    EXPECT_EQ(control_get_text(prefix->Item(RP_PREFIX)), "R");
    control_set_text(prefix->Item(RP_PREFIX), "RN");
    click(prefix->ButtonFor(20040));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_refprefix") == nullptr; }));
    EXPECT_STREQ(part->prefix.get(), "RN");
    EXPECT_STREQ(libedit_first_placed(ed())->reference.text.get(), "RN");

    proper_set(NB_FIELD_NAME, 3, FIELD_NAME, 2, "Power", 0);
    FormDialog* fields = opened("libedit_field", LIBEDIT_CMD_FIELDS);
    ASSERT_NE(fields, nullptr);
    EXPECT_EQ(static_cast<wxChoice*>(fields->Item(UF_FIELDS))->GetStringSelection().utf8_string(),
              "Power");
    control_set_text(fields->Item(UF_VALUE), "0.25W");
    libedit_command(canvas, 20044);
    click(fields->ButtonFor(20043));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_field") == nullptr; }));
    LibEntry* entry = find_LibEntry(canvas->mySchema->library, "RES");
    ASSERT_NE(entry->attributes, nullptr);
    EXPECT_STREQ(static_cast<Attribute*>(dlist_head(entry->attributes)->data)->text.get(), "0.25W");
}

TEST_F(LibraryItems, ATextAndASymbolArePlacedAndADoubleClickChangesThem) {
    FormDialog* text = opened("libedit_text", LIBEDIT_CMD_TEXT);
    ASSERT_NE(text, nullptr);
    control_set_text(text->Item(TX_TEXT), "RES");
    control_set_text(text->Item(TX_XSIZE), "300");
    control_set_text(text->Item(TX_YSIZE), "400");
    control_set_value(text->Item(TX_INTERNAL), 1);
    libedit_command(canvas, 20014);
    for (int field : {TX_XMIR, TX_YMIR, TX_BOX}) control_set_value(text->Item(field), 0);
    click(text->ButtonFor(20013));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_text") == nullptr; }));
    driver->click(Point{10500, 10600});
    driver->key(WXK_ESCAPE);
    Text* placed = as_Text(static_cast<SchItem*>(dlist_tail(part->normal->items)->data));
    EXPECT_EQ(placed->string, "RES");
    EXPECT_EQ(placed->size, (TextSize{300, 400}));

    FormDialog* ieee = opened("libedit_ieee_symb", LIBEDIT_CMD_IEEE);
    ASSERT_NE(ieee, nullptr);
    control_set_value(ieee->Item(IE_SYMBOL), 9);  // "Analog": E
    click(ieee->ButtonFor(20010));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_ieee_symb") == nullptr; }));
    driver->click(Point{11600, 10300});
    driver->key(WXK_ESCAPE);
    Text* symbol = as_Text(static_cast<SchItem*>(dlist_tail(part->normal->items)->data));
    EXPECT_EQ(symbol->font, 1);
    EXPECT_EQ(symbol->string, "E");

    // A double click on the symbol opens its dialog for a change.
    Rect box;
    ASSERT_TRUE(bounds_Text(canvas->mySchema, symbol, &box, false));
    libedit_edit_selection(ed(), Point{10000 + box.x + box.w / 2, 10000 + box.y + box.h / 2});
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_ieee_symb") != nullptr; }));
    ieee = static_cast<FormDialog*>(dialog_named("libedit_ieee_symb"));
    EXPECT_EQ(control_get_value(ieee->Item(IE_SYMBOL)), 9);
    control_set_value(ieee->Item(IE_SYMBOL), 0);
    click(ieee->ButtonFor(20011));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_ieee_symb") == nullptr; }));
    EXPECT_EQ(symbol->string, "W");
}

// A text in a document font the library's table lacks, turned in the Add
// Text tool, takes the default font at its new angle (never a stop).
TEST_F(LibraryItems, ATurnedTextWhoseFontIsMissingTakesTheDefaultFont) {
    start_libedit_text_mode(&canvas->editing, true, "F", 0, 500, 500, 17);
    driver->move(Point{10500, 10500});
    driver->key(WXK_LEFT);
    driver->click(Point{10500, 10500});
    driver->key(WXK_ESCAPE);
    Text* placed = as_Text(static_cast<SchItem*>(dlist_tail(part->normal->items)->data));
    EXPECT_EQ(placed->flags & TEXT_ROT_MASK, 7);
    ASSERT_GE(placed->font, 10);
    EXPECT_NE(font_find(library()->fonts, placed->font - 10), nullptr);
}

// The same without the tool: a document font the table lacks, asked for at
// an angle, is the default font brought into the table at that angle.
TEST_F(LibraryItems, AMissingDocumentFontAtAnAngleIsTheDefaultFontAtIt) {
    List** fonts = &library()->fonts;
    const int id = font_at_escapement(fonts, 17, 450);
    ASSERT_GE(id, 10);
    const Font* record = font_find(*fonts, id - 10);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->escapement, 450);
}

TEST_F(LibraryItems, AControlIsPlacedInATitleBlockAndItsDialogChangesIt) {
    MyChild* block = new_template_child(nullptr);
    ASSERT_NE(block, nullptr);
    EditCanvas* tcanvas = block->canvas;
    paint_zone = tcanvas;
    Schema* doc = tcanvas->mySchema;
    Line* edge = new_Line();
    edge->end = Point{30000, 0};
    append_or_die(doc->titleblock.drawing, edge);
    menu_command(tcanvas, TEMPLATE_CMD_CONTROLS, 0);
    ASSERT_TRUE(pump_until([&] { return dialog_named("template_control") != nullptr; }));
    auto* dialog = static_cast<FormDialog*>(dialog_named("template_control"));
    click(dialog->ButtonFor(20041));  // no control chosen: nothing, the dialog stays
    EXPECT_NE(dialog_named("template_control"), nullptr);
    auto* controls = static_cast<wxListBox*>(dialog->Item(TX_CONTROLS));
    ASSERT_EQ(controls->GetCount(), 27u);
    controls->SetSelection(13);  // "Document Number"
    click(dialog->ButtonFor(20041));
    ASSERT_TRUE(pump_until([&] { return dialog_named("template_control") == nullptr; }));
    ASSERT_STREQ(tcanvas->ModeName(1), "Add Text");
    session_event(&tcanvas->editing, EV_LEFT_UP, Point{5000, 2000});
    session_event(&tcanvas->editing, EV_RIGHT_UP, Point{5000, 2000});
    ASSERT_EQ(doc->titleblock.fields->count, 1u);
    Text* control = as_Text(static_cast<SchItem*>(dlist_head(doc->titleblock.fields)->data));
    EXPECT_EQ(control->field, 1);
    EXPECT_EQ(control->flags & TBLOCK, TBLOCK);

    libedit_edit_selection(&tcanvas->libedit, Point{5000, 2000});
    ASSERT_TRUE(pump_until([&] { return dialog_named("template_control") != nullptr; }));
    dialog = static_cast<FormDialog*>(dialog_named("template_control"));
    EXPECT_EQ(dialog->ButtonFor(20042)->GetLabel().utf8_string(), "Change");
    controls = static_cast<wxListBox*>(dialog->Item(TX_CONTROLS));
    EXPECT_EQ(controls->GetSelection(), 13);
    controls->SetSelection(0);  // "Title"
    click(dialog->ButtonFor(20042));
    ASSERT_TRUE(pump_until([&] { return dialog_named("template_control") == nullptr; }));
    EXPECT_EQ(control->field, 3);

    // The item dialogs' entry sends a title block's texts to these dialogs.
    ASSERT_TRUE(edit_item(tcanvas, control, Point{5000, 2000}, EDIT_CODE_TEXT));
    ASSERT_TRUE(pump_until([&] { return dialog_named("template_control") != nullptr; }));
    hide_dialog(dialog_named("template_control"));
    Text* free_text = new_Text();
    free_text->string = "REV";
    append_or_die(doc->titleblock.drawing, free_text);
    ASSERT_TRUE(edit_item(tcanvas, free_text, Point{0, 0}, EDIT_CODE_TEXT));
    ASSERT_TRUE(pump_until([&] { return dialog_named("libedit_text") != nullptr; }));
    EXPECT_EQ(static_cast<FormDialog*>(dialog_named("libedit_text"))
                  ->ButtonFor(20019)
                  ->GetLabel()
                  .utf8_string(),
              "Change");
    hide_dialog(dialog_named("libedit_text"));
    // Cut and Copy of the title block's Edit menu start the edit tool.
    menu_command(tcanvas, 20250, 0);
    EXPECT_STREQ(tcanvas->ModeName(1), "Libedit Edit");
    schema_clear_modified(doc);
}

}  // namespace
