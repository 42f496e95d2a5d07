#include "dialogs/forms/prefs_pages.h"

#include <strings.h>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "dialogs/forms/form.h"
#include "foundation/file_system.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "platform/profile.h"

namespace {

using I = PrefItem;
using B = PrefBind;

constexpr long PAGE_HELP[PREFS_PAGE_COUNT] = {745, 740, 1270, 735, 770, 1260, 1265, 1275};

const char* const ONE_TO_TEN = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10";
const char* const ONE_TO_30 =
    "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n21\n22\n23\n24\n25\n"
    "26\n27\n28\n29\n30";
const char* const ONE_TO_32 =
    "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20\n21\n22\n23\n24\n25\n"
    "26\n27\n28\n29\n30\n31\n32";
const char* const SHEET_TYPES =
    "A Size\nB Size\nC Size\nD Size\nE Size\nA4 Size\nA3 Size\nA2 Size\nA1 Size\nA0 Size\nCustom";
constexpr int SHEET_TYPE_COUNT = 11;

const std::vector<PrefRow> drawing_rows = {
    {I::COLUMNS},
    {I::GROUP, 0, "Grid"},
    {I::GROUP, 0, "Size"},
    {I::RADIO, 1114, "Coarse", B::VALUE, GRID_THICK, 0},
    {I::RADIO, 1115, "Medium", B::VALUE, GRID_THICK, 1},
    {I::RADIO, 1116, "Fine", B::VALUE, GRID_THICK, 2},
    {I::END_GROUP},
    {I::GROUP, 0, "Style"},
    {I::RADIO, 1117, "Line", B::VALUE, GRID_STYLE, 0},
    {I::RADIO, 1118, "Dot", B::VALUE, GRID_STYLE, 1},
    {I::END_GROUP},
    {I::END_GROUP},
    {I::GROUP, 0, "Repeat Increments"},
    {I::EDIT, 1102, "Delta X", B::NUMBER, RDELTA_X},
    {I::EDIT, 1109, "Delta Y", B::NUMBER, RDELTA_Y},
    {I::CHOICE, 1110, "Label Increment", B::INDEX, RDELTA_L, 1, ONE_TO_TEN},
    {I::END_GROUP},
    {I::NEXT_COLUMN},
    {I::GROUP, 0, "Junctions"},
    {I::GROUP, 0, "Style"},
    {I::RADIO, 1106, "Circle", B::VALUE, DEFAULT_JUNC_STYLE, 4},
    {I::RADIO, 1107, "Square", B::VALUE, DEFAULT_JUNC_STYLE, 0},
    {I::RADIO, 1108, "Diamond", B::VALUE, DEFAULT_JUNC_STYLE, 8},
    {I::END_GROUP},
    {I::GROUP, 0, "Size"},
    {I::RADIO, 1103, "Small", B::VALUE, DEFAULT_JUNC_WIDTH, 400},
    {I::RADIO, 1104, "Medium", B::VALUE, DEFAULT_JUNC_WIDTH, 800},
    {I::RADIO, 1105, "Large", B::VALUE, DEFAULT_JUNC_WIDTH, 1200},
    {I::END_GROUP},
    {I::END_GROUP},
    {I::GROUP, 0, "Multi Wires"},
    {I::EDIT, 1111, "Spacing", B::NUMBER, MULTIWIRE_DELTA},
    {I::EDIT, 1112, "Number", B::NUMBER, MULTIWIRE_NB},
    {I::END_GROUP},
    {I::END_COLUMNS},
    {I::CHECK, 1113, "Keep cursor in work area", B::FLAG, CURSOR_IN_SHEET},
};

const std::vector<PrefRow> visible_rows = {
    {I::COLUMNS},
    {I::GROUP, 0, "Visible at Scale"},
    {I::CHECK, 1038, "Pin Numbers", B::FLAG, SCAL_VIS_PIN_NUM},
    {I::CHECK, 1039, "Pin Names", B::FLAG, SCAL_VIS_PIN_NAME},
    {I::CHECK, 1040, "Module Port Text", B::FLAG, SCAL_VIS_PORT},
    {I::CHECK, 1041, "Power Texts", B::FLAG, SCAL_VIS_POWER},
    {I::CHECK, 1058, "Sheet Name", B::FLAG, SCAL_VIS_SHEET_NAME},
    {I::CHECK, 1042, "Sheet Nets", B::FLAG, SCAL_VIS_SHEET_NET},
    {I::CHECK, 1043, "Title Block", B::FLAG, SCAL_VIS_TITLE},
    {I::CHECK, 1044, "Attribute Fields", B::FLAG, SCAL_VIS_PART_FIELD},
    {I::CHECK, 1045, "Labels", B::FLAG, SCAL_VIS_LABEL},
    {I::CHECK, 1046, "Comments", B::FLAG, SCAL_VIS_TEXT},
    {I::BUTTON, VIS_SELECT_ALL, "Select All"},
    {I::BUTTON, VIS_DESELECT_ALL, "De-Select All"},
    {I::END_GROUP},
    {I::NEXT_COLUMN},
    {I::GROUP, 0, "Zoom Cut Factor"},
    {I::RADIO, 1049, "25%", B::ZOOM, ZOOM_CUT, 25},
    {I::RADIO, 1050, "50%", B::ZOOM, ZOOM_CUT, 50},
    {I::RADIO, 1051, "100%", B::ZOOM, ZOOM_CUT, 100},
    {I::RADIO, 1052, "200%", B::ZOOM, ZOOM_CUT, 200},
    {I::RADIO, 1053, "400%", B::ZOOM, ZOOM_CUT, 400},
    {I::RADIO, 1054, "800%", B::ZOOM, ZOOM_CUT, 800},
    {I::RADIO, 1055, "1600%", B::ZOOM, ZOOM_CUT, 1600},
    {I::RADIO, 1056, "3200%", B::ZOOM, ZOOM_CUT, 3200},
    {I::RADIO, 1057, "6400%", B::ZOOM, ZOOM_CUT, 6400},
    {I::END_GROUP},
    {I::END_COLUMNS},
    {I::NOTE, 0, "The items that are de-selected above will"},
    {I::NOTE, 0, "not be displayed when the zoom level is"},
    {I::NOTE, 0, "at or below the Zoom Cut Factor"},
};

const std::vector<PrefRow> select_rows = {
    {I::GROUP, 0, "Selection Filter"},
    {I::COLUMNS},
    {I::CHECK, 1018, "Parts", B::BIT, EDIT_MODE, 0x1},
    {I::CHECK, 1021, "Module Ports", B::BIT, EDIT_MODE, 0x2},
    {I::CHECK, 1023, "Power Symbols", B::BIT, EDIT_MODE, 0x4},
    {I::CHECK, 1019, "Wires", B::BIT, EDIT_MODE, 0x8},
    {I::CHECK, 1020, "Buses", B::BIT, EDIT_MODE, 0x10},
    {I::CHECK, 1022, "Sheet Symbols", B::BIT, EDIT_MODE, 0x20},
    {I::NEXT_COLUMN},
    {I::CHECK, 1024, "Sheet Nets", B::BIT, EDIT_MODE, 0x40},
    {I::CHECK, 1025, "Junctions", B::BIT, EDIT_MODE, 0x80},
    {I::CHECK, 1030, "Comments", B::BIT, EDIT_MODE, 0x100},
    {I::CHECK, 1031, "Labels", B::BIT, EDIT_MODE, 0x200},
    {I::CHECK, 1029, "Drawing Objects", B::BIT, EDIT_MODE, 0x400},
    {I::CHECK, 1028, "No Connect", B::BIT, EDIT_MODE, 0x800},
    {I::END_COLUMNS},
    {I::END_GROUP},
    {I::BUTTON, SELECT_ALL, "Select All"},
    {I::BUTTON, DESELECT_ALL, "De-Select All"},
    {I::NOTE, 0, "The items that are checked above will be selected when a marquee is"},
    {I::NOTE, 0, "drawn around multiple objects"},
};

const std::vector<PrefRow> misc_rows = {
    {I::COLUMNS},
    {I::GROUP, 0, "Micellaneous"},
    {I::CHECK, 1005, "Show ERC Warnings", B::FLAG, SHOW_WERC},
    {I::CHECK, 1006, "Auto Clean Up", B::FLAG, AUTO_CLEANUP},
    {I::CHECK, 1007, "Show Field Associations", B::FLAG, ATTACH_FIELD},
    {I::CHECK, 1008, "Show Items Filled", B::FLAG, PAINT_FILLED},
    {I::CHECK, 1129, "Autopan", B::FLAG, AUTOPAN_ENABLE},
    {I::EDIT, 1130, "Part Palette Size", B::NUMBER, PARTPAL_SIZE},
    {I::END_GROUP},
    {I::GROUP, 0, "Auto Backup"},
    {I::CHECK, MISC_BAK_FILE, "Create Backup Files", B::FLAG, BAK_FILE},
    {I::CHOICE, 1016, "Nb. Backups", B::INDEX, NB_BACK, 1, ONE_TO_32, BAK_FILE},
    {I::CHOICE, 1017, "Every minutes", B::INDEX, MINUTES_BACK, 1, ONE_TO_30, BAK_FILE},
    {I::END_GROUP},
    {I::NEXT_COLUMN},
    {I::GROUP, 0, "Sheet Size"},
    {I::CHOICE, 1011, "Type", B::SHEET_TYPE, SHEET_SIZE, 0, SHEET_TYPES},
    {I::EDIT, 1009, "Width", B::SHEET_WIDTH, SIZE_SHEETW},
    {I::EDIT, 1010, "Height", B::SHEET_HEIGHT, SIZE_SHEETH},
    {I::END_GROUP},
    {I::GROUP, 0, "Log File"},
    {I::CHECK, 1012, "Append to Existing Log", B::NOT_FLAG, CLEAR_LOGFILE},
    {I::EDIT, MISC_LOG_FILE, "Log File", B::TEXT, LOGFILE},
    {I::BUTTON, MISC_BROWSE, "Browse"},
    {I::END_GROUP},
    {I::END_COLUMNS},
};

const std::vector<PrefRow> no_rows;

// The properties a page stored (for Cancel's snapshot), when asked.
std::vector<int>* stored_ids = nullptr;

// Writes the live value of a property (an element for a list) to the INI
// file.
// A row without a property (id 0) stores nothing.
void store_current(int id, int index = -1) {
    if (id == 0) return;
    if (stored_ids) stored_ids->push_back(id);
    const PropertyInfo& info = property_info(id);
    switch (info.kind) {
        // A copy: storing a text releases the one it replaces.
        case PropKind::TEXT: proper_set(id, std::string(strproper_get(id)), 0); break;
        case PropKind::DOUBLE: proper_set(id, fproper_get(id), 0); break;
        case PropKind::TEXT_LIST:
            proper_set(id, index, std::string(strproper_get(id, index)), 0);
            break;
        case PropKind::FLAG_LIST:
        case PropKind::INT_LIST:
        case PropKind::BYTE_LIST:
        case PropKind::COLOUR_LIST: proper_set(id, index, proper_get(id, index), 0); break;
        default: proper_set(id, proper_get(id), 0); break;
    }
}

void store_all(std::initializer_list<int> ids) {
    for (int id : ids) store_current(id);
}

int entry_count(const char* entries) {
    if (!entries || !*entries) return 0;
    int count = 1;
    for (const char* c = entries; *c; ++c) count += *c == '\n';
    return count;
}

int clamp_sheet_type(int type) { return type < 0 || type >= SHEET_TYPE_COUNT ? 0 : type; }

}  // namespace

