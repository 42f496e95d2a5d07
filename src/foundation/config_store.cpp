// The configuration property store: the block of values, the INI text
// forms, reading and writing the INI file, the getters and the setter.
#include <strings.h>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "platform/profile.h"

uint8_t config_write_flag = 1;
uint8_t ini_found = 0;
List* system_fonts = nullptr;

namespace {

constexpr size_t VALUE_SIZE = 120;     // a value read is at most 119 characters
constexpr int MAX_SYSTEM_FONTS = 100;  // SYSTEM_FONT_0 .. SYSTEM_FONT_99
constexpr const char* DEFAULT_INI = "Quib.ini";

// The INI file's name and whether "-conf" named it (never replaced then).
struct IniFile {
    std::string ini_name = DEFAULT_INI;
    bool ini_named_on_command_line = false;  // "-conf": never replaced by another file
} ini;

// One property's value. Scalars keep the sign-extended value of their width
// in `value`; texts live in `text` (capacity from the catalogue); lists in
// `slots` (integers) or `texts` (heap copies or none).
struct Cell {
    int32_t value = 0;
    double real = 0.0;
    std::vector<char> text;  // a TEXT's capacity, made once: its address never moves
    std::vector<int32_t> slots;
    std::vector<char*> texts;  // owned

    Cell() = default;
    Cell(const Cell&) = delete;
    Cell& operator=(const Cell&) = delete;
    ~Cell() {
        for (char* t : texts) std::free(t);
    }
};

std::vector<Cell>& block() {
    static std::vector<Cell> cells = [] {
        std::vector<Cell> c(PROPERTY_COUNT + 1);
        for (int id = 0; id <= PROPERTY_COUNT; ++id) {
            const PropertyInfo& info = property_info(id);
            if (info.kind == PropKind::TEXT)
                c[id].text.assign(info.size, '\0');
            else if (info.kind == PropKind::TEXT_LIST)
                c[id].texts.assign(info.size, nullptr);
            else if (property_is_list(info.kind))
                c[id].slots.assign(info.size, 0);
        }
        return c;
    }();
    return cells;
}

Cell& cell(int id) { return block()[static_cast<size_t>(id)]; }

// An id that holds a value (1..424, not reserved).
bool has_field(int id) {
    return id >= 1 && id <= PROPERTY_COUNT && property_info(id).kind != PropKind::NONE;
}

// Kinds whose value is one integer (flag, byte, word, int, colour).
bool integer_scalar(PropKind kind) {
    return kind == PropKind::FLAG || kind == PropKind::BYTE || kind == PropKind::WORD ||
           kind == PropKind::INT || kind == PropKind::COLOUR;
}

bool index_ok(int id, int index) { return index >= 0 && index < property_info(id).size; }

// Stores an integer into a scalar cell, kept to the kind's width.
int32_t narrow(PropKind kind, int64_t v) {
    switch (kind) {
        case PropKind::FLAG:
        case PropKind::BYTE:
        case PropKind::FLAG_LIST: return static_cast<int8_t>(static_cast<uint8_t>(v & 0xFF));
        case PropKind::WORD: return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
        case PropKind::BYTE_LIST: return static_cast<int32_t>(v & 0xFF);
        default: return static_cast<int32_t>(static_cast<uint32_t>(v & 0xFFFFFFFF));
    }
}

void store_text(int id, const char* text) {
    size_t cap = property_info(id).size;
    std::strncpy(cell(id).text.data(), text ? text : "", cap - 1);
    cell(id).text[cap - 1] = '\0';
}

void store_list_text(int id, int index, const char* text) {
    char*& slot = cell(id).texts[static_cast<size_t>(index)];
    std::free(slot);
    slot = str_dup(text ? text : "");
}

void clear_text_list(int id) {
    for (char*& slot : cell(id).texts) {
        std::free(slot);
        slot = nullptr;
    }
}

// Decimal conversion: leading blanks, optional sign, digits up to the first
// other character; no digits give 0. The value wraps modulo 2^64 (so a
// hostile number never overflows a signed type) and is then narrowed by
// the caller.
int64_t parse_decimal(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    uint64_t v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) v = v * 10 + static_cast<uint64_t>(*text - '0');
    return static_cast<int64_t>(negative ? 0 - v : v);
}

// Locale-independent floating conversion of the longest valid prefix.
double parse_double(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    if (*text == '+') ++text;
    double v = 0.0;
    std::from_chars(text, text + std::strlen(text), v);
    return v;
}

