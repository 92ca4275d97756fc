#include <gtest/gtest.h>

#include <filesystem>

#include "savefile/SaveFileReader.h"
#include "tests/savefile/ReaderFixture.h"

namespace quelvane::test {
namespace {

const std::string kRejected = "File: TEST.SAVF  is not save file format form AS/400";

SaveFileBuilder onePart(const std::string& library = "QGPL") {
    SaveFileBuilder builder;
    BuiltPart part;
    part.library = library;
    builder.add(part);
    return builder;
}

// Sizes and block counts decide acceptance; the part list of the previous file survives a
// rejection.
TEST(SaveFileValidation, SizeAndBlockCounts) {
    struct Case {
        const char* what;
        std::int64_t sizeChange;  // bytes added to (or removed from) the built file
        std::optional<std::int32_t> copy;
        bool accepted;
        std::string reason;  // the rejection's second line
    };
    const std::string counted = "Block count 17 disagrees with the file size: the file holds 16 whole blocks";
    const Case cases[] = {
        {"exact block count", 0, {}, true, ""},
        {"one trailing byte", 1, {}, true, ""},
        {"527 trailing bytes", 527, {}, true, ""},
        {"one block missing", -528, {}, false, "Damaged: " + counted},
        {"one byte missing",
         -1,
         {},
         false,
         "Damaged: Size 8975 bytes is not a whole number of 528-byte blocks: 16 blocks and 527 bytes over (1 "
         "short of 17); " +
             counted},
        {"copy at 60 differs", 0, 3, false,
         "Damaged: Block counts disagree: offset 8 says 17, offset 60 says 3; the file holds 17 whole "
         "blocks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFileBuilder builder = onePart();
        builder.blockCountCopy = c.copy;
        std::vector<std::uint8_t> bytes = builder.build().bytes();
        bytes.resize(static_cast<std::size_t>(static_cast<std::int64_t>(bytes.size()) + c.sizeChange));

        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(onePart("EARLIER")), 0);
        EXPECT_EQ(fixture.open(bytes), c.accepted ? 0 : -1);
        if (c.accepted) {
            EXPECT_TRUE(fixture.notifier.entries.empty());
            EXPECT_EQ(fixture.catalog.header.damageNotes.size(), c.sizeChange == 0 ? 0u : 1u);
            EXPECT_EQ(fixture.catalog.parts.at(0).name, "QGPL");
        } else {
            EXPECT_EQ(fixture.notifier.texts(), std::vector<std::string>{kRejected + "\n" + c.reason});
            EXPECT_EQ(fixture.catalog.parts.at(0).name, "EARLIER");
            EXPECT_EQ(fixture.catalog.header.headerSize, 0);
            EXPECT_EQ(fixture.catalog.header.systemText, "");
        }
    }
}

TEST(SaveFileValidation, ShortAndEmptyFiles) {
    ReaderFixture fixture;
    EXPECT_EQ(fixture.open(std::vector<std::uint8_t>(63, 0)), -1);
    EXPECT_EQ(fixture.notifier.texts(),
              std::vector<std::string>{kRejected + "\nNot a save file: 63 bytes, less than one block"});

    // 64 zero bytes: both block counts 0 agree with 64 / 528 = 0, but a save file holds at least
    // the block of its header, so the file is rejected as the check rejects it.
    ReaderFixture zeros;
    EXPECT_EQ(zeros.open(std::vector<std::uint8_t>(64, 0)), -1);
    ASSERT_EQ(zeros.notifier.texts().size(), 1u);
    EXPECT_EQ(zeros.notifier.texts()[0].rfind(kRejected + "\n", 0), 0u) << zeros.notifier.texts()[0];
    EXPECT_TRUE(zeros.catalog.parts.empty());
    EXPECT_EQ(zeros.catalog.segments.fillCount(), 0);
}

TEST(SaveFileValidation, UnopenableFileIsRejected) {
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    std::string path = (std::filesystem::temp_directory_path() / "quelvane-no-such-file.savf").string();
    EXPECT_FALSE(reader.parseSaveFile(path).accepted);
    EXPECT_EQ(
        notifier.texts(),
        std::vector<std::string>{
            "File: " + path + "  is not save file format form AS/400\nNot a save file: it cannot be read"});
}

// A rejection keeps its reason in the parse report as well as below the fixed message.
TEST(SaveFileValidation, ARejectionKeepsItsReasonInTheReport) {
    Catalog catalog;
    Cp037Converter converter;
    RecordingNotifier notifier;
    SaveFileReader reader(catalog, converter, notifier);
    std::string path = (std::filesystem::temp_directory_path() / "quelvane-no-such-file.savf").string();
    EXPECT_FALSE(reader.parseSaveFile(path).accepted);
    EXPECT_FALSE(reader.report().accepted);
    EXPECT_EQ(reader.report().stop, ParseReport::Stop::NotASaveFile);
    EXPECT_EQ(reader.report().detail, "Not a save file: it cannot be read");
}

TEST(SaveFileHeader, FileLevelValues) {
    SaveFileBuilder builder = onePart();
    builder.systemText = "  41A 8286  ";
    builder.headerSize = 4096;
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    const SaveFileHeader& header = fixture.catalog.header;
    EXPECT_EQ(header.systemText, "41A 8286");
    EXPECT_EQ(header.headerSize, 4096);
    EXPECT_EQ(header.blockCount, builder.build().blockTotal);
    EXPECT_EQ(header.saveCommand, 0);
    EXPECT_EQ(header.directoryStart, 80);
}

// The first examined block is (header size / 512) x 528; the builder starts the first segment
// there, so a part is found only when the reader looks in the same place.
TEST(SegmentWalk, HeaderSizeChoosesFirstExaminedBlock) {
    for (std::int32_t headerSize : {512, 1000, 4096}) {
        SCOPED_TRACE(headerSize);
        SaveFileBuilder builder = onePart();
        builder.headerSize = headerSize;
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(builder), 0);
        ASSERT_EQ(fixture.catalog.parts.size(), 1u);
        EXPECT_EQ(fixture.catalog.segments.slot(0).sequence, headerSize / 512 + 1);
    }
    // A header size beyond the end of the file, or negative, finds nothing.
    for (std::int32_t headerSize : {1 << 30, -4096}) {
        SaveFileBuilder builder = onePart();
        std::vector<std::uint8_t> bytes = builder.build().bytes();
        SaveFileBuilder::putU32(bytes, 52, static_cast<std::uint32_t>(headerSize));
        ReaderFixture fixture;
        EXPECT_EQ(fixture.open(bytes), 0);
        EXPECT_TRUE(fixture.catalog.parts.empty());
    }
}

TEST(SegmentWalk, LibraryDescriptorPlacement) {
    struct Case {
        std::uint32_t v;
        std::int64_t blocksAfterDescriptor;
    };
    for (Case c : {Case{256, 0}, Case{512, 0}, Case{1024, 2}, Case{1500, 2}, Case{4096, 8}}) {
        SCOPED_TRACE(c.v);
        SaveFileBuilder builder;
        BuiltPart part;
        part.library = "MYLIB";
        part.descriptorOffset = c.v;
        part.objects = {plainObject("PGM1", 0x0201, "CLP")};
        builder.add(part);
        SaveFileImage image = builder.build();
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(image.bytes()), 0);
        ASSERT_EQ(fixture.catalog.parts.size(), 1u);
        const SavedPart& found = fixture.catalog.parts[0];
        EXPECT_EQ(found.name, "MYLIB");
        EXPECT_EQ(found.library.name, "MYLIB");
        EXPECT_EQ(found.descriptorOffset, static_cast<std::int32_t>(c.v));
        EXPECT_EQ(found.libraryBlock, image.layout.parts[0].descriptorBlock + c.blocksAfterDescriptor + 1);
        EXPECT_EQ(found.partCount, 1);
        if (c.v != 512) {  // with V = 512 the directory would start inside the library descriptor
            ASSERT_EQ(found.library.objectCount, 1);
            EXPECT_EQ(fixture.object(0).name, "PGM1");
            EXPECT_EQ(fixture.object(0).attribute, "CLP");
        }
    }
}

