#pragma once
// Replacing a whole file so that a crash or a kill at any instant leaves the
// old file or the new one under its name, never neither and never a mix:
//
//  1. `open_replacement` finds the file to replace: a symbolic link is
//     followed (the file it names is replaced, the link stays). It refuses a
//     target that exists but is not a regular file (a folder, a device) or
//     that the user may not write; it removes the temporaries that an
//     earlier, crashed save of the same file left behind, and creates a
//     temporary with a short name beside the target.
//  2. The caller writes the temporary through `fd` and closes it.
//  3. `commit_replacement` gives the temporary the old file's permissions
//     (else 0666 less the umask), flushes it to disk, keeps a backup when
//     asked (a hard link to the old file, or a copy where links are not
//     possible: the target never goes away), renames the temporary over the
//     target and flushes the folder.
//  4. `drop_replacement` removes a temporary that is not committed (after a
//     commit it does nothing).
//
// Failures are reported by the result, with errno saying why; a failed
// commit leaves the old file as it was.
#include <string>

struct Replacement {
    std::string target;           // the regular file replaced, links resolved
    std::string temp;             // the temporary; empty when none
    int fd = -1;                  // open on temp for the caller, who closes it
    int hold = -1;                // the replacement's own handle on temp: its lock marks it in use
    unsigned permissions = 0600;  // what the new file gets at the commit
};

// Prepares the replacement of path (a system path). False when the target
// is refused or the temporary cannot be made; nothing is changed then.
bool open_replacement(const std::string& path, Replacement* out);

// Replaces the target with the written, closed temporary. A non-empty
// backup names the file that keeps the old contents (when there are any);
// a backup that cannot be made does not fail the commit. False when the
// temporary cannot be flushed or renamed (the temporary is removed then).
bool commit_replacement(Replacement* r, const std::string& backup);

// Removes an uncommitted temporary and closes what is still open.
void drop_replacement(Replacement* r);

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
class FolderSyncBatch {
public:
    FolderSyncBatch();
    ~FolderSyncBatch();
    FolderSyncBatch(const FolderSyncBatch&) = delete;
    FolderSyncBatch& operator=(const FolderSyncBatch&) = delete;
};

// For tests: called with 1, 2, 3 between the steps of a commit (after the
// flush, after the backup, after the rename), so that a test can stop the
// process there, and with 4 after each flush of a folder.
void set_replace_step_hook(void (*hook)(int step));
