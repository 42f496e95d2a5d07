#include "foundation/heap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "foundation/list.h"
#include "platform/memory_pages.h"
#include "support/test_env.h"

namespace {

struct Block {
    unsigned char* bytes;
    size_t size;
};

// Whether the pool's chunks and the tables are ranges of the system's own
// mappings, whose pages the tests can see come and go.
bool system_pages() { return pool_active() && pages_native(); }

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

constexpr uintptr_t CHUNK = uintptr_t{2} << 20;  // the pool's chunk size
uintptr_t chunk_of(const void* block) { return reinterpret_cast<uintptr_t>(block) & ~(CHUNK - 1); }

// Whether any page of the chunk is still mapped.
bool chunk_mapped(uintptr_t chunk) {
    std::vector<unsigned char> pages(CHUNK / static_cast<size_t>(sysconf(_SC_PAGESIZE)));
    return mincore(reinterpret_cast<void*>(chunk), CHUNK, pages.data()) == 0 || errno != ENOMEM;
}

// Some 5 MB of blocks of one class, carved one after the other across
// several chunks: a first batch takes the blocks of the class that other
// tests released, the second is carved.
constexpr size_t BIG = POOL_LARGEST - POOL_GRAIN;
struct BigBlocks {
    std::vector<unsigned char*> taken, carved;
    BigBlocks() {
        for (auto* batch : {&taken, &carved})
            for (size_t made = 0; made < (size_t{5} << 20); made += BIG)
                batch->push_back(static_cast<unsigned char*>(pool_alloc(BIG)));
    }
    ~BigBlocks() {
        for (unsigned char* block : taken) pool_free(block, BIG);
        pool_give_back();
    }
};

// After a job the chunks none of whose blocks is in use go back to the
// system; the blocks still in use keep their contents, and the pool goes
// on handing out sound blocks.
TEST(SmallBlocks, ChunksWithNoBlockInUseGoBack) {
    if (!system_pages())
        GTEST_SKIP() << "the pool's chunks are not the system's own mappings in this build";
    BigBlocks big;
    std::vector<unsigned char*>& blocks = big.carved;
    unsigned char* first = blocks.front();
    unsigned char* last = blocks.back();
    ASSERT_GE(chunk_of(last) - chunk_of(first), 2 * CHUNK);
    std::memset(first, 0x5A, BIG);
    std::memset(last, 0xA5, BIG);
    for (unsigned char* block : blocks)
        if (block != first && block != last) pool_free(block, BIG);
    pool_give_back();
    // The chunks between are the test's alone, and now free.
    for (uintptr_t chunk = chunk_of(first) + CHUNK; chunk < chunk_of(last); chunk += CHUNK)
        EXPECT_FALSE(chunk_mapped(chunk)) << "chunk " << (chunk - chunk_of(first)) / CHUNK;
    EXPECT_TRUE(chunk_mapped(chunk_of(first)));
    EXPECT_EQ(std::count(first, first + BIG, 0x5A), static_cast<std::ptrdiff_t>(BIG));
    EXPECT_EQ(std::count(last, last + BIG, 0xA5), static_cast<std::ptrdiff_t>(BIG));
    EXPECT_EQ(carve_and_check_many_chunks(), 0u);
    EXPECT_EQ(std::count(first, first + BIG, 0x5A), static_cast<std::ptrdiff_t>(BIG));
    pool_free(first, BIG);
    pool_free(last, BIG);
}

// However a job released its blocks, after it the blocks of a class come
// from one chunk after the other in the order of memory.
TEST(SmallBlocks, AfterAJobBlocksComeChunkByChunkInTheOrderOfMemory) {
    if (!pool_active()) GTEST_SKIP() << "blocks come from malloc in this build";
    BigBlocks big;
    std::vector<unsigned char*>& blocks = big.carved;
    // One block of each chunk stays in use, so that no chunk goes back.
    std::vector<unsigned char*> kept, released;
    for (unsigned char* block : blocks)
        (kept.empty() || chunk_of(kept.back()) != chunk_of(block) ? kept : released)
            .push_back(block);
    ASSERT_GE(kept.size(), 3u);
    std::shuffle(released.begin(), released.end(), std::mt19937(7));
    for (unsigned char* block : released) pool_free(block, BIG);
    pool_give_back();
    uintptr_t before = 0;
    size_t out_of_order = 0;
    for (size_t i = 0; i < released.size(); ++i) {
        released[i] = static_cast<unsigned char*>(pool_alloc(BIG));
        if (chunk_of(released[i]) < before) ++out_of_order;
        before = chunk_of(released[i]);
    }
    EXPECT_EQ(out_of_order, 0u);
    for (unsigned char* block : released) pool_free(block, BIG);
    for (unsigned char* block : kept) pool_free(block, BIG);
}

// A chunk whose every block was released (a sheet released whole) is
// carved again from its start, before any new chunk is made: the blocks
// made next lie one after the other in the order they are made, whatever
// order the chunk's blocks were released in, and of whatever class; none
// overlaps a block still in use. After the job such a chunk goes back.
TEST(SmallBlocks, ChunkReleasedWholeIsCarvedAgainInOrder) {
    if (!system_pages())
        GTEST_SKIP() << "the pool's chunks are not the system's own mappings in this build";
    BigBlocks big;
    std::vector<unsigned char*>& blocks = big.carved;
    // A chunk of the middle: carved whole by the test alone.
    const uintptr_t emptied = chunk_of(blocks[blocks.size() / 2]);
    ASSERT_NE(emptied, chunk_of(blocks.front()));
    ASSERT_NE(emptied, chunk_of(blocks.back()));
    std::vector<unsigned char*> inside, others;
    for (unsigned char* block : blocks)
        (chunk_of(block) == emptied ? inside : others).push_back(block);
    for (unsigned char* block : others) std::memset(block, 0x3C, BIG);
    std::shuffle(inside.begin(), inside.end(), std::mt19937(11));
    for (unsigned char* block : inside) pool_free(block, BIG);
    // What the carving chunk has left is used up first, then the emptied
    // chunk takes every request, in the order of memory.
    std::vector<std::pair<unsigned char*, size_t>> made;
    uintptr_t before = 0;
    size_t in_emptied = 0, out_of_order = 0;
    for (size_t made_bytes = 0; made_bytes < 3 * CHUNK;) {
        size_t size = made.size() % 2 ? 40 : BIG;
        made_bytes += size;
        auto* block = static_cast<unsigned char*>(pool_alloc(size));
        ASSERT_NE(block, nullptr);
        std::memset(block, 0xC3, size);
        made.emplace_back(block, size);
        if (chunk_of(block) != emptied) continue;
        if (reinterpret_cast<uintptr_t>(block) < before) ++out_of_order;
        before = reinterpret_cast<uintptr_t>(block);
        ++in_emptied;
    }
    EXPECT_GT(in_emptied * BIG, CHUNK / 2);
    EXPECT_EQ(out_of_order, 0u);
    for (unsigned char* block : others)
        ASSERT_EQ(std::count(block, block + BIG, 0x3C), static_cast<std::ptrdiff_t>(BIG));
    for (auto& [block, size] : made) pool_free(block, size);
    for (unsigned char* block : others) pool_free(block, BIG);
    pool_give_back();
    EXPECT_FALSE(chunk_mapped(emptied));
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

// A table grows from malloc's blocks into mappings of whole 2 MiB pages of
// its own and back: its contents survive every move, two large tables lie
// apart, and a large one starts on a 2 MiB boundary (where the pool runs:
// under the sanitizer tables come from malloc).
TEST(LargeTables, ContentsSurviveGrowingPastTheHugePagesAndBack) {
    TableVector<uint32_t> table;
    const size_t count = 3 * TABLE_HUGE / sizeof(uint32_t) + 5;
    for (size_t i = 0; i < count; ++i) table.push_back(static_cast<uint32_t>(i * 2654435761u));
    if (pool_active()) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(table.data()) % TABLE_HUGE, 0u);
    }
    TableVector<uint32_t> copy = table;
    std::fill(table.begin(), table.end(), 7u);
    size_t wrong = 0;
    for (size_t i = 0; i < count; ++i) wrong += copy[i] != static_cast<uint32_t>(i * 2654435761u);
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(std::count(table.begin(), table.end(), 7u), static_cast<std::ptrdiff_t>(count));
    copy.resize(1000);
    copy.shrink_to_fit();
    for (size_t i = 0; i < copy.size(); ++i)
        ASSERT_EQ(copy[i], static_cast<uint32_t>(i * 2654435761u)) << i;
    TableVector<uint32_t>().swap(table);
    EXPECT_EQ(table.capacity(), 0u);
}

