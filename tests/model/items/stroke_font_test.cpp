// The glyph tables: their conventions, the two glyphs that are fixed, and a
// rendered sheet of every glyph for review (set TN_GLYPH_SHEET to a .pgm
// path and run --gtest_filter='StrokeFont*').
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/items/text.h"

namespace {

using Glyph = const int8_t[GLYPH_ENTRIES][3];
Glyph& glyph_of(bool symbol, int c) {
    return (symbol ? stroke_font_symbol : stroke_font_plain)[c - 32];
}

TEST(StrokeFont, EveryGlyphStaysInTheCellAndEndsWithinItsEntries) {
    for (bool symbol : {false, true}) {
        for (int c = 32; c < 128; ++c) {
            SCOPED_TRACE(testing::Message() << (symbol ? "symbol " : "plain ") << c);
            Glyph& g = glyph_of(symbol, c);
            int x = 0, y = 0, end = 0;
            while (end < GLYPH_ENTRIES && g[end][0] != GLYPH_END) {
                ASSERT_TRUE(g[end][0] == STROKE_MOVE || g[end][0] == STROKE_DRAW);
                x += g[end][2];
                y += g[end][1];
                EXPECT_TRUE(x >= -4 && x <= 4 && y >= -6 && y <= 6) << x << "," << y;
                ++end;
            }
            ASSERT_LT(end, GLYPH_ENTRIES) << "no end mark";
            for (int i = end + 1; i < GLYPH_ENTRIES; ++i)
                EXPECT_TRUE(!g[i][0] && !g[i][1] && !g[i][2]);
            EXPECT_EQ(c == ' ', end == 0);  // every other character draws something
        }
    }
}

TEST(StrokeFont, FixedGlyphsAndTheSymbolLetters) {
    const int8_t ell[4][3] = {{0, -3, -2}, {1, 6, 0}, {1, 0, 4}, {'P', 0, 0}};
    const int8_t dash[3][3] = {{0, 0, -2}, {1, 0, 4}, {'P', 0, 0}};
    EXPECT_EQ(0, std::memcmp(glyph_of(false, 'L'), ell, sizeof ell));
    EXPECT_EQ(0, std::memcmp(glyph_of(false, '-'), dash, sizeof dash));
    // The symbol font differs from the plain one exactly at the 23 IEEE
    // symbols, and no two symbols look alike.
    for (int c = 32; c < 128; ++c)
        EXPECT_EQ(std::memcmp(glyph_of(false, c), glyph_of(true, c), sizeof(Glyph)) == 0,
                  c < 'A' || c > 'W');
    for (int a = 'A'; a <= 'W'; ++a)
        for (int b = a + 1; b <= 'W'; ++b)
            EXPECT_NE(0, std::memcmp(glyph_of(true, a), glyph_of(true, b), sizeof(Glyph)));
}

TEST(StrokeFont, EachRunOfDrawsIsOneStrokePutInFront) {
    Stroke* chain = nullptr;
    glyph_Strokes('H', 10, 20, 70, false, true, &chain);  // three runs and a bar
    std::vector<std::vector<Point>> got;
    for (Stroke* s = chain; s; s = s->next) {
        EXPECT_EQ(s->width, 70);
        got.push_back(s->points);
    }
    free_Strokes(chain);
    EXPECT_EQ(
        got,
        (std::vector<std::vector<Point>>{
            {{14, 14}, {6, 14}}, {{8, 20}, {12, 20}}, {{12, 17}, {12, 23}}, {{8, 17}, {8, 23}}}));
}

// --- the review sheet --------------------------------------------------------------------
// Both tables side by side, 16 glyphs a row, 8 pixels a cell unit; each
// cell outlined in grey, the capital box (x -2..2, y -3..3) lighter.
class Sheet {
public:
    static constexpr int U = 8, CW = CELL_WIDTH * U + 8, CH = CELL_HEIGHT * U + 8;
    void glyph(int c, bool symbol) {
        int ox = ((c - 32) % 16 + (symbol ? 16 : 0)) * CW + (symbol ? 16 : 0) + 4 + 4 * U;
        int oy = (c - 32) / 16 * CH + 4 + 6 * U;
        box(ox - 4 * U, oy - 6 * U, ox + 4 * U, oy + 6 * U, 200);
        box(ox - 2 * U, oy - 3 * U, ox + 2 * U, oy + 3 * U, 230);
        Stroke* chain = nullptr;
        glyph_Strokes(c, 0, 0, 100, symbol, false, &chain);
        for (Stroke* s = chain; s; s = s->next)
            for (size_t k = 1; k < s->points.size(); ++k)
                line(ox + s->points[k - 1].x * U, oy + s->points[k - 1].y * U,
                     ox + s->points[k].x * U, oy + s->points[k].y * U, 0, 2);
        free_Strokes(chain);
    }
    void save(const char* path) const {
        if (FILE* f = std::fopen(path, "wb")) {
            std::fprintf(f, "P5\n%d %d\n255\n", W, H);
            std::fwrite(px_.data(), 1, px_.size(), f);
            std::fclose(f);
        }
    }

private:
    static constexpr int W = 32 * CW + 16, H = 6 * CH;
    void dot(int x, int y, uint8_t v, int r) {
        for (int j = std::max(0, y - r); j <= std::min(H - 1, y + r); ++j)
            for (int i = std::max(0, x - r); i <= std::min(W - 1, x + r); ++i)
                px_[size_t(j) * W + i] = std::min(px_[size_t(j) * W + i], v);
    }
    void line(int x0, int y0, int x1, int y1, uint8_t v, int r) {
        int n = std::max({std::abs(x1 - x0), std::abs(y1 - y0), 1});
        for (int k = 0; k <= n; ++k) dot(x0 + (x1 - x0) * k / n, y0 + (y1 - y0) * k / n, v, r);
    }
    void box(int x0, int y0, int x1, int y1, uint8_t v) {
        line(x0, y0, x1, y0, v, 0), line(x1, y0, x1, y1, v, 0);
        line(x1, y1, x0, y1, v, 0), line(x0, y1, x0, y0, v, 0);
    }
    std::vector<uint8_t> px_ = std::vector<uint8_t>(size_t(W) * H, 255);
};

TEST(StrokeFont, ReviewSheet) {
    const char* path = std::getenv("TN_GLYPH_SHEET");
    if (!path) GTEST_SKIP() << "set TN_GLYPH_SHEET to render the glyphs";
    Sheet sheet;
    for (int c = 32; c < 128; ++c) sheet.glyph(c, false), sheet.glyph(c, true);
    sheet.save(path);
}

}  // namespace
