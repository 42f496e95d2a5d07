// "Libedit Edit": rotate, mirror, cut, copy and move the items of a part
// body or of a title block, one clicked item or pin or the items inside the
// view's selection area.
//
// What is edited stands in the tool's own list: the picked items
// themselves (records of the part's body or of the title block, not owned,
// marked LIBEDIT_PICKED) and, for picked pins, one carrier: a placed part
// (the only code the list holds that is not an item of a body) that owns
// a part of its own holding copies of the picked pins, so that the ghost
// shows them. The part's pins stay the part's: they are marked, and what a
// command does to them it does to the marked pins of the part's list. The
// carrier and its copies go when the list is cleared, whatever the command
// did to the part's pins.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_edit.h"
#include "libedit/libedit_items.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/attribute.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/titleblock.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

constexpr uint32_t PICK_BITS = LIBEDIT_PICKED | STATE_BOTH_ENDS;
// The area round a placed part in which a selection area's first point picks it.
constexpr int32_t AREA_MARGIN = 6000;

struct EditTool {
    int32_t command;  // library numbering
    int32_t state;    // 1 waiting for a click on an item, 2 dragging or blinking
    uint8_t in_part;
    uint8_t area;        // started on the view's selection area
    PlacedPart* placed;  // not owned: the part whose items are edited (library)
    Point reference;
    Point offset;  // placed position minus the reference
    Point pointer;
    List* items;  // owned list: the picked items (not owned) and carriers (owned)
};

EditTool* edit_tool(ModeInstance* instance) { return mode_data<EditTool>(instance); }

bool is_turn(int command) { return command >= CMD_ROTATE_90 && command <= CMD_MIRROR_Y; }
bool blinks(int command) { return is_turn(command) || command == CMD_CUT; }

bool is_carrier(const SchItem* item) { return item->type == PARTLIB_ITEM; }

Part* placed_part(const LibEdit* ed, PlacedPart* placed) {
    return placed ? pl_get_part(libedit_library(ed), placed) : nullptr;
}

bool converted_form(const PlacedPart* placed) { return placed && (placed->flags & PL_CONVERT); }

Vectors* form_set(Part* part, bool converted) {
    return part ? (converted ? part->convert : part->normal) : nullptr;
}

PinList* form_pins(Part* part, bool converted) {
    return part ? (converted ? part->convert_pins : part->normal_pins) : nullptr;
}

void free_carrier(PlacedPart* carrier) {
    Part* own = carrier->part;
    carrier->part = nullptr;
    free_PlacedPart(nullptr, carrier, false);
    if (own) unref_Part(own);
}

// A carrier of the marked pins of the placed part's form; null when none is marked.
PlacedPart* part_with_flagged_pins(const LibEdit* ed, PlacedPart* placed) {
    Part* part = placed_part(ed, placed);
    PinList* pins = form_pins(part, converted_form(placed));
    if (!pins) return nullptr;
    PinList* copies = nullptr;
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        if (!(pin->state & LIBEDIT_PICKED)) continue;
        if (!copies && !(copies = new_PinList())) no_memory();
        Pin* copy = copy_Pin(pin, part->devices);
        if (!copy) no_memory();
        append_or_die(copies->pins, copy);
    }
    if (!copies) return nullptr;
    Part* own = new_Part();
    PlacedPart* carrier = new_PlacedPart();
    if (!own || !carrier) no_memory();
    own->body = part->body;
    set_Part_devices(own, part->devices);
    (converted_form(placed) ? own->convert_pins : own->normal_pins) = copies;
    ref_Part(own);
    carrier->part = own;
    carrier->pos = placed->pos;
    carrier->device = placed->device;
    carrier->flags = static_cast<uint8_t>(placed->flags & ~PL_POWERON);
    carrier->reference.flags &= static_cast<uint8_t>(~VIS);
    carrier->value.flags &= static_cast<uint8_t>(~VIS);
    return carrier;
}

// An entry of the tool's list let go: an item loses its mark, a carrier
// (with the copies it owns) is freed.
void libedit_edit_unflag(SchItem* item) {
    if (is_carrier(item))
        free_carrier(as_PlacedPart(item));
    else
        item->state &= ~PICK_BITS;
}

