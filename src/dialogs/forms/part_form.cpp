#include "dialogs/forms/part_form.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editor/edit_transaction.h"
#include "editor/tool_mode.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/attribute.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

// Attribute flag bits besides the position code (0..2) and SET (0x40).
constexpr uint8_t FIELD_BOXED = 0x08, FIELD_XMIR = 0x10, FIELD_YMIR = 0x20;
constexpr uint8_t FIELD_POSITION = 0x07;

Part* library_part(Schema* schema, PlacedPart* pl) {
    return schema && pl ? pl_get_part(schema->library, pl) : nullptr;
}

int body_of(uint8_t flags) { return flags & PL_CONVERT ? 1 : 0; }

bool has_items(const Vectors* body) { return body && body->items && body->items->count > 0; }

bool has_pins(const PinList* pins) { return pins && pins->pins && pins->pins->count > 0; }

int selected_field(const Form& form, const EditPartState& state) {
    const int i = form.number(EP_FIELD);
    return i >= 0 && i < static_cast<int>(state.fields.size()) ? i : -1;
}

uint8_t field_bits(bool xmir, bool ymir, bool boxed, bool visible, int button) {
    return static_cast<uint8_t>((xmir ? FIELD_XMIR : 0) | (ymir ? FIELD_YMIR : 0) |
                                (boxed ? FIELD_BOXED : 0) | (visible ? VIS : 0) |
                                orient_code_of_button(button));
}

// The pins take the table's names and the display the two boxes choose.
void store_pin_table(PinList* pins, const std::vector<std::string>& names, bool numbers,
                     bool show_names) {
    size_t k = 0;
    for (Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
        pin->flags = static_cast<uint8_t>((pin->flags & ~(PIN_SHOW_NAME | PIN_SHOW_NUMBER)) |
                                          PIN_DISPLAY | (show_names ? PIN_SHOW_NAME : 0) |
                                          (numbers ? PIN_SHOW_NUMBER : 0));
        if (k < names.size()) pin->name.set(names[k].c_str());
        ++k;
        make_PinVectors(pin);
    }
}

}  // namespace

std::vector<FormRow> edit_part_rows() {
    using K = RowKind;
    return {
        {.kind = K::LABELS_ABOVE},
        {.kind = K::SUB_PANEL},
        {.kind = K::LABEL, .label = " "},
        {.kind = K::END_PANEL},
        // The fields.
        {.kind = K::SUB_PANEL, .min = 4, .max = 4},
        {.kind = K::CHOICE,
         .field = EP_FIELD,
         .client = PART_CMD_FIELD,
         .sample = "Part Value\nPart Refer\nAttribute1\nAttribute2\nAttribute3\nAttribute4\n"
                   "Attribute5\nAttribute6\nAttribute7\nAttribute8"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::SUB_PANEL, .min = 8, .max = 4},
        {.kind = K::TEXT,
         .field = EP_VALUE,
         .label = "Value:",
         .client = PART_CMD_VALUE,
         .sample = "123456789012345678"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::SUB_PANEL, .min = 4, .max = 2},
        {.kind = K::CHECK, .field = EP_XMIR, .label = "X Mirror", .client = PART_CMD_XMIR},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_YMIR, .label = "Y Mirror", .client = PART_CMD_YMIR},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_BOXED, .label = "Boxed", .client = PART_CMD_BOXED},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_VISIBLE, .label = "Visible", .client = PART_CMD_VISIBLE},
        {.kind = K::END_PANEL},
        {.kind = K::BITMAP_RADIO,
         .field = EP_POSITION,
         .client = PART_CMD_POSITION,
         .sample = COMPASS_CELLS,
         .min = 3},
        {.kind = K::END_PANEL},
        {.kind = K::END_PANEL},
        // The device, its pins and the part's own placement.
        {.kind = K::SUB_PANEL, .min = 4, .max = 4},
        {.kind = K::CHOICE,
         .field = EP_DEVICE,
         .client = PART_CMD_DEVICE,
         .sample = "Device A\nDevice B\nDevice C\nDevice D"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::SUB_PANEL, .min = 8, .max = 4},
        {.kind = K::CHOICE,
         .field = EP_PIN,
         .label = "Pin:",
         .client = PART_CMD_PIN,
         .sample = "NoRef\nNoRef"},
        {.kind = K::TEXT,
         .field = EP_NAME,
         .label = "Name:",
         .client = PART_CMD_NAME,
         .sample = "01234567890"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::SUB_PANEL, .min = 4, .max = 2},
        {.kind = K::CHECK, .field = EP_POWER, .label = "Visible Power"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_CONVERT, .label = "Convert", .client = PART_CMD_CONVERT},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_PART_XMIR, .label = "X Mirror"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK, .field = EP_PART_YMIR, .label = "Y Mirror"},
        {.kind = K::END_PANEL},
        {.kind = K::BITMAP_RADIO, .field = EP_ROTATION, .sample = ROTATION_CELLS, .min = 2},
        {.kind = K::END_PANEL},
        {.kind = K::END_PANEL},
        // The information line and the pins' display.
        {.kind = K::NEW_LINE},
        {.kind = K::SUB_PANEL, .min = 8, .max = 4},
        {.kind = K::LABEL,
         .field = EP_INFO,
         .label = "",
         .sample = "012345678900123456789012345678901234567890123456789"},
        {.kind = K::NEW_LINE, .min = 1},
        {.kind = K::CHECK,
         .field = EP_SHOW_REFS,
         .label = "Show Pin References",
         .client = PART_CMD_PIN_DISPLAY},
        {.kind = K::CHECK,
         .field = EP_SHOW_NAMES,
         .label = "Show Pin Names",
         .client = PART_CMD_PIN_DISPLAY},
        {.kind = K::END_PANEL},
        {.kind = K::DIALOG_BUTTON, .label = "Accept", .client = PART_CMD_ACCEPT},
        {.kind = K::BUTTON_SPACE, .min = 20},
        {.kind = K::DIALOG_BUTTON, .label = "Help", .client = PART_CMD_HELP},
    };
}

