#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundation/properties.h"
#include "render/colour_table.h"
#include "render/draw_items.h"
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

// WCAG's relative luminance of a 0x00BBGGRR colour, and the contrast of two.
double luminance(uint32_t rgb) {
    auto linear = [](uint32_t channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb & 0xFF) + 0.7152 * linear((rgb >> 8) & 0xFF) +
           0.0722 * linear((rgb >> 16) & 0xFF);
}

double contrast(uint32_t a, uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(ColourTableTest, EveryDefaultColourReadsOnTheBackgroundAndOnWhitePaper) {
    config_set_defaults();
    apply_standard_colours();
    const uint32_t background = uint32_t(proper_get(COLOR_BACKG));
    struct Drawn {
        uint32_t rgb;
        int id;
    };
    std::vector<Drawn> drawn;
    for (int id = COLOR_FILM; id <= COLOR_POWPIN; ++id)
        if (id != COLOR_BACKG) drawn.push_back({uint32_t(proper_get(id)), id});
    for (int i = 0; i < 3; ++i) drawn.push_back({uint32_t(proper_get(COLOR_PARTFIELD, i)), 424});
    drawn.push_back({uint32_t(SELECTION_COLOUR), 0});
    for (const Drawn& d : drawn) {
        EXPECT_GE(contrast(d.rgb, background), 3.0) << "colour property " << d.id;
        EXPECT_GE(contrast(d.rgb, 0xFFFFFF), 3.0) << "colour property " << d.id << " on paper";
    }
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
