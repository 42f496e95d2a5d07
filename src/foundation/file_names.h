#pragma once
// Name logic of the file layer. Stored names follow the MS-DOS conventions:
// '\' and '/' both separate directories, "X:" names a drive, and a suffix
// starts at the last '.' of the last component. Nothing here touches the
// file system except the existence tests of make_file_name (mode 1) and
// file_exists_as, which go through the path layer (file_system.h).
#include <cstddef>
#include <string>

// True for '/', '\' and ':' (the end of a directory or drive prefix).
inline bool is_name_separator(char c) { return c == '/' || c == '\\' || c == ':'; }

// Completes a name (directory, suffix list: null or empty for none):
// - a name starting with '\' or '/', ".\" or "..\" (either separator), or
//   with ':' as its second character is taken unchanged; otherwise it is put
//   in the directory (a separator is added unless the directory ends with
//   one; an empty directory leaves the name as it is);
// - a name that has a suffix is returned unchanged;
// - else mode 2 appends the first suffix of the list; any other mode tries
//   each suffix in turn and keeps the first for which the file exists, or
//   the last one tried when none does.
std::string make_file_name(const char* name, const char* directory, const char* suffix_list,
                           int mode);
// 0 when make_file_name in mode 1 names an existing file, else -1.
int file_exists_as(const char* name, const char* directory, const char* suffix_list);

// Copies the next entry of a comma-separated suffix list into out and moves
// the cursor past its ','; 0 when the list is exhausted, else 1.
int next_suffix(const char*& cursor, std::string& out);
bool has_suffix(const char* name);
// Copies the suffix (with its '.') into *out (when given; empty when there is
// none) and returns the offset where it starts (the length of the name when
// there is none).
size_t find_suffix(const char* name, std::string* out = nullptr);
// Replaces the name's suffix (appends when there is none).
void replace_suffix(std::string& name, const char* suffix);
// Steps the number before the suffix: step 0 does nothing and returns 0;
// step 1 adds one, step 2 takes one away, and the result is the new number.
// -1 (name unchanged) for any other step, when the file name part holds no
// digit before its suffix, when its digit run begins at its first character,
// or when the new number would be negative. The run and everything after it
// up to the suffix become the new number ("sheet1a.sch" -> "sheet2.sch").
int step_number(std::string& name, int step);
// step_number, then replace_suffix; -1 (name unchanged) when stepping fails.
int change_suffix(std::string& name, const char* suffix, int step);

// The part after the last '/', '\' or ':' (the whole path when none).
const char* base_name(const char* path);
const char* path_base_name(const char* path);

// Removes "." components and lets each ".." take away the component before
// it; leading ".." components stay (written "..\").
void normalise_path(const char* in, std::string& out);

// A file name as the sheet that names it means it: a name that starts with
// "./" or "../" (either separator) is taken from the folder of `holder`,
// the completed name of the file that holds it, whatever the folder the
// program runs in; any other name is returned as it is (completed later in
// the project directory).
std::string name_from_holder(const char* name, const char* holder);

// True when the name after the last ':', '/' or '\' holds no blank, '<',
// '>', '"', '|', ':' nor a character below 32.
bool check_file_name(const char* path);
// A document's base name with the first suffix of a suffix list ("Untitled"
// alone for a document without a name).
std::string default_file_name_for(const std::string& document_name, const char* suffix);
