#pragma once
// Batch conversions of documents between their binary and ASCII source
// forms, the library listing, the library archive of a project's sheets and
// the list of a project's sheets.
//
// Every job takes a printf-style report function (the shell passes
// log_printf; null stands for log_printf too). Progress lines go through it
// only when the job's VERBOSE property is set; warnings and errors always.
// A job returns 0 or the code of its first failing step (error table); a
// write that failed is never reported as success. Every file is written
// through a temporary file renamed over the old one (AtomicFile).
//
// Output names: an empty output name is derived from the input, which loses
// its suffix and gets the one of the output's document kind.
#include <string>
#include <vector>

#include "model/documents/compil_actions.h"  // CompilReport, SheetList

class ProjectWrites;
struct Library;
struct List;
struct Schema;
struct Text;

// The report hook of every job: a format and its arguments.
using BatchReport = CompilReport;

// --- libraries ---------------------------------------------------------------------
// Binary library to source: 0, the library's read error (63, 64),
// or the write's code (50, 6, 7). Declining the overwrite question skips
// the writing (0). "Conversion done" is logged only when the source was
// written.
int decompile_library(const char* input, const char* output, BatchReport report);
// A library held in memory (a sheet's own parts) to source, named output
// or, when that is empty, `document` with the source suffix: 0 or the
// write's code; declining the overwrite question writes nothing (0).
int decompile_library_of(Library* library, const char* document, const char* output,
                         BatchReport report);
// Source library to binary: 0, 51 when the source cannot be opened, 8 for
// a syntax error (or a builder's own stop), the resolve code (74, 75) of a
// library written all the same, the write's code (50, 6, 7). *written
// (when given) gets the name of the file written, empty when none was.
int compile_library(const char* input, const char* output, BatchReport report,
                    std::string* written = nullptr);
// The listing (prefix report) of a library: its name is LIBLIST_OUTFILE
// when set, else the input without its suffix; *name (when given) gets the
// listing's file name. 0, the library's read error, or the report's code.
int list_library(const char* input, BatchReport report, std::string* name);

// --- sheets and title blocks -----------------------------------------------------------
// Compiles the schematic source root, and (unless COMPSHEET_HIER) every
// sub-sheet file its boxes name, once each (names that reach one source
// file are one sheet).
// *sheets (when given) ends holding the entries compiled, {flag 0, root}
// first (its name replaced by the output name when one was given), then
// {flag 1, file} for each sub-sheet. *name (when given) gets the last
// source name tried. 0, or the first failure: 51 cannot open, 8 syntax, a
// resolve code (74, 75), a save code (50, 6, 7).
int compile_sheets(const char* root, const char* output, SheetList* sheets, std::string* name,
                   BatchReport report);
// Title-block source to binary: 0, 51, 8, or the save's code. *written
// (when given) gets the name of the file written, empty when none was.
int compile_titleblock(const char* input, const char* output, BatchReport report,
                       std::string* written = nullptr);
// Writes the source of every listed sheet (a project sheet list); the name
// is PARTSCH_OUTFILE with PARTSCH_HIER set and that property not empty,
// else each sheet's own. 0, or the first load or write failure. Sheets
// outside the root's folder are named first (confirm_outside_sheets):
// declined, nothing is written (0). So for libarch and compile_sheets
// (which names them once every sheet is compiled, before any is replaced).
int decompile_sheets(const char* root, BatchReport report, List* sheets);
// Writes the own library of every listed sheet (every part it uses) as a
// binary library: output for the first sheet when given, else each sheet's
// name. Its "Loading sheet file" and "Writing binary library file" lines
// are reported always; LIBARCH_VERBOSE adds the closing "libarch, done".
// 0, or the first load or write failure.
int libarch(const char* root, const char* output, BatchReport report, List* sheets);

// --- project sheet lists -------------------------------------------------------------
// What went wrong while a project's sheets were listed.
struct SheetListError {
    int code = 0;      // 0; 85 a sheet could not be loaded; 9 no memory
    std::string name;  // the sheet that could not be loaded
};
// The sheets of a project as a list of heap (malloc'd) file names, each
// once (names that reach one file on disk are one sheet, listed under the
// first of them met), the root first: the root alone when single is set, else every
// sub-sheet file and every "&PROJ:" name of each listed sheet in turn.
// *repeated (when given) tells whether a sheet was named twice. Null when a
// sheet cannot be loaded or memory runs out (*error tells which). Free the
// list with free_name_list. With `root_schema` given, the root's document
// as the walk loaded it is handed over there (null when it was not
// loaded: `single`, or a failure), so that a job that goes on to read the
// root need not load it a second time; the caller frees it.
List* list_project_sheets(const char* root, bool single, bool* repeated,
                          SheetListError* error = nullptr, Schema** root_schema = nullptr);
void free_name_list(List* list);
// The folders of the listed sheets are the project's (foundation/
// file_system.h ProjectWrites: where a job may create files through links).
void add_sheet_folders(ProjectWrites& writes, List* sheets);

// --- sheets outside the root's folder -----------------------------------------------
// Shared sub-sheets may lie in a folder of their own ("../lib/sub.sch"),
// and so may a hostile project's: a job that writes such a sheet, or a
// file beside one, says so before it writes anything.

// The question naming them ("The files will be Overwritten", with the
// count and the names).
constexpr int FILES_OVERWRITTEN_OUTSIDE = 89;

// The names of `sheets` (as listed) whose files lie outside the folder of
// the root sheet `root` and the folders below it.
std::vector<std::string> sheets_outside(const char* root, const std::vector<std::string>& sheets);
std::vector<std::string> sheets_outside(const char* root, List* sheets);
// Before a job writes the sheets `outside` (sheets_outside) or files
// beside them: a line in the job's log for each, then the question with
// `count` (the files the job overwrites) and their names. True to go on:
// none lies outside, or the user agreed (a batch run takes the box's
// default, OK).
bool confirm_outside_sheets(const char* root, const std::vector<std::string>& outside, int count,
                            BatchReport report);

// The names of a "&PROJ:" text (six characters, any case): the comma
// separated pieces after it with every blank dropped, empty ones skipped.
// Empty for any other text.
std::vector<std::string> proj_path_names(const char* text);
// True when kind is 1 and the text starts with "&PROJ:" (any case); false
// for an empty text. A stroke text without layout is laid out first.
bool text_is_proj_path(Text* text, int kind);
