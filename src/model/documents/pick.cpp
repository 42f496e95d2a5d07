// Picking items on a schema: the queries of the sheet, title-block and
// library editors about what lies under a point.
//
// Precedence: collect every item within the pick distance, then reduce the
// result to an image if one was picked, else to a text. A placed part is
// picked by the attribute text under the point before its body; a sub-sheet
// box by the port under the point before its outline. What is not a record
// of its own is picked as a link record (PseudoPin with a PP_LINK_* role),
// made temporary (state 0x0400) so that reduce_picks can tell it from the
// temporaries that go with it (the attribute's leader line).
#include "model/documents/pick.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/edit_state.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/record_kit.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/documents/titleblock.h"
#include "model/items/item_ops.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

constexpr double NO_CANDIDATE = 2e10;  // a sub-sheet box's ports before the first

Library* own_library(Schema* schema) { return schema ? schema->library : nullptr; }

List* sheet_items(Schema* schema) {
    return schema && schema->sheet ? schema->sheet->items : nullptr;
}

bool list_empty(const List* list) { return !list || list->count == 0; }

// A link record standing for what is not a record of its own.
PseudoPin* new_link(uint8_t role, SchItem* whoami, SchItem* father, int32_t index) {
    PseudoPin* link = new_PseudoPin();
    if (!link) no_memory();
    link->role = role;
    link->whoami = whoami;
    link->father = father;
    link->index = index;
    link->state |= STATE_TEMPORARY;
    if (whoami) anchor_SchItem(whoami, &link->pos);
    return link;
}

// The body of the form a placed part uses; null for a missing part or body.
Vectors* form_body(Part* part, const PlacedPart* pl) {
    if (!part) return nullptr;
    return (pl->flags & PL_CONVERT) ? part->convert : part->normal;
}

PinList* form_pins(Part* part, const PlacedPart* pl) {
    if (!part) return nullptr;
    return (pl->flags & PL_CONVERT) ? part->convert_pins : part->normal_pins;
}

bool titleblock_has_items(const Schema* schema) {
    return !list_empty(schema->titleblock.fields) || !list_empty(schema->titleblock.drawing);
}

// The title block's rectangle holds the point (an empty title block has none).
bool in_titleblock(const Schema* schema, Point p) {
    return titleblock_has_items(schema) && rect_contains_point(schema->titleblock.bounds, p);
}

void append_titleblock(Schema* schema, List** result) {
    if (!*result) *result = new_list_or_die();
    append_or_die(*result, &schema->titleblock);
}

// p moved by sign x origin, kept within the coordinate range.
Point shifted(Point p, Point origin, int sign) {
    auto one = [sign](int32_t a, int32_t b) {
        return static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{a} + sign * int64_t{b}, INT32_MIN, INT32_MAX));
    };
    return Point{one(p.x, origin.x), one(p.y, origin.y)};
}
Point relative(Point p, Point origin) { return shifted(p, origin, -1); }
Point absolute(Point p, Point origin) { return shifted(p, origin, 1); }

// The distance of a port of a sub-sheet box at a box-relative point: its
// symbol with its name, as the box shows it.
double subsheet_port_distance(Schema* schema, Port* port, Point q, uint32_t hit_bit) {
    Rect r;
    if (!bounds_SubSheetPort(schema, port, &r, false)) return FAR_AWAY;
    double d = docs_kit::outline_distance(q, r, 0);
    if (d <= 0) port->state |= hit_bit;
    return d;
}

// The sub-sheet port under the point, as a link record.
bool pick_subsheet_port(Schema* schema, SubSheet* box, Point p, uint32_t mark_bit, List* result) {
    Point q = relative(p, box->pos);
    for (Port* port : list_items<Port>(box->ports)) {
        if (subsheet_port_distance(schema, port, q, mark_bit) >= PICK_DISTANCE) continue;
        PseudoPin* link = new_link(PP_LINK_SUBSHEET_PORT, port, box, 0);
        link->pos = absolute(port->pos, box->pos);
        append_or_die(result, link);
        return true;
    }
    return false;
}

