// Device-independent bitmaps: the sample BMP files at 1, 4, 8 and 24 bits
// (golden files), the size rules of the reader, hostile headers, short
// files, and loading and saving an image's own file.
#include "model/documents/dib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "model/documents/bmp_builder.h"
#include "model/documents/image.h"
#include "model/documents/record_io.h"
#include "support/test_env.h"

using namespace record_io;
using bmp_builder::BmpShape;
using bmp_builder::make_bmp;
using bmp_builder::sample_spec;

namespace {

struct DibRead {
    Dib* dib = nullptr;
    int result = 0;
    Bytes rest;  // what the reader left in the stream
    ~DibRead() { free_dib(IMAGE_FORMAT_BMP, dib); }
};

void read_bytes_into(const Bytes& bytes, DibRead* out) {
    StreamPtr stream = stream_of(bytes);
    out->dib = read_dib(IMAGE_FORMAT_BMP, stream.get(), &out->result);
    out->rest = rest_of(stream.get());
}

Bytes written(const Dib* dib) {
    return bytes_written([&](FILE* f) { EXPECT_EQ(write_dib(IMAGE_FORMAT_BMP, dib, f), 0); });
}

// --- the sample files ------------------------------------------------------------

struct SampleCase {
    int bits;
    const char* file;
    uint32_t colours;
};

class DibSample : public testing::TestWithParam<SampleCase> {};

// Golden files image_<n>bit.bmp: made by the builder; regenerate with
// TN_UPDATE_GOLDEN=1 documents_tests --gtest_filter='*DibSample*' and review
// the diff. Reading one and writing it back must give the same bytes.
TEST_P(DibSample, ReadsAndWritesBackTheSameFile) {
    Bytes made = make_bmp(sample_spec(GetParam().bits));
    expect_golden(GetParam().file, made);
    DibRead r;
    read_bytes_into(golden(GetParam().file), &r);
    ASSERT_NE(r.dib, nullptr);
    EXPECT_EQ(dib_bit_count(r.dib), GetParam().bits);
    EXPECT_EQ(dib_colours_used(r.dib), GetParam().colours);
    EXPECT_EQ(written(r.dib), golden(GetParam().file));
    Dib* copy = copy_dib(IMAGE_FORMAT_BMP, r.dib);
    EXPECT_EQ(copy->bytes, r.dib->bytes);
    free_dib(IMAGE_FORMAT_BMP, copy);
}

INSTANTIATE_TEST_SUITE_P(Bitmaps, DibSample,
                         testing::Values(SampleCase{1, "image_1bit.bmp", 2},
                                         SampleCase{4, "image_4bit.bmp", 16},
                                         SampleCase{8, "image_8bit.bmp", 6},
                                         SampleCase{24, "image_24bit.bmp", 0}));

// --- sizes the reader fills in -------------------------------------------------------

TEST(DibSizes, PaletteAndImageSizeComeFromTheHeaderWhenItSaysZero) {
    BmpShape deep;  // 24 bits, colours 0: no palette
    deep.bits = 24, deep.width = 1, deep.height = 3;
    DibRead a;
    read_bytes_into(make_bmp(deep), &a);
    ASSERT_NE(a.dib, nullptr);
    EXPECT_EQ(dib_colours_used(a.dib), 0u);
    EXPECT_EQ(dib_image_size(a.dib), 12u);  // rows of 3 bytes padded to 4

    BmpShape indexed;  // 8 bits, colours 0: 256 entries
    indexed.palette_entries = 256;
    DibRead b;
    read_bytes_into(make_bmp(indexed), &b);
    ASSERT_NE(b.dib, nullptr);
    EXPECT_EQ(dib_colours_used(b.dib), 256u);
    EXPECT_EQ(b.dib->bytes.size(), 40u + 1024 + 8 * 3);

    BmpShape wide;  // 32 bits, colours 0: no palette (not 2^32 entries)
    wide.bits = 32;
    DibRead c;
    read_bytes_into(make_bmp(wide), &c);
    ASSERT_NE(c.dib, nullptr);
    EXPECT_EQ(dib_colours_used(c.dib), 0u);
}

TEST(DibSizes, TopDownRowsLongHeadersAndGapsAreHeld) {
    BmpShape s = sample_spec(8);
    s.height = -4;  // rows stored top-down
    s.header_size = 124;
    s.gap = 10;  // the pixel offset points past a gap
    Bytes bytes = make_bmp(s);
    bytes.push_back('g');  // what follows the bitmap stays in the stream
    DibRead r;
    read_bytes_into(bytes, &r);
    ASSERT_NE(r.dib, nullptr) << r.result;
    EXPECT_EQ(dib_height(r.dib), -4);
    EXPECT_EQ(dib_header_size(r.dib), 124);
    EXPECT_EQ(r.rest, Bytes{'g'});
    // Written back without the gap: the pixels follow the palette.
    Bytes back = written(r.dib);
    s.gap = 0;
    EXPECT_EQ(back, make_bmp(s));

    Image image;
    image.bitmap = r.dib;
    int32_t w = 0, h = 0;
    EXPECT_TRUE(dib_size(&image, &w, &h));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 4);
    image.bitmap = nullptr;
}

