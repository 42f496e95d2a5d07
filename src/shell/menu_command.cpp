// The one command dispatcher.
#include <filesystem>
#include <string>

#include <wx/aboutdlg.h>

#include "editor/canvas_editing.h"
#include "editor/editor_commands.h"
#include "foundation/app_utils.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/paste.h"
#include "render/clipboard_image.h"
#include "render/print_preview.h"
#include "render/printer_settings.h"
#include "render/printing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/clipboard_format.h"

namespace {

const char* const help_file = "Tessaron.hlp";

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

void close_child(EditCanvas* canvas) {
    if (MyChild* child = child_of(canvas)) child->Close();
}

void about() {
    wxAboutDialogInfo info;
    info.SetName(wxS("Tessaron Schematic Editor"));
    info.SetDescription(wxS("Schematic capture for electronic circuits."));
    wxAboutBox(info, main_frame);
}

std::filesystem::file_time_type paste_file_time() {
    std::error_code error;
    const auto time = std::filesystem::last_write_time(PASTE_FILE_NAME, error);
    return error ? std::filesystem::file_time_type::min() : time;
}

// Cut and Copy: the editor writes the paste file; the clipboard then names
// it beside a picture of the selection, taken before Cut removes it. A
// command that wrote no paste file leaves the clipboard alone.
void copy_command(EditCanvas* canvas, int id, long argument) {
    wxBitmap picture;
    const bool selected = canvas && canvas->mySchema && selection_image(canvas->mySchema, &picture);
    const auto before = paste_file_time();
    editor_command(canvas, id, argument);
    if (selected && paste_file_time() != before)
        clipboard_put_paste_file(PASTE_FILE_NAME, &picture);
}

}  // namespace

void menu_command(EditCanvas* canvas, int id, long argument) {
    if (!command_available(id)) return;
    switch (id) {
        case CMD_NEW: new_sheet_child(); break;
        case CMD_OPEN: {
            std::string name = choose_file("Open Sheet", EXT_SCHEMA, DIR_PROJECT);
            if (!name.empty()) open_sheet(name.c_str(), nullptr);
            break;
        }
        case CMD_SAVE: canvas_save(canvas, false); break;
        case CMD_SAVE_AS: canvas_save(canvas, true); break;
        case CMD_CLOSE: close_child(canvas); break;
        case CMD_NEW_LIBRARY: new_library_child(nullptr); break;
        case CMD_OPEN_LIBRARY: {
            std::string name = choose_file("Open Library", EXT_CLB, DIR_LIBRARY);
            if (!name.empty()) new_library_child(name.c_str());
            break;
        }
        case CMD_NEW_TEMPLATE: new_template_child(nullptr); break;
        case CMD_OPEN_TEMPLATE: {
            std::string name = choose_file("Open Title Block", EXT_TMPL, DIR_PROJECT);
            if (!name.empty()) new_template_child(name.c_str());
            break;
        }
        case CMD_PRINT:
            if (auto job = canvas_print_job(canvas)) print_job(main_frame, *job);
            break;
        case CMD_PRINT_SETUP: print_setup(main_frame); break;
        case CMD_PREVIEW_SHEET:
        case CMD_PREVIEW_LIBRARY:
        case CMD_PREVIEW_TEMPLATE:
            if (auto job = canvas_print_job(canvas)) print_preview_proc(main_frame, *job);
            break;
        case CMD_EXIT:
            if (main_frame) main_frame->Close();
            break;
        case CMD_ZOOM_IN:
            if (canvas) canvas->ZoomBy(2.0);
            break;
        case CMD_ZOOM_OUT:
            if (canvas) canvas->ZoomBy(0.5);
            break;
        case CMD_ZOOM_FIT:
            if (canvas) canvas->ZoomFit();
            break;
        case CMD_ZOOM_ONE:
            if (canvas) canvas->ZoomOne();
            break;
        case CMD_REDRAW:
            if (canvas) canvas->Redraw();
            break;
        case CMD_PALETTE:
            if (main_frame) {
                const bool show = !main_frame->Palette() || !main_frame->Palette()->IsShown();
                main_frame->ShowPalette(show);
                // The next start shows it as the user left it.
                proper_set(SHOW_PART_PALETTE, show ? 1 : 0, 0);
            }
            break;
        case CMD_CASCADE:
            if (main_frame) main_frame->Cascade();
            break;
        case CMD_TILE:
            if (main_frame) main_frame->Tile();
            break;
        case CMD_LOG_WINDOW: show_log_window(); break;
        case CMD_HELP_CONTENTS: show_help(help_file, 0); break;
        case CMD_HELP_SEARCH: show_help(help_file, 600001); break;
        case CMD_ABOUT: about(); break;
        case EDITOR_CUT:
        case EDITOR_COPY: copy_command(canvas, id, argument); break;
        default: editor_command(canvas, id, argument); break;
    }
}
