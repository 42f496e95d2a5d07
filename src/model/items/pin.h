#pragma once
// Pins and pin lists of library parts.
//
// A pin is one terminal of one body form of a part: a short line drawn
// outward from the body (with an optional inversion circle and clock
// wedge), a name, an electrical type and one pin number per device of the
// package. Its position P is the body-side end; the connection point is
// the outer end O = P - len * d, d being the outward direction of its side
// (LEFT (1, 0), RIGHT (-1, 0), TOP (0, 1), BOTTOM (0, -1)) and len 1000 for
// a SHORT or power pin, else 3000.
//
// Number tables: a pin holds as many numbers as its part has devices.
// Routines that take the device count N use it to size what they make or
// read; a table never overruns (pin_number answers "" past its end), and
// resize_PinNumbers / set_Part_devices (part.h) bring every table of a
// part to its device count whenever that changes.
//
// Binary pin record: 29, name, type, flags, x, y (32 bits each), the N
// numbers (strings), 'g' + object id. Pin list record: 28, the pins, 0xE0.
// ASCII: "(PINS" with each "(PIN 'name' [DOT ][SHORT ][CLOCK ]TYPE SIDE
// (POS x y ) " line, its numbers on the next line, and ")".
#include <cstdint>
#include <cstdio>
#include <vector>

#include "foundation/geometry.h"
#include "foundation/matrix.h"
#include "foundation/short_string.h"

struct List;
struct View;
struct Vectors;

// Electrical types.
enum PinType : uint8_t {
    PIN_IN = 1,
    PIN_OUT = 2,
    PIN_IO = 3,
    PIN_OC = 4,   // open collector
    PIN_OE = 5,   // open emitter
    PWR = 6,      // power pin
    PAS = 7,      // passive (default)
    PIN_HIZ = 8,  // three-state
};

// Flag bits.
enum PinFlag : uint8_t {
    SHORT = 0x01,            // length 1000 instead of 3000
    DOT = 0x02,              // inversion circle at the body end
    CLOCK = 0x04,            // clock wedge inside the body
    PIN_DISPLAY = 0x08,      // bits 64 and 128 decide what is shown
    PIN_SIDE_MASK = 0x30,
    LEFT = 0x00,
    RIGHT = 0x10,
    TOP = 0x20,
    BOTTOM = 0x30,
    PIN_SHOW_NAME = 0x40,
    PIN_SHOW_NUMBER = 0x80,
};

constexpr int PIN_LONG = 3000;
constexpr int PIN_SHORT = 1000;

// Binary tags.
constexpr uint8_t PIN_TAG = 29;
constexpr uint8_t PINLIST_TAG = 28;

struct Pin {
    ShortString name;
    uint8_t type = PAS;
    uint8_t flags = 0;
    Point pos;                         // body-side end P, part coordinates
    std::vector<ShortString> numbers;  // one per device; empty: no table
    Vectors* drawing = nullptr;        // owned cache of make_PinVectors; never copied or written
    uint32_t state = 1;
    uint32_t id = 0;                   // object id of the binary record
};

struct PinList {
    List* pins = nullptr;  // owned Pin records, in order
    uint32_t flags = 1;
};

// --- pins ----------------------------------------------------------------------
// Defaults: name "", type PAS, flags 0, state 1, id 0; a table of N empty
// numbers when N > 0. Null when memory runs out.
Pin* new_Pin(int devices);
// Frees the pin with its names and drawing (null ignored). The device
// count is not needed: the table knows its size.
void free_Pin(Pin* pin, int devices = 0);
// Every field but the drawing, with its own names; the copy's table has N
// numbers (with N 0 and a source table: one). Null when memory runs out.
Pin* copy_Pin(const Pin* pin, int devices);
// Brings the table to N numbers: new ones empty, extra ones dropped; N 0
// leaves no table. The cached drawing is kept (numbers are not drawn in it).
void resize_PinNumbers(Pin* pin, int devices);
// The number of a device; "" past the table.
const char* pin_number(const Pin* pin, int device);
// Sets the number of a device, growing the table when needed.
void set_pin_number(Pin* pin, int device, const char* number);

