// The Item dispatchers: one routine per action, switching on the code of a
// graphic primitive (2..9) to the per-code routine; and item lists.
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

Item* new_Item(int code) {
    switch (code) {
        case FILL_ITEM: return new_Fill();
        case CIRCLE_ITEM: return new_Circle();
        case BOITE_ITEM: return new_Rect();
        case LINE_ITEM: return new_Line();
        case ARC_ITEM: return new_Arc();
        case TEXT_ITEM: return new_Text();
        case JUNCTION_ITEM: return new_Junction();
        case POLY_ITEM: return new_Poly();
        default: warning("new_Item: bad code %d\n", code); return nullptr;
    }
}

void free_Item(Item* item, bool keep_storage) {
    if (!item) return;
    switch (item->type) {
        case FILL_ITEM: free_Fill(as_Fill(item), keep_storage); break;
        case CIRCLE_ITEM: free_Circle(as_Circle(item), keep_storage); break;
        case BOITE_ITEM: free_Rect(as_Rect(item), keep_storage); break;
        case LINE_ITEM: free_Line(as_Line(item), keep_storage); break;
        case ARC_ITEM: free_Arc(as_Arc(item), keep_storage); break;
        case TEXT_ITEM: free_Text(as_Text(item), keep_storage); break;
        case JUNCTION_ITEM: free_Junction(as_Junction(item), keep_storage); break;
        case POLY_ITEM: free_Poly(as_Poly(item), keep_storage); break;
        default: warning("free_Item: bad code %d\n", item->type); break;
    }
}

int free_Item_cb(void* item) {
    free_Item(static_cast<Item*>(item), false);
    return 0;
}

int read_Item(Item* item, FILE* stream) {
    switch (item->type) {
        case FILL_ITEM: return read_Fill(as_Fill(item), stream);
        case CIRCLE_ITEM: return read_Circle(as_Circle(item), stream);
        case BOITE_ITEM: return read_Rect(as_Rect(item), stream);
        case LINE_ITEM: return read_Line(as_Line(item), stream);
        case ARC_ITEM: return read_Arc(as_Arc(item), stream);
        case TEXT_ITEM: return read_Text(as_Text(item), stream);
        case JUNCTION_ITEM: return read_Junction(as_Junction(item), stream);
        case POLY_ITEM: return read_Poly(as_Poly(item), stream);
        default: {
            // No primitive to read into: the next record is left for others.
            int c = getc_unlocked(stream);
            if (c == EOF) return -1;
            ungetc(c, stream);
            return NOT_MY_TAG;
        }
    }
}

void write_Item(Item* item, FILE* stream, uint32_t mask) {
    switch (item->type) {
        case FILL_ITEM: write_Fill(as_Fill(item), stream, mask); break;
        case CIRCLE_ITEM: write_Circle(as_Circle(item), stream, mask); break;
        case BOITE_ITEM: write_Rect(as_Rect(item), stream, mask); break;
        case LINE_ITEM: write_Line(as_Line(item), stream, mask); break;
        case ARC_ITEM: write_Arc(as_Arc(item), stream, mask); break;
        case TEXT_ITEM: write_Text(as_Text(item), stream, mask); break;
        case JUNCTION_ITEM: write_Junction(as_Junction(item), stream, mask); break;
        case POLY_ITEM: write_Poly(as_Poly(item), stream, mask); break;
        default: break;
    }
}

void awrite_Item(Item* item, FILE* stream, int level) {
    switch (item->type) {
        case FILL_ITEM: awrite_Fill(as_Fill(item), stream, level); break;
        case CIRCLE_ITEM: awrite_Circle(as_Circle(item), stream, level); break;
        case BOITE_ITEM: awrite_Rect(as_Rect(item), stream, level); break;
        case LINE_ITEM: awrite_Line(as_Line(item), stream, level); break;
        case ARC_ITEM: awrite_Arc(as_Arc(item), stream, level); break;
        case TEXT_ITEM: awrite_Text(as_Text(item), stream, level); break;
        case JUNCTION_ITEM: awrite_Junction(as_Junction(item), stream, level); break;
        case POLY_ITEM: awrite_Poly(as_Poly(item), stream, level); break;
        default: break;
    }
}

void matrix_Item(Item* item, const Matrix* matrix) {
    switch (item->type) {
        case FILL_ITEM: matrix_Fill(as_Fill(item), matrix); break;
        case CIRCLE_ITEM: matrix_Circle(as_Circle(item), matrix); break;
        case BOITE_ITEM: matrix_Rect(as_Rect(item), matrix); break;
        case LINE_ITEM: matrix_Line(as_Line(item), matrix); break;
        case ARC_ITEM: matrix_Arc(as_Arc(item), matrix); break;
        case TEXT_ITEM: matrix_Text(as_Text(item), matrix); break;
        case JUNCTION_ITEM: matrix_Junction(as_Junction(item), matrix); break;
        case POLY_ITEM: matrix_Poly(as_Poly(item), matrix); break;
        default: warning("matrix_Item: bad code %d\n", item->type); break;
    }
}

