#include "connectivity/backannotate.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "foundation/app_utils.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/flagop.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"
#include "model/documents/sheet_items.h"

namespace {

// Document kind of the change file (EXT_BAN).
constexpr int CHANGE_FILE_KIND = 16;
// Marks a part renamed by the current parse.
constexpr uint32_t STATE_RENAMED = 0x10;

std::string quoted(const char* text) { return quote_string(text); }

// The change file beside the root: the root's name with the change file's
// suffix in place of its own.
std::string change_file_name(const char* root) {
    std::string base = root ? root : "";
    change_suffix(base, "", 0);
    return make_kind_file_name(base.c_str(), CHANGE_FILE_KIND, 1);
}

// Parses the open change file against one sheet.
int parse_change_file(FILE* in, Schema* schema, const JobLog& log) {
    BaContext ctx;
    ctx.in = in;
    ctx.schema = schema;
    ctx.log = &log;
    ba_scan_begin(&ctx);
    int result = yyparse_backannotate(&ctx);
    ba_scan_end(&ctx);
    return result;
}

void clear_renamed_marks(Schema* schema) {
    FlagOpScope clear(STATE_RENAMED, FLAGOP_CLEAR);
    flagop_apply(&schema->sheet->state);
    flag_SchItem_list(schema->sheet->items);
}

// A part's reference text, without its device letter or as shown.
const char* reference_of(Schema* schema, PlacedPart* part, bool plain) {
    return plain ? part->reference.text.get() : pl_reference_text(schema->library, part);
}

// Enters the part under its reference texts, in sheet order.
void list_part(BaContext* ctx, size_t place, PlacedPart* part) {
    const std::pair<size_t, PlacedPart*> entry{place, part};
    const std::string plain = reference_of(ctx->schema, part, true);
    for (const std::string& text : {plain, std::string(reference_of(ctx->schema, part, false))}) {
        auto& entries = ctx->parts[text];
        const auto at = std::lower_bound(entries.begin(), entries.end(), entry);
        if (at == entries.end() || *at != entry) entries.insert(at, entry);
    }
}

// The parts of the sheet whose reference is the text now, in sheet order,
// none of whose states has a bit of the mask.
std::vector<std::pair<size_t, PlacedPart*>> parts_named(BaContext* ctx, const char* reference,
                                                        uint32_t mask) {
    Schema* schema = ctx->schema;
    if (!ctx->parts_listed) {
        ctx->parts_listed = true;
        size_t place = 0;
        if (schema->current && schema->current->items) {
            ctx->parts.reserve(schema->current->items->count);
            for (SchItem* item : list_items<SchItem>(schema->current->items))
                if (item->type == PARTLIB_ITEM) list_part(ctx, place++, as_PlacedPart(item));
        }
    }
    const bool plain = ref_has_no_device(reference);
    std::vector<std::pair<size_t, PlacedPart*>> named;
    auto found = ctx->parts.find(reference);
    if (found == ctx->parts.end()) return named;
    for (const auto& entry : found->second) {
        PlacedPart* part = entry.second;
        if ((part->state & mask) != 0) continue;
        if (std::strcmp(reference_of(schema, part, plain), reference) == 0) named.push_back(entry);
    }
    return named;
}

}  // namespace

void yyerror_backannotate(BaContext* ctx, const char* message) {
    std::string text = message ? message : "";
    if (text.rfind("syntax error", 0) == 0) text = "parse error";
    if (text == "memory exhausted") text = "parser stack overflow";
    ctx->log->always("backannotate : Error : %s at line %d\n", text.c_str(), ctx->line);
}

void ba_rename(BaContext* ctx, const char* old_reference, const char* new_reference) {
    if (!ctx->schema) return;  // checking the file only
    const JobLog& log = *ctx->log;
    std::string from = quoted(old_reference), to = quoted(new_reference);
    if (ref_has_no_device(old_reference) != ref_has_no_device(new_reference)) {
        log.progress("*** WARNING *** : Cannot BackAnnotate %s to %s\n", from.c_str(), to.c_str());
        return;
    }
    log.progress("BackAnnotate %s ==> %s\n", from.c_str(), to.c_str());
    const auto named = parts_named(ctx, old_reference, STATE_RENAMED);
    for (const auto& [place, part] : named) {
        pl_set_reference(ctx->schema->library, part, new_reference);
        part->state |= STATE_RENAMED;
        list_part(ctx, place, part);
    }
    if (named.empty()) log.progress("*** WARNING *** : Part %s not found\n", from.c_str());
}

