#include "foundation/core.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "foundation/services.h"

namespace {

uint32_t next_id = 1;

// Every failed allocation of the program ends in no_memory.
const bool new_handler_installed = [] {
    std::set_new_handler([] { no_memory(); });
    return true;
}();

}  // namespace

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
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::string line = "*** Warning *** ";
    line += text;
    line += "\n";
    services().debug_write(line.c_str());
}

char* str_dup(const char* text) {
    size_t n = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(std::malloc(n));
    if (!copy) no_memory();
    std::memcpy(copy, text, n);
    return copy;
}

uint32_t new_object_id() {
    uint32_t id = next_id++;
    if (next_id == 0) next_id = 1;  // never hand out 0: it means "no record"
    return id;
}

void reset_object_ids(uint32_t next) { next_id = next ? next : 1; }
