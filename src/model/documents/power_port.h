#pragma once
// Three small sheet items that take part in connectivity without being
// parts: the power symbol (code 12, a named net tie drawn as one of eight
// shapes), the no-connect mark (code 13, a pin end declared open) and the
// port (code 14, the interface of a sheet to the sheet above; the same
// record stands on a sub-sheet box as its sheet entry, see subsheet.h).
//
// The symbol of a power item and the outline of a port are generated
// drawings (vector sets) owned by the record; they are dropped whenever the
// record moves and rebuilt by the editor and the renderer.
//
// Binary records (big-endian):
//   power      0xCC, name, flags, position, width, ['g' id]
//   no-connect 0xCD, flags, position, width, ['g' id]
//   port       0xCE, flags, position, width, name, second string,
//              ['p' extra string], ['g' id]
// Readers set the state to 1, replace a width below 2 by 100 and return 0,
// -1 on a short read, or NOT_MY_TAG with the tag byte pushed back.
//
// Source lines (one each, at an indentation level):
//   (POWER 'name' [rotation] shape (POS x y )  )
//   (NOCON (POS x y )  )
//   (PORT RIGHT|LEFT kind (POS x y ) 'name' )
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/short_string.h"
#include "model/items/item.h"

struct Vectors;

// --- power symbol -------------------------------------------------------------
enum : uint8_t {
    POWER_ROT_MASK = 0x07,  // 0..3 quarter turns; 4..7 are not valid rotations
    POWER_SHAPE_MASK = 0xC8,
    POWER_CIRCL = 0x00,
    POWER_GND1 = 0x08,
    POWER_ARROW = 0x40,
    POWER_GND2 = 0x48,
    POWER_BAR = 0x80,
    POWER_EARTH = 0x88,
    POWER_WAVE = 0xC0,
    POWER_BIGARR = 0xC8,
    POWER_NAME_HIDDEN = 0x10,  // set on the symbols generated at a part's power pins
};

struct Power : SchItem {
    ShortString name;           // the net it ties
    Stroke* layout = nullptr;   // owned: the name's layout, or none
    Vectors* symbol = nullptr;  // owned: the generated drawing, or none

    Power() = default;
    Power(const Power&) = delete;  // the owned pointers: copy_Power
    Power& operator=(const Power&) = delete;
};

// --- no-connect mark -------------------------------------------------------------
struct NoCon : SchItem {};

// --- port -----------------------------------------------------------------------
enum : uint8_t {
    PORT_RIGHT = 0x08,  // side: set right, clear left
    PORT_KIND_MASK = 0x30,
    PORT_BIDIR = 0x00,
    PORT_INPUT = 0x10,
    PORT_OUTPUT = 0x20,
    PORT_UNSPEC = 0x30,
    // Outline overrides (not in the source form): the first one set of
    // OUTPUT, BIDIR, UNSPEC gives the port that kind's outline.
    PORT_AS_OUTPUT = 0x01,
    PORT_AS_UNSPEC = 0x02,
    PORT_AS_BIDIR = 0x04,
};

struct Port : SchItem {
    ShortString name;
    ShortString second;          // stored and copied with the port, binary form only
    Stroke* layout = nullptr;    // owned: the name's layout, or none
    Vectors* outline = nullptr;  // owned: the generated outline, or none
    int32_t word1 = 0;           // carried unchanged by copies; not interpreted here
    int32_t word2 = 0;
    std::string extra;           // "" is none; binary form only
    int32_t sheet_number = -1;   // sub-sheet whose net file it was read from (-1 the root); not stored
    std::string origin;          // that net file's name while linking; "" is none; not stored

    Port() = default;
    Port(const Port&) = delete;  // the owned pointers: copy_Port
    Port& operator=(const Port&) = delete;
};

// Checked accessors.
Power* as_Power(SchItem* item);
NoCon* as_NoCon(SchItem* item);
Port* as_Port(SchItem* item);
const Power* as_Power(const SchItem* item);
const NoCon* as_NoCon(const SchItem* item);
const Port* as_Port(const SchItem* item);

