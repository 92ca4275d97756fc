#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/extract/ExtractFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using RealFilesExtract = ExtractFixture;

// Every member of four real save files, two of them saved with compression, extracted, read back and compared
// with what `show` lists. The member counts were taken from the tree by hand; the source texts are those the
// library's authors publish beside the save file (QCLSRC/ADDGBSTUB.clp and QDDSSRC/AWARDDB.pf of their
// repository), which the extracted members match byte for byte.
TEST_F(RealFilesExtract, EveryMemberMatchesTheRecordsView) {
    struct Case {
        const char* file;
        const char* summary;
    };
    const Case cases[] = {
        {"VCF_VCFV1R0.SAVF", "51 members compared, 0 differences"},
        {"JTT_ddmtestsav.savf", "15 members compared, 0 differences"},
        {"CSCH@009.SAVF", "53 members compared, 0 differences"},
        {"GURI_demodb.savf", "5 members compared, 0 differences"},
    };
    for (const Case& c : cases) {
        const fs::path saveFile = fs::path(QUELVANE_SAVF_DIR) / c.file;
        if (!fs::exists(saveFile)) {
            GTEST_SKIP() << "real save files not present";
        }
        const fs::path out = folder_ / c.file;
        const fs::path db = folder_ / (std::string(c.file) + ".db");
        Run run = cli("extract " + quoted(saveFile) + " --to " + quoted(out) + " --sqlite " + quoted(db) +
                      " --ebcdic 37 --pc 1252");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        Run compared = compare(saveFile, out, db);
        EXPECT_EQ(compared.status, 0) << compared.out << compared.err;
        EXPECT_NE(compared.out.find(c.summary), std::string::npos) << compared.out;
    }
    const fs::path vcf = folder_ / "VCF_VCFV1R0.SAVF" / "VCF";
    EXPECT_EQ(slurp(vcf / "QCLSRC" / "ADDGBSTUB.clp"),
              "\n"
              "             QSYS/PGM\n"
              "             QSYS/DCL   VAR(&PROFILE) TYPE(*CHAR) LEN(10)\n"
              "             QSYS/RTVJOBA CURUSER(&PROFILE)\n"
              "             QSYS/CALL  PGM(VCF/ADDGBCMT) PARM(&PROFILE)\n"
              "             QSYS/ENDPGM\n");
    EXPECT_EQ(slurp(vcf / "QDDSSRC" / "AWARDDB.pf"),
              "     A                                      UNIQUE\n"
              "     A          R AWARDRCD\n"
              "     A            AWARDID        3B 0\n"
              "     A            AWARDTITLE   100A\n"
              "     A            AWARDDESC   1000A\n"
              "     A          K AWARDID\n");
    EXPECT_EQ(slurp(vcf / "AWARDDB" / "AWARDDB.csv"),
              "AWARDID,AWARDTITLE,AWARDDESC\r\n1,BEST IN SHOW AWARD,WHO IS THE BEST IN SHOW?\r\n"
              "2,THE ED AWARD,THE MOST INFORMATIVE AWARD OF THE SHOW\r\n");

    // Saved with TERSE compression: the prefecture master holds Japan's 47 prefectures.
    const std::string prefectures =
        slurp(folder_ / "GURI_demodb.savf" / "DIST" / "PREFCODE" / "PREFCODE.csv");
    EXPECT_EQ(std::count(prefectures.begin(), prefectures.end(), '\n'), 48);
}

}  // namespace
}  // namespace quelvane::test
