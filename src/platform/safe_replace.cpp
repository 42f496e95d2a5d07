#include "platform/safe_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

void (*step_hook)(int) = nullptr;

// Gives a written temporary its permissions, then flushes it to disk: 0, or
// the errno of the step that failed. The permissions are given last: until
// then the temporary stays the owner's to read and remove, should a crash
// leave it behind.
int flush_with_permissions(int fd, unsigned permissions) {
    if (::fchmod(fd, permissions) == 0 && ::fsync(fd) == 0) return 0;
    return errno ? errno : EIO;
}

// A staged file's flush (its permissions given, then its data and record
// written to disk), done once by whoever takes it first: the releaser
// thread as soon as it gets to the file, or the job when it puts its files
// in place and the thread has not got there yet.
struct Settling {
    std::atomic<int> state{UNTAKEN};
    int error = 0;  // errno of the failed flush, 0 when it succeeded
    enum { UNTAKEN, TAKEN, DONE };

    bool take() {
        int untaken = UNTAKEN;
        return state.compare_exchange_strong(untaken, TAKEN);
    }
    // Flushes the file open on fd (which the caller closes), once taken.
    void settle(int fd, unsigned permissions) {
        error = flush_with_permissions(fd, permissions);
        state.store(DONE);
        state.notify_all();
    }
    void wait_done() {
        for (int now; (now = state.load()) != DONE;) state.wait(now);
    }
};

// Where freed blocks are discarded at once (a file system mounted with
// "discard"), the rename or unlink that drops a file's last name waits for
// the device while the file's blocks are given back: a job that replaces
// many files, each keeping a backup, would wait once per file. A file that
// a rename is about to drop is held open across the rename instead, and
// let go by a thread of its own, so that the freeing happens beside the
// job's work. Nothing of what is on disk changes: the file has no name
// from the rename on, and it is freed once let go, or when the process
// ends. The same thread flushes a staged file (through a descriptor of its
// own), which also waits for the device, while the job works on.
// The caller does the work itself when the thread is behind by MOST_HELD
// files (the descriptors a process may hold are limited), when the thread
// cannot be started, and in a child process made by fork (which has no
// such thread); a staged file's flush is then left to the job's end.
class Releaser {
public:
    // Closes fd, first flushing it when a staged file's flush is given.
    void release(int fd, std::shared_ptr<Settling> settling = nullptr, unsigned permissions = 0) {
        if (!hand_over({fd, std::move(settling), permissions, 0, 0})) ::close(fd);
    }
    // Closes fd once it has started the write of that range of its data;
    // false (fd left to the caller) when the thread cannot take it.
    bool start_writing(int fd, off_t from, off_t length) {
        return hand_over({fd, nullptr, 0, from, length});
    }

    // True in the process whose thread takes what is handed to it: in a
    // child made by fork, a flush the parent's thread had taken is never
    // done.
    bool ours() const { return owner_ > 0 && owner_ == ::getpid(); }

private:
    static constexpr size_t MOST_HELD = 64;
    struct Held {
        int fd;
        std::shared_ptr<Settling> settling;
        unsigned permissions;
        off_t from, length;  // a range to start writing; length 0 for none
    };

    bool hand_over(Held held) {
        if (owner_ != 0 && owner_ != ::getpid()) return false;
        std::lock_guard<std::mutex> lock(mutex_);
        if (owner_ == 0) start();
        if (owner_ <= 0 || held_.size() >= MOST_HELD) return false;
        held_.push_back(std::move(held));
        ready_.notify_one();
        return true;
    }

    static void let_go(const Held& held) {
        if (held.settling && held.settling->take())
            held.settling->settle(held.fd, held.permissions);
        if (held.length > 0)
            ::sync_file_range(held.fd, held.from, held.length, SYNC_FILE_RANGE_WRITE);
        ::close(held.fd);
    }

    void start() {
        try {
            held_.reserve(MOST_HELD);
            std::thread([this] { run(); }).detach();
            owner_ = ::getpid();
        } catch (...) {
            owner_ = -1;  // no thread: every caller lets go itself
        }
    }

    [[noreturn]] void run() {
        std::vector<Held> batch;
        batch.reserve(MOST_HELD);
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return !held_.empty(); });
                batch.swap(held_);
            }
            for (const Held& held : batch) let_go(held);
            batch.clear();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Held> held_;
    std::atomic<pid_t> owner_{0};  // the process whose thread lets go; -1 none can
};

