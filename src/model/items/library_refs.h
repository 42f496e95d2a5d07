#pragma once
// Body references inside a library (shared by the reader's resolution and
// the on-demand loader): a part body read as "the normal (or converted)
// body of part NAME" is replaced by that body, shared.
#include <cstdint>
#include <functional>
#include <vector>

struct Library;
struct LibEntry;
struct Part;

// Gives a waiting entry (one with a file offset) its part: 0 or a code.
using LoadEntryFn = std::function<int(LibEntry* entry)>;

// When the part's normal (convert false) or converted body is a
// reference, follows the chain of references (loading waiting entries
// through `load` when given) to the first body that holds its items and
// makes it the part's body with one more holder. Returns 0 (also when the
// body is no reference), 74 when an entry, part or body on the way is
// missing, 75 when the chain comes back on itself, or the code of a load
// that failed; on failure the body becomes absent.
int resolve_part_body(Library* library, Part* part, bool convert, const LoadEntryFn& load);

// Loads the parts of every waiting entry whose flag word passes the mask
// (every waiting entry for mask 0), before a writer writes the library:
// 0, or the first failure (64 a part that cannot be read, 74/75 a body
// reference that cannot be resolved).
int load_waiting_entries(Library* library, uint32_t mask);

// Every part held by an entry of the library, once, in entry order.
std::vector<Part*> lib_distinct_parts(const Library* library);
