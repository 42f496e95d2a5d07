// Feeds any text to the ASCII source reader in each of its three modes,
// with a builder that builds nothing: the reader must answer a result and
// never crash, overrun or leak, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/documents/compil.h"

static void silent(const char*, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CompilBuilder syntax_only;
    for (int mode : {COMPIL_SCHEMATIC, COMPIL_LIBRARY, COMPIL_TITLEBLOCK}) {
        int result = compil_string(text, mode, syntax_only, silent);
        if (result < 0 || result > 2) __builtin_trap();
    }
    return 0;
}
