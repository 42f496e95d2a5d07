// The connectivity refresh while editing, and the stub wires the editor
// shows for moved items.
#include "connectivity/net_refresh.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/pointer_set.h"
#include "foundation/properties.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

namespace {

constexpr uint32_t TOUCHED = NET_CURRENT_PASS | NET_TOUCHED_WIRE;

// Visits the non-power pins of a placed part as pin lines (tip, inner end)
// placed on the sheet.
template <class Fn>
void for_each_pin_line(Schema* schema, PlacedPart* part, Fn fn) {
    PinList* pins = pl_pins_in_use(schema->library, part);
    if (!pins) return;
    Matrix matrix;
    pl_matrix(part, &matrix);
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        if (pin->type == PWR) continue;
        Point tip, inner;
        get_PinLine(pin, &tip, &inner);
        matrix_apply(&matrix, tip, &tip);
        matrix_apply(&matrix, inner, &inner);
        fn(tip, inner);
    }
}

// --- what a fusion of two wires leaves joined ----------------------------------------------------
//
// Two collinear wires that meet end to end or overlap are fused into one.
// Whatever met them end to end where an end of theirs disappears inside the
// fused wire (a third wire, a power symbol, a port) touches its middle
// afterwards, which joins nothing: the net would be cut without a sign. A
// junction put there keeps it joined, and shows it.

// The ends of two wires before they are compared.
struct PairEnds {
    Point ends[4];
};
PairEnds ends_of(const Line* a, const Line* b) {
    return PairEnds{{a->pos, a->end, b->pos, b->end}};
}

// The ends that the comparison left strictly inside the wire that remains
// (none when neither was absorbed), each once.
std::vector<Point> swallowed_ends(const PairEnds& before, const Line* a, const Line* b) {
    std::vector<Point> inside;
    const Line* kept = (a->state & NET_IGNORED) ? b : (b->state & NET_IGNORED) ? a : nullptr;
    if (!kept || !is_wire_line(a) || !is_wire_line(b)) return inside;
    for (Point p : before.ends)
        if (point_on_wire(p, kept, 0) == 1 &&
            std::find(inside.begin(), inside.end(), p) == inside.end())
            inside.push_back(p);
    return inside;
}

// True when the point lies on the infinite line through the wire.
bool on_line_of(Point p, const Line* wire) {
    const int64_t dx = int64_t{wire->end.x} - wire->pos.x, dy = int64_t{wire->end.y} - wire->pos.y;
    return (int64_t{p.x} - wire->pos.x) * dy == (int64_t{p.y} - wire->pos.y) * dx;
}

// What an item has at the point: 1 a connection a wire end joins there (a
// wire's or arc's end, a power symbol, a port, a sub-sheet port), 2 a
// junction, 0 nothing. The fused pair, absorbed lines and lines along the
// fused wire (fused with it in turn) do not count.
int joins_at(SchItem* item, Point p, const Line* a, const Line* b) {
    if (item == a || item == b) return 0;
    switch (item->type) {
        case LINE_ITEM:
        case ARC_ITEM: {
            if ((item->state & NET_IGNORED) || (item->flags & STYLE_MASK) != 0) return 0;
            Point ends[2];
            item_ends(item, ends);
            const Line* kept = (a->state & NET_IGNORED) ? b : a;
            if (item->type == LINE_ITEM && on_line_of(ends[0], kept) && on_line_of(ends[1], kept))
                return 0;
            return ends[0] == p || ends[1] == p ? 1 : 0;
        }
        case JUNCTION_ITEM: return item->pos == p ? 2 : 0;
        case POWER_ITEM:
        case PORT_ITEM: return item->pos == p ? 1 : 0;
        case SUBSHEET_ITEM:
            for (SchItem* port : list_items<SchItem>(as_SubSheet(item)->ports))
                if (Point{item->pos.x + port->pos.x, item->pos.y + port->pos.y} == p) return 1;
            return 0;
        default: return 0;
    }
}

// Whether the items found at the point need a junction there.
bool tee_without_junction(const std::vector<SchItem*>& found, Point p, const Line* a,
                          const Line* b) {
    bool joined = false;
    for (SchItem* item : found) {
        const int here = joins_at(item, p, a, b);
        if (here == 2) return false;
        joined = joined || here == 1;
    }
    return joined;
}

