#include "foundation/pointer_set.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace {

// Random inserts, erases and look-ups over a pool of records agree with an
// ordered set at every step, through growth, clears and erasures that
// shift the members probing past them: records side by side, and records
// one to a page at the same offset of each (never read), which a table
// placing records by their place in the page would pile into one slot.
void agree_with_ordered_set(const std::vector<int*>& pool) {
    PointerSet<int> set;
    std::set<int*> model;
    std::mt19937 random(38);
    for (int step = 0; step < 60000; ++step) {
        int* p = pool[random() % pool.size()];
        switch (random() % 8) {
            case 0:
            case 1: ASSERT_EQ(set.erase(p), model.erase(p)); break;
            case 2: ASSERT_EQ(set.count(p), model.count(p)); break;
            default: ASSERT_EQ(set.insert(p).second, model.insert(p).second);
        }
        ASSERT_EQ(set.size(), model.size());
        if (step % 20000 == 19999) {
            std::set<int*> listed;
            for (int* member : set) listed.insert(member);
            ASSERT_EQ(listed, model);
            set.clear();
            model.clear();
            ASSERT_TRUE(set.empty());
            ASSERT_EQ(set.count(p), 0u);
        }
    }
    EXPECT_FALSE(set.insert(nullptr).second);
    EXPECT_EQ(set.count(nullptr), 0u);
    EXPECT_EQ(set.erase(nullptr), 0u);
}

TEST(PointerSet, AgreesWithAnOrderedSetThroughInsertsErasesAndClears) {
    std::vector<int> records(5000);
    std::vector<int*> side_by_side;
    for (int& record : records) side_by_side.push_back(&record);
    agree_with_ordered_set(side_by_side);

    constexpr size_t PAGE = 4096;
    std::vector<int> pages(600 * PAGE / sizeof(int) + PAGE);
    const auto first =
        (reinterpret_cast<uintptr_t>(pages.data()) + PAGE - 1) & ~uintptr_t(PAGE - 1);
    std::vector<int*> one_a_page;
    for (size_t page = 0; page < 600; ++page)
        one_a_page.push_back(reinterpret_cast<int*>(first + page * PAGE + 64));
    agree_with_ordered_set(one_a_page);
}

}  // namespace
