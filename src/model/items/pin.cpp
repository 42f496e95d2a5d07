// Pins and pin lists: geometry, drawing, picking and file forms.
#include "model/items/pin.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/item.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

constexpr int DOT_GAP = 600;  // the line stops this far before P with DOT
constexpr int DOT_RADIUS = 300;
constexpr int CLOCK_DEPTH = 600;  // the wedge's tip lies inside the body
constexpr int CLOCK_HALF = 300;

// Outward direction of the pin's side, as used by the formulas O = P - len*d.
Point direction(const Pin* pin) {
    switch (pin->flags & PIN_SIDE_MASK) {
        case RIGHT: return {-1, 0};
        case TOP: return {0, 1};
        case BOTTOM: return {0, -1};
        default: return {1, 0};
    }
}

// Coordinates at the edge of the 32-bit range wrap as the stored format's
// 32-bit arithmetic does (never undefined overflow).
int32_t wrap(int64_t v) { return static_cast<int32_t>(v); }

Point along(Point p, Point d, int k) {
    return {wrap(int64_t{p.x} + int64_t{k} * d.x), wrap(int64_t{p.y} + int64_t{k} * d.y)};
}

const char* type_word(uint8_t type) {
    static const char* const words[] = {"IN ", "OUT ", "IO ", "OC ", "OE ", "PWR ", "PAS ", "HIZ "};
    return type >= PIN_IN && type <= PIN_HIZ ? words[type - PIN_IN] : "";
}

const char* side_word(uint8_t flags) {
    switch (flags & PIN_SIDE_MASK) {
        case RIGHT: return "RIGHT ";
        case TOP: return "TOP ";
        case BOTTOM: return "BOTTOM ";
        default: return "LEFT ";
    }
}

int free_Pin_cb(void* pin) {
    free_Pin(static_cast<Pin*>(pin));
    return 0;
}

Line* make_line(Point a, Point b) {
    Line* line = new_Line();
    if (line) {
        line->pos = a;
        line->end = b;
    }
    return line;
}

bool examined(const Pin* pin, bool with_power) { return with_power || pin->type != PWR; }

}  // namespace

// --- pins ----------------------------------------------------------------------

Pin* new_Pin(int devices) {
    Pin* pin = new (std::nothrow) Pin;
    if (pin && devices > 0) resize_PinNumbers(pin, devices);
    return pin;
}

void free_Pin(Pin* pin, int) {
    if (!pin) return;
    free_Vectors(pin->drawing);
    delete pin;
}

Pin* copy_Pin(const Pin* pin, int devices) {
    Pin* copy = new (std::nothrow) Pin;
    if (!copy) return nullptr;
    copy->name = pin->name;
    copy->type = pin->type;
    copy->flags = pin->flags;
    copy->pos = pin->pos;
    copy->state = pin->state;  // the id stays 0: a copy is another record
    if (!pin->numbers.empty()) {
        copy->numbers = pin->numbers;
        resize_PinNumbers(copy, std::max(devices, 1));
    }
    return copy;
}

void resize_PinNumbers(Pin* pin, int devices) {
    pin->numbers.resize(devices > 0 ? static_cast<size_t>(devices) : 0);
}

const char* pin_number(const Pin* pin, int device) {
    if (device < 0 || static_cast<size_t>(device) >= pin->numbers.size()) return "";
    return pin->numbers[static_cast<size_t>(device)].get();
}

void set_pin_number(Pin* pin, int device, const char* number) {
    if (device < 0) return;
    if (static_cast<size_t>(device) >= pin->numbers.size()) resize_PinNumbers(pin, device + 1);
    pin->numbers[static_cast<size_t>(device)].set(number);
}

int pin_length(const Pin* pin) {
    return (pin->flags & SHORT) || pin->type == PWR ? PIN_SHORT : PIN_LONG;
}

void get_PinLine(const Pin* pin, Point* outer, Point* inner) {
    Point d = direction(pin);
    *outer = along(pin->pos, d, -pin_length(pin));
    *inner = pin->flags & DOT ? along(pin->pos, d, -DOT_GAP) : pin->pos;
}

Rect pin_extent(const Pin* pin) {
    int len = pin_length(pin);
    Point p = pin->pos;
    switch (pin->flags & PIN_SIDE_MASK) {
        case RIGHT: return {p.x, p.y, len, 1};
        case TOP: return {p.x, wrap(int64_t{p.y} - len), 1, len};
        case BOTTOM: return {p.x, p.y, 1, len};
        default: return {wrap(int64_t{p.x} - len), p.y, len, 1};
    }
}

