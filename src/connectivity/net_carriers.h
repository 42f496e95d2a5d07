#pragma once
// Lines by the straight line they lie on (their carrier), so that the wire
// phases of net building visit only the lines that can touch a point or a
// line, in the lines' order, instead of comparing every pair.
//
// Every line is filed under its carrier: vertical ones by x, horizontal ones
// by y, sloped ones by reduced direction and offset; along the carrier, in
// cells of the axis it spans. A line of zero length lies on every line
// through its point: it is filed under its x and its y and, by x, among the
// points; sloped lines are filed by x among all sloped lines too. A line
// spanning many cells is kept among its axis's long lines instead.
//
// A line that grows (always to a union of what it covered) is filed again
// for the cells it did not cover; one cut short keeps its old cells. Entries
// left behind are harmless: every candidate is tested against the line's
// present geometry before it is handed out, and candidates are handed out
// in id order, each once.
//
// The lines come from the caller's table `Lines`, by 32-bit ids given in the
// lines' order (their order in the sheet's list):
//   Point first(uint32_t id), second(uint32_t id)   the line's ends now
//   bool absorbed(uint32_t id)                      taken into another line
//   bool filed(uint32_t id)                         a line (not an arc): filed here
// Lines are filed in id order (a line made later has a greater id).
// An absorbed line never takes part again: the queries that want only the
// lines taking part may leave it out.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <numeric>
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/geometry.h"
#include "foundation/heap.h"
#include "foundation/open_table.h"

// Records chained by a 64-bit key; the records of one key are chained
// through `entries`, the last added first.
//
// The keys are filed by tile, a square of 4 x 4 cells of the sheet (a
// vertical carrier's cell lies at its x and its cell along y, a horizontal
// one's at its cell along x and its y; the carriers across the sheet have
// tiles of their own by their cells along x), and each tile keeps its keys
// in a small open addressing block of its own. The net builder asks for
// keys in the order of the sheet's list, and a sheet's list runs across
// the sheet region by region: the keys asked for one after the other lie
// in a few tiles, whose blocks stay in the cache, instead of anywhere in
// one table as large as the sheet (a cache miss each on a sheet of a
// million parts).
class CellTable {
public:
    static constexpr uint32_t NONE = UINT32_MAX;
    void add(uint64_t key, uint32_t id);
    // Room for that many entries under that many keys, so that the tables
    // do not grow by copies while they fill.
    void reserve(size_t count, size_t keys);
    // The first entry of the key, or NONE.
    uint32_t first(uint64_t key) const;
    struct Entry {
        uint32_t next;
        uint32_t id;
    };
    const TableVector<Entry>& entries() const { return entries_; }

private:
    // A key within its tile: what the tile does not tell of it (local_of),
    // so that a slot is 8 bytes rather than 12 or 16.
    struct Slot {
        uint32_t local = 0;
        uint32_t head = NONE;  // NONE: an empty slot
        bool empty() const { return head == NONE; }
    };
    // A tile: its block of slots, a power of two of them from `base`.
    struct Tile {
        uint64_t key = 0;
        uint32_t base = NONE;  // NONE: an empty place of the tiles' table
        uint32_t used = 0;
        uint32_t mask = 0;  // the block's size less one
        bool empty() const { return base == NONE; }
    };
    // A new tile's block; the tile grows it by doubling at three quarters
    // full.
    static constexpr uint32_t FIRST_BLOCK = 16;
    static uint64_t tile_of(uint64_t key);
    static uint32_t local_of(uint64_t key);
    // The tile's place in the tiles' table: the tile's, or the empty place
    // where it goes.
    size_t tile_place(uint64_t tile) const {
        return tiles_.locate(tile_home(tile), [tile](const Tile& t) { return t.key == tile; });
    }
    size_t tile_home(uint64_t tile) const { return mix_bits(tile) >> tile_shift_; }
    // The place of the tile asked for last when it is that tile, else its
    // place as tile_place finds it.
    size_t place_of(uint64_t tile) const {
        if (last_tile_ < tiles_.capacity() && tiles_[last_tile_].key == tile &&
            tiles_[last_tile_].base != NONE)
            return last_tile_;
        return last_tile_ = tile_place(tile);
    }
    // The slot of a key in the tile's block, by the key within the tile:
    // the key's, or the empty one where it goes.
    size_t slot_in(const Tile& tile, uint32_t local) const {
        return tile.base + Blocks::probe(&slots_[tile.base], tile.mask, mix_bits(local) >> 32,
                                         [local](const Slot& s) { return s.local == local; });
    }
    uint32_t new_block(uint32_t size);
    void grow_tile(Tile& tile);
    void resize_tiles(size_t size);

