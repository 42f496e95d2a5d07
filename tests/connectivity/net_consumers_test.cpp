// Designs carried through every netlist to the programs that read them:
// each sheet saved by a run of its own, then compiled, linked and formatted
// by the jobs; the SPICE deck solved by ngspice, the EDIF netlist imported
// into pcb-rnd with the nets of a table.
#include <gmock/gmock.h>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/net_jobs.h"
#include "connectivity/netlist_format.h"
#include "connectivity/netlist_test_tools.h"
#include "connectivity/project_fixture.h"
#include "support/test_env.h"

namespace {

using namespace project_test;
using ::testing::ContainsRegex;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

bool installed(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

class Consumers : public ProjectTest {
protected:
    // Saves each sheet (file, source) by a run of its own, then compiles and
    // links the project of the first.
    void compile_and_link(const std::vector<std::pair<std::string, std::string>>& sheets) {
        for (const auto& [sheet, source] : sheets) write_sheet_in_own_run(sheet, source);
        root_ = sheets.front().first;
        root_.resize(root_.rfind('.'));
        ASSERT_EQ(netlist_compile((root_ + ".sch").c_str(), print_capture), 0) << printed;
        ASSERT_EQ(netlist_link(root_.c_str(), (root_ + "_linked").c_str(), print_capture), 0)
            << printed;
    }
    // The linked nets formatted (module field 2) into the project's `output`;
    // its path.
    std::string netlist(const std::string& output, const char* keyword) {
        std::string path = file(output);
        EXPECT_EQ(
            netlist_format((root_ + "_linked").c_str(), path.c_str(), keyword, 2, print_capture), 0)
            << keyword << "\n"
            << printed << spice_error_reference() << " pin " << spice_error_pin();
        return path;
    }
    // Every format written; the deck's ngspice output, which has no error line.
    std::string solved(const std::string& deck) {
        netlist(root_ + ".tnf", "tessaron");
        netlist(root_ + ".pel", "pelmoran");
        std::string output = net_test::run_ngspice(netlist(deck, "SPICE"));
        EXPECT_THAT(output, Not(HasSubstr("rror"))) << output;
        return output;
    }
    // The nets pcb-rnd imported from the EDIF netlist, which it read without an error.
    std::set<std::string> imported(const std::string& edif) {
        std::string log;
        std::set<std::string> nets =
            net_test::pcb_rnd_nets(dir_.path().string(), netlist(edif, "FLATEDIF"), &log);
        EXPECT_THAT(log, Not(HasSubstr("E:"))) << log;
        return nets;
    }
    static std::string example(const char* name) {
        return tn_test::read_text(std::string(TN_TEST_DATA_DIR) + "/../../examples/" + name);
    }
    static std::string fixture(const char* name) {
        return tn_test::read_text(tn_test::data_path(std::string("connectivity/") + name));
    }

    std::string root_;
};

TEST_F(Consumers, TheShippedExampleIsSolvedByNgspiceAndImportedByPcbRnd) {
    if (!installed("ngspice") || !installed("pcb-rnd"))
        GTEST_SKIP() << "ngspice or pcb-rnd is not installed (scripts/setup.sh installs both)";
    compile_and_link(
        {{"root.sch", example("root.asc")}, {"amplifier.sch", example("amplifier.asc")}});
    // 0.5 V through the filter into a gain of 11; the follower's output at 0.
    std::string output = solved("root.cir");
    EXPECT_THAT(output, ContainsRegex("vout +5\\.49")) << output;
    EXPECT_THAT(tn_test::read_text(file("root.cir")),
                HasSubstr("X1         VOUT N00000 IN 0 0 N00001 N00001 VCC LM358\n"));
    // The op-amp is one part: both halves' supply pins are its pins 8 and 4.
    EXPECT_THAT(imported("root.edf"), ElementsAre("GND: C1-2 R2-1 X1-4 X1-5", "IN: C1-1 R1-2 X1-3",
                                                  "N00000: R2-2 R3-1 X1-2", "N00001: X1-6 X1-7",
                                                  "SIGNAL: R1-1", "VCC: X1-8", "VOUT: R3-2 X1-1"));
}

// The divider from +12V to -12V whose taps D0..D3 four followers buffer:
// one quad package, two of its devices on the root, two on the sub-sheet,
// which takes the taps through a bus written high to low on the box.
TEST_F(Consumers, AQuadOnTwoSheetsIsOnePackageToNgspiceAndToPcbRnd) {
    compile_and_link(
        {{"quad.sch", fixture("quad_root.asc")}, {"quad_sub.sch", fixture("quad_sub.asc")}});
    // Its supply pins, numbered alike in every device, are one node each.
    EXPECT_THAT(tn_test::read_text(netlist("quad.cir", "SPICE")),
                HasSubstr("X1         Q0 Q0 D0 +12V D1 Q1 Q1 Q2 Q2 D2 -12V D3 Q3\n"
                          "+  Q3 LM324\n"));
    if (!installed("ngspice") || !installed("pcb-rnd"))
        GTEST_SKIP() << "ngspice or pcb-rnd is not installed (scripts/setup.sh installs both)";
    // The taps of five equal resistors from +12 V to -12 V, each followed.
    std::string output = solved("quad.cir");
    for (const char* node : {"q0 +7\\.19", "q1 +2\\.39", "q2 +-2\\.39", "q3 +-7\\.19"})
        EXPECT_THAT(output, ContainsRegex(node)) << output;
    // X1's 14 pins, each once. pcb-rnd names a renamed net by its
    // identifier: "&_12V" is +12V, "&_12V_2" -12V.
    EXPECT_THAT(imported("quad.edf"),
                ElementsAre("&_12V: R1-1 X1-4", "&_12V_2: R5-2 X1-11", "D0: R1-2 R2-1 X1-3",
                            "D1: R2-2 R3-1 X1-5", "D2: R3-2 R4-1 X1-10", "D3: R4-2 R5-1 X1-12",
                            "GND: R6-2 R7-2 R8-2 R9-2", "Q0: R6-1 X1-1 X1-2", "Q1: R7-1 X1-6 X1-7",
                            "Q2: R8-1 X1-8 X1-9", "Q3: R9-1 X1-13 X1-14"));
}

}  // namespace