void ba_swap(BaContext* ctx, const char* reference, const char* pin1, const char* pin2) {
    if (!ctx->schema) return;
    const JobLog& log = *ctx->log;
    std::string ref = quoted(reference), p1 = quoted(pin1), p2 = quoted(pin2);
    log.progress("Swap pins in %s : %s  ==> %s\n", ref.c_str(), p1.c_str(), p2.c_str());
    const auto named = parts_named(ctx, reference, 0);
    PlacedPart* part = named.empty() ? nullptr : named.front().second;
    if (!part) {
        log.progress("*** WARNING *** : Part %s not found\n", ref.c_str());
        return;
    }
    if (int code = pl_swap_pins(ctx->schema->library, part, pin1, pin2); code != 0) {
        const char* message = error_message_v(MESSAGE_WITH_DETAIL, RuntimeCode{code}, nullptr, 0,
                                              ref.c_str(), p1.c_str(), p2.c_str());
        log.progress("%s\n", message);
    }
}

int ba_parse_text(const std::string& text, Schema* schema, const JobLog& log) {
    FILE* in = std::tmpfile();
    if (!in) return -1;
    std::fwrite(text.data(), 1, text.size(), in);
    std::rewind(in);
    int result = parse_change_file(in, schema, log);
    std::fclose(in);
    return result;
}

namespace {

// What tells one change file from another: its bytes (their count and a
// hash), wherever it lies. The stream is left at its start.
std::string change_file_identity(FILE* in) {
    uint64_t hash = 1469598103934665603ull;
    uint64_t size = 0;
    std::rewind(in);
    for (int c; (c = std::getc(in)) != EOF; ++size)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::rewind(in);
    return format_text("%llu bytes, hash %016llx", static_cast<unsigned long long>(size),
                       static_cast<unsigned long long>(hash));
}

}  // namespace

int backannotate(const char* root, std::string* name, JobPrint print, List* list) {
    JobLog log(print, BACK_VERBOSE);
    std::string file = change_file_name(root);
    FILE* in = open_file(file.c_str(), "r");
    if (!in) {
        debug_printf("Can't open filein '%s'\n", file.c_str());
        return -1;
    }
    // The whole file is checked first: a syntax error is found before any
    // statement changed a sheet (open documents included).
    if (int checked = parse_change_file(in, nullptr, log); checked != 0) {
        std::fclose(in);
        return checked;
    }
    const std::string outfile = strproper_get(BACK_OUTFILE);
    JobSheets sheets(backannotation_owner(change_file_identity(in)));
    std::string failed;
    if (int code = sheets.take(list, outfile.c_str(), log, "Loading sheet %s...\n", &failed);
        code != 0) {
        if (name) *name = failed;
        debug_printf("Result %d\n", code);
        std::fclose(in);
        return code;
    }
    if (sheets.completed_earlier()) {
        // What was completed is this file's changes as an earlier run made
        // them: applied again, renames and swaps would go further or back.
        log.always("The change file is not applied again\n");
        std::fclose(in);
        return 0;
    }
    if (!sheets.sheets().empty()) proper_set(BACK_OUTFILE, sheets.sheets()[0].save_name.c_str(), 0);
    int result = 0;
    for (JobSheet& sheet : sheets.sheets()) {
        if (name) *name = sheet.file;
        clear_renamed_marks(sheet.schema);
        log.progress("Parsing backanno file...\n");
        std::rewind(in);
        result = parse_change_file(in, sheet.schema, log);
        clear_renamed_marks(sheet.schema);
        debug_printf("Result %d\n", result);
        if (result != 0) break;
    }
    std::fclose(in);
    if (result != 0) return result;
    failed.clear();
    result =
        sheets.store_all(log, "Writing sheet file %s...\n", "Writing sheet file %s...\n", &failed);
    if (result != 0 && name) *name = failed;
    return result;
}
