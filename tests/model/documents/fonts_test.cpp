// Document font tables: file forms, damaged records, free numbers, merging
// with renumbering, and release through the font registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/binary_stream.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/fonts.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/text.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

StreamPtr stream_of(const Bytes& bytes) {
    StreamPtr stream(std::tmpfile());
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stream.get());
    std::rewind(stream.get());
    return stream;
}

template <class Write>
Bytes written(Write write) {
    StreamPtr stream(std::tmpfile());
    write(stream.get());
    std::rewind(stream.get());
    Bytes out;
    for (int c; (c = std::fgetc(stream.get())) != EOF;) out.push_back(static_cast<unsigned char>(c));
    return out;
}

Font* font(int number, const char* face, int size = 100) {
    Font* f = new_Font();
    f->number = number;
    f->size = size;
    f->weight = 400;
    f->char_set = 0xFE;
    font_set_face(f, face);
    return f;
}

List* table_of(std::initializer_list<Font*> fonts) {
    List* table = list_new();
    for (Font* f : fonts) dlist_append(table, f);
    return table;
}

std::vector<int> numbers_of(const List* table) {
    std::vector<int> numbers;
    for (const Font* f : list_items<Font>(table)) numbers.push_back(f->number);
    return numbers;
}

std::vector<std::string> faces_of(const List* table) {
    std::vector<std::string> faces;
    for (const Font* f : list_items<Font>(table)) faces.emplace_back(f->face_name);
    return faces;
}

struct TableFree {
    void operator()(List* table) const { free_Fonts(table); }
};
using TablePtr = std::unique_ptr<List, TableFree>;

class Fonts : public testing::Test {
protected:
    void TearDown() override {
        reset_services();
        set_font_scale(0.75);
    }
};

TEST_F(Fonts, BinaryAndAsciiForms) {
    TablePtr table(table_of({font(1, "Arial"), font(7, "Times New Roman", 240)}));
    font_find(table.get(), 1)->state = 2;
    Bytes binary = written([&](FILE* f) { write_Fonts(table.get(), f, 0); });
    // 'k', 7 longs, 8 bytes, "Arial", NUL, 0xE0 for the first record.
    ASSERT_EQ(binary.size(), (1 + 28 + 8 + 6 + 1) + (1 + 28 + 8 + 16 + 1));
    EXPECT_EQ(binary[0], 'k');
    EXPECT_EQ(binary[4], 1);
    EXPECT_EQ(binary[43], 0xE0);
    EXPECT_EQ(written([&](FILE* f) { write_Fonts(table.get(), f, 2); }).size(), 44u);

    std::string text;
    for (unsigned char c : written([&](FILE* f) { awrite_Fonts(table.get(), f, 1); })) text += c;
    EXPECT_EQ(text,
              "  (FONTS \n"
              "    (FONT 11  100 0 0 0 0 400 0 0 0 -2 0 0 0 0 'Arial' )\n"
              "    (FONT 17  240 0 0 0 0 400 0 0 0 -2 0 0 0 0 'Times New Roman' )\n"
              "  )\n");
    EXPECT_TRUE(written([&](FILE* f) { awrite_Fonts(nullptr, f, 0); }).empty());

    List* read = nullptr;
    StreamPtr stream = stream_of(binary);
    ASSERT_EQ(read_Fonts(&read, stream.get()), 0);
    TablePtr held(read);
    EXPECT_EQ(numbers_of(read), (std::vector<int>{1, 7}));
    EXPECT_EQ(faces_of(read), (std::vector<std::string>{"Arial", "Times New Roman"}));
    // Heights come from the sizes: 100 / 7.5 and 240 / 7.5, truncated.
    EXPECT_EQ(font_find(read, 1)->height, 13);
    EXPECT_EQ(font_find(read, 7)->height, 32);
    EXPECT_EQ(font_find(read, 1)->state, 1u);
    set_font_scale(1.0);
    stream = stream_of(binary);
    List* rescaled = nullptr;
    ASSERT_EQ(read_Fonts(&rescaled, stream.get()), 0);
    EXPECT_EQ(font_find(rescaled, 1)->height, 10);
    free_Fonts(rescaled);
}

