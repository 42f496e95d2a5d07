// "Add Pin": pins put on the edges of a body of the part under edit, each
// click adding one and asking the number of every device of the package.
#include <cstdlib>
#include <string>

#include "editor/sheet_modes.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_pins.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

struct PinTool {
    uint8_t state;       // 0 before a body is picked, 1 while the pin follows the pointer
    Pin* pin;            // owned: the pin that follows the pointer
    PlacedPart* placed;  // not owned: the placed part whose body was picked
    Rect body;           // the body picked
    uint8_t type;
    uint8_t shape;
    char* name;        // owned (str_dup), or null: the name of the next pin
    char* references;  // owned (str_dup), or null: the numbers of the next pin's first device
};

PinTool* pin_tool(ModeInstance* instance) { return mode_data<PinTool>(instance); }

void drop_text(char*& text) {
    std::free(text);
    text = nullptr;
}

// The pin's drawing on the picked body, as the ghost.
void pin_ghost_paint(EditSession* session, ModeInstance* instance) {
    PinTool* tool = pin_tool(instance);
    if (!tool->pin || !tool->placed) return;
    make_PinVectors(tool->pin);
    if (!tool->pin->drawing) return;
    List shown;
    Matrix shift;
    matrix_identity(&shift);
    matrix_translate(&shift, tool->placed->pos.x, tool->placed->pos.y);
    for (SchItem* item : list_items<SchItem>(tool->pin->drawing->items)) {
        SchItem* copy = copy_SchItem(nullptr, item);
        if (!copy) no_memory();
        matrix_SchItem(copy, &shift);
        append_or_die(&shown, copy);
    }
    session->host->xor_items(&shown);
    while (shown.count) dlist_remove_head(&shown, free_Item_cb);
}

// The side of the body's outline the point lies on (a corner counts as left or right).
uint8_t side_of(const Rect& body, Point p) {
    if (p.x == body.x) return LEFT;
    if (int64_t{p.x} == int64_t{body.x} + body.w) return RIGHT;
    if (p.y == body.y) return TOP;
    return BOTTOM;
}

// The pin follows the pointer along the body's outline.
void follow(EditSession* session, PinTool* tool, Point p) {
    View* view = &session->schema->view;
    view_clip_point(view, &p, session->schema);
    Pin* pin = tool->pin;
    pin->pos =
        Point{world_add(p.x, -int64_t{tool->body.x}), world_add(p.y, -int64_t{tool->body.y})};
    pin->flags = static_cast<uint8_t>((pin->flags & ~PIN_SIDE_MASK) | side_of(tool->body, p));
    free_Vectors(pin->drawing);
    pin->drawing = nullptr;
}

// The body under the click; false when none.
bool pin_part_reference(EditSession* session, PinTool* tool, Point p) {
    LibEdit* ed = libedit_of(session);
    Boite* body = nullptr;
    PlacedPart* placed = libedit_part_at_point(ed, p, true, &body);
    Part* part = placed ? pl_get_part(libedit_library(ed), placed) : nullptr;
    if (!part || !body) return false;
    tool->placed = placed;
    tool->body = body_rect(body);
    view_set_clip(&session->schema->view, tool->body, CLIP_OUTLINE);
    tool->pin = new_Pin(part->devices);
    if (!tool->pin) no_memory();
    tool->pin->type = tool->type;
    tool->pin->flags = static_cast<uint8_t>(tool->shape & (SHORT | DOT | CLOCK));
    tool->state = 1;
    return true;
}

// Adds a copy of the tool's pin to the part and asks its numbers. False
// when nothing was added (the user declined to stack it, or cancelled a
// number).
bool pin_add(EditSession* session, PinTool* tool) {
    LibEdit* ed = libedit_of(session);
    if (pin_duplicate(ed, tool->placed, tool->pin) && !warning_box(nullptr, 40008)) return false;
    Part* part = pl_get_part(libedit_library(ed), tool->placed);
    if (!part) return false;
    const bool converted = (tool->placed->flags & PL_CONVERT) != 0;
    PinList*& list = converted ? part->convert_pins : part->normal_pins;
    if (!list) {
        list = new_PinList();
        if (!list) no_memory();
    }
    const int devices = part->devices;
    free_Vectors(tool->pin->drawing);
    tool->pin->drawing = nullptr;
    Pin* copy = copy_Pin(tool->pin, devices);
    if (!copy) no_memory();
    append_or_die(list->pins, copy);
    DListNode* node = dlist_tail(list->pins);
    if (tool->name) {
        copy->name.set(tool->name);
        drop_text(tool->name);
    }
    for (int i = 0; i < devices; ++i) {
        std::string text;
        if (i == 0 && tool->references) {
            text = tool->references;
        } else {
            const std::string proposal = std::to_string(pin_next_free_number(list, devices));
            if (!ed->host->ask_text("Add Pin Reference", pin_device_prompt(i, devices).c_str(),
                                    proposal.c_str(), &text)) {
                // The whole pin goes: a pin without all its numbers is no pin.
                dlist_remove(list->pins, node, nullptr);
                free_Pin(copy);
                if (list->pins->count == 0) {
                    free_PinList(list);
                    list = nullptr;
                }
                return false;
            }
        }
        parse_pin_numbers(copy, devices, text.c_str(), &i);
    }
    if (tool->pin->numbers.empty()) resize_PinNumbers(tool->pin, devices);
    drop_text(tool->references);
    Schema* schema = session->schema;
    for (SchItem* item : list_items<SchItem>(libedit_items(ed)))
        if (item->type == PARTLIB_ITEM) pl_make_power_list(schema, as_PlacedPart(item));
    return true;
}

