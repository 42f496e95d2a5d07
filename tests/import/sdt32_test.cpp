// The 32-bit reader in both byte orders, damaged files, and the conversion
// of every record type into a native sheet.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "import/foreign.h"
#include "import/genwind.h"
#include "import/import_fixture.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace sdt_test {
namespace {

struct SchemaFree {
    void operator()(Schema* s) const { free_Schema(s, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

Part32 nand(int x, int y, const std::string& ref, unsigned device = 1) {
    Part32 p;
    p.x = x, p.y = y, p.device = device;
    p.date = 33, p.time = 267840000u + 8640000u * 2 + 360000u * 3 + 6000u * 4 + 100u * 5 + 15;
    p.offsets = {{2, -1}, {0, 0}, {5, 5}};
    p.flags = 1u << 8;  // field 2 hidden
    p.strings = {ref, "74LS00", "F2", "", "", "", "", "", "", "", "", "NAND", "ALT"};
    return p;
}

// One record of every type, in the given byte order.
File32 every_record(bool big) {
    File32 f(big);
    f.title({"DOC-1", "B", "Every record", "Org", "Street", "Town", "Land"}, 6);
    f.sheet(100, 200, 40, 30, "SUB.SCH", "Sub sheet",
            {{5, 10, 0, "IN1"}, {-1, 20, 1, "IO1"}, {3, 30, 2, "OUT1"}, {-2, 40, 9, "X"}});
    f.part(nand(50, 60, "U1B", 2));
    f.part(nand(70, 80, "U9"), 2);
    f.line(4, 0, 0, 100, 0).line(5, 0, 10, 100, 10).line(6, 0, 20, 100, 20);
    f.text(7, 10, 11, "NET1").text(8, 12, 13, "free text");
    f.port(100, 0, 0, 0, 30, "PIN");
    f.power(40, 40, 0x41, "VCC");
    f.point(11, 60, 60, 1).point(11, 70, 70, 0).point(12, 80, 80).point(14, 90, 90);
    f.other13().point(30, 1, 2, 3).end();
    return f;
}

class Sdt32Test : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        write_library("demo", {{"NAND", 3000, 2000, 2, "U"}, {"ALT", 4000, 1000, 1, "R"}});
        proper_set(SDT_LIBFILE, "c:\\orcad\\DEMO.LIB", 0);
    }
    // The records given, closed as a whole file is.
    SchemaPtr convert(File32 f) {
        SchemaPtr schema(genwind_build_schema(load(f.end().bytes)));
        EXPECT_TRUE(schema);
        return schema;
    }
    static PlacedPart* first_part(Schema* s) {
        for (SchItem* item : list_items<SchItem>(s->sheet->items))
            if (item->type == PARTLIB_ITEM) return as_PlacedPart(item);
        return nullptr;
    }
};

// --- reading ------------------------------------------------------------------------

TEST_F(Sdt32Test, ByteSwappedFileReadsTheSameRecordsAsItsLittleEndianTwin) {
    ForeignFile* little = load(every_record(false).bytes);
    ForeignFile* big = load(every_record(true).bytes);
    EXPECT_FALSE(little->swapped);
    EXPECT_TRUE(big->swapped);
    ASSERT_EQ(little->objects.size(), 18u);
    ASSERT_EQ(big->objects.size(), little->objects.size());
    for (size_t i = 0; i < little->objects.size(); ++i) {
        EXPECT_EQ(big->objects[i]->type, little->objects[i]->type) << i;
        EXPECT_EQ(big->objects[i]->size, little->objects[i]->size) << i;
        EXPECT_EQ(big->objects[i]->data, little->objects[i]->data) << i;
    }
    EXPECT_EQ(little->objects[0]->word, 0x1234u);
}

TEST_F(Sdt32Test, HeaderWordsMustSumToZeroAndSignatureMustMatch) {
    ForeignFile f;
    ForeignInput in;
    in.bytes = File32(false, 5, 5).bytes;
    EXPECT_EQ(sdt32_read_file(&f, &in), 1);
    in.bytes = File32(false, 5, 0u - 5).end().bytes;
    EXPECT_EQ(sdt32_read_file(&f, &in), 0);
    in.bytes = File32(false).bytes;
    in.bytes[30] = 'x';
    EXPECT_EQ(sdt32_read_file(&f, &in), 1);
    in.bytes.resize(79);
    EXPECT_EQ(sdt32_read_file(&f, &in), 1);
}

TEST_F(Sdt32Test, AnEmptyListHasNoRecordsAndUnconvertedTypesAreKept) {
    EXPECT_EQ(load(File32().end().bytes)->objects.size(), 1u);
    ForeignFile* f = load(File32().part(nand(0, 0, "U1"), 2).other13().point(30, 0, 0).end().bytes);
    ASSERT_EQ(f->objects.size(), 4u);
    SchemaPtr schema(genwind_build_schema(f));
    EXPECT_EQ(schema->sheet->items->count, 0u);
}

// Damaged files end the reading with a format error naming the record's
// offset; nothing is read past the bytes of the file.
TEST_F(Sdt32Test, DamagedRecordsAreFormatErrorsWithTheirOffset) {
    struct Case {
        Bytes bytes;
        const char* error;
    };
    Bytes unknown = File32().end().record(20, {1, 2, 3, 4}).bytes;
    Bytes cut = File32().line(4, 1, 2, 3, 4).bytes;
    cut.resize(cut.size() - 1);
    Bytes huge = File32().line(4, 1, 2, 3, 4).bytes;
    huge[84] = 0xFF, huge[85] = 0xFF, huge[86] = 0xFF, huge[87] = 0xFF;  // size 4 GB
    Bytes short_type = File32().record(3, Bytes(40, 0)).bytes;
    Bytes table = File32().sheet(1, 2, 3, 4, "a", "b", {{1, 1, 0, "p"}}).bytes;
    table[80 + 8 + 12] = 13;  // table length 13 for one entry
    Bytes count = File32().sheet(1, 2, 3, 4, "a", "b", {{1, 1, 0, "p"}}).bytes;
    count[80 + 8 + 16] = 0xFF, count[80 + 8 + 19] = 0x7F;  // count far beyond the record
    count[80 + 8 + 12] = 0, count[80 + 8 + 15] = 0;
    for (const Case& c :
         std::initializer_list<Case>{{unknown, "Unknown record type at offset 88"},
                                     {cut, "Record body cut short at offset 80"},
                                     {huge, "Record body cut short at offset 80"},
                                     {short_type, "Record too short for its type at offset 80"},
                                     {table, "Bad sheet entry table at offset 80"},
                                     {count, "Bad sheet entry table at offset 80"}}) {
        ForeignFile f;
        ForeignInput in;
        in.bytes = c.bytes;
        EXPECT_EQ(sdt32_read_file(&f, &in), -1) << c.error;
        EXPECT_EQ(in.error, c.error);
    }
}

TEST_F(Sdt32Test, EveryPrefixOfAFileReadsOrFailsCleanly) {
    for (bool big : {false, true}) {
        const Bytes whole = every_record(big).bytes;
        for (size_t n = 0; n <= whole.size(); ++n) {
            ForeignFile f;
            ForeignInput in;
            in.bytes.assign(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            int result = sdt32_read_file(&f, &in);
            EXPECT_EQ(result == -1, !in.error.empty());
            // Cut anywhere, at a record boundary too, the file is refused.
            EXPECT_EQ(result == 0, n == whole.size()) << n << " of " << whole.size();
            if (result == 0) SchemaPtr(genwind_build_schema(&f));
        }
    }
}

// The fuzz target starts from whole files of every record in both byte
// orders. Regenerate with TN_UPDATE_GOLDEN=1 ./import_tests.
TEST_F(Sdt32Test, TheFuzzSeedsAreWholeFilesOfEveryRecord) {
    for (bool big : {false, true}) {
        const Bytes bytes = every_record(big).bytes;
        ForeignFile f;
        ForeignInput in;
        in.bytes = bytes;
        EXPECT_EQ(sdt32_read_file(&f, &in), 0) << in.error;
        tn_test::expect_golden(big ? "import/sdt32_fuzz/every_record_big_endian.sch"
                                   : "import/sdt32_fuzz/every_record.sch",
                               bytes);
    }
}

TEST_F(Sdt32Test, AFileCutAtARecordBoundaryIsReportedAsCut) {
    const Bytes whole = File32().line(4, 1, 2, 3, 4).line(4, 5, 6, 7, 8).end().bytes;
    struct Case {
        Bytes bytes;
        const char* error;
    };
    Bytes one_line = whole;
    one_line.resize(80 + 16);  // the first record alone
    Bytes no_end = whole;
    no_end.resize(whole.size() - 8);  // both lines, no closing record
    Bytes longer = File32().line(4, 1, 2, 3, 4).end().bytes;
    longer[0x20] = 0x40;  // the header says more than there is
    for (const Case& c : std::initializer_list<Case>{
             {one_line, "The file is cut: its list end is missing at offset 96"},
             {no_end, "The file is cut: its list end is missing at offset 112"},
             {longer, "The file is cut: its header gives another size at offset 104"}}) {
        ForeignFile f;
        ForeignInput in;
        in.bytes = c.bytes;
        EXPECT_EQ(sdt32_read_file(&f, &in), -1) << c.error;
        EXPECT_EQ(in.error, c.error);
    }
}

// --- conversion ---------------------------------------------------------------------

// Golden file: regenerate with TN_UPDATE_GOLDEN=1 ./import_tests and
// review the diff of tests/data/import before committing it.
TEST_F(Sdt32Test, EveryRecordTypeConvertsToTheGoldenSheet) {
    SchemaPtr little = convert(every_record(false));
    SchemaPtr big = convert(every_record(true));
    const std::string text = source_of(little.get());
    tn_test::expect_golden("import/every_record32.asc", Bytes(text.begin(), text.end()));
    EXPECT_EQ(source_of(big.get()), text);
}

TEST_F(Sdt32Test, PartIsTakenFromTheSecondNameWhenTheFirstIsMissing) {
    Part32 p = nand(1, 1, "R1");
    p.strings[11] = "NOSUCH";
    p.strings[12] = "ALT";
    SchemaPtr schema = convert(File32().part(p));
    ASSERT_TRUE(first_part(schema.get()));
    EXPECT_STREQ(first_part(schema.get())->part_name.get(), "DEMO/ALT");
    EXPECT_EQ(logged, "");
    p.strings[12] = "NONE";
    schema = convert(File32().part(p));
    EXPECT_FALSE(first_part(schema.get()));
    EXPECT_EQ(logged, "*** WARNING ***: No Such Part : NONE\n");
    logged.clear();
    p.strings[11] = p.strings[12] = "";
    convert(File32().part(p));
    EXPECT_EQ(logged, "*** WARNING ***: Blank part\n");
}

TEST_F(Sdt32Test, DeviceLetterIsDroppedAndCheckedAgainstTheDeviceNumber) {
    SchemaPtr schema = convert(File32().part(nand(1, 1, "U1B", 2)));
    PlacedPart* pl = first_part(schema.get());
    ASSERT_TRUE(pl);
    EXPECT_STREQ(pl->reference.text.get(), "U1");
    EXPECT_EQ(pl->device, 1);
    EXPECT_EQ(logged, "");
    schema = convert(File32().part(nand(1, 1, "U1A", 2)));
    EXPECT_EQ(first_part(schema.get())->device, 1);
    EXPECT_EQ(logged, "*** WARNING ***: Reference 'U1A' does not match device 2\n");
    logged.clear();
    schema = convert(File32().part(nand(1, 1, "U1C", 7)));
    EXPECT_EQ(first_part(schema.get())->device, 0);
    EXPECT_STREQ(first_part(schema.get())->reference.text.get(), "U1");
    EXPECT_NE(logged.find("Device 7 of 'U1C' out of range"), std::string::npos);
}

TEST_F(Sdt32Test, RotationTurnsTheBodyAndKeepsItRightOfAndBelowThePoint) {
    Part32 p = nand(10, 20, "U1A");
    p.flags = 1;  // foreign rotation 1
    SchemaPtr schema = convert(File32().part(p));
    PlacedPart* pl = first_part(schema.get());
    EXPECT_EQ(pl->flags & PL_ROT_MASK, 3);
    // The 3000 x 2000 body turned by three quarters has its corner at
    // (2000, -3000): the part moves down by 3000.
    EXPECT_EQ(pl->pos.x, 1000);
    EXPECT_EQ(pl->pos.y, 2000 + 3000);
    p.flags = 4 | 8;  // mirrored, converted
    schema = convert(File32().part(p));
    pl = first_part(schema.get());
    EXPECT_EQ(pl->flags & (PL_MY | PL_CONVERT | PL_ROT_MASK), PL_MY | PL_CONVERT);
    EXPECT_EQ(pl->pos.x, 1000 + 3000);
}

TEST_F(Sdt32Test, FieldsArePlacedByTheirOffsetsAndHiddenByTheirFlags) {
    SchemaPtr schema = convert(File32().part(nand(10, 20, "U1A")));
    PlacedPart* pl = first_part(schema.get());
    EXPECT_EQ(pl->reference.pos, (Point{1000 + 200, 2000 - 100}));
    EXPECT_EQ(pl->reference.flags & (VIS | SET), VIS | SET);
    EXPECT_EQ(pl->value.flags & (VIS | SET), VIS);
    Attribute* third = pl_get_attribute(pl, 2);
    ASSERT_TRUE(third);
    EXPECT_STREQ(third->text.get(), "F2");
    EXPECT_EQ(third->flags & (VIS | SET), SET);
    EXPECT_EQ(pl->time_stamp, genwind_time_stamp(33, nand(0, 0, "").time));
    EXPECT_EQ(genwind_time_stamp(33, nand(0, 0, "").time),
              33u * 642816000u + 53568000u + 2 * 1728000u + 3 * 72000u + 4 * 1200u + 5 * 20u + 3u);
}

TEST_F(Sdt32Test, LongTextsAreCutToTheNativeLimitsWithAWarning) {
    const std::string long_text(200, 'a');
    SchemaPtr schema =
        convert(File32().text(8, 0, 0, long_text).title({"", std::string(40, 'r')}, 0));
    Text* t = as_Text(static_cast<SchItem*>(schema->sheet->items->head->data));
    EXPECT_EQ(t->string, std::string(127, 'a'));
    EXPECT_EQ(std::string(schema->revcode), std::string(31, 'r'));
    EXPECT_EQ(logged, "*** WARNING ***: Text cut to 127 characters: '" + long_text +
                          "'\n*** WARNING ***: Text cut to 31 characters: '" +
                          std::string(40, 'r') + "'\n");
}

// --- bus names -------------------------------------------------------------------------

TEST_F(Sdt32Test, ForeignBusRangesAreWrittenInTheNativeForm) {
    for (const auto& [in, out] :
         std::initializer_list<std::pair<const char*, const char*>>{{"D[15:0]", "D[15..0]"},
                                                                    {"D[15.0]", "D[15..0]"},
                                                                    {"d[0:7]", "d[0..7]"},
                                                                    {"[3:1]", "[3..1]"},
                                                                    {"A[1][2:3]", "A[1][2..3]"},
                                                                    {"D[15..0]", "D[15..0]"},
                                                                    {"D[15:0]X", "D[15:0]X"},
                                                                    {"D[:0]", "D[:0]"},
                                                                    {"D[1:]", "D[1:]"},
                                                                    {"D[1-0]", "D[1-0]"},
                                                                    {"D[1:0:2]", "D[1:0:2]"},
                                                                    {"D[+1:0]", "D[+1:0]"},
                                                                    {"D15:0", "D15:0"}})
        EXPECT_EQ(genwind_bus_name(in), out) << in;
    // Labels, module ports and sheet entries name buses; plain texts do not.
    SchemaPtr schema = convert(File32()
                                   .text(7, 0, 0, "D[15:0]")
                                   .text(8, 0, 10, "D[15:0]")
                                   .port(100, 0, 2, 1, 3, "Q[7.0]")
                                   .sheet(200, 0, 40, 30, "S.SCH", "S", {{5, 10, 0, "A[3:0]"}}));
    std::vector<std::string> texts;
    SubSheet* box = nullptr;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type == TEXT_ITEM) texts.push_back(as_Text(item)->string);
        if (item->type == SUBSHEET_ITEM) box = as_SubSheet(item);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"D[15..0]", "D[15:0]"}));
    EXPECT_STREQ(static_cast<Port*>(schema->ports->head->data)->name.get(), "Q[7..0]");
    ASSERT_TRUE(box);
    EXPECT_STREQ(static_cast<Port*>(box->ports->head->data)->name.get(), "A[3..0]");
}