    OpenTable<Tile, TableVector<Tile>> tiles_;  // by the tile key
    int tile_shift_ = 63;  // 64 less log2 of the tiles' table's size (once it has slots)
    mutable size_t last_tile_ = SIZE_MAX;               // the place of the tile asked for last
    using Blocks = OpenTable<Slot, TableVector<Slot>>;  // its probe, in each tile's block
    TableVector<Slot> slots_;                           // the tiles' blocks
    std::vector<uint32_t> spare_[32];  // blocks given up by tiles that grew, by log2 size
    TableVector<Entry> entries_;
};

// The key of a point: x in the high word.
inline uint64_t point_key(Point p) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(p.x)) << 32) | static_cast<uint32_t>(p.y);
}

struct PointHash {
    std::size_t operator()(const Point& p) const { return std::hash<uint64_t>()(point_key(p)); }
};

// The parts of the index that do not depend on the lines' table.
namespace carriers {

// Cell size along an axis, and the most cells a line is filed under before
// it counts as long.
constexpr int CELL_SHIFT = 14;
constexpr int64_t MAX_CELLS = 32;

// Axes: a kind and a 32-bit number.
enum AxisKind : uint64_t {
    AXIS_V = 1,            // vertical carrier at x
    AXIS_H = 2,            // horizontal carrier at y
    AXIS_S = 3,            // sloped carrier (its number among the sloped ones)
    AXIS_SLOPED_BY_X = 4,  // every sloped line, along x
    AXIS_ZERO_BY_X = 5,    // every line of zero length, along x
};

inline uint64_t axis(AxisKind kind, int64_t number = 0) {
    return (uint64_t{kind} << 32) | static_cast<uint32_t>(number);
}
inline uint64_t cell_key(uint64_t axis_id, int32_t c) {
    return (axis_id << 24) | (static_cast<uint32_t>(c + (1 << 23)) & 0xFFFFFF);
}
inline int32_t cell(int64_t c) { return static_cast<int32_t>(c >> CELL_SHIFT); }

// Two cell numbers no coordinate reaches (|x| >> CELL_SHIFT < 2^19) hold,
// per axis, its long lines and (only once a query has asked for a stretch
// of more than FAR_CELLS cells that no query read before) every line filed
// on it.
constexpr int32_t LONG_CELL = (1 << 23) - 1;
constexpr int32_t ALL_CELL = (1 << 23) - 2;
constexpr int64_t FAR_CELLS = 1 << 16;

// The carriers of sloped lines: reduced direction (dx > 0) and the offset
// x*dy - y*dx, numbered as they are met.
struct SlopedKey {
    int64_t dx = 0, dy = 0;
    __int128 offset = 0;
    friend bool operator==(const SlopedKey&, const SlopedKey&) = default;
};
struct SlopedHash {
    std::size_t operator()(const SlopedKey& k) const;
};
SlopedKey sloped_key(Point a, Point b);

// Where a line lies, and its extent along each axis it is filed under.
struct Placement {
    uint64_t axes[3] = {0, 0, 0};  // 0: none
    int64_t lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    int count = 0;
};

inline bool ranges_meet(int64_t a1, int64_t a2, int64_t b1, int64_t b2) {
    return std::min(a1, a2) <= std::max(b1, b2) && std::min(b1, b2) <= std::max(a1, a2);
}

}  // namespace carriers

