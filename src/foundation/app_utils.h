#pragma once
// Application utilities between the configuration and the rest of the
// program: file names of the document kinds, directory overrides and
// checks, the standard library list, library file listing, time stamps and
// dates, and the hooks that other utility modules read the configuration
// through.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

// ---------------------------------------------------------------------------
// Document kinds 0..18 and their file names
//
//  0 configuration template (EXT_CONFIG)   10 ASCII source (EXT_ASC)
//  1 binary library (EXT_CLB)              11 formatted netlist (EXT_NETFMT)
//  2 foreign library source (EXT_ORCLIB)   12 ERC report (EXT_NETERC)
//  3 ASCII library source (EXT_SLB)        13 foreign schematic (".sch")
//  4 report (EXT_REPORT)                   14 foreign netlist (EXT_ORCNET)
//  5 schema (EXT_SCHEMA)                   15 log (EXT_LOG)
//  6 binary netlist (EXT_NETLIST)          16 back-annotation (EXT_BAN)
//  7 library listing (EXT_LIBLIST)         17 title block (EXT_TMPL)
//  8 stuff file (EXT_STUFF)                18 bill of materials (EXT_BOM)
//  9 MPL file (EXT_MPL)
// Kinds 1 to 3 live in DIR_LIBRARY, the others in DIR_PROJECT.
constexpr int DOCUMENT_KIND_COUNT = 19;

// The suffix property of a kind; 0 for kind 13 (fixed ".sch") and for
// kinds outside 0..18.
int kind_suffix_property(int kind);
// Directory and suffix list of a kind. In mode 1 a non-empty override of
// the kind's group replaces the directory property; else the property's
// folder in use (dir_in_use). A kind outside 0..18
// gets the project directory and no suffix. The texts stay valid until the
// property or the override changes.
void kind_file_parts(int kind, const char** directory, const char** suffixes, int mode);
// make_file_name with the kind's directory and suffix list.
std::string make_kind_file_name(const char* name, int kind, int mode);

// The folder of the document being edited (with its trailing separator),
// asked of the hook the shell installs; "" without one. Where a directory
// property names no folder that exists (the defaults ".\library" and
// "..\demo" name nothing on a fresh machine), that folder serves in its
// place, wherever the property's folder is used: file names of the kinds,
// the library listing, the folders of the file selectors. The property
// itself keeps its value.
void set_editing_folder_hook(std::string (*hook)());
// The folder a directory property (DIR_PROJECT, DIR_LIBRARY) stands for
// now: its own when it exists, else the folder of the document being
// edited, else its own. Valid until the next call for the same property.
const char* dir_in_use(int dir_property);

// The directory part of a file name (through its last '/' or '\') becomes
// the override, unless it is empty.
void set_project_dir_override(const char* file_name);
void set_library_dir_override(const char* file_name);
void clear_project_dir_override();
// The project override: the folder of the last sheet opened; "" when none.
const std::string& project_dir_override();
void clear_library_dir_override();

// The path up to and including its last '/' or '\'; empty when none.
std::string dir_of(const char* path);
// "*" and the property's text up to its first ',' (for file selectors).
std::string suffix_wildcard(int suffix_property);
// An empty path becomes "\"; a path not ending in ':', '\' or '/' gets a '\'.
void add_separator(std::string& path);
// An absolute path for a name in the directory of a directory property: a
// name with a drive is kept; otherwise its base name goes into the
// directory, and a relative result is placed under the current working
// directory (less a leading ".\").
std::string full_path_in_dir(const char* name, int dir_property);
// The absolute directory of a directory property, without a trailing
// separator (except after a drive letter and colon, or for the root).
std::string full_dir_path(int dir_property);
// True when the directory can be entered. When it cannot and create is
// set, each missing level is made in turn (false when one cannot be made;
// the levels made stay). The current directory is restored unless both
// create and stay are set.
bool check_directory(const char* path, bool create, bool stay);
// Makes the directory and stores the path in DIR_PROJECT (project) or DIR_LIBRARY.
void set_dir_property(const char* path, bool project);
// Heap array of heap copies of the library file names (first suffix of
// EXT_CLB, case ignored) in DIR_LIBRARY's folder in use, sorted ignoring case; *count gets
// their number. Release with free_name_array. None (count 0) when the
// directory cannot be read.
char** list_library_files(int* count);
void free_name_array(char** array, int count);
// Writes one INI value (a null value deletes the key); false when the file
// cannot be written.
bool write_profile_string(const char* file, const char* section, const char* key,
                          const char* value);

// ---------------------------------------------------------------------------
// Standard library list (NB_STDLIB and LIBS, at most 100 entries)

constexpr int STDLIB_MAX = 100;
int stdlib_count();
const char* stdlib_name(int index);
// 0; 62 when the name is listed already (case-sensitive); 56 when the list
// is full or the position is outside 0..99 (nothing changes then).
int stdlib_insert(const char* name, int position);
// 0; 63 when the name is not listed.
int stdlib_remove(const char* name);
void stdlib_clear();

// ---------------------------------------------------------------------------
// Start-up hooks: backup (BAK_FILE), line ends (ADDCR_REPORTS), unit mode
// (VIS_SYST); sets the no-scale flag.
void config_hooks_install();

// ---------------------------------------------------------------------------
// Dates and texts

// Twentieths of a second in years of twelve 31-day months, from UTC:
// (year - 1993) * 642816000 + month * 53568000 + day * 1728000
// + minute * 72000 + second * 20 (the hour does not count), modulo 2^32.
uint32_t time_stamp();
uint32_t time_stamp_at(time_t when);
// Today's local date "%02d/%02d/%02d" of month, day and years since 1900
// ("01/31/125" in 2025).
std::string date_string();
std::string date_string_at(time_t when);
// The current local time in ctime form, without its newline.
void write_ctime(FILE* stream);
const char* user_name();
void write_host_name(FILE* stream);

// The flag that the part search reads.
void set_search_flag(int flag);
int search_flag();
