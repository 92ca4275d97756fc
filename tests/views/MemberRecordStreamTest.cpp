#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "savefile/MemoryBlockSource.h"
#include "tests/support/ContentFixtures.h"
#include "views/MemberRecordStream.h"

namespace quelvane::test {
namespace {

std::vector<std::uint8_t> recordOf(std::string text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

struct BuiltStream {
    std::vector<std::uint8_t> bytes;
    std::int32_t sequence = 0;
};

BuiltStream buildStream(std::int32_t recordLength, const std::vector<StreamSlot>& slots) {
    SaveFileBuilder builder;
    builder.add(ContentFixtures::memberRecords("FILE1", "MBR1", recordLength, slots));
    SaveFileImage image = builder.build();
    return {image.bytes(), static_cast<std::int32_t>(image.layout.segments.back().headerBlock + 1)};
}

// Each slot as text: "status:record".
std::vector<std::string> readAll(MemberRecordStream& stream) {
    std::vector<std::string> out;
    while (auto slot = stream.nextSlot()) {
        char status[8];
        std::snprintf(status, sizeof status, "%02X:", slot->status);
        out.push_back(status + std::string(slot->record.begin(), slot->record.end()));
    }
    return out;
}

TEST(MemberRecordStream, SkipsTheFirstSlotAndKeepsDeletedSlotsInPlace) {
    BuiltStream built = buildStream(4, {{0x80, recordOf("AAAA")},
                                        {0x80, recordOf("BBBB")},
                                        {0x00, recordOf("gone")},
                                        {0x80, recordOf("CCCC")}});
    MemberRecordStream stream;
    // The segment goes on with empty blocks: slots without a record, up to the record count.
    ASSERT_TRUE(stream.open(std::make_unique<MemoryBlockSource>(built.bytes), built.sequence, 4, 5));
    EXPECT_EQ(readAll(stream), (std::vector<std::string>{"80:AAAA", "80:BBBB", "00:gone", "80:CCCC",
                                                         std::string("00:") + std::string(4, '\0')}));
}

TEST(MemberRecordStream, StopsAfterTheRecordCount) {
    BuiltStream built = buildStream(4, {{0x80, recordOf("AAAA")}, {0x80, recordOf("BBBB")}});
    MemberRecordStream stream;
    ASSERT_TRUE(stream.open(std::make_unique<MemoryBlockSource>(built.bytes), built.sequence, 4, 1));
    EXPECT_EQ(readAll(stream), (std::vector<std::string>{"80:AAAA"}));
    ASSERT_TRUE(stream.open(std::make_unique<MemoryBlockSource>(built.bytes), built.sequence, 4, 0));
    EXPECT_TRUE(readAll(stream).empty());
}

TEST(MemberRecordStream, SlotsSpanBlockBodiesButNotTheirTails) {
    // 200-byte slots: the skipped one and the first two records fill 600 bytes, crossing from the
    // first block's 480 stream bytes into the second block's body.
    std::vector<StreamSlot> slots;
    for (char c : std::string("PQRST")) {
        slots.push_back({0x80, std::vector<std::uint8_t>(199, static_cast<std::uint8_t>(c))});
    }
    BuiltStream built = buildStream(199, slots);
    MemberRecordStream stream;
    ASSERT_TRUE(stream.open(std::make_unique<MemoryBlockSource>(built.bytes), built.sequence, 199, 5));
    std::vector<std::string> read = readAll(stream);
    ASSERT_EQ(read.size(), 5U);
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i], "80:" + std::string(199, "PQRST"[i])) << i;
    }
}

TEST(MemberRecordStream, AShortReadEndsTheStreamQuietly) {
    BuiltStream built =
        buildStream(99, std::vector<StreamSlot>(10, {0x80, std::vector<std::uint8_t>(99, 'r')}));
    // Keep the first stream block (480 stream bytes: the skipped slot and 3 records) and a part
    // of the next block, which is then not read at all.
    built.bytes.resize(static_cast<std::size_t>(built.sequence + 15 + 1) * 528 + 300);
    MemberRecordStream stream;
    ASSERT_TRUE(stream.open(std::make_unique<MemoryBlockSource>(built.bytes), built.sequence, 99, 10));
    EXPECT_EQ(readAll(stream).size(), 3U);
    EXPECT_FALSE(stream.open("no/such/file.savf", built.sequence, 99, 10));
}

TEST(MemberRecordStream, HeaderBlocksComeAtTheStartAndEvery32768BlocksFrom32769) {
    for (std::int64_t block : {0, 32769, 65537, 98305}) {
        EXPECT_TRUE(MemberRecordStream::isHeaderBlock(block)) << block;
    }
    for (std::int64_t block : {1, 32767, 32768, 32770, 65536, 65538}) {
        EXPECT_FALSE(MemberRecordStream::isHeaderBlock(block)) << block;
    }
}

TEST(MemberRecordStream, ASlotStraddlingBlock32769SkipsItsHeader) {
    // 100-byte slots; stream byte 480 + 32768 * 512 is body byte 32 of stream block 32769, inside
    // slot 167776, which the listing shows as record 167775.
    constexpr std::int64_t recordLength = 99;
    constexpr std::int64_t straddling = 167776;
    std::vector<std::uint8_t> slot(100);
    slot[0] = 0x80;
    for (std::size_t i = 1; i < slot.size(); ++i) {
        slot[i] = static_cast<std::uint8_t>('A' + i % 26);
    }
    BuiltSegment segment = ContentFixtures::memberRecords("BIGFILE", "BIGMBR", recordLength, {});
    segment.placements = ContentFixtures::streamPlacements(straddling * 100, slot);
    auto [lastBlock, body] = ContentFixtures::streamPosition(straddling * 100 + 99);
    ASSERT_EQ(lastBlock, 32769);
    ASSERT_EQ(body, 35);
    // The header the stream must skip, written over with bytes no record holds.
    segment.placements.push_back({16 + 32769, 0, std::vector<std::uint8_t>(32, 0x5A)});
    segment.length = static_cast<std::int32_t>(16 + lastBlock + 2);
    SaveFileBuilder builder;
    builder.add(segment);
    SaveFileImage image = builder.build();
    std::filesystem::path path = std::filesystem::temp_directory_path() / "quelvane-stream-32769.savf";
    image.writeTo(path.string(), true);

    MemberRecordStream stream;
    auto sequence = static_cast<std::int32_t>(image.layout.segments.back().headerBlock + 1);
    ASSERT_TRUE(stream.open(path.string(), sequence, recordLength, straddling + 1));
    std::optional<MemberRecordStream::Slot> last;
    std::int64_t count = 0;
    while (auto next = stream.nextSlot()) {
        last = next;
        ++count;
        if (count == straddling) {
            break;
        }
    }
    std::filesystem::remove(path);
    ASSERT_EQ(count, straddling);
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->status, 0x80);
    EXPECT_TRUE(std::equal(last->record.begin(), last->record.end(), slot.begin() + 1));
}

}  // namespace
}  // namespace quelvane::test
