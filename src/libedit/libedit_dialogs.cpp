// The values and actions of the library editor's dialogs.
#include "libedit/libedit_dialogs.h"

#include <algorithm>
#include <cstdio>

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/services.h"
#include "libedit/libedit_kit.h"
#include "model/documents/document.h"
#include "model/items/library.h"
#include "model/items/libutil.h"

// --- Get Part ---------------------------------------------------------------------------------
std::vector<std::string> libedit_scan_parts(const Library* library, const char* pattern) {
    std::vector<std::string> names;
    if (!library) return names;
    std::vector<LibPartRow> rows;
    find_LibParts_matching(const_cast<Library*>(library), &rows,
                           pattern && *pattern ? pattern : "*");
    sort_part_matches_of(&rows, library);
    for (const LibPartRow& row : rows) names.emplace_back(row.entry->name.get());
    return names;
}

std::string parts_found_text(size_t count) { return std::to_string(count) + " Part(s) Found"; }

GetPartOutcome libedit_get_part(LibEdit* ed, const char* name) {
    Library* library = libedit_library(ed);
    if (!library || !name || !*name) return GET_PART_NOTHING;
    LibEntry* entry = find_LibEntry(library, name);
    if (!entry || !entry->part) {
        if (!confirm_box(nullptr, "Warning", 71, name)) return GET_PART_NO;
        ed->new_part_name = name;
        return GET_PART_CREATE;
    }
    if (!libedit_load_part(ed, entry, true)) return GET_PART_KEPT;
    char line[300];
    std::snprintf(line, sizeof line, "Loading part %s: *** OK\n", name);
    services().debug_write(line);
    libedit_attach_part(ed, entry, name);
    ed->host->part_menus();
    return GET_PART_LOADED;
}

// --- Place Body ----------------------------------------------------------------------------------
std::vector<std::string> device_rows() {
    std::vector<std::string> rows;
    for (int i = 0; i <= 16; ++i) {
        char text[8];
        std::snprintf(text, sizeof text, "%2d", i);
        rows.emplace_back(text);
    }
    return rows;
}

// --- Part Names -----------------------------------------------------------------------------------
void names_dialog_open(LibEdit* ed) { names_journal_open(ed); }

std::vector<std::string> names_dialog_fill(LibEdit* ed) {
    edit_checkpoint(ed->session);
    std::vector<std::string> names;
    for (const LibEntry* entry : ed->names) names.emplace_back(entry->name.get());
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lib_name_compare(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

std::string names_count_text(const LibEdit* ed) {
    return std::to_string(libedit_nb_names(ed)) + " Name(s) for this part";
}

void names_dialog_finish(LibEdit* ed, bool ok) {
    if (ok)
        names_journal_commit(ed);
    else
        names_journal_revert(ed);
}

// --- Part Info -------------------------------------------------------------------------------------
const std::vector<std::string>& part_info_labels() {
    static const std::vector<std::string> labels = {"Part Name:",
                                                    "Device Dimensions:",
                                                    "Device per Package:",
                                                    "Number of Pins (Normal):",
                                                    "Number of Pins (Convert):",
                                                    "Number of Name(s) attached:"};
    return labels;
}

std::vector<std::string> part_info_values(const LibEdit* ed) {
    PartInfo info;
    if (!libedit_part_info(ed, &info)) return {std::string(18, ' '), "0 X 0", "0", "0", "0", "1"};
    return {info.name,        info.dimensions,   info.devices,
            info.normal_pins, info.convert_pins, info.names};
}

// --- Get Vector Definition -----------------------------------------------------------------------------
void vector_search_drop(VectorSearch* search) {
    if (search->library && !search->own) free_Library(search->library);
    search->library = nullptr;
    search->own = false;
}

int libedit_vector_search(LibEdit* ed, VectorSearch* search, const char* library_file,
                          const char* pattern, std::vector<std::string>* names) {
    names->clear();
    vector_search_drop(search);
    Library* library = new_Library();
    if (load_Library(library, library_file ? library_file : "", false) != 0) {
        free_Library(library);
        return LIB_NOT_FOUND;
    }
    Library* own = libedit_library(ed);
    if (own && lib_name_compare(library->name, own->name) == 0) {
        // The window's library is the file being edited: it is used, never a second copy.
        free_Library(library);
        library = own;
    }
    std::vector<std::string> found =
        libedit_scan_parts(library, pattern && *pattern ? pattern : "*");
    if (found.empty()) {
        if (library != own) free_Library(library);
        return DOC_NO_SUCH_PART;
    }
    search->library = library;
    search->own = library == own;
    *names = std::move(found);
    return 0;
}
