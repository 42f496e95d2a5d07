#pragma once
// The one way a sheet document is edited, so that no edit forgets a step.
//
// An edit first checks whether it applies (nothing changes when it does
// not), then opens a transaction and changes the document inside it:
//
//   EditTransaction edit(session);  // 1. the undo journal starts
//   edit.before(item);              // 2. the edit, naming what it touches:
//   move or change the item;        //    items about to change (their areas
//   edit.touch(item);               //    and their undo copies), the items
//   edit.remove(other);             //    changed or added, the items removed
//   }                               // at the end of the scope:
//                                   // 3. outlines of the touched power symbols,
//                                   //    ports, sub-sheet boxes and labels rebuilt;
//                                   // 4. connectivity refreshed for the touched
//                                   //    items, their marks cleared; what the
//                                   //    refresh deleted leaves the selection;
//                                   // 5. the document marked modified;
//                                   // 6. the areas the edit touched, before and
//                                   //    after, handed to EditHost::invalidate.
//
// The undo journal keeps what the edit changes of the sheet's items (and
// what the connectivity refresh changes): an edit that changes more of the
// document (a paste bringing fonts, library parts or a title block) asks
// for a copy of the whole document instead (WHOLE_DOCUMENT); the bounds
// index is then made anew, since how any item draws may have changed.
//
// An edit that replaced the whole document (a failed paste put back from
// its copy) calls abandon(): the new document has nothing to finish.
#include <vector>

#include "foundation/geometry.h"
#include "foundation/pointer_set.h"

struct EditJournal;
struct EditSession;
struct List;
struct SchItem;

class EditTransaction {
public:
    enum Undo { ITEMS, WHOLE_DOCUMENT };
    // Starts the undo journal (or takes the copy) of the session's document.
    explicit EditTransaction(EditSession* session, Undo undo = ITEMS);
    // Finishes the edit (steps 3 to 6) unless abandoned.
    ~EditTransaction();
    EditTransaction(const EditTransaction&) = delete;
    EditTransaction& operator=(const EditTransaction&) = delete;

    // An item about to be moved, changed or removed: the area it covers now
    // is repainted.
    void before(SchItem* item);
    // An item the edit changed or added (it is marked for the connectivity
    // refresh, its outline rebuilt, its area after the edit repainted). An
    // item appended to the sheet or the ports list is touched right after.
    void touch(SchItem* item);
    // Appends a new item to the list (the sheet's or the ports list) in its
    // final form and touches it: it is filed in the bounds index and its
    // area noted as it is appended, and not measured again at the end (a
    // whole sheet pasted at once) unless the edit goes on to touch or
    // change anything.
    void append(List* list, SchItem* item);
    // Takes an item off the sheet or the ports list (its area repainted);
    // the undo journal keeps it, else it is freed.
    void remove(SchItem* item);
    // Another area to repaint, world units.
    void invalidate(const Rect& area);
    // The document was replaced: nothing is finished.
    void abandon() { abandoned_ = true; }

    // The areas gathered so far, world units.
    const std::vector<Rect>& areas() const { return areas_; }

private:
    void note_area(SchItem* item);
    // The session's undo journal when it records this document, else null.
    EditJournal* journal();
    void finish();

    EditSession* session_;
    std::vector<SchItem*> touched_;
    std::vector<bool> appended_;  // of each touched item: appended whole
    bool appended_any_ = false;
    bool appended_changed_ = false;  // touched or changed something after an append
    PointerSet<const SchItem> marked_;
    std::vector<Rect> areas_;
    bool whole_;  // the undo copy is the whole document's
    bool abandoned_ = false;
};