// Removes the node and gives up its entry.
void drop_entry(Schema* schema, List* list, DListNode* node) {
    SchItem* item = static_cast<SchItem*>(node->data);
    dlist_remove(list, node, nullptr);
    release_picked_entry(schema, item);
}

bool is_link_to(const SchItem* item, int code) {
    if (item->type != PSEUDO_PIN) return false;
    const PseudoPin* link = as_PseudoPin(item);
    return pp_is_link(link) && link->whoami && link->whoami->type == code;
}

// The text reduction of reduce_picks when no plain text was picked: an
// attribute text, or a text inside the picked pieces of a part.
bool reduce_to_linked_text(Schema* schema, List* list) {
    bool any = false;
    for (SchItem* item : list_items<SchItem>(list))
        any = any || is_link_to(item, PARTLIB_ITEM) || is_link_to(item, TEXT_ITEM);
    if (!any) return false;
    for (DListNode* node : dlist_nodes(list)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        if (is_link_to(item, PARTLIB_ITEM)) {
            PlacedPart* pieces = as_PlacedPart(as_PseudoPin(item)->whoami);
            Vectors* body = form_body(pieces->part, pieces);
            return body && reduce_picks(schema, &body->items, TEXT_ITEM);
        }
        if (is_link_to(item, TEXT_ITEM)) break;
        if (item->type == PSEUDO_PIN || (item->state & STATE_TEMPORARY)) {
            drop_entry(schema, list, node);
        } else {
            // A record of the document: only taken out of the result.
            dlist_remove(list, node, nullptr);
        }
    }
    bool kept = false;
    for (DListNode* node : dlist_nodes(list)) {
        SchItem* item = static_cast<SchItem*>(node->data);
        if (!kept && (item->state & STATE_TEMPORARY)) {
            kept = true;
            continue;
        }
        drop_entry(schema, list, node);
    }
    return true;
}

// The graphics of the placed part's body under a part-relative point.
void collect_part_graphics(Schema* schema, PlacedPart* pl, Point q, uint32_t mark_bit,
                           List** graphics) {
    Vectors* body = form_body(pl_get_part(own_library(schema), pl), pl);
    if (body) collect_items_at(schema, body->items, q, graphics, mark_bit, true);
}

// The pins a library-editor pick looks at: the placed part's own pins, else
// those of its body.
PinList* pickable_pins(Schema* schema, PlacedPart* pl) {
    Part* part = pl_get_part(own_library(schema), pl);
    if (PinList* own = pl_own_pins(pl, part)) return own;
    return form_pins(part, pl);
}

void release_vectors(Vectors** slot) {
    if (*slot) unref_Vectors(*slot);
    *slot = nullptr;
}

Vectors* new_held_vectors() {
    Vectors* set = new_Vectors();
    if (!set) no_memory();
    ref_Vectors(set);
    return set;
}

PinList* new_pinlist_or_die() {
    PinList* pins = new_PinList();
    if (!pins) no_memory();
    return pins;
}

}  // namespace

// --- nearest item -------------------------------------------------------------------------

double schema_find_nearest(Schema* schema, Point p, SchItem** out, uint32_t mask, double tolerance,
                           uint32_t hit_bit) {
    *out = nullptr;
    if (in_titleblock(schema, p)) {
        *out = &schema->titleblock;
        return 0;
    }
    SchItem* sheet_item = nullptr;
    SchItem* port = nullptr;
    double ds =
        nearest_SchItem(schema, sheet_items(schema), p, &sheet_item, mask, tolerance, hit_bit);
    double dp = nearest_SchItem(schema, schema->ports, p, &port, mask, tolerance, hit_bit);
    double d = dp <= ds ? dp : ds;
    *out = dp <= ds ? port : sheet_item;
    if (*out && d < tolerance) schema->state |= hit_bit;
    return *out ? d : FAR_AWAY;
}

