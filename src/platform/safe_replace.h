#pragma once
// Replacing a whole file so that a crash or a kill at any instant leaves the
// old file or the new one under its name, never neither and never a mix:
//
//  1. `open_replacement` finds the file to replace: a symbolic link is
//     followed, once (the file it names is replaced, the link stays). The
//     target's folder is opened and held: everything after is done by
//     names inside that folder, so that a folder or a link swapped
//     meanwhile takes nothing elsewhere. The file under the target's name
//     is opened without following a link and shown to the caller's check,
//     which may refuse it. It refuses a target that exists but is not a
//     regular file (a folder, a device) or that the user may not write; it
//     removes the temporaries that an earlier, crashed save of the same
//     file left behind, and creates a temporary with a short name beside
//     the target.
//
//     The temporaries of a target are named from the target's name alone
//     (`temporary_stem`: its folder and ".tn" with a hash of its name), so
//     finding them takes no look through the folder: ".0", ".1", ... for
//     the saves running at once (each holds a lock on its own while it
//     runs; one without is a crashed save's), the same names with "b" for
//     the backup a save is making, ".s" for the target's new contents in a
//     ReplaceSet, and ".j" for the record of a set anchored at the target.
//  2. The caller writes the temporary through `fd` and closes it.
//  3. `commit_replacement` gives the temporary the old file's permissions
//     (else 0666 less the umask), flushes it to disk, keeps a backup when
//     asked (a hard link to the old file, or a copy where links are not
//     possible: the target never goes away), renames the temporary over the
//     target and flushes the folder. The rename replaces only the file that
//     was examined at the open (or takes a name that was free then): when
//     another stands under the name now, nothing is replaced and the commit
//     fails with errno ESTALE.
//  4. `drop_replacement` removes a temporary that is not committed (after a
//     commit it does nothing).
//
// Failures are reported by the result, with errno saying why; a failed
// commit leaves the old file as it was.
#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A folder held open while files in it are replaced (opaque).
struct HeldFolder;

// What stands under a name when it is examined: nothing, or one file.
struct FileIdentity {
    bool exists = false;
    uint64_t device = 0, inode = 0;
};

struct Replacement {
    std::string target;           // the regular file replaced, links resolved
    std::string temp;             // the temporary; empty when none
    int fd = -1;                  // open on temp for the caller, who closes it
    int hold = -1;                // the replacement's own handle on temp: its lock marks it in use
    unsigned permissions = 0600;  // what the new file gets at the commit
    std::shared_ptr<HeldFolder> folder;  // the folder of target and temp
    FileIdentity examined;               // what stood under the target's name at the open
    bool checked = false;                // a check examined it: only that file is replaced
};

// What a replacement is about to replace, shown to the caller's check
// before anything is written.
struct TargetView {
    std::string given;     // the path asked for
    std::string followed;  // the path with its final links followed
    std::string resolved;  // the target: its folder's real path and its name
    bool exists = false;   // a file stands under that name
    int fd = -1;           // open for reading on it (no link followed); -1 when it cannot be read
    struct stat st {};     // its status, when it exists
};
// "" to let the replacement go on; else why it is refused.
using TargetCheck = std::function<std::string(const TargetView& view)>;

// Prepares the replacement of path (a system path). False when the target
// is refused or the temporary cannot be made; nothing is changed then. A
// target the check refuses gives errno EPERM and the check's reason in
// *refusal; one that changes while it is examined (a link put under its
// name) errno ESTALE. With a check, the commit replaces only the file the
// check examined; without, whatever file stands under the name then (two
// saves of one file running at once: the last commit wins).
bool open_replacement(const std::string& path, Replacement* out, const TargetCheck& check = {},
                      std::string* refusal = nullptr);

// Replaces the target with the written, closed temporary. A non-empty
// backup names the file that keeps the old contents (when there are any);
// a backup that cannot be made does not fail the commit. False when the
// temporary cannot be flushed or renamed (the temporary is removed then).
bool commit_replacement(Replacement* r, const std::string& backup);
// As commit_replacement; while a FolderSyncBatch that puts commits in place
// at its end is open, the temporary is staged instead (*r is then empty)
// and put in place by that batch.
bool commit_or_stage_replacement(Replacement* r, const std::string& backup);

// Removes an uncommitted temporary and closes what is still open.
void drop_replacement(Replacement* r);