long prefs_page_help(int page) {
    return page >= 0 && page < PREFS_PAGE_COUNT ? PAGE_HELP[page] : PAGE_HELP[0];
}

const std::vector<PrefRow>& prefs_page_rows(int page) {
    switch (page) {
        case PAGE_DRAWING: return drawing_rows;
        case PAGE_VISIBLE: return visible_rows;
        case PAGE_SELECT: return select_rows;
        case PAGE_MISC: return misc_rows;
        default: return no_rows;
    }
}

const PrefRow* prefs_row(int page, int id) {
    for (const PrefRow& row : prefs_page_rows(page))
        if (row.id == id && id != 0) return &row;
    return nullptr;
}

// --- values ----------------------------------------------------------------------------------------

PrefValue prefs_row_value(const PrefRow& row, const PrefsState& state) {
    PrefValue v;
    if (row.enabled_by) v.enabled = proper_get(row.enabled_by) != 0;
    const int type = clamp_sheet_type(state.sheet_type);
    switch (row.bind) {
        case B::NONE: break;
        case B::FLAG: v.number = proper_get(row.property) != 0; break;
        case B::NOT_FLAG: v.number = proper_get(row.property) == 0; break;
        case B::BIT: {
            // The filter's "everything" bit admits every kind: all are shown checked.
            const int32_t mode = proper_get(row.property);
            v.number = (mode & 0x40000000) != 0 || (mode & row.value) != 0;
            break;
        }
        case B::VALUE: v.number = proper_get(row.property) == row.value; break;
        case B::ZOOM: {
            static const int percent[] = {25, 50, 100, 200, 400, 800, 1600, 3200, 6400};
            v.number = percent[zoom_cut_position(fproper_get(row.property))] == row.value;
            break;
        }
        case B::NUMBER: v.text = std::to_string(proper_get(row.property)); break;
        case B::TEXT: v.text = strproper_get(row.property); break;
        case B::INDEX: {
            const int entry = proper_get(row.property) - row.value;
            const int count = entry_count(row.entries);
            v.number = entry >= 0 && entry < count ? entry : -1;
            break;
        }
        case B::SHEET_TYPE: v.number = type; break;
        case B::SHEET_WIDTH: v.text = std::to_string(proper_get(SIZE_SHEETW, type)); break;
        case B::SHEET_HEIGHT: v.text = std::to_string(proper_get(SIZE_SHEETH, type)); break;
    }
    return v;
}

