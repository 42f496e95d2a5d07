// Label numbering, pin sides and display bits, and the text search.
#include "editor/edit_ops.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/schema.h"
#include "model/items/item.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

void label_increment(std::string* text, int step) {
    if (step == 0 || text->empty() || *text == "\\") return;
    bool slash = text->back() == '\\';
    size_t end = text->size() - (slash ? 1 : 0);
    size_t start = end;
    while (start > 0 && std::isdigit(static_cast<unsigned char>((*text)[start - 1]))) --start;
    if (start == end) return;
    // Long digit runs saturate instead of overflowing.
    long long value = 0;
    for (size_t i = start; i < end; ++i) {
        value = value * 10 + ((*text)[i] - '0');
        if (value > INT_MAX) value = INT_MAX;
    }
    value += step;
    char digits[24];
    std::snprintf(digits, sizeof digits, "%lld", value);
    text->replace(start, end - start, digits);
}

void pin_side_from_point(Pin* pin, Point p, const Rect& body) {
    uint8_t side;
    if (p.x == body.x)
        side = LEFT;
    else if (p.x == body.x + body.w)
        side = RIGHT;
    else if (p.y == body.y)
        side = TOP;
    else
        side = BOTTOM;
    pin->flags = static_cast<uint8_t>((pin->flags & ~PIN_SIDE_MASK) | side);
    free_Vectors(pin->drawing);
    pin->drawing = nullptr;
}

void init_pin_display(Part* part, bool converted) {
    if (!part) return;
    PinList* pins = converted ? part->convert_pins : part->normal_pins;
    Vectors* body = converted ? part->convert : part->normal;
    if (!pins || !pins->pins || pins->pins->count == 0) return;
    bool bare = !body || !body->items || body->items->count == 0;
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        pin->flags =
            static_cast<uint8_t>((pin->flags | PIN_DISPLAY | PIN_SHOW_NUMBER) & ~PIN_SHOW_NAME);
        if (bare) pin->flags |= PIN_SHOW_NAME;
    }
}

// --- search ----------------------------------------------------------------------------------
namespace {

bool same_char(char a, char b, bool case_sensitive) {
    if (case_sensitive) return a == b;
    return std::toupper(static_cast<unsigned char>(a)) ==
           std::toupper(static_cast<unsigned char>(b));
}

// Iterative match with one backtrack point per '*' (linear in practice,
// never exponential).
bool wild_match(const char* p, const char* t, bool cs) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*t) {
        if (*p == '*') {
            star = p++;
            resume = t;
        } else if (*p == '?' || (*p && same_char(*p, *t, cs))) {
            ++p;
            ++t;
        } else if (star) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

void clear_matches(Schema* schema) {
    if (schema->edit.search_list) dlist_free(schema->edit.search_list, LIST_FROM_HEAD, nullptr);
    schema->edit.search_list = nullptr;
    schema->edit.search_count = -1;
}

void collect(List* items, List* matches, const char* pattern, bool cs, bool wild) {
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type != TEXT_ITEM) continue;
        if (text_matches(pattern, as_Text(item)->string.c_str(), cs, wild))
            if (!dlist_append(matches, item)) no_memory();
    }
}

int finish(Schema* schema, List* matches) {
    if (matches->count == 0) {
        dlist_free(matches, LIST_FROM_HEAD, nullptr);
        return 0;
    }
    schema->edit.search_list = matches;
    return static_cast<int>(matches->count);
}

List* fresh_matches(Schema* schema) {
    clear_matches(schema);
    List* matches = list_new();
    if (!matches) no_memory();
    return matches;
}

bool step(Schema* schema, int direction, Point* out) {
    *out = Point{0, 0};
    List* list = schema->edit.search_list;
    if (!list || list->count == 0) return false;
    int n = static_cast<int>(list->count);
    int& current = schema->edit.search_count;
    if (current < 0 || current >= n)
        current = direction > 0 ? 0 : n - 1;
    else
        current = (current + direction + n) % n;
    int i = 0;
    for (SchItem* item : list_items<SchItem>(list))
        if (i++ == current) *out = item->pos;
    return true;
}

}  // namespace

bool text_matches(const char* pattern, const char* text, bool case_sensitive, bool wildcards) {
    if (!pattern || !text) return false;
    if (wildcards) return wild_match(pattern, text, case_sensitive);
    for (; *pattern && *text; ++pattern, ++text)
        if (!same_char(*pattern, *text, case_sensitive)) return false;
    return *pattern == '\0' && *text == '\0';
}

int search_sheet_texts(Schema* schema, const char* pattern, bool case_sensitive, bool wildcards) {
    if (!schema) return 0;
    List* matches = fresh_matches(schema);
    if (schema->current)
        collect(schema->current->items, matches, pattern, case_sensitive, wildcards);
    return finish(schema, matches);
}

int search_title_texts(Schema* schema, const char* pattern, bool case_sensitive, bool wildcards) {
    if (!schema) return 0;
    List* matches = fresh_matches(schema);
    collect(schema->titleblock.fields, matches, pattern, case_sensitive, wildcards);
    collect(schema->titleblock.drawing, matches, pattern, case_sensitive, wildcards);
    return finish(schema, matches);
}

bool match_previous(Schema* schema, Point* out) { return step(schema, -1, out); }
bool match_next(Schema* schema, Point* out) { return step(schema, 1, out); }
