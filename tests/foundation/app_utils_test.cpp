// Document kinds, directories, the standard library list, time stamps and the log.
#include "foundation/app_utils.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/config_fixture.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

// --- document kinds -----------------------------------------------------------------

struct KindRow {
    int kind;
    int suffix_property;
    bool library;
};

class KindTable : public ConfigTest, public ::testing::WithParamInterface<KindRow> {};

TEST_P(KindTable, DirectoryAndSuffix) {
    const KindRow& row = GetParam();
    EXPECT_EQ(kind_suffix_property(row.kind), row.suffix_property);
    const char* dir = nullptr;
    const char* suffixes = nullptr;
    kind_file_parts(row.kind, &dir, &suffixes, 1);
    EXPECT_STREQ(dir, row.library ? ".\\library" : "..\\demo");
    const char* expected = row.kind == 13 ? ".sch" : "";
    if (row.suffix_property) expected = strproper_get(row.suffix_property);
    EXPECT_STREQ(suffixes, expected);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, KindTable,
    ::testing::Values(KindRow{0, EXT_CONFIG, false}, KindRow{1, EXT_CLB, true},
                      KindRow{2, EXT_ORCLIB, true}, KindRow{3, EXT_SLB, true},
                      KindRow{4, EXT_REPORT, false}, KindRow{5, EXT_SCHEMA, false},
                      KindRow{6, EXT_NETLIST, false}, KindRow{7, EXT_LIBLIST, false},
                      KindRow{8, EXT_STUFF, false}, KindRow{9, EXT_MPL, false},
                      KindRow{10, EXT_ASC, false}, KindRow{11, EXT_NETFMT, false},
                      KindRow{12, EXT_NETERC, false}, KindRow{13, 0, false},
                      KindRow{14, EXT_ORCNET, false}, KindRow{15, EXT_LOG, false},
                      KindRow{16, EXT_BAN, false}, KindRow{17, EXT_TMPL, false},
                      KindRow{18, EXT_BOM, false}, KindRow{19, 0, false}, KindRow{-1, 0, false}));

TEST_F(ConfigTest, KindFileNames) {
    proper_set(EXT_ORCSCH, ".xyz", EXT_SCHEMA, ".abc", 0);
    EXPECT_EQ(make_kind_file_name("top", 13, 2), "..\\demo\\top.sch");
    EXPECT_EQ(make_kind_file_name("top", 5, 2), "..\\demo\\top.abc");
    EXPECT_EQ(make_kind_file_name("std", 1, 2), ".\\library\\std.clb");
}

TEST_F(ConfigTest, DirectoryOverridesApplyInMode1Only) {
    set_library_dir_override("C:\\libs\\a.clb");
    set_project_dir_override("bare.sch");  // no directory part: no override
    EXPECT_EQ(make_kind_file_name("std", 1, 1), "C:\\libs\\std.clb");
    EXPECT_EQ(make_kind_file_name("std", 3, 2), ".\\library\\std.slb");
    EXPECT_EQ(make_kind_file_name("top", 5, 2), "..\\demo\\top.sch");
    const char* dir = nullptr;
    const char* suffixes = nullptr;
    kind_file_parts(5, &dir, &suffixes, 1);
    EXPECT_STREQ(dir, "..\\demo");
    set_project_dir_override("/work/p/top.sch");
    kind_file_parts(5, &dir, &suffixes, 1);
    EXPECT_STREQ(dir, "/work/p/");
    clear_project_dir_override();
    clear_library_dir_override();
    kind_file_parts(2, &dir, &suffixes, 1);
    EXPECT_STREQ(dir, ".\\library");
}

TEST(AppPaths, DirOfAndSeparators) {
    EXPECT_EQ(dir_of("name.sch"), "");
    EXPECT_EQ(dir_of("C:\\a\\b.sch"), "C:\\a\\");
    EXPECT_EQ(dir_of("a/b\\c"), "a/b\\");
    std::string p;
    add_separator(p);
    EXPECT_EQ(p, "\\");
    p = "C:";
    add_separator(p);
    EXPECT_EQ(p, "C:");
    p = "dir";
    add_separator(p);
    EXPECT_EQ(p, "dir\\");
    p = "dir/";
    add_separator(p);
    EXPECT_EQ(p, "dir/");
}

