// Jobs started from the Tools menu of the real program on the example,
// where they fail: the log says what failed and names the file it
// concerns, and a compiled library opens although the compile reported an
// error while writing it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/program_harness.h"

namespace {

using namespace program_test;
namespace fs = std::filesystem;

// The job's error box, closed with its OK button.
void close_error_box(Program& program) {
    const std::string box = program.WaitWindow("Error");
    ASSERT_FALSE(box.empty()) << program.LogText();
    keys(box, "Return");
    ASSERT_TRUE(wait_until([&] { return !program.HasWindow("Error"); }));
}

TEST_F(ProgramTest, FailingJobsNameWhatFailedAndACompiledLibraryOpensAfterAnError) {
    const std::string root = example_sheet();
    fs::remove(dir.file("amplifier.sch"));
    // A library whose part names another part's body that the library lacks.
    tn_test::write_text(dir.file("root.slb"),
                        "(LIB 'u' (PARTS (LPART (PART (NORMAL (NORMALVECTOROF 'gone' ) ) )"
                        " (ALIAS (NAME 'P' ) ) ) ) )\n");
    write_ini({"DIR_PROJECT=" + dir.path().string(), "BAK_FILE=False"});
    Program program(config_dir);
    program.Start({root}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());

    execute_tool(program, frame, "e", "Tessaron: ERC");
    EXPECT_TRUE(program.WaitLog("*** ERROR *** : Sheet not found: amplifier.sch\n"))
        << program.LogText();
    close_error_box(program);

    execute_tool(program, frame, "l", "Tessaron: Compile Library");
    EXPECT_TRUE(program.WaitLog("*** ERROR *** : Indirect reference to a NULL Vector."))
        << program.LogText();
    close_error_box(program);
    const std::string written = "Library: root.clb";
    EXPECT_TRUE(program.WaitFor(
        [&](const std::vector<tn_test::Control>& all) -> std::optional<tn_test::Control> {
            for (const tn_test::Control& c : all)
                if (c.label.find(written) != std::string::npos) return c;
            return std::nullopt;
        },
        "a window of the library written"));
}

}  // namespace
