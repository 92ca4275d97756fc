#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

// The real save files live at QUELVANE_SAVF_DIR. Where they are missing a case skips, except on
// a CI machine (CI=true), where it fails, so a green CI run cannot hide the real-file cases.
inline bool quelvaneOnCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}

#define QUELVANE_REQUIRE_REAL_FILE(path)                                                    \
    if (!std::filesystem::exists(path)) {                                                   \
        if (quelvaneOnCi()) {                                                               \
            FAIL() << (path) << " is missing (real save files are expected under CI=true)"; \
        }                                                                                   \
        GTEST_SKIP() << (path) << " is not here";                                           \
    }
