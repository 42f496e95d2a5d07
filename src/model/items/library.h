#pragma once
// Part libraries and the library file.
//
// A Library is a named collection of library parts: each LibEntry gives a
// part name (with its own default attributes) and holds a shared Part;
// several entries holding the same Part are aliases of it. A library also
// keeps reference prefixes with their expansions and the table of document
// fonts its part texts use. Open libraries are kept in the global list
// `lib_list`; every schematic carries a library of its own ("$ACTIVE$").
//
// Entries are ordered by name ignoring case (ASCII letters folded to lower
// case). They live in a balanced tree, so that a library of any size is
// loaded, searched and saved in n log n time whatever order its names come
// in; a name is held once (inserting an equal name replaces the entry).
//
// Binary library file (big-endian integers, strings end with NUL):
//   '@', "Tessaron V2.02  -- 12/21/95  * Library File", 0x1A   header
//   17, name                                                   library record
//   18 { 19, prefix, expansion } 0xE0                          prefixes
//   20 { 21, <part record 22 ...>, 23 { 24, name, <attributes 0xD2 ...> } 0xE0 } 0xE0
//                                                              part groups
//   { 'k' font record }                                        font table
//   'p'                                                        end of library
// A part group holds one part and every entry (alias) of it. A body shared
// by several parts is written in full with the first of them and as a
// reference by name with the later ones; the reader shares it again.
//
// ASCII form (level L):
//   (LIB 'name' / (PFXS (PFX 'p' = 'e' ) ... ) / (PARTS (LPART (PART ...)
//   (ALIAS (NAME 'n' <attributes> ) ... ) ) ... ) / (FONTS ...) / )
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "foundation/short_string.h"

struct List;
struct Part;
struct Vectors;

// Binary tags of the library file.
constexpr uint8_t FILE_HEADER_MARK = '@';
constexpr uint8_t FILE_HEADER_END = 0x1A;
constexpr uint8_t LIBRARY_TAG = 17;
constexpr uint8_t PREFIX_LIST_TAG = 18;
constexpr uint8_t PREFIX_TAG = 19;
constexpr uint8_t PART_GROUPS_TAG = 20;
constexpr uint8_t PART_GROUP_TAG = 21;
constexpr uint8_t ALIAS_LIST_TAG = 23;
constexpr uint8_t ENTRY_TAG = 24;
constexpr uint8_t LIBRARY_END_TAG = 'p';

// The header text's format and the version and date it is written with.
constexpr const char* LIBRARY_HEADER_FORMAT = "Tessaron V%s -- %s  * Library File";
constexpr const char* FILE_VERSION = "2.02 ";
constexpr const char* FILE_DATE = "12/21/95";

// Result codes of the library operations (error table).
enum : int {
    LIB_CANNOT_CREATE = 50,        // "Cannot create file "
    LIB_NOT_FOUND = 63,            // "Library not Found."
    LIB_SYNTAX_ERROR = 64,         // "Syntax Error in Library."
    LIB_NULL_REFERENCE = 74,       // "Indirect reference to a NULL Vector."
    LIB_REFERENCE_LOOP = 75,       // "Indirect reference makes a loop."
    LIB_LOAD_NULL_REFERENCE = 76,  // the same found while a library is read
    LIB_LOAD_REFERENCE_LOOP = 77,
};

// Longest library name and entry name kept; longer stored names are cut.
constexpr int LIB_NAME_MAX = 127;

// Entry flag bits.
enum : uint32_t {
    ENTRY_MATCH = 1,    // the wildcard search's mark (set on every entry at rest)
    ENTRY_WRITTEN = 2,  // written by the current writer; reported by the prefix report
};

struct Prefix {
    ShortString prefix;     // reference letters
    ShortString expansion;  // "" when none
    uint32_t flags = 1;
};

struct LibEntry {
    ShortString name;            // "NAME" or version N: "NAME@N"
    uint32_t flags = 1;          // ENTRY_* bits and writer masks
    Part* part = nullptr;        // held once; null while not loaded
    int32_t file_offset = 0;     // part record's position in the file while not loaded, else 0
    List* attributes = nullptr;  // owned Attribute records (default field values), or null
};

// Case-insensitive order of entry names; also finds by a plain name.
struct EntryNameLess {
    using is_transparent = void;
    bool operator()(const LibEntry* a, const LibEntry* b) const;
    bool operator()(const LibEntry* a, const char* b) const;
    bool operator()(const char* a, const LibEntry* b) const;
};
// The entries of a library in name order. Change it only through
// lib_insert_entry and lib_remove_entry (an entry is never renamed while it
// is in a tree).
using LibEntryTree = std::set<LibEntry*, EntryNameLess>;

struct Library {
    List* prefixes = nullptr;  // owned Prefix records in file order (never null after new_Library)
    char name[LIB_NAME_MAX + 1] = {};
    char* file_name = nullptr;  // owned (malloc'd) full name of the file read, or null
    LibEntryTree entries;       // owned LibEntry records
    // The entry the last look-up found (placed parts in a row mostly name
    // the same one); forgotten whenever the tree changes.
    mutable LibEntry* last_found = nullptr;
    List* fonts = nullptr;  // owned font table (model/documents/fonts.h), or null
    uint32_t flags = 1;
    int32_t index = -1;  // position among the standard libraries; lib_list is sorted by it
};

struct LibraryList {
    List* libraries = nullptr;  // owned Library records
    uint32_t flags = 1;
};

// --- globals ------------------------------------------------------------------------
extern LibraryList* lib_list;  // the open libraries; null before init_Libraries

