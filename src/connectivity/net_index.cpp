// The look-up tables of one net build.
#include "connectivity/net_index.h"

#include <algorithm>
#include <numeric>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/schema.h"
#include "model/items/item.h"

namespace {

// Cell size along an axis, and the most cells a line is filed under before
// it counts as long.
constexpr int CELL_SHIFT = 13;
constexpr int64_t MAX_CELLS = 32;
static_assert(MAX_CELLS < 128, "a short span's count takes 7 bits");

enum Slot { SLOT_V = 0, SLOT_H = 1, SLOT_S = 2, SLOT_SLOPED = 3, SLOT_ZERO = 4 };

// Axes: a kind and a 32-bit number.
enum AxisKind : uint64_t {
    AXIS_V = 1,            // vertical carrier at x
    AXIS_H = 2,            // horizontal carrier at y
    AXIS_S = 3,            // sloped carrier (its number in sloped_ids)
    AXIS_SLOPED_BY_X = 4,  // every sloped line, along x
    AXIS_ZERO_BY_X = 5,    // every line of zero length, along x
    AXIS_BUS_V = 6,        // bus lines alone, for the bus tests
    AXIS_BUS_H = 7,
    AXIS_BUS_SLOPED = 8,
};

uint64_t axis(AxisKind kind, int64_t number = 0) {
    return (uint64_t{kind} << 32) | static_cast<uint32_t>(number);
}

uint64_t cell_key(uint64_t axis_id, int32_t c) {
    return (axis_id << 24) | (static_cast<uint32_t>(c + (1 << 23)) & 0xFFFFFF);
}

// Two cell numbers no coordinate reaches (|x| >> CELL_SHIFT < 2^19) hold,
// per axis, its long lines and every line filed on it: one table for all,
// with no list of its own per axis.
constexpr int32_t LONG_CELL = (1 << 23) - 1;
constexpr int32_t ALL_CELL = (1 << 23) - 2;

void add_cell_lines(const NetIndex* index, const CellTable& table, uint64_t key,
                    std::vector<std::pair<uint32_t, Line*>>& out) {
    const auto& entries = table.entries();
    for (uint32_t i = table.first(key); i != CellTable::NONE; i = entries[i].next)
        out.emplace_back(entries[i].pos, static_cast<Line*>(index->by_pos[entries[i].pos]));
}
void add_cell_lines(const NetIndex* index, uint64_t key,
                    std::vector<std::pair<uint32_t, Line*>>& out) {
    add_cell_lines(index, index->cells, key, out);
}

// The sloped carrier of a line with dx != 0 and dy != 0.
CarrierKey sloped_key(const Line* line) {
    int64_t dx = int64_t{line->end.x} - line->pos.x;
    int64_t dy = int64_t{line->end.y} - line->pos.y;
    if (dx < 0) {
        dx = -dx;
        dy = -dy;
    }
    int64_t g = std::gcd(dx, dy < 0 ? -dy : dy);
    dx /= g;
    dy /= g;
    __int128 offset =
        static_cast<__int128>(line->pos.x) * dy - static_cast<__int128>(line->pos.y) * dx;
    return CarrierKey{2, dx, dy, offset};
}

uint64_t sloped_axis(NetIndex* index, const Line* line, bool make) {
    CarrierKey key = sloped_key(line);
    auto found = index->sloped_ids.find(key);
    if (found != index->sloped_ids.end()) return axis(AXIS_S, found->second);
    if (!make) return 0;
    uint32_t id = static_cast<uint32_t>(index->sloped_ids.size());
    index->sloped_ids.emplace(key, id);
    return axis(AXIS_S, id);
}

int32_t cell(int64_t c) { return static_cast<int32_t>(c >> CELL_SHIFT); }

using Found = std::vector<std::pair<uint32_t, Line*>>;

void file_all_lists(NetIndex* index);

// Files the line under the cells of [lo, hi] it is not filed under yet.
void file_span(NetIndex* index, uint64_t axis_id, CellSpan& span, Line* line, int64_t lo,
               int64_t hi, CellTable& table) {
    uint32_t pos = index_find_pos(index, line);
    if (span.long_line) return;
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    if (!span.none()) {
        a = std::min(a, static_cast<int32_t>(span.lo));
        b = std::max(b, span.hi());
    }
    NetIndex::TakingPart* t = nullptr;
    if (!index->taking_part.empty()) {
        auto found = index->taking_part.find(axis_id);
        if (found != index->taking_part.end()) t = &found->second;
    }
    if (b - a >= MAX_CELLS) {
        span.long_line = true;
        table.add(cell_key(axis_id, LONG_CELL), pos);
        index->any_long_lines = true;
        if (t) t->long_lines.emplace_back(pos, line);
        if (&table == &index->cells && !index->all_lists_filed) file_all_lists(index);
        return;
    }
    bool added = false;
    for (int32_t c = a; c <= b; ++c)
        if (span.none() || c < span.lo || c > span.hi()) {
            table.add(cell_key(axis_id, c), pos);
            if (t) t->cells[c].emplace_back(pos, line);
            added = true;
        }
    // The bus lines' lists of all lines are never read.
    if (added && index->all_lists_filed && &table == &index->cells)
        table.add(cell_key(axis_id, ALL_CELL), pos);
    span.set(a, b);
}

// Files every line filed so far in its axes' lists of all lines, by the
// carriers of its present geometry: an axis a line has left (a point grown
// into a wire) never needs it, since every candidate is tested exactly.
void file_all_lists(NetIndex* index) {
    index->all_lists_filed = true;
    for (size_t pos = 0; pos < index->line_of.size(); ++pos) {
        uint32_t number = index->line_of[pos];
        if (index->code_of[pos] != LINE_ITEM || number >= index->filings.size()) continue;
        const Line* line = as_Line(index->by_pos[pos]);
        const CellSpan* spans = index->filings[number].spans;
        auto file = [&](int slot, uint64_t axis_id) {
            if (!spans[slot].none() && !spans[slot].long_line)
                index->cells.add(cell_key(axis_id, ALL_CELL), static_cast<uint32_t>(pos));
        };
        bool vertical = line->pos.x == line->end.x, horizontal = line->pos.y == line->end.y;
        if (vertical) file(SLOT_V, axis(AXIS_V, line->pos.x));
        if (horizontal) file(SLOT_H, axis(AXIS_H, line->pos.y));
        if (vertical && horizontal) file(SLOT_ZERO, axis(AXIS_ZERO_BY_X));
        if (!vertical && !horizontal) {
            if (uint64_t id = sloped_axis(index, line, false)) file(SLOT_S, id);
            file(SLOT_SLOPED, axis(AXIS_SLOPED_BY_X));
        }
    }
}

void file_span(NetIndex* index, uint64_t axis_id, CellSpan& span, Line* line, int64_t lo,
               int64_t hi) {
    file_span(index, axis_id, span, line, lo, hi, index->cells);
}

// The lines filed on the axis under the cells of [lo, hi] (and its long
// ones), unsorted, possibly repeated.
void cells_of(const NetIndex* index, const CellTable& table, uint64_t axis_id, int64_t lo,
              int64_t hi, Found& out) {
    if (index->any_long_lines) add_cell_lines(index, table, cell_key(axis_id, LONG_CELL), out);
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    if (b - a >= MAX_CELLS) {
        add_cell_lines(index, table, cell_key(axis_id, ALL_CELL), out);
        return;
    }
    for (int32_t c = a; c <= b; ++c) add_cell_lines(index, table, cell_key(axis_id, c), out);
}

// The filing slot of the lines of an axis.
Slot slot_of(uint64_t axis_id) {
    switch (axis_id >> 32) {
        case AXIS_V: return SLOT_V;
        case AXIS_H: return SLOT_H;
        case AXIS_S: return SLOT_S;
        case AXIS_SLOPED_BY_X: return SLOT_SLOPED;
        default: return SLOT_ZERO;
    }
}

void drop_absorbed(Found& lines) {
    std::erase_if(lines, [](const auto& f) { return (f.second->state & NET_IGNORED) != 0; });
}

// The axis's lines taking part, made from its filed lines when missing.
NetIndex::TakingPart& taking_part(NetIndex* index, uint64_t axis_id) {
    auto [at, made] = index->taking_part.try_emplace(axis_id);
    NetIndex::TakingPart& t = at->second;
    if (!made) return t;
    Found filed;
    add_cell_lines(index, cell_key(axis_id, ALL_CELL), filed);
    add_cell_lines(index, cell_key(axis_id, LONG_CELL), filed);
    drop_absorbed(filed);
    std::sort(filed.begin(), filed.end());
    filed.erase(std::unique(filed.begin(), filed.end()), filed.end());
    Slot slot = slot_of(axis_id);
    for (const auto& [pos, line] : filed) {
        const CellSpan& span = index->filings[index->line_of[pos]].spans[slot];
        if (span.long_line)
            t.long_lines.emplace_back(pos, line);
        else
            for (int32_t c = span.lo; c <= span.hi(); ++c) t.cells[c].emplace_back(pos, line);
    }
    return t;
}

// The lines taking part along the axis under the cells of [a, b] and its
// long ones; the absorbed ones met are dropped, and the cells they leave
// empty.
void taking_part_of(NetIndex* index, uint64_t axis_id, int32_t a, int32_t b, bool wide,
                    Found& out) {
    NetIndex::TakingPart& t = taking_part(index, axis_id);
    // A long line split at junctions keeps its first piece, short now: it
    // is filed again by its present extent, as if it had never been long.
    Slot slot = slot_of(axis_id);
    size_t kept = 0;
    for (size_t i = 0; i < t.long_lines.size(); ++i) {
        auto [pos, line] = t.long_lines[i];
        if (line->state & NET_IGNORED) continue;
        bool by_y = slot == SLOT_V;
        int64_t lo = by_y ? line->pos.y : line->pos.x, hi = by_y ? line->end.y : line->end.x;
        if (cell(std::max(lo, hi)) - cell(std::min(lo, hi)) < MAX_CELLS) {
            CellSpan& span = index->filings[index->line_of[pos]].spans[slot];
            span = CellSpan{};
            file_span(index, axis_id, span, line, lo, hi);
            continue;
        }
        t.long_lines[kept++] = t.long_lines[i];
    }
    t.long_lines.resize(kept);
    out.insert(out.end(), t.long_lines.begin(), t.long_lines.end());
    if (!wide) {
        for (int32_t c = a; c <= b; ++c) add_cell_lines(index, cell_key(axis_id, c), out);
        return;
    }
    for (auto at = t.cells.lower_bound(a); at != t.cells.end() && at->first <= b;) {
        drop_absorbed(at->second);
        if (at->second.empty()) {
            at = t.cells.erase(at);
            continue;
        }
        out.insert(out.end(), at->second.begin(), at->second.end());
        ++at;
    }
}

// cells_of, or with `taking_part` the lines taking part where the axis
// keeps them apart.
void cells_of(NetIndex* index, uint64_t axis_id, int64_t lo, int64_t hi, Found& out,
              bool taking_part) {
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    bool wide = b - a >= MAX_CELLS;
    if (taking_part &&
        (wide || (index->any_long_lines &&
                  index->cells.first(cell_key(axis_id, LONG_CELL)) != CellTable::NONE))) {
        taking_part_of(index, axis_id, a, b, wide, out);
        return;
    }
    cells_of(index, index->cells, axis_id, lo, hi, out);
}

// The lines in list order, each once.
void sort_unique(Found& found, std::vector<Line*>& lines) {
    std::sort(found.begin(), found.end());
    lines.clear();
    for (size_t i = 0; i < found.size(); ++i)
        if (i == 0 || found[i].second != found[i - 1].second) lines.push_back(found[i].second);
}

bool ranges_meet(int64_t a1, int64_t a2, int64_t b1, int64_t b2) {
    return std::min(a1, a2) <= std::max(b1, b2) && std::min(b1, b2) <= std::max(a1, a2);
}

// Starts fetching the cells a line is filed under first on its carrier
// (sloped lines are rare: not fetched ahead).
void prefetch_filing(const NetIndex* index, const SchItem* item) {
    if (item->type != LINE_ITEM) return;
    const Line* line = as_Line(item);
    if (line->pos.x == line->end.x) {
        uint64_t id = axis(AXIS_V, line->pos.x);
        index->cells.prefetch(cell_key(id, cell(std::min(line->pos.y, line->end.y))));
        index->cells.prefetch(cell_key(id, ALL_CELL));
    } else if (line->pos.y == line->end.y) {
        uint64_t id = axis(AXIS_H, line->pos.y);
        index->cells.prefetch(cell_key(id, cell(std::min(line->pos.x, line->end.x))));
        index->cells.prefetch(cell_key(id, ALL_CELL));
    }
}

// Bus lines keep their geometry while nets are built: filed once.
void file_bus(NetIndex* index, Line* line) {
    CellTable& table = index->bus_cells;
    CellSpan span;
    bool vertical = line->pos.x == line->end.x, horizontal = line->pos.y == line->end.y;
    if (vertical)
        file_span(index, axis(AXIS_BUS_V, line->pos.x), span, line, line->pos.y, line->end.y,
                  table);
    span = CellSpan{};
    if (horizontal)
        file_span(index, axis(AXIS_BUS_H, line->pos.y), span, line, line->pos.x, line->end.x,
                  table);
    span = CellSpan{};
    if (!vertical && !horizontal)
        file_span(index, axis(AXIS_BUS_SLOPED), span, line, line->pos.x, line->end.x, table);
}

// Takes a walk of the whole sheet list in order as the first positions
// when it still matches the list (same count and ends: the phases only
// append), so that the list is not followed again. The walk is emptied.
void take_walk(NetIndex* index, std::vector<SchItem*>& walked) {
    const List* items = index->sheet ? index->sheet->items : nullptr;
    if (items && items->count && index->by_pos.empty() && walked.size() == items->count &&
        walked.front() == dlist_head(items)->data && walked.back() == dlist_tail(items)->data) {
        index->by_pos.swap(walked);
        index->last_seen = dlist_tail(items);
    }
    walked = {};
}

// Frees a table's storage; the editor's refresh keeps it for its next build.
template <class Table>
void release(Table& table) {
    if (net_editor_mode())
        table.clear();
    else
        table = Table{};
}

}  // namespace

