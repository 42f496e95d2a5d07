// The pins of the part under edit: numbers, pinout lines, dialog rows, the
// changes of the pin dialogs and the search for a pin.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/sheet_modes.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "libedit/libedit.h"
#include "libedit/libedit_kit.h"
#include "libedit/libedit_pins.h"
#include "libedit/libedit_transaction.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"
#include "model/items/view.h"

namespace {

// Codes and bits of the rows.
const int type_codes[PIN_TYPE_ROWS] = {PIN_IN, PIN_OUT, PIN_IO, PWR, PAS, PIN_HIZ, PIN_OC, PIN_OE};
const int shape_bits[PIN_SHAPE_ROWS] = {0, SHORT, CLOCK, DOT, DOT | CLOCK};
constexpr int SHAPE_MASK = SHORT | DOT | CLOCK;

// Numbers 1..NUMBER_LIMIT - 1 are counted.
constexpr int NUMBER_LIMIT = 5000;

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string fitted(std::string text, size_t width, size_t cut) {
    if (text.size() > width) return text.substr(0, cut) + "...";
    text.resize(width, ' ');
    return text;
}

int number_of(const char* text) {
    const int n = std::atoi(text);
    return n >= 1 && n < NUMBER_LIMIT ? n : 0;
}

int devices_of(const Part* part) { return part ? std::max(part->devices, 1) : 1; }

PinList* form_pins(Part* part, bool converted) {
    return part ? (converted ? part->convert_pins : part->normal_pins) : nullptr;
}

bool pin_of_list(const PinList* list, const Pin* pin) {
    if (!list || !pin) return false;
    for (const Pin* p : list_items<Pin>(list->pins))
        if (p == pin) return true;
    return false;
}

// A pin changed: its drawing is made again; a power pin's symbols on every
// placed part of the editing sheet follow.
void pin_changed(LibEdit* ed, Pin* pin) {
    free_Vectors(pin->drawing);
    pin->drawing = nullptr;
    Schema* schema = libedit_schema(ed);
    for (SchItem* item : list_items<SchItem>(libedit_items(ed)))
        if (item->type == PARTLIB_ITEM) pl_make_power_list(schema, as_PlacedPart(item));
}

void apply_fields(Pin* pin, int devices, int device, const PinFields& fields) {
    int index = device;
    parse_pin_numbers(pin, devices, fields.numbers.c_str(), &index);
    pin->name.set(fields.name.c_str());
    // The side and what the pin shows are its own: only the shape changes.
    pin->flags =
        static_cast<uint8_t>((pin->flags & ~SHAPE_MASK) | pin_shape_of_row(fields.shape_row));
    pin->type = static_cast<uint8_t>(pin_type_of_row(fields.type_row));
}

}  // namespace

const char* const pin_type_labels[PIN_TYPE_ROWS] = {
    "In", "Out", "Input/Output", "Power", "Passive", "3 States", "Open Col.", "Open Emit."};
const char* const pin_shape_labels[PIN_SHAPE_ROWS] = {"Line", "Short", "Clock", "Dot", "Dot Clock"};

int pin_type_of_row(int row) { return row >= 0 && row < PIN_TYPE_ROWS ? type_codes[row] : PIN_IN; }

int pin_shape_of_row(int row) { return row >= 0 && row < PIN_SHAPE_ROWS ? shape_bits[row] : 0; }

int pin_row_of_type(int type) {
    for (int row = 0; row < PIN_TYPE_ROWS; ++row)
        if (type_codes[row] == type) return row;
    return -1;
}

int pin_row_of_shape(int shape) {
    for (int row = 0; row < PIN_SHAPE_ROWS; ++row)
        if (shape_bits[row] == (shape & SHAPE_MASK)) return row;
    return -1;
}

int pin_next_type(int type) {
    const int row = pin_row_of_type(type);
    return row < 0 ? type : type_codes[(row + 1) % PIN_TYPE_ROWS];
}

int pin_next_shape(int shape) {
    // The key steps "Line", "Short", "Dot", "Clock", "Dot Clock".
    static const int cycle[] = {0, SHORT, DOT, CLOCK, DOT | CLOCK};
    for (size_t i = 0; i < std::size(cycle); ++i)
        if (cycle[i] == shape) return cycle[(i + 1) % std::size(cycle)];
    return shape;
}

