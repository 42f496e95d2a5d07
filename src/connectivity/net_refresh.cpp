// The connectivity refresh while editing, and the stub wires the editor
// shows for moved items.
#include "connectivity/net_refresh.h"

#include <algorithm>
#include <memory>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
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

}  // namespace

int refresh_connectivity(NetContext* context, Schema* schema) {
    std::unique_ptr<NetContext, void (*)(NetContext*)> own(
        nullptr, [](NetContext* c) { free_NetContext(nullptr, c); });
    if (!context) {
        own.reset(new_NetContext());
        if (!own) no_memory();
        context = own.get();
    }
    return refresh_sheet_connectivity(context, schema);
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
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->type == LINE_ITEM && !is_drawing_line(item)) order_line_ends(as_Line(item));
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