TEST_F(Fonts, ReadingStopsAtAnotherByteAndRejectsDamagedRecords) {
    TablePtr table(table_of({font(3, "Arial")}));
    Bytes record = written([&](FILE* f) { write_Fonts(table.get(), f, 0); });
    Bytes followed = record;
    followed.push_back('p');
    List* read = nullptr;
    StreamPtr stream = stream_of(followed);
    EXPECT_EQ(read_Fonts(&read, stream.get()), 0);
    EXPECT_EQ(std::fgetc(stream.get()), 'p');
    free_Fonts(read);

    for (size_t n = 1; n < record.size(); ++n) {
        List* partial = nullptr;
        StreamPtr cut = stream_of(Bytes(record.begin(), record.begin() + n));
        EXPECT_EQ(read_Fonts(&partial, cut.get()), -1) << n;
        EXPECT_EQ(partial, nullptr);
    }
    Bytes bad_end = record;
    bad_end.pop_back();
    bad_end.push_back(0x00);
    Bytes bad_number = record;
    bad_number[3] = 0x02;  // 512
    for (const Bytes& damaged : {bad_end, bad_number}) {
        List* dropped = nullptr;
        StreamPtr s = stream_of(damaged);
        EXPECT_EQ(read_Fonts(&dropped, s.get()), 5);
        EXPECT_EQ(dropped, nullptr);
    }
}

