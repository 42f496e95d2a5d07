// Readers of the two foreign schematic formats (see foreign.h).
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

#include "foundation/services.h"
#include "import/foreign.h"

namespace {

uint32_t le(const uint8_t* p, size_t n) {
    uint32_t value = 0;
    for (size_t i = n; i-- > 0;) value = (value << 8) | p[i];
    return value;
}

bool fits(const ForeignObject* object, size_t offset, size_t n) {
    return object && offset <= object->data.size() && n <= object->data.size() - offset;
}

void reverse_field(ForeignObject* object, size_t offset, size_t n) {
    uint8_t* p = object->data.data() + offset;
    for (size_t i = 0; i < n / 2; ++i) std::swap(p[i], p[n - 1 - i]);
}

void swap_fields(ForeignObject* object, std::initializer_list<size_t> offsets, size_t n) {
    for (size_t offset : offsets) reverse_field(object, offset, n);
}

void debug_line(const char* format, int a = 0, long b = 0) {
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    services().debug_write(text);
}

bool fail(ForeignInput* input, size_t offset, const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "%s at offset %zu", what, offset);
    input->error = text;
    return false;
}

// Smallest record (head and body) whose fixed fields a 32-bit type has;
// 0 for a type outside the table.
size_t sdt32_min_size(uint8_t type) {
    switch (type) {
        case SDT32_TITLE: return 16;
        case SDT32_SHEET: return 28;
        case SDT32_PART_OTHER:
        case SDT32_PART: return 78;
        case SDT32_WIRE:
        case SDT32_BUS:
        case SDT32_DASHED: return 16;
        case SDT32_LABEL:
        case SDT32_TEXT: return 15;
        case SDT32_PORT: return 17;
        case SDT32_POWER: return 14;
        case SDT32_BUS_ENTRY: return 13;
        case SDT32_JUNCTION:
        case SDT32_NOCONNECT:
        case SDT32_OTHER30: return 12;
        case SDT32_OTHER13: return 24;
        case SDT32_END: return 8;
        default: return 0;
    }
}

// Smallest 16-bit body by the low 4 bits of the type byte.
size_t sdt16_min_body(uint8_t type) {
    static const uint8_t sizes[16] = {0, 13, 28, 8, 8, 4, 6, 6, 5, 8, 5, 6, 5, 0, 0, 0};
    return sizes[type & 15];
}

// The entry table of a 32-bit sheet symbol in little-endian order: its
// length must be 12 x n and it must lie in the record.
bool sheet_table_ok(const ForeignObject* object) {
    uint64_t n = fo_u32(object, 24);
    uint64_t length = fo_u32(object, 20);
    return length == 12 * n && 28 + length <= object->data.size();
}

}  // namespace

// --- fields ---------------------------------------------------------------------

int32_t fo_i16(const ForeignObject* object, size_t offset) {
    return fits(object, offset, 2) ? static_cast<int16_t>(le(&object->data[offset], 2)) : 0;
}
uint32_t fo_u16(const ForeignObject* object, size_t offset) {
    return fits(object, offset, 2) ? le(&object->data[offset], 2) : 0;
}
uint32_t fo_u32(const ForeignObject* object, size_t offset) {
    return fits(object, offset, 4) ? le(&object->data[offset], 4) : 0;
}
uint32_t fo_u8(const ForeignObject* object, size_t offset) {
    return fits(object, offset, 1) ? object->data[offset] : 0;
}

bool pstring_skip(const ForeignObject* object, size_t offset, int n, size_t* after) {
    for (int i = 0; i < n; ++i) {
        if (!fits(object, offset, 1)) return false;
        offset += 1 + object->data[offset];
    }
    if (offset > object->data.size()) return false;
    *after = offset;
    return true;
}

bool pstring_get(const ForeignObject* object, size_t offset, int n, std::string* out) {
    out->clear();
    size_t at = 0;
    if (!pstring_skip(object, offset, n, &at) || !fits(object, at, 1)) return false;
    size_t length = object->data[at];
    if (!fits(object, at + 1, length)) return false;
    out->assign(reinterpret_cast<const char*>(&object->data[at + 1]), length);
    return true;
}