// --- what is refused -------------------------------------------------------------------

struct HostileCase {
    const char* name;
    void (*damage)(BmpShape*);
    int result;
};

class DibHostile : public testing::TestWithParam<HostileCase> {};

TEST_P(DibHostile, IsRefusedWithoutReadingPastTheFile) {
    BmpShape s = sample_spec(8);
    GetParam().damage(&s);
    DibRead r;
    read_bytes_into(make_bmp(s), &r);
    EXPECT_EQ(r.dib, nullptr);
    EXPECT_EQ(r.result, GetParam().result);
}

const HostileCase hostile_cases[] = {
    {"NotBM", [](BmpShape* s) { s->type = 0x5858; }, IMAGE_INVALID_FORMAT},
    {"CoreHeader", [](BmpShape* s) { s->header_size = 12; }, IMAGE_INVALID_FORMAT},
    {"HeaderTooShort", [](BmpShape* s) { s->header_size = 39; }, IMAGE_INVALID_FORMAT},
    {"ThreeBits", [](BmpShape* s) { s->bits = 3; }, IMAGE_INVALID_FORMAT},
    {"ZeroBits", [](BmpShape* s) { s->bits = 0; }, IMAGE_INVALID_FORMAT},
    {"PaletteBeyondBits", [](BmpShape* s) { s->colours_used = 300; }, IMAGE_INVALID_FORMAT},
    {"ZeroWidth", [](BmpShape* s) { s->width = 0; }, IMAGE_INVALID_FORMAT},
    {"NegativeWidth", [](BmpShape* s) { s->width = -5, s->pixel_bytes = 16; }, IMAGE_INVALID_FORMAT},
    {"ZeroHeight", [](BmpShape* s) { s->height = 0; }, IMAGE_INVALID_FORMAT},
    {"UnknownCompression", [](BmpShape* s) { s->compression = 9; }, IMAGE_INVALID_FORMAT},
    {"Rle4At8Bits", [](BmpShape* s) { s->compression = 2; }, IMAGE_INVALID_FORMAT},
    {"BitFieldsWithoutMasks",
     [](BmpShape* s) { s->bits = 32, s->colours_used = s->palette_entries = 0, s->compression = 3; },
     IMAGE_INVALID_FORMAT},
    {"ImageSizeTooSmall", [](BmpShape* s) { s->image_size = 3; }, IMAGE_INVALID_FORMAT},
    {"OffsetInsideHeaders", [](BmpShape* s) { s->offset_delta = -8; }, IMAGE_INVALID_FORMAT},
    {"HugeRows",
     [](BmpShape* s) { s->width = 0x7FFFFFFF, s->height = 0x7FFFFFFF, s->pixel_bytes = 16; },
     IMAGE_INVALID_FORMAT},
    {"HugeButRepresentable",
     [](BmpShape* s) {
         s->width = 60000, s->height = 60000, s->image_size = 0, s->pixel_bytes = 16;
     },
     -1},
    {"HugeImageSize", [](BmpShape* s) { s->image_size = 0xFFFFFFF0; }, -1},
    {"HugeHeader", [](BmpShape* s) { s->header_size = 0x7FFFFFF0, s->pixel_bytes = 4; }, -1},
    {"HugeOffset", [](BmpShape* s) { s->offset_delta = 0x7FFF0000; }, -1},
    {"TruncatedPalette",
     [](BmpShape* s) { s->palette_entries = 4, s->offset_delta = 8, s->pixel_bytes = 1; }, -1},
    {"TruncatedPixels", [](BmpShape* s) { s->pixel_bytes = 5; }, -1},
};

