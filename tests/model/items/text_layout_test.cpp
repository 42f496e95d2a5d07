// Stroke layout: the backslash and line rules, the text matrix of every
// rotation and mirror, frames, sizes, and the chain geometry behind the
// text's bounds, distance and picking.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "foundation/flagop.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "model/items/text.h"
#include "model/items/text_fixture.h"
#include "model/items/view.h"

using namespace text_test;

namespace {

// --- backslashes and lines --------------------------------------------------------------

struct Drawn {
    int c, x, y;
    bool bar;
};
struct LayoutCase {
    const char* name;
    std::string string;
    std::vector<Drawn> drawn;  // in drawing order
};

class LayoutRules : public TextTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutRules, DrawsTheseGlyphs) {
    const LayoutCase& c = GetParam();
    Stroke* expected = nullptr;
    for (const Drawn& d : c.drawn) glyph_Strokes(d.c, d.x, d.y, 100, false, d.bar, &expected);
    StrokesPtr want(expected);
    StrokesPtr got(text_layout(c.string.c_str(), {0, 0}, {800, 1200}, 0, 0, 100, nullptr, false));
    EXPECT_EQ(points_of(got.get()), points_of(want.get()));
    EXPECT_EQ(got == nullptr, c.drawn.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Text, LayoutRules,
    ::testing::Values(
        LayoutCase{"Plain", "AB", {{'A', 0, 0, false}, {'B', 8, 0, false}}},
        LayoutCase{"OneBackslashBars", "A\\B", {{'A', 0, 0, true}, {'B', 8, 0, false}}},
        LayoutCase{"TwoBackslashesDrawOne",
                   "A\\\\B",
                   {{'A', 0, 0, false}, {'\\', 8, 0, false}, {'B', 16, 0, false}}},
        LayoutCase{"LeadingBackslashDropped", "\\AB", {{'A', 0, 0, false}, {'B', 8, 0, false}}},
        LayoutCase{"LeadingPairDrawn", "\\\\A", {{'\\', 0, 0, false}, {'A', 8, 0, false}}},
        LayoutCase{"TrailingBackslashBars", "A\\", {{'A', 0, 0, true}}},
        LayoutCase{"Lines", "AB@C@", {{'A', 0, 0, false}, {'B', 8, 0, false}, {'C', 0, 12, false}}},
        LayoutCase{"StrayAfterLineBreak", "A@\\B", {{'A', 0, 0, false}, {'B', 0, 12, false}}},
        LayoutCase{"StrayThirdBackslash",
                   "A\\\\\\B",
                   {{'A', 0, 0, false}, {'\\', 8, 0, false}, {'B', 16, 0, false}}},
        LayoutCase{"FourBackslashes",
                   "A\\\\\\\\",
                   {{'A', 0, 0, false}, {'\\', 8, 0, false}, {'\\', 16, 0, false}}},
        LayoutCase{"ControlCharacterIsABlank",
                   "\x01"
                   "A",
                   {{' ', 0, 0, false}, {'A', 8, 0, false}}},
        LayoutCase{"Empty", "", {}}, LayoutCase{"OnlyBackslash", "\\", {}},
        LayoutCase{"OnlyLineBreaks", "@@", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CountCase {
    const char* string;
    int width, count;
};
class LineCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(LineCounts, LongestLineAndLines) {
    EXPECT_EQ(text_line_width(GetParam().string), GetParam().width);
    EXPECT_EQ(text_line_count(GetParam().string), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Text, LineCounts,
                         ::testing::Values(CountCase{"ABC", 3, 1}, CountCase{"AB@C@", 2, 2},
                                           CountCase{"AB\\@C", 2, 2}, CountCase{"A@@BCD", 3, 3},
                                           CountCase{"@", 0, 1}, CountCase{"\\\\\\", 0, 1},
                                           CountCase{"", 0, 1}));

TEST_F(TextTest, BoxedTextGetsAFrameRoundEveryLine) {
    StrokesPtr two(text_layout("A@BCD", {0, 0}, {800, 1200}, BOXED, 0, 100, nullptr, false));
    EXPECT_EQ(two->points, (std::vector<Point>{{-4, -6}, {20, -6}, {20, 18}, {-4, 18}, {-4, -6}}));
    // A frame alone is still a layout.
    StrokesPtr frame(text_layout("@", {0, 0}, {800, 1200}, BOXED, 0, 100, nullptr, false));
    EXPECT_EQ(points_of(frame.get()).size(), 1u);
}

// --- the text matrix -------------------------------------------------------------------------
// "A" at (1000, 2000), 100 world units a cell unit: the cell origin goes
// first to (4, -6), then through mirrors, scale, rotation and the anchor.
struct MatrixCase {
    const char* name;
    uint8_t flags;
    Point origin;  // where the cell origin lands
    bool mirrored;
};
class TextMatrix : public TextTest, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(TextMatrix, MapsTheCellOrigin) {
    Matrix m;
    StrokesPtr chain(
        text_layout("A", {1000, 2000}, {800, 1200}, GetParam().flags, 0, 100, &m, false));
    Point p;
    matrix_apply(&m, {0, 0}, &p);
    EXPECT_EQ(p, GetParam().origin);
    EXPECT_EQ(matrix_is_mirrored(&m), GetParam().mirrored);
}

INSTANTIATE_TEST_SUITE_P(Text, TextMatrix,
                         ::testing::Values(MatrixCase{"None", 0, {1400, 1400}, false},
                                           MatrixCase{"Rot90", ROT_90, {1600, 2400}, false},
                                           MatrixCase{"Rot180", ROT_180, {600, 2600}, false},
                                           MatrixCase{"Rot270", ROT_270, {400, 1600}, false},
                                           MatrixCase{"Rot45", ROT_45, {1707, 1858}, false},
                                           MatrixCase{"Rot135", ROT_135, {1141, 2707}, false},
                                           MatrixCase{"Rot225", ROT_225, {292, 2141}, false},
                                           MatrixCase{"Rot315", ROT_315, {858, 1292}, false},
                                           MatrixCase{"MirrorX", MX, {1400, 2600}, true},
                                           MatrixCase{"MirrorY", MY, {600, 1400}, true},
                                           MatrixCase{
                                               "MirrorXRot90", MX | ROT_90, {400, 2400}, true},
                                           MatrixCase{"BothMirrors", MX | MY, {600, 2600}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, MatrixPutsTheLastLineOnTheAnchorAndFollowsTheSpacing) {
    Matrix m;
    StrokesPtr chain(text_layout("A@B", {0, 0}, {800, 1200}, 0, 0, 100, &m, false));
    Point p;
    matrix_apply(&m, {-4, 18}, &p);  // bottom-left corner of the second line's cell
    EXPECT_EQ(p, (Point{0, 0}));
    proper_set(SPACING_RATIO, 1.5);
    StrokesPtr wide(text_layout("AB", {0, 0}, {800, 1200}, 0, 0, 100, &m, false));
    EXPECT_EQ(wide->points[0].x - 12, -2);  // 'B' is the front glyph, one advance of 12 on
    matrix_apply(&m, {0, 0}, &p);
    EXPECT_EQ(p.x, 600);  // half an advance
}

TEST_F(TextTest, TransformedStrokesKnowTheirCellSize) {
    TextPtr turned = make_text("L", {0, 0}, {1600, 2400}, ROT_45);
    layout_Text(turned.get());
    EXPECT_EQ(turned->layout->xsize, 1600);  // the character size in world units
    EXPECT_EQ(turned->layout->ysize, 2400);
    Matrix local;
    TextPtr t = make_text("L");
    layout_Text_local(t.get(), &local);
    EXPECT_EQ(t->layout->points, (std::vector<Point>{{-2, -3}, {-2, 3}, {2, 3}}));
    EXPECT_EQ(t->layout->xsize, 8);
    EXPECT_EQ(local.m[0][0], 100.0);
    layout_Text(t.get());
    EXPECT_EQ(t->layout->points, (std::vector<Point>{{1200, 1100}, {1200, 1700}, {1600, 1700}}));
    // A document-font text never holds a layout.
    t->font = 12;
    layout_Text(t.get());
    EXPECT_EQ(t->layout, nullptr);
}

// --- chains ---------------------------------------------------------------------------------

TEST(StrokeChain, MakeAppendAndBound) {
    EXPECT_EQ(new_Stroke(1), nullptr);
    Stroke* a = new_Stroke(2);
    Stroke* b = new_Stroke(3);
    ASSERT_TRUE(a && b);
    a->points = {{0, 0}, {10, 5}};
    b->points = {{-5, 20}, {0, 0}, {3, 3}};
    Stroke* held = b;
    append_Strokes(&held, a);
    EXPECT_EQ(held, a);
    EXPECT_EQ(a->next, b);
    Rect r{1, 2, 3, 4};
    EXPECT_TRUE(bounds_TextLines(held, &r, false));
    EXPECT_EQ(r, (Rect{-5, 0, 15, 20}));
    EXPECT_FALSE(bounds_TextLines(nullptr, &r, false));
    EXPECT_TRUE(bounds_TextLines(nullptr, &r, true));
    EXPECT_EQ(r, (Rect{-5, 0, 15, 20}));
    free_Strokes(held);
}

// The bounds of a chain are its strokes' rectangles united one by one, for
// any chain: small ones, and strokes near the ends of the coordinate range
// whose spans do not fit a width.
TEST(StrokeChains, BoundsAreTheUnionOfTheStrokesBounds) {
    std::mt19937 random(7);
    const int32_t ranges[] = {1000, 100000, std::numeric_limits<int32_t>::max()};
    for (int round = 0; round < 300; ++round) {
        const int32_t range = ranges[round % 3];
        std::uniform_int_distribution<int32_t> coordinate(-range, range);
        Stroke* chain = nullptr;
        for (int n = 1 + round % 4; n > 0; --n) {
            Stroke* s = new_Stroke(2 + round % 3);
            for (Point& p : s->points) p = {coordinate(random), coordinate(random)};
            append_Strokes(&chain, s);
        }
        for (bool accumulate : {false, true}) {
            Rect start{coordinate(random), coordinate(random), 10, 20};
            Rect expected = start;
            bool first = true;
            for (Stroke* s = chain; s; s = s->next) {
                Stroke* rest = s->next;
                s->next = nullptr;  // the stroke alone
                Rect one;
                ASSERT_TRUE(bounds_TextLines(s, &one, false));
                s->next = rest;
                if (first && !accumulate)
                    expected = one;
                else
                    rect_union(&expected, one);
                first = false;
            }
            Rect got = start;
            EXPECT_TRUE(bounds_TextLines(chain, &got, accumulate));
            EXPECT_EQ(got, expected) << "round " << round << " accumulate " << accumulate;
        }
        free_Strokes(chain);
    }
}

// A text never laid out is bounded without its strokes: the bounds must be
// those of the strokes, for any string (bars, backslashes, lines, bytes
// outside the font), both fonts, every flag and rotation, small and huge
// sizes and anchors near the ends of the range.
TEST_F(TextTest, BoundsWithoutALayoutEqualTheStrokesBounds) {
    auto expect_same_bounds = [](const std::string& string, Point anchor, TextSize size,
                                 uint8_t flags, int font, Rect start) {
        TextPtr fresh = make_text(string.c_str(), anchor, size, flags, font);
        TextPtr laid = make_text(string.c_str(), anchor, size, flags, font);
        layout_Text(laid.get());
        for (bool accumulate : {false, true}) {
            Rect expected = start, got = start;
            bool expected_any = bounds_Text(nullptr, laid.get(), &expected, accumulate);
            EXPECT_EQ(bounds_Text(nullptr, fresh.get(), &got, accumulate), expected_any);
            EXPECT_EQ(got, expected) << "'" << string << "' flags " << int{flags};
        }
    };
    std::mt19937 random(11);
    const char alphabet[] = "AbLMW019@\\ -_~\x7f\x80\xff";
    const int32_t ranges[] = {1000, 1000000, std::numeric_limits<int32_t>::max()};
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2), length(0, 12), flags(0, 255);
    const double spacing = fproper_get(SPACING_RATIO);
    for (int round = 0; round < 3000; ++round) {
        // An absurd spacing in the configuration spreads a text past what a
        // rectangle's width holds.
        proper_set(SPACING_RATIO, round % 7 == 0 ? 1e7 : spacing);
        std::string string;
        for (int n = length(random); n > 0; --n) string += alphabet[pick(random)];
        std::uniform_int_distribution<int32_t> coordinate(-ranges[round % 3], ranges[round % 3]);
        std::uniform_int_distribution<int16_t> size(round % 2 ? -32768 : 1, 32767);
        Point anchor;
        anchor.x = coordinate(random);
        anchor.y = coordinate(random);
        TextSize text_size;
        text_size.width = size(random);
        text_size.height = size(random);
        auto text_flags = static_cast<uint8_t>(flags(random));
        Rect start{0, 0, 10, 20};
        start.x = coordinate(random);
        start.y = coordinate(random);
        expect_same_bounds(string, anchor, text_size, text_flags, round % 5 == 0, start);
    }
    // A text from one end of the range to the other: no rectangle holds it.
    proper_set(SPACING_RATIO, 1e4);
    const std::string long_text(20, 'A');
    const Point near_the_left{std::numeric_limits<int32_t>::min() + 1000, 0};
    Rect extent;
    EXPECT_LT(text_layout_extent(long_text.c_str(), near_the_left, {32767, 1200}, 0, 0, &extent),
              0);
    expect_same_bounds(long_text, near_the_left, {32767, 1200}, 0, 0, {1, 2, 3, 4});
    proper_set(SPACING_RATIO, spacing);
}

// Every glyph of both tables, alone, with a bar and in a row, on each
// quarter turn and mirror: the bounds without strokes are the strokes'.
TEST_F(TextTest, EveryGlyphIsBoundedAsItsStrokes) {
    for (int font : {0, 1}) {
        for (int c = 32; c < 128; ++c) {
            const std::string glyph(1, static_cast<char>(c));
            for (const std::string& string :
                 {glyph, glyph + "\\", "x" + glyph + "@" + glyph + "W"}) {
                for (uint8_t flags : {0x00, 0x01, 0x02, 0x03, 0x10, 0x20, 0x31, 0x08}) {
                    TextPtr fresh =
                        make_text(string.c_str(), {-700, 9000}, {160, 240}, flags, font);
                    TextPtr laid = make_text(string.c_str(), {-700, 9000}, {160, 240}, flags, font);
                    layout_Text(laid.get());
                    Rect expected{}, got{};
                    bool any = bounds_Text(nullptr, laid.get(), &expected, false);
                    ASSERT_EQ(bounds_Text(nullptr, fresh.get(), &got, false), any);
                    EXPECT_EQ(got, expected)
                        << "font " << font << " '" << string << "' flags " << int{flags};
                }
            }
        }
    }
}

// --- bounds, distance and picking of a text --------------------------------------------------
// "L" at (1000, 2000), 100 units a cell unit: strokes (1200, 1100) down to
// (1200, 1700) and across to (1600, 1700).

TEST_F(TextTest, BoundsOfAStrokeTextIncludeTheAnchor) {
    TextPtr t = make_text("L");
    Rect r;
    EXPECT_TRUE(bounds_Text(nullptr, t.get(), &r, false));
    EXPECT_EQ(r, (Rect{1000, 1100, 600, 900}));
    Rect acc{0, 0, 10, 10};
    EXPECT_TRUE(bounds_Text(nullptr, t.get(), &acc, true));
    EXPECT_EQ(acc, (Rect{0, 0, 1600, 2000}));
}

TEST_F(TextTest, TextsWithoutExtentAnswerTheAccumulateFlag) {
    Rect r{1, 2, 3, 4};
    for (const char* s : {"", "@", "\\"}) {
        TextPtr t = make_text(s);
        EXPECT_FALSE(bounds_Text(nullptr, t.get(), &r, false)) << s;
        EXPECT_TRUE(bounds_Text(nullptr, t.get(), &r, true)) << s;
    }
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    // A document-font text without a canvas has no box even when accumulating.
    TextPtr doc = make_text("x", {0, 0}, {800, 1200}, 0, 12);
    EXPECT_FALSE(bounds_Text(nullptr, doc.get(), &r, true));
    give_canvas_box({5, 6, 7, 8});
    EXPECT_TRUE(bounds_Text(nullptr, doc.get(), &r, false));
    EXPECT_EQ(r, (Rect{5, 6, 7, 8}));
    Rect acc{0, 0, 1, 1};
    EXPECT_TRUE(bounds_Text(nullptr, doc.get(), &acc, true));
    EXPECT_EQ(acc, (Rect{0, 0, 12, 14}));
}

TEST_F(TextTest, DistanceToAStrokeText) {
    TextPtr t = make_text("L");
    EXPECT_EQ(distance_Text(nullptr, t.get(), {1400, 1500}, 0, 0, 0x10), 0.0);  // inside the extent
    EXPECT_EQ(t->state & 0x10, 0x10u);
    t->state = STATE_NEW;
    // 100 above the top of the stroke, less half the pen width.
    EXPECT_EQ(distance_Text(nullptr, t.get(), {1200, 1000}, 0, 40, 0x10), 50.0);
    EXPECT_EQ(t->state & 0x10, 0u);
    EXPECT_EQ(distance_Text(nullptr, t.get(), {1200, 1000}, 0, 50, 0x10), 50.0);
    EXPECT_EQ(t->state & 0x10, 0x10u);
    // Filtered out: far away, no mark.
    t->state = STATE_NEW;
    EXPECT_EQ(distance_Text(nullptr, t.get(), {1400, 1500}, STATE_SELECTED, 1e9, 0x10), 1e10);
    EXPECT_EQ(t->state, STATE_NEW);
    EXPECT_EQ(distance_Strokes(nullptr, {0, 0}), 1e10);
    TextPtr empty = make_text("");
    EXPECT_EQ(distance_Text(nullptr, empty.get(), {0, 0}, 0, 0, 0), 1e10);
}

TEST_F(TextTest, DistanceToADocumentFontTextUsesTheCanvasBox) {
    TextPtr t = make_text("x", {0, 0}, {800, 1200}, 0, 10);
    EXPECT_EQ(distance_Text(nullptr, t.get(), {50, 25}, 0, 0, 0), 1000000.0);
    give_canvas_box({0, 0, 100, 50});
    EXPECT_EQ(distance_Text(nullptr, t.get(), {50, 25}, 0, 0, 0), 0.0);
    EXPECT_EQ(distance_Text(nullptr, t.get(), {100, 50}, 0, 0, 0), 0.0);
    EXPECT_EQ(distance_Text(nullptr, t.get(), {150, 25}, 0, 0, 0), 50.0);
    EXPECT_EQ(distance_Text(nullptr, t.get(), {-30, -40}, 0, 0, 0), 50.0);
}

class TextPick : public TextTest {
protected:
    void area(Rect r) {
        view.select = {
            {r.x, r.y}, {r.x + r.w, r.y}, {r.x + r.w, r.y + r.h}, {r.x, r.y + r.h}, {r.x, r.y}};
        view.select_active = 1;
    }
    View view;
};

TEST_F(TextPick, AStrokeTextIsPickedByAnyStrokePoint) {
    TextPtr t = make_text("L");
    EXPECT_FALSE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_OR, 0));  // no area
    area({1500, 1600, 200, 200});  // holds the corner (1600, 1700) only
    EXPECT_FALSE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_OR, STATE_SELECTED));
    EXPECT_TRUE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_OR, 0));
    EXPECT_EQ(t->state, STATE_NEW | 0x100u | STATE_BOTH_ENDS);
    area({1300, 1200, 200, 200});  // inside the extent but on no stroke point
    EXPECT_FALSE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_OR, 0));
}

