#pragma once
// The modes of the sheet editor and the commands that start them.
//
// Each add mode shows the item it would place as a ghost that follows the
// pointer; a left release places a copy (connectivity refreshed, the
// document marked modified and redrawn), a right release or Esc ends the
// mode. Each takes its values from the configuration properties, so the
// dialogs that set them start the same modes.
//
// Every change of the document goes through one EditTransaction
// (editor/edit_transaction.h): the one-level undo copy first, then the
// change, then outlines, connectivity, the modified mark and the repaint of
// what changed. The placement commands decide, per mode, whether a
// running instance is reused (its settings reloaded in place, no second
// undo copy) or popped and pushed anew.
#include <cstdint>

#include "editor/tool_mode.h"

struct List;
struct NetProp;
struct PlacedPart;
struct Schema;
struct SchItem;

// --- descriptors ---------------------------------------------------------------------
extern const ToolMode main_mode;            // "Main Mode"
extern const ToolMode add_wires_mode;       // "Add Wires,..."
extern const ToolMode add_junction_mode;    // "Add Junction"
extern const ToolMode add_nocon_mode;       // "Add No Connect"
extern const ToolMode add_net_mode;         // "Add Net"
extern const ToolMode add_port_mode;        // "Add Port"
extern const ToolMode add_netprop_mode;     // "Add Netprop"
extern const ToolMode add_power_mode;       // "Add Power"
extern const ToolMode add_part_mode;        // "Add Part"
extern const ToolMode add_sheet_mode;       // "Add Sheet"
extern const ToolMode add_text_mode;        // "Add Text"
extern const ToolMode enter_sheet_mode;     // "Enter Sheet"
extern const ToolMode zoom_area_mode;       // "Zoom Area"
extern const ToolMode zoom_mode;            // "Zoom": clicks zoom in and out
extern const ToolMode find_item_mode;       // "Find Item": the click names the item to edit
extern const ToolMode place_bookmark_mode;  // "Place Book Mark"
extern const ToolMode paste_mode;           // "Paste": pasted items follow the pointer

// --- what the drawing tools draw -------------------------------------------------------
enum : int {
    DRAW_KIND_LINE = 1,
    DRAW_KIND_ARC_END = 2,
    DRAW_KIND_ARC_CENTRE = 3,
    DRAW_KIND_CIRCLE = 4,
    DRAW_KIND_BOX = 5,
};
// The shape a drawing tool is started with; each running tool keeps its
// own, so that a tool started in one window never changes another's.
struct DrawShape {
    int kind = DRAW_KIND_LINE;  // DRAW_KIND_*
    bool line = false;          // a drawing (graphic) line rather than a wire
    bool bus = false;           // a bus rather than a wire
    bool filled = false;        // a filled circle (library editor)
};

// --- undo and the end of every edit ----------------------------------------------------
// The undo point before an edit of the sheet's items (an empty journal the
// edit's transaction fills); Undo enabled. On a library or template
// session, the library editor's own copy. Nothing for a null session.
void edit_checkpoint(EditSession* session);
// The same with a copy of the whole document, for a change that is not
// told to the journal (a dialog's).
void edit_checkpoint_document(EditSession* session);
// Undo (command 20073 on a sheet): the document goes back to the journal
// or the copy;
// every mode above the base is popped first, the selection cleared, and
// the Undo command disabled. 0, or the code of a copy that cannot be read
// back (the document is then left as it is).
int undo_sheet(EditSession* session);
// The items an edit touched carry this mark until connectivity was
// refreshed (EditTransaction::touch sets it, the transaction's end clears it).
constexpr uint32_t STATE_TOUCHED = 0x100000;
constexpr uint32_t STATE_TOUCHED_WIRE = 0x200000;

// --- repeat ------------------------------------------------------------------------------
// The items the last placement made become the repeat range.
void canvas_set_repeat_range(EditSession* session, SchItem* first, SchItem* last);
// Sets Main Mode's repeat flag (on for a count above 1).
void canvas_set_repeat(EditSession* session, int count);
// Forgets the selection record and the repeat range.
void canvas_clear_selection_info(EditSession* session);
// Places copies of the repeat range moved by RDELTA_X, RDELTA_Y, their
// labels stepped by RDELTA_L; they become the new range. False when there
// is nothing to repeat.
bool repeat_last_placement(EditSession* session);

