// Power symbols, no-connect marks and ports: records, file forms, geometry,
// and the symbol drawings generated from them.
#include "model/documents/power_port.h"

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "foundation/text_forms.h"
#include "model/documents/record_kit.h"
#include "model/documents/schema.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

constexpr uint8_t PORT_EXTRA_TAG = 'p';
constexpr int32_t PORT_STUB = 1000;    // length of a module port's stub
constexpr int32_t PORT_MARGIN = 1000;  // outline length beyond the name

const char* const power_rotation_words[4] = {"NO_ROT ", "ROT_90 ", "ROT_180 ", "ROT_270 "};

const char* power_shape_word(uint8_t flags) {
    switch (flags & POWER_SHAPE_MASK) {
        case POWER_GND1: return "GND1 ";
        case POWER_ARROW: return "ARROW ";
        case POWER_GND2: return "GND2 ";
        case POWER_BAR: return "BAR ";
        case POWER_EARTH: return "EARTH ";
        case POWER_WAVE: return "WAVE ";
        case POWER_BIGARR: return "BIGARR ";
        default: return "CIRCL ";
    }
}

const char* port_kind_word(uint8_t flags) {
    switch (flags & PORT_KIND_MASK) {
        case PORT_INPUT: return "INPUT ";
        case PORT_OUTPUT: return "OUTPUT ";
        case PORT_UNSPEC: return "UNSPEC ";
        default: return "BIDIR ";
    }
}

// The square of half-side s around a position.
Rect square_around(Point p, int32_t s) {
    return make_rect(int64_t{p.x} - s, int64_t{p.y} - s, 2 * int64_t{s}, 2 * int64_t{s});
}

// The fields every record of the three kinds reads after its own: the
// position and width in that order, then the shared end of a reader.
int read_place(SchItem* item, int result, FILE* stream) {
    int16_t width = 0;
    result |= read_point(&item->pos, stream);
    result |= read_short(&width, stream);
    return finish_read(item, result, width, stream);
}

void write_place(SchItem* item, FILE* stream) {
    write_point(item->pos, stream);
    write_short(item->width, stream);
}

void drop_symbol(Vectors** set) {
    free_Vectors(*set, false);
    *set = nullptr;
}

Vectors* new_symbol() {
    Vectors* set = new_Vectors();
    if (!set) no_memory();
    return set;
}

void append_item(Vectors* set, Item* item) {
    if (!item || !dlist_append(set->items, item)) no_memory();
}

Line* make_line(Point a, Point b) {
    Line* line = new_Line();
    if (!line) no_memory();
    line->pos = a;
    line->end = b;
    return line;
}

Arc* make_arc(Point centre, Point start, Point end) {
    Arc* arc = new_Arc();
    if (!arc) no_memory();
    arc->pos = centre;
    arc->start = start;
    arc->end = end;
    arc->dir = 0;
    return arc;
}

// Marks the record picked when its position lies in the selection area.
bool pick_position(View* view, SchItem* item, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, item, mask) || !view_point_in_select(view, item->pos)) return false;
    mark_picked(item, bit | STATE_BOTH_ENDS, operation);
    return true;
}

