// Opening child windows, and the file commands that run on them: save,
// save as, and the save question when a window closes.
#include <cstdio>
#include <string>

#include <wx/filename.h>
#include <wx/utils.h>

#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/gui/libedit_windows.h"
#include "libedit/libedit.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/subsheet.h"
#include "render/printing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

namespace {

wxString child_title(int kind, const std::string& name) {
    const char* what = kind == CANVAS_LIBRARY    ? "Library"
                       : kind == CANVAS_TEMPLATE ? "Title Block"
                                                 : "Sheet";
    std::string shown = name.empty() ? "Untitled" : name;
    return wxString::FromUTF8(std::string(what) + ": " + shown);
}

MyChild* new_child(int kind, const std::string& name) {
    if (!main_frame) return nullptr;
    auto* child = new MyChild(main_frame, kind, child_title(kind, name));
    child->names = new_NameStack(5);
    if (!child->names) no_memory();
    name_stack_reset(child->names, name.c_str());
    return child;
}

}  // namespace

void show_child(MyChild* child) {
    child->Show();
    child->Activate();
    // The toolkit's MDI frame brings a new child's tab and menu bar forward
    // at its next two idle times, once the window was drawn without them:
    // the window's first picture would give way a moment later to one with
    // the child's menus. Taken now, the first picture is the one that stays.
    if (main_frame)
        for (int round = 0; round < 2; ++round) main_frame->OnInternalIdle();
    canvas_update_title(child->canvas);
    canvas_redraw_and_status(child->canvas);
}

MyChild* make_editor_child(int kind, const std::string& file_name) {
    MyChild* child = new_child(kind, file_name);
    if (!child) return nullptr;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    child->canvas->TakeDocument(schema);
    return child;
}

// A name given on the command line, dropped or chosen in a file dialog
// names a file as it stands (relative to the working directory); a bare
// stored name lives in the kind's directory.
std::string document_path(const char* file_name, int kind) {
    wxFileName given(wxString::FromUTF8(system_path(file_name)));
    if (given.FileExists()) {
        given.MakeAbsolute();
        return given.GetFullPath().utf8_string();
    }
    return make_kind_file_name(file_name, kind, 1);
}

void child_frame_size(int* width, int* height) {
    int w = proper_get(LAST_WIDTH), h = proper_get(LAST_HEIGHT);
    *width = w < 0 ? 600 : w;
    *height = h < 0 ? 500 : h;
}

MyChild* child_of(EditCanvas* canvas) {
    for (MyChild* child : my_children)
        if (child->canvas == canvas) return child;
    return nullptr;
}

MyChild* new_sheet_child() {
    std::string folder = paint_zone ? canvas_folder(paint_zone) : std::string();
    if (folder.empty()) folder = project_dir_override();
    if (folder.empty()) {
        folder = wxGetCwd().utf8_string();
        if (folder.empty() || folder.back() != '/') folder += '/';
    }
    MyChild* child = new_child(CANVAS_SHEET, "");
    if (!child) return nullptr;
    child->origin_folder = folder;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    child->canvas->TakeDocument(schema);
    show_child(child);
    return child;
}

MyChild* open_sheet(const char* file_name, SubSheet* subsheet) {
    if (!file_name || !*file_name) return nullptr;
    std::string name = document_path(file_name, KIND_SCHEMA);
    // A sheet that is open already comes forward: a second window on one
    // file would lose the edits of whichever was saved first.
    void* open_canvas = nullptr;
    if (services().find_open_file(name.c_str(), &open_canvas)) {
        if (MyChild* open = child_of(static_cast<EditCanvas*>(open_canvas))) {
            open->Activate();
            return open;
        }
    }
    MyChild* child = new_child(CANVAS_SHEET, name);
    if (!child) return nullptr;
    Schema* schema = nullptr;
    int result = subsheet ? open_subsheet_schema(&schema, subsheet, name.c_str())
                          : load_schema_file(&schema, name.c_str());
    if (result != 0) {
        close_schema(nullptr, &schema);
        child->Destroy();
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, name.c_str());
        return nullptr;
    }
    set_project_dir_override(name.c_str());
    child->canvas->FitOnFirstPaint();
    child->canvas->TakeDocument(schema);
    init_title_block_fields(child->canvas, 0);
    show_child(child);
    return child;
}

