// Phases 3, 5 and 6 of the net builder on its table of lines, through the
// lines by carrier (phases 3 and 5) and the line ends by point (phase 6 and
// the attachments of phase 9): each line meets only the lines
// that can touch it, in id order, and the pair rules of net_rules.h decide
// what happens, so the results are those of comparing every pair.
#include <algorithm>
#include <bit>
#include <utility>

#include "connectivity/net_build.h"
#include "connectivity/net_carriers.h"
#include "connectivity/net_context.h"
#include "connectivity/net_rules.h"
#include "connectivity/net_table.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/open_table.h"
#include "model/documents/placed_part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

uint32_t NetTable::chain_first(uint32_t id) {
    uint32_t at = id;
    if (chains[at].parent == NO_LINE) chains[at] = ChainNode{at, at};
    // Path halving towards the root.
    while (chains[at].parent != at) {
        uint32_t parent = chains[at].parent;
        chains[at].parent = chains[parent].parent;
        at = chains[at].parent;
    }
    return at;
}

void NetTable::join(uint32_t a, uint32_t b) {
    uint32_t ra = chain_first(a), rb = chain_first(b);
    if (ra == rb) return;
    chain_next[chains[ra].last] = rb;
    chains[ra].last = chains[rb].last;
    chains[rb].parent = ra;
}

namespace {

// The bus lines, for the bus tests (they never change while nets are built).
struct BusLines {
    const std::vector<Line*>& lines;
    Point first(uint32_t id) const { return lines[id]->pos; }
    Point second(uint32_t id) const { return lines[id]->end; }
    bool absorbed(uint32_t) const { return false; }
    bool filed(uint32_t) const { return true; }
};

// The rules' view of the table.
struct TableOps {
    using Id = uint32_t;
    NetTable& t;
    CarrierIndex<NetTable>* carriers;  // null once the wire phases by carrier are done
    CarrierIndex<BusLines>* buses;     // null when the sheet has no bus line

    Point first(Id id) const { return t.first(id); }
    Point second(Id id) const { return t.second(id); }
    uint32_t state(Id id) const { return t.state(id); }
    void mark(Id id, uint32_t bits) { t.state_word(id) |= bits; }
    void clear(Id id, uint32_t bits) { t.state_word(id) &= ~bits; }
    // Only temporary lines change their ends outside the editor.
    void set_ends(Id id, Point a, Point b) {
        TN_ASSERT(!t.is_real(id));
        TableLine& line = t.lines[id];
        Point was_a = line.a, was_b = line.b;
        line.a = a;
        line.b = b;
        if (carriers) carriers->refile(id, was_a, was_b);
    }
    void cut(Id id, Point s) {
        TN_ASSERT(!t.is_real(id));
        t.lines[id].b = s;
    }
    Id add_wire(Point a, Point b) {
        make_room(t.lines);
        t.lines.push_back(NetTable::temporary(a, b));
        make_room(t.chains);
        make_room(t.chain_next);
        t.chains.emplace_back();
        t.chain_next.push_back(NO_LINE);
        Id id = t.count() - 1;
        if (carriers) carriers->file(id);
        return id;
    }
    void copy_flags(Id to, Id from) { t.lines[to].flags = t.flags(from); }
    void join(Id a, Id b) { t.join(a, b); }
    bool bus_at(Point p) { return buses && buses->any_at(p); }
    bool editor() const { return false; }
};

// Phase 3 for one wire: its candidates in id order; when the wire grows
// the candidates after the one it grew on are looked up again.
void wire_meets_later_wires(TableOps& ops, CarrierIndex<NetTable>& carriers, uint32_t l1,
                            std::vector<uint32_t>& candidates) {
    carriers.lines_along(l1, l1, candidates);
    for (size_t i = 0; i < candidates.size(); ++i) {
        uint32_t l2 = candidates[i];
        if (ops.t.absorbed(l2)) continue;
        Point before_a = ops.first(l1), before_b = ops.second(l1);
        if (net_rules::compare_wires(ops, l1, l2) == WIRE_ABSORBED) return;
        if (!(ops.first(l1) == before_a) || !(ops.second(l1) == before_b)) {
            carriers.lines_along(l1, l2, candidates);
            i = static_cast<size_t>(-1);
        }
    }
}

void wire_ends(TableOps& ops, CarrierIndex<NetTable>& carriers) {
    NetTable& t = ops.t;
    std::vector<uint32_t> candidates;
    // Lines made here come after every other and are visited too.
    for (uint32_t id = 0; id < t.count(); ++id) {
        if (t.filed(id) && !t.absorbed(id)) wire_meets_later_wires(ops, carriers, id, candidates);
    }
}

// Lines through a point taking part, followed by the pieces splits append
// (which lie after every other line and pass through the point too).
template <class Rule>
void lines_through(TableOps& ops, CarrierIndex<NetTable>& carriers, Point p,
                   std::vector<uint32_t>& lines, Rule rule) {
    NetTable& t = ops.t;
    carriers.lines_at(p, lines, true);
    uint32_t known = t.count();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!t.absorbed(lines[i])) rule(lines[i]);
        for (; known < t.count(); ++known)
            if (t.filed(known) && point_on_segment(p, t.first(known), t.second(known)))
                lines.push_back(known);
    }
}

