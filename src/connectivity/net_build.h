#pragma once
// Building the nets of one sheet.
//
// build_sheet_nets turns the items of the schema's current sheet into
// islands of connected wires with their connection points, then into named
// nets, in twelve fixed phases; later phases rely on what earlier ones left:
//
//   1  preparation: leftovers of an earlier build removed, connection bits
//      reset, wire and bus ends ordered (smaller x first, then smaller y),
//      chain links cleared, every item marked as part of this pass;
//   2  pseudo-pins: every connection point (part pins, power symbols, ports,
//      no-connect marks, sub-sheet ports, then the schema's ports) gets a
//      pseudo-pin and, but for a no-connect mark, a temporary stub wire;
//   3  wire ends: collinear wires that overlap or meet end to end are merged
//      (a temporary wire over both, or one of them taking the union);
//   4  mark_ends_open;
//   5  junctions: wires split at junction dots and at part pin tips lying
//      strictly inside them, used junctions marked;
//   6  arcs: wires and arcs sharing an end point are chained together;
//   7  nothing;
//   8  islands: one Ident head in front of every chain;
//   9  members: pseudo-pins attached to the islands whose wire ends they touch;
//  10  merge_named_islands: names given by labels, power symbols, ports,
//      sub-sheet ports and power pins; islands of one name merged;
//  11  expand_buses: bus member nets get the alias names of their buses;
//  12  clean-up: temporary wires removed (pseudo-pins stay for the net file).
//
// Chains: wires and arcs that touch are joined into one doubly linked chain
// through their prev/next links; after phase 8 its first record is the head
// (head.next = first wire). Members hang from head.nextconn through their
// own prev/next.
//
// build_sheet_nets lays its temporary wires in a table of its own (see
// net_table.h) instead of on the sheet, finds the records that can touch
// through look-up tables, and leaves on the sheet what the phases written
// out record by record leave: the same nets, names, members, chains and
// state words. The record routines below are those phases' own; the editor's
// refresh uses them, and the tests compare the build with them.
//
// Results are 0 or a code of the error table (9: no memory for a merge set).
// Allocation failures are out-of-memory stops.
#include <cstdint>
#include <optional>
#include <string>

#include "foundation/geometry.h"
#include "model/items/item.h"

struct Ident;
struct Line;
struct List;
struct DListNode;
struct NetContext;
struct PseudoPin;
struct Schema;

// Connection bits in the state word while nets are built.
enum : uint32_t {
    NET_VISITED = 0x0002,      // named, visited or taken in this pass
    NET_IGNORED = 0x0080,      // not matched: drawing and bus lines, absorbed wires
    NET_FIRST_OPEN = 0x0100,   // nothing connected at the first end yet
    NET_SECOND_OPEN = 0x0200,  // ... at the second end
    NET_ENDS_OPEN = 0x0300,
    NET_TEMPORARY = 0x0400,        // made by the builder, removed by the clean-up
    NET_UNUSED_JUNCTION = 0x0800,  // a junction that meets no wire
    NET_CURRENT_PASS = 0x100000,   // item of the current pass; the editor's touched mark
    NET_TOUCHED_WIRE = 0x200000,   // also taken as touched for wires by the refresh
};

// Result of a wire comparison when the first wire was absorbed.
constexpr int WIRE_ABSORBED = 1002;
// Kind of the alias names bus expansion gives member nets.
constexpr int32_t NAME_BUS_ALIAS = 16;

// --- driver ----------------------------------------------------------------------------
int build_sheet_nets(NetContext* context, Schema* schema);

// Phase 1, the preparation, which the record phases share.
int net_prepare(NetContext* context, Schema* schema);
// Phase 5 on the records, through a table of lines by carrier: used by the
// editor's refresh (in editor mode, where it cuts the wires themselves).
int junctions_on_records(NetContext* context, Schema* schema);

// Removes what a build left on the schema's current sheet: its temporary
// records, and in full mode its pseudo-pins and the context's heads; the
// connection bits and chain links of the remaining items are reset.
void sheet_nets_cleanup(NetContext* context, Schema* schema, int full);

// --- stub wires, pseudo-pins and chains ------------------------------------------------
// A wire from a to b, ends ordered, state OR 0x700 unless in editor mode,
// appended to the list and remembered as the last stub.
Line* add_stub_wire(Point a, Point b, List* list);
// The stub wires of a placed part's pins, a power symbol, a port or a
// sub-sheet box's ports (phase 2), with their pseudo-pins when asked;
// the number of stubs made (other codes: 0).
int add_item_stubs(Schema* schema, SchItem* item, List* list, bool with_members);
// p + by, each coordinate kept inside the 32-bit range.
Point offset_point(Point p, Point by);
// The list node of the last stub wire made.
DListNode* last_stub_node();
// A member pseudo-pin at the point (state OR 0x400) appended to the list.
// It stands for `whoami` (a power symbol, port, no-connect mark or sub-sheet
// port) or for `pin` of the placed part `father`.
struct Pin;
PseudoPin* add_PseudoPin(Point point, SchItem* whoami, Pin* pin, SchItem* father, SchItem* stub,
                         List* list);