size_t CellTable::slot(uint64_t key) const {
    size_t i = home(key);
    while (slots_[i].head != NONE && slots_[i].key() != key)
        if (++i == slots_.size()) i = 0;
    return i;
}

void CellTable::reserve(size_t count, size_t keys) {
    entries_.reserve(count);
    size_t size = keys + keys / 3 + 1;
    if (size > slots_.size()) grow(size);
}

void CellTable::clear() {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    entries_.clear();
    used_ = 0;
}

uint32_t CellTable::first(uint64_t key) const {
    if (slots_.empty()) return NONE;
    return slots_[slot(key)].head;
}

void CellTable::grow(size_t size) {
    std::vector<Slot> old = std::move(slots_);
    size = std::max<size_t>(256, size);
    slots_.assign(size, Slot{});
    for (const Slot& s : old)
        if (s.head != NONE) slots_[slot(s.key())] = s;
}

void CellTable::add(uint64_t key, uint32_t pos) {
    if ((used_ + 1) * 4 > slots_.size() * 3) grow(slots_.size() + slots_.size() / 2);
    Slot& s = slots_[slot(key)];
    if (s.head == NONE) {
        s.key_lo = static_cast<uint32_t>(key);
        s.key_hi = static_cast<uint32_t>(key >> 32);
        ++used_;
    }
    entries_.push_back(Entry{s.head, pos});
    s.head = static_cast<uint32_t>(entries_.size() - 1);
}