int edit_part_field_count() { return std::max(2, static_cast<int>(proper_get(NB_FIELD_NAME))); }

std::vector<std::string> part_field_names() {
    std::vector<std::string> names;
    const int n = edit_part_field_count();
    for (int i = 0; i < n; ++i) {
        const char* name = get_field_name(i);
        names.push_back(*name ? name : "Attr. #" + std::to_string(i + 1));
    }
    return names;
}

std::string part_info_line(const PlacedPart* pl) {
    const std::string name = pl->part_name.get();
    const size_t slash = name.rfind('/');
    // The library is what stands before the last '/': a name without one
    // names no library.
    const std::string library =
        slash == std::string::npos ? std::string() : path_base_name(name.substr(0, slash).c_str());
    char line[512];
    std::snprintf(line, sizeof line, "Part Name: %s -- Part Value: %s -- Library: %s",
                  pl->reference.text.get(), pl->value.text.get(), library.c_str());
    return line;
}

PinList* part_pin_list(Schema* schema, PlacedPart* pl, bool converted) {
    Part* part = library_part(schema, pl);
    if (PinList* own = pl ? pl_own_pins(pl, part) : nullptr) return own;
    if (!part) return nullptr;
    return converted ? part->convert_pins : part->normal_pins;
}

bool pin_display_flags(const PinList* pins, int* numbers, int* names) {
    if (!pins) return false;
    *numbers = *names = 0;
    for (const Pin* pin : list_items<const Pin>(pins->pins)) {
        if (!(pin->flags & PIN_DISPLAY)) return false;
        *numbers = (pin->flags & PIN_SHOW_NUMBER) != 0;
        *names = (pin->flags & PIN_SHOW_NAME) != 0;
    }
    return true;
}

// --- filling -------------------------------------------------------------------------------------

void show_part_attribute(Form& form, const EditPartState& state, int i) {
    if (i < 0 || i >= static_cast<int>(state.fields.size())) return;
    const FieldRecord& record = state.fields[i];
    form.set_text(EP_VALUE, record.text);
    form.set_number(EP_XMIR, record.xmir);
    form.set_number(EP_YMIR, record.ymir);
    form.set_number(EP_BOXED, record.boxed);
    form.set_number(EP_VISIBLE, record.visible);
    form.set_number(EP_POSITION, record.button);
}