inline uint64_t CellTable::tile_of(uint64_t key) {
    using namespace carriers;
    const uint64_t axis_id = key >> 24;
    const int64_t c = static_cast<int64_t>(key & 0xFFFFFF) - (1 << 23);
    const auto number = static_cast<int32_t>(static_cast<uint32_t>(axis_id));
    auto square = [](int64_t cx, int64_t cy) {
        return (uint64_t{static_cast<uint32_t>(cx >> 2)} << 32) | static_cast<uint32_t>(cy >> 2);
    };
    switch (axis_id >> 32) {
        case AXIS_V: return square(cell(number), c);
        case AXIS_H: return square(c, cell(number));
        default: return (uint64_t{1} << 63) | (axis_id << 22) | ((c >> 2) & 0x3FFFFF);
    }
}

// A square tile holds the cells of the vertical carriers whose x and of the
// horizontal ones whose y lie in one stretch of 65,536 (the number's high
// half, its cell over 4), in one stretch of 4 cells along them: a key is
// told by its kind, its number's low half and its cell's last two bits. A
// tile of another axis holds 4 cells of that axis.
inline uint32_t CellTable::local_of(uint64_t key) {
    using namespace carriers;
    const auto cell_bits = static_cast<uint32_t>(key & 3);
    switch (key >> 56) {
        case AXIS_V: return (static_cast<uint32_t>(key >> 24) & 0xFFFF) << 2 | cell_bits;
        case AXIS_H: return 1u << 18 | (static_cast<uint32_t>(key >> 24) & 0xFFFF) << 2 | cell_bits;
        default: return cell_bits;
    }
}

inline uint32_t CellTable::first(uint64_t key) const {
    if (!tiles_.has_slots()) return NONE;
    const Tile& tile = tiles_[place_of(tile_of(key))];
    return tile.base == NONE ? NONE : slots_[slot_in(tile, local_of(key))].head;
}

inline void CellTable::add(uint64_t key, uint32_t id) {
    if (!tiles_.fits(1)) resize_tiles(std::max<size_t>(64, 2 * tiles_.capacity()));
    const uint64_t tile_key = tile_of(key);
    const size_t place = place_of(tile_key);
    if (tiles_[place].empty())
        tiles_.fill(place, Tile{tile_key, new_block(FIRST_BLOCK), 0, FIRST_BLOCK - 1});
    Tile& tile = tiles_[place];
    const uint32_t local = local_of(key);
    size_t at = slot_in(tile, local);
    if (slots_[at].head == NONE) {
        if ((tile.used + 1) * 4 > (tile.mask + 1) * 3) {
            grow_tile(tile);
            at = slot_in(tile, local);
        }
        slots_[at].local = local;
        ++tile.used;
    }
    // Past the room reserved the entries grow by half, not double: the table
    // is at its largest when it grows.
    if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() * 3 / 2 + 64);
    entries_.push_back(Entry{slots_[at].head, id});
    slots_[at].head = static_cast<uint32_t>(entries_.size() - 1);
}

template <class Lines>
class CarrierIndex {
public:
    using Found = std::vector<uint32_t>;  // ids, in no order, possibly repeated

    explicit CarrierIndex(const Lines& lines) : lines_(lines) {}

