#pragma once
// The one way the part under edit, the library's entries or a title block
// is edited, so that no edit forgets a step (the library editor's
// EditTransaction). An edit first checks whether it applies (nothing
// changes when it does not), then opens a transaction and changes the
// document inside it:
//
//   LibEditTransaction edit(ed);     // 1. the undo copy (edit_checkpoint)
//   change the part, or the block;   // 2. the edit, naming the library's
//   edit.renamed(entry, old_name);   //    entries it adds, removes or renames
//   }                                // at the end of the scope:
//                                    // 3. a library window told that the part
//                                    //    changed (Part Info, the pinout, the
//                                    //    title), and its names when they did;
//                                    // 4. a title block's bounds made anew;
//                                    // 5. the document marked modified;
//                                    // 6. the window drawn again.
//
// A tool takes the undo copy when it starts, so that Undo takes back all
// that it placed: its clicks open their transactions with TAKEN. The
// changes of names take no undo copy (NAMES): while the Part Names dialog
// is open they are journalled instead (its close box takes them back), and
// such a transaction marks the document only when a name changed. A
// transaction opened inside another one neither takes a copy nor finishes:
// the outer one does both, once.
#include <string>

struct LibEdit;
struct LibEntry;

class LibEditTransaction {
public:
    enum Undo { COPY, TAKEN, NAMES };
    explicit LibEditTransaction(LibEdit* ed, Undo undo = COPY);
    // Finishes the edit (steps 3 to 6) unless abandoned.
    ~LibEditTransaction();
    LibEditTransaction(const LibEditTransaction&) = delete;
    LibEditTransaction& operator=(const LibEditTransaction&) = delete;

    // The library's entries the edit changed: an entry it added, one it took
    // out of the library (kept while the Part Names dialog may want it back,
    // else freed) and one it renamed (its name before). Changed entries
    // await a save: dropping the part's unsaved edits does not take them back.
    void added(LibEntry* entry);
    void removed(LibEntry* entry);
    void renamed(LibEntry* entry, const std::string& old_name);
    // Entries changed otherwise (their fields).
    void entries_changed();
    // Nothing changed after all: nothing is finished.
    void abandon() { abandoned_ = true; }

private:
    void names_changed();

    LibEdit* ed_;
    LibEditTransaction* outer_;  // the transaction this one runs in, or none
    Undo undo_;
    bool names_ = false;  // a name of the library changed
    bool abandoned_ = false;
};