namespace {

// A library or title-block window on the file (none: an empty document). A
// file that cannot be read shows its code and name in an error box and opens
// nothing: the window that was current stays current.
MyChild* open_editor_window(int kind, const char* file_name) {
    EditCanvas* remembered = paint_zone;
    const bool library = kind == CANVAS_LIBRARY;
    const std::string path =
        file_name && *file_name ? document_path(file_name, library ? KIND_LIBRARY : KIND_TITLEBLOCK)
                                : "";
    MyChild* child = make_editor_child(kind, path);
    if (!child) return nullptr;
    EditCanvas* canvas = child->canvas;
    paint_zone = canvas;
    if (int result = libedit_window_load(canvas, path); result != 0) {
        child->Destroy();
        paint_zone = remembered;
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, path.c_str());
        return nullptr;
    }
    if (!library) {
        init_title_block_fields(canvas, 1);
        template_checkpoint(&canvas->libedit);
    }
    canvas_clear_selection_info(canvas);
    zoom_fit_pending = true;
    show_child(child);
    refresh_all_menus(1);
    return child;
}

}  // namespace

MyChild* new_library_child(const char* file_name) {
    return open_editor_window(CANVAS_LIBRARY, file_name);
}

MyChild* new_template_child(const char* file_name) {
    return open_editor_window(CANVAS_TEMPLATE, file_name);
}

void open_document_command(const CommandCall&) {
    std::string wildcard;
    for (int suffix : {EXT_SCHEMA, EXT_CLB, EXT_TMPL})
        wildcard += (wildcard.empty() ? "" : ";") + suffix_wildcard(suffix);
    wildcard = "Documents (" + wildcard + ")|" + wildcard + "|Sheets (" +
               suffix_wildcard(EXT_SCHEMA) + ")|" + suffix_wildcard(EXT_SCHEMA) + "|Libraries (" +
               suffix_wildcard(EXT_CLB) + ")|" + suffix_wildcard(EXT_CLB) + "|Title Blocks (" +
               suffix_wildcard(EXT_TMPL) + ")|" + suffix_wildcard(EXT_TMPL);
    std::string dir = full_dir_path(DIR_PROJECT);
    std::string chosen;
    if (!services().file_selector("Open", dir.c_str(), nullptr, nullptr, wildcard.c_str(),
                                  FILE_SELECT_OPEN | FILE_SELECT_HIDE_READ_ONLY, main_frame,
                                  &chosen))
        return;
    switch (get_file_kind(chosen.c_str())) {
        case FILE_KIND_LIBRARY: new_library_child(chosen.c_str()); break;
        case FILE_KIND_TITLEBLOCK: new_template_child(chosen.c_str()); break;
        default: open_sheet(chosen.c_str(), nullptr); break;  // a sheet, or its error box
    }
}

// --- saving -------------------------------------------------------------------------------

std::string canvas_file_name(EditCanvas* canvas) {
    MyChild* child = child_of(canvas);
    if (!child || !child->names) return {};
    std::string name = name_stack_top(child->names);
    return name == "Untitled" ? std::string() : name;
}

std::string canvas_folder(EditCanvas* canvas) {
    std::string folder = dir_of(canvas_file_name(canvas).c_str());
    if (!folder.empty()) return folder;
    MyChild* child = child_of(canvas);
    return child ? child->origin_folder : std::string();
}

