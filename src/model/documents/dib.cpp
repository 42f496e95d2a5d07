// Device-independent bitmaps: the BMP form read and written, the packed
// bitmap copied, freed and measured, and the image's bitmap loaded from and
// saved to its own .BMP file.
#include "model/documents/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/binary_stream.h"
#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "model/documents/image.h"

namespace {

// Offsets of the information header's fields.
enum : size_t {
    HDR_SIZE = 0,
    HDR_WIDTH = 4,
    HDR_HEIGHT = 8,
    HDR_BIT_COUNT = 14,
    HDR_COMPRESSION = 16,
    HDR_IMAGE_SIZE = 20,
    HDR_COLOURS_USED = 32,
};
// Compression kinds this program holds.
enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };
// A header that holds the three colour masks of BI_BITFIELDS.
constexpr uint32_t MASKS_IN_HEADER_SIZE = 52;
// What a stream that cannot tell its length may deliver for one bitmap.
constexpr int64_t UNKNOWN_LENGTH_LIMIT = int64_t{64} << 20;

uint32_t get32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

bool read_exact(void* buffer, size_t size, FILE* file) {
    return size == 0 || std::fread(buffer, 1, size, file) == size;
}

// Reads and drops `count` bytes.
bool skip_bytes(uint64_t count, FILE* file) {
    uint8_t scratch[512];
    while (count > 0) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch));
        if (!read_exact(scratch, chunk, file)) return false;
        count -= chunk;
    }
    return true;
}

// What the information header says about the pixels, checked.
struct Layout {
    uint32_t header_size = 0;
    uint32_t colours = 0;     // palette entries held
    uint32_t image_size = 0;  // pixel bytes held
};

// 0 with the layout when the header describes a bitmap this program holds,
// else IMAGE_INVALID_FORMAT.
int check_header(const uint8_t* header, uint32_t header_size, Layout* layout) {
    int32_t width = static_cast<int32_t>(get32(header + HDR_WIDTH));
    int32_t height = static_cast<int32_t>(get32(header + HDR_HEIGHT));
    int bits = get16(header + HDR_BIT_COUNT);
    uint32_t compression = get32(header + HDR_COMPRESSION);
    uint32_t image_size = get32(header + HDR_IMAGE_SIZE);
    uint32_t colours_used = get32(header + HDR_COLOURS_USED);

    if (width <= 0 || height == 0 || height == INT32_MIN) return IMAGE_INVALID_FORMAT;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return IMAGE_INVALID_FORMAT;
    bool encoded = compression == BI_RLE8 || compression == BI_RLE4;
    switch (compression) {
        case BI_RGB: break;
        case BI_RLE8:
            if (bits != 8 || height < 0) return IMAGE_INVALID_FORMAT;
            break;
        case BI_RLE4:
            if (bits != 4 || height < 0) return IMAGE_INVALID_FORMAT;
            break;
        case BI_BITFIELDS:
            if ((bits != 16 && bits != 32) || header_size < MASKS_IN_HEADER_SIZE)
                return IMAGE_INVALID_FORMAT;
            break;
        default: return IMAGE_INVALID_FORMAT;
    }

    // Palettes belong to 1, 4 and 8 bits; a palette stored with deeper
    // pixels is skipped with the gap before them.
    uint32_t colours = 0;
    if (bits <= 8) {
        uint32_t most = 1u << bits;
        colours = colours_used == 0 ? most : colours_used;
        if (colours > most) return IMAGE_INVALID_FORMAT;
    }

    uint64_t row = ((uint64_t(bits) * uint64_t(width) + 31) & ~uint64_t{31}) / 8;
    uint64_t rows = height < 0 ? uint64_t(-int64_t{height}) : uint64_t(height);
    uint64_t needed = row * rows;  // row < 2^34, rows <= 2^31: no overflow
    if (encoded) {
        if (image_size == 0) return IMAGE_INVALID_FORMAT;
    } else {
        if (needed > UINT32_MAX) return IMAGE_INVALID_FORMAT;
        if (image_size == 0) image_size = static_cast<uint32_t>(needed);
        if (image_size < needed) return IMAGE_INVALID_FORMAT;
    }
    layout->header_size = header_size;
    layout->colours = colours;
    layout->image_size = image_size;
    return 0;
}

