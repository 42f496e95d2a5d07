// A hierarchy many levels deep, a chain (each sheet holds one resistor and
// a box naming the next), through every job that walks a hierarchy. Each
// job runs in a child process whose stack may grow only STACK_ROOM bytes:
// a walk that takes stack for each level of the hierarchy overflows it (the
// child dies) long before the end of the chain, as on the usual 8 MiB stack
// a chain of some tens of thousands of levels would; a walk kept on the
// heap does not. The project lies on a memory file system where there is
// one: a thousand sheets flushed to a disk take seconds and test nothing
// more.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "connectivity/project_fixture.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "support/test_env.h"

namespace {

using namespace project_test;

constexpr int LEVELS = 800;
constexpr size_t STACK_ROOM = 256 * 1024;

std::string level_name(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%04d", i);
    return name;
}

class DeepHierarchy : public ProjectTest {
protected:
    void SetUp() override {
        ProjectTest::SetUp();
        proper_set(DIR_PROJECT, chain_.path().string().c_str(), 0);
        proper_set(COMPSHEET_VERBOSE, 0, NETFMT_VERBOSE, 0, ANNO_VERBOSE, 0, 0);
        for (int i = 0; i < LEVELS; ++i) {
            std::vector<std::string> items{part("RES", "R?", "1k", 0, {}, i)};
            if (i + 1 < LEVELS) items.push_back(box((level_name(i + 1) + ".sch").c_str()));
            tn_test::write_text(in_chain(level_name(i) + ".asc"), sheet(items));
        }
    }
    std::string in_chain(const std::string& name) const { return chain_.file(name); }
    std::string root() const { return in_chain(level_name(0)); }

    tn_test::TempDir chain_{tn_test::TempDir::IN_MEMORY};
};

TEST_F(DeepHierarchy, EveryJobWalksAChainOfSheetsOnASmallStack) {
    auto small_stack = [](const std::function<int()>& job) {
        return tn_test::run_in_child_with_stack(STACK_ROOM, job);
    };
    const std::string sheet = root() + ".sch";
    ASSERT_EQ(small_stack([&] {
                  return compile_sheets((root() + ".asc").c_str(), "", nullptr, nullptr,
                                        print_capture);
              }),
              0);
    EXPECT_EQ(small_stack([&] {
                  List* sheets = list_project_sheets(sheet.c_str(), false, nullptr);
                  if (!sheets || sheets->count != static_cast<size_t>(LEVELS)) return 1;
                  int result = annotate(print_capture, sheets, false);
                  free_name_list(sheets);
                  return result;
              }),
              0);
    EXPECT_EQ(small_stack([&] { return netlist_compile(sheet.c_str(), print_capture); }), 0);
    EXPECT_EQ(small_stack([&] {
                  return netlist_link(root().c_str(), in_chain("linked").c_str(), print_capture);
              }),
              0);
    int erc = small_stack(
        [&] { return erc_report(sheet.c_str(), in_chain("chain.erc").c_str(), print_capture); });
    EXPECT_EQ(erc, 0);
    if (erc == 0) {
        EXPECT_EQ(
            tn_test::count_of(tn_test::read_text(in_chain("chain.erc")), ">>>>> Analyzing : "),
            static_cast<size_t>(LEVELS));
    }
    EXPECT_EQ(small_stack([&] {
                  return bill_of_materials(sheet.c_str(), in_chain("chain.bom").c_str(),
                                           print_capture);
              }),
              0);
    // One row of every resistor, R1 to R800.
    EXPECT_NE(tn_test::read_text(in_chain("chain.bom")).find("     1     800  R1,R2,"),
              std::string::npos);
}

}  // namespace