Point wrap_point(int64_t x, int64_t y) {
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

// The stem length of each power shape, as a function of S and r.
int32_t power_stem(uint8_t shape, int32_t s, int32_t r) {
    switch (shape) {
        case POWER_GND1:
        case POWER_GND2: return s / 2;
        case POWER_BAR: return s;
        case POWER_EARTH:
        case POWER_BIGARR: return s / 10;
        case POWER_WAVE: return s - r / 2;
        default: return s - 2 * r;  // CIRCL, ARROW
    }
}

// The shape items of a power symbol in its unrotated frame, after the stem.
void power_shape_items(Vectors* set, uint8_t shape, Point at, int32_t s, int32_t r) {
    // 64-bit sums, wrapped as the 32-bit coordinates would be: a position
    // read from a file may stand at the end of the range.
    const int64_t x = at.x, y = at.y;
    auto line = [set](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        append_item(set, make_line(wrap_point(x1, y1), wrap_point(x2, y2)));
    };
    switch (shape) {
        case POWER_CIRCL: {
            Circle* circle = new_Circle();
            if (!circle) no_memory();
            circle->pos = wrap_point(x, y - s + r);
            circle->on = wrap_point(x, y - s);
            append_item(set, circle);
            break;
        }
        case POWER_GND1:
        case POWER_GND2:
            line(x - s / 2, y - s / 2, x + s / 2, y - s / 2);
            for (int32_t i = 0; i <= 4; ++i) {
                int64_t x1 = x - s / 2 + s * i / 4;
                line(x1, y - s / 2, x1 + s / 4, y - s);
            }
            if (shape == POWER_GND2) {
                line(x - s / 2, y - s / 2 + s / 20, x + s / 2, y - s / 2 + s / 20);
                line(x - s / 2, y - s / 2 + 2 * s / 20, x + s / 2, y - s / 2 + 2 * s / 20);
            }
            break;
        case POWER_ARROW:
            line(x - r, y - s + 2 * r, x + r, y - s + 2 * r);
            line(x - r, y - s + 2 * r, x, y - s);
            line(x + r, y - s + 2 * r, x, y - s);
            break;
        case POWER_BAR: line(x - r, y - s, x + r, y - s); break;
        case POWER_EARTH:
            for (int32_t i = 0; i <= 4; ++i) {
                int64_t yi = y - s / 10 - 2 * s * i / 10;
                line(x - s / 2 + s * i / 10, yi, x + s / 2 - s * i / 10, yi);
            }
            break;
        case POWER_WAVE: {
            const int64_t ey = y - s + r / 2;
            const Point e = wrap_point(x, ey);
            append_item(set, make_arc(wrap_point(x - r / 2, ey), e, wrap_point(x - r, ey)));
            append_item(set, make_arc(wrap_point(x + r / 2, ey), e, wrap_point(x + r, ey)));
            break;
        }
        case POWER_BIGARR:
            line(x - s / 2, y - s / 10, x + s / 2, y - s / 10);
            line(x - s / 2, y - s / 10, x, y - s);
            line(x + s / 2, y - s / 10, x, y - s);
            break;
        default: break;
    }
}

}  // namespace

// --- measuring ----------------------------------------------------------------------------
bool measure_in_config_font(Schema* doc, int font_property, const char* text, Point pos,
                            Rect* out) {
    const int32_t saved = proper_get(font_property);
    int font = saved;
    bool measured =
        services().paint_zone_text_extent(doc ? &doc->view : nullptr, text, &font, pos, out);
    // The measurement may have changed the property; put it back without
    // writing the INI file, which the user did not ask to change.
    const uint8_t writing = config_write_flag;
    config_write_flag = 0;
    proper_set(font_property, saved);
    config_write_flag = writing;
    return measured;
}

// --- accessors ------------------------------------------------------------------------------
Power* as_Power(SchItem* item) { return checked_as<Power>(item, POWER_ITEM); }
NoCon* as_NoCon(SchItem* item) { return checked_as<NoCon>(item, NOCON_ITEM); }
Port* as_Port(SchItem* item) { return checked_as<Port>(item, PORT_ITEM); }
const Power* as_Power(const SchItem* item) { return checked_as<Power>(item, POWER_ITEM); }
const NoCon* as_NoCon(const SchItem* item) { return checked_as<NoCon>(item, NOCON_ITEM); }
const Port* as_Port(const SchItem* item) { return checked_as<Port>(item, PORT_ITEM); }

// --- making and releasing ----------------------------------------------------------------------
Power* new_Power() { return make<Power>(POWER_ITEM); }
NoCon* new_NoCon() { return make<NoCon>(NOCON_ITEM); }
Port* new_Port() { return make<Port>(PORT_ITEM); }

