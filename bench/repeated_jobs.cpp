// bench-deps: connectivity ladder_road
// The Tools menu's jobs run again and again in one session: the flat
// ladder of the road (road/ladder_road.h, labelled drawing) of 100,000
// resistors (TN_LADDER sets another size) opened as a sheet window opens
// it (the document loaded and its bounds index made), then one job run
// ten times on its file through the entry points the Tools menu calls,
// each run followed by what the program does after every job
// (heap_give_back). Iteration i is run i + 1; the counters:
//   first_ms, last_ms     the first and the tenth run;
//   last_over_first       their ratio (the target: at most 1.10);
//   rss_before_mib        the process's resident memory before the first
//                         run, the document open;
//   rss_after_mib         the most it held after any run;
//   rss_ratio             after over before (the target: at most 1.2).
// TN_RUNS=1 prints each run's time and memory.
// Each family must run in a process of its own (the memory figures are the
// process's), e.g.
//   build/bench/bench_repeated_jobs --benchmark_filter=Erc
// bench/README.md holds the figures.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "connectivity/annotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "foundation/heap.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_index.h"
#include "model/items/library.h"
#include "road/ladder_road.h"

namespace {

// As the program's start-up sets malloc.
const bool heap_tuned = (tune_process_heap(), true);

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void quiet(const char*, ...) {}

int ladder_size() {
    const char* n = std::getenv("TN_LADDER");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 100000;
}

// The ladder compiled into a folder of its own and opened as a window
// opens a sheet; removed at exit.
struct Session {
    std::string dir, root, sheet;
    Schema* document = nullptr;
    Session() {
        std::string pattern = (fs::temp_directory_path() / "tn-jobs-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        dir = pattern;
        config_set_defaults();
        proper_set(DIR_PROJECT, dir.c_str(), DIR_LIBRARY, dir.c_str(), COMPSHEET_VERBOSE, 0,
                   NETFMT_VERBOSE, 0, NETERC_VERBOSE, 0, NETERC_HIER, 1, BOM_VERBOSE, 0, BOM_HIER,
                   1, ANNO_VERBOSE, 0, BAK_FILE, 0, 0);
        init_Libraries();
        root = ladder_road::write_project(dir, ladder_size(), false);
        if (compile_sheets((root + ".asc").c_str(), nullptr, nullptr, nullptr, quiet) != 0) return;
        fs::remove(root + ".asc");
        sheet = root + ".sch";
        heap_give_back();
        if (load_schema_file(&document, sheet.c_str()) != 0) return;
        if (!document->current) document->current = document->sheet;
        sheet_index(document);
    }
    ~Session() {
        if (document) close_schema(nullptr, &document);
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
    bool ready() const { return document != nullptr; }
};

Session& session() {
    static Session one;
    return one;
}

// The Tools menu's Netlist Output on a flat sheet: the sheet's net file,
// the link, the SPICE netlist.
int netlist_job(const Session& s) {
    const std::string linked = s.root + "_linked";
    if (int result = netlist_compile(s.sheet.c_str(), quiet)) return result;
    if (int result = netlist_link(s.root.c_str(), linked.c_str(), quiet)) return result;
    return netlist_format(linked.c_str(), (s.root + ".cir").c_str(), "SPICE", 2, quiet);
}

void repeated(benchmark::State& state, const std::function<int(const Session&)>& job) {
    Session& s = session();
    if (!s.ready()) {
        state.SkipWithError("the ladder did not open");
        return;
    }
    const double before = ladder_road::resident_mib();
    double first = 0, last = 0, after = 0;
    int run = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        int result = job(s);
        heap_give_back();
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (result != 0)
            state.SkipWithError(("the job failed with " + std::to_string(result)).c_str());
        state.SetIterationTime(seconds);
        if (run++ == 0) first = seconds;
        last = seconds;
        after = std::max(after, ladder_road::resident_mib());
        if (std::getenv("TN_RUNS"))
            std::fprintf(stderr, "run %d: %.0f ms, %.1f MiB after\n", run, seconds * 1000,
                         ladder_road::resident_mib());
    }
    state.counters["first_ms"] = first * 1000;
    state.counters["last_ms"] = last * 1000;
    state.counters["last_over_first"] = first > 0 ? last / first : 0;
    state.counters["rss_before_mib"] = before;
    state.counters["rss_after_mib"] = after;
    state.counters["rss_ratio"] = before > 0 ? after / before : 0;
}

void BM_RepeatedErc(benchmark::State& state) {
    repeated(state, [](const Session& s) {
        return erc_report(s.sheet.c_str(), (s.root + ".erc").c_str(), quiet);
    });
}

void BM_RepeatedNetlist(benchmark::State& state) { repeated(state, netlist_job); }

void BM_RepeatedBom(benchmark::State& state) {
    repeated(state, [](const Session& s) {
        return bill_of_materials(s.sheet.c_str(), (s.root + ".bom").c_str(), quiet);
    });
}

void BM_RepeatedAnnotate(benchmark::State& state) {
    repeated(state, [](const Session& s) {
        List* sheets = list_project_sheets(s.sheet.c_str(), true, nullptr, nullptr);
        if (!sheets) return 85;
        int result = annotate(quiet, sheets, false);
        free_name_list(sheets);
        return result;
    });
}

}  // namespace

BENCHMARK(BM_RepeatedErc)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedNetlist)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedBom)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepeatedAnnotate)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
