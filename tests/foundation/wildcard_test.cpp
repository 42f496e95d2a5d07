#include <gtest/gtest.h>

#include "foundation/wildcard.h"

namespace {

struct WildCase {
    const char* pattern;
    const char* text;
    bool matches;
};

std::ostream& operator<<(std::ostream& os, const WildCase& c) {
    return os << c.pattern << " ~ " << c.text;
}

const WildCase wild_cases[] = {
    {"R*", "R12", true},       {"R*", "r12", true},       {"R*", "XR1", false},
    {"U?", "U1", true},        {"U?", "U12", false},      {"*.LIB", "AXLIB", true},
    {"*.LIB", "a.lib", true},  {"*.LIB", "a.libx", false}, {"^C*", "C3", true},
    {"C*$", "C3", true},       {"[AB]1", "b1", true},     {"[AB]1", "C1", false},
    {"*", "", true},           {"?", "", false},          {"74LS*", "74ls00", true},
};

class Wildcards : public testing::TestWithParam<WildCase> {};

TEST_P(Wildcards, MatchWholeNamesIgnoringCase) {
    const WildCase& c = GetParam();
    EXPECT_EQ(wildcard_match(c.pattern, c.text), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Patterns, Wildcards, testing::ValuesIn(wild_cases));

TEST(Wildcard, CompiledPatternServesManyTexts) {
    ASSERT_EQ(wildcard_compile("C?*"), 0);
    EXPECT_TRUE(wildcard_exec("C12"));
    EXPECT_TRUE(wildcard_match_nocase("c12", false));
    EXPECT_TRUE(wildcard_match_nocase("c12", true)) << "the table folds the text anyway";
    EXPECT_FALSE(wildcard_exec("C"));
    wildcard_free();
}

TEST(Wildcard, ABadPatternMatchesNothing) {
    EXPECT_EQ(wildcard_compile("[AB"), -1);
    EXPECT_FALSE(wildcard_exec("A"));
    EXPECT_FALSE(wildcard_match("[", "["));
    EXPECT_EQ(wildcard_compile("A*"), 0);
    EXPECT_TRUE(wildcard_exec("AB"));
}

TEST(Wildcard, LongNamesAreMatched) {
    std::string name(5000, 'N');
    EXPECT_TRUE(wildcard_match("N*", name.c_str()));
    std::string pattern(400, '?');
    EXPECT_FALSE(wildcard_match(pattern.c_str(), "NNN"));
}

}  // namespace
