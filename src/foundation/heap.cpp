#include "foundation/heap.h"

#include <cstdlib>

namespace {

int fail_countdown = 0;  // 0: no failure planned

bool planned_failure() {
    if (fail_countdown == 0) return false;
    return --fail_countdown == 0;
}

}  // namespace

void* heap_alloc(size_t size) {
    if (planned_failure()) return nullptr;
    return std::calloc(1, size ? size : 1);
}

void* heap_realloc(void* block, size_t size) {
    if (planned_failure()) return nullptr;
    return std::realloc(block, size ? size : 1);
}

void heap_free(void* block) { std::free(block); }

void heap_fail_at(int n) { fail_countdown = n > 0 ? n : 0; }
