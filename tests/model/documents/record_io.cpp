#include "model/documents/record_io.h"

#include <gtest/gtest.h>

#include "model/documents/compil.h"
#include "model/documents/compil_recorder.h"
#include "support/test_env.h"

namespace record_io {

Bytes golden(const std::string& name) {
    return tn_test::read_bytes(tn_test::data_path("model/documents/" + name));
}

void expect_golden(const std::string& name, const Bytes& actual) {
    tn_test::expect_golden("model/documents/" + name, actual);
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
