// Finding library parts and placing one in a schematic: the schematic's own
// library receives (a version of) every part that is placed.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

namespace {

// The progress hook and the standard library the next search begins with.
struct PartSearch {
    ProgressHook progress_hook = nullptr;
    int search_start = 0;  // the standard library the next search begins with
} part_search;

// State bit of body items that the own library's copy starts without.
constexpr uint32_t BODY_ITEM_MARK = 0x800;

void report(const char* format, ...) __attribute__((format(printf, 1, 2)));
void report(const char* format, ...) {
    if (!part_search.progress_hook) return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    part_search.progress_hook(text);
}

bool compare_part_matches(const LibPartRow& a, const LibPartRow& b) {
    const bool pa = !a.prefix.empty(), pb = !b.prefix.empty();
    if (pa != pb) return pa;
    int order = lib_name_compare(a.rest.c_str(), b.rest.c_str());
    if (order != 0 || !pa) return order < 0;
    return lib_name_compare(a.prefix.c_str(), b.prefix.c_str()) < 0;
}

// Searches one library for the pattern; the count of rows (sorted) and the
// reports of a success.
int search_one(const char* library_name, int index, const char* pattern,
               std::vector<LibPartRow>* rows, std::string* library) {
    report("Looking in %s...", library_name);
    int n = find_lib_parts(library_name, pattern, rows, index);
    if (n <= 0) return 0;
    *library = library_name;
    sort_part_matches(rows, 0, library_name);
    report("%d matching parts in %s...", n, library_name);
    return n;
}

// The part of that name in one library; that library becomes the one
// consulted last.
Part* lookup_part(const char* library_name, const char* part_name, LibEntry** entry) {
    report("Searching in %s...", library_name);
    int index = find_stdlib_index(library_name);
    Library* library = open_library_file(library_name, index);
    if (!library) return nullptr;
    Part* part = get_lib_part(library_name, part_name, index, entry);
    if (part) set_current_library(library);
    return part;
}

void clear_body_marks(Vectors* body) {
    if (!body) return;
    for (Item* item : list_items<Item>(body->items)) item->state &= ~BODY_ITEM_MARK;
}

}  // namespace

// A new entry of the own library holding the part. A part whose texts use
// fonts of the library it came from is copied first: merging those fonts
// into the own library renumbers its texts, and the source library's part
// must keep its own numbers.
LibEntry* add_own_entry(Schema* schema, const std::string& name, Part* part,
                        const LibEntry* source) {
    Library* from = current_library();
    const bool with_fonts = from && from != schema->library && from->fonts;
    Part* held = part;
    if (with_fonts)
        held = dup_Part(part);
    else
        ref_Part(part);
    clear_body_marks(held->normal);
    clear_body_marks(held->convert);

    LibEntry* entry = new_LibEntry();
    entry->name.set(name.c_str());
    entry->part = held;
    if (source) copy_Attribute_list(source->attributes, &entry->attributes);
    free_LibEntry(lib_insert_entry(schema->library, entry));
    if (with_fonts) {
        List* fonts = copy_Fonts(from->fonts);
        merge_Fonts(&fonts, &schema->library->fonts, held, renumber_part_fonts_cb);
    }
    return entry;
}

std::string entry_next_version(const char* entry_name) {
    const char* at = std::strchr(entry_name, '@');
    if (!at) return std::string(entry_name) + "@000001";
    // The number comes from a library file: a damaged or hostile one may hold
    // anything, and the next version must neither wrap nor go below 1.
    long version = std::strtol(at + 1, nullptr, 10);
    version = std::clamp(version, 0L, LONG_MAX - 1);
    char text[32];
    std::snprintf(text, sizeof text, "@%06ld", version + 1);
    return std::string(entry_name, static_cast<size_t>(at - entry_name)) + text;
}

void set_progress_hook(ProgressHook hook) { part_search.progress_hook = hook; }

void reset_part_search() { part_search.search_start = 0; }

int search_LibParts(const char* library_name, const char* pattern, std::vector<LibPartRow>* rows,
                    std::string* library, bool only_this) {
    rows->clear();
    if (library_name && *library_name) {
        int n = search_one(library_name, find_stdlib_index(library_name), pattern, rows, library);
        if (n > 0 || only_this) return n;
    }
    const int count = stdlib_count();
    if (part_search.search_start >= count) part_search.search_start = 0;
    for (int k = 0; k < count; ++k) {
        const int i = (part_search.search_start + k) % count;
        const char* name = stdlib_name(i);
        if (!name) continue;
        int n = search_one(name, i, pattern, rows, library);
        if (n > 0) {
            part_search.search_start = i + 1 < count ? i + 1 : 0;
            return n;
        }
    }
    rows->clear();
    report("No matching parts");
    return 0;
}