// KEY or KEY_index.
std::string key_of(int id, int index) {
    std::string key = proper_keys[id].key ? proper_keys[id].key : property_info(id).key;
    if (index != -1) key += "_" + std::to_string(index);
    return key;
}

// Writes one key; nothing while the write flag is off or for a
// run-time-only id.
void write_value(int id, int index, const char* text) {
    if (!config_write_flag || id < 0 || id > PROPERTY_COUNT || !proper_keys[id].section) return;
    // The next start reads the file only when it holds DIR_PROJECT, which
    // an installation used to write: without it every setting of this run
    // would be lost. The first key written brings it along.
    if (!ini_found && id != DIR_PROJECT) {
        ini_found = 1;
        if (!config_read_value(ini.ini_name.c_str(), DIR_PROJECT, -1))
            write_value(DIR_PROJECT, -1, cell(DIR_PROJECT).text.data());
    }
    write_private_profile_string(proper_keys[id].section, key_of(id, index).c_str(), text,
                                 ini.ini_name.c_str());
}

std::string decimal(int32_t v) { return std::to_string(v); }

int free_font_cb(void* data) {
    free_Font(static_cast<Font*>(data));
    return 0;
}

void free_system_fonts() {
    if (!system_fonts) return;
    dlist_free(system_fonts, LIST_FROM_HEAD, free_font_cb);
    system_fonts = nullptr;
}

// The counts that size the list walks of config_load_all (and the number of
// stored system fonts) are kept within their lists.
void clamp_count(int id, int limit, int list_id) {
    int32_t& v = cell(id).value;
    if (v > limit) {
        warning("get_config_value :Property %d unknow\n", list_id);
        v = limit;
    } else if (v < 0) {
        v = 0;
    }
}

void clamp_loaded_count(int id) {
    switch (id) {
        case NB_LIB: clamp_count(id, property_info(THE_LIB).size, THE_LIB); break;
        case NB_PROJ: clamp_count(id, property_info(THE_PROJ).size, THE_PROJ); break;
        case NB_PART_PALETTE:
            clamp_count(id, property_info(PART_PALETTE_LIB).size, PART_PALETTE_LIB);
            break;
        case NB_FIELD_NAME: clamp_count(id, property_info(FIELD_NAME).size, FIELD_NAME); break;
        case NB_SYSTEM_FONTS: clamp_count(id, MAX_SYSTEM_FONTS, SYSTEM_FONT); break;
        default: break;
    }
}

// Loads elements 0 .. last of a list, each on its own: the dialogs store
// only the elements they show (user field names from element 2 on, the
// flags of the fields changed), so an absent element ends no walk.
void load_elements(int id, int last) {
    for (int i = 0; i <= last; ++i) get_config_value(id, i);
}

// The font id that texts and the font properties carry is the font number
// + 10. Numbers come from files, so the sum wraps instead of overflowing;
// reading the id back gives the same number.
int32_t font_id(const Font* font) {
    return static_cast<int32_t>(static_cast<uint32_t>(font->number) + 10u);
}
int32_t font_number_of_id(int32_t id) {
    return static_cast<int32_t>(static_cast<uint32_t>(id) - 10u);
}

// Colour-table entries are neither loaded from nor saved to the INI file.
void ignore_colour_load(int, int*, int*, int*) {}
void ignore_colour_save(int, int, int, int) {}

}  // namespace

const char* config_ini_name() { return ini.ini_name.c_str(); }
void set_config_ini_name(const char* name) { ini.ini_name = name && *name ? name : DEFAULT_INI; }

// ---------------------------------------------------------------------------
// Text forms

int config_parse_flag(const char* text) { return strcasecmp(text, "False") == 0 ? 0 : 1; }

int32_t config_parse_rgb(const char* text) {
    int r = 0, g = 0, b = 0;
    if (std::sscanf(text, "RGB( %3d, %3d, %3d)", &r, &g, &b) != 3) return 0;
    return static_cast<int32_t>((static_cast<uint32_t>(r) & 0xFF) |
                                (static_cast<uint32_t>(g) & 0xFF) << 8 |
                                (static_cast<uint32_t>(b) & 0xFF) << 16);
}