TEST_F(TextPick, ADocumentFontTextIsPickedByACornerOfItsBox) {
    TextPtr t = make_text("x", {0, 0}, {800, 1200}, 0, 11);
    area({90, 40, 20, 20});
    EXPECT_FALSE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_OR, 0));  // no canvas
    give_canvas_box({0, 0, 100, 50});
    EXPECT_TRUE(select_Text(nullptr, &view, t.get(), 0x100, FLAGOP_SET, 0));
    EXPECT_EQ(t->state, 0x100u | STATE_BOTH_ENDS);
}

// --- sizes --------------------------------------------------------------------------------------

struct FitCase {
    int rotation;
    Point q;
    TextSize size;
};
class FitSize : public TextTest, public ::testing::WithParamInterface<FitCase> {};

// "AB@C": two characters on the longest line, two lines, anchored at (1000, 1000).
TEST_P(FitSize, FillsTheDraggedBox) {
    TextPtr t = make_text("AB@C", {1000, 1000}, {1, 1}, GetParam().rotation);
    TextSize out;
    fit_TextSize(GetParam().q, t.get(), &out);
    EXPECT_EQ(out, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Text, FitSize,
                         ::testing::Values(FitCase{0, {2600, 3000}, {800, 1000}},
                                           FitCase{ROT_180, {-600, -1000}, {800, 1000}},
                                           FitCase{ROT_90, {2600, 3000}, {1000, 800}},
                                           FitCase{ROT_270, {2600, 3000}, {1000, 800}},
                                           FitCase{ROT_45, {2600, 3000}, {141, 1272}},
                                           FitCase{ROT_225, {2600, 3000}, {141, 1272}},
                                           FitCase{ROT_135, {2600, 3000}, {1272, 141}},
                                           FitCase{ROT_315, {2600, 3000}, {1272, 141}}));

TEST_F(TextTest, FitKeepsTheSizeOfATextWithoutCountableCharacters) {
    for (const char* s : {"", "\\\\", "@@"}) {
        TextPtr t = make_text(s, {0, 0}, {321, 654});
        TextSize out;
        fit_TextSize({5000, 5000}, t.get(), &out);
        EXPECT_EQ(out, (TextSize{321, 654})) << s;
    }
    proper_set(SPACING_RATIO, 0.5);
    TextPtr t = make_text("AB", {0, 0});
    TextSize out;
    fit_TextSize({1600, 900}, t.get(), &out);
    EXPECT_EQ(out, (TextSize{1600, 900}));
}

TEST_F(TextTest, WidthsAndSizes) {
    TextPtr t = make_text("AB@CDE", {0, 0}, {600, 900});
    EXPECT_EQ(text_width(nullptr, t.get()), 1800);
    proper_set(SPACING_RATIO, 1.5);
    EXPECT_EQ(text_width(nullptr, t.get()), 2700);
    t->font = 10;
    EXPECT_EQ(text_width(nullptr, t.get()), 0);
    give_canvas_box({0, 0, 77, 10});
    EXPECT_EQ(text_width(nullptr, t.get()), 77);

    TextSize size;
    set_TextSize(&size, 400);
    EXPECT_EQ(size, (TextSize{400, 600}));
    proper_set(ASPECT_RATIO, 2.25, DEFAULT_TEXTW, 300);
    default_TextSize(&size);
    EXPECT_EQ(size, (TextSize{300, 675}));
}

// An absurd spacing in the configuration keeps the cells at the edge of the
// coordinate range instead of wrapping round.
TEST_F(TextTest, HugeSpacingKeepsCellsInRange) {
    proper_set(SPACING_RATIO, 1e12);
    Matrix m;
    Stroke* chain = text_layout("A\\BC\\", {0, 0}, {600, 900}, BOXED, 0, 100, &m, false);
    ASSERT_NE(chain, nullptr);
    for (const Stroke* s = chain; s; s = s->next)
        for (const Point& p : s->points) EXPECT_GE(p.x, -6) << p.x;
    free_Strokes(chain);
}

TEST_F(TextTest, FontHeightComesFromTheSystemFontOfTheProperty) {
    Font* font = new_Font();
    font->number = 2;
    font->size = 120;  // tenths of a point
    system_fonts = list_new();
    dlist_append(system_fonts, font);
    proper_set(FONT_LABEL, 12);
    EXPECT_EQ(font_height(FONT_LABEL), 1666);
    proper_set(FONT_LABEL, 13);
    EXPECT_EQ(font_height(FONT_LABEL), 1000);
    dlist_free(system_fonts, LIST_FROM_HEAD, [](void* f) {
        free_Font(static_cast<Font*>(f));
        return 0;
    });
    system_fonts = nullptr;
}

}  // namespace
