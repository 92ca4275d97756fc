#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "savefile/MemoryBlockSource.h"
#include "savefile/SegmentLayout.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/RealFiles.h"
#include "tests/support/SaveFileBuilder.h"
#include "tests/support/SaveFileCompressor.h"
#include "tests/support/TestFiles.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("quelvane-cli-check-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    CliRun run(const std::string& arguments) {
        fs::path out = folder_ / "stdout";
        fs::path err = folder_ / "stderr";
        std::string command = "'" + std::string(QUELVANE_CLI_PATH) + "' " + arguments + " >'" + out.string() +
                              "' 2>'" + err.string() + "'";
        int raw = std::system(command.c_str());
        CliRun result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = slurp(out);
        result.err = slurp(err);
        return result;
    }

    std::string write(const std::vector<std::uint8_t>& bytes, const std::string& name) {
        fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    fs::path folder_;
};

TEST_F(CliCheck, ReportAndExitStatus) {
    SaveFileBuilder builder;
    builder.add(BuiltPart{});
    std::vector<std::uint8_t> clean = builder.build().bytes();
    const std::string blocks = std::to_string(clean.size() / 528);
    std::vector<std::uint8_t> damaged = clean;
    // Block 2 is good up to its sequence number's end (1572); block 3 carries its number one byte
    // late, at 2097.
    damaged.insert(damaged.begin() + 3 * 528 + 40, 0x77);

    std::string cleanPath = write(clean, "CLEAN.SAVF");
    CliRun result = run("check '" + cleanPath + "'");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, cleanPath + "\nClean: " + blocks +
                              " blocks of 528 bytes, both block counts agree, every sequence "
                              "number in place\n");
    EXPECT_EQ(result.err, "");

    std::string damagedPath = write(damaged, "DAMAGED.SAVF");
    result = run("check '" + damagedPath + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\nDamaged:\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 byte inserted within offsets 1572-2096 (block 3)"), std::string::npos)
        << result.out;

    result = run("check '" + write(std::vector<std::uint8_t>(600, 'x'), "notes.txt") + "'");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("Not a save file"), std::string::npos);

    // A header of the oldest layout is read; one that fits neither layout is still too old.
    fs::path old = fs::path(QUELVANE_SAVF_DIR) / "JTT_joblogtest.savf";
    if (fs::exists(old)) {
        result = run("check '" + old.string() + "'");
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("Clean: 32 blocks"), std::string::npos);
    }
    std::vector<std::uint8_t> tooOld = clean;
    SaveFileBuilder::putU32(tooOld, 52, 0);
    SaveFileBuilder::putU32(tooOld, 60, 0);
    result = run("check '" + write(tooOld, "old.savf") + "'");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.out.find("Header too old"), std::string::npos);

    for (const std::string& arguments : std::vector<std::string>{
             "check", "check a b", "check --raw '" + cleanPath + "'",
             "check '" + (folder_ / "missing").string() + "'", "check '" + folder_.string() + "'"}) {
        result = run(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_EQ(result.out, "") << arguments;
        EXPECT_NE(result.err, "") << arguments;
    }
}

// A grid in order around coded data that does not expand: the check names the segment and calls
// the file damaged; the same file before the damage is clean.
TEST_F(CliCheck, CodedDataThatDoesNotExpandIsDamage) {
    BuiltPart part;
    part.library = "LIB";
    BuiltObject file;
    file.name = "ORDERS";
    file.attribute = "PF";
    file.fields = {{"F", 0x0403, 4, 0, 0}};
    file.members = {{"M1", "", "", 1}};
    part.objects = {file};
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    builder.add(part).add(
        ContentFixtures::memberRecords("ORDERS", "M1", 4, {{0x80, SaveFileBuilder::ebcdic("ONE", 4)}}));
    for (SaveFileCompressor::Coding coding :
         {SaveFileCompressor::Coding::RunLength, SaveFileCompressor::Coding::Lz1Literals}) {
        SaveFileCompressor compressor;
        compressor.coding = coding;
        std::vector<std::uint8_t> compressed = compressor.compress(builder.build().bytes());
        CliRun result = run("check '" + write(compressed, "WHOLE.SAVF") + "'");
        EXPECT_EQ(result.status, 0) << result.out;
        EXPECT_NE(result.out.find("\nClean: "), std::string::npos) << result.out;

        MemoryBlockSource source(compressed);
        Cp037Converter converter;
        const SegmentPlacement last = SegmentLayout::scan(source, 4096, converter)->segments().back();
        ASSERT_EQ(last.name, "ORDERS    M1");
        for (std::int64_t body = last.dataOffset; body < last.dataOffset + 8; ++body) {
            compressed.at(static_cast<std::size_t>(body / 512 * 528 + body % 512)) = 0;
        }
        result = run("check '" + write(compressed, "SPOILT.SAVF") + "'");
        EXPECT_EQ(result.status, 1) << result.out << result.err;
        EXPECT_NE(result.out.find("\nDamaged:\n  Coded data that does not expand: segment ORDERS    M1: "),
                  std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("\n  The block grid is in order: "), std::string::npos) << result.out;
    }
}

// The one real file whose last LZ1 chunk expands short: its code stream runs into the last 16
// bytes of the file's last block body, which hold the save's closing value instead of the code.
TEST_F(CliCheck, RealSaveFileWithAChunkThatExpandsShort) {
    const fs::path shortChunk = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-02-08_617fe9.savf";
    const fs::path whole = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-05-06_51507f.savf";
    QUELVANE_REQUIRE_REAL_FILE(shortChunk);
    QUELVANE_REQUIRE_REAL_FILE(whole);
    CliRun result = run("check '" + shortChunk.string() + "'");
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("Coded data that does not expand: segment XFNDSTRS  XFNDSTRS: LZ1 data cannot "
                              "be expanded"),
              std::string::npos)
        << result.out;
    result = run("check '" + whole.string() + "'");
    EXPECT_EQ(result.status, 0) << result.out;
}

}  // namespace
}  // namespace quelvane::test
