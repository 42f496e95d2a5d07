// Members, names and merging: phase 9's attachment of a pseudo-pin to an
// island it touches, phase 10 on the builder's table (table_merge_names)
// through a table of names, and the routines on heads and their names that
// the hierarchy link shares.
#include <bit>
#include <cctype>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_table.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/open_table.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"

namespace {

int net_counter = 0;

bool is_bus_alias(const char* name) {
    return std::strchr(name, '@') != nullptr && std::strchr(name, '/') != nullptr;
}

List* ensure_list(List** list) {
    if (!*list && !(*list = list_new())) no_memory();
    return *list;
}

}  // namespace

int32_t member_name_kind(const SchItem* whoami, const Pin* pin, const SchItem* father) {
    if (father && father->type == SUBSHEET_ITEM && whoami && whoami->type == PORT_ITEM)
        return NAME_PORT;
    if (father && father->type == PARTLIB_ITEM) return pin && pin->type == PWR ? NAME_PIN : 0;
    if (whoami && whoami->type == POWER_ITEM) return NAME_POWER;
    if (whoami && whoami->type == PORT_ITEM) return NAME_PORT;
    return 0;
}

namespace {

// The name record an item gives its island: kind and text; false for none.
bool naming_record(const SchItem* item, int32_t* kind, std::string* name) {
    if (item->type == TEXT_ITEM) {
        *kind = NAME_LABEL;
        *name = as_Text(item)->string;
        return true;
    }
    const PseudoPin* pp = as_PseudoPin(item);
    *kind = member_name_kind(pp->whoami, pp->pin, pp->father);
    switch (*kind) {
        case NAME_PIN: *name = pp->pin->name.get(); return true;
        case NAME_POWER: *name = as_Power(pp->whoami)->name.get(); return true;
        case NAME_PORT: *name = as_Port(pp->whoami)->name.get(); return true;
        default: return false;
    }
}

bool in_merge_set(NetContext* context, Ident* head) {
    if (NetTable* t = context->table) return table_head_entry(t, head).merge_set == t->merge_set;
    for (Ident* member : list_items<Ident>(context->merge_set))
        if (member == head) return true;
    return false;
}

DListNode* island_node(NetContext* context, List* list, Ident* head) {
    if (context->table)
        if (DListNode* node = table_head_entry(context->table, head).node) return node;
    for (DListNode* node : dlist_nodes(list))
        if (node->data == head) return node;
    return nullptr;
}

// The island of the wire an item's island is found by (phase 10), on the
// build's table: a label's first wire, a member's last wire (its stub when
// it touched none); NO_LINE for none.
uint32_t table_wire(const NetTable* t, const SchItem* item) {
    if (item->type == PSEUDO_PIN) return t->member_net[item->net_slot];
    if (item->type == TEXT_ITEM || item->type == NETPROP_ITEM) return t->label_net[item->net_slot];
    return NO_LINE;
}

bool absorbed_wire(uint32_t net) { return net != NO_LINE && (net & NetTable::NET_OF_ABSORBED); }

// item_net_name on the build's table: a member's wire is one of its lines.
bool table_item_name(const NetTable* t, const SchItem* item, std::string* name) {
    if (item->state & (NET_IGNORED | NET_VISITED)) return false;
    if (item->type == TEXT_ITEM) {
        if ((item->flags & TEXT_TYPE_MASK) != LABEL) return false;
        *name = as_Text(item)->string;
        return true;
    }
    if (item->type != PSEUDO_PIN) return false;
    if (absorbed_wire(table_wire(t, item))) return false;
    int32_t kind;
    return naming_record(item, &kind, name);
}

// table_item_name for an item known to have named before: only its marks
// can have changed.
bool still_names(const NetTable* t, const SchItem* item) {
    if (item->state & (NET_IGNORED | NET_VISITED)) return false;
    return item->type != PSEUDO_PIN || !absorbed_wire(table_wire(t, item));
}

// The first record of the chain of a naming item's island (its head once
// the islands are made), or null when the item lies on no wire.
SchItem* island_of(NetContext* context, SchItem* item) {
    if (NetTable* t = context->table) {
        uint32_t net = table_wire(t, item);
        return net == NO_LINE ? nullptr : table_live_head(t, net & ~NetTable::NET_OF_ABSORBED);
    }
    SchItem* wire = nullptr;
    if (item->type == TEXT_ITEM || item->type == NETPROP_ITEM)
        wire = first_wire_at(context, item->pos);
    else if (item->type == PSEUDO_PIN)
        wire = as_PseudoPin(item)->stub;
    else
        net_debug("Internal Error:Unknow type for island const\n");
    return wire ? chain_first(context, wire) : nullptr;
}

// Links each naming record to the next one of its name: next[i] is the
// first j > i whose folded name equals i's (UINT32_MAX: none). The table
// holds, per name, the last record of it met so far, with the name's hash:
// a name met before is read only when the hashes agree (on a large sheet
// each such read is a wait on memory).
void link_names(const std::string& text, const TableVector<uint32_t>& start,
                TableVector<uint32_t>& next) {
    size_t count = start.size() - 1;
    auto name_of = [&](size_t i) {
        return std::string_view(text.data() + start[i], start[i + 1] - start[i]);
    };
    HashedIndex<TableVector<HashedSlot>> last;
    last.reserve(count + 1, 1);
    next.assign(count, UINT32_MAX);
    for (uint32_t i = 0; i < count; ++i) {
        std::string_view key = name_of(i);
        const uint32_t hash = text_hash(key);
        const size_t at = last.locate(hash, [&](uint32_t j) { return name_of(j) == key; });
        const uint32_t before = last.number_at(at);
        if (before == HashedSlot::NONE) {
            last.fill(at, i, hash);
        } else {
            next[before] = i;
            last.renumber(at, i);
        }
    }
}

PseudoPin* last_member(Ident* head) {
    PseudoPin* member = head->nextconn;
    while (member && member->next) member = static_cast<PseudoPin*>(member->next);
    return member;
}

}  // namespace

