#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <wx/colour.h>
#include <wx/image.h>

#include "model/documents/dib.h"
#include "render/dib_image.h"

namespace {

void put32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) (*b)[at + i] = uint8_t(v >> (8 * i));
}

// A packed bitmap: 40-byte header, palette, pixels.
Dib make_dib(int32_t width, int32_t height, int bits, uint32_t compression,
             const std::vector<uint32_t>& palette, const std::vector<uint8_t>& pixels) {
    Dib dib;
    dib.bytes.assign(40, 0);
    put32(&dib.bytes, 0, 40);
    put32(&dib.bytes, 4, uint32_t(width));
    put32(&dib.bytes, 8, uint32_t(height));
    dib.bytes[12] = 1;
    dib.bytes[14] = uint8_t(bits);
    put32(&dib.bytes, 16, compression);
    put32(&dib.bytes, 20, uint32_t(pixels.size()));
    put32(&dib.bytes, 32, uint32_t(palette.size()));
    for (uint32_t c : palette) {
        dib.bytes.push_back(uint8_t(c));        // blue
        dib.bytes.push_back(uint8_t(c >> 8));   // green
        dib.bytes.push_back(uint8_t(c >> 16));  // red
        dib.bytes.push_back(0);
    }
    dib.bytes.insert(dib.bytes.end(), pixels.begin(), pixels.end());
    return dib;
}

wxColour at(const wxImage& image, int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

TEST(DibImageTest, RowsStoredBottomUpOrTopDownComeOutTopDown) {
    // 2 x 2 at 24 bits: rows padded to 8 bytes; blue, green, red order.
    const std::vector<uint8_t> rows = {0, 0, 255, 0, 255, 0, 0, 0,     // first stored row
                                       255, 0, 0, 255, 255, 255, 0, 0};  // second stored row
    wxImage image;
    Dib bottom_up = make_dib(2, 2, 24, 0, {}, rows);
    ASSERT_TRUE(dib_to_image(&bottom_up, &image));
    EXPECT_EQ(at(image, 0, 1), wxColour(255, 0, 0));  // the first stored row is the bottom
    EXPECT_EQ(at(image, 1, 1), wxColour(0, 255, 0));
    EXPECT_EQ(at(image, 0, 0), wxColour(0, 0, 255));
    EXPECT_EQ(at(image, 1, 0), wxColour(255, 255, 255));
    Dib top_down = make_dib(2, -2, 24, 0, {}, rows);
    ASSERT_TRUE(dib_to_image(&top_down, &image));
    EXPECT_EQ(at(image, 0, 0), wxColour(255, 0, 0));
}

TEST(DibImageTest, PaletteAndRunLengthBitmaps) {
    const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00};
    // 4 x 1 at 8 bits, uncompressed.
    wxImage image;
    Dib plain = make_dib(4, 1, 8, 0, palette, {1, 2, 0, 1});
    ASSERT_TRUE(dib_to_image(&plain, &image));
    EXPECT_EQ(at(image, 0, 0), wxColour(255, 0, 0));
    EXPECT_EQ(at(image, 1, 0), wxColour(0, 255, 0));
    // RLE8: a run of one 1, an absolute run of 2, 0, 1 (padded to a word),
    // a run of two 1, end of bitmap.
    Dib rle = make_dib(5, 1, 8, 1, palette, {1, 1, 0, 3, 2, 0, 1, 0, 2, 1, 0, 1});
    ASSERT_TRUE(dib_to_image(&rle, &image));
    EXPECT_EQ(at(image, 0, 0), wxColour(255, 0, 0));
    EXPECT_EQ(at(image, 1, 0), wxColour(0, 255, 0));
    EXPECT_EQ(at(image, 2, 0), wxColour(0, 0, 0));
    EXPECT_EQ(at(image, 3, 0), wxColour(255, 0, 0));
    EXPECT_EQ(at(image, 4, 0), wxColour(255, 0, 0));
    // A palette index past the palette leaves the pixel black.
    Dib past = make_dib(1, 1, 8, 0, palette, {9, 0, 0, 0});
    ASSERT_TRUE(dib_to_image(&past, &image));
    EXPECT_EQ(at(image, 0, 0), wxColour(0, 0, 0));
}

TEST(DibImageTest, BlocksThatDoNotHoldWhatTheirHeaderSaysAreRefused) {
    wxImage image;
    EXPECT_FALSE(dib_to_image(nullptr, &image));
    Dib short_pixels = make_dib(4, 4, 24, 0, {}, std::vector<uint8_t>(20, 0));
    EXPECT_FALSE(dib_to_image(&short_pixels, &image));
    Dib huge = make_dib(100000, 100000, 1, 0, {0, 0xFFFFFF}, std::vector<uint8_t>(16, 0));
    EXPECT_FALSE(dib_to_image(&huge, &image));
    Dib palette_past_end = make_dib(1, 1, 8, 0, {}, {0, 0, 0, 0});
    put32(&palette_past_end.bytes, 32, 1000);
    EXPECT_FALSE(dib_to_image(&palette_past_end, &image));
    Dib compressed = make_dib(1, 1, 24, 7, {}, {0, 0, 0, 0});
    EXPECT_FALSE(dib_to_image(&compressed, &image));
    Dib no_masks = make_dib(1, 1, 16, 3, {}, {0, 0, 0, 0});
    EXPECT_FALSE(dib_to_image(&no_masks, &image));
    EXPECT_FALSE(image.IsOk());
}

}  // namespace
