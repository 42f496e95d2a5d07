#pragma once
// Stream pieces shared by the sheet-item records of this folder: heap
// strings of any length, optional tagged fields and peeking.
#include <cstdint>
#include <cstdio>
#include <string>

namespace docs_kit {

// Reads a NUL-terminated string of any length into *out (the file's size
// bounds it); 0, or -1 when the stream ends before the NUL (*out unchanged).
int read_text(std::string* out, FILE* stream);
// The next byte without consuming it; EOF at the end of the stream.
int peek_byte(FILE* stream);
// Whether an optional field introduced by `tag` follows: true with the tag
// consumed; otherwise the byte stays in the stream (the end of the stream
// is no field).
bool next_is(FILE* stream, uint8_t tag);

}  // namespace docs_kit