// Every mark of the tool's selection taken off; carriers freed; the list emptied.
void libedit_edit_clear(EditSession* session, EditTool* tool) {
    LibEdit* ed = libedit_of(session);
    if (tool->items) {
        while (tool->items->count) {
            SchItem* item = static_cast<SchItem*>(dlist_head(tool->items)->data);
            dlist_remove_head(tool->items, nullptr);
            libedit_edit_unflag(item);
        }
    }
    if (Part* part = ed ? libedit_part(ed) : nullptr)
        for (PinList* pins : {part->normal_pins, part->convert_pins})
            for (Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) pin->state &= ~PICK_BITS;
}

// Where the ghost of the selection stands: the part's position for the
// commands that act in place, the dragged place for copy and move (the
// ghost is moved only, never turned).
Matrix libedit_edit_matrix(const EditTool* tool) {
    Point shift{0, 0};
    if (blinks(tool->command))
        shift = tool->placed ? tool->placed->pos : Point{0, 0};
    else if (tool->placed)
        shift = Point{world_add(tool->offset.x, tool->pointer.x),
                      world_add(tool->offset.y, tool->pointer.y)};
    else
        shift = Point{world_add(tool->pointer.x, -int64_t{tool->reference.x}),
                      world_add(tool->pointer.y, -int64_t{tool->reference.y})};
    Matrix m;
    matrix_identity(&m);
    matrix_translate(&m, shift.x, shift.y);
    return m;
}

// The selection where the matrix puts it, into `shown`: copies of the
// items moved, the carriers themselves standing where the part would (their
// pins are in part coordinates).
void libedit_edit_transform(EditSession* session, const EditTool* tool, const Matrix& move,
                            List* shown) {
    Point shift;
    matrix_apply(&move, Point{0, 0}, &shift);
    for (SchItem* item : list_items<SchItem>(tool->items)) {
        if (is_carrier(item)) {
            item->pos = shift;
            append_or_die(shown, item);
            continue;
        }
        SchItem* copy = copy_SchItem(session->schema, item);
        if (!copy) no_memory();
        matrix_SchItem(copy, &move);
        append_or_die(shown, copy);
    }
}

void libedit_edit_ghost_paint(EditSession* session, ModeInstance* instance) {
    EditTool* tool = edit_tool(instance);
    if (!tool->items || !tool->items->count) return;
    List shown;
    libedit_edit_transform(session, tool, libedit_edit_matrix(tool), &shown);
    session->host->xor_items(&shown);
    while (shown.count) {
        SchItem* item = static_cast<SchItem*>(dlist_head(&shown)->data);
        dlist_remove_head(&shown, nullptr);
        if (!is_carrier(item)) free_SchItem(session->schema, item, false);
    }
}

// --- picking -------------------------------------------------------------------------------------
// The clicked item of a part body (its code), or pin (0), or 127 for none:
// of the items and pins of the first placed part that has one below the
// hit distance, the nearest (a text inside a box is picked by clicking it).
int hit_part(LibEdit* ed, Point p, PlacedPart** placed_out, void** hit) {
    Schema* schema = libedit_schema(ed);
    for (SchItem* entry : list_items<SchItem>(libedit_items(ed))) {
        if (entry->type != PARTLIB_ITEM) continue;
        PlacedPart* placed = as_PlacedPart(entry);
        Part* part = placed_part(ed, placed);
        if (!part) continue;
        const bool converted = converted_form(placed);
        const Point at{world_add(p.x, -int64_t{placed->pos.x}),
                       world_add(p.y, -int64_t{placed->pos.y})};
        Vectors* set = form_set(part, converted);
        SchItem* item = nullptr;
        const double d = set ? nearest_SchItem_list(schema, set->items, at, &item) : 1e10;
        Pin* pin = nullptr;
        PinList* pins = form_pins(part, converted);
        const double dp = pins ? nearest_Pin(pins, at, &pin, 0, 0, 0, true) : 1e10;
        if (pin && dp < LIBEDIT_HIT && dp < d) {
            *placed_out = placed;
            *hit = pin;
            return 0;
        }
        if (item && d < LIBEDIT_HIT) {
            *placed_out = placed;
            *hit = item;
            return item->type;
        }
    }
    return 127;
}