TEST(SegmentWalk, SysbasAndSaveCommandFollowTheLastDescriptor) {
    struct Case {
        bool firstSysbas, lastSysbas;
        std::uint8_t firstCommand, lastCommand;
        std::int32_t directoryStart;
    };
    for (Case c : {Case{false, true, 1, 0, 112}, Case{true, false, 0, 1, 80}, Case{true, true, 1, 1, 112}}) {
        SaveFileBuilder builder;
        BuiltPart first, last;
        first.library = "FIRST";
        first.sysbas = c.firstSysbas;
        first.saveCommand = c.firstCommand;
        last.library = "LAST";
        last.sysbas = c.lastSysbas;
        last.saveCommand = c.lastCommand;
        builder.add(first).add(last);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(builder), 0);
        ASSERT_EQ(fixture.catalog.parts.size(), 2u);
        EXPECT_EQ(fixture.catalog.parts[1].name, "LAST");
        EXPECT_EQ(fixture.catalog.parts[0].partCount, 2);
        EXPECT_EQ(fixture.catalog.header.directoryStart, c.directoryStart);
        EXPECT_EQ(fixture.catalog.header.saveCommand, c.lastCommand);
    }
}

TEST(SegmentWalk, SegmentTableInFileOrder) {
    SaveFileBuilder builder = onePart();
    builder.add(BuiltSegment{"CUSTMAST  MBR1", 24, true, {}});
    builder.add(BuiltSegment{std::string(30, ' '), 16, true, {}});
    builder.add(BuiltSegment{"  PADDED  ", 16, true, {}});
    builder.add(BuiltSegment{"NOMARKER", 16, false, {}});
    builder.add(BuiltSegment{"LAST", 16, true, {}});
    SaveFileImage image = builder.build();
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(image.bytes()), 0);

    const SegmentTable& table = fixture.catalog.segments;
    ASSERT_EQ(table.fillCount(), 5);
    std::vector<std::string> names;
    for (int i = 0; i < table.fillCount(); ++i) {
        names.push_back(table.slot(i).name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"QSRDSSPC.1", "CUSTMAST  MBR1", "", "PADDED", "LAST"}));
    EXPECT_EQ(table.slot(1).length, 24);
    EXPECT_EQ(table.slot(1).sequence, image.layout.segments[1].headerBlock + 1);
    EXPECT_EQ(table.slot(4).sequence, image.layout.segments[5].headerBlock + 1);
}

