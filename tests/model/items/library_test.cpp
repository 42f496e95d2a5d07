// Libraries: the binary and ASCII forms, round trips with shared bodies,
// references, damaged files, loading and saving.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <utility>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "foundation/tree.h"
#include "model/documents/compil.h"
#include "model/items/item_streams.h"
#include "model/items/libmaint.h"
#include "model/items/library.h"
#include "model/items/library_refs.h"
#include "model/items/library_samples.h"
#include "model/items/libutil.h"
#include "support/test_env.h"

using namespace items_test;
using namespace library_samples;

namespace {

Bytes binary_of(Library* library, uint32_t mask = 0) {
    return bytes_written([&](FILE* f) { EXPECT_EQ(write_Library(library, f, mask), 0); });
}

std::string ascii_of(Library* library) {
    return text_written([&](FILE* f) { EXPECT_EQ(awrite_Library(library, f, 0), 0); });
}

int read_library(const Bytes& bytes, LibraryPtr* out, bool index_only = false) {
    out->reset(new_Library());
    StreamPtr stream = stream_of(bytes);
    return read_Library(out->get(), stream.get(), index_only);
}

std::vector<std::string> names_of(const Library* library) {
    std::vector<std::string> names;
    for (const LibEntry* entry : library->entries) names.emplace_back(entry->name.get());
    return names;
}

class LibraryFiles : public testing::Test {
protected:
    void SetUp() override {
        reset_object_ids(1);
        init_Libraries();
    }
    void TearDown() override {
        free_LibraryList(lib_list);
        lib_list = nullptr;
    }
};

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./items_tests and review
// the diff of tests/data/model/items before committing it.
TEST_F(LibraryFiles, BinaryAndAsciiFormsMatchTheGoldenFiles) {
    LibraryPtr empty = empty_library();
    expect_golden("library_empty.bin", binary_of(empty.get()));
    std::string text = ascii_of(empty.get());
    expect_golden("library_empty.txt", Bytes(text.begin(), text.end()));
    LibraryPtr sample = sample_library();
    expect_golden("library_sample.bin", binary_of(sample.get()));
    text = ascii_of(sample.get());
    expect_golden("library_sample.txt", Bytes(text.begin(), text.end()));
}

TEST_F(LibraryFiles, HeaderTextIsTheLibraryFileHeader) {
    LibraryPtr empty = empty_library();
    Bytes bytes = binary_of(empty.get());
    std::string header = "@Tessaron V2.02  -- 12/21/95  * Library File";
    ASSERT_GT(bytes.size(), header.size() + 2);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + header.size()), header);
    EXPECT_EQ(bytes[header.size()], 0);
    EXPECT_EQ(bytes[header.size() + 1], 0x1A);
    EXPECT_EQ(bytes[header.size() + 2], LIBRARY_TAG);
    EXPECT_EQ(bytes.back(), 'p');
}

TEST_F(LibraryFiles, AsciiFormIsAcceptedByTheSourceReader) {
    for (auto make : {empty_library, sample_library}) {
        LibraryPtr library = make();
        std::string text = ascii_of(library.get());
        CompilBuilder syntax_only;
        EXPECT_EQ(compil_string(text, COMPIL_LIBRARY, syntax_only), 0) << text;
    }
}

