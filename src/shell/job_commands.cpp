#include "shell/job_commands.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

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

enum : int {
    JOB_DECOMPILE_SHEET = 20161,
    JOB_COMPILE_SHEET = 20162,
    JOB_ANNOTATE = 20163,
    JOB_CONVERT = 20164,
    JOB_BACKANNOTATE = 20166,
    JOB_NETLIST = 20167,
    JOB_BOM = 20169,
    JOB_ERC = 20170,
    JOB_ARCHIVE_LIBRARY = 20174,
    JOB_LIST_LIBRARY = 20178,
    JOB_COMPILE_LIBRARY = 20179,
    JOB_DECOMPILE_LIBRARY = 20180,
    JOB_COMPILE_TITLEBLOCK = 20321,
    JOB_DECOMPILE_TITLEBLOCK = 20322,
};

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
    if (int result = netlist_compile(root.c_str(), log_printf, &title, &concerned); result != 0)
        return netlist_failed(output, RuntimeCode{result}, concerned.empty() ? root : concerned);
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

int run(EditCanvas* canvas, int id, long argument) {
    if (id == JOB_CONVERT) return convert_job();
    if (!canvas || !canvas->mySchema) return failed(68, "");
    if (id == JOB_DECOMPILE_TITLEBLOCK) {
        int result =
            decompile_titleblock(canvas->mySchema, text_of(DECOMPTMPL_OUTFILE), log_printf);
        return result == 0 || result == DOC_CANCELLED ? 0
                                                      : failed(result, text_of(DECOMPTMPL_OUTFILE));
    }
    const std::string root = canvas_file_name(canvas);
    if (root.empty()) return failed(81, "");
    switch (id) {
        case JOB_ERC: {
            const std::string report = text_of(NETERC_OUTFILE);
            std::string concerned;
            int result = erc_report(root.c_str(), report.c_str(), log_printf, &concerned);
            // -1: the report could not be made.
            return result == 0 ? 0 : failed_logged(result == -1 ? 50 : result, concerned);
        }
        case JOB_ANNOTATE:
            // -1: references in place conflict, as the log says.
            return over_sheets(root, ANNO_HIER, [&](List* sheets) {
                int result = annotate(log_printf, sheets, argument == 1);
                return result == 0 || result == -1 ? result : failed(result, root);
            });
        case JOB_BACKANNOTATE:
            return over_sheets(root, BACK_HIER, [&](List* sheets) {
                std::string sheet;
                int result = backannotate(root.c_str(), &sheet, log_printf, sheets);
                if (result == -1)  // the change file could not be opened
                    return failed(
                        51, make_kind_file_name(without_suffix(root).c_str(), KIND_CHANGE_FILE, 1));
                return result == 0 ? 0 : failed(result, sheet.empty() ? root : sheet);
            });
        case JOB_NETLIST: return netlist_job(root);
        case JOB_BOM: {
            const std::string output = text_of(BOM_OUTFILE);
            int result = bill_of_materials(root.c_str(), output.c_str(), log_printf);
            return result == 0 ? 0 : failed(result, output);
        }
        case JOB_DECOMPILE_SHEET:
            return over_sheets(root, PARTSCH_HIER, [&](List* sheets) {
                int result = decompile_sheets(root.c_str(), log_printf, sheets);
                return result == 0 ? 0 : failed(result, root);
            });
        case JOB_COMPILE_SHEET: {
            std::string source;
            int result = compile_sheets(root.c_str(), text_of(COMPSHEET_OUTFILE), nullptr, &source,
                                        log_printf);
            return result == 0 ? 0 : failed(result, source);
        }
        case JOB_ARCHIVE_LIBRARY:
            return over_sheets(root, LIBARCH_HIER, [&](List* sheets) {
                int result = libarch(root.c_str(), text_of(LIBARCH_OUTFILE), log_printf, sheets);
                return result == 0 ? 0 : failed(result, root);
            });
        case JOB_LIST_LIBRARY: {
            std::string listing;
            const std::string input = without_suffix(root);
            int result = list_library(input.c_str(), log_printf, &listing);
            return result == 0 ? 0 : failed(result, input);
        }
        // What a compile wrote opens in its editor, also after errors the
        // job reported while writing it.
        case JOB_COMPILE_LIBRARY: {
            const std::string output = text_of(COMPIL_OUTFILE), input = without_suffix(root);
            std::string written;
            int result = compile_library(input.c_str(), output.c_str(), log_printf, &written);
            if (result != 0) failed(result, input);
            if (!written.empty()) new_library_child(written.c_str());
            return result;
        }
        case JOB_DECOMPILE_LIBRARY: {
            // A sheet's library is the one it holds, the parts it uses.
            const std::string input = without_suffix(root);
            const char* output = text_of(DECOMP_OUTFILE);
            int result = canvas->kind == CANVAS_SHEET
                             ? decompile_library_of(canvas->mySchema->library, input.c_str(),
                                                    output, log_printf)
                             : decompile_library(input.c_str(), output, log_printf);
            return result == 0 ? 0 : failed(result, input);
        }
        case JOB_COMPILE_TITLEBLOCK: {
            const std::string output = text_of(COMPTMPL_OUTFILE), input = without_suffix(root);
            std::string written;
            int result = compile_titleblock(input.c_str(), output.c_str(), log_printf, &written);
            if (result != 0) failed(result, input);
            if (!written.empty()) new_template_child(written.c_str());
            return result;
        }
        default: return 0;
    }
}

