#pragma once
// The foreign library source converter: reads an OrCAD SDT library source
// (a text of parts with pins and body graphics), builds a native library
// in x1000 units, resolves its vector references and writes it twice: as
// ASCII library source and as binary library, both in the library
// directory, each after the overwrite question when the file exists.
#include <cstdio>
#include <string>
#include <string_view>

#include "import/sdt_job.h"  // ImportReport

struct Library;
struct Sdt2scContext;

// 0 on success; -1 when the source cannot be opened; 1 for a syntax error
// and 2 for a parser stack overflow (nothing is written then); else the
// code of the last write (50 when a file cannot be created). `written`
// (when given) receives the binary library's name, or "" when none was
// written. The library directory is the job's project (file_system.h
// ProjectWrites): a file there of another kind, or a link out of it to a
// file that is not a library (source), is never replaced; such a refusal
// (FILE_NOT_WRITTEN, the file named in the log) leaves both files as they
// were.
int convert_orcad_library(const char* file_name, ImportReport report,
                          std::string* written = nullptr);

// The parse itself, into a library the caller owns: 0, 1 (syntax error, with
// the message "sdt2sc : Error : parse error at line %d"), or 2 (stack
// overflow). After a failure the library holds what was built before it.
int sdt2sc_parse_file(FILE* file, Library* library, ImportReport report);
int sdt2sc_parse_text(std::string_view text, Library* library, ImportReport report);

// The steps of one parse: line 1 and the source state; the parser run;
// the release of the scanner and of whatever no record took.
void sdt2sc_begin(Sdt2scContext* ctx);
int sdt2sc_parse(Sdt2scContext* ctx);
void sdt2sc_end(Sdt2scContext* ctx);