std::string config_format_colour(int32_t colour) {
    char text[64];
    std::snprintf(text, sizeof text, "RGB( %3d, %3d, %3d)", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

std::string config_format_double(double value) {
    char text[400];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return "0.000000";
    return std::string(text, end);
}

std::string config_format_font(const Font* f) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "FONT( %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, '%s' )",
                  font_id(f), f->size, f->height, f->width, f->escapement, f->orientation,
                  f->weight, static_cast<int8_t>(f->italic), static_cast<int8_t>(f->underline),
                  static_cast<int8_t>(f->strike_out), static_cast<int8_t>(f->char_set),
                  static_cast<int8_t>(f->out_precision), static_cast<int8_t>(f->clip_precision),
                  static_cast<int8_t>(f->quality), static_cast<int8_t>(f->pitch_and_family),
                  f->face_name);
    return text;
}

Font* config_parse_font(const char* text) {
    int v[15] = {};
    int consumed = 0;
    int n =
        std::sscanf(text, "FONT( %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, '%n",
                    &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &v[10],
                    &v[11], &v[12], &v[13], &v[14], &consumed);
    if (n != 15 || consumed == 0) return nullptr;
    // The face name runs to the last single quote, blanks included; without
    // a closing quote it is the first word.
    std::string face = text + consumed;
    size_t quote = face.rfind('\'');
    if (quote != std::string::npos) {
        face.resize(quote);
    } else {
        face = face.substr(0, face.find_first_of(" \t"));
        if (face.empty()) return nullptr;
    }
    Font* f = new_Font();
    f->state = 1;
    f->number = font_number_of_id(v[0]);
    f->size = v[1];
    f->height = v[2];
    f->width = v[3];
    f->escapement = v[4];
    f->orientation = v[5];
    f->weight = v[6];
    uint8_t* bytes[8] = {&f->italic,   &f->underline,       &f->strike_out,
                         &f->char_set, &f->out_precision,   &f->clip_precision,
                         &f->quality,  &f->pitch_and_family};
    for (int i = 0; i < 8; ++i) *bytes[i] = static_cast<uint8_t>(v[7 + i] & 0xFF);
    font_set_face(f, face.c_str());
    return f;
}

// ---------------------------------------------------------------------------
// Writers

void config_write_bool(int id, int value) { write_value(id, -1, value ? "True" : "False"); }
void config_write_int(int id, int32_t value) { write_value(id, -1, decimal(value).c_str()); }
void config_write_double(int id, double value) {
    write_value(id, -1, config_format_double(value).c_str());
}
void config_write_colour(int id, int32_t colour) {
    write_value(id, -1, config_format_colour(colour).c_str());
}
void config_write_text(int id, const char* text) { write_value(id, -1, text ? text : ""); }
void config_write_text_at(int id, int index, const char* text) {
    write_value(id, index, text ? text : "");
}
void config_write_bool_at(int id, int index, int value) {
    write_value(id, index, value ? "True" : "False");
}
void config_write_int_at(int id, int index, int32_t value) {
    write_value(id, index, decimal(value).c_str());
}
void config_write_colour_at(int id, int index, int32_t colour) {
    write_value(id, index, config_format_colour(colour).c_str());
}
void config_delete_value(int id, int index) { write_value(id, index, nullptr); }

// ---------------------------------------------------------------------------
// Reading the INI file

const char* config_read_value(const char* file, int id, int index) {
    static char buffer[VALUE_SIZE];
    if (id < 0 || id > PROPERTY_COUNT || !proper_keys[id].section) return nullptr;
    get_private_profile_string(proper_keys[id].section, key_of(id, index).c_str(), "default",
                               buffer, sizeof buffer, file);
    if (buffer[0] == '\0' || strcasecmp(buffer, "default") == 0) return nullptr;
    return buffer;
}