bool prefs_row_changed(const PrefRow& row, int number, const std::string& text, PrefsState* state) {
    const int type = clamp_sheet_type(state->sheet_type);
    switch (row.bind) {
        case B::NONE: return false;
        case B::FLAG: proper_set_live(row.property, number ? 1 : 0, 0); break;
        case B::NOT_FLAG: proper_set_live(row.property, number ? 0 : 1, 0); break;
        case B::BIT: {
            int32_t mode = proper_get(row.property);
            // Leaving "everything" keeps every kind but the one unchecked.
            if (mode & 0x40000000) mode = 0xFFF;
            mode = number ? (mode | row.value) : (mode & ~row.value);
            proper_set_live(row.property, mode, 0);
            break;
        }
        case B::VALUE:
            if (!number) return false;
            proper_set_live(row.property, row.value, 0);
            break;
        case B::ZOOM:
            if (!number) return false;
            proper_set_live(row.property, row.value / 100.0, 0);
            break;
        case B::NUMBER:
            proper_set_live(row.property, leading_number(text), 0);
            if (row.property == PARTPAL_SIZE) state->palette_size_changed = true;
            break;
        case B::TEXT: proper_set_live(row.property, text, 0); break;
        case B::INDEX:
            if (number < 0) return false;
            proper_set_live(row.property, number + row.value, 0);
            break;
        case B::SHEET_TYPE:
            if (number < 0 || number >= SHEET_TYPE_COUNT) return false;
            state->sheet_type = number;
            state->sheet_size_changed = true;
            proper_set_live(SHEET_SIZE, number, 0);
            return true;  // Width and Height show the new type
        case B::SHEET_WIDTH:
            proper_set_live(SIZE_SHEETW, type, leading_number(text), 0);
            state->sheet_size_changed = true;
            break;
        case B::SHEET_HEIGHT:
            proper_set_live(SIZE_SHEETH, type, leading_number(text), 0);
            state->sheet_size_changed = true;
            break;
    }
    // A control that enables others.
    for (const PrefRow& other : misc_rows)
        if (other.enabled_by == row.property && row.property != 0) return true;
    return false;
}

