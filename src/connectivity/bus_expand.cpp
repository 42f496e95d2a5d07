// Bus expansion through look-up tables: bus lines by end point, range
// labels by the line they may lie on, net names in an ordered table, so
// that each port visits only its own bus and only the names that exist.
#include "connectivity/bus_expand.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <set>
#include <unordered_map>
#include <vector>

#include "connectivity/net_build.h"
#include "connectivity/net_carriers.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "model/documents/ident.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/primitives.h"

// --- ranges and names ------------------------------------------------------------------------

namespace {

// One "%d" conversion: blanks, a sign, digits; false when none or out of range.
bool scan_int(const char*& s, int32_t* value) {
    while (std::isspace(static_cast<unsigned char>(*s))) ++s;
    const char* start = s;
    if (*s == '+' || *s == '-') ++s;
    if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
    while (std::isdigit(static_cast<unsigned char>(*s))) ++s;
    errno = 0;
    long long v = std::strtoll(start, nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
    *value = static_cast<int32_t>(v);
    return true;
}

std::string folded(const std::string& name) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// The index n when text is exactly prefix followed by "%d" of n.
bool index_after(const std::string& text, size_t prefix, int32_t* n) {
    std::string digits = text.substr(prefix);
    size_t at = digits[0] == '-' ? 1 : 0;
    if (digits.size() <= at || digits.size() - at > 10) return false;
    for (size_t i = at; i < digits.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(digits[i]))) return false;
    if (digits[at] == '0' && (digits.size() > at + 1 || at == 1)) return false;
    long long v = std::strtoll(digits.c_str(), nullptr, 10);
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *n = static_cast<int32_t>(v);
    return true;
}

}  // namespace

bool parse_bus_range(const std::string& text, std::string* base, int32_t* lo, int32_t* hi) {
    base->clear();
    size_t open = text.find('[');
    if (open == std::string::npos || text.find(']') == std::string::npos ||
        text.find("..") == std::string::npos)
        return false;
    const char* s = text.c_str() + open + 1;
    int32_t a, b;
    if (!scan_int(s, &a) || s[0] != '.' || s[1] != '.') return false;
    s += 2;
    if (!scan_int(s, &b)) return false;
    *base = text.substr(0, open);
    *lo = a;
    *hi = b;
    return true;
}

bool port_bus_range(const Port* port, std::string* base, int32_t* lo, int32_t* hi) {
    return parse_bus_range(port->name.get(), base, lo, hi);
}

bool is_range_label(const Text* text) {
    std::string base;
    int32_t lo, hi;
    return (text->flags & TEXT_TYPE_MASK) == LABEL &&
           parse_bus_range(text->string, &base, &lo, &hi) && !base.empty();
}

Ident* find_net_by_name(NetContext* context, const char* name) {
    for (Ident* head : list_items<Ident>(context->islands))
        if (head->names && find_name(head, name, -1)) return head;
    return nullptr;
}

std::string bus_alias_name(const std::string& base, int32_t index) {
    return "@" + base + "//" + std::to_string(index);
}

// --- the tables -------------------------------------------------------------------------------

