#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "savefile/BlockBodies.h"
#include "savefile/SegmentLayout.h"

namespace quelvane {

// The expanded data of one coded segment, read at any offset. Implementations keep what they
// need to continue cheaply from where the last read ended, since readers mostly go forward.
// A read that the coded data cannot satisfy raises CompressionFailure.
class CodedSegmentReader {
  public:
    virtual ~CodedSegmentReader() = default;

    // Fills `target` with the expanded bytes from `offset` (0 = the first data byte after the
    // header); the caller keeps within the segment's N - 1 blocks.
    virtual void read(std::int64_t offset, std::span<std::uint8_t> target) = 0;

    static std::unique_ptr<CodedSegmentReader> create(BlockBodies& bodies, const SegmentPlacement& segment);
};

}  // namespace quelvane
