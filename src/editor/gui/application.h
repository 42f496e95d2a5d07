#pragma once
// What the editing canvas, the dialogs and the library editor's windows ask
// of the application above them: its main window and child windows, their
// titles, menus and files, the help book and the command dispatcher. They
// reach the shell through this interface only; the shell installs its own
// (shell/shell_services.h) before it makes a window. Every call of the
// default does nothing and answers none, so that nothing here needs the
// shell.
#include <string>
#include <vector>

#include "foundation/geometry.h"

class DialogOwner;
class EditCanvas;
class wxWindow;
struct Schema;

class Application {
public:
    virtual ~Application() = default;

    // --- windows ---
    // The main frame, the parent of every dialog; null before it exists.
    virtual wxWindow* main_window() { return nullptr; }
    // The owner of the dialogs of the whole program (the process dialogs,
    // Shortcuts): the main frame's, whose children they are; null while
    // there is none.
    virtual DialogOwner* program_dialogs() { return nullptr; }
    // The current canvas; null without a child window.
    virtual EditCanvas* current_canvas() { return nullptr; }
    // The canvases of the child windows, in the order the windows were made.
    virtual std::vector<EditCanvas*> canvases() { return {}; }

    // --- the canvas's own life ---
    // The sheet editor on a canvas: bound when the canvas is made, ended
    // before it frees its document, opened anew on each document it takes.
    virtual void attach_editor(EditCanvas*) {}
    virtual void detach_editor(EditCanvas*) {}
    virtual void document_changed(EditCanvas*) {}
    // The canvas is being destroyed: it is no longer the current one.
    virtual void canvas_closing(EditCanvas*) {}
    // The save question of the canvas's document; false on Cancel or a
    // failed save.
    virtual bool confirm_close(EditCanvas*) { return true; }
    // The position field of the status line (the current canvas's pointer).
    virtual void show_cursor_position(Point) {}

    // --- a canvas's document and window ---
    // The name the document was loaded from or saved to ("" when new) / the
    // name its window is known by from now on.
    virtual std::string file_name(EditCanvas*) { return {}; }
    virtual void set_file_name(EditCanvas*, const char*) {}
    virtual void mark_modified(EditCanvas*) {}
    virtual void mark_saved(EditCanvas*) {}
    virtual void redraw(EditCanvas*, Schema*) {}
    virtual void update_title(EditCanvas*) {}
    // The title fields from / into a file of quoted, comma-separated columns;
    // false (after an error box) when the file cannot be used.
    virtual bool title_fields_import(EditCanvas*, const char*) { return false; }
    virtual bool title_fields_export(EditCanvas*, const char*) { return false; }

    // --- menus, palette, every window ---
    virtual void enable_library_part_menus(EditCanvas*) {}
    virtual void fill_bookmark_menus(EditCanvas*, Schema*) {}
    virtual void rebuild_palette(int) {}
    virtual void repaint_all() {}
    virtual void all_views_load_options() {}
    virtual void autosave_start() {}
    virtual void autosave_stop() {}
    // Runs a command id as the menus do (on that canvas, with the argument a
    // button or process dialog sends).
    virtual void command(EditCanvas*, int, long) {}

    // --- help and the program's files ---
    // Opens the help book at a numeric context.
    virtual void show_help(const char*, long) {}
    // A file of the program's own (the help book, the tips); empty when
    // there is none.
    virtual std::string program_file_path(const char*) { return {}; }
};

// The installed application, else the default.
Application& application();
// Installs the application (not owned: it lives as long as the program);
// null puts the default back.
void install_application(Application* installed);
