// Hierarchies whose sheets were saved by different runs of the program (a
// user who drew the root one day and a sub-sheet another): every run numbers
// its records from 1, so the sheets' object ids collide. Compiled, linked and
// formatted, such a hierarchy must give the netlists it gives when one run
// saved every sheet.
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/net_jobs.h"
#include "connectivity/netlist_test_tools.h"
#include "connectivity/project_fixture.h"
#include "foundation/core.h"
#include "foundation/properties.h"
#include "support/test_env.h"

namespace {

using namespace project_test;
using net_test::without_date;

// A sheet file of the project and the source it is compiled from.
struct SheetSource {
    std::string file;
    std::string source;
};

std::vector<SheetSource> fixture(const std::vector<std::pair<std::string, std::string>>& pairs,
                                 const std::string& folder = "connectivity/") {
    std::vector<SheetSource> sheets;
    for (const auto& [file, name] : pairs)
        sheets.push_back({file, tn_test::read_text(tn_test::data_path(folder + name))});
    return sheets;
}

// The two-sheet design a user meets first: R1 between the ports PA and PB at
// the root, R2 between the ports PC and PD in the sub-sheet.
std::vector<SheetSource> two_resistors() {
    const std::string root =
        "(SCHEMATIC\n(PORTS\n"
        "  (PORT LEFT INPUT (POS -6000 0 ) 'PA' )\n"
        "  (PORT RIGHT OUTPUT (POS 12000 0 ) 'PB' ) )\n"
        "(SHEET\n"
        "  (PARTLIB 'RES' 0x00000100 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 (POS 0 0 ) "
        "(ATTRIBUTE 'R1' VIS (POS 0 0 ) ) (ATTRIBUTE '1k' (POS 0 0 ) ) )\n"
        "  (LINE (POS -6000 0 ) (POS 0 0 ) )\n"
        "  (LINE (POS 2000 0 ) (POS 12000 0 ) )\n"
        "  (SUBSHEET 0x00000200 (POS 30000 0 ) (SIZE 8000 6000 ) 'SUB' 'sub.sch' (PORTS ) )\n"
        ")\n";
    const std::string sub =
        "(SCHEMATIC\n(PORTS\n"
        "  (PORT LEFT INPUT (POS -6000 0 ) 'PC' )\n"
        "  (PORT RIGHT OUTPUT (POS 12000 0 ) 'PD' ) )\n"
        "(SHEET\n"
        "  (PARTLIB 'RES' 0x00000300 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 (POS 0 0 ) "
        "(ATTRIBUTE 'R2' VIS (POS 0 0 ) ) (ATTRIBUTE '2k' (POS 0 0 ) ) )\n"
        "  (LINE (POS -6000 0 ) (POS 0 0 ) )\n"
        "  (LINE (POS 2000 0 ) (POS 12000 0 ) )\n"
        ")\n";
    const std::string library =
        "(LIB '$ACTIVE$' (PFXS ) (PARTS (LPART (PART (COMMON (TYPE STANDARD 1) "
        "(SIZE 2000 0 ) (REFERENCE 'R' ) ) (NORMAL (PINS (PIN '1' PAS LEFT (POS 0 0 ) '1' ) "
        "(PIN '2' PAS RIGHT (POS 2000 0 ) '2' ) ) ) ) (ALIAS (NAME 'RES' ) ) ) ) )\n)\n";
    return {{"two.sch", root + library}, {"sub.sch", sub + library}};
}

class SeparateRuns : public ProjectTest {
protected:
    // Saves the sheets, each as a run of its own would (the id serial from 1)
    // or all in one run, then compiles, links and formats the project of the
    // first sheet in every format: the netlists, dates taken out.
    std::string netlists(const std::vector<SheetSource>& sheets, bool separate) {
        reset_object_ids(1);
        for (const SheetSource& sheet : sheets) {
            if (separate)
                write_sheet_in_own_run(sheet.file, sheet.source);
            else
                write_sheet(sheet.file, sheet.source);
        }
        std::string root = sheets.front().file;
        root.resize(root.rfind('.'));
        printed.clear();
        std::string out;
        EXPECT_EQ(netlist_compile((root + ".sch").c_str(), print_capture), 0) << printed;
        EXPECT_EQ(netlist_link(root.c_str(), (root + "_linked").c_str(), print_capture), 0)
            << printed;
        for (auto [suffix, keyword] : {std::pair{".tnf", "tessaron"},
                                       {".pel", "pelmoran"},
                                       {".cir", "SPICE"},
                                       {".edf", "FLATEDIF"}}) {
            const std::string path = file(root + suffix);
            std::filesystem::remove(path);
            int result =
                netlist_format((root + "_linked").c_str(), path.c_str(), keyword, 2, print_capture);
            out += std::string(keyword) + " " + std::to_string(result) + ":\n";
            if (std::filesystem::exists(path)) out += without_date(tn_test::read_text(path));
        }
        return out + "log:\n" + printed;
    }
    void expect_same_netlists(const std::vector<SheetSource>& sheets) {
        const std::string one_run = netlists(sheets, false);
        EXPECT_EQ(netlists(sheets, true), one_run);
    }
};

TEST_F(SeparateRuns, EveryHierarchyNetlistsAsWhenOneRunSavedItsSheets) {
    {
        SCOPED_TRACE("two resistors");
        const std::string one_run = netlists(two_resistors(), false);
        // R2's pins are on PC and PD, not on R1's nets nor unconnected.
        EXPECT_THAT(one_run, ::testing::HasSubstr(" ( 1 PC )\n ( 2 PD )"));
        EXPECT_THAT(one_run, ::testing::HasSubstr("(portRef &1 (instanceRef  &R2))"));
        EXPECT_EQ(netlists(two_resistors(), true), one_run);
    }
    {
        SCOPED_TRACE("hier");
        expect_same_netlists(fixture({{"hier.sch", "hier_root.asc"},
                                      {"hier_amp.sch", "hier_amp.asc"},
                                      {"hier_bus.sch", "hier_bus.asc"}}));
    }
    {
        SCOPED_TRACE("ladder");
        expect_same_netlists(fixture({{"ladder.sch", "ladder_root.asc"},
                                      {"ladder_a.sch", "ladder_a.asc"},
                                      {"ladder_b.sch", "ladder_b.asc"}}));
    }
    {
        SCOPED_TRACE("shipped example");
        expect_same_netlists(fixture({{"root.sch", "root.asc"}, {"amplifier.sch", "amplifier.asc"}},
                                     "../../examples/"));
    }
}

}  // namespace
