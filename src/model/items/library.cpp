// Library records, the entry tree, look-ups, the list of open libraries
// and the resolution of body references.
#include "model/items/library.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/tree.h"
#include "model/documents/attribute.h"
#include "model/documents/fonts.h"
#include "model/items/library_refs.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

LibraryList* lib_list = nullptr;

namespace {
// The library being read and the reading and index-only flags.
struct Reading {
    Library* reading_library = nullptr;  // not owned
    bool reading = false;
    bool index_only_reading = false;
} reading_state;
}  // namespace

Library* current_library() { return reading_state.reading_library; }
void set_current_library(Library* library) { reading_state.reading_library = library; }
bool lib_reading() { return reading_state.reading; }
void set_lib_reading(bool value) { reading_state.reading = value; }
bool lib_index_only() { return reading_state.index_only_reading; }
void set_lib_index_only(bool value) { reading_state.index_only_reading = value; }

// --- names ----------------------------------------------------------------------------

namespace {

inline unsigned char fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

}  // namespace

int lib_name_compare(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        int d = fold(*p) - fold(*q);
        if (d != 0 || *p == 0) return d;
    }
}

int lib_entry_compare(const void* a, const void* b) {
    return lib_name_compare(static_cast<const LibEntry*>(a)->name.get(),
                            static_cast<const LibEntry*>(b)->name.get());
}

bool EntryNameLess::operator()(const LibEntry* a, const LibEntry* b) const {
    return lib_name_compare(a->name.get(), b->name.get()) < 0;
}
bool EntryNameLess::operator()(const LibEntry* a, const char* b) const {
    return lib_name_compare(a->name.get(), b) < 0;
}
bool EntryNameLess::operator()(const char* a, const LibEntry* b) const {
    return lib_name_compare(a, b->name.get()) < 0;
}

int init_Libraries() {
    tree_set_compare(lib_entry_compare);
    free_LibraryList(lib_list);
    lib_list = new_LibraryList();
    return 0;
}

// --- records --------------------------------------------------------------------------

Library* new_Library() {
    auto* library = new Library;
    library->prefixes = list_new();
    if (!library->prefixes) no_memory();
    return library;
}

void free_Library(Library* library) {
    if (!library) return;
    if (library->prefixes) {
        for (Prefix* prefix : list_items<Prefix>(library->prefixes)) free_Prefix(prefix);
        dlist_free(library->prefixes, LIST_FROM_HEAD, nullptr);
    }
    for (LibEntry* entry : library->entries) free_LibEntry(entry);
    library->entries.clear();
    library->last_found = nullptr;
    std::free(library->file_name);
    free_Fonts(library->fonts);
    if (reading_state.reading_library == library) reading_state.reading_library = nullptr;
    delete library;
}

void set_Library_name(Library* library, const char* name) {
    // The name is a fixed field of the file: a longer one is cut here, where
    // it is set, never when it is read back.
    if (name && std::strlen(name) > LIB_NAME_MAX)
        warning("library name cut to %d characters: %s", LIB_NAME_MAX, name);
    std::snprintf(library->name, sizeof library->name, "%s", name ? name : "");
}

void set_Library_file_name(Library* library, const char* file_name) {
    std::free(library->file_name);
    library->file_name = file_name ? str_dup(file_name) : nullptr;
}

LibraryList* new_LibraryList() {
    auto* list = new LibraryList;
    list->libraries = list_new();
    if (!list->libraries) no_memory();
    return list;
}

void free_LibraryList(LibraryList* list) {
    if (!list) return;
    for (Library* library : list_items<Library>(list->libraries)) free_Library(library);
    dlist_free(list->libraries, LIST_FROM_HEAD, nullptr);
    delete list;
}

Prefix* new_Prefix() { return new Prefix; }
void free_Prefix(Prefix* prefix) { delete prefix; }

LibEntry* new_LibEntry() { return new LibEntry; }

void free_LibEntry(LibEntry* entry) {
    if (!entry) return;
    if (entry->part) unref_Part(entry->part);
    free_Attribute_list(entry->attributes);
    delete entry;
}

// --- the entry tree -------------------------------------------------------------------

LibEntry* lib_insert_entry(Library* library, LibEntry* entry) {
    library->last_found = nullptr;
    auto [at, added] = library->entries.insert(entry);
    if (added) return nullptr;
    LibEntry* old = *at;
    auto hint = library->entries.erase(at);
    library->entries.insert(hint, entry);
    return old;
}

LibEntry* lib_remove_entry(Library* library, const char* name) {
    auto at = library->entries.find(name);
    if (at == library->entries.end()) return nullptr;
    LibEntry* entry = *at;
    library->entries.erase(at);
    library->last_found = nullptr;
    return entry;
}

size_t lib_entry_count(const Library* library) { return library->entries.size(); }

std::vector<LibEntry*> lib_entries_in_order(const Library* library) {
    return {library->entries.begin(), library->entries.end()};
}

std::vector<LibEntry*> lib_entries_post_order(const Library* library) {
    return {library->entries.rbegin(), library->entries.rend()};
}

// --- look-ups ---------------------------------------------------------------------------