Junction* new_tee_junction(Point p) {
    Junction* dot = new_Junction();
    if (!dot) no_memory();
    dot->flags = static_cast<uint8_t>(proper_get(DEFAULT_JUNC_STYLE) & JUNCTION_SHAPE_MASK);
    dot->width = static_cast<int16_t>(proper_get(DEFAULT_JUNC_WIDTH));
    dot->pos = p;
    return dot;
}

// --- a wire end on the middle of another wire ---------------------------------------------------
//
// A wire end on the middle of another wire joins nothing without a
// junction there, though it looks joined: a touched wire whose end came to
// lie there, or in whose middle another wire's end now lies, gets the dot.

bool carries_net(const SchItem* item) {
    return item->type == LINE_ITEM && (item->flags & STYLE_MASK) == 0 &&
           !(item->state & NET_IGNORED);
}

bool tee_candidate(const SchItem* item) {
    return carries_net(item) && (item->state & NET_CURRENT_PASS);
}

// The points where the wire and the lines near it (in list order) meet end
// to middle, each once: the wire's ends first, then the others' ends.
template <class Lines>
void tee_points(const Line* wire, const Lines& lines, std::vector<Point>* out) {
    out->clear();
    auto add = [&](Point p) {
        if (std::find(out->begin(), out->end(), p) == out->end()) out->push_back(p);
    };
    for (Point end : {wire->pos, wire->end})
        for (const SchItem* other : lines)
            if (other != wire && carries_net(other) && point_on_wire(end, as_Line(other), 0) == 1) {
                add(end);
                break;
            }
    for (const SchItem* other : lines) {
        if (other == wire || !carries_net(other)) continue;
        for (Point end : {as_Line(other)->pos, as_Line(other)->end})
            if (point_on_wire(end, wire, 0) == 1) add(end);
    }
}

bool junction_among(const std::vector<SchItem*>& items, Point p) {
    return std::any_of(items.begin(), items.end(), [&](const SchItem* item) {
        return item->type == JUNCTION_ITEM && item->pos == p;
    });
}

// The dots of the touched wires, appended to the sheet and marked for the
// junction step, which cuts the wires there.
void tee_junctions_on_records(Sheet* sheet) {
    std::vector<SchItem*> all;
    std::vector<Point> points;
    for (SchItem* item : list_items<SchItem>(sheet->items)) all.push_back(item);
    for (size_t i = 0; i < all.size(); ++i) {
        if (!tee_candidate(all[i])) continue;
        tee_points(as_Line(all[i]), all, &points);
        for (Point p : points) {
            if (junction_among(all, p)) continue;
            Junction* dot = new_tee_junction(p);
            dot->state |= NET_CURRENT_PASS;
            append_or_die(sheet->items, dot);
            all.push_back(dot);
        }
    }
}

// A touched wire meets every other line of its kind, in list order: the
// editor appends what it draws, so the wire a new one overlaps usually
// stands before it.
void fuse_touched_wires(NetContext* context, Schema* schema) {
    List* items = context->sheet->items;
    std::vector<SchItem*> all;
    for (DListNode* node = dlist_head(items); node; node = dlist_next(node)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (item->type != LINE_ITEM || is_drawing_line(item) || !(item->state & TOUCHED) ||
            (item->state & NET_IGNORED))
            continue;
        Line* w = as_Line(item);
        for (DListNode* other_node = dlist_head(items); other_node;
             other_node = dlist_next(other_node)) {
            auto* other = static_cast<SchItem*>(other_node->data);
            if (other == item || other->type != LINE_ITEM || (other->state & NET_IGNORED) ||
                (other->flags & STYLE_MASK) != (w->flags & STYLE_MASK))
                continue;
            const PairEnds before = ends_of(w, as_Line(other));
            const int result = compare_wires(context, w, as_Line(other));
            for (Point p : swallowed_ends(before, w, as_Line(other))) {
                all.clear();
                for (SchItem* near : list_items<SchItem>(items)) all.push_back(near);
                for (SchItem* port : list_items<SchItem>(schema->ports)) all.push_back(port);
                if (tee_without_junction(all, p, w, as_Line(other)))
                    dlist_append(items, new_tee_junction(p));
            }
            if (result == WIRE_ABSORBED) break;
        }
    }
}

