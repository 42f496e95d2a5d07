#include "platform/profile.h"

#include "platform/safe_replace.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

// One file in memory: its lines without their ends, and the line end it
// uses (new lines are written the same way).
struct ProfileText {
    std::vector<std::string> lines;
    bool crlf = false;
};

// The last file read or written, kept while the file on disk is unchanged
// (same inode, size and modification time): loading all properties asks
// for hundreds of keys of one file. File times are coarse (a few
// milliseconds), so a file changed in the last two seconds is read again
// each time: another change within the same tick would look unchanged.
struct Cache {
    bool valid = false;
    bool trusted = false;
    std::string path;
    struct stat st {};
    ProfileText text;
} cache;

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

bool equal_nocase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// A section header "[name]" gives its name; a missing ']' takes the rest of
// the line as the name.
bool section_name(std::string_view line, std::string_view* name) {
    line = trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    size_t close = line.find(']');
    if (close != std::string_view::npos) line = line.substr(0, close);
    *name = trim(line);
    return true;
}

// A "key=value" line gives its trimmed key and value; other lines (blank,
// comments, text without '=') are kept but never match.
bool key_line(std::string_view line, std::string_view* key, std::string_view* value) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() == ';') return false;
    size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    *key = trim(t.substr(0, eq));
    *value = trim(t.substr(eq + 1));
    return true;
}

void split_lines(const std::string& bytes, ProfileText* text) {
    text->lines.clear();
    text->crlf = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        size_t stop = end;
        if (stop > start && bytes[stop - 1] == '\r') {
            --stop;
            if (text->lines.empty()) text->crlf = true;
        }
        text->lines.emplace_back(bytes, start, stop - start);
        start = end + 1;
    }
}

// Reads the whole file, bounded by the size it has when opened. False when
// the file does not exist, is not a regular file (a pipe is never waited
// on) or cannot be read (text is then empty).
bool load(const std::string& path, ProfileText* text, struct stat* st_out) {
    text->lines.clear();
    text->crlf = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    split_lines(bytes, text);
    if (st_out) *st_out = st;
    return true;
}

bool settled(const struct stat& st) {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec - st.st_mtim.tv_sec >= 2;
}

// The file's text, from the cache while the file is unchanged.
const ProfileText* current_text(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        cache.valid = false;
        return nullptr;
    }
    if (cache.valid && cache.trusted && cache.path == path && same_file(cache.st, st))
        return &cache.text;
    cache.valid = load(path, &cache.text, &cache.st);
    cache.trusted = cache.valid && settled(cache.st);
    cache.path = path;
    return cache.valid ? &cache.text : nullptr;
}

bool make_dirs(const std::string& dir) {
    std::string partial;
    size_t pos = 0;
    while (pos <= dir.size()) {
        size_t slash = dir.find('/', pos);
        if (slash == std::string::npos) slash = dir.size();
        partial = dir.substr(0, slash);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
        pos = slash + 1;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool write_all(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the text to a temporary file beside path and renames it over path
// only when every write, the flush to disk and the close succeeded (a link
// is followed; a file the user may not write is refused).
bool save(const std::string& path, const ProfileText& text) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (path.rfind(profile_directory(), 0) == 0 && !make_dirs(dir)) return false;

    std::string bytes;
    const char* end = text.crlf ? "\r\n" : "\n";
    for (const std::string& line : text.lines) {
        bytes += line;
        bytes += end;
    }
    Replacement file;
    if (!open_replacement(path, &file)) {
        cache.valid = false;
        return false;
    }
    bool ok = write_all(file.fd, bytes);
    ok = ::close(file.fd) == 0 && ok;
    if (!ok || !commit_replacement(&file, "")) {
        drop_replacement(&file);
        cache.valid = false;
        return false;
    }
    cache.path = path;
    cache.text = text;
    cache.valid = ::stat(path.c_str(), &cache.st) == 0;
    cache.trusted = false;  // just written: not settled yet
    return true;
}

bool has_line_break(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

}  // namespace

std::string profile_directory() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    if (base.back() != '/') base += '/';
    return base + "tessaron/";
}

std::string profile_path(const char* file) {
    if (!std::strpbrk(file, "/\\")) return profile_directory() + file;
    std::string path = file;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

size_t get_private_profile_string(const char* section, const char* key, const char* default_text,
                                  char* out, size_t size, const char* file) {
    if (!out || size == 0) return 0;
    std::string_view found = default_text ? default_text : "";
    if (section && key && file) {
        if (const ProfileText* text = current_text(profile_path(file))) {
            std::string_view want_section = trim(section), want_key = trim(key);
            bool in_section = false;
            for (const std::string& line : text->lines) {
                std::string_view name, k, v;
                if (section_name(line, &name)) {
                    in_section = equal_nocase(name, want_section);
                } else if (in_section && key_line(line, &k, &v) && equal_nocase(k, want_key)) {
                    found = v;
                    break;
                }
            }
        }
    }
    size_t n = found.size() < size - 1 ? found.size() : size - 1;
    std::memcpy(out, found.data(), n);
    out[n] = '\0';
    return n;
}

bool write_private_profile_string(const char* section, const char* key, const char* value,
                                  const char* file) {
    if (!section || !key || !file) return false;
    std::string_view want_section = trim(section), want_key = trim(key);
    if (want_section.empty() || want_key.empty() || has_line_break(section) ||
        has_line_break(key) || want_key.find('=') != std::string_view::npos ||
        want_section.find(']') != std::string_view::npos)
        return false;

    std::string path = profile_path(file);
    ProfileText text;
    if (const ProfileText* current = current_text(path)) {
        text = *current;
    } else if (struct stat st {}; ::stat(path.c_str(), &st) == 0) {
        return false;  // there but unreadable: never replaced by a file of one key
    }

    std::string new_line;
    if (value) {
        std::string_view v = value;
        v = v.substr(0, v.find_first_of("\r\n"));
        new_line = std::string(want_key) + "=" + std::string(trim(v));
    }

    // Find the key (the first one, as reading sees it) and remember where
    // the first section of that name ends: a new key goes there.
    bool in_section = false;
    bool section_seen = false;
    bool first_section = false;
    size_t insert_at = 0;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        std::string_view name, k, v;
        if (section_name(text.lines[i], &name)) {
            in_section = equal_nocase(name, want_section);
            first_section = in_section && !section_seen;
            if (first_section) {
                section_seen = true;
                insert_at = i + 1;
            }
            continue;
        }
        if (!in_section) continue;
        if (key_line(text.lines[i], &k, &v) && equal_nocase(k, want_key)) {
            if (value) {
                if (text.lines[i] == new_line) return true;
                text.lines[i] = new_line;
            } else {
                text.lines.erase(text.lines.begin() + static_cast<long>(i));
            }
            return save(path, text);
        }
        if (first_section && !trim(text.lines[i]).empty()) insert_at = i + 1;
    }
    if (!value) return true;  // nothing to delete
    if (section_seen) {
        text.lines.insert(text.lines.begin() + static_cast<long>(insert_at), new_line);
    } else {
        if (!text.lines.empty() && !trim(text.lines.back()).empty()) text.lines.emplace_back();
        text.lines.push_back("[" + std::string(want_section) + "]");
        text.lines.push_back(new_line);
    }
    return save(path, text);
}
