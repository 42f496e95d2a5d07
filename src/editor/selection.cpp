// The selection of a sheet: picking, moving, dragging, deleting, and the
// paste file round trip.
#include "editor/selection.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "editor/edit_kinds.h"
#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "editor/undo.h"
#include "foundation/core.h"
#include "foundation/font_record.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
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

// The items of the sheet, then those of the ports list, whose rectangles
// meet the area, each group in list order: the order a walk of the sheet
// and then of the ports list meets them.
std::vector<SchItem*> items_near(EditSession* session, const Rect& area) {
    std::vector<SchItem*> found;
    SheetIndex* index = sheet_index(session->schema);
    sheet_index_query(index, area, &found);
    std::stable_partition(found.begin(), found.end(), [&](SchItem* item) {
        return sheet_index_list_of(index, item) == sheet_list(session);
    });
    return found;
}

bool point_less(Point a, Point b) { return a.x != b.x ? a.x < b.x : a.y < b.y; }

bool is_wire(const SchItem* item) {
    return item->type == LINE_ITEM && (item->flags & STYLE_MASK) != DRAW;
}

void translate(SchItem* item, Point delta) {
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, delta.x, delta.y);
    matrix_SchItem(item, &shift);
}

}  // namespace

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
    return best;
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
    // An item inside the area has its rectangle meeting it.
    for (SchItem* item : items_near(session, area)) {
        Rect r;
        if (!edit_filter_admits(f, item) || !bounds_SchItem(schema, item, &r, false)) continue;
        bool inside = r.x >= area.x && r.y >= area.y && r.x + r.w <= area.x + area.w &&
                      r.y + r.h <= area.y + area.h;
        if (inside && !is_selected(item)) {
            select_add(session, item);
            ++added;
        }
    }
    return added;
}

bool move_selection(EditSession* session, Point delta, bool drag) {
    if (selection_count(session) == 0) return false;
    EditTransaction edit(session);
    std::vector<SchItem*> moved;
    for (SchItem* item : list_items<SchItem>(edit_list(session)))
        if (owner_of(session, item)) moved.push_back(item);
    if (drag) {
        std::vector<Point> points;
        for (SchItem* item : moved) item_connection_points(session->schema, item, &points);
        std::sort(points.begin(), points.end(), point_less);
        points.erase(std::unique(points.begin(), points.end()), points.end());
        // The wires with an end on one of the points, in list order.
        SheetIndex* index = sheet_index(session->schema);
        std::vector<SchItem*> wires, found;
        for (Point p : points) {
            sheet_index_query(index, Rect{p.x, p.y, 0, 0}, &found);
            for (SchItem* item : found)
                if (is_wire(item) && !is_selected(item) &&
                    sheet_index_list_of(index, item) == sheet_list(session))
                    wires.push_back(item);
        }
        sheet_index_sort(index, &wires);
        wires.erase(std::unique(wires.begin(), wires.end()), wires.end());
        for (SchItem* item : wires) {
            Line* wire = as_Line(item);
            bool before = true;
            for (Point* end : {&wire->pos, &wire->end}) {
                if (!std::binary_search(points.begin(), points.end(), *end, point_less)) continue;
                if (std::exchange(before, false)) edit.before(wire);
                *end = Point{end->x + delta.x, end->y + delta.y};
                edit.touch(wire);
            }
        }
    }
    for (SchItem* item : moved) {
        edit.before(item);
        translate(item, delta);
        edit.touch(item);
    }
    return true;
}