// The packed size a block claims: header + palette + pixels; 0 when the
// block is too small to hold a header or does not hold what it claims.
uint64_t checked_packed_size(const Dib* block) {
    if (!block || block->bytes.size() < BMP_INFO_HEADER_SIZE) return 0;
    const uint8_t* h = block->bytes.data();
    uint64_t size = uint64_t{get32(h + HDR_SIZE)} + 4 * uint64_t{get32(h + HDR_COLOURS_USED)} +
                    get32(h + HDR_IMAGE_SIZE);
    return size == block->bytes.size() ? size : 0;
}

}  // namespace

int32_t dib_header_size(const Dib* dib) {
    return static_cast<int32_t>(get32(dib->bytes.data() + HDR_SIZE));
}
int32_t dib_width(const Dib* dib) {
    return static_cast<int32_t>(get32(dib->bytes.data() + HDR_WIDTH));
}
int32_t dib_height(const Dib* dib) {
    return static_cast<int32_t>(get32(dib->bytes.data() + HDR_HEIGHT));
}
int dib_bit_count(const Dib* dib) { return get16(dib->bytes.data() + HDR_BIT_COUNT); }
uint32_t dib_colours_used(const Dib* dib) { return get32(dib->bytes.data() + HDR_COLOURS_USED); }
uint32_t dib_image_size(const Dib* dib) { return get32(dib->bytes.data() + HDR_IMAGE_SIZE); }

Dib* read_dib(int format, FILE* file, int* result) {
    int dummy = 0;
    int& r = result ? *result : dummy;
    r = IMAGE_INVALID_FORMAT;
    if (format != IMAGE_FORMAT_BMP) return nullptr;

    uint8_t file_header[BMP_FILE_HEADER_SIZE];
    uint8_t size_field[4];
    if (!read_exact(file_header, sizeof file_header, file) ||
        !read_exact(size_field, sizeof size_field, file)) {
        r = -1;
        return nullptr;
    }
    if (get16(file_header) != BMP_TYPE) return nullptr;
    uint32_t header_size = get32(size_field);
    if (header_size < BMP_INFO_HEADER_SIZE) return nullptr;  // the 12-byte core header too

    int64_t left = stream_bytes_left(file);
    if (left < 0) left = UNKNOWN_LENGTH_LIMIT;
    if (uint64_t{header_size} - 4 > uint64_t(left)) {
        r = -1;
        return nullptr;
    }
    std::vector<uint8_t> header(header_size);
    std::memcpy(header.data(), size_field, 4);
    if (!read_exact(header.data() + 4, header_size - 4, file)) {
        r = -1;
        return nullptr;
    }
    left -= header_size - 4;

    Layout layout;
    if (check_header(header.data(), header_size, &layout) != 0) return nullptr;
    uint64_t palette = 4 * uint64_t{layout.colours};
    uint64_t headers_end = BMP_FILE_HEADER_SIZE + uint64_t{header_size} + palette;
    uint64_t offset = get32(file_header + 10);
    if (offset < headers_end) return nullptr;  // pixels inside the headers
    uint64_t gap = offset - headers_end;
    if (palette + gap + layout.image_size > uint64_t(left)) {
        r = -1;
        return nullptr;
    }

    Dib* block = new Dib;
    block->bytes.resize(header_size + palette + layout.image_size);
    uint8_t* p = block->bytes.data();
    std::memcpy(p, header.data(), header_size);
    put32(p + HDR_COLOURS_USED, layout.colours);
    put32(p + HDR_IMAGE_SIZE, layout.image_size);
    if (!read_exact(p + header_size, palette, file) || !skip_bytes(gap, file) ||
        !read_exact(p + header_size + palette, layout.image_size, file)) {
        delete block;
        r = -1;
        return nullptr;
    }
    r = 0;
    return block;
}