Rect widened_bounds(const Line* wire) {
    int64_t w = wire->width;
    int64_t x0 = std::min(wire->pos.x, wire->end.x) - w,
            x1 = std::max(wire->pos.x, wire->end.x) + w;
    int64_t y0 = std::min(wire->pos.y, wire->end.y) - w,
            y1 = std::max(wire->pos.y, wire->end.y) + w;
    return Rect{static_cast<int32_t>(std::clamp<int64_t>(x0, INT32_MIN, INT32_MAX)),
                static_cast<int32_t>(std::clamp<int64_t>(y0, INT32_MIN, INT32_MAX)),
                static_cast<int32_t>(std::min<int64_t>(x1 - x0, INT32_MAX)),
                static_cast<int32_t>(std::min<int64_t>(y1 - y0, INT32_MAX))};
}

bool rects_meet(const Rect& a, const Rect& b) {
    return int64_t{a.x} <= int64_t{b.x} + b.w && int64_t{b.x} <= int64_t{a.x} + a.w &&
           int64_t{a.y} <= int64_t{b.y} + b.h && int64_t{b.y} <= int64_t{a.y} + a.h;
}

void snap_touched_wires(Schema* schema, Sheet* sheet) {
    for (SchItem* item : list_items<SchItem>(sheet->items)) {
        if (item->type != LINE_ITEM || (item->flags & STYLE_MASK) != 0 ||
            !(item->state & NET_CURRENT_PASS))
            continue;
        Line* wire = as_Line(item);
        Rect area = widened_bounds(wire);
        for (SchItem* other : list_items<SchItem>(sheet->items)) {
            if (other->type != PARTLIB_ITEM) continue;
            Rect box{};
            pl_bounds(schema, schema->library, as_PlacedPart(other), &box, false);
            if (!rects_meet(area, box)) continue;
            for_each_pin_line(schema, as_PlacedPart(other),
                              [&](Point tip, Point inner) { snap_wire_to_pin(tip, inner, wire); });
        }
    }
}

void delete_absorbed(Schema* schema, Sheet* sheet) {
    for (DListNode* node : dlist_nodes(sheet->items)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (item->type != LINE_ITEM || !(item->state & NET_IGNORED)) continue;
        dlist_remove(sheet->items, node, nullptr);
        free_SchItem(schema, item, false);
    }
}

// Pulls onto the tip t the ends of a line along a pin's axis that lie in
// the pin (in1, in2), each end given as a point and its coordinate along
// the axis. A line that would shrink onto the tip keeps its length: one
// that reaches the tip already stays as it is (whatever meets it inside the
// pin still meets it), and of two ends inside the pin the nearer moves.
void pull_ends_to_tip(Point* first, int32_t* c1, bool in1, Point* second, int32_t* c2, bool in2,
                      int32_t t) {
    bool move1 = in1 && *c1 != t, move2 = in2 && *c2 != t;
    if ((move1 || *c1 == t) && (move2 || *c2 == t)) {
        if (*c1 == t || *c2 == t)
            move1 = move2 = false;
        else if (std::llabs(int64_t{*c1} - t) <= std::llabs(int64_t{*c2} - t))
            move2 = false;
        else
            move1 = false;
    }
    if (move1) {
        net_debug("Lissage pin at %d,%d\n", first->x, first->y);
        *c1 = t;
    }
    if (move2) {
        net_debug("Lissage pin at %d,%d\n", second->x, second->y);
        *c2 = t;
    }
}

// A refresh given no context makes one for itself, freed when it ends.
struct ContextFree {
    void operator()(NetContext* context) const { free_NetContext(nullptr, context); }
};
using OwnedContext = std::unique_ptr<NetContext, ContextFree>;

NetContext* context_or_own(NetContext* given, OwnedContext* own) {
    if (given) return given;
    own->reset(new_NetContext());
    if (!*own) no_memory();
    return own->get();
}

