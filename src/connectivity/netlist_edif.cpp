// Flat EDIF 2 0 0 netlist at keyword level 0: an external library with one
// cell per library part used, a main library holding the design cell with
// one instance per package and one net per net, and the design.
//
// Everything written must be valid EDIF: names that are no EDIF identifier
// are written as (rename &SAFE "original") with SAFE unique in its scope,
// strings are escaped, the devices of a package are one instance named by
// its reference, and each reference names the library that holds the cell.
#include <strings.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "connectivity/net_context.h"
#include "connectivity/netlist_format.h"
#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"

namespace {

bool identifier_chars(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string escape_string(const std::string& text);

std::string folded(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// The written names of one scope (the cells of the library, the ports of a
// cell, the instances or the nets of the design). A name that is an EDIF
// identifier (letters, digits, '_') keeps its spelling as "&NAME", or bare
// when `bare` and it starts with a letter; any other name is renamed to one
// made of its letters and digits with '_' for the rest, numbered on when
// another name of the scope already has that identifier (compared ignoring
// case, as EDIF compares them: "+12V" and "-12V" must not meet as one net),
// and keeps its own spelling in the rename's string.
std::vector<std::string> scope_names(const std::vector<std::string>& names, bool bare = false) {
    std::vector<std::string> written(names.size());
    std::unordered_set<std::string> taken;
    // The names that need no rename take theirs first.
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!identifier_chars(name) || !taken.insert(folded(name)).second) continue;
        written[i] = (bare && std::isalpha(static_cast<unsigned char>(name[0])) ? "" : "&") + name;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (!written[i].empty()) continue;
        std::string safe = names[i].empty() ? "_" : names[i];
        for (char& c : safe)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        std::string identifier = safe;
        for (int n = 2; !taken.insert(folded(identifier)).second; ++n)
            identifier = safe + "_" + std::to_string(n);
        written[i] = "(rename &" + identifier + " \"" + escape_string(names[i]) + "\")";
    }
    return written;
}

// A name alone in its scope (the design).
std::string edif_name(const std::string& name) { return scope_names({name}).front(); }

// '"' and '%' cannot stand in an EDIF string: they are written as %34% and %37%.
std::string escape_string(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"')
            out += "%34%";
        else if (c == '%')
            out += "%37%";
        else
            out += c;
    }
    return out;
}

std::string design_name(const char* output) {
    std::string name = output;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    name = name.substr(0, name.find('.'));
    for (char& c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 97 && u <= 127) c = static_cast<char>(u - 32);
    }
    return name;
}

std::string long_date(const std::string& date) {
    static const char* const months[] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};
    if (date.size() != 8 || date[2] != '/' || date[5] != '/') return date;
    int month = std::atoi(date.substr(0, 2).c_str());
    if (month < 1 || month > 12) return date;
    return "   " + std::string(months[month - 1]) + "  " + date.substr(3, 2) + ", 19" +
           date.substr(6, 2);
}

// The cell of a part name: after the first '/', else the whole name.
std::string cell_of(const char* part_name) {
    const char* slash = std::strchr(part_name, '/');
    return slash ? slash + 1 : part_name;
}

std::string library_of(const char* part_name, const Library* own) {
    const char* slash = std::strchr(part_name, '/');
    if (!slash) return own ? own->name : "";
    return std::string(part_name, slash) + strproper_get(EXT_CLB);
}

const char* direction(int type) {
    static const char* const names[] = {"INOUT",  "INPUT", "OUTPUT", "INOUT", "OUTPUT",
                                        "OUTPUT", "INOUT", "INOUT",  "OUTPUT"};
    return type >= 1 && type <= 8 ? names[type] : "INOUT";
}

// A cell: one library part used, its ports the pin numbers of all its
// devices, each once (a supply pin shared by the devices is one port).
struct Cell {
    Part* part;
    const char* part_name;                              // of the first placed part using it
    std::vector<const Pin*> pins;                       // the first pin of each port
    std::vector<std::string> numbers;                   // each port's pin number
    std::vector<std::string> ports;                     // each port as written
    std::unordered_map<std::string, uint32_t> port_of;  // folded number -> port
};

