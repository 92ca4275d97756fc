#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "compression/CompressionKind.h"

namespace quelvane {

// The EBCDIC tags that open every chunk of TERSE ("LD_TRS") and LZ1 ("LD_LZ1") coded data.
inline constexpr std::size_t kChunkTagWidth = 6;
inline constexpr std::array<std::uint8_t, kChunkTagWidth> kTerseChunkTag = {0xD3, 0xC4, 0x6D,
                                                                            0xE3, 0xD9, 0xE2};
inline constexpr std::array<std::uint8_t, kChunkTagWidth> kLz1ChunkTag = {0xD3, 0xC4, 0x6D, 0xD3, 0xE9, 0xF1};

// The kind a chunk tag names, or nothing for bytes that are no chunk tag (or too few of them).
inline std::optional<CompressionKind> chunkTagKind(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kChunkTagWidth) {
        return std::nullopt;
    }
    const auto tag = bytes.first(kChunkTagWidth);
    if (std::equal(tag.begin(), tag.end(), kTerseChunkTag.begin())) {
        return CompressionKind::Terse;
    }
    if (std::equal(tag.begin(), tag.end(), kLz1ChunkTag.begin())) {
        return CompressionKind::Lz1;
    }
    return std::nullopt;
}

}  // namespace quelvane
