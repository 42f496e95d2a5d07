#pragma once
// Foreign (OrCAD SDT) schematic files as read, before any conversion: one
// ForeignFile per loaded file with its header and its records in file
// order. Two formats exist:
//
// 32-bit files: an 80-byte header (words A and B with A + B == 0, then
// "OrCAD 32bit Schematic   "), then records back to back: type (u8), flag
// (u8), a 16-bit word, the body size (u32), the body. Little-endian, except
// in a byte-swapped file (first byte 'V' or 'X'), whose 16- and 32-bit
// fields are big-endian. In memory a record is its 8-byte head and its body
// with every field in little-endian order whatever the file's, so that the
// converters read one layout; field offsets count from the head.
//
// 16-bit files: a 32-byte header beginning "Schematic FILE", records of
// type byte, body size (u16) and body up to the end-of-list record (type
// 15), then the symbol list: every byte after it, kept as one record of
// type 64. In memory a record is the type byte, a spare byte, the 16-bit
// size and the body, so a body offset plus 4 is a memory offset.
//
// The readers work on the whole file in memory and never read past it:
// every body is checked against the bytes left and against the fixed
// fields of its type before it is kept. A short read, a type outside the
// tables or a body too short for its fields is a format error; the reader
// then gives its message and the byte offset of the record and the load
// stops.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Record types of the 32-bit format.
enum : uint8_t {
    SDT32_TITLE = 0,
    SDT32_SHEET = 1,
    SDT32_PART_OTHER = 2,  // same layout as a part; not converted
    SDT32_PART = 3,
    SDT32_WIRE = 4,
    SDT32_BUS = 5,
    SDT32_DASHED = 6,
    SDT32_LABEL = 7,
    SDT32_TEXT = 8,
    SDT32_PORT = 9,
    SDT32_POWER = 10,
    SDT32_BUS_ENTRY = 11,
    SDT32_JUNCTION = 12,
    SDT32_OTHER13 = 13,
    SDT32_NOCONNECT = 14,
    SDT32_OTHER30 = 30,
    SDT32_END = 31,
};

// Record types of the 16-bit format (low 4 bits of the type byte).
enum : uint8_t {
    SDT16_FRAME = 0,
    SDT16_SHEET = 1,
    SDT16_PART = 2,
    SDT16_WIRE = 3,
    SDT16_BUS = 4,
    SDT16_JUNCTION = 5,
    SDT16_PORT = 6,
    SDT16_LABEL = 7,
    SDT16_BUS_ENTRY = 8,
    SDT16_DASHED = 9,
    SDT16_POWER = 10,
    SDT16_TEXT = 11,
    SDT16_PROPERTY = 12,
    SDT16_END = 15,
    SDT16_SYMBOLS = 64,  // the symbol list after the end record
};

constexpr size_t SDT32_HEADER_SIZE = 80;
constexpr size_t SDT16_HEADER_SIZE = 32;
constexpr size_t SDT32_HEAD = 8;  // memory offset of a 32-bit body
constexpr size_t SDT16_HEAD = 4;  // memory offset of a 16-bit body
constexpr size_t FOREIGN_NAME_MAX = 127;
// Largest foreign file read: far above any real sheet, and small enough
// that a hostile size cannot exhaust memory.
constexpr size_t FOREIGN_FILE_MAX = 64u << 20;

struct ForeignObject {
    uint8_t type = 0;    // the whole type byte
    uint8_t flag = 0;
    uint16_t word = 0;
    uint32_t size = 0;   // body size
    std::vector<uint8_t> data;  // head then body, fields little-endian
};

struct ForeignFile {
    uint8_t header[SDT32_HEADER_SIZE + SDT16_HEADER_SIZE] = {};  // 16-bit header from byte 80
    std::string name;     // the kept name (output name or name as passed in)
    std::string input;    // the input file's system path, for the hierarchy's duplicate test
    std::vector<std::unique_ptr<ForeignObject>> objects;  // file order
    bool swapped = false;   // 32-bit files only
    bool sixteen = false;   // false: 32-bit file
};

// --- little-endian fields of a record in memory --------------------------------
// Every accessor answers 0 for a field that does not lie wholly in the record.
int32_t fo_i16(const ForeignObject* object, size_t offset);
uint32_t fo_u16(const ForeignObject* object, size_t offset);
uint32_t fo_u32(const ForeignObject* object, size_t offset);
uint32_t fo_u8(const ForeignObject* object, size_t offset);
// The n-th length-prefixed string of the run that starts at the offset
// into *out; false (out empty) when the run ends before it or it would
// reach past the record.
bool pstring_get(const ForeignObject* object, size_t offset, int n, std::string* out);
// The offset just after the n-th string of the run (n strings skipped);
// false when the run reaches past the record.
bool pstring_skip(const ForeignObject* object, size_t offset, int n, size_t* after);

// --- reading -------------------------------------------------------------------
// A file held whole in memory and the position of the next record.
struct ForeignInput {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    int state16 = 0;    // 16-bit reading state: 0 records, 1 symbol list next, 2 ended
    std::string error;  // the format error that ended the reading, with its offset
};
// Reads a whole file (system path) into the input: false when it cannot
// be opened or read, or exceeds FOREIGN_FILE_MAX.
bool foreign_input_open(ForeignInput* input, const std::string& path);

// 32-bit format. The header test works on the 80 bytes in file->header:
// sets the swapped flag from the first byte and answers 1 when A + B == 0
// (in the file's byte order) and the signature matches.
int sdt32_check_header(ForeignFile* file);
// Turns the 16- and 32-bit header fields of a byte-swapped file to
// little-endian order.
void sdt32_swap_header(ForeignFile* file);
// The next record, or none at the end of the input or on a format error
// (input->error then says which and where).
std::unique_ptr<ForeignObject> sdt32_read_object(ForeignInput* input, bool swapped);
// Reverses the bytes of every 16- and 32-bit field of a record by its type.
// False when the body is too short for the fields of its type or the type
// is unknown; the record is then left as it was.
bool sdt32_swap_object(ForeignObject* object);

// 16-bit format.
int sdt16_check_header(ForeignFile* file);
std::unique_ptr<ForeignObject> sdt16_read_object(ForeignInput* input);
// Reverses the bytes of the 16-bit fields of a record by its type (no file
// format needs it: 16-bit files are little-endian only).
bool sdt16_swap_object(ForeignObject* object);

// Whole-file readers used by the loaders and the fuzz targets: the header
// is taken from the input and tested; 0 with every record appended to
// file->objects; 1 when the header test fails (another format); -1 on a
// format error, described in input->error.
int sdt32_read_file(ForeignFile* file, ForeignInput* input);
int sdt16_read_file(ForeignFile* file, ForeignInput* input);