// An instance: one package, named by its reference, written where its first
// device stands in the sheet's list.
struct Instance {
    PlacedPart* part;
    uint32_t cell;
};

class Writer {
public:
    Writer(NetlistRun& run, FILE* out) : run_(run), out_(out), library_(run.schema->library) {}

    void line(const std::string& text) {
        put(text);
        put_newline(out_);
    }
    void put(const std::string& text) { std::fputs(text.c_str(), out_); }

    // Every name is planned before anything is written: each must be
    // unique in its scope, and the nets name the ports and instances.
    void plan() {
        std::vector<std::string> names;
        for (PlacedPart* placed : run_.placed) {
            Part* part = pl_get_part(library_, placed);
            if (!part || cell_of_part_.count(part)) continue;
            cell_of_part_[part] = static_cast<uint32_t>(cells_.size());
            cells_.push_back(plan_cell(part, placed->part_name.get()));
            names.push_back(cell_of(placed->part_name.get()));
        }
        cell_names_ = scope_names(names);
        names.clear();
        instance_of_package_.assign(run_.package_count, NONE);
        for (PlacedPart* part : run_.placed) {
            const uint32_t* package = package_of_placed(run_, part);
            Part* library_part = pl_get_part(library_, part);
            if (!package || !*part->reference.text.get() || !library_part ||
                instance_of_package_[*package] != NONE)
                continue;
            instance_of_package_[*package] = static_cast<uint32_t>(instances_.size());
            instances_.push_back({part, cell_of_part_[library_part]});
            names.push_back(part->reference.text.get());
        }
        instance_names_ = scope_names(names);
        names.clear();
        std::unordered_set<uint64_t> seen;
        for (const Ident* net : list_items<Ident>(run_.context->islands)) {
            // The instance pins it joins, (instance, port), each once.
            std::vector<std::pair<uint32_t, uint32_t>> joined;
            seen.clear();
            for (SchItem* m = net->nextconn; m; m = m->next) {
                PseudoPin* member = as_PseudoPin(m);
                if (!member || !member_on_part(member)) continue;
                const uint32_t* package = package_of_placed(run_, member->father);
                uint32_t instance = package ? instance_of_package_[*package] : NONE;
                if (instance == NONE) continue;
                const Cell& cell = cells_[instances_[instance].cell];
                auto port = cell.port_of.find(folded(member_pin_number(member)));
                if (port == cell.port_of.end()) continue;
                if (seen.insert(uint64_t{instance} << 32 | port->second).second)
                    joined.push_back({instance, port->second});
            }
            // A net joining no instance pin is no EDIF net.
            if (joined.empty()) continue;
            nets_.push_back(std::move(joined));
            names.push_back(net->name.get());
        }
        net_names_ = scope_names(names, true);
    }

    void header(const std::string& design) {
        line("(edif " + edif_name(design));
        line(" (edifVersion 2 0 0)");
        line(" (edifLevel 0)");
        line(" (keywordMap (keywordLevel 0))");
        line(" (status");
        line("  (written");
        line("   (timeStamp 0 0 0 0 0 0)");
        line("   (program \"TESSARON.EXE\")");
        line("   (comment \"Original Data from Tessaron schematic\"))");
        line("  (comment\"\")");
        line("  (comment \" generated   " + escape_string(long_date(date_string())) + "\")");
        for (int i = 0; i < 7; ++i) line("  (comment\"\")");
        line("  (comment\"\"))");
    }

    void technology() {
        line("  (edifLevel 0)");
        line("  (technology");
        line("   (numberDefinition");
        line("    (scale 1 1 (unit distance))))");
    }

