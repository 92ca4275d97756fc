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
//
// The readers of a save address its bytes in three ways, each with one home:
// - BlockSource: the stored bytes by byte offset (a file, memory, a repaired or expanded image).
// - BlockFile (here): whole blocks by block number. The directory walk steps through blocks
//   (`seek`, `readBlocks`, `block`); the object, member and IFS readers take the joined bodies of
//   a run of blocks (`collectBodies`, `readBodies`); the views and exports read runs of whole
//   blocks into their own buffers (`readRun`, `read`).
// - BlockBodies: body bytes by body offset, blocks left out of the count. Compressed data runs
//   across block boundaries without regard to them, so the expansion reads it this way.
class BlockFile {
  public:
    static constexpr std::int64_t kBlockSize = SaveFileLayout::kBlockSize;
    static constexpr std::int64_t kBodySize = SaveFileLayout::kBodySize;
    static constexpr std::int64_t kSequenceOffset = SaveFileLayout::kSequenceOffset;
    using Block = std::array<std::uint8_t, kBlockSize>;

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
    // DecodingFailure. Reads the run in steps of at most `kStepBlocks` blocks, so the room grows
    // only with the bodies that were read.
    std::vector<std::uint8_t> collectBodies(std::int64_t firstBlock, std::int64_t offset, std::int64_t wanted,
                                            bool requireFirst);

    // The joined bodies of `count` consecutive blocks from block `first` (from 0), stopping at the
    // first block the source does not hold whole; nothing for a negative `first` or a `count`
    // below 1. A count is never taken for more blocks than the source holds.
    std::vector<std::uint8_t> readBodies(std::int64_t first, std::int64_t count);

    // Reads up to `count` whole blocks from block `first` into `out` (room for that many blocks
    // or fewer) with one positioned read; returns how many whole blocks were read. A block not
    // wholly in the file (past the end, or a trailing partial block) reads short, which ends
    // whatever step wanted it.
    std::int64_t readRun(std::int64_t first, std::int64_t count, std::span<std::uint8_t> out);
    bool read(std::int64_t block, std::span<std::uint8_t> out) { return readRun(block, 1, out) == 1; }

    // The most blocks one step of `collectBodies` reads. The size of an expanded image comes
    // from the segment headers it expands, so a count within that size still need not be backed
    // by bytes.
    static constexpr std::int64_t kStepBlocks = 256;

    std::uint64_t bytesRead() const { return bytesRead_; }

  private:
    std::int64_t readAt(std::int64_t offset, std::uint8_t* target, std::int64_t count);
    std::int64_t appendBodies(std::int64_t block, std::int64_t blocks, std::int64_t skip,
                              std::vector<std::uint8_t>& bodies);

    BlockSource& source_;
    bool closed_ = false;
    std::int64_t position_ = 0;
    std::array<std::uint8_t, kBlockSize> held_{};
    std::uint64_t bytesRead_ = 0;
};

}  // namespace quelvane
