#include "connectivity/erc.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "connectivity/annotate_sheets.h"  // debug_printf, format_text
#include "connectivity/bus_expand.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/open_table.h"
#include "foundation/pointer_set.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/erc_mark.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/pin.h"

int erc_error_number = 1;
bool erc_found_errors = false;
List* erc_current_marks = nullptr;

namespace {

constexpr int NO_ISLANDS = 76;
constexpr int NO_MEMORY_FOR_MARK = 55;
constexpr uint32_t NET_REAL = IDENT_TWO_MEMBERS;

const char* const class_names[ERC_CLASSES] = {
    "Input Pin",
    "Input/Output Pin",
    "Output Pin",
    "Open Collector Pin",
    "Passive Pin",
    "Three State Pin",
    "Open Emitter Pin",
    "Power Pin",
    "Input Port",
    "Output Port",
    "Input/Output Port",
    "Unspecified Module Port",
    "Input Sheet",
    "Output Sheet",
    "Input/Output Sheet",
    "Unspecified Sheet Port",
    "",
};

// A member's chain: the head's first member, then each member's next.
template <class Fn>
void for_each_member(Ident* net, Fn fn) {
    for (SchItem* item = net->nextconn; item; item = item->next)
        if (item->type == PSEUDO_PIN) fn(as_PseudoPin(item));
}

bool is_port(const SchItem* item) { return item && item->type == PORT_ITEM; }
bool is_nocon(const SchItem* item) { return item && item->type == NOCON_ITEM; }
bool father_is_part(const PseudoPin* m) { return m->father && m->father->type == PARTLIB_ITEM; }
bool father_is_box(const PseudoPin* m) { return m->father && m->father->type == SUBSHEET_ITEM; }
int port_direction(const SchItem* port) { return port->flags & PORT_KIND_MASK; }

int direction_class(int direction, int base) {
    switch (direction) {
        case PORT_INPUT: return base;
        case PORT_OUTPUT: return base + 1;
        case PORT_BIDIR: return base + 2;
        default: return base + 3;
    }
}

void line_end(FILE* report) { put_newline(report); }

void print(FILE* report, const std::string& text) { std::fputs(text.c_str(), report); }

bool bus_member_name(const char* name) {
    return name && std::strchr(name, '@') && std::strchr(name, '/');
}

bool has_bus_member_name(const Ident* net) {
    for (const NameRec* rec : list_items<const NameRec>(net->names))
        if (bus_member_name(rec->name)) return true;
    return false;
}

// A module port named as a bus range some of whose member nets exist.
bool port_of_existing_bus(NetContext* context, const PseudoPin* member) {
    if (member->father || !is_port(member->whoami)) return false;
    std::string base;
    int32_t lo, hi;
    if (!port_bus_range(static_cast<const Port*>(member->whoami), &base, &lo, &hi)) return false;
    if (lo > hi) std::swap(lo, hi);
    // A range wider than the sheet has nets cannot name more of them.
    int64_t limit = context->islands ? context->islands->count : 0;
    for (int64_t i = lo; i <= hi && i - lo <= limit; ++i)
        if (find_net_by_name(context, (base + std::to_string(i)).c_str())) return true;
    return false;
}

struct ErcMatrix {
    int cell[ERC_CLASSES][ERC_CLASSES];
};

ErcMatrix read_matrix() {
    ErcMatrix m;
    for (int r = 0; r < ERC_CLASSES; ++r)
        for (int c = 0; c < ERC_CLASSES; ++c) m.cell[r][c] = erc_severity(r, c);
    return m;
}

// Calls fn(a, class of a, b, class of b) for every pair of classed members
// a before b in chain order whose cell (row a, column b) is not 0, in the
// order of a, then of b. The later members are visited through per-class
// position lists, so a net of many members whose classes meet no cell (a
// ground rail of passive pins) costs its length, not its square.
template <class Fn>
void for_each_finding(Ident* net, const ErcMatrix& matrix, Fn fn) {
    std::vector<std::pair<PseudoPin*, int>> members;
    for_each_member(net, [&](PseudoPin* m) {
        int c = erc_member_class(m);
        if (c != ERC_NO_CLASS) members.emplace_back(m, c);
    });
    std::vector<size_t> at[ERC_CLASSES];
    for (size_t i = 0; i < members.size(); ++i) at[members[i].second].push_back(i);
    for (size_t i = 0; i < members.size(); ++i) {
        const int c1 = members[i].second;
        // The next position of each column class with a finding.
        std::vector<std::pair<const std::vector<size_t>*, size_t>> cursors;
        for (int c2 = 0; c2 < ERC_CLASSES; ++c2) {
            if (matrix.cell[c1][c2] == 0 || at[c2].empty()) continue;
            size_t from = static_cast<size_t>(std::upper_bound(at[c2].begin(), at[c2].end(), i) -
                                              at[c2].begin());
            if (from < at[c2].size()) cursors.emplace_back(&at[c2], from);
        }
        for (;;) {
            size_t best = members.size(), which = 0;
            for (size_t k = 0; k < cursors.size(); ++k) {
                const auto& [list, next] = cursors[k];
                if (next < list->size() && (*list)[next] < best) {
                    best = (*list)[next];
                    which = k;
                }
            }
            if (best == members.size()) break;
            ++cursors[which].second;
            fn(members[i].first, c1, members[best].first, members[best].second);
        }
    }
}

// The net's name in the final report: its preferred name, else the name
// of the unnamed-net counter's number.
std::string net_name(const Ident* net, int* unnamed) {
    if (std::optional<std::string> name = net_preferred_name(net->names)) return *name;
    return unnamed_net_name((*unnamed)++);
}

// Each port of a sub-sheet box on the net against the module port of the
// sheet the box stands for: the first module port on the net read from the
// net file linked under the box's number. Unlinked nets hold none (a
// module port of the root is numbered -1, boxes from 0).
void compare_sheet_ports(Ident* net, FILE* report) {
    std::unordered_map<int32_t, const SchItem*> inside;
    for_each_member(net, [&](PseudoPin* m) {
        if (!m->father && is_port(m->whoami))
            inside.emplace(static_cast<const Port*>(m->whoami)->sheet_number, m->whoami);
    });
    if (inside.empty()) return;
    for_each_member(net, [&](PseudoPin* m) {
        if (!father_is_box(m) || !is_port(m->whoami)) return;
        auto found = inside.find(static_cast<const SubSheet*>(m->father)->link_number);
        if (found == inside.end() || port_direction(found->second) == port_direction(m->whoami))
            return;
        print(report, format_text("WARNING : Net '%s'    SubSheet Port is not same type as the "
                                  "corresponding one",
                                  static_cast<const Port*>(m->whoami)->name.get()));
        line_end(report);
    });
}

}  // namespace

