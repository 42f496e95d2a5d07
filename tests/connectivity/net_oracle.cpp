// The net build written the plain way, on the records themselves: stub
// wires and pseudo-pins appended to the sheet's list, every line against
// every later line, every junction and pin tip against every line, every
// member against every wire, every name against every later name, every bus
// line and label scanned for each port, chains walked link by link, and the
// temporary records taken off the list again at the end. The shipped build
// must leave exactly what this one leaves.
#include "connectivity/net_oracle.h"

#include <string>
#include <vector>

#include "connectivity/bus_expand.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"

namespace net_test {

namespace {

SchItem* item_of(DListNode* node) { return static_cast<SchItem*>(node->data); }
bool free_line(const SchItem* item) {
    return item->type == LINE_ITEM && !(item->state & NET_IGNORED);
}

int plain_pseudo_pins(NetContext* context, Schema* schema) {
    List* items = context->sheet->items;
    DListNode* last = dlist_tail(items);
    for (DListNode* node = dlist_head(items); node; node = dlist_next(node)) {
        if (item_of(node)->type == NOCON_ITEM)
            add_PseudoPin(item_of(node)->pos, item_of(node), nullptr, nullptr, nullptr, items);
        else
            add_item_stubs(schema, item_of(node), items, true);
        if (node == last) break;
    }
    for (Port* port : list_items<Port>(schema->ports)) add_item_stubs(schema, port, items, true);
    return 0;
}

int plain_wire_ends(NetContext* context, Schema*) {
    int result = 0;
    for (DListNode* n1 = dlist_head(context->sheet->items); n1; n1 = dlist_next(n1)) {
        if (!free_line(item_of(n1))) continue;
        for (DListNode* n2 = dlist_next(n1); n2; n2 = dlist_next(n2)) {
            if (!free_line(item_of(n2))) continue;
            int r = compare_wires(context, as_Line(item_of(n1)), as_Line(item_of(n2)));
            if (r == WIRE_ABSORBED) break;
            result |= r;
        }
    }
    return result;
}

int plain_junctions(NetContext* context, Schema* schema) {
    List* items = context->sheet->items;
    for (DListNode* j = dlist_head(items); j; j = dlist_next(j)) {
        if (item_of(j)->type != JUNCTION_ITEM || !(item_of(j)->state & NET_CURRENT_PASS)) continue;
        for (DListNode* w = dlist_head(items); w; w = dlist_next(w))
            if (free_line(item_of(w)))
                junction_meets_line(context, item_of(j), as_Line(item_of(w)));
    }
    for (DListNode* p = dlist_head(items); p; p = dlist_next(p)) {
        Point tip;
        if (item_of(p)->type != PSEUDO_PIN ||
            !member_pin_tip(context, schema, as_PseudoPin(item_of(p)), &tip))
            continue;
        for (DListNode* w = dlist_head(items); w; w = dlist_next(w))
            if (free_line(item_of(w)) && point_on_wire(tip, as_Line(item_of(w)), 0) == 1)
                split_wire(context, as_Line(item_of(w)), tip);
    }
    return 0;
}

int plain_ends_open(NetContext* context, Schema*) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == LINE_ITEM || item->type == ARC_ITEM || item->type == JUNCTION_ITEM ||
            item->type == PSEUDO_PIN)
            item->state |= NET_ENDS_OPEN;
    return 0;
}

bool joinable(const SchItem* item) {
    return (item->type == LINE_ITEM || item->type == ARC_ITEM) && !(item->state & NET_IGNORED);
}

int plain_arcs(NetContext* context, Schema*) {
    for (DListNode* a = dlist_head(context->sheet->items); a; a = dlist_next(a)) {
        if (!joinable(item_of(a))) continue;
        for (DListNode* b = dlist_next(a); b; b = dlist_next(b))
            if (joinable(item_of(b))) join_if_ends_meet(context, item_of(a), item_of(b));
    }
    return 0;
}

int plain_islands(NetContext* context, Schema*) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items)) {
        if ((item->type != LINE_ITEM && item->type != ARC_ITEM) || is_drawing_line(item) ||
            is_bus_line(item) || item->prev)
            continue;
        Ident* head = new_Ident();
        head->next = item;
        item->prev = head;
        if (!context->islands) context->islands = list_new();
        dlist_append(context->islands, head);
    }
    return 0;
}

int plain_members(NetContext* context, Schema*) {
    for (SchItem* p : list_items<SchItem>(context->sheet->items)) {
        if (p->type != PSEUDO_PIN) continue;
        for (SchItem* w : list_items<SchItem>(context->sheet->items)) {
            Point ends[2];
            if (!joinable(w) || !item_ends(w, ends)) continue;
            if (ends[0] == p->pos || ends[1] == p->pos) attach_member(context, as_PseudoPin(p), w);
        }
    }
    return 0;
}

