// The schema record: creation, release, identification fields and the
// whole-document walks.
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"

#include <cstring>

#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/fonts.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

const char* const sheet_size_names[SHEET_SIZE_COUNT] = {"A ",  "B ",  "C ",  "D ",  "E ",
                                                        "A4 ", "A3 ", "A2 ", "A1 ", "A0 "};

struct FieldSlot {
    char* text;
    size_t capacity;
};

FieldSlot field_slot(Schema* s, int number) {
    switch (number) {
        case FIELD_DOCNUMBER: return {s->docnumber, sizeof s->docnumber};
        case FIELD_REVCODE: return {s->revcode, sizeof s->revcode};
        case FIELD_TITLE: return {s->title, sizeof s->title};
        case FIELD_COMPANYNAME: return {s->companyname, sizeof s->companyname};
        case FIELD_COMPANYADDR1: return {s->companyaddr1, sizeof s->companyaddr1};
        case FIELD_COMPANYADDR2: return {s->companyaddr2, sizeof s->companyaddr2};
        case FIELD_COMPANYADDR3: return {s->companyaddr3, sizeof s->companyaddr3};
        case FIELD_FILENAME: return {s->filename, sizeof s->filename};
        case FIELD_COMPANYADDR4: return {s->companyaddr4, sizeof s->companyaddr4};
        case FIELD_COMPANYADDR5: return {s->companyaddr5, sizeof s->companyaddr5};
        case FIELD_CREATDATE: return {s->creatdate, sizeof s->creatdate};
        case FIELD_MODIFDATE: return {s->modifdate, sizeof s->modifdate};
        case FIELD_FIRSTNAME: return {s->firstname, sizeof s->firstname};
        case FIELD_LASTNAME: return {s->lastname, sizeof s->lastname};
        case FIELD_FOLIO: return {s->folio, sizeof s->folio};
        case FIELD_NBFOLIO: return {s->nbfolio, sizeof s->nbfolio};
        default:
            if (number >= FIELD_USER1 && number < FIELD_USER1 + 10)
                return {s->user[number - FIELD_USER1], FIELD_LONG};
            return {nullptr, 0};
    }
}

// The view hooks: what the view asks of the document that holds it.
View* hook_view(Schema* schema) { return schema ? &schema->view : nullptr; }
bool hook_bounds(Schema* schema, Rect* out) { return schema && bounds_Schema(schema, out); }
int hook_sheet_size(const Schema* schema) { return sheet_size_index(schema_sheet_size(schema)); }

// The paste list owns its entries. A link record (picked or pasted part
// pieces, an attribute text) is released as a pick entry, which also frees
// what it owns; it may look at its targets, so this runs before the sheet
// goes.
void free_paste_list(Schema* schema) {
    List*& list = schema->edit.paste_list;
    for (SchItem* item : list_items<SchItem>(list)) {
        if (item->type == PSEUDO_PIN && pp_is_link(as_PseudoPin(item)))
            release_picked_entry(schema, item);
        else if (item != &schema->titleblock)
            free_SchItem(schema, item, false);
    }
    if (list) dlist_free(list, LIST_FROM_HEAD, nullptr);
    list = nullptr;
}

void free_vectors_slot(Vectors** set) {
    free_Vectors(*set, false);
    *set = nullptr;
}

}  // namespace

// --- fields ----------------------------------------------------------------------------------

char* schema_field(Schema* schema, int number) { return field_slot(schema, number).text; }

const char* schema_field(const Schema* schema, int number) {
    return field_slot(const_cast<Schema*>(schema), number).text;
}

size_t schema_field_capacity(int number) {
    if (number < 1 || number > SCHEMA_STRING_FIELDS) return 0;
    switch (number) {
        case FIELD_REVCODE:
        case FIELD_CREATDATE:
        case FIELD_MODIFDATE:
        case FIELD_FOLIO:
        case FIELD_NBFOLIO: return FIELD_SHORT;
        default: return FIELD_LONG;
    }
}

