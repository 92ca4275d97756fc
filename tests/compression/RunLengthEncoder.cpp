#include "tests/compression/RunLengthEncoder.h"

#include <algorithm>

namespace quelvane::test {

namespace {

constexpr std::size_t kShortestRun = 3;
constexpr std::size_t kLongestRun = 63;
constexpr std::size_t kLongestLiteral = 127;
constexpr std::uint8_t kBlank = 0x40;
constexpr std::uint8_t kBlankControl = 0x80;
constexpr std::uint8_t kRepeatControl = 0xC0;

std::size_t runAt(std::span<const std::uint8_t> data, std::size_t at) {
    std::size_t end = at + 1;
    while (end < data.size() && end - at < kLongestRun && data[end] == data[at]) {
        ++end;
    }
    return end - at;
}

}  // namespace

std::vector<std::uint8_t> RunLengthEncoder::encode(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    std::size_t at = 0;
    while (at < data.size()) {
        std::size_t run = runAt(data, at);
        if (run >= kShortestRun) {
            if (data[at] == kBlank) {
                out.push_back(static_cast<std::uint8_t>(kBlankControl | run));
            } else {
                out.push_back(static_cast<std::uint8_t>(kRepeatControl | run));
                out.push_back(data[at]);
            }
            at += run;
            continue;
        }
        std::size_t end = at;
        while (end < data.size() && end - at < kLongestLiteral && runAt(data, end) < kShortestRun) {
            ++end;
        }
        out.push_back(static_cast<std::uint8_t>(end - at));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    return out;
}

}  // namespace quelvane::test