void make_PinVectors(Pin* pin) {
    if (pin->drawing) return;
    Vectors* drawing = new_Vectors();
    if (!drawing) no_memory();
    Point p = pin->pos;
    Point d = direction(pin);
    Point outer, inner;
    get_PinLine(pin, &outer, &inner);
    Item* items[4] = {make_line(outer, inner), nullptr, nullptr, nullptr};
    int count = 1;
    if (pin->flags & CLOCK) {
        Point across{d.y, d.x};
        Point tip = along(p, d, CLOCK_DEPTH);
        items[count++] = make_line(along(p, across, CLOCK_HALF), tip);
        items[count++] = make_line(along(p, across, -CLOCK_HALF), tip);
    }
    if (pin->flags & DOT) {
        Circle* circle = new_Circle();
        if (circle) {
            circle->pos = along(p, d, -DOT_RADIUS);
            circle->on = p;
        }
        items[count++] = circle;
    }
    bool whole = true;
    for (int i = 0; i < count; ++i) {
        if (!items[i] || !dlist_append(drawing->items, items[i])) {
            free_Item(items[i]);
            whole = false;
        }
    }
    if (!whole) {
        free_Vectors(drawing);
        no_memory();
    }
    pin->drawing = drawing;
}

void matrix_Pin(Pin* pin, const Matrix* matrix) { matrix_apply(matrix, pin->pos, &pin->pos); }

bool bounds_Pin(const Pin* pin, Rect* rect, bool accumulate) {
    Rect r{pin->pos.x, pin->pos.y, 1, 1};
    if (accumulate) {
        rect_union(rect, r);
    } else {
        *rect = r;
    }
    return true;
}

double distance_Pin(Pin* pin, Point p, uint32_t mask, double tolerance, uint32_t hit_bits) {
    if (!mask_matches(pin->state, mask)) return FAR_AWAY;
    Point outer, inner;
    get_PinLine(pin, &outer, &inner);
    double d = segment_distance(p, outer, inner);
    if (d <= tolerance) pin->state |= hit_bits;
    return d;
}

bool select_Pin(View* view, Pin* pin, uint32_t bit, int operation, uint32_t mask) {
    return select_at_point(view, &pin->state, pin->pos, bit, operation, mask);
}

bool select_at_point(View* view, uint32_t* state, Point p, uint32_t bit, int operation,
                     uint32_t mask) {
    if (!mask_matches(*state, mask) || !view_has_select_area(view) ||
        !view_point_in_select(view, p))
        return false;
    FlagOpScope scope(bit | STATE_BOTH_ENDS, operation);
    flagop_apply(state);
    return true;
}

void flag_Pin(Pin* pin) { flagop_apply(&pin->state); }

bool pin_has_number(const Pin* pin, const char* number, int device) {
    if (device < 0 || static_cast<size_t>(device) >= pin->numbers.size()) return false;
    return std::strcmp(pin->numbers[static_cast<size_t>(device)].get(), number) == 0;
}

bool pin_numbers_equal(const Pin* a, const Pin* b, int devices) {
    if (a->numbers.empty() || b->numbers.empty()) return a->numbers.empty() == b->numbers.empty();
    for (int i = 0; i < devices; ++i)
        if (std::strcmp(pin_number(a, i), pin_number(b, i)) != 0) return false;
    return true;
}

int read_Pin(Pin* pin, FILE* stream, int devices) {
    int result = read_item_tag(stream, PIN_TAG);
    if (result != 0) return result;
    if (read_sstr(&pin->name, stream) || read_byte(&pin->type, stream) ||
        read_byte(&pin->flags, stream) || read_point(&pin->pos, stream))
        return -1;
    resize_PinNumbers(pin, devices);
    for (ShortString& number : pin->numbers)
        if (read_sstr(&number, stream) != 0) return -1;
    pin->state = 1;
    pin->id = 0;
    int c = getc_unlocked(stream);
    if (c == OBJECT_ID_TAG) {
        if (read_long(&pin->id, stream) != 0) return -1;
        note_object_id(pin->id);
    } else if (c != EOF) {
        ungetc(c, stream);
    }
    return 0;
}

void write_Pin(Pin* pin, FILE* stream) {
    write_byte(PIN_TAG, stream);
    write_sstr(&pin->name, stream);
    write_byte(pin->type, stream);
    write_byte(pin->flags, stream);
    write_point(pin->pos, stream);
    for (const ShortString& number : pin->numbers) write_sstr(&number, stream);
    if (pin->id == 0) pin->id = new_object_id();
    write_byte(OBJECT_ID_TAG, stream);
    write_long(static_cast<int32_t>(pin->id), stream);
}

