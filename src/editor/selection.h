#pragma once
// The selection of a sheet and what Main Mode does with it: pick by click
// or rectangle through the edit filter (property EDIT_MODE), move, drag
// with the wires attached following, delete, cut, copy and paste through
// the paste file.
//
// The selection is the document's edit list (its items carry the state bit
// 0x8000); items are records of the current sheet or of the ports list.
#include <vector>

#include "foundation/geometry.h"

struct EditSession;
struct SchItem;

// The items of the current sheet, then those of the ports list, whose
// rectangles meet the area (the document's bounds index), each group in
// list order.
std::vector<SchItem*> items_near(EditSession* session, const Rect& area);

// The item of the current sheet or the ports list nearest to the point
// within the pick distance that the edit filter admits, or null.
SchItem* item_at(EditSession* session, Point p);
struct PlacedPart;
// The shown field (reference, value or user field) of a placed part under
// the point, as the part and the field's index; false when none.
bool field_at(EditSession* session, Point p, PlacedPart** part, int* index);
// Moves field `index` of the placed part by the offset in one edit; the
// field is then placed (SET): it stays where the user put it. False
// without that field.
bool move_field(EditSession* session, PlacedPart* part, int index, Point delta);
// Forgets the selection (state bits cleared).
void select_clear(EditSession* session);
// Adds an item (nothing when already selected).
void select_add(EditSession* session, SchItem* item);
// Takes an item out of the selection.
void select_remove(EditSession* session, SchItem* item);
bool is_selected(const SchItem* item);
// Selects the items, admitted by the edit filter, whose bounds lie inside
// the rectangle {x, y, w, h} (w and h may be negative). The number added.
int select_area(EditSession* session, Rect area);
int selection_count(EditSession* session);

// Moves the selection by the offset (undo copy first). With drag, what
// stands where the moved items connect goes with them and the wires follow
// (editor/drag.h); a drag that would drop something onto another net is
// not made (the bell, and the status line says why). False when nothing is
// selected or the drag was not made.
bool move_selection(EditSession* session, Point delta, bool drag);
// What the status line says of a drag that would join another net.
extern const char* const DRAG_JOINS_PROMPT;
// Deletes the selected items (undo copy first). False when nothing is selected.
bool delete_selection(EditSession* session);
// Writes the selection into the paste file. 0; 73 when nothing is
// selected; 50 when the file cannot be written.
int copy_selection(EditSession* session);
// Copy, then delete. The copy's code (nothing deleted when it failed).
int cut_selection(EditSession* session);
// Reads the paste file and pushes "Paste": the pasted items follow the
// pointer (the first one's anchor at it) until a left click places them,
// where they become the selection; a right click or Esc drops them. A file
// that is not a sheet paste file, or is damaged, is refused with its code
// and the document stays as it was. 0 or the code.
int paste_selection(EditSession* session);

struct List;
struct Schema;

// Frees the document's edit buffer (the selection): each entry given back
// (pick links undone, state bits cleared), the list released.
void edit_clear_buffer(Schema* schema);
// A selection of exactly one link of picked pieces of the part under edit:
// 1 a pin, 2 a text or IEEE symbol, 3 a placed-part text (attribute), each
// ORed with 16, with *target the piece (a Pin* for 1); 0 for any other
// selection (*target null).
int edit_single_link_target(List* edit_buffer, void** target);
// Realizes every font record of the document again.
void fonts_realize(Schema* schema);
