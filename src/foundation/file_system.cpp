#include "foundation/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <vector>

#include "foundation/core.h"
#include "foundation/file_names.h"

namespace {

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
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return {};
    std::string found;
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

FILE* open_file(const char* path, const char* mode) {
    if (path == nullptr) return nullptr;
    return std::fopen(system_path(expand_home(path, true).c_str()).c_str(), mode);
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

char* home_dir(char* buffer) {
    std::strcpy(buffer, ".\\");
    return buffer;
}

void set_backup_hook(std::function<int()> hook) { backup_hook = std::move(hook); }

namespace {

bool backups_wanted() { return !backup_hook || backup_hook() != 0; }

// Renames a writable file to its ".BAK" name (an old backup is removed
// first); the backup's system path, or "" when none was made.
std::string rename_to_backup(const char* path) {
    if (path == nullptr || file_access(path, 0) != 0 || file_access(path, 2) != 0) return "";
    std::string file = system_path(expand_home(path, false).c_str());
    std::string backup = file;
    replace_suffix(backup, ".BAK");
    backup = system_path(backup.c_str());  // an old backup of any letter case
    std::remove(backup.c_str());
    return std::rename(file.c_str(), backup.c_str()) == 0 ? backup : "";
}

}  // namespace

int make_backup(const char* path) {
    if (!backups_wanted()) return 0;
    return rename_to_backup(path).empty() ? -1 : 0;
}

AtomicFile::AtomicFile(const char* path, const char* mode) {
    if (path == nullptr || *path == '\0') return;
    target_ = system_path(expand_home(path, true).c_str());
    std::string pattern = target_ + ".tn-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) return;
    temp_ = name.data();
    // The new file gets the old one's permissions, or the usual ones.
    struct stat st;
    mode_t permissions;
    if (stat(target_.c_str(), &st) == 0) {
        permissions = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        permissions = 0666 & ~mask;
    }
    fchmod(fd, permissions);
    stream_ = fdopen(fd, mode);
    if (stream_ == nullptr) {
        close(fd);
        unlink(temp_.c_str());
        temp_.clear();
    }
}

AtomicFile::~AtomicFile() {
    if (stream_) std::fclose(stream_);
    if (!temp_.empty()) unlink(temp_.c_str());
}

int write_atomically(const char* path, const char* mode, const std::function<int(FILE*)>& write,
                     bool backup) {
    AtomicFile out(path, mode);
    if (!out.is_open()) return 50;
    if (int code = write(out.stream()); code != 0) return code;
    return out.commit(backup);
}

int AtomicFile::commit(bool backup) {
    if (stream_ == nullptr) return 6;
    bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    int code = !written ? 6 : !closed ? 7 : 0;
    if (code == 0) {
        std::string kept = backup && backups_wanted() ? rename_to_backup(target_.c_str()) : "";
        if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            code = 6;
            // The old file must not be left under its backup name only.
            if (!kept.empty()) std::rename(kept.c_str(), target_.c_str());
        }
    }
    if (code != 0) {
        warning("cannot write %s (code %d): %s", target_.c_str(), code, std::strerror(errno));
        unlink(temp_.c_str());
    }
    temp_.clear();
    return code;
}
