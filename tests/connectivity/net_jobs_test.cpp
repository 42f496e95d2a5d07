// The compile job over a project of sheets: its progress lines, the net
// file of every sheet, and the failures that must not leave a stale net
// file looking current.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_jobs.h"
#include "connectivity/netlist_format.h"
#include "connectivity/project_fixture.h"
#include "foundation/properties.h"
#include "model/documents/schema.h"
#include "platform/safe_replace.h"
#include "support/test_env.h"

namespace {

using namespace project_test;

class NetJobTest : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        write_sheet("root.sch", sheet({part("RES", "R1", "1k"), box("sub.sch")}));
        write_sheet("sub.sch", sheet({part("RES", "R2", "2k")}));
    }
};

TEST_F(NetJobTest, CompileWritesANetFilePerSheetAndReportsEachStep) {
    proper_set(NETFMT_VERBOSE, 1, 0);
    EXPECT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_EQ(printed,
              "Compiling Netlist...\n"
              "Loading schematic file '" +
                  file("root.sch") +
                  "'...\n"
                  "Loading schematic file 'sub.sch'...\n"
                  "Done.\n");
    EXPECT_TRUE(std::filesystem::exists(file("root.bnt")));
    EXPECT_TRUE(std::filesystem::exists(file("sub.bnt")));
}

TEST_F(NetJobTest, QuietCompileOfTheRootAloneWhenTheHierarchyIsOff) {
    proper_set(NETFMT_VERBOSE, 0, 0);
    proper_set(NETFMT_HIER, 1, 0);
    EXPECT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_EQ(printed, "");
    EXPECT_TRUE(std::filesystem::exists(file("root.bnt")));
    EXPECT_FALSE(std::filesystem::exists(file("sub.bnt")));
}

TEST_F(NetJobTest, RecompilingKeepsTheNetFilesBackupApartFromTheSheets) {
    tn_test::write_text(file("root.BAK"), "sheet backup\n");
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_EQ(tn_test::read_text(file("root.BAK")), "sheet backup\n");
    auto backup = tn_test::read_bytes(file("root.NBK"));
    ASSERT_FALSE(backup.empty());
    EXPECT_EQ(backup[0], 0xA0);
}

TEST_F(NetJobTest, FailuresEndTheJobWithTheirCodes) {
    // A net file that cannot be written is an error, not a success over
    // the old one.
    std::filesystem::create_directory(file("sub.bnt"));
    EXPECT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 50);
    std::filesystem::remove(file("sub.bnt"));
    std::filesystem::remove(file("sub.sch"));
    EXPECT_NE(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_NE(netlist_compile(file("nosuch.sch").c_str(), print_capture), 0);
}

TEST_F(NetJobTest, CompileLinkAndFormatMakeANetlistWithoutAWindow) {
    // A flat design: its linked nets are its own.
    write_sheet("root.sch",
                sheet({part("RES", "R1", "1k"), part("RES", "R2", "2k", 0, {}, 10000)}));
    proper_set(NETFMT_VERBOSE, 1, 0);
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    printed.clear();
    ASSERT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 0)
        << printed;
    EXPECT_EQ(printed, "Linking schematic file '" + file("root") + "'...\nDone.\n");
    printed.clear();
    std::string out = file("linked.net");
    ASSERT_EQ(netlist_format(file("linked").c_str(), out.c_str(), "tessaron", 2, print_capture), 0);
    EXPECT_EQ(printed, "Formatting netlist '" + file("linked") + "'...\nDone.\n");
    std::string text = tn_test::read_text(out);
    EXPECT_NE(text.find(" R1 1k"), std::string::npos) << text;
    EXPECT_NE(text.find(" R2 2k"), std::string::npos) << text;
    // A root never compiled is no netlist.
    EXPECT_NE(netlist_format(file("nosuch").c_str(), out.c_str(), "SPICE", 2, print_capture), 0);
}

TEST_F(NetJobTest, APackageIsWrittenOnceWithEveryPinOfEveryDevice) {
    Schema* schema =
        compile_sheet(sheet({part("GATE", "U1", "g", 0), part("GATE", "U1", "g", 1, {}, 20000)}));
    ASSERT_NE(schema, nullptr);
    NetContext* context = new_NetContext();
    build_sheet_nets(context, schema);
    std::string out = file("gate.net");
    EXPECT_EQ(format_netlist(context, schema, "root.sch", out.c_str(), "tessaron", 2), 0);
    free_NetContext(schema, context);
    free_Schema(schema, false);
    std::string text = tn_test::read_text(out);
    EXPECT_EQ(text.substr(text.find("}\n") + 2),
              "( 00000100 g U1 g\n"
              " ( 1 ?0 )\n ( 3 ?1 )\n ( 4 ?2 )\n ( 6 ?3 )\n"
              " ( 9 ?4 )\n ( 8 ?5 )\n ( 12 ?6 )\n ( 11 ?7 )\n )\n)\n");
}

}  // namespace

