// Library parts: life cycle, comparison and file forms.
#include "model/items/part.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <new>

#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/items/ascii_writer.h"
#include "model/items/item.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

namespace {

// Where the tag of the part record read last stood.
int32_t part_offset = 0;

const char* type_name(uint8_t type) {
    switch (type) {
        case IEEE: return "IEEE";
        case GRID_ARRAY: return "GRID_ARRAY";
        default: return "STANDARD";
    }
}

// One body form of a part: its pins and its drawing, with the tag and the
// reference mode it is written with.
struct Form {
    PinList** pins;
    Vectors** body;
    uint8_t tag;
    int mode;
    const char* keyword;
};

Form normal_form(Part* part) {
    return {&part->normal_pins, &part->normal, PART_NORMAL_TAG, NORMALOF_VEC, "(NORMAL"};
}
Form convert_form(Part* part) {
    return {&part->convert_pins, &part->convert, PART_CONVERT_TAG, CONVERTOF_VEC, "(CONVERT"};
}

bool form_present(const Form& form) { return *form.pins || *form.body; }

int read_common(Part* part, FILE* stream) {
    int result = read_item_tag(stream, PART_COMMON_TAG);
    if (result != 0) return result;
    uint8_t type = 0;
    int32_t devices = 0;
    Rect body;
    char* path = nullptr;
    if (read_byte(&type, stream) || read_long(&devices, stream) || read_rect(&body, stream) ||
        read_sstr(&part->prefix, stream) || read_string_dup(&path, stream))
        return -1;
    if (devices < 1 || devices > MAX_PART_DEVICES) {
        std::free(path);
        return READ_ERROR;
    }
    part->type = type;
    part->body = body;
    std::free(part->sheet_path);
    part->sheet_path = path;
    set_Part_devices(part, devices);
    return 0;
}

// A NORMAL or CONVERT record: pins, body, end mark. What a record brings
// replaces what the part held for that form.
int read_form(Part* part, const Form& form, FILE* stream) {
    int result = read_item_tag(stream, form.tag);
    if (result != 0) return result;
    PinList* pins = new_PinList();
    if (!pins) no_memory();
    result = read_PinList(pins, stream, part->devices);
    if (result == 0) {
        free_PinList(*form.pins);
        *form.pins = pins;
    } else {
        free_PinList(pins);
        if (result != NOT_MY_TAG) return result;
    }
    Vectors* body = new_Vectors();
    if (!body) no_memory();
    result = read_Vectors(body, stream);
    if (result == 0) {
        if (*form.body) unref_Vectors(*form.body);
        ref_Vectors(body);
        *form.body = body;
    } else {
        free_Vectors(body);
        if (result != NOT_MY_TAG) return result;
    }
    uint8_t closing;
    return read_byte(&closing, stream);  // the end mark, not checked
}

void write_form(const Form& form, FILE* stream, const char* entry_name) {
    if (!form_present(form)) return;
    write_byte(form.tag, stream);
    if (*form.pins) write_PinList(*form.pins, stream);
    if (*form.body) write_Vectors(*form.body, stream, form.mode, entry_name);
    write_byte(LIST_END, stream);
}

// One line of the source form at a level.
void put_line(FILE* stream, int level, const std::string& text) {
    write_indent(stream, level);
    std::fputs(text.c_str(), stream);
    put_newline(stream);
}

void awrite_form(Part* part, const Form& form, FILE* stream, int level, const char* entry_name) {
    if (!form_present(form)) return;
    put_line(stream, level, form.keyword);
    if (*form.pins) awrite_PinList(*form.pins, stream, level + 1, part->devices);
    if (*form.body) awrite_Vectors(*form.body, stream, level + 1, form.mode, entry_name);
    put_line(stream, level, ")");
}

}  // namespace

Part* new_Part() { return new (std::nothrow) Part; }

void free_Part(Part* part) {
    if (!part) return;
    if (part->refs != 0) {
        warning("free_Part: ref count!=0");
        return;
    }
    if (part->normal) unref_Vectors(part->normal);
    if (part->convert) unref_Vectors(part->convert);
    free_PinList(part->normal_pins, part->devices);
    free_PinList(part->convert_pins, part->devices);
    std::free(part->sheet_path);
    delete part;
}

void ref_Part(Part* part) { ++part->refs; }

void unref_Part(Part* part) {
    if (--part->refs == 0) free_Part(part);
}

Part* dup_Part(const Part* part) {
    Part* copy = new_Part();
    if (!copy) no_memory();
    copy->state = part->state;
    copy->type = part->type;
    copy->devices = part->devices;
    copy->body = part->body;
    copy->refs = 1;
    copy->sheet_path = part->sheet_path ? str_dup(part->sheet_path) : nullptr;
    copy->prefix = part->prefix;
    for (auto [from, to] : {std::pair{part->normal, &copy->normal},
                            std::pair{part->convert, &copy->convert}}) {
        if (!from) continue;
        if (!(*to = dup_Vectors(from))) no_memory();
        ref_Vectors(*to);
    }
    for (auto [from, to] : {std::pair{part->normal_pins, &copy->normal_pins},
                            std::pair{part->convert_pins, &copy->convert_pins}}) {
        if (from && !(*to = copy_PinList(from, part->devices))) no_memory();
    }
    return copy;
}

void flag_Part(Part* part) {
    flagop_apply(&part->state);
    flag_Vectors(part->normal);
    flag_Vectors(part->convert);
    flag_PinList(part->normal_pins);
    flag_PinList(part->convert_pins);
}

