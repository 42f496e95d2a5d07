#pragma once
// What the library editor's files share and nobody else needs.
#include <cstdint>

#include "libedit/libedit.h"

// a + b kept in the 32-bit range of world coordinates.
inline int32_t world_add(int64_t a, int64_t b) {
    const int64_t v = a + b;
    return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// The document's modified flag set and shown.
void libedit_mark_modified(LibEdit* ed);
void libedit_redraw(LibEdit* ed);
// The editing sheet emptied (the selection forgotten first).
void libedit_clear_sheet(LibEdit* ed);
// Every tool above the base mode ends (they may hold records of the sheet).
void libedit_end_tools(LibEdit* ed);
// The editing sheet laid out again for the part under edit under the name it shows.
void libedit_relayout(LibEdit* ed);
