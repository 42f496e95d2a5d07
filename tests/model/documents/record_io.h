#pragma once
// Streams, golden files and damaged-input sweeps shared by the tests of the
// sheet records.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace record_io {

using Bytes = std::vector<unsigned char>;

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<FILE, FileCloser>;

// A temporary file holding the bytes, positioned at its start.
StreamPtr stream_of(const Bytes& bytes);
// What `write` puts on a fresh temporary stream.
Bytes bytes_written(const std::function<void(FILE*)>& write);
std::string text_written(const std::function<void(FILE*)>& write);
// The bytes after the stream's position.
Bytes rest_of(FILE* stream);

// Golden files under tests/data/model/documents. With TN_UPDATE_GOLDEN=1 in
// the environment the file is (re)written from `actual` instead of
// compared; review the diff of the data folder before committing it.
void expect_golden(const std::string& name, const Bytes& actual);
inline void expect_golden(const std::string& name, const std::string& actual) {
    expect_golden(name, Bytes(actual.begin(), actual.end()));
}
Bytes golden(const std::string& name);

// Runs `read` on every proper prefix of the bytes (each on its own stream)
// and expects -1 from each.
void expect_prefixes_short(const Bytes& bytes, const std::function<int(FILE*)>& read);

// Compiles a schematic source text with the recording builder; 0 when the
// grammar accepts it.
int compile_schematic(const std::string& source);

}  // namespace record_io
