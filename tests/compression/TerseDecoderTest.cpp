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

constexpr std::uint16_t kEnd = 0;
constexpr std::uint16_t kRecordMark = 257;
constexpr std::uint8_t kBlank = 0x40;

// The code of byte b is b + 1.
constexpr std::uint16_t byteCode(std::uint8_t b) {
    return static_cast<std::uint16_t>(b + 1);
}

Bytes decode(const BitWriter& writer, std::size_t size) {
    Bytes out(size);
    out.resize(decodeTerseChunk(writer.bytes(), out));
    return out;
}

struct TerseCase {
    std::string name;
    BitWriter codes;
    Bytes expected;
};

// Nodes are taken over from 4095 down while the preset chain is untouched, so the node the
// n-th code makes is 4096 - n: it holds that code's string and the next string's first byte.
TEST(TerseDecoder, ExpandsHandBuiltCodes) {
    const std::uint8_t a = 0xC1;
    const std::uint8_t b = 0xC2;
    std::vector<TerseCase> cases = {
        {"bytes", BitWriter().codes({byteCode(0x00), byteCode(a), byteCode(0xFF), kEnd}), {0x00, a, 0xFF}},
        {"new node", BitWriter().codes({byteCode(a), byteCode(b), 4095, kEnd}), {a, b, a, b}},
        {"second node", BitWriter().codes({byteCode(a), byteCode(b), 4095, 4094, kEnd}), {a, b, a, b, b, a}},
        {"node used by the code that completes it",
         BitWriter().codes({byteCode(a), 4095, 4094, kEnd}),
         {a, a, a, a, a, a}},
        {"preset node 258", BitWriter().codes({258, kEnd}), Bytes(2, kBlank)},
        {"preset node 4094", BitWriter().codes({4094, kEnd}), Bytes(3838, kBlank)},
        {"record mark adds nothing",
         BitWriter().codes({byteCode(a), kRecordMark, byteCode(b), kEnd}),
         {a, b}},
        {"node ending in a record mark", BitWriter().codes({byteCode(a), kRecordMark, 4095, kEnd}), {a, a}},
    };
    for (const TerseCase& c : cases) {
        EXPECT_EQ(decode(c.codes, c.expected.size()), c.expected) << c.name;
    }
}

// After code 258, the order from least recently used is 4094 ... 259, then 4095 (made by the
// first code), then 258 (expanded by it): 3836 byte codes later 4095 is the node taken over.
TEST(TerseDecoder, TakesOverNodesInLeastRecentlyUsedOrder) {
    auto stream = [](std::uint16_t last) {
        BitWriter writer;
        writer.codes({258});
        for (int i = 0; i < 3836; ++i) {
            writer.codes({byteCode(static_cast<std::uint8_t>(i))});
        }
        return writer.codes({last, kEnd});
    };
    Bytes out = decode(stream(258), 2 + 3836 + 2);
    EXPECT_EQ(out.size(), 3840U);
    EXPECT_EQ(out.back(), kBlank);
    Bytes big(4000);
    EXPECT_THROW(decodeTerseChunk(stream(4095).bytes(), big), CompressionFailure);
}

struct DamagedCase {
    std::string name;
    BitWriter codes;
    std::size_t size;
    std::string reason;
};

TEST(TerseDecoder, ReportsDamagedStreams) {
    std::vector<DamagedCase> cases = {
        {"first code names node 4095", BitWriter().codes({4095, kEnd}), 8, "node being replaced"},
        {"code names the node being replaced", BitWriter().codes({byteCode(1), 4094, kEnd}), 8,
         "node being replaced"},
        {"no end code", BitWriter().codes({byteCode(1), byteCode(2)}), 8, "ends within a code"},
        {"bytes past the output", BitWriter().codes({byteCode(1), byteCode(2), byteCode(3), kEnd}), 2,
         "past the chunk's declared"},
        {"node past the output", BitWriter().codes({4094, kEnd}), 100, "past the chunk's declared"},
    };
    for (const DamagedCase& c : cases) {
        Bytes out(c.size);
        try {
            decodeTerseChunk(c.codes.bytes(), out);
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const CompressionFailure& failure) {
            EXPECT_NE(std::string(failure.what()).find(c.reason), std::string::npos)
                << c.name << ": " << failure.what();
        }
    }
}

}  // namespace
}  // namespace quelvane::test
