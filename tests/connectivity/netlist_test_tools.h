#pragma once
// What the netlist tests share: written netlists made comparable across
// days, and the external programs that read them (ngspice, pcb-rnd).
#include <optional>
#include <set>
#include <string>

namespace net_test {

// The netlist text with its date taken out: the native "  Generated on"
// line, or the text of EDIF's "generated" comment.
std::string without_date(std::string text);

// Runs `ngspice -b` on a deck and answers everything it printed; a failed
// run fails the test.
std::string run_ngspice(const std::string& deck);
// The voltage ngspice printed for a node of the operating point (the node
// compared in lower case); none when it printed none.
std::optional<double> node_voltage(const std::string& solved, const std::string& node);

// The nets pcb-rnd imported from an EDIF file (run in `dir`), as
// "NET: PIN PIN ..." lines sorted by net with sorted pins; the whole log in
// *log.
std::set<std::string> pcb_rnd_nets(const std::string& dir, const std::string& edif,
                                   std::string* log);

}  // namespace net_test
