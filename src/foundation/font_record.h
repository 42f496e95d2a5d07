#pragma once
// The Font record: one outline font of a document, library or the system
// font list, holding the window system's logical-font fields in their own
// order after the size. A font table is a List of Font records, or none.
// Texts name record n by the font id n + 10.
#include <cstdint>
#include <string>

struct List;

constexpr int FONT_FACE_SIZE = 32;  // face name buffer, end mark included

struct Font {
    uint32_t realized;  // framework font made for this record; 0 = not realized
    int32_t number;     // 1..499 within its table
    uint32_t state;     // filter/selection bits; 1 after reading, 0 at creation
    uint8_t kind;       // 0; compared by font_equal, never stored
    int32_t size;       // character size in tenths of a point
    int32_t height;     // logical-font height
    int32_t width;
    int32_t escapement;  // tenths of a degree
    int32_t orientation;
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strike_out;
    uint8_t char_set;
    uint8_t out_precision;
    uint8_t clip_precision;
    uint8_t quality;
    uint8_t pitch_and_family;
    char face_name[FONT_FACE_SIZE];  // NUL-terminated
};

// A record with every field 0 and an empty face name (never none: exhausted
// memory ends the program through no_memory).
Font* new_Font();
void free_Font(Font* font);
// False when a and b are the same record; otherwise true when kind, weight,
// the eight bytes and the face name (ignoring case) agree and, with
// with_sizes, also size, escapement and orientation. Numbers, height and
// width are not compared.
bool font_equal(const Font* a, const Font* b, bool with_sizes);
// First record of the table equal to the font with sizes, or none.
Font* font_find_same(List* table, const Font* font);
// Removes every record numbered `number` from the table, calling release
// (when given) on each before it is freed; the table is freed and set to
// none when it becomes empty.
void font_table_remove(List** table, int number, void (*release)(Font*) = nullptr);
// Copies a face name into the record, cut to 31 characters.
void font_set_face(Font* font, const char* face);
// "%s,%dpts,%s": face, size in points, weight ("Light", "Normal" or "Bold") and
// ",Italic", ",Underline", ",Strikeout" for each flag.
std::string font_description(const Font* font);
