#include <gtest/gtest.h>

#include "foundation/core.h"
#include "foundation/services.h"
#include "support/test_env.h"

namespace {

TEST(HeadlessServices, QuestionsTakeScriptedAnswersThenTheDefaultButton) {
    reset_services();
    script_answers({ANSWER_NO, ANSWER_CANCEL});
    EXPECT_EQ(services().message_box("q1", "Please Confirm", MB_YES_NO | MB_ICON_QUESTION), ANSWER_NO);
    EXPECT_EQ(services().message_box("q2", "Please Confirm", MB_YES_NO | MB_CANCEL_BUTTON), ANSWER_CANCEL);
    EXPECT_EQ(services().message_box("q3", "Please Confirm", MB_YES_NO), ANSWER_YES);
    EXPECT_EQ(services().message_box("e", "Error", MB_OK_BUTTON), ANSWER_OK);
    EXPECT_EQ(last_box_text(), "e");
    EXPECT_EQ(last_box_caption(), "Error");
}

TEST(HeadlessServices, NothingIsMeasuredWithoutACanvas) {
    reset_services();
    Rect r{1, 2, 3, 4};
    int font = 0;
    EXPECT_FALSE(services().paint_zone_text_extent(nullptr, "abc", &font, Point{}, &r));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    void* canvas = &r;
    EXPECT_EQ(services().find_open_file("a.sch", &canvas), nullptr);
    EXPECT_EQ(canvas, nullptr);
}

TEST(HeadlessServices, OverwriteIsAskedOnlyForAnExistingFile) {
    reset_services();
    tn_test::TempDir dir;
    std::string name = dir.file("out.rpt");
    std::string confirmed;
    script_answers({ANSWER_CANCEL});
    EXPECT_TRUE(services().confirm_overwrite(name, &confirmed)) << "no file: no question";
    EXPECT_EQ(confirmed, name);
    tn_test::write_text(name, "old");
    EXPECT_FALSE(services().confirm_overwrite(name, &confirmed));
    EXPECT_EQ(last_box_text(), "The file will be Overwritten");
    EXPECT_EQ(last_box_caption(), "Warning");
    EXPECT_TRUE(services().confirm_overwrite(name, &confirmed));
    EXPECT_EQ(confirmed, name);
}

TEST(HeadlessServices, InstallKeepsDefaultsForEmptySlots) {
    reset_services();
    int calls = 0;
    Services s;
    s.bell = [&] { ++calls; };
    install_services(s);
    services().bell();
    EXPECT_EQ(calls, 1);
    EXPECT_DOUBLE_EQ(services().get_screen_diagonal(), 18.5);
    reset_services();
}

TEST(ObjectIds, AreNonZeroAndResettable) {
    reset_object_ids(0xFFFFFFFFu);
    EXPECT_EQ(new_object_id(), 0xFFFFFFFFu);
    EXPECT_EQ(new_object_id(), 1u);  // wraps past 0
    reset_object_ids();
    EXPECT_EQ(new_object_id(), 1u);
}

}  // namespace

namespace {

TEST(FatalPaths, AssertionNamesExpressionFileAndLine) {
    EXPECT_EXIT(TN_ASSERT(1 + 1 == 3), testing::ExitedWithCode(1),
                "Assertion failed: exp '1 \\+ 1 == 3' File .*services_test.cpp line [0-9]+");
}

TEST(FatalPaths, NoMemoryReportsAndEnds) {
    EXPECT_EXIT(no_memory(), testing::ExitedWithCode(1), "Windows Fatal Error: Not Enough Memory");
}

}  // namespace
