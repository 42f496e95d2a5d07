// Document font tables: look-ups, the file forms, merging with renumbering.
#include "model/documents/fonts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "foundation/text_forms.h"
#include "model/documents/titleblock.h"
#include "model/items/ascii_writer.h"
#include "model/items/item.h"
#include "model/items/part.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

double scale_factor = 0.75;

constexpr int NO_ROOM_FOR_NAME = 56;  // "No Room for Name entry!"

List* new_table() {
    List* table = list_new();
    if (!table) no_memory();
    return table;
}

void append_font(List* table, Font* font) {
    if (!dlist_append(table, font)) no_memory();
}

// A record leaving every table: through the registry when it was realized
// (so that the framework font goes with it), else simply freed.
void release_font(Font* font) {
    if (font->realized == 0) {
        free_Font(font);
        return;
    }
    List* alone = new_table();
    append_font(alone, font);
    services().font_remove_entry(&alone, font->number);
    if (alone) {  // a registry that kept it: nothing else holds the record
        for (Font* left : list_items<Font>(alone)) free_Font(left);
        dlist_free(alone, LIST_FROM_HEAD, nullptr);
    }
}

int height_of_size(int32_t size) {
    double factor = 10.0 * scale_factor;
    if (!(factor > 0)) return size;
    double height = std::trunc(size / factor);
    if (height > INT32_MAX) return INT32_MAX;
    if (height < INT32_MIN) return INT32_MIN;
    return static_cast<int>(height);
}

// The eight logical-font bytes in their stored order.
std::array<uint8_t*, 8> byte_fields(Font* f) {
    return {&f->italic,        &f->underline,      &f->strike_out, &f->char_set,
            &f->out_precision, &f->clip_precision, &f->quality,    &f->pitch_and_family};
}

void font_bytes(const Font* font, uint8_t out[8]) {
    std::array<uint8_t*, 8> slots = byte_fields(const_cast<Font*>(font));
    for (size_t i = 0; i < slots.size(); ++i) out[i] = *slots[i];
}

// One record after its 'k': 0, -1 for a short read, READ_ERROR.
int read_font_fields(Font* font, FILE* stream) {
    int32_t fields[7];
    for (int32_t& field : fields)
        if (read_long(&field, stream) != 0) return -1;
    uint8_t bytes[8];
    for (uint8_t& byte : bytes)
        if (read_byte(&byte, stream) != 0) return -1;
    char face[FONT_FACE_SIZE];
    if (read_string(face, sizeof face, stream) != 0) return -1;
    uint8_t end = 0;
    if (read_byte(&end, stream) != 0) return -1;
    if (end != LIST_END || fields[0] < 0 || fields[0] > FONT_NUMBER_MAX) return READ_ERROR;
    font->number = fields[0];
    font->size = fields[1];
    font->height = height_of_size(font->size);
    font->width = fields[3];
    font->escapement = fields[4];
    font->orientation = fields[5];
    font->weight = fields[6];
    std::array<uint8_t*, 8> slots = byte_fields(font);
    for (size_t i = 0; i < slots.size(); ++i) *slots[i] = bytes[i];
    font_set_face(font, face);
    font->state = 1;
    return 0;
}

// The face name with its end mark guaranteed.
std::string face_of(const Font* font) {
    return std::string(font->face_name, strnlen(font->face_name, FONT_FACE_SIZE));
}

// Title blocks carry texts in both of their lists.
void titleblock_lists(SchItem* item, List** first, List** second) {
    auto* block = static_cast<TitleBlock*>(item);  // the caller checked the code
    *first = block->fields;
    *second = block->drawing;
}

template <class Fn>
void for_each_text(List* items, Fn&& fn) {
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type == TEXT_ITEM) {
            fn(as_Text(item));
        } else if (item->type == TITLEBLOCK_ITEM) {
            List* first = nullptr;
            List* second = nullptr;
            titleblock_lists(item, &first, &second);
            for_each_text(first, fn);
            for_each_text(second, fn);
        }
    }
}

}  // namespace

// --- records and tables ----------------------------------------------------------

void free_Fonts(List* table) {
    while (table) {
        if (table->count == 0) {
            dlist_free(table, LIST_FROM_HEAD, nullptr);
            return;
        }
        auto* first = static_cast<Font*>(table->head->data);
        List* held = table;
        services().font_remove_entry(&held, first->number);
        if (!held) return;
        if (held->head && held->head->data == first) {
            // The registry left the record: take it out here so that the
            // loop always moves on.
            dlist_remove(held, dlist_head(held), nullptr);
            free_Font(first);
        }
        table = held;
    }
}

List* copy_Fonts(const List* table) {
    if (!table || table->count == 0) return nullptr;
    List* copy = new_table();
    for (const Font* font : list_items<Font>(table)) {
        Font* twin = new_Font();
        *twin = *font;
        twin->realized = 0;
        append_font(copy, twin);
    }
    return copy;
}

void flag_Fonts(List* table) {
    for (Font* font : list_items<Font>(table)) flagop_apply(&font->state);
}

Font* font_find(List* table, int number) {
    for (Font* font : list_items<Font>(table))
        if (font->number == number) return font;
    return nullptr;
}

int font_free_number(const List* table) {
    bool used[FONT_NUMBER_MAX + 1] = {};
    for (const Font* font : list_items<Font>(table))
        if (font->number >= 0 && font->number <= FONT_NUMBER_MAX) used[font->number] = true;
    for (int n = 1; n <= FONT_NUMBER_MAX; ++n)
        if (!used[n]) return n;
    return FONT_NUMBER_NONE;
}