// --- the refresh of touched items ---------------------------------------------------------------
//
// The steps of refresh_sheet_connectivity, each asking the bounds index for
// the records that can meet what it works on, in list order, so that every
// rule sees the same records in the same order as on the whole sheet. The
// shared routines of the net builder (compare_wires, junction_meets_line)
// look at the sheet of the context: here that is a scratch sheet holding
// the lines found near the record at hand (borrowed, in list order). What a
// refresh of the whole sheet does to every line before it starts (the
// marks of an earlier pass cleared, the ends put in order) is done to each
// line when the pass first meets it.
class TouchedRefresh {
public:
    TouchedRefresh(NetContext* context, Schema* schema, const RefreshEdits& edits)
        : context_(context), schema_(schema), edits_(edits) {
        scratch_.items = list_new();
        if (!scratch_.items) no_memory();
        context_->sheet = &scratch_;
    }
    ~TouchedRefresh() {
        dlist_free(scratch_.items, LIST_FROM_HEAD, nullptr);
        scratch_.items = nullptr;
        context_->sheet = nullptr;
    }
    TouchedRefresh(const TouchedRefresh&) = delete;
    TouchedRefresh& operator=(const TouchedRefresh&) = delete;

    void order_ends();
    void fuse(Line* wire);
    // A junction where a fusion of a and b left an end of theirs at p,
    // when something else joined them there.
    void keep_joined(Point p, Line* a, Line* b);
    void snap_part(PlacedPart* part);
    void snap_wire(Line* wire);
    // The dots where the touched wire meets another end to middle, added.
    void tee(Line* wire, std::vector<SchItem*>* dots);
    void junction(SchItem* junction);
    void delete_absorbed();

private:
    void meet(SchItem* item);
    void order_ends_of(Line* line);
    // The lines whose rectangles meet the area, met, into the scratch sheet.
    void gather(const Rect& area);
    // Runs a rule that may move the ends of the scratch sheet's lines; the
    // lines it moved are told about before (their earlier ends) and filed
    // anew after.
    template <class Rule>
    void watching(Rule rule);
    void changing(SchItem* line) {
        if (edits_.changing) edits_.changing(line);
    }
    // Pieces a cut appended to the scratch sheet go to the sheet.
    void take_pieces(std::vector<Line*>* through, Point p);

    // The document's index at each use: one that items filed far beyond its
    // grid made stale is made anew meanwhile.
    SheetIndex* index() { return sheet_index(schema_); }

    NetContext* context_;
    Schema* schema_;
    const RefreshEdits& edits_;
    Sheet scratch_;
    // Kept for their storage: a whole sheet pasted makes a million passes.
    std::vector<SchItem*> found_;
    std::vector<SchItem*> here_;
    std::vector<Line*> others_;
    std::vector<PlacedPart*> parts_;
    struct Was {
        Line* line;
        Point pos, end;
    };
    std::vector<Was> was_;
    PointerSet<SchItem> met_;
    std::vector<SchItem*> absorbed_;
};

void TouchedRefresh::meet(SchItem* item) {
    if (!met_.insert(item).second) return;
    item->state &= ~uint32_t{NET_IGNORED};
    if (item->type != LINE_ITEM || is_drawing_line(item)) return;
    order_ends_of(as_Line(item));
}

void TouchedRefresh::order_ends_of(Line* line) {
    Line ordered = *line;
    order_line_ends(&ordered);
    if (ordered.pos == line->pos) return;
    if (!edits_.swapped) changing(line);
    order_line_ends(line);
    if (edits_.swapped) edits_.swapped(line);
}

void TouchedRefresh::order_ends() {
    // Every line, as the whole refresh does at each pass: the index noted
    // the lines out of order when it was made and as lines were added or
    // changed since; every other line is in order already (the session put
    // them in order when it started, and what this refresh moves keeps its
    // ends in order: an end pulled onto a pin tip moves toward the line's
    // other end, a line grown over another spans both, a cut keeps both
    // halves in order).
    std::vector<SchItem*> lines;
    sheet_index_take_unordered(index(), &lines);
    for (SchItem* item : lines)
        if (!is_drawing_line(item)) order_ends_of(as_Line(item));
}

void TouchedRefresh::gather(const Rect& area) {
    while (scratch_.items->count) dlist_remove_head(scratch_.items, nullptr);
    sheet_index_query(index(), area, &found_);
    // The index holds the sheet's items and the ports list, where only ports stand.
    for (SchItem* item : found_) {
        if (item->type != LINE_ITEM) continue;
        meet(item);
        append_or_die(scratch_.items, item);
    }
}

