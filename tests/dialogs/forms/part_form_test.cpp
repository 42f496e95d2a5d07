// The Edit Part and Edit Field dialogs without their windows: filling from
// a placed part, the working state that only Accept applies (pin names per
// body, back-annotated pin swaps kept), the fields turned and mirrored
// with the part, the private copy of a shared library part and its name,
// and the device a reference's last letter chooses.
#include "dialogs/forms/part_form.h"

#include <gtest/gtest.h>

#include <string>

#include "dialogs/forms/field_form.h"
#include "dialogs/forms/session_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace editor_test;

namespace {

class PartForm : public dialogs_test::SessionTest {
protected:
    static Line* stroke(Point a, Point b) {
        Line* line = new_Line();
        line->flags = DRAW;
        line->pos = a;
        line->end = b;
        return line;
    }
    // A library part of the document under `name`: a box body, pins A and
    // Y numbered per device; with a converted body of one box and pin B.
    Part* library_part(const char* name, int devices, bool converted) {
        Part* part = new_Part();
        set_Part_devices(part, devices);
        part->body = Rect{0, 0, 4000, 4000};
        part->normal = new_Vectors();
        ref_Vectors(part->normal);
        dlist_append(part->normal->items, stroke({0, 0}, {4000, 0}));
        part->normal_pins = new_PinList();
        for (const char* pin : {"A", "Y"}) {
            Pin* p = new_Pin(devices);
            p->name.set(pin);
            for (int d = 0; d < devices; ++d)
                set_pin_number(p, d, (std::string(pin) + std::to_string(d + 1)).c_str());
            dlist_append(part->normal_pins->pins, p);
        }
        if (converted) {
            part->convert = new_Vectors();
            ref_Vectors(part->convert);
            dlist_append(part->convert->items, stroke({0, 0}, {0, 4000}));
            part->convert_pins = new_PinList();
            Pin* p = new_Pin(devices);
            p->name.set("B");
            dlist_append(part->convert_pins->pins, p);
        }
        LibEntry* entry = new_LibEntry();
        entry->name.set(name);
        entry->part = part;
        ref_Part(part);
        free_LibEntry(lib_insert_entry(doc()->library, entry));
        return part;
    }
    PlacedPart* place(const char* name, Point at, const char* reference = "U1") {
        PlacedPart* pl = new_PlacedPart();
        pl->part_name.set(name);
        pl->pos = at;
        pl->flags = 0;
        pl->reference.text.set(reference);
        pl->reference.flags = VIS;
        pl->reference.pos = Point{at.x + 1000, at.y - 1000};
        pl->value.text.set("74LS00");
        pl->value.flags = VIS | SET | 1;  // below the anchor
        pl->value.pos = Point{at.x - 2000, at.y + 3000};
        dlist_append(doc()->sheet->items, pl);
        return pl;
    }
    void load(PlacedPart* pl) { load_edit_part(form, state, doc(), pl); }
    void react(long id, PlacedPart* pl) { edit_part_react(id, form, state, doc(), pl); }

