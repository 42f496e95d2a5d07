#pragma once
// The batch jobs that the process dialogs start: each job command (20161
// ERC ... 20322) runs its job on the current canvas's document with the
// options the dialog has just stored in the properties, reports its
// progress in the log window (shown while it runs) and shows a failure in
// an error box. Open documents that a job changed are redrawn and their
// titles say so.
//
// A job that works on the current document refuses without one (error 68)
// and for a document never saved (error 81): it reads the document's files.
// The OrCAD conversion needs no document. A compiled library or title
// block opens in its editor.
#include <vector>

#include "shell/commands.h"

// The handler of every job command's row.
void run_process_job(const CommandCall& call);
// The rows of the Tools menu's commands, which open the process dialogs,
// and of the job commands they send; both run with or without a window.
std::vector<CommandRow> process_command_rows();
