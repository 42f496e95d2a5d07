// The library editor's dialog forms without their windows: which item
// reports what, and what moves between a form and the editor's values.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "libedit/forms/item_forms.h"
#include "libedit/forms/part_forms.h"
#include "libedit/libedit.h"

namespace {

struct NamedForm {
    const char* dialog;
    std::vector<FormRow> rows;
};

// Every form of the library editor's dialogs, in each of its shapes.
std::vector<NamedForm> every_form() {
    FieldRows fields;
    fields.names = {"Value", "Footprint"};
    fields.values = {"", ""};
    std::vector<NamedForm> forms = {
        {"Get Part", get_part_rows()},
        {"Place Body", place_body_rows()},
        {"Part Names", part_names_rows()},
        {"Part Info", part_info_rows()},
        {"Get Vector Definition", get_vector_rows()},
        {"Get Vector Options", vector_options_rows()},
        {"View/Edit Pinout", pinout_rows()},
        {"Find Pin", find_pin_rows()},
        {"Part Reference Prefix", reference_prefix_rows()},
        {"User Part Fields", user_fields_rows(fields)},
    };
    for (bool existing : {false, true}) {
        forms.push_back({"Add/Edit Pin", add_pin_rows(existing)});
        forms.push_back({"Add/Edit Control", control_rows(existing)});
        forms.push_back({"Place/Edit IEEE Symbols", ieee_rows(existing)});
        for (bool library : {false, true})
            for (int window : {0, 2, 3})
                forms.push_back({"Add/Edit Text", text_rows(library, existing, window)});
    }
    return forms;
}

// One handler takes every item of these dialogs by its id: an id that two
// dialogs report would run the other's action; a field twice in a form
// would show one value in two items.
TEST(LibeditForms, EachClientIdBelongsToOneDialogAndEachHelpButtonHasItsPage) {
    std::map<long, std::set<std::string>> dialogs_of;
    for (const NamedForm& form : every_form()) {
        int helps = 0;
        std::set<int> fields;
        for (const FormRow& row : form.rows) {
            if (row.field) {
                EXPECT_TRUE(fields.insert(row.field).second) << form.dialog;
            }
            if (row.client == 0) continue;
            dialogs_of[row.client].insert(form.dialog);
            const bool help = row.label && std::string(row.label) == "Help";
            if (help) ++helps;
            EXPECT_EQ(libedit_help_context(row.client, 0) != 0, help)
                << form.dialog << ": " << row.client;
        }
        EXPECT_LE(helps, 1) << form.dialog;
    }
    for (const auto& [id, dialogs] : dialogs_of)
        EXPECT_EQ(dialogs.size(), 1u)
            << id << " is reported by " << *dialogs.begin() << " and " << *dialogs.rbegin();
    EXPECT_EQ(libedit_help_context(LE_PART_OK, 2), 0);
}

// The text dialog's Help follows the window current when it is pressed,
// and stands only when a window gives it a page.
TEST(LibeditForms, TheTextDialogsHelpFollowsTheWindow) {
    auto help_of = [](const std::vector<FormRow>& rows) {
        for (const FormRow& row : rows)
            if (row.label && std::string(row.label) == "Help") return row.client;
        return 0L;
    };
    EXPECT_EQ(help_of(text_rows(true, false, 0)), 0);
    EXPECT_EQ(help_of(text_rows(true, false, 2)), LE_HELP_TEXT_LIBRARY);
    EXPECT_EQ(help_of(text_rows(false, true, 3)), LE_HELP_TEXT_TEMPLATE);
    EXPECT_EQ(libedit_help_context(LE_HELP_TEXT_LIBRARY, 0), 525);
    EXPECT_EQ(libedit_help_context(LE_HELP_TEXT_LIBRARY, 3), 960);
    EXPECT_EQ(libedit_help_context(LE_HELP_TEXT_TEMPLATE, 2), 525);
    EXPECT_EQ(libedit_help_context(LE_HELP_TEXT_TEMPLATE, 1), 960);
}

TEST(LibeditForms, APowerPinHasNoShapeToChooseInEitherPinDialog) {
    for (const auto& [rows, pin] :
         {std::pair{add_pin_rows(false), ADD_PIN_FORM}, std::pair{pinout_rows(), PINOUT_FORM}}) {
        Form form(rows);
        PinFields fields;
        fields.numbers = "1,2";
        fields.name = "VCC";
        fields.type_row = PIN_POWER_ROW;
        fields.shape_row = 2;
        pin_form_load(form, pin, fields);
        EXPECT_FALSE(form.value(pin.shape).enabled);
        const PinFields typed = pin_form_scan(form, pin);
        EXPECT_EQ(typed.numbers, "1,2");
        EXPECT_EQ(typed.name, "VCC");
        EXPECT_EQ(typed.shape_row, 2);
        form.set_number(pin.type, 0);
        pin_form_type_chosen(form, pin);
        EXPECT_TRUE(form.value(pin.shape).enabled);
        // A pin whose shape no row shows keeps the row shown.
        fields.type_row = 1;
        fields.shape_row = -1;
        pin_form_load(form, pin, fields);
        EXPECT_EQ(form.number(pin.shape), 2);
        EXPECT_TRUE(form.value(pin.shape).enabled);
    }
}

TEST(LibeditForms, ThePinoutKeepsItsRowAndShowsNormalPinsOfAPartWithoutConvertedOnes) {
    Form form(pinout_rows());
    form.set_number(PO_CONVERTED, 1);
    pinout_listed(form, {"1 A", "2 B", "3 C"}, false, 2);
    EXPECT_EQ(form.number(PO_CONVERTED), 0);
    EXPECT_FALSE(form.value(PO_CONVERTED).enabled);
    EXPECT_EQ(form.picked(PO_PINS), 2);
    pinout_listed(form, {"1 A"}, true, 2);  // the row went: the first one
    EXPECT_EQ(form.picked(PO_PINS), 0);
    EXPECT_TRUE(form.value(PO_CONVERTED).enabled);
    pinout_listed(form, {}, true, 0);
    EXPECT_EQ(form.picked(PO_PINS), -1);
}

TEST(LibeditForms, TextValuesGoThroughTheTextAndControlForms) {
    TextValues values;
    values.text = "CLK";
    values.xsize = 120;
    values.ysize = 140;
    values.orient_button = 3;
    values.xmirror = true;
    values.boxed = true;
    values.internal_font = true;
    for (const std::vector<FormRow>& rows : {text_rows(true, true, 2), control_rows(false)}) {
        Form form(rows);
        text_form_load(form, values, "Font : Internal");
        // The mirrors go with the internal font, Font... with a document font.
        EXPECT_TRUE(form.value(TX_XMIR).enabled);
        EXPECT_FALSE(form.value(TX_FONT_BUTTON).enabled);
        const TextValues typed = text_form_scan(form, 12);
        EXPECT_EQ(typed.text, form.has(TX_TEXT) ? "CLK" : "");
        EXPECT_EQ(typed.xsize, 120);
        EXPECT_EQ(typed.ysize, 140);
        EXPECT_EQ(typed.orient_button, 3);
        EXPECT_TRUE(typed.xmirror && typed.boxed && !typed.ymirror);
        EXPECT_EQ(typed.font, 12);
        values.internal_font = false;
        text_form_load(form, values, "Font : Arial,10pts,Normal");
        EXPECT_EQ(form.text(TX_FONT_LABEL), "Font : Arial,10pts,Normal");
        EXPECT_FALSE(form.value(TX_YMIR).enabled);
        EXPECT_TRUE(form.value(TX_FONT_BUTTON).enabled);
        values.internal_font = true;
    }
    // The control dialog lists Boxed before Y Mirror, and the control of a
    // field chosen for an existing one.
    auto position = [](const std::vector<FormRow>& rows, int field) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].field == field) return i;
        return rows.size();
    };
    EXPECT_LT(position(control_rows(true), TX_BOX), position(control_rows(true), TX_YMIR));
    EXPECT_GT(position(text_rows(true, true, 2), TX_BOX),
              position(text_rows(true, true, 2), TX_YMIR));
    Form control(control_rows(true));
    control_form_listed(control, control_code_of_row(4));
    EXPECT_EQ(control_form_row(control), 4);
    control_form_listed(control, 0);
    EXPECT_EQ(control_form_row(control), -1);
}

