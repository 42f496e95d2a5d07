#pragma once
// Annotation: every placed part of a project gets a reference designator,
// prefix + number ("U?" while not annotated), and the devices of
// multi-device packages are packed: parts with the same prefix and the
// same combine text (value and chosen fields) share one number until every
// device of the package is used; the device letter 'A' + device follows
// the number in the reference text.
//
// Phases of a run (annotate):
//   1. every listed sheet is taken (annotate_sheets.h): the open document
//      in the editor, else the file; a sheet that cannot be loaded ends the
//      run before anything changed;
//   2. unless every reference is reset (ANNO_UNCOND), the references in
//      place are registered in the engine first, so that new numbers avoid
//      them; a conflict (two parts on one device, or one number with two
//      combine texts) ends the run with -1, nothing changed;
//   3. each part is prepared (reset, device cleared) and, unless
//      unannotating, given the first free number and device;
//   4. each sheet is stored: saved (the old file kept as ".BAK" when
//      BAK_FILE is on), or its open document marked modified.
//
// The engine keeps, per prefix, the packages by number with their used
// device masks and combine texts. A package of more devices than there are
// device letters (26) is refused: its parts are never annotated.
//
// check_annotation, run before each electrical rule check, reports sheets
// that are not fully annotated and references (with their device letter)
// used on more than one sheet.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "connectivity/annotate_sheets.h"

struct List;
struct PlacedPart;
struct Schema;

// Device letters 'A'..'Z': the largest package annotation packs.
constexpr int ANNO_MAX_DEVICES = 26;

// One package of a prefix.
struct SubId {
    int number = 0;
    uint32_t mask = 0;    // used devices; bits from the device count up are set
    std::string combine;  // the combine text of its parts
};

// The engine of one run.
struct AnnoPrefix {
    std::string prefix;
    int first_avail = 1;
    std::map<int, SubId> packages;  // by number
    // Numbers of packages that are not full, per combine text.
    std::unordered_map<std::string, std::set<int>> open_packages;
    // First number at or after a key with no package (path-compressed).
    std::unordered_map<int, int> skip;
};
struct AnnoEngine {
    std::map<std::string, AnnoPrefix> prefixes;  // prefixes compared exactly
};

// Empties the engine (a new one when *engine is null).
void anno_engine_init(AnnoEngine** engine);
void anno_engine_free(AnnoEngine* engine);
// Debug listing: "Node '%s' -- First avail %d\n" per prefix,
// "\tSubid '%s' bits 0x%08x combine '%s'\n" per package, then "\n".
void anno_engine_dump(const AnnoEngine* engine);

// The match text: "V" and ",f%d" (i + 1) for each chosen field i.
std::string anno_match_text();
// The combine text of a part: the value and, for each chosen field i,
// ",f" and the text of attribute i + 2 ("NULL" when missing). Built for
// every field number, however many there are.
std::string anno_combine_text(PlacedPart* part, const std::string& match);

// Registers the reference in place: 0 (also for a part not annotated);
// -1 with "Part %s: bad combine value\n", "Part %s: device already used\n"
// or "Part %s: too many devices\n" through print (when given).
int anno_keep_reference(Schema* schema, AnnoEngine* engine, const std::string& match,
                        PlacedPart* part, JobPrint print);
// Gives a part not yet annotated the first free number and device: 0; -1
// for a package of more than 26 devices (the part keeps its reference).
int anno_assign_reference(Schema* schema, AnnoEngine* engine, const std::string& match,
                          PlacedPart* part);
// Resets an annotated reference to prefix + "?" and device 0 (uncond), or
// the device of a part not annotated to 0 (unless keep).
void anno_prepare_part(Schema* schema, bool uncond, bool keep, PlacedPart* part);

// The annotation job over a list of sheet file names (heap strings, as
// list_project_sheets gives them). 0; the load code of a sheet that cannot
// be loaded; -1 when the references in place conflict; the code of a save
// that failed.
int annotate(JobPrint print, List* sheets, bool unannotate);

// The verification. Its warnings go to print (null: the running net job's
// warning hook, else log_printf) and, when given, to *findings (one line
// each, ended by "\n"). 0, or the load code of a sheet that cannot be
// loaded.
int check_annotation(List* sheets, JobPrint print, std::string* findings = nullptr);
// Set by check_annotation: some sheet is not (or partly) annotated (error
// 50105); some reference appears on two sheets (50106).
extern bool anno_not_annotated;
extern bool anno_duplicates;
