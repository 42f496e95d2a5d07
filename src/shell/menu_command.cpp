// The command table and the one command dispatcher.
//
// A row names an id, its handler and where it is available (canvas kinds,
// what the document must offer). To add a command: write its handler (a
// function of a CommandCall, in the subsystem that does the work) and add
// its row below; menus, accelerators, toolbar greying and menu_command
// follow from the row.
#include <filesystem>
#include <string>

#include <wx/aboutdlg.h>

#include "dialogs/item_dialogs.h"
#include "dialogs/nav_dialogs.h"
#include "dialogs/resource_dialogs.h"
#include "editor/editor_commands.h"
#include "editor/item_edit.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_dialogs.h"
#include "libedit/gui/libedit_item_dialogs.h"
#include "libedit/gui/libedit_windows.h"
#include "libedit/libedit.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_tools.h"
#include "model/documents/document.h"
#include "model/documents/paste.h"
#include "render/clipboard_image.h"
#include "render/print_preview.h"
#include "render/printer_settings.h"
#include "render/printing.h"
#include "shell/canvas_editing.h"
#include "shell/job_commands.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/clipboard_format.h"

namespace {

const char* const help_file = "Tessaron.hlp";

constexpr unsigned S = BAR_SHEET;
constexpr unsigned L = BAR_LIBRARY;
constexpr unsigned T = BAR_TEMPLATE;
constexpr unsigned ED = BAR_EDITORS;
constexpr unsigned ALL = BAR_ALL;
constexpr unsigned DOC = NEEDS_DOCUMENT;
constexpr unsigned PART = NEEDS_PART;

// --- file commands ------------------------------------------------------------------------------
// Asks for a file of a kind; empty when the user cancelled.
std::string choose_file(const char* message, int suffix_property, int dir_property) {
    std::string wildcard = suffix_wildcard(suffix_property);
    std::string dir = full_dir_path(dir_property);
    std::string chosen;
    if (!services().file_selector(message, dir.c_str(), nullptr, wildcard.c_str() + 1,
                                  wildcard.c_str(), FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY,
                                  main_frame, &chosen))
        return {};
    return chosen;
}

void open_library_command(const CommandCall&) {
    std::string name = choose_file("Open Library", EXT_CLB, DIR_LIBRARY);
    if (!name.empty()) new_library_child(name.c_str());
}

void open_template_command(const CommandCall&) {
    std::string name = choose_file("Open Title Block", EXT_TMPL, DIR_PROJECT);
    if (!name.empty()) new_template_child(name.c_str());
}

void close_command(const CommandCall& call) {
    if (MyChild* child = child_of(call.canvas)) child->Close();
}

void print_command(const CommandCall& call) {
    if (auto job = canvas_print_job(call.canvas)) print_job(main_frame, *job);
}

void preview_command(const CommandCall& call) {
    if (auto job = canvas_print_job(call.canvas)) show_print_preview(main_frame, *job);
}

void exit_command(const CommandCall&) {
    if (main_frame) main_frame->Close();
}

// --- window and help commands ------------------------------------------------------------------
void palette_command(const CommandCall&) {
    if (!main_frame) return;
    const bool show = !main_frame->Palette() || !main_frame->Palette()->IsShown();
    main_frame->ShowPalette(show);
    // The next start shows it as the user left it.
    proper_set(SHOW_PART_PALETTE, show ? 1 : 0, 0);
}

void about_command(const CommandCall&) {
    wxAboutDialogInfo info;
    info.SetName(wxS("Tessaron Schematic Editor"));
    info.SetDescription(wxS("Schematic capture for electronic circuits."));
    wxAboutBox(info, main_frame);
}

// --- the sheet editor's commands ------------------------------------------------------------------
EditSession* session(const CommandCall& call) { return editor_session(call.canvas); }

std::filesystem::file_time_type paste_file_time() {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(PASTE_FILE_NAME, error);
    return error ? std::filesystem::file_time_type::min() : time;
}

// Place > Title Block: a title block saved from the title-block editor put
// on the sheet.
void title_block_command(const CommandCall& call) {
    const std::string name = choose_file("Title Block File:", EXT_TMPL, DIR_PROJECT);
    if (name.empty()) return;
    if (int result = place_titleblock_file(session(call), name.c_str()); result != 0)
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, name.c_str());
}

