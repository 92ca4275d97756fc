#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "savefile/SegmentTable.h"

namespace quelvane {

// The segment-table lookups of the program and data-area views and of the saved-save-file check.
// Names compare as zero-terminated texts, as the table was always searched.
class SegmentLookup {
  public:
    // Program and data-area data: entries 0-9999 only.
    static constexpr std::int32_t kObjectScanLimit = 10000;
    static constexpr std::size_t kObjectNameCompared = 20;

    // First entry among the first 10000 whose name equals `objectName` over at most 20
    // characters.
    static std::optional<std::int32_t> findObjectSegment(const SegmentTable& table,
                                                         std::string_view objectName);

    // First entry of the whole table whose name begins with `objectName`.
    static std::optional<std::int32_t> findPrefixSegment(const SegmentTable& table,
                                                         std::string_view objectName);

    // strncmp(a, b, n) == 0 for texts that end at their first zero byte.
    static bool equalOver(std::string_view a, std::string_view b, std::size_t n);
};

}  // namespace quelvane