TEST_F(ConfigTest, SuffixWildcardTakesTheFirstSuffix) {
    proper_set(EXT_CLB, ".clb,.lib", 0);
    EXPECT_EQ(suffix_wildcard(EXT_CLB), "*.clb");
    EXPECT_EQ(suffix_wildcard(EXT_LOG), "*.log");
}

// Runs the test body in a temporary current directory.
class ConfigInTempDir : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        saved = fs::current_path();
        fs::current_path(work.path());
    }
    void TearDown() override {
        fs::current_path(saved);
        ConfigTest::TearDown();
    }
    std::string cwd() const { return fs::current_path().string(); }
    tn_test::TempDir work;
    fs::path saved;
};

TEST_F(ConfigInTempDir, FullPathsFollowTheWorkingDirectory) {
    proper_set(DIR_PROJECT, "proj", 0);
    EXPECT_EQ(full_path_in_dir("x\\y\\top.sch", DIR_PROJECT), cwd() + "/proj\\top.sch");
    EXPECT_EQ(full_path_in_dir("C:\\abs.sch", DIR_PROJECT), "C:\\abs.sch");
    EXPECT_EQ(full_dir_path(DIR_PROJECT), cwd() + "/proj");
    proper_set(DIR_PROJECT, ".\\", 0);
    EXPECT_EQ(full_dir_path(DIR_PROJECT), cwd());
    proper_set(DIR_PROJECT, "/abs/dir", 0);
    EXPECT_EQ(full_dir_path(DIR_PROJECT), "/abs/dir");
    proper_set(DIR_PROJECT, "D:\\", 0);
    EXPECT_EQ(full_dir_path(DIR_PROJECT), "D:\\");
}

TEST_F(ConfigInTempDir, LongWorkingDirectoryIsKeptWhole) {
    std::string deep = "d";
    for (int i = 0; i < 20; ++i) deep += "/level-with-a-long-name-" + std::to_string(i);
    fs::create_directories(deep);
    fs::current_path(deep);
    ASSERT_GT(cwd().size(), 400u);
    proper_set(DIR_PROJECT, "p", 0);
    EXPECT_EQ(full_dir_path(DIR_PROJECT), cwd() + "/p");
}

TEST_F(ConfigInTempDir, CheckDirectoryCreatesLevelsAndRestoresTheDirectory) {
    std::string here = cwd();
    EXPECT_FALSE(check_directory("a\\b\\c", false, false));
    EXPECT_FALSE(fs::exists("a"));
    EXPECT_TRUE(check_directory("a\\b\\c", true, false));
    EXPECT_TRUE(fs::is_directory("a/b/c"));
    EXPECT_EQ(cwd(), here);
    EXPECT_TRUE(check_directory("a/b", false, true));
    EXPECT_EQ(cwd(), here);  // stay without create keeps the directory too
    EXPECT_TRUE(check_directory("x/y", true, true));
    EXPECT_EQ(cwd(), here + "/x/y");
    fs::current_path(here);
    tn_test::write_text("file", "");
    EXPECT_FALSE(check_directory("file/sub", true, false));
    EXPECT_EQ(cwd(), here);
}

TEST_F(ConfigInTempDir, SetDirPropertyMakesTheDirectory) {
    set_dir_property("lib\\sub", false);
    EXPECT_TRUE(fs::is_directory("lib/sub"));
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), "lib\\sub");
    set_dir_property("projects", true);
    EXPECT_STREQ(strproper_get(DIR_PROJECT), "projects");
}

TEST_F(ConfigInTempDir, LibraryFilesAreListedSortedIgnoringCase) {
    fs::create_directory("libs");
    for (const char* name : {"zeta.clb", "Alpha.CLB", "beta.clb", "notes.txt", "gamma.clb.bak"})
        tn_test::write_text(std::string("libs/") + name, "");
    fs::create_directory("libs/dir.clb");
    proper_set(DIR_LIBRARY, ".\\libs", EXT_CLB, ".clb,.lib", 0);
    int count = -1;
    char** names = list_library_files(&count);
    ASSERT_EQ(count, 3);
    EXPECT_STREQ(names[0], "Alpha.CLB");
    EXPECT_STREQ(names[1], "beta.clb");
    EXPECT_STREQ(names[2], "zeta.clb");
    free_name_array(names, count);
    proper_set(DIR_LIBRARY, "missing", 0);
    EXPECT_EQ(list_library_files(&count), nullptr);
    EXPECT_EQ(count, 0);
}

