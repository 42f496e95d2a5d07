// Bill of materials: row and reference order, column widths, wrapping and
// paging (golden reports), the merge file and its damaged forms, and the
// failures a job reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/bom.h"
#include "connectivity/project_fixture.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"

namespace {

using namespace project_test;

class BomTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        set_field_name(1, "Part Value");
        std::vector<std::string> root = {part("RES", "R10", "1k"),
                                         part("GATE", "U1", "7400", 0),
                                         part("GATE", "U1", "7400", 1),
                                         part("GATE", "U2", "7400"),
                                         part("RES", "C1", "100n"),
                                         part("RES", "D1", "LED"),
                                         part("RES", "R40", "2k2"),
                                         part("RES", "R41", "47k"),
                                         part("RES", "R42", "1M"),
                                         part("RES", "B1", "BAT"),
                                         box("sub.sch")};
        for (int i = 1; i <= 12; ++i) {
            std::string ref = "R" + std::to_string(i == 10 ? 20 : i);
            root.push_back(part("RES", ref.c_str(), "10k"));
        }
        write_sheet("root.sch", sheet(root));
        write_sheet("sub.sch", sheet({part("RES", "R30", "4k7"), part("RES", "r30", "4k7"),
                                      part("RES", "R31", "10K")}));
    }
    std::string report() { return tn_test::read_text(file("out.bom")); }
    void expect_report_golden(const char* name) {
        std::string text = report();
        tn_test::expect_golden(std::string("connectivity/") + name,
                               std::vector<unsigned char>(text.begin(), text.end()));
    }
};

TEST(BomOrder, RowsGoByValueLengthThenIgnoringCase) {
    EXPECT_TRUE(bom_row_before("1k", "10k"));
    EXPECT_TRUE(bom_row_before("ZZZ", "100n"));
    EXPECT_TRUE(bom_row_before("abcd", "ABCE"));
    EXPECT_FALSE(bom_row_before("10K", "10k"));
    EXPECT_FALSE(bom_row_before("10k", "10K"));
    EXPECT_TRUE(bom_row_before("10k,zzzzz", "100n,a"));  // only the value's length counts first
}

// Regenerate the reports with TN_UPDATE_GOLDEN=1 and review the diff.
TEST_F(BomTest, NarrowPagesWrapReferencesAndRepeatTheHeader) {
    // References column 50 - 20 - 8 = 22 wide; a header every 7 row lines.
    proper_set(BOM_WIDTH, 50, BOM_HEIGHT, 10, 0);
    ASSERT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    expect_report_golden("bom_paged.bom");
    EXPECT_EQ(printed,
              "Loading schematic file 'root.sch'...\nLoading schematic file 'sub.sch'...\n");
    // Two devices of U1 count once; R30 and r30 are two parts.
    EXPECT_NE(report().find("    10       2  U1,U2"), std::string::npos);
    EXPECT_NE(report().find("     6       2  R30,r30"), std::string::npos);
}

TEST_F(BomTest, MergeTextsContinueUnderTheirColumn) {
    tn_test::write_text(file("parts.rpt"),
                        "'key' 'Description'\n"
                        "'10k' 'Metal film resistor, one percent, quarter watt, the one''s we "
                        "keep in the blue drawer near the window'\n"
                        "'100N' 'Ceramic'\n"
                        "'10K' 'a second line for 10k'\n"
                        "'999' 'nothing uses it'\n");
    proper_set(BOM_MERGE, 1, BOM_MERGEFILE, "parts", 0);
    ASSERT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    expect_report_golden("bom_merge.bom");
    EXPECT_NE(printed.find("duplicate merge line, near line #4\n"), std::string::npos);
    EXPECT_EQ(report().find("nothing uses it"), std::string::npos);
    EXPECT_NE(report().find("one's we"), std::string::npos);
}

