// The look-up tables of one net build.
#include "connectivity/net_index.h"

#include <algorithm>
#include <numeric>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/list.h"
#include "model/documents/schema.h"
#include "model/items/item.h"

namespace {

// Cell size along an axis, and the most cells a line is filed under before
// it counts as long.
constexpr int CELL_SHIFT = 13;
constexpr int64_t MAX_CELLS = 32;

enum Slot { SLOT_V = 0, SLOT_H = 1, SLOT_S = 2, SLOT_SLOPED = 3, SLOT_ZERO = 4 };

CarrierKey vertical_key(int32_t x) { return CarrierKey{0, 0, 0, x}; }
CarrierKey horizontal_key(int32_t y) { return CarrierKey{1, 0, 0, y}; }

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
    __int128 offset = static_cast<__int128>(line->pos.x) * dy - static_cast<__int128>(line->pos.y) * dx;
    return CarrierKey{2, dx, dy, offset};
}

int32_t cell(int64_t c) { return static_cast<int32_t>(c >> CELL_SHIFT); }

// Files the line under the cells of [lo, hi] it is not filed under yet.
void file_span(AxisCells& axis, CellSpan& span, Line* line, int64_t lo, int64_t hi) {
    if (span.long_line) return;
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    if (span.lo <= span.hi) {
        a = std::min(a, span.lo);
        b = std::max(b, span.hi);
    }
    if (b - a >= MAX_CELLS) {
        span.long_line = true;
        axis.long_lines.push_back(line);
        return;
    }
    for (int32_t c = a; c <= b; ++c)
        if (span.lo > span.hi || c < span.lo || c > span.hi) axis.cells[c].push_back(line);
    span.lo = a;
    span.hi = b;
}

// The lines filed under the cells of [lo, hi] (and the long ones), unsorted,
// possibly repeated.
void cells_of(const AxisCells* axis, int64_t lo, int64_t hi, std::vector<Line*>& out) {
    if (!axis) return;
    out.insert(out.end(), axis->long_lines.begin(), axis->long_lines.end());
    int64_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    if (b - a >= MAX_CELLS) {
        for (const auto& [c, lines] : axis->cells) out.insert(out.end(), lines.begin(), lines.end());
        return;
    }
    for (int64_t c = a; c <= b; ++c) {
        auto it = axis->cells.find(c);
        if (it != axis->cells.end()) out.insert(out.end(), it->second.begin(), it->second.end());
    }
}

void sort_unique(const NetIndex* index, std::vector<Line*>& lines) {
    if (lines.size() < 2) return;
    std::vector<std::pair<uint64_t, Line*>> keyed;
    keyed.reserve(lines.size());
    for (Line* line : lines) keyed.emplace_back(index_pos(index, line), line);
    std::sort(keyed.begin(), keyed.end());
    lines.clear();
    for (size_t i = 0; i < keyed.size(); ++i)
        if (i == 0 || keyed[i].second != keyed[i - 1].second) lines.push_back(keyed[i].second);
}

bool ranges_meet(int64_t a1, int64_t a2, int64_t b1, int64_t b2) {
    return std::min(a1, a2) <= std::max(b1, b2) && std::min(b1, b2) <= std::max(a1, a2);
}

const AxisCells* carrier(const NetIndex* index, const CarrierKey& key) {
    auto found = index->carriers.find(key);
    return found == index->carriers.end() ? nullptr : &found->second;
}

// Bus lines keep their geometry while nets are built: filed once, by the
// axis cells of their own carriers.
void file_bus(NetIndex* index, Line* line) {
    CellSpan span;
    bool vertical = line->pos.x == line->end.x, horizontal = line->pos.y == line->end.y;
    if (vertical) file_span(index->buses[vertical_key(line->pos.x)], span, line, line->pos.y, line->end.y);
    span = CellSpan{};
    if (horizontal) file_span(index->buses[horizontal_key(line->pos.y)], span, line, line->pos.x, line->end.x);
    span = CellSpan{};
    if (!vertical && !horizontal) file_span(index->sloped_buses, span, line, line->pos.x, line->end.x);
}

}  // namespace

