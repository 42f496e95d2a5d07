// The paste file: its three forms (golden files), copy and paste between
// documents, and damaged files.
//
// Golden files live in tests/data/model/documents/paste. To regenerate them
// run the documents tests with TN_UPDATE_GOLDEN=1 in the environment, then
// review the diff of that folder before committing it: the paste file is
// exchanged between program instances and its bytes must not drift.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/edit_state.h"
#include "model/documents/fonts.h"
#include "model/documents/ident.h"
#include "model/documents/paste.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "support/test_env.h"

using namespace sheet_test;
namespace fs = std::filesystem;

namespace {

std::string golden_name(const char* name) { return std::string("paste/") + name; }

SchItem* first_of(List* items, int code, uint8_t flags = 0xFF) {
    for (SchItem* item : list_items<SchItem>(items))
        if (item->type == code && (flags == 0xFF || item->flags == flags)) return item;
    return nullptr;
}

std::vector<int> codes_of(List* items) {
    std::vector<int> codes;
    for (SchItem* item : list_items<SchItem>(items)) codes.push_back(item->type);
    return codes;
}

void select(Schema* schema, std::initializer_list<SchItem*> items) {
    if (!schema->edit.edit_list) schema->edit.edit_list = list_new();
    for (SchItem* item : items) dlist_append(schema->edit.edit_list, item);
}

Font* add_font(Schema* schema, int number, const char* face) {
    Font* font = new_Font();
    font->number = number;
    font->size = 120;
    font->weight = 400;
    font_set_face(font, face);
    if (!schema->fonts) schema->fonts = list_new();
    dlist_append(schema->fonts, font);
    return font;
}

// A sheet with one record of every kind, a port, a title block and a text
// in document font 1.
SchemaPtr sheet_document() {
    SchemaPtr schema = make_schema();
    add_every_kind(schema.get());
    add_titleblock(schema.get());
    add_font(schema.get(), 1, "Arial");
    Text* note = new_Text();
    note->string = "NOTE";
    note->font = FONT_ID_BASE + 1;
    note->pos = Point{5000, 25000};
    set_TextSize(&note->size, 800);
    dlist_append(schema->sheet->items, note);
    schema->ports = list_new();
    Port* port = new_Port();
    port->name.set("RESET");
    port->pos = Point{0, 40000};
    dlist_append(schema->ports, port);
    return schema;
}

// The selection of the sheet golden file: a wire, the placed part, the text
// in a document font, the port and the title block.
void select_sheet_pieces(Schema* schema) {
    List* items = schema->sheet->items;
    select(schema, {first_of(items, LINE_ITEM, 0), first_of(items, PARTLIB_ITEM),
                    first_of(items, TEXT_ITEM, 0), static_cast<SchItem*>(schema->ports->head->data),
                    &schema->titleblock});
}

// A library document: the part being edited placed at (10000, 10000).
SchemaPtr library_document() {
    SchemaPtr schema = make_schema();
    add_library_part(schema.get(), "7400");
    PlacedPart* pl = new_PlacedPart();
    pl->part_name.set("7400");
    pl->pos = Point{10000, 10000};
    pl->time_stamp = 0x01020304;
    dlist_append(schema->sheet->items, pl);
    return schema;
}

// Picks the body's left side and pin A together and selects the pieces.
void select_left_pieces(Schema* schema) {
    List* picked = nullptr;
    ASSERT_TRUE(pick_part_pieces_at(schema, Point{9950, 11000}, &picked, STATE_SELECTED));
    select(schema, {static_cast<SchItem*>(picked->head->data)});
    schema->edit.paste_list = picked;  // owned there: released with the document
}

Bytes file_of(Schema* schema, int kind) {
    return bytes_written(
        [&](FILE* stream) { EXPECT_EQ(write_paste_file(schema, kind, stream), 0); });
}

class PasteFile : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        saved_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(saved_);
        SheetTest::TearDown();
    }
    static void put(const Bytes& bytes) { tn_test::write_bytes(PASTE_FILE_NAME, bytes); }

private:
    tn_test::TempDir dir_;
    fs::path saved_;
};

// --- the file forms ----------------------------------------------------------------------------

