// bench-deps: connectivity ladder_road
// Net building of generated "ladder" sheets of 1,000, 10,000 and 100,000
// series resistors: rows of 100; inside a row each resistor's lower pin is
// wired to the next one's upper pin by four orthogonal wire segments (no
// T-junctions); rows are joined by a pair of labels of one name; every
// tenth series resistor has a shunt resistor whose upper pin carries a
// label of the series node and whose lower pin stands on a GND power symbol
// (about 1.1 N parts, 4 N wire segments, 0.2 N labels, one big GND net).
// Growth must be linear or n log n; 10,000 resistors under 0.1 s.
// BM_BuildRailNets: the ground rail below, long runs of collinear wires;
// BM_BuildLongRailNets: the same in rows of 5,000, one run per row.
// The timed loop holds build_sheet_nets only (the sheet is compiled once,
// outside it). Figures are the least of several repetitions of one family
// run alone, on this machine shared with four other builds (load 2-9; the
// same binary varies by a sixth from one quarter hour to the next): the
// mean lies 5-15 % above, and running all families in one process costs
// more again (the heap the 100,000 sheets leave behind).
//   ladder 1,000 / 10,000 / 100,000:  2.7-3.0 / 48-60 / 1180-1420 ms
//   rail   1,000 / 10,000 / 100,000:  2.9-3.1 / 52-57 / 1030-1150 ms
//   long rail 5,000 / 10,000:         21-50 / 54-130 ms
// History of the ladder at 10,000: 126 ms at first; 104 ms once the cell
// table hashed on the top bits of the key (the low ones of a point key hold
// y alone) and the line queries kept their buffers; about 75 ms once records
// carried their list position (no hash look-up per record), the walks read
// an array of positions ahead instead of following the list, and a context
// kept its tables' storage between builds; about 55 ms once the walks also
// fetched ahead the table slots they would ask for, phase 10 kept its lists
// and merge set, and the pin tips kept the part's matrix. What is left is
// mostly allocation (stubs, pseudo-pins, heads, names and their list nodes
// one by one, some 200,000 a build) and one cache miss per table look-up.
// Before a query spanning many cells read only its own axis, rails grew
// quadratically (rail 14 / 375 / 35300 ms). One long run stayed quadratic in
// its length (long rail: 990 ms at 10,000 in the last session, 282 / 566 ms
// at 5,000 / 10,000 just before the change) until the queries that only
// want wires still taking part kept, per axis with long lines, those wires
// apart, dropping the absorbed ones and refiling the short pieces a long
// wire is split into: one run of 5,000 / 10,000 / 20,000 segments took
// about 26 / 60 / 150 ms. Since the temporary wires are lines of the
// builder's own table (no records, no list nodes, chains as a union-find),
// the line ends are found in hashed buckets and the lines by carrier keep
// no filing record per line (21:08, load 19-25, median of five, the code
// before / after): ladder 2.4 / 1.6, 37.8 / 30.7, 893 / 496 ms; rail 2.9 /
// 2.0, 77 / 33, 827 / 403 ms; long rail 32 / 12, 70 / 25 ms.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/compil_actions.h"
#include "model/documents/schema.h"
#include "road/ladder_road.h"

namespace {

using ladder_road::add_label;
using ladder_road::add_resistor;
using ladder_road::add_wire;
using ladder_road::pos;

// The ladder described above, with a VIN power symbol on its first
// upper pin and GND on its last lower pin.
std::string ladder_source(int n) { return ladder_road::flat_ladder_source(n); }

// The ground rail: N resistors in rows of 500, each lower pin wired down to
// its row's rail, a run of collinear wire segments joined end to end (500
// per row, each reaching the next resistor's drop, a junction at each
// drop); each upper pin carries a label of its own.
std::string rail_rows(int n, int row) {
    constexpr long pitch = 10000, row_pitch = 40000;
    std::string s = "(SCHEMATIC (SHEET\n";
    for (int i = 0; i < n; ++i) {
        long x = (i % row) * pitch, y = (i / row) * row_pitch;
        add_resistor(s, x, y, i + 1);
        add_label(s, x, y - 3000, "N" + std::to_string(i));
        add_wire(s, x, y + 5000, x, y + 6000);
        add_wire(s, x, y + 6000, x + pitch, y + 6000);
        s += "(JUNCTION " + pos(x, y + 6000) + "SMALL CIRCULAR )\n";
    }
    s += ")\n";
    s += ladder_road::ladder_library;
    return s + ")\n";
}
std::string rail_source(int n) { return rail_rows(n, 500); }
// One long run: rows of 5,000.
std::string long_rail_source(int n) { return rail_rows(n, 5000); }

void quiet(const char*, ...) {}

Schema* generated(int n, std::string (*source)(int)) {
    static std::map<std::pair<int, std::string (*)(int)>, Schema*> made;
    auto found = made.find({n, source});
    if (found != made.end()) return found->second;
    config_set_defaults();
    Schema* schema = nullptr;
    if (compile_schema_string(source(n), COMPIL_SCHEMATIC, quiet, nullptr, &schema) != 0)
        return nullptr;
    if (!schema->current) schema->current = schema->sheet;
    made[{n, source}] = schema;
    return schema;
}

void build_nets(benchmark::State& state, std::string (*source)(int)) {
    Schema* schema = generated(static_cast<int>(state.range(0)), source);
    if (!schema) {
        state.SkipWithError("the sheet did not compile");
        return;
    }
    NetContext* context = new_NetContext();
    int nets = 0;
    for (auto _ : state) {
        build_sheet_nets(context, schema);
        nets = context->islands ? static_cast<int>(context->islands->count) : 0;
    }
    state.counters["nets"] = nets;
    state.SetComplexityN(state.range(0));
    free_NetContext(schema, context);
}
void BM_BuildLadderNets(benchmark::State& state) { build_nets(state, ladder_source); }
BENCHMARK(BM_BuildLadderNets)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_BuildRailNets(benchmark::State& state) { build_nets(state, rail_source); }
BENCHMARK(BM_BuildRailNets)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_BuildLongRailNets(benchmark::State& state) { build_nets(state, long_rail_source); }
BENCHMARK(BM_BuildLongRailNets)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
