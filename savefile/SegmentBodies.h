#pragma once

#include <cstdint>
#include <vector>

#include "savefile/BlockSource.h"

namespace quelvane {

// The joined 512-byte bodies of `count` consecutive 528-byte blocks from block `first` (from 0),
// stopping at the first block the source does not hold whole.
std::vector<std::uint8_t> readSegmentBodies(BlockSource& source, std::int64_t first, std::int64_t count);

}  // namespace quelvane
