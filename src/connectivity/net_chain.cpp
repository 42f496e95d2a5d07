// The shared routines of net building: stub wires, pseudo-pins, chains, the
// exact line tests, and the per-pair rules of the wire phases (3, 5, 6),
// which the phase loops apply to the candidates they find.
#include <cmath>
#include <utility>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_index.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

namespace {

DListNode* last_stub = nullptr;

using Wide = __int128;

}  // namespace

// --- stub wires and pseudo-pins ---------------------------------------------------------

void order_line_ends(Line* line) {
    if (line->end.x < line->pos.x || (line->end.x == line->pos.x && line->end.y < line->pos.y))
        std::swap(line->pos, line->end);
}

Line* add_stub_wire(Point a, Point b, List* list) {
    Line* line = new_Line();
    if (!line) no_memory();
    line->pos = a;
    line->end = b;
    order_line_ends(line);
    if (!net_editor_mode()) line->state |= NET_TEMPORARY | NET_ENDS_OPEN;
    last_stub = dlist_append(list, line);
    if (!last_stub) no_memory();
    return line;
}

DListNode* last_stub_node() { return last_stub; }

PseudoPin* add_PseudoPin(Point point, SchItem* whoami, Pin* pin, SchItem* father, SchItem* stub,
                         List* list) {
    PseudoPin* pp = new_PseudoPin();
    if (!pp) no_memory();
    pp->pos = point;
    pp->whoami = whoami;
    pp->pin = pin;
    pp->father = father;
    pp->stub = stub;
    pp->state |= NET_TEMPORARY;
    if (!dlist_append(list, pp)) no_memory();
    return pp;
}

// --- chains --------------------------------------------------------------------------------

namespace {

SchItem* walk_first(SchItem* item) {
    while (item->prev) item = item->prev;
    return item;
}

SchItem* walk_last(SchItem* item) {
    while (item->next) item = item->next;
    return item;
}

}  // namespace

SchItem* chain_first(NetContext* context, SchItem* item) {
    if (context && context->index) {
        NetIndex* index = context->index;
        item = index->by_pos[chain_root(index, item).first];
    }
    return walk_first(item);
}

SchItem* join_chains(NetContext* context, SchItem* a, SchItem* b) {
    if (net_editor_mode()) return nullptr;
    if (context && context->index) {
        NetIndex* index = context->index;
        // Both get their positions first: that may grow the chain table.
        index_pos_sync(index, a);
        index_pos_sync(index, b);
        NetIndex::ChainNode& ra = chain_root(index, a);
        SchItem* a_last = index->by_pos[ra.last];
        NetIndex::ChainNode& rb = chain_root(index, b);
        if (&ra == &rb) return a_last;
        SchItem* b_first = index->by_pos[rb.first];
        a_last->next = b_first;
        b_first->prev = a_last;
        ra.last = rb.last;
        rb.parent = ra.parent;
        return a_last;
    }
    SchItem* a_last = walk_last(walk_first(a));
    for (SchItem* r = walk_first(a); r; r = r->next)
        if (r == b) return a_last;
    SchItem* b_first = walk_first(walk_last(b));
    for (SchItem* r = b_first; r; r = r->next)
        if (r == a) return a_last;
    a_last->next = b_first;
    b_first->prev = a_last;
    return a_last;
}

void unlink_chain_item(SchItem* item) {
    if (item->next) item->next->prev = item->prev;
    SchItem* prev = item->prev;
    if (!prev) return;
    if (item->type == PSEUDO_PIN && prev->type == IDENT_ITEM) {
        Ident* head = as_Ident(prev);
        TN_ASSERT(head->prevconn == nullptr);
        head->nextconn = static_cast<PseudoPin*>(item->next);
    } else if (prev->type == IDENT_ITEM && prev->next != item) {
        // A chain merged into another net: its first record points back at
        // the net's head, whose own first wire stays.
    } else {
        prev->next = item->next;
    }
}

// --- geometry --------------------------------------------------------------------------------

