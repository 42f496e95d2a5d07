// bench-deps: connectivity
// The electrical rule check of the ladder design at 10,000 and 100,000
// resistors: series resistors joined node to node by wires, a shunt
// resistor from every node to one ground rail (a net of n / 2 passive
// pins). The job loads the sheet, builds its nets and checks them; the
// 100,000 run must take about ten times the 10,000 run (no pass compares
// every member of the ground rail with every other). BM_erc_sheet times the
// check alone over nets built once. BM_erc_hierarchy checks the ladder as
// the sub-sheet of a root whose box port joins the ground rail: the link
// and the final report go over that rail once more.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "connectivity/erc.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/compil.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/power_port.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"

namespace {

void silent(const char*, ...) {}

// The entry's name as parts placed from a library carry it: the link
// imports each sub-sheet's entries under such names.
constexpr const char* RESISTOR = "LIB/RES";

// A 1000 x 3000 body, pin 1 on top (tip 3000 above), pin 2 below.
void add_resistor(Library* library) {
    Part* part = new_Part();
    part->prefix.set("R");
    part->body = {0, 0, 1000, 3000};
    part->normal = new_Vectors();
    ref_Vectors(part->normal);
    part->normal_pins = new_PinList();
    for (int p = 0; p < 2; ++p) {
        Pin* pin = new_Pin(1);
        pin->name.set(p ? "2" : "1");
        pin->type = PAS;
        pin->flags = p ? BOTTOM : TOP;
        pin->pos = {500, p ? 3000 : 0};
        set_pin_number(pin, 0, p ? "2" : "1");
        dlist_append(part->normal_pins->pins, pin);
    }
    LibEntry* entry = new_LibEntry();
    entry->name.set(RESISTOR);
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(library, entry));
}

void add_resistor_at(Schema* schema, int number, int x, int y) {
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set(RESISTOR);
    placed->pos = {x, y};
    placed->time_stamp = 0x10000000u + static_cast<uint32_t>(number);
    placed->reference.text.set(("R" + std::to_string(number)).c_str());
    placed->value.text.set(number % 2 ? "2k" : "1k");
    dlist_append(schema->sheet->items, placed);
}

void add_wire(Schema* schema, Point a, Point b) {
    Line* wire = new_Line();
    wire->pos = a;
    wire->end = b;
    dlist_append(schema->sheet->items, wire);
}

Schema* ladder(int n) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    add_resistor(schema->library);
    for (int k = 0; k < n / 2; ++k) {
        int x = (k % 500) * 10000, y = (k / 500) * 40000;
        add_resistor_at(schema, 2 * k + 1, x, y);          // series: tips y - 3000, y + 6000
        add_resistor_at(schema, 2 * k + 2, x, y + 10000);  // shunt: tips y + 7000, y + 16000
        add_wire(schema, {x + 500, y + 6000}, {x + 500, y + 7000});
        if (k % 500 != 499) {
            add_wire(schema, {x + 500, y + 6000}, {x + 5500, y + 6000});
            add_wire(schema, {x + 5500, y + 6000}, {x + 5500, y - 4000});
            add_wire(schema, {x + 5500, y - 4000}, {x + 10500, y - 4000});
            add_wire(schema, {x + 10500, y - 4000}, {x + 10500, y - 3000});
        }
        add_wire(schema, {x + 500, y + 16000}, {x + 500, y + 17000});
        add_wire(schema, {x + 500, y + 17000}, {x + 10500, y + 17000});
    }
    return schema;
}

// A root of one sub-sheet box whose input port GND stands for the ladder.
const char* const root_source = R"((SCHEMATIC
(PORTS
)
(SHEET
(SUBSHEET 0x0000ABCD (POS 20000 0 ) (SIZE 8000 6000 ) 'LADDER' 'ladder.sch' (PORTS
(PORT LEFT INPUT (POS 0 1000 ) 'GND' )
) )
)
(LIB '$ACTIVE$' (PFXS ) (PARTS ) )
)
)";

struct Project {
    std::filesystem::path dir;
    // hierarchy: the ladder is the sub-sheet of a root, its ground rail a
    // module port GND.
    Project(int n, bool hierarchy)
        : dir(std::filesystem::temp_directory_path() /
              ("tn_bench_erc" + std::to_string(n) + (hierarchy ? "h" : ""))) {
        std::filesystem::create_directories(dir);
        config_set_defaults();
        proper_set(BAK_FILE, 0, NETERC_HIER, hierarchy ? 0 : 1, NETERC_VERBOSE, 0, 0);
        proper_set(DIR_PROJECT, dir.string().c_str(), 0);
        Schema* schema = ladder(n);
        if (hierarchy) {
            Port* port = new_Port();
            port->name.set("GND");
            port->flags = PORT_INPUT;
            port->pos = {500, 17000};  // the rail's first point
            if (!schema->ports) schema->ports = list_new();
            dlist_append(schema->ports, port);
        }
        save_schema_file(schema, ladder_file().c_str(), false);
        close_schema(nullptr, &schema);
        if (hierarchy) {
            compile_schema_string(root_source, COMPIL_SCHEMATIC, silent, nullptr, &schema);
            save_schema_file(schema, root().c_str(), false);
            close_schema(nullptr, &schema);
        }
        root_ = hierarchy ? root() : ladder_file();
    }
    ~Project() { std::filesystem::remove_all(dir); }
    std::string ladder_file() const { return (dir / "ladder.sch").string(); }
    std::string root() const { return (dir / "root.sch").string(); }
    std::string report() const { return (dir / "ladder.erc").string(); }
    int run() const { return erc_report(root_.c_str(), report().c_str(), silent); }
    std::string root_;
};

void BM_erc_report(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)), false);
    for (auto _ : state) benchmark::DoNotOptimize(project.run());
}

void BM_erc_hierarchy(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)), true);
    if (project.run() != 0) state.SkipWithError("the hierarchy did not link");
    for (auto _ : state) benchmark::DoNotOptimize(project.run());
}

// The check alone, over nets built once.
void BM_erc_sheet(benchmark::State& state) {
    config_set_defaults();
    Schema* schema = ladder(static_cast<int>(state.range(0)));
    NetContext* context = new_NetContext();
    build_sheet_nets(context, schema);
    FILE* sink = std::tmpfile();
    for (auto _ : state) {
        std::rewind(sink);
        List* marks = nullptr;
        benchmark::DoNotOptimize(erc_sheet(context, schema, sink, &marks));
        free_SchItem_list(schema, &marks);
    }
    std::fclose(sink);
    free_NetContext(schema, context);
    close_schema(nullptr, &schema);
}

}  // namespace

// The whole job is dominated by building the nets.
BENCHMARK(BM_erc_report)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_erc_hierarchy)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_erc_sheet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
