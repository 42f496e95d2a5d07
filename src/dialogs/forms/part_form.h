#pragma once
// The Edit Part dialog without its window: one placed part edited whole,
// its fields (text, position, mirrors, box, visibility), its device, its
// body (normal or converted), its rotation and mirrors, its power pins'
// visibility, and the names and display of its pins.
//
// Everything the user does changes only the dialog's working state (the
// field records and one table of pin names per body) until Accept, which
// applies it in one edit of the sheet. Pins belong to the library part,
// which other placed parts may share: when the pins were changed and
// another part of the sheet uses the same library part, the edited part
// gets a private copy under a new version name first (fork_Part).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/forms/form.h"

struct EditSession;
struct Part;
struct PinList;
struct PlacedPart;
struct Schema;

enum EditPartField : int {
    EP_SPACER = 1,
    EP_FIELD,  // the field choice
    EP_VALUE,  // the selected field's text
    EP_XMIR,   // ... its mirrors, box and visibility
    EP_YMIR,
    EP_BOXED,
    EP_VISIBLE,
    EP_POSITION,  // ... and its position button (the compass)
    EP_DEVICE,
    EP_PIN,
    EP_NAME,
    EP_POWER,  // "Visible Power"
    EP_CONVERT,
    EP_PART_XMIR,
    EP_PART_YMIR,
    EP_ROTATION,
    EP_INFO,
    EP_SHOW_REFS,
    EP_SHOW_NAMES,
};

enum : long {
    PART_CMD_VALUE = 20036,
    PART_CMD_XMIR = 20037,
    PART_CMD_YMIR = 20038,
    PART_CMD_BOXED = 20039,
    PART_CMD_VISIBLE = 20040,
    PART_CMD_POSITION = 20041,
    PART_CMD_DEVICE = 20044,
    PART_CMD_CONVERT = 20045,
    PART_CMD_PIN = 20046,
    PART_CMD_NAME = 20047,
    PART_CMD_FIELD = 20048,
    PART_CMD_ACCEPT = 20049,
    PART_CMD_PIN_DISPLAY = 20051,
    PART_CMD_HELP = 20056,
};
constexpr long PART_HELP_CONTEXT = 1370;

// The working record of one field.
struct FieldRecord {
    std::string text;
    bool xmir = false, ymir = false, boxed = false, visible = true;
    int button = 7;  // position button (the compass; 7 east)
};

struct EditPartState {
    std::vector<FieldRecord> fields;  // one per listed field
    // The pin names typed so far, one table per body (0 normal, 1
    // converted), made when the body is first listed.
    std::optional<std::vector<std::string>> pin_names[2];
    int listed_body = 0;  // whose pins the Pin choice lists
    bool pins_changed = false;
};

std::vector<FormRow> edit_part_rows();

// The number of fields the dialog lists: NB_FIELD_NAME, at least the
// reference and the value.
int edit_part_field_count();
// The names of those fields from the reference on, an empty name as
// "Attr. #n" (n counted from 1): what Edit Part and the netlist's Module
// choice offer.
std::vector<std::string> part_field_names();
// "Part Name: %s -- Part Value: %s -- Library: %s"; the library is the
// part name's text before its last '/' (none without one).
std::string part_info_line(const PlacedPart* pl);

// Fills the form and the working state from the placed part.
void load_edit_part(Form& form, EditPartState& state, Schema* schema, PlacedPart* pl);
// The record of field i in the field items (nothing for a negative i).
void show_part_attribute(Form& form, const EditPartState& state, int i);
// Lists the pins of a body for a device in the Pin choice (the table of
// that body is made from the pins the first time) and shows the first.
void fill_part_pins(Form& form, EditPartState& state, Schema* schema, PlacedPart* pl, int device,
                    uint8_t body_flags);
// The selected pin's name: the Name text into the table (store), or the
// table's entry into the Name text.
void sync_pin_name(Form& form, EditPartState& state, bool store);
// The Name text into the selected pin's entry (a pin change).
void store_pin_name(Form& form, EditPartState& state);
// The pins of a body of a placed part: its own pins when it has them, else
// its library part's list of that body; null when there is none.
PinList* part_pin_list(Schema* schema, PlacedPart* pl, bool converted);
// True when the list exists and every pin carries its own display choice
// (0x08); *numbers and *names are then the last pin's 0x80 and 0x40 (0 for
// a list without pins).
bool pin_display_flags(const PinList* pins, int* numbers, int* names);

// What an item of the dialog does at once (20036 .. 20051). The actions on
// the part's pins and body ring the bell without a part.
void edit_part_react(long id, Form& form, EditPartState& state, Schema* schema, PlacedPart* pl);

// True when another placed part of the sheet uses the library part.
bool part_shares_library_part(Schema* schema, PlacedPart* pl, const Part* part);
// A private copy of the library part for the placed part, entered in the
// document's library as the next version of its name ("NAME@000001", or
// the latest version's number plus one); nothing when no other part shares
// it or the library has no entry of its name. True when a copy was made.
bool fork_Part(Schema* schema, PlacedPart* pl);
// Step one of Accept: the part's flags, device, fields (turned and
// mirrored with the part about its position) and pins from the form and
// the working state.
void apply_edit_part(Schema* schema, PlacedPart* pl, const Form& form, EditPartState& state);
// Step two: the selected field from the field items themselves.
void apply_part_attribute(Schema* schema, PlacedPart* pl, const Form& form);
// Accept as one edit of the sheet: the private copy when the pins changed,
// then both steps.
void accept_edit_part(EditSession* session, PlacedPart* pl, const Form& form, EditPartState& state);
