// The operations table: every code that has a record has its row, and each
// row is wired to its own kind (a row copied from a neighbour and not fully
// renamed makes, reads or writes another kind's record). Also what the
// readers built on it promise: warnings that name the byte where reading
// stopped, and a failed read that leaves the document as it was.
#include <gtest/gtest.h>

#include <set>

#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/edit_state.h"
#include "model/documents/pick.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/documents/sheet_record_fixture.h"
#include "model/items/item_ops.h"
#include "model/items/library.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

using namespace sheet_test;

namespace {

class ItemTable : public SheetTest {};

// The codes with a record of their own.
const int RECORD_CODES[] = {FILL_ITEM,  CIRCLE_ITEM,   BOITE_ITEM,      LINE_ITEM,     ARC_ITEM,
                            TEXT_ITEM,  JUNCTION_ITEM, POLY_ITEM,       PARTLIB_ITEM,  SHEET_ITEM,
                            POWER_ITEM, NOCON_ITEM,    PORT_ITEM,       SUBSHEET_ITEM, ERC_ITEM,
                            IDENT_ITEM, PSEUDO_PIN,    TITLEBLOCK_ITEM, NETPROP_ITEM,  IMAGE_ITEM};

TEST_F(ItemTable, EveryRecordCodeHasARowThatMakesCopiesAndReleasesItsOwnKind) {
    SchemaPtr schema = make_schema();
    for (int code : RECORD_CODES) {
        SCOPED_TRACE(item_name(code));
        const ItemOps& ops = item_ops(code);
        ASSERT_TRUE(ops.make && ops.release && ops.copy && ops.bounds);
        SchItem* item = new_SchItem(code);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->type, code);
        SchItem* copy = copy_SchItem(schema.get(), item);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->type, code);
        free_SchItem(schema.get(), copy, false);
        free_SchItem(schema.get(), item, false);
    }
}

TEST_F(ItemTable, CodesWithoutARecordHaveAnEmptyRow) {
    for (int code : {-1, 0, 1, static_cast<int>(SCHEMA_ITEM), static_cast<int>(ATTR_ITEM),
                     ITEM_CODE_LIMIT, 127}) {
        SCOPED_TRACE(code);
        const ItemOps& ops = item_ops(code);
        EXPECT_FALSE(ops.make || ops.release || ops.read || ops.write || ops.copy);
        EXPECT_EQ(ops.sheet_tag, 0);
        EXPECT_EQ(new_SchItem(code), nullptr);
    }
}

// The tables beside the operations table: every kind that stands on a sheet
// can be picked (but a nested sheet), and every kind that can be picked has
// a row in the edit filter, so that a new kind is never silently
// unselectable.
TEST_F(ItemTable, EveryKindOnASheetHasAPickingRowAndAFilterRow) {
    for (int code = 0; code < ITEM_CODE_LIMIT; ++code) {
        SCOPED_TRACE(item_name(code));
        const bool stands_on_a_sheet = item_ops(code).sheet_tag != 0 && code != SHEET_ITEM;
        EXPECT_TRUE(!stands_on_a_sheet || item_is_pickable(code));
        EXPECT_TRUE(!item_is_pickable(code) || edit_filter_has_row(code));
    }
    for (int code :
         {-1, 0, static_cast<int>(SHEET_ITEM), static_cast<int>(IDENT_ITEM),
          static_cast<int>(PSEUDO_PIN), static_cast<int>(TITLEBLOCK_ITEM), ITEM_CODE_LIMIT}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(item_is_pickable(code));
    }
}

