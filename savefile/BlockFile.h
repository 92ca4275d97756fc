#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "savefile/BlockSource.h"
#include "savefile/SaveFileLayout.h"

namespace quelvane {

// A save file seen as its 528-byte blocks: a 512-byte body, then the block's big-endian sequence
// number (block n carries n + 1) and 12 bytes nobody reads. Structures that span blocks are the
// joined bodies of consecutive blocks. Reads are positioned reads of whole runs of blocks, so
// walking a file costs only the blocks a step needs; `bytesRead` tells how many that was.
class BlockFile {
  public:
    static constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
    static constexpr std::int64_t kBodySize = SaveFileLayout::kBodySize;
    static constexpr std::int64_t kSequenceOffset = SaveFileLayout::kSequenceOffset;

    explicit BlockFile(BlockSource& source) : source_(source) {}

    bool isOpen() const { return !closed_ && source_.isOpen(); }

    // Ends all reading: every later read yields nothing, as from a closed file.
    void close() { closed_ = true; }

    std::int64_t size() const { return source_.size(); }

    // Positions the next `readBlocks` at a byte offset (a negative one makes it read nothing).
    void seek(std::int64_t offset) { position_ = offset; }
    void seekBlock(std::int64_t block) { position_ = block * kBlockSize; }

    // Reads `count` consecutive 528-byte blocks from the position into the one held block,
    // stopping at the first read that does not return 528 bytes. Returns the byte count of the
    // last read, or 0 without reading when `count` is below 1. Only the blocks that decide the
    // result are read: the held block ends up as the last block a block-by-block read would hold.
    std::int64_t readBlocks(std::int64_t count);

    // The held block; meaningful after a `readBlocks` that returned 528.
    std::span<const std::uint8_t> block() const { return held_; }

    // The joined bodies from byte `offset` of the body sequence that starts with block
    // `firstBlock` (offset 512 is body byte 0 of the next block): the rest of the first body,
    // then whole bodies while fewer than `wanted` bytes are collected. Stops at the first block
    // not wholly in the file; with `requireFirst`, that block being the first one is a
    // DecodingFailure. Reads the whole run with one positioned read.
    std::vector<std::uint8_t> collectBodies(std::int64_t firstBlock, std::int64_t offset, std::int64_t wanted,
                                            bool requireFirst);

    std::uint64_t bytesRead() const { return bytesRead_; }

  private:
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count);

    BlockSource& source_;
    bool closed_ = false;
    std::int64_t position_ = 0;
    std::array<std::uint8_t, kBlockSize> held_{};
    std::uint64_t bytesRead_ = 0;
};

}  // namespace quelvane