TEST_F(LibraryFiles, RoundTripKeepsBytesAliasesAndSharedBodies) {
    LibraryPtr sample = sample_library();
    Bytes first = binary_of(sample.get());
    LibraryPtr read;
    ASSERT_EQ(read_library(first, &read), 0);
    EXPECT_EQ(binary_of(read.get()), first);
    EXPECT_EQ(names_of(read.get()), names_of(sample.get()));
    EXPECT_STREQ(read->name, "SAMPLE");
    EXPECT_EQ(read->prefixes->count, 3u);
    ASSERT_NE(read->fonts, nullptr);
    EXPECT_EQ(read->fonts->count, 2u);

    LibEntry* nand = find_LibEntry(read.get(), "7400");
    LibEntry* alias = find_LibEntry(read.get(), "74ls00");
    ASSERT_TRUE(nand && alias && nand->part);
    EXPECT_EQ(nand->part, alias->part);
    EXPECT_EQ(nand->part->refs, 2);
    EXPECT_EQ(alias->attributes->count, 2u);

    Part* inverter = find_LibEntry(read.get(), "7404")->part;
    Part* open_collector = find_LibEntry(read.get(), "7405")->part;
    ASSERT_NE(inverter->normal, nullptr);
    EXPECT_EQ(inverter->normal, open_collector->normal);
    EXPECT_EQ(inverter->normal->refs, 2);
    EXPECT_EQ(inverter->normal->saved_mode, DEFINE_VEC);
    EXPECT_EQ(open_collector->convert->refs, 1);

    // The texts are bound to the library's fonts.
    auto* text = static_cast<Text*>(inverter->normal->items->tail->data);
    EXPECT_EQ(text->fonts, read->fonts);
}

TEST_F(LibraryFiles, SharedBodyIsWrittenOnceThenByReference) {
    LibraryPtr sample = sample_library();
    Bytes bytes = binary_of(sample.get());
    // " " + 0x22 + "7404" + NUL: the second holder refers to the first.
    const unsigned char ref[] = {' ', 0x22, '7', '4', '0', '4', 0};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(ref), std::end(ref)), bytes.end());
    // Writing restored every body: nothing looks like a reference afterwards
    // and a second file is the same.
    Part* inverter = find_LibEntry(sample.get(), "7404")->part;
    EXPECT_EQ(inverter->normal->shared_mode, DEFINE_VEC);
    EXPECT_EQ(binary_of(sample.get()), bytes);
}

TEST_F(LibraryFiles, FileWithoutHeaderReadsTheSame) {
    LibraryPtr sample = sample_library();
    Bytes bytes = binary_of(sample.get());
    size_t body = std::find(bytes.begin(), bytes.end(), 0x1A) - bytes.begin() + 1;
    LibraryPtr read;
    ASSERT_EQ(read_library(Bytes(bytes.begin() + body, bytes.end()), &read), 0);
    EXPECT_EQ(binary_of(read.get()), bytes);
}

TEST_F(LibraryFiles, AnotherRecordIsPushedBack) {
    LibraryPtr read;
    StreamPtr stream = stream_of({0xC5, 1, 2});
    read.reset(new_Library());
    EXPECT_EQ(read_Library(read.get(), stream.get(), false), NOT_MY_TAG);
    EXPECT_EQ(std::fgetc(stream.get()), 0xC5);
    EXPECT_FALSE(lib_reading());
}

TEST_F(LibraryFiles, MaskWritesStartedGroupsWithAllTheirAliasesAndClearsTheMask) {
    LibraryPtr sample = sample_library();
    find_LibEntry(sample.get(), "74LS00")->flags |= 0x100;
    Bytes bytes = binary_of(sample.get(), 0x100);
    LibraryPtr read;
    ASSERT_EQ(read_library(bytes, &read), 0);
    EXPECT_EQ(names_of(read.get()), (std::vector<std::string>{"7400", "74LS00"}));
    for (const LibEntry* entry : sample->entries) EXPECT_EQ(entry->flags & 0x100, 0u);
}

TEST_F(LibraryFiles, IndexOnlyReadKeepsOffsetsAndNoParts) {
    LibraryPtr sample = sample_library();
    Bytes bytes = binary_of(sample.get());
    LibraryPtr index;
    ASSERT_EQ(read_library(bytes, &index, true), 0);
    EXPECT_EQ(names_of(index.get()), names_of(sample.get()));
    for (const LibEntry* entry : index->entries) {
        EXPECT_EQ(entry->part, nullptr);
        ASSERT_GT(entry->file_offset, 0);
        EXPECT_EQ(bytes[entry->file_offset], PART_TAG);
    }
    EXPECT_EQ(find_LibEntry(index.get(), "7400")->file_offset,
              find_LibEntry(index.get(), "74LS00")->file_offset);
}