template <class Rule>
void TouchedRefresh::watching(Rule rule) {
    std::vector<Was>& was = was_;
    was.clear();
    for (Line* line : list_items<Line>(scratch_.items)) was.push_back({line, line->pos, line->end});
    rule();
    for (const Was& w : was) {
        Line* line = w.line;
        if (line->pos == w.pos && line->end == w.end) continue;
        const Point pos = line->pos, end = line->end;
        line->pos = w.pos;
        line->end = w.end;
        changing(line);
        line->pos = pos;
        line->end = end;
        sheet_index_changed(schema_, line);
    }
}

// The rectangle between two points.
Rect box_between(Point a, Point b) {
    int64_t x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
    int64_t y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
    return Rect{static_cast<int32_t>(x0), static_cast<int32_t>(y0),
                static_cast<int32_t>(std::min<int64_t>(x1 - x0, INT32_MAX)),
                static_cast<int32_t>(std::min<int64_t>(y1 - y0, INT32_MAX))};
}

void TouchedRefresh::fuse(Line* w) {
    meet(w);
    if (w->state & NET_IGNORED) return;
    gather(box_between(w->pos, w->end));
    std::vector<Line*>& others = others_;
    others.clear();
    for (Line* other : list_items<Line>(scratch_.items)) others.push_back(other);
    for (Line* other : others) {
        if (other == w || (other->state & NET_IGNORED) ||
            (other->flags & STYLE_MASK) != (w->flags & STYLE_MASK))
            continue;
        int result = 0;
        const PairEnds before = ends_of(w, other);
        watching([&] { result = compare_wires(context_, w, other); });
        for (Point p : swallowed_ends(before, w, other)) keep_joined(p, w, other);
        if (result == WIRE_ABSORBED) break;
    }
}

void TouchedRefresh::keep_joined(Point p, Line* a, Line* b) {
    std::vector<SchItem*>& here = here_;
    sheet_index_query(index(), Rect{p.x, p.y, 0, 0}, &here);
    // A line met here first is as the whole refresh has it: marks of an
    // earlier pass cleared, ends in order.
    for (SchItem* item : here) meet(item);
    if (!tee_without_junction(here, p, a, b)) return;
    Junction* dot = new_tee_junction(p);
    sheet_append(schema_, schema_->current->items, dot);
    if (edits_.added) edits_.added(dot);
}

void TouchedRefresh::snap_part(PlacedPart* part) {
    for_each_pin_line(schema_, part, [&](Point tip, Point inner) {
        gather(box_between(tip, inner));
        watching([&] { snap_wires_to_pin(context_, tip, inner); });
    });
}

void TouchedRefresh::snap_wire(Line* wire) {
    meet(wire);
    Rect area = widened_bounds(wire);
    sheet_index_query(index(), area, &found_);
    std::vector<PlacedPart*>& parts = parts_;
    parts.clear();
    for (SchItem* item : found_)
        if (item->type == PARTLIB_ITEM) parts.push_back(as_PlacedPart(item));
    while (scratch_.items->count) dlist_remove_head(scratch_.items, nullptr);
    append_or_die(scratch_.items, wire);
    for (PlacedPart* part : parts) {
        Rect box{};
        pl_bounds(schema_, schema_->library, part, &box, false);
        if (!rects_meet(area, box)) continue;
        for_each_pin_line(schema_, part, [&](Point tip, Point inner) {
            watching([&] { snap_wire_to_pin(tip, inner, wire); });
        });
    }
}

void TouchedRefresh::tee(Line* wire, std::vector<SchItem*>* dots) {
    // Only the lines' places count here, not the order of their ends: a
    // line is met (its mark of an earlier pass cleared) only when it
    // carries such a mark, which spares a look-up of every line near every
    // touched wire (a whole sheet pasted touches hundreds of thousands).
    sheet_index_query(index(), box_between(wire->pos, wire->end), &found_);
    std::vector<SchItem*>& lines = here_;
    lines.clear();
    for (SchItem* item : found_) {
        if (item->type != LINE_ITEM) continue;
        if (item->state & NET_IGNORED) meet(item);
        lines.push_back(item);
    }
    std::vector<Point> points;
    tee_points(wire, lines, &points);
    for (Point p : points) {
        sheet_index_query(index(), Rect{p.x, p.y, 0, 0}, &found_);
        if (junction_among(found_, p)) continue;
        Junction* dot = new_tee_junction(p);
        dot->state |= NET_CURRENT_PASS;
        sheet_append(schema_, schema_->current->items, dot);
        if (edits_.added) edits_.added(dot);
        dots->push_back(dot);
    }
}