TEST(SegmentWalk, ZeroLengthEndsTheWalk) {
    SaveFileBuilder builder;
    builder.add(BuiltSegment{"FIRST", 16, true, {}});
    builder.add(BuiltSegment{"STOP", 0, true, {}});
    builder.add(BuiltSegment{"NEVER", 16, true, {}});
    BuiltPart part;
    builder.add(part);
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(builder), 0);
    EXPECT_EQ(fixture.catalog.segments.fillCount(), 2);
    EXPECT_EQ(fixture.catalog.segments.slot(1).name, "STOP");
    EXPECT_TRUE(fixture.catalog.parts.empty());
}

// Sequence numbers that lead back to an earlier block would make the walk go round for ever.
TEST(SegmentWalk, BackwardChainEnds) {
    SaveFileBuilder builder = onePart();
    builder.add(BuiltSegment{"SECOND", 16, true, {}});
    builder.add(BuiltSegment{"THIRD", 16, true, {}});
    SaveFileImage image = builder.build();
    std::vector<std::uint8_t> bytes = image.bytes();
    std::int64_t second = image.layout.segments[1].headerBlock;
    for (std::uint32_t sequence :
         {static_cast<std::uint32_t>(second - 15), static_cast<std::uint32_t>(second), 0x80000000u}) {
        SCOPED_TRACE(sequence);
        std::vector<std::uint8_t> spoiled = bytes;
        SaveFileBuilder::putU32(spoiled, static_cast<std::size_t>(second * 528 + 512), sequence);
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(spoiled), 0);
        EXPECT_EQ(fixture.catalog.segments.fillCount(), 2);
        EXPECT_EQ(fixture.catalog.parts.size(), 1u);
    }
}

TEST(SegmentWalk, DescriptorNeedsTagsAndName) {
    struct Case {
        std::size_t offset;
        std::uint8_t value;
    };
    for (Case c : {Case{34, 0x18}, Case{35, 0xDC}, Case{45, 0xF2}}) {
        SaveFileBuilder builder = onePart();
        SaveFileImage image = builder.build();
        std::vector<std::uint8_t> bytes = image.bytes();
        bytes[static_cast<std::size_t>(image.layout.parts[0].descriptorBlock * 528) + c.offset] = c.value;
        ReaderFixture fixture;
        ASSERT_EQ(fixture.open(bytes), 0);
        EXPECT_TRUE(fixture.catalog.parts.empty()) << c.offset;
    }
}

// Past 1000 parts the rest are left out; past 90000 segment headers the table is full but the
// walk goes on, so later descriptors are still found.
TEST(SegmentWalk, Capacities) {
    SaveFileBuilder parts;
    for (int i = 0; i < 1001; ++i) {
        BuiltPart part;
        part.library = "L" + std::to_string(i);
        part.saveCommand = i == 1000 ? 1 : 0;
        parts.add(part);
    }
    ReaderFixture many;
    ASSERT_EQ(many.open(parts), 0);
    ASSERT_EQ(many.catalog.parts.size(), 1000u);
    EXPECT_EQ(many.catalog.parts.back().name, "L999");
    EXPECT_EQ(many.catalog.parts.back().partCount, 1000);
    EXPECT_EQ(many.catalog.header.saveCommand, 0);

    SaveFileBuilder segments;
    for (int i = 0; i < SegmentTable::kCapacity; ++i) {
        segments.add(BuiltSegment{"S", 1, true, {}});
    }
    BuiltPart last;
    last.library = "AFTER";
    segments.add(last);
    ReaderFixture full;
    ASSERT_EQ(full.open(segments), 0);
    EXPECT_EQ(full.catalog.segments.fillCount(), SegmentTable::kCapacity);
    ASSERT_EQ(full.catalog.parts.size(), 1u);
    EXPECT_EQ(full.catalog.parts[0].name, "AFTER");
}

// The walk reads the examined blocks, the descriptor candidates and the library blocks, never
// the blocks in between.
TEST(SegmentWalk, ReadsOnlyTheBlocksItNeeds) {
    SaveFileBuilder builder = onePart();
    for (int i = 0; i < 50; ++i) {
        builder.add(BuiltSegment{"BIG", 400, true, {}});
    }
    SaveFileImage image = builder.build();
    ReaderFixture fixture;
    ASSERT_EQ(fixture.open(image.bytes()), 0);
    EXPECT_EQ(fixture.catalog.segments.fillCount(), 51);
    EXPECT_LT(fixture.bytesRead, static_cast<std::uint64_t>(image.blockTotal * 528 / 50));
}

}  // namespace
}  // namespace quelvane::test
