// "Main Mode", the base mode of a sheet canvas: a click selects (Shift adds
// or removes), a press on empty sheet drawn out is a selection rectangle, a
// press on the selection drawn out moves it alone, the wires staying where
// they are (with Ctrl it drags it with its connections: the wires follow,
// the ghost shows them), a double click edits the item. Also the zoom-area
// and bookmark modes.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <optional>

#include "editor/drag.h"
#include "editor/item_edit.h"
#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/pick.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/primitives.h"
#include "model/items/view.h"

namespace {

enum Phase : int { IDLE = 0, PRESSED, MARQUEE, MOVING, MOVING_FIELD };

// What the status line says while the selection follows the pointer.
constexpr const char* MOVE_PROMPT = "Move: wires stay. Ctrl: wires follow";
constexpr const char* DRAG_PROMPT = "Drag: the wires follow";
// A plain move dropped where a pin lands on another net (joined to it, or
// hidden from its own) says so.
constexpr const char* MOVE_JOINS_PROMPT = "Move: lands on another net here";

struct MainData {
    int phase;
    Point press;
    Point last;
    bool on_selection;     // the press hit the selection: drawing out moves it
    bool drag;             // Ctrl at the press
    bool extend;           // Shift at the press
    List* ghosts;          // owned copies shown while moving, or the rectangle
    List* wire_ghosts;     // owned: the wires as a drag leaves them
    SelectionDrag* taken;  // owned: what a drag takes along, while it lasts
    // The press hit a field of this part (not owned): drawn out, the field
    // moves alone; a click selects the part.
    PlacedPart* field_part;
    int field_index;
};

MainData* main_data(ModeInstance* instance) { return mode_data<MainData>(instance); }

void free_list(EditSession* session, List*& list) {
    if (!list) return;
    for (SchItem* item : list_items<SchItem>(list)) free_SchItem(session->schema, item, false);
    dlist_free(list, LIST_FROM_HEAD, nullptr);
    list = nullptr;
}

void free_ghosts(EditSession* session, MainData* data) {
    free_list(session, data->ghosts);
    free_list(session, data->wire_ghosts);
    delete data->taken;
    data->taken = nullptr;
}

void xor_ghosts(EditSession* session, ModeInstance* instance) {
    for (List* list : {main_data(instance)->ghosts, main_data(instance)->wire_ghosts})
        if (list) session->host->xor_items(list);
}

void add_ghost(MainData* data, SchItem* item) {
    if (!item) no_memory();
    if (!data->ghosts && !(data->ghosts = list_new())) no_memory();
    if (!dlist_append(data->ghosts, item)) no_memory();
}

void make_marquee(MainData* data, Point p) {
    Boite* box = new_Rect();
    if (!box) no_memory();
    box->flags = DRAW | 0x04;  // dashed drawing line
    box->pos = data->press;
    box->corner = p;
    add_ghost(data, box);
}

// The field's text, where it is drawn.
void make_field_ghost(EditSession* session, MainData* data) {
    Attribute* attribute = pl_get_attribute(data->field_part, data->field_index);
    if (attribute)
        add_ghost(data,
                  attr_text_item(session->schema, data->field_part, attribute, data->field_index));
}

void make_move_ghosts(EditSession* session, MainData* data) {
    // The ghost shows the items as they are, references and all; a drag's
    // the symbols it carries too.
    CopyExactScope exact;
    data->taken = new SelectionDrag(session, data->drag);
    if (data->drag) {
        for (SchItem* item : data->taken->moved())
            add_ghost(data, copy_SchItem(session->schema, item));
        return;
    }
    for (SchItem* item : list_items<SchItem>(session->schema->edit.edit_list))
        add_ghost(data, copy_SchItem(session->schema, item));
}

// A motion judges the drop only while that stays cheap: the judgement
// copies what lies near each moved item, and past this many items the
// prompt says only what the gesture does (a drag's drop is still judged,
// once, when it is made).
constexpr size_t JUDGED_WHILE_MOVING = 2000;

// The status line for the offset: what the gesture does, and whether the
// drop would join another net (a drag is then not made).
void say_what_a_drop_does(EditSession* session, MainData* data, Point p) {
    const std::optional<bool> joins =
        data->taken ? data->taken->joins_another_net_within(
                          Point{p.x - data->press.x, p.y - data->press.y}, JUDGED_WHILE_MOVING)
                    : std::optional<bool>(false);
    const bool says_so = joins.value_or(false);
    set_prompt(session, data->drag ? (says_so ? DRAG_JOINS_PROMPT : DRAG_PROMPT)
                                   : (says_so ? MOVE_JOINS_PROMPT : MOVE_PROMPT));
}

// The wires a drag stretches, for the offset from the press.
void shape_wire_ghosts(EditSession* session, MainData* data, Point p) {
    free_list(session, data->wire_ghosts);
    if (data->taken && data->drag)
        data->taken->ghost_wires(Point{p.x - data->press.x, p.y - data->press.y},
                                 &data->wire_ghosts);
}

void shift_ghosts(MainData* data, Point delta) {
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, delta.x, delta.y);
    for (SchItem* item : list_items<SchItem>(data->ghosts)) matrix_SchItem(item, &shift);
}

