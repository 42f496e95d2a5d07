#include "import/foreign_library.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "support/test_env.h"

namespace sdt_test {
namespace {

constexpr uint32_t NONE = 0xFFFFFFFFu;

// Bounded little-endian reads over the whole file.
class Reader {
public:
    explicit Reader(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    size_t size() const { return bytes_.size(); }
    std::optional<uint32_t> u8(size_t at) const {
        if (at >= bytes_.size()) return std::nullopt;
        return bytes_[at];
    }
    std::optional<uint32_t> u16(size_t at) const {
        if (at + 2 > bytes_.size()) return std::nullopt;
        return uint32_t{bytes_[at]} | uint32_t{bytes_[at + 1]} << 8;
    }
    std::optional<int32_t> i16(size_t at) const {
        auto v = u16(at);
        if (!v) return std::nullopt;
        return static_cast<int16_t>(*v);
    }
    std::optional<uint32_t> u32(size_t at) const {
        auto lo = u16(at), hi = u16(at + 2);
        if (!lo || !hi) return std::nullopt;
        return *lo | *hi << 16;
    }
    // A length-prefixed string at `at` that ends before `end`; *at moves past it.
    std::optional<std::string> pstring(size_t* at, size_t end) const {
        auto n = u8(*at);
        if (!n || *at + 1 + *n > end) return std::nullopt;
        std::string s(bytes_.begin() + static_cast<long>(*at + 1),
                      bytes_.begin() + static_cast<long>(*at + 1 + *n));
        *at += 1 + *n;
        return s;
    }

private:
    std::vector<unsigned char> bytes_;
};

std::string source_string(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\n' || c == '\r') c = ' ';  // a source string holds no line end
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

// One part record as source text (header and pins), or nothing when the
// record does not read whole or cannot be written in grid steps.
std::optional<std::string> part_source(const Reader& r, size_t at, size_t section_end) {
    auto size = r.u32(at);
    if (!size || at + 4 + *size > section_end) return std::nullopt;
    const size_t end = at + 4 + *size;
    auto w = r.i16(at + 4), h = r.i16(at + 6);
    auto devices = r.u16(at + 12), pins = r.u16(at + 14);
    if (!w || !h || !devices || !pins || *w < 0 || *h < 0 || *w % 10 || *h % 10)
        return std::nullopt;
    size_t p = at + 32;
    auto prefix = r.pstring(&p, end);
    if (!prefix) return std::nullopt;
    p += 8;
    std::string text;
    if (!prefix->empty()) text += "REFERENCE " + source_string(*prefix) + "\n";
    text += std::to_string(*w / 10) + " " + std::to_string(*h / 10) + " " +
            std::to_string(*devices) + "\n";
    static const char* const sides[4] = {"L", "B", "R", "T"};
    static const char* const types[8] = {"IN", "I/O", "OUT", "OC", "PAS", "hiZ", "OE", "PWR"};
    for (uint32_t i = 0; i < *pins; ++i) {
        auto type = r.u8(p), shape = r.u8(p + 1), offset = r.u8(p + 2);
        p += 3;
        auto name = r.pstring(&p, end);
        if (!type || !shape || !offset || !name || *type > 7) return std::nullopt;
        text += std::string(sides[*shape & 3]) + " " + std::to_string(*offset);
        for (uint32_t d = 0; d < *devices; ++d) {
            auto number = r.u8(p++);
            if (!number) return std::nullopt;
            text += " " + std::to_string(*number);
        }
        if (*shape & 0x40) text += " DOT";
        if (*shape & 0x20) text += " CLK";
        if (*shape & 0x80) text += " SHORT";
        text += std::string(" ") + types[*type] + " " + source_string(*name) + "\n";
    }
    if (p > end) return std::nullopt;
    const std::string W = std::to_string(*w / 10), H = std::to_string(*h / 10);
    text += "VECTOR\nLINE 0 0 " + W + " 0\nLINE " + W + " 0 " + W + " " + H + "\nLINE " + W + " " +
            H + " 0 " + H + "\nLINE 0 " + H + " 0 0\nEND\n";
    return text;
}

}  // namespace

ForeignLibrarySource foreign_library_source(const std::string& path) {
    ForeignLibrarySource out;
    Reader r(tn_test::read_bytes(path));
    auto section = [&](int i, uint32_t* size, uint32_t* offset) {
        auto s = r.u32(0x20 + 8 * static_cast<size_t>(i)),
             o = r.u32(0x24 + 8 * static_cast<size_t>(i));
        if (!s || !o || uint64_t{*s} + *o > r.size()) return false;
        *size = *s, *offset = *o;
        return true;
    };
    uint32_t index_size, index_at, parts_size, parts_at, pool_size, pool_at;
    if (r.size() < 0x68 || !section(3, &index_size, &index_at) ||
        !section(5, &parts_size, &parts_at) || !section(7, &pool_size, &pool_at)) {
        out.error = path + ": not a library of the foreign program";
        return out;
    }
    // Names of each record in index order; a record named twice has aliases.
    std::map<uint32_t, std::vector<std::string>> names;
    std::vector<uint32_t> order;
    for (size_t e = index_at; e + 16 <= size_t{index_at} + index_size; e += 16) {
        const uint32_t name_at = *r.u32(e + 4), record = *r.u32(e + 8);
        if (name_at == 0 || name_at >= pool_size || record == NONE) continue;
        size_t p = pool_at + name_at;
        auto name = r.pstring(&p, size_t{pool_at} + pool_size);
        if (!name || name->empty()) continue;
        if (!names.count(record)) order.push_back(record);
        names[record].push_back(*name);
    }
    for (uint32_t record : order) {
        auto body = record < parts_size
                        ? part_source(r, size_t{parts_at} + record, size_t{parts_at} + parts_size)
                        : std::nullopt;
        if (!body) {
            ++out.skipped;
            continue;
        }
        for (const std::string& name : names[record]) out.text += source_string(name) + "\n";
        out.text += *body;
        ++out.parts;
    }
    return out;
}

}  // namespace sdt_test
