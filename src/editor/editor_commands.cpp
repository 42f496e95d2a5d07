// The sheet editor's menu commands, on a session.
#include "editor/editor_commands.h"

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/items/item.h"

void start_drawing_tool(EditSession* session, int kind, bool line, bool bus) {
    draw_item_kind = kind;
    draw_line_flag = line;
    draw_bus_flag = bus;
    draw_filled_flag = false;
    start_graphic_mode(session);
}

// The orientation code of the dialog's compass index, mirrors, boxed and
// the label type.
uint8_t text_attributes_from_properties() {
    static const int code_of_index[9] = {6, 2, 5, 3, 0, 1, 7, 0, 4};
    int index = proper_get(TEXT_ORIENT);
    int flags = index >= 0 && index < 9 ? code_of_index[index] : 0;
    if (proper_get(TEXT_XMIR)) flags |= MX;
    if (proper_get(TEXT_YMIR)) flags |= MY;
    if (proper_get(TEXT_BOX)) flags |= BOXED;
    if (proper_get(TEXT_TYPE) == 1) flags |= LABEL;
    return static_cast<uint8_t>(flags);
}

void start_text_from_properties(EditSession* session) {
    start_text_tool(session, strproper_get(TEXT_TEXT), text_attributes_from_properties(),
                    proper_get(TEXT_XSCAL), proper_get(TEXT_YSCAL), 0);
}

void start_part_from_palette(EditSession* session, int slot) {
    start_part_mode(session, strproper_get(PART_PALETTE_LIB, slot),
                    strproper_get(PART_PALETTE_PART, slot),
                    proper_get(PART_PALETTE_CONV, slot) != 0, proper_get(PLACE_VPOWER) != 0);
}

void start_sheet_from_properties(EditSession* session) {
    start_sheet_mode(session, strproper_get(SHEET_NAME), strproper_get(SHEET_FILE));
}

void jump_command(EditSession* session, int slot) {
    if (!jump_to_bookmark(session, slot)) session->host->bell();
}

void report_edit_result(int code) {
    if (code != 0) error_box(nullptr, "Error", 0x40, code);
}