void fill_part_pins(Form& form, EditPartState& state, Schema* schema, PlacedPart* pl, int device,
                    uint8_t body_flags) {
    FieldValue& choice = form.value(EP_PIN);
    choice.entries.clear();
    choice.number = -1;
    const int body = body_of(body_flags);
    state.listed_body = body;
    PinList* pins = part_pin_list(schema, pl, body == 1);
    if (pins && pins->pins && pins->pins->count > 0) {
        // The table of a body is made once: what was typed for it stays
        // when the other body or another device is listed meanwhile.
        if (!state.pin_names[body]) {
            std::vector<std::string> names;
            for (const Pin* pin : list_items<const Pin>(pins->pins))
                names.push_back(pin->name.get());
            state.pin_names[body] = std::move(names);
        }
        const Part* part = library_part(schema, pl);
        int k = 0;
        for (const Pin* pin : list_items<const Pin>(pins->pins)) {
            char entry[64];
            const char* number = pin_number(pin, device);
            if (!part || part->devices < 1)
                std::snprintf(entry, sizeof entry, "#%d", k + 1);
            else if (*number)
                std::snprintf(entry, sizeof entry, "%3s", number);
            else
                std::snprintf(entry, sizeof entry, "NoRef");
            choice.entries.push_back(entry);
            ++k;
        }
        choice.number = 0;
    }
    sync_pin_name(form, state, false);
}

void sync_pin_name(Form& form, EditPartState& state, bool store) {
    std::optional<std::vector<std::string>>& table = state.pin_names[state.listed_body];
    const int i = form.number(EP_PIN);
    const bool selected = table && i >= 0 && i < static_cast<int>(table->size());
    if (store) {
        if (!selected || (*table)[i] == form.text(EP_NAME)) return;
        (*table)[i] = form.text(EP_NAME);
        state.pins_changed = true;
        return;
    }
    form.set_text(EP_NAME, selected ? (*table)[i] : std::string());
}

void store_pin_name(Form& form, EditPartState& state) { sync_pin_name(form, state, true); }

void load_edit_part(Form& form, EditPartState& state, Schema* schema, PlacedPart* pl) {
    if (!pl) return;
    state = EditPartState{};
    Part* part = library_part(schema, pl);
    form.set_text(EP_INFO, part_info_line(pl));

    // The fields: every one listed, the part's values in their records.
    const int n = edit_part_field_count();
    FieldValue& fields = form.value(EP_FIELD);
    fields.entries = part_field_names();
    fields.number = 0;
    for (int i = 0; i < n; ++i) {
        FieldRecord record;
        if (const Attribute* a = pl_get_attribute(pl, i)) {
            record.text = a->text.get();
            record.xmir = a->flags & FIELD_XMIR;
            record.ymir = a->flags & FIELD_YMIR;
            record.boxed = a->flags & FIELD_BOXED;
            record.visible = a->flags & VIS;
            record.button = button_of_orient_code(a->flags & FIELD_POSITION);
        }
        state.fields.push_back(record);
    }

    // The part itself.
    form.set_number(EP_POWER, (pl->flags & PL_POWERON) != 0);
    form.set_number(EP_CONVERT, (pl->flags & PL_CONVERT) != 0);
    form.value(EP_CONVERT).enabled =
        part && has_items(part->convert) && has_pins(part->convert_pins);
    form.set_number(EP_PART_XMIR, (pl->flags & PL_MX) != 0);
    form.set_number(EP_PART_YMIR, (pl->flags & PL_MY) != 0);
    if ((pl->flags & PL_ROT_MASK) <= 3) form.set_number(EP_ROTATION, pl->flags & PL_ROT_MASK);

    FieldValue& devices = form.value(EP_DEVICE);
    devices.entries.clear();
    if (part && part->devices > 1) {
        devices.enabled = true;
        for (int i = 0; i < part->devices; ++i)
            devices.entries.push_back(std::string("Device ") + static_cast<char>('A' + i));
        devices.number = std::clamp(static_cast<int>(pl->device), 0, part->devices - 1);
    } else {
        devices.enabled = false;
        devices.entries.push_back("  N/A ");
        devices.number = 0;
    }

    fill_part_pins(form, state, schema, pl, pl->device, pl->flags);
    show_part_attribute(form, state, form.number(EP_FIELD));

    int numbers = 0, names = 0;
    PinList* library_pins =
        part ? (pl->flags & PL_CONVERT ? part->convert_pins : part->normal_pins) : nullptr;
    if (!pin_display_flags(library_pins, &numbers, &names)) {
        const Vectors* body =
            part ? (pl->flags & PL_CONVERT ? part->convert : part->normal) : nullptr;
        names = part && !body;
        numbers = part && part->devices != 0;
    }
    form.set_number(EP_SHOW_REFS, numbers);
    form.set_number(EP_SHOW_NAMES, names);
    state.pins_changed = false;
}

