#include "connectivity/netlist_format.h"

#include <strings.h>

#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "model/documents/attribute.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/part.h"
#include "model/items/pin.h"

namespace {

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Every net gets its final name: the preferred one of its names, else
// "N%05d" from the unnamed-net counter.
void name_nets(NetContext* context) {
    int unnamed = 0;
    for (Ident* head : list_items<Ident>(context->islands)) {
        std::optional<std::string> name;
        if (head->names) name = net_preferred_name(head->names);
        if (!name || name->empty()) {
            char number[32];
            std::snprintf(number, sizeof number, "N%05d", unnamed++);
            name = number;
        }
        head->name.set(name->c_str());
    }
}

// Of the nets sharing a prefix before "__", the last is cut to its prefix,
// unless another net already carries that very name: a local net never takes
// the name of another.
void cut_suffixes(NetContext* context) {
    // Each prefix is cut on its own: the order they are visited in does not
    // matter, and hashing keeps a design of many nets linear.
    struct Prefix {
        Ident* last = nullptr;
        bool taken = false;
    };
    std::unordered_map<std::string, Prefix> prefixes;
    for (Ident* head : list_items<Ident>(context->islands)) {
        const char* name = head->name.get();
        if (const char* cut = std::strstr(name, "__"))
            prefixes[lower(std::string(name, cut))].last = head;
    }
    if (prefixes.empty()) return;
    for (Ident* head : list_items<Ident>(context->islands))
        if (auto found = prefixes.find(lower(head->name.get())); found != prefixes.end())
            found->second.taken = true;
    for (auto& [prefix, entry] : prefixes) {
        if (prefix.empty() || entry.taken) continue;
        std::string name = entry.last->name.get();
        entry.last->name.set(name.substr(0, name.find("__")).c_str());
    }
}

// The package of a reference, made when new.
size_t package_for(NetlistRun& run, const char* reference) {
    auto [at, made] = run.package_of_reference.try_emplace(lower(reference), run.packages.size());
    if (made) run.packages.emplace_back();
    return at->second;
}

// Groups the placed parts and their members by package, so that each
// package is written in one pass over its own members, and names the parts
// the writers cannot use whole before anything is written.
void index_parts(NetlistRun& run) {
    // Package and device of every annotated part met so far.
    std::unordered_set<uint64_t> seen;
    for (PlacedPart* part : run.placed) {
        const char* reference = part->reference.text.get();
        size_t package = package_for(run, reference);
        run.packages[package].parts.push_back(part);
        run.package_of_part.emplace(part, package);
        if (!pl_get_part(run.schema->library, part))
            net_warningf("Part %s: library part %s not found\n", reference, part->part_name.get());
        if (std::strchr(reference, '?'))
            net_warningf("Part %s is not annotated\n", reference);
        else if (!seen.insert(uint64_t{package} << 32 | static_cast<uint32_t>(part->device)).second)
            net_warningf("Part %s: duplicate reference\n", reference);
    }
    for (Ident* head : list_items<Ident>(run.context->islands)) {
        if (!(head->state & IDENT_TWO_MEMBERS)) continue;
        for (SchItem* m = head->nextconn; m; m = m->next) {
            PseudoPin* member = as_PseudoPin(m);
            if (!member || !member_on_part(member)) continue;
            auto known = run.package_of_part.find(member->father);
            size_t package =
                known != run.package_of_part.end()
                    ? known->second
                    : package_for(run, as_PlacedPart(member->father)->reference.text.get());
            run.packages[package].members.push_back({head, member});
        }
    }
}

}  // namespace

std::string module_text(PlacedPart* part, int field) {
    if (field < 1) return "";
    const Attribute* attribute = pl_get_attribute(part, field - 1);
    return attribute ? attribute->text.get() : "";
}

std::string pin_number_for(const Pin* pin, int device) {
    if (!pin) return "";
    // A pin left without a number for this device goes by its name, as one
    // without numbers does: all such pins would share the empty number, and
    // every one but the first would be lost.
    const char* number = pin->numbers.empty() ? "" : pin_number(pin, device);
    return *number ? number : pin->name.get();
}

bool member_on_part(const PseudoPin* member) {
    return member->father && member->father->type == PARTLIB_ITEM;
}

std::string member_pin_number(const PseudoPin* member) {
    if (!member_on_part(member)) return "";
    return pin_number_for(member->pin, as_PlacedPart(member->father)->device);
}

int part_devices(const Part* part) { return part && part->devices > 0 ? part->devices : 1; }

bool walk_part_pins(
    NetlistRun& run, PlacedPart* part,
    const std::function<void(const std::string&, const Ident*, const Pin*)>& connected,
    const std::function<void(const std::string&, const Pin*)>& unconnected) {
    Library* library = run.schema->library;
    Part* library_part = pl_get_part(library, part);
    if (!library_part) return false;
    int devices = part_devices(library_part);
    const List* normal = library_part->normal_pins ? library_part->normal_pins->pins : nullptr;
    size_t pins = normal ? normal->count : 0;
    size_t slots = pins * static_cast<size_t>(devices);
    std::vector<std::string> seen;  // lower-cased pin numbers, at most `slots`
    auto is_new = [&](const std::string& number) {
        std::string key = lower(number);
        for (const std::string& s : seen)
            if (s == key) return false;
        if (seen.size() < slots) seen.push_back(key);
        return true;
    };
    auto known = run.package_of_part.find(part);
    size_t package = known != run.package_of_part.end()
                         ? known->second
                         : package_for(run, part->reference.text.get());
    for (PlacedPart* device : run.packages[package].parts) device->state |= NET_VISITED;
    for (auto& [head, member] : run.packages[package].members) {
        std::string number = member_pin_number(member);
        if (is_new(number)) connected(number, head, member->pin);
    }
    PinList* list = pl_pins_in_use(library, part);
    for (int device = 0; device < devices; ++device)
        for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr)) {
            std::string number = pin_number_for(pin, device);
            if (is_new(number)) unconnected(number, pin);
        }
    return true;
}

int format_netlist(NetContext* context, Schema* schema, const char* root, const char* output,
                   const char* keyword, int module_field) {
    AtomicFile out(output, "w");
    if (!out.is_open()) return NETLIST_NOT_OPENED;
    context->sheet = schema->sheet;
    context->ports = schema->ports;
    if (!schema->sheet || !schema->sheet->items) return out.commit();
    NetlistRun run;
    run.context = context;
    run.schema = schema;
    run.root = root ? root : "";
    run.output = output;
    run.module_field = module_field;
    name_nets(context);
    cut_suffixes(context);
    mark_real_nets(context);
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == PARTLIB_ITEM) run.placed.push_back(as_PlacedPart(item));
    index_parts(run);
    int result;
    if (strcasecmp(keyword, "FLATEDIF") == 0)
        result = write_edif_netlist(run, out.stream());
    else if (strcasecmp(keyword, "SPICE") == 0)
        result = write_spice_netlist(run, out.stream());
    else if (strcasecmp(keyword, "tessaron") == 0)
        result = write_native_netlist(run, out.stream());
    else
        result = write_layout_netlist(run, out.stream());
    if (result) return result;
    return out.commit();
}
