// The real foreign schematics: every one reads and converts; a sheet that
// comes with the netlist its own program wrote (an .INF file beside it)
// converts, with its library converted from source, to exactly that
// netlist's parts, ports and nets.
//
// The files are third-party and live outside the project
// (../shared/realdata): where that folder is absent these tests skip, and
// under CI (CI=true), where it is always laid beside the checkout, a test
// fails when it is missing, so that they never skip there unseen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "connectivity/bus_expand.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "import/foreign.h"
#include "import/foreign_library.h"
#include "import/genwind.h"
#include "import/import_fixture.h"
#include "import/sdt2sc.h"
#include "import/sdt_job.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/ident.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "support/test_env.h"

namespace sdt_test {
namespace {

namespace fs = std::filesystem;

const fs::path realdata = TN_REALDATA_DIR;

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::vector<fs::path> real_sheets() {
    std::vector<fs::path> sheets;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(realdata, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->path().extension() == ".SCH") sheets.push_back(it->path());
    std::sort(sheets.begin(), sheets.end());
    return sheets;
}

// A net as a set of members: "R <reference> <pin name>" or "P <port name>",
// upper-cased.
using Net = std::set<std::string>;

struct Netlist {
    std::multiset<std::pair<std::string, std::string>> parts;  // reference, part name
    std::multiset<std::pair<std::string, int>> ports;          // name, style bits
    std::set<Net> nets;
    std::vector<std::string> libraries;  // `E` lines, in order
};

// The netlist of the foreign program: records begin with a backquote and
// may go on over the following lines.
Netlist read_inf(const fs::path& path) {
    Netlist net;
    std::ifstream in(path);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '`')
            records.push_back(line);
        else if (!records.empty())
            records.back() += " " + line;
    }
    const std::regex part(R"re(^`I R "([^"]*)" \S+ "([^"]*)" \S+\s+(\S+))re");
    const std::regex port(R"re(^`P ([IOB]) "([^"]*)")re");
    const std::regex library(R"re(^`E (\S+))re");
    const std::regex member(R"re(\( (\w) ([^)]*)\))re");
    const std::regex pin(R"re(^(\S+) "([^"]*)")re");
    const std::regex port_member(R"re(^\w "([^"]*)")re");
    for (const std::string& r : records) {
        std::smatch m;
        if (std::regex_search(r, m, part)) net.parts.emplace(m[3], m[2]);
        if (std::regex_search(r, m, port))
            net.ports.emplace(m[2], m[1] == "I"   ? PORT_INPUT
                                    : m[1] == "O" ? PORT_OUTPUT
                                                  : PORT_BIDIR);
        if (std::regex_search(r, m, library)) net.libraries.push_back(m[1]);
        if (r.rfind("`J", 0) != 0) continue;
        Net members;
        for (auto it = std::sregex_iterator(r.begin(), r.end(), member);
             it != std::sregex_iterator(); ++it) {
            const std::string kind = (*it)[1], rest = (*it)[2];
            std::smatch f;
            if (kind == "R" && std::regex_search(rest, f, pin))
                members.insert("R " + upper(f[1]) + " " + upper(f[2]));
            else if (kind == "P" && std::regex_search(rest, f, port_member))
                members.insert("P " + upper(f[1]));
            else
                EXPECT_EQ(kind, "S")
                    << path << ": member " << it->str();  // signal names: not members
        }
        net.nets.insert(members);
    }
    return net;
}

// The base of a bus port's name ("D" of "D[15..0]"); none for a plain port.
std::optional<std::string> bus_port_base(const Port* port) {
    std::string base;
    int32_t lo = 0, hi = 0;
    if (!port_bus_range(port, &base, &lo, &hi)) return std::nullopt;
    return base;
}

// What the net builder makes of the converted sheet: the nets, with the
// members the foreign netlist lists (part pins and module ports, a bus port
// by the member nets its bus gives a name: "D[15..0]" lists the port "D3" in
// the net that bus member 3 names); where wires meet part pins (each pin's
// outer end); and the builder's warnings.
struct Built {
    std::set<Net> nets;
    std::vector<std::pair<Point, std::string>> tips;  // point, "reference pin"
    std::string warnings;
};

Built build(Schema* schema) {
    Built out;
    logged.clear();
    set_net_warning_hook(capture);
    NetContext* context = new_NetContext();
    EXPECT_EQ(build_sheet_nets(context, schema), 0);
    set_net_warning_hook(nullptr);
    out.warnings = logged;
    logged.clear();
    std::set<std::string> bus_ports;
    for (Port* port : list_items<Port>(schema->ports))
        if (auto base = bus_port_base(port)) bus_ports.insert(upper(*base));
    for (Ident* head : list_items<Ident>(context->islands)) {
        Net members;
        for (const SchItem* m = head->nextconn; m; m = m->next) {
            const PseudoPin* pp = as_PseudoPin(m);
            if (pp->pin && pp->father && pp->father->type == PARTLIB_ITEM)
                members.insert("R " + upper(as_PlacedPart(pp->father)->reference.text.get()) + " " +
                               upper(pp->pin->name.get()));
            else if (pp->whoami && pp->whoami->type == PORT_ITEM && !pp->father &&
                     !bus_port_base(as_Port(pp->whoami)))
                members.insert("P " + upper(as_Port(pp->whoami)->name.get()));
        }
        for (NameRec* rec : list_items<NameRec>(head->names)) {
            const std::string name = rec->name ? rec->name : "";
            const size_t cut = name.find("//");
            if (rec->kind != NAME_BUS_ALIAS || name.size() < 2 || cut == std::string::npos)
                continue;
            const std::string base = upper(name.substr(1, cut - 1));
            if (bus_ports.count(base)) members.insert("P " + base + name.substr(cut + 2));
        }
        out.nets.insert(members);
    }
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type != PSEUDO_PIN) continue;
        PseudoPin* pp = as_PseudoPin(item);
        Point tip;
        if (pp->pin && pp->father && pp->father->type == PARTLIB_ITEM &&
            member_pin_tip(context, schema, pp, &tip))
            out.tips.emplace_back(
                tip, std::string(as_PlacedPart(pp->father)->reference.text.get()) + " " +
                         pp->pin->name.get());
    }
    free_NetContext(schema, context);
    return out;
}

Line* add_wire(Schema* schema, Point a, Point b) {
    Line* line = new_Line();
    line->pos = a;
    line->end = b;
    dlist_append(schema->sheet->items, line);
    return line;
}

// Where the foreign program joins nets by another rule than ours, the sheet
// is changed so that our rules give its reading, and each change is noted:
//
// - A pin whose outer end lies strictly inside a wire (no junction there)
//   joins that wire here; the foreign program joins a pin only to wires
//   that end at it. The wire is made to step aside around the pin end (by
//   one unit, where nothing else lies), which keeps it whole.
// - A bus without a range label on it is named by nothing here (the port
//   warns "No Bus name specified"); the foreign program names it by the
//   range of the port it starts at. A label of the port's name is put on
//   the bus at the port.
std::vector<std::string> apply_foreign_rules(Schema* schema, const Built& built) {
    std::vector<std::string> notes;
    std::set<std::pair<int32_t, int32_t>> junctions;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items))
        if (item->type == JUNCTION_ITEM) junctions.emplace(item->pos.x, item->pos.y);
    for (const auto& [tip, pin] : built.tips) {
        if (junctions.count({tip.x, tip.y})) continue;
        for (bool again = true; again;) {
            again = false;
            for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
                if (item->type != LINE_ITEM || item->flags != 0) continue;  // wires only
                Line* w = as_Line(item);
                if (point_on_wire(tip, w, 0) != 1) continue;
                const bool horizontal = w->pos.y == w->end.y;
                EXPECT_TRUE(horizontal || w->pos.x == w->end.x) << "a sloped wire through " << pin;
                const Point along = horizontal ? Point{w->end.x > w->pos.x ? 1 : -1, 0}
                                               : Point{0, w->end.y > w->pos.y ? 1 : -1};
                const Point aside = horizontal ? Point{0, 1} : Point{1, 0};
                const Point before{tip.x - along.x, tip.y - along.y},
                    after{tip.x + along.x, tip.y + along.y};
                const Point end = w->end;
                w->end = before;
                add_wire(schema, before, Point{before.x + aside.x, before.y + aside.y});
                add_wire(schema, Point{before.x + aside.x, before.y + aside.y},
                         Point{after.x + aside.x, after.y + aside.y});
                add_wire(schema, Point{after.x + aside.x, after.y + aside.y}, after);
                add_wire(schema, after, end);
                notes.push_back("pin " + pin + " inside a wire");
                again = true;
                break;
            }
        }
    }
    for (Port* port : list_items<Port>(schema->ports)) {
        const std::string name = port->name.get();
        if (!bus_port_base(port) || built.warnings.find("No Bus name specified for port '" + name +
                                                        "'") == std::string::npos)
            continue;
        Text* label = new_Text();
        label->pos = port->pos;
        label->flags = LABEL;
        label->string = name;
        dlist_append(schema->sheet->items, label);
        notes.push_back("bus port " + name + " without a range label");
    }
    return notes;
}

// The foreign program lists only nets that join two members or more.
std::set<Net> joined(const std::set<Net>& nets) {
    std::set<Net> out;
    for (const Net& n : nets)
        if (n.size() >= 2) out.insert(n);
    return out;
}

std::string describe(const std::set<Net>& nets) {
    std::string out;
    for (const Net& n : nets) {
        out += " {";
        for (const std::string& m : n) out += " " + m;
        out += " }\n";
    }
    return out;
}

// The nets a port stands for in the netlist: a bus port "D[15..0]" is one
// net per member, and net names ignore case.
std::vector<std::string> port_nets(const Port* port) {
    std::string base;
    int32_t lo = 0, hi = 0;
    if (!port_bus_range(port, &base, &lo, &hi)) return {upper(port->name.get())};
    std::vector<std::string> nets;
    for (int32_t i = std::min(lo, hi); i <= std::max(lo, hi); ++i)
        nets.push_back(upper(base) + std::to_string(i));
    return nets;
}

struct SchemaFree {
    void operator()(Schema* s) const { free_Schema(s, false); }
};

class RealData : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        if (!fs::is_directory(realdata))
            GTEST_SKIP() << realdata.string() << " is absent: real OrCAD files not tested";
    }
    std::unique_ptr<Schema, SchemaFree> convert(const fs::path& path) {
        auto* file = new ForeignFile;
        files.push_back(file);
        ForeignInput in;
        EXPECT_TRUE(foreign_input_open(&in, path.string()));
        EXPECT_EQ(sdt32_read_file(file, &in), 0) << path << ": " << in.error;
        EXPECT_FALSE(file->objects.empty()) << path;
        std::unique_ptr<Schema, SchemaFree> schema(genwind_build_schema(file));
        EXPECT_TRUE(schema) << path;
        return schema;
    }
    // Converts the real library (binary) through its source text into the
    // library directory; the library name for SDT_LIBFILE.
    std::string convert_library(const std::string& file_name) {
        const std::string name = fs::path(file_name).stem().string();
        if (converted.count(name)) return name;
        ForeignLibrarySource source =
            foreign_library_source((realdata / "orcad-lib32" / file_name).string());
        EXPECT_EQ(source.error, "");
        EXPECT_EQ(source.skipped, 0) << file_name;
        tn_test::write_text(file(name + ".src"), source.text);
        const std::string logged_before = logged;
        EXPECT_EQ(convert_orcad_library(file(name + ".src").c_str(), capture), 0) << logged;
        logged = logged_before;
        converted.insert(name);
        return name;
    }
    std::set<std::string> converted;
};

