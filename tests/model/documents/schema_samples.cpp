#include "model/documents/schema_samples.h"

#include <random>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/erc_mark.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_fixture.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/view.h"

namespace schema_samples {

namespace {

void append(List* list, SchItem* item) {
    if (!dlist_append(list, item)) no_memory();
}

void add_font(Schema* schema, int number, const char* face, int size) {
    if (!schema->fonts) schema->fonts = list_new();
    Font* font = new_Font();
    font->number = number;
    font->size = size;
    font->height = static_cast<int>(size / 7.5);
    font->weight = 700;
    font_set_face(font, face);
    if (!dlist_append(schema->fonts, font)) no_memory();
}

Port* port(const char* name, uint8_t flags, Point at) {
    Port* p = new_Port();
    p->name.set(name);
    p->flags = flags;
    p->pos = at;
    return p;
}

void add_random_items(Schema* schema, int count, uint32_t seed) {
    std::mt19937 rng(seed);
    auto coord = [&] { return static_cast<int32_t>(rng() % 200000) - 100000; };
    List* items = schema->sheet->items;
    for (int i = 0; i < count; ++i) {
        Point at{coord(), coord()};
        switch (rng() % 4) {
            case 0: {
                Line* line = new_Line();
                line->flags = static_cast<uint8_t>(rng() % 3);
                line->pos = at;
                line->end = Point{at.x + 1000, at.y};
                append(items, line);
                break;
            }
            case 1: {
                Text* text = new_Text();
                text->string = "NET" + std::to_string(i);
                text->pos = at;
                text->flags = (rng() % 2) ? LABEL : 0;
                text->font = (rng() % 2) ? FONT_ID_BASE + 1 : 0;
                set_TextSize(&text->size, 500);
                append(items, text);
                break;
            }
            case 2: {
                Junction* junction = new_Junction();
                junction->pos = at;
                junction->width = SMALL;
                junction->flags = CIRCULAR;
                append(items, junction);
                break;
            }
            default: {
                PlacedPart* pl = new_PlacedPart();
                pl->part_name.set("7400");
                pl->pos = at;
                pl->device = static_cast<int32_t>(rng() % 2);
                pl->time_stamp = rng();
                pl->reference.text.set(("U" + std::to_string(i)).c_str());
                pl->value.text.set("7400");
                append(items, pl);
                break;
            }
        }
    }
}

}  // namespace

void add_rich_document(Schema* schema, int random_items, uint32_t seed) {
    sheet_test::add_every_kind(schema);
    sheet_test::add_titleblock(schema);
    for (int field = 1; field <= SCHEMA_STRING_FIELDS; ++field)
        schema_set_field(schema, field, ("F" + std::to_string(field)).c_str());
    schema_set_field(schema, FIELD_CREATDATE, "01/02/95");
    schema_set_field(schema, FIELD_TITLE, "Rich sheet: \"all\" sections");
    schema->sheet_size = 7;
    schema->ansi_grid = 1;
    add_font(schema, 1, "Arial", 1200);
    add_font(schema, 3, "Courier New", 800);
    schema->ports = list_new();
    append(schema->ports, port("RESET", PORT_INPUT, Point{0, 5000}));
    append(schema->ports, port("Q", PORT_RIGHT | PORT_OUTPUT, Point{90000, 5000}));
    schema->erc_list = list_new();
    for (int i = 0; i < 2; ++i) {
        ErcMark* mark = new_ErcMark();
        mark->pos = Point{1000 * i, 2000};
        mark->number = 3 + i * 10000;
        append(schema->erc_list, mark);
    }
    copy_field(schema->erc_report, sizeof schema->erc_report, "rich.erc");
    view_set_tag(&schema->view, 0, Point{100, 200});
    view_set_tag_name(&schema->view, 0, "Input stage");
    view_set_tag(&schema->view, 3, Point{-5, 7});
    view_set_saved(&schema->view, 1, Point{3000, 4000}, 2.5);
    view_set_saved_name(&schema->view, 1, "Zoomed");
    add_random_items(schema, random_items, seed);
}

std::string mask_today(std::string text) {
    const std::string today = date_string();
    for (size_t at = text.find(today); at != std::string::npos; at = text.find(today, at))
        text.replace(at, today.size(), std::string(today.size(), '#'));
    return text;
}

Bytes mask_today(Bytes bytes) {
    std::string text = mask_today(std::string(bytes.begin(), bytes.end()));
    return Bytes(text.begin(), text.end());
}

}  // namespace schema_samples
