// The net builder's driver and the phases that are the same whichever way
// touching records are found: preparation (1), pseudo-pins (2), open ends
// (4), islands (8) and the clean-up (12). The phases are listed in
// net_build.h.
#include "connectivity/net_build.h"

#include <algorithm>
#include <climits>

#include "connectivity/net_context.h"
#include "connectivity/net_index.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

namespace {

int free_head_cb(void* head) {
    free_Ident(static_cast<SchItem*>(head), false);
    return 0;
}

void empty_islands(NetContext* context) {
    if (context->islands) dlist_free(context->islands, LIST_FROM_HEAD, free_head_cb);
    context->islands = nullptr;
    if (context->merged_heads) dlist_free(context->merged_heads, LIST_FROM_HEAD, free_head_cb);
    context->merged_heads = nullptr;
}

// Which value SHOW_POWER_LOCAL takes for a placed part. Set in memory only:
// building nets never rewrites the user's settings file.
void set_show_power_local(const PlacedPart* part) {
    int show = proper_get(SHOW_POWER);
    int local = show == 1 ? 1 : show == 2 ? 0 : (part->flags & PL_POWERON) ? 1 : 0;
    uint8_t saved = config_write_flag;
    config_write_flag = 0;
    proper_set(SHOW_POWER_LOCAL, local);
    config_write_flag = saved;
}

// Points a fixed distance to the side, kept inside the coordinate range.
int32_t shifted(int32_t x, int64_t by) {
    int64_t v = int64_t{x} + by;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Adds the member when pseudo-pins are asked for.
void member(bool with_members, Point at, SchItem* whoami, Pin* pin, SchItem* father, Line* stub,
            List* items) {
    if (with_members) add_PseudoPin(at, whoami, pin, father, stub, items);
}

int part_stubs(Schema* schema, PlacedPart* part, List* items, bool with_members) {
    if (with_members) set_show_power_local(part);
    Matrix matrix;
    pl_matrix(part, &matrix);
    PinList* pins = pl_pins_in_use(schema->library, part);
    if (!pins) return 0;
    int made = 0;
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        ++made;
        if (pin->type == PWR) {
            Point at;
            matrix_apply(&matrix, pin->pos, &at);
            Line* stub = add_stub_wire(at, at, items);
            member(with_members, at, nullptr, pin, part, stub, items);
            continue;
        }
        Point outer, inner;
        get_PinLine(pin, &outer, &inner);
        matrix_apply(&matrix, outer, &outer);
        matrix_apply(&matrix, inner, &inner);
        Line* stub = add_stub_wire(outer, inner, items);
        member(with_members, inner, nullptr, pin, part, stub, items);
    }
    return made;
}

int power_stub(Power* power, List* items, bool with_members) {
    Point d{0, 1};
    switch (power->flags & POWER_ROT_MASK) {
        case 0: d = {0, 1}; break;
        case 1: d = {-1, 0}; break;
        case 2: d = {0, -1}; break;
        case 3: d = {1, 0}; break;
        default: warning("Power: flags %x, invalid rotation", power->flags); break;
    }
    Point p = power->pos;
    Point q{shifted(p.x, -20 * d.x), shifted(p.y, -20 * d.y)};
    Line* stub = add_stub_wire(p, q, items);
    member(with_members, q, power, nullptr, nullptr, stub, items);
    return 1;
}

int port_stub(Port* port, List* items, bool with_members) {
    Point p = port->pos;
    Point q{shifted(p.x, (port->flags & PORT_RIGHT) ? 1000 : -1000), p.y};
    Line* stub = add_stub_wire(p, q, items);
    member(with_members, q, port, nullptr, nullptr, stub, items);
    return 1;
}

int subsheet_stubs(SubSheet* box, List* items, bool with_members) {
    int made = 0;
    for (Port* port : list_items<Port>(box->ports)) {
        Point p = offset_point(box->pos, port->pos);
        Point q{shifted(p.x, port->pos.x == 0 ? 1000 : -1000), p.y};
        Line* stub = add_stub_wire(p, q, items);
        member(with_members, q, port, nullptr, box, stub, items);
        ++made;
    }
    return made;
}

}  // namespace

Point offset_point(Point p, Point by) { return Point{shifted(p.x, by.x), shifted(p.y, by.y)}; }