bool copy_field(char* field, size_t capacity, const char* text) {
    if (capacity == 0) return false;
    if (!text) text = "";
    size_t n = std::strlen(text);
    bool fits = n < capacity;
    if (!fits) {
        n = capacity - 1;
        // Never leave half a UTF-8 sequence at the cut.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
    std::memcpy(field, text, n);
    field[n] = '\0';
    return fits;
}

bool schema_set_field(Schema* schema, int number, const char* text) {
    FieldSlot slot = field_slot(schema, number);
    if (!slot.text) return false;
    return copy_field(slot.text, slot.capacity, text);
}

int sheet_size_index(int code) { return code >= 0 && code < SHEET_SIZE_COUNT ? code : 0; }

const char* sheet_size_name(int code) { return sheet_size_names[sheet_size_index(code)]; }

// --- life ---------------------------------------------------------------------------------------

void schema_install_view_hooks() {
    install_view_document_hooks(ViewDocumentHooks{hook_view, hook_bounds, hook_sheet_size});
}

Schema* new_Schema() {
    schema_install_view_hooks();  // cheap, and survives a test's reset of the hooks
    Schema* schema = new (std::nothrow) Schema;
    if (!schema) return nullptr;
    schema->sheet_size = static_cast<int8_t>(proper_get(SHEET_SIZE));
    schema->ansi_grid = static_cast<uint8_t>(proper_get(TEMPLATE_ANSI_GRID));
    schema->ansi_title = static_cast<uint8_t>(proper_get(TEMPLATE_ANSI_TITLE));
    init_TitleBlock(&schema->titleblock);
    std::strcpy(schema->creatdate, "XXXXXX");
    std::strcpy(schema->modifdate, "XXXXXX");
    return schema;
}

void schema_free_erclist(Schema* schema) { free_SchItem_list(schema, &schema->erc_list); }

void schema_free_fonts(Schema* schema) {
    free_Fonts(schema->fonts);
    schema->fonts = nullptr;
}

bool free_Schema(Schema* schema, bool keep_storage) {
    if (!schema) return keep_storage;
    free_paste_list(schema);
    schema_free_fonts(schema);
    schema_free_erclist(schema);
    free_SchItem_list(schema, &schema->ports);
    free_Sheet(schema, schema->sheet, false);
    schema->sheet = nullptr;
    schema->current = nullptr;
    if (schema->library) free_Library(schema->library);
    schema->library = nullptr;
    free_vectors_slot(&schema->border);
    free_vectors_slot(&schema->border2);
    for (Stroke*& layout : schema->border_text) {
        free_Strokes(layout);
        layout = nullptr;
    }
    free_SchItem_list(schema, &schema->titleblock.fields);
    free_SchItem_list(schema, &schema->titleblock.drawing);

    EditState& edit = schema->edit;
    if (edit.undo_list) dlist_free(edit.undo_list, LIST_FROM_HEAD, nullptr);
    edit_free_part_copy(edit.part_copy, true);
    if (edit.edit_list) dlist_free(edit.edit_list, LIST_FROM_HEAD, nullptr);
    if (edit.side_list) dlist_free(edit.side_list, LIST_FROM_HEAD, nullptr);
    if (edit.search_list) dlist_free(edit.search_list, LIST_FROM_HEAD, nullptr);
    free_SheetIndex(edit.index);
    edit = EditState{};
    schema->modified = 0;
    schema->flag2 = 0;

    for (int i = 0; i < VIEW_SLOTS; ++i) {
        schema->view.tag_names[i].clear();
        schema->view.saved_names[i].clear();
    }
    view_free_select_edges(&schema->view);
    view_clear_select(&schema->view);
    if (!keep_storage) delete schema;
    return keep_storage;
}

// --- whole-document walks ---------------------------------------------------------------------

bool bounds_Schema(Schema* schema, Rect* rect) {
    bool any = false;
    if (schema->sheet) any = bounds_SchItem_list(schema, schema->sheet->items, rect, any);
    any = bounds_SchItem_list(schema, schema->erc_list, rect, any);
    any = bounds_SchItem_list(schema, schema->ports, rect, any);
    if (titleblock_bounds(schema)) {
        if (any)
            rect_union(rect, schema->titleblock.bounds);
        else
            *rect = schema->titleblock.bounds;
        any = true;
    }
    return any;
}

void flag_Schema(Schema* schema) {
    flag_SchItem_list(schema->erc_list);
    flag_SchItem_list(schema->ports);
    if (schema->sheet) flag_SchItem(schema->sheet);
    flag_Fonts(schema->fonts);
}

bool select_Schema(Schema* schema, uint32_t bit, int operation, uint32_t mask) {
    View* view = &schema->view;
    bool any = select_SchItem_list(schema, view, schema->erc_list, bit, operation, mask);
    any |= select_SchItem_list(schema, view, schema->ports, bit, operation, mask);
    if (schema->sheet)
        any |= select_SchItem_list(schema, view, schema->sheet->items, bit, operation, mask);
    return any;
}

int schema_sheet_size(const Schema* schema) {
    return schema ? schema->sheet_size : proper_get(SHEET_SIZE);
}

void text_fill_field(Schema* schema, Text* text, bool template_mode) {
    int field = text->field;
    if (field < 1 || field > FIELD_SHEETSIZE) return;
    const char* value;
    if (field == FIELD_SHEETSIZE)
        value = template_mode ? "<Size>" : sheet_size_name(schema_sheet_size(schema));
    else
        value = schema_field(schema, field);
    if (text->string == value) return;
    text->string = value;
    layout_Text(text);
}

Point schema_sheet_extent(const Schema* schema) {
    int code = sheet_size_index(schema_sheet_size(schema));
    return Point{proper_get(SIZE_SHEETW, code) * 10, proper_get(SIZE_SHEETH, code) * 10};
}

namespace {

void add_item(Vectors* set, Item* item) {
    if (!item) no_memory();
    if (!dlist_append(set->items, item)) {
        free_Item(item, false);
        no_memory();
    }
}

void add_rect(Vectors* set, Point a, Point b) {
    Boite* box = new_Rect();
    if (box) {
        box->pos = a;
        box->corner = b;
    }
    add_item(set, box);
}

void add_line(Vectors* set, Point a, Point b) {
    Line* line = new_Line();
    if (line) {
        line->pos = a;
        line->end = b;
    }
    add_item(set, line);
}

Vectors* new_border() {
    Vectors* set = new_Vectors();
    if (!set || !set->items) no_memory();
    return set;
}

}  // namespace

void schema_build_outline(Schema* schema) {
    free_vectors_slot(&schema->border);
    Point size = schema_sheet_extent(schema);
    schema->border = new_border();
    add_rect(schema->border, Point{0, 0}, size);
}

void schema_build_frame(Schema* schema) {
    free_vectors_slot(&schema->border);
    free_vectors_slot(&schema->border2);
    for (Stroke*& layout : schema->border_text) {
        free_Strokes(layout);
        layout = nullptr;
    }
    Point size = schema_sheet_extent(schema);
    int32_t w = size.x, h = size.y;
    TextSize text_size;
    set_TextSize(&text_size, font_height(FONT_BORDERTXT));
    int32_t m = text_size.height + 200;

    Vectors* set = new_border();
    schema->border = set;
    add_rect(set, Point{0, 0}, Point{w, h});
    add_rect(set, Point{m, m}, Point{w, h});
    for (int i = 1; i <= 7; ++i) {
        int32_t x = static_cast<int32_t>(int64_t{w} * i / 8);
        add_line(set, Point{x, 0}, Point{x, m});
    }
    for (int i = 1; i <= 7; ++i) {
        int32_t y = static_cast<int32_t>(int64_t{h} * i / 8);
        add_line(set, Point{0, y}, Point{m, y});
    }
}

SchItem* list_first_part(List* items) {
    for (SchItem* item : list_items<SchItem>(items))
        if (item->type == PARTLIB_ITEM) return item;
    return nullptr;
}

Part* schema_get_edit_part(Schema* schema) {
    if (!schema || !schema->sheet) return nullptr;
    SchItem* first = list_first_part(schema->sheet->items);
    if (!first) return nullptr;
    return pl_get_part(schema->library, as_PlacedPart(first));
}
