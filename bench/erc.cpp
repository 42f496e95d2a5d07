// bench-deps: connectivity
// The electrical rule check of the ladder design at 10,000 and 100,000
// resistors: series resistors joined node to node by wires, a shunt
// resistor from every node to one ground rail (a net of n / 2 passive
// pins). The job loads the sheet, builds its nets and checks them; the
// 100,000 run must take about ten times the 10,000 run (no pass compares
// every member of the ground rail with every other). BM_erc_sheet times the
// check alone over nets built once.
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
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/vectors.h"

namespace {

void silent(const char*, ...) {}

// RES: a 1000 x 3000 body, pin 1 on top (tip 3000 above), pin 2 below.
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
    entry->name.set("RES");
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(library, entry));
}

void add_resistor_at(Schema* schema, int number, int x, int y) {
    PlacedPart* placed = new_PlacedPart();
    placed->part_name.set("RES");
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
        add_resistor_at(schema, 2 * k + 1, x, y);           // series: tips y - 3000, y + 6000
        add_resistor_at(schema, 2 * k + 2, x, y + 10000);   // shunt: tips y + 7000, y + 16000
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

struct Project {
    std::filesystem::path dir;
    explicit Project(int n)
        : dir(std::filesystem::temp_directory_path() / ("tn_bench_erc" + std::to_string(n))) {
        std::filesystem::create_directories(dir);
        config_set_defaults();
        proper_set(BAK_FILE, 0, NETERC_HIER, 1, NETERC_VERBOSE, 0, 0);
        Schema* schema = ladder(n);
        save_schema_file(schema, root().c_str(), false);
        close_schema(nullptr, &schema);
    }
    ~Project() { std::filesystem::remove_all(dir); }
    std::string root() const { return (dir / "ladder.sch").string(); }
    std::string report() const { return (dir / "ladder.erc").string(); }
};

void BM_erc_report(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(erc_report(project.root().c_str(), project.report().c_str(), silent));
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
BENCHMARK(BM_erc_sheet)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
