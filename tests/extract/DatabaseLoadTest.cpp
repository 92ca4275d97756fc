#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/extract/ExtractFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

// What load_into_databases.py exits with when PostgreSQL is not installed.
constexpr int kNoPostgresql = 77;

using DatabaseLoad = ExtractFixture;

// schema.sql and the CSV files of real saves (Japanese text in mixed and single-byte CCSIDs,
// zoned and packed decimals, timestamps, long names, names that need quotes, defaults) loaded
// into a PostgreSQL cluster of the test's own and into SQLite, compared with the records view.
TEST_F(DatabaseLoad, RealExtractionsLoadIntoPostgresqlAndSqlite) {
    const std::vector<std::string> saves = {"GURI_demodb.savf", "JTT_ddmtestsav.savf", "CSCH@009.SAVF",
                                            "JTT_rmlib.savf",   "VCF_VCFV1R0.SAVF",    "OSSX_hats.savf"};
    std::string arguments;
    for (const std::string& save : saves) {
        const fs::path path = fs::path(QUELVANE_SAVF_DIR) / save;
        QUELVANE_REQUIRE_REAL_FILE(path);
        arguments += " " + quoted(path.string());
    }
    const Run run = shell("python3 " + quoted(QUELVANE_DATABASE_LOAD) + " " + quoted(QUELVANE_CLI_PATH) +
                          " " + quoted(QUELVANE_DATABASE_WORK) + arguments);
    if (run.status == kNoPostgresql) {
        GTEST_SKIP() << run.out;
    }
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find(std::to_string(saves.size()) + " saves loaded, 0 differences"), std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace quelvane::test
