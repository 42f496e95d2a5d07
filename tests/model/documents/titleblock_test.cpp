// The title block: its file and record forms, its source form, damaged
// files, and the rules of its bounds, copies and selection.
#include <gtest/gtest.h>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/compil.h"
#include "model/documents/fonts.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/view.h"
#include "support/test_env.h"

using namespace sheet_test;

namespace {

class TitleBlocks : public SheetTest {};

// A document whose title block has controls, a drawing and a text in a
// document font.
SchemaPtr sample_document() {
    SchemaPtr schema = make_schema();
    add_titleblock(schema.get());
    schema_set_field(schema.get(), FIELD_TITLE, "Power supply");
    schema_set_field(schema.get(), FIELD_DOCNUMBER, "D-1001");
    schema_set_field(schema.get(), FIELD_COMPANYNAME, "<Company>");  // a placeholder
    schema_set_field(schema.get(), FIELD_USER1 + 2, "it's mine");
    schema->sheet_size = 5;
    add_font(&schema->fonts, 1, "Arial");
    as_Text(static_cast<SchItem*>(schema->titleblock.drawing->tail->data))->font = 11;
    titleblock_bounds(schema.get());
    return schema;
}

Bytes file_bytes(Schema* schema, bool with_header = true) {
    return bytes_written([&](FILE* f) {
        EXPECT_EQ(write_titleblock_file(schema, &schema->titleblock, f, with_header), 0);
    });
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents/sheet before committing it.
TEST_F(TitleBlocks, FileAndSourceMatchTheGoldenFiles) {
    SchemaPtr schema = sample_document();
    expect_golden(sheet_golden("titleblock.tmp"), file_bytes(schema.get()));
    expect_golden(sheet_golden("titleblock_record.bin"), file_bytes(schema.get(), false));
    expect_golden(sheet_golden("titleblock.txt"),
                  text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 0); }));
}

TEST_F(TitleBlocks, FileReadsBackIntoAnotherDocument) {
    SchemaPtr schema = sample_document();
    SchemaPtr other = make_schema();
    add_font(&other->fonts, 1, "Courier");  // number 1 is taken by another face
    StreamPtr stream = stream_of(golden(sheet_golden("titleblock.tmp")));
    ASSERT_EQ(read_titleblock_file(other.get(), &other->titleblock, stream.get()), 0);
    EXPECT_TRUE(rest_of(stream.get()).empty());
    TitleBlock& read = other->titleblock;
    EXPECT_EQ(read.bounds, schema->titleblock.bounds);
    EXPECT_TRUE(compare_ItemList(read.fields, schema->titleblock.fields));
    ASSERT_EQ(read.drawing->count, schema->titleblock.drawing->count);
    for (Item* control : list_items<Item>(read.fields))
        EXPECT_EQ(control->flags & TEXT_TYPE_MASK, TBLOCK);
    ASSERT_EQ(other->fonts->count, 2u) << "the incoming Arial joins the table";
    Text* text = as_Text(static_cast<SchItem*>(read.drawing->tail->data));
    EXPECT_EQ(text->font, 12) << "renumbered to the free number 2";
    EXPECT_EQ(text->fonts, other->fonts);

    SchemaPtr bare = make_schema();  // the record alone, as a schema file embeds it
    StreamPtr record = stream_of(golden(sheet_golden("titleblock_record.bin")));
    ASSERT_EQ(read_titleblock_file(bare.get(), &bare->titleblock, record.get()), 0);
    EXPECT_TRUE(compare_ItemList(bare->titleblock.fields, schema->titleblock.fields));
    EXPECT_EQ(bare->titleblock.drawing->count, 4u);
    EXPECT_EQ(bare->fonts, nullptr);
}

TEST_F(TitleBlocks, FileWithoutFontsLeavesTheDocumentsFontsAlone) {
    SchemaPtr schema = sample_document();
    schema_free_fonts(schema.get());
    Bytes bytes = file_bytes(schema.get());
    SchemaPtr other = make_schema();
    Font* kept = add_font(&other->fonts, 3, "Courier");
    StreamPtr stream = stream_of(bytes);
    ASSERT_EQ(read_titleblock_file(other.get(), &other->titleblock, stream.get()), 0);
    ASSERT_EQ(other->fonts->count, 1u);
    EXPECT_EQ(other->fonts->head->data, kept);
}