int point_on_wire(Point p, const Line* line, int32_t tolerance) {
    if (p == line->pos) return 2;
    if (p == line->end) return 3;
    int64_t x1 = line->pos.x, y1 = line->pos.y, x2 = line->end.x, y2 = line->end.y;
    int64_t px = p.x, py = p.y;
    if (x1 == x2) {
        bool inside = py > std::min(y1, y2) && py < std::max(y1, y2);
        return inside && std::llabs(px - x1) <= tolerance ? 1 : 0;
    }
    if (y1 == y2) {
        bool inside = px > std::min(x1, x2) && px < std::max(x1, x2);
        return inside && std::llabs(py - y1) <= tolerance ? 1 : 0;
    }
    if (px < std::min(x1, x2) || px > std::max(x1, x2)) return 0;
    int64_t dx = x2 - x1, dy = y2 - y1;
    if (tolerance == 0)
        return Wide(y1) * dx + Wide(px) * dy == Wide(x1) * dy + Wide(py) * dx ? 1 : 0;
    double length = std::hypot(double(dx), double(dy));
    double distance =
        std::fabs(double(dy) * double(px - x1) - double(dx) * double(py - y1)) / length;
    return distance <= tolerance ? 1 : 0;
}

bool bus_at(NetContext* context, Point p) {
    if (context->index) return bus_line_at(context->index, p);
    if (!context->sheet) return false;
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == LINE_ITEM && is_bus_line(item) && point_on_wire(p, as_Line(item), 0))
            return true;
    return false;
}

int item_ends(const SchItem* item, Point ends[2]) {
    if (item->type == LINE_ITEM) {
        ends[0] = item->pos;
        ends[1] = as_Line(item)->end;
        return 2;
    }
    if (item->type == ARC_ITEM) {
        ends[0] = as_Arc(item)->start;
        ends[1] = as_Arc(item)->end;
        return 2;
    }
    return 0;
}

// --- phase 3: wire ends -----------------------------------------------------------------------

namespace {

List* sheet_items(NetContext* context) { return context->sheet->items; }

// Brings a line whose geometry changed under its present carrier.
void refile(NetContext* context, Line* line) {
    if (context->index) index_refile(context->index, line);
}

int merge_wires(NetContext* context, Line* l1, Line* l2, Point p, Point q) {
    join_chains(context, l1, l2);
    if (!(l2->state & NET_TEMPORARY) && !net_editor_mode()) {
        if (l1->state & NET_TEMPORARY) {
            l1->pos = p;
            l1->end = q;
            refile(context, l1);
            l2->state |= NET_IGNORED;
            return 0;
        }
        Line* both = add_stub_wire(p, q, sheet_items(context));
        join_chains(context, l1, both);
        l1->state |= NET_IGNORED;
        l2->state |= NET_IGNORED;
        return WIRE_ABSORBED;
    }
    l2->pos = p;
    l2->end = q;
    refile(context, l2);
    l1->state |= NET_IGNORED;
    return WIRE_ABSORBED;
}

// The overlap rule along one axis: l1 = [a1, a2], l2 = [b1, b2].
int overlap_rule(NetContext* context, Line* l1, Line* l2, int64_t a1, int64_t a2, int64_t b1,
                 int64_t b2) {
    if (a1 >= b1 && a1 <= b2) {
        if (b2 < a2) return merge_wires(context, l1, l2, l2->pos, l1->end);
        join_chains(context, l1, l2);
        l1->state |= NET_IGNORED;
        return WIRE_ABSORBED;
    }
    if (a1 < b1 && b1 <= a2) {
        if (b2 <= a2) {
            join_chains(context, l1, l2);
            l2->state |= NET_IGNORED;
            return 0;
        }
        return merge_wires(context, l1, l2, l1->pos, l2->end);
    }
    return 0;
}

}  // namespace

