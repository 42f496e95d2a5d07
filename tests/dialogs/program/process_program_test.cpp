// The batch jobs as a user starts them: the real program on the shipped
// example hierarchy, each job's dialog opened from the Tools menu, its
// fields typed and chosen and Execute pressed with real events, and what
// the job wrote checked by the programs that read it (ngspice, pcb-rnd),
// by its content and in the log window.
//
// Reference images live in tests/data/dialogs/; TN_REGENERATE_SHELL=1
// rewrites them (look at every image before committing it).
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "connectivity/netlist_test_tools.h"
#include "dialogs/program/example_project.h"
#include "shell/program_harness.h"
#include "support/program_driver.h"
#include "support/test_env.h"

namespace {

namespace fs = std::filesystem;
using tn_test::Control;
using tn_test::Program;

const char* const netlist_dialog = "Tessaron: Netlist Output";

// Opens a Tools entry and waits for its dialog.
std::optional<Control> open_tool(Program& program, const std::string& keys,
                                 const std::string& title) {
    program.Menu(keys);
    return program.WaitTopLevel(title);
}

// Chooses an entry of a choice with the keyboard: the choice takes the
// focus by a click, its list opens, the entry is found from the top.
void choose(Program& program, const std::string& window, const std::string& label, int entry) {
    auto choice = program.WaitControl(window, label);
    ASSERT_TRUE(choice);
    program.Click(*choice);
    std::string keys = "Home";
    for (int i = 0; i < entry; ++i) keys += " Down";
    program.Keys(keys + " Return");
}

void execute(Program& program, const std::string& window) {
    auto button = program.WaitControl(window, "Execute");
    ASSERT_TRUE(button);
    program.Click(*button);
    ASSERT_TRUE(program.WaitGone(window)) << window << " stayed open";
}

// Writes the netlist of the sheet in a format (entry of the Format choice)
// with the second entry of the Module choice (the value), which reads
// `module_name`; the log shows the job done.
void write_netlist(Program& program, int format, const std::string& output,
                   const std::string& module_name, const std::string& linked) {
    ASSERT_TRUE(open_tool(program, "alt+t n", netlist_dialog));
    auto field = program.WaitControl(netlist_dialog, "Output File:");
    ASSERT_TRUE(field);
    program.TypeInto(*field, output);
    choose(program, netlist_dialog, "Format:", format);
    choose(program, netlist_dialog, "Module:", 1);
    auto chosen_format = program.WaitControl(netlist_dialog, "Format:");
    auto chosen_module = program.WaitControl(netlist_dialog, "Module:");
    ASSERT_TRUE(chosen_format && chosen_module);
    EXPECT_EQ(chosen_format->value, format == 3 ? "Pspice" : "Flat EDIF");
    EXPECT_EQ(chosen_module->value, module_name);
    execute(program, netlist_dialog);
    // The log shows each step as it starts: the file is there once the
    // format step is done.
    EXPECT_TRUE(program.WaitLog("Formatting netlist '" + linked + "'...\nDone."))
        << program.LogText();
    EXPECT_TRUE(fs::exists(output)) << program.LogText();
}

class ProcessProgram : public example_project::ExampleProgram {
protected:
    std::optional<Control> open(Program& program, const std::string& keys,
                                const std::string& title) {
        return open_tool(program, keys, title);
    }
    void execute(Program& program, const std::string& window) { ::execute(program, window); }
    // With the field names of the settings: the second is "Value".
    void write_netlist(Program& program, int format, const std::string& output) {
        ::write_netlist(program, format, output, "Value", file("root_linked"));
    }
};

TEST_F(ProcessProgram, SpiceNetlistOfTheExampleRunsInNgspice) {
    Program program(config.string());
    start(program);
    const std::string deck = file("example.cir");
    write_netlist(program, 3, deck);
    const std::string log = program.LogText();
    EXPECT_EQ(log.find("*** Error"), std::string::npos) << log;
    std::string out = net_test::run_ngspice(deck);
    EXPECT_FALSE(std::regex_search(out, std::regex("(^|\n)\\s*Error", std::regex::icase))) << out;
}

// A new user (no settings, an empty home folder) writes the example's
// SPICE netlist from Tools > Netlist Output with the value chosen as
// Module: ngspice runs it and finds the operating point the sheet's
// comment promises (0.5 V in, 12 V supply: VOUT at 5.5 V).
TEST(FreshInstall, TheExamplesSpiceNetlistWithTheValueAsModuleRunsInNgspice) {
    ASSERT_TRUE(tn_test::program_tools_installed());
    ASSERT_TRUE(tn_test::tool_installed("ngspice"));
    ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
    tn_test::TempDir dir;
    const fs::path project = dir.path() / "project", home = dir.path() / "home";
    fs::create_directories(project);
    fs::create_directories(home);
    for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
        fs::copy_file(fs::path(TN_EXAMPLES_DIR) / file, project / file);
    Program program(dir.file("config"));
    program.StartAsNewUser({(project / "root.sch").string()}, project.string(), home.string());
    // The tip of the day greets a new user; Close leaves it on.
    // Clicked only once it stands where the program has it: the window
    // manager may still be placing it.
    ASSERT_TRUE(program_test::settled_window(program, "Tip of the Day"));
    auto close = program.WaitControl("Tip of the Day", "&Close");
    ASSERT_TRUE(close) << "no tip of the day at the first start";
    program.Click(*close);
    ASSERT_TRUE(program.WaitGone("Tip of the Day"));
    ASSERT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));

    const std::string deck = (project / "example.cir").string();
    write_netlist(program, 3, deck, "Attr. #2", (project / "root_linked").string());
    const std::string netlist = tn_test::read_text(deck);
    EXPECT_TRUE(std::regex_search(netlist, std::regex("\nR1 .* 10k\r?\n"))) << netlist;
    const std::string solved = net_test::run_ngspice(deck);
    std::smatch vout;
    ASSERT_TRUE(std::regex_search(solved, vout, std::regex("\\svout\\s+([-+.0-9e]+)")))
        << netlist << solved;
    double volts = 0;
    const std::string number = vout[1].str();
    std::from_chars(number.data(), number.data() + number.size(), volts);
    EXPECT_NEAR(volts, 5.5, 0.01) << netlist << solved;
}

