#pragma once
// Message codes and what the user sees of them: the error table, the message
// formatter over it, the four message boxes every subsystem calls, and the
// paths that end the program (failed assertion, exhausted memory, fatal).
//
// Routines all over the system return these codes (0 = success, 1 = cannot
// open for reading, 50 = cannot create, 63 = library not found, ...). The
// detail formats take texts and numbers: a call gives exactly the arguments
// its code's detail takes, which the compiler checks for a constant code
// (CheckedCode); a code known only at run time never has its detail filled
// from arguments it was not given (RuntimeCode).
#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <type_traits>

#include "foundation/core.h"  // assert_failed, no_memory, warning live here
#include "foundation/error_table.h"

// --- the arguments of a detail ------------------------------------------------------------
// A detail format takes texts (%s) and numbers (%d, %x with flags and a
// width); what it takes is spelled one letter per conversion, 's' a text
// and 'd' a number. A conversion of any other kind makes the format unfit
// for a message (`fit` false).
struct DetailArgs {
    static constexpr int MAX = 5;
    char kinds[MAX + 1] = {};
    int count = 0;
    bool fit = true;
};

constexpr DetailArgs detail_args(const char* format) {
    DetailArgs args;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '0' || *p == '#') ++p;
        while (*p >= '0' && *p <= '9') ++p;
        char kind = 0;
        switch (*p) {
            case 's': kind = 's'; break;
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X': kind = 'd'; break;
            default: break;
        }
        if (kind == 0 || args.count == DetailArgs::MAX) {
            args.fit = false;
            return args;
        }
        args.kinds[args.count++] = kind;
    }
    return args;
}

// What a message code's detail takes.
constexpr DetailArgs message_args(int code) { return detail_args(error_find(code)->detail); }

// One argument given with a message: a text (null reads as empty) or a
// whole number.
class MessageArg {
public:
    MessageArg(const char* text) : kind_('s'), text_(text ? text : "") {}
    MessageArg(const std::string& text) : kind_('s'), text_(text.c_str()) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) MessageArg(T number)
        : kind_('d'), number_(static_cast<long long>(number)) {}

    char kind() const { return kind_; }
    const char* text() const { return text_; }  // valid for the call it is given to
    long long number() const { return number_; }

private:
    char kind_;
    const char* text_ = "";
    long long number_ = 0;
};
using MessageArgs = std::span<const MessageArg>;

// The letter of an argument type: 's' texts, 'd' whole numbers, 0 others.
template <class T>
constexpr char message_arg_kind() {
    using U = std::decay_t<T>;
    if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*> ||
                  std::is_same_v<U, std::string>)
        return 's';
    else if constexpr (std::is_integral_v<U> && !std::is_same_v<U, bool> &&
                       !std::is_same_v<U, char>)
        return 'd';
    else
        return 0;
}

// True when the detail of `code` takes exactly the arguments spelled by
// `given` (one letter each).
constexpr bool message_takes(int code, const char* given, int count) {
    const DetailArgs wanted = message_args(code);
    if (!wanted.fit || wanted.count != count) return false;
    for (int i = 0; i < count; ++i)
        if (wanted.kinds[i] != given[i]) return false;
    return true;
}

// A code known only when the program runs (a job's result). The detail is
// filled only when the arguments given cover what it takes, in kind, and
// arguments it does not take are left unused; otherwise the message is
// shown alone: nothing is read that was not given.
struct RuntimeCode {
    int code;
};

// Called only in the compiler's evaluation of a constant code: a message
// whose arguments differ from its detail stops the compilation here.
void message_arguments_differ_from_its_detail();

