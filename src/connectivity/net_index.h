#pragma once
// Look-up tables of one net build, so that the phases visit only the records
// that can touch, in list order, instead of comparing every pair.
//
// - Positions: every sheet item gets its list position when first seen;
//   records the phases append get the next positions (index_sync).
// - Carriers: every line is filed under the straight line it lies on:
//   vertical ones by x, horizontal ones by y, sloped ones by reduced
//   direction and offset; along its carrier, in cells of the axis it spans.
//   A line of zero length lies on every line through its point: it is filed
//   under its x and its y and, by x, among the points; sloped lines are
//   filed by x among all sloped lines too. A line that grows or changes
//   carrier (a point grown into a wire) is filed again; entries left behind
//   are harmless, since every candidate is tested with the exact rule before
//   anything is done, and candidates are handed out in list order.
// - Chains: a union-find over chained records that keeps each chain's first
//   and last record, so that joining and finding a chain's start do not
//   walk the chain.
// - End points: lines and arcs that take part in joins, by end point.
// - Island nodes: each head's node in the islands list, and the heads of
//   the merge set being filled.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/geometry.h"

struct DListNode;
struct Ident;
struct Line;
struct SchItem;
struct Sheet;

struct CarrierKey {
    int8_t kind = 0;         // 0 vertical (a = x), 1 horizontal (a = y), 2 sloped
    int64_t dx = 0, dy = 0;  // sloped: reduced direction, dx > 0
    __int128 a = 0;          // x, y, or the offset x*dy - y*dx of a sloped carrier
    friend bool operator==(const CarrierKey&, const CarrierKey&) = default;
};
struct CarrierHash {
    std::size_t operator()(const CarrierKey& k) const;
};
struct PointHash {
    std::size_t operator()(const Point& p) const {
        return std::hash<uint64_t>()((static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) ^
                                     static_cast<uint32_t>(p.y));
    }
};

// Records chained by a 64-bit key, open addressing on the key; the records
// of one key are chained through `entries`, the last added first. Lines are
// filed by (axis, cell): an axis is a carrier or one of the lists kept along
// x, a cell a fixed stretch of the axis; a line spanning many cells is kept
// among its axis's long lines instead. End points are filed by point.
class CellTable {
public:
    static constexpr uint32_t NONE = UINT32_MAX;
    void add(uint64_t key, SchItem* item, uint32_t pos);
    void clear();
    // The first entry of the cell, or NONE.
    uint32_t first(uint64_t key) const;
    struct Entry {
        SchItem* item;
        uint64_t key;
        uint32_t next;
        uint32_t pos;  // the item's list position
    };
    const std::vector<Entry>& entries() const { return entries_; }

private:
    size_t slot(uint64_t key) const;
    void grow();
    std::vector<uint64_t> keys_;
    std::vector<uint32_t> heads_;  // NONE: an empty slot
    size_t mask_ = 0;
    unsigned shift_ = 63;
    size_t used_ = 0;
    std::vector<Entry> entries_;
};
// The cells a line is filed under on one axis ([lo, hi], lo > hi: none).
struct CellSpan {
    int32_t lo = 1, hi = 0;
    bool long_line = false;
};

// Positions by record: open addressing on the record's address (a build
// asks for positions millions of times).
class PositionMap {
public:
    // UINT32_MAX when the record has none.
    uint32_t find(const void* key) const {
        if (slots_.empty()) return UINT32_MAX;
        for (size_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            if (slots_[i].key == key) return slots_[i].value;
            if (!slots_[i].key) return UINT32_MAX;
        }
    }
    void insert(const void* key, uint32_t value);
    void reserve(size_t count);

private:
    struct Slot {
        const void* key = nullptr;
        uint32_t value = 0;
    };
    static size_t hash(const void* key) {
        return static_cast<size_t>(
            (reinterpret_cast<uintptr_t>(key) >> 3) * 0x9E3779B97F4A7C15ull >> 16);
    }
    std::vector<Slot> slots_;
    size_t mask_ = 0;
    size_t used_ = 0;
};

struct NetIndex {
    Sheet* sheet = nullptr;
    PositionMap pos;
    uint32_t next_pos = 0;
    DListNode* last_seen = nullptr;  // last node given a position

    CellTable cells;
    std::unordered_map<uint64_t, std::vector<std::pair<uint32_t, Line*>>>
        long_lines;  // by axis, with positions
    // Every line filed in cells, by axis: a query spanning many cells reads
    // its axis's lines instead of the whole table.
    std::unordered_map<uint64_t, std::vector<std::pair<uint32_t, Line*>>> axis_lines;
    std::unordered_map<CarrierKey, uint32_t, CarrierHash> sloped_ids;  // sloped carriers
    // Where each line is filed: its carriers' spans (vertical, horizontal,
    // sloped), then sloped_by_x and zero_by_x.
    struct Filing {
        CellSpan spans[5];
    };
    std::vector<Filing> filed;  // by position (lines only use theirs)

    struct ChainNode {
        uint32_t parent = UINT32_MAX;  // position of the parent; its own at a root
        SchItem* first = nullptr;      // valid at a root
        SchItem* last = nullptr;
    };
    std::vector<ChainNode> chains;  // by position; parent UINT32_MAX: not chained yet

    // Lines and arcs by end point, each point's records in list order.
    CellTable ends;
    bool ends_built = false;

    std::unordered_map<const Ident*, DListNode*> island_nodes;
    std::unordered_set<const Ident*> merge_members;  // heads of the present merge set
};

// The context's index, made over the sheet when missing.
struct NetContext;
NetIndex* net_index(NetContext* context);
// Drops the context's index.
void drop_net_index(NetContext* context);
// Gives positions to (and files the lines of) the nodes appended since the
// last call.
void index_sync(NetIndex* index);
uint64_t index_pos(const NetIndex* index, const SchItem* item);
// The position of a record, given one (with the nodes appended) when it has none.
uint32_t index_pos_sync(NetIndex* index, const SchItem* item);
// Files a line again under the carrier of its present geometry.
void index_refile(NetIndex* index, Line* line);
// Lines on which the point lies now, in list order.
std::vector<Line*> lines_at(NetIndex* index, Point p);
// True when a bus line of the sheet has the point on it.
bool bus_line_at(const NetIndex* index, Point p);
// Lines after position `after` that lie on the carrier of `line` and whose
// extent meets its present extent, in list order.
std::vector<Line*> lines_along(NetIndex* index, Line* line, uint64_t after);
// Builds the end-point table over lines and arcs without 0x80.
void index_build_ends(NetIndex* index);
// Records at a point of the end-point table, in list order.
inline uint64_t point_key(Point p) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) | static_cast<uint32_t>(p.y);
}
// fn(record, its list position).
template <class Fn>
void for_records_ending_at(const NetIndex* index, Point p, Fn fn) {
    const auto& entries = index->ends.entries();
    for (uint32_t i = index->ends.first(point_key(p)); i != CellTable::NONE; i = entries[i].next)
        fn(entries[i].item, entries[i].pos);
}

// Chains.
NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item);
