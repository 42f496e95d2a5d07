// The connectivity refresh while editing, and the stub wires the editor
// shows for moved items.
#include "connectivity/net_refresh.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
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

// A touched wire meets every other line of its kind, in list order: the
// editor appends what it draws, so the wire a new one overlaps usually
// stands before it.
void fuse_touched_wires(NetContext* context) {
    List* items = context->sheet->items;
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
            if (compare_wires(context, w, as_Line(other)) == WIRE_ABSORBED) break;
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

// Moves one end coordinate onto the tip when it lies in the range.
bool snap_end(int32_t* c, int32_t tip, bool inside) {
    if (!inside || *c == tip) return false;
    *c = tip;
    return true;
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
    TouchedRefresh(NetContext* context, Schema* schema, SheetIndex* index,
                   const RefreshEdits& edits)
        : context_(context), schema_(schema), index_(index), edits_(edits) {
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
    void snap_part(PlacedPart* part);
    void snap_wire(Line* wire);
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

    NetContext* context_;
    Schema* schema_;
    SheetIndex* index_;
    const RefreshEdits& edits_;
    Sheet scratch_;
    std::vector<SchItem*> found_;
    std::unordered_set<SchItem*> met_;
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
    sheet_index_take_unordered(index_, &lines);
    for (SchItem* item : lines)
        if (!is_drawing_line(item)) order_ends_of(as_Line(item));
}

void TouchedRefresh::gather(const Rect& area) {
    while (scratch_.items->count) dlist_remove_head(scratch_.items, nullptr);
    sheet_index_query(index_, area, &found_);
    // The index holds the sheet's items and the ports list, where only ports stand.
    for (SchItem* item : found_) {
        if (item->type != LINE_ITEM) continue;
        meet(item);
        append_or_die(scratch_.items, item);
    }
}

template <class Rule>
void TouchedRefresh::watching(Rule rule) {
    struct Was {
        Line* line;
        Point pos, end;
    };
    std::vector<Was> was;
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
    std::vector<Line*> others;
    for (Line* other : list_items<Line>(scratch_.items)) others.push_back(other);
    for (Line* other : others) {
        if (other == w || (other->state & NET_IGNORED) ||
            (other->flags & STYLE_MASK) != (w->flags & STYLE_MASK))
            continue;
        int result = 0;
        watching([&] { result = compare_wires(context_, w, other); });
        if (result == WIRE_ABSORBED) break;
    }
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
    sheet_index_query(index_, area, &found_);
    std::vector<PlacedPart*> parts;
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
    sheet_index_sort(index_, &absorbed_);
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
        TouchedRefresh pass(context, schema, index, edits);
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
        for (SchItem* item : order)
            if (item->type == JUNCTION_ITEM && (item->state & NET_CURRENT_PASS))
                pass.junction(item);
        pass.delete_absorbed();
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
    fuse_touched_wires(context);
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->type == PARTLIB_ITEM && (item->state & NET_CURRENT_PASS))
            for_each_pin_line(schema, as_PlacedPart(item), [&](Point tip, Point inner) {
                snap_wires_to_pin(context, tip, inner);
            });
    snap_touched_wires(schema, sheet);
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
        Point* ends[2] = {&line->pos, &line->end};
        if (vertical ? (line->pos.x != tip.x || line->end.x != tip.x)
                     : (line->pos.y != tip.y || line->end.y != tip.y))
            continue;
        for (Point* end : ends) {
            int32_t* c = vertical ? &end->y : &end->x;
            int32_t old = *c;
            Point was = *end;
            if (snap_end(c, vertical ? tip.y : tip.x, old > lo && old < hi))
                net_debug("Lissage pin at %d,%d\n", was.x, was.y);
        }
    }
}

void snap_wire_to_pin(Point tip, Point inner, Line* wire) {
    bool vertical = tip.x == inner.x;
    if (vertical ? (wire->pos.x != tip.x || wire->end.x != tip.x)
                 : (wire->pos.y != tip.y || wire->end.y != tip.y))
        return;
    int32_t lo = vertical ? std::min(tip.y, inner.y) : std::min(tip.x, inner.x);
    int32_t hi = vertical ? std::max(tip.y, inner.y) : std::max(tip.x, inner.x);
    int32_t t = vertical ? tip.y : tip.x;
    Point was = wire->pos;
    int32_t* first = vertical ? &wire->pos.y : &wire->pos.x;
    if (snap_end(first, t, *first >= lo && *first < hi))
        net_debug("Lissage pin at %d,%d\n", was.x, was.y);
    was = wire->end;
    int32_t* second = vertical ? &wire->end.y : &wire->end.x;
    if (snap_end(second, t, *second > lo && *second <= hi))
        net_debug("Lissage pin at %d,%d\n", was.x, was.y);
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