TEST_F(ProcessProgram, FlatEdifNetlistOfTheExampleImportsIntoPcbRnd) {
    Program program(config.string());
    start(program);
    const std::string edif = file("example.edf");
    write_netlist(program, 2, edif);
    std::string log;
    std::set<std::string> nets = net_test::pcb_rnd_nets(project.string(), edif, &log);
    EXPECT_EQ(log.find("E:"), std::string::npos) << log;
    EXPECT_FALSE(nets.empty()) << log;
}

TEST_F(ProcessProgram, ErcWritesItsReportAndTheDialogLooksAsReviewed) {
    Program program(config.string());
    start(program);
    auto dialog = open(program, "alt+t e", "Tessaron: ERC");
    ASSERT_TRUE(dialog);
    auto field = program.WaitControl("Tessaron: ERC", "Output File:");
    ASSERT_TRUE(field);
    // The proposed name is the sheet's with the report's suffix.
    EXPECT_EQ(field->value, file("root.erc"));
    program.TypeInto(*field, "root.erc");
    auto typed = program.WaitControl("Tessaron: ERC", "Output File:");
    ASSERT_TRUE(typed);
    ASSERT_EQ(typed->value, "root.erc");
    const std::string shot = dir.file("erc.png");
    ASSERT_TRUE(program.Screenshot(*program.WaitTopLevel("Tessaron: ERC"), shot));
    tn_test::expect_matches_reference(shot, "dialogs/erc_dialog.png");
    execute(program, "Tessaron: ERC");
    EXPECT_TRUE(program.WaitLog("Done.")) << program.LogText();
    const std::string report = tn_test::read_text(file("root.erc"));
    EXPECT_EQ(report.rfind("Tessaron ERC Report V2.02", 0), 0u) << report;
    EXPECT_NE(report.find(">>>>>>>>>>>>>>>>> Analyzing : "), std::string::npos) << report;
}

TEST_F(ProcessProgram, BillOfMaterialListsThePartsOfBothSheets) {
    Program program(config.string());
    start(program);
    const char* const title = "Tessaron: Bill of Material";
    auto dialog = open(program, "alt+t m", title);
    ASSERT_TRUE(dialog);
    auto field = program.WaitControl(title, "Output File:");
    ASSERT_TRUE(field);
    program.TypeInto(*field, "parts.bom");
    ASSERT_TRUE(program.WaitControl(title, "Output File:"));
    const std::string shot = dir.file("bom.png");
    ASSERT_TRUE(program.Screenshot(*program.WaitTopLevel(title), shot));
    tn_test::expect_matches_reference(shot, "dialogs/bom_dialog.png");
    execute(program, title);
    EXPECT_TRUE(program.WaitLog("Loading schematic file 'amplifier.sch'")) << program.LogText();
    const std::string bom = tn_test::read_text(file("parts.bom"));
    for (const char* reference : {"R1", "C1"})
        EXPECT_NE(bom.find(reference), std::string::npos) << bom;
}

TEST_F(ProcessProgram, OrcadConverterWritesAndOpensARealSheet) {
    const fs::path sheet = fs::path(TN_REALDATA_DIR) / "orcad-sdt32" / "tutor" / "CMOSCPU.SCH";
    if (!fs::exists(sheet)) GTEST_SKIP() << "no real OrCAD data at " << TN_REALDATA_DIR;
    Program program(config.string());
    start(program);
    const char* const title = "Tessaron: OrCAD Converter ";
    ASSERT_TRUE(open(program, "alt+t o", title));
    auto schema = program.WaitControl(title, "Schema:");
    ASSERT_TRUE(schema);
    program.TypeInto(*schema, sheet.string());
    auto descend = program.WaitControl(title, "Descend Hierarchy");
    auto open_for_edit = program.WaitControl(title, "Open For Edit");
    ASSERT_TRUE(descend && open_for_edit);
    if (descend->value == "1") program.Click(*descend);
    if (open_for_edit->value == "0") program.Click(*open_for_edit);
    execute(program, title);
    EXPECT_TRUE(program.WaitLog("Input is an OrCad SDT386 file")) << program.LogText();
    EXPECT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));
    EXPECT_TRUE(fs::exists(file("CMOSCPU.sch")));
    EXPECT_FALSE(program.WaitWindow("Tessaron Schematic Editor").empty());
    // The converted sheet opened in its own window.
    auto tab = program.WaitFor(
        [](const std::vector<Control>& all) -> std::optional<Control> {
            for (const Control& c : all)
                if (c.label.find("CMOSCPU.sch") != std::string::npos) return c;
            return std::nullopt;
        },
        "a window of the converted sheet");
    EXPECT_TRUE(tab);
}

}  // namespace
