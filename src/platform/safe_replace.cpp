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
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

void (*step_hook)(int) = nullptr;

std::string folder_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name by which a file of a held folder is reached: its base name
// relative to the folder's descriptor, or the whole path without one
// (AT_FDCWD).
std::string at(int dir, const std::string& path) { return dir == AT_FDCWD ? path : base_of(path); }

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
    // For a file that is dropped: its flush is not done unless it is
    // running already, and then it is waited for.
    void cancel() {
        if (take()) {
            state.store(DONE);
            state.notify_all();
        }
        wait_done();
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
        if (owner_ <= 0 || holding_ >= MOST_HELD) return false;
        ++holding_;
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
            // A batch being let go still holds its descriptors: they count
            // until each is closed, or the caller could hand over a second
            // MOST_HELD meanwhile.
            for (const Held& held : batch) {
                let_go(held);
                std::lock_guard<std::mutex> lock(mutex_);
                --holding_;
            }
            batch.clear();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<Held> held_;
    size_t holding_ = 0;           // handed over and not closed yet, under mutex_
    std::atomic<pid_t> owner_{0};  // the process whose thread lets go; -1 none can
};

// Never destroyed: its thread may still be waiting when the process ends.
Releaser& releaser() {
    static Releaser* one = new Releaser;
    return *one;
}