    Form form{edit_part_rows()};
    EditPartState state;
};

TEST_F(PartForm, TheInformationLineNamesTheLibraryBeforeTheLastSlash) {
    PlacedPart* pl = place("parts/RES", Point{});
    EXPECT_EQ(part_info_line(pl), "Part Name: U1 -- Part Value: 74LS00 -- Library: parts");
    pl->part_name.set("C:/libs/std/RES@000002");
    EXPECT_EQ(part_info_line(pl).substr(part_info_line(pl).rfind(':') + 2), "std");
    // No '/': no library, not the name's first letter.
    pl->part_name.set("RES");
    EXPECT_EQ(part_info_line(pl), "Part Name: U1 -- Part Value: 74LS00 -- Library: ");
}

TEST_F(PartForm, LoadShowsTheFieldsTheDeviceAndTheBodies) {
    proper_set(NB_FIELD_NAME, 3, 0);
    set_field_name(0, "Reference");
    set_field_name(2, "");
    library_part("lib/QUAD", 4, false);
    PlacedPart* pl = place("lib/QUAD", Point{10000, 10000});
    pl->device = 2;
    pl->flags = PL_MY | 3;
    load(pl);
    EXPECT_EQ(form.value(EP_FIELD).entries,
              (std::vector<std::string>{"Reference", "Attr. #2", "Attr. #3"}));
    EXPECT_EQ(form.number(EP_FIELD), 0);
    EXPECT_EQ(form.text(EP_VALUE), "U1");
    ASSERT_EQ(state.fields.size(), 3u);
    EXPECT_EQ(state.fields[1].button, button_of_orient_code(1));
    EXPECT_TRUE(state.fields[2].visible);  // absent: visible, east, empty
    EXPECT_EQ(state.fields[2].button, 7);
    EXPECT_EQ(form.value(EP_DEVICE).entries.size(), 4u);
    EXPECT_EQ(form.value(EP_DEVICE).entries[3], "Device D");
    EXPECT_EQ(form.number(EP_DEVICE), 2);
    EXPECT_TRUE(form.value(EP_DEVICE).enabled);
    EXPECT_FALSE(form.value(EP_CONVERT).enabled);  // no converted body
    EXPECT_EQ(form.number(EP_ROTATION), 3);
    EXPECT_EQ(form.number(EP_PART_YMIR), 1);
    // The pins with their numbers of the device shown.
    EXPECT_EQ(form.value(EP_PIN).entries, (std::vector<std::string>{" A3", " Y3"}));
    EXPECT_EQ(form.text(EP_NAME), "A");

    // Without a configured count the reference and value are still listed.
    proper_set(NB_FIELD_NAME, 0, 0);
    library_part("lib/RES", 1, true);
    PlacedPart* single = place("lib/RES", Point{});
    load(single);
    EXPECT_EQ(state.fields.size(), 2u);
    EXPECT_EQ(form.value(EP_DEVICE).entries, (std::vector<std::string>{"  N/A "}));
    EXPECT_FALSE(form.value(EP_DEVICE).enabled);
    EXPECT_TRUE(form.value(EP_CONVERT).enabled);
    // A field chosen shows its record; reactions without a part ring.
    form.set_number(EP_FIELD, 1);
    react(PART_CMD_FIELD, single);
    EXPECT_EQ(form.text(EP_VALUE), "74LS00");
    react(PART_CMD_FIELD, nullptr);
    react(PART_CMD_PIN, nullptr);
    EXPECT_EQ(bells, 2);
}

// The fields move with the part about its position. Each row: the old and
// new flags, and where a field at (+1000, -1000) from the part goes.
TEST_F(PartForm, FieldsTurnAndMirrorWithThePart) {
    library_part("lib/RES", 1, false);
    struct Case {
        uint8_t from, to;
        Point offset;
    };
    const Case cases[] = {
        {1, 0, {-1000, -1000}},        // a quarter turn back: three quarters on
        {0, 1, {1000, 1000}},          // (x, y) -> (-y, x)
        {0, 2, {-1000, 1000}},         // half a turn
        {0, PL_MX, {1000, 1000}},      // X mirror negates the y offset
        {0, PL_MY, {-1000, -1000}},    // Y mirror the x offset
        {PL_MX, PL_MX, {1000, -1000}}  // unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.from) << " -> " << int(c.to));
        PlacedPart* pl = place("lib/RES", Point{5000, 5000});
        pl->reference.flags = VIS | SET;  // moved by the user
        pl->flags = c.from;
        load(pl);
        form.set_number(EP_ROTATION, c.to & 3);
        form.set_number(EP_PART_XMIR, (c.to & PL_MX) != 0);
        form.set_number(EP_PART_YMIR, (c.to & PL_MY) != 0);
        apply_edit_part(doc(), pl, form, state);
        EXPECT_EQ(pl->flags, c.to);
        EXPECT_EQ(pl->reference.pos, (Point{5000 + c.offset.x, 5000 + c.offset.y}));
        // The SET bit stays, the rest is the record's.
        EXPECT_EQ(pl->value.flags, VIS | SET | 1);
    }
}

// A part with pins on top and bottom has its reference and value one above
// the other beside it; turned a quarter, they stand above and below it, not
// side by side on one line (fields the user moved turn with the part).
TEST_F(PartForm, FieldsTheLayoutPlacedAreLaidOutForTheTurnedPart) {
    Part* part = library_part("lib/CAP", 1, false);
    int side = TOP;
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins)) {
        pin->flags = static_cast<uint8_t>(side);
        side = BOTTOM;
    }
    PlacedPart* pl = place("lib/CAP", Point{5000, 5000});
    pl_place_attribute(doc(), doc()->library, pl, 0);
    pl_place_attribute(doc(), doc()->library, pl, 1);
    ASSERT_EQ(pl->reference.pos.x, pl->value.pos.x);
    load(pl);
    form.set_number(EP_ROTATION, 1);
    apply_edit_part(doc(), pl, form, state);
    EXPECT_EQ(pl->reference.pos, pl_attribute_place(doc()->library, pl, 0));
    EXPECT_EQ(pl->value.pos, pl_attribute_place(doc()->library, pl, 1));
    EXPECT_EQ(pl->reference.pos.x, pl->value.pos.x);
    EXPECT_LT(pl->reference.pos.y, pl->value.pos.y);
    EXPECT_EQ(pl->reference.flags & SET, SET);
}