TEST_F(PasteFile, GoldenFiles) {
    SchemaPtr doc = sheet_document();
    select_sheet_pieces(doc.get());
    expect_golden(golden_name("sheet_selection.bin"), file_of(doc.get(), PASTE_SCHEMA));

    // Only a wire: the identification blocks, the sheet and one reference.
    doc = sheet_document();
    select(doc.get(), {first_of(doc->sheet->items, LINE_ITEM, 0)});
    expect_golden(golden_name("wire_only.bin"), file_of(doc.get(), PASTE_SCHEMA));

    doc = make_schema();
    add_titleblock(doc.get());
    add_font(doc.get(), 1, "Arial");
    Text* field = static_cast<Text*>(doc->titleblock.fields->head->data);
    field->font = FONT_ID_BASE + 1;
    select(doc.get(), {first_of(doc->titleblock.drawing, LINE_ITEM), field});
    expect_golden(golden_name("titleblock.bin"), file_of(doc.get(), PASTE_TITLEBLOCK));

    doc = library_document();
    select_left_pieces(doc.get());
    expect_golden(golden_name("library_pieces.bin"), file_of(doc.get(), PASTE_LIBRARY));
}

TEST_F(PasteFile, WritersGoThroughTheFileAndRefuseWhatTheyCannotWrite) {
    SchemaPtr doc = sheet_document();
    select(doc.get(), {first_of(doc->sheet->items, LINE_ITEM, 0)});
    EXPECT_EQ(write_paste_library(doc.get()), nullptr) << "a wire is no part piece";
    EXPECT_FALSE(fs::exists(PASTE_FILE_NAME));
    ASSERT_STREQ(write_paste_schema(doc.get()), PASTE_FILE_NAME);
    EXPECT_EQ(tn_test::read_bytes(PASTE_FILE_NAME), file_of(doc.get(), PASTE_SCHEMA));
}

// The file lies in the working folder, which may be a project from someone
// else: a Copy replaces only a paste file there, and follows a link only
// to one.
TEST_F(PasteFile, TheFileReplacesOnlyAPasteFileAndFollowsNoLinkToAnotherFile) {
    SchemaPtr doc = sheet_document();
    select(doc.get(), {first_of(doc->sheet->items, LINE_ITEM, 0)});
    fs::create_directory("work");
    tn_test::write_text("notes.txt", "notes");
    ASSERT_STREQ(write_paste_schema(doc.get()), PASTE_FILE_NAME);
    fs::rename(PASTE_FILE_NAME, "shared.#01");
    fs::current_path("work");
    tn_test::write_text(PASTE_FILE_NAME, "the user's own");
    EXPECT_EQ(write_paste_schema(doc.get()), nullptr);
    EXPECT_EQ(tn_test::read_text(PASTE_FILE_NAME), "the user's own");
    fs::remove(PASTE_FILE_NAME);
    fs::create_symlink("../notes.txt", PASTE_FILE_NAME);
    EXPECT_EQ(write_paste_schema(doc.get()), nullptr);
    EXPECT_EQ(tn_test::read_text("../notes.txt"), "notes");
    fs::remove(PASTE_FILE_NAME);
    fs::create_symlink("../new.#01", PASTE_FILE_NAME);
    EXPECT_EQ(write_paste_schema(doc.get()), nullptr);
    EXPECT_FALSE(fs::exists("../new.#01"));
    // A link to a paste file is followed only inside the folder.
    fs::remove(PASTE_FILE_NAME);
    fs::create_symlink("../shared.#01", PASTE_FILE_NAME);
    EXPECT_EQ(write_paste_schema(doc.get()), nullptr);
    fs::rename("../shared.#01", "shared.#01");
    fs::remove(PASTE_FILE_NAME);
    fs::create_symlink("shared.#01", PASTE_FILE_NAME);
    ASSERT_STREQ(write_paste_schema(doc.get()), PASTE_FILE_NAME);
    EXPECT_TRUE(fs::is_symlink(PASTE_FILE_NAME));
    fs::current_path("..");
}

// --- copy and paste ----------------------------------------------------------------------------

// Every object id of a list's records (and of a title block's lists).
void collect_ids(List* items, std::multiset<uint32_t>* ids) {
    for (SchItem* item : list_items<SchItem>(items)) {
        ids->insert(item->id);
        if (item->type == TITLEBLOCK_ITEM) {
            collect_ids(as_TitleBlock(item)->fields, ids);
            collect_ids(as_TitleBlock(item)->drawing, ids);
        }
    }
}

