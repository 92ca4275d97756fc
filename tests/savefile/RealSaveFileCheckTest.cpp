#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "savefile/FileBlockSource.h"
#include "savefile/RepairedBlockSource.h"
#include "savefile/SaveFileCheck.h"
#include "savefile/SaveFileReader.h"
#include "savefile/VersionSummary.h"
#include "tests/savefile/ReaderFixture.h"
#include "views/MemoryContentList.h"
#include "views/OpenedSave.h"
#include "views/ViewSession.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kBlock = 528;

fs::path savfDirectory() {
    return fs::path(QUELVANE_SAVF_DIR);
}

#define SKIP_WITHOUT_SAVF()                                            \
    if (!fs::is_directory(savfDirectory())) {                          \
        GTEST_SKIP() << "no real save files in " << QUELVANE_SAVF_DIR; \
    }

SaveFileCheckReport checkReal(const std::string& name) {
    FileBlockSource source((savfDirectory() / name).string());
    return SaveFileCheck::examine(source);
}

std::uint32_t sequenceAt(BlockSource& source, std::int64_t block) {
    std::array<std::uint8_t, 4> bytes{};
    source.readAt(block * kBlock + 512, bytes.data(), 4);
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

// Compressed files included: compression changes what the blocks hold, not the blocks.
TEST(RealSaveFileCheck, EveryIntactFileIsClean) {
    SKIP_WITHOUT_SAVF();
    // The files the folder's MANIFEST.tsv lists, one a line after its heading, name first.
    std::ifstream manifest(savfDirectory() / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    int checked = 0;
    while (std::getline(manifest, line)) {
        std::string name = line.substr(0, line.find('\t'));
        if (name.empty() || name == "P4_EKO.SAVF") {
            continue;
        }
        SCOPED_TRACE(name);
        SaveFileCheckReport report = checkReal(name);
        EXPECT_EQ(report.verdict, SaveFileVerdict::Clean);
        EXPECT_EQ(report.blocksExamined, report.size / kBlock);
        EXPECT_EQ(report.recordsChecked, report.size / kBlock);
        EXPECT_EQ(report.recordsIntact, report.recordsChecked);
        EXPECT_TRUE(report.faultRuns.empty());
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

// Block 0 of these early saves holds the block count at 8, 11 00 11 00 at 12 and a short system
// text, and zeros where later saves keep the header size (52) and the second block count (60):
// the oldest layout, whose one count is checked alone.
TEST(RealSaveFileCheck, OldestLayoutHeaderIsClean) {
    SKIP_WITHOUT_SAVF();
    for (auto [name, blocks] :
         {std::pair{"JTT_joblogtest.savf", 32u}, std::pair{"SKS_traceroute.savf", 813u}}) {
        SCOPED_TRACE(name);
        SaveFileCheckReport report = checkReal(name);
        EXPECT_EQ(report.verdict, SaveFileVerdict::Clean);
        EXPECT_TRUE(report.oldestLayout);
        EXPECT_EQ(report.blockCount, blocks);
        EXPECT_EQ(report.blockCountCopy, 0u);
        EXPECT_EQ(report.headerSize, 0u);
        EXPECT_TRUE(report.findings().empty());
    }
}

// Checked by hand: 109 825 bytes, 208 blocks and one byte. Block 88 is all zeros and its
// trailer is right, so the file is intact up to 46 992; block 89 holds text and carries its
// sequence number 90 at 47 505, one byte late. The stray byte is one of 46 992-47 504.
TEST(RealSaveFileCheck, OneByteInsertedInTheEkoSave) {
    SKIP_WITHOUT_SAVF();
    SaveFileCheckReport report = checkReal("P4_EKO.SAVF");
    EXPECT_EQ(report.verdict, SaveFileVerdict::Damaged);
    ASSERT_EQ(report.shifts.size(), 1u);
    const GridShift& shift = report.shifts[0];
    EXPECT_EQ(shift.bytes, 1);
    EXPECT_EQ(shift.breakBlock, 89);
    EXPECT_EQ(shift.resumeBlock, 89);
    EXPECT_EQ(shift.resumeOffset, 46993);
    EXPECT_EQ(shift.from, 46992);
    EXPECT_EQ(shift.to, 47504);
    EXPECT_FALSE(shift.lineEnd);
    EXPECT_EQ(report.sequenceStop, -1);
    EXPECT_EQ(report.findings(),
              (std::vector<std::string>{
                  "Size 109825 bytes is not a whole number of 528-byte blocks: 208 blocks and 1 "
                  "byte over (527 short of 209)",
                  "1 byte inserted within offsets 46992-47504 (block 89); sequence numbers run "
                  "again from block 89 at offset 46993"}));
    EXPECT_TRUE(report.repairable());
}

// Every record's own check: two records changed in place before the stray byte, record 89 changed
// as well as moved, and the 118 records after it intact one byte late.
TEST(RealSaveFileCheck, EkoSaveRecordsThatAreNotIntact) {
    SKIP_WITHOUT_SAVF();
    SaveFileCheckReport report = checkReal("P4_EKO.SAVF");
    EXPECT_EQ(report.recordsChecked, 208);
    EXPECT_EQ(report.recordsIntact, 205);
    EXPECT_EQ(report.lastWholeRecord, 207);
    EXPECT_EQ(report.recordFindings(),
              (std::vector<std::string>{"Records 24-25 (from offset 12672): bytes changed inside the records",
                                        "Record 89 (offset 46993): bytes changed inside the record",
                                        "Records 90-207 are intact on the grid shifted at record 89",
                                        "Records intact: 205 of 208, on the grid as the shifts leave it"}));
}

// Opened, the file is read on the repaired grid, and so are the views' reads: 208 whole blocks,
// every sequence number in place.
TEST(RealSaveFileCheck, EkoSaveIsReadPastTheDamage) {
    SKIP_WITHOUT_SAVF();
    ReaderFixture fixture;
    std::string path = (savfDirectory() / "P4_EKO.SAVF").string();
    fixture.catalog.segments.reset();
    fixture.catalog.path = path;
    SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
    ASSERT_TRUE(reader.parseSaveFile(path).accepted);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    const std::string note = "Read past damage: 1 byte inserted within offsets 46992-47504 (block 89)";
    EXPECT_EQ(fixture.catalog.header.damageNotes, std::vector<std::string>{note});
    std::vector<std::string> summary = saveSummaryLines(fixture.catalog.header);
    ASSERT_GE(summary.size(), 5u);
    EXPECT_EQ(summary[2], "-");
    EXPECT_EQ(summary[3], "Data: stored.");
    EXPECT_EQ(summary[4], note);

    // The only object, a program whose segment runs from block 32 to the end; its description
    // lies before the damage, so the catalog is the same on either grid.
    ASSERT_EQ(fixture.catalog.parts.size(), 1u);
    ASSERT_EQ(fixture.catalog.parts[0].library.objects.size(), 1u);
    EXPECT_EQ(fixture.catalog.parts[0].library.objects[0].name, "CHALLENGE3");
    EXPECT_EQ(fixture.catalog.parts[0].library.objects[0].typeCode, 0x0201);

    MemoryContentList list;
    ViewSession session(fixture.catalog, fixture.converter, fixture.notifier, list);
    std::unique_ptr<BlockSource> source = session.openSaveFile();
    ASSERT_EQ(source->size(), 208 * kBlock);
    for (std::int64_t block = 0; block < 208; ++block) {
        ASSERT_EQ(sequenceAt(*source, block), static_cast<std::uint32_t>(block + 1)) << block;
    }
    // The views read the stream as meant: the last body ends in the bytes block 0 keeps, not in
    // the closing value the record check covers, so that record no longer carries its check.
    const SaveFileCheckReport meant = SaveFileCheck::examine(*source);
    EXPECT_EQ(meant.recordsIntact, 204);
    // On the repaired grid as stored, what is left are the three records whose bytes were
    // changed in place.
    const SaveFileCheckReport repaired = SaveFileCheck::examine(
        *RepairedBlockSource::over(std::make_unique<FileBlockSource>(path), fixture.catalog.header.repairs));
    EXPECT_TRUE(repaired.findings().empty());
    EXPECT_EQ(repaired.recordsChecked, 208);
    EXPECT_EQ(repaired.recordsIntact, 205);
}

// The last LZ1 chunk of this save runs into the stream's last 16 bytes, which the system keeps in
// block 0: read with them, the catalog is complete and every block of the expanded image reads,
// the last member's data included.
TEST(RealSaveFileCheck, StreamEndsInTheBytesBlockZeroKeeps) {
    SKIP_WITHOUT_SAVF();
    const std::string path = (savfDirectory() / "ISPH_ISPHERE_2015-02-08_617fe9.savf").string();
    ReaderFixture fixture;
    OpenedSave opened;
    ASSERT_EQ(opened.open([path] { return std::make_unique<FileBlockSource>(path); }, path, fixture.converter,
                          fixture.notifier),
              OpenedSave::Outcome::Opened);
    EXPECT_TRUE(opened.report().complete()) << opened.report().text();
    const std::unique_ptr<BlockSource> readable = opened.openReadable();
    std::vector<std::uint8_t> run(static_cast<std::size_t>(64 * kBlock));
    std::int64_t read = 0;
    for (std::int64_t at = 0; at < readable->size(); at += static_cast<std::int64_t>(run.size())) {
        const std::int64_t want =
            std::min<std::int64_t>(static_cast<std::int64_t>(run.size()), readable->size() - at);
        ASSERT_EQ(readable->readAt(at, run.data(), want), want) << at;
        read += want;
    }
    EXPECT_EQ(read, readable->size());
    // The stored bytes still hold the closing value, and check intact as they are.
    FileBlockSource stored(path);
    EXPECT_EQ(SaveFileCheck::examine(stored).verdict, SaveFileVerdict::Clean);
}

}  // namespace
}  // namespace quelvane::test
