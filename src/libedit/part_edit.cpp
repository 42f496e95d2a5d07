// The part under edit of a library window: opening and saving the library,
// loading a part, its layout on the editing sheet and its references.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_pins.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

LibEditHost& null_libedit_host() {
    static LibEditHost host;
    return host;
}

// The library's name when it has none: the file's base name without its suffix.
void name_after_file(Library* library, const char* file_name) {
    if (!library || !file_name) return;
    if (library->name[0] && std::strcmp(library->name, "$ACTIVE$") != 0) return;
    std::string base = file_name;
    size_t slash = base.find_last_of("/\\:");
    if (slash != std::string::npos) base.erase(0, slash + 1);
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    set_Library_name(library, base.c_str());
}

}  // namespace

void release_part_slot(PartSlot* slot) {
    if (slot->copy) unref_Part(slot->copy);
    if (slot->target) unref_Part(slot->target);
    slot->copy = nullptr;
    slot->target = nullptr;
}

LibEdit::~LibEdit() { libedit_reset(this); }

void LibEdit::checkpoint() {
    if (!session) return;
    if (session->kind == CANVAS_TEMPLATE)
        template_checkpoint(this);
    else
        libedit_checkpoint_part(this, &undo);
}

void libedit_bind(LibEdit* ed, EditSession* session, LibEditHost* host) {
    ed->session = session;
    ed->host = host ? host : &null_libedit_host();
    if (session) session->owner = ed;
}

LibEdit* libedit_of(EditSession* session) {
    return session && session->owner ? dynamic_cast<LibEdit*>(session->owner) : nullptr;
}

void libedit_reset(LibEdit* ed) {
    // The journal's removed entries are no longer in any library.
    for (NameChange& change : ed->journal.changes)
        if (change.kind == NameChange::REMOVED) free_LibEntry(change.entry);
    ed->journal.changes.clear();
    if (ed->journal.part) unref_Part(ed->journal.part);
    ed->journal.part = nullptr;
    release_part_slot(&ed->journal.load_copy);
    ed->journal.open = false;
    release_part_slot(&ed->load_copy);
    release_part_slot(&ed->undo);
    ed->undo.valid = 0;
    ed->names.clear();
    ed->converted = 0;
    ed->current_item = nullptr;
    ed->entries_unsaved = false;
    for (List** copy : {&ed->template_graphics, &ed->template_fields}) {
        if (*copy) free_SchItem_list(nullptr, copy);
        *copy = nullptr;
    }
}

// --- the document ---------------------------------------------------------------------------
Schema* libedit_schema(const LibEdit* ed) {
    return ed && ed->session ? ed->session->schema : nullptr;
}

Library* libedit_library(const LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    return schema ? schema->library : nullptr;
}

List* libedit_items(const LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    return schema && schema->sheet ? schema->sheet->items : nullptr;
}

int libedit_nb_names(const LibEdit* ed) { return static_cast<int>(ed->names.size()); }

void libedit_mark_modified(LibEdit* ed) {
    schema_set_modified(libedit_schema(ed));
    if (ed->session) ed->session->host->mark_modified();
}

void libedit_redraw(LibEdit* ed) {
    if (ed->session) ed->session->host->redraw();
}

void libedit_clear_sheet(LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    if (!schema) return;
    edit_clear_buffer(schema);
    if (!schema->sheet) {
        schema->sheet = new_Sheet();
        if (!schema->sheet) no_memory();
    }
    free_SchItem_items(schema, schema->sheet->items);
    schema->current = schema->sheet;
}

void libedit_end_tools(LibEdit* ed) {
    if (!ed->session) return;
    while (PopMode(ed->session)) {
    }
}

int libedit_open_library(LibEdit* ed, const char* file_name) {
    Schema* schema = libedit_schema(ed);
    if (!schema) return DOC_NO_SCHEMATIC;
    Library* library = new_Library();
    int result = load_Library(library, file_name, false);
    if (result != 0) {
        free_Library(library);
        return result;
    }
    libedit_end_tools(ed);
    libedit_clear_sheet(ed);
    libedit_reset(ed);
    free_Library(schema->library);
    schema->library = library;
    view_clear_tags(&schema->view);
    schema_clear_modified(schema);
    return 0;
}