TEST_F(PasteFile, SheetSelectionPastesCopiesWithFreshIdsIntoAnotherDocument) {
    SchemaPtr source = sheet_document();
    select_sheet_pieces(source.get());
    ASSERT_STREQ(write_paste_schema(source.get()), PASTE_FILE_NAME);

    SchemaPtr doc = sheet_document();  // the same ids: a second window of the same file
    Font* own = static_cast<Font*>(doc->fonts->head->data);
    font_set_face(own, "Courier");  // its font 1 is another font
    ASSERT_EQ(read_paste_schema(doc.get(), PASTE_FILE_NAME, PASTE_SCHEMA), 0);

    List* pasted = doc->edit.paste_list;
    ASSERT_EQ(codes_of(pasted),
              (std::vector<int>{LINE_ITEM, PARTLIB_ITEM, TEXT_ITEM, PORT_ITEM, TITLEBLOCK_ITEM}));
    std::multiset<uint32_t> old_ids, new_ids;
    collect_ids(doc->sheet->items, &old_ids);
    collect_ids(source->sheet->items, &old_ids);
    collect_ids(doc->titleblock.fields, &old_ids);
    collect_ids(doc->titleblock.drawing, &old_ids);
    collect_ids(pasted, &new_ids);
    for (uint32_t id : new_ids) {
        EXPECT_NE(id, 0u);
        EXPECT_EQ(new_ids.count(id), 1u) << "id " << id;
        EXPECT_EQ(old_ids.count(id), 0u) << "id " << id << " taken by a document record";
    }

    auto item = [&](int i) {
        DListNode* node = dlist_head(pasted);
        while (i-- > 0) node = dlist_next(node);
        return static_cast<SchItem*>(node->data);
    };
    EXPECT_TRUE(compare_Item(item(0), first_of(source->sheet->items, LINE_ITEM, 0)));
    PlacedPart* pl = as_PlacedPart(item(1));
    EXPECT_STREQ(pl->part_name.get(), "7400");
    EXPECT_NE(pl_get_part(doc->library, pl), nullptr) << "its library part came along";
    Text* note = as_Text(item(2));
    EXPECT_EQ(note->string, "NOTE");
    EXPECT_EQ(note->fonts, doc->fonts);
    Font* font = font_find(doc->fonts, note->font - FONT_ID_BASE);
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->face_name, "Arial") << "renumbered to the merged font";
    EXPECT_STREQ(as_Port(item(3))->name.get(), "RESET");
    TitleBlock* block = as_TitleBlock(item(4));
    EXPECT_NE(block, &doc->titleblock);
    EXPECT_EQ(block->fields->count, 3u);
    EXPECT_EQ(block->drawing->count, 4u);
    EXPECT_EQ(block->state & STATE_NEW, 0u);
}

TEST_F(PasteFile, APastedTitleBlockReplacesTheSheetsOwnOnlyWhenAgreed) {
    SchemaPtr doc = make_schema();
    add_titleblock(doc.get());
    SchemaPtr scratch = make_schema();
    add_titleblock(scratch.get());
    const uint32_t controls = doc->titleblock.fields->count;
    ASSERT_GT(controls, 0u);

    script_answers({ANSWER_NO});
    EXPECT_FALSE(paste_titleblock(doc.get(), scratch.get()));
    EXPECT_EQ(last_box_text(), "Ok to remove existing Title Block ?");
    EXPECT_EQ(doc->titleblock.fields->count, controls) << "kept when the user declines";

    EXPECT_EQ(doc->edit.paste_list, nullptr);

    // Agreed, the pasted block waits on the paste list; the sheet's own
    // stays until the editor places the pasted one.
    script_answers({ANSWER_YES});
    EXPECT_TRUE(paste_titleblock(doc.get(), scratch.get()));
    EXPECT_EQ(codes_of(doc->edit.paste_list), (std::vector<int>{TITLEBLOCK_ITEM}));
    EXPECT_EQ(doc->titleblock.fields->count, controls);
    EXPECT_EQ(doc->titleblock.drawing->count, 4u);
}

