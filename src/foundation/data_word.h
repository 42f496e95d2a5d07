#pragma once
// Containers hold untyped data words: a pointer, or an integer of pointer
// width stored through these two casts.
#include <cstdint>

inline void* int_word(intptr_t value) { return reinterpret_cast<void*>(value); }
inline intptr_t word_int(const void* word) { return reinterpret_cast<intptr_t>(word); }
