// Reads random bytes as the tips file: the tips are counted, the first one
// shown is sought, and the walk goes round every tip and past the last one
// to the first again, as the tip of the day's Next button does. Whatever
// the bytes, every step ends and no tip is longer than its lines make it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dialogs/forms/tips.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzz_files::write_input("TnTips.dat", data, size);
    std::unique_ptr<TipsFile> tips = TipsFile::open(file);
    if (!tips) __builtin_trap();
    const int count = tips->tips_count();
    if (count < 0 || static_cast<size_t>(count) > size) __builtin_trap();
    // A line break written as a backslash and n becomes CR-LF: never longer.
    const size_t longest = size;
    tips->seek(tip_start_number(static_cast<int>(size % 10), count));
    if (tips->tip().size() > longest) __builtin_trap();
    for (int i = 0; i <= count && i < 64; ++i) {
        tips->tip_next();
        if (tips->tip().size() > longest) __builtin_trap();
    }
    return 0;
}
