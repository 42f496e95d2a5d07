#pragma once
// The path layer: where a stored name meets the system. Stored names may
// carry DOS separators, a drive letter and any letter case; here they become
// system paths:
// - '\' becomes '/';
// - a leading drive prefix ("C:") is dropped: Linux has one root, so
//   "C:\libs\a.clb" means "/libs/a.clb" and "C:a.clb" means "a.clb";
// - when the path does not exist as written, each component is looked up in
//   its directory ignoring letter case (the first match in byte order wins);
//   components that match nothing stay as written, so a new file is created
//   under the name it was given, in the directory found for it.
// A leading "~" stands for the home directory ".\" (see each routine).
//
// Every file the program writes goes through AtomicFile.
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/safe_replace.h"

// The system path of a stored name (no "~" expansion).
std::string system_path(const char* name);

// A key equal for the names that reach one file on disk: its device and
// inode when it exists, else its system path with "." and ".." components
// taken away. No "~" expansion.
std::string file_identity(const char* name);

// fopen of the path after expanding a leading "~"; null when it fails. A
// name opened for reading ("r...") must be a regular file: a folder or a
// device gives null (errno EISDIR or EINVAL) and a warning.
FILE* open_file(const char* path, const char* mode);
// Access test after expanding a "~" followed by '/', '\' or ':': mode 0
// exists, 2 writable, 4 readable (combinable); 0 when allowed, else -1.
int file_access(const char* path, int mode);
// Modification time (same "~" rule as file_access); 0 when unreadable.
time_t file_mtime(const char* path);
// True when both files exist and the first was last written before the
// second (to the file system's finest step). No "~" expansion.
bool file_older_than(const char* file, const char* than);
// Gives the file the present time as its modification time: what it holds
// is as current as anything written before now. False when it cannot.
bool touch_file(const char* path);
// Writes the home directory ".\" into buffer (at least 3 bytes); returns it.
char* home_dir(char* buffer);

// Keeps one backup of a file about to be overwritten under its name with the
// suffix ".BAK" (an old backup of any letter case is replaced). The file
// itself stays where it is: the backup is a hard link to it, or a copy. 0
// when done or when the backup hook says backups are not wanted; -1 when the
// file does not exist or is not writable, or when no backup could be made.
int make_backup(const char* path);
// The hook that says whether backups are wanted (none = always).
void set_backup_hook(std::function<int()> hook);

// --- what a job may replace ------------------------------------------------------
// A project received from someone else is hostile: a sheet may name a
// file outside the project ("../outside/o.sch") or be a symbolic link to
// any file. While a ProjectWrites lives (a job runs), each file written
// with a declared kind may replace only a file that already is of that
// kind (or an empty one), or create a new file; a symbolic link (to the
// file, or to a folder on its way below the folders the project lies in)
// is followed only to a file inside the project. The links are followed
// once: the file examined is the one replaced (platform/safe_replace.h),
// and a file put in its place meanwhile fails the write. A write refused
// fails with FILE_NOT_WRITTEN, and the job's print callback gets a line
// naming the file. Outside a job (the editor's own saves, which the user
// chose and confirmed) nothing is refused.

// The kinds of file the jobs write, each known by its first bytes.
enum class FileKind {
    ANY,                 // not checked
    SHEET,               // '@', a header naming "Schema", 0x1A (not a paste file's)
    LIBRARY,             // the same naming "Library"
    TITLE_BLOCK,         // the same naming "Title Block"
    NET_FILE,            // 0xA0, then a native header
    SHEET_SOURCE,        // "(SCHEMATIC", after blanks and comments
    LIBRARY_SOURCE,      // "(LIB"
    TITLE_BLOCK_SOURCE,  // "(TITLEBLOCK"
    NETLIST,             // any of the four netlist formats
    ERC_REPORT,          // "Tessaron ERC Report V"
    BOM,                 // "Bill of materials -- project"
    LISTING,             // "Library '" after blank lines
    PASTE,               // '@', a header naming "Paste File", 0x1A
};
// "a sheet", "a net file"...: what the refusals say a file is not.
const char* file_kind_text(FileKind kind);
// True when the file (a stored name, links followed) is a regular file
// whose contents are of the kind (ANY: any regular file).
bool file_is_of_kind(const char* path, FileKind kind);