    // Room for about that many lines, so that the table is not rehashed
    // while it fills: a key of its own for about every line on a sheet of
    // short wires (more for points, each under its x and its y), two cells a
    // line, and room for the lines the phases add (a fifth more on a ladder).
    void reserve(size_t lines) {
        cells_.reserve(lines * 2 + lines / 2 + 64, lines + lines / 4 + 64);
    }
    // Files a line not filed before, under its present geometry.
    void file(uint32_t id) { file_from(id, nullptr); }
    // Files a line again after it grew from [was_a, was_b] to its present
    // geometry: the cells it did not cover yet.
    void refile(uint32_t id, Point was_a, Point was_b) {
        carriers::Placement was = placement(was_a, was_b, false);
        file_from(id, &was);
    }
    // Lines on which the point lies now, in id order, into `out` (emptied
    // first). With `taking_part`, absorbed lines may be left out.
    void lines_at(Point p, std::vector<uint32_t>& out, bool taking_part = false);
    // Lines with ids above `after` that lie on the carrier of line `id` and
    // whose extent meets its present extent, in id order; absorbed lines
    // may be left out.
    void lines_along(uint32_t id, uint32_t after, std::vector<uint32_t>& out);
    // True when some line has the point on it.
    bool any_at(Point p);
    bool empty() const { return !any_lines_; }

private:
    // An axis's lines taking part, by cell, for the cells read so far (or
    // all, taken from the axis's list of all lines), and its long ones.
    struct TakingPart {
        std::map<int32_t, Found> cells;
        std::map<int32_t, int32_t> read;  // the stretches of cells read: first -> last
        bool all = false;
        Found long_lines;
        bool has(int32_t c) const {
            if (all) return true;
            auto at = read.upper_bound(c);
            return at != read.begin() && std::prev(at)->second >= c;
        }
    };

    carriers::Placement placement(Point a, Point b, bool make_sloped);
    uint64_t sloped_axis(Point a, Point b, bool make);
    void file_from(uint32_t id, const carriers::Placement* was);
    void file_span(uint64_t axis_id, uint32_t id, int64_t lo, int64_t hi, const int64_t* was_lo,
                   const int64_t* was_hi);
    void file_all_lists();
    void raw_cells(uint64_t axis_id, int64_t lo, int64_t hi, Found& out, bool no_long);
    void cells_of(uint64_t axis_id, int64_t lo, int64_t hi, Found& out, bool taking_part);
    TakingPart& taking_part(uint64_t axis_id);
    void read_cells(uint64_t axis_id, TakingPart& t, int32_t a, int32_t b);
    void taking_part_of(uint64_t axis_id, int32_t a, int32_t b, bool wide, Found& out);
    // The extent of a line on the axis, false when it no longer lies on it.
    bool extent_on(uint64_t axis_id, uint32_t id, int64_t* lo, int64_t* hi);
    void add_cell_lines(uint64_t key, Found& out) const {
        const auto& entries = cells_.entries();
        for (uint32_t i = cells_.first(key); i != CellTable::NONE; i = entries[i].next)
            out.push_back(entries[i].id);
    }
    void drop_absorbed(Found& found) const {
        std::erase_if(found, [this](uint32_t f) { return lines_.absorbed(f); });
    }
    static void sort_unique(Found& found, std::vector<uint32_t>& out) {
        out.clear();
        if (found.size() > 1) std::sort(found.begin(), found.end());
        for (size_t i = 0; i < found.size(); ++i)
            if (i == 0 || found[i] != found[i - 1]) out.push_back(found[i]);
    }

