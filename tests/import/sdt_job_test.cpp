// The schematic import job: hierarchy walks, output names, the log, the
// restored options and the libraries the job opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/import_fixture.h"
#include "import/sdt_job.h"
#include "model/documents/batch.h"
#include "model/items/library.h"
#include "model/items/libutil.h"

namespace sdt_test {
namespace {

namespace fs = std::filesystem;

class SdtJobTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        fs::create_directories(dir.path() / "in");
        fs::create_directories(dir.path() / "out");
        proper_set(DIR_PROJECT, file("out").c_str(), SDT_VERBOSE, 0, SDT_HIER, 0, 0);
        written = list_new();
    }
    void TearDown() override {
        free_name_list(written);
        ImportTest::TearDown();
    }
    // A sheet naming the sub-sheet files by sheet symbols.
    void sheet(const std::string& name, const std::vector<std::string>& subs,
               const std::vector<std::string>& texts = {}) {
        File32 f;
        int y = 0;
        for (const std::string& s : subs) f.sheet(10, y += 50, 20, 20, s, "S", {});
        for (const std::string& t : texts) f.text(8, 0, y += 10, t);
        write("in/" + name, f.end().bytes);
    }
    int run(const std::string& name) {
        return convert_orcad_schematic(file("in/" + name).c_str(), capture, written);
    }
    std::vector<std::string> written_names() const {
        std::vector<std::string> names;
        for (const char* n : list_items<const char>(written))
            names.push_back(fs::path(n).filename().string());
        return names;
    }
    bool out_exists(const std::string& name) const { return fs::exists(file("out/" + name)); }

    List* written = nullptr;
};

using Names = std::vector<std::string>;

