#pragma once
// The process dialogs as data: one row per batch job (its dialog's title,
// window name, opening command, buttons, job command, help context, file
// field and properties), the form rows each dialog is built from, their
// load and store against the configuration properties, the ERC decision
// matrix, the field lists, the netlist format keywords, the converter's
// Execute rule, and the routing of every button id. No window here:
// dialogs/process_dialogs.h is the window side.
//
// The contract between a dialog and its job is only this: Execute stores
// the options into the job's properties, closes the dialog and sends the
// job command (with its argument) to menu_command on the current canvas.
#include <array>
#include <string>
#include <vector>

#include "connectivity/erc.h"  // ERC_CLASSES
#include "dialogs/forms/form.h"

class EnhancedDialog;

// The form fields of the process dialogs.
enum ProcessField : int {
    PF_FILE = 1,  // the output file text (the converter: none)
    PF_VERBOSE,
    PF_DESCEND,
    PF_KEEP,        // Annotate: "Keep Device"
    PF_UNCOND,      // Annotate: "Unconditional"
    PF_FIELDS,      // Annotate, Bill of Material: "Fields Combine:"
    PF_MERGE,       // Bill of Material: "Use Merge File"
    PF_MERGE_FILE,  // Bill of Material: "Merge File:"
    PF_WIDTH,       // Bill of Material: page width
    PF_HEIGHT,      //   and height
    PF_FORMAT,      // Netlist Output: "Format:"
    PF_MODULE,      // Netlist Output: "Module:"
    PF_LIBRARY,     // converter: "Library:"
    PF_SCHEMA,      // converter: "Schema:"
    PF_CONVERT,     // converter: "Convert Library"
    PF_OPEN,        // converter: "Open For Edit"
};

enum class ProcessKind : unsigned char { PLAIN, ERC, ANNOTATE, BOM, NETLIST, CONVERTER };

// One batch job's dialog. Ids are command ids: the opening command and the
// job command reach menu_command, the others only process_command.
struct ProcessDialog {
    ProcessKind kind;
    const char* title;
    const char* window_name;  // names its slot among the program's dialogs
    int menu_command;         // opens the dialog
    long execute_id;
    long store_id;    // stores the options and closes the dialog
    int job_command;  // what Execute sends; its job stands in the shell's table of jobs
    long help_id;
    long help_context;
    // The file field (none for the converter).
    const char* file_label;
    int suffix_property;  // of the proposed output name
    long search_id;
    const char* search_message;
    int wildcard_property;
    int directory_property;
    // The job's properties; descend_property 0 for a job that does not
    // walk a hierarchy.
    int verbose_property;
    int descend_property;
    int file_property;
};

constexpr int PROCESS_DIALOG_COUNT = 14;
// In menu order of the table: ERC, BackAnnotate, Annotate, Compile,
// Decompile, Archive and List Library, Bill of Material, Netlist Output,
// OrCAD converter, Decompile and Compile Sheet, Compile and Decompile Title
// Block.
extern const ProcessDialog process_dialogs[PROCESS_DIALOG_COUNT];
// The dialog a menu command opens, or null.
const ProcessDialog* process_dialog_for_menu(int menu_command);
// The dialog of a kind (every kind but PLAIN has one).
const ProcessDialog& process_dialog_of(ProcessKind kind);
// True for the job commands the process dialogs send.
bool is_process_job(int command);

// Ids of the converter and the other fixed ids.
enum : long {
    ANNOTATE_UNANNOT = 20009,  // sends the annotation job with argument 1
    BOM_MERGE_SEARCH = 20025,
    BOM_USE_MERGE = 20024,  // reported by the box, handled by nobody
    OCONV_LIBRARY_SEARCH = 20044,
    OCONV_SCHEMA_SEARCH = 20045,
    OCONV_LIBRARY_CHANGED = 20048,
    OCONV_SCHEMA_CHANGED = 20049,
    OCONV_CONVERT_TOGGLED = 20050,
    PROCESS_FIRST_ID = 20001,
    PROCESS_LAST_ID = 20099,
};

// What a button id of a process dialog does.
struct ProcessRoute {
    enum Kind {
        NONE,            // no case: nothing happens
        STORE,           // store the dialog's options, then close it
        EXECUTE,         // the store step, then the job command
        SEARCH,          // a file chooser into a text field
        HELP,            // the help book at a context
        UPDATE_EXECUTE,  // the converter's Execute state
        LIBRARY_SEARCH,  // the converter's library chooser
        SCHEMA_SEARCH,   // the converter's schematic chooser
    };
    Kind kind = NONE;
    const ProcessDialog* dialog = nullptr;
    long argument = 0;              // EXECUTE: sent with the job command
    int field = 0;                  // SEARCH: the text field filled
    const char* message = nullptr;  // SEARCH: the chooser's message
    int wildcard_property = 0;      // SEARCH
    int directory_property = 0;     // SEARCH
};
ProcessRoute process_route(long id);

// The form of a dialog: its rows in building order.
Form process_form(const ProcessDialog& dialog);
// Fills the form from the properties (and the proposed output name from
// the current document), the field lists included; the ERC matrix has its
// own load (erc_load_cells).
void process_load(const ProcessDialog& dialog, Form& form, const FormContext& context);
// Writes the form back into the properties.
void process_store(const ProcessDialog& dialog, const Form& form);

// --- Annotate and Bill of Material: the fields combined ------------------------------
// "Fields Combine:" lists the user fields from the third on: line p is
// field p + 2. The choice of line p lives in element p of the property
// (ANNOTATE_FIELDS or BOM_FIELDS).
std::vector<std::string> fields_combine_entries();
// "Module:" lists every field of a part from the reference, at least the
// reference and the value (as Edit Part does).
std::vector<std::string> module_entries();

// --- Netlist Output: formats ---------------------------------------------------------------
constexpr int NETLIST_FORMAT_COUNT = 4;
// The entry of a NETFMT_FORMAT keyword, compared ignoring case; -1 when it
// is none of the four.
int netlist_format_entry(const char* keyword);
// "TESSARON", "PELMORAN", "FLATEDIF", "SPICE"; null outside 0..3.
const char* netlist_format_keyword(int entry);

// --- OrCAD converter ---------------------------------------------------------------------
// Execute is enabled while the file that the chosen action needs is named:
// the library when "Convert Library" is checked, else the schematic.
bool oconv_execute_enabled(const Form& form);

// --- ERC decision matrix -------------------------------------------------------------------
using ErcCells = std::array<int, ERC_CLASSES * ERC_CLASSES>;
// Element column * 17 + row, for the pair (column class, row class).
constexpr int erc_cell_index(int column, int row) { return column * ERC_CLASSES + row; }
// A click: 0 -> 1 -> 2 -> 0; any other state stays.
int erc_next_state(int state);
// The cells with row class >= column class from ERC_TABLE (low 8 bits);
// the others 0.
void erc_load_cells(ErcCells* cells);
// Each cell with row >= column into ERC_TABLE and into its mirror cell.
void erc_store_cells(const ErcCells& cells);
// The labels of a class: the row label, its abbreviation, the column's
// vertical label (one character per line).
const char* erc_row_label(int erc_class);
const char* erc_row_abbreviation(int erc_class);
const char* erc_column_text(int erc_class);
