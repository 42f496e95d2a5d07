// The start-up options of the real program: "-conf" naming a settings file
// of the user's own, and "-debug", whose output is for what went wrong.
#include <gtest/gtest.h>

#include <string>

#include "shell/program_harness.h"

namespace {

using namespace program_test;

// A settings file written without the project folder is the user's all the
// same: its settings are in force, and the run leaves them as they were.
TEST_F(ProgramTest, ASettingsFileNamedWithoutTheProjectFolderIsReadAndKept) {
    const std::string mine = dir.file("mine.ini");
    const std::string settings =
        "[TESSARON]\nTIPS_SHOW=False\nSHOW_PART_PALETTE=True\nGRID_SIZE=250\n";
    tn_test::write_text(mine, settings);
    Program program(config_dir);
    program.Start({"-conf", mine, example_sheet()}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    EXPECT_TRUE(program.WaitPane("Parts")) << "the palette the settings show is closed";
    ASSERT_TRUE(exit_program(program, frame));
    const std::string after = tn_test::read_text(mine);
    for (const char* line :
         {"\nTIPS_SHOW=False\n", "\nSHOW_PART_PALETTE=True\n", "\nGRID_SIZE=250\n"})
        EXPECT_NE(after.find(line), std::string::npos) << after;
}

// The debug output names no property number without a value, however
// often the drawing asks for fonts.
TEST_F(ProgramTest, TheDebugOutputAsksForNoPropertyWithoutAValue) {
    Program program(config_dir);
    program.Start({"-debug", example_sheet()}, dir.path().string());
    const std::string frame = wait_started(program);
    ASSERT_FALSE(frame.empty());
    ASSERT_TRUE(settled_screenshot(frame, dir.file("drawn.png")));
    ASSERT_TRUE(exit_program(program, frame));
    EXPECT_EQ(program.Stderr().find("unknow"), std::string::npos) << program.Stderr();
}

}  // namespace