TEST_F(SdtJobTest, SubSheetsAreConvertedOnceEachThroughTheWholeHierarchy) {
    proper_set(SDT_VERBOSE, 1, 0);
    sheet("top.sch", {"sub.sch", "SUB.SCH"});
    sheet("sub.sch", {"leaf"});
    sheet("leaf.sch", {});
    EXPECT_EQ(run("top.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"top.sch", "sub.sch", "leaf.sch"}));
    const std::string in = file("in/");
    EXPECT_EQ(logged,
              "Converting OrCAD schematic file...\n"
              "Loading file " +
                  in +
                  "top.sch...\n"
                  "Input is an OrCad SDT386 file\nDone\n"
                  "Sub Sheet sub.sch: Need to be converted\n"
                  "Loading file " +
                  in +
                  "sub.sch...\n"
                  "Input is an OrCad SDT386 file\nDone\n"
                  "Sub Sheet leaf: Need to be converted\n"
                  "Loading file " +
                  in +
                  "leaf.sch...\n"
                  "Input is an OrCad SDT386 file\nDone\n"
                  "Sub Sheet SUB.SCH: Already converted\n"
                  "Conversion Done\n");
}

TEST_F(SdtJobTest, HierarchyThatComesBackOnItselfEnds) {
    sheet("a.sch", {"a.sch", "b.sch"});
    sheet("b.sch", {"A.SCH", "sub\\..\\B.sch"});
    EXPECT_EQ(run("a.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"a.sch", "b.sch"}));
    EXPECT_EQ(logged, "Input is an OrCad SDT386 file\nInput is an OrCad SDT386 file\n");
}

TEST_F(SdtJobTest, WithoutDescendOnlyTheRootIsConverted) {
    proper_set(SDT_HIER, 1, 0);
    sheet("top.sch", {"sub.sch"});
    EXPECT_EQ(run("top.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"top.sch"}));
}

TEST_F(SdtJobTest, LinkTextsNameSubSheetsOnlyInLinkMode) {
    sheet("top.sch", {}, {"|LINK", "|   part2.sch", "|link", "plain.sch"});
    sheet("part2.sch", {});
    sheet("nolink.sch", {}, {"| part2.sch", "|Link2 no"});
    EXPECT_EQ(run("top.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"top.sch", "part2.sch"}));
    EXPECT_EQ(run("nolink.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"top.sch", "part2.sch", "nolink.sch", "part2.sch"}));
}

TEST_F(SdtJobTest, FailuresAreReportedAndEndTheWalk) {
    EXPECT_EQ(run("missing.sch"), -1);
    EXPECT_EQ(logged, "Conversion Aborted\n");
    logged.clear();
    sheet("top.sch", {"gone.sch", "later.sch"});
    sheet("later.sch", {});
    EXPECT_EQ(run("top.sch"), -1);
    EXPECT_EQ(written_names(), (Names{"top.sch"}));
    EXPECT_EQ(logged, "Input is an OrCad SDT386 file\nConversion Aborted\n");
    logged.clear();
    write("in/bad.sch", File32().line(4, 1, 2, 3, 4).record(77, {}).bytes);
    EXPECT_EQ(run("bad.sch"), -1);
    EXPECT_EQ(logged, "Input is an OrCad SDT386 file\n*** WARNING ***: Read error in '" +
                          file("in/bad.sch") +
                          "': Unknown record type at offset 96\nConversion Aborted\n");
    EXPECT_FALSE(out_exists("bad.sch"));
}

TEST_F(SdtJobTest, ACutFileIsReportedAndNothingOfItIsConverted) {
    // A 32-bit file cut after its first record, a 16-bit one without its end.
    Bytes cut = File32().line(4, 1, 2, 3, 4).line(4, 5, 6, 7, 8).end().bytes;
    cut.resize(80 + 16);
    write("in/cut.sch", cut);
    write("in/old.sch", File16().point(5, 1, 1).bytes);
    for (const auto& [name, error] :
         {std::pair<std::string, std::string>{"cut.sch", "its list end is missing at offset 96"},
          {"old.sch", "its list end is missing at offset 39"}}) {
        logged.clear();
        EXPECT_EQ(run(name), -1) << name;
        EXPECT_NE(logged.find("Read error in '" + file("in/" + name) +
                              "': The file is cut: " + error + "\nConversion Aborted\n"),
                  std::string::npos)
            << logged;
        EXPECT_FALSE(out_exists(name)) << name;
    }
    EXPECT_TRUE(written_names().empty());
}

TEST_F(SdtJobTest, SubSheetsOfOneNameInTwoFoldersAreRefusedNamingBoth) {
    fs::create_directories(dir.path() / "in/a");
    fs::create_directories(dir.path() / "in/b");
    sheet("a/amp.sch", {});
    sheet("b/amp.sch", {}, {"the other amplifier"});
    sheet("top.sch", {"a/amp.sch", "b/amp.sch"});
    EXPECT_EQ(run("top.sch"), -1);
    EXPECT_NE(
        logged.find("*** WARNING ***: '" + file("in/a/amp.sch") + "' and '" + file("in/b/amp.sch") +
                    "' would both be converted into '" + file("out/amp.sch") + "'\n"),
        std::string::npos)
        << logged;
    EXPECT_NE(logged.find("Conversion Aborted\n"), std::string::npos);
    EXPECT_EQ(written_names(), (Names{"top.sch", "amp.sch"}));
    EXPECT_FALSE(out_exists("amp.BAK")) << "the first one is never replaced";
}

TEST_F(SdtJobTest, OutputNeverReplacesItsOwnInput) {
    proper_set(DIR_PROJECT, file("in").c_str(), 0);
    sheet("self.sch", {});
    const auto before = tn_test::read_bytes(file("in/self.sch"));
    EXPECT_EQ(run("self.sch"), -1);
    EXPECT_EQ(tn_test::read_bytes(file("in/self.sch")), before);
    EXPECT_NE(logged.find("*** WARNING ***: Output File = Input File =  '"), std::string::npos);
    EXPECT_NE(logged.find("Conversion Aborted\n"), std::string::npos);
}

TEST_F(SdtJobTest, PartsComeFromTheInputsLibraryAndTheOptionIsRestored) {
    write_library("amp", {{"OPAMP"}});
    write_library("other", {{"OPAMP"}});
    Part32 p;
    p.strings = {"U1", "", "", "", "", "", "", "", "", "", "", "OPAMP"};
    write("in/AMP.SCH", File32().part(p).end().bytes);
    proper_set(SDT_LIBFILE, "", 0);
    ASSERT_TRUE(open_library_file("other", -1));
    EXPECT_EQ(run("AMP.SCH"), 0);
    EXPECT_STREQ(strproper_get(SDT_LIBFILE), "");
    EXPECT_EQ(logged, "Input is an OrCad SDT386 file\n");
    // The library the job opened is closed again; the one open before stays.
    EXPECT_FALSE(library_is_open("amp"));
    EXPECT_TRUE(library_is_open("OTHER"));
    EXPECT_TRUE(out_exists("AMP.sch"));
    library_close_file("other");
    EXPECT_FALSE(library_is_open("other"));
}

TEST_F(SdtJobTest, DeclinedOverwriteWritesNothingAndIsNoFailure) {
    sheet("top.sch", {});
    tn_test::write_text(file("out/top.sch"), "old");
    script_answers({ANSWER_CANCEL});
    EXPECT_EQ(run("top.sch"), 0);
    EXPECT_EQ(tn_test::read_text(file("out/top.sch")), "old");
    EXPECT_TRUE(written_names().empty());
}

TEST_F(SdtJobTest, SixteenBitSubSheetsAreFoundBesideTheirParentIgnoringCase) {
    fs::create_directories(dir.path() / "in" / "Deep");
    File16 top;
    top.sheet(1, 2, 3, 4, "DEEP\\CHILD.SCH", "c", {}).sheet(1, 2, 3, 4, "Deep/child.sch", "c", {});
    write("in/top.sch", top.end().bytes);
    write("in/Deep/child.sch", File16().end().bytes);
    EXPECT_EQ(run("top.sch"), 0);
    EXPECT_EQ(written_names(), (Names{"top.sch", "CHILD.sch"}));
    EXPECT_EQ(logged, "Input is an OrCad SDT IV file\nInput is an OrCad SDT IV file\n");
    // A 32-bit sub-sheet of a 16-bit sheet fails the 16-bit header test.
    File16 mixed;
    write("in/mixed.sch", mixed.sheet(1, 2, 3, 4, "new32.sch", "n", {}).end().bytes);
    write("in/new32.sch", File32().end().bytes);
    EXPECT_EQ(run("mixed.sch"), -1);
}

TEST_F(SdtJobTest, AChainOfSheetsConvertsOnASmallStack) {
    // Each sheet names the next, 800 levels deep, on a stack that may grow
    // 256 KiB (see DeepHierarchy in the connectivity tests): a walk that
    // took stack for each level would overflow it. Files on a memory file
    // system where there is one: the saves' flushes would make it slow.
    constexpr int LEVELS = 800;
    tn_test::TempDir chain(tn_test::TempDir::IN_MEMORY);
    fs::create_directories(chain.path() / "in");
    fs::create_directories(chain.path() / "out");
    proper_set(DIR_PROJECT, chain.file("out").c_str(), 0);
    auto level = [](int i) { return "c" + std::to_string(1000 + i) + ".sch"; };
    for (int i = 0; i < LEVELS; ++i) {
        File32 f;
        if (i + 1 < LEVELS) f.sheet(10, 50, 20, 20, level(i + 1), "S", {});
        tn_test::write_bytes(chain.file("in/" + level(i)), f.end().bytes);
    }
    EXPECT_EQ(tn_test::run_in_child_with_stack(256 * 1024,
                                               [&] {
                                                   return convert_orcad_schematic(
                                                       chain.file("in/" + level(0)).c_str(),
                                                       capture, written);
                                               }),
              0);
    EXPECT_TRUE(fs::exists(chain.file("out/" + level(LEVELS - 1))));
}

}  // namespace
}  // namespace sdt_test
