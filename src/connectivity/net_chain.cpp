// The record routines of net building: stub wires, pseudo-pins, chains, the
// exact line tests, the pair rules of the wire phases (3, 5, 6) on records,
// and phase 5 on the records through a table of lines by carrier (the
// editor's refresh).
#include <cmath>
#include <functional>
#include <utility>

#include "connectivity/net_build.h"
#include "connectivity/net_carriers.h"
#include "connectivity/net_context.h"
#include "connectivity/net_rules.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

namespace {

DListNode* last_stub = nullptr;

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

SchItem* chain_first(NetContext*, SchItem* item) { return walk_first(item); }

SchItem* join_chains(NetContext*, SchItem* a, SchItem* b) {
    if (net_editor_mode()) return nullptr;
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
    if (tolerance == 0) return point_on_segment(p, line->pos, line->end);
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
    double length = std::hypot(double(dx), double(dy));
    double distance =
        std::fabs(double(dy) * double(px - x1) - double(dx) * double(py - y1)) / length;
    return distance <= tolerance ? 1 : 0;
}

bool bus_at(NetContext* context, Point p) {
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

// --- the pair rules on records -------------------------------------------------------------

namespace {

// The rules' view of the sheet's records. Lines made go to the sheet's
// list; `filed` is told of each (and of each that grew) when a table of
// lines by carrier follows the records.
struct RecordOps {
    using Id = SchItem*;
    NetContext* context;
    std::function<void(Line*, const Point*)> filed;  // (line, its ends before it grew, or null)

    static Point first(Id item) {
        Point ends[2];
        item_ends(item, ends);
        return ends[0];
    }
    static Point second(Id item) {
        Point ends[2];
        item_ends(item, ends);
        return ends[1];
    }
    static uint32_t state(Id item) { return item->state; }
    static void mark(Id item, uint32_t bits) { item->state |= bits; }
    static void clear(Id item, uint32_t bits) { item->state &= ~bits; }
    void set_ends(Id item, Point a, Point b) {
        Line* line = as_Line(item);
        Point was[2] = {line->pos, line->end};
        line->pos = a;
        line->end = b;
        if (filed) filed(line, was);
    }
    static void cut(Id item, Point s) { as_Line(item)->end = s; }
    Id add_wire(Point a, Point b) {
        Line* line = add_stub_wire(a, b, context->sheet->items);
        if (filed) filed(line, nullptr);
        return line;
    }
    static void copy_flags(Id to, Id from) { to->flags = from->flags; }
    void join(Id a, Id b) { join_chains(context, a, b); }
    bool bus_at(Point p) { return ::bus_at(context, p); }
    static bool editor() { return net_editor_mode(); }
};

}  // namespace

int compare_wires(NetContext* context, Line* l1, Line* l2) {
    RecordOps ops{context, {}};
    return net_rules::compare_wires(ops, static_cast<SchItem*>(l1), static_cast<SchItem*>(l2));
}

void split_wire(NetContext* context, Line* wire, Point s) {
    RecordOps ops{context, {}};
    net_rules::split_wire(ops, static_cast<SchItem*>(wire), s);
}

void junction_meets_line(NetContext* context, SchItem* junction, Line* line) {
    RecordOps ops{context, {}};
    net_rules::junction_meets_line(ops, junction->pos, &junction->state,
                                   static_cast<SchItem*>(line));
}

void join_if_ends_meet(NetContext* context, SchItem* a, SchItem* b) {
    RecordOps ops{context, {}};
    net_rules::join_if_ends_meet(ops, a, b);
}

bool member_pin_tip(NetContext*, Schema*, PseudoPin* pp, Point* tip) {
    if (!pp->father || pp->father->type != PARTLIB_ITEM || !pp->pin) return false;
    Matrix matrix;
    pl_matrix(as_PlacedPart(pp->father), &matrix);
    Point outer, inner;
    get_PinLine(pp->pin, &outer, &inner);
    matrix_apply(&matrix, outer, tip);
    return true;
}

// --- phase 5 on the records ------------------------------------------------------------------

namespace {

// The sheet's lines by their order in the list, those appended included.
struct RecordLines {
    std::vector<Line*> lines;
    Point first(uint32_t id) const { return lines[id]->pos; }
    Point second(uint32_t id) const { return lines[id]->end; }
    bool absorbed(uint32_t id) const { return (lines[id]->state & NET_IGNORED) != 0; }
    bool filed(uint32_t) const { return true; }
};

}  // namespace

int junctions_on_records(NetContext* context, Schema* schema) {
    List* items = context->sheet->items;
    RecordLines lines;
    std::vector<SchItem*> junctions, members;
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type == LINE_ITEM) lines.lines.push_back(as_Line(item));
        if (item->type == JUNCTION_ITEM && (item->state & NET_CURRENT_PASS))
            junctions.push_back(item);
        if (item->type == PSEUDO_PIN) members.push_back(item);
    }
    CarrierIndex<RecordLines> carriers(lines);
    carriers.reserve(lines.lines.size());
    for (uint32_t id = 0; id < lines.lines.size(); ++id) {
        lines.lines[id]->net_slot = id;
        carriers.file(id);
    }
    RecordOps ops{context, [&](Line* line, const Point* was) {
                      if (was) {
                          carriers.refile(line->net_slot, was[0], was[1]);
                          return;
                      }
                      line->net_slot = static_cast<uint32_t>(lines.lines.size());
                      lines.lines.push_back(line);
                      carriers.file(line->net_slot);
                  }};
    // Lines through a point taking part, followed by the pieces splits
    // append (which lie after every other line and pass through the point).
    std::vector<uint32_t> at;
    auto through = [&](Point p, auto rule) {
        carriers.lines_at(p, at, true);
        size_t known = lines.lines.size();
        for (size_t i = 0; i < at.size(); ++i) {
            if (!lines.absorbed(at[i])) rule(lines.lines[at[i]]);
            for (; known < lines.lines.size(); ++known)
                if (point_on_wire(p, lines.lines[known], 0))
                    at.push_back(static_cast<uint32_t>(known));
        }
    };
    for (SchItem* junction : junctions)
        through(junction->pos, [&](Line* line) {
            net_rules::junction_meets_line(ops, junction->pos, &junction->state,
                                           static_cast<SchItem*>(line));
        });
    for (SchItem* member : members) {
        Point tip;
        if (!member_pin_tip(context, schema, as_PseudoPin(member), &tip)) continue;
        through(tip, [&](Line* line) {
            if (point_on_wire(tip, line, 0) == 1)
                net_rules::split_wire(ops, static_cast<SchItem*>(line), tip);
        });
    }
    return 0;
}