void set_Part_devices(Part* part, int32_t devices) {
    part->devices = devices < 1 ? 1 : devices;
    resize_PinList(part->normal_pins, part->devices);
    resize_PinList(part->convert_pins, part->devices);
}

void set_Part_sheet_path(Part* part, const char* path) {
    std::free(part->sheet_path);
    part->sheet_path = path && path[0] ? str_dup(path) : nullptr;
}

bool part_equal(const Part* a, const Part* b) {
    if (a == b) return true;
    if (!a || !b) return false;
    return a->devices == b->devices && a->body == b->body &&
           std::strcmp(a->prefix.get(), b->prefix.get()) == 0 &&
           pinlist_equal(a->normal_pins, b->normal_pins, a->devices) &&
           pinlist_equal(a->convert_pins, b->convert_pins, a->devices) &&
           vectors_equal(a->normal, b->normal) && vectors_equal(a->convert, b->convert);
}

bool pinlist_equal(const PinList* a, const PinList* b, int devices) {
    if (!a || !b) return a == b;
    const ListNode* na = a->pins ? a->pins->head : nullptr;
    const ListNode* nb = b->pins ? b->pins->head : nullptr;
    for (; na && nb; na = na->next, nb = nb->next) {
        const Pin* pa = static_cast<const Pin*>(na->data);
        const Pin* pb = static_cast<const Pin*>(nb->data);
        if (!(pa->pos == pb->pos) || pa->type != pb->type || pa->flags != pb->flags ||
            std::strcmp(pa->name.get(), pb->name.get()) != 0)
            return false;
        for (int i = 0; i < devices; ++i)
            if (std::strcmp(pin_number(pa, i), pin_number(pb, i)) != 0) return false;
    }
    return na == nullptr && nb == nullptr;
}

bool vectors_equal(const Vectors* a, const Vectors* b) {
    if (!a || !b) return a == b;
    // Two references are the same body only when they name the same one.
    if (a->saved_mode != b->saved_mode ||
        (a->saved_mode != DEFINE_VEC && std::strcmp(a->name.get(), b->name.get()) != 0))
        return false;
    return compare_ItemList(a->items, b->items);
}

bool ref_prefix(const char* reference, char* out) {
    size_t i = 0;
    for (; reference[i] && reference[i] != '?' && !(reference[i] >= '0' && reference[i] <= '9'); ++i)
        out[i] = reference[i];
    out[i] = '\0';
    return reference[i] == '?';
}

int32_t last_part_offset() { return part_offset; }

int read_Part(Part* part, FILE* stream) {
    long start = std::ftell(stream);
    part_offset = start > 0 ? static_cast<int32_t>(start) : 0;
    int result = read_item_tag(stream, PART_TAG);
    if (result != 0) {
        part_offset = 0;
        return result;
    }
    uint32_t end = 0;
    if (read_long(&end, stream) != 0) return -1;
    long here = std::ftell(stream);
    int64_t left = stream_bytes_left(stream);
    if (here < 0 || end <= static_cast<uint64_t>(here)) return READ_ERROR;
    // A record that ends beyond the stream is one cut short.
    if (left >= 0 && end > static_cast<uint64_t>(here + left)) return -1;
    if (!part) return std::fseek(stream, static_cast<long>(end), SEEK_SET) == 0 ? 0 : -1;

    result = combine_results(0, read_common(part, stream));
    if (result != 0) return result;
    result = combine_results(0, read_form(part, normal_form(part), stream));
    if (result != 0) return result;
    result = combine_results(0, read_form(part, convert_form(part), stream));
    if (result != 0) return result;
    uint8_t closing;
    return read_byte(&closing, stream);  // the end mark, not checked
}

void write_Part(Part* part, FILE* stream, const char* entry_name) {
    write_byte(PART_TAG, stream);
    long offset_at = std::ftell(stream);
    write_long(0, stream);
    write_byte(PART_COMMON_TAG, stream);
    write_byte(part->type, stream);
    write_long(part->devices, stream);
    write_rect(part->body, stream);
    write_sstr(&part->prefix, stream);
    write_string_or_empty(part->sheet_path, stream);
    write_form(normal_form(part), stream, entry_name);
    write_form(convert_form(part), stream, entry_name);
    write_byte(LIST_END, stream);
    long end = std::ftell(stream);
    if (offset_at < 0 || end < 0) return;  // not seekable: the offset stays 0
    if (std::fseek(stream, offset_at, SEEK_SET) == 0) {
        write_long(static_cast<int32_t>(end), stream);
        std::fseek(stream, end, SEEK_SET);
    }
}

void awrite_Part(Part* part, FILE* stream, int level, const char* entry_name) {
    std::fflush(stream);
    put_line(stream, level, "(PART ");
    put_line(stream, level + 1, "(COMMON");
    put_line(stream, level + 2,
             std::string("(TYPE ") + type_name(part->type) + " " + std::to_string(part->devices) + ")");
    write_indent(stream, level + 2);
    write_SIZE(part->body.w, part->body.h, stream, -1);
    put_newline(stream);
    if (!part->prefix.empty())
        put_line(stream, level + 2, "(REFERENCE " + quote_string(part->prefix.get()) + " )");
    if (part->sheet_path && part->sheet_path[0])
        put_line(stream, level + 2, "(SHEETPATH " + quote_string(part->sheet_path) + " )");
    put_line(stream, level + 1, ")");
    awrite_form(part, normal_form(part), stream, level + 1, entry_name);
    awrite_form(part, convert_form(part), stream, level + 1, entry_name);
    put_line(stream, level, ")");
    std::fflush(stream);
}

void restore_PartVectors(Part* part) {
    if (!part) return;
    restore_Vectors(part->normal);
    restore_Vectors(part->convert);
}
