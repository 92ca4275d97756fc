#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "describe/ClStatement.h"
#include "tests/extract/ExtractFixture.h"
#include "tests/support/RealFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

using RealFilesDescribeExtract = ExtractFixture;

// extract writes each command's rebuilt source and each message file's ADDMSGD statements, the
// same lines describe prints, and catalog.json carries the descriptions; the written command
// source read back through the statement reader gives the same lines again.
TEST_F(RealFilesDescribeExtract, CommandsAndMessageFilesGoOutDescribed) {
    const fs::path zlib = fs::path(QUELVANE_SAVF_DIR) / "UZ_zlib123.savf";
    const fs::path vcf = fs::path(QUELVANE_SAVF_DIR) / "VCF_VCFV1R0.SAVF";
    QUELVANE_REQUIRE_REAL_FILE(zlib);
    QUELVANE_REQUIRE_REAL_FILE(vcf);
    const fs::path out = folder_ / "out";
    ASSERT_EQ(cli("extract " + quoted(zlib) + " " + quoted(vcf) + " --to " + quoted(out) + " --quiet").status,
              0);

    for (const char* name : {"ZIP", "UNZIP", "DSPZIP"}) {
        SCOPED_TRACE(name);
        std::vector<std::string> written =
            linesOf(slurp(out / "UZ_zlib123.savf" / "ZLIB" / (std::string(name) + ".cmd")));
        ASSERT_GT(written.size(), 2u);
        Run described = cli("describe " + quoted(zlib) + " " + quoted("0/" + std::string(name) + "(CMD)"));
        ASSERT_EQ(described.status, 0);
        std::vector<std::string> shown = linesOf(described.out);
        ASSERT_GE(shown.size(), written.size());
        EXPECT_EQ(
            std::vector<std::string>(shown.end() - static_cast<std::ptrdiff_t>(written.size()), shown.end()),
            written);
        std::vector<std::string> statements(written.begin() + 1, written.end());
        EXPECT_EQ(ClSourceText::format(ClSourceText::parse(written)), statements);
    }
    std::string catalog = slurp(out / "UZ_zlib123.savf" / "catalog.json");
    EXPECT_NE(catalog.find("\"path\": \"ZLIB/ZIP.cmd\""), std::string::npos);
    EXPECT_NE(catalog.find("\"keyword\": \"COMPLVL\""), std::string::npos);

    std::string messages = slurp(out / "VCF_VCFV1R0.SAVF" / "VCF" / "VCFMAIN.msgf.txt");
    EXPECT_NE(messages.find("ADDMSGD    MSGID(USR0080) MSGF(VCFMAIN) MSG('signoff')"), std::string::npos);
    std::string vcfCatalog = slurp(out / "VCF_VCFV1R0.SAVF" / "catalog.json");
    EXPECT_NE(vcfCatalog.find("\"id\": \"USR0013\""), std::string::npos);
    EXPECT_NE(vcfCatalog.find("\"text\": \"CALL VCF/READGBSTUB\""), std::string::npos);
}

// describe --json gives the keys of what the object has and none of what it has not.
TEST_F(RealFilesDescribeExtract, DescribeJsonKeys) {
    const fs::path hats = fs::path(QUELVANE_SAVF_DIR) / "OSSX_hats.savf";
    QUELVANE_REQUIRE_REAL_FILE(hats);
    Run run = cli("describe " + quoted(hats) + " '0/PRODUCT(PGM)' --json");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* key :
         {"\"object\"", "\"program\"", "\"kind\": \"ILE\"", "\"modules\"", "\"compiler\": \"5770WDS\"",
          "\"release\": \"V7R1M0\"", "\"created\": \"2016-04-13 23:24:57\"", "\"serviceProgramsBound\""}) {
        EXPECT_NE(run.out.find(key), std::string::npos) << key;
    }
    for (const char* key :
         {"\"command\"", "\"messages\"", "\"sourceFile\"", "\"sourceChanged\"", "\"error\""}) {
        EXPECT_EQ(run.out.find(key), std::string::npos) << key;
    }
    Run notObject = cli("describe " + quoted(hats) + " 0");
    EXPECT_EQ(notObject.status, 1);
}

}  // namespace
}  // namespace quelvane::test