int hit_template(Schema* schema, Point p, void** hit) {
    SchItem* best = nullptr;
    double d = nearest_SchItem_list(schema, schema->titleblock.drawing, p, &best);
    if (d >= 1.0) {
        SchItem* control = nullptr;
        const double dc = nearest_SchItem_list(schema, schema->titleblock.fields, p, &control);
        if (control && dc < d) best = control, d = dc;
    }
    if (!best || d > LIBEDIT_HIT) return 127;
    *hit = best;
    return best->type;
}

}  // namespace

int libedit_hit_test(LibEdit* ed, bool in_part, PlacedPart** placed, void** hit, Point p) {
    *placed = nullptr;
    *hit = nullptr;
    Schema* schema = libedit_schema(ed);
    if (!schema) return 127;
    return in_part ? hit_part(ed, p, placed, hit) : hit_template(schema, p, hit);
}

namespace {

// The bodies' items and pins inside the selection area are marked.
bool libedit_select_area(EditSession* session, EditTool* tool) {
    LibEdit* ed = libedit_of(session);
    Schema* schema = session->schema;
    View* view = &schema->view;
    FlagOpScope mark(LIBEDIT_PICKED, FLAGOP_OR);
    if (!tool->in_part) {
        select_SchItem_list(schema, view, schema->titleblock.drawing, LIBEDIT_PICKED, FLAGOP_OR, 0);
        select_SchItem_list(schema, view, schema->titleblock.fields, LIBEDIT_PICKED, FLAGOP_OR, 0);
        return true;
    }
    const Point first = view_select_point(view, 0);
    PlacedPart* placed = nullptr;
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* candidate = as_PlacedPart(item);
        Part* part = placed_part(ed, candidate);
        if (!placed) placed = candidate;
        if (part && rect_contains_point(Rect{world_add(candidate->pos.x, -AREA_MARGIN),
                                             world_add(candidate->pos.y, -AREA_MARGIN),
                                             world_add(part->body.w, 2 * AREA_MARGIN),
                                             world_add(part->body.h, 2 * AREA_MARGIN)},
                                        first)) {
            placed = candidate;
            break;
        }
    }
    Part* part = placed_part(ed, placed);
    if (!part) return false;
    tool->placed = placed;
    const bool converted = converted_form(placed);
    Vectors* set = form_set(part, converted);
    PinList* pins = form_pins(part, converted);
    // The part's items stand in part coordinates: the area is tested with
    // them where the placed part shows them.
    Matrix there, back;
    matrix_identity(&there);
    matrix_translate(&there, placed->pos.x, placed->pos.y);
    matrix_identity(&back);
    matrix_translate(&back, -placed->pos.x, -placed->pos.y);
    if (set) {
        for (SchItem* item : list_items<SchItem>(set->items)) matrix_SchItem(item, &there);
        select_SchItem_list(schema, view, set->items, LIBEDIT_PICKED, FLAGOP_OR, 0);
        for (SchItem* item : list_items<SchItem>(set->items)) matrix_SchItem(item, &back);
    }
    if (pins) {
        matrix_PinList(pins, &there);
        select_PinList(view, pins, LIBEDIT_PICKED, FLAGOP_OR, 0, true);
        matrix_PinList(pins, &back);
    }
    return true;
}

// The marked items and a carrier of the marked pins into the tool's list.
void libedit_collect_flagged(EditSession* session, EditTool* tool) {
    LibEdit* ed = libedit_of(session);
    Schema* schema = session->schema;
    auto take = [&](List* list) {
        for (SchItem* item : list_items<SchItem>(list))
            if (item->state & LIBEDIT_PICKED) append_or_die(tool->items, item);
    };
    if (!tool->in_part) {
        take(schema->titleblock.drawing);
        take(schema->titleblock.fields);
        return;
    }
    Part* part = placed_part(ed, tool->placed);
    Vectors* set = form_set(part, converted_form(tool->placed));
    if (set) take(set->items);
    if (PlacedPart* carrier = part_with_flagged_pins(ed, tool->placed)) {
        // The field values of the part come along (not shown).
        copy_Attribute_list(tool->placed->attributes, &carrier->attributes);
        for (Attribute* attribute : list_items<Attribute>(carrier->attributes))
            attribute->flags &= static_cast<uint8_t>(~VIS);
        append_or_die(tool->items, carrier);
    }
}

