// The single-click add modes: junction, no-connect, power, port, sheet net,
// net property, part, sub-sheet and text. Each keeps the record it would
// place (its ghost) in its private record; the ghost follows the pointer,
// a left release places a copy, a right release or Esc ends the mode.
#include <cstring>

#include "editor/edit_ops.h"
#include "editor/edit_transaction.h"
#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/fonts.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"
#include "model/items/text.h"

namespace {

// The private record of every stamp mode. For "Add Part" the first word is
// the placed part made for placement and `box` the library part's box.
struct StampData {
    SchItem* ghost;      // owned: what a click places
    int32_t box[4];      // "Add Part": the library part's body rectangle
    uint8_t power_kind;  // "Add Power": 0 the dialog's Add, 1 the ground button
    bool convert;        // "Add Part": the converted body
    bool visible_power;  // "Add Part": power pins shown
};

// Per tool: how its ghost is made and refreshed from the properties, and
// what a click does with it (0 placed; an error code otherwise).
struct StampTool {
    SchItem* (*make)(EditSession* session);
    void (*reload)(EditSession* session, SchItem* ghost);
    int (*place)(EditSession* session, ModeInstance* instance, Point p);
    const char* prompt;
    bool once;  // the mode ends after one placement
};

StampData* stamp(ModeInstance* instance) { return mode_data<StampData>(instance); }
const StampTool* tool_of(const ModeInstance* instance) {
    return static_cast<const StampTool*>(instance->mode->tool);
}

void free_ghost(EditSession* session, StampData* data) {
    if (data->ghost) free_SchItem(session->schema, data->ghost, false);
    data->ghost = nullptr;
}

void move_to(SchItem* item, Point p) {
    Point anchor;
    anchor_SchItem(item, &anchor);
    if (anchor == p) return;
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, p.x - anchor.x, p.y - anchor.y);
    matrix_SchItem(item, &shift);
}

void xor_ghost(EditSession* session, ModeInstance* instance) {
    SchItem* ghost = stamp(instance)->ghost;
    if (!ghost) return;
    List one;
    DListNode node;
    node.data = ghost;
    one.count = 1;
    one.head = one.tail = &node;
    session->host->xor_items(&one);
}

// --- the shared slots ------------------------------------------------------------------------
void stamp_enter(EditSession* session, ModeInstance* instance) {
    const StampTool* tool = tool_of(instance);
    if (tool->make && !stamp(instance)->ghost) stamp(instance)->ghost = tool->make(session);
    if (stamp(instance)->ghost) move_to(stamp(instance)->ghost, session->pointer);
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, tool->prompt);
}

void stamp_exit(EditSession* session, ModeInstance* instance) {
    free_ghost(session, stamp(instance));
}

