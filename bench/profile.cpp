// bench-deps: platform
// The INI file at start-up and when settings are stored, for files of
// 100,000 and 1,000,000 keys: reading 500 keys from a file not read yet,
// and storing 500 settings in one batch (one save of the file). Both must
// be linear in the file's size: ten times the keys, about ten times as long
// (not 500 walks through the file, nor 500 saves of it).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/profile.h"

namespace {

// A file of `keys` keys in one section, dated a minute back so that its
// reader trusts what it has read.
std::string ini_file(int keys) {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("tn-bench-profile-" + std::to_string(keys) + ".ini"))
                           .string();
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return path;
    std::fputs("[TESSARON]\n", out);
    for (int i = 0; i < keys; ++i) std::fprintf(out, "KEY_%d=%d\n", i, i);
    std::fclose(out);
    struct timespec old[2] = {{std::time(nullptr) - 60, 0}, {std::time(nullptr) - 60, 0}};
    utimensat(AT_FDCWD, path.c_str(), old, 0);
    return path;
}

void BM_StartUpReads(benchmark::State& state) {
    int keys = static_cast<int>(state.range(0));
    std::string path = ini_file(keys);
    std::string other = ini_file(1);
    char value[64];
    for (auto _ : state) {
        // Another file first: the big one is read afresh each time.
        get_private_profile_string("TESSARON", "KEY_0", "", value, sizeof value, other.c_str());
        for (int i = 0; i < 500; ++i) {
            std::string key = "KEY_" + std::to_string(i * (keys / 500));
            get_private_profile_string("TESSARON", key.c_str(), "", value, sizeof value,
                                       path.c_str());
        }
    }
    std::filesystem::remove(path);
    std::filesystem::remove(other);
    state.SetComplexityN(keys);
}

void BM_BatchOfSettings(benchmark::State& state) {
    int keys = static_cast<int>(state.range(0));
    std::string path = ini_file(keys);
    int round = 0;
    for (auto _ : state) {
        ProfileBatch batch;
        ++round;
        for (int i = 0; i < 500; ++i) {
            std::string key = "KEY_" + std::to_string(i * (keys / 500));
            write_private_profile_string("TESSARON", key.c_str(), std::to_string(round).c_str(),
                                         path.c_str());
        }
    }
    std::filesystem::remove(path);
    state.SetComplexityN(keys);
}

}  // namespace

BENCHMARK(BM_StartUpReads)->Arg(100000)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_BatchOfSettings)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity();