int add_item_stubs(Schema* schema, SchItem* item, List* list, bool with_members) {
    switch (item->type) {
        case PARTLIB_ITEM: return part_stubs(schema, as_PlacedPart(item), list, with_members);
        case POWER_ITEM: return power_stub(as_Power(item), list, with_members);
        case PORT_ITEM: return port_stub(as_Port(item), list, with_members);
        case SUBSHEET_ITEM: return subsheet_stubs(as_SubSheet(item), list, with_members);
        default: return 0;
    }
}

// --- driver ------------------------------------------------------------------------------

int build_sheet_nets(NetContext* context, Schema* schema) {
    return build_sheet_nets_with(context, schema, indexed_net_phases);
}

int build_sheet_nets_with(NetContext* context, Schema* schema, const NetPhaseTable& phases) {
    if (!schema) return 0;
    context->sheet = schema->current;
    if (!context->sheet || !context->sheet->items) return 0;
    int result = 0;
    net_prepare(context, schema);
    result |= net_pseudo_pins(context, schema);
    result |= phases.wire_ends(context, schema);
    mark_ends_open(context, schema);
    result |= phases.junctions(context, schema);
    // No line changes its geometry after the junctions, and no phase reads
    // the end points after the members: their tables go as soon as they
    // are done with, before the heads and names of the later phases come.
    if (context->index) index_release_lines(context->index);
    phases.arcs(context, schema);
    // Phase 7 is an empty step.
    result |= net_islands(context, schema);
    phases.members(context, schema);
    if (context->index) index_release_ends(context->index);
    result |= phases.merge_names(context, schema);
    phases.buses(context, schema);
    net_cleanup(context, schema);
    return result;
}

// --- phase 1 ------------------------------------------------------------------------------

int net_prepare(NetContext* context, Schema* schema) {
    Sheet* sheet = context->sheet;
    drop_net_index(context);
    // The steps act on each item alone, so one walk does them all: clear
    // 0x80 (with the item's nested records), order wire and bus ends, reset
    // the connection bits, clear the links, mark the item of this pass.
    // Records of an earlier build are taken out without following their
    // links (the heads they point to may be gone). Bit 2, which phase 10
    // starts from clear, is cleared here too: nothing sets it before.
    constexpr uint32_t cleared = NET_IGNORED | NET_VISITED;
    {
        FlagOpScope scope(cleared, FLAGOP_CLEAR);
        flagop_apply(&sheet->state);
    }
    for (DListNode* node : dlist_nodes(sheet->items)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (item->type == IDENT_ITEM || item->type == PSEUDO_PIN || (item->state & NET_TEMPORARY)) {
            dlist_remove(sheet->items, node, nullptr);
            free_SchItem(schema, item, false);
            continue;
        }
        {
            FlagOpScope scope(cleared, FLAGOP_CLEAR);
            flag_SchItem(item);
        }
        if (item->type == LINE_ITEM && !is_drawing_line(item)) order_line_ends(as_Line(item));
        item->state &= ~uint32_t{NET_IGNORED | NET_ENDS_OPEN | 0x1000 | 0x2000};
        item->state |= NET_UNUSED_JUNCTION;
        if ((item->type == LINE_ITEM || item->type == ARC_ITEM) &&
            (is_drawing_line(item) || is_bus_line(item)))
            item->state |= NET_IGNORED;
        item->prev = item->next = nullptr;
        FlagOpScope scope(NET_CURRENT_PASS, FLAGOP_OR);
        flag_SchItem(item);
    }
    empty_islands(context);
    context->last_original = nullptr;
    context->walked = {};
    FlagOpScope scope(NET_CURRENT_PASS, FLAGOP_OR);
    flagop_apply(&sheet->state);
    return 0;
}

// --- phase 2 ------------------------------------------------------------------------------

int net_pseudo_pins(NetContext* context, Schema* schema) {
    List* items = context->sheet->items;
    DListNode* last = dlist_tail(items);
    context->last_original = last ? last->data : nullptr;
    std::vector<SchItem*>& walked = context->walked;
    walked.clear();
    walked.reserve(items->count + 64);
    for (DListNode* node = dlist_head(items); node; node = dlist_next(node)) {
        auto* item = static_cast<SchItem*>(node->data);
        walked.push_back(item);
        if (item->type == NOCON_ITEM)
            add_PseudoPin(item->pos, item, nullptr, nullptr, nullptr, items);
        else
            add_item_stubs(schema, item, items, true);
        if (node == last) break;
    }
    for (Port* port : list_items<Port>(schema->ports)) add_item_stubs(schema, port, items, true);
    // The records appended, in the order of the list.
    for (DListNode* node = last ? dlist_next(last) : dlist_head(items); node;
         node = dlist_next(node))
        walked.push_back(static_cast<SchItem*>(node->data));
    return 0;
}

