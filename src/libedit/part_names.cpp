// The names of the part under edit (library entries holding the same part),
// the journal that lets the Part Names dialog take its changes back, the
// drawings taken from another part, and Place Body.
#include <algorithm>
#include <string>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

namespace {

bool same_name(const char* a, const char* b) { return lib_name_compare(a, b) == 0; }

// The entry another part holds under the name goes when the user agrees
// (message 14). False when the user keeps it.
bool make_room(LibEdit* ed, LibEditTransaction& edit, const char* name, const Part* part) {
    Library* library = libedit_library(ed);
    LibEntry* latest = find_LibEntry_latest(library, name);
    if (!latest || latest->part == part) return true;
    if (!confirm_box(nullptr, "Warning", 14)) return false;
    // Only the entry of the very name would be displaced by the new one.
    LibEntry* same = find_LibEntry(library, name);
    if (same && same->part != part) edit.removed(lib_remove_entry(library, same->name.get()));
    return true;
}

void insert_entry(LibEdit* ed, LibEditTransaction& edit, LibEntry* entry) {
    // make_room has cleared the name: nothing can be displaced here.
    edit.removed(lib_insert_entry(libedit_library(ed), entry));
}

void take_out(LibEdit* ed, LibEntry* entry) {
    Library* library = libedit_library(ed);
    LibEntry* out = lib_remove_entry(library, entry->name.get());
    if (out && out != entry) lib_insert_entry(library, out);  // not ours: put back
}

Vectors*& body_slot(Part* part, bool normal) { return normal ? part->normal : part->convert; }

}  // namespace

// --- the name table -------------------------------------------------------------------------
void names_table_add(LibEdit* ed, LibEntry* entry) { ed->names.push_back(entry); }

void names_table_remove(LibEdit* ed, LibEntry* entry) {
    ed->names.erase(std::remove(ed->names.begin(), ed->names.end(), entry), ed->names.end());
}

bool name_in_table(const LibEdit* ed, const char* name) {
    if (!name) return false;
    for (const LibEntry* entry : ed->names)
        if (same_name(entry->name.get(), name)) return true;
    return false;
}

// --- names ------------------------------------------------------------------------------------
LibEntry* libedit_add_name(LibEdit* ed, const char* name) {
    Library* library = libedit_library(ed);
    if (!library || !name || !*name) return nullptr;
    Part* part = libedit_part(ed);
    if (LibEntry* own = part ? find_LibPart(library, part, name) : nullptr) return own;
    LibEditTransaction edit(ed, LibEditTransaction::NAMES);
    if (!make_room(ed, edit, name, part)) {
        edit.abandon();
        return nullptr;
    }
    LibEntry* entry = new_LibEntry();
    if (!part) part = new_Part();
    if (!entry || !part) no_memory();
    ref_Part(part);
    entry->part = part;
    entry->name.set(name);
    names_table_add(ed, entry);
    insert_entry(ed, edit, entry);
    edit.added(entry);
    return entry;
}

bool libedit_delete_name(LibEdit* ed, const char* name) {
    Library* library = libedit_library(ed);
    Part* part = libedit_part(ed);
    if (!library || !part || !name || !*name) return false;
    LibEntry* entry = find_LibPart(library, part, name);
    if (!entry) return false;
    if (ed->names.size() <= 1 && !confirm_box(nullptr, "Warning", 50002)) return false;
    LibEditTransaction edit(ed, LibEditTransaction::NAMES);
    names_table_remove(ed, entry);
    take_out(ed, entry);
    edit.removed(entry);
    if (!ed->names.empty()) {
        if (!name_in_table(ed, libedit_part_name(ed)))
            libedit_refresh_references(ed, part, ed->names.front()->name.get());
    } else {
        // The part is gone: loading another one must not bring it back.
        if (ed->journal.open && !ed->journal.load_copy.valid)
            std::swap(ed->journal.load_copy, ed->load_copy);
        else
            release_part_slot(&ed->load_copy);
        ed->load_copy.valid = 1;
        libedit_end_tools(ed);  // they hold the layout that goes
        libedit_clear_sheet(ed);
    }
    return true;
}