void free_Power(Power* power, bool keep_storage) {
    if (!power) return;
    power->name.clear();
    free_Strokes(power->layout);
    power->layout = nullptr;
    drop_symbol(&power->symbol);
    release(power, keep_storage);
}

void free_NoCon(NoCon* nocon, bool keep_storage) {
    if (nocon) release(nocon, keep_storage);
}

void free_Port(Port* port, bool keep_storage) {
    if (!port) return;
    port->name.clear();
    port->second.clear();
    std::string().swap(port->extra);
    free_Strokes(port->layout);
    port->layout = nullptr;
    drop_symbol(&port->outline);
    release(port, keep_storage);
}

// --- binary forms --------------------------------------------------------------------------------
int read_Power(Power* power, FILE* stream) {
    int result = read_item_tag(stream, item_tag(POWER_ITEM));
    if (result != 0) return result;
    free_Strokes(power->layout);
    power->layout = nullptr;
    drop_symbol(&power->symbol);
    result = read_sstr(&power->name, stream);
    result |= read_byte(&power->flags, stream);
    return read_place(power, result, stream);
}

int read_NoCon(NoCon* nocon, FILE* stream) {
    int result = read_item_tag(stream, item_tag(NOCON_ITEM));
    if (result != 0) return result;
    result = read_byte(&nocon->flags, stream);
    return read_place(nocon, result, stream);
}

int read_Port(Port* port, FILE* stream) {
    int result = read_item_tag(stream, item_tag(PORT_ITEM));
    if (result != 0) return result;
    port->type = PORT_ITEM;
    free_Strokes(port->layout);
    port->layout = nullptr;
    drop_symbol(&port->outline);
    int16_t width = 0;
    result = read_byte(&port->flags, stream);
    result |= read_point(&port->pos, stream);
    result |= read_short(&width, stream);
    result |= read_sstr(&port->name, stream);
    result |= read_sstr(&port->second, stream);
    if (result != 0) return -1;
    port->extra.clear();
    if (take_byte(stream, PORT_EXTRA_TAG) && docs_kit::read_text(&port->extra, stream) != 0)
        return -1;
    return finish_read(port, 0, width, stream);
}

void write_Power(Power* power, FILE* stream, uint32_t mask) {
    if (!mask_matches(power->state, mask)) return;
    write_byte(item_tag(POWER_ITEM), stream);
    write_sstr(&power->name, stream);
    write_byte(power->flags, stream);
    write_place(power, stream);
    write_item_id(power, stream);
}

void write_NoCon(NoCon* nocon, FILE* stream, uint32_t mask) {
    if (!mask_matches(nocon->state, mask)) return;
    write_byte(item_tag(NOCON_ITEM), stream);
    write_byte(nocon->flags, stream);
    write_place(nocon, stream);
    write_item_id(nocon, stream);
}

void write_Port(Port* port, FILE* stream, uint32_t mask) {
    if (!mask_matches(port->state, mask)) return;
    write_byte(item_tag(PORT_ITEM), stream);
    write_byte(port->flags, stream);
    write_place(port, stream);
    write_sstr(&port->name, stream);
    write_sstr(&port->second, stream);
    write_byte(PORT_EXTRA_TAG, stream);
    write_string(port->extra.c_str(), stream);
    write_item_id(port, stream);
}

