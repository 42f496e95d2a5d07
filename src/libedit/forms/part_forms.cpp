#include "libedit/forms/part_forms.h"

#include <utility>

#include "libedit/libedit.h"
#include "libedit/libedit_dialogs.h"

namespace {

const char* const vector_rows = "Not Transfered\nTransf. on Normal\nTransf. on Convert";

}  // namespace

// --- Get Part -----------------------------------------------------------------------------
std::vector<FormRow> get_part_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK,
         .field = GP_PARTS,
         .label = "Parts:",
         .client = LE_PART_LIST,
         .min = 210,
         .max = 200},
        {.kind = RowKind::SUB_PANEL, .min = 6, .max = 6},
        {.kind = RowKind::AREA, .field = GP_PREVIEW, .min = 210, .max = 100},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GP_SELECTED,
         .label = "Selected Part:",
         .sample = "012345678901234"},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::LABEL, .label = "  "},
        {.kind = RowKind::BUTTON, .label = "Scan", .client = LE_PART_SCAN},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::LABEL, .field = GP_COUNT, .label = "0 Part(s) Found"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = LE_PART_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_GET_PART},
    };
}

void get_part_listed(Form& form, std::vector<std::string> names) {
    const bool found = !names.empty();
    form.set_entries(GP_PARTS, std::move(names));
    if (!found) return;
    form.select(GP_PARTS, 0, true);
    get_part_chosen(form);
}

std::string get_part_chosen(Form& form) {
    std::string name = form.picked_entry(GP_PARTS);
    if (!name.empty()) form.set_text(GP_SELECTED, name);
    return name;
}

// --- Place Body --------------------------------------------------------------------------------
std::vector<FormRow> place_body_rows() {
    static const std::string devices = [] {
        std::string joined;
        for (const std::string& row : device_rows()) joined += (joined.empty() ? "" : "\n") + row;
        return joined;
    }();
    return {
        {.kind = RowKind::CHOICE,
         .field = PB_DEVICES,
         .label = "Device per Pack",
         .sample = devices.c_str()},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHECK, .field = PB_CONVERT, .label = "Convert Form"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Place", .client = LE_BODY_PLACE},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_BODY},
    };
}

int place_body_devices(const Form& form) {
    const int devices = form.number(PB_DEVICES);
    return devices < 0 ? 1 : devices;
}

bool place_body_converted(const Form& form) { return form.number(PB_CONVERT) != 0; }

// --- Part Names ---------------------------------------------------------------------------------
std::vector<FormRow> part_names_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::PICK,
         .field = PN_NAMES,
         .label = "Names:",
         .client = LE_NAMES_LIST,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::TEXT,
         .field = PN_NAME,
         .label = "Name",
         .sample = "012345678900123456789",
         .select_all = true},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .field = PN_COUNT, .label = "0 Name(s) for this part"},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = LE_NAMES_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Add", .client = LE_NAMES_ADD},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Delete", .client = LE_NAMES_DELETE},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Modify", .client = LE_NAMES_MODIFY},
        {.kind = RowKind::BUTTON_SPACE, .min = 20},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_NAMES},
    };
}

void part_names_listed(Form& form, std::vector<std::string> names) {
    form.set_entries(PN_NAMES, std::move(names));
    form.set_text(PN_NAME, "");
}

void part_names_chosen(Form& form) { form.set_text(PN_NAME, form.picked_entry(PN_NAMES)); }

// --- Part Info ------------------------------------------------------------------------------------
std::vector<FormRow> part_info_rows() {
    std::vector<FormRow> rows = {{.kind = RowKind::SUB_PANEL, .min = 0, .max = 4}};
    for (const std::string& label : part_info_labels()) {
        rows.push_back({.kind = RowKind::LABEL, .label = label.c_str()});
        rows.push_back({.kind = RowKind::NEW_LINE, .min = 1});
    }
    rows.push_back({.kind = RowKind::END_PANEL});
    rows.push_back({.kind = RowKind::SUB_PANEL, .min = 0, .max = 4});
    static const std::string wide(18, 'X');  // each value is made 18 characters wide
    for (int i = 0; i < static_cast<int>(part_info_labels().size()); ++i) {
        rows.push_back({.kind = RowKind::LABEL, .field = PI_VALUES + i, .label = wide.c_str()});
        rows.push_back({.kind = RowKind::NEW_LINE, .min = 1});
    }
    rows.push_back({.kind = RowKind::END_PANEL});
    return rows;
}

