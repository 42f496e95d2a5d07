// Feeds any text to the source compiler in each of its three modes, with
// the builder that makes records: a compilation either fails and leaves
// nothing behind (the sanitizer build reports leaks of half-built records)
// or gives records whose binary form reads back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "model/documents/compil_actions.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"

namespace {

void silent(const char*, ...) {}

// Writes, rewinds and reads back through a temporary file.
template <class Write, class Read>
int round_trip(Write&& write, Read&& read) {
    FILE* f = std::tmpfile();
    if (!f) return 0;
    write(f);
    std::rewind(f);
    int result = read(f);
    std::fclose(f);
    return result;
}

void check_library(Library* library) {
    Library* again = new_Library();
    int result = round_trip([&](FILE* f) { write_Library(library, f, 0); },
                            [&](FILE* f) { return read_Library(again, f, false); });
    // A body may name a part the library does not hold.
    if (result != 0 && result != LIB_LOAD_NULL_REFERENCE && result != LIB_LOAD_REFERENCE_LOOP)
        __builtin_trap();
    free_Library(again);
}

void check_schema(Schema* schema) {
    Schema* again = new_Schema();
    again->library = new_Library();
    if (round_trip([&](FILE* f) { write_titleblock_file(schema, &schema->titleblock, f, true); },
                   [&](FILE* f) { return read_titleblock_file(again, &again->titleblock, f); }) != 0)
        __builtin_trap();
    Sheet* sheet = new_Sheet();
    if (round_trip([&](FILE* f) { write_Sheet(schema, schema->sheet, f, 0); },
                   [&](FILE* f) { return read_Sheet(again, sheet, f); }) != 0)
        __builtin_trap();
    free_Sheet(again, sheet, false);
    if (schema->library) check_library(schema->library);
    free_Schema(again, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Library* library = nullptr;
    int result = compile_library_string(text, "fuzz.asc", silent, &library);
    if ((result == 0) != (library != nullptr)) __builtin_trap();
    if (library) check_library(library);
    free_Library(library);
    for (int mode : {COMPIL_SCHEMATIC, COMPIL_TITLEBLOCK}) {
        Schema* schema = nullptr;
        SheetList sheets{SheetName{0, "root.sch"}};
        result = compile_schema_string(text, mode, silent, &sheets, &schema);
        if ((result == 0) != (schema != nullptr)) __builtin_trap();
        if (schema) check_schema(schema);
        free_Schema(schema, false);
    }
    return 0;
}
