// The selection of a sheet: picking, moving, dragging, deleting, and the
// paste file round trip.
#include "editor/selection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "editor/drag.h"
#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor/item_edit.h"
#include "editor/sheet_modes.h"
#include "editor/undo.h"
#include "foundation/core.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/documents/paste.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

uint32_t filter() { return static_cast<uint32_t>(proper_get(EDIT_MODE)); }

List* sheet_list(EditSession* session) {
    Schema* schema = session->schema;
    return schema && schema->current ? schema->current->items : nullptr;
}

List*& edit_list(EditSession* session) { return session->schema->edit.edit_list; }

// The list that holds an item of the selection (the sheet's or the ports
// list), or null.
List* owner_of(EditSession* session, SchItem* item) {
    return sheet_index_list_of(sheet_index(session->schema), item);
}

// The matrix that moves items by delta.
Matrix shift_by(Point delta) {
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, delta.x, delta.y);
    return shift;
}

}  // namespace

// The order a walk of the sheet and then of the ports list meets them.
std::vector<SchItem*> items_near(EditSession* session, const Rect& area) {
    std::vector<SchItem*> found;
    SheetIndex* index = sheet_index(session->schema);
    sheet_index_query(index, area, &found);
    // The index answers the ports list's first, and only ports stand there.
    size_t ports = 0;
    while (ports < found.size() && found[ports]->type == PORT_ITEM &&
           sheet_index_list_of(index, found[ports]) != sheet_list(session))
        ++ports;
    std::rotate(found.begin(), found.begin() + ptrdiff_t(ports), found.end());
    return found;
}

SchItem* item_at(EditSession* session, Point p) {
    Schema* schema = session->schema;
    if (!schema || !schema->current) return nullptr;
    // An item nearer than the pick distance has a point of its rectangle
    // that near.
    const int32_t reach = static_cast<int32_t>(PICK_DISTANCE) + 1;
    const Rect near{p.x - reach, p.y - reach, 2 * reach, 2 * reach};
    const uint32_t f = filter();
    SchItem* best = nullptr;
    double best_d = FAR_AWAY;
    for (SchItem* item : items_near(session, near)) {
        if (!edit_filter_admits(f, item)) continue;
        double d = distance_SchItem(schema, item, p, 0, 0.0, 0);
        if (d < PICK_DISTANCE && d < best_d) {
            best_d = d;
            best = item;
        }
    }
    // Where no item is, a press on the title block's outline takes the
    // block, which moves whole.
    TitleBlock* block = &schema->titleblock;
    double d = 0;
    const bool has_items =
        (block->fields && block->fields->count) || (block->drawing && block->drawing->count);
    if (!best && has_items &&
        rect_edge_distance(p, &d, block->bounds, PICK_DISTANCE) == RECT_EDGE_NEAR)
        return block;
    return best;
}

bool field_at(EditSession* session, Point p, PlacedPart** part, int* index) {
    Schema* schema = session->schema;
    if (!schema || !schema->current) return false;
    // A part's rectangle holds what it draws, its fields too.
    const int32_t reach = static_cast<int32_t>(PICK_DISTANCE) + 1;
    const Rect near{p.x - reach, p.y - reach, 2 * reach, 2 * reach};
    const uint32_t f = filter();
    for (SchItem* item : items_near(session, near)) {
        if (item->type != PARTLIB_ITEM || !edit_filter_admits(f, item)) continue;
        List* picks = nullptr;
        PlacedPart* pl = as_PlacedPart(item);
        if (!pick_attributes(schema, pl, p, 0, &picks, false)) continue;
        *part = pl;
        *index = as_PseudoPin(static_cast<SchItem*>(picks->head->data))->index;
        release_edit_picks(schema, &picks);
        return true;
    }
    return false;
}

bool move_field(EditSession* session, PlacedPart* pl, int index, Point delta) {
    Attribute* attribute = pl ? pl_get_attribute(pl, index) : nullptr;
    if (!attribute || !session->schema) return false;
    EditTransaction edit(session);
    edit.before(pl);
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, delta.x, delta.y);
    matrix_Attribute(attribute, &shift);
    attribute->flags |= SET;
    edit.touch(pl);
    return true;
}

bool is_selected(const SchItem* item) { return item && (item->state & STATE_SELECTED) != 0; }

// The selection is the edit list; its members carry STATE_SELECTED, so
// membership is a look at the mark. Each change is noted for drawing.
void select_clear(EditSession* session) {
    if (!session->schema) return;
    List*& list = edit_list(session);
    for (SchItem* item : list_items<SchItem>(list)) {
        item->state &= ~STATE_SELECTED;
        sheet_index_damage(session->schema, item);
    }
    if (list) dlist_free(list, LIST_FROM_HEAD, nullptr);
    list = nullptr;
}

