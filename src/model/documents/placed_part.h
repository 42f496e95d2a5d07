#pragma once
// Placed parts (code 10): one use of a library part on a sheet. The record
// names the part in the schematic's own library ("$ACTIVE$"), places it with
// a position, rotation, mirrors and scale, selects the device of a package
// and the normal or converted form, and carries the reference and value
// attributes and further user fields. It may hold its own copy of the pins
// with changed pin numbers (pin swapping) and the power symbols generated at
// its power pins.
//
// Binary record (big-endian):
//   0xCA, [30 (0x1E), N (32), the own pins as a pin list for N devices],
//   the attributes (0xD2 each: reference, value, further ones), 0xE0,
//   ['p' extra text], flags, sheet path, device (32), position, part name,
//   ['c' time stamp], ['g' id], ['r' scale code]
//
// Source form:
//   (PARTLIB 'name' 0x%08X %f POWERON|POWEROFF
//     [MX ][MY ]rotation NORMAL_PART|CONVERT_PART DEVICE d (POS x y )
//     [SHEETPATH 'path']
//     (ATTRIBUTE ...)...
//   )
//
// The own pins carry the device count they were made or read for
// (`own_pins_devices`); they are used only while that count equals the
// part's (`pl_own_pins`), so that a pin-number table is never read past
// its end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/short_string.h"
#include "model/documents/attribute.h"
#include "model/items/item.h"

struct Library;
struct Part;
struct PinList;

// Flag bits.
enum : uint8_t {
    PL_ROT_MASK = 0x07,  // 0 none, 1 90, 2 180, 3 270, 4 45, 5 135, 6 225, 7 315 degrees
    PL_MX = 0x10,        // mirror about the x axis (y negated)
    PL_MY = 0x20,        // mirror about the y axis (x negated)
    PL_POWERON = 0x40,   // power symbols shown and counted in the bounds
    PL_CONVERT = 0x80,   // the converted form (else the normal one)
};

constexpr uint8_t PL_OWN_PINS_TAG = 30;
constexpr uint8_t PL_EXTRA_TAG = 'p';
constexpr uint8_t PL_STAMP_TAG = 'c';
constexpr uint8_t PL_SCALE_TAG = 'r';
constexpr uint8_t PL_DEFAULT_SCALE = 16;  // scale 1.0

struct PlacedPart : SchItem {
    Attribute reference;           // attribute 0, held inline
    Attribute value;               // attribute 1, held inline
    List* attributes = nullptr;    // owned: attributes 2, 3, ..., or none
    RareString sheet_path;         // "" is none
    int32_t device = 0;            // device in the package, 0 = 'A'
    int32_t own_pins_devices = 0;  // device count the own pins' number tables hold
    ShortString part_name;         // entry of the schematic's own library
    Part* part = nullptr;          // cached on first look-up; not owned, not referenced
    PinList* own_pins = nullptr;   // owned, or none
    List* powers = nullptr;        // owned list of Power*, or none
    uint32_t time_stamp = 0;
    uint8_t scale = PL_DEFAULT_SCALE;  // one bit set: 1 -> 0.1 ... 16 -> 1.0 ... 128 -> 3.0
    RareString extra;                  // "" is none; kept, copied and stored, never interpreted
    RareString origin;                 // net file it was linked from; "" is none; not stored

    PlacedPart() = default;
    PlacedPart(const PlacedPart&) = delete;  // the owned pointers: copy_PlacedPart
    PlacedPart& operator=(const PlacedPart&) = delete;
};
// A loaded sheet holds one record per part, and its rarely used texts cost
// one pointer each: keep the record from growing back.
static_assert(sizeof(void*) != 8 || sizeof(PlacedPart) <= 208);

PlacedPart* as_PlacedPart(SchItem* item);
const PlacedPart* as_PlacedPart(const SchItem* item);

// While one lives (undo and back-annotation copies are made), copies of
// placed parts keep their time stamp and reference number. Scopes nest.
class CopyExactScope {
public:
    CopyExactScope();
    ~CopyExactScope();
    CopyExactScope(const CopyExactScope&) = delete;
    CopyExactScope& operator=(const CopyExactScope&) = delete;

private:
    bool was_;
};

// --- record ------------------------------------------------------------------------------
// Code 10, state 1, both inline attributes empty and visible, flags 0x40,
// time stamp now, scale code 16; null when memory runs out.
PlacedPart* new_PlacedPart();
void free_PlacedPart(Schema* doc, PlacedPart* pl, bool keep_storage);
PlacedPart* copy_PlacedPart(Library* library, const PlacedPart* pl);
// 0; -1 on a short read or a missing end mark; READ_ERROR for a damaged
// own-pin section; an attribute reader's failure; NOT_MY_TAG.
int read_PlacedPart(PlacedPart* pl, FILE* stream);
void write_PlacedPart(Library* library, PlacedPart* pl, FILE* stream, uint32_t mask);
void awrite_PlacedPart(Library* library, const PlacedPart* pl, FILE* stream, int level);
// Moves the position and every attribute (with its layout); flags unchanged.
void matrix_PlacedPart(PlacedPart* pl, const Matrix* matrix);
// The top flag operation on the part's and every attribute's state, and
// flag_Part on the cached part.
void flag_PlacedPart(PlacedPart* pl);

