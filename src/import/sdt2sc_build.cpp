// The builders of the library-source parser (see sdt2sc_context.h).
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "import/sdt2sc_context.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

constexpr double UNITS = 1000.0;

template <class T>
void take(std::vector<T*>& pending, T* record) {
    pending.erase(std::remove(pending.begin(), pending.end(), record), pending.end());
}

bool fits(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

template <class R>
R* made(R* record) {
    if (!record) no_memory();
    return record;
}

// The angle of an arc end seen from the centre, in degrees.
double end_angle(Point offset) {
    if (offset.x == 0 && offset.y == 0) return 0;
    if (offset.x == 0) return offset.y >= 0 ? -90 : 90;
    return -std::atan2(static_cast<double>(offset.y), static_cast<double>(offset.x)) * 180.0 / M_PI;
}

}  // namespace

size_t Sdt2scContext::read(char* buffer, size_t max) {
    if (file) {
        size_t n = std::fread(buffer, 1, max, file);
        if (n == 0 && std::ferror(file)) read_failed = true;
        return n;
    }
    size_t n = std::min(max, text.size() - text_at);
    std::memcpy(buffer, text.data() + text_at, n);
    text_at += n;
    return n;
}

int Sdt2scContext::keep(std::string text) {
    strings.push_back(std::move(text));
    return static_cast<int>(strings.size() - 1);
}

const char* Sdt2scContext::string(int index) const {
    return strings[static_cast<size_t>(index)].c_str();
}

bool sdt2sc_scale(double value, int32_t* out) {
    const double scaled = std::trunc(value * UNITS);
    if (!std::isfinite(scaled) || scaled < std::numeric_limits<int32_t>::min() ||
        scaled > std::numeric_limits<int32_t>::max())
        return false;
    *out = static_cast<int32_t>(scaled);
    return true;
}

void sdt2sc_error(Sdt2scContext* ctx, const char* message) {
    if (ctx->report)
        ctx->report("sdt2sc : Error : %s at line %d\n", message, ctx->line);
    else
        log_printf("sdt2sc : Error : %s at line %d\n", message, ctx->line);
}

Library* sdt2sc_new_library(const char* name) {
    Library* library = made(new_Library());
    set_Library_name(library, name);
    return library;
}

int sdt2sc_add_prefix(Sdt2scContext* ctx, const char* prefix, const char* expansion) {
    Prefix* p = made(new_Prefix());
    p->prefix.set(prefix);
    p->expansion.set(expansion);
    if (!dlist_append(ctx->library->prefixes, p)) no_memory();
    return 0;
}

void sdt2sc_new_part(Sdt2scContext* ctx) {
    if (ctx->part) unref_Part(ctx->part);
    ctx->part = made(new_Part());
    ref_Part(ctx->part);
}

void sdt2sc_add_entry(Sdt2scContext* ctx, const char* name, const char* sheet_path) {
    LibEntry* entry = made(new_LibEntry());
    entry->name.set(name);
    entry->part = ctx->part;
    ref_Part(ctx->part);
    if (LibEntry* old = lib_insert_entry(ctx->library, entry)) free_LibEntry(old);
    if (sheet_path && *sheet_path) set_Part_sheet_path(ctx->part, sheet_path);
}

void sdt2sc_reference(Sdt2scContext* ctx, const char* prefix) { ctx->part->prefix.set(prefix); }

int sdt2sc_header(Sdt2scContext* ctx, int width, int height, int type, int devices) {
    int32_t w = 0, h = 0;
    if (!sdt2sc_scale(width, &w) || !sdt2sc_scale(height, &h)) return 1;
    if (devices < 0 || devices > MAX_PART_DEVICES) return 1;
    // No device count: one device whose pins are known by name alone.
    ctx->numbered = devices > 0;
    if (devices == 0) devices = 1;
    ctx->part->body = Rect{0, 0, w, h};
    ctx->part->type = static_cast<uint8_t>(type);
    set_Part_devices(ctx->part, devices);
    return 0;
}

void sdt2sc_set_bodies(Sdt2scContext* ctx, Sdt2scBody normal, Sdt2scBody convert) {
    Part* part = ctx->part;
    auto hang = [&](Sdt2scBody body, Vectors** vectors, PinList** pins) {
        if (body.vectors) {
            take(ctx->pending_vectors, body.vectors);
            *vectors = body.vectors;
            ref_Vectors(body.vectors);
        }
        if (body.pins) {
            take(ctx->pending_pins, body.pins);
            *pins = body.pins;
        }
    };
    hang(normal, &part->normal, &part->normal_pins);
    hang(convert, &part->convert, &part->convert_pins);
}

Vectors* sdt2sc_vector_def(Sdt2scContext* ctx) {
    ctx->definition = made(new_Vectors());
    ctx->pending_vectors.push_back(ctx->definition);
    return ctx->definition;
}

static Vectors* vector_ref(Sdt2scContext* ctx, const char* name, uint8_t mode) {
    Vectors* set = made(new_Vectors());
    set->saved_mode = mode;
    set->name.set(name);
    ctx->pending_vectors.push_back(set);
    return set;
}

