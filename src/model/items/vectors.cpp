// Vector sets: records, file forms and the operations over their items.
#include "model/items/vectors.h"

#include <cstring>
#include <new>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/item.h"

namespace {

// The mode and name a set is written with now: a set written in full
// earlier in this file refers to that write, unless this write is the very
// same body (which would refer to itself).
uint8_t write_mode_of(const Vectors* set, int mode, const char* part_name, const char** name) {
    *name = set->name.get();
    if (set->saved_mode != DEFINE_VEC) return set->saved_mode;
    if (set->shared_mode == DEFINE_VEC) return DEFINE_VEC;
    if (set->shared_mode == mode &&
        std::strcmp(set->shared_name.get(), part_name ? part_name : "") == 0)
        return DEFINE_VEC;
    *name = set->shared_name.get();
    return set->shared_mode;
}

// After a set was written in full: later writes refer to this one.
void remember_write(Vectors* set, uint8_t written, int mode, const char* part_name) {
    if (written != DEFINE_VEC || set->shared_mode != DEFINE_VEC) return;
    if (mode != NORMALOF_VEC && mode != CONVERTOF_VEC) return;
    set->shared_mode = static_cast<uint8_t>(mode);
    set->shared_name.set(part_name);
}

}  // namespace

Vectors* new_Vectors() {
    Vectors* set = new (std::nothrow) Vectors;
    if (!set) return nullptr;
    set->items = list_new();
    if (!set->items) {
        delete set;
        return nullptr;
    }
    return set;
}

void free_Vectors(Vectors* set, bool keep_storage) {
    if (!set) return;
    if (set->refs != 0) {
        warning("free_Vectors: ref count!=0");
        return;
    }
    if (set->items) {
        dlist_free(set->items, LIST_FROM_HEAD, free_Item_cb);
        set->items = nullptr;
    }
    set->name.clear();
    set->shared_name.clear();
    if (!keep_storage) delete set;
}

void ref_Vectors(Vectors* set) { ++set->refs; }

void unref_Vectors(Vectors* set) {
    if (--set->refs == 0) free_Vectors(set, false);
}

int read_Vectors(Vectors* set, FILE* stream) {
    int result = read_item_tag(stream, VECTORS_TAG);
    if (result != 0) return result;
    set->state = 1;
    int kind = getc_unlocked(stream);
    switch (kind) {
        case EOF: return -1;
        case VECTORS_DEFINE_TAG:
            set->saved_mode = DEFINE_VEC;
            set->name.clear();
            if (!set->items && !(set->items = list_new())) no_memory();
            return read_ItemList(set->items, stream);
        case VECTORS_NORMALOF_TAG:
        case VECTORS_CONVERTOF_TAG:
            if (read_sstr(&set->name, stream) != 0) return -1;
            set->saved_mode = kind == VECTORS_NORMALOF_TAG ? NORMALOF_VEC : CONVERTOF_VEC;
            return 0;
        default:
            warning("read_Vectors: unknown type %d at byte %ld", kind, std::ftell(stream));
            return -1;
    }
}

void write_Vectors(Vectors* set, FILE* stream, int mode, const char* part_name) {
    const char* name = nullptr;
    uint8_t written = write_mode_of(set, mode, part_name, &name);
    write_byte(VECTORS_TAG, stream);
    switch (written) {
        case DEFINE_VEC:
            write_byte(VECTORS_DEFINE_TAG, stream);
            for (Item* item : list_items<Item>(set->items)) write_Item(item, stream, 0);
            write_byte(LIST_END, stream);
            break;
        case NORMALOF_VEC:
            write_byte(VECTORS_NORMALOF_TAG, stream);
            write_string(name, stream);
            break;
        case CONVERTOF_VEC:
            write_byte(VECTORS_CONVERTOF_TAG, stream);
            write_string(name, stream);
            break;
        default: warning("write_Vectors: Unknown type %d", written); break;
    }
    remember_write(set, written, mode, part_name);
}

void awrite_Vectors(Vectors* set, FILE* stream, int level, int mode, const char* part_name) {
    const char* name = nullptr;
    uint8_t written = write_mode_of(set, mode, part_name, &name);
    switch (written) {
        case DEFINE_VEC:
            write_indent(stream, level);
            std::fputs("(VECTOR ", stream);
            put_newline(stream);
            for (Item* item : list_items<Item>(set->items)) awrite_Item(item, stream, level + 1);
            write_indent(stream, level);
            std::fputs(")", stream);
            put_newline(stream);
            break;
        case NORMALOF_VEC:
        case CONVERTOF_VEC:
            write_indent(stream, level);
            std::fprintf(stream, "(%s %s )",
                         written == NORMALOF_VEC ? "NORMALVECTOROF" : "CONVERTVECTOROF",
                         quote_string(name).c_str());
            put_newline(stream);
            break;
        default: warning("awrite_Vectors: Unknown type %d", written); break;
    }
    remember_write(set, written, mode, part_name);
}

void restore_Vectors(Vectors* set) {
    if (!set) return;
    set->shared_mode = DEFINE_VEC;
    set->shared_name.clear();
}

Vectors* dup_Vectors(const Vectors* set) {
    if (!set) return nullptr;
    Vectors* copy = new_Vectors();
    if (!copy) return nullptr;
    copy_ItemList(copy->items, set->items);
    // A reference not yet resolved stays the same reference.
    copy->saved_mode = set->saved_mode;
    copy->name = set->name;
    return copy;
}

void matrix_Vectors(Vectors* set, const Matrix* matrix) {
    if (!set) return;
    for (Item* item : list_items<Item>(set->items)) matrix_Item(item, matrix);
}

bool bounds_Vectors(Schema* doc, Vectors* set, Rect* rect, bool accumulate) {
    if (!set) return accumulate;
    return bounds_ItemList(doc, set->items, rect, accumulate);
}

void flag_Vectors(Vectors* set) {
    if (!set) return;
    flagop_apply(&set->state);
    for (Item* item : list_items<Item>(set->items)) flag_Item(item);
}

bool select_Vectors(Schema* doc, View* view, Vectors* set, uint32_t bit, int operation,
                    uint32_t mask) {
    if (!set || !set->items) return false;
    bool all = true;
    for (Item* item : list_items<Item>(set->items)) {
        if (select_Item(doc, view, item, bit, operation, mask)) {
            FlagOpScope scope(bit | STATE_BOTH_ENDS, operation);
            flag_Item(item);
        } else {
            all = false;
        }
    }
    return all;
}