// A fresh machine: the default folders name nothing, and the folder of the
// sheet being edited serves in their place; a folder that exists keeps its
// meaning, and without a sheet nothing changes.
TEST_F(ConfigInTempDir, AMissingFolderGivesWayToTheFolderOfTheSheetBeingEdited) {
    static std::string editing;
    fs::create_directory("sheets");
    tn_test::write_text("sheets/parts.clb", "");
    set_editing_folder_hook([] { return editing; });
    editing = cwd() + "/sheets/";
    EXPECT_STREQ(dir_in_use(DIR_LIBRARY), editing.c_str());
    EXPECT_STREQ(dir_in_use(DIR_PROJECT), editing.c_str());
    EXPECT_EQ(make_kind_file_name("parts", 1, 1), editing + "parts.clb");
    EXPECT_EQ(make_kind_file_name("top", 5, 2), editing + "top.sch");
    EXPECT_EQ(full_dir_path(DIR_LIBRARY), cwd() + "/sheets");
    int count = -1;
    char** names = list_library_files(&count);
    ASSERT_EQ(count, 1);
    EXPECT_STREQ(names[0], "parts.clb");
    free_name_array(names, count);
    // The settings keep their values.
    EXPECT_STREQ(strproper_get(DIR_LIBRARY), ".\\library");
    // A configured folder that exists is used, written in any case.
    fs::create_directory("Library");
    EXPECT_STREQ(dir_in_use(DIR_LIBRARY), ".\\library");
    EXPECT_EQ(make_kind_file_name("parts", 1, 2), ".\\library\\parts.clb");
    // No sheet in a window: the configured folder, as before.
    editing.clear();
    EXPECT_STREQ(dir_in_use(DIR_PROJECT), "..\\demo");
    set_editing_folder_hook(nullptr);
}

// --- standard library list ----------------------------------------------------------

TEST_F(ConfigTest, StdlibInsertRemoveClear) {
    EXPECT_EQ(stdlib_insert("b.clb", 0), 0);
    EXPECT_EQ(stdlib_insert("a.clb", 0), 0);
    EXPECT_EQ(stdlib_insert("c.clb", 2), 0);
    EXPECT_EQ(stdlib_insert("a.clb", 1), 62);
    ASSERT_EQ(stdlib_count(), 3);
    EXPECT_STREQ(stdlib_name(0), "a.clb");
    EXPECT_STREQ(stdlib_name(1), "b.clb");
    EXPECT_STREQ(stdlib_name(2), "c.clb");
    EXPECT_EQ(stdlib_insert("A.clb", 1), 0);  // names compare with case
    EXPECT_EQ(stdlib_remove("b.clb"), 0);
    EXPECT_EQ(stdlib_remove("b.clb"), 63);
    ASSERT_EQ(stdlib_count(), 3);
    EXPECT_STREQ(stdlib_name(1), "A.clb");
    EXPECT_STREQ(stdlib_name(2), "c.clb");
    stdlib_clear();
    EXPECT_EQ(stdlib_count(), 0);
    EXPECT_EQ(ini_text(), "");  // the list lives only while the program runs
}

TEST_F(ConfigTest, StdlibInsertIntoAFullListIsRefused) {
    for (int i = 0; i < STDLIB_MAX; ++i)
        ASSERT_EQ(stdlib_insert(("lib" + std::to_string(i)).c_str(), i), 0);
    EXPECT_EQ(stdlib_insert("one more", 0), 56);
    EXPECT_EQ(stdlib_insert("x", 100), 56);
    EXPECT_EQ(stdlib_insert("x", -1), 56);
    EXPECT_EQ(stdlib_count(), STDLIB_MAX);
    EXPECT_STREQ(stdlib_name(0), "lib0");
    EXPECT_STREQ(stdlib_name(99), "lib99");
}

// --- dates ------------------------------------------------------------------------------

