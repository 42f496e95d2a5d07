#pragma once
// What the sheet editor does per item kind, in a table beside the
// operations table (model/items/item_ops.h): where wires attach to a record
// (a drag takes the wire ends lying there along), how its generated drawing
// is rebuilt after an edit, the name a repeat steps, and what a selection
// box must enclose to take it.
#include <vector>

#include "foundation/geometry.h"

struct Schema;
struct SchItem;

struct PlacedPart;

// The points where wires attach to the item, in sheet coordinates,
// appended to *out. Kinds that nothing attaches to add none.
void item_connection_points(Schema* schema, SchItem* item, std::vector<Point>* out);
// A pin of a placed part on the sheet: its line from the end where wires
// attach (the tip) to the body. A power pin attaches at its own place,
// which is both ends here; its line is drawn out from there to `drawn`
// (for other pins the tip).
struct PinLine {
    Point tip;
    Point inner;
    bool power = false;
    Point drawn;
};
// The pins of the form the part shows, placed, appended to *out.
void part_pin_lines(Schema* schema, PlacedPart* part, std::vector<PinLine>* out);
// Rebuilds the generated drawing of a power symbol, port, sub-sheet box or
// net-property label from its record; other kinds have none (false).
bool item_rebuild_outline(Schema* schema, SchItem* item);
// Steps the name of a name-carrying item (power, port, net property, text)
// by the step, as a repeat does; other kinds keep theirs.
void item_step_label(SchItem* item, int step);
// The rectangle a selection box must enclose to take the item: what the
// user sees of it. False when the item has no extent.
bool item_select_frame(Schema* schema, SchItem* item, Rect* out);
// True when the editor's table has a row for the code (every kind a sheet
// holds, so that no kind falls through silently).
bool item_has_edit_row(int code);
