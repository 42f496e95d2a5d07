// One level of undo in the library and template windows: a duplicate of
// the part under edit, put back into the same part record (every holder
// keeps seeing it), and copies of the title block's two lists.
#include <string>
#include <utility>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

namespace {

// The part did not exist at the checkpoint: its names go from the library.
void drop_new_part(LibEdit* ed) {
    Library* library = libedit_library(ed);
    Part* part = libedit_part(ed);
    if (library && part) {
        for (LibEntry* entry : lib_entries_in_order(library)) {
            if (entry->part != part) continue;
            if (lib_remove_entry(library, entry->name.get()) == entry) free_LibEntry(entry);
        }
    }
    ed->names.clear();
    libedit_clear_sheet(ed);
}

}  // namespace

void libedit_checkpoint_part(LibEdit* ed, PartSlot* slot) {
    release_part_slot(slot);
    // Without a part the slot records that there was none: undoing the
    // first body of a new part takes the part away again.
    PlacedPart* placed = libedit_first_placed(ed);
    if (Part* part = placed ? pl_get_part(libedit_library(ed), placed) : nullptr) {
        slot->copy = dup_Part(part);
        slot->target = part;
        ref_Part(part);
    }
    slot->valid = 1;
}

void swap_form_vectors(PartSlot* slot, Part* part, bool converted) {
    Vectors*& c = converted ? slot->copy->convert : slot->copy->normal;
    Vectors*& p = converted ? part->convert : part->normal;
    if (c && p) {
        std::swap(c->items, p->items);
    } else if (c) {
        p = c;
        c = nullptr;
    } else if (p) {
        unref_Vectors(p);
        p = nullptr;
    }
}

void libedit_restore_part(LibEdit* ed, PartSlot* slot) {
    if (!slot->valid || !libedit_first_placed(ed)) return;
    if (!slot->copy) {
        drop_new_part(ed);
        return;
    }
    Part* part = slot->target;
    Part* copy = slot->copy;
    part->body = copy->body;
    part->type = copy->type;
    part->devices = copy->devices;
    std::swap(part->sheet_path, copy->sheet_path);
    part->prefix.set(copy->prefix.get());
    swap_form_vectors(slot, part, false);
    swap_form_vectors(slot, part, true);
    std::swap(part->normal_pins, copy->normal_pins);
    std::swap(part->convert_pins, copy->convert_pins);
    // Whether the part has a converted form goes back with its bodies.
    part->state = (part->state & ~PART_CONVERTED) | (copy->state & PART_CONVERTED);
    {
        FlagOpScope clear(PART_HANDLED, FLAGOP_CLEAR);
        flag_Schema(libedit_schema(ed));
    }
    // The copy now holds what was replaced, which goes with it.
    release_part_slot(slot);
}

void libedit_relayout(LibEdit* ed) {
    Part* part = libedit_part(ed);
    const char* shown = libedit_part_name(ed);
    if (!part || !shown) return;
    std::string name = shown;
    LibEntry* entry = find_LibPart(libedit_library(ed), part, name.c_str());
    if (!entry) return;
    libedit_clear_sheet(ed);
    libedit_attach_part(ed, entry, name.c_str());
}

void template_checkpoint(LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    for (List** copy : {&ed->template_graphics, &ed->template_fields})
        if (*copy) free_SchItem_list(schema, copy);
    if (!schema) return;
    const std::pair<List*, List**> lists[] = {{schema->titleblock.drawing, &ed->template_graphics},
                                              {schema->titleblock.fields, &ed->template_fields}};
    for (const auto& [from, into] : lists) {
        if (!from || from->count == 0) continue;
        *into = new_list_or_die();
        copy_SchItem_list(schema, *into, from);
    }
}

void template_restore(LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    if (!schema) return;
    const std::pair<List**, List**> lists[] = {
        {&schema->titleblock.drawing, &ed->template_graphics},
        {&schema->titleblock.fields, &ed->template_fields}};
    for (const auto& [now, copy] : lists) {
        if (*now) free_SchItem_list(schema, now);
        // An empty list stays a list: a title block without one is not written.
        *now = *copy ? *copy : new_list_or_die();
        *copy = nullptr;
    }
    titleblock_bounds(schema);
}

void libedit_undo(LibEdit* ed) {
    if (!libedit_schema(ed)) return;
    libedit_end_tools(ed);
    names_journal_commit(ed);
    edit_clear_buffer(libedit_schema(ed));
    libedit_restore_part(ed, &ed->undo);
    libedit_relayout(ed);
    libedit_checkpoint_part(ed, &ed->undo);
    EditSession* session = ed->session;
    libedit_mark_modified(ed);
    session->host->enable_undo(false);
    canvas_set_repeat_range(session, nullptr, nullptr);
    ed->host->part_menus();
    ed->host->part_changed();
    libedit_redraw(ed);
}

void template_undo(LibEdit* ed) {
    if (!libedit_schema(ed)) return;
    libedit_end_tools(ed);
    edit_clear_buffer(libedit_schema(ed));
    template_restore(ed);
    template_checkpoint(ed);
    libedit_mark_modified(ed);
    ed->session->host->enable_undo(false);
    canvas_set_repeat_range(ed->session, nullptr, nullptr);
    libedit_redraw(ed);
}