void select_add(EditSession* session, SchItem* item) {
    if (!item || !session->schema || is_selected(item)) return;
    List*& list = edit_list(session);
    if (!list && !(list = list_new())) no_memory();
    if (!dlist_append(list, item)) no_memory();
    item->state |= STATE_SELECTED;
    sheet_index_damage(session->schema, item);
}

void select_remove(EditSession* session, SchItem* item) {
    if (!item || !session->schema || !is_selected(item)) return;
    List* list = edit_list(session);
    if (DListNode* node = list_find_node(list, item)) dlist_remove(list, node, nullptr);
    item->state &= ~STATE_SELECTED;
    sheet_index_damage(session->schema, item);
}

int selection_count(EditSession* session) {
    List* list = session->schema ? edit_list(session) : nullptr;
    return list ? static_cast<int>(list->count) : 0;
}

int select_area(EditSession* session, Rect area) {
    Schema* schema = session->schema;
    if (!schema) return 0;
    if (area.w < 0) area = Rect{area.x + area.w, area.y, -area.w, area.h};
    if (area.h < 0) area = Rect{area.x, area.y + area.h, area.w, -area.h};
    uint32_t f = filter();
    int added = 0;
    // An item whose frame lies inside the area has its rectangle meeting it.
    for (SchItem* item : items_near(session, area)) {
        Rect r;
        if (!edit_filter_admits(f, item) || !item_select_frame(schema, item, &r)) continue;
        bool inside = r.x >= area.x && r.y >= area.y && r.x + r.w <= area.x + area.w &&
                      r.y + r.h <= area.y + area.h;
        if (inside && !is_selected(item)) {
            select_add(session, item);
            ++added;
        }
    }
    return added;
}

const char* const DRAG_JOINS_PROMPT = "Drag: not here, lands on another net";

bool move_selection(EditSession* session, Point delta, bool drag) {
    if (selection_count(session) == 0) return false;
    // The title block is the document's own, not an item of the sheet: a
    // selection holding it moves as it is, and Undo takes a copy of the
    // whole document.
    TitleBlock* block = &session->schema->titleblock;
    if (is_selected(block)) {
        EditTransaction edit(session, EditTransaction::WHOLE_DOCUMENT);
        const Matrix shift = shift_by(delta);
        for (SchItem* item : list_items<SchItem>(edit_list(session))) {
            if (item == block || !owner_of(session, item)) continue;
            edit.before(item);
            matrix_SchItem(item, &shift);
            edit.touch(item);
        }
        edit.invalidate(block->bounds);
        matrix_TitleBlock(block, &shift);
        edit.invalidate(block->bounds);
        return true;
    }
    if (drag) {
        SelectionDrag taken(session);
        if (taken.joins_another_net(delta)) {
            session->host->bell();
            set_prompt(session, DRAG_JOINS_PROMPT);
            return false;
        }
        EditTransaction edit(session);
        taken.apply(&edit, delta);
        return true;
    }
    EditTransaction edit(session);
    std::vector<SchItem*> moved;
    for (SchItem* item : list_items<SchItem>(edit_list(session)))
        if (owner_of(session, item)) moved.push_back(item);
    const Matrix shift = shift_by(delta);
    for (SchItem* item : moved) {
        edit.before(item);
        matrix_SchItem(item, &shift);
        edit.touch(item);
    }
    return true;
}

bool delete_selection(EditSession* session) {
    if (selection_count(session) == 0) return false;
    std::vector<SchItem*> doomed;
    // The title block stays: it is the document's own.
    for (SchItem* item : list_items<SchItem>(edit_list(session)))
        if (item->type != TITLEBLOCK_ITEM) doomed.push_back(item);
    if (doomed.empty()) return false;
    EditTransaction edit(session);
    select_clear(session);
    canvas_clear_selection_info(session);
    for (SchItem* item : doomed) edit.remove(item);
    return true;
}

int copy_selection(EditSession* session) {
    if (selection_count(session) == 0) return PASTE_NOTHING;
    return write_paste_schema(session->schema) ? 0 : DOC_CANNOT_CREATE;
}

int cut_selection(EditSession* session) {
    int result = copy_selection(session);
    if (result == 0) delete_selection(session);
    return result;
}

