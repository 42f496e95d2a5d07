// The ERC job over sheets whose nets are built: the report (golden), the
// marks it leaves in the saved sheet or in the open document, repeated
// time stamps, a root of project names only, and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "connectivity/project_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
#include "model/documents/erc_mark.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"

namespace {

using namespace project_test;

struct SchemaFree {
    void operator()(Schema* schema) const { free_Schema(schema, false); }
};
using SchemaPtr = std::unique_ptr<Schema, SchemaFree>;

class ErcJobTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        write_fixture("erc.sch", "erc_sheet.asc");
        proper_set(NETERC_HIER, 1, 0);
        report_ = file("erc.erc");
    }
    // The report without its date line.
    std::string report_text() const { return erc_report_without_date(report_); }
    SchemaPtr load(const char* name) {
        Schema* schema = nullptr;
        EXPECT_EQ(load_schema_file(&schema, file(name).c_str()), 0);
        return SchemaPtr(schema);
    }
    std::vector<int> marks_of(Schema* schema) const {
        std::vector<int> numbers;
        for (ErcMark* mark : list_items<ErcMark>(schema->erc_list)) numbers.push_back(mark->number);
        return numbers;
    }
    std::string report_;
};

// Regenerate with TN_UPDATE_GOLDEN=1 and review the diff of the data folder.
TEST_F(ErcJobTest, TheReportAndTheMarksOfOneSheet) {
    ASSERT_EQ(erc_report("erc.sch", report_.c_str(), print_capture), 0);
    std::string text = report_text();
    EXPECT_EQ(text.substr(0, text.find('\n')), "Tessaron ERC Report V2.02  ");
    tn_test::expect_golden("connectivity/erc_job.erc",
                           std::vector<unsigned char>(text.begin(), text.end()));
    EXPECT_TRUE(erc_found_errors);
    EXPECT_TRUE(std::filesystem::exists(file("erc.bnt")));  // the sheet's net file
    EXPECT_EQ(printed,
              "Creating ERC Report...\nAnnotation verifications ...\n"
              "Loading schematic file 'erc.sch'...\nLoading schematic file 'erc.sch'...\n"
              "Done.\n");
    SchemaPtr sheet = load("erc.sch");
    EXPECT_EQ(marks_of(sheet.get()), (std::vector<int>{1}));
    EXPECT_EQ(std::string(sheet->erc_report), report_);
    // The mark's finding reads back from the report.
    ASSERT_TRUE(erc_mark_details(sheet.get(), 1));
    EXPECT_NE(text.find(erc_mark_detail_line(0) + "\n" + erc_mark_detail_line(1) + "\n"),
              std::string::npos);
    EXPECT_EQ(erc_mark_detail_line(0).rfind("      Pin (OUTPUT)", 0), 0u);
}

TEST_F(ErcJobTest, AnOpenDocumentTakesTheMarksAndItsFileIsNotWritten) {
    SchemaPtr open(
        compile_sheet(tn_test::read_text(tn_test::data_path("connectivity/erc_sheet.asc"))));
    open_in_editor("erc.sch", open.get());
    auto before = tn_test::read_bytes(file("erc.sch"));
    ASSERT_EQ(erc_report("erc.sch", report_.c_str(), print_capture), 0);
    EXPECT_EQ(marks_of(open.get()), (std::vector<int>{1}));
    EXPECT_EQ(open->flag2, 1);
    EXPECT_EQ(tn_test::read_bytes(file("erc.sch")), before);
}

TEST_F(ErcJobTest, RepeatedStampsAreRenumberedAndTheSheetSavedOnce) {
    // Two parts share a stamp; the sheet also gets a mark: one save keeps the
    // original as the backup.
    Schema* schema =
        compile_sheet(tn_test::read_text(tn_test::data_path("connectivity/erc_sheet.asc")));
    std::vector<PlacedPart*> parts;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) parts.push_back(as_PlacedPart(item));
    parts[1]->time_stamp = parts[0]->time_stamp;
    ASSERT_EQ(save_schema_file(schema, file("erc.sch").c_str(), false), 0);
    free_Schema(schema, false);
    auto original = tn_test::read_bytes(file("erc.sch"));
    ASSERT_EQ(erc_report("erc.sch", report_.c_str(), print_capture), 0);
    EXPECT_EQ(tn_test::read_bytes(file("erc.BAK")), original);
    SchemaPtr sheet = load("erc.sch");
    std::vector<uint32_t> stamps;
    for (SchItem* item : list_items<SchItem>(sheet->sheet->items))
        if (item->type == PARTLIB_ITEM) stamps.push_back(as_PlacedPart(item)->time_stamp);
    ASSERT_EQ(stamps.size(), 3u);
    EXPECT_NE(stamps[0], stamps[1]);
    EXPECT_EQ(marks_of(sheet.get()), (std::vector<int>{1}));
}

