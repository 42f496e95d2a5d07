// bench-deps: connectivity
// Annotation, the annotation check, the bill of materials and
// back-annotation of the ladder design: a sheet of n resistors (series
// "1k", shunt "2k") not yet annotated, at 10,000 and 100,000 parts. Every run must grow linearly or
// as n log n: the 100,000 run takes about ten times the 10,000 run, never a
// hundred times (no pass compares every part with every other).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "connectivity/annotate.h"
#include "connectivity/backannotate.h"
#include "connectivity/bom.h"
#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/items/library.h"
#include "model/items/part.h"

namespace {

void silent(const char*, ...) {}

Schema* ladder(int n, bool annotated = false) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    Part* part = new_Part();
    part->prefix.set("R");
    LibEntry* entry = new_LibEntry();
    entry->name.set("RES");
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(schema->library, entry));
    for (int i = 0; i < n; ++i) {
        PlacedPart* placed = new_PlacedPart();
        placed->part_name.set("RES");
        placed->pos = {(i / 2) * 5000, (i % 2) * 5000};
        placed->time_stamp = 0x10000000u + static_cast<uint32_t>(i);
        placed->reference.text.set(annotated ? ("R" + std::to_string(i + 1)).c_str() : "R?");
        placed->value.text.set(i % 2 ? "2k" : "1k");
        dlist_append(schema->sheet->items, placed);
    }
    return schema;
}

struct Project {
    std::filesystem::path dir;
    explicit Project(int n)
        : dir(std::filesystem::temp_directory_path() / ("tn_bench_anno" + std::to_string(n))) {
        std::filesystem::create_directories(dir);
        config_set_defaults();
        proper_set(BAK_FILE, 0, ANNO_VERBOSE, 0, BOM_VERBOSE, 0, 0);
        Schema* schema = ladder(n);
        save_schema_file(schema, root().c_str(), false);
        close_schema(nullptr, &schema);
    }
    ~Project() { std::filesystem::remove_all(dir); }
    std::string root() const { return (dir / "ladder.sch").string(); }
    std::string report() const { return (dir / "ladder.bom").string(); }
};

void BM_annotate(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)));
    List* list = list_project_sheets(project.root().c_str(), true, nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(annotate(silent, list, false));
    free_name_list(list);
}

void BM_check_annotation(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)));
    List* list = list_project_sheets(project.root().c_str(), true, nullptr);
    annotate(silent, list, false);
    for (auto _ : state) benchmark::DoNotOptimize(check_annotation(list, silent));
    free_name_list(list);
}

void BM_bill_of_materials(benchmark::State& state) {
    Project project(static_cast<int>(state.range(0)));
    List* list = list_project_sheets(project.root().c_str(), true, nullptr);
    annotate(silent, list, false);
    free_name_list(list);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bill_of_materials(project.root().c_str(), project.report().c_str(), silent));
}

// A change file renaming every part of an annotated sheet, applied to the
// sheet in memory: the renames alone, without loading or saving.
void BM_backannotate_renames(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::string changes;
    // From the end of the sheet backwards: no rename finds its part first.
    for (int i = n; i >= 1; --i)
        changes += "'R" + std::to_string(i) + "' 'R" + std::to_string(n + i) + "'\n";
    config_set_defaults();
    JobLog log(silent, BACK_VERBOSE);
    for (auto _ : state) {
        state.PauseTiming();
        Schema* schema = ladder(n, true);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ba_parse_text(changes, schema, log));
        state.PauseTiming();
        close_schema(nullptr, &schema);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_annotate)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_check_annotation)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_bill_of_materials)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_backannotate_renames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
