// bench-deps: model
// Compiling a schematic source of 10,000 and 40,000 sub-sheet boxes, each
// naming its own file, with the list of sheets to compile kept: each box
// is checked against the sheets met before it, which must not grow into a
// scan of them all (linear, or n log n: four times the boxes, about four
// times the time).
#include <benchmark/benchmark.h>

#include <string>

#include "model/documents/compil_actions.h"
#include "model/documents/schema.h"

namespace {

std::string source_of(int boxes) {
    std::string text = "(SCHEMATIC\n  (SHEET\n";
    for (int i = 0; i < boxes; ++i)
        text += "    (SUBSHEET 0x" + std::to_string(i + 1) + " (POS " + std::to_string(i * 100) +
                " 0 ) (SIZE 6000 8000 ) 'S" + std::to_string(i) + "' 'sheet" + std::to_string(i) +
                ".sch' \n      (PORTS\n      )\n    )\n";
    text += "  )\n)\n";
    return text;
}

void quiet(const char*, ...) {}

void BM_CompileSubSheetBoxes(benchmark::State& state) {
    std::string source = source_of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SheetList sheets;
        Schema* schema = nullptr;
        if (compile_schema_string(source, 1, quiet, &sheets, &schema) != 0)
            state.SkipWithError("compile failed");
        free_Schema(schema, false);
        if (sheets.size() != static_cast<size_t>(state.range(0)))
            state.SkipWithError("sheets not listed");
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_CompileSubSheetBoxes)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
