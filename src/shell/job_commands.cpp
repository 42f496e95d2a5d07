#include "shell/job_commands.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "connectivity/annotate.h"
#include "connectivity/backannotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "connectivity/netlist_format.h"
#include "dialogs/forms/process_forms.h"
#include "dialogs/process_dialogs.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/heap.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/sdt2sc.h"
#include "import/sdt_job.h"
#include "libedit/gui/libedit_windows.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/schema.h"
#include "shell/shell.h"
#include "shell/shell_ops.h"

namespace {

// The document kind of the back-annotation change file (foundation/app_utils.h).
constexpr int KIND_CHANGE_FILE = 16;

// The name without its suffix: a job that reads another kind of file than
// the document completes it with that kind's suffix.
std::string without_suffix(const std::string& name) {
    std::string base = name;
    change_suffix(base, "", 0);
    return base;
}

const char* text_of(int property) {
    const char* text = strproper_get(property);
    return text ? text : "";
}

// A job's failure in an error box, with what its message names (the file
// it concerns, for most), and in the log unless the job logged it itself.
enum class Logged { NOT_YET, BY_THE_JOB };
template <class... A>
int failed_with(Logged logged, std::type_identity_t<MessageCode<A...>> code, const A&... args) {
    if (logged == Logged::NOT_YET)
        log_printf("*** ERROR *** : %s\n", message_text(nullptr, code, args...).c_str());
    error_box(nullptr, "Error", MB_ICON_STOP, code, args...);
    return code.code();
}

int failed(int code, const std::string& file) {
    return failed_with(Logged::NOT_YET, RuntimeCode{code}, file);
}
// The failure of a job that logs its failures (the netlist and ERC jobs).
int failed_logged(int code, const std::string& file) {
    return failed_with(Logged::BY_THE_JOB, RuntimeCode{code}, file);
}

// The sheets of the project of root; null after the error box.
List* project_sheets(const std::string& root, int hier_property) {
    SheetListError error;
    List* sheets =
        list_project_sheets(root.c_str(), proper_get(hier_property) != 0, nullptr, &error);
    if (!sheets) failed(error.code ? error.code : 85, error.name.empty() ? root : error.name);
    return sheets;
}

// A job over the sheets of a project: the list is freed afterwards.
template <class Job>
int over_sheets(const std::string& root, int hier_property, Job job) {
    List* sheets = project_sheets(root, hier_property);
    if (!sheets) return 85;
    int result = job(sheets);
    free_name_list(sheets);
    return result;
}

// A netlist job that failed wrote no netlist: a file of that name is what
// an earlier run wrote, from the sheets as they were then. Its box and the
// log say so, so that no one simulates or lays out a stale netlist.
template <class... A>
int netlist_failed(const std::string& output, std::type_identity_t<MessageCode<A...>> code,
                   const A&... args) {
    std::string note;
    std::error_code error;
    if (!output.empty() && std::filesystem::is_regular_file(system_path(output.c_str()), error)) {
        note = "The netlist " + output + " was not written: it holds an earlier run's netlist.";
        log_printf("*** WARNING *** : %s\n", note.c_str());
    }
    const std::array<MessageArg, sizeof...(A)> list{MessageArg(args)...};
    error_box_with("Error", MB_ICON_STOP, code.code(), list, note);
    return code.code();
}

// Compiles the nets of every sheet, links them (unless the job stays on
// the root sheet, whose own net file is then formatted) and writes the
// netlist under the root sheet's title.
int netlist_job(const std::string& root) {
    const std::string base = without_suffix(root);
    const std::string output = text_of(NETFMT_OUTFILE);
    std::string title, concerned;
    if (int result = netlist_compile(root.c_str(), log_printf, &title, &concerned); result != 0) {
        // Declined (sheets of other folders): nothing more is done.
        if (result == DOC_CANCELLED) return 0;
        return netlist_failed(output, RuntimeCode{result}, concerned.empty() ? root : concerned);
    }
    std::string linked = base;
    if (proper_get(NETFMT_HIER) == 0) {
        linked = base + "_linked";
        if (int result = netlist_link(base.c_str(), linked.c_str(), log_printf); result != 0)
            return netlist_failed(output, RuntimeCode{result}, linked);
    }
    int result = netlist_format(linked.c_str(), output.c_str(), text_of(NETFMT_FORMAT),
                                proper_get(NETFMT_FIELD), log_printf, title.c_str());
    // The SPICE writer's refusals name the part, its pin and its nets
    // besides the file.
    switch (result) {
        case 0: return 0;
        case SPICE_PIN_NOT_CONNECTED:
            return netlist_failed(output, SPICE_PIN_NOT_CONNECTED, output, spice_error_reference(),
                                  spice_error_pin());
        case SPICE_REFERENCE_TWICE:
            return netlist_failed(output, SPICE_REFERENCE_TWICE, output, spice_error_reference(),
                                  spice_error_net(0), spice_error_net(1));
        case SPICE_PIN_ON_TWO_NETS:
            return netlist_failed(output, SPICE_PIN_ON_TWO_NETS, output, spice_error_reference(),
                                  spice_error_pin(), spice_error_net(0), spice_error_net(1));
        default: return netlist_failed(output, RuntimeCode{result}, output);
    }
}

// The OrCAD conversion: the library source first when asked, then the
// schematic; the files written are opened when asked.
int convert_job() {
    const bool open_written = proper_get(SDT_AUTOOPEN) != 0;
    std::string library;
    bool library_converted = false;
    if (proper_get(SDT_LIBRARY)) {
        const std::string source = text_of(SDT_LIBFILE);
        int result = convert_orcad_library(source.c_str(), log_printf, &library);
        // -1: the source could not be opened. A refused write the job
        // logged itself, naming the file.
        if (result != 0 && result != FILE_NOT_WRITTEN)
            log_printf(
                "*** ERROR *** :%s\n",
                message_text(nullptr, RuntimeCode{result == -1 ? 51 : result}, source.c_str())
                    .c_str());
        library_converted = result == 0 && !library.empty();
    }
    const std::string schematic = text_of(SDT_SCHFILE);
    if (schematic.empty()) {
        if (open_written && library_converted) new_library_child(library.c_str());
        return 0;
    }
    List* written = list_new();
    if (!written) no_memory();
    int result = convert_orcad_schematic(schematic.c_str(), log_printf, written);
    if (open_written)
        for (const char* sheet : list_items<const char>(written)) open_sheet(sheet, nullptr);
    free_name_list(written);
    return result;
}

// --- the jobs, one function each -----------------------------------------------------

// What a job is handed: the current window (null without one), the file
// its document was read from (for a job that reads it) and the argument
// its dialog sent.
struct JobCall {
    EditCanvas* canvas;
    const std::string& root;
    long argument;
};

int erc_job(const JobCall& call) {
    const std::string report = text_of(NETERC_OUTFILE);
    std::string concerned;
    int result = erc_report(call.root.c_str(), report.c_str(), log_printf, &concerned);
    // -1: the report could not be made; declined, nothing was.
    if (result == 0 || result == DOC_CANCELLED) return 0;
    return failed_logged(result == -1 ? 50 : result, concerned);
}

int annotate_job(const JobCall& call) {
    // -1: references in place conflict, as the log says.
    return over_sheets(call.root, ANNO_HIER, [&](List* sheets) {
        int result = annotate(log_printf, sheets, call.argument == 1);
        return result == 0 || result == -1 ? result : failed(result, call.root);
    });
}

int backannotate_job(const JobCall& call) {
    const std::string& root = call.root;
    return over_sheets(root, BACK_HIER, [&](List* sheets) {
        std::string sheet;
        int result = backannotate(root.c_str(), &sheet, log_printf, sheets);
        if (result == -1)  // the change file could not be opened
            return failed(51,
                          make_kind_file_name(without_suffix(root).c_str(), KIND_CHANGE_FILE, 1));
        return result == 0 ? 0 : failed(result, sheet.empty() ? root : sheet);
    });
}

int bom_job(const JobCall& call) {
    const std::string output = text_of(BOM_OUTFILE);
    int result = bill_of_materials(call.root.c_str(), output.c_str(), log_printf);
    return result == 0 ? 0 : failed(result, output);
}

int decompile_sheet_job(const JobCall& call) {
    return over_sheets(call.root, PARTSCH_HIER, [&](List* sheets) {
        int result = decompile_sheets(call.root.c_str(), log_printf, sheets);
        return result == 0 ? 0 : failed(result, call.root);
    });
}

int compile_sheet_job(const JobCall& call) {
    std::string source;
    int result =
        compile_sheets(call.root.c_str(), text_of(COMPSHEET_OUTFILE), nullptr, &source, log_printf);
    return result == 0 ? 0 : failed(result, source);
}

int archive_library_job(const JobCall& call) {
    return over_sheets(call.root, LIBARCH_HIER, [&](List* sheets) {
        int result = libarch(call.root.c_str(), text_of(LIBARCH_OUTFILE), log_printf, sheets);
        return result == 0 ? 0 : failed(result, call.root);
    });
}

int list_library_job(const JobCall& call) {
    std::string listing;
    const std::string input = without_suffix(call.root);
    int result = list_library(input.c_str(), log_printf, &listing);
    return result == 0 ? 0 : failed(result, input);
}

// A compile of the source named after the document: what it wrote opens
// in its editor, also after errors the job reported while writing it.
int compile_and_open(const JobCall& call, int output_property,
                     int (*compile)(const char*, const char*, BatchReport, std::string*),
                     MyChild* (*open)(const char*)) {
    const std::string output = text_of(output_property), input = without_suffix(call.root);
    std::string written;
    int result = compile(input.c_str(), output.c_str(), log_printf, &written);
    if (result != 0) failed(result, input);
    if (!written.empty()) open(written.c_str());
    return result;
}

int compile_library_job(const JobCall& call) {
    return compile_and_open(call, COMPIL_OUTFILE, compile_library, new_library_child);
}

int decompile_library_job(const JobCall& call) {
    // A sheet's library is the one it holds, the parts it uses.
    const std::string input = without_suffix(call.root);
    const char* output = text_of(DECOMP_OUTFILE);
    int result = call.canvas->kind == CANVAS_SHEET
                     ? decompile_library_of(call.canvas->mySchema->library, input.c_str(), output,
                                            log_printf)
                     : decompile_library(input.c_str(), output, log_printf);
    return result == 0 ? 0 : failed(result, input);
}

int compile_titleblock_job(const JobCall& call) {
    return compile_and_open(call, COMPTMPL_OUTFILE, compile_titleblock, new_template_child);
}

int decompile_titleblock_job(const JobCall& call) {
    int result =
        decompile_titleblock(call.canvas->mySchema, text_of(DECOMPTMPL_OUTFILE), log_printf);
    return result == 0 || result == DOC_CANCELLED ? 0 : failed(result, text_of(DECOMPTMPL_OUTFILE));
}

// --- the jobs' table -------------------------------------------------------------------

// What a job needs of the current window before it runs.
enum class Needs : uint8_t {
    NOTHING,     // the OrCAD conversion works on the files its dialog named
    DOCUMENT,    // error 68 without a window's document
    SAVED_FILE,  // also 81 for a document never saved: the job reads its file
};

// What a job reads of the open windows' documents from their files: the
// documents among them whose changes are not saved are settled first.
enum class Reads : uint8_t {
    NOTHING,        // the open documents themselves, or none
    SAVED_SHEETS,   // the root's hierarchy as saved (the root alone when its
                    // dialog's Descend Hierarchy is off)
    SAVED_LIBRARY,  // a library window's library file
};

// Each process dialog's job, keyed by the job command of its row. The jobs
// open windows and read the current window, which are the shell's: the
// dialogs' forms, on a floor below the shell, cannot name them, so their
// rows carry the command and this table beside them carries the job.
struct JobRow {
    int command;
    int (*run)(const JobCall& call);
    Needs needs;
    Reads reads;
};

const JobRow job_rows[] = {
    {JOB_ERC, erc_job, Needs::SAVED_FILE, Reads::SAVED_SHEETS},
    {JOB_BACKANNOTATE, backannotate_job, Needs::SAVED_FILE, Reads::NOTHING},
    {JOB_ANNOTATE, annotate_job, Needs::SAVED_FILE, Reads::NOTHING},
    {JOB_COMPILE_LIBRARY, compile_library_job, Needs::SAVED_FILE, Reads::NOTHING},
    {JOB_DECOMPILE_LIBRARY, decompile_library_job, Needs::SAVED_FILE, Reads::SAVED_LIBRARY},
    {JOB_ARCHIVE_LIBRARY, archive_library_job, Needs::SAVED_FILE, Reads::SAVED_SHEETS},
    {JOB_LIST_LIBRARY, list_library_job, Needs::SAVED_FILE, Reads::SAVED_LIBRARY},
    {JOB_BOM, bom_job, Needs::SAVED_FILE, Reads::SAVED_SHEETS},
    {JOB_NETLIST, [](const JobCall& call) { return netlist_job(call.root); }, Needs::SAVED_FILE,
     Reads::SAVED_SHEETS},
    {JOB_CONVERT, [](const JobCall&) { return convert_job(); }, Needs::NOTHING, Reads::NOTHING},
    {JOB_DECOMPILE_SHEET, decompile_sheet_job, Needs::SAVED_FILE, Reads::SAVED_SHEETS},
    {JOB_COMPILE_SHEET, compile_sheet_job, Needs::SAVED_FILE, Reads::NOTHING},
    {JOB_COMPILE_TITLEBLOCK, compile_titleblock_job, Needs::SAVED_FILE, Reads::NOTHING},
    {JOB_DECOMPILE_TITLEBLOCK, decompile_titleblock_job, Needs::DOCUMENT, Reads::NOTHING},
};

const JobRow* job_row(int command) {
    for (const JobRow& job : job_rows)
        if (job.command == command) return &job;
    return nullptr;
}

const ProcessDialog* dialog_of_job(int command) {
    for (const ProcessDialog& d : process_dialogs)
        if (d.job_command == command) return &d;
    return nullptr;
}

int run(const JobRow& job, EditCanvas* canvas, long argument) {
    std::string root;
    if (job.needs != Needs::NOTHING) {
        if (!canvas || !canvas->mySchema) return failed(68, "");
        if (job.needs == Needs::SAVED_FILE) {
            root = canvas_file_name(canvas);
            if (root.empty()) return failed(81, "");
        }
    }
    return job.run(JobCall{canvas, root, argument});
}

// --- the unsaved changes of the documents a job reads --------------------------------

bool modified(EditCanvas* canvas) {
    return canvas && canvas->mySchema && schema_is_modified(canvas->mySchema) &&
           !canvas_file_name(canvas).empty();
}

// The open windows whose changes are not saved among the documents the job
// reads from their files: the sheets of the root's hierarchy as saved (the
// root alone when the job stays on it), or the library of a library window
// that a library job reads. Listing a hierarchy loads its sheets: it is
// done only when a sheet other than the root is open and modified.
std::vector<EditCanvas*> unsaved_documents_read(EditCanvas* canvas, const JobRow& job,
                                                const std::string& root) {
    std::vector<EditCanvas*> found;
    if (canvas->kind == CANVAS_LIBRARY) {
        if (job.reads == Reads::SAVED_LIBRARY && modified(canvas)) found.push_back(canvas);
        return found;
    }
    const ProcessDialog* dialog = dialog_of_job(job.command);
    if (canvas->kind != CANVAS_SHEET || job.reads != Reads::SAVED_SHEETS || !dialog) return found;
    const int hier_property = dialog->descend_property;
    bool others = false;
    for (MyChild* child : my_children)
        others |= child->canvas != canvas && child->canvas && child->canvas->kind == CANVAS_SHEET &&
                  modified(child->canvas);
    if (!others || proper_get(hier_property) != 0) {
        if (modified(canvas)) found.push_back(canvas);
        return found;
    }
    // A hierarchy that cannot be listed stops the job itself, which says why.
    List* sheets = list_project_sheets(root.c_str(), false, nullptr);
    if (!sheets) {
        if (modified(canvas)) found.push_back(canvas);
        return found;
    }
    for (const char* sheet : list_items<const char>(sheets)) {
        void* open = nullptr;
        services().find_open_file(sheet, &open);
        auto* open_canvas = static_cast<EditCanvas*>(open);
        if (modified(open_canvas) &&
            std::find(found.begin(), found.end(), open_canvas) == found.end())
            found.push_back(open_canvas);
    }
    free_name_list(sheets);
    return found;
}

std::string job_name(int command) {
    const ProcessDialog* d = dialog_of_job(command);
    if (!d) return {};
    const std::string title = d->title;
    const std::string prefix = "Tessaron: ";
    return title.rfind(prefix, 0) == 0 ? title.substr(prefix.size()) : title;
}

bool save_document(EditCanvas* canvas) {
    return (canvas->kind == CANVAS_SHEET ? canvas_save(canvas, false)
                                         : libedit_window_save(canvas, false)) == 0;
}

// Before a job that reads documents from their files, the open ones among
// them whose changes are not saved: the user saves them first, or lets the
// job read the saved files (*unseen then names the documents whose changes
// it did not see), or cancels it. False when the job is not to run.
bool settle_unsaved(const CommandCall& call, const JobRow& job, std::string* unseen) {
    EditCanvas* canvas = call.canvas;
    if (!canvas || !canvas->mySchema) return true;
    const std::string root = canvas_file_name(canvas);
    if (root.empty()) return true;
    const std::vector<EditCanvas*> unsaved = unsaved_documents_read(canvas, job, root);
    if (unsaved.empty()) return true;
    std::string listed, joined;
    for (EditCanvas* c : unsaved) {
        listed += (listed.empty() ? "" : "\n") + canvas_file_name(c);
        joined += (joined.empty() ? "" : ", ") + canvas_file_name(c);
    }
    switch (confirm_cancel_box(nullptr, 50104, listed, job_name(call.id))) {
        case ANSWER_YES:
            for (EditCanvas* c : unsaved)
                if (!save_document(c)) return false;  // its error box said why
            return true;
        case ANSWER_NO: *unseen = joined; return true;
        default: return false;
    }
}

}  // namespace

