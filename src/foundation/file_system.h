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

#include "platform/safe_replace.h"

// The system path of a stored name (no "~" expansion).
std::string system_path(const char* name);

// fopen of the path after expanding a leading "~"; null when it fails. A
// name opened for reading ("r...") must be a regular file: a folder or a
// device gives null (errno EISDIR or EINVAL) and a warning.
FILE* open_file(const char* path, const char* mode);
// Access test after expanding a "~" followed by '/', '\' or ':': mode 0
// exists, 2 writable, 4 readable (combinable); 0 when allowed, else -1.
int file_access(const char* path, int mode);
// Modification time (same "~" rule as file_access); 0 when unreadable.
time_t file_mtime(const char* path);
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
class AtomicFile {
public:
    // path: a stored name ("~" expanded as by open_file); mode: "wb" or "w".
    explicit AtomicFile(const char* path, const char* mode = "wb");
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the target is refused (a folder, a file the user may not
    // write) or the temporary could not be made (missing directory, no
    // permission): the caller reports "cannot create" (50) or its own code.
    bool is_open() const { return stream_ != nullptr; }
    FILE* stream() const { return stream_; }
    // The system path that commit replaces (a symbolic link followed).
    const std::string& target() const { return target_; }

    // Flushes and closes the temporary and renames it over the target; with
    // backup set, the old file is kept as make_backup keeps it (a backup that
    // cannot be made is not an error). Returns 0, 6 when a write (or the
    // rename) failed, 7 when the close failed; on failure the temporary is
    // removed and the old file is untouched.
    // backup_suffix replaces the target's suffix in the backup's name.
    int commit(bool backup = false, const char* backup_suffix = ".BAK");

private:
    std::string target_;
    Replacement replacement_;  // the temporary, until committed or removed
    // The stream's buffer, larger than stdio's own so that a big netlist or
    // sheet takes few write calls; the stream is closed before it goes.
    std::unique_ptr<char[]> buffer_;
    FILE* stream_ = nullptr;
};

// The whole safe write in one call: an AtomicFile on the path, the writer on
// its stream, then commit (with the backup rule when asked). Returns 50
// ("Cannot create file ") when the temporary cannot be made, the writer's
// non-zero code (the old file stays untouched), else commit's result.
int write_atomically(const char* path, const char* mode, const std::function<int(FILE*)>& write,
                     bool backup, const char* backup_suffix = ".BAK");