// Under CI the folder is always there: the tests above must have run.
TEST(RealDataPresence, TheRealFilesAreThereUnderCi) {
    const char* ci = std::getenv("CI");
    if (!ci || std::string(ci) != "true") GTEST_SKIP() << "not under CI";
    ASSERT_TRUE(fs::is_directory(realdata))
        << realdata << " is missing: the real-data tests skipped";
    EXPECT_GE(real_sheets().size(), 40u);
}

TEST_F(RealData, EverySheetReadsAndConvertsWithOnlyMissingPartWarnings) {
    const auto sheets = real_sheets();
    ASSERT_GE(sheets.size(), 40u);
    const std::regex allowed(R"(\*\*\* WARNING \*\*\*: No Such Part : .+\n)");
    for (const fs::path& sheet : sheets) {
        logged.clear();
        auto schema = convert(sheet);
        std::string rest = std::regex_replace(logged, allowed, "");
        EXPECT_EQ(rest, "") << sheet;
        // 32-bit sheets of the foreign program hold wires and parts.
        ASSERT_TRUE(schema);
        EXPECT_GT(schema->sheet->items->count, 0u) << sheet;
    }
}

TEST_F(RealData, SheetsGiveTheNetsOfTheNetlistTheirProgramWrote) {
    int compared = 0;
    std::vector<std::string> differences;
    for (const fs::path& sheet : real_sheets()) {
        fs::path inf = sheet;
        inf.replace_extension(".INF");
        if (!fs::exists(inf)) continue;
        SCOPED_TRACE(sheet.string());
        const Netlist expected = read_inf(inf);
        ASSERT_FALSE(expected.libraries.empty());
        proper_set(SDT_LIBFILE, convert_library(expected.libraries.front()).c_str(), 0);
        logged.clear();
        auto schema = convert(sheet);
        ASSERT_TRUE(schema);
        EXPECT_EQ(logged, "");
        Netlist got;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* pl = as_PlacedPart(item);
            std::string name = pl->part_name.get();
            got.parts.emplace(pl->reference.text.get(), name.substr(name.find('/') + 1));
        }
        for (Port* port : list_items<Port>(schema->ports))
            for (const std::string& net : port_nets(port))
                got.ports.emplace(net, port->flags & PORT_KIND_MASK);
        EXPECT_EQ(got.parts, expected.parts);
        EXPECT_EQ(got.ports, expected.ports);
        EXPECT_EQ(joined(expected.nets), expected.nets) << "a net of fewer than two members";
        Built built = build(schema.get());
        const std::vector<std::string> notes = apply_foreign_rules(schema.get(), built);
        if (!notes.empty()) built = build(schema.get());
        for (const std::string& note : notes)
            differences.push_back(sheet.stem().string() + ": " + note);
        const std::set<Net> nets = joined(built.nets);
        std::set<Net> missing, extra;
        std::set_difference(expected.nets.begin(), expected.nets.end(), nets.begin(), nets.end(),
                            std::inserter(missing, missing.end()));
        std::set_difference(nets.begin(), nets.end(), expected.nets.begin(), expected.nets.end(),
                            std::inserter(extra, extra.end()));
        EXPECT_TRUE(missing.empty() && extra.empty())
            << "nets of the netlist not built:\n"
            << describe(missing) << "nets built instead:\n"
            << describe(extra);
        ++compared;
    }
    EXPECT_EQ(compared, 13);
    // Every place where the two programs' rules differ, known one by one.
    EXPECT_EQ(differences, (std::vector<std::string>{
                               "CB16CLED: pin U32 D inside a wire",
                               "CB16CLED: pin U32 L inside a wire",
                               "COMPM16: bus port A[15..0] without a range label",
                               "COMPM16: bus port B[15..0] without a range label",
                               "SR16CLED: bus port D[15..0] without a range label",
                               "SR16CLED: bus port Q[15..0] without a range label",
                               "ADD16: bus port S[15..0] without a range label",
                               "ADD16: bus port A[15..0] without a range label",
                               "ADD16: bus port B[15..0] without a range label",
                               "ADD4: bus port A[3..0] without a range label",
                               "ADD4: bus port B[3..0] without a range label",
                               "ADD4: bus port S[3..0] without a range label",
                               "CC16CE: bus port Q[15..0] without a range label",
                               "CC16CLED: pin U101 COUT inside a wire",
                               "CC16CLED: pin U105 COUT inside a wire",
                               "CC16CLED: pin U110 COUT inside a wire",
                               "CC16CLED: pin U114 COUT inside a wire",
                               "CC16CLED: bus port q[15..0] without a range label",
                           }));
}