bool delete_selection(EditSession* session) {
    if (selection_count(session) == 0) return false;
    EditTransaction edit(session);
    std::vector<SchItem*> doomed;
    for (SchItem* item : list_items<SchItem>(edit_list(session))) doomed.push_back(item);
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
// document than its items: fonts, library parts it lacks, the title block.
bool paste_reaches_beyond_items(Schema* scratch, Schema* doc) {
    if (scratch->fonts && scratch->fonts->count) return true;
    for (SchItem* item : list_items<SchItem>(scratch->edit.paste_list))
        if (item->type == TITLEBLOCK_ITEM) return true;
    if (scratch->library)
        for (LibEntry* entry : lib_entries_in_order(scratch->library))
            if (!doc->library || !find_LibEntry(doc->library, entry->name.get())) return true;
    return false;
}

// Reads the file once into a scratch document: a foreign or damaged file is
// refused before anything of the document changes. *beyond: the paste would
// change more than the document's items.
int check_paste_file(const char* name, Schema* doc, bool* beyond) {
    FILE* stream = std::fopen(name, "rb");
    if (!stream) return PASTE_CANNOT_OPEN;
    Schema* scratch = nullptr;
    new_active_schema(&scratch);
    int result = read_paste_body(scratch, PASTE_SCHEMA, stream);
    std::fclose(stream);
    *beyond = result != 0 || paste_reaches_beyond_items(scratch, doc);
    free_paste_scratch(scratch);
    return result;
}

void release_paste_list(Schema* schema) {
    List*& list = schema->edit.paste_list;
    if (!list) return;
    for (SchItem* item : list_items<SchItem>(list)) free_SchItem(schema, item, false);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
    list = nullptr;
}

}  // namespace

int paste_selection(EditSession* session) {
    Schema* schema = session->schema;
    if (!schema || !schema->current) return DOC_NO_SCHEMATIC;
    bool beyond = false;
    if (int result = check_paste_file(PASTE_FILE_NAME, schema, &beyond); result != 0) return result;
    // A paste that brings fonts, library parts or a title block changes more
    // than the items: Undo then needs a copy of the whole document, and so
    // does a read that would fail after all (the file changed since it was
    // checked): the document goes back to this copy.
    DocumentCopy before;
    if (beyond) keep_document_copy(&before, schema);
    EditTransaction edit(session,
                         beyond ? EditTransaction::WHOLE_DOCUMENT : EditTransaction::ITEMS);
    release_paste_list(schema);
    int result = read_paste_schema(schema, PASTE_FILE_NAME, PASTE_SCHEMA);
    if (result != 0) {
        release_paste_list(schema);
        Schema* restored = nullptr;
        if (!beyond) {
            edit.abandon();
        } else if (restore_document_copy(&before, schema, &restored) == 0) {
            while (PopMode(session)) {
            }
            select_clear(session);
            canvas_clear_selection_info(session);
            session->schema = restored;
            session->host->document_replaced(restored);
            free_Schema(schema, false);
            edit.abandon();
        }
        return result;
    }
    select_clear(session);
    List* pasted = schema->edit.paste_list;
    schema->edit.paste_list = nullptr;
    // The copies come at the pointer, so that they do not lie on their
    // originals (the refresh would fuse pasted wires into them).
    Point delta{0, 0};
    for (SchItem* item : list_items<SchItem>(pasted)) {
        if (item->type == TITLEBLOCK_ITEM) continue;
        Point anchor;
        anchor_SchItem(item, &anchor);
        delta = Point{session->pointer.x - anchor.x, session->pointer.y - anchor.y};
        break;
    }
    for (SchItem* item : list_items<SchItem>(pasted)) {
        List* into = schema->current->items;
        if (item->type == PORT_ITEM) {
            if (!schema->ports && !(schema->ports = list_new())) no_memory();
            into = schema->ports;
        }
        if (item->type == TITLEBLOCK_ITEM) {
            // The user agreed to replace the title block: its lists take the
            // place of the document's own.
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
        translate(item, delta);
        item->state &= ~STATE_SELECTED;
        if (!dlist_append(into, item)) no_memory();
        edit.touch(item);
        select_add(session, item);
    }
    if (pasted) dlist_free(pasted, LIST_FROM_HEAD, nullptr);
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
