#include "connectivity/annotate_sheets.h"

#include <cstdarg>
#include <cstdio>

#include "connectivity/netlist_format.h"
#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/errors.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/log.h"
#include "foundation/properties.h"
#include "foundation/services.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/fonts.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"
#include "model/items/library.h"

namespace {

std::string vformat(const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, format, args);
    std::string text;
    if (n < 0) {
        text.clear();
    } else if (static_cast<size_t>(n) < sizeof small) {
        text.assign(small, static_cast<size_t>(n));
    } else {
        text.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(n));
    }
    va_end(again);
    return text;
}

}  // namespace

JobLog::JobLog(JobPrint print, int verbose_property)
    : print_(print ? print : log_printf), verbose_(proper_get(verbose_property) != 0) {}

void JobLog::progress(const char* format, ...) const {
    if (!verbose_) return;
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    print_("%s", text.c_str());
}

void JobLog::always(const char* format, ...) const {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    print_("%s", text.c_str());
}

void JobLog::failed(int code, const std::string& file) const {
    char text[ERROR_MESSAGE_SIZE];
    // A detail that names the file alone takes it; the SPICE writer's open
    // pin names its part and pin too, as the writer left them, and a pin
    // on two nets its part (pin) and nets. Any other detail is not the
    // job's to fill: the file follows the message.
    const DetailArgs wanted = message_args(code);
    std::string line;
    if (code == SPICE_PIN_NOT_CONNECTED) {
        line = error_message_v(MESSAGE_WITH_DETAIL, SPICE_PIN_NOT_CONNECTED, text, sizeof text,
                               file, spice_error_reference(), spice_error_pin());
    } else if (code == SPICE_REFERENCE_TWICE) {
        line = error_message_v(MESSAGE_WITH_DETAIL, SPICE_REFERENCE_TWICE, text, sizeof text, file,
                               spice_error_reference(), spice_error_net(0), spice_error_net(1));
    } else if (code == SPICE_PIN_ON_TWO_NETS) {
        line = error_message_v(MESSAGE_WITH_DETAIL, SPICE_PIN_ON_TWO_NETS, text, sizeof text, file,
                               spice_error_reference(), spice_error_pin(), spice_error_net(0),
                               spice_error_net(1));
    } else if (wanted.count == 1 && wanted.kinds[0] == 's') {
        line = error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{code}, text, sizeof text, file);
    } else {
        line = error_message_v(MESSAGE_ONLY, RuntimeCode{code}, text, sizeof text);
        if (!file.empty()) line += " (" + file + ")";
    }
    for (char& c : line)
        if (c == '\n') c = ' ';
    print_("*** ERROR *** : %s\n", line.c_str());
}

std::string root_sheet_file(const char* root) {
    return make_kind_file_name(root ? root : "", KIND_SCHEMA, 1);
}

std::string format_text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

void debug_printf(const char* format, ...) {
    if (!debug_enabled) return;
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    services().debug_write(text.c_str());
}

Schema* open_document(const std::string& file) {
    void* canvas = nullptr;
    return services().find_open_file(file.c_str(), &canvas);
}

void replace_document_items(Schema* target, Schema* source) {
    free_SchItem_list(target, &target->sheet->items);
    target->sheet->items = list_new();
    if (!target->sheet->items) no_memory();
    free_Library(target->library);
    target->library = source->library;
    source->library = new_Library();  // the source stays a whole document
    if (!source->library) no_memory();
    {
        CopyExactScope exact;
        copy_SchItem_list(target, target->sheet->items, source->sheet->items);
    }
    resolve_item_fonts(target->sheet->items, target->fonts);
    schema_set_modified(target);
}

JobSheets::JobSheets(SetOwner owner) : owner_(std::move(owner)) {}

JobSheets::~JobSheets() {
    for (JobSheet& sheet : sheets_)
        if (!sheet.in_place) close_schema(nullptr, &sheet.schema);
}

SetOwner annotation_owner(bool unannotate) {
    return {unannotate ? "un-annotation" : "annotation", ""};
}
SetOwner backannotation_owner(const std::string& change_file_identity) {
    return {"back-annotation", change_file_identity};
}
SetOwner erc_owner() { return {"electrical rule check", ""}; }

namespace {

std::string anchor_of(const char* root) { return root_sheet_file(root); }

}  // namespace

int refuse_half_saved(const char* root, const JobLog& log) {
    return refuse_half_saved_set(anchor_of(root).c_str(), log.print());
}