bool has_carrier(const EditTool* tool) {
    for (const SchItem* item : list_items<SchItem>(tool->items))
        if (is_carrier(item)) return true;
    return false;
}

// The sides the carried pins stand on: 1 left, 2 right, 4 top, 8 bottom.
int libedit_pin_sides(const EditTool* tool) {
    int sides = 0;
    for (SchItem* item : list_items<SchItem>(tool->items)) {
        if (!is_carrier(item)) continue;
        Part* own = as_PlacedPart(item)->part;
        for (PinList* pins : {own->normal_pins, own->convert_pins})
            for (const Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
                switch (pin->flags & PIN_SIDE_MASK) {
                    case LEFT: sides |= 1; break;
                    case RIGHT: sides |= 2; break;
                    case TOP: sides |= 4; break;
                    default: sides |= 8; break;
                }
            }
    }
    return sides;
}

// The selection's extent in part coordinates (template: world); false when empty.
bool selection_extent(EditSession* session, const EditTool* tool, Rect* extent) {
    bool any = false;
    for (SchItem* item : list_items<SchItem>(tool->items)) {
        Rect r;
        bool got = false;
        if (is_carrier(item)) {
            Part* own = as_PlacedPart(item)->part;
            got = pinlist_extent(own->normal_pins, &r, false);
            got = pinlist_extent(own->convert_pins, &r, got);
        } else {
            got = extent_SchItem(session->schema, item, &r) ||
                  bounds_SchItem(session->schema, item, &r, false);
        }
        if (!got) continue;
        if (any)
            rect_union(extent, r);
        else
            *extent = r;
        any = true;
    }
    return any;
}

void libedit_edit_blink(EditSession* session, ModeInstance* instance, bool on) {
    EditTool* tool = edit_tool(instance);
    if (!blinks(tool->command)) return;
    LibEdit* ed = libedit_of(session);
    if (on)
        ghost_draw(session, instance);
    else
        ghost_erase(session, instance);
    if (ed) ed->host->blink(on);
}

// Starts the drag (copy, move) or the blinking (rotate, mirror, cut) of
// the selection from the point clicked, or from its extent's origin.
bool libedit_begin_drag(EditSession* session, ModeInstance* instance, const Point* at) {
    EditTool* tool = edit_tool(instance);
    View* view = &session->schema->view;
    Rect extent;
    if (!tool->items->count || !selection_extent(session, tool, &extent)) return false;
    if (tool->in_part && tool->placed) {
        Part* part = placed_part(libedit_of(session), tool->placed);
        const Point pos = tool->placed->pos;
        extent.x = world_add(extent.x, pos.x);
        extent.y = world_add(extent.y, pos.y);
        tool->reference = at ? *at : Point{extent.x, extent.y};
        if (!blinks(tool->command) && part) {
            const int sides = libedit_pin_sides(tool);
            Rect limit{pos.x, pos.y, part->body.w, part->body.h};
            int mode = CLIP_INSIDE;
            if ((sides & 3) && (sides & 12)) {
                // Pins on a vertical and on a horizontal side cannot move together.
                session->host->bell();
                return false;
            }
            if (sides) {
                limit.x = sides & 3 ? tool->reference.x : pos.x;
                limit.y = sides & 12 ? tool->reference.y : pos.y;
                mode = sides & 3 ? CLIP_LEFT : CLIP_TOP;
            }
            view_set_clip(view, limit, mode);
            view_set_clip_margins(
                view,
                Point{world_add(tool->reference.x, -int64_t{extent.x}),
                      world_add(tool->reference.y, -int64_t{extent.y})},
                Point{world_add(int64_t{extent.x} + extent.w, -int64_t{tool->reference.x}),
                      world_add(int64_t{extent.y} + extent.h, -int64_t{tool->reference.y})});
        }
        tool->offset = Point{world_add(pos.x, -int64_t{tool->reference.x}),
                             world_add(pos.y, -int64_t{tool->reference.y})};
    } else {
        tool->placed = nullptr;
        tool->offset = Point{0, 0};
        tool->reference = at ? *at : view_select_point(view, 0);
    }
    tool->pointer = tool->reference;
    if (view_ensure_visible(view, tool->reference)) session->host->redraw();
    WarpPointer(session, tool->reference);
    if (blinks(tool->command))
        libedit_edit_blink(session, instance, true);
    else
        ghost_draw(session, instance);
    tool->state = 2;
    return true;
}

