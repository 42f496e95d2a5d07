#include "foundation/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "foundation/file_system.h"
#include "foundation/properties.h"
#include "foundation/services.h"

void log_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);

    services().log_write(text.c_str());
    const char* log_file = strproper_get(LOGFILE);
    if (!log_file || !*log_file) return;
    if (FILE* f = open_file(log_file, "a")) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
}
