#include "foundation/file_names.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/file_system.h"

namespace {

bool is_dir_separator(char c) { return c == '/' || c == '\\'; }

bool starts_with(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool is_absolute_name(const char* name) {
    return is_dir_separator(name[0]) || (name[0] != '\0' && name[1] == ':') ||
           starts_with(name, ".\\") || starts_with(name, "./") || starts_with(name, "..\\") ||
           starts_with(name, "../");
}

// A directory written with '/' alone gets '/' added; DOS names keep '\'.
char separator_for(const std::string& directory) {
    bool slash = directory.find('/') != std::string::npos;
    bool backslash = directory.find('\\') != std::string::npos;
    return slash && !backslash ? '/' : '\\';
}

// Offset of the file name part: just after the last '/', '\' or ':'.
size_t base_offset(const char* name) {
    size_t start = 0;
    for (size_t i = 0; name[i]; ++i)
        if (is_name_separator(name[i])) start = i + 1;
    return start;
}

}  // namespace

std::string make_file_name(const char* name, const char* directory, const char* suffix_list,
                           int mode) {
    if (name == nullptr) name = "";
    std::string dir = directory ? directory : "";
    std::string result;
    if (is_absolute_name(name) || dir.empty()) {
        result = name;
    } else {
        result = dir;
        if (!is_dir_separator(dir.back())) result += separator_for(dir);
        result += name;
    }
    if (has_suffix(result.c_str())) return result;

    size_t bare = result.size();
    const char* cursor = suffix_list;
    std::string entry;
    while (next_suffix(cursor, entry)) {
        result.resize(bare);
        result += entry;
        if (mode == 2 || file_access(result.c_str(), 0) == 0) break;
    }
    return result;
}

int file_exists_as(const char* name, const char* directory, const char* suffix_list) {
    std::string path = make_file_name(name, directory, suffix_list, 1);
    return file_access(path.c_str(), 0) == 0 ? 0 : -1;
}

int next_suffix(const char*& cursor, std::string& out) {
    if (cursor == nullptr || *cursor == '\0') return 0;
    const char* end = std::strchr(cursor, ',');
    if (end == nullptr) end = cursor + std::strlen(cursor);
    out.assign(cursor, end);
    cursor = *end ? end + 1 : end;
    return 1;
}

size_t find_suffix(const char* name, std::string* out) {
    size_t start = base_offset(name);
    size_t length = start + std::strlen(name + start);
    const char* dot = std::strrchr(name + start, '.');
    // A '.' that begins the name or a component is no suffix (".profile").
    size_t pos = dot && dot != name + start ? static_cast<size_t>(dot - name) : length;
    if (out) out->assign(name + pos);
    return pos;
}

bool has_suffix(const char* name) { return name[find_suffix(name)] != '\0'; }

void replace_suffix(std::string& name, const char* suffix) {
    name.resize(find_suffix(name.c_str()));
    name += suffix;
}

int step_number(std::string& name, int step) {
    if (step == 0) return 0;
    if (step != 1 && step != 2) return -1;
    const char* text = name.c_str();
    size_t start = base_offset(text);
    size_t end = find_suffix(text);
    auto digit = [&](size_t i) { return std::isdigit(static_cast<unsigned char>(text[i])) != 0; };
    size_t last = end;  // one past the last digit before the suffix
    while (last > start && !digit(last - 1)) --last;
    if (last == start) return -1;
    size_t first = last - 1;
    while (first > start && digit(first - 1)) --first;
    if (first == start) return -1;  // a name that is its number is not stepped
    long long n = 0;
    for (size_t i = first; i < last; ++i) {
        n = n * 10 + (text[i] - '0');
        if (n > INT_MAX) return -1;
    }
    long long stepped = step == 1 ? n + 1 : n - 1;
    if (stepped < 0 || stepped > INT_MAX) return -1;
    std::string suffix = name.substr(end);
    name.resize(first);
    name += std::to_string(stepped);
    name += suffix;
    return static_cast<int>(stepped);
}

int change_suffix(std::string& name, const char* suffix, int step) {
    if (step_number(name, step) < 0) return -1;
    replace_suffix(name, suffix);
    return 0;
}

const char* base_name(const char* path) { return path + base_offset(path); }
const char* path_base_name(const char* path) { return base_name(path); }

std::string name_from_holder(const char* name, const char* holder) {
    std::string given = name ? name : "";
    if (!starts_with(given.c_str(), "./") && !starts_with(given.c_str(), ".\\") &&
        !starts_with(given.c_str(), "../") && !starts_with(given.c_str(), "..\\"))
        return given;
    const char* place = holder ? holder : "";
    std::string joined(place, base_offset(place));
    joined += given;
    std::string out;
    normalise_path(joined.c_str(), out);
    // Relative to the working directory, as the holder's own name is: kept
    // so by a leading "./", which the completion takes as it stands.
    if (!is_absolute_name(out.c_str())) out.insert(0, "./");
    return out;
}

void normalise_path(const char* in, std::string& out) {
    std::string text = in ? in : "";
    out.clear();
    size_t i = 0;
    if (text.size() >= 2 && text[1] == ':') {  // drive
        out.append(text, 0, 2);
        i = 2;
    }
    while (i < text.size() && is_dir_separator(text[i])) out += text[i++];  // root
    std::vector<std::string> parts;  // each with its separator, if any
    while (i < text.size()) {
        size_t j = i;
        while (j < text.size() && !is_dir_separator(text[j])) ++j;
        std::string component = text.substr(i, j - i);
        std::string separator = j < text.size() ? text.substr(j, 1) : "";
        i = j + (j < text.size() ? 1 : 0);
        if (component == "." || component.empty()) continue;
        if (component == "..") {
            if (!parts.empty() && !starts_with(parts.back().c_str(), "..\\"))
                parts.pop_back();
            else
                parts.push_back("..\\");
            continue;
        }
        parts.push_back(component + separator);
    }
    for (const std::string& part : parts) out += part;
}

bool check_file_name(const char* path) {
    if (!path) return false;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == ':' || *p == '/' || *p == '\\') name = p + 1;
    for (const char* p = name; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 32 || std::strchr(" <>\"|:", c)) return false;
    }
    return true;
}

std::string default_file_name_for(const std::string& document_name, const char* suffix) {
    std::string base = document_name.empty() ? "Untitled" : document_name;
    size_t slash = base.find_last_of("/\\:");
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.erase(dot);
    if (document_name.empty()) return base;
    std::string s = suffix ? suffix : "";
    // A suffix property may list several suffixes: the first one names files.
    if (size_t comma = s.find(','); comma != std::string::npos) s.erase(comma);
    return base + s;
}
