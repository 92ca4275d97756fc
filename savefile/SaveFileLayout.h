#pragma once

#include <array>
#include <cstdint>

namespace quelvane {

// The fixed layout of a save file, stated once for every reader, checker and writer.
//
// A save file is a run of 528-byte blocks: a 512-byte body, then the block's big-endian sequence
// number (block n carries n + 1) and 12 trailer bytes. Block 0 opens with the file header; its
// size is stated at offset 52 in 512-byte units, so the first segment header is the block after
// those units. A segment header is a body starting FF FF FF FF; its 32-bit value at offset 204
// counts the segment's blocks, header included, and its name at offset 4 says what it holds: the
// save/restore descriptor of a library or an integrated-file-system save is named "QSRDSSPC.1".
struct SaveFileLayout {
    // Blocks.
    static constexpr std::int64_t kBlockSize = 528;
    static constexpr std::int64_t kBodySize = 512;
    static constexpr std::int64_t kSequenceOffset = 512;
    static constexpr std::int64_t kSequenceWidth = 4;
    // Every block ends in a 12-byte check of its body and sequence number (RecordCheck), folded
    // with the save's timestamp: the first 8 bytes of block 0.
    static constexpr std::int64_t kRecordCheckOffset = 516;
    static constexpr std::int64_t kRecordCheckWidth = 12;
    static constexpr std::int64_t kTimestampWidth = 8;

    // File header, block 0.
    static constexpr std::int64_t kBlockCount = 8;
    static constexpr std::int64_t kSystemText = 16;
    static constexpr std::int64_t kSystemTextWidth = 32;
    static constexpr std::int64_t kHeaderSize = 52;
    static constexpr std::int64_t kBlockCountCopy = 60;
    // The bytes of block 0 that must be there for its fields to be read.
    static constexpr std::int64_t kMinimumHeader = 64;
    // The last 16 bytes of the data stream (the joined bodies) are kept here, in block 0; the
    // stream's own last 16 bytes (the last body's offsets 496-511) hold a closing value instead.
    static constexpr std::int64_t kRelocatedTail = 64;
    static constexpr std::int64_t kRelocatedTailWidth = 16;
    static constexpr std::int64_t kClosingValue = kBodySize - kRelocatedTailWidth;
    // The header size counts in these units; each unit is one block of the file.
    static constexpr std::int32_t kHeaderUnit = 512;

    // Segment header.
    static constexpr std::array<std::uint8_t, 4> kSegmentMarker = {0xFF, 0xFF, 0xFF, 0xFF};
    static constexpr std::int64_t kSegmentName = 4;
    static constexpr std::int64_t kSegmentNameWidth = 30;
    static constexpr std::int64_t kSegmentBlocks = 204;

    // The descriptor segment's name, as text and in EBCDIC.
    static constexpr char kDescriptorName[] = "QSRDSSPC.1";
    static constexpr std::array<std::uint8_t, 10> kDescriptorNameEbcdic = {0xD8, 0xE2, 0xD9, 0xC4, 0xE2,
                                                                           0xE2, 0xD7, 0xC3, 0x4B, 0xF1};

    // Blocks before the first segment for a header of `headerSize` bytes.
    static constexpr std::int64_t leadingBlocks(std::int32_t headerSize) {
        return headerSize > 0 ? headerSize / kHeaderUnit : 0;
    }
};

}  // namespace quelvane
