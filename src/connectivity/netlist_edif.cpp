#include "connectivity/netlist_format.h"

int write_edif_netlist(NetlistRun&, FILE*) { return 0; }
