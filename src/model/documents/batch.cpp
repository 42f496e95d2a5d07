#include "model/documents/batch.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include <strings.h>
#include <sys/stat.h>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/compil_actions.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "model/documents/subsheet.h"
#include "model/items/item.h"
#include "model/items/library.h"
#include "model/items/libutil.h"
#include "model/items/text.h"

namespace {

// Document kinds of the names the jobs make (document.h names the others).
constexpr int KIND_LIBRARY_SOURCE = 3;
constexpr int KIND_LISTING = 7;

constexpr int CODE_NO_MEMORY = 9;
constexpr int SHEET_NOT_FOUND = 85;  // "Sheet not found:\n"

// The report of one job: progress lines only when its VERBOSE property is
// set, everything else always.
struct JobReport {
    BatchReport report;
    bool verbose;

    JobReport(BatchReport given, int verbose_property)
        : report(given ? given : log_printf), verbose(proper_get(verbose_property) != 0) {}

    template <class... Args>
    void progress(const char* format, Args... args) const {
        if (verbose) report(format, args...);
    }
    template <class... Args>
    void always(const char* format, Args... args) const {
        report(format, args...);
    }
};

// A declined overwrite skips a step; it is no failure of the job.
int unless_cancelled(int code) { return code == DOC_CANCELLED ? 0 : code; }

// The name without its suffix.
std::string without_suffix(const char* name) {
    std::string base = name ? name : "";
    change_suffix(base, "", 0);
    return base;
}

// The name without its suffix, completed for writing as the kind's file.
std::string output_name(const char* output, const char* input, int kind) {
    std::string name = output && *output ? std::string(output) : without_suffix(input);
    return make_kind_file_name(name.c_str(), kind, 2);
}

// Asks before an existing file is replaced: false when the user declined;
// the name may come back edited.
bool confirm_overwrite(std::string& name) {
    if (file_access(name.c_str(), 0) != 0) return true;
    std::string confirmed;
    if (!services().confirm_overwrite(name, &confirmed)) return false;
    if (!confirmed.empty()) name = confirmed;
    return true;
}

void debug_line(const char* format, int value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    services().debug_write(text);
}

// Reads a library through a list of its own, so that the job neither sees
// nor changes the libraries the user has open.
class PrivateLibraries {
public:
    PrivateLibraries() : saved_(lib_list) { lib_list = new_LibraryList(); }
    ~PrivateLibraries() {
        free_LibraryList(lib_list);
        lib_list = saved_;
    }
    PrivateLibraries(const PrivateLibraries&) = delete;
    PrivateLibraries& operator=(const PrivateLibraries&) = delete;

    // open_Library's result; *library gets the library read (null on failure).
    int open(const char* name, bool index_only, Library** library) {
        int code = open_Library(name, index_only);
        *library = code == 0 && lib_list->libraries->tail
                       ? static_cast<Library*>(lib_list->libraries->tail->data)
                       : nullptr;
        return code;
    }

private:
    LibraryList* saved_;
};

}  // namespace

// --- libraries ---------------------------------------------------------------------

namespace {

// Writes a library as source under the output name (or the input's with
// the source suffix); a job logs done only when the file was written.
int write_library_source(Library* library, const char* input, const char* output,
                         const JobReport& job) {
    std::string name = output_name(output, input, KIND_LIBRARY_SOURCE);
    if (!confirm_overwrite(name)) return 0;
    job.progress("Writing source library file... %s\n", name.c_str());
    int result = asave_Library(name.c_str(), library);
    debug_line("Conversion done, result %d.\n", result);
    if (result == 0) job.progress("Conversion done\n");
    return result;
}

}  // namespace

int decompile_library(const char* input, const char* output, BatchReport report) {
    JobReport job(report, DECOMP_VERBOSE);
    job.progress("Loading binary library file %s...\n", input);
    ProjectWrites writes(make_kind_file_name(input ? input : "", KIND_LIBRARY, 1).c_str(),
                         job.report);
    PrivateLibraries libraries;
    Library* library = nullptr;
    if (int result = libraries.open(input, false, &library); result != 0) return result;
    return write_library_source(library, input, output, job);
}

