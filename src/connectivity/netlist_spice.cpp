// SPICE circuit deck: "&SPICE:" texts as header lines, one element line per
// package with its nodes in pin-number order, then ".end". Every pin of
// every device must be on a net, and pin numbers must be distinct numbers:
// a node order read from anything else would connect the wrong nodes.
#include <strings.h>

#include <bitset>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/netlist_format.h"
#include "foundation/list.h"
#include "foundation/text_forms.h"
#include "model/documents/attribute.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/item.h"
#include "model/items/part.h"
#include "model/items/pin.h"

namespace {

constexpr int NODE_SLOTS = 1000;
constexpr size_t LINE_LIMIT = 50;

std::string error_reference;
std::string error_pin;

int slot_of(const std::string& number);

// The first pin number of the package that is no number from 0 to 999 or
// that repeats; none when all are good (or the library part is missing).
std::optional<std::string> bad_pin_number(Library* library, PlacedPart* part) {
    Part* library_part = pl_get_part(library, part);
    if (!library_part) return std::nullopt;
    PinList* list = pl_pins_in_use(library, part);
    std::bitset<NODE_SLOTS> seen;
    for (int device = 0; device < part_devices(library_part); ++device)
        for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
            std::string number = pin_number_for(pin, device);
            int slot = slot_of(number);
            if (slot < 0 || seen.test(static_cast<size_t>(slot))) return number;
            seen.set(static_cast<size_t>(slot));
        }
    return std::nullopt;
}

// 0..999 for a pin number written as decimal digits, else -1.
int slot_of(const std::string& number) {
    if (number.empty() || number.size() > std::to_string(NODE_SLOTS - 1).size()) return -1;
    for (char c : number)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return std::atoi(number.c_str());
}

std::string node_name(const Ident* net) {
    const char* name = net->name.get();
    return strncasecmp(name, "GND", 3) == 0 ? "0" : name;
}

class ElementLine {
public:
    ElementLine(FILE* out, const std::string& start) : out_(out), text_(start) {}
    void add(const std::string& word) {
        text_ += " " + word;
        if (text_.size() > LINE_LIMIT) {
            flush();
            text_ = "+ ";
        }
    }
    void flush() {
        std::fputs(text_.c_str(), out_);
        put_newline(out_);
    }

private:
    FILE* out_;
    std::string text_;
};

int fail(int code, const char* reference, const std::string& pin) {
    error_reference = reference;
    error_pin = pin;
    return code;
}

}  // namespace

const char* spice_error_reference() { return error_reference.c_str(); }
const char* spice_error_pin() { return error_pin.c_str(); }

int write_spice_netlist(NetlistRun& run, FILE* out) {
    std::fputs("*", out);
    put_newline(out);
    for (SchItem* item : list_items<SchItem>(run.schema->sheet->items)) {
        if (item->type != TEXT_ITEM) continue;
        const std::string& text = as_Text(item)->string;
        if (text.size() >= 7 && strncasecmp(text.c_str(), "&SPICE:", 7) == 0) {
            std::fputs(text.c_str() + 7, out);
            put_newline(out);
        }
    }
    for (PlacedPart* part : run.placed) {
        if (part->state & NET_VISITED) continue;
        const char* reference = part->reference.text.get();
        if (std::optional<std::string> bad = bad_pin_number(run.schema->library, part)) {
            net_warningf("Part %s: pin number '%s' is not a distinct number from 0 to 999\n",
                         reference, bad->c_str());
            return fail(SPICE_PIN_NOT_A_NUMBER, reference, *bad);
        }
        std::map<int, std::string> nodes;
        std::string missing;
        bool found = walk_part_pins(
            run, part,
            [&](const std::string& number, const Ident* net, const Pin*) {
                int slot = slot_of(number);
                if (slot >= 0) nodes[slot] = node_name(net);
            },
            [&](const std::string& number, const Pin*) {
                if (missing.empty()) missing = number;
            });
        if (!found) continue;  // warned about before writing
        if (!missing.empty()) return fail(SPICE_PIN_NOT_CONNECTED, reference, missing);
        ElementLine element(out, std::string(reference) + "        ");
        for (auto& [slot, name] : nodes) element.add(name);
        for (int index = 3;; ++index) {
            const Attribute* attribute = pl_get_attribute(part, index);
            if (!attribute) break;
            if (*attribute->text.get()) element.add(attribute->text.get());
        }
        element.add(module_text(part, run.module_field));
        element.flush();
    }
    std::fputs(".end", out);
    put_newline(out);
    return 0;
}
