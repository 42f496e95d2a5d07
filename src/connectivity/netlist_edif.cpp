// Flat EDIF 2 0 0 netlist at keyword level 0: an external library with one
// cell per library part used, a main library holding the design cell with
// one instance per placed device and one net per net, and the design.
//
// Everything written must be valid EDIF: names that are no EDIF identifier
// are written as (rename &SAFE "original"), strings are escaped, every
// device of a package is an instance of its own name, and each reference
// names the library that holds the cell.
#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

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

// A name as an EDIF name: "&NAME" when it holds only letters, digits and
// '_', else renamed to such a name with the original kept as a string.
std::string escape_string(const std::string& text);
std::string edif_name(const std::string& name) {
    if (identifier_chars(name)) return "&" + name;
    std::string safe = name;
    for (char& c : safe)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return "(rename &" + safe + " \"" + escape_string(name) + "\")";
}

// Net names are written bare when they are plain identifiers already.
std::string net_name(const std::string& name) {
    if (identifier_chars(name) && std::isalpha(static_cast<unsigned char>(name[0]))) return name;
    return edif_name(name);
}

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

// An instance per placed device: the reference, with the device letter for
// a package of several devices.
std::string instance_name(Library* library, PlacedPart* part) {
    return pl_reference_text(library, part);
}

class Writer {
public:
    Writer(NetlistRun& run, FILE* out) : run_(run), out_(out), library_(run.schema->library) {}

    void line(const std::string& text) {
        put(text);
        put_newline(out_);
    }
    void put(const std::string& text) { std::fputs(text.c_str(), out_); }

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

    // One cell per library part, its ports being the pin numbers of every
    // device so that each device's instance finds its own.
    void cells() {
        line(" (external TESSARON_LIB");
        technology();
        for (Part* part : list_items_parts()) part->state &= ~uint32_t{PART_HANDLED};
        for (SchItem* item : list_items<SchItem>(run_.schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* placed = as_PlacedPart(item);
            Part* part = pl_get_part(library_, placed);
            if (!part || (part->state & PART_HANDLED)) continue;
            part->state |= PART_HANDLED;
            const char* name = placed->part_name.get();
            std::string cell = cell_of(name);
            if (cell == "GND POWER")
                line("  (cell (rename &GND_POWER \"GND POWER\")");
            else
                line("  (cell " + edif_name(cell));
            line("   (cellType generic)");
            line("   (comment \"From  Tessaron library " +
                 escape_string(library_of(name, library_)) + "\")");
            line("   (view NetlistView");
            line("    (viewType netlist)");
            put("    (interface");
            std::vector<std::string> ports;
            PinList* pins = part->normal_pins;
            for (int device = 0; device < part_devices(part); ++device)
                for (const Pin* pin : list_items<Pin>(pins ? pins->pins : nullptr)) {
                    std::string number = pin_number_for(pin, device);
                    bool seen = false;
                    for (const std::string& p : ports)
                        seen = seen || strcasecmp(p.c_str(), number.c_str()) == 0;
                    if (seen || number.empty()) continue;
                    ports.push_back(number);
                    put_newline(out_);
                    put("     (port " + edif_name(number) + " (direction " + direction(pin->type) +
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
        for (SchItem* item : list_items<SchItem>(run_.schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* part = as_PlacedPart(item);
            if (!*part->reference.text.get() || !pl_get_part(library_, part)) continue;
            std::string module = escape_string(module_text(part, run_.module_field));
            char stamp[16];
            std::snprintf(stamp, sizeof stamp, "%08X", part->time_stamp);
            line("     (instance " + edif_name(instance_name(library_, part)));
            line("      (viewRef NetlistView");
            line("       (cellRef " + edif_name(cell_of(part->part_name.get())));
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
        for (const Ident* net : list_items<Ident>(run_.context->islands)) {
            std::vector<std::string> refs;
            for (SchItem* m = net->nextconn; m; m = m->next) {
                PseudoPin* member = as_PseudoPin(m);
                if (!member || !member_on_part(member)) continue;
                PlacedPart* part = as_PlacedPart(member->father);
                std::string number = member_pin_number(member);
                if (number.empty() || !*part->reference.text.get() || !pl_get_part(library_, part))
                    continue;
                refs.push_back("       (portRef " + edif_name(number) + " (instanceRef  " +
                               edif_name(instance_name(library_, part)) + "))");
            }
            if (refs.empty()) continue;  // a net joining no instance pin is no EDIF net
            line("     (net " + net_name(net->name.get()));
            put("      (joined");
            for (const std::string& ref : refs) {
                put_newline(out_);
                put(ref);
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
    std::vector<Part*> list_items_parts() {
        std::vector<Part*> parts;
        for (SchItem* item : list_items<SchItem>(run_.schema->sheet->items))
            if (item->type == PARTLIB_ITEM)
                if (Part* part = pl_get_part(library_, as_PlacedPart(item))) parts.push_back(part);
        return parts;
    }

    NetlistRun& run_;
    FILE* out_;
    Library* library_;
};

}  // namespace

int write_edif_netlist(NetlistRun& run, FILE* out) {
    std::string design = design_name(run.output);
    Writer writer(run, out);
    writer.header(design);
    writer.cells();
    writer.contents(design);
    writer.design(design);
    return 0;
}
