// bench-deps: items
// Binary writing and reading of a million mixed graphic primitives through
// the Item dispatchers. Loading a large library or sheet must read well
// above 50 MB/s, in time linear in the file's size (compare the 1M and 2M
// runs).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "foundation/list.h"
#include "model/items/item.h"
#include "model/items/text.h"

namespace {

Item* make_item(int i) {
    int32_t x = i * 10, y = -i * 7;
    switch (i % 8) {
        case 0: {
            Line* line = as_Line(new_Item(LINE_ITEM));
            line->pos = {x, y};
            line->end = {x + 500, y};
            return line;
        }
        case 1: {
            Arc* arc = as_Arc(new_Item(ARC_ITEM));
            arc->pos = {x, y};
            arc->start = {x + 100, y};
            arc->end = {x, y + 100};
            arc->dir = 1;
            return arc;
        }
        case 2: {
            Circle* circle = as_Circle(new_Item(CIRCLE_ITEM));
            circle->pos = {x, y};
            circle->on = {x + 200, y};
            return circle;
        }
        case 3: {
            Boite* box = as_Rect(new_Item(BOITE_ITEM));
            box->pos = {x, y};
            box->corner = {x + 300, y + 400};
            return box;
        }
        case 4: {
            Junction* junction = as_Junction(new_Item(JUNCTION_ITEM));
            junction->pos = {x, y};
            return junction;
        }
        case 5: {
            Poly* poly = as_Poly(new_Item(POLY_ITEM));
            poly->points = {{x, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}};
            return poly;
        }
        case 6: {
            Fill* fill = as_Fill(new_Item(FILL_ITEM));
            fill->pos = {x, y};
            dlist_append(fill->items, make_item(0));
            dlist_append(fill->items, make_item(8));
            return fill;
        }
        default: {
            Text* text = as_Text(new_Item(TEXT_ITEM));
            text->pos = {x, y};
            text->string = "R12";
            return text;
        }
    }
}

// A temporary file with `count` records written through write_Item.
FILE* make_file(int count, int64_t* bytes) {
    FILE* f = std::tmpfile();
    for (int i = 0; i < count; ++i) {
        Item* item = make_item(i);
        write_Item(item, f, 0);
        free_Item(item);
    }
    std::fflush(f);
    *bytes = std::ftell(f);
    return f;
}

void BM_WriteItems(benchmark::State& state) {
    int count = static_cast<int>(state.range(0));
    std::vector<Item*> items;
    for (int i = 0; i < count; ++i) items.push_back(make_item(i));
    int64_t bytes = 0;
    for (auto _ : state) {
        FILE* f = std::tmpfile();
        for (Item* item : items) write_Item(item, f, 0);
        std::fflush(f);
        bytes += std::ftell(f);
        std::fclose(f);
    }
    state.SetBytesProcessed(bytes);
    for (Item* item : items) free_Item(item);
}

void BM_ReadItems(benchmark::State& state) {
    int64_t size = 0;
    FILE* f = make_file(static_cast<int>(state.range(0)), &size);
    int64_t bytes = 0;
    for (auto _ : state) {
        std::rewind(f);
        int failures = 0;
        for (int c; (c = getc_unlocked(f)) != EOF;) {
            ungetc(c, f);
            Item* item = new_Item(c - ITEM_TAG_BASE);
            if (read_Item(item, f) != 0) ++failures;
            free_Item(item);
        }
        if (failures) state.SkipWithError("a record did not read");
        bytes += size;
    }
    state.SetBytesProcessed(bytes);
    std::fclose(f);
}

}  // namespace

BENCHMARK(BM_WriteItems)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadItems)->Arg(1000000)->Arg(2000000)->Unit(benchmark::kMillisecond);
