// bench-deps: connectivity ladder_road
// The ladder design (see net_build.cpp) from ASCII sources to a SPICE
// netlist through the job drivers a user's run takes: compile the sources
// to binary sheets, build and write each sheet's nets, link, format.
// BM_SpiceRoadFlat: the ladder on one sheet; BM_SpiceRoadHierarchy: a root
// of ten sub-sheets holding a tenth of it each; the Wired ones draw it as
// users do, with labels only where rows meet and the shunts wired to their
// nodes and to ground rails. The sources are written
// once per size outside the timed loop; each iteration runs the whole
// road. Growth must be linear. bench/README.md holds the figures and the
// comparison with xschem (bench/compare_xschem.sh).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "road/ladder_road.h"

namespace {

// The projects written so far, one folder each, removed at exit.
struct Projects {
    std::map<std::tuple<int, bool, ladder_road::Drawing>, std::string> dirs;
    ~Projects() {
        std::error_code ec;
        for (auto& [key, dir] : dirs) std::filesystem::remove_all(dir, ec);
    }
    const std::string& dir(int n, bool hierarchy, ladder_road::Drawing drawing) {
        auto& dir = dirs[{n, hierarchy, drawing}];
        if (dir.empty()) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "tn-road-XXXXXX").string();
            if (!mkdtemp(pattern.data())) return dir;
            dir = pattern;
            ladder_road::write_project(dir, n, hierarchy, drawing);
        }
        return dir;
    }
};
Projects projects;

void road(benchmark::State& state, bool hierarchy,
          ladder_road::Drawing drawing = ladder_road::Drawing::labelled) {
    int n = static_cast<int>(state.range(0));
    const std::string& dir = projects.dir(n, hierarchy, drawing);
    if (dir.empty()) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string netlist = dir + "/ladder.cir", step;
    for (auto _ : state) {
        if (int code = ladder_road::run(dir, dir + "/root", netlist, &step)) {
            state.SkipWithError((step + " failed with " + std::to_string(code)).c_str());
            return;
        }
    }
    int lines = ladder_road::count_resistor_lines(netlist);
    if (lines != ladder_road::resistor_count(n)) state.SkipWithError("resistors missing");
    state.counters["resistors"] = lines;
    state.SetComplexityN(n);
}

void BM_SpiceRoadFlat(benchmark::State& state) { road(state, false); }
void BM_SpiceRoadHierarchy(benchmark::State& state) { road(state, true); }
void BM_SpiceRoadFlatWired(benchmark::State& state) {
    road(state, false, ladder_road::Drawing::wired);
}
void BM_SpiceRoadHierarchyWired(benchmark::State& state) {
    road(state, true, ladder_road::Drawing::wired);
}

void sizes(benchmark::internal::Benchmark* b) {
    for (int n : {1000, 5000, 10000, 50000, 100000}) b->Arg(n);
    b->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}
BENCHMARK(BM_SpiceRoadFlat)->Apply(sizes);
BENCHMARK(BM_SpiceRoadHierarchy)->Apply(sizes);
BENCHMARK(BM_SpiceRoadFlatWired)->Apply(sizes);
BENCHMARK(BM_SpiceRoadHierarchyWired)->Apply(sizes);

}  // namespace