// --- the sheet -------------------------------------------------------------------------------------

PrefsSheet::PrefsSheet(PrefsHost& host) : host_(host) {
    props_snapshot();
    state_.project_at_open = strproper_get(DIR_PROJECT);
    state_.library_at_open = strproper_get(DIR_LIBRARY);
}

PrefsSheet::~PrefsSheet() = default;

void PrefsSheet::page_fill(int page) {
    if (page < 0 || page >= PREFS_PAGE_COUNT) return;
    state_.opened[page] = true;
    if (page == PAGE_MISC) {
        const int shown = host_.document_sheet_size();
        state_.sheet_type = clamp_sheet_type(shown >= 0 ? shown : proper_get(SHEET_SIZE));
    }
    if (page == PAGE_OBJECTS) state_.power_width_changed = false;
}

bool PrefsSheet::page_command(int page, int id) {
    if (page == PAGE_VISIBLE && (id == VIS_SELECT_ALL || id == VIS_DESELECT_ALL)) {
        const int on = id == VIS_SELECT_ALL ? 1 : 0;
        for (const PrefRow& row : visible_rows)
            if (row.item == I::CHECK) proper_set_live(row.property, on, 0);
        return true;
    }
    if (page == PAGE_SELECT && (id == SELECT_ALL || id == DESELECT_ALL)) {
        proper_set_live(EDIT_MODE, id == SELECT_ALL ? 0xFFF : 0, 0);
        return true;
    }
    return false;
}

