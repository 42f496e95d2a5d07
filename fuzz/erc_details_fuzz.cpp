// Reads random bytes as an ERC report from which a mark's finding is read
// back: the finding's line is looked for by its number and the two member
// lines after it are kept. Whatever the bytes, the look-up answers, and
// keeps no more of a line than its limit (the sanitizer build reports reads
// past what was read and leaks).
#include <cstddef>
#include <cstdint>

#include "connectivity/erc.h"
#include "fuzz_files.h"
#include "model/documents/schema.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzz_files::write_input("report.erc", data, size);
    Schema* schema = new_Schema();
    if (!schema || !copy_field(schema->erc_report, sizeof schema->erc_report, file.c_str()))
        __builtin_trap();
    // The first finding, a warning's number, numbers no report holds.
    for (int number : {1, 2, 10001, 0, -1, 99999, 100000}) {
        if (!erc_mark_details(schema, number)) continue;
        for (int which : {0, 1})
            if (erc_mark_detail_line(which).size() > size) __builtin_trap();
    }
    free_Schema(schema, false);
    return 0;
}