// A repeated stamp takes the counter's next stamp that no part holds, on
// this sheet or one renumbered before it.
TEST_F(ErcJobTest, ARenumberedStampIsNoneAPartAlreadyHolds) {
    SchemaPtr sheet(
        compile_sheet(tn_test::read_text(tn_test::data_path("connectivity/erc_sheet.asc"))));
    std::vector<PlacedPart*> parts;
    for (SchItem* item : list_items<SchItem>(sheet->sheet->items))
        if (item->type == PARTLIB_ITEM) parts.push_back(as_PlacedPart(item));
    ASSERT_EQ(parts.size(), 3u);
    parts[0]->time_stamp = 500;
    parts[1]->time_stamp = 7;
    parts[2]->time_stamp = 7;
    StampSet used;
    ASSERT_TRUE(used.insert(501));  // an earlier sheet's
    uint32_t counter = 500;
    EXPECT_TRUE(renumber_stamps(sheet.get(), &used, &counter));
    EXPECT_EQ(parts[2]->time_stamp, 502u);
    EXPECT_EQ(counter, 503u);
}

TEST_F(ErcJobTest, ARootOfProjectNamesOnlyIsASheetWithoutNets) {
    write_sheet("root.sch",
                "(SCHEMATIC\n  (SHEET\n    (TEXT 0 (POS 0 0 ) (SIZE 300 400 ) "
                "'&PROJ:erc.sch' )\n  )\n)\n");
    proper_set(NETERC_HIER, 0, 0);
    ASSERT_EQ(erc_report("root.sch", report_.c_str(), print_capture), 0);
    std::string text = report_text();
    EXPECT_NE(text.find(">>>>>>>>>>>>>>>>> Analyzing : root.sch\nReport:\n-------\n\n\n"
                        "Unconnected Pins :\n------------------\n\n\n\n"
                        ">>>>>>>>>>>>>>>>> Analyzing : erc.sch\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(load("root.sch")->erc_list == nullptr);
}

// A wire from the tip of a resistor's first pin on through its body and
// its second pin meets neither pin where it connects: the netlists leave
// both pins alone, and the check lists both unconnected.
TEST_F(ErcJobTest, PinsTheNetlistsLeaveAloneAreListedUnconnected) {
    write_sheet("lone.sch", sheet({part("RES", "R1", "1k"),
                                   "    (LINE (POS 500 -3000 ) (POS 500 8000 )  )\n"}));
    ASSERT_EQ(netlist_compile("lone.sch", print_capture), 0) << printed;
    ASSERT_EQ(netlist_link("lone", "lone_linked", print_capture), 0) << printed;
    ASSERT_EQ(netlist_format("lone_linked", file("lone.pel").c_str(), "pelmoran", 2, print_capture),
              0);
    const std::string netlist = tn_test::read_text(file("lone.pel"));
    ASSERT_EQ(erc_report("lone.sch", report_.c_str(), print_capture), 0);
    const std::string text = report_text();
    const std::string listed = text.substr(text.find("Unconnected Pins :"));
    for (const char* pin : {"1", "2"}) {
        SCOPED_TRACE(pin);
        const std::string number = std::string("#'") + pin + "' Name '" + pin + "'";
        EXPECT_NE(netlist.find(std::string(" (") + pin + " ?"), std::string::npos) << netlist;
        EXPECT_NE(listed.find("Pin (PASSIVE) " + number + " Part 'R1'"), std::string::npos) << text;
    }
}

TEST_F(ErcJobTest, FailuresEndTheJobWithTheirCodes) {
    EXPECT_EQ(erc_report("erc.sch", file("no/such/dir/r.erc").c_str(), print_capture), -1);
    EXPECT_NE(printed.find("*** ERROR *** : Cannot create file  (File " +
                           file("no/such/dir/r.erc") + ")"),
              std::string::npos)
        << printed;
    // A missing root: the annotation check cannot load it (single sheet), or
    // the project cannot be listed.
    EXPECT_EQ(erc_report("none.sch", report_.c_str(), print_capture), 1);
    proper_set(NETERC_HIER, 0, 0);
    EXPECT_EQ(erc_report("none.sch", report_.c_str(), print_capture), 85);
    proper_set(NETERC_HIER, 1, 0);
    write_sheet("u.sch", sheet({part("RES", "R?", "1k")}));
    printed.clear();
    EXPECT_EQ(erc_report("u.sch", report_.c_str(), print_capture), 0);
    EXPECT_NE(printed.find("Warning:  'u.sch' is not (or partialy) annotated\n"),
              std::string::npos);
    EXPECT_TRUE(anno_not_annotated);
}

}  // namespace
