// bench-deps: items
// Laying out the stroke texts of a large sheet: 100,000 texts (references,
// values, pin names, labels) in every rotation, each laid out in world
// units as a redraw or a load does.
#include <benchmark/benchmark.h>

#include <vector>

#include "foundation/properties.h"
#include "model/items/text.h"

namespace {

constexpr int TEXTS = 100000;

std::vector<Text*> make_texts() {
    static const char* const strings[] = {"R12", "10k", "VCC_SUPPLY", "A\\0", "74HC00@U3", "CLK\\"};
    std::vector<Text*> texts;
    for (int i = 0; i < TEXTS; ++i) {
        Text* t = new_Text();
        t->string = strings[i % 6];
        t->pos = {i * 10, i * 7};
        t->flags = static_cast<uint8_t>(i % 8) | ((i % 5 == 0) ? BOXED : 0);
        texts.push_back(t);
    }
    return texts;
}

void BM_LayoutTexts(benchmark::State& state) {
    config_set_defaults();
    std::vector<Text*> texts = make_texts();
    for (auto _ : state) {
        for (Text* t : texts) layout_Text(t);
        benchmark::DoNotOptimize(texts.back()->layout);
    }
    state.SetItemsProcessed(state.iterations() * TEXTS);
    for (Text* t : texts) free_Text(t, false);
}
BENCHMARK(BM_LayoutTexts)->Unit(benchmark::kMillisecond);

}  // namespace
