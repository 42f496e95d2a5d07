// Placed parts: the record, its binary and source forms, the placement
// transform and the geometry built on it.
#include "model/documents/placed_part.h"

#include <cmath>
#include <cstring>

#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/power_port.h"
#include "model/documents/record_kit.h"
#include "model/documents/schema.h"
#include "model/items/ascii_writer.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

bool copy_exact = false;

const double scale_table[8] = {0.1, 0.2, 0.3, 0.5, 1.0, 1.5, 2.0, 3.0};

const char* const rotation_words[8] = {"NO_ROT ", "ROT_90 ",  "ROT_180 ", "ROT_270 ",
                                       "ROT_45 ", "ROT_135 ", "ROT_225 ", "ROT_315 "};

// matrix_rotate codes of the part rotations: quarter turns as they are, the
// diagonal ones as exact tenths of a degree offset by 3.
const int rotation_codes[8] = {0, 1, 2, 3, 453, 1353, 2253, 3153};

int free_power_cb(void* data) {
    free_Power(static_cast<Power*>(data), false);
    return 0;
}

void drop_own_pins(PlacedPart* pl) {
    free_PinList(pl->own_pins);
    pl->own_pins = nullptr;
    pl->own_pins_devices = 0;
}

// Before the own pins change: a set made for another device count than
// the part's goes.
void drop_unfit_own_pins(PlacedPart* pl, const Part* part) {
    if (!pl->own_pins || pl_own_pins(pl, part)) return;
    warning("Part %s: own pins for %d devices, the part has %d; own pins dropped",
            pl->part_name.get(), static_cast<int>(pl->own_pins_devices),
            static_cast<int>(part->devices));
    drop_own_pins(pl);
}

// The part's own pin list of the form in use.
PinList* form_pins(const PlacedPart* pl, const Part* part) {
    if (!part) return nullptr;
    return pl->flags & PL_CONVERT ? part->convert_pins : part->normal_pins;
}

Vectors* form_body(const PlacedPart* pl, const Part* part) {
    if (!part) return nullptr;
    return pl->flags & PL_CONVERT ? part->convert : part->normal;
}

Library* doc_library(Schema* doc) { return doc ? doc->library : nullptr; }

// Step 3 of the placed body rule on a rectangle and its side flags:
// mirrors, then the quarter turn of the rotation code (diagonal codes
// change nothing).
struct Sides {
    bool top = false, left = false, right = false, bottom = false;
};

void orient(const PlacedPart* pl, Rect* r, Sides* s) {
    if (pl->flags & PL_MX) {
        std::swap(s->top, s->bottom);
        r->h = trunc32(-static_cast<double>(r->h));  // a size from a file may be INT32_MIN
    }
    if (pl->flags & PL_MY) {
        std::swap(s->left, s->right);
        r->w = trunc32(-static_cast<double>(r->w));
    }
    Sides old = *s;
    switch (pl->flags & PL_ROT_MASK) {
        case 1:
            *s = {old.left, old.bottom, old.top, old.right};  // top, left, right, bottom
            r->x = trunc32(static_cast<double>(r->x) - r->h);
            std::swap(r->w, r->h);
            break;
        case 2:
            *s = {old.bottom, old.right, old.left, old.top};
            r->x = trunc32(static_cast<double>(r->x) - r->w);
            r->y = trunc32(static_cast<double>(r->y) - r->h);
            break;
        case 3:
            *s = {old.right, old.top, old.bottom, old.left};
            r->y = trunc32(static_cast<double>(r->y) - r->w);
            std::swap(r->w, r->h);
            break;
        default: break;
    }
}

void make_positive(Rect* r) {
    Rect in = *r;
    rect_normalize(r, in);
}

// The text height that set_TextSize gives for the font of a property.
int32_t font_text_height(int property) {
    TextSize size;
    set_TextSize(&size, font_height(property));
    return size.height;
}

