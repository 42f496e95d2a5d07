#pragma once
// The program on a copy of the shipped example project (root sheet,
// amplifier sub-sheet and library), with a configuration of its own: the
// project folder set, no backups, and the part fields named (Reference,
// Value, Footprint).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/program_driver.h"
#include "support/test_env.h"

namespace example_project {

class ExampleProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tn_test::program_tools_installed());
        ASSERT_FALSE(tn_test::private_display().empty()) << "no private X display (Xvfb)";
        project = dir.path() / "project";
        config = dir.path() / "config";
        std::filesystem::create_directories(project);
        std::filesystem::create_directories(config / "tessaron");
        for (const char* file : {"root.sch", "amplifier.sch", "parts.clb"})
            std::filesystem::copy_file(std::filesystem::path(TN_EXAMPLES_DIR) / file,
                                       project / file);
        tn_test::write_text((config / "tessaron" / "Quib.ini").string(),
                            "[TESSARON]\nDIR_PROJECT=" + project.string() +
                                "\nBAK_FILE=False\nNB_FIELD_NAME=3\nFIELD_NAME_0=Reference\n"
                                "FIELD_NAME_1=Value\nFIELD_NAME_2=Footprint\n");
    }

    std::string file(const std::string& name) const { return (project / name).string(); }

    // The program on a sheet of the project (the root sheet unless named).
    void start(tn_test::Program& program, const std::string& sheet = "root.sch") {
        program.Start({file(sheet)}, project.string());
        ASSERT_FALSE(program.WaitWindow("Tessaron Schematic Editor").empty());
        ASSERT_TRUE(program.WaitTopLevel("Tessaron Schematic Editor"));
    }

    tn_test::TempDir dir;
    std::filesystem::path project, config;
};

}  // namespace example_project
