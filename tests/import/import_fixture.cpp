#include "import/import_fixture.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/foreign.h"
#include "import/sdt_job.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "support/test_env.h"

namespace sdt_test {

std::string logged;

void capture(const char* format, ...) {
    va_list args;
    va_start(args, format);
    tn_test::append_vprintf(logged, format, args);
    va_end(args);
}

void ImportTest::SetUp() {
    config_set_defaults();
    reset_services();
    reset_object_ids(1);
    init_Libraries();
    logged.clear();
    Services s;
    s.log_write = [](const char* text) { logged += text; };
    install_services(s);
    proper_set(DIR_PROJECT, dir.path().string().c_str(), DIR_LIBRARY, dir.path().string().c_str(),
               0);
}

void ImportTest::TearDown() {
    for (ForeignFile* f : files) delete f;
    free_LibraryList(lib_list);
    lib_list = nullptr;
    loaded_files.clear();
    clear_scripted_answers();
    reset_services();
    config_set_defaults();
}

void ImportTest::write(const std::string& name, const Bytes& bytes) const {
    tn_test::write_bytes(file(name), bytes);
}

void ImportTest::write_library(const std::string& name, const std::vector<LibPart>& parts) const {
    Library* library = new_Library();
    set_Library_name(library, name.c_str());
    for (const LibPart& p : parts) {
        Part* part = new_Part();
        part->body = Rect{0, 0, p.width, p.height};
        part->prefix.set(p.prefix.c_str());
        set_Part_devices(part, p.devices);
        LibEntry* entry = new_LibEntry();
        entry->name.set(p.name.c_str());
        entry->part = part;
        ref_Part(part);
        if (LibEntry* old = lib_insert_entry(library, entry)) free_LibEntry(old);
    }
    ASSERT_EQ(save_Library(file(name + ".clb").c_str(), library), 0);
    free_Library(library);
}

ForeignFile* ImportTest::load(const Bytes& bytes, const std::string& name) {
    auto* f = new ForeignFile;
    files.push_back(f);
    f->name = name;
    ForeignInput in;
    in.bytes = bytes;
    int result = sdt32_read_file(f, &in);
    if (result == 1) result = sdt16_read_file(f, &in);
    EXPECT_EQ(result, 0) << in.error;
    return f;
}

std::string ImportTest::source_of(Schema* schema, bool part_stamps) {
    // Running stamps start at the clock: count them from the smallest.
    auto stamp = [&](SchItem* item) -> uint32_t* {
        if (item->type == SUBSHEET_ITEM) return &as_SubSheet(item)->time_stamp;
        if (part_stamps && item->type == PARTLIB_ITEM) return &as_PlacedPart(item)->time_stamp;
        return nullptr;
    };
    uint32_t base = std::numeric_limits<uint32_t>::max();
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (uint32_t* s = stamp(item)) base = std::min(base, *s);
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (uint32_t* s = stamp(item)) *s -= base;
    FILE* f = std::tmpfile();
    awrite_Schema(schema, f, 0);
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    std::fclose(f);
    return text;
}

}  // namespace sdt_test