void PrefsSheet::page_apply(int page) {
    ProfileBatch batch;  // the page's settings are written together
    switch (page) {
        case PAGE_FILE_LOCATIONS: {
            store_all({DIR_PROJECT, DIR_LIBRARY, NB_PROJ, NB_LIB});
            for (int i = 0; i < proper_get(NB_PROJ) && i < DIRECTORY_SLOTS; ++i)
                store_current(THE_PROJ, i);
            for (int i = 0; i < proper_get(NB_LIB) && i < DIRECTORY_SLOTS; ++i)
                store_current(THE_LIB, i);
            break;
        }
        case PAGE_DRAWING:
            store_all({GRID_THICK, GRID_STYLE, CURSOR_IN_SHEET, DEFAULT_JUNC_STYLE,
                       DEFAULT_JUNC_WIDTH, RDELTA_X, RDELTA_Y, RDELTA_L, MULTIWIRE_DELTA,
                       MULTIWIRE_NB});
            break;
        case PAGE_TEXT:
            for (const TextKind& kind : TEXT_KINDS) {
                if (kind.visible_property) store_current(kind.visible_property, kind.visible_index);
                store_current(kind.font_property);
                store_current(kind.colour_property, kind.colour_index);
            }
            proper_set(SYSTEM_FONT, system_fonts, 0);
            break;
        case PAGE_OBJECTS:
            for (const ObjectKind& kind : OBJECT_KINDS) {
                if (kind.visible_property) store_current(kind.visible_property);
                store_current(kind.colour_property);
                if (kind.width_property) store_current(kind.width_property);
            }
            break;
        case PAGE_VISIBLE:
            for (const PrefRow& row : visible_rows)
                if (row.item == I::CHECK) store_current(row.property);
            store_current(ZOOM_CUT);
            break;
        case PAGE_ATTRIBUTES: {
            store_current(NB_FIELD_NAME);
            const int count = proper_get(NB_FIELD_NAME);
            for (int i = 2; i < count && i < FIELD_NAME_SLOTS; ++i)
                set_field_name(i, std::string(get_field_name(i)).c_str());
            break;
        }
        case PAGE_SELECT: store_current(EDIT_MODE); break;
        case PAGE_MISC:
            store_all({ATTACH_FIELD, AUTOPAN_ENABLE, SHOW_WERC, AUTO_CLEANUP, PAINT_FILLED,
                       CLEAR_LOGFILE, BAK_FILE, LOGFILE, SHEET_SIZE});
            for (int i = 0; i < SHEET_TYPE_COUNT; ++i) {
                store_current(SIZE_SHEETW, i);
                store_current(SIZE_SHEETH, i);
            }
            store_all({MINUTES_BACK, NB_BACK, PARTPAL_SIZE});
            break;
        default: break;
    }
}

void PrefsSheet::prefs_page_finish(int page) {
    switch (page) {
        case PAGE_DRAWING: host_.reload_view_options(); break;
        case PAGE_OBJECTS:
            if (state_.power_width_changed) {
                state_.power_width_changed = false;
                host_.power_symbols_refresh();
            }
            break;
        case PAGE_MISC:
            if (state_.sheet_size_changed) {
                state_.sheet_size_changed = false;
                if (host_.document_sheet_size() >= 0)
                    host_.set_document_sheet_size(clamp_sheet_type(state_.sheet_type));
            }
            host_.autosave_stop();
            if (proper_get(BAK_FILE)) host_.autosave_start();
            break;
        default: break;
    }
}

// What Apply stored is what Cancel returns to from now on; the other
// pages' changes are still Cancel's to undo.
void PrefsSheet::apply(int page) {
    std::vector<int> ids;
    stored_ids = &ids;
    page_apply(page);
    stored_ids = nullptr;
    if (page == PAGE_ATTRIBUTES) ids.push_back(FIELD_NAME);
    prefs_page_finish(page);
    if (snapshot_) snapshot_->retake(ids);
    state_.project_at_open = strproper_get(DIR_PROJECT);
    state_.library_at_open = strproper_get(DIR_LIBRARY);
}

void PrefsSheet::ok() {
    apply_tab_pages();
    prefs_finish_pages();
}

void PrefsSheet::apply_tab_pages() {
    ProfileBatch batch;
    for (int page = 0; page < PREFS_PAGE_COUNT; ++page)
        if (state_.opened[page]) page_apply(page);
}

void PrefsSheet::prefs_finish_pages() {
    for (int page = 0; page < PREFS_PAGE_COUNT; ++page) prefs_page_finish(page);
    if (state_.palette_size_changed && proper_get(SHOW_PART_PALETTE)) {
        const int size = proper_get(PARTPAL_SIZE);
        proper_set(PARTPAL_SIZE, size < 20 ? 20 : size > 200 ? 200 : size, 0);
        host_.resize_palette();
    }
    props_snapshot_free();
}

void PrefsSheet::sheet_cancel() {
    props_restore();
    props_snapshot_free();
}