int get_config_value(int id, int index) {
    if (id == SYSTEM_FONT) {
        config_load_system_fonts();
        return 1;
    }
    if (!has_field(id)) {
        warning("get_config_value :Property %d unknow\n", id);
        return 0;
    }
    const PropertyInfo& info = property_info(id);
    bool list = property_is_list(info.kind);
    if (list && !index_ok(id, index)) {
        warning("get_config_value :Property %d unknow\n", id);
        return 0;
    }
    const char* text = config_read_value(ini.ini_name.c_str(), id, index);
    if (!text) return 0;
    Cell& c = cell(id);
    switch (info.kind) {
        case PropKind::FLAG: c.value = config_parse_flag(text); break;
        case PropKind::BYTE:
        case PropKind::WORD:
        case PropKind::INT: c.value = narrow(info.kind, parse_decimal(text)); break;
        case PropKind::DOUBLE: c.real = parse_double(text); break;
        case PropKind::COLOUR: c.value = config_parse_rgb(text); break;
        case PropKind::TEXT: store_text(id, text); break;
        case PropKind::TEXT_LIST: store_list_text(id, index, text); break;
        case PropKind::FLAG_LIST:
            c.slots[static_cast<size_t>(index)] = config_parse_flag(text);
            break;
        case PropKind::INT_LIST:
        case PropKind::BYTE_LIST:
            c.slots[static_cast<size_t>(index)] = narrow(info.kind, parse_decimal(text));
            break;
        case PropKind::COLOUR_LIST:
            c.slots[static_cast<size_t>(index)] = config_parse_rgb(text);
            break;
        default: return 0;
    }
    clamp_loaded_count(id);
    return 1;
}

std::string file_beside(const char* path, const char* name) {
    std::string dir = path ? path : "";
    size_t sep = dir.find_last_of("/\\:");
    // No separator, or only the first character: the current directory.
    if (sep == std::string::npos || sep == 0) return std::string(".\\") + name;
    return dir.substr(0, sep + 1) + name;
}

void config_find_ini(const char* program_path) {
    // A file of settings without DIR_PROJECT (written by hand, or by a
    // program that leaves it out) is read too: the settings written later
    // would otherwise replace the user's, which the program never saw.
    if (config_read_value(ini.ini_name.c_str(), DIR_PROJECT, -1) ||
        profile_has_keys(proper_keys[DIR_PROJECT].section, ini.ini_name.c_str())) {
        ini_found = 1;
        return;
    }
    // A "Quib.ini" beside the program: that file becomes the one read and
    // written (an installation that carries its own settings), unless the
    // command line named the INI file.
    if (ini.ini_named_on_command_line) {
        ini_found = 0;
        return;
    }
    std::string beside = file_beside(program_path, DEFAULT_INI);
    if (config_read_value(beside.c_str(), DIR_PROJECT, -1)) {
        ini_found = 1;
        ini.ini_name = beside;
        return;
    }
    ini_found = 0;
}

int config_load_all() {
    if (!ini_found) return 0;
    // Hundreds of keys of one file: it is read once.
    ProfileSnapshot snapshot;
    for (int id = 1; id <= PROPERTY_COUNT; ++id) {
        const PropertyInfo& info = property_info(id);
        if (!info.stored || info.kind == PropKind::NONE || property_is_list(info.kind) ||
            info.kind == PropKind::FONT_LIST || id == PARTPAL_SIZE ||
            (id >= FONT_PINNUM && id <= FONT_PARTPAL))
            continue;
        get_config_value(id, -1);
    }
    for (int id = FONT_PINNUM; id <= FONT_PARTPAL; ++id) get_config_value(id, -1);
    get_config_value(SYSTEM_FONT, -1);
    get_config_value(PARTPAL_SIZE, -1);
    for (int i = 0; i < 17 * 17; ++i) get_config_value(ERC_TABLE, i);
    for (int id : {VISIBLE_FIELDS, PRINT_VIS_FIELDS, ANNOTATE_FIELDS, BOM_FIELDS, FIELD_NAME})
        load_elements(id, 255);
    // The counts were clamped to their lists when read.
    load_elements(THE_LIB, cell(NB_LIB).value - 1);
    load_elements(THE_PROJ, cell(NB_PROJ).value - 1);
    for (int i = 0; i <= 10; ++i) {
        get_config_value(SIZE_SHEETW, i);
        get_config_value(SIZE_SHEETH, i);
    }
    for (int i = 0; i <= 2; ++i) {
        get_config_value(COLOR_PARTFIELD, i);
        get_config_value(PARTFIELD_WIDTH, i);
    }
    load_elements(PART_PALETTE_LIB, cell(NB_PART_PALETTE).value - 1);
    load_elements(PART_PALETTE_PART, cell(NB_PART_PALETTE).value - 1);
    load_elements(PART_PALETTE_CONV, cell(NB_PART_PALETTE).value - 1);
    return 0;
}

// ---------------------------------------------------------------------------
// The system font list

bool is_config_font(const Font* font) {
    for (int id = FONT_PINNUM; id <= FONT_PARTPAL; ++id)
        if (font_id(font) == cell(id).value) return true;
    return false;
}

