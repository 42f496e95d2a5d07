#pragma once
// Fallible heap blocks for the containers. Unlike `new`, which ends the
// program through no_memory, these return null when memory is exhausted so
// that each container operation can report the failure as its contract says
// (a list add returns none, an edge add returns -1).
#include <cstddef>

// A zero-filled block, or null.
void* heap_alloc(size_t size);
// Grows or shrinks a block; null (the old block untouched) when it fails.
void* heap_realloc(void* block, size_t size);
void heap_free(void* block);

// Tests only: make the n-th allocation from now fail (1 = the next one);
// 0 lets every allocation through again.
void heap_fail_at(int n);