int canvas_save(EditCanvas* canvas, bool ask_name) {
    if (!canvas || !canvas->mySchema) return DOC_NO_SCHEMATIC;
    if (canvas->kind != CANVAS_SHEET) return DOC_NO_SCHEMATIC;  // the editors save their own
    std::string name = canvas_file_name(canvas);
    // Save writes the sheet back to its own file without a question; a name
    // chosen in the file selector may be another file, which is replaced
    // only when the user confirms.
    const bool chosen_name = ask_name || name.empty();
    if (chosen_name) {
        std::string dir = name.empty() ? full_dir_path(DIR_PROJECT) : dir_of(name.c_str());
        std::string proposal =
            name.empty() ? default_file_name_for("", "") : name.substr(dir_of(name.c_str()).size());
        std::string wildcard = suffix_wildcard(EXT_SCHEMA);
        std::string chosen;
        if (!services().file_selector("Save Sheet As", dir.c_str(), proposal.c_str(),
                                      wildcard.c_str() + 2, wildcard.c_str(), FILE_SELECT_SAVE,
                                      main_frame, &chosen))
            return DOC_CANCELLED;
        if (!check_file_name(chosen.c_str())) {
            error_box(nullptr, "Error", MB_ICON_STOP, 84, chosen.c_str());
            return 84;
        }
        name = chosen;
    }
    int result = save_schema_file(canvas->mySchema, name.c_str(), chosen_name);
    if (result == DOC_CANCELLED) return result;
    if (result != 0) {
        // The document stays modified and its window open: nothing is lost.
        error_box(nullptr, "Error", MB_ICON_STOP, RuntimeCode{result}, name.c_str());
        return result;
    }
    if (MyChild* child = child_of(canvas))
        name_stack_set(child->names, last_written_schema().c_str());
    canvas_mark_saved(canvas);
    return 0;
}

bool canvas_confirm_close(EditCanvas* canvas) {
    if (!canvas || !canvas->mySchema || !schema_is_modified(canvas->mySchema)) return true;
    const char* format = canvas->kind == CANVAS_LIBRARY    ? "Save Changes to Library ?\n%s"
                         : canvas->kind == CANVAS_TEMPLATE ? "Save Changes to Title Block ?\n%s"
                                                           : "Save Changes to Sheet ?\n%s";
    std::string name = canvas_file_name(canvas);
    char text[1200];
    std::snprintf(text, sizeof text, format, name.empty() ? "Untitled" : name.c_str());
    if (MyChild* child = child_of(canvas)) {
        // The window asked about comes forward, and its folder is the one
        // Save As starts in.
        child->Activate();
        paint_zone = canvas;
    }
    int answer = services().message_box(text, "Please Confirm",
                                        MB_YES_NO | MB_CANCEL_BUTTON | MB_ICON_QUESTION);
    if (answer == ANSWER_NO) return true;
    if (answer != ANSWER_YES) return false;
    if (canvas->kind != CANVAS_SHEET) return libedit_window_save(canvas, false) == 0;
    return canvas_save(canvas, false) == 0;
}

// --- autosave -------------------------------------------------------------------------------

void autosave_all() {
    for (MyChild* child : my_children) {
        EditCanvas* c = child->canvas;
        if (!c || c->kind != CANVAS_SHEET || !schema_is_modified(c->mySchema)) continue;
        std::string name = canvas_file_name(c);
        if (name.empty()) name = full_path_in_dir("Untitled", DIR_PROJECT);
        int result = autosave_rotate(
            name, proper_get(NB_BACK),
            [](void* schema, FILE* out) {
                return write_Schema(static_cast<Schema*>(schema), out, 0);
            },
            c->mySchema);
        if (result != 0)
            log_printf(
                "Automatic backup of %s failed: %s\n", name.c_str(),
                message_text(nullptr, RuntimeCode{result}, autosave_copy_name(name, 1).c_str())
                    .c_str());
    }
}

std::unique_ptr<PrintJob> canvas_print_job(EditCanvas* canvas) {
    if (!canvas || !canvas->mySchema) return nullptr;
    std::string name = canvas_file_name(canvas);
    std::string title = name.empty() ? "Untitled" : name.substr(name.find_last_of("/\\") + 1);
    return std::make_unique<SheetPrintJob>(title, std::vector<Schema*>{canvas->mySchema});
}

const char* default_file_name(int extension_property) {
    static std::string buffer;
    buffer = paint_zone ? default_file_name_for(canvas_file_name(paint_zone),
                                                strproper_get(extension_property))
                        : std::string();
    return buffer.c_str();
}