TEST_F(PasteFile, TitleBlockEditorKeepsDrawingAndDropsWiring) {
    SchemaPtr source = sheet_document();
    for (SchItem* item : list_items<SchItem>(source->sheet->items)) select(source.get(), {item});
    ASSERT_STREQ(write_paste_schema(source.get()), PASTE_FILE_NAME);
    SchemaPtr doc = make_schema();
    EXPECT_EQ(read_paste_titleblock(doc.get(), PASTE_FILE_NAME, PASTE_LIBRARY), 0);
    EXPECT_EQ(doc->edit.paste_list, nullptr) << "a kind it does not take";
    ASSERT_EQ(read_paste_titleblock(doc.get(), PASTE_FILE_NAME, PASTE_SCHEMA), 0);
    // Of every kind of add_every_kind: the fill, the filled circle, the
    // rectangle, the dashed drawn line, the arc and the note; not the wire,
    // the bus, the label, the part or the other records.
    EXPECT_EQ(codes_of(doc->edit.paste_list), (std::vector<int>{FILL_ITEM, CIRCLE_ITEM, BOITE_ITEM,
                                                                LINE_ITEM, ARC_ITEM, TEXT_ITEM}));
    EXPECT_EQ(first_of(doc->edit.paste_list, LINE_ITEM)->flags, DRAW | 0x04);
    // A fill comes with the edges that bound it.
    EXPECT_EQ(as_Fill(first_of(doc->edit.paste_list, FILL_ITEM))->items->count, 3u);
}

TEST_F(PasteFile, TitleBlockItemsRoundTrip) {
    SchemaPtr source = make_schema();
    add_titleblock(source.get());
    Text* field = static_cast<Text*>(source->titleblock.fields->head->data);
    SchItem* line = first_of(source->titleblock.drawing, LINE_ITEM);
    select(source.get(), {line, field});
    ASSERT_STREQ(write_paste_titleblock(source.get()), PASTE_FILE_NAME);
    SchemaPtr doc = make_schema();
    ASSERT_EQ(read_paste_titleblock(doc.get(), PASTE_FILE_NAME, PASTE_TITLEBLOCK), 0);
    ASSERT_EQ(codes_of(doc->edit.paste_list), (std::vector<int>{LINE_ITEM, TEXT_ITEM}));
    SchItem* pasted_line = static_cast<SchItem*>(doc->edit.paste_list->head->data);
    EXPECT_TRUE(compare_Item(pasted_line, line));
    EXPECT_NE(pasted_line->id, line->id);
    EXPECT_EQ(as_Text(static_cast<SchItem*>(doc->edit.paste_list->tail->data))->field, FIELD_TITLE);
}

TEST_F(PasteFile, PartPiecesGoIntoTheEditedPartOnce) {
    SchemaPtr source = library_document();
    select_left_pieces(source.get());
    ASSERT_STREQ(write_paste_library(source.get()), PASTE_FILE_NAME);

    // The other editor's part lacks the body and pin A.
    SchemaPtr doc = library_document();
    Part* part = pl_get_part(doc->library, as_PlacedPart(list_first_part(doc->sheet->items)));
    free_SchItem_items(doc.get(), part->normal->items);
    Pin* pin_a = static_cast<Pin*>(part->normal_pins->pins->head->data);
    dlist_remove_head(part->normal_pins->pins, nullptr);
    free_Pin(pin_a);

    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(read_paste_library(doc.get(), PASTE_FILE_NAME, PASTE_LIBRARY), 0);
        EXPECT_EQ(codes_of(part->normal->items), std::vector<int>{BOITE_ITEM}) << round;
        ASSERT_EQ(pinlist_count(part->normal_pins), 3) << round;
        Pin* added = static_cast<Pin*>(part->normal_pins->pins->tail->data);
        EXPECT_STREQ(added->name.get(), "A");
        EXPECT_EQ(added->numbers.size(), 2u);
    }
    ASSERT_EQ(doc->edit.paste_list->count, 2u);
    PseudoPin* link = as_PseudoPin(static_cast<SchItem*>(doc->edit.paste_list->tail->data));
    EXPECT_EQ(link->role, PP_LINK_PART_PIECES);
    EXPECT_EQ(link->father, list_first_part(doc->sheet->items));
    Part* pieces = as_PlacedPart(link->whoami)->part;
    EXPECT_EQ(pieces->normal->items->head->data, part->normal->items->head->data);
    EXPECT_EQ(pieces->normal_pins->pins->head->data, part->normal_pins->pins->tail->data);

    SchemaPtr empty = make_schema();  // nothing edited: nothing to paste into
    EXPECT_EQ(read_paste_library(empty.get(), PASTE_FILE_NAME, PASTE_LIBRARY), 0);
    EXPECT_EQ(empty->edit.paste_list, nullptr);
}