// --- part, pins and placement ----------------------------------------------------------------
// The cached part, or the part of the part name's entry in the library
// (cached then); none when the library holds no such entry.
Part* pl_get_part(Library* library, PlacedPart* pl);
// The own pins when they are made for the part's device count, else none
// (a set made for another count is left as it is, unused: reading never
// repairs; the next change of the own pins drops it).
PinList* pl_own_pins(const PlacedPart* pl, const Part* part);
// The pins in use: the own pins, else the part's list of the form in use.
PinList* pl_pins_in_use(Library* library, PlacedPart* pl);
// Composes scale, mirrors, rotation and the translation to the position
// onto the matrix (none: the current matrix); with an inverse given, the
// inverse transform is composed into it too.
void pl_matrix(const PlacedPart* pl, Matrix* matrix, Matrix* inverse = nullptr);
// The scale of the code's lowest set bit; 1.0 for code 0.
double pl_get_scale(const PlacedPart* pl);
// The placed body rectangle and which sides carry non-power pins, after
// mirrors and quarter turns. The part, or none (rectangle of size 0 at the
// position, no sides).
Part* pl_body_sides(Library* library, PlacedPart* pl, Rect* rect, bool* top, bool* left,
                    bool* right, bool* bottom);
// The body size placed by the matrix (translation left out) at the position,
// made positive. The part, or none.
Part* pl_body_rect(Schema* doc, PlacedPart* pl, Rect* rect);
// The body rectangle grown by 3000 on each side with pins, with the power
// symbols when shown; true.
bool pl_bounds(Schema* doc, Library* library, PlacedPart* pl, Rect* rect, bool accumulate);
// Part coordinates: the body items of the form in use and every pin's
// extent. False when the part is missing.
bool extent_PlacedPart(Schema* doc, PlacedPart* pl, Rect* rect);
// 0 inside the placed body rectangle, else the distance to the position.
double distance_PlacedPart(Library* library, PlacedPart* pl, Point p, uint32_t mask,
                           double tolerance, uint32_t hit_bit);
// Picks the position (bit | 0x0C).
bool select_PlacedPart(View* view, PlacedPart* pl, uint32_t bit, int operation, uint32_t mask);

// --- references ---------------------------------------------------------------------------------
// The reference text, followed by 'A' + device for a package of 2 or more
// devices (static buffer valid until the next call).
const char* pl_reference_text(Library* library, PlacedPart* pl);
// For a package of 2 or more devices a trailing capital naming one of its
// devices sets the device and is cut off; the rest becomes the reference.
// The own pins are dropped.
void pl_set_reference(Library* library, PlacedPart* pl, const char* text);

// --- own pins and power symbols --------------------------------------------------------------------
// A copy of the form's pin list becomes the own pins when there are none
// (own pins made for another device count than the part's are dropped
// first, with a warning). 0.
int pl_make_own_pins(Library* library, PlacedPart* pl);
// Exchanges the numbers of two pins for this device in the own pins: 0, or
// 78 "Pins not found", 79 "Different Pins types", 80 "Different Pins shapes".
int pl_swap_pins(Library* library, PlacedPart* pl, const char* number1, const char* number2);
void pl_build_power_list(Schema* doc, PlacedPart* pl);
void pl_make_power_list(Schema* doc, PlacedPart* pl);
void pl_free_power_list(Schema* doc, PlacedPart* pl);
// Pins of the form in use (the part's list): every non-power pin, power
// pins on device 0 only; with power_only the number of those power pins.
int pl_count_pins(Schema* doc, PlacedPart* pl, bool power_only);

// --- attributes ----------------------------------------------------------------------------------
// 'R'/'r' reference, 'V'/'v' value, '1'..'8' attribute 2..9 ("NULL" when
// missing), any other character itself.
std::string pl_expand_pattern(const PlacedPart* pl, const char* pattern);
void pl_place_attribute(Schema* doc, Library* library, PlacedPart* pl, int i);
// Where pl_place_attribute puts attribute i for the part's orientation now.
Point pl_attribute_place(Library* library, PlacedPart* pl, int i);
int pl_place_attribute_if_unset(Schema* doc, Library* library, PlacedPart* pl, int i);
void pl_unset_attribute_places(PlacedPart* pl);
// Lays out every attribute not yet placed (without SET): a part just placed
// shows its reference, value and fields beside its body, as the library
// shows them, not one upon another at its origin. Drawing calls it, so a
// text is picked where it was drawn. An attribute the user moved (SET)
// stays where it is.
void pl_place_unset_attributes(Schema* doc, Library* library, PlacedPart* pl);
// A new line from the centre of the body rectangle to attribute i (flags 3,
// state bits 0x408 added); none when the attribute is missing.
Line* attribute_leader_line(Schema* doc, PlacedPart* pl, int i);
// Keeps a date whose third and sixth characters are '/', else writes
// today's date into the buffer (cut to its capacity).
void date_fill_if_unset(char* text, size_t capacity);
