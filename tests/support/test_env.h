#pragma once
// Helpers shared by the test programs.
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tn_test {

// Points XDG_CONFIG_HOME at a fresh temporary directory and makes another
// one the working directory, both private to this test process.
void isolate_config_dir();

// A fresh empty directory under the system's temporary directory, removed
// when the object goes. IN_MEMORY puts it on the memory file system
// (/dev/shm) where the machine has one: for tests of many files, whose
// flushes to a disk would make them slow without testing more.
class TempDir {
public:
    enum Where { ON_DISK, IN_MEMORY };
    explicit TempDir(Where where = ON_DISK);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir_; }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

// Runs body in a forked child process and returns the child's exit code;
// 255 when the child died. The child ends with _exit: no test object of the
// parent is destroyed in it. run_unprivileged runs it as the user 65534 when
// this process runs as root (255 when root could not be dropped).
int run_in_child(const std::function<int()>& body);
// The same with the child's stack allowed to grow only `room` bytes past
// the depth it has on entry (or past what the process mapped already, when
// that is more): a body that takes stack in proportion to its input
// overflows it and dies (255).
int run_in_child_with_stack(size_t room, const std::function<int()>& body);
int run_unprivileged(const std::function<int()>& body);

// How many times `what` begins in the text.
size_t count_of(const std::string& text, const std::string& what);

std::vector<unsigned char> read_bytes(const std::string& path);
std::string read_text(const std::string& path);
void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes);
void write_text(const std::string& path, const std::string& text);
// Path of a file under tests/data.
std::string data_path(const std::string& relative);
// Where a failed picture comparison leaves its images: the folder of the
// test program (build/tests/), which outlives the test's own directories.
std::filesystem::path failure_output_dir();
// Whether the program is on the PATH; the failure message names it and
// where it comes from. Tests that run a program assert it first, so that a
// missing one is reported as such and not as a wrong result.
::testing::AssertionResult tool_installed(const std::string& program);
// Appends the formatted text to out, whatever its length: the body of the
// printf-style callbacks with which tests catch what a job prints.
void append_vprintf(std::string& out, const char* format, va_list args);

// --- binary streams of the record tests ---------------------------------------
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

// A temporary file holding the bytes, positioned at its start.
StreamPtr stream_of(const std::vector<unsigned char>& bytes);
// The bytes after the stream's position.
std::vector<unsigned char> rest_of(FILE* stream);
// What `write` puts on a fresh temporary stream.
std::vector<unsigned char> bytes_written(const std::function<void(FILE*)>& write);
std::string text_written(const std::function<void(FILE*)>& write);

// Compares with the golden file at tests/data/<relative>. With
// TN_UPDATE_GOLDEN=1 in the environment the file is (re)written from
// `actual` instead; review the diff of the data folder before committing it.
void expect_golden(const std::string& relative, const std::vector<unsigned char>& actual);

}  // namespace tn_test
