#include "tests/compression/Lz1Encoder.h"

#include <algorithm>

#include "tests/compression/BitWriter.h"

namespace quelvane::test {

namespace {

constexpr std::size_t kWindow = 2047;
constexpr std::size_t kMinimumLength = 3;
constexpr std::size_t kLongestCopy = 254;
constexpr std::size_t kHashBits = 12;
constexpr std::size_t kChainSteps = 16;

std::size_t hashAt(std::span<const std::uint8_t> data, std::size_t at) {
    std::uint32_t key = (static_cast<std::uint32_t>(data[at]) << 16) |
                        (static_cast<std::uint32_t>(data[at + 1]) << 8) | data[at + 2];
    return (key * 2654435761U) >> (32 - kHashBits);
}

}  // namespace

std::vector<std::uint8_t> Lz1Encoder::encode(std::span<const std::uint8_t> data) {
    BitWriter writer;
    std::vector<std::int64_t> head(std::size_t{1} << kHashBits, -1);
    std::vector<std::int64_t> previous(data.size(), -1);
    auto insert = [&](std::size_t at) {
        if (at + kMinimumLength <= data.size()) {
            std::size_t h = hashAt(data, at);
            previous[at] = head[h];
            head[h] = static_cast<std::int64_t>(at);
        }
    };
    std::size_t at = 0;
    while (at < data.size()) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (at + kMinimumLength <= data.size()) {
            std::int64_t candidate = head[hashAt(data, at)];
            std::size_t limit = std::min(kLongestCopy, data.size() - at);
            for (std::size_t step = 0; candidate >= 0 && step < kChainSteps; ++step) {
                auto from = static_cast<std::size_t>(candidate);
                if (at - from > kWindow) {
                    break;
                }
                std::size_t length = 0;
                while (length < limit && data[from + length] == data[at + length]) {
                    ++length;
                }
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = at - from;
                }
                candidate = previous[from];
            }
        }
        if (bestLength >= kMinimumLength) {
            writer.copy(static_cast<std::uint32_t>(bestLength), static_cast<std::uint32_t>(bestDistance));
        } else {
            bestLength = 1;
            writer.literal(data[at]);
        }
        for (std::size_t i = 0; i < bestLength; ++i) {
            insert(at + i);
        }
        at += bestLength;
    }
    return writer.end().bytes();
}

}  // namespace quelvane::test