// --- source forms ----------------------------------------------------------------------------------
void awrite_Power(const Power* power, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(POWER %s ", quote_string(power->name.get()).c_str());
    int rotation = power->flags & POWER_ROT_MASK;
    if (rotation <= 3) std::fputs(power_rotation_words[rotation], stream);
    std::fputs(power_shape_word(power->flags), stream);
    write_POS(power->pos, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

void awrite_NoCon(const NoCon* nocon, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(NOCON ", stream);
    write_POS(nocon->pos, stream, -1);
    std::fputs(" )", stream);
    put_newline(stream);
}

void awrite_Port(const Port* port, FILE* stream, int level) {
    write_indent(stream, level);
    std::fputs("(PORT ", stream);
    std::fputs(port->flags & PORT_RIGHT ? "RIGHT " : "LEFT ", stream);
    std::fputs(port_kind_word(port->flags), stream);
    write_POS(port->pos, stream, -1);
    std::fprintf(stream, "%s ", quote_string(port->name.get()).c_str());
    std::fputs(")", stream);
    put_newline(stream);
}

// --- geometry --------------------------------------------------------------------------------------
void matrix_Power(Power* power, const Matrix* matrix) {
    matrix_apply(matrix, power->pos, &power->pos);
    free_Strokes(power->layout);
    power->layout = nullptr;
    drop_symbol(&power->symbol);
}

void matrix_NoCon(NoCon* nocon, const Matrix* matrix) {
    matrix_apply(matrix, nocon->pos, &nocon->pos);
}

void matrix_Port(Port* port, const Matrix* matrix) { matrix_apply(matrix, port->pos, &port->pos); }

bool bounds_Power(Schema*, Power* power, Rect* rect, bool accumulate) {
    return put_bounds(rect, square_around(power->pos, proper_get(WIDTH_POWEROBJ)), accumulate);
}

bool bounds_NoCon(Schema*, NoCon* nocon, Rect* rect, bool accumulate) {
    return put_bounds(rect, square_around(nocon->pos, proper_get(WIDTH_NOCONNECT)), accumulate);
}

bool bounds_Port(Schema* doc, Port* port, Rect* rect, bool accumulate) {
    if (!port->outline) port_build_symbol(doc, port);
    if (!port->outline) return accumulate;
    return bounds_Vectors(doc, port->outline, rect, accumulate);
}

void flag_Power(Power* power) { flagop_apply(&power->state); }
void flag_NoCon(NoCon* nocon) { flagop_apply(&nocon->state); }
void flag_Port(Port* port) { flagop_apply(&port->state); }

double distance_Power(Schema* doc, Power* power, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit) {
    if (!mask_matches(power->state, mask)) return FAR_AWAY;
    Rect square;
    bounds_Power(doc, power, &square, false);
    double d = rect_contains_point(square, p) ? -0.5 : point_distance(p, power->pos);
    return mark_hit(power, d, tolerance, hit_bit);
}

double distance_NoCon(Schema*, NoCon* nocon, Point p, uint32_t mask, double tolerance,
                      uint32_t hit_bit) {
    if (!mask_matches(nocon->state, mask)) return FAR_AWAY;
    return mark_hit(nocon, point_distance(p, nocon->pos), tolerance, hit_bit);
}

double distance_Port(Schema* doc, Port* port, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(port->state, mask)) return FAR_AWAY;
    Rect box;
    if (!bounds_Port(doc, port, &box, false)) return FAR_AWAY;
    return mark_hit(port, docs_kit::outline_distance(p, box, tolerance), tolerance, hit_bit);
}

bool select_Power(Schema*, View* view, Power* power, uint32_t bit, int operation, uint32_t mask) {
    return pick_position(view, power, bit, operation, mask);
}

bool select_NoCon(Schema*, View* view, NoCon* nocon, uint32_t bit, int operation, uint32_t mask) {
    return pick_position(view, nocon, bit, operation, mask);
}

bool select_Port(Schema*, View* view, Port* port, uint32_t bit, int operation, uint32_t mask) {
    return pick_position(view, port, bit, operation, mask);
}

// --- copies ------------------------------------------------------------------------------------------
Power* copy_Power(Schema*, const Power* power) {
    Power* copy = new_Power();
    if (!copy) return nullptr;
    docs_kit::copy_head(copy, power);
    copy->name = power->name;
    return copy;
}

NoCon* copy_NoCon(Schema*, const NoCon* nocon) { return duplicate(nocon); }

Port* copy_Port(Schema* doc, const Port* port) {
    Port* copy = new_Port();
    if (!copy) return nullptr;
    docs_kit::copy_head(copy, port);
    copy->name = port->name;
    copy->second = port->second;
    copy->word1 = port->word1;
    copy->word2 = port->word2;
    copy->extra = port->extra;
    if (port->layout) port_build_symbol(doc, copy);
    return copy;
}

// --- generated drawings -----------------------------------------------------------------------------
int power_build_symbol(Schema*, Power* power) {
    drop_symbol(&power->symbol);
    free_Strokes(power->layout);
    power->layout = nullptr;
    Vectors* set = new_symbol();

    const int32_t s = static_cast<int16_t>(proper_get(WIDTH_POWEROBJ));
    const int32_t r = static_cast<int32_t>(s / 3.5);
    const int rotation = power->flags & POWER_ROT_MASK;
    if (rotation > 3) warning("Power: flags %x, invalid rotation", power->flags);
    const Point at = power->pos;
    Matrix m;
    matrix_translate_d(&m, -static_cast<double>(at.x), -static_cast<double>(at.y));
    matrix_rotate(&m, rotation);
    matrix_translate(&m, at.x, at.y);

    const uint8_t shape = power->flags & POWER_SHAPE_MASK;
    append_item(set, make_line(at, wrap_point(at.x, int64_t{at.y} - power_stem(shape, s, r))));
    power_shape_items(set, shape, at, s, r);
    for (Item* item : list_items<Item>(set->items)) matrix_Item(item, &m);
    power->symbol = set;
    return 0;
}

bool port_near_end_pointed(uint8_t flags) {
    if (flags & PORT_AS_OUTPUT) return false;
    if (flags & PORT_AS_BIDIR) return true;
    const uint8_t kind = flags & PORT_KIND_MASK;
    return (kind == PORT_BIDIR || kind == PORT_INPUT) && !(flags & PORT_AS_UNSPEC);
}

bool port_far_end_pointed(uint8_t flags) {
    if (flags & (PORT_AS_OUTPUT | PORT_AS_BIDIR)) return true;
    const uint8_t kind = flags & PORT_KIND_MASK;
    return !(kind == PORT_INPUT || kind == PORT_UNSPEC || (flags & PORT_AS_UNSPEC));
}

int port_build_symbol(Schema* doc, Port* port) {
    free_Strokes(port->layout);
    port->layout = nullptr;
    drop_symbol(&port->outline);
    Rect text;
    if (!measure_in_config_font(doc, FONT_MODULETXT, port->name.get(), port->pos, &text)) return 0;

    const int64_t length = int64_t{text.w} + PORT_MARGIN;
    const int64_t t = int64_t{text.h} * 6 / 10;
    const int64_t d = port->flags & PORT_RIGHT ? 1 : -1;
    const bool near_pointed = port_near_end_pointed(port->flags);
    const bool far_pointed = port_far_end_pointed(port->flags);

    Vectors* set = new_symbol();
    const Point at = port->pos;
    const int64_t x0 = at.x + PORT_STUB * d;
    append_item(set, make_line(at, {static_cast<int32_t>(x0), at.y}));

    Poly* poly = new_Poly();
    if (!poly) no_memory();
    int64_t x = x0, y = at.y;
    auto emit = [poly](int64_t px, int64_t py) {
        poly->points.push_back({static_cast<int32_t>(px), static_cast<int32_t>(py)});
    };
    if (near_pointed) {
        emit(x, y);
        x += t * d;
    }
    y -= t;
    emit(x, y);
    x += length * d;
    emit(x, y);
    if (far_pointed) emit(x + t * d, y + t);
    y += 2 * t;
    emit(x, y);
    x -= length * d;
    emit(x, y);
    if (near_pointed) {
        x -= t * d;
        y -= t;
    } else {
        y -= 2 * t;
    }
    emit(x, y);
    append_item(set, poly);
    port->outline = set;
    return 0;
}
