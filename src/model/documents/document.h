#pragma once
// The document layer between the shell's file commands and the records: a
// fresh active schematic, opening and saving schematic and title-block
// files (binary and ASCII source), the stack of document names kept while
// descending into sub-sheets, whether a document is empty or modified,
// which kind of native file a name holds, and finding library parts and
// placing one (the schema's own library receives a copy of every part that
// is placed).
//
// Results are codes of the error table (foundation/errors.h); nothing here
// shows a message. Every file is written through a temporary file renamed
// over the old one only after a successful write and close; the old file is
// kept as ".BAK" when backups are on. A failed save leaves the old file (and
// no lone ".BAK").
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/geometry.h"
#include "model/items/libutil.h"  // LibPartRow

struct DListNode;
class FileSet;
struct LibEntry;
struct Library;
struct Part;
struct PlacedPart;
struct Schema;
struct SubSheet;

// --- results ------------------------------------------------------------------------
enum : int {
    DOC_CANNOT_OPEN = 1,     // "Cannot open file for reading"
    DOC_READ_ERROR = 5,      // "Read error" (a damaged record)
    DOC_CANNOT_CREATE = 50,  // "Cannot create file "
    DOC_NO_SUCH_FILE = 51,   // "No such file "
    DOC_AT_TOP = 58,         // "Already at top level"
    DOC_NOT_SCHEMATIC = 65,  // "Not a Schematic."
    DOC_NO_SCHEMATIC = 68,   // "No Schematic Loaded."
    DOC_PREMATURE_EOF = 69,  // "Premature EOF"
    DOC_NO_SUCH_PART = 70,   // "No such Part"
    DOC_WINDOW_EMPTY = 73,   // "No Items in the Window"
    // The user declined the overwrite question: nothing was written, and the
    // document must not be taken as saved. The error table has no text for
    // it, so a message box shows nothing worth reading: callers test for it.
    DOC_CANCELLED = 1002,
};

// Document kinds of make_kind_file_name (foundation/app_utils.h).
enum : int {
    KIND_LIBRARY = 1,      // EXT_CLB
    KIND_SCHEMA = 5,       // EXT_SCHEMA
    KIND_ASCII = 10,       // EXT_ASC
    KIND_TITLEBLOCK = 17,  // EXT_TMPL
};

// What get_file_kind finds in a file's header.
enum : int {
    FILE_KIND_NONE = -1,
    FILE_KIND_SCHEMA = 0,
    FILE_KIND_LIBRARY = 1,
    FILE_KIND_TITLEBLOCK = 2,
};

// The printf-style progress callback of the operations that report.
using DocReport = void (*)(const char* format, ...);