// --- Get Vector Definition ---------------------------------------------------------------------------
std::vector<FormRow> get_vector_rows() {
    return {
        {.kind = RowKind::LABELS_ABOVE},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 4},
        {.kind = RowKind::PICK,
         .field = GV_LIBRARIES,
         .label = "Libraries:",
         .client = LE_VECTOR_LIBRARIES,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GV_LIBRARY,
         .label = "Selected Lib.:",
         .client = LE_VECTOR_LIBRARY_EDITED,
         .sample = "1234567890123456789"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::SUB_PANEL, .min = 4, .max = 4},
        {.kind = RowKind::PICK,
         .field = GV_PARTS,
         .label = "Parts:",
         .client = LE_VECTOR_PARTS,
         .min = 150,
         .max = 200},
        {.kind = RowKind::NEW_LINE, .min = 4},
        {.kind = RowKind::TEXT,
         .field = GV_PART,
         .label = "Selected Part:",
         .client = LE_VECTOR_PART_EDITED,
         .sample = "1234567890123456789"},
        {.kind = RowKind::END_PANEL},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .field = GV_NOTE, .label = " "},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Get", .client = LE_VECTOR_GET},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_VECTOR},
    };
}

void get_vector_listed(Form& form, std::vector<std::string> libraries) {
    form.set_entries(GV_LIBRARIES, std::move(libraries));
    form.set_entries(GV_PARTS, {});
    form.set_text(GV_LIBRARY, "");
    form.set_text(GV_PART, "");
}

void get_vector_library_chosen(Form& form) {
    const std::string library = form.picked_entry(GV_LIBRARIES);
    if (!library.empty()) form.set_text(GV_LIBRARY, library);
    form.set_text(GV_PART, "*");
}

void get_vector_library_typed(Form& form) {
    form.set_entries(GV_PARTS, {});
    form.set_text(GV_PART, "*");
}

bool get_vector_pattern(Form& form) {
    if (!form.text(GV_PART).empty()) return false;
    form.set_text(GV_PART, "*");
    return true;
}

bool get_vector_parts_found(Form& form, std::vector<std::string> names) {
    if (names.size() <= 1) return false;
    form.set_entries(GV_PARTS, std::move(names));
    return true;
}

void get_vector_part_chosen(Form& form) {
    const std::string part = form.picked_entry(GV_PARTS);
    if (!part.empty()) form.set_text(GV_PART, part);
}

std::vector<FormRow> vector_options_rows() {
    return {
        {.kind = RowKind::CHECK,
         .field = VO_FREE,
         .label = "Free Current Definition",
         .client = LE_VECTOR_FREE},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHOICE,
         .field = VO_NORMAL,
         .label = "Normal Vectors",
         .sample = vector_rows},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::CHOICE,
         .field = VO_CONVERT,
         .label = "Convert Vectors",
         .sample = vector_rows},
        {.kind = RowKind::NEW_LINE},
        {.kind = RowKind::LABEL, .label = " "},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Ok", .client = LE_VECTOR_OPTIONS_OK},
        {.kind = RowKind::DIALOG_BUTTON, .label = "Help", .client = LE_HELP_VECTOR_OPTIONS},
    };
}

void vector_options_load(Form& form, const VectorOptions& options) {
    form.set_number(VO_FREE, options.free_current ? 1 : 0);
    form.set_number(VO_NORMAL, options.normal_row);
    form.set_number(VO_CONVERT, options.convert_row);
    form.value(VO_CONVERT).enabled = options.convert_applies;
    form.value(VO_FREE).enabled = options.free_applies;
}

VectorOptions vector_options_scan(const Form& form) {
    VectorOptions options;
    options.free_current = form.number(VO_FREE) != 0;
    options.normal_row = form.number(VO_NORMAL);
    options.convert_row = form.number(VO_CONVERT);
    return options;
}
