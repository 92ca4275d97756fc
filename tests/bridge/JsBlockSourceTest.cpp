#include "bridge/JsBlockSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bridge/ReadAhead.h"

namespace quelvane::test {
namespace {

constexpr std::int64_t kRun = 64 * 528;

// A file of `size` bytes of a pattern no two nearby offsets share, read through a callback that
// counts its calls and the bytes it copied.
struct CountedFile {
    std::vector<std::uint8_t> bytes;
    int calls = 0;
    std::int64_t copied = 0;

    explicit CountedFile(std::int64_t size) : bytes(static_cast<std::size_t>(size)) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>((i * 131 + (i >> 9)) & 0xFF);
        }
    }

    JsBlockSource source() {
        return JsBlockSource(
            [this](std::int64_t offset, std::uint8_t* target, std::int64_t count) {
                ++calls;
                const std::int64_t length = std::min<std::int64_t>(count, std::ssize(bytes) - offset);
                std::memcpy(target, bytes.data() + offset, static_cast<std::size_t>(length));
                copied += length;
                return length;
            },
            std::ssize(bytes));
    }

    void expectRead(JsBlockSource& source, std::int64_t offset, std::int64_t count) const {
        std::vector<std::uint8_t> got(static_cast<std::size_t>(count));
        const std::int64_t expected = std::clamp<std::int64_t>(std::ssize(bytes) - offset, 0, count);
        ASSERT_EQ(source.readAt(offset, got.data(), count), expected) << "at " << offset;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + expected, bytes.begin() + offset))
            << "at " << offset;
    }
};

TEST(ReadAheadTest, GrowsThroughAPassAndStartsAgainAfterAJump) {
    struct Miss {
        std::int64_t offset;
        std::int64_t length;
    };
    // Each miss reads what it is told; the window held is the one read.
    const std::vector<Miss> misses = {
        {0, ReadAhead::kShortest},                               // the first read
        {ReadAhead::kShortest - 100, 512 * 1024},                // inside the window's end: onward
        {ReadAhead::kShortest - 100 + 512 * 1024, 1024 * 1024},  // at its end: onward
        {50'000'000, ReadAhead::kShortest},                      // a jump
        {50'000'000 + ReadAhead::kShortest, 512 * 1024},
        {10, ReadAhead::kShortest},  // back before the window
    };
    ReadAhead readAhead;
    for (const Miss& miss : misses) {
        EXPECT_EQ(readAhead.lengthAt(miss.offset), miss.length) << "at " << miss.offset;
        readAhead.held(miss.offset, miss.length);
    }
    std::int64_t offset = 0;
    for (int i = 0; i < 12; ++i) {
        const std::int64_t length = readAhead.lengthAt(offset);
        EXPECT_LE(length, ReadAhead::kLongest);
        readAhead.held(offset, length);
        offset += length;
    }
    EXPECT_EQ(readAhead.lengthAt(offset), ReadAhead::kLongest);
}

TEST(JsBlockSourceTest, APassInRunsReadsTheSameBytesInFewCalls) {
    CountedFile file(40 * 1024 * 1024 + 1234);
    JsBlockSource source = file.source();
    for (std::int64_t offset = 0; offset < std::ssize(file.bytes); offset += kRun) {
        file.expectRead(source, offset, kRun);
    }
    // A 256 KiB window throughout would take 161 calls.
    EXPECT_LE(file.calls, 16);
    EXPECT_LE(file.copied, std::ssize(file.bytes) + 16 * kRun);
}

TEST(JsBlockSourceTest, JumpsAndShortReadsGiveTheFileBytes) {
    CountedFile file(12 * 1024 * 1024 + 77);
    JsBlockSource source = file.source();
    const std::int64_t size = std::ssize(file.bytes);
    const std::vector<std::pair<std::int64_t, std::int64_t>> reads = {
        {0, 528},
        {528, 528},
        {size - 100, 528},
        {size - 528, 528},
        {3'000'000, kRun},
        {100, 1},
        {size - 1, 1},
        {5'000'000, ReadAhead::kShortest},
        {5'000'000, 3'000'000},
        {size, 10},
        {7'777'777, 528},
        {0, size},
    };
    for (const auto& [offset, count] : reads) {
        file.expectRead(source, offset, count);
    }
    // Many short reads onward, then the same place again: still the file's bytes.
    for (std::int64_t offset = 1'000'000; offset < 6'000'000; offset += 528) {
        file.expectRead(source, offset, 528);
    }
    file.expectRead(source, 1'000'000, 528);
}

}  // namespace
}  // namespace quelvane::test
