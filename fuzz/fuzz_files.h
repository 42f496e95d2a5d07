#pragma once
// Shared by the fuzz targets whose reader takes a file by its name: one
// folder per process (on the memory file system where the machine has one,
// so that the saves a target makes cost no disk flush), removed when the
// process ends, and the input written to a file in it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz_files {

inline const std::string& folder() {
    static const std::string made = [] {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "tn-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        static const std::string kept = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(kept, ignored);
        });
        return pattern;
    }();
    return made;
}

// The path of a file of that name in the process's folder.
inline std::string path(const char* name) { return folder() + "/" + name; }

// Writes the bytes as the file `name` of the folder (replacing it) and
// returns its path.
inline std::string write_input(const char* name, const uint8_t* data, size_t size) {
    std::string file = path(name);
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) std::abort();
    if (size && std::fwrite(data, 1, size, out) != size) std::abort();
    if (std::fclose(out) != 0) std::abort();
    return file;
}

}  // namespace fuzz_files