int libedit_save_library(LibEdit* ed, const char* file_name) {
    Library* library = libedit_library(ed);
    if (!library) return DOC_NO_SCHEMATIC;
    // The part under edit is the one whose pins changed unchecked: numbers
    // it repeats are reported now, and the library is saved as it is.
    if (Part* shown = libedit_part(ed)) {
        pin_numbers_check(shown->normal_pins, shown->devices, false);
        pin_numbers_check(shown->convert_pins, shown->devices, true);
    }
    name_after_file(library, file_name);
    int result = save_Library(file_name, library);
    if (result != 0) return result;
    set_Library_file_name(library, file_name);
    // The saved state is what a later load drops back to.
    libedit_checkpoint_part(ed, &ed->load_copy);
    ed->entries_unsaved = false;
    schema_clear_modified(libedit_schema(ed));
    return 0;
}

bool libedit_new_part(LibEdit* ed) {
    Schema* schema = libedit_schema(ed);
    if (!schema || !ed->host->ok_to_close()) return false;
    libedit_end_tools(ed);
    libedit_clear_sheet(ed);
    // The copies name parts of the library that goes now: they go with it.
    libedit_reset(ed);
    free_Library(schema->library);
    schema->library = new_Library();
    schema_clear_modified(schema);
    libedit_load_part(ed, nullptr, true);
    ed->session->host->enable_undo(false);
    ed->host->part_menus();
    ed->host->part_changed();
    libedit_redraw(ed);
    return true;
}

// --- the part under edit ----------------------------------------------------------------------
PlacedPart* libedit_first_placed(const LibEdit* ed) {
    SchItem* first = list_first_part(libedit_items(ed));
    return first ? as_PlacedPart(first) : nullptr;
}

Part* libedit_part(const LibEdit* ed) {
    PlacedPart* placed = libedit_first_placed(ed);
    return placed ? pl_get_part(libedit_library(ed), placed) : nullptr;
}

const char* libedit_part_name(const LibEdit* ed) {
    PlacedPart* placed = libedit_first_placed(ed);
    return placed ? placed->value.text.get() : nullptr;
}

bool libedit_load_part(LibEdit* ed, LibEntry* entry, bool check) {
    Schema* schema = libedit_schema(ed);
    if (!schema) return false;
    if (!schema->sheet) {
        if (!ed->entries_unsaved) schema_clear_modified(schema);
        return true;
    }
    edit_clear_buffer(schema);
    if (check) {
        if (Part* shown = libedit_part(ed)) {
            pin_numbers_check(shown->normal_pins, shown->devices, false);
            pin_numbers_check(shown->convert_pins, shown->devices, true);
        }
    }
    if (schema_is_modified(schema) && !confirm_box(nullptr, "Warning", 50003)) return false;
    libedit_end_tools(ed);
    names_journal_commit(ed);
    // The part loaded before gets back what it was when it was loaded.
    libedit_restore_part(ed, &ed->load_copy);
    libedit_clear_sheet(ed);
    ed->names.clear();
    release_part_slot(&ed->load_copy);
    if (entry && entry->part) {
        ed->load_copy.copy = dup_Part(entry->part);
        ed->load_copy.target = entry->part;
        ref_Part(entry->part);
    }
    // An undo copy of the part before would be put back into that part.
    release_part_slot(&ed->undo);
    ed->undo.valid = 0;
    if (ed->session) ed->session->host->enable_undo(false);
    ed->converted = 0;
    // Only the part's contents went back: changed entries still await a save.
    if (!ed->entries_unsaved) schema_clear_modified(schema);
    return true;
}

