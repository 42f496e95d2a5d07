#pragma once
// What the jobs that rewrite a project's sheets share (annotation and
// back-annotation): their print callback with the VERBOSE rule, debug
// lines, and the project's sheets held in memory for one run.
//
// Every sheet is taken before any file changes. A sheet whose document is
// open in the editor (services().find_open_file) and that goes back to the
// same file is worked on in place, so its unsaved edits stay; every other
// sheet is loaded from its file. When a sheet cannot be loaded the job
// stops before it has changed anything. Once every sheet is had, the job
// changes them in memory and stores them: the loaded sheets are saved as
// one set of files (foundation/file_system.h FileSet: replaced only when
// every one is written), then documents changed in place are marked
// modified, and a loaded sheet whose save name is open in the editor
// replaces that document's items. A job stopped while replacing the files
// leaves them to the next run of the same job on the same root, which
// completes them before it takes the sheets; any other job refuses,
// naming the stopped one, until then.
#include <memory>
#include <string>
#include <vector>

#include "foundation/file_system.h"  // JOB_HALF_SAVED, SetOwner

struct List;
struct Schema;
class ProjectWrites;

// The printf-style print callback of a job (the shell passes log_printf;
// null stands for log_printf).
using JobPrint = void (*)(const char* format, ...);

// A job's output: progress lines only when its VERBOSE property is set,
// warnings always.
class JobLog {
public:
    JobLog(JobPrint print, int verbose_property);
    bool verbose() const { return verbose_; }
    JobPrint print() const { return print_; }
    void progress(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void always(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    // A failure as one line: "*** ERROR *** : ", the error table's message
    // of the code with the file named.
    void failed(int code, const std::string& file) const;

private:
    JobPrint print_;
    bool verbose_;
};

// printf into a std::string.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A formatted line on the debug output (seen only with "-debug").
void debug_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

struct JobSheet {
    std::string file;       // the listed file name
    std::string save_name;  // where the result goes
    Schema* schema = nullptr;
    bool in_place = false;  // the editor's document (not owned); else loaded (owned)
};

// The owners of the sets the jobs write: which job, and for a
// back-annotation its change file.
SetOwner annotation_owner(bool unannotate);
SetOwner backannotation_owner(const std::string& change_file_identity);
SetOwner erc_owner();

class JobSheets {
public:
    explicit JobSheets(SetOwner owner);
    ~JobSheets();
    JobSheets(const JobSheets&) = delete;
    JobSheets& operator=(const JobSheets&) = delete;

    // Takes every listed file (names as list_project_sheets gives them),
    // the first to be stored under first_save_name when that is not empty.
    // First completes the files a stopped run of the same job (the same
    // owner) on the same root left half replaced (completed_earlier()
    // tells), or refuses: 86 with a warning saying why (another job's
    // files are left, or its record is not one this run can trust). `loading` (a format with one %s, may be null) is reported
    // as a progress line before each file. 0, or the load code of the first
    // file that cannot be had (*failed names it); nothing is kept then.
    int take(List* names, const char* first_save_name, const JobLog& log, const char* loading,
             std::string* failed = nullptr);
    std::vector<JobSheet>& sheets() { return sheets_; }
    bool completed_earlier() const { return completed_earlier_; }

    // Stores every sheet as described at the top. When files of the set
    // exist, one question ("The files will be Overwritten", code
    // FILES_OVERWRITTEN, with their count; FILES_OVERWRITTEN_OUTSIDE, naming
    // them too, when some lie outside the root's folder, which are named
    // then even when none exists) comes first; declined, no file is
    // written and no open document replaced. 0, or the code of the first
    // sheet that cannot
    // be saved (*failed names it; no file and no open document changed) or
    // of the replacement. `saving` and `updating` (formats with one %s, may
    // be null) are reported as progress lines.
    int store_all(const JobLog& log, const char* saving, const char* updating,
                  std::string* failed = nullptr);

private:
    // True when no file of the set exists or the user agrees to replace
    // them; the sheets outside the root's folder are named (in the log too).
    bool confirm_set_overwrite(const JobLog& log) const;

    SetOwner owner_;
    // The rule of the job's writes over the project, from take on.
    std::unique_ptr<ProjectWrites> writes_;
    std::vector<JobSheet> sheets_;
    std::string anchor_;  // the first listed file: the root
    bool completed_earlier_ = false;
};

// The question before a job replaces existing sheets of its set ("The files
// will be Overwritten", with the number of sheets).
constexpr int FILES_OVERWRITTEN = 88;

// For the jobs that read a project without taking its sheets through
// JobSheets: JOB_HALF_SAVED, with a warning naming the stopped job that is
// to be run again, when one left the sheets of the root half replaced;
// else 0.
int refuse_half_saved(const char* root, const JobLog& log);

// Before a job that saves the sheets of the root (`targets`: the completed
// names it saves them under) changes any: completes what a stopped run of
// the same owner left (*completed true), clears a record that has nothing
// left to move, or refuses with JOB_HALF_SAVED and a warning naming the
// stopped job. 0 to go on.
int settle_stopped_run(const char* root, const SetOwner& owner,
                       const std::vector<std::string>& targets, const JobLog& log, bool* completed);

// The root's file as the jobs load it (a name completed as a sheet).
std::string root_sheet_file(const char* root);

// The open document of the file, or null.
Schema* open_document(const std::string& file);
// Replaces the items and own library of the open document `target` with
// those of `source` (the library moves, the items are copied keeping their
// references and time stamps) and marks it modified.
void replace_document_items(Schema* target, Schema* source);
