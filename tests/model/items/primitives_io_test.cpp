// Binary and ASCII forms of the graphic primitives, and readers fed with
// damaged records.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/item.h"
#include "model/items/item_streams.h"
#include "model/items/primitives.h"
#include "support/test_env.h"

using namespace items_test;

namespace {

struct Kind {
    const char* name;
    ItemPtr (*make)();
    // Offsets at which a record may end early and still be whole: before
    // its optional id, and a fill also before its optional boundary list.
    std::set<size_t> (*optional_tails)(const Bytes& record);
};

std::set<size_t> before_id(const Bytes& record) { return {record.size() - 5}; }

const Kind kinds[] = {
    {"line", sample_line, before_id},
    {"arc", sample_arc, before_id},
    {"circle", sample_circle, before_id},
    {"rect", sample_rect, before_id},
    {"fill",
     sample_fill,
     [](const Bytes&) {
         return std::set<size_t>{12, 17};  // tag, flags, seed, width | 'g', id | 'q'
     }},
    {"junction", sample_junction, before_id},
    {"poly", sample_poly, before_id},
};

class PrimitiveForms : public testing::TestWithParam<Kind> {
protected:
    void SetUp() override { reset_object_ids(1); }
};

Bytes binary_of(Item* item, uint32_t mask = 0) {
    return bytes_written([&](FILE* f) { write_Item(item, f, mask); });
}

// Golden files: regenerate with TN_UPDATE_GOLDEN=1 ./items_tests and review
// the diff of tests/data/model/items before committing it.
TEST_P(PrimitiveForms, BinaryAndAsciiFormsMatchTheGoldenFiles) {
    ItemPtr item = GetParam().make();
    expect_golden(std::string(GetParam().name) + ".bin", binary_of(item.get()));
    std::string text = text_written([&](FILE* f) { awrite_Item(item.get(), f, 1); });
    expect_golden(std::string(GetParam().name) + ".txt", Bytes(text.begin(), text.end()));
}

TEST_P(PrimitiveForms, GoldenBinaryReadsBackEqual) {
    ItemPtr item = GetParam().make();
    Bytes golden = tn_test::read_bytes(tn_test::data_path(std::string("model/items/") +
                                                         GetParam().name + ".bin"));
    ItemPtr read;
    ASSERT_EQ(read_one(golden, &read), 0);
    EXPECT_TRUE(compare_Item(item.get(), read.get()));
    EXPECT_EQ(read->width, item->width);
    EXPECT_EQ(read->flags, item->flags);
    EXPECT_EQ(read->state, STATE_NEW);
    EXPECT_EQ(read->id, 1u);
    EXPECT_GT(new_object_id(), read->id) << "a read id is never handed out again";
}

TEST_P(PrimitiveForms, EveryCutOfTheRecordIsAnErrorUnlessOnlyOptionalPartsAreMissing) {
    Bytes full = binary_of(GetParam().make().get());
    std::set<size_t> whole = GetParam().optional_tails(full);
    for (size_t cut = 0; cut < full.size(); ++cut) {
        Bytes prefix(full.begin(), full.begin() + static_cast<long>(cut));
        ItemPtr item(new_Item(full[0] - ITEM_TAG_BASE));
        StreamPtr stream = stream_of(prefix);
        int result = read_Item(item.get(), stream.get());
        if (whole.count(cut)) {
            EXPECT_EQ(result, 0) << "cut at " << cut;
        } else {
            EXPECT_NE(result, 0) << "cut at " << cut;
            EXPECT_NE(result, NOT_MY_TAG) << "cut at " << cut;
        }
    }
}

TEST_P(PrimitiveForms, StoredWidthBelowTwoReadsAs100) {
    Bytes record = binary_of(GetParam().make().get());
    // The width field's offset: after the points, or right after the flags
    // for the polyline.
    size_t at = std::string(GetParam().name) == "poly" ? 2
                : std::string(GetParam().name) == "fill" ? 10
                                                          : record.size() - 7;
    for (int16_t stored : {0, 1, -7}) {
        record[at] = static_cast<unsigned char>(stored >> 8 & 0xFF);
        record[at + 1] = static_cast<unsigned char>(stored & 0xFF);
        ItemPtr read;
        ASSERT_EQ(read_one(record, &read), 0);
        EXPECT_EQ(read->width, 100) << stored;
    }
}

TEST_P(PrimitiveForms, RecordWithoutIdReadsIdZeroAndLeavesTheNextByte) {
    ItemPtr item = GetParam().make();
    item->id = 77;
    Bytes record = binary_of(item.get());
    // Drop 'g' and the id (the fill: keep what follows them).
    size_t g = std::string(GetParam().name) == "fill" ? 12 : record.size() - 5;
    record.erase(record.begin() + static_cast<long>(g), record.begin() + static_cast<long>(g) + 5);
    record.push_back(0xE0);
    ItemPtr read(new_Item(item->type));
    StreamPtr stream = stream_of(record);
    ASSERT_EQ(read_Item(read.get(), stream.get()), 0);
    EXPECT_EQ(read->id, 0u);
    EXPECT_EQ(rest_of(stream.get()), Bytes{0xE0});
}

TEST_P(PrimitiveForms, ForeignTagIsPushedBack) {
    ItemPtr item = GetParam().make();
    for (int tag : {0xC0, 0xC7, 0xCA, 0xE0, int{'g'}}) {
        if (tag == item_tag(item->type)) continue;
        StreamPtr stream = stream_of({static_cast<unsigned char>(tag), 1, 2});
        EXPECT_EQ(read_Item(item.get(), stream.get()), NOT_MY_TAG);
        EXPECT_EQ(std::fgetc(stream.get()), tag);
    }
}

TEST_P(PrimitiveForms, FilterMaskSkipsRecordsThatShareNoBit) {
    ItemPtr item = GetParam().make();
    EXPECT_TRUE(binary_of(item.get(), STATE_SELECTED).empty());
    EXPECT_FALSE(binary_of(item.get(), STATE_NEW).empty());
    EXPECT_FALSE(mask_Item(STATE_SELECTED, item.get()));
    EXPECT_TRUE(mask_Item(0, item.get()));
}

TEST_P(PrimitiveForms, CopyIsEqualOwnsItsPartsAndHasNoId) {
    ItemPtr item = GetParam().make();
    item->id = 42;
    ItemPtr copy(copy_Item(item.get()));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(compare_Item(item.get(), copy.get()));
    EXPECT_EQ(copy->id, 0u);
    EXPECT_EQ(copy->width, item->width);
    EXPECT_EQ(copy->state, item->state);
    item.reset();  // the copy must not share anything with the source
    EXPECT_FALSE(bytes_written([&](FILE* f) { write_Item(copy.get(), f, 0); }).empty());
}

INSTANTIATE_TEST_SUITE_P(Primitives, PrimitiveForms, testing::ValuesIn(kinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PrimitiveAscii, StyleAndShapeWords) {
    struct Case {
        ItemPtr item;
        const char* expected;
    };
    auto line = [](uint8_t flags) {
        ItemPtr item = sample_line();
        item->flags = flags;
        return item;
    };
    auto junction = [](int16_t size, uint8_t shape) {
        ItemPtr item = sample_junction();
        item->width = size;
        item->flags = shape;
        return item;
    };
    ItemPtr ccw = sample_arc();
    as_Arc(ccw.get())->dir = 0;
    ccw->flags = 3 | 0x0C;
    Case cases[] = {
        {line(0), "(LINE (POS -100 250 ) (POS 3000 250 )  )\n"},
        {line(3), "(LINE (POS -100 250 ) (POS 3000 250 )  )\n"},
        {line(BUS | 0x08), "(LINE BUS DASHED (POS -100 250 ) (POS 3000 250 )  )\n"},
        {std::move(ccw), "(ARC DASHED (POS 1500 1000 ) (POS 1000 1500 ) (POS 1000 1000 ) CCW )\n"},
        {junction(LARGE, CIRCULAR), "(JUNCTION (POS 1200 -3400 ) LARGE CIRCULAR  )\n"},
        {junction(SMALL, RECTANGLE), "(JUNCTION (POS 1200 -3400 ) SMALL RECTANGLE  )\n"},
        {junction(500, 0), "(JUNCTION (POS 1200 -3400 ) SMALL RECTANGLE  )\n"},
    };
    for (Case& c : cases)
        EXPECT_EQ(text_written([&](FILE* f) { awrite_Item(c.item.get(), f, 0); }), c.expected);
}

TEST(PrimitiveAscii, LineEndsFollowTheConfiguration) {
    set_newline_hook([] { return 1; });
    ItemPtr poly = sample_poly();
    as_Poly(poly.get())->points.resize(1);
    EXPECT_EQ(text_written([&](FILE* f) { awrite_Item(poly.get(), f, 0); }),
              "(POLY 1 DRAW \r\n  (POS 0 0 )\r\n)\r\n");
    set_newline_hook(nullptr);
}

// --- damaged records -------------------------------------------------------------

Bytes poly_header(int32_t count) {
    return bytes_written([&](FILE* f) {
        write_byte(item_tag(POLY_ITEM), f);
        write_byte(0, f);
        write_short(100, f);
        write_long(count, f);
    });
}

TEST(DamagedPoly, CountTheFileCannotHoldIsAReadError) {
    for (int32_t count : {-1, INT32_MIN, INT32_MAX, 1000}) {
        Bytes record = poly_header(count);
        record.resize(record.size() + 8 * 999);  // room for 999 points
        ItemPtr read;
        EXPECT_EQ(read_one(record, &read), READ_ERROR) << count;
    }
}

TEST(DamagedPoly, HugeCountOnAStreamOfUnknownSizeIsAShortRead) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    Bytes record = poly_header(INT32_MAX);
    record.resize(record.size() + 8 * 100);
    ASSERT_EQ(write(fds[1], record.data(), record.size()), static_cast<ssize_t>(record.size()));
    close(fds[1]);
    StreamPtr stream(fdopen(fds[0], "rb"));
    ItemPtr poly(new_Item(POLY_ITEM));
    EXPECT_EQ(read_Item(poly.get(), stream.get()), -1);
    EXPECT_LE(as_Poly(poly.get())->points.capacity(), 1000u);
}

// A fill record with the given bytes between 'q' and the end.
Bytes fill_with(const Bytes& body) {
    Bytes record = bytes_written([](FILE* f) {
        Fill* fill = new_Fill();
        write_Item(fill, f, 0);
        free_Item(fill);
    });
    record.pop_back();  // the end mark
    record.insert(record.end(), body.begin(), body.end());
    return record;
}

TEST(DamagedFill, ForeignTagOrMissingEndMarkInTheBoundaryList) {
    Bytes line = bytes_written([](FILE* f) { write_Item(sample_line().get(), f, 0); });
    struct Case {
        Bytes body;
        int expected;
    } cases[] = {
        {{0xE0}, 0},
        {{0xC0, 0xE0}, READ_ERROR},
        {{0xC1, 0xE0}, READ_ERROR},
        {{0xC8, 0xE0}, READ_ERROR},  // junctions and polylines never stand in a boundary
        {{0xC9, 0xE0}, READ_ERROR},
        {{'A'}, READ_ERROR},
        {{}, -1},
        {line, -1},
        {{line.begin(), line.end() - 9}, -1},
    };
    for (const Case& c : cases) {
        ItemPtr read;
        EXPECT_EQ(read_one(fill_with(c.body), &read), c.expected) << c.body.size();
    }
}

TEST(DamagedFill, NestingDeeperThanTheLimitIsAReadError) {
    auto nested = [](int depth) {
        Bytes record;
        for (int i = 0; i < depth; ++i) {
            Bytes open = fill_with({});
            record.insert(record.end(), open.begin(), open.end());
        }
        record.insert(record.end(), static_cast<size_t>(depth), 0xE0);
        return record;
    };
    ItemPtr read;
    EXPECT_EQ(read_one(nested(MAX_FILL_DEPTH), &read), 0);
    EXPECT_EQ(read_one(nested(MAX_FILL_DEPTH + 1), &read), READ_ERROR);
    EXPECT_EQ(read_one(nested(MAX_FILL_DEPTH), &read), 0) << "the depth count recovers";
}

TEST(DamagedFill, FillWithoutBoundaryListEndsBeforeTheNextByte) {
    Bytes record = fill_with({});
    record.resize(record.size() - 1);  // no 'q'
    record.push_back(0xC5);
    ItemPtr fill(new_Item(FILL_ITEM));
    StreamPtr stream = stream_of(record);
    ASSERT_EQ(read_Item(fill.get(), stream.get()), 0);
    EXPECT_EQ(as_Fill(fill.get())->items->count, 0u);
    EXPECT_EQ(rest_of(stream.get()), Bytes{0xC5});
}

TEST(ItemReaders, ItemOfNoPrimitiveCodeLeavesTheStream) {
    SchItem head;
    head.type = SHEET_ITEM;
    StreamPtr stream = stream_of({0xC5});
    EXPECT_EQ(read_Item(&head, stream.get()), NOT_MY_TAG);
    EXPECT_EQ(std::fgetc(stream.get()), 0xC5);
    EXPECT_EQ(new_Item(SHEET_ITEM), nullptr);
    EXPECT_EQ(new_Item(1), nullptr);
}

TEST(ItemReaders, CombinedResultsKeepTheFirstRealOne) {
    struct Case {
        int a, b, expected;
    } cases[] = {
        {0, 0, 0},           {NOT_MY_TAG, 0, 0},  {0, NOT_MY_TAG, 0},       {NOT_MY_TAG, 64, 64},
        {55, NOT_MY_TAG, 55}, {-1, 55, -1},       {NOT_MY_TAG, NOT_MY_TAG, 0}, {0, -1, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(combine_results(c.a, c.b), c.expected) << c.a << " " << c.b;
}

// --- records and lists -------------------------------------------------------------

TEST(PrimitiveRecords, CreationDefaults) {
    for (int code = FILL_ITEM; code <= POLY_ITEM; ++code) {
        ItemPtr item(new_Item(code));
        ASSERT_TRUE(item) << code;
        EXPECT_EQ(item->type, code);
        EXPECT_EQ(item->state, STATE_NEW);
        EXPECT_EQ(item->id, 0u);
        EXPECT_EQ(item->width, code == JUNCTION_ITEM ? SMALL : 100) << code;
    }
    ItemPtr fill(new_Item(FILL_ITEM));
    EXPECT_NE(as_Fill(fill.get())->items, nullptr);
}

TEST(PrimitiveRecords, ComparisonRules) {
    ItemPtr a = sample_line(), b = sample_line();
    b->width = 999;
    EXPECT_TRUE(compare_Item(a.get(), b.get())) << "the width is not compared";
    b->flags ^= BUS;
    EXPECT_FALSE(compare_Item(a.get(), b.get()));
    EXPECT_FALSE(compare_Item(a.get(), sample_arc().get()));

    ItemPtr p = sample_poly(), q = sample_poly();
    q->flags = 0;
    EXPECT_TRUE(compare_Item(p.get(), q.get())) << "polyline flags are not compared";
    as_Poly(q.get())->points.pop_back();
    EXPECT_FALSE(compare_Item(p.get(), q.get()));

    ItemPtr f = sample_fill(), g = sample_fill();
    g->pos = {0, 0};
    EXPECT_TRUE(compare_Item(f.get(), g.get())) << "only the boundary lists are compared";
    free_Item(static_cast<Item*>(dlist_tail(as_Fill(g.get())->items)->data));
    dlist_remove_tail(as_Fill(g.get())->items, nullptr);
    EXPECT_FALSE(compare_Item(f.get(), g.get()));

    List* empty = list_new();
    EXPECT_TRUE(compare_ItemList(nullptr, nullptr));
    EXPECT_FALSE(compare_ItemList(empty, nullptr));
    EXPECT_TRUE(compare_ItemList(empty, empty));
    dlist_free(empty, LIST_FROM_HEAD, nullptr);
}

TEST(PrimitiveRecords, FreeKeepingStorageReleasesOwnedParts) {
    Fill* fill = as_Fill(sample_fill().release());
    free_Item(fill, true);
    EXPECT_EQ(fill->items, nullptr);
    free_Item(fill);  // nothing left but the record
    Poly* poly = as_Poly(sample_poly().release());
    free_Item(poly, true);
    EXPECT_TRUE(poly->points.empty());
    free_Item(poly);
}

}  // namespace