void PositionMap::reserve(size_t count) {
    size_t size = 64;
    while (size < count * 2) size *= 2;
    if (size <= slots_.size()) return;
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(size, Slot{});
    mask_ = size - 1;
    used_ = 0;
    for (const Slot& slot : old)
        if (slot.key) insert(slot.key, slot.value);
}

void PositionMap::insert(const void* key, uint32_t value) {
    if ((used_ + 1) * 2 > slots_.size()) {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(std::max<size_t>(64, old.size() * 2), Slot{});
        mask_ = slots_.size() - 1;
        used_ = 0;
        for (const Slot& slot : old)
            if (slot.key) insert(slot.key, slot.value);
    }
    for (size_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
        if (slots_[i].key == key) {
            slots_[i].value = value;
            return;
        }
        if (!slots_[i].key) {
            slots_[i] = Slot{key, value};
            ++used_;
            return;
        }
    }
}

size_t CarrierHash::operator()(const CarrierKey& k) const {
    uint64_t lo = static_cast<uint64_t>(k.a);
    uint64_t hi = static_cast<uint64_t>(k.a >> 64);
    uint64_t h = lo * 0x9E3779B97F4A7C15ull ^ hi;
    h ^= static_cast<uint64_t>(k.dx) * 0xC2B2AE3D27D4EB4Full + static_cast<uint64_t>(k.dy) +
         static_cast<uint64_t>(k.kind);
    return std::hash<uint64_t>()(h);
}

NetIndex* net_index(NetContext* context) {
    if (!context->index) {
        context->index = new NetIndex;
        context->index->sheet = context->sheet;
        // Room for the records the phases add (stubs, merged and split wires).
        size_t count = context->sheet && context->sheet->items ? context->sheet->items->count : 0;
        context->index->pos.reserve(count * 3 / 2);
        context->index->chains.reserve(count * 3 / 2);
        context->index->filed.reserve(count * 3 / 2);
        index_sync(context->index);
    }
    return context->index;
}

void drop_net_index(NetContext* context) {
    delete context->index;
    context->index = nullptr;
}

void index_sync(NetIndex* index) {
    List* items = index->sheet ? index->sheet->items : nullptr;
    if (!items) return;
    DListNode* node = index->last_seen ? dlist_next(index->last_seen) : dlist_head(items);
    for (; node; node = dlist_next(node)) {
        auto* item = static_cast<SchItem*>(node->data);
        index->pos.insert(item, index->next_pos++);
        if (item->type == LINE_ITEM && is_bus_line(item)) file_bus(index, as_Line(item));
        index->chains.emplace_back();
        index->filed.emplace_back();
        if (item->type == LINE_ITEM) index_refile(index, as_Line(item));
        index->last_seen = node;
    }
}

uint64_t index_pos(const NetIndex* index, const SchItem* item) {
    uint32_t p = index->pos.find(item);
    return p == UINT32_MAX ? UINT64_MAX : p;
}

uint32_t index_pos_sync(NetIndex* index, const SchItem* item) {
    uint32_t p = index->pos.find(item);
    if (p == UINT32_MAX) {
        index_sync(index);
        p = index->pos.find(item);
    }
    return p;
}

void index_refile(NetIndex* index, Line* line) {
    NetIndex::Filing& f = index->filed[index_pos_sync(index, line)];
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    if (vertical)
        file_span(index->carriers[vertical_key(line->pos.x)], f.spans[SLOT_V], line, line->pos.y, line->end.y);
    if (horizontal)
        file_span(index->carriers[horizontal_key(line->pos.y)], f.spans[SLOT_H], line, line->pos.x,
                  line->end.x);
    if (vertical && horizontal) file_span(index->zero_by_x, f.spans[SLOT_ZERO], line, line->pos.x, line->pos.x);
    if (!vertical && !horizontal) {
        // A sloped line never leaves its carrier: it only grows along it.
        file_span(index->carriers[sloped_key(line)], f.spans[SLOT_S], line, line->pos.x, line->end.x);
        file_span(index->sloped_by_x, f.spans[SLOT_SLOPED], line, line->pos.x, line->end.x);
    }
}