// Replaces a trailing run of digits by "?" when something precedes it; an
// empty reference becomes "?".
void unnumber_reference(ShortString* reference) {
    std::string text = reference->get();
    if (text.empty()) {
        reference->set("?");
        return;
    }
    size_t digits = text.size();
    while (digits > 0 && text[digits - 1] >= '0' && text[digits - 1] <= '9') --digits;
    if (digits == text.size() || digits == 0) return;
    text.resize(digits);
    text += '?';
    reference->set(text.c_str());
}

void copy_inline_attribute(Attribute* to, const Attribute& from) {
    to->type = from.type;
    to->flags = from.flags;
    to->width = from.width;
    to->state = from.state | STATE_NEW;
    to->text = from.text;
    to->pos = from.pos;
    to->layout = nullptr;
}

// Reads the attribute records: the reference, the value, then new further
// attributes, until a record of another kind follows.
int read_attributes(PlacedPart* pl, FILE* stream) {
    int result = read_Attribute(&pl->reference, stream);
    if (result == 0) result = read_Attribute(&pl->value, stream);
    // Most parts have no further attribute: none is made before its tag is seen.
    while (result == 0 && peek_byte(stream) == ATTRIBUTE_TAG) {
        Attribute* attribute = new_Attribute();
        if (!attribute) return NO_MEMORY;
        result = read_Attribute(attribute, stream);
        if (result != 0) {
            free_Attribute(attribute);
            break;
        }
        if (!pl->attributes && !(pl->attributes = list_new())) no_memory();
        if (!dlist_append(pl->attributes, attribute)) no_memory();
    }
    return result == NOT_MY_TAG ? 0 : result;
}

// The optional own-pin section: its device count is checked against what
// the stream can hold before any table is made.
int read_own_pins(PlacedPart* pl, FILE* stream) {
    if (!take_byte(stream, PL_OWN_PINS_TAG)) return 0;
    int32_t devices = 0;
    if (read_long(&devices, stream) != 0) return -1;
    int64_t left = stream_bytes_left(stream);
    if (devices < 0 || devices > MAX_PART_DEVICES || (left >= 0 && devices > left))
        return READ_ERROR;
    PinList* pins = new_PinList();
    if (!pins) return NO_MEMORY;
    int result = read_PinList(pins, stream, devices);
    if (result != 0) {
        free_PinList(pins);
        return result == NOT_MY_TAG ? 0 : result;
    }
    pl->own_pins = pins;
    pl->own_pins_devices = devices;
    return 0;
}

}  // namespace

CopyExactScope::CopyExactScope() : was_(copy_exact) { copy_exact = true; }
CopyExactScope::~CopyExactScope() { copy_exact = was_; }

PlacedPart* as_PlacedPart(SchItem* item) { return checked_as<PlacedPart>(item, PARTLIB_ITEM); }
const PlacedPart* as_PlacedPart(const SchItem* item) {
    return checked_as<PlacedPart>(item, PARTLIB_ITEM);
}

// --- record ------------------------------------------------------------------------------
PlacedPart* new_PlacedPart() {
    PlacedPart* pl = make<PlacedPart>(PARTLIB_ITEM);
    if (!pl) return nullptr;
    pl->flags = PL_POWERON;
    pl->reference.flags = VIS;
    pl->value.flags = VIS;
    pl->time_stamp = time_stamp();
    return pl;
}

void free_PlacedPart(Schema* doc, PlacedPart* pl, bool keep_storage) {
    if (!pl) return;
    pl_free_power_list(doc, pl);
    free_Attribute(&pl->reference, true);
    free_Attribute(&pl->value, true);
    free_Attribute_list(pl->attributes);
    pl->attributes = nullptr;
    pl->sheet_path.clear();
    pl->part_name.clear();
    pl->extra.clear();
    drop_own_pins(pl);
    pl->part = nullptr;
    release(pl, keep_storage);
}