void sort_part_matches(std::vector<LibPartRow>* rows, int mode, const char* library_name) {
    (void)mode;
    sort_part_matches_of(
        rows, open_library_file(library_name ? library_name : "", find_stdlib_index(library_name)));
}

void sort_part_matches_of(std::vector<LibPartRow>* rows, const Library* library) {
    for (LibPartRow& row : *rows) {
        const char* name = row.entry ? row.entry->name.get() : "";
        row.prefix = library ? lib_prefix_of(nullptr, library, name) : "";
        row.rest = name + std::min(row.prefix.size(), std::strlen(name));
    }
    std::stable_sort(rows->begin(), rows->end(), compare_part_matches);
}

Part* find_part_in_libraries(const char* library_name, const char* part_name, std::string* library,
                             LibEntry** entry) {
    LibEntry* found = nullptr;
    if (library_name && *library_name) {
        if (Part* part = lookup_part(library_name, part_name, &found)) {
            *library = library_name;
            if (entry) *entry = found;
            return part;
        }
    }
    for (int i = 0; i < stdlib_count(); ++i) {
        const char* name = stdlib_name(i);
        if (!name) continue;
        if (Part* part = lookup_part(name, part_name, &found)) {
            *library = name;
            if (entry) *entry = found;
            return part;
        }
    }
    return nullptr;
}

int part_search_setup(Schema* schema, const char* part_name, const char* library_name,
                      PlacedPart** placed) {
    *placed = nullptr;
    std::string library;
    LibEntry* entry = nullptr;
    Part* part = find_part_in_libraries(library_name, part_name, &library, &entry);
    if (!part) return DOC_NO_SUCH_PART;
    return setup_new_part(schema, library.c_str(), part_name, placed, part, entry);
}

int setup_new_part(Schema* schema, const char* library_name, const char* part_name,
                   PlacedPart** placed, Part* part, LibEntry* entry) {
    const std::string name =
        std::string(library_name ? library_name : "") + "/" + (part_name ? part_name : "");
    LibEntry* found = find_LibEntry_latest(schema->library, name.c_str());
    LibEntry* chosen = nullptr;
    std::string entry_name = name;
    if (lib_reading()) {
        chosen = found;
        report("Setting up new part...");
    } else if (found) {
        if (part_equal(found->part, part))
            chosen = found;
        else
            entry_name = entry_next_version(found->name.get());
    }
    if (!chosen) {
        chosen = add_own_entry(schema, entry_name, part, entry);
        if (find_LibEntry_latest(schema->library, name.c_str()) != chosen)
            services().debug_write("Internal Error: new libEntry != get_libentry()\n");
    }

    PlacedPart* made = new_PlacedPart();
    if (!made) no_memory();
    made->part_name.set(chosen->name.get());
    const Part* used = chosen->part ? chosen->part : part;
    std::string reference;
    if (used && !used->prefix.empty()) reference = std::string(used->prefix.get()) + "?";
    made->reference.text.set(reference.c_str());
    made->reference.flags |= VIS;
    made->value.text.set(part_name ? part_name : "");
    made->value.flags |= VIS;
    copy_Attribute_list(chosen->attributes, &made->attributes);
    *placed = made;
    report("OK.");
    return 0;
}

bool ref_has_no_device(const char* reference) {
    const char* p = reference ? reference : "";
    while (*p && !std::isdigit(static_cast<unsigned char>(*p))) ++p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    return *p == '\0' || (p[0] == '\'' && p[1] == '\0');
}

PlacedPart* find_part_by_reference(Schema* schema, DListNode** iterator, const char* reference,
                                   uint32_t mask) {
    if (!schema || !schema->current || !schema->current->items || !reference) return nullptr;
    DListNode* node = *iterator ? dlist_next(*iterator) : dlist_head(schema->current->items);
    const bool plain = ref_has_no_device(reference);
    for (; node; node = dlist_next(node)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        if (item->type != PARTLIB_ITEM || (item->state & mask) != 0) continue;
        PlacedPart* pl = as_PlacedPart(item);
        const char* text =
            plain ? pl->reference.text.get() : pl_reference_text(schema->library, pl);
        if (std::strcmp(text, reference) != 0) continue;
        *iterator = node;
        return pl;
    }
    return nullptr;
}
