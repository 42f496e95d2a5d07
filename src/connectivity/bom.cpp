#include "connectivity/bom.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "foundation/app_utils.h"
#include "foundation/core.h"
#include "foundation/file_system.h"
#include "foundation/list.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/attribute.h"
#include "model/documents/batch.h"
#include "model/documents/document.h"
#include "model/documents/placed_part.h"
#include "model/documents/schema.h"

namespace {

constexpr int SHEET_NOT_FOUND = 85;
constexpr int REPORT_KIND = 4;
constexpr size_t MERGE_TEXT_MAX = 127;
// A merge string is kept up to this length; the rest is read and dropped.
constexpr size_t MERGE_STRING_MAX = 4096;
// A page wider than this is taken as this wide.
constexpr long long WIDTH_MAX = 4096;

struct RowOrder {
    bool operator()(const std::string& a, const std::string& b) const {
        return bom_row_before(a, b);
    }
};

struct Row {
    std::string merge;                    // "" for a key that only parts gave
    std::vector<std::string> references;  // as collected
};
using Rows = std::map<std::string, Row, RowOrder>;

// The ','-separated pieces of a key.
std::vector<std::string> segments(const std::string& key) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        size_t comma = key.find(',', start);
        pieces.push_back(key.substr(start, comma - start));
        if (comma == std::string::npos) return pieces;
        start = comma + 1;
    }
}

// --- merge file ---------------------------------------------------------------------------------

class MergeReader {
public:
    explicit MergeReader(FILE* file) : file_(file) {}
    int line() const { return line_; }
    // The next quoted string; false at the end of the file (*complete tells
    // whether a string was cut short by it).
    bool next(std::string* text, bool* complete) {
        *complete = true;
        int c;
        while ((c = get()) != EOF && c != '\'') {
        }
        if (c == EOF) return false;
        text->clear();
        for (;;) {
            c = get();
            if (c == EOF) {
                *complete = false;
                return false;
            }
            if (c == '\'') {
                int after = std::fgetc(file_);
                if (after != '\'') {
                    if (after != EOF) std::ungetc(after, file_);
                    return true;
                }
            }
            if (text->size() < MERGE_STRING_MAX) *text += static_cast<char>(c);
        }
    }

private:
    int get() {
        int c = std::fgetc(file_);
        if (c == '\n') ++line_;
        return c;
    }
    FILE* file_;
    int line_ = 1;
};

void merge_warning(const JobLog& log, const std::string& text) {
    warning("%s", text.c_str());
    log.always("%s", text.c_str());
}

// Reads the merge file into the rows; *heading gets the merge column's
// heading and *width the longest text.
void read_merge_file(const std::string& name, Rows* rows, std::string* heading, size_t* width,
                     const JobLog& log) {
    std::string file = make_kind_file_name(name.c_str(), REPORT_KIND, 1);
    FILE* in = open_file(file.c_str(), "r");
    if (!in) {
        merge_warning(log, "cannot open merge file -- ignoring\n");
        return;
    }
    MergeReader reader(in);
    std::string key, text;
    bool complete = true, first = true;
    while (reader.next(&key, &complete)) {
        if (!reader.next(&text, &complete)) {
            complete = false;
            break;
        }
        if (first) {
            *heading = text;
            *width = text.size();
            first = false;
            continue;
        }
        if (rows->count(key)) {
            merge_warning(log, format_text("duplicate merge line, near line #%d\n", reader.line()));
            continue;
        }
        (*rows)[key].merge = text;
        *width = std::max(*width, text.size());
    }
    if (!complete)
        merge_warning(log, format_text("merge file ends inside a string or a pair, near line #%d\n",
                                       reader.line()));
    std::fclose(in);
}

// --- report ---------------------------------------------------------------------------------------

struct Layout {
    int rw = 10;                        // references
    int vw = 6;                         // each value column
    int ncol = 1;                       // value columns
    int mw = 0;                         // merge text
    int height = 60;                    // lines per page
    std::vector<std::string> headings;  // of the value columns
    std::string merge_heading;
};

class ReportWriter {
public:
    ReportWriter(FILE* out, const Layout& layout, const char* root)
        : out_(out), l_(layout), root_(root ? root : "") {}

