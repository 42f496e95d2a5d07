#include "foundation/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "platform/safe_replace.h"

namespace {

constexpr size_t WRITE_BUFFER_SIZE = 64 * 1024;

// Why a write fails whose target another file took the place of meanwhile.
constexpr char CHANGED_WHILE_WRITTEN[] = "it changed while it was written";

// The backup hook installed at start, and the scopes of the running job,
// innermost last.
struct WriteRules {
    std::function<int()> backup_hook;
    std::vector<ProjectWrites*> project_scopes;
} write_rules;

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// "~" stands for the home directory ".\"; with `anywhere` unset only when a
// separator follows it.
std::string expand_home(const char* path, bool anywhere) {
    if (path[0] == '~' && (anywhere || is_name_separator(path[1])))
        return std::string(".\\") + (path + 1);
    return path;
}

// The entry of `directory` equal to `name` ignoring letter case; the smallest
// in byte order when several are, empty when none is.
std::string find_ignoring_case(const std::string& directory, const std::string& name) {
    std::string found;
    if (batch_find_ignoring_case(directory, name, &found)) return found;
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return {};
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0 &&
            (found.empty() || std::strcmp(entry->d_name, found.c_str()) < 0))
            found = entry->d_name;
    }
    closedir(dir);
    return found;
}

// Walks the path component by component, taking each as written when it
// exists and else the entry that matches it ignoring case.
std::string match_ignoring_case(const std::string& path) {
    std::string out;
    size_t i = 0;
    if (!path.empty() && path[0] == '/') {
        out = "/";
        i = 1;
    }
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string component = path.substr(i, j - i);
        if (!component.empty()) {
            std::string candidate = out + component;
            if (component != "." && component != ".." && !exists(candidate)) {
                std::string found = find_ignoring_case(out, component);
                if (found.empty()) return out + path.substr(i);
                candidate = out + found;
            }
            out = candidate;
            if (j < path.size()) out += '/';
        }
        i = j + 1;
    }
    return out;
}

}  // namespace

std::string system_path(const char* name) {
    std::string path = name ? name : "";
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        path.erase(0, 2);
    if (path.empty() || exists(path)) return path;
    return match_ignoring_case(path);
}

std::string file_identity(const char* name) {
    std::string path = system_path(name);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    // Missing: the path itself, "x/./y" and "x/z/../y" spelt as "x/y".
    std::vector<std::string> parts;
    size_t at = 0;
    bool rooted = !path.empty() && path[0] == '/';
    while (at <= path.size()) {
        size_t end = path.find('/', at);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!rooted)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string key = rooted ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) key += (i ? "/" : "") + parts[i];
    return key;
}

int file_access(const char* path, int mode) {
    if (path == nullptr || mode < 0 || mode > 7) return -1;
    std::string sys = system_path(expand_home(path, false).c_str());
    return access(sys.c_str(), mode) == 0 ? 0 : -1;
}

time_t file_mtime(const char* path) {
    if (path == nullptr) return 0;
    struct stat st;
    if (stat(system_path(expand_home(path, false).c_str()).c_str(), &st) != 0) return 0;
    return st.st_mtime;
}

bool file_older_than(const char* file, const char* than) {
    struct stat a, b;
    if (!file || !than || ::stat(system_path(file).c_str(), &a) != 0 ||
        ::stat(system_path(than).c_str(), &b) != 0)
        return false;
    return a.st_mtim.tv_sec < b.st_mtim.tv_sec ||
           (a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec < b.st_mtim.tv_nsec);
}

bool touch_file(const char* path) {
    return path && ::utimensat(AT_FDCWD, system_path(path).c_str(), nullptr, 0) == 0;
}

char* home_dir(char* buffer) {
    std::strcpy(buffer, ".\\");
    return buffer;
}

void set_backup_hook(std::function<int()> hook) { write_rules.backup_hook = std::move(hook); }

namespace {

bool backups_wanted() { return !write_rules.backup_hook || write_rules.backup_hook() != 0; }

// The ".BAK" name of a file's system path; an old backup of any letter case
// is the one replaced.
std::string backup_name(const std::string& file, const char* suffix = ".BAK") {
    std::string backup = file;
    replace_suffix(backup, suffix);
    return system_path(backup.c_str());
}

}  // namespace

int make_backup(const char* path) {
    if (!backups_wanted()) return 0;
    if (path == nullptr || file_access(path, 0) != 0 || file_access(path, 2) != 0) return -1;
    std::string file = system_path(expand_home(path, false).c_str());
    return keep_backup(file, backup_name(file)) ? 0 : -1;
}

