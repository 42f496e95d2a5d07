// The net builder's driver, the preparation (phase 1), the connection
// points with their stubs (phase 2), the islands (phase 8), the members'
// records (phase 9) and the clean-up (12). The phases are listed in
// net_build.h, the wire phases are in net_build_wires.cpp, the names in
// net_names.cpp.
#include "connectivity/net_build.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "connectivity/bus_expand.h"
#include "connectivity/net_context.h"
#include "connectivity/net_table.h"
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

// Gives a table's storage back (an assignment of {} keeps it).
template <class Table>
void release(Table& table) {
    Table().swap(table);
}

// Which value SHOW_POWER_LOCAL takes for a placed part. Set in memory only:
// building nets never rewrites the user's settings file.
void set_show_power_local(const PlacedPart* part) {
    int show = proper_get(SHOW_POWER);
    int local = show == 1 ? 1 : show == 2 ? 0 : (part->flags & PL_POWERON) ? 1 : 0;
    if (proper_get(SHOW_POWER_LOCAL) == local) return;
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

// The connection points of phase 2, item by item: a Sink takes each stub
// (a to b) and, right after it, the member standing at its end:
//   void stub(Point a, Point b);
//   void member(Point at, SchItem* whoami, Pin* pin, SchItem* father);
//   bool members();                  whether members are asked for
template <class Sink>
int part_stubs(Schema* schema, PlacedPart* part, Sink& sink) {
    if (sink.members()) set_show_power_local(part);
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
            sink.stub(at, at);
            sink.member(at, nullptr, pin, part);
            continue;
        }
        Point outer, inner;
        get_PinLine(pin, &outer, &inner);
        matrix_apply(&matrix, outer, &outer);
        matrix_apply(&matrix, inner, &inner);
        sink.stub(outer, inner);
        sink.member(inner, nullptr, pin, part);
    }
    return made;
}

template <class Sink>
int power_stub(Power* power, Sink& sink) {
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
    sink.stub(p, q);
    sink.member(q, power, nullptr, nullptr);
    return 1;
}

template <class Sink>
int port_stub(Port* port, Sink& sink) {
    Point p = port->pos;
    Point q{shifted(p.x, (port->flags & PORT_RIGHT) ? 1000 : -1000), p.y};
    sink.stub(p, q);
    sink.member(q, port, nullptr, nullptr);
    return 1;
}

template <class Sink>
int subsheet_stubs(SubSheet* box, Sink& sink) {
    int made = 0;
    for (Port* port : list_items<Port>(box->ports)) {
        Point p = offset_point(box->pos, port->pos);
        Point q{shifted(p.x, port->pos.x == 0 ? 1000 : -1000), p.y};
        sink.stub(p, q);
        sink.member(q, port, nullptr, box);
        ++made;
    }
    return made;
}

template <class Sink>
int item_stubs(Schema* schema, SchItem* item, Sink& sink) {
    switch (item->type) {
        case PARTLIB_ITEM: return part_stubs(schema, as_PlacedPart(item), sink);
        case POWER_ITEM: return power_stub(as_Power(item), sink);
        case PORT_ITEM: return port_stub(as_Port(item), sink);
        case SUBSHEET_ITEM: return subsheet_stubs(as_SubSheet(item), sink);
        default: return 0;
    }
}

// Stub wires appended to a list, with their pseudo-pins when asked.
struct RecordSink {
    List* list;
    bool with_members;
    Line* last = nullptr;
    bool members() const { return with_members; }
    void stub(Point a, Point b) { last = add_stub_wire(a, b, list); }
    void member(Point at, SchItem* whoami, Pin* pin, SchItem* father) {
        if (with_members) add_PseudoPin(at, whoami, pin, father, last, list);
    }
};

}  // namespace

Point offset_point(Point p, Point by) { return Point{shifted(p.x, by.x), shifted(p.y, by.y)}; }

int add_item_stubs(Schema* schema, SchItem* item, List* list, bool with_members) {
    RecordSink sink{list, with_members};
    return item_stubs(schema, item, sink);
}

// --- phase 1 ------------------------------------------------------------------------------

