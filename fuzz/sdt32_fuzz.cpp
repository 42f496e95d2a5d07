// Random bytes read as a 32-bit foreign schematic and converted.
#include "sdt_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return sdt_fuzz_one(sdt32_read_file, data, size);
}