// True when the file `name` (a stored name) lies in the folder of `root` or
// a folder below it, their folders' links resolved (or when either folder
// is not there).
bool lies_in_folder_of(const char* name, const char* root);

// The code of a write refused by the rule above.
constexpr int FILE_NOT_WRITTEN = 87;

using WritePrint = void (*)(const char* format, ...);

// The rule's scope: the job's project is the folder of `root` (a completed
// file name) and every folder below it, with the folders of the files
// added (a hierarchy's sheets in sibling folders) that are named by their
// path, not reached through a link. Scopes nest: the project of nested
// ones is their union, refusals go to the innermost's print.
class ProjectWrites {
public:
    ProjectWrites(const char* root, WritePrint print);
    ~ProjectWrites();
    ProjectWrites(const ProjectWrites&) = delete;
    ProjectWrites& operator=(const ProjectWrites&) = delete;
    // The folder of `file` (a completed file name) is the project's too,
    // unless the name reaches it through a link below the root's folder.
    void add(const char* file);
    // True while a job runs.
    static bool running();
    // Why a write of that kind over what the view shows is refused; ""
    // when it is not (no job running, kind ANY, or the rule met).
    static std::string refusal(const TargetView& view, FileKind kind);
    // Says that `path` is not written and why: a warning, and a line to
    // the running job's print callback.
    static void report(const std::string& path, const std::string& why);
    const std::vector<std::string>& folders() const { return folders_; }
    // The root's folder, absolute, as named (no link resolved).
    const std::string& root() const { return root_; }

private:
    std::vector<std::string> folders_;       // resolved
    std::unordered_set<std::string> given_;  // the folders added, as given
    std::string root_;
    WritePrint print_;
};

// Writes a file safely: the text goes to a temporary file beside the target,
// which replaces the target only when every write and the close succeeded
// (see platform/safe_replace.h: a symbolic link is followed, a folder or a
// file the user may not write is refused, the target exists at every
// instant). An uncommitted or failed temporary is removed; the old file is
// untouched.
//
//     AtomicFile out(name);
//     if (!out.is_open()) return 50;
//     write_Schema(..., out.stream());
//     return out.commit(true);
class FileSet;
class FolderSyncBatch;