    const Lines& lines_;
    CellTable cells_;
    std::unordered_map<carriers::SlopedKey, uint32_t, carriers::SlopedHash> sloped_ids_;
    // The lines still taking part along one axis, by cell, and its long
    // ones: made for an axis when a query that wants only those first spans
    // many of its cells or meets its long lines, then kept up to date by the
    // filing. A line found absorbed is dropped for good, so that a long run
    // of wires merged end to end is not read again and again. The cells are
    // read from the table when a query first spans them.
    std::unordered_map<uint64_t, TakingPart> taking_part_;
    bool any_lines_ = false;
    // The axes that may have long lines, a bit per axis by its hash: most
    // queries are on axes without, and need not look for them.
    std::vector<uint64_t> long_axes_ = std::vector<uint64_t>(1024);
    bool may_have_long(uint64_t axis_id) const {
        uint64_t bit = mix_bits(axis_id) >> 48;
        return (long_axes_[bit >> 6] >> (bit & 63)) & 1;
    }
    void note_long(uint64_t axis_id) {
        uint64_t bit = mix_bits(axis_id) >> 48;
        long_axes_[bit >> 6] |= uint64_t{1} << (bit & 63);
    }
    // Whether lines are filed in their axes' lists of all lines too: only
    // once a query spans more than FAR_CELLS cells not read before (made
    // then from every line filed so far, and kept up to date from then on),
    // so that such a query does not look through the empty cells one by one.
    bool all_lists_filed_ = false;
    bool any_sloped_ = false;
    uint32_t filed_count_ = 0;  // every line below it is filed
    Found found_;               // kept between queries: asked once per end and pin
    std::vector<uint32_t> at_;  // any_at's
};

// --- implementation ---------------------------------------------------------------------------

template <class Lines>
uint64_t CarrierIndex<Lines>::sloped_axis(Point a, Point b, bool make) {
    carriers::SlopedKey key = carriers::sloped_key(a, b);
    auto found = sloped_ids_.find(key);
    if (found != sloped_ids_.end()) return carriers::axis(carriers::AXIS_S, found->second);
    if (!make) return 0;
    uint32_t id = static_cast<uint32_t>(sloped_ids_.size());
    sloped_ids_.emplace(key, id);
    return carriers::axis(carriers::AXIS_S, id);
}

template <class Lines>
carriers::Placement CarrierIndex<Lines>::placement(Point a, Point b, bool make_sloped) {
    using namespace carriers;
    Placement p;
    auto add = [&p](uint64_t id, int64_t lo, int64_t hi) {
        p.axes[p.count] = id;
        p.lo[p.count] = std::min(lo, hi);
        p.hi[p.count] = std::max(lo, hi);
        ++p.count;
    };
    bool vertical = a.x == b.x, horizontal = a.y == b.y;
    if (vertical) add(axis(AXIS_V, a.x), a.y, b.y);
    if (horizontal) add(axis(AXIS_H, a.y), a.x, b.x);
    if (vertical && horizontal) add(axis(AXIS_ZERO_BY_X), a.x, a.x);
    if (!vertical && !horizontal) {
        // A sloped line never leaves its carrier: it only grows along it.
        if (uint64_t id = sloped_axis(a, b, make_sloped)) add(id, a.x, b.x);
        add(axis(AXIS_SLOPED_BY_X), a.x, b.x);
    }
    return p;
}

template <class Lines>
void CarrierIndex<Lines>::file_from(uint32_t id, const carriers::Placement* was) {
    using namespace carriers;
    Point a = lines_.first(id), b = lines_.second(id);
    any_lines_ = true;
    filed_count_ = std::max(filed_count_, id + 1);
    // Most lines are new wires across or down the sheet: one axis.
    if (!was && (a.x == b.x) != (a.y == b.y)) {
        if (a.x == b.x)
            file_span(axis(AXIS_V, a.x), id, std::min(a.y, b.y), std::max(a.y, b.y), nullptr,
                      nullptr);
        else
            file_span(axis(AXIS_H, a.y), id, std::min(a.x, b.x), std::max(a.x, b.x), nullptr,
                      nullptr);
        return;
    }
    carriers::Placement now = placement(a, b, true);
    if (a.x != b.x && a.y != b.y) any_sloped_ = true;
    for (int i = 0; i < now.count; ++i) {
        const int64_t *was_lo = nullptr, *was_hi = nullptr;
        for (int k = 0; was && k < was->count; ++k)
            if (was->axes[k] == now.axes[i]) {
                was_lo = &was->lo[k];
                was_hi = &was->hi[k];
            }
        file_span(now.axes[i], id, now.lo[i], now.hi[i], was_lo, was_hi);
    }
}