// --- phase 9 -----------------------------------------------------------------------------------

void attach_member(NetContext* context, PseudoPin* pp, SchItem* wire) {
    pp->stub = wire;
    if (pp->prev || pp->next) return;
    SchItem* first = chain_first(context, wire);
    if (first->type != IDENT_ITEM) return;
    Ident* head = as_Ident(first);
    TN_ASSERT(head->prevconn == nullptr);
    if (head->nextconn == pp) return;
    pp->next = head->nextconn;
    if (head->nextconn) head->nextconn->prev = pp;
    head->nextconn = pp;
    pp->prev = head;
}

// --- names -----------------------------------------------------------------------------------

bool item_net_name(const SchItem* item, std::string* name) {
    if (item->state & (NET_IGNORED | NET_VISITED)) return false;
    if (item->type == TEXT_ITEM) {
        if ((item->flags & TEXT_TYPE_MASK) != LABEL) return false;
        *name = as_Text(item)->string;
        return true;
    }
    if (item->type != PSEUDO_PIN) return false;
    const PseudoPin* pp = as_PseudoPin(item);
    if (pp_is_link(pp) || (pp->stub && (pp->stub->state & NET_IGNORED))) return false;
    int32_t kind;
    return naming_record(item, &kind, name);
}

Line* first_wire_at(NetContext* context, Point p) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (is_wire_line(item) && point_on_wire(p, as_Line(item), 0)) return as_Line(item);
    return nullptr;
}

