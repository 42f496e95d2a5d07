#pragma once
// The electrical rule check (ERC): every pair of connection points on a net
// is judged by their electrical classes through the 17 x 17 decision
// matrix ERC_TABLE (0 nothing, 1 warning, anything else an error); points
// left alone on a net are listed; module ports are checked across the
// design in the final report. Each judged pair becomes a finding, numbered
// from 1 in the report and in an ERC mark put at the earlier point (a
// warning's mark number is raised by 10000).
//
// Phases of the per-sheet check (erc_sheet):
//   1. nets with at least two real members are marked (state bit 2);
//   2. "Report:": for each such net, in islands order, each member with a
//      class against each later member with a class, the earlier member's
//      class being the matrix row;
//   3. "Unconnected Pins :": every member of the other nets, unless the net
//      holds a no-connect mark or is a bus member net, or the member is a
//      module port of a bus range whose member nets exist.
// Pins of one net on different sheets meet only through ports: each sheet's
// check judges its pins against its module ports and sub-sheet ports, and
// the final report, over the linked design, the ports against each other.
//
// Every line ends with put_newline. The report file's name is kept in the
// schema (erc_report) so that erc_mark_details can read a finding back.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "connectivity/annotate_sheets.h"  // JobPrint

#include "foundation/geometry.h"
#include "foundation/heap.h"
#include "foundation/open_table.h"

class FileSet;
struct List;
struct NetContext;
struct PseudoPin;
struct Schema;

// Classes of a net member.
enum : int {
    ERC_INPUT_PIN = 0,
    ERC_IO_PIN = 1,
    ERC_OUTPUT_PIN = 2,
    ERC_OC_PIN = 3,
    ERC_PASSIVE_PIN = 4,
    ERC_3STATE_PIN = 5,
    ERC_OE_PIN = 6,
    ERC_POWER_PIN = 7,
    ERC_INPUT_PORT = 8,
    ERC_OUTPUT_PORT = 9,
    ERC_IO_PORT = 10,
    ERC_UNSPEC_PORT = 11,
    ERC_INPUT_SHEET = 12,
    ERC_OUTPUT_SHEET = 13,
    ERC_IO_SHEET = 14,
    ERC_UNSPEC_SHEET = 15,
    ERC_UNCONNECTED = 16,
    ERC_CLASSES = 17,
    ERC_NO_CLASS = -1,  // other pins, power symbols, no-connect marks
};

// The class's name in the report ("" for ERC_UNCONNECTED and no class).
const char* erc_class_name(int erc_class);
// The type word of a pin type in member lines (" " for an unknown type).
const char* erc_pin_type_word(int pin_type);
// The class of a member, or ERC_NO_CLASS.
int erc_member_class(const PseudoPin* member);
// The matrix cell of two classes (low byte of ERC_TABLE).
int erc_severity(int row, int column);
// The member line (six blanks, the member's description, a line end).
void erc_member_line(FILE* report, Schema* schema, const PseudoPin* member);

// --- the job's state ------------------------------------------------------------------
// The number of the next finding (1 at the start of an analysis).
extern int erc_error_number;
// Set by every finding and every listed unconnected member; cleared by
// erc_report. The shell asks before formatting a netlist when it is set.
extern bool erc_found_errors;
// The list the marks of the sheet being checked go to (Ident-free ErcMark*).
extern List* erc_current_marks;

// Adds an ERC mark at the point numbered as the current finding: 0, or 55
// when no list or mark can be had.
int one_more_err(Point point, int severity);

// --- checks ---------------------------------------------------------------------------
// The per-sheet check of the nets just built (the context's islands): the
// marks list is taken from and handed back through *marks. 76 without an
// islands list, else 0.
int erc_sheet(NetContext* context, Schema* schema, FILE* report, List** marks);
// The final report over the context's nets (a linked design, or one
// sheet's): a net with ports of sub-sheet boxes has each of them compared
// with the module port of the box's own sheet (same direction wanted);
// any other net has its module ports checked (more than one output, inputs
// without output, unconnected). 0.
int erc_final_report(NetContext* context, FILE* report);

// --- the job ------------------------------------------------------------------------------
// What one run holds between sheets: the sheet checked last and its nets
// (members point into the sheet, so it is freed after them).
struct ErcRun {
    Schema* schema = nullptr;
    NetContext* context = nullptr;
    // The net files of the sheets saved after them (marks and stamps only:
    // their nets are those of the sheets as saved).
    std::vector<std::string> net_files_of_saved;
    // The sheet a failed load, net-file write or save concerns.
    std::string failed_file;
    // The new marks (owned, null for none) of the documents open in the
    // editor, given to them only once the check's report is decided: a
    // check that fails first leaves their marks as they were.
    struct OpenMarks {
        Schema* document;
        List* marks;
    };
    std::vector<OpenMarks> open_marks;

    ErcRun() = default;
    ~ErcRun();
    ErcRun(const ErcRun&) = delete;
    ErcRun& operator=(const ErcRun&) = delete;
    // Frees the sheet and its nets (the open documents' marks stay held).
    void release();
    // Gives each open document its new marks and the report's name (and
    // asks for its redraw).
    void place_open_marks(const char* report_name);
    // Frees the marks held for open documents.
    void drop_open_marks();
};
// Gives every placed part and sub-sheet box of the root sheet whose time
// stamp was met before (in *used) the next stamp of *counter that was not;
// records each stamp. True when a stamp changed.
// The time stamps met so far, in open addressing (a node each, as a
// standard set keeps them, costs an allocation and a cache miss a part).
class StampSet {
public:
    // Adds the stamp; false when it was there already.
    bool insert(uint32_t stamp);
    // Room for `more` stamps besides those added, so that a sheet's stamps
    // are filed once rather than again at each doubling.
    void reserve(size_t more);

private:
    struct Slot {
        uint32_t stamp = 0;  // 0: an empty slot (the stamp 0 is kept apart)
        bool empty() const { return stamp == 0; }
    };
    static size_t home(uint32_t stamp) { return mix_bits(stamp) >> 32; }
    OpenTable<Slot, TableVector<Slot>> slots_;
    bool zero_ = false;
};
bool renumber_stamps(Schema* schema, StampSet* used, uint32_t* counter);
// The annotation check, then each sheet: its "Analyzing" line, its nets
// built and checked, its marks placed. 0, or the OR of the build results;
// the code of a check, load or save that failed. With a set, the sheets that
// change are saved into it (its commit replaces them), else each at once.
// The marks of a sheet open in the editor wait in run->open_marks.
int erc_analyze(FILE* report, const char* report_name, ErcRun* run, List* sheets, JobPrint print,
                FileSet* changed = nullptr);
// The ERC job (see erc_report.cpp). 0; -1 when the report cannot be made;
// the code of the sheet list, the annotation check, a load or a save; 6 or
// 7 when writing the report failed. *concerned (when given) gets the file
// a failure concerns: the report, or the sheet that could not be read or
// written. Sheets outside the root's folder are named first
// (confirm_outside_sheets): declined, DOC_CANCELLED and nothing written.
int erc_report(const char* root, const char* report_file, JobPrint print,
               std::string* concerned = nullptr);

// --- reading a finding back -------------------------------------------------------------
// Looks up finding `number` in the schema's ERC report file; true with its
// two member lines kept (erc_mark_detail_line 0 and 1). Lines may end in
// LF, CR-LF or CR.
bool erc_mark_details(Schema* schema, int number);
const std::string& erc_mark_detail_line(int which);
