#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "savefile/BigEndianReader.h"

namespace quelvane {

// The layout of the oldest save files (V3R2-era systems). Block 0 carries 11 00 11 00 at offset
// 12 and neither a header size (offset 52) nor a copy of the block count (offset 60); its system
// text is 8 characters, machine type first ("9406 D80"). The file header is one block, so the
// first segment header is block 1, and every segment header is one block: a segment's data, the
// save/restore descriptor included, starts right after it (later files give each header 8
// blocks). A member's record stream starts at body byte 32 of the fourth block after its header
// block, and no save or target release is recorded: the segment headers hold 2000 where later
// files keep the releases.
struct OldestLayout {
    static constexpr std::int64_t kMarkerOffset = 12;
    static constexpr std::array<std::uint8_t, 4> kMarker = {0x11, 0x00, 0x11, 0x00};
    static constexpr std::int64_t kBlockCount = 8;
    static constexpr std::int64_t kHeaderSizeField = 52;
    static constexpr std::int64_t kBlockCountCopy = 60;
    static constexpr std::int64_t kSystemTextWidth = 8;
    // The file header as later files state it: one 512-byte unit.
    static constexpr std::int32_t kHeaderSize = 512;
    // Blocks from a segment header block to its descriptor block: here 1, later 8.
    static constexpr std::int64_t kDescriptorDistance = 1;
    // Blocks from a segment header's sequence number (its block number + 1) to the first block
    // of a member's record stream: here 3, later 15.
    static constexpr std::int32_t kRecordDistance = 3;

    // True when block 0 (at least its first 64 bytes) is laid out this way: the marker, no header
    // size, and at offset 60 either nothing or the count at offset 8 (a save held in a later save
    // may carry the count there).
    static bool matches(const BigEndianReader& block0) {
        if (!block0.contains(0, kBlockCountCopy + 4)) {
            return false;
        }
        std::span<const std::uint8_t> marker = block0.at(kMarkerOffset, kMarker.size());
        std::uint32_t copy = block0.u32(kBlockCountCopy);
        return std::equal(kMarker.begin(), kMarker.end(), marker.begin()) &&
               block0.u32(kHeaderSizeField) == 0 && (copy == 0 || copy == block0.u32(kBlockCount));
    }
};

}  // namespace quelvane