int plain_merge_names(NetContext* context, Schema*) {
    {
        FlagOpScope scope(NET_VISITED, FLAGOP_CLEAR);
        flag_SchItem(context->sheet);
    }
    List* items = context->sheet->items;
    for (DListNode* x = dlist_head(items); x; x = dlist_next(x)) {
        std::string name, other;
        if (!item_net_name(item_of(x), &name)) continue;
        if (!new_merge_set(context)) return 9;
        add_to_merge_set(context, item_of(x));
        for (DListNode* y = dlist_next(x); y; y = dlist_next(y))
            if (item_net_name(item_of(y), &other) && net_names_equal(name.c_str(), other.c_str()))
                add_to_merge_set(context, item_of(y));
        merge_islands(context);
    }
    attach_net_properties(context);
    return 0;
}

// --- buses, recursively as written ----------------------------------------------------------

bool collect_bus_labels(NetContext* context, List* texts, Point p) {
    Line* bus = nullptr;
    for (SchItem* item : list_items<SchItem>(context->sheet->items)) {
        if (item->type != LINE_ITEM || !is_bus_line(item) || (item->state & NET_VISITED)) continue;
        if (item->pos == p || as_Line(item)->end == p) {
            bus = as_Line(item);
            break;
        }
    }
    if (!bus) return false;
    bus->state |= NET_VISITED;
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == TEXT_ITEM && is_range_label(as_Text(item)) &&
            point_on_wire(item->pos, bus, 0))
            dlist_prepend(texts, new std::string(as_Text(item)->string));
    collect_bus_labels(context, texts, bus->pos);
    collect_bus_labels(context, texts, bus->end);
    return true;
}

void plain_expand_bus_port(NetContext* context, const Port* port, Point offset) {
    {
        FlagOpScope scope(NET_VISITED, FLAGOP_CLEAR);
        flag_SchItem(context->sheet);
    }
    Point p = offset_point(port->pos, offset);
    List* texts = list_new();
    bool found = collect_bus_labels(context, texts, p);
    if (found && texts->count == 0)
        net_warningf("*** Warning : No Bus name specified for port '%s'...\n", port->name.get());
    int32_t lo = -1, hi = -1;
    std::string reference;
    std::vector<std::string> bases;
    bool first = true;
    for (std::string* t : list_items<std::string>(texts)) {
        std::string base;
        int32_t a, b;
        parse_bus_range(*t, &base, &a, &b);
        bases.push_back(base);
        if (first) {
            lo = a;
            hi = b;
            reference = *t;
            first = false;
        } else if (a != lo || b != hi) {
            net_warningf("*** Warning : Range Label bus '%s' do not match Label bus '%s'\n",
                         t->c_str(), reference.c_str());
        }
        delete t;
    }
    dlist_free(texts, LIST_FROM_HEAD, nullptr);
    const int step = lo > hi ? -1 : 1;
    for (const std::string& base : bases)
        for (int64_t n = lo; n != int64_t{hi} + step; n += step) {
            std::string name = base + std::to_string(n);
            Ident* head = find_net_by_name(context, name.c_str());
            if (!head) continue;
            for (const std::string& b : bases) {
                std::string alias = bus_alias_name(b, static_cast<int32_t>(n));
                if (!ident_add_name(head, NAME_BUS_ALIAS, alias.c_str())) no_memory();
            }
        }
}

int plain_buses(NetContext* context, Schema* schema) {
    for (Port* port : list_items<Port>(schema->ports))
        plain_expand_bus_port(context, port, Point{});
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == SUBSHEET_ITEM)
            for (Port* port : list_items<Port>(as_SubSheet(item)->ports))
                plain_expand_bus_port(context, port, item->pos);
    return 0;
}

// Phase 12: the temporary records other than heads and pseudo-pins are
// unlinked from their chains and taken off the list; members whose wire
// goes lose it.
bool goes(const SchItem* item) {
    return (item->state & NET_TEMPORARY) && item->type != IDENT_ITEM && item->type != PSEUDO_PIN;
}

int plain_cleanup(NetContext* context, Schema* schema) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == PSEUDO_PIN && as_PseudoPin(item)->stub && goes(as_PseudoPin(item)->stub))
            as_PseudoPin(item)->stub = nullptr;
    for (DListNode* node : dlist_nodes(context->sheet->items)) {
        if (!goes(item_of(node))) continue;
        SchItem* item = item_of(node);
        unlink_chain_item(item);
        dlist_remove(context->sheet->items, node, nullptr);
        free_SchItem(schema, item, false);
    }
    return 0;
}

}  // namespace

int plain_build(NetContext* context, Schema* schema) {
    if (!schema) return 0;
    context->sheet = schema->current;
    if (!context->sheet || !context->sheet->items) return 0;
    int result = 0;
    net_prepare(context, schema);
    result |= plain_pseudo_pins(context, schema);
    result |= plain_wire_ends(context, schema);
    plain_ends_open(context, schema);
    result |= plain_junctions(context, schema);
    plain_arcs(context, schema);
    result |= plain_islands(context, schema);
    plain_members(context, schema);
    result |= plain_merge_names(context, schema);
    plain_buses(context, schema);
    plain_cleanup(context, schema);
    return result;
}

}  // namespace net_test
