#include <gtest/gtest.h>

#include <filesystem>

#include "savefile/BlockFile.h"
#include "savefile/CodedDataCheck.h"
#include "savefile/ExpandedBlockSource.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/support/ContentFixtures.h"
#include "tests/support/SaveFileCompressor.h"
#include "tests/views/ShowEveryNode.h"
#include "tests/views/SpoiledWalk.h"
#include "tests/views/ViewsFixture.h"

namespace quelvane::test {
namespace {

// A parse of a compressed save reads each segment's coded data once to walk it and again to
// expand it; it never reads the whole file over and over.
constexpr std::int64_t kParseRereads = 4;
// A cut file can make every member list the rest of its stream; the walk stops after this.
constexpr std::int64_t kCutRowBudget = 100000;

using Coding = SaveFileCompressor::Coding;

std::vector<std::uint8_t> record(const std::string& name, std::uint16_t quantity) {
    std::vector<std::uint8_t> bytes = SaveFileBuilder::ebcdic(name, 30);
    bytes.push_back(static_cast<std::uint8_t>(quantity >> 8));
    bytes.push_back(static_cast<std::uint8_t>(quantity));
    return bytes;
}

// A library with a physical file of two members (one long enough to span several LZ1 chunks and
// run-length checkpoints), a CL program with its source and a data area.
std::vector<std::uint8_t> storedSave() {
    BuiltObject file;
    file.name = "ITEMS";
    file.attribute = "PF";
    file.text = "Items";
    file.fields = {{"NAME", 0x0403, 30, 0, 0, 0, 40}, {"QTY", 0x0003, 2, 4, 0, 0, 40}};
    std::vector<StreamSlot> small;
    for (int i = 0; i < 5; ++i) {
        small.push_back(
            {static_cast<std::uint8_t>(i == 2 ? 0 : 0x80), record("SMALL" + std::to_string(i), 7)});
    }
    std::vector<StreamSlot> large;
    for (int i = 0; i < 30000; ++i) {
        large.push_back(
            {0x80, record("ITEM" + std::to_string(i * 7919 % 100000), static_cast<std::uint16_t>(i))});
    }
    file.members = {{"SMALL", "PF", "five slots", 5}, {"LARGE", "PF", "many", 30000}};
    BuiltPart part;
    part.library = "STOCK";
    part.objects = {file, ContentFixtures::programObject("START"), ContentFixtures::dataAreaObject("LIMIT")};
    BuiltClSource source;
    source.objectName = "START";
    source.lines = {"PGM", "DCL VAR(&A) TYPE(*CHAR) LEN(10)", "ENDPGM"};
    BuiltDataArea area;
    area.objectName = "LIMIT";
    area.length = 12;
    area.value = SaveFileBuilder::ebcdic("TWELVE CHARS", 12);
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    builder.add(part)
        .add(ContentFixtures::memberRecords("ITEMS", "SMALL", 32, small))
        .add(ContentFixtures::memberRecords("ITEMS", "LARGE", 32, large))
        .add(ContentFixtures::clProgram(source))
        .add(ContentFixtures::dataArea(area));
    return builder.build().bytes();
}

// Every node shown in turn: its labels and rows.
std::vector<std::string> everyNode(ViewsFixture& fixture) {
    std::vector<std::string> out;
    auto take = [&](const std::string& node) {
        out.push_back("== " + node + " " + fixture.target.label1 + " / " + fixture.target.label2);
        for (const std::string& row : fixture.rows()) {
            out.push_back(row);
        }
    };
    const CatalogTree tree = buildCatalogTree(fixture.catalog);
    fixture.show(0);
    take("library");
    const CatalogTreeNode& root = tree.roots.at(0);
    for (std::size_t p = 0; p < root.children.size(); ++p) {
        const auto part = static_cast<std::int32_t>(p);
        for (std::size_t o = 0; o < root.children[p].children.size(); ++o) {
            const auto object = static_cast<std::int32_t>(o);
            fixture.showObject(part, object);
            take(root.children[p].children[o].caption);
            for (std::size_t m = 0; m < root.children[p].children[o].children.size(); ++m) {
                fixture.showMember(part, object, static_cast<std::int32_t>(m));
                take(root.children[p].children[o].children[m].caption);
            }
        }
    }
    return out;
}

struct Coded {
    const char* name;
    Coding coding;
    bool padded;
    bool firstStored;
};

class CompressedSaveFile : public ::testing::TestWithParam<Coded> {};

TEST_P(CompressedSaveFile, ReadsAsTheStoredSaveItCameFrom) {
    const std::vector<std::uint8_t> stored = storedSave();
    SaveFileCompressor compressor;
    compressor.coding = GetParam().coding;
    compressor.padToBoundary = GetParam().padded;
    compressor.keepFirstStored = GetParam().firstStored;
    const std::vector<std::uint8_t> compressed = compressor.compress(stored);
    if (GetParam().coding != Coding::Lz1Literals) {
        ASSERT_LT(compressed.size(), stored.size() / 2);
    }

    ViewsFixture plain;
    ASSERT_EQ(plain.open(stored), 0);
    ViewsFixture coded;
    ASSERT_EQ(coded.open(compressed), 0);
    EXPECT_TRUE(coded.notifier.entries.empty());
    EXPECT_EQ(plain.catalog.header.dataStorage, "stored");
    EXPECT_EQ(coded.catalog.header.dataStorage,
              GetParam().coding == Coding::Lz1Literals ? "LZ1" : "run-length");

    // The summary says how the data is kept; everything else reads the same.
    std::vector<std::string> expected = everyNode(plain);
    ASSERT_GT(expected.size(), 30000u);
    std::vector<std::string> shown = everyNode(coded);
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_EQ(shown[4], "Data: " + coded.catalog.header.dataStorage + ".");
    shown[4] = expected[4];
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(Codings, CompressedSaveFile,
                         ::testing::Values(Coded{"RunLength", Coding::RunLength, false, true},
                                           Coded{"RunLengthPadded", Coding::RunLength, true, true},
                                           Coded{"RunLengthCatalogCoded", Coding::RunLength, false, false},
                                           Coded{"OlderRunLength", Coding::OlderRunLength, false, true},
                                           Coded{"Lz1", Coding::Lz1Literals, false, true},
                                           Coded{"Lz1Padded", Coding::Lz1Literals, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExpandedImage, ReadsTheSameBytesWhateverTheOrderOfReads) {
    const std::vector<std::uint8_t> stored = storedSave();
    for (Coding coding : {Coding::RunLength, Coding::Lz1Literals}) {
        SaveFileCompressor compressor;
        compressor.coding = coding;
        const std::vector<std::uint8_t> compressed = compressor.compress(stored);
        MemoryBlockSource source(compressed);
        Cp037Converter converter;
        auto layout = SegmentLayout::scan(source, 4096, converter);
        ExpandedBlockSource expanded(source, layout);
        ASSERT_EQ(expanded.size(), static_cast<std::int64_t>(stored.size()));
        // Backwards, in odd pieces that straddle blocks, checkpoints and chunks: every body and
        // sequence number equals the stored file's.
        std::vector<std::uint8_t> read(stored.size());
        std::int64_t piece = 7777;
        for (std::int64_t end = static_cast<std::int64_t>(stored.size()); end > 0; end -= piece) {
            std::int64_t start = std::max<std::int64_t>(0, end - piece);
            ASSERT_EQ(expanded.readAt(start, read.data() + start, end - start), end - start);
        }
        // Block 0's counts and the segment headers' length fields describe the stored form.
        for (std::size_t block = 1; block < stored.size() / 528; ++block) {
            const auto at = static_cast<std::ptrdiff_t>(block * 528);
            const bool header = stored[block * 528] == 0xFF && stored[block * 528 + 1] == 0xFF;
            ASSERT_TRUE(std::equal(read.begin() + at + (header ? 512 : 0), read.begin() + at + 516,
                                   stored.begin() + at + (header ? 512 : 0)))
                << "block " << block;
        }
    }
}

// Zeroes 200 bytes from `fraction` of the way through the coded data of segment `name`: a 0x00
// control byte.
void spoilSegment(std::vector<std::uint8_t>& compressed, const std::string& name, double fraction) {
    MemoryBlockSource source(compressed);
    Cp037Converter converter;
    auto layout = SegmentLayout::scan(source, 4096, converter);
    for (const SegmentPlacement& segment : layout->segments()) {
        if (segment.name == name) {
            const std::int64_t body =
                segment.dataOffset +
                static_cast<std::int64_t>(static_cast<double>(segment.dataLength) * fraction);
            const auto at = static_cast<std::ptrdiff_t>(body / 512 * 528 + body % 512);
            std::fill(compressed.begin() + at, compressed.begin() + at + 200, 0);
            return;
        }
    }
    FAIL() << "no segment " << name;
}

TEST(DamagedCompressedData, AProgramWhoseSourceCannotBeExpandedSaysWhy) {
    std::vector<std::uint8_t> compressed = SaveFileCompressor().compress(storedSave());
    spoilSegment(compressed, "START", 0.0);
    ViewsFixture fixture;
    ASSERT_EQ(fixture.open(compressed), 0);
    fixture.notifier.entries.clear();
    EXPECT_EQ(fixture.showObject(0, 1), ViewOutcome::Failed);
    ASSERT_EQ(fixture.notifier.texts().size(), 1u);
    EXPECT_EQ(fixture.notifier.texts()[0].rfind("segment START: run-length data cannot be expanded", 0), 0u)
        << fixture.notifier.texts()[0];
    EXPECT_EQ(fixture.showObject(0, 2), ViewOutcome::Shown);
}

// Spoils the coded data of the large member and checks that only that member fails, with a
// message naming the segment and the reason, while every other node still shows.
TEST(DamagedCompressedData, FailsOnlyTheSegmentItSpoilsAndSaysWhich) {
    const std::vector<std::uint8_t> stored = storedSave();
    SaveFileCompressor compressor;
    std::vector<std::uint8_t> compressed = compressor.compress(stored);
    spoilSegment(compressed, "ITEMS     LARGE", 0.5);

    ViewsFixture fixture;
    ASSERT_EQ(fixture.open(compressed), 0);
    EXPECT_EQ(fixture.showMember(0, 0, 1), ViewOutcome::Failed);
    ASSERT_FALSE(fixture.notifier.entries.empty());
    EXPECT_EQ(fixture.notifier.texts().front(), "Error:during reading records");
    EXPECT_NE(
        fixture.notifier.texts().back().find("segment ITEMS     LARGE: run-length data cannot be expanded"),
        std::string::npos)
        << fixture.notifier.texts().back();
    fixture.notifier.entries.clear();
    EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
    EXPECT_EQ(fixture.rows().size(), 5u);
    EXPECT_TRUE(fixture.notifier.entries.empty());
}

// Zeroes the first 8 bytes of the coded data of the last segment, returning its name: no chunk
// tag for LZ1, a 0x00 control byte for run-length data.
std::string spoilLastSegment(std::vector<std::uint8_t>& compressed) {
    MemoryBlockSource source(compressed);
    Cp037Converter converter;
    const SegmentPlacement last = SegmentLayout::scan(source, 4096, converter)->segments().back();
    for (std::int64_t body = last.dataOffset; body < last.dataOffset + 8; ++body) {
        compressed.at(static_cast<std::size_t>(body / 512 * 528 + body % 512)) = 0;
    }
    return last.name;
}

// The last segment's data not expanding costs that segment only: the walk passes over it to where
// its length says it ends, every object and member is listed, the open names it and the members
// read. The check
// of the coded data finds it too, and nothing in the undamaged file.
TEST(DamagedCompressedData, TheLastSegmentNotExpandingCostsOnlyItself) {
    for (Coding coding : {Coding::RunLength, Coding::Lz1Literals}) {
        SCOPED_TRACE(coding == Coding::RunLength ? "run-length" : "LZ1");
        SaveFileCompressor compressor;
        compressor.coding = coding;
        std::vector<std::uint8_t> compressed = compressor.compress(storedSave());
        Cp037Converter converter;
        MemoryBlockSource whole(compressed);
        EXPECT_TRUE(CodedDataCheck::examine(whole, 4096, converter).empty());
        const std::string name = spoilLastSegment(compressed);

        ViewsFixture fixture;
        ASSERT_EQ(fixture.open(compressed), 0);
        ASSERT_EQ(fixture.catalog.parts.size(), 1u);
        ASSERT_EQ(fixture.catalog.parts[0].library.objects.size(), 3u);
        EXPECT_EQ(fixture.catalog.parts[0].library.objects[0].members.size(), 2u);
        ASSERT_FALSE(fixture.notifier.entries.empty());
        EXPECT_EQ(
            fixture.notifier.texts().front().rfind("The catalog is incomplete: segment " + name + ": ", 0),
            0u)
            << fixture.notifier.texts().front();
        fixture.notifier.entries.clear();
        EXPECT_EQ(fixture.showMember(0, 0, 0), ViewOutcome::Shown);
        EXPECT_EQ(fixture.rows().size(), 5u);

        MemoryBlockSource spoilt(compressed);
        const std::vector<std::string> found = CodedDataCheck::examine(spoilt, 4096, converter);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].rfind("segment " + name + ": ", 0), 0u) << found[0];
    }
    const std::vector<std::uint8_t> storedBytes = storedSave();
    MemoryBlockSource stored(storedBytes);
    Cp037Converter converter;
    EXPECT_TRUE(CodedDataCheck::examine(stored, 4096, converter).empty());
}

// A cut compressed save, its block counts patched to the cut, is taken and lists no more than
// the whole save; its walk stops short of the end with the reason, or, cut after its last
// segment, is complete; nothing is read outside the file.
TEST(DamagedCompressedData, EveryCutOfACompressedSaveOpensWithoutHarm) {
    SaveFileCompressor compressor;
    compressor.coding = Coding::Lz1Literals;
    compressor.keepFirstStored = false;
    const std::vector<std::uint8_t> compressed = compressor.compress(storedSave());
    const SpoiledWalk whole = walkSpoiledSave(compressed);
    ASSERT_TRUE(whole.report.complete()) << whole.report.text();
    for (std::size_t cut = 528; cut < compressed.size(); cut += 528 * 7 + 13) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        std::vector<std::uint8_t> bytes(compressed.begin(),
                                        compressed.begin() + static_cast<std::ptrdiff_t>(cut));
        // Cut files are rejected by their block count; patch the counts so the walk runs.
        SaveFileBuilder::putU32(bytes, 8, static_cast<std::uint32_t>(cut / 528));
        SaveFileBuilder::putU32(bytes, 60, static_cast<std::uint32_t>(cut / 528));
        const SpoiledWalk walk = walkSpoiledSave(bytes, kCutRowBudget);
        expectSoundOutcome(walk, static_cast<std::int64_t>(bytes.size()), kParseRereads);
        EXPECT_TRUE(walk.report.accepted);
        // A cut in the blocks after the last segment loses nothing.
        if (walk.report.complete()) {
            EXPECT_EQ(walk.objects, whole.objects);
            continue;
        }
        EXPECT_TRUE(walk.report.stop == ParseReport::Stop::SegmentPastEnd ||
                    walk.report.stop == ParseReport::Stop::DescriptorPastEnd ||
                    walk.report.stop == ParseReport::Stop::SegmentNotExpanded)
            << walk.report.text();
        EXPECT_LE(walk.objects, whole.objects);
    }
}

}  // namespace
}  // namespace quelvane::test
