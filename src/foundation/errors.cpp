#include "foundation/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/services.h"

// Texts are the program's own, kept as users have always seen them.
const ErrorEntry error_table[] = {
    {0, "Unknow Index!!", ""},
    {-1, "Generic error.", ""},
    {0, "No error", ""},
    {1, "Cannot open file for reading", "\n(File %s)"},
    {2, "File error", "\n(File %s)"},
    {3, "Open error", "\n(File %s)"},
    {4, "Seek error", "\n(File %s)"},
    {5, "Read error", "\n(File %s)"},
    {6, "Write error", "\n(File %s)"},
    {7, "Close error", "\n(File %s)"},
    {8, "Syntax error in file", "\n(File %s)"},
    {9, "No memory", ""},
    {10, "Part not found", "\n(Module %s)"},
    {11, "This function is not available yet", ""},
    {12, "This Part will be replaced in the\n", "specified Library. Ok to Continue ?"},
    {13, "This Part will be appended to the\n", "specified Library. Ok to Continue ?"},
    {14, "This Name already exists for another Part\n", "Ok to Replace ?"},
    {40, "Configuration has been changed !\n", "Ok to Save it ?"},
    {50, "Cannot create file ", "\n(File %s)"},
    {51, "No such file ", "\n(File %s)"},
    {52, "Bad record in config ", "\n(Value 0x%2x)"},
    {53, "Bad config file ", "\n(File %s)"},
    {54, "File exist. Overwrite ?", "\n(File %s)"},
    {55, "No Memory!", ""},
    {56, "No Room for Name entry!", ""},
    {57, "Sheet Stack overflow", ""},
    {58, "Already at top level", ""},
    {59, "Configuration Already exist", "\n(File %s)"},
    {60, "Bad Configuration file.", "\n(File %s)"},
    {61, "Bad record in configuration", "\n(Record 0x%x)"},
    {62, "Library already Exist.", "\n(Lib %s)"},
    {63, "Library not Found.", "\n(Lib %s)"},
    {64, "Syntax Error in Library.", "\n(File %s)"},
    {65, "Not a Schematic.", "\n(File %s)"},
    {66, "Not a Binary Netlist.", "\n(File %s)"},
    {67, "Netlist is Partialy linked.", "\n(File %s)"},
    {68, "No Schematic Loaded.", "\n(File %s)"},
    {69, "Premature EOF", "\n(File %s)"},
    {70, "No such Part", "\n(Part %s)"},
    {71, "No such Part. Ok to Create ?", "\n(Part %s)"},
    {72, "Text not found", ""},
    {73, "No Items in the Window", ""},
    {74, "Indirect reference to a NULL Vector.\n", ""},
    {75, "Indirect reference makes a loop.\n", ""},
    {76, "Indirect reference to a NULL Vector.\n", "Internal Error."},
    {77, "Indirect reference makes a loop.\n", "Internal Error."},
    {78, "Pins not found", "\n(Part %s, Pins %s & %s)"},
    {79, "Different Pins types", "\n(Part %s, Pins %s & %s)"},
    {80, "Different Pins shapes", "\n(Part %s, Pins %s & %s)"},
    {81, "No File Specified.", ""},
    {82, "Click inside a Sheet!", ""},
    {83, "Invalid Label!", ""},
    {84, "Invalid File Name:\n", "%s"},
    {85, "Sheet not found:\n", "%s"},
    {86, "Sheets left half saved by a stopped run:\n", "%s"},
    {87, "Not written: a file of another kind, or a link out of the project:\n", "%s"},
    {1001, "", ""},
    {1002, "", ""},
    {20000, "", "Sheet %s\nYou have unsaved edits.\nAre you sure you want to Quit?"},
    {20001, "", "Are you sure you want to Quit?"},
    {20002, "", "Sheet %s\nYou have unsaved edits.\nConfirm to Initialize."},
    {20003, "", "Confirm to Initialize."},
    {20004, "", "You have unsaved edits.\nConfirm to Initialize\nand discard entered sheets"},
    {20005, "", "Confirm to Initialize\nand discard entered sheets"},
    {20006, "", "File %s Exists.\nOverwrite?"},
    {20007, "", "Sheet %s\nYou have unsaved edits.\nConfirm to leave sheet"},
    {20008, "", "Sheet %s\nYou have unsaved edits.\nConfirm to enter new sheet"},
    {20009, "", "Sheet %s\nYou have unsaved edits.\nConfirm to load new file"},
    {30000, "", "Sheet %s\nThere is unsaved edits.\nAbandon them?"},
    {40000, "Netlist are differents", ""},
    {40001, "Pin not found", ""},
    {40002, "Pin not connected generating\n", "%s  (Module=%s, Pin=%s)"},
    {40003, "Pin Reference is not a Number", ""},
    {40004, "Net Appears in First but not in Second Netlist", ""},
    {40005, "Net Appears in Second but not in First Netlist", ""},
    {40006, "Syntax Error Reading Netlist", ""},
    {40007, "ERC Reports some Errors/Warnings.\nOk to Continue ?", ""},
    {40008, "You are trying to stack some pins.\nOk to Continue ?", ""},
    {50000, "This Part has no Vector Definition", ""},
    {50001, "Place Body First !!!", ""},
    {50002, "Deleteting this name will Delete the Part", "\nOk to Continue ?"},
    {50003, "You have unsaved edits.\nOk to lose them ?", ""},
    {50004, "Converted Form exist for this Part.\nOk to loose it ?", ""},
    {50005, "You will loose some Device Definition.\nOk to continue ?", ""},
    {50006, "Some Pins are not on the body\n. Ok to lose them ?", ""},
    {50007, "Cannot do it with Pin(s).", ""},
    {50008, "Some of the references are Duplicated:", "\n%s\n(%s)"},
    {50009, "Place Edges First !!!", ""},
    {50010, "Ok to remove existing Title Block ?", ""},
    {50100, "This Directory does not Exist.\n Ok to Create it ?", ""},
    {50101, "Some specified Directories does not Exist.", ""},
    {50102, "Cannot create this directory\n", "%s"},
    {50103, "Cannot write Initialization File", ""},
    {50104, "Save first\n", "%s\nbefore running %s"},
    {50105, "Some sheets are not (or partialy) Annoted\n", "(Look at Log File)"},
    {50106, "Some References appears more than once\n", "(Look at Log File)"},
    {60002, "Change Paper", ""},
    {60022, "This image file has been modified\nOk to save it ?\n", "%s"},
    {60023, "This image file cannot be read (Invalid Format)\n", "%s"},
};
const int error_table_rows = static_cast<int>(sizeof error_table / sizeof error_table[0]);

