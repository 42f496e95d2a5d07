// SPICE circuit deck: "&SPICE:" texts as header lines, one element line per
// package with its nodes in pin-number order, then ".end". Every pin of
// every device must be on a net, and pin numbers must be numbers: a node
// order read from anything else would connect the wrong nodes. A number
// shared by devices of one package (the supply pins of a quad gate) is one
// pin of the package and one node; on two different nets it is refused.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

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

constexpr size_t LINE_LIMIT = 50;

// The reference and pin of the last refused node.
struct RefusedNode {
    std::string error_reference;
    std::string error_pin;
    std::string error_nets[2];
} refused;

int slot_of(const char* number);

// The first pin number of the package that is no number from 0 to 999;
// null when all are good (or the library part is missing).
const char* bad_pin_number(Library* library, PlacedPart* part) {
    Part* library_part = pl_get_part(library, part);
    if (!library_part) return nullptr;
    PinList* list = pl_pins_in_use(library, part);
    for (int device = 0; device < part_devices(library_part); ++device)
        for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
            const char* number = pin_number_for(pin, device);
            if (slot_of(number) < 0) return number;
        }
    return nullptr;
}

// 0..999 for a pin number written as one to three decimal digits, else -1.
int slot_of(const char* number) {
    int slot = 0;
    size_t digits = 0;
    for (; number[digits]; ++digits) {
        if (digits == 3 || !std::isdigit(static_cast<unsigned char>(number[digits]))) return -1;
        slot = slot * 10 + (number[digits] - '0');
    }
    return digits ? slot : -1;
}

const char* node_name(const Ident* net) {
    const char* name = net->name.get();
    return strncasecmp(name, "GND", 3) == 0 ? "0" : name;
}

// One element line, continued on "+ " lines past the length limit; the
// text buffer is the writer's, kept from one line to the next.
class ElementLine {
public:
    ElementLine(FILE* out, std::string& text, const char* start) : out_(out), text_(text) {
        text_.assign(start);
        text_.append(8, ' ');
    }
    void add(const char* word) {
        text_ += ' ';
        text_ += word;
        if (text_.size() > LINE_LIMIT) {
            write();
            text_.assign("+ ");
        }
    }
    // The last word goes on the line whatever its length: a continuation
    // started after it would stand empty.
    void end(const char* word) {
        text_ += ' ';
        text_ += word;
        write();
    }

private:
    void write() {
        std::fputs(text_.c_str(), out_);
        put_newline(out_);
    }

    FILE* out_;
    std::string& text_;
};

int fail(int code, const char* reference, const std::string& pin, const char* net_a = "",
         const char* net_b = "") {
    refused.error_reference = reference;
    refused.error_pin = pin;
    refused.error_nets[0] = net_a;
    refused.error_nets[1] = net_b;
    return code;
}

// Two members of one package on one pin number: of two placed parts that
// carry the same reference for the same device (a duplicate reference), or
// not.
bool same_reference_twice(const PseudoPin* a, const PseudoPin* b) {
    return a->father != b->father && a->father && b->father && a->father->type == PARTLIB_ITEM &&
           b->father->type == PARTLIB_ITEM &&
           as_PlacedPart(a->father)->device == as_PlacedPart(b->father)->device;
}

}  // namespace

const char* spice_error_reference() { return refused.error_reference.c_str(); }
const char* spice_error_pin() { return refused.error_pin.c_str(); }
const char* spice_error_net(int which) { return refused.error_nets[which ? 1 : 0].c_str(); }

int write_spice_netlist(NetlistRun& run, FILE* out) {
    std::fputs("*", out);
    put_newline(out);
    for (const Text* item : run.texts) {
        const std::string& text = item->string;
        if (text.size() >= 7 && strncasecmp(text.c_str(), "&SPICE:", 7) == 0) {
            std::fputs(text.c_str() + 7, out);
            put_newline(out);
        }
    }
    // Kept from one part to the next: the nodes by slot and the line.
    struct Node {
        int slot;
        size_t order;  // place among the package's members
        const Ident* net;
        const char* number;
        const PseudoPin* member;
    };
    std::vector<Node> nodes;
    std::string text;
    // The parts in the order their packages were numbered, each with its
    // package at hand: no look-up by part in a table as large as the design.
    for (size_t at = 0; at < run.placed.size(); ++at) {
        PlacedPart* part = run.placed[at];
        const uint32_t* package = &run.placed_package[at];
        if (part->state & NET_VISITED) continue;
        const char* reference = part->reference.text.get();
        if (const char* bad = bad_pin_number(run.schema->library, part)) {
            net_warningf("Part %s: pin number '%s' is not a number from 0 to 999\n", reference,
                         bad);
            return fail(SPICE_PIN_NOT_A_NUMBER, reference, bad);
        }
        const char* missing = nullptr;
        bool found = walk_part_pins(
            run, part, [](const char*, const Ident*, const Pin*) {},
            [&](const char* number, const Pin*) {
                if (!missing && *number) missing = number;
            },
            package);
        if (!found) continue;  // warned about before writing
        if (missing) return fail(SPICE_PIN_NOT_CONNECTED, reference, missing);
        // Every connected pin of every device of the package, in slot order
        // (ties by their place among the members rather than by a stable
        // sort, which takes a buffer from the heap for every part).
        nodes.clear();
        for (auto& [net, member] : package_members(run, *package)) {
            const char* number = member_pin_number(member);
            int slot = slot_of(number);
            if (slot >= 0) nodes.push_back({slot, nodes.size(), net, number, member});
        }
        std::sort(nodes.begin(), nodes.end(), [](const Node& a, const Node& b) {
            return a.slot != b.slot ? a.slot < b.slot : a.order < b.order;
        });
        for (size_t i = 1; i < nodes.size(); ++i)
            if (nodes[i].slot == nodes[i - 1].slot && nodes[i].net != nodes[i - 1].net) {
                const char* first = nodes[i - 1].net->name.get();
                const char* second = nodes[i].net->name.get();
                if (same_reference_twice(nodes[i - 1].member, nodes[i].member)) {
                    net_warningf("Part %s: two parts carry this reference, on nets %s and %s\n",
                                 reference, first, second);
                    return fail(SPICE_REFERENCE_TWICE, reference, nodes[i].number, first, second);
                }
                net_warningf("Part %s: pin %s is on two nets, %s and %s\n", reference,
                             nodes[i].number, first, second);
                return fail(SPICE_PIN_ON_TWO_NETS, reference, nodes[i].number, first, second);
            }
        ElementLine element(out, text, reference);
        for (size_t i = 0; i < nodes.size(); ++i)
            if (i + 1 == nodes.size() || nodes[i + 1].slot != nodes[i].slot)
                element.add(node_name(nodes[i].net));
        for (int index = 3;; ++index) {
            const Attribute* attribute = pl_get_attribute(part, index);
            if (!attribute) break;
            if (*attribute->text.get()) element.add(attribute->text.get());
        }
        element.end(module_text(part, run.module_field));
    }
    std::fputs(".end", out);
    put_newline(out);
    return 0;
}