PlacedPart* copy_PlacedPart(Library*, const PlacedPart* pl) {
    PlacedPart* copy = new_PlacedPart();
    if (!copy) return nullptr;
    docs_kit::copy_head(copy, pl);
    copy_inline_attribute(&copy->reference, pl->reference);
    copy_inline_attribute(&copy->value, pl->value);
    copy_Attribute_list(pl->attributes, &copy->attributes);
    copy->sheet_path = pl->sheet_path;
    copy->device = pl->device;
    copy->part_name = pl->part_name;
    if (pl->own_pins) {
        copy->own_pins = copy_PinList(pl->own_pins, pl->own_pins_devices);
        if (!copy->own_pins) no_memory();
        copy->own_pins_devices = pl->own_pins_devices;
    }
    copy->time_stamp = pl->time_stamp;
    copy->scale = pl->scale;
    copy->extra = pl->extra;
    if (!copy_exact) {
        copy->time_stamp = time_stamp();
        unnumber_reference(&copy->reference.text);
    }
    return copy;
}

int read_PlacedPart(PlacedPart* pl, FILE* stream) {
    int result = read_item_tag(stream, item_tag(PARTLIB_ITEM));
    if (result != 0) return result;
    pl->type = PARTLIB_ITEM;
    pl->state = STATE_NEW;
    pl->part = nullptr;
    drop_own_pins(pl);
    pl_free_power_list(nullptr, pl);
    free_Attribute_list(pl->attributes);
    pl->attributes = nullptr;

    if ((result = read_own_pins(pl, stream)) != 0) return result;
    if ((result = read_attributes(pl, stream)) != 0) return result;
    uint8_t end = 0;
    if (read_byte(&end, stream) != 0 || end != LIST_END) return -1;

    pl->extra.clear();
    if (take_byte(stream, PL_EXTRA_TAG) && read_rare_string(&pl->extra, stream) != 0) return -1;
    result = read_byte(&pl->flags, stream);
    result |= read_rare_string(&pl->sheet_path, stream);
    result |= read_long(&pl->device, stream);
    result |= read_point(&pl->pos, stream);
    result |= read_sstr(&pl->part_name, stream);
    if (result != 0) return -1;
    // A device is a letter of the reference: one outside the largest
    // package cannot be shown or set, and is a damaged record.
    if (pl->device < 0 || pl->device >= MAX_PART_DEVICES) return READ_ERROR;
    if (take_byte(stream, PL_STAMP_TAG) && read_long(&pl->time_stamp, stream) != 0) return -1;
    if (read_item_id(pl, stream) != 0) return -1;
    pl->scale = PL_DEFAULT_SCALE;
    if (take_byte(stream, PL_SCALE_TAG) && read_byte(&pl->scale, stream) != 0) return -1;
    if (pl->scale == 0) pl->scale = PL_DEFAULT_SCALE;
    return 0;
}

void write_PlacedPart(Library*, PlacedPart* pl, FILE* stream, uint32_t mask) {
    if (!mask_matches(pl->state, mask)) return;
    write_byte(item_tag(PARTLIB_ITEM), stream);
    if (pl->own_pins) {
        write_byte(PL_OWN_PINS_TAG, stream);
        write_long(pl->own_pins_devices, stream);
        write_PinList(pl->own_pins, stream);
    }
    write_Attribute(&pl->reference, stream);
    write_Attribute(&pl->value, stream);
    for (const Attribute* attribute : list_items<const Attribute>(pl->attributes))
        write_Attribute(attribute, stream);
    write_byte(LIST_END, stream);
    write_byte(PL_EXTRA_TAG, stream);
    write_string(pl->extra.c_str(), stream);
    write_byte(pl->flags, stream);
    write_string(pl->sheet_path.c_str(), stream);
    write_long(pl->device, stream);
    write_point(pl->pos, stream);
    write_sstr(&pl->part_name, stream);
    write_byte(PL_STAMP_TAG, stream);
    write_long(static_cast<int32_t>(pl->time_stamp), stream);
    write_item_id(pl, stream);
    write_byte(PL_SCALE_TAG, stream);
    write_byte(pl->scale, stream);
}