// Files the line under the cells of [lo, hi] on the axis that [was_lo,
// was_hi] (what it covered when last filed there, if it was) did not cover.
template <class Lines>
void CarrierIndex<Lines>::file_span(uint64_t axis_id, uint32_t id, int64_t lo, int64_t hi,
                                    const int64_t* was_lo, const int64_t* was_hi) {
    using namespace carriers;
    int32_t a = cell(lo), b = cell(hi);
    bool was_filed = was_lo != nullptr;
    int32_t wa = was_filed ? cell(*was_lo) : 0, wb = was_filed ? cell(*was_hi) : -1;
    if (was_filed && wb - wa >= MAX_CELLS) return;  // long already
    TakingPart* t = nullptr;
    if (!taking_part_.empty()) {
        auto found = taking_part_.find(axis_id);
        if (found != taking_part_.end()) t = &found->second;
    }
    if (!was_filed && all_lists_filed_) cells_.add(cell_key(axis_id, ALL_CELL), id);
    if (int64_t{b} - a >= MAX_CELLS) {
        cells_.add(cell_key(axis_id, LONG_CELL), id);
        note_long(axis_id);
        if (t) t->long_lines.push_back(id);
        return;
    }
    for (int32_t c = a; c <= b; ++c)
        if (!was_filed || c < wa || c > wb) {
            cells_.add(cell_key(axis_id, c), id);
            if (t && t->has(c)) t->cells[c].push_back(id);
        }
}

// Files every line filed so far in its axes' lists of all lines, by the
// carriers of its present geometry: an axis a line has left (a point grown
// into a wire) never needs it, since every candidate is tested exactly.
template <class Lines>
void CarrierIndex<Lines>::file_all_lists() {
    all_lists_filed_ = true;
    for (uint32_t id = 0; id < filed_count_; ++id) {
        if (!lines_.filed(id)) continue;
        carriers::Placement now = placement(lines_.first(id), lines_.second(id), false);
        for (int i = 0; i < now.count; ++i)
            cells_.add(carriers::cell_key(now.axes[i], carriers::ALL_CELL), id);
    }
}

template <class Lines>
bool CarrierIndex<Lines>::extent_on(uint64_t axis_id, uint32_t id, int64_t* lo, int64_t* hi) {
    using namespace carriers;
    Point a = lines_.first(id), b = lines_.second(id);
    bool vertical = a.x == b.x, horizontal = a.y == b.y;
    bool on = false;
    switch (axis_id >> 32) {
        case AXIS_V: on = vertical && axis(AXIS_V, a.x) == axis_id; break;
        case AXIS_H: on = horizontal && axis(AXIS_H, a.y) == axis_id; break;
        case AXIS_S: on = !vertical && !horizontal && sloped_axis(a, b, false) == axis_id; break;
        case AXIS_SLOPED_BY_X: on = !vertical && !horizontal; break;
        default: on = vertical && horizontal; break;
    }
    bool by_y = (axis_id >> 32) == AXIS_V;
    *lo = by_y ? std::min(a.y, b.y) : std::min(a.x, b.x);
    *hi = by_y ? std::max(a.y, b.y) : std::max(a.x, b.x);
    return on;
}

// The lines filed on the axis under the cells of [lo, hi] (and its long
// ones, unless the axis is known to have none), unsorted, possibly repeated.
template <class Lines>
void CarrierIndex<Lines>::raw_cells(uint64_t axis_id, int64_t lo, int64_t hi, Found& out,
                                    bool no_long) {
    using namespace carriers;
    if (!no_long && may_have_long(axis_id)) add_cell_lines(cell_key(axis_id, LONG_CELL), out);
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    if (int64_t{b} - a >= FAR_CELLS) {
        if (!all_lists_filed_) file_all_lists();
        add_cell_lines(cell_key(axis_id, ALL_CELL), out);
        return;
    }
    for (int32_t c = a; c <= b; ++c) add_cell_lines(cell_key(axis_id, c), out);
}