void pin_tool_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_mode_name(session, "Add Pin");
    set_prompt(session, "Click Pin position");
}

void pin_tool_exit(EditSession* session, ModeInstance* instance) {
    PinTool* tool = pin_tool(instance);
    free_Pin(tool->pin);
    tool->pin = nullptr;
    drop_text(tool->name);
    drop_text(tool->references);
    if (session->schema) view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

int pin_tool_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    PinTool* tool = pin_tool(instance);
    LibEdit* ed = libedit_of(session);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG:
            if (tool->state != 1) return 1;
            ghost_erase(session, instance);
            follow(session, tool, p);
            ghost_draw(session, instance);
            return 1;
        case EV_LEFT_UP:
            if (tool->state == 0) {
                if (!pin_part_reference(session, tool, p)) {
                    session->host->bell();
                    return 1;
                }
                follow(session, tool, p);
                ghost_draw(session, instance);
                return 1;
            }
            ghost_erase(session, instance);
            follow(session, tool, p);
            {
                LibEditTransaction edit(ed, LibEditTransaction::TAKEN);
                if (!pin_add(session, tool)) edit.abandon();
            }
            ghost_draw(session, instance);
            return 1;
        case EV_RIGHT_UP: {
            const bool picked = tool->state != 0;
            PopMode(session);
            // The dialog comes back for the next pin.
            if (picked && ed) ed->host->command(LIBEDIT_CMD_PIN);
            return 1;
        }
        default: return 0;
    }
}

int pin_key_shape(EditSession* session, ModeInstance* instance, int) {
    PinTool* tool = pin_tool(instance);
    if (tool->state != 1) return 1;
    ghost_erase(session, instance);
    const int shape = pin_next_shape(tool->pin->flags & (SHORT | DOT | CLOCK));
    tool->pin->flags = static_cast<uint8_t>((tool->pin->flags & ~(SHORT | DOT | CLOCK)) | shape);
    tool->shape = static_cast<uint8_t>(shape);
    free_Vectors(tool->pin->drawing);
    tool->pin->drawing = nullptr;
    ghost_draw(session, instance);
    return 1;
}

int pin_key_type(EditSession* session, ModeInstance* instance, int) {
    PinTool* tool = pin_tool(instance);
    if (tool->state != 1) return 1;
    ghost_erase(session, instance);
    tool->pin->type = static_cast<uint8_t>(pin_next_type(tool->pin->type));
    tool->type = tool->pin->type;
    free_Vectors(tool->pin->drawing);
    tool->pin->drawing = nullptr;
    ghost_draw(session, instance);
    return 1;
}

const ToolKey pin_keys[] = {
    {0, 0, "Mouse", "MB1 identify position.", nullptr, nullptr},
    {'X', 'x', "X or x : Change Pin Shape", "The 'X' or 'x' keys toggle the Pin Shape .\n",
     libedit_key_always, pin_key_shape},
    {'T', 't', "T or t : Change Pin Type", "The 'T' or 't' keys toggle the Pin Type .\n",
     libedit_key_always, pin_key_type},
    TN_ESC_KEY,
};

}  // namespace

const ToolMode add_pin_mode{"Add Pin",
                            sizeof(PinTool),
                            pin_tool_enter,
                            pin_tool_exit,
                            libedit_tool_suspend,
                            libedit_tool_resume,
                            pin_tool_event,
                            pin_ghost_paint,
                            pin_ghost_paint,
                            pin_ghost_paint,
                            pin_keys,
                            4};

ModeInstance* start_add_pin_mode(EditSession* session, int shape, int type, const char* name,
                                 const char* references) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    if (libedit_refuse_without_part(ed)) return nullptr;
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_pin_mode);
    PinTool* tool = pin_tool(instance);
    tool->type = static_cast<uint8_t>(type);
    tool->shape = static_cast<uint8_t>(shape);
    tool->name = name && *name ? str_dup(name) : nullptr;
    tool->references = references && *references ? str_dup(references) : nullptr;
    return instance;
}

ModeInstance* libedit_add_pin(EditSession* session, const PinFields& fields) {
    PopModesOf(session, &add_pin_mode);
    pin_fields_store(fields);
    return start_add_pin_mode(session, pin_shape_of_row(fields.shape_row),
                              pin_type_of_row(fields.type_row), fields.name.c_str(),
                              fields.numbers.c_str());
}
