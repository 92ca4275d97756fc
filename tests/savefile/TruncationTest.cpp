#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "savefile/CatalogTree.h"
#include "savefile/ParseReport.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

// A small file with every structure the reader decodes: two parts (V inside and beyond the
// descriptor block), a directory straddling blocks, descriptions, both member layouts.
std::vector<std::uint8_t> smallFile() {
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    BuiltPart first;
    first.library = "FIRST";
    first.sysbas = true;
    first.objects = {physicalFile("QCLSRC", {{"SRCSEQ", 0x0003, 6, 6, 2}, {"SRCDTA", 0x0004, 80}},
                                  {{"A", "CLP", "short", 6, 640}, {"B", "CLP", "long", 7, 656}}),
                     plainObject("PGM", 0x0201, "CLP")};
    BuiltPart second;
    second.library = "SECOND";
    second.sysbas = true;
    second.descriptorOffset = 1024;
    second.objects = {physicalFile("DATA", {{"WHEN", 0x0D03, 2}}, {{"M", "", "", 3}}),
                      plainObject("AREA", 0x190A, "")};
    builder.add(first).add(BuiltSegment{"QCLSRC    A", 24, true, {}}).add(second);
    return builder.build().bytes();
}

// A source over bytes that counts what it hands the reader.
class WatchedSource final : public BlockSource {
  public:
    explicit WatchedSource(const std::vector<std::uint8_t>& bytes) : memory_(bytes) {}
    bool isOpen() const override { return memory_.isOpen(); }
    std::int64_t size() const override { return memory_.size(); }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        const std::int64_t got = memory_.readAt(offset, target, count);
        handed += static_cast<std::uint64_t>(std::max<std::int64_t>(got, 0));
        return got;
    }

    std::uint64_t handed = 0;

  private:
    MemoryBlockSource memory_;
};

struct Opened {
    int result = 0;
    ParseReport report;
    std::uint64_t bytesRead = 0;
    std::uint64_t handed = 0;
    std::size_t messages = 0;
};

// Opens `bytes` as the window does and builds its tree.
Opened openAndBuildTree(const std::vector<std::uint8_t>& bytes) {
    ReaderFixture fixture;
    fixture.catalog.path = "CUT.SAVF";
    WatchedSource source(bytes);
    SaveFileReader reader(fixture.catalog, fixture.converter, fixture.notifier);
    Opened opened;
    opened.result = reader.parseSaveFile(fixture.catalog.path, source).accepted ? 0 : -1;
    opened.report = reader.report();
    opened.bytesRead = reader.bytesRead();
    opened.handed = source.handed;
    buildCatalogTree(fixture.catalog);
    opened.messages = fixture.notifier.entries.size();
    return opened;
}

// Every prefix, byte by byte: as cut (the size check rejects most) and with both block counts
// set to the whole blocks left, so the walk and the decoders meet the end of the file everywhere.
TEST(Truncation, EveryPrefixOfABuiltFile) {
    std::vector<std::uint8_t> bytes = smallFile();
    ReaderFixture whole;
    ASSERT_EQ(whole.open(bytes), 0);
    ASSERT_EQ(whole.catalog.parts.size(), 2u);
    ASSERT_EQ(whole.object(0, 1).members.at(0).recordCount, 3);

    const std::size_t wholeBlocks = bytes.size() / 528 * 528;
    std::set<std::size_t> completeAt;
    for (std::size_t size = 0; size <= bytes.size(); ++size) {
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        const Opened cut = openAndBuildTree(prefix);
        EXPECT_EQ(cut.result, size >= wholeBlocks ? 0 : -1) << size;
        EXPECT_EQ(cut.report.accepted, size >= wholeBlocks) << size;
        if (size < wholeBlocks) {
            // Rejected with its reason, having read no more than the first block.
            EXPECT_EQ(cut.report.stop, ParseReport::Stop::NotASaveFile) << size;
            EXPECT_EQ(cut.messages, 1u) << size;
            EXPECT_LE(cut.bytesRead, std::uint64_t{528}) << size;
        } else {
            EXPECT_TRUE(cut.report.complete()) << size << " " << cut.report.text();
        }

        if (size >= 64) {
            SaveFileBuilder::putU32(prefix, 8, static_cast<std::uint32_t>(size / 528));
            SaveFileBuilder::putU32(prefix, 60, static_cast<std::uint32_t>(size / 528));
            const Opened agreed = openAndBuildTree(prefix);
            // Below one block the counts are 0: no save file has no block.
            ASSERT_EQ(agreed.result, size >= 528 ? 0 : -1) << size;
            EXPECT_EQ(agreed.report.accepted, size >= 528) << size;
            if (size >= 528) {
                // Accepted, and stopped for a reason; only the whole file reads complete.
                EXPECT_NE(agreed.report.stop, ParseReport::Stop::NotRead) << size;
                EXPECT_NE(agreed.report.stop, ParseReport::Stop::NotASaveFile) << size;
                if (agreed.report.complete()) {
                    completeAt.insert(size / 528);
                }
            }
            EXPECT_LE(agreed.bytesRead, agreed.handed) << size;
            EXPECT_LE(agreed.messages, 1u) << size;
        }
    }
    // Only a cut where a segment ends reads complete, as the shorter chain it leaves is whole:
    // the built file's segments end at blocks 24, 48 and 64.
    EXPECT_EQ(completeAt, (std::set<std::size_t>{24, 48, bytes.size() / 528}));
}

// Bytes of the file set to extreme values one at a time in the structures the reader decodes.
TEST(Truncation, ExtremeValuesInEveryHeaderByte) {
    std::vector<std::uint8_t> bytes = smallFile();
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::size_t body = at / 528 * 528;
        bool filler = std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(body + 512),
                                  [](std::uint8_t b) { return b == 0; });
        if (filler || at % 528 >= 512) {
            continue;
        }
        for (std::uint8_t value : {std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
            std::vector<std::uint8_t> spoiled = bytes;
            spoiled[at] = value;
            const Opened opened = openAndBuildTree(spoiled);
            // Spoiled bytes leave the file's size alone: it is read (or rejected) with a reason,
            // never read outside.
            EXPECT_NE(opened.report.stop, ParseReport::Stop::NotRead) << at << " " << int(value);
            EXPECT_EQ(opened.report.accepted, opened.result == 0) << at;
            EXPECT_LE(opened.bytesRead, opened.handed) << at;
        }
    }
}

}  // namespace
}  // namespace quelvane::test