// Sends bytes [from, from + length) of a temporary being written (fd stays
// the caller's) on their way to disk, beside the caller's work: the flush
// at the commit then waits for little more than the last bytes written. A
// hint only: nothing is done when it cannot be sent.
void start_writing(int fd, long long from, long long length);

// Makes `backup` a copy of the regular file `file` without ever moving
// `file`: a hard link put in place by a rename, or a copy where links are
// not possible. An old backup is replaced. False when nothing was made.
bool keep_backup(const std::string& file, const std::string& backup);

// While one lives, commits leave the flush of their folder to the end of the
// outermost one, which flushes each folder once: a job that writes many
// files into one folder pays one folder flush instead of one per file. Each
// file is still flushed before its rename, so a crash still leaves the old
// file or the new one, never a mix; only a rename not yet flushed may be
// undone by a crash, and the job has not reported its end before that.
//
// A job's look-ups of names ignoring case read each folder once while it
// lives (batch_find_ignoring_case), so that a job over many files in one
// folder costs no look through the folder per file; the files the job
// itself writes join what was read. A case variant another program makes
// in the folder meanwhile is seen by the next job.
//
// A job that writes many files and reads none of them back opens its batch
// with Commits::AT_END: each file it commits (commit_or_stage_replacement)
// is written to its temporary and sent on its way to disk, and the batch
// puts them all in place at finish (or at its end): all flushed first, then
// each renamed over its target. Each file keeps the guarantees of a single
// save; the flushes of files written together cost little more than one.
// Until then the targets are as they were. At most 64 files wait: a job of
// more puts the first ones in place while it goes on.
class FolderSyncBatch {
public:
    enum class Commits { AT_ONCE, AT_END };
    explicit FolderSyncBatch(Commits commits = Commits::AT_ONCE);
    ~FolderSyncBatch();
    FolderSyncBatch(const FolderSyncBatch&) = delete;
    FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
    // Puts every staged file in place. False when one could not be: errno
    // says why and *failed names the target. A file that could not be
    // flushed leaves every target as it was; a rename that fails leaves its
    // old file, the others are in place.
    bool finish(std::string* failed = nullptr);
    // Drops every staged file: the targets stay as they were.
    void discard();

private:
    Commits commits_;
};

// The folder of target and the start of its temporaries' names.
std::string temporary_stem(const std::string& target);

// --- several files replaced as one ---------------------------------------------------
// A job that changes several files (the sheets of a project) stages each
// new file as the ".s" temporary of its target, written and flushed to
// disk, the targets untouched. Only when every file is staged does commit
// write the set's record beside its anchor (the file the job started from)
// and flush it: from then on the set is decided. It then moves each
// temporary over its target (keeping a backup where asked) and removes the
// record. A stop before the record leaves every target as it was; a stop
// after it leaves the record, and complete_replace_set, run by the next job
// on the same anchor, moves the temporaries left over their targets. A
// set is never undone.
//
// The record says which job made the set (its owner), so that only a run
// of that job completes it: another job's changes are never taken for
// its own. A record is a file of the folder like any other: the completion
// trusts none of it, and moves only a set's own temporaries (regular
// files of one name) over targets the job itself accepts.

// Who made a set: the job, and what tells its runs apart (for a
// back-annotation, its change file).
struct SetOwner {
    std::string job;
    std::string detail;
    bool operator==(const SetOwner&) const = default;
};

// What a target was when its new contents were staged.
struct SetFileState {
    bool exists = false;
    uint64_t device = 0, inode = 0, size = 0;
    int64_t seconds = 0, nanoseconds = 0;
    bool operator==(const SetFileState&) const = default;
};

struct SetMember {
    std::string target;  // full system path, its folder's links resolved
    std::string backup;  // empty: none
    SetFileState was;
    bool operator==(const SetMember&) const = default;
};

struct SetRecord {
    SetOwner owner;
    std::vector<SetMember> members;
    bool operator==(const SetRecord&) const = default;
};

// The text of a record, and its reading. Every record written reads back
// equal; a record of another version of the program is OTHER_VERSION,
// never read as this one's.
std::string set_record_text(const SetRecord& record);
enum class RecordRead { READ, OTHER_VERSION, DAMAGED };
RecordRead parse_set_record(const std::string& text, SetRecord* record);

struct SetFlush;

class ReplaceSet {
public:
    ReplaceSet(const std::string& anchor, SetOwner owner);  // anchor: a system path
    // Removes what was staged, unless commit wrote the record.
    ~ReplaceSet();
    ReplaceSet(const ReplaceSet&) = delete;
    ReplaceSet& operator=(const ReplaceSet&) = delete;

