// The ERC job: the report's header and sheet loop, the per-sheet check
// and the marks it leaves in each sheet, then the final report.
//
// Phases of erc_report:
//   1. the report is opened (written through a temporary file, renamed
//      over the old report once complete) and the project's sheets listed;
//   2. the annotation check runs (a sheet that cannot be loaded ends the job);
//   3. each sheet in turn is loaded, its repeated time stamps renumbered,
//      its nets built, written to its net file and checked; the marks
//      replace the sheet's old ones:
//      any sheet not open is saved (into the job's set), once, when its
//      marks or its stamps changed; an open document is changed in memory
//      (and redrawn) only once those saves are in place, so that a check
//      that fails leaves every sheet's marks pointing into the old report;
//   4. across a hierarchy the net files just written are linked from the
//      root (a sheet that cannot be linked ends the job with the link's
//      code, so no final report stands on part of the design); a
//      single-sheet check keeps the nets of the sheet it checked;
//   5. the final report runs over those nets; the sheet they point into is
//      freed only after it.
#include <algorithm>
#include <utility>

#include "connectivity/annotate.h"
#include "connectivity/erc.h"
#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "connectivity/net_link.h"
#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/documents/subsheet.h"
#include "model/items/library.h"

namespace {

void report_line(FILE* report, const std::string& text) {
    std::fputs(text.c_str(), report);
    put_newline(report);
}

// Replaces the document's marks by `marks` (owned, may be null) from the
// report named. False when it had none and gets none.
bool replace_marks(Schema* target, List* marks, const char* report_name) {
    bool had = target->erc_list && target->erc_list->count != 0;
    bool has = marks && marks->count != 0;
    if (!has) {
        free_SchItem_list(nullptr, &marks);
        if (!had) return false;
    }
    schema_free_erclist(target);
    target->erc_list = has ? marks : nullptr;
    copy_field(target->erc_report, sizeof target->erc_report, has ? report_name : "");
    return true;
}

// Puts the marks (owned, may be null) into the sheet's document: the loaded
// schema, or, for a sheet open in the editor, the run holds them for the
// open document until the check succeeds. True when the loaded schema
// changed and must be saved.
bool place_marks(ErcRun* run, const char* file, List* marks, const char* report_name) {
    if (Schema* open = open_document(file)) {
        run->open_marks.push_back({open, marks});
        return false;
    }
    return replace_marks(run->schema, marks, report_name);
}

// Replaces what the run holds by the root's hierarchy linked from the net
// files the analysis wrote: 0, or the link's code (PARTIAL_LINK when a
// sheet could not be linked; the link names it through the warning hook).
int link_design(const char* root, ErcRun* run) {
    run->release();
    new_active_schema(&run->schema);
    if (!(run->context = new_NetContext())) no_memory();
    std::string base = root;
    change_suffix(base, "", 0);
    return link_netlist(run->context, run->schema, base.c_str(), LINK_HIERARCHY);
}

}  // namespace

void StampSet::reserve(size_t more) {
    slots_.reserve(more, 1024, [](const Slot& slot) { return home(slot.stamp); });
}

bool StampSet::insert(uint32_t stamp) {
    if (stamp == 0) return !std::exchange(zero_, true);
    reserve(1);
    const size_t at = slots_.locate(home(stamp), [&](const Slot& s) { return s.stamp == stamp; });
    if (!slots_[at].empty()) return false;
    slots_.fill(at, {stamp});
    return true;
}

bool renumber_stamps(Schema* schema, StampSet* used, uint32_t* counter) {
    TableVector<uint32_t*> stamps;
    for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
        if (item->type == PARTLIB_ITEM)
            stamps.push_back(&as_PlacedPart(item)->time_stamp);
        else if (item->type == SUBSHEET_ITEM)
            stamps.push_back(&static_cast<SubSheet*>(item)->time_stamp);
    }
    used->reserve(stamps.size());
    bool changed = false;
    for (uint32_t* stamp : stamps) {
        if (used->insert(*stamp)) continue;
        // The counter's next stamp may be one a part already holds.
        do *stamp = (*counter)++;
        while (!used->insert(*stamp));
        changed = true;
    }
    return changed;
}