bool net_names_equal(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

NameRec* find_name(const Ident* head, const char* name, int32_t kind) {
    for (NameRec* rec : list_items<NameRec>(head->names))
        if (rec->name && net_names_equal(rec->name, name) && (kind == -1 || rec->kind == kind))
            return rec;
    return nullptr;
}

std::string unnamed_net_name(int number) {
    // Without a formatted print: a netlist names thousands of nets so.
    char text[16];
    char* at = text + sizeof text;
    auto left = static_cast<unsigned>(number);
    int digits = 0;
    do {
        *--at = static_cast<char>('0' + left % 10);
        left /= 10;
    } while (++digits < 5 || left != 0);
    *--at = 'N';
    return std::string(at, static_cast<size_t>(text + sizeof text - at));
}

std::optional<std::string> net_preferred_name(const List* names) {
    const NameRec* best = nullptr;
    int32_t best_kind = 0;
    for (const NameRec* rec : list_items<NameRec>(names)) {
        if (!rec->name || is_bus_alias(rec->name)) continue;
        int32_t k = rec->kind;
        bool take = k == NAME_POWER || (k == NAME_PORT && best_kind != NAME_POWER) ||
                    (k == NAME_LABEL && best_kind != NAME_PORT && best_kind != NAME_POWER) ||
                    (k == NAME_PIN && best_kind != NAME_PORT && best_kind != NAME_LABEL &&
                     best_kind != NAME_POWER);
        if (take) {
            best = rec;
            best_kind = k;
        }
    }
    if (!best) return std::nullopt;
    std::string name = best->name;
    for (char& c : name)
        if (c == ',') c = '.';
    return name;
}

void reset_net_counter() { net_counter = 0; }
int next_net_number() { return ++net_counter; }

// --- merging -----------------------------------------------------------------------------------

namespace {

// Empties the set, keeping its list (a build makes one set per name); the
// build's heads marked as in it are then in an older set.
void empty_merge_set(NetContext* context) {
    if (context->merge_set)
        while (context->merge_set->count) dlist_remove_head(context->merge_set, nullptr);
    if (context->table) ++context->table->merge_set;
}

}  // namespace

bool new_merge_set(NetContext* context) {
    empty_merge_set(context);
    if (!context->merge_set) context->merge_set = list_new();
    return context->merge_set != nullptr;
}

void add_to_merge_set(NetContext* context, SchItem* item) {
    SchItem* first = island_of(context, item);
    if (!first) {
        item->state |= NET_VISITED;
        return;
    }
    first->state |= IDENT_MERGE_SET;
    if (first->type != IDENT_ITEM) {
        item->state |= NET_VISITED;
        return;
    }
    Ident* head = as_Ident(first);
    if (!in_merge_set(context, head)) {
        if (!dlist_append(ensure_list(&context->merge_set), head)) no_memory();
        if (NetTable* t = context->table) table_head_entry(t, head).merge_set = t->merge_set;
    }
    int32_t kind;
    std::string name;
    if (naming_record(item, &kind, &name) && !find_name(head, name.c_str(), kind)) {
        NameRec* rec = new_NameRec();
        if (!rec) no_memory();
        rec->kind = kind;
        rec->name = str_dup(name.c_str());
        if (!dlist_prepend(ensure_list(&head->names), rec)) no_memory();
    }
    item->state |= NET_VISITED;
}

void merge_islands(NetContext* context) {
    if (!context->merge_set || context->merge_set->count < 2) return;
    auto* target = static_cast<Ident*>(dlist_head(context->merge_set)->data);
    PseudoPin* last = last_member(target);
    bool first_one = true;
    for (Ident* head : list_items<Ident>(context->merge_set)) {
        if (first_one) {
            first_one = false;
            continue;
        }
        if (PseudoPin* members = head->nextconn) {
            if (last) {
                last->next = members;
                members->prev = last;
            } else {
                target->nextconn = members;
                members->prev = target;
            }
            head->nextconn = nullptr;
            for (last = members; last->next; last = static_cast<PseudoPin*>(last->next)) {
            }
        }
        if (head->next) head->next->prev = target;
        head->prev = target;
        for (DListNode* node : dlist_nodes(head->names)) {
            auto* rec = static_cast<NameRec*>(node->data);
            dlist_remove(head->names, node, nullptr);
            if (rec->name && find_name(target, rec->name, rec->kind))
                free_NameRec(rec, false);
            else if (!dlist_append(ensure_list(&target->names), rec))
                no_memory();
        }
        if (head->names) dlist_free(head->names, LIST_FROM_HEAD, nullptr);
        head->names = nullptr;
        if (head->netprop) {
            if (!target->netprop) {
                target->netprop = head->netprop;
                head->netprop = nullptr;
            } else if (!netprop_equal(target->netprop, head->netprop)) {
                std::string name = net_preferred_name(target->names).value_or("");
                net_warningf("*** Warning : Net '%s' have multiple differents Net Properties...\n",
                             name.c_str());
            }
        }
        net_debug("2 Iles Mergee .........\n");
        List* from = (head->state & IDENT_MERGE_SET) ? context->islands : context->subsheet_islands;
        if (DListNode* node = from ? island_node(context, from, head) : nullptr) {
            dlist_remove(from, node, nullptr);
            if (context->table) table_head_entry(context->table, head).node = nullptr;
        }
        // Kept, emptied, for the chains merged into it before (see NetContext).
        free_Ident(head, true);
        head->nextconn = nullptr;
        if (!dlist_append(ensure_list(&context->merged_heads), head)) no_memory();
    }
    // The set named merged heads but its first.
    empty_merge_set(context);
}

namespace {

// Gives the net under a net-property label its properties, unless it has some.
void attach_net_property(NetContext* context, SchItem* item) {
    SchItem* first = island_of(context, item);
    if (!first || first->type != IDENT_ITEM || as_Ident(first)->netprop) return;
    as_Ident(first)->netprop = copy_NetProp(as_NetProp(item));
    if (!as_Ident(first)->netprop) no_memory();
}

}  // namespace

void attach_net_properties(NetContext* context) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items))
        if (item->type == NETPROP_ITEM) attach_net_property(context, item);
}

