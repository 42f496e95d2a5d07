// Phases 3, 5 and 6 of the net builder through the look-up tables: each
// record meets only the records that can touch it, in list order, and the
// pair rules of net_chain.cpp decide what happens, so the results are those
// of comparing every pair.
#include <algorithm>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_index.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/schema.h"
#include "model/items/primitives.h"

namespace {

bool takes_part(const SchItem* item) { return !(item->state & NET_IGNORED); }

// Phase 3 for one wire: its candidates in list order; when the wire grows
// the candidates after the one it grew on are looked up again.
void wire_meets_later_wires(NetContext* context, NetIndex* index, Line* l1,
                            std::vector<Line*>& candidates) {
    uint64_t after = index_pos(index, l1);
    lines_along(index, l1, after, candidates);
    for (size_t i = 0; i < candidates.size(); ++i) {
        Line* l2 = candidates[i];
        if (!takes_part(l2)) continue;
        Point before_pos = l1->pos, before_end = l1->end;
        int result = compare_wires(context, l1, l2);
        index_sync(index);
        if (result == WIRE_ABSORBED) return;
        if (!(l1->pos == before_pos) || !(l1->end == before_end)) {
            lines_along(index, l1, index_pos(index, l2), candidates);
            i = static_cast<size_t>(-1);
        }
    }
}

int indexed_wire_ends(NetContext* context, Schema*) {
    NetIndex* index = net_index(context);
    std::vector<Line*> candidates;
    for_indexed_items_of(
        index, item_codes({LINE_ITEM}),
        [&](SchItem* item) {
            if (takes_part(item)) wire_meets_later_wires(context, index, as_Line(item), candidates);
        },
        [&](const SchItem* item) { index_prefetch_along(index, item); });
    return 0;
}

// Lines through a point, followed by the pieces splits append (which lie
// after every other line and pass through the point too).
template <class Rule>
void lines_through(NetContext* context, NetIndex* index, Point p, std::vector<Line*>& lines,
                   Rule rule) {
    lines_at(index, p, lines, true);
    DListNode* tail = dlist_tail(context->sheet->items);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (takes_part(lines[i])) rule(lines[i]);
        if (dlist_tail(context->sheet->items) != tail) {
            DListNode* node = dlist_next(tail);
            index_sync(index);
            for (; node; node = dlist_next(node)) {
                auto* added = static_cast<SchItem*>(node->data);
                if (added->type == LINE_ITEM && point_on_wire(p, as_Line(added), 0))
                    lines.push_back(as_Line(added));
            }
            tail = dlist_tail(context->sheet->items);
        }
    }
}

int indexed_junctions(NetContext* context, Schema* schema) {
    NetIndex* index = net_index(context);
    std::vector<Line*> lines;
    for_indexed_items_of(index, item_codes({JUNCTION_ITEM}), [&](SchItem* junction) {
        if (!(junction->state & NET_CURRENT_PASS)) return;
        lines_through(context, index, junction->pos, lines,
                      [&](Line* line) { junction_meets_line(context, junction, line); });
    });
    // The pin tips first (parts do not move while nets are built), so that
    // the cells each tip asks for can be fetched ahead.
    std::vector<Point>& tips = index->tips;
    tips.clear();
    for_indexed_items_of(index, item_codes({PSEUDO_PIN}), [&](SchItem* item) {
        Point tip;
        if (member_pin_tip(context, schema, as_PseudoPin(item), &tip)) tips.push_back(tip);
    });
    for (size_t i = 0; i < tips.size(); ++i) {
        if (i + PREFETCH_AHEAD / 2 < tips.size())
            index_prefetch_point(index, tips[i + PREFETCH_AHEAD / 2]);
        Point tip = tips[i];
        lines_through(context, index, tip, lines, [&](Line* line) {
            if (point_on_wire(tip, line, 0) == 1) split_wire(context, line, tip);
        });
    }
    index_sync(index);
    return 0;
}

int indexed_arcs(NetContext* context, Schema*) {
    NetIndex* index = net_index(context);
    index_sync(index);
    index_build_ends(index);
    std::vector<std::pair<uint32_t, SchItem*>> others;
    for_indexed_items_of(
        index, item_codes({LINE_ITEM, ARC_ITEM}),
        [&](SchItem* a) {
            if (!takes_part(a)) return;
            Point ends[2];
            item_ends(a, ends);
            uint64_t after = index_pos(index, a);
            others.clear();
            for (const Point& p : ends)
                for_records_ending_at(index, p, [&](SchItem* b, uint32_t pos) {
                    if (pos > after) others.emplace_back(pos, b);
                });
            std::sort(others.begin(), others.end());
            others.erase(std::unique(others.begin(), others.end()), others.end());
            for (const auto& [pos, b] : others) join_if_ends_meet(context, a, b);
        },
        [&](const SchItem* item) { index_prefetch_ends(index, item); });
    return 0;
}

int indexed_members(NetContext* context, Schema*) {
    NetIndex* index = net_index(context);
    if (!index->ends_built) index_build_ends(index);
    for_indexed_items_of(
        index, item_codes({PSEUDO_PIN}),
        [&](SchItem* item) {
            for_records_ending_at(index, item->pos, [&](SchItem* wire, uint32_t) {
                if (takes_part(wire)) attach_member(context, as_PseudoPin(item), wire);
            });
        },
        [&](const SchItem* item) { index->ends.prefetch(point_key(item->pos)); });
    return 0;
}

}  // namespace

int indexed_merge_names(NetContext* context, Schema* schema);
int indexed_buses(NetContext* context, Schema* schema);

const NetPhaseTable indexed_net_phases = {
    indexed_wire_ends, indexed_junctions,   indexed_arcs,
    indexed_members,   indexed_merge_names, indexed_buses,
};