bool libedit_rename(LibEdit* ed, const char* from, const char* to) {
    Library* library = libedit_library(ed);
    Part* part = libedit_part(ed);
    if (!library || !part || !to || !*to || !from || !*from) return false;
    if (find_LibPart(library, part, to)) return false;
    LibEntry* entry = find_LibPart(library, part, from);
    if (!entry) return false;
    LibEditTransaction edit(ed, LibEditTransaction::NAMES);
    // Another part's entry of the new name would be displaced by it.
    if (!make_room(ed, edit, to, part)) {
        edit.abandon();
        return false;
    }
    names_table_remove(ed, entry);
    // The tree is ordered by name: the entry leaves it while its name changes.
    take_out(ed, entry);
    const std::string old_name = entry->name.get();
    entry->name.set(to);
    insert_entry(ed, edit, entry);
    edit.renamed(entry, old_name);
    names_table_add(ed, entry);
    libedit_refresh_references(ed, part, to);
    edit_clear_buffer(libedit_schema(ed));
    return true;
}

// --- the journal of the Part Names dialog ------------------------------------------------------
void names_journal_open(LibEdit* ed) {
    names_journal_commit(ed);
    NamesJournal& journal = ed->journal;
    journal.open = true;
    journal.part = libedit_part(ed);
    if (journal.part) ref_Part(journal.part);
    const char* shown = libedit_part_name(ed);
    journal.shown = shown ? shown : "";
}

void names_journal_commit(LibEdit* ed) {
    NamesJournal& journal = ed->journal;
    for (NameChange& change : journal.changes)
        if (change.kind == NameChange::REMOVED) free_LibEntry(change.entry);
    journal.changes.clear();
    if (journal.part) unref_Part(journal.part);
    journal.part = nullptr;
    release_part_slot(&journal.load_copy);
    journal.load_copy.valid = 0;
    journal.shown.clear();
    journal.open = false;
}

void names_journal_revert(LibEdit* ed) {
    NamesJournal& journal = ed->journal;
    Library* library = libedit_library(ed);
    if (!journal.open || !library) {
        names_journal_commit(ed);
        return;
    }
    // Taken back, the changes are changes again, not journalled: what was
    // saved meanwhile differs from what the library holds now.
    journal.open = false;
    LibEditTransaction edit(ed, LibEditTransaction::NAMES);
    for (auto change = journal.changes.rbegin(); change != journal.changes.rend(); ++change) {
        LibEntry* entry = change->entry;
        switch (change->kind) {
            case NameChange::ADDED:
                take_out(ed, entry);
                names_table_remove(ed, entry);
                edit.removed(entry);
                break;
            case NameChange::REMOVED:
                insert_entry(ed, edit, entry);
                edit.added(entry);
                break;
            case NameChange::RENAMED: {
                take_out(ed, entry);
                const std::string name = entry->name.get();
                entry->name.set(change->old_name.c_str());
                insert_entry(ed, edit, entry);
                edit.renamed(entry, name);
                break;
            }
        }
    }
    journal.changes.clear();
    if (journal.load_copy.valid) {
        release_part_slot(&ed->load_copy);
        std::swap(ed->load_copy, journal.load_copy);
    }
    // The sheet shows the part again under the name it showed.
    if (journal.part && !journal.shown.empty()) {
        if (LibEntry* shown = find_LibPart(library, journal.part, journal.shown.c_str())) {
            libedit_end_tools(ed);  // they hold the layout that goes
            libedit_clear_sheet(ed);
            libedit_attach_part(ed, shown, journal.shown.c_str());
        }
    }
    names_journal_commit(ed);
}

