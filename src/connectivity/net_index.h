#pragma once
// Look-up tables of one net build, so that the phases visit only the records
// that can touch, in list order, instead of comparing every pair.
//
// - Positions: every sheet item gets its list position when first seen;
//   records the phases append get the next positions (index_sync). The
//   record holds its position; the table of records by position confirms it.
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
//
// Lines and arcs, a little over half the records of a sheet with its stubs,
// get a number of their own; the filings and the chains are kept by it.
// A build frees each table after the last phase that reads it (the lines
// by carrier after the junctions, the end points after the members), so
// that the tables of the early phases and the records of the late ones are
// not in memory together.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "connectivity/net_context.h"
#include "foundation/geometry.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"

struct DListNode;
struct Ident;
struct Line;
struct SchItem;
struct Sheet;

// How many records a walk over the table of positions fetches ahead.
constexpr size_t PREFETCH_AHEAD = 16;

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
    void add(uint64_t key, uint32_t pos);
    // Empties the table; its storage stays for the next build.
    void clear();
    // Room for that many entries under that many keys, so that the table
    // is not rehashed again and again while it fills.
    void reserve(size_t count, size_t keys);
    // The first entry of the cell, or NONE.
    uint32_t first(uint64_t key) const;
    // Starts fetching the slot of a key asked for soon: the walks ask for
    // keys spread over the whole table, and each would wait for memory.
    void prefetch(uint64_t key) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[home(key)]);
    }
    // The key stays in the slot alone (an entry is read only through its
    // slot's chain), the record in the table of positions.
    struct Entry {
        uint32_t next;
        uint32_t pos;  // the record's list position
    };
    const std::vector<Entry>& entries() const { return entries_; }

private:
    // The product's top bits (the lower ones of a point key hold y alone),
    // scaled to the table's size: any size, not only a power of two, so
    // that the table takes the room its keys need and grows by half.
    size_t home(uint64_t key) const {
        uint64_t mixed = key * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>((static_cast<unsigned __int128>(mixed) * slots_.size()) >> 64);
    }
    size_t slot(uint64_t key) const;
    void grow(size_t size);
    // The key in two halves: 12 bytes a slot rather than 16.
    struct Slot {
        uint32_t key_lo = 0, key_hi = 0;
        uint32_t head = NONE;  // NONE: an empty slot
        uint64_t key() const { return (uint64_t{key_hi} << 32) | key_lo; }
    };
    std::vector<Slot> slots_;
    size_t used_ = 0;
    std::vector<Entry> entries_;
};
// The cells a line is filed under on one axis: [lo, hi()], none, or its
// axis's long lines. A cell number takes 24 bits and a short span fewer
// than 128 cells, so that a span takes one word.
struct CellSpan {
    int32_t lo : 24 = 0;
    uint32_t count : 7 = 0;  // cells from lo on; 0: none
    uint32_t long_line : 1 = 0;
    int32_t hi() const { return lo + static_cast<int32_t>(count) - 1; }
    bool none() const { return count == 0; }
    void set(int32_t first, int32_t last) {
        lo = first;
        count = static_cast<uint32_t>(last - first + 1);
    }
};
static_assert(sizeof(CellSpan) == 4);

struct NetIndex {
    // Empties every table and forgets the sheet; the storage stays, so that
    // the next build of the context does not allocate (and fault in) it anew.
    void clear();

    Sheet* sheet = nullptr;
    // The records by list position. A record keeps its position in its
    // net_slot; the slot counts only when this table holds the record there.
    std::vector<SchItem*> by_pos;
    // Each position's item code: a walk for some codes skips the others
    // without reading their records.
    std::vector<int8_t> code_of;
    size_t line_count = 0;           // lines and arcs among them
    DListNode* last_seen = nullptr;  // last node given a position

