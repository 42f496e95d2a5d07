#pragma once
// Pieces shared by the sheet-item records of this folder: copied heads,
// outline distances and heap strings of any length. Optional tagged fields
// and peeking are binary_stream.h's take_byte and peek_byte.
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

}  // namespace docs_kit