// --- numbers ------------------------------------------------------------------------------
void parse_pin_numbers(Pin* pin, int devices, const char* text, int* index) {
    if (!pin || !index) return;
    if (devices > 0 && pin->numbers.empty()) resize_PinNumbers(pin, devices);
    std::string rest = text ? text : "";
    size_t comma;
    while ((comma = rest.find(',')) != std::string::npos) {
        if (*index < devices) {
            set_pin_number(pin, *index, trimmed(rest.substr(0, comma)).c_str());
            ++*index;
        }
        rest.erase(0, comma + 1);
    }
    if (*index >= 0 && *index < devices) set_pin_number(pin, *index, trimmed(rest).c_str());
}

std::string join_pin_numbers(const Pin* pin, int devices) {
    const int count = pin->type == PWR ? 1 : devices;
    std::string joined;
    for (int i = 0; i < count; ++i) {
        if (i > 0) joined += ',';
        joined += pin_number(pin, i);
    }
    return joined;
}

std::string pinout_line(const Pin* pin, int devices) {
    std::string line = fitted(join_pin_numbers(pin, devices), 15, 12);
    line = fitted(line + " " + pin->name.get(), 24, 21);
    line += ' ';
    switch (pin->flags & SHAPE_MASK) {
        case 0: line += "Line       "; break;
        case SHORT: line += "Short      "; break;
        case DOT: line += "Dot        "; break;
        case CLOCK: line += "Clock      "; break;
        case DOT | CLOCK: line += "Dot Clock  "; break;
        default: break;
    }
    static const char* const types[] = {"In      ", "Out     ", "In/Out  ", "O.Col.  ",
                                        "O.Emit. ", "Power   ", "Passive ", "3 Stat. "};
    if (pin->type >= PIN_IN && pin->type <= PIN_HIZ) line += types[pin->type - PIN_IN];
    return line;
}

int pin_next_free_number(const PinList* list, int devices) {
    std::vector<bool> used(NUMBER_LIMIT, false);
    for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
        if (pin->numbers.empty()) {
            used[static_cast<size_t>(number_of(pin->name.get()))] = true;
            continue;
        }
        for (int i = 0; i < devices; ++i)
            used[static_cast<size_t>(number_of(pin_number(pin, i)))] = true;
    }
    for (int n = 1; n < NUMBER_LIMIT; ++n)
        if (!used[static_cast<size_t>(n)]) return n;
    return 1;
}

std::string pin_duplicated_numbers(const PinList* list, int devices) {
    std::vector<unsigned char> counts(NUMBER_LIMIT, 0);
    for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
        if (pin->type == PWR || pin->numbers.empty()) continue;
        for (int i = 0; i < devices; ++i) {
            const int n = number_of(pin_number(pin, i));
            if (n && counts[static_cast<size_t>(n)] < 255) ++counts[static_cast<size_t>(n)];
        }
    }
    std::string listed;
    int shown = 0;
    for (int n = 1; n < NUMBER_LIMIT; ++n) {
        if (counts[static_cast<size_t>(n)] < 2) continue;
        if (shown == 11) return listed + "...";
        if (shown > 0) listed += ",";
        listed += std::to_string(n);
        ++shown;
    }
    return listed;
}

std::string pin_device_prompt(int device, int devices) {
    std::string prompt = "Reference for Device ";
    for (int i = device; i < devices; ++i) {
        prompt += static_cast<char>('A' + i);
        prompt += ',';
    }
    if (prompt.back() == ',') prompt.pop_back();
    if (prompt.size() > 30) prompt = prompt.substr(0, 30) + "...";
    return prompt;
}

// --- pins of the part under edit -------------------------------------------------------------------
PinList* placed_pin_list(const LibEdit* ed, PlacedPart* placed) {
    Part* part = placed ? pl_get_part(libedit_library(ed), placed) : nullptr;
    return form_pins(part, placed && (placed->flags & PL_CONVERT));
}

bool pin_duplicate(const LibEdit* ed, PlacedPart* placed, const Pin* pin) {
    PinList* list = placed_pin_list(ed, placed);
    for (const Pin* other : list_items<Pin>(list ? list->pins : nullptr))
        if (other != pin && other->pos == pin->pos) return true;
    return false;
}

