// Compiles the example sources into native files at build time:
//   compile_sources OUTPUT_DIR SOURCE...
// A ".asc" source becomes a sheet (".sch"), a ".slb" source a library
// (".clb"), each under its own base name in OUTPUT_DIR. Exits non-zero
// after the first source that does not compile, naming it.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/items/library.h"

namespace {

void report(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

std::string base_name(const std::string& path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.rfind('.'));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: compile_sources OUTPUT_DIR SOURCE...\n", stderr);
        return 2;
    }
    config_init();
    config_init_keys();
    init_Libraries();
    set_message_formatter(error_message);
    // Each sheet alone (its sub-sheets are sources of their own here), and
    // nothing of this run reaches the user's INI file.
    config_write_flag = 0;
    proper_set(COMPSHEET_HIER, 1, COMPSHEET_VERBOSE, 0, COMPIL_VERBOSE, 0, BAK_FILE, 0);
    std::string out_dir = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::string source = argv[i];
        bool library = source.size() > 4 && source.compare(source.size() - 4, 4, ".slb") == 0;
        std::string output = out_dir + "/" + base_name(source) + (library ? ".clb" : ".sch");
        int result = library
                         ? compile_library(source.c_str(), output.c_str(), report)
                         : compile_sheets(source.c_str(), output.c_str(), nullptr, nullptr, report);
        if (result != 0) {
            std::fprintf(stderr, "%s: %s\n", source.c_str(),
                         message_text(nullptr, RuntimeCode{result}, source.c_str()).c_str());
            return 1;
        }
    }
    return 0;
}