void awrite_Pin(const Pin* pin, FILE* stream, int level, int devices) {
    write_indent(stream, level);
    std::fprintf(stream, "(PIN %s ", quote_string(pin->name.get()).c_str());
    if (pin->flags & DOT) std::fputs("DOT ", stream);
    if (pin->flags & SHORT) std::fputs("SHORT ", stream);
    if (pin->flags & CLOCK) std::fputs("CLOCK ", stream);
    std::fputs(type_word(pin->type), stream);
    std::fputs(side_word(pin->flags), stream);
    write_POS(pin->pos, stream, -1);
    put_newline(stream);
    if (!pin->numbers.empty() && devices > 0) {
        write_indent(stream, level + 1);
        for (int i = 0; i < devices; ++i)
            std::fprintf(stream, "%s ", quote_string(pin_number(pin, i)).c_str());
        put_newline(stream);
    }
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

// --- pin lists --------------------------------------------------------------------

PinList* new_PinList() {
    PinList* list = new (std::nothrow) PinList;
    if (!list) return nullptr;
    list->pins = list_new();
    if (!list->pins) {
        delete list;
        return nullptr;
    }
    return list;
}

void free_PinList(PinList* list, int) {
    if (!list) return;
    if (list->pins) dlist_free(list->pins, LIST_FROM_HEAD, free_Pin_cb);
    delete list;
}

PinList* copy_PinList(const PinList* list, int devices) {
    if (!list) return nullptr;
    PinList* copy = new_PinList();
    if (!copy) return nullptr;
    copy->flags = list->flags;
    for (Pin* pin : list_items<Pin>(list->pins)) {
        Pin* pin_copy = copy_Pin(pin, devices);
        if (!pin_copy) continue;
        if (!dlist_append(copy->pins, pin_copy)) {
            free_Pin(pin_copy);
            free_PinList(copy);
            return nullptr;
        }
    }
    return copy;
}

void resize_PinList(PinList* list, int devices) {
    if (!list) return;
    for (Pin* pin : list_items<Pin>(list->pins)) resize_PinNumbers(pin, devices);
}

int pinlist_count(const PinList* list) {
    return list && list->pins ? static_cast<int>(list->pins->count) : 0;
}

void matrix_PinList(PinList* list, const Matrix* matrix) {
    if (!list) return;
    for (Pin* pin : list_items<Pin>(list->pins)) matrix_Pin(pin, matrix);
}

void flag_PinList(PinList* list) {
    if (!list) return;
    flagop_apply(&list->flags);
    for (Pin* pin : list_items<Pin>(list->pins)) flag_Pin(pin);
}

bool pinlist_extent(const PinList* list, Rect* rect, bool accumulate) {
    if (pinlist_count(list) == 0) return accumulate;
    bool any = false;
    Rect all;
    for (Pin* pin : list_items<Pin>(list->pins)) {
        if (any) {
            rect_union(&all, pin_extent(pin));
        } else {
            all = pin_extent(pin);
            any = true;
        }
    }
    if (accumulate) {
        rect_union(rect, all);
    } else {
        *rect = all;
    }
    return true;
}

double nearest_Pin(PinList* list, Point p, Pin** found, uint32_t mask, double tolerance,
                   uint32_t hit_bits, bool with_power) {
    double best = FAR_AWAY;
    *found = nullptr;
    if (!list) return best;
    for (Pin* pin : list_items<Pin>(list->pins)) {
        if (!examined(pin, with_power)) continue;
        double d = distance_Pin(pin, p, mask, tolerance, hit_bits);
        if (!*found || d < best) {
            *found = pin;
            best = std::min(d, best);
        }
    }
    return best;
}

bool select_PinList(View* view, PinList* list, uint32_t bit, int operation, uint32_t mask,
                    bool with_power) {
    if (!list || !list->pins) return false;
    bool all = true;
    for (Pin* pin : list_items<Pin>(list->pins)) {
        if (!examined(pin, with_power)) continue;
        if (!select_Pin(view, pin, bit, operation, mask)) all = false;
    }
    return all;
}

Pin* find_Pin_by_number(PinList* list, const char* number, int device) {
    if (!list) return nullptr;
    for (Pin* pin : list_items<Pin>(list->pins))
        if (pin_has_number(pin, number, device)) return pin;
    return nullptr;
}

bool pinlist_numbers_equal(const PinList* a, const PinList* b, int devices) {
    if (pinlist_count(a) != pinlist_count(b)) return false;
    if (pinlist_count(a) == 0) return true;
    const ListNode* na = a->pins->head;
    const ListNode* nb = b->pins->head;
    for (; na && nb; na = na->next, nb = nb->next)
        if (!pin_numbers_equal(static_cast<const Pin*>(na->data), static_cast<const Pin*>(nb->data),
                               devices))
            return false;
    return true;
}

int read_PinList(PinList* list, FILE* stream, int devices) {
    int result = read_item_tag(stream, PINLIST_TAG);
    if (result != 0) return result;
    for (;;) {
        Pin* pin = new_Pin(devices);
        if (!pin) no_memory();
        result = read_Pin(pin, stream, devices);
        if (result != 0) {
            free_Pin(pin);
            if (result != NOT_MY_TAG) return result;
            break;
        }
        if (!dlist_append(list->pins, pin)) no_memory();
    }
    uint8_t closing;
    return read_byte(&closing, stream);  // the end mark, not checked
}

void write_PinList(PinList* list, FILE* stream) {
    write_byte(PINLIST_TAG, stream);
    for (Pin* pin : list_items<Pin>(list->pins)) write_Pin(pin, stream);
    write_byte(LIST_END, stream);
}

void awrite_PinList(const PinList* list, FILE* stream, int level, int devices) {
    write_indent(stream, level);
    std::fputs("(PINS", stream);
    put_newline(stream);
    for (Pin* pin : list_items<Pin>(list->pins)) awrite_Pin(pin, stream, level + 1, devices);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}
