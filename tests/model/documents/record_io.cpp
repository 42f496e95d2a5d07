#include "model/documents/record_io.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "model/documents/compil.h"
#include "model/documents/compil_recorder.h"
#include "support/test_env.h"

namespace record_io {

StreamPtr stream_of(const Bytes& bytes) {
    StreamPtr stream(std::tmpfile());
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), stream.get());
    std::rewind(stream.get());
    return stream;
}

Bytes rest_of(FILE* stream) {
    Bytes rest;
    for (int c; (c = std::fgetc(stream)) != EOF;) rest.push_back(static_cast<unsigned char>(c));
    return rest;
}

Bytes bytes_written(const std::function<void(FILE*)>& write) {
    StreamPtr stream(std::tmpfile());
    write(stream.get());
    std::rewind(stream.get());
    return rest_of(stream.get());
}

std::string text_written(const std::function<void(FILE*)>& write) {
    Bytes bytes = bytes_written(write);
    return {bytes.begin(), bytes.end()};
}

Bytes golden(const std::string& name) {
    return tn_test::read_bytes(tn_test::data_path("model/documents/" + name));
}

void expect_golden(const std::string& name, const Bytes& actual) {
    std::string path = tn_test::data_path("model/documents/" + name);
    const char* update = std::getenv("TN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        tn_test::write_bytes(path, actual);
        return;
    }
    Bytes expected = tn_test::read_bytes(path);
    EXPECT_EQ(std::string(expected.begin(), expected.end()),
              std::string(actual.begin(), actual.end()))
        << "golden file " << path;
}

void expect_prefixes_short(const Bytes& bytes, const std::function<int(FILE*)>& read) {
    for (size_t n = 1; n < bytes.size(); ++n) {
        StreamPtr stream = stream_of(Bytes(bytes.begin(), bytes.begin() + n));
        EXPECT_EQ(read(stream.get()), -1) << "prefix of " << n << " bytes";
    }
}

namespace {
void ignore_report(const char*, ...) {}
}  // namespace

int compile_schematic(const std::string& source) {
    CompilRecorder recorder;
    return compil_string(source, COMPIL_SCHEMATIC, recorder, ignore_report);
}

}  // namespace record_io