// --- the active document --------------------------------------------------------------
// Frees the schema held in *schema and puts a new one there: view
// initialised, an empty root sheet (also the current sheet) and an empty own
// library named "$ACTIVE$". Out of memory ends the program.
void new_active_schema(Schema** schema);
// Completes the name (schematic, for reading), makes a new active schema and
// reads the file into it; the root sheet becomes current. 0; 1 when the file
// cannot be opened (*schema is then left as it was); 65 when it holds
// no schematic; 69 when it ends early; 5 or a reader's code for a damaged
// file. On every failure but 1 the schema is freed and *schema cleared.
int load_schema_file(Schema** schema, const char* name);
// Completes the name (schematic, for writing), keeps it as the last written
// schematic name and writes the whole document. With ask, an existing file
// is replaced only after services().confirm_overwrite agrees (the name may
// be changed there); DOC_CANCELLED when declined. 0; 68 without a schema;
// 50 when the file cannot be created; 6 or 7 when a write or the close
// failed; the code of a library part that could not be written. With a set
// the file is only written to its temporary: the set's commit replaces it.
int save_schema_file(Schema* schema, const char* name, bool ask, FileSet* set = nullptr);
// Saves the items of the window: those the edit filter admits (mark 0x4000)
// or, with a selection polygon of 3 or more points, those of them inside it
// (mark 0x8000). 0; 50; 6 or 7; 68 without a schema; 73 when the polygon
// catches nothing (no file written). Both marks are cleared afterwards.
int save_schema_window(Schema* schema, const char* name);
// The "(SCHEMATIC" source (ASCII kind, for writing; always asks before
// overwriting): 0, DOC_CANCELLED, 68, 50, 6 or 7.
int decompile_schema(Schema* schema, const char* name);
// Writes the schema's embedded title block as a title-block file with its
// fonts: 0, 50, 6 or 7.
int save_titleblock_file(const char* name, Schema* schema);
// Reads a title-block file into the schema's embedded title block (its fonts
// merged into the schema's) and recomputes the block's bounds. 0; 1 when the
// file cannot be opened; 69 when it ends early; 5 when it is damaged or holds
// no title block; a reader's code. On failure the title block and the fonts
// are left as they were.
int load_titleblock_file(const char* name, Schema* schema);
// The "(TITLEBLOCK" source of the embedded title block, with the reports
// "Opening Ascii Title Block File...\n" etc. through `report` when property
// DECOMPTMPL_VERBOSE is set: 0, DOC_CANCELLED, 68, 50, 6 or 7.
int decompile_titleblock(Schema* schema, const char* name, DocReport report);
// 0 when the name names an existing schematic file in the project
// directory, else -1.
int schema_file_exists(const char* name);
// FILE_KIND_* of the file the name names as a schematic, else as a library:
// by the words "Schema", "Library", "Title Block" (in that order) in the
// header text of a file that begins with '@' and has 0x1A after the header.
int get_file_kind(const char* name);
// The schematic name save_schema_file completed last ("" before any).
const std::string& last_written_schema();

// --- state ----------------------------------------------------------------------------
// True without a schema, or when the current sheet has no items, there are
// no ports and the title block's drawing is empty.
bool schema_is_empty(const Schema* schema);
bool sheet_is_empty(const Schema* schema);       // only the current sheet's items
bool titleblock_is_empty(const Schema* schema);  // only the title block's drawing
// The modified flag; a null schema is ignored / reads false.
void schema_set_modified(Schema* schema);
void schema_clear_modified(Schema* schema);
bool schema_is_modified(const Schema* schema);
struct NameStack;
// Frees *schema, clears it and, when a stack is given, empties the stack.
void close_schema(NameStack* stack, Schema** schema);
// Frees the list of open libraries with its libraries and clears it.
void free_open_libraries();

// --- sub-sheets -------------------------------------------------------------------------
// The names of the documents entered, root first. A slot keeps the name of
// the file (an empty name shows as "Untitled"), the view position to come
// back to and the time stamp of the sub-sheet box that was entered.
struct NameSlot {
    std::string name;
    Point position;
    uint32_t box_word = 0;
};
struct NameStack {
    int top = 0;                  // 0 = the root
    std::vector<NameSlot> slots;  // the slot count is slots.size()
};
// A stack of n slots (at least 1), top 0; null when memory runs out.
NameStack* new_NameStack(int n);
void free_NameStack(NameStack* stack);
// Clears every slot; top 0; slot 0 holds the name.
void name_stack_reset(NameStack* stack, const char* name);
// Replaces the top slot's name (name_stack_replace is the same call).
void name_stack_set(NameStack* stack, const char* name);
void name_stack_replace(NameStack* stack, const char* name);
// The top slot's name, "Untitled" when empty.
std::string name_stack_top(const NameStack* stack);
// Slot i's name, "Untitled" when empty or outside the stack.
const char* name_stack_name(const NameStack* stack, int i);
bool name_stack_at_root(const NameStack* stack);
int name_stack_depth(const NameStack* stack);
// Clears every name from the top down to slot 0; top 0.
void name_stack_pop_all(NameStack* stack);
// Loads the file of a sub-sheet box into *schema (a new active schema).
// 51 when the box names no file; a load code. When the file does not exist
// yet (load result 1) the new empty sheet receives a copy of each of the
// box's ports, placed on the sheet's left or right margin: 0. `file`, when
// given, is the box's file name as the sheet holding the box means it
// (name_from_holder), loaded in place of the name as written.
int open_subsheet_schema(Schema** schema, const SubSheet* box, const char* file = nullptr);
// Enters a sub-sheet: the top slot keeps the box's time stamp and the
// position; a new top slot gets the box's file name (the stack grows by 5
// slots when full); the file is loaded as by open_subsheet_schema, the
// box's ports moved onto a new sheet. 51 when the box names no file; on a
// load failure (other than a missing file) the parent is loaded again and
// the load code returned.
int descend_subsheet(NameStack** stack, Schema** schema, SubSheet* box, Point* position);
// Leaves a sub-sheet: 58 at the root; else the parent's file is loaded and
// the position kept on descending is given back. The load code.
int ascend_sheet(NameStack* stack, Schema** schema, Point* position);

