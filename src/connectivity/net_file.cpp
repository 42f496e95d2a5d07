// Writing the per-sheet net file.
#include "connectivity/net_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "connectivity/bus_expand.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_link.h"
#include "connectivity/netlist_table.h"
#include "foundation/app_utils.h"
#include "foundation/binary_stream.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/ident.h"
#include "model/documents/netprop.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"
#include "model/items/pin.h"

namespace {

struct BusRange {
    std::string base;
    int32_t lo, hi;
};

bool is_object(const SchItem* item) {
    switch (item->type) {
        case TEXT_ITEM:
        case PARTLIB_ITEM:
        case POWER_ITEM:
        case NOCON_ITEM:
        case SUBSHEET_ITEM: return true;
        default: return false;
    }
}

bool is_bus_alias(const char* name) { return std::strchr(name, '@') && std::strchr(name, '/'); }

void note_bus_range(const Port* port, std::vector<BusRange>& ranges) {
    BusRange r;
    if (!port_bus_range(port, &r.base, &r.lo, &r.hi)) return;
    if (r.lo > r.hi) std::swap(r.lo, r.hi);  // written high to low
    ranges.push_back(r);
}

// Whether the name is base + n ("%d") of a range, ignoring case.
bool names_bus_member(const char* name, const BusRange& r) {
    size_t n = r.base.size();
    if (std::strlen(name) <= n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) !=
            std::tolower(static_cast<unsigned char>(r.base[i])))
            return false;
    // The number as "%d" writes it: "D01" or "D+1" names no member.
    std::string digits = name + n;
    char* end = nullptr;
    long long written = std::strtoll(digits.c_str(), &end, 10);
    if (*end != '\0' || written < r.lo || written > r.hi) return false;
    return std::to_string(written) == digits;
}

bool member_is_global(const PseudoPin* pp) {
    if (pp->father && pp->father->type == SUBSHEET_ITEM) return true;
    if (pp->pin) return pp->pin->type == PWR;
    return pp->whoami && (pp->whoami->type == POWER_ITEM || pp->whoami->type == PORT_ITEM);
}

bool net_is_local(const Ident* head, const std::vector<BusRange>& ranges) {
    for (const SchItem* m = head->nextconn; m; m = m->next)
        if (member_is_global(as_PseudoPin(m))) return false;
    for (const NameRec* rec : list_items<NameRec>(head->names)) {
        if (rec->kind != NAME_LABEL || !rec->name) continue;
        for (const BusRange& r : ranges)
            if (names_bus_member(rec->name, r)) return false;
    }
    return true;
}

// A module port named as a bus range stands for the whole bus, not a net.
bool left_out(const PseudoPin* pp) {
    if (pp->father || !pp->whoami || pp->whoami->type != PORT_ITEM) return false;
    std::string base;
    int32_t lo, hi;
    return port_bus_range(as_Port(pp->whoami), &base, &lo, &hi);
}

void debug_member(Schema* schema, const PseudoPin* pp) {
    // Finding a part's reference costs more than writing the member itself.
    if (!debug_enabled) return;
    if (pp->pin) {
        auto* part = as_PlacedPart(pp->father);
        const char* ref = pl_reference_text(schema->library, part);
        if (pp->pin->type == PWR)
            net_debug("PinPwr Name '%s' Part '%s'\n", pp->pin->name.get(), ref);
        else if (!pp->pin->numbers.empty())
            net_debug("Pin #'%s' Name '%s' Part '%s' Device %d\n",
                      pin_number(pp->pin, part->device), pp->pin->name.get(), ref, part->device);
        else
            net_debug("Pin Name '%s' Part '%s' Device %d\n", pp->pin->name.get(), ref,
                      part->device);
    } else if (pp->father && pp->father->type == SUBSHEET_ITEM && pp->whoami) {
        net_debug("Sheet %s, Net %s at (%d,%d)\n", as_SubSheet(pp->father)->sheet_name.get(),
                  as_Port(pp->whoami)->name.get(), pp->pos.x, pp->pos.y);
    } else if (pp->whoami && pp->whoami->type == POWER_ITEM) {
        net_debug("Power '%s' at (%d,%d)\n", as_Power(pp->whoami)->name.get(), pp->whoami->pos.x,
                  pp->whoami->pos.y);
    } else if (pp->whoami && pp->whoami->type == NOCON_ITEM) {
        net_debug("NoConnect at (%d,%d)\n", pp->whoami->pos.x, pp->whoami->pos.y);
    } else if (pp->whoami && pp->whoami->type == PORT_ITEM) {
        net_debug("Port '%s' at (%d,%d)\n", as_Port(pp->whoami)->name.get(), pp->whoami->pos.x,
                  pp->whoami->pos.y);
    }
}

