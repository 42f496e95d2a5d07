// Phases 3, 5 and 6 of the net builder on its table of lines, through the
// lines by carrier (phases 3 and 5) and the line ends in point order
// (phase 6 and the attachments of phase 9): each line meets only the lines
// that can touch it, in id order, and the pair rules of net_rules.h decide
// what happens, so the results are those of comparing every pair.
#include <algorithm>

#include "connectivity/net_build.h"
#include "connectivity/net_carriers.h"
#include "connectivity/net_context.h"
#include "connectivity/net_rules.h"
#include "connectivity/net_table.h"
#include "foundation/core.h"
#include "foundation/list.h"
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
        if (id + PREFETCH_AHEAD < t.count() && t.filed(id + PREFETCH_AHEAD))
            carriers.prefetch_along(t.first(id + PREFETCH_AHEAD), t.second(id + PREFETCH_AHEAD));
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
    explicit PinTips(const std::vector<MemberSource>& sources) : sources_(sources) {}
    // The next tip; false after the last.
    bool next(Point* tip) {
        while (at_ < sources_.size() && !sources_[at_].part_pin()) ++at_;
        if (at_ == sources_.size()) return false;
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
    const std::vector<MemberSource>& sources_;
    size_t at_ = 0;
    const SchItem* part_ = nullptr;
    Matrix matrix_;
};

void junctions(TableOps& ops, CarrierIndex<NetTable>& carriers,
               const std::vector<MemberSource>& sources) {
    NetTable& t = ops.t;
    std::vector<uint32_t> lines;
    for (SchItem* junction : t.junctions) {
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
        if (k + PREFETCH_AHEAD / 2 < t.texts.size())
            carriers.prefetch_point(t.texts[k + PREFETCH_AHEAD / 2]->pos);
        carriers.lines_at(t.texts[k]->pos, lines);
        if (!lines.empty()) t.label_wire[k] = lines.front();
    }
}

// A line end (or a member's place): the point's key and the line's id.
// The key is the point's, mixed so that its bytes are evenly spread: it is
// sorted by them one at a time, and only equal points need to meet.
struct End {
    uint64_t key;
    uint32_t id;
};

uint64_t end_key(Point p) {
    uint64_t k = point_key(p) * 0x9E3779B97F4A7C15ull;  // odd: every key its own
    return k ^ (k >> 29);                               // a shift-xor undoes too
}

// Sorts in place by a 64-bit key: by the key's bytes from the top byte
// that differs (a pass of swaps into 256 buckets each), the few records of a
// bucket at the bottom by insertion. Records of one key keep no order.
template <class T, class Key>
void radix_sort(T* begin, T* end, Key key, int shift) {
    size_t n = static_cast<size_t>(end - begin);
    if (n < 2) return;
    if (n <= 32 || shift < 0) {
        for (T* i = begin + 1; i < end; ++i) {
            T e = *i;
            T* j = i;
            for (; j > begin && key(j[-1]) > key(e); --j) *j = j[-1];
            *j = e;
        }
        return;
    }
    size_t count[256] = {};
    for (T* e = begin; e < end; ++e) ++count[(key(*e) >> shift) & 255];
    size_t start[257], next[256];
    start[0] = 0;
    for (int d = 0; d < 256; ++d) start[d + 1] = start[d] + count[d];
    for (int d = 0; d < 256; ++d) next[d] = start[d];
    for (int d = 0; d < 256; ++d)
        while (next[d] < start[d + 1]) {
            T& e = begin[next[d]];
            size_t to = (key(e) >> shift) & 255;
            if (to == static_cast<size_t>(d))
                ++next[d];
            else
                std::swap(e, begin[next[to]++]);
        }
    for (int d = 0; d < 256; ++d)
        if (count[d] > 1) radix_sort(begin + start[d], begin + start[d + 1], key, shift - 8);
}

// The top byte in which keys up to `most` can differ.
int top_shift(uint64_t most) {
    int shift = 56;
    while (shift > 0 && (most >> shift) == 0) shift -= 8;
    return shift;
}

