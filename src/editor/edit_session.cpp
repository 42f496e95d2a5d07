// What every edit of a sheet shares: the transaction (the undo copy before
// it, the tidy-up after it: outlines, connectivity, modified flag,
// invalidation) and the repeat range of the last placement.
#include "editor/edit_transaction.h"

#include <unordered_set>

#include "connectivity/net_refresh.h"
#include "editor/edit_kinds.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"

namespace {

// The refresh deletes the wires it absorbed: the selection and the repeat
// range must not keep them. `selected`: some of them were selected.
void forget_removed(EditSession* session, const std::unordered_set<const SchItem*>& removed,
                    bool selected) {
    if (removed.empty()) return;
    if (selected)
        for (DListNode* node : dlist_nodes(session->schema->edit.edit_list))
            if (removed.count(static_cast<SchItem*>(node->data)))
                dlist_remove(session->schema->edit.edit_list, node, nullptr);
    std::erase_if(session->repeat_items, [&](SchItem* item) { return removed.count(item) != 0; });
}

// The list of the sheet or of the ports whose last item this is, or null.
List* appended_to(Schema* schema, const SchItem* item) {
    for (List* list : {schema->current->items, schema->ports})
        if (list && list->tail && list->tail->data == item) return list;
    return nullptr;
}

}  // namespace

namespace {

// Library and template copies belong to the library editor.
bool owner_checkpoint(EditSession* session) {
    if (session->kind == CANVAS_SHEET) return false;
    if (session->owner) {
        session->owner->checkpoint();
        session->host->enable_undo(true);
    }
    return true;
}

void begin_journal(EditSession* session) {
    drop_document_copy(&session->undo);
    journal_begin(&session->journal, session->schema);
    session->host->enable_undo(true);
}

}  // namespace

void edit_checkpoint(EditSession* session) {
    if (!session || !session->schema || owner_checkpoint(session)) return;
    begin_journal(session);
}

void edit_checkpoint_document(EditSession* session) {
    if (!session || !session->schema || owner_checkpoint(session)) return;
    journal_drop(&session->journal);
    if (keep_document_copy(&session->undo, session->schema)) session->host->enable_undo(true);
}

int undo_sheet(EditSession* session) {
    if (!session || !session->schema) return DOC_NO_SCHEMATIC;
    const bool journaled =
        journal_open(&session->journal) && session->journal.schema == session->schema;
    if (!journaled && !session->undo.valid) return DOC_NO_SCHEMATIC;
    // Modes may hold records of the document: they end before it goes.
    while (PopMode(session)) {
    }
    canvas_clear_selection_info(session);
    if (journaled) {
        // The items go back in place; the document stays the same record.
        journal_take_back(&session->journal);
        Schema* schema = session->schema;
        if (schema->edit.search_list) {
            dlist_free(schema->edit.search_list, LIST_FROM_HEAD, nullptr);
            schema->edit.search_list = nullptr;
            schema->edit.search_count = -1;
        }
        session->host->enable_undo(false);
        schema_set_modified(schema);
        session->host->mark_modified();
        session->host->redraw_changes();
        return 0;
    }
    journal_drop(&session->journal);
    Schema* restored = nullptr;
    int result = restore_document_copy(&session->undo, session->schema, &restored);
    session->host->enable_undo(false);
    if (result != 0) return result;
    Schema* old = session->schema;
    session->schema = restored;
    session->host->document_replaced(restored);
    free_Schema(old, false);
    // One level: the restored state is the next copy.
    edit_checkpoint(session);
    session->host->enable_undo(false);
    session->host->mark_modified();
    session->host->redraw();
    return 0;
}

// --- the transaction ------------------------------------------------------------------------------
EditTransaction::EditTransaction(EditSession* session, Undo undo)
    : session_(session), whole_(undo == WHOLE_DOCUMENT) {
    if (whole_)
        edit_checkpoint_document(session);
    else
        edit_checkpoint(session);
}

EditJournal* EditTransaction::journal() {
    EditJournal* journal = &session_->journal;
    return journal_open(journal) && journal->schema == session_->schema ? journal : nullptr;
}

EditTransaction::~EditTransaction() {
    if (!abandoned_) finish();
}

void EditTransaction::before(SchItem* item) {
    if (appended_any_) appended_changed_ = true;
    note_area(item);
    EditJournal* undo = journal();
    if (!undo || !item) return;
    if (journal_follows(undo, item)) {
        journal_changing(undo, item);
        return;
    }
    // A record the journal cannot follow (the title block): the edit keeps
    // the whole document instead, taken before anything of it changed.
    if (!undo->entries.empty())
        warning("edit of a %s after journaled changes", item_name(item->type));
    edit_checkpoint_document(session_);
    whole_ = true;
}

void EditTransaction::remove(SchItem* item) {
    note_area(item);
    if (EditJournal* undo = journal()) {
        journal_remove(undo, item);
        return;
    }
    if (sheet_take_out(session_->schema, item)) free_SchItem(session_->schema, item, false);
}

void EditTransaction::note_area(SchItem* item) {
    Rect area;
    if (item && session_->schema && bounds_SchItem(session_->schema, item, &area, false))
        areas_.push_back(area);
}

