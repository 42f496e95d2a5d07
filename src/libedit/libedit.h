#pragma once
// The library editor without its windows: the part under edit of a library
// window and the title block of a template window, their one-level undo,
// the names of a part, taking a drawing from another part, the body, and
// saving.
//
// A library window's document is a schema whose own library is the library
// file being edited. Its root sheet is the editing sheet: one placed part of
// the part under edit per device of the package (and one more per device for
// the converted form), each followed by its body rectangle and a frame
// rectangle 5000 units larger on every side. The part under edit is the
// library part of the first placed part; an empty sheet means no part.
// Library coordinates: the first body's origin lies at (10000, 10000) plus
// the body's own offset; converted bodies stand to the right of the normal
// ones, rows of devices below each other, LIBEDIT_GAP apart beyond the body.
//
// A template window's document is a schema whose embedded title block holds
// the graphics and the controls being edited.
//
// The state (LibEdit) lives beside the canvas's editing session and is the
// session's owner: edit_checkpoint on a library or template session takes
// the copies below. What the window has to do in return (refill a dialog,
// grey menus, ask the save question) goes through LibEditHost, whose
// defaults do nothing, so the editor runs without a window in tests.
#include <cstdint>
#include <string>
#include <vector>

#include "editor/command_ids.h"
#include "editor/tool_mode.h"
#include "foundation/geometry.h"

class LibEditTransaction;
struct Boite;
struct LibEntry;
struct Library;
struct List;
struct Part;
struct Pin;
struct PlacedPart;
struct Schema;
struct SchItem;
struct Vectors;

// Where the first body's origin stands on the editing sheet, the frame's
// margin round a body, and the gap between bodies (rows and columns).
constexpr int32_t LIBEDIT_ORIGIN = 10000;
constexpr int32_t LIBEDIT_FRAME = 5000;
constexpr int32_t LIBEDIT_GAP = 12000;
// State bits of the body rectangles: a body, and a body of the converted form.
constexpr uint32_t BODY_BOX = 0x80;
constexpr uint32_t CONVERTED_BOX = 0x2000000;
// Bit of a part's mark word: the part has a converted form.
constexpr uint32_t PART_CONVERTED = 0x2000000;
// The library tools count a hit below this distance (world units).
constexpr double LIBEDIT_HIT = 500.0;

// A copy of a part kept to be put back later: the load-time copy (the part
// as it was loaded, so that unsaved edits can be dropped) and the undo copy.
struct PartSlot {
    Part* copy = nullptr;    // owned duplicate (one reference), or none
    Part* target = nullptr;  // held once: the library's part the copy was taken of, or none
    uint8_t valid = 0;       // 1: the slot records a state (also "no part then")
};
// Releases the copy and the target; the valid byte is kept.
void release_part_slot(PartSlot* slot);

// The window's side of the library editor. Every call has a harmless default.
class LibEditHost {
public:
    virtual ~LibEditHost() = default;
    // The part under edit changed: Part Info shows it again.
    virtual void part_changed() {}
    // The part's names changed: the Part Names dialog lists them again.
    virtual void names_changed() {}
    // The Place entries follow whether a part is under edit; the title shows its name.
    virtual void part_menus() {}
    // The view fits the drawing.
    virtual void zoom_fit() {}
    // The save question of the window's document; false when the user
    // cancelled (or the save failed).
    virtual bool ok_to_close() { return true; }
    // A menu command on the window (a double click opens a dialog).
    virtual void command(int id) { (void)id; }
    // A line of text asked of the user (the number of a pin): false when
    // the user cancelled. Without a window the proposal is taken.
    virtual bool ask_text(const char* message, const char* caption, const char* proposal,
                          std::string* answer) {
        (void)message, (void)caption;
        *answer = proposal ? proposal : "";
        return true;
    }
    // The dialog of a pin of the part (Add/Edit Pin), of a text or IEEE
    // symbol of the part or of a text or control of a title block.
    virtual void edit_pin(PlacedPart* placed, Pin* pin) { (void)placed, (void)pin; }
    virtual void edit_text(SchItem* item) { (void)item; }
    // The blinking selection of the edit tool: its 500 ms timer started or
    // stopped; each tick calls libedit_blink_tick.
    virtual void blink(bool on) { (void)on; }
    // The id of the variant of a document font at an escapement (tenths of
    // a degree), brought into the table when missing; a record the table
    // lacks is replaced by the default font's. Without a window the id stays.
    virtual int font_at_escapement(List** fonts, int font_id, int escapement) {
        (void)fonts, (void)escapement;
        return font_id;
    }
    // A text tool ended: the document's font records no text uses are dropped.
    virtual void fonts_used() {}
};

