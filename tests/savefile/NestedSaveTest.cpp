#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "savefile/BigEndianReader.h"
#include "savefile/FileBlockSource.h"
#include "savefile/NestedSave.h"
#include "savefile/NestedSaveFileSource.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 528;

std::vector<std::uint8_t> innerSave() {
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    BuiltPart part;
    part.library = "SAVRST";
    BuiltObject program;
    program.name = "PGM1";
    program.typeCode = 0x0201;
    program.attribute = "CLP";
    part.objects = {program};
    builder.add(part);
    return builder.build().bytes();
}

// The bodies of `inner`, without trailers, as a save-file object stores them.
std::vector<std::uint8_t> bodiesOf(const std::vector<std::uint8_t>& inner) {
    std::vector<std::uint8_t> bodies;
    for (std::size_t at = 0; at + kBlock <= inner.size(); at += kBlock) {
        bodies.insert(bodies.end(), inner.begin() + static_cast<std::ptrdiff_t>(at),
                      inner.begin() + static_cast<std::ptrdiff_t>(at + 512));
    }
    return bodies;
}

struct OuterShape {
    std::uint32_t count;
    std::uint32_t countCopy;
    std::int32_t segmentLength;
};

// An outer save of library QGPL holding save file HELD, whose data segment holds `inner`.
std::vector<std::uint8_t> outerSave(const std::vector<std::uint8_t>& inner, const OuterShape& shape) {
    SaveFileBuilder builder;
    builder.headerSize = 4096;
    BuiltPart part;
    BuiltObject held;
    held.name = "HELD";
    held.attribute = "SAVF";
    BuiltObject program;
    program.name = "OTHER";
    program.typeCode = 0x0201;
    program.attribute = "CLP";
    part.objects = {held, program};
    builder.add(part);
    BuiltSegment segment;
    segment.name = "HELD      QGPL      01";
    segment.length = shape.segmentLength;
    std::vector<std::uint8_t> counts(8, 0);
    SaveFileBuilder::putU32(counts, 0, shape.count);
    SaveFileBuilder::putU32(counts, 4, shape.countCopy);
    segment.placements = {{9, 0, counts}, {24, 0, bodiesOf(inner)}};
    builder.add(segment);
    return builder.build().bytes();
}

std::int32_t innerBlocks(const std::vector<std::uint8_t>& inner) {
    return static_cast<std::int32_t>(inner.size() / kBlock);
}

OuterShape fitting(const std::vector<std::uint8_t>& inner) {
    auto blocks = static_cast<std::uint32_t>(innerBlocks(inner));
    return {blocks, blocks, innerBlocks(inner) + 32};
}

TEST(NestedSaveTest, HeldSaveReadsAsTheSaveItWas) {
    std::vector<std::uint8_t> inner = innerSave();
    std::vector<std::uint8_t> outer = outerSave(inner, fitting(inner));
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(outer), 0);
    MemoryBlockSource outerSource(outer);
    NestedSave found = NestedSave::locate(outerSource, fixture.catalog, {0, 0});
    ASSERT_EQ(found.state, NestedSave::State::Found) << found.message;
    EXPECT_EQ(found.blockCount, innerBlocks(inner));

    std::unique_ptr<BlockSource> source = found.open(std::make_unique<MemoryBlockSource>(outer));
    ASSERT_EQ(source->size(), static_cast<std::int64_t>(inner.size()));
    std::vector<std::uint8_t> rebuilt(inner.size());
    ASSERT_EQ(source->readAt(0, rebuilt.data(), source->size()), source->size());
    // Bodies and sequence numbers as held, and each trailer's record check as the system writes it:
    // the held save as it was saved, byte for byte.
    for (std::size_t block = 0; block < inner.size() / kBlock; ++block) {
        auto at = static_cast<std::ptrdiff_t>(block * kBlock);
        ASSERT_TRUE(std::equal(inner.begin() + at, inner.begin() + at + 528, rebuilt.begin() + at)) << block;
    }

    ReaderFixture innerFixture;
    ASSERT_EQ(innerFixture.open(rebuilt), 0);
    EXPECT_EQ(innerFixture.catalog.parts.at(0).name, "SAVRST");
    EXPECT_EQ(innerFixture.object(0).name, "PGM1");
}

