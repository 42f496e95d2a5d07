// "Add Vectors ,...": lines, arcs, boxes, circles and filled polygons drawn
// into a part body or a title block, and the arithmetic of its arcs.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/part.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"
#include "model/items/wire_route.h"

namespace {

// Figure kinds and the states of the tool.
// A figure's first point is taken in the state of its kind, the next ones
// in the kind + NEXT_POINT.
constexpr int FIG_LINE = 1, FIG_ARC_ENDS = 2, FIG_ARC_CENTRE = 3, FIG_BOX = 4, FIG_CIRCLE = 5;
constexpr int NEXT_POINT = 10, ARC_BEND = 22, ARC_SWING = 23;

// The figure kind that draws a shape of that kind (DRAW_KIND_*).
int figure_of(int draw_kind) {
    switch (draw_kind) {
        case DRAW_KIND_ARC_END: return FIG_ARC_ENDS;
        case DRAW_KIND_ARC_CENTRE: return FIG_ARC_CENTRE;
        case DRAW_KIND_CIRCLE: return FIG_CIRCLE;
        case DRAW_KIND_BOX: return FIG_BOX;
        default: return FIG_LINE;
    }
}
// The synthetic click of the B and N keys.
constexpr int EV_KEY_CLICK = 10031;

struct VectorsTool {
    uint8_t kind;
    uint8_t state;
    uint8_t filled;
    uint8_t outline;
    uint8_t in_part;
    Vectors* figure;       // owned: the segments committed so far
    Vectors* last_figure;  // owned: the figure stored last
    Vectors* ghost;        // owned: the segment under construction
    Point start;
    Point last;
    uint8_t clockwise;
    Arc* arc;  // the arc in the ghost (owned by the ghost)
    int32_t pointer_x;
    int32_t previous_x;
    int32_t sweep;
    uint8_t converted;
    Point offset;           // minus the origin of the body picked
    Rect limit;             // the body picked
    uint8_t figure_hidden;  // the ghost painting leaves the figure out (pointer motion)
};

VectorsTool* vectors_tool(ModeInstance* instance) { return mode_data<VectorsTool>(instance); }

void free_set(Vectors*& set) {
    if (set) free_Vectors(set);
    set = nullptr;
}

void empty_set(Vectors* set) {
    if (!set) return;
    for (Item* item : list_items<Item>(set->items)) free_Item(item);
    while (set->items->count) dlist_remove_head(set->items, nullptr);
}

Vectors* new_set() {
    Vectors* set = new_Vectors();
    if (!set) no_memory();
    return set;
}

void vectors_ghost_repaint(EditSession* session, ModeInstance* instance) {
    VectorsTool* tool = vectors_tool(instance);
    if (tool->figure && !tool->figure_hidden && tool->figure->items->count)
        session->host->xor_items(tool->figure->items);
    if (tool->ghost && tool->ghost->items->count) session->host->xor_items(tool->ghost->items);
}

uint8_t drawing_flags() {
    return static_cast<uint8_t>((proper_get(DASH_STYLE) & ~STYLE_MASK) | DRAW);
}

const char* state_name(const VectorsTool* tool) {
    switch (tool->state) {
        case FIG_LINE:
        case FIG_LINE + NEXT_POINT: return tool->outline ? "Add Line" : "Add Polygon";
        case FIG_BOX:
        case FIG_BOX + NEXT_POINT: return "Add Box";
        case FIG_CIRCLE:
        case FIG_CIRCLE + NEXT_POINT: return "Add Circle";
        default: return tool->outline ? "Add Arc" : "Add Polygon";
    }
}

const char* state_prompt(const VectorsTool* tool) {
    switch (tool->state) {
        case FIG_LINE: return "Click Vector start";
        case FIG_ARC_ENDS:
        case FIG_ARC_CENTRE: return "Click Arc start";
        case FIG_BOX: return "Click first box corner";
        case FIG_CIRCLE: return "Click Circle center";
        case FIG_LINE + NEXT_POINT: return "Click Vector end";
        case FIG_ARC_ENDS + NEXT_POINT: return "Click Arc end";
        case FIG_ARC_CENTRE + NEXT_POINT: return "Click Arc center";
        case FIG_BOX + NEXT_POINT: return "Click second box corner";
        case FIG_CIRCLE + NEXT_POINT: return "Click Circle position";
        case ARC_BEND: return "Adjust Arc radius";
        case ARC_SWING: return "Adjust Arc end";
        default: return "";
    }
}

void show_state(EditSession* session, const VectorsTool* tool) {
    set_mode_name(session, state_name(tool));
    set_prompt(session, state_prompt(tool));
}

Rect arc_box(Arc* arc) {
    Rect box;
    bounds_Arc(nullptr, arc, &box, false);
    return box;
}

bool arc_fits(const VectorsTool* tool, Arc* arc) {
    return rect_inside_rect(arc_box(arc), tool->limit, 0);
}

Arc* make_arc(const VectorsTool* tool) {
    Arc* arc = new_Arc();
    if (!arc) no_memory();
    arc->flags = drawing_flags();
    arc->dir = tool->clockwise;
    return arc;
}

// The ghost holds one new item instead of what it held.
void ghost_take(VectorsTool* tool, SchItem* item) {
    empty_set(tool->ghost);
    append_or_die(tool->ghost->items, item);
}

// The arc of the ghost, bent (state 22) or swung (state 23) in place, keeps
// its former shape when it would leave the body.
void keep_inside(const VectorsTool* tool, Arc* arc, const Arc& before) {
    arc->dir = tool->clockwise;
    if (arc_fits(tool, arc)) return;
    arc->pos = before.pos;
    arc->start = before.start;
    arc->end = before.end;
    arc->dir = before.dir;
}

// State 22: the pointer's move to the right bends the arc by its ends.
void arc_adjust_radius(EditSession* session, VectorsTool* tool) {
    Arc* arc = tool->arc;
    if (!arc) return;
    const Arc before = *arc;
    tool->sweep = arc_sweep_step(tool->sweep, tool->pointer_x - tool->previous_x);
    tool->previous_x = tool->pointer_x;
    Point centre;
    if (!arc_centre_for_sweep(arc->start, arc->end, tool->sweep, &centre)) {
        session->host->bell();  // both ends on one point: no arc to bend
        return;
    }
    arc->pos = centre;
    tool->clockwise = tool->sweep >= 900 ? 1 : 0;
    keep_inside(tool, arc, before);
}

// State 23: the end of the arc by its centre follows the pointer round the circle.
void arc_adjust_end(VectorsTool* tool) {
    Arc* arc = tool->arc;
    if (!arc) return;
    const Arc before = *arc;
    arc->end = arc_end_toward(arc->pos, arc->start, tool->last);
    keep_inside(tool, arc, before);
}

// Rebuilds the ghost for the pointer (bouger_addline_vector).
void bouger_addline_vector(EditSession* session, VectorsTool* tool, Point p) {
    if (tool->state < NEXT_POINT) {
        set_prompt(session, state_prompt(tool));
        return;
    }
    if (tool->state == ARC_BEND) {
        arc_adjust_radius(session, tool);
    } else if (tool->state == ARC_SWING) {
        arc_adjust_end(tool);
    } else {
        switch (tool->state - NEXT_POINT) {
            case FIG_LINE: {
                SchItem* legs[2] = {nullptr, nullptr};
                int count = 0;
                route_Wire(proper_get(GEOMETRY), tool->start, p, &legs[0], &legs[1], &count);
                empty_set(tool->ghost);
                const uint8_t flags = tool->outline ? drawing_flags() : 0;
                for (int i = 0; i < 2; ++i) {
                    if (!legs[i]) continue;
                    if (i >= count) {
                        free_Item(legs[i]);
                        continue;
                    }
                    legs[i]->flags = flags;
                    if (legs[i]->type == ARC_ITEM) as_Arc(legs[i])->dir = tool->clockwise;
                    append_or_die(tool->ghost->items, legs[i]);
                }
                tool->arc = nullptr;
                break;
            }
            case FIG_ARC_ENDS:
            case FIG_ARC_CENTRE: {
                Arc* arc = make_arc(tool);
                arc->start = tool->start;
                if (tool->state - NEXT_POINT == FIG_ARC_ENDS) {
                    arc->end = p;
                    arc->pos = Point{static_cast<int32_t>((int64_t{tool->start.x} + p.x) / 2),
                                     static_cast<int32_t>((int64_t{tool->start.y} + p.y) / 2)};
                } else {
                    arc->pos = p;
                    arc->end = Point{world_add(int64_t{p.x} - p.y, tool->start.y),
                                     world_add(int64_t{p.y} + p.x, -int64_t{tool->start.x})};
                }
                if (arc_fits(tool, arc)) {
                    ghost_take(tool, arc);
                    tool->arc = arc;
                } else {
                    free_Arc(arc, false);
                }
                break;
            }
            case FIG_BOX: {
                Boite* box = new_Rect();
                if (!box) no_memory();
                box->flags = drawing_flags();
                box->pos = tool->start;
                box->corner = p;
                ghost_take(tool, box);
                tool->arc = nullptr;
                break;
            }
            case FIG_CIRCLE: {
                Circle* circle = new_Circle();
                if (!circle) no_memory();
                circle->flags =
                    tool->filled ? static_cast<uint8_t>(circle->flags | FILLED) : drawing_flags();
                circle->pos = tool->start;
                const Point c = tool->start;
                const Rect& l = tool->limit;
                const int64_t m = std::min(
                    {std::llabs(int64_t{c.x} - l.x), std::llabs(int64_t{c.x} - l.x - l.w),
                     std::llabs(int64_t{c.y} - l.y), std::llabs(int64_t{c.y} - l.y - l.h)});
                const double dx = double(p.x) - c.x, dy = double(p.y) - c.y;
                const int64_t d = static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
                circle->on = m >= d ? p : Point{world_add(c.x, m), c.y};
                ghost_take(tool, circle);
                tool->arc = nullptr;
                break;
            }
        }
    }
    const int state = tool->state;
    if ((state == FIG_ARC_ENDS + NEXT_POINT || state == FIG_ARC_CENTRE + NEXT_POINT ||
         state == ARC_BEND || state == ARC_SWING)) {
        if (tool->arc) tool->last = tool->arc->end;
    } else {
        tool->last = p;
    }
}

// The pointer is held inside the body picked (lines and boxes).
void constrain(EditSession* session, const VectorsTool* tool) {
    view_set_clip(&session->schema->view, tool->limit, CLIP_INSIDE);
}

void release_constraint(EditSession* session) {
    view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

// The body under the first click (vectors_part_reference); false when none.
bool vectors_part_reference(EditSession* session, VectorsTool* tool, Point p) {
    if (!tool->in_part) {
        tool->limit = Rect{0, 0, 9999999, 9999999};
        tool->offset = Point{0, 0};
        return true;
    }
    Boite* body = nullptr;
    if (!libedit_part_at_point(libedit_of(session), p, true, &body) || !body) return false;
    tool->limit = body_rect(body);
    tool->converted = (body->state & CONVERTED_BOX) ? 1 : 0;
    tool->offset =
        Point{world_add(0, -int64_t{tool->limit.x}), world_add(0, -int64_t{tool->limit.y})};
    constrain(session, tool);
    return true;
}

Point clamp_into(Point p, const Rect& r) {
    return Point{std::clamp(p.x, r.x, world_add(r.x, r.w)),
                 std::clamp(p.y, r.y, world_add(r.y, r.h))};
}

void vectors_begin_figure(EditSession* session, ModeInstance* instance, Point p) {
    VectorsTool* tool = vectors_tool(instance);
    if (!tool->figure) tool->figure = new_set();
    if (!tool->ghost) tool->ghost = new_set();
    tool->state = static_cast<uint8_t>(tool->kind + NEXT_POINT);
    tool->start = tool->last = p;
    ghost_erase(session, instance);
    bouger_addline_vector(session, tool, p);
    ghost_draw(session, instance);
    show_state(session, tool);
    SetModeCursor(session, instance, CURSOR_CROSS);
}

// A segment of no length (a click on the point before) draws nothing.
bool degenerate(const SchItem* item) {
    switch (item->type) {
        case LINE_ITEM: return as_Line(item)->pos == as_Line(item)->end;
        case ARC_ITEM: return as_Arc(item)->pos == as_Arc(item)->start;
        case CIRCLE_ITEM: return as_Circle(item)->pos == as_Circle(item)->on;
        case BOITE_ITEM:
            return item->pos.x == as_Rect(item)->corner.x || item->pos.y == as_Rect(item)->corner.y;
        default: return false;
    }
}

// The ghost's items join the figure; the next segment starts where it ended.
void vectors_take_ghost(VectorsTool* tool) {
    for (DListNode* node : dlist_nodes(tool->ghost->items)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        if (!degenerate(item)) continue;
        dlist_remove(tool->ghost->items, node, nullptr);
        free_Item(item);
    }
    dlist_concat(tool->figure->items, tool->ghost->items, nullptr);
    tool->arc = nullptr;
    tool->start = tool->last;
}

void vectors_commit_step(VectorsTool* tool) {
    switch (tool->state) {
        case FIG_ARC_ENDS + NEXT_POINT:
            tool->state = ARC_BEND;
            tool->previous_x = tool->pointer_x;
            tool->sweep = 0;
            break;
        case FIG_ARC_CENTRE + NEXT_POINT: tool->state = ARC_SWING; break;
        default:
            vectors_take_ghost(tool);
            if (tool->state == ARC_BEND) tool->state = FIG_ARC_ENDS + NEXT_POINT;
            if (tool->state == ARC_SWING) tool->state = FIG_ARC_CENTRE + NEXT_POINT;
            break;
    }
}

// Where a stored figure goes: a body of the part under edit, or the title
// block's graphics. Null when there is no part any more.
List* destination(EditSession* session, const VectorsTool* tool) {
    Schema* schema = session->schema;
    if (!tool->in_part) {
        if (!schema->titleblock.drawing) schema->titleblock.drawing = new_list_or_die();
        return schema->titleblock.drawing;
    }
    return part_body_items(libedit_of(session), tool->converted);
}

void vectors_commit_item(SchItem* item, const VectorsTool* tool, List* target) {
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, tool->offset.x, tool->offset.y);
    matrix_Item(item, &shift);
    if (item->type == ARC_ITEM) {
        arc_split_quadrants(as_Arc(item), target);
    } else {
        SchItem* copy = copy_SchItem(nullptr, item);
        if (!copy) no_memory();
        append_or_die(target, copy);
    }
    matrix_identity(&shift);
    matrix_translate(&shift, -tool->offset.x, -tool->offset.y);
    matrix_Item(item, &shift);
}

void store_figure(EditSession* session, VectorsTool* tool) {
    List* target =
        tool->figure && tool->figure->items->count ? destination(session, tool) : nullptr;
    if (target) {
        LibEditTransaction edit(libedit_of(session), LibEditTransaction::TAKEN);
        List* into = target;
        Fill* fill = nullptr;
        if (!tool->outline) {
            fill = new_Fill();
            if (!fill) no_memory();
            fill->pos = Point{0, 0};
            into = fill->items;
        }
        for (SchItem* item : list_items<SchItem>(tool->figure->items))
            vectors_commit_item(item, tool, into);
        if (fill) append_or_die(target, fill);
    }
    free_set(tool->last_figure);
    tool->last_figure = tool->figure;
    tool->figure = nullptr;
}

// The right click: an arc being bent or swung goes back to its second
// point; anything else stores the figure. True when the figure was stored.
bool vectors_finish_figure(EditSession* session, ModeInstance* instance) {
    VectorsTool* tool = vectors_tool(instance);
    if (tool->state == ARC_BEND) {
        tool->state = FIG_ARC_ENDS + NEXT_POINT;
        return false;
    }
    if (tool->state == ARC_SWING) {
        tool->state = FIG_ARC_CENTRE + NEXT_POINT;
        return false;
    }
    free_set(tool->ghost);
    tool->arc = nullptr;
    store_figure(session, tool);
    tool->state = tool->kind;
    show_state(session, tool);
    release_constraint(session);
    SetModeCursor(session, instance, CURSOR_CROSS);
    return true;
}

int32_t window_x(EditSession* session, Point p) {
    return view_to_screen(&session->schema->view, p).x;
}

int vectors_tool_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    VectorsTool* tool = vectors_tool(instance);
    if (code == EV_KEY_CLICK) code = EV_LEFT_UP;
    if (code == EV_ESC) code = EV_RIGHT_UP;  // Esc ends what a right click ends
    tool->pointer_x = window_x(session, p);
    if (tool->state < NEXT_POINT) {
        if (code == EV_RIGHT_UP) {
            PopMode(session);
            return 1;
        }
        if (code != EV_LEFT_UP) return code == EV_MOTION || code == EV_LEFT_DRAG ? 1 : 0;
        if (!tool->ghost && !vectors_part_reference(session, tool, p)) {
            session->host->bell();
            return 1;
        }
        const int kind = tool->kind;
        if (kind == FIG_ARC_ENDS || kind == FIG_ARC_CENTRE || kind == FIG_CIRCLE)
            release_constraint(session);
        vectors_begin_figure(session, instance, tool->in_part ? clamp_into(p, tool->limit) : p);
        return 1;
    }
    if (code != EV_LEFT_UP && code != EV_RIGHT_UP && code != EV_MOTION && code != EV_LEFT_DRAG)
        return 0;
    const bool motion = code == EV_MOTION || code == EV_LEFT_DRAG;
    // During pointer motion only the segment under way is drawn again.
    tool->figure_hidden = motion ? 1 : 0;
    ghost_erase(session, instance);
    tool->last = p;
    bouger_addline_vector(session, tool, p);
    bool stored = false;
    if (code == EV_LEFT_UP) {
        vectors_commit_step(tool);
        show_state(session, tool);
    } else if (code == EV_RIGHT_UP) {
        stored = vectors_finish_figure(session, instance);
        if (!stored) show_state(session, tool);
    }
    if (!stored) {
        if (!motion) bouger_addline_vector(session, tool, p);
        ghost_draw(session, instance);
    }
    tool->figure_hidden = 0;
    return 1;
}

