#include "render/render_fonts.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/gdicmn.h>

#include "foundation/core.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/fonts.h"
#include "model/documents/schema.h"
#include "model/documents/titleblock.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

namespace {

// Registry of realized fonts: entry n - 1 holds the font of number n, with
// the record it was made for and that record's face, style and size then. A
// record copied field by field carries a number that is not its own, and a
// record edited since carries a stale one: both get a font of their own.
// A released slot stays empty and is given out again.
struct Realized {
    std::unique_ptr<wxFont> font;
    const Font* owner = nullptr;
    std::string key;
};
std::vector<Realized>& registry() {
    static std::vector<Realized> fonts;
    return fonts;
}

// Measuring is done at this multiple of the record's size, so that pixel
// rounding stays well below a world unit per point.
constexpr double MEASURE_ZOOM = 8.0;

// The measuring fonts made last, by face, size and style: measuring the
// same texts at every paint must not build their fonts every time.
std::map<std::string, wxFont>& measuring_fonts() {
    static std::map<std::string, wxFont> fonts;
    return fonts;
}

const wxFont& measuring_font(const Font& record, double points) {
    std::map<std::string, wxFont>& fonts = measuring_fonts();
    const std::string key = font_key(record, points);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    if (fonts.size() >= 64) fonts.clear();
    return fonts.emplace(key, font_at_points(record, points)).first->second;
}

// Made on first use and dropped by render_fonts_cleanup.
// The bitmap and context texts are measured in.
struct Measuring {
    std::unique_ptr<wxBitmap> measuring_bitmap;
    std::unique_ptr<wxMemoryDC> measuring_context;
} measuring;

wxMemoryDC& measuring_dc() {
    if (!measuring.measuring_context) {
        measuring.measuring_bitmap = std::make_unique<wxBitmap>(8, 8);
        measuring.measuring_context = std::make_unique<wxMemoryDC>(*measuring.measuring_bitmap);
    }
    return *measuring.measuring_context;
}

void append_font(List** table, Font* font) {
    if (!*table) *table = list_new();
    if (!*table || !dlist_append(*table, font)) no_memory();
}

}  // namespace

std::string font_key(const Font& record, double points) {
    char key[FONT_FACE_SIZE + 64];
    std::snprintf(key, sizeof key, "%s/%ld/%d/%d%d%d", record.face_name, std::lround(points * 10),
                  record.weight, record.italic, record.underline, record.strike_out);
    return key;
}

double font_points(const Font& record) {
    if (record.size != 0) return std::abs(record.size) / 10.0;
    if (record.height != 0) return font_device_to_points(record.height);
    return 10.0;
}

wxFont font_at_points(const Font& record, double points) {
    wxFontInfo info(points > 0.1 ? points : 0.1);
    if (record.face_name[0])
        info.FaceName(wxString::FromUTF8(record.face_name));
    else
        info.Family(wxFONTFAMILY_SWISS);
    int weight = record.weight > 0 ? record.weight : 400;
    info.Weight(weight);
    info.Italic(record.italic != 0).Underlined(record.underline != 0);
    info.Strikethrough(record.strike_out != 0);
    return wxFont(info);
}

int font_device_to_points(int height) {
    int ppi = wxGetDisplayPPI().y;
    if (ppi <= 0) ppi = 96;
    return static_cast<int>((std::abs(int64_t{height}) * 72 + ppi / 2) / ppi);
}

// The font settings a font of its own would take are reserved numbers that
// hold no value: the record is the plain 10-point face of the system.
Font* default_font_record() {
    Font* font = new_Font();
    font->size = 100;
    font_set_face(font, "Sans");
    return font;
}

const wxFont& realize_font(Font* record) {
    auto& fonts = registry();
    const double points = font_points(*record);
    const std::string key = font_key(*record, points);
    const uint32_t n = record->realized;
    if (n >= 1 && n <= fonts.size() && fonts[n - 1].font && fonts[n - 1].owner == record) {
        Realized& mine = fonts[n - 1];
        if (mine.key != key) {
            *mine.font = font_at_points(*record, points);
            mine.key = key;
        }
        return *mine.font;
    }
    size_t slot = 0;
    while (slot < fonts.size() && fonts[slot].font) ++slot;
    if (slot == fonts.size()) fonts.emplace_back();
    fonts[slot] = Realized{std::make_unique<wxFont>(font_at_points(*record, points)), record, key};
    record->realized = static_cast<uint32_t>(slot + 1);
    return *fonts[slot].font;
}