TEST_F(PartForm, AcceptAppendsTheMissingFieldsAtThePartAndUndoTakesItBack) {
    proper_set(NB_FIELD_NAME, 4, 0);
    library_part("lib/RES", 1, false);
    PlacedPart* pl = place("lib/RES", Point{7000, 8000});
    const auto before = saved_bytes();
    load(pl);
    form.set_number(EP_FIELD, 3);
    react(PART_CMD_FIELD, pl);
    form.set_text(EP_VALUE, "1%");
    react(PART_CMD_VALUE, pl);
    form.set_number(EP_BOXED, 1);
    react(PART_CMD_BOXED, pl);
    form.set_number(EP_FIELD, 0);
    react(PART_CMD_FIELD, pl);
    form.set_text(EP_VALUE, "R7");  // typed, its reaction not yet run
    accept_edit_part(&session, pl, form, state);
    EXPECT_STREQ(pl->reference.text.get(), "R7");
    ASSERT_NE(pl_get_attribute(pl, 3), nullptr);
    EXPECT_STREQ(pl_get_attribute(pl, 3)->text.get(), "1%");
    EXPECT_EQ(pl_get_attribute(pl, 3)->flags, VIS | 0x08);
    EXPECT_EQ(pl_get_attribute(pl, 2)->pos, pl->pos);  // new and empty, at the part
    EXPECT_STREQ(pl_get_attribute(pl, 2)->text.get(), "");
    EXPECT_GT(host.modified, 0);
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

TEST_F(PartForm, PinEditsStayInTheDialogUntilAcceptWhichCopiesASharedPart) {
    Part* shared = library_part("lib/GATE", 2, true);
    PlacedPart* pl = place("lib/GATE", Point{0, 0});
    PlacedPart* other = place("lib/GATE", Point{20000, 0}, "U2");
    const auto before = saved_bytes();
    load(pl);
    form.set_text(EP_NAME, "IN");
    react(PART_CMD_NAME, pl);
    EXPECT_TRUE(state.pins_changed);
    // The converted body and back: what was typed is still there, and the
    // library's pins were not touched.
    form.set_number(EP_CONVERT, 1);
    react(PART_CMD_CONVERT, pl);
    EXPECT_EQ(form.text(EP_NAME), "B");
    form.set_text(EP_NAME, "BX");
    react(PART_CMD_NAME, pl);
    form.set_number(EP_CONVERT, 0);
    react(PART_CMD_CONVERT, pl);
    EXPECT_EQ(form.text(EP_NAME), "IN");
    EXPECT_EQ(saved_bytes(), before);  // Cancel now would leave everything

    accept_edit_part(&session, pl, form, state);
    EXPECT_STREQ(pl->part_name.get(), "lib/GATE@000001");
    ASSERT_NE(pl->part, shared);
    Pin* first = static_cast<Pin*>(pl->part->normal_pins->pins->head->data);
    EXPECT_STREQ(first->name.get(), "IN");
    EXPECT_TRUE(first->flags & PIN_DISPLAY);
    EXPECT_STREQ(static_cast<Pin*>(pl->part->convert_pins->pins->head->data)->name.get(), "BX");
    // The other part keeps the shared part and its names.
    EXPECT_EQ(pl_get_part(doc()->library, other), shared);
    EXPECT_STREQ(static_cast<Pin*>(shared->normal_pins->pins->head->data)->name.get(), "A");
    ASSERT_EQ(undo_sheet(&session), 0);
    EXPECT_EQ(saved_bytes(), before);
}

TEST_F(PartForm, APrivateCopyTakesTheNextVersionAndOnlyWhenShared) {
    Part* part = library_part("lib/GATE", 1, false);
    PlacedPart* pl = place("lib/GATE", Point{0, 0});
    EXPECT_FALSE(fork_Part(doc(), pl));  // alone with its part
    place("lib/GATE", Point{10000, 0});
    library_part("lib/GATE@000006", 1, false);
    EXPECT_TRUE(part_shares_library_part(doc(), pl, part));
    EXPECT_TRUE(fork_Part(doc(), pl));
    EXPECT_STREQ(pl->part_name.get(), "lib/GATE@000007");
    EXPECT_NE(find_LibEntry(doc()->library, "lib/GATE@000007"), nullptr);
    // Only the display boxes changed: that is a pin change too.
    PlacedPart* again = place("lib/GATE", Point{20000, 0});
    load(again);
    react(PART_CMD_PIN_DISPLAY, again);
    accept_edit_part(&session, again, form, state);
    EXPECT_STREQ(again->part_name.get(), "lib/GATE@000008");
}

TEST_F(PartForm, BackAnnotatedPinSwapsSurviveUnlessTheBodyChanges) {
    library_part("lib/GATE", 2, true);
    PlacedPart* pl = place("lib/GATE", Point{0, 0});
    ASSERT_EQ(pl_make_own_pins(doc()->library, pl), 0);
    ASSERT_EQ(pl_swap_pins(doc()->library, pl, "A1", "Y1"), 0);
    load(pl);
    form.set_text(EP_VALUE, "U9");
    react(PART_CMD_VALUE, pl);
    accept_edit_part(&session, pl, form, state);
    ASSERT_NE(pl->own_pins, nullptr);
    EXPECT_STREQ(pin_number(static_cast<Pin*>(pl->own_pins->pins->head->data), 0), "Y1");
    load(pl);
    form.set_number(EP_CONVERT, 1);
    accept_edit_part(&session, pl, form, state);
    EXPECT_EQ(pl->own_pins, nullptr);
}

TEST_F(PartForm, PinDisplayFlagsNeedEveryPinsOwnChoice) {
    Part* part = library_part("lib/GATE", 1, false);
    int numbers = -1, names = -1;
    EXPECT_FALSE(pin_display_flags(nullptr, &numbers, &names));
    EXPECT_FALSE(pin_display_flags(part->normal_pins, &numbers, &names));
    for (Pin* pin : list_items<Pin>(part->normal_pins->pins)) pin->flags |= PIN_DISPLAY;
    static_cast<Pin*>(part->normal_pins->pins->tail->data)->flags |= PIN_SHOW_NAME;
    EXPECT_TRUE(pin_display_flags(part->normal_pins, &numbers, &names));
    EXPECT_EQ(numbers, 0);
    EXPECT_EQ(names, 1);
    PinList* empty = new_PinList();
    EXPECT_TRUE(pin_display_flags(empty, &numbers, &names));
    EXPECT_EQ(names, 0);
    free_PinList(empty);
}

// --- Edit Field -----------------------------------------------------------------------------------

TEST_F(PartForm, AReferencesLastCapitalChoosesADeviceThePackageHas) {
    library_part("lib/QUAD", 4, false);
    library_part("lib/ONE", 1, false);
    struct Case {
        const char* part;
        int index;
        const char* typed;
        const char* stored;
        int device;
    };
    const Case cases[] = {
        {"lib/QUAD", 0, "U12B", "U12", 1},  {"lib/ONE", 0, "U12B", "U12B", 0},
        {"lib/QUAD", 0, "U12b", "U12b", 0}, {"lib/QUAD", 1, "7400B", "7400B", 0},
        {"lib/QUAD", 0, "U12F", "U12F", 0},  // no device F in a package of four
        {"lib/QUAD", 0, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        PlacedPart* pl = place(c.part, Point{});
        apply_edit_field(&session, pl, c.index, c.typed);
        EXPECT_STREQ(pl_get_attribute(pl, c.index)->text.get(), c.stored);
        EXPECT_EQ(pl->device, c.device);
    }
    // The reference of a package shows its device letter.
    PlacedPart* pl = place("lib/QUAD", Point{});
    pl->device = 3;
    Form field{edit_field_rows()};
    load_edit_field(field, doc(), pl, 0);
    EXPECT_EQ(field.text(FF_VALUE), "U1D");
    load_edit_field(field, doc(), pl, 1);
    EXPECT_EQ(field.text(FF_VALUE), "74LS00");
    // A field the part lacks is left alone.
    const auto before = saved_bytes();
    apply_edit_field(&session, pl, 5, "x");
    EXPECT_EQ(saved_bytes(), before);
}

}  // namespace
