// The title block record, its binary record and file, and its source form.
#include "model/documents/titleblock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/text_forms.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/ascii_writer.h"
#include "model/items/library.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

constexpr int WRITE_ERROR = 6;  // "Write error"

// The identification fields of the source form, in the order written.
constexpr int source_fields[] = {
    FIELD_FILENAME,     FIELD_CREATDATE,    FIELD_MODIFDATE,    FIELD_DOCNUMBER,
    FIELD_REVCODE,      FIELD_NBFOLIO,      FIELD_FOLIO,        FIELD_TITLE,
    FIELD_COMPANYNAME,  FIELD_COMPANYADDR1, FIELD_COMPANYADDR2, FIELD_COMPANYADDR3,
    FIELD_COMPANYADDR4, FIELD_COMPANYADDR5, FIELD_FIRSTNAME,    FIELD_LASTNAME,
    FIELD_USER1,        FIELD_USER1 + 1,    FIELD_USER1 + 2,    FIELD_USER1 + 3,
    FIELD_USER1 + 4,    FIELD_USER1 + 5,    FIELD_USER1 + 6,    FIELD_USER1 + 7,
    FIELD_USER1 + 8,    FIELD_USER1 + 9,
};

// Placeholders the shell fills in ("<Title>") stay out of the source.
bool is_placeholder(const char* text) {
    size_t n = std::strlen(text);
    return n >= 2 && text[0] == '<' && text[n - 1] == '>';
}

void set_head(TitleBlock* block) {
    block->type = TITLEBLOCK_ITEM;
    block->width = 1;
    block->state = STATE_NEW;
}

void renumber_block_texts(void* context, const FontRenumbering& map) {
    TitleBlock* block = static_cast<TitleBlock*>(context);
    renumber_text_fonts(block->fields, map);
    renumber_text_fonts(block->drawing, map);
}

// Reads the controls: text records up to the first record that is not one.
int read_controls(List* fields, FILE* stream) {
    for (;;) {
        Text* text = new_Text();
        if (!text) no_memory();
        int result = read_Text(text, stream);
        if (result != 0) {
            free_Text(text, false);
            return result == NOT_MY_TAG ? 0 : result;
        }
        text->flags |= TBLOCK;
        if (!dlist_append(fields, text)) {
            free_Text(text, false);
            no_memory();
        }
    }
}

// The drawing of the older form: a vector set whose items become sheet items.
int read_old_drawing(List* drawing, FILE* stream) {
    Vectors* set = new_Vectors();
    if (!set || !set->items) no_memory();
    int result = read_Vectors(set, stream);
    if (result == 0) {
        while (set->items->head) {
            Item* item = static_cast<Item*>(set->items->head->data);
            dlist_remove_head(set->items, nullptr);
            if (!dlist_append(drawing, item)) {
                free_Item(item, false);
                no_memory();
            }
        }
    }
    free_Vectors(set, false);
    return result;
}

}  // namespace

TitleBlock* as_TitleBlock(SchItem* item) { return checked_as<TitleBlock>(item, TITLEBLOCK_ITEM); }

const TitleBlock* as_TitleBlock(const SchItem* item) {
    return checked_as<TitleBlock>(item, TITLEBLOCK_ITEM);
}

const char* titleblock_file_header() {
    static const std::string header =
        std::string("Tessaron V") + FILE_VERSION + " -- " + FILE_DATE + "  * Title Block File";
    return header.c_str();
}

void init_TitleBlock(TitleBlock* block) {
    set_head(block);
    block->flags = 0;
    block->bounds = Rect{};
    block->fields = list_new();
    block->drawing = list_new();
}

TitleBlock* new_TitleBlock() {
    TitleBlock* block = new (std::nothrow) TitleBlock;
    if (!block) return nullptr;
    init_TitleBlock(block);
    if (!block->fields || !block->drawing) {
        free_TitleBlock(nullptr, block, false);
        return nullptr;
    }
    return block;
}

void free_TitleBlock(Schema* schema, TitleBlock* block, bool keep_storage) {
    if (!block) return;
    free_SchItem_list(schema, &block->fields);
    free_SchItem_list(schema, &block->drawing);
    bool embedded = schema && block == &schema->titleblock;
    if (!keep_storage && !embedded) delete block;
}

