#include "describe/HexDump.h"

#include <algorithm>
#include <cstdio>

namespace quelvane {

namespace {

constexpr std::int64_t kGroupSize = 4;
constexpr int kOffsetDigits = 8;
// EBCDIC bytes below the blank and 0xFF are control characters in every EBCDIC page, and
// converted bytes below the blank cannot be shown: both show as a dot.
constexpr std::uint8_t kEbcdicBlank = 0x40;
constexpr std::uint8_t kEbcdicEightOnes = 0xFF;
constexpr std::uint8_t kFirstShown = 0x20;
constexpr std::uint8_t kDelete = 0x7F;

}  // namespace

std::string HexDump::line(std::int64_t offset, std::span<const std::uint8_t> bytes,
                          EbcdicTextConverter& converter) {
    static const char kDigits[] = "0123456789ABCDEF";
    char head[32];
    std::snprintf(head, sizeof head, "%0*llX ", kOffsetDigits, static_cast<unsigned long long>(offset));
    std::string out = head;
    for (std::int64_t i = 0; i < kBytesPerLine; ++i) {
        if (i % kGroupSize == 0) {
            out += ' ';
        }
        if (i < static_cast<std::int64_t>(bytes.size())) {
            out += kDigits[bytes[static_cast<std::size_t>(i)] >> 4];
            out += kDigits[bytes[static_cast<std::size_t>(i)] & 0x0F];
        } else {
            out += "  ";
        }
    }
    std::string text(bytes.size(), '.');
    if (!bytes.empty() && converter.ConvertEbcdicText(bytes.data(), bytes.size(),
                                                      reinterpret_cast<std::uint8_t*>(text.data())) != 0) {
        text.assign(bytes.size(), '.');
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto shown = static_cast<std::uint8_t>(text[i]);
        if (bytes[i] < kEbcdicBlank || bytes[i] == kEbcdicEightOnes || shown < kFirstShown ||
            shown == kDelete) {
            text[i] = '.';
        }
    }
    return out + "  " + text;
}

std::vector<std::string> HexDump::page(const ObjectData& data, std::int64_t offset, std::int64_t count,
                                       EbcdicTextConverter& converter) {
    std::vector<std::string> lines;
    offset = std::max<std::int64_t>(offset, 0);
    offset -= offset % kBytesPerLine;
    count = std::clamp<std::int64_t>(count, 0, kLargestPage);
    std::vector<std::uint8_t> bytes = data.read(offset, count);
    std::span<const std::uint8_t> all(bytes);
    for (std::size_t at = 0; at < all.size(); at += kBytesPerLine) {
        std::size_t take = std::min<std::size_t>(kBytesPerLine, all.size() - at);
        lines.push_back(line(offset + static_cast<std::int64_t>(at), all.subspan(at, take), converter));
    }
    return lines;
}

}  // namespace quelvane
