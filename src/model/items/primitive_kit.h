#pragma once
// What the routines of the graphic primitives share: making and releasing
// records, the bounds rule, hit and pick marks and the ASCII style words.
// Private to the items library.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <new>

#include "foundation/flagop.h"
#include "foundation/heap.h"
#include "model/items/item.h"

namespace items_kit {

// Records are small blocks of the pool (SchItem's operator new), which
// aligns to POOL_GRAIN only.
template <class R>
constexpr bool fits_pool = alignof(R) <= POOL_GRAIN;

// A record of the given kind with the head's creation defaults, or null.
template <class R>
R* make(int code) {
    static_assert(fits_pool<R>);
    R* record = new (std::nothrow) R;
    if (record) record->type = static_cast<int8_t>(code);
    return record;
}

// Releases a record unless the caller keeps its storage.
template <class R>
void release(R* record, bool keep_storage) {
    if (!keep_storage) delete record;
}

// A copy of a record: every field, but no net-chain links and no object id
// (the copy is another record and gets its own id when written).
template <class R>
R* duplicate(const R* record) {
    static_assert(fits_pool<R>);
    R* copy = new (std::nothrow) R(*record);
    if (copy) {
        copy->prev = copy->next = nullptr;
        copy->id = 0;
    }
    return copy;
}

// The head's width halved with truncation toward zero.
inline int64_t half_width(const SchItem* item) { return item->width / 2; }

// A double truncated toward zero into the 32-bit range (0 for NaN).
inline int32_t trunc32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

// A 64-bit rectangle bound, kept in the 32-bit record by wrapping as the
// 32-bit arithmetic of the stored format would.
inline Rect make_rect(int64_t x, int64_t y, int64_t w, int64_t h) {
    return {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(w),
            static_cast<int32_t>(h)};
}

// Sets the rectangle (accumulate false) or grows it; answers true.
bool put_bounds(Rect* rect, const Rect& r, bool accumulate);

inline double point_distance(Point a, Point b) {
    return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

// ORs the hit bit into the state when the distance is not above the tolerance;
// gives the distance back.
inline double mark_hit(SchItem* item, double distance, double tolerance, uint32_t hit_bit) {
    if (distance <= tolerance) item->state |= hit_bit;
    return distance;
}

// Applies (bits, operation) to the record's state through the flag stack.
inline void mark_picked(SchItem* item, uint32_t bits, int operation) {
    FlagOpScope scope(bits, operation);
    flagop_apply(&item->state);
}

// Whether the view has a selection area and the record passes the mask:
// the condition before any pick.
bool may_pick(View* view, const SchItem* item, uint32_t mask);

// "DRAW " or "BUS " by flag bits 0-1, then "DASHED " for bits 2-3.
void write_style_words(uint8_t flags, FILE* stream);

// The end of every reader once its fixed fields are read: -1 when any of
// them was cut short (fields_result non-zero); else the width rule, state 1
// and the optional id.
int finish_read(SchItem* item, int fields_result, int16_t width, FILE* stream);

// Records of two points between the flag byte and the width (line,
// rectangle, circle): binary record and ASCII line. `opening` is the
// keyword with its blank and any word before the style words.
int read_two_points(SchItem* item, Point* first, Point* second, FILE* stream);
void write_two_points(SchItem* item, Point first, Point second, FILE* stream, uint32_t mask);
void awrite_two_points(const char* opening, uint8_t flags, Point first, Point second, FILE* stream,
                       int level);

// Picks the two ends of a line or an arc, each on its own (first end 0x0004,
// second 0x0008); true when either lay in the selection area.
bool pick_ends(View* view, SchItem* item, Point first, Point second, uint32_t bit, int operation,
               uint32_t mask);

}  // namespace items_kit