// --- applying -----------------------------------------------------------------------------------
// Matrix-sense angle of an orientation code (degrees) and back.
int angle_of_code(int code) {
    static const int angles[8] = {0, 90, 180, 270, 45, 135, 225, 315};
    return angles[code & TEXT_ROT_MASK];
}

int code_of_angle(int angle) {
    angle = ((angle % 360) + 360) % 360;
    for (int code = 0; code < 8; ++code)
        if (angle_of_code(code) == angle) return code;
    return 0;
}

// The degrees of a number of quarter turns.
int quarter_to_degrees(int quarters) { return 90 * (quarters & 3); }

void text_follows(LibEdit* ed, Text* text, int angle) {
    text->flags = static_cast<uint8_t>((text->flags & ~TEXT_ROT_MASK) | code_of_angle(angle));
    if (text->font >= 10)
        if (List** fonts = libedit_font_table(ed)) {
            text->font =
                ed->host->font_at_escapement(fonts, text->font, orient_to_angle(text->flags));
        }
    layout_Text(text);
}

// A text whose position the turn about the centre has moved takes the
// orientation turned by the degrees.
void text_rotate_about(LibEdit* ed, Text* text, int degrees) {
    text_follows(ed, text, angle_of_code(text->flags) + degrees);
}

// What a command does to one graphic item or text, about the centre or by the delta.
void libedit_apply_to_item(LibEdit* ed, int command, SchItem* item, Point centre, Point delta) {
    Matrix m;
    matrix_identity(&m);
    switch (command) {
        case CMD_ROTATE_90:
        case CMD_ROTATE_180:
        case CMD_ROTATE_270:
        case CMD_MIRROR_X:
        case CMD_MIRROR_Y: {
            const int quarter = command - CMD_ROTATE_90 + 1;
            matrix_translate(&m, -centre.x, -centre.y);
            if (command <= CMD_ROTATE_270)
                matrix_rotate(&m, quarter);
            else
                matrix_mirror(&m, command == CMD_MIRROR_X ? 1 : 0);
            matrix_translate(&m, centre.x, centre.y);
            matrix_SchItem(item, &m);
            if (item->type != TEXT_ITEM) return;
            Text* text = as_Text(item);
            if (command <= CMD_ROTATE_270) {
                text_rotate_about(ed, text, quarter_to_degrees(quarter));
            } else {
                text->flags ^= command == CMD_MIRROR_X ? MX : MY;
                text_follows(ed, text, -angle_of_code(text->flags));
            }
            return;
        }
        default:
            matrix_translate(&m, delta.x, delta.y);
            matrix_SchItem(item, &m);
            if (item->type == TEXT_ITEM) layout_Text(as_Text(item));
            return;
    }
}