// A handle on the file `name` when a rename onto that name would free it
// (a regular file with no other name), else -1.
int hold_before_drop(const std::string& name, int dir = AT_FDCWD) {
    int fd = ::openat(dir, at(dir, name).c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
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

bool exists_unfollowed(const std::string& name, int dir = AT_FDCWD) {
    struct stat st {};
    return ::fstatat(dir, at(dir, name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Removes a slot's temporary (and the backup link it was making) when no
// running save holds it: a running save keeps its temporary locked until it
// is done. True when it was an orphan and is gone.
bool remove_if_orphan(const std::string& name, int dir = AT_FDCWD) {
    const std::string here = at(dir, name);
    int fd = ::openat(dir, here.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat held {
    }, now{};
    bool orphan = ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
                  ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                  ::fstatat(dir, here.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                  now.st_dev == held.st_dev && now.st_ino == held.st_ino;
    if (orphan) {
        ::unlinkat(dir, here.c_str(), 0);
        ::unlinkat(dir, (here + "b").c_str(), 0);
    }
    ::close(fd);
    return orphan;
}

bool waiting_here(const std::string& name);

// Creates the first free slot of the stem, taking over what a crashed save
// left in a slot, and clears the orphans in the slots above it up to the
// first free name. Its descriptor, or -1.
int make_slot(const std::string& stem, std::string* name, int dir = AT_FDCWD) {
    for (int n = 0, tries = 0; n < MAX_SLOTS && tries < 4 * MAX_SLOTS; ++tries) {
        std::string slot = slot_name(stem, n);
        int fd = ::openat(dir, at(dir, slot).c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::unlinkat(dir, at(dir, slot + "b").c_str(), 0);
            for (int m = n + 1; m < MAX_SLOTS; ++m) {
                std::string above = slot_name(stem, m);
                if (!exists_unfollowed(above, dir)) break;
                if (!waiting_here(above)) remove_if_orphan(above, dir);
            }
            *name = slot;
            return fd;
        }
        if (errno != EEXIST) return -1;
        if (waiting_here(slot) || !remove_if_orphan(slot, dir)) ++n;  // in use: the next one
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
// open (staging_depth of them), and the first that could not be flushed or
// put in place since the last finish. The first `holding` of them (from
// `unflushed` on) still hold their descriptors; those before were flushed
// and let their descriptors go. `waiting` names the temporaries of all of
// them: they are this process's, not a crashed save's orphans, though
// their locks went with their descriptors.
struct Staged {
    Replacement replacement;
    std::string backup;
    std::shared_ptr<Settling> settling;
};
int staging_depth = 0;
// With each target's last staged file, by the target.
struct StagedFiles : std::vector<Staged> {
    std::unordered_map<std::string, size_t> by_target;
} staged;
size_t unflushed = 0;  // staged[unflushed..] hold their descriptors
std::unordered_set<std::string> waiting;
constexpr size_t MOST_HOLDING = 64;
constexpr size_t MOST_SETTLING = 8;  // flushes run side by side
struct StagingFailure {
    int error = 0;
    std::string target;
} staging_failure;

bool put_in_place(Replacement* r, const std::string& backup);

bool waiting_here(const std::string& name) { return waiting.count(name) != 0; }

void staging_failed(const std::string& target) {
    if (staging_failure.error == 0) staging_failure = {errno ? errno : EIO, target};
}

// A flush to wait for: its Settling, the descriptor open on the file and
// the permissions the file gets.
struct FlushJob {
    Settling* settling;
    int fd;
    unsigned permissions;
};

// Runs the flushes that the releaser thread has not taken yet side by
// side (each waits for the device; run together they wait about as long
// as one), each taker taking the next one not taken, then waits for every
// flush, the thread's too. In a child made by fork, what the parent's
// thread had taken is never done there: the child flushes every file.
void settle_side_by_side(const std::vector<FlushJob>& jobs) {
    std::atomic<size_t> next{0};
    bool thread_here = releaser().ours();
    auto settle_taken = [&] {
        for (size_t i; (i = next++) < jobs.size();)
            if (jobs[i].settling->take() || !thread_here)
                jobs[i].settling->settle(jobs[i].fd, jobs[i].permissions);
    };
    size_t untaken =
        static_cast<size_t>(std::count_if(jobs.begin(), jobs.end(), [](const FlushJob& j) {
            return j.settling->state.load() == Settling::UNTAKEN;
        }));
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < std::min(untaken, MOST_SETTLING))
            helpers.emplace_back(settle_taken);
    } catch (...) {  // fewer helpers: the others take more
    }
    settle_taken();
    for (std::thread& helper : helpers) helper.join();
    for (const FlushJob& job : jobs) job.settling->wait_done();
}

// Flushes the staged files that still hold their descriptors, then lets
// the descriptors go (most of them are flushed already, by the releaser
// thread; files written together share blocks of the file system's own
// records, which the first flush writes for all of them). A file that
// cannot be flushed is dropped and noted as the batch's failure.
void flush_staged() {
    std::vector<FlushJob> jobs;
    jobs.reserve(staged.size() - unflushed);
    for (size_t i = unflushed; i < staged.size(); ++i)
        jobs.push_back({staged[i].settling.get(), staged[i].replacement.hold,
                        staged[i].replacement.permissions});
    settle_side_by_side(jobs);
    for (size_t i = unflushed; i < staged.size(); ++i) {
        Staged& file = staged[i];
        if (int error = file.settling->error) {
            waiting.erase(file.replacement.temp);
            drop_replacement(&file.replacement);
            errno = error;
            staging_failed(file.replacement.target);
        } else if (file.replacement.hold >= 0) {
            ::close(file.replacement.hold);
            file.replacement.hold = -1;
        }
    }
    unflushed = staged.size();
}

// Drops every staged file: the targets stay as they were.
void drop_staged() {
    for (Staged& file : staged) {
        if (file.settling->state.load() != Settling::UNTAKEN) file.settling->wait_done();
        drop_replacement(&file.replacement);
    }
    staged.clear();
    staged.by_target.clear();
    waiting.clear();
    unflushed = 0;
}

// Puts the staged files in place: all flushed first; then, unless one
// could not be, each keeps its backup and is renamed over its target (a
// rename that fails is noted, the others go on).
void commit_staged() {
    flush_staged();
    if (staging_failure.error != 0) {
        drop_staged();
        return;
    }
    std::vector<Staged> files;
    files.swap(staged);
    staged.by_target.clear();
    waiting.clear();
    unflushed = 0;
    for (Staged& file : files) {
        if (file.replacement.temp.empty()) continue;
        std::string target = file.replacement.target;
        if (!put_in_place(&file.replacement, file.backup)) staging_failed(target);
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

void FolderSyncBatch::discard() {
    drop_staged();
    staging_failure = StagingFailure{};
}

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

FileIdentity identity_of(const struct stat& st) {
    return {true, static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

bool same_file(const FileIdentity& a, const FileIdentity& b) {
    return a.exists == b.exists && (!a.exists || (a.device == b.device && a.inode == b.inode));
}

// What stands under a name of the folder dir now (a name that cannot be
// looked up stands for a file that is none of the examined ones).
FileIdentity identity_at(int dir, const std::string& name) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return identity_of(st);
    FileIdentity none;
    none.exists = errno != ENOENT;
    return none;
}

// Makes `backup` a copy of `file` through the free name `link` (all three
// in one folder): a hard link (or a copy) made there and renamed over the
// old backup. By path (dir AT_FDCWD) a link is followed; in a held folder
// the file's own name is taken, no link followed, and only while it is the
// file `expect` names (when given).
bool keep_backup_through(const std::string& file, const std::string& backup,
                         const std::string& link, int dir = AT_FDCWD,
                         const FileIdentity* expect = nullptr) {
    if (backup.empty() || backup == file || folder_of(backup) != folder_of(link)) return false;
    const std::string from = at(dir, file), to = at(dir, link);
    ::unlinkat(dir, to.c_str(), 0);  // a link needs a free name
    const bool by_path = dir == AT_FDCWD;
    bool made =
        ::linkat(dir, from.c_str(), dir, to.c_str(), by_path ? AT_SYMLINK_FOLLOW : 0) == 0 &&
        (!expect || same_file(identity_at(dir, to), *expect));
    if (!made) {
        ::unlinkat(dir, to.c_str(), 0);
        int out =
            ::openat(dir, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        int in = ::openat(dir, from.c_str(),
                          O_RDONLY | O_CLOEXEC | O_NONBLOCK | (by_path ? 0 : O_NOFOLLOW));
        struct stat st {};
        made = out >= 0 && in >= 0 && ::fstat(in, &st) == 0 && S_ISREG(st.st_mode) &&
               (!expect || same_file(identity_of(st), *expect)) && copy_into(in, out) &&
               ::fchmod(out, st.st_mode & 07777) == 0;
        if (in >= 0) ::close(in);
        if (out >= 0) made = ::close(out) == 0 && made;
    }
    if (made) {
        int old = hold_before_drop(backup, dir);
        made = ::renameat(dir, to.c_str(), dir, at(dir, backup).c_str()) == 0;
        let_go(old);
    }
    if (made) note_listed(backup);
    // A rename between two links of one file does nothing, leaving the
    // temporary name: when the backup already is the file, it goes here.
    ::unlinkat(dir, to.c_str(), 0);
    return made;
}

// Renames `temp` over `target` (names in the folder dir) only while the
// target's name holds what `examined` says: that file, or nothing. Where
// the file system can, the two names are exchanged and the file that came
// out is checked, so that no instant lies between the check and the
// rename; another file found there is put back. False with errno ESTALE
// when the name holds something else. The file the rename drops is held
// across it (hold_before_drop).
bool swap_into_place(int dir, const std::string& temp, const std::string& target,
                     const FileIdentity& examined, bool strict = true) {
    const char* from = temp.c_str();
    const char* to = target.c_str();
    auto unsupported = [] { return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP; };
    // A plain rename, the file it drops held across it.
    auto rename_over = [&] {
        int old = hold_before_drop(target, dir);
        if (::renameat(dir, from, dir, to) != 0) {
            int saved = errno;
            if (old >= 0) ::close(old);
            errno = saved;
            return false;
        }
        let_go(old);
        return true;
    };
    if (!strict) return rename_over();
    if (!examined.exists) {
        if (::renameat2(dir, from, dir, to, RENAME_NOREPLACE) == 0) return true;
        if (errno == EEXIST) errno = ESTALE;
        if (!unsupported()) return false;
    } else if (::renameat2(dir, from, dir, to, RENAME_EXCHANGE) == 0) {
        if (!same_file(identity_at(dir, temp), examined)) {
            ::renameat2(dir, from, dir, to, RENAME_EXCHANGE);
            errno = ESTALE;
            return false;
        }
        // The old file is under the temporary's name now.
        step(7);
        int old = hold_before_drop(temp, dir);
        ::unlinkat(dir, from, 0);
        let_go(old);
        return true;
    } else {
        if (errno == ENOENT) errno = ESTALE;  // the target went away
        if (!unsupported()) return false;
    }
    // No exchange here: checked just before the rename.
    if (!same_file(identity_at(dir, target), examined)) {
        errno = ESTALE;
        return false;
    }
    return rename_over();
}

}  // namespace

// A folder held open: its descriptor and its real path when it was opened.
// The replacements in one folder share one.
struct HeldFolder {
    int fd = -1;
    std::string real;
    HeldFolder() = default;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    ~HeldFolder() {
        if (fd >= 0) ::close(fd);
    }
};

namespace {

// The folders held now, by file identity: a job that replaces many files
// in a few folders holds one descriptor per folder.
struct HeldFolders {
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, std::weak_ptr<HeldFolder>> by_file;
};

// Opens and holds a folder; null (errno set) when it cannot be opened, or
// ESTALE when it changed while its real path was taken.
std::shared_ptr<HeldFolder> hold_folder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {
    }, named{};
    char* real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    const std::string path = real ? real : "";
    std::free(real);
    if (path.empty() || ::fstat(fd, &st) != 0 || ::stat(path.c_str(), &named) != 0 ||
        st.st_dev != named.st_dev || st.st_ino != named.st_ino) {
        ::close(fd);
        errno = ESTALE;
        return nullptr;
    }
    // Never destroyed: a folder may be let go while the process ends.
    static HeldFolders& held_folders = *new HeldFolders;
    std::lock_guard<std::mutex> lock(held_folders.mutex);
    std::weak_ptr<HeldFolder>& slot = held_folders.by_file[{st.st_dev, st.st_ino}];
    if (auto known = slot.lock(); known && known->real == path) {
        ::close(fd);
        return known;
    }
    auto made = std::make_shared<HeldFolder>();
    made->fd = fd;
    made->real = path;
    slot = made;
    if (held_folders.by_file.size() > 256)
        std::erase_if(held_folders.by_file,
                      [](const auto& entry) { return entry.second.expired(); });
    return made;
}

// Resolves the links of path once, holds the target's folder and shows
// what stands under the target's name to the check (see open_replacement).
bool examine_target(const std::string& path, const TargetCheck& check, std::string* refusal,
                    std::shared_ptr<HeldFolder>* folder, TargetView* view) {
    std::string target = resolve_links(path);
    if (target.empty()) return false;
    const std::string name = base_of(target);
    if (name.empty() || name == "." || name == "..") {
        errno = EISDIR;
        return false;
    }
    std::shared_ptr<HeldFolder> held = hold_folder(folder_of(target));
    if (!held) return false;
    view->given = path;
    view->followed = target;
    view->resolved = held->real == "/" ? "/" + name : held->real + "/" + name;
    int fd =
        ::openat(held->fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0) {
        view->exists = ::fstat(fd, &view->st) == 0;
        if (!view->exists) {
            ::close(fd);
            return false;
        }
    } else if (errno != ENOENT) {
        // A file that cannot be read, or a link put there since the links
        // were followed.
        if (::fstatat(held->fd, name.c_str(), &view->st, AT_SYMLINK_NOFOLLOW) != 0) return false;
        if (S_ISLNK(view->st.st_mode)) {
            if (refusal) *refusal = "it changed while it was written";
            errno = ESTALE;
            return false;
        }
        view->exists = true;
    }
    view->fd = fd;
    auto done = [&](bool ok) {
        int saved = errno;
        if (fd >= 0) ::close(fd);
        view->fd = -1;
        errno = saved;
        return ok;
    };
    if (view->exists && !S_ISREG(view->st.st_mode)) {
        errno = S_ISDIR(view->st.st_mode) ? EISDIR : EINVAL;
        return done(false);
    }
    if (view->exists && ::faccessat(held->fd, name.c_str(), W_OK, AT_EACCESS) != 0)
        return done(false);
    if (check) {
        if (std::string why = check(*view); !why.empty()) {
            if (refusal) *refusal = why;
            errno = EPERM;
            return done(false);
        }
    }
    *folder = std::move(held);
    return done(true);
}

// Fills *out for a temporary just made in the held folder and open on fd:
// the permissions the new file will get, and a second handle whose lock
// marks it in use.
bool hold_replacement(const TargetView& view, const std::string& target, const std::string& temp,
                      int fd, std::shared_ptr<HeldFolder> folder, Replacement* out) {
    mode_t permissions;
    if (view.exists) {
        permissions = view.st.st_mode & 07777;
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
        ::unlinkat(folder->fd, base_of(temp).c_str(), 0);
        errno = saved;
        return false;
    }
    ::fcntl(hold, F_SETFD, FD_CLOEXEC);
    out->target = target;
    out->temp = temp;
    out->fd = fd;
    out->hold = hold;
    out->permissions = permissions;
    out->folder = std::move(folder);
    out->examined = view.exists ? identity_of(view.st) : FileIdentity{};
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

bool open_replacement(const std::string& path, Replacement* out, const TargetCheck& check,
                      std::string* refusal) {
    *out = Replacement{};
    TargetView view;
    std::shared_ptr<HeldFolder> folder;
    if (!examine_target(path, check, refusal, &folder, &view)) return false;
    std::string temp;
    int fd = make_slot(temporary_stem(view.followed), &temp, folder->fd);
    if (fd < 0) return false;
    if (!hold_replacement(view, view.followed, temp, fd, std::move(folder), out)) return false;
    out->checked = static_cast<bool>(check);
    return true;
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
    // Staged after another file for the same target, it replaces what that
    // one puts in place.
    if (auto earlier = staged.by_target.find(r->target); earlier != staged.by_target.end()) {
        const Replacement& before = staged[earlier->second].replacement;
        if (!before.temp.empty() && r->folder && before.folder)
            r->examined = identity_at(before.folder->fd, at(before.folder->fd, before.temp));
    }
    staged.by_target[r->target] = staged.size();
    // The file goes to disk now, while the job works on.
    auto settling = std::make_shared<Settling>();
    if (int own = ::fcntl(r->hold, F_DUPFD_CLOEXEC, 0); own >= 0)
        releaser().release(own, settling, r->permissions);
    waiting.insert(r->temp);
    staged.push_back({*r, backup, std::move(settling)});
    r->temp.clear();
    r->hold = -1;
    r->fd = -1;
    // Each staged file holds a descriptor until it is flushed: a job of
    // many files flushes them a group at a time.
    if (staged.size() - unflushed >= MOST_HOLDING) flush_staged();
    return true;
}

namespace {

// The second half of a commit, once the temporary is flushed (settle): the
// backup kept, then the temporary renamed over its target.
bool put_in_place(Replacement* r, const std::string& backup) {
    step(1);
    const int dir = r->folder ? r->folder->fd : AT_FDCWD;
    if (!backup.empty() && (r->checked ? r->examined.exists : exists_unfollowed(r->target, dir)))
        keep_backup_through(r->target, backup, r->temp + "b", dir,
                            r->checked ? &r->examined : nullptr);
    step(2);
    if (!swap_into_place(dir, at(dir, r->temp), at(dir, r->target), r->examined, r->checked)) {
        int saved = errno;
        drop_replacement(r);
        errno = saved;
        return false;
    }
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
    const int dir = r->folder ? r->folder->fd : AT_FDCWD;
    if (!r->temp.empty()) ::unlinkat(dir, at(dir, r->temp).c_str(), 0);
    r->temp.clear();
    if (r->hold >= 0) ::close(r->hold);
    r->hold = -1;
    r->folder.reset();
}

// --- sets of files replaced as one ---------------------------------------------------------

std::string follow_links(const std::string& path) { return resolve_links(path); }

std::string real_path(const std::string& path) {
    char* real = ::realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (!real) return "";
    std::string out = real;
    std::free(real);
    return out;
}

std::string resolved_folder_path(const std::string& path) {
    if (path.empty()) return "";
    std::string base = base_of(path);
    if (base.empty() || base == "." || base == "..") return "";
    char* real = ::realpath(folder_of(path).c_str(), nullptr);
    if (!real) return "";
    std::string folder = real;
    std::free(real);
    return folder == "/" ? "/" + base : folder + "/" + base;
}

namespace {

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
    state.size = static_cast<uint64_t>(st.st_size);
    state.seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    state.nanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    return state;
}

bool same_state(const SetFileState& a, const SetFileState& b) {
    return a.exists == b.exists && (!a.exists || a == b);
}

// The record of a set: a header with the version, the owner's job and
// detail, the member count, then for each member its target and backup
// (each as its length, a blank and the bytes) and the target's state
// (device, inode and size as unsigned 64-bit numbers, the time as signed
// ones); "end" closes it. The version changes with the form, so that no
// version reads another's record as its own.
const char RECORD_MAGIC[] = "tessaron file set ";
const char RECORD_VERSION[] = "2";

void put_field(std::string& out, const std::string& text) {
    out += std::to_string(text.size()) + " " + text + "\n";
}

// Reads the fields of a record in turn; any fault makes ok false.
struct RecordReader {
    const std::string& text;
    size_t at = 0;
    bool ok = true;

    void literal(const char* word) {
        size_t n = std::strlen(word);
        ok = ok && text.compare(at, n, word) == 0;
        if (ok) at += n;
    }
    // A decimal number of 64 bits at most followed by `end`.
    uint64_t magnitude(char end) {
        uint64_t value = 0;
        size_t digits = 0;
        while (ok && at < text.size() && text[at] >= '0' && text[at] <= '9') {
            auto digit = static_cast<uint64_t>(text[at++] - '0');
            ok = value <= (UINT64_MAX - digit) / 10;
            value = value * 10 + digit;
            ++digits;
        }
        ok = ok && digits > 0 && at < text.size() && text[at] == end;
        if (ok) ++at;
        return value;
    }
    uint64_t unsigned_number(char end) { return magnitude(end); }
    int64_t signed_number(char end) {
        bool negative = ok && at < text.size() && text[at] == '-';
        if (negative) ++at;
        uint64_t value = magnitude(end);
        constexpr uint64_t most = static_cast<uint64_t>(INT64_MAX);
        ok = ok && value <= most + (negative ? 1 : 0);
        if (!ok) return 0;
        if (!negative) return static_cast<int64_t>(value);
        return value == most + 1 ? INT64_MIN : -static_cast<int64_t>(value);
    }
    std::string field() {
        uint64_t n = unsigned_number(' ');
        ok = ok && n < text.size() - at;
        if (!ok) return "";
        std::string value = text.substr(at, static_cast<size_t>(n));
        at += static_cast<size_t>(n);
        literal("\n");
        return value;
    }
};

}  // namespace

std::string set_record_text(const SetRecord& record) {
    std::string text = std::string(RECORD_MAGIC) + RECORD_VERSION + "\n";
    put_field(text, record.owner.job);
    put_field(text, record.owner.detail);
    text += std::to_string(record.members.size()) + "\n";
    for (const SetMember& m : record.members) {
        put_field(text, m.target);
        put_field(text, m.backup);
        char state[160];
        std::snprintf(state, sizeof state, "%d %llu %llu %llu %lld %lld\n", m.was.exists ? 1 : 0,
                      static_cast<unsigned long long>(m.was.device),
                      static_cast<unsigned long long>(m.was.inode),
                      static_cast<unsigned long long>(m.was.size),
                      static_cast<long long>(m.was.seconds),
                      static_cast<long long>(m.was.nanoseconds));
        text += state;
    }
    return text + "end\n";
}

RecordRead parse_set_record(const std::string& text, SetRecord* record) {
    *record = SetRecord{};
    RecordReader in{text};
    in.literal(RECORD_MAGIC);
    if (!in.ok) return RecordRead::DAMAGED;
    size_t line_end = text.find('\n', in.at);
    if (line_end == std::string::npos) return RecordRead::DAMAGED;
    std::string version = text.substr(in.at, line_end - in.at);
    if (version.empty() || version.size() > 9 ||
        version.find_first_not_of("0123456789") != std::string::npos)
        return RecordRead::DAMAGED;
    if (version != RECORD_VERSION) return RecordRead::OTHER_VERSION;
    in.at = line_end + 1;
    record->owner.job = in.field();
    record->owner.detail = in.field();
    uint64_t count = in.unsigned_number('\n');
    // Each member takes more than one byte of the record.
    in.ok = in.ok && count <= text.size() - in.at;
    for (uint64_t i = 0; i < count && in.ok; ++i) {
        SetMember m;
        m.target = in.field();
        m.backup = in.field();
        uint64_t exists = in.unsigned_number(' ');
        in.ok = in.ok && exists <= 1;
        m.was.exists = exists == 1;
        m.was.device = in.unsigned_number(' ');
        m.was.inode = in.unsigned_number(' ');
        m.was.size = in.unsigned_number(' ');
        m.was.seconds = in.signed_number(' ');
        m.was.nanoseconds = in.signed_number('\n');
        record->members.push_back(std::move(m));
    }
    in.literal("end\n");
    if (in.ok && in.at == text.size()) return RecordRead::READ;
    *record = SetRecord{};
    return RecordRead::DAMAGED;
}

namespace {

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
// decided. Whatever stands under the record's name (a link too) is
// replaced, never written through.
bool write_record(const std::string& path, const std::string& text) {
    std::string temp;
    int fd = make_slot(temporary_stem(path), &temp);
    if (fd < 0) return false;
    bool ok = write_all(fd, text) && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    int saved = errno;
    if (!ok) ::unlink(temp.c_str());
    if (ok) sync_folder(folder_of(path));
    errno = saved;
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

// A member's folder, held, and what its target was when it was staged.
using HeldMember = std::pair<std::shared_ptr<HeldFolder>, FileIdentity>;

FileIdentity was_identity(const SetMember& m) { return {m.was.exists, m.was.device, m.was.inode}; }

// True when what stands under the staged name is the target's old file: an
// exchange put the new one in place and a stop came before the old one went.
bool old_file_left(const FileIdentity& staged, const FileIdentity& was) {
    return staged.exists && was.exists && same_file(staged, was);
}

// Moves the staged temporaries that are still there over their targets, in
// order, each only over the file its target was when it was staged (held:
// each member's folder and that file, from its open; else the member's
// folder is held now and the record's state names the file); false (errno
// set) at the first that cannot be moved.
bool replace_members(const std::vector<SetMember>& members,
                     const std::vector<HeldMember>* held = nullptr) {
    for (size_t i = 0; i < members.size(); ++i) {
        const SetMember& m = members[i];
        HeldMember member;
        if (held) {
            member = (*held)[i];
        } else {
            member.first = hold_folder(folder_of(m.target));
            if (!member.first) return false;
            if (member.first->real != folder_of(m.target)) {
                errno = ESTALE;
                return false;
            }
            member.second = was_identity(m);
        }
        const int dir = member.first->fd;
        std::string temp = staged_name(m.target);
        FileIdentity staged = identity_at(dir, base_of(temp));
        if (!staged.exists) continue;  // moved before a stop
        if (old_file_left(staged, member.second)) {
            ::unlinkat(dir, base_of(temp).c_str(), 0);
            continue;
        }
        if (!m.backup.empty() && member.second.exists)
            keep_backup_through(m.target, m.backup, temp + "b", dir, &member.second);
        if (!swap_into_place(dir, base_of(temp), base_of(m.target), member.second)) return false;
        note_listed(m.target);
        step(6);
    }
    sync_folders_of(members);
    return true;
}

// Why a member of a read record may not be moved by the completion, or ""
// when it may: the target in its resolved form and taken by the job, the
// staged file (when still there) a plain file of one name, the target no
// link and as it was when the set was staged.
std::string member_refusal(const SetMember& m, const SetMemberCheck& accept) {
    struct stat st {};
    if (::lstat(staged_name(m.target).c_str(), &st) != 0) return "";  // nothing to move
    if (old_file_left(identity_of(st), was_identity(m))) return "";   // moved before a stop
    if (m.target.empty() || m.target[0] != '/' || resolved_folder_path(m.target) != m.target)
        return m.target + " is not a file of the project as its record names it";
    std::string why;
    if (!accept(m, &why)) return why.empty() ? m.target + " is not a file of this run" : why;
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1)
        return staged_name(m.target) + " is not a file that the stopped run wrote";
    struct stat now {};
    if (::lstat(m.target.c_str(), &now) == 0 && S_ISLNK(now.st_mode))
        return m.target + " is a link now";
    if (!same_state(m.was, state_of(m.target))) return m.target + " changed since";
    return "";
}

}  // namespace

// A staged file of a set whose flush runs beside the job until the set
// waits for it.
struct SetFlush {
    std::string target;
    std::shared_ptr<Settling> settling;
    int hold = -1;  // open on the staged file until its flush is done
    unsigned permissions = 0600;
};

ReplaceSet::ReplaceSet(const std::string& anchor, SetOwner owner)
    : anchor_(anchor), owner_(std::move(owner)) {}

ReplaceSet::~ReplaceSet() {
    for (SetFlush& flush : flushing_) {
        flush.settling->cancel();
        ::close(flush.hold);
    }
    if (recorded_) return;  // what is left is for complete_replace_set
    for (size_t i = 0; i < members_.size(); ++i)
        ::unlinkat(held_[i].first->fd, base_of(staged_name(members_[i].target)).c_str(), 0);
}

bool ReplaceSet::settle_flushes() {
    std::vector<FlushJob> jobs;
    jobs.reserve(flushing_.size());
    for (const SetFlush& flush : flushing_)
        jobs.push_back({flush.settling.get(), flush.hold, flush.permissions});
    settle_side_by_side(jobs);
    for (SetFlush& flush : flushing_) {
        if (flush.settling->error != 0 && flush_error_ == 0) {
            flush_error_ = flush.settling->error;
            flush_failed_ = flush.target;
        }
        ::close(flush.hold);
    }
    flushing_.clear();
    errno = flush_error_;
    return flush_error_ == 0;
}

bool ReplaceSet::open(const std::string& path, Replacement* out, const TargetCheck& check,
                      std::string* refusal) {
    *out = Replacement{};
    if (recorded_) return false;
    TargetView view;
    std::shared_ptr<HeldFolder> folder;
    if (!examine_target(path, check, refusal, &folder, &view)) return false;
    // The target in the form a record names it in, and a completion checks
    // it by: its folder's real path and its name.
    const std::string& target = view.resolved;
    // A target written twice keeps its last contents: the earlier goes.
    if (auto earlier = index_.find(target); earlier != index_.end()) {
        for (auto flush = flushing_.begin(); flush != flushing_.end(); ++flush) {
            if (flush->target != target) continue;
            flush->settling->cancel();
            ::close(flush->hold);
            flushing_.erase(flush);
            break;
        }
        size_t at = earlier->second;
        index_.erase(earlier);
        if (at + 1 != members_.size()) {
            members_[at] = std::move(members_.back());
            held_[at] = std::move(held_.back());
            index_[members_[at].target] = at;
        }
        members_.pop_back();
        held_.pop_back();
    }
    const std::string temp = staged_name(target);
    // Left by a set that was stopped before its commit.
    ::unlinkat(folder->fd, base_of(temp).c_str(), 0);
    int fd = ::openat(folder->fd, base_of(temp).c_str(),
                      O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (!hold_replacement(view, target, temp, fd, std::move(folder), out)) return false;
    out->checked = true;
    return true;
}

bool ReplaceSet::stage(Replacement* r, const std::string& backup) {
    if (r->temp.empty() || r->hold < 0) {
        errno = EBADF;
        return false;
    }
    index_[r->target] = members_.size();
    members_.push_back({r->target, backup, state_of(r->target)});
    held_.emplace_back(r->folder, r->examined);
    // The file goes to disk now, beside the job's work; the commit waits
    // for it before the record decides the set.
    auto settling = std::make_shared<Settling>();
    if (int own = ::fcntl(r->hold, F_DUPFD_CLOEXEC, 0); own >= 0)
        releaser().release(own, settling, r->permissions);
    flushing_.push_back({r->target, std::move(settling), r->hold, r->permissions});
    r->hold = -1;
    r->temp.clear();  // the set's now
    r->folder.reset();
    // Each file holds a descriptor until its flush is done: a set of many
    // files waits for them a group at a time.
    return flushing_.size() < MOST_HOLDING || settle_flushes();
}

bool ReplaceSet::commit() {
    // Every file is on disk before anything is decided.
    if (!settle_flushes()) return false;
    if (members_.empty()) return true;
    // Nothing is decided while a target is not the file its open examined.
    for (size_t i = 0; i < members_.size(); ++i) {
        if (!same_file(identity_at(held_[i].first->fd, base_of(members_[i].target)),
                       held_[i].second)) {
            errno = ESTALE;
            return false;
        }
    }
    // The temporaries' names are on disk before the record that claims them.
    sync_folders_of(members_);
    if (!write_record(record_name(anchor_), set_record_text({owner_, members_}))) return false;
    recorded_ = true;
    step(5);
    if (!replace_members(members_, &held_)) return false;  // the record stays for the next run
    ::unlink(record_name(anchor_).c_str());
    members_.clear();
    held_.clear();
    index_.clear();
    recorded_ = false;
    return true;
}

bool pending_replace_set(const std::string& anchor, PendingSet* pending) {
    std::string record = record_name(anchor);
    if (!exists_unfollowed(record)) return false;
    if (!pending) return true;
    *pending = PendingSet{};
    pending->record_file = record;
    std::string text;
    pending->read = read_small_file(record, &text) ? parse_set_record(text, &pending->record)
                                                   : RecordRead::DAMAGED;
    for (const SetMember& m : pending->record.members) {
        struct stat st {};
        if (::lstat(staged_name(m.target).c_str(), &st) == 0 &&
            !old_file_left(identity_of(st), was_identity(m)))
            pending->files_left = true;
    }
    return true;
}

SetCompletion complete_replace_set(const std::string& anchor, const SetMemberCheck& accept,
                                   std::string* problem) {
    PendingSet pending;
    if (!pending_replace_set(anchor, &pending)) return SetCompletion::NONE;
    const std::string& record = pending.record_file;
    const std::string keep = "; remove " + record + " to keep the files as they are";
    if (pending.read == RecordRead::OTHER_VERSION) {
        *problem = "its record " + record +
                   " was written by another version of the program: complete the run with that "
                   "version" +
                   keep;
        return SetCompletion::REFUSED;
    }
    if (pending.read != RecordRead::READ) {
        *problem = "its record " + record + " is damaged" + keep;
        return SetCompletion::REFUSED;
    }
    // Nothing moves unless every member may.
    for (const SetMember& m : pending.record.members) {
        if (std::string why = member_refusal(m, accept); !why.empty()) {
            *problem = why + keep;
            return SetCompletion::REFUSED;
        }
    }
    if (!replace_members(pending.record.members)) {
        *problem = "cannot replace its files: " + std::string(std::strerror(errno));
        return SetCompletion::REFUSED;
    }
    ::unlink(record.c_str());
    return SetCompletion::COMPLETED;
}
