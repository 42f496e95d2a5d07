#include "import/sdt_files.h"

#include <algorithm>

namespace sdt_test {

File32::File32(bool big) : File32(big, 0, 0) {}

File32::File32(bool big, uint32_t a, uint32_t b) : big_(big) {
    Writer w(big);
    const uint32_t word = big ? 0x58313030u : 0x30303178u;  // "X100" / "x100"
    if (a == 0 && b == 0) a = word, b = 0u - word;
    w.u32(a).u32(b).raw("OrCAD 32bit Schematic   ").u32(0).u32(0);
    for (int i = 0; i < 19; ++i) w.u16(static_cast<unsigned>(i));
    w.zeros(2);
    bytes = w.bytes;
    sized();
}

File32& File32::add(uint8_t type, const Writer& body) {
    Writer w(big_);
    w.u8(type).u8(0).u16(0x1234).u32(static_cast<uint32_t>(body.bytes.size()));
    bytes.insert(bytes.end(), w.bytes.begin(), w.bytes.end());
    bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
    return sized();
}

File32& File32::sized() {
    // The header word at 0x20 gives the size of what follows the header.
    Writer size(big_);
    size.u32(static_cast<uint32_t>(bytes.size() - 0x50));
    std::copy(size.bytes.begin(), size.bytes.end(), bytes.begin() + 0x20);
    return *this;
}

File32& File32::record(uint8_t type, const Bytes& body) {
    Writer w(big_);
    w.bytes = body;
    return add(type, w);
}

File32& File32::title(const std::vector<std::string>& texts, unsigned sheet_size) {
    Writer w(big_);
    w.u16(1).u16(2).u16(sheet_size).u16(4).zeros(35 - 16);
    for (size_t i = 0; i < 7; ++i) {
        std::string t = i < texts.size() ? texts[i] : "";
        w.pstr(t).zeros(128 - t.size());
    }
    return add(0, w);
}

File32& File32::sheet(int x, int y, int w, int h, const std::string& file, const std::string& name,
                      const std::vector<Entry32>& entries) {
    Writer b(big_);
    b.i16(x).i16(y).i16(w).i16(h).u32(0).u32(static_cast<uint32_t>(12 * entries.size()));
    b.u32(static_cast<uint32_t>(entries.size()));
    for (const Entry32& e : entries) b.i16(e.dx).i16(e.dy).u32(0).u8(e.type).zeros(3);
    b.pstr(file).pstr(name);
    for (int i = 2; i < 10; ++i) b.pstr("");
    for (const Entry32& e : entries) b.pstr(e.name);
    return add(1, b);
}

File32& File32::part(const Part32& p, uint8_t type) {
    Writer b(big_);
    b.i16(p.x).i16(p.y).u32(0).u32(p.flags).u32(0).u32(p.date).u32(p.time).u16(p.device);
    for (size_t i = 0; i < 11; ++i) {
        auto o = i < p.offsets.size() ? p.offsets[i] : std::pair<int, int>{0, 0};
        b.i16(o.first).i16(o.second);
    }
    for (size_t i = 0; i < 13; ++i) b.pstr(i < p.strings.size() ? p.strings[i] : "");
    return add(type, b);
}

File32& File32::line(uint8_t type, int x1, int y1, int x2, int y2) {
    Writer b(big_);
    b.i16(x1).i16(y1).i16(x2).i16(y2);
    return add(type, b);
}

File32& File32::text(uint8_t type, int x, int y, const std::string& text) {
    Writer b(big_);
    b.i16(x).i16(y).u8(0).u8(0).pstr(text);
    return add(type, b);
}

File32& File32::port(int x, int y, unsigned kind, unsigned shape, int length,
                     const std::string& name) {
    Writer b(big_);
    b.i16(x).i16(y).u8(kind).u8(shape).i16(length).pstr(name);
    return add(9, b);
}

File32& File32::power(int x, int y, unsigned flags, const std::string& name) {
    Writer b(big_);
    b.i16(x).i16(y).u8(flags).pstr(name);
    return add(10, b);
}

File32& File32::point(uint8_t type, int x, int y, unsigned extra) {
    Writer b(big_);
    b.i16(x).i16(y);
    if (type == 11) b.u8(extra);
    return add(type, b);
}

File32& File32::other13() {
    Writer b(big_);
    b.i16(1).i16(2).u32(3).u32(4).u32(5);
    return add(13, b);
}

File32& File32::end() { return add(31, Writer(big_)); }

// --- 16-bit -----------------------------------------------------------------------

File16::File16() {
    Writer w;
    w.raw("Schematic FILE").zeros(32 - 14);
    bytes = w.bytes;
}

File16& File16::add(uint8_t type, const Writer& body) {
    Writer w;
    w.u8(type).u16(static_cast<unsigned>(body.bytes.size()));
    bytes.insert(bytes.end(), w.bytes.begin(), w.bytes.end());
    bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
    return *this;
}

File16& File16::record(uint8_t type, const Bytes& body) {
    Writer w;
    w.bytes = body;
    return add(type, w);
}

File16& File16::sheet(unsigned x, unsigned y, unsigned w, unsigned h, const std::string& file,
                      const std::string& name, const std::vector<Entry32>& entries) {
    Writer b;
    b.u16(x).u16(y).u16(w).u16(h).zeros(4).u8(static_cast<unsigned>(entries.size()));
    b.pstr(file).pstr(name);
    for (const Entry32& e : entries) b.i16(e.dx).i16(e.dy).u8(e.type).pstr(e.name);
    return add(1, b);
}

File16& File16::part(int x, int y, unsigned status, const std::string& reference,
                     const std::string& value,
                     const std::vector<std::pair<std::pair<int, int>, std::string>>& fields) {
    Writer b;
    b.i16(x).i16(y).i16(x + 1).i16(y + 1).i16(x + 2).i16(y + 2).u16(status).zeros(14);
    b.pstr(reference).pstr(value);
    for (const auto& f : fields) b.i16(f.first.first).i16(f.first.second).pstr(f.second);
    return add(2, b);
}

File16& File16::line(uint8_t type, int x1, int y1, int x2, int y2) {
    Writer b;
    b.i16(x1).i16(y1).i16(x2).i16(y2);
    return add(type, b);
}

File16& File16::point(uint8_t type, int x, int y) {
    Writer b;
    b.i16(x).i16(y);
    return add(type, b);
}

File16& File16::port(int x, int y, unsigned type, unsigned dim, const std::string& name) {
    Writer b;
    b.i16(x).i16(y).u8(type).u8(dim).pstr(name);
    return add(6, b);
}

File16& File16::text(uint8_t type, int x, int y, const std::string& text) {
    Writer b;
    b.i16(x).i16(y).u16(0x55).pstr(text);
    return add(type, b);
}

File16& File16::entry(int x, int y, unsigned config) {
    Writer b;
    b.i16(x).i16(y).u8(config);
    return add(8, b);
}

File16& File16::power(int x, int y, unsigned subtype, const std::string& name) {
    Writer b;
    b.i16(x).i16(y).u8(subtype).pstr(name);
    return add(10, b);
}

File16& File16::property(unsigned subtype, int x, int y, const std::string& name) {
    Writer b;
    b.u8(subtype).i16(x).i16(y).zeros(2);
    if (subtype != 4) b.pstr(name);
    return add(12, b);
}

File16& File16::end() { return add(15, Writer()); }

File16& File16::symbols(const std::vector<std::string>& names) {
    for (const std::string& n : names) {
        bytes.push_back(static_cast<unsigned char>(n.size()));
        bytes.insert(bytes.end(), n.begin(), n.end());
    }
    bytes.push_back(0);
    return *this;
}

}  // namespace sdt_test