// The tips of the members standing for part pins, in member order (parts
// do not move while nets are built: a part's matrix serves its pins in turn).
class PinTips {
public:
    explicit PinTips(const TableVector<MemberSource>& sources) : sources_(sources) {}
    // The next tip; false after the last.
    bool next(Point* tip) {
        while (at_ < sources_.size() && !sources_[at_].part_pin()) ++at_;
        if (at_ == sources_.size()) return false;
        if (at_ + PREFETCH_AHEAD < sources_.size())
            __builtin_prefetch(sources_[at_ + PREFETCH_AHEAD].father);
        const MemberSource& s = sources_[at_++];
        if (s.father != part_) {
            part_ = s.father;
            matrix_ = Matrix{};
            pl_matrix(as_PlacedPart(s.father), &matrix_);
        }
        Point outer, inner;
        get_PinLine(s.pin(), &outer, &inner);
        matrix_apply(&matrix_, outer, tip);
        return true;
    }

private:
    const TableVector<MemberSource>& sources_;
    size_t at_ = 0;
    const SchItem* part_ = nullptr;
    Matrix matrix_;
};

void junctions(TableOps& ops, CarrierIndex<NetTable>& carriers,
               const TableVector<MemberSource>& sources) {
    NetTable& t = ops.t;
    std::vector<uint32_t> lines;
    for (size_t k = 0; k < t.junctions.size(); ++k) {
        fetch_ahead(t.junctions, k);
        SchItem* junction = t.junctions[k];
        if (!(junction->state & NET_CURRENT_PASS)) continue;
        lines_through(ops, carriers, junction->pos, lines, [&](uint32_t line) {
            net_rules::junction_meets_line(ops, junction->pos, &junction->state, line);
        });
    }
    PinTips tips(sources);
    for (Point tip; tips.next(&tip);) {
        lines_through(ops, carriers, tip, lines, [&](uint32_t line) {
            if (point_on_segment(tip, t.first(line), t.second(line)) == 1)
                net_rules::split_wire(ops, line, tip);
        });
    }
}

// The first wire under each label and net-property label, while the lines
// can still be found by carrier.
void keep_label_wires(NetTable& t, CarrierIndex<NetTable>& carriers) {
    t.label_wire.assign(t.texts.size(), NO_LINE);
    std::vector<uint32_t> lines;
    for (size_t k = 0; k < t.texts.size(); ++k) {
        fetch_ahead(t.texts, k);
        carriers.lines_at(t.texts[k]->pos, lines);
        if (!lines.empty()) t.label_wire[k] = lines.front();
    }
}

// The tile of a point: a square of 65,536 units (as large as the cells'
// tiles of the lines by carrier).
uint64_t point_tile(Point p) {
    return (uint64_t{static_cast<uint32_t>(p.x) >> 16} << 32) | (static_cast<uint32_t>(p.y) >> 16);
}

