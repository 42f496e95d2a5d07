#pragma once
// What the shell does to canvases, documents and files, as plain functions
// that the windows and the later editors and dialogs call. Every function
// taking a canvas accepts null (and then does nothing, or answers as for
// "no document").
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/geometry.h"

class EditCanvas;
class PrintJob;
class wxWindow;
struct Font;
struct List;
struct Schema;

// --- the dispatcher -------------------------------------------------------------
// The one command dispatcher of menus, accelerators, toolbar, palette and
// process dialogs. Unknown or not yet available commands do nothing.
void menu_command(EditCanvas* canvas, int id, long argument);
// The toolbar and palette buttons: the button's own id mapped to the
// command of the current canvas's kind, then menu_command.
void toolbar_command(int button);
// The command a toolbar button runs on a canvas of that kind; 0 for none.
int toolbar_command_for(int button, int kind);
// The argument it sends with it: ARG_GROUND_BUTTON from the ground button,
// ARG_PALETTE_FIRST + slot from a palette entry, else 0.
long toolbar_argument_for(int button);

// --- file commands ----------------------------------------------------------------
// The current document's base name with the suffix the property holds;
// "Untitled" when the document has no name; empty without a canvas
// (default_file_name_for, foundation/file_names.h). Static buffer.
const char* default_file_name(int extension_property);
// Save and Save As of a sheet canvas: 0, a document code (shown in an
// error box here), or DOC_CANCELLED. Success clears the modified flag.
int canvas_save(EditCanvas* canvas, bool ask_name);
// The question asked when a modified document's window closes: on Yes the
// document is saved (a failed save answers false), No answers true, Cancel
// false.
bool canvas_confirm_close(EditCanvas* canvas);
// The name the canvas's document was loaded from or saved to ("" when new).
std::string canvas_file_name(EditCanvas* canvas);
// The folder the canvas's document stands in (with its trailing
// separator): its file's, or for an untitled sheet the folder it was made
// in; "" for an untitled library or title block.
std::string canvas_folder(EditCanvas* canvas);
// The print job of the canvas's document (one page, titled by the file's
// name); null without a document.
std::unique_ptr<PrintJob> canvas_print_job(EditCanvas* canvas);

// --- autosave -----------------------------------------------------------------------
// Starts the timer for MINUTES_BACK minutes (none when 0 or less) / stops it.
void autosave_start();
void autosave_stop();
// Saves every modified sheet as a numbered copy beside its file.
void autosave_all();
// The copy name: the file's name with its suffix replaced by ".%03d".
std::string autosave_copy_name(const std::string& file, int number);
// Shifts the copies of `file` one up (the oldest, number nb_back, is
// dropped) and writes the newest as number 1 through the safe-write
// routine with the writer. 0 or the writer's or file system's code.
int autosave_rotate(const std::string& file, int nb_back, int (*write)(void*, FILE*), void* data);

// --- canvas state -------------------------------------------------------------------
bool canvas_is_empty(EditCanvas* canvas);
void canvas_mark_modified(EditCanvas* canvas);
void canvas_mark_saved(EditCanvas* canvas);
void canvas_redraw(EditCanvas* canvas, Schema* schema);
void canvas_redraw_and_status(EditCanvas* canvas);
void canvas_update_title(EditCanvas* canvas);
// Field 2 of the status line, when the text differs from the canvas's
// current prompt; cut to 39 characters.
void canvas_set_prompt(EditCanvas* canvas, const char* text);
void canvas_set_mode_name(EditCanvas* canvas, const char* text);
void canvas_set_repeat(EditCanvas* canvas, int count);
void canvas_set_repeat_range(EditCanvas* canvas, void* first, void* last);
void canvas_clear_selection_info(EditCanvas* canvas);
// The cursor position of the status line, rounded.
void canvas_set_cursor_pos(Point world);
// The prompt field shows at most this many characters.
constexpr size_t PROMPT_MAX = 39;
// The text as it fits into the prompt field.
std::string prompt_text(const char* text);

// --- menus, palette, views -----------------------------------------------------------
void enable_undo(EditCanvas* canvas, int state);
void enable_part_menu(EditCanvas* canvas);
void enable_library_part_menus(EditCanvas* canvas);
void refresh_all_menus(int flag);
void fill_bookmark_menus(EditCanvas* canvas, Schema* schema);
void rebuild_palette(int flag);
void refresh_palette();
// The palette's current entry (0 at start): the one Place > Part places.
void palette_select(int slot);
int palette_selected();
void repaint_all();
void all_views_load_options();
// Sum over the open sheets of count_SchItems of the kind.
int count_items_all_sheets(int kind);
int get_geometry();
void set_geometry(int geometry);
void empty_canvas_hook();

// --- fonts and title fields -----------------------------------------------------------
void init_title_block_fields(EditCanvas* canvas, int flag);
// The identification fields from a file of quoted, comma-separated columns
// / into one; false (after an error box) when the file cannot be used.
bool title_fields_import(EditCanvas* canvas, const char* file_name);
bool title_fields_export(EditCanvas* canvas, const char* file_name);
// The same on a document, without boxes: 0 or an error code.
int title_fields_read(Schema* schema, const char* file_name);
int title_fields_write(Schema* schema, const char* file_name);

// --- help ---------------------------------------------------------------------------------
// Opens the help book at a numeric context (0 and 600000 the contents,
// 600001 the search; a context without a page shows the contents). Without
// an installed book, says so in the log.
void show_help(const char* help_file, long context);
// Closes the help window and forgets the book (the end of the program).
void close_help();
// The help contexts of the editors' pages.
constexpr long HELP_SHEET_EDITOR = 2000;
constexpr long HELP_LIBRARY_EDITOR = 2020;
constexpr long HELP_TEMPLATE_EDITOR = 2030;
// The help context of an editing mode by its name, else of the editor of
// that canvas kind; 0 (the contents) for neither.
long mode_help_context(const char* mode_name, int canvas_kind);
// Every context mode_help_context answers.
std::vector<long> mode_help_contexts();
// F1: the page of the canvas's current mode (the contents without a canvas).
void show_mode_help(EditCanvas* canvas);
// A file of the program's own (the help book, the tips) beside the INI
// file or beside the program; empty when neither holds it.
std::string program_file_path(const char* name);
