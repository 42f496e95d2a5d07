// The library file: its binary and ASCII forms, loading and saving.
#include <cstring>
#include <string>
#include <unordered_map>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/attribute.h"
#include "model/documents/fonts.h"
#include "model/items/ascii_writer.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/library_refs.h"
#include "model/items/part.h"

namespace {

constexpr int LIBRARY_KIND = 1;  // document kind of binary libraries

// --- writing ------------------------------------------------------------------------

// Forgets the write-once sharing of every body, so that each file starts
// (and code that looks at the bodies afterwards finds them) as they are.
void restore_all_bodies(const Library* library) {
    for (Part* part : lib_distinct_parts(library)) restore_PartVectors(part);
}

// One group per part: the part and its entries in name order. The groups
// come in the order of the entries that start them: the first entry in
// name order of each part that has not been written yet and passes the
// mask. Every entry of a group is marked written.
struct Group {
    Part* part;
    std::vector<LibEntry*> entries;
};

std::vector<Group> part_groups(Library* library, uint32_t mask) {
    std::unordered_map<const Part*, std::vector<LibEntry*>> by_part;
    for (LibEntry* entry : library->entries) {
        entry->flags &= ~ENTRY_WRITTEN;
        if (entry->part) by_part[entry->part].push_back(entry);
    }
    std::vector<Group> groups;
    for (LibEntry* entry : library->entries) {
        if (!entry->part || (entry->flags & ENTRY_WRITTEN)) continue;
        if (mask != 0 && (entry->flags & mask) == 0) continue;
        Group group{entry->part, by_part[entry->part]};
        for (LibEntry* alias : group.entries) alias->flags |= ENTRY_WRITTEN;
        groups.push_back(std::move(group));
    }
    return groups;
}

void write_header(FILE* stream) {
    char header[128];
    std::snprintf(header, sizeof header, LIBRARY_HEADER_FORMAT, FILE_VERSION, FILE_DATE);
    write_byte(FILE_HEADER_MARK, stream);
    write_string(header, stream);
    write_byte(FILE_HEADER_END, stream);
}

// --- reading ------------------------------------------------------------------------

// Sets the reading state for the life of a read.
class ReadingScope {
public:
    ReadingScope(Library* library, bool index_only) {
        set_lib_reading(true);
        set_lib_index_only(index_only);
        set_current_library(library);
    }
    ~ReadingScope() {
        set_lib_reading(false);
        set_lib_index_only(false);
    }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;
};

// The byte that closes a list: 0 when it is 0xE0, -1 at the end of the
// stream, READ_ERROR for any other byte.
int expect_list_end(uint8_t byte) { return byte == LIST_END ? 0 : READ_ERROR; }

// An optional list that begins with `tag`: 1 when it is there, 0 when
// another byte follows (pushed back), -1 at the end of the stream.
int open_list(FILE* stream, uint8_t tag) {
    int c = std::getc(stream);
    if (c == EOF) return -1;
    if (c == tag) return 1;
    std::ungetc(c, stream);
    return 0;
}

int read_prefixes(Library* library, FILE* stream) {
    int opened = open_list(stream, PREFIX_LIST_TAG);
    if (opened <= 0) return opened;
    for (;;) {
        uint8_t tag = 0;
        if (read_byte(&tag, stream) != 0) return -1;
        if (tag != PREFIX_TAG) return expect_list_end(tag);
        Prefix* prefix = new_Prefix();
        if (read_sstr(&prefix->prefix, stream) != 0 || read_sstr(&prefix->expansion, stream) != 0) {
            free_Prefix(prefix);
            return -1;
        }
        if (!dlist_append(library->prefixes, prefix)) no_memory();
    }
}

// The entries of one group (after the part record): 23, { 24, name,
// attributes }, 0xE0.
int read_aliases(Library* library, FILE* stream, Part* part, int32_t offset) {
    uint8_t tag = 0;
    if (read_byte(&tag, stream) != 0) return -1;
    if (tag != ALIAS_LIST_TAG) return READ_ERROR;
    for (;;) {
        if (read_byte(&tag, stream) != 0) return -1;
        if (tag != ENTRY_TAG) return expect_list_end(tag);
        LibEntry* entry = new_LibEntry();
        int result = read_sstr(&entry->name, stream);
        if (result == 0) result = read_Attribute_list(&entry->attributes, stream);
        if (result != 0) {
            free_LibEntry(entry);
            return result;
        }
        if (part) {
            entry->part = part;
            ref_Part(part);
        } else {
            entry->file_offset = offset;
        }
        free_LibEntry(lib_insert_entry(library, entry));
    }
}

int read_group(Library* library, FILE* stream, bool index_only) {
    Part* part = nullptr;
    if (!index_only) {
        part = new_Part();
        if (!part) no_memory();
    }
    int result = read_Part(part, stream);
    int32_t offset = last_part_offset();
    if (result == NOT_MY_TAG) result = READ_ERROR;  // a group holds a part
    if (result == 0) result = read_aliases(library, stream, part, offset);
    if (part && part->refs == 0) free_Part(part);  // no entry took it
    return result;
}

int read_groups(Library* library, FILE* stream, bool index_only) {
    int opened = open_list(stream, PART_GROUPS_TAG);
    if (opened <= 0) return opened;
    for (;;) {
        uint8_t tag = 0;
        if (read_byte(&tag, stream) != 0) return -1;
        if (tag != PART_GROUP_TAG) return expect_list_end(tag);
        int result = read_group(library, stream, index_only);
        if (result != 0) return result;
    }
}

// The optional file header: '@', its text, the byte after it. Returns the
// first byte after the header (or the first byte), or EOF.
int skip_header(FILE* stream) {
    int c = std::getc(stream);
    if (c != FILE_HEADER_MARK) return c;
    char header[256];
    if (read_string(header, sizeof header, stream) != 0) return EOF;
    if (std::getc(stream) == EOF) return EOF;
    return std::getc(stream);
}

}  // namespace

