#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "savefile/FileBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "savefile/RepairedBlockSource.h"
#include "savefile/SaveFileCheck.h"
#include "savefile/VersionSummary.h"
#include "tests/savefile/ReaderFixture.h"
#include "tests/support/Cp037Table.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;
constexpr std::int64_t kBlock = 528;

// Two parts with filler after them: 40 or so blocks, the second part's catalog well past the
// first third of the file.
SaveFileImage twoParts() {
    SaveFileBuilder builder;
    for (const char* library : {"FIRST", "SECOND"}) {
        BuiltPart part;
        part.library = library;
        part.objects = {plainObject("PGMA", 0x1901, "CLP"), plainObject("PGMB", 0x1901, "RPG")};
        builder.add(part);
    }
    builder.trailingBlocks = 12;
    return builder.build();
}

// Every all-zero block given the trailer a real save writes: the first 8 header bytes, then the
// sequence number shifted left by 13.
Bytes withZeroTrailers(Bytes bytes) {
    for (std::size_t start = 0; start + kBlock <= bytes.size(); start += kBlock) {
        if (std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                        bytes.begin() + static_cast<std::ptrdiff_t>(start + 512),
                        [](auto b) { return b == 0; })) {
            std::copy_n(bytes.begin(), 8, bytes.begin() + static_cast<std::ptrdiff_t>(start + 516));
            SaveFileBuilder::putU32(bytes, start + 524,
                                    static_cast<std::uint32_t>((start / kBlock + 1) << 13));
        }
    }
    return bytes;
}

Bytes inserted(Bytes bytes, std::int64_t offset, const Bytes& what) {
    bytes.insert(bytes.begin() + offset, what.begin(), what.end());
    return bytes;
}

Bytes erased(Bytes bytes, std::int64_t offset, std::int64_t count) {
    bytes.erase(bytes.begin() + offset, bytes.begin() + offset + count);
    return bytes;
}

Bytes readAll(BlockSource& source) {
    Bytes out(static_cast<std::size_t>(source.size()));
    out.resize(static_cast<std::size_t>(source.readAt(0, out.data(), source.size())));
    return out;
}

SaveFileCheckReport check(const Bytes& bytes) {
    MemoryBlockSource source(bytes);
    return SaveFileCheck::examine(source);
}

Bytes repaired(const Bytes& bytes, const SaveFileCheckReport& report) {
    MemoryBlockSource source(bytes);
    RepairedBlockSource fixed(source, report.repairs());
    return readAll(fixed);
}

// The blocks from `block` on, as the original had them.
Bytes tailFrom(const Bytes& bytes, std::int64_t block) {
    return Bytes(
        bytes.begin() + std::min<std::int64_t>(block * kBlock, static_cast<std::int64_t>(bytes.size())),
        bytes.end());
}

TEST(SaveFileCheck, CleanBuiltFile) {
    Bytes bytes = twoParts().bytes();
    SaveFileCheckReport report = check(bytes);
    EXPECT_EQ(report.verdict, SaveFileVerdict::Clean);
    EXPECT_TRUE(report.findings().empty());
    EXPECT_EQ(report.blocksExamined, static_cast<std::int64_t>(bytes.size()) / kBlock);
    EXPECT_FALSE(report.repairable());
    MemoryBlockSource source(bytes);
    EXPECT_TRUE(SaveFileCheck::looksWhole(source));
}

