#include "foundation/heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "foundation/list.h"
#include "support/test_env.h"

namespace {

struct Block {
    unsigned char* bytes;
    size_t size;
};

unsigned char pattern(size_t index) { return static_cast<unsigned char>(index * 37 + 11); }

// Blocks of every small size, and some above the largest class, made in an
// interleaved order and filled each with its own byte: none may overlap
// another, and each keeps the grain's alignment. Some 5 MB in all, so that
// carving runs across several chunks (made ahead by the pool's thread once
// an eighth of the first is used). The count of blocks found wrong.
size_t carve_and_check_many_chunks() {
    std::vector<Block> blocks;
    size_t total = 0, wrong = 0;
    for (int round = 0; round < 200; ++round)
        for (size_t size = 0; size <= POOL_LARGEST + 64; size += (size < 64 ? 1 : 7)) {
            auto* bytes = static_cast<unsigned char*>(pool_alloc(size));
            if (!bytes) return SIZE_MAX;
            if (reinterpret_cast<uintptr_t>(bytes) % POOL_GRAIN != 0) ++wrong;
            std::memset(bytes, pattern(blocks.size()), size);
            blocks.push_back({bytes, size});
            total += size;
        }
    if (total < size_t{4} << 20) return SIZE_MAX;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (std::count(block.bytes, block.bytes + block.size, pattern(i)) !=
            static_cast<std::ptrdiff_t>(block.size))
            ++wrong;
    }
    for (const Block& block : blocks) pool_free(block.bytes, block.size);
    return wrong;
}

TEST(SmallBlocks, EverySizeAlignedAndApartAcrossManyChunks) {
    EXPECT_EQ(carve_and_check_many_chunks(), 0u);
    // A child made by fork has no chunk-making thread: it makes its own.
    EXPECT_EQ(tn_test::run_in_child([] {
                  for (int pass = 0; pass < 2; ++pass)
                      if (carve_and_check_many_chunks() != 0) return 1;
                  return 0;
              }),
              0);
    EXPECT_EQ(carve_and_check_many_chunks(), 0u) << "and the parent goes on";
}

// A released block comes back for the next request of its class, the last
// released first, and never for a request of another class.
TEST(SmallBlocks, ReleasedBlockIsReusedWithinItsClassOnly) {
    if (!pool_active()) GTEST_SKIP() << "blocks come from malloc in this build";
    void* a = pool_alloc(24);
    void* b = pool_alloc(24);
    pool_free(a, 24);
    pool_free(b, 24);
    void* wider = pool_alloc(32);
    EXPECT_NE(wider, a);
    EXPECT_NE(wider, b);
    EXPECT_EQ(pool_alloc(17), b);  // 17 rounds up into the class of 24
    EXPECT_EQ(pool_alloc(24), a);
    pool_free(a, 24);
    pool_free(b, 17);
    pool_free(wider, 32);
}

TEST(SmallBlocks, PlannedFailureAnswersNoneThenRecovers) {
    heap_fail_at(1);
    EXPECT_EQ(pool_alloc(40), nullptr);
    void* block = pool_alloc(40);
    EXPECT_NE(block, nullptr);
    pool_free(block, 40);
    pool_free(nullptr, 40);  // as free(): nothing to do
}

// Nodes of a singly linked list released by the doubly linked operations
// (a list meant for one kind only, but nothing stops a caller) must not
// hand out blocks too small for the nodes made afterwards.
TEST(SmallBlocks, ListNodesOfEitherKindShareOneClass) {
    List* single = list_new();
    List* twice = list_new();
    for (intptr_t i = 0; i < 100; ++i) {
        ASSERT_NE(slist_append(single, int_word(i)), nullptr);
        ASSERT_NE(dlist_append(twice, int_word(i)), nullptr);
    }
    dlist_free(single, LIST_FROM_HEAD, nullptr);
    // Every node made now reuses a released one; their links must stay apart.
    for (intptr_t i = 0; i < 200; ++i) ASSERT_NE(dlist_append(twice, int_word(i)), nullptr);
    intptr_t count = 0;
    for (DListNode* node : dlist_nodes(twice)) {
        EXPECT_EQ(node->prev ? dlist_next(node->prev) : dlist_head(twice), node);
        EXPECT_EQ(word_int(node->data), count < 100 ? count : count - 100);
        ++count;
    }
    EXPECT_EQ(count, 300);
    dlist_free(twice, LIST_FROM_HEAD, nullptr);
}

}  // namespace
