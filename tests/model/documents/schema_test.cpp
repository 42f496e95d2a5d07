// The schema record: creation defaults, bounded identification fields,
// sheet sizes, field texts, border outlines, whole-document walks and the
// release of a rich document.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/erc_mark.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace sheet_test;

namespace {

class SchemaRecord : public SheetTest {};

TEST_F(SchemaRecord, NewSchemaTakesItsDefaultsFromTheConfiguration) {
    proper_set(SHEET_SIZE, 6, TEMPLATE_ANSI_GRID, 1, TEMPLATE_ANSI_TITLE, 0, 0);
    SchemaPtr schema(new_Schema());
    EXPECT_EQ(schema->type, SCHEMA_ITEM);
    EXPECT_EQ(schema->state, STATE_NEW);
    EXPECT_EQ(schema->sheet_size, 6);
    EXPECT_EQ(schema->ansi_grid, 1);
    EXPECT_EQ(schema->ansi_title, 0);
    EXPECT_STREQ(schema->creatdate, "XXXXXX");
    EXPECT_STREQ(schema->modifdate, "XXXXXX");
    EXPECT_STREQ(schema->title, "");
    EXPECT_EQ(schema->titleblock.type, TITLEBLOCK_ITEM);
    EXPECT_EQ(schema->titleblock.state, STATE_NEW);
    ASSERT_NE(schema->titleblock.fields, nullptr);
    ASSERT_NE(schema->titleblock.drawing, nullptr);
    EXPECT_EQ(schema->sheet, nullptr);
    EXPECT_EQ(schema->view.zoom, 1.0);
}

struct FieldCase {
    int number;
    size_t capacity;
};

class FieldCapacity : public SheetTest, public testing::WithParamInterface<FieldCase> {};

TEST_P(FieldCapacity, CopiesAreCutAtTheFieldsCapacity) {
    SchemaPtr schema(new_Schema());
    const FieldCase& c = GetParam();
    EXPECT_EQ(schema_field_capacity(c.number), c.capacity);
    std::string fits(c.capacity - 1, 'a');
    EXPECT_TRUE(schema_set_field(schema.get(), c.number, fits.c_str()));
    EXPECT_EQ(std::string(schema_field(schema.get(), c.number)), fits);
    std::string longer(c.capacity + 40, 'b');
    EXPECT_FALSE(schema_set_field(schema.get(), c.number, longer.c_str()));
    EXPECT_EQ(std::strlen(schema_field(schema.get(), c.number)), c.capacity - 1);
    EXPECT_FALSE(schema_set_field(schema.get(), c.number + 100, "x")) << "no such field";
    // The byte after the field is still the next field's own.
    EXPECT_TRUE(schema_set_field(schema.get(), c.number, nullptr));
    EXPECT_STREQ(schema_field(schema.get(), c.number), "");
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldCapacity,
                         testing::Values(FieldCase{FIELD_DOCNUMBER, 128}, FieldCase{FIELD_REVCODE, 32},
                                         FieldCase{FIELD_COMPANYADDR3, 128},
                                         FieldCase{FIELD_FILENAME, 128}, FieldCase{FIELD_CREATDATE, 32},
                                         FieldCase{FIELD_MODIFDATE, 32}, FieldCase{FIELD_FOLIO, 32},
                                         FieldCase{FIELD_NBFOLIO, 32}, FieldCase{FIELD_USER1, 128},
                                         FieldCase{FIELD_USER1 + 9, 128}));

TEST_F(SchemaRecord, CutNeverSplitsAUtf8Sequence) {
    char field[6];
    EXPECT_FALSE(copy_field(field, sizeof field, "abcd\xC3\xA9xyz"));  // "abcdé..."
    EXPECT_STREQ(field, "abcd");
}

TEST_F(SchemaRecord, SheetSizeCodesOutsideTheTableReadAsTheFirstButAreKept) {
    EXPECT_STREQ(sheet_size_name(5), "A4 ");
    EXPECT_STREQ(sheet_size_name(9), "A0 ");
    EXPECT_STREQ(sheet_size_name(10), "A ");
    EXPECT_STREQ(sheet_size_name(-4), "A ");
    SchemaPtr schema(new_Schema());
    schema->sheet_size = 42;
    EXPECT_EQ(schema_sheet_size(schema.get()), 42);
    Point extent = schema_sheet_extent(schema.get());
    EXPECT_EQ(extent.x, proper_get(SIZE_SHEETW, 0) * 10);
    schema_build_outline(schema.get());  // no table read past its end
    proper_set(SHEET_SIZE, 3, 0);
    EXPECT_EQ(schema_sheet_size(nullptr), 3);
}

struct FillCase {
    const char* name;
    int field;
    int size_code;
    bool template_mode;
    const char* expected;
};

class FieldTexts : public SheetTest, public testing::WithParamInterface<FillCase> {};

TEST_P(FieldTexts, TextFillField) {
    SchemaPtr schema(new_Schema());
    schema->sheet_size = static_cast<int8_t>(GetParam().size_code);
    schema_set_field(schema.get(), FIELD_TITLE, "Main board");
    schema_set_field(schema.get(), FIELD_USER1 + 9, "user ten");
    Text* text = new_Text();
    text->string = "old";
    text->field = GetParam().field;
    text_fill_field(schema.get(), text, GetParam().template_mode);
    EXPECT_EQ(text->string, GetParam().expected);
    free_Text(text, false);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldTexts,
    testing::Values(FillCase{"size_a4", FIELD_SHEETSIZE, 5, false, "A4 "},
                    FillCase{"size_template", FIELD_SHEETSIZE, 5, true, "<Size>"},
                    FillCase{"size_out_of_table", FIELD_SHEETSIZE, 12, false, "A "},
                    FillCase{"title", FIELD_TITLE, 0, false, "Main board"},
                    FillCase{"user10", FIELD_USER1 + 9, 0, false, "user ten"},
                    FillCase{"creation_date", FIELD_CREATDATE, 0, false, "XXXXXX"},
                    FillCase{"no_field", 0, 0, false, "old"},
                    FillCase{"beyond_fields", 28, 0, false, "old"}),
    [](const testing::TestParamInfo<FillCase>& info) { return info.param.name; });

TEST_F(SchemaRecord, AnUnchangedFieldTextIsNotLaidOutAgain) {
    SchemaPtr schema(new_Schema());
    schema_set_field(schema.get(), FIELD_TITLE, "T");
    Text* text = new_Text();
    text->field = FIELD_TITLE;
    set_TextSize(&text->size, 600);
    text_fill_field(schema.get(), text, false);
    Stroke* layout = text->layout;
    ASSERT_NE(layout, nullptr);
    text_fill_field(schema.get(), text, false);
    EXPECT_EQ(text->layout, layout);
    free_Text(text, false);
}

TEST_F(SchemaRecord, OutlineAndFrameHaveTheSheetsSize) {
    SchemaPtr schema(new_Schema());
    schema->sheet_size = 1;
    int32_t w = proper_get(SIZE_SHEETW, 1) * 10, h = proper_get(SIZE_SHEETH, 1) * 10;
    schema_build_outline(schema.get());
    ASSERT_NE(schema->border, nullptr);
    ASSERT_EQ(schema->border->items->count, 1u);
    Rect r;
    ASSERT_TRUE(bounds_Vectors(schema.get(), schema->border, &r, false));
    EXPECT_EQ(r.x + r.w / 2, w / 2);

    schema_build_frame(schema.get());
    ASSERT_EQ(schema->border->items->count, 16u) << "two rectangles and fourteen ticks";
    auto items = schema->border->items;
    const Boite* outer = as_Rect(static_cast<SchItem*>(items->head->data));
    EXPECT_EQ(outer->corner, (Point{w, h}));
    const Boite* inner = as_Rect(static_cast<SchItem*>(items->head->next->data));
    TextSize size;
    set_TextSize(&size, font_height(FONT_BORDERTXT));
    int32_t m = size.height + 200;
    EXPECT_EQ(inner->pos, (Point{m, m}));
    const Line* tick = as_Line(static_cast<SchItem*>(items->head->next->next->data));
    EXPECT_EQ(tick->pos, (Point{w / 8, 0}));
    EXPECT_EQ(tick->end, (Point{w / 8, m}));
    const Line* last = as_Line(static_cast<SchItem*>(items->tail->data));
    EXPECT_EQ(last->pos, (Point{0, h * 7 / 8}));
}

TEST_F(SchemaRecord, BoundsCoverSheetMarksPortsAndTitleBlock) {
    SchemaPtr schema = make_schema();
    Rect r{5, 5, 5, 5};
    EXPECT_FALSE(bounds_Schema(schema.get(), &r)) << "an empty document";
    EXPECT_EQ(r, (Rect{5, 5, 5, 5}));
    NoCon* mark = new_NoCon();
    mark->pos = Point{1000, 1000};
    dlist_append(schema->sheet->items, mark);
    schema->erc_list = list_new();
    ErcMark* erc = new_ErcMark();
    erc->pos = Point{-5000, 0};
    dlist_append(schema->erc_list, erc);
    Line* frame = new_Line();
    frame->pos = Point{0, 90000};
    frame->end = Point{100, 90000};
    dlist_append(schema->titleblock.drawing, frame);
    ASSERT_TRUE(bounds_Schema(schema.get(), &r));
    EXPECT_LE(r.x, -5000);
    EXPECT_GE(r.y + r.h, 90000);
    EXPECT_EQ(schema->titleblock.bounds.y, 90000 - 50) << "recomputed from its lists";
}

TEST_F(SchemaRecord, ViewHooksAnswerForTheDocument) {
    reset_view_document_hooks();
    SchemaPtr schema = make_schema();  // installs them again
    schema->sheet_size = 7;
    view_zoom_all(schema.get());  // no canvas: nothing happens, nothing breaks
    Point p{2000000000, 2000000000};
    schema->view.cursor_in_sheet = 1;
    EXPECT_TRUE(view_clip_point(&schema->view, &p, schema.get()));
    EXPECT_EQ(p, schema_sheet_extent(schema.get())) << "the sheet of size code 7";
    schema->sheet_size = 77;  // outside the table: the first size
    p = Point{2000000000, 2000000000};
    view_clip_point(&schema->view, &p, schema.get());
    EXPECT_EQ(p, (Point{proper_get(SIZE_SHEETW, 0) * 10, proper_get(SIZE_SHEETH, 0) * 10}));
}

TEST_F(SchemaRecord, FlagAndSelectWalkEverythingTheyShould) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    schema->ports = list_new();
    dlist_append(schema->ports, new_Port());
    schema->erc_list = list_new();
    dlist_append(schema->erc_list, new_ErcMark());
    {
        FlagOpScope scope(STATE_SELECTED, FLAGOP_OR);
        flag_Schema(schema.get());
    }
    EXPECT_NE(schema->sheet->state & STATE_SELECTED, 0u);
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        EXPECT_NE(item->state & STATE_SELECTED, 0u) << item_name(item->type);
    EXPECT_NE(static_cast<SchItem*>(schema->ports->head->data)->state & STATE_SELECTED, 0u);
    EXPECT_NE(static_cast<SchItem*>(schema->erc_list->head->data)->state & STATE_SELECTED, 0u);