std::vector<Line*> lines_at(NetIndex* index, Point p) {
    std::vector<Line*> found;
    cells_of(carrier(index, vertical_key(p.x)), p.y, p.y, found);
    cells_of(carrier(index, horizontal_key(p.y)), p.x, p.x, found);
    cells_of(&index->sloped_by_x, p.x, p.x, found);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [p](const Line* line) { return point_on_wire(p, line, 0) == 0; }),
                found.end());
    sort_unique(index, found);
    return found;
}

bool bus_line_at(const NetIndex* index, Point p) {
    std::vector<Line*> found;
    auto v = index->buses.find(vertical_key(p.x));
    if (v != index->buses.end()) cells_of(&v->second, p.y, p.y, found);
    auto h = index->buses.find(horizontal_key(p.y));
    if (h != index->buses.end()) cells_of(&h->second, p.x, p.x, found);
    cells_of(&index->sloped_buses, p.x, p.x, found);
    for (const Line* line : found)
        if (point_on_wire(p, line, 0)) return true;
    return false;
}

std::vector<Line*> lines_along(NetIndex* index, Line* line, uint64_t after) {
    std::vector<Line*> found;
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    if (vertical && horizontal) {
        // A point meets the lines that pass through it.
        for (Line* other : lines_at(index, line->pos))
            if (index_pos(index, other) > after) found.push_back(other);
        return found;
    }
    int64_t lo = vertical ? line->pos.y : line->pos.x, hi = vertical ? line->end.y : line->end.x;
    if (vertical) {
        cells_of(carrier(index, vertical_key(line->pos.x)), lo, hi, found);
    } else if (horizontal) {
        cells_of(carrier(index, horizontal_key(line->pos.y)), lo, hi, found);
    } else {
        cells_of(carrier(index, sloped_key(line)), lo, hi, found);
        cells_of(&index->zero_by_x, lo, hi, found);
    }
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const Line* other) {
                                   if (index_pos(index, other) <= after) return true;
                                   return vertical ? !ranges_meet(lo, hi, other->pos.y, other->end.y)
                                                   : !ranges_meet(lo, hi, other->pos.x, other->end.x);
                               }),
                found.end());
    sort_unique(index, found);
    return found;
}

void index_build_ends(NetIndex* index) {
    index->ends.clear();
    for (SchItem* item : list_items<SchItem>(index->sheet->items)) {
        if ((item->type != LINE_ITEM && item->type != ARC_ITEM) || (item->state & NET_IGNORED))
            continue;
        Point ends[2];
        item_ends(item, ends);
        index->ends.emplace_back(ends[0], item);
        if (!(ends[1] == ends[0])) index->ends.emplace_back(ends[1], item);
    }
    std::stable_sort(index->ends.begin(), index->ends.end(), [](const auto& a, const auto& b) {
        return a.first.x != b.first.x ? a.first.x < b.first.x : a.first.y < b.first.y;
    });
    index->ends_built = true;
}

EndRange records_ending_at(const NetIndex* index, Point p) {
    auto less = [](const std::pair<Point, SchItem*>& a, const Point& b) {
        return a.first.x != b.x ? a.first.x < b.x : a.first.y < b.y;
    };
    auto first = std::lower_bound(index->ends.begin(), index->ends.end(), p, less);
    auto last = first;
    while (last != index->ends.end() && last->first == p) ++last;
    const auto* base = index->ends.data();
    return EndRange{base + (first - index->ends.begin()), base + (last - index->ends.begin())};
}

NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item) {
    uint32_t at = index_pos_sync(index, item);
    std::vector<NetIndex::ChainNode>& chains = index->chains;
    if (chains[at].parent == UINT32_MAX) chains[at] = NetIndex::ChainNode{at, item, item};
    // Path halving towards the root.
    while (chains[at].parent != at) {
        uint32_t parent = chains[at].parent;
        chains[at].parent = chains[parent].parent;
        at = chains[at].parent;
    }
    return chains[at];
}
