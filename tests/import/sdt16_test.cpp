// The 16-bit reader with its symbol list, the conversion of its records and
// the text dump.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "import/foreign.h"
#include "import/genwind.h"
#include "import/import_fixture.h"
#include "import/sdt_job.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"

namespace sdt_test {
namespace {

struct SchemaFree {
    void operator()(Schema* s) const { free_Schema(s, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

const std::vector<std::pair<std::pair<int, int>, std::string>> kFields = {
    {{0, 0}, "F1"}, {{3, 0}, "F2"}, {{0, 4}, ""}, {{1, 1}, "F4"},
    {{0, 0}, ""},   {{0, 0}, ""},   {{0, 0}, ""}, {{0, 0}, "F8"}};

File16 every_record() {
    File16 f;
    f.record(0, {9, 9});
    f.sheet(100, 200, 40000, 30, "Child.SCH", "Child",
            {{5, 10, 1, "O"}, {-1, 14, 2, "I"}, {0, 24, 3, "B"}, {0, 34, 0, "U"}});
    f.part(10, 20, 0x4000 | 0x0022, "U1B", "74LS00", kFields);  // device 2, rotation 2
    f.part(30, 40, 0x0181, "R1", "ALT");                        // mirror, converted
    f.part(50, 60, 0x0001, "C1", "");                           // no name left: blank
    f.line(3, 0, 0, 10, 0).line(4, 0, 10, 10, 10).line(9, 0, 20, 10, 20);
    f.point(5, 7, 7);
    f.port(100, 0, 0x80, 30, "IN").port(0, 50, 0x50, 30, "OUT");
    f.text(7, 1, 2, "NET").text(11, 3, 4, "note");
    f.entry(60, 60, 1);
    f.power(40, 40, 0x0E, "GND");
    f.property(4, 90, 90, "").property(1, 5, 5, "vec");
    f.record(13, {1, 2, 3}).record(14, {}).record(0x13, {0, 0, 0, 0, 0, 0, 0, 0});
    f.end().symbols({"NAND", "ALT"});
    return f;
}

class Sdt16Test : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        write_library("demo", {{"NAND", 3000, 2000, 2, "U"}, {"ALT", 4000, 1000, 1, "R"}});
        proper_set(SDT_LIBFILE, "demo", 0);
    }
};

TEST_F(Sdt16Test, RecordsAndTheSymbolListAreRead) {
    ForeignFile* f = load(every_record().bytes);
    EXPECT_TRUE(f->sixteen);
    ASSERT_EQ(f->objects.size(), 22u);
    EXPECT_EQ(f->objects[19]->type, 0x13);  // kept whole; read like a wire
    EXPECT_EQ(f->objects[17]->data, (Bytes{13, 0, 3, 0, 1, 2, 3}));
    const ForeignObject* symbols = f->objects.back().get();
    EXPECT_EQ(symbols->type, SDT16_SYMBOLS);
    EXPECT_EQ(symbols->size, 10u);
    // Right after the end record, an empty symbol list.
    ForeignFile* ended = load(File16().end().bytes);
    ASSERT_EQ(ended->objects.size(), 2u);
    EXPECT_EQ(ended->objects[1]->size, 0u);
}

TEST_F(Sdt16Test, DamagedFilesAreFormatErrorsAndPrefixesFailCleanly) {
    const Bytes whole = every_record().bytes;
    for (size_t n = 0; n <= whole.size(); ++n) {
        ForeignFile f;
        ForeignInput in;
        in.bytes.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        int result = sdt16_read_file(&f, &in);
        EXPECT_EQ(result == -1, !in.error.empty());
        // Records that stop before the end record are a file cut short
        // (the symbol list after it has no length to check).
        if (n < whole.size() - 10) {
            EXPECT_NE(result, 0) << n << " of " << whole.size();
        }
        if (result == 0) SchemaPtr(genwind_build_schema(&f));
    }
    ForeignFile open_end;
    ForeignInput cut;
    cut.bytes = File16().point(5, 1, 1).bytes;
    EXPECT_EQ(sdt16_read_file(&open_end, &cut), -1);
    EXPECT_EQ(cut.error, "The file is cut: its list end is missing at offset 39");
    ForeignFile f;
    ForeignInput in;
    in.bytes = File16().record(2, Bytes(27, 0)).bytes;
    EXPECT_EQ(sdt16_read_file(&f, &in), -1);
    EXPECT_EQ(in.error, "Record too short for its type at offset 32");
    in = ForeignInput{};
    in.bytes = File16().bytes;
    in.bytes[0] = 's';
    EXPECT_EQ(sdt16_read_file(&f, &in), 1);
}

// The fuzz target starts from a whole file of every record. Regenerate
// with TN_UPDATE_GOLDEN=1 ./import_tests.
TEST_F(Sdt16Test, TheFuzzSeedIsAWholeFileOfEveryRecord) {
    const Bytes bytes = every_record().bytes;
    ForeignFile f;
    ForeignInput in;
    in.bytes = bytes;
    EXPECT_EQ(sdt16_read_file(&f, &in), 0) << in.error;
    tn_test::expect_golden("import/sdt16_fuzz/every_record.sch", bytes);
}

// Golden file: regenerate with TN_UPDATE_GOLDEN=1 ./import_tests and
// review the diff of tests/data/import before committing it.
TEST_F(Sdt16Test, EveryRecordTypeConvertsToTheGoldenSheet) {
    SchemaPtr schema(genwind_build_schema(load(every_record().bytes)));
    ASSERT_TRUE(schema);
    const std::string text = source_of(schema.get(), true);
    tn_test::expect_golden("import/every_record16.asc", Bytes(text.begin(), text.end()));
    EXPECT_EQ(logged, "*** WARNING ***: Blank part\n*** WARNING ***: Port 'IN' is not connected\n");
}

TEST_F(Sdt16Test, PartsTakeTheSymbolListThenTheirValue) {
    File16 f;
    f.part(0, 0, 1, "R1", "ALT").part(0, 0, 1, "R2", "ALT").end().symbols({"NAND"});
    SchemaPtr schema(genwind_build_schema(load(f.bytes)));
    std::vector<std::string> names;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        names.push_back(as_PlacedPart(item)->part_name.get());
    EXPECT_EQ(names, (std::vector<std::string>{"demo/NAND", "demo/ALT"}));
}

// Golden file as above.
TEST_F(Sdt16Test, DumpListsEveryRecordOfSixteenBitFiles) {
    auto sixteen = std::make_unique<ForeignFile>();
    ForeignInput in;
    in.bytes = every_record().bytes;
    ASSERT_EQ(sdt16_read_file(sixteen.get(), &in), 0);
    sixteen->name = "old.sch";
    auto thirty_two = std::make_unique<ForeignFile>();
    thirty_two->name = "new.sch";
    loaded_files.push_back(std::move(sixteen));
    loaded_files.push_back(std::move(thirty_two));
    FILE* out = std::tmpfile();
    sdt_dump_files(out);
    std::rewind(out);
    Bytes text;
    for (int c; (c = std::fgetc(out)) != EOF;) text.push_back(static_cast<unsigned char>(c));
    std::fclose(out);
    tn_test::expect_golden("import/dump16.txt", text);
    const std::string s(text.begin(), text.end());
    // "No Fields" only for the two parts without fields.
    const size_t with_fields = s.find("Reference 'U1B'");
    EXPECT_EQ(s.substr(with_fields, s.find("\n\n", with_fields) - with_fields).find("No Fields"),
              std::string::npos);
    EXPECT_NE(s.find("No Fields", s.find("Reference 'R1'")), std::string::npos);
}

}  // namespace
}  // namespace sdt_test