// Whatever memory layer serves them (the PlainPages tests run this on the
// plain one, which can give a block back only whole), a job's large tables
// of every size, made and released in turn, and the pool's chunks made
// among them, keep their contents.
TEST(LargeTables, AJobsTablesAndChunksKeepTheirContentsOnEitherLayer) {
    std::vector<void*> blocks;
    {
        TableReuse job(size_t{80} << 20, size_t{64} << 20);  // with an area filled ahead
        const size_t sizes[] = {2 * TABLE_HUGE, TABLE_HUGE, 5 * TABLE_HUGE + 3, 3 * TABLE_HUGE};
        std::vector<std::pair<unsigned char*, size_t>> held;
        for (int round = 0; round < 3; ++round) {
            for (size_t k = 0; k < std::size(sizes); ++k) {
                const size_t size = sizes[k] + round * TABLE_HUGE;
                auto* table = static_cast<unsigned char*>(table_alloc(size));
                std::memset(table, static_cast<int>(held.size() + 1), size);
                held.push_back({table, size});
                for (int n = 0; n < 2000; ++n) blocks.push_back(pool_alloc(POOL_LARGEST));
            }
            // Every other one goes back, for the next round's to reuse.
            for (size_t k = held.size(); k-- > 0;)
                if (k % 2 == 1) {
                    table_free(held[k].first, held[k].second);
                    held.erase(held.begin() + static_cast<std::ptrdiff_t>(k));
                }
        }
        size_t wrong = 0;
        for (const auto& [table, size] : held) {
            wrong += std::count(table, table + size, table[0]) != static_cast<std::ptrdiff_t>(size);
            table_free(table, size);
        }
        EXPECT_EQ(wrong, 0u);
    }
    for (void* block : blocks) pool_free(block, POOL_LARGEST);
    pool_give_back();
}