TitleBlock* copy_TitleBlock(Schema* schema, const TitleBlock* block) {
    TitleBlock* copy = new_TitleBlock();
    if (!copy) return nullptr;
    copy->flags = block->flags;
    copy->width = block->width;
    copy->state = block->state;
    copy->pos = block->pos;
    copy->bounds = block->bounds;
    copy_SchItem_list(schema, copy->drawing, block->drawing);
    copy_ItemList(copy->fields, block->fields);
    return copy;
}

namespace {
// Releases the embedded title block's lists and gives it the record's head
// and bounds; the caller fills the lists.
TitleBlock* reset_embedded(Schema* schema, const TitleBlock* block) {
    TitleBlock* embedded = &schema->titleblock;
    free_SchItem_list(schema, &embedded->fields);
    free_SchItem_list(schema, &embedded->drawing);
    embedded->type = TITLEBLOCK_ITEM;
    embedded->flags = block->flags;
    embedded->width = block->width;
    embedded->state = block->state;
    embedded->bounds = block->bounds;
    return embedded;
}
}  // namespace

void schema_take_titleblock(Schema* schema, TitleBlock* block) {
    if (block == &schema->titleblock) return;
    TitleBlock* embedded = reset_embedded(schema, block);
    embedded->fields = block->fields;
    embedded->drawing = block->drawing;
    block->fields = nullptr;
    block->drawing = nullptr;
}

void schema_set_titleblock(Schema* schema, const TitleBlock* block) {
    if (block == &schema->titleblock) return;
    TitleBlock* embedded = reset_embedded(schema, block);
    embedded->pos = block->pos;
    embedded->fields = new_list_or_die();
    embedded->drawing = new_list_or_die();
    copy_ItemList(embedded->fields, block->fields);
    copy_SchItem_list(schema, embedded->drawing, block->drawing);
}

void matrix_TitleBlock(TitleBlock* block, const Matrix* matrix) {
    for (List* list : {block->fields, block->drawing})
        for (SchItem* item : list_items<SchItem>(list)) matrix_SchItem(item, matrix);
    const Rect& r = block->bounds;
    Point a, b;
    matrix_apply(matrix, Point{r.x, r.y}, &a);
    matrix_apply(
        matrix,
        Point{static_cast<int32_t>(int64_t{r.x} + r.w), static_cast<int32_t>(int64_t{r.y} + r.h)},
        &b);
    block->bounds =
        Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y)};
}

bool titleblock_bounds(Schema* schema) {
    TitleBlock* block = &schema->titleblock;
    Rect drawing, fields;
    bool has_drawing = extent_SchItem_list(schema, block->drawing, &drawing);
    bool has_fields = extent_SchItem_list(schema, block->fields, &fields);
    if (!has_drawing && !has_fields) return false;
    if (has_drawing && has_fields) rect_union(&drawing, fields);
    block->bounds = has_drawing ? drawing : fields;
    return true;
}

bool select_TitleBlock(View* view, Schema* schema, TitleBlock* block, uint32_t bit, int operation,
                       uint32_t mask) {
    (void)schema;
    if (!mask_matches(block->state, mask)) return false;
    if (!view_has_select_area(view)) return false;
    if (!rect_corner_in_select(view, block->bounds)) return false;
    FlagOpScope scope(bit | STATE_BOTH_ENDS, operation);
    flagop_apply(&block->state);
    return true;
}

// --- binary record and file --------------------------------------------------------------

int write_titleblock_file(Schema* schema, TitleBlock* block, FILE* stream, bool with_header) {
    // A record without its drawing cannot be read back: nothing is written
    // and the caller must not report the file as saved.
    if (!block->drawing) return WRITE_ERROR;
    if (with_header) {
        write_byte(FILE_HEADER_MARK, stream);
        write_string(titleblock_file_header(), stream);
        write_byte(FILE_HEADER_END, stream);
    }
    write_byte(TITLEBLOCK_TAG, stream);
    write_byte(block->flags, stream);
    write_rect(block->bounds, stream);
    if (with_header && schema) write_Fonts(schema->fonts, stream, 0);
    for (Item* item : list_items<Item>(block->fields))
        if (item->type == TEXT_ITEM) write_Text(as_Text(item), stream, 0);
    write_byte(LIST_END, stream);
    write_SchItem_list(schema, block->drawing, stream, 0);
    write_byte(LIST_END, stream);
    return 0;
}