// The axis's lines taking part, made when missing: its long lines (a long
// line cut short since is filed again by its present extent).
template <class Lines>
typename CarrierIndex<Lines>::TakingPart& CarrierIndex<Lines>::taking_part(uint64_t axis_id) {
    using namespace carriers;
    auto [at, made] = taking_part_.try_emplace(axis_id);
    TakingPart& t = at->second;
    if (!made) return t;
    Found filed;
    add_cell_lines(cell_key(axis_id, LONG_CELL), filed);
    drop_absorbed(filed);
    std::sort(filed.begin(), filed.end());
    filed.erase(std::unique(filed.begin(), filed.end()), filed.end());
    t.long_lines = std::move(filed);
    return t;
}

// Reads the cells of [a, b] the axis's lines taking part do not hold yet.
template <class Lines>
void CarrierIndex<Lines>::read_cells(uint64_t axis_id, TakingPart& t, int32_t a, int32_t b) {
    using namespace carriers;
    if (t.all) return;
    auto take = [&](int32_t c, const Found& lines) {
        for (uint32_t f : lines)
            if (!lines_.absorbed(f)) t.cells[c].push_back(f);
    };
    // The stretches not read, in order; a far one from the list of all
    // lines instead, for every cell of the axis at once.
    std::vector<std::pair<int32_t, int32_t>> gaps;
    int64_t unread = 0;
    int32_t from = a;
    for (auto at = t.read.upper_bound(a); from <= b;) {
        auto before = at == t.read.begin() ? t.read.end() : std::prev(at);
        if (before != t.read.end() && before->second >= from) from = before->second + 1;
        if (from > b) break;
        int32_t to = at == t.read.end() ? b : std::min(b, at->first - 1);
        if (to >= from) {
            gaps.emplace_back(from, to);
            unread += int64_t{to} - from + 1;
        }
        if (at == t.read.end()) break;
        from = std::max(from, at->second + 1);
        ++at;
    }
    if (unread > FAR_CELLS) {
        if (!all_lists_filed_) file_all_lists();
        Found all;
        add_cell_lines(cell_key(axis_id, ALL_CELL), all);
        drop_absorbed(all);
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        t.cells.clear();
        for (uint32_t f : all) {
            int64_t lo, hi;
            if (!extent_on(axis_id, f, &lo, &hi) || int64_t{cell(hi)} - cell(lo) >= MAX_CELLS)
                continue;
            for (int32_t c = cell(lo); c <= cell(hi); ++c) t.cells[c].push_back(f);
        }
        t.all = true;
        t.read.clear();
        return;
    }
    Found lines;
    for (auto [first, last] : gaps) {
        for (int32_t c = first; c <= last; ++c) {
            lines.clear();
            add_cell_lines(cell_key(axis_id, c), lines);
            take(c, lines);
        }
        t.read[first] = last;
    }
    // Adjacent stretches become one.
    for (auto at = t.read.begin(); at != t.read.end();) {
        auto next = std::next(at);
        if (next != t.read.end() && int64_t{at->second} + 1 >= next->first) {
            at->second = std::max(at->second, next->second);
            t.read.erase(next);
            continue;
        }
        at = next;
    }
}