bool bounds_Item(Schema* doc, Item* item, Rect* rect, bool accumulate) {
    switch (item->type) {
        case FILL_ITEM: return bounds_Fill(doc, as_Fill(item), rect, accumulate);
        case CIRCLE_ITEM: return bounds_Circle(doc, as_Circle(item), rect, accumulate);
        case BOITE_ITEM: return bounds_Rect(doc, as_Rect(item), rect, accumulate, true);
        case LINE_ITEM: return bounds_Line(doc, as_Line(item), rect, accumulate);
        case ARC_ITEM: return bounds_Arc(doc, as_Arc(item), rect, accumulate);
        case TEXT_ITEM: return bounds_Text(doc, as_Text(item), rect, accumulate);
        case JUNCTION_ITEM: return bounds_Junction(doc, as_Junction(item), rect, accumulate);
        case POLY_ITEM: return bounds_Poly(doc, as_Poly(item), rect, accumulate);
        default: return false;
    }
}

void flag_Item(Item* item) {
    switch (item->type) {
        case FILL_ITEM: flag_Fill(as_Fill(item)); break;
        case CIRCLE_ITEM: flag_Circle(as_Circle(item)); break;
        case BOITE_ITEM: flag_Rect(as_Rect(item)); break;
        case LINE_ITEM: flag_Line(as_Line(item)); break;
        case ARC_ITEM: flag_Arc(as_Arc(item)); break;
        case TEXT_ITEM: flag_Text(as_Text(item)); break;
        case JUNCTION_ITEM: flag_Junction(as_Junction(item)); break;
        case POLY_ITEM: flag_Poly(as_Poly(item)); break;
        default: break;
    }
}

bool mask_Item(uint32_t mask, const Item* item) {
    return is_primitive_code(item->type) && mask_matches(item->state, mask);
}

double distance_Item(Schema* doc, Item* item, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    switch (item->type) {
        case FILL_ITEM: return distance_Fill(doc, as_Fill(item), p, mask, tolerance, hit_bit);
        case CIRCLE_ITEM:
            return distance_Circle(doc, as_Circle(item), p, mask, tolerance, hit_bit);
        case BOITE_ITEM: return distance_Rect(doc, as_Rect(item), p, mask, tolerance, hit_bit);
        case LINE_ITEM: return distance_Line(doc, as_Line(item), p, mask, tolerance, hit_bit);
        case ARC_ITEM: return distance_Arc(doc, as_Arc(item), p, mask, tolerance, hit_bit);
        case TEXT_ITEM: return distance_Text(doc, as_Text(item), p, mask, tolerance, hit_bit);
        case JUNCTION_ITEM:
            return distance_Junction(doc, as_Junction(item), p, mask, tolerance, hit_bit);
        case POLY_ITEM: return distance_Poly(doc, as_Poly(item), p, mask, tolerance, hit_bit);
        default: return FAR_AWAY;
    }
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
    switch (item->type) {
        case FILL_ITEM: return select_Fill(doc, view, as_Fill(item), bit, operation, mask);
        case CIRCLE_ITEM: return select_Circle(doc, view, as_Circle(item), bit, operation, mask);
        case BOITE_ITEM: return select_Rect(doc, view, as_Rect(item), bit, operation, mask);
        case LINE_ITEM: return select_Line(doc, view, as_Line(item), bit, operation, mask);
        case ARC_ITEM: return select_Arc(doc, view, as_Arc(item), bit, operation, mask);
        case TEXT_ITEM: return select_Text(doc, view, as_Text(item), bit, operation, mask);
        case JUNCTION_ITEM:
            return select_Junction(doc, view, as_Junction(item), bit, operation, mask);
        case POLY_ITEM: return select_Poly(doc, view, as_Poly(item), bit, operation, mask);
        default: return false;
    }
}

bool compare_Item(const Item* a, const Item* b) {
    if (a->type != b->type) return false;
    switch (a->type) {
        case FILL_ITEM: return compare_Fill(as_Fill(a), as_Fill(b));
        case CIRCLE_ITEM: return compare_Circle(as_Circle(a), as_Circle(b));
        case BOITE_ITEM: return compare_Rect(as_Rect(a), as_Rect(b));
        case LINE_ITEM: return compare_Line(as_Line(a), as_Line(b));
        case ARC_ITEM: return compare_Arc(as_Arc(a), as_Arc(b));
        case TEXT_ITEM: return compare_Text(as_Text(a), as_Text(b));
        case JUNCTION_ITEM: return compare_Junction(as_Junction(a), as_Junction(b));
        case POLY_ITEM: return compare_Poly(as_Poly(a), as_Poly(b));
        default: return false;
    }
}

Item* copy_Item(const Item* item) {
    switch (item->type) {
        case FILL_ITEM: return copy_Fill(as_Fill(item));
        case CIRCLE_ITEM: return copy_Circle(as_Circle(item));
        case BOITE_ITEM: return copy_Rect(as_Rect(item));
        case LINE_ITEM: return copy_Line(as_Line(item));
        case ARC_ITEM: return copy_Arc(as_Arc(item));
        case TEXT_ITEM: return copy_Text(as_Text(item));
        case JUNCTION_ITEM: return copy_Junction(as_Junction(item));
        case POLY_ITEM: return copy_Poly(as_Poly(item));
        default: return nullptr;
    }
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
