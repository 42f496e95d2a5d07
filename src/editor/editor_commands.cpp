// The sheet editor's menu commands, on a session.
#include "editor/editor_commands.h"

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/properties.h"
#include "model/documents/paste.h"
#include "model/items/item.h"

void start_drawing_tool(EditSession* session, int kind, bool line, bool bus) {
    draw_item_kind = kind;
    draw_line_flag = line;
    draw_bus_flag = bus;
    draw_filled_flag = false;
    start_graphic_mode(session);
}

void start_part_from_palette(EditSession* session, int slot) {
    start_part_mode(session, strproper_get(PART_PALETTE_LIB, slot),
                    strproper_get(PART_PALETTE_PART, slot),
                    proper_get(PART_PALETTE_CONV, slot) != 0, proper_get(PLACE_VPOWER) != 0);
}

void jump_command(EditSession* session, int slot) {
    if (!jump_to_bookmark(session, slot)) session->host->bell();
}

void report_edit_result(int code) {
    if (code != 0) error_box(nullptr, "Error", 0x40, RuntimeCode{code}, PASTE_FILE_NAME);
}
