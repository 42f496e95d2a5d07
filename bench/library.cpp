// bench-deps: model
// Loading, saving and searching a generated library of 25,000 and 50,000
// parts whose names come in name order (the worst case of an unbalanced
// entry tree): every operation must grow as n log n, so the 50,000 runs
// take about twice as long as the 25,000 runs, not four times.
//
// Every tenth part shares the normal body of the part before it (written as
// a reference), every fifth has an alias, and the library has prefixes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/libutil.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"

namespace {

Item* line(Point a, Point b) {
    Line* item = as_Line(new_Item(LINE_ITEM));
    item->pos = a;
    item->end = b;
    return item;
}

Part* make_part(int i, Vectors* shared) {
    Part* part = new_Part();
    part->prefix.set("U");
    part->body = {0, 0, 4000, 3000};
    if (shared) {
        part->normal = shared;
    } else {
        part->normal = new_Vectors();
        for (int k = 0; k < 4; ++k)
            dlist_append(part->normal->items, line({k * 100, i % 1000}, {k * 100 + 900, 3000}));
    }
    ref_Vectors(part->normal);
    part->normal_pins = new_PinList();
    for (int k = 0; k < 4; ++k) {
        Pin* pin = new_Pin(1);
        pin->name.set(("P" + std::to_string(k)).c_str());
        pin->pos = {0, k * 1000};
        set_pin_number(pin, 0, std::to_string(k + 1).c_str());
        dlist_append(part->normal_pins->pins, pin);
    }
    return part;
}

void add(Library* library, const std::string& name, Part* part) {
    LibEntry* entry = new_LibEntry();
    entry->name.set(name.c_str());
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(library, entry));
}

Library* generate(int count) {
    Library* library = new_Library();
    set_Library_name(library, "BENCH");
    for (const char* text : {"U", "R", "C"}) {
        Prefix* prefix = new_Prefix();
        prefix->prefix.set(text);
        dlist_append(library->prefixes, prefix);
    }
    Part* previous = nullptr;
    char name[32];
    for (int i = 0; i < count; ++i) {
        Part* part = make_part(i, i % 10 == 9 ? previous->normal : nullptr);
        std::snprintf(name, sizeof name, "P%06d", i);
        add(library, name, part);
        if (i % 5 == 0) add(library, std::string(name) + "A", part);
        previous = part;
    }
    return library;
}

// The library file of each size, written once.
const std::string& library_file(int count) {
    static std::map<int, std::string> files;
    auto at = files.find(count);
    if (at != files.end()) return at->second;
    std::string path = (std::filesystem::temp_directory_path() /
                        ("tn-bench-library-" + std::to_string(count) + ".clb"))
                           .string();
    Library* library = generate(count);
    save_Library(path.c_str(), library);
    free_Library(library);
    return files[count] = path;
}

Library* load(int count, bool index_only) {
    Library* library = new_Library();
    if (load_Library(library, library_file(count).c_str(), index_only) != 0) std::abort();
    return library;
}

void BM_WriteLibrary(benchmark::State& state) {
    Library* library = load(static_cast<int>(state.range(0)), false);
    for (auto _ : state) {
        FILE* out = std::tmpfile();
        write_Library(library, out, 0);
        std::fclose(out);
    }
    free_Library(library);
    state.SetComplexityN(state.range(0));
}

void BM_LoadLibrary(benchmark::State& state) {
    for (auto _ : state) free_Library(load(static_cast<int>(state.range(0)), false));
    state.SetComplexityN(state.range(0));
}

void BM_LoadLibraryIndexOnly(benchmark::State& state) {
    for (auto _ : state) free_Library(load(static_cast<int>(state.range(0)), true));
    state.SetComplexityN(state.range(0));
}

// Saving an index-only library reads every part on the way.
void BM_SaveIndexOnlyLibrary(benchmark::State& state) {
    std::string copy = library_file(static_cast<int>(state.range(0))) + ".copy.clb";
    for (auto _ : state) {
        Library* library = load(static_cast<int>(state.range(0)), true);
        if (save_Library(copy.c_str(), library) != 0) std::abort();
        free_Library(library);
    }
    std::filesystem::remove(copy);
    state.SetComplexityN(state.range(0));
}

void BM_NameSearch(benchmark::State& state) {
    Library* library = load(static_cast<int>(state.range(0)), true);
    std::vector<LibPartRow> rows;
    for (auto _ : state) {
        find_LibParts_matching(library, &rows, "p012345");
        benchmark::DoNotOptimize(rows.data());
    }
    free_Library(library);
}

void BM_WildcardSearch(benchmark::State& state) {
    Library* library = load(static_cast<int>(state.range(0)), true);
    std::vector<LibPartRow> rows;
    for (auto _ : state) {
        find_LibParts_matching(library, &rows, "P01*5");
        benchmark::DoNotOptimize(rows.data());
    }
    free_Library(library);
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_WriteLibrary)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadLibrary)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadLibraryIndexOnly)
    ->Arg(25000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_SaveIndexOnlyLibrary)
    ->Arg(25000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_NameSearch)->Arg(25000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WildcardSearch)->Arg(25000)->Arg(50000)->Unit(benchmark::kMillisecond)->Complexity();
