#include "foundation/core.h"

#include <cstdlib>
#include <cstring>

namespace {
uint32_t next_id = 1;
}  // namespace

char* str_dup(const char* text) {
    size_t n = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(n));
    if (!copy) no_memory();
    std::memcpy(copy, text, n);
    return copy;
}

uint32_t new_object_id() {
    uint32_t id = next_id++;
    if (next_id == 0) next_id = 1;  // never hand out 0: it means "no record"
    return id;
}

void note_object_id(uint32_t id) {
    if (id >= next_id && id != 0xFFFFFFFFu) next_id = id + 1;
}

void reset_object_ids(uint32_t next) { next_id = next ? next : 1; }