    void cells() {
        line(" (external TESSARON_LIB");
        technology();
        for (size_t i = 0; i < cells_.size(); ++i) {
            const Cell& cell = cells_[i];
            line("  (cell " + cell_names_[i]);
            line("   (cellType generic)");
            line("   (comment \"From  Tessaron library " +
                 escape_string(library_of(cell.part_name, library_)) + "\")");
            line("   (view NetlistView");
            line("    (viewType netlist)");
            put("    (interface");
            for (size_t p = 0; p < cell.ports.size(); ++p) {
                put_newline(out_);
                put("     (port " + cell.ports[p] + " (direction " + direction(cell.pins[p]->type) +
                    "))");
            }
            // Closes the interface, the view and the cell.
            line(")))");
        }
        line(" )");
    }

    void contents(const std::string& design) {
        line(" (library MAIN_LIB");
        technology();
        line("  (cell " + edif_name(design));
        line("    (cellType generic)");
        line("    (view NetlistView");
        line("    (viewType netlist)");
        line("    (interface)");
        line("    (contents");
        for (size_t i = 0; i < instances_.size(); ++i) {
            PlacedPart* part = instances_[i].part;
            std::string module = escape_string(module_text(part, run_.module_field));
            char stamp[16];
            std::snprintf(stamp, sizeof stamp, "%08X", part->time_stamp);
            line("     (instance " + instance_names_[i]);
            line("      (viewRef NetlistView");
            line("       (cellRef " + cell_names_[instances_[i].cell]);
            line("        (libraryRef  TESSARON_LIB)))");
            line("      (property PartValue (string \"" + escape_string(part->value.text.get()) +
                 "\"))");
            line("      (property ModuleValue (string \"" + module + "\"))");
            line(std::string("      (property TimeStampValue (string \"") + stamp + "\"))");
            line("      (property Field1Value (string \"" + module + "\"))");
            for (int n = 2; n <= 7; ++n)
                line("      (property Field" + std::to_string(n) + "Value (string \"\"))");
            line("      (property Field8Value (string \"\")))");
        }
        for (size_t i = 0; i < nets_.size(); ++i) {
            line("     (net " + net_names_[i]);
            put("      (joined");
            for (auto [instance, port] : nets_[i]) {
                put_newline(out_);
                put("       (portRef " + cells_[instances_[instance].cell].ports[port] +
                    " (instanceRef  " + instance_names_[instance] + "))");
            }
            line("))");
        }
        // Closes the contents, the view, the cell and the library.
        line("    ))))");
    }

    void design(const std::string& name) {
        line(" (design " + edif_name(name));
        line("  (cellRef " + edif_name(name));
        put("   (libraryRef MAIN_LIB))))");
    }

private:
    static constexpr uint32_t NONE = UINT32_MAX;

    static Cell plan_cell(Part* part, const char* part_name) {
        Cell cell{part, part_name, {}, {}, {}, {}};
        PinList* pins = part->normal_pins;
        for (int device = 0; device < part_devices(part); ++device)
            for (const Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
                std::string number = pin_number_for(pin, device);
                if (number.empty() ||
                    !cell.port_of.emplace(folded(number), uint32_t(cell.numbers.size())).second)
                    continue;
                cell.pins.push_back(pin);
                cell.numbers.push_back(number);
            }
        cell.ports = scope_names(cell.numbers);
        return cell;
    }

    NetlistRun& run_;
    FILE* out_;
    Library* library_;
    std::vector<Cell> cells_;
    std::unordered_map<const Part*, uint32_t> cell_of_part_;
    std::vector<std::string> cell_names_;
    std::vector<Instance> instances_;
    std::vector<uint32_t> instance_of_package_;
    std::vector<std::string> instance_names_;
    std::vector<std::vector<std::pair<uint32_t, uint32_t>>> nets_;
    std::vector<std::string> net_names_;
};

}  // namespace

int write_edif_netlist(NetlistRun& run, FILE* out) {
    std::string design = design_name(run.output);
    Writer writer(run, out);
    writer.plan();
    writer.header(design);
    writer.cells();
    writer.contents(design);
    writer.design(design);
    return 0;
}
