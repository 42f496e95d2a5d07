#pragma once
// Library utilities: finding the entries of a library that match what a
// user typed (a plain name, a name without its reference prefix, a name
// with a prefix's expansion, or a wildcard pattern), reaching a library by
// its file name through the list of open libraries, and the prefix report
// of a library listing.
#include <cstdio>
#include <string>
#include <vector>

struct Library;
struct LibEntry;
struct Part;

// One row of a part search: the entry, and two texts the caller may fill
// (the part search puts the entry's prefix and the name after it there).
struct LibPartRow {
    LibEntry* entry = nullptr;  // not owned: the library's
    std::string prefix;
    std::string rest;
};

// The entries matching a name, appended to *rows (cleared first); returns
// their count. Unless the name is "*": the entry of that name, then for
// each prefix the entry prefix + name, then for each prefix whose expansion
// begins the name (ignoring case) the entry prefix + the rest of the name;
// duplicates (ignoring case) are kept once, in order of finding. When none
// was found (always for "*") every entry whose name matches the name as a
// wildcard pattern, in name order ("*": every entry).
int find_LibParts_matching(Library* library, std::vector<LibPartRow>* rows, const char* name);

// The open library whose file name equals the name completed as a library
// file (ignoring case); else the library is opened (index only when the
// configuration says FAST_LOAD), appended to lib_list with the given index
// and lib_list is sorted again. Null when it cannot be opened.
Library* open_library_file(const char* name, int index);
// Frees and removes the open library of exactly that file name (case counts).
void close_library_file(const char* name);
bool is_library_open(const char* name);
// The part of that name in the library of that file (opened when needed;
// a part not loaded yet is loaded); *entry gets the entry (null when
// none). Null when the library, the entry or its part cannot be had.
Part* get_lib_part(const char* name, const char* part_name, int index, LibEntry** entry);
// find_LibParts_matching in the library of that file; 0 when it cannot be opened.
int find_lib_parts(const char* name, const char* pattern, std::vector<LibPartRow>* rows, int index);
// The first prefix of the library whose text begins the part name
// (ignoring case); "" when none. Without a library, the first open library
// whose file name contains file_text (ignoring case) is used, else the last
// one; "" when no library is open. The text stays valid until the library
// changes.
const char* lib_prefix_of(const char* file_text, const Library* library, const char* part_name);
// Skips a file header: '@', the header text and the byte after it: 0.
// Any other first byte is pushed back: NOT_MY_TAG (1001). -1 when the
// stream ends inside the header (or before its first byte).
int read_file_header(FILE* stream);
// Does nothing (the paste-file writers call it).
void libutil_nop();
// Writes the prefix report of a library listing to the listing file of the
// name (asking before an existing file is replaced: 0 and nothing written
// when declined). 0; 50 when the file cannot be created; 6 or 7 when a
// write or the close failed.
int prefix_report(Library* library, const char* name);
