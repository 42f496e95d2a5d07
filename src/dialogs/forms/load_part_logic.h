#pragma once
// The Load Part sheet without its windows: the parts of the chosen
// libraries that match a pattern, the part palette's rows, and what Cancel
// puts back.
//
// The libraries chosen on the sheet become the standard library list (at
// most 100); the palette in the properties follows every change of its
// rows at once (live), OK writes it to the INI file, and Cancel restores
// the palette, the standard library list and the two placement flags the
// sheet opened with.
#include <memory>
#include <string>
#include <vector>

class PropertySnapshot;

// The libraries of the library directory ("name.clb"), sorted ignoring case.
std::vector<std::string> library_directory_files();
// The chosen libraries become the standard library list, in order; false
// (with the bell) when more than 100 were chosen: the first 100 are kept.
bool choose_libraries(const std::vector<std::string>& names);

struct FoundPart {
    std::string library;
    std::string part;
};
// The parts of each library (in the order given) whose names match the
// pattern ("*" every part); *total counts every part found, also those of a
// library that answered under another name, which are not listed.
std::vector<FoundPart> search_parts(const std::vector<std::string>& libraries,
                                    const std::string& pattern, int* total);
// "%-8d Part(s) Found".
std::string parts_found_text(int total);

// --- the palette --------------------------------------------------------------------------------
constexpr int PALETTE_ROWS = 20;
struct PaletteRow {
    std::string library;
    std::string part;
    bool converted = false;
};
// The rows of the palette properties.
std::vector<PaletteRow> palette_rows();
// The rows into the palette properties (live, not into the INI file).
void palette_store(const std::vector<PaletteRow>& rows);
// The palette properties into the INI file.
void palette_write();

enum class PaletteAdd { ADDED, PRESENT, FULL };
// Appends a row unless one holds the same library and part (ignoring case)
// in the same form; a palette of 20 rows takes none (the bell rings).
PaletteAdd palette_add(std::vector<PaletteRow>* rows, const PaletteRow& row);
// Moves row `row` one up (-1) or down (+1); false when it cannot move.
bool palette_move(std::vector<PaletteRow>* rows, int row, int step);
bool palette_can_move(const std::vector<PaletteRow>& rows, int row, int step);
// "C" for the converted body, "N" for the normal one.
const char* palette_form_cell(bool converted);

// --- the sheet --------------------------------------------------------------------------------------
class LoadPartSheet {
public:
    LoadPartSheet();
    ~LoadPartSheet();
    // OK: the placement flags and the palette into the INI file.
    void apply_tab_pages();
    // Cancel: the palette and the standard library list as the sheet found
    // them; the placement flags as the INI file holds them.
    void sheet_cancel();

private:
    std::unique_ptr<PropertySnapshot> snapshot_;
};