int stamp_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
        case EV_ENTER:
            if (!stamp(instance)->ghost) return 1;
            ghost_erase(session, instance);
            move_to(stamp(instance)->ghost, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEAVE: ghost_erase(session, instance); return 1;
        case EV_LEFT_UP: {
            if (!stamp(instance)->ghost) return 1;
            ghost_erase(session, instance);
            move_to(stamp(instance)->ghost, p);
            int result = tool_of(instance)->place(session, instance, p);
            if (result == 0 && tool_of(instance)->once) {
                PopMode(session);
                return 1;
            }
            ghost_draw(session, instance);
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

// A placement into a list, as one edit: the copy is the tail and becomes
// the repeat range.
SchItem* add_copy(EditSession* session, List* into, SchItem* ghost) {
    EditTransaction edit(session);
    list_add_item_copy(session->schema, into, ghost);
    SchItem* made = static_cast<SchItem*>(dlist_tail(into)->data);
    made->state &= ~STATE_SELECTED;
    edit.touch(made);
    canvas_set_repeat_range(session, made, made);
    return made;
}

List* sheet_items_of(EditSession* session) {
    Sheet* sheet = session->schema->current ? session->schema->current : session->schema->sheet;
    if (!sheet || !sheet->items) no_memory();
    return sheet->items;
}

int place_on_sheet(EditSession* session, ModeInstance* instance, Point) {
    add_copy(session, sheet_items_of(session), stamp(instance)->ghost);
    return 0;
}

void step_name(ShortString* name, int auto_property) {
    if (auto_property && !proper_get(auto_property)) return;
    std::string text = name->get();
    label_increment(&text, proper_get(RDELTA_L));
    sstr_set(name, text.c_str());
}

// --- junction and no-connect ---------------------------------------------------------------------
SchItem* make_junction(EditSession*) {
    Junction* dot = new_Junction();
    if (!dot) no_memory();
    dot->flags = static_cast<uint8_t>(proper_get(DEFAULT_JUNC_STYLE) & JUNCTION_SHAPE_MASK);
    dot->width = static_cast<int16_t>(proper_get(DEFAULT_JUNC_WIDTH));
    return dot;
}

SchItem* make_nocon(EditSession*) {
    NoCon* mark = new_NoCon();
    if (!mark) no_memory();
    return mark;
}

// --- power ------------------------------------------------------------------------------------------
void reload_power(EditSession* session, SchItem* ghost) {
    Power* power = as_Power(ghost);
    power->flags = static_cast<uint8_t>((proper_get(POWER_TYPE) & POWER_SHAPE_MASK) |
                                        (proper_get(POWER_SENS) & 3) |
                                        (proper_get(POWER_NAME_ON) & POWER_NAME_HIDDEN));
    sstr_set(&power->name, strproper_get(POWER_NAME));
    power_build_symbol(session->schema, power);
}

SchItem* make_power(EditSession* session) {
    Power* power = new_Power();
    if (!power) no_memory();
    reload_power(session, power);
    return power;
}

// A symbol put on a supply pin's drawn line stands at its drawn end, and
// a wire along the pin joins it to where the pin connects, in one edit.
bool place_power_on_supply_pin(EditSession* session, SchItem* ghost, Point p) {
    Point connects, drawn;
    if (!supply_pin_near(session, p, &connects, &drawn) || p == connects) return false;
    move_to(ghost, drawn);
    EditTransaction edit(session);
    List* items = sheet_items_of(session);
    list_add_item_copy(session->schema, items, ghost);
    SchItem* made = static_cast<SchItem*>(dlist_tail(items)->data);
    made->state &= ~STATE_SELECTED;
    edit.touch(made);
    Line* wire = new_Line();
    if (!wire) no_memory();
    wire->pos = drawn;
    wire->end = connects;
    if (!dlist_append(items, wire)) no_memory();
    edit.touch(wire);
    canvas_set_repeat_range(session, made, made);
    return true;
}

int place_power(EditSession* session, ModeInstance* instance, Point p) {
    if (!place_power_on_supply_pin(session, stamp(instance)->ghost, p))
        place_on_sheet(session, instance, p);
    // The ground button's symbol keeps its name; the dialog's steps it.
    if (stamp(instance)->power_kind == 0) {
        Power* power = as_Power(stamp(instance)->ghost);
        std::string before = power->name.get();
        step_name(&power->name, PORT_AUTO);
        if (before != power->name.get()) power_build_symbol(session->schema, power);
    }
    return 0;
}

// --- port -------------------------------------------------------------------------------------------
void reload_port(EditSession* session, SchItem* ghost) {
    Port* port = as_Port(ghost);
    port->flags = static_cast<uint8_t>((proper_get(PORT_TYPE) & PORT_KIND_MASK) |
                                       (proper_get(PORT_SENS) & PORT_RIGHT));
    sstr_set(&port->name, strproper_get(PORT_NAME));
    port_build_symbol(session->schema, port);
}

SchItem* make_port(EditSession* session) {
    Port* port = new_Port();
    if (!port) no_memory();
    reload_port(session, port);
    return port;
}

int place_port(EditSession* session, ModeInstance* instance, Point) {
    Schema* schema = session->schema;
    if (!schema->ports) {
        schema->ports = list_new();
        if (!schema->ports) no_memory();
    }
    add_copy(session, schema->ports, stamp(instance)->ghost);
    Port* port = as_Port(stamp(instance)->ghost);
    step_name(&port->name, PORT_AUTO);
    proper_set(PORT_NAME, port->name.get(), 0);
    port_build_symbol(schema, port);
    return 0;
}

// --- sheet net: a port on the edge of a sub-sheet box ------------------------------------------
void reload_net(EditSession* session, SchItem* ghost) {
    Port* port = as_Port(ghost);
    port->flags =
        static_cast<uint8_t>((proper_get(NET_TYPE) & PORT_KIND_MASK) | (port->flags & PORT_RIGHT));
    sstr_set(&port->name, strproper_get(NET_NAME));
    port_build_symbol(session->schema, port);
}

SchItem* make_net(EditSession* session) {
    Port* port = new_Port();
    if (!port) no_memory();
    reload_net(session, port);
    return port;
}

int refuse_outside_box(EditSession* session) {
    set_prompt(session, message_text(nullptr, 82).c_str());
    session->host->bell();
    return 82;
}

int place_net(EditSession* session, ModeInstance* instance, Point p) {
    Schema* schema = session->schema;
    SchItem* hit = sheet_subsheet_at(schema->current, p);
    if (!hit) return refuse_outside_box(session);
    SubSheet* box = as_SubSheet(hit);
    // The nearer vertical edge takes the port, at the clicked height.
    int32_t rel_y = p.y - box->pos.y;
    bool right = (p.x - box->pos.x) * 2 > box->size.x;
    Point at{right ? box->size.x : 0, rel_y};
    if (subsheet_port_taken(box, at, nullptr)) {
        session->host->bell();
        return 82;
    }
    Port* proto = as_Port(stamp(instance)->ghost);
    {
        EditTransaction edit(session);
        edit.before(box);
        Port* port = copy_Port(schema, proto);
        if (!port) no_memory();
        port->pos = at;
        port->flags = static_cast<uint8_t>((port->flags & ~PORT_RIGHT) | (right ? PORT_RIGHT : 0));
        if (!dlist_append(box->ports, port)) no_memory();
        edit.touch(box);
    }
    step_name(&proto->name, PORT_AUTO);
    proper_set(NET_NAME, proto->name.get(), 0);
    return 0;
}

// --- net property ----------------------------------------------------------------------------------
void reload_netprop(EditSession* session, SchItem* ghost) {
    NetProp* label = as_NetProp(ghost);
    netprop_take_settings(label);
    netprop_build_symbol(session->schema, label);
}

SchItem* make_netprop(EditSession* session) {
    NetProp* label = new_NetProp();
    if (!label) no_memory();
    reload_netprop(session, label);
    return label;
}

// --- part, sub-sheet and text: their ghost is given by the starting command -------------------
int place_part(EditSession* session, ModeInstance* instance, Point p) {
    place_on_sheet(session, instance, p);
    return 0;
}

// The next text continues the numbering of the last one (D0, D1, ...).
int place_text(EditSession* session, ModeInstance* instance, Point p) {
    place_on_sheet(session, instance, p);
    if (proper_get(TEXT_AUTO)) {
        Text* text = as_Text(stamp(instance)->ghost);
        label_increment(&text->string, proper_get(RDELTA_L));
        free_Strokes(text->layout);
        text->layout = nullptr;
    }
    return 0;
}

const StampTool junction_tool{make_junction, nullptr, place_on_sheet, "Click to place a junction",
                              false};
const StampTool nocon_tool{make_nocon, nullptr, place_on_sheet, "Click to place a no-connect mark",
                           false};
const StampTool power_tool{make_power, reload_power, place_power, "Click to place the power symbol",
                           false};
const StampTool port_tool{make_port, reload_port, place_port, "Click to place the port", false};
const StampTool net_tool{make_net, reload_net, place_net, "Click on a sheet's edge", false};
const StampTool netprop_tool{make_netprop, reload_netprop, place_on_sheet,
                             "Click to place the label", false};
const StampTool part_tool{nullptr, nullptr, place_part, "Click to place the part", false};
const StampTool sheet_tool{nullptr, nullptr, place_on_sheet, "Click to place the sheet", true};
const StampTool text_tool{nullptr, nullptr, place_text, "Click to place the text", false};

const ToolKey stamp_keys[] = {
    {0, 0, "Left : Place  Right : End", "", nullptr, nullptr},
    TN_ESC_KEY,
};

constexpr ToolMode stamp_mode(const char* name, const StampTool* tool) {
    return ToolMode{name,        sizeof(StampData), stamp_enter, stamp_exit, nullptr,    nullptr,
                    stamp_event, xor_ghost,         xor_ghost,   xor_ghost,  stamp_keys, 2,
                    tool};
}

void reload(EditSession* session, ModeInstance* instance) {
    if (!instance || !stamp(instance)->ghost || !tool_of(instance)->reload) return;
    tool_of(instance)->reload(session, stamp(instance)->ghost);
}

}  // namespace

const ToolMode add_junction_mode = stamp_mode("Add Junction", &junction_tool);
const ToolMode add_nocon_mode = stamp_mode("Add No Connect", &nocon_tool);
const ToolMode add_power_mode = stamp_mode("Add Power", &power_tool);
const ToolMode add_port_mode = stamp_mode("Add Port", &port_tool);
const ToolMode add_net_mode = stamp_mode("Add Net", &net_tool);
const ToolMode add_netprop_mode = stamp_mode("Add Netprop", &netprop_tool);
const ToolMode add_part_mode = stamp_mode("Add Part", &part_tool);
const ToolMode add_sheet_mode = stamp_mode("Add Sheet", &sheet_tool);
const ToolMode add_text_mode = stamp_mode("Add Text", &text_tool);

SchItem* mode_ghost_item(ModeInstance* instance) {
    if (!instance || instance->mode->event != stamp_event) return nullptr;
    return stamp(instance)->ghost;
}

uint8_t* power_kind_byte(ModeInstance* instance) {
    if (!instance || instance->mode != &add_power_mode) return nullptr;
    return &stamp(instance)->power_kind;
}

void net_tool_reload(EditSession* session, ModeInstance* instance) { reload(session, instance); }
void port_tool_reload(EditSession* session, ModeInstance* instance) { reload(session, instance); }
void netprop_tool_reload(EditSession* session, ModeInstance* instance) {
    reload(session, instance);
}
void power_tool_reload(EditSession* session, ModeInstance* instance) { reload(session, instance); }
void net_ghost_erase(ModeInstance* instance, EditSession* session) {
    ghost_erase(session, instance);
}
void net_ghost_draw(ModeInstance* instance, EditSession* session) { ghost_draw(session, instance); }
void port_ghost_erase(ModeInstance* instance, EditSession* session) {
    ghost_erase(session, instance);
}
void port_ghost_draw(ModeInstance* instance, EditSession* session) {
    ghost_draw(session, instance);
}
void netprop_ghost_erase(ModeInstance* instance, EditSession* session) {
    ghost_erase(session, instance);
}
void netprop_ghost_draw(ModeInstance* instance, EditSession* session) {
    ghost_draw(session, instance);
}
void power_ghost_erase(ModeInstance* instance, EditSession* session) {
    ghost_erase(session, instance);
}
void power_ghost_draw(ModeInstance* instance, EditSession* session) {
    ghost_draw(session, instance);
}

void netprop_take_settings(NetProp* label) {
    label->track_width = proper_get(NETPROP_TRACKWIDTH);
    label->isolation = proper_get(NETPROP_ISOLATION);
    label->via_size = proper_get(NETPROP_VIASIZE);
    label->via_drill = proper_get(NETPROP_VIADRILL);
    label->start_layer = static_cast<int8_t>(proper_get(NETPROP_SLAYER));
    label->end_layer = static_cast<int8_t>(proper_get(NETPROP_DLAYER));
    label->net_type = static_cast<int8_t>(proper_get(NETPROP_NETTYPE));
}

// The name typed in a dialog's Add names the ghost whole: the settings it
// also went to keep only 31 characters of it.
void stamp_name_ghost(EditSession* session, const ToolMode* mode, const char* name) {
    ModeInstance* instance = FindMode(session, mode);
    SchItem* ghost = instance ? stamp(instance)->ghost : nullptr;
    if (!ghost || !name || (ghost->type != POWER_ITEM && ghost->type != PORT_ITEM)) return;
    const bool shown = instance->ghost_shown;
    ghost_erase(session, instance);
    if (ghost->type == POWER_ITEM) {
        sstr_set(&as_Power(ghost)->name, name);
        power_build_symbol(session->schema, as_Power(ghost));
    } else {
        sstr_set(&as_Port(ghost)->name, name);
        port_build_symbol(session->schema, as_Port(ghost));
    }
    if (shown) ghost_draw(session, instance);
}

// --- the starts that hand their ghost over --------------------------------------------------------
void part_tool_init(EditSession* session, ModeInstance* instance, bool convert,
                    bool visible_power) {
    StampData* data = stamp(instance);
    data->convert = convert;
    data->visible_power = visible_power;
    if (data->ghost && data->ghost->type == PARTLIB_ITEM) {
        PlacedPart* pl = as_PlacedPart(data->ghost);
        pl->flags =
            static_cast<uint8_t>((pl->flags & ~(PL_CONVERT | PL_POWERON)) |
                                 (convert ? PL_CONVERT : 0) | (visible_power ? PL_POWERON : 0));
        move_to(pl, session->pointer);
    }
}

// Hands a made record to a freshly pushed stamp instance.
void stamp_take(EditSession* session, ModeInstance* instance, SchItem* item) {
    StampData* data = stamp(instance);
    free_ghost(session, data);
    data->ghost = item;
    move_to(item, session->pointer);
}

ModeInstance* start_add_sheet(EditSession* session, const char* sheet_name, const char* file_name) {
    edit_checkpoint(session);
    SubSheet* box =
        create_SubSheet(session->schema, file_name ? file_name : "", sheet_name ? sheet_name : "");
    if (!box) no_memory();
    ModeInstance* instance = PushMode(session, &add_sheet_mode);
    stamp_take(session, instance, box);
    return instance;
}

namespace {

Text* make_text(EditSession* session, const char* string, uint8_t attributes, int xsize, int ysize,
                int font) {
    // A document font carries its own size: the record's width and height
    // replace the given ones (a zero field, as a font left to its default
    // aspect has, or a missing record keeps what was asked).
    if (font >= FONT_ID_BASE) {
        if (const Font* record = font_find(session->schema->fonts, font - FONT_ID_BASE)) {
            if (record->width > 0) xsize = record->width;
            if (record->height > 0) ysize = record->height;
        }
    }
    Text* text = new_Text();
    if (!text) no_memory();
    text->string = string ? string : "";
    text->flags = attributes;
    text->font = font;
    text->size.width = static_cast<int16_t>(xsize);
    text->size.height = static_cast<int16_t>(ysize);
    set_TextFonts(text, session->schema->fonts);
    return text;
}

}  // namespace

ModeInstance* start_text_tool(EditSession* session, const char* string, uint8_t attributes,
                              int xsize, int ysize, int font) {
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_text_mode);
    stamp_take(session, instance, make_text(session, string, attributes, xsize, ysize, font));
    return instance;
}

void text_tool_set(EditSession* session, ModeInstance* instance, const char* string,
                   uint8_t attributes, int xsize, int ysize, int font) {
    if (!instance || instance->mode != &add_text_mode) return;
    edit_checkpoint(session);
    bool shown = instance->ghost_shown;
    ghost_erase(session, instance);
    stamp_take(session, instance, make_text(session, string, attributes, xsize, ysize, font));
    if (shown) ghost_draw(session, instance);
}

// Used by start_part_mode: the placed part made for placement.
void stamp_set_part(EditSession* session, ModeInstance* instance, PlacedPart* pl, const Rect& box) {
    stamp_take(session, instance, pl);
    StampData* data = stamp(instance);
    data->box[0] = box.x;
    data->box[1] = box.y;
    data->box[2] = box.w;
    data->box[3] = box.h;
}