TEST(LibeditForms, IeeeSizesAreReadAsTyped) {
    Form form(ieee_rows(false));
    ieee_form_load(form, IeeeValues{5, 300, 400});
    EXPECT_EQ(form.text(IE_XSIZE), "300");
    form.set_text(IE_YSIZE, " 250 units");
    const IeeeValues typed = ieee_form_scan(form);
    EXPECT_EQ(typed.row, 5);
    EXPECT_EQ(typed.xsize, 300);
    EXPECT_EQ(typed.ysize, 250);
}

TEST(LibeditForms, UserFieldsKeepEachFieldsValueFittedToItsSlot) {
    FieldRows rows;
    rows.names = {"Value", "Footprint"};
    rows.values = {"10k", ""};
    rows.enabled = true;
    Form form(user_fields_rows(rows));
    user_fields_load(form, rows);
    EXPECT_EQ(form.text(UF_VALUE), "10k");
    form.set_number(UF_FIELDS, 1);
    form.set_text(UF_VALUE, std::string(100, 'x'));
    user_fields_value_typed(form, &rows);
    EXPECT_EQ(rows.values[1], std::string(FIELD_VALUE_MAX, 'x'));
    form.set_number(UF_FIELDS, 0);
    ASSERT_TRUE(user_fields_chosen(form, rows));
    EXPECT_EQ(form.text(UF_VALUE), "10k");
    form.set_number(UF_FIELDS, -1);
    EXPECT_FALSE(user_fields_chosen(form, rows));
    user_fields_value_typed(form, &rows);  // no field chosen: nothing kept
    EXPECT_EQ(rows.values[0], "10k");

    FieldRows none;
    none.names = {"No Field defined"};
    none.values = {""};
    Form empty(user_fields_rows(none));
    user_fields_load(empty, none);
    EXPECT_FALSE(empty.value(UF_FIELDS).enabled);
    EXPECT_FALSE(empty.value(UF_VALUE).enabled);
}