void vectors_tool_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    VectorsTool* tool = vectors_tool(instance);
    tool->figure = tool->ghost = nullptr;
    tool->arc = nullptr;
    tool->clockwise = 0;
    SetModeCursor(session, instance, CURSOR_CROSS);
}

void vectors_tool_exit(EditSession* session, ModeInstance* instance) {
    VectorsTool* tool = vectors_tool(instance);
    free_set(tool->figure);
    free_set(tool->ghost);
    free_set(tool->last_figure);
    tool->arc = nullptr;
    if (session->schema) release_constraint(session);
}

// --- keys ---------------------------------------------------------------------------------------
// The ghost rebuilt at the pointer after a change of the tool's settings.
void reshape(EditSession* session, ModeInstance* instance) {
    VectorsTool* tool = vectors_tool(instance);
    if (tool->state >= NEXT_POINT) bouger_addline_vector(session, tool, session->pointer);
    ghost_draw(session, instance);
    show_state(session, tool);
}

int vectors_key_back(EditSession* session, ModeInstance* instance, int) {
    VectorsTool* tool = vectors_tool(instance);
    if (!tool->figure || !tool->figure->items->count) {
        session->host->bell();
        return 1;
    }
    ghost_erase(session, instance);
    SchItem* item = static_cast<SchItem*>(dlist_tail(tool->figure->items)->data);
    switch (item->type) {
        case CIRCLE_ITEM: tool->start = as_Circle(item)->on; break;
        case ARC_ITEM: tool->start = as_Arc(item)->start; break;
        default: tool->start = item->pos; break;
    }
    dlist_remove_tail(tool->figure->items, nullptr);
    free_Item(item);
    if (tool->state == ARC_BEND || tool->state == ARC_SWING)
        tool->state = static_cast<uint8_t>(tool->kind + NEXT_POINT);
    session->host->redraw();
    reshape(session, instance);
    return 1;
}