namespace {

// Phase 1, calling `visit` on each item that stays, once it is prepared.
template <class Visit>
void prepare(NetContext* context, Schema* schema, Visit visit) {
    Sheet* sheet = context->sheet;
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
        {
            FlagOpScope scope(NET_CURRENT_PASS, FLAGOP_OR);
            flag_SchItem(item);
        }
        visit(item);
    }
    empty_islands(context);
    FlagOpScope scope(NET_CURRENT_PASS, FLAGOP_OR);
    flagop_apply(&sheet->state);
}

}  // namespace

int net_prepare(NetContext* context, Schema* schema) {
    prepare(context, schema, [](SchItem*) {});
    return 0;
}

// --- the build ------------------------------------------------------------------------------

namespace {

// Phase 2 into the table: a temporary line per stub, and each member's
// place, stub and what it stands for, in the order the records would be
// made. The walk also takes the records the later phases visit, and gives
// the lines, arcs and junctions their open ends (phase 4: no phase before
// it reads or changes them).
struct TableSink {
    NetTable& t;
    TableVector<MemberSource>& sources;
    TableVector<TableLine> stubs;  // they get their ids after the sheet's lines
    uint32_t last_stub = NO_LINE;  // a number among the stubs
    bool members() const { return true; }
    void stub(Point a, Point b) {
        last_stub = static_cast<uint32_t>(stubs.size());
        stubs.push_back(NetTable::temporary(a, b));
    }
    void member(Point at, SchItem* whoami, Pin* pin, SchItem* father) {
        if (member_name_kind(whoami, pin, father))
            t.naming_members.push_back(static_cast<uint32_t>(t.member_at.size()));
        t.member_at.push_back(at);
        t.member_wire.push_back(last_stub);
        last_stub = NO_LINE;
        sources.push_back(MemberSource{pin ? static_cast<void*>(pin) : whoami, father});
    }
};

// How much of a large build's tables is made resident ahead (TableReuse),
// in bytes a record of the sheet: about what its first tables fill (the
// lines 28 bytes a record, the records behind them 5, the stubs, the
// members and their sources about 20, the chains 14, the first of the
// cells by carrier), which the build writes while the threads fill the
// rest. Room beyond it is mapped as a table asks for it, so that room a
// table reserves and never fills is not made resident for nothing: an
// area of the whole 160 bytes a record the tables reserve peaked 266 MiB
// higher on a million parts (bench/README.md).
constexpr size_t TABLE_BYTES_PER_RECORD = 88;

void table_connection_points(NetContext* context, Schema* schema, NetTable& t,
                             TableVector<MemberSource>& sources) {
    TableSink sink{t, sources, {}};
    // Room from the sheet's count of records, for the sheet's lines and for
    // the members: the tables then fill without growing by copies, and room
    // never filled is never touched (large blocks are mapped pages of their
    // own) unless a large build's room is made resident ahead (TableReuse):
    // the lines get the room for the stubs and the later phases' wires
    // once their count is known, below.
    size_t records = context->sheet->items->count;
    t.lines.reserve(records + 64);
    t.real.reserve(records);
    sink.stubs.reserve(records / 2 + 16);
    t.member_at.reserve(records / 2 + 16);
    t.member_wire.reserve(records / 2 + 16);
    sources.reserve(records / 2 + 16);
    // Phase 1 and the items' part of phase 2 in one walk: an item's
    // connection points do not depend on what the preparation does to the
    // items after it.
    prepare(context, schema, [&](SchItem* item) {
        switch (item->type) {
            case LINE_ITEM:
            case ARC_ITEM:
                item->state |= NET_ENDS_OPEN;
                if (is_bus_line(item) && item->type == LINE_ITEM) t.buses.push_back(as_Line(item));
                if (is_drawing_line(item) || is_bus_line(item)) break;
                t.real.push_back(item);
                t.lines.push_back(NetTable::of_record(item));
                break;
            case JUNCTION_ITEM:
                item->state |= NET_ENDS_OPEN;
                t.junctions.push_back(item);
                break;
            case TEXT_ITEM:
                if ((item->flags & TEXT_TYPE_MASK) != LABEL) break;
                [[fallthrough]];
            case NETPROP_ITEM:
                item->net_slot = static_cast<uint32_t>(t.texts.size());
                t.texts.push_back(item);
                break;
            case NOCON_ITEM: sink.member(item->pos, item, nullptr, nullptr); break;
            case SUBSHEET_ITEM:
                t.any_box = true;
                item_stubs(schema, item, sink);
                break;
            default: item_stubs(schema, item, sink); break;
        }
    });
    for (Port* port : list_items<Port>(schema->ports)) item_stubs(schema, port, sink);
    // The stubs follow the sheet's own lines, with room over for the wires
    // the phases lay (a fifth more on a ladder).
    auto real = static_cast<uint32_t>(t.real.size());
    for (uint32_t& stub : t.member_wire)
        if (stub != NO_LINE) stub += real;
    size_t room = t.real.size() + sink.stubs.size();
    room += room / 4 + 64;
    t.lines.reserve(room);
    t.lines.insert(t.lines.end(), sink.stubs.begin(), sink.stubs.end());
    release(sink.stubs);
    t.chains.reserve(room);
    t.chain_next.reserve(room);
    t.chains.resize(t.count());
    t.chain_next.assign(t.count(), NO_LINE);
}

// Phase 8: a head in front of every chain, in the order of the chains'
// first lines; the chains, complete now, are written to the records (each
// real record linked to the real ones beside it, the first to the head).
// What the later phases ask of the lines is kept by head, and the lines go.
void table_islands(NetContext* context, NetTable& t) {
    uint32_t count = t.count();
    for (uint32_t id = 0; id < count; ++id) {
        fetch_ahead(t.real, id);
        // A head for each line that starts its chain (or stands alone).
        if (t.chains[id].parent != NO_LINE && t.chain_first(id) != id) continue;
        Ident* head = new_Ident();
        if (!head) no_memory();
        if (!context->islands && !(context->islands = list_new())) no_memory();
        DListNode* node = dlist_append(context->islands, head);
        if (!node) no_memory();
        auto number = static_cast<uint32_t>(t.heads.size());
        head->net_slot = number;
        t.heads.push_back(NetTable::HeadEntry{head, node, 0});
        SchItem* before = nullptr;
        // Each line's successor gives way to its head's number: every line
        // lies in one chain, walked once, and chain_first reads no successor.
        for (uint32_t at = id, next; at != NO_LINE; at = next) {
            next = std::exchange(t.chain_next[at], number);
            if (!t.is_real(at)) continue;
            SchItem* record = t.real[at];
            record->state = t.state(at);
            record->prev = before ? before : head;
            if (before)
                before->next = record;
            else
                head->next = record;
            before = record;
        }
        if (before) before->next = nullptr;
    }
    release(t.chains);
    const TableVector<uint32_t> head_of = std::move(t.chain_next);
    auto net = [&](uint32_t wire) {
        if (wire == NO_LINE) return NO_LINE;
        return head_of[wire] | (t.absorbed(wire) ? NetTable::NET_OF_ABSORBED : 0);
    };
    size_t members = t.member_wire.size();
    t.member_net.resize(members);
    t.member_record.resize(members);
    t.member_head.resize(members);
    for (size_t m = 0; m < members; ++m) {
        uint32_t wire = t.member_wire[m], first = t.member_first[m];
        t.member_net[m] = net(wire);
        t.member_record[m] = wire != NO_LINE && t.is_real(wire) ? t.real[wire] : nullptr;
        t.member_head[m] = first == NO_LINE ? NO_LINE : head_of[first];
    }
    t.label_net.resize(t.label_wire.size());
    for (size_t k = 0; k < t.label_wire.size(); ++k) t.label_net[k] = net(t.label_wire[k]);
    release(t.member_wire);
    release(t.member_first);
    release(t.label_wire);
    release(t.lines);
    release(t.real);
}

// Phase 9: the members' records, each put in front of the members of the
// net whose wire end it touches first. With `final_wires` each gets the
// wire phase 12 leaves it as it is made, rather than in a walk of its own
// over records far apart.
void table_members(NetContext* context, NetTable& t, const TableVector<MemberSource>& sources,
                   bool final_wires) {
    List* items = context->sheet->items;
    auto& members = t.members;
    members.reserve(sources.size());
    for (size_t m = 0; m < sources.size(); ++m) {
        const MemberSource& s = sources[m];
        PseudoPin* pp =
            add_PseudoPin(t.member_at[m], s.whoami(), s.pin(), s.father, nullptr, items);
        pp->state |= NET_ENDS_OPEN;
        pp->net_slot = static_cast<uint32_t>(m);
        if (final_wires) pp->stub = t.member_record[m];
        members.push_back(pp);
        if (t.member_head[m] == NO_LINE) continue;
        Ident* head = t.heads[t.member_head[m]].head;
        pp->next = head->nextconn;
        if (head->nextconn) head->nextconn->prev = pp;
        head->nextconn = pp;
        pp->prev = head;
    }
}

// Sets the context's table for one build.
struct TableScope {
    NetContext* context;
    TableScope(NetContext* c, NetTable* t) : context(c) { c->table = t; }
    ~TableScope() { context->table = nullptr; }
    TableScope(const TableScope&) = delete;
    TableScope& operator=(const TableScope&) = delete;
};

}  // namespace

