#pragma once
// How the sheet editor reaches the edit dialogs of its items: a double
// click, the Edit Item command with its "Find Item" mode (the next click
// names the item) and the Add commands of the Place menu, which open the
// same dialogs for a new item. The dialogs themselves are the window's
// (EditHost::edit_item); here is only what chooses the item and its kind.
//
// A kind is named by an edit code. Most are the record codes of what they
// edit; two are not: EDIT_CODE_SHEET_NET edits a port standing on a
// sub-sheet box (a record of code 14 in the box's port list), and
// EDIT_CODE_FIELD edits one field of a placed part, passed as the pick's
// attribute link (a PseudoPin with role PP_LINK_ATTRIBUTE: the text shown,
// the placed part and the field index).
#include <cstdint>

#include "editor/command_ids.h"
#include "foundation/geometry.h"

struct EditSession;
struct List;
struct Schema;
struct SchItem;

enum : int {
    EDIT_CODE_TEXT = 7,
    EDIT_CODE_PART = 10,
    EDIT_CODE_POWER = 12,
    EDIT_CODE_PORT = 14,
    EDIT_CODE_SHEET = 15,
    EDIT_CODE_SHEET_NET = 19,
    EDIT_CODE_FIELD = 20,
    EDIT_CODE_NETPROP = 22,
};

// The operation of start_edit_items that opens the edit dialog.
constexpr int EDIT_OPERATION = 7;
// The filter word of the Edit Item command: any item that has a dialog.
constexpr uint32_t EDIT_ITEM_FILTER = 0x4000;

// The edit code a record of the sheet is edited as (its own code for the
// kinds that have a dialog), 0 for a record without one.
int edit_code_of(const SchItem* item);

// What a click at p edits: an attribute text of a placed part (as its
// link), a text, a placed part, a power symbol, a port, a sub-sheet box or
// a net-property label, in that order of preference; *code gets its edit
// code. *picks receives the pick result (owned by the caller: release it
// with release_edit_picks once the edit is done; the link lives in it).
// Null when nothing editable lies there.
SchItem* edit_pick_at(EditSession* session, Point p, int* code, List** picks);
void release_edit_picks(Schema* schema, List** picks);
// Picks at p and runs the operation on what was picked (the dialog opens
// and, being modal, has ended when this returns). False when nothing
// editable lies there or nothing started.
bool edit_item_at(EditSession* session, Point p, int operation);

// The Edit Item command: every "Find Item" mode ends; on an empty document
// the bell rings and the prompt reads "No Item found" (0). With
// allow_polygon and a selection polygon of 3 points or more the polygon
// chooses: 1 when it flagged any item (state bit 0x8000), else the bell and
// the prompt (0). Otherwise "Find Item" is pushed with the filter word, the
// auto-activation armed and 0 answered: the next click edits the item
// under it.
int edit_item_cmd(EditSession* session, bool allow_polygon, uint32_t filter);
// While the auto-activation is armed: disarms it and records the command
// and the operation that the click of "Find Item" runs.
void set_pending_click(EditSession* session, int command, uint8_t operation);

// The Add commands of the Place menu: the dialog of the kind for a new item.
void add_power_cmd(EditSession* session);
void add_net_cmd(EditSession* session);
void add_port_cmd(EditSession* session);
void add_text_cmd(EditSession* session);
void add_sheet_cmd(EditSession* session);
void add_netprop_cmd(EditSession* session);