FILE* open_file(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr) return nullptr;
    std::string sys = system_path(expand_home(path, true).c_str());
    if (mode[0] == 'r') {
        // A folder or a device is refused before any read: reading a folder
        // fails at once, a pipe may never answer.
        struct stat st;
        if (stat(sys.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            warning("%s is not a file", sys.c_str());
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return nullptr;
        }
    }
    return std::fopen(sys.c_str(), mode);
}

// --- what a job may replace -------------------------------------------------------

namespace {

std::string folder_of_path(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The first and the last bytes of the regular file open on fd; false when
// it cannot be read.
bool read_ends_of(int fd, std::string* head, std::string* tail) {
    constexpr size_t SPAN = 512;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    auto read_at = [&](off_t at, std::string* out) {
        out->assign(SPAN, '\0');
        ssize_t n = ::pread(fd, out->data(), SPAN, at);
        ok = ok && n >= 0;
        out->resize(n > 0 ? static_cast<size_t>(n) : 0);
    };
    if (ok) read_at(0, head);
    if (ok)
        read_at(st.st_size > static_cast<off_t>(SPAN) ? st.st_size - static_cast<off_t>(SPAN) : 0,
                tail);
    return ok;
}

// The same of a file named by a path (links followed).
bool read_ends(const std::string& path, std::string* head, std::string* tail) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = read_ends_of(fd, head, tail);
    ::close(fd);
    return ok;
}

bool starts_with_text(const std::string& text, size_t at, const char* word) {
    return text.compare(at, std::strlen(word), word) == 0;
}

// A native binary file: '@', a header text naming `word`, its end, 0x1A.
bool native_header(const std::string& head, size_t at, const char* word) {
    if (at >= head.size() || head[at] != '@') return false;
    size_t end = head.find('\0', at + 1);
    if (end == std::string::npos || end + 1 >= head.size() || head[end + 1] != '\x1a') return false;
    std::string header = head.substr(at + 1, end - at - 1);
    return !word || header.find(word) != std::string::npos;
}

// Where an ASCII source's first word starts: after blanks and comments.
size_t source_start(const std::string& head) {
    size_t at = 0;
    for (;;) {
        while (at < head.size() && std::isspace(static_cast<unsigned char>(head[at]))) ++at;
        if (!starts_with_text(head, at, "/*")) return at;
        size_t end = head.find("*/", at + 2);
        if (end == std::string::npos) return head.size();
        at = end + 2;
    }
}

bool source_opens(const std::string& head, const char* word) {
    size_t at = source_start(head);
    size_t n = std::strlen(word);
    if (head.size() - at < n || strncasecmp(head.c_str() + at, word, n) != 0) return false;
    // The word ends there ("(LIB" is not "(LIBRARY").
    return at + n == head.size() || !std::isalnum(static_cast<unsigned char>(head[at + n]));
}

// A SPICE deck as the netlist writer makes it: a comment first, ".end" last.
bool spice_deck(const std::string& head, const std::string& tail) {
    if (head.empty() || head[0] != '*') return false;
    size_t end = tail.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(tail[end - 1]))) --end;
    return end >= 4 && strncasecmp(tail.c_str() + end - 4, ".end", 4) == 0 &&
           (end == 4 || tail[end - 5] == '\n' || tail[end - 5] == '\r');
}

// The native header is optional: a sheet or library stored without it
// starts with its record's tag (the schema record, the library record).
constexpr char SHEET_RECORD_TAG = '\xd1';
constexpr char LIBRARY_RECORD_TAG = '\x11';

bool starts_with_tag(const std::string& head, char tag) { return !head.empty() && head[0] == tag; }

