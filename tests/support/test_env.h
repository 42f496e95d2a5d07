#pragma once
// Helpers shared by the test programs.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tn_test {

// Points XDG_CONFIG_HOME at a fresh temporary directory.
void isolate_config_dir();

// A fresh empty directory under the system's temporary directory, removed
// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir_; }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

std::vector<unsigned char> read_bytes(const std::string& path);
std::string read_text(const std::string& path);
void write_bytes(const std::string& path, const std::vector<unsigned char>& bytes);
void write_text(const std::string& path, const std::string& text);
// Path of a file under tests/data.
std::string data_path(const std::string& relative);

}  // namespace tn_test
