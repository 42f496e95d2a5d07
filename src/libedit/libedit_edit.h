#pragma once
// "Libedit Edit": the Edit commands of the library and template windows on
// the items of a part body or of a title block. The selection is the items
// inside the view's selection area (the command then acts once and the
// tool ends) or the item or pin clicked (the tool then waits for the next
// one). Rotate, mirror and cut show the selection blinking until a
// confirming click; copy and move drag it and act where the user clicks; a
// right click gives up the command. Pins are never rotated or mirrored
// ("Cannot do it with Pin(s).").
#include <cstdint>

#include "editor/command_ids.h"
#include "editor/tool_mode.h"
#include "foundation/geometry.h"

struct LibEdit;
struct PlacedPart;

// The state bit of what the tool picked (items and pins).
constexpr uint32_t LIBEDIT_PICKED = 2;

extern const ToolMode libedit_edit_mode;  // "Libedit Edit"

// The library window's command (CMD_CUT ... CMD_MIRROR_Y, CMD_MOVE) of
// an id of either window: the title block's TEMPLATE_EDIT_* map to them.
int libedit_edit_command(int id);
// Ends every running "Libedit Edit" and starts it with the command (undo
// copy first). With a selection area the area is taken at once: rotate and
// mirror act and the tool ends (null), cut, copy and move drag it. Null when
// nothing runs (no part in a library window, nothing in the area).
ModeInstance* start_libedit_edit_mode(EditSession* session, bool in_part, int command);
// The blink timer's tick: the blinking selection shown or hidden.
void libedit_blink_tick(EditSession* session);

// What lies under a point: the nearest item of a part's body (its code,
// with *placed the placed part it was found on) or pin (0), or, in a
// template, the nearest item of the graphics or controls (its code); 127
// for nothing within the hit distance. *hit is the item or the Pin.
int libedit_hit_test(LibEdit* ed, bool in_part, PlacedPart** placed, void** hit, Point p);
// A double click: the dialog of the pin, text or IEEE symbol under the
// point (of a title block's text or control), or of the placed part's name
// or reference. False when nothing is there.
bool libedit_edit_selection(LibEdit* ed, Point p);