// The ends of the lines taking part, by point: each end with its point,
// its line's id and which end it is, so that the pairs and the look-ups
// read no line. They are sorted by counting, into the tiles of the sheet
// they lie in (point_tile, numbered in the order the lines meet them) and
// within each tile into buckets by a hash of the point, each bucket's ends
// in id order; the ends of one point are those of its bucket at that
// point. The lines come in list order, and a sheet's list runs across the
// sheet region by region: tile by tile, the sort writes and the look-ups
// read a few places of memory at a time, where buckets by a hash over the
// whole sheet would send each end anywhere (a cache miss each on a sheet
// of a million parts). Two passes over the lines: one counts the tiles'
// ends, one files them by tile; each tile is then sorted into its buckets
// on its own, within a stretch small enough to stay in the cache.
class EndIndex {
public:
    explicit EndIndex(const NetTable& t) {
        std::vector<uint32_t> in_tile;
        for_each_end(t, [&](uint32_t, Point p) {
            uint32_t n = number(point_tile(p), true);
            if (n == in_tile.size()) in_tile.push_back(0);
            ++in_tile[n];
        });
        // About two ends a bucket, a power of two of them in each tile.
        first_bucket_.resize(in_tile.size());
        bucket_bits_.resize(in_tile.size());
        std::vector<uint32_t> next(in_tile.size());  // where the tile's next end goes
        uint32_t buckets = 0, filed = 0, largest = 0;
        for (size_t n = 0; n < in_tile.size(); ++n) {
            first_bucket_[n] = buckets;
            bucket_bits_[n] =
                static_cast<uint8_t>(std::bit_width(std::max(in_tile[n] / 2, 2u) - 1));
            buckets += 1u << bucket_bits_[n];
            next[n] = filed;
            filed += in_tile[n];
            largest = std::max(largest, in_tile[n]);
        }
        ends_.resize(filed);
        for_each_end(t, [&](uint32_t end, Point p) {
            ends_[next[number(point_tile(p), false)]++] = End{p, end};
        });
        // Each tile's ends into its buckets, through a copy of them.
        start_.resize(size_t{buckets} + 1);
        std::vector<End> copy;
        copy.reserve(largest);
        std::vector<uint32_t> at;
        uint32_t from = 0;
        for (size_t n = 0; n < in_tile.size(); ++n) {
            copy.assign(ends_.begin() + from, ends_.begin() + from + in_tile[n]);
            at.assign(size_t{1} << bucket_bits_[n], 0);
            for (const End& e : copy) ++at[hash(n, e.p)];
            uint32_t* start = &start_[first_bucket_[n]];
            for (size_t b = 0, k = from; b < at.size(); ++b) {
                start[b] = static_cast<uint32_t>(k);
                k += std::exchange(at[b], static_cast<uint32_t>(k));
            }
            for (const End& e : copy) ends_[at[hash(n, e.p)]++] = e;
            from += in_tile[n];
        }
        start_[buckets] = filed;
    }
    // fn(id) for the ends at the point, in id order.
    template <class Fn>
    void at(Point p, Fn fn) {
        uint32_t n = number(point_tile(p), false);
        if (n == NO_LINE) return;
        size_t b = first_bucket_[n] + hash(n, p);
        for (uint32_t k = start_[b]; k < start_[b + 1]; ++k)
            if (ends_[k].p == p) fn(ends_[k].end >> 1);
    }
    // fn(id, id) for each two ends of one point, the first id below the
    // second, tile by tile.
    template <class Fn>
    void pairs(Fn fn) const {
        for (size_t b = 0; b + 1 < start_.size(); ++b)
            for (uint32_t i = start_[b]; i < start_[b + 1]; ++i)
                for (uint32_t j = i + 1; j < start_[b + 1]; ++j)
                    if (ends_[i].p == ends_[j].p) fn(ends_[i].end >> 1, ends_[j].end >> 1);
    }

private:
    // An end: its point, and its line's id with the end's bit.
    struct End {
        Point p;
        uint32_t end;
    };
    template <class Fn>
    static void for_each_end(const NetTable& t, Fn fn) {
        for (uint32_t id = 0; id < t.count(); ++id) {
            if (t.absorbed(id)) continue;
            Point a = t.first(id), b = t.second(id);
            fn(id << 1, a);
            if (!(a == b)) fn(id << 1 | 1, b);
        }
    }
    // The tile's number (numbering it when `make` is set), NO_LINE: none.
    uint32_t number(uint64_t tile, bool make) {
        if (last_ != NO_LINE && tiles_[last_].key == tile) return tiles_[last_].number;
        if (make) tiles_.reserve(1, 64, [](const TileNumber& e) { return tile_home(e.key); });
        if (!tiles_.has_slots()) return NO_LINE;
        const size_t at =
            tiles_.locate(tile_home(tile), [tile](const TileNumber& e) { return e.key == tile; });
        if (tiles_[at].empty()) {
            if (!make) return NO_LINE;
            tiles_.fill(at, TileNumber{tile, static_cast<uint32_t>(tiles_.size())});
        }
        last_ = static_cast<uint32_t>(at);
        return tiles_[at].number;
    }
    static size_t tile_home(uint64_t tile) { return mix_bits(tile) >> 40; }
    // The point's bucket within the tile numbered n.
    size_t hash(size_t n, Point p) const {
        return static_cast<size_t>(mix_bits(point_key(p)) >> (64 - bucket_bits_[n]));
    }