int settle_stopped_run(const char* root, const SetOwner& owner,
                       const std::vector<std::string>& targets, const JobLog& log,
                       bool* completed) {
    return settle_stopped_set(anchor_of(root).c_str(), owner, targets, log.print(), completed);
}

int JobSheets::take(List* names, const char* first_save_name, const JobLog& log,
                    const char* loading, std::string* failed) {
    completed_earlier_ = false;
    if (names && names->head) {
        anchor_ = anchor_of(static_cast<const char*>(names->head->data));
        writes_ = std::make_unique<ProjectWrites>(anchor_.c_str(), log.print());
        add_sheet_folders(*writes_, names);
        std::vector<std::string> targets;
        bool first = true;
        for (const char* name : list_items<const char>(names)) {
            const char* save =
                first && first_save_name && *first_save_name ? first_save_name : name;
            first = false;
            targets.push_back(make_kind_file_name(save, KIND_SCHEMA, 2));
        }
        if (int code =
                settle_stopped_run(anchor_.c_str(), owner_, targets, log, &completed_earlier_)) {
            if (failed) *failed = anchor_;
            return code;
        }
    }
    bool first = true;
    for (const char* name : list_items<const char>(names)) {
        JobSheet sheet;
        sheet.file = name;
        sheet.save_name = first && first_save_name && *first_save_name ? first_save_name : name;
        first = false;
        Schema* open = open_document(sheet.file);
        if (loading) log.progress(loading, name);
        if (open && open == open_document(sheet.save_name)) {
            sheet.schema = open;
            sheet.in_place = true;
        } else if (int code = load_schema_file(&sheet.schema, name); code != 0) {
            close_schema(nullptr, &sheet.schema);
            if (failed) *failed = name;
            for (JobSheet& taken : sheets_)
                if (!taken.in_place) close_schema(nullptr, &taken.schema);
            sheets_.clear();
            return code;
        }
        sheets_.push_back(sheet);
    }
    return 0;
}

bool JobSheets::confirm_set_overwrite(const JobLog& log) const {
    int existing = 0;
    std::vector<std::string> written;
    for (const JobSheet& sheet : sheets_) {
        if (sheet.in_place || open_document(sheet.save_name)) continue;
        const std::string file = make_kind_file_name(sheet.save_name.c_str(), KIND_SCHEMA, 2);
        if (file_access(file.c_str(), 0) == 0) ++existing;
        written.push_back(file);
    }
    // Sheets of other folders are named in the question.
    if (std::vector<std::string> outside = sheets_outside(anchor_.c_str(), written);
        !outside.empty())
        return confirm_outside_sheets(anchor_.c_str(), outside, existing, log.print());
    return existing == 0 || warning_box(nullptr, FILES_OVERWRITTEN, existing);
}

int JobSheets::store_all(const JobLog& log, const char* saving, const char* updating,
                         std::string* failed) {
    // Every file is written before any is replaced; the open documents
    // change only once the files did.
    FolderSyncBatch batch;
    FileSet files(anchor_.c_str(), owner_);
    // The set is replaced whole or not at all: one question for every file
    // it overwrites, naming how many. Declined, no file is written; the
    // documents changed in place stay changed (and marked below).
    const bool written = confirm_set_overwrite(log);
    for (JobSheet& sheet : sheets_) {
        if (!written) break;
        if (sheet.in_place || open_document(sheet.save_name)) continue;
        if (saving) log.progress(saving, sheet.save_name.c_str());
        int code = save_schema_file(sheet.schema, sheet.save_name.c_str(), false, &files);
        if (code != 0) {
            log.always("*** ERROR *** : Cannot save '%s' (Code %d): no sheet was changed\n",
                       sheet.save_name.c_str(), code);
            if (failed) *failed = sheet.file;
            return code;
        }
    }
    if (int code = files.commit(); code != 0) {
        if (files.recorded())
            log.always(
                "*** ERROR *** : The sheets could not all be replaced (Code %d): the next "
                "run completes them\n",
                code);
        else
            log.always(
                "*** ERROR *** : The sheets could not be replaced (Code %d): no sheet was "
                "changed\n",
                code);
        if (failed) *failed = anchor_;
        return code;
    }
    for (JobSheet& sheet : sheets_) {
        if (sheet.in_place) {
            if (updating) log.progress(updating, sheet.save_name.c_str());
            schema_set_modified(sheet.schema);
        } else if (Schema* target = written ? open_document(sheet.save_name) : nullptr) {
            if (updating) log.progress(updating, sheet.save_name.c_str());
            replace_document_items(target, sheet.schema);
        }
    }
    return 0;
}
