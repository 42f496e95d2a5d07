// The library source converter: its grammar (both readings of CONVERT after
// pins), units, errors with their lines, and the two written libraries.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/genwind.h"
#include "import/import_fixture.h"
#include "import/sdt2sc.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace sdt_test {
namespace {

// Prefixes, aliases with a sheet path, both bodies, references to normal
// and converted bodies, IEEE symbols, and the GRIDARRAY and IEEE kinds.
const char* const kSource = R"src(
{ A library of every form, with a comment
  over two lines }
PREFIX
'74LS' = 'TTL'
'R'
END
'NAND2' '7400' SheetPath 'gates\nand.sch'
REFERENCE 'U'
2 3 4
L 1 1 2 '13' IN 'A'
L 2 2 DOT CLK I/O 'B'
R 1 3 6 0 11 OUT 'Y'
T 1 14 0 0 0 SHORT PWR 'VCC'
VECTOR
LINE 0 0 2 0
ARC 1 1 1 0 0 1 1
CIRCLE 1 1.5 0.25
FILL 1 1
TEXT 0.5 0.5 0.5 'NAND'
TEXT 0.5 1 5D-1 NEGATION
END
CONVERT
L 1 1 2 '13' OC 'A'
VECTOR 'NAND2'
'NOR2'
REFERENCE 'U'
2 3 4
B 1 1 2 12 hiZ 'A'
CONVERT 'NAND2'
'GRID'
4 4 GRIDARRAY
VECTOR
LINE 0 0 4 0
END
'SYM'
1 1 IEEE
B 1 PAS 'P'
CONVERT
R 1 OE 'Q'
)src";

class Sdt2scTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        library = new_Library();
    }
    void TearDown() override {
        free_Library(library);
        ImportTest::TearDown();
    }
    int parse(const std::string& text) { return sdt2sc_parse_text(text, library, capture); }
    Part* part(const char* name) {
        LibEntry* entry = find_LibEntry(library, name);
        return entry ? entry->part : nullptr;
    }
    static Item* first_item(Vectors* set) {
        return set && set->items && set->items->head ? static_cast<Item*>(set->items->head->data)
                                                     : nullptr;
    }
    Library* library = nullptr;
};

TEST_F(Sdt2scTest, ConvertAfterPinsIsAReferenceOnlyWhenAStringFollows) {
    ASSERT_EQ(parse("'A' 1 1 1 L 1 IN 'x' CONVERT 'B'\n'B' 1 1 1 L 1 IN 'y' CONVERT L 2 OUT 'z'"),
              0);
    Part* a = part("A");
    ASSERT_TRUE(a && a->normal);
    EXPECT_EQ(a->normal->saved_mode, CONVERTOF_VEC);
    EXPECT_STREQ(a->normal->name.get(), "B");
    EXPECT_EQ(pinlist_count(a->normal_pins), 1);
    EXPECT_FALSE(a->convert || a->convert_pins);
    Part* b = part("B");
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->normal);
    EXPECT_EQ(pinlist_count(b->normal_pins), 1);
    ASSERT_EQ(pinlist_count(b->convert_pins), 1);
    EXPECT_STREQ(static_cast<Pin*>(b->convert_pins->pins->head->data)->name.get(), "z");
    EXPECT_EQ(logged, "");
}

TEST_F(Sdt2scTest, UnitsPinsAndTextsFollowTheSource) {
    ASSERT_EQ(parse("PREFIX 'U' = 'IC' 'R' END\n'P' 2 3 2 R 2 0 '5' DOT SHORT PAS 'N'\n"
                    "VECTOR LINE 0 0 4 0 TEXT 1 2 0.5 NEGATION END"),
              0);
    List* prefixes = library->prefixes;
    ASSERT_EQ(prefixes->count, 2u);
    EXPECT_STREQ(static_cast<Prefix*>(prefixes->tail->data)->expansion.get(), "");
    Part* p = part("P");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->body.w, 2000);
    Pin* pin = static_cast<Pin*>(p->normal_pins->pins->head->data);
    EXPECT_EQ(pin->pos, (Point{2000, 2000}));
    EXPECT_EQ(pin->flags, RIGHT | DOT | SHORT);
    EXPECT_STREQ(pin_number(pin, 0), "");
    EXPECT_STREQ(pin_number(pin, 1), "5");
    Line* line = as_Line(first_item(p->normal));
    EXPECT_EQ(line->pos, (Point{0, 0}));
    EXPECT_EQ(line->end, (Point{4000, 0}));
    EXPECT_EQ(line->width, 1);
    Text* text = as_Text(static_cast<Item*>(p->normal->items->tail->data));
    EXPECT_EQ(text->string, "W");
    EXPECT_EQ(text->font, 1);
    EXPECT_EQ(text->size.width, 500);
}

