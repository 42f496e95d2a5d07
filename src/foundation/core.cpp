#include "foundation/core.h"

namespace {
uint32_t next_id = 1;
}

uint32_t new_object_id() {
    uint32_t id = next_id++;
    if (next_id == 0) next_id = 1;  // never hand out 0: it means "no record"
    return id;
}

void reset_object_ids(uint32_t next) { next_id = next ? next : 1; }