// A library with parts A (own body) and B, C whose normal bodies refer to
// other parts' bodies: (B -> A) resolves; the cases below break it.
struct ReferenceCase {
    const char* name;
    const char* b_refers_to;
    int b_mode;
    const char* c_refers_to;  // null: C holds its own body
    int expected;             // B's result
    int load_code;            // the read's: the last failure, in name order
    int holders;              // of B's body when resolved
};

LibraryPtr referring_library(const ReferenceCase& c) {
    LibraryPtr library(new_Library());
    set_Library_name(library.get(), "REFS");
    add_entry(library.get(), "A", small_part("U", 1000));
    Part* b = small_part("U", 1000);
    b->normal->saved_mode = static_cast<uint8_t>(c.b_mode);
    b->normal->name.set(c.b_refers_to);
    add_entry(library.get(), "B", b);
    Part* cpart = small_part("U", 1000);
    if (c.c_refers_to) {
        cpart->normal->saved_mode = NORMALOF_VEC;
        cpart->normal->name.set(c.c_refers_to);
    }
    add_entry(library.get(), "C", cpart);
    return library;
}

class LibraryReferences : public testing::TestWithParam<ReferenceCase> {
protected:
    void SetUp() override { reset_object_ids(1); }
};

TEST_P(LibraryReferences, ResolveGivesTheCodeAndLeavesTheBrokenBodyAbsent) {
    LibraryPtr library = referring_library(GetParam());
    // A reference set is written as such: the file carries it as read.
    Bytes bytes = binary_of(library.get());
    LibraryPtr read;
    int expected = GetParam().expected;
    EXPECT_EQ(read_library(bytes, &read), GetParam().load_code);
    Part* b = find_LibEntry(read.get(), "B")->part;
    if (expected == 0) {
        ASSERT_NE(b->normal, nullptr);
        EXPECT_EQ(b->normal->saved_mode, DEFINE_VEC);
    } else {
        EXPECT_EQ(b->normal, nullptr);
    }
    // Loading on demand finds the same.
    LibraryPtr index;
    ASSERT_EQ(read_library(bytes, &index, true), 0);
    tn_test::TempDir dir;
    std::string path = dir.file("refs.clb");
    tn_test::write_bytes(path, bytes);
    set_Library_file_name(index.get(), path.c_str());
    // Loading the file whole reports any read failure as a syntax error.
    LibraryPtr loaded(new_Library());
    EXPECT_EQ(load_Library(loaded.get(), path.c_str(), false),
              expected == 0 ? 0 : LIB_SYNTAX_ERROR);
    LibEntry* entry = find_LibEntry(index.get(), "B");
    int code = load_part_on_demand(index.get(), entry->file_offset);
    if (expected == 0) {
        EXPECT_EQ(code, 0);
        EXPECT_EQ(entry->part->normal, find_LibEntry(index.get(), "A")->part->normal);
        EXPECT_EQ(entry->part->normal->refs, GetParam().holders);
    } else {
        EXPECT_NE(code, 0);
        ASSERT_NE(entry->part, nullptr);
        EXPECT_EQ(entry->part->normal, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LibraryReferences,
    testing::Values(ReferenceCase{"Resolves", "A", NORMALOF_VEC, nullptr, 0, 0, 2},
                    ReferenceCase{"ChainResolves", "C", NORMALOF_VEC, "A", 0, 0, 3},
                    ReferenceCase{"MissingEntry", "NOPE", NORMALOF_VEC, nullptr, 74, 76, 0},
                    ReferenceCase{"MissingConvertedBody", "A", CONVERTOF_VEC, nullptr, 74, 76, 0},
                    ReferenceCase{"SelfLoop", "B", NORMALOF_VEC, nullptr, 75, 77, 0},
                    // B finds the loop; C, read after it, then refers to nothing.
                    ReferenceCase{"TwoPartLoop", "C", NORMALOF_VEC, "B", 75, 76, 0}),
    [](const testing::TestParamInfo<ReferenceCase>& info) { return info.param.name; });

// A library of random references between parts: chains, cycles, chains
// into cycles, missing names and missing converted bodies, some parts under
// two names. The same for the same seed.
LibraryPtr random_references(uint32_t seed) {
    std::mt19937 rng(seed);
    int parts = 2 + static_cast<int>(rng() % 30);
    auto name = [](int i) { return "P" + std::to_string(i); };
    auto refer = [&](Vectors* set) {
        int to = static_cast<int>(rng() % (parts + 2));  // past the end: missing
        set->saved_mode = rng() % 4 == 0 ? CONVERTOF_VEC : NORMALOF_VEC;
        set->name.set(name(to).c_str());
    };
    LibraryPtr library(new_Library());
    for (int i = 0; i < parts; ++i) {
        Part* part = small_part("U", 100 + i);
        if (rng() % 4 != 0) refer(part->normal);
        if (rng() % 2 == 0) {
            part->convert = new_Vectors();
            ref_Vectors(part->convert);
            if (rng() % 3 != 0) refer(part->convert);
        }
        add_entry(library.get(), name(i).c_str(), part);
        if (rng() % 8 == 0) add_entry(library.get(), ("Q" + std::to_string(i)).c_str(), part);
    }
    return library;
}

// What every body slot holds: the name of the part whose own body it is.
std::string slot_states(Library* library, const std::map<const Vectors*, std::string>& owners) {
    std::string states;
    for (LibEntry* entry : lib_entries_in_order(library))
        for (const Vectors* body : {entry->part->normal, entry->part->convert})
            states += (body ? owners.at(body) : std::string("-")) + " ";
    return states;
}

std::map<const Vectors*, std::string> body_owners(Library* library) {
    std::map<const Vectors*, std::string> owners;
    for (LibEntry* entry : lib_entries_in_order(library)) {
        Part* part = entry->part;
        if (part->normal && part->normal->saved_mode == DEFINE_VEC)
            owners.emplace(part->normal, std::string(entry->name.get()) + "n");
        if (part->convert && part->convert->saved_mode == DEFINE_VEC)
            owners.emplace(part->convert, std::string(entry->name.get()) + "c");
    }
    return owners;
}

// Resolves the library part by part through resolve_part_body: what the
// whole resolution must give, its warnings included.
int resolve_one_by_one(Library* library) {
    int last_failure = 0;
    for (LibEntry* entry : lib_entries_in_order(library)) {
        for (bool convert : {false, true}) {
            int code = resolve_part_body(library, entry->part, convert, nullptr);
            if (code == 0) continue;
            last_failure = code;
            warning(convert ? "Part '%s', Converted Vector" : "Part '%s',Normal Vector",
                    entry->name.get());
            warning("Vector ignored.");
            warning("%s", message_text(nullptr, RuntimeCode{code}).c_str());
        }
    }
    return last_failure;
}

// Collects the debug output (warnings) while it lives.
struct DebugCapture {
    DebugCapture() {
        Services s;
        s.debug_write = [this](const char* text) { text_ += text; };
        install_services(s);
        debug_enabled = true;
    }
    ~DebugCapture() {
        debug_enabled = was_;
        reset_services();
    }
    std::string take() { return std::exchange(text_, std::string()); }
    bool was_ = debug_enabled;
    std::string text_;
};

TEST(LibraryReferenceChains, ResolveAsPartByPartResolutionDoes) {
    DebugCapture debug;
    int loops = 0, missing = 0;
    for (uint32_t seed = 1; seed <= 400; ++seed) {
        LibraryPtr one = random_references(seed), all = random_references(seed);
        std::map<const Vectors*, std::string> owners_one = body_owners(one.get());
        std::map<const Vectors*, std::string> owners_all = body_owners(all.get());
        int expected = resolve_one_by_one(one.get());
        std::string expected_debug = debug.take();
        EXPECT_EQ(resolve_LibVectors(all.get(), true), expected) << "seed " << seed;
        EXPECT_EQ(debug.take(), expected_debug) << "seed " << seed;
        EXPECT_EQ(slot_states(all.get(), owners_all), slot_states(one.get(), owners_one))
            << "seed " << seed;
        loops +=
            expected_debug.find(message_text(nullptr, LIB_REFERENCE_LOOP)) != std::string::npos;
        missing +=
            expected_debug.find(message_text(nullptr, LIB_NULL_REFERENCE)) != std::string::npos;
    }
    EXPECT_GT(loops, 50) << "the samples hold cycles";
    EXPECT_GT(missing, 50) << "and missing bodies";
}

// Every prefix of a whole file fails cleanly; so do bad tags in every
// list. Run under the sanitizers this also shows that nothing leaks.
TEST_F(LibraryFiles, DamagedFilesGiveErrorCodes) {
    LibraryPtr sample = sample_library();
    Bytes bytes = binary_of(sample.get());
    for (bool index_only : {false, true}) {
        for (size_t n = 0; n < bytes.size(); ++n) {
            LibraryPtr read;
            int result = read_library(Bytes(bytes.begin(), bytes.begin() + n), &read, index_only);
            EXPECT_NE(result, 0) << "prefix of " << n << " bytes";
            EXPECT_NE(result, NOT_MY_TAG) << n;
            EXPECT_FALSE(lib_reading());
        }
    }
    // Each byte that is a list tag or a list end, replaced by a stranger.
    size_t checked = 0;
    for (size_t at = 1; at < bytes.size(); ++at) {
        if (bytes[at] != PREFIX_TAG && bytes[at] != PART_GROUP_TAG && bytes[at] != ENTRY_TAG &&
            bytes[at] != ALIAS_LIST_TAG)
            continue;
        Bytes damaged = bytes;
        damaged[at] = 0x99;
        LibraryPtr read;
        int result = read_library(damaged, &read);
        (void)result;  // any code, or 0 when the byte was inside a string
        ++checked;
    }
    EXPECT_GT(checked, 10u);
}

TEST_F(LibraryFiles, LongPartNamesReloadWholeAndTheLibraryNameIsCutWhereItIsSet) {
    std::string long_name(300, 'N');
    LibraryPtr library = empty_library();
    set_Library_name(library.get(), long_name.c_str());
    EXPECT_EQ(std::strlen(library->name), size_t{LIB_NAME_MAX});
    // Two parts whose names share their first 200 characters.
    add_entry(library.get(), (long_name + "A").c_str(), small_part("U", 10));
    add_entry(library.get(), (long_name + "B").c_str(), small_part("R", 20));
    Bytes bytes = binary_of(library.get());
    LibraryPtr read;
    ASSERT_EQ(read_library(bytes, &read), 0);
    EXPECT_EQ(std::string(read->name), long_name.substr(0, LIB_NAME_MAX));
    ASSERT_EQ(lib_entry_count(read.get()), 2u);
    auto it = read->entries.begin();
    EXPECT_EQ(std::string((*it)->name.get()), long_name + "A");
    ++it;
    EXPECT_EQ(std::string((*it)->name.get()), long_name + "B");
    EXPECT_EQ(binary_of(read.get()), bytes) << "what was saved reloads equal";
}

// --- look-ups ---------------------------------------------------------------------------

struct LatestCase {
    std::vector<const char*> names;
    const char* wanted;
    bool reading;
    const char* expected;  // null: none
};

class LatestVersion : public testing::TestWithParam<LatestCase> {};

TEST_P(LatestVersion, FindsTheNewestEntry) {
    LibraryPtr library = empty_library();
    for (const char* name : GetParam().names) add_entry(library.get(), name, nullptr);
    set_lib_reading(GetParam().reading);
    LibEntry* found = find_LibEntry_latest(library.get(), GetParam().wanted);
    set_lib_reading(false);
    if (!GetParam().expected) {
        EXPECT_EQ(found, nullptr);
    } else {
        ASSERT_NE(found, nullptr);
        EXPECT_STREQ(found->name.get(), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LatestVersion,
    testing::Values(LatestCase{{"R", "R@2", "R@10"}, "R", false, "R@10"},
                    LatestCase{{"R", "R@2", "R@10"}, "r", false, "R@10"},
                    LatestCase{{"R"}, "R", false, "R"}, LatestCase{{"R@0"}, "R", false, nullptr},
                    LatestCase{{"R", "R@0"}, "R", false, "R"},
                    LatestCase{{"R1", "R@3", "RA@9", "S@4"}, "R", false, "R@3"},
                    LatestCase{{"R", "R@2"}, "R@2", false, nullptr},
                    LatestCase{{"R", "R@2"}, "R@2", true, "R@2"},
                    LatestCase{{"R", "R@2"}, "R", true, "R"},
                    LatestCase{{"X"}, "R", false, nullptr}));

TEST(LibraryTree, InsertReplacesAnEqualNameAndOrderIgnoresCase) {
    LibraryPtr library = empty_library();
    add_entry(library.get(), "b", nullptr);
    add_entry(library.get(), "A", nullptr);
    add_entry(library.get(), "_x", nullptr);  // '_' sorts before letters folded to lower case
    LibEntry* replacement = new_LibEntry();
    replacement->name.set("B");
    LibEntry* old = lib_insert_entry(library.get(), replacement);
    ASSERT_NE(old, nullptr);
    EXPECT_STREQ(old->name.get(), "b");
    free_LibEntry(old);
    EXPECT_EQ(names_of(library.get()), (std::vector<std::string>{"_x", "A", "B"}));
    EXPECT_EQ(find_LibPart(library.get(), nullptr, "a"), find_LibEntry(library.get(), "A"));
    Part* other = new_Part();
    EXPECT_EQ(find_LibPart(library.get(), other, "a"), nullptr);
    free_Part(other);
    LibEntry* removed = lib_remove_entry(library.get(), "a");
    ASSERT_NE(removed, nullptr);
    free_LibEntry(removed);
    EXPECT_EQ(lib_remove_entry(library.get(), "a"), nullptr);
    init_Libraries();
    TreeCompareFn installed = tree_set_compare(nullptr);
    tree_set_compare(installed);
    EXPECT_EQ(installed, lib_entry_compare);
    LibEntry a, b;
    a.name.set("abc");
    b.name.set("ABD");
    EXPECT_LT(lib_entry_compare(&a, &b), 0);
}

TEST(LibraryTree, ALookUpAfterTheTreeChangedFindsTheEntryNowThere) {
    LibraryPtr library = empty_library();
    add_entry(library.get(), "R", nullptr);
    add_entry(library.get(), "C", nullptr);
    LibEntry* first = find_LibEntry(library.get(), "r");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(find_LibEntry(library.get(), "R"), first);
    // Replaced under an equal name: the replacement, never the freed one.
    LibEntry* replacement = new_LibEntry();
    replacement->name.set("r");
    LibEntry* old = lib_insert_entry(library.get(), replacement);
    EXPECT_EQ(old, first);
    free_LibEntry(old);
    EXPECT_EQ(find_LibEntry(library.get(), "R"), replacement);
    // Removed: found no more; another name between look-ups still found.
    EXPECT_NE(find_LibEntry(library.get(), "c"), nullptr);
    EXPECT_EQ(find_LibEntry(library.get(), "R"), replacement);
    free_LibEntry(lib_remove_entry(library.get(), "R"));
    EXPECT_EQ(find_LibEntry(library.get(), "R"), nullptr);
    EXPECT_EQ(find_LibEntry(library.get(), "RX"), nullptr);
    EXPECT_STREQ(find_LibEntry(library.get(), "C")->name.get(), "C");
}

// --- the list of open libraries and files ----------------------------------------------

TEST_F(LibraryFiles, SortPutsUnindexedLibrariesLast) {
    for (int index : {2, -1, 0, 1}) {
        Library* library = new_Library();
        library->index = index;
        dlist_append(lib_list->libraries, library);
    }
    sort_lib_list();
    std::vector<int> order;
    for (Library* library : list_items<Library>(lib_list->libraries))
        order.push_back(library->index);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, -1}));
}

TEST_F(LibraryFiles, StandardLibraryIndexComparesExactly) {
    stdlib_clear();
    ASSERT_EQ(stdlib_insert("ttl", 0), 0);
    ASSERT_EQ(stdlib_insert("cmos", 1), 0);
    EXPECT_EQ(find_stdlib_index("cmos"), 1);
    EXPECT_EQ(find_stdlib_index("CMOS"), -1);
    EXPECT_EQ(find_stdlib_index(nullptr), -1);
    stdlib_clear();
}

TEST_F(LibraryFiles, VerboseResolutionNamesThePartAndTheForm) {
    LibraryPtr library(new_Library());
    Part* part = small_part("U", 100);
    part->convert = new_Vectors();
    ref_Vectors(part->convert);
    part->convert->saved_mode = CONVERTOF_VEC;
    part->convert->name.set("GONE");
    add_entry(library.get(), "X", part);
    std::string debug;
    {
        DebugCapture capture;
        EXPECT_EQ(resolve_LibVectors(library.get(), true), LIB_NULL_REFERENCE);
        debug = capture.take();
    }
    EXPECT_NE(debug.find("Part 'X', Converted Vector"), std::string::npos) << debug;
    EXPECT_NE(debug.find("Vector ignored."), std::string::npos);
    EXPECT_EQ(part->convert, nullptr);
    EXPECT_NE(part->normal, nullptr);
}

class LibraryOnDisk : public LibraryFiles {
protected:
    std::string path(const char* name) { return dir_.file(name); }
    tn_test::TempDir dir_;
};

TEST_F(LibraryOnDisk, OpenSaveAndReopen) {
    LibraryPtr sample = sample_library();
    std::string file = path("sample.clb");
    ASSERT_EQ(save_Library(file.c_str(), sample.get()), 0);
    EXPECT_EQ(tn_test::read_bytes(file), binary_of(sample.get()));
    EXPECT_EQ(open_Library(path("missing.clb").c_str(), false), LIB_NOT_FOUND);
    EXPECT_EQ(lib_list->libraries->count, 0u);
    ASSERT_EQ(open_Library(file.c_str(), false), 0);
    ASSERT_EQ(lib_list->libraries->count, 1u);
    auto* open = static_cast<Library*>(lib_list->libraries->head->data);
    EXPECT_EQ(std::string(open->file_name), file);
    // Saving over the file of an open library drops the open copy.
    ASSERT_EQ(save_Library(file.c_str(), sample.get()), 0);
    EXPECT_EQ(lib_list->libraries->count, 0u);
}

TEST_F(LibraryOnDisk, UnreadableFileIsASyntaxError) {
    std::string file = path("bad.clb");
    tn_test::write_bytes(file, {LIBRARY_TAG, 'X', 0, PREFIX_LIST_TAG, 0x42});
    EXPECT_EQ(open_Library(file.c_str(), false), LIB_SYNTAX_ERROR);
    EXPECT_EQ(lib_list->libraries->count, 0u);
}

TEST_F(LibraryOnDisk, SavingAnIndexOnlyLibraryKeepsEveryPart) {
    LibraryPtr sample = sample_library();
    Bytes full = binary_of(sample.get());
    std::string file = path("index.clb");
    tn_test::write_bytes(file, full);
    LibraryPtr index(new_Library());
    ASSERT_EQ(load_Library(index.get(), file.c_str(), true), 0);
    // To another file and over its own file: every part is there.
    ASSERT_EQ(save_Library(path("copy.clb").c_str(), index.get()), 0);
    EXPECT_EQ(tn_test::read_bytes(path("copy.clb")), full);
    LibraryPtr again(new_Library());
    ASSERT_EQ(load_Library(again.get(), file.c_str(), true), 0);
    ASSERT_EQ(save_Library(file.c_str(), again.get()), 0);
    EXPECT_EQ(tn_test::read_bytes(file), full);
}

TEST_F(LibraryOnDisk, FailedSaveLeavesTheOldFileAndNoBackup) {
    LibraryPtr sample = sample_library();
    Bytes full = binary_of(sample.get());
    std::string source = path("gone.clb");
    tn_test::write_bytes(source, full);
    LibraryPtr index(new_Library());
    ASSERT_EQ(load_Library(index.get(), source.c_str(), true), 0);
    std::filesystem::remove(source);  // its parts can no longer be read
    std::string target = path("target.clb");
    tn_test::write_bytes(target, {'o', 'l', 'd'});
    proper_set(BAK_FILE, 1, 0);
    EXPECT_EQ(save_Library(target.c_str(), index.get()), LIB_SYNTAX_ERROR);
    EXPECT_EQ(tn_test::read_bytes(target), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(std::filesystem::exists(path("target.BAK")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_EQ(save_Library(path("no/such/dir/x.clb").c_str(), sample.get()), LIB_CANNOT_CREATE);
}

TEST_F(LibraryOnDisk, AsciiSaveWritesTheSource) {
    LibraryPtr sample = sample_library();
    std::string file = path("sample.slb");
    ASSERT_EQ(asave_Library(file.c_str(), sample.get()), 0);
    EXPECT_EQ(tn_test::read_text(file), ascii_of(sample.get()));
}

TEST_F(LibraryOnDisk, OnDemandLoadingGivesTheSamePartsAsFullLoading) {
    LibraryPtr sample = sample_library();
    std::string file = path("sample.clb");
    ASSERT_EQ(save_Library(file.c_str(), sample.get()), 0);
    LibraryPtr full(new_Library());
    LibraryPtr index(new_Library());
    ASSERT_EQ(load_Library(full.get(), file.c_str(), false), 0);
    ASSERT_EQ(load_Library(index.get(), file.c_str(), true), 0);
    // In reverse order, so that references meet parts not loaded yet.
    for (LibEntry* entry : lib_entries_post_order(index.get())) {
        if (entry->part) continue;
        ASSERT_EQ(load_part_on_demand(index.get(), entry->file_offset), 0) << entry->name.get();
    }
    for (LibEntry* entry : index->entries) {
        LibEntry* twin = find_LibEntry(full.get(), entry->name.get());
        ASSERT_TRUE(entry->part && twin->part) << entry->name.get();
        EXPECT_TRUE(part_equal(entry->part, twin->part)) << entry->name.get();
        EXPECT_EQ(entry->part->refs, twin->part->refs) << entry->name.get();
        EXPECT_EQ(entry->part->normal->refs, twin->part->normal->refs) << entry->name.get();
    }
    EXPECT_EQ(find_LibEntry(index.get(), "7404")->part->normal,
              find_LibEntry(index.get(), "7405")->part->normal);
    EXPECT_EQ(binary_of(index.get()), binary_of(full.get()));
}

}  // namespace
