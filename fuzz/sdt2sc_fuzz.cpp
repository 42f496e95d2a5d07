// Random text read as a foreign library source: the parser must answer 0,
// 1 or 2 and free everything a failed parse built, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/properties.h"
#include "import/sdt2sc.h"
#include "model/items/library.h"

static void silent(const char*, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool configured = (config_set_defaults(), true);
    (void)configured;
    Library* library = new_Library();
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const int result = sdt2sc_parse_text(text, library, silent);
    if (result < 0 || result > 2) __builtin_trap();
    if (result == 0) resolve_LibVectors(library, false);
    free_Library(library);
    return 0;
}
