// Two-level hierarchies from schematic source (tests/data/connectivity)
// through the compile, link and format jobs: the netlists in every format,
// the jobs' logs, the net files read back, and the external consumers of the
// SPICE and EDIF files. Golden files live in tests/data/connectivity;
// regenerate them with TN_UPDATE_GOLDEN=1 and review the diff before
// committing.
#include <gmock/gmock.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/erc.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "connectivity/net_jobs.h"
#include "connectivity/net_link.h"
#include "connectivity/netlist_format.h"
#include "connectivity/netlist_test_tools.h"
#include "connectivity/project_fixture.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "support/test_env.h"

namespace {

using namespace project_test;
using net_test::pcb_rnd_nets;
using net_test::run_ngspice;
using net_test::without_date;
using ::testing::HasSubstr;
using ::testing::Not;

class Hierarchy : public ProjectTest {
protected:
    // Writes the sheets of a fixture: `sources` pairs a sheet file with its source.
    void write_sheets(const std::vector<std::pair<std::string, std::string>>& sources) {
        for (const auto& [sheet, source] : sources) write_fixture(sheet, source);
    }
    void write_hierarchy() {
        write_sheets({{"hier.sch", "hier_root.asc"},
                      {"hier_amp.sch", "hier_amp.asc"},
                      {"hier_bus.sch", "hier_bus.asc"}});
    }
    void write_ladder() {
        write_sheets({{"ladder.sch", "ladder_root.asc"},
                      {"ladder_a.sch", "ladder_a.asc"},
                      {"ladder_b.sch", "ladder_b.asc"}});
    }
    // Compiles the project of `root`.sch and links it into `root`_linked,
    // both named as in the project directory.
    void compile_and_link(const std::string& root) {
        ASSERT_EQ(netlist_compile((root + ".sch").c_str(), print_capture, &title), 0) << printed;
        ASSERT_EQ(netlist_link(root.c_str(), (root + "_linked").c_str(), print_capture), 0)
            << printed;
    }
    // Formats the linked nets of `root` into `output` (in the project directory).
    int format(const std::string& root, const std::string& output, const char* keyword) {
        return netlist_format((root + "_linked").c_str(), file(output).c_str(), keyword, 2,
                              print_capture, title.c_str());
    }
    // A second box on the root's source, before its items, like the bus
    // sheet's box but naming `file`.
    static void add_second_bus_box(std::string& root, const std::string& file) {
        std::string again = root.substr(root.find("  (SUBSHEET 0x00000600"));
        again = again.substr(0, again.find(") )\n") + 4);
        again.replace(again.find("0x00000600 (POS 30000"), 21, "0x00000610 (POS 60000");
        again.replace(again.find("'hier_bus.sch'"), 14, "'" + file + "'");
        root.insert(root.find("(SHEET\n") + 7, again);
    }
    void golden(const std::string& name, const std::string& text) {
        tn_test::expect_golden("connectivity/" + name, {text.begin(), text.end()});
    }
    std::string title;  // the root sheet's, as the compile found it
};

TEST_F(Hierarchy, JobsWriteEveryFormatOfATwoLevelHierarchy) {
    write_hierarchy();
    proper_set(NETFMT_VERBOSE, 1, 0);
    compile_and_link("hier");
    for (auto [output, keyword] : {std::pair{"hier.tnf", "tessaron"},
                                   {"hier.pel", "pelmoran"},
                                   {"hier.cir", "SPICE"},
                                   {"hier.edf", "FLATEDIF"}})
        ASSERT_EQ(format("hier", output, keyword), 0) << keyword << "\n" << printed;
    golden("hier_jobs.log", printed);
    golden("hier.tnf", without_date(tn_test::read_text(file("hier.tnf"))));
    golden("hier.pel", tn_test::read_text(file("hier.pel")));
    golden("hier.cir", tn_test::read_text(file("hier.cir")));
    golden("hier.edf", without_date(tn_test::read_text(file("hier.edf"))));
}

TEST_F(Hierarchy, JobsWithoutVerboseReportWarningsOnly) {
    // A sheet used by two boxes, a part never annotated, one whose library
    // part is missing and a pin number SPICE cannot order (in the root's
    // library, which the linked sheets share): warned about whether the
    // jobs are verbose or not.
    write_hierarchy();
    std::string root = tn_test::read_text(tn_test::data_path("connectivity/hier_root.asc"));
    add_second_bus_box(root, "hier_bus.sch");
    root.replace(root.find("'R3'"), 4, "'R?'");
    root.insert(root.find("(SHEET\n") + 7,
                "(PARTLIB 'NOSUCH' 0x00000D00 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 "
                "(POS 0 90000 ) (ATTRIBUTE 'X9' VIS (POS 0 0 ) ) (ATTRIBUTE 'x' (POS 0 0 ) ) )\n");
    root.replace(root.find("(POS 1000 0 ) '3'"), 17, "(POS 1000 0 ) 'V'");
    write_sheet("hier.sch", root);
    proper_set(NETFMT_VERBOSE, 0, 0);
    compile_and_link("hier");
    ASSERT_EQ(format("hier", "hier.tnf", "tessaron"), 0);
    const std::string parts =
        "Part X9: library part NOSUCH not found\n"
        "Part R? is not annotated\n"
        "Part R4: duplicate reference\n"
        "Part R5: duplicate reference\n";
    EXPECT_EQ(printed,
              "*** Warning : Sheet 'hier_bus' is used more than once in the hierarchy\n" + parts);
    printed.clear();
    EXPECT_EQ(format("hier", "hier.cir", "SPICE"), SPICE_PIN_NOT_A_NUMBER);
    EXPECT_EQ(printed, parts + "Part U2: pin number 'V' is not a number from 0 to 999\n" +
                           "*** ERROR *** : Pin Reference is not a Number (" + file("hier.cir") +
                           ")\n");
}

TEST_F(Hierarchy, LinkProblemsAreNamedAndLeaveNothingToFormat) {
    // The bus sheet uses the root; the amplifier's net file is cut short.
    write_hierarchy();
    std::string bus = tn_test::read_text(tn_test::data_path("connectivity/hier_bus.asc"));
    bus.insert(bus.find("(SHEET\n") + 7,
               "(SUBSHEET 0x00000B00 (POS 40000 0 ) (SIZE 8000 6000 ) 'TOP' 'hier.sch' (PORTS\n"
               "(PORT LEFT BIDIR (POS 0 2000 ) 'D0' ) ) )\n");
    write_sheet("hier_bus.sch", bus);
    proper_set(NETFMT_VERBOSE, 1, 0);
    ASSERT_EQ(netlist_compile("hier.sch", print_capture), 0) << printed;
    std::vector<unsigned char> bytes = tn_test::read_bytes(file("hier_amp.bnt"));
    bytes.resize(bytes.size() / 2);
    tn_test::write_bytes(file("hier_amp.bnt"), bytes);
    printed.clear();
    EXPECT_EQ(netlist_link("hier", "hier_linked", print_capture), PARTIAL_LINK);
    EXPECT_EQ(netlist_format("hier_linked", file("hier.tnf").c_str(), "tessaron", 2, print_capture),
              1);
    std::string dir = dir_.path().string() + "/";
    for (size_t at = printed.find(dir); at != std::string::npos; at = printed.find(dir, at))
        printed.erase(at, dir.size());
    EXPECT_EQ(printed,
              "Linking schematic file 'hier'...\n"
              "*** Error : Sheet 'hier_amp' not linked: its net file 'hier_amp.bnt' is damaged "
              "(Code 66)\n"
              "*** Error : Sheet 'hier' uses itself, it is not linked again\n"
              "*** ERROR *** : Netlist is Partialy linked. (File hier_linked.bnt)\n"
              "Formatting netlist 'hier_linked'...\n"
              "*** ERROR *** : Cannot open file for reading (File hier_linked.bnt)\n");
    EXPECT_FALSE(std::filesystem::exists(file("hier.tnf")));
}

TEST_F(Hierarchy, EveryNetFileReadsBackToTheSameBytes) {
    // Read alone and written again without a sheet number, each sheet's net
    // file and the linked one come out unchanged; but for the net of the bus
    // sheet's port: its one member, the port named as a bus range, is left
    // out of the file, so the net reads back empty and is not written again.
    write_hierarchy();
    compile_and_link("hier");
    const std::string bus_net(
        "\xA2\0\0\0\x01\0\0\0\x0E"
        "D[0..1]\0\xE0",
        18);
    for (const char* name : {"hier", "hier_amp", "hier_bus", "hier_linked"}) {
        std::vector<unsigned char> bytes = tn_test::read_bytes(file(std::string(name) + ".bnt"));
        ASSERT_FALSE(bytes.empty()) << name;
        std::string expected(bytes.begin(), bytes.end());
        if (size_t at = expected.find(bus_net); at != std::string::npos)
            expected.erase(at, bus_net.size());
        Schema* schema = nullptr;
        new_active_schema(&schema);
        NetContext* context = new_NetContext();
        ASSERT_EQ(link_netlist(context, schema, name, LINK_READ_ONLY), 0) << name;
        EXPECT_EQ(write_net_report(context, schema, "again", 0), 0);
        free_NetContext(schema, context);
        free_Schema(schema, false);
        bytes = tn_test::read_bytes(file("again.bnt"));
        EXPECT_TRUE(std::string(bytes.begin(), bytes.end()) == expected) << name;
    }
}

TEST_F(Hierarchy, TraceOfCompilingAndLinkingShowsEveryRecord) {
    // The amplifier sheet also gets a pad whose pin has no number, on a
    // wire ending in a no-connect mark, a junction on nothing and a wire
    // that touches nothing.
    write_hierarchy();
    std::string amp = tn_test::read_text(tn_test::data_path("connectivity/hier_amp.asc"));
    amp.insert(
        amp.find("(SHEET\n") + 7,
        "(PARTLIB 'PAD' 0x00000C00 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 "
        "(POS 3000 20000 ) (ATTRIBUTE 'P1' VIS (POS 0 0 ) ) (ATTRIBUTE 'pad' (POS 0 0 ) ) )\n"
        "(LINE (POS 0 20000 ) (POS -5000 20000 ) )\n(NOCON (POS -5000 20000 ) )\n"
        "(JUNCTION (POS 30000 30000 ) SMALL CIRCULAR )\n"
        "(LINE (POS 0 30000 ) (POS 5000 30000 ) )\n");
    amp.insert(amp.find("  (PARTS\n") + 9,
               "(LPART (PART (COMMON (TYPE STANDARD 1) (SIZE 2000 0 ) (REFERENCE 'P' ) )\n"
               "(NORMAL (PINS (PIN 'P' PAS LEFT (POS 0 0 ) ) ) ) ) (ALIAS (NAME 'PAD' ) ) )\n");
    write_sheet("hier_amp.sch", amp);
    std::string trace;
    Services table;
    table.debug_write = [&trace](const char* text) { trace += text; };
    install_services(table);
    struct DebugOn {
        DebugOn() { debug_enabled = true; }
        ~DebugOn() { debug_enabled = false; }
    } debug;
    compile_and_link("hier");
    golden("hier_trace.log", trace);
}

TEST_F(Hierarchy, NgspiceSolvesTheLadderAcrossSheets) {
    ASSERT_TRUE(tn_test::tool_installed("ngspice"));
    write_ladder();
    compile_and_link("ladder");
    ASSERT_EQ(format("ladder", "ladder.cir", "SPICE"), 0)
        << printed << spice_error_reference() << " pin " << spice_error_pin();
    std::string output = run_ngspice(file("ladder.cir"));
    EXPECT_THAT(output, Not(HasSubstr("rror"))) << output;
    // 10 V over 1k into MID, which sees 2k to ground on one sheet and
    // 1k + 1k on the other: MID 5 V, OUT halfway down the second pair.
    EXPECT_THAT(output, ::testing::ContainsRegex("in +1\\.0*e\\+01")) << output;
    EXPECT_THAT(output, ::testing::ContainsRegex("mid +5\\.0*e\\+00")) << output;
    EXPECT_THAT(output, ::testing::ContainsRegex("out +2\\.50*e\\+00")) << output;
}

TEST_F(Hierarchy, PortsPlacedAmongASheetsItemsLinkAsItsModulePorts) {
    // The first ladder sheet with its two ports among the sheet's items
    // rather than in its port list: its net file holds them, reads back, and
    // the hierarchy formats to the same netlist.
    write_ladder();
    compile_and_link("ladder");
    ASSERT_EQ(format("ladder", "ladder.cir", "SPICE"), 0) << printed;
    const std::string expected = tn_test::read_text(file("ladder.cir"));
    std::string sheet = tn_test::read_text(tn_test::data_path("connectivity/ladder_a.asc"));
    const size_t ports = sheet.find("(PORTS\n");
    const size_t end = sheet.find(")\n(SHEET\n");
    std::string moved = sheet.substr(ports + 7, end - ports - 7);
    sheet.erase(ports + 7, end - ports - 7);
    sheet.insert(sheet.find("(SHEET\n") + 7, moved);
    write_sheet("ladder_a.sch", sheet);
    ASSERT_THAT(source_of("ladder_a.sch"), HasSubstr("(SHEET\n    (PORT LEFT BIDIR"));
    printed.clear();
    compile_and_link("ladder");
    Schema* schema = nullptr;
    new_active_schema(&schema);
    NetContext* context = new_NetContext();
    EXPECT_EQ(link_netlist(context, schema, "ladder_a", LINK_READ_ONLY), 0);
    EXPECT_EQ(write_net_report(context, schema, "again", 0), 0);
    free_NetContext(schema, context);
    free_Schema(schema, false);
    EXPECT_EQ(tn_test::read_bytes(file("again.bnt")), tn_test::read_bytes(file("ladder_a.bnt")));
    ASSERT_EQ(format("ladder", "ladder.cir", "SPICE"), 0) << printed;
    EXPECT_EQ(tn_test::read_text(file("ladder.cir")), expected);
}

TEST_F(Hierarchy, PcbRndImportsTheHierarchysEdifNetsUnchanged) {
    ASSERT_TRUE(tn_test::tool_installed("pcb-rnd"));
    write_hierarchy();
    compile_and_link("hier");
    ASSERT_EQ(format("hier", "hier.edf", "FLATEDIF"), 0) << printed;
    std::string pcb_log;
    std::set<std::string> nets = pcb_rnd_nets(dir_.path().string(), file("hier.edf"), &pcb_log);
    EXPECT_THAT(pcb_log, Not(HasSubstr("E:"))) << pcb_log;
    // The two devices of U1, one on each sheet, are one part.
    EXPECT_THAT(nets, ::testing::ElementsAre("D0: R2-1 R4-1", "D1: R3-1 R5-1", "GND: R2-2 R3-2",
                                             "IN: R1-2 U1-1", "VCC: R1-1 R4-2 R5-2 U2-3",
                                             "X: U1-2 U1-5", "Y: U1-6 U2-1", "Z: U2-2"))
        << pcb_log;
}

// Runs in a directory for as long as it lives: names that start with "./"
// or "../" are taken from the current directory, others from the project's.
struct CurrentDir {
    explicit CurrentDir(const std::string& dir) : saved(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDir() { std::filesystem::current_path(saved); }
    std::filesystem::path saved;
};

// The outputs of every job over the hierarchy whose root is `project`/hier.sch:
// the four netlists, the ERC report and the jobs' log, with the project
// directory as the place of the sheets' relative names, named `named` when
// given (a user may name it relatively, as ".").
std::string jobs_over(const std::string& project, const char* named = nullptr) {
    CurrentDir here(project);
    proper_set(DIR_PROJECT, named ? named : project.c_str(), 0);
    proper_set(NETFMT_VERBOSE, 1, 0);
    proper_set(NETERC_HIER, 0, 0);
    printed.clear();
    std::string out;
    EXPECT_EQ(netlist_compile("hier.sch", print_capture), 0) << printed;
    EXPECT_EQ(netlist_link("hier", "hier_linked", print_capture), 0) << printed;
    for (auto [output, keyword] : {std::pair{"hier.tnf", "tessaron"},
                                   {"hier.pel", "pelmoran"},
                                   {"hier.cir", "SPICE"},
                                   {"hier.edf", "FLATEDIF"}}) {
        const std::string path = project + "/" + output;
        EXPECT_EQ(netlist_format("hier_linked", path.c_str(), keyword, 2, print_capture), 0)
            << keyword << "\n"
            << printed;
        out += output + std::string(":\n") + without_date(tn_test::read_text(path));
    }
    const std::string report = project + "/hier.erc";
    EXPECT_EQ(erc_report("hier.sch", report.c_str(), print_capture), 0) << printed;
    out += "hier.erc:\n" + erc_report_without_date(report);
    return out + "log:\n" + printed;
}

TEST_F(Hierarchy, SubSheetsInOtherFoldersCompileLinkAndCheckAsInOneFolder) {
    // One sub-sheet in a folder below the root's, the other in a folder
    // beside it: each net file is written where the linker looks for it, and
    // the jobs give what they give with every sheet in one folder, but for
    // the folders in the names they print.
    std::filesystem::create_directories(file("flat"));
    std::filesystem::create_directories(file("nest/proj/sub"));
    std::filesystem::create_directories(file("nest/common"));
    write_sheets({{"flat/hier.sch", "hier_root.asc"},
                  {"flat/hier_amp.sch", "hier_amp.asc"},
                  {"flat/hier_bus.sch", "hier_bus.asc"},
                  {"nest/proj/sub/hier_amp.sch", "hier_amp.asc"},
                  {"nest/common/hier_bus.sch", "hier_bus.asc"}});
    std::string root = tn_test::read_text(tn_test::data_path("connectivity/hier_root.asc"));
    root.replace(root.find("'hier_amp.sch'"), 14, "'sub/hier_amp.sch'");
    root.replace(root.find("'hier_bus.sch'"), 14, "'../common/hier_bus.sch'");
    write_sheet("nest/proj/hier.sch", root);
    const std::string flat = jobs_over(file("flat"));
    std::string nested = jobs_over(file("nest/proj"));
    EXPECT_TRUE(std::filesystem::exists(file("nest/proj/sub/hier_amp.bnt")));
    EXPECT_TRUE(std::filesystem::exists(file("nest/common/hier_bus.bnt")));
    // The sheet beside the root's folder is named before the net compile
    // and the ERC write beside it.
    const std::string outside = "*** WARNING *** : '" + file("nest/common/hier_bus.sch") +
                                "' lies outside the folder of the root sheet '" +
                                file("nest/proj/hier.sch") + "'\n";
    for (int job = 0; job < 2; ++job) {
        size_t at = nested.find(outside);
        ASSERT_NE(at, std::string::npos) << nested;
        nested.erase(at, outside.size());
    }
    // "../common/" is taken from the root's folder: the jobs name the file
    // they found there.
    const std::string common = file("nest/common/");
    for (const std::string& folder : {std::string("sub/"), common})
        for (size_t at = nested.find(folder); at != std::string::npos; at = nested.find(folder))
            nested.erase(at, folder.size());
    EXPECT_EQ(nested, flat);
}

TEST_F(Hierarchy, AProjectFolderNamedAsTheCurrentOneLinksAsWhenNamedInFull) {
    // "." joined to a sheet's name once gave ".\name", a name every job
    // read through the system's names but the linker opened as it was.
    std::filesystem::create_directories(file("flat"));
    write_sheets({{"flat/hier.sch", "hier_root.asc"},
                  {"flat/hier_amp.sch", "hier_amp.asc"},
                  {"flat/hier_bus.sch", "hier_bus.asc"}});
    EXPECT_EQ(jobs_over(file("flat"), "."), jobs_over(file("flat")));
}

TEST_F(Hierarchy, OneFileUnderTwoSpellingsIsUsedMoreThanOnce) {
    write_hierarchy();
    std::string root = tn_test::read_text(tn_test::data_path("connectivity/hier_root.asc"));
    add_second_bus_box(root, "./hier_bus.sch");
    write_sheet("hier.sch", root);
    proper_set(NETFMT_VERBOSE, 0, 0);
    CurrentDir here(dir_.path().string());
    ASSERT_EQ(netlist_compile("hier.sch", print_capture), 0) << printed;
    EXPECT_EQ(netlist_link("hier", "hier_linked", print_capture), 0) << printed;
    EXPECT_EQ(printed, "*** Warning : Sheet 'hier_bus' is used more than once in the hierarchy\n");
}

}  // namespace