bool font_list_has(List* fonts, const Font* font) { return font_find_same(fonts, font) != nullptr; }

void config_load_system_fonts() {
    free_system_fonts();
    get_config_value(FONT_PARTPAL, -1);
    get_config_value(NB_SYSTEM_FONTS, -1);
    for (int i = 0; i < cell(NB_SYSTEM_FONTS).value; ++i) {
        const char* text = config_read_value(ini.ini_name.c_str(), SYSTEM_FONT, i);
        if (!text) continue;
        Font* font = config_parse_font(text);
        if (!font) continue;
        if (!is_config_font(font) && font_list_has(system_fonts, font)) {
            free_Font(font);
            continue;
        }
        if (!system_fonts && !(system_fonts = list_new())) no_memory();
        if (!dlist_append(system_fonts, font)) no_memory();
    }
}

void config_write_system_fonts(List* fonts) {
    ProfileBatch batch;
    for (int i = 0; i < MAX_SYSTEM_FONTS; ++i) config_delete_value(SYSTEM_FONT, i);
    int k = 0;
    for (Font* font : list_items<Font>(fonts)) {
        if (!is_config_font(font)) continue;
        config_write_text_at(SYSTEM_FONT, k++, config_format_font(font).c_str());
    }
    proper_set(NB_SYSTEM_FONTS, k, 0);
}

// ---------------------------------------------------------------------------
// Getters

int32_t proper_get(int id, int index) {
    if (id == SYSTEM_FONT) return 0;
    const PropertyInfo& info = property_info(id);
    switch (has_field(id) ? info.kind : PropKind::NONE) {
        case PropKind::FLAG:
        case PropKind::BYTE:
        case PropKind::WORD:
        case PropKind::INT:
        case PropKind::COLOUR: return cell(id).value;
        case PropKind::FLAG_LIST:
        case PropKind::INT_LIST:
        case PropKind::BYTE_LIST:
        case PropKind::COLOUR_LIST:
            if (index_ok(id, index)) return cell(id).slots[static_cast<size_t>(index)];
            warning("proper_get :Property %d index %d out of range\n", id, index);
            return 0;
        default: warning("proper_get :Property %d unknow\n", id); return 0;
    }
}

const char* strproper_get(int id, int index) {
    const PropertyInfo& info = property_info(id);
    switch (has_field(id) ? info.kind : PropKind::NONE) {
        case PropKind::TEXT: return cell(id).text.data();
        case PropKind::TEXT_LIST: {
            if (!index_ok(id, index)) {
                warning("strproper_get :Property %d index %d out of range\n", id, index);
                return nullptr;
            }
            char*& slot = cell(id).texts[static_cast<size_t>(index)];
            if (!slot) slot = str_dup("");
            return slot;
        }
        default: warning("strproper_get :Property %d unknow\n", id); return nullptr;
    }
}

double fproper_get(int id) {
    if (has_field(id) && property_info(id).kind == PropKind::DOUBLE) return cell(id).real;
    warning("fproper_get :Property %d unknow\n", id);
    return 0.0;
}

// ---------------------------------------------------------------------------
// Setter

namespace {

// Writes an integer-like value (index -1: a scalar) in its kind's form.
void write_integer(int id, int index, PropKind kind, int32_t v) {
    bool flag = kind == PropKind::FLAG || kind == PropKind::FLAG_LIST;
    bool colour = kind == PropKind::COLOUR || kind == PropKind::COLOUR_LIST;
    if (index < 0) {
        if (flag)
            config_write_bool(id, v);
        else if (colour)
            config_write_colour(id, v);
        else
            config_write_int(id, v);
    } else {
        if (flag)
            config_write_bool_at(id, index, v);
        else if (colour)
            config_write_colour_at(id, index, v);
        else
            config_write_int_at(id, index, v);
    }
}

}  // namespace

