#pragma once
// The interactive tools of the library and template windows, on the
// canvas's mode stack (editor/tool_mode.h), and the arithmetic of their
// arcs.
//
// "Add Vectors ,..." draws lines, arcs, boxes, circles and filled polygons
// into the body of the part under edit (a library window) or into the title
// block's graphics (a template window): each left click ends a segment and
// starts the next one where it ended, a right click (or Esc) stores the
// figure, a right click with no figure under way ends the tool. An arc given
// by its two ends is then bent with the pointer, one given by its centre
// swung to its end. Stored arcs never cross a quarter of the circle.
//
// "Add Body" sets the body size (and with it the number of devices and the
// converted form) of the part under edit: the outlines of every device
// follow the pointer, the click stores them.
//
// The base mode of both windows selects an area (the view's selection
// polygon), resizes a body by its lower-right corner and opens the dialog of
// what a double click falls on (libedit_edit_selection).
//
// "Add Pin" (below), "Add Text" and "Add IEEE" (libedit/libedit_items.h) and
// "Libedit Edit" (libedit/libedit_edit.h) are the other tools.
#include <cstdint>

#include "editor/tool_mode.h"
#include "foundation/geometry.h"

struct Arc;
struct DrawShape;
struct List;

extern const ToolMode libedit_main_mode;  // "Libedit Main Mode"
extern const ToolMode add_vectors_mode;   // "Add Vectors ,..."
extern const ToolMode add_body_mode;      // "Add Body"
extern const ToolMode add_pin_mode;       // "Add Pin"

// Undo copy and push of "Add Vectors ,..." drawing figures of the shape's
// kind (DRAW_KIND_*; its circles filled or not), which the tool keeps; with
// check_part a library window without a part under edit refuses (bell and
// "Place Body First !!!"). outline 0 draws a filled polygon. Null when
// refused.
ModeInstance* start_add_vectors_mode(EditSession* session, bool check_part, bool outline,
                                     const DrawShape& shape);
// The menu entries: every running "Add Vectors ,..." ends first.
ModeInstance* start_add_vectors(EditSession* session, bool in_part, const DrawShape& shape);
ModeInstance* start_add_polygon(EditSession* session, bool in_part);
// A drawing entry of the Place menus: a figure of the kind (DRAW_KIND_*),
// filled or not (a filled line is a filled polygon, a filled circle a
// disc; the fill is the entry's tool's only), the tool started as above.
// Null when refused.
ModeInstance* start_libedit_drawing(EditSession* session, bool in_part, int kind, bool filled);

// Undo copy and push of "Add Body" for a package of `devices` (at least one
// outline is drawn) with or without the converted form.
ModeInstance* start_add_body_mode(EditSession* session, int devices, bool converted);

// Undo copy and push of "Add Pin" with the shape bits and type of the
// pins it adds, the name of the first one and the numbers of its first
// device (null or empty: none); without a part under edit the bell and
// "Place Body First !!!" (null). The first click picks a body; the pin
// then follows the pointer on the body's outline, each click adds one and
// asks the numbers it lacks; a right click ends the tool and asks for the
// pin dialog again.
ModeInstance* start_add_pin_mode(EditSession* session, int shape, int type, const char* name,
                                 const char* references);
// Add/Edit Pin's Add: the fields stored, every running "Add Pin" ended, the
// tool started with them.
struct PinFields;
ModeInstance* libedit_add_pin(EditSession* session, const PinFields& fields);

// --- arcs ------------------------------------------------------------------------------------
// The bend of an arc given by its ends, in tenths of a degree 0..1800: the
// pointer moved dx to the right bends it by 5 dx; 900 (a straight chord)
// is never reached, 890 and 910 being the nearest values.
int arc_sweep_step(int sweep, int dx);
// The centre of the arc from start to end bent by the sweep; false (and
// nothing set) when the two ends are one point.
bool arc_centre_for_sweep(Point start, Point end, int sweep, Point* centre);
// The point of the circle through start about the centre in the direction
// of the pointer (start itself when the pointer is on the centre).
Point arc_end_toward(Point centre, Point start, Point pointer);
// Appends to the list copies of the arc cut where it crosses a multiple of
// 90 degrees: at most five arcs (a full circle four, a half circle from 0
// to 180 degrees two). The number appended.
int arc_split_quadrants(const Arc* arc, List* target);