// `suffix` ("__N") is appended to every name but bus aliases; null for none.
void write_net_record(Schema* schema, Ident* head, const char* suffix, FILE* f) {
    net_debug("Tete, type %d\n", head->type);
    write_byte(NET_RECORD_TAG, f);
    write_long(head->names ? static_cast<int32_t>(head->names->count) : 0, f);
    if (head->netprop) write_NetProp(head->netprop, f, 0);
    net_debug("new Net  Alias(es) = \n");
    for (const NameRec* rec : list_items<NameRec>(head->names)) {
        const char* name = rec->name ? rec->name : "";
        write_long(rec->kind, f);
        bool suffixed = suffix && !is_bus_alias(name);
        // The suffix follows the name before its NUL.
        std::fputs(name, f);
        write_string(suffixed ? suffix : "", f);
        net_debug("                 %s%s \n", name, suffixed ? suffix : "");
    }
    for (SchItem* m = head->nextconn; m; m = m->next) {
        PseudoPin* pp = as_PseudoPin(m);
        if (left_out(pp)) continue;
        debug_member(schema, pp);
        write_PseudoPin(pp, f);
    }
    net_debug("\n");
    write_byte(LIST_END, f);
}

void write_point_record(uint8_t tag, Point p, FILE* f) {
    write_byte(tag, f);
    write_long(p.x, f);
    write_long(p.y, f);
    write_byte(LIST_END, f);
}

