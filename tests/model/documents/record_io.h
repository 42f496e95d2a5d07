#pragma once
// Streams, golden files and damaged-input sweeps shared by the tests of the
// sheet records.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/test_env.h"

namespace record_io {

using Bytes = std::vector<unsigned char>;

using tn_test::bytes_written;
using tn_test::rest_of;
using tn_test::stream_of;
using tn_test::StreamPtr;
using tn_test::text_written;

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
