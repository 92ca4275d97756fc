#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compression/CompressionFailure.h"
#include "compression/RunLengthDecoder.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kBlank = 0x40;

Bytes counting(std::size_t count) {
    Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    }
    return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

struct RunCase {
    std::string name;
    Bytes input;
    Bytes expected;
};

// Literal runs reach 127 bytes, blank and repeat runs 63: the boundaries of each control range.
std::vector<RunCase> runCases() {
    return {
        {"literal 1", {0x01, 0xAB}, {0xAB}},
        {"literal 63", concat({{0x3F}, counting(63)}), counting(63)},
        {"literal 127", concat({{0x7F}, counting(127)}), counting(127)},
        {"blank 1", {0x81}, {kBlank}},
        {"blank 63", {0xBF}, Bytes(63, kBlank)},
        {"repeat 1", {0xC1, 0x00}, {0x00}},
        {"repeat 63", {0xFF, 0xF0}, Bytes(63, 0xF0)},
        {"mixed", concat({{0x02, 0xC1, 0xC2, 0x83, 0xC4, 0x5C, 0x01, 0x00}}),
         concat({{0xC1, 0xC2}, Bytes(3, kBlank), Bytes(4, 0x5C), {0x00}})},
    };
}

TEST(RunLengthDecoder, ExpandsEachRunKindAtItsBoundaries) {
    for (const RunCase& c : runCases()) {
        RunLengthDecoder decoder;
        Bytes out(c.expected.size());
        std::span<const std::uint8_t> input(c.input);
        EXPECT_EQ(decoder.decode(input, out), c.expected.size()) << c.name;
        EXPECT_EQ(out, c.expected) << c.name;
        EXPECT_TRUE(input.empty()) << c.name;
        EXPECT_TRUE(decoder.betweenRuns()) << c.name;
    }
}

// Feeds the input in two pieces split at `inputSplit` and takes the output in two windows split
// at `outputSplit`, as a reader resuming at checkpoints does.
Bytes decodeInPieces(const Bytes& input, std::size_t inputSplit, std::size_t total, std::size_t outputSplit) {
    RunLengthDecoder decoder;
    Bytes out(total);
    std::span<const std::uint8_t> pieces[2] = {std::span(input).first(inputSplit),
                                               std::span(input).subspan(inputSplit)};
    std::size_t piece = 0;
    std::size_t written = 0;
    for (int calls = 0; written < total && calls < 8; ++calls) {
        std::size_t end = written < outputSplit ? outputSplit : total;
        written += decoder.decode(pieces[piece], std::span(out).subspan(written, end - written));
        if (pieces[piece].empty() && piece == 0) {
            piece = 1;
        }
    }
    out.resize(written);
    return out;
}

TEST(RunLengthDecoder, ResumesWithInputAndOutputSplitAnywhere) {
    const Bytes input = concat({{0x03, 0x11, 0x22, 0x33, 0x84, 0xC5, 0x5C, 0x01, 0x00, 0x82}});
    const Bytes expected =
        concat({{0x11, 0x22, 0x33}, Bytes(4, kBlank), Bytes(5, 0x5C), {0x00}, Bytes(2, kBlank)});
    for (std::size_t i = 0; i <= input.size(); ++i) {
        for (std::size_t o = 0; o <= expected.size(); ++o) {
            EXPECT_EQ(decodeInPieces(input, i, expected.size(), o), expected)
                << "input split " << i << ", output split " << o;
        }
    }
}

TEST(RunLengthDecoder, StopsPartWayThroughARunWhenTheInputEnds) {
    struct Case {
        Bytes input;
        std::size_t written;
    };
    for (const Case& c : {Case{{0x05, 0x01, 0x02}, 2}, Case{{0xC5}, 0}}) {
        RunLengthDecoder decoder;
        Bytes out(5);
        std::span<const std::uint8_t> input(c.input);
        EXPECT_EQ(decoder.decode(input, out), c.written);
        EXPECT_FALSE(decoder.betweenRuns());
    }
}

TEST(RunLengthDecoder, RejectsAZeroControlByte) {
    RunLengthDecoder decoder;
    Bytes out(4);
    const Bytes bytes = {0x01, 0xAA, 0x00, 0x01};
    std::span<const std::uint8_t> input(bytes);
    EXPECT_THROW(decoder.decode(input, out), CompressionFailure);
}

}  // namespace
}  // namespace quelvane::test
