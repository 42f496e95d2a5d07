#pragma once
// Look-up tables of one net build, so that the phases visit only the records
// that can touch, in list order, instead of comparing every pair.
//
// - Positions: every sheet item gets its list position when first seen;
//   records the phases append get the next positions (index_sync).
// - Carriers: every line is filed under the straight line it lies on:
//   vertical ones by x, horizontal ones by y, sloped ones by reduced
//   direction and offset. A line of zero length lies on every line through
//   its point: it is filed under its x and its y and kept in a list of its
//   own; sloped lines are kept in one list too. Each carrier holds its lines
//   in list order. A line that changes carrier (a point grown into a wire)
//   is filed again; entries left behind are harmless, since every candidate
//   is tested with the exact rule before anything is done.
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

struct NetIndex {
    Sheet* sheet = nullptr;
    std::unordered_map<const SchItem*, uint64_t> pos;
    uint64_t next_pos = 0;
    DListNode* last_seen = nullptr;  // last node given a position

    std::unordered_map<CarrierKey, std::vector<Line*>, CarrierHash> carriers;
    std::vector<Line*> zero_lines;
    std::vector<Line*> sloped_lines;
    std::unordered_map<const Line*, uint8_t> filed;  // carrier bits a line is filed under

    struct ChainNode {
        SchItem* parent = nullptr;  // itself at a root
        SchItem* first = nullptr;   // valid at a root
        SchItem* last = nullptr;
    };
    std::unordered_map<SchItem*, ChainNode> chains;

    std::unordered_map<Point, std::vector<SchItem*>, PointHash> ends;
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
// Files a line again under the carrier of its present geometry.
void index_refile(NetIndex* index, Line* line);
// Lines on which the point lies now, in list order.
std::vector<Line*> lines_at(NetIndex* index, Point p);
// Lines after position `after` that lie on the carrier of `line` and whose
// extent meets its present extent, in list order.
std::vector<Line*> lines_along(NetIndex* index, Line* line, uint64_t after);
// Builds the end-point table over lines and arcs without 0x80.
void index_build_ends(NetIndex* index);
// Records at a point of the end-point table, in list order (none: empty).
const std::vector<SchItem*>& records_ending_at(const NetIndex* index, Point p);

// Chains.
NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item);