// Never destroyed: its thread may still be waiting when the process ends.
Releaser& releaser() {
    static Releaser* one = new Releaser;
    return *one;
}

// A handle on the file `name` when a rename onto that name would free it
// (a regular file with no other name), else -1.
int hold_before_drop(const std::string& name) {
    int fd = ::open(name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void let_go(int fd) {
    if (fd >= 0) releaser().release(fd);
}

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

// Temporaries of one target share a stem made from a hash of its name:
// short whatever the name's length, and found again from the name alone.
std::string temp_prefix(const std::string& target) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : base_of(target)) h = (h ^ c) * 1099511628211ull;
    char text[32];
    std::snprintf(text, sizeof text, ".tn%016llx", static_cast<unsigned long long>(h));
    return text;
}

// Saves of one target running at once take numbered slots; no target sees
// more at one time.
constexpr int MAX_SLOTS = 64;

std::string slot_name(const std::string& stem, int n) { return stem + "." + std::to_string(n); }

bool exists_unfollowed(const std::string& name) {
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0;
}

// Removes a slot's temporary (and the backup link it was making) when no
// running save holds it: a running save keeps its temporary locked until it
// is done. True when it was an orphan and is gone.
bool remove_if_orphan(const std::string& name) {
    int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat held {
    }, now{};
    bool orphan = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
                  ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(name.c_str(), &now) == 0 &&
                  now.st_dev == held.st_dev && now.st_ino == held.st_ino;
    if (orphan) {
        ::unlink(name.c_str());
        ::unlink((name + "b").c_str());
    }
    ::close(fd);
    return orphan;
}

// Creates the first free slot of the stem, taking over what a crashed save
// left in a slot, and clears the orphans in the slots above it up to the
// first free name. Its descriptor, or -1.
int make_slot(const std::string& stem, std::string* name) {
    for (int n = 0, tries = 0; n < MAX_SLOTS && tries < 4 * MAX_SLOTS; ++tries) {
        std::string slot = slot_name(stem, n);
        int fd = ::open(slot.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlink((slot + "b").c_str());
            for (int m = n + 1; m < MAX_SLOTS; ++m) {
                std::string above = slot_name(stem, m);
                if (!exists_unfollowed(above)) break;
                remove_if_orphan(above);
            }
            *name = slot;
            return fd;
        }
        if (errno != EEXIST) return -1;
        if (!remove_if_orphan(slot)) ++n;  // in use: the next one
    }
    errno = EBUSY;
    return -1;
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

// The commits staged while a batch that puts them in place at its end is
// open (staging_depth of them), and the first that could not be put in
// place since the last finish.
struct Staged {
    Replacement replacement;
    std::string backup;
    std::shared_ptr<Settling> settling;
};
int staging_depth = 0;
std::vector<Staged> staged;
constexpr size_t MOST_STAGED = 64;
constexpr size_t MOST_SETTLING = 8;  // flushes run side by side
struct StagingFailure {
    int error = 0;
    std::string target;
} staging_failure;

bool settle(Replacement* r);
bool put_in_place(Replacement* r, const std::string& backup);

// Puts the staged files in place: first each is flushed to disk (most of
// them already are, by the releaser thread; files written together share
// blocks of the file system's own records, which the first flush writes for
// all of them), then each keeps its backup and is renamed over its target.
// A file that fails is left out; the others go on.
void commit_staged() {
    std::vector<Staged> files;
    files.swap(staged);
    auto failed = [](const std::string& target) {
        if (staging_failure.error == 0) staging_failure = {errno ? errno : EIO, target};
    };
    // The flushes the thread has not taken yet wait for the device each:
    // run side by side, they wait about as long as one. Each taker takes the
    // next file not taken.
    std::atomic<size_t> next{0};
    bool thread_here = releaser().ours();
    auto settle_taken = [&] {
        for (size_t i; (i = next++) < files.size();)
            if (files[i].settling->take() || !thread_here)
                files[i].settling->settle(files[i].replacement.hold,
                                          files[i].replacement.permissions);
    };
    size_t untaken =
        static_cast<size_t>(std::count_if(files.begin(), files.end(), [](const Staged& f) {
            return f.settling->state.load() == Settling::UNTAKEN;
        }));
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < std::min(untaken, MOST_SETTLING))
            helpers.emplace_back(settle_taken);
    } catch (...) {  // fewer helpers: the others take more
    }
    settle_taken();
    for (std::thread& helper : helpers) helper.join();
    for (Staged& file : files) {
        file.settling->wait_done();
        if (int error = file.settling->error) {
            drop_replacement(&file.replacement);
            errno = error;
            failed(file.replacement.target);
        }
    }
    for (Staged& file : files) {
        if (file.replacement.temp.empty()) continue;  // failed its flush
        std::string target = file.replacement.target;
        if (!put_in_place(&file.replacement, file.backup)) failed(target);
    }
}

