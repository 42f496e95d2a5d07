// The kept stroke layouts of the texts a repaint makes afresh: what they
// give is a fresh layout mapped through the same matrix, to the bit, over
// strings, fonts, orientations, mirrors, frames, sizes, anchors and
// matrices; the spacing ratio is followed; the memory they hold is bounded.
#include "render/text_strokes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/properties.h"
#include "model/items/text_fixture.h"

using namespace text_test;

namespace {

using Strokes = std::vector<std::vector<Point>>;

// What the painter drew before layouts were kept: the text laid out at its
// anchor, each point then mapped through the matrix.
Strokes fresh(const std::string& string, Point anchor, TextSize size, uint8_t flags, int font,
              const Matrix* m) {
    TextPtr text = make_text(string.c_str(), anchor, size, flags, font);
    layout_Text(text.get());
    Strokes out = points_of(text->layout);
    for (auto& stroke : out)
        for (Point& p : stroke)
            if (m) matrix_apply(m, p, &p);
    return out;
}

Strokes kept(const std::string& string, Point anchor, TextSize size, uint8_t flags, int font,
             const Matrix* m, size_t limit = 1000000) {
    Strokes out;
    for_each_text_stroke(string.c_str(), anchor, size, flags, font, m, limit,
                         [&](const std::vector<Point>& points) { out.push_back(points); });
    return out;
}

class TextStrokesTest : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        forget_text_strokes();
    }
    void TearDown() override { forget_text_strokes(); }
};

TEST_F(TextStrokesTest, KeptLayoutsDrawTheFreshLayoutsPoints) {
    std::mt19937 random(55);
    const char alphabet[] = "AbLMW019@\\ -_~R";
    const int32_t ranges[] = {3, 1000, 1000000, std::numeric_limits<int32_t>::max()};
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2), length(0, 9), flags(0, 255),
        font(0, 12), turn(0, 7);
    std::uniform_real_distribution<double> scale(0.01, 3.0), shift(-5e5, 5e5);
    const double spacing = fproper_get(SPACING_RATIO);
    // Few strings, so that most are drawn again from what was kept, at
    // other anchors, sizes and matrices.
    std::vector<std::string> strings;
    for (int i = 0; i < 40; ++i) {
        std::string string;
        for (int n = length(random); n > 0; --n) string += alphabet[pick(random)];
        strings.push_back(string);
    }
    for (int round = 0; round < 6000; ++round) {
        if (round % 500 == 0) proper_set(SPACING_RATIO, round % 1000 ? spacing : 1.37);
        const std::string& string = strings[size_t(round) % strings.size()];
        std::uniform_int_distribution<int32_t> coordinate(-ranges[round % 4], ranges[round % 4]);
        const Point anchor{coordinate(random), coordinate(random)};
        std::uniform_int_distribution<int16_t> size(round % 3 ? 1 : -32768, 32767);
        const TextSize text_size{size(random), size(random)};
        const auto text_flags = static_cast<uint8_t>(flags(random));
        const int text_font = font(random);
        // No matrix (a sheet's own coordinates), or a placed part's turn,
        // mirror and scale moved by a fraction of a unit, as the painter's
        // readable matrices are.
        Matrix m;
        const bool with_matrix = round % 4 != 0;
        if (with_matrix) {
            matrix_scale(&m, scale(random), scale(random));
            matrix_rotate(&m, turn(random) < 4 ? turn(random) : 450 + 3);
            if (round % 3 == 0) matrix_mirror(&m, round % 2);
            matrix_translate_d(&m, shift(random), shift(random));
        }
        const Matrix* pm = with_matrix ? &m : nullptr;
        ASSERT_EQ(kept(string, anchor, text_size, text_flags, text_font, pm),
                  fresh(string, anchor, text_size, text_flags, text_font, pm))
            << "'" << string << "' flags " << int{text_flags} << " font " << text_font << " at "
            << anchor.x << "," << anchor.y << " round " << round;
        // The block a name is placed by.
        Rect got{1, 2, 3, 4}, expected{1, 2, 3, 4};
        ASSERT_EQ(
            text_extent_at_origin(string.c_str(), text_size, text_font, &got),
            text_layout_extent(string.c_str(), Point{0, 0}, text_size, 0, text_font, &expected));
        ASSERT_EQ(got, expected) << "'" << string << "'";
    }
    proper_set(SPACING_RATIO, spacing);
    // The stroke limit keeps the first strokes; fonts of 10 and above draw
    // no strokes.
    Strokes first_stroke = fresh("MW", {0, 0}, {800, 1200}, 0, 0, nullptr);
    first_stroke.resize(1);
    EXPECT_EQ(kept("MW", {0, 0}, {800, 1200}, 0, 0, nullptr, 1), first_stroke);
    EXPECT_TRUE(kept("MW", {0, 0}, {800, 1200}, 0, 10, nullptr).empty());
}

TEST_F(TextStrokesTest, MemoryStaysBoundedAndLongTextsAreNotKept) {
    const Strokes first = fresh("R1", {5, 7}, {800, 1200}, 0, 0, nullptr);
    size_t most = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string string = "R" + std::to_string(i) + "@W" + std::to_string(i);
        kept(string, {0, 0}, {800, 1200}, 0, 0, nullptr);
        most = std::max(most, text_strokes_bytes());
    }
    EXPECT_LE(most, TEXT_STROKES_BOUND);
    EXPECT_GT(most, TEXT_STROKES_BOUND / 2);
    EXPECT_EQ(kept("R1", {5, 7}, {800, 1200}, 0, 0, nullptr), first);
    // A text of many thousand strokes is drawn whole; only its string is
    // kept.
    const size_t before = text_strokes_bytes();
    const std::string page(3000, 'W');
    EXPECT_EQ(kept(page, {0, 0}, {800, 1200}, BOXED, 0, nullptr),
              fresh(page, {0, 0}, {800, 1200}, BOXED, 0, nullptr));
    EXPECT_LT(text_strokes_bytes() - before, page.size() + 1024);
    forget_text_strokes();
    EXPECT_EQ(text_strokes_bytes(), 0u);
}

}  // namespace
