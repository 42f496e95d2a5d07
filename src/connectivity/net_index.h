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
    int8_t kind = 0;  // 0 vertical (a = x), 1 horizontal (a = y), 2 sloped
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

// Lines filed along one axis in cells of a fixed size; a line spanning many
// cells is kept in a list of long lines instead.
struct AxisCells {
    std::unordered_map<int64_t, std::vector<Line*>> cells;
    std::vector<Line*> long_lines;
};
// The cells a line is filed under in one AxisCells ([lo, hi], lo > hi: none).
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
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(key) >> 3) * 0x9E3779B97F4A7C15ull >> 16);
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

    std::unordered_map<CarrierKey, AxisCells, CarrierHash> carriers;
    AxisCells sloped_by_x;  // every sloped line
    AxisCells zero_by_x;    // every line of zero length
    // Where each line is filed: its carriers' spans (vertical, horizontal,
    // sloped), then sloped_by_x and zero_by_x.
    struct Filing {
        CellSpan spans[5];
    };
    std::vector<Filing> filed;  // by position (lines only use theirs)
    // Bus lines alone, for the bus tests of the wire phases.
    std::unordered_map<CarrierKey, AxisCells, CarrierHash> buses;
    AxisCells sloped_buses;

    struct ChainNode {
        uint32_t parent = UINT32_MAX;  // position of the parent; its own at a root
        SchItem* first = nullptr;      // valid at a root
        SchItem* last = nullptr;
    };
    std::vector<ChainNode> chains;  // by position; parent UINT32_MAX: not chained yet

    // (end point, record) in point order, list order within a point.
    std::vector<std::pair<Point, SchItem*>> ends;
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
struct EndRange {
    const std::pair<Point, SchItem*>* first;
    const std::pair<Point, SchItem*>* last;
    const std::pair<Point, SchItem*>* begin() const { return first; }
    const std::pair<Point, SchItem*>* end() const { return last; }
};
EndRange records_ending_at(const NetIndex* index, Point p);

// Chains.
NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item);
