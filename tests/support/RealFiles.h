#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

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

namespace quelvane::test {

// The save files of `folder` in name order, its notes (MANIFEST.tsv, README.md) left out; none
// when the folder cannot be read.
inline std::vector<std::filesystem::path> realSaveFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".md" && ext != ".tsv") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace quelvane::test
