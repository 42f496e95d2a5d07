// The text record: making and releasing, binary and ASCII forms, geometry
// and picking, and the IEEE symbol and title-block field vocabularies.
#include "model/items/text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/services.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/primitive_kit.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

using namespace items_kit;

namespace {

constexpr uint8_t FIELD_TAG = 'p';
constexpr int FIRST_DOCUMENT_FONT = 10;
constexpr double NO_BOX_DISTANCE = 1000000.0;
constexpr double BOX_EDGE_SLACK = 0.1;

// A text's lines are separated by '@'. A line break in the string (CR LF,
// LF or CR, as another program may have stored one) is written as that
// separator, so that the source form compiles back to the same lines.
std::string text_lines_joined(const std::string& string) {
    std::string out;
    out.reserve(string.size());
    for (size_t i = 0; i < string.size(); ++i) {
        if (string[i] == '\r' && i + 1 < string.size() && string[i + 1] == '\n') continue;
        out += string[i] == '\n' || string[i] == '\r' ? '@' : string[i];
    }
    return out;
}

const char* const ieee_names[] = {
    "ACTIVE_LOW_L", "ACTIVE_LOW_R",  "AMP_L",     "AMP_R",       "ANALOG",    "ARROW_R",
    "ARROW_L",      "BIDIRECTIONAL", "DYNAMIC_L", "DYNAMIC_R",   "GENERATOR", "HYSTERESIS",
    "NON_LOGIC",    "OPEN_O",        "OPEN_L",    "OPEN_H",      "POSTPONED", "PULL_UP",
    "PULL_DOWN",    "SHIFT_L",       "SHIFT_R",   "THREE_STATE", "NEGATION",
};

const char* const field_names[TEXT_FIELD_COUNT] = {
    "DOCNUMBER",    "REVCODE",  "TITLE",        "COMPANYNAME",  "COMPANYADDR1", "COMPANYADDR2",
    "COMPANYADDR3", "FILENAME", "COMPANYADDR4", "COMPANYADDR5", "CREATDATE",    "MODIFDATE",
    "FIRSTNAME",    "LASTNAME", "FOLIO",        "NBFOLIO",      "USER1",        "USER2",
    "USER3",        "USER4",    "USER5",        "USER6",        "USER7",        "USER8",
    "USER9",        "USER10",   "SHEETSIZE",
};

const char* const rotation_words[8] = {nullptr,   "ROT_90 ",  "ROT_180 ", "ROT_270 ",
                                       "ROT_45 ", "ROT_135 ", "ROT_225 ", "ROT_315 "};

bool is_stroke_text(const Text* text) { return text->font < FIRST_DOCUMENT_FONT; }

// The layout of a stroke text, built when it has none.
const Stroke* ensured_layout(Text* text) {
    if (!text->layout) layout_Text(text);
    return text->layout;
}

bool canvas_box(Schema* doc, Text* text, Rect* box) {
    return services().sheet_text_box(doc, text, box);
}

// Marks a stream whose contents are known to be wrong as failed, as a failed
// write would: the file's commit then reports a write error.
void mark_stream_failed(FILE* stream) {
#if defined(__GLIBC__) && defined(_IO_ERR_SEEN)
    stream->_flags |= _IO_ERR_SEEN;
#else
    // Elsewhere a read on a write-only stream fails and sets the flag.
    (void)std::fgetc(stream);
#endif
}

// The font number as the binary form's byte; a number the byte cannot hold
// is reported (see text.h) and written as 0.
int font_byte(const Text* text, FILE* stream) {
    if (text->font >= 0 && text->font <= 255) return text->font;
    warning("write_Text: font number %d does not fit the text record\n", text->font);
    mark_stream_failed(stream);
    return 0;
}

// The name the ASCII form writes for a font-1 text, or null when its string
// is not one IEEE symbol letter.
const char* ieee_word(const Text* text) {
    if (text->font != 1 || text->string.size() != 1) return nullptr;
    return ieee_symbol_name(static_cast<unsigned char>(text->string[0]));
}

// Distance from p to the outline of a box; 0 inside it or within 0.1 of it.
double box_distance(const Rect& box, Point p) {
    if (rect_contains_point(box, p)) return 0;
    Point a{box.x, box.y}, b{box.x + box.w, box.y}, c{box.x + box.w, box.y + box.h},
        d{box.x, box.y + box.h};
    double dist = std::min({segment_distance(p, a, b), segment_distance(p, b, c),
                            segment_distance(p, c, d), segment_distance(p, d, a)});
    return dist > BOX_EDGE_SLACK ? dist : 0;
}

}  // namespace