// The library being read or written last: parts placed from it take its
// fonts. Null when none (and after it is freed).
Library* current_library();
void set_current_library(Library* library);
// Set while a library file is read: version-suffixed names are then found
// as written.
bool lib_reading();
void set_lib_reading(bool reading);
// Set while a library is read as an index only (parts load on first use).
bool lib_index_only();
void set_lib_index_only(bool index_only);

// The case-insensitive comparison of entry names, and the same on LibEntry
// data words (the process-wide tree compare installed by init_Libraries).
int lib_name_compare(const char* a, const char* b);
int lib_entry_compare(const void* a, const void* b);

// Installs lib_entry_compare as the tree compare function, frees any
// lib_list and makes a new empty one. Returns 0.
int init_Libraries();

// --- records --------------------------------------------------------------------------
// Empty prefix list, no entries, empty name, no file name, no fonts, flag 1,
// index -1. Out of memory ends the program.
Library* new_Library();
// Frees the prefixes, every entry, the file name, the fonts and the record.
// Null ignored.
void free_Library(Library* library);
void set_Library_name(Library* library, const char* name);  // cut to LIB_NAME_MAX
void set_Library_file_name(Library* library, const char* file_name);
LibraryList* new_LibraryList();
void free_LibraryList(LibraryList* list);  // with every library in it; null ignored
Prefix* new_Prefix();
void free_Prefix(Prefix* prefix);
LibEntry* new_LibEntry();
// Releases the part once (unref_Part), the attributes and the record. Null ignored.
void free_LibEntry(LibEntry* entry);

// --- the entry tree -------------------------------------------------------------------
// Inserts the entry; an entry of an equal name is taken out of the tree and
// returned (the caller frees it), else null.
LibEntry* lib_insert_entry(Library* library, LibEntry* entry);
// Takes the entry of that name out of the tree and returns it; null when absent.
LibEntry* lib_remove_entry(Library* library, const char* name);
size_t lib_entry_count(const Library* library);
// The entries in name order, as a list that stays valid while the tree changes.
std::vector<LibEntry*> lib_entries_in_order(const Library* library);
// The visiting order of the post-order walks with the right subtree first:
// for the entries added in name order (the usual case) this is the
// reverse name order, which the balanced tree keeps for every library.
std::vector<LibEntry*> lib_entries_post_order(const Library* library);

// --- look-ups ---------------------------------------------------------------------------
LibEntry* find_LibEntry(const Library* library, const char* name);
// The entry of that name (ignoring case) whose part is `part` (any part
// when null); null when none.
LibEntry* find_LibPart(const Library* library, const Part* part, const char* name);
// The newest version of a name: entries named NAME or NAME@N (the name is
// cut at its first '@' unless lib_reading is set); the largest N above 0
// wins, a plain NAME only when no version did. Null when none.
LibEntry* find_LibEntry_latest(const Library* library, const char* name);
// Position of the name (exact compare) among the standard libraries (LIBS);
// -1 when not listed.
int find_stdlib_index(const char* name);
// Orders lib_list by index; index -1 goes after every other.
void sort_lib_list();

// --- files ------------------------------------------------------------------------------
// Writes the library record (tag 17 to 'p') with the parts of the entries
// whose flag word shares a bit with the mask (every part for mask 0); the
// mask bits are cleared from every entry afterwards. Parts not loaded yet
// (an index-only library) are loaded first. Returns 0, or the code of a
// part that could not be loaded (nothing is then written).
int write_Library(Library* library, FILE* stream, uint32_t mask);
// Reads an optional file header and the library record into the library.
// Results: 0; NOT_MY_TAG (1001, byte pushed back) when no library record
// follows; -1 for a short read; READ_ERROR (5) for a damaged record; a part
// or font reader's failure; 76 or 77 when a body reference names a missing
// body or makes a loop (that body is left absent).
int read_Library(Library* library, FILE* stream, bool index_only);
// The ASCII form; parts not loaded yet are loaded first (0, or the code of
// a part that could not be loaded: nothing is then written).
int awrite_Library(Library* library, FILE* stream, int level);
// Reads the library file of that name (kind library, library directory)
// into the library: 0, 63 when it cannot be opened, 64 for any failure of
// read_Library (a dangling body reference included).
int load_Library(Library* library, const char* name, bool index_only);
// new_Library + load_Library; on success appended to lib_list (made when
// missing), on failure freed.
int open_Library(const char* name, bool index_only);
// Writes the library to the file through a temporary file renamed over it
// (the old one kept as ".BAK" when backups are on). 0; 50 when the file
// cannot be created; 6 or 7 when a write or the close failed; the code of a
// part that could not be loaded. On failure the old file stays untouched.
// On success an open library of lib_list read from that file (name
// compared ignoring case) is dropped and freed.
int save_Library(const char* file_name, Library* library);
// The ASCII form, written the same way.
int asave_Library(const char* file_name, Library* library);

// --- resolution ---------------------------------------------------------------------------
// Binds the texts of every part body to the library's font table.
void resolve_LibFonts(Library* library);
// Replaces every body that refers to another part's body by that body,
// shared (one more holder). A reference to a missing entry, part or body
// gives 74, a chain that comes back on itself 75; that body becomes absent
// and, when verbose, the warnings "Part '%s',Normal Vector" (or "Part '%s',
// Converted Vector"), "Vector ignored." and the code's message are given.
// Returns the last failure (0 when none).
int resolve_LibVectors(Library* library, bool verbose);