// --- what the items do ---------------------------------------------------------------------------

void edit_part_react(long id, Form& form, EditPartState& state, Schema* schema, PlacedPart* pl) {
    const int i = selected_field(form, state);
    FieldRecord* record = i >= 0 ? &state.fields[i] : nullptr;
    const uint8_t body_flags = form.number(EP_CONVERT) ? PL_CONVERT : 0;
    switch (id) {
        case PART_CMD_VALUE:
            if (record) record->text = form.text(EP_VALUE);
            return;
        case PART_CMD_XMIR:
            if (record) record->xmir = form.number(EP_XMIR);
            return;
        case PART_CMD_YMIR:
            if (record) record->ymir = form.number(EP_YMIR);
            return;
        case PART_CMD_BOXED:
            if (record) record->boxed = form.number(EP_BOXED);
            return;
        case PART_CMD_VISIBLE:
            if (record) record->visible = form.number(EP_VISIBLE);
            return;
        case PART_CMD_POSITION:
            if (record) record->button = form.number(EP_POSITION);
            return;
        case PART_CMD_PIN_DISPLAY: state.pins_changed = true; return;
        default: break;
    }
    // The actions on the part's own items.
    if (!pl) {
        services().bell();
        return;
    }
    switch (id) {
        case PART_CMD_FIELD: show_part_attribute(form, state, form.number(EP_FIELD)); break;
        case PART_CMD_DEVICE:
        case PART_CMD_CONVERT:
            fill_part_pins(form, state, schema, pl, std::max(form.number(EP_DEVICE), 0),
                           body_flags);
            break;
        case PART_CMD_PIN: sync_pin_name(form, state, false); break;
        case PART_CMD_NAME: store_pin_name(form, state); break;
        default: break;
    }
}

// --- the private copy ------------------------------------------------------------------------------

bool part_shares_library_part(Schema* schema, PlacedPart* pl, const Part* part) {
    if (!schema || !schema->current || !part) return false;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item == pl || item->type != PARTLIB_ITEM) continue;
        if (pl_get_part(schema->library, as_PlacedPart(item)) == part) return true;
    }
    return false;
}

bool fork_Part(Schema* schema, PlacedPart* pl) {
    Part* part = library_part(schema, pl);
    if (!part || !part_shares_library_part(schema, pl, part)) return false;
    std::string base = pl->part_name.get();
    base = base.substr(0, base.find('@'));
    const LibEntry* latest = find_LibEntry_latest(schema->library, base.c_str());
    if (!latest) return false;
    LibEntry* entry = new_LibEntry();
    if (!entry) no_memory();
    entry->part = dup_Part(part);  // held once, by the entry
    const std::string name = entry_next_version(latest->name.get());
    entry->name.set(name.c_str());
    free_LibEntry(lib_insert_entry(schema->library, entry));
    pl->part_name.set(name.c_str());
    pl->part = entry->part;
    return true;
}

// --- Accept ---------------------------------------------------------------------------------------

