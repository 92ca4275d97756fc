#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "compression/ChunkDecoders.h"
#include "compression/CompressionFailure.h"
#include "tests/compression/BitWriter.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// `count` literals of a pattern that never repeats within the 2 KiB window.
BitWriter literals(std::size_t count) {
    BitWriter writer;
    for (std::size_t i = 0; i < count; ++i) {
        writer.literal(static_cast<std::uint8_t>(i * 13 + i / 256));
    }
    return writer;
}

Bytes literalBytes(std::size_t count) {
    Bytes out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 13 + i / 256));
    }
    return out;
}

Bytes decode(const BitWriter& writer, std::size_t size) {
    Bytes out(size);
    out.resize(decodeLz1Chunk(writer.bytes(), out));
    return out;
}

TEST(Lz1Decoder, CopiesEveryLengthCodeWidth) {
    for (std::uint32_t length : {2U, 3U, 4U, 7U, 8U, 15U, 16U, 31U, 32U, 63U, 64U, 127U, 128U, 254U}) {
        BitWriter writer;
        writer.literal(0xC1).copy(length, 1).end();
        EXPECT_EQ(decode(writer, length + 1), Bytes(length + 1, 0xC1)) << "length " << length;
    }
}

TEST(Lz1Decoder, CopiesFromBothDistanceForms) {
    for (std::uint32_t distance : {1U, 127U, 128U, 2047U}) {
        BitWriter writer = literals(2047);
        writer.copy(3, distance).end();
        Bytes expected = literalBytes(2047);
        for (std::size_t i = 0; i < 3; ++i) {
            expected.push_back(expected[2047 - distance + i]);
        }
        EXPECT_EQ(decode(writer, expected.size()), expected) << "distance " << distance;
    }
}

TEST(Lz1Decoder, OverlappingCopyRepeatsItsSource) {
    BitWriter writer;
    writer.literal(0xA1).literal(0xA2).copy(5, 2).end();
    EXPECT_EQ(decode(writer, 7), (Bytes{0xA1, 0xA2, 0xA1, 0xA2, 0xA1, 0xA2, 0xA1}));
}

TEST(Lz1Decoder, EndCodeEndsTheChunkWhereverItComes) {
    EXPECT_TRUE(decode(BitWriter().end(), 16).empty());
    // Bits after the end code are not read; a chunk ending early returns the bytes it has.
    BitWriter writer;
    writer.literal(0x5C).end().literal(0x00);
    EXPECT_EQ(decode(writer, 16), Bytes{0x5C});
}

struct DamagedCase {
    std::string name;
    BitWriter stream;
    std::size_t size;
    std::string reason;
};

TEST(Lz1Decoder, ReportsDamagedStreams) {
    std::vector<DamagedCase> cases = {
        {"copy before the start", BitWriter().literal(1).copy(2, 2).end(), 8, "before the chunk's start"},
        {"copy from an empty history", BitWriter().copy(2, 1).end(), 8, "before the chunk's start"},
        {"no end code", BitWriter().literal(1).literal(2), 8, "ends within a code"},
        {"stream cut inside a copy", BitWriter().literal(1).bits(1, 1).length(9), 16, "ends within a code"},
        {"literal past the output", BitWriter().literal(1).literal(2).literal(3).end(), 2,
         "past the chunk's declared"},
        {"copy past the output", BitWriter().literal(1).copy(4, 1).end(), 4, "past the chunk's declared"},
        {"end code without its 1 bit", BitWriter().bits(1, 1).length(255).bits(0, 1), 8, "end code"},
        {"distance 0", BitWriter().literal(1).copy(2, 0).end(), 8, "distance 0"},
        {"length code of 9 bits", BitWriter().literal(1).bits(1, 1).bits(0, 7).bits(0x1FF, 9), 8,
         "length code"},
    };
    for (const DamagedCase& c : cases) {
        Bytes out(c.size);
        try {
            decodeLz1Chunk(c.stream.bytes(), out);
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const CompressionFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find(c.reason), std::string::npos)
                << c.name << ": " << failure.what();
        }
    }
}

}  // namespace
}  // namespace quelvane::test