size_t CarrierHash::operator()(const CarrierKey& k) const {
    uint64_t lo = static_cast<uint64_t>(k.a);
    uint64_t hi = static_cast<uint64_t>(k.a >> 64);
    uint64_t h = lo * 0x9E3779B97F4A7C15ull ^ hi;
    h ^= static_cast<uint64_t>(k.dx) * 0xC2B2AE3D27D4EB4Full + static_cast<uint64_t>(k.dy) +
         static_cast<uint64_t>(k.kind);
    return std::hash<uint64_t>()(h);
}

void NetIndex::clear() {
    sheet = nullptr;
    by_pos.clear();
    code_of.clear();
    last_seen = nullptr;
    cells.clear();
    taking_part.clear();
    any_long_lines = false;
    all_lists_filed = false;
    any_bus = false;
    any_sloped = false;
    sloped_ids.clear();
    filings.clear();
    line_of.clear();
    lines_released = false;
    label_wires.clear();
    chains.clear();
    bus_cells.clear();
    ends.clear();
    ends_built = false;
    heads.clear();
    naming.clear();
    next_of_name.clear();
    name_text.clear();
    name_start.clear();
    properties.clear();
    tip_part = nullptr;
    tips.clear();
    line_count = 0;
}

NetIndex* net_index(NetContext* context) {
    if (!context->index) {
        context->index = context->spare_index ? context->spare_index : new NetIndex;
        context->spare_index = nullptr;
        NetIndex* index = context->index;
        index->sheet = context->sheet;
        take_walk(index, context->walked);
        // Room for the records the phases add (merged and split wires; the
        // stubs are in the list already): a tenth more on a ladder. A table
        // that outgrows it doubles, so the room is not cut to the bone.
        size_t count = context->sheet && context->sheet->items ? context->sheet->items->count : 0;
        size_t room = count + count / 4 + 64;
        index->by_pos.reserve(room);
        index->code_of.reserve(room);
        index->line_of.reserve(room);
        index_sync(index);
    }
    return context->index;
}