PinFields pin_fields_from_properties() {
    PinFields fields;
    fields.name = strproper_get(PIN_NAME);
    fields.numbers = strproper_get(PIN_REF);
    fields.type_row = std::max(pin_row_of_type(proper_get(PIN_TYPE)), 0);
    fields.shape_row = std::max(pin_row_of_shape(proper_get(PIN_SHAPE)), 0);
    return fields;
}

void pin_fields_store(const PinFields& fields) {
    proper_set(PIN_NAME, fields.name.c_str(), PIN_REF, fields.numbers.c_str(), PIN_TYPE,
               pin_type_of_row(fields.type_row), PIN_SHAPE, pin_shape_of_row(fields.shape_row), 0);
}

PinFields pin_fields_of(const Pin* pin, int device) {
    PinFields fields;
    fields.numbers = pin_number(pin, device);
    fields.name = pin->name.get();
    fields.type_row = pin_row_of_type(pin->type);
    fields.shape_row = pin_row_of_shape(pin->flags);
    return fields;
}

PinFields pinout_fields_of(const Pin* pin, int devices) {
    PinFields fields = pin_fields_of(pin, 0);
    fields.numbers = join_pin_numbers(pin, devices);
    return fields;
}

bool libedit_change_pin(LibEdit* ed, Pin* pin, int device, const PinFields& fields) {
    Part* part = libedit_part(ed);
    if (!part || !(pin_of_list(part->normal_pins, pin) || pin_of_list(part->convert_pins, pin)))
        return false;
    pin_fields_store(fields);
    LibEditTransaction edit(ed);
    apply_fields(pin, devices_of(part), device, fields);
    pin_changed(ed, pin);
    return true;
}

std::vector<std::string> pinout_lines(const LibEdit* ed, bool converted) {
    std::vector<std::string> lines;
    Part* part = libedit_part(ed);
    PinList* list = form_pins(part, converted);
    for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr))
        lines.push_back(pinout_line(pin, devices_of(part)));
    return lines;
}

Pin* pinout_pin(const LibEdit* ed, bool converted, int row) {
    PinList* list = form_pins(libedit_part(ed), converted);
    int i = 0;
    for (Pin* pin : list_items<Pin>(list ? list->pins : nullptr))
        if (i++ == row) return pin;
    return nullptr;
}

bool pinout_apply(LibEdit* ed, bool converted, int row, const PinFields& fields) {
    Pin* pin = pinout_pin(ed, converted, row);
    if (!pin) return false;
    LibEditTransaction edit(ed);
    apply_fields(pin, devices_of(libedit_part(ed)), 0, fields);
    pin_changed(ed, pin);
    return true;
}

// --- finding a pin -------------------------------------------------------------------------
bool find_pin_position(const LibEdit* ed, bool by_name, const char* text, bool converted,
                       Point* at) {
    Part* part = libedit_part(ed);
    PinList* list = form_pins(part, converted);
    if (!list || !text) return false;
    const int devices = devices_of(part);
    const Pin* found = nullptr;
    int device = 0;
    for (const Pin* pin : list_items<Pin>(list->pins)) {
        if (by_name) {
            if (lib_name_compare(pin->name.get(), text) == 0) found = pin;
        } else {
            for (int i = 0; i < devices && !found; ++i)
                if (lib_name_compare(pin_number(pin, i), text) == 0) {
                    found = pin;
                    device = i;
                }
        }
        if (found) break;
    }
    if (!found) return false;
    int index = part->state & PART_CONVERTED ? 2 * device + (converted ? 1 : 0) : device;
    for (SchItem* item : list_items<SchItem>(libedit_items(ed))) {
        if (item->type != PARTLIB_ITEM || index-- > 0) continue;
        *at = Point{world_add(item->pos.x, found->pos.x), world_add(item->pos.y, found->pos.y)};
        return true;
    }
    // The editing sheet lacks the device's body: nothing to show.
    return false;
}

bool libedit_find_pin(LibEdit* ed, bool by_name, const char* text) {
    Point at;
    EditSession* session = ed->session;
    if (!session || !libedit_first_placed(ed)) return false;
    if (find_pin_position(ed, by_name, text, true, &at) ||
        find_pin_position(ed, by_name, text, false, &at)) {
        if (view_ensure_visible(&session->schema->view, at)) session->host->redraw();
        WarpPointer(session, at);
        return true;
    }
    set_prompt(session, "Item not found !");
    session->host->bell();
    return false;
}
