#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "tests/extract/ExtractFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

class RealFilesSources : public ExtractFixture {
  protected:
    Run sourcesCompare(const std::string& arguments) {
        return shell("python3 " + quoted(QUELVANE_SOURCES_COMPARE) + " " + arguments);
    }
    Run extractTo(const fs::path& saveFile, const fs::path& out) {
        return cli("extract " + quoted(saveFile) + " --to " + quoted(out) + " --quiet --ebcdic 37 --pc 1252");
    }
};

// Every real save that holds source: each file's lines as `show` lists the member. A member the
// project lacks must be named as not written.
TEST_F(RealFilesSources, EveryMemberMatchesTheRecordsView) {
    if (!fs::exists(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "real save files not present";
    }
    int withSource = 0;
    for (const auto& entry : fs::directory_iterator(QUELVANE_SAVF_DIR)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name == "MANIFEST.tsv" || name == "README.md") {
            continue;
        }
        const fs::path project = folder_ / (name + ".project");
        Run run =
            cli("sources " + quoted(entry.path()) + " --to " + quoted(project) + " --ebcdic 37 --pc 1252");
        if (!fs::exists(project / ".quelvane" / "members.json")) {
            continue;
        }
        const std::string manifest = slurp(project / ".quelvane" / "members.json");
        if (manifest.find("\"member\":") == std::string::npos) {
            continue;
        }
        ++withSource;
        const fs::path extraction = folder_ / (name + ".extract");
        extractTo(entry.path(), extraction);
        Run compared = sourcesCompare("lines " + quoted(QUELVANE_CLI_PATH) + " " + quoted(entry.path()) +
                                      " " + quoted(project) + " " + quoted(extraction));
        EXPECT_EQ(compared.status, 0) << name << "\n" << compared.out << compared.err << run.err;
        fs::remove_all(project);
        fs::remove_all(extraction);
    }
    EXPECT_GE(withSource, 8);
}

// Two saves of one library three months apart: two commits, and the second names exactly the
// members an extraction of each save shows added, removed or changed.
TEST_F(RealFilesSources, GitDiffListsTheMembersThatChangedBetweenTwoSaves) {
    const fs::path older = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-02-08_617fe9.savf";
    const fs::path newer = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-05-06_51507f.savf";
    if (!fs::exists(older) || !fs::exists(newer)) {
        GTEST_SKIP() << "real save files not present";
    }
    const fs::path repo = folder_ / "R";
    Run run = cli("sources --git " + quoted(older) + " " + quoted(newer) + " --to " + quoted(repo) +
                  " --ebcdic 37 --pc 1252");
    EXPECT_NE(run.status, 1) << run.err;
    EXPECT_EQ(shell("git -C " + quoted(repo) + " rev-list --count HEAD").out, "2\n");
    extractTo(older, folder_ / "old");
    extractTo(newer, folder_ / "new");
    Run compared = sourcesCompare("changes " + quoted(folder_ / "old") + " " + quoted(folder_ / "new") + " " +
                                  quoted(repo));
    EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
    const std::string stat = shell("git -C " + quoted(repo) + " diff HEAD~1 --stat").out;
    EXPECT_NE(stat.find("files changed"), std::string::npos) << stat;
}

}  // namespace
}  // namespace quelvane::test
