// The shell's side of the core's service seam: the log window, open
// documents, the overwrite and title-block questions, the child-frame walk
// behind the message-box hooks and the screen geometry. The canvas geometry
// and text measuring are the drawing layer's (render/render_services.h).
#include "shell/shell_services.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <wx/cursor.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include "editor/gui/application.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/font_record.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "render/colour_table.h"
#include "render/render_services.h"
#include "shell/canvas_editing.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "toolkit/asking.h"
#include "toolkit/gui_services.h"

namespace {

void debug_line(const char* format, const std::string& name) {
    char text[1200];
    std::snprintf(text, sizeof text, format, name.c_str());
    services().debug_write(text);
}

// Absolute in the project directory; compared ignoring case.
wxString comparable(const std::string& name) {
    wxFileName f(wxString::FromUTF8(system_path(name.c_str())));
    f.MakeAbsolute(wxString::FromUTF8(full_dir_path(DIR_PROJECT)));
    f.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return f.GetFullPath().Lower();
}

Schema* shell_find_open_file(const char* file_name, void** canvas_out) {
    if (canvas_out) *canvas_out = nullptr;
    if (!file_name) return nullptr;
    std::string wanted_name = make_kind_file_name(file_name, KIND_SCHEMA, 1);
    wxString wanted = comparable(wanted_name);
    for (MyChild* child : my_children) {
        EditCanvas* c = child->canvas;
        if (!c || c->kind != CANVAS_SHEET || !c->mySchema) continue;
        std::string name = canvas_file_name(c);
        if (name.empty()) continue;
        debug_line("Testing %s for opening\n", name);
        if (comparable(name) == wanted) {
            debug_line("%s is opened\n", wanted_name);
            if (canvas_out) *canvas_out = c;
            return c->mySchema;
        }
    }
    debug_line("%s not opened\n", wanted_name);
    return nullptr;
}

bool shell_confirm_overwrite(const std::string& name, std::string* confirmed) {
    *confirmed = name;
    if (file_access(name.c_str(), 0) != 0) return true;
    wxBusyCursor busy;
    std::string edited = name;
    if (!ask_text(main_frame, "The file will be Overwritten", "Warning", &edited)) return false;
    if (edited.empty()) return false;
    *confirmed = edited;
    return true;
}

// Only asks: the old block goes when the pasted one is placed, in the
// sheet editor's edit that keeps the undo copy.
bool shell_confirm_remove_title_block(Schema* schema) {
    return !schema || titleblock_is_empty(schema) || confirm_box(nullptr, "Please Confirm", 50010);
}

bool shell_for_each_child(const std::function<bool(void*)>& pred) {
    // A copy: the predicate may close a child.
    std::vector<MyChild*> children = my_children;
    for (MyChild* child : children)
        if (!pred(child)) return false;
    return true;
}

// The shell as the canvas, the dialogs and the library editor's windows see
// it (editor/gui/application.h).
class ShellApplication : public Application {
public:
    wxWindow* main_window() override { return main_frame; }
    DialogOwner* program_dialogs() override { return main_frame ? &main_frame->dialogs : nullptr; }
    EditCanvas* current_canvas() override { return paint_zone; }
    std::vector<EditCanvas*> canvases() override {
        std::vector<EditCanvas*> all;
        for (MyChild* child : my_children)
            if (child->canvas) all.push_back(child->canvas);
        return all;
    }
    void attach_editor(EditCanvas* canvas) override { editor_attach(canvas); }
    void detach_editor(EditCanvas* canvas) override { editor_detach(canvas); }
    void document_changed(EditCanvas* canvas) override { editor_document_changed(canvas); }
    void canvas_closing(EditCanvas* canvas) override {
        if (paint_zone == canvas) paint_zone = nullptr;
    }
    bool confirm_close(EditCanvas* canvas) override { return canvas_confirm_close(canvas); }
    void show_cursor_position(Point world) override { canvas_set_cursor_pos(world); }
    std::string file_name(EditCanvas* canvas) override { return canvas_file_name(canvas); }
    void set_file_name(EditCanvas* canvas, const char* name) override {
        if (MyChild* child = child_of(canvas)) name_stack_set(child->names, name);
    }
    void mark_modified(EditCanvas* canvas) override { canvas_mark_modified(canvas); }
    void mark_saved(EditCanvas* canvas) override { canvas_mark_saved(canvas); }
    void redraw(EditCanvas* canvas, Schema* schema) override { canvas_redraw(canvas, schema); }
    void update_title(EditCanvas* canvas) override { canvas_update_title(canvas); }
    bool title_fields_import(EditCanvas* canvas, const char* file) override {
        return ::title_fields_import(canvas, file);
    }
    bool title_fields_export(EditCanvas* canvas, const char* file) override {
        return ::title_fields_export(canvas, file);
    }
    void enable_library_part_menus(EditCanvas* canvas) override {
        ::enable_library_part_menus(canvas);
    }
    void fill_bookmark_menus(EditCanvas* canvas, Schema* schema) override {
        ::fill_bookmark_menus(canvas, schema);
    }
    void rebuild_palette(int flag) override { ::rebuild_palette(flag); }
    void repaint_all() override { ::repaint_all(); }
    void all_views_load_options() override { ::all_views_load_options(); }
    void autosave_start() override { ::autosave_start(); }
    void autosave_stop() override { ::autosave_stop(); }
    void command(EditCanvas* canvas, int id, long argument) override {
        menu_command(canvas, id, argument);
    }
    void show_help(const char* help_file, long context) override {
        ::show_help(help_file, context);
    }
    std::string program_file_path(const char* name) override { return ::program_file_path(name); }
};

}  // namespace

void shell_log_write(const char* text) {
    if (log_frame || main_frame) {
        log_append(text);
        // A job's error line is for the user to read now.
        if (text && std::strncmp(text, "*** ERROR", 9) == 0) show_log_window();
        return;
    }
    std::fputs(text ? text : "", stdout);
    std::fflush(stdout);
}

void install_shell_services() {
    static ShellApplication* const shell = new ShellApplication;
    install_application(shell);
    Services s;
    s.log_write = shell_log_write;
    s.find_open_file = shell_find_open_file;
    s.confirm_overwrite = shell_confirm_overwrite;
    s.confirm_remove_title_block = shell_confirm_remove_title_block;
    s.for_each_child = shell_for_each_child;
    s.get_display_size = [](int* width, int* height) {
        wxRect r = wxDisplay(0u).GetGeometry();
        *width = r.width;
        *height = r.height;
    };
    s.get_screen_diagonal = [] { return 18.5; };
    install_services(s);
    // A configured folder that does not exist gives way to the folder of
    // the document in the current window.
    set_editing_folder_hook(
        []() -> std::string { return paint_zone ? canvas_folder(paint_zone) : std::string(); });

    // Around every box: the walk over the children; afterwards each canvas
    // gets the normal cursor back (a mode may have shown a busy one).
    set_box_hooks([] { services().for_each_child([](void*) { return true; }); },
                  [] {
                      services().for_each_child([](void* child) {
                          auto* c = static_cast<MyChild*>(child);
                          if (c->canvas) c->canvas->SetCursor(*wxSTANDARD_CURSOR);
                          return true;
                      });
                  });
}

void install_program_services() {
    install_gui_services();
    Services drawing;
    install_render_services(drawing);
    install_services(drawing);
    install_shell_services();
    apply_standard_colours();
}
