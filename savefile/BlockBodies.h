#pragma once

#include <cstdint>
#include <span>

#include "savefile/BlockSource.h"

namespace quelvane {

// The joined 512-byte bodies of a save file's blocks, addressed as one byte sequence: body
// offset b is byte b % 512 of block b / 512. Compressed data runs across block boundaries
// without regard to them, so the expansion reads it this way.
class BlockBodies {
  public:
    explicit BlockBodies(BlockSource& source) : source_(source) {}

    // Bytes of whole blocks in the source: a partial last block holds no body.
    std::int64_t size() const;

    // Copies up to `target.size()` body bytes from `offset` with one positioned read; returns
    // how many were copied (fewer at the end of the source).
    std::int64_t read(std::int64_t offset, std::span<std::uint8_t> target);

  private:
    BlockSource& source_;
};

}  // namespace quelvane