void TouchedRefresh::take_pieces(std::vector<Line*>* through, Point p) {
    List* items = schema_->current->items;
    while (DListNode* node = dlist_tail(scratch_.items)) {
        auto* piece = static_cast<SchItem*>(node->data);
        if (met_.count(piece)) break;
        dlist_remove(scratch_.items, node, nullptr);
        sheet_append(schema_, items, piece);
        met_.insert(piece);
        if (edits_.added) edits_.added(piece);
        if (point_on_wire(p, as_Line(piece), 0)) through->push_back(as_Line(piece));
    }
}

void TouchedRefresh::junction(SchItem* dot) {
    const Point p = dot->pos;
    gather(Rect{p.x, p.y, 0, 0});
    std::vector<Line*> through;
    for (Line* line : list_items<Line>(scratch_.items))
        if (!(line->state & NET_IGNORED) && point_on_wire(p, line, 0)) through.push_back(line);
    for (size_t i = 0; i < through.size(); ++i) {
        Line* line = through[i];
        if (line->state & NET_IGNORED) continue;
        watching([&] { junction_meets_line(context_, dot, line); });
        take_pieces(&through, p);
    }
}

void TouchedRefresh::delete_absorbed() {
    for (SchItem* item : met_)
        if (item->type == LINE_ITEM && (item->state & NET_IGNORED)) absorbed_.push_back(item);
    // In list order, as a walk of the sheet deletes them.
    sheet_index_sort(index(), &absorbed_);
    for (SchItem* item : absorbed_) {
        if (edits_.removed)
            edits_.removed(item);
        else if (sheet_take_out(schema_, item))
            free_SchItem(schema_, item, false);
    }
}

}  // namespace

int refresh_touched(NetContext* context, Schema* schema, const std::vector<SchItem*>& touched,
                    const RefreshEdits& edits) {
    if (!schema || !schema->current || !schema->current->items) return 0;
    SheetIndex* index = sheet_index(schema);
    if (!index) return 0;
    OwnedContext own;
    context = context_or_own(context, &own);
    // The touched records of the sheet, in list order.
    List* items = schema->current->items;
    std::vector<SchItem*> order;
    for (SchItem* item : touched)
        if (sheet_index_list_of(index, item) == items) order.push_back(item);
    sheet_index_sort(index, &order);
    order.erase(std::unique(order.begin(), order.end()), order.end());
    set_net_editor_mode(true);
    {
        TouchedRefresh pass(context, schema, edits);
        pass.order_ends();
        for (SchItem* item : order)
            if (item->type == LINE_ITEM && !is_drawing_line(item) && (item->state & TOUCHED))
                pass.fuse(as_Line(item));
        for (SchItem* item : order)
            if (item->type == PARTLIB_ITEM && (item->state & NET_CURRENT_PASS))
                pass.snap_part(as_PlacedPart(item));
        for (SchItem* item : order)
            if (item->type == LINE_ITEM && (item->flags & STYLE_MASK) == 0 &&
                (item->state & NET_CURRENT_PASS) && !(item->state & NET_IGNORED))
                pass.snap_wire(as_Line(item));
        std::vector<SchItem*> dots;
        for (SchItem* item : order)
            if (tee_candidate(item)) pass.tee(as_Line(item), &dots);
        order.insert(order.end(), dots.begin(), dots.end());
        for (SchItem* item : order)
            if (item->type == JUNCTION_ITEM && (item->state & NET_CURRENT_PASS))
                pass.junction(item);
        pass.delete_absorbed();
        // The dots are the refresh's: no mark of the editor's stays on them.
        for (SchItem* dot : dots) dot->state &= ~uint32_t{NET_CURRENT_PASS};
    }
    set_net_editor_mode(false);
    return 0;
}

int refresh_connectivity(NetContext* context, Schema* schema) {
    OwnedContext own;
    return refresh_sheet_connectivity(context_or_own(context, &own), schema);
}