const char* erc_class_name(int erc_class) {
    return erc_class >= 0 && erc_class < ERC_CLASSES ? class_names[erc_class] : "";
}

const char* erc_pin_type_word(int pin_type) {
    switch (pin_type) {
        case PIN_IN: return "INPUT";
        case PIN_OUT: return "OUTPUT";
        case PIN_IO: return "IN/OUT";
        case PIN_OC: return "OPEN COL.";
        case PIN_OE: return "OPEN EMIT.";
        case PWR: return "POWER";
        case PAS: return "PASSIVE";
        case PIN_HIZ: return "3 STATE";
        default: return " ";
    }
}

int erc_member_class(const PseudoPin* m) {
    if (father_is_part(m)) {
        if (!m->pin) return ERC_NO_CLASS;
        switch (m->pin->type) {
            case PIN_IN: return ERC_INPUT_PIN;
            case PIN_IO: return ERC_IO_PIN;
            case PIN_OUT: return ERC_OUTPUT_PIN;
            case PIN_OC: return ERC_OC_PIN;
            case PAS: return ERC_PASSIVE_PIN;
            case PIN_HIZ: return ERC_3STATE_PIN;
            case PIN_OE: return ERC_OE_PIN;
            case PWR: return ERC_POWER_PIN;
            default: return ERC_NO_CLASS;
        }
    }
    if (!is_port(m->whoami)) return ERC_NO_CLASS;
    int direction = port_direction(m->whoami);
    if (father_is_box(m)) return direction_class(direction, ERC_INPUT_SHEET);
    if (!m->father) return direction_class(direction, ERC_INPUT_PORT);
    return ERC_NO_CLASS;
}

