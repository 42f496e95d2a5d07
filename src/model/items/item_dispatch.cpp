// The Item dispatchers: one routine per action on a graphic primitive
// (2..9), each one look-up in the operations table; and item lists.
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/item_ops.h"

// Every dispatcher here serves the primitives alone: a record of another
// code is left alone (warned about where the caller cannot have meant it).
namespace {
const ItemOps& primitive_ops(const Item* item) {
    return item_ops(is_primitive_code(item->type) ? item->type : 0);
}
}  // namespace

Item* new_Item(int code) {
    if (is_primitive_code(code)) return item_ops(code).make();
    warning("new_Item: bad code %d\n", code);
    return nullptr;
}

void free_Item(Item* item, bool keep_storage) {
    if (!item) return;
    if (is_primitive_code(item->type))
        item_ops(item->type).release({}, item, keep_storage);
    else
        warning("free_Item: bad code %d\n", item->type);
}

int free_Item_cb(void* item) {
    free_Item(static_cast<Item*>(item), false);
    return 0;
}

int read_Item(Item* item, FILE* stream) {
    if (is_primitive_code(item->type)) return item_ops(item->type).read({}, item, stream);
    // No primitive to read into: the next record is left for others.
    int c = getc_unlocked(stream);
    if (c == EOF) return -1;
    ungetc(c, stream);
    return NOT_MY_TAG;
}

void write_Item(Item* item, FILE* stream, uint32_t mask) {
    if (auto write = primitive_ops(item).write) write({}, item, stream, mask);
}

void awrite_Item(Item* item, FILE* stream, int level) {
    if (auto awrite = primitive_ops(item).awrite) awrite({}, item, stream, level);
}

void matrix_Item(Item* item, const Matrix* matrix) {
    if (is_primitive_code(item->type))
        item_ops(item->type).matrix({}, item, matrix);
    else
        warning("matrix_Item: bad code %d\n", item->type);
}

bool bounds_Item(Schema* doc, Item* item, Rect* rect, bool accumulate) {
    auto bounds = primitive_ops(item).bounds;
    return bounds && bounds({doc}, item, rect, accumulate);
}

void flag_Item(Item* item) {
    if (auto flag = primitive_ops(item).flag) flag({}, item);
}

bool mask_Item(uint32_t mask, const Item* item) {
    return is_primitive_code(item->type) && mask_matches(item->state, mask);
}

double distance_Item(Schema* doc, Item* item, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    auto distance = primitive_ops(item).distance;
    return distance ? distance({doc}, item, p, mask, tolerance, hit_bit) : FAR_AWAY;
}

double nearest_Item(Schema* doc, List* items, Point p, Item** nearest, uint32_t mask,
                    double tolerance, uint32_t hit_bit) {
    double best = FAR_AWAY;
    for (Item* item : list_items<Item>(items)) {
        double d = distance_Item(doc, item, p, mask, tolerance, hit_bit);
        if (d < best) {  // strictly: the first of equally near records wins
            best = d;
            *nearest = item;
        }
    }
    return best;
}

bool select_Item(Schema* doc, View* view, Item* item, uint32_t bit, int operation, uint32_t mask) {
    auto select = primitive_ops(item).select;
    return select && select({doc, view}, item, bit, operation, mask);
}

bool compare_Item(const Item* a, const Item* b) {
    if (a->type != b->type) return false;
    auto compare = primitive_ops(a).compare;
    return compare && compare(a, b);
}

Item* copy_Item(const Item* item) {
    auto copy = primitive_ops(item).copy;
    return copy ? copy({}, item) : nullptr;
}

bool compare_ItemList(const List* a, const List* b) {
    if (!a || !b) return a == b;
    if (a->count != b->count) return false;
    const ListNode* na = a->head;
    const ListNode* nb = b->head;
    for (; na && nb; na = na->next, nb = nb->next) {
        if (!compare_Item(static_cast<const Item*>(na->data), static_cast<const Item*>(nb->data)))
            return false;
    }
    return na == nullptr && nb == nullptr;
}

void copy_ItemList(List* destination, const List* source) {
    for (Item* item : list_items<Item>(source)) {
        Item* copy = copy_Item(item);
        if (!copy || !dlist_append(destination, copy)) no_memory();
    }
}

bool bounds_ItemList(Schema* doc, const List* items, Rect* rect, bool accumulate) {
    Rect all;
    bool any = false;
    for (Item* item : list_items<Item>(items)) {
        Rect r;
        if (!bounds_Item(doc, item, &r, false)) continue;
        if (any) {
            rect_union(&all, r);
        } else {
            all = r;
            any = true;
        }
    }
    if (!any) return accumulate;
    if (accumulate) {
        rect_union(rect, all);
    } else {
        *rect = all;
    }
    return true;
}

int read_ItemList(List* items, FILE* stream) {
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) return -1;
        if (c == LIST_END) return 0;
        if (c < item_tag(FILL_ITEM) || c > item_tag(TEXT_ITEM)) return READ_ERROR;
        ungetc(c, stream);
        Item* item = new_Item(c - ITEM_TAG_BASE);
        if (!item) return NO_MEMORY;
        int result = read_Item(item, stream);
        if (result != 0) {
            free_Item(item);
            return result == NOT_MY_TAG ? READ_ERROR : result;
        }
        if (!dlist_append(items, item)) {
            free_Item(item);
            return NO_MEMORY;
        }
    }
}
