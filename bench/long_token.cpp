// bench-deps: model
// Compiling a library source that holds one string of 1 MB and of 10 MB,
// read from a file: the scanner must take linear time in the token's
// length, so the 10 MB run takes about ten times as long as the 1 MB run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "model/documents/compil.h"
#include "model/documents/compil_builder.h"

namespace {

std::string source_file(size_t length) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("tn-bench-long-token-" + std::to_string(length) + ".asc"))
                           .string();
    std::string text = "(LIB\n'" + std::string(length, 's') + "'\n)\n";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return {};
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return path;
}

void quiet(const char*, ...) {}

void BM_CompileLongString(benchmark::State& state) {
    std::string path = source_file(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        CompilBuilder syntax_only;
        if (compil_path(path.c_str(), COMPIL_LIBRARY, syntax_only, quiet) != 0)
            state.SkipWithError("compile failed");
    }
    std::filesystem::remove(path);
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_CompileLongString)
    ->Arg(1 << 20)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
