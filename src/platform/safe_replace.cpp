#include "platform/safe_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void (*step_hook)(int) = nullptr;

void step(int n) {
    if (step_hook) step_hook(n);
}

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with a final symbolic link followed, as often as it takes; ""
// (errno ELOOP) for a loop. A link naming a missing file gives that name,
// so the save creates the file the link points at.
std::string resolve_links(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::vector<char> link(static_cast<size_t>(st.st_size) + 4096);
        ssize_t n = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (n < 0) return path;
        std::string to(link.data(), static_cast<size_t>(n));
        if (to.empty()) return path;
        path = to[0] == '/' ? to : folder_of(path) + "/" + to;
    }
    errno = ELOOP;
    return "";
}

// Temporaries of one target share a prefix made from a hash of its name:
// short whatever the name's length, and found again after a crash.
std::string temp_prefix(const std::string& target) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : base_of(target)) h = (h ^ c) * 1099511628211ull;
    char text[32];
    std::snprintf(text, sizeof text, ".tn%016llx", static_cast<unsigned long long>(h));
    return text;
}

// Removes the temporaries of earlier saves of the target that no running
// save holds (a running save keeps its temporary locked until it is done).
void remove_orphans(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) == 0) names.push_back(folder + "/" + name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat held {
        }, now{};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(name.c_str(), &now) == 0 &&
            now.st_dev == held.st_dev && now.st_ino == held.st_ino)
            ::unlink(name.c_str());
        ::close(fd);
    }
}

void sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems refuse it: the rename itself is done
    ::close(fd);
    step(4);
}

// The open FolderSyncBatch scopes and the folders whose flush waits for the
// outermost one's end (one thread saves files).
int batch_depth = 0;
std::vector<std::string> batch_folders;

void sync_folder_soon(const std::string& folder) {
    if (batch_depth == 0) {
        sync_folder(folder);
        return;
    }
    for (const std::string& f : batch_folders)
        if (f == folder) return;
    batch_folders.push_back(folder);
}

bool copy_into(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return ::fsync(to) == 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
}

// A fresh file in folder whose name starts with prefix; its descriptor or
// -1.
int make_temp(const std::string& folder, const std::string& prefix, std::string* name) {
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) *name = pattern;
    return fd;
}

}  // namespace

void set_replace_step_hook(void (*hook)(int)) { step_hook = hook; }

FolderSyncBatch::FolderSyncBatch() { ++batch_depth; }

FolderSyncBatch::~FolderSyncBatch() {
    if (--batch_depth > 0) return;
    std::vector<std::string> folders;
    folders.swap(batch_folders);
    for (const std::string& folder : folders) sync_folder(folder);
}

bool keep_backup(const std::string& file, const std::string& backup) {
    if (backup.empty() || backup == file) return false;
    // The link or copy is made under a temporary name (one the next save of
    // the file clears if a crash leaves it) and renamed over the old backup.
    std::string temp;
    int fd = make_temp(folder_of(backup), temp_prefix(file) + "b", &temp);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(temp.c_str());  // a link needs a free name
    bool made = ::linkat(AT_FDCWD, file.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!made) {
        int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        made = out >= 0 && in >= 0 && ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) &&
               copy_into(in, out) && ::fchmod(out, st.st_mode & 07777) == 0;
        if (in >= 0) ::close(in);
        if (out >= 0) made = ::close(out) == 0 && made;
    }
    if (made) made = ::rename(temp.c_str(), backup.c_str()) == 0;
    // A rename between two links of one file does nothing, leaving the
    // temporary name: when the backup already is the file, it goes here.
    ::unlink(temp.c_str());
    return made;
}

bool open_replacement(const std::string& path, Replacement* out) {
    *out = Replacement{};
    std::string target = resolve_links(path);
    if (target.empty()) return false;
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;

    std::string folder = folder_of(target);
    std::string prefix = temp_prefix(target);
    remove_orphans(folder, prefix);
    std::string temp;
    int fd = make_temp(folder, prefix, &temp);
    if (fd < 0) return false;
    mode_t permissions;
    if (exists) {
        permissions = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    int hold = ::dup(fd);
    if (hold < 0 || ::flock(hold, LOCK_EX | LOCK_NB) != 0) {
        int saved = errno;
        if (hold >= 0) ::close(hold);
        ::close(fd);
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    }
    ::fcntl(hold, F_SETFD, FD_CLOEXEC);
    out->target = target;
    out->temp = temp;
    out->fd = fd;
    out->hold = hold;
    out->permissions = permissions;
    return true;
}

bool commit_replacement(Replacement* r, const std::string& backup) {
    if (r->temp.empty() || r->hold < 0) {
        errno = EBADF;
        return false;
    }
    // The permissions are given last: until then the temporary stays the
    // owner's to read and remove, should a crash leave it behind.
    if (::fchmod(r->hold, r->permissions) != 0 || ::fsync(r->hold) != 0) {
        int saved = errno;
        drop_replacement(r);
        errno = saved;
        return false;
    }
    step(1);
    struct stat st {};
    if (!backup.empty() && ::stat(r->target.c_str(), &st) == 0) keep_backup(r->target, backup);
    step(2);
    if (::rename(r->temp.c_str(), r->target.c_str()) != 0) {
        int saved = errno;
        drop_replacement(r);
        errno = saved;
        return false;
    }
    r->temp.clear();
    step(3);
    sync_folder_soon(folder_of(r->target));
    drop_replacement(r);
    return true;
}

void drop_replacement(Replacement* r) {
    if (!r->temp.empty()) ::unlink(r->temp.c_str());
    r->temp.clear();
    if (r->hold >= 0) ::close(r->hold);
    r->hold = -1;
}
