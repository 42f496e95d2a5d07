#pragma once
// The working tables of one net build (build_sheet_nets).
//
// Lines: the sheet's wires and arcs that carry nets get ids 0, 1, ... in
// list order (drawing and bus lines carry none and take part in nothing but
// the bus tests); the temporary wires the build lays (a stub per connection
// point, merged and split wires) get the ids after them, in the order they
// are made. The build's rules are the record rules to the letter, and ids
// in that order are list positions in the order the record rules would give
// them; but a temporary wire is 24 bytes of this table, never a record of
// the sheet nor a node of its list, and it is gone when the table goes.
//
// Chains: a union-find over ids whose roots are the chains' first lines,
// keeping each chain's last line, and each line's successor in its chain. Once the chains are complete
// (after phase 6) they are written to the records: each real record is
// linked to the real records before and after it, the head to the first.
//
// Members: the connection points of phase 2 in order (a pseudo-pin each
// once they are made): where each lies, its stub's id, and for part pins
// the pin's tip. The pseudo-pins themselves are made only when the build
// attaches them to their nets (phase 9), after the tables of the wire
// phases are gone.
#include <cstdint>
#include <utility>
#include <vector>

#include "connectivity/net_build.h"
#include "foundation/geometry.h"
#include "foundation/heap.h"
#include "model/items/item.h"
#include "model/items/primitives.h"

struct DListNode;
struct Ident;
struct Line;
struct Pin;
struct PseudoPin;

constexpr uint32_t NO_LINE = UINT32_MAX;
// How many records a walk over a table fetches ahead.
constexpr size_t PREFETCH_AHEAD = 16;
// Fetches the record PREFETCH_AHEAD places after the i-th of a table of
// records: on a large sheet the records a walk visits lie far apart in
// memory, and each would be waited for.
template <class Records>
inline void fetch_ahead(const Records& records, size_t i) {
    if (i + PREFETCH_AHEAD < records.size()) __builtin_prefetch(records[i + PREFETCH_AHEAD]);
}

// Room for a table that grows past what was reserved: a quarter more each
// time rather than twice as much, since the tables are at their largest
// then.
template <class Table>
void make_room(Table& table, size_t more = 1) {
    if (table.size() + more > table.capacity())
        table.reserve(table.size() + more + table.size() / 4 + 1024);
}

// A line of the table: a copy of one of the sheet's lines or arcs (written
// back to its record when the lines go), or a temporary wire.
struct TableLine {
    Point a, b;          // ends: a line's, ordered; an arc's start and end
    uint32_t state = 0;  // connection bits
    uint8_t flags = 0;   // the flag byte (style bits)
    bool arc = false;
};

struct NetTable {
    // --- lines -----------------------------------------------------------------
    TableVector<TableLine> lines;  // by id
    TableVector<SchItem*> real;    // the sheet's lines and arcs carrying nets: ids 0, 1, ...

    uint32_t count() const { return static_cast<uint32_t>(lines.size()); }
    bool is_real(uint32_t id) const { return id < real.size(); }
    // A line (not an arc).
    bool filed(uint32_t id) const { return !lines[id].arc; }
    Point first(uint32_t id) const { return lines[id].a; }
    Point second(uint32_t id) const { return lines[id].b; }
    uint32_t state(uint32_t id) const { return lines[id].state; }
    uint32_t& state_word(uint32_t id) { return lines[id].state; }
    bool absorbed(uint32_t id) const { return (lines[id].state & NET_IGNORED) != 0; }
    uint8_t flags(uint32_t id) const { return lines[id].flags; }
    // A temporary wire from a to b as add_stub_wire makes it (ends ordered,
    // temporary, both ends open).
    static TableLine temporary(Point a, Point b) {
        TableLine line;
        line.a = a;
        line.b = b;
        if (b.x < a.x || (b.x == a.x && b.y < a.y)) std::swap(line.a, line.b);
        line.state = uint32_t{STATE_NEW} | NET_TEMPORARY | NET_ENDS_OPEN;
        return line;
    }
    // A sheet's line or arc (after phase 1, its ends open: phase 4).
    static TableLine of_record(const SchItem* item) {
        TableLine line;
        bool arc = item->type == ARC_ITEM;
        line.a = arc ? as_Arc(item)->start : item->pos;
        line.b = arc ? as_Arc(item)->end : as_Line(item)->end;
        line.state = item->state;
        line.flags = item->flags;
        line.arc = arc;
        return line;
    }

