// The placement commands of the sheet editor: each starts, restarts or
// refreshes a placement mode, deciding whether a running instance of the
// same kind is reused (settings reloaded in place, no second undo copy) or
// popped and pushed anew (an undo copy taken after the push); and the
// hierarchy commands that open a sub-sheet's file.
#include <string>

#include "editor/edit_ops.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

void stamp_set_part(EditSession* session, ModeInstance* instance, PlacedPart* pl, const Rect& box);

namespace {

void push_then_checkpoint(EditSession* session, const ToolMode* mode) {
    PushMode(session, mode);
    edit_checkpoint(session);
}

// The refresh of a running mode: ghost erased, settings reloaded, ghost
// drawn again; no undo copy.
void refresh(EditSession* session, ModeInstance* instance,
             void (*reload)(EditSession*, ModeInstance*)) {
    bool shown = instance->ghost_shown;
    ghost_erase(session, instance);
    reload(session, instance);
    if (shown) ghost_draw(session, instance);
}

void start_reloadable(EditSession* session, const ToolMode* mode,
                      void (*reload)(EditSession*, ModeInstance*)) {
    if (ModeInstance* running = FindMode(session, mode))
        refresh(session, running, reload);
    else
        push_then_checkpoint(session, mode);
}

}  // namespace

int start_graphic_mode(EditSession* session, const DrawShape& shape) {
    PopModesOf(session, &add_wires_mode);
    return start_add_wires(session, shape) ? 0 : NO_MEMORY;
}

void start_junction_mode(EditSession* session) {
    PopModesOf(session, &add_junction_mode);
    push_then_checkpoint(session, &add_junction_mode);
}

void start_noconnect_mode(EditSession* session) {
    PopModesOf(session, &add_nocon_mode);
    push_then_checkpoint(session, &add_nocon_mode);
}

void start_net_mode(EditSession* session) {
    start_reloadable(session, &add_net_mode, net_tool_reload);
}

void start_port_mode(EditSession* session) {
    start_reloadable(session, &add_port_mode, port_tool_reload);
}

void start_netprop_mode(EditSession* session) {
    start_reloadable(session, &add_netprop_mode, netprop_tool_reload);
}

void start_power_mode(EditSession* session, uint8_t kind) {
    if (ModeInstance* running = FindMode(session, &add_power_mode)) {
        *power_kind_byte(running) = kind;
        refresh(session, running, power_tool_reload);
        return;
    }
    ModeInstance* instance = PushMode(session, &add_power_mode);
    *power_kind_byte(instance) = kind;
    power_tool_reload(session, instance);
    edit_checkpoint(session);
}

void ground_button(EditSession* session) {
    if (!session || session->kind != CANVAS_SHEET) return;
    int type = proper_get(POWER_TYPE);
    int sens = proper_get(POWER_SENS);
    std::string name = strproper_get(POWER_NAME);
    int name_on = proper_get(POWER_NAME_ON);
    proper_set(POWER_TYPE, 0x88, POWER_SENS, 2, POWER_NAME, "Gnd", POWER_NAME_ON, 0x10, 0);
    start_power_mode(session, 1);
    proper_set(POWER_TYPE, type, POWER_SENS, sens, POWER_NAME, name.c_str(), POWER_NAME_ON, name_on,
               0);
}

void start_sheet_mode(EditSession* session, const char* sheet_name, const char* file_name) {
    PopModesOf(session, &add_sheet_mode);
    start_add_sheet(session, sheet_name, file_name);
}

int start_part_mode(EditSession* session, const char* library, const char* part_name, bool convert,
                    bool visible_power) {
    Schema* schema = session->schema;
    PlacedPart* placed = nullptr;
    int result = part_search_setup(schema, part_name, library, &placed);
    if (result != 0 || !placed) {
        if (result == 0) no_memory();
        free_PlacedPart(schema, placed, false);
        error_box(nullptr, "Error", 0x40, 10, part_name ? part_name : "");
        return 10;
    }
    Part* part = pl_get_part(schema->library, placed);
    if (!part || !part->convert || !part->convert->items || part->convert->items->count == 0)
        convert = false;
    fonts_realize(schema);
    PopModesOf(session, &add_part_mode);
    ModeInstance* instance = PushMode(session, &add_part_mode);
    stamp_set_part(session, instance, placed, part ? part->body : Rect{});
    part_tool_init(session, instance, convert, visible_power);
    init_pin_display(part, convert);
    edit_checkpoint(session);
    return 0;
}

int enter_sheet_cmd(EditSession* session) {
    Schema* schema = session->schema;
    SchItem* only = nullptr;
    int boxes = 0;
    if (schema && schema->current)
        for (SchItem* item : list_items<SchItem>(schema->current->items))
            if (item->type == SUBSHEET_ITEM && boxes++ == 0) only = item;
    if (boxes == 1) {
        const SubSheet* box = as_SubSheet(only);
        return open_subsheet(session,
                             Point{box->pos.x + box->size.x / 2, box->pos.y + box->size.y / 2});
    }
    if (FindMode(session, &enter_sheet_mode))
        session->host->bell();
    else
        PushMode(session, &enter_sheet_mode);
    return 0;
}

int open_subsheet(EditSession* session, Point p) {
    Schema* schema = session ? session->schema : nullptr;
    SchItem* hit = schema && schema->current ? sheet_subsheet_at(schema->current, p) : nullptr;
    if (!hit) {
        if (session) set_prompt(session, message_text(nullptr, 82).c_str());
        return 82;
    }
    session->host->hide_sheet_dialog();
    std::string file = as_SubSheet(hit)->file_name;
    if (!file.empty())
        session->host->open_sheet(file.c_str(), as_SubSheet(hit));
    else
        session->host->bell();
    return 0;
}

// --- "Enter Sheet": the click names the box to open ------------------------------------------------
namespace {

void enter_sheet_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_HAND);
    set_prompt(session, "Click inside a Sheet");
}

int enter_sheet_event(EditSession* session, ModeInstance*, int code, Point p) {
    switch (code) {
        case EV_LEFT_UP:
            if (open_subsheet(session, p) == 0) PopMode(session);
            return 1;
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

const ToolKey enter_sheet_keys[] = {
    {0, 0, "Left : Open the sheet  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode enter_sheet_mode{"Enter Sheet", 0,       enter_sheet_enter, nullptr,
                                nullptr,       nullptr, enter_sheet_event, nullptr,
                                nullptr,       nullptr, enter_sheet_keys,  2};

bool start_edit_items(EditSession* session, int operation, SchItem* item, Point p, int code) {
    if (!session || operation != 7) return false;
    return session->host->edit_item(item, p, code);
}
