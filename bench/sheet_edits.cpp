// bench-deps: editor ladder_road
// The sheet editor's edits without a window, on the flat ladder of n series
// resistors loaded into an editing session.
//
// BM_WholeSheetEdits: every item selected as a frame around the sheet
// would, copied to the paste file, pasted and placed beside the sheet by a
// click, and the paste undone. Each step is a counter (milliseconds); the
// iteration's time is their sum. Every step must grow linearly with the
// sheet: the 100,000 run within about ten times the 10,000 run (the memory
// a large sheet fills costs some more).
//
// BM_Edit*: one edit of a user on the ladder of 100,000, each iteration on
// the document opened afresh as a window opens it (loaded, its bounds index
// made), timed from the event to the edit done: with argument 0 the first
// edit after opening, with 1 after another edit elsewhere (a part deleted
// and the delete undone). Select: a click on a part; Move: a part selected,
// pressed, dragged by 1000 and released (the whole gesture); Delete: the
// Delete key on a selected part; Undo: Undo of that delete; Paste: the
// Ctrl+V of about 500 items copied from a row and the click that places
// them; Wire: a wire of two legs drawn between two pins. The target: each
// under 5 ms, whatever ran before; run each alone too, e.g.
//   build/bench/bench_sheet_edits --benchmark_filter=EditDelete/0
//
// BM_EditMotion: one pointer motion while the selection moves (its ghost
// made by the motion before) and the drop that ends the move, with the
// pointer 500 on from the press: argument 0 one part of the ladder of
// 100,000, 1 a tenth of it (10,000 resistors, the rows of a frame), 2 the
// whole ladder of 10,000; the second argument 1 with Ctrl (a drag). The
// counters motion_ms and drop_ms. The target: a motion under 5 ms with one
// part, and never slower than its drop.
//
// The windows' share (ghosts and paints) is measured by bench_sheet_editing.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
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
#include "model/documents/sheet_index.h"
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

// --- one edit -----------------------------------------------------------------------------

constexpr int LADDER = 100000;

// The body middle of the series resistor of the column and row of the
// ladder; its upper pin's tip lies 4000 above, its lower one's 4000 below.
Point resistor_middle(int column, int row) { return Point{column * 10000, row * 40000 + 1000}; }

void click(EditSession* session, Point p) {
    session_event(session, EV_MOTION, p);
    session_event(session, EV_LEFT_DOWN, p);
    session_event(session, EV_LEFT_UP, p);
}

// The ladder opened as a window opens it, in an editing session.
struct Opened {
    Schema* schema = nullptr;
    EditSession session;
    bool open() {
        const std::string& file = ladders().sheet(LADDER);
        if (file.empty() || load_schema_file(&schema, file.c_str()) != 0 || !schema) return false;
        session_init(&session, schema, 1, &main_mode, nullptr);
        return sheet_index(schema) != nullptr;
    }
    ~Opened() {
        if (!schema) return;
        session_close(&session);
        close_schema(nullptr, &schema);
    }
};

// Runs `edit` (timed) on the ladder opened afresh in each iteration, after
// `prepare` (not timed); with argument 1 another edit comes first. `done`
// says whether the edit did what it should.
using Step = std::function<void(EditSession*)>;
void one_edit(benchmark::State& state, const Step& prepare, const Step& edit,
              const std::function<bool(EditSession*)>& done) {
    for (auto _ : state) {
        Opened opened;
        if (!opened.open()) {
            state.SkipWithError("the ladder did not load");
            return;
        }
        EditSession* session = &opened.session;
        if (state.range(0) == 1) {
            click(session, resistor_middle(50, 5));
            session_key(session, TK_DELETE);
            undo_sheet(session);
            select_clear(session);
        }
        prepare(session);
        auto start = Clock::now();
        edit(session);
        state.SetIterationTime(ms_since(start) / 1000);
        if (!done(session)) state.SkipWithError("the edit did not happen");
    }
}

void nothing(EditSession*) {}

size_t item_count(EditSession* s) { return s->schema->sheet->items->count; }

// The ladder's items: 627,000 at 100,000 resistors.
constexpr size_t LADDER_ITEMS = 627000;

void BM_EditSelect(benchmark::State& state) {
    one_edit(
        state, nothing, [](EditSession* s) { click(s, resistor_middle(1, 0)); },
        [](EditSession* s) { return selection_count(s) == 1; });
}

void BM_EditMove(benchmark::State& state) {
    const Point from = resistor_middle(2, 0), to{from.x + 1000, from.y};
    one_edit(
        state, [&](EditSession* s) { click(s, from); },
        [&](EditSession* s) {
            session_event(s, EV_LEFT_DOWN, from);
            session_event(s, EV_LEFT_DRAG, Point{from.x + 500, from.y});
            session_event(s, EV_LEFT_DRAG, to);
            session_event(s, EV_LEFT_UP, to);
        },
        [&](EditSession* s) {
            SchItem* moved = item_at(s, to);
            return moved && moved->type == PARTLIB_ITEM && moved->pos.x == 21000;
        });
}

