// bench-deps: editor ladder_road
// The sheet editor's whole-sheet edits without a window: the flat ladder of
// n series resistors loaded into an editing session, every item selected
// as a frame around the sheet would, copied to the paste file, pasted and
// placed beside the sheet by a click, and the paste undone. Each step is a
// counter (milliseconds); the iteration's time is their sum. Every step
// must grow linearly with the sheet: the 100,000 run within about ten
// times the 10,000 run (the memory a large sheet fills costs some more).
// The windows' share (ghosts and paints) is measured by bench_sheet_editing.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include "editor/selection.h"
#include "editor/sheet_modes.h"
#include "editor/tool_mode.h"
#include "foundation/errors.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "road/ladder_road.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void quiet(const char*, ...) {}

// The compiled ladders, one folder each, removed at exit.
struct Ladders {
    std::string dir;
    std::map<int, std::string> sheets;
    Ladders() {
        dir = (fs::temp_directory_path() / ("tn_bench_edits_" + std::to_string(getpid()))).string();
        fs::create_directories(dir);
        config_init();
        init_Libraries();
        set_message_formatter(error_message);
        config_write_flag = 0;
        proper_set(DIR_LIBRARY, dir.c_str(), 0);
        proper_set(COMPSHEET_VERBOSE, 0, 0);
        proper_set(COMPSHEET_HIER, 1, 0);
        // The paste file lives in the working directory.
        fs::current_path(dir);
    }
    ~Ladders() {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(dir, ec);
    }
    const std::string& sheet(int n) {
        std::string& sheet = sheets[n];
        if (!sheet.empty()) return sheet;
        const std::string folder = dir + "/" + std::to_string(n);
        fs::create_directories(folder);
        const std::string root = ladder_road::write_project(folder, n, false);
        if (compile_sheets((root + ".asc").c_str(), nullptr, nullptr, nullptr, quiet) == 0)
            sheet = root + ".sch";
        return sheet;
    }
};

Ladders& ladders() {
    static Ladders the_ladders;
    return the_ladders;
}

void BM_WholeSheetEdits(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string& file = ladders().sheet(n);
    Schema* schema = nullptr;
    if (file.empty() || load_schema_file(&schema, file.c_str()) != 0 || !schema) {
        state.SkipWithError("the ladder did not load");
        return;
    }
    EditSession session;
    session_init(&session, schema, 1, &main_mode, nullptr);
    Rect all{};
    bounds_Sheet(schema, schema->sheet, &all, false);
    all = Rect{all.x - 1000, all.y - 1000, all.w + 2000, all.h + 2000};
    // Beside the sheet: nothing of the copy meets the original.
    const Point beside{all.x + all.w + 20000, all.y};
    const size_t items = schema->sheet->items->count;
    // The first edit of a session orders every wire's ends once; it is
    // left out of the figures.
    select_area(&session, Rect{all.x, all.y, 1, 1});
    select_clear(&session);
    double took[5] = {};
    for (auto _ : state) {
        const double before = took[0] + took[1] + took[2] + took[3] + took[4];
        auto start = Clock::now();
        select_area(&session, all);
        took[0] += ms_since(start);
        if (size_t(selection_count(&session)) != items) state.SkipWithError("not all selected");
        start = Clock::now();
        copy_selection(&session);
        took[1] += ms_since(start);
        select_clear(&session);
        session.pointer = beside;
        start = Clock::now();
        paste_selection(&session);
        took[2] += ms_since(start);
        start = Clock::now();
        session_event(&session, EV_LEFT_UP, beside);
        took[3] += ms_since(start);
        if (schema->sheet->items->count != 2 * items)
            state.SkipWithError("the paste was not placed");
        start = Clock::now();
        undo_sheet(&session);
        took[4] += ms_since(start);
        if (schema->sheet->items->count != items) state.SkipWithError("the undo left items");
        select_clear(&session);
        state.SetIterationTime((took[0] + took[1] + took[2] + took[3] + took[4] - before) / 1000);
    }
    const char* names[5] = {"select_ms", "copy_ms", "paste_read_ms", "place_ms", "undo_ms"};
    for (int i = 0; i < 5; ++i) state.counters[names[i]] = took[i] / double(state.iterations());
    state.counters["items"] = static_cast<double>(items);
    session_close(&session);
    close_schema(nullptr, &schema);
}

}  // namespace

BENCHMARK(BM_WholeSheetEdits)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