void drop_net_index(NetContext* context) {
    if (!context->index) return;
    delete context->spare_index;
    context->spare_index = nullptr;
    // Only the editor's refresh builds again and again with one context; a
    // net job builds once and goes on to write with the memory given back.
    if (net_editor_mode()) {
        context->index->clear();
        context->spare_index = context->index;
    } else {
        delete context->index;
    }
    context->index = nullptr;
}

void index_sync(NetIndex* index) {
    List* items = index->sheet ? index->sheet->items : nullptr;
    if (!items) return;
    // First the new records (a walk along the list's nodes alone, unless
    // the walk of phase 2 was taken), then their positions and codes, then
    // the filing, both over the table of positions read ahead.
    size_t start = index->code_of.size();
    DListNode* node = index->last_seen ? dlist_next(index->last_seen) : dlist_head(items);
    for (; node; node = dlist_next(node)) {
        index->by_pos.push_back(static_cast<SchItem*>(node->data));
        index->last_seen = node;
    }
    size_t count = index->by_pos.size();
    size_t lines = 0;  // lines and arcs
    for (size_t i = start; i < count; ++i) {
        if (i + PREFETCH_AHEAD < count) __builtin_prefetch(index->by_pos[i + PREFETCH_AHEAD], 1);
        SchItem* item = index->by_pos[i];
        item->net_slot = static_cast<uint32_t>(i);
        index->code_of.push_back(item->type);
        bool line = item->type == LINE_ITEM || item->type == ARC_ITEM;
        index->line_of.push_back(line ? static_cast<uint32_t>(index->line_count + lines++)
                                      : NetIndex::NO_LINE);
    }
    index->line_count += lines;
    // A line is filed under one or two cells, a point under three: room
    // for that at once, rather than doubling through the build. The phases
    // add a tenth more lines on a ladder.
    if (start == 0) {
        size_t room = lines + lines / 4 + 64;
        index->chains.reserve(room);
        if (!index->lines_released) {
            // About one cell of its own per line on a sheet of short wires,
            // and more keys than lines: the lines the phases add, and the
            // cells of the points, each under its x and its y.
            index->cells.reserve(lines * 2 + lines / 2 + 64, lines + lines / 3 + 64);
            index->filings.reserve(room);
        }
    }
    index->chains.resize(index->line_count);
    if (index->lines_released) return;
    index->filings.resize(index->line_count);
    for (size_t i = start; i < count; ++i) {
        if (i + PREFETCH_AHEAD / 2 < count)
            prefetch_filing(index, index->by_pos[i + PREFETCH_AHEAD / 2]);
        SchItem* item = index->by_pos[i];
        if (item->type != LINE_ITEM) continue;
        if (is_bus_line(item)) {
            file_bus(index, as_Line(item));
            index->any_bus = true;
        }
        index_refile(index, as_Line(item));
    }
}

