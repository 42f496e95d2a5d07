// Reads random bytes as a schema file. Whatever reads must write, read back
// and write again to the same bytes; whatever fails must leave nothing
// behind (the sanitizer build reports leaks).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"

namespace {

std::vector<unsigned char> written(Schema* schema) {
    std::vector<unsigned char> bytes;
    FILE* out = std::tmpfile();
    if (!out) return bytes;
    if (write_Schema(schema, out, 0) == 0) {
        std::rewind(out);
        for (int c; (c = std::fgetc(out)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    }
    std::fclose(out);
    return bytes;
}

// A new active schema read from the bytes; null when they do not read.
Schema* read_from(const uint8_t* data, size_t size) {
    FILE* in = std::tmpfile();
    if (!in) return nullptr;
    std::fwrite(data, 1, size, in);
    std::rewind(in);
    Schema* schema = nullptr;
    new_active_schema(&schema);
    int result = read_Schema(schema, in);
    std::fclose(in);
    if (result != 0) {
        free_Schema(schema, false);
        return nullptr;
    }
    return schema;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Schema* schema = read_from(data, size);
    if (!schema) return 0;
    std::vector<unsigned char> first = written(schema);
    free_Schema(schema, false);
    if (first.empty()) return 0;  // a library part that cannot be loaded
    Schema* again = read_from(first.data(), first.size());
    if (!again) std::abort();
    if (written(again) != first) std::abort();
    free_Schema(again, false);
    return 0;
}