class AtomicFile {
public:
    // path: a stored name ("~" expanded as by open_file); mode: "wb" or "w".
    // With a set, the file is one of the set's (see FileSet); kind: what
    // is written (see ProjectWrites).
    explicit AtomicFile(const char* path, const char* mode = "wb", FileSet* set = nullptr,
                        FileKind kind = FileKind::ANY);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the target is refused (a folder, a file the user may not
    // write, a file a job may not replace) or the temporary could not be
    // made (missing directory, no permission): the caller reports
    // open_failure(), or its own code.
    bool is_open() const { return stream_ != nullptr; }
    // 50 ("Cannot create file "), or FILE_NOT_WRITTEN when a job may not
    // replace the file.
    int open_failure() const { return open_failure_; }
    FILE* stream() const { return stream_; }
    // The system path that commit replaces (a symbolic link followed).
    const std::string& target() const { return target_; }

    // Flushes and closes the temporary and renames it over the target; with
    // backup set, the old file is kept as make_backup keeps it (a backup that
    // cannot be made is not an error). Returns 0, 6 when a write (or the
    // rename) failed, 7 when the close failed, FILE_NOT_WRITTEN when, in a
    // job, another file took the target's place since it was examined; on
    // failure the temporary is removed and the old file is untouched.
    // backup_suffix replaces the target's suffix in the backup's name.
    // A file of a set is only staged here: the set's commit replaces it.
    int commit(bool backup = false, const char* backup_suffix = ".BAK");

private:
    std::string target_;
    std::string given_;  // the system path asked for, which messages name
    FileSet* set_ = nullptr;
    int open_failure_ = 50;
    Replacement replacement_;  // the temporary, until committed or removed
    // The stream's buffer, larger than stdio's own so that a big netlist or
    // sheet takes few write calls, and the stream's own end, which sends
    // what is written on its way to disk; the stream is closed before they go.
    class Writer;
    std::unique_ptr<Writer> writer_;
    std::unique_ptr<char[]> buffer_;
    FILE* stream_ = nullptr;
};

// The whole safe write in one call: an AtomicFile on the path, the writer on
// its stream, then commit (with the backup rule when asked). Returns
// open_failure() when the file cannot be opened, the writer's non-zero code
// (the old file stays untouched), else commit's result. With a set, the
// file is staged in it (see FileSet).
int write_atomically(const char* path, const char* mode, const std::function<int(FILE*)>& write,
                     bool backup, const char* backup_suffix = ".BAK", FileSet* set = nullptr,
                     FileKind kind = FileKind::ANY);

// Puts in place the files a job staged in its batch (FolderSyncBatch with
// Commits::AT_END): 0, or 6 with a warning naming the file that could not
// be put in place (its old file stays; *failed names it when given), or
// FILE_NOT_WRITTEN when another file took its place since it was examined.
int finish_saves(FolderSyncBatch& batch, std::string* failed = nullptr);

// The files a job that changes several sheets writes, replaced as one:
// each is written in full to a temporary beside its target while every
// target stays as it was; commit then replaces them all. A failure before
// commit (a file that cannot be written, a full disk) leaves every file as
// it was. A stop during commit leaves a record beside the anchor (the file
// the job started from) naming the set's owner (the job), and
// complete_file_set, called by the next run of that job on that anchor,
// moves the remaining files into place: a set is completed or stays as it
// is, never undone. Each file keeps the guarantees of a single save (old
// or new at every instant, flushed before it replaces the old one). See
// platform/safe_replace.h.
//
//     FileSet set(root, {"annotation", ""});
//     for (...) if (int code = save_schema_file(sheet, name, true, &set)) return code;
//     return set.commit();
class FileSet {
public:
    FileSet(const char* anchor, SetOwner owner);  // anchor: a stored name
    ~FileSet();                                   // drops what was staged and not committed
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;

    // 0; 6 when the set's record cannot be written (no file replaced,
    // recorded() false) or a file cannot be replaced (the record stays:
    // recorded() true, the next complete_file_set finishes the set).
    int commit();
    bool recorded() const;
    size_t size() const;
    ReplaceSet& files() { return *set_; }

private:
    std::string anchor_;
    std::unique_ptr<ReplaceSet> set_;
};

// What complete_file_set did.
enum : int {
    FILE_SET_NONE = 0,       // nothing was left by a stopped job
    FILE_SET_COMPLETED = 1,  // a stopped job's files are all in place now
    FILE_SET_REFUSED = -1,   // nothing moved; *problem says why
};
// Completes what a job stopped while replacing the files of a set anchored
// at `anchor` (a stored name) left half done, moving files only over
// `targets` (completed names of the files the completing job writes: the
// sheets it listed), each with no backup but its own ".BAK".
int complete_file_set(const char* anchor, const std::vector<std::string>& targets,
                      std::string* problem);
// True when a job stopped while replacing the files of such a set; what it
// left in *pending (when given).
bool file_set_pending(const char* anchor, PendingSet* pending = nullptr);

// The code of a job that refuses to run over files a stopped job left half
// replaced ("Sheets left half saved by a stopped run").
constexpr int JOB_HALF_SAVED = 86;

// For a job that reads the sheets of a root without replacing them:
// JOB_HALF_SAVED, with a line to `print` naming the stopped job that is to
// be run again, when one left the sheets of the set anchored at `anchor`
// (the root's sheet file) half replaced; else 0.
int refuse_half_saved_set(const char* anchor, WritePrint print);

// Before a job that saves the sheets of the set anchored at `anchor`
// (`targets`: the completed names it saves them under) changes any:
// completes what a stopped run of the same owner left (*completed true,
// and a line to `print` says so), clears a record that has nothing left
// to move, or refuses with JOB_HALF_SAVED and a line naming the stopped
// job. 0 to go on.
int settle_stopped_set(const char* anchor, const SetOwner& owner,
                       const std::vector<std::string>& targets, WritePrint print, bool* completed);
