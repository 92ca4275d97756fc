#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "savefile/BlockFile.h"
#include "savefile/BlockSource.h"

namespace quelvane {

// The views' reads of a save file: whole 528-byte blocks at given block numbers. A block not
// wholly in the file (past the end, or a trailing partial block) reads short, which ends
// whatever step wanted it.
class WholeBlocks {
  public:
    // The block layout is BlockFile's; the views name it through this class.
    static constexpr std::int64_t kBlockSize = BlockFile::kBlockSize;
    static constexpr std::int64_t kBodySize = BlockFile::kBodySize;
    using Block = std::array<std::uint8_t, kBlockSize>;

    explicit WholeBlocks(BlockSource& source) : source_(source) {}

    // Reads up to `count` blocks from block `first` into `out` (room for that many blocks or
    // fewer); returns how many whole blocks were read.
    std::int64_t readRun(std::int64_t first, std::int64_t count, std::span<std::uint8_t> out) {
        count = std::min(count, static_cast<std::int64_t>(out.size()) / kBlockSize);
        if (first < 0 || count < 1 || first > source_.size() / kBlockSize) {
            return 0;
        }
        return source_.readAt(first * kBlockSize, out.data(), count * kBlockSize) / kBlockSize;
    }

    bool read(std::int64_t block, std::span<std::uint8_t> out) { return readRun(block, 1, out) == 1; }

  private:
    BlockSource& source_;
};

}  // namespace quelvane
