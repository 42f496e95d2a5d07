#pragma once
// Library parts: the shared, reference-counted definition of one
// component: the body drawings of its normal and converted forms, the pins
// of each form, the number of devices in one package, the reference prefix
// and an optional sheet path. Library entries and placed parts reach it;
// each holder takes one reference and the last unref_Part frees it.
//
// Invariant: every pin of both lists holds exactly `devices` numbers.
// Change the device count only through set_Part_devices, which resizes
// every table with it.
//
// Binary record: 22, the end offset (u32, the absolute stream position
// after the record), the COMMON record (25, type, device count, body box,
// prefix, sheet path), a NORMAL record (26, pin list, vector set, 0xE0) and
// a CONVERT record (27, ...) when the form has pins or a body, and 0xE0.
// ASCII form: "(PART" with "(COMMON", "(NORMAL" and "(CONVERT" blocks.
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "foundation/short_string.h"

struct Vectors;
struct PinList;

enum PartType : uint8_t { STANDARD = 0, IEEE = 1, GRID_ARRAY = 2 };

// Bit of the mark word set by library-wide passes on a part already handled.
constexpr uint32_t PART_HANDLED = 2;

// Devices per package a file may give: the reference names a device by one
// letter, and the formats keep the count within a byte.
constexpr int32_t MAX_PART_DEVICES = 255;

// Binary tags.
constexpr uint8_t PART_TAG = 22;
constexpr uint8_t PART_COMMON_TAG = 25;
constexpr uint8_t PART_NORMAL_TAG = 26;
constexpr uint8_t PART_CONVERT_TAG = 27;

struct Part {
    uint32_t state = 1;              // mark word; receives flag operations
    int32_t refs = 0;                // holders
    Rect body;                       // body outline; w and h are the part's size
    char* sheet_path = nullptr;      // owned (malloc'd), null when none
    ShortString prefix;              // reference letters
    Vectors* normal = nullptr;       // held once for this part
    Vectors* convert = nullptr;      // held once for this part
    int32_t devices = 1;             // devices per package, >= 1
    uint8_t type = STANDARD;
    PinList* normal_pins = nullptr;  // owned
    PinList* convert_pins = nullptr; // owned
};

// Mark word 1, no holders, device count 1, nothing else; null when memory
// runs out.
Part* new_Part();
// A part that still has holders is left whole (debug warning
// "free_Part: ref count!=0"); otherwise releases both bodies, both pin
// lists, the sheet path and the record. Null ignored.
void free_Part(Part* part);
void ref_Part(Part* part);
void unref_Part(Part* part);
// Deep copy with one holder: bodies duplicated (held once), pin lists
// copied, own sheet path and prefix. Out of memory ends the program.
Part* dup_Part(const Part* part);
// The top flag operation on the mark word, both bodies with their items and
// both pin lists with their pins.
void flag_Part(Part* part);
// Sets the device count (at least 1) and resizes every pin's number table.
void set_Part_devices(Part* part, int32_t devices);
// Replaces the sheet path by a heap copy; null or "" leaves none.
void set_Part_sheet_path(Part* part, const char* path);

bool part_equal(const Part* a, const Part* b);
bool pinlist_equal(const PinList* a, const PinList* b, int devices);
bool vectors_equal(const Vectors* a, const Vectors* b);
// Copies the letters of a designator up to its first digit or '?' into out
// (room for the whole text); true when it stopped at a '?'.
bool ref_prefix(const char* reference, char* out);

// Stream position of the tag of the part record read last (0 when the
// last read found another tag): the library entry keeps it to read the
// part later.
int32_t last_part_offset();

// Reads a part record into `part`. A null part reads the library as an
// index only: the record is skipped through its end offset and nothing is
// built. Results: 0; NOT_MY_TAG (1001, tag pushed back); -1 for a short
// read, also when the end offset lies beyond the end of the stream;
// READ_ERROR for a device count outside 1..MAX_PART_DEVICES or an end
// offset that does not lie after the offset field; a pin or body reader's
// failure.
int read_Part(Part* part, FILE* stream);
// `entry_name` is the library entry the part is written under: a body
// written here in full is referred to by that name when another part of
// the same file holds it.
void write_Part(Part* part, FILE* stream, const char* entry_name);
void awrite_Part(Part* part, FILE* stream, int level, const char* entry_name);
// Forgets the write-once sharing of both bodies (see vectors.h): writers of
// a whole file call it for every part before and after writing.
void restore_PartVectors(Part* part);
