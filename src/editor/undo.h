#pragma once
// One level of undo for sheet documents, in one of two forms.
//
// The journal of an edit of the sheet's items: the items it removed (kept,
// with the item each stood after), copies of the items it changed as they
// were before, and the items it added. Taking it back puts the document's
// records as they were, in the same order, through the bounds index; it
// costs what the edit touched. Edits of items take this form.
//
// The copy of the whole document in its binary file form: taking it writes
// the whole document as a save would, restoring reads it back into a new
// document that replaces the old one. It owns nothing of the document, so
// no record can be freed under it, and the restored document is the saved
// one byte for byte. Changes that reach beyond the sheet's items (a paste
// bringing fonts, library parts or a title block, the dialogs' changes)
// take this form.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/pointer_set.h"

struct List;
struct Schema;
struct SchItem;

struct EditJournal {
    struct Entry {
        enum Kind : uint8_t { ADDED, REMOVED, CHANGED, SWAPPED };
        Kind kind;
        List* list;      // ADDED, REMOVED: the list (the sheet's items or the ports)
        SchItem* item;   // ADDED, CHANGED, SWAPPED: the item on the sheet, not
                         // owned; REMOVED: the item taken out, owned
        SchItem* other;  // REMOVED: the item it stood after (null: the head), not
                         // owned; CHANGED: the item as it was, an owned copy
    };
    Schema* schema = nullptr;  // not owned: the document journaled; null: no journal
    std::vector<Entry> entries;
    // Items the edit added or already copied: changed again, they need no copy.
    PointerSet<const SchItem> known;
};

// Starts a journal of the document (the former one dropped).
void journal_begin(EditJournal* journal, Schema* schema);
// Releases what the journal owns; it is empty afterwards.
void journal_drop(EditJournal* journal);
bool journal_open(const EditJournal* journal);
// Whether the journal can take back changes of the item: an item of the
// sheet or of the ports list (its own records, a box's ports, go with it).
bool journal_follows(EditJournal* journal, const SchItem* item);
// An item of the sheet or the ports list is about to change in place: a
// copy of it as it is now is kept (once per edit).
void journal_changing(EditJournal* journal, SchItem* item);
// An item was appended to the sheet or the ports list.
void journal_added(EditJournal* journal, List* list, SchItem* item);
// A line's two ends were exchanged (a line far more often put in order
// than otherwise changed: it needs no copy).
void journal_swapped(EditJournal* journal, SchItem* line);
// Takes the item out of its list (the sheet's or the ports list); the
// journal keeps it. False when neither list holds it (nothing done).
bool journal_remove(EditJournal* journal, SchItem* item);
// Puts the document's items back as they were when the journal began and
// drops the journal. The items put back carry no selection or touched marks.
void journal_take_back(EditJournal* journal);

struct DocumentCopy {
    std::vector<unsigned char> bytes;  // the binary file form; empty: no copy
    std::string modifdate;             // MODIFDATE as it was (writing sets today's)
    std::string creatdate;             // CREATDATE as it was (reading may set today's)
    bool valid = false;
};

// Replaces the copy by the document's current form. False (copy dropped)
// when the document could not be written.
bool keep_document_copy(DocumentCopy* copy, Schema* schema);
// Reads the copy into a new document; the view's zoom and position are
// taken over from `current`. The copy is consumed. 0 with *out set; 68
// without a copy; a reader's code when it cannot be read back (*out null).
int restore_document_copy(DocumentCopy* copy, const Schema* current, Schema** out);
void drop_document_copy(DocumentCopy* copy);
