#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "describe/HexDump.h"
#include "describe/ObjectData.h"
#include "savefile/MemoryBlockSource.h"
#include "tests/support/Cp037Converter.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

constexpr std::int64_t kBlock = 528;

// A save file far larger than memory: a segment header at block 1 claiming `blocks` blocks,
// every other block's body filled with the low byte of its block number. Counts what is read.
class HugeSource final : public BlockSource {
  public:
    explicit HugeSource(std::int64_t blocks) : blocks_(blocks) {}

    bool isOpen() const override { return true; }
    std::int64_t size() const override { return (blocks_ + 1) * kBlock; }
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count) override {
        count = std::max<std::int64_t>(0, std::min(count, size() - offset));
        read += count;
        for (std::int64_t i = 0; i < count; ++i) {
            std::int64_t at = offset + i;
            std::int64_t block = at / kBlock;
            std::int64_t within = at % kBlock;
            std::uint8_t value = static_cast<std::uint8_t>(block);
            if (block == 1 && within >= 204 && within < 208) {
                value = static_cast<std::uint8_t>(blocks_ >> (8 * (207 - within)));
            }
            target[i] = value;
        }
        return count;
    }

    std::int64_t read = 0;

  private:
    std::int64_t blocks_;
};

TEST(HexDump, LineLayout) {
    Cp037Converter converter;
    std::vector<std::uint8_t> bytes = SaveFileBuilder::ebcdic("ZIPCLP", 6);
    bytes.insert(bytes.end(), {0x00, 0x15, 0x40, 0x5C});
    EXPECT_EQ(HexDump::line(0x1E00, bytes, converter),
              "00001E00  E9C9D7C3 D3D70015 405C               ZIPCLP.. *");
}

// A page deep inside a 1 GiB object reads the blocks it shows and no more.
TEST(HexDump, PagesThroughAnObjectWithoutLoadingIt) {
    const std::int64_t blocks = (std::int64_t{1} << 30) / 512 + 16;
    HugeSource source(blocks);
    ObjectData data(source, 1, blocks - 1);
    EXPECT_FALSE(data.truncated());
    EXPECT_EQ(data.size(), (blocks - 2) * 512);
    Cp037Converter converter;
    const std::int64_t offset = 900LL * 1024 * 1024 + 500;
    source.read = 0;
    std::vector<std::string> lines = HexDump::page(data, offset + 5, 48, converter);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 8), "384001F0");
    EXPECT_LE(source.read, 2 * kBlock);
    // The block under byte offset + 12 (the first after the body boundary) is the next one.
    std::int64_t first = 2 + offset / 512;
    char expected[8];
    std::snprintf(expected, sizeof expected, "%02X%02X", static_cast<unsigned>(first & 0xFF),
                  static_cast<unsigned>(first & 0xFF));
    EXPECT_EQ(lines[0].substr(10, 4), expected);
    EXPECT_TRUE(HexDump::page(data, data.size(), 64, converter).empty());
    EXPECT_EQ(HexDump::page(data, 0, std::int64_t{1} << 40, converter).size(),
              static_cast<std::size_t>(HexDump::kLargestPage / HexDump::kBytesPerLine));
}

// A segment that claims more blocks than the file holds is cut at the end of the file.
TEST(HexDump, SegmentPastTheEndIsCut) {
    std::vector<std::uint8_t> file(4 * kBlock, 0x40);
    MemoryBlockSource source(file);
    ObjectData data(source, 1, 1000);
    EXPECT_TRUE(data.truncated());
    EXPECT_EQ(data.size(), 2 * 512);
    EXPECT_EQ(data.read(1000, 100).size(), 24u);
    EXPECT_TRUE(data.read(-1, 10).empty());
    ObjectData none(source, 1, -5);
    EXPECT_EQ(none.size(), 0);
}

}  // namespace
}  // namespace quelvane::test
