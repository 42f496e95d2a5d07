// The one-level undo copy of a sheet document, kept as its binary file form.
#include "editor/undo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/item.h"
#include "model/items/primitives.h"

#include <unordered_map>

#include "editor/sheet_modes.h"
#include "foundation/list.h"

bool keep_document_copy(DocumentCopy* copy, Schema* schema) {
    drop_document_copy(copy);
    if (!schema) return false;
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream) return false;
    // Writing stamps MODIFDATE with today's date: the document keeps its own.
    std::string modifdate = schema->modifdate;
    std::string creatdate = schema->creatdate;
    int result = write_Schema(schema, stream, 0);
    bool closed = std::fclose(stream) == 0;
    copy_field(schema->modifdate, sizeof schema->modifdate, modifdate.c_str());
    if (result == 0 && closed && buffer) {
        copy->bytes.assign(buffer, buffer + size);
        copy->modifdate = modifdate;
        copy->creatdate = creatdate;
        copy->valid = true;
    }
    std::free(buffer);
    return copy->valid;
}

namespace {

// The restored document shows the same part of the sheet at the same zoom.
void take_over_view(View* to, const View* from) {
    to->window = from->window;
    std::memcpy(to->area, from->area, sizeof to->area);
    to->centre = from->centre;
    to->zoom = from->zoom;
    to->origin = from->origin;
    to->position = from->position;
    to->dirty = 1;
}

}  // namespace

int restore_document_copy(DocumentCopy* copy, const Schema* current, Schema** out) {
    *out = nullptr;
    if (!copy->valid) return DOC_NO_SCHEMATIC;
    FILE* stream = fmemopen(copy->bytes.data(), copy->bytes.size(), "rb");
    if (!stream) return DOC_CANNOT_OPEN;
    Schema* made = nullptr;
    new_active_schema(&made);
    int result = read_Schema(made, stream);
    std::fclose(stream);
    if (result == NOT_MY_TAG) result = DOC_NOT_SCHEMATIC;
    if (result != 0) {
        free_Schema(made, false);
        drop_document_copy(copy);
        return result < 0 ? DOC_PREMATURE_EOF : result;
    }
    made->current = made->sheet;
    // Reading fills unset dates with today's: the copy keeps them as they were.
    copy_field(made->modifdate, sizeof made->modifdate, copy->modifdate.c_str());
    copy_field(made->creatdate, sizeof made->creatdate, copy->creatdate.c_str());
    if (current) {
        take_over_view(&made->view, &current->view);
        made->modified = current->modified;
    }
    drop_document_copy(copy);
    *out = made;
    return 0;
}

void drop_document_copy(DocumentCopy* copy) {
    copy->bytes.clear();
    copy->bytes.shrink_to_fit();
    copy->modifdate.clear();
    copy->creatdate.clear();
    copy->valid = false;
}

// --- the journal of an edit ----------------------------------------------------------------

void journal_begin(EditJournal* journal, Schema* schema) {
    journal_drop(journal);
    journal->schema = schema;
}

void journal_drop(EditJournal* journal) {
    for (const EditJournal::Entry& e : journal->entries) {
        if (e.kind == EditJournal::Entry::REMOVED) free_SchItem(journal->schema, e.item, false);
        if (e.kind == EditJournal::Entry::CHANGED) free_SchItem(journal->schema, e.other, false);
    }
    journal->entries.clear();
    journal->known.clear();
    journal->schema = nullptr;
}

bool journal_open(const EditJournal* journal) { return journal->schema != nullptr; }

namespace {

// What copying makes anew, a file written after Undo must show as before:
// the object ids of a box's ports and a fill's boundary, and a box's stored
// port area (a copy lays it out again).
void keep_child_ids(SchItem* original, SchItem* copy) {
    List* from = nullptr;
    List* to = nullptr;
    if (original->type == SUBSHEET_ITEM) {
        from = as_SubSheet(original)->ports;
        to = as_SubSheet(copy)->ports;
        as_SubSheet(copy)->area[0] = as_SubSheet(original)->area[0];
        as_SubSheet(copy)->area[1] = as_SubSheet(original)->area[1];
    } else if (original->type == FILL_ITEM) {
        from = as_Fill(original)->items;
        to = as_Fill(copy)->items;
    }
    if (!from || !to || from->count != to->count) return;
    DListNode* b = dlist_head(to);
    for (DListNode* a = dlist_head(from); a && b; a = dlist_next(a), b = dlist_next(b)) {
        auto* child = static_cast<SchItem*>(b->data);
        child->id = static_cast<SchItem*>(a->data)->id;
        keep_child_ids(static_cast<SchItem*>(a->data), child);
    }
}

}  // namespace