void libedit_body_boxes(List* list, Point origin, int32_t w, int32_t h, uint32_t bits) {
    Boite* body = new_Rect();
    Boite* frame = new_Rect();
    if (!body || !frame) no_memory();
    body->pos = origin;
    body->corner = Point{world_add(origin.x, w), world_add(origin.y, h)};
    body->state |= bits | BODY_BOX;
    frame->pos = Point{world_add(origin.x, -LIBEDIT_FRAME), world_add(origin.y, -LIBEDIT_FRAME)};
    frame->corner =
        Point{world_add(body->corner.x, LIBEDIT_FRAME), world_add(body->corner.y, LIBEDIT_FRAME)};
    frame->flags |= DRAW;
    frame->state |= bits | BODY_BOX;
    append_or_die(list, body);
    append_or_die(list, frame);
}

Rect body_rect(const Boite* box) {
    Rect r{box->pos.x, box->pos.y, box->corner.x - box->pos.x, box->corner.y - box->pos.y};
    Rect out;
    rect_normalize(&out, r);
    return out;
}

Boite* find_body_box(List* list, Point p, bool undrawn) {
    for (SchItem* item : list_items<SchItem>(list)) {
        if (item->type != BOITE_ITEM || !(item->state & BODY_BOX)) continue;
        if (((item->flags & STYLE_MASK) == DRAW) == undrawn) continue;
        Boite* box = as_Rect(item);
        if (rect_contains_point(body_rect(box), p)) return box;
    }
    return nullptr;
}

Boite* body_box_of(List* list, const PlacedPart* placed) {
    bool after = false;
    for (SchItem* item : list_items<SchItem>(list)) {
        if (after) return item->type == BOITE_ITEM ? as_Rect(item) : nullptr;
        after = item == placed;
    }
    return nullptr;
}

PlacedPart* libedit_part_at_point(const LibEdit* ed, Point p, bool frame, Boite** body) {
    if (body) *body = nullptr;
    PlacedPart* placed = nullptr;
    Boite* its_body = nullptr;
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type == PARTLIB_ITEM) {
            placed = as_PlacedPart(item);
            its_body = nullptr;
            continue;
        }
        if (!placed || item->type != BOITE_ITEM || !(item->state & BODY_BOX)) continue;
        Boite* box = as_Rect(item);
        if ((box->flags & STYLE_MASK) != DRAW) {
            its_body = box;
            if (frame) continue;
        } else if (!frame) {
            continue;
        }
        if (its_body && rect_contains_point(body_rect(box), p)) {
            if (body) *body = its_body;
            return placed;
        }
    }
    return nullptr;
}

void libedit_attach_part(LibEdit* ed, LibEntry* entry, const char* name) {
    Schema* schema = libedit_schema(ed);
    Library* library = libedit_library(ed);
    if (!schema || !library || !entry || !entry->part) return;
    Part* part = entry->part;
    if (!schema->sheet) {
        schema->sheet = new_Sheet();
        if (!schema->sheet) no_memory();
        schema->current = schema->sheet;
    }
    List* items = schema->sheet->items;
    const int devices = part->devices >= 2 ? part->devices : 1;
    const bool converted = (part->state & PART_CONVERTED) || part->convert;
    if (converted) part->state |= PART_CONVERTED;
    ed->names.clear();
    for (LibEntry* e : lib_entries_in_order(library))
        if (e->part == part) ed->names.push_back(e);
    Point at{world_add(part->body.x, LIBEDIT_ORIGIN), world_add(part->body.y, LIBEDIT_ORIGIN)};
    for (int i = 0; i < devices; ++i) {
        for (int form = 0; form < (converted ? 2 : 1); ++form) {
            PlacedPart* placed = new_PlacedPart();
            if (!placed) no_memory();
            placed->pos =
                form == 0 ? at : Point{world_add(at.x, int64_t{part->body.w} + LIBEDIT_GAP), at.y};
            placed->device = i;
            placed->part_name.set(entry->name.get());
            placed->part = part;
            if (form == 1) placed->flags |= PL_CONVERT;
            copy_Attribute_list(entry->attributes, &placed->attributes);
            append_or_die(items, placed);
            libedit_body_boxes(items, placed->pos, part->body.w, part->body.h,
                               form == 1 ? CONVERTED_BOX : 0);
        }
        at.y = world_add(at.y, int64_t{part->body.h} + LIBEDIT_GAP);
    }
    libedit_refresh_references(ed, part, name);
    ed->host->part_menus();
    ed->host->part_changed();
}

