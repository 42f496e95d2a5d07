// Library utilities: part search, libraries by file name, file headers and
// the prefix report.
#include <gtest/gtest.h>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/items/item.h"
#include "model/items/item_streams.h"
#include "model/items/library.h"
#include "model/items/library_samples.h"
#include "model/items/libutil.h"
#include "support/test_env.h"

using namespace items_test;
using namespace library_samples;

namespace {

std::vector<std::string> row_names(const std::vector<LibPartRow>& rows) {
    std::vector<std::string> names;
    for (const LibPartRow& row : rows) names.emplace_back(row.entry->name.get());
    return names;
}

// Entries: R10, RES10? no: R10, C10, 10, 10K, 22, 22K, U1, 74LS00; prefixes
// R = RES, C = CAP, U.
LibraryPtr search_library() {
    LibraryPtr library(new_Library());
    set_Library_name(library.get(), "SEARCH");
    add_prefix(library.get(), "R", "RES");
    add_prefix(library.get(), "C", "CAP");
    add_prefix(library.get(), "U", "");
    for (const char* name : {"R10", "C10", "10", "10K", "22", "22K", "U1", "74LS00", "CAP47"})
        add_entry(library.get(), name, nullptr);
    return library;
}

struct SearchCase {
    const char* typed;
    std::vector<std::string> found;
};

class PartSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(PartSearch, FindsByNamePrefixExpansionThenWildcard) {
    LibraryPtr library = search_library();
    std::vector<LibPartRow> rows;
    int count = find_LibParts_matching(library.get(), &rows, GetParam().typed);
    EXPECT_EQ(count, static_cast<int>(rows.size()));
    EXPECT_EQ(row_names(rows), GetParam().found);
    for (const LibEntry* entry : library->entries) EXPECT_TRUE(entry->flags & ENTRY_MATCH);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PartSearch,
    testing::Values(
        // Directly, then through the prefixes R and C.
        SearchCase{"10", {"10", "R10", "C10"}},
        // Through an expansion: RES10 is R + 10, and the prefix step finds
        // nothing more.
        SearchCase{"res10", {"R10"}},
        SearchCase{"cap47", {"CAP47"}},
        // Directly and through the empty-expansion prefix U: once each.
        SearchCase{"1", {"U1"}},
        SearchCase{"r10", {"R10"}},
        // Nothing directly: the wildcard pass, in name order.
        SearchCase{"22*", {"22", "22K"}},
        SearchCase{"1?K", {"10K"}},
        SearchCase{"*", {"10", "10K", "22", "22K", "74LS00", "C10", "CAP47", "R10", "U1"}},
        SearchCase{"nothing", {}}));

TEST(LibUtil, ReadFileHeaderSkipsTheHeaderOrPushesBack) {
    StreamPtr with = stream_of({'@', 'h', 'i', 0, 0x1A, 17});
    EXPECT_EQ(read_file_header(with.get()), 0);
    EXPECT_EQ(std::fgetc(with.get()), 17);
    StreamPtr without = stream_of({17, 'x'});
    EXPECT_EQ(read_file_header(without.get()), NOT_MY_TAG);
    EXPECT_EQ(std::fgetc(without.get()), 17);
    for (const Bytes& cut : {Bytes{}, Bytes{'@'}, Bytes{'@', 'h'}, Bytes{'@', 'h', 0}}) {
        StreamPtr stream = stream_of(cut);
        EXPECT_EQ(read_file_header(stream.get()), -1) << cut.size();
    }
    libutil_nop();
}

class LibraryFilesByName : public testing::Test {
protected:
    void SetUp() override {
        reset_object_ids(1);
        init_Libraries();
        LibraryPtr sample = sample_library();
        file_ = dir_.file("Sample.clb");
        ASSERT_EQ(save_Library(file_.c_str(), sample.get()), 0);
    }
    void TearDown() override {
        free_LibraryList(lib_list);
        lib_list = nullptr;
        proper_set(FAST_LOAD, 1, 0);
        reset_services();
    }
    std::string upper_name() {
        std::string name = file_;
        name.replace(name.size() - 10, 10, "SAMPLE.CLB");
        return name;
    }
    tn_test::TempDir dir_;
    std::string file_;
};

TEST_F(LibraryFilesByName, OpenOnceCloseExactly) {
    Library* first = open_library_file(file_.c_str(), 3);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->index, 3);
    EXPECT_EQ(open_library_file(upper_name().c_str(), 5), first);
    EXPECT_TRUE(is_library_open(file_.c_str()));
    EXPECT_FALSE(is_library_open(upper_name().c_str()));
    close_library_file(upper_name().c_str());
    EXPECT_EQ(lib_list->libraries->count, 1u);
    close_library_file(file_.c_str());
    EXPECT_EQ(lib_list->libraries->count, 0u);
    EXPECT_EQ(open_library_file(dir_.file("none.clb").c_str(), 0), nullptr);
}