TEST(TimeStamp, FollowsTheFormula) {
    // 2024-03-05 07:08:09 UTC
    time_t when = 1709622489;
    uint32_t expected = 31u * 642816000u + 3u * 53568000u + 5u * 1728000u + 8u * 72000u + 9u * 20u;
    EXPECT_EQ(time_stamp_at(when), expected);
}

TEST(TimeStamp, TheHourDoesNotCount) {
    time_t when = 1709622489;
    EXPECT_EQ(time_stamp_at(when), time_stamp_at(when + 5 * 3600));
    EXPECT_NE(time_stamp_at(when), time_stamp_at(when + 60));
}

// The stamp's calendar arithmetic against the C library's UTC calendar,
// across leap days, century years and dates before 1970.
TEST(TimeStamp, AgreesWithTheLibraryCalendar) {
    auto library_stamp = [](time_t when) {
        struct tm t {};
        gmtime_r(&when, &t);
        uint32_t year = static_cast<uint32_t>(t.tm_year + 1900 - 1993);
        return year * 642816000u + static_cast<uint32_t>(t.tm_mon + 1) * 53568000u +
               static_cast<uint32_t>(t.tm_mday) * 1728000u +
               static_cast<uint32_t>(t.tm_min) * 72000u + static_cast<uint32_t>(t.tm_sec) * 20u;
    };
    std::vector<time_t> times = {0,           -1,
                                 1,           86399,
                                 86400,       -86400,
                                 -86401,      951782400 /* 2000-02-29 */,
                                 951868800,   4107542400 /* 2100-03-01 */,
                                 4107456000,  -2208988800 /* 1900-01-01 */,
                                 -2203891200, 1709622489};
    for (time_t when = -4000000000; when < 8000000000; when += 7777777) times.push_back(when);
    for (time_t when = 946684800 - 3 * 86400; when < 946684800 + 400 * 86400; when += 3601)
        times.push_back(when);
    for (time_t when : times) EXPECT_EQ(time_stamp_at(when), library_stamp(when)) << when;
}

TEST(DateString, MonthDayYearsSince1900) {
    std::string d = date_string_at(1709622489);
    ASSERT_EQ(d.size(), 9u);
    EXPECT_EQ(d.substr(6), "124");
    EXPECT_EQ(d[2], '/');
    EXPECT_EQ(d.substr(0, 2), "03");
    EXPECT_EQ(user_name(), std::string("Unknow user"));
}

// --- log ----------------------------------------------------------------------------------

TEST_F(ConfigTest, LogGoesToTheWindowAndTheLogFile) {
    std::string window;
    Services s;
    s.log_write = [&](const char* text) { window += text; };
    install_services(s);
    std::string file = dir.file("run.log");
    proper_set(LOGFILE, file, 0);
    log_printf("Result of read : %d\n", 7);
    log_printf("%s", std::string(3000, 'z').c_str());
    EXPECT_EQ(window, "Result of read : 7\n" + std::string(3000, 'z'));
    EXPECT_EQ(tn_test::read_text(file), window);
    proper_set(LOGFILE, "", 0);
    log_printf("window only\n");
    EXPECT_EQ(tn_test::read_text(file).size(), 3019u);
}

TEST_F(ConfigTest, ALogFileThatCannotBeWrittenWarnsOnceAndTheJobGoesOn) {
    std::string window;
    Services s;
    s.log_write = [&](const char* text) { window += text; };
    install_services(s);
    std::string bad = dir.file("missing/run.log");
    proper_set(LOGFILE, bad, 0);
    log_printf("one\n");
    log_printf("two\n");
    EXPECT_EQ(window, "one\n*** Warning *** : the log file " + bad + " cannot be written\ntwo\n");
    // A good file again, then the bad one: the user hears of it again.
    std::string good = dir.file("run.log");
    proper_set(LOGFILE, good, 0);
    log_printf("three\n");
    proper_set(LOGFILE, bad, 0);
    window.clear();
    log_printf("four\n");
    EXPECT_NE(window.find("cannot be written"), std::string::npos);
    EXPECT_EQ(tn_test::read_text(good), "three\n");
    proper_set(LOGFILE, "", 0);
}

}  // namespace