int vectors_key_item_type(EditSession* session, ModeInstance* instance, int) {
    VectorsTool* tool = vectors_tool(instance);
    if (!tool->outline) return 1;
    ghost_erase(session, instance);
    // Line, circle, arc by its ends, box, line again; an arc by its centre
    // stays one.
    switch (tool->kind) {
        case FIG_LINE: tool->kind = FIG_CIRCLE; break;
        case FIG_CIRCLE: tool->kind = FIG_ARC_ENDS; break;
        case FIG_ARC_ENDS: tool->kind = FIG_BOX; break;
        case FIG_BOX: tool->kind = FIG_LINE; break;
        default: break;
    }
    tool->state =
        static_cast<uint8_t>(tool->state >= NEXT_POINT ? tool->kind + NEXT_POINT : tool->kind);
    tool->arc = nullptr;
    reshape(session, instance);
    return 1;
}

int vectors_key_geometry(EditSession* session, ModeInstance* instance, int) {
    ghost_erase(session, instance);
    proper_set(GEOMETRY, (proper_get(GEOMETRY) + 1) % 4, 0);
    reshape(session, instance);
    return 1;
}

int vectors_key_arc_dir(EditSession* session, ModeInstance* instance, int) {
    VectorsTool* tool = vectors_tool(instance);
    ghost_erase(session, instance);
    tool->clockwise = tool->clockwise ? 0 : 1;
    tool->previous_x = tool->sweep >= 900 ? tool->pointer_x + 180 : tool->pointer_x - 180;
    tool->sweep = 900;
    reshape(session, instance);
    return 1;
}

