// Part search, libraries reached by file name, the prefix report.
#include "model/items/libutil.h"

#include <cctype>
#include <cstring>
#include <map>
#include <unordered_set>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "foundation/text_forms.h"
#include "foundation/wildcard.h"
#include "model/items/item.h"
#include "model/items/libmaint.h"
#include "model/items/library.h"

namespace {

constexpr int LIBRARY_KIND = 1;
constexpr int LISTING_KIND = 7;

// True when `start` begins `text`, ignoring case, over the length of start.
bool begins_nocase(const char* start, const char* text) {
    size_t n = std::strlen(start);
    if (std::strlen(text) < n) return false;
    return lib_name_compare(std::string(text, n).c_str(), start) == 0;
}

std::vector<const Prefix*> prefixes_of(const Library* library) {
    std::vector<const Prefix*> prefixes;
    for (const Prefix* prefix : list_items<Prefix>(library->prefixes)) prefixes.push_back(prefix);
    return prefixes;
}

std::string upper(const char* text) {
    std::string out = text ? text : "";
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

// --- part search ------------------------------------------------------------------------

int find_LibParts_matching(Library* library, std::vector<LibPartRow>* rows, const char* name) {
    rows->clear();
    if (!library || !name) return 0;
    bool every = std::strcmp(name, "*") == 0;
    if (!every) {
        std::unordered_set<const LibEntry*> found;
        auto add = [&](LibEntry* entry) {
            if (entry && found.insert(entry).second) rows->push_back(LibPartRow{entry, {}, {}});
        };
        add(find_LibEntry(library, name));
        for (const Prefix* prefix : prefixes_of(library))
            add(find_LibEntry(library, (std::string(prefix->prefix.get()) + name).c_str()));
        for (const Prefix* prefix : prefixes_of(library)) {
            const char* expansion = prefix->expansion.get();
            if (!*expansion || !begins_nocase(expansion, name)) continue;
            std::string entry_name =
                std::string(prefix->prefix.get()) + (name + std::strlen(expansion));
            add(find_LibEntry(library, entry_name.c_str()));
        }
        if (!rows->empty()) return static_cast<int>(rows->size());
        if (wildcard_compile(name) != 0) return 0;
    }
    for (LibEntry* entry : library->entries)
        if (every || wildcard_exec(entry->name.get())) rows->push_back(LibPartRow{entry, {}, {}});
    if (!every) wildcard_free();
    return static_cast<int>(rows->size());
}

// --- libraries by file name -----------------------------------------------------------------

Library* open_library_file(const char* name, int index) {
    std::string file_name = make_kind_file_name(name ? name : "", LIBRARY_KIND, 1);
    if (lib_list) {
        for (Library* library : list_items<Library>(lib_list->libraries))
            if (library->file_name && lib_name_compare(library->file_name, file_name.c_str()) == 0)
                return library;
    }
    if (!lib_list) lib_list = new_LibraryList();
    if (open_Library(name, proper_get(FAST_LOAD) != 0) != 0) return nullptr;
    auto* library = static_cast<Library*>(lib_list->libraries->tail->data);
    library->index = index;
    sort_lib_list();
    return library;
}

void close_library_file(const char* name) {
    if (!lib_list) return;
    std::string file_name = make_kind_file_name(name ? name : "", LIBRARY_KIND, 1);
    for (DListNode* node : dlist_nodes(lib_list->libraries)) {
        auto* library = static_cast<Library*>(node->data);
        if (library->file_name && file_name == library->file_name) {
            dlist_remove(lib_list->libraries, node, nullptr);
            free_Library(library);
            return;
        }
    }
}

bool is_library_open(const char* name) {
    if (!lib_list || !name) return false;
    for (const Library* library : list_items<Library>(lib_list->libraries))
        if (library->file_name && std::strcmp(library->file_name, name) == 0) return true;
    return false;
}

Part* get_lib_part(const char* name, const char* part_name, int index, LibEntry** entry) {
    if (entry) *entry = nullptr;
    Library* library = open_library_file(name, index);
    if (!library) return nullptr;
    LibEntry* found = find_LibEntry(library, part_name);
    if (entry) *entry = found;
    if (!found) return nullptr;
    if (!found->part && found->file_offset != 0 &&
        load_part_on_demand(library, found->file_offset) != 0 && !found->part)
        return nullptr;
    return found->part;
}

int find_lib_parts(const char* name, const char* pattern, std::vector<LibPartRow>* rows,
                   int index) {
    rows->clear();
    Library* library = open_library_file(name, index);
    if (!library) return 0;
    return find_LibParts_matching(library, rows, pattern);
}

const char* lib_prefix_of(const char* file_text, const Library* library, const char* part_name) {
    if (!library) {
        if (!lib_list || lib_list->libraries->count == 0) return "";
        std::string wanted = upper(file_text);
        for (const Library* open : list_items<Library>(lib_list->libraries)) {
            if (open->file_name && upper(open->file_name).find(wanted) != std::string::npos) {
                library = open;
                break;
            }
        }
        if (!library) library = static_cast<const Library*>(lib_list->libraries->tail->data);
    }
    for (const Prefix* prefix : prefixes_of(library))
        if (begins_nocase(prefix->prefix.get(), part_name ? part_name : ""))
            return prefix->prefix.get();
    return "";
}

int read_file_header(FILE* stream) {
    int c = std::getc(stream);
    if (c == EOF) return -1;
    if (c != FILE_HEADER_MARK) {
        std::ungetc(c, stream);
        return NOT_MY_TAG;
    }
    char header[256];
    if (read_string(header, sizeof header, stream) != 0) return -1;
    return std::getc(stream) == EOF ? -1 : 0;
}

void libutil_nop() {}

// --- the prefix report ---------------------------------------------------------------------

namespace {

// Rows of one series: base names, shorter first, then by name ignoring case.
struct BaseNameLess {
    bool operator()(const std::string& a, const std::string& b) const {
        if (a.size() != b.size()) return a.size() < b.size();
        return lib_name_compare(a.c_str(), b.c_str()) < 0;
    }
};

void newlines(FILE* stream, int count) {
    for (int i = 0; i < count; ++i) put_newline(stream);
}

void reduce_flags(Library* library) {
    for (LibEntry* entry : library->entries) entry->flags &= ENTRY_WRITTEN;
}

// One series: the prefixes as columns, a row per base name found under any
// of them, every entry found marked reported.
void write_series(Library* library, const std::vector<const Prefix*>& columns, int number,
                  FILE* stream) {
    newlines(stream, 2);
    std::fprintf(stream, "Library '%s' -- Prefixes series #%d", library->name, number);
    newlines(stream, 2);
    std::fprintf(stream, "%16s", " ");
    for (const Prefix* prefix : columns) std::fprintf(stream, "%8s", prefix->prefix.get());
    newlines(stream, 2);
    std::map<std::string, std::vector<bool>, BaseNameLess> rows;
    for (LibEntry* entry : lib_entries_in_order(library)) {
        if (entry->flags & ENTRY_WRITTEN) continue;
        const char* name = entry->name.get();
        const Prefix* first = nullptr;
        for (const Prefix* prefix : columns)
            if (begins_nocase(prefix->prefix.get(), name)) {
                first = prefix;
                break;
            }
        if (!first) continue;
        std::string base = name + std::strlen(first->prefix.get());
        std::vector<bool> present;
        for (const Prefix* prefix : columns) {
            LibEntry* found =
                find_LibEntry(library, (std::string(prefix->prefix.get()) + base).c_str());
            present.push_back(found != nullptr);
            if (found) found->flags |= ENTRY_WRITTEN;
        }
        rows[base] = std::move(present);
    }
    for (const auto& [base, present] : rows) {
        std::fprintf(stream, "%16s", base.c_str());
        for (bool here : present) std::fprintf(stream, "%8s", here ? "**" : "..");
        put_newline(stream);
    }
}

}  // namespace

namespace {

int write_prefix_report(Library* library, FILE* stream) {
    reduce_flags(library);
    // Series of eight prefixes in list order; a last, shorter group is a
    // series of its own columns (filling it with empty prefixes would make
    // every remaining entry a row of it).
    std::vector<const Prefix*> prefixes = prefixes_of(library);
    for (size_t first = 0, series = 1; first < prefixes.size(); first += 8, ++series) {
        size_t end = std::min(prefixes.size(), first + 8);
        std::vector<const Prefix*> columns(prefixes.begin() + first, prefixes.begin() + end);
        write_series(library, columns, static_cast<int>(series), stream);
    }
    newlines(stream, 2);
    std::fprintf(stream, "Library '%s' -- No prefixes for these parts", library->name);
    newlines(stream, 2);
    int in_line = 0;
    for (LibEntry* entry : library->entries) {
        if (entry->flags & ENTRY_WRITTEN) continue;
        std::fprintf(stream, "%16s", entry->name.get());
        if (++in_line == 5) {
            put_newline(stream);
            in_line = 0;
        }
    }
    put_newline(stream);
    reduce_flags(library);
    return 0;
}

}  // namespace

int prefix_report(Library* library, const char* name) {
    std::string file_name = make_kind_file_name(name ? name : "", LISTING_KIND, 2);
    if (file_access(file_name.c_str(), 0) == 0) {
        std::string confirmed;
        if (!services().confirm_overwrite(file_name, &confirmed)) return 0;
        if (!confirmed.empty()) file_name = confirmed;
    }
    return write_atomically(
        file_name.c_str(), "w", [&](FILE* out) { return write_prefix_report(library, out); }, true,
        ".BAK", nullptr, FileKind::LISTING);
}
