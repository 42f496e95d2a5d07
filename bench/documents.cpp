// bench-deps: model
// Saving, opening, decompiling and compiling a generated sheet of 10,000
// placed parts, 50,000 wires and 5,000 net labels (argument 2), and the same
// sheet at half that size (argument 1). Open and save must grow linearly with
// the file (the full runs take about twice as long as the half runs) and
// stay under a second each; the compile of the source must stay under three
// seconds.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "foundation/core.h"
#include "foundation/list.h"
#include "foundation/services.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/schema_file.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/primitives.h"
#include "model/items/text.h"
#include "model/items/vectors.h"

namespace {

constexpr int PART_KINDS = 20;

void add_library_part(Library* library, int k) {
    Part* part = new_Part();
    set_Part_devices(part, 4);
    part->prefix.set("U");
    part->body = {0, 0, 4000, 6000};
    part->normal = new_Vectors();
    ref_Vectors(part->normal);
    Boite* body = new_Rect();
    body->flags = DRAW;
    body->corner = {4000, 6000};
    dlist_append(part->normal->items, body);
    part->normal_pins = new_PinList();
    for (int p = 0; p < 8; ++p) {
        Pin* pin = new_Pin(4);
        pin->name.set(("P" + std::to_string(p)).c_str());
        pin->type = PIN_IN;
        pin->flags = p < 4 ? LEFT : RIGHT;
        pin->pos = {p < 4 ? 0 : 4000, 1000 + (p % 4) * 1000};
        for (int d = 0; d < 4; ++d) set_pin_number(pin, d, std::to_string(d * 8 + p + 1).c_str());
        dlist_append(part->normal_pins->pins, pin);
    }
    LibEntry* entry = new_LibEntry();
    entry->name.set(("PART" + std::to_string(k)).c_str());
    entry->part = part;
    ref_Part(part);
    free_LibEntry(lib_insert_entry(library, entry));
}

// The sheet at scale n: 5,000 n parts, 25,000 n wires, 2,500 n labels.
Schema* generate(int n) {
    Schema* schema = nullptr;
    new_active_schema(&schema);
    for (int k = 0; k < PART_KINDS; ++k) add_library_part(schema->library, k);
    List* items = schema->sheet->items;
    for (int i = 0; i < 5000 * n; ++i) {
        PlacedPart* placed = new_PlacedPart();
        placed->part_name.set(("PART" + std::to_string(i % PART_KINDS)).c_str());
        int x = (i % 100) * 10000, y = (i / 100) * 10000;
        placed->pos = {x, y};
        placed->device = i % 4;
        placed->time_stamp = 0x10000000u + static_cast<uint32_t>(i);
        placed->reference.text.set(("U" + std::to_string(i / 4 + 1)).c_str());
        placed->reference.pos = {x, y - 500};
        placed->value.text.set("74HC00");
        placed->value.pos = {x, y + 6500};
        dlist_append(items, placed);
    }
    for (int i = 0; i < 25000 * n; ++i) {
        Line* wire = new_Line();
        int x = (i % 500) * 2000, y = (i / 500) * 2000 + 1000;
        wire->pos = {x, y};
        wire->end = {x + 1500, y};
        dlist_append(items, wire);
    }
    for (int i = 0; i < 2500 * n; ++i) {
        Text* label = new_Text();
        label->string = "NET" + std::to_string(i);
        label->pos = {(i % 100) * 10000 + 200, (i / 100) * 10000 + 900};
        label->flags = LABEL;
        set_TextSize(&label->size, 600);
        dlist_append(items, label);
    }
    return schema;
}

struct Files {
    std::filesystem::path dir;
    Files() : dir(std::filesystem::temp_directory_path() / "tn_bench_documents") {
        std::filesystem::create_directories(dir);
    }
    ~Files() { std::filesystem::remove_all(dir); }
    std::string sheet(int n) const { return (dir / ("big" + std::to_string(n) + ".sch")).string(); }
    std::string source(int n) const { return (dir / ("big" + std::to_string(n) + ".asc")).string(); }
};

const Files& files() {
    static Files f;
    static bool made[3] = {};
    for (int n = 1; n <= 2; ++n) {
        if (made[n]) continue;
        made[n] = true;
        Schema* schema = generate(n);
        save_schema_file(schema, f.sheet(n).c_str(), false);
        FILE* out = std::fopen(f.source(n).c_str(), "w");
        awrite_Schema(schema, out, 0);
        std::fclose(out);
        close_schema(nullptr, &schema);
    }
    return f;
}

void quiet(const char*, ...) {}

void BM_SaveSheet(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    Schema* schema = generate(n);
    std::string out = (files().dir / "saved.sch").string();
    for (auto _ : state) benchmark::DoNotOptimize(save_schema_file(schema, out.c_str(), false));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(out));
    close_schema(nullptr, &schema);
}

void BM_OpenSheet(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::string in = files().sheet(n);
    Schema* schema = nullptr;
    for (auto _ : state) {
        if (load_schema_file(&schema, in.c_str()) != 0) state.SkipWithError("load failed");
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(in));
    close_schema(nullptr, &schema);
}

void BM_DecompileSheet(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    Schema* schema = generate(n);
    std::string out = (files().dir / "decompiled.asc").string();
    for (auto _ : state) {
        FILE* stream = std::fopen(out.c_str(), "w");
        awrite_Schema(schema, stream, 0);
        std::fclose(stream);
    }
    close_schema(nullptr, &schema);
}

void BM_CompileSheet(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::string in = files().source(n);
    for (auto _ : state) {
        Schema* schema = nullptr;
        if (compile_schema_path(in.c_str(), COMPIL_SCHEMATIC, quiet, nullptr, &schema) != 0)
            state.SkipWithError("compile failed");
        close_schema(nullptr, &schema);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(in));
}

}  // namespace

BENCHMARK(BM_SaveSheet)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSheet)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecompileSheet)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompileSheet)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
