#pragma once
// The binary part libraries of the foreign program, written back as the
// library source text that the library converter reads: the real libraries
// that come with the real sheets exist only in binary form, and the tests
// convert them the way a user converts a library source.
//
// What the tests need of the binary form (little-endian throughout):
//   header    at 0x20, nine pairs (u32 size, u32 offset) naming sections;
//             section 3 is the index, section 5 the part records, section 7
//             the name pool (length-prefixed strings);
//   index     16-byte entries: u32 link, u32 name offset in the pool, u32
//             record offset in section 5, u32 family mask; a name offset of
//             0 is an empty slot;
//   record    u32 size of the rest; i16 width, i16 height (sheet units, ten
//             to a grid step); u16 flags; u16; u16 device count (0: pins
//             known by name only); u16 pin count; four u32 offsets (the
//             second is not 0xFFFFFFFF when a converted body follows, with
//             its own pins); the reference prefix (length-prefixed, then 8
//             more bytes); the pins;
//   pin       u8 type (0 IN, 1 I/O, 2 OUT, 3 OC, 4 PAS, 5 hiZ, 6 OE, 7 PWR);
//             u8 shape (bits 0-1 side: 0 left, 1 bottom, 2 right, 3 top;
//             0x20 clock, 0x40 dot, 0x80 short); u8 offset along its side in
//             grid steps; the name (length-prefixed); one number byte per
//             device (0: none).
// Parts with a converted body are written with their normal one only, and
// records that do not read whole within their size are left out.
#include <string>

namespace sdt_test {

struct ForeignLibrarySource {
    std::string text;   // library source, one part per record
    int parts = 0;      // records written
    int skipped = 0;    // records left out
    std::string error;  // why the file could not be read at all (text empty)
};

ForeignLibrarySource foreign_library_source(const std::string& path);

}  // namespace sdt_test