void awrite_PlacedPart(Library*, const PlacedPart* pl, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(PARTLIB %s 0x%08X %s %s ", quote_string(pl->part_name.get()).c_str(),
                 static_cast<unsigned>(pl->time_stamp),
                 config_format_double(pl_get_scale(pl)).c_str(),
                 pl->flags & PL_POWERON ? "POWERON" : "POWEROFF");
    put_newline(stream);
    write_indent(stream, level + 1);
    if (pl->flags & PL_MX) std::fputs("MX ", stream);
    if (pl->flags & PL_MY) std::fputs("MY ", stream);
    std::fputs(rotation_words[pl->flags & PL_ROT_MASK], stream);
    std::fputs(pl->flags & PL_CONVERT ? "CONVERT_PART " : "NORMAL_PART ", stream);
    std::fprintf(stream, "DEVICE %d ", static_cast<int>(pl->device));
    write_POS(pl->pos, stream, -1);
    put_newline(stream);
    if (!pl->sheet_path.empty()) {
        write_indent(stream, level + 1);
        std::fprintf(stream, "SHEETPATH %s", quote_string(pl->sheet_path.c_str()).c_str());
        put_newline(stream);
    }
    awrite_Attribute(&pl->reference, stream, level + 1);
    awrite_Attribute(&pl->value, stream, level + 1);
    for (const Attribute* attribute : list_items<const Attribute>(pl->attributes))
        awrite_Attribute(attribute, stream, level + 1);
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

void matrix_PlacedPart(PlacedPart* pl, const Matrix* matrix) {
    matrix_Attribute(&pl->reference, matrix);
    matrix_Attribute(&pl->value, matrix);
    for (Attribute* attribute : list_items<Attribute>(pl->attributes))
        matrix_Attribute(attribute, matrix);
    matrix_apply(matrix, pl->pos, &pl->pos);
}

void flag_PlacedPart(PlacedPart* pl) {
    flag_Attribute(&pl->reference);
    flag_Attribute(&pl->value);
    for (Attribute* attribute : list_items<Attribute>(pl->attributes)) flag_Attribute(attribute);
    flagop_apply(&pl->state);
    if (pl->part) flag_Part(pl->part);
}

// --- part, pins and placement ----------------------------------------------------------------
Part* pl_get_part(Library* library, PlacedPart* pl) {
    if (!pl->part && library) {
        LibEntry* entry = find_LibEntry(library, pl->part_name.get());
        if (entry) pl->part = entry->part;
    }
    return pl->part;
}

PinList* pl_own_pins(const PlacedPart* pl, const Part* part) {
    // Own pins are usable only for the device count of the part they belong
    // to: a table made for another count would be read past its numbers.
    return pl->own_pins && part && pl->own_pins_devices == part->devices ? pl->own_pins : nullptr;
}

PinList* pl_pins_in_use(Library* library, PlacedPart* pl) {
    Part* part = pl_get_part(library, pl);
    if (!part) return nullptr;
    PinList* own = pl_own_pins(pl, part);
    return own ? own : form_pins(pl, part);
}

void pl_matrix(const PlacedPart* pl, Matrix* matrix, Matrix* inverse) {
    double scale = pl_get_scale(pl);
    matrix_scale(matrix, scale, scale, inverse);
    if (pl->flags & PL_MX) matrix_mirror(matrix, 1, inverse);
    if (pl->flags & PL_MY) matrix_mirror(matrix, 0, inverse);
    int rotation = pl->flags & PL_ROT_MASK;
    if (rotation) matrix_rotate(matrix, rotation_codes[rotation], inverse);
    matrix_translate(matrix, pl->pos.x, pl->pos.y, inverse);
}

double pl_get_scale(const PlacedPart* pl) {
    if (pl->scale == 0) return 1.0;
    return scale_table[__builtin_ctz(pl->scale)];
}

Part* pl_body_sides(Library* library, PlacedPart* pl, Rect* rect, bool* top, bool* left,
                    bool* right, bool* bottom) {
    Part* part = pl_get_part(library, pl);
    const double scale = pl_get_scale(pl);
    Rect r{pl->pos.x, pl->pos.y, 0, 0};
    Sides s;
    if (part) {
        r.w = trunc32(part->body.w * scale);
        r.h = trunc32(part->body.h * scale);
        PinList* pins = pl_pins_in_use(library, pl);
        for (const Pin* pin : list_items<const Pin>(pins ? pins->pins : nullptr)) {
            if (pin->type == PWR) continue;
            switch (pin->flags & PIN_SIDE_MASK) {
                case LEFT: s.left = true; break;
                case RIGHT: s.right = true; break;
                case TOP: s.top = true; break;
                default: s.bottom = true; break;
            }
        }
    }
    orient(pl, &r, &s);
    make_positive(&r);
    *rect = r;
    *top = s.top;
    *left = s.left;
    *right = s.right;
    *bottom = s.bottom;
    return part;
}

Part* pl_body_rect(Schema* doc, PlacedPart* pl, Rect* rect) {
    Part* part = pl_get_part(doc_library(doc), pl);
    Point size{part ? part->body.w : 0, part ? part->body.h : 0};
    Matrix m;
    pl_matrix(pl, &m);
    m.m[2][0] = m.m[2][1] = 0.0;  // the size only: no translation
    matrix_apply(&m, size, &size);
    Rect r{pl->pos.x, pl->pos.y, size.x, size.y};
    make_positive(&r);
    *rect = r;
    return part;
}

bool pl_bounds(Schema* doc, Library* library, PlacedPart* pl, Rect* rect, bool accumulate) {
    Rect r;
    bool top, left, right, bottom;
    pl_body_sides(library, pl, &r, &top, &left, &right, &bottom);
    int64_t x = r.x, y = r.y, w = r.w, h = r.h;
    if (left) x -= PIN_LONG, w += PIN_LONG;
    if (right) w += PIN_LONG;
    if (top) y -= PIN_LONG, h += PIN_LONG;
    if (bottom) h += PIN_LONG;
    r = make_rect(x, y, w, h);
    if (pl->powers && (pl->flags & PL_POWERON))
        for (Power* power : list_items<Power>(pl->powers)) bounds_Power(doc, power, &r, true);
    return put_bounds(rect, r, accumulate);
}

bool extent_PlacedPart(Schema* doc, PlacedPart* pl, Rect* rect) {
    Part* part = pl_get_part(doc_library(doc), pl);
    if (!part) return false;
    Vectors* body = form_body(pl, part);
    bool any = body && bounds_Vectors(doc, body, rect, false);
    PinList* pins = pl_pins_in_use(doc_library(doc), pl);
    for (const Pin* pin : list_items<const Pin>(pins ? pins->pins : nullptr)) {
        Rect r = pin_extent(pin);
        Sides unused;
        orient(pl, &r, &unused);
        make_positive(&r);
        any = put_bounds(rect, r, any);
    }
    return any;
}

double distance_PlacedPart(Library* library, PlacedPart* pl, Point p, uint32_t mask,
                           double tolerance, uint32_t hit_bit) {
    if (!mask_matches(pl->state, mask)) return FAR_AWAY;
    Rect r;
    bool top, left, right, bottom;
    pl_body_sides(library, pl, &r, &top, &left, &right, &bottom);
    double d = rect_contains_point(r, p) ? 0.0 : point_distance(p, pl->pos);
    return mark_hit(pl, d, tolerance, hit_bit);
}

bool select_PlacedPart(View* view, PlacedPart* pl, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, pl, mask) || !view_point_in_select(view, pl->pos)) return false;
    mark_picked(pl, bit | STATE_BOTH_ENDS, operation);
    return true;
}

