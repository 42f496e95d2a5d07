#pragma once
// What the converters of genwind.cpp and genwind_parts.cpp share: the
// state of one conversion and the small helpers every converter uses.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "foundation/core.h"
#include "foundation/list.h"
#include "import/foreign.h"
#include "import/genwind.h"
#include "import/sdt_job.h"
#include "model/documents/schema.h"

struct GenwindState {
    Schema* schema = nullptr;
    ForeignFile* file = nullptr;
    uint32_t stamp = 0;                       // running creation stamp
    const ForeignObject* symbols = nullptr;   // 16-bit symbol list, or none
    size_t symbol_at = SDT16_HEAD;            // cursor in its body
    std::map<const Port*, int32_t> lengths;   // working lengths of the module ports
};

// Cuts a foreign text to the native limit, with a warning.
inline std::string genwind_limited(const std::string& text, size_t limit = GENWIND_TEXT_MAX) {
    if (text.size() <= limit) return text;
    sdt_log("*** WARNING ***: Text cut to %zu characters: '%s'\n", limit, text.c_str());
    return text.substr(0, limit);
}

// Hangs a converted item on the sheet, in the order of the foreign records.
template <class R>
inline R* genwind_add_item(GenwindState* st, R* item) {
    if (!item || !dlist_append(st->schema->sheet->items, item)) no_memory();
    return item;
}

inline Point genwind_at(const ForeignObject* o, size_t offset) {
    return Point{fo_i16(o, offset) * GENWIND_SCALE, fo_i16(o, offset + 2) * GENWIND_SCALE};
}

// The part converters of the two formats: 0, or -1 for a damaged record.
int genwind_part32(GenwindState* st, const ForeignObject* o);
int genwind_part16(GenwindState* st, const ForeignObject* o);
