// The tips file: tips, continuation lines, line breaks, the walk that
// starts over, and the first tip picked from a random digit.
#include "dialogs/forms/tips.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/test_env.h"

namespace {

std::unique_ptr<TipsFile> tips_of(tn_test::TempDir& dir, const std::string& text) {
    const std::string path = dir.file(TIPS_FILE);
    tn_test::write_text(path, text);
    return TipsFile::open(path);
}

TEST(Tips, LinesContinuationsAndLineBreaks) {
    tn_test::TempDir dir;
    auto tips = tips_of(dir, "A\n+B\nC\n");
    ASSERT_TRUE(tips);
    EXPECT_EQ(tips->tips_count(), 2);
    tips->seek(1);
    EXPECT_EQ(tips->tip(), "AB");
    tips->tip_next();
    EXPECT_EQ(tips->tip(), "C");
    // After the last tip, the first again.
    tips->tip_next();
    EXPECT_EQ(tips->tip(), "AB");

    // A backslash and n make a line break; a '+' opening the file is text.
    tips = tips_of(dir, "+one\\ntwo\r\nback\\slash");
    EXPECT_EQ(tips->tips_count(), 2);
    tips->seek(1);
    EXPECT_EQ(tips->tip(), "+one\r\ntwo\r");
    tips->tip_next();
    EXPECT_EQ(tips->tip(), "back\\slash");

    EXPECT_EQ(TipsFile::open(dir.file("missing.dat")), nullptr);
}

TEST(Tips, ATipIsAsLongAsItsLines) {
    tn_test::TempDir dir;
    const std::string line(1500, 'x');
    auto tips = tips_of(dir, line + "\n+" + line + "\nshort\n");
    tips->seek(1);
    EXPECT_EQ(tips->tip(), line + line);
    tips->tip_next();
    EXPECT_EQ(tips->tip(), "short");
}

TEST(Tips, TheFirstTipFromTheRandomDigit) {
    EXPECT_EQ(tip_start_number(0, 10), 1);
    EXPECT_EQ(tip_start_number(9, 10), 10);
    EXPECT_EQ(tip_start_number(5, 10), 5);
    EXPECT_EQ(tip_start_number(4, 0), 1) << "a file without tips shows the first (empty) one";
    for (int i = 0; i < 50; ++i) {
        const int digit = random_tip_digit();
        EXPECT_GE(digit, 0);
        EXPECT_LE(digit, 9);
    }
    // An empty file: one empty tip, shown as such.
    tn_test::TempDir dir;
    auto tips = tips_of(dir, "");
    EXPECT_EQ(tips->tips_count(), 0);
    tips->seek(1);
    EXPECT_EQ(tips->tip(), "");
}

}  // namespace