Font* font_cache_get(List** fonts, const Font* font, int size, int escapement) {
    Font* wanted = new_Font();
    *wanted = *font;
    wanted->realized = 0;
    wanted->size = size;
    wanted->escapement = escapement;
    if (Font* same = font_find_same(*fonts, wanted)) {
        free_Font(wanted);
        return same;
    }
    wanted->number = font_free_number(*fonts);
    if (wanted->number == FONT_NUMBER_NONE) {
        free_Font(wanted);
        return nullptr;
    }
    wanted->state = 1;
    if (!*fonts) *fonts = new_table();
    append_font(*fonts, wanted);
    return wanted;
}

void set_font_scale(double factor) { scale_factor = factor; }
double font_scale() { return scale_factor; }

// --- file forms --------------------------------------------------------------------

int read_Fonts(List** table, FILE* stream) {
    for (;;) {
        int c = std::getc(stream);
        if (c == EOF) return 0;
        if (c != FONT_TAG) {
            std::ungetc(c, stream);
            return 0;
        }
        Font* font = new_Font();
        int result = read_font_fields(font, stream);
        if (result != 0) {
            free_Font(font);
            return result;
        }
        if (!*table) *table = new_table();
        append_font(*table, font);
    }
}

void write_Fonts(const List* table, FILE* stream, uint32_t mask) {
    for (const Font* font : list_items<Font>(table)) {
        if (!mask_matches(font->state, mask)) continue;
        write_byte(FONT_TAG, stream);
        write_long(font->number, stream);
        write_long(font->size, stream);
        write_long(font->height, stream);
        write_long(font->width, stream);
        write_long(font->escapement, stream);
        write_long(font->orientation, stream);
        write_long(font->weight, stream);
        uint8_t bytes[8];
        font_bytes(font, bytes);
        for (uint8_t byte : bytes) write_byte(byte, stream);
        write_string(face_of(font).c_str(), stream);
        write_byte(LIST_END, stream);
    }
}

void awrite_Fonts(const List* table, FILE* stream, int level) {
    if (!table || table->count == 0) return;
    write_indent(stream, level);
    std::fputs("(FONTS ", stream);
    put_newline(stream);
    for (const Font* font : list_items<Font>(table)) {
        write_indent(stream, level + 1);
        std::fprintf(stream, "(FONT %d  %d %d %d %d %d %d", font->number + FONT_ID_BASE, font->size,
                     font->height, font->width, font->escapement, font->orientation, font->weight);
        uint8_t bytes[8];
        font_bytes(font, bytes);
        for (uint8_t byte : bytes) std::fprintf(stream, " %d", static_cast<int8_t>(byte));
        std::fprintf(stream, " %s )", quote_string(face_of(font).c_str()).c_str());
        put_newline(stream);
    }
    write_indent(stream, level);
    std::fputs(")", stream);
    put_newline(stream);
}

// --- merging and renumbering -------------------------------------------------------

bool FontRenumbering::lookup(int old_number, int* new_number) const {
    for (const auto& [from, to] : pairs) {
        if (from == old_number) {
            *new_number = to;
            return true;
        }
    }
    return false;
}

int merge_Fonts(List** incoming, List** table, void* context, FontRenumberFn renumber) {
    if (!incoming || !*incoming) return 0;
    if (!*table) {
        *table = *incoming;
        *incoming = nullptr;
        return 0;
    }
    List* arriving = *incoming;
    *incoming = nullptr;
    FontRenumbering map;
    std::vector<int> seen;  // incoming numbers already settled
    int code = 0;
    for (Font* font : list_items<Font>(arriving)) {
        int old_number = font->number;
        bool repeated = std::find(seen.begin(), seen.end(), old_number) != seen.end();
        seen.push_back(old_number);
        if (repeated) {
            // A second record of one number: texts only ever meant the first.
            release_font(font);
            continue;
        }
        Font* holder = font_find(*table, old_number);
        if (holder && font_equal(holder, font, true)) {
            release_font(font);
            continue;
        }
        if (Font* same = font_find_same(*table, font)) {
            map.add(old_number, same->number);
            release_font(font);
            continue;
        }
        if (holder) {
            int number = font_free_number(*table);
            map.add(old_number, number);
            if (number == FONT_NUMBER_NONE) {
                code = NO_ROOM_FOR_NAME;
                release_font(font);
                continue;
            }
            font->number = number;
        }
        append_font(*table, font);
    }
    dlist_free(arriving, LIST_FROM_HEAD, nullptr);
    if (renumber && !map.empty()) renumber(context, map);
    return code;
}

void renumber_text_fonts(List* items, const FontRenumbering& map) {
    for_each_text(items, [&](Text* text) {
        int to = 0;
        if (text->font < FONT_ID_BASE || !map.lookup(text->font - FONT_ID_BASE, &to)) return;
        text->font = to == FONT_NUMBER_NONE ? 0 : to + FONT_ID_BASE;
        free_Strokes(text->layout);
        text->layout = nullptr;
    });
}

void renumber_text_fonts(List* items, int old_number, int new_number) {
    FontRenumbering map;
    map.add(old_number, new_number);
    renumber_text_fonts(items, map);
}

void renumber_part_fonts(Part* part, const FontRenumbering& map) {
    if (!part) return;
    if (part->normal) renumber_text_fonts(part->normal->items, map);
    if (part->convert && part->convert != part->normal)
        renumber_text_fonts(part->convert->items, map);
}

void renumber_part_fonts(Part* part, int old_number, int new_number) {
    FontRenumbering map;
    map.add(old_number, new_number);
    renumber_part_fonts(part, map);
}

void renumber_part_fonts_cb(void* part, const FontRenumbering& map) {
    renumber_part_fonts(static_cast<Part*>(part), map);
}

void resolve_item_fonts(List* items, List* table) {
    for_each_text(items, [&](Text* text) { set_TextFonts(text, table); });
}