// Whether the page at `at` is mapped in the process (mincore fails on an
// unmapped range).
bool mapped(const void* at) {
    unsigned char resident = 0;
    return mincore(const_cast<void*>(at), 1, &resident) == 0;
}

// Within a job the tables released serve the tables made after them: one
// that fits takes the front of a released range; one larger than any is
// made of the released ranges' own pages, largest first (moved there, their
// contents still in them, even where they span several of the system's
// mappings). Nested jobs keep what is released until the
// outermost ends, which hands it all back to the system; a table that
// outlives the job is untouched by that and goes back when released. The
// small-block pool's new chunks come from the released tables as well.
TEST(LargeTables, AJobsReleasedTablesServeItsLaterOnesAndGoBackWhenItEnds) {
    if (!system_pages())
        GTEST_SKIP() << "the tables are not the system's own mappings in this build";
    const size_t words = 2 * TABLE_HUGE / sizeof(uint32_t);  // 4 MiB
    std::vector<const void*> released;
    TableVector<uint32_t> outlives;
    {
        TableReuse job;
        TableVector<uint32_t> first(words, 1u), second(words, 2u);
        uint32_t* first_at = first.data();
        TableVector<uint32_t>().swap(first);
        {
            TableReuse inner;
            TableVector<uint32_t> fits(words / 2, 3u);
            EXPECT_EQ(fits.data(), first_at);
            TableVector<uint32_t>().swap(second);
        }
        EXPECT_TRUE(mapped(first_at));  // the inner job's end kept it
        // 8 MiB: the 4 of the second, then 2 and 2 of the first.
        const size_t larger = 4 * TABLE_HUGE;
        auto* bytes = static_cast<unsigned char*>(table_alloc(larger));
        uint32_t head = 0, middle = 0;
        std::memcpy(&head, bytes, sizeof head);
        std::memcpy(&middle, bytes + 2 * TABLE_HUGE, sizeof middle);
        EXPECT_EQ(head, 2u);
        EXPECT_TRUE(middle == 1u || middle == 3u) << middle;
        std::memset(bytes, 9, larger);
        table_free(bytes, larger);
        // That range was made of three (three of the system's mappings):
        // it still moves whole into a table larger than it.
        const size_t wider = larger + TABLE_HUGE;
        auto* wide = static_cast<unsigned char*>(table_alloc(wider));
        EXPECT_EQ(std::count(wide, wide + larger, 9), static_cast<std::ptrdiff_t>(larger));
        EXPECT_FALSE(mapped(bytes));
        std::memset(wide, 8, wider);
        table_free(wide, wider);
        outlives.assign(words, 4u);
        EXPECT_EQ(static_cast<void*>(outlives.data()), static_cast<void*>(wide));
        released = {wide + wider / 2, wide + wider - 1};
    }
    for (const void* at : released) EXPECT_FALSE(mapped(at)) << at;
    // The pool's next new chunk comes from a released table too.
    {
        TableReuse job;
        char* table = static_cast<char*>(table_alloc(2 * TABLE_HUGE));
        table_free(table, 2 * TABLE_HUGE);
        std::vector<void*> blocks;
        bool carved_there = false;
        while (!carved_there && blocks.size() < (size_t{64} << 20) / POOL_LARGEST) {
            auto* block = static_cast<char*>(pool_alloc(POOL_LARGEST));
            ASSERT_NE(block, nullptr);
            blocks.push_back(block);
            carved_there = block >= table && block < table + 2 * TABLE_HUGE;
        }
        EXPECT_TRUE(carved_there);
        for (void* block : blocks) pool_free(block, POOL_LARGEST);
    }
    EXPECT_EQ(std::count(outlives.begin(), outlives.end(), 4u), static_cast<std::ptrdiff_t>(words));
    const void* outlived = outlives.data();
    TableVector<uint32_t>().swap(outlives);
    EXPECT_FALSE(mapped(outlived));
}
// Whether every page of [at, at + size) is resident.
bool resident(const void* at, size_t size) {
    std::vector<unsigned char> pages(size / 4096);
    if (mincore(const_cast<void*>(at), size, pages.data()) != 0) return false;
    return std::all_of(pages.begin(), pages.end(), [](unsigned char p) { return p & 1; });
}

