// Reads random bytes as the merge file of a bill of materials over a small
// sheet, the page's width and height taken from the input's size: the
// merge texts are read, laid out in their column, split at blanks and
// continued under it. Whatever the bytes, the job writes its report and
// ends (the sanitizer build reports overruns and leaks).
#include <cstddef>
#include <cstdint>
#include <string>

#include "connectivity/bom.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "fuzz_files.h"
#include "fuzz_sheet.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"

namespace {

void silent(const char*, ...) {}

std::string resistor(const char* reference, const char* value, int x) {
    return std::string("    (PARTLIB 'RES' 0x0000") + std::to_string(100 + x) +
           " 1.000000 POWEROFF NO_ROT NORMAL_PART DEVICE 0 (POS " + std::to_string(x * 2000) +
           " 0 )\n      (ATTRIBUTE '" + reference + "' VIS (POS 0 0 ) )\n      (ATTRIBUTE '" +
           value + "' VIS (POS 0 0 ) )\n    )\n";
}

// The sheet of the project: values the seeds' keys name, one used by many
// parts (a long references column), one no key names.
std::string sheet_source() {
    std::string items;
    const char* values[] = {"10k", "10k", "10k", "10k", "10k", "10k", "1k", "100N", "4k7", "47k"};
    int x = 0;
    for (const char* value : values) {
        std::string reference = "R" + std::to_string(x + 1);
        items += resistor(reference.c_str(), value, x++);
    }
    return fuzz_sheet_source(items);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = [] {
        Services quiet;
        quiet.log_write = [](const char*) {};
        install_services(quiet);
        config_set_defaults();
        init_Libraries();
        proper_set(DIR_PROJECT, fuzz_files::folder().c_str(), 0);
        std::string name = fuzz_files::path("root.sch");
        Schema* schema = nullptr;
        if (compile_schema_string(sheet_source(), COMPIL_SCHEMATIC, silent, nullptr, &schema) !=
                0 ||
            save_schema_file(schema, name.c_str(), false) != 0)
            __builtin_trap();
        free_Schema(schema, false);
        return name;
    }();
    const std::string merge = fuzz_files::write_input("merge.rpt", data, size);
    proper_set(BOM_MERGE, 1, BOM_MERGEFILE, merge.c_str(), BOM_WIDTH,
               static_cast<int>(20 + size % 140), BOM_HEIGHT, static_cast<int>(size % 40), 0);
    const std::string report = fuzz_files::path("root.bom");
    if (bill_of_materials(root.c_str(), report.c_str(), silent) != 0) __builtin_trap();
    return 0;
}
