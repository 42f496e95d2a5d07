#include "foundation/flagop.h"

#include <gtest/gtest.h>

namespace {

struct ApplyCase {
    int operation;
    uint32_t mask;
    uint32_t word;
    uint32_t expected;
};

class FlagOpApply : public testing::TestWithParam<ApplyCase> {};

TEST_P(FlagOpApply, ChangesTheWordByTheTopPair) {
    const ApplyCase& c = GetParam();
    flagop_reset();
    FlagOpScope pass(c.mask, c.operation);
    uint32_t word = c.word;
    flagop_apply(&word);
    EXPECT_EQ(word, c.expected);
}

INSTANTIATE_TEST_SUITE_P(FlagOp, FlagOpApply,
                         testing::Values(ApplyCase{FLAGOP_OR, 0x8000, 0x0F00, 0x8F00},
                                         ApplyCase{FLAGOP_CLEAR, 0x0400, 0x0F00, 0x0B00},
                                         ApplyCase{FLAGOP_SET, 0x0001, 0xFFFF, 0x0001},
                                         ApplyCase{7, 0x0400, 0x0F00, 0x0F00},
                                         ApplyCase{0, 0xFFFF, 0x1234, 0x1234}));

TEST(FlagOp, NestedPassesApplyTheInnerPairUntilItIsPopped) {
    flagop_reset();
    uint32_t word = 0;
    FlagOpScope outer(0x1, FLAGOP_OR);
    {
        FlagOpScope inner(0x10, FLAGOP_OR);
        flagop_apply(&word);
    }
    flagop_apply(&word);
    EXPECT_EQ(word, 0x11u);
    EXPECT_TRUE(mask_matches(word, 0) && mask_matches(0, 0) && mask_matches(word, 0x30));
    EXPECT_FALSE(mask_matches(word, 0x20));
}

TEST(FlagOp, MisuseStopsWithAnAssertion) {
    flagop_reset();
    uint32_t word = 0;
    EXPECT_EXIT(flagop_pop(), testing::ExitedWithCode(1), "Assertion failed");
    EXPECT_EXIT(flagop_apply(&word), testing::ExitedWithCode(1), "Assertion failed");
    for (int i = 0; i < 100; ++i) flagop_push(1, FLAGOP_OR);
    EXPECT_EXIT(flagop_push(1, FLAGOP_OR), testing::ExitedWithCode(1), "Assertion failed");
    flagop_reset();
}

}  // namespace
