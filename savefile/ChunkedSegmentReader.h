#pragma once

#include <vector>

#include "savefile/CodedSegmentReader.h"

namespace quelvane {

// A segment's data as a run of TERSE or LZ1 chunks. Each chunk has a 14-byte header (EBCDIC tag
// "LD_TRS" or "LD_LZ1", u32 expanded length, u32 coded length) and then its coded bytes: u8
// algorithm (02 TERSE, 03 LZ1), 00, 00 80, u32 coded length, u32 expanded length, the code
// stream. Chunks expand independently, so an index of where each starts gives random access;
// the index grows only as far as reads have gone, and the last chunk expanded is kept.
class ChunkedSegmentReader final : public CodedSegmentReader {
  public:
    static constexpr std::int64_t kChunkHeaderSize = 14;
    static constexpr std::int64_t kCodeHeaderSize = 12;
    static constexpr std::int64_t kLargestChunk = 0x8000;
    // A real segment of 64 GiB has 2^21 chunks; more is damage, and the index stays bounded.
    static constexpr std::size_t kMostChunks = std::size_t{1} << 21;

    ChunkedSegmentReader(BlockBodies& bodies, const SegmentPlacement& segment);

    void read(std::int64_t offset, std::span<std::uint8_t> target) override;

  private:
    struct Chunk {
        std::int64_t in = 0;   // offset of the chunk header within the data
        std::int64_t out = 0;  // offset of its first expanded byte
        std::uint32_t codedLength = 0;
        std::uint32_t expandedLength = 0;
        bool terse = false;
    };

    std::size_t chunkFor(std::int64_t offset);
    bool indexNext();
    void expand(std::size_t chunk);

    BlockBodies& bodies_;
    std::int64_t dataOffset_;
    std::int64_t dataLength_;
    std::vector<Chunk> index_;
    std::int64_t indexedIn_ = 0;
    std::int64_t indexedOut_ = 0;
    std::size_t expanded_ = SIZE_MAX;
    std::vector<std::uint8_t> coded_;
    std::vector<std::uint8_t> output_;
};

}  // namespace quelvane
