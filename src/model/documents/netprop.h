#pragma once
// Net-property labels (code 22, NETPROP_ITEM, binary tag 'm'): a small flag
// placed on a wire whose seven layout values (track width, isolation, via
// size and drill, start and end layer, net type) the net it touches takes
// over. The flag's drawing (`symbol`) is generated on demand by
// netprop_build_symbol and never stored.
//
// Binary record (big-endian): 'm', flags (8), position (2 x 32), object id
// (32, always present, no 'g' before it), name (string), track width,
// isolation, via size, via drill (32 each), start layer, end layer, net type
// (8 each).
//
// ASCII form, one line:
//   (NETPROP (POS x y ) 'name' tw iso vs vd sl dl nt )
//
// The routines have the shapes of the primitives (model/items/primitives.h):
// free releases what the record owns and, unless keep_storage, the record;
// read answers 0, -1 on a short read, or NOT_MY_TAG with the byte pushed
// back; writers skip a record that fails the mask.
#include <cstdint>
#include <cstdio>

#include "foundation/short_string.h"
#include "model/items/item.h"

struct Vectors;

struct NetProp : SchItem {
    ShortString name;           // "" at creation
    int32_t track_width = 0;    // NETPROP_TRACKWIDTH when placed from the dialog
    int32_t isolation = 0;      // NETPROP_ISOLATION
    int32_t via_size = 0;       // NETPROP_VIASIZE
    int32_t via_drill = 0;      // NETPROP_VIADRILL
    int8_t start_layer = 0;     // NETPROP_SLAYER
    int8_t end_layer = 0;       // NETPROP_DLAYER
    int8_t net_type = 0;        // NETPROP_NETTYPE
    Vectors* symbol = nullptr;  // owned, generated drawing; may be null
};

NetProp* as_NetProp(SchItem* item);
const NetProp* as_NetProp(const SchItem* item);

// Code 22, flags 0, width 100, state 1, id 0, every value 0, no symbol; null
// when memory runs out.
NetProp* new_NetProp();
void free_NetProp(NetProp* label, bool keep_storage);
int read_NetProp(NetProp* label, FILE* stream);
void write_NetProp(NetProp* label, FILE* stream, uint32_t mask);
void awrite_NetProp(NetProp* label, FILE* stream, int level);
// The position only (the symbol is dropped: it is rebuilt where it is needed).
void matrix_NetProp(NetProp* label, const Matrix* matrix);
// Bounds of the symbol, built first when missing.
bool bounds_NetProp(Schema* doc, NetProp* label, Rect* rect, bool accumulate);
void flag_NetProp(NetProp* label);
// 1e10 when the mask fails or the label has no bounds; 0 inside the bounds
// or within the tolerance of their edges; else the distance to them.
double distance_NetProp(Schema* doc, NetProp* label, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit);
// The position in the selection area.
bool select_NetProp(Schema* doc, View* view, NetProp* label, uint32_t bit, int operation,
                    uint32_t mask);
// An equal record with its own name and no symbol (object id 0).
NetProp* copy_NetProp(const NetProp* label);

// The four values and the three bytes are equal (names are not compared).
bool netprop_equal(const NetProp* a, const NetProp* b);
// Rebuilds the symbol at the label's position: the text "NP", an arrow tip
// at the position, a pole and a flag of two nested rectangles.
void netprop_build_symbol(Schema* doc, NetProp* label);
