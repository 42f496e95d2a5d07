// Reads random bytes as a run of item records (as a part body or a sheet
// would) through read_Item. Every record that reads must write back to the
// same bytes' meaning: read again it compares equal. Its geometry is run
// too, so that undefined arithmetic on extreme coordinates shows up.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "foundation/matrix.h"
#include "model/items/item.h"

namespace {

// Writes the item, reads it back and checks that both compare equal.
void check_round_trip(Item* item) {
    FILE* f = std::tmpfile();
    if (!f) return;
    write_Item(item, f, 0);
    std::rewind(f);
    Item* again = new_Item(item->type);
    int result = read_Item(again, f);
    if (result != 0 || !compare_Item(item, again)) std::abort();
    free_Item(again);
    std::fclose(f);
}

void exercise(Item* item) {
    FILE* text = std::fopen("/dev/null", "w");
    if (text) {
        awrite_Item(item, text, 0);
        std::fclose(text);
    }
    Rect r{};
    bounds_Item(nullptr, item, &r, false);
    bounds_Item(nullptr, item, &r, true);
    distance_Item(nullptr, item, {12345, -678}, 0, 100.0, 0x40);
    Matrix m;
    matrix_translate(&m, 1000, -1000);
    matrix_mirror(&m, 1);
    matrix_Item(item, &m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::tmpfile();
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::rewind(f);
    for (;;) {
        int c = std::fgetc(f);
        if (c == EOF || c < item_tag(FILL_ITEM) || c > item_tag(POLY_ITEM)) break;
        std::ungetc(c, f);
        Item* item = new_Item(c - ITEM_TAG_BASE);
        int result = read_Item(item, f);
        if (result == NOT_MY_TAG) std::abort();  // the tag was the item's own
        if (result == 0) {
            check_round_trip(item);
            exercise(item);
        }
        free_Item(item);
        if (result != 0) break;
    }
    std::fclose(f);
    return 0;
}