// Sorts ends by key, then by id within a key.
void sort_ends(std::vector<End>& ends) {
    radix_sort(
        ends.data(), ends.data() + ends.size(), [](const End& e) { return e.key; }, 56);
    // The few ends of one point, by id.
    for (size_t g = 0; g < ends.size();) {
        size_t h = g + 1;
        while (h < ends.size() && ends[h].key == ends[g].key) ++h;
        if (h - g > 1)
            std::sort(ends.begin() + g, ends.begin() + h,
                      [](const End& a, const End& b) { return a.id < b.id; });
        g = h;
    }
}

// Phase 6: every pair of lines or arcs taking part with a common end, in
// the order of their first and then their second id.
void end_joins(TableOps& ops, const std::vector<End>& ends) {
    std::vector<uint64_t> pairs;
    for (size_t g = 0; g < ends.size();) {
        size_t h = g + 1;
        while (h < ends.size() && ends[h].key == ends[g].key) ++h;
        for (size_t i = g; i < h; ++i)
            for (size_t j = i + 1; j < h; ++j)
                pairs.push_back(uint64_t{ends[i].id} << 32 | ends[j].id);
        g = h;
    }
    uint64_t most = uint64_t{ops.t.count()} << 32;
    radix_sort(
        pairs.data(), pairs.data() + pairs.size(), [](uint64_t p) { return p; }, top_shift(most));
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    for (uint64_t pair : pairs)
        net_rules::join_if_ends_meet(ops, static_cast<uint32_t>(pair >> 32),
                                     static_cast<uint32_t>(pair));
}

// Phase 9's attachments: the lines taking part with an end at each
// member's place, in id order: the member goes to the net of the first,
// and keeps the last as its wire.
void attachments(NetTable& t, const std::vector<End>& ends) {
    std::vector<End> places;
    places.reserve(t.member_at.size());
    for (size_t m = 0; m < t.member_at.size(); ++m)
        places.push_back(End{end_key(t.member_at[m]), static_cast<uint32_t>(m)});
    sort_ends(places);
    t.member_first.assign(t.member_at.size(), NO_LINE);
    size_t e = 0;
    for (const End& place : places) {
        while (e < ends.size() && ends[e].key < place.key) ++e;
        size_t last = e;
        while (last < ends.size() && ends[last].key == place.key) ++last;
        if (last == e) continue;
        t.member_first[place.id] = ends[e].id;
        t.member_wire[place.id] = ends[last - 1].id;
    }
}

}  // namespace

void table_wire_phases(NetContext* context, Schema*, NetTable& t,
                       const std::vector<MemberSource>& sources) {
    (void)context;
    BusLines bus_lines{t.buses};
    CarrierIndex<BusLines> buses(bus_lines);
    for (uint32_t id = 0; id < t.buses.size(); ++id) buses.file(id);
    TableOps ops{t, nullptr, t.buses.empty() ? nullptr : &buses};
    {
        CarrierIndex<NetTable> carriers(t);
        carriers.reserve(t.count());
        for (uint32_t id = 0; id < t.count(); ++id) {
            uint32_t ahead = id + PREFETCH_AHEAD;
            if (ahead < t.count() && t.filed(ahead))
                carriers.prefetch_along(t.first(ahead), t.second(ahead));
            if (t.filed(id)) carriers.file(id);
        }
        ops.carriers = &carriers;
        wire_ends(ops, carriers);  // 3
        // 4, the open ends, came with phase 2: no phase before 5 reads them.
        junctions(ops, carriers, sources);  // 5
        keep_label_wires(t, carriers);
        ops.carriers = nullptr;
    }
    std::vector<End> ends;
    ends.reserve(t.count() * 2);
    for (uint32_t id = 0; id < t.count(); ++id) {
        if (t.absorbed(id)) continue;
        Point a = t.first(id), b = t.second(id);
        ends.push_back(End{end_key(a), id});
        if (!(a == b)) ends.push_back(End{end_key(b), id});
    }
    sort_ends(ends);
    end_joins(ops, ends);  // 6
    attachments(t, ends);
}