void apply_edit_part(Schema* schema, PlacedPart* pl, const Form& form, EditPartState& state) {
    const uint8_t old_flags = pl->flags;
    // The fields that stand where the layout put them for the part's
    // orientation are laid out again for the new one; those the user moved
    // turn and mirror with the part.
    std::vector<bool> laid_out(state.fields.size());
    for (size_t i = 0; i < laid_out.size(); ++i) {
        const Attribute* a = pl_get_attribute(pl, static_cast<int>(i));
        laid_out[i] = a && (!(a->flags & SET) ||
                            a->pos == pl_attribute_place(schema->library, pl, static_cast<int>(i)));
    }
    const int rotation = std::clamp(form.number(EP_ROTATION), 0, 3);
    const uint8_t new_flags = static_cast<uint8_t>(
        (form.number(EP_POWER) ? PL_POWERON : 0) | (form.number(EP_CONVERT) ? PL_CONVERT : 0) |
        (form.number(EP_PART_XMIR) ? PL_MX : 0) | (form.number(EP_PART_YMIR) ? PL_MY : 0) |
        rotation);
    pl->flags = new_flags;
    Part* part = library_part(schema, pl);
    // The own pins hold the pin swaps back-annotation made: they go only
    // with the body they were made for.
    if (pl->own_pins && ((old_flags ^ new_flags) & PL_CONVERT)) {
        free_PinList(pl->own_pins, part ? part->devices : 0);
        pl->own_pins = nullptr;
    }
    if (part && part->devices > 1)
        pl->device = std::clamp(form.number(EP_DEVICE), 0, part->devices - 1);

    // The fields turn and mirror with the part about its position.
    const bool dx = (old_flags ^ new_flags) & PL_MX;
    const bool dy = (old_flags ^ new_flags) & PL_MY;
    const int old_rotation = old_flags & PL_ROT_MASK;
    const int turn = old_rotation <= 3 ? ((rotation - old_rotation) % 4 + 4) % 4 : 0;
    Matrix m;
    matrix_identity(&m);
    matrix_translate(&m, -pl->pos.x, -pl->pos.y);
    if (dx) matrix_mirror(&m, 1);
    if (dy) matrix_mirror(&m, 0);
    if (turn) matrix_rotate(&m, turn);
    matrix_translate(&m, pl->pos.x, pl->pos.y);
    for (int i = 0; i < static_cast<int>(state.fields.size()); ++i) {
        Attribute* a = pl_get_attribute(pl, i);
        if (!a) {
            // A field the part did not have starts at the part's position.
            a = pl_need_attribute(pl, i);
            if (!a) no_memory();
            a->pos = pl->pos;
        }
        const FieldRecord& record = state.fields[i];
        a->text.set(record.text.c_str());
        a->flags = static_cast<uint8_t>(
            (a->flags & SET) |
            field_bits(record.xmir, record.ymir, record.boxed, record.visible, record.button));
        if (laid_out[i] && ((old_flags ^ new_flags) & (PL_MX | PL_MY | PL_ROT_MASK)))
            pl_place_attribute(schema, schema->library, pl, i);
        else
            matrix_apply(&m, a->pos, &a->pos);
        drop_Attribute_layout(a);
    }

    // The pins' names and display, only when the user changed them: the
    // table of each body listed goes to that body's pins (the body shown
    // last, when the part's own pins serve both).
    if (!state.pins_changed) return;
    const int shown = body_of(new_flags);
    for (int body : {1 - shown, shown}) {
        if (!state.pin_names[body]) continue;
        store_pin_table(part_pin_list(schema, pl, body == 1), *state.pin_names[body],
                        form.number(EP_SHOW_REFS), form.number(EP_SHOW_NAMES));
    }
}

void apply_part_attribute(Schema*, PlacedPart* pl, const Form& form) {
    Attribute* a = pl_get_attribute(pl, form.number(EP_FIELD));
    if (!a) return;
    a->text.set(form.text(EP_VALUE).c_str());
    a->flags = static_cast<uint8_t>((a->flags & SET) |
                                    field_bits(form.number(EP_XMIR), form.number(EP_YMIR),
                                               form.number(EP_BOXED), form.number(EP_VISIBLE),
                                               form.number(EP_POSITION)));
    drop_Attribute_layout(a);
}

void accept_edit_part(EditSession* session, PlacedPart* pl, const Form& form,
                      EditPartState& state) {
    if (!session || !session->schema || !pl) return;
    Schema* schema = session->schema;
    // Changed pins change the library part (a private copy of it, or the
    // shared one): more than the items, so Undo keeps the whole document.
    EditTransaction edit(
        session, state.pins_changed ? EditTransaction::WHOLE_DOCUMENT : EditTransaction::ITEMS);
    edit.before(pl);
    if (state.pins_changed) fork_Part(schema, pl);
    apply_edit_part(schema, pl, form, state);
    apply_part_attribute(schema, pl, form);
    pl_make_power_list(schema, pl);
    edit.touch(pl);
    // A library part that could not be copied shows the new pins on every
    // part that uses it.
    if (state.pins_changed) {
        const Part* part = library_part(schema, pl);
        for (SchItem* item : list_items<SchItem>(schema->current->items))
            if (item != pl && item->type == PARTLIB_ITEM &&
                pl_get_part(schema->library, as_PlacedPart(item)) == part) {
                edit.before(item);
                edit.touch(item);
            }
    }
}
