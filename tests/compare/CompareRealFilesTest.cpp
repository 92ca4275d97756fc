#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/extract/ExtractFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class CompareRealFiles : public ExtractFixture {};

TEST_F(CompareRealFiles, EverySaveHoldsTheSameAsItself) {
    const fs::path dir = QUELVANE_SAVF_DIR;
    QUELVANE_REQUIRE_REAL_FILE(dir);
    int compared = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name == "MANIFEST.tsv" || name == "README.md") {
            continue;
        }
        SCOPED_TRACE(name);
        const std::string path = quoted(entry.path().string());
        const Run run = cli("compare " + path + " " + path);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "The saves hold the same");
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

// The two saves of library ISPHERE three months apart, held against extract, tree and diff(1).
TEST_F(CompareRealFiles, IsphereSavesAgreeWithDiffOfTheirExtractions) {
    const fs::path dir = QUELVANE_SAVF_DIR;
    const fs::path before = dir / "ISPH_ISPHERE_2015-02-08_617fe9.savf";
    const fs::path after = dir / "ISPH_ISPHERE_2015-05-06_51507f.savf";
    QUELVANE_REQUIRE_REAL_FILE(before);
    QUELVANE_REQUIRE_REAL_FILE(after);
    const Run check =
        shell("python3 " + quoted(QUELVANE_COMPARE_CHECK) + " " + quoted(QUELVANE_CLI_PATH) + " " +
              quoted(before.string()) + " " + quoted(after.string()) + " " + quoted(folder_.string()));
    EXPECT_EQ(check.status, 0) << check.out << check.err;
}

// An integrated-file-system save against a library save: different kinds of thing.
TEST_F(CompareRealFiles, IfsSaveAgainstLibrarySaveSaysTheyDiffer) {
    const fs::path dir = QUELVANE_SAVF_DIR;
    const fs::path ifs = dir / "UZ_wcount25i.savf";
    const fs::path library = dir / "UZ_htp_510.savf";
    QUELVANE_REQUIRE_REAL_FILE(ifs);
    QUELVANE_REQUIRE_REAL_FILE(library);
    const Run run = cli("compare " + quoted(library.string()) + " " + quoted(ifs.string()));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              "The saves hold different kinds of thing: one a library, the other the integrated file system");
}

}  // namespace
}  // namespace quelvane::test