namespace {

// --- the picking table ----------------------------------------------------------------------------
// Beside the operations table: per item code, how a pick collects a record
// (`pick`: appends it, or the part of it under the point, within the pick
// distance) and where a wire drawn near it snaps (`snap`: the distance to
// its nearest connection point, which goes to *at). Codes without a `pick`
// are never picked: nested sheets, net identifiers, links, title blocks.

bool picked_within(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result,
                   double tolerance) {
    if (distance_SchItem(schema, item, p, 0, tolerance, mark_bit) >= PICK_DISTANCE) return false;
    append_or_die(result, item);
    return true;
}

bool pick_near(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    return picked_within(schema, item, p, mark_bit, result, PICK_DISTANCE);
}

// A junction's distance is measured without tolerance: only the dot counts.
bool pick_junction(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    return picked_within(schema, item, p, mark_bit, result, 0);
}

// What the drawing of the item covers holds the point: a label is picked
// by its name as well as by its symbol, as the user sees them together.
// (Without a drawing layer nothing is measured.)
bool drawn_at(Schema* schema, SchItem* item, Point p) {
    Rect drawn;
    return services().item_draw_bounds(schema, item, &drawn) && rect_contains_point(drawn, p);
}

// A power symbol, module port or net-property label under the point, its
// name included.
bool pick_labelled(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    if (pick_near(schema, item, p, mark_bit, result)) return true;
    if (!drawn_at(schema, item, p)) return false;
    item->state |= mark_bit;
    append_or_die(result, item);
    return true;
}

// The attribute text under the point before the part's body.
bool pick_placed_part(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    List* found = result;
    if (pick_attributes(schema, as_PlacedPart(item), p, mark_bit, &found, true)) return true;
    return pick_near(schema, item, p, mark_bit, result);
}

// The port under the point, and the box itself (its names included).
bool pick_subsheet(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    bool added = pick_subsheet_port(schema, as_SubSheet(item), p, mark_bit, result);
    return pick_labelled(schema, item, p, mark_bit, result) || added;
}

double snap_at_pos(Schema* schema, SchItem* item, Point p, Point* at) {
    *at = item->pos;
    return distance_SchItem(schema, item, p, 0, 0, 0);
}

// Pins are searched in the part's own coordinates, so a rotated, mirrored
// or scaled part snaps to its drawn pin ends.
double snap_placed_part(Schema* schema, SchItem* item, Point p, Point* at) {
    PlacedPart* pl = as_PlacedPart(item);
    Matrix to_sheet, to_part;
    pl_matrix(pl, &to_sheet, &to_part);
    Point q, end;
    matrix_apply(&to_part, p, &q);
    double d = FAR_AWAY;
    if (!nearest_part_pin(form_pins(pl_get_part(own_library(schema), pl), pl), q, Point{}, &end,
                          &d))
        return FAR_AWAY;
    matrix_apply(&to_sheet, end, at);
    return d * pl_get_scale(pl);
}

double snap_subsheet(Schema*, SchItem* item, Point p, Point* at) {
    SubSheet* box = as_SubSheet(item);
    double best = NO_CANDIDATE;
    *at = Point{};
    for (Port* port : list_items<Port>(box->ports)) {
        Point end = absolute(port->pos, box->pos);
        double d = std::hypot(static_cast<double>(p.x) - end.x, static_cast<double>(p.y) - end.y);
        if (d < best) {
            best = d;
            *at = end;
        }
    }
    return best;
}

struct PickRow {
    bool (*pick)(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) = nullptr;
    double (*snap)(Schema* schema, SchItem* item, Point p, Point* at) = nullptr;
};

constexpr ItemTable<PickRow> build_pick_table() {
    ItemTable<PickRow> table{};
    for (int code : {FILL_ITEM, CIRCLE_ITEM, BOITE_ITEM, LINE_ITEM, ARC_ITEM, TEXT_ITEM, POLY_ITEM,
                     NOCON_ITEM, ERC_ITEM, IMAGE_ITEM})
        table[code].pick = pick_near;
    table[PORT_ITEM].pick = pick_labelled;
    table[NETPROP_ITEM].pick = pick_labelled;
    table[JUNCTION_ITEM] = {pick_junction, snap_at_pos};
    table[POWER_ITEM] = {pick_labelled, snap_at_pos};
    table[PARTLIB_ITEM] = {pick_placed_part, snap_placed_part};
    table[SUBSHEET_ITEM] = {pick_subsheet, snap_subsheet};
    return table;
}

constinit const ItemTable<PickRow> PICK_OPS = build_pick_table();

}  // namespace