// The command on every marked item of a list: cut takes them out (and
// frees them), copy appends copies (to `copies_to`, or by the flag byte in
// a template), the others change them in place.
void apply_to_list(LibEdit* ed, const EditTool* tool, List* list, List* copies_to, List* controls,
                   Point centre, Point delta) {
    Schema* schema = libedit_schema(ed);
    std::vector<SchItem*> marked;
    for (SchItem* item : list_items<SchItem>(list))
        if (item->state & LIBEDIT_PICKED) marked.push_back(item);
    for (SchItem* item : marked) {
        item->state &= ~PICK_BITS;
        switch (tool->command) {
            case CMD_CUT:
                dlist_remove(list, list_find_node(list, item), nullptr);
                free_SchItem(schema, item, false);
                break;
            case CMD_COPY: {
                SchItem* copy = copy_SchItem(schema, item);
                if (!copy) no_memory();
                libedit_apply_to_item(ed, CMD_MOVE, copy, centre, delta);
                const bool control = copy->type == TEXT_ITEM && (copy->flags & TBLOCK) == TBLOCK;
                append_or_die(controls && control ? controls : copies_to, copy);
                break;
            }
            default: libedit_apply_to_item(ed, tool->command, item, centre, delta); break;
        }
    }
}

void libedit_apply_command(EditSession* session, EditTool* tool) {
    LibEdit* ed = libedit_of(session);
    LibEditTransaction edit(ed, LibEditTransaction::TAKEN);
    Schema* schema = session->schema;
    Point centre{0, 0};
    Rect extent;
    if (is_turn(tool->command) && selection_extent(session, tool, &extent))
        centre = Point{static_cast<int32_t>(extent.x + extent.w / 2),
                       static_cast<int32_t>(extent.y + extent.h / 2)};
    const Point delta{world_add(tool->pointer.x, -int64_t{tool->reference.x}),
                      world_add(tool->pointer.y, -int64_t{tool->reference.y})};
    // Items a cut frees leave the tool's list first; carriers stay to be freed.
    for (DListNode* node : dlist_nodes(tool->items))
        if (!is_carrier(static_cast<SchItem*>(node->data)))
            dlist_remove(tool->items, node, nullptr);
    if (!tool->in_part) {
        List*& graphics = schema->titleblock.drawing;
        List*& controls = schema->titleblock.fields;
        if (!graphics) graphics = new_list_or_die();
        if (!controls) controls = new_list_or_die();
        apply_to_list(ed, tool, graphics, graphics, controls, centre, delta);
        apply_to_list(ed, tool, controls, graphics, controls, centre, delta);
    } else {
        Part* part = placed_part(ed, tool->placed);
        if (!part) {
            edit.abandon();
            return;
        }
        const bool converted = converted_form(tool->placed);
        Vectors*& set = converted ? part->convert : part->normal;
        if (Vectors* before = set) {
            List* items = part_body_items(ed, converted);
            // A body another part shares became the part's own: the shared one loses the marks.
            if (set != before)
                for (SchItem* item : list_items<SchItem>(before->items)) item->state &= ~PICK_BITS;
            apply_to_list(ed, tool, items, items, nullptr, centre, delta);
            if (set->items->count == 0 && tool->command == CMD_CUT) {
                unref_Vectors(set);
                set = nullptr;
            }
        }
        PinList*& pins = converted ? part->convert_pins : part->normal_pins;
        bool pins_changed = false;
        if (pins) {
            std::vector<Pin*> marked;
            for (Pin* pin : list_items<Pin>(pins->pins))
                if (pin->state & LIBEDIT_PICKED) marked.push_back(pin);
            Matrix shift;
            matrix_identity(&shift);
            matrix_translate(&shift, delta.x, delta.y);
            for (Pin* pin : marked) {
                pin->state &= ~PICK_BITS;
                pins_changed = true;
                if (tool->command == CMD_CUT) {
                    dlist_remove(pins->pins, list_find_node(pins->pins, pin), nullptr);
                    free_Pin(pin);
                    continue;
                }
                Pin* target = pin;
                if (tool->command == CMD_COPY) {
                    target = copy_Pin(pin, part->devices);
                    if (!target) no_memory();
                    append_or_die(pins->pins, target);
                }
                matrix_Pin(target, &shift);
                free_Vectors(target->drawing);
                target->drawing = nullptr;
            }
            if (pins->pins->count == 0) {
                free_PinList(pins);
                pins = nullptr;
            }
        }
        // The power symbols of every device follow the power pins.
        if (pins_changed)
            for (SchItem* item : list_items<SchItem>(libedit_items(ed)))
                if (item->type == PARTLIB_ITEM) pl_make_power_list(schema, as_PlacedPart(item));
    }
}

}  // namespace

