#pragma once
// Back-annotation: the reference renames and pin swaps that a board-layout
// step made, read from a change file beside the root schematic (suffix
// EXT_BAN), applied to every sheet of a project.
//
// The change file's language (one statement a line, every line ended by a
// line feed, the last one included):
//     'old' 'new'                      the part 'old' becomes 'new'
//     SWAP 'pin1' 'pin2' IN 'ref'      the two pins of part 'ref' exchange
//                                      their numbers ("swap", "in" too)
// blank lines and /* comments */ anywhere; in a string '' is one quote; a
// string holds at most 255 characters.
//
// Phases of a run (backannotate):
//   1. every listed sheet is taken (annotate_sheets.h): the open document
//      in the editor, else the file; a sheet that cannot be loaded ends the
//      run before anything changed;
//   2. the change file is parsed once per sheet, each statement applied to
//      that sheet right after its line is read; a part renamed once is
//      marked (state 0x10) so that a later rename of the same file does
//      not move it again;
//   3. a syntax error ("backannotate : Error : parse error at line %d\n")
//      ends the run with 1 and nothing is stored; else every sheet is
//      stored: saved (the first under BACK_OUTFILE when set), or its open
//      document marked modified.
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "connectivity/annotate_sheets.h"

struct List;
struct PlacedPart;
struct Schema;

// The parts of a sheet by a reference text, each with its place in the
// sheet, in sheet order.
using BaPartsByText = std::unordered_map<std::string, std::vector<std::pair<size_t, PlacedPart*>>>;

// Longest text of a string of the change file.
constexpr size_t BA_STRING_MAX = 255;

// The state of one parse: the input, the line counter, the strings read,
// and the sheet the statements work on.
struct BaContext {
    FILE* in = nullptr;
    int line = 1;
    std::vector<std::string> strings;  // string values by index
    Schema* schema = nullptr;
    const JobLog* log = nullptr;
    void* scanner = nullptr;  // the scanner's own state (yyscan_t)
    // The sheet's parts by their references, without device letter and as
    // shown (one entry when the two are alike), made at the first statement
    // and grown by each rename; an entry whose part was renamed away from
    // its text is passed over.
    BaPartsByText parts;
    bool parts_listed = false;

    const char* string(int index) const { return strings.at(static_cast<size_t>(index)).c_str(); }
};

// The scanner: ba_scan_begin sets the line counter to 1 and the normal
// start state on the context's input; ba_scan_end frees its buffer.
void ba_scan_begin(BaContext* ctx);
void ba_scan_end(BaContext* ctx);
// Parses the whole input, applying each statement: 0 accepted, 1 a syntax
// error, 2 a parser stack overflow (each reported through the log with
// "backannotate : Error : %s at line %d\n").
int yyparse_backannotate(BaContext* ctx);
void yyerror_backannotate(BaContext* ctx, const char* message);

// The statement actions on the context's sheet.
void ba_rename(BaContext* ctx, const char* old_reference, const char* new_reference);
void ba_swap(BaContext* ctx, const char* reference, const char* pin1, const char* pin2);

// Parses a change file held in memory against a sheet (tests, fuzzing):
// the parse result.
int ba_parse_text(const std::string& text, Schema* schema, const JobLog& log);

// The job. *name (when given) is left holding the sheet being worked on.
// 0; -1 when the change file cannot be opened; the load code of a sheet;
// 1 for a syntax error, 2 for a parser stack overflow; the code of a save
// that failed.
int backannotate(const char* root, std::string* name, JobPrint print, List* sheets);
