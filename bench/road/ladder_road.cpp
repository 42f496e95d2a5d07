#include "road/ladder_road.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <string>

#include "connectivity/net_jobs.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/items/library.h"

namespace ladder_road {

const char* const ladder_library = R"((LIB '$ACTIVE$' (PFXS ) (PARTS
  (LPART (PART (COMMON (TYPE STANDARD 1) (SIZE 0 2000 ) (REFERENCE 'R' ) )
      (NORMAL (PINS (PIN '1' PAS TOP (POS 0 0 ) '1' ) (PIN '2' PAS BOTTOM (POS 0 2000 ) '2' ) ) ) )
    (ALIAS (NAME 'LADDER/VR' (ATTRIBUTE 'R?' VIS (POS 0 0 ) ) (ATTRIBUTE '1k' (POS 0 0 ) ) ) ) ) ) )
)";

std::string pos(long x, long y) {
    return "(POS " + std::to_string(x) + " " + std::to_string(y) + " ) ";
}
void add_wire(std::string& s, long x1, long y1, long x2, long y2) {
    s += "(LINE " + pos(x1, y1) + pos(x2, y2) + ")\n";
}
void add_label(std::string& s, long x, long y, const std::string& name) {
    s += "(TEXT 0 " + pos(x, y) + "(SIZE 100 100 ) '" + name + "' LABEL )\n";
}
void add_resistor(std::string& s, long x, long y, int n) {
    char id[16];
    std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(n));
    // Reference and value beside the body, where the editor lays them out.
    s += std::string("(PARTLIB 'LADDER/VR' ") + id +
         " 1.000000 POWERON NO_ROT NORMAL_PART DEVICE 0 " + pos(x, y) + "(ATTRIBUTE 'R" +
         std::to_string(n) + "' VIS SET " + pos(x + 500, y + 800) + ") (ATTRIBUTE '1k' SET " +
         pos(x + 500, y + 1600) + ") )\n";
}
void add_port(std::string& s, bool right, long x, long y, const std::string& name) {
    s += std::string("(PORT ") + (right ? "RIGHT" : "LEFT") + " BIDIR " + pos(x, y) + "'" + name +
         "' )\n";
}