void EditTransaction::touch(SchItem* item) {
    if (!item) return;
    if (appended_any_) appended_changed_ = true;
    if (!marked_.insert(item).second) return;
    item->state |= STATE_TOUCHED;
    touched_.push_back(item);
    appended_.push_back(false);
    // An item just appended joins the bounds index and the journal (an
    // item already there was named to before() first, and is known).
    Schema* schema = session_->schema;
    if (!schema || !schema->current) return;
    if (List* list = appended_to(schema, item)) {
        if (!sheet_index_node(schema->edit.index, item))
            sheet_index_added(schema, list, dlist_tail(list));
        EditJournal* undo = journal();
        if (undo && !undo->known.count(item)) journal_added(undo, list, item);
    }
}

void EditTransaction::append(List* list, SchItem* item) {
    Schema* schema = session_->schema;
    DListNode* node = dlist_append(list, item);
    if (!node) no_memory();
    // Not among the marked items: a new record is named once, and should
    // the edit touch it again, every item appended is measured again.
    item->state |= STATE_TOUCHED;
    touched_.push_back(item);
    appended_.push_back(true);
    appended_any_ = true;
    sheet_index_added(schema, list, node);
    Rect filed{};
    if (sheet_index_bounds(schema->edit.index, item, &filed))
        areas_.push_back(filed);
    else
        note_area(item);
    if (EditJournal* undo = journal()) journal_added(undo, list, item);
}

void EditTransaction::invalidate(const Rect& area) { areas_.push_back(area); }

void EditTransaction::finish() {
    Schema* schema = session_->schema;
    if (!schema || !schema->current) return;
    for (size_t i = 0; i < touched_.size(); ++i) {
        SchItem* item = touched_[i];
        const bool rebuilt = item_rebuild_outline(schema, item);
        // An item appended whole was filed and its area noted then.
        if (appended_[i] && !rebuilt && !appended_changed_) continue;
        note_area(item);
        sheet_index_changed(schema, item);
    }
    // The refresh looks at what the edit touched and at its neighbours
    // only; it may fuse a touched wire into another and delete it.
    std::unordered_set<const SchItem*> removed;
    bool selected = false;
    RefreshEdits edits;
    EditJournal* undo = journal();
    edits.removed = [&](SchItem* line) {
        removed.insert(line);
        selected = selected || (line->state & STATE_SELECTED);
        if (undo)
            journal_remove(undo, line);
        else if (sheet_take_out(schema, line))
            free_SchItem(schema, line, false);
    };
    if (undo) {
        edits.changing = [undo](SchItem* line) { journal_changing(undo, line); };
        edits.added = [undo, schema](SchItem* line) {
            journal_added(undo, schema->current->items, line);
        };
        edits.swapped = [undo](SchItem* line) { journal_swapped(undo, line); };
    }
    refresh_touched(nullptr, schema, touched_, edits);
    forget_removed(session_, removed, selected);
    for (size_t i = 0; i < touched_.size(); ++i) {
        SchItem* item = touched_[i];
        if (removed.count(item)) continue;
        // What the refresh changed of an item appended whole, the bounds
        // index noted as it filed it anew.
        if (!appended_[i] || appended_changed_) note_area(item);
        item->state &= ~(STATE_TOUCHED | STATE_TOUCHED_WIRE);
    }
    // The match list may name records an edit removed.
    if (schema->edit.search_list) {
        dlist_free(schema->edit.search_list, LIST_FROM_HEAD, nullptr);
        schema->edit.search_list = nullptr;
        schema->edit.search_count = -1;
    }
    schema_set_modified(schema);
    session_->host->mark_modified();
    // What reaches beyond the items (library parts, fonts) may change how
    // any item draws: the bounds index is made anew and all drawn again.
    if (whole_) drop_sheet_index(schema);
    session_->host->invalidate(areas_);
}

// --- repeat ---------------------------------------------------------------------------------------
void canvas_set_repeat_range(EditSession* session, SchItem* first, SchItem* last) {
    session->repeat_items.clear();
    if (!first) return;
    session->repeat_items.push_back(first);
    if (last && last != first) session->repeat_items.push_back(last);
}

void canvas_set_repeat(EditSession* session, int count) { session->repeat_on = count > 1; }

void canvas_clear_selection_info(EditSession* session) {
    session->repeat_items.clear();
    session->repeat_on = false;
    Schema* schema = session->schema;
    if (!schema) return;
    // The selection's marks go with it: they say who is selected.
    if (schema->edit.edit_list) {
        for (SchItem* item : list_items<SchItem>(schema->edit.edit_list)) {
            item->state &= ~STATE_SELECTED;
            sheet_index_damage(schema, item);
        }
        dlist_free(schema->edit.edit_list, LIST_FROM_HEAD, nullptr);
        schema->edit.edit_list = nullptr;
    }
}

bool repeat_last_placement(EditSession* session) {
    Schema* schema = session->schema;
    if (!schema || !schema->current || session->repeat_items.empty()) return false;
    // The range must still be on the sheet (a delete or an undo may have taken it).
    SheetIndex* index = sheet_index(schema);
    for (SchItem* item : session->repeat_items)
        if (!sheet_index_list_of(index, item)) return false;
    EditTransaction edit(session);
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, proper_get(RDELTA_X), proper_get(RDELTA_Y));
    std::vector<SchItem*> made;
    for (SchItem* item : session->repeat_items) {
        bool port = sheet_index_list_of(index, item) == schema->ports;
        List* into = port ? schema->ports : schema->current->items;
        list_add_item_copy(schema, into, item);
        SchItem* copy = static_cast<SchItem*>(dlist_tail(into)->data);
        matrix_SchItem(copy, &shift);
        item_step_label(copy, proper_get(RDELTA_L));
        edit.touch(copy);
        made.push_back(copy);
    }
    session->repeat_items = made;
    return true;
}
