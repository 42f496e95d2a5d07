#include "foundation/matrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One building step: 'r' rotate by code a, 't' translate by (a, b), 'd' the
// same in doubles, 's' scale by (a, b), 'm' mirror with flag a.
struct Step {
    char op;
    double a, b = 0;
};

struct TransformCase {
    const char* name;
    std::vector<Step> steps;
    Point in, out;
    bool mirrored;
};

void build(Matrix* m, Matrix* inverse, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        switch (s.op) {
            case 'r': matrix_rotate(m, static_cast<int>(s.a), inverse); break;
            case 't':
                matrix_translate(m, static_cast<int32_t>(s.a), static_cast<int32_t>(s.b), inverse);
                break;
            case 'd': matrix_translate_d(m, s.a, s.b, inverse); break;
            case 's': matrix_scale(m, s.a, s.b, inverse); break;
            case 'm': matrix_mirror(m, static_cast<int>(s.a), inverse); break;
        }
    }
}

class Transform : public testing::TestWithParam<TransformCase> {};

// Each transform maps the point as the row-vector convention says, carries
// its mirror parity, and keeps an inverse that undoes it (parity included).
TEST_P(Transform, MapsThePointAndKeepsItsInverse) {
    const TransformCase& c = GetParam();
    Matrix m, inverse;
    build(&m, &inverse, c.steps);
    Point p;
    matrix_apply(&m, c.in, &p);
    EXPECT_EQ(p, c.out);
    EXPECT_EQ(matrix_is_mirrored(&m), c.mirrored);
    EXPECT_EQ(matrix_is_mirrored(&inverse), c.mirrored);
    matrix_multiply(&m, &inverse);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_NEAR(m.m[i][j], i == j ? 1.0 : 0.0, 1e-9) << i << j;
    EXPECT_FALSE(matrix_is_mirrored(&m));
}

INSTANTIATE_TEST_SUITE_P(
    Matrix, Transform,
    testing::Values(
        TransformCase{"Rotate0", {{'r', 0}}, {1000, 0}, {1000, 0}, false},
        TransformCase{"Rotate1", {{'r', 1}}, {1000, 0}, {0, 1000}, false},
        TransformCase{"Rotate2", {{'r', 2}}, {1000, 0}, {-1000, 0}, false},
        TransformCase{"Rotate3", {{'r', 3}}, {1000, 0}, {0, -1000}, false},
        // 90 degrees through the floating-point path: the sine computed with
        // 6.28318 is just below 1 and the result is truncated.
        TransformCase{"Rotate903", {{'r', 903}}, {1000, 0}, {0, 999}, false},
        TransformCase{"Rotate3603IsNoTurn", {{'r', 3603}}, {1000, 0}, {1000, 0}, false},
        TransformCase{"Rotate7203IsNoTurn", {{'r', 7203}}, {1000, 0}, {1000, 0}, false},
        TransformCase{"Translate", {{'t', 100, 50}}, {1, 2}, {101, 52}, false},
        TransformCase{"TranslateDouble", {{'d', 0.5, -0.5}}, {1, 2}, {1, 1}, false},
        TransformCase{"Scale", {{'s', 2, 3}}, {10, 10}, {20, 30}, false},
        TransformCase{"TruncatesTowardZero", {{'s', 0.27, 0.27}}, {10, -10}, {2, -2}, false},
        TransformCase{"HalfTurnIsNoMirror", {{'s', -1, -1}}, {5, 7}, {-5, -7}, false},
        TransformCase{"MirrorTopToBottom", {{'m', 1}}, {5, 7}, {5, -7}, true},
        TransformCase{"MirrorLeftToRight", {{'m', 0}}, {5, 7}, {-5, 7}, true},
        TransformCase{"MirrorTwice", {{'m', 0}, {'m', 1}}, {5, 7}, {-5, -7}, false},
        TransformCase{"MirrorThenTurn", {{'m', 0}, {'r', 1}}, {5, 7}, {-7, -5}, true},
        TransformCase{"TranslateThenTurn", {{'t', 100, 50}, {'r', 1}}, {1, 2}, {-52, 101}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A mirrored quarter turn has zeros on its diagonal; its determinant still
// says it mirrors, so two mirrors compose to none.
TEST(Matrix, AMirroredQuarterTurnComposesWithAMirror) {
    Matrix t;
    matrix_mirror(&t, 0, nullptr);
    matrix_rotate(&t, 1, nullptr);
    ASSERT_TRUE(matrix_is_mirrored(&t));
    Matrix m;
    matrix_mirror(&m, 1, nullptr);
    matrix_multiply(&m, &t);
    EXPECT_FALSE(matrix_is_mirrored(&m));
    Point p;
    matrix_apply(&m, Point{5, 7}, &p);
    EXPECT_EQ(p, (Point{7, -5}));  // a quarter turn
}

TEST(Matrix, NoneMeansTheCurrentMatrix) {
    matrix_identity(nullptr);
    matrix_rotate(nullptr, 1);
    matrix_translate(nullptr, 10, 0);
    Point p;
    matrix_apply(nullptr, Point{1000, 0}, &p);
    EXPECT_EQ(p, (Point{10, 1000}));
}

// --- units -----------------------------------------------------------------

struct UnitCase {
    bool metric;
    bool no_scale;
    int32_t internal;
    int32_t shown;      // coord_to_display(internal)
    int32_t shown_in;   // a displayed value ...
    int32_t read_back;  // ... and coord_from_display of it
};

// Each case starts from the defaults, whatever a test before it in the
// process installed (the configuration's hooks set no scaling).
class Units : public testing::TestWithParam<UnitCase> {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        set_unit_hook(nullptr);
        set_no_scale(false);
    }
};

TEST_P(Units, ConvertByModeAndScale) {
    const UnitCase& c = GetParam();
    set_unit_hook(c.metric ? UnitModeFn([] { return 1; }) : nullptr);
    set_no_scale(c.no_scale);
    EXPECT_EQ(coord_to_display(c.internal), c.shown);
    EXPECT_EQ(coord_from_display(c.shown_in), c.read_back);
    EXPECT_EQ(point_to_display(Point{c.internal, c.internal}), (Point{c.shown, -c.shown}));
    EXPECT_EQ(point_from_display(Point{c.shown_in, c.shown_in}),
              (Point{c.read_back, -c.read_back}));
}

INSTANTIATE_TEST_SUITE_P(
    Coordinates, Units,
    testing::Values(UnitCase{true, true, 1000, 2540, 2540, 1000},
                    UnitCase{true, false, -1000, -2540, -2540, -1000},
                    UnitCase{true, true, 7, 17, 17, 6}, UnitCase{false, false, -15, -1, -15, -150},
                    UnitCase{false, true, -15, -15, 42, 42},
                    UnitCase{false, false, INT32_MAX, INT32_MAX / 10, INT32_MAX, INT32_MAX}));

TEST_F(Units, TypedCoordinatesBecomeWorldUnits) {
    EXPECT_EQ(user_to_world(100), 1000);
    EXPECT_EQ(user_to_world(-7), -70);
    set_no_scale(true);
    EXPECT_EQ(user_to_world(100), 100);
    set_unit_hook([] { return 1; });
    EXPECT_EQ(user_to_world(254), 100);  // tenths of a millimetre
}

}  // namespace