LibEntry* find_LibEntry(const Library* library, const char* name) {
    if (!library || !name) return nullptr;
    // The same spelling mostly: a plain comparison first.
    if (LibEntry* last = library->last_found;
        last &&
        (std::strcmp(last->name.get(), name) == 0 || lib_name_compare(last->name.get(), name) == 0))
        return last;
    auto at = library->entries.find(name);
    if (at == library->entries.end()) return nullptr;
    library->last_found = *at;
    return *at;
}

LibEntry* find_LibPart(const Library* library, const Part* part, const char* name) {
    LibEntry* entry = find_LibEntry(library, name);
    if (entry && part && entry->part != part) return nullptr;
    return entry;
}

LibEntry* find_LibEntry_latest(const Library* library, const char* name) {
    if (!library || !name) return nullptr;
    // The candidates: the entry of the name itself and, unless a file is
    // being read, the entries "name@..." that follow it in the tree (every
    // name beginning with "name@" sorts together, '@' being one character).
    // Names cut at their '@' never hold one: outside reading such a name
    // finds nothing.
    if (!reading_state.reading && std::strchr(name, '@')) return nullptr;
    std::vector<LibEntry*> candidates;
    if (LibEntry* plain = find_LibEntry(library, name)) candidates.push_back(plain);
    if (!reading_state.reading) {
        std::string stem = std::string(name) + "@";
        for (auto at = library->entries.lower_bound(stem.c_str()); at != library->entries.end();
             ++at) {
            const char* entry_name = (*at)->name.get();
            if (std::strlen(entry_name) < stem.size() ||
                lib_name_compare(std::string(entry_name, stem.size()).c_str(), stem.c_str()) != 0)
                break;
            candidates.push_back(*at);
        }
    }
    LibEntry* best = nullptr;
    long best_version = 0;
    for (LibEntry* entry : candidates) {
        const char* at_sign = std::strchr(entry->name.get(), '@');
        if (at_sign) {
            long version = std::strtol(at_sign + 1, nullptr, 10);
            if (version > best_version) {
                best_version = version;
                best = entry;
            }
        } else if (!best) {
            best = entry;
        }
    }
    return best;
}

int find_stdlib_index(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < stdlib_count(); ++i) {
        const char* listed = stdlib_name(i);
        if (listed && std::strcmp(listed, name) == 0) return i;
    }
    return -1;
}

void sort_lib_list() {
    if (!lib_list || !lib_list->libraries) return;
    std::vector<Library*> libraries;
    for (Library* library : list_items<Library>(lib_list->libraries)) libraries.push_back(library);
    auto key = [](const Library* library) {
        return library->index == -1 ? INT64_MAX : static_cast<int64_t>(library->index);
    };
    std::stable_sort(libraries.begin(), libraries.end(),
                     [&](const Library* a, const Library* b) { return key(a) < key(b); });
    size_t i = 0;
    for (ListNode* node = lib_list->libraries->head; node; node = node->next)
        node->data = libraries[i++];
}

std::vector<Part*> lib_distinct_parts(const Library* library) {
    std::vector<Part*> parts;
    std::unordered_set<const Part*> seen;
    for (LibEntry* entry : library->entries)
        if (entry->part && seen.insert(entry->part).second) parts.push_back(entry->part);
    return parts;
}

// --- resolution ---------------------------------------------------------------------------

void resolve_LibFonts(Library* library) {
    std::unordered_set<const Vectors*> done;  // shared bodies are bound once
    for (LibEntry* entry : library->entries) {
        Part* part = entry->part;
        if (!part) continue;
        for (Vectors* body : {part->normal, part->convert})
            if (body && done.insert(body).second) resolve_item_fonts(body->items, library->fonts);
    }
}

namespace {

Vectors*& body_of(Part* part, bool convert) { return convert ? part->convert : part->normal; }

}  // namespace

int resolve_part_body(Library* library, Part* part, bool convert, const LoadEntryFn& load) {
    Vectors* reference = body_of(part, convert);
    if (!reference || reference->saved_mode == DEFINE_VEC) return 0;
    std::unordered_set<const Vectors*> followed;  // the loop marks of this chain
    const Vectors* step = reference;
    Vectors* target = nullptr;
    int code = 0;
    while (!target && code == 0) {
        LibEntry* entry = find_LibEntry(library, step->name.get());
        if (entry && !entry->part && entry->file_offset != 0 && load) code = load(entry);
        if (code != 0) break;
        Vectors* body = nullptr;
        if (entry && entry->part) body = body_of(entry->part, step->saved_mode == CONVERTOF_VEC);
        if (!body) {
            code = LIB_NULL_REFERENCE;
        } else if (!followed.insert(body).second) {
            code = LIB_REFERENCE_LOOP;
        } else {
            if (body->saved_mode == DEFINE_VEC)
                target = body;
            else
                step = body;
        }
    }
    // The part's slot may have been replaced meanwhile (a load on the way
    // resolved it already): release only what this call still holds.
    Vectors*& slot = body_of(part, convert);
    if (slot != reference) return code;
    slot = nullptr;
    if (target) {
        ref_Vectors(target);
        slot = target;
    }
    unref_Vectors(reference);
    return code;
}