// Edit > Title Block: Set Title Block Info, also for a sheet whose block
// shows no field; the menu names no text of it, so the first field shows.
void title_block_info_command(const CommandCall& call) {
    show_title_block_dialog(call.canvas, nullptr);
}

// Cut and Copy: the editor writes the paste file; the clipboard then names
// it beside the offer of a picture of the copied items, drawn from the file
// when another program asks. A command that wrote no paste file leaves the
// clipboard alone.
void clip_command(const CommandCall& call, int (*edit)(EditSession*)) {
    const auto before = paste_file_time();
    report_edit_result(edit(session(call)));
    if (paste_file_time() != before) copy_selection_image(PASTE_FILE_NAME);
}

// The Add commands that start afresh: the last search's count forgotten.
void add_item(const CommandCall& call, void (*add)(EditSession*)) {
    reset_match_count(call.canvas);
    add(session(call));
}

void power_command(const CommandCall& call) {
    // The ground button places a ground symbol with the power tool, the
    // power dialog's stored values left alone.
    if (call.argument == ARG_GROUND_BUTTON)
        ground_button(session(call));
    else
        add_item(call, add_power_cmd);
}

// A palette entry places its own part and becomes the palette's current
// entry; Place > Part opens Load Part, where the part is chosen.
void place_part_command(const CommandCall& call) {
    if (call.argument < ARG_PALETTE_FIRST) {
        show_load_part();
        return;
    }
    palette_select(static_cast<int>(call.argument - ARG_PALETTE_FIRST));
    start_part_from_palette(session(call), palette_selected());
}

std::vector<CommandRow> joined(std::vector<CommandRow> rows, const std::vector<CommandRow>& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    return rows;
}

// Edit Item: the next click edits the item under it.
void edit_item_command(const CommandCall& call) {
    reset_match_count(call.canvas);
    EditSession* editing = session(call);
    if (edit_item_cmd(editing, false, EDIT_ITEM_FILTER) == 0)
        set_pending_click(editing, CMD_EDIT_ITEM, EDIT_OPERATION);
}

void jump(const CommandCall& call) { jump_command(session(call), call.id - EDITOR_JUMP_FIRST); }
void mark(const CommandCall& call) {
    start_bookmark_mode(session(call), call.id - EDITOR_MARK_FIRST, nullptr);
}

// --- the library and title-block editors' commands -----------------------------------------
LibEdit* libedit(const CommandCall& call) { return libedit_of(session(call)); }
bool in_part(const CommandCall& call) { return call.canvas->kind == CANVAS_LIBRARY; }

// An Edit command of either window: the edit tool started anew with it.
void edit_tool(const CommandCall& call) {
    start_libedit_edit_mode(session(call), in_part(call), call.id);
}

void draw(const CommandCall& call, int kind, bool filled = false) {
    start_libedit_drawing(session(call), in_part(call), kind, filled);
}

}  // namespace