bool journal_follows(EditJournal* journal, const SchItem* item) {
    return journal_open(journal) && item &&
           sheet_index_list_of(sheet_index(journal->schema), item) != nullptr;
}

void journal_changing(EditJournal* journal, SchItem* item) {
    if (!journal_open(journal) || !item || !journal->known.insert(item).second) return;
    Schema* schema = journal->schema;
    if (!sheet_index_list_of(sheet_index(schema), item)) {
        journal->known.erase(item);
        return;
    }
    SchItem* copy = nullptr;
    {
        // The copy is the item as it is: reference, time stamp and id kept.
        CopyExactScope exact;
        copy = copy_SchItem(schema, item);
    }
    if (!copy) no_memory();
    copy->id = item->id;
    keep_child_ids(item, copy);
    // A copy leaves out the power symbols a placed part builds when drawn;
    // they count in its bounds, so the copy gets its own when the item has.
    if (item->type == PARTLIB_ITEM && as_PlacedPart(item)->powers)
        pl_build_power_list(schema, as_PlacedPart(copy));
    journal->entries.push_back({EditJournal::Entry::CHANGED, nullptr, item, copy});
}

void journal_added(EditJournal* journal, List* list, SchItem* item) {
    if (!journal_open(journal) || !item) return;
    journal->known.insert(item);
    journal->entries.push_back({EditJournal::Entry::ADDED, list, item, nullptr});
}

void journal_swapped(EditJournal* journal, SchItem* line) {
    if (!journal_open(journal) || !line || journal->known.count(line)) return;
    journal->entries.push_back({EditJournal::Entry::SWAPPED, nullptr, line, nullptr});
}

bool journal_remove(EditJournal* journal, SchItem* item) {
    Schema* schema = journal->schema;
    SheetIndex* index = sheet_index(schema);
    DListNode* node = sheet_index_node(index, item);
    if (!node) return false;
    SchItem* after = node->prev ? static_cast<SchItem*>(node->prev->data) : nullptr;
    List* list = sheet_take_out(schema, item);
    journal->entries.push_back({EditJournal::Entry::REMOVED, list, item, after});
    return true;
}

void journal_take_back(EditJournal* journal) {
    if (!journal_open(journal)) return;
    Schema* schema = journal->schema;
    // Items put in the place of others while going back: an entry that
    // names the former one means the one now in its place.
    std::unordered_map<const SchItem*, SchItem*> now;
    auto current = [&](SchItem* item) {
        for (auto at = now.find(item); at != now.end(); at = now.find(item)) item = at->second;
        return item;
    };
    auto unmarked = [](SchItem* item) {
        item->state &= ~(STATE_SELECTED | STATE_TOUCHED | STATE_TOUCHED_WIRE);
    };
    for (auto e = journal->entries.rbegin(); e != journal->entries.rend(); ++e) {
        switch (e->kind) {
            case EditJournal::Entry::ADDED: {
                SchItem* item = current(e->item);
                if (sheet_take_out(schema, item)) free_SchItem(schema, item, false);
                break;
            }
            case EditJournal::Entry::REMOVED: {
                SchItem* after = e->other ? current(e->other) : nullptr;
                unmarked(e->item);
                sheet_put_back(schema, e->list, after, e->item);
                e->item = nullptr;  // the sheet's again
                break;
            }
            case EditJournal::Entry::SWAPPED: {
                SchItem* item = current(e->item);
                if (item->type == LINE_ITEM) std::swap(item->pos, as_Line(item)->end);
                // Out of order again: the index notes it for the next refresh.
                sheet_index_changed(schema, item);
                break;
            }
            case EditJournal::Entry::CHANGED: {
                SchItem* item = current(e->item);
                SchItem* was = e->other;
                e->other = nullptr;
                if (!sheet_index_node(sheet_index(schema), item)) {
                    free_SchItem(schema, was, false);
                    break;
                }
                unmarked(was);
                sheet_index_replace(schema, item, was);
                free_SchItem(schema, item, false);
                now[item] = was;
                break;
            }
        }
    }
    // What was handed back is no longer the journal's.
    journal->entries.clear();
    journal_drop(journal);
}
