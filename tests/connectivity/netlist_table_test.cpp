// The writers' open-addressing tables, against the standard maps they stand
// in for: the first number stored for a key wins, lookups survive growing,
// and names are one key whatever their case.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "connectivity/netlist_table.h"

namespace {

TEST(FlatIndex, AgreesWithAStandardMapThroughGrowth) {
    // Keys close together and far apart, many repeats, from an empty table
    // that must grow many times.
    std::mt19937_64 random(7);
    FlatIndex<uint64_t> index;
    std::unordered_map<uint64_t, uint32_t> oracle;
    for (uint32_t i = 0; i < 50000; ++i) {
        uint64_t key = (i % 3 == 0) ? random() : random() % 20000;
        auto [value, made] = index.insert(key, i);
        auto [at, oracle_made] = oracle.try_emplace(key, i);
        ASSERT_EQ(made, oracle_made) << "key " << key;
        ASSERT_EQ(value, at->second) << "key " << key;
    }
    EXPECT_EQ(index.size(), oracle.size());
    for (auto& [key, value] : oracle) {
        const uint32_t* found = index.find(key);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, value);
    }
    for (int i = 0; i < 1000; ++i) {
        uint64_t key = random() | (uint64_t{1} << 63);
        if (!oracle.count(key)) {
            EXPECT_EQ(index.find(key), nullptr);
        }
    }
    // Zero is a key like any other, not the mark of a free slot.
    FlatIndex<uint64_t> zero;
    EXPECT_EQ(zero.find(0), nullptr);
    EXPECT_TRUE(zero.insert(0, 5).second);
    EXPECT_EQ(*zero.find(0), 5u);
}

TEST(FlatIndex, PointerKeysOfNeighbouringRecords) {
    // Records of one array differ in their low bits only.
    std::vector<int> records(4096);
    FlatIndex<const int*> index(16);
    for (uint32_t i = 0; i < records.size(); ++i) EXPECT_TRUE(index.insert(&records[i], i).second);
    for (uint32_t i = 0; i < records.size(); ++i) {
        const uint32_t* found = index.find(&records[i]);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, i);
    }
    EXPECT_EQ(index.find(records.data() + records.size()), nullptr);
}

TEST(FlatIndex, NamesAreOneKeyWhateverTheirCase) {
    FlatIndex<std::string_view, NoCaseHash, NoCaseEqual> index;
    // Views into longer texts: only the viewed part is the key.
    std::string texts = "VCC__3 vcc Vcc__1 GND gnd_ Gnd";
    std::string_view all = texts;
    EXPECT_TRUE(index.insert(all.substr(0, 3), 0).second);    // VCC
    EXPECT_FALSE(index.insert(all.substr(7, 3), 1).second);   // vcc
    EXPECT_EQ(index.insert(all.substr(11, 3), 2).first, 0u);  // Vcc
    EXPECT_TRUE(index.insert(all.substr(18, 3), 3).second);   // GND
    EXPECT_TRUE(index.insert(all.substr(22, 4), 4).second);   // gnd_
    EXPECT_EQ(*index.find("gNd"), 3u);
    EXPECT_EQ(*index.find("GND_"), 4u);
    EXPECT_EQ(index.find("VCC__3"), nullptr);
    EXPECT_EQ(index.find(""), nullptr);
    EXPECT_EQ(index.size(), 3u);
    // Bytes above 0x7F are compared as they are, not folded.
    EXPECT_TRUE(index.insert("\xC4", 5).second);
    EXPECT_TRUE(index.insert("\xE4", 6).second);
}

TEST(NameArena, CopiesStayPutAcrossBlocksAndAGivenBackCopyIsReused) {
    NameArena arena;
    std::vector<std::string> names;
    std::vector<std::string_view> kept;
    // Enough names for several blocks, and one longer than a block.
    for (int i = 0; i < 20000; ++i) names.push_back("net_" + std::to_string(i * 7919));
    names.push_back(std::string(100000, 'x'));
    names.push_back("after");
    for (const std::string& name : names) kept.push_back(arena.keep(name.c_str()));
    for (size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(kept[i], names[i]);
        EXPECT_EQ(kept[i].data()[kept[i].size()], '\0');  // a C string too
    }
    std::string_view dropped = arena.keep("dropped");
    arena.drop_last(dropped);
    std::string_view next = arena.keep("next");
    EXPECT_EQ(next.data(), dropped.data());
    EXPECT_EQ(next, "next");
    EXPECT_EQ(kept.back(), "after");
}

}  // namespace
