#pragma once

#include <cstdint>

namespace quelvane {

// One change that puts a shifted block grid right again, in offsets of the file as it is: with
// `bytes` > 0 the bytes [offset, offset + bytes) are left out (they were inserted); with `bytes`
// < 0, -bytes filler bytes are put in before `offset` (that many were lost there).
struct GridRepair {
    std::int64_t offset = 0;
    std::int64_t bytes = 0;
    std::uint8_t filler = 0;

    bool operator==(const GridRepair&) const = default;
};

}  // namespace quelvane
