#include "support/test_env.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tn_test {

namespace {
fs::path unique_temp(const char* stem) {
    static std::mt19937_64 rng{std::random_device{}()};
    for (;;) {
        fs::path p = fs::temp_directory_path() /
                     (std::string(stem) + std::to_string(getpid()) + "-" + std::to_string(rng()));
        std::error_code ec;
        if (fs::create_directories(p, ec)) return p;
    }
}
}  // namespace

void isolate_config_dir() {
    static fs::path dir = unique_temp("tn-config-");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
}

TempDir::TempDir() : dir_(unique_temp("tn-test-")) {}
TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
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
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string data_path(const std::string& relative) {
    return std::string(TN_TEST_DATA_DIR) + "/" + relative;
}

}  // namespace tn_test