// One change the Part Names dialog made while open, kept so that closing
// it through its close box can reverse it.
struct NameChange {
    enum Kind : uint8_t { ADDED, REMOVED, RENAMED };
    Kind kind = ADDED;
    LibEntry* entry = nullptr;  // ADDED: the library's; REMOVED: owned here until committed
    std::string old_name;       // RENAMED: the name before
};

struct NamesJournal {
    bool open = false;
    std::vector<NameChange> changes;
    Part* part = nullptr;  // held once: the part under edit when the dialog opened
    std::string shown;     // the name the editing sheet showed then
    PartSlot load_copy;    // the load-time copy, kept when the last name went
};

struct LibEdit : SessionOwner {
    EditSession* session = nullptr;   // not owned: the canvas's; its schema is the document
    LibEditHost* host = nullptr;      // never null once bound (libedit_bind)
    PartSlot load_copy;               // the part as loaded
    PartSlot undo;                    // the library undo copy
    std::vector<LibEntry*> names;     // the entries naming the part under edit (not owned)
    uint8_t converted = 0;            // the converted body is the one shown
    SchItem* current_item = nullptr;  // the text or control a dialog changes (not owned)
    // The library's entries (names, fields, a new part's entry) changed since
    // the last save: dropping the part's unsaved edits does not take these
    // back, so the document stays modified.
    bool entries_unsaved = false;
    // The name the next new part gets (Get Part sets it when the user
    // creates the part it asked for).
    std::string new_part_name = "noname";
    // The template undo copies of the title block's two lists (owned), none
    // when the list was empty at the checkpoint.
    List* template_graphics = nullptr;
    List* template_fields = nullptr;
    NamesJournal journal;
    // The edit under way (libedit/libedit_transaction.h), or none.
    LibEditTransaction* transaction = nullptr;

    LibEdit() { load_copy.valid = 1; }
    ~LibEdit() override;
    LibEdit(const LibEdit&) = delete;
    LibEdit& operator=(const LibEdit&) = delete;
    // edit_checkpoint: the library undo copy, or the template copies.
    void checkpoint() override;
};

// Binds the state to a session (and the session to it); a null host does nothing.
void libedit_bind(LibEdit* ed, EditSession* session, LibEditHost* host);
// The library editor of a session, or null (a sheet's session).
LibEdit* libedit_of(EditSession* session);
// Drops every copy, the names and the journal (the document is about to go).
void libedit_reset(LibEdit* ed);

// --- the document -------------------------------------------------------------------------
Schema* libedit_schema(const LibEdit* ed);
// The window's library (the document's own library), or null.
Library* libedit_library(const LibEdit* ed);
// The editing sheet's item list, or null.
List* libedit_items(const LibEdit* ed);
int libedit_nb_names(const LibEdit* ed);

// Reads a binary library file into a new library that replaces the
// document's own. 0, or 63 / 64 (the document's library is then left as it was).
int libedit_open_library(LibEdit* ed, const char* file_name);
// Writes the window's library to the file through the safe-write routine,
// then keeps the saved part as the new load-time copy and marks the
// document saved. 0, or the library writer's code (nothing marked).
int libedit_save_library(LibEdit* ed, const char* file_name);
// File New: after the save question, an empty library and no part under
// edit; the document saved. False when the user cancelled the question.
bool libedit_new_part(LibEdit* ed);

// --- the part under edit ------------------------------------------------------------------
PlacedPart* libedit_first_placed(const LibEdit* ed);
// The library part of the first placed part, or null.
Part* libedit_part(const LibEdit* ed);
// The name the editing sheet shows (the first placed part's value), or null.
const char* libedit_part_name(const LibEdit* ed);
// Makes the entry's part the one to edit next (null: none), dropping the
// unsaved edits of the part loaded before. With check, the pin numbers of
// the part shown are checked first. A modified document asks 50003; No
// answers false and changes nothing; Yes leaves the document modified
// while the library's entries hold unsaved changes. The editing sheet is
// left empty: libedit_attach_part lays the part out.
bool libedit_load_part(LibEdit* ed, LibEntry* entry, bool check);
// Lays the entry's part out on the editing sheet under the name (placed
// parts with their body and frame rectangles); the name table becomes the
// entries of the part in name order.
void libedit_attach_part(LibEdit* ed, LibEntry* entry, const char* name);
// Appends a body rectangle {origin, w, h} (state | bits | BODY_BOX) and its
// frame (DRAW, LIBEDIT_FRAME larger on every side) to the list.
void libedit_body_boxes(List* list, Point origin, int32_t w, int32_t h, uint32_t bits);
// The first rectangle of the list, undrawn (a body) or drawn (a frame) as
// asked, whose area, edges included, holds the point; null when none.
Boite* find_body_box(List* list, Point p, bool undrawn);
// The body rectangle laid out after the placed part, or null.
Boite* body_box_of(List* list, const PlacedPart* placed);
// The placed part whose body (or frame, with frame set) holds the point,
// with that body rectangle; null when none.
PlacedPart* libedit_part_at_point(const LibEdit* ed, Point p, bool frame, Boite** body);
// The reference (prefix, with "?" for a package of several devices) and,
// when given, the name of every placed part of the editing sheet.
void libedit_refresh_references(LibEdit* ed, Part* part, const char* name);
// The body rectangle of a box as {x, y, w, h}.
Rect body_rect(const Boite* box);