void PrefsSheet::props_snapshot() { snapshot_ = std::make_unique<PropertySnapshot>(); }

void PrefsSheet::props_restore() {
    if (snapshot_) snapshot_->restore();
}

void PrefsSheet::props_snapshot_free() { snapshot_.reset(); }

// --- conversions -----------------------------------------------------------------------------------

int zoom_cut_position(double zoom_cut) {
    int position = 0;
    for (double threshold : {0.5, 1.0, 2.0, 4.0, 8.0, 16.0, 32.0, 64.0})
        if (zoom_cut >= threshold) ++position;
    return position;
}

double width_choice_points(int index) {
    static const double small[] = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0, 2.5};
    if (index < 0) return small[0];
    if (index < 7) return small[index];
    return index >= WIDTH_CHOICES ? 12.0 : index - 4;
}

std::string width_choice_label(int index) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.2f", width_choice_points(index));
    return text;
}

int width_choice_index(int32_t width) {
    const double points = width * 72.0 / 10000.0;
    for (int i = 0; i < 7; ++i)
        if (width_choice_points(i) + 0.1 > points) return i;
    const double index = std::trunc(points + 0.5) + 4;
    return index > WIDTH_CHOICES - 1 ? WIDTH_CHOICES - 1 : static_cast<int>(index);
}

int32_t width_from_choice(int index) {
    return static_cast<int32_t>(std::trunc(width_choice_points(index) * 10000.0 / 72.0));
}

// --- Text Prop. -------------------------------------------------------------------------------------

const TextKind TEXT_KINDS[TEXT_KIND_COUNT] = {
    {"Pin Number", FONT_PINNUM, VISIBLE_PINNUM, -1, COLOR_PINNUM, -1},
    {"Pin Name", FONT_PINNAME, VISIBLE_PINNAME, -1, COLOR_PINNAME, -1},
    {"Part Reference", FONT_PARTREF, VISIBLE_FIELDS, 0, COLOR_PARTFIELD, 0},
    {"Part Value", FONT_PARTVAL, VISIBLE_FIELDS, 1, COLOR_PARTFIELD, 1},
    {"Power Text", FONT_POWERTXT, 0, -1, COLOR_POWERTXT, -1},
    {"Sheet Name", FONT_SHEETNAME, VISIBLE_SHEETNAME, -1, COLOR_SHEETTXT, -1},
    {"Sheet Net", FONT_SHEETNET, VISIBLE_SHEETNET, -1, COLOR_SHEETNET, -1},
    {"Labels", FONT_LABEL, VISIBLE_LABEL, -1, COLOR_LABEL, -1},
    {"Comments", FONT_COMMENT, VISIBLE_TEXT, -1, COLOR_COMMENT, -1},
    {"Module Port Text", FONT_MODULETXT, 0, -1, COLOR_PORTTXT, -1},
    {"Title Block Text", FONT_TITLE, 0, -1, COLOR_TITLETXT, -1},
    {"Border Text", FONT_BORDERTXT, 0, -1, COLOR_BORDER, -1},
    {"Attributes", FONT_USERFIELD, VISIBLE_FIELDS, 2, COLOR_PARTFIELD, 2},
};

namespace {
constexpr int BORDER_TEXT_ROW = 11;
constexpr int FIRST_DOCUMENT_FONT = 10;

bool text_row_ok(int row) { return row >= 0 && row < TEXT_KIND_COUNT; }
}  // namespace

std::string text_visible_cell(int row) {
    if (!text_row_ok(row) || !TEXT_KINDS[row].visible_property) return "N/A";
    const TextKind& k = TEXT_KINDS[row];
    return proper_get(k.visible_property, k.visible_index) ? "Yes" : "No";
}

int text_kind_font(int row) {
    return text_row_ok(row) ? proper_get(TEXT_KINDS[row].font_property) : 0;
}

std::string text_font_describe(int row) {
    int id = text_kind_font(row);
    if (id < FIRST_DOCUMENT_FONT) return "Built-in";
    services().font_for_text(&system_fonts, &id);
    for (Font* font : list_items<Font>(system_fonts)) {
        if (font->number + FIRST_DOCUMENT_FONT != id) continue;
        font->state |= 1;
        return font_description(font);
    }
    return "Built-in";
}

uint32_t text_kind_colour(int row) {
    if (!text_row_ok(row)) return 0;
    return static_cast<uint32_t>(
        proper_get(TEXT_KINDS[row].colour_property, TEXT_KINDS[row].colour_index));
}

