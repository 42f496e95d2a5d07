// bench-deps: gui bench_windows
// The library editor's Get Part on a library of TN_PARTS (default 25,000)
// names, in the program's own windows on a display: opening the dialog
// (every name listed, the first one chosen and drawn) and a pattern scan,
// each from the call to the moment the toolkit has nothing left to do
// (the list laid out and drawn). Target: each under 0.2 s.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_library_window
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <wx/app.h>
#include <wx/listbox.h>

#include "dialogs/form_dialog.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "libedit/gui/libedit_dialogs.h"
#include "model/items/library.h"
#include "model/items/libutil.h"
#include "model/items/part.h"
#include "model/items/pin.h"
#include "model/items/vectors.h"
#include "shell/shell.h"
#include "toolkit/panel_items.h"
#include "window/bench_windows.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Handles events until the toolkit has had nothing to do for a while
// (each round waits a little for what the display server sends back).
void settle() {
    int quiet = 0;
    while (quiet < 3) {
        const bool busy = wxTheApp->Pending() || wxTheApp->ProcessIdle();
        wxTheApp->Yield(true);
        quiet = busy ? 0 : quiet + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int part_count() {
    const char* n = std::getenv("TN_PARTS");
    return n && std::atoi(n) > 0 ? std::atoi(n) : 25000;
}

// A library of small parts named P000000, P000001, ...
std::string write_library(const std::string& dir, int count) {
    Library* library = new_Library();
    set_Library_name(library, "BENCH");
    char name[32];
    for (int i = 0; i < count; ++i) {
        Part* part = new_Part();
        part->prefix.set("U");
        part->body = {0, 0, 4000, 3000};
        part->normal_pins = new_PinList();
        Pin* pin = new_Pin(1);
        pin->name.set("A");
        set_pin_number(pin, 0, "1");
        dlist_append(part->normal_pins->pins, pin);
        LibEntry* entry = new_LibEntry();
        std::snprintf(name, sizeof name, "P%06d", i);
        entry->name.set(name);
        entry->part = part;
        ref_Part(part);
        free_LibEntry(lib_insert_entry(library, entry));
    }
    const std::string path = dir + "/bench.clb";
    if (save_Library(path.c_str(), library) != 0) std::abort();
    free_Library(library);
    return path;
}

struct Bench {
    std::string dir;
    EditCanvas* canvas = nullptr;
};

Bench& the_bench() {
    static Bench* bench = nullptr;
    if (bench) return *bench;
    bench = new Bench;
    bench->dir = bench_windows::start("tn_bench_library");
    const std::string library = write_library(bench->dir, part_count());
    bench_windows::open_main_frame();
    MyChild* child = new_library_child(library.c_str());
    if (!child) {
        std::fputs("bench_library_window: the library did not open\n", stderr);
        std::exit(1);
    }
    bench->canvas = child->canvas;
    settle();
    return *bench;
}

EnhancedDialog* get_part_dialog() { return the_bench().canvas->dialogs.find("libedit_part_load"); }

wxListBox* parts_list() {
    auto* dialog = dynamic_cast<FormDialog*>(get_part_dialog());
    return dialog ? dynamic_cast<wxListBox*>(dialog->Item(GP_PARTS)) : nullptr;
}

void close_get_part() {
    if (EnhancedDialog* dialog = get_part_dialog()) dialog->Close(true);
    settle();
}

// Opening Get Part: built, every name listed and the first one chosen.
void BM_GetPartOpen(benchmark::State& state) {
    Bench& b = the_bench();
    for (auto _ : state) {
        close_get_part();
        const auto start = Clock::now();
        open_get_part(b.canvas);
        settle();
        state.SetIterationTime(seconds_since(start));
        wxListBox* list = parts_list();
        if (!list || int(list->GetCount()) != part_count()) state.SkipWithError("not listed");
    }
    close_get_part();
}

// Scan with a pattern that matches a tenth of the names, then with "*".
void BM_GetPartScan(benchmark::State& state) {
    Bench& b = the_bench();
    close_get_part();
    open_get_part(b.canvas);
    settle();
    auto* dialog = dynamic_cast<FormDialog*>(get_part_dialog());
    int round = 0;
    for (auto _ : state) {
        const char* pattern = round++ % 2 ? "*" : "P01*";
        control_set_text(dialog->Item(GP_SELECTED), pattern);
        settle();
        const auto start = Clock::now();
        libedit_command(b.canvas, 20024);  // Scan
        settle();
        state.SetIterationTime(seconds_since(start));
    }
    state.counters["listed"] = parts_list() ? double(parts_list()->GetCount()) : 0;
    close_get_part();
}

}  // namespace

BENCHMARK(BM_GetPartOpen)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetPartScan)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);
