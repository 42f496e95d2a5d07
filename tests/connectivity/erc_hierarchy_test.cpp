// The ERC job across a two-level hierarchy: a root whose sub-sheet box
// stands for a leaf. The per-sheet sections, the link of the net files the
// job wrote, the final report over the linked design (golden), the marks
// of each sheet, and sheets that cannot be listed or linked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "connectivity/erc.h"
#include "connectivity/net_fixture.h"
#include "connectivity/net_link.h"
#include "connectivity/project_fixture.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/erc_mark.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"

namespace {

using namespace project_test;
namespace nt = net_test;

void replace_all(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// A sheet of the net tests' parts, its library entries named "library/part"
// as a sheet placed from real libraries holds them (the link imports each
// sub-sheet's entries under such names).
std::string sheet_source(const std::string& items, const std::string& ports = "") {
    std::string source = nt::schematic(items, ports);
    for (const char* name : {"R", "VR", "IC"}) {
        replace_all(source, std::string("(NAME '") + name + "'",
                    std::string("(NAME 'LIB/") + name + "'");
        replace_all(source, std::string("(PARTLIB '") + name + "'",
                    std::string("(PARTLIB 'LIB/") + name + "'");
    }
    return source;
}

std::string with_direction(std::string port, const char* direction) {
    replace_all(port, " BIDIR ", std::string(" ") + direction + " ");
    return port;
}
std::string module_port(int x, int y, const char* name, const char* direction, bool right = false) {
    return with_direction(nt::sheet_port(x, y, name, right), direction);
}
std::string box_port(int dy, const char* name, const char* direction) {
    return with_direction(nt::box_port(0, dy, name), direction);
}
std::string box_for(const char* file, const std::string& ports, int y = 0) {
    std::string source = nt::subsheet(20000, y, ports);
    replace_all(source, "'sub.sch'", std::string("'") + file + "'");
    return source;
}

// Root: U1's output drives the box port DIN; the box port DOUT drives U2's
// input; U2's output loops back to U1's input. `dout` is the direction the
// box declares for DOUT; `extra` adds items.
std::string root_source(const char* dout, const std::string& extra = "",
                        const std::string& ports = "", const char* leaf = "leaf.sch") {
    return sheet_source(
        nt::part("IC", 0, 0, "U1") + nt::wire(5000, 1000, 20000, 1000) +
            box_for(leaf, box_port(1000, "DIN", "INPUT") + box_port(3000, "DOUT", dout)) +
            nt::wire(20000, 3000, 10000, 3000) + nt::wire(10000, 3000, 10000, 11000) +
            nt::part("IC", 13000, 10000, "U2") + nt::wire(18000, 11000, 18000, 15000) +
            nt::wire(18000, 15000, -3000, 15000) + nt::wire(-3000, 15000, -3000, 1000) + extra,
        ports);
}
// Leaf: R1 between the module ports DIN (input) and DOUT (output).
std::string leaf_source(const std::string& extra = "", const std::string& ports = "") {
    return sheet_source(nt::part("R", 0, 0, "R1") + nt::wire(-20000, 0, -3000, 0) +
                            nt::wire(5000, 0, 20000, 0) + extra,
                        module_port(-20000, 0, "DIN", "INPUT") +
                            module_port(20000, 0, "DOUT", "OUTPUT", true) + ports);
}
// The leaf's own finding: U3's output also drives the input port DIN.
const std::string leaf_driver = nt::part("IC", -30000, 4000, "U3") +
                                nt::wire(-25000, 5000, -20000, 5000) +
                                nt::wire(-20000, 5000, -20000, 0) + nt::junction(-20000, 0);

class ErcHierarchyTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        proper_set(NETERC_HIER, 0, 0);
        report_ = file("root.erc");
    }
    // The findings: DOUT declared an input on the box, an output in the
    // leaf; U3 drives DIN in the leaf; an output module port XO on each
    // sheet (the matrix makes two output ports on one net an error).
    void write_findings() {
        proper_set(ERC_TABLE, ERC_OUTPUT_PORT * ERC_CLASSES + ERC_OUTPUT_PORT, 2, 0);
        write_sheet("root.sch",
                    root_source("INPUT", "", module_port(-40000, 30000, "XO", "OUTPUT")));
        write_sheet("leaf.sch",
                    leaf_source(leaf_driver, module_port(40000, 30000, "XO", "OUTPUT")));
    }
    int run() { return erc_report("root.sch", report_.c_str(), print_capture); }
    std::string report_text() const { return erc_report_without_date(report_); }
    std::vector<int> marks_in(Schema* schema) const {
        std::vector<int> numbers;
        for (ErcMark* mark : list_items<ErcMark>(schema->erc_list)) numbers.push_back(mark->number);
        return numbers;
    }
    std::vector<int> marks_of(const char* name) {
        Schema* schema = nullptr;
        EXPECT_EQ(load_schema_file(&schema, file(name).c_str()), 0);
        std::vector<int> numbers = schema ? marks_in(schema) : std::vector<int>{};
        close_schema(nullptr, &schema);
        return numbers;
    }
    std::string report_;
};

