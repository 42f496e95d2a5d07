// Library maintenance: parts on demand, merging with fonts, marking and
// purging, font use.
#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/fonts.h"
#include "model/items/item_streams.h"
#include "model/items/libmaint.h"
#include "model/items/library.h"
#include "model/items/library_samples.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "support/test_env.h"

using namespace items_test;
using namespace library_samples;

namespace {

class LibraryMaintenance : public testing::Test {
protected:
    void SetUp() override { reset_object_ids(1); }

    // The sample library saved and opened again as an index.
    LibraryPtr indexed_sample() {
        LibraryPtr sample = sample_library();
        file_ = dir_.file("sample.clb");
        EXPECT_EQ(save_Library(file_.c_str(), sample.get()), 0);
        LibraryPtr index(new_Library());
        EXPECT_EQ(load_Library(index.get(), file_.c_str(), true), 0);
        return index;
    }

    tn_test::TempDir dir_;
    std::string file_;
};

TEST_F(LibraryMaintenance, OnDemandPartGoesToEveryAliasAndSharesBodies) {
    LibraryPtr index = indexed_sample();
    LibEntry* nand = find_LibEntry(index.get(), "74LS00");
    ASSERT_EQ(load_part_on_demand(index.get(), nand->file_offset), 0);
    ASSERT_NE(nand->part, nullptr);
    EXPECT_EQ(nand->file_offset, 0);
    EXPECT_EQ(find_LibEntry(index.get(), "7400")->part, nand->part);
    EXPECT_EQ(nand->part->refs, 2);

    // 7405 refers to 7404's body: loading it loads 7404 too.
    LibEntry* open_collector = find_LibEntry(index.get(), "7405");
    int code = -9;
    Part* part = share_part_at(index.get(), index->file_name, open_collector->file_offset, &code);
    EXPECT_EQ(code, 0);
    ASSERT_EQ(part, open_collector->part);
    LibEntry* inverter = find_LibEntry(index.get(), "7404");
    ASSERT_NE(inverter->part, nullptr);
    EXPECT_EQ(part->normal, inverter->part->normal);
    EXPECT_EQ(part->normal->refs, 2);
    // The texts of parts loaded on demand are bound to the library's fonts.
    auto* text = static_cast<Text*>(part->normal->items->tail->data);
    EXPECT_EQ(text->fonts, index->fonts);
}

TEST_F(LibraryMaintenance, UnreadablePartIsAnErrorNotAStop) {
    LibraryPtr index = indexed_sample();
    LibEntry* entry = find_LibEntry(index.get(), "R");
    EXPECT_EQ(load_part_on_demand(index.get(), entry->file_offset + 1), LIB_SYNTAX_ERROR);
    EXPECT_EQ(load_part_on_demand(index.get(), -5), LIB_SYNTAX_ERROR);
    EXPECT_EQ(load_part_on_demand(index.get(), 1 << 30), LIB_SYNTAX_ERROR);
    std::filesystem::remove(file_);
    EXPECT_EQ(load_part_on_demand(index.get(), entry->file_offset), LIB_SYNTAX_ERROR);
    EXPECT_EQ(entry->part, nullptr);
    EXPECT_NE(entry->file_offset, 0);
    int code = 0;
    EXPECT_EQ(share_part_at(index.get(), nullptr, entry->file_offset, &code), nullptr);
    EXPECT_EQ(code, LIB_SYNTAX_ERROR);
}

TEST_F(LibraryMaintenance, DamagedPartRecordOnDemand) {
    LibraryPtr sample = sample_library();
    Bytes bytes = bytes_written([&](FILE* f) { write_Library(sample.get(), f, 0); });
    LibraryPtr index(new_Library());
    {
        StreamPtr stream = stream_of(bytes);
        ASSERT_EQ(read_Library(index.get(), stream.get(), true), 0);
    }
    LibEntry* entry = find_LibEntry(index.get(), "R@2");
    // Cut the file inside that part's record.
    file_ = dir_.file("cut.clb");
    tn_test::write_bytes(file_, Bytes(bytes.begin(), bytes.begin() + entry->file_offset + 20));
    set_Library_file_name(index.get(), file_.c_str());
    EXPECT_EQ(load_part_on_demand(index.get(), entry->file_offset), LIB_SYNTAX_ERROR);
    EXPECT_EQ(entry->part, nullptr);
}

TEST_F(LibraryMaintenance, PurgeFreesAPartWithItsLastEntry) {
    LibraryPtr sample = sample_library();
    Part* nand = find_LibEntry(sample.get(), "7400")->part;
    Part* resistor = find_LibEntry(sample.get(), "R")->part;
    {
        FlagOpScope clear(PART_HANDLED, FLAGOP_CLEAR);
        flag_Library_parts(sample.get());
    }
    nand->state |= PART_HANDLED;
    resistor->state |= PART_HANDLED;
    std::vector<LibPartRow> rows;
    EXPECT_EQ(find_part_entries(sample.get(), nand, &rows), 2);
    EXPECT_STREQ(rows[0].entry->name.get(), "74LS00");  // post-order: right subtree first
    purge_marked_parts(sample.get());
    EXPECT_EQ(find_LibEntry(sample.get(), "7400"), nullptr);
    EXPECT_EQ(find_LibEntry(sample.get(), "74LS00"), nullptr);
    EXPECT_EQ(find_LibEntry(sample.get(), "R"), nullptr);
    EXPECT_EQ(lib_entry_count(sample.get()), 4u);
    EXPECT_EQ(find_part_entries(sample.get(), nand, &rows), 0);
}

TEST_F(LibraryMaintenance, MarkLibraryFonts) {
    LibraryPtr sample = sample_library();
    std::vector<uint8_t> used(FONT_NUMBER_MAX + 1, 0);
    mark_library_fonts(sample.get(), used.data());
    for (int n = 0; n <= FONT_NUMBER_MAX; ++n) EXPECT_EQ(used[n], n == 1 ? 1 : 0) << n;
    for (const LibEntry* entry : sample->entries) EXPECT_TRUE(entry->part->state & PART_HANDLED);
}

TEST_F(LibraryMaintenance, MergeMovesNewNamesWithTheirFontsRenumberedOnce) {
    LibraryPtr source = sample_library();
    // The destination holds 7400 already and a different font under number 1.
    LibraryPtr destination(new_Library());
    Part* own = small_part("U", 500);
    add_entry(destination.get(), "7400", own);
    destination->fonts = list_new();
    dlist_append(destination->fonts, font(1, "Symbol", 100));
    Part* inverter = find_LibEntry(source.get(), "7404")->part;

    EXPECT_EQ(merge_Library(destination.get(), source.get()), 0);
    // 7400 stays in the source; its alias 74LS00 moves (the part shared).
    EXPECT_NE(find_LibEntry(source.get(), "7400"), nullptr);
    EXPECT_EQ(lib_entry_count(source.get()), 1u);
    EXPECT_EQ(find_LibEntry(destination.get(), "7400")->part, own);
    EXPECT_EQ(find_LibEntry(destination.get(), "74LS00")->part,
              find_LibEntry(source.get(), "7400")->part);
    EXPECT_EQ(lib_entry_count(destination.get()), 7u);
    // Source font 1 (Arial) took number 2 in the destination; source font 2
    // (Courier) number 3. The body that 7404 and 7405 share was renumbered
    // once: its text now uses font 2.
    ASSERT_NE(destination->fonts, nullptr);
    EXPECT_STREQ(font_find(destination->fonts, 2)->face_name, "Arial");
    EXPECT_STREQ(font_find(destination->fonts, 3)->face_name, "Courier New");
    auto* text = static_cast<Text*>(inverter->normal->items->tail->data);
    EXPECT_EQ(text->font, 12);
    EXPECT_EQ(text->fonts, destination->fonts);
}

TEST_F(LibraryMaintenance, LibraryFilesInTheLibraryDirectory) {
    proper_set(DIR_LIBRARY, dir_.path().string().c_str(), EXT_CLB, ".clb", EXT_SLB, ".slb", 0);
    tn_test::write_text(dir_.file("here.clb"), "x");
    tn_test::write_text(dir_.file("src.slb"), "x");
    EXPECT_EQ(library_file_exists("here"), 0);
    EXPECT_EQ(library_file_exists("src"), -1);
    EXPECT_EQ(library_source_exists("src"), 0);
    EXPECT_EQ(library_source_exists("here"), -1);
    proper_set(DIR_LIBRARY, ".\\library", 0);
}

}  // namespace