// --- the binary form -------------------------------------------------------------------

int write_Library(Library* library, FILE* stream, uint32_t mask) {
    set_current_library(library);
    if (int code = load_waiting_entries(library, mask); code != 0) return code;
    write_header(stream);
    write_byte(LIBRARY_TAG, stream);
    write_string(library->name, stream);
    write_byte(PREFIX_LIST_TAG, stream);
    for (const Prefix* prefix : list_items<Prefix>(library->prefixes)) {
        write_byte(PREFIX_TAG, stream);
        write_sstr(&prefix->prefix, stream);
        write_sstr(&prefix->expansion, stream);
    }
    write_byte(LIST_END, stream);
    restore_all_bodies(library);
    write_byte(PART_GROUPS_TAG, stream);
    for (const Group& group : part_groups(library, mask)) {
        write_byte(PART_GROUP_TAG, stream);
        write_Part(group.part, stream, group.entries.back()->name.get());
        write_byte(ALIAS_LIST_TAG, stream);
        for (const LibEntry* entry : group.entries) {
            write_byte(ENTRY_TAG, stream);
            write_sstr(&entry->name, stream);
            write_Attribute_list(entry->attributes, stream);
        }
        write_byte(LIST_END, stream);
    }
    write_byte(LIST_END, stream);
    restore_all_bodies(library);
    write_Fonts(library->fonts, stream, 0);
    write_byte(LIBRARY_END_TAG, stream);
    if (mask != 0)
        for (LibEntry* entry : library->entries) entry->flags &= ~mask;
    return 0;
}

int read_Library(Library* library, FILE* stream, bool index_only) {
    int result = 0;
    {
        ReadingScope reading(library, index_only);
        int c = skip_header(stream);
        if (c == EOF) return -1;
        if (c != LIBRARY_TAG) {
            std::ungetc(c, stream);
            return NOT_MY_TAG;
        }
        result = read_string(library->name, sizeof library->name, stream) != 0 ? -1 : 0;
        if (result == 0) result = read_prefixes(library, stream);
        if (result == 0) result = read_groups(library, stream, index_only);
        if (result == 0) result = read_Fonts(&library->fonts, stream);
        if (result == 0) {
            c = std::getc(stream);
            if (c == EOF)
                result = -1;
            else if (c != LIBRARY_END_TAG)
                std::ungetc(c, stream);
        }
    }
    if (result != 0) return result;
    resolve_LibFonts(library);
    if (index_only) return 0;
    switch (resolve_LibVectors(library, false)) {
        case 0: return 0;
        case LIB_REFERENCE_LOOP: return LIB_LOAD_REFERENCE_LOOP;
        default: return LIB_LOAD_NULL_REFERENCE;
    }
}

