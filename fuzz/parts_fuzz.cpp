// Reads random bytes as a library part record (in full, and as an index
// would skip it). A part that reads must write back to a record that reads
// again into an equal part; its geometry and source form are run too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "foundation/list.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

namespace {

FILE* stream_of(const uint8_t* data, size_t size) {
    FILE* f = std::tmpfile();
    if (!f) return nullptr;
    std::fwrite(data, 1, size, f);
    std::rewind(f);
    return f;
}

void check_round_trip(Part* part) {
    FILE* f = std::tmpfile();
    if (!f) return;
    write_Part(part, f, "FUZZ");
    std::rewind(f);
    Part* again = new_Part();
    if (read_Part(again, f) != 0 || !part_equal(part, again)) std::abort();
    free_Part(again);
    std::fclose(f);
}

void exercise(Part* part) {
    FILE* text = std::fopen("/dev/null", "w");
    if (text) {
        awrite_Part(part, text, 0, "FUZZ");
        std::fclose(text);
    }
    restore_PartVectors(part);
    for (PinList* list : {part->normal_pins, part->convert_pins}) {
        Rect r{};
        pinlist_extent(list, &r, false);
        Pin* found = nullptr;
        nearest_Pin(list, {100, -100}, &found, 0, 10.0, 0x40, true);
        for (Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) make_PinVectors(pin);
    }
    set_Part_devices(part, part->devices + 1);
    Part* copy = dup_Part(part);
    if (!part_equal(part, copy)) std::abort();
    copy->refs = 0;
    free_Part(copy);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = stream_of(data, size);
    if (!f) return 0;
    Part* part = new_Part();
    if (read_Part(part, f) == 0) {
        check_round_trip(part);
        exercise(part);
    }
    free_Part(part);
    std::fclose(f);
    if ((f = stream_of(data, size))) {
        read_Part(nullptr, f);
        std::fclose(f);
    }
    return 0;
}