// --- the table --------------------------------------------------------------------------------------
const std::vector<CommandRow>& command_rows() {
    using C = const CommandCall&;
    static const std::vector<CommandRow> rows = {
        // File
        {CMD_NEW, [](C) { new_sheet_child(); }, BAR_NONE | S | T},
        {CMD_NEW, [](C c) { libedit_window_new_part(c.canvas); }, L, DOC},
        {CMD_OPEN, open_document_command, ALL},
        {CMD_SAVE, [](C c) { canvas_save(c.canvas, false); }, S, DOC},
        {CMD_SAVE_AS, [](C c) { canvas_save(c.canvas, true); }, S},
        {CMD_CLOSE, close_command, ED},
        {CMD_NEW_LIBRARY, [](C) { new_library_child(nullptr); }, ALL},
        {CMD_OPEN_LIBRARY, open_library_command, ALL},
        {CMD_NEW_TEMPLATE, [](C) { new_template_child(nullptr); }, ALL},
        {CMD_OPEN_TEMPLATE, open_template_command, ALL},
        {CMD_PRINT, print_command, ED},
        {CMD_PREVIEW_SHEET, preview_command, S},
        {CMD_PREVIEW_LIBRARY, preview_command, L},
        {CMD_PREVIEW_TEMPLATE, preview_command, T},
        {CMD_PRINT_SETUP, [](C) { print_setup(main_frame); }, ALL},
        {CMD_EXIT, exit_command, ALL},
        {CMD_LIB_SAVE, [](C c) { libedit_window_save(c.canvas, false); }, L, DOC},
        {CMD_LIB_SAVE_AS, [](C c) { libedit_window_save(c.canvas, true); }, L, DOC},
        {CMD_TMPL_SAVE, [](C c) { libedit_window_save(c.canvas, false); }, T, DOC},
        {CMD_TMPL_SAVE_AS, [](C c) { libedit_window_save(c.canvas, true); }, T, DOC},

        // Edit (sheet)
        {CMD_UNDO, [](C c) { undo_sheet(session(c)); }, S, DOC},
        {CMD_CUT, [](C c) { clip_command(c, cut_selection); }, S, DOC},
        {CMD_COPY, [](C c) { clip_command(c, copy_selection); }, S, DOC},
        {CMD_PASTE, [](C c) { report_edit_result(paste_selection(session(c))); }, S, DOC},
        {EDITOR_JUMP_FIRST + 0, jump, S, DOC | NEEDS_BOOKMARK},
        {EDITOR_JUMP_FIRST + 1, jump, S, DOC | NEEDS_BOOKMARK},
        {EDITOR_JUMP_FIRST + 2, jump, S, DOC | NEEDS_BOOKMARK},
        {EDITOR_JUMP_FIRST + 3, jump, S, DOC | NEEDS_BOOKMARK},
        {EDITOR_JUMP_FIRST + 4, jump, S, DOC | NEEDS_BOOKMARK},
        {CMD_EDIT_ITEM, edit_item_command, S, DOC},
        {TEMPLATE_CMD_CONTROLS, title_block_info_command, S, DOC},
        {CMD_FIND, [](C c) { open_find_text(c.canvas); }, S, DOC},
        {CMD_FIND_TEMPLATE, [](C c) { open_find_text(c.canvas); }, T, DOC},
        {CMD_JUMP_XY, [](C c) { open_jump_xypos(c.canvas); }, S, DOC},
        {EDITOR_MARK_FIRST + 0, mark, S, DOC},
        {EDITOR_MARK_FIRST + 1, mark, S, DOC},
        {EDITOR_MARK_FIRST + 2, mark, S, DOC},
        {EDITOR_MARK_FIRST + 3, mark, S, DOC},
        {EDITOR_MARK_FIRST + 4, mark, S, DOC},

        // Edit (library and title block): Undo, the edit tool's commands, Find Pin
        {CMD_UNDO, [](C c) { libedit_undo(libedit(c)); }, L, DOC},
        {TEMPLATE_CMD_UNDO, [](C c) { template_undo(libedit(c)); }, T, DOC},
        {CMD_ROTATE_90, edit_tool, L, DOC | PART},
        {CMD_ROTATE_180, edit_tool, L, DOC | PART},
        {CMD_ROTATE_270, edit_tool, L, DOC | PART},
        {CMD_MIRROR_X, edit_tool, L, DOC | PART},
        {CMD_MIRROR_Y, edit_tool, L, DOC | PART},
        {CMD_CUT, edit_tool, L, DOC | PART},
        {CMD_COPY, edit_tool, L, DOC | PART},
        {CMD_MOVE, edit_tool, L, DOC | PART},
        {TEMPLATE_EDIT_CUT, edit_tool, T, DOC},
        {TEMPLATE_EDIT_COPY, edit_tool, T, DOC},
        {TEMPLATE_EDIT_MOVE, edit_tool, T, DOC},
        {TEMPLATE_EDIT_MIRROR_X, edit_tool, T, DOC},
        {TEMPLATE_EDIT_MIRROR_Y, edit_tool, T, DOC},
        {TEMPLATE_EDIT_ROTATE_90, edit_tool, T, DOC},
        {TEMPLATE_EDIT_ROTATE_180, edit_tool, T, DOC},
        {TEMPLATE_EDIT_ROTATE_270, edit_tool, T, DOC},
        {CMD_FIND, [](C c) { open_find_pin(c.canvas); }, L, DOC | PART},

        // View
        {CMD_ZOOM_IN, [](C c) { c.canvas->ZoomBy(2.0); }, ED},
        {CMD_ZOOM_OUT, [](C c) { c.canvas->ZoomBy(0.5); }, ED},
        {CMD_ZOOM_FIT, [](C c) { c.canvas->ZoomFit(); }, ED},
        {CMD_ZOOM_ONE, [](C c) { c.canvas->ZoomOne(); }, ED},
        {CMD_REDRAW, [](C c) { c.canvas->Redraw(); }, ED},
        {CMD_PALETTE, palette_command, ALL},

        // Options
        {CMD_SHORTCUTS, [](C c) { open_shortcuts(c.canvas); }, ED},

        // Place (sheet)
        {EDITOR_PLACE_PART, place_part_command, S, DOC},
        {EDITOR_WIRE, [](C c) { start_drawing_tool(session(c), DRAW_KIND_LINE, false, false); }, S,
         DOC},
        {EDITOR_BUS, [](C c) { start_drawing_tool(session(c), DRAW_KIND_LINE, false, true); }, S,
         DOC},
        {EDITOR_JUNCTION, [](C c) { start_junction_mode(session(c)); }, S, DOC},
        {EDITOR_POWER, power_command, S, DOC},
        {EDITOR_NET, [](C c) { add_net_cmd(session(c)); }, S, DOC},
        {EDITOR_PORT, [](C c) { add_item(c, add_port_cmd); }, S, DOC},
        {EDITOR_TEXT, [](C c) { add_item(c, add_text_cmd); }, S, DOC},
        {EDITOR_NOCONNECT, [](C c) { start_noconnect_mode(session(c)); }, S, DOC},
        {EDITOR_SHEET, [](C c) { add_item(c, add_sheet_cmd); }, S, DOC},
        {EDITOR_NETPROP, [](C c) { add_netprop_cmd(session(c)); }, S, DOC},
        {EDITOR_LINE, [](C c) { start_drawing_tool(session(c), DRAW_KIND_LINE, true, false); }, S,
         DOC},
        {EDITOR_CIRCLE, [](C c) { start_drawing_tool(session(c), DRAW_KIND_CIRCLE, true, false); },
         S, DOC},
        {EDITOR_BOX, [](C c) { start_drawing_tool(session(c), DRAW_KIND_BOX, true, false); }, S,
         DOC},
        {EDITOR_TITLE_BLOCK, title_block_command, S, DOC},
        {EDITOR_OPEN_SUBSHEET, [](C c) { enter_sheet_cmd(session(c)); }, S, DOC},

        // Place (library): the part under edit, its names and its drawings
        {LIBEDIT_CMD_PART, [](C c) { open_get_part(c.canvas); }, L, DOC},
        {LIBEDIT_CMD_PART_INFO, [](C c) { open_part_info(c.canvas); }, L, DOC | PART},
        {LIBEDIT_CMD_BODY, [](C c) { open_place_body(c.canvas); }, L, DOC},
        {LIBEDIT_CMD_NAMES, [](C c) { open_part_names(c.canvas); }, L, DOC},
        {LIBEDIT_CMD_VECTOR, [](C c) { open_get_vector(c.canvas); }, L, DOC},
        {LIBEDIT_CMD_LINE, [](C c) { draw(c, DRAW_KIND_LINE); }, L, DOC | PART},
        {LIBEDIT_CMD_CIRCLE, [](C c) { draw(c, DRAW_KIND_CIRCLE); }, L, DOC | PART},
        {LIBEDIT_CMD_BOX, [](C c) { draw(c, DRAW_KIND_BOX); }, L, DOC | PART},
        {LIBEDIT_CMD_ARC_CENTRE, [](C c) { draw(c, DRAW_KIND_ARC_CENTRE); }, L, DOC | PART},
        {LIBEDIT_CMD_ARC_END, [](C c) { draw(c, DRAW_KIND_ARC_END); }, L, DOC | PART},
        {LIBEDIT_CMD_FILLED_CIRCLE, [](C c) { draw(c, DRAW_KIND_CIRCLE, true); }, L, DOC | PART},
        {LIBEDIT_CMD_POLYGON, [](C c) { draw(c, DRAW_KIND_LINE, true); }, L, DOC | PART},
        {LIBEDIT_CMD_TEXT, [](C c) { open_text_place(c.canvas); }, L, DOC | PART},
        {LIBEDIT_CMD_PIN, [](C c) { libedit_open_pin_dialog(c.canvas, nullptr, nullptr); }, L,
         DOC | PART},
        {LIBEDIT_CMD_REFERENCE, [](C c) { open_reference_prefix(c.canvas); }, L, DOC | PART},
        {LIBEDIT_CMD_FIELDS, [](C c) { open_part_fields(c.canvas); }, L, DOC | PART},
        {LIBEDIT_CMD_IEEE, [](C c) { open_ieee_place(c.canvas); }, L, DOC | PART},
        {LIBEDIT_CMD_PINOUT, [](C c) { open_pinout(c.canvas); }, L, DOC | PART},
        // Place (title block)
        {TEMPLATE_CMD_LINE, [](C c) { draw(c, DRAW_KIND_LINE); }, T, DOC},
        {TEMPLATE_CMD_CIRCLE, [](C c) { draw(c, DRAW_KIND_CIRCLE); }, T, DOC},
        {TEMPLATE_CMD_BOX, [](C c) { draw(c, DRAW_KIND_BOX); }, T, DOC},
        {TEMPLATE_CMD_ARC_CENTRE, [](C c) { draw(c, DRAW_KIND_ARC_CENTRE); }, T, DOC},
        {TEMPLATE_CMD_ARC_END, [](C c) { draw(c, DRAW_KIND_ARC_END); }, T, DOC},
        {TEMPLATE_CMD_FILLED_CIRCLE, [](C c) { draw(c, DRAW_KIND_CIRCLE, true); }, T, DOC},
        {TEMPLATE_CMD_POLYGON, [](C c) { draw(c, DRAW_KIND_LINE, true); }, T, DOC},
        {TEMPLATE_CMD_TEXT, [](C c) { open_text_place(c.canvas); }, T, DOC},
        {TEMPLATE_CMD_CONTROLS, [](C c) { open_control_place(c.canvas); }, T, DOC},

        // Options
        {CMD_SETUP, [](C) { show_preferences(); }, ALL},
        {CMD_STATISTICS, [](C) { show_stats(); }, ED},
        {CMD_TIPS, [](C) { show_daytips(); }, ALL},

        // Window
        {CMD_CASCADE, [](C) { main_frame->Cascade(); }, ALL},
        {CMD_TILE, [](C) { main_frame->Tile(); }, ALL},
        {CMD_LOG_WINDOW, [](C) { show_log_window(); }, ALL},

        // Help
        {CMD_HELP_CONTENTS, [](C) { show_help(help_file, 0); }, ALL},
        {CMD_HELP_SEARCH, [](C) { show_help(help_file, 600001); }, ALL},
        {CMD_ABOUT, about_command, ALL},
    };
    // The Tools menu's rows come from the process dialogs' table.
    static const std::vector<CommandRow> all = joined(rows, process_command_rows());
    return all;
}

CommandState command_state(EditCanvas* canvas) {
    if (!canvas) return {};
    return CommandState{canvas->kind, canvas->mySchema};
}

void menu_command(EditCanvas* canvas, int id, long argument) {
    if (const CommandRow* row = command_row(id, command_state(canvas)))
        row->run(CommandCall{canvas, id, argument});
}