INSTANTIATE_TEST_SUITE_P(Headers, DibHostile, testing::ValuesIn(hostile_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DibDamaged, EveryPrefixOfAFileIsAShortRead) {
    Bytes bmp = make_bmp(sample_spec(4));
    expect_prefixes_short(bmp, [](FILE* f) {
        int result = 0;
        Dib* dib = read_dib(IMAGE_FORMAT_BMP, f, &result);
        free_dib(IMAGE_FORMAT_BMP, dib);
        return dib ? 0 : result;
    });
}

TEST(DibFormats, OtherPictureFormatsAreLeftAlone) {
    StreamPtr stream = stream_of(make_bmp(sample_spec(1)));
    EXPECT_EQ(read_dib(0x08, stream.get()), nullptr);
    EXPECT_EQ(std::ftell(stream.get()), 0);
    Dib dib;
    EXPECT_EQ(write_dib(0x40, &dib, stream.get()), -1);
    EXPECT_EQ(copy_dib(0x80, &dib), nullptr);
    EXPECT_EQ(write_dib(IMAGE_FORMAT_BMP, &dib, stream.get()), -1);  // no header at all
}

// --- an image's own file ----------------------------------------------------------------

class ImageFile : public testing::Test {
protected:
    void SetUp() override {
        set_message_formatter(error_message);
        clear_scripted_answers();
    }
    void TearDown() override {
        set_message_formatter(nullptr);
        clear_scripted_answers();
    }
    tn_test::TempDir dir;
};

TEST_F(ImageFile, LoadingReportsAMissingOrUnreadableFile) {
    std::string missing = dir.file("missing.bmp");
    EXPECT_EQ(image_load(missing.c_str(), IMAGE_FORMAT_BMP), nullptr);
    EXPECT_NE(last_box_text().find(missing), std::string::npos);
    EXPECT_EQ(last_box_caption(), "Error");

    std::string bad = dir.file("bad.bmp");
    tn_test::write_text(bad, "BM not a bitmap at all, just text");
    EXPECT_EQ(image_load(bad.c_str(), IMAGE_FORMAT_BMP), nullptr);
    EXPECT_EQ(last_box_text(), "This image file cannot be read (Invalid Format)\n" + bad);

    std::string good = dir.file("good.bmp");
    tn_test::write_bytes(good, make_bmp(sample_spec(24)));
    Dib* dib = image_load(good.c_str(), IMAGE_FORMAT_BMP);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(written(dib), make_bmp(sample_spec(24)));
    free_dib(IMAGE_FORMAT_BMP, dib);
}

TEST_F(ImageFile, SavingAsksOnlyForAChangedBitmapAndWritesOnYes) {
    std::string path = dir.file("logo.bmp");
    Image* image = new_Image();
    image->file_name = str_dup(path.c_str());
    image->bitmap = new Dib;
    {
        StreamPtr stream = stream_of(make_bmp(sample_spec(8)));
        image_read_dib(image, stream.get());
    }
    ASSERT_NE(image->bitmap, nullptr);

    EXPECT_EQ(image_save_file(image), 0);  // unchanged: no question, no file
    EXPECT_FALSE(std::filesystem::exists(path));

    image->changed = 1;
    script_answers({ANSWER_NO});
    EXPECT_EQ(image_save_file(image), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(image->changed, 1);
    EXPECT_EQ(last_box_caption(), "Warning");
    EXPECT_EQ(last_box_text(), "This image file has been modified\nOk to save it ?\n" + path);

    script_answers({ANSWER_YES});
    EXPECT_EQ(image_save_file(image), 0);
    EXPECT_EQ(tn_test::read_bytes(path), make_bmp(sample_spec(8)));
    EXPECT_EQ(image->changed, 0);

    std::free(image->file_name);
    image->file_name = str_dup(dir.file("no/such/dir/logo.bmp").c_str());
    image->changed = 1;
    script_answers({ANSWER_YES});
    EXPECT_EQ(image_save_file(image), 50);
    EXPECT_EQ(image->changed, 1);
    free_Image(image, false);
}

}  // namespace