bool foreign_input_open(ForeignInput* input, const std::string& path) {
    *input = ForeignInput{};
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t block[65536];
    bool ok = true;
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) {
        if (input->bytes.size() + n > FOREIGN_FILE_MAX) {
            ok = false;
            break;
        }
        input->bytes.insert(input->bytes.end(), block, block + n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    return ok;
}

// --- 32-bit -------------------------------------------------------------------------

int sdt32_check_header(ForeignFile* file) {
    const uint8_t* h = file->header;
    file->swapped = h[0] == 'V' || h[0] == 'X';
    auto word = [&](size_t at) {
        uint32_t v = le(h + at, 4);
        return file->swapped ? __builtin_bswap32(v) : v;
    };
    const uint32_t sum = word(0) + word(4);
    return sum == 0 && std::memcmp(h + 8, "OrCAD 32bit Schematic   ", 24) == 0 ? 1 : 0;
}

void sdt32_swap_header(ForeignFile* file) {
    ForeignObject view;
    view.data.assign(file->header, file->header + SDT32_HEADER_SIZE);
    swap_fields(&view, {0, 4, 32, 36}, 4);
    for (size_t offset = 40; offset < 78; offset += 2) reverse_field(&view, offset, 2);
    std::memcpy(file->header, view.data.data(), SDT32_HEADER_SIZE);
}

bool sdt32_swap_object(ForeignObject* object) {
    const uint8_t type = object->type;
    const size_t min = sdt32_min_size(type);
    if (min == 0 || object->data.size() < min) return false;
    if (type == SDT32_SHEET) {
        swap_fields(object, {24, 20}, 4);
        if (!sheet_table_ok(object)) {
            swap_fields(object, {24, 20}, 4);
            return false;
        }
        swap_fields(object, {8, 10, 12, 14}, 2);
        swap_fields(object, {16}, 4);
        for (size_t at = 28, n = fo_u32(object, 24); n-- > 0; at += 12) {
            swap_fields(object, {at, at + 2}, 2);
            swap_fields(object, {at + 4}, 4);
        }
        return true;
    }
    switch (type) {
        case SDT32_TITLE:
        case SDT32_WIRE:
        case SDT32_BUS:
        case SDT32_DASHED: swap_fields(object, {8, 10, 12, 14}, 2); break;
        case SDT32_PART_OTHER:
        case SDT32_PART:
            swap_fields(object, {8, 10, 32}, 2);
            swap_fields(object, {12, 16, 20, 24, 28}, 4);
            for (size_t at = 34; at < 78; at += 2) reverse_field(object, at, 2);
            break;
        case SDT32_PORT: swap_fields(object, {8, 10, 14}, 2); break;
        case SDT32_OTHER13:
            swap_fields(object, {8, 10}, 2);
            swap_fields(object, {12, 16, 20}, 4);
            break;
        case SDT32_END: break;
        default: swap_fields(object, {8, 10}, 2); break;
    }
    return true;
}

std::unique_ptr<ForeignObject> sdt32_read_object(ForeignInput* input, bool swapped) {
    const size_t start = input->pos;
    const size_t left = input->bytes.size() - start;
    if (left == 0) return nullptr;
    if (left < SDT32_HEAD) return fail(input, start, "Record head cut short"), nullptr;
    auto object = std::make_unique<ForeignObject>();
    object->data.assign(input->bytes.begin() + static_cast<std::ptrdiff_t>(start),
                        input->bytes.begin() + static_cast<std::ptrdiff_t>(start + SDT32_HEAD));
    if (swapped) {
        reverse_field(object.get(), 2, 2);
        reverse_field(object.get(), 4, 4);
    }
    object->type = object->data[0];
    object->flag = object->data[1];
    object->word = static_cast<uint16_t>(fo_u16(object.get(), 2));
    object->size = fo_u32(object.get(), 4);
    if (sdt32_min_size(object->type) == 0)
        return fail(input, start, "Unknown record type"), nullptr;
    if (uint64_t{object->size} > left - SDT32_HEAD)
        return fail(input, start, "Record body cut short"), nullptr;
    const auto body = input->bytes.begin() + static_cast<std::ptrdiff_t>(start + SDT32_HEAD);
    object->data.insert(object->data.end(), body, body + object->size);
    if (object->data.size() < sdt32_min_size(object->type))
        return fail(input, start, "Record too short for its type"), nullptr;
    if (swapped ? !sdt32_swap_object(object.get())
                : object->type == SDT32_SHEET && !sheet_table_ok(object.get()))
        return fail(input, start, "Bad sheet entry table"), nullptr;
    input->pos = start + SDT32_HEAD + object->size;
    return object;
}

int sdt32_read_file(ForeignFile* file, ForeignInput* input) {
    if (input->bytes.size() < SDT32_HEADER_SIZE) return 1;
    std::memcpy(file->header, input->bytes.data(), SDT32_HEADER_SIZE);
    if (!sdt32_check_header(file)) return 1;
    file->sixteen = false;
    if (file->swapped) sdt32_swap_header(file);
    input->pos = SDT32_HEADER_SIZE;
    bool ended = false;
    while (auto object = sdt32_read_object(input, file->swapped)) {
        ended = ended || object->type == SDT32_END;
        file->objects.push_back(std::move(object));
    }
    if (!input->error.empty()) return -1;
    // A file cut at a record boundary reads as a shorter whole one: only the
    // closing record and the size the header gives tell it apart.
    const uint32_t told = le(file->header + 32, 4);
    if (!ended) return fail(input, input->pos, "The file is cut: its list end is missing"), -1;
    if (uint64_t{told} + SDT32_HEADER_SIZE != input->bytes.size())
        return fail(input, input->bytes.size(), "The file is cut: its header gives another size"),
               -1;
    return 0;
}

// --- 16-bit -------------------------------------------------------------------------

int sdt16_check_header(ForeignFile* file) {
    file->swapped = false;
    return std::memcmp(file->header + SDT32_HEADER_SIZE, "Schematic FILE", 14) == 0 ? 1 : 0;
}

bool sdt16_swap_object(ForeignObject* object) {
    if (object->type == SDT16_SYMBOLS) return true;
    if (object->data.size() < SDT16_HEAD + sdt16_min_body(object->type)) return false;
    auto body = [](std::initializer_list<size_t> offsets) {
        std::vector<size_t> out;
        for (size_t o : offsets) out.push_back(o + SDT16_HEAD);
        return out;
    };
    std::vector<size_t> fields;
    switch (object->type & 15) {
        case SDT16_SHEET:
        case SDT16_WIRE:
        case SDT16_BUS:
        case SDT16_DASHED: fields = body({0, 2, 4, 6}); break;
        case SDT16_PART: fields = body({0, 2, 4, 6, 8, 10, 12}); break;
        case SDT16_LABEL:
        case SDT16_TEXT: fields = body({0, 2, 4}); break;
        case SDT16_JUNCTION:
        case SDT16_PORT:
        case SDT16_BUS_ENTRY:
        case SDT16_POWER: fields = body({0, 2}); break;
        case SDT16_PROPERTY: fields = body({1, 3}); break;
        default: break;
    }
    for (size_t offset : fields) reverse_field(object, offset, 2);
    return true;
}

std::unique_ptr<ForeignObject> sdt16_read_object(ForeignInput* input) {
    const size_t start = input->pos;
    const size_t left = input->bytes.size() - start;
    auto object = std::make_unique<ForeignObject>();
    if (input->state16 == 2) return nullptr;
    if (input->state16 == 1) {
        debug_line("Residu %ld\n", 0, static_cast<long>(left));
        object->type = SDT16_SYMBOLS;
        object->size = static_cast<uint32_t>(left);
        object->data.assign(SDT16_HEAD, 0);
        object->data[0] = SDT16_SYMBOLS;
        object->data.insert(object->data.end(),
                            input->bytes.begin() + static_cast<std::ptrdiff_t>(start),
                            input->bytes.end());
        input->pos = input->bytes.size();
        input->state16 = 2;
        return object;
    }
    if (left == 0) return nullptr;
    if (left < 3) return fail(input, start, "Record head cut short"), nullptr;
    object->type = input->bytes[start];
    object->size = le(&input->bytes[start + 1], 2);
    if (object->size > left - 3) return fail(input, start, "Record body cut short"), nullptr;
    if (object->size < sdt16_min_body(object->type))
        return fail(input, start, "Record too short for its type"), nullptr;
    object->data = {object->type, 0, input->bytes[start + 1], input->bytes[start + 2]};
    const auto body = input->bytes.begin() + static_cast<std::ptrdiff_t>(start + 3);
    object->data.insert(object->data.end(), body, body + object->size);
    input->pos = start + 3 + object->size;
    static const char* const lines[16] = {"Loading frame\n",
                                          "load subsheet\n",
                                          "load part\n",
                                          "load wire\n",
                                          "load bus\n",
                                          "load junction\n",
                                          "load port\n",
                                          "load label\n",
                                          "load entry\n",
                                          "load dashed line\n",
                                          "load power\n",
                                          "load text\n",
                                          "load prop %d\n",
                                          "Loading unknow object type %d size %ld\n",
                                          "Loading unknow object type %d size %ld\n",
                                          nullptr};
    if (const char* line = lines[object->type & 15])
        debug_line(line, object->type, static_cast<long>(object->size));
    else
        input->state16 = 1;
    return object;
}

int sdt16_read_file(ForeignFile* file, ForeignInput* input) {
    if (input->bytes.size() < SDT16_HEADER_SIZE) return 1;
    std::memcpy(file->header + SDT32_HEADER_SIZE, input->bytes.data(), SDT16_HEADER_SIZE);
    if (!sdt16_check_header(file)) return 1;
    file->sixteen = true;
    input->pos = SDT16_HEADER_SIZE;
    input->state16 = 0;
    while (auto object = sdt16_read_object(input)) file->objects.push_back(std::move(object));
    if (!input->error.empty()) return -1;
    // Records that stop without the end-of-list record are a file cut short.
    if (input->state16 == 0)
        return fail(input, input->pos, "The file is cut: its list end is missing"), -1;
    return 0;
}
