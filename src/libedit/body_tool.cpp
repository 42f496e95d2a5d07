// "Add Body": the body size, the devices per package and the converted form
// of the part under edit; and what keeps pins on the body's edges.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_tools.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

struct BodyTool {
    List* outlines;  // owned rectangles: body and frame of every device and form
    int32_t devices;
    uint8_t converted;
    int32_t new_body;  // 1: no part was under edit
    Point min_size;    // part_pin_extent
};

BodyTool* body_tool(ModeInstance* instance) { return mode_data<BodyTool>(instance); }

void body_ghost_paint(EditSession* session, ModeInstance* instance) {
    if (List* outlines = body_tool(instance)->outlines) session->host->xor_items(outlines);
}

// Lays the outline pairs out from the first one's origin with the size.
void body_outline_layout(BodyTool* tool, Point size) {
    DListNode* node = tool->outlines ? dlist_head(tool->outlines) : nullptr;
    if (!node) return;
    const Point origin = static_cast<Boite*>(node->data)->pos;
    Point at = origin;
    int column = 0;
    while (node && dlist_next(node)) {
        Boite* body = static_cast<Boite*>(node->data);
        Boite* frame = static_cast<Boite*>(dlist_next(node)->data);
        body->pos = at;
        body->corner = Point{world_add(at.x, size.x), world_add(at.y, size.y)};
        frame->pos = Point{world_add(at.x, -LIBEDIT_FRAME), world_add(at.y, -LIBEDIT_FRAME)};
        frame->corner = Point{world_add(body->corner.x, LIBEDIT_FRAME),
                              world_add(body->corner.y, LIBEDIT_FRAME)};
        node = dlist_next(dlist_next(node));
        if (tool->converted && column == 0) {
            at.x = world_add(at.x, int64_t{size.x} + LIBEDIT_GAP);
            column = 1;
        } else {
            at = Point{origin.x, world_add(at.y, int64_t{size.y} + LIBEDIT_GAP)};
            column = 0;
        }
    }
}

void body_tool_enter(EditSession* session, ModeInstance* instance) {
    SetCrossHairStyle(session, 0, true);
    SetModeCursor(session, instance, CURSOR_CROSS);
    set_prompt(session, "Click end Body point");
}

void body_tool_exit(EditSession* session, ModeInstance* instance) {
    BodyTool* tool = body_tool(instance);
    if (tool->outlines) {
        for (SchItem* item : list_items<SchItem>(tool->outlines)) free_Item(item);
        dlist_free(tool->outlines, LIST_FROM_HEAD, nullptr);
        tool->outlines = nullptr;
    }
    if (session->schema) view_set_clip(&session->schema->view, Rect{}, CLIP_NONE);
}

// The click: the body of the first outline becomes the part's, the pins
// go to its sides.
void place_body(LibEdit* ed, BodyTool* tool) {
    LibEditTransaction edit(ed, LibEditTransaction::TAKEN);
    std::string name = ed->new_part_name;
    ed->new_part_name = "noname";  // the name asked for is used once
    if (!tool->new_body) {
        const char* shown = libedit_part_name(ed);
        if (shown) name = shown;
    }
    LibEntry* entry = libedit_add_name(ed, name.c_str());
    if (entry && tool->outlines && tool->outlines->head) {
        Part* part = entry->part;
        const Boite* first = static_cast<const Boite*>(tool->outlines->head->data);
        const Rect r = body_rect(first);
        part->body =
            Rect{world_add(r.x, -LIBEDIT_ORIGIN), world_add(r.y, -LIBEDIT_ORIGIN), r.w, r.h};
        if (tool->converted) {
            part->state |= PART_CONVERTED;
            // An empty converted body keeps the form when the library is saved.
            if (!part->convert) {
                part->convert = new_Vectors();
                if (!part->convert) no_memory();
                ref_Vectors(part->convert);
            }
        } else {
            part->state &= ~PART_CONVERTED;
            free_PinList(part->convert_pins, part->devices);
            part->convert_pins = nullptr;
            if (part->convert) unref_Vectors(part->convert);
            part->convert = nullptr;
        }
        if (part->devices != tool->devices) part_set_devices(part, tool->devices);
        libedit_clear_sheet(ed);
        libedit_attach_part(ed, entry, name.c_str());
    }
    pins_to_body_sides(ed);
}

int body_tool_event(EditSession* session, ModeInstance* instance, int code, Point p) {
    BodyTool* tool = body_tool(instance);
    switch (code) {
        case EV_MOTION:
        case EV_LEFT_DRAG: {
            if (!tool->outlines || !tool->outlines->head) return 1;
            const Point origin = static_cast<Boite*>(tool->outlines->head->data)->pos;
            Point size{std::max(world_add(p.x, -int64_t{origin.x}), tool->min_size.x),
                       std::max(world_add(p.y, -int64_t{origin.y}), tool->min_size.y)};
            ghost_erase(session, instance);
            body_outline_layout(tool, size);
            ghost_draw(session, instance);
            return 1;
        }
        case EV_LEFT_UP: {
            ghost_erase(session, instance);
            LibEdit* ed = libedit_of(session);
            if (ed) place_body(ed, tool);
            PopMode(session);  // the instance is gone from here on
            if (ed) ed->host->part_menus();
            return 1;
        }
        case EV_RIGHT_UP:
        case EV_ESC: PopMode(session); return 1;
        default: return 0;
    }
}

}  // namespace