// A job that expects large tables has their memory made ready beside it:
// pages it has not written yet become resident by themselves, what it
// writes meanwhile is kept, a table larger than all that is kept still
// takes the kept pages with their contents, and when the job ends the
// memory goes back. Below the bound nothing is made ahead.
TEST(LargeTables, AJobExpectingLargeTablesFindsTheirMemoryReady) {
    const size_t FILL = size_t{64} << 20;  // a bound of the test's, lighter than the program's
    if (!pool_active()) GTEST_SKIP() << "tables come from malloc in this build";
    void* probe = pages_map(4096, 4096);
    ASSERT_NE(probe, nullptr);
    const bool can_fill = pages_make_resident(probe, 4096);
    pages_release(probe, 4096);
    if (!can_fill) GTEST_SKIP() << "this system cannot fill memory ahead";
    const size_t part = 8 * TABLE_HUGE;  // 16 MiB
    const void* gone = nullptr;
    {
        TableReuse job(FILL + part, FILL);
        auto* first = static_cast<unsigned char*>(table_alloc(part));
        std::memset(first, 5, part);  // written while the rest is being filled
        auto* second = static_cast<unsigned char*>(table_alloc(part));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!resident(second, part) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_TRUE(resident(second, part));
        EXPECT_EQ(std::count(second, second + part, 0), static_cast<std::ptrdiff_t>(part));
        EXPECT_EQ(std::count(first, first + part, 5), static_cast<std::ptrdiff_t>(part));
        table_free(first, part);
        // Larger than all that is kept: the kept pages move into it.
        const size_t larger = FILL + 4 * part;
        auto* wide = static_cast<unsigned char*>(table_alloc(larger));
        EXPECT_EQ(std::count(wide, wide + larger, 5), static_cast<std::ptrdiff_t>(part));
        std::memset(wide, 6, larger);
        EXPECT_EQ(std::count(second, second + part, 0), static_cast<std::ptrdiff_t>(part));
        table_free(wide, larger);
        table_free(second, part);
        gone = wide;
    }
    EXPECT_FALSE(mapped(gone));
    {
        TableReuse job(FILL / 2, FILL);
        auto* table = static_cast<unsigned char*>(table_alloc(part));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(resident(table, part));
        table_free(table, part);
    }
}
}  // namespace
