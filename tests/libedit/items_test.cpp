// Texts, IEEE symbols and title-block controls of the library and template
// windows, the reference prefix and the user fields: their rows and
// values, what their dialogs change, and the Add Text and Add IEEE tools.
#include <gtest/gtest.h>

#include <string>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit_items.h"
#include "libedit_fixture.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

using namespace libedit_test;

namespace {

TEST(ItemRows, IeeeLettersAndRowsGoBothWays) {
    EXPECT_EQ(ieee_letter_of_row(0), 'W');
    EXPECT_EQ(ieee_letter_of_row(2), 'A');
    EXPECT_EQ(ieee_letter_of_row(22), 'T');
    EXPECT_EQ(ieee_letter_of_row(23), 'W');  // outside: the first
    EXPECT_EQ(ieee_row_of_letter('Q'), 18);
    EXPECT_EQ(ieee_row_of_letter('X'), 0);
    for (int row = 0; row < IEEE_ROWS; ++row)
        EXPECT_EQ(ieee_row_of_letter(ieee_letter_of_row(row)), row);
    EXPECT_STREQ(ieee_labels[16], "Open circuit Hight");
}

TEST(ItemRows, ControlsTheirCodesAndWhatTheyShow) {
    EXPECT_EQ(control_code_of_row(10), 27);
    EXPECT_EQ(control_row_of_code(27), 10);
    EXPECT_EQ(control_row_of_code(1), 13);
    EXPECT_EQ(control_row_of_code(26), 26);
    EXPECT_EQ(control_row_of_code(28), -1);
    EXPECT_STREQ(control_labels[26], "User Extension 10");
    Schema* schema = nullptr;
    new_active_schema(&schema);
    schema_set_field(schema, 3, "Amplifier");
    int kind = 0;
    std::string text;
    ASSERT_TRUE(template_control_target(schema, 0, &kind, &text));
    EXPECT_EQ(kind, 3);
    EXPECT_EQ(text, "Amplifier");
    ASSERT_TRUE(template_control_target(schema, 10, &kind, &text));
    EXPECT_EQ(kind, 27);
    EXPECT_EQ(text, "<Size>");
    EXPECT_FALSE(template_control_target(schema, 27, &kind, &text));
    close_schema(nullptr, &schema);
}

TEST(ItemRows, TheArrowKeysRingThroughTheOrientations) {
    // Left: +45 degrees through every code; Right the way back.
    std::string ring;
    int code = 0;
    for (int i = 0; i < 8; ++i, code = orient_code_left(code)) ring += std::to_string(code);
    EXPECT_EQ(ring, "07362514");
    EXPECT_EQ(code, 0);
    for (int i = 0; i < 8; ++i) code = orient_code_right(code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(orient_code_right(0), 4);
}

TEST(ItemRows, TheCornerOfATextBoxByItsOrientation) {
    Text text;
    text.pos = Point{100, 600};
    const Rect limit{150, 250, 650, 250};  // right 800, bottom 500
    struct Case {
        int code;
        Rect box_in;
        Rect box_out;
        Point corner;
    };
    const Rect box{100, 200, 1000, 400};
    const Case cases[] = {
        {0, box, box, {800, 250}},
        {1, box, box, {800, 500}},
        {2, box, box, {150, 500}},
        {3, box, box, {150, 250}},
        {4, box, {100, 200, 700, 400}, {800, 500}},
        {5, Rect{100, 200, 1000, 200}, Rect{150, 200, 950, 200}, {1150, 1150}},
        {6, box, Rect{150, 250, 950, 400}, {150, 850}},
        {7, box, Rect{100, 500, 700, 400}, {800, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        text.flags = static_cast<uint8_t>(c.code);
        Rect r = c.box_in;
        Point p;
        text_box_corner(&text, &r, &p, limit);
        EXPECT_EQ(r, c.box_out);
        EXPECT_EQ(p, c.corner);
    }
}

TEST(ItemValues, TheTextDialogsValuesTravelThroughTheProperties) {
    config_set_defaults();
    TextValues values;
    values.text = "VREF";
    values.xsize = 700;
    values.ysize = 900;
    values.orient_button = 4;  // the centre: code 0
    values.xmirror = true;
    values.boxed = true;
    values.internal_font = false;
    values.font = 12;
    EXPECT_EQ(text_values_attributes(values), MX | BOXED);
    EXPECT_EQ(text_values_font(values), 12);
    text_values_store(values);
    TextValues back = text_values_from_properties(true);
    EXPECT_EQ(back.text, "VREF");
    EXPECT_EQ(back.xsize, 700);
    EXPECT_EQ(back.orient_button, 4);
    EXPECT_TRUE(back.xmirror && back.boxed && !back.ymirror && !back.internal_font);
    values.internal_font = true;
    EXPECT_EQ(text_values_font(values), 0);
    control_values_store(values);
    EXPECT_EQ(proper_get(TPL_TEXT_XSCAL), 700);
    EXPECT_EQ(proper_get(TPL_TEXT_BOX), 1);
    ieee_values_store(IeeeValues{9, 400, 500});
    EXPECT_EQ(ieee_values_from_properties().row, 9);
    config_set_defaults();
}

TEST(ItemValues, AFreshInstallsTextsAndControlsAreUprightAndPlain) {
    config_set_defaults();
    for (const TextValues& values :
         {text_values_from_properties(true), text_values_from_properties(false),
          control_values_from_properties()})
        EXPECT_EQ(text_values_attributes(values), 0);
}

class ItemsTest : public LibEditTest {
protected:
    Part* library_part() {
        start(2);
        Part* part = add_part("U1", 4, 4000, 3000, false);
        get_part("U1");
        return part;
    }
    // The library part with a text "A" (the drawing's second item) and an
    // IEEE symbol "A" (its last) placed by their tools.
    Part* part_with_text_and_symbol() {
        Part* part = library_part();
        start_libedit_text_mode(&session, true, "A", 0, 500, 500, 0);
        click(Point{11000, 11000});
        start_add_ieee_mode(&session, 'A', 500, 500);
        click(Point{12000, 12000});
        return part;
    }
    // A template whose frame has one edge.
    void template_with_edges() {
        start(3);
        Line* edge = new_Line();
        edge->flags = DRAW;
        edge->end = Point{20000, 0};
        append_or_die(doc()->titleblock.drawing, edge);
    }
    Text* last_text(List* list) {
        SchItem* item = static_cast<SchItem*>(dlist_tail(list)->data);
        return item->type == TEXT_ITEM ? as_Text(item) : nullptr;
    }
};

TEST_F(ItemsTest, ThePrefixShowsWithAQuestionMarkOnPackagesOfSeveralDevices) {
    Part* part = library_part();
    ASSERT_TRUE(libedit_set_prefix(&ed, "R"));
    EXPECT_STREQ(part->prefix.get(), "R");
    EXPECT_STREQ(libedit_first_placed(&ed)->reference.text.get(), "R?");
    libedit_set_prefix(&ed, "IC?");
    EXPECT_STREQ(libedit_first_placed(&ed)->reference.text.get(), "IC?");
    EXPECT_TRUE(schema_is_modified(doc()));
    libedit_undo(&ed);
    EXPECT_STREQ(part->prefix.get(), "R");
}

TEST_F(ItemsTest, UserFieldsAreWrittenIntoEveryNameOfThePart) {
    library_part();
    proper_set(NB_FIELD_NAME, 2, 0);
    FieldRows rows = libedit_field_rows(&ed);
    EXPECT_EQ(rows.names, (std::vector<std::string>{"No Field defined"}));
    EXPECT_FALSE(rows.enabled);
    EXPECT_FALSE(libedit_write_fields(&ed, {"x"}));
    EXPECT_FALSE(schema_is_modified(doc()));

    proper_set(NB_FIELD_NAME, 4, FIELD_NAME, 2, "Tolerance", 0);
    libedit_add_name(&ed, "U1B");  // a second name of the part
    rows = libedit_field_rows(&ed);
    ASSERT_TRUE(rows.enabled);
    EXPECT_EQ(rows.names, (std::vector<std::string>{"Tolerance", "Attr. #2"}));
    EXPECT_EQ(rows.values, (std::vector<std::string>{"", ""}));
    ASSERT_TRUE(libedit_write_fields(&ed, {"5%", std::string(100, 'v')}));
    for (const char* name : {"U1", "U1B"}) {
        LibEntry* entry = find_LibEntry(lib(), name);
        ASSERT_EQ(entry->attributes->count, 2u) << name;
        Attribute* second = static_cast<Attribute*>(dlist_tail(entry->attributes)->data);
        EXPECT_EQ(std::string(second->text.get()), std::string(FIELD_VALUE_MAX, 'v'));
        EXPECT_TRUE(second->flags & VIS);
    }
    PlacedPart* placed = libedit_first_placed(&ed);
    ASSERT_NE(placed->attributes, nullptr);
    EXPECT_STREQ(static_cast<Attribute*>(dlist_head(placed->attributes)->data)->text.get(), "5%");
    EXPECT_EQ(libedit_field_rows(&ed).values[0], "5%");
}

TEST_F(ItemsTest, AddTextPutsATextIntoTheBodyAndItsKeysTurnAndSizeIt) {
    Part* part = library_part();
    ModeInstance* tool = start_libedit_text_mode(&session, true, "OUT", 0, 250, 120, 0);
    ASSERT_NE(tool, nullptr);
    EXPECT_STREQ(ModeName(&session, 1), "Add Text");
    EXPECT_EQ(host.prompt, "Click Text position");
    move(Point{11000, 11000});
    EXPECT_EQ(host.shown, 1);
    // Eight turns left come back; each size stops at 50 on its own.
    for (int i = 0; i < 8; ++i) session_key(&session, TK_LEFT);
    session_key(&session, TK_RIGHT);
    session_key(&session, '-');
    session_key(&session, TK_DOWN);
    session_key(&session, 'b');
    click(Point{11000, 11000});
    Text* placed = last_text(part->normal->items);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->string, "OUT");
    EXPECT_EQ(placed->pos, (Point{1000, 1000}));
    EXPECT_EQ(placed->flags, 4 | MX | BOXED);  // one turn right of 0: code 4
    EXPECT_EQ(placed->size, (TextSize{150, 50}));
    EXPECT_TRUE(schema_is_modified(doc()));
    // Outside every body the click rings.
    click(Point{90000, 90000});
    EXPECT_EQ(host.bells, 1);
    right_click(Point{11000, 11000});
    EXPECT_EQ(ModeCount(&session), 1);
    EXPECT_EQ(host.shown, 0);
}

TEST_F(ItemsTest, AToolLargeTextIsShrunkIntoItsBody) {
    Part* part = library_part();
    start_libedit_text_mode(&session, true, "LONGER TEXT", 0, 2000, 3000, 0);
    click(Point{13000, 12000});
    Text* placed = last_text(part->normal->items);
    ASSERT_NE(placed, nullptr);
    EXPECT_LT(placed->size.width, 2000);
    EXPECT_GE(placed->size.width, 50);
    EXPECT_GE(placed->size.height, 50);
    EXPECT_EQ(host.prompt, "Text shrunk to fit in the body");
    EXPECT_EQ(host.bells, 0);
}

// A text that would have to shrink to a dot to fit is not put in: the bell
// rings and the prompt says why; the tool stays for another click.
TEST_F(ItemsTest, ATextWithNoRoomInTheBodyIsRefusedWithAWord) {
    Part* part = library_part();
    const uint32_t before = part->normal->items->count;
    start_libedit_text_mode(&session, true, "TEXT", 0, 600, 900, 0);
    click(Point{13980, 12000});  // 20 units left of the body's right edge
    EXPECT_EQ(part->normal->items->count, before);
    EXPECT_EQ(host.bells, 1);
    EXPECT_EQ(host.prompt, "No room for the text in the body");
    EXPECT_STREQ(ModeName(&session, 1), "Add Text");
    click(Point{11000, 12000});
    ASSERT_EQ(part->normal->items->count, before + 1);
    EXPECT_EQ(last_text(part->normal->items)->size, (TextSize{600, 900}));
    EXPECT_EQ(host.prompt, "Click Text position");
}

TEST_F(ItemsTest, AddIeeePlacesSymbolsUntilTheRightClickBringsItsDialogBack) {
    Part* part = library_part();
    EXPECT_EQ(start_add_ieee_mode(&session, 'E', 800, 800) != nullptr, true);
    EXPECT_EQ(host.prompt, "Click IEEE position");
    session_key(&session, '+');
    click(Point{12000, 11000});
    click(Point{12500, 11500});
    ASSERT_EQ(part->normal->items->count, 3u);  // the line and two symbols
    Text* symbol = last_text(part->normal->items);
    EXPECT_EQ(symbol->font, 1);
    EXPECT_EQ(symbol->string, "E");
    EXPECT_EQ(symbol->size, (TextSize{900, 900}));
    EXPECT_EQ(symbol->pos, (Point{2500, 1500}));
    right_click(Point{12500, 11500});
    EXPECT_EQ(lib_host.commands, (std::vector<int>{LIBEDIT_CMD_IEEE}));
    // Place: the row's letter and the sizes.
    libedit_place_ieee(&session, IeeeValues{21, 600, 700});
    click(Point{11000, 11000});
    EXPECT_EQ(last_text(part->normal->items)->string, "U");
}

TEST_F(ItemsTest, TextsAndSymbolsOfThePartChangeInTheirDialogs) {
    Part* part = part_with_text_and_symbol();
    Text* symbol = last_text(part->normal->items);
    Text* text = as_Text(static_cast<SchItem*>(dlist_head(part->normal->items)->next->data));
    ASSERT_EQ(text->string, "A");

    libedit_show_item_dialog(&ed, text);
    EXPECT_EQ(lib_host.edited_texts, (std::vector<SchItem*>{text}));
    TextValues values = text_values_of(text);
    values.text = "B";
    values.orient_button = 3;  // code 3
    values.ymirror = true;
    ASSERT_TRUE(libedit_change_text(&ed, values));
    EXPECT_EQ(text->string, "B");
    EXPECT_EQ(text->flags, 3 | MY);
    // The symbol is not a text of the dialog's kind: IEEE changes it.
    libedit_show_item_dialog(&ed, symbol);
    ASSERT_TRUE(libedit_change_ieee(&ed, IeeeValues{13, 300, 400}));
    EXPECT_EQ(symbol->string, "R");
    EXPECT_EQ(symbol->size, (TextSize{300, 400}));
    // An item that is no longer the part's is left alone.
    libedit_undo(&ed);
    EXPECT_FALSE(libedit_change_text(&ed, values));
}

TEST_F(ItemsTest, ATextDialogChangesOnlyThePartUnderEditWhenItsDrawingIsShared) {
    Part* part = part_with_text_and_symbol();
    // Another part of the library draws itself with the part's set, as a
    // library file's reference to another part's drawing makes it.
    Part* other = add_part("U2", 1, 4000, 3000, false);
    auto share = [&] {
        unref_Vectors(other->normal);
        other->normal = part->normal;
        ref_Vectors(other->normal);
        return part->normal;
    };
    auto second = [](Vectors* set) {
        return as_Text(static_cast<SchItem*>(dlist_head(set->items)->next->data));
    };

    Vectors* shared = share();
    libedit_show_item_dialog(&ed, second(shared));
    TextValues values = text_values_of(second(shared));
    values.text = "B";
    ASSERT_TRUE(libedit_change_text(&ed, values));
    EXPECT_EQ(second(shared)->string, "A");
    ASSERT_NE(part->normal, shared);
    EXPECT_EQ(second(part->normal)->string, "B");
    EXPECT_EQ(shared->refs, 1);

    shared = share();
    libedit_show_item_dialog(&ed, last_text(shared->items));
    ASSERT_TRUE(libedit_change_ieee(&ed, IeeeValues{13, 300, 400}));
    EXPECT_EQ(last_text(shared->items)->string, "A");
    ASSERT_NE(part->normal, shared);
    EXPECT_EQ(last_text(part->normal->items)->string, "R");
    // Undo puts the part's drawing back, the other part's stays as it was.
    libedit_undo(&ed);
    EXPECT_EQ(last_text(part->normal->items)->string, "A");
    EXPECT_EQ(other->normal, shared);
    EXPECT_EQ(last_text(shared->items)->string, "A");
}

TEST_F(ItemsTest, TheTextDialogLeavesASymbolPickedMeanwhileToItsOwnDialog) {
    Part* part = part_with_text_and_symbol();
    Text* symbol = last_text(part->normal->items);
    Text* text = as_Text(static_cast<SchItem*>(dlist_head(part->normal->items)->next->data));
    libedit_show_item_dialog(&ed, text);
    const TextValues values = text_values_of(text);
    // A symbol double-clicked while the text dialog stays open.
    libedit_show_item_dialog(&ed, symbol);
    EXPECT_FALSE(libedit_change_text(&ed, values));
    EXPECT_EQ(symbol->string, "A");
    EXPECT_EQ(symbol->font, 1);
    EXPECT_TRUE(libedit_change_ieee(&ed, IeeeValues{13, 300, 400}));
}

TEST_F(ItemsTest, AControlNeedsTheEdgesAndGoesIntoTheControls) {
    start(3);
    EXPECT_EQ(start_template_control_mode(&session, 10, 0, 500, 500, 0), nullptr);
    EXPECT_EQ(last_box_text(), "Place Edges First !!!");
    EXPECT_EQ(template_place_control(&session, -1, TextValues{}), nullptr);

    Line* edge = new_Line();
    edge->end = Point{20000, 0};
    append_or_die(doc()->titleblock.drawing, edge);
    TextValues values = control_values_from_properties();
    values.xsize = values.ysize = 800;
    values.xmirror = values.ymirror = false;
    ASSERT_NE(template_place_control(&session, 10, values), nullptr);
    EXPECT_EQ(host.prompt, "Click Control position");
    click(Point{5000, 1000});
    Text* control = last_text(doc()->titleblock.fields);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->field, 27);
    EXPECT_EQ(control->string, "<Size>");
    EXPECT_EQ(control->flags & TBLOCK, TBLOCK);
    EXPECT_EQ(control->pos, (Point{5000, 1000}));
    right_click(Point{0, 0});

    // Change without a row keeps the control's field; with one it takes the row's.
    libedit_show_item_dialog(&ed, control);
    values.boxed = true;
    ASSERT_TRUE(template_change_control(&ed, -1, values));
    EXPECT_EQ(control->field, 27);
    EXPECT_EQ(control->flags, TBLOCK | BOXED);
    schema_set_field(doc(), 1, "DOC-7");
    libedit_show_item_dialog(&ed, control);
    ASSERT_TRUE(template_change_control(&ed, 13, values));
    EXPECT_EQ(control->field, 1);
    EXPECT_EQ(control->string, "DOC-7");
    // A free text of the template goes into its graphics.
    start_libedit_text_mode(&session, false, "Sheet", 0, 600, 600, 0);
    click(Point{1000, 2000});
    EXPECT_EQ(last_text(doc()->titleblock.drawing)->string, "Sheet");
}

TEST_F(ItemsTest, TurningADocumentFontTextWithoutItsRecordNeverStops) {
    library_part();
    // Font 17 names no record of the library's (empty) table.
    start_libedit_text_mode(&session, true, "F", 0, 500, 500, 17);
    session_key(&session, TK_LEFT);
    click(Point{11000, 11000});
    Text* placed = last_text(libedit_part(&ed)->normal->items);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->font, 17);
    EXPECT_EQ(placed->flags, 7);
}

}  // namespace
