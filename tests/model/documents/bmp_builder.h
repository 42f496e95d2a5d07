#pragma once
// Small BMP files made field by field, so that tests can write any header a
// file might carry, hostile ones included.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace bmp_builder {

struct BmpShape {
    int bits = 8;
    int32_t width = 5;
    int32_t height = 3;
    uint32_t colours_used = 0;     // the header's field
    uint32_t palette_entries = 0;  // entries actually stored
    uint32_t header_size = 40;
    uint32_t compression = 0;
    uint32_t image_size = 0;   // the header's field
    uint32_t pixel_bytes = 0;  // stored; 0: rows x padded row size
    uint32_t gap = 0;          // bytes between the palette and the pixels
    int64_t offset_delta = 0;  // added to the pixel offset written
    uint16_t type = 0x4D42;
};

// Bytes of one padded pixel row of the bitmap described.
inline uint32_t row_size(const BmpShape& s) {
    return static_cast<uint32_t>(((uint64_t(s.bits) * uint64_t(s.width) + 31) & ~uint64_t{31}) / 8);
}

inline uint32_t pixel_count_bytes(const BmpShape& s) {
    if (s.pixel_bytes) return s.pixel_bytes;
    int64_t rows = s.height < 0 ? -int64_t{s.height} : s.height;
    return static_cast<uint32_t>(row_size(s) * rows);
}

inline std::vector<uint8_t> make_bmp(const BmpShape& s) {
    std::vector<uint8_t> out;
    auto u16 = [&](uint32_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    uint32_t pixels = pixel_count_bytes(s);
    uint32_t offset =
        static_cast<uint32_t>(14 + s.header_size + 4 * s.palette_entries + s.gap + s.offset_delta);
    u16(s.type);
    u32(offset + pixels);
    u32(0);
    u32(offset);
    u32(s.header_size);
    u32(static_cast<uint32_t>(s.width));
    u32(static_cast<uint32_t>(s.height));
    u16(1);
    u16(static_cast<uint32_t>(s.bits));
    u32(s.compression);
    u32(s.image_size);
    u32(2835);
    u32(2835);
    u32(s.colours_used);
    u32(0);
    // A longer header's further fields (a huge size claimed is not stored).
    out.resize(14 + std::min<uint32_t>(s.header_size, 4096), 0);
    for (uint32_t i = 0; i < s.palette_entries; ++i) {
        out.push_back(uint8_t(i * 37));
        out.push_back(uint8_t(255 - i));
        out.push_back(uint8_t(i * 11 + 5));
        out.push_back(0);
    }
    out.insert(out.end(), s.gap, 0xEE);
    for (uint32_t i = 0; i < pixels; ++i) out.push_back(uint8_t(i * 7 + 3));
    return out;
}

// The four sample bitmaps as this program writes them back: every size
// field filled in, the palette of the colours-used count.
inline BmpShape sample_spec(int bits) {
    BmpShape s;
    s.bits = bits;
    switch (bits) {
        case 1: s.width = 13, s.height = 5, s.colours_used = 2; break;
        case 4: s.width = 7, s.height = 3, s.colours_used = 16; break;
        case 8: s.width = 5, s.height = 4, s.colours_used = 6; break;
        default: s.width = 3, s.height = 2, s.colours_used = 0; break;
    }
    s.palette_entries = s.colours_used;
    s.image_size = pixel_count_bytes(s);
    return s;
}

}  // namespace bmp_builder
