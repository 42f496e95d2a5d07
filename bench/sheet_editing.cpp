// bench-deps: gui ladder_road bench_windows
// The sheet editor as a user meets it on a large sheet: the program's own
// main frame and sheet window on the display, the ladder of
// TN_LADDER (default 100,000) series resistors opened in it, and every edit
// driven by real pointer and key events sent through the display server.
// Each figure runs from the moment the toolkit hands the event to the
// program (or the window is asked to repaint) to the end of the paint that
// shows its result: the bench watches the events coming in and the
// canvas's paints, and checks, just before each paint, that the document
// already holds the result, so a paint that came too early does not count.
// The counter `sent` is the time from the moment the bench sent the event
// through the display server, which adds the simulator's own pauses;
// `first_ms` is the first round's figure, `most_ms` the largest. Run each
// edit's benchmark alone too (--benchmark_filter=BM_DeleteOne/): its first
// round is then the first edit after opening the sheet.
//
// Run it on a display, alone on the machine if you can:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_sheet_editing
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/uiaction.h>

#include "editor/selection.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/paste.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"
#include "model/items/view.h"
#include "road/ladder_road.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"
#include "window/bench_windows.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The processor time of this thread so far, in seconds: on a loaded machine
// it moves far less than the wall time.
double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// With TN_BENCH_MARKS set, each step of a benchmark writes its start and end
// on the monotonic clock to stderr, for a profile recorded on that clock
// (perf record -k CLOCK_MONOTONIC) to be cut by step.
void mark(const char* what) {
    static const bool on = std::getenv("TN_BENCH_MARKS") != nullptr;
    if (!on) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "mark %s %ld.%09ld\n", what, long(now.tv_sec), now.tv_nsec);
}

void quiet(const char*, ...) {}

// Notes when the first event of the kind a measure waits for arrives (for
// keys, the first that is not a modifier: Ctrl goes down before the letter
// of Ctrl+Z, and the letter is what the program acts on).
class Arrival : public wxEventFilter {
public:
    int FilterEvent(wxEvent& event) override {
        if (!waited || seen || event.GetEventType() != waited) return Event_Skip;
        if (waited == wxEVT_KEY_DOWN) {
            const int key = static_cast<wxKeyEvent&>(event).GetKeyCode();
            if (key == WXK_CONTROL || key == WXK_SHIFT || key == WXK_ALT) return Event_Skip;
        }
        seen = true;
        at = Clock::now();
        return Event_Skip;
    }
    wxEventType waited = wxEVT_NULL;
    bool seen = false;
    Clock::time_point at;
};

// The program's windows on the ladder, made once for every benchmark.
struct Bench {
    std::string dir;
    std::string sheet;
    EditCanvas* canvas = nullptr;
    wxUIActionSimulator sim;
    // Set by the paint watcher: whether the document held the awaited result
    // when each paint began.
    std::function<bool()> awaited;
    unsigned long done_paint = 0;  // the first paint that began with the result; 0 none

    Schema* doc() { return canvas->mySchema; }

    void pump_once() {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    void pump(int ms) {
        auto end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) pump_once();
    }
    Arrival arrival;
    double sent = 0;  // seconds from sending to the pixels, of the last measure
    double cpu = 0;   // this thread's processor seconds in the last measure
    // Sends what `act` sends, then waits for the paint that shows `done`;
    // the seconds from the arrival of the first event of type `from` (from
    // the sending when none is given, or when none came), or a negative
    // value when the paint never came.
    double to_pixels(const std::function<void()>& act, const std::function<bool()>& done,
                     wxEventType from = wxEVT_NULL, double limit = 60) {
        awaited = done;
        done_paint = 0;
        arrival.waited = from;
        arrival.seen = false;
        auto start = Clock::now();
        const double cpu_start = cpu_seconds();
        act();
        double took = -1;
        while (seconds_since(start) < limit) {
            if (done_paint && canvas->PaintCount() >= done_paint) {
                cpu = cpu_seconds() - cpu_start;
                sent = seconds_since(start);
                took = arrival.seen ? seconds_since(arrival.at) : sent;
                break;
            }
            pump_once();
        }
        awaited = nullptr;
        arrival.waited = wxEVT_NULL;
        return took;
    }

    wxPoint screen_of(Point world) {
        Point window = view_to_screen(&doc()->view, world);
        return canvas->ClientToScreen(canvas->CalcScrolledPosition(wxPoint(window.x, window.y)));
    }
    // Moves the pointer onto the world point and lets the motion settle.
    void move_to(Point world) {
        wxPoint to = screen_of(world);
        sim.MouseMove(to.x, to.y);
        for (int i = 0; i < 200 && !(canvas->editing.pointer == world); ++i) pump_once();
        pump(20);
    }
    void settle() { pump(150); }
};