// --- phase 4 ------------------------------------------------------------------------------

int mark_ends_open(NetContext* context, Schema*) {
    for_sheet_items_of(context, item_codes({LINE_ITEM, ARC_ITEM, JUNCTION_ITEM, PSEUDO_PIN}),
                       [](SchItem* item) { item->state |= NET_ENDS_OPEN; });
    return 0;
}

// --- phase 8 ------------------------------------------------------------------------------

int net_islands(NetContext* context, Schema*) {
    for_sheet_items_of(context, item_codes({LINE_ITEM, ARC_ITEM}), [context](SchItem* item) {
        // Drawing arcs carry no net: they start no island of their own.
        bool carries = !is_drawing_line(item) && !is_bus_line(item);
        if (!carries || item->prev) return;
        Ident* head = new_Ident();
        if (!head) no_memory();
        head->next = item;
        item->prev = head;
        if (!context->islands && !(context->islands = list_new())) no_memory();
        DListNode* node = dlist_append(context->islands, head);
        if (!node) no_memory();
        if (context->index) index_head(context->index, head).node = node;
    });
    return 0;
}

// --- phase 12 -----------------------------------------------------------------------------

namespace {

// Removes the temporary records (heads and pseudo-pins excepted). Members
// whose wire goes lose it rather than keep a dangling pointer.
bool goes(const SchItem* item) {
    return (item->state & NET_TEMPORARY) && item->type != IDENT_ITEM && item->type != PSEUDO_PIN;
}

void forget_stub_that_goes(SchItem* item) {
    if (item->type == PSEUDO_PIN && as_PseudoPin(item)->stub && goes(as_PseudoPin(item)->stub))
        as_PseudoPin(item)->stub = nullptr;
}

void remove_goer(Schema* schema, Sheet* sheet, DListNode* node) {
    auto* item = static_cast<SchItem*>(node->data);
    if (!goes(item)) return;
    unlink_chain_item(item);
    dlist_remove(sheet->items, node, nullptr);
    free_SchItem(schema, item, false);
}

// Removes the records that go after `last_original` (all of them when it
// is not met), in list order: the sheet's own records are left unread.
void remove_goers_after(Schema* schema, Sheet* sheet, const void* last_original) {
    DListNode* from = dlist_tail(sheet->items);
    if (!from || from->data == last_original) return;
    while (from->prev && from->prev->data != last_original) from = from->prev;
    for (DListNode* node = from; node;) {
        DListNode* next = dlist_next(node);
        remove_goer(schema, sheet, node);
        node = next;
    }
}

void remove_temporaries(Schema* schema, Sheet* sheet) {
    for (SchItem* item : list_items<SchItem>(sheet->items)) forget_stub_that_goes(item);
    remove_goers_after(schema, sheet, nullptr);
}

}  // namespace

int net_cleanup(NetContext* context, Schema* schema) {
    context->walked = {};
    NetIndex* index = context->index;
    if (!index) {
        remove_temporaries(schema, context->sheet);
        return 0;
    }
    // The list order is the order of positions: the walk reads the table of
    // positions ahead instead of following the list's nodes.
    for_indexed_items_of(index, item_codes({PSEUDO_PIN}), forget_stub_that_goes);
    remove_goers_after(schema, context->sheet, context->last_original);
    context->last_original = nullptr;
    drop_net_index(context);
    return 0;
}

void sheet_nets_cleanup(NetContext* context, Schema* schema, int full) {
    if (!schema || !schema->current || !schema->current->items) return;
    Sheet* sheet = schema->current;
    if (context) drop_net_index(context);
    remove_temporaries(schema, sheet);
    if (!full) return;
    for (DListNode* node : dlist_nodes(sheet->items)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (item->type != IDENT_ITEM && item->type != PSEUDO_PIN) continue;
        dlist_remove(sheet->items, node, nullptr);
        free_SchItem(schema, item, false);
    }
    if (context) empty_islands(context);
    constexpr uint32_t connection_bits = NET_VISITED | NET_IGNORED | NET_ENDS_OPEN |
                                         NET_UNUSED_JUNCTION | 0x1000 | 0x2000 | NET_CURRENT_PASS;
    sheet->state &= ~connection_bits;
    for (SchItem* item : list_items<SchItem>(sheet->items)) {
        item->state &= ~connection_bits;
        item->prev = item->next = nullptr;
    }
}
