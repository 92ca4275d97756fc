#include "views/BuiltInHostTable.h"

#include <algorithm>

#include "views/HostDbcsTable.h"

namespace quelvane {

namespace {

constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kShiftIn = 0x0F;

constexpr std::uint16_t kIdeographicSpace = 0xA1A1;
constexpr std::uint16_t kHostSpace = 0x4040;
constexpr std::uint16_t kFirstSymbolCode = 0x4141;
constexpr std::uint16_t kFirstGapCode = 0x46F0;
constexpr std::uint16_t kLastGapCode = 0x489F;
constexpr std::uint16_t kLastHanziCode = 0x6C9F;
constexpr std::uint8_t kLowestLowByte = 0x41;
constexpr std::uint8_t kHighestLowByte = 0xFD;
constexpr std::uint8_t kFirstHanziRow = 0x48;
constexpr std::uint8_t kLastHanziRow = 0x6C;
constexpr std::uint8_t kUnusedLowByte = 0x80;
constexpr std::uint8_t kUpperHalfLowByte = 0xA0;

// The host hanzi rows hold the GB2312 hanzi in the same order: each host row 0x48-0x6C carries
// two GB2312 rows, low bytes 0x41-0x9F the first and 0xA0-0xFD the second.
std::uint16_t mapHanzi(std::uint8_t high, std::uint8_t low) {
    if (low == kUnusedLowByte) {
        return kIdeographicSpace;
    }
    const bool upperHalf = low >= kUpperHalfLowByte;
    const int gbRow = 2 * high + 0x1F + (upperHalf ? 1 : 0);
    int gbCell;
    if (upperHalf) {
        gbCell = low + 1;
    } else if (low < kUnusedLowByte) {
        gbCell = low + 0x60;
    } else {
        gbCell = low + 0x5F;
    }
    return static_cast<std::uint16_t>(gbRow * 256 + gbCell);
}

std::uint16_t mapSymbol(std::uint16_t code) {
    const auto pair =
        std::lower_bound(HostDbcsPairs.begin(), HostDbcsPairs.end(), code,
                         [](const HostDbcsPair& entry, std::uint16_t c) { return entry.host < c; });
    if (pair != HostDbcsPairs.end() && pair->host == code) {
        return pair->gb;
    }
    for (const HostDbcsRange& range : HostDbcsRanges) {
        if (code >= range.first && code <= range.last) {
            return static_cast<std::uint16_t>(range.gb + (code - range.first));
        }
    }
    return kIdeographicSpace;
}

}  // namespace

const std::array<std::uint8_t, 256> BuiltInHostTable = {
    0x00, 0x01, 0x02, 0x03, 0x9C, 0x09, 0x86, 0x1C, 0x97, 0x8D, 0x8E, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,  // 0x
    0x10, 0x11, 0x12, 0x13, 0x9D, 0x85, 0x08, 0x87, 0x18, 0x19, 0x92, 0x8F, 0x1A, 0x1D, 0x1E, 0x1F,  // 1x
    0xD1, 0xD8, 0xDA, 0xE2, 0xE3, 0x0A, 0x17, 0x1B, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x05, 0x06, 0x07,  // 2x
    0x90, 0x91, 0x16, 0x93, 0x94, 0x95, 0x96, 0x04, 0x98, 0x99, 0x9A, 0x9B, 0x14, 0x15, 0x9E, 0x7F,  // 3x
    0x20, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0x80, 0x2E, 0x3C, 0x28, 0x2B, 0x7C,  // 4x
    0x26, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0x21, 0x82, 0x2A, 0x29, 0x3B, 0x81,  // 5x
    0x2D, 0x2F, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0x84, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,  // 6x
    0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0x60, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,  // 7x
    0xC3, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9,  // 8x
    0xCA, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F, 0x70, 0x71, 0x72, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,  // 9x
    0x7E, 0x83, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7,  // Ax
    0x5E, 0xD9, 0x5C, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0x5B, 0x5D, 0xE4, 0xE5, 0xE6, 0xE7,  // Bx
    0x7B, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED,  // Cx
    0x7D, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3,  // Dx
    0x24, 0x9F, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9,  // Ex
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,  // Fx
};

std::uint16_t mapHostDbcs(std::uint16_t code) {
    const auto high = static_cast<std::uint8_t>(code >> 8);
    const auto low = static_cast<std::uint8_t>(code & 0xFF);
    if ((code < kFirstSymbolCode && code != kHostSpace) || (code >= kFirstGapCode && code <= kLastGapCode) ||
        code > kLastHanziCode || low < kLowestLowByte || low > kHighestLowByte) {
        return kIdeographicSpace;
    }
    if (high >= kFirstHanziRow && high <= kLastHanziRow) {
        return mapHanzi(high, low);
    }
    return mapSymbol(code);
}

void convertBuiltInSingle(std::span<const std::uint8_t> bytes, std::string& text) {
    text.resize(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text[i] = static_cast<char>(BuiltInHostTable[bytes[i]]);
    }
}

void convertBuiltInMixed(std::span<const std::uint8_t> bytes, std::string& text) {
    text.clear();
    bool doubleByte = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t byte = bytes[i];
        if (!doubleByte) {
            if (byte == kShiftOut) {
                doubleByte = true;
            } else {
                text.push_back(static_cast<char>(BuiltInHostTable[byte]));
            }
            ++i;
            continue;
        }
        if (byte == kShiftIn) {
            doubleByte = false;
            ++i;
            continue;
        }
        // A lone byte before the shift-in (or at the end) cannot form a code: it is dropped and
        // the shift-in that follows reads as an ordinary byte, as the host's own readers do.
        if (i + 1 == bytes.size() || bytes[i + 1] == kShiftIn) {
            doubleByte = false;
            ++i;
            continue;
        }
        const std::uint16_t gb = mapHostDbcs(static_cast<std::uint16_t>(byte * 256 + bytes[i + 1]));
        text.push_back(static_cast<char>(gb >> 8));
        text.push_back(static_cast<char>(gb & 0xFF));
        i += 2;
    }
}

}  // namespace quelvane