// One byte in or out at places across the file: block 0, a body, a sequence number, a trailer,
// the last block. The reported range holds the place, and the repaired file has every block
// from the resumption on as the original did.
TEST(SaveFileCheck, SingleShiftsAreFoundAndRepaired) {
    const Bytes original = withZeroTrailers(twoParts().bytes());
    const auto size = static_cast<std::int64_t>(original.size());
    const std::int64_t last = size / kBlock - 1;
    const std::int64_t offsets[] = {
        0, 100, 5 * kBlock + 7, 11 * kBlock + 512, 11 * kBlock + 515, 20 * kBlock + 520, last * kBlock + 300};
    for (std::int64_t offset : offsets) {
        for (std::int64_t bytesMoved : {1, 3, -1, -2}) {
            SCOPED_TRACE("offset " + std::to_string(offset) + ", moved " + std::to_string(bytesMoved));
            Bytes damaged =
                bytesMoved > 0 ? inserted(original, offset, Bytes(static_cast<std::size_t>(bytesMoved), 0x5A))
                               : erased(original, offset, -bytesMoved);
            SaveFileCheckReport report = check(damaged);
            ASSERT_EQ(report.verdict, SaveFileVerdict::Damaged);
            ASSERT_EQ(report.shifts.size(), 1u);
            const GridShift& shift = report.shifts[0];
            EXPECT_EQ(shift.bytes, bytesMoved);
            EXPECT_LE(shift.from, offset);
            if (bytesMoved > 0) {
                EXPECT_GE(shift.to, offset + bytesMoved - 1);
            } else if (shift.to < offset) {
                // Losing one of a run of equal bytes looks the same wherever in the run it was.
                EXPECT_TRUE(
                    std::all_of(original.begin() + shift.to, original.begin() + offset - bytesMoved,
                                [&](auto b) { return b == original[static_cast<std::size_t>(offset)]; }));
            }
            EXPECT_EQ(shift.breakBlock, offset / kBlock + (offset % kBlock >= 516 ? 1 : 0));
            EXPECT_EQ(report.sequenceStop, -1);
            ASSERT_TRUE(report.repairable());
            Bytes fixed = repaired(damaged, report);
            ASSERT_EQ(fixed.size(), original.size());
            // The resumed block's body keeps whatever the range held; its trailer and every later
            // block are the original's.
            EXPECT_EQ(tailFrom(fixed, shift.resumeBlock + 1), tailFrom(original, shift.resumeBlock + 1));
            std::int64_t trailer = shift.resumeBlock * kBlock + 512;
            EXPECT_TRUE(std::equal(fixed.begin() + trailer, fixed.begin() + trailer + 16,
                                   original.begin() + trailer));
        }
    }
}

// A stray byte in an all-zero block: the trailers on both sides bound the range to whole blocks
// rather than to the sequence numbers alone.
TEST(SaveFileCheck, ZeroBlockTrailersNarrowTheRange) {
    const Bytes original = withZeroTrailers(twoParts().bytes());
    const std::int64_t last = static_cast<std::int64_t>(original.size()) / kBlock - 1;
    ASSERT_TRUE(std::all_of(original.begin() + (last - 1) * kBlock,
                            original.begin() + (last - 1) * kBlock + 512, [](auto b) { return b == 0; }));
    const std::int64_t offset = (last - 1) * kBlock + 200;
    SaveFileCheckReport report = check(inserted(original, offset, {0x01}));
    ASSERT_EQ(report.shifts.size(), 1u);
    EXPECT_EQ(report.shifts[0].from, (last - 1) * kBlock);
    EXPECT_EQ(report.shifts[0].to, (last - 1) * kBlock + 512);
    EXPECT_EQ(report.shifts[0].resumeBlock, last - 1);
}

