#pragma once
// Libraries for tests: the empty library and one with aliases, a body
// shared by two parts, versions, prefixes with expansions and fonts. The
// same on every call (object ids reset by the caller).
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/fonts.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/part_samples.h"
#include "model/items/vectors.h"

namespace library_samples {

struct LibraryFree {
    void operator()(Library* library) const { free_Library(library); }
};
using LibraryPtr = std::unique_ptr<Library, LibraryFree>;

inline void add_prefix(Library* library, const char* text, const char* expansion) {
    Prefix* prefix = new_Prefix();
    prefix->prefix.set(text);
    prefix->expansion.set(expansion);
    dlist_append(library->prefixes, prefix);
}

// An entry named `name` holding the part (one more holder).
inline LibEntry* add_entry(Library* library, const char* name, Part* part) {
    LibEntry* entry = new_LibEntry();
    entry->name.set(name);
    entry->part = part;
    if (part) ref_Part(part);
    free_LibEntry(lib_insert_entry(library, entry));
    return entry;
}

inline Attribute* attribute(const char* text, uint8_t flags, Point at) {
    Attribute* a = new_Attribute();
    a->text.set(text);
    a->flags = flags;
    a->pos = at;
    return a;
}

inline Font* font(int number, const char* face, int size) {
    Font* f = new_Font();
    f->number = number;
    f->size = size;
    f->height = static_cast<int>(size / 7.5);
    f->weight = 400;
    f->char_set = 0xFF;  // written as -1 in the ASCII form
    font_set_face(f, face);
    f->state = 1;
    return f;
}

inline Text* font_text(Point at, const char* string, int font_id) {
    Text* text = as_Text(part_samples::text_item(at, string));
    text->font = font_id;
    return text;
}

// A one-device part: a box outline and a text, with one pin.
inline Part* small_part(const char* prefix, int width) {
    Part* part = new_Part();
    part->prefix.set(prefix);
    part->body = {0, 0, width, 2000};
    part->normal = new_Vectors();
    ref_Vectors(part->normal);
    dlist_append(part->normal->items, part_samples::line_item({0, 0}, {width, 0}));
    part->normal_pins = new_PinList();
    dlist_append(part->normal_pins->pins,
                 part_samples::sample_pin("1", PAS, LEFT, {0, 1000}, 1, 1));
    return part;
}

inline LibraryPtr empty_library() {
    LibraryPtr library(new_Library());
    set_Library_name(library.get(), "EMPTY");
    return library;
}

// Entries in name order: 7400 and 74LS00 (aliases of one part), 7404 and
// 7405 (two parts sharing one normal body, whose text uses document font
// 1), R, R@10 and R@2 (versions). Prefixes U, R = RES, C = CAP; fonts 1, 2.
inline LibraryPtr sample_library() {
    LibraryPtr library(new_Library());
    Library* lib = library.get();
    set_Library_name(lib, "SAMPLE");
    add_prefix(lib, "U", "");
    add_prefix(lib, "R", "RES");
    add_prefix(lib, "C", "CAP");

    Part* nand = part_samples::sample_part().release();
    add_entry(lib, "7400", nand);
    LibEntry* alias = add_entry(lib, "74LS00", nand);
    alias->attributes = list_new();
    dlist_append(alias->attributes, attribute("74LS00", VIS, {100, 200}));
    dlist_append(alias->attributes, attribute("DIP14", VIS | SET, {100, -800}));

    Vectors* shared = new_Vectors();
    dlist_append(shared->items, part_samples::line_item({0, 0}, {0, 4000}));
    dlist_append(shared->items, font_text({500, 2000}, "INV", 11));
    Part* inverter = small_part("U", 3000);
    Part* open_collector = small_part("U", 3000);
    unref_Vectors(inverter->normal);
    unref_Vectors(open_collector->normal);
    inverter->normal = shared;
    open_collector->normal = shared;
    ref_Vectors(shared);
    ref_Vectors(shared);
    open_collector->convert = new_Vectors();
    ref_Vectors(open_collector->convert);
    dlist_append(open_collector->convert->items, part_samples::line_item({0, 0}, {2000, 2000}));
    add_entry(lib, "7404", inverter);
    add_entry(lib, "7405", open_collector);

    add_entry(lib, "R", small_part("R", 1000));
    add_entry(lib, "R@2", small_part("R", 1200));
    add_entry(lib, "R@10", small_part("R", 1400));

    lib->fonts = list_new();
    dlist_append(lib->fonts, font(1, "Arial", 100));
    dlist_append(lib->fonts, font(2, "Courier New", 120));
    resolve_LibFonts(lib);
    return library;
}

}  // namespace library_samples