// --- vector definitions ----------------------------------------------------------------------------
void set_part_vectors(Part* part, bool normal, Vectors* set, bool keep) {
    if (!part || !set) return;
    Vectors*& slot = body_slot(part, normal);
    if (slot) {
        // The part gets a set of its own holding both drawings.
        Vectors* merged = dup_Vectors(slot);
        if (!merged) no_memory();
        if (set->refs == 0) {
            if (set->items) dlist_concat(merged->items, set->items, nullptr);
            free_Vectors(set);
        } else {
            copy_ItemList(merged->items, set->items);  // another holder keeps it
        }
        unref_Vectors(slot);
        ref_Vectors(merged);
        slot = merged;
        return;
    }
    slot = set;
    if (!keep) ref_Vectors(set);
}

int libedit_get_vector(LibEdit* ed, Library* source, const char* name, LibEntry** found,
                       VectorOptions* options) {
    if (found) *found = nullptr;
    LibEntry* entry = source && name ? find_LibEntry(source, name) : nullptr;
    if (!entry || !entry->part) return 70;
    Part* from = entry->part;
    if (!from->normal) return 50000;
    Part* target = libedit_part(ed);
    if (options) {
        *options = VectorOptions{};
        options->convert_applies =
            target && target->convert &&
            ((from->state & PART_CONVERTED) || (from->normal && from->convert));
        options->free_applies = target && (target->normal || target->convert);
    }
    if (found) *found = entry;
    return 0;
}

bool libedit_apply_vector_definition(LibEdit* ed, const LibEntry* source,
                                     const VectorOptions& options) {
    if (!source || !source->part) return false;
    Part* from = source->part;
    Part* target = libedit_part(ed);
    // The tools hold the drawing and the layout this replaces.
    libedit_end_tools(ed);
    // Undo puts back the drawing this replaces, not an older state.
    LibEditTransaction edit(ed);
    if (target && options.free_current) {
        const bool normal =
            options.normal_row == VECTORS_TO_NORMAL || options.convert_row == VECTORS_TO_NORMAL;
        const bool convert =
            options.normal_row == VECTORS_TO_CONVERT || options.convert_row == VECTORS_TO_CONVERT;
        for (auto [wanted, slot] :
             {std::pair{normal, &target->normal}, std::pair{convert, &target->convert}}) {
            if (!wanted || !*slot) continue;
            unref_Vectors(*slot);
            *slot = nullptr;
        }
    }
    Vectors* normal =
        from->normal && options.normal_row != VECTORS_NOT ? dup_Vectors(from->normal) : nullptr;
    Vectors* convert =
        from->convert && options.convert_row != VECTORS_NOT ? dup_Vectors(from->convert) : nullptr;
    const char* shown = libedit_part_name(ed);
    std::string name = target && shown ? shown : "noname";
    LibEntry* entry = libedit_add_name(ed, name.c_str());
    if (!entry) {
        free_Vectors(normal);
        free_Vectors(convert);
        edit.abandon();
        return false;
    }
    Part* part = entry->part;
    if (!target) {
        part_set_devices(part, from->devices);
        part->body = from->body;
        part->state = from->state;
    }
    if (normal) set_part_vectors(part, options.normal_row == VECTORS_TO_NORMAL, normal, false);
    if (convert) set_part_vectors(part, options.convert_row == VECTORS_TO_NORMAL, convert, false);
    // A body may have appeared (a converted one): the sheet shows what the part now has.
    libedit_clear_sheet(ed);
    libedit_attach_part(ed, entry, name.c_str());
    ed->host->part_menus();
    return true;
}

// --- Place Body ----------------------------------------------------------------------------------
bool libedit_place_body(LibEdit* ed, int devices, bool converted) {
    if (!libedit_load_part(ed, nullptr, false)) return false;
    ed->host->zoom_fit();
    libedit_redraw(ed);
    start_add_body_mode(ed->session, devices, converted);
    return true;
}
