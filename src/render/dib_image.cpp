#include "render/dib_image.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "model/documents/dib.h"

namespace {

enum : uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };
// Decoded images larger than this are refused: a damaged header must not
// make the drawing pass allocate gigabytes.
constexpr int64_t MAX_DECODED_PIXELS = 64LL * 1024 * 1024;

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Value of a masked field scaled to 0..255.
uint8_t field(uint32_t pixel, uint32_t mask) {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask >> shift & 1)) ++shift;
    uint32_t max = mask >> shift;
    uint32_t v = (pixel & mask) >> shift;
    return static_cast<uint8_t>(v * 255 / max);
}

struct Canvas {
    int width, height;
    std::vector<uint8_t> rgb;  // bottom-up row order as stored; flipped at the end
    void set(int x, int row, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || x >= width || row < 0 || row >= height) return;
        uint8_t* p = &rgb[(size_t(row) * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

// Run-length decoding into palette indices; rows in stored order.
void decode_rle(const uint8_t* data, size_t size, bool four, std::vector<int>* idx, int w, int h) {
    size_t i = 0;
    int x = 0, row = 0;
    auto put = [&](int v) {
        if (x < w && row < h) (*idx)[size_t(row) * w + x] = v;
        ++x;
    };
    while (i + 1 < size && row < h) {
        const uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count) {
            for (int k = 0; k < count; ++k)
                put(four ? (k % 2 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++row;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta
            if (i + 1 >= size) break;
            x += data[i];
            row += data[i + 1];
            i += 2;
        } else {  // absolute run of `value` pixels
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (i + bytes > size) break;
            for (int k = 0; k < value; ++k)
                put(four ? (k % 2 ? data[i + k / 2] & 0x0F : data[i + k / 2] >> 4) : data[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
    }
}

}  // namespace

bool dib_to_image(const Dib* dib, wxImage* out) {
    if (!dib || dib->bytes.size() < 40) return false;
    const uint8_t* base = dib->bytes.data();
    const size_t total = dib->bytes.size();
    const uint32_t header = le32(base);
    if (header < 40 || header > total) return false;
    const int32_t width = static_cast<int32_t>(le32(base + 4));
    const int32_t stored_height = static_cast<int32_t>(le32(base + 8));
    const int bits = base[14] | base[15] << 8;
    const uint32_t compression = le32(base + 16);
    const uint32_t colours = le32(base + 32);
    if (width <= 0 || stored_height == 0 || stored_height == INT32_MIN) return false;
    const int height = std::abs(stored_height);
    if (int64_t{width} * height > MAX_DECODED_PIXELS) return false;
    const uint64_t palette_bytes = uint64_t{colours} * 4;
    if (header + palette_bytes > total) return false;
    const uint8_t* palette = base + header;
    const uint8_t* pixels = palette + palette_bytes;
    const size_t pixel_bytes = total - header - palette_bytes;

    Canvas c{width, height, std::vector<uint8_t>(size_t(width) * height * 3, 0)};
    auto from_palette = [&](int x, int row, uint32_t index) {
        if (index >= colours) return;
        const uint8_t* q = palette + 4 * index;
        c.set(x, row, q[2], q[1], q[0]);
    };

    if (compression == BI_RLE8 || compression == BI_RLE4) {
        std::vector<int> idx(size_t(width) * height, 0);
        decode_rle(pixels, pixel_bytes, compression == BI_RLE4, &idx, width, height);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x) from_palette(x, row, idx[size_t(row) * width + x]);
    } else if (compression == BI_RGB || compression == BI_BITFIELDS) {
        uint32_t rmask = 0, gmask = 0, bmask = 0;
        if (compression == BI_BITFIELDS) {
            if (header < 52) return false;
            rmask = le32(base + 40);
            gmask = le32(base + 44);
            bmask = le32(base + 48);
        } else if (bits == 16) {
            rmask = 0x7C00, gmask = 0x03E0, bmask = 0x001F;
        } else if (bits == 32) {
            rmask = 0xFF0000, gmask = 0x00FF00, bmask = 0x0000FF;
        }
        const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
        if (stride * height > pixel_bytes) return false;
        for (int row = 0; row < height; ++row) {
            const uint8_t* line = pixels + stride * row;
            for (int x = 0; x < width; ++x) {
                switch (bits) {
                case 1:
                    from_palette(x, row, line[x / 8] >> (7 - x % 8) & 1);
                    break;
                case 4:
                    from_palette(x, row, x % 2 ? line[x / 2] & 0x0F : line[x / 2] >> 4);
                    break;
                case 8:
                    from_palette(x, row, line[x]);
                    break;
                case 16: {
                    const uint32_t v = line[2 * x] | line[2 * x + 1] << 8;
                    c.set(x, row, field(v, rmask), field(v, gmask), field(v, bmask));
                    break;
                }
                case 24:
                    c.set(x, row, line[3 * x + 2], line[3 * x + 1], line[3 * x]);
                    break;
                case 32: {
                    const uint32_t v = le32(line + 4 * x);
                    c.set(x, row, field(v, rmask), field(v, gmask), field(v, bmask));
                    break;
                }
                default:
                    return false;
                }
            }
        }
    } else {
        return false;
    }

    wxImage image(width, height, false);
    unsigned char* data = image.GetData();
    for (int y = 0; y < height; ++y) {
        // A positive stored height means the rows are stored bottom-up.
        const int row = stored_height > 0 ? height - 1 - y : y;
        std::copy_n(&c.rgb[size_t(row) * width * 3], size_t(width) * 3, data + size_t(y) * width * 3);
    }
    *out = image;
    return true;
}