void proper_set_args(const PropArg* args, size_t count) {
    ProfileBatch batch;  // the settings of one call are saved together
    size_t at = 0;
    auto take = [&](PropArg::Type type) -> const PropArg* {
        if (at >= count) return nullptr;
        const PropArg* a = &args[at];
        // An integer may stand for a double; nothing else converts.
        if (a->type() != type &&
            !(type == PropArg::Type::REAL && a->type() == PropArg::Type::INTEGER))
            return nullptr;
        ++at;
        return a;
    };
    while (at < count) {
        const PropArg& head = args[at++];
        if (head.type() != PropArg::Type::INTEGER) {
            warning("proper_set :argument %zu is not a property id\n", at - 1);
            return;
        }
        if (head.integer() == 0) return;
        int id = head.integer() < 0 || head.integer() > PROPERTY_COUNT
                     ? -1
                     : static_cast<int>(head.integer());
        if (!has_field(id)) {
            warning("proper_set :Property %d unknow\n", static_cast<int>(head.integer()));
            return;
        }
        const PropertyInfo& info = property_info(id);
        Cell& c = cell(id);
        int index = -1;
        if (property_is_list(info.kind)) {
            const PropArg* i = take(PropArg::Type::INTEGER);
            if (!i || i->integer() < 0 || i->integer() >= info.size) {
                warning("proper_set :Property %d index out of range\n", id);
                return;
            }
            index = static_cast<int>(i->integer());
        }
        auto bad_value = [&] { warning("proper_set :Property %d wrong value\n", id); };
        switch (info.kind) {
            case PropKind::FLAG:
            case PropKind::BYTE:
            case PropKind::WORD:
            case PropKind::INT:
            case PropKind::COLOUR:
            case PropKind::FLAG_LIST:
            case PropKind::INT_LIST:
            case PropKind::BYTE_LIST:
            case PropKind::COLOUR_LIST: {
                const PropArg* v = take(PropArg::Type::INTEGER);
                if (!v) return bad_value();
                int32_t& field = index < 0 ? c.value : c.slots[static_cast<size_t>(index)];
                field = narrow(info.kind, v->integer());
                write_integer(id, index, info.kind, field);
                break;
            }
            case PropKind::DOUBLE: {
                const PropArg* v = take(PropArg::Type::REAL);
                if (!v) return bad_value();
                c.real = v->type() == PropArg::Type::REAL ? v->real()
                                                          : static_cast<double>(v->integer());
                config_write_double(id, c.real);
                break;
            }
            case PropKind::TEXT: {
                const PropArg* v = take(PropArg::Type::TEXT);
                if (!v) return bad_value();
                store_text(id, v->text());
                config_write_text(id, c.text.data());
                break;
            }
            case PropKind::TEXT_LIST: {
                const PropArg* v = take(PropArg::Type::TEXT);
                if (!v) return bad_value();
                store_list_text(id, index, v->text());
                config_write_text_at(id, index, c.texts[static_cast<size_t>(index)]);
                break;
            }
            case PropKind::FONT_LIST: {
                const PropArg* v = take(PropArg::Type::FONT_LIST);
                if (!v) return bad_value();
                config_write_system_fonts(v->list());
                break;
            }
            default: return;
        }
    }
}

// ---------------------------------------------------------------------------
// Lifecycle

void config_set_size_defaults() {
    for (int i = 0; i <= 10; ++i) {
        cell(SIZE_SHEETW).slots[static_cast<size_t>(i)] = default_sheet_widths[i];
        cell(SIZE_SHEETH).slots[static_cast<size_t>(i)] = default_sheet_heights[i];
    }
    cell(PARTPAL_SIZE).value = 80;
    for (int id = FONT_PINNUM; id <= FONT_PARTPAL; ++id) cell(id).value = 0;
}

void config_set_erc_defaults() {
    for (int i = 0; i < 17 * 17; ++i) cell(ERC_TABLE).slots[static_cast<size_t>(i)] = 0;
    for (int i = 0; i < 17 * 17; ++i)
        cell(ERC_TABLE).slots[static_cast<size_t>(i)] = default_erc_matrix[i];
}