// Swaps a line's ends so that the first has the smaller x (then smaller y).
void order_line_ends(Line* line);
// Chains b's whole chain after a's (nothing in editor mode, or when they are
// already one chain). Returns a's last record before the join.
SchItem* join_chains(NetContext* context, SchItem* a, SchItem* b);
// The first record of an item's chain (following prev).
SchItem* chain_first(NetContext* context, SchItem* item);
// Takes an item out of its chain (its links are left as they were).
void unlink_chain_item(SchItem* item);

// --- geometry ------------------------------------------------------------------------------
// 2 on the first point, 3 on the second, 1 strictly inside, else 0.
// Coordinates are exact integers; a non-zero tolerance is allowed around
// vertical and horizontal lines and, as a distance, around sloped ones.
int point_on_wire(Point p, const Line* line, int32_t tolerance);
// True when some bus line of the sheet has the point on it.
bool bus_at(NetContext* context, Point p);
// Wire kinds by the flag bits 0-1.
inline bool is_drawing_line(const SchItem* item) { return (item->flags & STYLE_MASK) == DRAW; }
inline bool is_bus_line(const SchItem* item) { return (item->flags & STYLE_MASK) == BUS; }
inline bool is_wire_line(const SchItem* item) {
    return item->type == LINE_ITEM && !is_drawing_line(item) && !is_bus_line(item);
}

// Phase 3's comparison of two collinear-candidate wires: 0, or
// WIRE_ABSORBED when l1 was absorbed. May merge, join and add a wire.
int compare_wires(NetContext* context, Line* l1, Line* l2);
// Splits a wire at a point strictly inside it (phase 5).
void split_wire(NetContext* context, Line* wire, Point s);
// The placed part's pin tip of a member pseudo-pin standing for a part
// pin; false for any other member.
bool member_pin_tip(NetContext* context, Schema* schema, PseudoPin* pp, Point* tip);
// Applies phase 5's junction rule to one junction and one line.
void junction_meets_line(NetContext* context, SchItem* junction, Line* line);
// Phase 6's rule for two records (lines or arcs) in list order.
void join_if_ends_meet(NetContext* context, SchItem* a, SchItem* b);
// End points of a line or arc (count 2), else 0.
int item_ends(const SchItem* item, Point ends[2]);

// --- islands, members and names ----------------------------------------------------------
// Phase 9's attachment of a member to a wire or arc whose end it touches.
void attach_member(NetContext* context, PseudoPin* pp, SchItem* wire);
// Whether an item names a net, and with which text.
bool item_net_name(const SchItem* item, std::string* name);
// The kind of name (NAME_PIN, NAME_POWER, NAME_PORT) a member standing for
// the pin of the part `father`, or for `whoami` (a power symbol, a port, a
// no-connect mark, or a port of the sub-sheet box `father`), gives its net
// when it names one; 0 when it never does.
int32_t member_name_kind(const SchItem* whoami, const Pin* pin, const SchItem* father);
// The first wire in list order on which a point lies, or null.
Line* first_wire_at(NetContext* context, Point p);
// The head's first name record equal ignoring case (ASCII) and of that kind
// (-1: any kind); null when none.
struct NameRec;
NameRec* find_name(const Ident* head, const char* name, int32_t kind);
// Equality of net names ignoring ASCII case.
bool net_names_equal(const char* a, const char* b);
// The net's preferred name among the names list (power, then port, label,
// power-pin names; bus aliases never), commas turned into full stops. The
// stored names are not changed. Nothing when no name qualifies.
std::optional<std::string> net_preferred_name(const List* names);
// The name of the unnamed net of that number (from 0): "N" and the number
// in at least five digits, "N00042".
std::string unnamed_net_name(int number);
// Phase 10: names the islands and merges the islands of one name; 0, or 9
// when no merge set can be made.
int merge_named_islands(NetContext* context);
// Puts the island of a naming item into the merge set (phase 10).
void add_to_merge_set(NetContext* context, SchItem* item);
// Merges every head of the merge set into its first.
void merge_islands(NetContext* context);
// A new empty merge set (the old one freed); false when none can be made.
bool new_merge_set(NetContext* context);
// Attaches the sheet's net-property labels to their nets (end of phase 10).
void attach_net_properties(NetContext* context);
// Counter of unnamed nets for the netlist writers.
void reset_net_counter();
int next_net_number();