TEST_F(Sdt2scTest, KeywordsSplitWithoutWordBoundaryAndStrayCharactersAreIgnored) {
    ASSERT_EQ(parse("'P', (1 1 1) T 1 DOTIN 'x'"), 0);
    Pin* pin = static_cast<Pin*>(part("P")->normal_pins->pins->head->data);
    EXPECT_EQ(pin->type, PIN_IN);
    EXPECT_EQ(pin->flags, TOP | DOT);
}

TEST_F(Sdt2scTest, ArcDirectionFollowsItsSweep) {
    // Quarter turn counter-clockwise on the screen (y down): sweep 90.
    ASSERT_EQ(parse("'Q' 1 1 1 VECTOR ARC 0 0 1 0 0 -1 1 ARC 0 0 1 0 0 1 1 ARC 0 0 0 0 0 0 0 END"),
              0);
    List* items = part("Q")->normal->items;
    std::vector<int> dirs;
    for (Item* item : list_items<Item>(items)) dirs.push_back(as_Arc(item)->dir);
    EXPECT_EQ(dirs, (std::vector<int>{0, 1, 1}));
}

TEST_F(Sdt2scTest, ErrorsNameTheLineAndStopTheParse) {
    struct Case {
        const char* source;
        int line;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"'A' 1 1 1 VECTOR 'B'\nEND", 2},
             {"{ one\ntwo\n} 'A' 1 1 1 L 1 1 2 IN 'x'", 3},
             {"'A' 1 1 -1 L 1 IN 'x'", 1},
             {"'A' 1 1 0\nL 1 7 IN 'x'", 2},  // a number on a pin of a part without numbers
             {"'A' 1 1 2 L 1 1 2 3 IN 'x'", 1},
             {"'A' 1 1 1\nVECTOR LINE 0 0 3000000 0 END", 2},
             {"'A' 1 1 1 VECTOR CIRCLE -2147483 0 1 END", 1},
             {"'A' 99999999999 1 1 L 1 IN 'x'", 1},
             {"'A' 1 1 1 VECTOR TEXT 0 0 40 'big' END", 1},
             {"'A' 1 1 1", 1}}) {
        logged.clear();
        free_Library(library);
        library = new_Library();
        EXPECT_EQ(parse(c.source), 1) << c.source;
        EXPECT_EQ(logged, "sdt2sc : Error : parse error at line " + std::to_string(c.line) + "\n")
            << c.source;
    }
}

// Parts listed without device count (0) have pins known by name only: one
// device, every pin number empty, and the empty number 0 still accepted.
TEST_F(Sdt2scTest, ADeviceCountOfZeroMakesOneDeviceWithUnnumberedPins) {
    ASSERT_EQ(
        parse("'AND2' 'AND2B1'\nREFERENCE 'U'\n5 4 0\nL 1 SHORT IN 'I0'\nL 3 0 SHORT IN 'I1'\n"
              "R 2 SHORT OUT 'O'\n'NEXT' 1 1 2 L 1 1 2 IN 'x'"),
        0);
    Part* p = part("AND2B1");
    ASSERT_TRUE(p);
    EXPECT_EQ(p, part("AND2"));
    EXPECT_EQ(p->devices, 1);
    EXPECT_EQ(p->type, STANDARD);
    ASSERT_EQ(pinlist_count(p->normal_pins), 3);
    for (Pin* pin : list_items<Pin>(p->normal_pins->pins)) EXPECT_STREQ(pin_number(pin, 0), "");
    // The next part counts its own devices again.
    ASSERT_TRUE(part("NEXT"));
    EXPECT_EQ(part("NEXT")->devices, 2);
    EXPECT_EQ(logged, "");
}

