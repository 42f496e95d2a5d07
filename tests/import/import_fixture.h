#pragma once
// What the import tests share: configuration at its defaults with the
// project and library directories in a fresh temporary directory, the job's
// log captured, a native library of named parts, and the ASCII source of a
// converted schema with its running stamps made stable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/sdt_files.h"
#include "support/test_env.h"

struct ForeignFile;
struct Schema;

namespace sdt_test {

struct LibPart {
    std::string name;
    int width = 3000, height = 2000;
    int devices = 1;
    std::string prefix = "U";
};

// The log of the running test.
extern std::string logged;
void capture(const char* format, ...);

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string file(const std::string& name) const { return dir.file(name); }
    void write(const std::string& name, const Bytes& bytes) const;
    // Writes "<name>.clb" in the library directory.
    void write_library(const std::string& name, const std::vector<LibPart>& parts) const;
    // The bytes read as a foreign file of the format they hold (the test
    // fails when they do not read).
    ForeignFile* load(const Bytes& bytes, const std::string& name = "in.sch");
    // The source form of the schema; running stamps (of sheet symbols, and
    // of parts when asked) counted from the smallest.
    static std::string source_of(Schema* schema, bool part_stamps = false);

    tn_test::TempDir dir;
    std::vector<ForeignFile*> files;
};

}  // namespace sdt_test