// The lines taking part along the axis under the cells of [a, b] and its
// long ones; the absorbed ones met are dropped, and the cells they leave
// empty.
template <class Lines>
void CarrierIndex<Lines>::taking_part_of(uint64_t axis_id, int32_t a, int32_t b, bool wide,
                                         Found& out) {
    using namespace carriers;
    TakingPart& t = taking_part(axis_id);
    // A long line split at junctions keeps its first piece, short now: it
    // is filed again by its present extent, as if it had never been long.
    size_t kept = 0;
    for (size_t i = 0; i < t.long_lines.size(); ++i) {
        uint32_t f = t.long_lines[i];
        if (lines_.absorbed(f)) continue;
        int64_t lo, hi;
        if (!extent_on(axis_id, f, &lo, &hi)) continue;
        if (int64_t{cell(hi)} - cell(lo) < MAX_CELLS) {
            for (int32_t c = cell(lo); c <= cell(hi); ++c) {
                cells_.add(cell_key(axis_id, c), f);
                if (t.has(c)) t.cells[c].push_back(f);
            }
            continue;
        }
        t.long_lines[kept++] = f;
    }
    t.long_lines.resize(kept);
    out.insert(out.end(), t.long_lines.begin(), t.long_lines.end());
    if (!wide) {
        for (int32_t c = a; c <= b; ++c) add_cell_lines(cell_key(axis_id, c), out);
        return;
    }
    read_cells(axis_id, t, a, b);
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
template <class Lines>
void CarrierIndex<Lines>::cells_of(uint64_t axis_id, int64_t lo, int64_t hi, Found& out,
                                   bool taking_part) {
    using namespace carriers;
    int32_t a = cell(std::min(lo, hi)), b = cell(std::max(lo, hi));
    bool wide = int64_t{b} - a >= MAX_CELLS;
    bool has_long =
        may_have_long(axis_id) && cells_.first(cell_key(axis_id, LONG_CELL)) != CellTable::NONE;
    if (taking_part && (wide || has_long)) {
        taking_part_of(axis_id, a, b, wide, out);
        return;
    }
    raw_cells(axis_id, lo, hi, out, !has_long);
}

template <class Lines>
void CarrierIndex<Lines>::lines_at(Point p, std::vector<uint32_t>& out, bool taking_part) {
    using namespace carriers;
    found_.clear();
    if (any_lines_) {
        cells_of(axis(AXIS_V, p.x), p.y, p.y, found_, taking_part);
        cells_of(axis(AXIS_H, p.y), p.x, p.x, found_, taking_part);
        if (any_sloped_) cells_of(axis(AXIS_SLOPED_BY_X), p.x, p.x, found_, taking_part);
    }
    std::erase_if(found_, [&](uint32_t f) {
        return point_on_segment(p, lines_.first(f), lines_.second(f)) == 0;
    });
    sort_unique(found_, out);
}

template <class Lines>
bool CarrierIndex<Lines>::any_at(Point p) {
    if (!any_lines_) return false;
    lines_at(p, at_);
    return !at_.empty();
}

template <class Lines>
void CarrierIndex<Lines>::lines_along(uint32_t id, uint32_t after, std::vector<uint32_t>& out) {
    using namespace carriers;
    Point a = lines_.first(id), b = lines_.second(id);
    bool vertical = a.x == b.x, horizontal = a.y == b.y;
    if (vertical && horizontal) {
        // A point meets the lines that pass through it.
        lines_at(a, out, true);
        std::erase_if(out, [after](uint32_t other) { return other <= after; });
        return;
    }
    found_.clear();
    int64_t lo = vertical ? a.y : a.x, hi = vertical ? b.y : b.x;
    if (vertical) {
        cells_of(axis(AXIS_V, a.x), lo, hi, found_, true);
    } else if (horizontal) {
        cells_of(axis(AXIS_H, a.y), lo, hi, found_, true);
    } else {
        if (uint64_t s = sloped_axis(a, b, false)) cells_of(s, lo, hi, found_, true);
        cells_of(axis(AXIS_ZERO_BY_X), lo, hi, found_, true);
    }
    std::erase_if(found_, [&](uint32_t f) {
        if (f <= after) return true;
        Point oa = lines_.first(f), ob = lines_.second(f);
        return vertical ? !ranges_meet(lo, hi, oa.y, ob.y) : !ranges_meet(lo, hi, oa.x, ob.x);
    });
    sort_unique(found_, out);
}
