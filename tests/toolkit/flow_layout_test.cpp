// The user panel's flow layout and the style word, without windows.
#include "toolkit/flow_layout.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include "toolkit/dialog_style.h"
#include "toolkit/file_selectors.h"

namespace {

bool same(const FlowBox& b, int x, int y, int w, int h) {
    return b.x == x && b.y == y && b.w == w && b.h == h;
}

TEST(FlowLayout, ItemsFlowInRowsBelowTheTallestItemOfTheRowAbove) {
    FlowLayout f(8, 10, 6, 4);
    EXPECT_TRUE(same(f.Add(0, 0, 50, 20).item, 8, 8, 50, 20));
    EXPECT_TRUE(same(f.Add(0, 0, 30, 40).item, 68, 8, 30, 40));
    f.NewLine();
    EXPECT_TRUE(same(f.Add(0, 0, 10, 10).item, 8, 54, 10, 10));  // 8 + 40 + 6
    EXPECT_EQ(f.Width(), 68 + 30 + 8);
    EXPECT_EQ(f.Height(), 54 + 10 + 8);
}

TEST(FlowLayout, LabelsBesideAreCentredAndLabelsAboveStack) {
    FlowLayout f(8, 10, 6, 4);
    FlowPlacement beside = f.Add(40, 10, 60, 30);
    EXPECT_TRUE(same(beside.label, 8, 18, 40, 10));
    EXPECT_TRUE(same(beside.item, 52, 8, 60, 30));
    f.NewLine();
    f.SetLabelPosition(LabelPosition::ABOVE);
    FlowPlacement above = f.Add(80, 10, 60, 30);
    EXPECT_TRUE(same(above.label, 8, 44, 80, 10));
    EXPECT_TRUE(same(above.item, 8, 58, 60, 30));
    // The next item of the row starts after the wider of label and item.
    EXPECT_EQ(f.Add(0, 0, 5, 5).item.x, 8 + 80 + 10);
}

TEST(FlowLayout, BlankLinesTabsAndSkipsAddSpace) {
    FlowLayout f(8, 10, 6, 4);
    f.NewLine(12);  // an empty row still takes room
    f.Tab(20);
    f.Skip(5);
    FlowPlacement p = f.Add(0, 0, 10, 10);
    EXPECT_TRUE(same(p.item, 28, 8 + 12 + 6 + 5, 10, 10));
    // A skip asked in the middle of a row waits for the next row.
    f.Skip(7);
    EXPECT_EQ(f.Add(0, 0, 10, 10).item.y, p.item.y);
    f.NewLine();
    const int row = p.item.y + 10 + 6 + 7;
    EXPECT_EQ(f.Add(0, 0, 10, 10).item.y, row);
    // Negative sizes count as nothing.
    EXPECT_TRUE(same(f.Add(-5, -5, -1, -1).item, 8 + 10 + 10, row, 0, 0));
}

TEST(FlowLayout, SpacingsChangeForTheItemsThatFollowAndAMarginOfZeroHugsTheItems) {
    FlowLayout f(0, 10, 6, 4);
    f.SetMargin(0);
    EXPECT_TRUE(same(f.Add(0, 0, 9, 9).item, 0, 0, 9, 9));
    f.SetSpacing(0, 0);  // the gap after the first item was taken already
    EXPECT_EQ(f.Add(0, 0, 9, 9).item.x, 19);
    EXPECT_EQ(f.Add(0, 0, 9, 9).item.x, 28);
    f.NewLine();
    EXPECT_EQ(f.Add(0, 0, 9, 9).item.y, 9);  // rows touch
    EXPECT_EQ(f.Width(), 37);
    EXPECT_EQ(f.Height(), 18);
    f.SetSpacing(-3, -3);  // no negative gaps
    EXPECT_EQ(f.Add(0, 0, 1, 1).item.x, 9);
}

TEST(FlowLayout, AnEmptyPanelIsItsMargins) {
    FlowLayout f(8, 10, 6, 4);
    EXPECT_EQ(f.Width(), 16);
    EXPECT_EQ(f.Height(), 16);
}

TEST(DialogStyle, TheStartUpWordsAndTheWideOption) {
    for (long style : {0x3C0200L, 0x340200L, 0x340204L}) {
        EXPECT_TRUE(dialog_buttons_in_column(style));
        EXPECT_EQ(dialog_cancel_placement(style), CancelPlacement::AFTER_FIRST);
    }
    EXPECT_FALSE(dialog_has_message_line(0x3C0200));
    EXPECT_TRUE(dialog_has_message_line(0x340200));
    EXPECT_TRUE(dialog_has_message_line(0x340204));
    EXPECT_TRUE(wx_style_from_dialog_style(0x340200) & wxFRAME_TOOL_WINDOW);
    EXPECT_FALSE(wx_style_from_dialog_style(0x340204) & wxFRAME_TOOL_WINDOW);
    EXPECT_TRUE(wx_style_from_dialog_style(0x340204) & wxCAPTION);
    EXPECT_EQ(dialog_cancel_placement(0x100000), CancelPlacement::BEFORE_FIRST);
    EXPECT_EQ(dialog_cancel_placement(0x200000), CancelPlacement::NONE);
    EXPECT_EQ(dialog_cancel_placement(0), CancelPlacement::NONE);
    EXPECT_FALSE(dialog_buttons_in_column(0));
}

TEST(FileSelectors, FiltersShowNameAndWildcard) {
    const char* wildcards[] = {"*.sch", "*.clb", nullptr};
    const char* names[] = {"Sheets", nullptr, "All"};
    EXPECT_EQ(filesel_filter_text(3, wildcards, names),
              "Sheets (*.sch)|*.sch|*.clb|*.clb|All (*)|*");
    EXPECT_EQ(filesel_filter_text(1, wildcards, nullptr), "*.sch|*.sch");
    EXPECT_EQ(filesel_filter_text(0, wildcards, names), "All files (*)|*");
    EXPECT_EQ(filesel_filter_text(2, nullptr, names), "All files (*)|*");
}

}  // namespace
