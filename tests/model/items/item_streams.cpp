#include "model/items/item_streams.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/list.h"
#include "support/test_env.h"

namespace items_test {

int read_one(const Bytes& bytes, ItemPtr* out) {
    out->reset(bytes.empty() ? nullptr : new_Item(bytes[0] - ITEM_TAG_BASE));
    if (!*out) return NOT_MY_TAG;
    StreamPtr stream = stream_of(bytes);
    return read_Item(out->get(), stream.get());
}

namespace {

template <class R>
R* made(int code) {
    return static_cast<R*>(new_Item(code));
}

}  // namespace

ItemPtr sample_line() {
    Line* line = made<Line>(LINE_ITEM);
    line->flags = DRAW | 0x04;
    line->pos = {-100, 250};
    line->end = {3000, 250};
    line->width = 150;
    return ItemPtr(line);
}

ItemPtr sample_arc() {
    Arc* arc = made<Arc>(ARC_ITEM);
    arc->flags = BUS;
    arc->pos = {1000, 1000};
    arc->start = {1500, 1000};
    arc->end = {1000, 1500};
    arc->dir = 1;
    return ItemPtr(arc);
}

ItemPtr sample_circle() {
    Circle* circle = made<Circle>(CIRCLE_ITEM);
    circle->flags = FILLED | DRAW;
    circle->pos = {0, 0};
    circle->on = {300, -400};
    circle->width = 20;
    return ItemPtr(circle);
}

ItemPtr sample_rect() {
    Boite* box = made<Boite>(BOITE_ITEM);
    box->flags = 0x08;
    box->pos = {700, -200};
    box->corner = {-300, 900};
    return ItemPtr(box);
}

ItemPtr sample_fill() {
    Fill* fill = made<Fill>(FILL_ITEM);
    fill->pos = {10, 20};
    dlist_append(fill->items, sample_line().release());
    dlist_append(fill->items, sample_arc().release());
    Fill* inner = made<Fill>(FILL_ITEM);
    inner->pos = {5, 5};
    dlist_append(inner->items, sample_circle().release());
    dlist_append(fill->items, inner);
    Text* text = made<Text>(TEXT_ITEM);
    text->pos = {-40, 60};
    text->string = "Q1";
    text->size = {600, 900};
    dlist_append(fill->items, text);
    return ItemPtr(fill);
}

ItemPtr sample_junction() {
    Junction* junction = made<Junction>(JUNCTION_ITEM);
    junction->pos = {1200, -3400};
    junction->width = MEDIUM;
    junction->flags = DIAMOND;
    return ItemPtr(junction);
}

ItemPtr sample_poly() {
    Poly* poly = made<Poly>(POLY_ITEM);
    poly->flags = DRAW;
    poly->width = 60;
    poly->points = {{0, 0}, {400, 0}, {400, 300}, {-50, -70000}};
    return ItemPtr(poly);
}

void expect_golden(const std::string& name, const Bytes& actual) {
    tn_test::expect_golden("model/items/" + name, actual);
}

}  // namespace items_test