uint64_t index_pos(const NetIndex* index, const SchItem* item) {
    uint32_t p = index_find_pos(index, item);
    return p == UINT32_MAX ? UINT64_MAX : p;
}

uint32_t index_pos_sync(NetIndex* index, const SchItem* item) {
    uint32_t p = index_find_pos(index, item);
    if (p == UINT32_MAX) {
        index_sync(index);
        p = index_find_pos(index, item);
    }
    return p;
}

void index_refile(NetIndex* index, Line* line) {
    uint32_t pos = index_pos_sync(index, line);
    if (index->lines_released) return;
    NetIndex::Filing& f = index->filings[index->line_of[pos]];
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    if (vertical)
        file_span(index, axis(AXIS_V, line->pos.x), f.spans[SLOT_V], line, line->pos.y,
                  line->end.y);
    if (horizontal)
        file_span(index, axis(AXIS_H, line->pos.y), f.spans[SLOT_H], line, line->pos.x,
                  line->end.x);
    if (vertical && horizontal)
        file_span(index, axis(AXIS_ZERO_BY_X), f.spans[SLOT_ZERO], line, line->pos.x, line->pos.x);
    if (!vertical && !horizontal) {
        // A sloped line never leaves its carrier: it only grows along it.
        file_span(index, sloped_axis(index, line, true), f.spans[SLOT_S], line, line->pos.x,
                  line->end.x);
        index->any_sloped = true;
        file_span(index, axis(AXIS_SLOPED_BY_X), f.spans[SLOT_SLOPED], line, line->pos.x,
                  line->end.x);
    }
}

