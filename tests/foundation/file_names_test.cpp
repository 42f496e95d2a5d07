#include <gtest/gtest.h>

#include <string>

#include "foundation/file_names.h"

namespace {

// Mode 2 never looks at the disk, so these hold wherever the tests run.
struct NameCase {
    const char* name;
    const char* directory;
    const char* suffixes;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const NameCase& c) {
    return os << c.name << " in " << (c.directory ? c.directory : "(none)");
}

const NameCase name_cases[] = {
    {"a", "C:\\x", ".sch", "C:\\x\\a.sch"},
    {"a", "C:\\x\\", ".sch", "C:\\x\\a.sch"},
    {"a", "/home/u/proj", ".sch", "/home/u/proj/a.sch"},
    {"a", "/home/u/proj/", ".sch", "/home/u/proj/a.sch"},
    {"..\\up", "C:\\x", ".sch", "..\\up.sch"},
    {"../up", "C:\\x", ".sch", "../up.sch"},
    {".\\here", "C:\\x", ".sch", ".\\here.sch"},
    {"\\root\\f", "C:\\x", ".sch", "\\root\\f.sch"},
    {"/root/f", "C:\\x", ".sch", "/root/f.sch"},
    {"D:f", "C:\\x", ".sch", "D:f.sch"},
    {"b.lib", "C:\\x", ".sch", "C:\\x\\b.lib"},
    {"a", "C:\\x", ".lib,.clb", "C:\\x\\a.lib"},
    {"a", "C:\\x", "", "C:\\x\\a"},
    {"a", "C:\\x", nullptr, "C:\\x\\a"},
    {"a", nullptr, ".sch", "a.sch"},
    {"a", "", ".sch", "a.sch"},
    {"v1.2\\a", "C:\\x", ".sch", "C:\\x\\v1.2\\a.sch"},
};

class MakeFileName : public testing::TestWithParam<NameCase> {};

TEST_P(MakeFileName, ModeTwoCompletesTheName) {
    const NameCase& c = GetParam();
    EXPECT_EQ(make_file_name(c.name, c.directory, c.suffixes, 2), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Names, MakeFileName, testing::ValuesIn(name_cases));

struct SuffixCase {
    const char* name;
    const char* suffix;
    size_t at;
};

const SuffixCase suffix_cases[] = {
    {"a.sch", ".sch", 1},       {"a.b.sch", ".sch", 3}, {".profile", "", 8}, {"dir\\.x", "", 6},
    {"v1.2\\name", "", 9},      {"v1.2/name", "", 9},   {"C:.x", "", 4},     {"noext", "", 5},
    {"tn$_tmp.#01", ".#01", 7}, {"a.", ".", 1},         {"", "", 0},
};

TEST(FindSuffix, LastDotOfTheLastComponentNotStartingIt) {
    for (const SuffixCase& c : suffix_cases) {
        std::string out = "junk";
        EXPECT_EQ(find_suffix(c.name, &out), c.at) << c.name;
        EXPECT_EQ(out, c.suffix) << c.name;
        EXPECT_EQ(has_suffix(c.name), c.suffix[0] != '\0') << c.name;
    }
}

TEST(ReplaceSuffix, ReplacesOrAppends) {
    std::string a = "C:\\x\\a.sch";
    replace_suffix(a, ".BAK");
    EXPECT_EQ(a, "C:\\x\\a.BAK");
    std::string b = "v1.2\\name";
    replace_suffix(b, ".net");
    EXPECT_EQ(b, "v1.2\\name.net");
    replace_suffix(b, "");
    EXPECT_EQ(b, "v1.2\\name");
}

struct StepCase {
    const char* name;
    const char* suffix;
    int step;
    int result;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const StepCase& c) {
    return os << c.name << " step " << c.step;
}

const StepCase step_cases[] = {
    {"sheet1a.sch", ".sch", 1, 0, "sheet2.sch"},
    {"sheet1.sch", ".net", 1, 0, "sheet2.net"},
    {"sheet1.sch", ".sch", 2, 0, "sheet0.sch"},
    {"sheet0.sch", ".sch", 2, -1, "sheet0.sch"},
    {"sheet.sch", ".sch", 1, -1, "sheet.sch"},
    {"sheet9.sch", ".sch", 1, 0, "sheet10.sch"},
    {"s007.sch", ".sch", 1, 0, "s8.sch"},
    {"sheet1.sch", "", 0, 0, "sheet1"},
    {"sheet1.sch", ".sch", 3, -1, "sheet1.sch"},
    {"C:\\p2\\x\\sheet.sch", ".sch", 1, -1, "C:\\p2\\x\\sheet.sch"},
    {"C:\\p2\\x\\sheet4.sch", ".sch", 1, 0, "C:\\p2\\x\\sheet5.sch"},
    {"C:\\x\\12.sch", ".sch", 1, -1, "C:\\x\\12.sch"},
    {"12.sch", ".sch", 1, -1, "12.sch"},
    {"1", "", 1, -1, "1"},
    {"a.s2", ".s2", 1, -1, "a.s2"},
    {"s99999999999.sch", ".sch", 1, -1, "s99999999999.sch"},
};

class ChangeSuffix : public testing::TestWithParam<StepCase> {};

TEST_P(ChangeSuffix, StepsTheNumberBeforeTheSuffix) {
    const StepCase& c = GetParam();
    std::string name = c.name;
    EXPECT_EQ(change_suffix(name, c.suffix, c.step), c.result);
    EXPECT_EQ(name, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Steps, ChangeSuffix, testing::ValuesIn(step_cases));

TEST(StepNumber, ReturnsTheNewNumber) {
    std::string name = "page41.sch";
    EXPECT_EQ(step_number(name, 1), 42);
    EXPECT_EQ(step_number(name, 0), 0);
    EXPECT_EQ(name, "page42.sch");
}

TEST(NextSuffix, WalksTheList) {
    const char* cursor = ".lib,,.clb";
    std::string out;
    std::vector<std::string> seen;
    while (next_suffix(cursor, out)) seen.push_back(out);
    EXPECT_EQ(seen, (std::vector<std::string>{".lib", "", ".clb"}));
    const char* none = nullptr;
    EXPECT_EQ(next_suffix(none, out), 0);
}

TEST(BaseName, AfterTheLastSeparatorOrDrive) {
    EXPECT_STREQ(base_name("C:\\x\\a.sch"), "a.sch");
    EXPECT_STREQ(base_name("x/y/a.sch"), "a.sch");
    EXPECT_STREQ(path_base_name("C:a.sch"), "a.sch");
    EXPECT_STREQ(base_name("a.sch"), "a.sch");
    EXPECT_STREQ(base_name("dir\\"), "");
}

TEST(NormalisePath, DropsDotsAndFoldsDotDots) {
    std::string out;
    normalise_path("C:\\a\\.\\b\\..\\c.sch", out);
    EXPECT_EQ(out, "C:\\a\\c.sch");
    normalise_path("..\\../x/./y", out);
    EXPECT_EQ(out, "..\\..\\x/y");
    normalise_path("a\\..\\..\\b", out);
    EXPECT_EQ(out, "..\\b");
}

TEST(NameFromHolder, DotNamesAreTakenFromTheFolderOfTheSheetThatHoldsThem) {
    EXPECT_EQ(name_from_holder("./sub.sch", "/p/root.sch"), "/p/sub.sch");
    EXPECT_EQ(name_from_holder(".\\a\\x.sch", "/p/root.sch"), "/p/a\\x.sch");
    EXPECT_EQ(name_from_holder("../y.sch", "/p/a/x.sch"), "/p/y.sch");
    EXPECT_EQ(name_from_holder("..\\..\\y.sch", "C:\\p\\a\\x.sch"), "C:\\y.sch");
    // A holder named from the working directory keeps its names there.
    EXPECT_EQ(name_from_holder("./sub.sch", "proj/root.sch"), "./proj/sub.sch");
    EXPECT_EQ(name_from_holder("./sub.sch", "root.sch"), "./sub.sch");
    EXPECT_EQ(name_from_holder("../sub.sch", "..\\demo\\root.sch"), "..\\sub.sch");
    EXPECT_EQ(name_from_holder("../../sub.sch", "x/root.sch"), "..\\sub.sch");
    // Other names are completed in the project directory: left as they are.
    for (const char* name : {"sub.sch", "a/sub.sch", "/abs/sub.sch", "C:\\s.sch", "..sub.sch"})
        EXPECT_EQ(name_from_holder(name, "/p/root.sch"), name);
}

}  // namespace