TEST(LibeditForms, GetPartAndGetVectorListWhatTheSearchFound) {
    Form part(get_part_rows());
    part.set_text(GP_SELECTED, "R*");
    get_part_listed(part, {});
    EXPECT_EQ(part.text(GP_SELECTED), "R*");  // nothing found: the pattern stays
    get_part_listed(part, {"RES", "RPACK"});
    EXPECT_EQ(part.text(GP_SELECTED), "RES");
    part.select(GP_PARTS, 0, false);
    part.select(GP_PARTS, 1, true);
    EXPECT_EQ(get_part_chosen(part), "RPACK");
    EXPECT_EQ(part.text(GP_SELECTED), "RPACK");

    Form vector(get_vector_rows());
    get_vector_listed(vector, {"DEVICE.CLB", "TTL.CLB"});
    EXPECT_EQ(vector.picked(GV_LIBRARIES), -1);
    EXPECT_TRUE(get_vector_pattern(vector));  // nothing typed: every part
    EXPECT_EQ(vector.text(GV_PART), "*");
    vector.select(GV_LIBRARIES, 1, true);
    get_vector_library_chosen(vector);
    EXPECT_EQ(vector.text(GV_LIBRARY), "TTL.CLB");
    EXPECT_TRUE(get_vector_parts_found(vector, {"7400", "7404"}));
    EXPECT_FALSE(get_vector_parts_found(vector, {"7400"}));  // one match keeps the list
    EXPECT_EQ(vector.value(GV_PARTS).entries.size(), 2u);
    vector.select(GV_PARTS, 1, true);
    get_vector_part_chosen(vector);
    EXPECT_EQ(vector.text(GV_PART), "7404");
    EXPECT_FALSE(get_vector_pattern(vector));
    get_vector_library_typed(vector);
    EXPECT_TRUE(vector.value(GV_PARTS).entries.empty());
    EXPECT_EQ(vector.text(GV_PART), "*");
}

TEST(LibeditForms, VectorOptionsShowWhatApplies) {
    Form form(vector_options_rows());
    VectorOptions options;
    options.normal_row = VECTORS_TO_CONVERT;
    options.convert_row = VECTORS_NOT;
    options.free_current = false;
    vector_options_load(form, options);
    EXPECT_FALSE(form.value(VO_FREE).enabled);
    EXPECT_FALSE(form.value(VO_CONVERT).enabled);
    const VectorOptions typed = vector_options_scan(form);
    EXPECT_EQ(typed.normal_row, VECTORS_TO_CONVERT);
    EXPECT_EQ(typed.convert_row, VECTORS_NOT);
    EXPECT_FALSE(typed.free_current);

    Form body(place_body_rows());
    EXPECT_EQ(place_body_devices(body), 1);  // no row chosen: one device
    body.set_number(PB_DEVICES, 4);
    body.set_number(PB_CONVERT, 1);
    EXPECT_EQ(place_body_devices(body), 4);
    EXPECT_TRUE(place_body_converted(body));
}

}  // namespace