    CellTable cells;
    // The lines still taking part along one axis, by cell, and its long
    // ones: made for an axis when a query that wants only those first spans
    // many of its cells or meets its long lines, then kept up to date by the
    // filing. A line found absorbed is dropped for good (it never takes part
    // again in the build), so that a long run of wires merged end to end is
    // not read again and again.
    struct TakingPart {
        std::map<int32_t, std::vector<std::pair<uint32_t, Line*>>> cells;
        std::vector<std::pair<uint32_t, Line*>> long_lines;
    };
    std::unordered_map<uint64_t, TakingPart> taking_part;
    bool any_long_lines = false;  // some axis has a line filed as long
    // Whether lines are filed in their axes' lists of all lines too. Only
    // the making of an axis's lines taking part reads those lists, and only
    // for an axis with a long line: they are made when the first long line
    // is filed, and kept up to date from then on.
    bool all_lists_filed = false;
    // Whether any bus line, or any sloped line, is filed: most sheets have
    // neither, and their look-ups are then skipped.
    bool any_bus = false;
    bool any_sloped = false;
    std::unordered_map<CarrierKey, uint32_t, CarrierHash> sloped_ids;  // sloped carriers
    // Where each line is filed: its carriers' spans (vertical, horizontal,
    // sloped), then sloped_by_x and zero_by_x.
    struct Filing {
        CellSpan spans[5];
    };
    // The number of each position's line or arc (NO_LINE: neither), and by
    // that number the filings and the chains.
    static constexpr uint32_t NO_LINE = UINT32_MAX;
    std::vector<uint32_t> line_of;  // by position
    std::vector<Filing> filings;    // by line number (an arc's stays empty)
    // Set once the lines by carrier are freed: no line changes its geometry
    // after that, and the wire under each label was kept beforehand.
    bool lines_released = false;
    // The first wire under each label and net-property label (null: none),
    // by the label's position, in list order.
    std::vector<std::pair<uint32_t, Line*>> label_wires;

    // Positions rather than pointers: one node per line or arc.
    struct ChainNode {
        uint32_t parent = UINT32_MAX;  // line number of the parent; its own at a root
        uint32_t first = 0;            // positions of the chain's ends, valid at a root
        uint32_t last = 0;
    };
    std::vector<ChainNode> chains;  // by line number; parent UINT32_MAX: not chained yet

    // Bus lines, by carrier like the lines but apart from them: kept to the
    // end, for the bus tests of the later phases.
    CellTable bus_cells;

    // Lines and arcs by end point, each point's records in list order.
    CellTable ends;
    bool ends_built = false;

    // The heads of the build by their net_slot: each one's node in the
    // islands list (null once merged away) and the number of the last merge
    // set it was put into.
    struct HeadEntry {
        const Ident* head = nullptr;
        DListNode* node = nullptr;
        uint32_t merge_set = 0;
    };
    std::vector<HeadEntry> heads;
    uint32_t merge_set = 1;  // number of the merge set being filled

    // Phase 10's lists: the naming records in list order, for each the
    // next one of its name, their names folded to lower case one after
    // another (record i's from name_start[i] to name_start[i + 1]), and the
    // net-property labels.
    std::vector<SchItem*> naming;
    std::vector<uint32_t> next_of_name;
    std::string name_text;
    std::vector<uint32_t> name_start;
    std::vector<SchItem*> properties;

    std::vector<Point> tips;  // phase 5's pin tips

    // The placed part whose matrix the pin-tip test keeps, and the matrix.
    const SchItem* tip_part = nullptr;
    Matrix tip_matrix;
};

// The context's index, made over the sheet when missing.
struct NetContext;
NetIndex* net_index(NetContext* context);
// Drops the context's index. The editor's refresh, which builds again and
// again, keeps its emptied storage for the next build; a net job frees it.
void drop_net_index(NetContext* context);
// Gives positions to (and files the lines of) the nodes appended since the
// last call.
void index_sync(NetIndex* index);
uint64_t index_pos(const NetIndex* index, const SchItem* item);
// The record's position, UINT32_MAX when it has none.
inline uint32_t index_find_pos(const NetIndex* index, const SchItem* item) {
    uint32_t p = item->net_slot;
    return p < index->by_pos.size() && index->by_pos[p] == item ? p : UINT32_MAX;
}
// The position of a record, given one (with the nodes appended) when it has none.
uint32_t index_pos_sync(NetIndex* index, const SchItem* item);
// Files a line again under the carrier of its present geometry.
void index_refile(NetIndex* index, Line* line);
// Frees the lines by carrier, their filings and what the queries along
// them kept, once no line changes its geometry any more; the wire under
// each label and net-property label is looked up first (first_wire_at
// answers from it afterwards). lines_at and lines_along must not be asked
// after this. Nothing is freed in the editor's refresh, which keeps its
// storage for the next build.
void index_release_lines(NetIndex* index);
// Frees the end-point table after the last phase that reads it (built again
// when asked for).
void index_release_ends(NetIndex* index);
// The first wire under a label or net-property label kept by
// index_release_lines; false when none was kept for it.
bool index_label_wire(const NetIndex* index, const SchItem* label, Line** wire);
// Lines on which the point lies now, in list order, into `lines` (the
// caller's buffer, emptied first: queries run once per end and pin). With
// `taking_part`, lines already absorbed (0x80) may be left out.
void lines_at(NetIndex* index, Point p, std::vector<Line*>& lines, bool taking_part = false);
// True when a bus line of the sheet has the point on it.
bool bus_line_at(const NetIndex* index, Point p);
// Lines after position `after` that lie on the carrier of `line` and whose
// extent meets its present extent, in list order; lines already absorbed
// (0x80) may be left out.
void lines_along(NetIndex* index, Line* line, uint64_t after, std::vector<Line*>& lines);
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
        fn(index->by_pos[entries[i].pos], entries[i].pos);
}

