#pragma once
// Small things every record module uses: the consistency check and the
// object ids that cross-references in files are written with.
#include <cstdint>

// Prints "Assertion failed: exp '%s' File %s line %d" and ends the process.
[[noreturn]] void assert_failed(const char* expression, const char* file, int line);

#define TN_ASSERT(exp) ((exp) ? (void)0 : assert_failed(#exp, __FILE__, __LINE__))

// Object ids: a process-unique, non-zero 32-bit serial given when a record is
// made. Files carry them as cross-reference keys; tests reset the counter so
// that written files are stable.
uint32_t new_object_id();
void reset_object_ids(uint32_t next = 1);