bool contents_of_kind(const std::string& head, const std::string& tail, FileKind kind) {
    // A paste file's header names the kind of what it holds.
    const bool paste = native_header(head, 0, "Paste File");
    switch (kind) {
        case FileKind::ANY: return true;
        case FileKind::SHEET:
            return (native_header(head, 0, "Schema") && !paste) ||
                   starts_with_tag(head, SHEET_RECORD_TAG);
        case FileKind::LIBRARY:
            return (native_header(head, 0, "Library") && !native_header(head, 0, "Schema") &&
                    !paste) ||
                   starts_with_tag(head, LIBRARY_RECORD_TAG);
        case FileKind::TITLE_BLOCK: return native_header(head, 0, "Title Block") && !paste;
        case FileKind::PASTE: return paste;
        case FileKind::NET_FILE:
            return !head.empty() && head[0] == '\xa0' && native_header(head, 1, nullptr);
        case FileKind::SHEET_SOURCE: return source_opens(head, "(SCHEMATIC");
        case FileKind::LIBRARY_SOURCE: return source_opens(head, "(LIB");
        case FileKind::TITLE_BLOCK_SOURCE: return source_opens(head, "(TITLEBLOCK");
        case FileKind::NETLIST:
            return starts_with_text(head, 0, "( { Tessaron Native Format") ||
                   starts_with_text(head, 0, "(edif ") ||
                   (starts_with_text(head, 0, "PELMORAN") &&
                    head.find("`I \"Tessaron Netlist Report") != std::string::npos) ||
                   spice_deck(head, tail);
        case FileKind::ERC_REPORT: return starts_with_text(head, 0, "Tessaron ERC Report V");
        case FileKind::BOM: return starts_with_text(head, 0, "Bill of materials -- project");
        case FileKind::LISTING: {
            size_t at = head.find_first_not_of("\r\n");
            return at != std::string::npos && starts_with_text(head, at, "Library '");
        }
    }
    return false;
}

bool in_or_below(const std::string& folder, const std::string& top) {
    return folder == top ||
           (folder.compare(0, top.size(), top) == 0 && (top == "/" || folder[top.size()] == '/'));
}

// Whether a file (its folder's real path and its name) lies in one of the
// folders of the running jobs' projects, or below one.
bool inside_project(const std::string& resolved) {
    std::string folder = folder_of_path(resolved);
    for (const ProjectWrites* scope : write_rules.project_scopes)
        for (const std::string& top : scope->folders())
            if (in_or_below(folder, top)) return true;
    return false;
}