// Regenerate with TN_UPDATE_GOLDEN=1 and review the diff of the data folder.
TEST_F(ErcHierarchyTest, ACleanHierarchyEndsInAnEmptyFinalReport) {
    write_sheet("root.sch", root_source("OUTPUT"));
    write_sheet("leaf.sch", leaf_source());
    ASSERT_EQ(run(), 0) << printed;
    std::string text = report_text();
    tn_test::expect_golden("connectivity/erc_hier_clean.erc",
                           std::vector<unsigned char>(text.begin(), text.end()));
    EXPECT_FALSE(erc_found_errors);
    EXPECT_EQ(printed,
              "Creating ERC Report...\nAnnotation verifications ...\n"
              "Loading schematic file 'root.sch'...\nLoading schematic file 'leaf.sch'...\n"
              "Loading schematic file 'root.sch'...\nLoading schematic file 'leaf.sch'...\n"
              "Done.\n");
}

// Regenerate with TN_UPDATE_GOLDEN=1 and review the diff of the data folder.
TEST_F(ErcHierarchyTest, FindingsAcrossSheetsAndTheSubSheetPortDirection) {
    write_findings();
    ASSERT_EQ(run(), 0) << printed;
    std::string text = report_text();
    tn_test::expect_golden("connectivity/erc_hier_findings.erc",
                           std::vector<unsigned char>(text.begin(), text.end()));
    EXPECT_NE(text.find("WARNING : Net 'DOUT'    SubSheet Port is not same type as the "
                        "corresponding one\n"),
              std::string::npos);
    EXPECT_NE(text.find("ERROR : Net 'XO' -  More than one Output Port\n"), std::string::npos);
    // Each sheet keeps the marks of its own findings; the root has none.
    EXPECT_EQ(marks_of("leaf.sch"), (std::vector<int>{1}));
    EXPECT_TRUE(marks_of("root.sch").empty());
    // Sheets stored without their optional header take their marks too.
    drop_header(file("root.sch"));
    drop_header(file("leaf.sch"));
    ASSERT_EQ(run(), 0) << printed;
    EXPECT_EQ(marks_of("leaf.sch"), (std::vector<int>{1}));
    // The same sheets checked one by one know nothing of the box's sheet.
    proper_set(NETERC_HIER, 1, 0);
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(report_text().find("SubSheet Port"), std::string::npos);
}

// The leaf's R1 renamed U1, the root's reference: what the annotation check
// logs stands in the report too, ahead of the sheets.
TEST_F(ErcHierarchyTest, TheReportNamesAReferenceUsedOnTwoSheets) {
    write_sheet("root.sch", root_source("OUTPUT"));
    std::string leaf = leaf_source();
    replace_all(leaf, "'R1'", "'U1'");
    write_sheet("leaf.sch", leaf);
    ASSERT_EQ(run(), 0) << printed;
    const std::string line = "Warning:  'U1' in 'leaf.sch' already appears in'root.sch'\n";
    EXPECT_NE(printed.find(line), std::string::npos) << printed;
    const std::string text = report_text();
    EXPECT_NE(text.find("Main Schematic : root.sch\n\n\n" + line + "\n>>>>"), std::string::npos)
        << text;
}

TEST_F(ErcHierarchyTest, EachBoxPortIsComparedWithItsOwnSheetsPort) {
    // Two boxes for two leaves whose ports SP join one net by name: box 0
    // stands for an input, box 1 for an output.
    auto leaf = [](const char* direction) {
        return sheet_source(nt::part("R", 0, 0, "R1") + nt::wire(-20000, 0, -3000, 0),
                            module_port(-20000, 0, "SP", direction));
    };
    write_sheet("a.sch", leaf("INPUT"));
    write_sheet("b.sch", leaf("OUTPUT"));
    auto root = [](const char* second) {
        return sheet_source(box_for("a.sch", box_port(1000, "SP", "INPUT")) +
                            box_for("b.sch", box_port(1000, "SP", second), 20000));
    };
    auto final_report = [&] {
        std::string text = report_text();
        size_t at = text.find("Final Report\n------------\n\n\n");
        return at == std::string::npos ? text : text.substr(at + 28);
    };
    write_sheet("root.sch", root("OUTPUT"));
    ASSERT_EQ(run(), 0) << printed;
    EXPECT_EQ(final_report(), "");
    write_sheet("root.sch", root("INPUT"));
    ASSERT_EQ(run(), 0) << printed;
    EXPECT_EQ(final_report(),
              "WARNING : Net 'SP'    SubSheet Port is not same type as the corresponding one\n");
}