namespace {

void libedit_edit_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_mode_name(session, "Libedit Edit");
    set_prompt(session, "Click Edit point");
}

void libedit_edit_exit(EditSession* session, ModeInstance* instance) {
    EditTool* tool = edit_tool(instance);
    if (tool->state == 2 && blinks(tool->command))
        if (LibEdit* ed = libedit_of(session)) ed->host->blink(false);
    libedit_edit_clear(session, tool);
    if (tool->items) dlist_free(tool->items, LIST_FROM_HEAD, nullptr);
    tool->items = nullptr;
    if (session->schema) view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

// The selection is done with: the tool ends when it was given an area,
// else it waits for the next click.
void selection_done(EditSession* session, EditTool* tool) {
    tool->state = 1;
    libedit_edit_clear(session, tool);
    if (tool->area)
        PopMode(session);
    else
        view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

// A click on an item or a pin picks it; true when the drag or blinking began.
bool pick_at(EditSession* session, ModeInstance* instance, Point p) {
    EditTool* tool = edit_tool(instance);
    LibEdit* ed = libedit_of(session);
    PlacedPart* placed = nullptr;
    void* hit = nullptr;
    const int code = libedit_hit_test(ed, tool->in_part, &placed, &hit, p);
    if (code == 127) {
        session->host->bell();
        return false;
    }
    if (code == 0) {
        if (is_turn(tool->command)) {
            session->host->bell();
            error_box(nullptr, "Error", MB_ICON_STOP, 50007);
            return false;
        }
        static_cast<Pin*>(hit)->state |= LIBEDIT_PICKED;
        PlacedPart* carrier = part_with_flagged_pins(ed, placed);
        if (!carrier) return false;
        append_or_die(tool->items, carrier);
    } else {
        SchItem* item = static_cast<SchItem*>(hit);
        item->state |= LIBEDIT_PICKED;
        append_or_die(tool->items, item);
    }
    tool->placed = placed;
    if (libedit_begin_drag(session, instance, &p)) return true;
    libedit_edit_clear(session, tool);
    return false;
}

// The items inside the selection area are taken: rotate and mirror act at
// once (never on pins) and the tool ends; cut, copy and move drag them.
// False when the tool ended.
bool libedit_take_area(EditSession* session, ModeInstance* instance) {
    EditTool* tool = edit_tool(instance);
    tool->area = 1;
    if (!libedit_select_area(session, tool)) {
        PopMode(session);
        return false;
    }
    libedit_collect_flagged(session, tool);
    if (!tool->items->count) {
        session->host->bell();
        PopMode(session);
        return false;
    }
    if (is_turn(tool->command)) {
        if (has_carrier(tool)) {
            session->host->bell();
            error_box(nullptr, "Error", MB_ICON_STOP, 50007);
        } else {
            libedit_apply_command(session, tool);
        }
        PopMode(session);
        return false;
    }
    if (libedit_begin_drag(session, instance, nullptr)) return true;
    PopMode(session);
    return false;
}

// The confirming click: the blinking or the ghost goes, the command acts.
void libedit_finish_command(EditSession* session, ModeInstance* instance) {
    EditTool* tool = edit_tool(instance);
    if (blinks(tool->command))
        libedit_edit_blink(session, instance, false);
    else
        ghost_erase(session, instance);
    libedit_apply_command(session, tool);
}

int libedit_edit_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    EditTool* tool = edit_tool(instance);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            if (tool->state == 2 && !blinks(tool->command)) {
                ghost_erase(session, instance);
                tool->pointer = p;
                ghost_draw(session, instance);
            } else {
                tool->pointer = p;
            }
            return 1;
        case EV_LEFT_UP:
            if (tool->state == 1) {
                tool->pointer = p;
                pick_at(session, instance, p);
                return 1;
            }
            tool->pointer = p;
            libedit_finish_command(session, instance);
            selection_done(session, tool);
            return 1;
        case EV_RIGHT_UP:
            if (tool->state == 1) {
                PopMode(session);
                return 1;
            }
            if (blinks(tool->command))
                libedit_edit_blink(session, instance, false);
            else
                ghost_erase(session, instance);
            selection_done(session, tool);
            return 1;
        default: return 0;
    }
}

}  // namespace

