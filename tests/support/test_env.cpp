#include "support/test_env.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cinttypes>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tn_test {

namespace {
fs::path unique_temp(const char* stem, const fs::path& under = fs::temp_directory_path()) {
    static std::mt19937_64 rng{std::random_device{}()};
    for (;;) {
        fs::path p =
            under / (std::string(stem) + std::to_string(getpid()) + "-" + std::to_string(rng()));
        std::error_code ec;
        if (fs::create_directories(p, ec)) return p;
    }
}
}  // namespace

namespace {
// The private directories of one test process, removed when it ends.
struct ProcessDirs {
    fs::path config = unique_temp("tn-config-");
    fs::path work = unique_temp("tn-work-");
    pid_t owner = getpid();
    ~ProcessDirs() {
        if (getpid() != owner) return;
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(config, ec);
        fs::remove_all(work, ec);
    }
};
}  // namespace

void isolate_config_dir() {
    static ProcessDirs dirs;
    setenv("XDG_CONFIG_HOME", dirs.config.c_str(), 1);
    // Files the program writes beside it (the paste file, the log file) land
    // in a directory of this process only, so parallel test processes never
    // share them.
    fs::current_path(dirs.work);
}

namespace {
fs::path temp_base(TempDir::Where where) {
    std::error_code ec;
    if (where == TempDir::IN_MEMORY && fs::is_directory("/dev/shm", ec)) return "/dev/shm";
    return fs::temp_directory_path();
}
}  // namespace

TempDir::TempDir(Where where) : dir_(unique_temp("tn-test-", temp_base(where))) {}
TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

namespace {
int run_forked(const std::function<int()>& body, bool drop_root) {
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        if (drop_root && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(255);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 255;
    return WEXITSTATUS(status);
}
}  // namespace

int run_in_child(const std::function<int()>& body) { return run_forked(body, false); }

int run_in_child_with_stack(size_t room, const std::function<int()>& body) {
    return run_forked(
        [&] {
            // The main thread's stack grows on demand up to the limit, which
            // counts from the top of its mapping.
            char here = 0;
            uintptr_t bottom = 0, top = 0;
            if (FILE* maps = std::fopen("/proc/self/maps", "r")) {
                char line[512];
                while (std::fgets(line, sizeof line, maps))
                    if (std::strstr(line, "[stack]"))
                        std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR, &bottom, &top);
                std::fclose(maps);
            }
            uintptr_t at = reinterpret_cast<uintptr_t>(&here);
            if (at <= bottom || at >= top) return 254;  // not on the main thread's stack
            rlim_t limit = static_cast<rlim_t>(top - at + room);
            rlimit stack{limit, limit};
            if (setrlimit(RLIMIT_STACK, &stack) != 0) return 254;
            return body();
        },
        false);
}
int run_unprivileged(const std::function<int()>& body) { return run_forked(body, true); }

size_t count_of(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::vector<unsigned char> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string read_text(const std::string& path) {
    auto bytes = read_bytes(path);
    return {bytes.begin(), bytes.end()};
}

void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void append_vprintf(std::string& out, const char* format, va_list args) {
    va_list again;
    va_copy(again, args);
    int n = std::vsnprintf(nullptr, 0, format, again);
    va_end(again);
    if (n <= 0) return;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data() + at, static_cast<size_t>(n) + 1, format, args);
    out.resize(at + static_cast<size_t>(n));
}

std::string data_path(const std::string& relative) {
    return std::string(TN_TEST_DATA_DIR) + "/" + relative;
}

fs::path failure_output_dir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

::testing::AssertionResult tool_installed(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        if (access((dir + "/" + program).c_str(), X_OK) == 0) return ::testing::AssertionSuccess();
        start = end + 1;
    }
    return ::testing::AssertionFailure()
           << program << " is not installed (scripts/setup.sh installs it)";
}

StreamPtr stream_of(const std::vector<unsigned char>& bytes) {
    StreamPtr stream(std::tmpfile());
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stream.get());
    std::rewind(stream.get());
    return stream;
}

std::vector<unsigned char> rest_of(FILE* stream) {
    std::vector<unsigned char> rest;
    for (int c; (c = std::fgetc(stream)) != EOF;) rest.push_back(static_cast<unsigned char>(c));
    return rest;
}

std::vector<unsigned char> bytes_written(const std::function<void(FILE*)>& write) {
    StreamPtr stream(std::tmpfile());
    write(stream.get());
    std::rewind(stream.get());
    return rest_of(stream.get());
}

std::string text_written(const std::function<void(FILE*)>& write) {
    std::vector<unsigned char> bytes = bytes_written(write);
    return {bytes.begin(), bytes.end()};
}

void expect_golden(const std::string& relative, const std::vector<unsigned char>& actual) {
    std::string path = data_path(relative);
    const char* update = std::getenv("TN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        write_bytes(path, actual);
        return;
    }
    std::vector<unsigned char> expected = read_bytes(path);
    EXPECT_EQ(std::string(expected.begin(), expected.end()),
              std::string(actual.begin(), actual.end()))
        << "golden file " << path;
}

}  // namespace tn_test
