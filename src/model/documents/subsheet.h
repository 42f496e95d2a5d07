#pragma once
// Sub-sheet boxes (code 15): a box on a sheet that stands for another
// schematic file and carries, on its left and right edges, one port per
// interface port of that file. The netlist linker joins the nets of the two
// levels through these ports.
//
// Port positions are relative to the box's top-left corner (the head's
// position): x 0 on the left edge, x = width on the right edge.
//
// Binary record (big-endian):
//   0xCF, flags, position, width (16), size (w, h), sheet name, file name,
//   the port records (0xCE each), 0xE0,
//   ['c' time stamp], ['p' extra string], ['g' id], [0xB4 inner area]
// The port list holds ports only: any other record in it is a read error.
//
// Source form:
//   (SUBSHEET 0x%08X (POS x y ) (SIZE w h ) 'sheet name' 'file name'
//     (PORTS
//       (PORT ...)
//     )
//   )
#include <cstdint>
#include <cstdio>
#include <string>

#include "foundation/short_string.h"
#include "model/items/item.h"

struct List;
struct Port;
struct Vectors;

constexpr uint8_t SUBSHEET_STAMP_TAG = 'c';
constexpr uint8_t SUBSHEET_EXTRA_TAG = 'p';
constexpr uint8_t SUBSHEET_AREA_TAG = 0xB4;

struct SubSheet : SchItem {
    Point size;                  // x the width, y the height (world units)
    std::string file_name;       // the schematic the box stands for; "" is none
    ShortString sheet_name;      // the name shown
    List* ports = nullptr;       // owned list of Port*; never null in a made box
    Stroke* layout = nullptr;    // owned: the name's layout, or none
    Vectors* outline = nullptr;  // owned: the generated box outline, or none
    uint32_t time_stamp = 0;     // time_stamp() at creation
    uint32_t spare = 0;          // not interpreted
    Point area[2];               // inner area: (0, 0), (0, height) after subsheet_reset_area
    std::string extra;           // "" is none; binary form only
    int32_t link_number = 0;     // given while nets are linked; not stored
    std::string origin;          // net file the box was linked from; "" is none; not stored

    SubSheet() = default;
    SubSheet(const SubSheet&) = delete;  // the owned pointers: copy_SubSheet
    SubSheet& operator=(const SubSheet&) = delete;
};

SubSheet* as_SubSheet(SchItem* item);
const SubSheet* as_SubSheet(const SchItem* item);

// Side bits of the resize helpers and of subsheet_border_hit.
enum : int {
    SUBSHEET_TOP = 1,
    SUBSHEET_BOTTOM = 2,
    SUBSHEET_LEFT = 4,
    SUBSHEET_RIGHT = 8,
};

// Smallest width a resize leaves (a side move never reaches it).
constexpr int32_t SUBSHEET_MIN_SIZE = 2000;

// --- records ------------------------------------------------------------------------
// An empty box (empty port list, time stamp now, size 0 x 0: every maker
// sets the size); null when memory runs out.
SubSheet* new_SubSheet();
// A box of MIN_SHEETW x MIN_SHEETH with its ports imported from the file
// and its outline built; null when memory runs out.
SubSheet* create_SubSheet(Schema* doc, const char* file_name, const char* sheet_name);
// Releases ports, strings, outline and layout, then the record unless keep_storage.
void free_SubSheet(Schema* doc, SubSheet* box, bool keep_storage);
// 0, -1 on a short read, READ_ERROR for a damaged port list, or NOT_MY_TAG.
int read_SubSheet(Schema* doc, SubSheet* box, FILE* stream);
// All ports are written whatever the mask; the box itself only when it passes.
void write_SubSheet(Schema* doc, SubSheet* box, FILE* stream, uint32_t mask);
void awrite_SubSheet(Schema* doc, const SubSheet* box, FILE* stream, int level);
// Own strings and copies of all ports, no layout, outline rebuilt; null on failure.
SubSheet* copy_SubSheet(Schema* doc, const SubSheet* box);
void matrix_SubSheet(SubSheet* box, const Matrix* matrix);  // the position only
// {x, y, width, height}; true.
bool bounds_SubSheet(Schema* doc, SubSheet* box, Rect* rect, bool accumulate);
// 0 inside the box or within the tolerance of its edges, else the distance
// to the edges; 1e10 when it fails the mask.
double distance_SubSheet(Schema* doc, SubSheet* box, Point p, uint32_t mask, double tolerance,
                         uint32_t hit_bit);
// Each corner in the selection area marks the box (bit | 0x0C); true when any did.
bool select_SubSheet(Schema* doc, View* view, SubSheet* box, uint32_t bit, int operation,
                     uint32_t mask);
void flag_SubSheet(SubSheet* box);

// --- outline and ports -------------------------------------------------------------------
// Rebuilds the box outline, drops the name layout, rebuilds every port's
// symbol and resets the inner area. 0.
int subsheet_build_box(Schema* doc, SubSheet* box);
// The symbol of one port on a box edge: a filled shape measured in the
// FONT_MODULETXT font, pointing into the box for an input on either edge.
// 0; without a canvas nothing more than dropping the name layout happens.
int subsheet_port_symbol(Schema* doc, Port* port);
// Box-relative bounds of a box port with its name (FONT_SHEETNET). Without
// symbol bounds: the accumulate flag, rectangle untouched.
bool bounds_SubSheetPort(Schema* doc, Port* port, Rect* rect, bool accumulate);
// The first port whose bounds, moved by the box position, contain the point.
Port* subsheet_port_at(Schema* doc, SubSheet* box, Point p);
// Side bits of the box edges near the point (each test looks at one coordinate).
int subsheet_border_hit(const SubSheet* box, Point p, int32_t tolerance);
// The vertical range the ports need.
void subsheet_port_span(const SubSheet* box, int32_t* top, int32_t* bottom);
// Moves the named sides and the ports on them.
void subsheet_resize(SubSheet* box, int32_t dx, int32_t dy, int sides);
// Clamps a resize so the box keeps its minimum width and the ports' span;
// *out gets the rectangle the resize would give.
void subsheet_resize_limits(const SubSheet* box, int32_t* dx, int32_t* dy, int sides, Rect* out,
                            int32_t top_limit, int32_t bottom_limit);
// Releases the port and takes it out of the list; nothing when it is not there.
void subsheet_remove_port(Schema* doc, SubSheet* box, Port* port);
// True when a port other than `except` sits exactly on the point.
bool subsheet_port_taken(const SubSheet* box, Point p, const Port* except);
void subsheet_reset_area(SubSheet* box);

// --- importing the ports of the named file ------------------------------------------------
// Replaces the port list by the interface ports of the schematic file and
// sizes the box for them (part of create_SubSheet). A file that cannot be
// opened or has no ports section leaves the box as it is.
void subsheet_import_ports(Schema* doc, SubSheet* box, const char* file_name);
// Sides from x within the drawing's bounds, left ports first then right
// ones, each by ascending y; the larger of the two counts.
int subsheet_sort_ports(SubSheet* box, const Rect& bounds);
// Left ports at (0, pitch), (0, 2 pitch), ...; right ones at (width, pitch), ...
void subsheet_place_ports(SubSheet* box, int32_t pitch);

// --- the port list in files -------------------------------------------------------------------
// Reads port records into the list (appending) up to the 0xE0 end mark,
// which is consumed. 0; -1 on a short read or a missing end mark;
// READ_ERROR when another record stands in the list.
int read_port_list(List* ports, FILE* stream);
