// "Add Wires,...": wires, buses and drawing lines as chains of clicks (each
// click ends the routed legs and starts the next ones at that point), and
// circles and boxes by two clicks. The routing of a leg follows GEOMETRY.
#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "model/items/wire_route.h"

int draw_item_kind = DRAW_KIND_LINE;
bool draw_line_flag = false;
bool draw_bus_flag = false;
bool draw_filled_flag = false;

namespace {

struct WireData {
    bool started;  // a first point was clicked
    Point start;
    SchItem* legs[2];  // owned: the ghost legs (or the circle or box)
    int count;         // legs in use
    int kind;          // draw_item_kind at the start
    uint8_t style;     // DRAW, BUS or 0 for a wire
    bool filled;
};

WireData* wire(ModeInstance* instance) { return mode_data<WireData>(instance); }

void free_legs(WireData* data) {
    for (SchItem*& leg : data->legs) {
        if (leg) free_Item(leg);
        leg = nullptr;
    }
    data->count = 0;
}

void xor_legs(EditSession* session, ModeInstance* instance) {
    WireData* data = wire(instance);
    List shown;
    for (int i = 0; i < data->count; ++i)
        if (!dlist_append(&shown, data->legs[i])) no_memory();
    if (shown.count) session->host->xor_items(&shown);
    while (shown.count) dlist_remove_head(&shown, nullptr);
}

SchItem* styled(SchItem* item, const WireData* data) {
    item->flags = static_cast<uint8_t>((item->flags & ~STYLE_MASK) | data->style);
    if (data->filled && item->type == CIRCLE_ITEM) item->flags |= FILLED;
    return item;
}

// Shapes the ghost from the start to p.
void shape(WireData* data, Point p) {
    switch (data->kind) {
        case DRAW_KIND_CIRCLE: {
            if (!data->legs[0]) data->legs[0] = new_Circle();
            if (!data->legs[0]) no_memory();
            Circle* circle = as_Circle(data->legs[0]);
            circle->pos = data->start;
            circle->on = p;
            data->count = 1;
            break;
        }
        case DRAW_KIND_BOX: {
            if (!data->legs[0]) data->legs[0] = new_Rect();
            if (!data->legs[0]) no_memory();
            Boite* box = as_Rect(data->legs[0]);
            box->pos = data->start;
            box->corner = p;
            data->count = 1;
            break;
        }
        default: {
            int mode = proper_get(GEOMETRY);
            if (data->kind == DRAW_KIND_ARC_END || data->kind == DRAW_KIND_ARC_CENTRE)
                mode = ROUTE_ARC;
            if (!data->legs[0]) data->legs[0] = new_Line();
            if (!data->legs[0]) no_memory();
            route_Wire(mode, data->start, p, &data->legs[0], &data->legs[1], &data->count);
            break;
        }
    }
    for (int i = 0; i < data->count; ++i) styled(data->legs[i], data);
}

bool degenerate(const SchItem* item) {
    switch (item->type) {
        case LINE_ITEM: return as_Line(item)->pos == as_Line(item)->end;
        case CIRCLE_ITEM: return as_Circle(item)->pos == as_Circle(item)->on;
        case BOITE_ITEM: {
            const Boite* box = as_Rect(item);
            return box->pos.x == box->corner.x || box->pos.y == box->corner.y;
        }
        default: return false;
    }
}

// Places copies of the ghost legs; false when all were empty.
bool commit(EditSession* session, WireData* data) {
    Sheet* sheet = session->schema->current;
    int useful = 0;
    for (int i = 0; i < data->count; ++i) useful += degenerate(data->legs[i]) ? 0 : 1;
    if (useful == 0 || !sheet) return false;
    EditTransaction edit(session);
    SchItem* first = nullptr;
    SchItem* last = nullptr;
    for (int i = 0; i < data->count; ++i) {
        if (degenerate(data->legs[i])) continue;
        sheet_add_item_copy(session->schema, sheet, data->legs[i]);
        last = static_cast<SchItem*>(dlist_tail(sheet->items)->data);
        last->state &= ~STATE_SELECTED;
        edit.touch(last);
        if (!first) first = last;
    }
    canvas_set_repeat_range(session, first, last);
    return true;
}

void wire_enter(EditSession* session, ModeInstance* instance) {
    WireData* data = wire(instance);
    data->kind = draw_item_kind;
    data->style = draw_line_flag ? DRAW : draw_bus_flag ? BUS : 0;
    data->filled = draw_filled_flag;
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Click the first point");
}

void wire_exit(EditSession*, ModeInstance* instance) { free_legs(wire(instance)); }

int wire_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    WireData* data = wire(instance);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            if (!data->started) return 1;
            ghost_erase(session, instance);
            shape(data, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            ghost_erase(session, instance);
            if (!data->started) {
                data->started = true;
                data->start = p;
                set_prompt(session, "Click the next point");
            } else {
                shape(data, p);
                commit(session, data);
                free_legs(data);
                bool chain = data->kind != DRAW_KIND_CIRCLE && data->kind != DRAW_KIND_BOX;
                data->started = chain;
                data->start = p;
                if (!chain) set_prompt(session, "Click the first point");
            }
            if (data->started) {
                shape(data, p);
                ghost_draw(session, instance);
            }
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC:
            // The first ends the chain under way, the next one the mode.
            if (data->started) {
                ghost_erase(session, instance);
                free_legs(data);
                data->started = false;
                set_prompt(session, "Click the first point");
                return 1;
            }
            PopMode(session);
            return 1;
        default: return 0;
    }
}

const ToolKey wire_keys[] = {
    {0, 0, "Left : Point  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode add_wires_mode{"Add Wires,...", sizeof(WireData), wire_enter, wire_exit,
                              nullptr,         nullptr,          wire_event, xor_legs,
                              xor_legs,        xor_legs,         wire_keys,  2};

ModeInstance* start_add_wires(EditSession* session) {
    edit_checkpoint(session);
    return PushMode(session, &add_wires_mode);
}