namespace {

struct BusTables {
    std::unordered_map<Point, std::vector<Line*>, PointHash> bus_ends;  // list order
    std::unordered_map<int32_t, std::vector<Text*>> labels_by_x;
    std::unordered_map<int32_t, std::vector<Text*>> labels_by_y;
    std::vector<Text*> labels;  // every range label, list order
    // Heads by folded name, each in islands order.
    std::map<std::string, std::vector<std::pair<size_t, Ident*>>> names;
    std::unordered_map<const Ident*, size_t> island_pos;
    std::vector<Line*> visited;  // bus lines marked by the last port
    bool cleared = false;
};

void note_name(BusTables& t, Ident* head, const char* name) {
    auto& heads = t.names[folded(name)];
    size_t pos = t.island_pos[head];
    auto at = std::lower_bound(heads.begin(), heads.end(), std::make_pair(pos, head));
    if (at == heads.end() || at->second != head) heads.insert(at, {pos, head});
}

void build_tables(NetContext* context, BusTables& t) {
    for (SchItem* item : list_items<SchItem>(context->sheet->items)) {
        if (item->type == LINE_ITEM && is_bus_line(item)) {
            Line* line = as_Line(item);
            t.bus_ends[line->pos].push_back(line);
            if (!(line->end == line->pos)) t.bus_ends[line->end].push_back(line);
        } else if (item->type == TEXT_ITEM && is_range_label(as_Text(item))) {
            t.labels.push_back(as_Text(item));
            t.labels_by_x[item->pos.x].push_back(as_Text(item));
            t.labels_by_y[item->pos.y].push_back(as_Text(item));
        }
    }
    size_t pos = 0;
    for (Ident* head : list_items<Ident>(context->islands)) {
        t.island_pos[head] = pos++;
        for (NameRec* rec : list_items<NameRec>(head->names))
            if (rec->name) note_name(t, head, rec->name);
    }
}

// Range labels lying on a bus line, in list order.
void labels_on(BusTables& t, const Line* bus, std::vector<std::string>& found) {
    const std::vector<Text*>* candidates = &t.labels;
    bool sloped = bus->pos.x != bus->end.x && bus->pos.y != bus->end.y;
    if (!sloped) {
        auto& table = bus->pos.x == bus->end.x ? t.labels_by_x : t.labels_by_y;
        auto it = table.find(bus->pos.x == bus->end.x ? bus->pos.x : bus->pos.y);
        if (it == table.end()) return;
        candidates = &it->second;
    }
    for (Text* label : *candidates)
        if (point_on_wire(label->pos, bus, 0)) found.push_back(label->string);
}

// Every bus line reachable end to end from the point, depth first: each
// step takes the first unvisited bus line ending at the point, then goes on
// from its first end and then from its second. Label texts are gathered in
// the order met. True when a bus line was found at the point.
bool collect_bus_labels(BusTables& t, Point start, std::vector<std::string>& texts) {
    struct Step {
        Point at;
        const Line* bus;  // null: still to take a line at `at`
        int stage;        // 0 first end next, 1 second end next, 2 done
    };
    std::vector<Step> stack{{start, nullptr, 0}};
    bool found_first = false;
    bool first_step = true;
    while (!stack.empty()) {
        Step& step = stack.back();
        if (!step.bus) {
            Line* taken = nullptr;
            auto it = t.bus_ends.find(step.at);
            if (it != t.bus_ends.end())
                for (Line* line : it->second)
                    if (!(line->state & NET_VISITED)) {
                        taken = line;
                        break;
                    }
            if (first_step) found_first = taken != nullptr;
            first_step = false;
            if (!taken) {
                stack.pop_back();
                continue;
            }
            taken->state |= NET_VISITED;
            t.visited.push_back(taken);
            labels_on(t, taken, texts);
            step.bus = taken;
            step.stage = 0;
        }
        if (step.stage == 0) {
            step.stage = 1;
            Point next = step.bus->pos;
            stack.push_back({next, nullptr, 0});
        } else if (step.stage == 1) {
            step.stage = 2;
            Point next = step.bus->end;
            stack.push_back({next, nullptr, 0});
        } else {
            stack.pop_back();
        }
    }
    return found_first;
}

void clear_visited(NetContext* context, BusTables& t) {
    if (!t.cleared) {
        FlagOpScope scope(NET_VISITED, FLAGOP_CLEAR);
        flag_SchItem(context->sheet);
        t.cleared = true;
    } else {
        for (Line* line : t.visited) line->state &= ~uint32_t{NET_VISITED};
    }
    t.visited.clear();
}

void add_alias(BusTables& t, Ident* head, const std::string& alias) {
    NameRec* rec = new_NameRec();
    if (!rec) no_memory();
    rec->kind = NAME_BUS_ALIAS;
    rec->name = str_dup(alias.c_str());
    if (!head->names && !(head->names = list_new())) no_memory();
    if (!dlist_append(head->names, rec)) no_memory();
    note_name(t, head, rec->name);
}

// The indexes n in [lo, hi] for which a net named base + n exists now.
std::set<int32_t> member_indexes(const BusTables& t, const std::string& key, int32_t lo,
                                 int32_t hi) {
    std::set<int32_t> found;
    for (auto it = t.names.lower_bound(key); it != t.names.end(); ++it) {
        if (it->first.compare(0, key.size(), key) != 0) break;
        int32_t n;
        if (index_after(it->first, key.size(), &n) && n >= lo && n <= hi) found.insert(n);
    }
    return found;
}

void expand_bus_port(NetContext* context, BusTables& t, const Port* port, Point offset) {
    clear_visited(context, t);
    Point p = offset_point(port->pos, offset);
    std::vector<std::string> texts;
    bool found = collect_bus_labels(t, p, texts);
    if (found && texts.empty())
        net_warningf("*** Warning : No Bus name specified for port '%s'...\n", port->name.get());
    // The labels were put at the front of a list: the last one met comes first.
    std::vector<std::string> bases;
    int32_t lo = -1, hi = -1;
    std::string reference;
    for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
        std::string base;
        int32_t a, b;
        parse_bus_range(*it, &base, &a, &b);
        bases.push_back(base);
        if (it == texts.rbegin()) {
            lo = a;
            hi = b;
            reference = *it;
        } else if (a != lo || b != hi) {
            net_warningf("*** Warning : Range Label bus '%s' do not match Label bus '%s'\n",
                         it->c_str(), reference.c_str());
        }
    }
    // A range written high to low ("D[7..0]", as most designs write it)
    // names the same members, taken in its own order.
    const bool down = lo > hi;
    const int32_t first = std::min(lo, hi), last = std::max(lo, hi);
    for (const std::string& base : bases) {
        std::string key = folded(base);
        std::set<int32_t> pending = member_indexes(t, key, first, last);
        while (!pending.empty()) {
            auto next = down ? std::prev(pending.end()) : pending.begin();
            int32_t n = *next;
            pending.erase(next);
            auto it = t.names.find(key + std::to_string(n));
            if (it == t.names.end() || it->second.empty()) continue;
            Ident* head = it->second.front().second;
            for (const std::string& b : bases) {
                std::string alias = bus_alias_name(b, n);
                add_alias(t, head, alias);
                // An alias may itself spell a later member name of this base.
                std::string alias_key = folded(alias);
                int32_t m;
                if (alias_key.compare(0, key.size(), key) == 0 &&
                    index_after(alias_key, key.size(), &m) && m >= first && m <= last &&
                    (down ? m < n : m > n))
                    pending.insert(m);
            }
        }
    }
}

}  // namespace

void expand_buses(NetContext* context, List* ports) {
    if (!context->sheet || !context->sheet->items) return;
    bool any_port = ports && ports->count > 0;
    if (!any_port)
        for (SchItem* item : list_items<SchItem>(context->sheet->items))
            if (item->type == SUBSHEET_ITEM && as_SubSheet(item)->ports &&
                as_SubSheet(item)->ports->count)
                any_port = true;
    if (!any_port) return;
    BusTables tables;
    build_tables(context, tables);
    for (Port* port : list_items<Port>(ports)) expand_bus_port(context, tables, port, Point{});
    for (SchItem* item : list_items<SchItem>(context->sheet->items)) {
        if (item->type != SUBSHEET_ITEM) continue;
        for (Port* port : list_items<Port>(as_SubSheet(item)->ports))
            expand_bus_port(context, tables, port, item->pos);
    }
}
