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
    FILE* f = open_file(log_file, "a");
    bool written = f && std::fputs(text.c_str(), f) >= 0;
    if (f && std::fclose(f) != 0) written = false;
    // The job goes on without its copy; the user is told once per file name
    // (a log line per progress line would bury the job's own output).
    static std::string warned_for;
    if (written) {
        warned_for.clear();
        return;
    }
    if (warned_for == log_file) return;
    warned_for = log_file;
    std::string warning = "*** Warning *** : the log file " + warned_for + " cannot be written\n";
    services().log_write(warning.c_str());
}
