// Tags and saved views: names, slots and their binary records.
//
// Golden files under tests/data/model/items/ hold the records as written.
// To regenerate them after an intended format change, run the tests with
// TN_UPDATE_GOLDEN=1 and review the byte diff before committing it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/items/view_fixture.h"
#include "support/test_env.h"

namespace {

using Bytes = std::vector<unsigned char>;

// model/items/item.h's NOT_MY_TAG (that header cannot be included beside
// foundation/services.h, which declares `struct Item`).
constexpr int NOT_MY_TAG = 1001;

template <class Writer>
Bytes written(const View& view, Writer write) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    write(&view, out);
    std::fclose(out);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// A stream holding exactly the bytes.
struct Input {
    explicit Input(const Bytes& data) : stream(std::tmpfile()) {
        if (!data.empty()) std::fwrite(data.data(), 1, data.size(), stream);
        std::rewind(stream);
    }
    ~Input() { std::fclose(stream); }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    FILE* get() const { return stream; }
    long position() const { return std::ftell(stream); }
    FILE* stream;
};

void check_golden(const std::string& name, const Bytes& bytes) {
    std::string path = tn_test::data_path("model/items/" + name);
    if (std::getenv("TN_UPDATE_GOLDEN")) tn_test::write_bytes(path, bytes);
    EXPECT_EQ(tn_test::read_bytes(path), bytes) << "golden file " << path;
}

class ViewTags : public ViewTest {
protected:
    // The document used by the golden files.
    void fill(View* v) {
        view_set_tag(v, 0, Point{1000, -2000});
        view_set_tag_name(v, 0, "Input stage");
        view_set_tag(v, 3, Point{50000, 60000});  // keeps "D Tag (In Use)"
        view_set_saved(v, 1, Point{12000, 34000}, 2.5);
        view_set_saved_name(v, 1, "Power");
        view_set_saved(v, 4, Point{-1, 1}, 0.25);
    }
};

// --- names and slots -----------------------------------------------------------------------

TEST_F(ViewTags, ResetNamesAndDefaults) {
    bool in_use = true;
    Point p{9, 9};
    EXPECT_STREQ(view_get_tag(&view, 0, &p, &in_use), "A ");
    EXPECT_FALSE(in_use);
    EXPECT_STREQ(view_get_tag(&view, 4, nullptr, nullptr), "E ");
    EXPECT_STREQ(view_get_saved(&view, 4, nullptr, nullptr, nullptr), "View 5");
    EXPECT_EQ(view.tag_names[1], "B Tag (In Use)");
    EXPECT_EQ(view.saved_names[2], "View 3 (In Use)");

    view_set_tag_name(&view, 0, "Amplifier");
    EXPECT_STREQ(view_get_tag(&view, 0, nullptr, nullptr), "A ");  // not in use: the default
    view_set_tag(&view, 0, Point{5, 6});
    EXPECT_STREQ(view_get_tag(&view, 0, &p, &in_use), "Amplifier");
    EXPECT_TRUE(in_use);
    EXPECT_EQ(p, (Point{5, 6}));

    double scale = 0;
    view_set_saved(&view, 3, Point{7, 8}, 4.0);
    EXPECT_STREQ(view_get_saved(&view, 3, &p, &in_use, &scale), "View 4 (In Use)");
    EXPECT_EQ(scale, 4.0);
    EXPECT_EQ(p, (Point{7, 8}));

    view_clear_tag(&view, 0);
    view_clear_saved(&view, 3);
    EXPECT_STREQ(view_get_tag(&view, 0, nullptr, nullptr), "A ");
    EXPECT_STREQ(view_get_saved(&view, 3, nullptr, nullptr, nullptr), "View 4");
    view_set_tag(&view, 0, Point{});
    EXPECT_STREQ(view_get_tag(&view, 0, nullptr, nullptr), "Amplifier");  // name kept
    view_reset(&view);
    EXPECT_EQ(view.tag_names[0], "A Tag (In Use)");
    EXPECT_EQ(view.tags[0].in_use, 0);
}

// --- records -----------------------------------------------------------------------------------

TEST_F(ViewTags, GoldenRecords) {
    fill(&view);
    Bytes tags = written(view, write_Tags);
    Bytes saved = written(view, write_SavedViews);
    check_golden("view_tags.bin", tags);
    check_golden("view_saved_views.bin", saved);

    EXPECT_EQ(written(View{}, write_Tags), (Bytes{0x60, 0xE0}));

    View back;
    view_init(&back);
    Input in_tags(tags), in_saved(saved);
    EXPECT_EQ(read_Tags(&back, in_tags.get(), true), 0);
    EXPECT_EQ(read_SavedViews(&back, in_saved.get(), true), 0);
    EXPECT_EQ(written(back, write_Tags), tags);
    EXPECT_EQ(written(back, write_SavedViews), saved);
    double scale = 0;
    EXPECT_STREQ(view_get_saved(&back, 1, nullptr, nullptr, &scale), "Power");
    EXPECT_EQ(scale, 2.5);
}

TEST_F(ViewTags, FileHoldingOnlySlot3) {
    Bytes file = tn_test::read_bytes(tn_test::data_path("model/items/view_tags_slot3.bin"));
    // 0x60 'a' 3 "Bus B" (-100, 200) 0xE0
    Bytes expected{0x60, 'a', 3, 'B', 'u', 's', ' ', 'B', 0, 0xFF, 0xFF, 0xFF, 0x9C,
                   0,    0,   0, 200, 0xE0};
    ASSERT_EQ(file, expected);
    view_set_tag(&view, 1, Point{1, 1});  // not in the file: stays as it is
    Input in(file);
    EXPECT_EQ(read_Tags(&view, in.get(), true), 0);
    Point p;
    bool in_use = false;
    EXPECT_STREQ(view_get_tag(&view, 3, &p, &in_use), "Bus B");
    EXPECT_EQ(p, (Point{-100, 200}));
    for (int i : {0, 2, 4}) EXPECT_EQ(view.tags[i].in_use, 0);
    view_clear_tag(&view, 1);
    EXPECT_EQ(written(view, write_Tags), file);
}

TEST_F(ViewTags, ReadingWithoutApplySkipsTheEntries) {
    View source;
    view_init(&source);
    fill(&source);
    Input in(written(source, write_SavedViews));
    EXPECT_EQ(read_SavedViews(&view, in.get(), false), 0);
    EXPECT_EQ(std::fgetc(in.stream), EOF);
    for (const ViewSaved& s : view.saved) EXPECT_EQ(s.in_use, 0);
}

TEST_F(ViewTags, AnotherRecordIsPushedBack) {
    Input in(Bytes{'d', 0xE0});
    EXPECT_EQ(read_Tags(&view, in.get(), true), NOT_MY_TAG);
    EXPECT_EQ(std::fgetc(in.stream), 'd');
    Input in2(Bytes{0x60, 0xE0});
    EXPECT_EQ(read_SavedViews(&view, in2.get(), true), NOT_MY_TAG);
    EXPECT_EQ(in2.position(), 0);
}

TEST_F(ViewTags, SlotIndexOutOfRangeIsAReadError) {
    // Slot 7, then a good slot 1, then the end and one byte of the next record.
    Bytes record{0x60, 'a', 7, 'X', 0, 0, 0, 0, 1, 0, 0, 0, 2,
                 'a',  1,   'Y', 0, 0, 0, 0, 3, 0, 0, 0, 4, 0xE0, 0x64};
    Input in(record);
    EXPECT_EQ(read_Tags(&view, in.get(), true), 5);
    EXPECT_EQ(std::fgetc(in.stream), 0x64);  // the whole record consumed
    for (const ViewTag& t : view.tags) EXPECT_EQ(t.in_use, 0);

    Bytes saved{'d', 'e', 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x3F, 0x80, 0, 0, 0xE0};
    Input in2(saved);
    EXPECT_EQ(read_SavedViews(&view, in2.get(), true), 5);
    EXPECT_EQ(std::fgetc(in2.stream), EOF);
}

TEST_F(ViewTags, LongNamesReloadWhole) {
    std::string name(300, 'n');
    view_set_tag(&view, 2, Point{3, 4});
    view_set_tag_name(&view, 2, name.c_str());
    Bytes record = written(view, write_Tags);
    record.push_back(0x77);
    View back;
    view_init(&back);
    Input in(record);
    EXPECT_EQ(read_Tags(&back, in.get(), true), 0);
    EXPECT_EQ(back.tag_names[2], name);
    EXPECT_EQ(back.tags[2].pos, (Point{3, 4}));
    EXPECT_EQ(std::fgetc(in.stream), 0x77);
}

struct Truncation {
    const char* golden;
    bool saved;
};

class ViewTruncated : public ViewTags, public ::testing::WithParamInterface<Truncation> {};

TEST_P(ViewTruncated, EveryPrefixIsAShortReadAndChangesNothing) {
    Bytes whole = tn_test::read_bytes(tn_test::data_path(std::string("model/items/") + GetParam().golden));
    ASSERT_GT(whole.size(), 2u);
    for (size_t n = 0; n < whole.size(); ++n) {
        View target;
        view_init(&target);
        Input in(Bytes(whole.begin(), whole.begin() + n));
        int result = GetParam().saved ? read_SavedViews(&target, in.get(), true)
                                      : read_Tags(&target, in.get(), true);
        EXPECT_EQ(result, -1) << "prefix of " << n << " bytes";
        for (int i = 0; i < VIEW_SLOTS; ++i) {
            EXPECT_EQ(target.tags[i].in_use, 0);
            EXPECT_EQ(target.saved[i].in_use, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Records, ViewTruncated,
                         ::testing::Values(Truncation{"view_tags.bin", false},
                                           Truncation{"view_saved_views.bin", true},
                                           Truncation{"view_tags_slot3.bin", false}));

}  // namespace