TEST(NestedSaveTest, ZeroHeaderCountsReadAsTheTrueCount) {
    std::vector<std::uint8_t> inner = innerSave();
    SaveFileBuilder::putU32(inner, 8, 0);
    SaveFileBuilder::putU32(inner, 60, 0);
    std::vector<std::uint8_t> outer = outerSave(inner, fitting(inner));
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(outer), 0);
    MemoryBlockSource outerSource(outer);
    NestedSave found = NestedSave::locate(outerSource, fixture.catalog, {0, 0});
    ASSERT_EQ(found.state, NestedSave::State::Found) << found.message;
    std::unique_ptr<BlockSource> opened = found.open(std::make_unique<MemoryBlockSource>(outer));
    std::vector<std::uint8_t> header(64);
    ASSERT_EQ(opened->readAt(0, header.data(), 64), 64);
    BigEndianReader reader(header);
    EXPECT_EQ(reader.s32(8), innerBlocks(inner));
    EXPECT_EQ(reader.s32(60), innerBlocks(inner));
}

TEST(NestedSaveTest, CountsThatDoNotFitAreReportedNotCut) {
    std::vector<std::uint8_t> inner = innerSave();
    auto blocks = static_cast<std::uint32_t>(innerBlocks(inner));
    std::vector<std::uint8_t> cisc = inner;
    SaveFileBuilder::putU32(cisc, 52, 512);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> inner;
        OuterShape shape;
        NestedSave::State expected;
    };
    const Case cases[] = {
        {"empty save file", inner, {0, 0, innerBlocks(inner) + 32}, NestedSave::State::Empty},
        {"counts disagree", inner, {blocks, blocks + 1, innerBlocks(inner) + 32}, NestedSave::State::Damaged},
        {"count past the segment",
         inner,
         {blocks + 100, blocks + 100, innerBlocks(inner) + 32},
         NestedSave::State::Damaged},
        {"huge count",
         inner,
         {0xFFFFFFF0u, 0xFFFFFFF0u, innerBlocks(inner) + 32},
         NestedSave::State::Damaged},
        {"header of the CISC era", cisc, fitting(cisc), NestedSave::State::Unsupported},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> outer = outerSave(c.inner, c.shape);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(outer), 0) << c.name;
        MemoryBlockSource source(outer);
        NestedSave found = NestedSave::locate(source, fixture.catalog, {0, 0});
        EXPECT_EQ(found.state, c.expected) << c.name;
        EXPECT_FALSE(found.message.empty()) << c.name;
    }
}

TEST(NestedSaveTest, ObjectsThatHoldNoSave) {
    std::vector<std::uint8_t> inner = innerSave();
    std::vector<std::uint8_t> outer = outerSave(inner, fitting(inner));
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(outer), 0);
    MemoryBlockSource source(outer);
    EXPECT_EQ(NestedSave::locate(source, fixture.catalog, {0, 1}).state, NestedSave::State::NotSaveFile);
    EXPECT_EQ(NestedSave::locate(source, fixture.catalog, {0, 7}).state, NestedSave::State::Missing);
    EXPECT_EQ(NestedSave::locate(source, fixture.catalog, {3, 0}).state, NestedSave::State::Missing);

    std::vector<std::uint8_t> cut = truncatedTo(outer, static_cast<std::int64_t>(outer.size() / kBlock) - 10);
    ReaderFixture cutFixture;
    ASSERT_EQ(cutFixture.open(cut), 0);
    MemoryBlockSource cutSource(cut);
    EXPECT_EQ(NestedSave::locate(cutSource, cutFixture.catalog, {0, 0}).state, NestedSave::State::Damaged);
}

TEST(NestedSaveTest, SourceReadsNothingOutsideItsBlocks) {
    std::vector<std::uint8_t> bytes(4 * kBlock, 0xAB);
    NestedSaveFileSource source(std::make_unique<MemoryBlockSource>(bytes), 2, 5);
    std::vector<std::uint8_t> target(5 * kBlock);
    EXPECT_EQ(source.size(), static_cast<std::int64_t>(5 * kBlock));
    EXPECT_EQ(source.readAt(0, target.data(), source.size()), static_cast<std::int64_t>(2 * kBlock));
    EXPECT_EQ(source.readAt(-1, target.data(), 10), 0);
    EXPECT_EQ(source.readAt(source.size(), target.data(), 10), 0);
    EXPECT_EQ(source.readAt(kBlock + 512, target.data(), 4), 4);
    EXPECT_EQ(target[3], 2);
}