namespace {

char* shared_buffer = nullptr;  // owned; lives until error_message_free

// Appends text to buffer[0..size) after `used` bytes, cutting it to fit.
size_t append_cut(char* buffer, size_t size, size_t used, const char* text) {
    size_t room = size - 1 - used;
    size_t n = std::min(std::strlen(text), room);
    std::memcpy(buffer + used, text, n);
    buffer[used + n] = '\0';
    return used + n;
}

const char* default_formatter(int kind, int code, char* buffer, size_t size, va_list) {
    if (buffer == nullptr || size == 0) return "Unknow error code.";
    size_t used = append_cut(buffer, size, 0, "Unknow error code.");
    if (kind != MESSAGE_ONLY) std::snprintf(buffer + used, size - used, "(Code %d)", code);
    return buffer;
}

MessageFormatter formatter = default_formatter;
std::function<void()> before_box;
std::function<void()> after_box;

constexpr size_t BOX_TEXT_SIZE = 1024;

// Format, before-box hook, box, after-box hook.
int show_box(const char* caption, int style, int code, va_list args) {
    char text[BOX_TEXT_SIZE];
    const char* shown = formatter(MESSAGE_WITH_DETAIL, code, text, sizeof text, args);
    if (before_box) before_box();
    int answer = services().message_box(shown, caption, style);
    if (after_box) after_box();
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

}  // namespace

const ErrorEntry* error_find(int code) {
    for (int i = 1; i < error_table_rows; ++i)
        if (error_table[i].code == code) return &error_table[i];
    return &error_table[0];
}

const char* error_message(int kind, int code, char* buffer, size_t size, va_list args) {
    if (buffer == nullptr) {
        if (shared_buffer == nullptr) {
            shared_buffer = static_cast<char*>(std::malloc(ERROR_MESSAGE_SIZE));
            if (shared_buffer == nullptr) return "Internal Malloc Failed";
        }
        buffer = shared_buffer;
        size = ERROR_MESSAGE_SIZE;
    }
    if (size == 0) return "";
    const ErrorEntry* row = error_find(code);
    size_t used = append_cut(buffer, size, 0, row->message);
    if (kind != MESSAGE_ONLY && row->detail[0] != '\0')
        std::vsnprintf(buffer + used, size - used, row->detail, args);
    return buffer;
}

const char* error_message_v(int kind, int code, char* buffer, size_t size, ...) {
    va_list args;
    va_start(args, size);
    const char* text = error_message(kind, code, buffer, size, args);
    va_end(args);
    return text;
}

void error_message_free() {
    std::free(shared_buffer);
    shared_buffer = nullptr;
}

void set_message_formatter(MessageFormatter given) {
    formatter = given ? given : default_formatter;
}

std::string message_text(void*, int code, ...) {
    char text[ERROR_MESSAGE_SIZE];
    va_list args;
    va_start(args, code);
    std::string line = formatter(MESSAGE_WITH_DETAIL, code, text, sizeof text, args);
    va_end(args);
    for (char& c : line)
        if (c == '\n') c = ' ';
    return line;
}

int error_box(void*, const char* caption, int style, int code, ...) {
    va_list args;
    va_start(args, code);
    int answer = show_box(caption ? caption : "Error", style | MB_OK_BUTTON, code, args);
    va_end(args);
    return answer;
}

bool warning_box(void*, int code, ...) {
    va_list args;
    va_start(args, code);
    int answer =
        show_box("Warning", MB_OK_BUTTON | MB_CANCEL_BUTTON | MB_ICON_EXCLAMATION, code, args);
    va_end(args);
    return answer == ANSWER_OK;
}

bool confirm_box(void*, const char* caption, int code, ...) {
    va_list args;
    va_start(args, code);
    int answer =
        show_box(caption ? caption : "Please Confirm", MB_YES_NO | MB_ICON_QUESTION, code, args);
    va_end(args);
    return answer == ANSWER_YES;
}

int confirm_cancel_box(void*, int code, ...) {
    va_list args;
    va_start(args, code);
    int answer =
        show_box("Please Confirm", MB_YES_NO | MB_CANCEL_BUTTON | MB_ICON_QUESTION, code, args);
    va_end(args);
    return answer;
}

void set_box_hooks(std::function<void()> before, std::function<void()> after) {
    before_box = std::move(before);
    after_box = std::move(after);
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
