#pragma once
// The connectivity refresh that keeps a sheet electrically clean while it is
// edited. The sheet editor marks the items an edit touched with state bit
// 0x100000 (0x200000 also counts for wires) and calls refresh_connectivity,
// which changes the sheet for good: wire and bus ends ordered, touched
// wires fused with the collinear wires of their kind they overlap (a
// junction added where a fusion leaves something that met them end to end
// touching the middle of the fused wire), wire ends lying on a pin's line
// pulled to the pin's tip (never shrinking a wire to nothing: one that
// reaches the tip stays), a junction dot added where a touched wire and
// another wire meet end to middle (a T that looks joined is joined), wires
// cut at touched junction dots, and the wires absorbed deleted. It runs the shared wire routines of the net
// builder in editor mode: no temporary records, no chains. The touched
// marks are the editor's to set and clear.
#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/geometry.h"

struct Line;
struct List;
struct NetContext;
struct Schema;
struct SchItem;

// With no context a temporary one is made and freed. The result of the
// junction step, 0 when the schema has no current sheet or items.
int refresh_connectivity(NetContext* context, Schema* schema);
int refresh_sheet_connectivity(NetContext* context, Schema* schema);

// What a refresh of touched items tells its caller about the lines it
// changes, so that the change can be taken back. Empty slots: nothing.
struct RefreshEdits {
    // Called right before a line of the sheet changes in place (its ends
    // put in order, grown over a line it absorbed, pulled onto a pin tip,
    // cut at a junction).
    std::function<void(SchItem* line)> changing;
    // Given each line the refresh absorbed, still on the sheet: the
    // receiver takes it off (sheet_take_out) and owns it. Empty: the line
    // is taken off and freed.
    std::function<void(SchItem* line)> removed;
    // Called for each item the refresh appended to the sheet: a piece a cut
    // made, a junction that keeps a fused wire joined.
    std::function<void(SchItem* item)> added;
    // Called after a line's two ends were exchanged to put them in order
    // (its rectangle stays); empty: `changing` is called before instead.
    std::function<void(SchItem* line)> swapped;
};

// Puts the ends of every wire and bus line of the current sheet in order
// (the first end the one with the smaller x, then the smaller y), as each
// refresh does before it starts. A line turned round draws as before.
void order_sheet_wire_ends(Schema* schema);

// The same refresh, with the same result on the sheet, looking only at the
// lines and parts near the touched items (the items that carry the touched
// marks, given in any order), through the document's bounds index, which
// it keeps true. Its cost follows what was touched, not the sheet: besides
// the lines it meets it orders the ends of the lines the index noted out
// of order (an editing session orders every line's ends when it starts on
// a sheet, and the index notes the lines filed out of order since).
int refresh_touched(NetContext* context, Schema* schema, const std::vector<SchItem*>& touched,
                    const RefreshEdits& edits = {});

// Pulls onto the pin's tip the ends of the sheet's wire and bus lines that
// lie inside the pin's line (tip first, inner end second); a line along the
// pin that reaches its tip stays, one with both ends inside has the nearer
// one pulled.
void snap_wires_to_pin(NetContext* context, Point tip, Point inner);
// The same for one wire, the first end from the inner side inclusive, the
// second end up to the tip inclusive.
void snap_wire_to_pin(Point tip, Point inner, Line* wire);

// While the editor moves items (the schema's edit list exists): appends to
// *list (made when missing) wire pieces standing for the item's connection
// points: a line's copy and an arc's chord when copy_lines is set, the stub
// wires of a placed part's pins, of a power symbol, port or sub-sheet box,
// a zero-length piece for a no-connect mark. With copy_lines the last piece
// made gets in its `next` link the line, arc or no-connect mark it stands
// for. The number of pieces made; 0 when the editor moves nothing.
int connection_stubs_of_item(Schema* schema, SchItem* item, List** list, bool copy_lines);