// --- module ports ------------------------------------------------------------------

struct PortCase {
    unsigned kind, shape;
    uint8_t flags;
    int dx;  // x moved, in native units, with length 3 and grid 1000
};

class PortShapeTest : public Sdt32Test, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortShapeTest, KindAndShapeGiveTheStyleFlagsAndPosition) {
    const PortCase& c = GetParam();
    SchemaPtr schema = convert(File32().port(10, 10, c.kind, c.shape, 3, "P"));
    Port* port = static_cast<Port*>(schema->ports->head->data);
    EXPECT_EQ(port->flags, c.flags);
    EXPECT_EQ(port->pos.x, 1000 + c.dx);
}

INSTANTIATE_TEST_SUITE_P(Table, PortShapeTest,
                         ::testing::Values(PortCase{0, 0, 0x1A, 0}, PortCase{0, 1, 0x18, 0},
                                           PortCase{0, 2, 0x10, 1300}, PortCase{0, 3, 0x1C, 0},
                                           PortCase{2, 0, 0x2A, 0}, PortCase{2, 1, 0x28, 0},
                                           PortCase{2, 2, 0x28, 0}, PortCase{2, 3, 0x2C, 0},
                                           PortCase{1, 0, 0x0A, 0}, PortCase{1, 1, 0x09, 0},
                                           PortCase{1, 2, 0x09, 0}, PortCase{1, 3, 0x0C, 0},
                                           PortCase{5, 0, 0x3A, 0}, PortCase{5, 1, 0x39, 0},
                                           PortCase{5, 2, 0x39, 0}, PortCase{5, 3, 0x3C, 0}));

