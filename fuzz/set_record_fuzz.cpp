// Feeds any bytes to the reader of a set's record (a file of the project,
// so a hostile one): it must answer without crashing, overrunning or
// leaking, and a record it reads, written again, must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/safe_replace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    SetRecord record;
    RecordRead read = parse_set_record(text, &record);
    if (read != RecordRead::READ) {
        if (!record.members.empty() || !record.owner.job.empty()) __builtin_trap();
        return 0;
    }
    SetRecord again;
    if (parse_set_record(set_record_text(record), &again) != RecordRead::READ || !(again == record))
        __builtin_trap();
    return 0;
}
