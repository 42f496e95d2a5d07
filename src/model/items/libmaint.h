#pragma once
// Library maintenance: loading a part on first use from a library read as
// an index only (with the bodies it shares), merging the entries of one
// library into another with their fonts, marking and purging parts,
// collecting the font numbers a library's texts use, and finding every
// entry of a part.
#include <cstdint>
#include <vector>

#include "model/items/libutil.h"

struct Library;
struct Part;

// Loads the part whose record starts at that offset of the library's file
// and gives it to every entry waiting for it. 0; 64 when the part cannot be
// read (file missing or record damaged); 74 or 75 when one of its body
// references names a missing body or makes a loop (that body is absent).
int load_part_on_demand(Library* library, int32_t offset);
// Reads the part at that offset of the file, gives it to every entry of
// the library waiting for that offset (one holder each) and replaces its
// body references by the referenced bodies, shared (parts not loaded yet
// are loaded on the way). Null when the part cannot be read; *code (when
// given) gets 0, 64, 74 or 75 as load_part_on_demand.
Part* share_part_at(Library* library, const char* file_name, int32_t offset, int* code = nullptr);
// Rows of every entry holding the part, in the post-order walk (see
// lib_entries_post_order); appended to *rows (cleared first); the count.
int find_part_entries(Library* library, Part* part, std::vector<LibPartRow>* rows);
// Moves every entry of the source whose name the destination lacks into
// the destination; the source's fonts go with the parts that use them (the
// texts renumbered once). Entries whose names the destination holds stay.
// Returns 0, or 56 when the destination's font table ran out of numbers.
int merge_Library(Library* destination, Library* source);
// flag_Part on the part of every entry, with the flag operation the caller pushed.
void flag_Library_parts(Library* library);
// Frees every entry whose part carries PART_HANDLED (bit 2); a part goes
// with its last entry.
void purge_marked_parts(Library* library);
// used[n] = 1 for every document font number n (0..499) that a text of a
// part body uses; used must hold FONT_NUMBER_MAX + 1 bytes. Leaves every
// part marked PART_HANDLED.
void mark_library_fonts(Library* library, uint8_t* used);
// 0 when a file of the name exists in the library directory with the
// binary-library suffix / the library-source suffix, else -1.
int library_file_exists(const char* name);
int library_source_exists(const char* name);
