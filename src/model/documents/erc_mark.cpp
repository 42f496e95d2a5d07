// ERC marks: the symbol of one finding of the electrical rule check at its
// connection point.
#include "model/documents/erc_mark.h"

#include <algorithm>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/view.h"

using namespace items_kit;

// A small table of integers scaled by 41: an arrow whose tip is the point.
const Point erc_mark_outline[ERC_OUTLINE_POINTS] = {
    {0, 0},      {451, -451}, {287, -451}, {779, -943}, {779, -820},
    {943, -820}, {656, -492}, {779, -492}, {0, 0},
};

ErcMark* as_ErcMark(SchItem* item) { return checked_as<ErcMark>(item, ERC_ITEM); }
const ErcMark* as_ErcMark(const SchItem* item) { return checked_as<ErcMark>(item, ERC_ITEM); }

ErcMark* new_ErcMark() {
    ErcMark* mark = make<ErcMark>(ERC_ITEM);
    if (mark) std::copy(erc_mark_outline, erc_mark_outline + ERC_OUTLINE_POINTS, mark->outline);
    return mark;
}

void free_ErcMark(ErcMark* mark, bool keep_storage) {
    if (mark && mark->type == ERC_ITEM) release(mark, keep_storage);
}

int read_ErcMark(ErcMark* mark, FILE* stream) {
    int result = read_item_tag(stream, item_tag(ERC_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    result = read_byte(&mark->flags, stream);
    result |= read_point(&mark->pos, stream);
    result |= read_short(&width, stream);
    result |= read_byte(&mark->extra, stream);
    if (result != 0) return -1;
    mark->type = ERC_ITEM;
    mark->width = read_width_rule(width);
    mark->state = STATE_NEW;
    mark->id = 0;
    mark->number = 0;
    // Tagged fields in any order and number, the last of each winning; the
    // end of the stream simply ends them.
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) return 0;
        if (c == OBJECT_ID_TAG) {
            uint32_t id = 0;
            if (read_long(&id, stream) != 0) return -1;
            mark->id = id;
            note_read_id(id);
        } else if (c == ERC_NUMBER_TAG) {
            if (read_long(&mark->number, stream) != 0) return -1;
        } else {
            ungetc(c, stream);
            return 0;
        }
    }
}

void write_ErcMark(ErcMark* mark, FILE* stream, uint32_t mask) {
    if (!mask_matches(mark->state, mask)) return;
    write_byte(item_tag(ERC_ITEM), stream);
    write_byte(mark->flags, stream);
    write_point(mark->pos, stream);
    write_short(mark->width, stream);
    write_byte(mark->extra, stream);
    write_item_id(mark, stream);
    write_byte(ERC_NUMBER_TAG, stream);
    write_long(mark->number, stream);
}

void awrite_ErcMark(ErcMark* mark, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(ERCERR %d ", mark->number);
    write_POS(mark->pos, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

void matrix_ErcMark(ErcMark* mark, const Matrix* matrix) {
    matrix_apply(matrix, mark->pos, &mark->pos);
}

bool bounds_ErcMark(Schema*, ErcMark* mark, Rect* rect, bool accumulate) {
    int64_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (const Point& p : mark->outline) {
        xmin = std::min<int64_t>(xmin, p.x);
        xmax = std::max<int64_t>(xmax, p.x);
        ymin = std::min<int64_t>(ymin, p.y);
        ymax = std::max<int64_t>(ymax, p.y);
    }
    int64_t hw = half_width(mark);
    return put_bounds(rect,
                      make_rect(mark->pos.x + xmin - hw, mark->pos.y + ymin - hw,
                                xmax - xmin + mark->width, ymax - ymin + mark->width),
                      accumulate);
}

void flag_ErcMark(ErcMark* mark) { flagop_apply(&mark->state); }

double distance_ErcMark(Schema*, ErcMark* mark, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit) {
    if (!mask_matches(mark->state, mask)) return FAR_AWAY;
    return mark_hit(mark, point_distance(p, mark->pos), tolerance, hit_bit);
}

bool select_ErcMark(Schema*, View* view, ErcMark* mark, uint32_t bit, int operation,
                    uint32_t mask) {
    if (!may_pick(view, mark, mask) || !view_point_in_select(view, mark->pos)) return false;
    mark_picked(mark, bit | STATE_BOTH_ENDS, operation);
    return true;
}

ErcMark* copy_ErcMark(const ErcMark* mark) { return duplicate(mark); }

void awrite_ErcList(const List* marks, FILE* stream, int level) {
    if (!marks || marks->count == 0) return;
    write_indent(stream, level);
    std::fputs("(ERCLIST ", stream);
    put_newline(stream);
    for (ErcMark* mark : list_items<ErcMark>(marks)) awrite_ErcMark(mark, stream, level + 1);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}