void config_set_defaults() {
    config_write_flag = 0;
    config_set_size_defaults();
    config_set_erc_defaults();
    proper_set(COLOR_PARTFIELD, 0, 1, COLOR_PARTFIELD, 1, 2, COLOR_PARTFIELD, 2, 3, 0);
    for (int i = 0; i <= 2; ++i) proper_set(PARTFIELD_WIDTH, i, 100, 0);
    for (int32_t& w : cell(PARTFIELD_WIDTH).slots) w = 60;

    for (int id :
         {VISIBLE_FIELDS, PRINT_VIS_FIELDS, ANNOTATE_FIELDS, BOM_FIELDS, PART_PALETTE_CONV})
        for (int32_t& s : cell(id).slots) s = property_info(id).int_default;
    for (int id : {FIELD_NAME, LIBS, THE_LIB, THE_PROJ, PART_PALETTE_LIB, PART_PALETTE_PART})
        clear_text_list(id);
    free_system_fonts();

    // Every scalar and text default.
    for (int id = 1; id <= PROPERTY_COUNT; ++id) {
        const PropertyInfo& info = property_info(id);
        if (id == PARTPAL_SIZE || (id >= FONT_PINNUM && id <= FONT_PARTPAL)) continue;
        if (integer_scalar(info.kind))
            proper_set(id, info.int_default, 0);
        else if (info.kind == PropKind::DOUBLE)
            proper_set(id, info.real_default, 0);
        else if (info.kind == PropKind::TEXT)
            proper_set(id, info.text_default, 0);
    }
    proper_set(NB_LIB, 1, NB_PROJ, 1, 0);
    cell(THE_LIB).texts[0] = str_dup(".\\library");
    cell(THE_PROJ).texts[0] = str_dup("..\\demo");
    config_write_flag = 1;
}

void config_init() {
    config_hooks_install();
    config_set_defaults();
}

int config_startup(const char* conf, const char* program_path) {
    ini.ini_named_on_command_line = conf && *conf;
    if (ini.ini_named_on_command_line) set_config_ini_name(conf);
    config_find_ini(program_path);
    services().colour_table_attach(ignore_colour_load, ignore_colour_save);
    config_load_all();
    return profile_file_state(ini.ini_name.c_str()) == ProfileFile::UNREADABLE ? 1 : 0;
}

void config_free() {
    for (int id : {FIELD_NAME, LIBS, THE_PROJ, THE_LIB, PART_PALETTE_LIB, PART_PALETTE_PART})
        clear_text_list(id);
    free_system_fonts();
}

// ---------------------------------------------------------------------------
// Snapshots

struct PropertySnapshot::Saved {
    int id = 0;
    int32_t value = 0;
    double real = 0.0;
    std::string text;
    std::vector<int32_t> slots;
    std::vector<std::optional<std::string>> texts;  // none: an empty slot
};

namespace {
std::vector<int> every_property() {
    std::vector<int> ids;
    for (int id = 1; id <= PROPERTY_COUNT; ++id) ids.push_back(id);
    return ids;
}

// A cell's text; empty for a property that is not a text.
std::string text_of(const Cell& c) { return c.text.empty() ? std::string() : c.text.data(); }
}  // namespace

PropertySnapshot::PropertySnapshot() : PropertySnapshot(every_property()) {}

// The font list is not a value of the block (its records belong to the
// documents' texts too) and is not taken.
PropertySnapshot::PropertySnapshot(const std::vector<int>& ids) {
    for (int id : ids) {
        if (!has_field(id) || id == SYSTEM_FONT) continue;
        const Cell& c = cell(id);
        Saved s{id, c.value, c.real, text_of(c), c.slots, {}};
        for (const char* t : c.texts)
            s.texts.push_back(t ? std::optional<std::string>(t) : std::nullopt);
        saved_.push_back(std::move(s));
    }
}

PropertySnapshot::~PropertySnapshot() = default;

void PropertySnapshot::retake(const std::vector<int>& ids) {
    for (Saved& s : saved_) {
        if (std::find(ids.begin(), ids.end(), s.id) == ids.end()) continue;
        const Cell& c = cell(s.id);
        s.value = c.value;
        s.real = c.real;
        s.text = text_of(c);
        s.slots = c.slots;
        for (size_t i = 0; i < c.texts.size() && i < s.texts.size(); ++i)
            s.texts[i] = c.texts[i] ? std::optional<std::string>(c.texts[i]) : std::nullopt;
    }
}

void PropertySnapshot::restore() const {
    for (const Saved& s : saved_) {
        Cell& c = cell(s.id);
        c.value = s.value;
        c.real = s.real;
        // Into the text's own buffer: its address is handed out and never moves.
        if (!c.text.empty()) {
            std::memcpy(c.text.data(), s.text.c_str(), std::min(s.text.size() + 1, c.text.size()));
            c.text.back() = '\0';
        }
        c.slots = s.slots;
        for (size_t i = 0; i < c.texts.size() && i < s.texts.size(); ++i) {
            std::free(c.texts[i]);
            c.texts[i] = s.texts[i] ? str_dup(s.texts[i]->c_str()) : nullptr;
        }
    }
}