Bench* bench = nullptr;

int ladder_size() {
    const char* n = std::getenv("TN_LADDER");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 100000;
}

Bench& the_bench() {
    if (bench) return *bench;
    bench = new Bench;
    bench->dir = bench_windows::start("tn_bench_editing");
    proper_set(COMPSHEET_VERBOSE, 0, 0);
    proper_set(COMPSHEET_HIER, 1, 0);
    std::string root = ladder_road::write_project(bench->dir, ladder_size(), false);
    if (compile_sheets((root + ".asc").c_str(), nullptr, nullptr, nullptr, quiet) != 0) {
        std::fputs("bench_sheet_editing: the ladder did not compile\n", stderr);
        std::exit(1);
    }
    bench->sheet = root + ".sch";
    // The paste file lives in the working directory.
    fs::current_path(bench->dir);
    wxEvtHandler::AddFilter(&bench->arrival);
    bench_windows::open_main_frame();
    bench->pump(300);
    return *bench;
}

// Opens the ladder in a new sheet window; the seconds until it is drawn.
double open_ladder(Bench& b) {
    auto start = Clock::now();
    MyChild* child = open_sheet(b.sheet.c_str(), nullptr);
    if (!child) return -1;
    b.canvas = child->canvas;
    b.canvas->Bind(wxEVT_PAINT, [](wxPaintEvent& event) {
        event.Skip();
        if (bench->awaited && !bench->done_paint && bench->awaited())
            bench->done_paint = bench->canvas->PaintCount() + 1;
    });
    while (b.canvas->PaintCount() == 0 && seconds_since(start) < 120) b.pump_once();
    return b.canvas->PaintCount() ? seconds_since(start) : -1;
}

Bench& opened() {
    Bench& b = the_bench();
    if (!b.canvas) {
        open_ladder(b);
        b.settle();
    }
    return b;
}

void report(benchmark::State& state, double seconds) {
    if (seconds < 0) {
        state.SkipWithError("the result never reached the screen");
        return;
    }
    state.SetIterationTime(seconds);
    if (bench) state.counters["sent"] += bench->sent * 1000 / double(state.max_iterations);
    // The first round apart: the first edit after opening must cost no more
    // than the others.
    if (!state.counters.count("first_ms")) state.counters["first_ms"] = seconds * 1000;
    state.counters["most_ms"] = std::max(double(state.counters["most_ms"]), seconds * 1000);
}

// The world point of a resistor's body middle: the series resistor n at
// (x, y) has its body between y and y + 2000.
Point resistor_middle(int column, int row) { return Point{column * 10000, row * 40000 + 1000}; }

PlacedPart* part_at(Bench& b, Point p) {
    SchItem* item = item_at(&b.canvas->editing, p);
    return item && item->type == PARTLIB_ITEM ? as_PlacedPart(item) : nullptr;
}

// Also the memory a closed sheet gives back: `open_mib` the resident
// memory the open sheet's window adds, `kept_mib` what of it the process
// still holds once the window is closed.
void BM_OpenToDrawn(benchmark::State& state) {
    Bench& b = the_bench();
    double before = 0, open = 0;
    for (auto _ : state) {
        if (b.canvas) {
            b.canvas->GetParent()->Close(true);
            b.canvas = nullptr;
            b.settle();
            state.counters["open_mib"] = open - before;
            state.counters["kept_mib"] = ladder_road::resident_mib() - before;
        }
        before = ladder_road::resident_mib();
        report(state, open_ladder(b));
        b.settle();
        open = ladder_road::resident_mib();
    }
}

void repaint(benchmark::State& state, const std::function<void(EditCanvas*)>& zoom) {
    Bench& b = opened();
    zoom(b.canvas);
    b.settle();
    for (auto _ : state) {
        unsigned long before = b.canvas->PaintCount();
        report(state, b.to_pixels([&] { b.canvas->RedrawView(); },
                                  [&] { return b.canvas->PaintCount() >= before; }));
        // The drawing thread's processor time too: on a loaded machine the
        // wall time mostly measures the wait for a processor.
        state.counters["cpu_ms"] += b.cpu * 1000 / double(state.max_iterations);
        b.settle();
    }
}

void BM_RepaintFit(benchmark::State& state) {
    repaint(state, [](EditCanvas* c) { c->ZoomFit(); });
}

void BM_RepaintOneToOne(benchmark::State& state) {
    repaint(state, [](EditCanvas* c) {
        c->ZoomFit();
        c->ZoomOne();
    });
}

