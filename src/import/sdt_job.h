#pragma once
// The schematic import job: one foreign schematic (32-bit or 16-bit) and,
// on request, every sub-sheet file it names, each converted once into a
// native schema file (genwind.h does one file).
//
// The job reports through a printf-style callback (the shell passes
// log_printf): progress lines only while SDT_VERBOSE is set, the format
// line "Input is an OrCad ..." and every "*** WARNING ***: " line always,
// and "Conversion Aborted" for a failed job.
//
// Files are looked up as written, then ignoring case component by
// component ('\' separates like '/'). Two names are the same file when
// their normalised paths agree ignoring case, so a hierarchy that names a
// file twice, comes back to a file above it or names itself converts every
// file once.
#include <memory>
#include <string>
#include <vector>

#include "import/foreign.h"

struct List;

// True when two stored names name the same file: their system paths,
// made absolute and normalised, agree ignoring case.
bool sdt_same_file(const std::string& a, const std::string& b);

// The printf-style progress callback of the import jobs.
using ImportReport = void (*)(const char* format, ...);

// The files loaded by the running job in loading order; empty outside a job.
extern std::vector<std::unique_ptr<ForeignFile>> loaded_files;

// Writes through the running job's callback (log_printf outside a job).
void sdt_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Converts the schematic (and, unless SDT_HIER, its hierarchy). `written`,
// when given, receives a heap copy (str_dup) of the name of every schema
// file written. SDT_LIBFILE (the library the parts are taken from; empty:
// the input's base name) is restored afterwards, and every library the job
// opened is closed again. 0 when every file converted; -1 when the input
// cannot be opened or read, is no foreign schematic, or a file of the
// hierarchy failed (files converted before it stay written).
// The sheets are written into the project directory, the job's project
// (file_system.h ProjectWrites): a file there that is not a sheet, or a
// link to a file outside that is not one, is never replaced; such a
// refusal (FILE_NOT_WRITTEN, the file named in the log) puts none of the
// job's sheets in place. 6 when the sheets could not be put in place.
int convert_orcad_schematic(const char* file_name, ImportReport report, List* written);

// One file whose format is still open: -1 when it cannot be opened or read
// or is neither format; else the result of its conversion and, with
// descend, of its hierarchy walk.
int sdt32_load(const char* file_name, bool descend, bool quiet, List* written);
// The same for a file taken as a 16-bit file (its name completed in the
// directory of the job's input).
int sdt16_load(const char* file_name, List* written, bool descend, bool quiet);
// 0, or the first non-zero result of a sub-sheet conversion.
int sdt32_walk_hierarchy(ForeignFile* file, List* written);
int sdt16_walk_hierarchy(ForeignFile* file, List* written);
// 0 when the file was loaded by this job already, else the loader's result.
int sdt32_convert_subsheet(const char* name, List* written);
int sdt16_convert_subsheet(ForeignFile* parent, const char* name, List* written);

// The readable listing of every loaded file (a developer's aid; nothing
// calls it): 16-bit files record by record, 32-bit files by name only.
void sdt_dump_files(FILE* out);

// --- open libraries by file name ---------------------------------------------
// True when lib_list holds a library read from the file the name names as a
// binary library (kind 1, mode 1), compared ignoring case.
bool library_is_open(const char* name);
// Frees the open library read from that file (compared as above) and takes
// it out of lib_list; lib_list is sorted by index again in every case.
void library_close_file(const char* name);
