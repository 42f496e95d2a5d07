// Shared pieces of the graphic primitives' routines.
#include "model/items/primitive_kit.h"

#include "foundation/binary_stream.h"
#include "foundation/geometry.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
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

int finish_read(SchItem* item, int fields_result, int16_t width, FILE* stream) {
    if (fields_result != 0) return -1;
    item->width = read_width_rule(width);
    item->state = STATE_NEW;
    return read_item_id(item, stream);
}

int read_two_points(SchItem* item, Point* first, Point* second, FILE* stream) {
    int result = read_item_tag(stream, item_tag(item->type));
    if (result != 0) return result;
    int16_t width = 0;
    result = read_byte(&item->flags, stream);
    result |= read_point(first, stream);
    result |= read_point(second, stream);
    result |= read_short(&width, stream);
    return finish_read(item, result, width, stream);
}

void write_two_points(SchItem* item, Point first, Point second, FILE* stream, uint32_t mask) {
    if (!mask_matches(item->state, mask)) return;
    write_byte(item_tag(item->type), stream);
    write_byte(item->flags, stream);
    write_point(first, stream);
    write_point(second, stream);
    write_short(item->width, stream);
    write_item_id(item, stream);
}

void awrite_two_points(const char* opening, uint8_t flags, Point first, Point second, FILE* stream,
                       int level) {
    write_indent(stream, level);
    std::fputs(opening, stream);
    write_style_words(flags, stream);
    write_POS(first, stream, -1);
    write_POS(second, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

bool pick_ends(View* view, SchItem* item, Point first, Point second, uint32_t bit, int operation,
               uint32_t mask) {
    if (!may_pick(view, item, mask)) return false;
    bool picked = false;
    if (view_point_in_select(view, first)) {
        mark_picked(item, bit | STATE_FIRST_END, operation);
        picked = true;
    }
    if (view_point_in_select(view, second)) {
        mark_picked(item, bit | STATE_SECOND_END, operation);
        picked = true;
    }
    return picked;
}

}  // namespace items_kit
