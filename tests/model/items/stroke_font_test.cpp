// The glyph tables: their conventions, the two glyphs that are fixed, and a
// rendered sheet of every glyph for review (set TN_GLYPH_SHEET to a .pgm
// path and run --gtest_filter='StrokeFont*').
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/items/text.h"

namespace {

using Glyph = const int8_t[GLYPH_ENTRIES][3];

Glyph& glyph_of(bool symbol, int c) { return (symbol ? stroke_font_symbol : stroke_font_plain)[c - 32]; }

std::vector<Stroke*> strokes_of(int c, bool symbol, bool bar = false) {
    Stroke* chain = nullptr;
    glyph_Strokes(c, 0, 0, 100, symbol, bar, &chain);
    std::vector<Stroke*> out;
    for (Stroke* s = chain; s; s = s->next) out.push_back(s);
    return out;
}

struct Chain {
    Stroke* head = nullptr;
    ~Chain() { free_Strokes(head); }
};

TEST(StrokeFont, EveryGlyphEndsInTheCellWithinItsEntries) {
    for (bool symbol : {false, true}) {
        for (int c = 32; c < 128; ++c) {
            SCOPED_TRACE(testing::Message() << (symbol ? "symbol " : "plain ") << c);
            Glyph& g = glyph_of(symbol, c);
            int x = 0, y = 0, end = -1;
            for (int i = 0; i < GLYPH_ENTRIES && end < 0; ++i) {
                if (g[i][0] == GLYPH_END) {
                    end = i;
                    break;
                }
                ASSERT_TRUE(g[i][0] == STROKE_MOVE || g[i][0] == STROKE_DRAW);
                x += g[i][2];
                y += g[i][1];
                EXPECT_TRUE(x >= -4 && x <= 4 && y >= -6 && y <= 6) << x << "," << y;
            }
            ASSERT_GE(end, 0) << "no end mark";
            for (int i = end; i < GLYPH_ENTRIES; ++i)
                EXPECT_TRUE(g[i][1] == 0 && g[i][2] == 0 && (i == end || g[i][0] == 0));
            // Every printable character but the blank draws something.
            EXPECT_EQ(c == ' ', end == 0);
        }
    }
}

TEST(StrokeFont, FixedGlyphsAreExact) {
    const int8_t ell[4][3] = {{0, -3, -2}, {1, 6, 0}, {1, 0, 4}, {'P', 0, 0}};
    const int8_t dash[3][3] = {{0, 0, -2}, {1, 0, 4}, {'P', 0, 0}};
    EXPECT_EQ(0, std::memcmp(glyph_of(false, 'L'), ell, sizeof ell));
    EXPECT_EQ(0, std::memcmp(glyph_of(false, '-'), dash, sizeof dash));
}

TEST(StrokeFont, SymbolTableDiffersExactlyAtTheIeeeLetters) {
    for (int c = 32; c < 128; ++c) {
        bool same = std::memcmp(glyph_of(false, c), glyph_of(true, c), sizeof(Glyph)) == 0;
        EXPECT_EQ(same, c < 'A' || c > 'W') << char(c);
    }
    // No two IEEE symbols look alike.
    for (int a = 'A'; a <= 'W'; ++a)
        for (int b = a + 1; b <= 'W'; ++b)
            EXPECT_NE(0, std::memcmp(glyph_of(true, a), glyph_of(true, b), sizeof(Glyph)));
}

TEST(StrokeFont, RunsOfDrawsBecomeOneStrokeEach) {
    // 'L': one move and one run of two draws.
    auto l = strokes_of('L', false);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0]->points, (std::vector<Point>{{-2, -3}, {-2, 3}, {2, 3}}));
    EXPECT_EQ(l[0]->width, 100);
    EXPECT_EQ(l[0]->kind, 1);
    free_Strokes(l[0]);
    // 'H': three strokes, the last drawn at the front; a bar comes first of all.
    auto h = strokes_of('H', false, true);
    ASSERT_EQ(h.size(), 4u);
    EXPECT_EQ(h[0]->points, (std::vector<Point>{{4, -6}, {-4, -6}}));
    EXPECT_EQ(h[1]->points, (std::vector<Point>{{-2, 0}, {2, 0}}));
    free_Strokes(h[0]);
    // Characters outside 33..127 draw as the blank.
    EXPECT_TRUE(strokes_of(200, false).empty());
    EXPECT_TRUE(strokes_of(10, true).empty());
}

// --- the review sheet --------------------------------------------------------------------
// Both tables side by side, 16 glyphs a row, each cell 8 x 12 units at 8
// pixels a unit; the character's cell is outlined in grey and the capital
// box (x -2..2, y -3..3) dotted.
class Sheet {
public:
    static constexpr int UNIT = 8, CW = CELL_WIDTH * UNIT + 8, CH = CELL_HEIGHT * UNIT + 8;
    Sheet() : w_(16 * CW * 2 + 16), h_(6 * CH), px_(size_t(w_) * h_, 255) {}

    void glyph(int c, bool symbol) {
        int i = c - 32, col = i % 16 + (symbol ? 16 : 0), row = i / 16;
        int ox = col * CW + (symbol ? 16 : 0) + 4 + 4 * UNIT, oy = row * CH + 4 + 6 * UNIT;
        box(ox - 4 * UNIT, oy - 6 * UNIT, ox + 4 * UNIT, oy + 6 * UNIT, 200, 1);
        box(ox - 2 * UNIT, oy - 3 * UNIT, ox + 2 * UNIT, oy + 3 * UNIT, 225, 3);
        Chain chain;
        glyph_Strokes(c, 0, 0, 100, symbol, false, &chain.head);
        for (Stroke* s = chain.head; s; s = s->next)
            for (size_t k = 1; k < s->points.size(); ++k)
                line(ox + s->points[k - 1].x * UNIT, oy + s->points[k - 1].y * UNIT,
                     ox + s->points[k].x * UNIT, oy + s->points[k].y * UNIT, 0, 2);
    }
    void save(const char* path) const {
        FILE* f = std::fopen(path, "wb");
        if (!f) return;
        std::fprintf(f, "P5\n%d %d\n255\n", w_, h_);
        std::fwrite(px_.data(), 1, px_.size(), f);
        std::fclose(f);
    }

private:
    void dot(int x, int y, uint8_t v, int r) {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (x + dx >= 0 && x + dx < w_ && y + dy >= 0 && y + dy < h_)
                    px_[size_t(y + dy) * w_ + x + dx] = std::min(px_[size_t(y + dy) * w_ + x + dx], v);
    }
    void line(int x0, int y0, int x1, int y1, uint8_t v, int r) {
        int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int k = 0; k <= n; ++k)
            dot(x0 + (n ? (x1 - x0) * k / n : 0), y0 + (n ? (y1 - y0) * k / n : 0), v, r);
    }
    void box(int x0, int y0, int x1, int y1, uint8_t v, int step) {
        for (int x = x0; x <= x1; x += step) dot(x, y0, v, 0), dot(x, y1, v, 0);
        for (int y = y0; y <= y1; y += step) dot(x0, y, v, 0), dot(x1, y, v, 0);
    }
    int w_, h_;
    std::vector<uint8_t> px_;
};

TEST(StrokeFont, ReviewSheet) {
    const char* path = std::getenv("TN_GLYPH_SHEET");
    if (!path) GTEST_SKIP() << "set TN_GLYPH_SHEET to render the glyphs";
    Sheet sheet;
    for (int c = 32; c < 128; ++c) {
        sheet.glyph(c, false);
        sheet.glyph(c, true);
    }
    sheet.save(path);
}

}  // namespace
