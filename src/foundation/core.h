#pragma once
// Small things every record module uses: the consistency check, the
// out-of-memory stop, debug warnings and the object ids that
// cross-references in files are written with.
#include <cstdint>

// Prints "Assertion failed: exp '%s' File %s line %d" and ends the process.
[[noreturn]] void assert_failed(const char* expression, const char* file, int line);

#define TN_ASSERT(exp) ((exp) ? (void)0 : assert_failed(#exp, __FILE__, __LINE__))

// Reports "Not Enough Memory" (title "Windows Fatal Error") and ends the
// process. Installed as the new-handler, so a failed `new` reaches it too.
[[noreturn]] void no_memory();

// "*** Warning *** " + text + "\n" on the debug output (seen only with -debug).
void warning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Heap copy of a text (malloc'd; release with free()). Exhausted memory ends
// the program through no_memory.
char* str_dup(const char* text);

// Object ids: a process-unique, non-zero 32-bit serial given when a record is
// made. Files carry them as cross-reference keys; tests reset the counter so
// that written files are stable.
uint32_t new_object_id();
// Notes an id read from a file, so that serials given afterwards never repeat it.
void note_object_id(uint32_t id);
void reset_object_ids(uint32_t next = 1);
