#pragma once
// Field coders of every binary file (schema, library, title block, paste
// file, per-sheet net file). They fix the byte order (most significant byte
// first), the float form (IEEE single) and the string form (text + NUL) once
// for all formats.
//
// Readers take (destination, stream) and return 0, or -1 when the stream
// ended or failed before the field was complete; composite readers return
// the OR of their parts. On -1 the destination is left as it was (read_byte
// sets it to 0 first). Writers never report: a failed write sets the
// stream's error flag, which AtomicFile::commit turns into code 6.
//
// Streams are C streams opened in binary mode and used by one thread, so the
// unlocked character calls are used; a field that lies wholly in the
// stream's buffer is copied from or into it in one step (glibc), with the
// same results and the same stream position as byte by byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/geometry.h"

// Three 32-bit fields; on the stream in the order first, third, second.
struct Triple {
    int32_t first = 0;
    int32_t second = 0;
    int32_t third = 0;
    friend bool operator==(const Triple&, const Triple&) = default;
};

// Bytes from the current position to the end of the stream; -1 when the
// stream cannot tell (not seekable). Every count and size read from a file
// is checked against it before it is used.
int64_t stream_bytes_left(FILE* stream);

// The next byte without taking it from the stream; EOF at its end.
int peek_byte(FILE* stream);
// Takes the next byte when it is `byte` and answers true; otherwise (also
// at the end of the stream) the stream is left as it was.
bool take_byte(FILE* stream, uint8_t byte);

int read_byte(uint8_t* out, FILE* stream);
int read_byte(int8_t* out, FILE* stream);
int read_byte(char* out, FILE* stream);
void write_byte(int value, FILE* stream);  // the low 8 bits

int read_short(int16_t* out, FILE* stream);
int read_short(uint16_t* out, FILE* stream);
void write_short(int value, FILE* stream);  // the low 16 bits

int read_long(int32_t* out, FILE* stream);
int read_long(uint32_t* out, FILE* stream);
void write_long(int32_t value, FILE* stream);

// Narrowed to single precision (round to nearest) on writing, widened back
// on reading.
int read_float(double* out, FILE* stream);
void write_float(double value, FILE* stream);

// Reads the whole stored string, up to and including its NUL, so that the
// stream stays in step; at most capacity - 1 characters are kept (a longer
// string is cut, with a debug warning). At end of stream before the NUL the
// buffer holds what was read and the result is -1.
int read_string(char* buffer, size_t capacity, FILE* stream);
void write_string(const char* text, FILE* stream);
// A null text is written as the empty string.
void write_string_or_empty(const char* text, FILE* stream);

// Reads the whole stored string, however long (bounded by the bytes the
// stream holds), up to and including its NUL. At end of stream before the
// NUL the text holds what was read and the result is -1. Every text, name
// and path of the formats is read this way, so what was saved reloads equal.
int read_string(std::string* text, FILE* stream);
// The stored string at the stream's place when it lies whole, NUL
// included, in the stream's buffer: its text there (valid until the next
// read of the stream), the stream moved past its NUL. Else null and the
// stream unmoved: read it with read_string.
const char* take_buffered_string(FILE* stream);

// The capacity of the buffers of the formats' fixed fields (file headers):
// stored strings longer than 127 characters are cut there.
constexpr size_t STRING_BUFFER_SIZE = 128;

// Reads a string: an empty string gives null, any other a heap copy
// (malloc'd; the caller frees it). Unchanged on -1.
int read_string_dup(char** out, FILE* stream);
// Reads a string, frees the heap string *held (may be null) and replaces it
// by a heap copy; an empty string gives an empty heap copy. Unchanged on -1.
int read_string_heap(char** held, FILE* stream);
// Bytes the text takes on the stream: its length plus the NUL.
size_t string_size(const char* text);

// Points and sizes: x then y (a size is kept in a Point: x width, y height).
int read_point(Point* out, FILE* stream);
void write_point(const Point& p, FILE* stream);
int read_size(Point* out, FILE* stream);
void write_size(const Point& size, FILE* stream);
// Short point: two 16-bit integers, sign-extended on reading.
int read_spoint(Point* out, FILE* stream);
void write_spoint(const Point& p, FILE* stream);

int read_rect(Rect* out, FILE* stream);
void write_rect(const Rect& r, FILE* stream);

int read_triple(Triple* out, FILE* stream);
void write_triple(const Triple& t, FILE* stream);

// 8 bytes copied unchanged; -1 on a short read (the block is then unchanged).
int read_raw8(void* block, FILE* stream);
void write_raw8(const void* block, FILE* stream);
