// Reads random bytes as the records of a document: the first byte picks the
// reader (a sheet record, a title-block file, or a sheet record followed by
// a list of 'l' references into it). Whatever reads must write again and
// read back to the same bytes, and everything must be released (the
// sanitizer build reports leaks).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundation/list.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"

namespace {

std::vector<unsigned char> contents(FILE* f) {
    std::vector<unsigned char> bytes;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

Schema* make_schema() {
    Schema* schema = new_Schema();
    schema->sheet = new_Sheet();
    schema->current = schema->sheet;
    schema->library = new_Library();
    return schema;
}

void fuzz_sheet(Schema* schema, FILE* f, bool with_refs) {
    Sheet* sheet = new_Sheet();
    int result = read_Sheet(schema, sheet, f);
    free_Sheet(schema, schema->sheet, false);
    schema->sheet = sheet;
    if (result != 0) return;
    FILE* out = std::tmpfile();
    write_Sheet(schema, sheet, out, 0);
    std::vector<unsigned char> written = contents(out);
    std::rewind(out);
    Sheet* again = new_Sheet();
    if (read_Sheet(schema, again, out) != 0) std::abort();
    FILE* out2 = std::tmpfile();
    write_Sheet(schema, again, out2, 0);
    if (contents(out2) != written) std::abort();
    free_Sheet(schema, again, false);
    std::fclose(out);
    std::fclose(out2);
    if (with_refs) {
        List* refs = list_new();
        read_ref_list(schema, refs, f, nullptr);
        dlist_free(refs, LIST_FROM_HEAD, nullptr);
    }
    Rect r;
    bounds_Schema(schema, &r);
}

void fuzz_titleblock(Schema* schema, FILE* f) {
    if (read_titleblock_file(schema, &schema->titleblock, f) != 0) return;
    FILE* out = std::tmpfile();
    if (write_titleblock_file(schema, &schema->titleblock, out, true) != 0) std::abort();
    std::vector<unsigned char> written = contents(out);
    std::rewind(out);
    Schema* other = make_schema();
    if (read_titleblock_file(other, &other->titleblock, out) != 0) std::abort();
    FILE* out2 = std::tmpfile();
    write_titleblock_file(other, &other->titleblock, out2, true);
    if (contents(out2).size() != written.size()) std::abort();
    free_Schema(other, false);
    std::fclose(out);
    std::fclose(out2);
    FILE* text = std::fopen("/dev/null", "w");
    if (text) {
        awrite_TitleBlock(schema, text, 0);
        std::fclose(text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FILE* f = std::tmpfile();
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::rewind(f);
    Schema* schema = make_schema();
    switch (data[0] % 3) {
        case 0: fuzz_sheet(schema, f, false); break;
        case 1: fuzz_titleblock(schema, f); break;
        default: fuzz_sheet(schema, f, true); break;
    }
    free_Schema(schema, false);
    std::fclose(f);
    return 0;
}