int erc_severity(int row, int column) {
    if (row < 0 || row >= ERC_CLASSES || column < 0 || column >= ERC_CLASSES) return 0;
    return static_cast<int>(proper_get(ERC_TABLE, row * ERC_CLASSES + column)) & 0xFF;
}

void erc_member_line(FILE* report, Schema* schema, const PseudoPin* m) {
    std::string text;
    if (father_is_part(m)) {
        PlacedPart* part = as_PlacedPart(m->father);
        std::string reference = pl_reference_text(schema ? schema->library : nullptr, part);
        const Pin* pin = m->pin;
        const char* word = pin ? erc_pin_type_word(pin->type) : " ";
        const char* name = pin ? pin->name.get() : "";
        if (!pin || pin->type == PWR || pin->numbers.empty())
            text = format_text("      Pin (%s) Name '%s' Part '%s'", word, name, reference.c_str());
        else
            text = format_text("      Pin (%s) #'%s' Name '%s' Part '%s'", word,
                               pin_number(pin, part->device), name, reference.c_str());
    } else if (father_is_box(m)) {
        const SubSheet* box = static_cast<const SubSheet*>(m->father);
        const char* port =
            is_port(m->whoami) ? static_cast<const Port*>(m->whoami)->name.get() : "";
        text = format_text("      Sheet %s, Port %s", box->sheet_name.get(), port);
    } else if (m->whoami && m->whoami->type == POWER_ITEM) {
        text = format_text("      Power '%s'", static_cast<const Power*>(m->whoami)->name.get());
    } else if (is_port(m->whoami)) {
        text = format_text("      Port '%s'", static_cast<const Port*>(m->whoami)->name.get());
    }
    print(report, text);
    line_end(report);
}

int one_more_err(Point point, int severity) {
    debug_printf("one_more_err at %d,%d\n", point.x, point.y);
    if (!erc_current_marks) erc_current_marks = list_new();
    if (!erc_current_marks) return NO_MEMORY_FOR_MARK;
    ErcMark* mark = new_ErcMark();
    if (!mark) return NO_MEMORY_FOR_MARK;
    mark->pos = point;
    mark->number = erc_error_number + (severity == 1 ? ERC_WARNING_OFFSET : 0);
    debug_printf("Inserted!\n");
    if (!dlist_append(erc_current_marks, mark)) {
        free_ErcMark(mark, false);
        return NO_MEMORY_FOR_MARK;
    }
    return 0;
}

namespace {

// A pin that meets no wire where it connects (a wire laid over the pin's
// whole line, say) is a member of no net, and the netlists give it a net of
// its own: it is alone there as on a net of one, and is listed so. The
// sheet is the one the nets were built from (none: nets given otherwise).
// One mark per pin in use, found through the part's scratch slot and its
// pin list's index, so that the check costs a walk of the members and of
// the parts, as the rest of the check does.
void list_pins_of_no_net(NetContext* context, Schema* schema, FILE* report) {
    Sheet* sheet = context->sheet;
    if (!schema || !sheet) return;
    struct PartPins {
        SchItem* item;
        PinList* pins;
        size_t first;  // its pins' first mark
    };
    // A pin's place in its list: a walk for the few pins most parts have,
    // an index filed once for each long list (a pin is a record of one list).
    constexpr size_t WALKED = 16;
    FlatIndex<const Pin*> places;
    PointerSet<PinList> indexed;
    std::vector<PartPins> parts;
    size_t marks_needed = 0;
    for (SchItem* item : list_items<SchItem>(sheet->items)) {
        if (item->type != PARTLIB_ITEM) continue;
        PinList* pins = pl_pins_in_use(schema->library, as_PlacedPart(item));
        if (!pins || !pins->pins) continue;
        if (pins->pins->count > WALKED && indexed.insert(pins).second) {
            uint32_t place = 0;
            for (Pin* pin : list_items<Pin>(pins->pins)) places.insert(pin, place++);
        }
        item->net_slot = static_cast<uint32_t>(parts.size());
        parts.push_back({item, pins, marks_needed});
        marks_needed += pins->pins->count;
    }
    std::vector<uint8_t> met(marks_needed, 0);
    auto place_of = [&](const PinList* pins, const Pin* pin) -> int64_t {
        if (pins->pins->count > WALKED) {
            const uint32_t* place = places.find(pin);
            return place ? int64_t{*place} : -1;
        }
        int64_t place = 0;
        for (Pin* p : list_items<Pin>(pins->pins)) {
            if (p == pin) return place;
            ++place;
        }
        return -1;
    };
    for (Ident* net : list_items<Ident>(context->islands))
        for_each_member(net, [&](PseudoPin* m) {
            if (!father_is_part(m)) return;
            uint32_t slot = m->father->net_slot;
            if (slot >= parts.size() || parts[slot].item != m->father) return;
            int64_t place = place_of(parts[slot].pins, m->pin);
            if (place >= 0) met[parts[slot].first + size_t(place)] = 1;
        });
    for (const PartPins& part : parts) {
        size_t mark = part.first, end = part.first + part.pins->pins->count;
        for (Pin* pin : list_items<Pin>(part.pins->pins)) {
            if (mark == end) break;
            if (met[mark++]) continue;
            PseudoPin alone;
            alone.father = part.item;
            alone.pin = pin;
            erc_member_line(report, schema, &alone);
            erc_found_errors = true;
        }
    }
}

}  // namespace