int erc_analyze(FILE* report, const char* report_name, ErcRun* run, List* sheets, JobPrint print,
                FileSet* changed) {
    erc_error_number = 1;
    uint32_t counter = time_stamp();
    StampSet used;
    // What the annotation check finds goes into the report too, before the
    // sheets: a duplicate reference joins two parts' pins in every netlist.
    std::string findings;
    if (int code = check_annotation(sheets, print, &findings); code != 0) return code;
    if (!findings.empty()) {
        for (size_t from = 0, end; (end = findings.find('\n', from)) != std::string::npos;
             from = end + 1)
            report_line(report, findings.substr(from, end - from));
        put_newline(report);
    }
    int result = 0;
    int sheet_number = 1;
    for (const char* file : list_items<const char>(sheets)) {
        report_line(report, format_text(">>>>>>>>>>>>>>>>> Analyzing : %s", file));
        run->release();
        print("Loading schematic file '%s'...\n", file);
        if (int code = load_schema_file(&run->schema, file); code != 0) {
            run->failed_file = file;
            return code;
        }
        run->context = new_NetContext();
        if (!run->context) no_memory();
        bool dirty = renumber_stamps(run->schema, &used, &counter);
        result |= build_sheet_nets(run->context, run->schema);
        std::string base = file;
        change_suffix(base, "", 0);
        if (int written = write_net_report(run->context, run->schema, base.c_str(), sheet_number++);
            written != 0) {
            run->failed_file = make_kind_file_name(base.c_str(), NET_FILE_KIND, 1);
            return written;
        }
        // A sheet without nets (a root of project names only) has an empty
        // islands list, not none.
        if (!run->context->islands && !(run->context->islands = list_new())) no_memory();
        List* marks = nullptr;
        erc_sheet(run->context, run->schema, report, &marks);
        dirty |= place_marks(run, file, marks, report_name);
        if (dirty && !open_document(file)) {
            int saved = save_schema_file(run->schema, file, false, changed);
            if (saved != 0) {
                run->failed_file = file;
                return saved;
            }
            run->net_files_of_saved.push_back(make_kind_file_name(base.c_str(), NET_FILE_KIND, 1));
        }
    }
    return result;
}

void ErcRun::release() {
    free_NetContext(schema, context);
    context = nullptr;
    close_schema(nullptr, &schema);
}

ErcRun::~ErcRun() {
    drop_open_marks();
    release();
}

void ErcRun::place_open_marks(const char* report_name) {
    for (OpenMarks& open : open_marks)
        if (replace_marks(open.document, std::exchange(open.marks, nullptr), report_name))
            open.document->flag2 = 1;  // redraw pending
    open_marks.clear();
}

void ErcRun::drop_open_marks() {
    for (OpenMarks& open : open_marks) free_SchItem_list(nullptr, &open.marks);
    open_marks.clear();
}

