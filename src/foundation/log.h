#pragma once
// The log's printf-style output: the text goes to the log window (through
// the services) and, when the LOGFILE property names a file, is appended
// to that file too. Batch jobs take it as their progress callback.
void log_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
