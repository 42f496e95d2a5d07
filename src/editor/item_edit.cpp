// The edit entry of the sheet editor: what a click edits, the Edit Item
// command with its "Find Item" mode, and the Add commands of the dialogs.
#include "editor/item_edit.h"

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/document.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/documents/pick.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/view.h"

int edit_code_of(const SchItem* item) {
    if (!item) return 0;
    switch (item->type) {
        case TEXT_ITEM:
        case PARTLIB_ITEM:
        case POWER_ITEM:
        case PORT_ITEM:
        case SUBSHEET_ITEM:
        case NETPROP_ITEM: return item->type;
        case PSEUDO_PIN: {
            const PseudoPin* link = as_PseudoPin(item);
            if (link->role == PP_LINK_ATTRIBUTE) return EDIT_CODE_FIELD;
            // A port of a sub-sheet box is edited through its box, which
            // sends the click on to the port (the box's border opens nothing).
            if (link->role == PP_LINK_SUBSHEET_PORT) return EDIT_CODE_SHEET;
            return 0;
        }
        default: return 0;
    }
}

SchItem* edit_pick_at(EditSession* session, Point p, int* code, List** picks) {
    *code = 0;
    *picks = nullptr;
    Schema* schema = session ? session->schema : nullptr;
    if (!schema || !schema_select_at(schema, p, picks, 0)) return nullptr;
    // Fields and texts before the records they stand on or beside.
    SchItem* chosen = nullptr;
    for (int pass = 0; pass < 2 && !chosen; ++pass) {
        for (SchItem* item : list_items<SchItem>(*picks)) {
            int c = edit_code_of(item);
            bool preferred = c == EDIT_CODE_FIELD || c == EDIT_CODE_TEXT;
            if (c == 0 || (pass == 0 && !preferred)) continue;
            chosen = item;
            *code = c;
            break;
        }
    }
    // A sub-sheet port's link stands for its box.
    if (chosen && chosen->type == PSEUDO_PIN && *code == EDIT_CODE_SHEET)
        chosen = as_PseudoPin(chosen)->father;
    return chosen;
}

void release_edit_picks(Schema* schema, List** picks) {
    if (!*picks) return;
    for (DListNode* node : dlist_nodes(*picks)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        dlist_remove(*picks, node, nullptr);
        release_picked_entry(schema, item);
    }
    dlist_free(*picks, LIST_FROM_HEAD, nullptr);
    *picks = nullptr;
}

bool edit_item_at(EditSession* session, Point p, int operation) {
    int code = 0;
    List* picks = nullptr;
    SchItem* item = edit_pick_at(session, p, &code, &picks);
    Schema* schema = session ? session->schema : nullptr;
    bool started = item && start_edit_items(session, operation, item, p, code);
    release_edit_picks(schema, &picks);
    return started;
}

// --- "Find Item": the next click names the item to edit -----------------------------------------
namespace {

struct FindItemData {
    uint32_t filter;  // the kinds the click may choose (EDIT_ITEM_FILTER: any with a dialog)
};

void nothing_found(EditSession* session) {
    session->host->bell();
    set_prompt(session, "No Item found");
}

void find_item_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_HAND);
    set_prompt(session, "Click the item to edit");
}

int find_item_event(EditSession* session, ModeInstance*, int code, Point p) {
    switch (code) {
        case EV_LEFT_UP: {
            int operation = session->auto_operation ? session->auto_operation : EDIT_OPERATION;
            session->auto_operation = 0;
            session->auto_active = false;
            PopMode(session);
            // The item under the pointer, else the one at its grid point.
            const Point exact = session->pointer_exact;
            if (!edit_item_at(session, exact, operation) &&
                (p == exact || !edit_item_at(session, p, operation))) {
                session->restart_command = 0;
                nothing_found(session);
            }
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC:
            session->auto_active = false;
            session->auto_operation = 0;
            PopMode(session);
            return 1;
        default: return 0;
    }
}

const ToolKey find_item_keys[] = {
    {0, 0, "Left : Edit the item  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode find_item_mode{"Find Item",     sizeof(FindItemData),
                              find_item_enter, nullptr,
                              nullptr,         nullptr,
                              find_item_event, nullptr,
                              nullptr,         nullptr,
                              find_item_keys,  2};

int edit_item_cmd(EditSession* session, bool allow_polygon, uint32_t filter) {
    if (!session || !session->schema) return 0;
    PopModesOf(session, &find_item_mode);
    Schema* schema = session->schema;
    if (schema_is_empty(schema)) {
        nothing_found(session);
        return 0;
    }
    // The selection goes: the click or the polygon makes a new one.
    edit_clear_buffer(schema);
    {
        FlagOpScope clear(STATE_SELECTED | STATE_BOTH_ENDS, FLAGOP_CLEAR);
        flag_Schema(schema);
    }
    session->host->redraw();
    if (allow_polygon && view_has_select_area(&schema->view)) {
        if (select_Schema(schema, STATE_SELECTED, 1, filter)) return 1;
        nothing_found(session);
        return 0;
    }
    ModeInstance* instance = PushMode(session, &find_item_mode);
    session->click_state = 0;
    mode_data<FindItemData>(instance)->filter = filter;
    session->auto_active = true;
    return 0;
}

void set_pending_click(EditSession* session, int command, uint8_t operation) {
    if (!session || !session->auto_active) return;
    session->auto_active = false;
    session->restart_command = command;
    session->auto_operation = operation;
}

// --- the Add commands ----------------------------------------------------------------------------
namespace {

void add_item(EditSession* session, int code) {
    if (session) start_edit_items(session, EDIT_OPERATION, nullptr, Point{}, code);
}

}  // namespace

void add_power_cmd(EditSession* session) { add_item(session, EDIT_CODE_POWER); }
void add_net_cmd(EditSession* session) { add_item(session, EDIT_CODE_SHEET_NET); }
void add_port_cmd(EditSession* session) { add_item(session, EDIT_CODE_PORT); }
void add_text_cmd(EditSession* session) { add_item(session, EDIT_CODE_TEXT); }
void add_sheet_cmd(EditSession* session) { add_item(session, EDIT_CODE_SHEET); }
void add_netprop_cmd(EditSession* session) { add_item(session, EDIT_CODE_NETPROP); }