// --- part search and placement -------------------------------------------------------------
// Every report of the part search goes to the hook; none is installed at start.
using ProgressHook = void (*)(const char* text);
void set_progress_hook(ProgressHook hook);
// The next search without a library name begins with the first standard
// library again (the start of a run; tests).
void reset_part_search();
// The parts of one library matching a pattern (find_lib_parts): with a
// library name that library (and only it when only_this is set, or when it
// has matches); else the standard libraries, each once, from a start index
// that moves past the library of the last success. The rows are sorted by
// sort_part_matches and *library gets the name of the library searched.
// The number of rows.
int search_LibParts(const char* library_name, const char* pattern, std::vector<LibPartRow>* rows,
                    std::string* library, bool only_this);
// Fills each row's prefix (the first prefix of the library whose text
// begins the entry name, ignoring case) and rest (the name after it), then
// sorts: rows with a prefix first; by rest, then by prefix (ignoring case).
// `mode` is kept for the callers' argument order (0).
void sort_part_matches(std::vector<LibPartRow>* rows, int mode, const char* library_name);
// The same with the prefixes of a library at hand (none: no prefixes).
void sort_part_matches_of(std::vector<LibPartRow>* rows, const Library* library);
// The part named in the given library, or in the first standard library
// that has it; *library gets that library's name and *entry its entry.
// Null when none has it.
Part* find_part_in_libraries(const char* library_name, const char* part_name, std::string* library,
                             LibEntry** entry);
// find_part_in_libraries, then setup_new_part: 0, or 70 when no library has
// the part (*placed null).
int part_search_setup(Schema* schema, const char* part_name, const char* library_name,
                      PlacedPart** placed);
// Places `part` (from `entry` of library `library_name`): the schema's own
// library gets an entry "library/part" holding it (a changed part of the
// same name becomes version "@000001", "@000002", ...), with the source
// entry's attributes and the fonts of the library consulted last
// (current_library); *placed gets a new placed part of that entry with the
// reference prefix + "?", the part name as value and the entry's
// attributes. 0. Out of memory ends the program.
int setup_new_part(Schema* schema, const char* library_name, const char* part_name,
                   PlacedPart** placed, Part* part, LibEntry* entry);
// A new entry `name` of the schema's own library holding the part, with the
// attributes of `source` (may be null) and the fonts of the library
// consulted last. An entry of that name is replaced.
LibEntry* add_own_entry(Schema* schema, const std::string& name, Part* part,
                        const LibEntry* source);
// The name of the version after an entry's: "NAME" gives "NAME@000001",
// "NAME@000006" gives "NAME@000007".
std::string entry_next_version(const char* entry_name);
// Places every part of a net file's library (entries "library/part") in the
// schematic's own library, keeping the pins' object ids. An entry whose
// name has no '/' (a sheet written as source names its parts freely) keeps
// its name and joins an own entry of that name when there is one. False
// when a part cannot be set up.
bool import_net_library(Schema* schema, Library* library);
// True when the reference has no device letter: after its digits the text
// ends, or continues with one "'" only.
bool ref_has_no_device(const char* reference);
// The next placed part of the current sheet after the node *iterator (from
// the first item when null) whose reference equals `reference` (with its
// device letter unless ref_has_no_device) and whose state shares no bit with
// the mask; *iterator becomes its node. Null when none.
PlacedPart* find_part_by_reference(Schema* schema, DListNode** iterator, const char* reference,
                                   uint32_t mask);