int write_net_file(NetContext* context, Schema* schema, const char* name, int sheet_number,
                   const LinkedObjects* objects, FILE* f) {
    Sheet* sheet = context->sheet;
    write_byte(NET_FILE_TAG, f);
    if (schema->library) {
        if (int code = write_Library(schema->library, f, 0); code != 0) return code;
    }
    // One walk over the sheet, the longest list there is: it writes the
    // objects and gathers what the nets and the records after them need
    // (the bus ranges of the schema's ports and of the sub-sheet boxes'
    // ports, the unused junctions), and clears the parts' visited marks
    // when there are nets to write. A port placed among the sheet's items is
    // built into the nets as a module port is (its member names no father),
    // so it is written with the module ports: a member must name a record the
    // file holds.
    std::vector<BusRange> ranges;
    for (Port* port : list_items<Port>(schema->ports)) note_bus_range(port, ranges);
    std::vector<const SchItem*> unused_junctions;
    std::vector<SchItem*> sheet_ports;
    auto visit = [&](SchItem* item) {
        if (is_object(item)) write_SchItem(schema, item, f, 0);
        if (item->type == PORT_ITEM) sheet_ports.push_back(item);
        if (item->type == PARTLIB_ITEM && context->islands) item->state &= ~uint32_t{NET_VISITED};
        if (item->type == SUBSHEET_ITEM)
            for (Port* port : list_items<Port>(as_SubSheet(item)->ports))
                note_bus_range(port, ranges);
        if (item->type == JUNCTION_ITEM && (item->state & NET_UNUSED_JUNCTION))
            unused_junctions.push_back(item);
    };
    // A linked sheet's members, two thirds of its list, need nothing here.
    if (objects && objects->sheet == sheet)
        for (SchItem* item : objects->items) visit(item);
    else
        for (SchItem* item : list_items<SchItem>(sheet->items)) visit(item);
    for (Port* port : list_items<Port>(schema->ports)) write_SchItem(schema, port, f, 0);
    for (SchItem* port : sheet_ports) write_SchItem(schema, port, f, 0);
    net_debug("Netlist for '%s'\n", name);
    if (!context->islands) {
        write_byte(LIST_END, f);
        return 0;
    }
    // One walk over the islands: each is marked, its net written, and an
    // island without members (but with wires: one whose only wires were
    // temporary has none left to show) kept for its record further on.
    std::vector<const Ident*> unconnected;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "__%d", sheet_number);
    MembersAhead ahead(context->islands);
    for (Ident* head : list_items<Ident>(context->islands)) {
        ahead.next();
        head->state |= NET_VISITED;
        if (head->nextconn) {
            // Only a name can take the suffix: a net without names is not
            // asked whether it is local.
            bool suffixed = sheet_number != 0 && head->names && head->names->count &&
                            net_is_local(head, ranges);
            write_net_record(schema, head, suffixed ? suffix : nullptr, f);
        } else if (head->next) {
            unconnected.push_back(head);
        }
    }
    net_debug("\n");
    net_debug("Unused Junctions:\n");
    for (const SchItem* item : unused_junctions) {
        net_debug("Junction at (%d,%d)\n", item->pos.x, item->pos.y);
        write_point_record(UNUSED_JUNCTION_TAG, item->pos, f);
    }
    net_debug("\n");
    net_debug("Unconnected wires:\n");
    for (const Ident* head : unconnected) {
        net_debug("Look near (%d,%d): some wires aren't connected to pins\n", head->next->pos.x,
                  head->next->pos.y);
        write_point_record(UNCONNECTED_WIRE_TAG, head->next->pos, f);
    }
    net_debug("\n");
    write_byte(LIST_END, f);
    return 0;
}

}  // namespace

int write_net_report(NetContext* context, Schema* schema, const char* name, int sheet_number,
                     const LinkedObjects* objects) {
    context->sheet = schema ? schema->current : nullptr;
    context->ports = schema ? schema->ports : nullptr;
    if (!context->sheet || !context->sheet->items) return 0;
    std::string file = make_kind_file_name(name ? name : "", NET_FILE_KIND, 1);
    return write_atomically(
        file.c_str(), "wb",
        [&](FILE* f) {
            return write_net_file(context, schema, name ? name : "", sheet_number, objects, f);
        },
        true, NET_FILE_BACKUP_SUFFIX, nullptr, FileKind::NET_FILE);
}

void mark_real_nets(NetContext* context) {
    if (context->sheet)
        for (SchItem* item : list_items<SchItem>(context->sheet->items))
            if (item->type == PARTLIB_ITEM) item->state &= ~uint32_t{NET_VISITED};
    mark_real_heads(context->islands);
}

void mark_real_heads(const List* islands) {
    MembersAhead ahead(islands);
    for (Ident* head : list_items<Ident>(islands)) {
        ahead.next();
        if (has_two_real_members(head))
            head->state |= IDENT_TWO_MEMBERS;
        else
            head->state &= ~uint32_t{IDENT_TWO_MEMBERS};
    }
}

bool has_two_real_members(const Ident* head) {
    int real = 0;
    for (const SchItem* m = head->nextconn; m && real < 2; m = m->next) {
        const PseudoPin* pp = as_PseudoPin(m);
        if (!(pp->whoami && pp->whoami->type == NOCON_ITEM)) ++real;
    }
    return real >= 2;
}

// --- reading ---------------------------------------------------------------------------