// --- vocabularies ---------------------------------------------------------------------------

const char* ieee_symbol_name(int letter) {
    return letter >= 'A' && letter <= 'W' ? ieee_names[letter - 'A'] : nullptr;
}

int ieee_symbol_letter(const char* name) {
    for (int i = 0; i <= 'W' - 'A'; ++i)
        if (name && std::strcmp(name, ieee_names[i]) == 0) return 'A' + i;
    return 0;
}

const char* text_field_name(int field) {
    return field >= 1 && field <= TEXT_FIELD_COUNT ? field_names[field - 1] : nullptr;
}

int text_field_number(const char* name) {
    for (int i = 0; i < TEXT_FIELD_COUNT; ++i)
        if (name && std::strcmp(name, field_names[i]) == 0) return i + 1;
    return 0;
}

// --- orientation ------------------------------------------------------------------------------

int orient_to_angle(int attributes) {
    static const int angles[8] = {0, 2700, 1800, 900, 3150, 2250, 1350, 450};
    return angles[attributes & TEXT_ROT_MASK];
}

int orient_code_of_button(int button) {
    static const int codes[9] = {6, 2, 5, 3, 0, 1, 7, 0, 4};
    return button >= 0 && button < 9 ? codes[button] : 0;
}

int button_of_orient_code(int code) {
    static const int buttons[8] = {7, 5, 1, 3, 8, 2, 0, 6};
    return buttons[code & TEXT_ROT_MASK];
}

// --- making and releasing ----------------------------------------------------------------------

Text* new_Text() {
    Text* text = make<Text>(TEXT_ITEM);
    if (text) init_Text(text);
    return text;
}

void init_Text(Text* text) {
    free_Strokes(text->layout);
    text->layout = nullptr;
    text->type = TEXT_ITEM;
    text->flags = 0;
    text->width = 100;
    text->state = STATE_NEW;
    text->pos = {};
    text->prev = text->next = nullptr;
    text->id = 0;
    text->font = 0;
    text->fonts = nullptr;
    default_TextSize(&text->size);
    text->string.clear();
    text->field = 0;
}

void free_Text(Text* text, bool keep_storage) {
    if (!text) return;
    free_Strokes(text->layout);
    text->layout = nullptr;
    std::string().swap(text->string);
    release(text, keep_storage);
}

// --- binary form -------------------------------------------------------------------------------

int read_Text(Text* text, FILE* stream) {
    int result = read_item_tag(stream, item_tag(TEXT_ITEM));
    if (result != 0) return result;
    int16_t width = 0;
    Point pos;
    uint8_t flags = 0, font = 0;
    TextSize size;
    std::string string;
    if (read_short(&width, stream) || read_point(&pos, stream) || read_byte(&flags, stream) ||
        read_byte(&font, stream) || read_short(&size.width, stream) ||
        read_short(&size.height, stream) || read_string(&string, stream))
        return -1;
    free_Strokes(text->layout);
    text->layout = nullptr;
    text->type = TEXT_ITEM;
    text->state = STATE_NEW;
    text->width = read_width_rule(width);
    text->pos = pos;
    text->flags = flags & ~0x40;  // only the title-block reader makes fields
    text->font = font;
    text->size = size;
    text->string.swap(string);
    text->field = 0;

    if (take_byte(stream, FIELD_TAG)) {
        int32_t field = 0;
        if (read_long(&field, stream) != 0) return -1;
        if (text_field_name(field)) text->field = field;
    }
    return read_item_id(text, stream);
}

void write_Text(Text* text, FILE* stream, uint32_t mask) {
    if (!mask_matches(text->state, mask)) return;
    write_byte(item_tag(TEXT_ITEM), stream);
    write_short(text->width, stream);
    write_point(text->pos, stream);
    write_byte(text->flags, stream);
    write_byte(font_byte(text, stream), stream);
    write_short(text->size.width, stream);
    write_short(text->size.height, stream);
    write_string(text->string.c_str(), stream);
    write_byte(FIELD_TAG, stream);
    write_long(text->field, stream);
    write_item_id(text, stream);
}

// --- ASCII form ----------------------------------------------------------------------------------

