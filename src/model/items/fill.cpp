// The fill record: a seed point and the list of boundary items (codes
// 2..7, fills included) that enclose the filled area.
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

constexpr uint8_t ITEMS_TAG = 'q';

// How deep the fill being read stands inside other fills; a file may not
// nest them without bound.
int fill_depth = 0;

class DepthScope {
public:
    DepthScope() { ++fill_depth; }
    ~DepthScope() { --fill_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};

}  // namespace

Fill* new_Fill() {
    Fill* fill = make<Fill>(FILL_ITEM);
    if (fill) fill->items = list_new();
    return fill;
}

void free_Fill(Fill* fill, bool keep_storage) {
    if (fill->items) {
        dlist_free(fill->items, LIST_FROM_HEAD, free_Item_cb);
        fill->items = nullptr;
    }
    release(fill, keep_storage);
}

int read_Fill(Fill* fill, FILE* stream) {
    int result = read_item_tag(stream, item_tag(FILL_ITEM));
    if (result != 0) return result;
    if (fill_depth >= MAX_FILL_DEPTH) return READ_ERROR;
    DepthScope depth;
    int16_t width = 0;
    result = read_byte(&fill->flags, stream);
    result |= read_point(&fill->pos, stream);
    result |= read_short(&width, stream);
    result = finish_read(fill, result, width, stream);
    if (result != 0) return result;
    int c = getc_unlocked(stream);
    if (c != ITEMS_TAG) {
        if (c != EOF) ungetc(c, stream);
        return 0;  // a fill without a boundary list
    }
    if (!fill->items && !(fill->items = list_new())) return NO_MEMORY;
    return read_ItemList(fill->items, stream);
}

void write_Fill(Fill* fill, FILE* stream, uint32_t mask) {
    if (!mask_matches(fill->state, mask)) return;
    write_byte(item_tag(FILL_ITEM), stream);
    write_byte(fill->flags, stream);
    write_point(fill->pos, stream);
    write_short(fill->width, stream);
    write_item_id(fill, stream);
    write_byte(ITEMS_TAG, stream);
    for (Item* item : list_items<Item>(fill->items)) write_Item(item, stream, mask);
    write_byte(LIST_END, stream);
}

void awrite_Fill(Fill* fill, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(FILL ", stream);
    write_POS(fill->pos, stream, -1);
    put_newline(stream);
    for (Item* item : list_items<Item>(fill->items)) awrite_Item(item, stream, level + 1);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

void matrix_Fill(Fill* fill, const Matrix* matrix) {
    matrix_apply(matrix, fill->pos, &fill->pos);
    for (Item* item : list_items<Item>(fill->items)) matrix_Item(item, matrix);
}

bool bounds_Fill(Schema* doc, Fill* fill, Rect* rect, bool accumulate) {
    return bounds_ItemList(doc, fill->items, rect, accumulate);
}

void flag_Fill(Fill* fill) { flagop_apply(&fill->state); }

double distance_Fill(Schema* doc, Fill* fill, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(fill->state, mask)) return FAR_AWAY;
    double d;
    if (fill->items) {
        // The fill passed the filter; its boundary items carry no marks of
        // their own (flag passes stop at the fill), so none is filtered.
        Item* nearest = nullptr;
        d = nearest_Item(doc, fill->items, p, &nearest, 0, tolerance, hit_bit);
    } else {
        d = point_distance(p, fill->pos);
    }
    return mark_hit(fill, d, tolerance, hit_bit);
}

bool select_Fill(Schema*, View* view, Fill* fill, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, fill, mask) || !view_point_in_select(view, fill->pos)) return false;
    mark_picked(fill, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Fill* copy_Fill(const Fill* fill) {
    Fill* copy = new_Fill();
    if (!copy || !copy->items) no_memory();
    static_cast<SchItem&>(*copy) = *fill;  // the head; the copy keeps its own list
    copy->prev = copy->next = nullptr;
    copy->id = 0;
    copy_ItemList(copy->items, fill->items);
    return copy;
}

bool compare_Fill(const Fill* a, const Fill* b) { return compare_ItemList(a->items, b->items); }
