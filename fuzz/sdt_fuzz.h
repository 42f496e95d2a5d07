#pragma once
// Shared by the foreign schematic fuzz targets: reads random bytes with one
// of the two readers and converts what reads. The reader must answer a
// result (with a message exactly when it failed) and the conversion a
// schema or a failure, never crash, overrun or leak, whatever the bytes.
#include <cstddef>
#include <cstdint>

#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/foreign.h"
#include "import/genwind.h"
#include "model/documents/schema.h"

inline int sdt_fuzz_one(int (*read)(ForeignFile*, ForeignInput*), const uint8_t* data,
                        size_t size) {
    static bool configured = [] {
        config_set_defaults();
        Services quiet;
        quiet.log_write = [](const char*) {};
        install_services(quiet);
        return true;
    }();
    (void)configured;
    ForeignFile file;
    ForeignInput input;
    input.bytes.assign(data, data + size);
    const int result = read(&file, &input);
    if (result < -1 || result > 1 || (result == -1) != !input.error.empty()) __builtin_trap();
    if (result == 0) free_Schema(genwind_build_schema(&file), false);
    return 0;
}
