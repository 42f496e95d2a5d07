// Feeds any text to the back-annotation change-file reader against a small
// sheet (a one-device and a two-device part): the parse must answer 0, 1
// or 2 and never crash, overrun or leak, whatever the bytes, while its
// renames and swaps change the sheet.
#include <cstddef>
#include <cstdint>
#include <string>

#include "connectivity/backannotate.h"
#include "foundation/properties.h"
#include "fuzz_sheet.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/schema.h"

namespace {

void silent(const char*, ...) {}

const std::string sheet_source = fuzz_sheet_source(
    R"(    (PARTLIB 'DUAL' 0x00000001 1.000000 POWEROFF NO_ROT NORMAL_PART DEVICE 1 (POS 0 0 )
      (ATTRIBUTE 'Q1' VIS (POS 0 0 ) )
      (ATTRIBUTE 'pair' VIS (POS 0 0 ) )
    )
    (PARTLIB 'RES' 0x00000002 1.000000 POWEROFF NO_ROT NORMAL_PART DEVICE 0 (POS 0 0 )
      (ATTRIBUTE 'R1' VIS (POS 0 0 ) )
      (ATTRIBUTE '1k' VIS (POS 0 0 ) )
    )
)");

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool configured = (config_set_defaults(), true);
    (void)configured;
    Schema* schema = nullptr;
    if (compile_schema_string(sheet_source, COMPIL_SCHEMATIC, silent, nullptr, &schema) != 0)
        __builtin_trap();
    JobLog log(silent, BACK_VERBOSE);
    int result = ba_parse_text(std::string(reinterpret_cast<const char*>(data), size), schema, log);
    if (result < 0 || result > 2) __builtin_trap();
    free_Schema(schema, false);
    return 0;
}
