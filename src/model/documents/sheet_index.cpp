// The bounds index of a sheet open in an editor.
//
// Cells: a dense grid over the rectangle the items covered when the index
// was made, with about four items' worth of room per cell, each cell the
// head of a chain of links to entries. Cells of the same size beyond the
// grid have their heads in a hash table, made as items come there; when
// such items grow many the index is made anew over the new extent. An item
// that would take more than a few cells is kept among the wide items, which
// every query looks at.
//
// Items to entries: a hash table of entry numbers by the address of their
// items (open addressing), laid out so that records near each other in
// memory have their slots near each other too.
//
// Order: each entry has a place number; appends take places spaced apart,
// so that an item put back between two others finds a free number between
// theirs (when none is left every place is numbered anew).
#include "model/documents/sheet_index.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/open_table.h"
#include "foundation/services.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"

namespace {

constexpr uint32_t NONE = std::numeric_limits<uint32_t>::max();
// An item filed in more cells than this is kept among the wide items.
constexpr int64_t MAX_CELLS_PER_ITEM = 64;
// Cell sizes are powers of two between these (world units).
constexpr int MIN_SHIFT = 8;
constexpr int MAX_SHIFT = 28;
// Appends take places this far apart.
constexpr uint32_t PLACE_GAP = 256;
// Entries an index holds at most (their numbers take 31 bits).
constexpr size_t MAX_ENTRIES = size_t{1} << 31;
// Damage beyond this many rectangles is kept as their union.
constexpr size_t MAX_DAMAGE = 256;

// Everything: the rectangle of an item that has none.
constexpr Rect EVERYWHERE{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

bool meets(const Rect& a, const Rect& b) {
    if (a == EVERYWHERE || b == EVERYWHERE) return true;
    return int64_t{a.x} <= int64_t{b.x} + b.w && int64_t{b.x} <= int64_t{a.x} + a.w &&
           int64_t{a.y} <= int64_t{b.y} + b.h && int64_t{b.y} <= int64_t{a.y} + a.h;
}

int32_t clamp32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

Rect join(const Rect& a, const Rect& b) {
    int64_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    int64_t x1 = std::max(int64_t{a.x} + a.w, int64_t{b.x} + b.w);
    int64_t y1 = std::max(int64_t{a.y} + a.h, int64_t{b.y} + b.h);
    return Rect{clamp32(x0), clamp32(y0), clamp32(x1 - x0), clamp32(y1 - y0)};
}

// The rectangle an item covers: drawn and measured, joined.
Rect item_rect(Schema* schema, SchItem* item) {
    Rect own{}, drawn{};
    bool has_own = bounds_SchItem(schema, item, &own, false);
    bool has_drawn = services().item_draw_bounds(schema, item, &drawn);
    if (has_own && has_drawn) return join(own, drawn);
    if (has_drawn) return drawn;
    if (has_own) return own;
    return EVERYWHERE;
}

enum : uint8_t {
    IN_PORTS = 1,  // the entry's item stands in the ports list
    WIDE = 2,      // kept among the wide items
};

}  // namespace

struct SheetIndex {
    Sheet* sheet = nullptr;  // not owned: the sheet indexed (the document's current one)
    List* items = nullptr;   // not owned: its item list
    List* ports = nullptr;   // not owned: the document's ports list (null until there is one)

    struct Entry {
        DListNode* node = nullptr;  // not owned: the item's node; null for a free entry
        SchItem* item = nullptr;    // not owned: the node's item
        Rect box{};
        uint32_t place = 0;
        // The last query that handed it out: numbered in 30 bits, so that
        // the stamps of every entry are cleared only once in a billion
        // queries (a whole sheet placed makes millions).
        uint32_t stamp : 30 = 0;
        uint32_t flags : 2 = 0;
    };
    std::vector<Entry> entries;
    std::vector<uint32_t> free_entries;
    size_t count = 0;

    // The entries by their items' addresses: linear probing, at most half
    // full; a removal shifts the slots after it back, so that no slot is
    // ever a tombstone.
    struct Slot {
        uint32_t entry = NONE;  // NONE: empty
        uint32_t key = 0;       // of the entry's item's address
        bool empty() const { return entry == NONE; }
    };
    OpenTable<Slot> slots;

