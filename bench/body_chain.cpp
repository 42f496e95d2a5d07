// bench-deps: model
// Resolving a library whose parts' bodies refer to each other in one chain
// (part i draws the body of part i + 1; the last part holds the items):
// 10,000 and 100,000 parts. Resolution must be linear (n log n with the
// name look-ups): ten times the parts take about ten times as long.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/vectors.h"

namespace {

Library* chain_library(int count) {
    Library* library = new_Library();
    set_Library_name(library, "CHAIN");
    char name[32];
    for (int i = 0; i < count; ++i) {
        Part* part = new_Part();
        part->prefix.set("U");
        part->normal = new_Vectors();
        ref_Vectors(part->normal);
        if (i + 1 < count) {
            std::snprintf(name, sizeof name, "P%06d", i + 1);
            part->normal->saved_mode = NORMALOF_VEC;
            part->normal->name.set(name);
        } else {
            Line* line = as_Line(new_Item(LINE_ITEM));
            line->end = {1000, 0};
            dlist_append(part->normal->items, line);
        }
        LibEntry* entry = new_LibEntry();
        std::snprintf(name, sizeof name, "P%06d", i);
        entry->name.set(name);
        entry->part = part;
        free_LibEntry(lib_insert_entry(library, entry));
    }
    return library;
}

void BM_ResolveBodyChain(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Library* library = chain_library(count);
        state.ResumeTiming();
        if (resolve_LibVectors(library, false) != 0) state.SkipWithError("chain not resolved");
        state.PauseTiming();
        free_Library(library);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_ResolveBodyChain)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
