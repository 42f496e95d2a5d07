#pragma once
// The ladder design as a project of ASCII schematic sources, and the road a
// user's run takes from those sources to a SPICE netlist: compile the
// sources into binary sheets, build and write each sheet's nets, link the
// hierarchy, format the linked nets as SPICE.
//
// Parts come from the library LADDER, as a sheet placed from a real
// library names them.
//
// The ladder: N series resistors in rows of 100; inside a row each
// resistor's lower pin is wired to the next one's upper pin by four
// orthogonal wire segments; rows are joined by a pair of labels of one
// name; every tenth series resistor (not the last of a row) has a shunt
// resistor whose upper pin carries a label of the series node and whose
// lower pin stands on a GND power symbol.
//
// Drawn two ways. Labelled: each series node carries a label on its wires
// as well. Wired, as users draw: labels only where rows meet; each shunt's
// upper pin is wired to its node (a junction where the wire meets the
// node's), its lower pin stands on its row's ground rail, a wire through
// the lower pins of the row's shunts with one GND symbol at its start.
//
// Flat: one sheet holds the whole ladder. Hierarchy: a root of ten
// sub-sheet boxes whose sheets each hold a tenth of it; a sheet's first
// upper pin and last lower pin carry ports J1 .. J9 (global names), which
// join the pieces, and the shunts share the global GND.
#include <string>
#include <vector>

namespace ladder_road {

enum class Drawing { labelled, wired };

// The number of resistors (series and shunt) of a ladder of n.
int resistor_count(int n);

// The source of the flat ladder's one sheet, as write_project writes it.
std::string flat_ladder_source(int n, Drawing drawing = Drawing::labelled);

// Pieces of ASCII sheet sources, for the generated designs of the benches.
// The library closing a sheet source: the resistor LADDER/VR.
extern const char* const ladder_library;
std::string pos(long x, long y);
void add_wire(std::string& s, long x1, long y1, long x2, long y2);
void add_label(std::string& s, long x, long y, const std::string& name);
// Resistor Rn at (x, y): upper pin tip at (x, y - 3000), lower at (x, y + 5000); its
// reference and value stand beside its body.
void add_resistor(std::string& s, long x, long y, int n);
void add_port(std::string& s, bool right, long x, long y, const std::string& name);

// Writes the project's sources into dir: root.asc (and sub1.asc ..
// sub10.asc for a hierarchy). The root's name without suffix.
std::string write_project(const std::string& dir, int n, bool hierarchy,
                          Drawing drawing = Drawing::labelled);

// Each step of a run, in order: the seconds it took and the peak memory
// of the process (KiB) when it ended.
struct Phase {
    std::string name;
    double seconds;
    long peak_kib;
};
using Phases = std::vector<Phase>;

// Runs the whole road on the project in dir whose root is `root` (as
// write_project answered), writing the netlist `netlist`. 0, or the code
// of the first step that failed (and its name in *step when given).
int run(const std::string& dir, const std::string& root, const std::string& netlist,
        std::string* step = nullptr, Phases* phases = nullptr);

// The element lines of a SPICE netlist whose name starts with 'R'.
int count_resistor_lines(const std::string& netlist);

// The process's resident memory now, MiB.
double resident_mib();

}  // namespace ladder_road