void release_realized_font(Font* record) {
    auto& fonts = registry();
    const uint32_t n = record->realized;
    if (n >= 1 && n <= fonts.size() && fonts[n - 1].owner == record) fonts[n - 1] = Realized{};
    record->realized = 0;
}

void render_fonts_cleanup() {
    registry().clear();
    measuring_fonts().clear();
    measuring.measuring_context.reset();
    measuring.measuring_bitmap.reset();
}

int realized_font_count() {
    int count = 0;
    for (const auto& f : registry())
        if (f.font) ++count;
    return count;
}

void font_remove_entry(List** table, int number) {
    font_table_remove(table, number, release_realized_font);
}

const wxFont* font_for_text(List** fonts, int* font_id, Font** record) {
    Font* found = *font_id >= FONT_ID_BASE ? font_find(*fonts, *font_id - FONT_ID_BASE) : nullptr;
    if (!found) {
        Font* fallback = default_font_record();
        found = font_find_same(*fonts, fallback);
        if (found) {
            free_Font(fallback);
        } else {
            int number = *font_id - FONT_ID_BASE;
            if (*font_id < FONT_ID_BASE || number > FONT_NUMBER_MAX || font_find(*fonts, number))
                number = font_free_number(*fonts);
            if (number == FONT_NUMBER_NONE) {
                free_Font(fallback);
                *record = nullptr;
                return nullptr;
            }
            fallback->number = number;
            append_font(fonts, fallback);
            found = fallback;
        }
    }
    found->state |= 1;
    *font_id = found->number + FONT_ID_BASE;
    *record = found;
    return &realize_font(found);
}

namespace {

void collect_ids(List* items, std::set<int>* used, int depth);

void collect_vectors(Vectors* set, std::set<int>* used, int depth) {
    if (set) collect_ids(set->items, used, depth + 1);
}

void collect_ids(List* items, std::set<int>* used, int depth) {
    if (depth > 32) return;
    for (SchItem* item : list_items<SchItem>(items)) {
        switch (item->type) {
            case TEXT_ITEM:
                if (as_Text(item)->font >= FONT_ID_BASE) used->insert(as_Text(item)->font);
                break;
            case FILL_ITEM: collect_ids(as_Fill(item)->items, used, depth + 1); break;
            case SHEET_ITEM: collect_ids(as_Sheet(item)->items, used, depth + 1); break;
            case TITLEBLOCK_ITEM:
                collect_ids(as_TitleBlock(item)->fields, used, depth + 1);
                collect_ids(as_TitleBlock(item)->drawing, used, depth + 1);
                break;
            default: break;
        }
    }
}

}  // namespace

void purge_unused_fonts(Schema* schema) {
    if (!schema || !schema->fonts) return;
    std::set<int> used;
    if (schema->sheet) collect_ids(schema->sheet->items, &used, 0);
    collect_ids(schema->titleblock.fields, &used, 0);
    collect_ids(schema->titleblock.drawing, &used, 0);
    if (schema->library) {
        for (LibEntry* entry : lib_entries_in_order(schema->library)) {
            if (!entry->part) continue;
            collect_vectors(entry->part->normal, &used, 0);
            collect_vectors(entry->part->convert, &used, 0);
        }
    }
    std::vector<int> unused;
    for (Font* font : list_items<Font>(schema->fonts))
        if (!used.count(font->number + FONT_ID_BASE)) unused.push_back(font->number);
    for (int number : unused) font_remove_entry(&schema->fonts, number);
}

Point measure_text_world(const Font& record, const char* text) {
    wxMemoryDC& dc = measuring_dc();
    const double points = font_points(record);
    dc.SetFont(measuring_font(record, points * MEASURE_ZOOM));
    int ppi = dc.GetPPI().y;
    if (ppi <= 0) ppi = 96;
    const double world_per_pixel = 10000.0 / (ppi * MEASURE_ZOOM);
    std::string s = text ? text : "";
    int64_t width = 0, height = 0;
    size_t start = 0;
    while (true) {
        size_t end = s.find('@', start);
        std::string line =
            s.substr(start, end == std::string::npos ? std::string::npos : end - start);
        wxCoord w = 0, h = 0;
        dc.GetTextExtent(line.empty() ? wxString(" ") : wxString::FromUTF8(line), &w, &h);
        if (line.empty()) w = 0;
        width = std::max<int64_t>(width, w);
        height += h;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return Point{static_cast<int32_t>(std::lround(width * world_per_pixel)),
                 static_cast<int32_t>(std::lround(height * world_per_pixel))};
}
