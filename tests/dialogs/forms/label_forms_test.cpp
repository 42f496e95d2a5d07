// The port, power, sheet-net, net-property and sheet dialogs, and the
// title-block information, without their windows: the choices' mappings to
// the stored values, the flag bits a change keeps, and the one edit each
// change is; the fields of the title block listed once, cut to their
// widths, and the sheet size named whole.
#include "dialogs/forms/label_forms.h"

#include <gtest/gtest.h>

#include "dialogs/forms/infos_form.h"
#include "editor/editor_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/netprop.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/text.h"

using namespace editor_test;

namespace {

class LabelForms : public EditorTest {
protected:
    template <class T>
    T* add(T* item) {
        dlist_append(doc()->sheet->items, item);
        return item;
    }
};

// Each mapping: entry -> stored value, then stored values that no entry has.
TEST(ChoiceMappings, EveryEntryStoresItsValueAndStrangersShowTheFallback) {
    struct Case {
        const char* name;
        const ChoiceMapping& mapping;
        std::vector<int> stored;                  // by entry
        std::vector<std::pair<int, int>> loaded;  // stored value -> entry shown
    };
    const Case cases[] = {
        {"port style",
         port_style_mapping,
         {0x10, 0x00, 0x20, 0x30},
         {{0x20, 2}, {0x08, 3}, {7, 3}}},
        {"port orientation", port_orientation_mapping, {0, 8}, {{0, 0}, {8, 1}, {1, 1}, {-3, 1}}},
        {"power style",
         power_style_mapping,
         {0x00, 0x40, 0x80, 0xC0, 0x08, 0x48, 0x88, 0xC8},
         {{0x88, 6}, {0x10, 7}}},
        {"power orientation",
         power_orientation_mapping,
         {3, 1, 0, 2},
         {{0, 2}, {2, 3}, {3, 0}, {1, 1}, {9, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (size_t entry = 0; entry < c.stored.size(); ++entry) {
            EXPECT_EQ(c.mapping.value_of(static_cast<int>(entry)), c.stored[entry]);
            EXPECT_EQ(c.mapping.entry_of(c.stored[entry]), static_cast<int>(entry));
        }
        for (auto [value, entry] : c.loaded) EXPECT_EQ(c.mapping.entry_of(value), entry) << value;
        EXPECT_EQ(c.mapping.value_of(-1), c.mapping.value_of(c.mapping.other));
    }
}

TEST_F(LabelForms, APortChangeKeepsTheBitsTheDialogDoesNotShow) {
    Form form{wedit_port_rows()};
    Port* port = add(new_Port());
    port->name.set("OLD");
    port->flags = PORT_OUTPUT | PORT_AS_BIDIR;
    port_to_props(port);
    load_wedit_port(form);
    EXPECT_EQ(form.text(LF_NAME), "OLD");
    EXPECT_EQ(form.number(LF_STYLE), 2);  // Output
    EXPECT_EQ(form.number(LF_ORIENT), 0);
    form.set_text(LF_NAME, "NEW");
    form.set_number(LF_STYLE, 0);   // Input
    form.set_number(LF_ORIENT, 1);  // Right
    form.set_number(LF_AUTO, 1);
    store_wedit_port(form);
    EXPECT_EQ(proper_get(PORT_SENS), 8);
    EXPECT_EQ(proper_get(PORT_AUTO), 1);
    const auto before = saved_bytes();
    props_to_port(&session, port, form.text(LF_NAME));
    EXPECT_STREQ(port->name.get(), "NEW");
    EXPECT_EQ(port->flags, PORT_INPUT | PORT_RIGHT | PORT_AS_BIDIR);
    EXPECT_GT(host.modified, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
    // The next Add starts from the last values.
    Form next{wedit_port_rows()};
    load_wedit_port(next);
    EXPECT_EQ(next.text(LF_NAME), "NEW");
    EXPECT_EQ(next.number(LF_STYLE), 0);
    EXPECT_EQ(next.number(LF_ORIENT), 1);
}

TEST_F(LabelForms, APowerSymbolsNameShownIsTheClearedHiddenBit) {
    Form form{wedit_power_rows()};
    Power* power = add(new_Power());
    power->name.set("VCC");
    power->flags = POWER_EARTH | 2 | 0x20;  // earth, down, and a bit of its own
    power_to_props(power);
    load_wedit_power(form);
    EXPECT_EQ(form.number(LF_STYLE), 6);
    EXPECT_EQ(form.number(LF_ORIENT), 3);  // down
    EXPECT_EQ(form.number(LF_NAME_ON), 1);
    form.set_number(LF_NAME_ON, 0);
    form.set_number(LF_ORIENT, 0);  // left
    form.set_number(LF_STYLE, 1);   // arrow
    store_wedit_power(form);
    EXPECT_EQ(proper_get(POWER_NAME_ON), POWER_NAME_HIDDEN);
    props_to_power(&session, power, form.text(LF_NAME));
    EXPECT_EQ(power->flags, POWER_ARROW | POWER_NAME_HIDDEN | 3 | 0x20);
    load_wedit_power(form);
    EXPECT_EQ(form.number(LF_NAME_ON), 0);
}

TEST_F(LabelForms, ASheetNetIsChangedOnItsBoxAndKeepsItsSide) {
    SubSheet* box = add(new_SubSheet());
    box->pos = Point{10000, 10000};
    box->size = Point{6000, 8000};
    Port* port = new_Port();
    port->name.set("IN");
    port->flags = PORT_INPUT | PORT_RIGHT;
    port->pos = Point{6000, 2000};
    dlist_append(box->ports, port);
    EXPECT_EQ(box_of_port(doc(), port), box);
    EXPECT_EQ(box_of_port(doc(), nullptr), nullptr);
    Form form{wedit_net_rows()};
    net_to_props(port);
    load_wedit_net(form);
    EXPECT_EQ(form.text(LF_NAME), "IN");
    EXPECT_EQ(form.number(LF_STYLE), 0);
    form.set_text(LF_NAME, "DATA");
    form.set_number(LF_STYLE, 3);
    store_wedit_net(form);
    const auto before = saved_bytes();
    props_to_net(&session, box, port, form.text(LF_NAME));
    EXPECT_STREQ(port->name.get(), "DATA");
    EXPECT_EQ(port->flags, PORT_UNSPEC | PORT_RIGHT);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

// "Open SubSheet" opens the file of the box the dialog shows, also when
// that box's corner lies on another box's side; a box without a file rings.
TEST_F(LabelForms, OpenSubSheetOpensTheBoxsOwnFile) {
    SubSheet* left = add(new_SubSheet());
    left->pos = Point{10000, 10000};
    left->size = Point{6000, 8000};
    left->file_name = "left.sch";
    SubSheet* right = add(new_SubSheet());
    right->pos = Point{16000, 10000};  // its corner on the left box's side
    right->size = Point{6000, 8000};
    right->file_name = "right.sch";
    open_sheet_box(&session, right);
    EXPECT_EQ(host.opened, std::vector<std::string>{"right.sch"});
    right->file_name.clear();
    const int bells = host.bells;
    open_sheet_box(&session, right);
    EXPECT_EQ(host.bells, bells + 1);
    EXPECT_EQ(host.opened.size(), 1u);
}

TEST_F(LabelForms, NetPropertiesStoreNumbersAndTheLayersTheyChose) {
    Form form{edit_netprop_rows()};
    form.set_text(LF_TRACK, "250");
    form.set_text(LF_ISOLATION, "wide");
    form.set_text(LF_VIA, "40mil");
    form.set_text(LF_DRILL, "");
    form.set_number(LF_START_LAYER, 1);
    form.set_number(LF_END_LAYER, 4);
    form.set_number(LF_NET_TYPE, 1);
    store_edit_netprop(form);
    EXPECT_EQ(proper_get(NETPROP_TRACKWIDTH), 250);
    EXPECT_EQ(proper_get(NETPROP_ISOLATION), 0);
    EXPECT_EQ(proper_get(NETPROP_VIASIZE), 40);
    EXPECT_EQ(proper_get(NETPROP_SLAYER), 1);
    EXPECT_EQ(proper_get(NETPROP_DLAYER), 4);
    NetProp* label = add(new_NetProp());
    props_to_netprop(&session, label);
    EXPECT_EQ(label->track_width, 250);
    EXPECT_EQ(label->end_layer, 4);
    EXPECT_EQ(label->net_type, 1);
    Form again{edit_netprop_rows()};
    netprop_to_props(label);
    load_edit_netprop(again);
    EXPECT_EQ(again.text(LF_TRACK), "250");
    EXPECT_EQ(again.text(LF_ISOLATION), "0");
    EXPECT_EQ(again.number(LF_START_LAYER), 1);
    // A number beyond the values takes their far end, not a wrapped one.
    form.set_text(LF_TRACK, "3000000000");
    form.set_text(LF_ISOLATION, "-3000000000");
    store_edit_netprop(form);
    EXPECT_EQ(proper_get(NETPROP_TRACKWIDTH), INT32_MAX);
    EXPECT_EQ(proper_get(NETPROP_ISOLATION), INT32_MIN);
}

TEST_F(LabelForms, TheSheetDialogShowsTheBoxOrTheLastNamesAndRenamesTheBox) {
    proper_set(SHEET_NAME, "LAST", SHEET_FILE, "last.sch", 0);
    Form form{sheet_dialog_rows()};
    sheet_dialog_fill(form, nullptr);
    EXPECT_EQ(form.text(LF_SHEET_NAME), "LAST");
    EXPECT_EQ(form.text(LF_SHEET_FILE), "last.sch");
    SubSheet* box = add(new_SubSheet());
    box->sheet_name.set("AMP");
    box->file_name = "amp.sch";
    sheet_dialog_fill(form, box);
    EXPECT_EQ(form.text(LF_SHEET_NAME), "AMP");
    const auto before = saved_bytes();
    set_sheet_item_names(&session, box, "filter.sch", "FILTER");
    EXPECT_EQ(box->file_name, "filter.sch");
    EXPECT_STREQ(box->sheet_name.get(), "FILTER");
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

// --- title-block information ---------------------------------------------------------------------

class InfosForm : public EditorTest {
protected:
    Text* control(int field) {
        Text* text = new_Text();
        text->flags = TBLOCK;
        text->field = field;
        text->pos = Point{1000 * field, 0};
        dlist_append(doc()->titleblock.fields, text);
        return text;
    }
    Form form{edit_infos_rows()};
    InfosState state;
};

TEST_F(InfosForm, EachFieldIsListedOnceAndOkWritesTheCopyBackAsOneEdit) {
    control(FIELD_TITLE);
    Text* number = control(FIELD_DOCNUMBER);
    control(FIELD_TITLE);
    control(FIELD_SHEETSIZE);
    control(0);  // a text of the title block showing no field
    schema_set_field(doc(), FIELD_TITLE, "Amplifier");
    titleblock_bounds(doc());
    fill_edit_infos(form, state, doc());
    EXPECT_EQ(form.value(IF_CONTROLS).entries,
              (std::vector<std::string>{"Title", "Document Number", "Sheet Size"}));
    EXPECT_EQ(form.text(IF_VALUE), "Amplifier");
    select_infos_control(form, state, number);
    EXPECT_EQ(form.number(IF_CONTROLS), 1);
    form.set_text(IF_VALUE, "DOC-7");
    apply_edit_infos(form, state);
    // Nothing reaches the document before Ok.
    const auto before = saved_bytes();
    EXPECT_STREQ(doc()->docnumber, "");
    store_edit_infos(&session, state);
    EXPECT_STREQ(doc()->docnumber, "DOC-7");
    EXPECT_EQ(number->string, "DOC-7");  // the control shows it
    EXPECT_GT(host.modified, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

TEST_F(InfosForm, ATitleBlockWithoutControlsListsNothing) {
    fill_edit_infos(form, state, doc());
    EXPECT_TRUE(form.value(IF_CONTROLS).entries.empty());
    EXPECT_EQ(form.number(IF_CONTROLS), -1);
    EXPECT_EQ(form.text(IF_VALUE), "");
    form.set_text(IF_VALUE, "typed");
    apply_edit_infos(form, state);  // no field: nothing happens
    for (int code = 1; code <= SCHEMA_STRING_FIELDS; ++code)
        EXPECT_EQ(state.texts[code - 1], schema_field(doc(), code)) << code;
}

TEST_F(InfosForm, TheSheetSizeIsChosenByItsWholeNameAndFieldsByTheirWidths) {
    control(FIELD_SHEETSIZE);
    control(FIELD_REVCODE);
    doc()->sheet_size = 2;  // an ANSI sheet
    fill_edit_infos(form, state, doc());
    EXPECT_EQ(form.text(IF_VALUE), "C Size");
    struct Case {
        const char* typed;
        int size;
    };
    for (const Case& c : {Case{"e size", 4}, Case{"A", 4}, Case{"A4 Size", 5}, Case{"A1 Size", 8},
                          Case{"A1 Size ", 8}, Case{"Z Size", 8}, Case{"B Size", 1}}) {
        form.set_text(IF_VALUE, c.typed);
        apply_edit_infos(form, state);
        EXPECT_EQ(state.sheet_size, c.size) << c.typed;
    }
    EXPECT_EQ(sheet_size_of_name("a0 SIZE"), 9);
    EXPECT_EQ(sheet_size_of_name("A0"), -1);

    form.set_number(IF_CONTROLS, 1);
    show_infos_value(form, state);
    form.set_text(IF_VALUE, std::string(40, 'r'));
    apply_edit_infos(form, state);
    EXPECT_EQ(state.texts[FIELD_REVCODE - 1].size(), 31u);
    EXPECT_EQ(infos_field_width(FIELD_REVCODE), 31);
    EXPECT_EQ(infos_field_width(FIELD_TITLE), 127);
    EXPECT_EQ(infos_field_width(FIELD_SHEETSIZE), 0);
    store_edit_infos(&session, state);
    EXPECT_EQ(doc()->sheet_size, 1);
}

}  // namespace
