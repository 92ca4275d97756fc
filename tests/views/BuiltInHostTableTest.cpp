#include "views/BuiltInHostTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "views/HostDbcsTable.h"

namespace quelvane {
namespace {

TEST(BuiltInHostTable, IsAPermutationThatKeepsDigitsAndBlank) {
    std::vector<bool> seen(256, false);
    for (std::uint8_t pc : BuiltInHostTable) {
        EXPECT_FALSE(seen[pc]) << int(pc);
        seen[pc] = true;
    }
    for (int digit = 0; digit <= 9; ++digit) {
        EXPECT_EQ(BuiltInHostTable[0xF0 + digit], '0' + digit);
    }
    EXPECT_EQ(BuiltInHostTable[0x40], ' ');
    EXPECT_EQ(BuiltInHostTable[0xC1], 'A');
    EXPECT_EQ(BuiltInHostTable[0x81], 'a');
    EXPECT_EQ(BuiltInHostTable[0x4B], '.');
    EXPECT_EQ(BuiltInHostTable[0x60], '-');
    EXPECT_EQ(BuiltInHostTable[0x20], 0xD1);
    EXPECT_EQ(BuiltInHostTable[0x00], 0x00);
}

struct MappingCase {
    std::uint16_t host;
    std::uint16_t gb;
};

void expectMappings(const std::vector<MappingCase>& cases) {
    for (const MappingCase& c : cases) {
        EXPECT_EQ(mapHostDbcs(c.host), c.gb) << std::hex << c.host;
    }
}

TEST(MapHostDbcs, MapsListedSymbols) {
    // Pairs, and the first and last codes of ranges.
    expectMappings({{0x4040, 0xA1A1},
                    {0x424A, 0xA1EA},
                    {0x44E4, 0xA1F2},
                    {0x4141, 0xA6C1},
                    {0x4158, 0xA6D8},
                    {0x4161, 0xA6A1},
                    {0x4178, 0xA6B8},
                    {0x46A4, 0xA9A4},
                    {0x46EF, 0xA9EF},
                    {0x42F0, 0xA3B0},
                    {0x42C1, 0xA3C1}});
}

TEST(MapHostDbcs, MapsHanziByRule) {
    // Two GB2312 rows per host row.
    expectMappings({{0x48A0, 0xB0A1},
                    {0x48A1, 0xB0A2},
                    {0x4941, 0xB1A1},
                    {0x497F, 0xB1DF},
                    {0x4981, 0xB1E0},
                    {0x499F, 0xB1FE},
                    {0x49A0, 0xB2A1},
                    {0x49FD, 0xB2FE},
                    {0x6C9F, 0xF7FE}});
}

TEST(MapHostDbcs, GivesTheIdeographicSpaceOtherwise) {
    expectMappings({{0x4880, 0xA1A1},
                    {0x6CA0, 0xA1A1},
                    {0x4140, 0xA1A1},
                    {0x41FE, 0xA1A1},
                    {0x46F0, 0xA1A1},
                    {0x489F, 0xA1A1},
                    {0x4980, 0xA1A1},
                    {0x3F3F, 0xA1A1},
                    {0x0000, 0xA1A1},
                    {0xFFFF, 0xA1A1},
                    {0x4251, 0xA1A1}});
}

TEST(HostDbcsTable, HasTheKnownShape) {
    EXPECT_EQ(HostDbcsPairs.front().host, 0x4040);
    EXPECT_EQ(HostDbcsPairs.front().gb, 0xA1A1);
    EXPECT_EQ(HostDbcsPairs.back().host, 0x44E4);
    EXPECT_TRUE(
        std::is_sorted(HostDbcsPairs.begin(), HostDbcsPairs.end(),
                       [](const HostDbcsPair& a, const HostDbcsPair& b) { return a.host <= b.host; }));

    const auto inGb2312 = [](std::uint16_t gb) {
        return (gb >> 8) >= 0xA1 && (gb >> 8) <= 0xF7 && (gb & 0xFF) >= 0xA1 && (gb & 0xFF) <= 0xFE;
    };
    for (const HostDbcsPair& pair : HostDbcsPairs) {
        EXPECT_TRUE(inGb2312(pair.gb)) << std::hex << pair.host;
    }
    std::uint16_t previousLast = 0;
    for (const HostDbcsRange& range : HostDbcsRanges) {
        EXPECT_LT(range.first, range.last) << std::hex << range.first;
        EXPECT_GT(range.first, previousLast) << std::hex << range.first;
        EXPECT_TRUE(inGb2312(range.gb) &&
                    inGb2312(static_cast<std::uint16_t>(range.gb + range.last - range.first)))
            << std::hex << range.first;
        EXPECT_LE(range.last, 0x46EF);
        previousLast = range.last;
        for (const HostDbcsPair& pair : HostDbcsPairs) {
            EXPECT_FALSE(pair.host >= range.first && pair.host <= range.last) << std::hex << pair.host;
        }
    }
}

std::string bytesOf(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) {
        text.push_back(static_cast<char>(v));
    }
    return text;
}

TEST(ConvertBuiltIn, SingleTranslatesEveryByte) {
    const std::vector<std::uint8_t> bytes = {0xF1, 0x0E, 0x40, 0x00, 0xC1};
    std::string text = "stale";
    convertBuiltInSingle(bytes, text);
    EXPECT_EQ(text, bytesOf({'1', 0x0E, ' ', 0x00, 'A'}));
}

struct MixedCase {
    std::vector<std::uint8_t> bytes;
    std::string text;
};

TEST(ConvertBuiltIn, MixedHandlesShiftCodes) {
    const MixedCase cases[] = {
        {{0xF1, 0x0E, 0x42, 0xF1, 0x0F, 0xF2}, bytesOf({'1', 0xA3, 0xB1, '2'})},
        {{0x0E, 0x48, 0xA0, 0x40, 0x40, 0x0F}, bytesOf({0xB0, 0xA1, 0xA1, 0xA1})},
        // A lone byte before the shift-in is dropped and the shift-in reads as a single byte.
        {{0x0E, 0x42, 0x0F, 0xF3}, bytesOf({0x0F, '3'})},
        {{0x0E, 0x42}, ""},
        {{0x0E, 0x42, 0xF1, 0x42}, bytesOf({0xA3, 0xB1})},
        // Shift-in outside a shift-out is an ordinary byte.
        {{0x0F, 0xF4}, bytesOf({0x0F, '4'})},
        {{}, ""}};
    for (const MixedCase& c : cases) {
        std::string text = "stale";
        convertBuiltInMixed(c.bytes, text);
        EXPECT_EQ(text, c.text);
    }
}

}  // namespace
}  // namespace quelvane
