#include "foundation/binary_stream.h"

#include <sys/stat.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "foundation/core.h"

namespace {

// The bytes a stream holds in its buffer for reading, and room it has for
// writing. On glibc a field that lies wholly in the buffer is copied in one
// step, as getc_unlocked and putc_unlocked would copy it byte by byte; at
// the buffer's edges (and elsewhere) the per-byte calls refill or flush it.
#if defined(__GLIBC__)
inline size_t buffered_in(FILE* stream) {
    return static_cast<size_t>(stream->_IO_read_end - stream->_IO_read_ptr);
}
inline size_t buffered_out(FILE* stream) {
    return static_cast<size_t>(stream->_IO_write_end - stream->_IO_write_ptr);
}
inline const unsigned char* in_cursor(FILE* stream) {
    return reinterpret_cast<const unsigned char*>(stream->_IO_read_ptr);
}
inline void in_advance(FILE* stream, size_t n) { stream->_IO_read_ptr += n; }
inline unsigned char* out_cursor(FILE* stream) {
    return reinterpret_cast<unsigned char*>(stream->_IO_write_ptr);
}
inline void out_advance(FILE* stream, size_t n) { stream->_IO_write_ptr += n; }
#else
inline size_t buffered_in(FILE*) { return 0; }
inline size_t buffered_out(FILE*) { return 0; }
inline const unsigned char* in_cursor(FILE*) { return nullptr; }
inline void in_advance(FILE*, size_t) {}
inline unsigned char* out_cursor(FILE*) { return nullptr; }
inline void out_advance(FILE*, size_t) {}
#endif

// Reads n bytes (n <= 8); false when the stream ended first.
inline bool get_bytes(unsigned char* out, size_t n, FILE* stream) {
    if (buffered_in(stream) >= n) {
        std::memcpy(out, in_cursor(stream), n);
        in_advance(stream, n);
        return true;
    }
    for (size_t i = 0; i < n; ++i) {
        int c = getc_unlocked(stream);
        if (c == EOF) return false;
        out[i] = static_cast<unsigned char>(c);
    }
    return true;
}

// Writes n bytes; a failure sets the stream's error flag.
inline void put_bytes(const unsigned char* bytes, size_t n, FILE* stream) {
    if (buffered_out(stream) >= n) {
        std::memcpy(out_cursor(stream), bytes, n);
        out_advance(stream, n);
        return;
    }
    for (size_t i = 0; i < n; ++i) putc_unlocked(bytes[i], stream);
}

inline bool get_u16(uint16_t* out, FILE* stream) {
    unsigned char b[2];
    if (!get_bytes(b, 2, stream)) return false;
    *out = static_cast<uint16_t>(b[0] << 8 | b[1]);
    return true;
}

// A 32-bit value to and from its four bytes, most significant first.
inline uint32_t big_endian(uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap32(v);
    return v;
}

inline uint32_t u32_of(const unsigned char* b) {
    uint32_t v;
    std::memcpy(&v, b, sizeof v);
    return big_endian(v);
}

inline void u32_bytes(uint32_t v, unsigned char* b) {
    v = big_endian(v);
    std::memcpy(b, &v, sizeof v);
}

inline bool get_u32(uint32_t* out, FILE* stream) {
    unsigned char b[4];
    if (!get_bytes(b, 4, stream)) return false;
    *out = u32_of(b);
    return true;
}

inline void put_u32(uint32_t v, FILE* stream) {
    unsigned char b[4];
    u32_bytes(v, b);
    put_bytes(b, 4, stream);
}

// Reads `count` 32-bit fields (count <= 4) in stream order; false on a
// short read (the fields are then unchanged).
inline bool get_u32s(uint32_t* out, size_t count, FILE* stream) {
    unsigned char b[16];
    if (!get_bytes(b, 4 * count, stream)) return false;
    for (size_t i = 0; i < count; ++i) out[i] = u32_of(b + 4 * i);
    return true;
}

inline void put_u32s(const uint32_t* values, size_t count, FILE* stream) {
    unsigned char b[16];
    for (size_t i = 0; i < count; ++i) u32_bytes(values[i], b + 4 * i);
    put_bytes(b, 4 * count, stream);
}

// Reads a stored string up to and including its NUL, handing its pieces to
// append(bytes, n) as they are found in the buffer. 0, or -1 when the
// stream ends before the NUL (what was read has been appended).
template <class Append>
int scan_string(FILE* stream, Append append) {
    for (;;) {
        if (size_t n = buffered_in(stream)) {
            const unsigned char* from = in_cursor(stream);
            const auto* nul = static_cast<const unsigned char*>(std::memchr(from, 0, n));
            size_t piece = nul ? static_cast<size_t>(nul - from) : n;
            append(reinterpret_cast<const char*>(from), piece);
            in_advance(stream, nul ? piece + 1 : piece);
            if (nul) return 0;
        }
        int c = getc_unlocked(stream);  // refills the buffer
        if (c == EOF) return -1;
        if (c == '\0') return 0;
        char byte = static_cast<char>(c);
        append(&byte, 1);
    }
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

int peek_byte(FILE* stream) {
    if (buffered_in(stream) > 0) return *in_cursor(stream);
    int c = getc_unlocked(stream);
    if (c != EOF) ungetc(c, stream);
    return c;
}

bool take_byte(FILE* stream, uint8_t byte) {
    if (peek_byte(stream) != byte) return false;
    getc_unlocked(stream);
    return true;
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
    const unsigned char b[2] = {static_cast<unsigned char>(value >> 8),
                                static_cast<unsigned char>(value)};
    put_bytes(b, 2, stream);
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
    int result = scan_string(stream, [&](const char* piece, size_t n) {
        size_t room = capacity > kept + 1 ? capacity - kept - 1 : 0;
        size_t take = n < room ? n : room;
        std::memcpy(buffer + kept, piece, take);
        kept += take;
        length += n;
    });
    if (capacity > 0) buffer[kept] = '\0';
    if (result == 0 && length > kept)
        warning("stored string of %zu characters cut to %zu", length, kept);
    return result;
}

const char* take_buffered_string(FILE* stream) {
    size_t n = buffered_in(stream);
    if (n == 0) return nullptr;
    const unsigned char* from = in_cursor(stream);
    const auto* nul = static_cast<const unsigned char*>(std::memchr(from, 0, n));
    if (!nul) return nullptr;
    in_advance(stream, static_cast<size_t>(nul - from) + 1);
    return reinterpret_cast<const char*>(from);
}

int read_string(std::string* text, FILE* stream) {
    text->clear();
    return scan_string(stream, [text](const char* piece, size_t n) { text->append(piece, n); });
}

void write_string(const char* text, FILE* stream) {
    put_bytes(reinterpret_cast<const unsigned char*>(text), std::strlen(text) + 1, stream);
}

void write_string_or_empty(const char* text, FILE* stream) {
    write_string(text ? text : "", stream);
}

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
    uint32_t v[2];
    if (!get_u32s(v, 2, stream)) return -1;
    *out = Point{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1])};
    return 0;
}