void lines_at(NetIndex* index, Point p, std::vector<Line*>& lines, bool taking_part) {
    TN_ASSERT(!index->lines_released);
    thread_local Found found;  // kept between calls: asked once per end and pin
    found.clear();
    cells_of(index, axis(AXIS_V, p.x), p.y, p.y, found, taking_part);
    cells_of(index, axis(AXIS_H, p.y), p.x, p.x, found, taking_part);
    if (index->any_sloped) cells_of(index, axis(AXIS_SLOPED_BY_X), p.x, p.x, found, taking_part);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [p](const auto& f) { return point_on_wire(p, f.second, 0) == 0; }),
                found.end());
    sort_unique(found, lines);
}

bool bus_line_at(const NetIndex* index, Point p) {
    if (!index->any_bus) return false;
    static Found found;  // kept between calls: asked once per touching pair
    found.clear();
    const CellTable& table = index->bus_cells;
    cells_of(index, table, axis(AXIS_BUS_V, p.x), p.y, p.y, found);
    cells_of(index, table, axis(AXIS_BUS_H, p.y), p.x, p.x, found);
    cells_of(index, table, axis(AXIS_BUS_SLOPED), p.x, p.x, found);
    for (const auto& [pos, line] : found)
        if (point_on_wire(p, line, 0)) return true;
    return false;
}

void lines_along(NetIndex* index, Line* line, uint64_t after, std::vector<Line*>& lines) {
    TN_ASSERT(!index->lines_released);
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    if (vertical && horizontal) {
        // A point meets the lines that pass through it.
        lines_at(index, line->pos, lines, true);
        std::erase_if(lines, [&](const Line* other) { return index_pos(index, other) <= after; });
        return;
    }
    thread_local Found found;  // kept between calls: asked once per line
    found.clear();
    int64_t lo = vertical ? line->pos.y : line->pos.x, hi = vertical ? line->end.y : line->end.x;
    if (vertical) {
        cells_of(index, axis(AXIS_V, line->pos.x), lo, hi, found, true);
    } else if (horizontal) {
        cells_of(index, axis(AXIS_H, line->pos.y), lo, hi, found, true);
    } else {
        if (uint64_t id = sloped_axis(index, line, false)) cells_of(index, id, lo, hi, found, true);
        cells_of(index, axis(AXIS_ZERO_BY_X), lo, hi, found, true);
    }
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const auto& f) {
                                   const Line* other = f.second;
                                   if (f.first <= after) return true;
                                   return vertical
                                              ? !ranges_meet(lo, hi, other->pos.y, other->end.y)
                                              : !ranges_meet(lo, hi, other->pos.x, other->end.x);
                               }),
                found.end());
    sort_unique(found, lines);
}

void index_prefetch_ends(const NetIndex* index, const SchItem* item) {
    if ((item->type != LINE_ITEM && item->type != ARC_ITEM) || (item->state & NET_IGNORED)) return;
    Point ends[2];
    item_ends(item, ends);
    index->ends.prefetch(point_key(ends[0]));
    index->ends.prefetch(point_key(ends[1]));
}

void index_prefetch_point(const NetIndex* index, Point p) {
    index->cells.prefetch(cell_key(axis(AXIS_V, p.x), cell(p.y)));
    index->cells.prefetch(cell_key(axis(AXIS_H, p.y), cell(p.x)));
}

