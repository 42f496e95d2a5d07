// Back-annotation: the change-file language (scanner and grammar), renames
// and pin swaps on sheets, the job across a project with open documents,
// and damaged change files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/backannotate.h"
#include "connectivity/project_fixture.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/pin.h"

namespace {

using namespace project_test;

struct SchemaFree {
    void operator()(Schema* schema) const { free_Schema(schema, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

std::vector<std::string> refs_of(Schema* schema) {
    std::vector<std::string> refs;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM)
            refs.emplace_back(pl_reference_text(schema->library, as_PlacedPart(item)));
    return refs;
}

// The pin numbers of the first placed part, for its device, in pin order.
std::vector<std::string> pin_numbers(Schema* schema) {
    std::vector<std::string> numbers;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* part = as_PlacedPart(item);
        for (Pin* pin : list_items<Pin>(pl_pins_in_use(schema->library, part)->pins))
            numbers.emplace_back(pin_number(pin, part->device));
        break;
    }
    return numbers;
}

class BackannotateTest : public ProjectTest {
protected:
    // Parses a change text against a sheet of the given items.
    int parse(const std::string& text, const std::vector<std::string>& items) {
        schema_.reset(compile_sheet(sheet(items)));
        JobLog log(print_capture, BACK_VERBOSE);
        return ba_parse_text(text, schema_.get(), log);
    }
    SchemaPtr schema_;
};

// --- the language --------------------------------------------------------------------------------

TEST_F(BackannotateTest, AcceptedFilesApplyEveryStatement) {
    EXPECT_EQ(parse("", {}), 0);
    EXPECT_EQ(parse("/* only a comment\n spanning lines */\n\n\r\n", {}), 0);
    EXPECT_EQ(parse("'R1' 'R7'\n  /* note */ 'R2'\t'R8'\r\n",
                    {part("RES", "R1", "1k"), part("RES", "R2", "1k")}),
              0);
    EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"R7", "R8"}));
    // Doubled quotes stand for one; keywords in either case.
    EXPECT_EQ(parse("'Q''1A' 'Q''9A'\nswap '1' '2' in 'Q''9A'\n", {part("DUAL", "Q''1", "pair")}),
              0);
    EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"Q'9A"}));
    EXPECT_EQ(pin_numbers(schema_.get()), (std::vector<std::string>{"2", "1", "3"}));
}

TEST_F(BackannotateTest, SyntaxErrorsNameTheirLineAndApplyNothingOfTheirStatement) {
    struct Case {
        std::string text;
        int line;
    };
    for (const Case& c :
         {Case{"'R1' 'R2'", 1},                   // no line feed after the last statement
          Case{"\n\nSwap '1' '2' IN 'R1'\n", 3},  // mixed case is no keyword
          Case{"'R1'\n", 2},                      // found at its line feed, already counted
          Case{"/* */ 'R1' 'R2' 'R3'\n", 1}, Case{"'R1' 'R2\n", 1},  // a string left open
          Case{"SWAPX '1' '2' IN 'R1'\n", 1}, Case{std::string("'R1' \0 'R2'\n", 12), 1}}) {
        printed.clear();
        EXPECT_EQ(parse(c.text, {part("RES", "R1", "1k")}), 1) << c.text;
        EXPECT_EQ(printed.substr(printed.find("backannotate")),
                  "backannotate : Error : parse error at line " + std::to_string(c.line) + "\n")
            << c.text;
        EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"R1"})) << c.text;
    }
}

TEST_F(BackannotateTest, StringsLongerThanTheLimitAreSyntaxErrors) {
    std::string fits(BA_STRING_MAX, 'R'), too_long(BA_STRING_MAX + 1, 'R');
    EXPECT_EQ(parse("'R1' '" + fits + "'\n", {part("RES", "R1", "1k")}), 0);
    EXPECT_EQ(parse("'R1' '" + too_long + "'\n", {part("RES", "R1", "1k")}), 1);
    // Doubled quotes count once.
    std::string quotes;
    for (size_t i = 0; i < BA_STRING_MAX; ++i) quotes += "''";
    EXPECT_EQ(parse("'R1' '" + quotes + "'\n", {part("RES", "R1", "1k")}), 0);
    EXPECT_EQ(parse("'R1' '" + std::string(100000, 'x') + "'\n", {part("RES", "R1", "1k")}), 1);
}