namespace {

constexpr int NOT_A_NET_FILE = 66;
constexpr int UNRESOLVED = 76;

// Records by object id, the first of each id in list order. Ids come from
// one counter as records are made, so a sheet's ids mostly lie in a narrow
// band (far from 0 when other sheets were made first): then a direct array
// over the band, one look-up without hashing; else an open-addressing table
// (ids of a hostile file may be anything).
template <class T>
class IdTable {
public:
    explicit IdTable(const std::vector<std::pair<uint32_t, T*>>& records) {
        uint32_t low = UINT32_MAX, high = 0;
        for (auto& [id, record] : records) {
            low = std::min(low, id);
            high = std::max(high, id);
        }
        if (records.empty()) return;
        if (high - low <= records.size() * 4 + 64) {
            base_ = low;
            dense_.assign(size_t{high - low} + 1, nullptr);
            for (auto& [id, record] : records)
                if (!dense_[id - low]) dense_[id - low] = record;
            return;
        }
        for (auto& [id, record] : records)
            if (index_.insert(id, static_cast<uint32_t>(sparse_.size())).second)
                sparse_.push_back(record);
    }
    T* find(uint32_t id) const {
        if (sparse_.empty())
            return id >= base_ && id - base_ < dense_.size() ? dense_[id - base_] : nullptr;
        const uint32_t* at = index_.find(id);
        return at ? sparse_[*at] : nullptr;
    }

private:
    uint32_t base_ = 0;      // the id of dense_[0]
    std::vector<T*> dense_;  // by id - base_
    std::vector<T*> sparse_;
    FlatIndex<uint32_t> index_;
};

// The context's ports and the sheet's items (members aside) by object id:
// a sheet of n parts has about 2n members, and each names its item by id.
struct MemberTargets {
    IdTable<SchItem> items;
    IdTable<Port> ports;

    MemberTargets(NetContext* context, const ObjectIds* objects)
        : items(objects ? IdTable<SchItem>(*objects)
                        : IdTable<SchItem>(item_ids(context->sheet->items))),
          ports(port_ids(context->ports)) {}
    static ObjectIds item_ids(List* list) {
        ObjectIds ids;
        if (list) ids.reserve(list->count);
        for (SchItem* item : list_items<SchItem>(list))
            if (item->id && item->type != PSEUDO_PIN) ids.emplace_back(item->id, item);
        return ids;
    }
    static std::vector<std::pair<uint32_t, Port*>> port_ids(List* list) {
        std::vector<std::pair<uint32_t, Port*>> ids;
        for (Port* port : list_items<Port>(list))
            if (port->id) ids.emplace_back(port->id, port);
        return ids;
    }
    Port* port(uint32_t id) const { return ports.find(id); }
    SchItem* item(uint32_t id) const { return items.find(id); }
};

int resolve_member(const MemberTargets& targets, PseudoPin* pp, Library* library) {
    Port* port = targets.port(pp->whoami_id);
    if (port) pp->whoami = port;
    if (pp->father_id) {
        pp->father = targets.item(pp->father_id);
        if (!pp->father) return UNRESOLVED;
    } else if (!port) {
        pp->whoami = targets.item(pp->whoami_id);
        return pp->whoami ? 0 : UNRESOLVED;
    } else {
        return 0;
    }
    if (pp->father->type == PARTLIB_ITEM) {
        PinList* pins = pl_pins_in_use(library, as_PlacedPart(pp->father));
        for (Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr))
            if (pin->id == pp->whoami_id) {
                pp->pin = pin;
                pp->whoami = nullptr;
                return 0;
            }
        return UNRESOLVED;
    }
    if (pp->father->type == SUBSHEET_ITEM) {
        for (Port* port : list_items<Port>(as_SubSheet(pp->father)->ports))
            if (port->id == pp->whoami_id) {
                pp->whoami = port;
                return 0;
            }
    }
    return UNRESOLVED;
}

int expect_end(FILE* stream) {
    uint8_t end = 0;
    return read_byte(&end, stream) == 0 && end == LIST_END ? 0 : NOT_A_NET_FILE;
}

