// The sheet editor's per-kind table.
#include "editor/edit_kinds.h"

#include <string>

#include "editor/edit_ops.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/item_ops.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace {

// --- where wires attach -------------------------------------------------------------------------
void no_points(Schema*, SchItem*, std::vector<Point>*) {}

void point_at_pos(Schema*, SchItem* item, std::vector<Point>* out) { out->push_back(item->pos); }

void line_ends(Schema*, SchItem* item, std::vector<Point>* out) {
    out->push_back(as_Line(item)->pos);
    out->push_back(as_Line(item)->end);
}

// Where wires attach to the pins of the form the part shows: a pin's outer
// end, a power pin's own place (where the net builder joins it).
void pin_ends(Schema* schema, SchItem* item, std::vector<Point>* out) {
    std::vector<PinLine> lines;
    part_pin_lines(schema, as_PlacedPart(item), &lines);
    for (const PinLine& line : lines) out->push_back(line.tip);
}

void box_ports(Schema*, SchItem* item, std::vector<Point>* out) {
    for (SchItem* port : list_items<SchItem>(as_SubSheet(item)->ports))
        out->push_back(Point{item->pos.x + port->pos.x, item->pos.y + port->pos.y});
}

// --- generated drawings ---------------------------------------------------------------------
void no_outline(Schema*, SchItem*) {}
void power_outline(Schema* schema, SchItem* item) { power_build_symbol(schema, as_Power(item)); }
void port_outline(Schema* schema, SchItem* item) { port_build_symbol(schema, as_Port(item)); }
void box_outline(Schema* schema, SchItem* item) { subsheet_build_box(schema, as_SubSheet(item)); }
void netprop_outline(Schema* schema, SchItem* item) {
    netprop_build_symbol(schema, as_NetProp(item));
}

// --- names a repeat steps -----------------------------------------------------------------------
void no_label(SchItem*, int) {}

void step_name(ShortString* name, int step) {
    std::string text = name->get();
    label_increment(&text, step);
    sstr_set(name, text.c_str());
}
void power_label(SchItem* item, int step) { step_name(&as_Power(item)->name, step); }
void port_label(SchItem* item, int step) { step_name(&as_Port(item)->name, step); }
void netprop_label(SchItem* item, int step) { step_name(&as_NetProp(item)->name, step); }
void text_label(SchItem* item, int step) {
    Text* text = as_Text(item);
    label_increment(&text->string, step);
    free_Strokes(text->layout);
    text->layout = nullptr;
}

// --- what a selection box must enclose -----------------------------------------------------------
bool bounds_frame(Schema* schema, SchItem* item, Rect* out) {
    return bounds_SchItem(schema, item, out, false);
}

// A placed part's bounds keep room for the longest pin on every side that
// has pins: a box drawn round what the user sees of it, its body and the
// ends of its own pins, takes it.
bool part_frame(Schema* schema, SchItem* item, Rect* out) {
    bool top, left, right, bottom;
    if (!pl_body_sides(schema->library, as_PlacedPart(item), out, &top, &left, &right, &bottom))
        return bounds_frame(schema, item, out);
    // The drawn outer ends (a power pin's line too), placed.
    PlacedPart* pl = as_PlacedPart(item);
    PinList* pins = pl_pins_in_use(schema->library, pl);
    Matrix m;
    matrix_identity(&m);
    pl_matrix(pl, &m);
    for (Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
        Point outer, inner, end;
        get_PinLine(pin, &outer, &inner);
        matrix_apply(&m, outer, &end);
        rect_union(out, Rect{end.x, end.y, 0, 0});
    }
    return true;
}

struct EditRow {
    void (*connections)(Schema* schema, SchItem* item, std::vector<Point>* out) = nullptr;
    void (*outline)(Schema* schema, SchItem* item) = nullptr;
    void (*label)(SchItem* item, int step) = nullptr;
    bool (*frame)(Schema* schema, SchItem* item, Rect* out) = nullptr;
};

constexpr ItemTable<EditRow> build_edit_table() {
    ItemTable<EditRow> table{};
    for (int code : {FILL_ITEM, CIRCLE_ITEM, BOITE_ITEM, ARC_ITEM, POLY_ITEM, SHEET_ITEM, ERC_ITEM,
                     IMAGE_ITEM})
        table[code] = {no_points, no_outline, no_label, bounds_frame};
    table[LINE_ITEM] = {line_ends, no_outline, no_label, bounds_frame};
    table[TEXT_ITEM] = {no_points, no_outline, text_label, bounds_frame};
    table[JUNCTION_ITEM] = {point_at_pos, no_outline, no_label, bounds_frame};
    table[NOCON_ITEM] = {point_at_pos, no_outline, no_label, bounds_frame};
    table[PARTLIB_ITEM] = {pin_ends, no_outline, no_label, part_frame};
    table[POWER_ITEM] = {point_at_pos, power_outline, power_label, bounds_frame};
    table[PORT_ITEM] = {point_at_pos, port_outline, port_label, bounds_frame};
    table[SUBSHEET_ITEM] = {box_ports, box_outline, no_label, bounds_frame};
    table[NETPROP_ITEM] = {no_points, netprop_outline, netprop_label, bounds_frame};
    return table;
}

constinit const ItemTable<EditRow> EDIT_KINDS = build_edit_table();

const EditRow& edit_row(const SchItem* item) { return item_row(EDIT_KINDS, item->type); }

}  // namespace

void part_pin_lines(Schema* schema, PlacedPart* part, std::vector<PinLine>* out) {
    PinList* pins = pl_pins_in_use(schema->library, part);
    if (!pins) return;
    Matrix m;
    matrix_identity(&m);
    pl_matrix(part, &m);
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        PinLine line;
        line.power = pin->type == PWR;
        Point outer, inner;
        get_PinLine(pin, &outer, &inner);
        matrix_apply(&m, outer, &line.drawn);
        if (line.power) {
            matrix_apply(&m, pin->pos, &line.tip);
            line.inner = line.tip;
        } else {
            line.tip = line.drawn;
            matrix_apply(&m, inner, &line.inner);
        }
        out->push_back(line);
    }
}

void item_connection_points(Schema* schema, SchItem* item, std::vector<Point>* out) {
    if (auto connections = edit_row(item).connections) connections(schema, item, out);
}

bool item_rebuild_outline(Schema* schema, SchItem* item) {
    auto outline = edit_row(item).outline;
    if (!outline || outline == no_outline) return false;
    outline(schema, item);
    return true;
}

void item_step_label(SchItem* item, int step) {
    if (auto label = edit_row(item).label) label(item, step);
}

bool item_select_frame(Schema* schema, SchItem* item, Rect* out) {
    auto frame = edit_row(item).frame;
    return frame && frame(schema, item, out);
}

bool item_has_edit_row(int code) {
    const EditRow& row = item_row(EDIT_KINDS, code);
    return row.connections && row.outline && row.label && row.frame;
}