// --- references ---------------------------------------------------------------------------------
const char* pl_reference_text(Library* library, PlacedPart* pl) {
    static std::string text;
    text = pl->reference.text.get();
    Part* part = pl_get_part(library, pl);
    if (part && part->devices >= 2)
        text += pl->device >= 0 && pl->device < 26 ? static_cast<char>('A' + pl->device) : '?';
    return text.c_str();
}

void pl_set_reference(Library* library, PlacedPart* pl, const char* text) {
    std::string reference = text ? text : "";
    Part* part = pl_get_part(library, pl);
    if (part && part->devices >= 2 && !reference.empty()) {
        char letter = reference.back();
        // Only a letter that names one of the package's devices is a device.
        if (letter >= 'A' && letter <= 'Z' && letter - 'A' < part->devices) {
            pl->device = letter - 'A';
            reference.pop_back();
        }
    }
    pl->reference.text.set(reference.c_str());
    drop_own_pins(pl);
}

// --- own pins and power symbols --------------------------------------------------------------------
int pl_make_own_pins(Library* library, PlacedPart* pl) {
    Part* part = pl_get_part(library, pl);
    if (!part) return 0;
    drop_unfit_own_pins(pl, part);
    if (pl->own_pins) return 0;
    PinList* pins = form_pins(pl, part);
    pl->own_pins = pins ? copy_PinList(pins, part->devices) : new_PinList();
    if (!pl->own_pins) no_memory();
    pl->own_pins_devices = part->devices;
    return 0;
}