    void row(int item, const std::string& key, const std::vector<std::string>& refs,
             const std::string& merge_text) {
        size_t next = 0;
        std::string merge = merge_text.substr(0, MERGE_TEXT_MAX);
        std::string line = format_text("%6d  %6d  ", item, static_cast<int>(refs.size()));
        line += references(refs, &next);
        std::vector<std::string> pieces = segments(key);
        for (int i = 0; i < l_.ncol; ++i) {
            std::string piece = i < static_cast<int>(pieces.size()) ? pieces[i] : "";
            if (strcasecmp(piece.c_str(), "NULL") == 0) piece.clear();
            line += format_text("  %*.*s", l_.vw, l_.vw, piece.c_str());
        }
        line += "  " + split_merge(&merge);
        end_line(line);
        while (next < refs.size() || !merge.empty()) {
            line.assign(16, ' ');
            line += references(refs, &next);
            if (!merge.empty()) {
                line.resize(16 + static_cast<size_t>(l_.rw + (l_.vw + 2) * l_.ncol - 2), ' ');
                line += "    " + split_merge(&merge);
            }
            end_line(line);
        }
    }

private:
    void header() {
        lines_ = 0;
        ++page_;
        std::fprintf(out_, "Bill of materials -- project %s -- page %d", root_.c_str(), page_);
        put_newline(out_);
        put_newline(out_);
        lines_ = 1;
        std::string line = "  Item     Qty  References";
        line.resize(std::max<size_t>(line.size(), 16 + static_cast<size_t>(l_.rw)), ' ');
        for (const std::string& heading : l_.headings) {
            if (l_.vw > static_cast<int>(heading.size())) line.append(l_.vw - heading.size(), ' ');
            line += "  " + heading;
        }
        line += "  " + l_.merge_heading;
        std::fputs(line.c_str(), out_);
        put_newline(out_);
        lines_ = 2;
        line = "----------------" + std::string(l_.rw, '-') +
               std::string(static_cast<size_t>((l_.vw + 2) * l_.ncol), '-') + "--" +
               std::string(l_.mw, '-');
        std::fputs(line.c_str(), out_);
        put_newline(out_);
        lines_ = 3;
    }

    // A full page is followed by the next page's header, written with the
    // next line (so that no header stands alone at the end).
    void end_line(const std::string& line) {
        if (lines_ == 0) header();
        std::fputs(line.c_str(), out_);
        put_newline(out_);
        if (++lines_ >= l_.height) lines_ = 0;
    }

    // The references from *next that fit the column, joined by ','; a ','
    // follows when more remain. A reference too long for the column stands
    // alone, so that every line makes progress.
    std::string references(const std::vector<std::string>& refs, size_t* next) const {
        std::string text;
        bool any = false;
        while (*next < refs.size()) {
            const std::string& ref = refs[*next];
            if (any && static_cast<int>(text.size() + 1 + ref.size()) >= l_.rw) break;
            if (!any && static_cast<int>(1 + ref.size()) >= l_.rw) {
                text = ref;
                ++*next;
                any = true;
                break;
            }
            if (any) text += ',';
            text += ref;
            any = true;
            ++*next;
        }
        if (*next < refs.size()) text += ',';
        if (static_cast<int>(text.size()) < l_.rw) text.resize(static_cast<size_t>(l_.rw), ' ');
        return text;
    }

    // The part of the merge text that fits the column, cut at its last
    // blank (the blank dropped) or at the width; the rest stays in *text.
    std::string split_merge(std::string* text) const {
        size_t mw = static_cast<size_t>(l_.mw);
        if (text->size() <= mw) {
            std::string part = *text;
            text->clear();
            return part;
        }
        size_t blank = text->rfind(' ', mw);
        std::string part;
        if (blank != std::string::npos) {
            part = text->substr(0, blank);
            text->erase(0, blank + 1);
        } else {
            part = text->substr(0, std::max<size_t>(mw, 1));
            text->erase(0, std::max<size_t>(mw, 1));
        }
        return part;
    }

    FILE* out_;
    const Layout& l_;
    std::string root_;
    int page_ = 0;
    int lines_ = 0;
};