namespace {

constexpr int sheets = 10;
constexpr long pitch = 10000, row_pitch = 40000;

// The sheet holding the series resistors first .. first + count - 1 of the
// ladder, numbered on from `part` (the references before it). A resistor
// at (x, y) has its upper pin tip at (x, y - 3000) and its lower one at
// (x, y + 5000). The sheet's ports name its two ends when in / out are
// given.
std::string ladder_sheet(int first, int count, int part, const std::string& in,
                         const std::string& out, Drawing drawing) {
    std::string ports;
    std::string s = "(SHEET\n";
    long rail = -1;  // the x of the last shunt of the row, -1 before the first
    for (int at = 0; at < count; ++at) {
        int i = first + at;
        long row = at / 100, col = at % 100;
        long x = col * pitch, y = row * row_pitch;
        add_resistor(s, x, y, ++part);
        std::string node = "N" + std::to_string(i);
        if (at == 0 && !in.empty()) add_port(ports, false, x, y - 3000, in);
        if (i == 0) s += "(POWER 'VIN' NO_ROT GND1 " + pos(x, y - 3000) + ")\n";
        if (col == 0) rail = -1;
        bool shunt = i % 10 == 0 && col < 99;
        bool tap = drawing == Drawing::wired && shunt && at + 1 < count;
        if (col < 99 && at + 1 < count) {
            if (tap) {
                // The node's wire is cut where the shunt's wire meets it.
                add_wire(s, x, y + 5000, x + pitch / 4, y + 5000);
                add_wire(s, x + pitch / 4, y + 5000, x + pitch / 2, y + 5000);
                s += "(JUNCTION " + pos(x + pitch / 4, y + 5000) + "SMALL CIRCULAR )\n";
            } else {
                add_wire(s, x, y + 5000, x + pitch / 2, y + 5000);
            }
            add_wire(s, x + pitch / 2, y + 5000, x + pitch / 2, y - 4000);
            add_wire(s, x + pitch / 2, y - 4000, x + pitch, y - 4000);
            add_wire(s, x + pitch, y - 4000, x + pitch, y - 3000);
            if (drawing == Drawing::labelled) add_label(s, x + pitch * 3 / 4, y - 4000, node);
        } else if (at + 1 < count) {
            // The row ends: a label at this lower pin and at the next row's upper pin.
            add_label(s, x, y + 5000, node);
            add_label(s, 0, (row + 1) * row_pitch - 3000, node);
        } else if (!out.empty()) {
            add_port(ports, true, x, y + 5000, out);
        } else {
            // The ladder's far end: every pin is connected, as a simulator wants.
            s += "(POWER 'GND' ROT_180 GND1 " + pos(x, y + 5000) + ")\n";
        }
        if (shunt) {
            long sx = x + pitch / 4, sy = y + 15000;
            add_resistor(s, sx, sy, ++part);
            if (tap)
                add_wire(s, sx, y + 5000, sx, sy - 3000);
            else
                add_label(s, sx, sy - 3000, node);
            if (drawing == Drawing::labelled || rail < 0)
                s += "(POWER 'GND' ROT_180 GND1 " + pos(sx, sy + 5000) + ")\n";
            else
                add_wire(s, rail, sy + 5000, sx, sy + 5000);
            rail = sx;
        }
    }
    return "(SCHEMATIC (PORTS\n" + ports + ")\n" + s + ")\n" + ladder_library + ")\n";
}

std::string junction_name(int k) { return k > 0 && k < sheets ? "J" + std::to_string(k) : ""; }

// The root of the hierarchy: a row of boxes, each wired to the next one
// through the port they share.
std::string root_sheet() {
    std::string s = "(SCHEMATIC (SHEET\n";
    for (int k = 0; k < sheets; ++k) {
        long x = k * 20000L;
        s += "(SUBSHEET 0x" + std::to_string(1000 + k) + " " + pos(x, 0) + "(SIZE 8000 6000 ) 'S" +
             std::to_string(k + 1) + "' 'sub" + std::to_string(k + 1) + ".sch' (PORTS\n";
        if (k > 0) s += "(PORT LEFT BIDIR (POS 0 2000 ) '" + junction_name(k) + "' )\n";
        if (k + 1 < sheets)
            s += "(PORT RIGHT BIDIR (POS 8000 2000 ) '" + junction_name(k + 1) + "' )\n";
        s += ") )\n";
        if (k + 1 < sheets) add_wire(s, x + 8000, 2000, x + 20000, 2000);
    }
    return s + ")\n" + ladder_library + ")\n";
}

void write_text(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

// Progress lines stay off; warnings and errors go to standard error.
void to_stderr(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

}  // namespace

int resistor_count(int n) { return n + (n + 9) / 10; }

std::string flat_ladder_source(int n, Drawing drawing) {
    return ladder_sheet(0, n, 0, "", "", drawing);
}

std::string write_project(const std::string& dir, int n, bool hierarchy, Drawing drawing) {
    if (!hierarchy) {
        write_text(dir + "/root.asc", flat_ladder_source(n, drawing));
        return dir + "/root";
    }
    write_text(dir + "/root.asc", root_sheet());
    for (int k = 0; k < sheets; ++k) {
        int first = static_cast<int>(static_cast<long>(n) * k / sheets);
        int last = static_cast<int>(static_cast<long>(n) * (k + 1) / sheets);
        write_text(dir + "/sub" + std::to_string(k + 1) + ".asc",
                   ladder_sheet(first, last - first, resistor_count(first), junction_name(k),
                                junction_name(k + 1), drawing));
    }
    return dir + "/root";
}

int run(const std::string& dir, const std::string& root, const std::string& netlist,
        std::string* step, Phases* phases) {
    config_set_defaults();
    proper_set(DIR_PROJECT, dir.c_str(), 0);
    proper_set(DIR_LIBRARY, dir.c_str(), 0);
    proper_set(COMPSHEET_VERBOSE, 0, 0);
    proper_set(NETFMT_VERBOSE, 0, 0);
    init_Libraries();
    auto start = std::chrono::steady_clock::now();
    auto lap = [&](const char* name) {
        auto now = std::chrono::steady_clock::now();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        if (phases)
            phases->push_back(
                {name, std::chrono::duration<double>(now - start).count(), usage.ru_maxrss});
        start = now;
    };
    // Every way out, the last step's success too, frees the libraries the
    // run loaded, so that the next run starts from none.
    auto finish = [&](const char* name, int code) {
        if (step) *step = name;
        free_LibraryList(lib_list);
        lib_list = nullptr;
        return code;
    };
    if (int code = compile_sheets((root + ".asc").c_str(), nullptr, nullptr, nullptr, to_stderr))
        return finish("compile", code);
    lap("compile");
    std::string sheet = root + ".sch";
    if (int code = netlist_compile(sheet.c_str(), to_stderr)) return finish("nets", code);
    lap("nets");
    std::string linked = dir + "/linked";
    if (int code = netlist_link(root.c_str(), linked.c_str(), to_stderr))
        return finish("link", code);
    lap("link");
    if (int code = netlist_format(linked.c_str(), netlist.c_str(), "SPICE", 2, to_stderr))
        return finish("format", code);
    lap("format");
    return finish("", 0);
}

int count_resistor_lines(const std::string& netlist) {
    std::ifstream in(netlist);
    int count = 0;
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && (line[0] == 'R' || line[0] == 'r')) ++count;
    return count;
}

double resident_mib() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace ladder_road
