// The sheet editor's menu commands, on a session.
#include "editor/editor_commands.h"

#include "foundation/errors.h"
#include "foundation/properties.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "model/items/item.h"

bool editor_command_available(int id) {
    switch (id) {
        case EDITOR_OPEN_SUBSHEET:
        case EDITOR_UNDO:
        case EDITOR_CUT:
        case EDITOR_COPY:
        case EDITOR_PASTE:
        case EDITOR_PLACE_PART:
        case EDITOR_WIRE:
        case EDITOR_BUS:
        case EDITOR_JUNCTION:
        case EDITOR_POWER:
        case EDITOR_NET:
        case EDITOR_PORT:
        case EDITOR_TEXT:
        case EDITOR_NOCONNECT:
        case EDITOR_SHEET:
        case EDITOR_LINE:
        case EDITOR_CIRCLE:
        case EDITOR_BOX:
        case EDITOR_NETPROP: return true;
        default:
            return (id >= EDITOR_JUMP_FIRST && id <= EDITOR_JUMP_LAST) ||
                   (id >= EDITOR_MARK_FIRST && id <= EDITOR_MARK_LAST);
    }
}

namespace {

void start_drawing(EditSession* session, int kind, bool line, bool bus) {
    draw_item_kind = kind;
    draw_line_flag = line;
    draw_bus_flag = bus;
    draw_filled_flag = false;
    start_graphic_mode(session);
}

// The text attribute byte from the text properties: the orientation code
// of the dialog's compass index, mirrors, boxed and the label type.
uint8_t text_attributes() {
    static const int code_of_index[9] = {6, 2, 5, 3, 0, 1, 7, 0, 4};
    int index = proper_get(TEXT_ORIENT);
    int flags = index >= 0 && index < 9 ? code_of_index[index] : 0;
    if (proper_get(TEXT_XMIR)) flags |= MX;
    if (proper_get(TEXT_YMIR)) flags |= MY;
    if (proper_get(TEXT_BOX)) flags |= BOXED;
    if (proper_get(TEXT_TYPE) == 1) flags |= LABEL;
    return static_cast<uint8_t>(flags);
}

void report(int code) {
    if (code != 0) error_box(nullptr, "Error", 0x40, code);
}

}  // namespace

bool editor_run_command(EditSession* session, int id) {
    if (!session || !session->schema || session->kind != 1 || !editor_command_available(id)) return false;
    switch (id) {
        case EDITOR_OPEN_SUBSHEET: enter_sheet_cmd(session); break;
        case EDITOR_UNDO: undo_sheet(session); break;
        case EDITOR_CUT: report(cut_selection(session)); break;
        case EDITOR_COPY: report(copy_selection(session)); break;
        case EDITOR_PASTE: report(paste_selection(session)); break;
        case EDITOR_PLACE_PART:
            start_part_mode(session, strproper_get(PART_PALETTE_LIB), strproper_get(PART_PALETTE_PART),
                            proper_get(PLACE_CONVERTED) != 0, proper_get(PLACE_VPOWER) != 0);
            break;
        case EDITOR_WIRE: start_drawing(session, DRAW_KIND_LINE, false, false); break;
        case EDITOR_BUS: start_drawing(session, DRAW_KIND_LINE, false, true); break;
        case EDITOR_LINE: start_drawing(session, DRAW_KIND_LINE, true, false); break;
        case EDITOR_CIRCLE: start_drawing(session, DRAW_KIND_CIRCLE, true, false); break;
        case EDITOR_BOX: start_drawing(session, DRAW_KIND_BOX, true, false); break;
        case EDITOR_JUNCTION: start_junction_mode(session); break;
        case EDITOR_NOCONNECT: start_noconnect_mode(session); break;
        case EDITOR_POWER: start_power_mode(session, 0); break;
        case EDITOR_NET: start_net_mode(session); break;
        case EDITOR_PORT: start_port_mode(session); break;
        case EDITOR_NETPROP: start_netprop_mode(session); break;
        case EDITOR_TEXT:
            start_text_tool(session, strproper_get(TEXT_TEXT), text_attributes(), proper_get(TEXT_XSCAL),
                            proper_get(TEXT_YSCAL), 0);
            break;
        case EDITOR_SHEET: start_sheet_mode(session, strproper_get(SHEET_NAME), strproper_get(SHEET_FILE)); break;
        default:
            if (id >= EDITOR_JUMP_FIRST && id <= EDITOR_JUMP_LAST) {
                if (!jump_to_bookmark(session, id - EDITOR_JUMP_FIRST)) session->host->bell();
            } else {
                start_bookmark_mode(session, id - EDITOR_MARK_FIRST, nullptr);
            }
            break;
    }
    return true;
}