// ANSI_ARCHLIB_v2.FILE: SAVF1's data segment starts at block 992; its block 1001 holds 152 twice,
// and blocks 1016 to 1167 hold the save of library SAVRST (program PGM1). ARCHLIB holds SAVF1
// again. Checked by hand against the file's bytes.
std::unique_ptr<ReaderFixture> openChain(const std::vector<std::string>& nodes,
                                         std::int64_t* size = nullptr) {
    std::string path = (fs::path(QUELVANE_SAVF_DIR) / "ANSI_ARCHLIB_v2.FILE").string();
    std::vector<NestedSave> chain;
    auto fixture = std::make_unique<ReaderFixture>();
    for (std::size_t step = 0; step <= nodes.size(); ++step) {
        std::unique_ptr<BlockSource> source =
            NestedSave::openChain(std::make_unique<FileBlockSource>(path), chain);
        fixture = std::make_unique<ReaderFixture>();
        fixture->catalog.segments.reset();
        SaveFileReader reader(fixture->catalog, fixture->converter, fixture->notifier);
        EXPECT_TRUE(reader.parseSaveFile(path, *source).accepted);
        if (size) {
            *size = source->size();
        }
        if (step == nodes.size()) {
            break;
        }
        const auto& objects = fixture->catalog.parts.at(0).library.objects;
        auto at = std::find_if(objects.begin(), objects.end(),
                               [&](const SavedObject& object) { return object.name == nodes[step]; });
        NestedSave found = NestedSave::locate(*source, fixture->catalog,
                                              {0, static_cast<std::int32_t>(at - objects.begin())});
        EXPECT_EQ(found.state, NestedSave::State::Found) << found.message;
        chain.push_back(found);
    }
    return fixture;
}

TEST(RealNestedSaveTest, SavedSaveFilesOpenRecursively) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    std::int64_t size = 0;
    auto savf1 = openChain({"SAVF1"}, &size);
    EXPECT_EQ(size, 152 * 528);
    EXPECT_EQ(savf1->catalog.header.blockCount, 152);
    EXPECT_EQ(savf1->catalog.parts.at(0).name, "SAVRST");
    EXPECT_EQ(savf1->object(0).name, "PGM1");
    EXPECT_EQ(savf1->object(0).typeCode, 0x0201);

    auto archlib = openChain({"ARCHLIB"});
    EXPECT_EQ(archlib->catalog.parts.at(0).name, "ARCHLIB");
    EXPECT_EQ(archlib->object(0).name, "SAVF1");

    auto deeper = openChain({"ARCHLIB", "SAVF1"});
    EXPECT_EQ(deeper->catalog.parts.at(0).name, "SAVRST");
    EXPECT_EQ(deeper->object(0).name, "PGM1");
}

// JTT_w95lib.savf: PROGS's data segment has its header at block 4232 and 200 blocks; block 4241
// holds 156 twice, block 4256 something else, and blocks 4257 to 4412 a save of the oldest layout
// (SAVOBJ of four CL programs of library W95LIB, V3R1M0). Checked by hand against the bytes.
TEST(RealNestedSaveTest, SaveOfTheCiscEraOpens) {
    if (!fs::is_directory(QUELVANE_SAVF_DIR)) {
        GTEST_SKIP() << "no real save files";
    }
    std::string path = (fs::path(QUELVANE_SAVF_DIR) / "JTT_w95lib.savf").string();
    ReaderFixture fixture;
    fixture.catalog.segments.reset();
    FileBlockSource source(path);
    SaveFileReader(fixture.catalog, fixture.converter, fixture.notifier).parseSaveFile(path, source);
    const auto& objects = fixture.catalog.parts.at(0).library.objects;
    auto at = std::find_if(objects.begin(), objects.end(),
                           [](const SavedObject& object) { return object.name == "PROGS"; });
    ASSERT_NE(at, objects.end());
    NestedSave found =
        NestedSave::locate(source, fixture.catalog, {0, static_cast<std::int32_t>(at - objects.begin())});
    ASSERT_EQ(found.state, NestedSave::State::Found) << found.message;
    EXPECT_EQ(found.firstBlock, 4257);
    EXPECT_EQ(found.blockCount, 156);

    std::unique_ptr<BlockSource> inner = found.open(std::make_unique<FileBlockSource>(path));
    ReaderFixture held;
    held.catalog.segments.reset();
    SaveFileReader reader(held.catalog, held.converter, held.notifier);
    ASSERT_TRUE(reader.parseSaveFile("PROGS", *inner).accepted);
    EXPECT_TRUE(reader.report().complete());
    EXPECT_TRUE(held.catalog.header.oldestLayout);
    EXPECT_EQ(held.catalog.header.systemText, "9406 D80");
    EXPECT_EQ(held.catalog.header.saveCommand, 1);
    EXPECT_EQ(held.library().name, "W95LIB");
    ASSERT_EQ(held.library().objectCount, 4);
    std::string names;
    for (const SavedObject& object : held.library().objects) {
        names += object.name + "/" + object.attribute + "/" + object.details.release.value_or("-") + "/" +
                 std::to_string(object.details.size.value_or(0)) + " ";
    }
    EXPECT_EQ(names,
              "PROG0/CLP/V3R1M0/10752 PROG3/CLP/V3R1M0/13312 PROG25/CLP/V3R1M0/19968 "
              "PROG35/CLP/V3R1M0/28672 ");
}

}  // namespace
}  // namespace quelvane::test
