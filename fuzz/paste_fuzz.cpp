// Reads random bytes as a paste file: the first byte picks the kind (sheet,
// title block, library pieces), the rest is the file. Whatever reads is
// pasted into a document, which is then released whole (the sanitizer
// build reports leaks and double releases).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/paste.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"

namespace {

// A file of the bytes under a fresh temporary name ("" when none can be made).
std::string temporary_file(const uint8_t* data, size_t size) {
    char name[] = "/tmp/paste_fuzz_XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return "";
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        std::remove(name);
        return "";
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    return name;
}

// A library document editing an empty two-device part "7400", the name of
// the part of the seed files.
Schema* library_document() {
    Schema* doc = nullptr;
    new_active_schema(&doc);
    Part* part = new_Part();
    set_Part_devices(part, 2);
    LibEntry* entry = new_LibEntry();
    entry->name.set("7400");
    entry->part = part;
    ref_Part(part);
    lib_insert_entry(doc->library, entry);
    PlacedPart* pl = new_PlacedPart();
    pl->part_name.set("7400");
    dlist_append(doc->sheet->items, pl);
    return doc;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string name = temporary_file(data + 1, size - 1);
    if (name.empty()) return 0;
    const int kind = data[0] % 3;
    Schema* doc = nullptr;
    switch (kind) {
        case PASTE_SCHEMA:
            new_active_schema(&doc);
            read_paste_schema(doc, name.c_str(), kind);
            break;
        case PASTE_TITLEBLOCK:
            new_active_schema(&doc);
            read_paste_titleblock(doc, name.c_str(), kind);
            break;
        default:
            doc = library_document();
            read_paste_library(doc, name.c_str(), kind);
            break;
    }
    free_Schema(doc, false);
    std::remove(name.c_str());
    return 0;
}