TEST_F(LibraryFilesByName, OpenedLibrariesAreSortedByIndex) {
    std::string other = dir_.file("other.clb");
    LibraryPtr empty = empty_library();
    ASSERT_EQ(save_Library(other.c_str(), empty.get()), 0);
    ASSERT_NE(open_library_file(file_.c_str(), 4), nullptr);
    ASSERT_NE(open_library_file(other.c_str(), 1), nullptr);
    auto* head = static_cast<Library*>(lib_list->libraries->head->data);
    EXPECT_STREQ(head->name, "EMPTY");
}

TEST_F(LibraryFilesByName, PartsComeLoadedFromAnIndexOnlyLibrary) {
    proper_set(FAST_LOAD, 1, 0);
    LibEntry* entry = nullptr;
    Part* part = get_lib_part(file_.c_str(), "74ls00", 0, &entry);
    ASSERT_NE(part, nullptr);
    EXPECT_STREQ(entry->name.get(), "74LS00");
    EXPECT_EQ(part->refs, 2);  // both aliases got it
    EXPECT_EQ(find_LibEntry(static_cast<Library*>(lib_list->libraries->head->data), "7400")->part,
              part);
    EXPECT_EQ(get_lib_part(file_.c_str(), "NOPE", 0, &entry), nullptr);
    EXPECT_EQ(entry, nullptr);

    std::vector<LibPartRow> rows;
    EXPECT_EQ(find_lib_parts(file_.c_str(), "74*", &rows, 0), 4);
    EXPECT_EQ(find_lib_parts(dir_.file("none.clb").c_str(), "*", &rows, 0), 0);
    EXPECT_TRUE(rows.empty());
}

TEST_F(LibraryFilesByName, PrefixOfAPartName) {
    EXPECT_STREQ(lib_prefix_of("SAMPLE", nullptr, "R10"), "");  // nothing open
    Library* sample = open_library_file(file_.c_str(), 0);
    ASSERT_NE(sample, nullptr);
    EXPECT_STREQ(lib_prefix_of("sample", nullptr, "r10"), "R");
    EXPECT_STREQ(lib_prefix_of("elsewhere", nullptr, "C1"), "C");  // the last library
    EXPECT_STREQ(lib_prefix_of("", sample, "X1"), "");
    LibraryPtr none = empty_library();
    EXPECT_STREQ(lib_prefix_of("", none.get(), "R1"), "");
}

// The report is golden: regenerate with TN_UPDATE_GOLDEN=1 ./items_tests and
// review the diff of tests/data/model/items before committing it.
TEST_F(LibraryFilesByName, PrefixReport) {
    LibraryPtr library(new_Library());
    set_Library_name(library.get(), "REPORT");
    const char* prefixes[] = {"R", "C", "L", "D", "Q", "U", "J", "X", "RN", "TP"};
    for (const char* prefix : prefixes) add_prefix(library.get(), prefix, "");
    for (const char* name : {"R10", "C10", "Q10", "R1K", "L1K", "CR2", "RN4", "TP4", "TPX",
                             "7400", "7402", "7404", "7408", "7410", "BOARD"})
        add_entry(library.get(), name, nullptr);
    std::string report = dir_.file("report.lst");
    ASSERT_EQ(prefix_report(library.get(), report.c_str()), 0);
    std::string text = tn_test::read_text(report);
    expect_golden("prefix_report.lst", Bytes(text.begin(), text.end()));
    for (const LibEntry* entry : library->entries) EXPECT_EQ(entry->flags & ~ENTRY_WRITTEN, 0u);

    // An existing report is replaced only when the user agrees.
    tn_test::write_text(report, "old");
    script_answers({ANSWER_CANCEL});
    EXPECT_EQ(prefix_report(library.get(), report.c_str()), 0);
    clear_scripted_answers();
    EXPECT_EQ(tn_test::read_text(report), "old");
    EXPECT_EQ(prefix_report(library.get(), dir_.file("no/dir/r.lst").c_str()), 50);
}

}  // namespace