int pl_swap_pins(Library* library, PlacedPart* pl, const char* number1, const char* number2) {
    pl_make_own_pins(library, pl);
    const std::string first = number1 ? number1 : "";
    const std::string second = number2 ? number2 : "";
    Pin* pin1 = find_Pin_by_number(pl->own_pins, first.c_str(), pl->device);
    Pin* pin2 = find_Pin_by_number(pl->own_pins, second.c_str(), pl->device);
    if (!pin1 || !pin2) return 78;
    if (pin1->type != pin2->type) return 79;
    if (pin1->flags != pin2->flags) return 80;
    set_pin_number(pin1, pl->device, second.c_str());
    set_pin_number(pin2, pl->device, first.c_str());
    Part* part = pl_get_part(library, pl);
    if (part && pinlist_numbers_equal(pl->own_pins, form_pins(pl, part), part->devices))
        drop_own_pins(pl);
    return 0;
}

void pl_free_power_list(Schema*, PlacedPart* pl) {
    if (pl->powers) dlist_free(pl->powers, LIST_FROM_HEAD, free_power_cb);
    pl->powers = nullptr;
}

void pl_build_power_list(Schema* doc, PlacedPart* pl) {
    pl_free_power_list(doc, pl);
    PinList* pins = pl_pins_in_use(doc_library(doc), pl);
    if (!pins) return;
    List* powers = list_new();
    if (!powers) no_memory();
    Matrix m;
    pl_matrix(pl, &m);
    for (const Pin* pin : list_items<const Pin>(pins->pins)) {
        if (pin->type != PWR || !pin->drawing || !pin->drawing->items) continue;
        const Line* line = nullptr;
        for (const Item* item : list_items<const Item>(pin->drawing->items))
            if (item->type == LINE_ITEM) {
                line = as_Line(item);
                break;
            }
        if (!line) continue;
        Point a, b;
        matrix_apply(&m, line->pos, &a);
        matrix_apply(&m, line->end, &b);
        Power* power = new_Power();
        if (!power) no_memory();
        power->name = pin->name;
        power->pos = a;
        power->flags = POWER_BAR;
        if ((pin->flags & PIN_DISPLAY) && !(pin->flags & PIN_SHOW_NAME))
            power->flags |= POWER_NAME_HIDDEN;
        if (a.x != b.x)
            power->flags |= a.x < b.x ? 3 : 1;
        else if (b.y <= a.y)
            power->flags |= 2;
        if (!dlist_append(powers, power)) free_Power(power, false);
    }
    if (powers->count == 0) {
        dlist_free(powers, LIST_FROM_HEAD, nullptr);
        return;
    }
    pl->powers = powers;
}

void pl_make_power_list(Schema* doc, PlacedPart* pl) { pl_build_power_list(doc, pl); }

int pl_count_pins(Schema* doc, PlacedPart* pl, bool power_only) {
    Part* part = pl_get_part(doc_library(doc), pl);
    PinList* pins = form_pins(pl, part);
    int others = 0, powers = 0;
    for (const Pin* pin : list_items<const Pin>(pins ? pins->pins : nullptr)) {
        if (pin->type != PWR)
            ++others;
        else if (pl->device == 0)
            ++powers;
    }
    return power_only ? powers : others + powers;
}