namespace {

// Whether pasting the scratch document's selection changes more of the
// document than its items: fonts, library parts it lacks.
bool paste_reaches_beyond_items(Schema* scratch, Schema* doc) {
    if (scratch->fonts && scratch->fonts->count) return true;
    if (scratch->library)
        for (LibEntry* entry : lib_entries_in_order(scratch->library))
            if (!doc->library || !find_LibEntry(doc->library, entry->name.get())) return true;
    return false;
}

struct ScratchFree {
    void operator()(Schema* scratch) const { free_paste_scratch(scratch); }
};

void release_paste_list(Schema* schema) {
    List*& list = schema->edit.paste_list;
    if (!list) return;
    for (SchItem* item : list_items<SchItem>(list)) free_SchItem(schema, item, false);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
    list = nullptr;
}

}  // namespace

// --- pasting: the pasted items follow the pointer until a click places them -------------------------
namespace {

struct PasteData {
    List* items;  // owned: what the click places, the first one's anchor at the pointer
};

PasteData* paste_data(ModeInstance* instance) { return mode_data<PasteData>(instance); }

void release_items(Schema* schema, List*& items) {
    if (!items) return;
    for (SchItem* item : list_items<SchItem>(items)) free_SchItem(schema, item, false);
    dlist_free(items, LIST_FROM_HEAD, nullptr);
    items = nullptr;
}

// Moves the items so that the first one with a place has its anchor at p,
// as far off the grid as it was: a part whose pins lie on the grid and its
// place off it keeps its pins on the grid.
void follow_pointer(List* items, Point p) {
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type == TITLEBLOCK_ITEM) continue;
        Point anchor;
        anchor_SchItem(item, &anchor);
        const Point on_grid = grid_snap(anchor);
        const Point to{static_cast<int32_t>(int64_t{p.x} + anchor.x - on_grid.x),
                       static_cast<int32_t>(int64_t{p.y} + anchor.y - on_grid.y)};
        if (anchor == to) return;
        const Matrix shift = shift_by(Point{to.x - anchor.x, to.y - anchor.y});
        for (SchItem* moved : list_items<SchItem>(items))
            if (moved->type != TITLEBLOCK_ITEM) matrix_SchItem(moved, &shift);
        return;
    }
}

// The items go onto the sheet where they stand and become the selection;
// a pasted title block takes the place of the document's own (the user
// agreed to that when the paste was read).
void place_items(EditSession* session, List* items) {
    Schema* schema = session->schema;
    // A title block replacing the document's own is more than its items:
    // Undo then needs a copy of the whole document.
    bool title_block = false;
    for (SchItem* item : list_items<SchItem>(items)) title_block |= item->type == TITLEBLOCK_ITEM;
    EditTransaction edit(session,
                         title_block ? EditTransaction::WHOLE_DOCUMENT : EditTransaction::ITEMS);
    select_clear(session);
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type == TITLEBLOCK_ITEM) {
            TitleBlock* pasted_block = as_TitleBlock(item);
            edit.invalidate(schema->titleblock.bounds);
            free_SchItem_list(schema, &schema->titleblock.fields);
            free_SchItem_list(schema, &schema->titleblock.drawing);
            schema->titleblock.fields = pasted_block->fields;
            schema->titleblock.drawing = pasted_block->drawing;
            pasted_block->fields = nullptr;
            pasted_block->drawing = nullptr;
            edit.invalidate(pasted_block->bounds);
            free_SchItem(schema, item, false);
            continue;
        }
        List* into = schema->current->items;
        if (item->type == PORT_ITEM) {
            if (!schema->ports && !(schema->ports = list_new())) no_memory();
            into = schema->ports;
        }
        edit.append(into, item);
        select_add(session, item);
    }
    dlist_free(items, LIST_FROM_HEAD, nullptr);
}

void paste_ghost(EditSession* session, ModeInstance* instance) {
    if (List* items = paste_data(instance)->items) session->host->xor_kept_items(items);
}

void paste_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Click to place the pasted items");
}

void paste_exit(EditSession* session, ModeInstance* instance) {
    release_items(session->schema, paste_data(instance)->items);
}