void main_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_ARROW);
    set_prompt(session, "");
}

void main_exit(EditSession* session, ModeInstance* instance) {
    free_ghosts(session, main_data(instance));
}

void main_suspend(EditSession* session, ModeInstance* instance) {
    free_ghosts(session, main_data(instance));
    main_data(instance)->phase = IDLE;
    main_data(instance)->field_part = nullptr;
}

// What the pointer is on; where it is on nothing, what lies at the grid
// point it snaps to (a body's edge drawn on the grid, say).
SchItem* item_under(EditSession* session, Point p) {
    if (SchItem* hit = item_at(session, session->pointer_exact)) return hit;
    return item_at(session, p);
}

void press(EditSession* session, MainData* data, Point p, bool extend, bool drag) {
    data->press = data->last = p;
    data->extend = extend;
    data->drag = drag;
    data->phase = PRESSED;
    data->field_part = nullptr;
    // A field is taken before its part: drawn out, it moves by itself.
    if (!extend &&
        field_at(session, session->pointer_exact, &data->field_part, &data->field_index)) {
        data->on_selection = false;
        return;
    }
    SchItem* hit = item_under(session, p);
    data->on_selection = hit != nullptr;
    if (hit && !is_selected(hit) && !extend) {
        select_clear(session);
        select_add(session, hit);
        session->host->redraw_changes();
    }
}

void release(EditSession* session, ModeInstance* instance, Point p) {
    MainData* data = main_data(instance);
    ghost_erase(session, instance);
    free_ghosts(session, data);
    switch (data->phase) {
        case MOVING:
            set_prompt(session, "");
            move_selection(session, Point{p.x - data->press.x, p.y - data->press.y}, data->drag);
            break;
        case MOVING_FIELD:
            move_field(session, data->field_part, data->field_index,
                       Point{p.x - data->press.x, p.y - data->press.y});
            break;
        case MARQUEE:
            if (!data->extend) select_clear(session);
            select_area(session, Rect{data->press.x, data->press.y, p.x - data->press.x,
                                      p.y - data->press.y});
            session->host->redraw_changes();
            break;
        case PRESSED: {
            if (data->field_part) {
                // A click on a field selects the part it shows.
                select_clear(session);
                select_add(session, data->field_part);
                session->host->redraw_changes();
                break;
            }
            SchItem* hit = item_under(session, p);
            if (data->extend && hit) {
                if (is_selected(hit) && data->on_selection)
                    select_remove(session, hit);
                else
                    select_add(session, hit);
            } else if (!hit && !data->extend) {
                select_clear(session);
            }
            session->host->redraw_changes();
            break;
        }
        default: break;
    }
    data->phase = IDLE;
    data->field_part = nullptr;
}

int main_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    MainData* data = main_data(instance);
    switch (code) {
        case EV_LEFT_DOWN: press(session, data, p, false, false); return 1;
        case EV_LEFT_DOWN_SHIFT: press(session, data, p, true, false); return 1;
        case EV_LEFT_DOWN_CTRL: press(session, data, p, false, true); return 1;
        case EV_LEFT_DRAG:
            if (data->phase == PRESSED && !(p == data->press)) {
                if (data->field_part) {
                    data->phase = MOVING_FIELD;
                    make_field_ghost(session, data);
                } else if (data->on_selection && selection_count(session) > 0) {
                    data->phase = MOVING;
                    make_move_ghosts(session, data);
                    set_prompt(session, data->drag ? DRAG_PROMPT : MOVE_PROMPT);
                } else {
                    data->phase = MARQUEE;
                    make_marquee(data, p);
                }
                data->last = data->press;
            }
            if (data->phase == MOVING || data->phase == MOVING_FIELD) {
                ghost_erase(session, instance);
                shift_ghosts(data, Point{p.x - data->last.x, p.y - data->last.y});
                shape_wire_ghosts(session, data, p);
                ghost_draw(session, instance);
                if (data->phase == MOVING) say_what_a_drop_does(session, data, p);
            } else if (data->phase == MARQUEE) {
                ghost_erase(session, instance);
                as_Rect(static_cast<SchItem*>(data->ghosts->head->data))->corner = p;
                ghost_draw(session, instance);
            }
            data->last = p;
            return 1;
        case EV_LEFT_UP: release(session, instance, p); return 1;
        case EV_LEFT_DCLICK:
            session->click_state = 0;
            // What the pointer is on, else what lies at its grid point.
            if (edit_item_at(session, session->pointer_exact, EDIT_OPERATION)) return 1;
            return !(p == session->pointer_exact) && edit_item_at(session, p, EDIT_OPERATION) ? 1
                                                                                              : 0;
        case EV_ESC:
            ghost_erase(session, instance);
            free_ghosts(session, data);
            if (data->phase == MOVING) set_prompt(session, "");
            data->phase = IDLE;
            data->field_part = nullptr;
            select_clear(session);
            session->host->redraw_changes();
            return 1;
        default: return 0;
    }
}