// A message code with the kinds of the arguments given with it. A constant
// code is checked where the call is compiled: a call that gives fewer,
// more or other arguments than its message's detail takes does not build.
// A code known only at run time comes as a RuntimeCode.
template <char... Kinds>
class CheckedCode {
public:
    consteval CheckedCode(int code) : code_(code) {
        constexpr char given[] = {Kinds..., 0};
        if (!message_takes(code, given, static_cast<int>(sizeof...(Kinds))))
            message_arguments_differ_from_its_detail();
    }
    constexpr CheckedCode(RuntimeCode code) : code_(code.code) {}
    int code() const { return code_; }

private:
    int code_;
};
template <class... A>
using MessageCode = CheckedCode<message_arg_kind<A>()...>;

// Message kinds: 1 = the message alone; any other (the boxes pass 2) = the
// message followed by the detail format filled with the arguments.
enum : int { MESSAGE_ONLY = 1, MESSAGE_WITH_DETAIL = 2 };

// Size of the shared buffer used when a formatter is given no buffer.
constexpr size_t ERROR_MESSAGE_SIZE = 1000;

// Formats a code's text into `buffer` (at most `size` bytes with its NUL;
// longer text is cut) and returns it. A null buffer means the shared
// 1000-byte buffer (valid until the next such call or error_message_free);
// when it cannot be allocated the result is "Internal Malloc Failed". The
// detail is filled only from arguments that cover it (RuntimeCode).
const char* error_message(int kind, int code, char* buffer, size_t size, MessageArgs args);
// Releases the shared buffer; a later call allocates it again.
void error_message_free();

// The formatter the boxes and message_text use. The default (installed when
// none is given) knows no table: "Unknow error code." and, for kind 2,
// "(Code %d)". The shell installs error_message at start-up.
using MessageFormatter = const char* (*)(int kind, int code, char* buffer, size_t size,
                                         MessageArgs args);
void set_message_formatter(MessageFormatter formatter);

// The cores of the calls below, with the arguments as one list.
std::string message_line(int code, MessageArgs args);
// A note (when not empty) follows the code's text after a blank line.
int error_box_with(const char* caption, int style, int code, MessageArgs args,
                   const std::string& note = {});
bool warning_box_with(int code, MessageArgs args);
bool confirm_box_with(const char* caption, int code, MessageArgs args);
int confirm_cancel_box_with(int code, MessageArgs args);

// error_message with the arguments given one by one.
template <class... A>
const char* error_message_v(int kind, std::type_identity_t<MessageCode<A...>> code, char* buffer,
                            size_t size, const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return error_message(kind, code.code(), buffer, size, list);
}

// Kind 2 of the code through the installed formatter, every newline turned
// into a blank: one-line texts for status and log lines. `ignored` is kept
// for the callers' argument order.
template <class... A>
std::string message_text(void*, std::type_identity_t<MessageCode<A...>> code, const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return message_line(code.code(), list);
}

// Message boxes. Each formats kind 2 of the code (at most 1 KB) through the
// installed formatter, runs the before-box hook, shows the box (no parent)
// and runs the after-box hook. Styles and answers are those of services.h.
//
// Caption "Error" when none; the OK button is added to the style. Returns
// the box's answer.
template <class... A>
int error_box(void*, const char* caption, int style, std::type_identity_t<MessageCode<A...>> code,
              const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return error_box_with(caption, style, code.code(), list);
}
// Caption "Warning", OK + Cancel + exclamation (37); true when OK was chosen.
template <class... A>
bool warning_box(void*, std::type_identity_t<MessageCode<A...>> code, const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return warning_box_with(code.code(), list);
}
// Caption "Please Confirm" when none, Yes + No + question (130); true for Yes.
template <class... A>
bool confirm_box(void*, const char* caption, std::type_identity_t<MessageCode<A...>> code,
                 const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return confirm_box_with(caption, code.code(), list);
}
// Caption "Please Confirm", Yes + No + Cancel + question (134); returns the
// answer: ANSWER_YES, ANSWER_NO or ANSWER_CANCEL (services.h).
template <class... A>
int confirm_cancel_box(void*, std::type_identity_t<MessageCode<A...>> code, const A&... args) {
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    return confirm_cancel_box_with(code.code(), list);
}

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
