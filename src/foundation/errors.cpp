#include "foundation/errors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/services.h"

namespace {

// Appends text to buffer[0..size) after `used` bytes, cutting it to fit.
size_t append_cut(char* buffer, size_t size, size_t used, const char* text) {
    size_t room = size - 1 - used;
    size_t n = std::min(std::strlen(text), room);
    std::memcpy(buffer + used, text, n);
    buffer[used + n] = '\0';
    return used + n;
}

const char* default_formatter(int kind, int code, char* buffer, size_t size, MessageArgs) {
    if (buffer == nullptr || size == 0) return "Unknow error code.";
    size_t used = append_cut(buffer, size, 0, "Unknow error code.");
    if (kind != MESSAGE_ONLY) std::snprintf(buffer + used, size - used, "(Code %d)", code);
    return buffer;
}

// How messages are made and shown: the formatter, the hooks around every
// box and the buffer messages share (owned; lives until error_message_free).
struct MessageState {
    MessageFormatter formatter = default_formatter;
    std::function<void()> before_box;
    std::function<void()> after_box;
    char* shared_buffer = nullptr;  // owned; lives until error_message_free
} messages;

constexpr size_t BOX_TEXT_SIZE = 1024;

// Format, before-box hook, box, after-box hook.
int show_box(const char* caption, int style, int code, MessageArgs args,
             const std::string& note = {}) {
    char text[BOX_TEXT_SIZE];
    std::string shown = messages.formatter(MESSAGE_WITH_DETAIL, code, text, sizeof text, args);
    if (!note.empty()) shown += "\n\n" + note;
    if (messages.before_box) messages.before_box();
    int answer = services().message_box(shown.c_str(), caption, style);
    if (messages.after_box) messages.after_box();
    return answer;
}

// Every failed allocation of the program ends in no_memory.
const bool new_handler_installed = [] {
    std::set_new_handler([] { no_memory(); });
    return true;
}();

struct Progress {
    int step = 0;
    int threshold = 0;
    int percentage = 0;
    bool slash = false;  // the spinner's next character
} progress;

// printf into a string of any length.
std::string vformat(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

void debug_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void debug_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    services().debug_write(vformat(format, args).c_str());
    va_end(args);
}

// True when the arguments given supply what the detail takes, in kind;
// arguments beyond those are not used.
bool covers(const DetailArgs& wanted, MessageArgs given) {
    if (!wanted.fit || given.size() < static_cast<size_t>(wanted.count)) return false;
    for (int i = 0; i < wanted.count; ++i)
        if (given[static_cast<size_t>(i)].kind() != wanted.kinds[i]) return false;
    return true;
}

// Appends the detail with each conversion filled from the next argument
// (the caller checked that they cover it), cutting the text to the buffer.
void fill_detail(char* buffer, size_t size, size_t used, const char* detail, MessageArgs args) {
    size_t next = 0;
    for (const char* p = detail; *p && used + 1 < size;) {
        if (*p != '%') {
            const char* end = std::strchr(p, '%');
            std::string plain(p, end ? end : p + std::strlen(p));
            used = append_cut(buffer, size, used, plain.c_str());
            p += plain.size();
            continue;
        }
        if (p[1] == '%') {
            used = append_cut(buffer, size, used, "%");
            p += 2;
            continue;
        }
        // One conversion: flags '-' and '0', a width, the letter.
        ++p;
        bool left = false, zeros = false;
        for (; *p == '-' || *p == '0' || *p == '+' || *p == ' ' || *p == '#'; ++p) {
            left = left || *p == '-';
            zeros = zeros || *p == '0';
        }
        size_t width = 0;
        for (; *p >= '0' && *p <= '9'; ++p) width = width * 10 + static_cast<size_t>(*p - '0');
        const char letter = *p ? *p++ : 's';
        const MessageArg& arg = args[next++];
        std::string piece;
        if (arg.kind() == 's') {
            piece = arg.text();
        } else {
            char digits[32];
            const bool hex = letter == 'x' || letter == 'X';
            const long long n = arg.number();
            auto [end, error] =
                hex ? std::to_chars(digits, digits + sizeof digits,
                                    static_cast<unsigned long long>(n) & 0xFFFFFFFFull, 16)
                    : std::to_chars(digits, digits + sizeof digits, n);
            piece.assign(digits, error == std::errc() ? end : digits);
            if (letter == 'X')
                for (char& c : piece)
                    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        if (piece.size() < width) {
            const size_t pad = width - piece.size();
            if (left)
                piece.append(pad, ' ');
            else
                piece.insert(0, pad, zeros && arg.kind() == 'd' ? '0' : ' ');
        }
        used = append_cut(buffer, size, used, piece.c_str());
    }
}

}  // namespace

const char* error_message(int kind, int code, char* buffer, size_t size, MessageArgs args) {
    if (buffer == nullptr) {
        if (messages.shared_buffer == nullptr) {
            messages.shared_buffer = static_cast<char*>(std::malloc(ERROR_MESSAGE_SIZE));
            if (messages.shared_buffer == nullptr) return "Internal Malloc Failed";
        }
        buffer = messages.shared_buffer;
        size = ERROR_MESSAGE_SIZE;
    }
    if (size == 0) return "";
    const ErrorEntry* row = error_find(code);
    size_t used = append_cut(buffer, size, 0, row->message);
    if (kind != MESSAGE_ONLY && row->detail[0] != '\0') {
        if (covers(message_args(code), args))
            fill_detail(buffer, size, used, row->detail, args);
        else
            debug_printf("message %d: its detail takes other arguments than given\n", code);
    }
    return buffer;
}

void error_message_free() {
    std::free(messages.shared_buffer);
    messages.shared_buffer = nullptr;
}

void set_message_formatter(MessageFormatter given) {
    messages.formatter = given ? given : default_formatter;
}

std::string message_line(int code, MessageArgs args) {
    char text[ERROR_MESSAGE_SIZE];
    std::string line = messages.formatter(MESSAGE_WITH_DETAIL, code, text, sizeof text, args);
    for (char& c : line)
        if (c == '\n') c = ' ';
    return line;
}

int error_box_with(const char* caption, int style, int code, MessageArgs args,
                   const std::string& note) {
    return show_box(caption ? caption : "Error", style | MB_OK_BUTTON, code, args, note);
}

bool warning_box_with(int code, MessageArgs args) {
    return show_box("Warning", MB_OK_BUTTON | MB_CANCEL_BUTTON | MB_ICON_EXCLAMATION, code, args) ==
           ANSWER_OK;
}

bool confirm_box_with(const char* caption, int code, MessageArgs args) {
    return show_box(caption ? caption : "Please Confirm", MB_YES_NO | MB_ICON_QUESTION, code,
                    args) == ANSWER_YES;
}

int confirm_cancel_box_with(int code, MessageArgs args) {
    return show_box("Please Confirm", MB_YES_NO | MB_CANCEL_BUTTON | MB_ICON_QUESTION, code, args);
}

void set_box_hooks(std::function<void()> before, std::function<void()> after) {
    messages.before_box = std::move(before);
    messages.after_box = std::move(after);
}

void assert_failed(const char* expression, const char* file, int line) {
    char text[1024];
    std::snprintf(text, sizeof text, "Assertion failed: exp '%s' File %s line %d\n", expression,
                  file, line);
    services().fatal_exit(text);
    std::_Exit(3);  // a fatal exit that returned would leave us in an undefined state
}

void no_memory() {
    (void)new_handler_installed;
    services().fatal_exit("Windows Fatal Error: Not Enough Memory");
    std::_Exit(3);
}

void warning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string line = "*** Warning *** " + vformat(format, args) + "\n";
    va_end(args);
    services().debug_write(line.c_str());
}

void fatal(const char* format, ...) {
    services().debug_write("*** Warning *** ");
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    services().debug_write("\n");
    std::exit(1);
}

void progress_start(int first, int last) {
    progress.step = (last - first + 1) / 10;
    progress.threshold = progress.step;
    progress.percentage = 0;
    progress.slash = false;
    debug_printf(" 0%%, ");
    std::fflush(stderr);
}

void progress_step(int current, int first) {
    if (current - first > progress.threshold) {
        progress.threshold += progress.step;
        progress.percentage += 10;
        debug_printf("\b %d%%, ", progress.percentage);
    } else {
        debug_printf(progress.slash ? "\b/" : "\b\\");
        progress.slash = !progress.slash;
    }
    std::fflush(stderr);
}

void progress_end() { debug_printf("\b 100%%\n"); }

bool memory_probe(size_t size) {
    // volatile: the probe must really ask the allocator
    void* volatile block = std::malloc(size);
    bool ok = block != nullptr;
    std::free(block);
    return ok;
}

bool memory_available() { return memory_probe(100000); }
