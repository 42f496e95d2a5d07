#include "connectivity/netlist_format.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "connectivity/net_link.h"
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

// The package of a reference, made when new.
uint32_t package_for(NetlistRun& run, const char* reference) {
    auto [at, made] = run.package_of_reference.insert(reference, run.package_count);
    if (made) ++run.package_count;
    return at;
}

// Lays out records by package: starts[k] .. starts[k + 1] index the records
// of package k in `out`, in their order in `records`.
template <class T>
void group_by_package(const std::vector<std::pair<uint32_t, T>>& records, uint32_t packages,
                      std::vector<uint32_t>& starts, std::vector<T>& out) {
    starts.assign(size_t{packages} + 1, 0);
    for (auto& [package, record] : records) ++starts[package + 1];
    for (uint32_t k = 0; k < packages; ++k) starts[k + 1] += starts[k];
    out.resize(records.size());
    std::vector<uint32_t> next(starts.begin(), starts.end() - 1);
    for (auto& [package, record] : records) out[next[package]++] = record;
}

// Files the placed parts by package and names the parts the writers cannot
// use whole, before anything is written.
void index_placed(NetlistRun& run, std::vector<std::pair<uint32_t, PlacedPart*>>& parts) {
    // The devices met so far of each package (numbered as first met, so
    // this grows with the packages in step): devices 0 to 63 as bits, any
    // other device as package and device in `seen`. No table by part as
    // large as the design.
    std::vector<uint64_t> devices;
    FlatIndex<uint64_t> seen;
    auto met_before = [&](uint32_t package, int32_t device) {
        if (package >= devices.size()) devices.resize(size_t{package} + 1, 0);
        if (device >= 0 && device < 64) {
            uint64_t bit = uint64_t{1} << device;
            bool met = devices[package] & bit;
            devices[package] |= bit;
            return met;
        }
        return !seen.insert(uint64_t{package} << 32 | static_cast<uint32_t>(device), 0).second;
    };
    devices.reserve(run.placed.size());
    run.package_of_reference.reserve(run.placed.size());
    parts.reserve(run.placed.size());
    run.placed_package.reserve(run.placed.size());
    for (PlacedPart* part : run.placed) {
        const char* reference = part->reference.text.get();
        uint32_t package = package_for(run, reference);
        part->net_slot = static_cast<uint32_t>(run.placed_package.size());
        parts.emplace_back(package, part);
        run.placed_package.push_back(package);
        if (!pl_get_part(run.schema->library, part))
            net_warningf("Part %s: library part %s not found\n", reference, part->part_name.get());
        if (std::strchr(reference, '?'))
            net_warningf("Part %s is not annotated\n", reference);
        else if (met_before(package, part->device))
            net_warningf("Part %s: duplicate reference\n", reference);
    }
}

// One walk over the nets, the longest list the writers use: each net gets
// its final name (the preferred one of its names, else "N00042" from the
// unnamed-net counter) and its real-net mark, and the members on parts of
// a real net are filed by package, in net and chain order. Then, of the
// nets sharing a prefix before "__", the last is cut to its prefix unless
// another net already carries that very name: a local net never takes the
// name of another. Each prefix is cut on its own, so hashing the names
// (views into copies, set on the nets once the cuts are known) keeps a
// design of many nets linear.
void prepare_nets(NetlistRun& run, std::vector<std::pair<uint32_t, NetlistRun::Member>>& members) {
    struct Prefix {
        uint32_t last;  // the last net named with this prefix (its number), NONE for none
        bool taken;     // a net is named the prefix itself
    };
    constexpr uint32_t NONE = UINT32_MAX;
    std::vector<Prefix> prefixes;
    FlatIndex<std::string_view, NoCaseHash, NoCaseEqual> index;
    auto entry = [&](std::string_view key) -> Prefix& {
        auto [at, made] = index.insert(key, static_cast<uint32_t>(prefixes.size()));
        if (made) prefixes.push_back({NONE, false});
        return prefixes[at];
    };
    // The names are kept here until the cuts are known: each net's name is
    // then set once (a cut name mostly fits the name slot without a heap copy).
    NameArena arena;
    std::vector<std::pair<Ident*, char*>> named;
    // The prefixes of the names holding "__" (with the net's number) and
    // the nets named without (by number): the prefixes are filed once all
    // are known, in a table made to their count, and each whole name is
    // then asked for: the index holds the prefixes alone, not every name.
    std::vector<std::pair<std::string_view, uint32_t>> cuts;
    std::vector<uint32_t> whole;
    size_t nets = run.context->islands ? run.context->islands->count : 0;
    named.reserve(nets);
    whole.reserve(nets);
    members.reserve(run.placed.size() * 2);
    int unnamed = 0;
    MembersAhead ahead(run.context->islands);
    for (Ident* head : list_items<Ident>(run.context->islands)) {
        ahead.next();
        std::optional<std::string> preferred;
        if (head->names) preferred = net_preferred_name(head->names);
        if (!preferred || preferred->empty()) preferred = unnamed_net_name(unnamed++);
        size_t length = 0;
        char* copy = arena.copy(preferred->c_str(), &length);
        std::string_view name(copy, length);
        // A name holding "__" is no prefix (a prefix ends before its first
        // "__"): only the others can take a prefix's place.
        size_t cut = name.find("__");
        if (cut != std::string_view::npos)
            cuts.emplace_back(name.substr(0, cut), static_cast<uint32_t>(named.size()));
        else
            whole.push_back(static_cast<uint32_t>(named.size()));
        named.emplace_back(head, copy);
        if (!has_two_real_members(head)) {
            head->state &= ~uint32_t{IDENT_TWO_MEMBERS};
            continue;
        }
        head->state |= IDENT_TWO_MEMBERS;
        for (SchItem* m = head->nextconn; m; m = m->next) {
            PseudoPin* member = as_PseudoPin(m);
            if (!member || !member_on_part(member)) continue;
            const uint32_t* known = package_of_placed(run, member->father);
            uint32_t package =
                known ? *known
                      : package_for(run, as_PlacedPart(member->father)->reference.text.get());
            members.push_back({package, {head, member}});
        }
    }
    index.reserve(cuts.size());
    for (auto& [prefix, net] : cuts) entry(prefix).last = net;
    if (index.size())
        for (uint32_t k : whole)
            if (uint32_t* at = index.find(std::string_view(named[k].second)))
                prefixes[*at].taken = true;
    // A cut ends the copy at its "__" (no key is looked up again).
    for (const Prefix& prefix : prefixes) {
        if (prefix.last == NONE || prefix.taken) continue;
        char* name = named[prefix.last].second;
        char* cut = std::strstr(name, "__");
        if (cut != name) *cut = '\0';
    }
    for (auto& [head, name] : named) head->name.set(name);
}

