#include <gtest/gtest.h>

#include "shell/QuelvaneApplication.h"

// The windows need one application object for the whole run, created before any test. The tests
// run headless also when the build lists them, which happens outside CTest's environment.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    quelvane::QuelvaneApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