// --- the ASCII form ----------------------------------------------------------------------

namespace {

void line(FILE* stream, int level, const char* text) {
    write_indent(stream, level);
    std::fputs(text, stream);
    put_newline(stream);
}

}  // namespace

int awrite_Library(Library* library, FILE* stream, int level) {
    set_current_library(library);
    if (int code = load_waiting_entries(library, 0); code != 0) return code;
    write_indent(stream, level);
    std::fprintf(stream, "(LIB %s", quote_string(library->name).c_str());
    put_newline(stream);
    line(stream, level + 1, "(PFXS");
    for (const Prefix* prefix : list_items<Prefix>(library->prefixes)) {
        write_indent(stream, level + 2);
        std::fprintf(stream, "(PFX %s", quote_string(prefix->prefix.get()).c_str());
        if (!prefix->expansion.empty())
            std::fprintf(stream, " = %s", quote_string(prefix->expansion.get()).c_str());
        std::fputs(" )", stream);
        put_newline(stream);
    }
    line(stream, level + 1, ")");
    restore_all_bodies(library);
    line(stream, level + 1, "(PARTS");
    for (const Group& group : part_groups(library, 0)) {
        line(stream, level + 2, "(LPART");
        awrite_Part(group.part, stream, level + 3, group.entries.back()->name.get());
        line(stream, level + 3, "(ALIAS");
        for (const LibEntry* entry : group.entries) {
            write_indent(stream, level + 4);
            std::fprintf(stream, "(NAME %s", quote_string(entry->name.get()).c_str());
            put_newline(stream);
            for (const Attribute* attribute : list_items<Attribute>(entry->attributes))
                awrite_Attribute(attribute, stream, level + 5);
            line(stream, level + 4, ")");
        }
        line(stream, level + 3, ")");
        line(stream, level + 2, ")");
    }
    line(stream, level + 1, ")");
    restore_all_bodies(library);
    awrite_Fonts(library->fonts, stream, level + 1);
    line(stream, level, ")");
    return 0;
}

// --- files ---------------------------------------------------------------------------------

int load_Library(Library* library, const char* name, bool index_only) {
    std::string file_name = make_kind_file_name(name ? name : "", LIBRARY_KIND, 1);
    FILE* stream = open_file(file_name.c_str(), "rb");
    if (!stream) return LIB_NOT_FOUND;
    set_Library_file_name(library, file_name.c_str());
    int result = read_Library(library, stream, index_only);
    std::fclose(stream);
    return result == 0 ? 0 : LIB_SYNTAX_ERROR;
}

int open_Library(const char* name, bool index_only) {
    Library* library = new_Library();
    int code = load_Library(library, name, index_only);
    if (code != 0) {
        free_Library(library);
        return code;
    }
    if (!lib_list) lib_list = new_LibraryList();
    if (!dlist_append(lib_list->libraries, library)) no_memory();
    return 0;
}

namespace {

// After a save the open copy of that file is stale: the next use loads
// the file again.
void drop_open_copy(const char* file_name, const Library* saved) {
    if (!lib_list) return;
    for (DListNode* node : dlist_nodes(lib_list->libraries)) {
        auto* open = static_cast<Library*>(node->data);
        if (open == saved || !open->file_name) continue;
        if (lib_name_compare(open->file_name, file_name) != 0) continue;
        dlist_remove(lib_list->libraries, node, nullptr);
        free_Library(open);
        return;
    }
}

}  // namespace

int save_Library(const char* file_name, Library* library) {
    int code = write_atomically(
        file_name, "wb", [&](FILE* out) { return write_Library(library, out, 0); }, true, ".BAK",
        nullptr, FileKind::LIBRARY);
    if (code == 0) drop_open_copy(file_name, library);
    return code;
}

int asave_Library(const char* file_name, Library* library) {
    return write_atomically(
        file_name, "w", [&](FILE* out) { return awrite_Library(library, out, 0); }, true, ".BAK",
        nullptr, FileKind::LIBRARY_SOURCE);
}
