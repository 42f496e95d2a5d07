// Library maintenance: parts loaded on first use, merging, marking and
// purging, font use.
#include "model/items/libmaint.h"

#include <cstring>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/fonts.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/library_refs.h"
#include "model/items/part.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

// Reads the parts of an index-only library from its file. Entries wait
// for their part under the offset of its record; every part read is given
// to all of them, then its body references are resolved, reading the
// parts they name on the way. Iterative, so that a long chain of
// references cannot exhaust the stack.
class PartLoader {
public:
    PartLoader(Library* library, FILE* stream) : library_(library), stream_(stream) {
        size_ = stream_bytes_left(stream);
        for (LibEntry* entry : library->entries)
            if (!entry->part && entry->file_offset != 0)
                waiting_[entry->file_offset].push_back(entry);
    }

    // Reads the part at the offset and resolves everything it brings in.
    // *part gets the part (null when it could not be read).
    int load(int32_t offset, Part** part) {
        int code = read_at(offset, part);
        if (code != 0) return code;
        return resolve_pending();
    }

    const std::unordered_map<int32_t, std::vector<LibEntry*>>& waiting() const { return waiting_; }

private:
    int read_at(int32_t offset, Part** out) {
        *out = nullptr;
        if (offset <= 0 || size_ < 0 || offset >= size_ ||
            std::fseek(stream_, offset, SEEK_SET) != 0)
            return LIB_SYNTAX_ERROR;
        Part* part = new_Part();
        if (!part) no_memory();
        if (read_Part(part, stream_) != 0) {
            free_Part(part);
            return LIB_SYNTAX_ERROR;
        }
        auto at = waiting_.find(offset);
        if (at != waiting_.end()) {
            for (LibEntry* entry : at->second) {
                if (entry->part || entry->file_offset != offset) continue;
                entry->part = part;
                ref_Part(part);
                entry->file_offset = 0;
            }
            waiting_.erase(at);
        }
        if (part->refs == 0) {  // nobody waited for it: a caller's offset gone stale
            free_Part(part);
            return LIB_SYNTAX_ERROR;
        }
        for (Vectors* body : {part->normal, part->convert})
            if (body) resolve_item_fonts(body->items, library_->fonts);
        pending_.push_back(part);
        *out = part;
        return 0;
    }

    int load_entry(LibEntry* entry) {
        Part* part = nullptr;
        return read_at(entry->file_offset, &part);
    }

    int resolve_pending() {
        int last = 0;
        auto load = [this](LibEntry* entry) { return load_entry(entry); };
        while (!pending_.empty()) {
            Part* part = pending_.back();
            pending_.pop_back();
            for (bool convert : {false, true}) {
                int code = resolve_part_body(library_, part, convert, load);
                if (code != 0) last = code;
            }
        }
        return last;
    }

    Library* library_;
    FILE* stream_;
    int64_t size_ = -1;
    std::unordered_map<int32_t, std::vector<LibEntry*>> waiting_;
    std::vector<Part*> pending_;  // read, references not yet resolved
};

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// Body sets whose texts a merge has renumbered already: a body shared by
// several parts is renumbered once.
struct MergeRenumber {
    Part* part;
    std::unordered_set<const Vectors*>* done;
};

void renumber_merged_part(void* context, const FontRenumbering& map) {
    auto* merge = static_cast<MergeRenumber*>(context);
    for (Vectors* body : {merge->part->normal, merge->part->convert})
        if (body && merge->done->insert(body).second) renumber_text_fonts(body->items, map);
}

}  // namespace

// --- parts on demand ------------------------------------------------------------------

Part* share_part_at(Library* library, const char* file_name, int32_t offset, int* code) {
    int result = LIB_SYNTAX_ERROR;
    Part* part = nullptr;
    std::unique_ptr<FILE, FileCloser> stream(file_name ? open_file(file_name, "rb") : nullptr);
    if (stream) {
        PartLoader loader(library, stream.get());
        result = loader.load(offset, &part);
    }
    if (code) *code = result;
    return part;
}