void index_prefetch_along(const NetIndex* index, const SchItem* item) {
    if (item->type == LINE_ITEM) prefetch_filing(index, item);
}

void index_release_lines(NetIndex* index) {
    if (index->lines_released) return;
    index_sync(index);
    // The labels' wires first, while the lines can still be found: the
    // texts' records and the cells each one asks for are fetched ahead.
    std::vector<uint32_t> texts;
    for (size_t i = 0; i < index->by_pos.size(); ++i)
        if (index->code_of[i] == TEXT_ITEM || index->code_of[i] == NETPROP_ITEM)
            texts.push_back(static_cast<uint32_t>(i));
    std::vector<Line*> lines;
    for (size_t k = 0; k < texts.size(); ++k) {
        if (k + PREFETCH_AHEAD < texts.size())
            __builtin_prefetch(index->by_pos[texts[k + PREFETCH_AHEAD]]);
        if (k + PREFETCH_AHEAD / 2 < texts.size())
            index_prefetch_point(index, index->by_pos[texts[k + PREFETCH_AHEAD / 2]]->pos);
        SchItem* item = index->by_pos[texts[k]];
        bool label = item->type == TEXT_ITEM && (item->flags & TEXT_TYPE_MASK) == LABEL;
        if (!label && item->type != NETPROP_ITEM) continue;
        lines_at(index, item->pos, lines);
        auto wire = std::find_if(lines.begin(), lines.end(), is_wire_line);
        index->label_wires.emplace_back(texts[k], wire == lines.end() ? nullptr : *wire);
    }
    release(index->cells);
    release(index->filings);
    release(index->taking_part);
    release(index->sloped_ids);
    release(index->tips);
    // any_long_lines stays: the bus lines' long ones are still asked for.
    index->any_sloped = false;
    index->lines_released = true;
}

void index_release_ends(NetIndex* index) {
    release(index->ends);
    index->ends_built = false;
}

bool index_label_wire(const NetIndex* index, const SchItem* label, Line** wire) {
    uint32_t pos = index_find_pos(index, label);
    if (!index->lines_released || pos == UINT32_MAX) return false;
    const auto& kept = index->label_wires;
    auto at = std::lower_bound(kept.begin(), kept.end(), std::pair<uint32_t, Line*>{pos, nullptr});
    if (at == kept.end() || at->first != pos) return false;
    *wire = at->second;
    return true;
}

void index_build_ends(NetIndex* index) {
    index->ends.clear();
    // Two ends per line, most of them shared with another line: about as
    // many points as lines.
    index->ends.reserve(index->line_count * 2, index->line_count + index->line_count / 8 + 64);
    // Walked from the tail: each point's chain then comes out in list order.
    for_indexed_items_reverse(
        index, item_codes({LINE_ITEM, ARC_ITEM}),
        [&](SchItem* item) {
            if (item->state & NET_IGNORED) return;
            Point ends[2];
            item_ends(item, ends);
            uint32_t pos = index_find_pos(index, item);
            index->ends.add(point_key(ends[0]), pos);
            if (!(ends[1] == ends[0])) index->ends.add(point_key(ends[1]), pos);
        },
        [&](const SchItem* item) { index_prefetch_ends(index, item); });
    index->ends_built = true;
}

NetIndex::HeadEntry& index_head(NetIndex* index, Ident* head) {
    uint32_t slot = head->net_slot;
    if (slot < index->heads.size() && index->heads[slot].head == head) return index->heads[slot];
    // A head never stands in the sheet's list, so its slot is free for this.
    head->net_slot = static_cast<uint32_t>(index->heads.size());
    index->heads.push_back(NetIndex::HeadEntry{head, nullptr, 0});
    return index->heads.back();
}

NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item) {
    uint32_t pos = index_pos_sync(index, item);
    uint32_t at = index->line_of[pos];
    TN_ASSERT(at != NetIndex::NO_LINE);  // only lines and arcs are chained
    std::vector<NetIndex::ChainNode>& chains = index->chains;
    if (chains[at].parent == UINT32_MAX) chains[at] = NetIndex::ChainNode{at, pos, pos};
    // Path halving towards the root.
    while (chains[at].parent != at) {
        uint32_t parent = chains[at].parent;
        chains[at].parent = chains[parent].parent;
        at = chains[at].parent;
    }
    return chains[at];
}
