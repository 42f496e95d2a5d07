#include "foundation/pointer_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

// Random inserts, erases and look-ups over a pool of records agree with an
// ordered set at every step, through growth, clears and erasures that
// shift the members probing past them.
TEST(PointerSet, AgreesWithAnOrderedSetThroughInsertsErasesAndClears) {
    std::vector<int> pool(5000);
    PointerSet<int> set;
    std::set<int*> model;
    std::mt19937 random(38);
    for (int step = 0; step < 60000; ++step) {
        int* p = &pool[random() % pool.size()];
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

}  // namespace