TEST_F(ItemTable, TheEditFilterTellsLinesAndTextsApartByTheirFlags) {
    Line* wire = new_Line();
    Line* bus = new_Line();
    Line* drawn = new_Line();
    bus->flags = BUS;
    drawn->flags = DRAW;
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_WIRES, wire));
    EXPECT_FALSE(edit_filter_admits(EDIT_FILTER_WIRES, bus));
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_BUSES, bus));
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_DRAWINGS, drawn));
    EXPECT_FALSE(edit_filter_admits(EDIT_FILTER_DRAWINGS, wire));
    for (Line* line : {wire, bus, drawn}) free_Line(line, false);
    Text* comment = new_Text();
    Text* label = new_Text();
    label->flags = LABEL;
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_COMMENTS, comment));
    EXPECT_FALSE(edit_filter_admits(EDIT_FILTER_COMMENTS, label));
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_LABELS, label));
    for (Text* text : {comment, label}) free_Text(text, false);
    SchItem* mark = new_SchItem(ERC_ITEM);
    EXPECT_FALSE(edit_filter_admits(~EDIT_FILTER_ALL, mark)) << "only the whole filter takes marks";
    EXPECT_TRUE(edit_filter_admits(EDIT_FILTER_ALL, mark));
    free_SchItem(nullptr, mark, false);
    SchItem* sheet = new_SchItem(SHEET_ITEM);
    EXPECT_FALSE(edit_filter_admits(~EDIT_FILTER_ALL, sheet));
    free_SchItem(nullptr, sheet, false);
}

TEST_F(ItemTable, EachReadableCodeWritesItsTagAndReadsBackAsItself) {
    SchemaPtr schema = make_schema();
    std::set<int> tags;
    for (int code : RECORD_CODES) {
        const ItemOps& ops = item_ops(code);
        if (!ops.sheet_tag) continue;
        SCOPED_TRACE(item_name(code));
        EXPECT_TRUE(tags.insert(ops.sheet_tag).second) << "two codes share a tag";
        ASSERT_TRUE(ops.read && ops.write && ops.awrite);
        SchItem* item = new_SchItem(code);
        Bytes bytes = bytes_written([&](FILE* f) { write_SchItem(schema.get(), item, f, 0); });
        free_SchItem(schema.get(), item, false);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes.front(), ops.sheet_tag);
        StreamPtr stream = stream_of(bytes);
        SchItem* back = nullptr;
        EXPECT_EQ(read_SchItem(schema.get(), &back, stream.get()), 0);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->type, code);
        free_SchItem(schema.get(), back, false);
    }
}

}  // namespace

// --- reader warnings -----------------------------------------------------------------------

class ReaderWarnings : public sheet_records::SheetRecordTest {};

TEST_F(ReaderWarnings, NameTheByteWhereTheReaderStopped) {
    debug_enabled = true;
    SchemaPtr schema = make_schema();
    StreamPtr stream = stream_of({REF_TAG, PORT_ITEM, 0, 0, 0, 0, 99, LIST_END});
    List* list = list_new();
    EXPECT_EQ(read_ref_list(schema.get(), list, stream.get(), nullptr), READ_ERROR);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
    debug_enabled = false;
    EXPECT_NE(debug.find("no PORT_ITEM with id 99 at byte 7"), std::string::npos) << debug;
}

// --- owners on the error paths -----------------------------------------------------------

class OwnLibrary : public SheetTest {};

TEST_F(OwnLibrary, AFailedReadKeepsTheDocumentsLibraryAndAGoodOneReplacesIt) {
    SchemaPtr schema = make_schema();
    add_library_part(schema.get(), "KEPT");
    Library* before = schema->library;
    Bytes whole = bytes_written([&](FILE* f) { write_Library(before, f, 0); });
    ASSERT_GT(whole.size(), 8u);
    // Every cut of the record fails and leaves the library as it was (the
    // sanitizer build finds the half-read one if it is not released).
    for (size_t cut = 1; cut < whole.size(); cut += 7) {
        StreamPtr stream = stream_of(Bytes(whole.begin(), whole.begin() + cut));
        EXPECT_NE(read_own_library(schema.get(), stream.get()), 0) << cut;
        EXPECT_EQ(schema->library, before) << cut;
    }
    StreamPtr stream = stream_of(whole);
    EXPECT_EQ(read_own_library(schema.get(), stream.get()), 0);
    EXPECT_NE(schema->library, before);
    EXPECT_NE(find_LibEntry(schema->library, "KEPT"), nullptr);
}