TEST_F(BackannotateTest, AHundredThousandLineFileParses) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += i % 2 ? "'Q1' 'Q2'\n" : "\n";
    proper_set(BACK_VERBOSE, 0, 0);
    EXPECT_EQ(parse(text, {part("RES", "R1", "1k")}), 0);
    EXPECT_EQ(printed, "");
}

// --- renames and swaps -----------------------------------------------------------------------------

TEST_F(BackannotateTest, RenamesMoveEachPartOnceAndKeepDeviceLetters) {
    // Exchanging two references gives each part one new reference only.
    EXPECT_EQ(
        parse("'R1' 'R2'\n'R2' 'R1'\n'U1A' 'U5B'\n'U1' 'U6B'\n'R9' 'R10'\n",
              {part("RES", "R1", "1k"), part("RES", "R2", "1k"), part("GATE", "U1", "7400", 0)}),
        0);
    EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"R2", "R1", "U5B"}));
    EXPECT_EQ(printed,
              "BackAnnotate 'R1' ==> 'R2'\n"
              "BackAnnotate 'R2' ==> 'R1'\n"
              "BackAnnotate 'U1A' ==> 'U5B'\n"
              "*** WARNING *** : Cannot BackAnnotate 'U1' to 'U6B'\n"
              "BackAnnotate 'R9' ==> 'R10'\n"
              "*** WARNING *** : Part 'R9' not found\n");
}

TEST_F(BackannotateTest, SwapsExchangePinNumbersOfOneDevice) {
    EXPECT_EQ(parse("SWAP '5' '6' IN 'Q1B'\n", {part("DUAL", "Q1", "pair", 1)}), 0);
    EXPECT_EQ(pin_numbers(schema_.get()), (std::vector<std::string>{"6", "5", "7"}));
    printed.clear();
    EXPECT_EQ(parse("SWAP '1' '3' IN 'Q1A'\nSWAP '1' '9' IN 'Q1A'\nSWAP '1' '2' IN 'Q7A'\n",
                    {part("DUAL", "Q1", "pair", 0)}),
              0);
    EXPECT_EQ(pin_numbers(schema_.get()), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(printed,
              "Swap pins in 'Q1A' : '1'  ==> '3'\n"
              "Different Pins types\n(Part 'Q1A', Pins '1' & '3')\n"
              "Swap pins in 'Q1A' : '1'  ==> '9'\n"
              "Pins not found\n(Part 'Q1A', Pins '1' & '9')\n"
              "Swap pins in 'Q7A' : '1'  ==> '2'\n"
              "*** WARNING *** : Part 'Q7A' not found\n");
}

// A reference two parts come to share names the first of them in the sheet,
// whichever was renamed first; a part keeps being found by its reference
// after it was renamed to it and away from it.
TEST_F(BackannotateTest, ASwapAfterRenamesFindsTheFirstPartOfTheSheetWithTheReference) {
    EXPECT_EQ(parse("'Q2B' 'Q3B'\n'Q1B' 'Q3B'\nSWAP '5' '6' IN 'Q3B'\n",
                    {part("DUAL", "Q1", "pair", 1), part("DUAL", "Q2", "pair", 1)}),
              0);
    EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"Q3B", "Q3B"}));
    EXPECT_EQ(pin_numbers(schema_.get()), (std::vector<std::string>{"6", "5", "7"}));
    printed.clear();
    EXPECT_EQ(parse("'R1' 'R5'\n'R5' 'R6'\n'R2' 'R1'\nSWAP '1' '2' IN 'R5'\n",
                    {part("RES", "R1", "1k"), part("RES", "R2", "1k")}),
              0);
    EXPECT_EQ(refs_of(schema_.get()), (std::vector<std::string>{"R5", "R1"}));
    // A renamed part is not renamed again, but a swap finds it.
    EXPECT_EQ(printed,
              "BackAnnotate 'R1' ==> 'R5'\n"
              "BackAnnotate 'R5' ==> 'R6'\n"
              "*** WARNING *** : Part 'R5' not found\n"
              "BackAnnotate 'R2' ==> 'R1'\n"
              "Swap pins in 'R5' : '1'  ==> '2'\n"
              "Different Pins shapes\n(Part 'R5', Pins '1' & '2')\n");
}

// --- the job ---------------------------------------------------------------------------------------

