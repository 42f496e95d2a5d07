#pragma once
// The net jobs the shell starts: compile every sheet of a project into its
// per-sheet net file, link a hierarchy into one net file, and format the
// linked nets as a netlist. Progress lines go to the print callback when
// NETFMT_VERBOSE is set; the builder's warnings reach it always.
#include "connectivity/annotate_sheets.h"

// Builds the nets of every sheet of the project (the root alone when
// NETFMT_HIER is set) and writes each sheet's net file, numbering the
// sheets from 1. The OR of the build results; a sheet list, load or
// net-file write error ends the job with its code. So that a link never
// takes a net file of an earlier run for this one, the net files of the
// sheets the job did not compile (the root's too when it compiled none)
// are moved to their backup names (NAME.NBK). *title (when given) gets the
// root sheet's TITLE, which the net files do not carry; a failure is
// logged, and *concerned (when given) names the file it concerns (the
// sheet that could not be read, the net file that could not be written).
// Sheets outside the root's folder are named first (confirm_outside_sheets,
// model/documents/batch.h): declined, DOC_CANCELLED and nothing written.
int netlist_compile(const char* root, JobPrint print, std::string* title = nullptr,
                    std::string* concerned = nullptr);

// Links the hierarchy under the root's net file and writes the result as
// the net file `output`. The link's result (67 for a partial link, after
// which nothing is written), else the write's. A link that writes nothing
// moves an existing output net file to its backup name (NAME.NBK), so that
// no netlist is formatted from an earlier link.
int netlist_link(const char* root, const char* output, JobPrint print);

// Reads the (linked) net file of the root and writes it as a netlist in the
// format named by `keyword` with the module field `field`, under the root
// sheet's `title` (none: empty). The read's result, else format_netlist's.
int netlist_format(const char* root, const char* output, const char* keyword, int field,
                   JobPrint print, const char* title = nullptr);