int erc_sheet(NetContext* context, Schema* schema, FILE* report, List** marks) {
    erc_current_marks = *marks;
    List* islands = context ? context->islands : nullptr;
    if (!islands) return NO_ISLANDS;
    // Phase 1 on the heads alone: the placed parts' bit 2, which
    // mark_real_nets also clears, is clear since the build (its preparation
    // clears it on every item, and nothing of a check sets it), and a walk
    // of the whole sheet to clear it again is the longest part of the phase.
    // Each walk over the nets fetches their members ahead (MembersAhead).
    mark_real_heads(islands);
    print(report, "Report:");
    line_end(report);
    print(report, "-------");
    line_end(report);
    const ErcMatrix matrix = read_matrix();
    MembersAhead findings_ahead(islands);
    for (Ident* net : list_items<Ident>(islands)) {
        findings_ahead.next();
        if (!(net->state & NET_REAL)) continue;
        for_each_finding(net, matrix, [&](PseudoPin* a, int c1, PseudoPin* b, int c2) {
            int severity = matrix.cell[c1][c2];
            one_more_err(a->pos, severity);
            line_end(report);
            print(report, severity == 1 ? format_text("WARNING [%05d]: ",
                                                      erc_error_number + ERC_WARNING_OFFSET)
                                        : format_text("ERROR   [%05d]: ", erc_error_number));
            print(report,
                  format_text("%s  Connected to  %s", erc_class_name(c1), erc_class_name(c2)));
            line_end(report);
            erc_member_line(report, schema, a);
            erc_member_line(report, schema, b);
            erc_found_errors = true;
            ++erc_error_number;
        });
    }
    line_end(report);
    line_end(report);
    print(report, "Unconnected Pins :");
    line_end(report);
    print(report, "------------------");
    line_end(report);
    line_end(report);
    MembersAhead unconnected_ahead(islands);
    for (Ident* net : list_items<Ident>(islands)) {
        unconnected_ahead.next();
        if (net->state & NET_REAL) continue;
        bool skip = has_bus_member_name(net);
        for_each_member(net, [&](PseudoPin* m) {
            if (!m->father && is_nocon(m->whoami)) skip = true;
        });
        if (skip) continue;
        for_each_member(net, [&](PseudoPin* m) {
            if (port_of_existing_bus(context, m)) return;
            erc_member_line(report, schema, m);
            erc_found_errors = true;
        });
    }
    list_pins_of_no_net(context, schema, report);
    line_end(report);
    line_end(report);
    *marks = erc_current_marks;
    return 0;
}