int build_sheet_nets(NetContext* context, Schema* schema) {
    if (!schema) return 0;
    context->sheet = schema->current;
    if (!context->sheet || !context->sheet->items) return 0;
    TableReuse reuse(TABLE_BYTES_PER_RECORD * context->sheet->items->count);  // ends after them
    NetTable table;
    TableScope scope(context, &table);
    TableVector<MemberSource> sources;
    table_connection_points(context, schema, table, sources);
    table_wire_phases(context, schema, table, sources);  // 3 to 6, and the members' wires
    table_islands(context, table);
    // Buses are expanded from ports: none, none to expand. The expansion
    // reads the members as phase 9 leaves them; without it nothing between
    // the members' making and phase 12 reads their wires (the names take
    // them from the table).
    const bool expand = (schema->ports && schema->ports->count) || table.any_box;
    table_members(context, table, sources, !expand);
    release(sources);
    int result = table_merge_names(context);
    if (!expand) return result;
    expand_buses(context, schema->ports);
    // Phase 12: the temporary wires go with the table; a member keeps the
    // last wire it touched only when that is one of the sheet's.
    for (size_t m = 0; m < table.members.size(); ++m) {
        fetch_ahead(table.members, m);
        PseudoPin* pp = table.members[m];
        pp->stub = table.member_record[pp->net_slot];
    }
    return result;
}