// --- phase 10 --------------------------------------------------------------------------------

Ident* table_live_head(NetTable* table, uint32_t number) {
    SchItem* head = table->heads[number].head;
    while (head->prev) head = head->prev;
    return as_Ident(head);
}

NetTable::HeadEntry& table_head_entry(NetTable* table, const Ident* head) {
    NetTable::HeadEntry& entry = table->heads[head->net_slot];
    TN_ASSERT(entry.head == head);
    return entry;
}

int table_merge_names(NetContext* context) {
    NetTable* t = context->table;
    // The naming items in list order (the sheet's labels, then the members),
    // with for each the later ones of its name; what an item names never
    // changes here, whether it still names (bit 2) does, and is asked again
    // before each use. Bit 2 of the sheet and its records was cleared by the
    // preparation (phase 1); no phase before this one sets it.
    // Room for every item that may name, so that the lists are not copied
    // as they grow (on a sheet of a million parts each is megabytes).
    const size_t most = t->texts.size() + t->naming_members.size();
    TableVector<SchItem*> naming;
    naming.reserve(most);
    TableVector<uint32_t> next_of_name;
    std::string text;
    TableVector<uint32_t> start;
    start.reserve(most + 1);
    start.push_back(0);
    std::string name;
    auto take = [&](SchItem* item) {
        if (!table_item_name(t, item, &name)) return;
        naming.push_back(item);
        for (char c : name)
            text.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        start.push_back(static_cast<uint32_t>(text.size()));
    };
    for (size_t k = 0; k < t->texts.size(); ++k) {
        fetch_ahead(t->texts, k);
        take(t->texts[k]);
    }
    // Of the members only those that can name (most stand for plain pins).
    for (uint32_t m : t->naming_members) take(t->members[m]);
    link_names(text, start, next_of_name);
    for (size_t i = 0; i < naming.size(); ++i) {
        fetch_ahead(naming, i);
        if (!still_names(t, naming[i])) continue;
        if (!new_merge_set(context)) return 9;
        add_to_merge_set(context, naming[i]);
        for (uint32_t j = next_of_name[i]; j != UINT32_MAX; j = next_of_name[j])
            if (still_names(t, naming[j])) add_to_merge_set(context, naming[j]);
        merge_islands(context);
    }
    for (SchItem* item : t->texts)
        if (item->type == NETPROP_ITEM) attach_net_property(context, item);
    return 0;
}
