#include "connectivity/net_jobs.h"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "connectivity/net_build.h"
#include "connectivity/net_context.h"
#include "connectivity/net_file.h"
#include "connectivity/net_link.h"
#include "connectivity/netlist_format.h"
#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"

namespace {

// The schema and context of one sheet, released together.
struct SheetRun {
    Schema* schema = nullptr;
    NetContext* context = nullptr;
    LinkedObjects linked;  // what the link read, for the writers
    ~SheetRun() { release(); }
    void release() {
        linked = LinkedObjects{};
        free_NetContext(schema, context);
        context = nullptr;
        if (schema) free_Schema(schema, false);
        schema = nullptr;
    }
};

// The net file of a sheet file (or of a base name without suffix).
std::string net_file_of(const char* sheet) {
    std::string base = sheet ? sheet : "";
    change_suffix(base, "", 0);
    return make_kind_file_name(base.c_str(), NET_FILE_KIND, 1);
}

// Moves a net file out of the way, to its backup name (NAME.NBK), so that
// no link takes what an earlier run wrote for the current state of its sheet.
// A file of that name that is no net file is not the job's to move.
void retire_net_file(const std::string& net_file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(net_file, error) ||
        !file_is_of_kind(net_file.c_str(), FileKind::NET_FILE))
        return;
    std::string backup = net_file;
    replace_suffix(backup, NET_FILE_BACKUP_SUFFIX);
    std::filesystem::rename(net_file, backup, error);
    if (error) std::filesystem::remove(net_file, error);
}

}  // namespace

int netlist_compile(const char* root, JobPrint print, std::string* title, std::string* concerned) {
    JobLog log(print, NETFMT_VERBOSE);
    if (title) title->clear();
    // A failure is logged naming its file, which the caller learns too.
    auto fail = [&](int code, const std::string& file) {
        log.failed(code, file);
        if (concerned) *concerned = file;
        return code;
    };
    NetWarningHookScope hook(log.print());
    // The net files go in place together at the end, with one folder flush,
    // or none of them when the job fails.
    FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
    log.progress("Compiling Netlist...\n");
    if (int code = refuse_half_saved(root, log)) return code;
    ProjectWrites writes(root_sheet_file(root).c_str(), log.print());
    SheetListError error;
    // The walk that lists the sheets loads the root: it is compiled as loaded.
    Schema* listed_root = nullptr;
    List* sheets = list_project_sheets(root ? root : "", proper_get(NETFMT_HIER) != 0, nullptr,
                                       &error, &listed_root);
    if (!sheets) {
        // Nothing was compiled: a link starts from the root's net file, so
        // moving it aside (and the failing sheet's) keeps the link from
        // reading the hierarchy as an earlier run left it.
        retire_net_file(net_file_of(root));
        if (!error.name.empty()) retire_net_file(net_file_of(error.name.c_str()));
        return fail(error.code, error.name.empty() ? root_sheet_file(root) : error.name);
    }
    add_sheet_folders(writes, sheets);
    // The net files of sheets in other folders are written beside them.
    const std::string root_file = root_sheet_file(root);
    if (!confirm_outside_sheets(root_file.c_str(), sheets_outside(root_file.c_str(), sheets),
                                static_cast<int>(sheets->count), log.print())) {
        close_schema(nullptr, &listed_root);
        free_name_list(sheets);
        return DOC_CANCELLED;
    }
    int result = 0;
    int failure = 0;
    std::string failed;  // the file the failure concerns
    int sheet_number = 1;
    SheetRun run;
    for (const char* file : list_items<const char>(sheets)) {
        run.release();
        // Once a sheet failed, the net files of this sheet and the ones
        // after it are from an earlier run: moved aside, a link names
        // them as missing rather than reading them.
        if (failure) {
            retire_net_file(net_file_of(file));
            continue;
        }
        log.progress("Loading schematic file '%s'...\n", file);
        if (listed_root) {
            run.schema = std::exchange(listed_root, nullptr);
        } else if (int code = load_schema_file(&run.schema, file); code != 0) {
            failure = code;
            failed = make_kind_file_name(file, KIND_SCHEMA, 1);
            retire_net_file(net_file_of(file));
            continue;
        }
        if (title && sheet_number == 1) *title = run.schema->title;
        if (!(run.context = new_NetContext())) no_memory();
        result |= build_sheet_nets(run.context, run.schema);
        std::string base = file;
        change_suffix(base, "", 0);
        if (int written = write_net_report(run.context, run.schema, base.c_str(), sheet_number++);
            written != 0) {
            failure = written;
            failed = net_file_of(file);
            retire_net_file(failed);
        }
    }
    run.release();
    free_name_list(sheets);
    if (failure) {
        // None of this run's net files is put in place.
        sync.discard();
        return fail(failure, failed);
    }
    if (int code = finish_saves(sync, &failed); code != 0) {
        retire_net_file(failed);  // from an earlier run
        return fail(code, failed);
    }
    log.progress("Done.\n");
    return result;
}

