#pragma once
// The one seam between the headless core (foundation, model, connectivity,
// import) and the GUI. The core asks these services of the windowing side;
// the GUI installs its own table at start-up with install_services(). Until
// then (batch jobs, tests) the headless defaults answer: nothing is measured,
// no document is open, and every question takes the scripted answer.
//
// Records of upper layers are only named here; the core never needs their
// layout to call a service.
#include <functional>
#include <string>

#include "foundation/geometry.h"

struct List;
struct View;
struct Schema;
struct SchItem;

// Message-box styles and answers keep the program's own numbers; the GUI
// adapter translates them to the toolkit's constants.
enum : int {
    MB_OK_BUTTON = 1,
    MB_YES_NO = 2,
    MB_CANCEL_BUTTON = 4,
    MB_ICON_EXCLAMATION = 32,
    MB_ICON_STOP = 64,
    MB_ICON_QUESTION = 128,
    MB_ICON_INFORMATION = 256,
};
enum : int {
    ANSWER_OK = 1,
    ANSWER_CANCEL = 4,
    ANSWER_YES = 8,
    ANSWER_NO = 16,
};

// File-selector flags, in the program's own numbers.
enum : int {
    FILE_SELECT_OPEN = 1,
    FILE_SELECT_SAVE = 2,
    FILE_SELECT_OVERWRITE_PROMPT = 4,
    FILE_SELECT_HIDE_READ_ONLY = 8,  // the platform's dialogs have no read-only box
};

// Colour-table entry callbacks (index, red, green, blue).
using ColourLoadFn = void (*)(int index, int* red, int* green, int* blue);
using ColourSaveFn = void (*)(int index, int red, int green, int blue);

struct Services {
    // --- output -----------------------------------------------------------
    // The log window (already formatted text). Headless: standard output.
    std::function<void(const char* text)> log_write;
    // Debugger output, shown only in debug mode ("-debug"). Headless:
    // standard error while debug_enabled is set, else nothing.
    std::function<void(const char* text)> debug_write;
    // A task-modal message box; returns ANSWER_*. Headless: the next
    // scripted answer, else the box's default button (OK, or Yes).
    std::function<int(const char* text, const char* caption, int style)> message_box;
    // Ends the process after showing the text (fatal application exit).
    std::function<void(const char* text)> fatal_exit;
    // Sounds the bell when a key or command does not apply.
    std::function<void()> bell;

    // --- rendering (text measuring, fonts, colours) -------------------------
    // Measures a text in a font of the given table on the canvas; false when
    // there is no canvas.
    std::function<bool(void* canvas, List* fonts, View* view, const char* text, int* font_number,
                       Point pos, Rect* out)>
        text_extent;
    // Realizes document font record (id - 10) of the table; returns the
    // toolkit's font handle (0 headless) and may update *font_id.
    std::function<long(List** table, int* font_id)> font_for_text;
    std::function<void(ColourLoadFn load, ColourSaveFn save)> colour_table_attach;
    // The extra red colour object; opaque to the core.
    std::function<void*()> colour_red;
    // The world rectangle an item of the document covers when drawn on the
    // screen (its texts, names and pin labels included), for the bounds
    // index of an edited sheet; false when it is not known. Called with a
    // null item each time an index is made: what the drawing layer keeps
    // between measures is to be found anew. Headless: false (the index then
    // takes the item's own bounds).
    std::function<bool(Schema* doc, SchItem* item, Rect* out)> item_draw_bounds;

    // --- shell ---------------------------------------------------------------
    std::function<bool(View* view, const char* text, int* font_number, Point pos, Rect* out)>
        paint_zone_text_extent;
    std::function<bool(Schema* doc, SchItem* text, Rect* out)> sheet_text_box;
    // The open document of that file, or null; *canvas gets its canvas.
    std::function<Schema*(const char* file_name, void** canvas)> find_open_file;
    // The name unchanged when no file of that name exists; else, after the
    // question "The file will be Overwritten" (caption "Warning"), the
    // confirmed (possibly edited) name, or false when the user cancels.
    std::function<bool(const std::string& name, std::string* confirmed)> confirm_overwrite;
    // Asked before a pasted title block replaces the sheet's existing one
    // ("Ok to remove existing Title Block ?"); true lets the paste replace
    // it when it is placed (the old block stays until then, and the
    // placing edit keeps the undo copy). Headless: the scripted answer.
    std::function<bool(Schema* doc)> confirm_remove_title_block;
    // Removes every font record of that number from the table (freeing the
    // table when it becomes empty).
    std::function<void(List** table, int number)> font_remove_entry;
    // Calls pred on each child frame; false when pred stopped the walk.
    std::function<bool(const std::function<bool(void* child)>& pred)> for_each_child;
    // View start (x, y in scroll steps) and client width and height in pixels.
    std::function<void(void* canvas, int out[4])> canvas_visible_rect;
    std::function<void(int* width, int* height)> get_display_size;
    std::function<double()> get_screen_diagonal;

    // --- toolkit: pinnable dialogs and the file selector ---------------------
    std::function<void(void* dialog, const char* text)> dialog_set_message;
    std::function<void(void* dialog, bool pinned)> dialog_set_pinned;
    std::function<void(void* dialog, bool show, bool pinned)> dialog_show;
    std::function<bool(void* dialog)> dialog_is_shown;
    // Returns the chosen path, or false when nothing was chosen. Flags are
    // FILE_SELECT_* (0 is an open dialog).
    std::function<bool(const char* message, const char* directory, const char* default_name,
                       const char* default_suffix, const char* wildcard, int flags, void* parent,
                       std::string* chosen)>
        file_selector;
};

// The table in use. Never empty: every slot holds either the GUI's service or
// the headless default.
Services& services();
// Installs a table; empty slots keep the headless default.
void install_services(const Services& table);
// Back to the headless defaults (tests).
void reset_services();
// The headless table itself.
Services headless_services();

// Debug output switch ("-debug").
extern bool debug_enabled;

// Scripted answers for the headless message box (tests). Answers are taken
// in order; when none is left the box answers its default button.
void script_answers(std::initializer_list<int> answers);
void clear_scripted_answers();
// The text and caption of the last box shown headless (tests).
const std::string& last_box_text();
const std::string& last_box_caption();