int refresh_sheet_connectivity(NetContext* context, Schema* schema) {
    if (!schema || !schema->current || !schema->current->items) return 0;
    Sheet* sheet = schema->current;
    context->sheet = sheet;
    set_net_editor_mode(true);
    {
        FlagOpScope scope(NET_IGNORED, FLAGOP_CLEAR);
        flag_SchItem(sheet);
    }
    order_sheet_wire_ends(schema);
    fuse_touched_wires(context, schema);
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->type == PARTLIB_ITEM && (item->state & NET_CURRENT_PASS))
            for_each_pin_line(schema, as_PlacedPart(item), [&](Point tip, Point inner) {
                snap_wires_to_pin(context, tip, inner);
            });
    snap_touched_wires(schema, sheet);
    tee_junctions_on_records(sheet);
    int result = junctions_on_records(context, schema);
    delete_absorbed(schema, sheet);
    set_net_editor_mode(false);
    return result;
}

void order_sheet_wire_ends(Schema* schema) {
    if (!schema || !schema->current || !schema->current->items) return;
    for (SchItem* item : list_items<SchItem>(schema->current->items))
        if (item->type == LINE_ITEM && !is_drawing_line(item)) order_line_ends(as_Line(item));
}

void snap_wires_to_pin(NetContext* context, Point tip, Point inner) {
    bool vertical = tip.x == inner.x;
    int32_t lo = vertical ? std::min(tip.y, inner.y) : std::min(tip.x, inner.x);
    int32_t hi = vertical ? std::max(tip.y, inner.y) : std::max(tip.x, inner.x);
    for (SchItem* item : list_items<SchItem>(context->sheet->items)) {
        if (item->type != LINE_ITEM || is_drawing_line(item)) continue;
        Line* line = as_Line(item);
        if (vertical ? (line->pos.x != tip.x || line->end.x != tip.x)
                     : (line->pos.y != tip.y || line->end.y != tip.y))
            continue;
        int32_t* c1 = vertical ? &line->pos.y : &line->pos.x;
        int32_t* c2 = vertical ? &line->end.y : &line->end.x;
        pull_ends_to_tip(&line->pos, c1, *c1 > lo && *c1<hi, &line->end, c2, *c2> lo && *c2 < hi,
                         vertical ? tip.y : tip.x);
    }
}

void snap_wire_to_pin(Point tip, Point inner, Line* wire) {
    bool vertical = tip.x == inner.x;
    if (vertical ? (wire->pos.x != tip.x || wire->end.x != tip.x)
                 : (wire->pos.y != tip.y || wire->end.y != tip.y))
        return;
    int32_t lo = vertical ? std::min(tip.y, inner.y) : std::min(tip.x, inner.x);
    int32_t hi = vertical ? std::max(tip.y, inner.y) : std::max(tip.x, inner.x);
    int32_t* c1 = vertical ? &wire->pos.y : &wire->pos.x;
    int32_t* c2 = vertical ? &wire->end.y : &wire->end.x;
    pull_ends_to_tip(&wire->pos, c1, *c1 >= lo && *c1<hi, &wire->end, c2, *c2> lo && *c2 <= hi,
                     vertical ? tip.y : tip.x);
}

int connection_stubs_of_item(Schema* schema, SchItem* item, List** list, bool copy_lines) {
    if (!schema || !item || !schema->edit.edit_list) return 0;
    if (!*list && !(*list = list_new())) no_memory();
    int made = 0;
    switch (item->type) {
        case LINE_ITEM:
            if (copy_lines) {
                Item* copy = copy_Item(item);
                if (!copy || !dlist_append(*list, copy)) no_memory();
                made = 1;
            }
            break;
        case ARC_ITEM:
            if (copy_lines) {
                add_stub_wire(as_Arc(item)->start, as_Arc(item)->end, *list);
                made = 1;
            }
            break;
        case NOCON_ITEM:
            add_stub_wire(item->pos, item->pos, *list);
            made = 1;
            break;
        default: made = add_item_stubs(schema, item, *list, false); break;
    }
    if (copy_lines && made > 0) {
        auto* last = static_cast<SchItem*>(dlist_tail(*list)->data);
        bool stands_for =
            item->type == LINE_ITEM || item->type == ARC_ITEM || item->type == NOCON_ITEM;
        last->next = stands_for ? item : nullptr;
    }
    return made;
}
