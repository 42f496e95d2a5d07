// Net-property labels: the flag whose layout values the net it touches
// takes over.
#include "model/documents/netprop.h"

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

// The flag's lines, relative to the position: (a, b) to (c, d). An arrow tip
// at the position, a pole, and two nested rectangles around the text.
constexpr int32_t SYMBOL_LINES[11][4] = {
    {0, 0, 400, -200},          {0, 0, 200, -400},          {0, 0, 1000, -1000},
    {1000, -1000, 3000, -1000}, {3000, -1000, 3000, -2000}, {3000, -2000, 1000, -2000},
    {1000, -2000, 1000, -1000}, {1100, -1100, 2900, -1100}, {2900, -1100, 2900, -1900},
    {2900, -1900, 1100, -1900}, {1100, -1900, 1100, -1100},
};

// A point moved by (dx, dy), wrapped as the 32-bit coordinates would be.
Point shifted(Point p, int32_t dx, int32_t dy) {
    return {static_cast<int32_t>(int64_t{p.x} + dx), static_cast<int32_t>(int64_t{p.y} + dy)};
}

void add_to_symbol(Vectors* set, SchItem* item) {
    if (!item || !dlist_append(set->items, item)) no_memory();
}

}  // namespace

NetProp* as_NetProp(SchItem* item) { return checked_as<NetProp>(item, NETPROP_ITEM); }
const NetProp* as_NetProp(const SchItem* item) { return checked_as<NetProp>(item, NETPROP_ITEM); }

NetProp* new_NetProp() { return make<NetProp>(NETPROP_ITEM); }

void free_NetProp(NetProp* label, bool keep_storage) {
    if (!label || label->type != NETPROP_ITEM) return;
    label->name.clear();
    free_Vectors(label->symbol);
    label->symbol = nullptr;
    release(label, keep_storage);
}

int read_NetProp(NetProp* label, FILE* stream) {
    int result = read_item_tag(stream, NETPROP_TAG);
    if (result != 0) return result;
    uint32_t id = 0;
    result = read_byte(&label->flags, stream);
    result |= read_point(&label->pos, stream);
    result |= read_long(&id, stream);
    result |= read_sstr(&label->name, stream);
    result |= read_long(&label->track_width, stream);
    result |= read_long(&label->isolation, stream);
    result |= read_long(&label->via_size, stream);
    result |= read_long(&label->via_drill, stream);
    result |= read_byte(&label->start_layer, stream);
    result |= read_byte(&label->end_layer, stream);
    result |= read_byte(&label->net_type, stream);
    if (result != 0) return -1;
    label->type = NETPROP_ITEM;
    label->state = STATE_NEW;
    label->id = id;
    if (id != 0) note_read_id(id);
    return 0;
}

void write_NetProp(NetProp* label, FILE* stream, uint32_t mask) {
    if (!mask_matches(label->state, mask)) return;
    write_byte(NETPROP_TAG, stream);
    write_byte(label->flags, stream);
    write_point(label->pos, stream);
    write_long(static_cast<int32_t>(item_write_id(label)), stream);
    write_sstr(&label->name, stream);
    write_long(label->track_width, stream);
    write_long(label->isolation, stream);
    write_long(label->via_size, stream);
    write_long(label->via_drill, stream);
    write_byte(label->start_layer, stream);
    write_byte(label->end_layer, stream);
    write_byte(label->net_type, stream);
}

void awrite_NetProp(NetProp* label, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(NETPROP ", stream);
    write_POS(label->pos, stream, -1);
    std::fprintf(stream, "%s ", quote_string(label->name.get()).c_str());
    std::fprintf(stream, "%d %d %d %d %d %d %d ", label->track_width, label->isolation,
                 label->via_size, label->via_drill, label->start_layer, label->end_layer,
                 label->net_type);
    std::fputs(")", stream);
    put_newline(stream);
}

void matrix_NetProp(NetProp* label, const Matrix* matrix) {
    matrix_apply(matrix, label->pos, &label->pos);
    // The symbol stood at the old position; it is built again when needed.
    free_Vectors(label->symbol);
    label->symbol = nullptr;
}

bool bounds_NetProp(Schema* doc, NetProp* label, Rect* rect, bool accumulate) {
    if (!label->symbol) netprop_build_symbol(doc, label);
    return bounds_Vectors(doc, label->symbol, rect, accumulate);
}

void flag_NetProp(NetProp* label) { flagop_apply(&label->state); }

double distance_NetProp(Schema* doc, NetProp* label, Point p, uint32_t mask, double tolerance,
                        uint32_t hit_bit) {
    if (!mask_matches(label->state, mask)) return FAR_AWAY;
    Rect bounds;
    if (!bounds_NetProp(doc, label, &bounds, false)) return FAR_AWAY;
    double d = 0;
    if (rect_edge_distance(p, &d, bounds, tolerance) != RECT_EDGE_FAR) d = 0;
    return mark_hit(label, d, tolerance, hit_bit);
}

bool select_NetProp(Schema*, View* view, NetProp* label, uint32_t bit, int operation,
                    uint32_t mask) {
    if (!may_pick(view, label, mask) || !view_point_in_select(view, label->pos)) return false;
    mark_picked(label, bit | STATE_BOTH_ENDS, operation);
    return true;
}

NetProp* copy_NetProp(const NetProp* label) {
    NetProp* copy = duplicate(label);  // the name slot copies deeply
    if (copy) copy->symbol = nullptr;
    return copy;
}

bool netprop_equal(const NetProp* a, const NetProp* b) {
    return a->track_width == b->track_width && a->isolation == b->isolation &&
           a->via_size == b->via_size && a->via_drill == b->via_drill &&
           a->start_layer == b->start_layer && a->end_layer == b->end_layer &&
           a->net_type == b->net_type;
}

void netprop_build_symbol(Schema*, NetProp* label) {
    free_Vectors(label->symbol);
    label->symbol = new_Vectors();
    Vectors* set = label->symbol;
    if (!set) no_memory();
    if (!set->items && !(set->items = list_new())) no_memory();

    Text* text = new_Text();
    if (!text) no_memory();
    text->string = "NP";
    text->pos = shifted(label->pos, 1750, -1200);
    text->size = {300, 400};
    layout_Text(text);
    add_to_symbol(set, text);

    for (const auto& l : SYMBOL_LINES) {
        Line* line = new_Line();
        if (!line) no_memory();
        line->pos = shifted(label->pos, l[0], l[1]);
        line->end = shifted(label->pos, l[2], l[3]);
        add_to_symbol(set, line);
    }
}
