#include "dialogs/forms/infos_form.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "editor/edit_transaction.h"
#include "editor/tool_mode.h"
#include "foundation/list.h"
#include "model/documents/titleblock.h"
#include "model/items/text.h"

namespace {

const char* const field_names[TEXT_FIELD_COUNT] = {
    "Document Number",    "Revision code",      "Title",
    "Organization Name",  "Organization Addr1", "Organization Addr2",
    "Organization Addr3", "Schema File Name",   "Organization Addr4",
    "Organization Addr5", "Creation Date",      "Modification Date",
    "User first Name",    "User Last Name",     "Folio",
    "Number of Folio",    "User Extension 1",   "User Extension 2",
    "User Extension 3",   "User Extension 4",   "User Extension 5",
    "User Extension 6",   "User Extension 7",   "User Extension 8",
    "User Extension 9",   "User Extension 10",  "Sheet Size",
};

const char* const size_names[SHEET_SIZE_COUNT] = {"A Size",  "B Size",  "C Size",  "D Size",
                                                  "E Size",  "A4 Size", "A3 Size", "A2 Size",
                                                  "A1 Size", "A0 Size"};

bool equal_ignoring_case(const std::string& a, const char* b) {
    const std::string other = b;
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

int selected_code(const Form& form, const InfosState& state) {
    const int k = form.number(IF_CONTROLS);
    return k >= 0 && k < static_cast<int>(state.codes.size()) ? state.codes[k] : 0;
}

// The sheet's whole area, for a change of its size.
Rect sheet_area(const Schema* schema) {
    const Point extent = schema_sheet_extent(schema);
    return Rect{0, 0, extent.x, extent.y};
}

}  // namespace

std::vector<FormRow> edit_infos_rows() {
    using K = RowKind;
    return {
        {.kind = K::CHOICE,
         .field = IF_CONTROLS,
         .label = "Controls:",
         .client = INFOS_CMD_CONTROL,
         .sample = "dummy\ndummy\ndummy\ndummy\ndummy\ndummy\ndummy\ndummy\ndummy"},
        {.kind = K::NEW_LINE},
        {.kind = K::TEXT,
         .field = IF_VALUE,
         .label = "Control Value:",
         .client = INFOS_CMD_VALUE,
         .sample = "012345678900123456789"},
        {.kind = K::DIALOG_BUTTON, .label = "Ok", .client = INFOS_CMD_OK},
        {.kind = K::DIALOG_BUTTON, .label = "Get ASCII", .client = INFOS_CMD_GET},
        {.kind = K::DIALOG_BUTTON, .label = "Save ASCII", .client = INFOS_CMD_SAVE},
        {.kind = K::BUTTON_SPACE, .min = 20},
        {.kind = K::DIALOG_BUTTON, .label = "Help", .client = INFOS_CMD_HELP},
    };
}

const char* infos_field_name(int code) {
    return code >= 1 && code <= TEXT_FIELD_COUNT ? field_names[code - 1] : nullptr;
}

int sheet_size_of_name(const std::string& text) {
    for (int i = 0; i < SHEET_SIZE_COUNT; ++i)
        if (equal_ignoring_case(text, size_names[i])) return i;
    return -1;
}

int infos_field_width(int code) {
    const size_t capacity = schema_field_capacity(code);
    return capacity > 0 ? static_cast<int>(capacity) - 1 : 0;
}

void fill_edit_infos(Form& form, InfosState& state, const Schema* schema) {
    state = InfosState{};
    for (int code = 1; code <= SCHEMA_STRING_FIELDS; ++code)
        state.texts[code - 1] = schema_field(schema, code);
    state.sheet_size = schema->sheet_size;
    state.ansi_grid = schema->ansi_grid;
    state.ansi_title = schema->ansi_title;
    // Each field the controls show, once, in the order it first stands.
    FieldValue& choice = form.value(IF_CONTROLS);
    choice.entries.clear();
    for (const SchItem* item : list_items<const SchItem>(schema->titleblock.fields)) {
        if (item->type != TEXT_ITEM) continue;
        const int code = as_Text(item)->field;
        if (!infos_field_name(code) ||
            std::find(state.codes.begin(), state.codes.end(), code) != state.codes.end())
            continue;
        state.codes.push_back(code);
        choice.entries.push_back(infos_field_name(code));
    }
    choice.number = state.codes.empty() ? -1 : 0;
    show_infos_value(form, state);
}

void select_infos_control(Form& form, const InfosState& state, const Text* text) {
    if (!text) return;
    auto at = std::find(state.codes.begin(), state.codes.end(), text->field);
    if (at == state.codes.end()) return;
    form.set_number(IF_CONTROLS, static_cast<int>(at - state.codes.begin()));
    show_infos_value(form, state);
}

void show_infos_value(Form& form, const InfosState& state) {
    const int code = selected_code(form, state);
    if (code >= 1 && code <= SCHEMA_STRING_FIELDS)
        form.set_text(IF_VALUE, state.texts[code - 1]);
    else if (code == FIELD_SHEETSIZE)
        form.set_text(IF_VALUE, size_names[sheet_size_index(state.sheet_size)]);
    else
        form.set_text(IF_VALUE, "");
}

void apply_edit_infos(const Form& form, InfosState& state) {
    const int code = selected_code(form, state);
    if (code >= 1 && code <= SCHEMA_STRING_FIELDS) {
        // What the slot holds: cut at its width, never inside a character.
        std::vector<char> slot(schema_field_capacity(code), '\0');
        copy_field(slot.data(), slot.size(), form.text(IF_VALUE).c_str());
        state.texts[code - 1] = slot.data();
    } else if (code == FIELD_SHEETSIZE) {
        // Only a whole size name counts: a text typed halfway keeps the size.
        const int size = sheet_size_of_name(form.text(IF_VALUE));
        if (size >= 0) state.sheet_size = size;
    }
}

void store_edit_infos(EditSession* session, const InfosState& state) {
    if (!session || !session->schema) return;
    Schema* schema = session->schema;
    EditTransaction edit(session);
    edit.before(&schema->titleblock);
    const bool resized = schema->sheet_size != state.sheet_size;
    if (resized) edit.invalidate(sheet_area(schema));
    for (int code = 1; code <= SCHEMA_STRING_FIELDS; ++code)
        schema_set_field(schema, code, state.texts[code - 1].c_str());
    schema->sheet_size = static_cast<int8_t>(state.sheet_size);
    schema->ansi_grid = state.ansi_grid;
    schema->ansi_title = state.ansi_title;
    if (resized) {
        schema_build_outline(schema);
        edit.invalidate(sheet_area(schema));
    }
    for (SchItem* item : list_items<SchItem>(schema->titleblock.fields))
        if (item->type == TEXT_ITEM) text_fill_field(schema, as_Text(item), false);
    titleblock_bounds(schema);
    edit.touch(&schema->titleblock);
}
