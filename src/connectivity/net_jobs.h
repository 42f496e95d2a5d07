#pragma once
// The net jobs the shell starts: compile every sheet of a project into its
// per-sheet net file. Progress lines go to the print callback when
// NETFMT_VERBOSE is set; the builder's warnings reach it always.
#include "connectivity/annotate_sheets.h"

// Builds the nets of every sheet of the project (the root alone when
// NETFMT_HIER is set) and writes each sheet's net file, numbering the
// sheets from 1. The OR of the build results; a sheet list, load or
// net-file write error ends the job with its code at once, so that no
// stale net file of an earlier run is taken for this one.
int netlist_compile(const char* root, JobPrint print);