int compare_wires(NetContext* context, Line* l1, Line* l2) {
    int64_t dx1 = int64_t{l1->end.x} - l1->pos.x, dy1 = int64_t{l1->end.y} - l1->pos.y;
    int64_t dx2 = int64_t{l2->end.x} - l2->pos.x, dy2 = int64_t{l2->end.y} - l2->pos.y;
    if (dx1 == 0 && dx2 == 0) {
        if (l1->pos.x != l2->pos.x) return 0;
        if (l1->pos.y == l2->end.y && bus_at(context, l1->pos)) return 0;
        if (l2->pos.y == l1->end.y && bus_at(context, l1->end)) return 0;
        return overlap_rule(context, l1, l2, l1->pos.y, l1->end.y, l2->pos.y, l2->end.y);
    }
    if (dy1 == 0 && dy2 == 0) {
        if (l1->pos.y != l2->pos.y) return 0;
        if (l1->pos.x == l2->end.x && bus_at(context, l1->pos)) return 0;
        if (l2->pos.x == l1->end.x && bus_at(context, l1->end)) return 0;
        return overlap_rule(context, l1, l2, l1->pos.x, l1->end.x, l2->pos.x, l2->end.x);
    }
    bool parallel = Wide(dy2) * dx1 == Wide(dy1) * dx2;
    // A single point lies on the other wire's line only when it satisfies
    // that line's equation: test against the direction of the real wire.
    int64_t ux = dx1, uy = dy1;
    if (dx1 == 0 && dy1 == 0) {
        ux = dx2;
        uy = dy2;
    }
    bool one_line =
        Wide(int64_t{l1->pos.x} - l2->pos.x) * uy == Wide(int64_t{l1->pos.y} - l2->pos.y) * ux;
    if (!parallel || !one_line) return 0;
    return overlap_rule(context, l1, l2, l1->pos.x, l1->end.x, l2->pos.x, l2->end.x);
}

// --- phase 5: junctions and pin tips ------------------------------------------------------------

void split_wire(NetContext* context, Line* wire, Point s) {
    Point e = wire->end;
    Line* first = wire;
    if (!(wire->state & NET_TEMPORARY) && !net_editor_mode()) {
        first = add_stub_wire(wire->pos, s, sheet_items(context));
        first->state &= ~uint32_t{NET_SECOND_OPEN};
        join_chains(context, wire, first);
        wire->state |= NET_IGNORED;
    } else {
        wire->end = s;
        wire->state &= ~uint32_t{NET_SECOND_OPEN};
    }
    Line* second = add_stub_wire(s, e, sheet_items(context));
    second->state &= ~uint32_t{NET_FIRST_OPEN};
    second->flags = wire->flags;
    join_chains(context, first, second);
}

void junction_meets_line(NetContext* context, SchItem* junction, Line* line) {
    switch (point_on_wire(junction->pos, line, 0)) {
        case 1:
            junction->state &= ~uint32_t{NET_UNUSED_JUNCTION};
            split_wire(context, line, junction->pos);
            break;
        case 2:
            line->state &= ~uint32_t{NET_FIRST_OPEN};
            junction->state &= ~uint32_t{NET_UNUSED_JUNCTION};
            break;
        case 3:
            line->state &= ~uint32_t{NET_SECOND_OPEN};
            junction->state &= ~uint32_t{NET_UNUSED_JUNCTION};
            break;
        default: break;
    }
}

bool member_pin_tip(NetContext* context, Schema* schema, PseudoPin* pp, Point* tip) {
    if (!pp->father || pp->father->type != PARTLIB_ITEM || !pp->pin) return false;
    (void)schema;
    // A part's members follow one another: during a build its matrix is kept
    // for the next pin (parts do not move while nets are built).
    Matrix own;
    Matrix& matrix = context && context->index ? context->index->tip_matrix : own;
    if (!context || !context->index || context->index->tip_part != pp->father) {
        matrix = Matrix{};
        pl_matrix(as_PlacedPart(pp->father), &matrix);
        if (context && context->index) context->index->tip_part = pp->father;
    }
    Point outer, inner;
    get_PinLine(pp->pin, &outer, &inner);
    matrix_apply(&matrix, outer, tip);
    return true;
}

// --- phase 6: end joins -------------------------------------------------------------------------

void join_if_ends_meet(NetContext* context, SchItem* a, SchItem* b) {
    Point ea[2], eb[2];
    item_ends(a, ea);
    item_ends(b, eb);
    for (const Point& pa : ea)
        for (const Point& pb : eb)
            if (pa == pb) {
                if (!bus_at(context, pa)) join_chains(context, a, b);
                return;
            }
}
