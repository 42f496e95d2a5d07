// The library source conversion job (see sdt2sc.h).
#include "import/sdt2sc.h"

#include <cstdio>
#include <string>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/sdt2sc_context.h"
#include "model/items/library.h"
// Generated from sdt2sc.y and sdt2sc.l.
#include "sdt2sc_parser.h"
#define YYSTYPE SDT2SCSTYPE
#include "sdt2sc_scanner.h"

namespace {

constexpr int KIND_FOREIGN_LIBRARY = 2;
constexpr int KIND_ASCII_LIBRARY = 3;
constexpr int KIND_BINARY_LIBRARY = 1;

int run(Sdt2scContext& ctx, Library* library, ImportReport report) {
    ctx.library = library;
    ctx.report = report;
    sdt2sc_begin(&ctx);
    const int result = sdt2sc_parse(&ctx);
    sdt2sc_end(&ctx);
    char line[32];
    std::snprintf(line, sizeof line, "Result %d\n", result);
    services().debug_write(line);
    return result;
}

void debug_result(const char* format, int result) {
    char line[64];
    std::snprintf(line, sizeof line, format, result);
    services().debug_write(line);
}

// Asks before an existing file is replaced; false when declined.
bool confirmed_name(std::string* name) {
    std::string confirmed;
    if (!services().confirm_overwrite(*name, &confirmed)) return false;
    *name = confirmed;
    return true;
}

}  // namespace

void sdt2sc_begin(Sdt2scContext* ctx) { ctx->line = 1; }

int sdt2sc_parse(Sdt2scContext* ctx) {
    yyscan_t scanner = nullptr;
    if (sdt2sclex_init_extra(ctx, &scanner) != 0) no_memory();
    const int result = sdt2scparse(scanner, ctx);
    sdt2sclex_destroy(scanner);
    return result;
}

void sdt2sc_end(Sdt2scContext* ctx) { sdt2sc_release(ctx); }

int sdt2sc_parse_file(FILE* file, Library* library, ImportReport report) {
    Sdt2scContext ctx;
    ctx.file = file;
    return run(ctx, library, report);
}

int sdt2sc_parse_text(std::string_view text, Library* library, ImportReport report) {
    Sdt2scContext ctx;
    ctx.text = text;
    return run(ctx, library, report);
}

int convert_orcad_library(const char* file_name, ImportReport report, std::string* written) {
    if (written) written->clear();
    ImportReport log = report ? report : log_printf;
    const bool verbose = proper_get(SDT_VERBOSE) != 0;
    set_library_dir_override(file_name);
    std::string base = path_base_name(file_name);
    change_suffix(base, "", 0);
    const std::string source = make_kind_file_name(file_name, KIND_FOREIGN_LIBRARY, 1);
    FILE* in = std::fopen(system_path(source.c_str()).c_str(), "r");
    if (!in) {
        if (verbose) log("Can't open file '%s'\n", file_name);
        clear_library_dir_override();
        return -1;
    }
    if (verbose) log("Converting OrCAD library:\n"), log("Parsing OrCAD file...\n");
    Library* library = sdt2sc_new_library(base.c_str());
    int result = sdt2sc_parse_file(in, library, log);
    std::fclose(in);
    if (result == 0) {
        if (verbose) log("Resolving Vector References\n");
        result = resolve_LibVectors(library, true);
        debug_result("Result %d\n", result);
        std::string ascii = make_kind_file_name(base.c_str(), KIND_ASCII_LIBRARY, 2);
        std::string binary = make_kind_file_name(base.c_str(), KIND_BINARY_LIBRARY, 2);
        // Both files go into the library directory, the job's project: a
        // file there of another kind, or a link out of it to one that is
        // not a library, is never replaced, and such a refusal puts neither
        // file in place (they wait beside their names until the end).
        FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
        ProjectWrites writes(binary.c_str(), log);
        if (confirmed_name(&ascii)) {
            if (verbose) log("Writing ascii library...\n");
            result = asave_Library(ascii.c_str(), library);
            debug_result("Conversion done, result %d.\n", result);
        }
        bool binary_written = false;
        if (result != FILE_NOT_WRITTEN && confirmed_name(&binary)) {
            if (verbose) log("Writing binary library...\n");
            result = save_Library(binary.c_str(), library);
            binary_written = result == 0;
            debug_result("Conversion done, result %d.\n", result);
        }
        if (result == FILE_NOT_WRITTEN) {
            sync.discard();
        } else if (int placed = finish_saves(sync); placed != 0) {
            result = placed;
        } else {
            if (written && binary_written) *written = binary;
            if (verbose && result == 0) log("Conversion done.\n");
        }
    }
    free_Library(library);
    clear_library_dir_override();
    return result;
}