    // The grid: cells of 1 << shift units from (x0, y0), columns x rows.
    int shift = 14;
    int64_t x0 = 0, y0 = 0;
    int64_t columns = 0, rows = 0;
    std::vector<uint32_t> heads;  // first link of each cell
    // First links of the cells beyond the grid that hold items, by column
    // and row (see cell_key).
    std::unordered_map<uint64_t, uint32_t> beyond;
    struct Link {
        uint32_t entry;
        uint32_t next;
    };
    std::vector<Link> links;
    uint32_t free_link = NONE;
    std::vector<uint32_t> wide;
    size_t outside = 0;  // items filed in cells beyond the grid

    uint32_t next_place[2] = {PLACE_GAP, PLACE_GAP};  // ports list, sheet items
    uint32_t stamp = 0;                               // of the last query
    bool remake =
        false;  // the items beyond the grid grew many: make the index anew at the next use

    std::vector<Rect> damage;
    bool damage_all = true;

    // A query's entries and their keys in list order (kept for their storage).
    std::vector<uint32_t> found;
    std::vector<uint64_t> found_keys;
    // Lines of the sheet found with their ends out of order when filed, for
    // the connectivity refresh (possibly gone or in order again since).
    std::vector<SchItem*> unordered;
};

namespace {

using Entry = SheetIndex::Entry;

int rank_of(uint8_t flags) { return flags & IN_PORTS ? 0 : 1; }

List* list_of(const SheetIndex& index, const Entry& e) {
    return e.flags & IN_PORTS ? index.ports : index.items;
}

// Where a rectangle is filed: in cells of the grid, in cells beyond it, or
// among the wide items because it would take too many cells.
enum Filing { IN_CELLS, OUTSIDE, TOO_WIDE };

// The cells of a rectangle (columns and rows counted from the grid's first
// cell, beyond the grid too), and how it is filed.
Filing cell_span(const SheetIndex& index, const Rect& r, int64_t* cx0, int64_t* cy0, int64_t* cx1,
                 int64_t* cy1) {
    if (r == EVERYWHERE) return TOO_WIDE;
    *cx0 = (int64_t{r.x} - index.x0) >> index.shift;
    *cy0 = (int64_t{r.y} - index.y0) >> index.shift;
    *cx1 = (int64_t{r.x} + r.w - index.x0) >> index.shift;
    *cy1 = (int64_t{r.y} + r.h - index.y0) >> index.shift;
    if ((*cx1 - *cx0 + 1) * (*cy1 - *cy0 + 1) > MAX_CELLS_PER_ITEM) return TOO_WIDE;
    if (*cx0 < 0 || *cy0 < 0 || *cx1 >= index.columns || *cy1 >= index.rows) return OUTSIDE;
    return IN_CELLS;
}

bool in_grid(const SheetIndex& index, int64_t cx, int64_t cy) {
    return cx >= 0 && cy >= 0 && cx < index.columns && cy < index.rows;
}

// A cell beyond the grid in the hash table (columns and rows fit in 32 bits:
// a cell is at least 1 << MIN_SHIFT units wide).
uint64_t cell_key(int64_t cx, int64_t cy) {
    return uint64_t{static_cast<uint32_t>(cx)} << 32 | static_cast<uint32_t>(cy);
}
int64_t key_column(uint64_t key) { return static_cast<int32_t>(key >> 32); }
int64_t key_row(uint64_t key) { return static_cast<int32_t>(key & 0xFFFFFFFFu); }

// The first link of a cell; a cell beyond the grid is made when asked to.
uint32_t* head_of(SheetIndex& index, int64_t cx, int64_t cy, bool make) {
    if (in_grid(index, cx, cy)) return &index.heads[size_t(cy * index.columns + cx)];
    if (make) return &index.beyond.try_emplace(cell_key(cx, cy), NONE).first->second;
    auto found = index.beyond.find(cell_key(cx, cy));
    return found == index.beyond.end() ? nullptr : &found->second;
}

uint32_t new_link(SheetIndex& index, uint32_t entry, uint32_t next) {
    if (index.free_link != NONE) {
        uint32_t at = index.free_link;
        index.free_link = index.links[at].next;
        index.links[at] = {entry, next};
        return at;
    }
    index.links.push_back({entry, next});
    return static_cast<uint32_t>(index.links.size() - 1);
}

void file_entry(SheetIndex& index, uint32_t e) {
    Entry& entry = index.entries[e];
    int64_t cx0, cy0, cx1, cy1;
    Filing filing = cell_span(index, entry.box, &cx0, &cy0, &cx1, &cy1);
    if (filing == TOO_WIDE) {
        entry.flags |= WIDE;
        index.wide.push_back(e);
        return;
    }
    // Items placed beyond the grid since it was laid: once they are many,
    // the grid is laid again over the sheet as it is now.
    if (filing == OUTSIDE && ++index.outside > index.count / 8 + 256) index.remake = true;
    for (int64_t cy = cy0; cy <= cy1; ++cy)
        for (int64_t cx = cx0; cx <= cx1; ++cx) {
            uint32_t* head = head_of(index, cx, cy, true);
            *head = new_link(index, e, *head);
        }
}

void unfile_entry(SheetIndex& index, uint32_t e) {
    Entry& entry = index.entries[e];
    if (entry.flags & WIDE) {
        auto at = std::find(index.wide.begin(), index.wide.end(), e);
        if (at != index.wide.end()) {
            *at = index.wide.back();
            index.wide.pop_back();
        }
        entry.flags &= ~WIDE;
        return;
    }
    int64_t cx0, cy0, cx1, cy1;
    cell_span(index, entry.box, &cx0, &cy0, &cx1, &cy1);
    for (int64_t cy = cy0; cy <= cy1; ++cy)
        for (int64_t cx = cx0; cx <= cx1; ++cx) {
            uint32_t* head = head_of(index, cx, cy, false);
            if (!head) continue;
            uint32_t* at = head;
            while (*at != NONE && index.links[*at].entry != e) at = &index.links[*at].next;
            if (*at == NONE) continue;
            uint32_t gone = *at;
            *at = index.links[gone].next;
            index.links[gone].next = index.free_link;
            index.free_link = gone;
            if (*head == NONE && !in_grid(index, cx, cy)) index.beyond.erase(cell_key(cx, cy));
        }
}

void add_damage(SheetIndex& index, const Rect& r) {
    if (index.damage_all) return;
    if (r == EVERYWHERE) {
        index.damage_all = true;
        index.damage.clear();
        return;
    }
    if (index.damage.size() >= MAX_DAMAGE) {
        Rect all = r;
        for (const Rect& d : index.damage) all = join(all, d);
        index.damage.assign(1, all);
        return;
    }
    index.damage.push_back(r);
}

uint32_t new_entry(SheetIndex& index) {
    if (!index.free_entries.empty()) {
        uint32_t e = index.free_entries.back();
        index.free_entries.pop_back();
        return e;
    }
    // Queries sort entry numbers packed into 31 bits.
    if (index.entries.size() >= MAX_ENTRIES) no_memory();
    index.entries.emplace_back();
    return static_cast<uint32_t>(index.entries.size() - 1);
}

// --- entries by address ------------------------------------------------------------------
// An address's key: the page it lies in, scattered (the low bits of a
// product with a large odd number would follow the low bits of the page
// alone), above its offset in the page. Records made one after another lie
// side by side, and so do their slots: a walk of a sheet's items in list
// order reads the table in order too, where scattered slots would each cost
// a miss of the cache. A slot keeps its key, so that a look-up compares
// addresses only on a match and a removal finds each slot's home without
// its entry.
uint32_t address_key(const SchItem* item) {
    const auto address = uint64_t(reinterpret_cast<uintptr_t>(item));
    const uint64_t page = mix_bits(address >> 12) >> 40;
    return uint32_t(page << 8 | (((address >> 4) ^ page) & 0xFF));
}

size_t slot_home(const SheetIndex::Slot& slot) { return slot.key; }

void slot_put(SheetIndex& index, uint32_t e) {
    const uint32_t key = address_key(index.entries[e].item);
    index.slots.fill(index.slots.vacant(key), {e, key});
}

// Room for `count` entries' slots, the table made anew from the entries
// when it grows (an index made whole files its entries first).
void reserve_slots(SheetIndex& index, size_t count) {
    if (count * 2 <= index.slots.capacity()) return;
    size_t size = 64;
    while (count * 2 > size) size *= 2;
    index.slots.clear(0);
    index.slots.rebuild(size, slot_home);
    for (uint32_t e = 0; e < index.entries.size(); ++e)
        if (index.entries[e].node) slot_put(index, e);
}

uint32_t find_entry(const SheetIndex* index, const SchItem* item) {
    if (!index || !item || !index->slots.has_slots()) return NONE;
    const uint32_t key = address_key(item);
    const size_t at = index->slots.locate(key, [&](const SheetIndex::Slot& slot) {
        return slot.key == key && index->entries[slot.entry].item == item;
    });
    return index->slots[at].entry;
}

void slot_erase(SheetIndex& index, uint32_t e) {
    const size_t at =
        index.slots.locate(address_key(index.entries[e].item),
                           [e](const SheetIndex::Slot& slot) { return slot.entry == e; });
    index.slots.erase(at, slot_home);
}

// Whether a line's ends are out of the order the connectivity refresh puts
// them in (the first end the one with the smaller x, then the smaller y).
bool ends_out_of_order(const SchItem* item) {
    if (item->type != LINE_ITEM) return false;
    const Line* line = as_Line(item);
    return line->end.x < line->pos.x || (line->end.x == line->pos.x && line->end.y < line->pos.y);
}

void note_order(SheetIndex& index, SchItem* item) {
    if (ends_out_of_order(item)) index.unordered.push_back(item);
}

uint32_t add_entry(SheetIndex& index, DListNode* node, bool in_ports, const Rect& box,
                   uint32_t place) {
    uint32_t e = new_entry(index);
    reserve_slots(index, index.slots.size() + 1);  // before the entry holds its item
    Entry& entry = index.entries[e];
    entry = Entry{node, static_cast<SchItem*>(node->data),
                  box,  place,
                  0,    static_cast<uint8_t>(in_ports ? IN_PORTS : 0)};
    slot_put(index, e);
    note_order(index, static_cast<SchItem*>(node->data));
    ++index.count;
    file_entry(index, e);
    return e;
}

void remove_entry(SheetIndex& index, uint32_t e) {
    unfile_entry(index, e);
    slot_erase(index, e);
    index.entries[e].node = nullptr;
    index.entries[e].item = nullptr;
    index.free_entries.push_back(e);
    --index.count;
}

// The grid for the items' extent: about four items a cell.
void lay_grid(SheetIndex& index, const Rect& extent, size_t count) {
    double area = std::max(1.0, double(extent.w)) * std::max(1.0, double(extent.h));
    double side = 2.0 * std::sqrt(area / double(std::max<size_t>(count, 1)));
    int shift = MIN_SHIFT;
    while (shift < MAX_SHIFT && double(int64_t{1} << shift) < side) ++shift;
    index.shift = shift;
    index.x0 = extent.x;
    index.y0 = extent.y;
    index.columns = ((int64_t{extent.w}) >> shift) + 1;
    index.rows = ((int64_t{extent.h}) >> shift) + 1;
    index.heads.assign(size_t(index.columns * index.rows), NONE);
}

// Numbers every place anew, in list order, spaced apart again.
void renumber(SheetIndex& index) {
    for (int rank = 0; rank < 2; ++rank) {
        uint32_t place = PLACE_GAP;
        for (DListNode* node : dlist_nodes(rank == 0 ? index.ports : index.items)) {
            uint32_t e = find_entry(&index, static_cast<SchItem*>(node->data));
            if (e == NONE) continue;
            index.entries[e].place = place;
            place += PLACE_GAP;
        }
        index.next_place[rank] = place;
    }
}

uint32_t take_place(SheetIndex& index, int rank) {
    if (index.next_place[rank] > NONE - PLACE_GAP) renumber(index);
    uint32_t place = index.next_place[rank];
    index.next_place[rank] += PLACE_GAP;
    return place;
}

SheetIndex* build(Schema* schema) {
    // What the drawing layer keeps between measures may have changed, but
    // not within a gesture's scratch copy.
    if (!schema->edit.scratch_copy) services().item_draw_bounds(schema, nullptr, nullptr);
    auto* index = new SheetIndex;
    index->sheet = schema->current;
    index->items = schema->current->items;
    index->ports = schema->ports;
    size_t total = index->items->count + (index->ports ? index->ports->count : 0);
    // Room for the items edits add: the first item added after the opening
    // must not move every entry (tens of milliseconds on a large sheet).
    index->entries.reserve(total + total / 4 + 1024);
    // First the rectangles, for the extent the grid covers.
    Rect extent{};
    bool any = false;
    for (int rank = 0; rank < 2; ++rank)
        for (DListNode* node : dlist_nodes(rank == 0 ? index->ports : index->items)) {
            auto* item = static_cast<SchItem*>(node->data);
            Rect box = item_rect(schema, item);
            note_order(*index, item);
            if (!(box == EVERYWHERE)) {
                extent = any ? join(extent, box) : box;
                any = true;
            }
            uint32_t place = index->next_place[rank];
            index->next_place[rank] += PLACE_GAP;
            index->entries.push_back(Entry{node, static_cast<SchItem*>(node->data), box, place, 0,
                                           static_cast<uint8_t>(rank == 0 ? IN_PORTS : 0)});
        }
    index->count = index->entries.size();
    lay_grid(*index, extent, index->count);
    index->links.reserve(index->count + index->count / 2);
    for (uint32_t e = 0; e < index->entries.size(); ++e) file_entry(*index, e);
    reserve_slots(*index, index->count + index->count / 4 + 1024);  // as the entries
    index->remake = false;
    return index;
}

bool still_true(const SheetIndex* index, const Schema* schema) {
    if (index->remake || !schema->current || index->sheet != schema->current ||
        index->items != schema->current->items)
        return false;
    // A ports list made since the index was counts as its own while empty.
    if (index->ports != schema->ports && !(index->ports == nullptr && schema->ports->count == 0))
        return false;
    size_t held = index->items->count + (schema->ports ? schema->ports->count : 0);
    return held == index->count;
}

// The document's index when it is still true, else null (it is dropped).
SheetIndex* existing(Schema* schema) {
    SheetIndex* index = schema ? schema->edit.index : nullptr;
    if (!index) return nullptr;
    if (still_true(index, schema)) return index;
    drop_sheet_index(schema);
    return nullptr;
}

bool in_ports(const SheetIndex& index, Schema* schema, List* list) {
    return list != index.items && list == schema->ports;
}

}  // namespace

SheetIndex* sheet_index(Schema* schema) {
    if (!schema || !schema->current || !schema->current->items) return nullptr;
    if (SheetIndex* index = existing(schema)) return index;
    schema->edit.index = build(schema);
    return schema->edit.index;
}

void free_SheetIndex(SheetIndex* index) { delete index; }

void drop_sheet_index(Schema* schema) {
    if (!schema) return;

    free_SheetIndex(schema->edit.index);
    schema->edit.index = nullptr;
}

void sheet_index_added(Schema* schema, List* list, DListNode* node) {
    SheetIndex* index = schema ? schema->edit.index : nullptr;
    if (!index || !node) return;
    if (list == schema->ports && !index->ports) index->ports = list;
    if (list != index->items && list != index->ports) return;
    bool ports = in_ports(*index, schema, list);
    Rect box = item_rect(schema, static_cast<SchItem*>(node->data));
    add_entry(*index, node, ports, box, take_place(*index, ports ? 0 : 1));
    add_damage(*index, box);
}

void sheet_index_changed(Schema* schema, SchItem* item) {
    SheetIndex* index = existing(schema);
    uint32_t e = find_entry(index, item);
    if (e == NONE) return;
    note_order(*index, item);
    Rect box = item_rect(schema, item);
    add_damage(*index, index->entries[e].box);
    if (box == index->entries[e].box) return;
    unfile_entry(*index, e);
    index->entries[e].box = box;
    file_entry(*index, e);
    add_damage(*index, box);
}

void sheet_index_damage(Schema* schema, SchItem* item) {
    SheetIndex* index = existing(schema);
    uint32_t e = find_entry(index, item);
    if (e != NONE) add_damage(*index, index->entries[e].box);
}

void sheet_index_damage_rect(Schema* schema, const Rect& rect) {
    if (SheetIndex* index = existing(schema)) add_damage(*index, rect);
}

List* sheet_take_out(Schema* schema, SchItem* item) {
    SheetIndex* index = sheet_index(schema);
    uint32_t e = find_entry(index, item);
    if (e == NONE) return nullptr;
    Entry entry = index->entries[e];
    List* list = list_of(*index, entry);
    add_damage(*index, entry.box);
    remove_entry(*index, e);
    dlist_remove(list, entry.node, nullptr);
    return list;
}

DListNode* sheet_append(Schema* schema, List* list, SchItem* item) {
    DListNode* node = dlist_append(list, item);
    if (!node) no_memory();
    sheet_index_added(schema, list, node);
    return node;
}

DListNode* sheet_put_back(Schema* schema, List* list, SchItem* after, SchItem* item) {
    SheetIndex* index = sheet_index(schema);
    uint32_t before = find_entry(index, after);
    DListNode* node = before != NONE
                          ? dlist_insert(list, index->entries[before].node, LIST_AFTER, item)
                          : dlist_prepend(list, item);
    if (!node) no_memory();
    if (!index) return node;
    if (list == schema->ports && !index->ports) index->ports = list;
    if (list != index->items && list != index->ports) return node;
    bool ports = in_ports(*index, schema, list);
    int rank = ports ? 0 : 1;
    // A place between the neighbours' (numbered anew when there is none).
    auto place_between = [&]() -> uint32_t {
        uint32_t lo = before != NONE ? index->entries[before].place : 0;
        uint32_t hi = index->next_place[rank];
        if (DListNode* next = dlist_next(node)) {
            uint32_t n = find_entry(index, static_cast<SchItem*>(next->data));
            if (n != NONE) hi = index->entries[n].place;
        }
        return hi - lo >= 2 ? lo + (hi - lo) / 2 : 0;
    };
    uint32_t place = place_between();
    Rect box = item_rect(schema, item);
    add_entry(*index, node, ports, box, place);
    if (place == 0) renumber(*index);
    add_damage(*index, box);
    return node;
}

void sheet_index_replace(Schema* schema, SchItem* was, SchItem* now) {
    SheetIndex* index = existing(schema);
    uint32_t e = find_entry(index, was);
    if (e == NONE) return;
    Entry entry = index->entries[e];
    add_damage(*index, entry.box);
    remove_entry(*index, e);
    entry.node->data = now;
    Rect box = item_rect(schema, now);
    add_entry(*index, entry.node, entry.flags & IN_PORTS, box, entry.place);
    add_damage(*index, box);
}

void sheet_index_query(SheetIndex* index, const Rect& rect, std::vector<SchItem*>* out) {
    out->clear();
    if (!index) return;
    if (++index->stamp == uint32_t{1} << 30) {
        for (Entry& e : index->entries) e.stamp = 0;
        index->stamp = 1;
    }
    const uint32_t stamp = index->stamp;
    std::vector<uint32_t>& found = index->found;
    found.clear();
    auto offer = [&](uint32_t e) {
        Entry& entry = index->entries[e];
        if (entry.stamp == stamp) return;
        entry.stamp = stamp;
        if (meets(entry.box, rect)) found.push_back(e);
    };
    auto offer_cell = [&](uint32_t head) {
        for (uint32_t l = head; l != NONE; l = index->links[l].next) offer(index->links[l].entry);
    };
    const int64_t cx0 = (int64_t{rect.x} - index->x0) >> index->shift;
    const int64_t cy0 = (int64_t{rect.y} - index->y0) >> index->shift;
    const int64_t cx1 = (int64_t{rect.x} + rect.w - index->x0) >> index->shift;
    const int64_t cy1 = (int64_t{rect.y} + rect.h - index->y0) >> index->shift;
    // The grid's cells in the rectangle.
    const int64_t gx0 = std::max<int64_t>(0, cx0), gy0 = std::max<int64_t>(0, cy0);
    const int64_t gx1 = std::min<int64_t>(index->columns - 1, cx1);
    const int64_t gy1 = std::min<int64_t>(index->rows - 1, cy1);
    for (int64_t cy = gy0; cy <= gy1; ++cy)
        for (int64_t cx = gx0; cx <= gx1; ++cx)
            offer_cell(index->heads[size_t(cy * index->columns + cx)]);
    // The cells beyond it: each cell of the rectangle looked up, or every
    // cell of the table looked at, whichever is less work.
    if (!index->beyond.empty()) {
        const int64_t in_rect = (cx1 - cx0 + 1) * (cy1 - cy0 + 1);
        if (in_rect <= int64_t(index->beyond.size())) {
            for (int64_t cy = cy0; cy <= cy1; ++cy)
                for (int64_t cx = cx0; cx <= cx1; ++cx) {
                    if (in_grid(*index, cx, cy)) continue;
                    auto found = index->beyond.find(cell_key(cx, cy));
                    if (found != index->beyond.end()) offer_cell(found->second);
                }
        } else {
            for (const auto& [key, head] : index->beyond) {
                const int64_t cx = key_column(key), cy = key_row(key);
                if (cx >= cx0 && cx <= cx1 && cy >= cy0 && cy <= cy1) offer_cell(head);
            }
        }
    }
    for (uint32_t e : index->wide) offer(e);
    out->reserve(found.size());
    if (found.size() <= 1) {
        for (uint32_t e : found) out->push_back(index->entries[e].item);
        return;
    }
    // In list order: each entry's rank and place packed above its number,
    // sorted without going back to the entries.
    std::vector<uint64_t>& keys = index->found_keys;
    keys.clear();
    for (uint32_t e : found) {
        const Entry& entry = index->entries[e];
        keys.push_back(uint64_t(rank_of(entry.flags)) << 63 | uint64_t(entry.place) << 31 | e);
    }
    std::sort(keys.begin(), keys.end());
    for (uint64_t key : keys) out->push_back(index->entries[key & 0x7FFFFFFF].item);
}

List* sheet_index_list_of(SheetIndex* index, const SchItem* item) {
    uint32_t e = find_entry(index, item);
    return e == NONE ? nullptr : list_of(*index, index->entries[e]);
}

DListNode* sheet_index_node(SheetIndex* index, const SchItem* item) {
    uint32_t e = find_entry(index, item);
    return e == NONE ? nullptr : index->entries[e].node;
}

bool sheet_index_bounds(SheetIndex* index, const SchItem* item, Rect* out) {
    uint32_t e = find_entry(index, item);
    if (e == NONE) return false;
    *out = index->entries[e].box;
    return true;
}

size_t sheet_index_count(const SheetIndex* index) { return index ? index->count : 0; }

void sheet_index_sort(SheetIndex* index, std::vector<SchItem*>* items) {
    struct Keyed {
        int rank;
        uint32_t place;
        SchItem* item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(items->size());
    for (SchItem* item : *items) {
        uint32_t e = find_entry(index, item);
        if (e == NONE) continue;
        const Entry& entry = index->entries[e];
        keyed.push_back({rank_of(entry.flags), entry.place, item});
    }
    const auto before = [](const Keyed& a, const Keyed& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.place < b.place;
    };
    // Items named in list order (a whole sheet's touched items) need no sort.
    if (!std::is_sorted(keyed.begin(), keyed.end(), before))
        std::sort(keyed.begin(), keyed.end(), before);
    items->clear();
    for (const Keyed& k : keyed) items->push_back(k.item);
}

void sheet_index_take_unordered(SheetIndex* index, std::vector<SchItem*>* out) {
    out->clear();
    if (!index) return;
    // A line noted may have gone since (and its place been taken by another
    // record), or been put in order: only what is out of order now counts.
    for (SchItem* item : index->unordered) {
        uint32_t e = find_entry(index, item);
        if (e != NONE && !(index->entries[e].flags & IN_PORTS) && ends_out_of_order(item))
            out->push_back(item);
    }
    index->unordered.clear();
    sheet_index_sort(index, out);
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

bool sheet_index_take_damage(Schema* schema, std::vector<Rect>* out) {
    out->clear();
    SheetIndex* index = existing(schema);
    if (!index) return true;
    bool all = index->damage_all;
    index->damage_all = false;
    out->swap(index->damage);
    index->damage.clear();
    return all;
}