// --- undo ----------------------------------------------------------------------------------
void libedit_checkpoint_part(LibEdit* ed, PartSlot* slot);
// Puts the slot's copy back into the part it was taken of (the same record,
// so that every holder sees it), or empties the editing sheet when no part
// existed then.
void libedit_restore_part(LibEdit* ed, PartSlot* slot);
// Exchanges the chosen body of the slot's copy and of the part.
void swap_form_vectors(PartSlot* slot, Part* part, bool converted);
void template_checkpoint(LibEdit* ed);
void template_restore(LibEdit* ed);
// Undo of a library window (command 20073) and of a template window (20248).
void libedit_undo(LibEdit* ed);
void template_undo(LibEdit* ed);

// --- names ----------------------------------------------------------------------------------
// A name for the part under edit (a new part without one). The part's own
// entry of that name when it has one; a name another part holds asks 14,
// and Yes replaces that entry. Null for an empty name or No.
LibEntry* libedit_add_name(LibEdit* ed, const char* name);
// Deletes the part's name (asking 50002 for its last one). False when
// nothing changed.
bool libedit_delete_name(LibEdit* ed, const char* name);
// Renames the part's entry `from` to `to`; false when nothing changed (no
// part, an empty or already held new name, no such entry).
bool libedit_rename(LibEdit* ed, const char* from, const char* to);
void names_table_add(LibEdit* ed, LibEntry* entry);
void names_table_remove(LibEdit* ed, LibEntry* entry);
bool name_in_table(const LibEdit* ed, const char* name);

// While the Part Names dialog is open its changes are kept: the close box
// reverses them, Ok commits them (the removed entries are freed then).
void names_journal_open(LibEdit* ed);
void names_journal_commit(LibEdit* ed);
void names_journal_revert(LibEdit* ed);

// --- vector definitions ------------------------------------------------------------------------
// Rows of the Get Vector Options choices.
enum : int { VECTORS_NOT = 0, VECTORS_TO_NORMAL = 1, VECTORS_TO_CONVERT = 2 };
struct VectorOptions {
    bool free_current = true;
    int normal_row = VECTORS_TO_NORMAL;
    int convert_row = VECTORS_TO_CONVERT;
    // What the dialog enables: the Convert choice, the Free box.
    bool convert_applies = false;
    bool free_applies = false;
};
// The entry of that name in the source library whose drawing can be taken
// (*options filled for the dialog): 0; 70 without such an entry; 50000 when
// its part has no normal drawing.
int libedit_get_vector(LibEdit* ed, Library* source, const char* name, LibEntry** found,
                       VectorOptions* options);
// Copies the source part's drawings into the part under edit (a new part
// "noname" without one) as the options say. False when no name could be had.
bool libedit_apply_vector_definition(LibEdit* ed, const LibEntry* source,
                                     const VectorOptions& options);
// Merges a set into a body of the part: appended to the set there (the part
// then holds a set of its own), else it becomes the body (one more holder
// unless keep). Null does nothing.
void set_part_vectors(Part* part, bool normal, Vectors* set, bool keep);

// --- body -------------------------------------------------------------------------------------
// Place Body: no part under edit (after the unsaved-edits question), the
// view fitted, the Add Body tool started. False when the user kept the edits.
bool libedit_place_body(LibEdit* ed, int devices, bool converted);
// Resizes the body of the part under edit with the Add Body tool.
void libedit_replace_body(LibEdit* ed);
// The smallest body the pins of the placed part's form allow (1000 x 1000 at least).
Point part_pin_extent(const LibEdit* ed, PlacedPart* placed);
// Every pin of the shown form onto the edge its side names.
void pins_to_body_sides(LibEdit* ed);
// The body of the part under edit takes the rectangle's size; the editing
// sheet is laid out again.
void libedit_set_body_size(LibEdit* ed, Rect resized);
// The devices per package, every pin-number table resized with it (a
// package has one device at least).
void part_set_devices(Part* part, int count);

// Warns of pin numbers that two pins of the list share (power pins left
// out), at most eleven of them listed.
struct PinList;
void pin_numbers_check(PinList* list, int devices, bool converted);

// --- Part Info ------------------------------------------------------------------------------------
// The six values the Part Info dialog shows; false without a part.
struct PartInfo {
    std::string name;
    std::string dimensions;
    std::string devices;
    std::string normal_pins;
    std::string convert_pins;
    std::string names;
};
bool libedit_part_info(const LibEdit* ed, PartInfo* info);
