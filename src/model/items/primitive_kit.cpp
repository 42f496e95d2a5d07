// Shared pieces of the graphic primitives' routines.
#include "model/items/primitive_kit.h"

#include "foundation/geometry.h"
#include "model/items/view.h"

namespace items_kit {

bool put_bounds(Rect* rect, const Rect& r, bool accumulate) {
    if (accumulate) {
        rect_union(rect, r);
    } else {
        *rect = r;
    }
    return true;
}

bool may_pick(View* view, const SchItem* item, uint32_t mask) {
    return mask_matches(item->state, mask) && view_has_select_area(view);
}

void write_style_words(uint8_t flags, FILE* stream) {
    switch (flags & STYLE_MASK) {
        case DRAW: std::fputs("DRAW ", stream); break;
        case BUS: std::fputs("BUS ", stream); break;
        default: break;
    }
    if (flags & DASHED_MASK) std::fputs("DASHED ", stream);
}

}  // namespace items_kit