void run_process_job(const CommandCall& call) {
    const JobRow* job = job_row(call.id);
    if (!job) return;
    show_log_window();
    std::string unseen;
    if (!settle_unsaved(call, *job, &unseen)) return;
    run(*job, call.canvas, call.argument);
    // What the job loaded goes back to the system, and the next job's
    // records lie as this one's did.
    heap_give_back();
    if (!unseen.empty())
        log_printf(
            "Warning:  the job read the saved files: the unsaved changes of %s are not "
            "in its result\n",
            unseen.c_str());
    // Annotation, back-annotation and the ERC change open documents in
    // place: their windows show the result and say they are modified.
    for (MyChild* child : my_children)
        if (child->canvas) canvas_update_title(child->canvas);
    repaint_all();
    // The keys go to the sheet again (Ctrl+S saves it), not to the log the
    // job wrote into.
    if (paint_zone) paint_zone->SetFocus();
}

std::vector<CommandRow> process_command_rows() {
    std::vector<CommandRow> rows;
    for (const ProcessDialog& d : process_dialogs) {
        rows.push_back(
            {d.menu_command, [](const CommandCall& c) { open_process_dialog(c.id); }, BAR_ALL});
        if (job_row(d.job_command)) rows.push_back({d.job_command, run_process_job, BAR_ALL});
    }
    return rows;
}
