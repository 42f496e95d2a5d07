// The ladder road as a program of its own, so that a script can measure its
// wall time and peak memory beside another netlister's:
//   spice_road generate DIR N flat|hier [labelled|wired]
//                                         writes the ASCII sources into DIR
//   spice_road run DIR [-v]               compiles them to DIR/ladder.cir
// With -v, `run` prints the seconds of each step and the peak memory after
// it on standard error. It does not read the netlist back: a script counts
// its resistor lines, as it counts those of another netlister.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/heap.h"
#include "road/ladder_road.h"

int main(int argc, char** argv) {
    tune_process_heap();
    if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "generate") == 0) {
        int n = std::atoi(argv[3]);
        if (n <= 0) return 2;
        auto drawing = argc == 6 && std::strcmp(argv[5], "wired") == 0
                           ? ladder_road::Drawing::wired
                           : ladder_road::Drawing::labelled;
        ladder_road::write_project(argv[2], n, std::strcmp(argv[4], "hier") == 0, drawing);
        std::printf("%d\n", ladder_road::resistor_count(n));
        return 0;
    }
    if ((argc == 3 || (argc == 4 && std::strcmp(argv[3], "-v") == 0)) &&
        std::strcmp(argv[1], "run") == 0) {
        std::string dir = argv[2], step;
        std::string netlist = dir + "/ladder.cir";
        ladder_road::Phases phases;
        int code = ladder_road::run(dir, dir + "/root", netlist, &step, &phases);
        if (argc == 4)
            for (const auto& phase : phases)
                std::fprintf(stderr, "%-8s %7.4f s, peak %ld MiB\n", phase.name.c_str(),
                             phase.seconds, phase.peak_kib / 1024);
        if (code) {
            std::fprintf(stderr, "spice_road: %s failed with %d\n", step.c_str(), code);
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr,
                 "usage: spice_road generate DIR N flat|hier [labelled|wired] | spice_road run "
                 "DIR [-v]\n");
    return 2;
}
