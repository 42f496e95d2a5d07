#pragma once
// Synthesised foreign schematic files for the import tests, written from
// the record layouts: 32-bit files in either byte order and 16-bit files,
// one builder call per record type.
#include <cstdint>
#include <string>
#include <vector>

namespace sdt_test {

using Bytes = std::vector<unsigned char>;

// Little- or big-endian field writer.
class Writer {
public:
    explicit Writer(bool big = false) : big_(big) {}
    Writer& u8(unsigned v) {
        bytes.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    Writer& u16(unsigned v) { return put(v, 2); }
    Writer& i16(int v) { return put(static_cast<uint16_t>(v), 2); }
    Writer& u32(uint32_t v) { return put(v, 4); }
    Writer& pstr(const std::string& s) {
        u8(static_cast<unsigned>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Writer& raw(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    Writer& zeros(size_t n) {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    bool big() const { return big_; }
    Bytes bytes;

private:
    Writer& put(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            int shift = big_ ? 8 * (n - 1 - i) : 8 * i;
            bytes.push_back(static_cast<unsigned char>(v >> shift));
        }
        return *this;
    }
    bool big_;
};

struct Entry32 {
    int dx, dy;
    unsigned type;
    std::string name;
};

struct Part32 {
    int x = 0, y = 0;
    uint32_t flags = 0;  // rotation, mirror, converted, hidden fields
    uint32_t date = 0, time = 0;
    unsigned device = 1;
    std::vector<std::pair<int, int>> offsets;  // fields 0..10
    std::vector<std::string> strings;          // pstrings 0..12
};

// A 32-bit file: header, then records appended by the calls.
class File32 {
public:
    // big: byte-swapped ('X' first). a, b: the header words.
    explicit File32(bool big = false);
    File32(bool big, uint32_t a, uint32_t b);
    File32& title(const std::vector<std::string>& texts, unsigned sheet_size);
    File32& sheet(int x, int y, int w, int h, const std::string& file, const std::string& name,
                  const std::vector<Entry32>& entries);
    File32& part(const Part32& part, uint8_t type = 3);
    File32& line(uint8_t type, int x1, int y1, int x2, int y2);         // 4 wire, 5 bus, 6 dashed
    File32& text(uint8_t type, int x, int y, const std::string& text);  // 7 label, 8 text
    File32& port(int x, int y, unsigned kind, unsigned shape, int length, const std::string& name);
    File32& power(int x, int y, unsigned flags, const std::string& name);
    File32& point(uint8_t type, int x, int y,
                  unsigned extra = 0);  // 11 entry, 12 junction, 14 no-connect, 30
    File32& other13();
    File32& end();
    // A record of any type and body (for damaged files).
    File32& record(uint8_t type, const Bytes& body);
    // Puts the size of the records into the header (each call above does).
    File32& sized();
    Bytes bytes;

private:
    File32& add(uint8_t type, const Writer& body);
    bool big_;
};

// A 16-bit file: header, records, and (after end()) the symbol list.
class File16 {
public:
    File16();
    File16& sheet(unsigned x, unsigned y, unsigned w, unsigned h, const std::string& file,
                  const std::string& name, const std::vector<Entry32>& entries);
    File16& part(int x, int y, unsigned status, const std::string& reference,
                 const std::string& value,
                 const std::vector<std::pair<std::pair<int, int>, std::string>>& fields = {});
    File16& line(uint8_t type, int x1, int y1, int x2, int y2);  // 3 wire, 4 bus, 9 dashed
    File16& point(uint8_t type, int x, int y);                   // 5 junction
    File16& port(int x, int y, unsigned type, unsigned dim, const std::string& name);
    File16& text(uint8_t type, int x, int y, const std::string& text);  // 7 label, 11 text
    File16& entry(int x, int y, unsigned config);
    File16& power(int x, int y, unsigned subtype, const std::string& name);
    File16& property(unsigned subtype, int x, int y, const std::string& name);
    File16& record(uint8_t type, const Bytes& body);
    File16& end();
    File16& symbols(const std::vector<std::string>& names);
    Bytes bytes;

private:
    File16& add(uint8_t type, const Writer& body);
};

}  // namespace sdt_test