// --- clean-up -----------------------------------------------------------------------------

namespace {

// Removes the temporary records (heads and pseudo-pins excepted). Members
// whose wire goes lose it rather than keep a dangling pointer.
bool goes(const SchItem* item) {
    return (item->state & NET_TEMPORARY) && item->type != IDENT_ITEM && item->type != PSEUDO_PIN;
}

}  // namespace

void sheet_nets_cleanup(NetContext* context, Schema* schema, int full) {
    if (!schema || !schema->current || !schema->current->items) return;
    Sheet* sheet = schema->current;
    for (SchItem* item : list_items<SchItem>(sheet->items))
        if (item->type == PSEUDO_PIN && as_PseudoPin(item)->stub && goes(as_PseudoPin(item)->stub))
            as_PseudoPin(item)->stub = nullptr;
    for (DListNode* node : dlist_nodes(sheet->items)) {
        auto* item = static_cast<SchItem*>(node->data);
        if (!goes(item) && !(full && (item->type == IDENT_ITEM || item->type == PSEUDO_PIN)))
            continue;
        if (goes(item)) unlink_chain_item(item);
        dlist_remove(sheet->items, node, nullptr);
        free_SchItem(schema, item, false);
    }
    if (!full) return;
    if (context) empty_islands(context);
    constexpr uint32_t connection_bits = NET_VISITED | NET_IGNORED | NET_ENDS_OPEN |
                                         NET_UNUSED_JUNCTION | 0x1000 | 0x2000 | NET_CURRENT_PASS;
    sheet->state &= ~connection_bits;
    for (SchItem* item : list_items<SchItem>(sheet->items)) {
        item->state &= ~connection_bits;
        item->prev = item->next = nullptr;
    }
}