bool item_is_pickable(int code) { return item_row(PICK_OPS, code).pick != nullptr; }

// --- collecting -----------------------------------------------------------------------------

bool pick_SchItem(Schema* schema, SchItem* item, Point p, uint32_t mark_bit, List* result) {
    auto pick = item_row(PICK_OPS, item->type).pick;
    return pick && pick(schema, item, p, mark_bit, result);
}
bool collect_items_at(Schema* schema, List* items, Point p, List** result, uint32_t mark_bit,
                      bool all_types) {
    if (!*result) *result = new_list_or_die();
    uint32_t before = (*result)->count;
    for (SchItem* item : list_items<SchItem>(items)) {
        if (!all_types && item->type != TEXT_ITEM && item->type != IMAGE_ITEM) continue;
        pick_SchItem(schema, item, p, mark_bit, *result);
    }
    bool added = (*result)->count > before;
    if ((*result)->count == 0) {
        dlist_free(*result, LIST_FROM_HEAD, nullptr);
        *result = nullptr;
    }
    return added;
}

bool reduce_picks(Schema* schema, List** result, int code) {
    List* list = *result;
    if (list_empty(list)) return false;
    if (DListNode* keep = list_find_by_type(list, code)) {
        for (DListNode* node : dlist_nodes(list))
            if (node != keep) drop_entry(schema, list, node);
        return true;
    }
    if (code != TEXT_ITEM) return false;
    return reduce_to_linked_text(schema, list);
}

// --- the editors' queries ---------------------------------------------------------------------

bool schema_select_at(Schema* schema, Point p, List** result, uint32_t mark_bit) {
    collect_items_at(schema, sheet_items(schema), p, result, mark_bit, true);
    if (reduce_picks(schema, result, IMAGE_ITEM) || reduce_picks(schema, result, TEXT_ITEM))
        return true;
    TitleBlock& block = schema->titleblock;
    if (!list_empty(block.drawing)) {
        bool a = collect_items_at(schema, block.fields, p, result, mark_bit, false);
        if (reduce_picks(schema, result, TEXT_ITEM)) return true;
        bool b = collect_items_at(schema, block.drawing, p, result, mark_bit, false);
        if (reduce_picks(schema, result, IMAGE_ITEM) || reduce_picks(schema, result, TEXT_ITEM))
            return true;
        if (!a && !b && in_titleblock(schema, p)) append_titleblock(schema, result);
    }
    collect_items_at(schema, schema->ports, p, result, mark_bit, true);
    return !list_empty(*result);
}

bool titleblock_select_at(Schema* schema, Point p, List** result, uint32_t mark_bit) {
    TitleBlock& block = schema->titleblock;
    if (!block.drawing) return false;
    bool a = collect_items_at(schema, block.fields, p, result, mark_bit, true);
    if (reduce_picks(schema, result, TEXT_ITEM)) return true;
    bool b = collect_items_at(schema, block.drawing, p, result, mark_bit, true);
    if (reduce_picks(schema, result, IMAGE_ITEM) || reduce_picks(schema, result, TEXT_ITEM))
        return true;
    if (a || b) return true;
    if (!in_titleblock(schema, p)) return false;
    append_titleblock(schema, result);
    return true;
}