int read_net_record(NetContext* context, const MemberTargets& targets, List* islands, FILE* stream,
                    Library* library, std::string& name) {
    Ident* head = new_Ident();
    if (!head || !dlist_append(islands, head)) no_memory();
    int32_t count = 0;
    if (read_long(&count, stream) != 0 || count < 0) return NOT_A_NET_FILE;
    // Each name takes at least its kind and a NUL. A short list fails at
    // the file's end soon enough: the size is asked (a system call) only
    // for a long one.
    if (count > 64) {
        int64_t left = stream_bytes_left(stream);
        if (left >= 0 && int64_t{count} * 5 > left) return NOT_A_NET_FILE;
    }
    // Few nets carry a property: look before making one.
    int next = peek_byte(stream);
    if (next == EOF) return NOT_A_NET_FILE;
    if (next == NETPROP_TAG) {
        NetProp* prop = new_NetProp();
        if (!prop) no_memory();
        if (read_NetProp(prop, stream) != 0) {
            free_NetProp(prop, false);
            return NOT_A_NET_FILE;
        }
        head->netprop = prop;
    }
    for (int32_t i = 0; i < count; ++i) {
        int32_t kind = 0;
        if (read_long(&kind, stream) != 0 || read_string(&name, stream) != 0) return NOT_A_NET_FILE;
        if (!name.empty() && !ident_add_name(head, kind, name.c_str())) no_memory();
    }
    SchItem* last = head;
    for (;;) {
        int c = getc_unlocked(stream);
        if (c == EOF) return NOT_A_NET_FILE;
        if (c == LIST_END) return 0;
        std::ungetc(c, stream);
        PseudoPin* pp = new_PseudoPin();
        if (!pp) no_memory();
        int r = read_PseudoPin(pp, stream);
        if (r != 0) {
            free_PseudoPin(pp, false);
            return r == NOT_MY_TAG ? NOT_MY_TAG : NOT_A_NET_FILE;
        }
        if (!context->sheet->items || !dlist_append(context->sheet->items, pp)) no_memory();
        if (last == head)
            head->nextconn = pp;
        else
            last->next = pp;
        pp->prev = last;
        last = pp;
        if (int code = resolve_member(targets, pp, library); code != 0) return code;
    }
}

}  // namespace

int read_net_ports(NetContext* context, FILE* stream, int mode, const char* name) {
    for (;;) {
        if (peek_byte(stream) != item_tag(PORT_ITEM)) return 0;
        Port* port = new_Port();
        if (!port) no_memory();
        if (int r = read_Port(port, stream); r != 0) {
            free_Port(port, false);
            return r;
        }
        port->sheet_number = context->current_subsheet;
        if (mode == 1 && name) port->origin = name;
        if (!context->ports && !(context->ports = list_new())) no_memory();
        if (!dlist_append(context->ports, port)) no_memory();
    }
}

int read_net_nets(NetContext* context, List** islands, FILE* stream, Library* library,
                  const ObjectIds* objects) {
    if (!context->sheet) return NOT_A_NET_FILE;
    if (!*islands && !(*islands = list_new())) no_memory();
    const MemberTargets targets(context, objects);
    std::string name;  // one buffer for every name of the file
    for (;;) {
        uint8_t tag = 0;
        if (read_byte(&tag, stream) != 0) return NOT_A_NET_FILE;
        switch (tag) {
            case LIST_END: return 0;
            case NET_RECORD_TAG:
                if (int r = read_net_record(context, targets, *islands, stream, library, name);
                    r != 0)
                    return r;
                break;
            case UNUSED_JUNCTION_TAG:
            case UNCONNECTED_WIRE_TAG: {
                int32_t x, y;
                if (read_long(&x, stream) != 0 || read_long(&y, stream) != 0) return NOT_A_NET_FILE;
                if (int r = expect_end(stream); r != 0) return r;
                break;
            }
            case LOOSE_MEMBER_TAG: {
                PseudoPin pp;
                if (read_PseudoPin(&pp, stream) != 0) return NOT_A_NET_FILE;
                if (int r = expect_end(stream); r != 0) return r;
                break;
            }
            default: return NOT_A_NET_FILE;
        }
    }
}
