#pragma once
// The Set Title Block Info dialog without its window: the identification
// fields of a sheet that its title block's controls show, edited one at a
// time in a working copy that Ok writes back.
#include <string>
#include <vector>

#include "dialogs/forms/form.h"
#include "model/documents/schema.h"

struct EditSession;
struct Text;

enum InfosField : int { IF_CONTROLS = 1, IF_VALUE };

enum : long {
    INFOS_CMD_OK = 20014,
    INFOS_CMD_VALUE = 20015,
    INFOS_CMD_CONTROL = 20016,
    INFOS_CMD_GET = 20017,
    INFOS_CMD_SAVE = 20018,
    INFOS_CMD_HELP = 20057,
};

// The working copy: the 26 texts, the sheet-size index and the two option
// bytes that follow it; and the field code of each entry of the Controls
// choice, in its order.
struct InfosState {
    std::string texts[SCHEMA_STRING_FIELDS];
    int sheet_size = 0;
    uint8_t ansi_grid = 0, ansi_title = 0;
    std::vector<int> codes;
};

std::vector<FormRow> edit_infos_rows();
// The name the dialog shows for a field code 1..27 ("Document Number" ..
// "Sheet Size"); null outside.
const char* infos_field_name(int code);
// The sheet size a text names ("A Size" .. "A0 Size", case ignored); -1
// for any other text.
int sheet_size_of_name(const std::string& text);
// The widest text a field code's slot holds (its capacity less the end
// mark); 0 for the sheet size and codes outside 1..26.
int infos_field_width(int code);

// The working copy from the document, the Controls choice from the title
// block's controls (each field once, in the order they first stand), the
// first entry selected and shown.
void fill_edit_infos(Form& form, InfosState& state, const Schema* schema);
// Selects the entry of the title-block text's field (nothing when no entry
// has it).
void select_infos_control(Form& form, const InfosState& state, const Text* text);
// The selected field's value into Control Value.
void show_infos_value(Form& form, const InfosState& state);
// Control Value into the selected field of the working copy, cut to the
// field's width; for the sheet size only a whole size name counts.
void apply_edit_infos(const Form& form, InfosState& state);
// Ok: the working copy back into the document and the title block's
// controls renewed, in one edit of the sheet.
void store_edit_infos(EditSession* session, const InfosState& state);