// --- the unsaved changes of the documents a job reads --------------------------------

// The jobs that read a project's sheets from their files, with the
// property that keeps them on the root sheet. Annotation and
// back-annotation are not among them: they work on the open documents
// themselves.
int saved_sheets_read(int id) {
    switch (id) {
        case JOB_ERC: return NETERC_HIER;
        case JOB_NETLIST: return NETFMT_HIER;
        case JOB_BOM: return BOM_HIER;
        case JOB_DECOMPILE_SHEET: return PARTSCH_HIER;
        case JOB_ARCHIVE_LIBRARY: return LIBARCH_HIER;
        default: return 0;
    }
}

bool modified(EditCanvas* canvas) {
    return canvas && canvas->mySchema && schema_is_modified(canvas->mySchema) &&
           !canvas_file_name(canvas).empty();
}

// The open windows whose changes are not saved among the documents the job
// reads from their files: the sheets of the root's hierarchy as saved (the
// root alone when the job stays on it), or the library of a library window
// that a library job reads. Listing a hierarchy loads its sheets: it is
// done only when a sheet other than the root is open and modified.
std::vector<EditCanvas*> unsaved_documents_read(EditCanvas* canvas, int id,
                                                const std::string& root) {
    std::vector<EditCanvas*> found;
    if (canvas->kind == CANVAS_LIBRARY) {
        if ((id == JOB_DECOMPILE_LIBRARY || id == JOB_LIST_LIBRARY) && modified(canvas))
            found.push_back(canvas);
        return found;
    }
    const int hier_property = saved_sheets_read(id);
    if (canvas->kind != CANVAS_SHEET || hier_property == 0) return found;
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

std::string job_name(int id) {
    for (const ProcessDialog& d : process_dialogs)
        if (d.job_command == id) {
            const std::string title = d.title;
            const std::string prefix = "Tessaron: ";
            return title.rfind(prefix, 0) == 0 ? title.substr(prefix.size()) : title;
        }
    return {};
}

bool save_document(EditCanvas* canvas) {
    return (canvas->kind == CANVAS_SHEET ? canvas_save(canvas, false)
                                         : libedit_window_save(canvas, false)) == 0;
}

// Before a job that reads documents from their files, the open ones among
// them whose changes are not saved: the user saves them first, or lets the
// job read the saved files (*unseen then names the documents whose changes
// it did not see), or cancels it. False when the job is not to run.
bool settle_unsaved(const CommandCall& call, std::string* unseen) {
    EditCanvas* canvas = call.canvas;
    if (!canvas || !canvas->mySchema) return true;
    const std::string root = canvas_file_name(canvas);
    if (root.empty()) return true;
    const std::vector<EditCanvas*> unsaved = unsaved_documents_read(canvas, call.id, root);
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
    show_log_window();
    std::string unseen;
    if (!settle_unsaved(call, &unseen)) return;
    run(call.canvas, call.id, call.argument);
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
        rows.push_back({d.job_command, run_process_job, BAR_ALL});
    }
    return rows;
}
