// File-name checks, default names, the autosave rotation and the title
// fields' text form: the shell's file logic that needs no window.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <sys/stat.h>

#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/font_record.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "model/documents/schema.h"
#include "shell/shell_ops.h"

std::string autosave_copy_name(const std::string& file, int number) {
    std::string base = default_file_name_for(file.empty() ? "Untitled" : file, "");
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%03d", number);
    return base + suffix;
}

namespace {

// A name in use: a file, or a link (also one that leads nowhere).
bool name_in_use(const std::string& name) {
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0;
}

}  // namespace

int autosave_rotate(const std::string& file, int nb_back, int (*write)(void*, FILE*), void* data) {
    if (nb_back < 1) nb_back = 1;
    // The oldest copy goes; every other moves one up, links as they are. A
    // copy that is missing leaves a gap, which the next rotations close.
    std::remove(autosave_copy_name(file, nb_back).c_str());
    for (int n = nb_back - 1; n >= 1; --n) {
        std::string from = autosave_copy_name(file, n);
        if (name_in_use(from)) std::rename(from.c_str(), autosave_copy_name(file, n + 1).c_str());
    }
    // The copies lie beside the sheet, in a project that may come from
    // someone else: a first copy that could not be moved up is replaced
    // only when it is a sheet, and a link is followed only to one.
    const std::string first = autosave_copy_name(file, 1);
    ProjectWrites folder(first.c_str(), nullptr);
    return write_atomically(
        first.c_str(), "wb", [&](FILE* out) { return write(data, out); }, false, ".BAK", nullptr,
        FileKind::SHEET);
}

std::string prompt_text(const char* text) {
    std::string s = text ? text : "";
    if (s.size() <= PROMPT_MAX) return s;
    size_t cut = PROMPT_MAX;
    // Never in the middle of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return s.substr(0, cut);
}

// --- title fields as quoted, comma-separated columns ---------------------------------------

namespace {
constexpr int FIELD_COUNT = 26;
}

int title_fields_write(Schema* schema, const char* file_name) {
    if (!schema) return 68;
    return write_atomically(
        file_name, "w",
        [&](FILE* out) {
            for (int i = 1; i <= FIELD_COUNT; ++i)
                std::fprintf(out, "\"%s\",", schema_field(schema, i));
            put_newline(out);
            return 0;
        },
        false);
}

int title_fields_read(Schema* schema, const char* file_name) {
    if (!schema) return 68;
    std::unique_ptr<FILE, int (*)(FILE*)> in(open_file(file_name, "r"), std::fclose);
    if (!in) return 1;
    // Read every column first: a damaged file changes no field.
    std::string columns[FIELD_COUNT];
    int count = 0;
    int c;
    while (count < FIELD_COUNT && (c = std::getc(in.get())) != EOF) {
        if (c != '"') continue;
        std::string value;
        while ((c = std::getc(in.get())) != EOF && c != '"') {
            if (c == '\r' || c == '\n') return 5;  // a column never spans lines
            if (value.size() < FIELD_LONG) value += static_cast<char>(c);
        }
        if (c == EOF) return 5;
        columns[count++] = value;
    }
    if (count == 0) return 5;
    for (int i = 0; i < count; ++i) schema_set_field(schema, i + 1, columns[i].c_str());
    return 0;
}
