// Reads random bytes as a title-fields file (Get ASCII: quoted,
// comma-separated columns) into a sheet's identification fields. A file
// that reads gives fields that, saved again (Save ASCII) and read into
// another sheet, come back the same; one that does not read changes no
// field.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_files.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "shell/shell_ops.h"

namespace {

constexpr int FIELDS = 26;

bool same_fields(Schema* a, Schema* b) {
    for (int i = 1; i <= FIELDS; ++i)
        if (std::strcmp(schema_field(a, i), schema_field(b, i)) != 0) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzz_files::write_input("fields.txt", data, size);
    Schema* read = nullptr;
    Schema* untouched = nullptr;
    new_active_schema(&read);
    new_active_schema(&untouched);
    for (int i = 1; i <= FIELDS; ++i) {
        schema_set_field(read, i, "kept");
        schema_set_field(untouched, i, "kept");
    }
    const int result = title_fields_read(read, file.c_str());
    if (result != 0) {
        if (!same_fields(read, untouched)) __builtin_trap();
    } else {
        const std::string again = fuzz_files::path("fields_again.txt");
        if (title_fields_write(read, again.c_str()) != 0) __builtin_trap();
        if (title_fields_read(untouched, again.c_str()) != 0) __builtin_trap();
        if (!same_fields(read, untouched)) __builtin_trap();
    }
    close_schema(nullptr, &read);
    close_schema(nullptr, &untouched);
    return 0;
}
