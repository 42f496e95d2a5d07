#pragma once
// The operations table: one row of routines per item code, indexed by the
// code. Every dispatcher over item codes (the primitive dispatchers of
// item.h, the sheet item dispatchers of model/documents/sheet_items.h) is
// one look-up in this table; later subsystems add their operations as
// columns here, not as new switches.
//
// A row's routines take the head and cast it to the record of the row's
// code; they are reached only through item_ops, so the code always fits.
// An empty slot means the code has no such operation: the dispatcher then
// answers its neutral result (nothing done, false, FAR_AWAY, null).
//
// The table is defined in model/documents/item_table.cpp, the one file that
// sees the records of every code.
#include <array>
#include <cstdint>
#include <cstdio>

#include "foundation/geometry.h"
#include "foundation/matrix.h"
#include "model/items/item.h"

struct Schema;
struct View;

// What a routine may need beyond the record: the document (its library,
// fonts and canvas) and the view that selects. Either may be null.
struct ItemContext {
    Schema* schema = nullptr;  // not owned
    View* view = nullptr;      // not owned
};

// Codes 0..ITEM_CODE_LIMIT-1 have a row (most of them empty).
constexpr int ITEM_CODE_LIMIT = IMAGE_ITEM + 1;

struct ItemOps {
    const char* name = nullptr;  // for messages: "LINE_ITEM"; null for no code
    // The byte that starts the record in a sheet's item list; 0 when the
    // code never stands there.
    uint8_t sheet_tag = 0;
    // Whether the state word answers masks (mask_SchItem): every code with
    // a head of its own in a sheet, not the embedded title block.
    bool masked = false;
    SchItem* (*make)() = nullptr;
    // Releases what the record owns, then the record unless keep_storage.
    void (*release)(const ItemContext&, SchItem*, bool keep_storage) = nullptr;
    int (*read)(const ItemContext&, SchItem*, FILE*) = nullptr;
    void (*write)(const ItemContext&, SchItem*, FILE*, uint32_t mask) = nullptr;
    void (*awrite)(const ItemContext&, SchItem*, FILE*, int level) = nullptr;
    void (*matrix)(const ItemContext&, SchItem*, const Matrix*) = nullptr;
    bool (*bounds)(const ItemContext&, SchItem*, Rect*, bool accumulate) = nullptr;
    // Sets the rectangle (never merges); see extent_SchItem.
    bool (*extent)(const ItemContext&, SchItem*, Rect*) = nullptr;
    void (*flag)(const ItemContext&, SchItem*) = nullptr;
    double (*distance)(const ItemContext&, SchItem*, Point, uint32_t mask, double tolerance,
                       uint32_t hit_bit) = nullptr;
    bool (*select)(const ItemContext&, SchItem*, uint32_t bit, int operation,
                   uint32_t mask) = nullptr;
    SchItem* (*copy)(const ItemContext&, const SchItem*) = nullptr;
    // The point the sheet editor places and repeats an item by.
    void (*anchor)(const SchItem*, Point*) = nullptr;
    // The kind's own comparison; the two records have the row's code.
    bool (*compare)(const SchItem*, const SchItem*) = nullptr;
};

extern const std::array<ItemOps, ITEM_CODE_LIMIT> ITEM_OPS;

// The row of a code; an empty row for a code outside 0..ITEM_CODE_LIMIT-1.
inline const ItemOps& item_ops(int code) {
    return ITEM_OPS[code >= 0 && code < ITEM_CODE_LIMIT ? code : 0];
}

// A table of per-kind behaviour that stands beside ITEM_OPS, in the
// subsystem that owns the behaviour (drawing, picking, the edit filter):
// one row per item code, an empty row where the code has none.
template <class Row>
using ItemTable = std::array<Row, ITEM_CODE_LIMIT>;

// The row of a code; an empty row for a code outside the table.
template <class Row>
const Row& item_row(const ItemTable<Row>& table, int code) {
    static const Row none{};
    return code >= 0 && code < ITEM_CODE_LIMIT ? table[code] : none;
}
