#pragma once
// Stream pieces shared by the sheet-item records of this folder: heap
// strings of any length, optional tagged fields and peeking.
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/core.h"
#include "model/items/item.h"

struct List;

namespace docs_kit {

// A copy's head: every field of the source's, but no net links and no
// object id (the copy is another record and gets its own id when written).
void copy_head(SchItem* copy, const SchItem* source);

// 0 when p lies inside the rectangle or within the tolerance of its
// outline, else the distance to it.
double outline_distance(Point p, const Rect& r, double tolerance);

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
