// ERC marks: binary and ASCII forms (golden files), the tagged fields of the
// reader, damaged records, and the outline the bounds must cover.
#include "model/documents/erc_mark.h"

#include <gtest/gtest.h>

#include <memory>

#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/owners.h"
#include "model/documents/record_io.h"

using namespace record_io;

namespace {

using MarkPtr = Owner<ErcMark>;

MarkPtr sample_mark(int32_t number, Point p) {
    MarkPtr mark(new_ErcMark());
    mark->number = number;
    mark->pos = p;
    mark->extra = 3;
    return mark;
}

int read_mark(const Bytes& bytes, MarkPtr* out, Bytes* rest = nullptr) {
    out->reset(new_ErcMark());
    StreamPtr stream = stream_of(bytes);
    int result = read_ErcMark(out->get(), stream.get());
    if (rest) *rest = rest_of(stream.get());
    return result;
}

// erc_marks.bin / erc_marks.txt: regenerate with TN_UPDATE_GOLDEN=1
// documents_tests --gtest_filter='*ErcGolden*' and review the diff.
TEST(ErcGolden, BinaryAndSourceForms) {
    reset_object_ids();
    MarkPtr warning = sample_mark(ERC_WARNING_OFFSET + 7, {1, 2});
    MarkPtr error = sample_mark(3, {-1, -2});
    Bytes bin = bytes_written([&](FILE* f) {
        write_ErcMark(warning.get(), f, 0);
        write_ErcMark(error.get(), f, 0);
    });
    expect_golden("erc_marks.bin", bin);
    List* marks = list_new();
    dlist_append(marks, warning.get());
    dlist_append(marks, error.get());
    std::string text = text_written([&](FILE* f) { awrite_ErcList(marks, f, 1); });
    dlist_free(marks, LIST_FROM_HEAD, nullptr);
    expect_golden("erc_marks.txt", text);
    EXPECT_NE(text.find("(ERCERR 10007 "), std::string::npos);
    EXPECT_EQ(compile_schematic("(SCHEMATIC (SHEET ) \n" + text + ")"), 0);

    Bytes file = golden("erc_marks.bin");
    StreamPtr stream = stream_of(file);
    MarkPtr a(new_ErcMark()), b(new_ErcMark());
    ASSERT_EQ(read_ErcMark(a.get(), stream.get()), 0);
    ASSERT_EQ(read_ErcMark(b.get(), stream.get()), 0);
    EXPECT_EQ(a->number, 10007);
    EXPECT_EQ(a->extra, 3);
    EXPECT_EQ(a->id, warning->id);
    EXPECT_EQ(b->pos, (Point{-1, -2}));
    EXPECT_EQ(bytes_written([&](FILE* f) {
                  write_ErcMark(a.get(), f, 0);
                  write_ErcMark(b.get(), f, 0);
              }),
              bin);
}

TEST(ErcList, AnEmptyListWritesNoBlock) {
    List* marks = list_new();
    EXPECT_EQ(text_written([&](FILE* f) { awrite_ErcList(marks, f, 1); }), "");
    EXPECT_EQ(text_written([&](FILE* f) { awrite_ErcList(nullptr, f, 1); }), "");
    dlist_free(marks, LIST_FROM_HEAD, nullptr);
}

TEST(ErcRead, TaggedFieldsComeInAnyOrderAndTheLastWins) {
    Bytes head = {0xD0, 0x05, 0, 0, 0, 9, 0, 0, 0, 8, 0, 1, 0x77};
    const Bytes swapped = {0xD0, 0x05, 0, 0,   0, 9, 0, 0, 0,    8, 0, 1, 0x77, 0xA9, 0,
                           0,    0,    4, 'g', 0, 0, 0, 2, 0xA9, 0, 0, 0, 5,    0xE0};
    MarkPtr mark;
    Bytes rest;
    ASSERT_EQ(read_mark(swapped, &mark, &rest), 0);
    EXPECT_EQ(mark->number, 5);
    EXPECT_EQ(mark->id, 2u);
    EXPECT_EQ(mark->width, 100);  // a stored width of 1
    EXPECT_EQ(mark->extra, 0x77);
    EXPECT_EQ(mark->flags, 5);
    EXPECT_EQ(mark->state, 1u);
    EXPECT_EQ(rest, Bytes{0xE0});
    // Without any tagged field: id and number 0, the end of the stream is
    // no error.
    ASSERT_EQ(read_mark(head, &mark, &rest), 0);
    EXPECT_EQ(mark->number, 0);
    EXPECT_EQ(mark->id, 0u);
}

TEST(ErcRead, DamagedRecordsFailCleanly) {
    MarkPtr mark = sample_mark(42, {5, 6});
    Bytes bin = bytes_written([&](FILE* f) { write_ErcMark(mark.get(), f, 0); });
    ASSERT_EQ(bin.size(), 23u);
    for (size_t n = 1; n < bin.size(); ++n) {
        MarkPtr m;
        // Cut after the fixed fields or after the id, the record is whole:
        // the tagged fields are optional.
        int expected = n == 13 || n == 18 ? 0 : -1;
        EXPECT_EQ(read_mark(Bytes(bin.begin(), bin.begin() + n), &m), expected) << n;
    }
    MarkPtr other;
    Bytes rest;
    EXPECT_EQ(read_mark({0xCE, 1}, &other, &rest), NOT_MY_TAG);
    EXPECT_EQ(rest, (Bytes{0xCE, 1}));
    EXPECT_EQ(read_mark({}, &other), -1);
}

TEST(ErcGeometry, BoundsCoverTheWholeOutline) {
    MarkPtr mark = sample_mark(1, {10000, -5000});
    Rect r;
    ASSERT_TRUE(bounds_ErcMark(nullptr, mark.get(), &r, false));
    for (const Point& o : mark->outline) {
        Point p{mark->pos.x + o.x, mark->pos.y + o.y};
        EXPECT_TRUE(p.x >= r.x + 50 && p.x <= r.x + r.w - 50 && p.y >= r.y + 50 &&
                    p.y <= r.y + r.h - 50)
            << p.x << "," << p.y;
    }
    EXPECT_EQ(r, (Rect{10000 - 50, -5000 - 943 - 50, 943 + 100, 943 + 100}));

    Rect grown{0, 0, 10, 10};
    bounds_ErcMark(nullptr, mark.get(), &grown, true);
    EXPECT_EQ(grown.x, 0);
    EXPECT_EQ(grown.x + grown.w, 10000 + 943 + 50);

    EXPECT_EQ(distance_ErcMark(nullptr, mark.get(), {10300, -4600}, 0, 600, 0x100), 500);
    EXPECT_EQ(mark->state & 0x100, 0x100u);
    EXPECT_EQ(distance_ErcMark(nullptr, mark.get(), {0, 0}, 0x8000, 600, 0), 1e10);
}

}  // namespace
