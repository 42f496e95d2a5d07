#include "platform/memory_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HUGE_PAGE = size_t{2} << 20;

// Ranges of either layer come aligned and writable; on the native layer a
// part of one goes back on its own and pages move with their contents, on
// the plain layer a move answers false and leaves both places as they were.
TEST(MemoryPages, RangesAreAlignedAndPagesMoveOnlyWhereTheSystemCan) {
    const char* plain = std::getenv("TN_PLAIN_PAGES");
    if (plain && *plain == '1') {
        EXPECT_FALSE(pages_native());
    }
    const size_t size = 3 * HUGE_PAGE;
    auto* a = static_cast<unsigned char*>(pages_map(size, HUGE_PAGE));
    auto* b = static_cast<unsigned char*>(pages_map(size, HUGE_PAGE));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % HUGE_PAGE, 0u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % HUGE_PAGE, 0u);
    pages_prefer_huge(a, size);
    std::memset(a, 1, size);
    std::memset(b, 2, size);
    pages_make_resident(b, size);  // never changes what was written
    EXPECT_EQ(std::count(b, b + size, 2), static_cast<std::ptrdiff_t>(size));
    const bool moved = pages_move(a + HUGE_PAGE, HUGE_PAGE, b);
    EXPECT_EQ(moved, pages_native());
    EXPECT_EQ(std::count(b, b + HUGE_PAGE, moved ? 1 : 2), static_cast<std::ptrdiff_t>(HUGE_PAGE));
    if (pages_native()) {
        // The moved pages left a hole; the rest of `a` goes back in pieces.
        pages_release(a, HUGE_PAGE);
        EXPECT_EQ(std::count(a + 2 * HUGE_PAGE, a + size, 1),
                  static_cast<std::ptrdiff_t>(HUGE_PAGE));
        pages_release(a + 2 * HUGE_PAGE, HUGE_PAGE);
    } else {
        EXPECT_EQ(std::count(a, a + size, 1), static_cast<std::ptrdiff_t>(size));
        pages_release(a, size);
    }
    pages_release(b, size);
    heap_set_map_threshold(256 << 10);
    heap_trim();
}

}  // namespace
