#pragma once
// The pins of the part under edit without the windows: the numbers of a
// pin (one per device of the package, typed as one comma-separated text),
// the lines of the pinout, the rows of the pin dialogs, the search for a
// pin, and what the Add/Edit Pin and View/Edit Pinout dialogs change.
//
// The dialogs list the types in another order than their codes: rows 0..7
// are "In", "Out", "Input/Output", "Power", "Passive", "3 States",
// "Open Col.", "Open Emit." (codes 1, 2, 3, 6, 7, 8, 4, 5); the shape rows
// 0..4 are "Line", "Short", "Clock", "Dot", "Dot Clock" (bits 0, 1, 4, 2, 6).
#include <string>
#include <vector>

#include "foundation/geometry.h"

struct LibEdit;
struct Pin;
struct PinList;
struct PlacedPart;

// --- rows of the dialogs ---------------------------------------------------------------------
extern const char* const pin_type_labels[8];
extern const char* const pin_shape_labels[5];
constexpr int PIN_TYPE_ROWS = 8;
constexpr int PIN_SHAPE_ROWS = 5;
constexpr int PIN_POWER_ROW = 3;
// A row outside the table reads as type 1 ("In") and shape 0 ("Line").
int pin_type_of_row(int row);
int pin_shape_of_row(int row);
// The row of a type code or of the shape bits (bits 0-2); -1 when none
// (codes outside 1..8, shape bits 3, 5 and 7).
int pin_row_of_type(int type);
int pin_row_of_shape(int shape);
// The type and shape keys of the Add Pin tool step in the rows' order;
// a shape outside the table stays.
int pin_next_type(int type);
int pin_next_shape(int shape);

// --- numbers ------------------------------------------------------------------------------
// Stores the comma-separated numbers of the text into the pin's devices
// from *index on (blanks and tabs round each token dropped): each token
// before a comma fills one device and moves *index on; the last token fills
// device *index without moving it. Tokens past the device count are
// dropped; devices no token reaches keep their number.
void parse_pin_numbers(Pin* pin, int devices, const char* text, int* index);
// The numbers of the devices joined by commas; a power pin shows its first one.
std::string join_pin_numbers(const Pin* pin, int devices);
// One line of the pinout: the numbers (columns 0-14, cut to 12 and "..."
// when longer than 15), the name (from column 16, the line cut to 21 and
// "..." when longer than 24), the shape word and the type word.
std::string pinout_line(const Pin* pin, int devices);
// The lowest number 1..4999 no device of the list's pins uses (a pin
// without a number table counts its name).
int pin_next_free_number(const PinList* list, int devices);
// The numbers two pins of the list share (power pins left out), in
// increasing order, "," between them; "..." after the eleventh. Empty when
// none.
std::string pin_duplicated_numbers(const PinList* list, int devices);
// The question of the Add Pin tool for the devices from `device` on:
// "Reference for Device A,B,..." cut to 30 characters and "..." when longer.
std::string pin_device_prompt(int device, int devices);

// --- pins of the part under edit -------------------------------------------------------------------
// The pin list of the form the placed part shows (null when none).
PinList* placed_pin_list(const LibEdit* ed, PlacedPart* placed);
// True when another pin of the placed part's form stands where the pin does.
bool pin_duplicate(const LibEdit* ed, PlacedPart* placed, const Pin* pin);

// What the pin dialogs show of a pin and the properties PIN_* keep.
struct PinFields {
    std::string numbers;  // "Reference(s)" / "Ref"
    std::string name;
    int type_row = 0;
    int shape_row = 0;
};
PinFields pin_fields_from_properties();
// Stores PIN_NAME, PIN_REF, PIN_TYPE (the code) and PIN_SHAPE (the bits).
void pin_fields_store(const PinFields& fields);
// The Add/Edit Pin dialog for a pin of the part: the number of one device.
PinFields pin_fields_of(const Pin* pin, int device);
// The pinout's fields of a pin: every number joined.
PinFields pinout_fields_of(const Pin* pin, int devices);

// Add/Edit Pin's Change: the fields (stored into PIN_*) written into a pin
// of the part under edit: its numbers from the device the dialog showed
// on, its name, its shape (the side and what is shown kept) and type. False
// when the pin is not one of the part's.
bool libedit_change_pin(LibEdit* ed, Pin* pin, int device, const PinFields& fields);
// The lines of the pinout of the normal or converted pins (none without a part).
std::vector<std::string> pinout_lines(const LibEdit* ed, bool converted);
// The pin at a row of the pinout, or null.
Pin* pinout_pin(const LibEdit* ed, bool converted, int row);
// View/Edit Pinout's Apply on the pin of the row; false when there is none.
bool pinout_apply(LibEdit* ed, bool converted, int row, const PinFields& fields);

// --- finding a pin -------------------------------------------------------------------------
// Where the pin of that name (by_name) or number stands on the editing
// sheet, searching the normal or the converted pins: the placed part of
// the device that has it, plus the pin's position.
bool find_pin_position(const LibEdit* ed, bool by_name, const char* text, bool converted,
                       Point* at);
// Find Pin: the converted pins first, then the normal ones; found, the
// point is brought into view and the pointer put there; else "Item not
// found !" and the bell. True when found.
bool libedit_find_pin(LibEdit* ed, bool by_name, const char* text);