int erc_final_report(NetContext* context, FILE* report) {
    List* islands = context ? context->islands : nullptr;
    line_end(report);
    line_end(report);
    line_end(report);
    print(report, "===========================================");
    line_end(report);
    line_end(report);
    print(report, "Final Report");
    line_end(report);
    print(report, "------------");
    line_end(report);
    line_end(report);
    line_end(report);
    int unnamed = 0;
    MembersAhead ahead(islands);
    for (Ident* net : list_items<Ident>(islands)) {
        ahead.next();
        bool boxes = false;
        for_each_member(net, [&](PseudoPin* m) { boxes = boxes || father_is_box(m); });
        if (boxes) {
            compare_sheet_ports(net, report);
            continue;
        }
        std::string name;
        bool named = false;
        auto severity_text = [](int severity) { return severity == 1 ? "WARNING" : "ERROR"; };
        // Ports on the net: all of them, and module ports by direction.
        int ports = 0, module_ports = 0, by_direction[4] = {};
        for_each_member(net, [&](PseudoPin* m) {
            if (!is_port(m->whoami)) return;
            ++ports;
            if (m->father) return;
            ++module_ports;
            ++by_direction[port_direction(m->whoami) >> 4];
        });
        for_each_member(net, [&](PseudoPin* m) {
            if (m->father || !is_port(m->whoami)) return;
            if (!named) {
                name = net_name(net, &unnamed);
                named = true;
            }
            int direction = port_direction(m->whoami);
            bool other_output = by_direction[PORT_OUTPUT >> 4] - (direction == PORT_OUTPUT) > 0;
            bool other_direction = module_ports - by_direction[direction >> 4] > 0;
            bool other_port = ports > 1;
            std::string line;
            if (direction == PORT_OUTPUT && other_output) {
                int s = erc_severity(ERC_OUTPUT_PORT, ERC_OUTPUT_PORT);
                if (s)
                    line = format_text("%s : Net '%s' -  More than one Output Port",
                                       severity_text(s), name.c_str());
            } else if (direction == PORT_INPUT && !other_direction) {
                int s = erc_severity(ERC_UNCONNECTED, ERC_INPUT_PORT);
                if (s)
                    line = format_text("%s : Net '%s' -  Input Port(s) without Output",
                                       severity_text(s), name.c_str());
            } else if (!other_port) {
                int s = erc_severity(ERC_UNCONNECTED, ERC_INPUT_PORT);
                int output = erc_severity(ERC_UNCONNECTED, ERC_OUTPUT_PORT);
                if (output > s && s != 2) s = output;
                const char* word = direction == PORT_OUTPUT   ? "Output"
                                   : direction == PORT_INPUT  ? "Input"
                                   : direction == PORT_UNSPEC ? "Unspecified"
                                                              : "Bidir";
                if (s)
                    line = format_text("%s : Net '%s' -  %s Port Unconnected", severity_text(s),
                                       name.c_str(), word);
            }
            if (line.empty()) return;
            print(report, line);
            line_end(report);
        });
    }
    return 0;
}

// --- reading a finding back ---------------------------------------------------------------

namespace {

std::string detail_lines[2];
constexpr size_t DETAIL_LINE_MAX = 4096;

// The next line (ended by LF, CR-LF, CR or the end of the file), kept up to
// DETAIL_LINE_MAX characters; false at the end of the file.
bool read_line(FILE* in, std::string* line) {
    line->clear();
    int c = std::fgetc(in);
    if (c == EOF) return false;
    for (; c != EOF; c = std::fgetc(in)) {
        if (c == '\n') break;
        if (c == '\r') {
            int after = std::fgetc(in);
            if (after != '\n' && after != EOF) std::ungetc(after, in);
            break;
        }
        if (line->size() < DETAIL_LINE_MAX) *line += static_cast<char>(c);
    }
    return true;
}

}  // namespace

bool erc_mark_details(Schema* schema, int number) {
    if (!schema || !schema->erc_report[0]) return false;
    FILE* in = open_file(schema->erc_report, "rb");
    if (!in) return false;
    std::string line;
    bool found = false;
    while (!found && read_line(in, &line)) {
        size_t open = line.find('[');
        if (open == std::string::npos || line.find(']') == std::string::npos) continue;
        std::string digits = line.substr(open + 1, 5);
        if (std::atoi(digits.c_str()) != number) continue;
        found = true;
        for (std::string& detail : detail_lines)
            if (!read_line(in, &detail)) detail.clear();
    }
    std::fclose(in);
    return found;
}

const std::string& erc_mark_detail_line(int which) { return detail_lines[which ? 1 : 0]; }