bool finish_staged(std::string* failed) {
    commit_staged();
    StagingFailure failure = std::exchange(staging_failure, StagingFailure{});
    if (failure.error == 0) return true;
    if (failed) *failed = failure.target;
    errno = failure.error;
    return false;
}

// The folders read while a batch is open: for each, its entries by their
// names folded to lower case (the smallest name in byte order for each).
std::unordered_map<std::string, std::unordered_map<std::string, std::string>> batch_listings;

std::string folded(const std::string& name) {
    std::string out = name;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string listing_key(const std::string& folder) {
    if (folder.empty()) return ".";
    std::string key = folder;
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

void keep_smallest(std::unordered_map<std::string, std::string>& listing, const std::string& name) {
    auto [at, made] = listing.emplace(folded(name), name);
    if (!made && name < at->second) at->second = name;
}

// A file this process made: a folder read in this batch lists it from now on.
void note_listed(const std::string& path) {
    if (batch_depth == 0) return;
    auto listing = batch_listings.find(listing_key(folder_of(path)));
    if (listing != batch_listings.end()) keep_smallest(listing->second, base_of(path));
}

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

}  // namespace

void set_replace_step_hook(void (*hook)(int)) { step_hook = hook; }

FolderSyncBatch::FolderSyncBatch(Commits commits) : commits_(commits) {
    ++batch_depth;
    if (commits_ == Commits::AT_END) ++staging_depth;
}

bool batch_find_ignoring_case(const std::string& folder, const std::string& name,
                              std::string* found) {
    if (batch_depth == 0) return false;
    std::string key = listing_key(folder);
    auto listing = batch_listings.find(key);
    if (listing == batch_listings.end()) {
        DIR* dir = ::opendir(key.c_str());
        if (!dir) return false;
        listing = batch_listings.emplace(key, std::unordered_map<std::string, std::string>{}).first;
        while (const dirent* entry = ::readdir(dir)) keep_smallest(listing->second, entry->d_name);
        ::closedir(dir);
    }
    auto at = listing->second.find(folded(name));
    *found = at == listing->second.end() ? "" : at->second;
    return true;
}

bool FolderSyncBatch::finish(std::string* failed) { return finish_staged(failed); }

FolderSyncBatch::~FolderSyncBatch() {
    // What is staged is put in place whether or not the job asked.
    if (commits_ == Commits::AT_END && --staging_depth == 0) finish_staged(nullptr);
    if (--batch_depth > 0) return;
    batch_listings.clear();
    std::vector<std::string> folders;
    folders.swap(batch_folders);
    for (const std::string& folder : folders) sync_folder(folder);
}

namespace {

// Makes `backup` a copy of `file` through the free name `link`: a hard link
// (or a copy) made there and renamed over the old backup.
bool keep_backup_through(const std::string& file, const std::string& backup,
                         const std::string& link) {
    if (backup.empty() || backup == file || folder_of(backup) != folder_of(link)) return false;
    ::unlink(link.c_str());  // a link needs a free name
    bool made = ::linkat(AT_FDCWD, file.c_str(), AT_FDCWD, link.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!made) {
        int out = ::open(link.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        made = out >= 0 && in >= 0 && ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) &&
               copy_into(in, out) && ::fchmod(out, st.st_mode & 07777) == 0;
        if (in >= 0) ::close(in);
        if (out >= 0) made = ::close(out) == 0 && made;
    }
    if (made) {
        int old = hold_before_drop(backup);
        made = ::rename(link.c_str(), backup.c_str()) == 0;
        let_go(old);
    }
    if (made) note_listed(backup);
    // A rename between two links of one file does nothing, leaving the
    // temporary name: when the backup already is the file, it goes here.
    ::unlink(link.c_str());
    return made;
}

// The regular file a replacement of path writes: links followed, refused
// when it is something else or the user may not write it. Empty when
// refused; *st and *exists describe the file.
std::string writable_target(const std::string& path, struct stat* st, bool* exists) {
    std::string target = resolve_links(path);
    if (target.empty()) return "";
    *exists = ::stat(target.c_str(), st) == 0;
    if (*exists && !S_ISREG(st->st_mode)) {
        errno = S_ISDIR(st->st_mode) ? EISDIR : EINVAL;
        return "";
    }
    if (*exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return "";
    return target;
}

// Fills *out for a temporary just made and open on fd: the permissions the
// new file will get, and a second handle whose lock marks it in use.
bool hold_replacement(const std::string& target, const std::string& temp, int fd, bool exists,
                      const struct stat& st, Replacement* out) {
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

// Flushes the written temporary (flush_with_permissions); a temporary that
// cannot be flushed is removed.
bool settle(Replacement* r) {
    if (r->temp.empty() || r->hold < 0) {
        errno = EBADF;
        return false;
    }
    if (int error = flush_with_permissions(r->hold, r->permissions)) {
        drop_replacement(r);
        errno = error;
        return false;
    }
    return true;
}

}  // namespace

std::string temporary_stem(const std::string& target) {
    return folder_of(target) + "/" + temp_prefix(target);
}

bool keep_backup(const std::string& file, const std::string& backup) {
    if (backup.empty() || backup == file) return false;
    // The link is made under the backup name of a slot of the file's saves,
    // held meanwhile, so that a crash leaves it where the next save clears it.
    std::string slot;
    int fd = make_slot(temporary_stem(file), &slot);
    if (fd < 0) return false;
    bool made =
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && keep_backup_through(file, backup, slot + "b");
    ::unlink(slot.c_str());
    ::close(fd);
    return made;
}

bool open_replacement(const std::string& path, Replacement* out) {
    *out = Replacement{};
    struct stat st {};
    bool exists = false;
    std::string target = writable_target(path, &st, &exists);
    if (target.empty()) return false;
    std::string temp;
    int fd = make_slot(temporary_stem(target), &temp);
    if (fd < 0) return false;
    return hold_replacement(target, temp, fd, exists, st, out);
}

bool commit_replacement(Replacement* r, const std::string& backup) {
    return settle(r) && put_in_place(r, backup);
}

bool commit_or_stage_replacement(Replacement* r, const std::string& backup) {
    if (staging_depth == 0) return commit_replacement(r, backup);
    if (r->temp.empty() || r->hold < 0) {
        errno = EBADF;
        return false;
    }
    // The file goes to disk now, while the job works on.
    auto settling = std::make_shared<Settling>();
    if (int own = ::fcntl(r->hold, F_DUPFD_CLOEXEC, 0); own >= 0)
        releaser().release(own, settling, r->permissions);
    staged.push_back({*r, backup, std::move(settling)});
    r->temp.clear();
    r->hold = -1;
    r->fd = -1;
    // Each staged file holds a descriptor: a job of many files puts them in
    // place a group at a time.
    if (staged.size() >= MOST_STAGED) commit_staged();
    return true;
}

namespace {

// The second half of a commit, once the temporary is flushed (settle): the
// backup kept, then the temporary renamed over its target.
bool put_in_place(Replacement* r, const std::string& backup) {
    step(1);
    struct stat st {};
    if (!backup.empty() && ::stat(r->target.c_str(), &st) == 0)
        keep_backup_through(r->target, backup, r->temp + "b");
    step(2);
    int old = hold_before_drop(r->target);
    if (::rename(r->temp.c_str(), r->target.c_str()) != 0) {
        int saved = errno;
        if (old >= 0) ::close(old);
        drop_replacement(r);
        errno = saved;
        return false;
    }
    let_go(old);
    r->temp.clear();
    note_listed(r->target);
    step(3);
    sync_folder_soon(folder_of(r->target));
    drop_replacement(r);
    return true;
}

}  // namespace

void start_writing(int fd, long long from, long long length) {
    if (length <= 0) return;
    int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own >= 0 && !releaser().start_writing(own, from, length)) ::close(own);
}

void drop_replacement(Replacement* r) {
    if (!r->temp.empty()) ::unlink(r->temp.c_str());
    r->temp.clear();
    if (r->hold >= 0) ::close(r->hold);
    r->hold = -1;
}

// --- sets of files replaced as one ---------------------------------------------------------

namespace {

std::string absolute_path(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> cwd(4096);
    while (!::getcwd(cwd.data(), cwd.size())) {
        if (errno != ERANGE) return path;
        cwd.resize(cwd.size() * 2);
    }
    std::string dir = cwd.data();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + (path.compare(0, 2, "./") == 0 ? path.substr(2) : path);
}

std::string staged_name(const std::string& target) { return temporary_stem(target) + ".s"; }
std::string record_name(const std::string& anchor) { return temporary_stem(anchor) + ".j"; }

// What a target was when its new contents were staged: a commit completed
// later replaces it only while it still is that file.
SetFileState state_of(const std::string& target) {
    SetFileState state;
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) return state;
    state.exists = true;
    state.device = static_cast<uint64_t>(st.st_dev);
    state.inode = static_cast<uint64_t>(st.st_ino);
    state.size = static_cast<int64_t>(st.st_size);
    state.seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    state.nanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    return state;
}

bool same_state(const SetFileState& a, const SetFileState& b) {
    return a.exists == b.exists &&
           (!a.exists || (a.device == b.device && a.inode == b.inode && a.size == b.size &&
                          a.seconds == b.seconds && a.nanoseconds == b.nanoseconds));
}

// The record of a set: a header, the member count, then for each member its
// target and backup (each as its length, a blank and the bytes) and the
// target's state; "end" closes it.
const char RECORD_HEADER[] = "tessaron file set 1\n";

void put_field(std::string& out, const std::string& text) {
    out += std::to_string(text.size()) + " " + text + "\n";
}

std::string record_text(const std::vector<SetMember>& members) {
    std::string text = RECORD_HEADER;
    text += std::to_string(members.size()) + "\n";
    for (const SetMember& m : members) {
        put_field(text, m.target);
        put_field(text, m.backup);
        char state[160];
        std::snprintf(state, sizeof state, "%d %llu %llu %lld %lld %lld\n", m.was.exists ? 1 : 0,
                      static_cast<unsigned long long>(m.was.device),
                      static_cast<unsigned long long>(m.was.inode),
                      static_cast<long long>(m.was.size), static_cast<long long>(m.was.seconds),
                      static_cast<long long>(m.was.nanoseconds));
        text += state;
    }
    return text + "end\n";
}

// Reads the fields of a record in turn; any fault makes ok false.
struct RecordReader {
    const std::string& text;
    size_t at = 0;
    bool ok = true;

    bool literal(const char* word) {
        size_t n = std::strlen(word);
        ok = ok && text.compare(at, n, word) == 0;
        if (ok) at += n;
        return ok;
    }
    // A decimal number of at most 19 digits followed by `end`.
    long long number(char end) {
        long long value = 0;
        size_t digits = 0;
        bool negative = ok && at < text.size() && text[at] == '-';
        if (negative) ++at;
        while (ok && at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 19) {
            value = value * 10 + (text[at++] - '0');
            ++digits;
        }
        ok = ok && digits > 0 && at < text.size() && text[at] == end;
        if (ok) ++at;
        return negative ? -value : value;
    }
    std::string field() {
        long long n = number(' ');
        ok = ok && n >= 0 && static_cast<size_t>(n) < text.size() - at;
        if (!ok) return "";
        std::string value = text.substr(at, static_cast<size_t>(n));
        at += static_cast<size_t>(n);
        literal("\n");
        return value;
    }
};

bool parse_record(const std::string& text, std::vector<SetMember>* members) {
    RecordReader in{text};
    in.literal(RECORD_HEADER);
    long long count = in.number('\n');
    if (!in.ok || count < 0 || static_cast<size_t>(count) > text.size()) return false;
    for (long long i = 0; i < count && in.ok; ++i) {
        SetMember m;
        m.target = in.field();
        m.backup = in.field();
        m.was.exists = in.number(' ') != 0;
        m.was.device = static_cast<uint64_t>(in.number(' '));
        m.was.inode = static_cast<uint64_t>(in.number(' '));
        m.was.size = in.number(' ');
        m.was.seconds = in.number(' ');
        m.was.nanoseconds = in.number('\n');
        // A record names only targets by their full path, and backups beside
        // them: it can move nothing but a set's own temporaries into place.
        in.ok = in.ok && !m.target.empty() && m.target[0] == '/' &&
                (m.backup.empty() || folder_of(m.backup) == folder_of(m.target));
        members->push_back(std::move(m));
    }
    in.literal("end\n");
    return in.ok && in.at == text.size();
}

bool read_small_file(const std::string& path, std::string* text) {
    constexpr off_t LIMIT = off_t{64} << 20;
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= LIMIT;
    if (ok) {
        text->resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < text->size()) {
            ssize_t n = ::read(fd, text->data() + done, text->size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

bool write_all(int fd, const std::string& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the record and makes it durable: once it is on disk, the set is
// decided.
bool write_record(const std::string& path, const std::string& text) {
    Replacement r;
    if (!open_replacement(path, &r)) return false;
    bool ok = write_all(r.fd, text);
    ok = ::close(r.fd) == 0 && ok;
    ok = ok && settle(&r) && ::rename(r.temp.c_str(), r.target.c_str()) == 0;
    if (ok) r.temp.clear();
    drop_replacement(&r);
    if (ok) sync_folder(folder_of(path));
    return ok;
}

void sync_folders_of(const std::vector<SetMember>& members) {
    std::vector<std::string> folders;
    for (const SetMember& m : members) {
        std::string folder = folder_of(m.target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const std::string& folder : folders) sync_folder(folder);
}

// Moves the staged temporaries that are still there over their targets, in
// order; false (errno set) at the first that cannot be moved.
bool replace_members(const std::vector<SetMember>& members) {
    for (const SetMember& m : members) {
        std::string temp = staged_name(m.target);
        if (!exists_unfollowed(temp)) continue;  // moved before a stop
        struct stat st {};
        if (!m.backup.empty() && ::stat(m.target.c_str(), &st) == 0)
            keep_backup_through(m.target, m.backup, temp + "b");
        if (::rename(temp.c_str(), m.target.c_str()) != 0) return false;
        note_listed(m.target);
        step(6);
    }
    sync_folders_of(members);
    return true;
}

}  // namespace

ReplaceSet::ReplaceSet(const std::string& anchor) : anchor_(anchor) {}

ReplaceSet::~ReplaceSet() {
    if (recorded_) return;  // what is left is for complete_replace_set
    for (const SetMember& m : members_) ::unlink(staged_name(m.target).c_str());
}

bool ReplaceSet::open(const std::string& path, Replacement* out) {
    *out = Replacement{};
    struct stat st {};
    bool exists = false;
    std::string target = writable_target(path, &st, &exists);
    if (target.empty() || recorded_) return false;
    target = absolute_path(target);
    // A target written twice keeps its last contents: the earlier goes.
    if (auto earlier = index_.find(target); earlier != index_.end()) {
        size_t at = earlier->second;
        index_.erase(earlier);
        if (at + 1 != members_.size()) {
            members_[at] = std::move(members_.back());
            index_[members_[at].target] = at;
        }
        members_.pop_back();
    }
    std::string temp = staged_name(target);
    ::unlink(temp.c_str());  // left by a set that was stopped before its commit
    int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    return hold_replacement(target, temp, fd, exists, st, out);
}

bool ReplaceSet::stage(Replacement* r, const std::string& backup) {
    if (!settle(r)) return false;
    index_[r->target] = members_.size();
    members_.push_back({r->target, backup, state_of(r->target)});
    ::close(r->hold);
    r->hold = -1;
    r->temp.clear();  // the set's now
    return true;
}

bool ReplaceSet::commit() {
    if (members_.empty()) return true;
    // The temporaries' names are on disk before the record that claims them.
    sync_folders_of(members_);
    if (!write_record(record_name(anchor_), record_text(members_))) return false;
    recorded_ = true;
    step(5);
    if (!replace_members(members_)) return false;  // the record stays for the next run
    ::unlink(record_name(anchor_).c_str());
    members_.clear();
    index_.clear();
    recorded_ = false;
    return true;
}

SetCompletion complete_replace_set(const std::string& anchor, std::string* problem) {
    std::string record = record_name(anchor);
    std::string text;
    if (!exists_unfollowed(record)) return SetCompletion::NONE;
    std::vector<SetMember> members;
    if (!read_small_file(record, &text) || !parse_record(text, &members)) {
        *problem = "its record " + record + " is damaged";
        return SetCompletion::REFUSED;
    }
    // A file saved since the stop is never overwritten with the older set.
    for (const SetMember& m : members) {
        if (exists_unfollowed(staged_name(m.target)) && !same_state(m.was, state_of(m.target))) {
            *problem =
                m.target + " changed since; remove " + record + " to keep the files as they are";
            return SetCompletion::REFUSED;
        }
    }
    if (!replace_members(members)) {
        *problem = "cannot replace its files: " + std::string(std::strerror(errno));
        return SetCompletion::REFUSED;
    }
    ::unlink(record.c_str());
    return SetCompletion::COMPLETED;
}

bool replace_set_pending(const std::string& anchor) {
    return exists_unfollowed(record_name(anchor));
}
