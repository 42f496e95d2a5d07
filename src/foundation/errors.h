#pragma once
// Message codes and what the user sees of them: the error table, the message
// formatter over it, the four message boxes every subsystem calls, and the
// paths that end the program (failed assertion, exhausted memory, fatal).
//
// Routines all over the system return these codes (0 = success, 1 = cannot
// open for reading, 50 = cannot create, 63 = library not found, ...). The
// detail formats take printf arguments: a caller passes exactly the arguments
// its code's detail format names (file, part or library names).
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/core.h"  // assert_failed, no_memory, warning live here

struct ErrorEntry {
    int32_t code;
    const char* message;  // static text, not owned; never null; may be empty
    const char* detail;   // static printf format, not owned; never null; may be empty
};

// Row 0 is the fallback for unknown codes and is never found by a search.
extern const ErrorEntry error_table[];
extern const int error_table_rows;

// The first row from the second onwards whose code equals `code`; the
// fallback row when none does.
const ErrorEntry* error_find(int code);

// Message kinds: 1 = the message alone; any other (the boxes pass 2) = the
// message followed by the detail format filled with the arguments.
enum : int { MESSAGE_ONLY = 1, MESSAGE_WITH_DETAIL = 2 };

// Size of the shared buffer used when a formatter is given no buffer.
constexpr size_t ERROR_MESSAGE_SIZE = 1000;

// Formats a code's text into `buffer` (at most `size` bytes with its NUL;
// longer text is cut) and returns it. A null buffer means the shared
// 1000-byte buffer (valid until the next such call or error_message_free);
// when it cannot be allocated the result is "Internal Malloc Failed".
const char* error_message(int kind, int code, char* buffer, size_t size, va_list args);
// The same with printf arguments.
const char* error_message_v(int kind, int code, char* buffer, size_t size, ...);
// Releases the shared buffer; a later call allocates it again.
void error_message_free();

// The formatter the boxes and message_text use. The default (installed when
// none is given) knows no table: "Unknow error code." and, for kind 2,
// "(Code %d)". The shell installs error_message at start-up.
using MessageFormatter = const char* (*)(int kind, int code, char* buffer, size_t size,
                                         va_list args);
void set_message_formatter(MessageFormatter formatter);

// Kind 2 of the code through the installed formatter, every newline turned
// into a blank: one-line texts for status and log lines. `ignored` is kept
// for the callers' argument order.
std::string message_text(void* ignored, int code, ...);

// Message boxes. Each formats kind 2 of the code (at most 1 KB) through the
// installed formatter, runs the before-box hook, shows the box (no parent)
// and runs the after-box hook. Styles and answers are those of services.h.
//
// Caption "Error" when none; the OK button is added to the style. Returns
// the box's answer.
int error_box(void* ignored, const char* caption, int style, int code, ...);
// Caption "Warning", OK + Cancel + exclamation (37); true when OK was chosen.
bool warning_box(void* ignored, int code, ...);
// Caption "Please Confirm" when none, Yes + No + question (130); true for Yes.
bool confirm_box(void* ignored, const char* caption, int code, ...);
// Caption "Please Confirm", Yes + No + Cancel + question (134); returns the
// answer: ANSWER_YES, ANSWER_NO or ANSWER_CANCEL.
int confirm_cancel_box(void* ignored, int code, ...);

// Hooks run around every box (the shell prepares and restores its cursors);
// an empty hook does nothing.
void set_box_hooks(std::function<void()> before, std::function<void()> after);

// Sends "*** Warning *** " to the debug output, the formatted text to the
// standard error stream and "\n" to the debug output, then ends the process
// with exit status 1.
[[noreturn]] void fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A ten-step progress display on the debug output for long loops over
// first..last: " 0%, ", then " 10%, " ... at each tenth with a spinner
// between, and " 100%\n" at the end.
void progress_start(int first, int last);
void progress_step(int current, int first);
void progress_end();

// True when a block of 100000 bytes can be had (dialogs are built only then).
bool memory_available();
// True when a block of `size` bytes can be had; the block is freed at once.
bool memory_probe(size_t size);
