#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "compression/CompressionKind.h"
#include "conversion/EbcdicTextConverter.h"
#include "savefile/BlockSource.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

// Where each segment of a save file lies in the stored file and where it lies once expanded.
//
// A segment is a 512-byte header starting FF FF FF FF followed by N - 1 data blocks, N being the
// header's 32-bit value at offset 204. With data compression the header is still stored and N
// still counts the expanded blocks, but the data after it is coded: the 32-bit value at header
// offset 0x174 is then the byte length of the coded data (0 when the segment is stored), and the
// next header follows it at once when FF FF FF FF is there, else after zero padding to the next
// 512-byte boundary, so headers can sit in the middle of a block. Saves of the V4R4 era have no
// length at 0x174: there the 32-bit value at offset 72 counts the stored data blocks, which is
// N - 1 for a stored segment and fewer for one whose data is a single run-length stream.
//
// Coded data that starts with EBCDIC "LD_TRS" or "LD_LZ1" is a run of TERSE or LZ1 chunks;
// any other coded data is one run-length stream.
struct SegmentPlacement {
    std::string name;
    CompressionKind kind = CompressionKind::Stored;
    std::int64_t headerOffset = 0;  // body offset of the header in the stored file
    std::int64_t dataOffset = 0;    // body offset of the data that follows it
    std::int64_t dataLength = 0;    // stored bytes of data
    std::int64_t blocks = 0;        // N: header and data blocks once expanded
    std::int64_t firstBlock = 0;    // block number of the header in the expanded image
};

class SegmentLayout {
  public:
    static constexpr std::int64_t kLengthOffset = SaveFileLayout::kSegmentBlocks;
    static constexpr std::int64_t kStoredBlocksOffset = 72;
    static constexpr std::int64_t kCodedLengthOffset = 0x174;
    static constexpr std::int64_t kNameOffset = SaveFileLayout::kSegmentName;
    static constexpr std::int64_t kNameWidth = SaveFileLayout::kSegmentNameWidth;

    // Follows the chain of segment headers from the first block after the file header
    // (`headerSize` bytes, in 512-byte units) to the first place where no header stands. Reads one
    // header per segment; bounded by the file's size.
    static std::shared_ptr<const SegmentLayout> scan(BlockSource& source, std::int32_t headerSize,
                                                     EbcdicTextConverter& converter);

    const std::vector<SegmentPlacement>& segments() const { return segments_; }

    // Blocks before the first segment, stored as they are in both images.
    std::int64_t leadingBlocks() const { return leadingBlocks_; }

    // Blocks of the expanded image: the leading blocks and every segment's N.
    std::int64_t expandedBlocks() const { return expandedBlocks_; }

    // True when any segment's data is coded: only then does reading need the expanded image.
    bool compressed() const { return !kinds_.empty(); }

    // The kinds of coded data met, in the order first met.
    const std::vector<CompressionKind>& kinds() const { return kinds_; }

    // The segment whose expanded blocks include `block`, or -1 for a leading block or one past
    // the last segment.
    std::int64_t segmentAtBlock(std::int64_t block) const;

  private:
    std::vector<SegmentPlacement> segments_;
    std::vector<CompressionKind> kinds_;
    std::int64_t leadingBlocks_ = 0;
    std::int64_t expandedBlocks_ = 0;
};

}  // namespace quelvane
