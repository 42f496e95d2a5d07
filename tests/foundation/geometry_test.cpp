#include "foundation/geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(Geometry, RectUnionEnclosesBothWithoutOverflow) {
    const Rect cases[][3] = {
        // r1, r2, the union
        {{0, 0, 10, 10}, {5, 5, 2, 2}, {0, 0, 10, 10}},
        {{0, 0, 10, 10}, {-5, 20, 2, 2}, {-5, 0, 15, 22}},
        {{INT32_MIN, 0, 1, 1}, {INT32_MAX - 1, 0, 1, 1}, {INT32_MIN, 0, INT32_MAX, 1}},
    };
    for (const auto& c : cases) {
        Rect r = c[0];
        rect_union(&r, c[1]);
        EXPECT_EQ(r, c[2]);
    }
}

TEST(Geometry, RectNormalizePutsTheSmallerCornerFirst) {
    const Rect cases[][2] = {
        {{1, 2, 3, 4}, {1, 2, 3, 4}},
        {{10, 20, -3, 4}, {7, 20, 3, 4}},
        {{10, 20, -3, -4}, {7, 16, 3, 4}},
    };
    for (const auto& c : cases) {
        Rect r{99, 99, 99, 99};
        rect_normalize(&r, c[0]);
        EXPECT_EQ(r, c[1]);
    }
}

}  // namespace
