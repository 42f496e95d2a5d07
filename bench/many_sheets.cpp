// bench-deps: connectivity
// Jobs over a project of many small sheets in one folder, in two shapes: a
// root whose boxes name n - 1 sub-sheets of one resistor each (wide), and a
// chain n levels deep, each sheet of one resistor and a box naming the next
// (deep). compile (sources to sheets), net compile, annotation and link
// must grow linearly with the number of sheets: 10,000 sheets within ten
// times 1,000 (no file written may cost a look through the whole folder,
// no level a look through the levels above it). Each job runs over files an
// earlier run left (the usual case) and, for the compile, into an empty
// folder. The sheet saves are flushed to disk: the disk's flush time is
// part of the figures.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "connectivity/annotate.h"
#include "connectivity/net_jobs.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/items/library.h"

namespace {

namespace fs = std::filesystem;

void silent(const char*, ...) {}

const char* const LIBRARY = R"(  (LIB '$ACTIVE$'
    (PFXS
    )
    (PARTS
      (LPART
        (PART
          (COMMON
            (TYPE STANDARD 1)
            (SIZE 1000 3000 )
            (REFERENCE 'R' )
          )
          (NORMAL
            (PINS
              (PIN '1' PAS TOP (POS 500 0 ) '1' )
              (PIN '2' PAS BOTTOM (POS 500 3000 ) '2' )
            )
          )
        )
        (ALIAS
          (NAME 'RES'
          )
        )
      )
    )
  )
)";

std::string resistor(int x) {
    return "    (PARTLIB 'RES' 0x" + std::to_string(1000 + x) +
           " 1.000000 POWEROFF \n      NO_ROT NORMAL_PART DEVICE 0 (POS " + std::to_string(x) +
           " 0 ) \n      (ATTRIBUTE 'R?' VIS (POS 0 0 )  )\n      (ATTRIBUTE '1k' VIS (POS 0 0 )  "
           ")\n    )\n";
}

std::string box(int i) {
    return "    (SUBSHEET 0x" + std::to_string(100000 + i) + " (POS " +
           std::to_string((i % 100) * 10000) + " " + std::to_string((i / 100) * 10000) +
           " ) (SIZE 8000 6000 ) 'S' 's" + std::to_string(i) +
           ".sch' \n      (PORTS\n      )\n    )\n";
}

void write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

enum Shape { WIDE, DEEP };

// The project's sources, written once per size.
struct Project {
    fs::path dir;
    int n;
    Project(int sheets, Shape shape)
        : dir(fs::temp_directory_path() / ("tn_bench_sheets" + std::to_string(sheets))), n(sheets) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        config_set_defaults();
        init_Libraries();
        proper_set(DIR_PROJECT, dir.string().c_str(), DIR_LIBRARY, dir.string().c_str(), 0);
        proper_set(ANNO_VERBOSE, 0, NETFMT_VERBOSE, 0, COMPSHEET_VERBOSE, 0, ANNO_UNCOND, 1, 0);
        auto source = [](const std::string& items) {
            return "(SCHEMATIC\n  (SHEET\n" + items + "  )\n" + LIBRARY + ")\n";
        };
        if (shape == WIDE) {
            std::string root = resistor(0);
            for (int i = 1; i < n; ++i) root += box(i);
            write(dir / "root.asc", source(root));
            for (int i = 1; i < n; ++i)
                write(dir / ("s" + std::to_string(i) + ".asc"), source(resistor(0)));
        } else {
            for (int i = 0; i < n; ++i)
                write(dir / (i == 0 ? "root.asc" : "s" + std::to_string(i) + ".asc"),
                      source(resistor(i) + (i + 1 < n ? box(i + 1) : "")));
        }
    }
    ~Project() { fs::remove_all(dir); }
    std::string root(const char* suffix) const {
        return (dir / ("root" + std::string(suffix))).string();
    }
    // Removes what the jobs wrote, keeping the sources.
    void clear_outputs() const {
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() != ".asc") fs::remove(entry.path());
    }
    int compile() const {
        return compile_sheets(root(".asc").c_str(), "", nullptr, nullptr, silent);
    }
};

Project project_of(const benchmark::State& state) {
    return Project(static_cast<int>(state.range(0)), state.range(1) == 0 ? WIDE : DEEP);
}

void BM_compile_into_empty_folder(benchmark::State& state) {
    Project project = project_of(state);
    for (auto _ : state) {
        state.PauseTiming();
        project.clear_outputs();
        state.ResumeTiming();
        if (project.compile() != 0) state.SkipWithError("compile failed");
    }
}

void BM_compile(benchmark::State& state) {
    Project project = project_of(state);
    project.compile();
    for (auto _ : state)
        if (project.compile() != 0) state.SkipWithError("compile failed");
}

void BM_net_compile(benchmark::State& state) {
    Project project = project_of(state);
    project.compile();
    netlist_compile(project.root(".sch").c_str(), silent);
    for (auto _ : state)
        if (netlist_compile(project.root(".sch").c_str(), silent) != 0)
            state.SkipWithError("net compile failed");
}

// Questions a run asks (each box a user would have to answer), counted
// through the services: each answered as a user who agrees.
int questions = 0;

void count_questions() {
    Services counted;
    counted.message_box = [](const char*, const char*, int style) {
        ++questions;
        return style & MB_YES_NO ? ANSWER_YES : ANSWER_OK;
    };
    counted.confirm_overwrite = [](const std::string& name, std::string* confirmed) {
        *confirmed = name;
        if (fs::exists(name)) ++questions;
        return true;
    };
    install_services(counted);
}

// The counter `questions`: how many the run asks before it saves (the
// sheets are saved as one set: one question for the set).
void BM_annotate(benchmark::State& state) {
    Project project = project_of(state);
    project.compile();
    List* list = list_project_sheets(project.root(".sch").c_str(), false, nullptr);
    annotate(silent, list, false);
    count_questions();
    questions = 0;
    for (auto _ : state)
        if (annotate(silent, list, false) != 0) state.SkipWithError("annotation failed");
    state.counters["questions"] = double(questions) / double(state.iterations());
    reset_services();
    free_name_list(list);
}

void BM_link(benchmark::State& state) {
    Project project = project_of(state);
    project.compile();
    netlist_compile(project.root(".sch").c_str(), silent);
    const std::string linked = (project.dir / "linked").string();
    for (auto _ : state)
        if (netlist_link(project.root("").c_str(), linked.c_str(), silent) != 0)
            state.SkipWithError("link failed");
}

// Sheets 1,000 and 10,000, wide (0) and deep (1).
void shapes(benchmark::internal::Benchmark* b) {
    b->ArgsProduct({{1000, 10000}, {WIDE, DEEP}})
        ->ArgNames({"sheets", "deep"})
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
}

}  // namespace

BENCHMARK(BM_compile_into_empty_folder)->Apply(shapes);
BENCHMARK(BM_compile)->Apply(shapes);
BENCHMARK(BM_net_compile)->Apply(shapes);
BENCHMARK(BM_annotate)->Apply(shapes);
BENCHMARK(BM_link)->Apply(shapes);
