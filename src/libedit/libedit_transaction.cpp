// The library editor's edits as transactions: the undo copy first, the
// library's entries journalled while Part Names is open, the window told
// at the end.
#include "libedit/libedit_transaction.h"

#include "editor/sheet_modes.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"

LibEditTransaction::LibEditTransaction(LibEdit* ed, Undo undo)
    : ed_(ed), outer_(ed->transaction), undo_(undo) {
    ed->transaction = this;
    if (!outer_ && undo == COPY) edit_checkpoint(ed->session);
}

LibEditTransaction::~LibEditTransaction() {
    ed_->transaction = outer_;
    if (abandoned_) return;
    if (outer_) {
        outer_->names_ = outer_->names_ || names_;
        return;
    }
    EditSession* session = ed_->session;
    const int kind = session ? session->kind : CANVAS_NONE;
    if (kind == CANVAS_LIBRARY) ed_->host->part_changed();
    if (names_) ed_->host->names_changed();
    if (kind == CANVAS_TEMPLATE && session->schema) titleblock_bounds(session->schema);
    if (undo_ != NAMES || names_) libedit_mark_modified(ed_);
    libedit_redraw(ed_);
}

void LibEditTransaction::names_changed() {
    names_ = true;
    entries_changed();
}

void LibEditTransaction::entries_changed() { ed_->entries_unsaved = true; }

void LibEditTransaction::added(LibEntry* entry) {
    names_changed();
    if (ed_->journal.open) ed_->journal.changes.push_back({NameChange::ADDED, entry, {}});
}

void LibEditTransaction::removed(LibEntry* entry) {
    if (!entry) return;
    names_changed();
    if (ed_->journal.open)
        ed_->journal.changes.push_back({NameChange::REMOVED, entry, {}});
    else
        free_LibEntry(entry);
}

void LibEditTransaction::renamed(LibEntry* entry, const std::string& old_name) {
    names_changed();
    if (ed_->journal.open) ed_->journal.changes.push_back({NameChange::RENAMED, entry, old_name});
}