int tool_key_begin(EditSession* session, ModeInstance* instance, int) {
    return vectors_tool_event(session, instance, EV_KEY_CLICK, session->pointer);
}

int tool_key_end(EditSession* session, ModeInstance* instance, int) {
    vectors_tool_event(session, instance, EV_KEY_CLICK, session->pointer);
    return session_event(session, EV_ESC, session->pointer);
}

const ToolKey vectors_keys[] = {
    {0, 0, "Mouse", "MB1 add items in the sheet.\n", nullptr, nullptr},
    {TK_BACK, TK_BACK, "BackSpace : Back one item",
     "The 'BackSpace' key back one item in 'line' mode.\n", libedit_key_always, vectors_key_back},
    {'I', 'i', "I or i : Change item type", "The 'I' or 'i' keys toggle the item type added.\n",
     libedit_key_always, vectors_key_item_type},
    {'X', 'x', "X or x : Change geometry type", "The 'X' or 'x' keys toggle the geometry type.\n",
     libedit_key_always, vectors_key_geometry},
    {'B', 'b', "B or b : Begin Wire/Bus/Draw", "The 'B' or 'b' keys begin a vector def.\n",
     libedit_key_always, tool_key_begin},
    {'N', 'n', "N or n : End Wire/Bus/Draw", "The 'N' or 'n' keys end a vector def.\n",
     libedit_key_always, tool_key_end},
    {' ', ' ', "Space : Change Arc",
     "In Arc mode, the space keys toggles between\nCW and CCW arcs.", libedit_key_always,
     vectors_key_arc_dir},
    {TK_ESCAPE, TK_ESCAPE, "Esc : Function exit", "The Esc key exits the function", esc_guard,
     esc_action},
};