void BM_EditDelete(benchmark::State& state) {
    one_edit(
        state, [](EditSession* s) { click(s, resistor_middle(3, 0)); },
        [](EditSession* s) { session_key(s, TK_DELETE); },
        [](EditSession* s) { return item_count(s) == LADDER_ITEMS - 1; });
}

void BM_EditUndo(benchmark::State& state) {
    one_edit(
        state,
        [](EditSession* s) {
            click(s, resistor_middle(4, 0));
            session_key(s, TK_DELETE);
        },
        [](EditSession* s) { undo_sheet(s); },
        [](EditSession* s) { return item_count(s) == LADDER_ITEMS; });
}

void BM_EditPaste(benchmark::State& state) {
    const Point at{50000, 20000};
    one_edit(
        state,
        [](EditSession* s) {
            select_area(s, Rect{-2000, 3 * 40000 - 6000, 895000, 26000});
            copy_selection(s);
            select_clear(s);
        },
        [&](EditSession* s) {
            session_event(s, EV_MOTION, at);
            paste_selection(s);
            session_event(s, EV_LEFT_DOWN, at);
            session_event(s, EV_LEFT_UP, at);
        },
        [](EditSession* s) { return item_count(s) > LADDER_ITEMS + 500; });
}

// A wire of two legs from the lower pin of the first resistor of row 1.
void BM_EditWire(benchmark::State& state) {
    const Point a{0, 40000 + 5000}, bend{0, 40000 + 9000}, b{12500, 40000 + 9000};
    one_edit(
        state, nothing,
        [&](EditSession* s) {
            start_add_wires(s, DrawShape{});
            click(s, a);
            click(s, bend);
            click(s, b);
            session_key(s, TK_ESCAPE);
            session_key(s, TK_ESCAPE);
        },
        [](EditSession* s) { return item_count(s) == LADDER_ITEMS + 2; });
}

// A move of a part, a tenth of the ladder of 100,000 or all of the ladder
// of 10,000, plain or with Ctrl: one motion and the drop.
void BM_EditMotion(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const bool ctrl = state.range(1) == 1;
    const int n = kind == 2 ? 10000 : LADDER;
    double motion = 0, drop = 0;
    for (auto _ : state) {
        Schema* schema = nullptr;
        const std::string& file = ladders().sheet(n);
        if (file.empty() || load_schema_file(&schema, file.c_str()) != 0 || !schema) {
            state.SkipWithError("the ladder did not load");
            return;
        }
        EditSession session;
        session_init(&session, schema, 1, &main_mode, nullptr);
        sheet_index(schema);
        const Point from = resistor_middle(2, 0);
        if (kind == 0) {
            click(&session, from);
        } else {
            // Rows of a hundred resistors, 40,000 apart.
            const int rows = kind == 1 ? LADDER / 1000 : n / 100;
            select_area(&session, Rect{-5000, -10000, 1010000, rows * 40000 + 5000});
        }
        const size_t selected = size_t(selection_count(&session));
        session_event(&session, ctrl ? EV_LEFT_DOWN_CTRL : EV_LEFT_DOWN, from);
        session_event(&session, EV_LEFT_DRAG, Point{from.x + 100, from.y});
        const Point to{from.x + 500, from.y};
        auto start = Clock::now();
        session_event(&session, EV_LEFT_DRAG, to);
        const double one_motion = ms_since(start);
        start = Clock::now();
        session_event(&session, EV_LEFT_UP, to);
        const double the_drop = ms_since(start);
        motion += one_motion;
        drop += the_drop;
        state.SetIterationTime((one_motion + the_drop) / 1000);
        state.counters["selected"] = static_cast<double>(selected);
        SchItem* moved = item_at(&session, to);
        if (!moved || moved->type != PARTLIB_ITEM || moved->pos.x != 20500)
            state.SkipWithError("the selection did not move");
        session_close(&session);
        close_schema(nullptr, &schema);
    }
    state.counters["motion_ms"] = motion / double(state.iterations());
    state.counters["drop_ms"] = drop / double(state.iterations());
}

}  // namespace

BENCHMARK(BM_WholeSheetEdits)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void edit_args(benchmark::internal::Benchmark* b) {
    b->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_EditSelect)->Apply(edit_args);
BENCHMARK(BM_EditMove)->Apply(edit_args);
BENCHMARK(BM_EditDelete)->Apply(edit_args);
BENCHMARK(BM_EditUndo)->Apply(edit_args);
BENCHMARK(BM_EditPaste)->Apply(edit_args);
BENCHMARK(BM_EditWire)->Apply(edit_args);
BENCHMARK(BM_EditMotion)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