int key_delete(EditSession* session, ModeInstance*, int) {
    return delete_selection(session) ? 1 : 0;
}
int key_repeat(EditSession* session, ModeInstance*, int) {
    return repeat_last_placement(session) ? 1 : 0;
}

int key_zoom_area(EditSession* session, ModeInstance*, int);

const ToolKey main_keys[] = {
    {0, 0, "Left : Select, move alone  Ctrl+Left : Drag with the wires", "", nullptr, nullptr},
    {TK_DELETE, 0, "Del : Delete selection", "Delete the selected items", nullptr, key_delete},
    {TK_INSERT, 0, "Ins : Repeat", "Repeat the last placement", nullptr, key_repeat},
    {'Z', 0, "Z : Zoom area", "Show the area drawn next", nullptr, key_zoom_area},
    TN_ESC_KEY,
};

// --- "Zoom Area": the rectangle drawn out becomes the view ------------------------------------------
int zoom_area_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    MainData* data = main_data(instance);
    switch (code) {
        case EV_LEFT_DOWN:
        case EV_LEFT_DOWN_SHIFT:
        case EV_LEFT_DOWN_CTRL:
            data->press = p;
            data->phase = MARQUEE;
            make_marquee(data, p);
            return 1;
        case EV_LEFT_DRAG:
            if (data->phase != MARQUEE) return 1;
            ghost_erase(session, instance);
            as_Rect(static_cast<SchItem*>(data->ghosts->head->data))->corner = p;
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP: {
            if (data->phase != MARQUEE) return 1;
            Point a = data->press;
            ghost_erase(session, instance);
            free_ghosts(session, data);
            data->phase = IDLE;
            PopMode(session);
            if (a.x != p.x && a.y != p.y)
                session->host->zoom_area(Rect{std::min(a.x, p.x), std::min(a.y, p.y),
                                              std::abs(p.x - a.x), std::abs(p.y - a.y)});
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

void cross_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Draw the area to show");
}

const ToolKey zoom_keys[] = {
    {0, 0, "Left : Draw the area  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

// --- "Place Book Mark": the click becomes the bookmark of the slot ---------------------------------
struct BookmarkData {
    int slot;
};

int bookmark_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    switch (code) {
        case EV_LEFT_UP: {
            int slot = mode_data<BookmarkData>(instance)->slot;
            view_set_tag(&session->schema->view, slot, p);
            schema_set_modified(session->schema);
            session->host->mark_modified();
            PopMode(session);
            session->host->redraw();
            session->host->edit_bookmark(slot);
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

void bookmark_enter(EditSession* session, ModeInstance* instance) {
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Click the place to mark");
}

const ToolKey bookmark_keys[] = {
    {0, 0, "Left : Mark  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode main_mode{"Main Mode",  sizeof(MainData), main_enter, main_exit,
                         main_suspend, nullptr,          main_event, xor_ghosts,
                         xor_ghosts,   xor_ghosts,       main_keys,  5};

namespace {

int key_zoom_area(EditSession* session, ModeInstance*, int) {
    PushMode(session, &zoom_area_mode);
    return 1;
}

}  // namespace
const ToolMode zoom_area_mode{"Zoom Area", sizeof(MainData), cross_enter,     main_exit,
                              nullptr,     nullptr,          zoom_area_event, xor_ghosts,
                              xor_ghosts,  xor_ghosts,       zoom_keys,       2};
const ToolMode place_bookmark_mode{"Place Book Mark", sizeof(BookmarkData),
                                   bookmark_enter,    nullptr,
                                   nullptr,           nullptr,
                                   bookmark_event,    nullptr,
                                   nullptr,           nullptr,
                                   bookmark_keys,     2};

ModeInstance* start_bookmark_mode(EditSession* session, int slot, const char* name) {
    if (slot < 0 || slot >= VIEW_SLOTS) return nullptr;
    PopModesOf(session, &place_bookmark_mode);
    if (name) view_set_tag_name(&session->schema->view, slot, name);
    ModeInstance* instance = PushMode(session, &place_bookmark_mode);
    mode_data<BookmarkData>(instance)->slot = slot;
    return instance;
}

bool jump_to_bookmark(EditSession* session, int slot) {
    Point at;
    bool in_use = false;
    view_get_tag(&session->schema->view, slot, &at, &in_use);
    if (!in_use) return false;
    WarpPointer(session, at);
    return true;
}
