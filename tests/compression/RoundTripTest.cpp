#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compression/ChunkDecoders.h"
#include "compression/RunLengthDecoder.h"
#include "tests/compression/GeneratedRecords.h"
#include "tests/compression/Lz1Encoder.h"
#include "tests/compression/RunLengthEncoder.h"
#include "tests/compression/TerseEncoder.h"

namespace quelvane::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kChunk = 0x8000;

struct Sample {
    std::string name;
    Bytes data;
};

// Records, a chunk of blanks (longer than any preset chain), and bytes with no repeats at all.
std::vector<Sample> samples() {
    std::mt19937 random(7);
    Bytes noise(kChunk);
    for (auto& byte : noise) {
        byte = static_cast<std::uint8_t>(random());
    }
    return {{"records", generatedRecords(kChunk)}, {"blanks", Bytes(kChunk, 0x40)}, {"noise", noise}};
}

TEST(RoundTrip, ChunkDecodersExpandWhatTheEncodersMade) {
    TerseEncoder terse;
    for (const Sample& sample : samples()) {
        Bytes out(sample.data.size());
        EXPECT_EQ(decodeLz1Chunk(Lz1Encoder::encode(sample.data), out), out.size()) << sample.name;
        EXPECT_EQ(out, sample.data) << "LZ1 " << sample.name;
        std::fill(out.begin(), out.end(), 0);
        EXPECT_EQ(decodeTerseChunk(terse.encode(sample.data), out), out.size()) << sample.name;
        EXPECT_EQ(out, sample.data) << "TERSE " << sample.name;
    }
}

TEST(RoundTrip, RunLengthDecoderExpandsWhatTheEncoderMade) {
    for (const Sample& sample : samples()) {
        Bytes code = RunLengthEncoder::encode(sample.data);
        std::span<const std::uint8_t> input(code);
        Bytes out(sample.data.size());
        RunLengthDecoder decoder;
        EXPECT_EQ(decoder.decode(input, out), out.size()) << sample.name;
        EXPECT_EQ(out, sample.data) << sample.name;
    }
}

}  // namespace
}  // namespace quelvane::test
