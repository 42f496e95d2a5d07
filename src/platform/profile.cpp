#include "platform/profile.h"

#include "platform/safe_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <list>
#include <string_view>
#include <unordered_map>

namespace {

using Lines = std::list<std::string>;
using Line = Lines::iterator;

// One file in memory: its lines without their ends, and the line end it
// uses (new lines are written the same way). The index finds a key without
// a walk through the file (a file may hold a great many keys); it is built
// when first needed and dropped when a line is removed. Lines are a list so
// that an inserted line moves none of the others.
struct ProfileText {
    Lines lines;
    bool crlf = false;
    bool indexed = false;
    // folded "section\nkey" -> the line of its first occurrence, in file order
    std::unordered_map<std::string, Line> keys;
    // folded section -> where a new key of the section goes after: the last
    // non-blank line of the section's first occurrence, else its header
    std::unordered_map<std::string, Line> ends;
};

// The last file read or written, kept while the file on disk is unchanged
// (same inode, size and modification time): loading all properties asks
// for hundreds of keys of one file. File times are coarse (a few
// milliseconds), so a file changed in the last two seconds is read again
// each time: another change within the same tick would look unchanged.
struct Cache {
    bool valid = false;
    bool trusted = false;
    bool dirty = false;  // changed by writes of an open batch, not saved yet
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
    text->indexed = false;
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

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string key_of(std::string_view section, std::string_view key) {
    return fold(section) + '\n' + fold(key);
}

// Builds the index in one pass, with the rules a walk through the file
// would follow: lines before the first section belong to none, a repeated
// section is searched after the first, the first occurrence of a key wins.
void index_text(ProfileText* text) {
    text->keys.clear();
    text->ends.clear();
    text->keys.reserve(text->lines.size());
    Line* end = nullptr;  // of the current section, while it is a first occurrence
    std::string section;
    bool in_section = false;
    for (Line it = text->lines.begin(); it != text->lines.end(); ++it) {
        std::string_view name, k, v;
        if (section_name(*it, &name)) {
            section = fold(name);
            in_section = true;
            auto [at, first] = text->ends.emplace(section, it);
            end = first ? &at->second : nullptr;
            continue;
        }
        if (!in_section) continue;
        if (end && !trim(*it).empty()) *end = it;
        if (key_line(*it, &k, &v)) text->keys.emplace(section + '\n' + fold(k), it);
    }
    text->indexed = true;
}

ProfileText& indexed(ProfileText& text) {
    if (!text.indexed) index_text(&text);
    return text;
}

// Reads the whole file, bounded by the size it has when opened. False when
// the file does not exist, is not a regular file (a pipe is never waited
// on) or cannot be read (text is then empty).
bool load(const std::string& path, ProfileText* text, struct stat* st_out) {
    text->lines.clear();
    text->crlf = false;
    text->indexed = false;
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

bool save(const std::string& path, const ProfileText& text);

// Saves the batch's changes; false when the save failed (the changes are
// then dropped: the next read sees the file as it is).
bool flush_pending() {
    if (!cache.dirty) return true;
    cache.dirty = false;
    return save(cache.path, cache.text);
}

int snapshot_depth = 0;

// The file's text, from the cache while the file is unchanged (or while it
// holds changes of an open batch, or a snapshot is open).
ProfileText* current_text(const std::string& path) {
    if (cache.dirty && cache.path == path) return &cache.text;
    if (snapshot_depth > 0 && cache.valid && cache.path == path) return &cache.text;
    flush_pending();  // a batch moving to another file saves the first one
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
        if (!partial.empty() && ::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
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
// is followed; a file the user may not write is refused). On failure the
// cache is dropped, so that the next read sees the file as it is.
bool save(const std::string& path, const ProfileText& text) {
    size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (path.rfind(profile_directory(), 0) == 0 && !make_dirs(dir)) {
        cache.valid = false;
        return false;
    }

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
    if (&text != &cache.text) cache.text = text;
    cache.path = path;
    cache.valid = ::stat(path.c_str(), &cache.st) == 0;
    cache.trusted = false;  // just written: not settled yet
    return true;
}

int batch_depth = 0;

// A change of the cached text: saved now, or at the end of the open batch.
bool changed(const std::string& path) {
    if (batch_depth > 0) {
        cache.dirty = true;
        return true;
    }
    return save(path, cache.text);
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
        if (ProfileText* text = current_text(profile_path(file))) {
            auto& keys = indexed(*text).keys;
            auto at = keys.find(key_of(trim(section), trim(key)));
            std::string_view k;
            if (at != keys.end()) key_line(*at->second, &k, &found);
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
    // A key line starting with '[' would be read as a section header, one
    // starting with ';' as a comment: neither would be found again.
    if (want_section.empty() || want_key.empty() || has_line_break(section) ||
        has_line_break(key) || want_key.find('=') != std::string_view::npos ||
        want_key.front() == '[' || want_key.front() == ';' ||
        want_section.find(']') != std::string_view::npos)
        return false;

    std::string path = profile_path(file);
    ProfileText* text = current_text(path);
    if (!text) {
        if (struct stat st{}; ::stat(path.c_str(), &st) == 0)
            return false;         // there but unreadable: never replaced by a file of one key
        if (!value) return true;  // nothing to delete
        cache = Cache{};          // a new file
        cache.path = path;
        cache.valid = true;
        text = &cache.text;
    }
    ProfileText& t = indexed(*text);

    std::string new_line;
    if (value) {
        std::string_view v = value;
        v = v.substr(0, v.find_first_of("\r\n"));
        new_line = std::string(want_key) + "=" + std::string(trim(v));
    }

    std::string name = key_of(want_section, want_key);
    if (auto at = t.keys.find(name); at != t.keys.end()) {
        Line line = at->second;
        if (value) {
            if (*line == new_line) return true;
            *line = new_line;  // the same key: the index still holds
        } else {
            t.lines.erase(line);  // a later occurrence may now be the first
            t.indexed = false;
        }
        return changed(path);
    }
    if (!value) return true;  // nothing to delete
    std::string folded = fold(want_section);
    if (auto end = t.ends.find(folded); end != t.ends.end()) {
        end->second = t.lines.insert(std::next(end->second), new_line);
        t.keys.emplace(name, end->second);
    } else {
        if (!t.lines.empty() && !trim(t.lines.back()).empty()) t.lines.emplace_back();
        t.lines.push_back("[" + std::string(want_section) + "]");
        Line added = t.lines.insert(t.lines.end(), new_line);
        t.ends.emplace(folded, added);
        t.keys.emplace(name, added);
    }
    return changed(path);
}

void profile_batch_begin() {
    static bool registered = false;
    if (!registered) registered = std::atexit([] { flush_pending(); }) == 0;
    ++batch_depth;
}

bool profile_batch_end() {
    if (batch_depth > 0 && --batch_depth > 0) return true;
    return flush_pending();
}

void profile_snapshot_begin() { ++snapshot_depth; }

void profile_snapshot_end() {
    if (snapshot_depth > 0) --snapshot_depth;
}

ProfileFile profile_file_state(const char* file) {
    if (!file) return ProfileFile::MISSING;
    const std::string path = profile_path(file);
    if (current_text(path)) return ProfileFile::READABLE;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? ProfileFile::UNREADABLE : ProfileFile::MISSING;
}

bool profile_has_keys(const char* section, const char* file) {
    if (!section || !file) return false;
    ProfileText* text = current_text(profile_path(file));
    if (!text) return false;
    const std::string prefix = fold(trim(section)) + '\n';
    for (const auto& entry : indexed(*text).keys)
        if (entry.first.rfind(prefix, 0) == 0) return true;
    return false;
}