// --- arcs ------------------------------------------------------------------------------------------
constexpr double DEGREES = 57.29577950560105;

// Angles closer than this are one (degrees): the conversion of an angle on
// an axis is not exact.
constexpr double ANGLE_EPSILON = 1e-7;

double angle_of(Point centre, Point p) {
    const double dx = double(p.x) - centre.x, dy = double(p.y) - centre.y;
    double a = dx == 0 ? (dy >= 0 ? 90.0 : -90.0) : std::atan2(dy, dx) * DEGREES;
    const double axis = std::round(a / 90.0) * 90.0;
    if (std::fabs(a - axis) < ANGLE_EPSILON) a = axis;
    if (a < 0) a += 360.0;
    return a >= 360.0 ? a - 360.0 : a;
}

// The point of the circle at an angle; exact on the axes.
Point on_circle(Point centre, int64_t r, double degrees) {
    const double q = degrees / 90.0;
    if (q == std::floor(q)) {
        static const int cosines[4] = {1, 0, -1, 0};
        static const int sines[4] = {0, 1, 0, -1};
        const int i = static_cast<int>(q) & 3;
        return Point{world_add(centre.x, r * cosines[i]), world_add(centre.y, r * sines[i])};
    }
    const double a = degrees / DEGREES;
    return Point{world_add(centre.x, static_cast<int64_t>(std::trunc(r * std::cos(a)))),
                 world_add(centre.y, static_cast<int64_t>(std::trunc(r * std::sin(a))))};
}