TEST_F(TitleBlocks, AnotherRecordIsPushedBackAndTheBlockUntouched) {
    SchemaPtr schema = sample_document();
    List* fields = schema->titleblock.fields;
    StreamPtr stream = stream_of({0xD1, 'b'});
    EXPECT_EQ(read_titleblock_file(schema.get(), &schema->titleblock, stream.get()), NOT_MY_TAG);
    EXPECT_EQ(rest_of(stream.get()), (Bytes{0xD1, 'b'}));
    EXPECT_EQ(schema->titleblock.fields, fields);
}

// Under the sanitizer build every cut must end cleanly and leak nothing.
TEST_F(TitleBlocks, EveryCutOfTheFileIsAnError) {
    Bytes full = golden(sheet_golden("titleblock.tmp"));
    for (size_t n = 0; n < full.size(); ++n) {
        SchemaPtr schema = make_schema();
        StreamPtr stream = stream_of(Bytes(full.begin(), full.begin() + n));
        int result = read_titleblock_file(schema.get(), &schema->titleblock, stream.get());
        EXPECT_NE(result, 0) << "cut at " << n;
    }
}

TEST_F(TitleBlocks, DamagedBytesNeverCrash) {
    Bytes full = golden(sheet_golden("titleblock_record.bin"));
    for (size_t i = 0; i < full.size(); ++i) {
        for (unsigned char value : {0x00, 0xE0, 0xC7, 0xFF, 0x6B, 0x20}) {
            Bytes damaged = full;
            damaged[i] = value;
            SchemaPtr schema = make_schema();
            StreamPtr stream = stream_of(damaged);
            read_titleblock_file(schema.get(), &schema->titleblock, stream.get());
        }
    }
}

TEST_F(TitleBlocks, ListEndsAreChecked) {
    // 'i', flags, bounds, one byte that is neither a text nor the end.
    Bytes bytes = {'i', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xC5};
    SchemaPtr schema = make_schema();
    StreamPtr stream = stream_of(bytes);
    EXPECT_EQ(read_titleblock_file(schema.get(), &schema->titleblock, stream.get()), READ_ERROR);
    bytes.back() = LIST_END;
    bytes.push_back(0x01);  // the drawing list ends with no end byte
    StreamPtr again = stream_of(bytes);
    EXPECT_EQ(read_titleblock_file(schema.get(), &schema->titleblock, again.get()), READ_ERROR);
}

TEST_F(TitleBlocks, OlderFormKeepsItsDrawingInAVectorSet) {
    Bytes bytes = {'i', 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, LIST_END, ' ', '!'};
    SchemaPtr scratch = make_schema();
    Line* line = new_Line();
    line->end = Point{100, 100};
    Bytes record = bytes_written([&](FILE* f) { write_Line(line, f, 0); });
    free_Line(line, false);
    bytes.insert(bytes.end(), record.begin(), record.end());
    bytes.push_back(LIST_END);
    SchemaPtr schema = make_schema();
    StreamPtr stream = stream_of(bytes);
    ASSERT_EQ(read_titleblock_file(schema.get(), &schema->titleblock, stream.get()), 0);
    EXPECT_EQ(schema->titleblock.flags, 0x02);
    ASSERT_EQ(schema->titleblock.drawing->count, 1u);
    EXPECT_EQ(static_cast<SchItem*>(schema->titleblock.drawing->head->data)->type, LINE_ITEM);
}

TEST_F(TitleBlocks, ABlockWithoutDrawingIsNotSavedAndTheOldFileStays) {
    tn_test::TempDir dir;
    std::string path = dir.file("frame.tmp");
    tn_test::write_text(path, "old");
    SchemaPtr schema = sample_document();
    free_SchItem_list(schema.get(), &schema->titleblock.drawing);
    {
        AtomicFile out(path.c_str());
        ASSERT_TRUE(out.is_open());
        EXPECT_EQ(write_titleblock_file(schema.get(), &schema->titleblock, out.stream(), true), 6);
        EXPECT_EQ(std::ftell(out.stream()), 0) << "nothing written";
    }  // not committed
    EXPECT_EQ(tn_test::read_text(path), "old");

    SchemaPtr saved = sample_document();
    free_SchItem_items(saved.get(), saved->titleblock.drawing);  // empty, but present
    AtomicFile out(path.c_str());
    ASSERT_EQ(write_titleblock_file(saved.get(), &saved->titleblock, out.stream(), true), 0);
    ASSERT_EQ(out.commit(), 0);
    SchemaPtr back = make_schema();
    FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(read_titleblock_file(back.get(), &back->titleblock, in), 0);
    std::fclose(in);
    EXPECT_EQ(back->titleblock.drawing->count, 0u);
}