void awrite_Text(Text* text, FILE* stream, int level) {
    write_indent(stream, level);
    std::fprintf(stream, "(TEXT %d ", static_cast<int>(text->font));
    write_POS(text->pos, stream, -1);
    write_SIZE16(text->size, stream, -1);
    if (const char* word = ieee_word(text))
        std::fputs(word, stream);
    else
        std::fputs(quote_string(text_lines_joined(text->string).c_str()).c_str(), stream);
    std::fputc(' ', stream);
    if (text->flags & BOXED) std::fputs("BOXED ", stream);
    if (text->flags & MX) std::fputs("MX ", stream);
    if (text->flags & MY) std::fputs("MY ", stream);
    if (const char* word = rotation_words[text->flags & TEXT_ROT_MASK]) std::fputs(word, stream);
    const int type = text->flags & TEXT_TYPE_MASK;
    const char* field = text_field_name(text->field);
    if (type == TBLOCK && field)
        std::fprintf(stream, "TBLOCK %s ", field);
    else if (type == LABEL || type == TBLOCK)  // a field without a name reads as a label
        std::fputs("LABEL ", stream);
    std::fputs(")", stream);
    put_newline(stream);
}

// --- geometry and picking ----------------------------------------------------------------------

void matrix_Text(Text* text, const Matrix* matrix) {
    matrix_apply(matrix, text->pos, &text->pos);
    if (text->layout) matrix_Strokes(text->layout, matrix);
}

bool bounds_Text(Schema* doc, Text* text, Rect* rect, bool accumulate) {
    if (text->string.empty()) return accumulate;
    if (!is_stroke_text(text)) {
        Rect box;
        if (!canvas_box(doc, text, &box)) return false;
        return put_bounds(rect, box, accumulate);
    }
    if (!text->layout) {
        // A text never drawn is bounded without laying it out: a save
        // bounds every text of the sheet.
        Rect extent;
        int found = text_layout_extent(text->string.c_str(), text->pos, text->size, text->flags,
                                       text->font, &extent);
        if (found == 0) return accumulate;
        if (found > 0) {
            put_bounds(rect, Rect{text->pos.x, text->pos.y, 0, 0}, accumulate);
            rect_union(rect, extent);
            return true;
        }
    }
    const Stroke* layout = ensured_layout(text);
    if (!layout) return accumulate;
    put_bounds(rect, Rect{text->pos.x, text->pos.y, 0, 0}, accumulate);
    bounds_TextLines(layout, rect, true);
    return true;
}

void flag_Text(Text* text) { flagop_apply(&text->state); }

double distance_Strokes(const Stroke* chain, Point p) {
    Rect extent;
    if (!chain || !bounds_TextLines(chain, &extent, false)) return FAR_AWAY;
    if (rect_contains_point(extent, p)) return 0;
    double best = FAR_AWAY;
    for (const Stroke* s = chain; s; s = s->next)
        for (size_t i = 1; i < s->points.size(); ++i)
            best =
                std::min(best, segment_distance(p, s->points[i - 1], s->points[i]) - s->width / 2);
    return std::max(best, 0.0);
}

bool select_Strokes(View* view, const Stroke* chain) {
    for (const Stroke* s = chain; s; s = s->next)
        for (const Point& p : s->points)
            if (view_point_in_select(view, p)) return true;
    return false;
}

double distance_Text(Schema* doc, Text* text, Point p, uint32_t mask, double tolerance,
                     uint32_t hit_bit) {
    if (!mask_matches(text->state, mask)) return FAR_AWAY;
    double d;
    if (is_stroke_text(text)) {
        d = distance_Strokes(ensured_layout(text), p);
    } else {
        Rect box;
        d = canvas_box(doc, text, &box) ? box_distance(box, p) : NO_BOX_DISTANCE;
    }
    return mark_hit(text, d, tolerance, hit_bit);
}

bool select_Text(Schema* doc, View* view, Text* text, uint32_t bit, int operation, uint32_t mask) {
    if (!may_pick(view, text, mask)) return false;
    bool picked;
    if (is_stroke_text(text)) {
        picked = select_Strokes(view, ensured_layout(text));
    } else {
        Rect box;
        picked = canvas_box(doc, text, &box) && rect_corner_in_select(view, box);
    }
    if (picked) mark_picked(text, bit | STATE_BOTH_ENDS, operation);
    return picked;
}

// --- copy and compare ----------------------------------------------------------------------------

Text* copy_Text(const Text* text) {
    Text* copy = duplicate(text);
    if (!copy) return nullptr;
    copy->layout = nullptr;  // never shared: the copy builds its own
    if (text->layout) layout_Text(copy);
    return copy;
}

bool compare_Text(const Text* a, const Text* b) {
    return a->pos == b->pos && a->size == b->size && a->flags == b->flags && a->string == b->string;
}