void append_arc(const Arc* model, Point start, Point end, List* target) {
    Arc* piece = copy_Arc(model);
    if (!piece) no_memory();
    piece->start = start;
    piece->end = end;
    append_or_die(target, piece);
    char line[200];
    std::snprintf(
        line, sizeof line,
        "Nouvel Arc: centreX=%d  centreY=%d  origX=%d  origY=%d   extrX=%d  extrY=%d  sens=%s\n",
        int(piece->pos.x), int(piece->pos.y), int(start.x), int(start.y), int(end.x), int(end.y),
        piece->dir ? "CW" : "CCW");
    services().debug_write(line);
}

}  // namespace

const ToolMode add_vectors_mode{"Add Vectors ,...",    sizeof(VectorsTool),   vectors_tool_enter,
                                vectors_tool_exit,     libedit_tool_suspend,  libedit_tool_resume,
                                vectors_tool_event,    vectors_ghost_repaint, vectors_ghost_repaint,
                                vectors_ghost_repaint, vectors_keys,          8};

ModeInstance* start_add_vectors_mode(EditSession* session, bool check_part, bool outline,
                                     const DrawShape& shape) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (check_part && libedit_refuse_without_part(ed)) return nullptr;
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_vectors_mode);
    VectorsTool* tool = vectors_tool(instance);
    tool->kind = tool->state = static_cast<uint8_t>(figure_of(shape.kind));
    tool->outline = outline ? 1 : 0;
    tool->in_part = check_part ? 1 : 0;
    tool->filled = shape.filled ? 1 : 0;
    show_state(session, tool);
    return instance;
}