void text_kind_set_font(int row, int font_id) {
    if (!text_row_ok(row)) return;
    proper_set_live(TEXT_KINDS[row].font_property, font_id, 0);
    if (row != 0 || font_id < FIRST_DOCUMENT_FONT) return;
    for (int other = 1; other < TEXT_KIND_COUNT; ++other)
        if (other != BORDER_TEXT_ROW && text_kind_font(other) == 0)
            proper_set_live(TEXT_KINDS[other].font_property, font_id, 0);
}

void text_kind_set_visible(int row, int choice) {
    if (!text_row_ok(row) || !TEXT_KINDS[row].visible_property || choice < 0) return;
    const TextKind& k = TEXT_KINDS[row];
    if (k.visible_index >= 0)
        proper_set_live(k.visible_property, k.visible_index, choice == 0 ? 1 : 0, 0);
    else
        proper_set_live(k.visible_property, choice == 0 ? 1 : 0, 0);
}

void text_kind_set_colour(int row, uint32_t rgb) {
    if (!text_row_ok(row)) return;
    const TextKind& k = TEXT_KINDS[row];
    if (k.colour_index >= 0)
        proper_set_live(k.colour_property, k.colour_index, static_cast<int32_t>(rgb), 0);
    else
        proper_set_live(k.colour_property, static_cast<int32_t>(rgb), 0);
}

uint32_t colour_of_control(int id) {
    if (text_row_ok(id - TEXT_COLOUR_FIRST)) return text_kind_colour(id - TEXT_COLOUR_FIRST);
    for (const ObjectKind& kind : OBJECT_KINDS)
        if (kind.colour_id == id && kind.colour_property)
            return static_cast<uint32_t>(proper_get(kind.colour_property));
    return 0;
}

void colour_of_control_set(int id, uint32_t rgb) {
    if (text_row_ok(id - TEXT_COLOUR_FIRST))
        return text_kind_set_colour(id - TEXT_COLOUR_FIRST, rgb);
    for (const ObjectKind& kind : OBJECT_KINDS)
        if (kind.colour_id == id && kind.colour_property)
            proper_set_live(kind.colour_property, static_cast<int32_t>(rgb), 0);
}

// --- Object Props. ------------------------------------------------------------------------------------

const ObjectKind OBJECT_KINDS[OBJECT_KIND_COUNT] = {
    {"Wire", 1070, VISIBLE_WIRE, 1082, COLOR_WIRE, 1059, WIDTH_WIRE},
    {"Bus", 1071, VISIBLE_BUSE, 1083, COLOR_BUS, 1060, WIDTH_BUS},
    {"Junction", 1080, VISIBLE_JUNC, 1092, COLOR_JUNCTION, 1069, WIDTH_JUNCTION},
    {"Power Object", 1074, VISIBLE_POWER, 1086, COLOR_POWEROBJ, 1063, WIDTH_POWEROBJ},
    {"Grid", 1081, SHOW_GRID, 1093, COLOR_GRID, 0, 0},
    {"ERC Errors", 0, 0, 1097, COLOR_ERROR, 0, 0},
    {"Background", 0, 0, 1099, COLOR_BACKG, 0, 0},
    {"Power Pins", 0, 0, 1101, COLOR_POWPIN, 0, 0},
    {"Title Block", 1078, VISIBLE_TMPL, 1090, COLOR_TITLE, 1067, WIDTH_TITLETXT},
    {"Drawing Objects", 1076, VISIBLE_DRAW, 1088, COLOR_DASHED, 1065, WIDTH_DASHED},
    {"No Connect", 1075, VISIBLE_NOCON, 1087, COLOR_NOCONNECT, 1064, WIDTH_NOCONNECT},
    {"Border", 1079, VISIBLE_BORDER, 1091, COLOR_FILM, 1068, WIDTH_TITLE},
    {"Module Port", 1072, VISIBLE_PORT, 1084, COLOR_PORT, 1061, WIDTH_PORT},
    {"Part Body", 1073, VISIBLE_PART, 1085, COLOR_PARTBODY, 1062, WIDTH_PARTBODY},
    {"Sheet Body", 1077, VISIBLE_SHEET, 1089, COLOR_SHEETBODY, 1066, WIDTH_SHEETBODY},
    {"IEEE", 1095, VISIBLE_IEEE, 0, 0, 0, 0},
};

void object_kind_set_width(int row, int index, PrefsState* state) {
    if (row < 0 || row >= OBJECT_KIND_COUNT || !OBJECT_KINDS[row].width_property || index < 0)
        return;
    proper_set_live(OBJECT_KINDS[row].width_property, width_from_choice(index), 0);
    if (OBJECT_KINDS[row].width_property == WIDTH_POWEROBJ) state->power_width_changed = true;
}