// The path made absolute (from the working folder) with "." and ".."
// taken away by their text, no link resolved.
std::string lexical_absolute(const std::string& path) {
    std::string whole = path;
    if (whole.empty() || whole[0] != '/') {
        std::string here = real_path(".");
        whole = (here == "/" ? "" : here) + "/" + whole;
    }
    std::vector<std::string> parts;
    for (size_t at = 0; at <= whole.size();) {
        size_t end = whole.find('/', at);
        if (end == std::string::npos) end = whole.size();
        std::string part = whole.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

// A path (lexical_absolute) with the part it shares with the project's
// root folder resolved: the links on the way to the project are the
// user's own, those below it are not. "" when that part cannot be resolved.
std::string resolved_to_the_project(const std::string& lexical, const std::string& root) {
    size_t shared = 0;  // the length of the common folders, at a '/'
    for (size_t i = 1; i <= lexical.size() && i <= root.size(); ++i) {
        bool end_here =
            (i == lexical.size() || lexical[i] == '/') && (i == root.size() || root[i] == '/');
        if (lexical.compare(0, i, root, 0, i) != 0) break;
        if (end_here) shared = i;
    }
    std::string trusted = real_path(shared == 0 ? "/" : lexical.substr(0, shared));
    if (trusted.empty()) return "";
    std::string rest = lexical.substr(shared);
    if (trusted == "/") return rest.empty() ? "/" : rest;
    return trusted + rest;
}

// Whether reaching `given` (a system path) took a symbolic link below the
// folders the running jobs' projects lie in: a link to the file, or to a
// folder on its way; `resolved` is where it led.
bool through_a_link(const std::string& given, const std::string& resolved) {
    std::string lexical = lexical_absolute(given);
    if (lexical == resolved) return false;
    for (const ProjectWrites* scope : write_rules.project_scopes)
        if (resolved_to_the_project(lexical, scope->root()) == resolved) return false;
    return true;
}

}  // namespace

const char* file_kind_text(FileKind kind) {
    switch (kind) {
        case FileKind::ANY: return "a file";
        case FileKind::SHEET: return "a sheet";
        case FileKind::LIBRARY: return "a library";
        case FileKind::TITLE_BLOCK: return "a title block";
        case FileKind::NET_FILE: return "a net file";
        case FileKind::SHEET_SOURCE: return "a sheet's source";
        case FileKind::LIBRARY_SOURCE: return "a library's source";
        case FileKind::TITLE_BLOCK_SOURCE: return "a title block's source";
        case FileKind::NETLIST: return "a netlist";
        case FileKind::ERC_REPORT: return "an ERC report";
        case FileKind::BOM: return "a bill of materials";
        case FileKind::LISTING: return "a library listing";
        case FileKind::PASTE: return "a paste file";
    }
    return "a file";
}

bool file_is_of_kind(const char* path, FileKind kind) {
    if (!path) return false;
    std::string head, tail;
    return read_ends(system_path(expand_home(path, true).c_str()), &head, &tail) &&
           contents_of_kind(head, tail, kind);
}

ProjectWrites::ProjectWrites(const char* root, WritePrint print) : print_(print) {
    add(root);
    write_rules.project_scopes.push_back(this);
}

ProjectWrites::~ProjectWrites() {
    write_rules.project_scopes.erase(
        std::find(write_rules.project_scopes.begin(), write_rules.project_scopes.end(), this));
}

void ProjectWrites::add(const char* file) {
    // Many sheets of a project share a few folders: each is resolved once.
    std::string path = system_path(expand_home(file ? file : "", true).c_str());
    std::string named = folder_of_path(path);
    if (!given_.insert(named).second) return;
    std::string folder = real_path(named);
    if (folder.empty()) return;
    std::string lexical = lexical_absolute(named);
    if (root_.empty()) {
        root_ = lexical;
    } else if (resolved_to_the_project(lexical, root_) != folder) {
        return;  // named through a link: where it leads is not the project's
    }
    for (const std::string& known : folders_)
        if (known == folder) return;
    folders_.push_back(folder);
}

bool lies_in_folder_of(const char* name, const char* root) {
    auto real_folder = [](const char* file) {
        return real_path(folder_of_path(system_path(expand_home(file ? file : "", true).c_str())));
    };
    std::string folder = real_folder(name), top = real_folder(root);
    // A folder that is not there holds nothing to write over.
    return folder.empty() || top.empty() || in_or_below(folder, top);
}

bool ProjectWrites::running() { return !write_rules.project_scopes.empty(); }

std::string ProjectWrites::refusal(const TargetView& view, FileKind kind) {
    if (write_rules.project_scopes.empty() || kind == FileKind::ANY) return "";
    const bool linked = through_a_link(view.given, view.resolved);
    if (view.exists && view.st.st_size > 0) {
        std::string head, tail;
        if (view.fd < 0 || !read_ends_of(view.fd, &head, &tail) ||
            !contents_of_kind(head, tail, kind)) {
            std::string why = std::string("it is not ") + file_kind_text(kind);
            if (linked) why += " (a link to '" + view.resolved + "')";
            return why;
        }
    }
    if (linked && !inside_project(view.resolved))
        return "it is a link to '" + view.resolved + "', outside the project";
    return "";
}

void ProjectWrites::report(const std::string& path, const std::string& why) {
    warning("%s not written: %s", path.c_str(), why.c_str());
    if (write_rules.project_scopes.empty()) return;
    if (WritePrint print = write_rules.project_scopes.back()->print_)
        print("*** ERROR *** : '%s' is not written: %s\n", path.c_str(), why.c_str());
}

// The temporary's own stream: every write goes to the file as stdio's
// buffer fills, and each time another WRITING_STEP bytes are written they
// are sent on their way to disk beside the writing, so that the flush at the
// commit of a big file waits for its last bytes only. Seeks (a writer that
// goes back to fill in a size) and the close go straight to the file.
class AtomicFile::Writer {
public:
    explicit Writer(int fd) : fd_(fd) {}

    static cookie_io_functions_t functions() {
        cookie_io_functions_t io{};
        io.write = [](void* cookie, const char* data, size_t size) -> ssize_t {
            return static_cast<Writer*>(cookie)->write(data, size);
        };
        io.seek = [](void* cookie, off64_t* offset, int whence) -> int {
            auto* writer = static_cast<Writer*>(cookie);
            off64_t at = ::lseek64(writer->fd_, *offset, whence);
            if (at < 0) return -1;
            *offset = writer->at_ = at;
            return 0;
        };
        io.close = [](void* cookie) -> int { return ::close(static_cast<Writer*>(cookie)->fd_); };
        return io;
    }

private:
    static constexpr off64_t WRITING_STEP = 256 * 1024;

    // All of the bytes or none: 0 (stdio's error) when the file refuses.
    ssize_t write(const char* data, size_t size) {
        size_t done = 0;
        while (done < size) {
            ssize_t n = ::write(fd_, data + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return 0;
            done += static_cast<size_t>(n);
        }
        at_ += static_cast<off64_t>(size);
        if (at_ > written_) written_ = at_;
        if (written_ - sent_ >= WRITING_STEP) {
            start_writing(fd_, sent_, written_ - sent_);
            sent_ = written_;
        }
        return static_cast<ssize_t>(size);
    }

    int fd_;
    off64_t at_ = 0;       // the file's offset
    off64_t written_ = 0;  // the end of what was written
    off64_t sent_ = 0;     // the end of what was sent on its way
};

AtomicFile::AtomicFile(const char* path, const char* mode, FileSet* set, FileKind kind)
    : set_(set) {
    if (path == nullptr || *path == '\0') return;
    target_ = given_ = system_path(expand_home(path, true).c_str());
    TargetCheck check;
    if (kind != FileKind::ANY && ProjectWrites::running())
        check = [kind](const TargetView& view) { return ProjectWrites::refusal(view, kind); };
    std::string refusal;
    bool opened = set_ ? set_->files().open(target_, &replacement_, check, &refusal)
                       : open_replacement(target_, &replacement_, check, &refusal);
    if (!opened && !refusal.empty()) {
        ProjectWrites::report(given_, refusal);
        open_failure_ = FILE_NOT_WRITTEN;
        return;
    }
    if (!opened) {
        warning("cannot write %s: %s", target_.c_str(), std::strerror(errno));
        return;
    }
    target_ = replacement_.target;
    writer_ = std::make_unique<Writer>(replacement_.fd);
    stream_ = fopencookie(writer_.get(), mode, Writer::functions());
    if (stream_ == nullptr) {
        close(replacement_.fd);
        drop_replacement(&replacement_);
        return;
    }
    // Without the buffer (no memory for it) stdio's own serves.
    buffer_.reset(new (std::nothrow) char[WRITE_BUFFER_SIZE]);
    if (buffer_) std::setvbuf(stream_, buffer_.get(), _IOFBF, WRITE_BUFFER_SIZE);
}

AtomicFile::~AtomicFile() {
    if (stream_) std::fclose(stream_);
    drop_replacement(&replacement_);
}

int write_atomically(const char* path, const char* mode, const std::function<int(FILE*)>& write,
                     bool backup, const char* backup_suffix, FileSet* set, FileKind kind) {
    AtomicFile out(path, mode, set, kind);
    if (!out.is_open()) return out.open_failure();
    if (int code = write(out.stream()); code != 0) return code;
    return out.commit(backup, backup_suffix);
}

int AtomicFile::commit(bool backup, const char* backup_suffix) {
    if (stream_ == nullptr) return 6;
    bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    int code = !written ? 6 : !closed ? 7 : 0;
    if (code == 0) {
        std::string backup_file =
            backup && backups_wanted() ? backup_name(target_, backup_suffix) : "";
        bool done = set_ ? set_->files().stage(&replacement_, backup_file)
                         : commit_or_stage_replacement(&replacement_, backup_file);
        if (!done) code = errno == ESTALE ? FILE_NOT_WRITTEN : 6;
    }
    if (code == FILE_NOT_WRITTEN)
        ProjectWrites::report(given_, CHANGED_WHILE_WRITTEN);
    else if (code != 0)
        // A set names the file whose flush failed, which may be an earlier one.
        warning(
            "cannot write %s (code %d): %s",
            (set_ && !set_->files().failed().empty() ? set_->files().failed() : target_).c_str(),
            code, std::strerror(errno));
    drop_replacement(&replacement_);
    return code;
}

int finish_saves(FolderSyncBatch& batch, std::string* failed) {
    std::string own;
    if (!failed) failed = &own;
    if (batch.finish(failed)) return 0;
    if (errno == ESTALE) {
        ProjectWrites::report(*failed, CHANGED_WHILE_WRITTEN);
        return FILE_NOT_WRITTEN;
    }
    warning("cannot write %s (code %d): %s", failed->c_str(), 6, std::strerror(errno));
    return 6;
}

FileSet::FileSet(const char* anchor, SetOwner owner)
    : anchor_(system_path(expand_home(anchor ? anchor : "", true).c_str())),
      set_(std::make_unique<ReplaceSet>(anchor_, std::move(owner))) {}

FileSet::~FileSet() = default;

size_t FileSet::size() const { return set_->size(); }

bool FileSet::recorded() const { return set_->recorded(); }

int FileSet::commit() {
    if (set_->commit()) return 0;
    if (errno == ESTALE && !set_->recorded()) {
        ProjectWrites::report(anchor_, "a file of its set changed while it was written");
        return FILE_NOT_WRITTEN;
    }
    if (!set_->failed().empty())
        warning("cannot write %s (code %d): %s", set_->failed().c_str(), 6, std::strerror(errno));
    else
        warning("cannot replace the files of the set: %s", std::strerror(errno));
    return 6;
}

namespace {

// The form in which a record names a file: links followed, its folder
// resolved.
std::string record_form(const char* name) {
    return resolved_folder_path(follow_links(system_path(expand_home(name, true).c_str())));
}

std::string anchor_path(const char* anchor) {
    return system_path(expand_home(anchor ? anchor : "", true).c_str());
}

}  // namespace

int complete_file_set(const char* anchor, const std::vector<std::string>& targets,
                      std::string* problem) {
    std::string own;
    if (!problem) problem = &own;
    std::unordered_set<std::string> allowed;
    for (const std::string& target : targets)
        if (std::string form = record_form(target.c_str()); !form.empty()) allowed.insert(form);
    auto accept = [&](const SetMember& m, std::string* why) {
        if (!allowed.count(m.target)) {
            *why = m.target + " is not a sheet of this run";
            return false;
        }
        // Its backup is the one a save of it keeps: its ".BAK" beside it.
        std::string backup = m.target;
        replace_suffix(backup, ".BAK");
        if (!m.backup.empty() &&
            (folder_of_path(m.backup) != folder_of_path(m.target) ||
             strcasecmp(base_name(m.backup.c_str()), base_name(backup.c_str())) != 0)) {
            *why = m.backup + " is not the backup of " + m.target;
            return false;
        }
        return true;
    };
    switch (complete_replace_set(anchor_path(anchor), accept, problem)) {
        case SetCompletion::NONE: return FILE_SET_NONE;
        case SetCompletion::COMPLETED: return FILE_SET_COMPLETED;
        case SetCompletion::REFUSED: break;
    }
    return FILE_SET_REFUSED;
}

bool file_set_pending(const char* anchor, PendingSet* pending) {
    return pending_replace_set(anchor_path(anchor), pending);
}

namespace {

void half_saved_warning(WritePrint print, const std::string& anchor, const std::string& why) {
    print("*** ERROR *** : The sheets of '%s' were left half saved by %s\n", anchor.c_str(),
          why.c_str());
}

// Who left a set, and how it is completed.
std::string stopped_run(const PendingSet& pending, const SetOwner& asking) {
    const SetOwner& owner = pending.record.owner;
    std::string job = owner.job.empty() ? "run" : owner.job;
    if (owner.job == asking.job && owner.detail != asking.detail)
        return "a stopped " + job + " of another change file: run the " + job +
               " of that file again to complete them";
    return "a stopped " + job + ": run the " + job + " again to complete them";
}

}  // namespace

int refuse_half_saved_set(const char* anchor, WritePrint print) {
    PendingSet pending;
    if (!file_set_pending(anchor, &pending)) return 0;
    if (pending.read == RecordRead::READ && !pending.files_left) return 0;  // nothing is half
    if (pending.read == RecordRead::READ)
        half_saved_warning(print, anchor, stopped_run(pending, {}));
    else if (pending.read == RecordRead::OTHER_VERSION)
        half_saved_warning(print, anchor,
                           "a stopped run of another version of the program: complete it with "
                           "that version, or remove " +
                               pending.record_file + " to keep the files as they are");
    else
        half_saved_warning(print, anchor,
                           "a stopped run whose record " + pending.record_file +
                               " is damaged: remove it to keep the files as they are");
    return JOB_HALF_SAVED;
}

int settle_stopped_set(const char* anchor, const SetOwner& owner,
                       const std::vector<std::string>& targets, WritePrint print, bool* completed) {
    *completed = false;
    PendingSet pending;
    if (!file_set_pending(anchor, &pending)) return 0;
    bool own = pending.read == RecordRead::READ && pending.record.owner == owner;
    // Another job's changes are never completed as this one's.
    if (!own && pending.read == RecordRead::READ && pending.files_left) {
        half_saved_warning(print, anchor, stopped_run(pending, owner));
        return JOB_HALF_SAVED;
    }
    std::string problem;
    int done = complete_file_set(anchor, targets, &problem);
    if (done == FILE_SET_REFUSED) {
        half_saved_warning(print, anchor, "a stopped run: " + problem);
        return JOB_HALF_SAVED;
    }
    *completed = own && done == FILE_SET_COMPLETED;
    if (*completed)
        print("The sheets of '%s' left half saved by a stopped %s are all saved now\n", anchor,
              owner.job.c_str());
    return 0;
}
