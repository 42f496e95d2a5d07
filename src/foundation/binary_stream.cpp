#include "foundation/binary_stream.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "foundation/core.h"

namespace {

// Reads n bytes (n <= 8); false when the stream ended first.
inline bool get_bytes(unsigned char* out, int n, FILE* stream) {
    for (int i = 0; i < n; ++i) {
        int c = getc_unlocked(stream);
        if (c == EOF) return false;
        out[i] = static_cast<unsigned char>(c);
    }
    return true;
}

inline bool get_u16(uint16_t* out, FILE* stream) {
    unsigned char b[2];
    if (!get_bytes(b, 2, stream)) return false;
    *out = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

inline bool get_u32(uint32_t* out, FILE* stream) {
    unsigned char b[4];
    if (!get_bytes(b, 4, stream)) return false;
    *out = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    return true;
}

inline void put_u32(uint32_t v, FILE* stream) {
    putc_unlocked(static_cast<int>(v >> 24 & 0xFF), stream);
    putc_unlocked(static_cast<int>(v >> 16 & 0xFF), stream);
    putc_unlocked(static_cast<int>(v >> 8 & 0xFF), stream);
    putc_unlocked(static_cast<int>(v & 0xFF), stream);
}

// Reads a whole string and hands it to store(text) on success.
template <class Store>
int read_name(FILE* stream, Store store) {
    std::string text;
    if (read_string(&text, stream) != 0) return -1;
    store(text.c_str());
    return 0;
}

}  // namespace

int64_t stream_bytes_left(FILE* stream) {
    long pos = std::ftell(stream);
    if (pos < 0) return -1;
    struct stat st;
    int fd = fileno(stream);
    if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        return st.st_size > pos ? st.st_size - pos : 0;
    // Memory streams and the like: ask the stream itself.
    if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(stream);
    if (std::fseek(stream, pos, SEEK_SET) != 0 || end < 0) return -1;
    return end > pos ? end - pos : 0;
}

int read_byte(uint8_t* out, FILE* stream) {
    *out = 0;
    int c = getc_unlocked(stream);
    if (c == EOF) return -1;
    *out = static_cast<uint8_t>(c);
    return 0;
}

int read_byte(int8_t* out, FILE* stream) {
    uint8_t b;
    int result = read_byte(&b, stream);
    *out = static_cast<int8_t>(b);
    return result;
}

int read_byte(char* out, FILE* stream) {
    uint8_t b;
    int result = read_byte(&b, stream);
    *out = static_cast<char>(b);
    return result;
}

void write_byte(int value, FILE* stream) { putc_unlocked(value & 0xFF, stream); }

int read_short(uint16_t* out, FILE* stream) { return get_u16(out, stream) ? 0 : -1; }

int read_short(int16_t* out, FILE* stream) {
    uint16_t v;
    if (!get_u16(&v, stream)) return -1;
    *out = static_cast<int16_t>(v);
    return 0;
}

void write_short(int value, FILE* stream) {
    putc_unlocked(value >> 8 & 0xFF, stream);
    putc_unlocked(value & 0xFF, stream);
}

int read_long(uint32_t* out, FILE* stream) { return get_u32(out, stream) ? 0 : -1; }

int read_long(int32_t* out, FILE* stream) {
    uint32_t v;
    if (!get_u32(&v, stream)) return -1;
    *out = static_cast<int32_t>(v);
    return 0;
}

void write_long(int32_t value, FILE* stream) { put_u32(static_cast<uint32_t>(value), stream); }

int read_float(double* out, FILE* stream) {
    uint32_t bits;
    if (!get_u32(&bits, stream)) return -1;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    *out = f;
    return 0;
}

void write_float(double value, FILE* stream) {
    auto f = static_cast<float>(value);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    put_u32(bits, stream);
}

int read_string(char* buffer, size_t capacity, FILE* stream) {
    size_t kept = 0;
    size_t length = 0;
    int result = 0;
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) {
            result = -1;
            break;
        }
        if (c == '\0') break;
        if (kept + 1 < capacity) buffer[kept++] = static_cast<char>(c);
        ++length;
    }
    if (capacity > 0) buffer[kept] = '\0';
    if (result == 0 && length > kept)
        warning("stored string of %zu characters cut to %zu", length, kept);
    return result;
}

int read_string(std::string* text, FILE* stream) {
    text->clear();
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) return -1;
        if (c == '\0') return 0;
        text->push_back(static_cast<char>(c));
    }
}

void write_string(const char* text, FILE* stream) {
    for (const char* p = text; *p; ++p) putc_unlocked(static_cast<unsigned char>(*p), stream);
    putc_unlocked('\0', stream);
}

void write_string_or_empty(const char* text, FILE* stream) { write_string(text ? text : "", stream); }

int read_string_dup(char** out, FILE* stream) {
    return read_name(stream, [out](const char* text) { *out = text[0] ? str_dup(text) : nullptr; });
}

int read_string_heap(char** held, FILE* stream) {
    return read_name(stream, [held](const char* text) {
        std::free(*held);
        *held = str_dup(text);
    });
}

size_t string_size(const char* text) { return std::strlen(text) + 1; }

int read_point(Point* out, FILE* stream) {
    Point p;
    int result = read_long(&p.x, stream);  // fields in stream order
    result |= read_long(&p.y, stream);
    if (result) return -1;
    *out = p;
    return 0;
}

void write_point(const Point& p, FILE* stream) {
    write_long(p.x, stream);
    write_long(p.y, stream);
}

int read_size(Point* out, FILE* stream) { return read_point(out, stream); }
void write_size(const Point& size, FILE* stream) { write_point(size, stream); }

int read_spoint(Point* out, FILE* stream) {
    int16_t x, y;
    int result = read_short(&x, stream);
    result |= read_short(&y, stream);
    if (result) return -1;
    *out = Point{x, y};
    return 0;
}

void write_spoint(const Point& p, FILE* stream) {
    write_short(p.x, stream);
    write_short(p.y, stream);
}

int read_rect(Rect* out, FILE* stream) {
    Rect r;
    int result = read_long(&r.x, stream);
    result |= read_long(&r.y, stream);
    result |= read_long(&r.w, stream);
    result |= read_long(&r.h, stream);
    if (result) return -1;
    *out = r;
    return 0;
}

void write_rect(const Rect& r, FILE* stream) {
    write_long(r.x, stream);
    write_long(r.y, stream);
    write_long(r.w, stream);
    write_long(r.h, stream);
}

int read_triple(Triple* out, FILE* stream) {
    Triple t;
    int result = read_long(&t.first, stream);
    result |= read_long(&t.third, stream);
    result |= read_long(&t.second, stream);
    if (result) return -1;
    *out = t;
    return 0;
}

void write_triple(const Triple& t, FILE* stream) {
    write_long(t.first, stream);
    write_long(t.third, stream);
    write_long(t.second, stream);
}

int read_raw8(void* block, FILE* stream) {
    unsigned char b[8];
    if (!get_bytes(b, 8, stream)) return -1;
    std::memcpy(block, b, sizeof b);
    return 0;
}

void write_raw8(const void* block, FILE* stream) {
    const auto* b = static_cast<const unsigned char*>(block);
    for (int i = 0; i < 8; ++i) putc_unlocked(b[i], stream);
}
