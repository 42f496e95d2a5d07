// Net-property labels and images: their binary and ASCII forms (golden
// files), damaged records, geometry and copies.
#include <gtest/gtest.h>

#include <memory>

#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/bmp_builder.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/owners.h"
#include "model/documents/record_io.h"
#include "model/items/vectors.h"

using namespace record_io;

namespace {

using LabelPtr = Owner<NetProp>;
using ImagePtr = Owner<Image>;

LabelPtr sample_label(const char* name, int32_t base) {
    LabelPtr label(new_NetProp());
    label->pos = {base, -base / 2};
    label->flags = 0x02;
    label->name.set(name);
    label->track_width = base + 1;
    label->isolation = -(base + 2);
    label->via_size = 600;
    label->via_drill = 300;
    label->start_layer = 1;
    label->end_layer = -2;
    label->net_type = 3;
    return label;
}

ImagePtr sample_image(uint8_t flags, const char* file, bool with_bitmap) {
    ImagePtr image(new_Image());
    image->flags = flags;
    image->pos = {1000, 2000};
    image->size = {300, 100};
    image->file_name = file ? str_dup(file) : nullptr;
    if (with_bitmap) {
        Bytes bmp = bmp_builder::make_bmp(bmp_builder::sample_spec(4));
        StreamPtr stream = stream_of(bmp);
        EXPECT_EQ(image_read_dib(image.get(), stream.get()), 0);
    }
    return image;
}

int read_label(FILE* f, LabelPtr* out) {
    out->reset(new_NetProp());
    return read_NetProp(out->get(), f);
}
int read_image(FILE* f, ImagePtr* out) {
    out->reset(new_Image());
    return read_Image(out->get(), f);
}

// --- golden files ----------------------------------------------------------------------

// netprop.bin / netprop.txt and image.bin / image.txt: regenerate with
// TN_UPDATE_GOLDEN=1 documents_tests --gtest_filter='*Golden*' and review the
// diff before committing it.
TEST(NetPropGolden, BinaryAndSourceForms) {
    reset_object_ids();
    LabelPtr a = sample_label("CLK", 1500), b = sample_label("A_LONG_NET_NAME", -70000);
    Bytes bin = bytes_written([&](FILE* f) {
        write_NetProp(a.get(), f, 0);
        write_NetProp(b.get(), f, 0);
    });
    expect_golden("netprop.bin", bin);
    std::string text = text_written([&](FILE* f) {
        awrite_NetProp(a.get(), f, 2);
        awrite_NetProp(b.get(), f, 2);
    });
    expect_golden("netprop.txt", text);
    EXPECT_EQ(compile_schematic("(SCHEMATIC (SHEET\n" + text + ") )"), 0);

    StreamPtr stream = stream_of(golden("netprop.bin"));
    LabelPtr r1, r2;
    ASSERT_EQ(read_label(stream.get(), &r1), 0);
    ASSERT_EQ(read_label(stream.get(), &r2), 0);
    EXPECT_STREQ(r2->name.get(), "A_LONG_NET_NAME");
    EXPECT_TRUE(netprop_equal(r2.get(), b.get()));
    EXPECT_EQ(r2->pos, b->pos);
    EXPECT_EQ(r1->id, a->id);
    EXPECT_EQ(bytes_written([&](FILE* f) {
                  write_NetProp(r1.get(), f, 0);
                  write_NetProp(r2.get(), f, 0);
              }),
              bin);
    // The id follows the position directly: no 'g' in this record.
    EXPECT_EQ(bin[10], 0);
    EXPECT_EQ(bin[13], a->id);
}

TEST(ImageGolden, BinaryAndSourceForms) {
    reset_object_ids();
    ImagePtr turned = sample_image(MX | ROT_90, "logo.bmp", true);
    ImagePtr bare = sample_image(ROT_315 | MY, nullptr, false);  // no bitmap could be had
    ImagePtr other = sample_image(0x08, "other.pic", false);     // another picture format
    Bytes bin = bytes_written([&](FILE* f) {
        write_Image(turned.get(), f, 0);
        write_Image(bare.get(), f, 0);
        write_Image(other.get(), f, 0);
    });
    expect_golden("image.bin", bin);
    std::string text = text_written([&](FILE* f) {
        awrite_Image(turned.get(), f, 1);
        awrite_Image(bare.get(), f, 1);
        awrite_Image(other.get(), f, 1);
    });
    expect_golden("image.txt", text);
    EXPECT_EQ(text.find("BMP", text.find("other.pic") - 30), std::string::npos);
    EXPECT_EQ(compile_schematic("(SCHEMATIC (SHEET\n" + text + ") )"), 0);

    StreamPtr stream = stream_of(golden("image.bin"));
    ImagePtr r1, r2, r3;
    ASSERT_EQ(read_image(stream.get(), &r1), 0);
    ASSERT_EQ(read_image(stream.get(), &r2), 0);
    ASSERT_EQ(read_image(stream.get(), &r3), 0);
    EXPECT_TRUE(rest_of(stream.get()).empty());
    ASSERT_NE(r1->bitmap, nullptr);
    EXPECT_EQ(r1->bitmap->bytes, turned->bitmap->bytes);
    EXPECT_STREQ(r1->file_name, "logo.bmp");
    EXPECT_EQ(r2->bitmap, nullptr);
    EXPECT_EQ(r2->file_name, nullptr);
    EXPECT_EQ(r3->flags, 0x08);
    EXPECT_EQ(r1->id, turned->id);
    EXPECT_EQ(bytes_written([&](FILE* f) {
                  write_Image(r1.get(), f, 0);
                  write_Image(r2.get(), f, 0);
                  write_Image(r3.get(), f, 0);
              }),
              bin);
}

// --- damaged records ---------------------------------------------------------------------

TEST(SheetRecordsDamaged, EveryPrefixIsAShortRead) {
    LabelPtr label = sample_label("A_LONG_NET_NAME", 5);
    expect_prefixes_short(bytes_written([&](FILE* f) { write_NetProp(label.get(), f, 0); }),
                          [](FILE* f) {
                              LabelPtr r;
                              return read_label(f, &r);
                          });
    ImagePtr image = sample_image(0, "logo.bmp", true);
    Bytes bin = bytes_written([&](FILE* f) { write_Image(image.get(), f, 0); });
    bin.resize(bin.size() - 5);  // without the optional id
    expect_prefixes_short(bin, [](FILE* f) {
        ImagePtr r;
        return read_image(f, &r);
    });
}

TEST(SheetRecordsDamaged, AnotherTagIsLeftInTheStream) {
    StreamPtr stream = stream_of({'n', 1, 2});
    LabelPtr label;
    EXPECT_EQ(read_label(stream.get(), &label), NOT_MY_TAG);
    ImagePtr image;
    StreamPtr other = stream_of({'m', 1, 2});
    EXPECT_EQ(read_image(other.get(), &image), NOT_MY_TAG);
    EXPECT_EQ(rest_of(stream.get()), (Bytes{'n', 1, 2}));
    EXPECT_EQ(rest_of(other.get()), (Bytes{'m', 1, 2}));
}

TEST(SheetRecordsDamaged, AnUnreadableBitmapFailsTheImage) {
    ImagePtr image = sample_image(0, "logo.bmp", true);
    Bytes bin = bytes_written([&](FILE* f) { write_Image(image.get(), f, 0); });
    size_t bm = 1 + 1 + 8 + 8 + 9;  // tag, flags, position, size, "logo.bmp"
    ASSERT_EQ(bin[bm], 'B');
    Bytes core = bin;
    core[bm + 14] = 12;  // the 12-byte core header
    ImagePtr r;
    StreamPtr s1 = stream_of(core);
    EXPECT_EQ(read_image(s1.get(), &r), 60023);
    EXPECT_EQ(r->bitmap, nullptr);
    Bytes bits = bin;
    bits[bm + 14 + 14] = 7;  // 7 bits per pixel
    StreamPtr s2 = stream_of(bits);
    EXPECT_EQ(read_image(s2.get(), &r), 60023);
}

// --- geometry and copies -------------------------------------------------------------------

TEST(ImageGeometry, BoundsFollowMirrorAndRotation) {
    struct Case {
        uint8_t flags;
        Rect bounds;
    } cases[] = {
        {0, {1000, 2000, 300, 100}},           {MX | ROT_90, {1000, 2000, 100, 300}},
        {MX | ROT_180, {700, 2000, 300, 100}}, {MY, {700, 2000, 300, 100}},
        {ROT_270, {1000, 1700, 100, 300}},     {ROT_45, {929, 2000, 283, 283}},
    };
    for (const Case& c : cases) {
        ImagePtr image = sample_image(c.flags, nullptr, false);
        Rect r;
        EXPECT_TRUE(bounds_Image(nullptr, image.get(), &r, false));
        EXPECT_NEAR(r.x, c.bounds.x, 1) << int(c.flags);
        EXPECT_NEAR(r.y, c.bounds.y, 1) << int(c.flags);
        EXPECT_NEAR(r.w, c.bounds.w, 1) << int(c.flags);
        EXPECT_NEAR(r.h, c.bounds.h, 1) << int(c.flags);
    }
    ImagePtr image = sample_image(0, nullptr, false);
    EXPECT_EQ(distance_Image(nullptr, image.get(), {1150, 2050}, 0, 10, 0x100), 0);
    EXPECT_EQ(image->state & 0x100, 0x100u);
    EXPECT_EQ(distance_Image(nullptr, image.get(), {1000, 1900}, 0, 10, 0x200), 100);
    EXPECT_EQ(image->state & 0x200, 0u);
    EXPECT_EQ(distance_Image(nullptr, image.get(), {1000, 2000}, 0x8000, 10, 0), 1e10);
}

TEST(NetPropGeometry, TheSymbolIsTheFlagAtThePosition) {
    LabelPtr label = sample_label("N", 0);
    label->pos = {10000, 10000};
    Rect r;
    ASSERT_TRUE(bounds_NetProp(nullptr, label.get(), &r, false));
    ASSERT_NE(label->symbol, nullptr);
    EXPECT_EQ(label->symbol->items->count, 12u);  // "NP" and eleven lines
    EXPECT_EQ(r.x, 10000 - 50);                   // the arrow tip, half a pen width
    EXPECT_EQ(r.y, 8000 - 50);                    // the flag's far side
    EXPECT_EQ(r.x + r.w, 13000 + 50);
    EXPECT_EQ(r.y + r.h, 10000 + 50);
    EXPECT_EQ(distance_NetProp(nullptr, label.get(), {11000, 9000}, 0, 50, 0x100), 0);
    EXPECT_EQ(distance_NetProp(nullptr, label.get(), {10000, 10200}, 0, 50, 0), 150);

    Matrix move;
    matrix_translate(&move, 500, 0);
    matrix_NetProp(label.get(), &move);
    ASSERT_TRUE(bounds_NetProp(nullptr, label.get(), &r, false));
    EXPECT_EQ(r.x, 10500 - 50);  // the symbol follows the label
}

TEST(NetPropCopy, KeepsItsOwnNameAndComparesByValues) {
    LabelPtr source = sample_label("A_LONG_NET_NAME", 7);
    Rect r;
    bounds_NetProp(nullptr, source.get(), &r, false);
    LabelPtr copy(copy_NetProp(source.get()));
    EXPECT_EQ(copy->symbol, nullptr);
    EXPECT_EQ(copy->id, 0u);
    source.reset();
    EXPECT_STREQ(copy->name.get(), "A_LONG_NET_NAME");

    LabelPtr other = sample_label("OTHER", 7);
    EXPECT_TRUE(netprop_equal(copy.get(), other.get()));
    other->net_type = 4;
    EXPECT_FALSE(netprop_equal(copy.get(), other.get()));
}

TEST(ImageCopy, OwnsItsBitmapAndName) {
    ImagePtr source = sample_image(0, "logo.bmp", true);
    ImagePtr copy(copy_Image(source.get()));
    ASSERT_NE(copy->bitmap, nullptr);
    EXPECT_NE(copy->bitmap, source->bitmap);
    EXPECT_NE(copy->file_name, source->file_name);
    Bytes bitmap = source->bitmap->bytes;
    source.reset();
    EXPECT_EQ(copy->bitmap->bytes, bitmap);
    EXPECT_STREQ(copy->file_name, "logo.bmp");
}

}  // namespace
