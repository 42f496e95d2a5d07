// Reads random bytes as a library file, whole and as an index only. A
// library that reads must write, and what it writes must read again and
// write the same bytes (shared bodies stay shared, references resolve).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/items/library.h"

namespace {

std::string written(Library* library) {
    FILE* f = std::tmpfile();
    if (!f) return {};
    if (write_Library(library, f, 0) != 0) std::abort();
    std::string bytes;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) bytes += static_cast<char>(c);
    std::fclose(f);
    return bytes;
}

FILE* stream_of(const void* data, size_t size) {
    FILE* f = std::tmpfile();
    if (!f) return nullptr;
    std::fwrite(data, 1, size, f);
    std::rewind(f);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool index_only : {false, true}) {
        FILE* f = stream_of(data, size);
        if (!f) return 0;
        Library* library = new_Library();
        int result = read_Library(library, f, index_only);
        std::fclose(f);
        if (result == 0 && !index_only) {
            std::string first = written(library);
            FILE* again = stream_of(first.data(), first.size());
            Library* copy = new_Library();
            if (read_Library(copy, again, false) != 0) std::abort();
            std::fclose(again);
            if (written(copy) != first) std::abort();
            free_Library(copy);
        }
        free_Library(library);
    }
    return 0;
}
