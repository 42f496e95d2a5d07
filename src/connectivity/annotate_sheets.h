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
// changes them in memory and stores each: loaded sheets are saved (once),
// documents changed in place are marked modified, and a loaded sheet whose
// save name is open in the editor replaces that document's items.
#include <string>
#include <vector>

struct List;
struct Schema;

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

class JobSheets {
public:
    JobSheets() = default;
    ~JobSheets();
    JobSheets(const JobSheets&) = delete;
    JobSheets& operator=(const JobSheets&) = delete;

    // Takes every listed file (names as list_project_sheets gives them),
    // the first to be stored under first_save_name when that is not empty.
    // `loading` (a format with one %s, may be null) is reported as a progress
    // line before each file. 0, or the load code of the first file that
    // cannot be had (*failed names it); nothing is kept then.
    int take(List* names, const char* first_save_name, const JobLog& log, const char* loading,
             std::string* failed = nullptr);
    std::vector<JobSheet>& sheets() { return sheets_; }

    // Stores sheet i as described at the top. The save's code (a declined
    // overwrite question is no failure: 0), else 0. `saving` and `updating`
    // (formats with one %s, may be null) are reported as progress lines.
    int store(size_t i, const JobLog& log, const char* saving, const char* updating);

private:
    std::vector<JobSheet> sheets_;
};

// The open document of the file, or null.
Schema* open_document(const std::string& file);
// Replaces the items and own library of the open document `target` with
// those of `source` (the library moves, the items are copied keeping their
// references and time stamps) and marks it modified.
void replace_document_items(Schema* target, Schema* source);