// --- Attribute Names ----------------------------------------------------------------------------------

namespace {
constexpr int FIRST_USER_FIELD = 2;
}

std::vector<std::string> user_field_names() {
    std::vector<std::string> names;
    const int count = proper_get(NB_FIELD_NAME);
    for (int i = FIRST_USER_FIELD; i < count && i < FIELD_NAME_SLOTS; ++i)
        names.push_back(get_field_name(i));
    return names;
}

bool field_name_add(const std::string& name) {
    if (name.empty()) return false;
    // The first user name goes after the reference and value slots, so that
    // it is one of the names the page shows.
    int slot = proper_get(NB_FIELD_NAME);
    if (slot < FIRST_USER_FIELD) slot = FIRST_USER_FIELD;
    if (slot >= FIELD_NAME_SLOTS) {
        services().bell();
        return false;
    }
    proper_set_live(FIELD_NAME, slot, name, NB_FIELD_NAME, slot + 1, 0);
    return true;
}

bool field_name_delete(int row) {
    const int count = proper_get(NB_FIELD_NAME);
    const int slot = row + FIRST_USER_FIELD;
    if (count <= FIRST_USER_FIELD || row < 0 || slot >= count) return false;
    for (int i = slot; i + 1 < count; ++i) {
        const std::string next = get_field_name(i + 1);
        proper_set_live(FIELD_NAME, i, next, 0);
    }
    proper_set_live(FIELD_NAME, count - 1, "", NB_FIELD_NAME, count - 1, 0);
    return true;
}

bool field_name_rename(const std::string& name, int row) {
    const int count = proper_get(NB_FIELD_NAME);
    const int slot = row + FIRST_USER_FIELD;
    if (name.empty() || count <= FIRST_USER_FIELD || row < 0 || slot >= count) return false;
    proper_set_live(FIELD_NAME, slot, name, 0);
    return true;
}

// --- File Locations --------------------------------------------------------------------------------------

const DirectoryList PROJECT_DIRECTORIES = {NB_PROJ, THE_PROJ, DIR_PROJECT};
const DirectoryList LIBRARY_DIRECTORIES = {NB_LIB, THE_LIB, DIR_LIBRARY};

std::vector<std::string> directory_list(const DirectoryList& list) {
    std::vector<std::string> paths;
    const int count = proper_get(list.count_property);
    for (int i = 0; i < count && i < DIRECTORY_SLOTS; ++i)
        paths.push_back(strproper_get(list.list_property, i));
    return paths;
}

DirAdd dir_list_add(const DirectoryList& list, const std::string& path) {
    proper_set_live(list.directory_property, path, 0);
    const std::vector<std::string> paths = directory_list(list);
    for (const std::string& listed : paths)
        if (strcasecmp(listed.c_str(), path.c_str()) == 0) return DirAdd::LISTED;
    const int count = static_cast<int>(paths.size());
    if (count >= DIRECTORY_SLOTS) {
        services().bell();
        return DirAdd::FULL;
    }
    proper_set_live(list.list_property, count, path, list.count_property, count + 1, 0);
    return DirAdd::ADDED;
}

bool dir_list_delete(const DirectoryList& list, int index) {
    const std::vector<std::string> paths = directory_list(list);
    const int count = static_cast<int>(paths.size());
    if (index < 0 || index >= count) return false;
    for (int i = index; i + 1 < count; ++i) proper_set_live(list.list_property, i, paths[i + 1], 0);
    proper_set_live(list.list_property, count - 1, "", list.count_property, count - 1, 0);
    std::string current;
    if (index < count - 1)
        current = paths[index + 1];
    else if (index > 0)
        current = paths[index - 1];
    proper_set_live(list.directory_property, current, 0);
    return true;
}

bool file_locations_valid(const PrefsState& state) {
    auto exists = [](const char* path) {
        std::error_code error;
        return std::filesystem::is_directory(system_path(path), error);
    };
    const char* project = strproper_get(DIR_PROJECT);
    const char* library = strproper_get(DIR_LIBRARY);
    const bool project_ok = !*project || project == state.project_at_open || exists(project);
    const bool library_ok = !*library || library == state.library_at_open || exists(library);
    return project_ok && library_ok;
}

std::optional<std::string> path_next_component(const char** cursor) {
    const char* at = *cursor;
    while (*at == '/') ++at;
    const char* end = at;
    while (*end && *end != '/') ++end;
    *cursor = end;
    if (end == at) return std::nullopt;
    return std::string(at, end);
}