bool pick_part_pieces_at(Schema* schema, Point p, List** result, uint32_t mark_bit) {
    *result = nullptr;
    List* items = sheet_items(schema);
    if (list_empty(items)) return false;
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type != BOITE_ITEM || (item->flags & DRAW)) continue;
        if (distance_SchItem(schema, item, p, 0, PICK_DISTANCE, mark_bit) >= PICK_DISTANCE)
            continue;
        *result = new_list_or_die();
        append_or_die(*result, new_link(PP_LINK_RECT, item, nullptr, 0));
        return true;
    }
    PlacedPart* hit = nullptr;
    List* graphics = nullptr;
    List* pins = nullptr;
    for (SchItem* item : list_items<SchItem>(items)) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* pl = as_PlacedPart(item);
        if (pick_attributes(schema, pl, p, mark_bit, result, false)) return true;
        Point q = relative(p, pl->pos);
        collect_part_graphics(schema, pl, q, mark_bit, &graphics);
        if (!reduce_picks(schema, &graphics, TEXT_ITEM))
            pick_pins_at(pickable_pins(schema, pl), q, &pins, mark_bit);
        if (!list_empty(graphics) || !list_empty(pins)) {
            hit = pl;
            break;
        }
        if (pins) dlist_free(pins, LIST_FROM_HEAD, nullptr);
        pins = nullptr;
    }
    if (!hit) return false;
    *result = new_list_or_die();
    append_or_die(*result, new_pieces_link(schema, hit, &graphics, &pins));
    return true;
}

PseudoPin* new_pieces_link(Schema* schema, PlacedPart* hit, List** graphics, List** pins) {
    PlacedPart* pieces = new_PlacedPart();
    if (!pieces) no_memory();
    pieces->pos = hit->pos;
    pieces->flags = hit->flags;
    pieces->device = hit->device;
    pieces->part_name = hit->part_name;
    pieces->scale = hit->scale;
    pieces->time_stamp = hit->time_stamp;
    pieces->part = dup_Part_with(schema, hit, graphics, pins);
    pl_attr_flags(pieces, true, 0x7F);
    return new_link(PP_LINK_PART_PIECES, pieces, hit, 0);
}

// --- pieces of the edited part ------------------------------------------------------------------

Part* dup_Part_with(Schema* schema, PlacedPart* pl, List** graphics, List** pins) {
    Part* source = pl_get_part(own_library(schema), pl);
    Part* part = nullptr;
    if (source) {
        part = dup_Part(source);
        release_vectors(&part->normal);
        release_vectors(&part->convert);
        free_PinList(part->normal_pins, part->devices);
        free_PinList(part->convert_pins, part->devices);
        part->normal_pins = part->convert_pins = nullptr;
    } else {
        // The entry is missing: the pieces go into an empty part.
        part = new_Part();
        if (!part) no_memory();
        ref_Part(part);
    }
    part->normal = new_held_vectors();
    part->convert = new_held_vectors();

    PinList* given = new_pinlist_or_die();
    if (pins && *pins) {
        for (Pin* pin : list_items<Pin>(*pins)) {
            free_Vectors(pin->drawing);
            pin->drawing = nullptr;
        }
        dlist_concat(given->pins, *pins, nullptr);
        dlist_free(*pins, LIST_FROM_HEAD, nullptr);
        *pins = nullptr;
    }
    bool convert = (pl->flags & PL_CONVERT) != 0;
    (convert ? part->convert_pins : part->normal_pins) = given;
    (convert ? part->normal_pins : part->convert_pins) = new_pinlist_or_die();

    if (graphics && *graphics) {
        Vectors* body = convert ? part->convert : part->normal;
        dlist_concat(body->items, *graphics, nullptr);
        dlist_free(*graphics, LIST_FROM_HEAD, nullptr);
        *graphics = nullptr;
    }
    return part;
}

bool pick_pins_at(PinList* pins, Point p, List** result, uint32_t mark_bit) {
    if (!pins) return false;
    bool added = false;
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        if (distance_Pin(pin, p, 0, PICK_DISTANCE, mark_bit) >= PICK_DISTANCE) continue;
        if (!*result) *result = new_list_or_die();
        append_or_die(*result, pin);
        added = true;
    }
    return added;
}