void libedit_refresh_references(LibEdit* ed, Part* part, const char* name) {
    Schema* schema = libedit_schema(ed);
    if (!part || !schema) return;
    std::string reference = part->prefix.get();
    if (part->devices > 1 && !reference.empty() && reference.back() != '?') reference += '?';
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM) continue;
        PlacedPart* placed = as_PlacedPart(item);
        auto refresh = [](Attribute* attribute, const char* text) {
            attribute->text.set(text);
            attribute->flags = static_cast<uint8_t>((attribute->flags | VIS) & ~SET);
            attribute->state |= 1;
            drop_Attribute_layout(attribute);
        };
        refresh(&placed->reference, reference.c_str());
        if (name) {
            placed->part_name.set(name);
            refresh(&placed->value, name);
        }
        pl_place_attribute_if_unset(schema, schema->library, placed, 0);
        pl_place_attribute_if_unset(schema, schema->library, placed, 1);
    }
}

void libedit_tool_suspend(EditSession* session, ModeInstance*) {
    SetCrossHairStyle(session, 0, false);
}

void libedit_tool_resume(EditSession* session, ModeInstance*) {
    SetCrossHairStyle(session, 0, true);
}

int libedit_key_always(int, ModeInstance*, int, int, int) { return 1; }

const ToolKey libedit_position_keys[2] = {
    {0, 0, "Mouse", "MB1 identify position.", nullptr, nullptr},
    TN_ESC_KEY,
};

bool libedit_refuse_without_part(LibEdit* ed) {
    if (libedit_first_placed(ed)) return false;
    ed->session->host->bell();
    error_box(nullptr, "Error", MB_ICON_STOP, 50001);
    return true;
}

List* part_body_items(LibEdit* ed, bool converted) {
    Part* part = libedit_part(ed);
    if (!part) return nullptr;
    Vectors*& body = converted ? part->convert : part->normal;
    if (!body) {
        body = new_Vectors();
        if (!body) no_memory();
        ref_Vectors(body);
    } else if (body->refs > 1) {
        Vectors* own = dup_Vectors(body);
        if (!own) no_memory();
        unref_Vectors(body);
        ref_Vectors(own);
        body = own;
    }
    return body->items;
}

// --- pin numbers -------------------------------------------------------------------------------
void pin_numbers_check(PinList* list, int devices, bool converted) {
    const std::string listed = pin_duplicated_numbers(list, devices);
    if (!listed.empty())
        error_box(nullptr, "Warning", MB_ICON_EXCLAMATION, 50008, listed.c_str(),
                  converted ? "Converted form" : "Normal form");
}

// --- Part Info ------------------------------------------------------------------------------------
bool libedit_part_info(const LibEdit* ed, PartInfo* info) {
    Part* part = libedit_part(ed);
    if (!part) return false;
    auto pins = [](const PinList* list) {
        if (!list) return std::string("0");
        int count = 0, powers = 0;
        for (Pin* pin : list_items<Pin>(list->pins)) {
            ++count;
            if (pin->type == PWR) ++powers;
        }
        return std::to_string(count) + " (" + std::to_string(powers) + " Powers) ";
    };
    info->name = libedit_part_name(ed);
    info->dimensions = std::to_string(part->body.w) + " X " + std::to_string(part->body.h) + "   ";
    info->devices = std::to_string(part->devices);
    info->normal_pins = pins(part->normal_pins);
    info->convert_pins = pins(part->convert_pins);
    info->names = std::to_string(ed->names.size());
    return true;
}