class BackannotateJobTest : public BackannotateTest {
protected:
    void SetUp() override {
        BackannotateTest::SetUp();
        write_sheet("root.sch",
                    sheet({part("RES", "R1", "1k"), part("DUAL", "Q1", "pair"), box("sub.sch")}));
        write_sheet("sub.sch", sheet({part("RES", "R1", "1k"), part("RES", "R2", "1k")}));
        list_ = project("root.sch");
    }
    void TearDown() override {
        free_name_list(list_);
        BackannotateTest::TearDown();
    }
    void write_changes(const std::string& text) { tn_test::write_text(file("root.ban"), text); }
    List* list_ = nullptr;
    std::string name_;
};

TEST_F(BackannotateJobTest, EverySheetTakesTheChangesAndIsSaved) {
    write_changes("/* from layout */\n'R1' 'R11'\n'R2' 'R12'\nSWAP '1' '2' IN 'Q1A'\n");
    ASSERT_EQ(backannotate(file("root.sch").c_str(), &name_, print_capture, list_), 0);
    EXPECT_EQ(references("root.sch"), (std::vector<std::string>{"R11", "Q1A"}));
    EXPECT_EQ(references("sub.sch"), (std::vector<std::string>{"R11", "R12"}));
    SchemaPtr root;
    {
        Schema* loaded = nullptr;
        ASSERT_EQ(load_schema_file(&loaded, file("root.sch").c_str()), 0);
        root.reset(loaded);
    }
    // The swap is kept in the saved file (the part's own pins).
    std::vector<std::string> numbers;
    for (SchItem* item : list_items<SchItem>(root->sheet->items))
        if (item->type == PARTLIB_ITEM && as_PlacedPart(item)->own_pins) numbers.push_back("own");
    EXPECT_EQ(numbers, (std::vector<std::string>{"own"}));
    EXPECT_EQ(name_, "sub.sch");
    EXPECT_NE(printed.find("Writing sheet file " + file("root.sch") + "...\n"), std::string::npos);
    EXPECT_STREQ(strproper_get(BACK_OUTFILE), file("root.sch").c_str());
}

TEST_F(BackannotateJobTest, ASyntaxErrorLeavesEverySheetAndOpenDocumentAsItWas) {
    SchemaPtr open(compile_sheet(sheet({part("RES", "R1", "1k"), part("RES", "R2", "1k")})));
    open_in_editor("sub.sch", open.get());
    auto root = tn_test::read_bytes(file("root.sch"));
    write_changes("'R1' 'R11'\n'R2' 'R12'\noops\n");
    EXPECT_EQ(backannotate(file("root.sch").c_str(), &name_, print_capture, list_), 1);
    EXPECT_EQ(printed, "backannotate : Error : parse error at line 3\n");
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), root);
    EXPECT_EQ(refs_of(open.get()), (std::vector<std::string>{"R1", "R2"}));
    EXPECT_FALSE(schema_is_modified(open.get()));
}

TEST_F(BackannotateJobTest, AnOpenDocumentTakesTheChangesWithItsUnsavedEdits) {
    SchemaPtr open(compile_sheet(sheet({part("RES", "R2", "1k"), part("RES", "R3", "1k")})));
    open_in_editor("sub.sch", open.get());
    auto sub = tn_test::read_bytes(file("sub.sch"));
    write_changes("'R3' 'R13'\n");
    ASSERT_EQ(backannotate(file("root.sch").c_str(), &name_, print_capture, list_), 0);
    EXPECT_EQ(refs_of(open.get()), (std::vector<std::string>{"R2", "R13"}));
    EXPECT_TRUE(schema_is_modified(open.get()));
    EXPECT_EQ(tn_test::read_bytes(file("sub.sch")), sub);
}

TEST_F(BackannotateJobTest, MissingFilesAreReported) {
    EXPECT_EQ(backannotate(file("root.sch").c_str(), &name_, print_capture, list_), -1);
    write_changes("'R1' 'R11'\n");
    std::filesystem::remove(file("sub.sch"));
    auto root = tn_test::read_bytes(file("root.sch"));
    EXPECT_EQ(backannotate(file("root.sch").c_str(), &name_, print_capture, list_), 1);
    EXPECT_EQ(name_, "sub.sch");
    EXPECT_EQ(tn_test::read_bytes(file("root.sch")), root);
}

}  // namespace