bool same_number(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

}  // namespace

const uint32_t* package_of_placed(const NetlistRun& run, const SchItem* item) {
    uint32_t slot = item ? item->net_slot : 0;
    if (slot >= run.placed.size() || run.placed[slot] != item) return nullptr;
    return &run.placed_package[slot];
}

std::span<PlacedPart* const> package_parts(const NetlistRun& run, uint32_t package) {
    if (package >= run.package_count) return {};
    return {run.package_parts.data() + run.part_start[package],
            run.part_start[package + 1] - run.part_start[package]};
}

std::span<const NetlistRun::Member> package_members(const NetlistRun& run, uint32_t package) {
    if (package >= run.package_count) return {};
    return {run.package_members.data() + run.member_start[package],
            run.member_start[package + 1] - run.member_start[package]};
}

const char* module_text(PlacedPart* part, int field) {
    if (field < 1) return "";
    const Attribute* attribute = pl_get_attribute(part, field - 1);
    return attribute ? attribute->text.get() : "";
}

const char* pin_number_for(const Pin* pin, int device) {
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

const char* member_pin_number(const PseudoPin* member) {
    if (!member_on_part(member)) return "";
    return pin_number_for(member->pin, as_PlacedPart(member->father)->device);
}

int part_devices(const Part* part) { return part && part->devices > 0 ? part->devices : 1; }

bool list_part_pins(NetlistRun& run, PlacedPart* part, const uint32_t* package_known) {
    run.pins.clear();
    Library* library = run.schema->library;
    Part* library_part = pl_get_part(library, part);
    if (!library_part) return false;
    int devices = part_devices(library_part);
    const List* normal = library_part->normal_pins ? library_part->normal_pins->pins : nullptr;
    size_t pins = normal ? normal->count : 0;
    // Numbers are checked against the first `slots` pins listed: a package
    // has no more distinct pins than that.
    size_t slots = pins * static_cast<size_t>(devices);
    auto add = [&](const char* number, const Ident* net, const Pin* pin) {
        size_t checked = std::min(slots, run.pins.size());
        for (size_t i = 0; i < checked; ++i)
            if (same_number(run.pins[i].number, number)) return;
        run.pins.push_back({number, net, pin});
    };
    // A part off the sheet's list goes with the package of its reference.
    const uint32_t* known = package_known ? package_known : package_of_placed(run, part);
    if (!known) known = run.package_of_reference.find(part->reference.text.get());
    uint32_t package = known ? *known : run.package_count;
    for (PlacedPart* device : package_parts(run, package)) device->state |= NET_VISITED;
    for (auto& [head, member] : package_members(run, package)) {
        add(member_pin_number(member), head, member->pin);
    }
    PinList* list = pl_pins_in_use(library, part);
    for (int device = 0; device < devices; ++device)
        for (const Pin* pin : list_items<Pin>(list ? list->pins : nullptr))
            add(pin_number_for(pin, device), nullptr, pin);
    return true;
}

int format_netlist(NetContext* context, Schema* schema, const char* root, const char* output,
                   const char* keyword, int module_field, const LinkedObjects* objects) {
    AtomicFile out(output, "w", nullptr, FileKind::NETLIST);
    if (!out.is_open())
        return out.open_failure() == FILE_NOT_WRITTEN ? FILE_NOT_WRITTEN : NETLIST_NOT_OPENED;
    context->sheet = schema->sheet;
    context->ports = schema->ports;
    if (!schema->sheet || !schema->sheet->items) return out.commit();
    NetlistRun run;
    run.context = context;
    run.schema = schema;
    run.root = root ? root : "";
    run.output = output;
    run.module_field = module_field;
    // What the writers take from the sheet, in list order; the parts'
    // visited marks are cleared on the way, as mark_real_nets would. The
    // link's table of the objects it read, where it has one for this sheet,
    // holds them without the members, two thirds of the sheet's list.
    auto take = [&run](SchItem* item) {
        if (item->type == PARTLIB_ITEM) {
            item->state &= ~uint32_t{NET_VISITED};
            run.placed.push_back(as_PlacedPart(item));
        } else if (item->type == TEXT_ITEM) {
            run.texts.push_back(as_Text(item));
        }
    };
    if (objects && objects->sheet == schema->sheet)
        for (SchItem* item : objects->items) take(item);
    else
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) take(item);
    std::vector<std::pair<uint32_t, PlacedPart*>> parts;
    std::vector<std::pair<uint32_t, NetlistRun::Member>> members;
    index_placed(run, parts);
    prepare_nets(run, members);
    group_by_package(parts, run.package_count, run.part_start, run.package_parts);
    group_by_package(members, run.package_count, run.member_start, run.package_members);
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