// References sorted shorter first, then ignoring case; exact repeats (two
// devices of one package) count once. Texts equal but for their case are
// kept apart by an exact tie-break, so every repeat lands beside its twin.
std::vector<std::string> sorted_references(std::vector<std::string> refs) {
    std::sort(refs.begin(), refs.end(), [](const std::string& a, const std::string& b) {
        if (a.size() != b.size()) return a.size() < b.size();
        int c = strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    refs.erase(std::unique(refs.begin(), refs.end()), refs.end());
    return refs;
}

void fix_widths(Layout* l) {
    long long width = std::min<long long>(proper_get(BOM_WIDTH), WIDTH_MAX);
    long long columns = static_cast<long long>(l->vw + 2) * l->ncol;
    long long rw = width - 20 - columns - l->mw;
    if (rw < 10) {
        long long grown = columns + 10 + l->mw + 20;
        if (l->mw != 0 && grown > width)
            l->mw = static_cast<int>(std::max<long long>(10, l->mw - (grown - width)));
        rw = 10;
    }
    l->rw = static_cast<int>(rw);
    l->height = std::max(10, static_cast<int>(proper_get(BOM_HEIGHT)));
}

int write_report(const char* root, const char* output, const Rows& rows, Layout* layout,
                 const JobLog& log) {
    fix_widths(layout);
    AtomicFile out(output ? output : "", "w", nullptr, FileKind::BOM);
    if (!out.is_open()) {
        if (out.open_failure() != 50) return out.open_failure();  // the log names it
        log.always("Cannot create '%s' -- exiting\n", output ? output : "");
        return 50;
    }
    ReportWriter writer(out.stream(), *layout, root);
    int item = 0;
    for (const auto& [key, row] : rows) {
        std::vector<std::string> refs = sorted_references(row.references);
        if (refs.empty()) continue;
        writer.row(++item, key, refs, row.merge);
    }
    return out.commit(true);
}

}  // namespace

std::vector<int> bom_chosen_fields() {
    std::vector<int> fields;
    int count = static_cast<int>(proper_get(NB_FIELD_NAME));
    for (int i = 0; i <= count - 3 && i < 256; ++i)
        if (proper_get(BOM_FIELDS, i)) fields.push_back(i + 2);
    return fields;
}

std::string bom_key(PlacedPart* part, const std::vector<int>& fields) {
    std::string key = part->value.text.get();
    for (int field : fields) {
        const Attribute* attribute = pl_get_attribute(part, field);
        key += ',';
        key += attribute ? attribute->text.get() : "NULL";
    }
    return key;
}

bool bom_row_before(const std::string& a, const std::string& b) {
    size_t la = a.find(','), lb = b.find(',');
    la = la == std::string::npos ? a.size() : la;
    lb = lb == std::string::npos ? b.size() : lb;
    if (la != lb) return la < lb;
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

int bill_of_materials(const char* root, const char* output, JobPrint print) {
    JobLog log(print, BOM_VERBOSE);
    const std::vector<int> fields = bom_chosen_fields();
    Layout layout;
    layout.ncol = 1 + static_cast<int>(fields.size());
    std::string value_heading = get_field_name(1);
    if (strcasecmp(value_heading.c_str(), "Part Value") == 0) value_heading.erase(0, 5);
    layout.headings.push_back(value_heading);
    for (int field : fields) {
        layout.headings.emplace_back(get_field_name(field));
        layout.vw = std::max(layout.vw, static_cast<int>(layout.headings.back().size()));
    }
    std::string merge_name = proper_get(BOM_MERGE) ? strproper_get(BOM_MERGEFILE) : "";

    if (int code = refuse_half_saved(root, log)) return code;
    List* sheets = list_project_sheets(root ? root : "", proper_get(BOM_HIER) != 0, nullptr);
    if (!sheets) return SHEET_NOT_FOUND;
    Rows rows;
    size_t merge_width = 0;
    if (!merge_name.empty())
        read_merge_file(merge_name, &rows, &layout.merge_heading, &merge_width, log);
    layout.mw = static_cast<int>(std::min<size_t>(merge_width, MERGE_STRING_MAX));

    int result = 0;
    Schema* schema = nullptr;
    for (const char* file : list_items<const char>(sheets)) {
        log.progress("Loading schematic file '%s'...\n", file);
        if (int code = load_schema_file(&schema, file); code != 0) {
            result = code;
            break;
        }
        for (SchItem* item : list_items<SchItem>(schema->sheet->items)) {
            if (item->type != PARTLIB_ITEM) continue;
            PlacedPart* part = as_PlacedPart(item);
            std::string key = bom_key(part, fields);
            rows[key].references.emplace_back(part->reference.text.get());
            layout.vw = std::max(layout.vw, static_cast<int>(std::strlen(part->value.text.get())));
            for (const std::string& piece : segments(key))
                layout.vw = std::max(layout.vw, static_cast<int>(piece.size()));
        }
    }
    close_schema(nullptr, &schema);
    free_name_list(sheets);
    ProjectWrites writes(root_sheet_file(root).c_str(), log.print());
    int written = write_report(root, output, rows, &layout, log);
    return result != 0 ? result : written;
}
