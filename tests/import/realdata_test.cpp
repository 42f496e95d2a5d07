// The real foreign schematics: every one reads and converts; a sheet that
// comes with the netlist its own program wrote converts to exactly that
// netlist's part references, part names and ports (bus ports counted by
// their member nets, as the netlist lists them).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "foundation/properties.h"
#include "import/foreign.h"
#include "import/genwind.h"
#include "import/import_fixture.h"
#include "import/sdt_job.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/items/library.h"

namespace sdt_test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> real_sheets() {
    std::vector<fs::path> sheets;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(TN_REALDATA_DIR, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->path().extension() == ".SCH") sheets.push_back(it->path());
    std::sort(sheets.begin(), sheets.end());
    return sheets;
}

struct Netlist {
    std::multiset<std::pair<std::string, std::string>> parts;  // reference, part name
    std::multiset<std::pair<std::string, int>> ports;          // name, style bits
};

Netlist read_inf(const fs::path& path) {
    Netlist net;
    std::ifstream in(path);
    const std::regex part(R"re(^`I R "([^"]*)" \S+ "([^"]*)" \S+\s+(\S+))re");
    const std::regex port(R"re(^`P ([IOB]) "([^"]*)")re");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (std::regex_search(line, m, part)) net.parts.emplace(m[3], m[2]);
        if (std::regex_search(line, m, port))
            net.ports.emplace(m[2], m[1] == "I" ? PORT_INPUT : m[1] == "O" ? PORT_OUTPUT : PORT_BIDIR);
    }
    return net;
}

// The nets a port stands for in the netlist: a bus port "D[15:0]" or
// "D[15..0]" is one net per member, and net names ignore case.
std::vector<std::string> port_nets(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::smatch m;
    if (!std::regex_match(name, m, std::regex(R"re(([^\[]*)\[(\d+)(?::|\.\.)(\d+)\])re")))
        return {name};
    std::vector<std::string> nets;
    int a = std::stoi(m[2]), b = std::stoi(m[3]);
    for (int i = std::min(a, b); i <= std::max(a, b); ++i) nets.push_back(m[1].str() + std::to_string(i));
    return nets;
}

struct SchemaFree {
    void operator()(Schema* s) const { free_Schema(s, false); }
};

class RealData : public ImportTest {
protected:
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
};

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

TEST_F(RealData, SheetsAgreeWithTheNetlistTheirProgramWrote) {
    int compared = 0;
    for (const fs::path& sheet : real_sheets()) {
        fs::path inf = sheet;
        inf.replace_extension(".INF");
        if (!fs::exists(inf)) continue;
        const Netlist expected = read_inf(inf);
        std::vector<LibPart> parts;
        std::set<std::string> names;
        for (const auto& p : expected.parts)
            if (names.insert(p.second).second) parts.push_back({p.second});
        write_library("inf", parts);
        proper_set(SDT_LIBFILE, "inf", 0);
        logged.clear();
        auto schema = convert(sheet);
        ASSERT_TRUE(schema);
        EXPECT_EQ(logged, "") << sheet;
        Netlist got;
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* pl = as_PlacedPart(item);
            std::string name = pl->part_name.get();
            got.parts.emplace(pl->reference.text.get(), name.substr(name.find('/') + 1));
        }
        for (Port* port : list_items<Port>(schema->ports))
            for (const std::string& net : port_nets(port->name.get()))
                got.ports.emplace(net, port->flags & PORT_KIND_MASK);
        EXPECT_EQ(got.parts, expected.parts) << sheet;
        EXPECT_EQ(got.ports, expected.ports) << sheet;
        free_LibraryList(lib_list);
        lib_list = nullptr;
        init_Libraries();
        ++compared;
    }
    EXPECT_EQ(compared, 13);
}

// The whole job on a real hierarchy: the root names its two sub-sheets by
// sheet symbols; each is converted once and every written sheet reads back.
TEST_F(RealData, HierarchyConvertsAndEveryWrittenSheetLoadsAgain) {
    proper_set(SDT_VERBOSE, 0, SDT_HIER, 0, 0);
    List* written = list_new();
    const std::string root = std::string(TN_REALDATA_DIR) + "/orcad-sdt32/tutor/CMOSCPU.SCH";
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
    EXPECT_EQ(std::regex_replace(logged, std::regex("\\*\\*\\* WARNING \\*\\*\\*: No Such Part : .+\n"), ""),
              "Input is an OrCad SDT386 file\nInput is an OrCad SDT386 file\nInput is an OrCad SDT386 file\n");
}

}  // namespace
}  // namespace sdt_test
