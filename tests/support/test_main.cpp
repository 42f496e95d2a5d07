// Shared test entry: every test program starts from a private configuration
// directory so that no test reads or writes the user's own settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/test_env.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::GTEST_FLAG(death_test_style) = "threadsafe";
    tn_test::isolate_config_dir();
    return RUN_ALL_TESTS();
}