void write_point(const Point& p, FILE* stream) {
    const uint32_t v[2] = {static_cast<uint32_t>(p.x), static_cast<uint32_t>(p.y)};
    put_u32s(v, 2, stream);
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
    uint32_t v[4];
    if (!get_u32s(v, 4, stream)) return -1;
    *out = Rect{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]), static_cast<int32_t>(v[2]),
                static_cast<int32_t>(v[3])};
    return 0;
}

void write_rect(const Rect& r, FILE* stream) {
    const uint32_t v[4] = {static_cast<uint32_t>(r.x), static_cast<uint32_t>(r.y),
                           static_cast<uint32_t>(r.w), static_cast<uint32_t>(r.h)};
    put_u32s(v, 4, stream);
}

int read_triple(Triple* out, FILE* stream) {
    uint32_t v[3];  // first, third, second
    if (!get_u32s(v, 3, stream)) return -1;
    *out =
        Triple{static_cast<int32_t>(v[0]), static_cast<int32_t>(v[2]), static_cast<int32_t>(v[1])};
    return 0;
}

void write_triple(const Triple& t, FILE* stream) {
    const uint32_t v[3] = {static_cast<uint32_t>(t.first), static_cast<uint32_t>(t.third),
                           static_cast<uint32_t>(t.second)};
    put_u32s(v, 3, stream);
}

int read_raw8(void* block, FILE* stream) {
    unsigned char b[8];
    if (!get_bytes(b, 8, stream)) return -1;
    std::memcpy(block, b, sizeof b);
    return 0;
}

void write_raw8(const void* block, FILE* stream) {
    put_bytes(static_cast<const unsigned char*>(block), 8, stream);
}