namespace {

// A link over the root's net file in a fresh schema and context, with the
// job's progress line around it; `then` works on what was read when the
// link succeeded.
int linked_job(const char* root, const std::string& output, int mode, const char* progress,
               JobPrint print, const std::function<int(SheetRun&)>& then) {
    JobLog log(print, NETFMT_VERBOSE);
    NetWarningHookScope hook(log.print());
    // The file written goes in place at the end: its write to disk runs
    // while the job releases what it read.
    FolderSyncBatch sync(FolderSyncBatch::Commits::AT_END);
    ProjectWrites writes(root_sheet_file(root).c_str(), log.print());
    SheetRun run;
    new_active_schema(&run.schema);
    log.progress(progress, root ? root : "");
    if (!(run.context = new_NetContext())) no_memory();
    int result = link_netlist(run.context, run.schema, root ? root : "", mode, &run.linked);
    // A link that fails leaves its output unwritten; a read names its input.
    std::string failed =
        mode == LINK_HIERARCHY ? output : make_kind_file_name(root ? root : "", NET_FILE_KIND, 1);
    if (result == 0) {
        result = then(run);
        failed = output;
    }
    run.release();
    if (result == 0) result = finish_saves(sync, &failed);
    if (result != 0) {
        log.failed(result, failed);
        return result;
    }
    log.progress("Done.\n");
    return result;
}

// Moves the linked net file of an earlier link out of the way (to its
// backup name) when this link wrote none: formatting it would make a
// netlist of sheets as they were then. The root's own net file, should the
// output name it, is left alone.
void retire_linked_file(const char* root, const char* output) {
    std::string linked = make_kind_file_name(output, NET_FILE_KIND, 1);
    if (linked != make_kind_file_name(root, NET_FILE_KIND, 1)) retire_net_file(linked);
}

}  // namespace

int netlist_link(const char* root, const char* output, JobPrint print) {
    int result = linked_job(
        root, make_kind_file_name(output ? output : "", NET_FILE_KIND, 1), LINK_HIERARCHY,
        "Linking schematic file '%s'...\n", print, [&](SheetRun& run) {
            return write_net_report(run.context, run.schema, output ? output : "", 0, &run.linked);
        });
    if (result != 0) retire_linked_file(root ? root : "", output ? output : "");
    return result;
}

int netlist_format(const char* root, const char* output, const char* keyword, int field,
                   JobPrint print, const char* title) {
    return linked_job(root, output ? output : "", LINK_READ_ONLY, "Formatting netlist '%s'...\n",
                      print, [&](SheetRun& run) {
                          if (title) schema_set_field(run.schema, FIELD_TITLE, title);
                          return format_netlist(run.context, run.schema, root ? root : "",
                                                output ? output : "", keyword ? keyword : "", field,
                                                &run.linked);
                      });
}
