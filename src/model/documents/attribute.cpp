// Attributes: the text fields of placed parts and library entries, their
// file forms, and the names of the user fields.
#include "model/documents/attribute.h"

#include <cmath>
#include <new>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/placed_part.h"
#include "model/items/ascii_writer.h"
#include "model/items/pin.h"
#include "model/items/text.h"

static_assert(alignof(Attribute) <= POOL_GRAIN);

Attribute* new_Attribute() { return new (std::nothrow) Attribute; }

void free_Attribute(Attribute* attribute, bool keep_storage) {
    if (!attribute) return;
    attribute->text.clear();
    drop_Attribute_layout(attribute);
    if (!keep_storage) delete attribute;
}

int free_Attribute_cb(void* attribute) {
    free_Attribute(static_cast<Attribute*>(attribute), false);
    return 0;
}

Attribute* copy_Attribute(const Attribute* attribute) {
    Attribute* copy = new_Attribute();
    if (!copy) no_memory();
    copy->flags = attribute->flags;
    copy->width = attribute->width;
    copy->text = attribute->text;
    copy->pos = attribute->pos;
    return copy;
}

void drop_Attribute_layout(Attribute* attribute) {
    free_Strokes(attribute->layout);
    attribute->layout = nullptr;
}

void matrix_Attribute(Attribute* attribute, const Matrix* matrix) {
    matrix_apply(matrix, attribute->pos, &attribute->pos);
    if (attribute->layout) matrix_Strokes(attribute->layout, matrix);
}

bool bounds_Attribute(const Attribute* attribute, Rect* rect, bool accumulate) {
    Rect r{attribute->pos.x, attribute->pos.y, 1, 1};
    if (accumulate) {
        rect_union(rect, r);
    } else {
        *rect = r;
    }
    if (attribute->layout) bounds_TextLines(attribute->layout, rect, true);
    return true;
}

void flag_Attribute(Attribute* attribute) { flagop_apply(&attribute->state); }

double distance_Attribute(Attribute* attribute, Point p, uint32_t mask, double tolerance,
                          uint32_t hit_bits) {
    if (!mask_matches(attribute->state, mask)) return FAR_AWAY;
    double d;
    if (attribute->layout) {
        d = distance_Strokes(attribute->layout, p);
        if (d == 0.0) d = -1.0;  // on the text: wins over anything merely near
    } else {
        d = std::hypot(static_cast<double>(p.x) - attribute->pos.x,
                       static_cast<double>(p.y) - attribute->pos.y);
    }
    if (d <= tolerance) attribute->state |= hit_bits;
    return d;
}

bool select_Attribute(View* view, Attribute* attribute, uint32_t bit, int operation,
                      uint32_t mask) {
    return select_at_point(view, &attribute->state, attribute->pos, bit, operation, mask);
}

void attribute_flags(Attribute* attribute, bool and_mode, uint8_t mask) {
    if (and_mode) {
        attribute->flags &= mask;
    } else {
        attribute->flags |= mask;
    }
}

int read_Attribute(Attribute* attribute, FILE* stream) {
    int result = read_item_tag(stream, ATTRIBUTE_TAG);
    if (result != 0) return result;
    if (read_point(&attribute->pos, stream) || read_byte(&attribute->flags, stream) ||
        read_sstr(&attribute->text, stream))
        return -1;
    attribute->type = ATTR_ITEM;
    attribute->state = 1;
    return 0;
}

void write_Attribute(const Attribute* attribute, FILE* stream) {
    write_byte(ATTRIBUTE_TAG, stream);
    write_point(attribute->pos, stream);
    write_byte(attribute->flags, stream);
    write_sstr(&attribute->text, stream);
}

void awrite_Attribute(const Attribute* attribute, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(ATTRIBUTE %s ", quote_string(attribute->text.get()).c_str());
    if (attribute->flags & VIS) std::fputs("VIS ", stream);
    if (attribute->flags & SET) std::fputs("SET ", stream);
    write_POS(attribute->pos, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

void free_Attribute_list(List* list) {
    if (list) dlist_free(list, LIST_FROM_HEAD, free_Attribute_cb);
}

void copy_Attribute_list(const List* list, List** copy) {
    *copy = nullptr;
    if (!list) return;
    if (!(*copy = list_new())) no_memory();
    for (Attribute* attribute : list_items<Attribute>(list))
        if (!dlist_append(*copy, copy_Attribute(attribute))) no_memory();
}

int read_Attribute_list(List** list, FILE* stream) {
    for (;;) {
        Attribute* attribute = new_Attribute();
        if (!attribute) no_memory();
        int result = read_Attribute(attribute, stream);
        if (result != 0) {
            free_Attribute(attribute);
            return result == NOT_MY_TAG ? 0 : result;
        }
        if ((!*list && !(*list = list_new())) || !dlist_append(*list, attribute)) no_memory();
    }
}

void write_Attribute_list(const List* list, FILE* stream) {
    for (Attribute* attribute : list_items<Attribute>(list)) write_Attribute(attribute, stream);
}

// --- on a placed part ---------------------------------------------------------

void pl_attr_flags(PlacedPart* part, bool and_mode, uint8_t mask) {
    attribute_flags(&part->reference, and_mode, mask);
    attribute_flags(&part->value, and_mode, mask);
    for (Attribute* attribute : list_items<Attribute>(part->attributes))
        attribute_flags(attribute, and_mode, mask);
}

Attribute* pl_get_attribute(PlacedPart* part, int index) {
    if (index == 0) return &part->reference;
    if (index == 1) return &part->value;
    if (index < 2 || !part->attributes) return nullptr;
    int i = 2;
    for (Attribute* attribute : list_items<Attribute>(part->attributes))
        if (i++ == index) return attribute;
    return nullptr;
}

Attribute* pl_need_attribute(PlacedPart* part, int index) {
    if (index < 2) return pl_get_attribute(part, index);
    if (!part->attributes && !(part->attributes = list_new())) no_memory();
    while (static_cast<int>(part->attributes->count) < index - 1) {
        Attribute* attribute = new_Attribute();
        if (!attribute || !dlist_append(part->attributes, attribute)) no_memory();
    }
    return pl_get_attribute(part, index);
}

// --- user field names ----------------------------------------------------------------

const char* get_field_name(int index) {
    const char* name = strproper_get(FIELD_NAME, index);
    return name ? name : "";
}

void set_field_name(int index, const char* name) { proper_set(FIELD_NAME, index, name, 0); }

int make_field_names(std::vector<std::string>* names, bool with_ref_value) {
    names->clear();
    int count = proper_get(NB_FIELD_NAME);
    int first = with_ref_value ? 0 : 2;
    bool generated = count < 1;
    if (generated) {
        count += 1;
        first = 0;
    }
    for (int k = 0; first + k < count; ++k) {
        const char* configured = generated ? "" : get_field_name(first + k);
        names->push_back(configured[0] ? std::string(configured)
                                       : "Attr. #" + std::to_string(k + 1));
    }
    return static_cast<int>(names->size());
}

void free_field_names(std::vector<std::string>* names) { names->clear(); }
