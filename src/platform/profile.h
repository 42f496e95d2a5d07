#pragma once
// Private-profile INI files: "[section]" headers followed by "key=value"
// lines, read and written one value at a time.
//
// The rules callers rely on:
// - section and key names compare ignoring case; blanks around names and
//   values are dropped;
// - when a key appears more than once, the first one wins (for reading and
//   for replacing);
// - a value read is cut to the caller's buffer (size - 1 characters);
// - a write replaces the value in place, or appends the key at the end of
//   its section, creating the section (at the end of the file) and the file
//   itself when they are missing;
// - a write of a null value deletes the key;
// - the file is saved through a temporary file beside it and a rename, so a
//   crash never leaves a half-written file;
// - a file of any number of keys is read once and indexed: a look-up and a
//   change cost no walk through the file (saving it still writes it whole).
//
// A bare file name (no '/' or backslash) lives in the user's configuration
// directory, $XDG_CONFIG_HOME/tessaron/ (default ~/.config/tessaron/); a
// name with a separator is used as it is, a backslash read as '/'.
#include <cstddef>
#include <string>

// Copies the value of section/key into out (at most size - 1 characters and
// the end mark) or, when absent, the default text (none = empty). Returns
// the number of characters copied, end mark not counted.
size_t get_private_profile_string(const char* section, const char* key, const char* default_text,
                                  char* out, size_t size, const char* file);

// Stores value under section/key; a null value deletes the key. Returns
// false when the file cannot be written (nothing changed then) or when the
// section or key is none or empty, or holds a line break, a '=' (key) or a
// ']' (section), or when the key starts with '[' or ';' (blanks before them
// are dropped): the file would not give such a key back. A value is cut at
// its first line break.
bool write_private_profile_string(const char* section, const char* key, const char* value,
                                  const char* file);

// Batches: while one is open, writes change the file in memory only (reads
// see them at once) and the outermost profile_batch_end saves them all
// with one write of the file; its result says whether that save succeeded
// (on failure the batch's changes are dropped). A command or a dialog that
// stores several settings opens a batch around them, so that each is on
// disk when it returns; a batch still open at exit is saved then. Writes
// outside a batch are saved at once.
void profile_batch_begin();
bool profile_batch_end();

// Keeps a batch open for its lifetime.
class ProfileBatch {
public:
    ProfileBatch() { profile_batch_begin(); }
    ~ProfileBatch() { profile_batch_end(); }
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;
};

// Snapshots: while one is open, the file last read or written is taken
// from memory without asking the disk whether it changed, so that reading
// hundreds of keys reads the file once (outside one, a file changed in the
// last two seconds is read again at each look-up: its time cannot tell
// another change within the same tick). A change made on disk by another
// program while a snapshot is open is seen after it closes.
void profile_snapshot_begin();
void profile_snapshot_end();
// Keeps a snapshot open for its lifetime.
class ProfileSnapshot {
public:
    ProfileSnapshot() { profile_snapshot_begin(); }
    ~ProfileSnapshot() { profile_snapshot_end(); }
    ProfileSnapshot(const ProfileSnapshot&) = delete;
    ProfileSnapshot& operator=(const ProfileSnapshot&) = delete;
};
// Whether a profile file is there to be read: MISSING (no file), READABLE,
// or UNREADABLE (there, but not a regular file or not readable: writes
// never replace it).
enum class ProfileFile { MISSING, READABLE, UNREADABLE };
ProfileFile profile_file_state(const char* file);
// True when the file holds a key (any value) in the section.
bool profile_has_keys(const char* section, const char* file);

// The directory bare profile names live in, with a trailing '/'.
std::string profile_directory();

// Where a profile file name resolves to.
std::string profile_path(const char* file);
