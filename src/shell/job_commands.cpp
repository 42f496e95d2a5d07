#include "shell/job_commands.h"

#include <string>

#include "connectivity/annotate.h"
#include "connectivity/backannotate.h"
#include "connectivity/bom.h"
#include "connectivity/erc.h"
#include "connectivity/net_jobs.h"
#include "dialogs/process_dialogs.h"
#include "dialogs/process_forms.h"
#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "import/sdt2sc.h"
#include "import/sdt_job.h"
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

// A job's failure in an error box naming the file it concerns.
int failed(int code, const std::string& file) {
    error_box(nullptr, "Error", MB_ICON_STOP, code, file.c_str());
    return code;
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

// Compiles the nets of every sheet, links them (unless the job stays on
// the root sheet, whose own net file is then formatted) and writes the
// netlist.
int netlist_job(const std::string& root) {
    const std::string base = without_suffix(root);
    if (int result = netlist_compile(root.c_str(), log_printf); result != 0)
        return failed(result, root);
    std::string linked = base;
    if (proper_get(NETFMT_HIER) == 0) {
        linked = base + "_linked";
        if (int result = netlist_link(base.c_str(), linked.c_str(), log_printf); result != 0)
            return failed(result, linked);
    }
    const std::string output = text_of(NETFMT_OUTFILE);
    int result = netlist_format(linked.c_str(), output.c_str(), text_of(NETFMT_FORMAT),
                                proper_get(NETFMT_FIELD), log_printf);
    return result == 0 ? 0 : failed(result, output);
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
        // -1: the source could not be opened.
        if (result != 0)
            log_printf("*** ERROR *** :%s\n",
                       message_text(nullptr, result == -1 ? 51 : result, source.c_str()).c_str());
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

// The file a compile job wrote: its output, or the input with the kind's
// suffix when no output was named.
std::string compiled_file(const std::string& output, const std::string& input, int kind) {
    return make_kind_file_name(output.empty() ? input.c_str() : output.c_str(), kind, 2);
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
            int result = erc_report(root.c_str(), report.c_str(), log_printf);
            // -1: the report could not be made.
            return result == 0 ? 0 : failed(result == -1 ? 50 : result, report);
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
        case JOB_COMPILE_LIBRARY: {
            const std::string output = text_of(COMPIL_OUTFILE), input = without_suffix(root);
            int result = compile_library(input.c_str(), output.c_str(), log_printf);
            if (result != 0) return failed(result, input);
            new_library_child(compiled_file(output, input, KIND_LIBRARY).c_str());
            return 0;
        }
        case JOB_DECOMPILE_LIBRARY: {
            const std::string input = without_suffix(root);
            int result = decompile_library(input.c_str(), text_of(DECOMP_OUTFILE), log_printf);
            return result == 0 ? 0 : failed(result, input);
        }
        case JOB_COMPILE_TITLEBLOCK: {
            const std::string output = text_of(COMPTMPL_OUTFILE), input = without_suffix(root);
            int result = compile_titleblock(input.c_str(), output.c_str(), log_printf);
            if (result != 0) return failed(result, input);
            new_template_child(compiled_file(output, input, KIND_TITLEBLOCK).c_str());
            return 0;
        }
        default: return 0;
    }
}

}  // namespace

void run_process_job(const CommandCall& call) {
    show_log_window();
    run(call.canvas, call.id, call.argument);
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
