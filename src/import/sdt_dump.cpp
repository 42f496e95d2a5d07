// The readable listing of the loaded foreign files (see sdt_job.h).
#include <cstdio>
#include <string>

#include "import/foreign.h"
#include "import/sdt_job.h"

namespace {

constexpr size_t B = SDT16_HEAD;

std::string pstr(const ForeignObject* o, size_t offset, int n = 0) {
    std::string s;
    pstring_get(o, offset, n, &s);
    return s;
}

void dump_part(FILE* out, const ForeignObject* o) {
    std::fprintf(out, "Part, size %u\n", o->size);
    std::fprintf(out, "X %d Y %d XRef %d YRef %d XPart %d YPart %d Status 0x%04x\n", fo_i16(o, B),
                 fo_i16(o, B + 2), fo_i16(o, B + 4), fo_i16(o, B + 6), fo_i16(o, B + 8),
                 fo_i16(o, B + 10), fo_u16(o, B + 12));
    std::fprintf(out, "Reference '%s'\n", pstr(o, B + 28, 0).c_str());
    std::fprintf(out, "Part Value '%s'\n", pstr(o, B + 28, 1).c_str());
    size_t at = 0;
    if ((fo_u16(o, B + 12) & 0x4000) && pstring_skip(o, B + 28, 2, &at)) {
        for (int i = 1; i <= 8; ++i) {
            std::string value;
            if (!pstring_get(o, at + 4, 0, &value)) break;
            std::fprintf(out, "Field %d X %d Y %d Value '%s'\n", i, fo_i16(o, at),
                         fo_i16(o, at + 2), value.c_str());
            at += 5 + value.size();
        }
    } else {
        std::fprintf(out, "No Fields\n");
    }
    std::fprintf(out, "\n");
}

void dump_bytes(FILE* out, const ForeignObject* o) {
    std::fprintf(out, "Unknow object, type %d, size %u\n", o->type, o->size);
    for (size_t i = 0; i < o->size; ++i) {
        std::fprintf(out, "0x%02x ", o->data[B + i]);
        if (i % 8 == 7 || i + 1 == o->size) std::fprintf(out, "\n");
    }
}

void dump_object(FILE* out, const ForeignObject* o) {
    if (o->type == SDT16_SYMBOLS) {
        std::fprintf(out, "Symbols list , size %u\n", o->size);
        for (size_t at = B; at < o->data.size() && o->data[at] != 0;) {
            std::string name;
            if (!pstring_get(o, at, 0, &name)) break;
            std::fprintf(out, "Symbol '%s'\n", name.c_str());
            at += 1 + name.size();
        }
        return;
    }
    const unsigned size = o->size;
    switch (o->type & 15) {
    case SDT16_SHEET:
        std::fprintf(out, "Sheet, size %u\n", size);
        std::fprintf(out, "SheetX %u SheetY %u SheetX1 %u SheetY1 %u\n", fo_u16(o, B),
                     fo_u16(o, B + 2), fo_u16(o, B + 4), fo_u16(o, B + 6));
        std::fprintf(out, "Filename '%s'\n\n", pstr(o, B + 13).c_str());
        break;
    case SDT16_PART: dump_part(out, o); break;
    case SDT16_WIRE:
    case SDT16_BUS:
    case SDT16_DASHED: {
        const unsigned t = o->type & 15;
        std::fprintf(out, "%s, size %u\n",
                     t == SDT16_WIRE ? "Wire" : t == SDT16_BUS ? "Bus" : "DashedLine", size);
        std::fprintf(out, "XStart %d YStart %d XEnd %d YEnd %d\n\n", fo_i16(o, B),
                     fo_i16(o, B + 2), fo_i16(o, B + 4), fo_i16(o, B + 6));
        break;
    }
    case SDT16_JUNCTION:
        std::fprintf(out, "Junction, size %u\nX %d Y %d\n\n", size, fo_i16(o, B), fo_i16(o, B + 2));
        break;
    case SDT16_PORT:
        std::fprintf(out, "Module Port, size %u\n", size);
        std::fprintf(out, "X %d Y %d Type 0x%02x Dim 0x%02x text '%s'\n\n", fo_i16(o, B),
                     fo_i16(o, B + 2), fo_u8(o, B + 4), fo_u8(o, B + 5), pstr(o, B + 6).c_str());
        break;
    case SDT16_LABEL:
    case SDT16_TEXT:
        std::fprintf(out, "%s, size %u\n", (o->type & 15) == SDT16_LABEL ? "Label" : "Text", size);
        std::fprintf(out, "X %d Y %d Dim 0x%04x text '%s'\n\n", fo_i16(o, B), fo_i16(o, B + 2),
                     fo_u16(o, B + 4), pstr(o, B + 6).c_str());
        break;
    case SDT16_BUS_ENTRY:
        std::fprintf(out, "EntryBus, size %u\nX %d Y %d Config 0x%02x\n\n", size, fo_i16(o, B),
                     fo_i16(o, B + 2), fo_u8(o, B + 4));
        break;
    case SDT16_POWER:
        std::fprintf(out, "Power Object, size %u\n", size);
        std::fprintf(out, "X %d Y %d subtype 0x%02x text '%s'\n\n", fo_i16(o, B),
                     fo_i16(o, B + 2), fo_u8(o, B + 4), pstr(o, B + 5).c_str());
        break;
    case SDT16_PROPERTY: {
        static const char* const names[6] = {"Trace", "Vector", "Stimulus", "???", "???", "Layout"};
        const unsigned sub = fo_u8(o, B);
        std::fprintf(out, "Property, size %u, subtype %u (%s)\n", size, sub,
                     sub < 6 ? names[sub] : "???");
        std::fprintf(out, "X %d Y %d Name '%s'\n\n", fo_i16(o, B + 1), fo_i16(o, B + 3),
                     sub == 4 ? "" : pstr(o, B + 7).c_str());
        break;
    }
    case SDT16_END: std::fprintf(out, "EndOfList, size %u\n\n", size); break;
    default: dump_bytes(out, o); break;
    }
}

}  // namespace

void sdt_dump_files(FILE* out) {
    for (const auto& file : loaded_files) {
        std::fprintf(out, "Sheet '%s' -- type %s\n", file->name.c_str(),
                     file->sixteen ? "16bits" : "32bits");
        if (!file->sixteen) continue;
        for (const auto& object : file->objects) dump_object(out, object.get());
    }
}
