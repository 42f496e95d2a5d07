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

enum : uint8_t { FILED_V = 1, FILED_H = 2, FILED_S = 4, FILED_ZERO = 8 };

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

void insert_by_pos(const NetIndex* index, std::vector<Line*>& lines, Line* line) {
    uint64_t p = index_pos(index, line);
    auto at = std::upper_bound(lines.begin(), lines.end(), p, [index](uint64_t v, const Line* l) {
        return v < index_pos(index, l);
    });
    lines.insert(at, line);
}

void file_under(NetIndex* index, Line* line, uint8_t bit, std::vector<Line*>& lines) {
    uint8_t& filed = index->filed[line];
    if (filed & bit) return;
    filed |= bit;
    insert_by_pos(index, lines, line);
}

void sort_unique(const NetIndex* index, std::vector<Line*>& lines) {
    std::sort(lines.begin(), lines.end(), [index](const Line* a, const Line* b) {
        return index_pos(index, a) < index_pos(index, b);
    });
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

bool ranges_meet(int64_t a1, int64_t a2, int64_t b1, int64_t b2) {
    return std::min(a1, a2) <= std::max(b1, b2) && std::min(b1, b2) <= std::max(a1, a2);
}

const std::vector<Line*>* carrier(const NetIndex* index, const CarrierKey& key) {
    auto found = index->carriers.find(key);
    return found == index->carriers.end() ? nullptr : &found->second;
}

}  // namespace

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
        index->pos[item] = index->next_pos++;
        if (item->type == LINE_ITEM) index_refile(index, as_Line(item));
        index->last_seen = node;
    }
}

uint64_t index_pos(const NetIndex* index, const SchItem* item) {
    auto found = index->pos.find(item);
    return found == index->pos.end() ? UINT64_MAX : found->second;
}

void index_refile(NetIndex* index, Line* line) {
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    if (vertical) file_under(index, line, FILED_V, index->carriers[vertical_key(line->pos.x)]);
    if (horizontal) file_under(index, line, FILED_H, index->carriers[horizontal_key(line->pos.y)]);
    if (vertical && horizontal) file_under(index, line, FILED_ZERO, index->zero_lines);
    if (!vertical && !horizontal) {
        uint8_t before = index->filed[line];
        file_under(index, line, FILED_S, index->carriers[sloped_key(line)]);
        if (!(before & FILED_S)) insert_by_pos(index, index->sloped_lines, line);
    }
}

std::vector<Line*> lines_at(NetIndex* index, Point p) {
    std::vector<Line*> found;
    auto take = [&](const std::vector<Line*>* lines) {
        if (!lines) return;
        for (Line* line : *lines)
            if (point_on_wire(p, line, 0) != 0) found.push_back(line);
    };
    take(carrier(index, vertical_key(p.x)));
    take(carrier(index, horizontal_key(p.y)));
    take(&index->sloped_lines);
    sort_unique(index, found);
    return found;
}

std::vector<Line*> lines_along(NetIndex* index, Line* line, uint64_t after) {
    std::vector<Line*> found;
    bool vertical = line->pos.x == line->end.x;
    bool horizontal = line->pos.y == line->end.y;
    auto take = [&](const std::vector<Line*>* lines, bool by_y) {
        if (!lines) return;
        for (Line* other : *lines) {
            if (index_pos(index, other) <= after) continue;
            bool meet = by_y ? ranges_meet(line->pos.y, line->end.y, other->pos.y, other->end.y)
                             : ranges_meet(line->pos.x, line->end.x, other->pos.x, other->end.x);
            if (meet) found.push_back(other);
        }
    };
    if (vertical && horizontal) {
        // A point meets the lines that pass through it.
        for (Line* other : lines_at(index, line->pos))
            if (index_pos(index, other) > after) found.push_back(other);
        return found;
    }
    if (vertical) {
        take(carrier(index, vertical_key(line->pos.x)), true);
    } else if (horizontal) {
        take(carrier(index, horizontal_key(line->pos.y)), false);
    } else {
        take(carrier(index, sloped_key(line)), false);
        take(&index->zero_lines, false);
    }
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
        index->ends[ends[0]].push_back(item);
        if (!(ends[1] == ends[0])) index->ends[ends[1]].push_back(item);
    }
    index->ends_built = true;
}

const std::vector<SchItem*>& records_ending_at(const NetIndex* index, Point p) {
    static const std::vector<SchItem*> none;
    auto found = index->ends.find(p);
    return found == index->ends.end() ? none : found->second;
}

NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item) {
    auto [it, made] = index->chains.try_emplace(item);
    if (made) it->second = NetIndex::ChainNode{item, item, item};
    // Path halving towards the root.
    NetIndex::ChainNode* node = &it->second;
    SchItem* current = item;
    while (node->parent != current) {
        NetIndex::ChainNode& parent = index->chains[node->parent];
        if (parent.parent != node->parent) node->parent = parent.parent;
        current = node->parent;
        node = &index->chains[current];
    }
    return *node;
}
