#include "model/documents/sheet_fixture.h"

#include "foundation/core.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/compil.h"
#include "model/documents/erc_mark.h"
#include "model/documents/image.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace sheet_test {

namespace {
void quiet(const char*, ...) {}
}  // namespace

int compile_source(const std::string& source, int mode) {
    CompilBuilder syntax_only;
    return compil_string(source, mode, syntax_only, quiet);
}

void SheetTest::SetUp() {
    config_set_defaults();
    reset_services();
    reset_object_ids(1);
}

void SheetTest::TearDown() {
    reset_services();
    config_set_defaults();
}

SchemaPtr make_schema() {
    SchemaPtr schema(new_Schema());
    schema->sheet = new_Sheet();
    schema->current = schema->sheet;
    schema->library = new_Library();
    set_Library_name(schema->library, "$ACTIVE$");
    return schema;
}

namespace {

template <class R>
R* append(Schema* schema, R* item) {
    if (!dlist_append(schema->sheet->items, item)) no_memory();
    return item;
}

Pin* add_pin(PinList* pins, const char* name, uint8_t type, uint8_t side, Point pos, const char* n0,
             const char* n1) {
    Pin* pin = new_Pin(2);
    pin->name.set(name);
    pin->type = type;
    pin->flags = side;
    pin->pos = pos;
    set_pin_number(pin, 0, n0);
    set_pin_number(pin, 1, n1);
    dlist_append(pins->pins, pin);
    return pin;
}

Line* new_line(uint8_t flags, Point a, Point b) {
    Line* line = new_Line();
    line->flags = flags;
    line->pos = a;
    line->end = b;
    return line;
}

Text* new_text(const char* string, Point pos, uint8_t flags, int field) {
    Text* text = new_Text();
    text->string = string;
    text->pos = pos;
    text->flags = flags;
    text->field = field;
    set_TextSize(&text->size, 600);
    return text;
}

}  // namespace

Part* add_library_part(Schema* schema, const char* name) {
    Part* part = new_Part();
    set_Part_devices(part, 2);
    part->prefix.set("U");
    part->body = Rect{0, 0, 4000, 6000};
    part->normal = new_Vectors();
    ref_Vectors(part->normal);
    Boite* body = new_Rect();
    body->flags = DRAW;
    body->corner = Point{4000, 6000};
    dlist_append(part->normal->items, body);
    part->normal_pins = new_PinList();
    add_pin(part->normal_pins, "A", PIN_IN, LEFT, Point{0, 1000}, "1", "4");
    add_pin(part->normal_pins, "Y", PIN_OUT, RIGHT, Point{4000, 1000}, "3", "6");
    add_pin(part->normal_pins, "VCC", PWR, TOP, Point{2000, 0}, "14", "14");
    LibEntry* entry = new_LibEntry();
    entry->name.set(name);
    entry->part = part;
    ref_Part(part);
    LibEntry* replaced = lib_insert_entry(schema->library, entry);
    if (replaced) free_LibEntry(replaced);
    return part;
}

