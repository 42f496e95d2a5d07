#include "toolkit/dialog_calls.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

#include "foundation/services.h"

namespace {

struct StepCase {
    const char* text;
    int step, min, max, expected;
};
void PrintTo(const StepCase& c, std::ostream* out) {
    *out << '"' << (c.text ? c.text : "(null)") << "\" step " << c.step;
}

class StepValue : public testing::TestWithParam<StepCase> {};

TEST_P(StepValue, ReadsStepsAndClamps) {
    const StepCase& c = GetParam();
    EXPECT_EQ(control_step_value(c.text, c.step, c.min, c.max), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StepValue,
    testing::Values(StepCase{"12", 1, 0, 12, 12},          // at the top stays
                    StepCase{"Size 7 pt", -2, 0, 100, 5},  // leading text skipped
                    StepCase{"-5", -1, -10, 10, 4},        // a sign is not a digit
                    StepCase{nullptr, 3, 0, 10, 3},        // no number reads 0
                    StepCase{"page", -1, 1, 10, 1},
                    StepCase{"99999999999999999999", 1, 0, INT_MAX, INT_MAX},  // no overflow
                    StepCase{"2147483647", INT_MAX, INT_MIN, INT_MAX, INT_MAX}));

TEST(DialogCalls, NullDialogReachesNoService) {
    Services s;
    s.dialog_set_message = [](void*, const char*) { ADD_FAILURE(); };
    s.dialog_set_pinned = [](void*, bool) { ADD_FAILURE(); };
    s.dialog_show = [](void*, bool, bool) { ADD_FAILURE(); };
    s.dialog_is_shown = [](void*) { return true; };
    install_services(s);
    dialog_message_pin(nullptr, "x");
    dialog_clear_message(nullptr);
    dialog_set_pinned(nullptr, true);
    hide_dialog(nullptr);
    EXPECT_FALSE(dialog_is_shown(nullptr));
    reset_services();
}

}  // namespace