int decompile_library_of(Library* library, const char* document, const char* output,
                         BatchReport report) {
    JobReport job(report, DECOMP_VERBOSE);
    if (!library) return DOC_NO_SCHEMATIC;
    ProjectWrites writes(make_kind_file_name(document ? document : "", KIND_SCHEMA, 1).c_str(),
                         job.report);
    return write_library_source(library, document ? document : "", output, job);
}

int list_library(const char* input, BatchReport report, std::string* name) {
    JobReport job(report, LIBLIST_VERBOSE);
    job.progress("Loading binary library file %s...\n", input);
    ProjectWrites writes(make_kind_file_name(input ? input : "", KIND_LIBRARY, 1).c_str(),
                         job.report);
    PrivateLibraries libraries;
    Library* library = nullptr;
    int result = libraries.open(input, true, &library);
    if (result != 0) return result;
    const char* listing = strproper_get(LIBLIST_OUTFILE);
    std::string base = listing && *listing ? std::string(listing) : without_suffix(input);
    job.progress("Creating the listing %s\n", base.c_str());
    result = prefix_report(library, base.c_str());
    if (name) *name = make_kind_file_name(base.c_str(), KIND_LISTING, 2);
    return result;
}

// --- sheets a compile job wrote ------------------------------------------------------

namespace {

// The files a sheet names: its sub-sheet boxes' files, then the names of
// its "&PROJ:" texts, in item order; stops when fn answers false.
template <class Fn>
bool for_each_named_sheet(Schema* schema, Fn&& fn) {
    if (!schema || !schema->current) return true;
    for (SchItem* item : list_items<SchItem>(schema->current->items)) {
        if (item->type == SUBSHEET_ITEM) {
            const SubSheet* box = as_SubSheet(item);
            if (!box->file_name.empty() && !fn(box->file_name)) return false;
        } else if (item->type == TEXT_ITEM) {
            for (const std::string& name : proj_path_names(as_Text(item)->string.c_str()))
                if (!fn(name)) return false;
        }
    }
    return true;
}

// What a compile job knows of each sheet it wrote: the files the sheet
// names, with the identity of the file as written (device, inode, size,
// modification and change times). A listing that finds the very same file
// takes the names from here instead of loading the sheet once more only to
// read them; any later write, copy, rename over it, chmod or removal
// changes the identity, and the sheet is loaded as before.
struct WrittenSheet {
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    std::vector<std::string> names;
};
std::map<std::pair<dev_t, ino_t>, WrittenSheet> written_sheets;

bool same_time(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The file a stored name opens. A name that begins with '~' is left to the
// loader, whose reading of it is its own.
bool stat_regular_file(const std::string& file, struct stat* st) {
    if (file.empty() || file[0] == '~') return false;
    return ::stat(system_path(file.c_str()).c_str(), st) == 0 && S_ISREG(st->st_mode);
}

// The sheets this compile job saved, with the names each holds: the files
// are put in place at the job's end, and only then remembered.
std::vector<std::pair<std::string, std::vector<std::string>>> saved_sheets;

// `may_name`: false when the compiler saw nothing that names a sheet.
void note_saved_sheet(const std::string& file, Schema* schema, bool may_name) {
    std::vector<std::string> names;
    if (may_name)
        for_each_named_sheet(schema, [&](const std::string& name) {
            names.push_back(name);
            return true;
        });
    saved_sheets.emplace_back(file, std::move(names));
}

// Remembers each saved sheet as the file now on disk.
void remember_saved_sheets() {
    for (auto& [file, names] : saved_sheets) {
        struct stat st {};
        if (!stat_regular_file(file, &st)) continue;
        written_sheets[{st.st_dev, st.st_ino}] =
            WrittenSheet{st.st_size, st.st_mtim, st.st_ctim, std::move(names)};
    }
    saved_sheets.clear();
}

// The names the sheet of that name holds when it is a file a compile job
// wrote and nothing touched since; null otherwise.
const std::vector<std::string>* written_sheet_names(const char* name) {
    if (written_sheets.empty()) return nullptr;
    struct stat st {};
    if (!stat_regular_file(make_kind_file_name(name, KIND_SCHEMA, 1), &st)) return nullptr;
    auto found = written_sheets.find({st.st_dev, st.st_ino});
    if (found == written_sheets.end()) return nullptr;
    const WrittenSheet& sheet = found->second;
    if (sheet.size != st.st_size || !same_time(sheet.modified, st.st_mtim) ||
        !same_time(sheet.changed, st.st_ctim))
        return nullptr;
    return &sheet.names;
}

}  // namespace

// --- compile jobs --------------------------------------------------------------------

namespace {

constexpr int CODE_SYNTAX = 8;
constexpr int CODE_CANNOT_OPEN = 51;

// Opens a source and hands the stream to `compile` (a compile entry of
// compil_actions.h): 51 with "Can't open file '%s'\n" when the source cannot
// be opened, 8 when the compilation fails (its messages went to the report).
template <class Compile>
int parse_source(const std::string& source, const char* kind, const JobReport& job,
                 Compile compile) {
    FILE* file = open_file(source.c_str(), "r");
    if (!file) {
        job.always("Can't open file '%s'\n", source.c_str());
        return CODE_CANNOT_OPEN;
    }
    job.progress("Parsing %s source file %s...\n", kind, source.c_str());
    int code = compile(file);
    std::fclose(file);
    return code != 0 ? CODE_SYNTAX : 0;
}

}  // namespace

int compile_library(const char* input, const char* output, BatchReport report,
                    std::string* written) {
    JobReport job(report, COMPIL_VERBOSE);
    if (written) written->clear();
    std::string source = make_kind_file_name(input ? input : "", KIND_LIBRARY_SOURCE, 1);
    ProjectWrites writes(source.c_str(), job.report);
    Library* library = nullptr;
    if (int code = parse_source(source, "Library", job, [&](FILE* file) {
            return compile_library_file(file, input, job.report, &library);
        }))
        return code;
    job.progress("Resolving Vector References\n");
    int result = resolve_LibVectors(library, true);
    std::string name = output_name(output, input, KIND_LIBRARY);
    job.progress("Writing binary library file... %s\n", name.c_str());
    int saved = save_Library(name.c_str(), library);
    if (result == 0) result = saved;
    if (saved == 0 && written) *written = name;
    if (saved == 0) job.progress("Conversion done.\n");
    free_Library(library);
    return result;
}

int compile_titleblock(const char* input, const char* output, BatchReport report,
                       std::string* written) {
    JobReport job(report, COMPTMPL_VERBOSE);
    if (written) written->clear();
    std::string source = make_kind_file_name(input ? input : "", KIND_ASCII, 1);
    ProjectWrites writes(source.c_str(), job.report);
    Schema* schema = nullptr;
    if (int code = parse_source(source, "Title Block", job, [&](FILE* file) {
            return compile_schema_file(file, COMPIL_TITLEBLOCK, job.report, nullptr, &schema);
        }))
        return code;
    std::string base = output && *output ? std::string(output) : without_suffix(input);
    job.progress("Writing binary Title Block file %s...\n",
                 make_kind_file_name(base.c_str(), KIND_TITLEBLOCK, 2).c_str());
    int result = save_titleblock_file(base.c_str(), schema);
    if (result == 0) {
        if (written) *written = make_kind_file_name(base.c_str(), KIND_TITLEBLOCK, 2);
        job.progress("Conversion done.\n");
    }
    free_Schema(schema, false);
    return result;
}

namespace {

// Where a walk over a compile's sources puts each sheet: saved into `set`,
// or, without a set, only named in `targets` (the completed file names).
struct CompileOutput {
    FileSet* set = nullptr;
    std::vector<std::string>* targets = nullptr;
};

// The owner of the sets of sheets a compile saves.
SetOwner compile_owner() { return {"compile", ""}; }

// One sheet of a compile_sheets run: compiles it and saves the binary file.
int compile_one_sheet(SheetName& entry, const char* output, SheetList* sheets, SheetNames* names,
                      std::string* name, const JobReport& job, const CompileOutput& out) {
    std::string source =
        make_kind_file_name(without_suffix(entry.name.c_str()).c_str(), KIND_ASCII, 1);
    if (name) *name = source;
    CompilActions actions(nullptr, sheets, names);
    if (int code = parse_source(source, "Schema", job, [&](FILE* file) {
            return compil_file(file, COMPIL_SCHEMATIC, actions, job.report);
        }))
        return code;
    Schema* schema = actions.take_schema();
    job.progress("Resolving Vector References\n");
    int result = resolve_LibVectors(schema->library, true);
    if (result == 0) {
        std::string base;
        if (entry.flag != 0) {
            base = without_suffix(entry.name.c_str());
        } else {
            base = output && *output ? std::string(output) : without_suffix(entry.name.c_str());
            if (output && *output) entry.name = output;
        }
        const std::string file = make_kind_file_name(base.c_str(), KIND_SCHEMA, 2);
        if (out.set) {
            job.progress("Writing binary Schema file %s...\n", file.c_str());
            result = save_schema_file(schema, base.c_str(), true, out.set);
            if (result == 0)
                note_saved_sheet(last_written_schema(), schema, actions.may_name_sheets());
            result = unless_cancelled(result);
        } else {
            out.targets->push_back(file);
        }
    }
    close_schema(nullptr, &schema);
    return result;
}

// Compiles the root's source and every sub-sheet source it names, once
// each, into `out`; *done gets how many list entries were compiled.
int compile_walk(const char* root, const char* output, SheetList* sheets, std::string* name,
                 const JobReport& job, ProjectWrites& writes, const CompileOutput& out,
                 size_t* done) {
    sheets->clear();
    sheets->push_back(SheetName{0, root ? root : ""});
    // The names in the list, changed with it.
    SheetNames names;
    names.add(sheets->front().name);
    auto rename = [&](size_t i, const std::string& to) {
        if ((*sheets)[i].name == to) return;
        names.remove((*sheets)[i].name);
        names.add(to);
        (*sheets)[i].name = to;
    };
    int result = 0;
    size_t& at = *done;
    std::unordered_set<std::string> compiled;  // the source files
    // The compiler appends sub-sheet files while the list is walked.
    for (at = 0; at < sheets->size(); ++at) {
        SheetName entry = (*sheets)[at];
        // Another spelling of a source compiled already ("sub" beside
        // "sub.sch") is that sheet.
        std::string source =
            make_kind_file_name(without_suffix(entry.name.c_str()).c_str(), KIND_ASCII, 1);
        if (!compiled.insert(file_identity(source.c_str())).second) {
            names.remove(entry.name);
            sheets->erase(sheets->begin() + static_cast<std::ptrdiff_t>(at--));
            continue;
        }
        writes.add(source.c_str());
        size_t named_from = sheets->size();
        result = compile_one_sheet(entry, output, sheets, &names, name, job, out);
        rename(at, entry.name);
        // The sheets it names, as the source means them; their folders are
        // the project's from now on (a sheet written before them may be a
        // link into one).
        for (size_t i = named_from; i < sheets->size(); ++i) {
            rename(i, name_from_holder((*sheets)[i].name.c_str(), source.c_str()));
            writes.add(make_kind_file_name(without_suffix((*sheets)[i].name.c_str()).c_str(),
                                           KIND_SCHEMA, 2)
                           .c_str());
        }
        if (result != 0) break;
    }
    return result;
}

}  // namespace

int compile_sheets(const char* root, const char* output, SheetList* sheets, std::string* name,
                   BatchReport report) {
    JobReport job(report, COMPSHEET_VERBOSE);
    // The folders the job reads are read once, and flushed once at its end.
    FolderSyncBatch sync;
    ProjectWrites writes(make_kind_file_name(without_suffix(root).c_str(), KIND_ASCII, 1).c_str(),
                         job.report);
    // What an earlier run wrote is of no more use than the files left now.
    written_sheets.clear();
    saved_sheets.clear();
    SheetList own;
    if (!sheets) sheets = &own;
    // The sheets are saved as one set beside the root's sheet: every one
    // written before any is replaced, and a compile stopped while
    // replacing them is completed by the next.
    const std::string anchor = make_kind_file_name(
        (output && *output ? std::string(output) : without_suffix(root)).c_str(), KIND_SCHEMA, 2);
    size_t done = 0;
    int result = 0;
    if (file_set_pending(anchor.c_str())) {
        // Which sheets a compile saves is known once its sources are read:
        // a first walk reads them and saves nothing.
        std::vector<std::string> targets;
        JobReport quiet = job;
        quiet.verbose = false;
        result =
            compile_walk(root, output, sheets, name, quiet, writes, {nullptr, &targets}, &done);
        bool completed = false;
        if (result == 0)
            result = settle_stopped_set(anchor.c_str(), compile_owner(), targets, job.report,
                                        &completed);
    }
    FileSet set(anchor.c_str(), compile_owner());
    if (result == 0) result = compile_walk(root, output, sheets, name, job, writes, {&set}, &done);
    // Sheets of other folders are named before any is replaced; declined,
    // none is.
    std::vector<std::string> saved;
    for (const auto& sheet : saved_sheets) saved.push_back(sheet.first);
    bool declined = result == 0 &&
                    !confirm_outside_sheets(anchor.c_str(), sheets_outside(anchor.c_str(), saved),
                                            static_cast<int>(set.size()), job.report);
    if (declined) {
        saved_sheets.clear();  // the set drops what it staged
    } else if (result != 0) {
        if (!saved_sheets.empty())
            job.always("*** ERROR *** : Compilation stopped (Code %d): no sheet was replaced\n",
                       result);
        saved_sheets.clear();
    } else if (int code = set.commit(); code != 0) {
        job.always(set.recorded() ? "*** ERROR *** : The sheets could not all be replaced (Code "
                                    "%d): the next compile completes them\n"
                                  : "*** ERROR *** : The sheets could not be replaced (Code %d): "
                                    "no sheet was replaced\n",
                   code);
        saved_sheets.clear();  // which are the new files is not known
        result = code;
    }
    remember_saved_sheets();
    if (result != 0 || declined) {
        sheets->resize(std::min(done, sheets->size()));
        job.progress("Conversion aborted.\n");
    } else {
        job.progress("Conversion done.\n");
    }
    return result;
}

// --- project sheet lists -------------------------------------------------------------

namespace {

int free_name(void* name) {
    std::free(name);
    return 0;
}

bool starts_with_proj(const char* text) { return text && strncasecmp(text, "&PROJ:", 6) == 0; }

}  // namespace

void free_name_list(List* list) {
    if (list) dlist_free(list, LIST_FROM_HEAD, free_name);
}

std::vector<std::string> proj_path_names(const char* text) {
    std::vector<std::string> names;
    if (!starts_with_proj(text)) return names;
    std::string piece;
    for (const char* c = text + 6;; ++c) {
        if (*c == ',' || *c == '\0') {
            if (!piece.empty()) names.push_back(piece);
            piece.clear();
            if (*c == '\0') break;
        } else if (!std::isspace(static_cast<unsigned char>(*c))) {
            piece += *c;
        }
    }
    return names;
}

bool text_is_proj_path(Text* text, int kind) {
    if (!text || text->string.empty()) return false;
    if (!text->layout) layout_Text(text);
    return kind == 1 && starts_with_proj(text->string.c_str());
}

namespace {

// Appends a heap copy of the name; false when memory runs out.
bool append_name(List* list, const std::string& name) {
    char* copy = static_cast<char*>(std::malloc(name.size() + 1));
    if (!copy) return false;
    std::memcpy(copy, name.c_str(), name.size() + 1);
    if (dlist_append(list, copy)) return true;
    std::free(copy);
    return false;
}

// The file a listed sheet name reaches: names that reach one file are one
// sheet.
std::string sheet_identity(const char* name) {
    return file_identity(make_kind_file_name(name, KIND_SCHEMA, 1).c_str());
}

// Appends the name a sheet holds as that sheet means it ("./" and "../"
// from its own folder).
bool append_held_name(List* work, const std::string& name, const std::string& holder) {
    return append_name(work, name_from_holder(name.c_str(), holder.c_str()));
}

bool append_named_sheets(Schema* schema, List* work, const std::string& holder) {
    return for_each_named_sheet(
        schema, [&](const std::string& name) { return append_held_name(work, name, holder); });
}

}  // namespace

List* list_project_sheets(const char* root, bool single, bool* repeated, SheetListError* error,
                          Schema** root_schema) {
    if (root_schema) *root_schema = nullptr;
    SheetListError none;
    if (!error) error = &none;
    *error = SheetListError{};
    if (repeated) *repeated = false;
    const char* root_name = root ? root : "";
    List* result = list_new();
    List* work = single ? nullptr : list_new();
    bool failed = !result || (single ? !append_name(result, root_name)
                                     : !work || !append_name(work, root_name));
    Schema* schema = nullptr;
    std::unordered_set<std::string> listed;  // the files of the listed sheets
    // The work list grows while it is walked: the walk reads each node's
    // successor only after the sheet of that node was loaded.
    for (ListNode* node = work && !failed ? work->head : nullptr; node; node = node->next) {
        const char* name = static_cast<const char*>(node->data);
        if (!listed.insert(sheet_identity(name)).second) {
            if (repeated) *repeated = true;
            continue;
        }
        if (!append_name(result, name)) {
            failed = true;
            break;
        }
        bool keep_root = root_schema && node == work->head;
        const std::string holder = make_kind_file_name(name, KIND_SCHEMA, 1);
        if (const std::vector<std::string>* names =
                keep_root ? nullptr : written_sheet_names(name)) {
            for (const std::string& named : *names)
                if (!append_held_name(work, named, holder)) failed = true;
            if (failed) break;
            continue;
        }
        if (load_schema_file(&schema, name) != 0) {
            error->code = SHEET_NOT_FOUND;
            error->name = name;
            break;
        }
        if (!append_named_sheets(schema, work, holder)) {
            failed = true;
            break;
        }
        // The root comes first; later loads start a document of their own.
        if (keep_root) *root_schema = std::exchange(schema, nullptr);
    }
    if (failed) error->code = CODE_NO_MEMORY;
    close_schema(nullptr, &schema);
    free_name_list(work);
    if (error->code == 0) return result;
    if (root_schema) close_schema(nullptr, root_schema);
    free_name_list(result);
    return nullptr;
}

// --- sheets outside the root's folder -----------------------------------------------

std::vector<std::string> sheets_outside(const char* root, const std::vector<std::string>& sheets) {
    std::vector<std::string> outside;
    const std::string root_file = make_kind_file_name(root ? root : "", KIND_SCHEMA, 1);
    for (const std::string& sheet : sheets)
        if (!lies_in_folder_of(make_kind_file_name(sheet.c_str(), KIND_SCHEMA, 1).c_str(),
                               root_file.c_str()))
            outside.push_back(sheet);
    return outside;
}

std::vector<std::string> sheets_outside(const char* root, List* sheets) {
    std::vector<std::string> names;
    for (const char* name : list_items<const char>(sheets)) names.emplace_back(name);
    return sheets_outside(root, names);
}

bool confirm_outside_sheets(const char* root, const std::vector<std::string>& outside, int count,
                            BatchReport report) {
    if (outside.empty()) return true;
    if (!report) report = log_printf;
    // The box names the first few; the log names every one.
    constexpr size_t SHOWN = 8;
    std::string names;
    for (size_t i = 0; i < outside.size(); ++i) {
        report("*** WARNING *** : '%s' lies outside the folder of the root sheet '%s'\n",
               outside[i].c_str(), root ? root : "");
        if (i < SHOWN) names += (i ? "\n" : "") + outside[i];
    }
    if (outside.size() > SHOWN)
        names += "\n(" + std::to_string(outside.size() - SHOWN) + " more in the log)";
    return warning_box(nullptr, FILES_OVERWRITTEN_OUTSIDE, count, names);
}

// --- sheet jobs ---------------------------------------------------------------------

void add_sheet_folders(ProjectWrites& writes, List* sheets) {
    for (const char* name : list_items<const char>(sheets))
        writes.add(make_kind_file_name(name, KIND_SCHEMA, 1).c_str());
}

namespace {

// The end of a job whose files wait in `sync`: in place when it succeeded
// (the code of the first that cannot be), else dropped.
int finish_or_discard(FolderSyncBatch& sync, int result) {
    if (result != 0) {
        sync.discard();
        return result;
    }
    return finish_saves(sync);
}

}  // namespace

int libarch(const char* root, const char* output, BatchReport report, List* sheets) {
    JobReport job(report, LIBARCH_VERBOSE);
    // The libraries go in place together at the end, or none.
    FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
    ProjectWrites writes(make_kind_file_name(root ? root : "", KIND_SCHEMA, 1).c_str(), job.report);
    add_sheet_folders(writes, sheets);
    // Each sheet's library is written beside it.
    if (!confirm_outside_sheets(root, sheets_outside(root, sheets), sheets ? sheets->count : 0,
                                job.report))
        return 0;
    Schema* schema = nullptr;
    new_active_schema(&schema);
    int result = 0;
    bool first = true;
    for (const char* sheet : list_items<const char>(sheets)) {
        const char* base = first && output && *output ? output : nullptr;
        first = false;
        std::string library = base ? make_kind_file_name(base, KIND_LIBRARY, 2)
                                   : output_name(nullptr, sheet, KIND_LIBRARY);
        if (!confirm_overwrite(library)) continue;
        // Unlike the other jobs, the archive reports each step whatever
        // LIBARCH_VERBOSE says; that property governs only the closing line.
        job.always("Loading sheet file '%s'...\n", sheet);
        result = load_schema_file(&schema, sheet);
        if (result != 0) break;
        job.always("Writing binary library file '%s'...\n", library.c_str());
        result = save_Library(library.c_str(), schema->library);
        if (result != 0) break;
    }
    close_schema(nullptr, &schema);
    result = finish_or_discard(sync, result);
    if (result == 0) job.progress("libarch, done\n");
    return result;
}

int decompile_sheets(const char* root, BatchReport report, List* sheets) {
    JobReport job(report, PARTSCH_VERBOSE);
    // The sources go in place together at the end, or none.
    FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
    ProjectWrites writes(make_kind_file_name(root ? root : "", KIND_SCHEMA, 1).c_str(), job.report);
    add_sheet_folders(writes, sheets);
    // Each sheet's source is written beside it.
    if (!confirm_outside_sheets(root, sheets_outside(root, sheets), sheets ? sheets->count : 0,
                                job.report))
        return 0;
    const char* common = strproper_get(PARTSCH_OUTFILE);
    bool one_output = proper_get(PARTSCH_HIER) != 0 && common && *common;
    Schema* schema = nullptr;
    int result = 0;
    for (const char* sheet : list_items<const char>(sheets)) {
        std::string output = without_suffix(one_output ? common : sheet);
        job.progress("Loading sheet %s...\n", sheet);
        result = load_schema_file(&schema, sheet);
        if (result != 0) {
            job.always("%s%s%s\n", "*** ERROR *** :", "Cannot Open ", sheet);
            break;
        }
        job.progress("Writing ascii schematic file %s...\n", output.c_str());
        result = unless_cancelled(decompile_schema(schema, output.c_str()));
        if (result != 0) {
            job.always("%s%s%s\n", "*** ERROR *** :", "Writing File ", output.c_str());
            break;
        }
    }
    close_schema(nullptr, &schema);
    result = finish_or_discard(sync, result);
    if (result == 0) job.progress("partsch, done\n");
    return result;
}
