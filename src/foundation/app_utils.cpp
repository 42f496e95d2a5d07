#include "foundation/app_utils.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "foundation/file_system.h"
#include "foundation/matrix.h"
#include "foundation/properties.h"
#include "foundation/text_forms.h"
#include "platform/profile.h"

namespace {

// The folders the user overrode, the search flag and the editing-folder
// hook with the folders in use it gave.
struct FolderState {
    std::string project_override;
    std::string library_override;
    int search_flag_value = 0;
    std::string (*editing_folder)() = nullptr;
    std::string folder_in_use[2];  // project, library: the editing folder standing in
} folders;

constexpr int kind_suffix[DOCUMENT_KIND_COUNT] = {
    EXT_CONFIG,  EXT_CLB,   EXT_ORCLIB, EXT_SLB,  EXT_REPORT, EXT_SCHEMA, EXT_NETLIST,
    EXT_LIBLIST, EXT_STUFF, EXT_MPL,    EXT_ASC,  EXT_NETFMT, EXT_NETERC, 0,
    EXT_ORCNET,  EXT_LOG,   EXT_BAN,    EXT_TMPL, EXT_BOM,
};

bool is_library_kind(int kind) { return kind >= 1 && kind <= 3; }

bool is_separator(char c) { return c == '/' || c == '\\'; }

// The current working directory, however long.
std::string current_dir() {
    std::vector<char> buffer(256);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

bool is_directory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// ---------------------------------------------------------------------------
// The folders in use

void set_editing_folder_hook(std::string (*hook)()) { folders.editing_folder = hook; }

const char* dir_in_use(int dir_property) {
    const char* configured = strproper_get(dir_property);
    const std::string path = system_path(configured ? configured : "");
    if (!folders.editing_folder || path.empty() || is_directory(path)) return configured;
    std::string folder = folders.editing_folder();
    if (folder.empty()) return configured;
    std::string& kept = folders.folder_in_use[dir_property == DIR_LIBRARY ? 1 : 0];
    kept = std::move(folder);
    return kept.c_str();
}

// ---------------------------------------------------------------------------
// Document kinds

int kind_suffix_property(int kind) {
    if (kind < 0 || kind >= DOCUMENT_KIND_COUNT) return 0;
    return kind_suffix[kind];
}

void kind_file_parts(int kind, const char** directory, const char** suffixes, int mode) {
    const std::string& override_dir =
        is_library_kind(kind) ? folders.library_override : folders.project_override;
    if (mode == 1 && !override_dir.empty())
        *directory = override_dir.c_str();
    else
        *directory = dir_in_use(is_library_kind(kind) ? DIR_LIBRARY : DIR_PROJECT);
    if (kind == 13)
        *suffixes = ".sch";
    else if (int id = kind_suffix_property(kind))
        *suffixes = strproper_get(id);
    else
        *suffixes = "";
}

std::string make_kind_file_name(const char* name, int kind, int mode) {
    const char* directory = nullptr;
    const char* suffixes = nullptr;
    kind_file_parts(kind, &directory, &suffixes, mode);
    return make_file_name(name, directory, suffixes, mode);
}

void set_project_dir_override(const char* file_name) {
    std::string dir = dir_of(file_name);
    if (!dir.empty()) folders.project_override = dir;
}

void set_library_dir_override(const char* file_name) {
    std::string dir = dir_of(file_name);
    if (!dir.empty()) folders.library_override = dir;
}

void clear_project_dir_override() { folders.project_override.clear(); }
const std::string& project_dir_override() { return folders.project_override; }
void clear_library_dir_override() { folders.library_override.clear(); }

// ---------------------------------------------------------------------------
// Paths and directories

std::string dir_of(const char* path) {
    std::string p = path ? path : "";
    size_t sep = p.find_last_of("/\\");
    return sep == std::string::npos ? std::string() : p.substr(0, sep + 1);
}

std::string suffix_wildcard(int suffix_property) {
    const char* text = strproper_get(suffix_property);
    std::string s = text ? text : "";
    return "*" + s.substr(0, s.find(','));
}

void add_separator(std::string& path) {
    if (path.empty()) {
        path = "\\";
        return;
    }
    char last = path.back();
    if (last != ':' && !is_separator(last)) path += '\\';
}

std::string full_path_in_dir(const char* name, int dir_property) {
    if (name && name[0] && name[1] == ':') return name;
    const char* dir = dir_in_use(dir_property);
    std::string r = make_file_name(path_base_name(name ? name : ""), dir ? dir : "", nullptr, 1);
    if (r.size() >= 2 && r[1] == ':') return r;
    if (!r.empty() && is_separator(r[0])) return r;  // already absolute (no drives here)
    if (r.size() >= 2 && r[0] == '.' && is_separator(r[1])) r.erase(0, 2);
    std::string cwd = current_dir();
    if (cwd.empty() || cwd.back() != '/') cwd += '/';
    return cwd + r;
}

std::string full_dir_path(int dir_property) {
    std::string path = full_path_in_dir("", dir_property);
    bool after_drive = path.size() == 3 && path[1] == ':';
    if (path.size() > 1 && is_separator(path.back()) && !after_drive) path.pop_back();
    return path;
}

bool check_directory(const char* path, bool create, bool stay) {
    std::string target = system_path(path ? path : "");
    if (target.empty()) return false;
    std::string saved = current_dir();
    bool ok = ::chdir(target.c_str()) == 0;
    if (!ok && create) {
        // Make each missing level in turn, from the root or the current directory.
        ok = true;
        size_t pos = target[0] == '/' ? 1 : 0;
        while (ok && pos <= target.size()) {
            size_t slash = target.find('/', pos);
            if (slash == std::string::npos) slash = target.size();
            std::string level = target.substr(0, slash);
            if (!level.empty() && !is_directory(level) && ::mkdir(level.c_str(), 0777) != 0 &&
                errno != EEXIST)
                ok = false;
            pos = slash + 1;
        }
        ok = ok && ::chdir(target.c_str()) == 0;
    }
    if (!(create && stay)) (void)::chdir(saved.c_str());
    return ok;
}

void set_dir_property(const char* path, bool project) {
    (void)check_directory(path, true, false);
    proper_set(project ? DIR_PROJECT : DIR_LIBRARY, path ? path : "", 0);
}

char** list_library_files(int* count) {
    *count = 0;
    const char* suffixes = strproper_get(EXT_CLB);
    std::string suffix = suffixes ? suffixes : "";
    suffix = suffix.substr(0, suffix.find(','));
    std::string dir = system_path(dir_in_use(DIR_LIBRARY));
    if (dir.empty()) dir = ".";

    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            size_t n = std::strlen(e->d_name);
            if (n < suffix.size()) continue;
            if (strcasecmp(e->d_name + n - suffix.size(), suffix.c_str()) != 0) continue;
            struct stat st {};
            if (::stat((dir + "/" + e->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            names.emplace_back(e->d_name);
        }
        ::closedir(d);
    }
    if (names.empty()) return nullptr;
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    auto** array = static_cast<char**>(std::malloc(names.size() * sizeof(char*)));
    if (!array) no_memory();
    for (size_t i = 0; i < names.size(); ++i) array[i] = str_dup(names[i].c_str());
    *count = static_cast<int>(names.size());
    return array;
}

void free_name_array(char** array, int count) {
    if (!array) return;
    for (int i = 0; i < count; ++i) std::free(array[i]);
    std::free(array);
}

bool write_profile_string(const char* file, const char* section, const char* key,
                          const char* value) {
    return write_private_profile_string(section, key, value, file);
}

// ---------------------------------------------------------------------------
// Standard library list

int stdlib_count() { return proper_get(NB_STDLIB); }

const char* stdlib_name(int index) { return strproper_get(LIBS, index); }

int stdlib_insert(const char* name, int position) {
    int count = stdlib_count();
    if (position < 0 || position >= STDLIB_MAX) return 56;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(stdlib_name(i), name) == 0) return 62;
    if (count >= STDLIB_MAX) return 56;
    for (int i = count - 1; i >= position; --i) {
        std::string moved = stdlib_name(i);
        proper_set(LIBS, i + 1, moved, 0);
    }
    proper_set(LIBS, position, name, NB_STDLIB, count + 1, 0);
    return 0;
}

int stdlib_remove(const char* name) {
    int count = stdlib_count();
    int at = -1;
    for (int i = 0; i < count && at < 0; ++i)
        if (std::strcmp(stdlib_name(i), name) == 0) at = i;
    if (at < 0) return 63;
    for (int i = at; i + 1 < count; ++i) {
        std::string moved = stdlib_name(i + 1);
        proper_set(LIBS, i, moved, 0);
    }
    proper_set(NB_STDLIB, count - 1, 0);
    return 0;
}

void stdlib_clear() {
    while (stdlib_count() > 0) {
        std::string first = stdlib_name(0);
        if (stdlib_remove(first.c_str()) != 0) break;
    }
    proper_set(NB_STDLIB, 0, 0);
}

// ---------------------------------------------------------------------------
// Hooks

void config_hooks_install() {
    set_backup_hook([] { return static_cast<int>(proper_get(BAK_FILE)); });
    set_newline_hook([] { return static_cast<int>(proper_get(ADDCR_REPORTS)); });
    set_unit_hook([] { return static_cast<int>(proper_get(VIS_SYST)); });
    set_no_scale(1);
}

// ---------------------------------------------------------------------------
// Dates and texts

uint32_t time_stamp_at(time_t when) {
    // The UTC calendar date worked out directly (days since 1970-01-01 to
    // year, month, day in the proleptic Gregorian calendar, counting in
    // 400-year eras from 0000-03-01): the C library's conversion takes a
    // lock, and every placed part made or loaded asks for a stamp.
    const int64_t t = when;
    const int64_t days = (t >= 0 ? t : t - 86399) / 86400;
    const int64_t seconds = t - days * 86400;
    const int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t day_of_era = z - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t shifted_month = (5 * day_of_year + 2) / 153;  // 0 = March
    const int64_t mday = day_of_year - (153 * shifted_month + 2) / 5 + 1;
    const int64_t month = shifted_month < 10 ? shifted_month + 3 : shifted_month - 9;
    const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    auto u32 = [](int64_t v) { return static_cast<uint32_t>(v); };
    return u32(year - 1993) * 642816000u + u32(month) * 53568000u + u32(mday) * 1728000u +
           u32(seconds % 3600 / 60) * 72000u + u32(seconds % 60) * 20u;
}

uint32_t time_stamp() {
    // The stamp changes once a second: worked out again only then.
    static thread_local time_t last = -1;
    static thread_local uint32_t stamp = 0;
    time_t now = std::time(nullptr);
    if (now != last) {
        stamp = time_stamp_at(now);
        last = now;
    }
    return stamp;
}

std::string date_string_at(time_t when) {
    struct tm t {};
    localtime_r(&when, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", t.tm_mon + 1, t.tm_mday, t.tm_year);
    return text;
}

std::string date_string() { return date_string_at(std::time(nullptr)); }

void write_ctime(FILE* stream) {
    time_t now = std::time(nullptr);
    char text[64];
    struct tm t {};
    localtime_r(&now, &t);
    if (!asctime_r(&t, text)) return;
    text[std::strcspn(text, "\n")] = '\0';
    std::fputs(text, stream);
}

const char* user_name() { return "Unknow user"; }

void write_host_name(FILE* stream) { std::fputs("Unknow host", stream); }

void set_search_flag(int flag) { folders.search_flag_value = flag; }
int search_flag() { return folders.search_flag_value; }
