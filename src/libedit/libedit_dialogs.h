#pragma once
// What the library editor's dialogs show and do, without their windows:
// Get Part (find a part by a name pattern, load it or create it), Place
// Body, Part Names, Part Info and Get Vector Definition. The windows
// (libedit/gui) show these values and call these routines.
#include <string>
#include <vector>

#include "libedit/libedit.h"

struct Library;
struct LibEntry;

// --- Get Part -----------------------------------------------------------------------------
// The names of the window library's entries that the pattern finds (a
// name, a name without or with a prefix's expansion, or a wildcard pattern;
// "*" every entry), names with a reference prefix first, each group by the
// name after the prefix.
std::vector<std::string> libedit_scan_parts(const Library* library, const char* pattern);
// "%d Part(s) Found".
std::string parts_found_text(size_t count);

enum GetPartOutcome : int {
    GET_PART_NOTHING,  // no name
    GET_PART_LOADED,   // the part is under edit
    GET_PART_KEPT,     // the user kept the unsaved edits of the part shown
    GET_PART_CREATE,   // no such part, and the user wants it made: Place Body comes next
    GET_PART_NO,       // no such part, and the user does not want it made
};
// Get Part's Ok: the entry of that name becomes the part under edit, laid
// out on the editing sheet; a name the library lacks asks 71 ("No such
// Part. Ok to Create ?"), and Yes makes it the name of the next new part.
GetPartOutcome libedit_get_part(LibEdit* ed, const char* name);

// --- Place Body ------------------------------------------------------------------------------
// The rows of "Device per Pack": " 0" .. " 9", "10" .. "16" (row = devices).
std::vector<std::string> device_rows();

// --- Part Names -------------------------------------------------------------------------------
// Opening the dialog: its changes are journalled from now on.
void names_dialog_open(LibEdit* ed);
// Every fill: the undo copy of the part; the names, sorted.
std::vector<std::string> names_dialog_fill(LibEdit* ed);
// "%d Name(s) for this part".
std::string names_count_text(const LibEdit* ed);
// Closing: Ok keeps the changes, the close box takes them back.
void names_dialog_finish(LibEdit* ed, bool ok);

// --- Part Info ----------------------------------------------------------------------------------
// The labels of the six values of libedit_part_info, in order.
const std::vector<std::string>& part_info_labels();
// The six values as shown (the initial ones without a part).
std::vector<std::string> part_info_values(const LibEdit* ed);

// --- Get Vector Definition -----------------------------------------------------------------------
// The library searched last: read from a file, or the window's own.
struct VectorSearch {
    Library* library = nullptr;  // owned unless it is the window's library
    bool own = false;
};
// Drops the library kept (freed unless it is the window's).
void vector_search_drop(VectorSearch* search);
// Reads the library file (the window's library when its library has the
// same name, compared ignoring case) and lists the parts the pattern finds
// ("" as "*"). 0 with *names filled (the library kept); 63 when the file
// cannot be read, 70 when nothing matches (nothing kept).
int libedit_vector_search(LibEdit* ed, VectorSearch* search, const char* library_file,
                          const char* pattern, std::vector<std::string>* names);