int load_part_on_demand(Library* library, int32_t offset) {
    set_lib_index_only(false);
    int code = 0;
    share_part_at(library, library->file_name, offset, &code);
    return code;
}

int load_waiting_entries(Library* library, uint32_t mask) {
    std::vector<int32_t> offsets;
    for (LibEntry* entry : library->entries)
        if (!entry->part && entry->file_offset != 0 && mask_matches(entry->flags, mask))
            offsets.push_back(entry->file_offset);
    if (offsets.empty()) return 0;
    std::unique_ptr<FILE, FileCloser> stream(
        library->file_name ? open_file(library->file_name, "rb") : nullptr);
    if (!stream) return LIB_SYNTAX_ERROR;
    PartLoader loader(library, stream.get());
    for (int32_t offset : offsets) {
        if (!loader.waiting().count(offset)) continue;  // brought in by a reference
        Part* part = nullptr;
        if (int code = loader.load(offset, &part); code != 0) return code;
    }
    return 0;
}

int find_part_entries(Library* library, Part* part, std::vector<LibPartRow>* rows) {
    rows->clear();
    for (LibEntry* entry : lib_entries_post_order(library))
        if (entry->part == part) rows->push_back(LibPartRow{entry, {}, {}});
    return static_cast<int>(rows->size());
}

// --- merging, marking, purging ------------------------------------------------------------

int merge_Library(Library* destination, Library* source) {
    {
        FlagOpScope clear(PART_HANDLED, FLAGOP_CLEAR);
        flag_Library_parts(source);
    }
    int code = 0;
    bool moved = false;
    std::unordered_set<const Vectors*> renumbered;
    for (LibEntry* entry : lib_entries_post_order(source)) {
        if (find_LibEntry(destination, entry->name.get())) continue;
        Part* part = entry->part;
        if (source->fonts && part && !(part->state & PART_HANDLED)) {
            List* fonts = copy_Fonts(source->fonts);
            MergeRenumber context{part, &renumbered};
            if (int merged =
                    merge_Fonts(&fonts, &destination->fonts, &context, renumber_merged_part);
                merged != 0)
                code = merged;
            part->state |= PART_HANDLED;
        }
        lib_remove_entry(source, entry->name.get());
        free_LibEntry(lib_insert_entry(destination, entry));
        moved = true;
    }
    // The moved texts must not keep pointing at the source's table, which
    // goes with the source.
    if (moved) resolve_LibFonts(destination);
    return code;
}

void flag_Library_parts(Library* library) {
    for (Part* part : lib_distinct_parts(library)) flag_Part(part);
}

void purge_marked_parts(Library* library) {
    for (LibEntry* entry : lib_entries_in_order(library)) {
        if (!entry->part || !(entry->part->state & PART_HANDLED)) continue;
        lib_remove_entry(library, entry->name.get());
        free_LibEntry(entry);
    }
}

void mark_library_fonts(Library* library, uint8_t* used) {
    {
        FlagOpScope clear(PART_HANDLED, FLAGOP_CLEAR);
        flag_Library_parts(library);
    }
    for (LibEntry* entry : library->entries) {
        Part* part = entry->part;
        if (!part || (part->state & PART_HANDLED)) continue;
        for (Vectors* body : {part->normal, part->convert}) {
            if (!body) continue;
            for (SchItem* item : list_items<SchItem>(body->items)) {
                if (item->type != TEXT_ITEM) continue;
                int number = as_Text(item)->font - FONT_ID_BASE;
                if (number >= 0 && number <= FONT_NUMBER_MAX) used[number] = 1;
            }
        }
        part->state |= PART_HANDLED;
    }
}

// --- files ---------------------------------------------------------------------------------

namespace {

// Kinds 1 (binary library, EXT_CLB) and 3 (library source, EXT_SLB) both
// live in the library directory (DIR_LIBRARY).
int kind_file_exists(const char* name, int kind) {
    return file_access(make_kind_file_name(name ? name : "", kind, 1).c_str(), 0) == 0 ? 0 : -1;
}

}  // namespace

int library_file_exists(const char* name) { return kind_file_exists(name, 1); }

int library_source_exists(const char* name) { return kind_file_exists(name, 3); }
