#include "foundation/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/core.h"
#include "foundation/file_names.h"
#include "platform/safe_replace.h"

namespace {

constexpr size_t WRITE_BUFFER_SIZE = 64 * 1024;

std::function<int()> backup_hook;

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

void set_backup_hook(std::function<int()> hook) { backup_hook = std::move(hook); }

namespace {

bool backups_wanted() { return !backup_hook || backup_hook() != 0; }

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

AtomicFile::AtomicFile(const char* path, const char* mode, FileSet* set) : set_(set) {
    if (path == nullptr || *path == '\0') return;
    target_ = system_path(expand_home(path, true).c_str());
    bool opened = set_ ? set_->files().open(target_, &replacement_)
                       : open_replacement(target_, &replacement_);
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
                     bool backup, const char* backup_suffix, FileSet* set) {
    AtomicFile out(path, mode, set);
    if (!out.is_open()) return 50;
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
        if (!done) code = 6;
    }
    if (code != 0)
        warning("cannot write %s (code %d): %s", target_.c_str(), code, std::strerror(errno));
    drop_replacement(&replacement_);
    return code;
}

int finish_saves(FolderSyncBatch& batch, std::string* failed) {
    std::string own;
    if (!failed) failed = &own;
    if (batch.finish(failed)) return 0;
    warning("cannot write %s (code %d): %s", failed->c_str(), 6, std::strerror(errno));
    return 6;
}

FileSet::FileSet(const char* anchor)
    : set_(std::make_unique<ReplaceSet>(
          system_path(expand_home(anchor ? anchor : "", true).c_str()))) {}

FileSet::~FileSet() = default;

size_t FileSet::size() const { return set_->size(); }

int FileSet::commit() {
    if (set_->commit()) return 0;
    warning("cannot replace the files of the set: %s", std::strerror(errno));
    return 6;
}

int complete_file_set(const char* anchor, std::string* problem) {
    std::string own;
    if (!problem) problem = &own;
    switch (complete_replace_set(system_path(expand_home(anchor ? anchor : "", true).c_str()),
                                 problem)) {
        case SetCompletion::NONE: return FILE_SET_NONE;
        case SetCompletion::COMPLETED: return FILE_SET_COMPLETED;
        case SetCompletion::REFUSED: break;
    }
    return FILE_SET_REFUSED;
}

bool file_set_pending(const char* anchor) {
    return replace_set_pending(system_path(expand_home(anchor ? anchor : "", true).c_str()));
}
