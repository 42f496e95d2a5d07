// bench-deps: connectivity ladder_road
// How net building and the jobs built on it grow with the sheet: the flat
// ladder of the road (road/ladder_road.h, labelled drawing: 1.1 N parts,
// about 4 N wires, 0.2 N labels) at 10,000, 100,000 and 1,000,000
// resistors, compiled once into a binary sheet in a folder of its own.
//   BM_GrowthNetBuild   build_sheet_nets on the loaded sheet;
//   BM_GrowthErc        the ERC job (load, build, check, report);
//   BM_GrowthNetlist    the Netlist Output job as the Tools menu runs it:
//                       the sheet's net file, the link, the SPICE netlist.
// The target: each at most 10.5 times its time for ten times the
// resistors, from 10,000 to 1,000,000. Run one family per process (the
// 1,000,000 sheet takes about 1.5 GB while its nets are built), e.g.
//   build/bench/bench_net_growth --benchmark_filter=NetBuild
// bench/README.md holds the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "connectivity/erc.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_jobs.h"
#include "foundation/heap.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "road/ladder_road.h"

namespace {

// As the program's start-up sets malloc.
const bool heap_tuned = (tune_process_heap(), true);

void quiet(const char*, ...) {}

// The compiled projects, one folder each, removed at exit.
struct Projects {
    std::map<int, std::string> roots;  // by size: the root's name without suffix
    ~Projects() {
        std::error_code ec;
        for (auto& [n, root] : roots)
            std::filesystem::remove_all(std::filesystem::path(root).parent_path(), ec);
    }
    // The sheet of the ladder of n, compiled; empty when it could not be.
    std::string root(int n) {
        auto found = roots.find(n);
        if (found != roots.end()) return found->second;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tn-growth-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return "";
        settings(pattern);
        std::string root = ladder_road::write_project(pattern, n, false);
        if (compile_sheets((root + ".asc").c_str(), nullptr, nullptr, nullptr, quiet) != 0)
            root.clear();
        std::filesystem::remove(root + ".asc");
        free_LibraryList(lib_list);
        lib_list = nullptr;
        return roots[n] = root;
    }
    static void settings(const std::string& dir) {
        config_set_defaults();
        proper_set(DIR_PROJECT, dir.c_str(), DIR_LIBRARY, dir.c_str(), COMPSHEET_VERBOSE, 0,
                   NETFMT_VERBOSE, 0, NETERC_VERBOSE, 0, NETERC_HIER, 1, BAK_FILE, 0, 0);
        init_Libraries();
    }
};
Projects projects;

// Each job frees the libraries it loaded, as the program does when it ends.
void drop_libraries() {
    free_LibraryList(lib_list);
    lib_list = nullptr;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

void BM_GrowthNetBuild(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::string root = projects.root(n);
    Schema* schema = nullptr;
    if (root.empty() || load_schema_file(&schema, (root + ".sch").c_str()) != 0) {
        state.SkipWithError("the sheet did not compile");
        return;
    }
    if (!schema->current) schema->current = schema->sheet;
    NetContext* context = new_NetContext();
    for (auto _ : state) benchmark::DoNotOptimize(build_sheet_nets(context, schema));
    state.counters["nets"] = context->islands ? static_cast<double>(context->islands->count) : 0;
    free_NetContext(schema, context);
    close_schema(nullptr, &schema);
    drop_libraries();
}
BENCHMARK(BM_GrowthNetBuild)->Apply(sizes);

// A job on the sheet of the ladder, as the Tools menu runs it.
void job_runs(benchmark::State& state, int (*job)(const std::string& root)) {
    std::string root = projects.root(static_cast<int>(state.range(0)));
    if (root.empty()) {
        state.SkipWithError("the sheet did not compile");
        return;
    }
    Projects::settings(std::filesystem::path(root).parent_path().string());
    for (auto _ : state) {
        if (int result = job(root))
            state.SkipWithError(("the job failed with " + std::to_string(result)).c_str());
        drop_libraries();
        heap_give_back();  // as the program does after each job
    }
}

int erc_job(const std::string& root) {
    return erc_report((root + ".sch").c_str(), (root + ".erc").c_str(), quiet);
}

int netlist_job(const std::string& root) {
    const std::string linked = root + "_linked";
    if (int result = netlist_compile((root + ".sch").c_str(), quiet)) return result;
    if (int result = netlist_link(root.c_str(), linked.c_str(), quiet)) return result;
    return netlist_format(linked.c_str(), (root + ".cir").c_str(), "SPICE", 2, quiet);
}

void BM_GrowthErc(benchmark::State& state) { job_runs(state, erc_job); }
BENCHMARK(BM_GrowthErc)->Apply(sizes);

void BM_GrowthNetlist(benchmark::State& state) { job_runs(state, netlist_job); }
BENCHMARK(BM_GrowthNetlist)->Apply(sizes);

}  // namespace