class Sdt2scJobTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        std::filesystem::create_directories(dir.path() / "src");
        std::filesystem::create_directories(dir.path() / "lib");
        proper_set(DIR_LIBRARY, file("lib").c_str(), SDT_VERBOSE, 0, 0);
    }
    int run(const std::string& source, std::string* written = nullptr) {
        tn_test::write_text(file("src/every.src"), source);
        return convert_orcad_library(file("src/EVERY.src").c_str(), capture, written);
    }
};

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./import_tests and
// review the diff of tests/data/import before committing them.
TEST_F(Sdt2scJobTest, EveryFormConvertsToTheGoldenLibraries) {
    proper_set(SDT_VERBOSE, 1, 0);
    std::string written;
    ASSERT_EQ(run(kSource, &written), 0);
    EXPECT_EQ(written, file("lib/EVERY.clb"));
    EXPECT_EQ(logged,
              "Converting OrCAD library:\nParsing OrCAD file...\nResolving Vector References\n"
              "Writing ascii library...\nWriting binary library...\nConversion done.\n");
    tn_test::expect_golden("import/every_form.slb", tn_test::read_bytes(file("lib/EVERY.slb")));
    tn_test::expect_golden("import/every_form.clb", tn_test::read_bytes(file("lib/EVERY.clb")));
}

// A library of parts without pin numbers, and a sheet that places two of
// them and wires the output of one to an input of the other.
TEST_F(Sdt2scJobTest, PartsWithoutPinNumbersArePlacedAndJoinedByTheirWires) {
    ASSERT_EQ(run("'AND2'\nREFERENCE 'U'\n5 4 0\nL 1 SHORT IN 'I0'\nL 3 SHORT IN 'I1'\n"
                  "R 2 SHORT OUT 'O'\n"),
              0);
    proper_set(SDT_LIBFILE, "EVERY", 0);
    auto and2 = [](int x, int y, const char* reference) {
        Part32 p;
        p.x = x, p.y = y;
        p.strings = {reference, "AND2", "", "", "", "", "", "", "", "", "", "AND2"};
        return p;
    };
    // Short pins reach one grid step (10) out of the body: U1's O at
    // (10 + 50 + 10, 10 + 20), U2's I0 at (100 - 10, 20 + 10).
    File32 sheet;
    sheet.part(and2(10, 10, "U1")).part(and2(100, 20, "U2")).line(4, 70, 30, 90, 30).end();
    Schema* schema = genwind_build_schema(load(sheet.bytes));
    ASSERT_TRUE(schema);
    EXPECT_EQ(logged, "");
    std::vector<std::string> placed;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) placed.push_back(as_PlacedPart(item)->reference.text.get());
    EXPECT_EQ(placed, (std::vector<std::string>{"U1", "U2"}));
    NetContext* context = new_NetContext();
    ASSERT_EQ(build_sheet_nets(context, schema), 0);
    std::vector<std::set<std::string>> joined;
    for (Ident* head : list_items<Ident>(context->islands)) {
        std::set<std::string> members;
        for (const SchItem* m = head->nextconn; m; m = m->next) {
            const PseudoPin* pp = as_PseudoPin(m);
            members.insert(std::string(as_PlacedPart(pp->father)->reference.text.get()) + "." +
                           pp->pin->name.get());
        }
        if (members.size() > 1) joined.push_back(members);
    }
    EXPECT_EQ(joined, (std::vector<std::set<std::string>>{{"U1.O", "U2.I0"}}));
    free_NetContext(schema, context);
    free_Schema(schema, false);
}

TEST_F(Sdt2scJobTest, FailuresWriteNothing) {
    EXPECT_EQ(convert_orcad_library(file("src/none.src").c_str(), capture), -1);
    EXPECT_EQ(logged, "");
    proper_set(SDT_VERBOSE, 1, 0);
    EXPECT_EQ(convert_orcad_library(file("src/none.src").c_str(), capture), -1);
    EXPECT_EQ(logged, "Can't open file '" + file("src/none.src") + "'\n");
    logged.clear();
    proper_set(SDT_VERBOSE, 0, 0);
    EXPECT_EQ(run("'A' 1 1 1 L 1 2 3 IN 'x'"), 1);
    EXPECT_EQ(logged, "sdt2sc : Error : parse error at line 1\n");
    EXPECT_FALSE(std::filesystem::exists(file("lib/EVERY.clb")));
    EXPECT_FALSE(std::filesystem::exists(file("lib/EVERY.slb")));
}

TEST_F(Sdt2scJobTest, DecliningTheAsciiFileStillWritesTheBinaryOne) {
    tn_test::write_text(file("lib/EVERY.slb"), "old");
    script_answers({ANSWER_CANCEL});
    std::string written;
    EXPECT_EQ(run("'A' 1 1 1 L 1 IN 'x'", &written), 0);
    EXPECT_EQ(tn_test::read_text(file("lib/EVERY.slb")), "old");
    EXPECT_EQ(written, file("lib/EVERY.clb"));
    EXPECT_TRUE(std::filesystem::exists(written));
}

}  // namespace
}  // namespace sdt_test