TEST_F(ErcHierarchyTest, AnOpenSubSheetTakesItsMarksAndKeepsItsUnsavedEdits) {
    write_findings();
    Schema* open =
        compile_sheet(leaf_source(leaf_driver, module_port(40000, 30000, "XO", "OUTPUT")));
    ASSERT_NE(open, nullptr);
    // An edit not saved yet: a text only the open document holds.
    Schema* edit = compile_sheet(sheet_source(nt::text(0, 50000, "unsaved")));
    dlist_concat(open->sheet->items, edit->sheet->items, nullptr);
    free_Schema(edit, false);
    const int items = open->sheet->items->count;
    open_in_editor("leaf.sch", open);
    auto before = tn_test::read_bytes(file("leaf.sch"));
    ASSERT_EQ(run(), 0) << printed;
    EXPECT_EQ(marks_in(open), (std::vector<int>{1}));
    EXPECT_EQ(std::string(open->erc_report), report_);
    EXPECT_EQ(open->flag2, 1);
    EXPECT_EQ(open->sheet->items->count, items);
    EXPECT_EQ(tn_test::read_bytes(file("leaf.sch")), before);
    EXPECT_FALSE(std::filesystem::exists(file("leaf.BAK")));
    reset_services();
    free_Schema(open, false);
}

TEST_F(ErcHierarchyTest, AnOpenSheetKeepsItsMarksUntilTheCheckThatReplacesThemSucceeds) {
    // The open root carries the mark of an earlier report; the check fails
    // at the leaf (its net file's name holds a user's text) after the root
    // was checked.
    write_findings();
    Schema* open = compile_sheet(root_source("INPUT"));
    ASSERT_NE(open, nullptr);
    ErcMark* old = new_ErcMark();
    old->number = 7;
    open->erc_list = list_new();
    dlist_append(open->erc_list, old);
    copy_field(open->erc_report, sizeof open->erc_report, "old.erc");
    open_in_editor("root.sch", open);
    tn_test::write_text(file("leaf.bnt"), "the user's notes\n");
    EXPECT_EQ(run(), FILE_NOT_WRITTEN) << printed;
    EXPECT_FALSE(std::filesystem::exists(report_));
    EXPECT_EQ(marks_in(open), (std::vector<int>{7})) << "marks pointing into no report";
    EXPECT_EQ(std::string(open->erc_report), "old.erc");
    EXPECT_EQ(open->flag2, 0);

    // A check that succeeds replaces them: the root has no finding of its own.
    std::filesystem::remove(file("leaf.bnt"));
    ASSERT_EQ(run(), 0) << printed;
    EXPECT_TRUE(marks_in(open).empty());
    EXPECT_EQ(std::string(open->erc_report), "");
    EXPECT_EQ(open->flag2, 1);
    reset_services();
    free_Schema(open, false);
}

TEST_F(ErcHierarchyTest, ASheetThatCannotBeLinkedEndsTheJobWithoutAFinalReport) {
    // The leaf's box stands for the root: the link refuses to read it again.
    write_sheet("root.sch", root_source("OUTPUT"));
    write_sheet("leaf.sch", leaf_source(box_for("root.sch", "")));
    EXPECT_EQ(run(), PARTIAL_LINK);
    EXPECT_NE(printed.find("Sheet 'root' uses itself"), std::string::npos) << printed;
    std::string text = report_text();
    EXPECT_NE(text.find(">>>>>>>>>>>>>>>>> Analyzing : leaf.sch\n"), std::string::npos);
    EXPECT_EQ(text.find("Final Report"), std::string::npos);
}

TEST_F(ErcHierarchyTest, AMissingOrDamagedSubSheetIsNamedAndNoReportIsWritten) {
    write_sheet("root.sch", root_source("OUTPUT"));
    EXPECT_EQ(run(), 85);
    EXPECT_NE(printed.find("*** ERROR *** : Sheet not found: leaf.sch\n"), std::string::npos)
        << printed;
    EXPECT_FALSE(std::filesystem::exists(report_));
    tn_test::write_text(file("leaf.sch"), "not a sheet");
    printed.clear();
    EXPECT_EQ(run(), 85);
    EXPECT_NE(printed.find("leaf.sch"), std::string::npos) << printed;
    EXPECT_FALSE(std::filesystem::exists(report_));
}

}  // namespace