// Ctrl+0 (Zoom Fit) from zoom 1: the drawing's extent found, the view
// fitted to it and drawn again, from the key to the pixels.
void BM_FitKey(benchmark::State& state) {
    Bench& b = opened();
    for (auto _ : state) {
        b.canvas->ZoomOne();
        b.settle();
        b.canvas->SetFocus();
        report(state,
               b.to_pixels([&] { b.sim.Char('0', wxMOD_CONTROL); },
                           [&] { return view_get_scale(&b.doc()->view) < 1.0; }, wxEVT_KEY_DOWN));
        b.settle();
    }
}

// The view shows the first rows of the ladder at zoom 1.
void show_corner(Bench& b) {
    b.canvas->ZoomOne();
    b.canvas->CenterOn(Point{20000, 20000});
    b.settle();
}

void BM_SelectOne(benchmark::State& state) {
    Bench& b = opened();
    show_corner(b);
    const Point at[2] = {resistor_middle(1, 0), resistor_middle(2, 0)};
    int turn = 0;
    for (auto _ : state) {
        Point p = at[turn++ % 2];
        PlacedPart* part = part_at(b, p);
        b.move_to(p);
        report(state, b.to_pixels([&] { b.sim.MouseClick(); },
                                  [&] { return part && is_selected(part); }, wxEVT_LEFT_DOWN));
        b.settle();
    }
}

void BM_MoveOne(benchmark::State& state) {
    Bench& b = opened();
    show_corner(b);
    Point p = resistor_middle(2, 0);
    int step = 1000;
    for (auto _ : state) {
        PlacedPart* part = part_at(b, p);
        if (!part) {
            state.SkipWithError("no part to move");
            break;
        }
        Point was = part->pos;
        Point to{p.x + step, p.y};
        // Past the display's double-click time since the last click there.
        b.pump(500);
        b.move_to(p);
        b.sim.MouseDown();
        b.pump(30);
        b.move_to(Point{p.x + step / 2, p.y});
        b.move_to(to);
        report(state, b.to_pixels([&] { b.sim.MouseUp(); },
                                  [&] { return part->pos.x == was.x + step; }, wxEVT_LEFT_UP));
        p = to;
        step = -step;
        b.settle();
    }
}

void BM_DeleteOne(benchmark::State& state) {
    Bench& b = opened();
    show_corner(b);
    Point p = resistor_middle(3, 0);
    for (auto _ : state) {
        state.PauseTiming();
        b.move_to(p);
        b.sim.MouseClick();
        b.settle();
        PlacedPart* part = part_at(b, p);
        state.ResumeTiming();
        report(state, b.to_pixels([&] { b.sim.Char(WXK_DELETE); },
                                  [&] { return part && !part_at(b, p); }, wxEVT_KEY_DOWN));
        b.settle();
        // Back as it was for the next round.
        b.canvas->SetFocus();
        b.to_pixels([&] { b.sim.Char('z', wxMOD_CONTROL); }, [&] { return part_at(b, p); });
        b.settle();
    }
}

void BM_UndoDelete(benchmark::State& state) {
    Bench& b = opened();
    show_corner(b);
    Point p = resistor_middle(4, 0);
    for (auto _ : state) {
        b.move_to(p);
        b.sim.MouseClick();
        b.settle();
        b.canvas->SetFocus();
        b.to_pixels([&] { b.sim.Char(WXK_DELETE); }, [&] { return !part_at(b, p); });
        b.settle();
        report(state, b.to_pixels([&] { b.sim.Char('z', wxMOD_CONTROL); },
                                  [&] { return part_at(b, p) != nullptr; }, wxEVT_KEY_DOWN));
        b.settle();
    }
}

// About 500 items: the first 90 resistors of a row with their wires, labels
// and shunts.
void copy_row_piece(Bench& b, int row) {
    select_clear(&b.canvas->editing);
    select_area(&b.canvas->editing, Rect{-2000, row * 40000 - 6000, 895000, 26000});
    b.canvas->SetFocus();
    b.sim.Char('c', wxMOD_CONTROL);
    b.settle();
}

// Ctrl+V shows the pasted items as a ghost that follows the pointer
// (BM_PasteGhost: from the key to the ghost on screen); a click places them
// (BM_Paste500: from the click to the placed items on screen).
void paste_rounds(benchmark::State& state, bool ghost) {
    Bench& b = opened();
    show_corner(b);
    copy_row_piece(b, 3);
    state.counters["items"] = selection_count(&b.canvas->editing);
    select_clear(&b.canvas->editing);
    const Point at{50000, 20000};
    for (auto _ : state) {
        size_t before = b.doc()->sheet->items->count;
        b.move_to(at);
        b.canvas->SetFocus();
        double shown = b.to_pixels([&] { b.sim.Char('v', wxMOD_CONTROL); },
                                   [&] { return b.canvas->GhostCount() > 0; }, wxEVT_KEY_DOWN);
        b.settle();
        double placed =
            b.to_pixels([&] { b.sim.MouseClick(); },
                        [&] { return b.doc()->sheet->items->count > before; }, wxEVT_LEFT_UP);
        report(state, ghost ? shown : placed);
        b.settle();
        b.to_pixels([&] { b.sim.Char('z', wxMOD_CONTROL); },
                    [&] { return b.doc()->sheet->items->count == before; });
        // Past the display's double-click time before the next click.
        b.pump(500);
    }
}

