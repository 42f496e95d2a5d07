// bench-deps: foundation
// Reading speed of the field coders over a buffered file stream: loading a
// large library or schema must read well above 50 MB/s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/binary_stream.h"

namespace {

constexpr int FIELDS = 1 << 20;

// A temporary file of FIELDS records: a long, a short, a byte and a name.
FILE* make_file() {
    FILE* f = std::tmpfile();
    for (int i = 0; i < FIELDS; ++i) {
        write_long(i, f);
        write_short(i, f);
        write_byte(i, f);
        write_string(i % 2 ? "U12" : "VCC_SUPPLY", f);
    }
    std::fflush(f);
    return f;
}

void BM_ReadFields(benchmark::State& state) {
    FILE* f = make_file();
    int64_t bytes = 0;
    for (auto _ : state) {
        std::rewind(f);
        for (int i = 0; i < FIELDS; ++i) {
            int32_t l;
            int16_t s;
            uint8_t b;
            char name[STRING_BUFFER_SIZE];
            int result = read_long(&l, f);
            result |= read_short(&s, f);
            result |= read_byte(&b, f);
            result |= read_string(name, sizeof name, f);
            benchmark::DoNotOptimize(result);
        }
        bytes += std::ftell(f);
    }
    state.SetBytesProcessed(bytes);
    std::fclose(f);
}
BENCHMARK(BM_ReadFields)->Unit(benchmark::kMillisecond);

}  // namespace