// --- routines behind the sheet item dispatchers ---------------------------------------
// Shapes as for the primitives (primitives.h): the document comes first
// where a generated outline may have to be measured on its canvas.
Power* new_Power();  // width 100, state 1, empty name; null when memory runs out
NoCon* new_NoCon();
Port* new_Port();
// Frees the strings, layout and symbol or outline, then the record unless
// keep_storage.
void free_Power(Power* power, bool keep_storage);
void free_NoCon(NoCon* nocon, bool keep_storage);
void free_Port(Port* port, bool keep_storage);
int read_Power(Power* power, FILE* stream);
int read_NoCon(NoCon* nocon, FILE* stream);
int read_Port(Port* port, FILE* stream);
// Nothing is written for a record that fails the mask.
void write_Power(Power* power, FILE* stream, uint32_t mask);
void write_NoCon(NoCon* nocon, FILE* stream, uint32_t mask);
void write_Port(Port* port, FILE* stream, uint32_t mask);
void awrite_Power(const Power* power, FILE* stream, int level);
void awrite_NoCon(const NoCon* nocon, FILE* stream, int level);
void awrite_Port(const Port* port, FILE* stream, int level);
// The position only; a power symbol drops its layout and symbol as well
// (the editor rebuilds port outlines after moving).
void matrix_Power(Power* power, const Matrix* matrix);
void matrix_NoCon(NoCon* nocon, const Matrix* matrix);
void matrix_Port(Port* port, const Matrix* matrix);
// Power and no-connect: the square of half-side WIDTH_POWEROBJ or
// WIDTH_NOCONNECT around the position. Port: its outline's bounds, building
// the outline first when it is missing; false (rectangle untouched unless
// accumulating) when no outline can be built (no canvas to measure on).
bool bounds_Power(Schema* doc, Power* power, Rect* rect, bool accumulate);
bool bounds_NoCon(Schema* doc, NoCon* nocon, Rect* rect, bool accumulate);
bool bounds_Port(Schema* doc, Port* port, Rect* rect, bool accumulate);
void flag_Power(Power* power);
void flag_NoCon(NoCon* nocon);
void flag_Port(Port* port);
// Power: -0.5 inside its square (edges included), else the distance to the
// position. No-connect: the distance to the position. Port: 0 within the
// tolerance of its bounds or inside them, else the distance to them (1e10
// when it has no bounds). 1e10 for a record that fails the mask.
double distance_Power(Schema* doc, Power* power, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit);
double distance_NoCon(Schema* doc, NoCon* nocon, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit);
double distance_Port(Schema* doc, Port* port, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit);
// Marks (bit | 0x0C) when the position lies in the view's selection area.
bool select_Power(Schema* doc, View* view, Power* power, uint32_t bit, int operation,
                  uint32_t mask);
bool select_NoCon(Schema* doc, View* view, NoCon* nocon, uint32_t bit, int operation,
                  uint32_t mask);
bool select_Port(Schema* doc, View* view, Port* port, uint32_t bit, int operation,
                 uint32_t mask);
// New records with their own strings and no layout, symbol or object id; a
// port copied from one that had a name layout gets its outline rebuilt.
Power* copy_Power(Schema* doc, const Power* power);
NoCon* copy_NoCon(Schema* doc, const NoCon* nocon);
Port* copy_Port(Schema* doc, const Port* port);

// --- generated drawings ----------------------------------------------------------------
// Rebuilds the symbol of a power item from its shape, rotation and
// WIDTH_POWEROBJ; the name layout is dropped. 0.
int power_build_symbol(Schema* doc, Power* power);
// Rebuilds the outline of a module port: a stub and a closed polyline
// around the name, measured in the FONT_MODULETXT font on the current
// canvas. 0; without a canvas nothing is built (layout and outline none).
int port_build_symbol(Schema* doc, Port* port);
// The end shapes of a port's outline, from its kind and override bits.
bool port_near_end_pointed(uint8_t flags);
bool port_far_end_pointed(uint8_t flags);

// Measures a name in the system font a font property names, on the canvas
// of the document's view, without touching the INI file: the property's
// value is read before and stored back (in memory only) after the
// measurement. False when there is no canvas.
bool measure_in_config_font(Schema* doc, int font_property, const char* text, Point pos,
                            Rect* out);