// A set of item codes for the walks below, a bit per code.
constexpr uint64_t item_codes(std::initializer_list<int> codes) {
    uint64_t set = 0;
    for (int code : codes) set |= uint64_t{1} << code;
    return set;
}
inline bool has_code(uint64_t codes, int code) {
    return static_cast<unsigned>(code) < 64 && ((codes >> code) & 1);
}
// fn(record) for the records of the codes, of the index's sheet in list
// order, read from the table of positions: an array whose records can be
// fetched ahead, where the list is a chain of scattered nodes each known
// only after the last. Records appended by fn are visited too.
// ahead(record) is called on such a record half the distance ahead
// (already fetched) to start fetching what fn will look up for it.
template <class Fn, class Ahead>
void for_indexed_items_of(NetIndex* index, uint64_t codes, Fn fn, Ahead ahead) {
    index_sync(index);
    const List* items = index->sheet->items;
    for (size_t i = 0; i < index->by_pos.size(); ++i) {
        size_t count = index->by_pos.size();
        const int8_t* code = index->code_of.data();
        if (i + PREFETCH_AHEAD < count && has_code(codes, code[i + PREFETCH_AHEAD]))
            __builtin_prefetch(index->by_pos[i + PREFETCH_AHEAD]);
        if (i + PREFETCH_AHEAD / 2 < count && has_code(codes, code[i + PREFETCH_AHEAD / 2]))
            ahead(index->by_pos[i + PREFETCH_AHEAD / 2]);
        if (has_code(codes, code[i])) fn(index->by_pos[i]);
        if (dlist_tail(items) != index->last_seen) index_sync(index);
    }
}
template <class Fn>
void for_indexed_items_of(NetIndex* index, uint64_t codes, Fn fn) {
    for_indexed_items_of(index, codes, fn, [](const SchItem*) {});
}
// The walk of for_indexed_items_of from the tail; fn must not append.
template <class Fn, class Ahead>
void for_indexed_items_reverse(NetIndex* index, uint64_t codes, Fn fn, Ahead ahead) {
    index_sync(index);
    const int8_t* code = index->code_of.data();
    for (size_t i = index->by_pos.size(); i-- > 0;) {
        if (i >= PREFETCH_AHEAD && has_code(codes, code[i - PREFETCH_AHEAD]))
            __builtin_prefetch(index->by_pos[i - PREFETCH_AHEAD]);
        if (i >= PREFETCH_AHEAD / 2 && has_code(codes, code[i - PREFETCH_AHEAD / 2]))
            ahead(index->by_pos[i - PREFETCH_AHEAD / 2]);
        if (has_code(codes, code[i])) fn(index->by_pos[i]);
    }
}
// Starts fetching the end-point slots of a line or arc taking part in joins.
void index_prefetch_ends(const NetIndex* index, const SchItem* item);
// Starts fetching the cells a query at the point reads.
void index_prefetch_point(const NetIndex* index, Point p);
// Starts fetching the first cell a query along the line reads.
void index_prefetch_along(const NetIndex* index, const SchItem* item);
// fn(record) for the sheet's records of the codes in list order, through
// the index while a build has one, else along the list; fn must not append.
template <class Fn>
void for_sheet_items_of(NetContext* context, uint64_t codes, Fn fn) {
    if (context->index) {
        for_indexed_items_of(context->index, codes, fn);
        return;
    }
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (has_code(codes, item->type)) fn(item);
}

// The head's entry, made (with no node) when it has none.
NetIndex::HeadEntry& index_head(NetIndex* index, Ident* head);

// Chains.
NetIndex::ChainNode& chain_root(NetIndex* index, SchItem* item);
