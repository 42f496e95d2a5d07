#include <gtest/gtest.h>

#include <vector>

#include "foundation/properties.h"
#include "render/colour_table.h"
#include "render/render_fixture.h"
#include "toolkit/wx_test_env.h"

namespace render_test {
namespace {

class ColourTableTest : public RenderTest {};

TEST_F(ColourTableTest, LooksUpAndAddsColoursByTheirConfigurationWord) {
    colour_table_build();
    // Configuration words keep red in the low byte.
    EXPECT_EQ(colour_by_rgb(0x0000FF), wxColour(255, 0, 0));
    EXPECT_EQ(colour_by_rgb(0xFF0000), wxColour(0, 0, 255));
    // An RGB the table does not hold answers black until it is added, once.
    EXPECT_EQ(colour_by_rgb(0x123456), wxColour(0, 0, 0));
    const int size = colour_table_size();
    const wxColour& added = colour_add(0x123456);
    EXPECT_EQ(added, wxColour(0x56, 0x34, 0x12));
    EXPECT_EQ(&colour_add(0x123456), &added);
    EXPECT_EQ(colour_table_size(), size + 1);
    EXPECT_EQ(&colour_by_rgb(0x123456), &added);
    EXPECT_EQ(rgb_of(added), 0x123456u);
    EXPECT_EQ(colour_red(), wxColour(255, 0, 0));
}

std::vector<int> saved;
void save_entry(int index, int red, int green, int blue) {
    saved.push_back(index);
    EXPECT_EQ(uint32_t(red | green << 8 | blue << 16), standard_colour_rgb(index));
}
int loads = 0;
void load_entry(int, int* red, int* green, int* blue) {
    ++loads;
    *red = *green = *blue = 7;
}

TEST_F(ColourTableTest, AttachHandsOverTheStandardEntriesAndKeepsThemWhateverTheLoadSays) {
    saved.clear();
    loads = 0;
    colour_table_attach(load_entry, save_entry);
    ASSERT_EQ(saved.size(), size_t(STANDARD_COLOURS));
    for (int i = 0; i < STANDARD_COLOURS; ++i) EXPECT_EQ(saved[i], i);
    colour_table_load();
    EXPECT_EQ(loads, STANDARD_COLOURS);
    EXPECT_EQ(rgb_of(colour_by_rgb(standard_colour_rgb(4))), standard_colour_rgb(4));
    colour_table_attach(nullptr, nullptr);
    colour_table_load();
    EXPECT_EQ(loads, STANDARD_COLOURS);
}

TEST_F(ColourTableTest, StandardColoursReplaceTheDefaultsButSheetFileAndBorder) {
    config_set_defaults();
    const int32_t sheet_file = proper_get(COLOR_SHEETFILE), border = proper_get(COLOR_BORDER);
    apply_standard_colours();
    EXPECT_EQ(uint32_t(proper_get(COLOR_WIRE)), standard_colour_rgb(4));
    EXPECT_EQ(uint32_t(proper_get(COLOR_BACKG)), standard_colour_rgb(0));
    EXPECT_EQ(uint32_t(proper_get(COLOR_PARTFIELD, 2)), standard_colour_rgb(8));
    EXPECT_EQ(proper_get(COLOR_SHEETFILE), sheet_file);
    EXPECT_EQ(proper_get(COLOR_BORDER), border);
    EXPECT_EQ(standard_colour_rgb(-1), 0u);
    EXPECT_EQ(standard_colour_rgb(STANDARD_COLOURS), 0u);
}

}  // namespace
}  // namespace render_test

namespace render_test {
namespace {

TEST_F(ColourTableTest, TheColourDialogChangesTheColourOnlyWhenConfirmed) {
    wxColour colour(1, 2, 3);
    {
        tn_test::ModalAnswer cancel([](wxDialog*) { return wxID_CANCEL; });
        EXPECT_EQ(choose_colour(&colour), 0);
        EXPECT_EQ(cancel.calls, 1);
    }
    EXPECT_EQ(colour, wxColour(1, 2, 3));
    tn_test::ModalAnswer confirm([](wxDialog*) { return wxID_OK; });
    EXPECT_EQ(choose_colour(&colour), 1);
    EXPECT_EQ(colour, wxColour(1, 2, 3));
}

}  // namespace
}  // namespace render_test
