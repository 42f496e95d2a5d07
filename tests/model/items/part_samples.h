#pragma once
// Library parts, pins and vector sets for tests: records with every field
// set, the same on every call. Header-only, so that the item and the
// document test programs can both use it.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

namespace part_samples {

struct PartFree {
    void operator()(Part* part) const {
        part->refs = 0;
        free_Part(part);
    }
};
using PartPtr = std::unique_ptr<Part, PartFree>;

struct VectorsFree {
    void operator()(Vectors* set) const {
        set->refs = 0;
        free_Vectors(set);
    }
};
using VectorsPtr = std::unique_ptr<Vectors, VectorsFree>;

struct PinFree {
    void operator()(Pin* pin) const { free_Pin(pin); }
};
using PinPtr = std::unique_ptr<Pin, PinFree>;

inline Item* line_item(Point a, Point b) {
    Line* line = as_Line(new_Item(LINE_ITEM));
    line->pos = a;
    line->end = b;
    return line;
}

inline Item* text_item(Point at, const char* string) {
    Text* text = as_Text(new_Item(TEXT_ITEM));
    text->pos = at;
    text->string = string;
    text->size = {500, 750};
    return text;
}

// The drawing of a normal body: outline, a notch arc, a line and a text.
inline Vectors* sample_normal_body() {
    Vectors* set = new_Vectors();
    Boite* box = as_Rect(new_Item(BOITE_ITEM));
    box->pos = {-2000, -3000};
    box->corner = {2000, 3000};
    box->flags = 1;
    dlist_append(set->items, box);
    Arc* arc = as_Arc(new_Item(ARC_ITEM));
    arc->pos = {0, -3000};
    arc->start = {500, -3000};
    arc->end = {-500, -3000};
    dlist_append(set->items, arc);
    dlist_append(set->items, line_item({-1000, 0}, {1000, 0}));
    dlist_append(set->items, text_item({0, 1000}, "&"));
    return set;
}

// The converted drawing: a circle and a fill around a line.
inline Vectors* sample_convert_body() {
    Vectors* set = new_Vectors();
    Circle* circle = as_Circle(new_Item(CIRCLE_ITEM));
    circle->pos = {0, 0};
    circle->on = {2000, 0};
    dlist_append(set->items, circle);
    Fill* fill = as_Fill(new_Item(FILL_ITEM));
    fill->pos = {100, 100};
    dlist_append(fill->items, line_item({0, 0}, {300, 300}));
    dlist_append(set->items, fill);
    return set;
}

inline Pin* sample_pin(const char* name, uint8_t type, uint8_t flags, Point pos, int devices,
                       int first_number) {
    Pin* pin = new_Pin(devices);
    pin->name.set(name);
    pin->type = type;
    pin->flags = flags;
    pin->pos = pos;
    for (int d = 0; d < devices; ++d)
        set_pin_number(pin, d, std::to_string(first_number + d * 14).c_str());
    return pin;
}

// Pins of every type, shape and side (and the display bits that only the
// binary form keeps).
inline PinList* sample_normal_pins(int devices) {
    struct PinSample {
        const char* name;
        uint8_t type;
        uint8_t flags;
        Point pos;
    };
    const PinSample samples[] = {
        {"A", PIN_IN, LEFT, {-2000, -2000}},
        {"Y", PIN_OUT, RIGHT | SHORT, {2000, -2000}},
        {"D0", PIN_IO, TOP | DOT, {0, -3000}},
        {"OC", PIN_OC, BOTTOM | CLOCK, {0, 3000}},
        {"CLK'", PIN_OE, LEFT | DOT | CLOCK | SHORT, {-2000, 0}},
        {"VCC", PWR, TOP | PIN_DISPLAY | PIN_SHOW_NUMBER, {1000, -3000}},
        {"R", PAS, RIGHT | PIN_DISPLAY | PIN_SHOW_NAME, {2000, 0}},
        {"EN", PIN_HIZ, BOTTOM | PIN_DISPLAY | PIN_SHOW_NAME | PIN_SHOW_NUMBER, {-1000, 3000}},
    };
    PinList* list = new_PinList();
    int number = 1;
    for (const PinSample& s : samples)
        dlist_append(list->pins, sample_pin(s.name, s.type, s.flags, s.pos, devices, number++));
    return list;
}

inline PinList* sample_convert_pins(int devices) {
    PinList* list = new_PinList();
    dlist_append(list->pins, sample_pin("A", PIN_IN, LEFT | DOT, {-2000, 0}, devices, 1));
    dlist_append(list->pins, sample_pin("Y", PIN_OUT, RIGHT, {2000, 0}, devices, 3));
    return list;
}

// A four-device part with both forms, a prefix and a sheet path.
inline PartPtr sample_part() {
    Part* part = new_Part();
    part->type = IEEE;
    set_Part_devices(part, 4);
    part->body = {-2000, -3000, 4000, 6000};
    part->prefix.set("U");
    set_Part_sheet_path(part, "sub\\nand'4.sch");
    part->normal = sample_normal_body();
    ref_Vectors(part->normal);
    part->convert = sample_convert_body();
    ref_Vectors(part->convert);
    part->normal_pins = sample_normal_pins(part->devices);
    part->convert_pins = sample_convert_pins(part->devices);
    return PartPtr(part);
}

}  // namespace part_samples
