#pragma once
// Memory straight from the system, for the heap's chunks and large tables,
// and the C library's heap settings. Where the system offers anonymous
// mappings (the native layer), a range is its own mapping: any whole pages
// of it may go back or move on their own, and it may ask for huge pages or
// have its pages made resident ahead. Elsewhere, or when the environment
// variable TN_PLAIN_PAGES is set at start-up (the tests run the heap on it
// that way), the plain layer serves aligned blocks of the C library: a
// block goes back only whole, nothing moves, and the hints do nothing.
#include <cstddef>

// True on the native layer: pages_release may take any part of a range,
// pages_move may succeed. Fixed for the life of the process.
bool pages_native();

// `size` bytes aligned to `align` (a power of two dividing `size`), or
// null. The contents are not defined.
void* pages_map(size_t size, size_t align);
// Gives back [at, at + size): on the native layer any whole pages of a
// range of pages_map, on the plain layer exactly one block of it.
void pages_release(void* at, size_t size) noexcept;
// Moves the pages of [from, from + size) onto [to, to + size) (both within
// ranges of pages_map, page-aligned), their contents with them, without
// copying; the source is gone after. False when the system refuses or
// cannot (always on the plain layer): nothing moved.
bool pages_move(void* from, size_t size, void* to) noexcept;
// Asks for huge pages for the range; a refusal leaves ordinary pages.
void pages_prefer_huge(void* at, size_t size) noexcept;
// Makes the range's pages resident and written (cleared by the system),
// so that a later first touch finds them ready. False when the system
// cannot: the pages are then touched when first used, as usual.
bool pages_make_resident(void* at, size_t size) noexcept;

// Blocks of the C library's heap from `bytes` up each get a mapping of
// their own (and go back to the system when freed); the library's own
// raising of that bound stops. Nothing on the plain layer.
void heap_set_map_threshold(size_t bytes);
// Hands the C library's free memory back to the system where it can.
void heap_trim() noexcept;

// The process's id, to tell a child made by fork from its parent.
long process_id();
