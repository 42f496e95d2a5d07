#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

// A temporary directory that is also the current directory while the test
// runs (names relative to it and "~" land inside it).
class InTempDir : public testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        fs::current_path(dir_.path());
    }
    void TearDown() override {
        fs::current_path(old_);
        set_backup_hook(nullptr);
    }
    std::string dos(const std::string& relative) const {
        std::string name = "C:" + dir_.path().string() + "/" + relative;
        for (char& c : name)
            if (c == '/') c = '\\';
        return name;
    }
    tn_test::TempDir dir_;
    fs::path old_;
};

TEST_F(InTempDir, DosNamesReachTheFile) {
    fs::create_directories("Lib/Sub");
    tn_test::write_text("Lib/Sub/Parts.CLB", "x");
    EXPECT_EQ(file_access("Lib\\Sub\\Parts.CLB", 0), 0);
    EXPECT_EQ(file_access(dos("Lib\\Sub\\Parts.CLB").c_str(), 0), 0) << "the drive is dropped";
    EXPECT_EQ(file_access("C:Lib\\Sub\\Parts.CLB", 0), 0);
    FILE* f = open_file("lib\\SUB\\parts.clb", "rb");
    ASSERT_NE(f, nullptr) << "each component is found ignoring case";
    EXPECT_EQ(std::fgetc(f), 'x');
    std::fclose(f);
    EXPECT_EQ(system_path("LIB\\sub\\missing.clb"), "Lib/Sub/missing.clb");
    EXPECT_EQ(system_path("nodir\\x.clb"), "nodir/x.clb");
    EXPECT_EQ(file_access("lib\\sub\\missing.clb", 0), -1);
}

TEST_F(InTempDir, AnExactMatchWinsOverOtherCases) {
    tn_test::write_text("a.sch", "lower");
    tn_test::write_text("A.SCH", "upper");
    EXPECT_EQ(system_path("a.sch"), "a.sch");
    EXPECT_EQ(system_path("A.SCH"), "A.SCH");
    EXPECT_EQ(system_path("A.sch"), "A.SCH") << "the first match in byte order";
}

TEST_F(InTempDir, HomeExpansion) {
    fs::create_directories("proj");
    tn_test::write_text("proj/a.txt", "1");
    tn_test::write_text("Quib.ini", "1");
    FILE* f = open_file("~\\proj\\a.txt", "r");
    EXPECT_NE(f, nullptr);
    if (f) std::fclose(f);
    f = open_file("~Quib.ini", "r");  // open_file expands any leading "~"
    EXPECT_NE(f, nullptr);
    if (f) std::fclose(f);
    EXPECT_EQ(file_access("~/proj/a.txt", 0), 0);
    EXPECT_EQ(file_access("~Quib.ini", 0), -1) << "file_access expands only ~ before a separator";
    EXPECT_NE(file_mtime("~/proj/a.txt"), 0);
    EXPECT_EQ(file_mtime("~/proj/none.txt"), 0);
    char home[4];
    EXPECT_STREQ(home_dir(home), ".\\");
}

TEST_F(InTempDir, ModeOneTakesTheFirstExistingSuffixElseTheLastTried) {
    fs::create_directories("libs");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.clb");
    EXPECT_EQ(file_exists_as("a", "libs", ".lib,.clb"), -1);
    tn_test::write_text("libs/a.clb", "");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.clb");
    EXPECT_EQ(file_exists_as("a", "libs", ".lib,.clb"), 0);
    tn_test::write_text("libs/A.LIB", "");
    EXPECT_EQ(make_file_name("a", "libs", ".lib,.clb", 1), "libs\\a.lib")
        << "existence is tested ignoring case; the name keeps the list's suffix";
}

TEST_F(InTempDir, BackupKeepsOneCopy) {
    tn_test::write_text("s.sch", "new");
    tn_test::write_text("S.bak", "old backup");
    EXPECT_EQ(make_backup("S.SCH"), 0);
    EXPECT_FALSE(fs::exists("s.sch"));
    EXPECT_EQ(tn_test::read_text("S.bak"), "new") << "the old backup of any case is replaced";
    EXPECT_EQ(make_backup("s.sch"), -1) << "nothing to back up";
}

TEST_F(InTempDir, BackupHookCanRefuse) {
    tn_test::write_text("s.sch", "x");
    set_backup_hook([] { return 0; });
    EXPECT_EQ(make_backup("s.sch"), 0);
    EXPECT_TRUE(fs::exists("s.sch"));
    EXPECT_FALSE(fs::exists("s.BAK"));
}

TEST_F(InTempDir, BackupOfAReadOnlyFileIsRefused) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write anything";
    tn_test::write_text("r.sch", "x");
    fs::permissions("r.sch", fs::perms::owner_read);
    EXPECT_EQ(make_backup("r.sch"), -1);
    EXPECT_TRUE(fs::exists("r.sch"));
}

size_t files_in(const fs::path& dir) {
    size_t n = 0;
    for (auto it = fs::directory_iterator(dir); it != fs::directory_iterator(); ++it) ++n;
    return n;
}

TEST_F(InTempDir, AtomicFileReplacesOnlyOnCommit) {
    tn_test::write_text("Out.net", "old");
    {
        AtomicFile out("out.NET");
        ASSERT_TRUE(out.is_open());
        std::fputs("half", out.stream());
        EXPECT_EQ(tn_test::read_text("Out.net"), "old");
    }  // not committed
    EXPECT_EQ(tn_test::read_text("Out.net"), "old");
    EXPECT_EQ(files_in("."), 1u) << "the temporary is gone";

    AtomicFile out("out.NET");
    std::fputs("whole", out.stream());
    EXPECT_EQ(out.commit(), 0);
    EXPECT_EQ(tn_test::read_text("Out.net"), "whole") << "the existing file of any case is replaced";
    EXPECT_EQ(files_in("."), 1u);
}

TEST_F(InTempDir, AtomicFileKeepsABackupAndThePermissions) {
    tn_test::write_text("a.sch", "v1");
    fs::permissions("a.sch", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    AtomicFile out("a.sch");
    std::fputs("v2", out.stream());
    EXPECT_EQ(out.commit(true), 0);
    EXPECT_EQ(tn_test::read_text("a.sch"), "v2");
    EXPECT_EQ(tn_test::read_text("a.BAK"), "v1");
    EXPECT_EQ(fs::status("a.sch").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(InTempDir, AtomicFileFailedWriteLeavesTheOldFile) {
    tn_test::write_text("a.sch", "v1");
    AtomicFile out("a.sch");
    ASSERT_TRUE(out.is_open());
    // Make every write of the stream fail: its descriptor now refuses writing.
    int read_only = open("/dev/null", O_RDONLY);
    dup2(read_only, fileno(out.stream()));
    close(read_only);
    std::fputs("v2", out.stream());
    EXPECT_EQ(out.commit(true), 6);
    EXPECT_EQ(tn_test::read_text("a.sch"), "v1");
    EXPECT_FALSE(fs::exists("a.BAK")) << "no backup when nothing replaces the file";
    EXPECT_EQ(files_in("."), 1u);
}

TEST_F(InTempDir, AtomicFileInAMissingDirectoryDoesNotOpen) {
    AtomicFile out("nodir\\a.sch");
    EXPECT_FALSE(out.is_open());
    EXPECT_EQ(out.commit(), 6);
}

}  // namespace