    // --- chains ---------------------------------------------------------------
    // The root of a chain is its first line: a join keeps a's root.
    struct ChainNode {
        uint32_t parent = NO_LINE;  // NO_LINE: not chained yet; the root is its own parent
        uint32_t last = 0;          // the chain's last line, valid at the root
    };
    TableVector<ChainNode> chains;     // by id
    TableVector<uint32_t> chain_next;  // by id: the next line of its chain, NO_LINE for none
    // The first line of a line's chain (a chain of its own when it has none).
    uint32_t chain_first(uint32_t id);
    // Chains b's whole chain after a's (nothing when they are one chain).
    void join(uint32_t a, uint32_t b);

    // --- members --------------------------------------------------------------
    TableVector<Point> member_at;        // by member number
    TableVector<uint32_t> member_wire;   // the stub (NO_LINE for none), then the wire last attached
    TableVector<uint32_t> member_first;  // the wire first attached, NO_LINE: none
    TableVector<PseudoPin*> members;     // their records, once made (phase 9)
    TableVector<uint32_t> naming_members;  // the numbers of those that can name their net

    // --- records the phases visit, in list order --------------------------------
    TableVector<SchItem*> junctions;
    TableVector<SchItem*> texts;  // labels and net-property labels
    std::vector<Line*> buses;
    bool any_box = false;  // a sub-sheet box
    // The first wire under each label and net-property label (NO_LINE:
    // none), by the label's number in `texts`, kept when the wire phases end.
    TableVector<uint32_t> label_wire;

    // --- heads ------------------------------------------------------------------
    // Each head of the build by its number (also in its net_slot): its node
    // in the islands list (null once merged away) and the number of the last
    // merge set it was put into.
    struct HeadEntry {
        Ident* head = nullptr;
        DListNode* node = nullptr;
        uint32_t merge_set = 0;
    };
    TableVector<HeadEntry> heads;
    uint32_t merge_set = 1;  // number of the merge set being filled

    // --- once the heads are made, the lines go ----------------------------------
    // What the later phases ask of a member's wire and a label's: the
    // number of its head, with NET_OF_ABSORBED when the wire was absorbed
    // (NO_LINE: no wire); a member's wire when it is one of the sheet's.
    static constexpr uint32_t NET_OF_ABSORBED = 0x80000000u;
    TableVector<uint32_t> member_net;
    TableVector<SchItem*> member_record;
    TableVector<uint32_t> member_head;  // the head it joins, NO_LINE: none
    TableVector<uint32_t> label_net;
};

// What a member stands for: the pin `pin` of the placed part `father`, or
// `whoami` (a power symbol, a port, a no-connect mark, or a port of the
// sub-sheet box `father`).
struct MemberSource {
    void* what;  // the pin when `father` is a placed part, else whoami
    SchItem* father;
    bool part_pin() const { return father && father->type == PARTLIB_ITEM; }
    Pin* pin() const { return part_pin() ? static_cast<Pin*>(what) : nullptr; }
    SchItem* whoami() const { return part_pin() ? nullptr : static_cast<SchItem*>(what); }
};

struct NetContext;
struct Schema;
// Phases 3 to 6 on the table, then the wire each member touches first and
// last (the attachments of phase 9); the tables of the wire phases are
// freed before it returns.
void table_wire_phases(NetContext* context, Schema* schema, NetTable& table,
                       const TableVector<MemberSource>& sources);
// Phase 10 on the build's records and table (context->table).
int table_merge_names(NetContext* context);

// The head the head numbered `number` leads to now (through the heads
// merged into others).
Ident* table_live_head(NetTable* table, uint32_t number);
// The head's entry; the head must be one of the build's.
NetTable::HeadEntry& table_head_entry(NetTable* table, const Ident* head);