ModeInstance* start_add_vectors(EditSession* session, bool in_part, const DrawShape& shape) {
    PopModesOf(session, &add_vectors_mode);
    return start_add_vectors_mode(session, in_part, true, shape);
}

ModeInstance* start_add_polygon(EditSession* session, bool in_part) {
    PopModesOf(session, &add_vectors_mode);
    return start_add_vectors_mode(session, in_part, false, DrawShape{});
}

ModeInstance* start_libedit_drawing(EditSession* session, bool in_part, int kind, bool filled) {
    if (filled && kind == DRAW_KIND_LINE) return start_add_polygon(session, in_part);
    return start_add_vectors(session, in_part,
                             DrawShape{.kind = kind, .filled = filled && kind == DRAW_KIND_CIRCLE});
}

int arc_sweep_step(int sweep, int dx) {
    int64_t s = int64_t{sweep} + 5 * int64_t{dx};
    s = std::clamp<int64_t>(s, 0, 1800);
    if (std::llabs(s - 900) < 10) s = s >= 900 ? 910 : 890;
    return static_cast<int>(s);
}

bool arc_centre_for_sweep(Point start, Point end, int sweep, Point* centre) {
    const int64_t dx = int64_t{end.x} - start.x, dy = int64_t{end.y} - start.y;
    const int64_t length = static_cast<int64_t>(std::sqrt(double(dx) * dx + double(dy) * dy));
    if (length == 0) return false;
    const double t = std::tan(sweep * 6.28318 / 3600);
    const double ux = double(dx) / length, uy = double(dy) / length;
    const double cx = std::trunc(t * uy * length / 2.0 + double(dx / 2));
    const double cy = std::trunc(double(dy / 2) - t * ux * length / 2.0);
    auto fit = [](double v) { return static_cast<int64_t>(std::clamp(v, -4e18, 4e18)); };
    *centre = Point{world_add(start.x, fit(cx)), world_add(start.y, fit(cy))};
    return true;
}

