// The toolkit's start is told to leave the display's OpenGL alone only
// while it starts: a choice the user made stays, and no program started
// afterwards inherits ours.
#include "toolkit/toolkit_start.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(GlSkippedScope, AsksForNoGlWhileItLivesAndKeepsTheUsersChoice) {
    const char* before = std::getenv("GDK_GL");
    const std::string saved = before ? before : "";
    ::unsetenv("GDK_GL");
    {
        GlSkippedScope scope;
        ASSERT_NE(std::getenv("GDK_GL"), nullptr);
        EXPECT_STREQ(std::getenv("GDK_GL"), "disable");
    }
    EXPECT_EQ(std::getenv("GDK_GL"), nullptr);

    ::setenv("GDK_GL", "always", 1);
    {
        GlSkippedScope scope;
        EXPECT_STREQ(std::getenv("GDK_GL"), "always");
    }
    EXPECT_STREQ(std::getenv("GDK_GL"), "always");

    if (before)
        ::setenv("GDK_GL", saved.c_str(), 1);
    else
        ::unsetenv("GDK_GL");
}

}  // namespace