int paste_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    PasteData* data = paste_data(instance);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
        case EV_ENTER:
            ghost_erase(session, instance);
            follow_pointer(data->items, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEAVE: ghost_erase(session, instance); return 1;
        case EV_LEFT_UP: {
            ghost_erase(session, instance);
            follow_pointer(data->items, p);
            List* items = std::exchange(data->items, nullptr);
            PopMode(session);
            if (items) place_items(session, items);
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

const ToolKey paste_keys[] = {
    {0, 0, "Left : Place  Right : Drop", "", nullptr, nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode paste_mode{"Paste",     sizeof(PasteData), paste_enter, paste_exit,
                          nullptr,     nullptr,           paste_event, paste_ghost,
                          paste_ghost, paste_ghost,       paste_keys,  2};

int paste_selection(EditSession* session) {
    Schema* schema = session->schema;
    if (!schema || !schema->current) return DOC_NO_SCHEMATIC;
    // The file is read once into a scratch document: a foreign or damaged
    // file is refused before anything of the document changes.
    Schema* read = nullptr;
    if (int result = read_paste_scratch(PASTE_FILE_NAME, PASTE_SCHEMA, &read); result != 0)
        return result;
    std::unique_ptr<Schema, ScratchFree> scratch(read);
    // Handing it over merges fonts and library entries into the document:
    // should that fail, the document goes back to this copy. A paste of the
    // document's own parts and no fonts changes nothing but the paste list,
    // which a failure releases.
    const bool beyond = paste_reaches_beyond_items(scratch.get(), schema);
    DocumentCopy before;
    if (beyond) keep_document_copy(&before, schema);
    release_paste_list(schema);
    int result = paste_scratch_schema(schema, scratch.get());
    scratch.reset();
    if (result != 0) {
        release_paste_list(schema);
        Schema* restored = nullptr;
        if (beyond && restore_document_copy(&before, schema, &restored) == 0) {
            while (PopMode(session)) {
            }
            select_clear(session);
            canvas_clear_selection_info(session);
            session->schema = restored;
            session->host->document_replaced(restored);
            free_Schema(schema, false);
        }
        return result;
    }
    List* pasted = std::exchange(schema->edit.paste_list, nullptr);
    for (SchItem* item : list_items<SchItem>(pasted)) item->state &= ~STATE_SELECTED;
    // The copies follow the pointer as a ghost until a click places them:
    // the user sees where they land (never on their originals, with which
    // the refresh would fuse pasted wires).
    PopModesOf(session, &paste_mode);
    ModeInstance* instance = PushMode(session, &paste_mode);
    paste_data(instance)->items = pasted;
    follow_pointer(pasted, session->pointer);
    ghost_draw(session, instance);
    return 0;
}

// --- the edit buffer --------------------------------------------------------------------------------
void edit_clear_buffer(Schema* schema) {
    if (!schema) return;
    List*& list = schema->edit.edit_list;
    if (!list) return;
    List* taken = list;
    list = nullptr;
    for (SchItem* item : list_items<SchItem>(taken)) {
        if (item->type == PSEUDO_PIN && pp_is_link(as_PseudoPin(item)))
            release_picked_entry(schema, item);
        else
            item->state &= ~STATE_SELECTED;
    }
    dlist_free(taken, LIST_FROM_HEAD, nullptr);
}

int edit_single_link_target(List* edit_buffer, void** target) {
    if (target) *target = nullptr;
    if (!edit_buffer || edit_buffer->count != 1) return 0;
    SchItem* only = static_cast<SchItem*>(edit_buffer->head->data);
    if (only->type != PSEUDO_PIN) return 0;
    PseudoPin* link = as_PseudoPin(only);
    if (link->role == PP_LINK_ATTRIBUTE) {
        if (target) *target = link->whoami;
        return 3 | 16;
    }
    if (link->role != PP_LINK_PART_PIECES || !link->whoami || link->whoami->type != PARTLIB_ITEM)
        return 0;
    Part* part = as_PlacedPart(link->whoami)->part;
    if (!part) return 0;
    bool converted = (link->whoami->flags & PL_CONVERT) != 0;
    PinList* pins = converted ? part->convert_pins : part->normal_pins;
    Vectors* body = converted ? part->convert : part->normal;
    size_t pin_count = pins && pins->pins ? pins->pins->count : 0;
    size_t item_count = body && body->items ? body->items->count : 0;
    if (pin_count == 1 && item_count == 0) {
        if (target) *target = pins->pins->head->data;
        return 1 | 16;
    }
    if (pin_count == 0 && item_count == 1) {
        SchItem* piece = static_cast<SchItem*>(body->items->head->data);
        if (piece->type != TEXT_ITEM) return 0;
        if (target) *target = piece;
        return 2 | 16;
    }
    return 0;
}

void fonts_realize(Schema* schema) {
    if (!schema || !schema->fonts) return;
    for (Font* font : list_items<Font>(schema->fonts)) {
        // The realized font is kept: realizing again renews it in place when
        // the record changed, where a cleared handle would leave its old
        // font behind in the registry at every call.
        int id = font->number + 10;
        services().font_for_text(&schema->fonts, &id);
    }
}