TEST_F(Fonts, FreeNumbersAndLookUps) {
    TablePtr table(table_of({font(1, "A"), font(2, "B"), font(4, "C")}));
    EXPECT_EQ(font_free_number(table.get()), 3);
    EXPECT_EQ(font_free_number(nullptr), 1);
    EXPECT_STREQ(font_find(table.get(), 4)->face_name, "C");
    EXPECT_EQ(font_find(table.get(), 3), nullptr);
    List* full = list_new();
    for (int n = 1; n <= FONT_NUMBER_MAX; ++n) dlist_append(full, font(n, "F"));
    EXPECT_EQ(font_free_number(full), FONT_NUMBER_NONE);
    free_Fonts(full);

    TablePtr copy(copy_Fonts(table.get()));
    font_find(table.get(), 1)->realized = 9;
    TablePtr copy2(copy_Fonts(table.get()));
    EXPECT_EQ(numbers_of(copy2.get()), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(font_find(copy2.get(), 1)->realized, 0u);
    EXPECT_EQ(copy_Fonts(nullptr), nullptr);
    {
        FlagOpScope set(0x40, FLAGOP_OR);
        flag_Fonts(copy2.get());
    }
    for (const Font* f : list_items<Font>(copy2.get())) EXPECT_EQ(f->state & 0x40, 0x40u);
    font_find(table.get(), 1)->realized = 0;
}

// Merge cases: the table holds 1 Arial and 2 Courier; texts of the
// incoming table use ids 10 + its numbers.
struct MergeCase {
    const char* name;
    std::vector<std::pair<int, const char*>> incoming;
    std::vector<int> numbers_after;  // of the table
    std::vector<std::pair<int, int>> texts;  // incoming font id -> id after
};

class FontMerge : public testing::TestWithParam<MergeCase> {
protected:
    void TearDown() override { reset_services(); }
};

void renumber_list(void* items, const FontRenumbering& map) {
    renumber_text_fonts(static_cast<List*>(items), map);
}

TEST_P(FontMerge, RenumbersEachTextOnce) {
    List* table = table_of({font(1, "Arial"), font(2, "Courier")});
    List* incoming = list_new();
    for (auto [number, face] : GetParam().incoming) dlist_append(incoming, font(number, face));
    List* items = list_new();
    for (auto [from, to] : GetParam().texts) {
        Text* text = as_Text(new_Item(TEXT_ITEM));
        text->font = from;
        dlist_append(items, text);
    }
    EXPECT_EQ(merge_Fonts(&incoming, &table, items, renumber_list), 0);
    EXPECT_EQ(incoming, nullptr);
    EXPECT_EQ(numbers_of(table), GetParam().numbers_after);
    size_t i = 0;
    for (const SchItem* item : list_items<SchItem>(items))
        EXPECT_EQ(static_cast<const Text*>(item)->font, GetParam().texts[i++].second) << i;
    for (SchItem* item : list_items<SchItem>(items)) free_Item(item);
    dlist_free(items, LIST_FROM_HEAD, nullptr);
    free_Fonts(table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FontMerge,
    testing::Values(
        MergeCase{"SameNumberEqualIsDropped", {{1, "ARIAL"}}, {1, 2}, {{11, 11}}},
        MergeCase{"EqualUnderAnotherNumberTakesItsNumber", {{5, "courier"}}, {1, 2}, {{15, 12}}},
        MergeCase{"TakenByAnotherFontGetsAFreeNumber", {{1, "Symbol"}}, {1, 2, 3}, {{11, 13}}},
        MergeCase{"TakenButEqualElsewhere", {{1, "Courier"}}, {1, 2}, {{11, 12}}},
        MergeCase{"FreeNumberIsKept", {{9, "Symbol"}}, {1, 2, 9}, {{19, 19}, {5, 5}}},
        // Incoming 1 moves to 3 and incoming 3 to 4: a text of each moves once.
        MergeCase{"ChainedMovesRewriteEachTextOnce",
                  {{1, "Symbol"}, {3, "Wingdings"}},
                  {1, 2, 3, 4},
                  {{11, 13}, {13, 14}, {12, 12}}}),
    [](const testing::TestParamInfo<MergeCase>& info) { return info.param.name; });

TEST_F(Fonts, MergeIntoNoTableTakesTheIncomingOne) {
    List* incoming = table_of({font(4, "A")});
    List* table = nullptr;
    EXPECT_EQ(merge_Fonts(&incoming, &table, nullptr, nullptr), 0);
    EXPECT_EQ(incoming, nullptr);
    EXPECT_EQ(numbers_of(table), (std::vector<int>{4}));
    List* none = nullptr;
    EXPECT_EQ(merge_Fonts(&none, &table, nullptr, nullptr), 0);
    free_Fonts(table);
}

TEST_F(Fonts, MergeIntoAFullTableReportsAndFallsBackToTheStrokeFont) {
    List* table = list_new();
    for (int n = 1; n <= FONT_NUMBER_MAX; ++n) dlist_append(table, font(n, "F", n));
    List* incoming = table_of({font(1, "Other")});
    List* items = list_new();
    Text* text = as_Text(new_Item(TEXT_ITEM));
    text->font = 11;
    dlist_append(items, text);
    EXPECT_EQ(merge_Fonts(&incoming, &table, items, renumber_list), 56);
    EXPECT_EQ(text->font, 0);
    EXPECT_EQ(table->count, unsigned{FONT_NUMBER_MAX});
    free_Item(text);
    dlist_free(items, LIST_FROM_HEAD, nullptr);
    free_Fonts(table);
}

TEST_F(Fonts, FreeGoesThroughTheRegistry) {
    std::vector<int> removed;
    Services s;
    s.font_remove_entry = [&](List** table, int number) {
        removed.push_back(number);
        font_table_remove(table, number);
    };
    install_services(s);
    free_Fonts(table_of({font(3, "A"), font(1, "B")}));
    EXPECT_EQ(removed, (std::vector<int>{3, 1}));
    // A registry that keeps the records cannot stall the release.
    s.font_remove_entry = [&](List**, int number) { removed.push_back(number); };
    install_services(s);
    removed.clear();
    free_Fonts(table_of({font(3, "A"), font(1, "B")}));
    EXPECT_EQ(removed, (std::vector<int>{3, 1}));
}

TEST_F(Fonts, ResolveAndRenumberReachTexts) {
    TablePtr table(table_of({font(1, "A")}));
    List* items = list_new();
    Text* text = as_Text(new_Item(TEXT_ITEM));
    text->font = 11;
    dlist_append(items, text);
    dlist_append(items, new_Item(LINE_ITEM));
    resolve_item_fonts(items, table.get());
    EXPECT_EQ(text->fonts, table.get());
    renumber_text_fonts(items, 1, 6);
    EXPECT_EQ(text->font, 16);
    renumber_text_fonts(items, 1, 7);
    EXPECT_EQ(text->font, 16);
    // Title blocks hold texts in both of their lists.
    TitleBlock* block = new_TitleBlock();
    Text* field = as_Text(new_Item(TEXT_ITEM));
    field->font = 16;
    Text* drawn = as_Text(new_Item(TEXT_ITEM));
    drawn->font = 16;
    dlist_append(block->fields, field);
    dlist_append(block->drawing, drawn);
    dlist_append(items, block);
    renumber_text_fonts(items, 6, 2);
    EXPECT_EQ(text->font, 12);
    EXPECT_EQ(field->font, 12);
    EXPECT_EQ(drawn->font, 12);
    resolve_item_fonts(items, table.get());
    EXPECT_EQ(drawn->fonts, table.get());
    dlist_remove(items, dlist_tail(items), nullptr);
    free_TitleBlock(nullptr, block, false);
    for (SchItem* item : list_items<SchItem>(items)) free_Item(item);
    dlist_free(items, LIST_FROM_HEAD, nullptr);
}

}  // namespace