// --- starting the tools --------------------------------------------------------------------
// Undo copy and push of "Add Wires,..." drawing the shape.
ModeInstance* start_add_wires(EditSession* session, const DrawShape& shape);
// Where a wire end clicked at p ends: on the nearest connection point (a
// part's non-power pin, a junction, a port, a power symbol, a sub-sheet
// port, a supply pin's place reached through its drawn line) within three
// quarters of a grid step, at least the pick distance; else at p.
Point snap_wire_end(EditSession* session, Point p);
// The supply (power) pin whose drawn line passes nearest p within that
// reach: where it connects (*connects) and its drawn outer end (*drawn).
bool supply_pin_near(EditSession* session, Point p, Point* connects, Point* drawn);
// Undo copy and push of "Add Sheet" with a new box for the file and name.
ModeInstance* start_add_sheet(EditSession* session, const char* sheet_name, const char* file_name);
// Undo copy and push of "Add Text"; a font id of 10 or more takes its size
// from the document's font table.
ModeInstance* start_text_tool(EditSession* session, const char* text, uint8_t attributes, int xsize,
                              int ysize, int font);
// Replaces the text under placement of a running "Add Text" (undo copy,
// ghost erased and drawn again).
void text_tool_set(EditSession* session, ModeInstance* instance, const char* text,
                   uint8_t attributes, int xsize, int ysize, int font);
// Operation 7 opens the edit dialog of an edit code for the item (for a
// new item of that kind when the item is null). False when nothing started.
bool start_edit_items(EditSession* session, int operation, SchItem* item, Point p, int code);
// Resets "Add Part"'s placement state for a new part.
void part_tool_init(EditSession* session, ModeInstance* instance, bool convert, bool visible_power);

// Reload a running placement mode's values from the properties, and hide /
// show its ghost.
void net_tool_reload(EditSession* session, ModeInstance* instance);
void port_tool_reload(EditSession* session, ModeInstance* instance);
void netprop_tool_reload(EditSession* session, ModeInstance* instance);
void power_tool_reload(EditSession* session, ModeInstance* instance);
void net_ghost_erase(ModeInstance* instance, EditSession* session);
void net_ghost_draw(ModeInstance* instance, EditSession* session);
void port_ghost_erase(ModeInstance* instance, EditSession* session);
void port_ghost_draw(ModeInstance* instance, EditSession* session);
void netprop_ghost_erase(ModeInstance* instance, EditSession* session);
void netprop_ghost_draw(ModeInstance* instance, EditSession* session);
void power_ghost_erase(ModeInstance* instance, EditSession* session);
void power_ghost_draw(ModeInstance* instance, EditSession* session);

// The item an add mode would place now (its ghost), or null.
SchItem* mode_ghost_item(ModeInstance* instance);
// A net-property label takes the dialog's seven settings (its symbol is
// left to the caller).
void netprop_take_settings(NetProp* label);
// Names the ghost of the running mode (Add Power, Add Port or Add Net) with
// the whole of a typed name; nothing when the mode is not running.
void stamp_name_ghost(EditSession* session, const ToolMode* mode, const char* name);
// The "Add Power" instance's power-kind byte: 0 the dialog's Add, 1 the
// toolbar's ground button.
uint8_t* power_kind_byte(ModeInstance* instance);

// --- placement commands ------------------------------------------------------------------------
int start_graphic_mode(EditSession* session, const DrawShape& shape);
void start_junction_mode(EditSession* session);
void start_noconnect_mode(EditSession* session);
void start_net_mode(EditSession* session);
void start_port_mode(EditSession* session);
void start_netprop_mode(EditSession* session);
void start_power_mode(EditSession* session, uint8_t kind);
// The toolbar's ground button: "Gnd", name hidden, the power dialog's
// stored values left as they were.
void ground_button(EditSession* session);
void start_sheet_mode(EditSession* session, const char* sheet_name, const char* file_name);
// 0, or 10 "Part not found" (shown in an error box with the part name).
int start_part_mode(EditSession* session, const char* library, const char* part, bool convert,
                    bool visible_power);
int enter_sheet_cmd(EditSession* session);
// "Place Book Mark" for a slot 0..4 (its name set when given); null for
// another slot. The click stores the bookmark.
ModeInstance* start_bookmark_mode(EditSession* session, int slot, const char* name);
// Moves the pointer to a bookmark; false when the slot is not in use.
bool jump_to_bookmark(EditSession* session, int slot);
// 0, or 82 "Click inside a Sheet!" (shown as the prompt) when no sub-sheet
// box holds the point.
int open_subsheet(EditSession* session, Point p);
