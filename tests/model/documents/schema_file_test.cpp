// The binary schema file and the "(SCHEMATIC" source: golden files, the
// save/open fixpoint, the reader's section rules and damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/erc_mark.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/schema_samples.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/items/text.h"
#include "support/test_env.h"

using namespace sheet_test;
using schema_samples::add_rich_document;
using schema_samples::mask_today;

namespace {

class SchemaFile : public SheetTest {};

Bytes file_of(Schema* schema, uint32_t mask = 0) {
    return bytes_written([&](FILE* f) { EXPECT_EQ(write_Schema(schema, f, mask), 0); });
}

std::string source_of(Schema* schema) {
    return text_written([&](FILE* f) { EXPECT_EQ(awrite_Schema(schema, f, 0), 0); });
}

// Reads bytes as a schema file into a new active schema; the reader's result.
int read_bytes(const Bytes& bytes, SchemaPtr* out = nullptr) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    StreamPtr stream = stream_of(bytes);
    int result = read_Schema(schema, stream.get());
    if (out)
        out->reset(schema);
    else
        free_Schema(schema, false);
    return result;
}

SchemaPtr active_schema() {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    return SchemaPtr(schema);
}

SchemaPtr rich_document(int random_items = 0) {
    SchemaPtr schema = active_schema();
    add_rich_document(schema.get(), random_items);
    return schema;
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./documents_tests and
// review the diff of tests/data/model/documents/sheet before committing it.
// Today's date (MODIFDATE) is masked with '#'.
TEST_F(SchemaFile, EmptyAndEveryKindDocumentsMatchTheGoldenFiles) {
    SchemaPtr empty = active_schema();
    expect_golden(sheet_golden("empty_schema.sch"), mask_today(file_of(empty.get())));
    SchemaPtr fresh = active_schema();
    expect_golden(sheet_golden("empty_schema.asc"), source_of(fresh.get()));

    SchemaPtr rich = rich_document();
    expect_golden(sheet_golden("every_section.sch"), mask_today(file_of(rich.get())));
    expect_golden(sheet_golden("every_section.asc"), mask_today(source_of(rich.get())));

    // The source reads back, but for the ERC mark standing on the sheet,
    // which the source form keeps only in the ERC list.
    EXPECT_EQ(compile_schematic(source_of(empty.get())), 0);
    for (DListNode* node : dlist_nodes(rich->sheet->items)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        if (item->type != ERC_ITEM) continue;
        dlist_remove(rich->sheet->items, node, nullptr);
        free_SchItem(rich.get(), item, false);
    }
    EXPECT_EQ(compile_schematic(source_of(rich.get())), 0);
}

TEST_F(SchemaFile, SaveOfOpenIsAFixpointForARichSheet) {
    SchemaPtr rich = rich_document(400);
    Bytes first = file_of(rich.get());
    SchemaPtr opened;
    ASSERT_EQ(read_bytes(first, &opened), 0);
    Bytes second = file_of(opened.get());
    SchemaPtr again;
    ASSERT_EQ(read_bytes(second, &again), 0);
    Bytes third = file_of(again.get());
    EXPECT_TRUE(mask_today(second) == mask_today(third));
    // Nothing is lost on the first round either: ids, fields and sections
    // come back as they were written.
    EXPECT_TRUE(mask_today(first) == mask_today(second));
    EXPECT_EQ(mask_today(source_of(opened.get())), mask_today(source_of(rich.get())));
}

TEST_F(SchemaFile, LongTextsAndNamesReloadWhole) {
    SchemaPtr rich = rich_document();
    int changed = 0;
    for (DListNode* node : dlist_nodes(rich->sheet->items)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        std::string name = std::string(200 + changed, 'a' + changed % 26) + "|end";
        ++changed;
        switch (item->type) {
            case TEXT_ITEM: as_Text(item)->string = name; break;
            case POWER_ITEM: as_Power(item)->name.set(name.c_str()); break;
            case PORT_ITEM: as_Port(item)->name.set(name.c_str()); break;
            case NETPROP_ITEM: as_NetProp(item)->name.set(name.c_str()); break;
            default: --changed;
        }
    }
    ASSERT_GE(changed, 4);
    Bytes first = file_of(rich.get());
    SchemaPtr opened;
    ASSERT_EQ(read_bytes(first, &opened), 0);
    EXPECT_TRUE(mask_today(file_of(opened.get())) == mask_today(first));
}

// A line break another program stored in a text becomes the texts' own
// line separator, so the source compiles back to the same lines.
TEST_F(SchemaFile, ATextHoldingLineBreaksCompilesBackToTheSameLines) {
    SchemaPtr schema = active_schema();
    Text* text = new_Text();
    text->string = "first\r\nsecond\nthird";
    dlist_append(schema->sheet->items, text);
    Schema* compiled = nullptr;
    ASSERT_EQ(compile_schema_string(source_of(schema.get()), COMPIL_SCHEMATIC, nullptr, nullptr,
                                    &compiled),
              0);
    SchemaPtr back(compiled);
    ASSERT_EQ(back->sheet->items->count, 1u);
    const Text* read = as_Text(static_cast<SchItem*>(back->sheet->items->head->data));
    EXPECT_EQ(read->string, "first@second@third");
    EXPECT_EQ(text_line_count(read->string.c_str()), 3);
}

TEST_F(SchemaFile, RecordsKeepTheirIdsAndLaterSerialsAvoidThem) {
    SchemaPtr rich = rich_document(50);
    Bytes bytes = file_of(rich.get());
    std::set<uint32_t> written;
    for (SchItem* item : list_items<SchItem>(rich->sheet->items)) written.insert(item->id);
    reset_object_ids(1);
    SchemaPtr opened;
    ASSERT_EQ(read_bytes(bytes, &opened), 0);
    std::set<uint32_t> read;
    for (SchItem* item : list_items<SchItem>(opened->sheet->items)) read.insert(item->id);
    EXPECT_EQ(read, written);
    EXPECT_EQ(written.count(new_object_id()), 0u);
}

TEST_F(SchemaFile, ReaderRulesForHeaderDatesAndOptionalSections) {
    SchemaPtr rich = rich_document();
    Bytes bytes = file_of(rich.get());
    const size_t header = 1 + std::strlen(schema_file_header()) + 1 + 1;

    // Without the '@' header the file reads the same.
    SchemaPtr bare;
    ASSERT_EQ(read_bytes(Bytes(bytes.begin() + header, bytes.end()), &bare), 0);
    EXPECT_STREQ(bare->title, rich->title);
    EXPECT_EQ(bare->sheet->items->count, rich->sheet->items->count);

    // A header followed by anything but 0xD1 is no schema.
    Bytes other(bytes.begin(), bytes.begin() + header);
    other.back() = 0xD0;
    EXPECT_EQ(read_bytes(other), NOT_MY_TAG);

    // A CREATDATE that is no date becomes today's; a date stays.
    SchemaPtr fresh = active_schema();
    SchemaPtr read;
    ASSERT_EQ(read_bytes(file_of(fresh.get()), &read), 0);
    EXPECT_EQ(read->creatdate, date_string());
    EXPECT_EQ(read->modifdate, date_string());
    EXPECT_STREQ(bare->creatdate, "01/02/95");
    EXPECT_STREQ(bare->erc_report, "rich.erc");

    // No ports, no ERC marks: neither section is written, and none is read.
    EXPECT_EQ(read->ports, nullptr);
    EXPECT_EQ(read->erc_list, nullptr);
    fresh->erc_list = list_new();
    EXPECT_EQ(file_of(fresh.get()), file_of(active_schema().get()));
}

TEST_F(SchemaFile, AWindowSaveWithoutPassingPortsWritesNoPortsSection) {
    SchemaPtr rich = rich_document();
    SchItem* wire = static_cast<SchItem*>(rich->sheet->items->head->next->next->next->data);
    wire->state |= STATE_WINDOW_SAVE;
    SchemaPtr read;
    ASSERT_EQ(read_bytes(file_of(rich.get(), STATE_WINDOW_SAVE), &read), 0);
    EXPECT_EQ(read->ports, nullptr);
    ASSERT_EQ(read->sheet->items->count, 1u);
    EXPECT_EQ(static_cast<SchItem*>(read->sheet->items->head->data)->type, LINE_ITEM);
    // The 's' section is still written (the list is not empty), holding no mark.
    ASSERT_NE(read->erc_list, nullptr);
    EXPECT_EQ(read->erc_list->count, 0u);
}

TEST_F(SchemaFile, FieldStringsLongerThanTheirFieldsAreCut) {
    SchemaPtr fresh = active_schema();
    Bytes bytes = file_of(fresh.get());
    // Widen the empty DOCNUMBER ('f' section) and FILENAME ('h') to 300 bytes.
    auto widen = [&](uint8_t tag) {
        auto at = std::find(bytes.begin() + 60, bytes.end(), tag);
        ASSERT_NE(at, bytes.end());
        bytes.insert(at + 1, 300, 'x');
    };
    widen(SCHEMA_FIELDS_TAG);
    widen(SCHEMA_FIELDS2_TAG);
    SchemaPtr read;
    ASSERT_EQ(read_bytes(bytes, &read), 0);
    EXPECT_EQ(std::string(read->docnumber), std::string(FIELD_LONG - 1, 'x'));
    EXPECT_EQ(std::string(read->filename), std::string(FIELD_LONG - 1, 'x'));
    EXPECT_STREQ(read->revcode, "");
}

TEST_F(SchemaFile, TheRecordMustEndWithItsFinalByte) {
    Bytes bytes = file_of(active_schema().get());
    Bytes padded = bytes;  // as a transfer may pad a file
    padded.insert(padded.end(), 3, 0x1A);
    EXPECT_EQ(read_bytes(padded), 0);
    Bytes wrong = bytes;
    wrong.back() = 0x41;
    EXPECT_EQ(read_bytes(wrong), READ_ERROR);
    Bytes cut(bytes.begin(), bytes.end() - 1);
    EXPECT_EQ(read_bytes(cut), -1);
}

// Every prefix of a file with every section fails, as a short read.
TEST_F(SchemaFile, ATruncatedFileIsAShortRead) {
    Bytes bytes = file_of(rich_document().get());
    std::map<int, int> results;
    for (size_t n = 0; n < bytes.size(); ++n) {
        int result = read_bytes(Bytes(bytes.begin(), bytes.begin() + n));
        ++results[result];
        EXPECT_NE(result, 0) << "prefix of " << n << " bytes";
    }
    for (const auto& [code, count] : results) EXPECT_EQ(code, -1) << count << " prefixes";
}

// Random damage gives a result and nothing else: no crash and, under the
// sanitizer build, no leak.
TEST_F(SchemaFile, RandomByteFlipsAreReadSafely) {
    Bytes bytes = file_of(rich_document(20).get());
    std::mt19937 rng(7);
    for (int round = 0; round < 1500; ++round) {
        Bytes damaged = bytes;
        for (int flips = 1 + static_cast<int>(rng() % 3); flips > 0; --flips)
            damaged[rng() % damaged.size()] ^= static_cast<unsigned char>(1 + rng() % 255);
        SchemaPtr read;
        int result = read_bytes(damaged, &read);
        if (result == 0) file_of(read.get());  // whatever reads must write
    }
}

}  // namespace