    struct TileNumber {
        uint64_t key = 0;
        uint32_t number = NO_LINE;  // NO_LINE: an empty place
        bool empty() const { return number == NO_LINE; }
    };
    OpenTable<TileNumber> tiles_;         // by the tile
    uint32_t last_ = NO_LINE;             // the place of the tile asked for last
    std::vector<uint32_t> first_bucket_;  // by tile number
    std::vector<uint8_t> bucket_bits_;    // by tile number: log2 of its buckets
    TableVector<uint32_t> start_;         // by bucket, and one past the last
    TableVector<End> ends_;
};

// Phase 6: every pair of lines or arcs taking part with a common end, in
// the order of their first and then their second id.
void end_joins(TableOps& ops, const EndIndex& ends) {
    // The pairs by their first id: a count, then each first's seconds,
    // filed from the end of its stretch down (each first's seconds are
    // sorted after), so that its count becomes where its stretch starts.
    NetTable& t = ops.t;
    TableVector<uint32_t> start(size_t{t.count()} + 1, 0);
    size_t pairs = 0;
    ends.pairs([&](uint32_t a, uint32_t) {
        ++start[a];
        ++pairs;
    });
    for (size_t a = 1; a < start.size(); ++a) start[a] += start[a - 1];
    TableVector<uint32_t> second(pairs);
    ends.pairs([&](uint32_t a, uint32_t b) { second[--start[a]] = b; });
    for (uint32_t a = 0; a < t.count(); ++a) {
        auto from = second.begin() + start[a], to = second.begin() + start[a + 1];
        if (to - from > 1) {
            std::sort(from, to);
            to = std::unique(from, to);
        }
        for (auto b = from; b != to; ++b) net_rules::join_if_ends_meet(ops, a, *b);
    }
}

// Phase 9's attachments: the lines taking part with an end at each
// member's place, in id order: the member goes to the net of the first,
// and keeps the last as its wire.
void attachments(NetTable& t, EndIndex& ends) {
    t.member_first.assign(t.member_at.size(), NO_LINE);
    for (size_t m = 0; m < t.member_at.size(); ++m)
        ends.at(t.member_at[m], [&](uint32_t id) {
            if (t.member_first[m] == NO_LINE) t.member_first[m] = id;
            t.member_wire[m] = id;
        });
}

}  // namespace

void table_wire_phases(NetContext* context, Schema*, NetTable& t,
                       const TableVector<MemberSource>& sources) {
    (void)context;
    BusLines bus_lines{t.buses};
    CarrierIndex<BusLines> buses(bus_lines);
    for (uint32_t id = 0; id < t.buses.size(); ++id) buses.file(id);
    TableOps ops{t, nullptr, t.buses.empty() ? nullptr : &buses};
    {
        CarrierIndex<NetTable> carriers(t);
        carriers.reserve(t.count());
        for (uint32_t id = 0; id < t.count(); ++id) {
            if (t.filed(id)) carriers.file(id);
        }
        ops.carriers = &carriers;
        wire_ends(ops, carriers);  // 3
        // 4, the open ends, came with phase 2: no phase before 5 reads them.
        junctions(ops, carriers, sources);  // 5
        keep_label_wires(t, carriers);
        ops.carriers = nullptr;
    }
    EndIndex ends(t);
    end_joins(ops, ends);  // 6
    attachments(t, ends);
}