void add_every_kind(Schema* schema) {
    Fill* fill = new_Fill();
    fill->pos = Point{500, 500};
    dlist_append(fill->items, new_line(DRAW, Point{0, 0}, Point{1000, 0}));
    dlist_append(fill->items, new_line(DRAW, Point{1000, 0}, Point{0, 1000}));
    dlist_append(fill->items, new_line(DRAW, Point{0, 1000}, Point{0, 0}));
    append(schema, fill);

    Circle* circle = new_Circle();
    circle->flags = DRAW | FILLED;
    circle->pos = Point{3000, 3000};
    circle->on = Point{3500, 3000};
    append(schema, circle);

    Boite* box = new_Rect();
    box->flags = DRAW;
    box->pos = Point{-2000, -2000};
    box->corner = Point{-500, -1000};
    box->width = 50;
    append(schema, box);

    append(schema, new_line(0, Point{10000, 10000}, Point{20000, 10000}));
    append(schema, new_line(BUS, Point{10000, 12000}, Point{20000, 12000}));
    append(schema, new_line(DRAW | 0x04, Point{10000, 14000}, Point{12000, 16000}));

    Arc* arc = new_Arc();
    arc->flags = DRAW;
    arc->pos = Point{5000, 5000};
    arc->start = Point{6000, 5000};
    arc->end = Point{5000, 6000};
    arc->dir = 1;
    append(schema, arc);

    append(schema, new_text("DATA0", Point{11000, 9800}, LABEL, 0));

    Junction* junction = new_Junction();
    junction->pos = Point{15000, 10000};
    junction->width = MEDIUM;
    junction->flags = CIRCULAR;
    append(schema, junction);

    Poly* poly = new_Poly();
    poly->flags = DRAW;
    poly->points = {{0, 20000}, {1000, 21000}, {2000, 20000}};
    append(schema, poly);

    add_library_part(schema, "7400");
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set("7400");
    placed->pos = Point{30000, 10000};
    placed->device = 1;
    placed->flags = PL_POWERON | 0x01;
    placed->time_stamp = 0x12345678;
    placed->reference.text.set("U3");
    placed->reference.pos = Point{30000, 9000};
    placed->value.text.set("7400");
    placed->value.pos = Point{30000, 17000};
    append(schema, placed);

    Power* power = new_Power();
    power->name.set("VCC");
    power->flags = POWER_BAR;
    power->pos = Point{25000, 5000};
    append(schema, power);

    NoCon* nocon = new_NoCon();
    nocon->pos = Point{26000, 6000};
    append(schema, nocon);

    Port* port = new_Port();
    port->name.set("CLK");
    port->flags = PORT_RIGHT | PORT_INPUT;
    port->pos = Point{1000, 30000};
    append(schema, port);

    SubSheet* box2 = new_SubSheet();
    box2->pos = Point{40000, 40000};
    box2->size = Point{6000, 8000};
    box2->file_name = "child.sch";
    box2->sheet_name.set("CHILD");
    box2->time_stamp = 0x0BADCAFE;
    Port* entry = new_Port();
    entry->name.set("IN");
    entry->flags = PORT_INPUT;
    entry->pos = Point{0, 2000};
    dlist_append(box2->ports, entry);
    append(schema, box2);

    ErcMark* mark = new_ErcMark();
    mark->pos = Point{15000, 10000};
    mark->number = 10007;
    append(schema, mark);

    NetProp* label = new_NetProp();
    label->pos = Point{18000, 10000};
    label->name.set("POWERNET");
    label->track_width = 300;
    label->isolation = 200;
    label->via_size = 600;
    label->via_drill = 300;
    label->start_layer = 1;
    label->end_layer = 2;
    label->net_type = 3;
    append(schema, label);

    Image* image = new_Image();
    image->pos = Point{50000, 0};
    image->size = Point{4000, 3000};
    image->flags = 0x11;
    image->file_name = str_dup("logo.bmp");
    append(schema, image);
}

Font* add_font(List** table, int number, const char* face) {
    if (!*table) *table = list_new();
    Font* font = new_Font();
    font->number = number;
    font->size = 100;
    font->weight = 400;
    font_set_face(font, face);
    dlist_append(*table, font);
    return font;
}

void add_titleblock(Schema* schema) {
    TitleBlock* block = &schema->titleblock;
    dlist_append(block->fields, new_text("", Point{21000, 1000}, TBLOCK, FIELD_TITLE));
    dlist_append(block->fields, new_text("", Point{21000, 2000}, TBLOCK, FIELD_DOCNUMBER));
    dlist_append(block->fields, new_text("", Point{21000, 3000}, TBLOCK, FIELD_SHEETSIZE));
    Boite* frame = new_Rect();
    frame->flags = DRAW;
    frame->pos = Point{20000, 0};
    frame->corner = Point{40000, 4000};
    dlist_append(block->drawing, frame);
    dlist_append(block->drawing, new_line(DRAW, Point{20000, 1500}, Point{40000, 1500}));
    Fill* fill = new_Fill();
    fill->pos = Point{20500, 500};
    dlist_append(fill->items, new_line(DRAW, Point{20000, 0}, Point{21000, 0}));
    dlist_append(fill->items, new_line(DRAW, Point{21000, 0}, Point{20000, 1000}));
    dlist_append(fill->items, new_line(DRAW, Point{20000, 1000}, Point{20000, 0}));
    dlist_append(block->drawing, fill);
    dlist_append(block->drawing, new_text("Drawn by", Point{30000, 3000}, 0, 0));
}

}  // namespace sheet_test
