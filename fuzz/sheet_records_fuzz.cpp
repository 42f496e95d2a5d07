// Reads random bytes as a run of sheet records of the kinds the first byte
// names ('m' label, 'n' image, 0xD0 ERC mark, 0xD4 pseudo-pin, 'B' a BMP
// file). Every record that reads must write back to bytes that read again
// to the same bytes; its geometry is run too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/documents/dib.h"
#include "model/documents/erc_mark.h"
#include "model/documents/ident.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"

namespace {

std::vector<uint8_t> bytes_of(void (*write)(SchItem*, FILE*), SchItem* item) {
    std::vector<uint8_t> out;
    FILE* f = std::tmpfile();
    if (!f) return out;
    write(item, f);
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return out;
}

struct Kind {
    SchItem* (*make)();
    int (*read)(SchItem*, FILE*);
    void (*write)(SchItem*, FILE*);
    void (*release)(SchItem*);
};

const Kind kinds[] = {
    {[]() -> SchItem* { return new_NetProp(); },
     [](SchItem* i, FILE* f) { return read_NetProp(as_NetProp(i), f); },
     [](SchItem* i, FILE* f) { write_NetProp(as_NetProp(i), f, 0); },
     [](SchItem* i) { free_NetProp(as_NetProp(i), false); }},
    {[]() -> SchItem* { return new_Image(); },
     [](SchItem* i, FILE* f) { return read_Image(as_Image(i), f); },
     [](SchItem* i, FILE* f) { write_Image(as_Image(i), f, 0); },
     [](SchItem* i) { free_Image(as_Image(i), false); }},
    {[]() -> SchItem* { return new_ErcMark(); },
     [](SchItem* i, FILE* f) { return read_ErcMark(as_ErcMark(i), f); },
     [](SchItem* i, FILE* f) { write_ErcMark(as_ErcMark(i), f, 0); },
     [](SchItem* i) { free_ErcMark(as_ErcMark(i), false); }},
    {[]() -> SchItem* { return new_PseudoPin(); },
     [](SchItem* i, FILE* f) { return read_PseudoPin(as_PseudoPin(i), f); },
     [](SchItem* i, FILE* f) { write_PseudoPin(as_PseudoPin(i), f); },
     [](SchItem* i) { free_PseudoPin(i, false); }},
};

const Kind* kind_of(int tag) {
    switch (tag) {
        case NETPROP_TAG: return &kinds[0];
        case IMAGE_TAG: return &kinds[1];
        case 0xD0: return &kinds[2];
        case PSEUDO_PIN_TAG: return &kinds[3];
        default: return nullptr;
    }
}

void exercise(SchItem* item) {
    Rect r{};
    switch (item->type) {
        case NETPROP_ITEM: distance_NetProp(nullptr, as_NetProp(item), {1, 2}, 0, 100, 0x40); break;
        case IMAGE_ITEM: distance_Image(nullptr, as_Image(item), {1, 2}, 0, 100, 0x40); break;
        case ERC_ITEM: bounds_ErcMark(nullptr, as_ErcMark(item), &r, false); break;
        default: bounds_PseudoPin(nullptr, item, &r, false); break;
    }
}

// Written, read again and written again: the same bytes.
void check_round_trip(const Kind& kind, SchItem* item) {
    std::vector<uint8_t> first = bytes_of(kind.write, item);
    FILE* f = std::tmpfile();
    if (!f) return;
    std::fwrite(first.data(), 1, first.size(), f);
    std::rewind(f);
    SchItem* again = kind.make();
    if (kind.read(again, f) != 0 || bytes_of(kind.write, again) != first) std::abort();
    kind.release(again);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = std::tmpfile();
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::rewind(f);
    for (;;) {
        int c = std::fgetc(f);
        if (c == 'B') {
            std::ungetc(c, f);
            Dib* dib = read_dib(IMAGE_FORMAT_BMP, f);
            if (!dib) break;
            if (dib->bytes.size() < BMP_INFO_HEADER_SIZE) std::abort();
            free_dib(IMAGE_FORMAT_BMP, dib);
            continue;
        }
        const Kind* kind = c == EOF ? nullptr : kind_of(c);
        if (!kind) break;
        std::ungetc(c, f);
        SchItem* item = kind->make();
        int result = kind->read(item, f);
        if (result == NOT_MY_TAG) std::abort();  // the tag was the record's own
        if (result == 0) {
            check_round_trip(*kind, item);
            exercise(item);
        }
        kind->release(item);
        if (result != 0) break;
    }
    std::fclose(f);
    return 0;
}