// --- attributes -----------------------------------------------------------------------------------

bool pick_attributes(Schema* schema, PlacedPart* pl, Point p, uint32_t mark_bit, List** result,
                     bool with_leader) {
    for (int i = 0;; ++i) {
        Attribute* attribute = pl_get_attribute(pl, i);
        if (!attribute || !(attribute->state & STATE_NEW)) return false;
        if (proper_get(VISIBLE_FIELDS, i) == 0 || !(attribute->flags & VIS)) continue;
        Text* text = attr_text_item(schema, pl, attribute, i);
        if (!text) no_memory();
        if (distance_Text(schema, text, p, 0, 0, mark_bit) >= PICK_DISTANCE) {
            free_Text(text, false);
            continue;
        }
        attribute->state &= ~STATE_NEW;
        if (!*result) *result = new_list_or_die();
        append_or_die(*result, new_link(PP_LINK_ATTRIBUTE, text, pl, i));
        if (with_leader)
            if (Line* leader = attribute_leader_line(schema, pl, i)) append_or_die(*result, leader);
        return true;
    }
}

Text* attr_text_item(Schema* schema, PlacedPart* pl, Attribute* attribute, int index) {
    Text* text = new_Text();
    if (!text) return nullptr;
    attr_text_fill(schema, pl, attribute, index, text);
    layout_Text(text);
    return text;
}

void attr_text_fill(Schema* schema, PlacedPart* pl, Attribute* attribute, int index, Text* text) {
    const int property = index == 0 ? FONT_PARTREF : index == 1 ? FONT_PARTVAL : FONT_USERFIELD;
    set_TextSize(&text->size, font_height(property));
    text->font = proper_get(property);
    text->flags = attribute->flags & 0x3F;
    text->pos = attribute->pos;
    text->string = attribute->text.get();
    if (index == 0 && text->string.find('?') == std::string::npos) {
        Part* part = pl_get_part(own_library(schema), pl);
        if (part && part->devices >= 2) text->string += static_cast<char>('A' + pl->device);
    }
    set_TextFonts(text, system_fonts);
}

// --- snapping ----------------------------------------------------------------------------------------

double item_connection_snap(Schema* schema, SchItem* item, Point p, Point* at) {
    if (item->type == PORT_ITEM) return snap_at_pos(schema, item, p, at);
    auto snap = item_row(PICK_OPS, item->type).snap;
    return snap ? snap(schema, item, p, at) : FAR_AWAY;
}

bool schema_nearest_connection(Schema* schema, Point p, Point* out) {
    double best = FAR_AWAY;
    bool found = false;
    Point at{};
    auto offer = [&](double d, Point candidate) {
        if (d >= best) return;
        best = d;
        at = candidate;
        found = true;
    };
    if (schema->ports) {
        SchItem* port = nullptr;
        double d = nearest_SchItem(schema, schema->ports, p, &port, 0, 0, 0);
        if (port) offer(d, port->pos);
    }
    for (SchItem* item : list_items<SchItem>(sheet_items(schema))) {
        if (item->type == PORT_ITEM) continue;
        Point candidate{};
        offer(item_connection_snap(schema, item, p, &candidate), candidate);
    }
    if (found) *out = at;
    return found;
}

bool nearest_part_pin(PinList* pins, Point p, Point origin, Point* out, double* distance) {
    if (!pins) return false;
    Point q = relative(p, origin);
    Pin* nearest = nullptr;
    double best = FAR_AWAY;
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        if (pin->type == PWR) continue;
        double d = distance_Pin(pin, q, 0, -1, 0);
        if (nearest && d >= best) continue;
        nearest = pin;
        best = d;
    }
    if (!nearest) return false;
    Point outer, inner;
    get_PinLine(nearest, &outer, &inner);
    *out = absolute(outer, origin);
    *distance = best;
    return true;
}
