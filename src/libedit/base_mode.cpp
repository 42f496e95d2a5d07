// The base mode of the library and template windows: a press on empty
// space drawn out selects an area (the view's selection polygon), a press
// on the lower-right corner or edge of a body drawn out resizes the body,
// and a double click opens the dialog of what lies under it.
#include <algorithm>
#include <cstdlib>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "libedit/libedit.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

namespace {

enum Phase : int { IDLE = 0, AREA, RESIZE };

struct BaseTool {
    int phase;
    Point press;
    Rect body;  // the body being resized
    Point min_size;
    Boite* outline;  // owned ghost: the area or the new body
};

BaseTool* base_tool(ModeInstance* instance) { return mode_data<BaseTool>(instance); }

void base_ghost_paint(EditSession* session, ModeInstance* instance) {
    BaseTool* tool = base_tool(instance);
    if (!tool->outline) return;
    List shown;
    append_or_die(&shown, tool->outline);
    session->host->xor_items(&shown);
    dlist_remove_head(&shown, nullptr);
}

void drop_outline(EditSession* session, ModeInstance* instance) {
    ghost_erase(session, instance);
    BaseTool* tool = base_tool(instance);
    if (tool->outline) free_Rect(tool->outline, false);
    tool->outline = nullptr;
    tool->phase = IDLE;
}

// The body whose right or bottom edge lies within the hit distance of the
// point, the corner included.
bool body_edge_at(LibEdit* ed, Point p, Rect* body) {
    if (!ed || !libedit_part(ed)) return false;
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != BOITE_ITEM || !(item->state & BODY_BOX) ||
            (item->flags & STYLE_MASK) == DRAW)
            continue;
        const Rect r = body_rect(as_Rect(item));
        const int64_t right = int64_t{r.x} + r.w, bottom = int64_t{r.y} + r.h;
        const bool near_right =
            std::llabs(p.x - right) < LIBEDIT_HIT && p.y >= r.y && p.y <= bottom + LIBEDIT_HIT;
        const bool near_bottom =
            std::llabs(p.y - bottom) < LIBEDIT_HIT && p.x >= r.x && p.x <= right + LIBEDIT_HIT;
        if (near_right || near_bottom) {
            *body = r;
            return true;
        }
    }
    return false;
}

void shape_outline(BaseTool* tool, Point p) {
    if (!tool->outline) {
        tool->outline = new_Rect();
        if (!tool->outline) no_memory();
        tool->outline->flags = DRAW | 0x04;  // dashed
    }
    if (tool->phase == RESIZE) {
        tool->outline->pos = Point{tool->body.x, tool->body.y};
        tool->outline->corner = Point{std::max(p.x, world_add(tool->body.x, tool->min_size.x)),
                                      std::max(p.y, world_add(tool->body.y, tool->min_size.y))};
    } else {
        tool->outline->pos = tool->press;
        tool->outline->corner = p;
    }
}

void base_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_ARROW);
    set_prompt(session, "");
}

void base_exit(EditSession* session, ModeInstance* instance) { drop_outline(session, instance); }

int base_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    BaseTool* tool = base_tool(instance);
    LibEdit* ed = libedit_of(session);
    switch (code) {
        case EV_LEFT_DOWN:
        case EV_LEFT_DOWN_SHIFT:
        case EV_LEFT_DOWN_CTRL:
            drop_outline(session, instance);
            tool->press = p;
            tool->phase =
                session->kind == CANVAS_LIBRARY && body_edge_at(ed, p, &tool->body) ? RESIZE : AREA;
            if (tool->phase == RESIZE)
                tool->min_size = part_pin_extent(ed, libedit_first_placed(ed));
            return 1;
        case EV_LEFT_DRAG:
            if (tool->phase == IDLE) return 1;
            ghost_erase(session, instance);
            shape_outline(tool, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            const int phase = tool->phase;
            const bool drawn = tool->outline != nullptr;
            if (drawn) shape_outline(tool, p);
            const Rect chosen = drawn ? body_rect(tool->outline) : Rect{};
            drop_outline(session, instance);
            View* view = &session->schema->view;
            if (phase == RESIZE && drawn && ed) {
                LibEditTransaction edit(ed);
                libedit_set_body_size(ed, chosen);
            } else if (phase == AREA && drawn) {
                view_set_select_rect(view, chosen);
                session->host->redraw();
            } else if (phase == AREA) {
                view_clear_select(view);
                session->host->redraw();
            }
            return 1;
        }
        case EV_LEFT_DCLICK:
            drop_outline(session, instance);
            // What the pointer is on, else what lies at its grid point.
            if (ed && !libedit_edit_selection(ed, session->pointer_exact) &&
                !(p == session->pointer_exact))
                libedit_edit_selection(ed, p);
            return 1;
        case EV_RIGHT_UP:
        case EV_ESC: drop_outline(session, instance); return 1;
        default: return 0;
    }
}

const ToolKey base_keys[] = {
    {0, 0, "Mouse", "MB1 select an area, or drag a body's corner to resize it.\n", nullptr,
     nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode libedit_main_mode{
    "Libedit Main Mode", sizeof(BaseTool), base_enter,       base_exit,        nullptr,   nullptr,
    base_event,          base_ghost_paint, base_ghost_paint, base_ghost_paint, base_keys, 2};
