// The data operations of the sheet editor's state that the document layer
// calls: the edit copy of a part, pick entries, the edit filter and two
// list look-ups.
#include "model/documents/edit_state.h"

#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/attribute.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/item_ops.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"

namespace {

// Releases a body set as a container: its items belong to someone else.
void release_borrowed_set(Vectors** slot) {
    Vectors* set = *slot;
    *slot = nullptr;
    if (!set) return;
    if (set->items) {
        dlist_free(set->items, LIST_FROM_HEAD, nullptr);
        set->items = nullptr;
    }
    set->refs = 0;
    free_Vectors(set, false);
}

// Releases a pin list as a container: its pins belong to someone else.
void release_borrowed_pins(PinList** slot) {
    PinList* pins = *slot;
    *slot = nullptr;
    if (!pins) return;
    if (pins->pins) {
        dlist_free(pins->pins, LIST_FROM_HEAD, nullptr);
        pins->pins = nullptr;
    }
    free_PinList(pins, 0);
}

// Takes apart the temporary placed part of picked pieces: its library part
// is an edit copy whose pieces belong to the part being edited.
void take_apart_pieces(Schema* schema, SchItem* item) {
    if (!item || item->type != PARTLIB_ITEM) return;
    PlacedPart* temporary = as_PlacedPart(item);
    edit_free_part_copy(temporary->part, true);
    temporary->part = nullptr;
    free_PlacedPart(schema, temporary, false);
}

void undo_link(Schema* schema, PseudoPin* link) {
    switch (link->role) {
        case PP_LINK_ATTRIBUTE: {
            free_SchItem(schema, link->whoami, false);
            link->whoami = nullptr;
            if (link->father && link->father->type == PARTLIB_ITEM) {
                Attribute* attribute = pl_get_attribute(as_PlacedPart(link->father), link->index);
                if (attribute) attribute->state = STATE_NEW;
            }
            break;
        }
        case PP_LINK_PART_PIECES:
            take_apart_pieces(schema, link->whoami);
            link->whoami = nullptr;
            break;
        case PP_LINK_SUBSHEET_PORT:
            if (link->whoami && link->whoami->type == TEXT_ITEM) {
                free_SchItem(schema, link->whoami, false);
                link->whoami = nullptr;
            } else if (link->whoami && link->whoami->type == PORT_ITEM) {
                link->whoami->state = STATE_NEW;
            }
            break;
        default: break;  // a rectangle link or a net member stands for nothing to undo
    }
}

bool is_wire_kind(const SchItem* item, uint8_t style) {
    return item->type == LINE_ITEM && (item->flags & STYLE_MASK) == style;
}

void mark_list(List* items, uint32_t filter, uint32_t mask) {
    for (SchItem* item : list_items<SchItem>(items)) {
        if (edit_filter_admits(filter, item)) item->state |= mask;
        if (item->type == SUBSHEET_ITEM &&
            (filter & (EDIT_FILTER_ALL | EDIT_FILTER_SHEET_NETS)) != 0)
            for (SchItem* port : list_items<SchItem>(as_SubSheet(item)->ports)) port->state |= mask;
    }
}

}  // namespace

void edit_free_part_copy(Part* part, bool release_part) {
    if (!part) return;
    release_borrowed_pins(&part->normal_pins);
    release_borrowed_pins(&part->convert_pins);
    release_borrowed_set(&part->normal);
    release_borrowed_set(&part->convert);
    if (release_part) unref_Part(part);
}

void release_picked_entry(Schema* schema, SchItem* item) {
    if (!item) return;
    item->state &= ~(STATE_SELECTED | STATE_BOTH_ENDS);
    item->state |= STATE_NEW;
    if (item->type == PSEUDO_PIN) {
        PseudoPin* link = as_PseudoPin(item);
        if (pp_is_link(link)) {
            undo_link(schema, link);
            free_SchItem(schema, item, false);
        }
        return;
    }
    if (item->state & STATE_TEMPORARY) free_SchItem(schema, item, false);
}

namespace {

// The edit filter's table, beside the operations table: per item code, the
// bit of EDIT_MODE that admits a record (wires, buses and drawn lines, and
// comments and labels, are told apart by their flags). Codes without a row
// are never admitted; ERC marks have a row that admits them only with
// EDIT_FILTER_ALL.
template <uint32_t BIT>
uint32_t bit_of(const SchItem*) {
    return BIT;
}

uint32_t line_bit(const SchItem* item) {
    if (is_wire_kind(item, BUS)) return EDIT_FILTER_BUSES;
    if (is_wire_kind(item, DRAW)) return EDIT_FILTER_DRAWINGS;
    return EDIT_FILTER_WIRES;
}

uint32_t text_bit(const SchItem* item) {
    return (item->flags & TEXT_TYPE_MASK) == LABEL ? EDIT_FILTER_LABELS : EDIT_FILTER_COMMENTS;
}

struct FilterRow {
    uint32_t (*bit)(const SchItem* item) = nullptr;
};

constexpr ItemTable<FilterRow> build_filter_table() {
    ItemTable<FilterRow> table{};
    table[PARTLIB_ITEM].bit = bit_of<EDIT_FILTER_PARTS>;
    table[PORT_ITEM].bit = bit_of<EDIT_FILTER_PORTS>;
    table[POWER_ITEM].bit = bit_of<EDIT_FILTER_POWERS>;
    table[LINE_ITEM].bit = line_bit;
    table[SUBSHEET_ITEM].bit = bit_of<EDIT_FILTER_SHEETS>;
    table[JUNCTION_ITEM].bit = bit_of<EDIT_FILTER_JUNCTIONS>;
    table[TEXT_ITEM].bit = text_bit;
    table[NETPROP_ITEM].bit = bit_of<EDIT_FILTER_LABELS>;
    table[NOCON_ITEM].bit = bit_of<EDIT_FILTER_NOCONS>;
    for (int code : {FILL_ITEM, CIRCLE_ITEM, BOITE_ITEM, ARC_ITEM, POLY_ITEM, IMAGE_ITEM})
        table[code].bit = bit_of<EDIT_FILTER_DRAWINGS>;
    table[ERC_ITEM].bit = bit_of<0>;
    return table;
}

constinit const ItemTable<FilterRow> FILTER_OPS = build_filter_table();

}  // namespace

bool edit_filter_has_row(int code) { return item_row(FILTER_OPS, code).bit != nullptr; }

bool edit_filter_admits(uint32_t filter, const SchItem* item) {
    if (filter & EDIT_FILTER_ALL) return true;
    auto bit = item_row(FILTER_OPS, item->type).bit;
    return bit && (filter & bit(item)) != 0;
}

void mark_edit_filter(Schema* schema, uint32_t mask) {
    if (!schema) return;
    uint32_t filter = static_cast<uint32_t>(proper_get(EDIT_MODE));
    if (schema->sheet) mark_list(schema->sheet->items, filter, mask);
    mark_list(schema->ports, filter, mask);
    if (filter & EDIT_FILTER_ALL) mark_list(schema->erc_list, filter, mask);
}

DListNode* list_find_by_type(List* items, int code) {
    for (DListNode* node : dlist_nodes(items))
        if (static_cast<SchItem*>(node->data)->type == code) return node;
    return nullptr;
}

DListNode* list_find_node(List* list, const void* item) {
    for (DListNode* node : dlist_nodes(list))
        if (node->data == item) return node;
    return nullptr;
}
