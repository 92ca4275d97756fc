#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "conversion/EbcdicTextConverter.h"
#include "savefile/BlockSource.h"

namespace quelvane {

// Expands the coded data of every segment of a save written with data compression, as reading
// it would, and lists the segments whose data does not expand whole. A block grid that is in
// order says nothing about the bytes inside the blocks: a chunk whose code stream stops short
// is damage the grid check cannot see. Reads one run of blocks at a time; the work is that of
// reading every segment once.
class CodedDataCheck {
  public:
    static constexpr std::int64_t kRunBlocks = 64;

    // "segment NAME: reason" for each segment that cannot be expanded, in file order; empty for
    // a stored save or one that expands whole. `headerSize` is the file header's size in bytes.
    static std::vector<std::string> examine(BlockSource& source, std::int32_t headerSize,
                                            EbcdicTextConverter& converter);
};

}  // namespace quelvane