// The whole job on a real hierarchy: the root names its two sub-sheets by
// sheet symbols; each is converted once and every written sheet reads back.
TEST_F(RealData, HierarchyConvertsAndEveryWrittenSheetLoadsAgain) {
    proper_set(SDT_VERBOSE, 0, SDT_HIER, 0, 0);
    List* written = list_new();
    const std::string root = (realdata / "orcad-sdt32/tutor/CMOSCPU.SCH").string();
    EXPECT_EQ(convert_orcad_schematic(root.c_str(), capture, written), 0);
    std::vector<std::string> names;
    for (const char* name : list_items<const char>(written)) {
        names.push_back(fs::path(name).filename().string());
        Schema* loaded = nullptr;
        EXPECT_EQ(load_schema_file(&loaded, name), 0) << name;
        EXPECT_GT(loaded ? loaded->sheet->items->count : 0u, 0u) << name;
        free_Schema(loaded, false);
    }
    free_name_list(written);
    EXPECT_EQ(names, (std::vector<std::string>{"CMOSCPU.sch", "MEMORY.sch", "POWER.sch"}));
    EXPECT_EQ(std::regex_replace(
                  logged, std::regex("\\*\\*\\* WARNING \\*\\*\\*: No Such Part : .+\n"), ""),
              "Input is an OrCad SDT386 file\nInput is an OrCad SDT386 file\nInput is an OrCad "
              "SDT386 file\n");
}

}  // namespace
}  // namespace sdt_test