TEST_F(NetJobTest, APartialLinkLeavesNothingToFormat) {
    // A sub-sheet whose net file is missing: the link names it, ends with
    // 67 and moves the linked net file of the earlier full link aside, so
    // that formatting fails and the earlier netlist stays as it was.
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    ASSERT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 0);
    auto earlier = tn_test::read_bytes(file("linked.bnt"));
    std::filesystem::remove(file("sub.bnt"));
    tn_test::write_text(file("linked.net"), "old netlist\n");
    proper_set(NETFMT_VERBOSE, 1, 0);
    printed.clear();
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 67);
    EXPECT_EQ(printed, "Linking schematic file '" + file("root") +
                           "'...\n*** Error : Sheet 'sub' not linked: its net file '" +
                           file("sub.bnt") +
                           "' cannot be read\n*** ERROR *** : Netlist is Partialy linked. (File " +
                           file("linked.bnt") + ")\n");
    EXPECT_FALSE(std::filesystem::exists(file("linked.bnt")));
    EXPECT_EQ(tn_test::read_bytes(file("linked.NBK")), earlier);
    std::string out = file("linked.net");
    EXPECT_EQ(netlist_format(file("linked").c_str(), out.c_str(), "SPICE", 2, print_capture), 1);
    EXPECT_EQ(tn_test::read_text(out), "old netlist\n");
    // A link onto the root's own net file never moves it.
    EXPECT_EQ(netlist_link(file("root").c_str(), file("root").c_str(), print_capture), 67);
    EXPECT_TRUE(std::filesystem::exists(file("root.bnt")));
}

TEST_F(NetJobTest, ALinkNamesTheNetFilesOlderThanTheirSheetsThatAStoppedCompileLeft) {
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    // Both sheets are edited after that run...
    write_sheet("root.sch", sheet({part("RES", "R1", "1k"), box("sub.sch")}));
    write_sheet("sub.sch", sheet({part("RES", "R2", "22k")}));
    for (const char* name : {"root.bnt", "sub.bnt"}) {
        auto made = std::filesystem::last_write_time(file(name));
        std::filesystem::last_write_time(file(name), made - std::chrono::seconds(10));
    }
    // ... and the next compile is stopped once it wrote the root's net file.
    const std::string root = file("root.sch");
    EXPECT_EQ(tn_test::run_in_child([&] {
                  set_replace_step_hook([](int step) {
                      if (step == 3) _exit(7);
                  });
                  return netlist_compile(root.c_str(), print_capture);
              }),
              7);
    proper_set(NETFMT_VERBOSE, 1, 0);
    printed.clear();
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 67);
    EXPECT_NE(printed.find("*** Error : Sheet 'sub' not linked: its net file '" + file("sub.bnt") +
                           "' is older than the sheet\n"),
              std::string::npos)
        << printed;
    EXPECT_FALSE(std::filesystem::exists(file("linked.bnt")));
    // The root's own net file older than the root is named the same way.
    auto root_made = std::filesystem::last_write_time(file("root.bnt"));
    std::filesystem::last_write_time(file("root.bnt"), root_made - std::chrono::seconds(20));
    printed.clear();
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 67);
    EXPECT_NE(printed.find("Sheet '" + file("root") + "' not linked"), std::string::npos)
        << printed;
    // Compiled whole, the project links.
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 0);
}

TEST_F(NetJobTest, ACompileThatFailsLeavesNoNetFileOfAnEarlierRunToLink) {
    // root uses sub, sub uses leaf. Each failure moves the net files of the
    // sheets it did not compile to their backup names, so the link that
    // follows names them instead of reading them.
    write_sheet("sub.sch", sheet({part("RES", "R2", "2k"), box("leaf.sch")}));
    write_sheet("leaf.sch", sheet({part("RES", "R3", "3k")}));
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    ASSERT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 0);
    auto leaf = tn_test::read_bytes(file("leaf.bnt"));
    // sub's net file cannot be written: the job's net files go in place all
    // or none, so root's stays as it was and leaf's moves aside.
    auto root = tn_test::read_bytes(file("root.bnt"));
    std::filesystem::remove(file("sub.bnt"));
    std::filesystem::create_directory(file("sub.bnt"));
    printed.clear();
    EXPECT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 50);
    EXPECT_NE(printed.find("*** ERROR *** : Cannot create file  (File " + file("sub.bnt") + ")\n"),
              std::string::npos)
        << printed;
    EXPECT_EQ(tn_test::read_bytes(file("root.bnt")), root);
    EXPECT_FALSE(std::filesystem::exists(file("root.NBK")));
    EXPECT_FALSE(std::filesystem::exists(file("leaf.bnt")));
    EXPECT_EQ(tn_test::read_bytes(file("leaf.NBK")), leaf);
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 67);
    EXPECT_FALSE(std::filesystem::exists(file("linked.bnt")));
    // A sheet that no longer loads stops the job before anything is
    // compiled: the root's net file, where every link starts, goes aside.
    std::filesystem::remove(file("sub.bnt"));
    ASSERT_EQ(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    root = tn_test::read_bytes(file("root.bnt"));
    tn_test::write_text(file("leaf.sch"), "not a sheet\n");
    EXPECT_NE(netlist_compile(file("root.sch").c_str(), print_capture), 0);
    EXPECT_EQ(tn_test::read_bytes(file("root.NBK")), root);
    EXPECT_FALSE(std::filesystem::exists(file("root.bnt")));
    EXPECT_FALSE(std::filesystem::exists(file("leaf.bnt")));
    EXPECT_EQ(netlist_link(file("root").c_str(), file("linked").c_str(), print_capture), 1);
}
