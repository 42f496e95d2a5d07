// Item codes, checked accessors and object ids of the item head.
#include "model/items/item.h"

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "model/items/item_ops.h"

const char* item_name(int code) {
    const char* name = item_ops(code).name;
    return name ? name : "?";
}

Line* as_Line(SchItem* item) { return checked_as<Line>(item, LINE_ITEM); }
Arc* as_Arc(SchItem* item) { return checked_as<Arc>(item, ARC_ITEM); }
Circle* as_Circle(SchItem* item) { return checked_as<Circle>(item, CIRCLE_ITEM); }
Boite* as_Rect(SchItem* item) { return checked_as<Boite>(item, BOITE_ITEM); }
Fill* as_Fill(SchItem* item) { return checked_as<Fill>(item, FILL_ITEM); }
Junction* as_Junction(SchItem* item) { return checked_as<Junction>(item, JUNCTION_ITEM); }
Poly* as_Poly(SchItem* item) { return checked_as<Poly>(item, POLY_ITEM); }
Text* as_Text(SchItem* item) { return checked_as<Text>(item, TEXT_ITEM); }
const Line* as_Line(const SchItem* item) { return checked_as<Line>(item, LINE_ITEM); }
const Arc* as_Arc(const SchItem* item) { return checked_as<Arc>(item, ARC_ITEM); }
const Circle* as_Circle(const SchItem* item) { return checked_as<Circle>(item, CIRCLE_ITEM); }
const Boite* as_Rect(const SchItem* item) { return checked_as<Boite>(item, BOITE_ITEM); }
const Fill* as_Fill(const SchItem* item) { return checked_as<Fill>(item, FILL_ITEM); }
const Junction* as_Junction(const SchItem* item) {
    return checked_as<Junction>(item, JUNCTION_ITEM);
}
const Poly* as_Poly(const SchItem* item) { return checked_as<Poly>(item, POLY_ITEM); }
const Text* as_Text(const SchItem* item) { return checked_as<Text>(item, TEXT_ITEM); }

uint32_t item_write_id(SchItem* item) {
    if (item->id == 0) item->id = new_object_id();
    return item->id;
}

void note_read_id(uint32_t id) { note_object_id(id); }

int read_item_tag(FILE* stream, uint8_t tag) {
    int c = peek_byte(stream);
    if (c == EOF) return -1;
    if (c != tag) return NOT_MY_TAG;
    getc_unlocked(stream);
    return 0;
}

int read_item_id(SchItem* item, FILE* stream) {
    item->id = 0;
    if (!take_byte(stream, OBJECT_ID_TAG)) return 0;
    uint32_t id = 0;
    if (read_long(&id, stream) != 0) return -1;
    item->id = id;
    note_read_id(id);
    return 0;
}

void write_item_id(SchItem* item, FILE* stream) {
    write_byte(OBJECT_ID_TAG, stream);
    write_long(static_cast<int32_t>(item_write_id(item)), stream);
}