// --- damaged files --------------------------------------------------------------------------------

using Reader = int (*)(Schema*, const char*, int);

struct Sample {
    const char* golden;
    int kind;
    Reader read;
};

const Sample samples[] = {
    {"sheet_selection.bin", PASTE_SCHEMA, read_paste_schema},
    {"titleblock.bin", PASTE_TITLEBLOCK, read_paste_titleblock},
    {"library_pieces.bin", PASTE_LIBRARY, read_paste_library},
};

class DamagedPasteFile : public PasteFile, public ::testing::WithParamInterface<Sample> {
protected:
    // A fresh document for each read: a library document for kind 2.
    int read(const Bytes& bytes, SchemaPtr* doc) {
        put(bytes);
        *doc = GetParam().kind == PASTE_LIBRARY ? library_document() : make_schema();
        return GetParam().read(doc->get(), PASTE_FILE_NAME, GetParam().kind);
    }
};

TEST_P(DamagedPasteFile, EveryPrefixIsAnError) {
    Bytes whole = record_io::golden(golden_name(GetParam().golden));
    ASSERT_FALSE(whole.empty());
    SchemaPtr doc;
    ASSERT_EQ(read(whole, &doc), 0);
    ASSERT_NE(doc->edit.paste_list, nullptr);
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        int code = read(Bytes(whole.begin(), whole.begin() + cut), &doc);
        EXPECT_TRUE(code == PASTE_PREMATURE_END || code == READ_ERROR)
            << "cut at " << cut << ": " << code;
        EXPECT_EQ(doc->edit.paste_list, nullptr) << "cut at " << cut;
    }
}

TEST_P(DamagedPasteFile, BadHeaderIsRefused) {
    Bytes whole = record_io::golden(golden_name(GetParam().golden));
    SchemaPtr doc;
    // '@', the header text and its NUL, 0x1A.
    const size_t length = paste_header(GetParam().kind).size();
    std::vector<Bytes> damaged(4, whole);
    damaged[0][0] = 'A';             // no '@'
    damaged[1][length - 1] ^= 0x20;  // a letter of the kind word in the other case
    damaged[2][length - 3] = 0;      // the text cut short
    damaged[3][length + 2] = 0x1B;   // no 0x1A after it
    for (const Bytes& bytes : damaged) {
        EXPECT_EQ(read(bytes, &doc), PASTE_BAD_HEADER);
        EXPECT_EQ(doc->edit.paste_list, nullptr);
    }
    put(whole);  // the right file for another kind of reader
    int other = GetParam().kind == PASTE_SCHEMA ? PASTE_TITLEBLOCK : PASTE_SCHEMA;
    SchemaPtr sheet = make_schema();
    EXPECT_EQ(read_paste_titleblock(sheet.get(), PASTE_FILE_NAME, other), PASTE_BAD_HEADER);
}

TEST_P(DamagedPasteFile, TrailingBytesAndMissingFile) {
    Bytes whole = record_io::golden(golden_name(GetParam().golden));
    whole.push_back(LIST_END);
    SchemaPtr doc;
    EXPECT_EQ(read(whole, &doc), READ_ERROR);
    EXPECT_EQ(doc->edit.paste_list, nullptr);
    fs::remove(PASTE_FILE_NAME);
    EXPECT_EQ(GetParam().read(doc.get(), PASTE_FILE_NAME, GetParam().kind), PASTE_CANNOT_OPEN);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedPasteFile, ::testing::ValuesIn(samples),
                         [](const auto& info) { return std::to_string(info.param.kind); });

TEST_F(PasteFile, UnresolvedReferencesAreSkipped) {
    Bytes bytes = record_io::golden(golden_name("wire_only.bin"));
    ASSERT_EQ(bytes.back(), LIST_END);
    // A second record naming a junction that the file does not hold.
    const Bytes stray = {REF_TAG, JUNCTION_ITEM, 0, 0xDE, 0xAD, 0xBE, 0xEF};
    bytes.insert(bytes.end() - 1, stray.begin(), stray.end());
    put(bytes);
    SchemaPtr doc = make_schema();
    EXPECT_EQ(read_paste_schema(doc.get(), PASTE_FILE_NAME, PASTE_SCHEMA), READ_ERROR);
    EXPECT_EQ(codes_of(doc->edit.paste_list), std::vector<int>{LINE_ITEM})
        << "the wire still comes";
}

}  // namespace