TEST_F(Sdt32Test, PortsMoveOntoTheWireTouchingOneOfTheirEnds) {
    // Length 30 (3000 native): the right end is at x 4000.
    SchemaPtr schema = convert(File32().port(10, 10, 1, 0, 30, "R").line(4, 40, 10, 90, 10));
    Port* port = static_cast<Port*>(schema->ports->head->data);
    EXPECT_EQ(port->pos, (Point{4000, 1000}));
    EXPECT_EQ(port->flags & PORT_RIGHT, 0);
    schema = convert(File32().port(10, 10, 1, 0, 30, "L").line(4, 0, 10, 10, 10));
    port = static_cast<Port*>(schema->ports->head->data);
    EXPECT_EQ(port->pos, (Point{0, 1000}));  // the first end of the line that touches
    EXPECT_EQ(port->flags & PORT_RIGHT, PORT_RIGHT);
    EXPECT_EQ(logged, "");
    convert(File32().port(10, 10, 1, 0, 30, "B").line(4, 0, 10, 10, 10).line(4, 40, 10, 50, 10));
    convert(File32().port(10, 10, 1, 0, 30, "N").line(4, 0, 11, 10, 11));
    convert(File32().port(10, 10, 0, 1, 30, "Z").line(4, 0, 50, 10, 50));
    EXPECT_EQ(logged,
              "*** WARNING ***: Connection of Port 'B' is ambiguous\n"
              "*** WARNING ***: Port 'N' is not connected\n");
}

}  // namespace
}  // namespace sdt_test
