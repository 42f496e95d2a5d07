#pragma once
// The batch jobs that the process dialogs start: each job command (JOB_*,
// editor/command_ids.h) runs its job on the current canvas's document with
// the options the dialog has just stored in the properties, reports its
// progress in the log window (shown while it runs) and shows a failure in
// an error box. Open documents that a job changed are redrawn and their
// titles say so.
//
// A job that works on the current document refuses without one (error 68)
// and for a document never saved (error 81): it reads the document's files.
// Before a job that reads them (the ERC, the netlist, the bill of
// materials, Decompile Sheet and Archive Library over the sheets of the
// hierarchy as saved; Decompile and List Library over a library window's
// file), the open windows among them with changes not saved are named in
// one question (50104, Yes / No / Cancel): Yes saves them and runs the job,
// No runs it on the saved files and ends its log with a line naming them,
// Cancel runs nothing. Annotation and back-annotation work on the open
// documents themselves and ask nothing. The OrCAD conversion needs no
// document. A compiled library or title block opens in its editor, also
// after an error the job reported while writing it.
#include <vector>

#include "shell/commands.h"

// The handler of every job command's row.
void run_process_job(const CommandCall& call);
// The rows of the Tools menu's commands, which open the process dialogs,
// and of the job commands they send; both run with or without a window.
std::vector<CommandRow> process_command_rows();
