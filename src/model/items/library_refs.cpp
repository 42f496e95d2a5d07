// Resolving every body reference of a library at once, after reading it.
//
// The references form a graph on the parts' body slots (a part's normal and
// converted body): a slot holding a reference points at the slot it names.
// Followed from a slot, the graph ends at a body with items (the slot then
// shares it), at a missing entry, part or body (74), or in a cycle (75).
//
// Slots are resolved in entry order, normal before converted, and a slot
// that fails is emptied. That changes what later slots find: a chain that
// leads into a cycle meets an emptied slot, and so 74 instead of 75, when a
// slot on it (on the way or on the cycle) failed before. Walking every chain
// afresh for every slot would cost the chain's length each time, so instead
//   1. each slot is linked to the slot its reference names (a name look-up);
//   2. each chain is walked once on the graph as read: a slot gets the end
//      of its chain and, for a chain that ends in a cycle, the first place
//      in resolution order of the slots it passes;
//   3. the slots are resolved in order from these notes.
// The whole costs one look-up per slot and linear time besides, and gives
// what resolving the slots one by one (resolve_part_body) gives.
#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/core.h"
#include "foundation/errors.h"
#include "model/items/library.h"
#include "model/items/library_refs.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

namespace {

constexpr size_t NONE = SIZE_MAX;

Vectors*& body_of(Part* part, bool convert) { return convert ? part->convert : part->normal; }

// One body slot; its place in resolution order is its index.
struct Slot {
    LibEntry* entry;  // the first entry holding the part
    bool convert;
    bool reference = false;     // holds a reference: to be resolved
    bool walked = false;        // its end is known
    bool on_path = false;       // on the chain being walked
    size_t next = NONE;         // the slot its reference names, when that holds one too
    Vectors* target = nullptr;  // the body with items the chain ends at
    int code = 0;               // else LIB_NULL_REFERENCE or LIB_REFERENCE_LOOP
    size_t first = NONE;        // for a cycle: the first place of a slot on the chain
};

// Step 1: the slots in resolution order, each linked or given its end.
std::vector<Slot> link_slots(Library* library) {
    std::vector<Slot> slots;
    std::unordered_map<const Part*, size_t> place;  // of a part's normal slot
    for (LibEntry* entry : lib_entries_in_order(library)) {
        if (!entry->part || !place.emplace(entry->part, slots.size()).second) continue;
        slots.push_back(Slot{entry, false});
        slots.push_back(Slot{entry, true});
    }
    for (Slot& slot : slots) {
        const Vectors* reference = body_of(slot.entry->part, slot.convert);
        slot.reference = reference && reference->saved_mode != DEFINE_VEC;
        if (!slot.reference) continue;
        bool convert = reference->saved_mode == CONVERTOF_VEC;
        LibEntry* named = find_LibEntry(library, reference->name.get());
        Vectors* body = named && named->part ? body_of(named->part, convert) : nullptr;
        if (body && body->saved_mode != DEFINE_VEC) {
            slot.next = place.at(named->part) + (convert ? 1 : 0);
            continue;
        }
        slot.walked = true;
        slot.target = body;
        slot.code = body ? 0 : LIB_NULL_REFERENCE;
    }
    return slots;
}

// Step 2: the ends of every chain, each slot walked once.
void walk_chains(std::vector<Slot>& slots) {
    std::vector<size_t> path;
    for (size_t start = 0; start < slots.size(); ++start) {
        if (!slots[start].reference || slots[start].walked) continue;
        size_t at = start;
        while (!slots[at].walked && !slots[at].on_path) {
            slots[at].on_path = true;
            path.push_back(at);
            at = slots[at].next;
        }
        if (slots[at].on_path) {  // a cycle: the path from `at` on
            size_t begin = path.size();
            size_t first = NONE;
            do {
                --begin;
                first = std::min(first, path[begin]);
            } while (path[begin] != at);
            for (size_t i = begin; i < path.size(); ++i) {
                Slot& slot = slots[path[i]];
                slot.code = LIB_REFERENCE_LOOP;
                slot.first = first;
                slot.walked = true;
                slot.on_path = false;
            }
            path.resize(begin);
        }
        while (!path.empty()) {
            Slot& slot = slots[path.back()];
            const Slot& next = slots[slot.next];
            slot.target = next.target;
            slot.code = next.code;
            if (next.code == LIB_REFERENCE_LOOP) slot.first = std::min(slot.next, next.first);
            slot.walked = true;
            slot.on_path = false;
            path.pop_back();
        }
    }
}

}  // namespace

int resolve_LibVectors(Library* library, bool verbose) {
    set_current_library(library);
    std::vector<Slot> slots = link_slots(library);
    walk_chains(slots);
    int last_failure = 0;
    for (size_t i = 0; i < slots.size(); ++i) {
        const Slot& slot = slots[i];
        if (!slot.reference) continue;
        // A slot of the chain emptied before this one is met first.
        int code =
            slot.code == LIB_REFERENCE_LOOP && slot.first < i ? LIB_NULL_REFERENCE : slot.code;
        Vectors*& held = body_of(slot.entry->part, slot.convert);
        Vectors* reference = held;
        held = nullptr;
        if (code == 0) {
            ref_Vectors(slot.target);
            held = slot.target;
        }
        unref_Vectors(reference);
        if (code == 0) continue;
        last_failure = code;
        if (verbose) {
            warning(slot.convert ? "Part '%s', Converted Vector" : "Part '%s',Normal Vector",
                    slot.entry->name.get());
            warning("Vector ignored.");
            warning("%s", message_text(nullptr, RuntimeCode{code}).c_str());
        }
    }
    return last_failure;
}