int read_titleblock_file(Schema* schema, TitleBlock* block, FILE* stream) {
    uint8_t c = 0;
    if (read_byte(&c, stream) != 0) return -1;
    if (c == FILE_HEADER_MARK) {
        char header[STRING_BUFFER_SIZE];
        if (read_string(header, sizeof header, stream) != 0) return -1;
        if (read_byte(&c, stream) != 0) return -1;  // the 0x1A
        if (read_byte(&c, stream) != 0) return -1;
    }
    if (c != TITLEBLOCK_TAG) {
        ungetc(c, stream);
        return NOT_MY_TAG;
    }
    set_head(block);
    int result = read_byte(&block->flags, stream);
    result |= read_rect(&block->bounds, stream);
    if (result != 0) return -1;

    List* fonts = nullptr;
    int peek = getc_unlocked(stream);
    if (peek == EOF) return -1;
    ungetc(peek, stream);
    if (peek == FONT_TAG) {
        result = read_Fonts(&fonts, stream);
        if (result != 0) {
            free_Fonts(fonts);
            return result;
        }
    }

    free_SchItem_list(schema, &block->fields);
    block->fields = new_list_or_die();
    result = read_controls(block->fields, stream);
    if (result == 0) {
        if (read_byte(&c, stream) != 0)
            result = -1;
        else if (c != LIST_END)
            result = READ_ERROR;
    }
    if (result == 0) {
        free_SchItem_list(schema, &block->drawing);
        block->drawing = new_list_or_die();
        peek = getc_unlocked(stream);
        if (peek == EOF) {
            result = -1;
        } else {
            ungetc(peek, stream);
            if (peek == VECTORS_TAG)
                result = read_old_drawing(block->drawing, stream);
            else
                result = read_SchItem_list(schema, block->drawing, stream);
        }
    }
    if (result != 0) {
        free_Fonts(fonts);
        return result;
    }
    if (fonts && schema) {
        merge_Fonts(&fonts, &schema->fonts, block, renumber_block_texts);
    } else {
        free_Fonts(fonts);
    }
    List* table = schema ? schema->fonts : nullptr;
    resolve_item_fonts(block->fields, table);
    resolve_item_fonts(block->drawing, table);
    return 0;
}

// --- source form ------------------------------------------------------------------------------

void awrite_TitleBlock(Schema* schema, FILE* stream, int indent) {
    TitleBlock* block = &schema->titleblock;
    write_indent(stream, indent);
    std::fputs("(TITLEBLOCK ", stream);
    put_newline(stream);
    write_indent(stream, indent + 1);
    std::fputs("(IDENTIFICATION ", stream);
    put_newline(stream);
    write_indent(stream, indent + 2);
    std::fprintf(stream, "(SHEETSIZE %s )",
                 quote_string(sheet_size_name(schema_sheet_size(schema))).c_str());
    put_newline(stream);
    for (int field : source_fields) {
        const char* value = schema_field(schema, field);
        if (!value[0] || is_placeholder(value)) continue;
        write_indent(stream, indent + 2);
        std::fprintf(stream, "(%s %s )", text_field_name(field), quote_string(value).c_str());
        put_newline(stream);
    }
    write_indent(stream, indent + 1);
    std::fputs(")", stream);
    put_newline(stream);
    if (block->fields && block->fields->count > 0) {
        write_indent(stream, indent + 1);
        std::fputs("(CONTROLS ", stream);
        put_newline(stream);
        for (Item* item : list_items<Item>(block->fields))
            if (item->type == TEXT_ITEM) awrite_Text(as_Text(item), stream, indent + 2);
        write_indent(stream, indent + 1);
        std::fputs(")", stream);
        put_newline(stream);
    }
    awrite_SchItem_list(schema, block->drawing, stream, indent + 1);
    if (indent == 0 && schema->fonts) awrite_Fonts(schema->fonts, stream, indent + 1);
    write_indent(stream, indent);
    std::fputs(")", stream);
    put_newline(stream);
}
