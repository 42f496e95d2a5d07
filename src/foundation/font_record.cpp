#include "foundation/font_record.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/core.h"
#include "foundation/list.h"

Font* new_Font() {
    auto* font = static_cast<Font*>(std::calloc(1, sizeof(Font)));
    if (!font) no_memory();
    return font;
}

void free_Font(Font* font) { std::free(font); }

bool font_equal(const Font* a, const Font* b, bool with_sizes) {
    if (a == b) return false;
    if (a->kind != b->kind || a->weight != b->weight || a->italic != b->italic ||
        a->underline != b->underline || a->strike_out != b->strike_out ||
        a->char_set != b->char_set || a->out_precision != b->out_precision ||
        a->clip_precision != b->clip_precision || a->quality != b->quality ||
        a->pitch_and_family != b->pitch_and_family)
        return false;
    if (strncasecmp(a->face_name, b->face_name, FONT_FACE_SIZE) != 0) return false;
    if (with_sizes &&
        (a->size != b->size || a->escapement != b->escapement || a->orientation != b->orientation))
        return false;
    return true;
}

Font* font_find_same(List* table, const Font* font) {
    for (Font* f : list_items<Font>(table))
        if (font_equal(f, font, true)) return f;
    return nullptr;
}

void font_table_remove(List** table, int number, void (*release)(Font*)) {
    if (!table || !*table) return;
    for (DListNode* node : dlist_nodes(*table)) {
        auto* font = static_cast<Font*>(node->data);
        if (font->number != number) continue;
        if (release) release(font);
        dlist_remove(*table, node, nullptr);
        free_Font(font);
    }
    if ((*table)->count == 0) {
        dlist_free(*table, LIST_FROM_HEAD, nullptr);
        *table = nullptr;
    }
}

void font_set_face(Font* font, const char* face) {
    std::strncpy(font->face_name, face ? face : "", FONT_FACE_SIZE - 1);
    font->face_name[FONT_FACE_SIZE - 1] = '\0';
}

std::string font_description(const Font* font) {
    if (!font) return {};
    std::string style = font->weight < 400 ? "Light" : font->weight < 700 ? "Normal" : "Bold";
    if (font->italic) style += ",Italic";
    if (font->underline) style += ",Underline";
    if (font->strike_out) style += ",Strikeout";
    int size = font->size < 0 ? -font->size : font->size;
    char text[FONT_FACE_SIZE + 64];
    std::snprintf(text, sizeof text, "%s,%dpts,%s", font->face_name, size / 10, style.c_str());
    return text;
}