Vectors* sdt2sc_vector_ref_normal(Sdt2scContext* ctx, const char* name) {
    return vector_ref(ctx, name, NORMALOF_VEC);
}

Vectors* sdt2sc_vector_ref_convert(Sdt2scContext* ctx, const char* name) {
    return vector_ref(ctx, name, CONVERTOF_VEC);
}

void sdt2sc_add_item(Sdt2scContext* ctx, Item* item) {
    item->width = 1;
    if (!dlist_append(ctx->definition->items, item)) no_memory();
}

int sdt2sc_line(Sdt2scContext* ctx, Point a, Point b) {
    Line* line = made(new_Line());
    line->pos = a;
    line->end = b;
    sdt2sc_add_item(ctx, line);
    return 0;
}

int sdt2sc_arc(Sdt2scContext* ctx, Point centre, Point start, Point end) {
    const int64_t sx = int64_t{centre.x} + start.x, sy = int64_t{centre.y} + start.y;
    const int64_t ex = int64_t{centre.x} + end.x, ey = int64_t{centre.y} + end.y;
    if (!fits(sx) || !fits(sy) || !fits(ex) || !fits(ey)) return 1;
    Arc* arc = made(new_Arc());
    arc->pos = centre;
    arc->start = Point{static_cast<int32_t>(sx), static_cast<int32_t>(sy)};
    arc->end = Point{static_cast<int32_t>(ex), static_cast<int32_t>(ey)};
    int sweep = static_cast<int>(end_angle(end) - end_angle(start));
    while (sweep < 1) sweep += 360;
    while (sweep > 360) sweep -= 360;
    arc->dir = sweep > 90 ? 1 : 0;
    sdt2sc_add_item(ctx, arc);
    return 0;
}

int sdt2sc_circle(Sdt2scContext* ctx, Point centre, double radius) {
    int32_t r = 0;
    if (!sdt2sc_scale(radius, &r) || !fits(int64_t{centre.x} - r)) return 1;
    Circle* circle = made(new_Circle());
    circle->pos = centre;
    circle->on = Point{centre.x - r, centre.y};
    sdt2sc_add_item(ctx, circle);
    return 0;
}

int sdt2sc_fill(Sdt2scContext* ctx, Point seed) {
    Fill* fill = made(new_Fill());
    fill->pos = seed;
    sdt2sc_add_item(ctx, fill);
    return 0;
}

int sdt2sc_text(Sdt2scContext* ctx, Point at, double width, const char* string, int font) {
    int32_t w = 0;
    if (!sdt2sc_scale(width, &w) || w < 0 || w > std::numeric_limits<int16_t>::max() ||
        w * fproper_get(ASPECT_RATIO) > std::numeric_limits<int16_t>::max())
        return 1;
    Text* text = made(new_Text());
    text->pos = at;
    set_TextSize(&text->size, w);
    text->string = string;
    text->font = font;
    sdt2sc_add_item(ctx, text);
    return 0;
}

int sdt2sc_pin_start(Sdt2scContext* ctx, int side, int offset) {
    int32_t at = 0;
    if (!sdt2sc_scale(offset, &at)) return 1;
    const Rect& body = ctx->part->body;
    ctx->pin = made(new_Pin(ctx->part->devices));
    ctx->device = 0;
    ctx->pin->flags = static_cast<uint8_t>(side);
    switch (side) {
        case TOP: ctx->pin->pos = Point{at, 0}; break;
        case BOTTOM: ctx->pin->pos = Point{at, body.h}; break;
        case LEFT: ctx->pin->pos = Point{0, at}; break;
        default: ctx->pin->pos = Point{body.w, at}; break;
    }
    return 0;
}

int sdt2sc_pin_number(Sdt2scContext* ctx, const char* number) {
    if (!ctx->numbered) return *number ? 1 : 0;  // only the empty number (0) fits
    if (ctx->device >= ctx->part->devices) return 1;
    set_pin_number(ctx->pin, ctx->device++, number);
    return 0;
}

void sdt2sc_pin_flag(Sdt2scContext* ctx, int flag) {
    ctx->pin->flags |= static_cast<uint8_t>(flag);
}

Pin* sdt2sc_pin_name(Sdt2scContext* ctx, int type, const char* name) {
    Pin* pin = ctx->pin;
    pin->type = static_cast<uint8_t>(type);
    pin->name.set(name);
    return pin;
}

PinList* sdt2sc_pin_append(Sdt2scContext* ctx, PinList* list, Pin* pin) {
    if (!list) {
        list = made(new_PinList());
        ctx->pending_pins.push_back(list);
    }
    if (!dlist_append(list->pins, pin)) no_memory();
    ctx->pin = nullptr;
    return list;
}

void sdt2sc_release(Sdt2scContext* ctx) {
    free_Pin(ctx->pin);
    ctx->pin = nullptr;
    const int devices = ctx->part ? ctx->part->devices : 0;
    for (PinList* list : ctx->pending_pins) free_PinList(list, devices);
    ctx->pending_pins.clear();
    for (Vectors* set : ctx->pending_vectors) free_Vectors(set);
    ctx->pending_vectors.clear();
    ctx->definition = nullptr;
    if (ctx->part) unref_Part(ctx->part);
    ctx->part = nullptr;
}
