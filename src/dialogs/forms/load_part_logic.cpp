#include "dialogs/forms/load_part_logic.h"

#include <strings.h>
#include <cstdio>
#include <utility>

#include "foundation/app_utils.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "platform/profile.h"

std::vector<std::string> library_directory_files() {
    int count = 0;
    char** names = list_library_files(&count);
    std::vector<std::string> files(names, names + count);
    free_name_array(names, count);
    return files;
}

bool choose_libraries(const std::vector<std::string>& names) {
    stdlib_clear();
    int position = 0;
    for (const std::string& name : names) {
        if (position >= STDLIB_MAX) {
            services().bell();
            return false;
        }
        if (stdlib_insert(name.c_str(), position) == 0) ++position;
    }
    return true;
}

std::vector<FoundPart> search_parts(const std::vector<std::string>& libraries,
                                    const std::string& pattern, int* total) {
    std::vector<FoundPart> found;
    *total = 0;
    for (const std::string& library : libraries) {
        std::vector<LibPartRow> rows;
        std::string searched;
        const int n = search_LibParts(library.c_str(), pattern.c_str(), &rows, &searched, true);
        if (n <= 0) continue;
        *total += n;
        if (strcasecmp(searched.c_str(), library.c_str()) != 0) continue;
        for (const LibPartRow& row : rows)
            if (row.entry) found.push_back({library, row.entry->name.get()});
    }
    return found;
}

std::string parts_found_text(int total) {
    char text[48];
    std::snprintf(text, sizeof text, "%-8d Part(s) Found", total);
    return text;
}

// --- the palette ----------------------------------------------------------------------------------

std::vector<PaletteRow> palette_rows() {
    std::vector<PaletteRow> rows;
    const int count = proper_get(NB_PART_PALETTE);
    for (int i = 0; i < count && i < PALETTE_ROWS; ++i)
        rows.push_back({strproper_get(PART_PALETTE_LIB, i), strproper_get(PART_PALETTE_PART, i),
                        proper_get(PART_PALETTE_CONV, i) != 0});
    return rows;
}

void palette_store(const std::vector<PaletteRow>& rows) {
    const int count =
        static_cast<int>(rows.size()) < PALETTE_ROWS ? static_cast<int>(rows.size()) : PALETTE_ROWS;
    for (int i = 0; i < PALETTE_ROWS; ++i) {
        const bool used = i < count;
        proper_set_live(PART_PALETTE_LIB, i, used ? rows[i].library : "", PART_PALETTE_PART, i,
                        used ? rows[i].part : "", PART_PALETTE_CONV, i,
                        used && rows[i].converted ? 1 : 0, 0);
    }
    proper_set_live(NB_PART_PALETTE, count, 0);
}

void palette_write() {
    ProfileBatch batch;
    const int count = proper_get(NB_PART_PALETTE);
    proper_set(NB_PART_PALETTE, count, 0);
    for (int i = 0; i < count && i < PALETTE_ROWS; ++i) {
        const std::string library = strproper_get(PART_PALETTE_LIB, i);
        const std::string part = strproper_get(PART_PALETTE_PART, i);
        proper_set(PART_PALETTE_LIB, i, library, PART_PALETTE_PART, i, part, PART_PALETTE_CONV, i,
                   proper_get(PART_PALETTE_CONV, i), 0);
    }
}

PaletteAdd palette_add(std::vector<PaletteRow>* rows, const PaletteRow& row) {
    for (const PaletteRow& r : *rows)
        if (strcasecmp(r.library.c_str(), row.library.c_str()) == 0 &&
            strcasecmp(r.part.c_str(), row.part.c_str()) == 0 && r.converted == row.converted)
            return PaletteAdd::PRESENT;
    if (rows->size() >= PALETTE_ROWS) {
        services().bell();
        return PaletteAdd::FULL;
    }
    rows->push_back(row);
    return PaletteAdd::ADDED;
}

bool palette_can_move(const std::vector<PaletteRow>& rows, int row, int step) {
    const int to = row + step;
    return row >= 0 && row < static_cast<int>(rows.size()) && to >= 0 &&
           to < static_cast<int>(rows.size()) && (step == 1 || step == -1);
}

bool palette_move(std::vector<PaletteRow>* rows, int row, int step) {
    if (!palette_can_move(*rows, row, step)) return false;
    std::swap((*rows)[static_cast<size_t>(row)], (*rows)[static_cast<size_t>(row + step)]);
    return true;
}

const char* palette_form_cell(bool converted) { return converted ? "C" : "N"; }

// --- the sheet --------------------------------------------------------------------------------------

LoadPartSheet::LoadPartSheet()
    : snapshot_(std::make_unique<PropertySnapshot>(
          std::vector<int>{NB_PART_PALETTE, PART_PALETTE_LIB, PART_PALETTE_PART, PART_PALETTE_CONV,
                           NB_STDLIB, LIBS, PLACE_VPOWER, PLACE_CONVERTED})) {}

LoadPartSheet::~LoadPartSheet() = default;

void LoadPartSheet::apply_tab_pages() {
    proper_set(PLACE_VPOWER, proper_get(PLACE_VPOWER), PLACE_CONVERTED, proper_get(PLACE_CONVERTED),
               0);
    palette_write();
    snapshot_.reset();
}

void LoadPartSheet::sheet_cancel() {
    if (snapshot_) snapshot_->restore();
    snapshot_.reset();
    get_config_value(PLACE_VPOWER, -1);
    get_config_value(PLACE_CONVERTED, -1);
}
