#pragma once

#include <cstdint>

namespace quelvane {

// Where a part's library descriptor lies, and how offsets counted from it map onto blocks.
// A descriptor offset V up to 512 keeps the library descriptor at body offset 256 of the
// descriptor block itself; a larger V moves it to body offset 0 of a later block. Offsets stored
// in directory entries count from the library descriptor through the joined bodies that start
// with its block (the block whose sequence number the part keeps as `libraryBlock`).
struct LibraryOffsets {
    static constexpr std::int32_t kInlineLimit = 512;
    static constexpr std::int64_t kInlineBase = 256;

    static std::int64_t base(std::int32_t descriptorOffset) {
        return descriptorOffset <= kInlineLimit ? kInlineBase : 0;
    }

    // Block number (from 0) of the block holding the library descriptor.
    static std::int64_t libraryBlockIndex(std::int32_t libraryBlock) {
        return static_cast<std::int64_t>(libraryBlock) - 1;
    }

    // Offset into the joined bodies from the library descriptor's block of a stored offset.
    static std::int64_t bodyOffset(std::int32_t descriptorOffset, std::int32_t storedOffset) {
        return static_cast<std::int64_t>(storedOffset) + base(descriptorOffset);
    }
};

}  // namespace quelvane