    EXPECT_FALSE(select_Schema(schema.get(), 0x10000, FLAGOP_OR, 0)) << "no selection area";
    view_set_select_rect(&schema->view, Rect{24000, 4000, 3000, 3000});
    schema->view.select_active = 1;
    EXPECT_TRUE(select_Schema(schema.get(), 0x10000, FLAGOP_OR, 0));
    int marked = 0;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) marked += (item->state & 0x10000) != 0;
    EXPECT_EQ(marked, 2) << "the power symbol and the no-connect mark";
}

TEST_F(SchemaRecord, EditPartIsTheFirstPlacedPartsLibraryPart) {
    SchemaPtr schema = make_schema();
    EXPECT_EQ(schema_get_edit_part(schema.get()), nullptr);
    dlist_append(schema->sheet->items, new_Line());
    EXPECT_EQ(list_first_part(schema->sheet->items), nullptr);
    Part* part = add_library_part(schema.get(), "LM358");
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set("LM358");
    dlist_append(schema->sheet->items, placed);
    EXPECT_EQ(list_first_part(schema->sheet->items), placed);
    EXPECT_EQ(schema_get_edit_part(schema.get()), part);
}

// Under the sanitizer build a leak of anything the document holds fails here.
TEST_F(SchemaRecord, FreeingARichDocumentReleasesEverything) {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    add_titleblock(schema.get());
    schema->ports = list_new();
    dlist_append(schema->ports, new_Port());
    schema->erc_list = list_new();
    dlist_append(schema->erc_list, new_ErcMark());
    schema->fonts = list_new();
    Font* font = new_Font();
    font->number = 1;
    dlist_append(schema->fonts, font);
    schema_build_frame(schema.get());
    schema->border2 = new_Vectors();
    schema->border_text[0] = text_layout("A", Point{}, TextSize{600, 900}, 0, 0, 100, nullptr, true);
    view_set_tag_name(&schema->view, 0, "tag");
    view_set_select_rect(&schema->view, Rect{0, 0, 100, 100});
    view_make_select_edges(&schema->view);
    EditState& edit = schema->edit;
    edit.edit_list = list_new();
    dlist_append(edit.edit_list, schema->sheet->items->head->data);
    edit.side_list = list_new();
    edit.undo_list = list_new();
    edit.search_list = list_new();
    dlist_append(edit.search_list, schema->sheet->items->tail->data);
    edit.paste_list = list_new();
    dlist_append(edit.paste_list, new_Line());
    dlist_append(edit.paste_list, copy_TitleBlock(schema.get(), &schema->titleblock));
    edit.part_copy = new_Part();
    ref_Part(edit.part_copy);

    Schema* raw = schema.release();
    EXPECT_TRUE(free_Schema(raw, true));
    EXPECT_EQ(raw->sheet, nullptr);
    EXPECT_EQ(raw->library, nullptr);
    EXPECT_EQ(raw->fonts, nullptr);
    EXPECT_EQ(raw->edit.paste_list, nullptr);
    EXPECT_EQ(raw->titleblock.drawing, nullptr);
    EXPECT_TRUE(raw->view.tag_names[0].empty());
    EXPECT_TRUE(raw->view.select.empty());
    EXPECT_FALSE(free_Schema(raw, false));
}

}  // namespace
