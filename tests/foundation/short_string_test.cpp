#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/short_string.h"

namespace {

TEST(ShortString, FifteenCharactersStayInlineSixteenGoToTheHeap) {
    ShortString slot;
    EXPECT_STREQ(sstr_get(&slot), "");
    EXPECT_EQ(sstr_set(&slot, "ABCDEFGHIJKLMNO"), 0);
    EXPECT_FALSE(slot.on_heap());
    EXPECT_STREQ(sstr_get(&slot), "ABCDEFGHIJKLMNO");
    sstr_set(&slot, "ABCDEFGHIJKLMNOP");
    EXPECT_TRUE(slot.on_heap());
    EXPECT_STREQ(sstr_get(&slot), "ABCDEFGHIJKLMNOP");
    sstr_set(&slot, "R");
    EXPECT_FALSE(slot.on_heap()) << "a short text replaces the heap copy";
    EXPECT_STREQ(sstr_get(&slot), "R");
    sstr_set(&slot, "ABCDEFGHIJKLMNOPQ");
    sstr_set(&slot, "ABCDEFGHIJKLMNO");
    EXPECT_FALSE(slot.on_heap()) << "an inline text after a heap copy leaves no mark";
    EXPECT_STREQ(sstr_get(&slot), "ABCDEFGHIJKLMNO");
}

TEST(ShortString, ClearEmptiesAHeapSlot) {
    ShortString slot("a long name of a pin");
    sstr_clear(&slot);
    EXPECT_FALSE(slot.on_heap());
    EXPECT_STREQ(sstr_get(&slot), "");
    EXPECT_TRUE(slot.empty());
}

TEST(ShortString, AZeroFilledSlotIsTheEmptyName) {
    alignas(ShortString) unsigned char raw[sizeof(ShortString)];
    std::memset(raw, 0, sizeof raw);
    auto* slot = reinterpret_cast<ShortString*>(raw);
    EXPECT_STREQ(sstr_get(slot), "");
}

TEST(ShortString, CopiesAreDeepAndSelfAssignmentKeepsTheText) {
    ShortString a("VCC_SUPPLY");
    ShortString b = a;
    a.set("X");
    EXPECT_STREQ(b.get(), "VCC_SUPPLY");
    ShortString& same = b;
    b = same;
    EXPECT_STREQ(b.get(), "VCC_SUPPLY");
    b.set(b.get());
    EXPECT_STREQ(b.get(), "VCC_SUPPLY");
    ShortString c = std::move(b);
    EXPECT_STREQ(c.get(), "VCC_SUPPLY");
    EXPECT_STREQ(b.get(), "");  // NOLINT(bugprone-use-after-move): moved-from is empty
}

// The same with a text on the heap: the pointer kept in the slot's bytes
// goes with a move and is never shared by a copy.
TEST(ShortString, HeapTextsAreMovedWholeAndCopiedDeep) {
    const char* text = "VCC_SUPPLY_OF_THE_BOARD";
    ShortString a(text);
    ShortString b = a;
    EXPECT_NE(b.get(), a.get());
    b.set(b.get());
    EXPECT_STREQ(b.get(), text);
    ShortString c = std::move(b);
    EXPECT_STREQ(c.get(), text);
    EXPECT_FALSE(b.on_heap());  // NOLINT(bugprone-use-after-move): moved-from is empty
    a = std::move(c);
    EXPECT_STREQ(a.get(), text);
    EXPECT_STREQ(c.get(), "");  // NOLINT(bugprone-use-after-move)
}

TEST(ShortString, StreamFormIsAPlainString) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    ShortString slot("CLOCK_IN");
    write_sstr(&slot, out);
    slot.set("D");
    write_sstr(&slot, out);
    std::fclose(out);
    EXPECT_EQ(std::string(buffer, size), std::string("CLOCK_IN\0D\0", 11));

    FILE* in = fmemopen(buffer, size, "rb");
    ShortString back;
    EXPECT_EQ(read_sstr(&back, in), 0);
    EXPECT_STREQ(back.get(), "CLOCK_IN");
    EXPECT_EQ(read_sstr(&back, in), 0);
    EXPECT_STREQ(back.get(), "D");
    EXPECT_EQ(read_sstr(&back, in), -1);
    EXPECT_STREQ(back.get(), "D") << "a failed read leaves the slot unchanged";
    std::fclose(in);
    std::free(buffer);
}

TEST(ShortString, StoredNamesOfAnyLengthReloadWhole) {
    std::string stored(300, 'n');
    stored += '\0';
    stored += "next";
    stored += '\0';
    FILE* in = fmemopen(stored.data(), stored.size(), "rb");
    ShortString slot;
    EXPECT_EQ(read_sstr(&slot, in), 0);
    EXPECT_EQ(std::string(slot.get()), std::string(300, 'n'));
    EXPECT_EQ(read_sstr(&slot, in), 0);
    EXPECT_STREQ(slot.get(), "next");
    EXPECT_EQ(read_sstr(&slot, in), -1) << "the end of the stream";
    EXPECT_STREQ(slot.get(), "next") << "unchanged";
    std::fclose(in);
}

// The empty text is the null slot; copies, moves and self-assignment keep
// their own heap text, and a failed read leaves the slot as it was.
TEST(RareString, EmptyIsNullAndCopiesAreDeep) {
    RareString a;
    EXPECT_TRUE(a.empty());
    EXPECT_STREQ(a.c_str(), "");
    a = std::string("sub\\amp.sch");
    RareString b = a;
    EXPECT_NE(b.c_str(), a.c_str());
    EXPECT_EQ(b, a);
    EXPECT_EQ(b, "sub\\amp.sch");
    a = "";
    EXPECT_TRUE(a.empty()) << "an empty text holds no heap block";
    RareString& same = b;
    b = same;
    b = b.c_str();
    EXPECT_EQ(b, std::string("sub\\amp.sch"));
    RareString c = std::move(b);
    EXPECT_TRUE(b.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty
    a = std::move(c);
    EXPECT_EQ(a, "sub\\amp.sch");
    a = nullptr;
    EXPECT_EQ(a, "");
}

TEST(RareString, ReadsWholeStringsAndKeepsTheSlotOnAShortRead) {
    std::string stored(300, 'p');
    stored += '\0';
    stored += '\0';
    stored += "cut";
    FILE* in = fmemopen(stored.data(), stored.size(), "rb");
    RareString slot;
    EXPECT_EQ(read_rare_string(&slot, in), 0);
    EXPECT_EQ(slot, std::string(300, 'p'));
    slot = "held";
    EXPECT_EQ(read_rare_string(&slot, in), 0);
    EXPECT_TRUE(slot.empty());
    slot = "held";
    EXPECT_EQ(read_rare_string(&slot, in), -1);
    EXPECT_EQ(slot, "held");
    std::fclose(in);
}

}  // namespace