void BM_PasteGhost(benchmark::State& state) { paste_rounds(state, true); }
void BM_Paste500(benchmark::State& state) { paste_rounds(state, false); }

// The whole sheet, more than a window shows even at the smallest zoom: its
// items selected as a frame around it would (the time to the selection on
// screen, in the program itself); Ctrl+C copies them (from the key to the
// paste file written); Ctrl+V shows the ghost, a click places the copy, and
// Undo takes it back (each from the event to the pixels).
void BM_WholeSheet(benchmark::State& state) {
    Bench& b = opened();
    b.canvas->ZoomFit();
    b.settle();
    Rect all{};
    bounds_Sheet(b.doc(), b.doc()->sheet, &all, false);
    all = Rect{all.x - 1000, all.y - 1000, all.w + 2000, all.h + 2000};
    const Point at{b.doc()->view.centre.x + 3000, b.doc()->view.centre.y + 3000};
    double took[5] = {};
    double cpu[5] = {};
    for (auto _ : state) {
        select_clear(&b.canvas->editing);
        b.settle();
        b.pump(500);
        const size_t items = b.doc()->sheet->items->count;
        mark("select");
        const double selected = b.to_pixels(
            [&] {
                select_area(&b.canvas->editing, all);
                b.canvas->RedrawView();
            },
            [&] { return size_t(selection_count(&b.canvas->editing)) == items; });
        took[0] += selected;
        cpu[0] += b.cpu;
        mark("end");
        b.settle();
        std::error_code error;
        fs::remove(PASTE_FILE_NAME, error);
        b.canvas->SetFocus();
        // The copy changes nothing on screen: its time runs to the file.
        b.arrival.waited = wxEVT_KEY_DOWN;
        b.arrival.seen = false;
        mark("copy");
        const double cpu_copy = cpu_seconds();
        b.sim.Char('c', wxMOD_CONTROL);
        while (!fs::exists(PASTE_FILE_NAME)) b.pump_once();
        took[1] += seconds_since(b.arrival.at);
        cpu[1] += cpu_seconds() - cpu_copy;
        mark("end");
        b.arrival.waited = wxEVT_NULL;
        select_clear(&b.canvas->editing);
        b.canvas->RedrawView();
        b.settle();
        b.move_to(at);
        mark("ghost");
        took[2] += b.to_pixels([&] { b.sim.Char('v', wxMOD_CONTROL); },
                               [&] { return b.canvas->GhostCount() > 0; }, wxEVT_KEY_DOWN);
        cpu[2] += b.cpu;
        mark("end");
        b.settle();
        mark("place");
        took[3] +=
            b.to_pixels([&] { b.sim.MouseClick(); },
                        [&] { return b.doc()->sheet->items->count == 2 * items; }, wxEVT_LEFT_UP);
        cpu[3] += b.cpu;
        mark("end");
        b.settle();
        mark("undo");
        took[4] +=
            b.to_pixels([&] { b.sim.Char('z', wxMOD_CONTROL); },
                        [&] { return b.doc()->sheet->items->count == items; }, wxEVT_KEY_DOWN);
        cpu[4] += b.cpu;
        mark("end");
        b.settle();
        report(state, selected);
        state.counters["items"] = static_cast<double>(items);
    }
    // Each step's wall time and this thread's processor time in it, and the
    // five together.
    const char* names[5] = {"select", "copy", "ghost", "paste", "undo"};
    const double runs = double(state.iterations());
    double wall_sum = 0, cpu_sum = 0;
    for (int i = 0; i < 5; ++i) {
        state.counters[std::string(names[i]) + "_ms"] = took[i] * 1000 / runs;
        state.counters[std::string(names[i]) + "_cpu"] = cpu[i] * 1000 / runs;
        wall_sum += took[i];
        cpu_sum += cpu[i];
    }
    state.counters["all_ms"] = wall_sum * 1000 / runs;
    state.counters["all_cpu"] = cpu_sum * 1000 / runs;
}

}  // namespace

// Repaints are short: enough of them for a profile to see them.
#ifndef REPAINTS
#define REPAINTS 10
#endif

BENCHMARK(BM_OpenToDrawn)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintFit)->UseManualTime()->Iterations(REPAINTS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintOneToOne)->UseManualTime()->Iterations(REPAINTS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitKey)->UseManualTime()->Iterations(REPAINTS)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectOne)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveOne)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteOne)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDelete)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PasteGhost)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paste500)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeSheet)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