const ToolMode libedit_edit_mode{
    "Libedit Edit",           sizeof(EditTool),         libedit_edit_enter,
    libedit_edit_exit,        libedit_tool_suspend,     libedit_tool_resume,
    libedit_edit_event,       libedit_edit_ghost_paint, libedit_edit_ghost_paint,
    libedit_edit_ghost_paint, libedit_position_keys,    2};

int libedit_edit_command(int id) {
    switch (id) {
        case TEMPLATE_EDIT_CUT: return CMD_CUT;
        case TEMPLATE_EDIT_COPY: return CMD_COPY;
        case TEMPLATE_EDIT_MOVE: return CMD_MOVE;
        case TEMPLATE_EDIT_MIRROR_X: return CMD_MIRROR_X;
        case TEMPLATE_EDIT_MIRROR_Y: return CMD_MIRROR_Y;
        case TEMPLATE_EDIT_ROTATE_90: return CMD_ROTATE_90;
        case TEMPLATE_EDIT_ROTATE_180: return CMD_ROTATE_180;
        case TEMPLATE_EDIT_ROTATE_270: return CMD_ROTATE_270;
        default: return id;
    }
}

ModeInstance* start_libedit_edit_mode(EditSession* session, bool in_part, int command) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (in_part && !libedit_first_placed(ed)) return nullptr;
    PopModesOf(session, &libedit_edit_mode);
    Schema* schema = session->schema;
    // The undo copy is of the document before the command changes it.
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &libedit_edit_mode);
    EditTool* tool = edit_tool(instance);
    tool->command = libedit_edit_command(command);
    tool->in_part = in_part ? 1 : 0;
    tool->items = new_list_or_die();
    tool->state = 1;
    {
        FlagOpScope clear(PICK_BITS, FLAGOP_CLEAR);
        if (in_part) {
            flag_Schema(schema);
        } else {
            flag_SchItem_list(schema->titleblock.drawing);
            flag_SchItem_list(schema->titleblock.fields);
        }
    }
    if (!view_has_select_area(&schema->view)) return instance;
    return libedit_take_area(session, instance) ? instance : nullptr;
}

void libedit_blink_tick(EditSession* session) {
    ModeInstance* instance = session ? FindMode(session, &libedit_edit_mode) : nullptr;
    if (!instance) return;
    EditTool* tool = edit_tool(instance);
    if (tool->state != 2 || !blinks(tool->command)) return;
    services().debug_write("Timer event\n");
    if (instance->ghost_shown)
        ghost_erase(session, instance);
    else
        ghost_draw(session, instance);
}

bool libedit_edit_selection(LibEdit* ed, Point p) {
    EditSession* session = ed->session;
    if (!session || !libedit_schema(ed)) return false;
    PlacedPart* placed = nullptr;
    void* hit = nullptr;
    const bool in_part = session->kind == CANVAS_LIBRARY;
    const int code = libedit_hit_test(ed, in_part, &placed, &hit, p);
    if (code == 0) {
        ed->host->edit_pin(placed, static_cast<Pin*>(hit));
        return true;
    }
    if (code == TEXT_ITEM) {
        libedit_show_item_dialog(ed, static_cast<SchItem*>(hit));
        return true;
    }
    if (!in_part) return false;
    // The texts of the placed parts: the name opens Part Names, the reference its prefix.
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* part = as_PlacedPart(item);
        if (distance_Attribute(&part->value, p, 0, LIBEDIT_HIT, 0) < LIBEDIT_HIT) {
            ed->host->command(LIBEDIT_CMD_NAMES);
            return true;
        }
        if (distance_Attribute(&part->reference, p, 0, LIBEDIT_HIT, 0) < LIBEDIT_HIT) {
            ed->host->command(LIBEDIT_CMD_REFERENCE);
            return true;
        }
    }
    return false;
}