int erc_report(const char* root, const char* report_file, JobPrint print, std::string* concerned) {
    const bool single = proper_get(NETERC_HIER) != 0;
    std::string ignored;
    if (!concerned) concerned = &ignored;
    *concerned = report_file ? report_file : "";
    JobLog log(print, NETERC_VERBOSE);
    erc_found_errors = false;
    // The builder's and the linker's warnings go to the job's log while it
    // runs, and nowhere after it.
    NetWarningHookScope hook(log.print());
    log.progress("Creating ERC Report...\n");
    // Failures are named in the log: the result alone does not say which
    // file it was.
    auto report_failure = [&](int code, const std::string& name) { log.failed(code, name); };
    // Every file of the job goes in place at its end, or none when it
    // fails: the net files before the link reads them, the report last.
    FolderSyncBatch batch(FolderSyncBatch::Commits::AT_END);
    ProjectWrites writes(root_sheet_file(root).c_str(), log.print());
    AtomicFile out(report_file ? report_file : "", "w", nullptr, FileKind::ERC_REPORT);
    if (!out.is_open()) {
        if (out.open_failure() != 50) return out.open_failure();  // the log names it
        report_failure(50, report_file ? report_file : "");       // "Cannot create file"
        return -1;
    }
    SheetListError error;
    List* sheets = list_project_sheets(root ? root : "", single, nullptr, &error);
    if (!sheets) {
        if (int code = refuse_half_saved(root, log)) return code;
        report_failure(error.code, error.name);
        if (!error.name.empty()) *concerned = error.name;
        return error.code;
    }
    add_sheet_folders(writes, sheets);
    {
        // What a stopped check left of its marks is completed first.
        std::vector<std::string> targets;
        for (const char* name : list_items<const char>(sheets))
            targets.push_back(make_kind_file_name(name, KIND_SCHEMA, 2));
        bool completed = false;
        if (int code = settle_stopped_run(root, erc_owner(), targets, log, &completed)) {
            free_name_list(sheets);
            return code;
        }
        // Sheets in other folders take their marks, and their net files
        // are written beside them.
        const std::string root_file = root_sheet_file(root);
        if (!confirm_outside_sheets(root_file.c_str(), sheets_outside(root_file.c_str(), sheets),
                                    static_cast<int>(targets.size()), log.print())) {
            free_name_list(sheets);
            batch.discard();
            return DOC_CANCELLED;
        }
    }
    FILE* report = out.stream();
    // The version ends in a blank of its own: two blanks end the line.
    report_line(report, format_text("Tessaron ERC Report V%s ", FILE_VERSION));
    report_line(report, "Generated on " + date_string());
    report_line(report, format_text("Main Schematic : %s", root ? root : ""));
    put_newline(report);
    put_newline(report);
    ErcRun run;
    // The sheets whose marks or stamps change are replaced together once
    // every one is written.
    FileSet changed(root_sheet_file(root).c_str(), erc_owner());
    int result = erc_analyze(report, report_file, &run, sheets, log.print(), &changed);
    if (result != 0 && !run.failed_file.empty()) *concerned = run.failed_file;
    std::string failed;
    if (result == 0 && (result = finish_saves(batch, &failed)) != 0) *concerned = failed;
    if (result == 0) result = changed.commit();
    // From here on the sheets carry the marks of this report, the open ones
    // too; a check that failed before leaves every sheet's as they were.
    const bool marks_in_place = result == 0;
    if (marks_in_place)
        run.place_open_marks(report_file);
    else
        run.drop_open_marks();
    // The marks changed no net: the net files written before them are
    // current, and the link must not take them for older than their sheets.
    for (const std::string& net_file : run.net_files_of_saved)
        if (result == 0 && !touch_file(net_file.c_str())) result = 6;
    if (result == 0 && !single) {
        result = link_design(root ? root : "", &run);
        if (result != 0) *concerned = root ? root : "";
    }
    if (result == 0) result = erc_final_report(run.context, report);
    run.release();
    free_name_list(sheets);
    if (result != 0 && !marks_in_place) {
        // A report cut short by a failure is not left under the report's
        // name: the sheets keep the marks of the report that is.
        batch.discard();
        log.always("*** ERROR *** : The check stopped (Code %d): the report '%s' is not written\n",
                   result, report_file ? report_file : "");
        return result;
    }
    // The sheets' marks are this report's: it is written, saying where the
    // design could not be checked as a whole.
    if (result != 0) {
        put_newline(report);
        report_line(report, format_text("*** The check stopped here (Code %d): the design could "
                                        "not be checked as a whole ***",
                                        result));
    }
    int written = out.commit(false);
    if (written == 0) written = finish_saves(batch, &failed);
    if (written != 0) log.failed(written, report_file ? report_file : "");
    if (result == 0 && written == 0) log.progress("Done.\n");
    return result != 0 ? result : written;
}