const ToolMode add_body_mode{"Add Body",       sizeof(BodyTool),      body_tool_enter,
                             body_tool_exit,   libedit_tool_suspend,  libedit_tool_resume,
                             body_tool_event,  body_ghost_paint,      body_ghost_paint,
                             body_ghost_paint, libedit_position_keys, 2};

ModeInstance* start_add_body_mode(EditSession* session, int devices, bool converted) {
    LibEdit* ed = libedit_of(session);
    if (!ed || !session->schema) return nullptr;
    edit_checkpoint(session);
    ModeInstance* instance = PushMode(session, &add_body_mode);
    BodyTool* tool = body_tool(instance);
    tool->outlines = new_list_or_die();
    tool->devices = devices;
    tool->converted = converted ? 1 : 0;
    Point origin{LIBEDIT_ORIGIN, LIBEDIT_ORIGIN};
    Point size{0, 0};
    PlacedPart* placed = libedit_first_placed(ed);
    Part* part = libedit_part(ed);
    if (placed && part) {
        origin = Point{world_add(origin.x, part->body.x), world_add(origin.y, part->body.y)};
        size = Point{part->body.w, part->body.h};
    } else {
        tool->new_body = 1;
    }
    WarpPointer(session, Point{world_add(origin.x, size.x), world_add(origin.y, size.y)});
    view_set_clip(&session->schema->view,
                  Rect{LIBEDIT_ORIGIN, LIBEDIT_ORIGIN, 999999999, 999999999}, CLIP_INSIDE);
    Point at = origin;
    for (int i = 0; i < std::max(devices, 1); ++i) {
        libedit_body_boxes(tool->outlines, at, size.x, size.y, 0);
        if (converted)
            libedit_body_boxes(tool->outlines,
                               Point{world_add(at.x, int64_t{size.x} + LIBEDIT_GAP), at.y}, size.x,
                               size.y, CONVERTED_BOX);
        at.y = world_add(at.y, int64_t{size.y} + LIBEDIT_GAP);
    }
    tool->min_size = part_pin_extent(ed, placed);
    ghost_draw(session, instance);
    return instance;
}

void libedit_replace_body(LibEdit* ed) {
    Part* part = libedit_part(ed);
    if (!part) {
        ed->session->host->bell();
        return;
    }
    if (part->convert_pins || part->convert) part->state |= PART_CONVERTED;
    start_add_body_mode(ed->session, part->devices, (part->state & PART_CONVERTED) != 0);
}

Point part_pin_extent(const LibEdit* ed, PlacedPart* placed) {
    Part* part = placed ? pl_get_part(libedit_library(ed), placed) : nullptr;
    PinList* pins =
        part ? ((placed->flags & PL_CONVERT) ? part->convert_pins : part->normal_pins) : nullptr;
    if (!pins) return Point{1000, 1000};
    Point extent{0, 0};
    for (Pin* pin : list_items<Pin>(pins->pins)) {
        const int side = pin->flags & PIN_SIDE_MASK;
        if (side == TOP || side == BOTTOM)
            extent.x = std::max(extent.x, pin->pos.x);
        else
            extent.y = std::max(extent.y, pin->pos.y);
    }
    if (extent.x == 0) extent.x = 1000;
    if (extent.y == 0) extent.y = 1000;
    return extent;
}

void pins_to_body_sides(LibEdit* ed) {
    Library* library = libedit_library(ed);
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* placed = as_PlacedPart(item);
        Part* part = pl_get_part(library, placed);
        if (!part) continue;
        const bool converted = (placed->flags & PL_CONVERT) != 0;
        PinList* pins = converted ? part->convert_pins : part->normal_pins;
        for (Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
            switch (pin->flags & PIN_SIDE_MASK) {
                case LEFT: pin->pos.x = 0; break;
                case RIGHT: pin->pos.x = part->body.w; break;
                case TOP: pin->pos.y = 0; break;
                default: pin->pos.y = part->body.h; break;
            }
            free_Vectors(pin->drawing);
            pin->drawing = nullptr;
        }
        // Every device shares the part's lists: one of each form is enough.
        if (converted) break;
    }
    libedit_redraw(ed);
}

void libedit_set_body_size(LibEdit* ed, Rect resized) {
    Part* part = libedit_part(ed);
    if (!part) return;
    part->body.w =
        static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{resized.w}), INT32_MAX));
    part->body.h =
        static_cast<int32_t>(std::min<int64_t>(std::llabs(int64_t{resized.h}), INT32_MAX));
    libedit_relayout(ed);
    pins_to_body_sides(ed);
}

void part_set_devices(Part* part, int count) {
    // A package holds one device at least: the library file knows no other.
    if (part) set_Part_devices(part, std::clamp(count, 1, int{MAX_PART_DEVICES}));
}
