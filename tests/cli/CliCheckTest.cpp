#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include <sys/wait.h>
#include <unistd.h>

#include "savefile/MemoryBlockSource.h"
#include "savefile/RecordCheck.h"
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
    // Block 2 carries its check, so it is whole to its end (1584); block 3 carries its number one
    // byte late, at 2097.
    damaged.insert(damaged.begin() + 3 * 528 + 40, 0x77);

    std::string cleanPath = write(clean, "CLEAN.SAVF");
    CliRun result = run("check '" + cleanPath + "'");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, cleanPath + "\nClean: " + blocks +
                              " blocks of 528 bytes, both block counts agree, every sequence "
                              "number in place\nEvery one of " +
                              blocks +
                              " records is intact: each carries its sequence number and the check of its own "
                              "bytes\n");
    EXPECT_EQ(result.err, "");

    std::string damagedPath = write(damaged, "DAMAGED.SAVF");
    result = run("check '" + damagedPath + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\nDamaged:\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("1 byte inserted within offsets 1584-2096 (block 3)"), std::string::npos)
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
        // Changed after the records were sealed, the record check names the record first.
        const std::int64_t spoilt = last.dataOffset / 512;
        result = run("check '" + write(compressed, "CHANGED.SAVF") + "'");
        EXPECT_EQ(result.status, 1) << result.out;
        EXPECT_NE(result.out.find("Record " + std::to_string(spoilt) + " (offset " +
                                  std::to_string(spoilt * 528) + "): bytes changed inside the record"),
                  std::string::npos)
            << result.out;
        // Sealed again, as a system that wrote bad coded data would have: only the expansion
        // can tell.
        const RecordCheck check = RecordCheck::forBlock0(compressed);
        for (std::int64_t block = spoilt; block <= (last.dataOffset + 7) / 512; ++block) {
            check.seal(std::span<std::uint8_t, 528>(compressed.data() + block * 528, 528));
        }
        result = run("check '" + write(compressed, "SPOILT.SAVF") + "'");
        EXPECT_EQ(result.status, 1) << result.out << result.err;
        EXPECT_NE(result.out.find("\nDamaged:\n  Coded data that does not expand: segment ORDERS    M1: "),
                  std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("\n  The block grid is in order: "), std::string::npos) << result.out;
    }
}

// The last LZ1 chunk of this save runs into the stream's last 16 bytes: the last body holds the
// save's closing value there, and block 0 keeps the chunk's own bytes. Read so, it expands whole.
TEST_F(CliCheck, RealSaveFileWhoseLastChunkEndsInTheKeptBytes) {
    const fs::path kept = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-02-08_617fe9.savf";
    const fs::path whole = fs::path(QUELVANE_SAVF_DIR) / "ISPH_ISPHERE_2015-05-06_51507f.savf";
    QUELVANE_REQUIRE_REAL_FILE(kept);
    QUELVANE_REQUIRE_REAL_FILE(whole);
    CliRun result = run("check '" + kept.string() + "'");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("\nEvery one of 3540 records is intact"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Coded data"), std::string::npos) << result.out;
    result = run("check '" + whole.string() + "'");
    EXPECT_EQ(result.status, 0) << result.out;
}

// Bytes changed inside records, records out of sequence, a file cut short: each named by record
// and offset; what is left intact is counted.
TEST_F(CliCheck, RecordsThatAreNotIntact) {
    SaveFileBuilder builder;
    builder.add(BuiltPart{});
    const std::vector<std::uint8_t> clean = builder.build().bytes();
    const std::size_t records = clean.size() / 528;
    ASSERT_GE(records, 6u);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::vector<std::string> found;
    };
    std::vector<std::uint8_t> changed = clean;
    changed[2 * 528 + 100] ^= 0x40;
    changed[3 * 528 + 7] ^= 0x01;
    std::vector<std::uint8_t> swapped = clean;
    std::swap_ranges(swapped.begin() + 4 * 528, swapped.begin() + 5 * 528, swapped.begin() + 5 * 528);
    std::vector<std::uint8_t> cut(clean.begin(), clean.end() - 528 - 100);
    const std::string total = std::to_string(records);
    const Case cases[] = {
        {"changed",
         changed,
         {"  Records 2-3 (from offset 1056): bytes changed inside the records",
          "  Records intact: " + std::to_string(records - 2) + " of " + total}},
        {"swapped", swapped, {"  Records 4-5 (from offset 2112): out of sequence"}},
        {"cut",
         cut,
         {"  The file ends early: its last whole record is record " + std::to_string(records - 3) +
          " (offset " + std::to_string((records - 3) * 528) + ") of the " + total + " the header counts"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CliRun result = run("check '" + write(c.bytes, std::string(c.what) + ".savf") + "'");
        EXPECT_EQ(result.status, 1) << result.out;
        for (const std::string& line : c.found) {
            EXPECT_NE(result.out.find("\n" + line + "\n"), std::string::npos) << result.out;
        }
    }
}

// One JSON object: the verdict, the counts, each run of records that is not intact, the lines.
TEST_F(CliCheck, JsonReport) {
    SaveFileBuilder builder;
    builder.add(BuiltPart{});
    std::vector<std::uint8_t> bytes = builder.build().bytes();
    bytes[2 * 528 + 100] ^= 0x40;
    const std::string path = write(bytes, "CHANGED.SAVF");
    CliRun result = run("check --json '" + path + "'");
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("\"verdict\": \"damaged\""), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"records\": " + std::to_string(bytes.size() / 528)), std::string::npos);
    EXPECT_NE(result.out.find("\"first\": 2,\n      \"last\": 2,\n      \"offset\": 1056,\n      \"fault\": "
                              "\"changed\""),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\"lines\": ["), std::string::npos);
    EXPECT_EQ(result.out.back(), '\n');
}

// Every record intact, but the segment chain leads past the end of the file: the records are
// what the system wrote, and the catalog that cannot be read whole is said apart from them.
TEST_F(CliCheck, IntactRecordsButTheCatalogIsNotReadWhole) {
    SaveFileBuilder builder;
    builder.add(BuiltPart{});
    SaveFileImage image = builder.build();
    std::vector<std::uint8_t> bytes = image.bytes();
    const std::int64_t header = image.layout.segments.front().headerBlock;
    SaveFileBuilder::putU32(bytes, static_cast<std::size_t>(header * 528 + 204), 0x00FFFFFF);
    SaveFileBuilder::sealRecords(bytes);
    CliRun result = run("check '" + write(bytes, "LONG.SAVF") + "'");
    EXPECT_EQ(result.status, 3) << result.out;
    EXPECT_NE(
        result.out.find("\nThe records are intact, but the catalog cannot be read whole: stopped at block "),
        std::string::npos)
        << result.out;
}

}  // namespace
}  // namespace quelvane::test