Point arc_end_toward(Point centre, Point start, Point pointer) {
    const double sx = double(start.x) - centre.x, sy = double(start.y) - centre.y;
    const double px = double(pointer.x) - centre.x, py = double(pointer.y) - centre.y;
    const int64_t r = static_cast<int64_t>(std::sqrt(sx * sx + sy * sy));
    const int64_t d = static_cast<int64_t>(std::sqrt(px * px + py * py));
    if (d == 0) return start;
    return Point{world_add(centre.x, static_cast<int64_t>(std::trunc(px * r / d))),
                 world_add(centre.y, static_cast<int64_t>(std::trunc(py * r / d)))};
}

int arc_split_quadrants(const Arc* arc, List* target) {
    const Point c = arc->pos;
    const double sx = double(arc->start.x) - c.x, sy = double(arc->start.y) - c.y;
    const int64_t r = static_cast<int64_t>(std::sqrt(sx * sx + sy * sy));
    char line[200];
    std::snprintf(
        line, sizeof line,
        "Arc Initial: centreX=%d  centreY=%d  origX=%d  origY=%d   extrX=%d  extrY=%d  sens=%s\n",
        int(c.x), int(c.y), int(arc->start.x), int(arc->start.y), int(arc->end.x), int(arc->end.y),
        arc->dir ? "CW" : "CCW");
    services().debug_write(line);
    const bool increasing = arc->dir != 0;
    if (arc->start == arc->end) {
        // A full circle: its four quarters, each run in the arc's direction.
        for (int q = 0; q < 4; ++q) {
            const Point a = on_circle(c, r, 90.0 * q), b = on_circle(c, r, 90.0 * (q + 1));
            if (increasing)
                append_arc(arc, a, b, target);
            else
                append_arc(arc, b, a, target);
        }
        return 4;
    }
    const double from = angle_of(c, arc->start), to = angle_of(c, arc->end);
    // How far the arc runs from its start in its direction; two ends at one
    // angle make a whole turn.
    double span = increasing ? to - from : from - to;
    if (span <= ANGLE_EPSILON) span += 360.0;
    int pieces = 0;
    double done = 0;
    double at = from;
    while (span - done > ANGLE_EPSILON && pieces < 5) {
        // The next multiple of 90 degrees in the arc's direction.
        double boundary =
            increasing ? (std::floor(at / 90.0) + 1) * 90.0 : (std::ceil(at / 90.0) - 1) * 90.0;
        double step = std::fabs(boundary - at);
        double next = boundary;
        if (done + step >= span - ANGLE_EPSILON) {
            step = span - done;
            next = to;  // the last piece ends on the arc's own end angle
        }
        append_arc(arc, on_circle(c, r, at), on_circle(c, r, next), target);
        ++pieces;
        done += step;
        at = next < 0 ? next + 360.0 : next >= 360.0 ? next - 360.0 : next;
    }
    return pieces;
}