// --- attributes ----------------------------------------------------------------------------------
std::string pl_expand_pattern(const PlacedPart* pl, const char* pattern) {
    std::string text;
    PlacedPart* part = const_cast<PlacedPart*>(pl);
    for (const char* c = pattern ? pattern : ""; *c; ++c) {
        if (*c == 'R' || *c == 'r') {
            text += pl->reference.text.get();
        } else if (*c == 'V' || *c == 'v') {
            text += pl->value.text.get();
        } else if (*c >= '1' && *c <= '8') {
            const Attribute* attribute = pl_get_attribute(part, *c - '1' + 2);
            text += attribute ? attribute->text.get() : "NULL";
        } else {
            text += *c;
        }
    }
    return text;
}

void pl_place_attribute(Schema*, Library* library, PlacedPart* pl, int i) {
    Attribute* attribute = pl_get_attribute(pl, i);
    if (!attribute) return;
    attribute->pos = pl_attribute_place(library, pl, i);
    drop_Attribute_layout(attribute);
    attribute->flags |= SET;
}

Point pl_attribute_place(Library* library, PlacedPart* pl, int i) {
    Rect r;
    bool top, left, right, bottom;
    pl_body_sides(library, pl, &r, &top, &left, &right, &bottom);
    const int property = i == 0 ? FONT_PARTREF : i == 1 ? FONT_PARTVAL : FONT_USERFIELD;
    const int64_t w = font_height(property);
    const int64_t h = font_text_height(property);
    const int64_t href = font_text_height(FONT_PARTREF);
    const int64_t hval = font_text_height(FONT_PARTVAL);
    const int64_t rx = r.x, ry = r.y, rw = r.w, rh = r.h;
    int64_t x = 0, y = 0;
    if (i >= 2) {
        x = rx + rw + w;
        if (right)
            y = ry + rh + h + (i - 2) * h;
        else if (!top && !bottom)
            y = ry + h + (i - 2) * h;
        else
            y = ry + h + (i - 2) * h + href + hval;
    } else if (!top && !bottom) {
        x = rx + rw / 2;
        y = i == 1 ? ry + rh + 3 * h / 2 : ry - h / 2;
    } else {
        x = rx + rw + w;
        if (!right) {
            y = ry + h;
            if (i == 1) y += href;
        } else {
            y = ry - h / 2;
            if (i == 1) y -= hval;
        }
    }
    return {trunc32(static_cast<double>(x)), trunc32(static_cast<double>(y))};
}

int pl_place_attribute_if_unset(Schema* doc, Library* library, PlacedPart* pl, int i) {
    const Attribute* attribute = pl_get_attribute(pl, i);
    if (attribute && !(attribute->flags & SET)) pl_place_attribute(doc, library, pl, i);
    return 0;
}

void pl_unset_attribute_places(PlacedPart* pl) {
    pl_attr_flags(pl, true, static_cast<uint8_t>(~SET));
}

void pl_place_unset_attributes(Schema* doc, Library* library, PlacedPart* pl) {
    for (int i = 0;; ++i) {
        const Attribute* attribute = pl_get_attribute(pl, i);
        if (!attribute) return;
        if (!(attribute->flags & SET)) pl_place_attribute(doc, library, pl, i);
    }
}

Line* attribute_leader_line(Schema* doc, PlacedPart* pl, int i) {
    const Attribute* attribute = pl_get_attribute(pl, i);
    if (!attribute) return nullptr;
    Rect r;
    pl_body_rect(doc, pl, &r);
    Line* line = new_Line();
    if (!line) return nullptr;
    line->pos = {static_cast<int32_t>(int64_t{r.x} + r.w / 2),
                 static_cast<int32_t>(int64_t{r.y} + r.h / 2)};
    line->end = attribute->pos;
    line->flags = 3;
    line->state |= 0x408;
    return line;
}

void date_fill_if_unset(char* text, size_t capacity) {
    if (!text || capacity == 0) return;
    size_t length = strnlen(text, capacity);
    if (length >= 6 && text[2] == '/' && text[5] == '/') return;
    std::string today = date_string();
    size_t n = std::min(today.size(), capacity - 1);
    std::memcpy(text, today.data(), n);
    text[n] = '\0';
}