    // As open_replacement, with the target's set temporary; a target opened
    // again replaces what was staged for it.
    bool open(const std::string& path, Replacement* out, const TargetCheck& check = {},
              std::string* refusal = nullptr);
    // Takes the written, closed temporary into the set; backup as for
    // commit_replacement. It is given its permissions and flushed to disk
    // beside the job's work (the releaser thread, else the commit, flushes
    // the files side by side; at most 64 wait at a time). False (errno
    // set) when a file of the set could not be flushed: the set is then
    // never committed.
    bool stage(Replacement* r, const std::string& backup);
    // Replaces every staged target as described above, once every staged
    // file is flushed. False (errno set) when a staged file cannot be
    // flushed (failed() names its target), a target is no longer the file
    // examined when it was opened (ESTALE) or the record cannot be written
    // (nothing replaced: recorded() is false), or when a target cannot be
    // replaced (the record stays for complete_replace_set: recorded() is
    // true).
    bool commit();
    bool recorded() const { return recorded_; }
    size_t size() const { return members_.size(); }
    // The target whose staged file could not be flushed, when one could not.
    const std::string& failed() const { return flush_failed_; }

private:
    // Waits for the flushes of the staged files; false (errno set) when
    // one of the set's files could not be flushed, now or before.
    bool settle_flushes();

    std::string anchor_;
    SetOwner owner_;
    std::vector<SetMember> members_;
    // Beside each member: its held folder and what its open examined.
    std::vector<std::pair<std::shared_ptr<HeldFolder>, FileIdentity>> held_;
    std::unordered_map<std::string, size_t> index_;  // member by target
    std::vector<SetFlush> flushing_;  // staged files whose flush is not waited for yet
    int flush_error_ = 0;             // errno of the first flush that failed
    std::string flush_failed_;        // its target
    bool recorded_ = false;
};

// What a stopped set anchored somewhere left.
struct PendingSet {
    std::string record_file;  // its record
    RecordRead read = RecordRead::DAMAGED;
    SetRecord record;         // when read
    bool files_left = false;  // some staged file is still to be moved
};
// True when a set anchored there was stopped while replacing its files
// (its record is there); *pending (when given) says what it left.
bool pending_replace_set(const std::string& anchor, PendingSet* pending = nullptr);

enum class SetCompletion {
    NONE,       // no set of this anchor was stopped
    COMPLETED,  // the stopped set's files are all in place now
    REFUSED,    // nothing moved: *problem says why
};
// Says whether a member of a record is one the completing job would have
// written itself (its target and its backup); else *why.
using SetMemberCheck = std::function<bool(const SetMember& member, std::string* why)>;
// Completes the commit of a set anchored at `anchor` that a stop left half
// done. It refuses when its record is damaged or another version's, when a
// member is not one `accept` takes, is not in its resolved form, or its
// staged file is not a plain file of its own (a link, a file of several
// names), or when a target it has yet to replace changed since the set
// was staged (a file saved meanwhile is never overwritten with the set's
// older contents).
SetCompletion complete_replace_set(const std::string& anchor, const SetMemberCheck& accept,
                                   std::string* problem);

// The path with its final symbolic links followed (a link naming a missing
// file gives that name); "" for a loop of links.
std::string follow_links(const std::string& path);
// The path with its folder's links, "." and ".." resolved (the last
// component as it is); "" when the folder cannot be resolved.
std::string resolved_folder_path(const std::string& path);
// The real path of an existing file or folder (every link, "." and ".."
// resolved); "" when it cannot be resolved.
std::string real_path(const std::string& path);

// While a FolderSyncBatch is open: the entry of folder ("" the working
// directory) equal to name ignoring case, the smallest in byte order, or ""
// when none is, through the batch's reading of the folder; true. False when
// no batch is open or the folder cannot be read: not answered.
bool batch_find_ignoring_case(const std::string& folder, const std::string& name,
                              std::string* found);

// For tests: called with 1, 2, 3 between the steps of a commit (after the
// flush, after the backup, after the rename), so that a test can stop the
// process there, with 4 after each flush of a folder, in a set's commit
// with 5 once its record is on disk and 6 after each target replaced, and
// with 7 when an exchange put a file in place and the old one is still
// under the temporary's name.
void set_replace_step_hook(void (*hook)(int step));