TEST(SaveFileCheck, SpoiledFilesAndTheirFindings) {
    const Bytes original = twoParts().bytes();
    const auto size = static_cast<std::int64_t>(original.size());
    const std::int64_t blocks = size / kBlock;
    Bytes cut(original.begin(), original.end() - 100);
    Bytes extra = original;
    extra.insert(extra.end(), 10, 0x40);
    Bytes lostBlock(original.begin(), original.end() - kBlock);
    Bytes copyDiffers = original;
    SaveFileBuilder::putU32(copyDiffers, 60, static_cast<std::uint32_t>(blocks + 1));
    Bytes garbled = original;
    SaveFileBuilder::putU32(garbled, 5 * kBlock + 512, 77);
    Bytes overwritten = original;
    std::fill(overwritten.begin() + 7 * kBlock, overwritten.end(), 0x11);
    const std::string whole = std::to_string(blocks);
    struct Case {
        const char* what;
        Bytes bytes;
        std::vector<std::string> findings;
    };
    const Case cases[] = {
        {"cut short",
         cut,
         {"Size " + std::to_string(size - 100) + " bytes is not a whole number of 528-byte blocks: " +
              std::to_string(blocks - 1) + " blocks and 428 bytes over (100 short of " + whole + ")",
          "Block count " + whole + " disagrees with the file size: the file holds " +
              std::to_string(blocks - 1) + " whole blocks"}},
        {"extra bytes",
         extra,
         {"Size " + std::to_string(size + 10) + " bytes is not a whole number of 528-byte blocks: " + whole +
          " blocks and 10 bytes over (518 short of " + std::to_string(blocks + 1) + ")"}},
        {"a block lost at the end",
         lostBlock,
         {"Block count " + whole + " disagrees with the file size: the file holds " +
          std::to_string(blocks - 1) + " whole blocks"}},
        {"block counts differ",
         copyDiffers,
         {"Block counts disagree: offset 8 says " + whole + ", offset 60 says " + std::to_string(blocks + 1) +
          "; the file holds " + whole + " whole blocks"}},
        {"one sequence number garbled",
         garbled,
         {"Block 5 carries a wrong sequence number; the grid goes on unmoved from block 6"}},
        {"overwritten from block 7",
         overwritten,
         {"Block sequence numbers stop running at block 7 (offset 3696): no grid within 528 bytes either way "
          "carries them on"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFileCheckReport report = check(c.bytes);
        EXPECT_EQ(report.verdict, SaveFileVerdict::Damaged);
        EXPECT_EQ(report.findings(), c.findings);
        EXPECT_FALSE(report.repairable());
    }
}

TEST(SaveFileCheck, NotSaveFilesAndOldHeaders) {
    Bytes text(2000, 'x');
    EXPECT_EQ(check(text).verdict, SaveFileVerdict::NotSaveFile);
    EXPECT_EQ(
        check(text).lines(),
        std::vector<std::string>{"Not a save file: neither block 0 nor block 1 carries its sequence number"});
    EXPECT_EQ(check(Bytes(10, 0)).lines(),
              std::vector<std::string>{"Not a save file: 10 bytes, less than one block"});
    EXPECT_EQ(check(Bytes()).verdict, SaveFileVerdict::NotSaveFile);

    Bytes old = twoParts().bytes();
    SaveFileBuilder::putU32(old, 52, 0);
    SaveFileBuilder::putU32(old, 60, 0);
    SaveFileCheckReport report = check(old);
    EXPECT_EQ(report.verdict, SaveFileVerdict::HeaderTooOld);
    EXPECT_TRUE(report.findings().empty());
}

// Every line feed turned into carriage return + line feed, and back: each place is found exactly
// and the repair gives the original bytes back.
TEST(SaveFileCheck, LineEndTranslation) {
    SaveFileBuilder builder;
    BuiltSegment segment;
    segment.name = "DATA";
    segment.length = 24;
    // Clear of block 9, whose sequence number 10 is itself a line feed.
    for (std::int64_t block : {2, 12, 18}) {
        segment.placements.push_back({block, 40, {0x41, 0x0A, 0x42}});
    }
    builder.add(segment);
    const Bytes original = builder.build().bytes();
    Bytes unixToDos;
    for (std::uint8_t b : original) {
        if (b == 0x0A) {
            unixToDos.push_back(0x0D);
        }
        unixToDos.push_back(b);
    }
    SaveFileCheckReport report = check(unixToDos);
    ASSERT_EQ(report.verdict, SaveFileVerdict::Damaged);
    ASSERT_GE(report.shifts.size(), 3u);
    for (const GridShift& shift : report.shifts) {
        EXPECT_TRUE(shift.lineEnd) << shift.breakBlock;
    }
    const std::vector<std::string> findings = report.findings();
    const auto lineFeeds = std::count(original.begin(), original.end(), std::uint8_t{0x0A});
    EXPECT_NE(std::find(findings.begin(), findings.end(),
                        "Marks of a text-mode transfer: line-end translation at " +
                            std::to_string(lineFeeds) + " places"),
              findings.end());
    EXPECT_EQ(repaired(unixToDos, report), original);

    Bytes withPairs = original;
    for (std::size_t i = 1; i < withPairs.size(); ++i) {
        if (withPairs[i] == 0x0A && withPairs[i - 1] == 0x41) {
            withPairs[i - 1] = 0x0D;
        }
    }
    Bytes dosToUnix;
    for (std::size_t i = 0; i < withPairs.size(); ++i) {
        if (!(withPairs[i] == 0x0D && i + 1 < withPairs.size() && withPairs[i + 1] == 0x0A)) {
            dosToUnix.push_back(withPairs[i]);
        }
    }
    report = check(dosToUnix);
    ASSERT_EQ(report.shifts.size(), 3u);
    EXPECT_EQ(report.shifts[0].bytes, -1);
    EXPECT_TRUE(report.repairable());
    EXPECT_EQ(repaired(dosToUnix, report), withPairs);
}

// More shifts than are followed: the check stops there and says so, the list of shifts is cut
// short, and nothing is offered for repair.
TEST(SaveFileCheck, ShiftLimit) {
    SaveFileBuilder builder;
    BuiltSegment segment;
    segment.name = "DATA";
    segment.length = 300;
    for (std::int64_t block = 1; block < 300; ++block) {
        segment.placements.push_back({block, 100, {0x0A}});
    }
    builder.add(segment);
    // The line feeds are the ones placed: trailers without record checks, whose bytes would add
    // places of their own.
    Bytes built = builder.build().bytes();
    for (std::size_t at = 516; at < built.size(); at += 528) {
        std::fill_n(built.begin() + static_cast<std::ptrdiff_t>(at), 12, 0);
    }
    Bytes translated;
    for (std::uint8_t b : built) {
        if (b == 0x0A) {
            translated.push_back(0x0D);
        }
        translated.push_back(b);
    }
    SaveFileCheckReport report = check(translated);
    EXPECT_EQ(report.shifts.size(), static_cast<std::size_t>(SaveFileCheck::kMaxShifts));
    EXPECT_TRUE(report.shiftLimitReached);
    EXPECT_GT(report.sequenceStop, 0);
    EXPECT_FALSE(report.repairable());
    std::vector<std::string> findings = report.findings();
    EXPECT_NE(std::find(findings.begin(), findings.end(), "... and 236 more shifts"), findings.end());
    EXPECT_EQ(std::count_if(findings.begin(), findings.end(),
                            [](const std::string& f) {
                                return f.find("stop running") != std::string::npos &&
                                       f.ends_with(": too many shifts to follow further");
                            }),
              1);
    // One shift a block, but the one from block 9 runs to block 10: the line feeds placed in
    // both and the one in block 9's sequence number (10) are three places of one shift.
    EXPECT_NE(std::find(findings.begin(), findings.end(),
                        "Marks of a text-mode transfer: line-end translation at 258 places"),
              findings.end());
}

TEST(SaveFileCheck, EbcdicToAsciiTranslation) {
    Bytes bytes = twoParts().bytes();
    for (std::uint8_t& b : bytes) {
        b = kCp037ToLatin1[b];
    }
    SaveFileCheckReport report = check(bytes);
    EXPECT_EQ(report.verdict, SaveFileVerdict::Damaged);
    EXPECT_TRUE(report.asciiSystemText);
    EXPECT_EQ(report.sequenceStop, 3);
    EXPECT_FALSE(report.repairable());
}

// Two shifts, one each way: both found, both undone.
TEST(SaveFileCheck, SeveralShifts) {
    const Bytes original = twoParts().bytes();
    Bytes damaged = erased(inserted(original, 4 * kBlock + 100, {1, 2}), 20 * kBlock + 300, 5);
    SaveFileCheckReport report = check(damaged);
    ASSERT_EQ(report.shifts.size(), 2u);
    EXPECT_EQ(report.shifts[0].bytes, 2);
    EXPECT_EQ(report.shifts[1].bytes, -5);
    EXPECT_EQ(report.netShift(), -3);
    Bytes fixed = repaired(damaged, report);
    EXPECT_EQ(tailFrom(fixed, 21), tailFrom(original, 21));
    EXPECT_EQ(Bytes(fixed.begin() + 5 * kBlock, fixed.begin() + 20 * kBlock),
              Bytes(original.begin() + 5 * kBlock, original.begin() + 20 * kBlock));
}

// A byte put in before the second part: the open reads on the repaired grid, finds both parts,
// and the summary says where the damage was.
TEST(SaveFileCheck, OpenReadsThePartAfterTheDamage) {
    SaveFileImage image = twoParts();
    const Bytes original = image.bytes();
    ASSERT_GE(image.layout.parts.size(), 2u);
    const std::int64_t offset = (image.layout.parts[1].descriptorBlock - 3) * kBlock + 77;
    Bytes damaged = inserted(original, offset, {0xEE});

    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(damaged), 0);
    EXPECT_TRUE(fixture.notifier.entries.empty());
    ASSERT_EQ(fixture.catalog.parts.size(), 2u);
    EXPECT_EQ(fixture.catalog.parts[1].name, "SECOND");
    ASSERT_EQ(fixture.catalog.header.damageNotes.size(), 1u);
    const std::string& note = fixture.catalog.header.damageNotes[0];
    EXPECT_EQ(note.rfind("Read past damage: 1 byte inserted within offsets ", 0), 0u) << note;
    std::vector<std::string> summary = saveSummaryLines(fixture.catalog.header);
    EXPECT_NE(std::find(summary.begin(), summary.end(), note), summary.end());
}

TEST(SaveFileCheck, RejectionsCarryTheReason) {
    Bytes bytes = twoParts().bytes();
    Bytes cut(bytes.begin(), bytes.end() - kBlock);
    ReaderFixture fixture;
    EXPECT_EQ(fixture.open(cut), -1);
    const std::string blocks = std::to_string(bytes.size() / kBlock);
    EXPECT_EQ(fixture.notifier.texts(),
              std::vector<std::string>{
                  "File: TEST.SAVF  is not save file format form AS/400\nDamaged: Block count " + blocks +
                  " disagrees with the file size: the file holds " +
                  std::to_string(bytes.size() / kBlock - 1) + " whole blocks"});
}

TEST(RepairedBlockSource, DropsAndPadsAcrossReads) {
    Bytes raw(100);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<std::uint8_t>(i);
    }
    MemoryBlockSource source(raw);
    RepairedBlockSource fixed(source, {{10, 3, 0}, {50, -2, 0xAB}, {40, 1, 0}, {200, 1, 0}, {95, 9, 0}});
    Bytes expected;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i == 50) {
            expected.insert(expected.end(), {0xAB, 0xAB});
        }
        if (i < 10 || i >= 13) {
            expected.push_back(raw[i]);
        }
    }
    ASSERT_EQ(fixed.size(), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(readAll(fixed), expected);
    for (std::int64_t start : {0, 9, 10, 46, 47, 48, 98}) {
        Bytes part(7, 0);
        std::int64_t got = fixed.readAt(start, part.data(), 7);
        std::int64_t want = std::min<std::int64_t>(7, fixed.size() - start);
        ASSERT_EQ(got, want) << start;
        EXPECT_TRUE(std::equal(part.begin(), part.begin() + got, expected.begin() + start)) << start;
    }
    EXPECT_EQ(fixed.readAt(-1, expected.data(), 1), 0);
    EXPECT_EQ(fixed.readAt(fixed.size(), expected.data(), 1), 0);
}

}  // namespace
}  // namespace quelvane::test