TEST_F(TitleBlocks, SourceIsAcceptedByTheGrammarAndLeavesPlaceholdersOut) {
    SchemaPtr schema = sample_document();
    std::string text = text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 0); });
    EXPECT_EQ(text.find("<Company>"), std::string::npos);
    EXPECT_NE(text.find("(SHEETSIZE 'A4 ' )"), std::string::npos);
    EXPECT_NE(text.find("'it''s mine'"), std::string::npos);
    EXPECT_EQ(compile_source(text, COMPIL_TITLEBLOCK), 0) << text;
    // Inside a schematic: no fonts block of its own.
    std::string nested = text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 1); });
    EXPECT_EQ(nested.find("(FONTS"), std::string::npos);
    EXPECT_EQ(compile_source("(SCHEMATIC\n" + nested + ")\n", COMPIL_SCHEMATIC), 0);
}

TEST_F(TitleBlocks, AControlWithAFieldOutsideTheTableWritesNoFieldClause) {
    SchemaPtr schema = make_schema();
    Text* control = new_Text();
    control->flags = TBLOCK;
    control->field = 30;
    dlist_append(schema->titleblock.fields, control);
    std::string text = text_written([&](FILE* f) { awrite_TitleBlock(schema.get(), f, 0); });
    EXPECT_EQ(text.find("TBLOCK"), std::string::npos) << text;
    EXPECT_EQ(compile_source(text, COMPIL_TITLEBLOCK), 0);
}

TEST_F(TitleBlocks, BoundsUniteBothListsAndEmptyListsAnswerNothing) {
    SchemaPtr schema = make_schema();
    schema->titleblock.bounds = Rect{1, 2, 3, 4};
    EXPECT_FALSE(titleblock_bounds(schema.get()));
    EXPECT_EQ(schema->titleblock.bounds, (Rect{1, 2, 3, 4}));
    Boite* box = new_Rect();
    box->pos = Point{0, 0};
    box->corner = Point{1000, 1000};
    dlist_append(schema->titleblock.drawing, box);
    ASSERT_TRUE(titleblock_bounds(schema.get()));
    EXPECT_EQ(schema->titleblock.bounds, (Rect{-50, -50, 1100, 1100}));
    Line* far = new_Line();
    far->pos = Point{5000, 0};
    far->end = Point{6000, 0};
    dlist_append(schema->titleblock.fields, far);
    ASSERT_TRUE(titleblock_bounds(schema.get()));
    EXPECT_EQ(schema->titleblock.bounds.x + schema->titleblock.bounds.w, 6050);
}

TEST_F(TitleBlocks, CopiesAndSetOwnTheirItems) {
    SchemaPtr schema = sample_document();
    TitleBlock* copy = copy_TitleBlock(schema.get(), &schema->titleblock);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->bounds, schema->titleblock.bounds);
    EXPECT_TRUE(compare_ItemList(copy->fields, schema->titleblock.fields));
    SchemaPtr other = make_schema();
    schema_set_titleblock(other.get(), copy);
    free_SchItem(schema.get(), copy, false);
    EXPECT_EQ(other->titleblock.type, TITLEBLOCK_ITEM);
    EXPECT_EQ(other->titleblock.drawing->count, 4u);
    EXPECT_TRUE(compare_ItemList(other->titleblock.fields, schema->titleblock.fields));
    // Freeing the embedded block through the dispatcher keeps the record.
    free_SchItem(other.get(), &other->titleblock, false);
    EXPECT_EQ(other->titleblock.fields, nullptr);
}

TEST_F(TitleBlocks, SelectionNeedsTheMaskAndACornerInTheArea) {
    SchemaPtr schema = sample_document();
    TitleBlock* block = &schema->titleblock;
    View* view = &schema->view;
    EXPECT_FALSE(select_TitleBlock(view, schema.get(), block, 0x10000, FLAGOP_OR, 0));
    Rect b = block->bounds;
    view_set_select_rect(view, Rect{b.x - 10, b.y - 10, 100, 100});
    view->select_active = 1;
    EXPECT_FALSE(select_TitleBlock(view, schema.get(), block, 0x10000, FLAGOP_OR, STATE_SELECTED));
    EXPECT_TRUE(select_TitleBlock(view, schema.get(), block, 0x10000, FLAGOP_OR, 0));
    EXPECT_EQ(block->state & (0x10000 | STATE_BOTH_ENDS), 0x10000u | STATE_BOTH_ENDS);
    view_set_select_rect(view, Rect{b.x + 10, b.y + 10, 100, 100});
    view->select_active = 1;
    EXPECT_FALSE(select_TitleBlock(view, schema.get(), block, 0x20000, FLAGOP_OR, 0));
}

}  // namespace
