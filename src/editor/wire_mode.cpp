// "Add Wires,...": wires, buses and drawing lines as chains of clicks (each
// click ends the routed legs and starts the next ones at that point), and
// circles and boxes by two clicks. The routing of a leg follows GEOMETRY.
#include <algorithm>
#include <vector>

#include "connectivity/net_rules.h"
#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "model/items/view.h"
#include "model/items/wire_route.h"

namespace {

struct WireData {
    bool started;  // a first point was clicked
    Point start;
    SchItem* legs[2];  // owned: the ghost legs (or the circle or box)
    int count;         // legs in use
    int kind;          // DRAW_KIND_*
    uint8_t style;     // DRAW, BUS or 0 for a wire
    bool filled;
};

WireData* wire(ModeInstance* instance) { return mode_data<WireData>(instance); }

// Beyond the longest supply pin of a part at its largest scale.
constexpr int64_t SUPPLY_PIN_MARGIN = 8000;

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

// Wires end on the connection point the pointer is at (a part's pin off
// the grid among them); drawing lines, buses and shapes go where it is.
bool snaps_to_connections(const WireData* data) {
    return data->style == 0 && data->kind == DRAW_KIND_LINE;
}

int64_t cross(Point o, Point a, Point b) {
    return (int64_t{a.x} - o.x) * (int64_t{b.y} - o.y) -
           (int64_t{a.y} - o.y) * (int64_t{b.x} - o.x);
}

// Whether the segments u-v and a-b share a point.
bool segments_meet(Point u, Point v, Point a, Point b) {
    if (point_on_segment(a, u, v) || point_on_segment(b, u, v) || point_on_segment(u, a, b) ||
        point_on_segment(v, a, b))
        return true;
    auto side = [](int64_t c) { return (c > 0) - (c < 0); };
    return side(cross(u, v, a)) * side(cross(u, v, b)) < 0 &&
           side(cross(a, b, u)) * side(cross(a, b, v)) < 0;
}

// Whether they lie on one line and share more than a point.
bool segments_overlap(Point u, Point v, Point a, Point b) {
    if (u == v || a == b || cross(u, v, a) != 0 || cross(u, v, b) != 0) return false;
    const bool across = u.x != v.x;
    auto at = [&](Point p) { return across ? int64_t{p.x} : int64_t{p.y}; };
    return std::min(std::max(at(u), at(v)), std::max(at(a), at(b))) >
           std::max(std::min(at(u), at(v)), std::min(at(a), at(b)));
}

// Whether a leg of a route (u to v, across or down) meets what the user
// sees of a part anywhere but where a wire is meant to end on it: a pin's
// line (a wire through it joins it, or runs along it unseen) other than at
// the pin's end where the leg ends, a supply pin's line other than by a leg
// that ends where it connects and runs along it from outside, or the
// inside of the part's body.
bool leg_meets_part(Schema* schema, PlacedPart* part, Point u, Point v,
                    std::vector<PinLine>* pins) {
    auto ends_at = [&](Point p) { return p == u || p == v; };
    pins->clear();
    part_pin_lines(schema, part, pins);
    bool along_supply = false;
    for (const PinLine& pin : *pins) {
        const Point far = pin.power ? pin.drawn : pin.inner;
        if (!segments_meet(u, v, pin.tip, far)) continue;
        if (pin.power && ends_at(pin.tip) && point_on_segment(pin.drawn, u, v) != 0) {
            along_supply = true;  // along the supply pin to where it connects
            continue;
        }
        // Ended on the pin's end from outside, the two meet there alone.
        if (ends_at(pin.tip) && !segments_overlap(u, v, pin.tip, far)) continue;
        return true;
    }
    if (along_supply) return false;
    Rect body{};
    if (!pl_body_rect(schema, part, &body) || body.w <= 0 || body.h <= 0) return false;
    // The leg's points inside the body's rectangle (edges excluded).
    const int64_t x0 = std::max<int64_t>(std::min(u.x, v.x), body.x);
    const int64_t x1 = std::min<int64_t>(std::max(u.x, v.x), int64_t{body.x} + body.w);
    const int64_t y0 = std::max<int64_t>(std::min(u.y, v.y), body.y);
    const int64_t y1 = std::min<int64_t>(std::max(u.y, v.y), int64_t{body.y} + body.h);
    if (u.y == v.y) return u.y > body.y && u.y < int64_t{body.y} + body.h && x0 < x1;
    return u.x > body.x && u.x < int64_t{body.x} + body.w && y0 < y1;
}

// Whether a route from a through the corner c to b meets a part as above.
// The parts are looked for along each leg (supply pins stand out of a
// part's rectangle by their length: that much further).
bool route_meets_parts(EditSession* session, Point a, Point c, Point b) {
    std::vector<PinLine> pins;
    auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    for (const auto& [u, v] : {std::pair{a, c}, std::pair{c, b}}) {
        if (u == v) continue;
        const int64_t m = SUPPLY_PIN_MARGIN;
        const int64_t x0 = std::min(u.x, v.x) - m, y0 = std::min(u.y, v.y) - m;
        const int64_t x1 = std::max(u.x, v.x) + m, y1 = std::max(u.y, v.y) + m;
        const Rect area{clamp(x0), clamp(y0), clamp(x1 - x0), clamp(y1 - y0)};
        for (SchItem* item : items_near(session, area))
            if (item->type == PARTLIB_ITEM &&
                leg_meets_part(session->schema, as_PlacedPart(item), u, v, &pins))
                return true;
    }
    return false;
}

// The two legs of a wire turn at the other corner when theirs would run
// along or through a part's pins or body and the other way would not: a
// wire routed to a pin's end comes to it from outside, never along it or
// through the part.
void turn_clear_of_pins(EditSession* session, WireData* data, Point p) {
    Line* first = as_Line(data->legs[0]);
    Line* second = as_Line(data->legs[1]);
    const Point corner = first->end;
    if (!route_meets_parts(session, data->start, corner, p)) return;
    const Point other =
        corner == Point{p.x, data->start.y} ? Point{data->start.x, p.y} : Point{p.x, data->start.y};
    if (route_meets_parts(session, data->start, other, p)) return;
    first->end = other;
    second->pos = other;
}

// Shapes the ghost from the start to p.
void shape(EditSession* session, WireData* data, Point p) {
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
            const bool turned =
                route_Wire(mode, data->start, p, &data->legs[0], &data->legs[1], &data->count);
            if (turned && mode == ROUTE_ORTHOGONAL && snaps_to_connections(data))
                turn_clear_of_pins(session, data, p);
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
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Click the first point");
}

void wire_exit(EditSession*, ModeInstance* instance) { free_legs(wire(instance)); }

int wire_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    WireData* data = wire(instance);
    if (snaps_to_connections(data) &&
        (code == EV_MOTION || code == EV_LEFT_DRAG || code == EV_LEFT_UP))
        p = snap_wire_end(session, p);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            if (!data->started) return 1;
            ghost_erase(session, instance);
            shape(session, data, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            ghost_erase(session, instance);
            if (!data->started) {
                data->started = true;
                data->start = p;
                set_prompt(session, "Click the next point");
            } else {
                shape(session, data, p);
                commit(session, data);
                free_legs(data);
                bool chain = data->kind != DRAW_KIND_CIRCLE && data->kind != DRAW_KIND_BOX;
                data->started = chain;
                data->start = p;
                if (!chain) set_prompt(session, "Click the first point");
            }
            if (data->started) {
                shape(session, data, p);
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

namespace {

// Three quarters of a grid step: a connection off the grid (by half a
// step, across, down or both) is reached from the grid points around it,
// and one on the grid from no other grid point.
int64_t snap_reach() {
    return std::clamp<int64_t>(grid_step() * 3 / 4, static_cast<int64_t>(PICK_DISTANCE),
                               INT32_MAX / 4);
}

std::vector<SchItem*> items_in_reach(EditSession* session, Point p, int64_t reach) {
    auto corner = [&](int32_t c) {
        return static_cast<int32_t>(std::clamp<int64_t>(c - reach, INT32_MIN, INT32_MAX));
    };
    return items_near(session, Rect{corner(p.x), corner(p.y), static_cast<int32_t>(2 * reach),
                                    static_cast<int32_t>(2 * reach)});
}

// A supply pin connects at its own place, where it meets the body, not at
// the end drawn away from it (net building joins it there, as stored
// sheets have it): a wire or symbol put on its drawn line is meant for it.
// A part's rectangle leaves out its supply pins, which may stand out of it
// by their length: the parts are looked for that much further.
double nearest_supply_pin(EditSession* session, Point p, int64_t reach, Point* connects,
                          Point* drawn) {
    double best = FAR_AWAY;
    std::vector<PinLine> pins;
    for (SchItem* item : items_in_reach(session, p, reach + SUPPLY_PIN_MARGIN)) {
        if (item->type != PARTLIB_ITEM) continue;
        pins.clear();
        part_pin_lines(session->schema, as_PlacedPart(item), &pins);
        for (const PinLine& pin : pins) {
            if (!pin.power) continue;
            const double d = segment_distance(p, pin.drawn, pin.tip);
            if (d <= static_cast<double>(reach) && d < best) {
                best = d;
                *connects = pin.tip;
                *drawn = pin.drawn;
            }
        }
    }
    return best;
}

}  // namespace

Point snap_wire_end(EditSession* session, Point p) {
    Schema* schema = session->schema;
    if (!schema || !schema->current) return p;
    const int64_t reach = snap_reach();
    double best = FAR_AWAY;
    Point at = p;
    for (SchItem* item : items_in_reach(session, p, reach)) {
        Point candidate;
        const double d = item_connection_snap(schema, item, p, &candidate);
        if (d <= static_cast<double>(reach) && d < best) {
            best = d;
            at = candidate;
        }
    }
    Point connects, drawn;
    if (nearest_supply_pin(session, p, reach, &connects, &drawn) < best) at = connects;
    return at;
}

bool supply_pin_near(EditSession* session, Point p, Point* connects, Point* drawn) {
    if (!session->schema || !session->schema->current) return false;
    return nearest_supply_pin(session, p, snap_reach(), connects, drawn) < FAR_AWAY;
}

ModeInstance* start_add_wires(EditSession* session, const DrawShape& shape) {
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_wires_mode);
    if (!instance) return nullptr;
    WireData* data = wire(instance);
    data->kind = shape.kind;
    data->style = shape.line ? DRAW : shape.bus ? BUS : 0;
    data->filled = shape.filled;
    return instance;
}