TEST_F(BomTest, ChosenFieldsBeyondTheEighthMakeColumnsAndKeys) {
    set_field_name(11, "Tol");
    proper_set(NB_FIELD_NAME, 12, BOM_FIELDS, 9, 1, 0);
    write_sheet(
        "root.sch",
        sheet({part("RES", "R1", "1k", 0, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "1%"}),
               part("RES", "R2", "1k", 0, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "5%"}),
               part("RES", "R3", "1k")}));
    ASSERT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    // References 80 - 20 - 2 * 8 = 44 wide; "Part Value" is headed "Value".
    std::string pad(42, ' ');
    EXPECT_EQ(report(),
              "Bill of materials -- project root.sch -- page 1\n\n"
              "  Item     Qty  References" +
                  std::string(34, ' ') + "   Value     Tol  \n" + std::string(78, '-') +
                  "\n"
                  "     1       1  R1" +
                  pad +
                  "      1k      1%  \n"
                  "     2       1  R2" +
                  pad +
                  "      1k      5%  \n"
                  "     3       1  R3" +
                  pad + "      1k          \n");
}

TEST_F(BomTest, AReferenceLongerThanItsColumnStandsAlone) {
    proper_set(BOM_WIDTH, 10, 0);  // the references column falls back to 10
    write_sheet("root.sch",
                sheet({part("RES", "RVERYLONGREFERENCE1", "1k"),
                       part("RES", "RVERYLONGREFERENCE2", "1k"), part("RES", "R1", "1k")}));
    ASSERT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    std::string text = report();
    EXPECT_NE(text.find("     1       3  R1,      "), std::string::npos) << text;
    EXPECT_NE(text.find("\n                RVERYLONGREFERENCE1,\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\n                RVERYLONGREFERENCE2\n"), std::string::npos) << text;
}

TEST_F(BomTest, FailuresAreReportedAndReturned) {
    // No such root: the project cannot be listed.
    EXPECT_EQ(bill_of_materials("none.sch", file("out.bom").c_str(), print_capture), 85);
    // The report cannot be created.
    std::string bad = file("no/such/dir/out.bom");
    EXPECT_EQ(bill_of_materials("root.sch", bad.c_str(), print_capture), 50);
    EXPECT_NE(printed.find("Cannot create '" + bad + "' -- exiting\n"), std::string::npos);
    // A merge file that cannot be opened is a warning of the job.
    printed.clear();
    proper_set(BOM_MERGE, 1, BOM_MERGEFILE, "absent", 0);
    EXPECT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    EXPECT_NE(printed.find("cannot open merge file -- ignoring\n"), std::string::npos);
}

TEST_F(BomTest, ADamagedSheetStopsTheJobBeforeAnyReport) {
    tn_test::write_bytes(file("sub.sch"), {'@', 'x'});
    EXPECT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 85);
    EXPECT_FALSE(std::filesystem::exists(file("out.bom")));
}

TEST_F(BomTest, DamagedMergeFilesGiveWarningsNeverACrash) {
    std::string good = "'key' 'Heading'\n'10k' 'it''s fine'\n'1k' 'carbon'\n";
    proper_set(BOM_MERGE, 1, BOM_MERGEFILE, "m", BOM_VERBOSE, 0, 0);
    for (size_t n = 0; n <= good.size(); ++n) {
        tn_test::write_text(file("m.rpt"), good.substr(0, n));
        ASSERT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0) << n;
    }
    // A string that never ends.
    tn_test::write_text(file("m.rpt"), "'key' 'Heading'\n'10k' 'open\n\n");
    printed.clear();
    EXPECT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    EXPECT_EQ(printed, "merge file ends inside a string or a pair, near line #4\n");
    // A key without its text.
    tn_test::write_text(file("m.rpt"), "'key' 'Heading' '10k'");
    printed.clear();
    EXPECT_EQ(bill_of_materials("root.sch", file("out.bom").c_str(), print_capture), 0);
    EXPECT_EQ(printed, "merge file ends inside a string or a pair, near line #1\n");
}

}  // namespace
