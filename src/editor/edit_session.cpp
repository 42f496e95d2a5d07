// What every edit of a sheet shares: the transaction (the undo copy before
// it, the tidy-up after it: outlines, connectivity, modified flag,
// invalidation) and the repeat range of the last placement.
#include "editor/edit_transaction.h"

#include <unordered_set>

#include "connectivity/net_refresh.h"
#include "editor/edit_kinds.h"
#include "editor/sheet_modes.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"

namespace {

// The records on the sheet and among the interface ports.
std::unordered_set<const SchItem*> items_present(Schema* schema) {
    std::unordered_set<const SchItem*> present;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) present.insert(item);
    for (SchItem* item : list_items<SchItem>(schema->ports)) present.insert(item);
    return present;
}

// The refresh deletes the wires it absorbed: the selection and the repeat
// range must not keep them.
void forget_removed(EditSession* session, const std::unordered_set<const SchItem*>& present) {
    List* selection = session->schema->edit.edit_list;
    for (DListNode* node : dlist_nodes(selection))
        if (!present.count(static_cast<SchItem*>(node->data)))
            dlist_remove(selection, node, nullptr);
    std::erase_if(session->repeat_items, [&](SchItem* item) { return !present.count(item); });
}

}  // namespace

void edit_checkpoint(EditSession* session) {
    if (!session || !session->schema) return;
    if (session->kind != 1) {
        // Library and template copies belong to the library editor.
        if (!session->owner) return;
        session->owner->checkpoint();
        session->host->enable_undo(true);
        return;
    }
    if (keep_document_copy(&session->undo, session->schema)) session->host->enable_undo(true);
}

int undo_sheet(EditSession* session) {
    if (!session || !session->schema || !session->undo.valid) return DOC_NO_SCHEMATIC;
    // Modes may hold records of the document: they end before it goes.
    while (PopMode(session)) {
    }
    canvas_clear_selection_info(session);
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
EditTransaction::EditTransaction(EditSession* session) : session_(session) {
    edit_checkpoint(session);
}

EditTransaction::~EditTransaction() {
    if (!abandoned_) finish();
}

void EditTransaction::before(SchItem* item) { note_area(item); }

void EditTransaction::note_area(SchItem* item) {
    Rect area;
    if (item && session_->schema && bounds_SchItem(session_->schema, item, &area, false))
        areas_.push_back(area);
}

void EditTransaction::touch(SchItem* item) {
    if (!item || !marked_.insert(item).second) return;
    item->state |= STATE_TOUCHED;
    touched_.push_back(item);
}

void EditTransaction::invalidate(const Rect& area) { areas_.push_back(area); }

void EditTransaction::finish() {
    Schema* schema = session_->schema;
    if (!schema || !schema->current) return;
    for (SchItem* item : touched_) item_rebuild_outline(schema, item);
    for (SchItem* item : touched_) note_area(item);
    refresh_connectivity(nullptr, schema);
    // The refresh may have fused a touched wire into another and deleted it.
    const std::unordered_set<const SchItem*> present = items_present(schema);
    forget_removed(session_, present);
    for (SchItem* item : touched_)
        if (present.count(item)) note_area(item);
    {
        FlagOpScope clear(STATE_TOUCHED | STATE_TOUCHED_WIRE, FLAGOP_CLEAR);
        flag_Schema(schema);
    }
    // The match list may name records an edit removed.
    if (schema->edit.search_list) {
        dlist_free(schema->edit.search_list, LIST_FROM_HEAD, nullptr);
        schema->edit.search_list = nullptr;
        schema->edit.search_count = -1;
    }
    schema_set_modified(schema);
    session_->host->mark_modified();
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
    if (schema->edit.edit_list) {
        dlist_free(schema->edit.edit_list, LIST_FROM_HEAD, nullptr);
        schema->edit.edit_list = nullptr;
    }
}

bool repeat_last_placement(EditSession* session) {
    Schema* schema = session->schema;
    if (!schema || !schema->current || session->repeat_items.empty()) return false;
    // The range must still be on the sheet (a delete or an undo may have taken it).
    for (SchItem* item : session->repeat_items)
        if (!list_find_node(schema->current->items, item) && !list_find_node(schema->ports, item))
            return false;
    EditTransaction edit(session);
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, proper_get(RDELTA_X), proper_get(RDELTA_Y));
    std::vector<SchItem*> made;
    for (SchItem* item : session->repeat_items) {
        bool port = item->type == PORT_ITEM && list_find_node(schema->ports, item);
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