// Pin length by the SHORT / PWR rule.
int pin_length(const Pin* pin);
// Outer end (connection point) and inner end of the pin line.
void get_PinLine(const Pin* pin, Point* outer, Point* inner);
// Rectangle covering the pin line (1 unit thick).
Rect pin_extent(const Pin* pin);
// Builds the cached drawing once: the pin line, the clock wedge's two lines
// with CLOCK, the circle with DOT.
void make_PinVectors(Pin* pin);

void matrix_Pin(Pin* pin, const Matrix* matrix);
// The 1 x 1 rectangle at P, set or merged; true.
bool bounds_Pin(const Pin* pin, Rect* rect, bool accumulate);
// Distance to the pin line; 1e10 when the mask is set and shares no bit
// with the state; hit bits ORed into the state within the tolerance.
double distance_Pin(Pin* pin, Point p, uint32_t mask, double tolerance, uint32_t hit_bits);
// Marks the pin (bit | 12, operation) when P lies in the view's selection
// area and the pin passes the mask.
bool select_Pin(View* view, Pin* pin, uint32_t bit, int operation, uint32_t mask);
// The same rule for any record picked by one point (attributes, placed
// parts): false when the state fails the mask, the view has no selection
// area or p lies outside it; else (bit | 12, operation) is applied to
// *state through the flag-operation stack and the answer is true.
bool select_at_point(View* view, uint32_t* state, Point p, uint32_t bit, int operation,
                     uint32_t mask);
void flag_Pin(Pin* pin);
bool pin_has_number(const Pin* pin, const char* number, int device);
bool pin_numbers_equal(const Pin* a, const Pin* b, int devices);

// Results: 0; NOT_MY_TAG (1001, byte pushed back); -1 for a short read.
int read_Pin(Pin* pin, FILE* stream, int devices);
// Gives the pin an object id when it has none.
void write_Pin(Pin* pin, FILE* stream);
void awrite_Pin(const Pin* pin, FILE* stream, int level, int devices);

// --- pin lists --------------------------------------------------------------------
PinList* new_PinList();  // empty, flag 1; null when memory runs out
void free_PinList(PinList* list, int devices = 0);  // null ignored
// Copies every pin in order; null when memory runs out.
PinList* copy_PinList(const PinList* list, int devices);
// resize_PinNumbers on every pin (null ignored).
void resize_PinList(PinList* list, int devices);
int pinlist_count(const PinList* list);
void matrix_PinList(PinList* list, const Matrix* matrix);
void flag_PinList(PinList* list);
// Union of every pin_extent; an absent or empty list leaves the rectangle
// and answers the accumulate flag.
bool pinlist_extent(const PinList* list, Rect* rect, bool accumulate);
// Smallest distance_Pin (power pins only when with_power); the first of
// equally near pins wins; *found null when no pin was examined.
double nearest_Pin(PinList* list, Point p, Pin** found, uint32_t mask, double tolerance,
                   uint32_t hit_bits, bool with_power);
// True when every pin examined was selected (also for an empty list).
bool select_PinList(View* view, PinList* list, uint32_t bit, int operation, uint32_t mask,
                    bool with_power);
Pin* find_Pin_by_number(PinList* list, const char* number, int device);
bool pinlist_numbers_equal(const PinList* a, const PinList* b, int devices);

// Results: 0; NOT_MY_TAG (1001, byte pushed back); -1 for a short read; a
// pin reader's failure.
int read_PinList(PinList* list, FILE* stream, int devices);
void write_PinList(PinList* list, FILE* stream);
void awrite_PinList(const PinList* list, FILE* stream, int level, int devices);