int write_dib(int format, const Dib* block, FILE* file) {
    if (format != IMAGE_FORMAT_BMP) return -1;
    uint64_t packed = checked_packed_size(block);
    if (packed == 0 || packed + BMP_FILE_HEADER_SIZE > UINT32_MAX) return -1;
    const uint8_t* h = block->bytes.data();
    uint8_t file_header[BMP_FILE_HEADER_SIZE] = {};
    put16(file_header, BMP_TYPE);
    put32(file_header + 2, static_cast<uint32_t>(packed + BMP_FILE_HEADER_SIZE));
    put32(file_header + 10,
          get32(h + HDR_SIZE) + 4 * get32(h + HDR_COLOURS_USED) + BMP_FILE_HEADER_SIZE);
    if (std::fwrite(file_header, 1, sizeof file_header, file) != sizeof file_header) return -1;
    if (std::fwrite(h, 1, packed, file) != packed) return -1;
    return 0;
}

Dib* copy_dib(int format, const Dib* block) {
    if (format != IMAGE_FORMAT_BMP || !block) return nullptr;
    return new Dib(*block);
}

void free_dib(int format, Dib* block) {
    if (format == IMAGE_FORMAT_BMP) delete block;
}

bool dib_size(const Image* image, int32_t* width, int32_t* height) {
    *width = *height = 0;
    const Dib* dib = image->bitmap;
    if (image_format(image) != IMAGE_FORMAT_BMP || !dib || dib->bytes.size() < BMP_INFO_HEADER_SIZE)
        return false;
    *width = dib_width(dib);
    int32_t h = dib_height(dib);
    *height = h < 0 ? -h : h;  // held bitmaps never carry INT32_MIN
    return true;
}

Dib* image_read_file(const char* file_name, int format, int* result) {
    FILE* file = open_file(file_name, "rb");
    if (!file) {
        *result = 1;
        return nullptr;
    }
    *result = 0;
    Dib* block = read_dib(format, file, result);
    std::fclose(file);
    if (!block && *result == 0) *result = IMAGE_INVALID_FORMAT;
    return block;
}

Dib* image_load(const char* file_name, int format) {
    int result = 0;
    Dib* block = image_read_file(file_name, format, &result);
    if (!block && result == 1)
        error_box(nullptr, nullptr, 0, 1, file_name);
    else if (!block)
        error_box(nullptr, nullptr, 0, IMAGE_INVALID_FORMAT, file_name);
    return block;
}

int image_read_dib(Image* image, FILE* file) {
    image_free_dib(image);
    // An image saved without a bitmap (none could be loaded, or a format
    // other than BMP) has nothing here: a BMP always starts with 'B', which
    // begins no record and no object id.
    int c = getc_unlocked(file);
    if (c == EOF) return -1;
    ungetc(c, file);
    if (c != 'B' || image_format(image) != IMAGE_FORMAT_BMP) return 0;
    int result = 0;
    image->bitmap = read_dib(image_format(image), file, &result);
    return image->bitmap ? 0 : result;
}

int image_write_dib(Image* image, FILE* file) {
    if (!image->bitmap || image_format(image) != IMAGE_FORMAT_BMP) return 0;
    return write_dib(image_format(image), image->bitmap, file);
}

Dib* image_copy_dib(const Image* image) { return copy_dib(image_format(image), image->bitmap); }

void image_free_dib(Image* image) {
    // The block is released whatever the flags say now: it was made as a BMP.
    free_dib(IMAGE_FORMAT_BMP, image->bitmap);
    image->bitmap = nullptr;
}

int image_save_file(Image* image) {
    if (!image->changed || !image->bitmap || !image->file_name) return 0;
    if (!confirm_box(nullptr, "Warning", IMAGE_MODIFIED, image->file_name)) return 0;
    int result = write_atomically(
        image->file_name, "wb",
        [&](FILE* out) { return write_dib(image_format(image), image->bitmap, out) != 0 ? -1 : 0; },
        false);
    if (result == 0) image->changed = 0;
    return result;
}
