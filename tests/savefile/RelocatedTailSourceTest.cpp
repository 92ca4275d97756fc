#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

#include "savefile/MemoryBlockSource.h"
#include "savefile/RelocatedTailSource.h"
#include "tests/support/SaveFileBuilder.h"

namespace quelvane::test {
namespace {

constexpr std::size_t kBlock = 528;
constexpr std::size_t kKept = 64;
constexpr std::size_t kClosing = 496;

// Blocks of counting bytes, the header's count at 8, 16 kept bytes (A0...) in block 0 at 64-79.
std::vector<std::uint8_t> save(std::size_t blocks, std::uint32_t count) {
    std::vector<std::uint8_t> bytes(blocks * kBlock);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
    SaveFileBuilder::putU32(bytes, 8, count);
    for (std::size_t i = 0; i < 16; ++i) {
        bytes[kKept + i] = static_cast<std::uint8_t>(0xA0 + i);
    }
    return bytes;
}

std::vector<std::uint8_t> readAll(BlockSource& source) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(source.size()));
    out.resize(static_cast<std::size_t>(source.readAt(0, out.data(), source.size())));
    return out;
}

// What the source should give: block 0's 64-79 zero, the kept bytes at `tail` when it is set.
std::vector<std::uint8_t> meant(std::vector<std::uint8_t> bytes, std::optional<std::size_t> tail) {
    const std::vector<std::uint8_t> kept(bytes.begin() + kKept, bytes.begin() + kKept + 16);
    std::fill_n(bytes.begin() + kKept, 16, 0);
    if (tail) {
        std::copy(kept.begin(), kept.end(), bytes.begin() + static_cast<std::ptrdiff_t>(*tail));
    }
    return bytes;
}

TEST(RelocatedTailSource, KeptBytesGoBackToTheEndOfTheStream) {
    struct Case {
        const char* what;
        std::size_t blocks;
        std::uint32_t count;
        std::optional<std::size_t> tail;
    };
    const Case cases[] = {
        {"the count names the last block", 4, 4, 3 * kBlock + kClosing},
        {"blocks after the counted ones", 5, 3, 2 * kBlock + kClosing},
        {"a count of 0: the last whole block", 3, 0, 2 * kBlock + kClosing},
        {"cut before its counted end", 3, 9, std::nullopt},
        {"one block: back into block 0", 1, 1, kClosing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> bytes = save(c.blocks, c.count);
        MemoryBlockSource stored(bytes);
        RelocatedTailSource source(stored);
        EXPECT_EQ(source.size(), stored.size());
        EXPECT_EQ(source.tailOffset(), c.tail ? static_cast<std::int64_t>(*c.tail) : -1);
        const std::vector<std::uint8_t> want = meant(bytes, c.tail);
        EXPECT_EQ(readAll(source), want);
        // Reads of any size and place give the same bytes: one byte at a time, and runs that
        // start and end inside the kept bytes.
        for (std::size_t at = 0; at < bytes.size(); at += 7) {
            std::uint8_t one = 0;
            ASSERT_EQ(source.readAt(static_cast<std::int64_t>(at), &one, 1), 1);
            ASSERT_EQ(one, want[at]) << at;
        }
        std::vector<std::uint8_t> part(20);
        for (std::size_t at : {std::size_t{60}, std::size_t{70}, c.tail.value_or(0) + 8}) {
            const std::int64_t got = source.readAt(static_cast<std::int64_t>(at), part.data(), 20);
            ASSERT_GT(got, 0);
            EXPECT_TRUE(
                std::equal(part.begin(), part.begin() + got, want.begin() + static_cast<std::ptrdiff_t>(at)));
        }
    }
}

// Too short to hold the kept bytes: read as stored; past the end and before the start, nothing.
TEST(RelocatedTailSource, ShortAndOutsideReads) {
    for (std::size_t size : {std::size_t{0}, std::size_t{40}, std::size_t{79}}) {
        std::vector<std::uint8_t> bytes(size, 0x5A);
        MemoryBlockSource stored(bytes);
        RelocatedTailSource source(stored);
        EXPECT_EQ(source.tailOffset(), -1);
        EXPECT_EQ(readAll(source), bytes);
    }
    std::vector<std::uint8_t> bytes = save(2, 2);
    RelocatedTailSource source(std::make_unique<MemoryBlockSource>(bytes));
    std::uint8_t byte = 0;
    EXPECT_EQ(source.readAt(-1, &byte, 1), 0);
    EXPECT_EQ(source.readAt(static_cast<std::int64_t>(bytes.size()), &byte, 1), 0);
    EXPECT_EQ(RelocatedTailSource::over(nullptr), nullptr);
}

}  // namespace
}  // namespace quelvane::test
